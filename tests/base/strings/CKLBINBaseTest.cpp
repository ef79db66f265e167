// Tests of the language's binary values: bytes without terminator, copy on write, sizes, search.
#include "base/strings/CKLBINBase.h"

#include "base/strings/CKLDSTRBase.h"

#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <string>

namespace {

class KLBIN : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(CKLDSTRBase::bInit()); }
    void TearDown() override { CKLDSTRBase::Term(); }
};

TEST_F(KLBIN, BytesWithoutTerminatorAndCopyOnWrite)
{
    static const unsigned char ab[] = {1, 0, 2, 0xFF};
    CKLBINBase a;
    ASSERT_EQ(a.nAssign(ab, 4), eSTRMEM_OK);
    EXPECT_EQ(a.dwGetFlags(), unsigned(eSTRMEM_BINAIRE));
    // No zero word follows the bytes: the next byte is whatever the block held.
    char* p = const_cast<char*>(static_cast<const char*>(a.pGetData()));
    p[4] = 'Z';
    CKLBINBase b(a);
    ASSERT_EQ(b.nConcat("xy", 2), eSTRMEM_OK);
    EXPECT_EQ(a.nGetSize(), 4u);
    EXPECT_EQ(std::memcmp(a.pGetData(), ab, 4), 0);
    EXPECT_EQ(p[4], 'Z');
    ASSERT_EQ(b.nGetSize(), 6u);
    EXPECT_EQ(std::memcmp(b.pGetData(), "\x01\x00\x02\xFFxy", 6), 0);
    EXPECT_EQ(a.nGetRef(), 1);

    CKLBINBase c(a);
    ASSERT_EQ(c.SetUtilSize(2), eSTRMEM_OK);
    EXPECT_EQ(a.nGetSize(), 4u);
    EXPECT_EQ(c.nGetSize(), 2u);
    EXPECT_EQ(c.SetUtilSize(c.nGetCapacite() + 1), eSTRMEM_TROPGRAND);
}

TEST_F(KLBIN, SizesSearchAndCompare)
{
    CKLBINBase cl;
    ASSERT_EQ(cl.nSetSize(2000), eSTRMEM_OK);
    EXPECT_EQ(cl.nGetSize(), 2000u);
    EXPECT_EQ(cl.nGetCapacite(), 4000u);
    ASSERT_EQ(cl.nSetMemorySize(2100), eSTRMEM_OK);
    EXPECT_EQ(cl.nGetSize(), 2000u);
    EXPECT_EQ(cl.nGetCapacite(), 4000u);
    ASSERT_EQ(cl.nSetSize(0), eSTRMEM_OK);
    EXPECT_EQ(cl.pGetData(), nullptr);

    ASSERT_EQ(cl.nAssign("\0ab\0ab", 6), eSTRMEM_OK);
    EXPECT_EQ(cl.nPos("ab", 2), 1);
    EXPECT_EQ(cl.nPos("ab", 2, 2), 4);
    EXPECT_TRUE(cl.bCommencePar("\0a", 2));
    CKLBINBase clMilieu = cl.clMilieu(3, 10);
    ASSERT_EQ(clMilieu.nGetSize(), 3u);
    EXPECT_EQ(std::memcmp(clMilieu.pGetData(), "\0ab", 3), 0);
    ASSERT_EQ(cl.Tronque(3), eSTRMEM_OK);
    EXPECT_EQ(CKLBINBase::nCompare(cl, clMilieu), 0);
    CKLBINBase clCourt;
    ASSERT_EQ(clCourt.nAssign("\0a", 2), eSTRMEM_OK);
    EXPECT_EQ(CKLBINBase::nCompare(clCourt, cl), -1);
    EXPECT_EQ(CKLBINBase::nCompare(cl, CKLBINBase()), 1);
}

