// Tests of the language's string values: copy on write, growth, conversions, comparisons.
#include "base/strings/CKLDSTRBase.h"

#include "base/strings/CKLBINBase.h"
#include "base/strings/CStrMemAlloc.h"
#include "base/strings/CharTables.h"
#include "base/strings/StrCopy.h"

#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <string>

namespace {

class KLDSTR : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(CKLDSTRBase::bInit()); }
    void TearDown() override { CKLDSTRBase::Term(); }
};

// The value's bytes, its length, and the zero word that must follow them.
void VerifieTexte(const CKLDSTRBase& cl, const char* pAttendu, unsigned nLong)
{
    ASSERT_EQ(cl.nGetLength(), nLong);
    if (nLong == 0)
        return;
    ASSERT_NE(cl.pGetData(), nullptr);
    ASSERT_LE(nLong, cl.nGetCapacite());
    EXPECT_EQ(std::memcmp(cl.pGetData(), pAttendu, nLong), 0);
    static const char acZero[4] = {0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(cl.pGetData() + nLong, acZero, 4), 0) << "zero word after the text";
    EXPECT_EQ(std::memcmp(cl.pGetData() + cl.nGetCapacite(), acZero, 4), 0) << "zero word after the capacity";
}

TEST_F(KLDSTR, EmptyForms)
{
    CKLDSTRBase cl;
    EXPECT_EQ(cl.pGetData(), nullptr);
    EXPECT_STREQ(cl.pszGet(), "");
    EXPECT_EQ(cl.nAssignInit(nullptr, 5), eSTRMEM_OK);
    EXPECT_EQ(cl.nAssignInit("abc", 0), eSTRMEM_OK);
    EXPECT_EQ(cl.pGetData(), nullptr);
    EXPECT_EQ(cl._nNew(0, "abc", 3), eSTRMEM_OK);
    EXPECT_EQ(cl.pGetData(), nullptr);
    ASSERT_EQ(cl.nAssign("abc"), eSTRMEM_OK);
    EXPECT_EQ(cl.nAssign(nullptr, 3), eSTRMEM_OK);
    EXPECT_EQ(cl.pGetData(), nullptr);
    ASSERT_EQ(cl.nSetLength(0), eSTRMEM_OK);
    EXPECT_NE(cl.pGetData(), nullptr);
    EXPECT_EQ(cl.nGetLength(), 0u);
    EXPECT_EQ(cl.SetUtilLength(0, true), eSTRMEM_OK);
    EXPECT_EQ(cl.pGetData(), nullptr);
}

TEST_F(KLDSTR, NewCopiesAndTerminates)
{
    CKLDSTRBase cl;
    ASSERT_EQ(cl._nNew(105, "hello", 5), eSTRMEM_OK);
    EXPECT_EQ(cl.nGetCapacite(), 1000u);
    EXPECT_EQ(cl.dwGetFlags(), unsigned(eSTRMEM_ANSI));
    VerifieTexte(cl, "hello", 5);
    ASSERT_EQ(cl._nNew(3, "hello", 5), eSTRMEM_OK);   // the length is cut to the size
    VerifieTexte(cl, "hel", 3);
    // Embedded NULs are bytes like any other.
    ASSERT_EQ(cl.nAssign("a\0b", 3), eSTRMEM_OK);
    VerifieTexte(cl, "a\0b", 3);
}

// Copy on write: every modifying operation leaves the other holder's text as it was.
TEST_F(KLDSTR, CopyOnWriteWithSharedBlocks)
{
    struct {
        const char* pszNom;
        int (*pfn)(CKLDSTRBase&);
        const char* pszAttendu;
    } const aCas[] = {
        {"nAssign", [](CKLDSTRBase& c) { return c.nAssign("xy"); }, "xy"},
        {"nConcat", [](CKLDSTRBase& c) { return c.nConcat("!"); }, "hello world!"},
        {"Tronque", [](CKLDSTRBase& c) { return c.Tronque(5); }, "hello"},
        {"SetUtilLength", [](CKLDSTRBase& c) { return c.SetUtilLength(4, false); }, "hell"},
        {"nSetLength", [](CKLDSTRBase& c) { return c.nSetLength(5000); }, "hello world"},
        {"Renverse", [](CKLDSTRBase& c) { return c.Renverse(); }, "dlrow olleh"},
        {"Trim", [](CKLDSTRBase& c) { c.nConcat("  "); return c.Trim(); }, "hello world"},
        {"nAddPrintf", [](CKLDSTRBase& c) { return c.nAddPrintf("%d", 42); }, "hello world42"},
    };
    for (const auto& c : aCas) {
        SCOPED_TRACE(c.pszNom);
        CKLDSTRBase a;
        ASSERT_EQ(a.nAssign("hello world"), eSTRMEM_OK);
        CKLDSTRBase b(a);
        EXPECT_EQ(b.pGetData(), a.pGetData());
        EXPECT_EQ(a.nGetRef(), 2);
        ASSERT_EQ(c.pfn(b), eSTRMEM_OK);
        VerifieTexte(a, "hello world", 11);
        VerifieTexte(b, c.pszAttendu, unsigned(std::strlen(c.pszAttendu)));
        EXPECT_NE(b.pGetData(), a.pGetData());
        EXPECT_EQ(a.nGetRef(), 1);
        EXPECT_EQ(b.nGetRef(), 1);
    }
}

