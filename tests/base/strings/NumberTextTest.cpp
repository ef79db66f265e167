// Tests of the radix conversions and of reading hexadecimal digits.
#include "base/strings/NumberText.h"

#include "support/Sentinel.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

TEST(NumberText, SignedAndUnsignedInEveryWidth)
{
    char sz[80];
    wchar_t wsz[80];
    const struct { long long nValue; int nRadix; const char* pszText; } aRows[] = {
        {-255, 16, "-ff"}, {0, 10, "0"}, {35, 36, "z"}, {5, 2, "101"}, {INT_MIN, 10, "-2147483648"},
        {INT_MAX, 36, "zik0zj"}, {-8, 8, "-10"}};
    for (const auto& r : aRows) {
        SCOPED_TRACE(r.pszText);
        EXPECT_STREQ(r.pszText, itoa(static_cast<int>(r.nValue), sz, r.nRadix));
        EXPECT_STREQ(r.pszText, ltoa(static_cast<long>(r.nValue), sz, r.nRadix));
        EXPECT_STREQ(r.pszText, i64toa(r.nValue, sz, r.nRadix));
        const std::wstring wsText(r.pszText, r.pszText + std::string(r.pszText).size());
        EXPECT_EQ(wsText, itow(static_cast<int>(r.nValue), wsz, r.nRadix));
        EXPECT_EQ(wsText, ltow(static_cast<long>(r.nValue), wsz, r.nRadix));
        EXPECT_EQ(wsText, i64tow(r.nValue, wsz, r.nRadix));
    }
    EXPECT_STREQ("18446744073709551615", ui64toa(ULLONG_MAX, sz, 10));
    EXPECT_STREQ("-9223372036854775808", i64toa(LLONG_MIN, sz, 10));
    EXPECT_EQ(std::string(64, '1'), ui64toa(ULLONG_MAX, sz, 2));
    EXPECT_EQ(std::to_string(ULONG_MAX), ultoa(ULONG_MAX, sz, 10));
    EXPECT_EQ(std::to_string(LONG_MIN), ltoa(LONG_MIN, sz, 10));
    EXPECT_STREQ(L"ffffffff", ultow(0xFFFFFFFFul, wsz, 16));
    EXPECT_STREQ(L"-1000000000000000000000000000000000000000000000000000000000000000", i64tow(LLONG_MIN, wsz, 2));
    EXPECT_STREQ(L"3w5e11264sgsf", ui64tow(ULLONG_MAX, wsz, 36));
}

TEST(NumberText, RadixOutOfRangeWritesEmptyText)
{
    for (int nRadix : {-1, 0, 1, 37}) {
        SCOPED_TRACE(nRadix);
        zvtest::SentinelBuffer<char> cl(8);
        EXPECT_EQ(cl.data(), itoa(123, cl.data(), nRadix));
        EXPECT_EQ('\0', cl[0]);
        EXPECT_TRUE(cl.untouchedFrom(1));
        EXPECT_TRUE(cl.guardsIntact());
    }
    EXPECT_EQ(nullptr, itoa(1, nullptr, 10));
}

TEST(NumberText, EntierHexa)
{
    const struct { const char* pszText; long long nValue; int nDigits; } aRows[] = {
        {"1aG", 26, 2}, {"FFff", 0xFFFF, 4}, {"", 0, 0}, {"g1", 0, 0}, {"7fffffffffffffff", LLONG_MAX, 16},
        {"ffffffffffffffff", -1, 16}, {"10000000000000001", 1, 17}};
    for (const auto& r : aRows) {
        SCOPED_TRACE(r.pszText);
        int n = -5;
        EXPECT_EQ(r.nValue, nGetEntierHexa(r.pszText, n));
        EXPECT_EQ(r.nDigits, n);
    }
    int n = 3;
    EXPECT_EQ(0, nGetEntierHexa(nullptr, n));
    EXPECT_EQ(0, n);
}
