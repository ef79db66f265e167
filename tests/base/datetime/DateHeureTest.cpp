// Tests of the date and time strings: validation tables, mask conversions, day numbers against
// Python's calendar, continuity across the 1582 reform, and differences.
#include "base/datetime/DateHeure.h"

#include "support/Sentinel.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

TEST(DateHeure, DateValidation)
{
    const struct {
        const char* pszDate;
        bool bValide;
    } tab[] = {
        {"20240229", true},  {"20230229", false}, {"20240230", false}, {"2024013", false},  {"202401311", false},
        {"20241301", false}, {"20240001", false}, {"20240100", false}, {"00010101", true},  {"00000101", false},
        {"19000229", false}, {"20000229", true},  {"16000229", true},  {"15000229", true},  {"2024-1-1", false},
        {"2024 101", false}, {"", false},         {"99991231", true},  {"20240431", false}, {"20241231", true},
        // The ten days of the calendar reform do not exist.
        {"15821004", true},  {"15821005", false}, {"15821014", false}, {"15821015", true},  {"15821105", true},
    };
    for (const auto& c : tab) {
        SCOPED_TRACE(c.pszDate);
        int a = -1, m = -1, j = -1;
        EXPECT_EQ(bDateVerif(c.pszDate, &a, &m, &j), c.bValide);
        EXPECT_EQ(bDateValide(c.pszDate), c.bValide);
    }
    int a = 0, m = 0, j = 0;
    ASSERT_TRUE(bDateVerif("20240315", &a, &m, &j));
    EXPECT_EQ(a * 10000 + m * 100 + j, 20240315);
    EXPECT_FALSE(bDateValide(nullptr));
}

TEST(DateHeure, TimeValidation)
{
    const struct {
        const char* pszHeure;
        bool bValide;
        int nCentiemes;
    } tab[] = {
        {"2359599", true, 23 * 360000 + 59 * 6000 + 59 * 100 + 90}, // completed to 23595990
        {"", true, 0},
        {"24000000", false, 0},
        {"23600000", false, 0},
        {"23006000", false, 0},
        {"12", true, 12 * 360000},
        {"0000009912345", true, 99}, // only the first 8 characters count
        {"12a0", false, 0},
        {"-1", false, 0},
    };
    for (const auto& c : tab) {
        SCOPED_TRACE(c.pszHeure);
        EXPECT_EQ(bHeureValide(c.pszHeure), c.bValide);
        int n = -1;
        EXPECT_EQ(bNbCentieme(c.pszHeure, &n), c.bValide);
        if (c.bValide) {
            EXPECT_EQ(n, c.nCentiemes);
        }
    }
    int h = 0, m = 0, s = 0, cs = 0;
    ASSERT_TRUE(bHeureVerif("0102034", &h, &m, &s, &cs));
    EXPECT_EQ(h * 1000000 + m * 10000 + s * 100 + cs, 1020340);
}

TEST(DateHeure, DigitsAndNumbers)
{
    EXPECT_TRUE(bCaractereNumerique('0', false));
    EXPECT_TRUE(bCaractereNumerique('-', true));
    EXPECT_FALSE(bCaractereNumerique('-', false));
    EXPECT_FALSE(bCaractereNumerique('a', true));
    EXPECT_TRUE(bChaineNumerique("12x", 2, false));
    EXPECT_FALSE(bChaineNumerique("12x", 3, false));
    EXPECT_FALSE(bChaineNumerique("12", 5, false)); // the terminator is not a digit
    EXPECT_TRUE(bChaineNumerique("-12", 3, true));
    EXPECT_FALSE(bChaineNumerique("1-2", 3, true));
    EXPECT_TRUE(bChaineNumerique("", 0, false));
    int n = 0;
    EXPECT_TRUE(bChaineVersEntier("42abc", &n, false));
    EXPECT_EQ(n, 42);
    EXPECT_TRUE(bChaineVersEntier("-7", &n, true));
    EXPECT_EQ(n, -7);
    EXPECT_FALSE(bChaineVersEntier("-7", &n, false));
    EXPECT_FALSE(bChaineVersEntier(" 7", &n, false));
    EXPECT_TRUE(bChaineVersEntier("99999999999999999999", &n, false));
    EXPECT_EQ(n, 2147483647);
    const int tabBissextiles[][2] = {{4, 1},    {100, 1},  {1500, 1}, {1582, 0}, {1584, 1},
                                     {1600, 1}, {1700, 0}, {1900, 0}, {2000, 1}, {2023, 0}};
    for (const auto& c : tabBissextiles)
        EXPECT_EQ(nBissextille(c[0]), c[1]) << c[0];
}

