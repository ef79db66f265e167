// AppelsSysteme: the one layer through which the library and its programs call the kernel for
// files, directories and descriptors, with its replaceable table of calls.
#include "base/system/AppelsSysteme.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace {

// The C library's calls, with the table's conventions where they differ.
int __SysOpen(const char* psz, int nFlags, mode_t nMode) { return ::open64(psz, nFlags, nMode); }
int __SysOpenAt(int nDir, const char* psz, int nFlags, mode_t nMode) { return ::openat64(nDir, psz, nFlags, nMode); }
int __SysClose(int nFd) { return ::close(nFd); }
ssize_t __SysRead(int nFd, void* p, size_t n) { return ::read(nFd, p, n); }
ssize_t __SysWrite(int nFd, const void* p, size_t n) { return ::write(nFd, p, n); }
ssize_t __SysPread(int nFd, void* p, size_t n, off64_t o) { return ::pread64(nFd, p, n, o); }
ssize_t __SysPwrite(int nFd, const void* p, size_t n, off64_t o) { return ::pwrite64(nFd, p, n, o); }
off64_t __SysLseek(int nFd, off64_t o, int nWhence) { return ::lseek64(nFd, o, nWhence); }
int __SysFstat(int nFd, struct stat64* pst) { return ::fstat64(nFd, pst); }
int __SysStat(const char* psz, struct stat64* pst) { return ::stat64(psz, pst); }
int __SysLstat(const char* psz, struct stat64* pst) { return ::lstat64(psz, pst); }
int __SysFstatAt(int nDir, const char* psz, struct stat64* pst, int nFlags) { return ::fstatat64(nDir, psz, pst, nFlags); }
int __SysFtruncate(int nFd, off64_t o) { return ::ftruncate64(nFd, o); }
int __SysFsync(int nFd) { return ::fsync(nFd); }
int __SysFallocate(int nFd, off64_t o, off64_t n)
{
    const int nErr = ::posix_fallocate64(nFd, o, n);
    if (nErr == 0)
        return 0;
    errno = nErr;
    return -1;
}
int __SysFcntl(int nFd, int nCommand, int nArg) { return ::fcntl(nFd, nCommand, nArg); }
int __SysFcntlLock(int nFd, int nCommand, struct flock64* pst) { return ::fcntl(nFd, nCommand, pst); }
int __SysLockf(int nFd, int nCommand, off64_t n) { return ::lockf64(nFd, nCommand, n); }
int __SysDup(int nFd) { return ::dup(nFd); }
int __SysDup2(int nFd, int nFd2) { return ::dup2(nFd, nFd2); }
int __SysMkdir(const char* psz, mode_t nMode) { return ::mkdir(psz, nMode); }
int __SysRmdir(const char* psz) { return ::rmdir(psz); }
int __SysUnlink(const char* psz) { return ::unlink(psz); }
int __SysUnlinkAt(int nDir, const char* psz, int nFlags) { return ::unlinkat(nDir, psz, nFlags); }
int __SysRename(const char* pszOld, const char* pszNew) { return ::rename(pszOld, pszNew); }
int __SysRenameAt2(int nOldDir, const char* pszOld, int nNewDir, const char* pszNew, unsigned nFlags)
{
    return ::renameat2(nOldDir, pszOld, nNewDir, pszNew, nFlags);
}
DIR* __SysOpenDir(const char* psz) { return ::opendir(psz); }
DIR* __SysFdOpenDir(int nFd) { return ::fdopendir(nFd); }
struct dirent64* __SysReadDir(DIR* pDir) { return ::readdir64(pDir); }
int __SysCloseDir(DIR* pDir) { return ::closedir(pDir); }
int __SysChmod(const char* psz, mode_t nMode) { return ::chmod(psz, nMode); }
int __SysFchmod(int nFd, mode_t nMode) { return ::fchmod(nFd, nMode); }
int __SysFchown(int nFd, uid_t nUid, gid_t nGid) { return ::fchown(nFd, nUid, nGid); }
int __SysFutimens(int nFd, const struct timespec* pst) { return ::futimens(nFd, pst); }
int __SysAccess(const char* psz, int nMode) { return ::access(psz, nMode); }
ssize_t __SysReadlink(const char* psz, char* pBuffer, size_t n) { return ::readlink(psz, pBuffer, n); }
int __SysStatvfs(const char* psz, struct statvfs64* pst) { return ::statvfs64(psz, pst); }
char* __SysGetcwd(char* pBuffer, size_t n) { return ::getcwd(pBuffer, n); }
char* __SysRealpath(const char* psz, char* pBuffer) { return ::realpath(psz, pBuffer); }

