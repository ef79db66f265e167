// Code-page conversions through iconv, with per-process byte tables for the single-byte pages.
#include "base/strings/CodePage.h"

#include "base/strings/CharTables.h"
#include "base/strings/Utf16.h"
#include "base/system/Locale.h"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <iconv.h>

namespace {

const unsigned kCodePageUtf8 = 65001;
const char kszUtf8[] = "UTF-8";
const std::uint32_t kdwInvalid = 0xFFFFFFFFu;

// Name of the wide side of every converter. "UCS4LE" is the name asked for first; the C library
// may not know it (glibc does not), in which case "UTF32LE" (same layout: 4-byte little-endian
// code points) is used. Probed once: the answer cannot change while the process runs.
const char* _pszWideName()
{
    static const char* const s_pszName = [] {
        iconv_t h = iconv_open("UCS4LE", kszUtf8);
        if (h == reinterpret_cast<iconv_t>(static_cast<std::intptr_t>(-1)))
            return "UTF32LE";
        iconv_close(h);
        return "UCS4LE";
    }();
    return s_pszName;
}

// One iconv converter, closed when the object goes. Every conversion also flushes the converter:
// the CP1255 and CP1258 decoders hold back the last character in case a combining mark follows,
// and only the flush emits it.
class CConverter {
public:
    CConverter() = default;
    CConverter(const CConverter&) = delete;
    CConverter& operator=(const CConverter&) = delete;
    ~CConverter()
    {
        if (bIsOpen())
            iconv_close(m_h);
    }

    bool bOpen(const char* pszTo, const char* pszFrom)
    {
        m_h = iconv_open(pszTo, pszFrom);
        return bIsOpen();
    }
    bool bIsOpen() const { return m_h != s_hClosed(); }

    // Converts nIn bytes into pOut (nOutSize bytes of room). On success nProduced gets the bytes
    // written. Fails on invalid or truncated input and when the output does not fit.
    bool bConvert(const char* pIn, std::size_t nIn, char* pOut, std::size_t nOutSize, std::size_t& nProduced)
    {
        char* pszIn = const_cast<char*>(pIn);
        std::size_t nInLeft = nIn;
        char* pszOut = pOut;
        std::size_t nOutLeft = nOutSize;
        if (iconv(m_h, &pszIn, &nInLeft, &pszOut, &nOutLeft) == static_cast<std::size_t>(-1))
            return false;
        if (iconv(m_h, nullptr, nullptr, &pszOut, &nOutLeft) == static_cast<std::size_t>(-1))
            return false;
        nProduced = nOutSize - nOutLeft;
        return true;
    }

    // Counts the bytes the conversion of nIn bytes produces, converting into a scratch area.
    bool bMeasure(const char* pIn, std::size_t nIn, std::size_t& nTotal)
    {
        char achScratch[256];
        char* pszIn = const_cast<char*>(pIn);
        std::size_t nInLeft = nIn;
        nTotal = 0;
        for (int nPass = 0; nPass < 2; ++nPass) {
            // Pass 0 converts the input, pass 1 flushes what the converter holds back.
            for (;;) {
                char* pszOut = achScratch;
                std::size_t nOutLeft = sizeof achScratch;
                const std::size_t nRes = nPass == 0 ? iconv(m_h, &pszIn, &nInLeft, &pszOut, &nOutLeft)
                                                    : iconv(m_h, nullptr, nullptr, &pszOut, &nOutLeft);
                const std::size_t nProduced = sizeof achScratch - nOutLeft;
                nTotal += nProduced;
                if (nRes != static_cast<std::size_t>(-1))
                    break;
                // No progress with an empty scratch area would loop for ever.
                if (errno != E2BIG || nProduced == 0)
                    return false;
            }
        }
        return true;
    }

    // Back to the initial state, dropping whatever a failed conversion left behind.
    void Reset() { iconv(m_h, nullptr, nullptr, nullptr, nullptr); }

