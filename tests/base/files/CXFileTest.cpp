// Tests of the file handle: owned and shared streams, references, forwarding and its guards.
#include "base/files/CXFile.h"

#include "base/files/CDiskFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

namespace {

using zvtest::sReadFile;
using zvtest::TempDir;
using zvtest::WriteFile;

// A handle that counts the streams it makes.
class CountingFile : public CXFile {
public:
    IXStream* __xpclAllocDiskFile() override
    {
        ++m_nMade;
        m_piLast = CXFile::__xpclAllocDiskFile();
        return m_piLast;
    }
    int m_nMade = 0;
    IXStream* m_piLast = nullptr;
};

// A shared stream that records its destruction.
class WatchedFile : public CDiskFile {
public:
    explicit WatchedFile(bool* pbDestroyed) : m_pbDestroyed(pbDestroyed) {}
    ~WatchedFile() override { *m_pbDestroyed = true; }

private:
    bool* m_pbDestroyed;
};

TEST(CXFile, WithoutAStreamEverythingFailsQuietly)
{
    CXFile cl;
    EXPECT_EQ(cl.pszGetName(), nullptr);
    EXPECT_FALSE(cl.bIsOpen());
    EXPECT_EQ(cl.veGetAccess(), -1);
    EXPECT_EQ(cl.piGetStream(), nullptr);
    char sz[8];
    unsigned n = 0;
    EXPECT_FALSE(cl.bRead(sz, 8, &n));
    EXPECT_EQ(errno, EBADF);
    EXPECT_FALSE(cl.bWrite(0, sz, 8, &n));
    EXPECT_FALSE(cl.bSeek(0, eSEEK_BEGIN));
    EXPECT_EQ(cl.oGetSize(), -1);
    EXPECT_EQ(cl.oGetOffset(), -1);
    EXPECT_FALSE(cl.bReadLine(sz, 8, nullptr));
    EXPECT_FALSE(cl.bWriteLine("x"));
    EXPECT_FALSE(cl.bLock(0, 1));
    EXPECT_FALSE(cl.bReopen(eACCESS_READ, eSHARE_ALL, eCREATE_OPEN, eFLAG_NONE));
    cl.Close();
}

TEST(CXFile, OwnedStreamIsMadeOnceAndKeptByClose)
{
    TempDir dir;
    ASSERT_TRUE(dir.ok());
    WriteFile(dir.path("a"), "aaa");
    WriteFile(dir.path("b"), "bbbb");
    CountingFile cl;
    ASSERT_TRUE(cl.bOpen(dir.path("a").c_str(), eACCESS_READ, eSHARE_ALL, eCREATE_OPEN, eFLAG_NONE, nullptr));
    EXPECT_EQ(cl.m_nMade, 1);
    EXPECT_EQ(cl.piGetStream(), nullptr); // owned: not handed out
    EXPECT_EQ(cl.m_piLast->nGetRefCount(), 1);
    EXPECT_EQ(std::string(cl.pszGetName()), dir.path("a"));
    cl.Close();
    EXPECT_FALSE(cl.bIsOpen());
    ASSERT_TRUE(cl.bOpen(dir.path("b").c_str(), eACCESS_READ, eSHARE_ALL, eCREATE_OPEN, eFLAG_NONE, nullptr));
    EXPECT_EQ(cl.m_nMade, 1); // the same stream object
    EXPECT_EQ(cl.oGetSize(), 4);

    CountingFile clNamed;
    ASSERT_TRUE(clNamed.bSetNameForError("shown"));
    EXPECT_EQ(clNamed.m_nMade, 1);
    EXPECT_STREQ(static_cast<CDiskFile*>(clNamed.m_piLast)->pszGetNameForError(), "shown");
}

TEST(CXFile, SharedStreamIsReferencedAndReleasedByClose)
{
    TempDir dir;
    ASSERT_TRUE(dir.ok());
    WriteFile(dir.path("s"), "shared");
    bool bDestroyed = false;
    WatchedFile* pclStream = new WatchedFile(&bDestroyed);
    pclStream->AddRefDirect(); // the test's own reference
    ASSERT_TRUE(pclStream->bOpen(dir.path("s").c_str(), eACCESS_READ, eSHARE_ALL, eCREATE_OPEN, eFLAG_NONE, nullptr));
    {
        CXFile cl(pclStream);
        EXPECT_EQ(pclStream->nGetRefCount(), 2);
        EXPECT_EQ(cl.piGetStream(), pclStream);
        EXPECT_EQ(cl.oGetSize(), 6);
        cl.Close();
        EXPECT_FALSE(pclStream->bIsOpen());
        EXPECT_EQ(pclStream->nGetRefCount(), 1);
        EXPECT_EQ(cl.piGetStream(), nullptr);
        EXPECT_FALSE(cl.bIsOpen());

        cl.SetStream(pclStream);
        EXPECT_EQ(pclStream->nGetRefCount(), 2);
        ASSERT_TRUE(cl.bCreateStream()); // releases the shared one for an owned one
        EXPECT_EQ(pclStream->nGetRefCount(), 1);
        EXPECT_EQ(cl.piGetStream(), nullptr);
        cl.SetStream(pclStream);
    } // the destructor releases it
    EXPECT_EQ(pclStream->nGetRefCount(), 1);
    EXPECT_FALSE(bDestroyed);
    EXPECT_EQ(pclStream->dwRelease(), 0u);
    EXPECT_TRUE(bDestroyed);

    // A stream handed over at count 0 belongs to the handle from then on.
    bool bSecond = false;
    {
        CXFile cl(new WatchedFile(&bSecond));
    }
    EXPECT_TRUE(bSecond);
}

TEST(CXFile, WriteLineAndStrings)
{
    TempDir dir;
    ASSERT_TRUE(dir.ok());
    CXFile cl;
    ASSERT_TRUE(cl.bOpen(dir.path("w").c_str(), eACCESS_WRITE, eSHARE_EXCLUSIVE, eCREATE_CREATEALWAYS, eFLAG_NONE,
                         nullptr));
    ASSERT_TRUE(cl.bWriteLine("x"));
    ASSERT_TRUE(cl.bWriteLine(nullptr));
    ASSERT_TRUE(cl.bWriteString("%d-%s", 7, "y"));
    cl.Close();
    EXPECT_EQ(sReadFile(dir.path("w")), "x\r\n\r\n7-y");
}

TEST(CXFile, ReadLinesThroughTheHandle)
{
    TempDir dir;
    ASSERT_TRUE(dir.ok());
    WriteFile(dir.path("l"), "one\r\ntwo\r");
    CXFile cl;
    ASSERT_TRUE(cl.bOpen(dir.path("l").c_str(), eACCESS_READ, eSHARE_DENYWRITE, eCREATE_OPEN, eFLAG_NONE, nullptr));
    char sz[8];
    int bTruncated = 9;
    ASSERT_TRUE(cl.bReadLine(sz, sizeof sz, &bTruncated));
    EXPECT_STREQ(sz, "one");
    EXPECT_EQ(bTruncated, 0);
    ASSERT_TRUE(cl.bReadLine(sz, sizeof sz, &bTruncated));
    EXPECT_STREQ(sz, "two");
    EXPECT_FALSE(cl.bReadLine(sz, sizeof sz, &bTruncated));
}

TEST(CXFile, ExtractBetweenHandles)
{
    TempDir dir;
    ASSERT_TRUE(dir.ok());
    std::string sContent;
    for (int i = 0; i < 150000; ++i)
        sContent += static_cast<char>('a' + i % 26);
    WriteFile(dir.path("src"), sContent);
    CXFile clSource, clDest;
    ASSERT_TRUE(clSource.bOpen(dir.path("src").c_str(), eACCESS_READ, eSHARE_ALL, eCREATE_OPEN, eFLAG_NONE, nullptr));
    ASSERT_TRUE(clDest.bOpen(dir.path("dst").c_str(), eACCESS_WRITE, eSHARE_ALL, eCREATE_CREATEALWAYS, eFLAG_NONE,
                             nullptr));
    ASSERT_TRUE(clSource.bSeek(10, eSEEK_BEGIN));
    ASSERT_TRUE(clSource.bExtract(&clDest, 70000));
    EXPECT_EQ(clSource.oGetOffset(), 70010);
    ASSERT_TRUE(clSource.bExtract(&clDest, -1));
    ASSERT_TRUE(clSource.bSeek(-5, eSEEK_END));
    ASSERT_TRUE(clSource.bExtract(&clDest, 100));
    EXPECT_FALSE(clSource.bExtract(&clSource, 1));
    clDest.Close();
    EXPECT_EQ(sReadFile(dir.path("dst")), sContent.substr(10) + sContent.substr(150000 - 5));
}

} // namespace

