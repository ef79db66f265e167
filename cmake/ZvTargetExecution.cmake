# How the programs of this build run on this machine, found again at each configure:
#
#   ZV_TARGET_EXECUTION   native    they run as they are
#                         binfmt    the kernel hands them to an emulator registered with
#                                   binfmt_misc (ZV_TARGET_EMULATOR): every program runs,
#                                   children of the tests included
#                         emulator  this machine cannot execute them: ctest runs the tests
#                                   through CMAKE_CROSSCOMPILING_EMULATOR (ZV_TARGET_EMULATOR);
#                                   programs that the tests start cannot run (those tests skip)
#                         none      they cannot run here at all
#   ZV_TARGET_EXECUTION_TEXT  the same in words, for the configure output and scripts/test
#
# Only a cross build (the i386 preset) can be anything but native. The emulator looked for is
# ZV_TARGET_QEMU (set by the toolchain file, e.g. qemu-i386).
set(ZV_TARGET_EMULATOR "")
if(NOT CMAKE_CROSSCOMPILING)
  set(ZV_TARGET_EXECUTION native)
  set(ZV_TARGET_EXECUTION_TEXT "natively")
elseif(CMAKE_CROSSCOMPILING_EMULATOR)
  # Chosen by whoever configures.
  set(ZV_TARGET_EXECUTION emulator)
  set(ZV_TARGET_EMULATOR "${CMAKE_CROSSCOMPILING_EMULATOR}")
  set(ZV_TARGET_EXECUTION_TEXT "through ${ZV_TARGET_EMULATOR} (CMAKE_CROSSCOMPILING_EMULATOR)")
else()
  set(zv_probe_dir ${CMAKE_BINARY_DIR}/_execution_probe)
  try_compile(zv_probe_built ${zv_probe_dir}
    SOURCES ${PROJECT_SOURCE_DIR}/tests/harness/ExecutionProbe.cpp
    CMAKE_FLAGS "-DINCLUDE_DIRECTORIES=${PROJECT_SOURCE_DIR}/tests"
    COMPILE_DEFINITIONS -D_FILE_OFFSET_BITS=64
    CXX_STANDARD 17
    COPY_FILE ${zv_probe_dir}/probe
    OUTPUT_VARIABLE zv_probe_log)
  if(NOT zv_probe_built)
    message(FATAL_ERROR "cannot build a program for ${CMAKE_SYSTEM_PROCESSOR}:\n${zv_probe_log}")
  endif()
  execute_process(COMMAND ${zv_probe_dir}/probe RESULT_VARIABLE zv_probe_rc OUTPUT_VARIABLE zv_probe_out
                  ERROR_QUIET OUTPUT_STRIP_TRAILING_WHITESPACE TIMEOUT 60)
  if(zv_probe_rc EQUAL 0 AND zv_probe_out STREQUAL "native")
    set(ZV_TARGET_EXECUTION native)
    set(ZV_TARGET_EXECUTION_TEXT "natively")
  elseif(zv_probe_rc EQUAL 0)
    set(ZV_TARGET_EXECUTION binfmt)
    set(ZV_TARGET_EMULATOR "${zv_probe_out}")
    set(ZV_TARGET_EXECUTION_TEXT "under ${zv_probe_out} (binfmt_misc): this host runs 64-bit programs only")
  else()
    find_program(ZV_TARGET_QEMU_PATH NAMES ${ZV_TARGET_QEMU} NO_CACHE)
    if(ZV_TARGET_QEMU_PATH)
      execute_process(COMMAND ${ZV_TARGET_QEMU_PATH} ${zv_probe_dir}/probe RESULT_VARIABLE zv_probe_rc
                      OUTPUT_QUIET ERROR_QUIET TIMEOUT 60)
    endif()
    if(ZV_TARGET_QEMU_PATH AND zv_probe_rc EQUAL 0)
      set(ZV_TARGET_EXECUTION emulator)
      set(ZV_TARGET_EMULATOR "${ZV_TARGET_QEMU_PATH}")
      set(CMAKE_CROSSCOMPILING_EMULATOR "${ZV_TARGET_QEMU_PATH}")
      set(ZV_TARGET_EXECUTION_TEXT "through ${ZV_TARGET_QEMU_PATH} started by ctest: this host runs 64-bit programs only and ${ZV_TARGET_QEMU} is not registered with binfmt_misc, so the tests that start programs of this build skip")
    else()
      set(ZV_TARGET_EXECUTION none)
      set(ZV_TARGET_EXECUTION_TEXT "impossible: this host cannot execute ${CMAKE_SYSTEM_PROCESSOR} programs and ${ZV_TARGET_QEMU} is missing (scripts/setup-deps installs and registers it)")
      message(WARNING "The programs of this build cannot run here: ${ZV_TARGET_EXECUTION_TEXT}")
    endif()
  endif()
endif()
message(STATUS "Programs of this build run: ${ZV_TARGET_EXECUTION_TEXT}")
