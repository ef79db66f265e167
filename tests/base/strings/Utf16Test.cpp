// Tests of the UTF-16 functions: lengths, copies, caseless comparison and search, conversions.
#include "base/strings/Utf16.h"

#include "support/Sentinel.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using U16 = std::basic_string<unsigned short>;

U16 Units(const char* psz)
{
    U16 s;
    for (; *psz != '\0'; ++psz)
        s += static_cast<unsigned char>(*psz);
    return s;
}

} // namespace

TEST(Utf16, LengthsAndCopy)
{
    const U16 s = Units("hello");
    EXPECT_EQ(5u, utf16len(s.c_str()));
    EXPECT_EQ(3u, utf16nlen(s.c_str(), 3));
    EXPECT_EQ(5u, utf16nlen(s.c_str(), 99));
    EXPECT_EQ(0u, utf16len(nullptr));
    for (std::size_t n : {3u, 5u, 9u}) {
        SCOPED_TRACE(n);
        zvtest::SentinelBuffer<unsigned short> cl(8);
        utf16ncpy(cl.data(), s.c_str(), n);
        EXPECT_EQ(s.substr(0, n), U16(cl.data(), n < 5 ? n : 5));
        EXPECT_TRUE(cl.untouchedFrom(n < 5 ? n : 5)); // the terminator is not copied
        EXPECT_TRUE(cl.guardsIntact());
    }
}

TEST(Utf16, CaselessCompareAndSearch)
{
    const struct { const char* pszA; const char* pszB; std::size_t n; int nSign; } aRows[] = {
        {"Hello", "hELLO", 9, 0}, {"abc", "abd", 2, 0}, {"abc", "abd", 3, -1}, {"abd", "ABC", 3, 1},
        {"ab", "abc", 9, -1}, {"", "", 4, 0}};
    for (const auto& r : aRows) {
        SCOPED_TRACE(std::string(r.pszA) + " / " + r.pszB);
        const int nRes = utf16nicmp(Units(r.pszA).c_str(), Units(r.pszB).c_str(), r.n);
        EXPECT_EQ(r.nSign, (nRes > 0) - (nRes < 0));
    }
    EXPECT_EQ(-1, utf16nicmp(Units("a").c_str(), Units("B").c_str(), 1)); // difference of lowered units

    const U16 sHay = Units("The Quick fox");
    const struct { const char* pszNeedle; std::size_t n; long nPos; } aFind[] = {
        {"quick", 99, 4}, {"QUICK", 9, 4}, {"quick", 8, -1}, {"", 0, 0}, {"fox", 13, 10}, {"foxes", 99, -1}};
    for (const auto& r : aFind) {
        SCOPED_TRACE(r.pszNeedle);
        const unsigned short* p = utf16niutf16(sHay.c_str(), Units(r.pszNeedle).c_str(), r.n);
        EXPECT_EQ(r.nPos < 0 ? nullptr : sHay.c_str() + r.nPos, p);
    }
}

TEST(Utf16, WideCopiesByUnit)
{
    const unsigned short aw[] = {'a', 0xE9, 0xD83D, 0};
    EXPECT_EQ(4, UTF16ToWideChar(aw, -1, nullptr, 0));
    for (int nCap : {2, 4, 6}) {
        SCOPED_TRACE(nCap);
        zvtest::SentinelBuffer<wchar_t> cl(nCap);
        EXPECT_EQ(nCap < 4 ? nCap : 4, UTF16ToWideChar(aw, -1, cl.data(), nCap));
        EXPECT_EQ(0xD83D, nCap > 2 ? cl[2] : 0xD83D);
        EXPECT_TRUE(cl.guardsIntact());
    }
    const wchar_t awc[] = {'a', 0x1F600, 0};
    zvtest::SentinelBuffer<unsigned short> cl(3);
    EXPECT_EQ(3, WideCharToUTF16(awc, -1, cl.data(), 3));
    EXPECT_EQ(0xF600, cl[1]); // low 16 bits: no surrogate pair is formed
    EXPECT_TRUE(cl.guardsIntact());
    EXPECT_EQ(0, WideCharToUTF16(nullptr, -1, cl.data(), 3));
    EXPECT_EQ(0, UTF16ToWideChar(aw, -2, nullptr, 0));
}

TEST(Utf16, CodePageConversions)
{
    // Longer than the stack area of the temporary wide array.
    std::string sText(600, '\xE9');
    sText += "\x80";
    U16 sUnits;
    zvtest::SentinelBuffer<unsigned short> clUnits(sText.size() + 1);
    EXPECT_EQ(602, MultiByteToUTF16(1252, 0, sText.c_str(), -1, nullptr, 0));
    EXPECT_EQ(0, MultiByteToUTF16(1252, 0, sText.c_str(), -1, clUnits.data(), 601)); // too small
    EXPECT_EQ(602, MultiByteToUTF16(1252, 0, sText.c_str(), -1, clUnits.data(), 602));
    EXPECT_EQ(0x20AC, clUnits[600]);
    EXPECT_TRUE(clUnits.guardsIntact());

    zvtest::SentinelBuffer<char> clBytes(sText.size() + 1);
    EXPECT_EQ(602, UTF16ToMultiByte(1252, 0, clUnits.data(), -1, nullptr, 0, nullptr, nullptr));
    EXPECT_EQ(0, UTF16ToMultiByte(1252, 0, clUnits.data(), -1, clBytes.data(), 601, nullptr, nullptr));
    int bUsed = 9;
    EXPECT_EQ(602, UTF16ToMultiByte(1252, 0, clUnits.data(), -1, clBytes.data(), 602, "?", &bUsed));
    EXPECT_EQ(sText, clBytes.data());
    EXPECT_EQ(0, bUsed);
    EXPECT_TRUE(clBytes.guardsIntact());

    const unsigned short awHan[] = {0x4E00, 0};
    char sz[8];
    EXPECT_EQ(0, UTF16ToMultiByte(1252, 0, awHan, -1, sz, 8, nullptr, nullptr));
    EXPECT_EQ(4, UTF16ToMultiByte(932, 0, awHan, -1, sz, 8, nullptr, nullptr) + 1);
}
