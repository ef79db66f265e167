// CDiskFile: the disk file, a stream over a descriptor, with static functions on file names.
#pragma once

#include "base/files/XFileTime.h"
#include "base/files/IXStream.h"
#include "base/files/XFindData.h"
#include "base/system/Win32Api.h"

#include <climits>
#include <cstddef>
#include <cstdint>

class CKLBINBase;
class CTString;
struct stat;

// Names are NUL-terminated single-byte texts with "/" as separator. Every function first turns
// each backslash of a name into a slash: on a private copy for names it only reads, in place
// for names it changes. There are no drive letters: a drive part is always empty.
//
// Unless a size is passed, output buffers hold ZV_MAX_PATH characters and a NUL (261 bytes);
// outputs are cut to fit them. Names that do not fit in ZV_MAX_PATH characters never make a
// function write past a buffer: tests of existence say "not there", producers say "failed".
#pragma pack(push, 1)
class CDiskFile : public IXStream {
public:
    static constexpr unsigned ZV_MAX_PATH = 260;

    // ---- Existence ------------------------------------------------------------------
    // False for null, for names longer than ZV_MAX_PATH and when the call fails.
    static bool bExist(const char* pszName);        // access(F_OK)
    static bool bIsAFile(const char* pszName);      // stat: a regular file
    static bool bIsADirectory(const char* pszName); // stat: a directory

    // ---- Separators -----------------------------------------------------------------
    // In place; return the text (null accepted for the char* forms).
    static char* pszBackSlash2Slash(char* psz);
    static const char* pszBackSlash2Slash(CTString& str);
    static char* pszSlash2BackSlash(char* psz);
    static const char* pszSlash2BackSlash(CTString& str);
    // Appends "/" unless the text is empty or already ends with one; returns the length before
    // the append. The char* form assumes a 261-byte buffer and appends nothing to a text that
    // already holds ZV_MAX_PATH characters.
    static unsigned DirectoryWithEndSlash(char* psz);
    static unsigned DirectoryWithEndSlash(CTString& str);
    // Removes every trailing slash.
    static void DirectoryWithoutEndSlash(char* psz);
    // Copies src into dst (261 bytes; src null: dst is worked on in place), converts
    // backslashes and removes trailing white space.
    static void StandardizeFileName(char* pszDst, const char* pszSrc);

    // ---- Parts of a name ------------------------------------------------------------
    // dir: up to and including the last "/" (empty when there is none); name: the rest up to
    // its last "."; ext: from that "." on (empty when the rest has none). Any output may be
    // null; each is a 261-byte buffer.
    static void SplitPath(const char* pszPath, char* pszDir, char* pszName, char* pszExt);
    static void SplitPath(const char* pszPath, char* pszDir, char* pszNameExt);
    static void SplitPath(const char* pszPath, char* pszDrive, char* pszDir, char* pszName, char* pszExt);
    // dir + "/" (when dir is non-empty and lacks it) + name + ("." unless ext has it) + ext.
    // An empty name gives the directory alone. out is a 261-byte buffer; the result is cut.
    static void MakePath(char* pszOut, const char* pszDir, const char* pszName, const char* pszExt);
    // The character after the last "/" or "\", or after a leading "X:"; the text itself when
    // there is none. Null gives null.
    static const char* pszGetPtrToFileName(const char* pszPath);
    static char* pszGetPtrToFileName(char* pszPath);
    // Replaces the extension of the last component (or adds one) within nSize bytes, NUL
    // included. ext may begin with "." or not: 'a.txt' + "zvl" or ".zvl" gives 'a.zvl'.
    static void ChangeExtension(char* pszPath, unsigned nSize, const char* pszExt);
    // Removes the last "." of the last component and what follows it.
    static void DelExtension(char* pszPath);