TEST(DateHeure, ExtractionOfDateTimes)
{
    char szDate[9];
    char szHeure[9];
    ASSERT_TRUE(bExtraitDateHeure("202403151230", szDate, szHeure));
    EXPECT_STREQ(szDate, "20240315");
    EXPECT_STREQ(szHeure, "1230");
    ASSERT_TRUE(bExtraitDateHeure("20240315123456789999", szDate, szHeure));
    EXPECT_STREQ(szHeure, "12345678");
    EXPECT_FALSE(bExtraitDateHeure("2024031", szDate, szHeure));
    EXPECT_TRUE(bDateHeureValide("20240315"));
    EXPECT_TRUE(bDateHeureValide("2024031523595999"));
    EXPECT_FALSE(bDateHeureValide("2024031524"));
    EXPECT_FALSE(bDateHeureValide("2024023012"));
}

TEST(DateHeure, DateThroughOutputMask)
{
    const struct {
        const char* pszDate;
        const char* pszMasque;
        const char* pszAttendu;
    } tab[] = {
        {"20240315", "JJ/MM/AAAA", "15/03/2024"}, {"20240315", "YY-MM-DD", "24-03-15"},
        {"20240315", "yyyy.MM.dd", "2024.03.dd"}, {"20240315", "aaaaMMJJ", "20240315"},
        {"20240315", "AAA", "24A"},               {"20240315", "M", "M"},
        {"20240315", "", ""},                     {"2024031512", "DD", "15"},
        {"abcdefgh", "DDMMYYYY", "ghefabcd"}, // the digits are not checked
    };
    for (const auto& c : tab) {
        SCOPED_TRACE(c.pszMasque);
        char sz[40];
        ASSERT_TRUE(bDateVersChaine(c.pszDate, c.pszMasque, sz, sizeof sz));
        EXPECT_STREQ(sz, c.pszAttendu);
    }
    // Buffers of exactly the size, one byte short, and larger.
    for (std::size_t nTaille : {10u, 11u, 12u}) {
        SCOPED_TRACE(nTaille);
        zvtest::SentinelBuffer<char> buf(nTaille);
        const bool bOk = bDateVersChaine("20240315", "JJ/MM/AAAA", buf.data(), nTaille);
        EXPECT_EQ(bOk, nTaille >= 11);
        EXPECT_STREQ(buf.data(), bOk ? "15/03/2024" : "");
        EXPECT_TRUE(buf.untouchedFrom(bOk ? 11 : 1));
        EXPECT_TRUE(buf.guardsIntact());
    }
    char sz[20] = "x";
    EXPECT_FALSE(bDateVersChaine("2024031", "JJ", sz, sizeof sz)); // shorter than a date
    EXPECT_STREQ(sz, "");
    EXPECT_FALSE(bDateVersChaine("20240315", "JJ", sz, 0));
}

TEST(DateHeure, DateThroughInputMask)
{
    const struct {
        const char* pszTexte;
        const char* pszMasque;
        const char* pszAttendu; // null: fails
    } tab[] = {
        {"15/03/24", "DD/MM/YY", "20240315"},   {"15/03/75", "DD/MM/YY", "19750315"},
        {"15/03/50", "DD/MM/YY", "20500315"},   {"15/03/51", "DD/MM/YY", "19510315"},
        {"15/03/00", "DD/MM/YY", "20000315"},   {"15/03/x5", "DD/MM/YY", nullptr},
        {"15/03/2024", "JJ/MM/AAAA", "20240315"}, {"2024-03-15", "yyyy-MM-DD", "20240315"},
        {"990315", "YYMMDD", "19990315"},       {"ab0315", "YYMMDD", "20ab0315"}, // followed by MM: not read
        {"15/03/2", "DD/MM/YY", nullptr},       {"15/03/20", "DD/MM/YYYY", nullptr},
        {"15/03", "DD/MM", nullptr},            {"", "DD/MM/YYYY", nullptr},
        {"1503", "DDMMxxxxYYYY", nullptr},      {"15/03/245", "DD/MM/YY", nullptr},
    };
    for (const auto& c : tab) {
        SCOPED_TRACE(std::string(c.pszTexte) + " " + c.pszMasque);
        zvtest::SentinelBuffer<char> buf(9);
        EXPECT_EQ(bChaineVersDate(c.pszTexte, c.pszMasque, buf.data()), c.pszAttendu != nullptr);
        if (c.pszAttendu) {
            EXPECT_STREQ(buf.data(), c.pszAttendu);
        } else {
            EXPECT_TRUE(buf.untouchedFrom(0));
        }
        EXPECT_TRUE(buf.guardsIntact());
    }
}