    iconv_t hGet() const { return m_h; }

private:
    static iconv_t s_hClosed() { return reinterpret_cast<iconv_t>(static_cast<std::intptr_t>(-1)); }
    iconv_t m_h = s_hClosed();
};

// Wide code point of every byte of a single-byte code page, taken from iconv itself (kdwInvalid
// where iconv rejects the byte). Only for pages whose iconv decoder maps each byte on its own,
// so that converting byte by byte gives exactly what converting a whole text gives.
class CSingleByteTable {
public:
    explicit CSingleByteTable(unsigned nCodePage)
    {
        CConverter clConv;
        if (!clConv.bOpen(_pszWideName(), CodePageToIConv(nCodePage)))
            return;
        for (unsigned n = 0; n < 256; ++n) {
            const char ch = static_cast<char>(n);
            unsigned char abyOut[4 * sizeof(std::uint32_t)];
            std::size_t nProduced = 0;
            m_adwCode[n] = kdwInvalid;
            if (clConv.bConvert(&ch, 1, reinterpret_cast<char*>(abyOut), sizeof abyOut, nProduced)) {
                if (nProduced != 4)
                    return; // not a one-byte-one-character page after all: leave the table unusable
                m_adwCode[n] = static_cast<std::uint32_t>(abyOut[0]) | static_cast<std::uint32_t>(abyOut[1]) << 8 |
                               static_cast<std::uint32_t>(abyOut[2]) << 16 |
                               static_cast<std::uint32_t>(abyOut[3]) << 24;
            } else {
                // Only a byte iconv calls invalid is a gap; anything else (a truncated character)
                // means the page is not single-byte.
                if (errno != EILSEQ)
                    return;
                clConv.Reset();
            }
        }
        m_bUsable = true;
    }

