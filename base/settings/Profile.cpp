// Profile files: reading values and lists, writing and deleting keys and sections in place.
#include "base/settings/Profile.h"

#include "base/files/CDiskFile.h"

#include <climits>
#include <cstdlib>
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

// Sequential reader of the lines of a stream, of any length. A line is handed out as a
// pointer into the reader's block and its length, "\n" included when present, with the
// offset of its first byte in the file. The pointer is valid until the next call.
class CLineReader {
public:
    explicit CLineReader(FILE* pFile) : m_pFile(pFile), m_block(kBlock) {}

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
            const std::size_t nRead = std::fread(m_block.data() + m_nEnd, 1, m_block.size() - m_nEnd, m_pFile);
            m_nEnd += nRead;
            if (nRead == 0)
                m_bEof = true;
        }
    }

    // Offset just past the last line handed out (the file's length once at the end).
    int64_t oPosition() const { return m_oBegin; }

private:
    static constexpr std::size_t kBlock = 64 * 1024;
    FILE* m_pFile;
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

// Opens a regular file only: a device or a pipe could feed the line reader without end.
FILE* pOpenRegular(const std::string& sPath, const char* pszMode)
{
    FILE* pFile = fopen64(sPath.c_str(), pszMode);
    struct stat64 st;
    if (pFile && (fstat64(fileno(pFile), &st) != 0 || !S_ISREG(st.st_mode))) {
        std::fclose(pFile);
        pFile = nullptr;
    }
    return pFile;
}

int64_t oTell(FILE* pFile)
{
    return ftello64(pFile);
}

bool bSeek(FILE* pFile, int64_t o, int nWhence)
{
    return fseeko64(pFile, o, nWhence) == 0;
}

// Appends text at the end of the file, first ending a last line that lacks its "\n" (the
// new line would otherwise run on from the old one).
bool bAppend(FILE* pFile, const char* pszHeader, const char* pszKey, const char* pszValue)
{
    if (!bSeek(pFile, 0, SEEK_END))
        return false;
    const int64_t oLen = oTell(pFile);
    bool bOk = oLen >= 0;
    if (bOk && oLen > 0) {
        char cLast = '\n';
        bOk = bSeek(pFile, oLen - 1, SEEK_SET) && std::fread(&cLast, 1, 1, pFile) == 1 && bSeek(pFile, 0, SEEK_END);
        if (bOk && cLast != '\n')
            bOk = bWriteText(pFile, "\n");
    }
    if (bOk && pszHeader)
        bOk = std::fprintf(pFile, "[%s]\n", pszHeader) > 0;
    if (bOk && pszKey)
        bOk = bWriteKey(pFile, pszKey, pszValue);
    return bOk;
}

// The writer's side of a write: the file is open for update.
bool bWriteInFile(FILE* pFile, const char* pszSection, const char* pszKey, const char* pszValue)
{
    const std::string sHeader = std::string("[") + pszSection + "]";
    CLineReader reader(pFile);
    const char* p;
    std::size_t n;
    int64_t o;
    bool bSection = false;
    int64_t oHeader = 0;
    while (reader.bNext(p, n, o)) {
        if (n >= sHeader.size() && std::memcmp(p, sHeader.data(), sHeader.size()) == 0) {
            bSection = true;
            oHeader = o;
            break;
        }
    }
    if (!bSection)
        return pszKey ? bAppend(pFile, pszSection, pszKey, pszValue) : true;

    if (!pszKey) {
        int64_t oEnd = -1;
        while (reader.bNext(p, n, o))
            if (p[0] == '[') {
                oEnd = o;
                break;
            }
        if (oEnd < 0)
            oEnd = reader.oPosition();
        return bWriteKey(pFile, oHeader, oEnd, nullptr, nullptr);
    }

    const std::size_t nKey = std::strlen(pszKey);
    int64_t oInsert = -1;
    while (reader.bNext(p, n, o)) {
        if (oInsert < 0 && (p[0] == '[' || p[0] == '\n' || p[0] == '\r'))
            oInsert = o;
        if (p[0] == '[')
            break;
        if (n > nKey && std::memcmp(p, pszKey, nKey) == 0 && (p[nKey] == '=' || p[nKey] == ' ' || p[nKey] == '\t'))
            return bWriteKey(pFile, o, o + static_cast<int64_t>(n), pszKey, pszValue);
    }
    if (!pszValue)
        return true;
    if (oInsert >= 0)
        return bWriteKey(pFile, oInsert, oInsert, pszKey, pszValue);
    return bAppend(pFile, nullptr, pszKey, pszValue);
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
    FILE* pFile = bResolveForReading(pszFile, sPath) ? pOpenRegular(sPath, "r") : nullptr;
    if (pFile) {
        if (nSize > 0)
            pszBuffer[0] = '\0';
        CLineReader reader(pFile);
        if (!pszSection || !*pszSection)
            st = stListSections(reader, pszBuffer, nSize);
        else if (bFindSectionForReading(reader, std::string("[") + pszSection + "]"))
            st = (!pszKey || !*pszKey) ? stListKeys(reader, pszBuffer, nSize)
                                       : stReadValue(reader, pszKey, pszBuffer, nSize);
        std::fclose(pFile);
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
    FILE* pFile = pOpenRegular(sPath, CDiskFile::bExist(sPath.c_str()) ? "r+" : "w+");
    if (!pFile)
        return 0;
    bool bOk = bWriteInFile(pFile, pszSection, pszKey, pszValue);
    if (std::fclose(pFile) != 0)
        bOk = false;
    return bOk ? 1 : 0;
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
