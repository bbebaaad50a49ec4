# cJSON, tinyxml2 and GoogleTest. Natively cJSON and tinyxml2 are Debian's
# libraries; for Windows they are compiled from Debian's source packages, which
# scripts/setup.sh unpacks into build/third_party. GoogleTest always comes from
# the sources Debian installs.
set(TB_THIRD_PARTY_DIR "${CMAKE_SOURCE_DIR}/build/third_party" CACHE PATH
    "Unpacked Debian source packages")

if(WIN32)
  set(_cjson_src "${TB_THIRD_PARTY_DIR}/cjson")
  if(NOT EXISTS "${_cjson_src}/cJSON.c")
    message(FATAL_ERROR "cJSON sources missing in ${_cjson_src}: run scripts/setup.sh")
  endif()
  # Same include spelling as Debian's libcjson-dev: <cjson/cJSON.h>.
  set(_cjson_inc "${CMAKE_BINARY_DIR}/third_party_include")
  file(MAKE_DIRECTORY "${_cjson_inc}/cjson")
  configure_file("${_cjson_src}/cJSON.h" "${_cjson_inc}/cjson/cJSON.h" COPYONLY)
  add_library(tb_cjson STATIC "${_cjson_src}/cJSON.c")
  target_include_directories(tb_cjson SYSTEM PUBLIC "${_cjson_inc}")
else()
  find_path(CJSON_INCLUDE_DIR cjson/cJSON.h REQUIRED)
  find_library(CJSON_LIBRARY cjson REQUIRED)
  add_library(tb_cjson INTERFACE)
  target_include_directories(tb_cjson SYSTEM INTERFACE "${CJSON_INCLUDE_DIR}")
  target_link_libraries(tb_cjson INTERFACE "${CJSON_LIBRARY}")
endif()
add_library(tb::cjson ALIAS tb_cjson)

if(WIN32)
  set(_tinyxml2_src "${TB_THIRD_PARTY_DIR}/tinyxml2")
  if(NOT EXISTS "${_tinyxml2_src}/tinyxml2.cpp")
    message(FATAL_ERROR "tinyxml2 sources missing in ${_tinyxml2_src}: run scripts/setup.sh")
  endif()
  add_library(tb_tinyxml2 STATIC "${_tinyxml2_src}/tinyxml2.cpp")
  target_include_directories(tb_tinyxml2 SYSTEM PUBLIC "${_tinyxml2_src}")
else()
  find_path(TINYXML2_INCLUDE_DIR tinyxml2.h REQUIRED)
  find_library(TINYXML2_LIBRARY tinyxml2 REQUIRED)
  add_library(tb_tinyxml2 INTERFACE)
  target_include_directories(tb_tinyxml2 SYSTEM INTERFACE "${TINYXML2_INCLUDE_DIR}")
  target_link_libraries(tb_tinyxml2 INTERFACE "${TINYXML2_LIBRARY}")
endif()
add_library(tb::tinyxml2 ALIAS tb_tinyxml2)

set(TB_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory("${TB_GTEST_SOURCE_DIR}" "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL SYSTEM)
include(GoogleTest)
