# Warning and sanitizer settings shared by every target of the project.
add_library(zv_warnings INTERFACE)
target_compile_options(zv_warnings INTERFACE -Wall -Wextra $<$<BOOL:${ZV_WERROR}>:-Werror>)

if(ZV_SANITIZE)
  # Every report is fatal: a sanitizer finding fails the test that caused it.
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined -fno-sanitize-recover=all)
endif()

if(ZV_TSAN)
  if(ZV_SANITIZE)
    message(FATAL_ERROR "ZV_TSAN and ZV_SANITIZE exclude each other: ThreadSanitizer cannot run with AddressSanitizer")
  endif()
  # Every data race or lock-order report fails the test that caused it (TSAN_OPTIONS of the
  # tsan test preset adds halt_on_error).
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
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

# A 32-bit ABI (i386) gets 64-bit file offsets, sizes and inode numbers, and a 64-bit time_t,
# in every translation unit of the build alike: without them a stat or a directory read fails
# (EOVERFLOW) on a file system with 64-bit inode numbers or directory offsets, on a file over
# 2 GiB, or on a date after January 2038. No layout shared with the runtime holds an off_t or
# a time_t (tests/abi checks it), so the runtime sees the same records either way.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  add_compile_definitions(_FILE_OFFSET_BITS=64 _TIME_BITS=64)
endif()
