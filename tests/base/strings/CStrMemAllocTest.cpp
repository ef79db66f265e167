// Tests of the value-block allocator: capacities, recycling limits, the swap through GeneralParam, per-thread recyclers.
#include "base/strings/CStrMemAlloc.h"

#include "base/strings/CKLDSTRBase.h"
#include "base/strings/GeneralParam.h"
#include "base/system/ThreadKey.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

// Counts the blocks it makes and frees (through the virtual slots the values use).
class CAllocateurCompteur : public CStrMemAlloc {
public:
    CAllocateurCompteur() : CStrMemAlloc("Test") {}
    ~CAllocateurCompteur() override { vSupprimeTout(); }
    int vnAllocStrMem(char** pp, unsigned n) override
    {
        const int nRes = CStrMemAlloc::vnAllocStrMem(pp, n);
        if (nRes == eSTRMEM_OK)
            ++m_nAllocs;
        return nRes;
    }
    void vFreeCacheStrMem(_stSTRMEMBLOC* pBloc) override
    {
        ++m_nLiberes;
        CStrMemAlloc::vFreeCacheStrMem(pBloc);
    }
    std::atomic<int> m_nAllocs{0};
    std::atomic<int> m_nLiberes{0};
};

// Each test starts with the module's own allocator and no runtime settings, and ends clean.
class StrMemAlloc : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(CKLDSTRBase::bInit()); }
    void TearDown() override
    {
        CStrMemAlloc::s_LibereRecycleurThread();
        CKLDSTRBase::Term();
        gpbMTEnCours = nullptr;
        gbTLSOk = false;
    }
    int m_bMT = 0;
};

TEST(StrMemAllocCapacite, NewAndGrownBlocks)
{
    struct {
        unsigned n;
        unsigned nCapacite;
    } const aNeufs[] = {
        {0, 104}, {1, 104}, {104, 104}, {105, 1000}, {1000, 1000}, {1001, 2002},
        {5000, 10000}, {STRMEM_TAILLE_MAX, STRMEM_CAPACITE_MAX},
    };
    for (const auto& c : aNeufs)
        EXPECT_EQ(CStrMemAlloc::s_nCapacite(c.n), c.nCapacite) << c.n;

    struct {
        unsigned c, n, nCapacite;
    } const aGrandis[] = {
        {2000, 2100, 2400},   // d < c/10: +20 %
        {2000, 2300, 3000},   // d < c/5: +50 %
        {2000, 2900, 4000},   // d < c/2: x2
        {2000, 3500, 7000},   // else 2 x n
        {104, 500, 1000},     // still within the fixed classes
        {104, 1001, 2002},
        {1000, 1050, 1200},
        {2000, 2000, 2000},   // nothing to grow
        {STRMEM_CAPACITE_MAX - 10, STRMEM_CAPACITE_MAX - 5, STRMEM_CAPACITE_MAX},   // capped, never short
        {0xF0000000u, 0xF0000001u, STRMEM_CAPACITE_MAX},
    };
    for (const auto& g : aGrandis)
        EXPECT_EQ(CStrMemAlloc::s_nCapaciteAgrandie(g.c, g.n), g.nCapacite) << g.c << " -> " << g.n;
}

// The virtual slots are an interface with the runtime: slot 5 answers the version, slot 6
// allocates.
TEST_F(StrMemAlloc, VirtualSlotOrder)
{
    CStrMemAlloc* pcl = CStrMemAlloc::ms_pclAllocateur;
    void** pVtable = *reinterpret_cast<void***>(pcl);
    using FnVersion = int (*)(CStrMemAlloc*);
    using FnAlloc = int (*)(CStrMemAlloc*, char**, unsigned);
    using FnRelease = void (*)(CStrMemAlloc*, char*);
    EXPECT_EQ(reinterpret_cast<FnVersion>(pVtable[5])(pcl), 1);
    char* p = nullptr;
    ASSERT_EQ(reinterpret_cast<FnAlloc>(pVtable[6])(pcl, &p, 10), eSTRMEM_OK);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(STRMEM_pBloc(p)->pAllocateur, pcl);
    EXPECT_EQ(STRMEM_pBloc(p)->nCapacite, 104u);
    reinterpret_cast<FnRelease>(pVtable[8])(pcl, p);
    EXPECT_STREQ(pcl->pszGetModule(), "ZVExe");
}

