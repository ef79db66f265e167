// CDiskFile: static file-system operations (attributes, directories, copies, searches, walks,
// tree removals, temporary names, disk space and file times).
#include "base/files/CDiskFile.h"

#include "base/datetime/Calendrier.h"
#include "base/files/CRemplacementAtomique.h"
#include "base/strings/CKLBINBase.h"
#include "base/system/AppelsSysteme.h"
#include "base/system/TimeServices.h"

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

// Directory reads and stat on any file system and file size: 64-bit inode numbers, directory
// offsets and sizes (the build gives a 32-bit ABI _FILE_OFFSET_BITS=64).
static_assert(sizeof(ino_t) == 8 && sizeof(off_t) == 8, "64-bit inode numbers and file offsets");
static_assert(sizeof(time_t) == 8, "file times after January 2038");

namespace {

constexpr unsigned kMax = CDiskFile::ZV_MAX_PATH;
constexpr std::size_t kCopyStep = 64 * 1024;
// 100-nanosecond units between 1 January 1601 and 1 January 1970.
constexpr long long kFileTimeUnixEpoch = gnSecondes1601A1970 * static_cast<long long>(gnUnitesFileTimeParSeconde);

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
    explicit CFd(int nFd = -1, const char* pszPath = nullptr) : m_nFd(nFd), m_pszPath(pszPath) {}
    ~CFd() { Reset(); }
    CFd(const CFd&) = delete;
    CFd& operator=(const CFd&) = delete;
    int nGet() const { return m_nFd; }
    bool bOk() const { return m_nFd >= 0; }
    // Gives the descriptor up to the caller, open.
    void Release() { m_nFd = -1; }
    // Closes now; false when close reports an error (data may not have reached the disk).
    bool bClose()
    {
        const int nFd = m_nFd;
        m_nFd = -1;
        return SYS_bClose(nFd, m_pszPath);
    }
    // Closes the descriptor held (errno kept) and holds nFd instead.
    void Reset(int nFd = -1)
    {
        if (m_nFd >= 0) {
            const int nSaved = errno;
            SYS_bClose(m_nFd, m_pszPath);
            errno = nSaved;
        }
        m_nFd = nFd;
    }

private:
    int m_nFd;
    const char* m_pszPath; // for the failure record; the caller's, outlives the object
};

int nOpenRead(const std::string& s)
{
    return SYS_nOpen(s.c_str(), O_RDONLY | O_CLOEXEC);
}

// Opens s for reading and fills *pst with what it is; -1 (errno set, nothing left open) when
// either fails.
int nOpenReadStat(const std::string& s, struct stat64* pst)
{
    CFd in(nOpenRead(s), s.c_str());
    if (!in.bOk() || !SYS_bFstat(in.nGet(), pst, s.c_str()))
        return -1;
    const int nFd = in.nGet();
    in.Release();
    return nFd;
}

// Copies up to oCount bytes (negative: to the end) from nIn's position to nOut's.
bool bCopyFd(int nIn, const char* pszIn, int nOut, const char* pszOut, long long oCount)
{
    std::vector<char> buffer(kCopyStep);
    while (oCount != 0) {
        std::size_t nWant = kCopyStep;
        if (oCount > 0 && static_cast<unsigned long long>(oCount) < nWant)
            nWant = static_cast<std::size_t>(oCount);
        const ssize_t r = SYS_nReadSome(nIn, buffer.data(), nWant, pszIn);
        if (r < 0)
            return false;
        if (r == 0)
            break;
        if (!SYS_bWriteAll(nOut, buffer.data(), static_cast<std::size_t>(r), nullptr, pszOut))
            return false;
        if (oCount > 0)
            oCount -= r;
    }
    return true;
}

