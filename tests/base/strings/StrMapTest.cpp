// Tests of the mapping of texts through the character tables.
#include "base/strings/StrMap.h"

#include "base/strings/CharTables.h"
#include "base/strings/StrCopy.h"

#include "support/Sentinel.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using zvtest::SentinelBuffer;

struct MapRow {
    const char* pszLabel;
    unsigned nFlags;
    int bUpper;
    const char* pszSrc;
    const char* pszExpected;
};

// "Élève", "l'été !" and friends in Windows-1252.
const MapRow kMapRows[] = {
    {"flags 0 copy", 0, 1, "\xC9l\xE8ve", "\xC9l\xE8ve"},
    {"flags 1 upper", 1, 1, "\xC9l\xE8ve", "\xC9L\xC8VE"},
    {"flags 1 lower", 1, 0, "\xC9l\xE8ve", "\xE9l\xE8ve"},
    {"flags 2 accents", 2, 1, "\xC9l\xE8ve", "Eleve"},
    {"flags 3 upper", 3, 1, "\xC9l\xE8ve", "ELEVE"},
    {"flags 3 lower", 3, 0, "\xC9l\xE8ve", "eleve"},
    {"flags 4 drops", 4, 1, "l'\xE9t\xE9 !", "l\xE9t\xE9"},
    {"flags 5", 5, 1, "l'\xE9t\xE9 !", "L\xC9T\xC9"},
    {"flags 6", 6, 1, "l'\xE9t\xE9 !", "lete"},
    {"flags 7", 7, 1, "l'\xE9t\xE9 !", "LETE"},
    {"flags 7 lower", 7, 0, "L'\xC9T\xC9 !", "lete"},
    {"y diaeresis upper", 1, 1, "\xFF", "\x9F"},
    {"sharp s stays", 3, 1, "\xDF\xB5", "\xDF\xB5"},
    {"flags 8 empty", 8, 1, "abc", ""},
    {"bit 16 empty", 0x10000, 1, "abc", ""},
    {"current set bit", 0x10000000 | 3, 1, "\xC9l\xE8ve", "ELEVE"},
};

TEST(StrMap, MapStringRows)
{
    for (const MapRow& row : kMapRows) {
        SCOPED_TRACE(row.pszLabel);
        char sz[64];
        std::memset(sz, 'Z', sizeof(sz));
        const unsigned n = STR_nMapStringEx(row.nFlags, sz, sizeof(sz), row.pszSrc, -1, row.bUpper);
        EXPECT_STREQ(sz, row.pszExpected);
        EXPECT_EQ(n, std::strlen(row.pszExpected));
        EXPECT_EQ(STR_nGetMapStringLenEx(row.nFlags, row.pszSrc, -1), n + 1);

        // One character at a time gives the same text.
        std::string byChar;
        if ((row.nFlags & ~STR_FLAG_CURRENT_CHARSET) <= 7) {
            for (const char* p = row.pszSrc; *p != '\0'; ++p) {
                char c = 'Z';
                if (STR_nMapCharEx(row.nFlags, &c, *p, row.bUpper) == 1)
                    byChar += c;
            }
            EXPECT_EQ(byChar, row.pszExpected);
        }
    }
}

TEST(StrMap, MapStringStaysWithinTheDestination)
{
    struct Row {
        const char* pszLabel;
        unsigned nFlags;
        unsigned nSize;
        const char* pszExpected;
    };
    const Row rows[] = {
        {"size 0 writes nothing", 3, 0, nullptr},
        {"size 1", 3, 1, ""},
        {"too small", 3, 4, "ELE"},
        {"exact", 3, 6, "ELEVE"},
        {"large", 3, 40, "ELEVE"},
        {"dropping: too small", 7, 3, "EL"},
        {"dropping: dropped bytes do not count", 7, 6, "ELEVE"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.pszLabel);
        const char* pszSrc = (row.nFlags & 4) != 0 ? "\xC9-l !\xE8v'e" : "\xC9l\xE8ve";
        SentinelBuffer<char> buf(row.nSize);
        const unsigned n = STR_nMapStringEx(row.nFlags, buf.data(), row.nSize, pszSrc, -1, 1);
        EXPECT_TRUE(buf.guardsIntact());
        if (row.pszExpected == nullptr) {
            EXPECT_EQ(n, 0u);
            continue;
        }
        EXPECT_STREQ(buf.data(), row.pszExpected);
        EXPECT_EQ(n, std::strlen(row.pszExpected));
        EXPECT_TRUE(buf.untouchedFrom(n + 1));
    }
}