TEST_F(StrMemAlloc, FreshBlockHeaderAndZeroWords)
{
    CStrMemAlloc* pcl = CStrMemAlloc::ms_pclAllocateur;
    char* p = nullptr;
    ASSERT_EQ(pcl->vnAllocStrMem(&p, 1001), eSTRMEM_OK);
    const _stSTRMEMBLOC* pBloc = STRMEM_pBloc(p);
    EXPECT_EQ(pBloc->dwFlags, 0u);
    EXPECT_EQ(pBloc->nRef, 1);
    EXPECT_EQ(pBloc->nCapacite, 2002u);
    EXPECT_EQ(pBloc->nLongueur, 0u);
    static const char acZero[4] = {0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(p, acZero, 4), 0);
    EXPECT_EQ(std::memcmp(p + 2002, acZero, 4), 0);
    pcl->vReleaseStrMem(p);
}

TEST_F(StrMemAlloc, TooLargeRequestsAllocateNothing)
{
    CAllocateurCompteur clAlloc;
    ASSERT_TRUE(GeneralParam(eGP_ALLOCATEUR, reinterpret_cast<std::uintptr_t>(&clAlloc)));
    char* p = reinterpret_cast<char*>(&clAlloc);   // sentinel: must stay
    EXPECT_EQ(clAlloc.vnAllocStrMem(&p, STRMEM_TAILLE_MAX + 1), eSTRMEM_TROPGRAND);
    EXPECT_EQ(p, reinterpret_cast<char*>(&clAlloc));
    EXPECT_EQ(clAlloc.vnAllocStrMem(nullptr, 4), eSTRMEM_TROPGRAND);
    CKLDSTRBase cl;
    ASSERT_EQ(cl.nAssign("abc"), eSTRMEM_OK);
    EXPECT_EQ(cl._nNew(0xFFFFFFFFu, "x", 1), eSTRMEM_TROPGRAND);
    EXPECT_STREQ(cl.pszGet(), "abc");
    EXPECT_EQ(clAlloc.m_nAllocs, 1);
    cl.Vide();
    CKLDSTRBase::Term();
}

TEST_F(StrMemAlloc, NothingIsRecycledBeforeTheRuntimeFlagIsKnown)
{
    CAllocateurCompteur clAlloc;
    ASSERT_TRUE(GeneralParam(eGP_ALLOCATEUR, reinterpret_cast<std::uintptr_t>(&clAlloc)));
    {
        CKLDSTRBase cl;
        ASSERT_EQ(cl.nAssign("abc"), eSTRMEM_OK);
    }
    EXPECT_EQ(clAlloc.nGetNbPetits(), 0);
    EXPECT_EQ(clAlloc.m_nLiberes, 1);
    CKLDSTRBase::Term();
}

// One thread: the allocator's own lists keep at most 20 blocks of each fixed capacity and
// hand the most recent back first; other capacities are always freed.
TEST_F(StrMemAlloc, RecyclingLimits)
{
    CAllocateurCompteur clAlloc;
    ASSERT_TRUE(GeneralParam(eGP_ALLOCATEUR, reinterpret_cast<std::uintptr_t>(&clAlloc)));
    ASSERT_TRUE(GeneralParam(eGP_FLAG_MT, reinterpret_cast<std::uintptr_t>(&m_bMT)));
    for (unsigned nTaille : {50u, 600u}) {
        const bool bPetit = nTaille == 50;
        const int nLiberesAvant = clAlloc.m_nLiberes;
        std::vector<char*> ap(21, nullptr);
        for (char*& p : ap)
            ASSERT_EQ(clAlloc.vnAllocStrMem(&p, nTaille), eSTRMEM_OK);
        for (char* p : ap)
            clAlloc.vReleaseStrMem(p);
        EXPECT_EQ(bPetit ? clAlloc.nGetNbPetits() : clAlloc.nGetNbMoyens(), 20);
        EXPECT_EQ(clAlloc.m_nLiberes - nLiberesAvant, 1);   // the 21st was freed
        // Taken back newest first, without calling malloc, with a clean header.
        const int nAllocsAvant = clAlloc.m_nAllocs;
        char* p = nullptr;
        STRMEM_pBloc(ap[19])->dwFlags = 0xFF;
        ASSERT_EQ(clAlloc.vnAllocStrMem(&p, nTaille), eSTRMEM_OK);
        EXPECT_EQ(p, ap[19]);
        EXPECT_EQ(STRMEM_pBloc(p)->nRef, 1);
        EXPECT_EQ(STRMEM_pBloc(p)->dwFlags, 0u);
        EXPECT_EQ(STRMEM_pBloc(p)->nLongueur, 0u);
        EXPECT_EQ(clAlloc.m_nAllocs - nAllocsAvant, 1);   // counted by the slot, not by malloc
        clAlloc.vReleaseStrMem(p);
    }
    char* pGrand = nullptr;
    ASSERT_EQ(clAlloc.vnAllocStrMem(&pGrand, 1001), eSTRMEM_OK);
    const int nLiberesAvant = clAlloc.m_nLiberes;
    clAlloc.vReleaseStrMem(pGrand);
    EXPECT_EQ(clAlloc.m_nLiberes - nLiberesAvant, 1);
    clAlloc.vSupprimeTout();
    EXPECT_EQ(clAlloc.nGetNbPetits(), 0);
    EXPECT_EQ(clAlloc.nGetNbMoyens(), 0);
    CKLDSTRBase::Term();
}

