// Profile files: reading values and lists, writing and deleting keys and sections.
#include "base/settings/Profile.h"

#include "base/files/CDiskFile.h"
#include "base/files/CRemplacementAtomique.h"
#include "base/system/AppelsSysteme.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <cstring>
#include <pwd.h>
#include <sys/stat.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr unsigned kMaxPath = CDiskFile::ZV_MAX_PATH;

// White space of the C locale's isspace, whatever the process locale is.
inline bool bBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

inline char cLowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c;
}

// First n bytes of a and b equal without regard to ASCII letter case.
bool bEqualNoCase(const char* a, const char* b, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i)
        if (a[i] != b[i] && cLowerAscii(a[i]) != cLowerAscii(b[i]))
            return false;
    return true;
}

// Sequential reader of the lines of a file open on a descriptor, of any length. A line is
// handed out as a pointer into the reader's block and its length, "\n" included when present,
// with the offset of its first byte in the file. The pointer is valid until the next call.
// A read failure ends the lines as the end of the file would.
class CLineReader {
public:
    CLineReader(int nFd, const char* pszPath) : m_nFd(nFd), m_pszPath(pszPath), m_block(kBlock) {}

    bool bNext(const char*& pLine, std::size_t& nLen, int64_t& oStart)
    {
        for (;;) {
            const std::size_t nAvail = m_nEnd - m_nBegin;
            const char* pBegin = m_block.data() + m_nBegin;
            const void* pLf = nAvail ? std::memchr(pBegin, '\n', nAvail) : nullptr;
            if (pLf || (m_bEof && nAvail > 0)) {
                nLen = pLf ? static_cast<std::size_t>(static_cast<const char*>(pLf) - pBegin) + 1 : nAvail;
                pLine = pBegin;
                oStart = m_oBegin;
                m_nBegin += nLen;
                m_oBegin += static_cast<int64_t>(nLen);
                return true;
            }
            if (m_bEof)
                return false;
            // Keep the partial line at the front and fill the rest; a line longer than the
            // block doubles it.
            if (m_nBegin > 0) {
                std::memmove(m_block.data(), pBegin, nAvail);
                m_nBegin = 0;
                m_nEnd = nAvail;
            }
            if (m_nEnd == m_block.size())
                m_block.resize(m_block.size() * 2);
            const ssize_t nRead = SYS_nReadSome(m_nFd, m_block.data() + m_nEnd, m_block.size() - m_nEnd, m_pszPath);
            if (nRead <= 0)
                m_bEof = true;
            else
                m_nEnd += static_cast<std::size_t>(nRead);
        }
    }

    // Offset just past the last line handed out (the file's length once at the end).
    int64_t oPosition() const { return m_oBegin; }

private:
    static constexpr std::size_t kBlock = 64 * 1024;
    int m_nFd;
    const char* m_pszPath; // for the failure record
    std::vector<char> m_block;
    std::size_t m_nBegin = 0, m_nEnd = 0;
    int64_t m_oBegin = 0;
    bool m_bEof = false;
};

// A line with its leading blanks skipped; n counts the bytes left.
void SkipBlanks(const char*& p, std::size_t& n)
{
    while (n > 0 && bBlank(*p)) {
        ++p;
        --n;
    }
}

// Line (blanks skipped) that ends a section for the reader: "[" and a "]" somewhere after.
bool bIsHeader(const char* p, std::size_t n)
{
    return n > 0 && p[0] == '[' && std::memchr(p, ']', n) != nullptr;
}

// Length of the line up to its first "\r" or "\n" (or NUL, which ends a text).
std::size_t nContentLength(const char* p, std::size_t n)
{
    std::size_t i = 0;
    while (i < n && p[i] != '\r' && p[i] != '\n' && p[i] != '\0')
        ++i;
    return i;
}

// Appends n bytes to a list in a buffer of nSize bytes holding nList characters, cut to
// nSize - 1; returns the new length.
unsigned nAppendCut(char* pszBuffer, unsigned nSize, unsigned nList, const char* p, std::size_t n)
{
    if (!pszBuffer || nSize == 0 || nList >= nSize - 1)
        return nList;
    const std::size_t nRoom = nSize - 1 - nList;
    const std::size_t nCopy = n < nRoom ? n : nRoom;
    std::memcpy(pszBuffer + nList, p, nCopy);
    nList += static_cast<unsigned>(nCopy);
    pszBuffer[nList] = '\0';
    return nList;
}