const char* const gtabNoms[] = {
#define ZV_X(kind, member, result, params, args) #member,
    ZV_APPELS_SYSTEME(ZV_X)
#undef ZV_X
};
static_assert(sizeof gtabNoms / sizeof gtabNoms[0] == eSYS_NOMBRE, "one name per call");

// Trivially destructible: the layer also lives in libraries that are unloaded.
thread_local _stSYSERREUR gstDerniere = {0, nullptr, {0}, {0}};

void __CopyPath(char* pszDst, std::size_t nSize, const char* pszSrc)
{
    if (!pszSrc) {
        pszDst[0] = '\0';
        return;
    }
    const std::size_t n = strnlen(pszSrc, nSize - 1);
    std::memcpy(pszDst, pszSrc, n);
    pszDst[n] = '\0';
}

// Records the failure that errno describes; errno is left as it is.
void __Record(const char* pszOperation, const char* pszPath, const char* pszPath2 = nullptr)
{
    gstDerniere.nErrno = errno;
    gstDerniere.pszOperation = pszOperation;
    __CopyPath(gstDerniere.szPath, sizeof gstDerniere.szPath, pszPath);
    __CopyPath(gstDerniere.szPath2, sizeof gstDerniere.szPath2, pszPath2);
}

// Calls fn (one call through the table) again while it fails with EINTR: the call was not made.
template <typename Fn>
auto __Retry(Fn fn) -> decltype(fn())
{
    decltype(fn()) r;
    do
        r = fn();
    while (r == decltype(r)(-1) && errno == EINTR);
    return r;
}

#define ZV_APPEL(member) gstAppelsSysteme.pfn##member.load(std::memory_order_relaxed)

// A 64-bit value from the clock, the process and a counter, for the names of SYS_nCreateUnique.
unsigned long long __Aleatoire()
{
    static std::atomic<unsigned long long> s_nCompteur{0};
    struct timespec st;
    clock_gettime(CLOCK_MONOTONIC, &st);
    unsigned long long n = static_cast<unsigned long long>(st.tv_nsec) ^
                           (static_cast<unsigned long long>(st.tv_sec) << 30) ^
                           (static_cast<unsigned long long>(getpid()) << 40) ^
                           (s_nCompteur.fetch_add(1, std::memory_order_relaxed) * 0x9E3779B97F4A7C15ull);
    // splitmix64 finaliser: every input bit moves every output bit.
    n ^= n >> 30;
    n *= 0xBF58476D1CE4E5B9ull;
    n ^= n >> 27;
    n *= 0x94D049BB133111EBull;
    return n ^ (n >> 31);
}

} // namespace

const _stAPPELSDEFAUT gstAppelsDefaut = {
#define ZV_X(kind, member, result, params, args) &__Sys##member,
    ZV_APPELS_SYSTEME(ZV_X)
#undef ZV_X
};

_stAPPELSSYSTEME gstAppelsSysteme = {
#define ZV_X(kind, member, result, params, args) {&__Sys##member},
    ZV_APPELS_SYSTEME(ZV_X)
#undef ZV_X
};

void SYS_RestoreCalls()
{
#define ZV_X(kind, member, result, params, args) gstAppelsSysteme.pfn##member.store(gstAppelsDefaut.pfn##member);
    ZV_APPELS_SYSTEME(ZV_X)
#undef ZV_X
}

const char* SYS_pszCallName(eAPPELSYSTEME eKind)
{
    return eKind < eSYS_NOMBRE ? gtabNoms[eKind] : "?";
}

// ---- The last failure ----------------------------------------------------------------------

const _stSYSERREUR& SYS_stLastError()
{
    return gstDerniere;
}

