// CLogger in file mode: the line, whole lines from eight threads, rotation by renaming, truncation and the operator's guide's logrotate example.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "service/CLogger.h"
#include "service/ProcessusTest.h"
#include "support/TempDir.h"

namespace {

std::vector<std::string> LignesDe(const std::string& sFichier)
{
    std::vector<std::string> as;
    const std::string s = zvtest::sReadFile(sFichier);
    size_t nDebut = 0;
    for (size_t n = s.find('\n'); n != std::string::npos; n = s.find('\n', nDebut)) {
        as.push_back(s.substr(nDebut, n - nDebut));
        nDebut = n + 1;
    }
    if (nDebut < s.size())
        as.push_back(s.substr(nDebut) + "<no line feed>");
    return as;
}

// One line: time with offset, program[pid], priority, optional [event], text. Read by hand:
// libstdc++'s regex recurses once per character, and long lines overflow the stack under the
// sanitizers.
struct stLigne {
    int anHeure[6] = {};   // year, month, day, hour, minute, second
    int nSigne = 1;        // of the UTC offset
    int anDecalage[2] = {}; // hours, minutes
    std::string sProgramme, sPid, sPriorite, sEvent, sTexte;
};

// Reads n digits at *pn into *pnValeur.
bool bChiffres(const std::string& s, size_t* pn, size_t n, int* pnValeur)
{
    if (*pn + n > s.size())
        return false;
    int v = 0;
    for (size_t i = 0; i < n; ++i) {
        const char c = s[*pn + i];
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + (c - '0');
    }
    *pn += n;
    *pnValeur = v;
    return true;
}

bool bCar(const std::string& s, size_t* pn, char c)
{
    if (*pn >= s.size() || s[*pn] != c)
        return false;
    ++*pn;
    return true;
}

// Digits, at least one (an optional leading minus when bSigne), into *ps.
bool bNombre(const std::string& s, size_t* pn, bool bSigne, std::string* ps)
{
    const size_t nDebut = *pn;
    if (bSigne && *pn < s.size() && s[*pn] == '-')
        ++*pn;
    const size_t nChiffres = *pn;
    while (*pn < s.size() && s[*pn] >= '0' && s[*pn] <= '9')
        ++*pn;
    if (*pn == nChiffres)
        return false;
    *ps = s.substr(nDebut, *pn - nDebut);
    return true;
}

bool bLitLigne(const std::string& s, stLigne* pst)
{
    size_t n = 0;
    int nMillis = 0;
    const char acApres[] = {'-', '-', 'T', ':', ':', '.'};
    const size_t anLongueurs[] = {4, 2, 2, 2, 2, 2};
    for (int i = 0; i < 6; ++i)
        if (!bChiffres(s, &n, anLongueurs[i], &pst->anHeure[i]) || !bCar(s, &n, acApres[i]))
            return false;
    if (!bChiffres(s, &n, 3, &nMillis) || n >= s.size() || (s[n] != '+' && s[n] != '-'))
        return false;
    pst->nSigne = s[n++] == '-' ? -1 : 1;
    if (!bChiffres(s, &n, 2, &pst->anDecalage[0]) || !bCar(s, &n, ':') || !bChiffres(s, &n, 2, &pst->anDecalage[1]) ||
        !bCar(s, &n, ' '))
        return false;
    const size_t nCrochet = s.find('[', n);
    if (nCrochet == std::string::npos || nCrochet == n || s.find(' ', n) < nCrochet)
        return false;
    pst->sProgramme = s.substr(n, nCrochet - n);
    n = nCrochet + 1;
    if (!bNombre(s, &n, false, &pst->sPid) || !bCar(s, &n, ']') || !bCar(s, &n, ':') || !bCar(s, &n, ' '))
        return false;
    // The priority: lower-case letters, or "priority N" for a level without a name.
    const size_t nPriorite = n;
    if (s.compare(n, 9, "priority ") == 0) {
        n += 9;
        std::string sNiveau;
        if (!bNombre(s, &n, true, &sNiveau))
            return false;
    } else {
        while (n < s.size() && s[n] >= 'a' && s[n] <= 'z')
            ++n;
        if (n == nPriorite)
            return false;
    }
    pst->sPriorite = s.substr(nPriorite, n - nPriorite);
    pst->sEvent.clear();
    if (s.compare(n, 2, " [") == 0) {
        n += 2;
        if (!bNombre(s, &n, true, &pst->sEvent) || !bCar(s, &n, ']'))
            return false;
    }
    if (!bCar(s, &n, ':') || !bCar(s, &n, ' '))
        return false;
    pst->sTexte = s.substr(n);
    return true;
}

// The text of a line written by this process, "" (and a failure) when the line is not one.
std::string TexteDe(const std::string& sLigne)
{
    stLigne st;
    if (!bLitLigne(sLigne, &st)) {
        ADD_FAILURE() << "not a whole log line: " << sLigne.substr(0, 200);
        return "";
    }
    EXPECT_EQ(program_invocation_short_name, st.sProgramme);
    EXPECT_EQ(std::to_string(getpid()), st.sPid);
    return st.sTexte;
}

// The file mode mask of the log files does not depend on the test runner's umask.
class CLoggerFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_clRep.ok());
        m_nMasque = umask(022);
        m_sFichier = m_clRep.path("app.log");
    }
    void TearDown() override { umask(m_nMasque); }

    zvtest::TempDir m_clRep;
    mode_t m_nMasque = 022;
    std::string m_sFichier;
};