    // ---- Kinds of names -------------------------------------------------------------
    static bool bIsRelativePath(const char* pszName);          // begins with "."
    static bool bIsRelativeFileName(const char* pszName);      // empty or not beginning with "/"
    static bool bIsRelativeFileName_WIN32(const char* pszName); // Windows rules, see .cpp
    static bool bUNCName(const char* pszName);                 // "\\server\..." (either slash)
    static bool bIsAVirtualDirectory(const char* pszName);     // exactly "." or ".."
    // None of \ / : * ? " < > | (null is not a valid name).
    static bool bValidName(const char* pszName);
    // Whole-name wildcard match, case-sensitive: "*" any run (also none), "?" one character.
    static bool _bFiltreFileName(const char* pszName, const char* pszPattern);
    // Kept by a directory search: not "." or "..", matches the pattern, has every required
    // attribute bit and no excluded one.
    static bool _bFindGoodFile(const char* pszName, unsigned nAttributes, const _stXFINDDATA* pstSearch);

    // ---- Absolute names and comparison ----------------------------------------------
    // Absolute, normalised form of name in out (nSize bytes). Returns its length on success;
    // when it does not fit, the size needed (out not written; see .cpp for each branch);
    // 0 for an empty name or a failed system call. ppFilePart is accepted and not filled.
    static unsigned GetFullPathName(const char* pszName, unsigned nSize, char* pszOut, char** ppFilePart);
    // GetFullPathName; *pLen (optional) gets its result, plus one on success. True when the
    // result is non-zero and fits in nSize.
    static bool bGetFullPath(char* pszOut, unsigned nSize, const char* pszName, unsigned* pLen);
    // GetFullPathName: true when it succeeded and fits.
    static bool bGetUNCName(char* pszOut, unsigned nSize, const char* pszName);
    static bool bStandardizeExistingFileName(char* pszOut, unsigned nSize, const char* pszName);
    // Names are already long on Linux: a copy; false (out untouched) when it does not fit.
    static bool bGetLongPathName(char* pszOut, unsigned nSize, const char* pszName);
    // getcwd into 261 bytes; false on failure.
    static bool bGetCurrentDirectory(char* pszOut);
    // Both standardized (StandardizeFileName, without its length limit), then compared exactly.
    static bool bSameFileName(const char* pszA, const char* pszB);
    // As bSameFileName after removing one trailing slash from each non-empty name.
    static bool bSameDirectoryName(const char* pszA, const char* pszB);
    // Each name made absolute first when its flag is set (false when that fails).
    static bool bSameDirectoryNameEx(const char* pszA, bool bFullA, const char* pszB, bool bFullB);
    // Resolves "." , "./x" and "../x" against base into out (261 bytes); other names are
    // copied. False when the result does not fit.
    static bool bRelativeToFullPath(char* pszOut, const char* pszRelative, const char* pszBase);
    // path relative to base ("./x", "../../x") into out (261 bytes). False when it does not
    // fit, or with bFailIfUnrelated when the two share no directory.
    static bool bPathRelativePathTo(char* pszOut, const char* pszPath, const char* pszBase, int bFailIfUnrelated);

    // ==== File-system operations =====================================================
    // Names follow the rules above. A null name fails with errno EINVAL and a name longer
    // than ZV_MAX_PATH with ENAMETOOLONG; otherwise failures leave errno as the system set it,
    // and the system-call layer (base/system/AppelsSysteme.h) keeps the failed operation and
    // its path for messages.
    // Attributes are the stat mode reduced to the file type and the nine permission bits
    // (mask 0xE1FF), plus ZV_ATTR_HIDDEN when the last name component begins with ".".
    static constexpr unsigned ZV_ATTR_HIDDEN = 0x80000000u;
    static constexpr unsigned ZV_ATTR_DIRECTORY = 0x4000u;

    // ---- Tests and attributes -------------------------------------------------------
    // stat into the caller's record; false when the name does not exist.
    static bool bGetFileStatus(const char* pszName, struct stat* pstStat);
    // Size in bytes of a regular file; -1 for anything else or when the name does not exist.
    static long long oGetSize(const char* pszName);
    static bool bGetFileAttributes(int* pnAttributes, const char* pszName);
    // -1 and -2 make the entry read-only (0444), any other value read-write (0666).
    // Directories keep their search bits: 0555 and 0777.
    static bool bSetFileAttributes(const char* pszName, int nAttributes);
    // The modification time as a local broken-down time.
    static bool bGetLastModificationTime(const char* pszName, _stXFILETIME* pstTime);