std::string sSlashed(const char* psz)
{
    std::string s = psz ? psz : "";
    for (char& c : s)
        if (c == '\\')
            c = '/';
    return s;
}

bool bHome(std::string& sHome)
{
    const passwd* pstPw = getpwuid(getuid());
    if (!pstPw || !pstPw->pw_dir)
        return false;
    sHome = pstPw->pw_dir;
    return true;
}

// Name of a file to read: absolute and "./" names as they are, others in the home directory.
bool bResolveForReading(const char* pszFile, std::string& sPath)
{
    sPath = sSlashed(pszFile);
    if (sPath.empty())
        return false;
    std::string sHome;
    if (sPath[0] != '/' && sPath.compare(0, 2, "./") != 0 && bHome(sHome))
        sPath = sHome + "/" + sPath;
    return sPath.size() <= kMaxPath;
}

bool bResolveForWriting(const char* pszFile, std::string& sPath)
{
    sPath = sSlashed(pszFile);
    return !sPath.empty() && sPath.size() <= kMaxPath;
}

// What a read found: the value or list length, or nothing (the default applies).
struct stFound {
    bool bFound = false;
    unsigned nResult = 0;
};

stFound stListSections(CLineReader& reader, char* pszBuffer, unsigned nSize)
{
    stFound st;
    const char* p;
    std::size_t n;
    int64_t o;
    while (reader.bNext(p, n, o)) {
        SkipBlanks(p, n);
        if (!bIsHeader(p, n))
            continue;
        if (nSize == 0)
            break;
        const char* pClose = static_cast<const char*>(std::memchr(p, ']', n));
        st.nResult = nAppendCut(pszBuffer, nSize, st.nResult, p + 1, static_cast<std::size_t>(pClose - p - 1));
        st.nResult = nAppendCut(pszBuffer, nSize, st.nResult, "\r\n", 2);
    }
    st.bFound = st.nResult > 0;
    return st;
}

// Reads the lines of the current section, handing each key line (blanks skipped, ":"
// comments and lines without "=" left out) to the visitor until it returns false.
template <typename Visitor>
void ForEachKeyLine(CLineReader& reader, Visitor visit)
{
    const char* p;
    std::size_t n;
    int64_t o;
    while (reader.bNext(p, n, o)) {
        SkipBlanks(p, n);
        if (bIsHeader(p, n))
            return;
        if (n == 0 || p[0] == ':')
            continue;
        if (!visit(p, n))
            return;
    }
}

stFound stListKeys(CLineReader& reader, char* pszBuffer, unsigned nSize)
{
    stFound st;
    ForEachKeyLine(reader, [&](const char* p, std::size_t n) {
        const std::size_t nContent = nContentLength(p, n);
        const char* pEq = static_cast<const char*>(std::memchr(p, '=', nContent));
        if (!pEq)
            return true;
        if (nSize <= st.nResult + 1)
            return false;
        std::size_t nName = static_cast<std::size_t>(pEq - p);
        while (nName > 0 && bBlank(p[nName - 1]))
            --nName;
        st.nResult = nAppendCut(pszBuffer, nSize, st.nResult, p, nName);
        st.nResult = nAppendCut(pszBuffer, nSize, st.nResult, "\r\n", 2);
        return true;
    });
    st.bFound = st.nResult > 0;
    return st;
}

stFound stReadValue(CLineReader& reader, const char* pszKey, char* pszBuffer, unsigned nSize)
{
    stFound st;
    const std::size_t nKey = std::strlen(pszKey);
    ForEachKeyLine(reader, [&](const char* p, std::size_t n) {
        if (n <= nKey || !bEqualNoCase(p, pszKey, nKey))
            return true;
        const char cNext = p[nKey];
        if (cNext != '=' && cNext != ' ' && cNext != '\t')
            return true;
        const std::size_t nContent = nContentLength(p, n);
        const char* pEq = static_cast<const char*>(std::memchr(p, '=', nContent));
        if (!pEq)
            return true;
        const char* pValue = pEq + 1;
        const char* pEnd = p + nContent;
        while (pValue < pEnd && (*pValue == ' ' || *pValue == '\t'))
            ++pValue;
        st.bFound = true;
        st.nResult = nAppendCut(pszBuffer, nSize, 0, pValue, static_cast<std::size_t>(pEnd - pValue));
        return false;
    });
    return st;
}