TEST_F(CLoggerFileTest, EachLineCarriesLocalTimeProgramPidPriorityEventAndText)
{
    CLogger cl;
    ASSERT_EQ(1, cl.bSetMode(eMODE_FICHIER, m_sFichier.c_str()));
    const time_t nAvant = time(nullptr);
    cl.AddLog(ePRIORITY_CRIT, "x%d", 5);
    cl.AddLogEvent(ePRIORITY_ERR, 42, "%s", "with event");
    const char* apsz[] = {"%d details"};
    cl.AddLogDetail(ePRIORITY_DEBUG, 7, apsz, 3);
    cl.AddLog(static_cast<ePRIORITY>(12), "no such level");
    cl.AddLog(ePRIORITY_INFO, "%s", "two\r\nlines\tand a tab, 100% kept");
    const time_t nApres = time(nullptr);

    struct Attendu {
        const char* pszPriorite;
        const char* pszEvent; // "" when none
        const char* pszTexte;
    } aAttendus[] = {
        {"crit", "", "x5"},
        {"err", "42", "with event"},
        {"debug", "7", "3 details"},
        {"priority 12", "", "no such level"},
        {"info", "", "two#015#012lines\tand a tab, 100% kept"},
    };
    const std::vector<std::string> asLignes = LignesDe(m_sFichier);
    ASSERT_EQ(5u, asLignes.size());
    for (size_t i = 0; i < asLignes.size(); ++i) {
        SCOPED_TRACE(asLignes[i]);
        stLigne stLu;
        ASSERT_TRUE(bLitLigne(asLignes[i], &stLu));
        EXPECT_EQ(aAttendus[i].pszPriorite, stLu.sPriorite);
        EXPECT_EQ(aAttendus[i].pszEvent, stLu.sEvent);
        EXPECT_EQ(aAttendus[i].pszTexte, TexteDe(asLignes[i]));
        // Local time and its offset name the same instant as the clock did.
        struct tm st = {};
        st.tm_year = stLu.anHeure[0] - 1900;
        st.tm_mon = stLu.anHeure[1] - 1;
        st.tm_mday = stLu.anHeure[2];
        st.tm_hour = stLu.anHeure[3];
        st.tm_min = stLu.anHeure[4];
        st.tm_sec = stLu.anHeure[5];
        const long nDecalage = stLu.nSigne * (stLu.anDecalage[0] * 3600L + stLu.anDecalage[1] * 60L);
        const time_t nInstant = timegm(&st) - nDecalage;
        EXPECT_LE(nAvant, nInstant);
        EXPECT_GE(nApres, nInstant);
    }

    struct stat stFichier;
    ASSERT_EQ(0, stat(m_sFichier.c_str(), &stFichier));
    EXPECT_EQ(0640u, stFichier.st_mode & 07777);
    // The descriptor: append-only and close-on-exec.
    bool bTrouve = false;
    for (int fd = 0; fd < 1024 && !bTrouve; ++fd) {
        char sz[4096] = "";
        const ssize_t n = readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), sz, sizeof(sz) - 1);
        if (n <= 0 || m_sFichier != std::string(sz, static_cast<size_t>(n)))
            continue;
        bTrouve = true;
        const int nFlags = fcntl(fd, F_GETFL);
        EXPECT_TRUE(nFlags & O_APPEND);
        EXPECT_EQ(O_WRONLY, nFlags & O_ACCMODE);
        EXPECT_TRUE(fcntl(fd, F_GETFD) & FD_CLOEXEC);
    }
    EXPECT_TRUE(bTrouve) << "no descriptor open on the log file";
}