TEST(StrMap, SourceLengthAndTerminatorBoundTheInput)
{
    char sz[16];
    EXPECT_EQ(STR_nMapStringEx(1, sz, sizeof(sz), "abcdef", 3, 1), 3u);
    EXPECT_STREQ(sz, "ABC");
    // A length beyond the text stops at its terminator: nothing past it is read.
    const char szShort[] = "ab";
    EXPECT_EQ(STR_nMapStringEx(1, sz, sizeof(sz), szShort, 100, 1), 2u);
    EXPECT_STREQ(sz, "AB");
    EXPECT_EQ(STR_nMapStringEx(7, sz, sizeof(sz), szShort, 100, 1), 2u);
    EXPECT_EQ(STR_nGetMapStringLenEx(7, "a b", 100), 3u);
    EXPECT_EQ(STR_nMapStringEx(1, sz, sizeof(sz), nullptr, -1, 1), 0u);
    EXPECT_STREQ(sz, "");
    EXPECT_EQ(STR_nMapStringEx(1, nullptr, 16, "abc", -1, 1), 0u);
    EXPECT_EQ(STR_nGetMapStringLenEx(1, nullptr, -1), 1u);
}

TEST(StrMap, MapsInPlace)
{
    char sz[] = "l'\xE9t\xE9 !";
    EXPECT_EQ(STR_nMapStringEx(7, sz, sizeof(sz), sz, -1, 1), 4u);
    EXPECT_STREQ(sz, "LETE");
}

TEST(StrMap, MapCharDropsPunctuationOnly)
{
    char c = 'x';
    EXPECT_EQ(STR_nMapCharEx(4, &c, ' ', 1), 0);
    EXPECT_EQ(c, 'x');  // nothing written
    EXPECT_EQ(STR_nMapCharEx(4, &c, '\xA0', 1), 0);
    EXPECT_EQ(STR_nMapCharEx(4, &c, '7', 1), 1);
    EXPECT_EQ(c, '7');
    EXPECT_EQ(STR_nMapCharEx(9, &c, 'a', 1), 0);
    EXPECT_EQ(STR_nMapCharEx(1, nullptr, 'a', 1), 0);
    EXPECT_EQ(STR_nMapCharIgnoreCaseAccent(&c, '\xFD'), 1);  // ý
    EXPECT_EQ(c, 'Y');
}

TEST(StrMap, CurrentCharsetTablesAreUsedWithBit28)
{
    // A character set whose upper case maps every letter to "#".
    unsigned char byUpper[256];
    for (int c = 0; c < 256; ++c)
        byUpper[c] = static_cast<unsigned char>(c);
    for (int c = 'a'; c <= 'z'; ++c)
        byUpper[c] = '#';
    const _stCHARTAB st = {byUpper, pToLower_Latin1, pToNoAccent_Latin1, pbyCharType_Latin1,
                           pwCharOrder_Latin1};
    STR_ChangeAlphabet(204, &st);
    char sz[16];
    STR_nMapStringEx(1, sz, sizeof(sz), "ab1", -1, 1);
    EXPECT_STREQ(sz, "AB1");
    STR_nMapStringEx(0x10000000 | 1, sz, sizeof(sz), "ab1", -1, 1);
    EXPECT_STREQ(sz, "##1");
    // Both steps: accents removed first, then the set's upper case.
    STR_nMapStringEx(0x10000000 | 3, sz, sizeof(sz), "\xE9z", -1, 1);
    EXPECT_STREQ(sz, "##");
    char c = 0;
    STR_nMapCharEx(0x10000000 | 3, &c, '\xE9', 1);
    EXPECT_EQ(c, '#');
}

