// Tests of the time-based identifiers: layout, order, uniqueness and the node per process.
#include "base/system/Win32Api.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <sys/time.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

struct Bytes {
    unsigned char b[16];
};

Bytes bytesOf(const GUID& g)
{
    Bytes r;
    std::memcpy(r.b, &g, 16);
    return r;
}

unsigned long long timestampOf(const Bytes& u)
{
    const unsigned long long low = (unsigned long long)u.b[0] << 24 | u.b[1] << 16 | u.b[2] << 8 | u.b[3];
    const unsigned long long mid = (unsigned long long)u.b[4] << 8 | u.b[5];
    const unsigned long long high = (unsigned long long)(u.b[6] & 0x0F) << 8 | u.b[7];
    return high << 48 | mid << 32 | low;
}

unsigned clockSeqOf(const Bytes& u)
{
    return (u.b[8] & 0x3F) << 8 | u.b[9];
}

std::string hexOf(const Bytes& u)
{
    char sz[33];
    for (int i = 0; i < 16; ++i)
        std::snprintf(sz + 2 * i, 3, "%02x", u.b[i]);
    return sz;
}

// A clock that stands still for nReadsPerTick reads, then moves on one microsecond; it can be
// set back.
struct FakeClock {
    long long sec = 0;
    long usec = 0;
    int reads = 0;
    int readsPerTick = 1;
};
FakeClock gClock;

void fakeNow(long long* pnSec, long* pnUsec)
{
    *pnSec = gClock.sec;
    *pnUsec = gClock.usec;
    if (++gClock.reads % gClock.readsPerTick == 0 && ++gClock.usec == 1000000) {
        gClock.usec = 0;
        ++gClock.sec;
    }
}

void startFakeClock(int readsPerTick)
{
    timeval tv;
    gettimeofday(&tv, nullptr);
    gClock = FakeClock{tv.tv_sec + 1000, 0, 0, readsPerTick};
}

