// Tests of the character-set, code-page and language tables and of the locale switch.
#include "base/system/Locale.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <string>

namespace {

struct CharsetRow {
    int charset;
    unsigned codePage;
    unsigned short language;
};

// Every character set the tables know, with its code page and language.
const CharsetRow kCharsets[] = {
    {0, 1252, 0},      {255, 1252, 0},       {128, 932, 0x11},   {129, 949, 0x12},
    {130, 1361, 0x12}, {134, 936, 0x804},    {136, 950, 0x404},  {161, 1253, 8},
    {162, 1254, 0x1F}, {163, 1258, 0x2A},    {177, 1255, 0x0D},  {178, 1256, 1},
    {186, 1257, 0x25}, {204, 1251, 0x419},   {222, 874, 0x1E},   {238, 1250, 0x15},
    {65001, 65001, 0}, {7, 0, 0},            {1, 0, 0},          {-1, 0, 0},
};

TEST(Locale, CodePageAndLanguageOfEveryCharset)
{
    for (const CharsetRow& row : kCharsets) {
        SCOPED_TRACE("charset " + std::to_string(row.charset));
        EXPECT_EQ(dwGetCodePageFromCharset(row.charset), row.codePage);
        EXPECT_EQ(wGetLanguageID(row.charset), row.language);
    }
}

TEST(Locale, LanguageOfACharsetMapsBack)
{
    // Every set with a language comes back from that language, except Johab, which
    // shares Korean with Hangul.
    for (const CharsetRow& row : kCharsets) {
        if (row.language == 0 || row.charset == 130)
            continue;
        SCOPED_TRACE("charset " + std::to_string(row.charset));
        EXPECT_EQ(nGetCharsetFromLanguage(row.language), row.charset);
    }
}

struct LanguageRow {
    unsigned language;
    int charset;
};

const LanguageRow kLanguages[] = {
    {0x0401, 178}, {0x0402, 204}, {0x0419, 204}, {0x0422, 204}, {0x0423, 204},
    {0x0404, 136}, {0x0804, 134}, {0x0C04, 134}, {0x0405, 238}, {0x040E, 238},
    {0x0415, 238}, {0x0418, 238}, {0x041B, 238}, {0x041C, 238}, {0x0424, 238},
    {0x042F, 238}, {0x0408, 161}, {0x040D, 177}, {0x0411, 128}, {0x0412, 129},
    {0x041A, 238}, {0x0C1A, 204}, {0x081A, 238}, {0x041E, 222}, {0x041F, 162},
    {0x0425, 186}, {0x0426, 186}, {0x0427, 186}, {0x042A, 163}, {0x042B, 65001},
    {0x0437, 65001}, {0x0443, 238}, {0x0843, 204}, {0x0409, 0},   {0x040C, 0},
    {0x0044, 0},   {0x03FF, 0},   {0, 0},
};

TEST(Locale, CharsetOfLanguage)
{
    for (const LanguageRow& row : kLanguages) {
        SCOPED_TRACE("language " + std::to_string(row.language));
        EXPECT_EQ(nGetCharsetFromLanguage(row.language), row.charset);
        EXPECT_EQ(GetCharSetFromLanguageID(row.language), row.charset & 0xFF);
    }
    EXPECT_EQ(GetCharSetFromLanguageID(0x042B), 233);
}

TEST(Locale, LocaleNamesRequested)
{
    struct Row {
        int charset;
        const char* name;
    } rows[] = {{161, "greek_greece.1253"}, {162, "turkey_turkish.1254"},
                {204, "russian_russia.1251"}, {177, ".1255"}, {178, ".1256"}};
    char buf[64];
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(bNomLocaleCharset(row.charset, buf, sizeof buf));
        EXPECT_STREQ(buf, row.name);
    }
    // No locale change outside 161..204, for unknown sets, or for the others in range.
    for (int charset : {0, 128, 163, 186, 222, 238, 65001, 170}) {
        SCOPED_TRACE(charset);
        std::memset(buf, 'x', sizeof buf);
        EXPECT_FALSE(bNomLocaleCharset(charset, buf, sizeof buf));
        EXPECT_EQ(buf[0], '\0');
    }
    // A buffer too small for the name is refused, not overrun.
    char small[8];
    std::memset(small, 'x', sizeof small);
    EXPECT_FALSE(bNomLocaleCharset(204, small, 5));
    EXPECT_EQ(small[0], '\0');
    EXPECT_EQ(small[5], 'x');
}

TEST(Locale, ChangeLocaleLeavesLocaleForSetsThatNeedNone)
{
    const std::string before = pszGetLocale(LC_ALL);
    EXPECT_EQ(ChangeLocale(0), 1252u);
    EXPECT_EQ(ChangeLocale(186), 1257u);
    EXPECT_EQ(ChangeLocale(7), 0u);
    EXPECT_EQ(before, pszGetLocale(LC_ALL));
}

TEST(Locale, ChangeLocaleReportsAMissingLocaleAsZero)
{
    // Windows-style names are not installed on Linux: the switch fails and says so,
    // and the current locale is left as it was.
    const std::string before = pszGetLocale(LC_ALL);
    EXPECT_EQ(ChangeLocale(204), 0u);
    EXPECT_EQ(before, pszGetLocale(LC_ALL));
}

TEST(Locale, SetAndUnset)
{
    ASSERT_NE(pszSetLocale(LC_CTYPE, "C"), nullptr);
    EXPECT_STREQ(pszGetLocale(LC_CTYPE), "C");
    EXPECT_EQ(pszSetLocale(LC_CTYPE, "no_such_locale.xyz"), nullptr);
    EXPECT_STREQ(pszGetLocale(LC_CTYPE), "C");
    EXPECT_NE(pszSetSystemLocale(LC_CTYPE), nullptr);
    UnsetLocale(LC_CTYPE);
    EXPECT_STREQ(pszGetLocale(LC_CTYPE), "C");
}

} // namespace
