// Tests of the code-page conversions, cross-checked against direct iconv calls.
#include "base/strings/CodePage.h"

#include "base/strings/CharTables.h"
#include "base/strings/StrCopy.h"
#include "support/Sentinel.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <iconv.h>
#include <string>
#include <vector>

namespace {

using zvtest::SentinelBuffer;

const unsigned kPages[] = {1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258, 874, 932, 936, 949, 950, 1361};

// Whole-text conversion by the C library: the reference every result must equal.
bool bIconv(const char* pszTo, const char* pszFrom, const std::string& sIn, std::string& sOut)
{
    iconv_t h = iconv_open(pszTo, pszFrom);
    if (h == reinterpret_cast<iconv_t>(static_cast<std::intptr_t>(-1)))
        return false;
    std::vector<char> vOut(sIn.size() * 4 + 16);
    char* pIn = const_cast<char*>(sIn.data());
    char* pOut = vOut.data();
    std::size_t nIn = sIn.size(), nOut = vOut.size();
    const bool bOk = iconv(h, &pIn, &nIn, &pOut, &nOut) != static_cast<std::size_t>(-1) &&
                     iconv(h, nullptr, nullptr, &pOut, &nOut) != static_cast<std::size_t>(-1);
    iconv_close(h);
    sOut.assign(vOut.data(), pOut);
    return bOk;
}

std::wstring Wide(const std::string& sUtf32)
{
    return std::wstring(reinterpret_cast<const wchar_t*>(sUtf32.data()), sUtf32.size() / sizeof(wchar_t));
}

// Deterministic bytes: mostly ASCII letters with bytes of the upper half in between.
std::string MixedText(unsigned nSeed, std::size_t nLen)
{
    std::string s;
    for (std::size_t i = 0; i < nLen; ++i) {
        nSeed = nSeed * 1103515245u + 12345u;
        const unsigned n = nSeed >> 16;
        s += static_cast<char>(n % 3 == 0 ? 0x80 + n % 128 : 'a' + n % 26);
    }
    return s;
}

} // namespace

TEST(CodePage, IconvNames)
{
    const struct { unsigned nCp; const char* pszName; } aRows[] = {
        {65001, "UTF-8"}, {874, "CP874"}, {932, "CP932"}, {936, "CP936"}, {949, "CP949"}, {950, "CP950"},
        {1250, "CP1250"}, {1251, "CP1251"}, {1253, "CP1253"}, {1254, "CP1254"}, {1255, "CP1255"},
        {1256, "CP1256"}, {1257, "CP1257"}, {1258, "CP1258"}, {1361, "CP1361"}, {1252, "CP1252"},
        {0, "CP1252"}, {437, "CP1252"}, {20127, "CP1252"}};
    for (const auto& r : aRows) {
        SCOPED_TRACE(r.nCp);
        EXPECT_STREQ(r.pszName, CodePageToIConv(r.nCp));
    }
}

TEST(CodePage, WideSideWorksThroughUtf32WhenUcs4IsUnknown)
{
    // glibc has no "UCS4LE": every wide conversion here runs on the "UTF32LE" fallback.
    iconv_t h = iconv_open("UCS4LE", "CP1252");
    if (h != reinterpret_cast<iconv_t>(static_cast<std::intptr_t>(-1)))
        iconv_close(h);
    else
        EXPECT_EQ(EINVAL, errno);
    const wchar_t awc[] = {0x20AC, 0};
    char sz[4] = {};
    EXPECT_EQ(2, WideCharToMultiByte(1252, 0, awc, -1, sz, 4, nullptr, nullptr));
    EXPECT_EQ('\x80', sz[0]);
    EXPECT_EQ(2, MultiByteToWideChar(1258, 0, "\xC0", -1, nullptr, 0));
}