// Appending: the Init form sizes a first block exactly; the separator only between parts.
TEST_F(KLBIN, ConcatInitAndSeparator)
{
    CKLBINBase cl;
    ASSERT_EQ(cl.nConcatInit("\0abc", 4), eSTRMEM_OK);
    EXPECT_EQ(cl.nGetSize(), 4u);
    EXPECT_EQ(cl.dwGetFlags(), unsigned(eSTRMEM_BINAIRE));
    ASSERT_EQ(cl.nConcatInit("de", 2), eSTRMEM_OK);
    ASSERT_EQ(cl.nGetSize(), 6u);
    EXPECT_EQ(std::memcmp(cl.pGetData(), "\0abcde", 6), 0);
    EXPECT_EQ(cl.nConcatInit(nullptr, 3), eSTRMEM_OK);
    EXPECT_EQ(cl.nGetSize(), 6u);

    struct {
        const char* pszNom;
        const char* pDebut;
        unsigned nDebut;
        const char* pSep;
        unsigned nSep;
        const char* p;
        unsigned n;
        const char* pAttendu;
        unsigned nAttendu;
    } const aCas[] = {
        {"empty value: no separator", nullptr, 0, "\0", 1, "ab", 2, "ab", 2},
        {"separator between", "x", 1, "\0", 1, "ab", 2, "x\0ab", 4},
        {"no separator given", "x", 1, nullptr, 3, "ab", 2, "xab", 3},
        {"nothing after the separator", "x", 1, ";;", 2, nullptr, 5, "x;;", 3},
    };
    for (const auto& c : aCas) {
        CKLBINBase clCas;
        ASSERT_EQ(clCas.nAssign(c.pDebut, c.nDebut), eSTRMEM_OK);
        CKLBINBase clAutre(clCas);
        ASSERT_EQ(clCas.nConcatSeparateur(c.pSep, c.nSep, c.p, c.n), eSTRMEM_OK) << c.pszNom;
        ASSERT_EQ(clCas.nGetSize(), c.nAttendu) << c.pszNom;
        EXPECT_EQ(std::memcmp(clCas.pGetData(), c.pAttendu, c.nAttendu), 0) << c.pszNom;
        EXPECT_EQ(clAutre.nGetSize(), c.nDebut) << c.pszNom << ": the other holder keeps its bytes";
    }

    // Separator and bytes taken from the value itself, while the block has to grow.
    CKLBINBase clSoi;
    ASSERT_EQ(clSoi.nAssign("0123456789", 10), eSTRMEM_OK);
    const char* p = static_cast<const char*>(clSoi.pGetData());
    std::string sAttendu = "0123456789";
    for (int i = 0; i < 20; ++i) {
        p = static_cast<const char*>(clSoi.pGetData());
        sAttendu += std::string(p + 1, 1) + std::string(p, clSoi.nGetSize());
        ASSERT_EQ(clSoi.nConcatSeparateur(p + 1, 1, p, clSoi.nGetSize()), eSTRMEM_OK);
        if (clSoi.nGetSize() > 100000)
            break;
    }
    ASSERT_EQ(clSoi.nGetSize(), sAttendu.size());
    EXPECT_EQ(std::memcmp(clSoi.pGetData(), sAttendu.data(), sAttendu.size()), 0);

    EXPECT_EQ(clSoi.nConcatSeparateur(";", 1, "a", STRMEM_TAILLE_MAX), eSTRMEM_TROPGRAND);
    EXPECT_EQ(clSoi.nGetSize(), sAttendu.size());
}

TEST_F(KLBIN, LooseComparisons)
{
    struct {
        const char* a;
        unsigned nA;
        const char* b;
        unsigned nB;
        int nExact, nSouple, nTresSouple;
    } const aCas[] = {
        {"abc", 3, "abc", 3, 0, 0, 0},
        {"abc", 3, "ABC", 3, 1, 0, 0},
        {"\xC9t\xE9", 3, "ete", 3, 1, 0, 0},   // bytes compare unsigned
        {"e-t e", 5, "ETE", 3, 1, -1, 0},
        {"ab", 2, "abc", 3, -1, -1, -1},
        {"", 0, "", 0, 0, 0, 0},
        {"a", 1, "", 0, 1, 1, 1},
        // The bytes after a NUL count: a text mapping would stop there.
        {"a\0b", 3, "A\0c", 3, 1, -1, -1},
        {"a\0B", 3, "A\0b", 3, 1, 0, 0},
        {"a\0", 2, "a", 1, 1, 1, 1},   // a NUL byte is kept by every form
        {"a-\0", 3, "A\0", 2, 1, 1, 0},
    };
    for (const auto& c : aCas) {
        CKLBINBase a, b;
        ASSERT_EQ(a.nAssign(c.a, c.nA), eSTRMEM_OK);
        ASSERT_EQ(b.nAssign(c.b, c.nB), eSTRMEM_OK);
        const std::string sCas = std::string(c.a, c.nA) + " / " + std::string(c.b, c.nB);
        EXPECT_EQ(CKLBINBase::nCompare(a, b), c.nExact) << sCas;
        EXPECT_EQ(CKLBINBase::nCompareSouple(a, b), c.nSouple) << sCas;
        EXPECT_EQ(CKLBINBase::nCompareSouple(b, a), -c.nSouple) << sCas;
        EXPECT_EQ(CKLBINBase::nCompareTresSouple(a, b), c.nTresSouple) << sCas;
        EXPECT_EQ(CKLBINBase::nCompareTresSouple(b, a), -c.nTresSouple) << sCas;
    }
}

