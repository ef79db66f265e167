# Fails if a source of the stand-in runtime (SOURCE_DIR) includes a header of the launcher or of
# the service: the runtime may only rely on contract/ and the base library, as a runtime built
# apart from the launcher would.
file(GLOB_RECURSE sources "${SOURCE_DIR}/*.h" "${SOURCE_DIR}/*.cpp" "${SOURCE_DIR}/*.c")
set(found "")
foreach(source IN LISTS sources)
  file(STRINGS "${source}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<](launcher|service)/")
  foreach(line IN LISTS lines)
    list(APPEND found "${source}: ${line}")
  endforeach()
endforeach()
if(found)
  list(JOIN found "\n" text)
  message(FATAL_ERROR "the runtime includes launcher or service headers:\n${text}")
endif()
list(LENGTH sources count)
message(STATUS "${count} runtime sources include nothing of launcher/ or service/")
