// Tests of the classification of characters and texts.
#include "base/strings/StrClassify.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The bytes on each side of every range boundary.
TEST(StrClassify, CharacterPredicatesAtTheirBoundaries)
{
    struct Row {
        unsigned char by;
        bool bDigit, bUpper, bLower, bUnprintable, bExtended, bPunct, bWhiteOrPunct;
    };
    const Row rows[] = {
        {0x00, false, false, false, true, false, false, false},   // NUL has class 0
        {0x09, false, false, false, true, false, false, true},
        {0x1F, false, false, false, true, false, false, true},
        {0x20, false, false, false, false, false, false, true},
        {0x21, false, false, false, false, false, true, true},
        {0x2F, false, false, false, false, false, true, true},
        {0x30, true, false, false, false, false, false, false},
        {0x39, true, false, false, false, false, false, false},
        {0x3A, false, false, false, false, false, true, true},
        {0x40, false, false, false, false, false, true, true},
        {0x41, false, true, false, false, false, false, false},
        {0x5A, false, true, false, false, false, false, false},
        {0x5B, false, false, false, false, false, true, true},
        {0x5F, false, false, false, false, false, true, true},
        {0x60, false, false, false, false, false, false, true},
        {0x61, false, false, true, false, false, false, false},
        {0x7A, false, false, true, false, false, false, false},
        {0x7B, false, false, false, false, false, false, true},
        {0x7F, false, false, false, false, false, false, true},
        {0x80, false, false, false, false, true, false, true},
        {0xA0, false, false, false, false, true, false, true},
        {0xE9, false, false, false, false, true, false, false},
        {0xF7, false, false, false, false, true, false, true},
        {0xFF, false, false, false, false, true, false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(static_cast<int>(row.by));
        const char c = static_cast<char>(row.by);
        EXPECT_EQ(bEstUnChiffre(c), row.bDigit);
        EXPECT_EQ(bMajuscule(c), row.bUpper);
        EXPECT_EQ(bMinuscule(c), row.bLower);
        EXPECT_EQ(bUnprintable(c), row.bUnprintable);
        EXPECT_EQ(bExtendedASCII(c), row.bExtended);
        EXPECT_EQ(bPonctuation(c), row.bPunct);
        EXPECT_EQ(STR_bWhiteCharOrPunct(c), row.bWhiteOrPunct);
    }
    EXPECT_EQ(nGetChiffre('7'), 7);
}

TEST(StrClassify, TextPredicates)
{
    EXPECT_TRUE(STR_bContainSpace("a b"));
    EXPECT_FALSE(STR_bContainSpace("a\tb"));
    EXPECT_FALSE(STR_bContainSpace(nullptr));

    EXPECT_TRUE(STR_bNeContientRienDeLisible(""));
    EXPECT_TRUE(STR_bNeContientRienDeLisible(nullptr));
    EXPECT_TRUE(STR_bNeContientRienDeLisible(" \t\r\n"));
    EXPECT_FALSE(STR_bNeContientRienDeLisible(" \v "));  // vertical tab is not in the set
    EXPECT_FALSE(STR_bNeContientRienDeLisible("  .  "));

    EXPECT_TRUE(bEstUnNombreEntierNaturel("0123"));
    EXPECT_TRUE(bEstUnNombreEntierNaturel(""));
    EXPECT_FALSE(bEstUnNombreEntierNaturel("-1"));
    EXPECT_FALSE(bEstUnNombreEntierNaturel("12a"));
    EXPECT_FALSE(bEstUnNombreEntierNaturel(nullptr));
}

TEST(StrClassify, RtfDetection)
{
    struct Row {
        const char* psz;
        bool bRtf;
    };
    const Row rows[] = {
        {"{\\rtf1\\ansi}", true}, {"{\\RTF1", true}, {"{\\Rtf{", true}, {"{\\rtf", false},
        {"{\\rtf2", false},       {" {\\rtf1", false}, {"", false},    {nullptr, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.psz != nullptr ? row.psz : "(null)");
        EXPECT_EQ(bEstDuTexteRTF(row.psz), row.bRtf);
    }
}

} // namespace
