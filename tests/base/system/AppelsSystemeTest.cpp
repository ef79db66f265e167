// Tests of the system-call layer: retries and loops under injected interruptions and short
// counts, the failure record and its message, the buffers it fills, unique creation.
#include "base/system/AppelsSysteme.h"

#include "support/FaultInjection.h"
#include "support/Sentinel.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <set>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using zvtest::FaultInjector;
using zvtest::FaultPlan;

std::vector<char> Pattern(std::size_t n)
{
    std::vector<char> v(n);
    for (std::size_t i = 0; i < n; ++i)
        v[i] = static_cast<char>(i * 7 + i / 251);
    return v;
}

FaultPlan Plan(unsigned long nNth, int nErrno, bool bShort, eAPPELSYSTEME eKind)
{
    FaultPlan plan;
    plan.nNth = nNth;
    plan.nErrno = nErrno;
    plan.bShort = bShort;
    plan.calls.reset();
    plan.calls.set(eKind);
    return plan;
}

// Each loop of the layer, under an interruption or a short count at each of its first calls,
// still moves every byte, in order.
TEST(AppelsSysteme, LoopsGoOnThroughInterruptionsAndShortCounts)
{
    zvtest::TempDir dir;
    ASSERT_TRUE(dir.ok());
    const std::string sPath = dir.path("data");
    const std::vector<char> vData = Pattern(100000);
    struct Case {
        const char* pszName;
        eAPPELSYSTEME eKind;
    };
    const Case aCases[] = {{"write", eSYS_WRITE}, {"read", eSYS_READ}, {"pwrite", eSYS_PWRITE}, {"pread", eSYS_PREAD}};
    FaultInjector injector;
    for (const Case& c : aCases) {
        for (bool bShort : {false, true}) {
            // An interruption of the first call; or short counts at every call (about twenty).
            SCOPED_TRACE(std::string(c.pszName) + (bShort ? " short" : " EINTR"));
            const bool bWriting = c.eKind == eSYS_WRITE || c.eKind == eSYS_PWRITE;
            if (!bWriting)
                zvtest::WriteFile(sPath, std::string(vData.begin(), vData.end()));
            const int nFd = SYS_nOpen(sPath.c_str(), bWriting ? O_WRONLY | O_CREAT | O_TRUNC : O_RDONLY, 0600);
            ASSERT_GE(nFd, 0);
            FaultPlan plan = Plan(1, EINTR, bShort, c.eKind);
            plan.bPersistent = bShort;
            injector.Arm(plan);
            std::vector<char> vRead(vData.size() + 10, 'x');
            std::size_t nDone = 0;
            bool bOk = false;
            switch (c.eKind) {
            case eSYS_WRITE: bOk = SYS_bWriteAll(nFd, vData.data(), vData.size(), &nDone, sPath.c_str()); break;
            case eSYS_PWRITE: bOk = SYS_bPwriteAll(nFd, vData.data(), vData.size(), 0, &nDone); break;
            case eSYS_READ: bOk = SYS_bReadAll(nFd, vRead.data(), vRead.size(), &nDone); break;
            default: bOk = SYS_bPreadAll(nFd, vRead.data(), vRead.size(), 0, &nDone); break;
            }
            EXPECT_GE(injector.nFired(), 1u);
            injector.Disarm();
            EXPECT_TRUE(SYS_bClose(nFd));
            EXPECT_TRUE(bOk);
            EXPECT_EQ(nDone, vData.size());
            if (bWriting)
                EXPECT_EQ(zvtest::sReadFile(sPath), std::string(vData.begin(), vData.end()));
            else
                EXPECT_TRUE(std::equal(vData.begin(), vData.end(), vRead.begin()));
            EXPECT_EQ(vRead[vData.size()], 'x'); // nothing past the end of the file
        }
    }
}

