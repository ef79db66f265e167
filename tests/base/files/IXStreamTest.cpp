// Tests of the stream interface: base versions, reference counting and the fixed slot order
// of the tables shared with the runtime (IXStream, CDiskFile, CXFile).
#include "base/files/IXStream.h"

#include "base/files/CDiskFile.h"
#include "base/files/CXFile.h"
#include "base/strings/CTString.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace {

// A stream that provides only what has no base version.
class Minimal : public IXStream {
public:
    explicit Minimal(int* pnDestroyed = nullptr) : m_pnDestroyed(pnDestroyed) {}
    ~Minimal() override
    {
        if (m_pnDestroyed)
            ++*m_pnDestroyed;
    }
    void Close() override {}
    eACCESS veGetAccess() const override { return eACCESS_READ; }

private:
    int* m_pnDestroyed;
};

TEST(IXStream, BaseVersionsAcceptEverythingAndDoNothing)
{
    Minimal cl;
    char sz[8] = "keep";
    wchar_t wsz[4] = L"kp";
    int bCreated = 7, bTruncated = 7;
    unsigned n = 9;
    CTString clOverflow("x");
    EXPECT_TRUE(cl.bOpen("/nonexistent/x", eACCESS_READ, eSHARE_ALL, eCREATE_OPEN, eFLAG_NONE, &bCreated));
    EXPECT_TRUE(cl.bReopen(eACCESS_READ, eSHARE_ALL, eCREATE_OPEN, eFLAG_NONE));
    EXPECT_TRUE(cl.bWrite(5, sz, 3, &n));
    EXPECT_TRUE(cl.bRead(5, sz, 3, &n));
    EXPECT_TRUE(cl.bWrite(sz, 3, &n));
    EXPECT_TRUE(cl.bRead(sz, 3, &n));
    EXPECT_TRUE(cl.bSeek(10, eSEEK_BEGIN));
    EXPECT_EQ(cl.oGetSize(), 0);
    EXPECT_EQ(cl.oGetSizeFast(), 0);
    EXPECT_TRUE(cl.bFlush());
    EXPECT_TRUE(cl.bSetSize(4, eGROW_ABSOLUTE));
    EXPECT_TRUE(cl.bIncreaseSize(4));
    EXPECT_TRUE(cl.bWriteString("%d", 1));
    EXPECT_TRUE(cl.bReadLine(sz, sizeof sz, &bTruncated, 0));
    EXPECT_TRUE(cl.bExtract(&cl, -1));
    EXPECT_TRUE(cl.bLockFile(0, 1));
    EXPECT_TRUE(cl.bUnlockFile(0, 1));
    EXPECT_TRUE(cl.bLock(0, 1));
    EXPECT_TRUE(cl.bUnlock(0, 1));
    EXPECT_EQ(cl.pszGetName(), nullptr);
    EXPECT_EQ(cl.oGetOffset(), -1);
    EXPECT_TRUE(cl.bIsOpen());
    EXPECT_TRUE(cl.vbSetNameForError("n"));
    EXPECT_TRUE(cl.bReadLineUNICODE(wsz, 4, &bTruncated, 0));
    EXPECT_FALSE(cl.bGetVFSFileName(sz));
    EXPECT_TRUE(cl.bLockFileEx(1, 1));
    EXPECT_EQ(cl.pszReadLine(sz, sizeof sz, &clOverflow, nullptr), nullptr);
    // Nothing was touched.
    EXPECT_STREQ(sz, "keep");
    EXPECT_STREQ(wsz, L"kp");
    EXPECT_EQ(bCreated, 7);
    EXPECT_EQ(bTruncated, 7);
    EXPECT_EQ(n, 9u);
    EXPECT_STREQ(clOverflow.pszGet(), "x");
}

TEST(IXStream, ReleaseDestroysOnlyAtZero)
{
    int nDestroyed = 0;
    Minimal* p = new Minimal(&nDestroyed);
    EXPECT_EQ(p->nGetRefCount(), 0);
    p->m_nRefCount = 2;
    EXPECT_EQ(p->dwRelease(), 1u);
    EXPECT_EQ(nDestroyed, 0);
    EXPECT_EQ(p->dwRelease(), 0u);
    EXPECT_EQ(nDestroyed, 1);

    CDiskFile* pcl = new CDiskFile();
    EXPECT_EQ(pcl->nGetRefCount(), 0);
    pcl->AddRefDirect();
    EXPECT_EQ(pcl->dwRelease(), 0u); // destroyed (the leak checker of the asan build watches)
}