TEST_F(KLDSTR, AssignSharesThenCuts)
{
    CKLDSTRBase a, b, c;
    ASSERT_EQ(a.nAssign("abcdef"), eSTRMEM_OK);
    b = a;
    EXPECT_EQ(a.nGetRef(), 2);
    ASSERT_EQ(c._Assign(a, 3), eSTRMEM_OK);
    VerifieTexte(c, "abc", 3);
    VerifieTexte(a, "abcdef", 6);
    EXPECT_EQ(a.nGetRef(), 2);
    ASSERT_EQ(c._Assign(a, 0), eSTRMEM_OK);
    EXPECT_EQ(c.pGetData(), nullptr);
    a = a;   // self-assignment keeps the block
    EXPECT_EQ(a.nGetRef(), 2);
    VerifieTexte(a, "abcdef", 6);
    c.Take(b);
    EXPECT_EQ(a.nGetRef(), 3);
    // A private block is reused in place when it is large enough.
    b.Vide();
    c.Vide();
    const char* pAvant = a.pGetData();
    ASSERT_EQ(a.nAssign("xyz"), eSTRMEM_OK);
    EXPECT_EQ(a.pGetData(), pAvant);
    VerifieTexte(a, "xyz", 3);
}

// Appending grows by the growth rule and keeps every byte; the text may come from the
// value itself.
TEST_F(KLDSTR, ConcatGrowthAndSelfSource)
{
    CKLDSTRBase cl;
    std::string attendu;
    const std::string morceau(97, 'q');
    for (int i = 0; i < 60; ++i) {
        ASSERT_EQ(cl.nConcat(morceau.c_str()), eSTRMEM_OK);
        attendu += morceau;
        const unsigned nLong = cl.nGetLength();
        ASSERT_EQ(nLong, attendu.size());
        ASSERT_GE(cl.nGetCapacite(), nLong);
    }
    VerifieTexte(cl, attendu.c_str(), unsigned(attendu.size()));
    CKLDSTRBase clSoi;
    ASSERT_EQ(clSoi.nAssign("0123456789"), eSTRMEM_OK);
    for (int i = 0; i < 8; ++i)
        ASSERT_EQ(clSoi.nConcat(clSoi.pGetData(), clSoi.nGetLength()), eSTRMEM_OK);   // doubles
    ASSERT_EQ(clSoi.nGetLength(), 2560u);
    for (unsigned i = 0; i < 2560; ++i)
        ASSERT_EQ(clSoi.pGetData()[i], char('0' + i % 10)) << i;
    ASSERT_EQ(clSoi.nAssign(clSoi.pGetData() + 5, 3), eSTRMEM_OK);
    VerifieTexte(clSoi, "567", 3);
}

TEST_F(KLDSTR, SizesAboveTheLimit)
{
    CKLDSTRBase cl;
    ASSERT_EQ(cl.nAssign("abc"), eSTRMEM_OK);
    EXPECT_EQ(cl.nSetLength(STRMEM_TAILLE_MAX + 1), eSTRMEM_TROPGRAND);
    EXPECT_EQ(cl.nConcat("x", STRMEM_TAILLE_MAX), eSTRMEM_TROPGRAND);
    EXPECT_EQ(cl.SetUtilLength(cl.nGetCapacite() + 1, false), eSTRMEM_TROPGRAND);
    VerifieTexte(cl, "abc", 3);
}