void SYS_ClearLastError()
{
    gstDerniere.nErrno = 0;
    gstDerniere.pszOperation = nullptr;
    gstDerniere.szPath[0] = gstDerniere.szPath2[0] = '\0';
}

void SYS_RecordError(const char* pszOperation, const char* pszPath, int nErrno)
{
    const int nSaved = errno;
    errno = nErrno;
    __Record(pszOperation, pszPath);
    errno = nSaved;
}

unsigned SYS_nFormatLastError(char* pszOut, unsigned nSize)
{
    const int nSaved = errno;
    const _stSYSERREUR& st = gstDerniere;
    char szSysteme[256];
    const char* pszSysteme = st.nErrno ? strerror_r(st.nErrno, szSysteme, sizeof szSysteme) : "";
    int n;
    if (!st.nErrno || !st.pszOperation)
        n = std::snprintf(pszOut, nSize, "no failure");
    else if (st.szPath2[0])
        n = std::snprintf(pszOut, nSize, "cannot %s %s to %s: %s", st.pszOperation, st.szPath, st.szPath2,
                          pszSysteme);
    else if (st.szPath[0])
        n = std::snprintf(pszOut, nSize, "cannot %s %s: %s", st.pszOperation, st.szPath, pszSysteme);
    else
        n = std::snprintf(pszOut, nSize, "cannot %s: %s", st.pszOperation, pszSysteme);
    errno = nSaved;
    return n < 0 ? 0 : static_cast<unsigned>(n);
}

// ---- Descriptors ---------------------------------------------------------------------------

int SYS_nOpen(const char* pszPath, int nFlags, mode_t nMode)
{
    const int nFd = __Retry([&] { return ZV_APPEL(Open)(pszPath, nFlags, nMode); });
    if (nFd < 0)
        __Record((nFlags & O_CREAT) ? "create" : "open", pszPath);
    return nFd;
}

int SYS_nOpenAt(int nDir, const char* pszPath, int nFlags, mode_t nMode)
{
    const int nFd = __Retry([&] { return ZV_APPEL(OpenAt)(nDir, pszPath, nFlags, nMode); });
    if (nFd < 0)
        __Record((nFlags & O_CREAT) ? "create" : "open", pszPath);
    return nFd;
}

