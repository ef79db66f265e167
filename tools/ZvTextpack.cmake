# zvtextpack: C++ source of texts in the compact form that the base library decodes.
# Its core is a library of its own, shared with its tests; it compiles the decoder
# itself rather than linking zvbase, whose sources it will generate.
# Read by the main build (tools/CMakeLists.txt) and by the host-tools build (tools/host/).
add_library(zvtextpack_core STATIC
  ${ZV_SOURCE_DIR}/tools/textpack/CTextPacker.cpp
  ${ZV_SOURCE_DIR}/tools/textpack/CMessageBlock.cpp
  ${ZV_SOURCE_DIR}/base/compress/CDataCompressor.cpp)
target_include_directories(zvtextpack_core PUBLIC ${ZV_SOURCE_DIR})
target_link_libraries(zvtextpack_core PRIVATE zv_warnings)

add_executable(zvtextpack ${ZV_SOURCE_DIR}/tools/zvtextpack.cpp)
target_link_libraries(zvtextpack PRIVATE zvtextpack_core zv_warnings)
