// Tests of the disk file as a stream: opening and sharing locks (also between processes),
// positioned reads and writes, sizes, the three line readers, copies and 64-bit offsets.
#include "base/files/CDiskFile.h"

#include "base/strings/CTString.h"
#include "support/FaultInjection.h"
#include "support/Sentinel.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <random>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using zvtest::sReadFile;
using zvtest::TempDir;
using zvtest::WriteFile;

constexpr int kMarker = CDiskFile::ZV_ERRNO_SHARING_VIOLATION;

// Runs fn in a child process and returns its result (0-255), or -1 when it did not exit.
// The child only reports: no test assertion runs there.
int nInChild(const std::function<int()>& fn)
{
    const pid_t pid = fork();
    if (pid == 0)
        _exit(fn());
    int nStatus = 0;
    if (pid < 0 || waitpid(pid, &nStatus, 0) != pid || !WIFEXITED(nStatus))
        return -1;
    return WEXITSTATUS(nStatus);
}

// What a child's attempt gave: 1 success, 2 refused as a sharing violation, 3 other failure.
int nOutcome(int bOk)
{
    if (bOk)
        return 1;
    return errno == kMarker ? 2 : 3;
}

int nChildOpens(const std::string& sPath, eACCESS eAccess, eSHARE eShare)
{
    return nInChild([&] {
        CDiskFile cl;
        return nOutcome(cl.bOpen(sPath.c_str(), eAccess, eShare, eCREATE_OPEN, eFLAG_NONE, nullptr));
    });
}

int nChildLocks(const std::string& sPath, unsigned long long oStart, unsigned long long oLength)
{
    return nInChild([&] {
        CDiskFile cl;
        if (!cl.bOpen(sPath.c_str(), eACCESS_READWRITE, eSHARE_ALL, eCREATE_OPEN, eFLAG_NONE, nullptr))
            return 4;
        return nOutcome(cl.bLock(oStart, oLength));
    });
}

class DiskFileStream : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.ok()); }
    std::string path(const char* psz = "f.txt") const { return m_dir.path(psz); }
    // Opens sContent written to a fresh file, for reading and writing without lock.
    void OpenWith(CDiskFile& cl, const std::string& sContent, eACCESS eAccess = eACCESS_READWRITE)
    {
        WriteFile(path(), sContent);
        ASSERT_TRUE(cl.bOpen(path().c_str(), eAccess, eSHARE_ALL, eCREATE_OPEN, eFLAG_NONE, nullptr));
    }
    TempDir m_dir;
};

TEST_F(DiskFileStream, FreshObjectIsClosed)
{
    CDiskFile cl;
    EXPECT_FALSE(cl.bIsOpen());
    EXPECT_EQ(cl.veGetAccess(), -1);
    EXPECT_STREQ(cl.pszGetName(), "");
    EXPECT_EQ(cl.oGetOffset(), 0);
    EXPECT_EQ(cl.oGetSize(), -1);
    char sz[4];
    unsigned n = 7;
    EXPECT_FALSE(cl.bRead(sz, 4, &n));
    EXPECT_EQ(errno, EBADF);
    EXPECT_FALSE(cl.bWrite("ab", 2, nullptr));
    EXPECT_STREQ(cl.pwszGetName(), L"");
    EXPECT_FALSE(cl.bOpenW(L"x", eACCESS_READ, eSHARE_ALL, eCREATE_OPEN, eFLAG_NONE, nullptr));
    EXPECT_FALSE(cl.bGetVFSFileName(sz));
}

TEST_F(DiskFileStream, CreationValues)
{
    const std::string s = path();
    CDiskFile cl;
    int bCreated = 7;
    EXPECT_FALSE(cl.bOpen(s.c_str(), eACCESS_READWRITE, eSHARE_ALL, eCREATE_OPEN, eFLAG_NONE, &bCreated));
    EXPECT_EQ(errno, ENOENT);
    EXPECT_EQ(bCreated, 0);

    ASSERT_TRUE(cl.bOpen(s.c_str(), eACCESS_READWRITE, eSHARE_ALL, eCREATE_OPENALWAYS, eFLAG_NONE, &bCreated));
    EXPECT_EQ(bCreated, 1);
    EXPECT_EQ(cl.veGetAccess(), 0x8842); // O_RDWR, O_CREAT, O_NONBLOCK, O_LARGEFILE
    EXPECT_TRUE(cl.bWrite("hello", 5, nullptr));
    cl.Close();
    EXPECT_FALSE(cl.bIsOpen());
    EXPECT_EQ(cl.veGetAccess(), -1);

    ASSERT_TRUE(cl.bOpen(s.c_str(), eACCESS_READWRITE, eSHARE_ALL, eCREATE_OPENALWAYS, eFLAG_NONE, &bCreated));
    EXPECT_EQ(bCreated, 0);
    EXPECT_EQ(errno, EEXIST);
    EXPECT_EQ(cl.oGetSize(), 5);
    cl.Close();

    // Created always: reported as created even though it existed, and emptied.
    ASSERT_TRUE(cl.bOpen(s.c_str(), eACCESS_WRITE, eSHARE_EXCLUSIVE, eCREATE_CREATEALWAYS, eFLAG_NONE, &bCreated));
    EXPECT_EQ(bCreated, 1);
    EXPECT_EQ(cl.oGetSize(), 0);
    cl.Close();

    // Other values are or-ed in as given: O_CREAT | O_EXCL refuses an existing file.
    EXPECT_FALSE(cl.bOpen(s.c_str(), eACCESS_WRITE, eSHARE_ALL, static_cast<eCREATE>(0xC0), eFLAG_NONE, &bCreated));
    EXPECT_EQ(errno, EEXIST);
    ASSERT_TRUE(cl.bOpen(path("new").c_str(), eACCESS_WRITE, eSHARE_ALL, static_cast<eCREATE>(0xC0), eFLAG_NONE,
                         &bCreated));
    EXPECT_EQ(bCreated, 1);

    // Access -1 is read only; unknown access values are refused rather than or-ed in.
    ASSERT_TRUE(cl.bOpen(s.c_str(), eACCESS_DEFAULT, eSHARE_ALL, eCREATE_OPEN, eFLAG_NONE, nullptr));
    EXPECT_EQ(cl.veGetAccess(), 0x8800);
    EXPECT_FALSE(cl.bWrite("x", 1, nullptr));
    EXPECT_FALSE(cl.bOpen(s.c_str(), static_cast<eACCESS>(-2), eSHARE_ALL, eCREATE_OPEN, eFLAG_NONE, nullptr));
    EXPECT_EQ(errno, EINVAL);
    EXPECT_FALSE(cl.bOpen(nullptr, eACCESS_READ, eSHARE_ALL, eCREATE_OPEN, eFLAG_NONE, nullptr));
}

