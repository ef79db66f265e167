// CDiskFile: static functions on file names and paths (splitting, joining, absolute forms).
#include "base/files/CDiskFile.h"

#include "base/strings/CTString.h"
#include "base/system/AppelsSysteme.h"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <pwd.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr unsigned kMax = CDiskFile::ZV_MAX_PATH;
constexpr unsigned kBuf = CDiskFile::ZV_MAX_PATH + 1;

// Private copy of a name with its backslashes turned into slashes; null gives "".
std::string sSlashed(const char* psz)
{
    std::string s = psz ? psz : "";
    for (char& c : s)
        if (c == '\\')
            c = '/';
    return s;
}

// Copies s into a buffer of nSize bytes, cut to fit; nothing when nSize is 0.
void CopyCut(char* pszDst, unsigned nSize, const std::string& s)
{
    if (!pszDst || nSize == 0)
        return;
    const std::size_t n = s.size() < nSize - 1 ? s.size() : nSize - 1;
    std::memcpy(pszDst, s.data(), n);
    pszDst[n] = '\0';
}

// Copies s when it fits in nSize bytes; false (nothing written) otherwise.
bool bCopyFit(char* pszDst, unsigned nSize, const std::string& s)
{
    if (!pszDst || s.size() + 1 > nSize)
        return false;
    std::memcpy(pszDst, s.c_str(), s.size() + 1);
    return true;
}

// Directory part of a slashed name: up to and including its last "/", "" when there is none.
std::string sDirPart(const std::string& s)
{
    const std::size_t nSlash = s.rfind('/');
    return nSlash == std::string::npos ? std::string() : s.substr(0, nSlash + 1);
}

// The home directory of the real user, from the password database (HOME is not consulted).
bool bHomeDirectory(std::string& sHome)
{
    const passwd* pstPw = getpwuid(getuid());
    if (!pstPw || !pstPw->pw_dir)
        return false;
    sHome = pstPw->pw_dir;
    return true;
}

// Removes "component/../" pairs, then every "/./" becomes "/". A "/../" at the root has no
// component before it: it collapses into "/". A final "/.." or "/." stays as it is.
void Normalise(std::string& s)
{
    for (;;) {
        const std::size_t nPos = s.find("/../");
        if (nPos == std::string::npos)
            break;
        if (nPos == 0) {
            s.erase(0, 3);
            continue;
        }
        const std::size_t nPrev = s.rfind('/', nPos - 1);
        const std::size_t nFrom = nPrev == std::string::npos ? 0 : nPrev + 1;
        s.erase(nFrom, nPos + 4 - nFrom);
    }
    for (std::size_t nPos; (nPos = s.find("/./")) != std::string::npos;)
        s.erase(nPos, 2);
}

// Trailing white space removed (isspace of the C locale).
void RightTrim(std::string& s)
{
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.pop_back();
}

bool bStat(const char* pszName, struct stat64* pst)
{
    if (!pszName)
        return false;
    const std::string s = sSlashed(pszName);
    if (s.size() > kMax)
        return false;
    return SYS_bStat(s.c_str(), pst);
}

} // namespace

// ---- Existence -------------------------------------------------------------------------

bool CDiskFile::bExist(const char* pszName)
{
    if (!pszName)
        return false;
    const std::string s = sSlashed(pszName);
    return s.size() <= kMax && SYS_bAccess(s.c_str(), F_OK);
}

bool CDiskFile::bIsAFile(const char* pszName)
{
    struct stat64 st;
    return bStat(pszName, &st) && S_ISREG(st.st_mode);
}

bool CDiskFile::bIsADirectory(const char* pszName)
{
    struct stat64 st;
    return bStat(pszName, &st) && S_ISDIR(st.st_mode);
}

// ---- Separators ------------------------------------------------------------------------

char* CDiskFile::pszBackSlash2Slash(char* psz)
{
    for (char* p = psz; p && *p; ++p)
        if (*p == '\\')
            *p = '/';
    return psz;
}

