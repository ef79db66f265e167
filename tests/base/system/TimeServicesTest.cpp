// Tests of the clock and file-time calls: calendar conversions from 1601 to 30828, refusal of
// impossible fields, local-time conversions under fixed time zones, and descriptor times.
#include "base/system/TimeServices.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

FILETIME stFt(uint64_t n)
{
    return _stFileTimeDe(n);
}

struct Moment {
    uint64_t nFileTime;
    SYSTEMTIME st; // year, month, day of week, day, hour, minute, second, ms
};

// Independent values (Python's calendar.timegm and isoweekday).
const Moment gtabMoments[] = {
    {0, {1601, 1, 1, 1, 0, 0, 0, 0}},
    {94354847990000000ULL, {1899, 12, 0, 31, 23, 59, 59, 0}},
    {116444736000000000ULL, {1970, 1, 4, 1, 0, 0, 0, 0}},
    {138586052960000000ULL, {2040, 2, 3, 29, 12, 34, 56, 0}},   // after 2038, a leap day
    {159394408960000000ULL, {2106, 2, 0, 7, 6, 28, 16, 0}},     // after unsigned 32-bit seconds
    {0x7FFFFFFFFFFFFFFFULL / 10000000 * 10000000, {30828, 9, 4, 14, 2, 48, 5, 0}}, // the last second
};

void ExpectMemeMoment(const SYSTEMTIME& a, const SYSTEMTIME& b)
{
    EXPECT_EQ(a.wYear, b.wYear);
    EXPECT_EQ(a.wMonth, b.wMonth);
    EXPECT_EQ(a.wDayOfWeek, b.wDayOfWeek);
    EXPECT_EQ(a.wDay, b.wDay);
    EXPECT_EQ(a.wHour, b.wHour);
    EXPECT_EQ(a.wMinute, b.wMinute);
    EXPECT_EQ(a.wSecond, b.wSecond);
    EXPECT_EQ(a.wMilliseconds, b.wMilliseconds);
}

TEST(TimeServices, FileTimesAndCalendarTimesConvertBothWays)
{
    for (const Moment& m : gtabMoments) {
        SCOPED_TRACE(m.st.wYear);
        const FILETIME ft = stFt(std::min<uint64_t>(m.nFileTime + 9999999, 0x7FFFFFFFFFFFFFFFULL)); // the part of a second is dropped
        SYSTEMTIME st{};
        ASSERT_TRUE(FileTimeToSystemTime(&ft, &st));
        ExpectMemeMoment(st, m.st);
        SYSTEMTIME stEntree = m.st;
        stEntree.wMilliseconds = 999;
        stEntree.wDayOfWeek = 6; // not looked at
        FILETIME ftRetour{1, 1};
        ASSERT_TRUE(SystemTimeToFileTime(&stEntree, &ftRetour));
        EXPECT_EQ(_nFileTimeValeur(&ftRetour), m.nFileTime);
    }
    const FILETIME ftHors = stFt(0x8000000000000000ULL);
    SYSTEMTIME st{7, 7, 7, 7, 7, 7, 7, 7};
    EXPECT_FALSE(FileTimeToSystemTime(&ftHors, &st));
    EXPECT_EQ(st.wYear, 7);
}

TEST(TimeServices, ImpossibleCalendarFieldsAreRefusedNotCarried)
{
    const SYSTEMTIME tab[] = {
        {2023, 2, 0, 29, 0, 0, 0, 0}, {2024, 13, 0, 1, 0, 0, 0, 0}, {2024, 0, 0, 1, 0, 0, 0, 0},
        {2024, 4, 0, 31, 0, 0, 0, 0}, {2024, 1, 0, 0, 0, 0, 0, 0},  {2024, 1, 0, 1, 24, 0, 0, 0},
        {2024, 1, 0, 1, 0, 60, 0, 0}, {2024, 1, 0, 1, 0, 0, 60, 0}, {1600, 12, 0, 31, 0, 0, 0, 0},
        {1900, 2, 0, 29, 0, 0, 0, 0},
    };
    for (const SYSTEMTIME& st : tab) {
        SCOPED_TRACE(testing::Message() << st.wYear << "-" << st.wMonth << "-" << st.wDay << " " << st.wHour << ":"
                                        << st.wMinute << ":" << st.wSecond);
        FILETIME ft{5, 5};
        EXPECT_FALSE(SystemTimeToFileTime(&st, &ft));
        EXPECT_EQ(ft.dwLowDateTime, 5u);
        // Never reaches the clock (these tests may run with the right to set it).
        EXPECT_FALSE(SetLocalTime(&st));
    }
    const SYSTEMTIME stBissextile{2000, 2, 0, 29, 23, 59, 59, 0};
    FILETIME ft{};
    EXPECT_TRUE(SystemTimeToFileTime(&stBissextile, &ft));
}

