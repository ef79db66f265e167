// Tests of the linked list: insertion, removal, navigation, positions and extraction.
#include "base/containers/CListeDeBuffer.h"

#include <gtest/gtest.h>

#include <string>

namespace {

typedef CListeDeBuffer::_stNoeud Noeud;

char Lettre(const Noeud* p)
{
    return *static_cast<const char*>(CListeDeBuffer::pGetElem(p));
}

// Checks every invariant of a header and returns its elements. The index must name
// the current node, or lie outside the list with no current node.
std::string Verifie(const CListeDeBuffer& l)
{
    std::string s;
    const Noeud* pPrecedent = nullptr;
    const Noeud* pCourantTrouve = nullptr;
    int i = 0;
    for (const Noeud* p = l.pGetPremier(); p != nullptr; p = p->pSuivant, ++i) {
        EXPECT_EQ(p->pPrecedent, pPrecedent) << "back link of element " << i;
        if (i == l.nGetIndex())
            pCourantTrouve = p;
        s += Lettre(p);
        pPrecedent = p;
    }
    EXPECT_EQ(l.pGetDernier(), pPrecedent) << "last node";
    EXPECT_EQ(l.nGetNombre(), int(s.size())) << "count";
    EXPECT_EQ(l.pGetNoeudCourant(), pCourantTrouve) << "current node at index " << l.nGetIndex();
    if (l.pGetNoeudCourant() == nullptr) {
        EXPECT_TRUE(l.nGetIndex() < 0 || l.nGetIndex() >= l.nGetNombre()) << l.nGetIndex();
        EXPECT_GE(l.nGetIndex(), -1);
        EXPECT_LE(l.nGetIndex(), l.nGetNombre());
    }
    if (l.nGetNombre() == 0) {
        EXPECT_EQ(l.nGetIndex(), -1);
    }
    return s;
}

void Remplit(CListeDeBuffer& l, const char* psz)
{
    for (; *psz != 0; ++psz)
        ASSERT_TRUE(l.Ajoute(psz, false));
}

char Courant(const CListeDeBuffer& l)
{
    const char* p = static_cast<const char*>(l.pCourant());
    return p != nullptr ? *p : '-';
}

TEST(CListeDeBuffer, AjouteBeforeOrAfterTheCurrentNode)
{
    struct Row {
        int nCourant;
        bool bAvant;
        const char* pszAttendu;
        int nIndex;
    };
    const Row rows[] = {
        {1, true, "axbc", 1},  {1, false, "abxc", 2}, {0, true, "xabc", 0},
        {2, false, "abcx", 3}, {-1, true, "xabc", 0}, {3, false, "abcx", 3},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE("current " + std::to_string(row.nCourant) + (row.bAvant ? " before" : " after"));
        CListeDeBuffer l(1);
        Remplit(l, "abc");
        if (row.nCourant < 0) {
            l.pVaSurNumero(0);
            l.VaPrecedent();
        } else if (row.nCourant >= 3) {
            l.pVaSurNumero(2);
            l.VaSuivant();
        } else {
            l.pVaSurNumero(row.nCourant);
        }
        ASSERT_TRUE(l.Ajoute("x", row.bAvant));
        EXPECT_EQ(Verifie(l), row.pszAttendu);
        EXPECT_EQ(l.nGetIndex(), row.nIndex);
        EXPECT_EQ(Courant(l), 'x');
    }

    CListeDeBuffer vide(1);
    ASSERT_TRUE(vide.Ajoute("q", true));
    EXPECT_EQ(Verifie(vide), "q");
    EXPECT_EQ(vide.nGetIndex(), 0);
    EXPECT_FALSE(vide.Ajoute(nullptr, true));
}

TEST(CListeDeBuffer, SupprimeCourantKeepsAValidPosition)
{
    struct Row {
        const char* pszListe;
        int nCourant;
        const char* pszAttendu;
        int nIndex;
        char cCourant;
    };
    const Row rows[] = {
        {"ab", 0, "b", 0, 'b'},   {"abc", 1, "ac", 0, 'a'}, {"abc", 2, "ab", 1, 'b'},
        {"a", 0, "", -1, '-'},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.pszListe) + " at " + std::to_string(row.nCourant));
        CListeDeBuffer l(1);
        Remplit(l, row.pszListe);
        l.pVaSurNumero(row.nCourant);
        l.SupprimeCourant();
        EXPECT_EQ(Verifie(l), row.pszAttendu);
        EXPECT_EQ(l.nGetIndex(), row.nIndex);
        EXPECT_EQ(Courant(l), row.cCourant);
    }

    CListeDeBuffer l(1);
    Remplit(l, "abc");
    l.SupprimeTout();
    EXPECT_EQ(Verifie(l), "");
    l.SupprimeCourant();  // nothing current: nothing happens
    EXPECT_EQ(Verifie(l), "");
}

