// zvtestrun, the runner of every test: its time limit, its reaping of detached processes, its
// exit codes, and the search for processes of the suite left behind.
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct stRESULTAT {
    int nStatut = -1;    // wait status of zvtestrun
    std::string sErreur; // what it wrote on standard error
    double dSecondes = 0;
};

// Runs zvtestrun with the arguments (a shell command line, quoted by the caller).
stRESULTAT Lance(const zvtest::TempDir& t, const std::string& sArguments)
{
    const std::string sErreur = t.path("stderr");
    const auto debut = std::chrono::steady_clock::now();
    stRESULTAT r;
    r.nStatut = std::system(("'" ZV_TESTRUN_PATH "' " + sArguments + " 2>'" + sErreur + "'").c_str());
    r.dSecondes = std::chrono::duration<double>(std::chrono::steady_clock::now() - debut).count();
    r.sErreur = zvtest::sReadFile(sErreur);
    return r;
}

int nCode(const stRESULTAT& r)
{
    return WIFEXITED(r.nStatut) ? WEXITSTATUS(r.nStatut) : -1;
}

// The identifiers written by the shells of a test, one per file.
std::vector<pid_t> Pids(const zvtest::TempDir& t, const std::vector<std::string>& asFichiers)
{
    std::vector<pid_t> apid;
    for (const std::string& s : asFichiers)
        apid.push_back(static_cast<pid_t>(std::atoi(zvtest::sReadFile(t.path(s)).c_str())));
    return apid;
}

// Alive and not a zombie.
bool bVivant(pid_t pid)
{
    const std::string s = zvtest::sReadFile("/proc/" + std::to_string(pid) + "/stat");
    const size_t n = s.rfind(')');
    return n != std::string::npos && n + 2 < s.size() && s[n + 2] != 'Z' && s[n + 2] != 'X';
}

TEST(Zvtestrun, TimeLimitEndsTheTestAndWhatItDetached)
{
    zvtest::TempDir t;
    ASSERT_TRUE(t.ok());
    // The test, a child of its, and a detached grandchild in a session of its own.
    zvtest::WriteFile(t.path("test.sh"), "echo $$ > test\n"
                                         "sleep 60 & echo $! > enfant\n"
                                         "setsid sh -c 'echo $$ > demon; exec sleep 60' &\n"
                                         "wait\n");
    const stRESULTAT r = Lance(t, "--limit 1 sh -c \"cd '" + t.dir() + "' && exec sh test.sh\"");
    EXPECT_EQ(124, nCode(r)) << r.sErreur;
    EXPECT_LT(r.dSecondes, 10.0);
    EXPECT_NE(std::string::npos, r.sErreur.find("time limit of 1 s reached")) << r.sErreur;
    for (pid_t pid : Pids(t, {"test", "enfant", "demon"})) {
        ASSERT_GT(pid, 0);
        EXPECT_FALSE(bVivant(pid)) << pid;
    }
}

TEST(Zvtestrun, ProcessesLeftRunningAreKilledAndFailTheTest)
{
    zvtest::TempDir t;
    ASSERT_TRUE(t.ok());
    zvtest::WriteFile(t.path("test.sh"), "setsid sh -c 'echo $$ > demon; exec sleep 60' &\n"
                                         "while [ ! -s demon ]; do sleep 0.01; done\n");
    const stRESULTAT r = Lance(t, "sh -c \"cd '" + t.dir() + "' && exec sh test.sh\"");
    EXPECT_EQ(125, nCode(r)) << r.sErreur;
    const pid_t pid = Pids(t, {"demon"})[0];
    ASSERT_GT(pid, 0);
    EXPECT_FALSE(bVivant(pid));
    EXPECT_NE(std::string::npos, r.sErreur.find(std::to_string(pid) + " sleep 60")) << r.sErreur;
}

TEST(Zvtestrun, ExitCodesAndSignalsOfTheTestAreItsOwn)
{
    zvtest::TempDir t;
    ASSERT_TRUE(t.ok());
    const struct {
        const char* pszArguments;
        int nCode; // -1: killed by nSignal
        int nSignal;
    } acas[] = {
        {"true", 0, 0},
        {"sh -c 'exit 3'", 3, 0},
        {"sh -c 'kill -TERM $$'", -1, SIGTERM},
        {"/nonexistent/program", 126, 0},
        {"", 2, 0},
        {"--limit 0 true", 2, 0},
        {"--limit 1", 2, 0},
    };
    for (const auto& cas : acas) {
        SCOPED_TRACE(cas.pszArguments);
        const stRESULTAT r = Lance(t, cas.pszArguments);
        // Killed by the signal, or so reported by the shell of system() (128 + the signal).
        if (cas.nCode < 0)
            EXPECT_TRUE((WIFSIGNALED(r.nStatut) && WTERMSIG(r.nStatut) == cas.nSignal) ||
                        nCode(r) == 128 + cas.nSignal)
                << "status " << r.nStatut << " " << r.sErreur;
        else
            EXPECT_EQ(cas.nCode, nCode(r)) << r.sErreur;
    }
}

TEST(Zvtestrun, EmulatorRunsTheTestAndIsNamedToIt)
{
    zvtest::TempDir t;
    ASSERT_TRUE(t.ok());
    const stRESULTAT r =
        Lance(t, "--emulator /usr/bin/env sh -c 'echo \"$ZV_TEST_EMULATOR\" > \"" + t.path("sortie") + "\"'");
    EXPECT_EQ(0, nCode(r)) << r.sErreur;
    EXPECT_EQ("/usr/bin/env\n", zvtest::sReadFile(t.path("sortie")));
}

TEST(Zvtestrun, LeftoversOfTheSuiteAreFoundByTheirMarkAndKilled)
{
    zvtest::TempDir t;
    ASSERT_TRUE(t.ok());
    const std::string sMarque = "ZV_TESTRUN_MARK=" + t.dir();
    // Detached from this process and marked the way the suite marks its tests.
    zvtest::WriteFile(t.path("reste.sh"), "echo $$ > reste; exec sleep 60\n");
    ASSERT_EQ(0, std::system(("cd '" + t.dir() + "' && env '" + sMarque +
                              "' setsid sh reste.sh </dev/null >/dev/null 2>&1 &")
                                 .c_str()));
    pid_t pid = 0;
    for (int i = 0; i < 500 && pid <= 0; ++i) {
        usleep(10000);
        pid = Pids(t, {"reste"})[0];
    }
    ASSERT_GT(pid, 0);
    stRESULTAT r = Lance(t, "--leftovers '" + sMarque + "'");
    EXPECT_EQ(1, nCode(r)) << r.sErreur;
    EXPECT_NE(std::string::npos, r.sErreur.find(std::to_string(pid) + " sleep 60")) << r.sErreur;
    for (int i = 0; i < 500 && bVivant(pid); ++i)
        usleep(10000);
    EXPECT_FALSE(bVivant(pid));
    r = Lance(t, "--leftovers '" + sMarque + "'");
    EXPECT_EQ(0, nCode(r)) << r.sErreur;
}

} // namespace