TEST(CodePage, KnownCharacters)
{
    const struct { unsigned nCp; const char* pszBytes; std::wstring wsExpected; } aRows[] = {
        {1252, "\x80", L"\x20AC"}, {0, "\xE9", L"\xE9"}, {1251, "\xC0\xFF", L"\x0410\x044F"},
        {932, "\x82\xA0", L"\x3042"}, {932, "\x83\x40", L"\x30A1"}, {65001, "\xE2\x82\xAC", L"\x20AC"},
        {1253, "\xE1", L"\x03B1"}, {1255, "\xE0", L"\x05D0"}, // decoders that hold the last character back
        {1258, "a", L"a"}, {1258, "\xC3", L"\x0102"}};
    for (const auto& r : aRows) {
        SCOPED_TRACE(std::to_string(r.nCp) + " " + r.pszBytes);
        const int nLen = static_cast<int>(std::strlen(r.pszBytes));
        wchar_t awc[8] = {};
        ASSERT_EQ(static_cast<int>(r.wsExpected.size()), MultiByteToWideChar(r.nCp, 0, r.pszBytes, nLen, nullptr, 0));
        ASSERT_EQ(static_cast<int>(r.wsExpected.size()), MultiByteToWideChar(r.nCp, 0, r.pszBytes, nLen, awc, 8));
        EXPECT_EQ(r.wsExpected, std::wstring(awc));
        char sz[8] = {};
        EXPECT_EQ(nLen, WideCharToMultiByte(r.nCp, 0, awc, static_cast<int>(r.wsExpected.size()), sz, 8, nullptr,
                                            nullptr));
        EXPECT_STREQ(r.pszBytes, sz);
    }
    EXPECT_EQ(2, MultiByteToWideChar(1252, 0, "\xE9", -1, nullptr, 0));
}

TEST(CodePage, MatchesIconvOnEveryByteAndOnMixedTexts)
{
    for (unsigned nCp : kPages) {
        const char* pszName = CodePageToIConv(nCp);
        std::vector<std::string> vInputs;
        for (int n = 1; n < 256; ++n)
            vInputs.push_back(std::string(1, static_cast<char>(n)) + "x");
        for (unsigned nSeed = 0; nSeed < 20; ++nSeed)
            vInputs.push_back(MixedText(nSeed, 40));
        for (const std::string& sIn : vInputs) {
            SCOPED_TRACE(std::string(pszName) + " input " + sIn);
            std::string sUtf32, sUtf8;
            const bool bOk = bIconv("UTF32LE", pszName, sIn, sUtf32);
            const int nLen = static_cast<int>(sIn.size());
            std::vector<wchar_t> vWide(sIn.size() + 1);
            const int nMeasured = MultiByteToWideChar(nCp, 0, sIn.data(), nLen, nullptr, 0);
            const int nWritten = MultiByteToWideChar(nCp, 0, sIn.data(), nLen, vWide.data(), nLen + 1);
            ASSERT_EQ(bOk ? static_cast<int>(sUtf32.size() / 4) : 0, nMeasured);
            ASSERT_EQ(nMeasured, nWritten);
            if (bOk) {
                EXPECT_EQ(Wide(sUtf32), std::wstring(vWide.data(), nWritten));
            }
            // The mixed walk gives what one whole conversion gives.
            char szMixed[256];
            const int nMixed = MultiByteToUTF8(nCp, sIn.data(), sIn.size(), szMixed, sizeof szMixed, 0);
            // Exceptions: whole 1255 and 1258 texts combine marks with ASCII letters, runs cannot;
            // iconv reads 0x5C in 1361 as the won sign, the walk copies ASCII as it is.
            if (nCp != 1258 && nCp != 1255 && !(nCp == 1361 && sIn[0] == '\\')) {
                EXPECT_EQ(bIconv("UTF-8", pszName, sIn, sUtf8) ? sUtf8 : std::string(), std::string(szMixed, nMixed));
            }
        }
    }
}