TEST_F(KLDSTR, TronqueClearsTheMarker)
{
    CKLDSTRBase cl;
    ASSERT_EQ(cl.nAssign("abcdef"), eSTRMEM_OK);
    STRMEM_pBloc(cl.pGetData())->dwFlags |= eSTRMEM_MARQUEUR;
    EXPECT_EQ(cl.Tronque(10), eSTRMEM_OK);
    EXPECT_EQ(cl.Tronque(-1), eSTRMEM_OK);
    EXPECT_TRUE(cl.dwGetFlags() & eSTRMEM_MARQUEUR);
    EXPECT_EQ(cl.Tronque(2), eSTRMEM_OK);
    EXPECT_FALSE(cl.dwGetFlags() & eSTRMEM_MARQUEUR);
    VerifieTexte(cl, "ab", 2);
    STRMEM_pBloc(cl.pGetData())->dwFlags |= eSTRMEM_MARQUEUR;
    ASSERT_EQ(cl.nConcat("c"), eSTRMEM_OK);
    EXPECT_FALSE(cl.dwGetFlags() & eSTRMEM_MARQUEUR);
}

TEST_F(KLDSTR, Conversions)
{
    CKLDSTRBase cl;
    ASSERT_EQ(cl.nAffecteToUNICODE("\xE9t\xE9", -1, 1252, 0, 2), eSTRMEM_OK);
    EXPECT_TRUE(cl.bEstUNICODE());
    ASSERT_EQ(cl.nGetLength(), 3 * sizeof(wchar_t));
    EXPECT_GE(cl.nGetCapacite(), 5 * sizeof(wchar_t));
    EXPECT_EQ(std::wcscmp(reinterpret_cast<const wchar_t*>(cl.pGetData()), L"\u00E9t\u00E9"), 0);
    wchar_t* pwsz = cl.pszCreateWSTR();
    ASSERT_NE(pwsz, nullptr);
    EXPECT_EQ(std::wcscmp(pwsz, L"\u00E9t\u00E9"), 0);
    STR_DeleteW(pwsz);

    CKLDSTRBase clAnsi;
    ASSERT_EQ(clAnsi.nAffecteToANSI(cl, 1252), eSTRMEM_OK);
    VerifieTexte(clAnsi, "\xE9t\xE9", 3);
    ASSERT_EQ(cl.nAffecteToANSI(cl, 1252), eSTRMEM_OK);   // from itself
    VerifieTexte(cl, "\xE9t\xE9", 3);
    EXPECT_FALSE(cl.bEstUNICODE());

    ASSERT_EQ(cl.nAffecteToUTF8("\xE9\x80", -1, 1252), eSTRMEM_OK);
    VerifieTexte(cl, "\xC3\xA9\xE2\x82\xAC", 5);
    ASSERT_EQ(cl.nAffecteToUTF8("d\xC3\xA9j\xC3\xA0", -1, 65001), eSTRMEM_OK);
    VerifieTexte(cl, "d\xC3\xA9j\xC3\xA0", 6);

    ASSERT_EQ(cl.nAffecteToANSI(L"\u20ACx", -1, 1252), eSTRMEM_OK);
    VerifieTexte(cl, "\x80x", 2);
    // Failures leave the value as it was.
    EXPECT_EQ(cl.nAffecteToANSI(L"\u4E2D", -1, 1252), eSTRMEM_CONVERSION);
    EXPECT_EQ(cl.nAffecteToUNICODE("\x81", 1, 1252, 0, 0), eSTRMEM_CONVERSION);
    VerifieTexte(cl, "\x80x", 2);

    CKLBINBase clBin;
    ASSERT_EQ(clBin.nAssign(L"ok", 2 * sizeof(wchar_t)), eSTRMEM_OK);
    ASSERT_EQ(cl.nAffecteToANSI(clBin, 1252), eSTRMEM_OK);
    VerifieTexte(cl, "ok", 2);
}

TEST_F(KLDSTR, CreatedCopiesAreExact)
{
    CKLDSTRBase cl;
    ASSERT_EQ(cl.nAssign("abc"), eSTRMEM_OK);
    char* psz = cl.pszCreateCSTR();
    ASSERT_NE(psz, nullptr);
    EXPECT_STREQ(psz, "abc");
    STR_Delete(psz);
    CKLDSTRBase clVide;
    psz = clVide.pszCreateCSTR();
    ASSERT_NE(psz, nullptr);
    EXPECT_STREQ(psz, "");
    STR_Delete(psz);
}

