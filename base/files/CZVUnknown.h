// CZVUnknown: the reference-counted root of streams and error objects shared with the runtime.
#pragma once

#include <cstddef>
#include <cstdint>

// Layout shared with the runtime library, packed in both ABIs: the table of virtual
// operations, then the signed 32-bit reference count. Slot order: 0 destructor, 1 deleting
// destructor, 2 dwRelease. Nothing may be inserted before these slots.
#pragma pack(push, 1)
class CZVUnknown {
public:
    CZVUnknown() = default;
    // A copy is a new object: it starts unreferenced whatever the source's count.
    CZVUnknown(const CZVUnknown&) : m_nRefCount(0) {}
    CZVUnknown& operator=(const CZVUnknown&) { return *this; }
    virtual ~CZVUnknown() = default;

    // Decrements the count; at 0 the object destroys itself (deleting destructor).
    // Returns the new count, 0 when the object was destroyed.
    virtual uint32_t dwRelease();

    // There is no add-reference operation in the table: a holder that keeps the object
    // increments the count directly, through this helper or the field itself.
    void AddRefDirect() { ++m_nRefCount; }
    int32_t nGetRefCount() const { return m_nRefCount; }

    // Created at 0: the first holder brings it to 1, and that holder's release destroys it.
    int32_t m_nRefCount = 0;
};
#pragma pack(pop)

static_assert(sizeof(CZVUnknown) == sizeof(void*) + 4, "CZVUnknown: table pointer then 32-bit count, packed");