    // ---- Directories ----------------------------------------------------------------
    // Creates each missing directory of the path (mode 0777 less the creation mask); true when
    // the whole path is a directory at the end, also when it already was one.
    static bool bCreateDirectory(const char* pszName);
    static bool bDeleteDirectory(const char* pszName); // rmdir: the directory must be empty
    // The directory of temporary files with its final "/" (TMPDIR when it names a directory,
    // otherwise /tmp) into 261 bytes; false when there is none or it does not fit.
    static bool bGetTempDirectory(char* pszOut);

    // Tree removals: files first, then the directories bottom-up. A symbolic link inside the
    // tree is removed as a link; nothing outside the tree is ever followed, listed or changed.
    // A root that is itself a link: the removals remove the link, the purges fail (ENOTDIR).
    // "/" is never removed nor purged (EPERM).
    // Read-only files (no write bit at all) stop bDeleteTree and bPurgeTree (EACCES);
    // the other forms remove them. The plain forms stop at the first failure; the Force forms
    // also open up directories they cannot enter or change, go on past failures and report
    // false when anything is left.
    static bool bDeleteTree(const char* pszDir);
    static bool bDeleteTreeEvenReadOnly(const char* pszDir);
    static bool bForceDeleteTree(const char* pszDir);
    static bool bPurgeTree(const char* pszDir);      // empties the directory, keeps it
    static bool bForcePurgeTree(const char* pszDir);
    static bool _bDeltree(const char* pszDir, bool bKeepRoot, bool bEvenReadOnly, bool bForce);
    // Removes the files (read-only ones too) matching pattern in dir, and in its subdirectories
    // with bRecursive; directories stay. Built on bDoOnFileTree.
    static bool bForceDeleteOnFileTree(const char* pszDir, const char* pszPattern, bool bRecursive);
    // Walk callback of bForceDeleteOnFileTree: unlinks the path; 0 (stop) when that fails.
    static int __bForceDeleteOnTree(const char* pszPath, long lParam);

    // ---- Files ----------------------------------------------------------------------
    static bool bDelete(const char* pszName);      // unlink
    static bool bForceDelete(const char* pszName); // unlink, read-only files too
    // New name first. Fails with EEXIST when newName exists (a dangling link counts); the
    // check and the rename are one step, so nothing created meanwhile is overwritten.
    static bool bRename(const char* pszNewName, const char* pszOldName);
    // Renames source to destination, replacing a destination file. True at once when both
    // name the same entry. A missing source fails (ENOENT) and leaves destination alone.
    static bool bMove(const char* pszDestination, const char* pszSource);
    // Copies source to destination, which is replaced as a whole (CRemplacementAtomique: a new
    // file gets 0666 less the creation mask; an existing one keeps its mode, owner and links).
    // True only when all of source was read and written. On any failure (a source that cannot
    // be opened or read, that is the destination itself (EINVAL), a write that fails)
    // destination keeps its former content, or stays absent.
    static bool bCopy(const char* pszDestination, const char* pszSource);
    // Appends source (as long as it was when the call began) to destination, which is created
    // when missing. A missing source fails. On a failed read or write the destination is cut
    // back to its former size (removed when the call created it) and the result is false.
    static bool bConcat(const char* pszDestination, const char* pszSource);
    // Creates a new empty file dir/prefixXXXXXX (the six X made unique) and puts its name in
    // out (261 bytes). A null or empty dir means the temporary directory, created when missing.
    static bool bGetTempName(char* pszOut, const char* pszDir, const char* pszPrefix);
    static bool bGetTempName(char* pszOut, const char* pszPrefix);
    // Reads the whole of a regular file (opened read only, without lock) into the binary
    // value, sized with nSetSize; an empty file gives an empty value. False for a name that
    // cannot be opened, is not a regular file (EISDIR for a directory), is too large for a
    // value (EFBIG), or on a read failure; the value is then left as it was.
    static bool bChargeFichier(CKLBINBase& clValeur, const char* pszName);
    // Copies count bytes (negative: up to the end) of source from offset start into
    // destination, replaced as a whole as by bCopy; a source shorter than that is not an error.
    // On failure the destination keeps its former content, or stays absent. Source and
    // destination must be different files (EINVAL).
    static bool bExtract(const char* pszSource, const char* pszDestination, long long oStart, long long oCount);
    // Size and space available to unprivileged users of the file system holding name (the
    // current directory for null), in units of 1,024 bytes. Either output may be null.
    static bool bGetDiskSpace(const char* pszName, unsigned long long* pnTotal, unsigned long long* pnFree);
    static bool bGetDiskFreeSpace(const char* pszName, unsigned long long* pnFree);

