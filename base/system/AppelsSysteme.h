// AppelsSysteme: the one layer through which the library and its programs call the kernel for
// files, directories and descriptors, with its replaceable table of calls.
#pragma once

#include <atomic>
#include <cstddef>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/types.h>
#include <time.h>

// Two levels:
//
// - The table gstAppelsSysteme holds one pointer per kernel call, each with the plain
//   convention of the C library (-1 or null with errno on failure). Nothing but this layer
//   calls through it. Tests replace entries to make calls fail (tests/support/FaultInjection.h)
//   and put the defaults back with SYS_RestoreCalls; the entries are atomic, so that a
//   replacement made while other threads run is seen whole. Unused, the table costs one load
//   per call.
// - The SYS_ functions that callers use. They retry a call that a signal interrupted (EINTR;
//   close and closedir excepted, which Linux has done anyway), loop over short reads and
//   writes, and on failure record, for the calling thread, the operation, the path and errno
//   (errno itself is left as the call set it), so that a message can say "cannot write
//   /etc/app.ini: No space left on device".
//
// Offsets and sizes are 64-bit in both ABIs (the *64 calls and types); paths are whatever the
// caller passes (no separator conversion here). Descriptors are never given O_CLOEXEC behind the
// caller's back: the flags passed are the flags used.

// X(kind, member, result, parameters, arguments): every call of the table.
#define ZV_APPELS_SYSTEME(X)                                                                                        \
    X(OPEN, Open, int, (const char* psz, int nFlags, mode_t nMode), (psz, nFlags, nMode))                           \
    X(OPENAT, OpenAt, int, (int nDir, const char* psz, int nFlags, mode_t nMode), (nDir, psz, nFlags, nMode))       \
    X(CLOSE, Close, int, (int nFd), (nFd))                                                                          \
    X(READ, Read, ssize_t, (int nFd, void* p, size_t n), (nFd, p, n))                                               \
    X(WRITE, Write, ssize_t, (int nFd, const void* p, size_t n), (nFd, p, n))                                       \
    X(PREAD, Pread, ssize_t, (int nFd, void* p, size_t n, off64_t o), (nFd, p, n, o))                               \
    X(PWRITE, Pwrite, ssize_t, (int nFd, const void* p, size_t n, off64_t o), (nFd, p, n, o))                       \
    X(LSEEK, Lseek, off64_t, (int nFd, off64_t o, int nWhence), (nFd, o, nWhence))                                  \
    X(FSTAT, Fstat, int, (int nFd, struct stat64* pst), (nFd, pst))                                                 \
    X(STAT, Stat, int, (const char* psz, struct stat64* pst), (psz, pst))                                           \
    X(LSTAT, Lstat, int, (const char* psz, struct stat64* pst), (psz, pst))                                         \
    X(FSTATAT, FstatAt, int, (int nDir, const char* psz, struct stat64* pst, int nFlags), (nDir, psz, pst, nFlags)) \
    X(FTRUNCATE, Ftruncate, int, (int nFd, off64_t o), (nFd, o))                                                    \
    X(FSYNC, Fsync, int, (int nFd), (nFd))                                                                          \
    X(FALLOCATE, Fallocate, int, (int nFd, off64_t o, off64_t n), (nFd, o, n))                                      \
    X(FCNTL, Fcntl, int, (int nFd, int nCommand, int nArg), (nFd, nCommand, nArg))                                  \
    X(FCNTLLOCK, FcntlLock, int, (int nFd, int nCommand, struct flock64* pst), (nFd, nCommand, pst))               \
    X(LOCKF, Lockf, int, (int nFd, int nCommand, off64_t n), (nFd, nCommand, n))                                    \
    X(DUP, Dup, int, (int nFd), (nFd))                                                                              \
    X(DUP2, Dup2, int, (int nFd, int nFd2), (nFd, nFd2))                                                            \
    X(MKDIR, Mkdir, int, (const char* psz, mode_t nMode), (psz, nMode))                                             \
    X(RMDIR, Rmdir, int, (const char* psz), (psz))                                                                  \
    X(UNLINK, Unlink, int, (const char* psz), (psz))                                                                \
    X(UNLINKAT, UnlinkAt, int, (int nDir, const char* psz, int nFlags), (nDir, psz, nFlags))                        \
    X(RENAME, Rename, int, (const char* pszOld, const char* pszNew), (pszOld, pszNew))                              \
    X(RENAMEAT2, RenameAt2, int, (int nOldDir, const char* pszOld, int nNewDir, const char* pszNew, unsigned nFlags), \
      (nOldDir, pszOld, nNewDir, pszNew, nFlags))                                                                   \
    X(OPENDIR, OpenDir, DIR*, (const char* psz), (psz))                                                             \
    X(FDOPENDIR, FdOpenDir, DIR*, (int nFd), (nFd))                                                                 \
    X(READDIR, ReadDir, struct dirent64*, (DIR * pDir), (pDir))                                                     \
    X(CLOSEDIR, CloseDir, int, (DIR * pDir), (pDir))                                                                \
    X(CHMOD, Chmod, int, (const char* psz, mode_t nMode), (psz, nMode))                                             \
    X(FCHMOD, Fchmod, int, (int nFd, mode_t nMode), (nFd, nMode))                                                   \
    X(FCHOWN, Fchown, int, (int nFd, uid_t nUid, gid_t nGid), (nFd, nUid, nGid))                                    \
    X(FUTIMENS, Futimens, int, (int nFd, const struct timespec* pst), (nFd, pst))                                   \
    X(ACCESS, Access, int, (const char* psz, int nMode), (psz, nMode))                                              \
    X(READLINK, Readlink, ssize_t, (const char* psz, char* pBuffer, size_t n), (psz, pBuffer, n))                   \
    X(STATVFS, Statvfs, int, (const char* psz, struct statvfs64* pst), (psz, pst))                                  \
    X(GETCWD, Getcwd, char*, (char* pBuffer, size_t n), (pBuffer, n))                                               \
    X(REALPATH, Realpath, char*, (const char* psz, char* pBuffer), (psz, pBuffer))