TEST_F(KLDSTR, Comparisons)
{
    struct {
        const char* a;
        const char* b;
        int nExact, nSouple, nTresSouple;
    } const aCas[] = {
        {"abc", "abc", 0, 0, 0},
        {"abc", "abd", -1, -1, -1},
        {"ab", "abc", -1, -1, -1},
        {"abc", "", 1, 1, 1},
        {"", "", 0, 0, 0},
        {"\xC9t\xE9", "ete", 1, 0, 0},   // bytes compare unsigned
        {"e-t e", "ETE", 1, -1, 0},
    };
    for (const auto& c : aCas) {
        CKLDSTRBase a, b;
        ASSERT_EQ(a.nAssign(c.a), eSTRMEM_OK);
        ASSERT_EQ(b.nAssign(c.b), eSTRMEM_OK);
        EXPECT_EQ(CKLDSTRBase::nCompare(a, b), c.nExact) << c.a << " / " << c.b;
        EXPECT_EQ(CKLDSTRBase::nCompare(b, a), -c.nExact) << c.a << " / " << c.b;
        EXPECT_EQ(CKLDSTRBase::nCompareSouple(a, b), c.nSouple) << c.a << " / " << c.b;
        EXPECT_EQ(CKLDSTRBase::nCompareTresSouple(a, b), c.nTresSouple) << c.a << " / " << c.b;
    }
    CKLDSTRBase a, b;
    ASSERT_EQ(a.nAssign("abcX"), eSTRMEM_OK);
    ASSERT_EQ(b.nAssign("abcY"), eSTRMEM_OK);
    EXPECT_EQ(CKLDSTRBase::nCompare(a, b, 3), 0);
    EXPECT_EQ(CKLDSTRBase::nCompare(a, b, 4), -1);
}

TEST_F(KLDSTR, SearchAndEditing)
{
    CKLDSTRBase cl;
    ASSERT_EQ(cl.nAssign("aaaa-ab"), eSTRMEM_OK);
    EXPECT_EQ(cl.nPos("ab", 2), 5);
    EXPECT_EQ(cl.nPos("aa", 2, 1), 1);
    EXPECT_EQ(cl.nPos("zz", 2), -1);
    EXPECT_EQ(cl.nPos("ab", 2, 6), -1);
    EXPECT_EQ(cl.nPos("a", 0), -1);
    EXPECT_EQ(cl.nPosFin("a", 1), 5);
    EXPECT_EQ(cl.nNbOcc("aa", 2), 2);
    EXPECT_TRUE(cl.bCommencePar("aaa", 3));
    EXPECT_FALSE(cl.bCommencePar("aaaa-abc", 8));

    CKLDSTRBase clMilieu = cl.clMilieu(5, 100);
    VerifieTexte(clMilieu, "ab", 2);
    EXPECT_EQ(cl.clMilieu(7, 1).pGetData(), nullptr);
    ASSERT_EQ(cl.nAssignI4(-42), eSTRMEM_OK);
    ASSERT_EQ(cl.nConcatI4(7), eSTRMEM_OK);
    VerifieTexte(cl, "-427", 4);
    ASSERT_EQ(cl.nAssign(" \t x y \r\n"), eSTRMEM_OK);
    ASSERT_EQ(cl.Trim(), eSTRMEM_OK);
    VerifieTexte(cl, "x y", 3);
    ASSERT_EQ(cl.nAssign("ab  "), eSTRMEM_OK);
    ASSERT_EQ(cl.SansEspace(), eSTRMEM_OK);
    VerifieTexte(cl, "ab", 2);
    ASSERT_EQ(cl.nPrintf("%s=%05d", "n", 42), eSTRMEM_OK);
    VerifieTexte(cl, "n=00042", 7);
    ASSERT_EQ(cl.nAddPrintf("[%s]", cl.pszGet()), eSTRMEM_OK);   // an argument inside the value
    VerifieTexte(cl, "n=00042[n=00042]", 16);
    const std::string grand(3000, 'g');
    ASSERT_EQ(cl.nPrintf("%s", grand.c_str()), eSTRMEM_OK);
    VerifieTexte(cl, grand.c_str(), 3000);
}