TEST(CListeDeBuffer, NavigationLeavesAndReentersTheList)
{
    CListeDeBuffer l(1);
    Remplit(l, "abc");
    EXPECT_EQ(l.nGetIndex(), 2);
    EXPECT_EQ(l.pVaSuivant(), nullptr);  // no next: stays
    EXPECT_EQ(Courant(l), 'c');
    l.VaSuivant();
    EXPECT_EQ(l.pCourant(), nullptr);
    EXPECT_EQ(l.nGetIndex(), 3);
    l.VaSuivant();  // further away: nothing
    EXPECT_EQ(l.nGetIndex(), 3);
    EXPECT_EQ(l.pVaPrecedent(), nullptr);
    l.VaPrecedent();
    EXPECT_EQ(Courant(l), 'c');
    EXPECT_EQ(*static_cast<char*>(l.pVaPrecedent()), 'b');
    EXPECT_EQ(*static_cast<char*>(l.pVaPrecedent()), 'a');
    EXPECT_EQ(l.pVaPrecedent(), nullptr);
    l.VaPrecedent();
    EXPECT_EQ(l.nGetIndex(), -1);
    Verifie(l);
    l.VaSuivant();
    EXPECT_EQ(Courant(l), 'a');
    EXPECT_EQ(l.nGetIndex(), 0);
}

TEST(CListeDeBuffer, VaSurNumeroFromEveryStart)
{
    const char* pszListe = "abcdefghij";
    // Starting points: each element, and both sides off the list.
    for (int nDepart = -1; nDepart <= 10; ++nDepart) {
        for (int n = 0; n < 10; ++n) {
            SCOPED_TRACE("from " + std::to_string(nDepart) + " to " + std::to_string(n));
            CListeDeBuffer l(1);
            Remplit(l, pszListe);
            if (nDepart == -1) {
                l.pVaSurNumero(0);
                l.VaPrecedent();
            } else if (nDepart == 10) {
                l.pVaSurNumero(9);
                l.VaSuivant();
            } else {
                l.pVaSurNumero(nDepart);
            }
            const char* p = static_cast<const char*>(l.pVaSurNumero(n));
            ASSERT_NE(p, nullptr);
            EXPECT_EQ(*p, pszListe[n]);
            EXPECT_EQ(l.nGetIndex(), n);
            Verifie(l);
        }
    }
    CListeDeBuffer l(1);
    Remplit(l, "abc");
    EXPECT_EQ(l.pVaSurNumero(3), nullptr);
    EXPECT_EQ(l.pVaSurNumero(-1), nullptr);
    EXPECT_EQ(l.nGetIndex(), 2);
}

TEST(CListeDeBuffer, CopyIsAnIndependentPositionThatOwnsNothing)
{
    CListeDeBuffer l(1);
    Remplit(l, "abcd");
    l.pVaSurNumero(1);
    {
        CListeDeBuffer pos(l);
        EXPECT_TRUE(pos.bEstPosition());
        pos.pVaSurNumero(3);
        EXPECT_EQ(Courant(pos), 'd');
        EXPECT_EQ(Courant(l), 'b');
        // A position cannot add or free nodes.
        EXPECT_FALSE(pos.Ajoute("x", true));
        pos.SupprimeCourant();
        pos.SupprimeTout();
        EXPECT_EQ(Verifie(pos), "abcd");
        CListeDeBuffer autre(1);
        autre = pos;
        EXPECT_EQ(Courant(autre), 'd');
    }  // the positions go: the nodes stay
    EXPECT_EQ(Verifie(l), "abcd");
    EXPECT_FALSE(l.bEstPosition());

    // A saved position restores the owner's place; the owner keeps its nodes.
    const CListeDeBuffer sauvegarde(l);
    l.pVaSurNumero(3);
    ASSERT_TRUE(l.Ajoute("e", false));
    l = sauvegarde;
    EXPECT_FALSE(l.bEstPosition());
    EXPECT_EQ(Courant(l), 'b');
    EXPECT_EQ(Verifie(l), "abcde");
}