// The operations a handle only forwards reach its stream with their arguments: each leaves its
// mark on the file (positional reads, sizes, growth, sync, wide lines), and without a stream
// each fails with EBADF.
TEST(CXFile, ForwardedOperationsActOnTheStream)
{
    TempDir dir;
    ASSERT_TRUE(dir.ok());
    WriteFile(dir.path("f"), "0123456789");
    CXFile cl;
    ASSERT_TRUE(cl.bOpen(dir.path("f").c_str(), eACCESS_READWRITE, eSHARE_EXCLUSIVE, eCREATE_OPEN, eFLAG_NONE,
                         nullptr));
    char ab[5] = "....";
    unsigned n = 0;
    ASSERT_TRUE(cl.bRead(6, ab, 4, &n));
    EXPECT_EQ(4u, n);
    EXPECT_EQ(std::string("6789"), std::string(ab, 4));
    EXPECT_EQ(10, cl.oGetSizeFast());
    ASSERT_TRUE(cl.bSetSize(4, eGROW_ABSOLUTE));
    EXPECT_EQ(4, cl.oGetSize());
    ASSERT_TRUE(cl.bIncreaseSize(3));
    EXPECT_EQ(7, cl.oGetSizeFast());
    EXPECT_TRUE(cl.bFlush());
    cl.Close();
    EXPECT_EQ(std::string("0123\0\0\0", 7), sReadFile(dir.path("f")));

    // Wide lines are read as the 4-byte characters they are stored in.
    const std::wstring wsLignes = L"caf\u00e9\nx";
    WriteFile(dir.path("w"),
              std::string(reinterpret_cast<const char*>(wsLignes.data()), wsLignes.size() * sizeof(wchar_t)));
    ASSERT_TRUE(cl.bOpen(dir.path("w").c_str(), eACCESS_READ, eSHARE_ALL, eCREATE_OPEN, eFLAG_NONE, nullptr));
    wchar_t awsz[8];
    int bTronque = -1;
    ASSERT_TRUE(cl.bReadLineUNICODE(awsz, 8, &bTronque));
    EXPECT_EQ(std::wstring(L"caf\u00e9"), std::wstring(awsz));
    EXPECT_EQ(0, bTronque);
    cl.Close();

    CXFile clVide;
    const struct {
        const char* pszNom;
        bool bOk;
    } aSans[] = {
        {"bRead at an offset", clVide.bRead(0, ab, 1, &n) != 0},
        {"oGetSizeFast", clVide.oGetSizeFast() != -1},
        {"bFlush", clVide.bFlush() != 0},
        {"bSetSize", clVide.bSetSize(1, eGROW_ABSOLUTE) != 0},
        {"bIncreaseSize", clVide.bIncreaseSize(1) != 0},
        {"bReadLineUNICODE", clVide.bReadLineUNICODE(awsz, 8, &bTronque) != 0},
    };
    for (const auto& ligne : aSans)
        EXPECT_FALSE(ligne.bOk) << ligne.pszNom;
    errno = 0;
    EXPECT_EQ(-1, clVide.oGetSizeFast());
    EXPECT_EQ(EBADF, errno);
}