TEST_F(KLDSTR, ReplaceCompleteAndMultiple)
{
    struct {
        const char* pszTexte;
        const char* pszS;
        const char* pszR;
        unsigned nDebut;
        const char* pszAttendu;
    } const aCas[] = {
        {"aaaa", "a", "xyz", 2, "aaxyzxyz"},
        {"aaaa", "aa", "b", 0, "bb"},
        {"abcabc", "abc", "", 0, ""},
        {"hello", "zz", "y", 0, "hello"},
        {"hello", "l", "L", 4, "hello"},
        {"a.b.c", ".", "::", 0, "a::b::c"},
    };
    for (const auto& c : aCas) {
        CKLDSTRBase cl;
        ASSERT_EQ(cl.nAssign(c.pszTexte), eSTRMEM_OK);
        CKLDSTRBase clAutre(cl);
        ASSERT_EQ(cl.Remplace(c.pszS, unsigned(std::strlen(c.pszS)), c.pszR, unsigned(std::strlen(c.pszR)), c.nDebut),
                  eSTRMEM_OK);
        VerifieTexte(cl, c.pszAttendu, unsigned(std::strlen(c.pszAttendu)));
        VerifieTexte(clAutre, c.pszTexte, unsigned(std::strlen(c.pszTexte)));
    }
    CKLDSTRBase cl;
    ASSERT_EQ(cl.nAssign("abcdef"), eSTRMEM_OK);
    ASSERT_EQ(cl.nComplete(3, '*'), eSTRMEM_OK);
    VerifieTexte(cl, "abc", 3);
    ASSERT_EQ(cl.nComplete(6, '*'), eSTRMEM_OK);
    VerifieTexte(cl, "abc***", 6);
    ASSERT_EQ(cl.nConcatSeparateur(", ", 2, "d", 1), eSTRMEM_OK);
    VerifieTexte(cl, "abc***, d", 9);
    CKLDSTRBase clVide;
    ASSERT_EQ(clVide.nConcatSeparateur(", ", 2, "d", 1), eSTRMEM_OK);
    VerifieTexte(clVide, "d", 1);

    const char* const apsz[] = {"un", nullptr, "-", "deux"};
    ASSERT_EQ(cl.nAssignMultiple(apsz, 4), eSTRMEM_OK);
    VerifieTexte(cl, "un-deux", 7);
    const char* const apszSoi[] = {"[", cl.pszGet(), "]"};
    ASSERT_EQ(cl.nConcatMultiple(apszSoi, 3), eSTRMEM_OK);
    VerifieTexte(cl, "un-deux[un-deux]", 16);
    EXPECT_EQ(cl.nPosParmi("]["), 7);
    EXPECT_EQ(cl.nPosParmi("]", 8), 15);
    EXPECT_EQ(cl.nPosParmi("qz"), -1);
    EXPECT_EQ(cl.nCompareTo("un-deux[un-deux]", 16), 0);
    EXPECT_EQ(cl.nCompareTo("un", 2), 1);
    EXPECT_EQ(cl.nCompareTo("uo", 2), -1);

    ASSERT_EQ(cl.nAssign("\xE9t\xE9, ok!"), eSTRMEM_OK);
    ASSERT_EQ(cl.MapString(7), eSTRMEM_OK);
    VerifieTexte(cl, "ETEOK", 5);
}

