// Tests of the reference-counted base object and of its virtual slot order.
#include "base/containers/CObjet.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

int gnDetruits = 0;
int gnAgregat = 0x1234;

class CAvecAgregat : public CObjet {
public:
    int nCreations = 0;
    ~CAvecAgregat() override { ++gnDetruits; }
    void CreateAgregat() override
    {
        ++nCreations;
        m_pIAgregat = &gnAgregat;
    }
};

template <typename Fn>
Fn Slot(const void* pObjet, int n)
{
    void** ppTable;
    std::memcpy(&ppTable, pObjet, sizeof(ppTable));
    return reinterpret_cast<Fn>(ppTable[n]);
}

TEST(CObjet, CountsReferencesAndDeletesItselfAtZero)
{
    gnDetruits = 0;
    CAvecAgregat* p = new CAvecAgregat;
    EXPECT_EQ(p->nGetNombreReferences(), 1);
    p->AddRef();
    EXPECT_EQ(p->nRelease(), 1);
    EXPECT_EQ(gnDetruits, 0);
    EXPECT_EQ(p->nRelease(), 0);
    EXPECT_EQ(gnDetruits, 1);
}

TEST(CObjet, QueryInterfaceCreatesTheAggregateOnceAndCountsOnlyRealAnswers)
{
    CAvecAgregat o;
    EXPECT_EQ(o.pIQueryInterface(), &gnAgregat);
    EXPECT_EQ(o.pIQueryInterface(), &gnAgregat);
    EXPECT_EQ(o.nCreations, 1);
    EXPECT_EQ(o.nGetNombreReferences(), 3);

    CObjet base;
    EXPECT_EQ(base.pIQueryInterface(), nullptr);
    EXPECT_EQ(base.nGetNombreReferences(), 1);
}

TEST(CObjet, CopyAndAssignmentShareNothing)
{
    CAvecAgregat a;
    a.pIQueryInterface();
    CAvecAgregat b;
    static_cast<CObjet&>(b) = a;
    EXPECT_EQ(b.nGetNombreReferences(), 1);
    EXPECT_EQ(b.pIQueryInterface(), &gnAgregat);
    EXPECT_EQ(b.nCreations, 1);  // its own aggregate: none was copied
    CObjet c(a);
    EXPECT_EQ(c.nGetNombreReferences(), 1);
    EXPECT_EQ(c.pIQueryInterface(), nullptr);
}

TEST(CObjet, VirtualSlotOrder)
{
    gnDetruits = 0;
    CAvecAgregat* p = new CAvecAgregat;
    Slot<void (*)(const CObjet*)>(p, 2)(p);                           // XAssertValid
    EXPECT_EQ(Slot<void* (*)(CObjet*)>(p, 3)(p), &gnAgregat);         // pIQueryInterface
    EXPECT_EQ(p->nGetNombreReferences(), 2);
    Slot<void (*)(CObjet*)>(p, 4)(p);                                 // AddRef
    EXPECT_EQ(p->nGetNombreReferences(), 3);
    EXPECT_EQ(Slot<int (*)(CObjet*)>(p, 5)(p), 2);                    // nRelease
    Slot<void (*)(CObjet*)>(p, 6)(p);                                 // CreateAgregat
    EXPECT_EQ(p->nCreations, 2);
    Slot<void (*)(CObjet*)>(p, 1)(p);                                 // deleting destructor
    EXPECT_EQ(gnDetruits, 1);
}

} // namespace