// Case-insensitive search of the header "[section]" at the start of a line (blanks
// skipped); the reader is left just after it. False at the end of the file.
bool bFindSectionForReading(CLineReader& reader, const std::string& sPattern)
{
    const char* p;
    std::size_t n;
    int64_t o;
    while (reader.bNext(p, n, o)) {
        SkipBlanks(p, n);
        if (n >= sPattern.size() && p[0] == '[' && bEqualNoCase(p, sPattern.data(), sPattern.size()))
            return true;
    }
    return false;
}

// Value of a decimal text as atoi reads it, saturated to the 32-bit range.
int nDecimal(const char* psz)
{
    while (bBlank(*psz))
        ++psz;
    const bool bNegative = *psz == '-';
    if (*psz == '-' || *psz == '+')
        ++psz;
    long long nValue = 0;
    for (; *psz >= '0' && *psz <= '9'; ++psz) {
        nValue = nValue * 10 + (*psz - '0');
        if (nValue > static_cast<long long>(INT_MAX) + 1)
            nValue = static_cast<long long>(INT_MAX) + 1;
    }
    if (bNegative)
        return static_cast<int>(-nValue);
    return nValue > INT_MAX ? INT_MAX : static_cast<int>(nValue);
}

// Opens a regular file for reading only: a device or a pipe could feed the line reader without
// end (and opening a pipe waits for a writer unless O_NONBLOCK is given). -1 otherwise; errno
// EINVAL for something else than a regular file.
int nOpenRegular(const std::string& sPath)
{
    const int nFd = SYS_nOpen(sPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (nFd < 0)
        return -1;
    struct stat64 st;
    const bool bStat = SYS_bFstat(nFd, &st, sPath.c_str());
    if (!bStat || !S_ISREG(st.st_mode)) {
        const int nErr = !bStat ? errno : S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        SYS_bClose(nFd, sPath.c_str());
        errno = nErr;
        return -1;
    }
    return nFd;
}

// The whole content of a profile file; false when it exists but cannot be read whole, or is
// not a regular file. A missing file is empty (*pbExists false).
bool bReadWhole(const std::string& sPath, std::string& sContent, bool* pbExists)
{
    sContent.clear();
    *pbExists = false;
    const int nFd = nOpenRegular(sPath);
    if (nFd < 0)
        return errno == ENOENT;
    *pbExists = true;
    bool bOk = true;
    std::size_t nDone = 0;
    for (std::size_t nRoom = 64 * 1024;; nRoom *= 2) {
        sContent.resize(nRoom);
        std::size_t nRead = 0;
        bOk = SYS_bReadAll(nFd, &sContent[nDone], nRoom - nDone, &nRead, sPath.c_str());
        nDone += nRead;
        if (!bOk || nDone < nRoom)
            break;
    }
    sContent.resize(nDone);
    const int nErr = errno;
    SYS_bClose(nFd, sPath.c_str());
    errno = nErr;
    return bOk;
}

// The lines of a text in memory, each with its offset and its "\n" when it has one.
class CTextLines {
public:
    explicit CTextLines(const std::string& s, std::size_t nFrom = 0) : m_s(s), m_nPos(nFrom) {}
    bool bNext(const char*& p, std::size_t& n, std::size_t& o)
    {
        if (m_nPos >= m_s.size())
            return false;
        const std::size_t nLf = m_s.find('\n', m_nPos);
        const std::size_t nEnd = nLf == std::string::npos ? m_s.size() : nLf + 1;
        p = m_s.data() + m_nPos;
        n = nEnd - m_nPos;
        o = m_nPos;
        m_nPos = nEnd;
        return true;
    }

private:
    const std::string& m_s;
    std::size_t m_nPos;
};

std::string sKeyLine(const char* pszKey, const char* pszValue)
{
    return std::string(pszKey) + " = " + pszValue + "\n";
}

// Appends at the end, first ending a last line that lacks its "\n" (the new line would
// otherwise run on from the old one): the header when given, then the key line when there is
// a value.
void Append(std::string& s, const char* pszHeader, const char* pszKey, const char* pszValue)
{
    if (!s.empty() && s.back() != '\n')
        s += '\n';
    if (pszHeader)
        s += std::string("[") + pszHeader + "]\n";
    if (pszKey && pszValue)
        s += sKeyLine(pszKey, pszValue);
}

// The writer's change made to the text of the file. The writer compares names exactly and
// finds a header only at the very start of a line.
void ApplyWrite(std::string& s, const char* pszSection, const char* pszKey, const char* pszValue)
{
    const std::string sHeader = std::string("[") + pszSection + "]";
    CTextLines lines(s);
    const char* p;
    std::size_t n, o;
    bool bSection = false;
    std::size_t oHeader = 0;
    while (lines.bNext(p, n, o)) {
        if (n >= sHeader.size() && std::memcmp(p, sHeader.data(), sHeader.size()) == 0) {
            bSection = true;
            oHeader = o;
            break;
        }
    }
    if (!bSection) {
        if (pszKey)
            Append(s, pszSection, pszKey, pszValue);
        return;
    }

    if (!pszKey) {
        // The whole section, up to the next line beginning with "[".
        std::size_t oEnd = s.size();
        while (lines.bNext(p, n, o))
            if (p[0] == '[') {
                oEnd = o;
                break;
            }
        s.erase(oHeader, oEnd - oHeader);
        return;
    }

    const std::size_t nKey = std::strlen(pszKey);
    std::size_t oInsert = std::string::npos;
    while (lines.bNext(p, n, o)) {
        if (oInsert == std::string::npos && (p[0] == '[' || p[0] == '\n' || p[0] == '\r'))
            oInsert = o;
        if (p[0] == '[')
            break;
        if (n > nKey && std::memcmp(p, pszKey, nKey) == 0 && (p[nKey] == '=' || p[nKey] == ' ' || p[nKey] == '\t')) {
            s.replace(o, n, pszValue ? sKeyLine(pszKey, pszValue) : std::string());
            return;
        }
    }
    if (!pszValue)
        return;
    if (oInsert != std::string::npos)
        s.insert(oInsert, sKeyLine(pszKey, pszValue));
    else
        Append(s, nullptr, pszKey, pszValue);
}

// Writes the whole new text of the file in one step: beside it, then renamed over it.
bool bWriteWhole(const std::string& sPath, const std::string& sContent)
{
    CRemplacementAtomique clFile;
    return clFile.bOuvre(sPath.c_str(), static_cast<long long>(sContent.size()),
                         CRemplacementAtomique::eREGULIER_SEULEMENT) &&
           clFile.bEcrit(sContent.data(), sContent.size()) && clFile.bValide();
}

// The old in-place helpers below work on FILE streams for their callers; the profile calls
// themselves no longer use them.
int64_t oTell(FILE* pFile)
{
    return ftello64(pFile);
}

bool bSeek(FILE* pFile, int64_t o, int nWhence)
{
    return fseeko64(pFile, o, nWhence) == 0;
}

} // namespace