    const CSingleByteTable* pIfUsable() const { return m_bUsable ? this : nullptr; }
    std::uint32_t dwCode(unsigned char by) const { return m_adwCode[by]; }

private:
    bool m_bUsable = false;
    std::uint32_t m_adwCode[256] = {};
};

// The byte table of a code page, built once per process on first use (thread-safe statics);
// null for pages that need iconv itself: several bytes per character (932, 936, 949, 950, 1361),
// decoders that combine marks with the preceding character (1255, 1258), and UTF-8.
const CSingleByteTable* _pGetSingleByteTable(unsigned nCodePage)
{
    switch (nCodePage) {
    case 932: case 936: case 949: case 950: case 1361:
    case 1255: case 1258:
    case kCodePageUtf8:
        return nullptr;
    case 874: { static const CSingleByteTable s_cl(874); return s_cl.pIfUsable(); }
    case 1250: { static const CSingleByteTable s_cl(1250); return s_cl.pIfUsable(); }
    case 1251: { static const CSingleByteTable s_cl(1251); return s_cl.pIfUsable(); }
    case 1253: { static const CSingleByteTable s_cl(1253); return s_cl.pIfUsable(); }
    case 1254: { static const CSingleByteTable s_cl(1254); return s_cl.pIfUsable(); }
    case 1256: { static const CSingleByteTable s_cl(1256); return s_cl.pIfUsable(); }
    case 1257: { static const CSingleByteTable s_cl(1257); return s_cl.pIfUsable(); }
    default: { static const CSingleByteTable s_cl(1252); return s_cl.pIfUsable(); }
    }
}

// UTF-8 form of a code point below 0x110000 into pOut; returns the byte count (1 to 4).
std::size_t _nEncodeUtf8(std::uint32_t dwCode, unsigned char* pOut)
{
    if (dwCode < 0x80) {
        pOut[0] = static_cast<unsigned char>(dwCode);
        return 1;
    }
    if (dwCode < 0x800) {
        pOut[0] = static_cast<unsigned char>(0xC0 | dwCode >> 6);
        pOut[1] = static_cast<unsigned char>(0x80 | (dwCode & 0x3F));
        return 2;
    }
    if (dwCode < 0x10000) {
        pOut[0] = static_cast<unsigned char>(0xE0 | dwCode >> 12);
        pOut[1] = static_cast<unsigned char>(0x80 | (dwCode >> 6 & 0x3F));
        pOut[2] = static_cast<unsigned char>(0x80 | (dwCode & 0x3F));
        return 3;
    }
    pOut[0] = static_cast<unsigned char>(0xF0 | dwCode >> 18);
    pOut[1] = static_cast<unsigned char>(0x80 | (dwCode >> 12 & 0x3F));
    pOut[2] = static_cast<unsigned char>(0x80 | (dwCode >> 6 & 0x3F));
    pOut[3] = static_cast<unsigned char>(0x80 | (dwCode & 0x3F));
    return 4;
}

// Converts a whole input with a fresh converter, or measures it when pOut is null.
// Returns false on any failure; nResult gets the bytes written or needed.
bool _bConvertOnce(const char* pszTo, const char* pszFrom, const char* pIn, std::size_t nIn, char* pOut,
                   std::size_t nOutSize, std::size_t& nResult)
{
    CConverter clConv;
    if (!clConv.bOpen(pszTo, pszFrom))
        return false;
    if (pOut == nullptr)
        return clConv.bMeasure(pIn, nIn, nResult);
    return clConv.bConvert(pIn, nIn, pOut, nOutSize, nResult);
}

// Converts the run of bytes of 0x80 and above that begins at pbySrc[nStart] and ends before
// nEnd, opening the converter on first use. With bExtendIncomplete, a run that ends inside a
// multi-byte character (a double-byte page whose second byte is below 0x80) takes in the
// following bytes until the character is complete; nEnd is moved accordingly.
bool _bConvertRun(CConverter& clConv, const char* pszTo, const char* pszFrom, const unsigned char* pbySrc,
                  unsigned long nSrc, unsigned long nStart, unsigned long& nEnd, bool bExtendIncomplete,
                  char* pOut, std::size_t nRoom, std::size_t& nProduced)
{
    if (!clConv.bIsOpen() && !clConv.bOpen(pszTo, pszFrom))
        return false;
    char* pszIn = reinterpret_cast<char*>(const_cast<unsigned char*>(pbySrc + nStart));
    std::size_t nInLeft = nEnd - nStart;
    char* pszOut = pOut;
    std::size_t nOutLeft = nRoom;
    while (iconv(clConv.hGet(), &pszIn, &nInLeft, &pszOut, &nOutLeft) == static_cast<std::size_t>(-1)) {
        if (errno != EINVAL || !bExtendIncomplete || nEnd >= nSrc)
            return false;
        do {
            ++nEnd;
            ++nInLeft;
        } while (nEnd < nSrc && pbySrc[nEnd] >= 0x80);
    }
    if (iconv(clConv.hGet(), nullptr, nullptr, &pszOut, &nOutLeft) == static_cast<std::size_t>(-1))
        return false;
    nProduced = nRoom - nOutLeft;
    return true;
}

// The mixed ASCII walk shared by both directions: bytes below 0x80 are copied, each run of
// bytes of 0x80 and above goes to fnRun(nStart, nEnd&, pOut, nRoom, nProduced&). The rest of
// the destination is zero-filled. Returns the bytes written; on a failed run returns 0 and
// leaves the destination empty.
template <typename FnRun>
unsigned long _nMixedWalk(const unsigned char* pbySrc, unsigned long nSrc, char* pszDst, unsigned long nDst,
                          FnRun fnRun)
{
    unsigned long nIn = 0;
    unsigned long nOut = 0;
    while (nIn < nSrc && nOut < nDst) {
        if (pbySrc[nIn] < 0x80) {
            pszDst[nOut++] = static_cast<char>(pbySrc[nIn++]);
            continue;
        }
        unsigned long nEnd = nIn + 1;
        while (nEnd < nSrc && pbySrc[nEnd] >= 0x80)
            ++nEnd;
        std::size_t nProduced = 0;
        if (!fnRun(nIn, nEnd, pszDst + nOut, static_cast<std::size_t>(nDst - nOut), nProduced)) {
            pszDst[0] = '\0';
            return 0;
        }
        nIn = nEnd;
        nOut += nProduced;
    }
    if (nOut < nDst)
        std::memset(pszDst + nOut, 0, nDst - nOut);
    return nOut;
}

// Source length with (unsigned long)-1 standing for the text and its terminator.
unsigned long _nSourceLength(const char* pszSrc, unsigned long nSrcLen)
{
    return nSrcLen == static_cast<unsigned long>(-1) ? std::strlen(pszSrc) + 1 : nSrcLen;
}

} // namespace

