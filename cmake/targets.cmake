# One static library per product folder, and the test executables.
#
#   tb_<folder>_portable  portable code (no <windows.h>), built for both targets
#   tb_<folder>           Windows code of the folder; links its portable twin
#   tabbridge             the product executable (host/)
#   tb_unittests          native: portable unit tests under ASan+UBSan
#   tb_win_tests          win32: Windows unit tests, run under Wine
#
# A folder declares its libraries and what they depend on, then adds files with
# tb_portable_sources() / tb_win_sources(). A folder may include only headers of
# the folders its libraries link (see cmake/check_includes.cmake).

set(TB_WARNINGS -Wall -Wextra -Wno-unused-parameter -Wno-missing-field-initializers)

if(TB_SANITIZE AND NOT WIN32)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

if(TB_FUZZ)
  # libFuzzer harnesses need clang; the code under test gets its coverage
  # instrumentation, the harnesses its main().
  add_compile_options(-fsanitize=fuzzer-no-link)
  add_custom_target(tb_fuzzers)
  set(TB_FUZZ_SECONDS 3 CACHE STRING "How long each harness runs as a test")
endif()

if(WIN32)
  # gcc 12 writes DWARF 5 by default, which Wine's dbghelp cannot read.
  add_compile_options(-gdwarf-4)
  add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601
                          WINVER=0x0601)
  add_link_options(-static -static-libgcc -static-libstdc++)

  add_executable(tb_win_tests)
  target_compile_options(tb_win_tests PRIVATE ${TB_WARNINGS})
  target_include_directories(tb_win_tests PRIVATE "${CMAKE_SOURCE_DIR}")
  target_link_libraries(tb_win_tests PRIVATE GTest::gmock GTest::gtest)
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
  target_include_directories(tb_unittests PRIVATE "${CMAKE_SOURCE_DIR}")
  target_link_libraries(tb_unittests PRIVATE GTest::gmock GTest::gtest_main)
  gtest_discover_tests(tb_unittests PROPERTIES LABELS native)
endif()

# Gives a target its folder: warnings, includes and the include check.
function(tb_register_target target)
  file(RELATIVE_PATH folder "${CMAKE_SOURCE_DIR}" "${CMAKE_CURRENT_SOURCE_DIR}")
  set_target_properties(${target} PROPERTIES TB_FOLDER "${folder}")
  target_include_directories(${target} PUBLIC "${CMAKE_SOURCE_DIR}")
  target_compile_options(${target} PRIVATE ${TB_WARNINGS})
  set_property(GLOBAL APPEND PROPERTY TB_LIBRARIES ${target})
endfunction()

# tb_portable_library(<name> [DEPENDS <targets>...]): tb_<name>_portable.
function(tb_portable_library name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "DEPENDS")
  add_library(tb_${name}_portable STATIC)
  tb_register_target(tb_${name}_portable)
  target_link_libraries(tb_${name}_portable PUBLIC ${arg_DEPENDS})
  set_property(DIRECTORY PROPERTY TB_PORTABLE_TARGET tb_${name}_portable)
  if(NOT WIN32)
    target_link_libraries(tb_unittests PRIVATE tb_${name}_portable)
  endif()
endfunction()

# tb_windows_library(<name> [DEPENDS <targets>...]): tb_<name>, Windows builds
# only.
function(tb_windows_library name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "DEPENDS")
  if(NOT WIN32)
    return()
  endif()
  add_library(tb_${name} STATIC)
  tb_register_target(tb_${name})
  get_property(portable DIRECTORY PROPERTY TB_PORTABLE_TARGET)
  target_link_libraries(tb_${name} PUBLIC ${portable} ${arg_DEPENDS})
  set_property(DIRECTORY PROPERTY TB_WINDOWS_TARGET tb_${name})
  target_link_libraries(tb_win_tests PRIVATE tb_${name})
endfunction()

# Product code that builds for both targets.
function(tb_portable_sources)
  get_property(target DIRECTORY PROPERTY TB_PORTABLE_TARGET)
  target_sources(${target} PRIVATE ${ARGN})
endfunction()

# Unit tests of portable code; they run natively with sanitizers.
function(tb_portable_tests)
  if(NOT WIN32)
    target_sources(tb_unittests PRIVATE ${ARGN})
  endif()
endfunction()