TEST(CodePage, RoundTripThroughWideAndUtf8)
{
    for (unsigned nCp : kPages) {
        SCOPED_TRACE(nCp);
        std::string sAll;
        for (int n = 1; n < 256; ++n) {
            wchar_t wc = 0;
            const char ch = static_cast<char>(n);
            if (MultiByteToWideChar(nCp, 0, &ch, 1, &wc, 1) == 1)
                sAll += ch;
        }
        if (nCp == 1255 || nCp == 1258) // marks would combine with the letters before them
            continue;
        std::vector<wchar_t> vWide(sAll.size() + 1);
        std::string sBack(sAll.size() + 1, '\0');
        ASSERT_EQ(static_cast<int>(sAll.size() + 1), MultiByteToWideChar(nCp, 0, sAll.c_str(), -1, vWide.data(),
                                                                          static_cast<int>(vWide.size())));
        EXPECT_EQ(static_cast<int>(sBack.size()), WideCharToMultiByte(nCp, 0, vWide.data(), -1, &sBack[0],
                                                                      static_cast<int>(sBack.size()), nullptr, nullptr));
        EXPECT_STREQ(sAll.c_str(), sBack.c_str());
        char szUtf8[1024], szBack[512];
        const int nUtf8 = MultiByteToUTF8(nCp, sAll.c_str(), sAll.size(), szUtf8, sizeof szUtf8, 0);
        ASSERT_GT(nUtf8, 0);
        EXPECT_EQ(sAll.size(), UTF8ToMultiByte(nCp, szUtf8, nUtf8, szBack, sizeof szBack, 0, nullptr, nullptr));
        EXPECT_STREQ(sAll.c_str(), szBack);
    }
}

TEST(CodePage, DestinationSizesTooSmallExactAndLarge)
{
    // "aé€" in 1252 with its terminator: 4 wide characters, 7 UTF-8 bytes.
    const char* pszSrc = "a\xE9\x80";
    for (int nCap : {3, 4, 9}) {
        SCOPED_TRACE(nCap);
        SentinelBuffer<wchar_t> clWide(nCap);
        EXPECT_EQ(nCap >= 4 ? 4 : 0, MultiByteToWideChar(1252, 0, pszSrc, -1, clWide.data(), nCap));
        EXPECT_TRUE(clWide.guardsIntact());
        if (nCap >= 4) {
            EXPECT_TRUE(clWide.untouchedFrom(4));
        }
    }
    const wchar_t awc[] = {'a', 0xE9, 0x20AC, 0};
    for (int nSize : {6, 7, 12}) {
        SCOPED_TRACE(nSize);
        SentinelBuffer<char> clNarrow(nSize);
        EXPECT_EQ(nSize >= 7 ? 7 : 0, WideCharToMultiByte(65001, 0, awc, -1, clNarrow.data(), nSize, nullptr, nullptr));
        EXPECT_TRUE(clNarrow.guardsIntact());
        SentinelBuffer<char> clMulti(nSize);
        EXPECT_EQ(nSize >= 7 ? 7u : 0u, MultiByteToMultiByte(1252, pszSrc, -1u, 65001, clMulti.data(), nSize));
        EXPECT_TRUE(clMulti.guardsIntact());
        if (nSize >= 7) {
            EXPECT_STREQ("a\xC3\xA9\xE2\x82\xAC", clMulti.data());
        }
    }
    // Measuring needs several passes through the scratch area for a long text.
    const std::string sLong(3000, '\xE9');
    EXPECT_EQ(6000u, MultiByteToMultiByte(1252, sLong.data(), 3000, 65001, nullptr, 0));
    EXPECT_EQ(6001, nGetUTF8Len(std::wstring(3000, 0xE9).c_str()));
}