const char* CodePageToIConv(unsigned nCodePage)
{
    switch (nCodePage) {
    case kCodePageUtf8: return kszUtf8;
    case 874: return "CP874";
    case 932: return "CP932";
    case 936: return "CP936";
    case 949: return "CP949";
    case 950: return "CP950";
    case 1250: return "CP1250";
    case 1251: return "CP1251";
    case 1253: return "CP1253";
    case 1254: return "CP1254";
    case 1255: return "CP1255";
    case 1256: return "CP1256";
    case 1257: return "CP1257";
    case 1258: return "CP1258";
    case 1361: return "CP1361";
    default: return "CP1252";
    }
}

int MultiByteToWideChar(unsigned nCodePage, unsigned /*dwFlags*/, const char* pszSrc, int nSrcLen,
                        wchar_t* pwszDst, int nDstCount)
{
    if (pszSrc == nullptr || nSrcLen < -1 || nDstCount < 0)
        return 0;
    const std::size_t nIn = nSrcLen == -1 ? std::strlen(pszSrc) + 1 : static_cast<std::size_t>(nSrcLen);
    if (nIn == 0 || nIn > static_cast<std::size_t>(INT_MAX))
        return 0;
    const bool bMeasure = pwszDst == nullptr || nDstCount == 0;

    if (const CSingleByteTable* pclTable = _pGetSingleByteTable(nCodePage)) {
        const unsigned char* pbySrc = reinterpret_cast<const unsigned char*>(pszSrc);
        if (!bMeasure && nIn > static_cast<std::size_t>(nDstCount)) {
            errno = E2BIG;
            return 0;
        }
        for (std::size_t n = 0; n < nIn; ++n) {
            const std::uint32_t dwCode = pclTable->dwCode(pbySrc[n]);
            if (dwCode == kdwInvalid) {
                errno = EILSEQ;
                return 0;
            }
            if (!bMeasure)
                pwszDst[n] = static_cast<wchar_t>(dwCode);
        }
        return static_cast<int>(nIn);
    }

    // A caller cannot own more than SIZE_MAX bytes, whatever nDstCount claims (32-bit size_t).
    const std::size_t nMaxCount = static_cast<std::size_t>(-1) / sizeof(wchar_t);
    const std::size_t nOutSize =
        (static_cast<std::size_t>(nDstCount) < nMaxCount ? static_cast<std::size_t>(nDstCount) : nMaxCount) *
        sizeof(wchar_t);
    std::size_t nBytes = 0;
    if (!_bConvertOnce(_pszWideName(), CodePageToIConv(nCodePage), pszSrc, nIn,
                       bMeasure ? nullptr : reinterpret_cast<char*>(pwszDst), nOutSize, nBytes))
        return 0;
    const std::size_t nChars = nBytes / sizeof(wchar_t);
    return nChars > static_cast<std::size_t>(INT_MAX) ? 0 : static_cast<int>(nChars);
}

int WideCharToMultiByte(unsigned nCodePage, unsigned /*dwFlags*/, const wchar_t* pwszSrc, int nSrcCount,
                        char* pszDst, int nDstSize, const char* /*pszDefaultChar*/, int* pbUsedDefault)
{
    if (pbUsedDefault != nullptr)
        *pbUsedDefault = 0;
    if (pwszSrc == nullptr || nSrcCount < -1 || nDstSize < 0)
        return 0;
    const std::size_t nCount = nSrcCount == -1 ? std::wcslen(pwszSrc) + 1 : static_cast<std::size_t>(nSrcCount);
    if (nCount == 0 || nCount > static_cast<std::size_t>(-1) / sizeof(wchar_t))
        return 0;
    const bool bMeasure = pszDst == nullptr || nDstSize == 0;
    std::size_t nBytes = 0;
    if (!_bConvertOnce(CodePageToIConv(nCodePage), _pszWideName(), reinterpret_cast<const char*>(pwszSrc),
                       nCount * sizeof(wchar_t), bMeasure ? nullptr : pszDst, static_cast<std::size_t>(nDstSize),
                       nBytes))
        return 0;
    return nBytes > static_cast<std::size_t>(INT_MAX) ? 0 : static_cast<int>(nBytes);
}

