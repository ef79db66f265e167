// CDiskFile: static file-system operations (attributes, directories, copies, searches, walks,
// tree removals, temporary names, disk space and file times).
#include "base/files/CDiskFile.h"

#include "base/strings/CKLBINBase.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

constexpr unsigned kMax = CDiskFile::ZV_MAX_PATH;
constexpr std::size_t kCopyStep = 64 * 1024;
// 100-nanosecond units between 1 January 1601 and 1 January 1970.
constexpr long long kFileTimeUnixEpoch = 116444736000000000LL;

// Takes a caller's name: backslashes become slashes. Null (EINVAL), empty (ENOENT) and names
// longer than the path limit (ENAMETOOLONG) are refused.
bool bTakeName(const char* psz, std::string& s)
{
    if (!psz) {
        errno = EINVAL;
        return false;
    }
    s = psz;
    for (char& c : s)
        if (c == '\\')
            c = '/';
    if (s.empty()) {
        errno = ENOENT;
        return false;
    }
    if (s.size() > kMax) {
        errno = ENAMETOOLONG;
        return false;
    }
    return true;
}

// Copies s with its terminator into a buffer of ZV_MAX_PATH + 1 bytes; false when too long.
bool bCopyOut(char* pszOut, const std::string& s)
{
    if (s.size() > kMax) {
        errno = ENAMETOOLONG;
        return false;
    }
    std::memcpy(pszOut, s.c_str(), s.size() + 1);
    return true;
}

// A descriptor closed on every way out of a scope.
class CFd {
public:
    explicit CFd(int nFd = -1) : m_nFd(nFd) {}
    ~CFd() { Reset(); }
    CFd(const CFd&) = delete;
    CFd& operator=(const CFd&) = delete;
    int nGet() const { return m_nFd; }
    bool bOk() const { return m_nFd >= 0; }
    // Closes now; false when close reports an error (data may not have reached the disk).
    bool bClose()
    {
        const int nFd = m_nFd;
        m_nFd = -1;
        return nFd < 0 || close(nFd) == 0;
    }
    // Closes the descriptor held (errno kept) and holds nFd instead.
    void Reset(int nFd = -1)
    {
        if (m_nFd >= 0) {
            const int nSaved = errno;
            close(m_nFd);
            errno = nSaved;
        }
        m_nFd = nFd;
    }

private:
    int m_nFd;
};

int nOpenRead(const std::string& s)
{
    int nFd;
    do
        nFd = open64(s.c_str(), O_RDONLY | O_CLOEXEC);
    while (nFd < 0 && errno == EINTR);
    return nFd;
}

// Opens s for reading and fills *pst with what it is; -1 (errno set, nothing left open) when
// either fails.
int nOpenReadStat(const std::string& s, struct stat64* pst)
{
    const int nFd = nOpenRead(s);
    if (nFd >= 0 && fstat64(nFd, pst) != 0) {
        const int nSaved = errno;
        close(nFd);
        errno = nSaved;
        return -1;
    }
    return nFd;
}

int nOpenWrite(const std::string& s, int nFlags)
{
    int nFd;
    do
        nFd = open64(s.c_str(), O_WRONLY | O_CLOEXEC | nFlags, 0666);
    while (nFd < 0 && errno == EINTR);
    return nFd;
}

// read that retries on interruption: the count read, 0 at end of file, -1 on error.
ssize_t nReadSome(int nFd, void* p, std::size_t n)
{
    ssize_t r;
    do
        r = read(nFd, p, n);
    while (r < 0 && errno == EINTR);
    return r;
}

// Writes all n bytes, through short writes and interruptions.
bool bWriteAll(int nFd, const void* p, std::size_t n)
{
    const char* pc = static_cast<const char*>(p);
    while (n > 0) {
        const ssize_t r = write(nFd, pc, n);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (r == 0) {
            errno = EIO;
            return false;
        }
        pc += r;
        n -= static_cast<std::size_t>(r);
    }
    return true;
}

// Copies up to oCount bytes (negative: to the end) from nIn's position to nOut's.
bool bCopyFd(int nIn, int nOut, long long oCount)
{
    std::vector<char> buffer(kCopyStep);
    while (oCount != 0) {
        std::size_t nWant = kCopyStep;
        if (oCount > 0 && static_cast<unsigned long long>(oCount) < nWant)
            nWant = static_cast<std::size_t>(oCount);
        const ssize_t r = nReadSome(nIn, buffer.data(), nWant);
        if (r < 0)
            return false;
        if (r == 0)
            break;
        if (!bWriteAll(nOut, buffer.data(), static_cast<std::size_t>(r)))
            return false;
        if (oCount > 0)
            oCount -= r;
    }
    return true;
}