    // ---- Searches and walks ---------------------------------------------------------
    // pattern is "dir/name-pattern" (no "/": the current directory). Entries that match the
    // name pattern, have every bit of nRequired and no bit of nExcluded are returned one by
    // one; "." and ".." never are. At the end (false, errno ENOENT) the search is closed.
    static bool bFindFirst(const char* pszPattern, _stXFINDDATA* pstFind, unsigned nRequired, unsigned nExcluded);
    static bool bFindNext(_stXFINDDATA* pstFind);
    // Closes the directory stream when one is open; safe to call twice.
    static bool bFindClose(_stXFINDDATA* pstFind);

    // Walk callback: gets the full path and the caller's parameter; 0 stops the walk.
    typedef int (*PFNDOONTREE)(const char* pszPath, long lParam);
    // Calls pfn for each entry of dir whose name matches pattern (null: "*"): the files, and
    // the directories too with bWithDirectories. With bRecursive, then walks each subdirectory
    // the same way. Links are reported by what they point to but never walked into. True when
    // the walk completes; false when pfn stops it, a directory cannot be read, or a path would
    // exceed ZV_MAX_PATH (ENAMETOOLONG).
    static bool bDoOnFileTree(const char* pszDir, const char* pszPattern, PFNDOONTREE pfn, long lParam,
                              int bWithDirectories, int bRecursive);
    // The same walk reporting only the directories.
    static bool bDoOnDirectoryTree(const char* pszDir, const char* pszPattern, PFNDOONTREE pfn, long lParam,
                                   int bRecursive);

    // ---- Times ----------------------------------------------------------------------
    // A file time (UTC) as a local broken-down time, and back. False for fields out of range
    // (month 1-12, a day of that month, 0-23, 0-59, 0-59, 0-999) and times outside the range
    // of the system clock.
    static bool bFileTimeToSystemTime(const FILETIME* pstFileTime, _stXFILETIME* pstTime);
    static bool bSystemTimeToFileTime(const _stXFILETIME* pstTime, FILETIME* pstFileTime);
    // MS-DOS date and time: high 16 bits ((year - 1980) << 9) | (month << 5) | day, low 16
    // bits (hour << 11) | (minute << 5) | (second / 2). Years 1980 to 2107 only.
    static bool bSystemTimeToDosFileTime(const _stXFILETIME* pstTime, unsigned* pdwDos);
    // Unpacks every field (seconds doubled, milliseconds 0); false when they do not form a
    // valid date and time.
    static bool bDosFileTimeToSystemTime(unsigned dwDos, _stXFILETIME* pstTime);
    // ==== The open file: IXStream over a 64-bit descriptor ==============================
    // A fresh object is closed, unreferenced (count 0) and has an empty name. Slots 3 to 42
    // are those of IXStream; slots 43 to 59 are added here, in the order below, and are
    // shared with the runtime like the rest of the table.
    //
    // Sharing between processes rests on POSIX advisory record locks: the whole-file lock
    // taken at open according to eSHARE, the range locks of bLock/bUnlock and the two-byte
    // token of bLockFileEx. They do not conflict within one process, and closing any
    // descriptor of a file drops every lock this process holds on it.
public:
    // errno after a lock refused because another holder has a conflicting one.
    static constexpr int ZV_ERRNO_SHARING_VIOLATION = INT_MIN; // 0x80000000
    // Size of the read-ahead block of pszReadLine, without its terminating NUL.
    static constexpr unsigned ZV_LINE_BLOCK = 65536;

