# Every test runs through zvtestrun (tests/harness/zvtestrun.cpp): within a time limit, as the
# reaper of whatever it starts, failing when it leaves a process running. Each test also gets
#  - ZV_TEST_BINARY_DIR=<this build tree> in its environment: the mark by which the suite's
#    last test, NoProcessLeftBehind, finds any process of the suite that escaped its run;
#  - the fixture zv_suite, which makes NoProcessLeftBehind run after every other test, with
#    ctest -j as well;
#  - a ctest TIMEOUT a little above zvtestrun's limit, should zvtestrun itself be stuck.
#
# Limits are given in seconds for a native optimised run (a few times the test's normal
# length) and stretched here for slower runs: sanitizers, user-mode emulation.
set(ZV_TEST_TIME_LIMIT 20 CACHE STRING "Default time limit of a test in seconds, before stretching")
set(ZV_TEST_TIME_FACTOR 1)
if(ZV_SANITIZE)
  math(EXPR ZV_TEST_TIME_FACTOR "${ZV_TEST_TIME_FACTOR} * 3")
endif()
if(ZV_TSAN)
  math(EXPR ZV_TEST_TIME_FACTOR "${ZV_TEST_TIME_FACTOR} * 5")
endif()
if(ZV_TARGET_EXECUTION STREQUAL "binfmt" OR ZV_TARGET_EXECUTION STREQUAL "emulator")
  math(EXPR ZV_TEST_TIME_FACTOR "${ZV_TEST_TIME_FACTOR} * 4")
endif()
set(ZV_TEST_MARK "ZV_TEST_BINARY_DIR=${CMAKE_BINARY_DIR}")
# Read by scripts/test for its summary.
file(WRITE ${CMAKE_BINARY_DIR}/zv-test-execution.txt "${ZV_TARGET_EXECUTION_TEXT}\n")

# zv_test_limit(<out-var> [<seconds>]): the limit here of a test given that limit natively.
function(zv_test_limit out)
  set(seconds ${ZV_TEST_TIME_LIMIT})
  if(ARGC GREATER 1)
    set(seconds ${ARGV1})
  endif()
  math(EXPR limit "${seconds} * ${ZV_TEST_TIME_FACTOR}")
  set(${out} ${limit} PARENT_SCOPE)
endfunction()

# zv_test_runner(<target> [<seconds>]): the tests that run the executable <target> (add_test
# with the target as command, or gtest_discover_tests) run it through zvtestrun, and through
# the emulator when this machine cannot execute it.
function(zv_test_runner target)
  zv_test_limit(limit ${ARGN})
  set(runner ${ZV_TESTRUN} --limit ${limit})
  if(ZV_TARGET_EXECUTION STREQUAL "emulator")
    list(APPEND runner --emulator ${ZV_TARGET_EMULATOR})
  endif()
  set_property(TARGET ${target} PROPERTY CROSSCOMPILING_EMULATOR ${runner})
  add_dependencies(${target} ${ZV_TESTRUN_TARGET})
endfunction()

# zv_test_command(<out-var> [<seconds>]): the words to put before a command of add_test that
# is no target of this build (cmake -P scripts).
function(zv_test_command out)
  zv_test_limit(limit ${ARGN})
  set(${out} ${ZV_TESTRUN} --limit ${limit} PARENT_SCOPE)
endfunction()

# zv_test_properties(<test> [<seconds>]): the properties every test has, for add_test (after
# the test's own ENVIRONMENT, which it extends).
function(zv_test_properties test)
  zv_test_limit(limit ${ARGN})
  math(EXPR timeout "${limit} + 30")
  set_tests_properties(${test} PROPERTIES TIMEOUT ${timeout})
  set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT "${ZV_TEST_MARK}")
  set_property(TEST ${test} APPEND PROPERTY FIXTURES_REQUIRED zv_suite)
endfunction()

# The suite's last test: no process of the suite may outlive it.
add_test(NAME NoProcessLeftBehind COMMAND ${ZV_TESTRUN} --leftovers ${ZV_TEST_MARK})
set_tests_properties(NoProcessLeftBehind PROPERTIES FIXTURES_CLEANUP zv_suite TIMEOUT 60)
