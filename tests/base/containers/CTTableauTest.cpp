// Tests of the typed array: typed initialisation and its virtual slot.
#include "base/containers/CTTableau.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

struct Info {
    int nType;
    unsigned dwValeur;
    const char* psz;
};

TEST(CTTableau, TypedElementsAndTypedInitialiseSlot)
{
    CTTableau<Info> tab(1, 30);
    EXPECT_EQ(tab.nGetTailleElement(), int(sizeof(Info)));
    const Info st = {7, 0xDEADBEEFu, "x"};
    ASSERT_TRUE(tab.Initialise(st, 3));
    ASSERT_EQ(tab.nGetNombre(), 3);
    EXPECT_EQ(tab[2].dwValeur, 0xDEADBEEFu);
    tab[1].nType = 9;
    EXPECT_EQ(static_cast<Info*>(tab.pGetElem(1))->nType, 9);

    // The typed Initialise follows the five inherited slots (two for the destructor).
    CTTableau<unsigned int> nombres(10, 30);
    void** ppTable;
    std::memcpy(&ppTable, &nombres, sizeof(ppTable));
    typedef bool (*PfnInitialise)(CTTableau<unsigned int>*, const unsigned int*, int);
    const unsigned int n = 42;
    EXPECT_TRUE(reinterpret_cast<PfnInitialise>(ppTable[5])(&nombres, &n, 4));
    EXPECT_EQ(nombres.nGetNombre(), 4);
    EXPECT_EQ(nombres[3], 42u);
    EXPECT_TRUE(nombres.Ajoute(5u));
    EXPECT_EQ(nombres[4], 5u);
    EXPECT_EQ(sizeof(nombres), sizeof(CTableauDeBuffer));
}

} // namespace