TEST_F(KLDSTR, UnicodeOperations)
{
    CKLDSTRBase cl;
    ASSERT_EQ(cl.nAffecteToUNICODE("  a;bb;;c\t", -1, 1252, 0, 0), eSTRMEM_OK);
    ASSERT_EQ(cl.TrimUNICODE(), eSTRMEM_OK);
    EXPECT_TRUE(cl.bEstUNICODE());
    EXPECT_EQ(cl.nCompareToUNICODE(L"a;bb;;c", 7), 0);
    EXPECT_EQ(cl.nPosUNICODE(L";", 1), 1);
    EXPECT_EQ(cl.nPosUNICODE(L";", 1, 2), 4);
    EXPECT_EQ(cl.nPosFinUNICODE(L";", 1), 5);
    EXPECT_EQ(cl.nNbOccUNICODE(L";", 1), 3);
    struct {
        unsigned nNumero;
        bool bTrouve;
        const wchar_t* pwAttendu;
    } const aChamps[] = {{0, true, L"a"}, {1, true, L"bb"}, {2, true, L""}, {3, true, L"c"}, {4, false, L""}};
    for (const auto& c : aChamps) {
        CKLDSTRBase clChamp;
        EXPECT_EQ(cl.bExtraitChaineUNICODE(c.nNumero, L";", 1, &clChamp), c.bTrouve) << c.nNumero;
        if (c.bTrouve) {
            EXPECT_EQ(clChamp.nCompareToUNICODE(c.pwAttendu, unsigned(std::wcslen(c.pwAttendu))), 0) << c.nNumero;
        }
    }
    ASSERT_EQ(cl.RemplaceUNICODE(L";", 1, L"\u20AC\u20AC", 2), eSTRMEM_OK);
    EXPECT_EQ(cl.nCompareToUNICODE(L"a\u20AC\u20ACbb\u20AC\u20AC\u20AC\u20ACc", 10), 0);
    CKLDSTRBase clMilieu = cl.clMilieuUNICODE(3, 2);
    EXPECT_EQ(clMilieu.nCompareToUNICODE(L"bb", 2), 0);
    ASSERT_EQ(clMilieu.RenverseUNICODE(), eSTRMEM_OK);
    ASSERT_EQ(clMilieu.nCompleteUNICODE(4, L'\u00E9'), eSTRMEM_OK);
    EXPECT_EQ(clMilieu.nCompareToUNICODE(L"bb\u00E9\u00E9", 4), 0);
    EXPECT_EQ(std::wmemcmp(reinterpret_cast<const wchar_t*>(clMilieu.pGetData()) + 4, L"\0", 1), 0);

    CKLDSTRBase a, b;
    ASSERT_EQ(a.nAffecteToUNICODE("\xC9t\xE9", -1, 1252, 0, 0), eSTRMEM_OK);
    ASSERT_EQ(b.nAffecteToUNICODE("ete", -1, 1252, 0, 0), eSTRMEM_OK);
    EXPECT_EQ(CKLDSTRBase::nCompareSoupleUNICODE(a, b), 0);

    // UTF-16: a surrogate pair is one character; a lone surrogate stays.
    const unsigned short aw[] = {'x', 0xD83D, 0xDE00, 0xDC00, 0};
    ASSERT_EQ(cl.nAssignUNICODE_UTF16(aw, -1), eSTRMEM_OK);
    ASSERT_EQ(cl.nGetLength(), 3 * sizeof(wchar_t));
    EXPECT_EQ(std::wmemcmp(reinterpret_cast<const wchar_t*>(cl.pGetData()), L"x\U0001F600", 2), 0);
    EXPECT_EQ(reinterpret_cast<const wchar_t*>(cl.pGetData())[2], wchar_t(0xDC00));
}

TEST_F(KLDSTR, RecupereInitTakesOverAReference)
{
    CKLDSTRBase a;
    ASSERT_EQ(a.nAssign("pris"), eSTRMEM_OK);
    char* p = a.pGetData();
    // A reference held by the caller (as the runtime would hand one over).
    __atomic_add_fetch(STRMEM_pnRef(STRMEM_pBloc(p)), 1, __ATOMIC_RELAXED);
    CKLDSTRBase b;
    EXPECT_EQ(b.nRecupereInit(p), eSTRMEM_OK);
    EXPECT_EQ(b.pGetData(), p);
    EXPECT_EQ(a.nGetRef(), 2);
    __atomic_add_fetch(STRMEM_pnRef(STRMEM_pBloc(p)), 1, __ATOMIC_RELAXED);
    EXPECT_EQ(b.nRecupereInit(p), eSTRMEM_OK);   // the block it holds already: one reference goes
    EXPECT_EQ(a.nGetRef(), 2);
    b.Vide();
    EXPECT_EQ(a.nGetRef(), 1);
    VerifieTexte(a, "pris", 4);
}