TEST_F(KLBIN, Conversions)
{
    CKLBINBase cl;
    ASSERT_EQ(cl.nAffecteToUNICODE("\xE9t\x80", -1, 1252, 0, 2), eSTRMEM_OK);
    EXPECT_EQ(cl.dwGetFlags(), unsigned(eSTRMEM_BINAIRE));
    ASSERT_EQ(cl.nGetSize(), 3 * sizeof(wchar_t));
    EXPECT_GE(cl.nGetCapacite(), 5 * sizeof(wchar_t));
    EXPECT_EQ(std::wmemcmp(static_cast<const wchar_t*>(cl.pGetData()), L"\u00E9t\u20AC", 3), 0);

    CKLBINBase clAnsi;
    ASSERT_EQ(clAnsi.nAffecteToANSI(static_cast<const wchar_t*>(cl.pGetData()), int(cl.nGetSize() / sizeof(wchar_t)),
                                    1252),
              eSTRMEM_OK);
    EXPECT_EQ(clAnsi.dwGetFlags(), unsigned(eSTRMEM_BINAIRE));
    ASSERT_EQ(clAnsi.nGetSize(), 3u);
    EXPECT_EQ(std::memcmp(clAnsi.pGetData(), "\xE9t\x80", 3), 0);
    // From itself: the source block stays alive until the conversion is done.
    ASSERT_EQ(cl.nAffecteToANSI(static_cast<const wchar_t*>(cl.pGetData()), 3, 1252), eSTRMEM_OK);
    EXPECT_EQ(CKLBINBase::nCompare(cl, clAnsi), 0);

    // Failures leave the value as it was; empty sources empty it.
    EXPECT_EQ(cl.nAffecteToANSI(L"\u4E2D", -1, 1252), eSTRMEM_CONVERSION);
    EXPECT_EQ(cl.nAffecteToUNICODE("\x81", 1, 1252, 0, 0), eSTRMEM_CONVERSION);
    EXPECT_EQ(CKLBINBase::nCompare(cl, clAnsi), 0);
    ASSERT_EQ(cl.nAffecteToUNICODE("", -1, 1252, 0, 0), eSTRMEM_OK);
    EXPECT_EQ(cl.pGetData(), nullptr);

    // From string values: converted when of the other kind, copied otherwise.
    CKLDSTRBase clTexte, clUni;
    ASSERT_EQ(clTexte.nAssign("\xE9\0x", 3), eSTRMEM_OK);
    ASSERT_EQ(clUni.nAffecteToUNICODE("\xE9\0x", 3, 1252, 0, 0), eSTRMEM_OK);
    ASSERT_EQ(cl.nAffecteToUNICODE(clTexte, 1252), eSTRMEM_OK);
    ASSERT_EQ(cl.nGetSize(), clUni.nGetLength());
    EXPECT_EQ(std::memcmp(cl.pGetData(), clUni.pGetData(), clUni.nGetLength()), 0);
    ASSERT_EQ(cl.nAffecteToUNICODE(clUni, 1252), eSTRMEM_OK);
    ASSERT_EQ(cl.nGetSize(), clUni.nGetLength());
    EXPECT_EQ(std::memcmp(cl.pGetData(), clUni.pGetData(), clUni.nGetLength()), 0);
    EXPECT_EQ(cl.dwGetFlags(), unsigned(eSTRMEM_BINAIRE));
    ASSERT_EQ(cl.nAffecteToANSI(clUni, 1252), eSTRMEM_OK);
    ASSERT_EQ(cl.nGetSize(), 3u);
    EXPECT_EQ(std::memcmp(cl.pGetData(), "\xE9\0x", 3), 0);
    ASSERT_EQ(cl.nAffecteToANSI(CKLDSTRBase(), 1252), eSTRMEM_OK);
    EXPECT_EQ(cl.pGetData(), nullptr);
    EXPECT_EQ(clTexte.nGetRef(), 1);
    EXPECT_EQ(clUni.nGetRef(), 1);
}

TEST_F(KLBIN, RecupereInitTakesOverAReference)
{
    CKLBINBase a;
    ASSERT_EQ(a.nAssign("\0pris", 5), eSTRMEM_OK);
    char* p = const_cast<char*>(static_cast<const char*>(a.pGetData()));
    // A reference held by the caller (as the runtime would hand one over).
    __atomic_add_fetch(STRMEM_pnRef(STRMEM_pBloc(p)), 1, __ATOMIC_RELAXED);
    CKLBINBase b;
    ASSERT_EQ(b.nAssign("old", 3), eSTRMEM_OK);
    EXPECT_EQ(b.nRecupereInit(p), eSTRMEM_OK);
    EXPECT_EQ(b.pGetData(), p);
    EXPECT_EQ(a.nGetRef(), 2);
    __atomic_add_fetch(STRMEM_pnRef(STRMEM_pBloc(p)), 1, __ATOMIC_RELAXED);
    EXPECT_EQ(b.nRecupereInit(p), eSTRMEM_OK);   // the block it holds already: one reference goes
    EXPECT_EQ(a.nGetRef(), 2);
    b.Vide();
    EXPECT_EQ(a.nGetRef(), 1);
    EXPECT_EQ(std::memcmp(a.pGetData(), "\0pris", 5), 0);
}

} // namespace
