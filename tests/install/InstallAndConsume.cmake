# Script behind the InstallAndConsume test: install, configure, build and run the consumer.
function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "command failed (${rc}): ${ARGN}\n${out}\n${err}")
  endif()
  set(last_output "${out}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE ${PREFIX} ${CONSUMER_BUILD})
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX})
run(${CMAKE_COMMAND} -S ${CONSUMER_SOURCE} -B ${CONSUMER_BUILD}
    -DCMAKE_PREFIX_PATH=${PREFIX}
    -DCMAKE_C_COMPILER=${C_COMPILER} -DCMAKE_CXX_COMPILER=${CXX_COMPILER}
    "-DCMAKE_C_FLAGS=${C_FLAGS}" "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}"
    "-DCMAKE_LIBRARY_ARCHITECTURE=${LIB_ARCH}")
run(${CMAKE_COMMAND} --build ${CONSUMER_BUILD})
# EMULATOR: what runs programs of this ABI when the machine cannot (empty: nothing needed).
run(${EMULATOR} ${CONSUMER_BUILD}/zvbase_consumer)
if(NOT last_output MATCHES "consumer ok")
  message(FATAL_ERROR "consumer printed: ${last_output}")
endif()
# libhostio through its pkg-config file.
set(ENV{PKG_CONFIG_PATH} "${PREFIX}/${LIBDIR}/pkgconfig")
run(pkg-config --libs --cflags hostio)
if(NOT last_output MATCHES "-lhostio")
  message(FATAL_ERROR "pkg-config hostio printed: ${last_output}")
endif()
# The pkg-config files name the prefix of the install made, not the configured one.
foreach(pc hostio zvexternal)
  run(pkg-config --variable=libdir ${pc})
  string(STRIP "${last_output}" libdir)
  if(NOT libdir STREQUAL "${PREFIX}/${LIBDIR}")
    message(FATAL_ERROR "${pc}.pc names the library directory ${libdir}, not ${PREFIX}/${LIBDIR}")
  endif()
endforeach()
message(STATUS "installed tree consumed: ${last_output}")
# The external call interface: a host in C, compiled by the C compiler against the installed
# header and shared library, drives the stand-in runtime.
set(host ${CONSUMER_BUILD}/zvexternal_host)
separate_arguments(c_flags UNIX_COMMAND "${C_FLAGS}")
run(${C_COMPILER} ${c_flags} -std=c99 -Wall -Wextra -Werror -I${PREFIX}/include/zvexternal
    ${CONSUMER_SOURCE}/zvexternal_host.c -o ${host} -L${PREFIX}/${LIBDIR} -lzvexternal)
run(${CMAKE_COMMAND} -E env LD_LIBRARY_PATH=${PREFIX}/${LIBDIR} ${EMULATOR} ${host} ${RUNTIME})
if(NOT last_output MATCHES "host ok")
  message(FATAL_ERROR "zvexternal host printed: ${last_output}")
endif()