const char* CDiskFile::pszBackSlash2Slash(CTString& str)
{
    str.Remplace('\\', '/');
    return str.pszGet();
}

char* CDiskFile::pszSlash2BackSlash(char* psz)
{
    for (char* p = psz; p && *p; ++p)
        if (*p == '/')
            *p = '\\';
    return psz;
}

const char* CDiskFile::pszSlash2BackSlash(CTString& str)
{
    str.Remplace('/', '\\');
    return str.pszGet();
}

unsigned CDiskFile::DirectoryWithEndSlash(char* psz)
{
    if (!psz)
        return 0;
    pszBackSlash2Slash(psz);
    const std::size_t nLen = std::strlen(psz);
    if (nLen > 0 && nLen < kMax && psz[nLen - 1] != '/') {
        psz[nLen] = '/';
        psz[nLen + 1] = '\0';
    }
    return static_cast<unsigned>(nLen);
}

unsigned CDiskFile::DirectoryWithEndSlash(CTString& str)
{
    pszBackSlash2Slash(str);
    const long nLen = str.nTaille();
    if (nLen > 0 && str.cGetChar(nLen - 1) != '/')
        str.Add('/');
    return static_cast<unsigned>(nLen);
}

void CDiskFile::DirectoryWithoutEndSlash(char* psz)
{
    if (!psz)
        return;
    pszBackSlash2Slash(psz);
    std::size_t nLen = std::strlen(psz);
    while (nLen > 0 && psz[nLen - 1] == '/')
        psz[--nLen] = '\0';
}

void CDiskFile::StandardizeFileName(char* pszDst, const char* pszSrc)
{
    if (!pszDst)
        return;
    std::string s = sSlashed(pszSrc ? pszSrc : pszDst);
    RightTrim(s);
    CopyCut(pszDst, kBuf, s);
}

// ---- Parts of a name -------------------------------------------------------------------

void CDiskFile::SplitPath(const char* pszPath, char* pszDir, char* pszName, char* pszExt)
{
    const std::string s = sSlashed(pszPath);
    const std::string sDir = sDirPart(s);
    const std::string sRest = s.substr(sDir.size());
    const std::size_t nDot = sRest.rfind('.');
    CopyCut(pszDir, kBuf, sDir);
    if (nDot == std::string::npos) {
        CopyCut(pszName, kBuf, sRest);
        CopyCut(pszExt, kBuf, std::string());
    } else {
        CopyCut(pszName, kBuf, sRest.substr(0, nDot));
        CopyCut(pszExt, kBuf, sRest.substr(nDot));
    }
}

void CDiskFile::SplitPath(const char* pszPath, char* pszDir, char* pszNameExt)
{
    const std::string s = sSlashed(pszPath);
    const std::string sDir = sDirPart(s);
    CopyCut(pszDir, kBuf, sDir);
    CopyCut(pszNameExt, kBuf, s.substr(sDir.size()));
}

void CDiskFile::SplitPath(const char* pszPath, char* pszDrive, char* pszDir, char* pszName, char* pszExt)
{
    if (pszDrive)
        *pszDrive = '\0';
    SplitPath(pszPath, pszDir, pszName, pszExt);
}

void CDiskFile::MakePath(char* pszOut, const char* pszDir, const char* pszName, const char* pszExt)
{
    if (!pszOut)
        return;
    std::string s = sSlashed(pszDir);
    const std::string sName = sSlashed(pszName);
    const std::string sExt = sSlashed(pszExt);
    if (!s.empty() && s.back() != '/')
        s += '/';
    if (!sName.empty()) {
        s += sName;
        if (!sExt.empty()) {
            if (sExt[0] != '.')
                s += '.';
            s += sExt;
        }
    }
    CopyCut(pszOut, kBuf, s);
}

