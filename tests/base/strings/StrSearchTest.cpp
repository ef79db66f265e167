// Tests of the searches in texts.
#include "base/strings/StrSearch.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// Offset of a search result in its text, -1 for null.
long Offset(const char* pszText, const char* pszHit)
{
    return pszHit == nullptr ? -1 : static_cast<long>(pszHit - pszText);
}

TEST(StrSearch, CaseInsensitiveSearches)
{
    const char* psz = "Hello World";
    EXPECT_EQ(Offset(psz, STR_StrIStr(psz, "WORLD")), 6);
    EXPECT_EQ(Offset(psz, STR_StrIStr(psz, "")), 0);
    EXPECT_EQ(Offset(psz, STR_StrIStr(psz, "worlds")), -1);
    EXPECT_EQ(STR_StrIStr(static_cast<const char*>(nullptr), "a"), nullptr);
    EXPECT_EQ(STR_StrIStr(psz, nullptr), nullptr);

    // Within n characters: the whole occurrence must fit.
    EXPECT_EQ(Offset(psz, STR_strnistrA(psz, "world", 11)), 6);
    EXPECT_EQ(Offset(psz, STR_strnistrA(psz, "world", 10)), -1);
    EXPECT_EQ(Offset(psz, STR_strnistrA(psz, "world", 1000)), 6);

    // Through the Windows-1252 upper-case table: accented letters too.
    const char* pszAccents = "un \xE9t\xE9 chaud";
    EXPECT_EQ(Offset(pszAccents, STR_pszUpStrstr(pszAccents, "\xC9T\xC9")), 3);
    EXPECT_EQ(Offset(pszAccents, STR_pszUpStrstr(pszAccents, "ETE")), -1);
    EXPECT_EQ(Offset(pszAccents, STR_pszUpStrstr(pszAccents, "")), 0);
    EXPECT_EQ(Offset(pszAccents, STR_pszUpStrstr(pszAccents, "chaude")), -1);

    char szMutable[] = "abcABC";
    char* pHit = STR_pszUpStrstr(szMutable, "cab");
    ASSERT_NE(pHit, nullptr);
    *pHit = 'x';
    EXPECT_STREQ(szMutable, "abxABC");
}

TEST(StrSearch, BoundedExactSearch)
{
    const char* psz = "abcabc";
    EXPECT_EQ(Offset(psz, STR_strnstrA(psz, "ca", 6)), 2);
    EXPECT_EQ(Offset(psz, STR_strnstrA(psz, "bc", 3)), 1);
    EXPECT_EQ(Offset(psz, STR_strnstrA(psz, "ca", 3)), -1);
    EXPECT_EQ(Offset(psz, STR_strnstrA(psz, "", 0)), 0);
    EXPECT_EQ(Offset(psz, STR_strnstrA(psz, "abcabcd", 100)), -1);
}

TEST(StrSearch, BackwardSearchSkipsPositionZero)
{
    struct Row {
        const char* pszText;
        long nStart;
        const char* pszNeedle;
        long nExpected;
    };
    const Row rows[] = {
        {"abcabc", 5, "abc", 3},
        {"abcabc", 2, "abc", -1},   // only position 0 is left, and it is not tested
        {"abcabc", 100, "bc", 4},   // start beyond the end is clamped
        {"abcabc", 3, "bc", 1},
        {"abc", 0, "abc", -1},
        {"ab", 5, "abc", -1},
        {"aaa", -1, "a", -1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.pszText) + " from " + std::to_string(row.nStart));
        EXPECT_EQ(Offset(row.pszText, STRRSTR(row.pszText, row.nStart, row.pszNeedle)),
                  row.nExpected);
        EXPECT_EQ(Offset(row.pszText, STRRSTRA(row.pszText, row.nStart, row.pszNeedle)),
                  row.nExpected);
    }
}

TEST(StrSearch, SetsCountsAndLengths)
{
    const char* psz = "a.b,c.d";
    EXPECT_EQ(Offset(psz, STRRPBRK(psz, ",.")), 5);
    EXPECT_EQ(Offset(psz, STRRPBRK(psz, "xyz")), -1);
    EXPECT_EQ(Offset(psz, STRRPBRK(psz, "")), -1);
    EXPECT_EQ(STRRPBRK(static_cast<const char*>(nullptr), "a"), nullptr);

    EXPECT_EQ(STR_nNbOccurrence("banana", 'a'), 3);
    EXPECT_EQ(STR_nNbOccurrence("banana", '\0'), 0);
    EXPECT_EQ(STR_nNbOccurrence(nullptr, 'a'), 0);

    EXPECT_EQ(STR_nLen("abcdef", 3), 3);
    EXPECT_EQ(STR_nLen("ab", 10), 2);
    EXPECT_EQ(STR_nLen("ab", -1), 2);
    EXPECT_EQ(STR_nLen(nullptr, 10), 0);
    EXPECT_EQ(STR_nLenW(L"abcdef", 3), 3);
    EXPECT_EQ(STR_nLenW(L"ab", 10), 2);
    EXPECT_EQ(STR_nLenW(nullptr, 10), 0);
}

} // namespace