TEST_F(CLoggerFileTest, EightThreadsLoggingAtOnceLeaveEveryLineWholeAndPresent)
{
    CLogger cl;
    ASSERT_EQ(1, cl.bSetMode(eMODE_FICHIER, m_sFichier.c_str()));
    constexpr int knThreads = 8;
    constexpr int knLignes = 300;
    // Lengths up to 9000 bytes: beyond what a pipe or a page would keep whole by chance.
    const auto Longueur = [](int t, int n) { return static_cast<size_t>((n * 997 + t * 131) % 9000); };
    std::atomic<int> nPartis{0};
    std::vector<std::thread> aclThreads;
    for (int t = 0; t < knThreads; ++t) {
        aclThreads.emplace_back([&, t] {
            ++nPartis;
            while (nPartis.load() < knThreads) {
            }
            for (int n = 0; n < knLignes; ++n)
                cl.AddLog(ePRIORITY_INFO, "t%d n%d %s", t, n, std::string(Longueur(t, n), static_cast<char>('a' + t)).c_str());
        });
    }
    for (std::thread& cl : aclThreads)
        cl.join();

    std::set<std::pair<int, int>> aVus;
    for (const std::string& sLigne : LignesDe(m_sFichier)) {
        // "tT nN " then the thread's letter repeated.
        const std::string sTexte = TexteDe(sLigne);
        int t = -1, n = -1, nFin = 0;
        ASSERT_EQ(2, std::sscanf(sTexte.c_str(), "t%d n%d %n", &t, &n, &nFin)) << sLigne.substr(0, 200);
        ASSERT_TRUE(nFin > 0 && t >= 0 && t < knThreads) << sLigne.substr(0, 200);
        EXPECT_EQ(std::string(Longueur(t, n), static_cast<char>('a' + t)), sTexte.substr(static_cast<size_t>(nFin)))
            << "t" << t << " n" << n;
        EXPECT_TRUE(aVus.insert({t, n}).second) << "twice: t" << t << " n" << n;
    }
    EXPECT_EQ(static_cast<size_t>(knThreads * knLignes), aVus.size());
}

TEST_F(CLoggerFileTest, RenamedTruncatedOrRemovedFileLosesNoLine)
{
    CLogger cl;
    ASSERT_EQ(1, cl.bSetMode(eMODE_FICHIER, m_sFichier.c_str()));
    cl.AddLog(ePRIORITY_INFO, "first");
    // Rotation by renaming: the renamed file takes the lines until the new one exists.
    ASSERT_EQ(0, rename(m_sFichier.c_str(), (m_sFichier + ".1").c_str()));
    cl.AddLog(ePRIORITY_INFO, "second");
    EXPECT_FALSE(PT_bExiste(m_sFichier)) << "the logger raced the rotation to create the file";
    zvtest::WriteFile(m_sFichier, "");
    cl.AddLog(ePRIORITY_INFO, "third");
    std::vector<std::string> as = LignesDe(m_sFichier + ".1");
    ASSERT_EQ(2u, as.size());
    EXPECT_EQ("first", TexteDe(as[0]));
    EXPECT_EQ("second", TexteDe(as[1]));
    as = LignesDe(m_sFichier);
    ASSERT_EQ(1u, as.size());
    EXPECT_EQ("third", TexteDe(as[0]));

    // Truncated in place (copytruncate): the next line starts the file, no hole before it.
    ASSERT_EQ(0, truncate(m_sFichier.c_str(), 0));
    cl.AddLog(ePRIORITY_INFO, "after the cut");
    const std::string sTexte = zvtest::sReadFile(m_sFichier);
    ASSERT_EQ(1u, LignesDe(m_sFichier).size());
    EXPECT_EQ("after the cut", TexteDe(LignesDe(m_sFichier)[0]));
    EXPECT_EQ(std::string::npos, sTexte.find('\0'));

    // Removed: created anew, mode 0640.
    ASSERT_EQ(0, unlink(m_sFichier.c_str()));
    cl.AddLog(ePRIORITY_INFO, "fourth");
    as = LignesDe(m_sFichier);
    ASSERT_EQ(1u, as.size());
    EXPECT_EQ("fourth", TexteDe(as[0]));
    struct stat st;
    ASSERT_EQ(0, stat(m_sFichier.c_str(), &st));
    EXPECT_EQ(0640u, st.st_mode & 07777);
}

