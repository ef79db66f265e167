// IXStream: the abstract byte stream, with its fixed table of virtual operations.
#pragma once

#include "base/files/CZVUnknown.h"

#include <cstdarg>

class CTString;

// The values are handed to the operating system as they are: each equals the Linux constant
// named beside it.
enum eACCESS : int {
    eACCESS_DEFAULT = -1,  // read only
    eACCESS_READ = 0,      // O_RDONLY
    eACCESS_WRITE = 1,     // O_WRONLY
    eACCESS_READWRITE = 2, // O_RDWR
};

// Lock placed over the whole file when it is opened.
enum eSHARE : int {
    eSHARE_DENYWRITE = 0, // F_RDLCK: others may read-lock, none may write-lock
    eSHARE_EXCLUSIVE = 1, // F_WRLCK
    eSHARE_ALL = 2,       // F_UNLCK: no lock
};

// Other values are or-ed into the open flags as given (0xC0, O_CREAT | O_EXCL: a new file only).
enum eCREATE : int {
    eCREATE_OPEN = 0,             // an existing file
    eCREATE_OPENALWAYS = 0x40,    // O_CREAT when missing, telling whether it was created
    eCREATE_CREATEALWAYS = 0x240, // O_CREAT | O_TRUNC
};

enum eFLAG : int {
    eFLAG_NONE = 0,
    eFLAG_DIRECTORY = 0x10000, // O_DIRECTORY: a directory may be opened
};

enum eSEEK : int {
    eSEEK_BEGIN = 0,   // SEEK_SET
    eSEEK_CURRENT = 1, // SEEK_CUR
    eSEEK_END = 2,     // SEEK_END
};

enum eGROW : int {
    eGROW_ABSOLUTE = 0, // the new size as such
    eGROW_RELATIVE = 1, // the current size plus the value
};

// A reference-counted byte stream. The order of the virtual operations is shared with the
// runtime, which calls them through the table: never insert, remove or reorder one. The slot
// of each operation is given beside it (0 and 1 are the destructors, 2 dwRelease, from
// CZVUnknown); the reserved slots keep the table's shape for implementations that add
// operations behind slot 42.
//
// The base versions make a stream that accepts everything and does nothing: success, size 0,
// offset -1, no name, open. Close and veGetAccess have no base version.
//
// Positions and sizes are signed 64-bit, lock ranges unsigned 64-bit, transfer counts
// unsigned 32-bit. Booleans are int, non-zero for success.
#pragma pack(push, 1)
class IXStream : public CZVUnknown {
public:
    IXStream() = default;

    /* 3 */ virtual int bOpen(const char* pszName, eACCESS eAccess, eSHARE eShare, eCREATE eCreate, eFLAG eFlag,
                              int* pbCreated);
    /* 4 */ virtual void Close() = 0;
    /* 5 */ virtual int bReopen(eACCESS eAccess, eSHARE eShare, eCREATE eCreate, eFLAG eFlag);
    /* 6 */ virtual int bWrite(long long oOffset, const void* pData, unsigned nCount, unsigned* pnWritten);
    /* 7 */ virtual int bRead(long long oOffset, void* pData, unsigned nCount, unsigned* pnRead);
    /* 8 */ virtual int bWrite(const void* pData, unsigned nCount, unsigned* pnWritten);
    /* 9 */ virtual int bRead(void* pData, unsigned nCount, unsigned* pnRead);
    /* 10 */ virtual int bSeek(long long oOffset, eSEEK eOrigin);
    /* 11 */ virtual long long oGetSize();
    /* 12 */ virtual long long oGetSizeFast();
    /* 13 */ virtual int bFlush();
    /* 14 */ virtual int bSetSize(long long oSize, eGROW eGrow);
    /* 15 */ virtual int bIncreaseSize(long long oCount);
    /* 16 */ virtual int bWriteString(const char* pszFormat, ...) __attribute__((format(printf, 2, 3)));
    /* 17 */ virtual int bWriteStringList(const char* pszFormat, va_list args);
    /* 18 */ virtual int bReadLine(char* pszBuffer, unsigned nCapacity, int* pbTruncated, unsigned nFlags);
    /* 19 */ virtual int bExtract(IXStream* piDestination, long long oCount);
    /* 20 */ virtual int bLockFile(unsigned long long oStart, unsigned long long oLength) const;
    /* 21 */ virtual int bUnlockFile(unsigned long long oStart, unsigned long long oLength) const;
    /* 22 */ virtual int bLock(unsigned long long oStart, unsigned long long oLength) const;
    /* 23 */ virtual int bUnlock(unsigned long long oStart, unsigned long long oLength) const;
    /* 24 */ virtual const char* pszGetName() const;
    /* 25 */ virtual long long oGetOffset();
    /* 26 */ virtual int bIsOpen() const;
    /* 27 */ virtual void m439EmptyMethodXStream() const;
    /* 28 */ virtual void m442EmptyMethodXStream() const;
    /* 29 */ virtual int vbSetNameForError(const char* pszName);
    /* 30 */ virtual int bReadLineUNICODE(wchar_t* pwszBuffer, unsigned nCapacity, int* pbTruncated, unsigned nFlags);
    /* 31 */ virtual eACCESS veGetAccess() const = 0;
    /* 32 */ virtual int bGetVFSFileName(char* pszName);
    /* 33 */ virtual int bLockFileEx(int bLock, int bExclusive) const;
    /* 34 */ virtual char* pszReadLine(char* pszBuffer, unsigned nCapacity, CTString* pclOverflow,
                                       const char* pszSeparator);
    /* 35 */ virtual void m485EmptyMethodXStream() const;
    /* 36 */ virtual void m486EmptyMethodXStream() const;
    /* 37 */ virtual void m487EmptyMethodXStream() const;
    /* 38 */ virtual void m488EmptyMethodXStream() const;
    /* 39 */ virtual void m489EmptyMethodXStream() const;
    /* 40 */ virtual void m490EmptyMethodXStream() const;
    /* 41 */ virtual void m491EmptyMethodXStream() const;
    /* 42 */ virtual void m492EmptyMethodXStream() const;
};
#pragma pack(pop)

static_assert(sizeof(IXStream) == sizeof(CZVUnknown), "IXStream adds no data to CZVUnknown");