    CDiskFile();
    ~CDiskFile() override;
    CDiskFile(const CDiskFile&) = delete;
    CDiskFile& operator=(const CDiskFile&) = delete;

    static bool bSystemSupportHugeFile() { return true; }
    static bool sbIsBadNetworkFile(const char*) { return false; }

    // Opens name (backslashes become slashes; made absolute into the name array). Access -1
    // is read only; other access values than -1..2 are refused (EINVAL). With
    // eCREATE_OPENALWAYS, *pbCreated tells whether the file was created and errno is EEXIST
    // when it was not. A sharing lock refused by another process fails with errno
    // ZV_ERRNO_SHARING_VIOLATION, before anything of the file was emptied. An open file is
    // closed first.
    int bOpen(const char* pszName, eACCESS eAccess, eSHARE eShare, eCREATE eCreate, eFLAG eFlag,
              int* pbCreated) override;
    // Closes the descriptor (its locks go with it). The descriptor is given up even when close
    // reports an error: Linux has released it, and closing it again could close another file.
    void Close() override;
    int bReopen(eACCESS eAccess, eSHARE eShare, eCREATE eCreate, eFLAG eFlag) override;
    // At an offset: seeks there first when it differs from the position.
    int bWrite(long long oOffset, const void* pData, unsigned nCount, unsigned* pnWritten) override;
    int bRead(long long oOffset, void* pData, unsigned nCount, unsigned* pnRead) override;
    // True only when every byte was written; the position advances by what was written.
    int bWrite(const void* pData, unsigned nCount, unsigned* pnWritten) override;
    // With pnRead: true unless the read failed (a short read or the end is success). Without
    // it: true only when all nCount bytes were read.
    int bRead(void* pData, unsigned nCount, unsigned* pnRead) override;
    // The resulting absolute offset becomes the position. Drops what pszReadLine read ahead.
    int bSeek(long long oOffset, eSEEK eOrigin) override;
    // The size; the position is kept. -1 on failure.
    long long oGetSize() override;
    // The size, leaving the position at the end. -1 on failure.
    long long oGetSizeFast() override;
    int bFlush() override;
    // Seeks to oSize from the start (eGROW_ABSOLUTE) or the end (eGROW_RELATIVE) and cuts or
    // extends the file there; the position stays at the new end. Other eGROW values: false.
    int bSetSize(long long oSize, eGROW eGrow) override;
    // Grows the file by oCount zero bytes (0: nothing to do; negative: false); the position
    // ends at the new end.
    int bIncreaseSize(long long oCount) override;
    // printf-style text written at the position, whatever its length.
    int bWriteString(const char* pszFormat, ...) override __attribute__((format(printf, 2, 3)));
    int bWriteStringList(const char* pszFormat, va_list args) override;
    // One line into buffer (nCapacity bytes, NUL included), read in 80-byte chunks; the
    // position ends just after the line end. nFlags bit 0: only CR LF ends a line; otherwise
    // CR LF, CR or LF. A line that does not fit is cut to nCapacity - 1 characters with
    // *pbTruncated 1, and the next call goes on with the rest. False at the end of the file,
    // on a read failure and for a capacity of 0 (nothing written then).
    int bReadLine(char* pszBuffer, unsigned nCapacity, int* pbTruncated, unsigned nFlags) override;
    // Copies oCount bytes (negative: up to the end) from the position to the destination's
    // position, in 64 KiB steps. A source shorter than oCount is not an error.
    int bExtract(IXStream* piDestination, long long oCount) override;
    int bLockFile(unsigned long long oStart, unsigned long long oLength) const override;
    int bUnlockFile(unsigned long long oStart, unsigned long long oLength) const override;
    // Non-blocking lock of [start, start + length), length 0 meaning to the end and beyond:
    // a write lock when the file is open for writing, a read lock when read only.
    int bLock(unsigned long long oStart, unsigned long long oLength) const override;
    int bUnlock(unsigned long long oStart, unsigned long long oLength) const override;
    const char* pszGetName() const override { return m_szName; }
    long long oGetOffset() override { return m_oPosition; }
    int bIsOpen() const override { return m_hFile != -1; }
    // A heap copy of the name used in error messages; null reverts to the name array.
    int vbSetNameForError(const char* pszName) override;
    // bReadLine over 4-byte wide characters (capacity in characters). A tail of fewer than
    // four bytes at the end of the file is no character and ends the reading.
    int bReadLineUNICODE(wchar_t* pwszBuffer, unsigned nCapacity, int* pbTruncated, unsigned nFlags) override;
    // The flags of the open file (-1 when closed).
    eACCESS veGetAccess() const override { return static_cast<eACCESS>(m_nOpenFlags); }
    int bGetVFSFileName(char*) override { return 0; }
    // bLock true: waits for a write (bExclusive) or read lock on the first two bytes; the
    // result is whether it was granted. bLock false: releases them; always true.
    int bLockFileEx(int bLock, int bExclusive) const override;
    // Next line of a text file through a 64 KiB read-ahead block. The line end is the
    // separator when one is given (an empty one counts as none), otherwise CR LF, CR or LF.
    // The line goes to buffer while it fits (nCapacity bytes, NUL included); a longer one is
    // gathered whole in *pclOverflow and its text returned. Without pclOverflow a longer line
    // comes in pieces of nCapacity - 1 characters, one per call. Null at the end of the file,
    // on a read failure, or when nothing can be returned (no overflow and nCapacity < 2, or a
    // separator of ZV_LINE_BLOCK characters or more).
    char* pszReadLine(char* pszBuffer, unsigned nCapacity, CTString* pclOverflow, const char* pszSeparator) override;

