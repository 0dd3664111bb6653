# veltrane_add_test(NAME SOURCES ... LIBS ...): one GoogleTest executable, its cases discovered by CTest.
# GoogleTest is found as an installed package. Where there is none for the target, as in a cross
# build (the host's libraries do not link), Debian's googletest sources (package googletest) are
# built with the project's compiler instead; a cross build lists each test's cases when CTest
# runs (through the cross-compiling emulator), so building needs no emulator.
if(VELTRANE_TESTS)
  find_package(GTest QUIET)
endif()
if(VELTRANE_TESTS AND NOT TARGET GTest::gtest)
  set(VELTRANE_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH
      "GoogleTest sources, built when no GoogleTest package is found for the target")
  if(NOT EXISTS ${VELTRANE_GTEST_SOURCE_DIR}/CMakeLists.txt)
    message(FATAL_ERROR "No GoogleTest package, and no sources in ${VELTRANE_GTEST_SOURCE_DIR}: "
                        "install googletest (or libgtest-dev), or set VELTRANE_GTEST_SOURCE_DIR")
  endif()
  message(STATUS "GoogleTest built from ${VELTRANE_GTEST_SOURCE_DIR}")
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(${VELTRANE_GTEST_SOURCE_DIR} ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  target_compile_options(gtest PRIVATE -w)
  target_compile_options(gtest_main PRIVATE -w)
endif()
include(GoogleTest)

function(veltrane_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;PROPERTIES" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_compile_definitions(${name} PRIVATE
    VELTRANE_TEST_DATA="${PROJECT_SOURCE_DIR}/tests"
    VELTRANE_BINARY_DIR="${PROJECT_BINARY_DIR}")
  set(mode)
  if(CMAKE_CROSSCOMPILING)
    set(mode DISCOVERY_MODE PRE_TEST)
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 ${mode} PROPERTIES ${ARG_PROPERTIES})
endfunction()
