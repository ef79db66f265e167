// CXFile: the file handle that owns or shares a stream and forwards its operations to it.
#pragma once

#include "base/files/IXStream.h"

#include <cstdarg>
#include <cstddef>
#include <cstdint>

// Either owns a CDiskFile it made itself (through __xpclAllocDiskFile, which a derived handle
// may replace to supply another kind of stream) or shares a stream handed to it. Either way it
// holds one reference on the stream, taken by incrementing the count and given back with
// dwRelease.
//
// The table of virtual operations has its own fixed order, shared with the runtime (slot
// numbers beside the declarations). Operations that need a stream fail (false, -1 or null,
// errno EBADF) on a handle without one.
//
// A handle and its stream are used by one thread at a time; the count is not atomic.
#pragma pack(push, 1)
class CXFile {
public:
    CXFile();
    // Shares piStream (null: no stream): one reference more on it.
    explicit CXFile(IXStream* piStream);
    CXFile(const CXFile&) = delete;
    CXFile& operator=(const CXFile&) = delete;
    /* 0, 1 */ virtual ~CXFile();

    // Without a stream, first makes an owned one (false when that fails).
    /* 2 */ virtual int bOpen(const char* pszName, eACCESS eAccess, eSHARE eShare, eCREATE eCreate, eFLAG eFlag,
                              int* pbCreated);
    // Closes the stream. A shared stream is released as well; an owned one stays attached
    // for a later bOpen.
    /* 3 */ virtual void Close();
    /* 4 */ virtual int bReopen(eACCESS eAccess, eSHARE eShare, eCREATE eCreate, eFLAG eFlag);
    /* 5 */ virtual int bWrite(long long oOffset, const void* pData, unsigned nCount, unsigned* pnWritten);
    /* 6 */ virtual int bRead(long long oOffset, void* pData, unsigned nCount, unsigned* pnRead);
    /* 7 */ virtual int bWrite(const void* pData, unsigned nCount, unsigned* pnWritten);
    /* 8 */ virtual int bRead(void* pData, unsigned nCount, unsigned* pnRead);
    /* 9 */ virtual int bSeek(long long oOffset, eSEEK eOrigin);
    /* 10 */ virtual long long oGetSize();
    /* 11 */ virtual long long oGetSizeFast();
    /* 12 */ virtual int bFlush();
    /* 13 */ virtual int bSetSize(long long oSize, eGROW eGrow);
    /* 14 */ virtual int bIncreaseSize(long long oCount);
    // Formats through this handle's bWriteStringList.
    /* 15 */ virtual int bWriteString(const char* pszFormat, ...) __attribute__((format(printf, 2, 3)));
    /* 16 */ virtual int bWriteStringList(const char* pszFormat, va_list args);
    // The stream's bReadLine with flags 0.
    /* 17 */ virtual int bReadLine(char* pszBuffer, unsigned nCapacity, int* pbTruncated);
    // Copies oCount bytes (negative: from the position to the end) to the destination handle
    // in 64 KiB steps, through the two handles' own operations.
    /* 18 */ virtual int bExtract(CXFile* pclDestination, long long oCount);
    /* 19 */ virtual int bLockFile(unsigned long long oStart, unsigned long long oLength) const;
    /* 20 */ virtual int bUnlockFile(unsigned long long oStart, unsigned long long oLength) const;
    /* 21 */ virtual int bLock(unsigned long long oStart, unsigned long long oLength) const;
    /* 22 */ virtual int bUnlock(unsigned long long oStart, unsigned long long oLength) const;
    /* 23 */ virtual const char* pszGetName() const;
    /* 24 */ virtual long long oGetOffset();
    /* 25 */ virtual int bIsOpen() const;
    /* 26 */ virtual void NeFaitRien();
    // Releases the stream (dwRelease) and forgets it.
    /* 27 */ virtual void __FreeStream();
    // A new CDiskFile, unreferenced; null when memory is short.
    /* 28 */ virtual IXStream* __xpclAllocDiskFile();
    /* 29 */ virtual void _NeFaitRien();
    // The stream's bReadLineUNICODE with flags 0.
    /* 30 */ virtual int bReadLineUNICODE(wchar_t* pwszBuffer, unsigned nCapacity, int* pbTruncated);
    /* 31 */ virtual eACCESS veGetAccess() const;
    /* 32 */ virtual void m227EmptyMethodXStream() const;
    /* 33 */ virtual void m228EmptyMethodXStream() const;
    /* 34 */ virtual void m229EmptyMethodXStream() const;
    /* 35 */ virtual void m230EmptyMethodXStream() const;
    /* 36 */ virtual void m231EmptyMethodXStream() const;
    /* 37 */ virtual void m232EmptyMethodXStream() const;
    /* 38 */ virtual void m233EmptyMethodXStream() const;
    /* 39 */ virtual void m234EmptyMethodXStream() const;
    /* 40 */ virtual void m235EmptyMethodXStream() const;
    /* 41 */ virtual void m236EmptyMethodXStream() const;
    /* 42 */ virtual void m237EmptyMethodXStream() const;
    /* 43 */ virtual void m238EmptyMethodXStream() const;

    // Releases the current stream, then shares piStream (null: none). Not owned afterwards.
    void SetStream(IXStream* piStream);
    // Attaches a new owned stream made by __xpclAllocDiskFile; false when none could be made.
    bool bCreateStream();
    // The stream when it came from outside; null when the handle owns it or has none.
    IXStream* piGetStream() const { return m_bOwned ? nullptr : m_piStream; }
    // Without a stream, first makes an owned one (false when that fails).
    int bSetNameForError(const char* pszName);
    // The text (null: none), then CR LF, each with the stream's sequential bWrite.
    int bWriteLine(const char* pszText);

private:
    friend struct CXFileLayout;

    IXStream* m_piStream; // one reference held; null when none
    int32_t m_bOwned;     // 1 when made by this handle, 0 when shared or none
};
#pragma pack(pop)

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
struct CXFileLayout {
    static_assert(sizeof(CXFile) == 2 * sizeof(void*) + 4, "CXFile: table, stream, owned flag, packed");
    static_assert(offsetof(CXFile, m_piStream) == sizeof(void*), "CXFile layout");
    static_assert(offsetof(CXFile, m_bOwned) == 2 * sizeof(void*), "CXFile layout");
};
#pragma GCC diagnostic pop
