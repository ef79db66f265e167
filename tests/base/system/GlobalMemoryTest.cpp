// Tests of the memory blocks and the memory status: zeroing, size prefixes, allocation
// failures, and the reading of /proc/meminfo forms into 32- or 64-bit fields.
#include "base/system/GlobalMemory.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <limits>
#include <string>
#include <thread>
#include <vector>
#include <unistd.h>

namespace {

bool bTousA(const void* p, std::size_t nDebut, std::size_t nFin, unsigned char by)
{
    const unsigned char* pb = static_cast<const unsigned char*>(p);
    for (std::size_t i = nDebut; i < nFin; ++i)
        if (pb[i] != by)
            return false;
    return true;
}

TEST(GlobalMemory, GlobalBlocksZeroOnRequestAndKeepContentsWhenResized)
{
    unsigned char* p = static_cast<unsigned char*>(GlobalAlloc(GMEM_ZEROINIT, 10));
    ASSERT_NE(p, nullptr);
    EXPECT_TRUE(bTousA(p, 0, 10, 0));
    EXPECT_EQ(GlobalLock(p), p);
    EXPECT_TRUE(GlobalUnlock(p));
    std::memset(p, 0xAB, 10);
    EXPECT_EQ(GlobalReAlloc(p, 5000, GMEM_MODIFY), p);
    // Growing with GMEM_ZEROINIT keeps what was there and zeroes only what was added.
    p = static_cast<unsigned char*>(GlobalReAlloc(p, 5000, GMEM_ZEROINIT));
    ASSERT_NE(p, nullptr);
    EXPECT_TRUE(bTousA(p, 0, 10, 0xAB));
    EXPECT_TRUE(bTousA(p, 10, 5000, 0));
    // Shrinking then growing again: the bytes given up do not come back.
    p = static_cast<unsigned char*>(GlobalReAlloc(p, 3, GMEM_ZEROINIT));
    p = static_cast<unsigned char*>(GlobalReAlloc(p, 20, GMEM_ZEROINIT));
    ASSERT_NE(p, nullptr);
    EXPECT_TRUE(bTousA(p, 0, 3, 0xAB));
    EXPECT_TRUE(bTousA(p, 3, 20, 0));
    // A block made without zeroing, grown with it.
    unsigned char* q = static_cast<unsigned char*>(GlobalAlloc(0, 7));
    std::memset(q, 0xCD, 7);
    q = static_cast<unsigned char*>(GlobalReAlloc(q, 100, GMEM_ZEROINIT));
    EXPECT_TRUE(bTousA(q, 0, 7, 0xCD));
    EXPECT_TRUE(bTousA(q, 7, 100, 0));
    EXPECT_EQ(GlobalFree(q), nullptr);
    EXPECT_EQ(GlobalFree(p), nullptr);
    EXPECT_EQ(GlobalFree(nullptr), nullptr);
    unsigned char sz[4] = {1, 2, 3, 4};
    ZeroMemory(sz, 3);
    EXPECT_TRUE(bTousA(sz, 0, 3, 0));
    EXPECT_EQ(sz[3], 4);
}

TEST(GlobalMemory, HeapBlocksRecordTheirSizeAndZeroWhatIsAdded)
{
    unsigned char* p = static_cast<unsigned char*>(HeapAlloc(nullptr, HEAP_ZERO_MEMORY, 4));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(_dwHeapTaille(p), 4u);
    // The 4-byte prefix keeps 4-byte alignment on i386; x86-64 keeps malloc's own.
    EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % (sizeof(void*) == 4 ? 4 : alignof(std::max_align_t)), 0u);
    EXPECT_TRUE(bTousA(p, 0, 4, 0));
    std::memcpy(p, "\x11\x22\x33\x44", 4);
    p = static_cast<unsigned char*>(HeapReAlloc(nullptr, HEAP_ZERO_MEMORY, p, 8));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(_dwHeapTaille(p), 8u);
    EXPECT_EQ(std::memcmp(p, "\x11\x22\x33\x44\0\0\0\0", 8), 0);
    p = static_cast<unsigned char*>(HeapReAlloc(nullptr, 0, p, 2));
    EXPECT_EQ(_dwHeapTaille(p), 2u);
    EXPECT_EQ(p[1], 0x22);
    EXPECT_TRUE(HeapFree(nullptr, 0, p));
    EXPECT_TRUE(HeapFree(nullptr, 0, nullptr));
}

TEST(GlobalMemory, HeapSizesThatCannotBeAllocatedFailOrThrow)
{
    // Sizes whose prefix would wrap the allocation, or that a 32-bit prefix cannot record.
    const std::size_t nTropGrand = std::numeric_limits<std::size_t>::max() - 1;
    EXPECT_EQ(HeapAlloc(nullptr, 0, nTropGrand), nullptr);
    EXPECT_EQ(HeapAlloc(nullptr, HEAP_ZERO_MEMORY, nTropGrand), nullptr);
    try {
        HeapAlloc(nullptr, HEAP_GENERATE_EXCEPTIONS, nTropGrand);
        ADD_FAILURE() << "no exception";
    } catch (DWORD dw) {
        EXPECT_EQ(dw, STATUS_NO_MEMORY);
    }
    void* p = HeapAlloc(nullptr, 0, 16);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(HeapReAlloc(nullptr, 0, p, nTropGrand), nullptr);
    EXPECT_EQ(_dwHeapTaille(p), 16u); // the old block is still valid
    EXPECT_THROW(HeapReAlloc(nullptr, HEAP_GENERATE_EXCEPTIONS, p, nTropGrand), DWORD);
    EXPECT_EQ(HeapReAlloc(nullptr, 0, nullptr, 8), nullptr);
    HeapFree(nullptr, 0, p);
}

