# Warning and sanitizer settings shared by every target of the project.
add_library(zv_warnings INTERFACE)
target_compile_options(zv_warnings INTERFACE -Wall -Wextra $<$<BOOL:${ZV_WERROR}>:-Werror>)

if(ZV_SANITIZE)
  # Every report is fatal: a sanitizer finding fails the test that caused it.
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined -fno-sanitize-recover=all)
endif()

if(NOT ZV_SANITIZE)
  # The hardening of Debian's own packages: checked string and memory calls where the size is
  # known (needs optimisation, so not in Debug builds), relocations resolved at start and then
  # made read-only.
  if(NOT CMAKE_C_FLAGS MATCHES "_FORTIFY_SOURCE" AND NOT CMAKE_CXX_FLAGS MATCHES "_FORTIFY_SOURCE")
    add_compile_definitions($<$<NOT:$<CONFIG:Debug>>:_FORTIFY_SOURCE=2>)
  endif()
  add_link_options(LINKER:-z,relro LINKER:-z,now)
endif()