unsigned MultiByteToMultiByte(unsigned nFromCodePage, const char* pszSrc, unsigned nSrcLen, unsigned nToCodePage,
                              char* pszDst, unsigned nDstSize)
{
    if (pszSrc == nullptr)
        return 0;
    const std::size_t nIn = nSrcLen == static_cast<unsigned>(-1) ? std::strlen(pszSrc) + 1 : nSrcLen;
    if (nIn == 0)
        return 0;
    const bool bMeasure = pszDst == nullptr || nDstSize == 0;
    std::size_t nBytes = 0;
    if (!_bConvertOnce(CodePageToIConv(nToCodePage), CodePageToIConv(nFromCodePage), pszSrc, nIn,
                       bMeasure ? nullptr : pszDst, nDstSize, nBytes))
        return 0;
    return nBytes > static_cast<std::size_t>(UINT_MAX) ? 0 : static_cast<unsigned>(nBytes);
}

int nGetUNICODELen(const char* pszText)
{
    return pszText == nullptr ? 0 : MultiByteToWideChar(1252, 0, pszText, -1, nullptr, 0);
}

int nGetUTF8Len(const wchar_t* pwszText)
{
    return pwszText == nullptr ? 0
                               : WideCharToMultiByte(kCodePageUtf8, 0, pwszText, -1, nullptr, 0, nullptr, nullptr);
}

char* pszChar2UTF8(const char* pszText)
{
    const int nWide = nGetUNICODELen(pszText);
    if (nWide <= 0)
        return nullptr;
    wchar_t* pwszWide = static_cast<wchar_t*>(std::malloc(static_cast<std::size_t>(nWide) * sizeof(wchar_t)));
    if (pwszWide == nullptr)
        return nullptr;
    char* pszResult = nullptr;
    if (MultiByteToWideChar(1252, 0, pszText, -1, pwszWide, nWide) == nWide) {
        const int nBytes = nGetUTF8Len(pwszWide);
        if (nBytes > 0) {
            pszResult = static_cast<char*>(std::malloc(static_cast<std::size_t>(nBytes)));
            if (pszResult != nullptr &&
                WideCharToMultiByte(kCodePageUtf8, 0, pwszWide, nWide, pszResult, nBytes, nullptr, nullptr) !=
                    nBytes) {
                std::free(pszResult);
                pszResult = nullptr;
            }
        }
    }
    std::free(pwszWide);
    return pszResult;
}

int MultiByteToUTF8(unsigned nCodePage, const char* pszSrc, unsigned long nSrcLen, char* pszDst,
                    unsigned long nDstSize, unsigned /*dwFlags*/)
{
    if (pszDst == nullptr || nDstSize == 0)
        return 0;
    if (pszSrc == nullptr) {
        std::memset(pszDst, 0, nDstSize);
        return 0;
    }
    const unsigned long nSrc = _nSourceLength(pszSrc, nSrcLen);

    if (nCodePage == kCodePageUtf8) {
        // Copy as strncpy would, but never beyond the length the caller gave.
        const unsigned long nLimit = nSrc < nDstSize ? nSrc : nDstSize;
        const std::size_t nCopy = strnlen(pszSrc, nLimit);
        std::memcpy(pszDst, pszSrc, nCopy);
        std::memset(pszDst + nCopy, 0, nDstSize - nCopy);
        pszDst[nDstSize - 1] = '\0';
        return static_cast<int>(std::strlen(pszDst));
    }

    const unsigned char* pbySrc = reinterpret_cast<const unsigned char*>(pszSrc);
    unsigned long nOut = 0;
    if (const CSingleByteTable* pclTable = _pGetSingleByteTable(nCodePage)) {
        nOut = _nMixedWalk(pbySrc, nSrc, pszDst, nDstSize,
                           [&](unsigned long nStart, unsigned long& nEnd, char* pOut, std::size_t nRoom,
                               std::size_t& nProduced) {
                               unsigned char* pbyOut = reinterpret_cast<unsigned char*>(pOut);
                               std::size_t nDone = 0;
                               for (unsigned long n = nStart; n < nEnd; ++n) {
                                   const std::uint32_t dwCode = pclTable->dwCode(pbySrc[n]);
                                   unsigned char abyChar[4];
                                   if (dwCode == kdwInvalid) {
                                       errno = EILSEQ;
                                       return false;
                                   }
                                   const std::size_t nLen = _nEncodeUtf8(dwCode, abyChar);
                                   if (nLen > nRoom - nDone) {
                                       errno = E2BIG;
                                       return false;
                                   }
                                   std::memcpy(pbyOut + nDone, abyChar, nLen);
                                   nDone += nLen;
                               }
                               nProduced = nDone;
                               return true;
                           });
    } else {
        CConverter clConv;
        const char* pszFrom = CodePageToIConv(nCodePage);
        nOut = _nMixedWalk(pbySrc, nSrc, pszDst, nDstSize,
                           [&](unsigned long nStart, unsigned long& nEnd, char* pOut, std::size_t nRoom,
                               std::size_t& nProduced) {
                               return _bConvertRun(clConv, kszUtf8, pszFrom, pbySrc, nSrc, nStart, nEnd, true, pOut,
                                                   nRoom, nProduced);
                           });
    }
    return nOut > static_cast<unsigned long>(INT_MAX) ? 0 : static_cast<int>(nOut);
}