TEST_F(KLDSTR, ConcatInit)
{
    CKLDSTRBase cl;
    EXPECT_EQ(cl.nConcatInit(nullptr, 4), eSTRMEM_OK);
    EXPECT_EQ(cl.nConcatInit("abc", 0), eSTRMEM_OK);
    EXPECT_EQ(cl.pGetData(), nullptr);
    // A first block of exactly the text's size, whatever class the allocator rounds it to.
    ASSERT_EQ(cl.nConcatInit("a\0c", 3), eSTRMEM_OK);
    VerifieTexte(cl, "a\0c", 3);
    EXPECT_EQ(cl.dwGetFlags(), unsigned(eSTRMEM_ANSI));
    CKLDSTRBase clAutre(cl);
    ASSERT_EQ(cl.nConcatInit(cl.pGetData(), 3), eSTRMEM_OK);   // from itself, shared
    VerifieTexte(cl, "a\0ca\0c", 6);
    VerifieTexte(clAutre, "a\0c", 3);
    // A value holding an empty block keeps it and appends.
    CKLDSTRBase clVide;
    ASSERT_EQ(clVide.nSetLength(0), eSTRMEM_OK);
    char* pBloc = clVide.pGetData();
    ASSERT_EQ(clVide.nConcatInit("xy", 2), eSTRMEM_OK);
    VerifieTexte(clVide, "xy", 2);
    EXPECT_EQ(clVide.pGetData(), pBloc);
}

TEST_F(KLDSTR, Milieu)
{
    CKLDSTRBase cl;
    ASSERT_EQ(cl.nAssign("0123456789"), eSTRMEM_OK);
    struct {
        unsigned nDebut, nNb;
        const char* pszAttendu;
    } const aCas[] = {
        {0, 3, "012"}, {4, 3, "456"}, {7, 100, "789"}, {9, 1, "9"}, {0, 10, "0123456789"},
        {0, 0, ""},    {10, 1, ""},   {11, 5, ""},     {5, 0, ""},  {0xFFFFFFFFu, 0xFFFFFFFFu, ""},
        {3, 0xFFFFFFFFu, "3456789"},
    };
    for (const auto& c : aCas) {
        CKLDSTRBase clMilieu;
        ASSERT_EQ(clMilieu.nAssign("old"), eSTRMEM_OK);
        ASSERT_EQ(clMilieu.nMilieu(cl, c.nDebut, c.nNb), eSTRMEM_OK) << c.nDebut << "," << c.nNb;
        VerifieTexte(clMilieu, c.pszAttendu, unsigned(std::strlen(c.pszAttendu)));
        EXPECT_FALSE(clMilieu.bEstUNICODE());
        CKLDSTRBase clRendu = cl.clMilieu(c.nDebut, c.nNb);
        VerifieTexte(clRendu, c.pszAttendu, unsigned(std::strlen(c.pszAttendu)));
    }
    VerifieTexte(cl, "0123456789", 10);

    // The source may be the value itself; a shared source keeps its text.
    CKLDSTRBase clAutre(cl);
    ASSERT_EQ(cl.nMilieu(cl, 2, 3), eSTRMEM_OK);
    VerifieTexte(cl, "234", 3);
    VerifieTexte(clAutre, "0123456789", 10);
    ASSERT_EQ(clAutre.nMilieu(clAutre, 0, 4), eSTRMEM_OK);
    VerifieTexte(clAutre, "0123", 4);

    // Counts are in bytes, also for a Unicode value, whose type is kept.
    CKLDSTRBase clUni;
    ASSERT_EQ(clUni.nAffecteToUNICODE("ab", -1, 1252, 0, 0), eSTRMEM_OK);
    ASSERT_EQ(cl.nMilieu(clUni, sizeof(wchar_t), 100), eSTRMEM_OK);
    EXPECT_TRUE(cl.bEstUNICODE());
    ASSERT_EQ(cl.nGetLength(), sizeof(wchar_t));
    EXPECT_EQ(std::wcscmp(reinterpret_cast<const wchar_t*>(cl.pGetData()), L"b"), 0);
}

