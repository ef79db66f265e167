# The programs that run on the build machine, read by the main build (tools/CMakeLists.txt)
# and by the host-tools build of a cross build (tools/host/). Both are written to
# ${CMAKE_BINARY_DIR}/tools/ of the build that makes them.

# zvtextpack: C++ source of texts in the compact form that the base library decodes.
# Its core is a library of its own, shared with its tests; it compiles the decoder
# itself rather than linking zvbase, whose sources it will generate.
add_library(zvtextpack_core STATIC
  ${ZV_SOURCE_DIR}/tools/textpack/CTextPacker.cpp
  ${ZV_SOURCE_DIR}/tools/textpack/CMessageBlock.cpp
  ${ZV_SOURCE_DIR}/base/compress/CDataCompressor.cpp)
target_include_directories(zvtextpack_core PUBLIC ${ZV_SOURCE_DIR})
target_link_libraries(zvtextpack_core PRIVATE zv_warnings)

add_executable(zvtextpack ${ZV_SOURCE_DIR}/tools/zvtextpack.cpp)
target_link_libraries(zvtextpack PRIVATE zvtextpack_core zv_warnings)

# zvtestrun: runs each test with its time limit and ends whatever the test left running.
add_executable(zvtestrun ${ZV_SOURCE_DIR}/tests/harness/zvtestrun.cpp)
target_link_libraries(zvtestrun PRIVATE zv_warnings)

set_target_properties(zvtextpack zvtestrun PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)