// Sets TZ for the life of the object.
class FuseauHoraire {
public:
    explicit FuseauHoraire(const char* psz)
    {
        const char* pszAncien = std::getenv("TZ");
        m_bAvait = pszAncien != nullptr;
        if (m_bAvait)
            m_sAncien = pszAncien;
        setenv("TZ", psz, 1);
        tzset();
    }
    ~FuseauHoraire()
    {
        if (m_bAvait)
            setenv("TZ", m_sAncien.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    bool m_bAvait;
    std::string m_sAncien;
};

constexpr uint64_t kHeure = 3600ULL * 10000000;

TEST(TimeServices, LocalFileTimesFollowTheTimeZone)
{
    FuseauHoraire tz("CET-1CEST,M3.5.0,M10.5.0/3");
    const struct {
        uint64_t nUtc;
        uint64_t nDecalage;
    } tab[] = {
        {116444736000000000ULL, kHeure},              // January 1970: winter time
        {116444736000000000ULL + 15552000ULL * 10000000, 2 * kHeure}, // end of June 1970: summer time
    };
    for (const auto& c : tab) {
        const FILETIME ft = stFt(c.nUtc);
        FILETIME ftLocal{};
        FILETIME ftRetour{};
        ASSERT_TRUE(FileTimeToLocalFileTime(&ft, &ftLocal));
        EXPECT_EQ(_nFileTimeValeur(&ftLocal), c.nUtc + c.nDecalage);
        ASSERT_TRUE(LocalFileTimeToFileTime(&ftLocal, &ftRetour));
        EXPECT_EQ(_nFileTimeValeur(&ftRetour), c.nUtc);
    }
    // After 2038 the local-time library needs a 64-bit time_t; without one the call fails
    // instead of wrapping to 1901.
    const FILETIME ft2040 = stFt(138586052960000000ULL);
    FILETIME ftLocal{};
    if (sizeof(time_t) == 8) {
        ASSERT_TRUE(FileTimeToLocalFileTime(&ft2040, &ftLocal));
        EXPECT_EQ(_nFileTimeValeur(&ftLocal), 138586052960000000ULL + kHeure);
    } else {
        EXPECT_FALSE(FileTimeToLocalFileTime(&ft2040, &ftLocal));
        EXPECT_FALSE(LocalFileTimeToFileTime(&ft2040, &ftLocal));
    }
}

TEST(TimeServices, DescriptorTimesAreTheFileStatus)
{
    char szNom[] = "/tmp/zvfiletimeXXXXXX";
    const int fd = mkstemp(szNom);
    ASSERT_GE(fd, 0);
    const timespec tab[2] = {{1000000000, 0}, {1700000000, 500000000}}; // access, modification
    ASSERT_EQ(futimens(fd, tab), 0);
    FILETIME ftCreation{}, ftAcces{}, ftEcriture{};
    ASSERT_TRUE(GetFileTime(fd, &ftCreation, &ftAcces, &ftEcriture));
    EXPECT_EQ(_nFileTimeValeur(&ftAcces), 1000000000ULL * 10000000 + 116444736000000000ULL);
    EXPECT_EQ(_nFileTimeValeur(&ftEcriture), 1700000000ULL * 10000000 + 116444736000000000ULL);
    EXPECT_GE(_nFileTimeVersUnix(&ftCreation), static_cast<int64_t>(std::time(nullptr)) - 60);
    EXPECT_TRUE(GetFileTime(fd, nullptr, nullptr, nullptr));
    close(fd);
    unlink(szNom);
    EXPECT_FALSE(GetFileTime(fd, &ftCreation, nullptr, nullptr));
    EXPECT_FALSE(GetFileTime(-1, nullptr, nullptr, nullptr));
}

TEST(TimeServices, ClockReadingsAgreeWithTheSystemClock)
{
    SYSTEMTIME stUtc{};
    SYSTEMTIME stLocal{};
    const time_t nAvant = std::time(nullptr);
    GetSystemTime(&stUtc);
    GetLocalTime(&stLocal);
    FILETIME ft{};
    stUtc.wMilliseconds = 0;
    ASSERT_TRUE(SystemTimeToFileTime(&stUtc, &ft));
    const int64_t nEcart = _nFileTimeVersUnix(&ft) - static_cast<int64_t>(nAvant);
    EXPECT_GE(nEcart, 0);
    EXPECT_LE(nEcart, 2);
    EXPECT_LT(stLocal.wMilliseconds, 1000);
    EXPECT_GE(stLocal.wYear, 2020);

    const DWORD dwDebut = GetTickCount();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const DWORD dwEcoule = GetTickCount() - dwDebut; // unsigned difference survives the wrap
    EXPECT_GE(dwEcoule, 45u);
    EXPECT_LT(dwEcoule, 5000u);
    GetLocalTime(nullptr);
    GetSystemTime(nullptr);
}

} // namespace