bool bSameFile(const struct stat64& a, const struct stat64& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The last name component, trailing slashes ignored.
std::string sLastComponent(std::string s)
{
    while (s.size() > 1 && s.back() == '/')
        s.pop_back();
    const std::size_t nSlash = s.rfind('/');
    return nSlash == std::string::npos ? s : s.substr(nSlash + 1);
}

unsigned nAttributesOf(const std::string& sName, mode_t nMode)
{
    unsigned n = static_cast<unsigned>(nMode) & 0xE1FFu;
    if (!sName.empty() && sName[0] == '.' && sName != "." && sName != "..")
        n |= CDiskFile::ZV_ATTR_HIDDEN;
    return n;
}

// ---- Dates ---------------------------------------------------------------------------------

bool bLeapYear(unsigned nYear)
{
    return (nYear % 4 == 0 && nYear % 100 != 0) || nYear % 400 == 0;
}

unsigned nDaysInMonth(unsigned nYear, unsigned nMonth)
{
    static const unsigned char anDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return nMonth == 2 && bLeapYear(nYear) ? 29 : anDays[nMonth - 1];
}

bool bValidTime(const _stXFILETIME& st)
{
    return st.wMonth >= 1 && st.wMonth <= 12 && st.wDay >= 1 && st.wDay <= nDaysInMonth(st.wYear, st.wMonth) &&
           st.wHour <= 23 && st.wMinute <= 59 && st.wSecond <= 59 && st.wMilliseconds <= 999;
}

// Local broken-down time of t plus nMillis; false when the year does not fit.
bool bLocalTime(time_t t, unsigned nMillis, _stXFILETIME* pst)
{
    struct tm tmLocal;
    if (!localtime_r(&t, &tmLocal) || tmLocal.tm_year + 1900 < 1 || tmLocal.tm_year + 1900 > 0xFFFF) {
        errno = EOVERFLOW;
        return false;
    }
    pst->wYear = static_cast<uint16_t>(tmLocal.tm_year + 1900);
    pst->wMonth = static_cast<uint16_t>(tmLocal.tm_mon + 1);
    pst->wDay = static_cast<uint16_t>(tmLocal.tm_mday);
    pst->wHour = static_cast<uint16_t>(tmLocal.tm_hour);
    pst->wMinute = static_cast<uint16_t>(tmLocal.tm_min);
    pst->wSecond = static_cast<uint16_t>(tmLocal.tm_sec);
    pst->wMilliseconds = static_cast<uint16_t>(nMillis);
    return true;
}

// ---- Tree removal --------------------------------------------------------------------------

struct DeltreeMode {
    bool bEvenReadOnly;
    bool bForce;
};

std::vector<std::string> vsEntriesAt(int nDirFd, bool& bOk)
{
    std::vector<std::string> vs;
    bOk = false;
    const int nDup = fcntl(nDirFd, F_DUPFD_CLOEXEC, 0);
    if (nDup < 0)
        return vs;
    DIR* pDir = fdopendir(nDup);
    if (!pDir) {
        close(nDup);
        return vs;
    }
    rewinddir(pDir);
    errno = 0;
    while (const dirent* pEnt = readdir(pDir)) {
        if (std::strcmp(pEnt->d_name, ".") != 0 && std::strcmp(pEnt->d_name, "..") != 0)
            vs.emplace_back(pEnt->d_name);
        errno = 0;
    }
    bOk = errno == 0;
    const int nSaved = errno;
    closedir(pDir);
    errno = nSaved;
    return vs;
}

// Adds the owner's read, write and search bits to the directory psz (relative to nDirFd) so
// that it can be emptied. It is reached through an O_PATH descriptor opened with O_NOFOLLOW:
// a link swapped in for it is never followed to a directory outside the tree.
bool bOpenUpAt(int nDirFd, const char* psz)
{
    CFd path(openat64(nDirFd, psz, O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat64 st;
    if (!path.bOk() || fstat64(path.nGet(), &st) != 0)
        return false;
    const std::string sProc = "/proc/self/fd/" + std::to_string(path.nGet());
    return chmod(sProc.c_str(), (st.st_mode & 07777) | S_IRWXU) == 0;
}

// The same for a directory already open.
void OpenUp(int nFd, const struct stat64& st)
{
    if ((st.st_mode & S_IRWXU) != S_IRWXU && fchmod(nFd, (st.st_mode & 07777) | S_IRWXU) != 0) {
        // Left as it is: the removals below report what they cannot do.
    }
}

// Removes everything inside the directory open on nDirFd. Entries are taken relative to that
// descriptor and subdirectories opened with O_NOFOLLOW, so a link is never walked through,
// even one swapped in while the removal runs.
bool bRemoveContentAt(int nDirFd, const DeltreeMode& m)
{
    bool bOk = true;
    bool bListed;
    const std::vector<std::string> vs = vsEntriesAt(nDirFd, bListed);
    if (!bListed)
        return false;
    for (const std::string& sName : vs) {
        const char* psz = sName.c_str();
        struct stat64 st;
        if (fstatat64(nDirFd, psz, &st, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno == ENOENT)
                continue; // gone meanwhile
            bOk = false;
        } else if (S_ISDIR(st.st_mode)) {
            CFd sub(openat64(nDirFd, psz, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
            if (!sub.bOk() && errno == EACCES && m.bForce && bOpenUpAt(nDirFd, psz))
                sub.Reset(openat64(nDirFd, psz, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
            bool bDone = sub.bOk();
            if (bDone && m.bForce)
                OpenUp(sub.nGet(), st);
            if (bDone)
                bDone = bRemoveContentAt(sub.nGet(), m);
            sub.Reset();
            if (bDone || m.bForce)
                bDone = unlinkat(nDirFd, psz, AT_REMOVEDIR) == 0 && bDone;
            bOk = bOk && bDone;
        } else if (S_ISREG(st.st_mode) && (st.st_mode & 0222) == 0 && !m.bEvenReadOnly) {
            errno = EACCES;
            bOk = false;
        } else {
            bOk = unlinkat(nDirFd, psz, 0) == 0 && bOk;
        }
        if (!bOk && !m.bForce)
            return false;
    }
    return bOk;
}

// ---- Walks ---------------------------------------------------------------------------------

enum class EWalk { eFiles, eFilesAndDirectories, eDirectories };

struct WalkEntry {
    std::string sName;
    bool bDirectory; // what the entry names (a link: its target)
    bool bRealDirectory; // a directory itself, not a link to one: walked into
};

bool bWalk(const std::string& sDir, const std::string& sPattern, CDiskFile::PFNDOONTREE pfn, long lParam,
           EWalk eWhat, bool bRecursive, bool bRoot)
{
    DIR* pDir = opendir(sDir.c_str());
    if (!pDir)
        return !bRoot && errno == ENOENT; // a subdirectory removed by a callback
    std::vector<WalkEntry> v;
    errno = 0;
    while (const dirent* pEnt = readdir(pDir)) {
        if (std::strcmp(pEnt->d_name, ".") == 0 || std::strcmp(pEnt->d_name, "..") == 0) {
            errno = 0;
            continue;
        }
        struct stat64 stLink, stTarget;
        if (fstatat64(dirfd(pDir), pEnt->d_name, &stLink, AT_SYMLINK_NOFOLLOW) == 0) {
            const bool bReal = S_ISDIR(stLink.st_mode);
            const bool bDir = bReal || (S_ISLNK(stLink.st_mode) &&
                                        fstatat64(dirfd(pDir), pEnt->d_name, &stTarget, 0) == 0 &&
                                        S_ISDIR(stTarget.st_mode));
            v.push_back(WalkEntry{pEnt->d_name, bDir, bReal});
        }
        errno = 0;
    }
    const int nReadErr = errno;
    closedir(pDir);
    if (nReadErr != 0) {
        errno = nReadErr;
        return false;
    }
    for (const WalkEntry& e : v) {
        const bool bWanted = e.bDirectory ? eWhat != EWalk::eFiles : eWhat != EWalk::eDirectories;
        if (!bWanted || !CDiskFile::_bFiltreFileName(e.sName.c_str(), sPattern.c_str()))
            continue;
        const std::string sPath = sDir + e.sName;
        if (sPath.size() > kMax) {
            errno = ENAMETOOLONG;
            return false;
        }
        if (pfn(sPath.c_str(), lParam) == 0)
            return false;
    }
    if (bRecursive)
        for (const WalkEntry& e : v)
            if (e.bRealDirectory &&
                !bWalk(sDir + e.sName + "/", sPattern, pfn, lParam, eWhat, bRecursive, false))
                return false;
    return true;
}

bool bStartWalk(const char* pszDir, const char* pszPattern, CDiskFile::PFNDOONTREE pfn, long lParam, EWalk eWhat,
                bool bRecursive)
{
    std::string sDir;
    if (!bTakeName(pszDir, sDir))
        return false;
    if (!pfn) {
        errno = EINVAL;
        return false;
    }
    if (sDir.back() != '/')
        sDir += '/';
    std::string sPattern = pszPattern ? pszPattern : "*";
    return bWalk(sDir, sPattern, pfn, lParam, eWhat, bRecursive, true);
}

// The directory of temporary files without its final slash, as tempnam picks it with no
// directory given: TMPDIR when it names a directory, else the system's, else /tmp.
bool bTempDirectory(std::string& sDir)
{
    auto bIsDir = [](const char* psz) {
        struct stat64 st;
        return psz && *psz && stat64(psz, &st) == 0 && S_ISDIR(st.st_mode);
    };
    const char* pszEnv = secure_getenv("TMPDIR");
    if (bIsDir(pszEnv))
        sDir = pszEnv;
    else if (bIsDir(P_tmpdir))
        sDir = P_tmpdir;
    else if (bIsDir("/tmp"))
        sDir = "/tmp";
    else {
        errno = ENOENT;
        return false;
    }
    while (sDir.size() > 1 && sDir.back() == '/')
        sDir.pop_back();
    return true;
}

} // namespace

// ---- Tests and attributes ------------------------------------------------------------------

bool CDiskFile::bGetFileStatus(const char* pszName, struct stat* pstStat)
{
    std::string s;
    if (!bTakeName(pszName, s))
        return false;
    if (!pstStat) {
        errno = EINVAL;
        return false;
    }
    return stat(s.c_str(), pstStat) == 0;
}

long long CDiskFile::oGetSize(const char* pszName)
{
    std::string s;
    struct stat64 st;
    if (!bTakeName(pszName, s) || stat64(s.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return -1;
    return static_cast<long long>(st.st_size);
}

bool CDiskFile::bGetFileAttributes(int* pnAttributes, const char* pszName)
{
    std::string s;
    struct stat64 st;
    if (!bTakeName(pszName, s) || stat64(s.c_str(), &st) != 0)
        return false;
    if (pnAttributes)
        *pnAttributes = static_cast<int>(nAttributesOf(sLastComponent(s), st.st_mode));
    return true;
}

bool CDiskFile::bSetFileAttributes(const char* pszName, int nAttributes)
{
    std::string s;
    struct stat64 st;
    if (!bTakeName(pszName, s) || stat64(s.c_str(), &st) != 0)
        return false;
    const bool bReadOnly = (nAttributes | 1) == -1;
    // A directory without its search bits could no longer be entered.
    const mode_t nMode = S_ISDIR(st.st_mode) ? (bReadOnly ? 0555 : 0777) : (bReadOnly ? 0444 : 0666);
    return chmod(s.c_str(), nMode) == 0;
}

bool CDiskFile::bGetLastModificationTime(const char* pszName, _stXFILETIME* pstTime)
{
    std::string s;
    struct stat64 st;
    if (!bTakeName(pszName, s) || stat64(s.c_str(), &st) != 0)
        return false;
    if (!pstTime) {
        errno = EINVAL;
        return false;
    }
    return bLocalTime(st.st_mtim.tv_sec, static_cast<unsigned>(st.st_mtim.tv_nsec / 1000000), pstTime);
}

// ---- Directories ---------------------------------------------------------------------------

bool CDiskFile::bCreateDirectory(const char* pszName)
{
    std::string s;
    if (!bTakeName(pszName, s))
        return false;
    // Each level in turn; one that exists already (as anything) is left to the final test.
    for (std::size_t nPos = s.find('/', 1); nPos != std::string::npos; nPos = s.find('/', nPos + 1))
        if (s[nPos - 1] != '/')
            mkdir(s.substr(0, nPos).c_str(), 0777);
    if (mkdir(s.c_str(), 0777) == 0)
        return true;
    const int nErr = errno;
    struct stat64 st;
    if (stat64(s.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        return true;
    errno = nErr == EEXIST ? ENOTDIR : nErr;
    return false;
}

bool CDiskFile::bDeleteDirectory(const char* pszName)
{
    std::string s;
    return bTakeName(pszName, s) && rmdir(s.c_str()) == 0;
}

bool CDiskFile::bGetTempDirectory(char* pszOut)
{
    std::string s;
    if (!pszOut) {
        errno = EINVAL;
        return false;
    }
    if (!bTempDirectory(s))
        return false;
    if (s != "/")
        s += '/';
    return bCopyOut(pszOut, s);
}

bool CDiskFile::_bDeltree(const char* pszDir, bool bKeepRoot, bool bEvenReadOnly, bool bForce)
{
    std::string s;
    if (!bTakeName(pszDir, s))
        return false;
    while (s.size() > 1 && s.back() == '/')
        s.pop_back();
    struct stat64 st;
    if (lstat64(s.c_str(), &st) != 0)
        return false;
    char szReal[PATH_MAX];
    if (S_ISDIR(st.st_mode) && realpath(s.c_str(), szReal) && std::strcmp(szReal, "/") == 0) {
        errno = EPERM;
        return false;
    }
    if (S_ISLNK(st.st_mode)) {
        // The tree named is the link itself: its target lies outside it.
        if (bKeepRoot) {
            errno = ENOTDIR;
            return false;
        }
        return unlink(s.c_str()) == 0;
    }
    if (!S_ISDIR(st.st_mode)) {
        errno = ENOTDIR;
        return false;
    }
    const DeltreeMode m = {bEvenReadOnly || bForce, bForce};
    CFd dir(open64(s.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!dir.bOk() && errno == EACCES && bForce && bOpenUpAt(AT_FDCWD, s.c_str()))
        dir.Reset(open64(s.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!dir.bOk())
        return false;
    if (bForce)
        OpenUp(dir.nGet(), st);
    const bool bEmptied = bRemoveContentAt(dir.nGet(), m);
    dir.Reset();
    if (!bEmptied)
        return false;
    return bKeepRoot || rmdir(s.c_str()) == 0;
}

bool CDiskFile::bDeleteTree(const char* pszDir)
{
    return _bDeltree(pszDir, false, false, false);
}

bool CDiskFile::bDeleteTreeEvenReadOnly(const char* pszDir)
{
    return _bDeltree(pszDir, false, true, false);
}

bool CDiskFile::bForceDeleteTree(const char* pszDir)
{
    return _bDeltree(pszDir, false, true, true);
}

bool CDiskFile::bPurgeTree(const char* pszDir)
{
    return _bDeltree(pszDir, true, false, false);
}

bool CDiskFile::bForcePurgeTree(const char* pszDir)
{
    return _bDeltree(pszDir, true, true, true);
}

int CDiskFile::__bForceDeleteOnTree(const char* pszPath, long)
{
    return bForceDelete(pszPath) ? 1 : 0;
}

bool CDiskFile::bForceDeleteOnFileTree(const char* pszDir, const char* pszPattern, bool bRecursive)
{
    return bDoOnFileTree(pszDir, pszPattern, __bForceDeleteOnTree, 0, false, bRecursive);
}

// ---- Files ---------------------------------------------------------------------------------

bool CDiskFile::bDelete(const char* pszName)
{
    std::string s;
    return bTakeName(pszName, s) && unlink(s.c_str()) == 0;
}

bool CDiskFile::bForceDelete(const char* pszName)
{
    // unlink does not look at the file's own permission bits: read-only files go as well.
    return bDelete(pszName);
}

bool CDiskFile::bRename(const char* pszNewName, const char* pszOldName)
{
    std::string sNew, sOld;
    if (!bTakeName(pszNewName, sNew) || !bTakeName(pszOldName, sOld))
        return false;
    if (renameat2(AT_FDCWD, sOld.c_str(), AT_FDCWD, sNew.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return false;
    // File systems without the no-replace rename: test, then rename.
    struct stat64 st;
    if (lstat64(sNew.c_str(), &st) == 0) {
        errno = EEXIST;
        return false;
    }
    return rename(sOld.c_str(), sNew.c_str()) == 0;
}

bool CDiskFile::bMove(const char* pszDestination, const char* pszSource)
{
    std::string sDst, sSrc;
    if (!bTakeName(pszDestination, sDst) || !bTakeName(pszSource, sSrc))
        return false;
    if (bSameFileName(sDst.c_str(), sSrc.c_str()))
        return true;
    struct stat64 stSrc, stDst;
    if (lstat64(sSrc.c_str(), &stSrc) != 0)
        return false; // nothing to move: the destination stays as it is
    if (lstat64(sDst.c_str(), &stDst) == 0) {
        if (bSameFile(stSrc, stDst)) {
            // Two spellings of one entry ("a" and "./a"), or two hard links of one file.
            char szDst[PATH_MAX], szSrc[PATH_MAX];
            const std::string sDstDir = sDst.substr(0, sDst.rfind('/') + 1);
            const std::string sSrcDir = sSrc.substr(0, sSrc.rfind('/') + 1);
            if (realpath(sDstDir.empty() ? "." : sDstDir.c_str(), szDst) &&
                realpath(sSrcDir.empty() ? "." : sSrcDir.c_str(), szSrc) && std::strcmp(szDst, szSrc) == 0 &&
                sLastComponent(sDst) == sLastComponent(sSrc))
                return true;
        }
        if (!S_ISDIR(stDst.st_mode))
            // rename replaces the destination in one step: on failure both stay as they were.
            return rename(sSrc.c_str(), sDst.c_str()) == 0;
    }
    return bRename(sDst.c_str(), sSrc.c_str());
}

bool CDiskFile::bCopy(const char* pszDestination, const char* pszSource)
{
    std::string sDst, sSrc;
    if (!bTakeName(pszDestination, sDst) || !bTakeName(pszSource, sSrc))
        return false;
    struct stat64 stSrc, stDst;
    CFd in(nOpenReadStat(sSrc, &stSrc));
    if (!in.bOk())
        return false;
    if (stat64(sDst.c_str(), &stDst) == 0 && bSameFile(stSrc, stDst)) {
        errno = EINVAL; // emptying the destination would destroy the source
        return false;
    }
    // The first block is read before the destination is touched.
    std::vector<char> buffer(kCopyStep);
    const ssize_t nFirst = nReadSome(in.nGet(), buffer.data(), buffer.size());
    if (nFirst < 0)
        return false;
    CFd out(nOpenWrite(sDst, O_CREAT | O_TRUNC));
    if (!out.bOk())
        return false;
    if (!bWriteAll(out.nGet(), buffer.data(), static_cast<std::size_t>(nFirst)))
        return false;
    if (nFirst > 0 && !bCopyFd(in.nGet(), out.nGet(), -1))
        return false;
    return out.bClose();
}

bool CDiskFile::bConcat(const char* pszDestination, const char* pszSource)
{
    std::string sDst, sSrc;
    if (!bTakeName(pszDestination, sDst) || !bTakeName(pszSource, sSrc))
        return false;
    struct stat64 stSrc, stDst;
    CFd in(nOpenReadStat(sSrc, &stSrc));
    if (!in.bOk())
        return false;
    bool bCreated = false;
    CFd out(nOpenWrite(sDst, 0));
    if (!out.bOk() && errno == ENOENT) {
        out.Reset(nOpenWrite(sDst, O_CREAT | O_EXCL));
        bCreated = out.bOk();
    }
    if (!out.bOk() || fstat64(out.nGet(), &stDst) != 0)
        return false;
    const off64_t oFormer = lseek64(out.nGet(), 0, SEEK_END);
    if (oFormer < 0)
        return false;
    // Only what the source holds now: a source that is the destination, or that grows while
    // it is read, does not make the copy run on.
    const long long oCount = S_ISREG(stSrc.st_mode) ? static_cast<long long>(stSrc.st_size) : -1;
    const bool bCopied = bCopyFd(in.nGet(), out.nGet(), oCount);
    const int nCopyErr = errno;
    if (bCopied && out.bClose())
        return true;
    const int nErr = bCopied ? errno : nCopyErr;
    if (bCreated) {
        out.Reset();
        unlink(sDst.c_str());
    } else {
        if (!out.bOk())
            out.Reset(nOpenWrite(sDst, 0));
        if (out.bOk() && ftruncate64(out.nGet(), oFormer) != 0) {
            // Nothing more can be done: the copy's own failure is the one reported.
        }
        out.Reset();
    }
    errno = nErr;
    return false;
}

bool CDiskFile::bChargeFichier(CKLBINBase& clValeur, const char* pszName)
{
    std::string sName;
    if (!bTakeName(pszName, sName))
        return false;
    struct stat64 st;
    CFd in(nOpenReadStat(sName, &st));
    if (!in.bOk())
        return false;
    if (!S_ISREG(st.st_mode)) {
        errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        return false;
    }
    if (static_cast<unsigned long long>(st.st_size) > STRMEM_TAILLE_MAX) {
        errno = EFBIG;
        return false;
    }
    // Read into a value of its own, so that a failure leaves the caller's untouched.
    CKLBINBase clLu;
    const unsigned nTaille = static_cast<unsigned>(st.st_size);
    if (clLu.nSetSize(nTaille) != eSTRMEM_OK) {
        errno = ENOMEM;
        return false;
    }
    char* p = const_cast<char*>(static_cast<const char*>(clLu.pGetData()));
    unsigned nLu = 0;
    while (nLu < nTaille) {
        const ssize_t r = nReadSome(in.nGet(), p + nLu, nTaille - nLu);
        if (r < 0)
            return false;
        if (r == 0)
            break; // the file shrank since fstat: what it holds now is the whole file
        nLu += static_cast<unsigned>(r);
    }
    if (nLu < nTaille && clLu.Tronque(long(nLu)) != eSTRMEM_OK) {
        errno = ENOMEM;
        return false;
    }
    clValeur.Take(clLu);
    return true;
}

bool CDiskFile::bGetTempName(char* pszOut, const char* pszDir, const char* pszPrefix)
{
    if (!pszOut) {
        errno = EINVAL;
        return false;
    }
    std::string sDir;
    if (!pszDir || !*pszDir) {
        char szTemp[kMax + 1];
        if (!bGetTempDirectory(szTemp) || !bCreateDirectory(szTemp))
            return false;
        sDir = szTemp;
    } else if (!bTakeName(pszDir, sDir)) {
        return false;
    }
    if (sDir.back() != '/')
        sDir += '/';
    std::string sName = sDir + (pszPrefix ? pszPrefix : "") + "XXXXXX";
    for (char& c : sName)
        if (c == '\\')
            c = '/';
    if (sName.size() > kMax) {
        errno = ENAMETOOLONG;
        return false;
    }
    const int nFd = mkostemp(&sName[0], O_CLOEXEC);
    if (nFd < 0)
        return false;
    close(nFd);
    return bCopyOut(pszOut, sName);
}

bool CDiskFile::bGetTempName(char* pszOut, const char* pszPrefix)
{
    return bGetTempName(pszOut, nullptr, pszPrefix);
}

bool CDiskFile::bExtract(const char* pszSource, const char* pszDestination, long long oStart, long long oCount)
{
    std::string sSrc, sDst;
    if (!bTakeName(pszSource, sSrc) || !bTakeName(pszDestination, sDst))
        return false;
    if (oStart < 0) {
        errno = EINVAL;
        return false;
    }
    struct stat64 stSrc, stDst;
    CFd in(nOpenReadStat(sSrc, &stSrc));
    if (!in.bOk())
        return false;
    if (stat64(sDst.c_str(), &stDst) == 0 && bSameFile(stSrc, stDst)) {
        errno = EINVAL;
        return false;
    }
    if (lseek64(in.nGet(), oStart, SEEK_SET) < 0)
        return false;
    CFd out(nOpenWrite(sDst, O_CREAT | O_TRUNC));
    if (!out.bOk())
        return false;
    if (bCopyFd(in.nGet(), out.nGet(), oCount) && out.bClose())
        return true;
    const int nErr = errno;
    out.Reset();
    unlink(sDst.c_str());
    errno = nErr;
    return false;
}

bool CDiskFile::bGetDiskSpace(const char* pszName, unsigned long long* pnTotal, unsigned long long* pnFree)
{
    std::string s = ".";
    if (pszName && !bTakeName(pszName, s))
        return false;
    struct statvfs64 st;
    if (statvfs64(s.c_str(), &st) != 0)
        return false;
    const unsigned long long nUnit = st.f_frsize ? st.f_frsize : st.f_bsize;
    if (pnTotal)
        *pnTotal = static_cast<unsigned long long>(st.f_blocks) * nUnit / 1024;
    if (pnFree)
        *pnFree = static_cast<unsigned long long>(st.f_bavail) * nUnit / 1024;
    return true;
}

bool CDiskFile::bGetDiskFreeSpace(const char* pszName, unsigned long long* pnFree)
{
    return bGetDiskSpace(pszName, nullptr, pnFree);
}

// ---- Searches and walks --------------------------------------------------------------------

bool CDiskFile::bFindFirst(const char* pszPattern, _stXFINDDATA* pstFind, unsigned nRequired, unsigned nExcluded)
{
    std::string s;
    if (!pstFind) {
        errno = EINVAL;
        return false;
    }
    pstFind->pDir = nullptr;
    if (!bTakeName(pszPattern, s))
        return false;
    const std::size_t nSlash = s.rfind('/');
    const std::string sDir = nSlash == std::string::npos ? std::string("./") : s.substr(0, nSlash + 1);
    const std::string sName = nSlash == std::string::npos ? s : s.substr(nSlash + 1);
    std::memcpy(pstFind->szDirectory, sDir.c_str(), sDir.size() + 1);
    std::memcpy(pstFind->szPattern, sName.c_str(), sName.size() + 1);
    pstFind->dwRequired = nRequired;
    pstFind->dwExcluded = nExcluded;
    pstFind->szName[0] = '\0';
    pstFind->pDir = opendir(sDir.c_str());
    if (!pstFind->pDir)
        return false;
    return bFindNext(pstFind);
}

bool CDiskFile::bFindNext(_stXFINDDATA* pstFind)
{
    if (!pstFind || !pstFind->pDir) {
        errno = EINVAL;
        return false;
    }
    errno = 0;
    while (const dirent* pEnt = readdir(pstFind->pDir)) {
        struct stat64 st;
        const std::size_t nLen = std::strlen(pEnt->d_name);
        if (nLen >= sizeof pstFind->szName || fstatat64(dirfd(pstFind->pDir), pEnt->d_name, &st, 0) != 0) {
            errno = 0;
            continue;
        }
        const unsigned nAttributes = nAttributesOf(pEnt->d_name, st.st_mode);
        if (_bFindGoodFile(pEnt->d_name, nAttributes, pstFind)) {
            std::memcpy(pstFind->szName, pEnt->d_name, nLen + 1);
            pstFind->dwReserved = 0;
            pstFind->dwAttributes = nAttributes;
            pstFind->oSize = static_cast<uint64_t>(st.st_size);
            return true;
        }
        errno = 0;
    }
    const int nErr = errno ? errno : ENOENT;
    bFindClose(pstFind);
    errno = nErr;
    return false;
}

bool CDiskFile::bFindClose(_stXFINDDATA* pstFind)
{
    if (!pstFind)
        return false;
    if (pstFind->pDir)
        closedir(pstFind->pDir);
    pstFind->pDir = nullptr;
    return true;
}

bool CDiskFile::bDoOnFileTree(const char* pszDir, const char* pszPattern, PFNDOONTREE pfn, long lParam,
                              int bWithDirectories, int bRecursive)
{
    return bStartWalk(pszDir, pszPattern, pfn, lParam,
                      bWithDirectories ? EWalk::eFilesAndDirectories : EWalk::eFiles, bRecursive != 0);
}

bool CDiskFile::bDoOnDirectoryTree(const char* pszDir, const char* pszPattern, PFNDOONTREE pfn, long lParam,
                                   int bRecursive)
{
    return bStartWalk(pszDir, pszPattern, pfn, lParam, EWalk::eDirectories, bRecursive != 0);
}

// ---- Times ---------------------------------------------------------------------------------

bool CDiskFile::bFileTimeToSystemTime(const FILETIME* pstFileTime, _stXFILETIME* pstTime)
{
    if (!pstFileTime || !pstTime) {
        errno = EINVAL;
        return false;
    }
    const unsigned long long nFt =
        static_cast<unsigned long long>(pstFileTime->dwHighDateTime) << 32 | pstFileTime->dwLowDateTime;
    if (nFt > static_cast<unsigned long long>(LLONG_MAX)) {
        errno = EOVERFLOW;
        return false;
    }
    // Units since 1970, floored to whole seconds also before 1970.
    const long long nUnits = static_cast<long long>(nFt) - kFileTimeUnixEpoch;
    long long nSec = nUnits / 10000000;
    long long nRem = nUnits % 10000000;
    if (nRem < 0) {
        nRem += 10000000;
        --nSec;
    }
    const time_t t = static_cast<time_t>(nSec);
    if (static_cast<long long>(t) != nSec) {
        errno = EOVERFLOW;
        return false;
    }
    return bLocalTime(t, static_cast<unsigned>(nRem / 10000), pstTime);
}

bool CDiskFile::bSystemTimeToFileTime(const _stXFILETIME* pstTime, FILETIME* pstFileTime)
{
    if (!pstTime || !pstFileTime || !bValidTime(*pstTime) || pstTime->wYear < 1601) {
        errno = EINVAL;
        return false;
    }
    struct tm tmLocal = {};
    tmLocal.tm_year = pstTime->wYear - 1900;
    tmLocal.tm_mon = pstTime->wMonth - 1;
    tmLocal.tm_mday = pstTime->wDay;
    tmLocal.tm_hour = pstTime->wHour;
    tmLocal.tm_min = pstTime->wMinute;
    tmLocal.tm_sec = pstTime->wSecond;
    tmLocal.tm_isdst = -1;
    tmLocal.tm_wday = -1; // mktime sets it on success: -1 is also a valid time
    const time_t t = mktime(&tmLocal);
    if (t == static_cast<time_t>(-1) && tmLocal.tm_wday == -1) {
        errno = EOVERFLOW;
        return false;
    }
    const long long nFt = static_cast<long long>(t) * 10000000 + pstTime->wMilliseconds * 10000LL + kFileTimeUnixEpoch;
    if (nFt < 0) {
        errno = EINVAL;
        return false;
    }
    pstFileTime->dwLowDateTime = static_cast<uint32_t>(nFt);
    pstFileTime->dwHighDateTime = static_cast<uint32_t>(static_cast<unsigned long long>(nFt) >> 32);
    return true;
}

bool CDiskFile::bSystemTimeToDosFileTime(const _stXFILETIME* pstTime, unsigned* pdwDos)
{
    if (!pstTime || !pdwDos || !bValidTime(*pstTime) || pstTime->wYear < 1980 || pstTime->wYear > 2107) {
        errno = EINVAL;
        return false;
    }
    const unsigned nDate = static_cast<unsigned>(pstTime->wYear - 1980) << 9 | pstTime->wMonth << 5 | pstTime->wDay;
    const unsigned nTime = static_cast<unsigned>(pstTime->wHour) << 11 | pstTime->wMinute << 5 | pstTime->wSecond / 2;
    *pdwDos = nDate << 16 | nTime;
    return true;
}

bool CDiskFile::bDosFileTimeToSystemTime(unsigned dwDos, _stXFILETIME* pstTime)
{
    if (!pstTime) {
        errno = EINVAL;
        return false;
    }
    pstTime->wYear = static_cast<uint16_t>(1980 + (dwDos >> 25));
    pstTime->wMonth = static_cast<uint16_t>((dwDos >> 21) & 0x0F);
    pstTime->wDay = static_cast<uint16_t>((dwDos >> 16) & 0x1F);
    pstTime->wHour = static_cast<uint16_t>((dwDos >> 11) & 0x1F);
    pstTime->wMinute = static_cast<uint16_t>((dwDos >> 5) & 0x3F);
    pstTime->wSecond = static_cast<uint16_t>((dwDos & 0x1F) * 2);
    pstTime->wMilliseconds = 0;
    if (!bValidTime(*pstTime)) {
        errno = EINVAL;
        return false;
    }
    return true;
}
