# Warning and sanitizer settings shared by every target of the project.
add_library(zv_warnings INTERFACE)
target_compile_options(zv_warnings INTERFACE -Wall -Wextra $<$<BOOL:${ZV_WERROR}>:-Werror>)

if(ZV_SANITIZE)
  # Every report is fatal: a sanitizer finding fails the test that caused it.
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined -fno-sanitize-recover=all)
endif()