TEST(CodePage, FailuresGiveZero)
{
    const wchar_t awcHan[] = {0x4E00, 0}, awcBad[] = {0x110000, 0}, awcNeg[] = {-5, 0};
    wchar_t awc[8];
    char sz[8];
    EXPECT_EQ(0, MultiByteToWideChar(1252, 0, "\x81", 1, awc, 8));    // undefined in 1252
    EXPECT_EQ(0, MultiByteToWideChar(932, 0, "\x82", 1, nullptr, 0)); // truncated double-byte character
    EXPECT_EQ(0, MultiByteToWideChar(65001, 0, "\xC3\x28", 2, awc, 8));
    EXPECT_EQ(0, MultiByteToWideChar(1252, 0, nullptr, -1, awc, 8));
    EXPECT_EQ(0, MultiByteToWideChar(1252, 0, "a", -2, awc, 8));
    EXPECT_EQ(0, MultiByteToWideChar(1252, 0, "a", 1, awc, -1));
    EXPECT_EQ(0, MultiByteToWideChar(1252, 0, "a", 0, awc, 8));
    int bUsed = 7;
    EXPECT_EQ(0, WideCharToMultiByte(1252, 0, awcHan, -1, sz, 8, "?", &bUsed));
    EXPECT_EQ(0, bUsed);
    EXPECT_EQ(0, WideCharToMultiByte(65001, 0, awcBad, -1, nullptr, 0, nullptr, nullptr));
    EXPECT_EQ(0, WideCharToMultiByte(65001, 0, awcNeg, -1, sz, 8, nullptr, nullptr));
    EXPECT_EQ(0u, MultiByteToMultiByte(1251, "\xC0", 1, 1252, sz, 8)); // Cyrillic has no 1252 form
    EXPECT_EQ(0, nGetUNICODELen(nullptr));
    EXPECT_EQ(0, nGetUTF8Len(nullptr));
    EXPECT_EQ(nullptr, pszChar2UTF8("\x81"));
}

TEST(CodePage, LengthsAndUtf8Copy)
{
    EXPECT_EQ(4, nGetUNICODELen("a\xE9\x80"));
    const wchar_t awc[] = {'a', 0xE9, 0x20AC, 0x1F600, 0};
    EXPECT_EQ(11, nGetUTF8Len(awc));
    char* psz = pszChar2UTF8("a\xE9\x80");
    ASSERT_NE(nullptr, psz);
    EXPECT_STREQ("a\xC3\xA9\xE2\x82\xAC", psz);
    STR_Delete(psz);
}

TEST(CodePage, MultiByteToUtf8MixedWalk)
{
    SentinelBuffer<char> clBig(16);
    EXPECT_EQ(3, MultiByteToUTF8(1252, "a\xE9", 2, clBig.data(), 16, 0));
    EXPECT_EQ(std::string("a\xC3\xA9", 3), std::string(clBig.data(), 3));
    EXPECT_EQ(std::string(13, '\0'), std::string(clBig.data() + 3, 13));
    EXPECT_TRUE(clBig.guardsIntact());

    const struct { const char* pszTrace; unsigned nCp; std::string sSrc; unsigned long nDst; int nResult; std::string sOut; }
        aRows[] = {
            {"ascii fills the destination, unterminated", 1252, "abcdef", 4, 4, "abcd"},
            {"piece does not fit", 1252, "ab\xE9\xE9", 5, 0, ""},
            {"piece fits exactly", 1252, "ab\xE9\xE9", 6, 6, "ab\xC3\xA9\xC3\xA9"},
            {"undefined byte", 1252, "ab\x81", 8, 0, ""},
            {"second byte below 0x80", 932, "x\x83\x40y", 8, 5, "x\xE3\x82\xA1y"},
            {"double-byte across runs", 932, "\x82\xA0\x83\x40\x82\xA0", 16, 9, "\xE3\x81\x82\xE3\x82\xA1\xE3\x81\x82"},
            {"truncated at the end", 932, "x\x83", 8, 0, ""},
            {"run of 1255 ends with its last letter", 1255, "\xE0\xE1", 8, 4, "\xD7\x90\xD7\x91"},
            {"code page 65001 copies", 65001, "h\xC3\xA9llo", 4, 3, "h\xC3\xA9"},
            {"code page 65001 stops at the length", 65001, std::string("h\xC3\xA9llo").substr(0, 3), 16, 3, "h\xC3\xA9"}};
    for (const auto& r : aRows) {
        SCOPED_TRACE(r.pszTrace);
        SentinelBuffer<char> clDst(r.nDst);
        // Exact-size source block, so that reading past the given length is caught under ASan.
        std::vector<char> vSrc(r.sSrc.begin(), r.sSrc.end());
        EXPECT_EQ(r.nResult, MultiByteToUTF8(r.nCp, vSrc.data(), vSrc.size(), clDst.data(), r.nDst, 0));
        EXPECT_EQ(r.sOut, std::string(clDst.data(), r.sOut.size()));
        if (r.nResult == 0 && r.nDst != 0) {
            EXPECT_EQ('\0', clDst[0]);
        }
        EXPECT_TRUE(clDst.guardsIntact());
    }
    SentinelBuffer<char> clEmpty(4);
    EXPECT_EQ(0, MultiByteToUTF8(1252, "abc", 0, clEmpty.data(), 4, 0));
    EXPECT_EQ(std::string(4, '\0'), std::string(clEmpty.data(), 4));
    SentinelBuffer<char> clTerm(8);
    EXPECT_EQ(4, MultiByteToUTF8(1252, "\xE9z", static_cast<unsigned long>(-1), clTerm.data(), 8, 0));
    EXPECT_TRUE(clTerm.guardsIntact());
    EXPECT_EQ(0, MultiByteToUTF8(1252, "abc", 3, nullptr, 8, 0));
}

