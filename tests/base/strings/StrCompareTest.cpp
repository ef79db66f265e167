// Tests of the comparisons: with options, natural, the language's, and the wide forms.
#include "base/strings/StrCompare.h"

#include "base/strings/CharTables.h"

#include <gtest/gtest.h>

#include <string>

namespace {

int Sign(int n) { return (n > 0) - (n < 0); }

struct CompareRow {
    const char* pszLabel;
    unsigned nFlags;
    const char* pszA;
    const char* pszB;
    int nExpected;  // 1, 2 or 3
};

TEST(StrCompare, CompareStringExRows)
{
    const CompareRow rows[] = {
        {"equal", 0, "abc", "abc", 2},
        {"before", 0, "abc", "abd", 1},
        {"after", 0, "abd", "abc", 3},
        {"case matters", 0, "abc", "ABC", 3},
        {"case ignored", 1, "abc", "ABC", 2},
        {"accent matters", 0, "\xE9", "e", 1},   // 0xE9 is negative as a signed byte
        {"accent ignored", 2, "\xE9", "e", 2},
        {"both ignored", 3, "\xC9L\xC8VE", "eleve", 2},
        {"signed bytes: high before ASCII", 0, "\xE9", "a", 1},
        {"signed bytes: ASCII after high", 0, "z", "\x80", 3},
        {"prefix shorter", 0, "ab", "abc", 1},
        {"prefix longer", 0, "abc", "ab", 3},
        {"punctuation ignored", 4, "a-b", "ab", 2},
        {"punctuation on both sides", 4, "a b.", "-ab", 2},
        {"trailing punctuation is no character", 4, "ab", "ab!!", 2},
        {"punctuation with case", 5, "l'\xE9t\xE9", "L\xC9T\xC9 ", 2},
        {"everything", 7, "L'\xC9t\xE9 !", "lete", 2},
        {"dropping then differing", 4, "a-c", "ab", 3},
        {"empty equal", 0, "", "", 2},
        {"flags above 7: a non-empty", 8, "a", "b", 3},
        {"flags above 7: both empty", 8, "", "", 2},
        {"flags above 7: b non-empty", 16, "", "b", 1},
        {"long equal prefix then case", 1, "0123456789abcdefXYZ", "0123456789ABCDEFxyz", 2},
        {"long equal prefix then differ", 0, "0123456789abcdefXYZ", "0123456789abcdefXYz", 1},
    };
    for (const CompareRow& row : rows) {
        SCOPED_TRACE(row.pszLabel);
        EXPECT_EQ(STR_CompareStringEx(row.nFlags, row.pszA, -1, row.pszB, -1), row.nExpected);
        // Swapping the sides swaps the result.
        EXPECT_EQ(STR_CompareStringEx(row.nFlags, row.pszB, -1, row.pszA, -1),
                  row.nFlags > 7 ? STR_CompareStringEx(row.nFlags, row.pszB, -1, row.pszA, -1)
                                 : 4 - row.nExpected);
    }
}

TEST(StrCompare, LengthsAndNulls)
{
    EXPECT_EQ(STR_CompareStringEx(0, "abcX", 3, "abcY", 3), 2);
    EXPECT_EQ(STR_CompareStringEx(0, "abc", 2, "abd", -1), 1);
    // A length beyond the text stops at the terminator.
    EXPECT_EQ(STR_CompareStringEx(0, "ab", 50, "ab", 50), 2);
    EXPECT_EQ(STR_CompareStringEx(0, nullptr, -1, "", -1), 2);
    EXPECT_EQ(STR_CompareStringEx(0, nullptr, -1, "a", -1), 1);
    EXPECT_EQ(STR_nCompare(nullptr, nullptr), 0);
}

TEST(StrCompare, CompareWrappers)
{
    EXPECT_EQ(STR_nCompare("abc", "ABC", 1), 0);
    EXPECT_EQ(STR_nCompare("\xE9", "e", 2), 0);
    EXPECT_LT(STR_nCompare("\xE9", "a", 0), 0);
    // Bits 16 and 28 are cleared, so they neither select emptiness nor the current set.
    EXPECT_EQ(STR_nCompare("abc", "ABC", 0x10000 | 0x10000000 | 1), 0);
    EXPECT_EQ(STR_nUpCompare("abc", "ABC"), 0);
    EXPECT_EQ(STR_nUpCompare("\xE9", "E", 2), 0);
    EXPECT_EQ(STR_nAcCompare("\xE9t\xE9", "ete"), 0);
    EXPECT_NE(STR_nAcCompare("\xE9t\xE9", "ETE"), 0);
    EXPECT_EQ(STR_nNCompare("abcX", "ABCY", 3, 1), 0);
    EXPECT_GT(STR_nNCompare("abcY", "abcX", 4, 0), 0);
    EXPECT_EQ(STR_nNCompare("abc", "abc", -1, 0), 0);
}

TEST(StrCompare, NullAwareComparisons)
{
    EXPECT_LT(STR_nNullCompare(nullptr, ""), 0);
    EXPECT_GT(STR_nNullCompare("", nullptr), 0);
    EXPECT_EQ(STR_nNullCompare(nullptr, nullptr), 0);
    EXPECT_EQ(STR_nNullCompare("a", "A", 1), 0);
    EXPECT_LT(STR_nNullNCompare(nullptr, "a", 1), 0);
    EXPECT_EQ(STR_nNullNCompare("ab", "aX", 1), 0);

    EXPECT_EQ(STR_nEmptyNullCompare(nullptr, ""), 0);
    EXPECT_EQ(STR_nEmptyNullCompare("", nullptr), 0);
    EXPECT_GT(STR_nEmptyNullCompare("a", nullptr), 0);
    EXPECT_LT(STR_nEmptyNullCompare(nullptr, "a"), 0);
}

TEST(StrCompare, Debut)
{
    EXPECT_TRUE(STR_bDebut("\xC9t", "eTE"));
    EXPECT_TRUE(STR_bDebut("", "abc"));
    EXPECT_TRUE(STR_bDebut(nullptr, "abc"));
    EXPECT_FALSE(STR_bDebut("abcd", "abc"));
    EXPECT_FALSE(STR_bDebut("x", "abc"));
    EXPECT_FALSE(STR_bDebut("a", nullptr));
}

TEST(StrCompare, CharacterComparisons)
{
    EXPECT_LT(STR_nCompareCharLexico('a', 'A', 0), 0);   // small letter just before its capital
    EXPECT_LT(STR_nCompareCharLexico('A', 'b', 0), 0);
    EXPECT_GT(STR_nCompareCharLexico('b', '\xC5', 0), 0);  // every a-letter before b
    EXPECT_LT(STR_nCompareCharLexico('9', 'a', 0), 0);
    EXPECT_LT(STR_nCompareCharLexico('A', '\xE1', 0), 0);  // accented forms after their base
    EXPECT_EQ(STR_nCompareCharSouple('\xE9', 'E'), 0);
    EXPECT_LT(STR_nCompareCharSouple('a', 'B'), 0);
    EXPECT_GT(STR_nCompareCharSouple('\xC6', 'Z'), 0);  // Æ keeps its byte: after the ASCII letters

    EXPECT_EQ(STR_nCmpLogiqueAnsiFast("\xE9t\xE9", "ETE"), 0);
    EXPECT_EQ(STR_nCmpLogiqueAnsiFast("abc", "abd"), -1);
    EXPECT_EQ(STR_nCmpLogiqueAnsiFast("abd", "ABC"), 1);
    EXPECT_EQ(STR_nCmpLogiqueAnsiFast("ab", "abc"), -1);
    EXPECT_EQ(STR_nCmpLogiqueAnsiFast("abc", "ab"), 1);
    EXPECT_EQ(STR_nCmpLogiqueAnsiFast(nullptr, ""), 0);
}

struct NaturalRow {
    const char* pszA;
    const char* pszB;
    int nExpected;
};

TEST(StrCompare, NaturalRows)
{
    const NaturalRow rows[] = {
        {"file2", "file10", -1},
        {"file10", "file2", 1},
        {"a01", "a1", -1},       // more leading zeros first
        {"a1", "a01", 1},
        {"a01c", "a1b", 1},      // the letters decide before the tie-breaker
        {"a001x", "a01x", -1},
        {"a01b1", "a1b01", -1},  // the first tie-breaker recorded wins
        {"x10y", "x010y", 1},
        {"abc", "abc", 0},
        {"007", "007", 0},
        {"a", "a1", -1},
        {"a1", "a", 1},
        {"12", "123", -1},
        {"19x", "1999", -1},     // runs by value, even after an equal raw prefix
        {"2a", "10", -1},
        {"a2b", "a2c", -1},
        {"", "", 0},
        {"", "0", -1},
    };
    for (const NaturalRow& row : rows) {
        SCOPED_TRACE(std::string(row.pszA) + " vs " + row.pszB);
        EXPECT_EQ(STR_nCompareRespecteNumerique(row.pszA, static_cast<unsigned long>(-1), row.pszB,
                                                static_cast<unsigned long>(-1), 0),
                  row.nExpected);
    }
}

TEST(StrCompare, NaturalWithSortKeysAndLengths)
{
    const unsigned long nAll = static_cast<unsigned long>(-1);
    // By byte "B" (0x42) < "a" (0x61); by sort key "a" < "B".
    EXPECT_EQ(STR_nCompareRespecteNumerique("a", nAll, "B", nAll, 0), 1);
    EXPECT_EQ(STR_nCompareRespecteNumerique("a", nAll, "B", nAll, STR_FLAG_SORT_KEY), -1);
    EXPECT_EQ(STR_nCompareRespecteNumerique("file10", 5, "file1", nAll, 0), 0);
    EXPECT_EQ(STR_nCompareRespecteNumerique(nullptr, nAll, "", nAll, 0), 0);
    EXPECT_EQ(STR_nCompareRespecteNumerique("ab", 100, "ab", 100, 0), 0);
}

// Long equal stretches are passed in blocks and words; the decision must still fall on the
// right byte, whatever its position relative to those blocks.
TEST(StrCompare, DifferenceAfterLongEqualStretches)
{
    const unsigned long nAll = static_cast<unsigned long>(-1);
    for (std::size_t nPrefix : {0u, 7u, 8u, 9u, 255u, 256u, 257u, 700u}) {
        SCOPED_TRACE("prefix " + std::to_string(nPrefix));
        std::string prefix;
        for (std::size_t i = 0; i < nPrefix; ++i)
            prefix += static_cast<char>('a' + i % 26);
        const std::string a = prefix + "x\xE9tail";
        const std::string b = prefix + "X\xC9tail";
        EXPECT_EQ(STR_CompareStringEx(0, a.c_str(), -1, b.c_str(), -1), 3);
        EXPECT_EQ(STR_CompareStringEx(1, a.c_str(), -1, b.c_str(), -1), 2);
        EXPECT_EQ(STR_CompareStringEx(4, a.c_str(), -1, b.c_str(), -1), 3);
        EXPECT_EQ(STR_CompareStringEx(7, (a + "!").c_str(), -1, ("-" + b).c_str(), -1), 2);
        EXPECT_EQ(STR_CompareStringEx(1, (a + "b").c_str(), -1, (b + "a").c_str(), -1), 3);

        // A digit run that starts inside the equal stretch and goes on differently.
        const std::string nA = prefix + "123x";
        const std::string nB = prefix + "1234";
        EXPECT_EQ(STR_nCompareRespecteNumerique(nA.c_str(), nAll, nB.c_str(), nAll, 0), -1);
        const std::string zA = prefix + "0012b";
        const std::string zB = prefix + "012a";
        EXPECT_EQ(STR_nCompareRespecteNumerique(zA.c_str(), nAll, zB.c_str(), nAll, 0), 1);
        const std::string tA = prefix + "0012";
        const std::string tB = prefix + "012";
        EXPECT_EQ(STR_nCompareRespecteNumerique(tA.c_str(), nAll, tB.c_str(), nAll, 0), -1);
    }
}

// When dropping, each side is walked in blocks of its own: texts whose dropped characters
// fall differently must still line up across many blocks.
TEST(StrCompare, DroppingAcrossManyBlocks)
{
    std::string a;
    std::string b;
    for (int i = 0; i < 1500; ++i) {
        const char c = static_cast<char>('a' + i % 26);
        a += c;
        if (i % 3 == 0)
            a += "- ";
        b += static_cast<char>(c - 0x20);
        if (i % 7 == 0)
            b += ".";
    }
    EXPECT_EQ(STR_CompareStringEx(5, a.c_str(), -1, b.c_str(), -1), 2);
    EXPECT_EQ(STR_CompareStringEx(4, a.c_str(), -1, b.c_str(), -1), 3);
    EXPECT_EQ(STR_CompareStringEx(5, (a + "!b").c_str(), -1, b.c_str(), -1), 3);
    EXPECT_EQ(STR_CompareStringEx(5, a.c_str(), -1, (b + "  ").c_str(), -1), 2);
    std::string aLate = a;
    aLate[aLate.size() - 1] = 'A';  // last letter "r" becomes "A": before "R"
    EXPECT_EQ(STR_CompareStringEx(5, aLate.c_str(), -1, b.c_str(), -1), 1);
}

TEST(StrCompare, OptionsToFlags)
{
    struct Row {
        int nOptions;
        unsigned nFlags;
    };
    const Row rows[] = {{0, 0}, {1, 0}, {2, 4}, {4, 2}, {8, 0}, {16, 1}, {32, 1}, {64, 1},
                        {128, 0}, {2 | 4 | 16, 7}};
    for (const Row& row : rows) {
        SCOPED_TRACE("options " + std::to_string(row.nOptions));
        EXPECT_EQ(OptionKL2FlagSTR(row.nOptions), row.nFlags);
    }
}

TEST(StrCompare, PrepareChaine)
{
    struct Row {
        const char* pszLabel;
        int nOptions;
        const char* pszSrc;
        const char* pszExpected;
    };
    const Row rows[] = {
        {"nothing", 0, " \xE9t\xE9 ", " \xE9t\xE9 "},
        {"trim", 1, "\t \xE9t\xE9 \r\n", "\xE9t\xE9"},
        {"trim all blank", 1, " \t\n ", ""},
        {"punctuation", 2, "l'\xE9t\xE9 !", "l\xE9t\xE9"},
        {"accents", 4, "\xC9t\xE9", "Ete"},
        {"case 16", 16, "\xE9t\xE9", "\xC9T\xC9"},
        {"case 32", 32, "ab", "AB"},
        {"lower", 64, "\xC9T\xC9", "\xE9t\xE9"},
        {"all", 1 | 2 | 4 | 16, "  L'\xE9t\xE9 !  ", "LETE"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.pszLabel);
        char sz[32];
        const int n = STR_PrepareChaine(sz, row.pszSrc, -1, row.nOptions);
        EXPECT_STREQ(sz, row.pszExpected);
        EXPECT_EQ(n, static_cast<int>(std::string(row.pszExpected).size()));
    }
    char sz[8] = "x";
    EXPECT_EQ(STR_PrepareChaine(sz, "abcdef", 3, 16), 3);
    EXPECT_STREQ(sz, "ABC");
    EXPECT_EQ(STR_PrepareChaine(sz, nullptr, -1, 0), 0);
    EXPECT_STREQ(sz, "");
}

TEST(StrCompare, ChaineCompareRows)
{
    struct Row {
        const char* pszLabel;
        int nOptions;
        const char* pszA;
        const char* pszB;
        int nExpected;
    };
    const Row rows[] = {
        {"exact", 0, "abc", "abc", 0},
        {"bytes unsigned", 0, "\xE9", "e", 1},
        {"case differs", 0, "abc", "ABC", 1},
        {"case ignored", 16, "abc", "ABC", 0},
        {"lower case ignored", 64, "abc", "ABC", 0},
        {"accents ignored", 4 | 16, "\xE9t\xE9", "ETE", 0},
        {"trimmed", 1, "  abc\t", "abc", 0},
        {"blanks kept", 0, "  abc", "abc", -1},
        {"punctuation ignored", 2, "a-b c", "abc", 0},
        {"longer is greater", 0, "abc", "ab", 1},
        {"sort keys: a before B", 8, "a", "B", -1},
        {"bytes: B before a", 0, "a", "B", 1},
        {"natural", 128, "file2", "file10", -1},
        {"natural leading zeros", 128, "a01", "a1", -1},
        {"natural trimmed, no case", 128 | 1 | 16, " File2 ", "file10", -1},
        {"natural with sort keys", 128 | 8, "x1a", "x01B", -1},
        {"no natural", 0, "file2", "file10", 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.pszLabel);
        EXPECT_EQ(Sign(STR_ChaineCompare(row.pszA, -1, row.pszB, -1, row.nOptions)),
                  row.nExpected);
        EXPECT_EQ(Sign(STR_ChaineCompare(row.pszB, -1, row.pszA, -1, row.nOptions)),
                  -row.nExpected);
    }
    EXPECT_EQ(STR_ChaineCompare("abcX", 3, "abcY", 3, 0), 0);
    EXPECT_EQ(STR_ChaineCompare(nullptr, -1, "", -1, 0), 0);
}

TEST(StrCompare, ChaineCompareUsesTheCurrentSet)
{
    // A set whose sort order reverses the bytes.
    unsigned short wOrder[256];
    for (int c = 0; c < 256; ++c)
        wOrder[c] = static_cast<unsigned short>(255 - c);
    const _stCHARTAB st = {pToUpper_Latin1, pToLower_Latin1, pToNoAccent_Latin1,
                           pbyCharType_Latin1, wOrder};
    STR_ChangeAlphabet(204, &st);
    EXPECT_EQ(Sign(STR_ChaineCompare("a", -1, "b", -1, 8)), 1);
    EXPECT_EQ(Sign(STR_ChaineCompare("a", -1, "b", -1, 0)), -1);
    EXPECT_EQ(STR_nCompareCharLexico('a', 'b', STR_FLAG_CURRENT_CHARSET), 1);
    EXPECT_EQ(STR_nCompareCharLexico('a', 'b', 0), pwCharOrder_Latin1['a'] - pwCharOrder_Latin1['b']);
}

TEST(StrCompare, WideForms)
{
    EXPECT_EQ(STR_nCompareCharLexicoW(L'a', L'b', 0), -1);
    EXPECT_EQ(STR_nCompareCharSoupleW(L'\u20AC', L'a'), 1);
    EXPECT_EQ(STR_nCompareCharSoupleW(L'x', L'x'), 0);
    EXPECT_EQ(STR_nCompareStringLexicoW(L"abc", -1, L"abd", -1, 0), -1);
    EXPECT_EQ(STR_nCompareStringLexicoW(L"ab", -1, L"abc", -1, 0), -1);
    EXPECT_EQ(STR_nCompareStringLexicoW(L"abcX", 3, L"abcY", 3, 0), 0);
    EXPECT_EQ(STR_nCompareStringLexicoW(nullptr, -1, L"", -1, 0), 0);

    const unsigned long nAll = static_cast<unsigned long>(-1);
    EXPECT_EQ(STR_nCompareRespecteNumeriqueW(L"file2", nAll, L"file10", nAll, 0), -1);
    EXPECT_EQ(STR_nCompareRespecteNumeriqueW(L"a01", nAll, L"a1", nAll, 0), -1);
    EXPECT_EQ(STR_nCompareRespecteNumeriqueW(L"a01c", nAll, L"a1b", nAll, 0), 1);

    wchar_t wsz[32];
    // Windows-1252 letters map, including those above 0xFF (œ U+0153 -> Œ U+0152).
    EXPECT_EQ(STR_PrepareChaineW(wsz, L" l'\u00E9t\u00E9 \u0153\u4E2D ", -1, 1 | 2 | 16), 6);
    EXPECT_STREQ(wsz, L"L\u00C9T\u00C9\u0152\u4E2D");
    EXPECT_EQ(STR_PrepareChaineW(wsz, L"\u00C9t\u00E9", -1, 4 | 64), 3);
    EXPECT_STREQ(wsz, L"ete");
    EXPECT_EQ(STR_ChaineCompareW(L"\u00E9t\u00E9", -1, L"ETE", -1, 4 | 16), 0);
    EXPECT_EQ(STR_ChaineCompareW(L"file2", -1, L"file10", -1, 128), -1);
    EXPECT_EQ(STR_ChaineCompareW(L"file2", -1, L"file10", -1, 0), 1);
    EXPECT_EQ(STR_ChaineCompareW(L"ab", -1, L"abc", -1, 0), -1);
    EXPECT_EQ(STR_ChaineCompareW(nullptr, -1, L"", -1, 0), 0);
}

} // namespace