TEST_F(KLDSTR, ExtraitChainePosUNICODE)
{
    CKLDSTRBase cl;
    ASSERT_EQ(cl.nAffecteToUNICODE("a<>bb<><>ccc", -1, 1252, 0, 0), eSTRMEM_OK);
    struct {
        unsigned nNumero;
        bool bTrouve;
        unsigned nDebut, nNbCar;
    } const aCas[] = {
        {0, true, 0, 1}, {1, true, 3, 2}, {2, true, 7, 0}, {3, true, 9, 3}, {4, false, 0, 0}, {100, false, 0, 0},
    };
    for (const auto& c : aCas) {
        unsigned nDebut = 0xDEADBEEF, nNbCar = 0xDEADBEEF;
        EXPECT_EQ(cl.bExtraitChainePosUNICODE(c.nNumero, L"<>", 2, &nDebut, &nNbCar), c.bTrouve) << c.nNumero;
        if (c.bTrouve) {
            EXPECT_EQ(nDebut, c.nDebut) << c.nNumero;
            EXPECT_EQ(nNbCar, c.nNbCar) << c.nNumero;
        } else {
            EXPECT_EQ(nDebut, 0xDEADBEEFu) << c.nNumero << ": untouched on failure";
            EXPECT_EQ(nNbCar, 0xDEADBEEFu) << c.nNumero << ": untouched on failure";
        }
    }
    // Either output may be null.
    unsigned nNbCar = 0xDEADBEEF;
    EXPECT_TRUE(cl.bExtraitChainePosUNICODE(3, L"<>", 2, nullptr, &nNbCar));
    EXPECT_EQ(nNbCar, 3u);
    EXPECT_TRUE(cl.bExtraitChainePosUNICODE(0, L"<>", 2, nullptr, nullptr));

    unsigned nDebut = 0xDEADBEEF;
    nNbCar = 0xDEADBEEF;
    EXPECT_FALSE(cl.bExtraitChainePosUNICODE(0, nullptr, 2, &nDebut, &nNbCar));
    EXPECT_FALSE(cl.bExtraitChainePosUNICODE(0, L"<>", 0, &nDebut, &nNbCar));
    EXPECT_EQ(nDebut, 0xDEADBEEFu);
    EXPECT_EQ(nNbCar, 0xDEADBEEFu);
    // A text without the separator is one field; an empty value one empty field.
    EXPECT_TRUE(cl.bExtraitChainePosUNICODE(0, L"#", 1, &nDebut, &nNbCar));
    EXPECT_EQ(nDebut, 0u);
    EXPECT_EQ(nNbCar, 12u);
    CKLDSTRBase clVide;
    EXPECT_TRUE(clVide.bExtraitChainePosUNICODE(0, L"#", 1, &nDebut, &nNbCar));
    EXPECT_EQ(nNbCar, 0u);
    EXPECT_FALSE(clVide.bExtraitChainePosUNICODE(1, L"#", 1, &nDebut, &nNbCar));
}

TEST_F(KLDSTR, AffecteToUNICODE_CurrentCharset)
{
    struct {
        int nCharset;
        wchar_t wAttendu;
    } const aCas[] = {
        {0, L'\u00C0'},     // Windows-1252
        {204, L'\u0410'},   // Windows-1251
    };
    for (const auto& c : aCas) {
        STR_ChangeAlphabet(c.nCharset, nullptr);
        CKLDSTRBase cl;
        ASSERT_EQ(cl.nAffecteToUNICODE_CurrentCharset("\xC0z", -1), eSTRMEM_OK) << c.nCharset;
        EXPECT_TRUE(cl.bEstUNICODE());
        ASSERT_EQ(cl.nGetLength(), 2 * sizeof(wchar_t)) << c.nCharset;
        const wchar_t* pw = reinterpret_cast<const wchar_t*>(cl.pGetData());
        EXPECT_EQ(pw[0], c.wAttendu) << c.nCharset;
        EXPECT_EQ(pw[1], L'z');
        EXPECT_EQ(pw[2], L'\0');
        ASSERT_EQ(cl.nAffecteToUNICODE_CurrentCharset("\xC0z", 1), eSTRMEM_OK);
        EXPECT_EQ(cl.nGetLength(), sizeof(wchar_t));
        ASSERT_EQ(cl.nAffecteToUNICODE_CurrentCharset(nullptr, 3), eSTRMEM_OK);
        EXPECT_EQ(cl.pGetData(), nullptr);
    }
    STR_ChangeAlphabet(0, nullptr);
}

// The loose comparisons look at the whole value, also past a NUL byte.
TEST_F(KLDSTR, LooseComparisonsPastNul)
{
    CKLDSTRBase a, b;
    ASSERT_EQ(a.nAssign("a\0b", 3), eSTRMEM_OK);
    ASSERT_EQ(b.nAssign("A\0C", 3), eSTRMEM_OK);
    EXPECT_EQ(CKLDSTRBase::nCompareSouple(a, b), -1);
    EXPECT_EQ(CKLDSTRBase::nCompareTresSouple(b, a), 1);
    ASSERT_EQ(b.nAssign("A\0B", 3), eSTRMEM_OK);
    EXPECT_EQ(CKLDSTRBase::nCompareSouple(a, b), 0);
}

} // namespace