// Slot of a virtual member function in its class's table, from the Itanium C++ ABI form of a
// pointer to member: the table offset in bytes plus one.
template <typename M>
long nSlot(M pm)
{
    static_assert(sizeof(M) == 2 * sizeof(void*), "pointer to member function of the Itanium ABI");
    std::uintptr_t a[2];
    std::memcpy(a, &pm, sizeof a);
    if ((a[0] & 1) == 0)
        return -1; // not virtual
    return static_cast<long>((a[0] - 1) / sizeof(void*));
}

struct SlotRow {
    const char* pszName;
    long nExpected;
    long nActual;
};

void CheckSlots(const SlotRow* pRows, std::size_t nRows)
{
    for (std::size_t i = 0; i < nRows; ++i) {
        SCOPED_TRACE(pRows[i].pszName);
        EXPECT_EQ(pRows[i].nActual, pRows[i].nExpected);
    }
}

#define ZV_SLOT(cls, slot, fn) {#fn, slot, nSlot(&cls::fn)}
#define ZV_SLOT_T(cls, slot, fn, type) {#fn " " #type, slot, nSlot(static_cast<type>(&cls::fn))}

TEST(IXStream, SlotOrderIsFixed)
{
    using WriteAt = int (IXStream::*)(long long, const void*, unsigned, unsigned*);
    using ReadAt = int (IXStream::*)(long long, void*, unsigned, unsigned*);
    using Write = int (IXStream::*)(const void*, unsigned, unsigned*);
    using Read = int (IXStream::*)(void*, unsigned, unsigned*);
    const SlotRow rows[] = {
        ZV_SLOT(IXStream, 2, dwRelease),
        ZV_SLOT(IXStream, 3, bOpen),
        ZV_SLOT(IXStream, 4, Close),
        ZV_SLOT(IXStream, 5, bReopen),
        ZV_SLOT_T(IXStream, 6, bWrite, WriteAt),
        ZV_SLOT_T(IXStream, 7, bRead, ReadAt),
        ZV_SLOT_T(IXStream, 8, bWrite, Write),
        ZV_SLOT_T(IXStream, 9, bRead, Read),
        ZV_SLOT(IXStream, 10, bSeek),
        ZV_SLOT(IXStream, 11, oGetSize),
        ZV_SLOT(IXStream, 12, oGetSizeFast),
        ZV_SLOT(IXStream, 13, bFlush),
        ZV_SLOT(IXStream, 14, bSetSize),
        ZV_SLOT(IXStream, 15, bIncreaseSize),
        ZV_SLOT(IXStream, 16, bWriteString),
        ZV_SLOT(IXStream, 17, bWriteStringList),
        ZV_SLOT(IXStream, 18, bReadLine),
        ZV_SLOT(IXStream, 19, bExtract),
        ZV_SLOT(IXStream, 20, bLockFile),
        ZV_SLOT(IXStream, 21, bUnlockFile),
        ZV_SLOT(IXStream, 22, bLock),
        ZV_SLOT(IXStream, 23, bUnlock),
        ZV_SLOT(IXStream, 24, pszGetName),
        ZV_SLOT(IXStream, 25, oGetOffset),
        ZV_SLOT(IXStream, 26, bIsOpen),
        ZV_SLOT(IXStream, 27, m439EmptyMethodXStream),
        ZV_SLOT(IXStream, 28, m442EmptyMethodXStream),
        ZV_SLOT(IXStream, 29, vbSetNameForError),
        ZV_SLOT(IXStream, 30, bReadLineUNICODE),
        ZV_SLOT(IXStream, 31, veGetAccess),
        ZV_SLOT(IXStream, 32, bGetVFSFileName),
        ZV_SLOT(IXStream, 33, bLockFileEx),
        ZV_SLOT(IXStream, 34, pszReadLine),
        ZV_SLOT(IXStream, 35, m485EmptyMethodXStream),
        ZV_SLOT(IXStream, 42, m492EmptyMethodXStream),
    };
    CheckSlots(rows, sizeof rows / sizeof rows[0]);
}