TEST(Uuid, ParsedByPythonAsVersionOneWithIncreasingTimeAndOneNode)
{
    zvtest::TempDir dir("zvuuid");
    ASSERT_TRUE(dir.ok());
    const std::string sData = dir.path("ids.txt");
    const std::string sScript = dir.path("check.py");
    FILE* f = std::fopen(sData.c_str(), "w");
    ASSERT_NE(f, nullptr);
    for (int i = 0; i < 2000; ++i) {
        GUID g;
        const long r = UuidCreate(&g);
        EXPECT_TRUE(r == 0 || r == RPC_S_UUID_LOCAL_ONLY);
        std::fprintf(f, "%s\n", hexOf(bytesOf(g)).c_str());
    }
    std::fclose(f);
    f = std::fopen(sScript.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fputs("import sys, uuid\n"
               "ids = [uuid.UUID(bytes=bytes.fromhex(l.strip())) for l in open(sys.argv[1])]\n"
               "assert all(u.version == 1 for u in ids), 'version'\n"
               "assert all(u.variant == uuid.RFC_4122 for u in ids), 'variant'\n"
               "assert len({u.node for u in ids}) == 1, 'node'\n"
               "t = [u.time for u in ids]\n"
               "assert all(a < b for a, b in zip(t, t[1:])), 'time order'\n"
               "import time\n"
               "assert abs(t[0] / 1e7 - 12219292800 - time.time()) < 3600, 'time value'\n",
               f);
    std::fclose(f);
    if (std::system("python3 -c pass 2>/dev/null") != 0)
        GTEST_SKIP() << "python3 is not available";
    const std::string sCmd = "python3 " + sScript + " " + sData;
    EXPECT_EQ(std::system(sCmd.c_str()), 0);
}

TEST(Uuid, StandingClockStillGivesStrictlyIncreasingTimestamps)
{
    // Up to ten identifiers fit in one microsecond; the clock here moves only every 25 reads.
    startFakeClock(25);
    std::vector<unsigned long long> times;
    for (int i = 0; i < 300; ++i) {
        GUID g;
        _UuidCreateWithClock(&g, fakeNow);
        times.push_back(timestampOf(bytesOf(g)));
    }
    for (size_t i = 1; i < times.size(); ++i)
        ASSERT_LT(times[i - 1], times[i]) << "at " << i;
}

TEST(Uuid, ClockGoingBackChangesTheClockSequence)
{
    startFakeClock(1);
    GUID a, b;
    _UuidCreateWithClock(&a, fakeNow);
    gClock.sec -= 10;
    _UuidCreateWithClock(&b, fakeNow);
    EXPECT_EQ(clockSeqOf(bytesOf(b)), (clockSeqOf(bytesOf(a)) + 1) & 0x1FFF);
    EXPECT_FALSE(IsEqualGUID(a, b));
    EXPECT_LT(timestampOf(bytesOf(b)), timestampOf(bytesOf(a)));
}

TEST(Uuid, ManyIdentifiersAreDistinct)
{
    std::set<std::string> seen;
    for (int i = 0; i < 20000; ++i) {
        GUID g;
        UuidCreate(&g);
        ASSERT_TRUE(seen.insert(hexOf(bytesOf(g))).second) << "duplicate at " << i;
    }
}

// The generator's state is shared: threads drawing at once must still never meet.
TEST(Uuid, ThreadsDrawingAtOnceGetDistinctIdentifiers)
{
    constexpr int knThreads = 4, knEach = 5000;
    std::vector<std::vector<std::string>> vvs(knThreads);
    std::vector<std::thread> vThreads;
    for (int t = 0; t < knThreads; ++t) {
        vThreads.emplace_back([&vvs, t] {
            for (int i = 0; i < knEach; ++i) {
                GUID g;
                UuidCreate(&g);
                vvs[t].push_back(hexOf(bytesOf(g)));
            }
        });
    }
    for (std::thread& th : vThreads)
        th.join();
    std::set<std::string> seen;
    for (const auto& vs : vvs)
        for (const std::string& str : vs)
            EXPECT_TRUE(seen.insert(str).second) << "duplicate " << str;
    EXPECT_EQ(seen.size(), static_cast<std::size_t>(knThreads * knEach));
}

// Each child makes identifiers and reports the first return code and the node.
void childIdentifiers(int fd)
{
    GUID g;
    const long r = UuidCreate(&g);
    GUID h;
    const long r2 = UuidCreate(&h);
    unsigned char out[16 + 2];
    std::memcpy(out, &g, 16);
    out[16] = r == RPC_S_UUID_LOCAL_ONLY;
    out[17] = r2 == RPC_S_OK;
    const ssize_t n = write(fd, out, sizeof out);
    _exit(n == static_cast<ssize_t>(sizeof out) ? 0 : 1);
}

TEST(Uuid, EachProcessDrawsItsOwnNode)
{
    GUID parent;
    UuidCreate(&parent);
    unsigned char results[2][18];
    for (auto& result : results) {
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            close(fds[0]);
            childIdentifiers(fds[1]);
        }
        close(fds[1]);
        ASSERT_EQ(read(fds[0], result, sizeof result), static_cast<ssize_t>(sizeof result));
        close(fds[0]);
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        EXPECT_EQ(result[16], 1) << "first call of a process reports the local node";
        EXPECT_EQ(result[17], 1) << "later calls report success";
        EXPECT_NE(result[10] & 0x80, 0) << "node's first byte has 0x80";
    }
    const Bytes p = bytesOf(parent);
    EXPECT_NE(std::memcmp(results[0] + 10, results[1] + 10, 6), 0);
    EXPECT_NE(std::memcmp(results[0] + 10, p.b + 10, 6), 0);
}

TEST(Uuid, EqualityAndBadArgument)
{
    GUID a, b;
    UuidCreate(&a);
    std::memcpy(&b, &a, sizeof a);
    EXPECT_TRUE(IsEqualGUID(a, b));
    reinterpret_cast<unsigned char*>(&b)[15] ^= 1;
    EXPECT_FALSE(IsEqualGUID(a, b));
    EXPECT_EQ(UuidCreate(nullptr), RPC_S_INVALID_ARG);
}

} // namespace