TEST(StrMap, HeapMappedCopies)
{
    char* psz = nullptr;
    EXPECT_EQ(STR_nCreateMapString(7, &psz, "l'\xE9t\xE9 !"), 4u);
    EXPECT_STREQ(psz, "LETE");
    STR_Delete(psz);

    EXPECT_EQ(STR_nCreateMapString(1, &psz, nullptr), 0u);
    EXPECT_STREQ(psz, "");
    STR_Delete(psz);
    EXPECT_EQ(STR_nCreateMapString(1, nullptr, "abc"), 0u);

    psz = STR_pszCreateStandard("\xC9l\xE8ve");
    EXPECT_STREQ(psz, "ELEVE");
    STR_Delete(psz);
    EXPECT_EQ(STR_pszCreateStandard(nullptr), nullptr);
}

TEST(StrMap, TransformeModes)
{
    struct Row {
        unsigned nMode;
        const char* pszExpected;
    };
    // White space (tab, LF, CR, space, 0xA0) goes; other punctuation stays.
    const char* pszSrc = " \xE9t\xE9,\t\xA0l'a\r\n";
    const Row rows[] = {
        {2048, "\xE9t\xE9,l'a"},
        {2049, "\xC9T\xC9,L'A"},
        {2050, "ete,l'a"},
        {2051, "ETE,L'A"},
        {7, "ETELA"},
        {1, " \xC9T\xC9,\t\xA0L'A\r\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE("mode " + std::to_string(row.nMode));
        char sz[32];
        const unsigned long n = STR_nTransforme(row.nMode, sz, sizeof(sz), pszSrc, -1);
        EXPECT_STREQ(sz, row.pszExpected);
        EXPECT_EQ(n, std::strlen(row.pszExpected));
    }
    SentinelBuffer<char> buf(4);
    EXPECT_EQ(STR_nTransforme(2051, buf.data(), 4, pszSrc, -1), 3u);
    EXPECT_STREQ(buf.data(), "ETE");
    EXPECT_TRUE(buf.guardsIntact());
}

TEST(StrMap, SortKeysZeroFillTheDestination)
{
    SentinelBuffer<char> buf(8);
    STR_MapStringSortEx(buf.data(), 8, "aA0", -1, 0);
    EXPECT_EQ(static_cast<unsigned char>(buf[0]), pwCharOrder_Latin1['a']);
    EXPECT_EQ(static_cast<unsigned char>(buf[1]), pwCharOrder_Latin1['A']);
    EXPECT_EQ(static_cast<unsigned char>(buf[2]), pwCharOrder_Latin1['0']);
    for (int i = 3; i < 8; ++i)
        EXPECT_EQ(buf[i], 0) << i;
    EXPECT_TRUE(buf.guardsIntact());

    // Keys order texts as the sort order does: "a" < "A" < "b" byte-wise after mapping.
    char szA[4], szB[4];
    STR_MapStringSortEx(szA, sizeof(szA), "A", -1, 0);
    STR_MapStringSortEx(szB, sizeof(szB), "b", -1, 0);
    EXPECT_LT(std::strcmp(szA, szB), 0);

    SentinelBuffer<char> small(2);
    STR_MapStringSortEx(small.data(), 2, "abc", -1, 0);
    EXPECT_EQ(small[1], 0);
    EXPECT_TRUE(small.guardsIntact());
    STR_MapStringSortEx(small.data(), 0, "abc", -1, 0);
    EXPECT_TRUE(small.guardsIntact());
}

TEST(StrMap, CaseInPlace)
{
    char sz[] = "abc\xE9\xFF\xDF";
    EXPECT_STREQ(STR_ToUpper(sz), "ABC\xC9\x9F\xDF");
    EXPECT_STREQ(STR_ToLower(sz), "abc\xE9\xFF\xDF");
    EXPECT_EQ(STR_ToUpper(nullptr), nullptr);
    EXPECT_EQ(STR_ToLower(nullptr), nullptr);
}

} // namespace
