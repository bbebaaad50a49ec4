# Targets shared by every subsystem folder. Each folder adds its files with the
# functions below, so a folder's CMakeLists names only its own sources.
#
#   tb_portable     portable code (no <windows.h>), built for both targets
#   tb_win          Windows-only product code
#   tabbridge       the product executable (host/)
#   tb_unittests    native: portable unit tests under ASan+UBSan
#   tb_win_tests    win32: Windows unit tests, run under Wine

set(TB_WARNINGS -Wall -Wextra -Wno-unused-parameter -Wno-missing-field-initializers)

add_library(tb_portable STATIC)
target_include_directories(tb_portable PUBLIC "${CMAKE_SOURCE_DIR}")
target_compile_options(tb_portable PRIVATE ${TB_WARNINGS})
target_link_libraries(tb_portable PUBLIC tb::cjson)

if(TB_SANITIZE AND NOT WIN32)
  set(TB_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all
                         -fno-omit-frame-pointer)
  target_compile_options(tb_portable PUBLIC ${TB_SANITIZER_FLAGS})
  target_link_options(tb_portable PUBLIC ${TB_SANITIZER_FLAGS})
endif()

if(WIN32)
  # gcc 12 writes DWARF 5 by default, which Wine's dbghelp cannot read.
  add_compile_options(-gdwarf-4)
  add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601
                          WINVER=0x0601)
  add_link_options(-static -static-libgcc -static-libstdc++)

  add_library(tb_win STATIC)
  target_compile_options(tb_win PRIVATE ${TB_WARNINGS})
  target_link_libraries(tb_win PUBLIC tb_portable)

  add_executable(tb_win_tests)
  target_compile_options(tb_win_tests PRIVATE ${TB_WARNINGS})
  target_link_libraries(tb_win_tests PRIVATE tb_win GTest::gmock GTest::gtest)
  # Discovery runs under Wine at test time, inside the Wine environment.
  # Every test under Wine shares the build's prefix (its registry: settings,
  # feature controls, the stand-in engine's registration) and the display:
  # the lock keeps them from running side by side under ctest -j.
  set(TB_WINE_LOCK wine_prefix)
  gtest_discover_tests(tb_win_tests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                       PROPERTIES LABELS win TIMEOUT 60 RESOURCE_LOCK ${TB_WINE_LOCK})
else()
  add_executable(tb_unittests)
  target_compile_options(tb_unittests PRIVATE ${TB_WARNINGS})
  target_link_libraries(tb_unittests PRIVATE tb_portable GTest::gmock GTest::gtest_main)
  gtest_discover_tests(tb_unittests PROPERTIES LABELS native)
endif()

# Product code that builds for both targets.
function(tb_portable_sources)
  target_sources(tb_portable PRIVATE ${ARGN})
endfunction()

# Unit tests of portable code; they run natively with sanitizers.
function(tb_portable_tests)
  if(NOT WIN32)
    target_sources(tb_unittests PRIVATE ${ARGN})
  endif()
endfunction()

function(tb_win_sources)
  if(WIN32)
    target_sources(tb_win PRIVATE ${ARGN})
  endif()
endfunction()

function(tb_win_tests)
  if(WIN32)
    target_sources(tb_win_tests PRIVATE ${ARGN})
  endif()
endfunction()

# Links system libraries into the Windows product code.
function(tb_win_link)
  if(WIN32)
    target_link_libraries(tb_win PUBLIC ${ARGN})
  endif()
endfunction()