// The kinds of calls, in the order of the table.
enum eAPPELSYSTEME : unsigned {
#define ZV_X(kind, member, result, params, args) eSYS_##kind,
    ZV_APPELS_SYSTEME(ZV_X)
#undef ZV_X
    eSYS_NOMBRE
};

// The table. FALLOCATE follows the -1/errno convention, unlike posix_fallocate; FCNTL takes an
// int argument (F_GETFL, F_SETFL, F_DUPFD_CLOEXEC...), FCNTLLOCK a record lock.
struct _stAPPELSSYSTEME {
#define ZV_X(kind, member, result, params, args) std::atomic<result(*) params> pfn##member;
    ZV_APPELS_SYSTEME(ZV_X)
#undef ZV_X
};
extern _stAPPELSSYSTEME gstAppelsSysteme;

// The C library's own functions, which the table holds at start and after SYS_RestoreCalls.
extern const struct _stAPPELSDEFAUT {
#define ZV_X(kind, member, result, params, args) result(*pfn##member) params;
    ZV_APPELS_SYSTEME(ZV_X)
#undef ZV_X
} gstAppelsDefaut;

// Puts every entry of the table back to the C library's function.
void SYS_RestoreCalls();
// The name of a kind, as in the table ("Open", "Read"...); "?" for a value out of range.
const char* SYS_pszCallName(eAPPELSYSTEME eKind);

// ---- The last failure of the calling thread ------------------------------------------------
struct _stSYSERREUR {
    int nErrno;               // errno of the failed call; 0 when none was recorded
    const char* pszOperation; // what could not be done, as a verb: "open", "write", "rename"...
    char szPath[512];         // the path concerned, cut to fit; empty when unknown
    char szPath2[512];        // the second path of a rename (its new name), else empty
};
const _stSYSERREUR& SYS_stLastError();
void SYS_ClearLastError();
// "cannot write /etc/app.ini: No space left on device" ("cannot write: ..." without a path;
// "no failure" when none was recorded) into pszOut (nSize bytes, cut to fit). Returns the
// length of the whole text, as snprintf does.
unsigned SYS_nFormatLastError(char* pszOut, unsigned nSize);
// Records a failure of the caller's own (errno kept), for failures found above the calls.
void SYS_RecordError(const char* pszOperation, const char* pszPath, int nErrno);

