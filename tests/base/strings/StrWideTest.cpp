// Tests of the conversions between code-page text, wide text and UTF-8.
#include "base/strings/StrWide.h"

#include "base/strings/CharTables.h"
#include "base/strings/StrCopy.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(StrWide, OneCharacter)
{
    EXPECT_EQ(STR_CharToWChar('\xE9', 0, 1252), L'\u00E9');
    EXPECT_EQ(STR_CharToWChar('\x80', 0, 1252), L'\u20AC');
    EXPECT_EQ(STR_CharToWChar('\xC0', 0, 1251), L'\u0410');  // Cyrillic capital A
    EXPECT_EQ(STR_CharToWChar('a', 0, 65001), L'a');
    EXPECT_EQ(STR_CharToWChar('\xC3', 0, 65001), L'\0');     // half of a UTF-8 sequence
    EXPECT_EQ(STR_CharToWChar('\0', 0, 1252), L'\0');
}

struct ToWideRow {
    const char* pszLabel;
    const char* pszSrc;
    int nLen;
    unsigned nCodePage;
    const wchar_t* pwszExpected;  // null: the conversion fails
};

TEST(StrWide, ToWideRows)
{
    const ToWideRow rows[] = {
        {"1252", "\xC9l\xE8ve \x80", -1, 1252, L"\u00C9l\u00E8ve \u20AC"},
        {"1252 length", "\xC9l\xE8ve", 2, 1252, L"\u00C9l"},
        {"length beyond the text", "ab", 40, 1252, L"ab"},
        {"code page 0", "\xE9", -1, 0, L"\u00E9"},
        {"UTF-8", "\xC3\xA9t\xC3\xA9", -1, 65001, L"\u00E9t\u00E9"},
        {"UTF-8 cut in a sequence", "\xC3\xA9t\xC3\xA9", 4, 65001, nullptr},
        {"UTF-8 malformed", "\xC3\x28", -1, 65001, nullptr},
        {"1251", "\xCF\xF0\xE8", -1, 1251, L"\u041F\u0440\u0438"},
        {"empty", "", -1, 1252, L""},
        {"null", nullptr, -1, 1252, nullptr},
    };
    for (const ToWideRow& row : rows) {
        SCOPED_TRACE(row.pszLabel);
        wchar_t* pwsz = reinterpret_cast<wchar_t*>(1);
        int nCount = -7;
        const bool bOk =
            STR_CharToWChar_AnyCodepage(row.pszSrc, row.nLen, row.nCodePage, &pwsz, &nCount, 0);
        if (row.pwszExpected == nullptr) {
            EXPECT_FALSE(bOk);
            EXPECT_EQ(pwsz, nullptr);
            EXPECT_EQ(nCount, 0);
            continue;
        }
        ASSERT_TRUE(bOk);
        EXPECT_STREQ(pwsz, row.pwszExpected);
        EXPECT_EQ(nCount, static_cast<int>(std::wstring(row.pwszExpected).size()));
        STR_DeleteW(pwsz);
    }
    wchar_t* pwsz = nullptr;
    ASSERT_TRUE(STR_CharToWChar(&pwsz, "\xE0 la"));
    EXPECT_STREQ(pwsz, L"\u00E0 la");
    STR_DeleteW(pwsz);
    EXPECT_FALSE(STR_CharToWChar(&pwsz, nullptr));
    EXPECT_EQ(pwsz, nullptr);
    EXPECT_FALSE(STR_CharToWChar_AnyCodepage("a", -1, 1252, nullptr, nullptr, 0));
}

