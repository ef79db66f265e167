// Tests of the classification of characters and texts.
#include "base/strings/StrClassify.h"

#include "base/strings/CharTables.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(StrClassify, CharacterPredicatesOverEveryByte)
{
    for (int n = 0; n < 256; ++n) {
        SCOPED_TRACE(n);
        const char c = static_cast<char>(n);
        EXPECT_EQ(STR_bWhiteCharOrPunct(c), (pbyCharType_Latin1[n] & 0x08) != 0);
        EXPECT_EQ(bEstUnChiffre(c), n >= '0' && n <= '9');
        EXPECT_EQ(bExtendedASCII(c), n > 0x7F);
        EXPECT_EQ(bMajuscule(c), n >= 'A' && n <= 'Z');
        EXPECT_EQ(bMinuscule(c), n >= 'a' && n <= 'z');
        EXPECT_EQ(bUnprintable(c), n < 0x20);
        const bool bPunct = (n >= 0x21 && n <= 0x2F) || (n >= 0x3A && n <= 0x40) ||
                            (n >= 0x5B && n <= 0x5F);
        EXPECT_EQ(bPonctuation(c), bPunct);
    }
    EXPECT_EQ(nGetChiffre('7'), 7);
    EXPECT_FALSE(bPonctuation('{'));  // the braces and beyond are not in the set
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