// ---- Descriptors ---------------------------------------------------------------------------
// pszPath names the file in the failure record of the calls on descriptors (null: none).
int SYS_nOpen(const char* pszPath, int nFlags, mode_t nMode = 0);
int SYS_nOpenAt(int nDir, const char* pszPath, int nFlags, mode_t nMode = 0);
// Creates a new file (O_CREAT | O_EXCL | nFlags, mode nMode less the creation mask) named
// pszTemplate with its six final "X" replaced; the name is written back. The descriptor, or -1.
int SYS_nCreateUnique(char* pszTemplate, int nFlags, mode_t nMode);
// Closes nFd (-1 accepted: true). False when close reported an error other than EINTR; the
// descriptor is released in every case.
bool SYS_bClose(int nFd, const char* pszPath = nullptr);
// One read: the count, 0 at the end, -1 on failure.
ssize_t SYS_nReadSome(int nFd, void* p, size_t n, const char* pszPath = nullptr);
// Reads until n bytes or the end of the file: *pnRead (optional) gets the count, also on failure.
bool SYS_bReadAll(int nFd, void* p, size_t n, size_t* pnRead, const char* pszPath = nullptr);
// Writes all n bytes; *pnWritten (optional) gets what was written, also on failure. A write
// that takes nothing fails with EIO.
bool SYS_bWriteAll(int nFd, const void* p, size_t n, size_t* pnWritten = nullptr, const char* pszPath = nullptr);
// The same at an offset, the descriptor's position untouched.
bool SYS_bPreadAll(int nFd, void* p, size_t n, off64_t o, size_t* pnRead, const char* pszPath = nullptr);
bool SYS_bPwriteAll(int nFd, const void* p, size_t n, off64_t o, size_t* pnWritten = nullptr,
                    const char* pszPath = nullptr);
// The new offset, or -1.
off64_t SYS_oSeek(int nFd, off64_t o, int nWhence, const char* pszPath = nullptr);
bool SYS_bFstat(int nFd, struct stat64* pst, const char* pszPath = nullptr);
bool SYS_bTruncate(int nFd, off64_t oSize, const char* pszPath = nullptr);
bool SYS_bSync(int nFd, const char* pszPath = nullptr);
// Makes sure that [o, o + n) has its disk space (the size grows to cover it).
bool SYS_bAllocate(int nFd, off64_t o, off64_t n, const char* pszPath = nullptr);
// fcntl with an int argument: its result, -1 on failure.
int SYS_nFcntl(int nFd, int nCommand, int nArg, const char* pszPath = nullptr);
// fcntl record locks (F_SETLK64, F_SETLKW64, F_GETLK64). A refusal is recorded like any failure.
bool SYS_bLock(int nFd, int nCommand, struct flock64* pst, const char* pszPath = nullptr);
bool SYS_bLockf(int nFd, int nCommand, off64_t n, const char* pszPath = nullptr);
int SYS_nDup(int nFd);
bool SYS_bDup2(int nFd, int nFd2);
bool SYS_bFchmod(int nFd, mode_t nMode, const char* pszPath = nullptr);
bool SYS_bFchown(int nFd, uid_t nUid, gid_t nGid, const char* pszPath = nullptr);
// Access and modification times (futimens).
bool SYS_bSetTimes(int nFd, const struct timespec ast[2], const char* pszPath = nullptr);

// ---- Names ---------------------------------------------------------------------------------
bool SYS_bStat(const char* pszPath, struct stat64* pst);
bool SYS_bLstat(const char* pszPath, struct stat64* pst);
bool SYS_bStatAt(int nDir, const char* pszPath, struct stat64* pst, int nFlags);
bool SYS_bAccess(const char* pszPath, int nMode);
bool SYS_bMkdir(const char* pszPath, mode_t nMode);
bool SYS_bRmdir(const char* pszPath);
bool SYS_bUnlink(const char* pszPath);
bool SYS_bUnlinkAt(int nDir, const char* pszPath, int nFlags);
bool SYS_bRename(const char* pszOld, const char* pszNew);
bool SYS_bRenameAt2(int nOldDir, const char* pszOld, int nNewDir, const char* pszNew, unsigned nFlags);
bool SYS_bChmod(const char* pszPath, mode_t nMode);
// The link's target into pBuffer (n bytes) with a NUL: its length, or -1 (ENAMETOOLONG when it
// does not fit).
ssize_t SYS_nReadLink(const char* pszPath, char* pBuffer, size_t n);
bool SYS_bStatvfs(const char* pszPath, struct statvfs64* pst);
char* SYS_pszGetcwd(char* pBuffer, size_t n);
// realpath into a PATH_MAX buffer.
char* SYS_pszRealPath(const char* pszPath, char* pBuffer);

// ---- Directories ---------------------------------------------------------------------------
DIR* SYS_pOpenDir(const char* pszPath);
DIR* SYS_pFdOpenDir(int nFd, const char* pszPath = nullptr);
// The next entry; null at the end (errno 0) or on failure (errno set, recorded).
struct dirent64* SYS_pReadDir(DIR* pDir, const char* pszPath = nullptr);
bool SYS_bCloseDir(DIR* pDir, const char* pszPath = nullptr);

// ---- Whole small files ---------------------------------------------------------------------
// Reads at most nMax bytes of the file (a /proc file whose size stat does not tell, a small
// settings file) into p; *pnRead gets the count. False when it cannot be opened or read.
bool SYS_bReadFile(const char* pszPath, void* p, size_t nMax, size_t* pnRead);
