# veltrane_add_test(NAME SOURCES ... LIBS ...): one GoogleTest executable, its cases discovered by CTest.
# A cross build cannot link the host's GoogleTest; it builds Debian's googletest sources (package
# googletest) with the cross compiler instead, and lists each test's cases when CTest runs (through
# the cross-compiling emulator), so building needs no emulator.
if(CMAKE_CROSSCOMPILING AND NOT TARGET GTest::gtest)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  target_compile_options(gtest PRIVATE -w)
  target_compile_options(gtest_main PRIVATE -w)
endif()

function(veltrane_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;PROPERTIES" ${ARGN})
  if(NOT CMAKE_CROSSCOMPILING)
    find_package(GTest REQUIRED)
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_compile_definitions(${name} PRIVATE
    VELTRANE_TEST_DATA="${PROJECT_SOURCE_DIR}/tests"
    VELTRANE_BINARY_DIR="${PROJECT_BINARY_DIR}")
  include(GoogleTest)
  set(mode)
  if(CMAKE_CROSSCOMPILING)
    set(mode DISCOVERY_MODE PRE_TEST)
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 ${mode} PROPERTIES ${ARG_PROPERTIES})
endfunction()