std::string sFichier(const std::string& sTexte)
{
    char szNom[] = "/tmp/zvmeminfoXXXXXX";
    const int fd = mkstemp(szNom);
    if (fd >= 0) {
        if (write(fd, sTexte.data(), sTexte.size()) != static_cast<ssize_t>(sTexte.size()))
            szNom[0] = '\0';
        close(fd);
    }
    return szNom;
}

constexpr uint64_t kGiB = 1024ULL * 1024 * 1024;

std::size_t nAttendu(uint64_t n)
{
    return n > std::numeric_limits<std::size_t>::max() ? std::numeric_limits<std::size_t>::max()
                                                       : static_cast<std::size_t>(n);
}

TEST(GlobalMemory, ReadsMemInfoFormsIntoItsFields)
{
    const struct {
        const char* pszNom;
        std::string sTexte;
        uint64_t nTotalPhys, nDispoPhys, nTotalSwap, nDispoSwap;
        unsigned nCharge;
    } tab[] = {
        {"kB lines", "MemTotal: 1000 kB\nMemFree: 100 kB\nMemAvailable: 700 kB\nBuffers: 50 kB\nCached: 150 kB\n"
                     "SwapCached: 9 kB\nSwapTotal: 1000 kB\nSwapFree: 500 kB\n",
         1000 * 1024, 300 * 1024, 1000 * 1024, 500 * 1024, 60},
        {"old byte lines", "        total:    used:    free:  shared: buffers:  cached:\n"
                           "Mem:  1000000  600000  200000  0  100000  100000\nSwap:  500000  0  500000\n",
         1000000, 400000, 500000, 500000, 40},
        // 16 GiB of memory and 8 GiB of swap pass 32 bits: i386 fields stop at their maximum.
        {"large", "MemTotal: 16777216 kB\nMemFree: 4194304 kB\nSwapTotal: 8388608 kB\nSwapFree: 8388608 kB\n",
         16 * kGiB, 4 * kGiB, 8 * kGiB, 8 * kGiB, 50},
        {"no memory line", "Nothing: 1\n", 0, 0, 0, 0, 0},
        // A line longer than the reading buffer: its tail is not read as a line of its own.
        {"long line", "X: " + std::string(252, 'x') + "MemTotal: 99 kB\nMemTotal: 2 kB\n", 2048, 0, 0, 0, 100},
    };
    for (const auto& c : tab) {
        SCOPED_TRACE(c.pszNom);
        const std::string sNom = sFichier(c.sTexte);
        ASSERT_FALSE(sNom.empty());
        MEMORYSTATUS st;
        std::memset(&st, 0x5A, sizeof st);
        ASSERT_TRUE(_bLitMemInfo(sNom.c_str(), &st));
        unlink(sNom.c_str());
        EXPECT_EQ(st.dwLength, sizeof(MEMORYSTATUS));
        EXPECT_EQ(st.dwTotalPhys, nAttendu(c.nTotalPhys));
        EXPECT_EQ(st.dwAvailPhys, nAttendu(c.nDispoPhys));
        EXPECT_EQ(st.dwTotalPageFile, nAttendu(c.nTotalSwap));
        EXPECT_EQ(st.dwAvailPageFile, nAttendu(c.nDispoSwap));
        EXPECT_EQ(st.dwMemoryLoad, c.nCharge);
    }
    MEMORYSTATUS st{};
    EXPECT_FALSE(_bLitMemInfo("/nonexistent/meminfo", &st));
}

TEST(GlobalMemory, StatusOfThisMachineIsSaneAndCachedWithinTheSecond)
{
    MEMORYSTATUS a;
    MEMORYSTATUS b;
    std::memset(&a, 0x5A, sizeof a);
    std::memset(&b, 0, sizeof b);
    time_t nAvant;
    time_t nApres;
    do {
        nAvant = std::time(nullptr);
        GlobalMemoryStatus(&a);
        GlobalMemoryStatus(&b);
        nApres = std::time(nullptr);
    } while (nAvant != nApres);
    EXPECT_EQ(std::memcmp(&a, &b, sizeof a), 0);
    EXPECT_EQ(a.dwLength, sizeof(MEMORYSTATUS));
    EXPECT_LE(a.dwMemoryLoad, 100u);
    EXPECT_GT(a.dwTotalPhys, 0u);
    EXPECT_LE(a.dwAvailPhys, a.dwTotalPhys);
    GlobalMemoryStatus(nullptr);
}

// The cache is shared: threads asking at once, across the second at which it is refilled,
// each get a whole status.
TEST(GlobalMemory, ThreadsAskingAtOnceEachGetAWholeStatus)
{
    constexpr int knThreads = 4;
    const time_t nDebut = std::time(nullptr);
    std::vector<int> vErrors(knThreads, 0);
    std::vector<std::thread> vThreads;
    for (int t = 0; t < knThreads; ++t) {
        vThreads.emplace_back([&vErrors, nDebut, t] {
            // Until the clock has moved on once: the cache is refilled at least once meanwhile.
            while (std::time(nullptr) <= nDebut + 1) {
                MEMORYSTATUS st;
                std::memset(&st, 0x5A, sizeof st);
                GlobalMemoryStatus(&st);
                vErrors[t] += st.dwLength != sizeof(MEMORYSTATUS) || st.dwMemoryLoad > 100 ||
                              st.dwTotalPhys == 0 || st.dwAvailPhys > st.dwTotalPhys;
            }
        });
    }
    for (std::thread& th : vThreads)
        th.join();
    for (int t = 0; t < knThreads; ++t)
        EXPECT_EQ(vErrors[t], 0) << "thread " << t;
}

} // namespace