    // Sets the size to oSize (> 0); when the file grew, writes a zero byte at its
    // last offset so that the space is allocated. False for oSize <= 0 (no change).
    /* 43 */ virtual int bExtendFile(long long oSize);
    // Copies oCount bytes (negative: to the end) from oStart of this stream into the
    // named file, created or emptied; on failure that file is removed. Never this file itself.
    /* 44 */ virtual int bExtract(const char* pszName, long long oStart, long long oCount);
    // Appends to this stream oCount bytes (negative: to its end) of the named file,
    // taken from oStart.
    /* 45 */ virtual int bExtractFromFile(const char* pszName, long long oStart, long long oCount);
    // Wide-character names are not supported: false, empty, false.
    /* 46 */ virtual int bOpenW(const wchar_t* pwszName, eACCESS eAccess, eSHARE eShare, eCREATE eCreate,
                                eFLAG eFlag, int* pbCreated);
    /* 47 */ virtual int bExtractW(const wchar_t* pwszName, long long oStart, long long oCount);
    /* 48 */ virtual const wchar_t* pwszGetName() const;
    /* 49 */ virtual int vbIsUNICODEFileName() const;
    /* 50 */ virtual int bExtractFromFileW(const wchar_t* pwszName, long long oStart, long long oCount);
    /* 51 */ virtual int vbSetNameForErrorW(const wchar_t* pwszName);
    /* 52 */ virtual void m739EmptyMethodXStream() const;
    /* 53 */ virtual void m740EmptyMethodXStream() const;
    /* 54 */ virtual void m741EmptyMethodXStream() const;
    /* 55 */ virtual void m742EmptyMethodXStream() const;
    /* 56 */ virtual void m743EmptyMethodXStream() const;
    /* 57 */ virtual void m744EmptyMethodXStream() const;
    /* 58 */ virtual void m745EmptyMethodXStream() const;
    /* 59 */ virtual void m746EmptyMethodXStream() const;

    // The name used in error messages: the name array unless vbSetNameForError set one.
    const char* pszGetNameForError() const { return m_pszNameForError; }

