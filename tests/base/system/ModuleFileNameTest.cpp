// Tests of GetModuleFileName: the running test executable's own path, within the buffer.
#include "base/system/ModuleFileName.h"

#include "support/Emulation.h"
#include "support/FaultInjection.h"
#include "support/Sentinel.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <unistd.h>

namespace {

std::string sSelf()
{
    char sz[4096];
    const ssize_t n = readlink("/proc/self/exe", sz, sizeof sz - 1);
    return n > 0 ? std::string(sz, static_cast<std::size_t>(n)) : std::string();
}

TEST(ModuleFileName, ExactLargeAndTooSmallBuffers)
{
    const std::string sPath = sSelf();
    ASSERT_FALSE(sPath.empty());
    const unsigned nExact = static_cast<unsigned>(sPath.size() + 1);
    for (unsigned nSize : {nExact, nExact + 100}) {
        SCOPED_TRACE(nSize);
        zvtest::SentinelBuffer<char> buf(nSize);
        ASSERT_TRUE(GetModuleFileName(nullptr, buf.data(), nSize));
        EXPECT_EQ(std::string(buf.data()), sPath);
        EXPECT_TRUE(buf.untouchedFrom(nExact));
        EXPECT_TRUE(buf.guardsIntact());
    }
    // One byte short: refused, the buffer as it was.
    zvtest::SentinelBuffer<char> small(nExact - 1);
    EXPECT_FALSE(GetModuleFileName(nullptr, small.data(), nExact - 1));
    EXPECT_TRUE(small.untouchedFrom(0));
    EXPECT_TRUE(small.guardsIntact());
    EXPECT_FALSE(GetModuleFileName(nullptr, small.data(), 0));
    EXPECT_FALSE(GetModuleFileName(nullptr, nullptr, 100));
}

// Where /proc/self/exe cannot be read (a restricted /proc), the path comes from the first
// mapping of /proc/self/maps, the executable's; with neither, the call fails.
TEST(ModuleFileName, FallsBackOnTheMapsWhenTheLinkCannotBeRead)
{
    ZVTEST_SKIP_UNDER_EMULATION("qemu-user's /proc/self/maps lists the emulated program's libraries, at lower "
                                "addresses, before the program itself");
    const std::string sPath = sSelf();
    ASSERT_FALSE(sPath.empty());
    zvtest::FaultInjector clFautes;
    zvtest::FaultPlan stPlan = zvtest::PlanForCalls(eSYS_READLINK, EACCES);
    clFautes.Arm(stPlan);
    char sz[4096];
    ASSERT_TRUE(GetModuleFileName(nullptr, sz, sizeof sz));
    EXPECT_EQ(1u, clFautes.nFired());
    EXPECT_EQ(sPath, sz);

    stPlan.calls.set(eSYS_OPEN);
    stPlan.bPersistent = true;
    clFautes.Arm(stPlan);
    std::strcpy(sz, "kept");
    EXPECT_FALSE(GetModuleFileName(nullptr, sz, sizeof sz));
    EXPECT_STREQ("kept", sz);
}

} // namespace
