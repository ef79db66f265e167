// Tests of the in-place editing of texts.
#include "base/strings/StrEdit.h"

#include "support/Sentinel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace {

using zvtest::SentinelBuffer;

using EditFn = char* (*)(char*);

TEST(StrEdit, SpaceTrimming)
{
    struct Row {
        const char* pszLabel;
        EditFn fn;
        const char* pszIn;
        const char* pszExpected;
    };
    const Row rows[] = {
        {"right", STR_SuppressRightSpaces, " \ta b \r\n\v\f", " \ta b"},
        {"right A", STR_SuppressRightSpacesA, "ab  ", "ab"},
        {"left", STR_SuppressLeftSpaces, " \t\na b ", "a b "},
        {"left A", STR_SuppressLeftSpacesA, "  ab", "ab"},
        {"side", STR_SuppressSideSpaces, "  a b  ", "a b"},
        {"all", STR_SuppressAllSpaces, " a \tb\nc ", "abc"},
        {"all blank, right", STR_SuppressRightSpaces, " \t ", ""},
        {"all blank, left", STR_SuppressLeftSpaces, " \t ", ""},
        {"empty", STR_SuppressSideSpaces, "", ""},
        {"non-breaking space is no space", STR_SuppressSideSpaces, "\xA0x\xA0", "\xA0x\xA0"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.pszLabel);
        std::string s(row.pszIn);
        EXPECT_EQ(row.fn(&s[0]), &s[0]);
        EXPECT_STREQ(s.c_str(), row.pszExpected);
        EXPECT_EQ(row.fn(nullptr), nullptr);
    }
    wchar_t wsz[] = L"ab \t\n";
    EXPECT_STREQ(STR_SuppressRightSpacesW(wsz), L"ab");
    EXPECT_EQ(STR_SuppressRightSpacesW(nullptr), nullptr);
}

TEST(StrEdit, CharacterRuns)
{
    char sz1[] = "**a*b**";
    EXPECT_STREQ(STR_SuppressRightCar(sz1, '*'), "**a*b");
    char sz2[] = "**a*b**";
    EXPECT_STREQ(STR_SuppressLeftCar(sz2, '*'), "a*b**");
    char sz3[] = "**a*b**";
    EXPECT_STREQ(STR_SuppressSideCar(sz3, '*'), "a*b");
    char sz4[] = "***";
    EXPECT_STREQ(STR_SuppressSideCar(sz4, '*'), "");
    char sz5[] = "\xE9" "a\xE9";
    EXPECT_STREQ(STR_SuppressSideCar(sz5, '\xE9'), "a");
    EXPECT_EQ(STR_SuppressSideCar(nullptr, '*'), nullptr);
}

TEST(StrEdit, CompleteStaysWithinTheBuffer)
{
    struct Row {
        const char* pszLabel;
        const char* pszIn;
        unsigned long nSize;
        const char* pszExpected;
    };
    const Row rows[] = {
        {"padded", "ab", 5, "ab**"},
        {"cut", "abcdef", 3, "ab"},
        {"exact", "abcd", 5, "abcd"},
        {"size 1", "abc", 1, ""},
        {"empty padded", "", 4, "***"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.pszLabel);
        // The buffer holds the text only as far as the size allows: a text longer than the
        // buffer is cut in it, and Complete must not look past the buffer for its end.
        SentinelBuffer<char> buf(row.nSize);
        const std::size_t nCopy = std::min<std::size_t>(std::strlen(row.pszIn) + 1, row.nSize);
        std::memcpy(buf.data(), row.pszIn, nCopy);
        STR_Complete(buf.data(), row.nSize, '*');
        EXPECT_STREQ(buf.data(), row.pszExpected);
        EXPECT_TRUE(buf.guardsIntact());
    }
    SentinelBuffer<char> empty(0);
    STR_Complete(empty.data(), 0, '*');
    EXPECT_TRUE(empty.guardsIntact());
    EXPECT_EQ(STR_Complete(nullptr, 4, '*'), nullptr);
}

TEST(StrEdit, EllipsisRows)
{
    struct Row {
        const char* pszLabel;
        const char* pszSrc;
        unsigned nMax;
        eELLIPSISPOSITION ePos;
        const char* pszExpected;
    };
    const char* pszLong = "abcdefghijklmnop";
    const Row rows[] = {
        {"end", pszLong, 10, eELLIPSIS_END, "abcdefg..."},
        {"middle", pszLong, 10, eELLIPSIS_MIDDLE, "abc...mnop"},
        {"start", pszLong, 10, eELLIPSIS_START, "...jklmnop"},
        {"middle odd", pszLong, 11, eELLIPSIS_MIDDLE, "abcd...mnop"},
        {"only points", pszLong, 3, eELLIPSIS_MIDDLE, "..."},
        {"fits", "abc", 10, eELLIPSIS_END, "abc"},
        {"fits exactly", "abcdefghij", 10, eELLIPSIS_START, "abcdefghij"},
        {"unknown position counts as end", pszLong, 5, static_cast<eELLIPSISPOSITION>(7), "ab..."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.pszLabel);
        SentinelBuffer<char> buf(row.nMax + 1);
        EXPECT_EQ(STR_Ellipsis(buf.data(), row.pszSrc, row.nMax, row.ePos), buf.data());
        EXPECT_STREQ(buf.data(), row.pszExpected);
        EXPECT_TRUE(buf.guardsIntact());
    }
}

TEST(StrEdit, EllipsisEdges)
{
    char sz[8] = "zz";
    EXPECT_EQ(STR_Ellipsis(sz, "abcdef", 2, eELLIPSIS_END), std::string("abcdef"));
    EXPECT_STREQ(sz, "zz");  // below 3: nothing written
    EXPECT_EQ(STR_Ellipsis(sz, nullptr, 5, eELLIPSIS_END), nullptr);
    EXPECT_EQ(STR_Ellipsis(nullptr, "abcdef", 5, eELLIPSIS_END), nullptr);

    // In place.
    char szSame[] = "abcdefghijklmnop";
    EXPECT_STREQ(STR_Ellipsis(szSame, szSame, 10, eELLIPSIS_MIDDLE), "abc...mnop");
    char szStart[] = "abcdefghijklmnop";
    EXPECT_STREQ(STR_Ellipsis(szStart, szStart, 10, eELLIPSIS_START), "...jklmnop");
}

} // namespace