    // ---- Times of the open file (not in the shared table) -------------------------
    // Read on the descriptor (fstat), as Windows file times (UTC, 100 ns units) or as local
    // broken-down times (to the millisecond). "Creation" is the time of the last change of
    // the file's status: Linux keeps no creation time that could be set. Each output is
    // optional. False when the stream is closed (EBADF), fstat fails, or a time cannot be
    // expressed (EOVERFLOW: before 1601, or beyond the local-time library's range).
    bool bGetTime(FILETIME* pstCreation, FILETIME* pstLastAccess, FILETIME* pstLastWrite) const;
    bool bGetTime(_stXFILETIME* pstCreation, _stXFILETIME* pstLastAccess, _stXFILETIME* pstLastWrite) const;
    // Set on the descriptor (futimens): a null input leaves that time as it is; the creation
    // time is accepted and ignored. False when the stream is closed (EBADF), a time is not
    // valid (EINVAL: fields out of range) or cannot be held by the system's clock type
    // (EOVERFLOW), or the system refuses.
    bool bSetTime(const FILETIME* pstCreation, const FILETIME* pstLastAccess, const FILETIME* pstLastWrite);
    bool bSetTime(const _stXFILETIME* pstCreation, const _stXFILETIME* pstLastAccess,
                  const _stXFILETIME* pstLastWrite);

private:
    friend struct CDiskFileLayout;

    // lseek64 and the position, without dropping the read-ahead block.
    bool __bSeek(long long oOffset, int nOrigin);
    // Forgets what pszReadLine read ahead (the block itself is kept).
    void __ViderLecture() { m_pLigneCurseur = m_pLigneFin = m_pLigne; }
    // Places an fcntl record lock; a refusal by another holder sets the conflict marker.
    bool __bPoseVerrou(int nCommand, short nType, unsigned long long oStart, unsigned long long oLength) const;

    char m_szName[ZV_MAX_PATH];   // full path of the file; empty before the first open
    int32_t m_hFile;              // descriptor, -1 when closed
    long long m_oPosition;        // the stream's copy of the file offset
    char* m_pLigne;               // read-ahead block of pszReadLine (ZV_LINE_BLOCK + 1 bytes), owned
    char* m_pLigneCurseur;        // next unread byte of the block
    int32_t m_nOpenFlags;         // flags of open64 for the current file, -1 when closed
    char* m_pszNameForError;      // m_szName, or an owned heap copy from vbSetNameForError
    char* m_pLigneFin;            // end of the bytes read into the block
};
#pragma pack(pop)

// The layout checks, in a friend so that they see the private members.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
struct CDiskFileLayout {
#if defined(__x86_64__)
    static_assert(sizeof(CDiskFile) == 320, "CDiskFile layout (x86-64)");
    static_assert(offsetof(CDiskFile, m_szName) == 12, "CDiskFile layout (x86-64)");
    static_assert(offsetof(CDiskFile, m_hFile) == 272, "CDiskFile layout (x86-64)");
    static_assert(offsetof(CDiskFile, m_oPosition) == 276, "CDiskFile layout (x86-64)");
    static_assert(offsetof(CDiskFile, m_pLigne) == 284, "CDiskFile layout (x86-64)");
    static_assert(offsetof(CDiskFile, m_pLigneCurseur) == 292, "CDiskFile layout (x86-64)");
    static_assert(offsetof(CDiskFile, m_nOpenFlags) == 300, "CDiskFile layout (x86-64)");
    static_assert(offsetof(CDiskFile, m_pszNameForError) == 304, "CDiskFile layout (x86-64)");
#elif defined(__i386__)
    static_assert(sizeof(CDiskFile) == 300, "CDiskFile layout (i386)");
    static_assert(offsetof(CDiskFile, m_szName) == 8, "CDiskFile layout (i386)");
    static_assert(offsetof(CDiskFile, m_hFile) == 268, "CDiskFile layout (i386)");
    static_assert(offsetof(CDiskFile, m_oPosition) == 272, "CDiskFile layout (i386)");
    static_assert(offsetof(CDiskFile, m_pLigne) == 280, "CDiskFile layout (i386)");
    static_assert(offsetof(CDiskFile, m_pLigneCurseur) == 284, "CDiskFile layout (i386)");
    static_assert(offsetof(CDiskFile, m_nOpenFlags) == 288, "CDiskFile layout (i386)");
    static_assert(offsetof(CDiskFile, m_pszNameForError) == 292, "CDiskFile layout (i386)");
#endif
};
#pragma GCC diagnostic pop