const char* CDiskFile::pszGetPtrToFileName(const char* pszPath)
{
    if (!pszPath)
        return nullptr;
    const char* pStart = pszPath;
    if (std::isalpha(static_cast<unsigned char>(pszPath[0])) && pszPath[1] == ':')
        pStart = pszPath + 2;
    const char* pName = pStart;
    for (const char* p = pStart; *p; ++p)
        if (*p == '/' || *p == '\\')
            pName = p + 1;
    return pName;
}

char* CDiskFile::pszGetPtrToFileName(char* pszPath)
{
    return const_cast<char*>(pszGetPtrToFileName(static_cast<const char*>(pszPath)));
}

void CDiskFile::ChangeExtension(char* pszPath, unsigned nSize, const char* pszExt)
{
    if (!pszPath || nSize == 0)
        return;
    // A text without a terminator inside nSize is taken as its first nSize - 1 characters.
    std::size_t nLen = strnlen(pszPath, nSize);
    if (nLen == nSize)
        nLen = nSize - 1;
    std::string s(pszPath, nLen);
    for (char& c : s)
        if (c == '\\')
            c = '/';
    const std::string sExt = sSlashed(pszExt);
    const bool bExtDot = !sExt.empty() && sExt[0] == '.';

    const std::size_t nSlash = s.rfind('/');
    const std::size_t nDot = s.rfind('.');
    const bool bHasDot = nDot != std::string::npos && (nSlash == std::string::npos || nDot > nSlash);
    if (bHasDot) {
        s.erase(bExtDot ? nDot : nDot + 1);
        s += sExt;
    } else {
        // The "." goes in only when there is room for it and at least one more character.
        if (!bExtDot && s.size() + 1 < nSize - 1)
            s += '.';
        s += sExt;
    }
    CopyCut(pszPath, nSize, s);
}

void CDiskFile::DelExtension(char* pszPath)
{
    if (!pszPath)
        return;
    pszBackSlash2Slash(pszPath);
    char* pLast = std::strrchr(pszPath, '/');
    char* pDot = std::strrchr(pLast ? pLast + 1 : pszPath, '.');
    if (pDot)
        *pDot = '\0';
}

// ---- Kinds of names --------------------------------------------------------------------

bool CDiskFile::bIsRelativePath(const char* pszName)
{
    return pszName && pszName[0] == '.';
}

bool CDiskFile::bIsRelativeFileName(const char* pszName)
{
    return !pszName || (pszName[0] != '/' && pszName[0] != '\\');
}

// Windows rules: empty is relative; a leading separator or "X:" is absolute; otherwise
// relative unless the name ends with ":" (a device name).
bool CDiskFile::bIsRelativeFileName_WIN32(const char* pszName)
{
    if (!pszName || !*pszName)
        return true;
    if (pszName[0] == '\\' || pszName[0] == '/')
        return false;
    if (std::isalpha(static_cast<unsigned char>(pszName[0])) && pszName[1] == ':')
        return false;
    return pszName[std::strlen(pszName) - 1] != ':';
}

// "\\server\share": the backslashes may already have become slashes.
bool CDiskFile::bUNCName(const char* pszName)
{
    auto bSep = [](char c) { return c == '\\' || c == '/'; };
    if (!pszName || !bSep(pszName[0]) || !bSep(pszName[1]))
        return false;
    for (const char* p = pszName + 2; *p; ++p)
        if (bSep(*p))
            return true;
    return false;
}

bool CDiskFile::bIsAVirtualDirectory(const char* pszName)
{
    return pszName && (std::strcmp(pszName, ".") == 0 || std::strcmp(pszName, "..") == 0);
}

bool CDiskFile::bValidName(const char* pszName)
{
    return pszName && std::strpbrk(pszName, "\\/:*?\"<>|") == nullptr;
}