TEST(StrWide, FromWide)
{
    char* psz = nullptr;
    int nCount = 0;
    ASSERT_TRUE(STR_WCharToChar_AnyCodepage(L"\u00E9t\u00E9 \u20AC", -1, 1252, &psz, &nCount));
    EXPECT_STREQ(psz, "\xE9t\xE9 \x80");
    EXPECT_EQ(nCount, 5);
    STR_Delete(psz);

    ASSERT_TRUE(STR_WCharToChar_AnyCodepage(L"\u00E9t\u00E9", 2, 65001, &psz, &nCount));
    EXPECT_STREQ(psz, "\xC3\xA9t");
    EXPECT_EQ(nCount, 3);
    STR_Delete(psz);

    // A character Windows-1252 cannot hold fails the whole copy.
    psz = reinterpret_cast<char*>(1);
    nCount = 9;
    EXPECT_FALSE(STR_WCharToChar_AnyCodepage(L"a\u4E2Db", -1, 1252, &psz, &nCount));
    EXPECT_EQ(psz, nullptr);
    EXPECT_EQ(nCount, 0);

    ASSERT_TRUE(STR_WCharToChar_AnyCodepage(L"", -1, 1252, &psz, &nCount));
    EXPECT_STREQ(psz, "");
    EXPECT_EQ(nCount, 0);
    STR_Delete(psz);
    EXPECT_FALSE(STR_WCharToChar_AnyCodepage(nullptr, -1, 1252, &psz, &nCount));
}

TEST(StrWide, BetweenCodePages)
{
    char* psz = nullptr;
    int nCount = 0;
    ASSERT_TRUE(STR_CharToChar_AnyCodepage("\xE9t\xE9", -1, 1252, &psz, &nCount, 65001));
    EXPECT_STREQ(psz, "\xC3\xA9t\xC3\xA9");
    EXPECT_EQ(nCount, 5);
    STR_Delete(psz);

    // Equal code pages: a plain copy, even of bytes that are not valid in the page.
    ASSERT_TRUE(STR_CharToChar_AnyCodepage("\xC3\x28z", 2, 65001, &psz, &nCount, 65001));
    EXPECT_STREQ(psz, "\xC3\x28");
    EXPECT_EQ(nCount, 2);
    STR_Delete(psz);

    psz = reinterpret_cast<char*>(1);
    EXPECT_FALSE(STR_CharToChar_AnyCodepage("\xC3\x28", -1, 65001, &psz, &nCount, 1252));
    EXPECT_EQ(psz, nullptr);
    EXPECT_EQ(nCount, 0);
}

TEST(StrWide, CurrentCharset)
{
    STR_ChangeAlphabet(204, nullptr);  // Cyrillic: code page 1251
    wchar_t* pwsz = nullptr;
    int nCount = 0;
    ASSERT_TRUE(STR_CharToWChar_CurrentCharset("\xC0", -1, &pwsz, &nCount, 0));
    EXPECT_STREQ(pwsz, L"\u0410");
    char* psz = nullptr;
    ASSERT_TRUE(STR_WCharToChar_CurrentCharset(pwsz, -1, &psz, &nCount));
    EXPECT_STREQ(psz, "\xC0");
    STR_DeleteW(pwsz);
    STR_Delete(psz);

    STR_ChangeAlphabet(0, nullptr);
    ASSERT_TRUE(STR_CharToWChar_CurrentCharset("\xC0", -1, &pwsz, &nCount, 0));
    EXPECT_STREQ(pwsz, L"\u00C0");
    STR_DeleteW(pwsz);
}

TEST(StrWide, Utf8HeapCopies)
{
    char* psz = STR_pszCreateToXUTF8("\xC9t\xE9");
    EXPECT_STREQ(psz, "\xC3\x89t\xC3\xA9");
    char* pszBack = STR_pszCreateFromXUTF8(psz);
    EXPECT_STREQ(pszBack, "\xC9t\xE9");
    STR_Delete(psz);
    STR_Delete(pszBack);

    EXPECT_EQ(STR_pszCreateFromXUTF8("\xE4\xB8\xAD"), nullptr);  // not in Windows-1252
    EXPECT_EQ(STR_pszCreateFromXUTF8("\xFF"), nullptr);          // not UTF-8
    EXPECT_EQ(STR_pszCreateFromXUTF8(nullptr), nullptr);
    EXPECT_EQ(STR_pszCreateToXUTF8(nullptr), nullptr);
    psz = STR_pszCreateToXUTF8("");
    EXPECT_STREQ(psz, "");
    STR_Delete(psz);
}

} // namespace
