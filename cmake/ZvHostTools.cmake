# Programs that run on the build machine: generators used during the build (zvtextpack).
#
# They are used through the names zv_host::<tool>. When this build makes programs for the
# build machine itself, those names are the targets of this build. In a cross build (the
# i386 preset, whatever the machine can execute) they come from a native build of
# tools/host/ made in _hosttools/, so that no program of the target ABI has to run while
# building, and the build tree still holds only artefacts of the target ABI besides it.
set(ZV_HOST_TOOLS zvtextpack)
set(ZV_HOST_CXX_COMPILER "" CACHE FILEPATH
    "C++ compiler for the build machine's tools in a cross build (empty: the default one)")

if(CMAKE_CROSSCOMPILING)
  include(ExternalProject)
  set(zv_host_dir ${CMAKE_BINARY_DIR}/_hosttools)
  set(zv_host_args -DCMAKE_BUILD_TYPE=Release -DZV_WERROR=${ZV_WERROR})
  if(ZV_HOST_CXX_COMPILER)
    list(APPEND zv_host_args -DCMAKE_CXX_COMPILER=${ZV_HOST_CXX_COMPILER})
  endif()
  set(zv_host_files)
  foreach(tool IN LISTS ZV_HOST_TOOLS)
    list(APPEND zv_host_files ${zv_host_dir}/${tool})
  endforeach()
  ExternalProject_Add(zv_host_tools
    SOURCE_DIR ${PROJECT_SOURCE_DIR}/tools/host
    BINARY_DIR ${zv_host_dir}
    PREFIX ${CMAKE_BINARY_DIR}/_hosttools-stamps
    CMAKE_ARGS ${zv_host_args}
    BUILD_ALWAYS ON
    INSTALL_COMMAND ""
    BUILD_BYPRODUCTS ${zv_host_files})
  foreach(tool IN LISTS ZV_HOST_TOOLS)
    add_executable(zv_host::${tool} IMPORTED GLOBAL)
    set_target_properties(zv_host::${tool} PROPERTIES IMPORTED_LOCATION ${zv_host_dir}/${tool})
    add_dependencies(zv_host::${tool} zv_host_tools)
  endforeach()
  message(STATUS "Build-machine tools (${ZV_HOST_TOOLS}): native build in ${zv_host_dir}")
else()
  foreach(tool IN LISTS ZV_HOST_TOOLS)
    add_executable(zv_host::${tool} ALIAS ${tool})
  endforeach()
endif()
