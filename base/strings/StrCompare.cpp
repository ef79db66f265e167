// Comparisons of texts and characters: with options, natural (numbers by value), the language's.
#include "base/strings/StrCompare.h"

#include "base/strings/CharTables.h"
#include "base/strings/StrMap.h"

#include <climits>
#include <cstdint>
#include <cstring>
#include <cwchar>

namespace {

// Length of a text bounded by nLen (negative: unbounded); null counts as empty.
std::size_t nTextLen(const char* psz, long nLen)
{
    if (psz == nullptr)
        return 0;
    return nLen < 0 ? std::strlen(psz) : strnlen(psz, static_cast<unsigned long>(nLen));
}

std::size_t nTextLenU(const char* psz, unsigned long nLen)
{
    return psz == nullptr ? 0 : strnlen(psz, nLen);
}

template <typename T>
std::size_t nTextLenW(const T* p, unsigned long nMax)
{
    if (p == nullptr)
        return 0;
    std::size_t n = 0;
    while (n < nMax && p[n] != 0)
        ++n;
    return n;
}

// Index of the first differing byte of a and b within n, or n. Equal blocks are passed with
// the C library's memcmp; inside the first differing block, machine words are compared and the
// position inside a differing word comes from its lowest set bit (little-endian).
std::size_t nFirstMismatch(const unsigned char* pA, const unsigned char* pB, std::size_t n)
{
    constexpr std::size_t kBlock = 256;
    std::size_t i = 0;
    while (n - i >= kBlock && std::memcmp(pA + i, pB + i, kBlock) == 0)
        i += kBlock;
    for (; i + 8 <= n; i += 8) {
        std::uint64_t qA;
        std::uint64_t qB;
        std::memcpy(&qA, pA + i, 8);
        std::memcpy(&qB, pB + i, 8);
        if (qA != qB)
            return i + static_cast<std::size_t>(__builtin_ctzll(qA ^ qB) / 8);
    }
    while (i < n && pA[i] == pB[i])
        ++i;
    return i;
}

// Result of STR_CompareStringEx for two differing mapped bytes: signed 8-bit order.
inline int nOrderSigned(unsigned char byA, unsigned char byB)
{
    return static_cast<signed char>(byB) > static_cast<signed char>(byA) ? 1 : 3;
}

// Result of STR_CompareStringEx once a common part is equal: the side with characters left.
inline int nOrderLengths(bool bALeft, bool bBLeft)
{
    return bALeft ? 3 : (bBLeft ? 1 : 2);
}

// Compares n bytes of both sides through pbyMap. Equal raw bytes map to equal bytes: the walk
// first passes the equal raw prefix at memcmp speed, then goes on a word at a time, mapping
// only the words that differ.
int nCompareMapped(const unsigned char* pA, const unsigned char* pB, std::size_t n,
                   const unsigned char* pbyMap)
{
    std::size_t i = nFirstMismatch(pA, pB, n);
    for (; i + 8 <= n; i += 8) {
        std::uint64_t qA;
        std::uint64_t qB;
        std::memcpy(&qA, pA + i, 8);
        std::memcpy(&qB, pB + i, 8);
        if (qA == qB)
            continue;
        for (std::size_t k = i; k < i + 8; ++k) {
            const unsigned char byA = pbyMap[pA[k]];
            const unsigned char byB = pbyMap[pB[k]];
            if (byA != byB)
                return nOrderSigned(byA, byB);
        }
    }
    for (; i < n; ++i) {
        const unsigned char byA = pbyMap[pA[i]];
        const unsigned char byB = pbyMap[pB[i]];
        if (byA != byB)
            return nOrderSigned(byA, byB);
    }
    return 2;
}

// --- Natural comparison over cursors -------------------------------------------------------
// A cursor walks one text: bEnd(), cGet() (the current character), Next().

template <typename T>
struct PlainCursor {
    const T* p;
    const T* pEnd;
    bool bEnd() const { return p == pEnd; }
    T cGet() const { return *p; }
    void Next() { ++p; }
};

// Walks a text as the language's preparation sees it: trimmed bounds, characters of the drop
// classes skipped, the others mapped. Invariant: p is at a kept character or at pEnd.
struct PreparedCursor {
    const unsigned char* p;
    const unsigned char* pEnd;
    const unsigned char* pbyMap;
    const unsigned char* pbyType;
    unsigned char byDrop;

