# Programs that run on the build machine: the generator used during the build (zvtextpack)
# and the runner of the tests (zvtestrun).
#
# They are used through the names zv_host::<tool>; ZV_TESTRUN is the path of zvtestrun and
# ZV_TESTRUN_TARGET the target that makes it. When this build makes programs for the
# build machine itself, they are targets of this build. In a cross build (the i386 preset,
# whatever the machine can execute) they come from a native build of tools/host/ made in
# _hosttools/, so that no program of the target ABI has to run while building, and the
# artefacts of this build stay those of the target ABI.
set(ZV_HOST_TOOLS zvtextpack zvtestrun)
set(ZV_HOST_CXX_COMPILER "" CACHE FILEPATH
    "C++ compiler for the build machine's tools in a cross build (empty: the default one)")

if(CMAKE_CROSSCOMPILING)
  include(ExternalProject)
  set(ZV_HOST_TOOLS_DIR ${CMAKE_BINARY_DIR}/_hosttools/tools)
  set(ZV_TESTRUN_TARGET zv_host_tools)
  set(zv_host_args -DCMAKE_BUILD_TYPE=Release -DZV_WERROR=${ZV_WERROR})
  if(ZV_HOST_CXX_COMPILER)
    list(APPEND zv_host_args -DCMAKE_CXX_COMPILER=${ZV_HOST_CXX_COMPILER})
  endif()
set(ZV_TESTRUN ${ZV_HOST_TOOLS_DIR}/zvtestrun)
  set(zv_host_files)
  foreach(tool IN LISTS ZV_HOST_TOOLS)
    list(APPEND zv_host_files ${ZV_HOST_TOOLS_DIR}/${tool})
  endforeach()
  ExternalProject_Add(zv_host_tools
    SOURCE_DIR ${PROJECT_SOURCE_DIR}/tools/host
    BINARY_DIR ${CMAKE_BINARY_DIR}/_hosttools
    PREFIX ${CMAKE_BINARY_DIR}/_hosttools-stamps
    CMAKE_ARGS ${zv_host_args}
    BUILD_ALWAYS ON
    INSTALL_COMMAND ""
    BUILD_BYPRODUCTS ${zv_host_files})
  foreach(tool IN LISTS ZV_HOST_TOOLS)
    add_executable(zv_host::${tool} IMPORTED GLOBAL)
    set_target_properties(zv_host::${tool} PROPERTIES IMPORTED_LOCATION ${ZV_HOST_TOOLS_DIR}/${tool})
    add_dependencies(zv_host::${tool} zv_host_tools)
  endforeach()
  message(STATUS "Build-machine tools (${ZV_HOST_TOOLS}): native build in ${CMAKE_BINARY_DIR}/_hosttools")
else()
  set(ZV_HOST_TOOLS_DIR ${CMAKE_BINARY_DIR}/tools)
  set(ZV_TESTRUN_TARGET zvtestrun)
  foreach(tool IN LISTS ZV_HOST_TOOLS)
    add_executable(zv_host::${tool} ALIAS ${tool})
  endforeach()
endif()
set(ZV_TESTRUN ${ZV_HOST_TOOLS_DIR}/zvtestrun)
