// Tests of the reference-counted root object.
#include "base/files/CZVUnknown.h"

#include <gtest/gtest.h>

namespace {

class Counted : public CZVUnknown {
public:
    explicit Counted(int* destroyed) : m_pnDestroyed(destroyed) {}
    ~Counted() override { ++*m_pnDestroyed; }

private:
    int* m_pnDestroyed;
};

TEST(CZVUnknown, StartsUnreferencedAndReleasesAtZero)
{
    int destroyed = 0;
    Counted* p = new Counted(&destroyed);
    EXPECT_EQ(p->nGetRefCount(), 0);
    p->AddRefDirect();
    p->AddRefDirect();
    EXPECT_EQ(p->dwRelease(), 1u);
    EXPECT_EQ(destroyed, 0);
    EXPECT_EQ(p->dwRelease(), 0u);
    EXPECT_EQ(destroyed, 1);
}

TEST(CZVUnknown, ReleaseOfAnUnattachedObjectDoesNotDestroyIt)
{
    // Unattached objects may live on the stack: only reaching 0 from 1 destroys.
    int destroyed = 0;
    {
        Counted onStack(&destroyed);
        onStack.dwRelease();
        EXPECT_EQ(destroyed, 0);
        EXPECT_EQ(onStack.nGetRefCount(), -1);
    }
    EXPECT_EQ(destroyed, 1);
}

TEST(CZVUnknown, ReleaseIsTheThirdSlotOfTheTable)
{
    // The runtime calls dwRelease through slot 2 of the table: check that a call made that
    // way reaches the override chain exactly like a direct call.
    int destroyed = 0;
    Counted* p = new Counted(&destroyed);
    p->AddRefDirect();
    p->AddRefDirect();
    using ReleaseFn = uint32_t (*)(CZVUnknown*);
    void** table = *reinterpret_cast<void***>(p);
    ReleaseFn release = reinterpret_cast<ReleaseFn>(table[2]);
    EXPECT_EQ(release(p), 1u);
    EXPECT_EQ(release(p), 0u);
    EXPECT_EQ(destroyed, 1);
}

TEST(CZVUnknown, CopiesStartUnreferenced)
{
    int destroyed = 0;
    Counted a(&destroyed);
    a.AddRefDirect();
    Counted b(a);
    EXPECT_EQ(b.nGetRefCount(), 0);
    b = a;
    EXPECT_EQ(b.nGetRefCount(), 0);
}

} // namespace
