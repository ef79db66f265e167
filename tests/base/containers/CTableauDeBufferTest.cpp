// Tests of the growable array: growth, compaction, element moves, searches, layout.
#include "base/containers/CTableauDeBuffer.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

namespace {

// The elements of an array of single characters.
std::string Contenu(const CTableauDeBuffer& tab)
{
    std::string s;
    for (int i = 0; i < tab.nGetNombre(); ++i)
        s += *static_cast<const char*>(tab.pGetElem(i));
    return s;
}

void Remplit(CTableauDeBuffer& tab, const char* psz)
{
    for (; *psz != 0; ++psz)
        ASSERT_TRUE(tab.Ajoute(psz));
}

// The virtual table entry of slot n, called as the free function it is in this ABI.
template <typename Fn>
Fn Slot(const void* pObjet, int n)
{
    void** ppTable;
    std::memcpy(&ppTable, pObjet, sizeof(ppTable));
    return reinterpret_cast<Fn>(ppTable[n]);
}

TEST(CTableauDeBuffer, StepOneGrowsByOneAndCompactsPastThreshold)
{
    CTableauDeBuffer tab(1, 1, 30);
    EXPECT_EQ(tab.pGetData(), nullptr);
    for (int i = 0; i < 40; ++i) {
        const char c = char('A' + i);
        ASSERT_TRUE(tab.Ajoute(&c));
        ASSERT_EQ(tab.nGetNombre(), i + 1);
        ASSERT_EQ(tab.nGetCapacite(), i + 1);
    }
    // Thirty free places are tolerated; the 31st triggers the compaction.
    for (int nLibres = 1; nLibres <= 30; ++nLibres) {
        tab.SupprimeCompacte(0);
        ASSERT_EQ(tab.nGetCapacite(), 40) << nLibres;
    }
    tab.SupprimeCompacte(0);
    EXPECT_EQ(tab.nGetNombre(), 9);
    EXPECT_EQ(tab.nGetCapacite(), 9);
    EXPECT_EQ(Contenu(tab), "`abcdefgh");
}

TEST(CTableauDeBuffer, ReservationRoundsToStepsOrIsExact)
{
    CTableauDeBuffer tab(1, 10, 30);
    Remplit(tab, "abcdefgh");
    ASSERT_EQ(tab.nGetCapacite(), 10);
    EXPECT_TRUE(tab.AgranditMemoire(2));  // fits: nothing to do
    EXPECT_EQ(tab.nGetCapacite(), 10);
    EXPECT_TRUE(tab.AgranditMemoire(5));  // 3 short, rounded up to one step
    EXPECT_EQ(tab.nGetCapacite(), 20);
    EXPECT_TRUE(tab.AgranditMemoire(23));  // 11 short: two steps
    EXPECT_EQ(tab.nGetCapacite(), 40);
    EXPECT_TRUE(tab.AlloueMemoire(43));   // exactly
    EXPECT_EQ(tab.nGetCapacite(), 43);
    EXPECT_TRUE(tab.AlloueMemoire(5));    // never shrinks
    EXPECT_EQ(tab.nGetCapacite(), 43);
    EXPECT_EQ(tab.nGetPas(), 10);
    EXPECT_EQ(Contenu(tab), "abcdefgh");
}

TEST(CTableauDeBuffer, EtendFillsTheGapAndGrowsToIndexPlusStep)
{
    CTableauDeBuffer tab(1, 1, 30);
    const char x = 'x', f = 'f';
    ASSERT_TRUE(tab.Etend(5, &x, &f));
    EXPECT_EQ(Contenu(tab), "fffffx");
    EXPECT_EQ(tab.nGetCapacite(), 6);

    const char y = 'y', z = 'z';
    ASSERT_TRUE(tab.Etend(2, &y, &f));  // below the count: overwrite
    ASSERT_TRUE(tab.Etend(6, &z, &f));  // at the count: append
    EXPECT_EQ(Contenu(tab), "ffyffxz");

    CTableauDeBuffer zeros(1, 4, 30);
    ASSERT_TRUE(zeros.Etend(2, &x, nullptr));
    ASSERT_EQ(zeros.nGetNombre(), 3);
    EXPECT_EQ(*static_cast<char*>(zeros.pGetElem(0)), 0);
    EXPECT_EQ(*static_cast<char*>(zeros.pGetElem(1)), 0);
    EXPECT_EQ(zeros.nGetCapacite(), 6);
    EXPECT_FALSE(zeros.Etend(-1, &x, nullptr));
}

TEST(CTableauDeBuffer, DeplaceRotatesTheSpanBetween)
{
    struct Row {
        int nDe, nVers;
        const char* pszAttendu;
    };
    const Row rows[] = {{0, 3, "bcda"}, {3, 0, "dabc"}, {1, 2, "acbd"},
                        {2, 2, "abcd"}, {0, 4, "abcd"}, {-1, 0, "abcd"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.nDe) + " -> " + std::to_string(row.nVers));
        CTableauDeBuffer tab(1, 4, 30);
        Remplit(tab, "abcd");
        tab.Deplace(row.nDe, row.nVers);
        EXPECT_EQ(Contenu(tab), row.pszAttendu);
    }
}