// Growth into a fixed capacity takes a recycled block and keeps the bytes.
TEST_F(StrMemAlloc, ReallocTakesARecycledBlock)
{
    ASSERT_TRUE(GeneralParam(eGP_FLAG_MT, reinterpret_cast<std::uintptr_t>(&m_bMT)));
    CStrMemAlloc* pcl = CStrMemAlloc::ms_pclAllocateur;
    char* pLibre = nullptr;
    ASSERT_EQ(pcl->vnAllocStrMem(&pLibre, 1000), eSTRMEM_OK);
    pcl->vReleaseStrMem(pLibre);
    char* p = nullptr;
    ASSERT_EQ(pcl->vnAllocStrMem(&p, 10), eSTRMEM_OK);
    std::memcpy(p, "0123456789", 10);
    STRMEM_pBloc(p)->nLongueur = 10;
    STRMEM_pBloc(p)->dwFlags = eSTRMEM_ANSI;
    ASSERT_EQ(pcl->vnReallocStrMem(&p, 500), eSTRMEM_OK);
    EXPECT_EQ(p, pLibre);
    EXPECT_EQ(STRMEM_pBloc(p)->nCapacite, 1000u);
    EXPECT_EQ(STRMEM_pBloc(p)->nLongueur, 10u);
    EXPECT_EQ(STRMEM_pBloc(p)->dwFlags, unsigned(eSTRMEM_ANSI));
    EXPECT_EQ(std::memcmp(p, "0123456789\0\0\0\0", 14), 0);
    EXPECT_EQ(pcl->nGetNbPetits(), 1);   // the old 104-byte block went back to the list
    pcl->vReleaseStrMem(p);
}

TEST_F(StrMemAlloc, GeneralParamCodes)
{
    EXPECT_FALSE(GeneralParam(2007, 1));
    EXPECT_FALSE(GeneralParam(0, 0));
    EXPECT_FALSE(GeneralParam(eGP_FLAG_MT, 0));
    EXPECT_FALSE(GeneralParam(eGP_ALLOCATEUR, 0));
    EXPECT_NE(CStrMemAlloc::ms_pclAllocateur, nullptr);
    EXPECT_TRUE(GeneralParam(eGP_FLAG_MT, reinterpret_cast<std::uintptr_t>(&m_bMT)));
    EXPECT_EQ(gpbMTEnCours, &m_bMT);
    EXPECT_TRUE(GeneralParam(eGP_CLE_RECYCLEURS, 7));
    EXPECT_TRUE(gbTLSOk);
    EXPECT_EQ(gdwIndexRecycleur, 7u);
}

// The swap: later allocations go through the supplied allocator; values made by the
// module's own allocator stay valid and release safely after it was replaced.
TEST_F(StrMemAlloc, AllocatorSwapKeepsOlderValuesValid)
{
    CKLDSTRBase clAncien;
    ASSERT_EQ(clAncien.nAssign("made before the swap"), eSTRMEM_OK);
    CStrMemAlloc* pclPropre = CStrMemAlloc::ms_pclAllocateur;
    EXPECT_EQ(STRMEM_pBloc(clAncien.pGetData())->pAllocateur, pclPropre);

    CAllocateurCompteur clAlloc;
    ASSERT_TRUE(GeneralParam(eGP_ALLOCATEUR, reinterpret_cast<std::uintptr_t>(&clAlloc)));
    EXPECT_EQ(CStrMemAlloc::ms_pclAllocateur, &clAlloc);
    EXPECT_TRUE(CStrMemAlloc::ms_bAllocateurExterne);
    {
        CKLDSTRBase cl;
        ASSERT_EQ(cl.nAssign("after"), eSTRMEM_OK);
        EXPECT_EQ(STRMEM_pBloc(cl.pGetData())->pAllocateur, &clAlloc);
        EXPECT_EQ(clAlloc.m_nAllocs, 1);
        // A value of the old allocator grows through it still.
        ASSERT_EQ(clAncien.nConcat(std::string(200, 'x').c_str()), eSTRMEM_OK);
        EXPECT_EQ(clAlloc.m_nAllocs, 1);
    }
    EXPECT_EQ(clAlloc.m_nLiberes, 1);
    EXPECT_EQ(clAncien.nGetLength(), 220u);
    clAncien.Vide();   // the old allocator goes with its last block (checked by the sanitizer)
    // Term leaves the external allocator alone.
    CKLDSTRBase::Term();
    EXPECT_EQ(CStrMemAlloc::ms_pclAllocateur, nullptr);
    EXPECT_EQ(clAlloc.vnGetVersion(), 1);
}