TEST(AppelsSysteme, AFailureKeepsErrnoWithTheOperationAndThePath)
{
    zvtest::TempDir dir;
    ASSERT_TRUE(dir.ok());
    const std::string sPath = dir.path("app.ini");
    const int nFd = SYS_nOpen(sPath.c_str(), O_WRONLY | O_CREAT, 0600);
    ASSERT_GE(nFd, 0);
    {
        FaultInjector injector;
        injector.Arm(Plan(2, ENOSPC, false, eSYS_WRITE));
        std::size_t nWritten = 0;
        const std::vector<char> v = Pattern(10);
        ASSERT_TRUE(SYS_bWriteAll(nFd, v.data(), v.size(), &nWritten, sPath.c_str()));
        EXPECT_FALSE(SYS_bWriteAll(nFd, v.data(), v.size(), &nWritten, sPath.c_str()));
        EXPECT_EQ(errno, ENOSPC);
        EXPECT_EQ(nWritten, 0u);
    }
    EXPECT_EQ(SYS_stLastError().nErrno, ENOSPC);
    EXPECT_STREQ(SYS_stLastError().pszOperation, "write");
    EXPECT_EQ(std::string(SYS_stLastError().szPath), sPath);
    char sz[600];
    SYS_nFormatLastError(sz, sizeof sz);
    EXPECT_EQ(std::string(sz), "cannot write " + sPath + ": No space left on device");
    EXPECT_TRUE(SYS_bClose(nFd));

    // A rename names both paths; a call on a descriptor with no name names none.
    EXPECT_FALSE(SYS_bRename(dir.path("none").c_str(), sPath.c_str()));
    SYS_nFormatLastError(sz, sizeof sz);
    EXPECT_EQ(std::string(sz), "cannot rename " + dir.path("none") + " to " + sPath + ": No such file or directory");
    struct stat64 st;
    EXPECT_FALSE(SYS_bFstat(-1, &st));
    SYS_nFormatLastError(sz, sizeof sz);
    EXPECT_STREQ(sz, "cannot stat: Bad file descriptor");
    SYS_ClearLastError();
    SYS_nFormatLastError(sz, sizeof sz);
    EXPECT_STREQ(sz, "no failure");
}

TEST(AppelsSysteme, FormattedFailureIsCutToTheBuffer)
{
    SYS_RecordError("open", "/etc/app.ini", ENOENT);
    const std::string sWhole = "cannot open /etc/app.ini: No such file or directory";
    for (std::size_t nSize : {std::size_t(1), std::size_t(10), sWhole.size(), sWhole.size() + 1, sWhole.size() + 20}) {
        SCOPED_TRACE(nSize);
        zvtest::SentinelBuffer<char> buffer(nSize);
        EXPECT_EQ(SYS_nFormatLastError(buffer.data(), static_cast<unsigned>(nSize)), sWhole.size());
        const std::size_t nText = nSize - 1 < sWhole.size() ? nSize - 1 : sWhole.size();
        EXPECT_EQ(std::string(buffer.data()), sWhole.substr(0, nText));
        EXPECT_TRUE(buffer.untouchedFrom(nText + 1));
        EXPECT_TRUE(buffer.guardsIntact());
    }
}

TEST(AppelsSysteme, ReadLinkRefusesATargetItWouldCut)
{
    zvtest::TempDir dir;
    ASSERT_TRUE(dir.ok());
    const std::string sTarget = "some/target/name";
    const std::string sLink = dir.path("link");
    ASSERT_EQ(symlink(sTarget.c_str(), sLink.c_str()), 0);
    for (std::size_t nSize : {sTarget.size(), sTarget.size() + 1, sTarget.size() + 50}) {
        SCOPED_TRACE(nSize);
        zvtest::SentinelBuffer<char> buffer(nSize);
        const ssize_t n = SYS_nReadLink(sLink.c_str(), buffer.data(), nSize);
        if (nSize <= sTarget.size()) {
            EXPECT_EQ(n, -1);
            EXPECT_EQ(errno, ENAMETOOLONG);
        } else {
            EXPECT_EQ(n, static_cast<ssize_t>(sTarget.size()));
            EXPECT_EQ(std::string(buffer.data()), sTarget);
            EXPECT_TRUE(buffer.untouchedFrom(sTarget.size() + 1));
        }
        EXPECT_TRUE(buffer.guardsIntact());
    }
}

TEST(AppelsSysteme, ReadFileStopsAtItsLimit)
{
    zvtest::TempDir dir;
    ASSERT_TRUE(dir.ok());
    zvtest::WriteFile(dir.path("f"), "0123456789");
    for (std::size_t nMax : {std::size_t(4), std::size_t(10), std::size_t(30)}) {
        zvtest::SentinelBuffer<char> buffer(nMax);
        std::size_t nRead = 99;
        ASSERT_TRUE(SYS_bReadFile(dir.path("f").c_str(), buffer.data(), nMax, &nRead));
        EXPECT_EQ(nRead, nMax < 10 ? nMax : 10);
        EXPECT_EQ(std::string(buffer.data(), nRead), std::string("0123456789").substr(0, nRead));
        EXPECT_TRUE(buffer.untouchedFrom(nRead));
        EXPECT_TRUE(buffer.guardsIntact());
    }
    std::size_t nRead = 99;
    char c;
    EXPECT_FALSE(SYS_bReadFile(dir.path("missing").c_str(), &c, 1, &nRead));
    EXPECT_EQ(nRead, 0u);
}

