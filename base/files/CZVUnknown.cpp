// CZVUnknown: the reference-counted root of streams and error objects shared with the runtime.
#include "base/files/CZVUnknown.h"

uint32_t CZVUnknown::dwRelease()
{
    // Only the release that brings the count to exactly 0 destroys: an object that was never
    // attached (count 0) may live on the stack, and releasing it must not free it.
    const int32_t n = --m_nRefCount;
    if (n == 0) {
        delete this;
        return 0;
    }
    return static_cast<uint32_t>(n);
}
