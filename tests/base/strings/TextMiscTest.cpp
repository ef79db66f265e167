// Tests of the case helpers, wide fills and version comparison.
#include "base/strings/TextMisc.h"

#include "support/Sentinel.h"

#include <gtest/gtest.h>

#include <cwchar>

TEST(TextMisc, CaseInPlace)
{
    char sz[] = "aBc-\xE9";
    EXPECT_STREQ("ABC-\xE9", my_strupr(sz)); // "C" locale: bytes above 0x7F stay
    EXPECT_STREQ("abc-\xE9", my_strlwr(sz));
    EXPECT_EQ(nullptr, my_strupr(nullptr));
}

TEST(TextMisc, WideFillsStopAtTerminator)
{
    zvtest::SentinelBuffer<wchar_t> cl(6);
    std::wcscpy(cl.data(), L"abcd");
    wcsnset(cl.data(), L'x', 2);
    EXPECT_STREQ(L"xxcd", cl.data());
    wcsnset(cl.data(), L'y', 40);
    EXPECT_STREQ(L"yyyy", cl.data());
    wcsset(cl.data(), L'z');
    EXPECT_STREQ(L"zzzz", cl.data());
    EXPECT_TRUE(cl.untouchedFrom(5));
    EXPECT_TRUE(cl.guardsIntact());
}

TEST(TextMisc, CompareVersionModule)
{
    const struct { const char* pszA; const char* pszB; int nResult; } aRows[] = {
        {"15.1", "9.9", 1}, {"9.9", "15.1", -1}, {"15.1", "15.1", 0}, {"15.2", "15.10", 1},
        {"15.0a", "15.0", 1}, {"15", "15.0", -1}, {nullptr, "0", 0}};
    for (const auto& r : aRows) {
        SCOPED_TRACE(std::string(r.pszA ? r.pszA : "(null)") + " " + r.pszB);
        EXPECT_EQ(r.nResult, nCompareVersionModule(r.pszA, r.pszB));
    }
}