unsigned UTF8ToMultiByte(unsigned nCodePage, const char* pszSrc, unsigned long nSrcLen, char* pszDst,
                         unsigned long nDstSize, unsigned /*dwFlags*/, const char* /*pszDefaultChar*/,
                         int* pbUsedDefault)
{
    if (pbUsedDefault != nullptr)
        *pbUsedDefault = 0;
    if (pszDst == nullptr || nDstSize == 0)
        return 0;
    if (pszSrc == nullptr) {
        std::memset(pszDst, 0, nDstSize);
        return 0;
    }
    const unsigned long nSrc = _nSourceLength(pszSrc, nSrcLen);

    if (nCodePage == kCodePageUtf8) {
        if (nSrc >= nDstSize) {
            std::memcpy(pszDst, pszSrc, nDstSize - 1);
            pszDst[nDstSize - 1] = '\0';
            return static_cast<unsigned>(nDstSize - 1);
        }
        std::memcpy(pszDst, pszSrc, nSrc);
        std::memset(pszDst + nSrc, 0, nDstSize - nSrc);
        return static_cast<unsigned>(nSrc);
    }

    const unsigned char* pbySrc = reinterpret_cast<const unsigned char*>(pszSrc);
    CConverter clConv;
    const char* pszTo = CodePageToIConv(nCodePage);
    const unsigned long nOut =
        _nMixedWalk(pbySrc, nSrc, pszDst, nDstSize,
                    [&](unsigned long nStart, unsigned long& nEnd, char* pOut, std::size_t nRoom,
                        std::size_t& nProduced) {
                        return _bConvertRun(clConv, pszTo, kszUtf8, pbySrc, nSrc, nStart, nEnd, false, pOut, nRoom,
                                            nProduced);
                    });
    return nOut > static_cast<unsigned long>(UINT_MAX) ? 0 : static_cast<unsigned>(nOut);
}

namespace {

unsigned _nCurrentCodePage()
{
    return dwGetCodePageFromCharset(STR_nGetCurrentChangeCharset());
}

} // namespace

int MultiByteToUTF8_CurrentCharset(const char* pszSrc, unsigned long nSrcLen, char* pszDst, unsigned long nDstSize,
                                   unsigned dwFlags)
{
    return MultiByteToUTF8(_nCurrentCodePage(), pszSrc, nSrcLen, pszDst, nDstSize, dwFlags);
}

unsigned UTF8ToMultiByte_CurrentCharset(const char* pszSrc, unsigned long nSrcLen, char* pszDst,
                                        unsigned long nDstSize, unsigned dwFlags, const char* pszDefaultChar,
                                        int* pbUsedDefault)
{
    return UTF8ToMultiByte(_nCurrentCodePage(), pszSrc, nSrcLen, pszDst, nDstSize, dwFlags, pszDefaultChar,
                           pbUsedDefault);
}

int MultiByteToUTF16_CurrentCharset(unsigned dwFlags, const char* pszSrc, int n, unsigned short* pwszDst,
                                    int nCapacity)
{
    return MultiByteToUTF16(_nCurrentCodePage(), dwFlags, pszSrc, n, pwszDst, nCapacity);
}
