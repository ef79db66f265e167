// Thin wrappers of the C allocator used by the containers: allocate, resize, free.
#pragma once

#include <cstddef>

// n bytes from malloc; null when n is 0 or when the memory cannot be obtained.
void* XMALLOC_pNew_(std::size_t n);
// Resizes p (null: allocates) to n bytes and returns the new address. On failure the
// result is null and p stays valid and unchanged. A size of 0 frees p and gives null.
void* XMALLOC_pResize_(void* p, std::size_t n);
// Frees p; null is accepted.
void XMALLOC_Del_(void* p);