TEST(IXStream, DiskFileSlotsFollowTheInterface)
{
    using ExtractName = int (CDiskFile::*)(const char*, long long, long long);
    using Extract = int (CDiskFile::*)(IXStream*, long long);
    const SlotRow rows[] = {
        ZV_SLOT(CDiskFile, 3, bOpen),
        ZV_SLOT(CDiskFile, 4, Close),
        ZV_SLOT_T(CDiskFile, 19, bExtract, Extract),
        ZV_SLOT(CDiskFile, 31, veGetAccess),
        ZV_SLOT(CDiskFile, 34, pszReadLine),
        ZV_SLOT(CDiskFile, 43, bExtendFile),
        ZV_SLOT_T(CDiskFile, 44, bExtract, ExtractName),
        ZV_SLOT(CDiskFile, 45, bExtractFromFile),
        ZV_SLOT(CDiskFile, 46, bOpenW),
        ZV_SLOT(CDiskFile, 47, bExtractW),
        ZV_SLOT(CDiskFile, 48, pwszGetName),
        ZV_SLOT(CDiskFile, 49, vbIsUNICODEFileName),
        ZV_SLOT(CDiskFile, 50, bExtractFromFileW),
        ZV_SLOT(CDiskFile, 51, vbSetNameForErrorW),
        ZV_SLOT(CDiskFile, 52, m739EmptyMethodXStream),
        ZV_SLOT(CDiskFile, 59, m746EmptyMethodXStream),
    };
    CheckSlots(rows, sizeof rows / sizeof rows[0]);
}

TEST(IXStream, FileHandleSlotsAreItsOwn)
{
    using WriteAt = int (CXFile::*)(long long, const void*, unsigned, unsigned*);
    using ReadAt = int (CXFile::*)(long long, void*, unsigned, unsigned*);
    using Write = int (CXFile::*)(const void*, unsigned, unsigned*);
    using Read = int (CXFile::*)(void*, unsigned, unsigned*);
    const SlotRow rows[] = {
        ZV_SLOT(CXFile, 2, bOpen),
        ZV_SLOT(CXFile, 3, Close),
        ZV_SLOT(CXFile, 4, bReopen),
        ZV_SLOT_T(CXFile, 5, bWrite, WriteAt),
        ZV_SLOT_T(CXFile, 6, bRead, ReadAt),
        ZV_SLOT_T(CXFile, 7, bWrite, Write),
        ZV_SLOT_T(CXFile, 8, bRead, Read),
        ZV_SLOT(CXFile, 9, bSeek),
        ZV_SLOT(CXFile, 10, oGetSize),
        ZV_SLOT(CXFile, 11, oGetSizeFast),
        ZV_SLOT(CXFile, 12, bFlush),
        ZV_SLOT(CXFile, 13, bSetSize),
        ZV_SLOT(CXFile, 14, bIncreaseSize),
        ZV_SLOT(CXFile, 15, bWriteString),
        ZV_SLOT(CXFile, 16, bWriteStringList),
        ZV_SLOT(CXFile, 17, bReadLine),
        ZV_SLOT(CXFile, 18, bExtract),
        ZV_SLOT(CXFile, 19, bLockFile),
        ZV_SLOT(CXFile, 20, bUnlockFile),
        ZV_SLOT(CXFile, 21, bLock),
        ZV_SLOT(CXFile, 22, bUnlock),
        ZV_SLOT(CXFile, 23, pszGetName),
        ZV_SLOT(CXFile, 24, oGetOffset),
        ZV_SLOT(CXFile, 25, bIsOpen),
        ZV_SLOT(CXFile, 26, NeFaitRien),
        ZV_SLOT(CXFile, 27, __FreeStream),
        ZV_SLOT(CXFile, 28, __xpclAllocDiskFile),
        ZV_SLOT(CXFile, 29, _NeFaitRien),
        ZV_SLOT(CXFile, 30, bReadLineUNICODE),
        ZV_SLOT(CXFile, 31, veGetAccess),
        ZV_SLOT(CXFile, 32, m227EmptyMethodXStream),
        ZV_SLOT(CXFile, 43, m238EmptyMethodXStream),
    };
    CheckSlots(rows, sizeof rows / sizeof rows[0]);
}

TEST(IXStream, CallsThroughAHandMadeTableReachTheDiskFile)
{
    // The runtime reaches the operations by slot number: call a few that way.
    CDiskFile cl;
    void** pTable = *reinterpret_cast<void***>(&cl);
    using GetName = const char* (*)(const IXStream*);
    using GetOffset = long long (*)(IXStream*);
    using IsOpen = int (*)(const IXStream*);
    using GetAccess = eACCESS (*)(const IXStream*);
    EXPECT_EQ(reinterpret_cast<GetName>(pTable[24])(&cl), cl.pszGetName());
    EXPECT_EQ(reinterpret_cast<GetOffset>(pTable[25])(&cl), 0);
    EXPECT_EQ(reinterpret_cast<IsOpen>(pTable[26])(&cl), 0);
    EXPECT_EQ(reinterpret_cast<GetAccess>(pTable[31])(&cl), -1);
}

} // namespace