TEST(CTableauDeBuffer, PermuteMultipleOrdersRunsAndKeepsTheRest)
{
    struct Row {
        const char* pszNom;
        int nPremiers;
        std::vector<_STBlocATrier> blocs;
        bool bOk;
        const char* pszAttendu;
    };
    const Row rows[] = {
        {"two blocks swapped", 0, {{2, 2}, {0, 2}}, true, "cdab"},
        {"leading elements kept", 1, {{3, 1}, {1, 2}}, true, "adbc"},
        {"adjacent blocks form one run", 0, {{2, 1}, {3, 1}, {0, 2}}, true, "cdab"},
        {"tail past the total kept", 0, {{1, 1}, {0, 1}}, true, "bacd"},
        {"no blocks", 2, {}, true, "abcd"},
        {"block past the count", 0, {{3, 2}}, false, "abcd"},
        {"negative block", 0, {{-1, 1}}, false, "abcd"},
        {"total past the count", 3, {{0, 2}}, false, "abcd"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.pszNom);
        CTableauDeBuffer tab(1, 8, 30);
        Remplit(tab, "abcd");
        EXPECT_EQ(tab.PermuteMultiple(row.nPremiers, row.blocs.data(), int(row.blocs.size())),
                  row.bOk);
        EXPECT_EQ(Contenu(tab), row.pszAttendu);
        EXPECT_EQ(tab.nGetCapacite(), 8);
    }
}

TEST(CTableauDeBuffer, InsertRemoveAndSwap)
{
    CTableauDeBuffer tab(1, 2, 30);
    Remplit(tab, "bd");
    const char a = 'a', c = 'c', e = 'e';
    ASSERT_TRUE(tab.Insere(&a, 0));
    ASSERT_TRUE(tab.Insere(&c, 2));
    ASSERT_TRUE(tab.Insere(&e, 4));
    EXPECT_FALSE(tab.Insere(&e, 6));
    EXPECT_FALSE(tab.Insere(&e, -1));
    EXPECT_EQ(Contenu(tab), "abcde");

    tab.Swap(0, 4);
    EXPECT_EQ(Contenu(tab), "ebcda");
    EXPECT_TRUE(tab.SetAt(&a, 0));
    EXPECT_FALSE(tab.SetAt(&a, 5));
    tab.Supprime(1, 2);
    EXPECT_EQ(Contenu(tab), "ada");
    tab.Supprime(2, 2);  // past the count: refused
    EXPECT_EQ(Contenu(tab), "ada");
    tab.SupprimeDernier(1);
    EXPECT_EQ(Contenu(tab), "ad");
    tab.SupprimeDernier(5);
    EXPECT_EQ(tab.nGetNombre(), 0);
    EXPECT_EQ(tab.nGetCapacite(), 6);  // removal keeps the capacity
    tab.SupprimeToutEtLibere();
    EXPECT_EQ(tab.nGetCapacite(), 0);
    EXPECT_EQ(tab.pGetData(), nullptr);
}

// An element passed by address from the array itself stays valid while the array
// reallocates or shifts under it.
TEST(CTableauDeBuffer, ElementFromTheArrayItselfSurvivesGrowth)
{
    CTableauDeBuffer tab(1, 1, 30);
    Remplit(tab, "abc");
    ASSERT_EQ(tab.nGetCapacite(), 3);
    ASSERT_TRUE(tab.Ajoute(tab.pGetElem(0)));
    EXPECT_EQ(Contenu(tab), "abca");
    ASSERT_TRUE(tab.Insere(tab.pGetElem(1), 0));  // full again: grows, then shifts
    EXPECT_EQ(Contenu(tab), "babca");
    ASSERT_TRUE(tab.Etend(7, tab.pGetElem(2), tab.pGetElem(1)));
    EXPECT_EQ(Contenu(tab), "babcaaab");
    ASSERT_TRUE(tab.Initialise(tab.pGetElem(3), 3));
    EXPECT_EQ(Contenu(tab), "ccc");
}

TEST(CTableauDeBuffer, InitialiseAndCompact)
{
    CTableauDeBuffer tab(4, 10, 30);
    const int n = 0x01020304;
    ASSERT_TRUE(tab.Initialise(&n, 3));
    EXPECT_EQ(tab.nGetNombre(), 3);
    EXPECT_EQ(tab.nGetCapacite(), 3);
    EXPECT_EQ(std::memcmp(tab.pGetElem(2), &n, 4), 0);
    ASSERT_TRUE(tab.Ajoute(&n));
    EXPECT_EQ(tab.nGetCapacite(), 13);
    tab.Compacter();
    EXPECT_EQ(tab.nGetCapacite(), 4);
    tab.SupprimeDernier(4);
    tab.Compacter();
    EXPECT_EQ(tab.nGetCapacite(), 0);
    EXPECT_EQ(tab.pGetData(), nullptr);
    EXPECT_FALSE(tab.Initialise(&n, -1));
    EXPECT_FALSE(tab.Initialise(nullptr, 2));
}

