// Tests of the hash table base, its prime bucket counts and the text hash functions.
#include "base/containers/CHashBase.h"
#include "base/containers/CXMath.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <set>
#include <strings.h>
#include <vector>

namespace {

// Integer keys hashed to themselves: the bucket of a key is key % bucket count.
class CHashEntier : public CHashBase {
public:
    explicit CHashEntier(int nNbBuckets) : CHashBase(nNbBuckets) {}
    unsigned dwHashCle(std::uintptr_t nCle) const override { return unsigned(nCle); }
    bool bCleEgale(std::uintptr_t nCleStockee, std::uintptr_t nCle) const override
    {
        return nCleStockee == nCle;
    }
};

// Text keys (pointers) compared without letter case.
class CHashTexteI : public CHashBase {
public:
    explicit CHashTexteI(int nNbBuckets) : CHashBase(nNbBuckets) {}
    unsigned dwHashCle(std::uintptr_t nCle) const override
    {
        return dwHashValTi(reinterpret_cast<const char*>(nCle));
    }
    bool bCleEgale(std::uintptr_t nCleStockee, std::uintptr_t nCle) const override
    {
        return strcasecmp(reinterpret_cast<const char*>(nCleStockee), reinterpret_cast<const char*>(nCle)) == 0;
    }
};

TEST(CXMath, EstPremier)
{
    struct {
        unsigned n;
        bool bPremier;
    } const aCas[] = {
        {0, false}, {1, true}, {2, true}, {3, true}, {4, false}, {5, true}, {7, true},
        {9, false}, {15, false}, {23, true}, {25, false}, {43, true}, {47, true}, {49, false},
        {89, true}, {121, false}, {169, false}, {7919, true}, {7921, false},
        {4294967291u, true}, {4294967295u, false},
    };
    for (const auto& c : aCas)
        EXPECT_EQ(CXMath::bEstPremier(c.n), c.bPremier) << c.n;
    EXPECT_EQ(CXMath::s_nPremierApres(0), 1u);
    EXPECT_EQ(CXMath::s_nPremierApres(44), 47u);
    EXPECT_EQ(CXMath::s_nPremierApres(86), 89u);
    EXPECT_EQ(CXMath::s_nPremierApres(4294967292u), 0u);
}

TEST(CHashBase, ZeroBucketsSearchesFailAndFirstInsertionMakesOneBucket)
{
    CHashEntier t(0);
    std::uintptr_t nValeur = 77;
    EXPECT_FALSE(t.bRecherche(5, &nValeur));
    EXPECT_FALSE(t.bRechercheConst(5, &nValeur));
    EXPECT_FALSE(t.bSupprime(5));
    EXPECT_FALSE(t.bSupprimeDYN(5));
    EXPECT_EQ(nValeur, 77u);
    int nBucket = 0;
    EXPECT_FALSE(t.SupprimeCourant(&nBucket, &nValeur));
    EXPECT_EQ(nValeur, 0u);
    t.SupprimeTout();
    EXPECT_TRUE(t.RedimensionneTable(0));
    EXPECT_EQ(t.nGetNbBuckets(), 0);

    ASSERT_TRUE(t.AjouteDYN(5, 50));
    EXPECT_EQ(t.nGetNbBuckets(), 1);
    EXPECT_TRUE(t.bRecherche(5, &nValeur));
    EXPECT_EQ(nValeur, 50u);
}

// From 0 buckets the counts pass through the smallest primes from twice the count up.
TEST(CHashBase, GrowsThroughPrimes)
{
    CHashEntier t(0);
    std::vector<int> anVus;
    for (std::uintptr_t n = 0; n < 400; ++n) {
        ASSERT_TRUE(t.AjouteDYN(n, n * 10));
        if (anVus.empty() || anVus.back() != t.nGetNbBuckets())
            anVus.push_back(t.nGetNbBuckets());
    }
    EXPECT_EQ(anVus, (std::vector<int>{1, 2, 5, 11, 23, 47, 97, 197}));
    for (std::uintptr_t n = 0; n < 400; ++n) {
        std::uintptr_t nValeur = 0;
        ASSERT_TRUE(t.bRechercheConst(n, &nValeur)) << n;
        EXPECT_EQ(nValeur, n * 10);
    }
}

TEST(CHashBase, GrowsAtTheLevelNotBefore)
{
    CHashEntier t(43);
    for (std::uintptr_t n = 0; n < 129; ++n)
        ASSERT_TRUE(t.AjouteDYN(n, n));
    EXPECT_EQ(t.nGetNbBuckets(), 43);
    ASSERT_TRUE(t.AjouteDYN(129, 129));
    EXPECT_EQ(t.nGetNbBuckets(), 89);
    EXPECT_EQ(t.nGetNbElements(), 130);

    CHashEntier t2(43);
    t2.SetNiveau(1, 0);
    for (std::uintptr_t n = 0; n < 43; ++n)
        ASSERT_TRUE(t2.AjouteDYN(n, n));
    EXPECT_EQ(t2.nGetNbBuckets(), 43);
    ASSERT_TRUE(t2.AjouteDYN(43, 43));
    EXPECT_EQ(t2.nGetNbBuckets(), 89);
}

TEST(CHashBase, ShrinksThroughPrimesDownToTheMinimum)
{
    CHashEntier t(89);
    for (std::uintptr_t n = 0; n < 200; ++n)
        ASSERT_TRUE(t.AjouteDYN(n, n));
    ASSERT_EQ(t.nGetNbBuckets(), 89);
    std::uintptr_t n = 0;
    while (t.nGetNbElements() > 89)
        ASSERT_TRUE(t.bSupprimeDYN(n++));
    EXPECT_EQ(t.nGetNbBuckets(), 89);
    ASSERT_TRUE(t.bSupprimeDYN(n++));   // 88 < 89
    EXPECT_EQ(t.nGetNbBuckets(), 47);
    while (t.nGetNbElements() > 47)
        ASSERT_TRUE(t.bSupprimeDYN(n++));
    ASSERT_TRUE(t.bSupprimeDYN(n++));   // 46 < 47: 23 raised to 43
    EXPECT_EQ(t.nGetNbBuckets(), 43);
    while (n < 200)
        ASSERT_TRUE(t.bSupprimeDYN(n++));
    EXPECT_EQ(t.nGetNbBuckets(), 43);
    EXPECT_EQ(t.nGetNbElements(), 0);
    // bSupprime alone never resizes.
    CHashEntier t2(89);
    ASSERT_TRUE(t2.AjouteDYN(1, 1));
    EXPECT_TRUE(t2.bSupprime(1));
    EXPECT_EQ(t2.nGetNbBuckets(), 89);
}

// A table below the minimum is not made larger by the shrink rule.
TEST(CHashBase, ShrinkNeverAddsBuckets)
{
    CHashEntier t(0);
    for (std::uintptr_t n = 0; n < 7; ++n)
        ASSERT_TRUE(t.AjouteDYN(n, n));
    ASSERT_EQ(t.nGetNbBuckets(), 5);
    for (std::uintptr_t n = 0; n < 7; ++n)
        ASSERT_TRUE(t.bSupprimeDYN(n));
    EXPECT_EQ(t.nGetNbBuckets(), 5);
}

TEST(CHashBase, DuplicateKeysAreKeptAndRemovedOneByOne)
{
    CHashEntier t(7);
    ASSERT_TRUE(t.AjouteDYN(3, 30));
    ASSERT_TRUE(t.AjouteDYN(3, 31));
    ASSERT_TRUE(t.AjouteDYN(10, 100));   // same bucket as 3
    EXPECT_EQ(t.nGetNbElements(), 3);
    std::set<std::uintptr_t> vus;
    for (int i = 0; i < 2; ++i) {
        std::uintptr_t nValeur = 0, nCle = 0;
        ASSERT_TRUE(t.bRecherche(3, &nValeur, &nCle));
        EXPECT_EQ(nCle, 3u);
        vus.insert(nValeur);
        ASSERT_TRUE(t.bSupprime(3));
    }
    EXPECT_EQ(vus, (std::set<std::uintptr_t>{30, 31}));
    EXPECT_FALSE(t.bSupprime(3));
    std::uintptr_t nValeur = 0;
    EXPECT_TRUE(t.bRecherche(10, &nValeur));
    EXPECT_EQ(nValeur, 100u);
    EXPECT_EQ(t.nGetNbElements(), 1);
}

TEST(CHashBase, MissingKeyLeavesOutputsAlone)
{
    CHashEntier t(11);
    ASSERT_TRUE(t.AjouteDYN(1, 10));
    std::uintptr_t nValeur = 0xA5A5, nCle = 0x5A5A;
    EXPECT_FALSE(t.bRecherche(12, &nValeur, &nCle));
    EXPECT_FALSE(t.bRechercheConst(12, &nValeur, &nCle));
    EXPECT_EQ(nValeur, 0xA5A5u);
    EXPECT_EQ(nCle, 0x5A5Au);
    EXPECT_TRUE(t.bRecherche(1));   // outputs are optional
}

TEST(CHashBase, DrainingGoesBucketByBucket)
{
    CHashEntier t(13);
    std::multiset<std::uintptr_t> attendus;
    for (std::uintptr_t n = 0; n < 30; ++n) {
        ASSERT_TRUE(t.AjouteDYN(n * 7, n));
        attendus.insert(n);
    }
    std::multiset<std::uintptr_t> vus;
    int nBucket = 0, nPrecedent = 0;
    std::uintptr_t nValeur = 0, nCle = 0;
    while (t.SupprimeCourant(&nBucket, &nValeur, &nCle)) {
        EXPECT_GE(nBucket, nPrecedent);
        EXPECT_EQ(int(nCle % 13), nBucket);
        EXPECT_EQ(nCle, nValeur * 7);
        nPrecedent = nBucket;
        vus.insert(nValeur);
    }
    EXPECT_EQ(nValeur, 0u);
    EXPECT_EQ(vus, attendus);
    EXPECT_EQ(t.nGetNbElements(), 0);
    // A start past the end or below 0.
    ASSERT_TRUE(t.AjouteDYN(1, 1));
    nBucket = 99;
    EXPECT_FALSE(t.SupprimeCourant(&nBucket, &nValeur));
    nBucket = -4;
    EXPECT_TRUE(t.SupprimeCourant(&nBucket, &nValeur));
    EXPECT_EQ(nBucket, 1);
}

TEST(CHashBase, ResizeKeepsEveryElement)
{
    CHashEntier t(3);
    for (std::uintptr_t n = 0; n < 9; ++n)
        ASSERT_TRUE(t.AjouteDYN(n, n + 1));
    for (int nTaille : {1, 101, 2, 9}) {
        ASSERT_TRUE(t.RedimensionneTable(nTaille));
        EXPECT_EQ(t.nGetNbBuckets(), nTaille);
        EXPECT_EQ(t.nGetNbElements(), 9);
        for (std::uintptr_t n = 0; n < 9; ++n) {
            std::uintptr_t nValeur = 0;
            EXPECT_TRUE(t.bRechercheConst(n, &nValeur));
            EXPECT_EQ(nValeur, n + 1);
        }
    }
    EXPECT_TRUE(t.RedimensionneTable(-1));
    EXPECT_EQ(t.nGetNbBuckets(), 9);
    t.SupprimeTout();
    EXPECT_EQ(t.nGetNbElements(), 0);
    EXPECT_FALSE(t.bRechercheConst(4));
}

// Random insertions and removals against a reference, through many growths and shrinks.
TEST(CHashBase, AgreesWithAReferenceMap)
{
    CHashEntier t(0);
    std::map<std::uintptr_t, std::uintptr_t> ref;
    std::uint32_t nGraine = 99;
    auto suivant = [&nGraine] {
        nGraine = nGraine * 1664525u + 1013904223u;
        return nGraine >> 8;
    };
    for (int i = 0; i < 20000; ++i) {
        const std::uintptr_t nCle = suivant() % 3000;
        if (suivant() % 3 != 0) {
            if (ref.count(nCle) == 0) {
                ASSERT_TRUE(t.AjouteDYN(nCle, nCle ^ 0xFFu));
                ref[nCle] = nCle ^ 0xFFu;
            }
        } else {
            EXPECT_EQ(t.bSupprimeDYN(nCle), ref.erase(nCle) == 1);
        }
    }
    EXPECT_EQ(t.nGetNbElements(), int(ref.size()));
    for (const auto& kv : ref) {
        std::uintptr_t nValeur = 0;
        ASSERT_TRUE(t.bRecherche(kv.first, &nValeur));
        EXPECT_EQ(nValeur, kv.second);
    }
}

TEST(CHashBase, TextKeysIgnoringCase)
{
    CHashTexteI t(0);
    static const char szCle[] = "Fichier";
    ASSERT_TRUE(t.AjouteDYN(reinterpret_cast<std::uintptr_t>(szCle), 42));
    std::uintptr_t nValeur = 0, nCle = 0;
    EXPECT_TRUE(t.bRechercheConst(reinterpret_cast<std::uintptr_t>("FICHIER"), &nValeur, &nCle));
    EXPECT_EQ(nValeur, 42u);
    EXPECT_EQ(reinterpret_cast<const char*>(nCle), szCle);
    EXPECT_FALSE(t.bRechercheConst(reinterpret_cast<std::uintptr_t>("fichiers")));
}

TEST(HashValT, SumsOfSignedBytes)
{
    struct {
        const char* psz;
        unsigned dwT;
        unsigned dwTi;
    } const aCas[] = {
        {nullptr, 0, 0},
        {"", 0, 0},
        {"AB", 131, 131},
        {"ab", 195, 131},
        {"a1", 146, 114},
        {"\xE9", 0xFFFFFFE9u, 0xFFFFFFE9u},          // -23: bytes above 0x7F count negative
        {"A\xFF", 64, 64},                           // 65 - 1
    };
    for (const auto& c : aCas) {
        EXPECT_EQ(dwHashValT(c.psz), c.dwT) << (c.psz ? c.psz : "(null)");
        EXPECT_EQ(dwHashValTi(c.psz), c.dwTi) << (c.psz ? c.psz : "(null)");
    }
}

} // namespace