    void Skip()
    {
        while (p != pEnd && (pbyType[*p] & byDrop) != 0)
            ++p;
    }
    bool bEnd() const { return p == pEnd; }
    unsigned char cGet() const { return pbyMap[*p]; }
    void Next()
    {
        ++p;
        Skip();
    }
};

template <typename C>
inline bool bIsDigit(C c)
{
    return c >= '0' && c <= '9';
}

template <typename Cur>
std::size_t nDigitRun(Cur cur)
{
    std::size_t n = 0;
    for (; !cur.bEnd() && bIsDigit(cur.cGet()); cur.Next())
        ++n;
    return n;
}

// Natural comparison from the cursors' positions; -1, 0 or 1. fnKey gives the comparable value
// of a character that is not part of two facing digit runs.
template <typename Cur, typename KeyFn>
int nNaturalCompare(Cur a, Cur b, KeyFn fnKey)
{
    int nTie = 0;  // first leading-zero difference met, decides equal texts
    for (;;) {
        if (a.bEnd())
            return b.bEnd() ? nTie : -1;
        if (b.bEnd())
            return 1;
        if (bIsDigit(a.cGet()) && bIsDigit(b.cGet())) {
            std::size_t nA = nDigitRun(a);
            std::size_t nB = nDigitRun(b);
            for (; nA > nB; --nA, a.Next()) {
                if (a.cGet() != '0')
                    return 1;
                if (nTie == 0)
                    nTie = -1;
            }
            for (; nB > nA; --nB, b.Next()) {
                if (b.cGet() != '0')
                    return -1;
                if (nTie == 0)
                    nTie = 1;
            }
            for (; nA > 0; --nA, a.Next(), b.Next()) {
                if (a.cGet() != b.cGet())
                    return a.cGet() < b.cGet() ? -1 : 1;
            }
            continue;
        }
        const auto kA = fnKey(a.cGet());
        const auto kB = fnKey(b.cGet());
        if (kA != kB)
            return kA < kB ? -1 : 1;
        a.Next();
        b.Next();
    }
}

// Character by character by key until one side ends; then the longer is greater.
template <typename Cur, typename KeyFn>
int nPlainCompare(Cur a, Cur b, KeyFn fnKey)
{
    for (; !a.bEnd() && !b.bEnd(); a.Next(), b.Next()) {
        const auto kA = fnKey(a.cGet());
        const auto kB = fnKey(b.cGet());
        if (kA != kB)
            return kA < kB ? -1 : 1;
    }
    if (a.bEnd())
        return b.bEnd() ? 0 : -1;
    return 1;
}

struct ByteKey {
    unsigned operator()(unsigned char c) const { return c; }
};
struct OrderKey {
    const unsigned short* pwOrder;
    unsigned operator()(unsigned char c) const { return pwOrder[c] & 0xFFu; }
};
struct CodePointKey {
    std::uint32_t operator()(wchar_t c) const { return static_cast<std::uint32_t>(c); }
};

inline bool bLangBlank(unsigned c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// --- Windows-1252 view of wide characters --------------------------------------------------

// Code points of the bytes 0x80-0x9F; the five bytes Windows-1252 leaves undefined keep their
// own value.
const std::uint16_t kawCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// Windows-1252 byte of a code point, or -1 when it has none.
int nToCp1252(wchar_t c)
{
    const std::uint32_t u = static_cast<std::uint32_t>(c);
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return static_cast<int>(u);
    for (int i = 0; i < 32; ++i)
        if (kawCp1252High[i] == u)
            return 0x80 + i;
    return -1;
}

wchar_t wcFromCp1252(unsigned char by)
{
    return by >= 0x80 && by < 0xA0 ? static_cast<wchar_t>(kawCp1252High[by - 0x80])
                                   : static_cast<wchar_t>(by);
}

// Wide counterpart of PreparedCursor.
struct PreparedCursorW {
    const wchar_t* p;
    const wchar_t* pEnd;
    const unsigned char* pbyMap;
    const unsigned char* pbyType;
    unsigned char byDrop;

    bool bDropped(wchar_t c) const
    {
        const int n = nToCp1252(c);
        return n >= 0 && (pbyType[n] & byDrop) != 0;
    }
    void Skip()
    {
        while (p != pEnd && bDropped(*p))
            ++p;
    }
    bool bEnd() const { return p == pEnd; }
    wchar_t cGet() const
    {
        const int n = nToCp1252(*p);
        return n >= 0 ? wcFromCp1252(pbyMap[n]) : *p;
    }
    void Next()
    {
        ++p;
        Skip();
    }
};

// Prepared cursor of the language's comparison over [p, p + n).
template <typename Cursor, typename T>
Cursor MakePrepared(const T* p, std::size_t n, int nOptions, const unsigned char* pbyMap,
                    const _stCHARTAB* pst)
{
    const T* pBegin = p;
    const T* pEnd = p + n;
    if (nOptions & STR_OPT_TRIM) {
        while (pBegin != pEnd && bLangBlank(static_cast<unsigned>(*pBegin)))
            ++pBegin;
        while (pEnd != pBegin && bLangBlank(static_cast<unsigned>(pEnd[-1])))
            --pEnd;
    }
    const unsigned nFlags = OptionKL2FlagSTR(nOptions);
    Cursor cur{reinterpret_cast<decltype(Cursor::p)>(pBegin), reinterpret_cast<decltype(Cursor::p)>(pEnd),
               pbyMap, pst->pbyCharType,
               static_cast<unsigned char>((nFlags & STR_MAP_NOPUNCT) ? eCHARTYPE_PUNCT : 0)};
    cur.Skip();
    return cur;
}

const unsigned char* pbyLangMap(int nOptions, const _stCHARTAB* pst, unsigned char (&aby)[256])
{
    return _STR_pbyMapTable(pst, OptionKL2FlagSTR(nOptions) & 3, (nOptions & STR_OPT_LOWER) == 0,
                            aby);
}

// One side of the dropping comparison: the input mapped, with the dropped bytes left out, is
// produced a block at a time into aby so that the two sides compare block against block.
struct FilteredStream {
    static constexpr std::size_t kCapacity = 256;

    FilteredStream(const unsigned char* pBegin, const unsigned char* pStop,
                   const unsigned char* pbyMapIn, const unsigned char* pbyTypeIn)
        : p(pBegin), pEnd(pStop), pbyMap(pbyMapIn), pbyType(pbyTypeIn)
    {
    }

    const unsigned char* p;
    const unsigned char* pEnd;
    const unsigned char* pbyMap;
    const unsigned char* pbyType;
    std::size_t nPending = 0;  // mapped bytes in aby not yet compared
    unsigned char aby[kCapacity];  // only the first nPending bytes are meaningful

    // Tops aby up from the input. Branch-free: every byte is written at nPending (always below
    // kCapacity) and counted only when kept.
    void Fill()
    {
        while (nPending < kCapacity && p != pEnd) {
            const unsigned char c = *p++;
            aby[nPending] = pbyMap[c];
            nPending += (pbyType[c] & eCHARTYPE_PUNCT) == 0;
        }
    }
    void Consume(std::size_t n)
    {
        nPending -= n;
        std::memmove(aby, aby + n, nPending);
    }
};

} // namespace

int STR_CompareStringEx(unsigned nFlags, const char* pszA, long nLenA, const char* pszB,
                        long nLenB)
{
    const _stCHARTAB* pst = _STR_pstTablesOf(nFlags);
    nFlags &= ~STR_FLAG_CURRENT_CHARSET;
    const std::size_t nA = nTextLen(pszA, nLenA);
    const std::size_t nB = nTextLen(pszB, nLenB);
    if (nFlags > 7)
        return nA != 0 ? 3 : (nB == 0 ? 2 : 1);

    const unsigned char* pA = reinterpret_cast<const unsigned char*>(pszA);
    const unsigned char* pB = reinterpret_cast<const unsigned char*>(pszB);
    const std::size_t nCommon = nA < nB ? nA : nB;

    if ((nFlags & STR_CMP_IGNOREPUNCT) == 0) {
        if (nFlags == 0) {
            const std::size_t i = nFirstMismatch(pA, pB, nCommon);
            if (i < nCommon)
                return nOrderSigned(pA[i], pB[i]);
        } else {
            unsigned char abyScratch[256];
            const int nResult =
                nCompareMapped(pA, pB, nCommon, _STR_pbyMapTable(pst, nFlags, true, abyScratch));
            if (nResult != 2)
                return nResult;
        }
        return nOrderLengths(nA > nCommon, nB > nCommon);
    }

    // Dropping characters: the sides move independently once they differ. Over an equal raw
    // prefix both sides drop the same characters, so the walk can start after it.
    unsigned char abyScratch[256];
    const std::size_t iStart = nFirstMismatch(pA, pB, nCommon);
    FilteredStream a(pA + iStart, pA + nA, _STR_pbyMapTable(pst, nFlags & 3, true, abyScratch),
                     pst->pbyCharType);
    FilteredStream b(pB + iStart, pB + nB, a.pbyMap, a.pbyType);
    for (;;) {
        a.Fill();
        b.Fill();
        if (a.nPending == 0 || b.nPending == 0)
            return nOrderLengths(a.nPending != 0, b.nPending != 0);
        const std::size_t n = a.nPending < b.nPending ? a.nPending : b.nPending;
        const std::size_t i = nFirstMismatch(a.aby, b.aby, n);
        if (i < n)
            return nOrderSigned(a.aby[i], b.aby[i]);
        a.Consume(n);
        b.Consume(n);
    }
}

int STR_nCompare(const char* pszA, const char* pszB, unsigned nFlags)
{
    return STR_CompareStringEx(nFlags & ~(0x10000u | STR_FLAG_CURRENT_CHARSET), pszA, -1, pszB,
                               -1) -
           2;
}

int STR_nUpCompare(const char* pszA, const char* pszB, unsigned nFlags)
{
    return STR_nCompare(pszA, pszB, nFlags | STR_CMP_IGNORECASE);
}

int STR_nAcCompare(const char* pszA, const char* pszB, unsigned nFlags)
{
    return STR_nCompare(pszA, pszB, nFlags | STR_CMP_IGNOREACCENT);
}

int STR_nNCompare(const char* pszA, const char* pszB, long n, unsigned nFlags)
{
    return STR_CompareStringEx(nFlags & ~STR_FLAG_CURRENT_CHARSET, pszA, n, pszB, n) - 2;
}

int STR_nNullCompare(const char* pszA, const char* pszB, unsigned nFlags)
{
    if (pszA == nullptr || pszB == nullptr)
        return (pszA != nullptr) - (pszB != nullptr);
    return STR_nCompare(pszA, pszB, nFlags);
}

int STR_nNullNCompare(const char* pszA, const char* pszB, long n, unsigned nFlags)
{
    if (pszA == nullptr || pszB == nullptr)
        return (pszA != nullptr) - (pszB != nullptr);
    return STR_nNCompare(pszA, pszB, n, nFlags);
}

int STR_nEmptyNullCompare(const char* pszA, const char* pszB, unsigned nFlags)
{
    // STR_CompareStringEx already sees null as the empty text.
    return STR_nCompare(pszA, pszB, nFlags);
}

bool STR_bDebut(const char* pszPrefix, const char* pszText)
{
    const std::size_t nPrefix = nTextLen(pszPrefix, -1);
    if (nPrefix == 0)
        return true;
    return STR_CompareStringEx(STR_CMP_IGNORECASE | STR_CMP_IGNOREACCENT, pszPrefix,
                               static_cast<long>(nPrefix), pszText,
                               static_cast<long>(nPrefix)) == 2;
}

int STR_nCompareCharLexico(char cA, char cB, unsigned nFlags)
{
    const unsigned short* pwOrder = _STR_pstTablesOf(nFlags)->pwCharOrder;
    return static_cast<int>(pwOrder[static_cast<unsigned char>(cA)] & 0xFF) -
           static_cast<int>(pwOrder[static_cast<unsigned char>(cB)] & 0xFF);
}

int STR_nCompareCharSouple(char cA, char cB)
{
    return static_cast<int>(pToNoAccentUpper_Latin1[static_cast<unsigned char>(cA)]) -
           static_cast<int>(pToNoAccentUpper_Latin1[static_cast<unsigned char>(cB)]);
}

int STR_nCmpLogiqueAnsiFast(const char* pszA, const char* pszB)
{
    const unsigned char* pA = reinterpret_cast<const unsigned char*>(pszA != nullptr ? pszA : "");
    const unsigned char* pB = reinterpret_cast<const unsigned char*>(pszB != nullptr ? pszB : "");
    for (; *pA != 0 && *pB != 0; ++pA, ++pB) {
        const unsigned char byA = pToNoAccentUpper_Latin1[*pA];
        const unsigned char byB = pToNoAccentUpper_Latin1[*pB];
        if (byA != byB)
            return byA < byB ? -1 : 1;
    }
    if (*pA == 0)
        return *pB == 0 ? 0 : -1;
    return 1;
}

int STR_nCompareRespecteNumerique(const char* pszA, unsigned long nLenA, const char* pszB,
                                  unsigned long nLenB, unsigned nFlags)
{
    const std::size_t nA = nTextLenU(pszA, nLenA);
    const std::size_t nB = nTextLenU(pszB, nLenB);
    const unsigned char* pA = reinterpret_cast<const unsigned char*>(pszA);
    const unsigned char* pB = reinterpret_cast<const unsigned char*>(pszB);

    // An equal raw prefix compares equal and records no tie-breaker, except that its last
    // digit run may continue differently on each side: start from that run.
    std::size_t i = nFirstMismatch(pA, pB, nA < nB ? nA : nB);
    while (i > 0 && bIsDigit(pA[i - 1]))
        --i;

    const PlainCursor<unsigned char> a{pA + i, pA + nA};
    const PlainCursor<unsigned char> b{pB + i, pB + nB};
    if (nFlags & STR_FLAG_SORT_KEY)
        return nNaturalCompare(a, b, OrderKey{_STR_pstTablesOf(nFlags)->pwCharOrder});
    return nNaturalCompare(a, b, ByteKey{});
}

unsigned OptionKL2FlagSTR(int nOptions)
{
    unsigned nFlags = 0;
    if (nOptions & STR_OPT_NOPUNCT)
        nFlags |= STR_MAP_NOPUNCT;
    if (nOptions & STR_OPT_NOACCENT)
        nFlags |= STR_MAP_NOACCENT;
    if (nOptions & (STR_OPT_NOCASE_16 | STR_OPT_NOCASE_32 | STR_OPT_LOWER))
        nFlags |= STR_MAP_CASE;
    return nFlags;
}

int STR_PrepareChaine(char* pszDst, const char* pszSrc, int nLen, int nOptions)
{
    if (pszDst == nullptr)
        return 0;
    pszDst[0] = '\0';
    if (pszSrc == nullptr)
        return 0;
    const _stCHARTAB* pst = STR_pstGetCharTabLocal();
    unsigned char aby[256];
    PreparedCursor cur = MakePrepared<PreparedCursor>(pszSrc, nTextLen(pszSrc, nLen), nOptions,
                                                      pbyLangMap(nOptions, pst, aby), pst);
    int n = 0;
    for (; !cur.bEnd(); cur.Next())
        pszDst[n++] = static_cast<char>(cur.cGet());
    pszDst[n] = '\0';
    return n;
}

int STR_ChaineCompare(const char* pszA, int nLenA, const char* pszB, int nLenB, int nOptions)
{
    const _stCHARTAB* pst = STR_pstGetCharTabLocal();
    unsigned char aby[256];
    const unsigned char* pbyMap = pbyLangMap(nOptions, pst, aby);
    const PreparedCursor a = MakePrepared<PreparedCursor>(pszA != nullptr ? pszA : "",
                                                          nTextLen(pszA, nLenA), nOptions, pbyMap, pst);
    const PreparedCursor b = MakePrepared<PreparedCursor>(pszB != nullptr ? pszB : "",
                                                          nTextLen(pszB, nLenB), nOptions, pbyMap, pst);
    if (nOptions & STR_OPT_NATURAL) {
        if (nOptions & STR_OPT_SORTKEY)
            return nNaturalCompare(a, b, OrderKey{pst->pwCharOrder});
        return nNaturalCompare(a, b, ByteKey{});
    }
    if (nOptions & STR_OPT_SORTKEY)
        return nPlainCompare(a, b, OrderKey{pst->pwCharOrder});
    return nPlainCompare(a, b, ByteKey{});
}

int STR_nCompareCharLexicoW(wchar_t cA, wchar_t cB, unsigned /*nFlags*/)
{
    return STR_nCompareCharSoupleW(cA, cB);
}

int STR_nCompareCharSoupleW(wchar_t cA, wchar_t cB)
{
    const std::uint32_t uA = static_cast<std::uint32_t>(cA);
    const std::uint32_t uB = static_cast<std::uint32_t>(cB);
    return uA < uB ? -1 : (uA > uB ? 1 : 0);
}

int STR_nCompareStringLexicoW(const wchar_t* pwszA, long nLenA, const wchar_t* pwszB, long nLenB,
                              unsigned /*nFlags*/)
{
    const std::size_t nA = nTextLenW(pwszA, nLenA < 0 ? ULONG_MAX : static_cast<unsigned long>(nLenA));
    const std::size_t nB = nTextLenW(pwszB, nLenB < 0 ? ULONG_MAX : static_cast<unsigned long>(nLenB));
    const PlainCursor<wchar_t> a{pwszA, pwszA + nA};
    const PlainCursor<wchar_t> b{pwszB, pwszB + nB};
    return nPlainCompare(a, b, CodePointKey{});
}

int STR_nCompareRespecteNumeriqueW(const wchar_t* pwszA, unsigned long nLenA,
                                   const wchar_t* pwszB, unsigned long nLenB, unsigned /*nFlags*/)
{
    const std::size_t nA = nTextLenW(pwszA, nLenA);
    const std::size_t nB = nTextLenW(pwszB, nLenB);
    const PlainCursor<wchar_t> a{pwszA, pwszA + nA};
    const PlainCursor<wchar_t> b{pwszB, pwszB + nB};
    return nNaturalCompare(a, b, CodePointKey{});
}

int STR_PrepareChaineW(wchar_t* pwszDst, const wchar_t* pwszSrc, int nLen, int nOptions)
{
    if (pwszDst == nullptr)
        return 0;
    pwszDst[0] = L'\0';
    if (pwszSrc == nullptr)
        return 0;
    const _stCHARTAB* pst = STR_pstGetCharTabLocal();
    unsigned char aby[256];
    const std::size_t n = nTextLenW(pwszSrc, nLen < 0 ? ULONG_MAX : static_cast<unsigned long>(nLen));
    PreparedCursorW cur =
        MakePrepared<PreparedCursorW>(pwszSrc, n, nOptions, pbyLangMap(nOptions, pst, aby), pst);
    int nOut = 0;
    for (; !cur.bEnd(); cur.Next())
        pwszDst[nOut++] = cur.cGet();
    pwszDst[nOut] = L'\0';
    return nOut;
}

int STR_ChaineCompareW(const wchar_t* pwszA, int nLenA, const wchar_t* pwszB, int nLenB,
                       int nOptions)
{
    const _stCHARTAB* pst = STR_pstGetCharTabLocal();
    unsigned char aby[256];
    const unsigned char* pbyMap = pbyLangMap(nOptions, pst, aby);
    const wchar_t* pA = pwszA != nullptr ? pwszA : L"";
    const wchar_t* pB = pwszB != nullptr ? pwszB : L"";
    const std::size_t nA = nTextLenW(pA, nLenA < 0 ? ULONG_MAX : static_cast<unsigned long>(nLenA));
    const std::size_t nB = nTextLenW(pB, nLenB < 0 ? ULONG_MAX : static_cast<unsigned long>(nLenB));
    const PreparedCursorW a = MakePrepared<PreparedCursorW>(pA, nA, nOptions, pbyMap, pst);
    const PreparedCursorW b = MakePrepared<PreparedCursorW>(pB, nB, nOptions, pbyMap, pst);
    if (nOptions & STR_OPT_NATURAL)
        return nNaturalCompare(a, b, CodePointKey{});
    return nPlainCompare(a, b, CodePointKey{});
}
