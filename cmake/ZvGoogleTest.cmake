# GoogleTest built from the sources Debian installs, with this build's flags (so once per ABI).
set(ZV_GOOGLETEST_SOURCE "/usr/src/googletest" CACHE PATH "GoogleTest source tree")
if(NOT EXISTS "${ZV_GOOGLETEST_SOURCE}/CMakeLists.txt")
  message(FATAL_ERROR "GoogleTest sources not found in ${ZV_GOOGLETEST_SOURCE} (apt-get install googletest)")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory("${ZV_GOOGLETEST_SOURCE}" "${CMAKE_BINARY_DIR}/_googletest" EXCLUDE_FROM_ALL SYSTEM)
include(GoogleTest)

include(${CMAKE_CURRENT_LIST_DIR}/ZvTestHarness.cmake)

# zv_add_test(name SOURCES... [LIBS ...] [TIME_LIMIT seconds] [THREADS]): one test executable,
# its cases registered one by one, each with the time limit (default ZV_TEST_TIME_LIMIT, see
# cmake/ZvTestHarness.cmake). THREADS marks a test that starts threads: its cases get the label
# "threads" and the executable joins the target zv_thread_tests, what the tsan preset builds
# and runs.
function(zv_add_test name)
  cmake_parse_arguments(ARG "THREADS" "TIME_LIMIT" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE zv_warnings gtest gmock gtest_main ${ARG_LIBS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
  zv_test_runner(${name} ${ARG_TIME_LIMIT})
  zv_test_limit(limit ${ARG_TIME_LIMIT})
  math(EXPR timeout "${limit} + 30")
  set(labels)
  if(ARG_THREADS)
    set(labels LABELS threads)
    set_property(GLOBAL APPEND PROPERTY ZV_THREAD_TESTS ${name})
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                       PROPERTIES ENVIRONMENT "${ZV_TEST_MARK}" TIMEOUT ${timeout} FIXTURES_REQUIRED zv_suite
                                  ${labels})
endfunction()

# The executables of the tests that start threads (after every zv_add_test of the build).
function(zv_add_thread_tests_target)
  get_property(tests GLOBAL PROPERTY ZV_THREAD_TESTS)
  add_custom_target(zv_thread_tests)
  add_dependencies(zv_thread_tests ${tests} ${ZV_TESTRUN_TARGET})
endfunction()
