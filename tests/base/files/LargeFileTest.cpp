// Files that a 32-bit build without large-file support could not stat: dated after January
// 2038, or larger than 4 GiB. Every build, i386 included, must give the same answers.
#include "base/files/CDiskFile.h"
#include "base/files/XFindData.h"
#include "base/system/TimeServices.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

namespace {

constexpr long long knEpoqueFileTime = 116444736000000000LL; // 1970-01-01 in 100 ns since 1601
constexpr long long knEcriture = 2214131696LL;               // 2040-02-29 12:34:56 UTC
constexpr long long knAcces = 4102444800LL;                  // 2100-01-01 00:00:00 UTC
constexpr long long knGrosseTaille = 5LL * 1024 * 1024 * 1024 + 3; // over 4 GiB

// TZ=UTC0 for the test's length, so local times are the UTC ones.
class UtcZone {
public:
    UtcZone()
    {
        const char* psz = std::getenv("TZ");
        m_bAvait = psz != nullptr;
        m_sAncien = psz != nullptr ? psz : "";
        setenv("TZ", "UTC0", 1);
        tzset();
    }
    ~UtcZone()
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

unsigned long long nFileTime(const FILETIME& ft)
{
    return static_cast<unsigned long long>(ft.dwHighDateTime) << 32 | ft.dwLowDateTime;
}

FILETIME FileTimeDe(long long nSecondes, long long nCentNs = 0)
{
    const unsigned long long n = static_cast<unsigned long long>(nSecondes * 10000000 + nCentNs + knEpoqueFileTime);
    return FILETIME{static_cast<uint32_t>(n), static_cast<uint32_t>(n >> 32)};
}

int Collecte(const char* pszChemin, long lParam)
{
    reinterpret_cast<std::set<std::string>*>(lParam)->insert(pszChemin);
    return 1;
}

TEST(LargeFile, TimesAfter2038AreReadAndConverted)
{
    UtcZone tz;
    zvtest::TempDir t;
    ASSERT_TRUE(t.ok());
    const std::string sFichier = t.path("futur");
    zvtest::WriteFile(sFichier, "abc");
    const timespec ast[2] = {{static_cast<time_t>(knAcces), 0}, {static_cast<time_t>(knEcriture), 789000000}};
    ASSERT_EQ(0, utimensat(AT_FDCWD, sFichier.c_str(), ast, 0)) << std::strerror(errno);

    _stXFILETIME st = {};
    ASSERT_TRUE(CDiskFile::bGetLastModificationTime(sFichier.c_str(), &st)) << std::strerror(errno);
    EXPECT_EQ(2040, st.wYear);
    EXPECT_EQ(2, st.wMonth);
    EXPECT_EQ(29, st.wDay);
    EXPECT_EQ(12, st.wHour);
    EXPECT_EQ(34, st.wMinute);
    EXPECT_EQ(56, st.wSecond);
    EXPECT_EQ(789, st.wMilliseconds);

    const int fd = open(sFichier.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    FILETIME ftAcces = {}, ftEcriture = {};
    EXPECT_TRUE(GetFileTime(fd, nullptr, &ftAcces, &ftEcriture));
    close(fd);
    EXPECT_EQ(nFileTime(FileTimeDe(knAcces)), nFileTime(ftAcces));
    EXPECT_EQ(nFileTime(FileTimeDe(knEcriture)), nFileTime(ftEcriture));

    // The conversions between file times and calendar times, both ways.
    const FILETIME ft = FileTimeDe(knEcriture, 7890000);
    _stXFILETIME stRetour = {};
    ASSERT_TRUE(CDiskFile::bFileTimeToSystemTime(&ft, &stRetour)) << std::strerror(errno);
    EXPECT_EQ(0, std::memcmp(&st, &stRetour, sizeof(st)));
    FILETIME ftRetour = {};
    ASSERT_TRUE(CDiskFile::bSystemTimeToFileTime(&stRetour, &ftRetour)) << std::strerror(errno);
    EXPECT_EQ(nFileTime(ft), nFileTime(ftRetour));
    // The local time (here UTC) of a file time, in whole seconds.
    FILETIME ftLocal = {};
    ASSERT_TRUE(FileTimeToLocalFileTime(&ft, &ftLocal));
    EXPECT_EQ(nFileTime(FileTimeDe(knEcriture)), nFileTime(ftLocal));
}

TEST(LargeFile, FilesOverFourGibibytesAreStattedFoundAndWalked)
{
    zvtest::TempDir t;
    ASSERT_TRUE(t.ok());
    const std::string sGros = t.path("gros"), sPetit = t.path("petit");
    const int fd = open(sGros.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    // Sparse: no block is written.
    const int nTronque = ftruncate(fd, static_cast<off_t>(knGrosseTaille));
    const int nErreur = errno;
    close(fd);
    if (nTronque != 0)
        GTEST_SKIP() << "the file system of /tmp refuses a sparse file of 5 GiB: " << std::strerror(nErreur);
    zvtest::WriteFile(sPetit, "12");

    EXPECT_EQ(knGrosseTaille, CDiskFile::oGetSize(sGros.c_str())) << std::strerror(errno);
    EXPECT_TRUE(CDiskFile::bIsAFile(sGros.c_str()));
    struct stat stStat;
    ASSERT_TRUE(CDiskFile::bGetFileStatus(sGros.c_str(), &stStat)) << std::strerror(errno);
    EXPECT_EQ(knGrosseTaille, static_cast<long long>(stStat.st_size));
    int nAttributs = 0;
    EXPECT_TRUE(CDiskFile::bGetFileAttributes(&nAttributs, sGros.c_str())) << std::strerror(errno);

    // A directory search reports both files with their sizes, then ends cleanly.
    _stXFINDDATA stFind;
    std::set<std::string> setTrouves;
    errno = 0;
    for (bool b = CDiskFile::bFindFirst(t.path("*").c_str(), &stFind, 0, 0); b; b = CDiskFile::bFindNext(&stFind)) {
        setTrouves.insert(stFind.szName);
        if (std::string(stFind.szName) == "gros") {
            EXPECT_EQ(static_cast<unsigned long long>(knGrosseTaille), stFind.oSize);
        }
    }
    EXPECT_EQ(ENOENT, errno);
    EXPECT_TRUE(CDiskFile::bFindClose(&stFind));
    EXPECT_EQ((std::set<std::string>{"gros", "petit"}), setTrouves);

    std::set<std::string> setParcourus;
    EXPECT_TRUE(CDiskFile::bDoOnFileTree(t.dir().c_str(), "*", Collecte, reinterpret_cast<long>(&setParcourus), 1, 1))
        << std::strerror(errno);
    EXPECT_EQ((std::set<std::string>{sGros, sPetit}), setParcourus);
}

} // namespace