TEST_F(DiskFileStream, NamesAreMadeAbsoluteWithSlashes)
{
    WriteFile(path(), "content");
    std::string sBack = path();
    for (char& c : sBack)
        if (c == '/')
            c = '\\';
    CDiskFile cl;
    ASSERT_TRUE(cl.bOpen(sBack.c_str(), eACCESS_READ, eSHARE_ALL, eCREATE_OPEN, eFLAG_NONE, nullptr));
    EXPECT_EQ(std::string(cl.pszGetName()), path());
    char sz[8] = {};
    EXPECT_TRUE(cl.bRead(sz, 7, nullptr));
    EXPECT_STREQ(sz, "content");

    // A name too long for the name array fails cleanly and leaves no stale name behind that
    // a reopen would use.
    const std::string sLong = "/" + std::string(300, 'a');
    EXPECT_FALSE(cl.bOpen(sLong.c_str(), eACCESS_READ, eSHARE_ALL, eCREATE_OPEN, eFLAG_NONE, nullptr));
    EXPECT_EQ(errno, ENAMETOOLONG);
    EXPECT_STREQ(cl.pszGetName(), "");
    EXPECT_FALSE(cl.bReopen(eACCESS_READ, eSHARE_ALL, eCREATE_OPEN, eFLAG_NONE));
}

TEST_F(DiskFileStream, OpeningAgainClosesTheFirstFile)
{
    WriteFile(path("a"), "a");
    WriteFile(path("b"), "bb");
    CDiskFile cl;
    ASSERT_TRUE(cl.bOpen(path("a").c_str(), eACCESS_READWRITE, eSHARE_EXCLUSIVE, eCREATE_OPEN, eFLAG_NONE, nullptr));
    ASSERT_TRUE(cl.bOpen(path("b").c_str(), eACCESS_READWRITE, eSHARE_ALL, eCREATE_OPEN, eFLAG_NONE, nullptr));
    EXPECT_EQ(cl.oGetSize(), 2);
    // The first file's descriptor, and its lock, are gone.
    EXPECT_EQ(nChildOpens(path("a"), eACCESS_READWRITE, eSHARE_EXCLUSIVE), 1);
}

TEST_F(DiskFileStream, ReopenKeepsTheNameWithNewValues)
{
    CDiskFile cl;
    OpenWith(cl, "abc", eACCESS_READ);
    EXPECT_FALSE(cl.bWrite("x", 1, nullptr));
    ASSERT_TRUE(cl.bReopen(eACCESS_READWRITE, eSHARE_ALL, eCREATE_OPEN, eFLAG_NONE));
    EXPECT_EQ(std::string(cl.pszGetName()), path());
    EXPECT_EQ(cl.veGetAccess() & 3, 2);
    EXPECT_TRUE(cl.bWrite("x", 1, nullptr));
    cl.Close();
    EXPECT_EQ(sReadFile(path()), "xbc");
}

TEST_F(DiskFileStream, DirectoryOpensOnlyWithItsFlag)
{
    CDiskFile cl;
    ASSERT_TRUE(cl.bOpen(m_dir.dir().c_str(), eACCESS_READWRITE, eSHARE_EXCLUSIVE, eCREATE_OPEN, eFLAG_DIRECTORY,
                         nullptr));
    EXPECT_EQ(cl.veGetAccess(), 0x10000);
    cl.Close();
    EXPECT_FALSE(cl.bOpen(m_dir.dir().c_str(), eACCESS_READWRITE, eSHARE_ALL, eCREATE_OPEN, eFLAG_NONE, nullptr));
}

// Sharing locks between two processes: what a second process sees while this one holds
// the file.
TEST_F(DiskFileStream, SharingLocksBetweenProcesses)
{
    WriteFile(path(), "data");
    const struct {
        eACCESS eHeldAccess;
        eSHARE eHeld;
        eACCESS eAskedAccess;
        eSHARE eAsked;
        int nExpected; // 1 opens, 2 sharing violation
    } rows[] = {
        {eACCESS_READWRITE, eSHARE_EXCLUSIVE, eACCESS_READWRITE, eSHARE_EXCLUSIVE, 2},
        {eACCESS_READWRITE, eSHARE_EXCLUSIVE, eACCESS_READ, eSHARE_DENYWRITE, 2},
        {eACCESS_READWRITE, eSHARE_EXCLUSIVE, eACCESS_READ, eSHARE_ALL, 1},
        {eACCESS_READ, eSHARE_DENYWRITE, eACCESS_READ, eSHARE_DENYWRITE, 1},
        {eACCESS_READ, eSHARE_DENYWRITE, eACCESS_READWRITE, eSHARE_EXCLUSIVE, 2},
        {eACCESS_READ, eSHARE_ALL, eACCESS_READWRITE, eSHARE_EXCLUSIVE, 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "held " << row.eHeld << ", asked " << row.eAsked);
        CDiskFile cl;
        ASSERT_TRUE(cl.bOpen(path().c_str(), row.eHeldAccess, row.eHeld, eCREATE_OPEN, eFLAG_NONE, nullptr));
        EXPECT_EQ(nChildOpens(path(), row.eAskedAccess, row.eAsked), row.nExpected);
        cl.Close();
        EXPECT_EQ(nChildOpens(path(), row.eAskedAccess, row.eAsked), 1) << "lock kept after Close";
    }
}

TEST_F(DiskFileStream, RefusedCreateAlwaysLeavesTheHeldFileIntact)
{
    WriteFile(path(), "precious");
    CDiskFile clHolder;
    ASSERT_TRUE(clHolder.bOpen(path().c_str(), eACCESS_READWRITE, eSHARE_EXCLUSIVE, eCREATE_OPEN, eFLAG_NONE, nullptr));
    const int nChild = nInChild([&] {
        CDiskFile cl;
        int bCreated = 0;
        return nOutcome(cl.bOpen(path().c_str(), eACCESS_WRITE, eSHARE_EXCLUSIVE, eCREATE_CREATEALWAYS, eFLAG_NONE,
                                 &bCreated));
    });
    EXPECT_EQ(nChild, 2);
    EXPECT_EQ(sReadFile(path()), "precious");
}

TEST_F(DiskFileStream, UnlockedOpenKeepsTheLocksOfOtherObjects)
{
    WriteFile(path(), "data");
    CDiskFile clHolder, clReader;
    ASSERT_TRUE(clHolder.bOpen(path().c_str(), eACCESS_READWRITE, eSHARE_EXCLUSIVE, eCREATE_OPEN, eFLAG_NONE, nullptr));
    ASSERT_TRUE(clReader.bOpen(path().c_str(), eACCESS_READ, eSHARE_ALL, eCREATE_OPEN, eFLAG_NONE, nullptr));
    EXPECT_EQ(nChildOpens(path(), eACCESS_READWRITE, eSHARE_EXCLUSIVE), 2);
}