// The logrotate stanza of docs/service.md, for the path given: the example as printed, or
// with one more line before its closing brace.
std::string Strophe(const std::string& sFichier, const std::string& sEnPlus)
{
    const std::string sGuide = zvtest::sReadFile(ZV_SERVICE_GUIDE);
    const std::string sChemin = "/var/log/invoice.log";
    const size_t nDebut = sGuide.find(sChemin + " {");
    if (nDebut == std::string::npos)
        return "";
    const size_t nFin = sGuide.find("\n}", nDebut);
    if (nFin == std::string::npos)
        return "";
    return sFichier + sGuide.substr(nDebut + sChemin.size(), nFin + 1 - nDebut - sChemin.size()) + sEnPlus + "}\n";
}

TEST_F(CLoggerFileTest, TheOperatorsGuideLogrotateExampleLosesNoLine)
{
    const char kszLogrotate[] = "/usr/sbin/logrotate";
    if (access(kszLogrotate, X_OK) != 0)
        GTEST_SKIP() << kszLogrotate << " is not installed (scripts/setup-deps installs it)";
    if (geteuid() != 0)
        GTEST_SKIP() << "the example creates the new file as root:adm, which needs root";
    ASSERT_NE("", Strophe(m_sFichier, "")) << "no logrotate example for /var/log/invoice.log in " << ZV_SERVICE_GUIDE;

    // Renaming: lines keep coming from a thread while logrotate runs, the real program with a
    // state file and configuration of this test. Truncation in place (copytruncate) loses
    // what is written between its copy and its cut, whoever writes: it runs between lines.
    for (const bool bCopie : {false, true}) {
        SCOPED_TRACE(bCopie ? "copytruncate" : "as printed");
        const std::string sConf = m_clRep.path(bCopie ? "copie.conf" : "renomme.conf");
        zvtest::WriteFile(sConf, Strophe(m_sFichier, bCopie ? "    copytruncate\n" : ""));
        chmod(sConf.c_str(), 0644);
        unlink(m_sFichier.c_str());
        unlink((m_sFichier + ".1").c_str());

        CLogger cl;
        ASSERT_EQ(1, cl.bSetMode(eMODE_FICHIER, m_sFichier.c_str()));
        for (int n = 0; n < 100; ++n)
            cl.AddLog(ePRIORITY_INFO, "line %d", n);
        std::atomic<bool> bFin{false};
        std::atomic<int> nEcrites{100};
        std::thread clEcrivain;
        if (!bCopie) {
            clEcrivain = std::thread([&] {
                while (!bFin.load()) {
                    cl.AddLog(ePRIORITY_INFO, "line %d", nEcrites.load());
                    ++nEcrites;
                    usleep(200);
                }
            });
        }
        std::string sErreur;
        const int nCode = PT_nLance({kszLogrotate, "-f", "-s", m_clRep.path("state"), sConf}, 20000, {}, &sErreur);
        bFin = true;
        if (clEcrivain.joinable())
            clEcrivain.join();
        ASSERT_EQ(0, nCode) << sErreur;
        for (int n = 0; n < 100; ++n) {
            cl.AddLog(ePRIORITY_INFO, "line %d", nEcrites.load());
            ++nEcrites;
        }

        std::vector<int> anVus;
        for (const std::string& s : {m_sFichier + ".1", m_sFichier}) {
            for (const std::string& sLigne : LignesDe(s))
                anVus.push_back(std::stoi(TexteDe(sLigne).substr(5)));
        }
        ASSERT_EQ(static_cast<size_t>(nEcrites.load()), anVus.size());
        for (int n = 0; n < nEcrites.load(); ++n)
            ASSERT_EQ(n, anVus[static_cast<size_t>(n)]);
        // The example's rotation took place: the old lines are in the rotated file.
        EXPECT_FALSE(LignesDe(m_sFichier + ".1").empty());
        struct stat st;
        ASSERT_EQ(0, stat(m_sFichier.c_str(), &st));
        EXPECT_EQ(0640u, st.st_mode & 07777);
    }
}

} // namespace
