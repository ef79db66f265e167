// Tests of the heap copies between narrow and wide text, and of wtof.
#include "base/strings/TextCopies.h"

#include "base/strings/StrCopy.h"

#include <gtest/gtest.h>

#include <string>

TEST(TextCopies, NarrowToWide)
{
    const struct { const char* pszTrace; long n; const wchar_t* pwszExpected; } aRows[] = {
        {"whole", -1, L"a\x00E9\x20AC"}, {"prefix", 2, L"a\x00E9"}, {"none", 0, L""}, {"beyond the text", 50, L"a\x00E9\x20AC"}};
    for (const auto& r : aRows) {
        SCOPED_TRACE(r.pszTrace);
        wchar_t* pwsz = pszXSTR2WSTR("a\xE9\x80", r.n);
        ASSERT_NE(nullptr, pwsz);
        EXPECT_STREQ(r.pwszExpected, pwsz);
        STR_DeleteW(pwsz);
    }
    EXPECT_EQ(nullptr, pszXSTR2WSTR("a\x81", -1)); // undefined in Windows-1252
    EXPECT_EQ(nullptr, pszXSTR2WSTR(nullptr, -1));
    EXPECT_EQ(nullptr, pszXSTR2WSTR("a", -2));
}

TEST(TextCopies, WideToNarrow)
{
    const wchar_t* pwsz = L"\x0410\x0411z";
    const struct { const char* pszTrace; long n; int nCp; const char* pszExpected; } aRows[] = {
        {"whole 1251", -1, 1251, "\xC0\xC1z"}, {"prefix", 1, 1251, "\xC0"}, {"utf-8", -1, 65001, "\xD0\x90\xD0\x91z"},
        {"none", 0, 1252, ""}, {"beyond the text", 40, 1251, "\xC0\xC1z"}};
    for (const auto& r : aRows) {
        SCOPED_TRACE(r.pszTrace);
        char* psz = pszWSTR2XSTR(pwsz, r.n, r.nCp);
        ASSERT_NE(nullptr, psz);
        EXPECT_STREQ(r.pszExpected, psz);
        STR_Delete(psz);
    }
    EXPECT_EQ(nullptr, pszWSTR2XSTR(pwsz, -1, 1252)); // Cyrillic has no Windows-1252 form
}

TEST(TextCopies, PlainCopies)
{
    char* psz = pszCSTR2XSTR("abc");
    EXPECT_STREQ("abc", psz);
    STR_Delete(psz);
    psz = pszXSTR2CSTR("abcdef", 2);
    EXPECT_STREQ("ab", psz);
    STR_Delete(psz);
    psz = pszXSTR2CSTR("ab", 1000000);
    EXPECT_STREQ("ab", psz);
    STR_Delete(psz);
    EXPECT_EQ(nullptr, pszXSTR2CSTR(nullptr, -1));
}

TEST(TextCopies, Wtof)
{
    EXPECT_DOUBLE_EQ(12.5, wtof(L" 12.5xyz"));
    EXPECT_DOUBLE_EQ(-3.0, wtof(L"-3\x4E00")); // a character Windows-1252 lacks ends the number
    EXPECT_DOUBLE_EQ(0.0, wtof(nullptr));
    // Longer than the 99 characters read: the number is cut, nothing is overrun.
    EXPECT_DOUBLE_EQ(1e98, wtof((L"1" + std::wstring(150, L'0')).c_str()));
}