TEST_F(DiskFileStream, LockTheAccessModeForbidsIsNotASharingViolation)
{
    // A read-only descriptor cannot hold a write lock: the open fails, but nobody else holds
    // the file, so errno tells the real cause.
    WriteFile(path(), "data");
    CDiskFile cl;
    EXPECT_FALSE(cl.bOpen(path().c_str(), eACCESS_READ, eSHARE_EXCLUSIVE, eCREATE_OPEN, eFLAG_NONE, nullptr));
    EXPECT_EQ(errno, EBADF);
    EXPECT_FALSE(cl.bIsOpen());
}

TEST_F(DiskFileStream, RangeLocksBetweenProcesses)
{
    CDiskFile cl;
    OpenWith(cl, std::string(100, 'x'));
    ASSERT_TRUE(cl.bLock(10, 10));
    EXPECT_EQ(nChildLocks(path(), 15, 1), 2);
    EXPECT_EQ(nChildLocks(path(), 0, 10), 1);
    EXPECT_EQ(nChildLocks(path(), 20, 5), 1);
    EXPECT_TRUE(cl.bUnlockFile(10, 10));
    EXPECT_EQ(nChildLocks(path(), 15, 1), 1);

    // A length of all ones means everything from the start on, far past the end.
    ASSERT_TRUE(cl.bLockFile(50, ~0ULL));
    EXPECT_EQ(nChildLocks(path(), 1ULL << 40, 1), 2);
    EXPECT_EQ(nChildLocks(path(), 49, 1), 1);
    EXPECT_TRUE(cl.bUnlock(50, ~0ULL));
    EXPECT_EQ(nChildLocks(path(), 1ULL << 40, 1), 1);

    // A start past the largest offset is refused, not wrapped.
    EXPECT_FALSE(cl.bLock(~0ULL, 1));
    EXPECT_EQ(errno, EINVAL);
}

TEST_F(DiskFileStream, ReadOnlyFilesTakeReadLocks)
{
    CDiskFile cl;
    OpenWith(cl, "data", eACCESS_READ);
    ASSERT_TRUE(cl.bLock(0, 4));
    // Another reader may share the range, a writer may not.
    EXPECT_EQ(nInChild([&] {
                  CDiskFile clOther;
                  if (!clOther.bOpen(path().c_str(), eACCESS_READ, eSHARE_ALL, eCREATE_OPEN, eFLAG_NONE, nullptr))
                      return 4;
                  return nOutcome(clOther.bLock(0, 4));
              }),
              1);
    EXPECT_EQ(nChildLocks(path(), 0, 4), 2);
}

TEST_F(DiskFileStream, TokenLockOnTheFirstTwoBytes)
{
    CDiskFile cl;
    OpenWith(cl, "data");
    ASSERT_TRUE(cl.bLockFileEx(1, 1));
    EXPECT_EQ(nChildLocks(path(), 1, 1), 2);
    EXPECT_EQ(nChildLocks(path(), 2, 1), 1);
    EXPECT_TRUE(cl.bLockFileEx(0, 0));
    EXPECT_EQ(nChildLocks(path(), 1, 1), 1);
    // A shared token lets another process take a shared token too (it would wait otherwise).
    ASSERT_TRUE(cl.bLockFileEx(1, 0));
    EXPECT_EQ(nInChild([&] {
                  CDiskFile clOther;
                  if (!clOther.bOpen(path().c_str(), eACCESS_READ, eSHARE_ALL, eCREATE_OPEN, eFLAG_NONE, nullptr))
                      return 4;
                  return nOutcome(clOther.bLockFileEx(1, 0));
              }),
              1);
    EXPECT_TRUE(cl.bLockFileEx(0, 1));
    CDiskFile clClosed;
    EXPECT_FALSE(clClosed.bLockFileEx(1, 1));
    EXPECT_TRUE(clClosed.bLockFileEx(0, 1));
}

TEST_F(DiskFileStream, ReadPastTheEnd)
{
    CDiskFile cl;
    OpenWith(cl, std::string(100, 'a') + "0123456789");
    zvtest::SentinelBuffer<char> buf(100);
    unsigned nRead = 77;
    ASSERT_TRUE(cl.bRead(100, buf.data(), 100, &nRead));
    EXPECT_EQ(nRead, 10u);
    EXPECT_EQ(std::string(buf.data(), 10), "0123456789");
    EXPECT_TRUE(buf.untouchedFrom(10));
    EXPECT_TRUE(buf.guardsIntact());
    EXPECT_EQ(cl.oGetOffset(), 110);

    EXPECT_FALSE(cl.bRead(100, buf.data(), 100, nullptr));
    EXPECT_TRUE(cl.bRead(100, buf.data(), 10, nullptr));
    ASSERT_TRUE(cl.bRead(buf.data(), 5, &nRead)); // at the end: success, nothing read
    EXPECT_EQ(nRead, 0u);
    EXPECT_FALSE(cl.bRead(-5, buf.data(), 1, &nRead)); // the seek fails
    EXPECT_EQ(nRead, 0u);
    EXPECT_EQ(cl.oGetOffset(), 110);
}

TEST_F(DiskFileStream, WritesAtOffsetsAndFailedWritesKeepThePosition)
{
    CDiskFile cl;
    OpenWith(cl, "0123456789");
    unsigned nWritten = 0;
    ASSERT_TRUE(cl.bWrite(4, "ab", 2, &nWritten));
    EXPECT_EQ(nWritten, 2u);
    EXPECT_EQ(cl.oGetOffset(), 6);
    ASSERT_TRUE(cl.bWrite(12, "z", 1, nullptr)); // past the end: a hole of zeros
    EXPECT_EQ(cl.oGetOffset(), 13);
    cl.Close();
    EXPECT_EQ(sReadFile(path()), std::string("0123ab6789\0\0z", 13));

    OpenWith(cl, "0123", eACCESS_READ);
    ASSERT_TRUE(cl.bSeek(2, eSEEK_BEGIN));
    EXPECT_FALSE(cl.bWrite("x", 1, &nWritten));
    EXPECT_EQ(nWritten, 0u);
    EXPECT_EQ(cl.oGetOffset(), 2);
}