TEST(AppelsSysteme, CreateUniqueMakesNewFilesOnly)
{
    zvtest::TempDir dir;
    ASSERT_TRUE(dir.ok());
    for (const char* pszBad : {"", "abc", "XXXXX", "nameXXXXXXy"}) {
        std::string s = dir.path(pszBad);
        EXPECT_EQ(SYS_nCreateUnique(&s[0], O_WRONLY | O_CLOEXEC, 0600), -1) << pszBad;
        EXPECT_EQ(errno, EINVAL);
    }
    const mode_t nMask = umask(022);
    std::set<std::string> names;
    for (int i = 0; i < 20; ++i) {
        std::string s = dir.path("tmpXXXXXX");
        const int nFd = SYS_nCreateUnique(&s[0], O_WRONLY | O_CLOEXEC, 0666);
        ASSERT_GE(nFd, 0);
        EXPECT_TRUE(SYS_bClose(nFd));
        struct stat64 st;
        ASSERT_TRUE(SYS_bStat(s.c_str(), &st));
        EXPECT_EQ(st.st_mode & 0777, 0644u);
        names.insert(s);
    }
    umask(nMask);
    EXPECT_EQ(names.size(), 20u);

    // A name taken meanwhile (EEXIST) makes it try another.
    FaultInjector injector;
    injector.Arm(Plan(1, EEXIST, false, eSYS_OPEN));
    std::string s = dir.path("tmpXXXXXX");
    const int nFd = SYS_nCreateUnique(&s[0], O_WRONLY | O_CLOEXEC, 0600);
    EXPECT_EQ(injector.nFired(), 1u);
    EXPECT_EQ(injector.nCalls(), 2u);
    ASSERT_GE(nFd, 0);
    EXPECT_TRUE(SYS_bClose(nFd));
}

TEST(AppelsSysteme, InterruptedCloseIsDoneAndTheTableComesBack)
{
    zvtest::TempDir dir;
    ASSERT_TRUE(dir.ok());
    const int nFd = SYS_nOpen(dir.path("f").c_str(), O_WRONLY | O_CREAT, 0600);
    ASSERT_GE(nFd, 0);
    {
        FaultInjector injector;
        injector.Arm(Plan(1, EINTR, false, eSYS_CLOSE));
        EXPECT_TRUE(SYS_bClose(nFd));
        EXPECT_EQ(injector.nFired(), 1u);
    }
    EXPECT_EQ(fcntl(nFd, F_GETFD), -1); // released all the same
#define ZV_X(kind, member, result, params, args) \
    EXPECT_EQ(gstAppelsSysteme.pfn##member.load(), gstAppelsDefaut.pfn##member) << #member;
    ZV_APPELS_SYSTEME(ZV_X)
#undef ZV_X
}

TEST(AppelsSysteme, DirectoryListingTellsItsEndFromAFailure)
{
    zvtest::TempDir dir;
    ASSERT_TRUE(dir.ok());
    zvtest::WriteFile(dir.path("a"), "");
    DIR* pDir = SYS_pOpenDir(dir.dir().c_str());
    ASSERT_NE(pDir, nullptr);
    FaultInjector injector;
    injector.Arm(Plan(2, EIO, false, eSYS_READDIR));
    EXPECT_NE(SYS_pReadDir(pDir, dir.dir().c_str()), nullptr);
    EXPECT_EQ(SYS_pReadDir(pDir, dir.dir().c_str()), nullptr);
    EXPECT_EQ(errno, EIO);
    EXPECT_STREQ(SYS_stLastError().pszOperation, "list");
    injector.Disarm();
    int n = 0;
    while (SYS_pReadDir(pDir))
        ++n;
    EXPECT_EQ(errno, 0);
    EXPECT_LE(n, 2);
    EXPECT_TRUE(SYS_bCloseDir(pDir));
}

} // namespace
