// Thin wrappers of the C allocator used by the containers.
#include "base/containers/XMalloc.h"

#include <cstdlib>

void* XMALLOC_pNew_(std::size_t n)
{
    if (n == 0)
        return nullptr;
    return std::malloc(n);
}

void* XMALLOC_pResize_(void* p, std::size_t n)
{
    // realloc(p, 0) may either free or return a unique block: make the outcome fixed.
    if (n == 0) {
        std::free(p);
        return nullptr;
    }
    return std::realloc(p, n);
}

void XMALLOC_Del_(void* p)
{
    std::free(p);
}