int nCompareTexte(const void* pCle, const void* pElement)
{
    return std::strcmp(static_cast<const char*>(pCle), static_cast<const char*>(pElement));
}

TEST(CTableauDeBuffer, LinearSearchOverPointers)
{
    const char* apsz[] = {"un", "deux", "trois", "deux"};
    CTableauDeBuffer tab(sizeof(void*), 1, 30);
    for (const char* psz : apsz)
        ASSERT_TRUE(tab.Ajoute(&psz));
    EXPECT_EQ(tab.nRechercheLineaireCriterePointeur("deux", nCompareTexte), 1);
    EXPECT_EQ(tab.pRechercheLineaireCriterePointeur("deux", nCompareTexte), apsz[1]);
    EXPECT_EQ(tab.nRechercheLineaireCriterePointeur("quatre", nCompareTexte), -1);
    EXPECT_EQ(tab.pRechercheLineaireCriterePointeur("quatre", nCompareTexte), nullptr);

    // Elements of another size are not pointers: nothing is read as one.
    CTableauDeBuffer octets(1, 1, 30);
    Remplit(octets, "abcdefgh");
    EXPECT_EQ(octets.nRechercheLineaireCriterePointeur("a", nCompareTexte), -1);
}

TEST(CTableauDeBuffer, TakeOverAndExchange)
{
    CTableauDeBuffer a(1, 2, 5), b(1, 7, 9), c(2, 3, 4);
    Remplit(a, "abc");
    Remplit(b, "xy");
    ASSERT_TRUE(a._RecupereDonnees(b));
    EXPECT_EQ(Contenu(a), "xy");
    EXPECT_EQ(a.nGetCapacite(), 7);
    EXPECT_EQ(a.nGetPas(), 2);
    EXPECT_EQ(b.nGetNombre(), 0);
    EXPECT_EQ(b.nGetCapacite(), 0);
    EXPECT_EQ(b.pGetData(), nullptr);
    EXPECT_FALSE(a._RecupereDonnees(c));  // other element size
    EXPECT_EQ(Contenu(a), "xy");

    const short s = 0x4142;
    ASSERT_TRUE(c.Ajoute(&s));
    a.Recupere(c);
    EXPECT_EQ(a.nGetTailleElement(), 2);
    EXPECT_EQ(a.nGetPas(), 3);
    EXPECT_EQ(a.nGetSeuilCompactage(), 4);
    EXPECT_EQ(a.nGetNombre(), 1);
    EXPECT_EQ(c.pGetData(), nullptr);

    CTableauDeBuffer::EchangeTableau(a, b);
    EXPECT_EQ(b.nGetTailleElement(), 2);
    EXPECT_EQ(b.nGetNombre(), 1);
    EXPECT_EQ(b.nGetPas(), 3);
    EXPECT_EQ(a.nGetTailleElement(), 1);
    EXPECT_EQ(a.nGetNombre(), 0);
    EXPECT_EQ(a.nGetPas(), 7);
    EXPECT_EQ(a.nGetSeuilCompactage(), 9);
}

TEST(CTableauDeBuffer, GrowthPastTheIntRangeIsRefusedUnchanged)
{
    // Zero-byte elements grow without memory, so only the count arithmetic is at stake.
    CTableauDeBuffer tab(0, INT_MAX, 0);
    EXPECT_EQ(tab.Agrandir(), INT_MAX);
    EXPECT_EQ(tab.nGetCapacite(), INT_MAX);
    EXPECT_EQ(tab.Agrandir(), 0);
    EXPECT_EQ(tab.nGetCapacite(), INT_MAX);
}

TEST(CTableauDeBuffer, LayoutAndVirtualSlots)
{
    EXPECT_EQ(sizeof(CTableauDeBuffer), sizeof(void*) == 4 ? 28u : 36u);

    CTableauDeBuffer tab(1, 3, 30);
    EXPECT_EQ(Slot<int (*)(CTableauDeBuffer*)>(&tab, 0)(&tab), 3);  // Agrandir
    EXPECT_EQ(tab.nGetCapacite(), 3);
    const char c = 'q';
    EXPECT_TRUE((Slot<bool (*)(CTableauDeBuffer*, const void*, int)>(&tab, 3)(&tab, &c, 2)));
    EXPECT_EQ(Contenu(tab), "qq");
    ASSERT_TRUE(tab.Ajoute(&c));
    Slot<void (*)(CTableauDeBuffer*)>(&tab, 4)(&tab);  // Compacter
    EXPECT_EQ(tab.nGetCapacite(), 3);

    CTableauDeBuffer* pTas = new CTableauDeBuffer(1, 1, 1);
    ASSERT_TRUE(pTas->Ajoute(&c));
    Slot<void (*)(CTableauDeBuffer*)>(pTas, 2)(pTas);  // deleting destructor
}

} // namespace