TEST(CodePage, Utf8ToMultiByteMixedWalk)
{
    const struct { const char* pszTrace; unsigned nCp; std::string sSrc; unsigned long nDst; unsigned nResult; std::string sOut; }
        aRows[] = {
            {"accents", 1252, "a\xC3\xA9\xE2\x82\xAC", 8, 3, std::string("a\xE9\x80\0\0", 5)},
            {"cyrillic", 1251, "\xD0\x90z", 4, 2, std::string("\xC0z\0", 3)},
            {"double-byte", 932, "\xE3\x81\x82", 4, 2, "\x82\xA0"},
            {"malformed", 1252, "a\xC3\x28", 8, 0, std::string(1, '\0')},
            {"truncated", 1252, "a\xC3", 8, 0, std::string(1, '\0')},
            {"not in the code page", 1252, "\xD0\x90", 8, 0, std::string(1, '\0')},
            {"no room for the piece", 932, "ab\xE3\x81\x82", 3, 0, std::string(1, '\0')},
            {"65001, source shorter", 65001, "abc", 6, 3, std::string("abc\0\0\0", 6)},
            {"65001, source as long as the room", 65001, "abcdef", 4, 3, std::string("abc\0", 4)}};
    for (const auto& r : aRows) {
        SCOPED_TRACE(r.pszTrace);
        SentinelBuffer<char> clDst(r.nDst);
        std::vector<char> vSrc(r.sSrc.begin(), r.sSrc.end());
        int bUsed = 3;
        EXPECT_EQ(r.nResult, UTF8ToMultiByte(r.nCp, vSrc.data(), vSrc.size(), clDst.data(), r.nDst, 0, "?", &bUsed));
        EXPECT_EQ(r.sOut, std::string(clDst.data(), r.sOut.size()));
        EXPECT_EQ(0, bUsed);
        EXPECT_TRUE(clDst.guardsIntact());
    }
    char sz[8];
    EXPECT_EQ(4u, UTF8ToMultiByte(65001, "abc", static_cast<unsigned long>(-1), sz, 8, 0, nullptr, nullptr));
    EXPECT_EQ(0u, UTF8ToMultiByte(65001, "abc", 3, sz, 0, 0, nullptr, nullptr));
}

TEST(CodePage, CurrentCharsetForms)
{
    STR_ChangeAlphabet(204, nullptr); // Cyrillic: code page 1251
    char sz[8];
    EXPECT_EQ(2, MultiByteToUTF8_CurrentCharset("\xC0", 1, sz, sizeof sz, 0));
    EXPECT_STREQ("\xD0\x90", sz);
    EXPECT_EQ(1u, UTF8ToMultiByte_CurrentCharset("\xD0\x90", 2, sz, sizeof sz, 0, nullptr, nullptr));
    EXPECT_STREQ("\xC0", sz);
    unsigned short aw[4] = {};
    EXPECT_EQ(2, MultiByteToUTF16_CurrentCharset(0, "\xC0", -1, aw, 4));
    EXPECT_EQ(0x0410, aw[0]);
}
