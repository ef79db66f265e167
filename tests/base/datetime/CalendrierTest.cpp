// Tests of the one statement of the calendar's rules: leap years, month lengths and valid
// dates in both calendars, times of day.
#include "base/datetime/Calendrier.h"

#include <gtest/gtest.h>

namespace {

TEST(Calendrier, LeapYearsAndMonthLengthsInBothCalendars)
{
    const struct {
        long long nAnnee;
        bool bGregorien, bHistorique;
    } aAnnees[] = {
        {1500, false, true}, {1582, false, false}, {1584, true, true}, {1600, true, true},
        {1700, false, false}, {1900, false, false}, {2000, true, true}, {2024, true, true},
        {2100, false, false}, {4, true, true}, {-4, true, true}, {30827, false, false},
    };
    for (const auto& a : aAnnees) {
        SCOPED_TRACE(a.nAnnee);
        EXPECT_EQ(CAL_bBissextile(a.nAnnee), a.bGregorien);
        EXPECT_EQ(CAL_bBissextile(a.nAnnee, eCAL_HISTORIQUE), a.bHistorique);
        EXPECT_EQ(CAL_nJoursDansMois(a.nAnnee, 2), a.bGregorien ? 29u : 28u);
        EXPECT_EQ(CAL_nJoursDansMois(a.nAnnee, 2, eCAL_HISTORIQUE), a.bHistorique ? 29u : 28u);
    }
    const unsigned anJours[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (unsigned nMois = 1; nMois <= 12; ++nMois)
        EXPECT_EQ(CAL_nJoursDansMois(2023, nMois), anJours[nMois - 1]) << nMois;
    EXPECT_EQ(CAL_nJoursDansMois(2023, 0), 0u);
    EXPECT_EQ(CAL_nJoursDansMois(2023, 13), 0u);
}

TEST(Calendrier, ValidDatesAndTimesOfDay)
{
    const struct {
        long long nAnnee;
        unsigned nMois, nJour;
        bool bGregorien, bHistorique;
    } aDates[] = {
        {2024, 2, 29, true, true},   {2023, 2, 29, false, false}, {1500, 2, 29, false, true},
        {1582, 10, 4, true, true},   {1582, 10, 5, true, false},  {1582, 10, 14, true, false},
        {1582, 10, 15, true, true},  {2023, 4, 31, false, false}, {2023, 12, 31, true, true},
        {2023, 0, 1, false, false},  {2023, 13, 1, false, false}, {2023, 1, 0, false, false},
        {65535, 12, 31, true, true},
    };
    for (const auto& d : aDates) {
        SCOPED_TRACE(testing::Message() << d.nAnnee << "-" << d.nMois << "-" << d.nJour);
        EXPECT_EQ(CAL_bDateValide(d.nAnnee, d.nMois, d.nJour), d.bGregorien);
        EXPECT_EQ(CAL_bDateValide(d.nAnnee, d.nMois, d.nJour, eCAL_HISTORIQUE), d.bHistorique);
    }
    EXPECT_TRUE(CAL_bHeureValide(0, 0, 0));
    EXPECT_TRUE(CAL_bHeureValide(23, 59, 59, 999));
    EXPECT_FALSE(CAL_bHeureValide(24, 0, 0));
    EXPECT_FALSE(CAL_bHeureValide(0, 60, 0));
    EXPECT_FALSE(CAL_bHeureValide(0, 0, 60));
    EXPECT_FALSE(CAL_bHeureValide(0, 0, 0, 1000));
}

} // namespace