int SYS_nCreateUnique(char* pszTemplate, int nFlags, mode_t nMode)
{
    static const char acLettres[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    const std::size_t nLen = pszTemplate ? std::strlen(pszTemplate) : 0;
    if (nLen < 6 || std::strcmp(pszTemplate + nLen - 6, "XXXXXX") != 0) {
        errno = EINVAL;
        __Record("create", pszTemplate);
        return -1;
    }
    char* pSuffixe = pszTemplate + nLen - 6;
    // 62^6 names: a few hundred tries only meet each other after a flood of files.
    for (int nEssai = 0; nEssai < 1000; ++nEssai) {
        unsigned long long n = __Aleatoire();
        for (int i = 0; i < 6; ++i, n /= 62)
            pSuffixe[i] = acLettres[n % 62];
        const int nFd = __Retry(
            [&] { return ZV_APPEL(Open)(pszTemplate, nFlags | O_CREAT | O_EXCL, nMode); });
        if (nFd >= 0)
            return nFd;
        if (errno != EEXIST)
            break;
    }
    __Record("create", pszTemplate);
    return -1;
}

bool SYS_bClose(int nFd, const char* pszPath)
{
    if (nFd < 0)
        return true;
    // Linux releases the descriptor even when close fails or is interrupted: never again.
    if (ZV_APPEL(Close)(nFd) == 0 || errno == EINTR)
        return true;
    __Record("close", pszPath);
    return false;
}

ssize_t SYS_nReadSome(int nFd, void* p, size_t n, const char* pszPath)
{
    const ssize_t r = __Retry([&] { return ZV_APPEL(Read)(nFd, p, n); });
    if (r < 0)
        __Record("read", pszPath);
    return r;
}

bool SYS_bReadAll(int nFd, void* p, size_t n, size_t* pnRead, const char* pszPath)
{
    char* pc = static_cast<char*>(p);
    size_t nDone = 0;
    bool bOk = true;
    while (nDone < n) {
        const ssize_t r = SYS_nReadSome(nFd, pc + nDone, n - nDone, pszPath);
        if (r <= 0) {
            bOk = r == 0;
            break;
        }
        nDone += static_cast<size_t>(r);
    }
    if (pnRead)
        *pnRead = nDone;
    return bOk;
}

bool SYS_bWriteAll(int nFd, const void* p, size_t n, size_t* pnWritten, const char* pszPath)
{
    const char* pc = static_cast<const char*>(p);
    size_t nDone = 0;
    bool bOk = true;
    while (nDone < n) {
        const ssize_t r = __Retry([&] { return ZV_APPEL(Write)(nFd, pc + nDone, n - nDone); });
        if (r <= 0) {
            if (r == 0)
                errno = EIO;
            __Record("write", pszPath);
            bOk = false;
            break;
        }
        nDone += static_cast<size_t>(r);
    }
    if (pnWritten)
        *pnWritten = nDone;
    return bOk;
}

bool SYS_bPreadAll(int nFd, void* p, size_t n, off64_t o, size_t* pnRead, const char* pszPath)
{
    char* pc = static_cast<char*>(p);
    size_t nDone = 0;
    bool bOk = true;
    while (nDone < n) {
        const off64_t oAt = o + static_cast<off64_t>(nDone);
        const ssize_t r = __Retry([&] { return ZV_APPEL(Pread)(nFd, pc + nDone, n - nDone, oAt); });
        if (r < 0) {
            __Record("read", pszPath);
            bOk = false;
        }
        if (r <= 0)
            break;
        nDone += static_cast<size_t>(r);
    }
    if (pnRead)
        *pnRead = nDone;
    return bOk;
}

bool SYS_bPwriteAll(int nFd, const void* p, size_t n, off64_t o, size_t* pnWritten, const char* pszPath)
{
    const char* pc = static_cast<const char*>(p);
    size_t nDone = 0;
    bool bOk = true;
    while (nDone < n) {
        const off64_t oAt = o + static_cast<off64_t>(nDone);
        const ssize_t r = __Retry([&] { return ZV_APPEL(Pwrite)(nFd, pc + nDone, n - nDone, oAt); });
        if (r <= 0) {
            if (r == 0)
                errno = EIO;
            __Record("write", pszPath);
            bOk = false;
            break;
        }
        nDone += static_cast<size_t>(r);
    }
    if (pnWritten)
        *pnWritten = nDone;
    return bOk;
}

off64_t SYS_oSeek(int nFd, off64_t o, int nWhence, const char* pszPath)
{
    const off64_t r = __Retry([&] { return ZV_APPEL(Lseek)(nFd, o, nWhence); });
    if (r < 0)
        __Record("seek in", pszPath);
    return r;
}

bool SYS_bFstat(int nFd, struct stat64* pst, const char* pszPath)
{
    if (__Retry([&] { return ZV_APPEL(Fstat)(nFd, pst); }) == 0)
        return true;
    __Record("stat", pszPath);
    return false;
}

bool SYS_bTruncate(int nFd, off64_t oSize, const char* pszPath)
{
    if (__Retry([&] { return ZV_APPEL(Ftruncate)(nFd, oSize); }) == 0)
        return true;
    __Record("truncate", pszPath);
    return false;
}

bool SYS_bSync(int nFd, const char* pszPath)
{
    if (__Retry([&] { return ZV_APPEL(Fsync)(nFd); }) == 0)
        return true;
    __Record("sync", pszPath);
    return false;
}

bool SYS_bAllocate(int nFd, off64_t o, off64_t n, const char* pszPath)
{
    if (__Retry([&] { return ZV_APPEL(Fallocate)(nFd, o, n); }) == 0)
        return true;
    __Record("allocate space for", pszPath);
    return false;
}

int SYS_nFcntl(int nFd, int nCommand, int nArg, const char* pszPath)
{
    const int r = __Retry([&] { return ZV_APPEL(Fcntl)(nFd, nCommand, nArg); });
    if (r == -1)
        __Record("control", pszPath);
    return r;
}

bool SYS_bLock(int nFd, int nCommand, struct flock64* pst, const char* pszPath)
{
    if (__Retry([&] { return ZV_APPEL(FcntlLock)(nFd, nCommand, pst); }) == 0)
        return true;
    __Record("lock", pszPath);
    return false;
}

bool SYS_bLockf(int nFd, int nCommand, off64_t n, const char* pszPath)
{
    if (__Retry([&] { return ZV_APPEL(Lockf)(nFd, nCommand, n); }) == 0)
        return true;
    __Record("lock", pszPath);
    return false;
}

int SYS_nDup(int nFd)
{
    const int r = __Retry([&] { return ZV_APPEL(Dup)(nFd); });
    if (r < 0)
        __Record("duplicate a descriptor", nullptr);
    return r;
}

bool SYS_bDup2(int nFd, int nFd2)
{
    if (__Retry([&] { return ZV_APPEL(Dup2)(nFd, nFd2); }) >= 0)
        return true;
    __Record("duplicate a descriptor", nullptr);
    return false;
}

bool SYS_bFchmod(int nFd, mode_t nMode, const char* pszPath)
{
    if (__Retry([&] { return ZV_APPEL(Fchmod)(nFd, nMode); }) == 0)
        return true;
    __Record("change the mode of", pszPath);
    return false;
}

bool SYS_bFchown(int nFd, uid_t nUid, gid_t nGid, const char* pszPath)
{
    if (__Retry([&] { return ZV_APPEL(Fchown)(nFd, nUid, nGid); }) == 0)
        return true;
    __Record("change the owner of", pszPath);
    return false;
}

bool SYS_bSetTimes(int nFd, const struct timespec ast[2], const char* pszPath)
{
    if (__Retry([&] { return ZV_APPEL(Futimens)(nFd, ast); }) == 0)
        return true;
    __Record("set the times of", pszPath);
    return false;
}

// ---- Names ---------------------------------------------------------------------------------

bool SYS_bStat(const char* pszPath, struct stat64* pst)
{
    if (__Retry([&] { return ZV_APPEL(Stat)(pszPath, pst); }) == 0)
        return true;
    __Record("stat", pszPath);
    return false;
}

bool SYS_bLstat(const char* pszPath, struct stat64* pst)
{
    if (__Retry([&] { return ZV_APPEL(Lstat)(pszPath, pst); }) == 0)
        return true;
    __Record("stat", pszPath);
    return false;
}

bool SYS_bStatAt(int nDir, const char* pszPath, struct stat64* pst, int nFlags)
{
    if (__Retry([&] { return ZV_APPEL(FstatAt)(nDir, pszPath, pst, nFlags); }) == 0)
        return true;
    __Record("stat", pszPath);
    return false;
}

bool SYS_bAccess(const char* pszPath, int nMode)
{
    if (__Retry([&] { return ZV_APPEL(Access)(pszPath, nMode); }) == 0)
        return true;
    __Record("access", pszPath);
    return false;
}

bool SYS_bMkdir(const char* pszPath, mode_t nMode)
{
    if (__Retry([&] { return ZV_APPEL(Mkdir)(pszPath, nMode); }) == 0)
        return true;
    __Record("create the directory", pszPath);
    return false;
}

bool SYS_bRmdir(const char* pszPath)
{
    if (__Retry([&] { return ZV_APPEL(Rmdir)(pszPath); }) == 0)
        return true;
    __Record("remove the directory", pszPath);
    return false;
}

bool SYS_bUnlink(const char* pszPath)
{
    if (__Retry([&] { return ZV_APPEL(Unlink)(pszPath); }) == 0)
        return true;
    __Record("remove", pszPath);
    return false;
}

bool SYS_bUnlinkAt(int nDir, const char* pszPath, int nFlags)
{
    if (__Retry([&] { return ZV_APPEL(UnlinkAt)(nDir, pszPath, nFlags); }) == 0)
        return true;
    __Record((nFlags & AT_REMOVEDIR) ? "remove the directory" : "remove", pszPath);
    return false;
}

bool SYS_bRename(const char* pszOld, const char* pszNew)
{
    if (__Retry([&] { return ZV_APPEL(Rename)(pszOld, pszNew); }) == 0)
        return true;
    __Record("rename", pszOld, pszNew);
    return false;
}

bool SYS_bRenameAt2(int nOldDir, const char* pszOld, int nNewDir, const char* pszNew, unsigned nFlags)
{
    if (__Retry([&] { return ZV_APPEL(RenameAt2)(nOldDir, pszOld, nNewDir, pszNew, nFlags); }) == 0)
        return true;
    __Record("rename", pszOld, pszNew);
    return false;
}

bool SYS_bChmod(const char* pszPath, mode_t nMode)
{
    if (__Retry([&] { return ZV_APPEL(Chmod)(pszPath, nMode); }) == 0)
        return true;
    __Record("change the mode of", pszPath);
    return false;
}

ssize_t SYS_nReadLink(const char* pszPath, char* pBuffer, size_t n)
{
    if (!pBuffer || n == 0) {
        errno = EINVAL;
        __Record("read the link", pszPath);
        return -1;
    }
    const ssize_t r = __Retry([&] { return ZV_APPEL(Readlink)(pszPath, pBuffer, n); });
    if (r >= 0 && static_cast<size_t>(r) >= n)
        errno = ENAMETOOLONG; // cut: the last byte may not be the target's last
    if (r < 0 || static_cast<size_t>(r) >= n) {
        __Record("read the link", pszPath);
        return -1;
    }
    pBuffer[r] = '\0';
    return r;
}

bool SYS_bStatvfs(const char* pszPath, struct statvfs64* pst)
{
    if (__Retry([&] { return ZV_APPEL(Statvfs)(pszPath, pst); }) == 0)
        return true;
    __Record("query the file system of", pszPath);
    return false;
}

char* SYS_pszGetcwd(char* pBuffer, size_t n)
{
    char* psz;
    do
        psz = ZV_APPEL(Getcwd)(pBuffer, n);
    while (!psz && errno == EINTR);
    if (!psz)
        __Record("find the working directory", nullptr);
    return psz;
}

char* SYS_pszRealPath(const char* pszPath, char* pBuffer)
{
    char* psz;
    do
        psz = ZV_APPEL(Realpath)(pszPath, pBuffer);
    while (!psz && errno == EINTR);
    if (!psz)
        __Record("resolve", pszPath);
    return psz;
}

// ---- Directories ---------------------------------------------------------------------------

DIR* SYS_pOpenDir(const char* pszPath)
{
    DIR* p;
    do
        p = ZV_APPEL(OpenDir)(pszPath);
    while (!p && errno == EINTR);
    if (!p)
        __Record("open the directory", pszPath);
    return p;
}

DIR* SYS_pFdOpenDir(int nFd, const char* pszPath)
{
    DIR* p;
    do
        p = ZV_APPEL(FdOpenDir)(nFd);
    while (!p && errno == EINTR);
    if (!p)
        __Record("open the directory", pszPath);
    return p;
}

struct dirent64* SYS_pReadDir(DIR* pDir, const char* pszPath)
{
    struct dirent64* p;
    do {
        errno = 0;
        p = ZV_APPEL(ReadDir)(pDir);
    } while (!p && errno == EINTR);
    if (!p && errno != 0)
        __Record("list", pszPath);
    return p;
}

bool SYS_bCloseDir(DIR* pDir, const char* pszPath)
{
    if (!pDir)
        return true;
    if (ZV_APPEL(CloseDir)(pDir) == 0 || errno == EINTR)
        return true;
    __Record("close the directory", pszPath);
    return false;
}

// ---- Whole small files ---------------------------------------------------------------------

bool SYS_bReadFile(const char* pszPath, void* p, size_t nMax, size_t* pnRead)
{
    if (pnRead)
        *pnRead = 0;
    const int nFd = SYS_nOpen(pszPath, O_RDONLY | O_CLOEXEC);
    if (nFd < 0)
        return false;
    const bool bOk = SYS_bReadAll(nFd, p, nMax, pnRead, pszPath);
    const int nErr = errno;
    SYS_bClose(nFd, pszPath);
    errno = nErr;
    return bOk;
}