TEST(DateHeure, DayNumbersAndDifferences)
{
    int n = -1;
    ASSERT_TRUE(bNbJour("18000101", &n));
    EXPECT_EQ(n, 1);
    ASSERT_TRUE(bNbJour("17991231", &n));
    EXPECT_EQ(n, 0);
    const struct {
        const char* psz1;
        const char* psz2;
        int nJours;
    } tab[] = {
        {"20000228", "20000301", 2}, {"19000228", "19000301", 1}, {"20240301", "20230301", -366},
        {"15821004", "15821015", 1}, {"15000228", "15000301", 2}, {"17000228", "17000301", 1},
        {"00010101", "99991231", 3652058 + 2}, // Julian years up to 1582 hold two more leap days
    };
    for (const auto& c : tab) {
        SCOPED_TRACE(std::string(c.psz1) + " " + c.psz2);
        int d = 0;
        ASSERT_TRUE(bDateDifference(c.psz1, c.psz2, &d));
        EXPECT_EQ(d, c.nJours);
    }
    EXPECT_FALSE(bDateDifference("20240230", "20240301", &n));
    EXPECT_FALSE(bNbJour("15821010", &n));
    EXPECT_EQ(n, 0);
    EXPECT_FALSE(bJourGregorien(10, 10, 1582, &n));
    EXPECT_FALSE(bJourGregorien(29, 2, 1900, &n));
    EXPECT_FALSE(bJourGregorien(1, 13, 2000, &n));
    EXPECT_FALSE(bJourGregorien(1, 1, 0, &n));
    ASSERT_TRUE(bJourGregorien(29, 2, 1500, &n));
    int h = 0;
    ASSERT_TRUE(bHeureDifference("23", "01", &h));
    EXPECT_EQ(h, -22 * 360000);
}

// Every existing day from year 1 to 2500, in calendar order, has the number after the one before.
TEST(DateHeure, DayNumbersRunOnWithoutAJump)
{
    int nPrecedent = 0;
    bool bPremier = true;
    int nJoursVus = 0;
    for (int a = 1; a <= 2500; ++a)
        for (int m = 1; m <= 12; ++m)
            for (int j = 1; j <= 31; ++j) {
                char sz[48];
                std::snprintf(sz, sizeof sz, "%04d%02d%02d", a, m, j);
                int n = 0;
                if (!bNbJour(sz, &n))
                    continue;
                ++nJoursVus;
                if (!bPremier && n != nPrecedent + 1) {
                    ADD_FAILURE() << sz << " has " << n << " after " << nPrecedent;
                    return;
                }
                bPremier = false;
                nPrecedent = n;
            }
    EXPECT_EQ(nJoursVus, nPrecedent + 657073); // 1 January of year 1 is -657072
}

TEST(DateHeure, DayNumbersAgreeWithPythonsGregorianCalendar)
{
    // Python's proleptic Gregorian ordinals shifted so that 1 January 1800 is 1, for random days
    // from the reform to the year 9999.
    const char* pszScript =
        "python3 -c \"import datetime,random\n"
        "r=random.Random(1582)\n"
        "a=datetime.date(1582,10,15).toordinal();b=datetime.date(9999,12,31).toordinal()\n"
        "o=datetime.date(1800,1,1).toordinal()\n"
        "for o2 in [a,b]+[r.randint(a,b) for _ in range(5000)]:\n"
        "  print(datetime.date.fromordinal(o2).strftime('%Y%m%d').zfill(8),o2-o+1)\" 2>/dev/null";
    FILE* p = popen(pszScript, "r");
    ASSERT_NE(p, nullptr);
    char szDate[16];
    int nAttendu = 0;
    int nLus = 0;
    while (std::fscanf(p, "%15s %d", szDate, &nAttendu) == 2) {
        ++nLus;
        int n = 0;
        ASSERT_TRUE(bNbJour(szDate, &n)) << szDate;
        ASSERT_EQ(n, nAttendu) << szDate;
    }
    pclose(p);
    if (nLus == 0)
        GTEST_SKIP() << "python3 is not available: no reference day numbers";
    EXPECT_EQ(nLus, 5002);
}

TEST(DateHeure, DateTimeDifferences)
{
    const struct {
        const char* psz1;
        const char* psz2;
        const char* pszAttendu; // null: fails
    } tab[] = {
        {"2024010100000000", "2024010212000050", "+000000112000050"},
        {"2024010212000050", "2024010100000000", "-000000112000050"},
        {"20240101", "20240101", "+000000000000000"},
        {"2023022823595999", "2023030100", "+000000000000001"},
        {"2024022823595999", "2024030100", "+000000100000001"}, // 29 February between
        {"00010101", "99991231235959", "+365206023595900"},
        {"2024023000", "20240101", nullptr},
        {"2024010124", "20240101", nullptr},
        {"2024010", "20240101", nullptr},
    };
    for (const auto& c : tab) {
        SCOPED_TRACE(std::string(c.psz1) + " " + c.psz2);
        zvtest::SentinelBuffer<char> buf(17);
        EXPECT_EQ(bDateHeureDifference(c.psz1, c.psz2, buf.data()), c.pszAttendu != nullptr);
        if (c.pszAttendu) {
            EXPECT_STREQ(buf.data(), c.pszAttendu);
        } else {
            EXPECT_TRUE(buf.untouchedFrom(0));
        }
        EXPECT_TRUE(buf.guardsIntact());
    }
    int nJours = 0, nCentiemes = 0;
    ASSERT_TRUE(bJourCentieme("1800010100000001", &nJours, &nCentiemes));
    EXPECT_EQ(nJours, 1);
    EXPECT_EQ(nCentiemes, 1);
}

} // namespace
