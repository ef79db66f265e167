// Tests of the front object: choice of method, decompression by the block's own method, and the shared compressor under several threads.
#include "base/compress/CCompresseur.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

#include "support/CompressSamples.h"
#include "support/Sentinel.h"

namespace {

typedef std::vector<uint8_t> Octets;

TEST(CCompresseur, ChoixDeMethode)
{
    struct Cas {
        uint8_t byConstruit;
        uint8_t byAttendue;
    };
    const Cas cas[] = {{4, 4}, {9, 4}, {2, 4}, {255, 4}, {0, 0}};
    for (const Cas& c : cas) {
        CCompresseur cl(c.byConstruit);
        EXPECT_EQ(cl.byGetMethode(), c.byAttendue) << int(c.byConstruit);
        EXPECT_EQ(cl.pclGetCompresseur(), &CCompresseur::ms_clCompresseurZLW);
    }
    // Method 0 holds until another is chosen; once one is, choosing 0 again changes nothing.
    CCompresseur cl(0);
    cl.ChangeMethodeCompression(0);
    EXPECT_EQ(cl.byGetMethode(), 0);
    cl.ChangeMethodeCompression(4);
    EXPECT_EQ(cl.byGetMethode(), 4);
    cl.ChangeMethodeCompression(0);
    EXPECT_EQ(cl.byGetMethode(), 4);
}

// Compression writes the block of the current method; decompression follows the block's
// first byte and leaves the current method as it was.
TEST(CCompresseur, AllerRetourParMethode)
{
    const Octets in = zvtest::TextePseudo(10000, 1);
    for (uint8_t byMethode : {uint8_t(0), uint8_t(4)}) {
        CCompresseur cl(byMethode);
        zvtest::SentinelBuffer<uint8_t> bloc(CCompresseur::ms_clCompresseurZLW.dwTailleBufferCompression(10000));
        cl.m_pEntree = in.data();
        cl.m_dwEntree = uint32_t(in.size());
        cl.m_pSortie = bloc.data();
        cl.m_dwSortie = uint32_t(bloc.size());
        const uint32_t n = cl.dwCompression();
        ASSERT_NE(n, 0u);
        EXPECT_EQ(bloc[0], byMethode);
        EXPECT_EQ(n == in.size() + 5, byMethode == 0);
        EXPECT_TRUE(bloc.guardsIntact());

        // Decompressed by a front object of the other method.
        CCompresseur clAutre(byMethode == 0 ? 4 : 0);
        const uint8_t byAvant = clAutre.byGetMethode();
        zvtest::SentinelBuffer<uint8_t> res(in.size());
        clAutre.m_pEntree = bloc.data();
        clAutre.m_dwEntree = n;
        clAutre.m_pSortie = res.data();
        clAutre.m_dwSortie = uint32_t(res.size());
        EXPECT_EQ(clAutre.dwDecompression(-1), in.size());
        EXPECT_EQ(std::memcmp(res.data(), in.data(), in.size()), 0);
        EXPECT_TRUE(res.guardsIntact());
        EXPECT_EQ(clAutre.byGetMethode(), byAvant);
    }
}

TEST(CCompresseur, DecompressionSansEntree)
{
    CCompresseur cl(4);
    uint8_t ab[4] = {1, 2, 3, 4};
    cl.m_pSortie = ab;
    cl.m_dwSortie = sizeof(ab);
    EXPECT_EQ(cl.dwDecompression(), 0u);
    const uint8_t abMethode2[] = {2, 0, 0, 0, 0, 4, 0, 0, 0, 0, 0};
    cl.m_pEntree = abMethode2;
    cl.m_dwEntree = sizeof(abMethode2);
    EXPECT_EQ(cl.dwDecompression(), 0u);
    EXPECT_EQ(ab[0], 1);
}

// Every thread with its own front objects, compressing and expanding at the same time.
TEST(CCompresseur, PlusieursThreads)
{
    std::vector<Octets> entrees;
    for (uint64_t i = 0; i < 4; ++i)
        entrees.push_back(zvtest::TextePseudo(150000 + 1000 * i, i + 1));
    std::vector<int> erreurs(entrees.size(), 0);
    std::vector<std::thread> threads;
    for (size_t t = 0; t < entrees.size(); ++t) {
        threads.emplace_back([&, t] {
            const Octets& in = entrees[t];
            for (int tour = 0; tour < 5; ++tour) {
                CCompresseur cl(4);
                Octets bloc(in.size() + 7);
                cl.m_pEntree = in.data();
                cl.m_dwEntree = uint32_t(in.size());
                cl.m_pSortie = bloc.data();
                cl.m_dwSortie = uint32_t(bloc.size());
                const uint32_t n = cl.dwCompression();
                Octets res(in.size());
                cl.m_pEntree = bloc.data();
                cl.m_dwEntree = n;
                cl.m_pSortie = res.data();
                cl.m_dwSortie = uint32_t(res.size());
                if (n == 0 || cl.dwDecompression() != in.size() || res != in)
                    ++erreurs[t];
            }
        });
    }
    for (std::thread& th : threads)
        th.join();
    for (int n : erreurs)
        EXPECT_EQ(n, 0);
}

// Each thread's operations run on a compressor of its own, made on first use, so that threads
// do not wait for one another; the blocks are byte for byte those of the shared instance.
TEST(CCompresseur, UnCompresseurParThread)
{
    CZLWCompresseur* const pclPrincipal = &CCompresseur::s_clCompresseurDuThread();
    EXPECT_EQ(&CCompresseur::s_clCompresseurDuThread(), pclPrincipal);
    EXPECT_NE(pclPrincipal, &CCompresseur::ms_clCompresseurZLW);

    std::vector<Octets> entrees;
    std::vector<Octets> attendus;
    for (uint64_t i = 0; i < 3; ++i) {
        entrees.push_back(i == 2 ? zvtest::Aleatoire(70000, 9) : zvtest::TextePseudo(300000 + 7 * i, 20 + i));
        Octets bloc(entrees.back().size() + 7);
        const uint32_t n = CCompresseur::ms_clCompresseurZLW.dwCompression(
            entrees.back().data(), uint32_t(entrees.back().size()), bloc.data(), uint32_t(bloc.size()));
        ASSERT_NE(n, 0u);
        bloc.resize(n);
        attendus.push_back(bloc);
    }
    std::vector<CZLWCompresseur*> compresseurs(entrees.size(), nullptr);
    std::vector<int> ecarts(entrees.size(), 0);
    std::vector<std::thread> threads;
    // Every thread stays alive until all have their compressor: one freed at a thread's exit
    // could otherwise come back at the same address for the next.
    std::atomic<size_t> nPrets(0);
    for (size_t t = 0; t < entrees.size(); ++t) {
        threads.emplace_back([&, t] {
            compresseurs[t] = &CCompresseur::s_clCompresseurDuThread();
            ++nPrets;
            while (nPrets < entrees.size())
                std::this_thread::yield();
            for (int tour = 0; tour < 3; ++tour) {
                CCompresseur cl(4);
                Octets bloc(entrees[t].size() + 7);
                cl.m_pEntree = entrees[t].data();
                cl.m_dwEntree = uint32_t(entrees[t].size());
                cl.m_pSortie = bloc.data();
                cl.m_dwSortie = uint32_t(bloc.size());
                bloc.resize(cl.dwCompression());
                if (bloc != attendus[t] || &CCompresseur::s_clCompresseurDuThread() != compresseurs[t])
                    ++ecarts[t];
            }
        });
    }
    for (std::thread& th : threads)
        th.join();
    for (size_t t = 0; t < entrees.size(); ++t) {
        EXPECT_EQ(ecarts[t], 0) << t;
        EXPECT_NE(compresseurs[t], pclPrincipal) << t;
        for (size_t u = 0; u < t; ++u)
            EXPECT_NE(compresseurs[t], compresseurs[u]);
    }
}

}  // namespace