// Greedy match with one back-track point (the last "*"): linear in practice and never
// exponential, whatever the number of stars.
bool CDiskFile::_bFiltreFileName(const char* pszName, const char* pszPattern)
{
    if (!pszName || !pszPattern)
        return false;
    const char* n = pszName;
    const char* p = pszPattern;
    const char* pStar = nullptr;
    const char* nStar = nullptr;
    while (*n) {
        if (*p == '*') {
            pStar = p++;
            nStar = n;
        } else if (*p == '?' || (*p && *p == *n)) {
            ++p;
            ++n;
        } else if (pStar) {
            p = pStar + 1;
            n = ++nStar;
        } else {
            return false;
        }
    }
    while (*p == '*')
        ++p;
    return *p == '\0';
}

bool CDiskFile::_bFindGoodFile(const char* pszName, unsigned nAttributes, const _stXFINDDATA* pstSearch)
{
    if (!pszName || !pstSearch || bIsAVirtualDirectory(pszName))
        return false;
    if (!_bFiltreFileName(pszName, pstSearch->szPattern))
        return false;
    return (nAttributes & pstSearch->dwRequired) == pstSearch->dwRequired &&
           (nAttributes & pstSearch->dwExcluded) == 0;
}

// ---- Absolute names and comparison -----------------------------------------------------

// Results when the name does not fit, by branch: "~" names need home + rest + 3, relative
// names cwd + name + 2 (the "/" and the NUL), absolute names their length + 1. A current
// directory longer than nSize gives 2 * nSize.
unsigned CDiskFile::GetFullPathName(const char* pszName, unsigned nSize, char* pszOut, char** /*ppFilePart*/)
{
    std::string s = sSlashed(pszName);
    if (s.empty())
        return 0;
    std::string sFull;
    if (s[0] == '~') {
        std::string sHome;
        if (!bHomeDirectory(sHome))
            return 0;
        const std::size_t nNeed = sHome.size() + (s.size() - 1) + 3;
        if (nNeed > nSize)
            return static_cast<unsigned>(nNeed);
        sFull = sHome + s.substr(1);
    } else if (s[0] != '/') {
        if (nSize == 0)
            return 0;
        std::string sCwd(nSize, '\0');
        if (!SYS_pszGetcwd(&sCwd[0], nSize))
            return errno == ERANGE ? 2 * nSize : 0;
        sCwd.resize(std::strlen(sCwd.c_str()));
        const std::size_t nNeed = sCwd.size() + s.size() + 2;
        if (nNeed > nSize)
            return static_cast<unsigned>(nNeed);
        // At the root the current directory already ends with the separator.
        sFull = sCwd;
        if (sFull.empty() || sFull.back() != '/')
            sFull += '/';
        sFull += s;
    } else {
        if (s.size() + 1 > nSize)
            return static_cast<unsigned>(s.size() + 1);
        sFull = s;
    }
    Normalise(sFull);
    if (!pszOut)
        return 0;
    CopyCut(pszOut, nSize, sFull);
    return static_cast<unsigned>(sFull.size());
}

bool CDiskFile::bGetFullPath(char* pszOut, unsigned nSize, const char* pszName, unsigned* pLen)
{
    const unsigned nResult = GetFullPathName(pszName, nSize, pszOut, nullptr);
    const bool bOk = nResult != 0 && nResult < nSize;
    if (pLen)
        *pLen = bOk ? nResult + 1 : nResult;
    return bOk;
}

bool CDiskFile::bGetUNCName(char* pszOut, unsigned nSize, const char* pszName)
{
    const unsigned nResult = GetFullPathName(pszName, nSize, pszOut, nullptr);
    return nResult != 0 && nResult < nSize;
}

bool CDiskFile::bStandardizeExistingFileName(char* pszOut, unsigned nSize, const char* pszName)
{
    return bGetUNCName(pszOut, nSize, pszName);
}

bool CDiskFile::bGetLongPathName(char* pszOut, unsigned nSize, const char* pszName)
{
    return bCopyFit(pszOut, nSize, sSlashed(pszName));
}