// The 64-bit record as the caller's struct stat; EOVERFLOW when a value does not fit it, as
// stat itself reports (the two records are alike in the x86-64 build and with 64-bit offsets).
bool bToStat(const struct stat64& st64, struct stat* pst)
{
    struct stat st;
    std::memset(&st, 0, sizeof st);
    st.st_dev = st64.st_dev;
    st.st_ino = static_cast<decltype(st.st_ino)>(st64.st_ino);
    st.st_mode = st64.st_mode;
    st.st_nlink = st64.st_nlink;
    st.st_uid = st64.st_uid;
    st.st_gid = st64.st_gid;
    st.st_rdev = st64.st_rdev;
    st.st_size = static_cast<decltype(st.st_size)>(st64.st_size);
    st.st_blksize = st64.st_blksize;
    st.st_blocks = static_cast<decltype(st.st_blocks)>(st64.st_blocks);
    st.st_atim = st64.st_atim;
    st.st_mtim = st64.st_mtim;
    st.st_ctim = st64.st_ctim;
    if (static_cast<decltype(st64.st_ino)>(st.st_ino) != st64.st_ino ||
        static_cast<decltype(st64.st_size)>(st.st_size) != st64.st_size ||
        static_cast<decltype(st64.st_blocks)>(st.st_blocks) != st64.st_blocks) {
        errno = EOVERFLOW;
        return false;
    }
    *pst = st;
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

bool bValidTime(const _stXFILETIME& st)
{
    return CAL_bDateValide(st.wYear, st.wMonth, st.wDay) &&
           CAL_bHeureValide(st.wHour, st.wMinute, st.wSecond, st.wMilliseconds);
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
    const int nDup = SYS_nFcntl(nDirFd, F_DUPFD_CLOEXEC, 0);
    if (nDup < 0)
        return vs;
    DIR* pDir = SYS_pFdOpenDir(nDup);
    if (!pDir) {
        SYS_bClose(nDup);
        return vs;
    }
    rewinddir(pDir);
    while (const dirent64* pEnt = SYS_pReadDir(pDir))
        if (std::strcmp(pEnt->d_name, ".") != 0 && std::strcmp(pEnt->d_name, "..") != 0)
            vs.emplace_back(pEnt->d_name);
    bOk = errno == 0;
    const int nSaved = errno;
    SYS_bCloseDir(pDir);
    errno = nSaved;
    return vs;
}

// Adds the owner's read, write and search bits to the directory psz (relative to nDirFd) so
// that it can be emptied. It is reached through an O_PATH descriptor opened with O_NOFOLLOW:
// a link swapped in for it is never followed to a directory outside the tree.
bool bOpenUpAt(int nDirFd, const char* psz)
{
    CFd path(SYS_nOpenAt(nDirFd, psz, O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC), psz);
    struct stat64 st;
    if (!path.bOk() || !SYS_bFstat(path.nGet(), &st, psz))
        return false;
    const std::string sProc = "/proc/self/fd/" + std::to_string(path.nGet());
    return SYS_bChmod(sProc.c_str(), (st.st_mode & 07777) | S_IRWXU);
}

// The same for a directory already open.
void OpenUp(int nFd, const struct stat64& st)
{
    if ((st.st_mode & S_IRWXU) != S_IRWXU && !SYS_bFchmod(nFd, (st.st_mode & 07777) | S_IRWXU)) {
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
        if (!SYS_bStatAt(nDirFd, psz, &st, AT_SYMLINK_NOFOLLOW)) {
            if (errno == ENOENT)
                continue; // gone meanwhile
            bOk = false;
        } else if (S_ISDIR(st.st_mode)) {
            CFd sub(SYS_nOpenAt(nDirFd, psz, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC), psz);
            if (!sub.bOk() && errno == EACCES && m.bForce && bOpenUpAt(nDirFd, psz))
                sub.Reset(SYS_nOpenAt(nDirFd, psz, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
            bool bDone = sub.bOk();
            if (bDone && m.bForce)
                OpenUp(sub.nGet(), st);
            if (bDone)
                bDone = bRemoveContentAt(sub.nGet(), m);
            sub.Reset();
            if (bDone || m.bForce)
                bDone = SYS_bUnlinkAt(nDirFd, psz, AT_REMOVEDIR) && bDone;
            bOk = bOk && bDone;
        } else if (S_ISREG(st.st_mode) && (st.st_mode & 0222) == 0 && !m.bEvenReadOnly) {
            errno = EACCES;
            bOk = false;
        } else {
            bOk = SYS_bUnlinkAt(nDirFd, psz, 0) && bOk;
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
    DIR* pDir = SYS_pOpenDir(sDir.c_str());
    if (!pDir)
        return !bRoot && errno == ENOENT; // a subdirectory removed by a callback
    std::vector<WalkEntry> v;
    int nReadErr = 0;
    for (;;) {
        const dirent64* pEnt = SYS_pReadDir(pDir, sDir.c_str());
        if (!pEnt) {
            nReadErr = errno;
            break;
        }
        if (std::strcmp(pEnt->d_name, ".") == 0 || std::strcmp(pEnt->d_name, "..") == 0)
            continue;
        struct stat64 stLink, stTarget;
        if (SYS_bStatAt(dirfd(pDir), pEnt->d_name, &stLink, AT_SYMLINK_NOFOLLOW)) {
            const bool bReal = S_ISDIR(stLink.st_mode);
            const bool bDir = bReal || (S_ISLNK(stLink.st_mode) &&
                                        SYS_bStatAt(dirfd(pDir), pEnt->d_name, &stTarget, 0) &&
                                        S_ISDIR(stTarget.st_mode));
            v.push_back(WalkEntry{pEnt->d_name, bDir, bReal});
        }
    }
    SYS_bCloseDir(pDir, sDir.c_str());
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
        return psz && *psz && SYS_bStat(psz, &st) && S_ISDIR(st.st_mode);
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
    struct stat64 st;
    return SYS_bStat(s.c_str(), &st) && bToStat(st, pstStat);
}

long long CDiskFile::oGetSize(const char* pszName)
{
    std::string s;
    struct stat64 st;
    if (!bTakeName(pszName, s) || !SYS_bStat(s.c_str(), &st) || !S_ISREG(st.st_mode))
        return -1;
    return static_cast<long long>(st.st_size);
}

bool CDiskFile::bGetFileAttributes(int* pnAttributes, const char* pszName)
{
    std::string s;
    struct stat64 st;
    if (!bTakeName(pszName, s) || !SYS_bStat(s.c_str(), &st))
        return false;
    if (pnAttributes)
        *pnAttributes = static_cast<int>(nAttributesOf(sLastComponent(s), st.st_mode));
    return true;
}

bool CDiskFile::bSetFileAttributes(const char* pszName, int nAttributes)
{
    std::string s;
    struct stat64 st;
    if (!bTakeName(pszName, s) || !SYS_bStat(s.c_str(), &st))
        return false;
    const bool bReadOnly = (nAttributes | 1) == -1;
    // A directory without its search bits could no longer be entered.
    const mode_t nMode = S_ISDIR(st.st_mode) ? (bReadOnly ? 0555 : 0777) : (bReadOnly ? 0444 : 0666);
    return SYS_bChmod(s.c_str(), nMode);
}

bool CDiskFile::bGetLastModificationTime(const char* pszName, _stXFILETIME* pstTime)
{
    std::string s;
    struct stat64 st;
    if (!bTakeName(pszName, s) || !SYS_bStat(s.c_str(), &st))
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
            SYS_bMkdir(s.substr(0, nPos).c_str(), 0777);
    if (SYS_bMkdir(s.c_str(), 0777))
        return true;
    const int nErr = errno;
    struct stat64 st;
    if (SYS_bStat(s.c_str(), &st) && S_ISDIR(st.st_mode))
        return true;
    errno = nErr == EEXIST ? ENOTDIR : nErr;
    return false;
}

bool CDiskFile::bDeleteDirectory(const char* pszName)
{
    std::string s;
    return bTakeName(pszName, s) && SYS_bRmdir(s.c_str());
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
    if (!SYS_bLstat(s.c_str(), &st))
        return false;
    char szReal[PATH_MAX];
    if (S_ISDIR(st.st_mode) && SYS_pszRealPath(s.c_str(), szReal) && std::strcmp(szReal, "/") == 0) {
        errno = EPERM;
        return false;
    }
    if (S_ISLNK(st.st_mode)) {
        // The tree named is the link itself: its target lies outside it.
        if (bKeepRoot) {
            errno = ENOTDIR;
            return false;
        }
        return SYS_bUnlink(s.c_str());
    }
    if (!S_ISDIR(st.st_mode)) {
        errno = ENOTDIR;
        return false;
    }
    const DeltreeMode m = {bEvenReadOnly || bForce, bForce};
    CFd dir(SYS_nOpen(s.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC), s.c_str());
    if (!dir.bOk() && errno == EACCES && bForce && bOpenUpAt(AT_FDCWD, s.c_str()))
        dir.Reset(SYS_nOpen(s.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!dir.bOk())
        return false;
    if (bForce)
        OpenUp(dir.nGet(), st);
    const bool bEmptied = bRemoveContentAt(dir.nGet(), m);
    dir.Reset();
    if (!bEmptied)
        return false;
    return bKeepRoot || SYS_bRmdir(s.c_str());
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
    return bTakeName(pszName, s) && SYS_bUnlink(s.c_str());
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
    if (SYS_bRenameAt2(AT_FDCWD, sOld.c_str(), AT_FDCWD, sNew.c_str(), RENAME_NOREPLACE))
        return true;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return false;
    // File systems without the no-replace rename: test, then rename.
    struct stat64 st;
    if (SYS_bLstat(sNew.c_str(), &st)) {
        errno = EEXIST;
        SYS_RecordError("rename", sOld.c_str(), EEXIST);
        return false;
    }
    return SYS_bRename(sOld.c_str(), sNew.c_str());
}

bool CDiskFile::bMove(const char* pszDestination, const char* pszSource)
{
    std::string sDst, sSrc;
    if (!bTakeName(pszDestination, sDst) || !bTakeName(pszSource, sSrc))
        return false;
    if (bSameFileName(sDst.c_str(), sSrc.c_str()))
        return true;
    struct stat64 stSrc, stDst;
    if (!SYS_bLstat(sSrc.c_str(), &stSrc))
        return false; // nothing to move: the destination stays as it is
    if (SYS_bLstat(sDst.c_str(), &stDst)) {
        if (bSameFile(stSrc, stDst)) {
            // Two spellings of one entry ("a" and "./a"), or two hard links of one file.
            char szDst[PATH_MAX], szSrc[PATH_MAX];
            const std::string sDstDir = sDst.substr(0, sDst.rfind('/') + 1);
            const std::string sSrcDir = sSrc.substr(0, sSrc.rfind('/') + 1);
            if (SYS_pszRealPath(sDstDir.empty() ? "." : sDstDir.c_str(), szDst) &&
                SYS_pszRealPath(sSrcDir.empty() ? "." : sSrcDir.c_str(), szSrc) && std::strcmp(szDst, szSrc) == 0 &&
                sLastComponent(sDst) == sLastComponent(sSrc))
                return true;
        }
        if (!S_ISDIR(stDst.st_mode))
            // rename replaces the destination in one step: on failure both stay as they were.
            return SYS_bRename(sSrc.c_str(), sDst.c_str());
    }
    return bRename(sDst.c_str(), sSrc.c_str());
}

bool CDiskFile::bCopy(const char* pszDestination, const char* pszSource)
{
    std::string sDst, sSrc;
    if (!bTakeName(pszDestination, sDst) || !bTakeName(pszSource, sSrc))
        return false;
    struct stat64 stSrc, stDst;
    CFd in(nOpenReadStat(sSrc, &stSrc), sSrc.c_str());
    if (!in.bOk())
        return false;
    if (SYS_bStat(sDst.c_str(), &stDst) && bSameFile(stSrc, stDst)) {
        errno = EINVAL; // replacing the destination would destroy the source
        return false;
    }
    // The first block is read before the destination is touched.
    std::vector<char> buffer(kCopyStep);
    const ssize_t nFirst = SYS_nReadSome(in.nGet(), buffer.data(), buffer.size(), sSrc.c_str());
    if (nFirst < 0)
        return false;
    CRemplacementAtomique out;
    if (!out.bOuvre(sDst.c_str(), S_ISREG(stSrc.st_mode) ? static_cast<long long>(stSrc.st_size) : -1))
        return false;
    if (!out.bEcrit(buffer.data(), static_cast<std::size_t>(nFirst)))
        return false;
    if (nFirst > 0 && !bCopyFd(in.nGet(), sSrc.c_str(), out.nGetFd(), out.pszGetEcrit(), -1))
        return false;
    return out.bValide();
}

bool CDiskFile::bConcat(const char* pszDestination, const char* pszSource)
{
    std::string sDst, sSrc;
    if (!bTakeName(pszDestination, sDst) || !bTakeName(pszSource, sSrc))
        return false;
    struct stat64 stSrc, stDst;
    CFd in(nOpenReadStat(sSrc, &stSrc), sSrc.c_str());
    if (!in.bOk())
        return false;
    const char* pszDst = sDst.c_str();
    bool bCreated = false;
    CFd out(SYS_nOpen(pszDst, O_WRONLY | O_CLOEXEC), pszDst);
    if (!out.bOk() && errno == ENOENT) {
        out.Reset(SYS_nOpen(pszDst, O_WRONLY | O_CLOEXEC | O_CREAT | O_EXCL, 0666));
        bCreated = out.bOk();
    }
    if (!out.bOk() || !SYS_bFstat(out.nGet(), &stDst, pszDst))
        return false;
    const off64_t oFormer = SYS_oSeek(out.nGet(), 0, SEEK_END, pszDst);
    if (oFormer < 0)
        return false;
    // Only what the source holds now: a source that is the destination, or that grows while
    // it is read, does not make the copy run on.
    const long long oCount = S_ISREG(stSrc.st_mode) ? static_cast<long long>(stSrc.st_size) : -1;
    const bool bCopied = bCopyFd(in.nGet(), sSrc.c_str(), out.nGet(), pszDst, oCount);
    const int nCopyErr = errno;
    if (bCopied && out.bClose())
        return true;
    const int nErr = bCopied ? errno : nCopyErr;
    if (bCreated) {
        out.Reset();
        SYS_bUnlink(pszDst);
    } else {
        if (!out.bOk())
            out.Reset(SYS_nOpen(pszDst, O_WRONLY | O_CLOEXEC));
        if (out.bOk() && !SYS_bTruncate(out.nGet(), oFormer, pszDst)) {
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
    CFd in(nOpenReadStat(sName, &st), sName.c_str());
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
    // A file that shrank since fstat ends the reading early: what it holds now is the whole file.
    std::size_t nLu = 0;
    if (!SYS_bReadAll(in.nGet(), p, nTaille, &nLu, sName.c_str()))
        return false;
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
    const int nFd = SYS_nCreateUnique(&sName[0], O_RDWR | O_CLOEXEC, 0600);
    if (nFd < 0)
        return false;
    SYS_bClose(nFd, sName.c_str());
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
    CFd in(nOpenReadStat(sSrc, &stSrc), sSrc.c_str());
    if (!in.bOk())
        return false;
    if (SYS_bStat(sDst.c_str(), &stDst) && bSameFile(stSrc, stDst)) {
        errno = EINVAL;
        return false;
    }
    if (SYS_oSeek(in.nGet(), oStart, SEEK_SET, sSrc.c_str()) < 0)
        return false;
    long long oTaille = -1; // what will be copied, when the source tells
    if (S_ISREG(stSrc.st_mode)) {
        const long long oReste = stSrc.st_size > oStart ? static_cast<long long>(stSrc.st_size) - oStart : 0;
        oTaille = oCount < 0 || oCount > oReste ? oReste : oCount;
    }
    CRemplacementAtomique out;
    if (!out.bOuvre(sDst.c_str(), oTaille))
        return false;
    if (!bCopyFd(in.nGet(), sSrc.c_str(), out.nGetFd(), out.pszGetEcrit(), oCount))
        return false; // abandoned: the destination keeps what it held
    return out.bValide();
}

bool CDiskFile::bGetDiskSpace(const char* pszName, unsigned long long* pnTotal, unsigned long long* pnFree)
{
    std::string s = ".";
    if (pszName && !bTakeName(pszName, s))
        return false;
    struct statvfs64 st;
    if (!SYS_bStatvfs(s.c_str(), &st))
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
    pstFind->pDir = SYS_pOpenDir(sDir.c_str());
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
    while (const dirent64* pEnt = SYS_pReadDir(pstFind->pDir, pstFind->szDirectory)) {
        struct stat64 st;
        const std::size_t nLen = std::strlen(pEnt->d_name);
        if (nLen >= sizeof pstFind->szName || !SYS_bStatAt(dirfd(pstFind->pDir), pEnt->d_name, &st, 0))
            continue;
        const unsigned nAttributes = nAttributesOf(pEnt->d_name, st.st_mode);
        if (_bFindGoodFile(pEnt->d_name, nAttributes, pstFind)) {
            std::memcpy(pstFind->szName, pEnt->d_name, nLen + 1);
            pstFind->dwReserved = 0;
            pstFind->dwAttributes = nAttributes;
            pstFind->oSize = static_cast<uint64_t>(st.st_size);
            return true;
        }
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
        SYS_bCloseDir(pstFind->pDir, pstFind->szDirectory);
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
    const long long nFt = static_cast<long long>(t) * static_cast<long long>(gnUnitesFileTimeParSeconde) +
                          pstTime->wMilliseconds * 10000LL + kFileTimeUnixEpoch;
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