bool bGetNRVCONFPath(char* pszPath)
{
    std::string sHome;
    if (!pszPath || !bHome(sHome))
        return false;
    const std::string sPath = sHome + "/.NRV.conf";
    if (sPath.size() > kMaxPath)
        return false;
    std::memcpy(pszPath, sPath.c_str(), sPath.size() + 1);
    return true;
}

unsigned GetPrivateProfileString(const char* pszSection, const char* pszKey, const char* pszDefault,
                                 char* pszBuffer, unsigned nSize, const char* pszFile)
{
    if (!pszBuffer)
        nSize = 0;
    stFound st;
    std::string sPath;
    const int nFd = bResolveForReading(pszFile, sPath) ? nOpenRegular(sPath) : -1;
    if (nFd >= 0) {
        if (nSize > 0)
            pszBuffer[0] = '\0';
        CLineReader reader(nFd, sPath.c_str());
        if (!pszSection || !*pszSection)
            st = stListSections(reader, pszBuffer, nSize);
        else if (bFindSectionForReading(reader, std::string("[") + pszSection + "]"))
            st = (!pszKey || !*pszKey) ? stListKeys(reader, pszBuffer, nSize)
                                       : stReadValue(reader, pszKey, pszBuffer, nSize);
        SYS_bClose(nFd, sPath.c_str());
    }
    if (st.bFound)
        return st.nResult;
    if (!pszDefault)
        return 0;
    return nAppendCut(pszBuffer, nSize, 0, pszDefault, std::strlen(pszDefault));
}

int GetPrivateProfileInt(const char* pszSection, const char* pszKey, int nDefault, const char* pszFile)
{
    char szDefault[16];
    std::snprintf(szDefault, sizeof szDefault, "%d", nDefault);
    char szValue[20];
    szValue[0] = '\0';
    GetPrivateProfileString(pszSection, pszKey, szDefault, szValue, sizeof szValue, pszFile);
    return nDecimal(szValue);
}

