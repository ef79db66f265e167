// Tests of the large blocks: sizes on both sides of the mapping threshold, alignment of mapped
// blocks, contents kept across resizing, and failures that leave the old block intact.
#include "base/system/GrandBloc.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace {

constexpr std::size_t nMIO = std::size_t(1) << 20;

// Fills n bytes with a pattern that depends on the position, so that a shifted or cut copy
// shows.
void Remplit(void* p, std::size_t n)
{
    uint8_t* pby = static_cast<uint8_t*>(p);
    for (std::size_t i = 0; i < n; ++i)
        pby[i] = uint8_t(i * 7 + (i >> 12));
}

bool bMotifIntact(const void* p, std::size_t n)
{
    const uint8_t* pby = static_cast<const uint8_t*>(p);
    for (std::size_t i = 0; i < n; ++i)
        if (pby[i] != uint8_t(i * 7 + (i >> 12)))
            return false;
    return true;
}

TEST(GrandBloc, SizesAroundTheThresholdAreWholeAndWritable)
{
    const std::size_t anTailles[] = {1, 4096, nSEUIL_GRAND_BLOC - 1, nSEUIL_GRAND_BLOC, nSEUIL_GRAND_BLOC + 1,
                                     5 * nMIO + 3};
    for (std::size_t n : anTailles) {
        SCOPED_TRACE(n);
        void* p = pvAlloueGrandBloc(n);
        ASSERT_NE(p, nullptr);
        Remplit(p, n);
        EXPECT_TRUE(bMotifIntact(p, n));
        if (n >= nSEUIL_GRAND_BLOC) {
            EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % (2 * nMIO), 0u);
        }
        LibereGrandBloc(p, n);
    }
}

TEST(GrandBloc, ZeroAndImpossibleSizesGiveNull)
{
    EXPECT_EQ(pvAlloueGrandBloc(0), nullptr);
    EXPECT_EQ(pvAlloueGrandBloc(SIZE_MAX), nullptr);
    EXPECT_EQ(pvAlloueGrandBloc(SIZE_MAX - nMIO), nullptr);
    LibereGrandBloc(nullptr, 10 * nMIO);  // accepted, nothing happens
}

TEST(GrandBloc, ResizingKeepsTheContentsAcrossTheThreshold)
{
    struct {
        std::size_t nAncien, nNouveau;
    } const aCas[] = {
        {100, 1000},                          // both small
        {1000, 3 * nMIO},                     // small to mapped
        {3 * nMIO, 3 * nMIO + 5},             // same huge pages
        {3 * nMIO, 9 * nMIO},                 // mapped, larger
        {9 * nMIO, 4 * nMIO},                 // mapped, smaller
        {4 * nMIO, 1000},                     // mapped to small
    };
    for (const auto& c : aCas) {
        SCOPED_TRACE(testing::Message() << c.nAncien << " -> " << c.nNouveau);
        void* p = pvAlloueGrandBloc(c.nAncien);
        ASSERT_NE(p, nullptr);
        Remplit(p, c.nAncien);
        void* q = pvRedimensionneGrandBloc(p, c.nAncien, c.nNouveau);
        ASSERT_NE(q, nullptr);
        const std::size_t nGarde = c.nAncien < c.nNouveau ? c.nAncien : c.nNouveau;
        EXPECT_TRUE(bMotifIntact(q, nGarde));
        // The new end is usable.
        static_cast<uint8_t*>(q)[c.nNouveau - 1] = 0x5A;
        LibereGrandBloc(q, c.nNouveau);
    }
}

TEST(GrandBloc, FailedResizeLeavesTheBlockIntactAndZeroFreesIt)
{
    for (std::size_t n : {std::size_t(4096), 3 * nMIO}) {
        SCOPED_TRACE(n);
        void* p = pvAlloueGrandBloc(n);
        ASSERT_NE(p, nullptr);
        Remplit(p, n);
        EXPECT_EQ(pvRedimensionneGrandBloc(p, n, SIZE_MAX - nMIO), nullptr);
        EXPECT_TRUE(bMotifIntact(p, n));
        EXPECT_EQ(pvRedimensionneGrandBloc(p, n, 0), nullptr);  // freed (the leak check sees it)
    }
    void* p = pvRedimensionneGrandBloc(nullptr, 0, 3 * nMIO);
    ASSERT_NE(p, nullptr);
    LibereGrandBloc(p, 3 * nMIO);
}

}  // namespace