bool CDiskFile::bGetCurrentDirectory(char* pszOut)
{
    return pszOut && SYS_pszGetcwd(pszOut, kBuf) != nullptr;
}

bool CDiskFile::bSameFileName(const char* pszA, const char* pszB)
{
    std::string sA = sSlashed(pszA), sB = sSlashed(pszB);
    RightTrim(sA);
    RightTrim(sB);
    return sA == sB;
}

bool CDiskFile::bSameDirectoryName(const char* pszA, const char* pszB)
{
    std::string sA = sSlashed(pszA), sB = sSlashed(pszB);
    RightTrim(sA);
    RightTrim(sB);
    if (!sA.empty() && sA.back() == '/')
        sA.pop_back();
    if (!sB.empty() && sB.back() == '/')
        sB.pop_back();
    return sA == sB;
}

bool CDiskFile::bSameDirectoryNameEx(const char* pszA, bool bFullA, const char* pszB, bool bFullB)
{
    std::string s[2];
    const char* apsz[2] = {pszA, pszB};
    const bool ab[2] = {bFullA, bFullB};
    for (int i = 0; i < 2; ++i) {
        if (ab[i]) {
            char szFull[kBuf];
            if (!bGetFullPath(szFull, kBuf, apsz[i], nullptr))
                return false;
            s[i] = szFull;
        } else {
            s[i] = sSlashed(apsz[i]);
        }
        RightTrim(s[i]);
        if (!s[i].empty() && s[i].back() == '/')
            s[i].pop_back();
    }
    return s[0] == s[1];
}

bool CDiskFile::bRelativeToFullPath(char* pszOut, const char* pszRelative, const char* pszBase)
{
    if (!pszOut)
        return false;
    std::string sRel = sSlashed(pszRelative);
    std::string sBase = sSlashed(pszBase);
    if (sRel == ".")
        return bCopyFit(pszOut, kBuf, sBase);
    if (sRel.empty() || sRel[0] != '.')
        return bCopyFit(pszOut, kBuf, sRel);
    if (sRel.compare(0, 2, "./") == 0) {
        while (!sBase.empty() && sBase.back() == '/')
            sBase.pop_back();
        return bCopyFit(pszOut, kBuf, sBase + sRel.substr(1));
    }
    // Each leading ".." climbs one directory of base; "..name" is an ordinary name.
    while (sRel.compare(0, 2, "..") == 0 && (sRel.size() == 2 || sRel[2] == '/')) {
        if (!sBase.empty() && sBase.back() == '/')
            sBase.pop_back();
        sBase = sDirPart(sBase);
        sRel.erase(0, sRel.size() == 2 ? 2 : 3);
    }
    if (!sBase.empty() && sBase.back() != '/')
        sBase += '/';
    return bCopyFit(pszOut, kBuf, sBase + sRel);
}

bool CDiskFile::bPathRelativePathTo(char* pszOut, const char* pszPath, const char* pszBase, int bFailIfUnrelated)
{
    if (!pszOut)
        return false;
    if (!pszBase || !*pszBase)
        return bCopyFit(pszOut, kBuf, sSlashed(pszPath));
    std::string sPath = sSlashed(pszPath), sBase = sSlashed(pszBase);
    RightTrim(sPath);
    RightTrim(sBase);
    if (sBase.empty() || sBase.back() != '/')
        sBase += '/';
    unsigned nLevels = 0;
    while (sPath.compare(0, sBase.size(), sBase) != 0) {
        sBase.pop_back();
        sBase = sDirPart(sBase);
        ++nLevels;
        if (sBase.empty() && bFailIfUnrelated)
            return false;
    }
    const std::string sRest = sPath.substr(sBase.size());
    std::string sOut;
    for (unsigned i = 0; i < nLevels; ++i)
        sOut += "../";
    if (nLevels == 0)
        sOut = "./";
    return bCopyFit(pszOut, kBuf, sOut + sRest);
}