int WritePrivateProfileString(const char* pszSection, const char* pszKey, const char* pszValue,
                              const char* pszFile)
{
    std::string sPath;
    // An empty key would match any line beginning with a blank, and its line could not be
    // read back: refused.
    if (!pszSection || (pszKey && !*pszKey) || !bResolveForWriting(pszFile, sPath))
        return 0;
    // The whole new text is made in memory and written in one step, so that a full disk, an
    // I/O error or a crash leaves the old file or the new one, never a file cut after the key.
    std::string sContent;
    bool bExists = false;
    if (!bReadWhole(sPath, sContent, &bExists))
        return 0;
    const std::string sOld = sContent;
    ApplyWrite(sContent, pszSection, pszKey, pszValue);
    if (bExists && sContent == sOld)
        return 1; // nothing to change: the file is left as it is
    return bWriteWhole(sPath, sContent) ? 1 : 0;
}

unsigned GetProfileString(const char* pszSection, const char* pszKey, const char* pszDefault, char* pszBuffer,
                          unsigned nSize)
{
    char szPath[kMaxPath + 1];
    if (bGetNRVCONFPath(szPath))
        return GetPrivateProfileString(pszSection, pszKey, pszDefault, pszBuffer, nSize, szPath);
    if (!pszDefault)
        return 0;
    return nAppendCut(pszBuffer, pszBuffer ? nSize : 0, 0, pszDefault, std::strlen(pszDefault));
}

int GetProfileInt(const char* pszSection, const char* pszKey, int nDefault)
{
    char szPath[kMaxPath + 1];
    return bGetNRVCONFPath(szPath) ? GetPrivateProfileInt(pszSection, pszKey, nDefault, szPath) : nDefault;
}

int WriteProfileString(const char* pszSection, const char* pszKey, const char* pszValue)
{
    char szPath[kMaxPath + 1];
    return bGetNRVCONFPath(szPath) ? WritePrivateProfileString(pszSection, pszKey, pszValue, szPath) : 0;
}

bool bWriteText(FILE* pFile, const char* pszText)
{
    if (!pFile || !pszText)
        return false;
    const std::size_t nLen = std::strlen(pszText);
    return nLen > 0 && std::fwrite(pszText, 1, nLen, pFile) == nLen;
}

bool bWriteKey(FILE* pFile, const char* pszKey, const char* pszValue)
{
    if (!pszValue)
        return true;
    if (!pFile || !pszKey)
        return false;
    return std::fprintf(pFile, "%s = %s\n", pszKey, pszValue) > 0;
}

// In place, without a temporary file: the bytes after oEnd are held in memory while the key
// line is written at oStart, then written after it, and the file is cut where they end.
bool bWriteKey(FILE* pFile, int64_t oStart, int64_t oEnd, const char* pszKey, const char* pszValue)
{
    if (!pFile || oStart < 0 || oEnd < oStart || !bSeek(pFile, 0, SEEK_END))
        return false;
    const int64_t oLen = oTell(pFile);
    if (oLen < 0 || oEnd > oLen)
        return false;
    const int64_t oTail = oLen - oEnd;
    if (static_cast<uint64_t>(oTail) >= SIZE_MAX)
        return false;
    const std::size_t nTail = static_cast<std::size_t>(oTail);
    char* pTail = nullptr;
    if (nTail > 0) {
        pTail = static_cast<char*>(std::malloc(nTail + 1));
        if (!pTail)
            return false;
        if (!bSeek(pFile, oEnd, SEEK_SET) || std::fread(pTail, 1, nTail, pFile) != nTail) {
            std::free(pTail);
            return false;
        }
        pTail[nTail] = '\0';
    }
    bool bOk = bSeek(pFile, oStart, SEEK_SET);
    if (bOk && pszValue)
        bOk = bWriteKey(pFile, pszKey, pszValue);
    if (bOk && nTail > 0)
        bOk = std::fwrite(pTail, 1, nTail, pFile) == nTail;
    std::free(pTail);
    if (std::fflush(pFile) != 0)
        bOk = false;
    const int64_t oNewEnd = oTell(pFile);
    if (oNewEnd < 0 || ftruncate64(fileno(pFile), oNewEnd) != 0)
        bOk = false;
    return bOk;
}