# tb_fuzzer(<source> [<libraries>...]): a libFuzzer harness of the folder's
# portable code, built by fuzz builds only. Its test runs it for a few seconds
# on its seeds (tests/fuzz_corpus/<name>), so that the harness cannot rot.
function(tb_fuzzer source)
  if(NOT TB_FUZZ)
    return()
  endif()
  get_filename_component(name ${source} NAME_WE)
  get_property(portable DIRECTORY PROPERTY TB_PORTABLE_TARGET)
  add_executable(${name} ${source})
  target_include_directories(${name} PRIVATE "${CMAKE_SOURCE_DIR}")
  target_compile_options(${name} PRIVATE ${TB_WARNINGS})
  target_link_libraries(${name} PRIVATE ${portable} ${ARGN})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  add_dependencies(tb_fuzzers ${name})
  set(corpus "${CMAKE_BINARY_DIR}/fuzz_corpus/${name}")
  file(MAKE_DIRECTORY "${corpus}")
  add_test(NAME ${name}
           COMMAND ${name} -max_total_time=${TB_FUZZ_SECONDS} -timeout=30 -rss_limit_mb=2048
                   "-artifact_prefix=${CMAKE_BINARY_DIR}/fuzz_findings/${name}-" "${corpus}"
                   "${CMAKE_SOURCE_DIR}/tests/fuzz_corpus/${name}")
  file(MAKE_DIRECTORY "${CMAKE_BINARY_DIR}/fuzz_findings")
  set_tests_properties(${name} PROPERTIES LABELS fuzz TIMEOUT 120)
endfunction()

function(tb_win_sources)
  if(WIN32)
    get_property(target DIRECTORY PROPERTY TB_WINDOWS_TARGET)
    target_sources(${target} PRIVATE ${ARGN})
  endif()
endfunction()

function(tb_win_tests)
  if(WIN32)
    target_sources(tb_win_tests PRIVATE ${ARGN})
  endif()
endfunction()

# Links system libraries into the folder's Windows library.
function(tb_win_link)
  if(WIN32)
    get_property(target DIRECTORY PROPERTY TB_WINDOWS_TARGET)
    target_link_libraries(${target} PUBLIC ${ARGN})
  endif()
endfunction()

# The folders a library may include: its own and those of every library it
# links, directly or not.
function(_tb_allowed_folders target out)
  set(seen "")
  set(queue ${target})
  while(queue)
    list(POP_FRONT queue current)
    if(current IN_LIST seen OR NOT TARGET ${current})
      continue()
    endif()
    list(APPEND seen ${current})
    get_target_property(links ${current} LINK_LIBRARIES)
    if(links)
      list(APPEND queue ${links})
    endif()
  endwhile()
  set(folders "")
  foreach(library IN LISTS seen)
    get_target_property(folder ${library} TB_FOLDER)
    if(folder)
      list(APPEND folders "${folder}")
    endif()
  endforeach()
  list(REMOVE_DUPLICATES folders)
  set(${out} "${folders}" PARENT_SCOPE)
endfunction()

# Called once every folder is declared: each folder's product files (tests
# aside) are checked before its libraries build, so an include against the
# dependency rules fails the build. Only Windows builds know every library.
function(tb_check_folder_includes)
  if(NOT WIN32)
    return()
  endif()
  get_property(libraries GLOBAL PROPERTY TB_LIBRARIES)
  set(all_folders "")
  foreach(library IN LISTS libraries)
    get_target_property(folder ${library} TB_FOLDER)
    list(APPEND all_folders "${folder}")
  endforeach()
  list(REMOVE_DUPLICATES all_folders)
  foreach(folder IN LISTS all_folders)
    set(allowed "")
    set(folder_libraries "")
    foreach(library IN LISTS libraries)
      get_target_property(library_folder ${library} TB_FOLDER)
      if(library_folder STREQUAL folder)
        _tb_allowed_folders(${library} library_allowed)
        list(APPEND allowed ${library_allowed})
        list(APPEND folder_libraries ${library})
      endif()
    endforeach()
    list(REMOVE_DUPLICATES allowed)
    file(GLOB files CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/${folder}/*.h"
         "${CMAKE_SOURCE_DIR}/${folder}/*.cc")
    list(FILTER files EXCLUDE REGEX "_(unittest|test_util|fuzzer)\\.(cc|h)$")
    string(MAKE_C_IDENTIFIER "${folder}" id)
    set(stamp "${CMAKE_BINARY_DIR}/include_checks/${id}.ok")
    add_custom_command(
      OUTPUT "${stamp}"
      COMMAND ${CMAKE_COMMAND} "-DFOLDER=${folder}" "-DALLOWED=${allowed}"
              "-DKNOWN=${all_folders};tools;tests" "-DFILES=${files}" "-DSTAMP=${stamp}"
              -P "${CMAKE_SOURCE_DIR}/cmake/check_includes.cmake"
      DEPENDS ${files} "${CMAKE_SOURCE_DIR}/cmake/check_includes.cmake"
      COMMENT "Checking the includes of ${folder}/" VERBATIM)
    add_custom_target(tb_include_check_${id} DEPENDS "${stamp}")
    foreach(library IN LISTS folder_libraries)
      add_dependencies(${library} tb_include_check_${id})
    endforeach()
  endforeach()
endfunction()
