// Tests of the heap copies and bounded copies of texts.
#include "base/strings/StrCopy.h"

#include "support/Sentinel.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <string>

namespace {

using zvtest::SentinelBuffer;

// Owns a heap text of the library.
struct Owned {
    explicit Owned(char* p) : psz(p) {}
    ~Owned() { STR_Delete(psz); }
    char* psz;
};
struct OwnedW {
    explicit OwnedW(wchar_t* p) : pwsz(p) {}
    ~OwnedW() { STR_DeleteW(pwsz); }
    wchar_t* pwsz;
};

TEST(StrCopy, HeapCopiesAndConcatenations)
{
    Owned copy(STR_pszCreate("abc"));
    ASSERT_NE(copy.psz, nullptr);
    EXPECT_STREQ(copy.psz, "abc");
    EXPECT_EQ(STR_pszCreate(static_cast<const char*>(nullptr)), nullptr);
    EXPECT_EQ(STR_pszCreateW(static_cast<const wchar_t*>(nullptr)), nullptr);

    Owned sized(STR_pszCreate(2u, "abcdef"));
    EXPECT_STREQ(sized.psz, "ab");
    Owned sizedLong(STR_pszCreate(10u, "ab"));
    EXPECT_STREQ(sizedLong.psz, "ab");
    Owned sizedNull(STR_pszCreate(4u, static_cast<const char*>(nullptr)));
    EXPECT_STREQ(sizedNull.psz, "");

    Owned two(STR_pszCreate("ab", static_cast<const char*>(nullptr)));
    EXPECT_STREQ(two.psz, "ab");
    Owned three(STR_pszConcat("a", "", "c"));
    EXPECT_STREQ(three.psz, "ac");
    Owned point(STR_pszConcatPoint("file", "txt"));
    EXPECT_STREQ(point.psz, "file.txt");

    OwnedW wide(STR_pszCreateW(L"x\u20ACy"));
    EXPECT_STREQ(wide.pwsz, L"x\u20ACy");
    OwnedW wideCat(STR_pszCreateW(L"ab", L"cd"));
    EXPECT_STREQ(wideCat.pwsz, L"abcd");
    OwnedW wideSized(STR_pszCreateW(1u, L"ab"));
    EXPECT_STREQ(wideSized.pwsz, L"a");
}

// Sizes whose terminator would wrap around fail before any allocation.
TEST(StrCopy, UnrepresentableSizesFail)
{
    EXPECT_EQ(STR_pszCreateA(ULONG_MAX), nullptr);
    EXPECT_EQ(STR_pszCreateW(ULONG_MAX / 2), nullptr);
}

TEST(StrCopy, RedefineMayReuseItsOwnText)
{
    char* psz = STR_pszCreate("hello world");
    ASSERT_TRUE(STR_bRedefine(&psz, psz + 6));  // the source lies inside the old block
    EXPECT_STREQ(psz, "world");
    ASSERT_TRUE(STR_bRedefine(&psz, nullptr));
    EXPECT_EQ(psz, nullptr);
    EXPECT_FALSE(STR_bRedefine(nullptr, "x"));
}

TEST(StrCopy, ResizeKeepsTheBlockValid)
{
    void* p = STR_pszCreate("abc");
    ASSERT_TRUE(STR_bResize(&p, 100));
    EXPECT_STREQ(static_cast<char*>(p), "abc");
    ASSERT_TRUE(STR_bResize(&p, 0));  // still a block that can be freed once
    EXPECT_NE(p, nullptr);
    STR_Delete(p);
}

struct ReplaceRow {
    const wchar_t* pwszText;
    const wchar_t* pwszSearch;
    const wchar_t* pwszRepl;
    const wchar_t* pwszExpected;  // null: no result
};

TEST(StrCopy, ReplaceWide)
{
    const ReplaceRow rows[] = {
        {L"a-b-c", L"-", L"+-+", L"a+-+b+-+c"},
        {L"aaaa", L"aa", L"b", L"bb"},
        {L"xyz", L"xyz", L"", L""},
        {L"xyz", L"y", nullptr, L"xz"},
        {L"abc", L"d", L"e", nullptr},
        {L"", L"a", L"b", nullptr},
        {L"abc", L"", L"b", nullptr},
        {nullptr, L"a", L"b", nullptr},
        {L"abc", nullptr, L"b", nullptr},
    };
    int nRow = 0;
    for (const ReplaceRow& row : rows) {
        SCOPED_TRACE("row " + std::to_string(nRow++));
        OwnedW result(STR_RemplaceW(row.pwszText, row.pwszSearch, row.pwszRepl));
        if (row.pwszExpected == nullptr)
            EXPECT_EQ(result.pwsz, nullptr);
        else
            EXPECT_STREQ(result.pwsz, row.pwszExpected);
    }
}

struct BoundedRow {
    const char* pszLabel;
    unsigned long nSize;
    long n;
    const char* pszExpected;
};

TEST(StrCopy, CopyStaysWithinTheDestination)
{
    const BoundedRow rows[] = {
        {"size 0 writes nothing", 0, -1, nullptr},
        {"size 1", 1, -1, ""},
        {"too small", 4, -1, "abc"},
        {"exact", 7, -1, "abcdef"},
        {"large", 32, -1, "abcdef"},
        {"count limits", 32, 2, "ab"},
        {"count 0", 32, 0, ""},
        {"count beyond the text", 32, 100, "abcdef"},
    };
    for (const BoundedRow& row : rows) {
        SCOPED_TRACE(row.pszLabel);
        SentinelBuffer<char> buf(row.nSize);
        const unsigned long nCopied = STR_nCopy(buf.data(), row.nSize, "abcdef", row.n);
        EXPECT_TRUE(buf.guardsIntact());
        if (row.pszExpected == nullptr) {
            EXPECT_EQ(nCopied, 0u);
            continue;
        }
        EXPECT_STREQ(buf.data(), row.pszExpected);
        EXPECT_EQ(nCopied, std::strlen(row.pszExpected));
        EXPECT_TRUE(buf.untouchedFrom(nCopied + 1));
    }
}

TEST(StrCopy, CatStaysWithinTheDestination)
{
    const BoundedRow rows[] = {
        {"size 0 writes nothing", 0, -1, nullptr},
        {"room for nothing", 3, -1, "ab"},
        {"too small", 5, -1, "abcd"},
        {"exact", 6, -1, "abcde"},
        {"large", 32, -1, "abcde"},
        {"count limits", 32, 1, "abc"},
    };
    for (const BoundedRow& row : rows) {
        SCOPED_TRACE(row.pszLabel);
        SentinelBuffer<char> buf(row.nSize);
        if (row.nSize != 0)
            STR_nCut(buf.data(), row.nSize, "ab");
        const unsigned long nAdded = STR_nCat(buf.data(), row.nSize, "cde", row.n);
        EXPECT_TRUE(buf.guardsIntact());
        if (row.pszExpected == nullptr) {
            EXPECT_EQ(nAdded, 0u);
            continue;
        }
        EXPECT_STREQ(buf.data(), row.pszExpected);
        EXPECT_EQ(nAdded, std::strlen(row.pszExpected) - 2);
        EXPECT_TRUE(buf.untouchedFrom(std::strlen(row.pszExpected) + 1));
    }
}

TEST(StrCopy, CatLeavesAnUnterminatedDestinationAlone)
{
    SentinelBuffer<char> buf(4);
    std::memcpy(buf.data(), "abcd", 4);
    EXPECT_EQ(STR_nCatCut(buf.data(), 4, "x"), 0u);
    EXPECT_EQ(std::memcmp(buf.data(), "abcd", 4), 0);
    EXPECT_TRUE(buf.guardsIntact());
}

TEST(StrCopy, NullArguments)
{
    SentinelBuffer<char> buf(4);
    EXPECT_EQ(STR_nCopy(buf.data(), 4, nullptr, -1), 0u);
    EXPECT_STREQ(buf.data(), "");
    EXPECT_EQ(STR_nCopy(nullptr, 4, "abc", -1), 0u);
    EXPECT_EQ(STR_nCat(nullptr, 4, "abc", -1), 0u);
    EXPECT_EQ(STR_nCat(buf.data(), 4, nullptr, -1), 0u);
    EXPECT_STREQ(buf.data(), "");
}

TEST(StrCopy, OverlappingCopy)
{
    char sz[] = "abcdef";
    EXPECT_EQ(STR_nCut(sz, sizeof(sz), sz + 2), 4u);
    EXPECT_STREQ(sz, "cdef");
}

TEST(StrCopy, WideBoundedCopies)
{
    SentinelBuffer<wchar_t> buf(4);
    EXPECT_EQ(STR_nCopyW(buf.data(), 4, L"\u00E9t\u00E9s", -1), 3u);
    EXPECT_STREQ(buf.data(), L"\u00E9t\u00E9");
    EXPECT_TRUE(buf.guardsIntact());

    SentinelBuffer<wchar_t> cat(5);
    STR_nCopyW(cat.data(), 5, L"ab", -1);
    EXPECT_EQ(STR_nCatW(cat.data(), 5, L"cdef", -1), 2u);
    EXPECT_STREQ(cat.data(), L"abcd");
    EXPECT_TRUE(cat.guardsIntact());
}

} // namespace