TEST_F(DiskFileStream, SeeksAndSizes)
{
    CDiskFile cl;
    OpenWith(cl, "0123456789");
    ASSERT_TRUE(cl.bSeek(3, eSEEK_BEGIN));
    ASSERT_TRUE(cl.bSeek(2, eSEEK_CURRENT));
    EXPECT_EQ(cl.oGetOffset(), 5);
    ASSERT_TRUE(cl.bSeek(-1, eSEEK_END));
    EXPECT_EQ(cl.oGetOffset(), 9);
    EXPECT_FALSE(cl.bSeek(-20, eSEEK_END));
    EXPECT_EQ(cl.oGetOffset(), 9);

    ASSERT_TRUE(cl.bSeek(4, eSEEK_BEGIN));
    EXPECT_EQ(cl.oGetSize(), 10);
    EXPECT_EQ(cl.oGetOffset(), 4);
    EXPECT_EQ(cl.oGetSizeFast(), 10);
    EXPECT_EQ(cl.oGetOffset(), 10);

    ASSERT_TRUE(cl.bSetSize(10, eGROW_RELATIVE));
    EXPECT_EQ(cl.oGetSize(), 20);
    EXPECT_EQ(cl.oGetOffset(), 20);
    EXPECT_FALSE(cl.bSetSize(5, static_cast<eGROW>(2)));
    EXPECT_EQ(cl.oGetSize(), 20);
    ASSERT_TRUE(cl.bSetSize(-15, eGROW_RELATIVE));
    EXPECT_EQ(cl.oGetSize(), 5);
    ASSERT_TRUE(cl.bSetSize(3, eGROW_ABSOLUTE));
    EXPECT_TRUE(cl.bFlush());
    cl.Close();
    EXPECT_EQ(sReadFile(path()), "012");
}

TEST_F(DiskFileStream, IncreaseSizeAddsZerosAndNeverRewritesData)
{
    CDiskFile cl;
    OpenWith(cl, "abc");
    EXPECT_TRUE(cl.bIncreaseSize(0));
    EXPECT_FALSE(cl.bIncreaseSize(-1));
    ASSERT_TRUE(cl.bIncreaseSize(3));
    EXPECT_EQ(cl.oGetOffset(), 6);
    cl.Close();
    EXPECT_EQ(sReadFile(path()), std::string("abc\0\0\0", 6));
}

TEST_F(DiskFileStream, ExtendFile)
{
    CDiskFile cl;
    OpenWith(cl, "abcdef");
    EXPECT_FALSE(cl.bExtendFile(0));
    EXPECT_EQ(cl.oGetSize(), 6); // not emptied on the way to the failure
    ASSERT_TRUE(cl.bExtendFile(9));
    EXPECT_EQ(cl.oGetSize(), 9);
    ASSERT_TRUE(cl.bExtendFile(4)); // cuts, but does not overwrite the new last byte
    cl.Close();
    EXPECT_EQ(sReadFile(path()), "abcd");
}

TEST_F(DiskFileStream, WriteStringWritesTheWholeText)
{
    CDiskFile cl;
    OpenWith(cl, "");
    ASSERT_TRUE(cl.bWriteString("%s=%d;", "n", 42));
    const std::string sLong(3000, 'L');
    ASSERT_TRUE(cl.bWriteString("[%s]", sLong.c_str()));
    const std::string sEdge(1024, 'E'); // exactly the local buffer's capacity
    ASSERT_TRUE(cl.bWriteString("%s", sEdge.c_str()));
    EXPECT_FALSE(cl.bWriteStringList(nullptr, nullptr));
    cl.Close();
    EXPECT_EQ(sReadFile(path()), "n=42;[" + sLong + "]" + sEdge);
}

// ---- bReadLine ----

struct LineStep {
    int bResult;
    std::string sText;
    int bTruncated;
};

// Reads lines with bReadLine until it fails, checking each and the position after it.
void ExpectLines(CDiskFile& cl, unsigned nCapacity, unsigned nFlags, const std::vector<LineStep>& steps)
{
    for (std::size_t i = 0; i < steps.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "line " << i);
        zvtest::SentinelBuffer<char> buf(nCapacity);
        int bTruncated = 9;
        const int bResult = cl.bReadLine(buf.data(), nCapacity, &bTruncated, nFlags);
        ASSERT_EQ(bResult != 0, steps[i].bResult != 0);
        EXPECT_TRUE(buf.guardsIntact());
        if (!steps[i].bResult)
            continue;
        EXPECT_EQ(std::string(buf.data()), steps[i].sText);
        EXPECT_EQ(bTruncated, steps[i].bTruncated);
        EXPECT_TRUE(buf.untouchedFrom(steps[i].sText.size() + 1));
    }
}