TEST_F(StrMemAlloc, TermWithLiveValues)
{
    CKLDSTRBase cl;
    ASSERT_EQ(cl.nAssign("survives Term"), eSTRMEM_OK);
    CKLDSTRBase::Term();
    EXPECT_STREQ(cl.pszGet(), "survives Term");
    CKLDSTRBase clCopie(cl);
    EXPECT_EQ(cl.nAssign("x"), eSTRMEM_MEMOIRE);   // shared, and no allocator to copy it
    EXPECT_STREQ(cl.pszGet(), "survives Term");
    clCopie.Vide();
    cl.Vide();
    EXPECT_TRUE(CKLDSTRBase::bInit());
}

// Several threads with the flag set: each thread recycles into its own recycler, blocks made
// by one thread are released by others, and a thread's recycler goes with the thread.
TEST_F(StrMemAlloc, PerThreadRecyclers)
{
    ASSERT_TRUE(CStrMemAlloc::s_bCreeCleRecycleurs());
    m_bMT = 1;
    ASSERT_TRUE(GeneralParam(eGP_FLAG_MT, reinterpret_cast<std::uintptr_t>(&m_bMT)));

    CKLDSTRBase clPartage;
    ASSERT_EQ(clPartage.nAssign("shared by every thread"), eSTRMEM_OK);
    constexpr int kNbThreads = 4;
    std::atomic<int> nErreurs{0};
    std::atomic<int> nRecycleursPleins{0};
    std::vector<std::thread> aThreads;
    for (int t = 0; t < kNbThreads; ++t) {
        aThreads.emplace_back([&, t] {
            std::vector<CKLDSTRBase> aValeurs(25);
            for (int tour = 0; tour < 200; ++tour) {
                for (std::size_t i = 0; i < aValeurs.size(); ++i) {
                    CKLDSTRBase& cl = aValeurs[i];
                    if (i % 3 == 0)
                        cl = clPartage;   // shares the main thread's block
                    else if (cl.nPrintf("t%d-%d-%zu", t, tour, i) != eSTRMEM_OK)
                        ++nErreurs;
                    if (i % 5 == 0 && cl.nConcat(std::string(600, 'a' + char(t)).c_str()) != eSTRMEM_OK)
                        ++nErreurs;
                }
                for (CKLDSTRBase& cl : aValeurs)
                    cl.Vide();
            }
            if (CKLDSTRBase::nCompare(clPartage, clPartage) != 0)
                ++nErreurs;
            {
                std::vector<CKLDSTRBase> aPetits(25);
                for (CKLDSTRBase& cl : aPetits)
                    if (cl.nAssign("x") != eSTRMEM_OK)
                        ++nErreurs;
            }
            // 25 small blocks were just released: this thread's recycler kept 20.
            const CStrMemCache* pcl = static_cast<const CStrMemCache*>(TLS_pGetValeur(gdwIndexRecycleur));
            if (pcl != nullptr && pcl->nGetNbPetits() == CStrMemCache::ms_nMaxParListe)
                ++nRecycleursPleins;
        });
    }
    for (std::thread& th : aThreads)
        th.join();
    EXPECT_EQ(nErreurs, 0);
    EXPECT_EQ(nRecycleursPleins, kNbThreads);
    EXPECT_EQ(clPartage.nGetRef(), 1);
    EXPECT_STREQ(clPartage.pszGet(), "shared by every thread");
    // The main thread's own lists were not used while the flag was set.
    EXPECT_EQ(CStrMemAlloc::ms_pclAllocateur->nGetNbPetits(), 0);
}

} // namespace