TEST(CListeDeBuffer, ExtraitListeMovesARunAndCorrectsEveryHeader)
{
    struct Row {
        int nDe, nA;            // nA = 6: no node (to the end)
        int nCourantSource;     // the source's own position
        const char* pszExtrait;
        const char* pszReste;
        int nIndexSource;       // after
        char cCourantSource;
        int nIndexPositions;    // both positions after
        char cCourantPositions;
    };
    const Row rows[] = {
        {1, 3, 0, "bc", "adef", 0, 'a', 1, 'd'},
        {1, 3, 2, "bc", "adef", 1, 'd', 1, 'd'},
        {1, 3, 5, "bc", "adef", 3, 'f', 1, 'd'},
        {0, 6, 4, "abcdef", "", -1, '-', -1, '-'},
        {3, 6, 1, "def", "abc", 1, 'b', 3, '-'},
        {3, 6, 4, "def", "abc", 3, '-', 3, '-'},
        {0, 2, 0, "ab", "cdef", 0, 'c', 0, 'c'},
        {5, 6, 5, "f", "abcde", 5, '-', 5, '-'},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE("from " + std::to_string(row.nDe) + " to " + std::to_string(row.nA) +
                     ", source at " + std::to_string(row.nCourantSource));
        CListeDeBuffer source(1);
        Remplit(source, "abcdef");
        CListeDeBuffer de(source), a(source);
        de.pVaSurNumero(row.nDe);
        if (row.nA < 6)
            a.pVaSurNumero(row.nA);
        else
            a.VaSuivant();  // after the last node
        source.pVaSurNumero(row.nCourantSource);

        CListeDeBuffer cible(1);
        EXPECT_EQ(cible.ExtraitListe(source, de, a), int(std::string(row.pszExtrait).size()));
        EXPECT_EQ(Verifie(cible), row.pszExtrait);
        EXPECT_EQ(cible.nGetIndex(), 0);
        EXPECT_EQ(Courant(cible), row.pszExtrait[0]);
        EXPECT_EQ(Verifie(source), row.pszReste);
        EXPECT_EQ(source.nGetIndex(), row.nIndexSource);
        EXPECT_EQ(Courant(source), row.cCourantSource);
        EXPECT_EQ(Verifie(de), row.pszReste);
        EXPECT_EQ(de.nGetIndex(), row.nIndexPositions);
        EXPECT_EQ(Courant(de), row.cCourantPositions);
        EXPECT_EQ(Verifie(a), row.pszReste);
        EXPECT_EQ(a.nGetIndex(), row.nIndexPositions);
        EXPECT_EQ(Courant(a), row.cCourantPositions);
    }
}

TEST(CListeDeBuffer, ExtraitListeRefusesWhatItCannotDoSafely)
{
    CListeDeBuffer source(1);
    Remplit(source, "abcd");
    CListeDeBuffer de(source), a(source);
    de.pVaSurNumero(2);
    a.pVaSurNumero(1);  // before the start of the run
    CListeDeBuffer cible(1);
    EXPECT_EQ(cible.ExtraitListe(source, de, a), 0);

    CListeDeBuffer autre(1);
    Remplit(autre, "xy");
    CListeDeBuffer posAutre(autre);
    posAutre.pVaSurNumero(0);
    a.pVaSurNumero(3);
    EXPECT_EQ(cible.ExtraitListe(source, posAutre, a), 0);  // node of another list
    EXPECT_EQ(autre.ExtraitListe(source, de, a), 0);        // target not empty
    EXPECT_EQ(Verifie(source), "abcd");
    EXPECT_EQ(Verifie(autre), "xy");
    EXPECT_EQ(Verifie(cible), "");

    // The source may serve as its own starting position.
    source.pVaSurNumero(1);
    EXPECT_EQ(cible.ExtraitListe(source, source, a), 2);
    EXPECT_EQ(Verifie(cible), "bc");
    EXPECT_EQ(Verifie(source), "ad");
    EXPECT_EQ(Courant(source), 'd');
}

} // namespace