TEST_F(DiskFileStream, ReadLineTable)
{
    const std::string s80(80, 'x'), s79(79, 'y'), s160(160, 'z');
    const struct {
        const char* pszName;
        std::string sContent;
        unsigned nCapacity;
        unsigned nFlags;
        std::vector<LineStep> steps;
    } rows[] = {
        {"cut line goes on", "abcdefgh\r\n", 5, 0, {{1, "abcd", 1}, {1, "efgh", 0}, {0, "", 0}}},
        {"exact fit", "abcd\r\nz", 5, 0, {{1, "abcd", 0}, {1, "z", 0}, {0, "", 0}}},
        {"CR LF, LF and a lone CR", "a\nb\r\nc\rd", 20, 0,
         {{1, "a", 0}, {1, "b", 0}, {1, "c", 0}, {1, "d", 0}, {0, "", 0}}},
        {"strict: only CR LF", "a\nb\r\nc\rd\r\n", 20, 1, {{1, "a\nb", 0}, {1, "c\rd", 0}, {0, "", 0}}},
        {"empty lines", "\r\n\n\r\nx", 20, 0, {{1, "", 0}, {1, "", 0}, {1, "", 0}, {1, "x", 0}, {0, "", 0}}},
        {"last line of a full chunk", s80, 200, 0, {{1, s80, 0}, {0, "", 0}}},
        {"last line of two full chunks", s160, 200, 0, {{1, s160, 0}, {0, "", 0}}},
        {"CR LF across chunks", s79 + "\r\nq", 200, 0, {{1, s79, 0}, {1, "q", 0}, {0, "", 0}}},
        {"CR LF across chunks, strict", s79 + "\r\nq", 200, 1, {{1, s79, 0}, {1, "q", 0}, {0, "", 0}}},
        {"lone CR ending a chunk", s79 + "\rq\n", 200, 0, {{1, s79, 0}, {1, "q", 0}, {0, "", 0}}},
        {"lone CR ending a chunk, strict", s79 + "\rq\r\n", 200, 1, {{1, s79 + "\rq", 0}, {0, "", 0}}},
        {"CR ending the file", "ab\r", 20, 0, {{1, "ab", 0}, {0, "", 0}}},
        {"CR ending the file, strict", "ab\r", 20, 1, {{1, "ab\r", 0}, {0, "", 0}}},
        {"cut within a later chunk", s80 + "abc\r\n", 82, 0, {{1, s80 + "a", 1}, {1, "bc", 0}, {0, "", 0}}},
        {"capacity 1", "ab\r\n\r\n", 1, 0, {{1, "", 1}, {1, "", 1}}},
        {"empty file", "", 10, 0, {{0, "", 0}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.pszName);
        CDiskFile cl;
        OpenWith(cl, row.sContent);
        ExpectLines(cl, row.nCapacity, row.nFlags, row.steps);
    }
}

TEST_F(DiskFileStream, ReadLineLeavesThePositionAfterTheLine)
{
    CDiskFile cl;
    OpenWith(cl, "first\r\nsecond\nthird");
    char sz[40];
    int bTruncated = 0;
    ASSERT_TRUE(cl.bReadLine(sz, sizeof sz, &bTruncated, 0));
    EXPECT_EQ(cl.oGetOffset(), 7);
    ASSERT_TRUE(cl.bReadLine(sz, sizeof sz, nullptr, 0));
    EXPECT_EQ(cl.oGetOffset(), 14);
    char c = 0;
    ASSERT_TRUE(cl.bRead(&c, 1, nullptr));
    EXPECT_EQ(c, 't');

    // Capacity 1: an empty text and the truncation flag, nothing consumed; an empty line
    // fits and is consumed.
    ASSERT_TRUE(cl.bSeek(0, eSEEK_BEGIN));
    ASSERT_TRUE(cl.bReadLine(sz, 1, &bTruncated, 0));
    EXPECT_STREQ(sz, "");
    EXPECT_EQ(bTruncated, 1);
    EXPECT_EQ(cl.oGetOffset(), 0);
}

TEST_F(DiskFileStream, ReadLineWithNoCapacityWritesNothing)
{
    CDiskFile cl;
    OpenWith(cl, "line\r\n");
    zvtest::SentinelBuffer<char> buf(4);
    int bTruncated = 9;
    EXPECT_FALSE(cl.bReadLine(buf.data(), 0, &bTruncated, 0));
    EXPECT_TRUE(buf.untouchedFrom(0));
    EXPECT_EQ(bTruncated, 9);
    EXPECT_EQ(cl.oGetOffset(), 0);
    EXPECT_FALSE(cl.bReadLine(nullptr, 10, &bTruncated, 0));
    wchar_t wsz[2] = {L'k', 0};
    EXPECT_FALSE(cl.bReadLineUNICODE(wsz, 0, &bTruncated, 0));
    EXPECT_EQ(wsz[0], L'k');
}

TEST_F(DiskFileStream, ReadLineUnicode)
{
    const std::wstring sWide = L"ab\r\ncd\u00e9\ne\r";
    std::string sBytes(reinterpret_cast<const char*>(sWide.data()), sWide.size() * sizeof(wchar_t));
    sBytes += "zz"; // an incomplete character at the end of the file
    CDiskFile cl;
    OpenWith(cl, sBytes);
    zvtest::SentinelBuffer<wchar_t> buf(10);
    int bTruncated = 9;
    ASSERT_TRUE(cl.bReadLineUNICODE(buf.data(), 10, &bTruncated, 0));
    EXPECT_STREQ(buf.data(), L"ab");
    EXPECT_EQ(bTruncated, 0);
    EXPECT_EQ(cl.oGetOffset(), 16);
    ASSERT_TRUE(cl.bReadLineUNICODE(buf.data(), 3, &bTruncated, 0));
    EXPECT_STREQ(buf.data(), L"cd");
    EXPECT_EQ(bTruncated, 1);
    EXPECT_TRUE(buf.untouchedFrom(3));
    EXPECT_TRUE(buf.guardsIntact());
    ASSERT_TRUE(cl.bReadLineUNICODE(buf.data(), 10, &bTruncated, 0));
    EXPECT_STREQ(buf.data(), L"\u00e9");
    EXPECT_EQ(bTruncated, 0);
    ASSERT_TRUE(cl.bReadLineUNICODE(buf.data(), 10, &bTruncated, 0));
    EXPECT_STREQ(buf.data(), L"e");
    EXPECT_FALSE(cl.bReadLineUNICODE(buf.data(), 10, &bTruncated, 0));
    EXPECT_FALSE(cl.bReadLineUNICODE(buf.data(), 10, &bTruncated, 0));

    // A line of exactly 80 characters with its CR LF across the chunk boundary, strict mode.
    const std::wstring s80(80, L'w');
    const std::wstring sNext = s80 + L"\r\nv";
    CDiskFile cl2;
    OpenWith(cl2, std::string(reinterpret_cast<const char*>(sNext.data()), sNext.size() * sizeof(wchar_t)));
    std::vector<wchar_t> big(100);
    ASSERT_TRUE(cl2.bReadLineUNICODE(big.data(), 100, &bTruncated, 1));
    EXPECT_EQ(std::wstring(big.data()), s80);
    ASSERT_TRUE(cl2.bReadLineUNICODE(big.data(), 100, &bTruncated, 1));
    EXPECT_EQ(std::wstring(big.data()), L"v");
}

// ---- pszReadLine ----

// Every line pszReadLine returns, in order.
std::vector<std::string> ReadAll(CDiskFile& cl, unsigned nCapacity, const char* pszSeparator,
                                 bool bOverflow = true)
{
    std::vector<std::string> lines;
    std::vector<char> buf(nCapacity + 1, '\x5A');
    CTString clOverflow;
    for (int nGuard = 0; nGuard < 1000000; ++nGuard) {
        const char* psz = cl.pszReadLine(buf.data(), nCapacity, bOverflow ? &clOverflow : nullptr, pszSeparator);
        if (!psz)
            break;
        lines.emplace_back(psz);
        EXPECT_EQ(buf[nCapacity], '\x5A') << "written past the capacity";
    }
    return lines;
}

// Reference splitter: separator, or CR LF / CR / LF.
std::vector<std::string> Split(const std::string& s, const std::string& sSep)
{
    std::vector<std::string> lines;
    std::size_t i = 0;
    while (i < s.size()) {
        std::size_t nEnd, nNext;
        if (!sSep.empty()) {
            nEnd = s.find(sSep, i);
            nNext = nEnd == std::string::npos ? s.size() : nEnd + sSep.size();
        } else {
            nEnd = s.find_first_of("\r\n", i);
            nNext = nEnd == std::string::npos ? s.size()
                    : (s[nEnd] == '\r' && nEnd + 1 < s.size() && s[nEnd + 1] == '\n') ? nEnd + 2
                                                                                          : nEnd + 1;
        }
        if (nEnd == std::string::npos)
            nEnd = s.size();
        lines.push_back(s.substr(i, nEnd - i));
        i = nNext;
    }
    return lines;
}

TEST_F(DiskFileStream, PszReadLineTable)
{
    const std::string sBlock(CDiskFile::ZV_LINE_BLOCK - 1, 'b');
    const struct {
        const char* pszName;
        std::string sContent;
        const char* pszSeparator;
        std::vector<std::string> lines;
    } rows[] = {
        {"three endings", "a\r\nb\nc", nullptr, {"a", "b", "c"}},
        {"LF before a later CR", "a\nb\nc\r\nd", nullptr, {"a", "b", "c", "d"}},
        {"lone CR", "a\rb\r", nullptr, {"a", "b"}},
        {"empty lines", "a\n\n\r\n", nullptr, {"a", "", ""}},
        {"separator", "a||b|c||", "||", {"a", "b|c"}},
        {"empty separator counts as none", "a\nb", "", {"a", "b"}},
        {"CR LF across the block boundary", sBlock + "\r\nx", nullptr, {sBlock, "x"}},
        {"separator across the block boundary", sBlock + "||y", "||", {sBlock, "y"}},
        {"long separator across the block boundary", sBlock.substr(2) + "<-->z", "<-->", {sBlock.substr(2), "z"}},
        {"separator beginning never completed", "ab<-", "<-->", {"ab<-"}},
        {"NUL byte inside a line", std::string("a\0b\nc\n", 6), nullptr, {"a", "c"}},
        {"empty file", "", nullptr, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.pszName);
        CDiskFile cl;
        OpenWith(cl, row.sContent);
        EXPECT_EQ(ReadAll(cl, 1 << 17, row.pszSeparator), row.lines);
    }
}

TEST_F(DiskFileStream, PszReadLineMatchesAReferenceOverManyBlocks)
{
    // Lines of every ending and length, long lines across several blocks among them.
    std::mt19937 rng(1234);
    std::string sContent;
    const char* endings[] = {"\n", "\r\n", "\r"};
    while (sContent.size() < 600000) {
        const std::size_t nLen = rng() % 16 == 0 ? rng() % 150000 : rng() % 120;
        for (std::size_t i = 0; i < nLen; ++i)
            sContent += static_cast<char>('a' + rng() % 26);
        sContent += endings[rng() % 3];
    }
    sContent += "tail";
    CDiskFile cl;
    OpenWith(cl, sContent);
    EXPECT_EQ(ReadAll(cl, 100, nullptr), Split(sContent, ""));

    // With a separator made of line-end characters, nothing else ends a line.
    ASSERT_TRUE(cl.bSeek(0, eSEEK_BEGIN));
    EXPECT_EQ(ReadAll(cl, 64, "\r\n"), Split(sContent, "\r\n"));
}

TEST_F(DiskFileStream, PszReadLineOverflowAndPieces)
{
    CDiskFile cl;
    OpenWith(cl, "0123456789\nab\n");
    char sz[5];
    CTString clOverflow;
    const char* psz = cl.pszReadLine(sz, sizeof sz, &clOverflow, nullptr);
    ASSERT_NE(psz, nullptr);
    EXPECT_STREQ(psz, "0123456789");
    EXPECT_EQ(psz, clOverflow.pszGet());
    psz = cl.pszReadLine(sz, sizeof sz, &clOverflow, nullptr);
    EXPECT_EQ(psz, sz);
    EXPECT_STREQ(psz, "ab");
    EXPECT_EQ(cl.pszReadLine(sz, sizeof sz, &clOverflow, nullptr), nullptr);

    // Without an overflow string the line comes in pieces, nothing is lost.
    ASSERT_TRUE(cl.bSeek(0, eSEEK_BEGIN));
    EXPECT_EQ(ReadAll(cl, 5, nullptr, false), (std::vector<std::string>{"0123", "4567", "89", "ab"}));
    ASSERT_TRUE(cl.bSeek(0, eSEEK_BEGIN));
    EXPECT_EQ(cl.pszReadLine(sz, 1, nullptr, nullptr), nullptr);
    // Capacity 0 with an overflow string: everything goes there.
    EXPECT_EQ(ReadAll(cl, 0, nullptr), (std::vector<std::string>{"0123456789", "ab"}));
    // A separator longer than the read-ahead block could never be found whole.
    ASSERT_TRUE(cl.bSeek(0, eSEEK_BEGIN));
    const std::string sHuge(CDiskFile::ZV_LINE_BLOCK, '|');
    EXPECT_EQ(cl.pszReadLine(sz, sizeof sz, &clOverflow, sHuge.c_str()), nullptr);
    EXPECT_EQ(errno, EINVAL);
}

TEST_F(DiskFileStream, PszReadLineForgetsReadAheadOnSeekAndClose)
{
    CDiskFile cl;
    OpenWith(cl, "one\ntwo\nthree\n");
    char sz[16];
    ASSERT_STREQ(cl.pszReadLine(sz, sizeof sz, nullptr, nullptr), "one");
    EXPECT_EQ(cl.oGetOffset(), 14); // the block read ahead
    ASSERT_TRUE(cl.bSeek(0, eSEEK_BEGIN));
    EXPECT_STREQ(cl.pszReadLine(sz, sizeof sz, nullptr, nullptr), "one");
    cl.Close();
    WriteFile(path("other"), "other\n");
    ASSERT_TRUE(cl.bOpen(path("other").c_str(), eACCESS_READ, eSHARE_ALL, eCREATE_OPEN, eFLAG_NONE, nullptr));
    EXPECT_STREQ(cl.pszReadLine(sz, sizeof sz, nullptr, nullptr), "other");
    EXPECT_EQ(cl.pszReadLine(sz, sizeof sz, nullptr, nullptr), nullptr);
}

// ---- Copies ----

TEST_F(DiskFileStream, ExtractToAnotherStream)
{
    std::string sContent;
    for (int i = 0; i < 200000; ++i)
        sContent += static_cast<char>('0' + i % 10);
    CDiskFile clSource, clDest;
    OpenWith(clSource, sContent);
    ASSERT_TRUE(clDest.bOpen(path("dest").c_str(), eACCESS_READWRITE, eSHARE_ALL, eCREATE_CREATEALWAYS, eFLAG_NONE,
                             nullptr));
    ASSERT_TRUE(clSource.bSeek(5, eSEEK_BEGIN));
    ASSERT_TRUE(clSource.bExtract(&clDest, -1));
    EXPECT_EQ(clSource.oGetOffset(), 200000);
    ASSERT_TRUE(clSource.bSeek(3, eSEEK_BEGIN));
    ASSERT_TRUE(clSource.bExtract(&clDest, 70000)); // more than one step, not a whole one
    EXPECT_EQ(clSource.oGetOffset(), 70003);
    ASSERT_TRUE(clSource.bSeek(199990, eSEEK_BEGIN));
    ASSERT_TRUE(clSource.bExtract(&clDest, 1000)); // beyond the end: what there is
    EXPECT_TRUE(clSource.bExtract(&clDest, 0));
    EXPECT_FALSE(clSource.bExtract(&clSource, 10));
    EXPECT_FALSE(clSource.bExtract(nullptr, 10));
    clDest.Close();
    EXPECT_EQ(sReadFile(path("dest")), sContent.substr(5) + sContent.substr(3, 70000) + sContent.substr(199990));
}

TEST_F(DiskFileStream, ExtractToAndFromNamedFiles)
{
    CDiskFile cl;
    OpenWith(cl, "0123456789");
    WriteFile(path("out"), "old content to replace");
    ASSERT_TRUE(cl.bExtract(path("out").c_str(), 2, 5));
    EXPECT_EQ(sReadFile(path("out")), "23456");
    ASSERT_TRUE(cl.bExtract(path("all").c_str(), 7, -1));
    EXPECT_EQ(sReadFile(path("all")), "789");

    // Never into its own file, which would be emptied first.
    EXPECT_FALSE(cl.bExtract(path().c_str(), 0, -1));
    EXPECT_EQ(sReadFile(path()), "0123456789");
    // A failed copy leaves no file behind.
    EXPECT_FALSE(cl.bExtract(path("missing/dir").c_str(), 0, 3));

    ASSERT_TRUE(cl.bExtractFromFile(path("out").c_str(), 1, 3));
    ASSERT_TRUE(cl.bExtractFromFile(path("all").c_str(), 0, -1));
    EXPECT_FALSE(cl.bExtractFromFile(path("none").c_str(), 0, -1));
    cl.Close();
    EXPECT_EQ(sReadFile(path()), "0123456789345789");
}

// ---- Names ----

TEST_F(DiskFileStream, NameForError)
{
    CDiskFile cl;
    OpenWith(cl, "x");
    EXPECT_EQ(cl.pszGetNameForError(), cl.pszGetName());
    ASSERT_TRUE(cl.vbSetNameForError("shown name"));
    EXPECT_STREQ(cl.pszGetNameForError(), "shown name");
    EXPECT_EQ(std::string(cl.pszGetName()), path());
    ASSERT_TRUE(cl.vbSetNameForError("another"));
    EXPECT_STREQ(cl.pszGetNameForError(), "another");
    cl.Close(); // reverts to the name array
    EXPECT_EQ(cl.pszGetNameForError(), cl.pszGetName());
    ASSERT_TRUE(cl.vbSetNameForError("kept until destruction"));
    EXPECT_TRUE(cl.vbSetNameForError(nullptr));
    EXPECT_EQ(cl.pszGetNameForError(), cl.pszGetName());
    EXPECT_FALSE(cl.vbSetNameForErrorW(L"w"));
    EXPECT_FALSE(cl.vbIsUNICODEFileName());
}

// ---- 64-bit offsets ----

TEST_F(DiskFileStream, OffsetsBeyondFourGiBOnASparseFile)
{
    const long long oFar = (5LL << 30) + 7; // 5 GiB and a little
    CDiskFile cl;
    ASSERT_TRUE(cl.bOpen(path("sparse").c_str(), eACCESS_READWRITE, eSHARE_ALL, eCREATE_CREATEALWAYS,
                         eFLAG_NONE, nullptr));
    if (!cl.bWrite(oFar, "far", 3, nullptr))
        GTEST_SKIP() << "the file system of /tmp refuses a file of 5 GiB (errno " << errno << ")";
    struct stat64 st; // the plain stat of the i386 build cannot describe a 5 GiB file
    ASSERT_EQ(stat64(path("sparse").c_str(), &st), 0);
    if (static_cast<long long>(st.st_blocks) * 512 > (1LL << 30))
        GTEST_SKIP() << "the file system does not keep sparse files";

    EXPECT_EQ(cl.oGetOffset(), oFar + 3);
    EXPECT_EQ(cl.oGetSize(), oFar + 3);
    char sz[4] = {};
    unsigned nRead = 0;
    ASSERT_TRUE(cl.bRead(oFar, sz, 3, &nRead));
    EXPECT_EQ(nRead, 3u);
    EXPECT_STREQ(sz, "far");
    ASSERT_TRUE(cl.bRead(oFar - 1, sz, 1, nullptr));
    EXPECT_EQ(sz[0], '\0');
    ASSERT_TRUE(cl.bSeek(-3, eSEEK_END));
    EXPECT_EQ(cl.oGetOffset(), oFar);

    // Lines and locks far out.
    ASSERT_TRUE(cl.bWrite(oFar + 3, "\nlast\r\n", 7, nullptr));
    ASSERT_TRUE(cl.bSeek(oFar, eSEEK_BEGIN));
    char szLine[16];
    ASSERT_TRUE(cl.bReadLine(szLine, sizeof szLine, nullptr, 0));
    EXPECT_STREQ(szLine, "far");
    EXPECT_EQ(cl.oGetOffset(), oFar + 4);
    ASSERT_TRUE(cl.bLock(static_cast<unsigned long long>(oFar), 2));
    EXPECT_EQ(nInChild([&] {
                  CDiskFile clOther;
                  clOther.bOpen(path("sparse").c_str(), eACCESS_READWRITE, eSHARE_ALL, eCREATE_OPEN, eFLAG_NONE,
                                nullptr);
                  const int nFar = nOutcome(clOther.bLock(static_cast<unsigned long long>(oFar) + 1, 1));
                  // The same range 4 GiB lower (what a 32-bit offset would wrap to) is free.
                  const int nLow = nOutcome(clOther.bLock(static_cast<unsigned long long>(oFar - (4LL << 30)), 2));
                  return nFar * 10 + nLow;
              }),
              21);
    ASSERT_TRUE(cl.bSetSize(oFar - 1, eGROW_ABSOLUTE));
    EXPECT_EQ(cl.oGetSize(), oFar - 1);
}

// ---- Times of the open file ----

FILETIME FileTimeOfUnix(long long nSecondes, long nUnites)
{
    const unsigned long long n = static_cast<unsigned long long>(nSecondes + 11644473600LL) * 10000000ULL + nUnites;
    return FILETIME{static_cast<uint32_t>(n), static_cast<uint32_t>(n >> 32)};
}

bool operator==(const FILETIME& a, const FILETIME& b)
{
    return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

TEST_F(DiskFileStream, TimesOnTheDescriptorInBothForms)
{
    CDiskFile cl;
    FILETIME ft = {};
    _stXFILETIME xft = {};
    EXPECT_FALSE(cl.bGetTime(&ft, nullptr, nullptr));
    EXPECT_EQ(errno, EBADF);
    EXPECT_FALSE(cl.bSetTime(nullptr, &xft, nullptr));
    OpenWith(cl, "x");
    // Windows file times, to the 100 ns unit; a null input leaves its time as it is.
    const FILETIME stAccess = FileTimeOfUnix(1000000000, 1234567); // 2001-09-09 01:46:40.1234567 UTC
    const FILETIME stWrite = FileTimeOfUnix(-300000000, 5);         // 1960-06-29, before the Unix epoch
    ASSERT_TRUE(cl.bSetTime(nullptr, &stAccess, &stWrite));
    struct stat64 st;
    ASSERT_EQ(stat64(path().c_str(), &st), 0);
    EXPECT_EQ(st.st_atim.tv_sec, 1000000000);
    EXPECT_EQ(st.st_atim.tv_nsec, 123456700);
    EXPECT_EQ(st.st_mtim.tv_sec, -300000000);
    FILETIME stA = {}, stW = {}, stC = {};
    ASSERT_TRUE(cl.bGetTime(&stC, &stA, &stW));
    EXPECT_TRUE(stA == stAccess);
    EXPECT_TRUE(stW == stWrite);
    const FILETIME stOther = FileTimeOfUnix(1500000000, 0);
    ASSERT_TRUE(cl.bSetTime(&stOther, nullptr, &stOther)); // the creation time is ignored
    ASSERT_TRUE(cl.bGetTime(nullptr, &stA, &stW));
    EXPECT_TRUE(stA == stAccess);
    EXPECT_TRUE(stW == stOther);

    // Local broken-down times, to the millisecond; fields out of range change nothing.
    const _stXFILETIME stLocal = {2024, 2, 29, 13, 45, 30, 250};
    ASSERT_TRUE(cl.bSetTime(nullptr, &stLocal, &stLocal));
    _stXFILETIME stLuA = {}, stLuW = {};
    ASSERT_TRUE(cl.bGetTime(nullptr, &stLuA, &stLuW));
    EXPECT_EQ(nCompareSystemTime(&stLuA, &stLocal), 0);
    EXPECT_EQ(nCompareSystemTime(&stLuW, &stLocal), 0);
    const _stXFILETIME stBad = {2023, 2, 29, 0, 0, 0, 0};
    errno = 0;
    EXPECT_FALSE(cl.bSetTime(nullptr, &stBad, nullptr));
    EXPECT_EQ(errno, EINVAL);
    ASSERT_TRUE(cl.bGetTime(nullptr, &stLuA, nullptr));
    EXPECT_EQ(nCompareSystemTime(&stLuA, &stLocal), 0);

    // After 2038, which a 32-bit clock type cannot hold.
    const FILETIME stFar = FileTimeOfUnix(4102444800LL + 86400LL * 165, 7); // 2100-06-15 UTC
    if (sizeof(time_t) < 8) {
        errno = 0;
        EXPECT_FALSE(cl.bSetTime(nullptr, nullptr, &stFar));
        EXPECT_EQ(errno, EOVERFLOW);
        std::printf("[ note     ] 32-bit time_t in this build: a time after 2038 is refused with EOVERFLOW\n");
        return;
    }
    ASSERT_TRUE(cl.bSetTime(nullptr, nullptr, &stFar));
    ASSERT_TRUE(cl.bGetTime(nullptr, nullptr, &stW));
    EXPECT_TRUE(stW == stFar);
    const _stXFILETIME stLocalFar = {2100, 6, 15, 8, 30, 0, 999};
    ASSERT_TRUE(cl.bSetTime(nullptr, nullptr, &stLocalFar));
    ASSERT_TRUE(cl.bGetTime(nullptr, nullptr, &stLuW));
    EXPECT_EQ(nCompareSystemTime(&stLuW, &stLocalFar), 0);
}

// ---- Under injected faults ----
// Each call of a write or a size change fails in turn: the file then holds its old content or
// its new one, and what the stream reports matches it.

TEST_F(DiskFileStream, WritesAndSizeChangesUnderFaults)
{
    std::string sOld(100000, '\0');
    for (std::size_t i = 0; i < sOld.size(); ++i)
        sOld[i] = static_cast<char>('a' + i % 23);
    const std::string sData(70000, 'W');
    struct Case {
        const char* pszName;
        std::function<bool(CDiskFile&)> fn;
        std::string sNew;
    };
    const Case aCases[] = {
        {"bWrite at an offset", [&](CDiskFile& cl) { return cl.bWrite(20000, sData.data(), 70000, nullptr) != 0; },
         sOld.substr(0, 20000) + sData + sOld.substr(90000)},
        {"bWrite past the end", [&](CDiskFile& cl) { return cl.bWrite(100000, sData.data(), 70000, nullptr) != 0; },
         sOld + sData},
        {"bSetSize smaller", [](CDiskFile& cl) { return cl.bSetSize(1000, eGROW_ABSOLUTE) != 0; }, sOld.substr(0, 1000)},
        {"bSetSize larger", [](CDiskFile& cl) { return cl.bSetSize(10, eGROW_RELATIVE) != 0; },
         sOld + std::string(10, '\0')},
        {"bIncreaseSize", [](CDiskFile& cl) { return cl.bIncreaseSize(5000) != 0; }, sOld + std::string(5000, '\0')},
        {"bExtendFile", [](CDiskFile& cl) { return cl.bExtendFile(150000) != 0; }, sOld + std::string(50000, '\0')},
        {"bWriteString", [](CDiskFile& cl) { return cl.bSeek(0, eSEEK_END) && cl.bWriteString("%0*d", 3000, 7); },
         sOld + std::string(2999, '0') + "7"},
    };
    for (const Case& c : aCases) {
        zvtest::Sweep(
            c.pszName, [&] { WriteFile(path(), sOld); },
            [&] {
                CDiskFile cl;
                if (!cl.bOpen(path().c_str(), eACCESS_READWRITE, eSHARE_EXCLUSIVE, eCREATE_OPEN, eFLAG_NONE, nullptr))
                    return false;
                return c.fn(cl);
            },
            [&](bool bOk, bool) {
                const std::string s = sReadFile(path());
                EXPECT_TRUE(s == c.sNew || (!bOk && s == sOld)) << s.size();
            });
    }
}

} // namespace
