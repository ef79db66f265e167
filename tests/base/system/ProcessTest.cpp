// Tests of process creation, waiting and termination: argument splitting, exit codes, children
// that outlive the one-second wait, and the SIGALRM handler the waits rely on.
#include "base/system/Process.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using Args = std::vector<std::string>;

TEST(Process, SplitsTheChildCommandLine)
{
    const struct {
        const char* pszLigne;
        Args vAttendu;
    } tab[] = {
        {"\"/bin/my prog\" a \"b c\"d", {"/bin/my prog", "a", "b cd"}},
        {"   a\t\tb \n c  ", {"a", "b", "c"}},
        {"", {}},
        {"   \t ", {}},
        {"\"\" x \"\"", {"x"}},                       // empty tokens are dropped
        {"\"a  \" b", {"a", "b"}},                    // trailing blanks of a token go
        {"a\\\"b c\\\"", {"a\\\"b", "c\\\""}},        // an escaped quote stays with its backslash
        {"\"x\\\" y\" z", {"x\\\" y", "z"}},          // ...and does not close a quoted part
        {"\"unclosed part", {"unclosed part"}},       // runs to the end of the line
        {"k=\"v w\" \"p q\"\"r s\"", {"k=v w", "p qr s"}},
        {"a\"\"b", {"ab"}},
    };
    for (const auto& c : tab) {
        SCOPED_TRACE(c.pszLigne);
        Args v{"left over"};
        EXPECT_EQ(nDecoupeLigneCommande(c.pszLigne, &v), c.vAttendu.size());
        EXPECT_EQ(v, c.vAttendu);
    }
    Args v{"x"};
    EXPECT_EQ(nDecoupeLigneCommande(nullptr, &v), 0u);
    EXPECT_TRUE(v.empty());
}

// A directory with a script "my prog" that writes its arguments, one a line, to $ZV_ARGS_OUT
// and exits with the code given as $ZV_EXIT_CODE.
class ProcessScript : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.ok());
        m_sRep = m_dir.dir();
        m_sScript = m_sRep + "/my prog";
        m_sSortie = m_sRep + "/args.txt";
        std::ofstream(m_sScript) << "#!/bin/sh\nfor a in \"$0\" \"$@\"; do printf '%s\\n' \"$a\"; done > \"$ZV_ARGS_OUT\"\n"
                                    "exit ${ZV_EXIT_CODE:-0}\n";
        chmod(m_sScript.c_str(), 0755);
        setenv("ZV_ARGS_OUT", m_sSortie.c_str(), 1);
    }
    void TearDown() override
    {
        unsetenv("ZV_ARGS_OUT");
        unsetenv("ZV_EXIT_CODE");
    }
    Args vLus() const
    {
        std::ifstream in(m_sSortie);
        Args v;
        for (std::string s; std::getline(in, s);)
            v.push_back(s);
        return v;
    }
    zvtest::TempDir m_dir{"zvprocess"};
    std::string m_sRep, m_sScript, m_sSortie;
};

TEST_F(ProcessScript, RunsTheFirstQuotedTokenWithItsArguments)
{
    const std::string sLigne = "\"" + m_sScript + "\" a \"b c\"d";
    pid_t nPid = 0;
    int bEncore = -1;
    int nCode = -1;
    ASSERT_TRUE(CreateProcess(nullptr, sLigne.c_str(), &nPid, &bEncore, &nCode));
    EXPECT_GT(nPid, 0);
    EXPECT_EQ(bEncore, 0);
    EXPECT_EQ(nCode, 0);
    EXPECT_EQ(vLus(), (Args{m_sScript, "a", "b cd"}));
}

TEST_F(ProcessScript, ApplicationComesFirstAndTheExitCodeIsReported)
{
    setenv("ZV_EXIT_CODE", "3", 1);
    int nCode = -1;
    EXPECT_TRUE(CreateProcess(m_sScript.c_str(), "x \"y z\"", nullptr, nullptr, &nCode));
    EXPECT_EQ(nCode, 3);
    EXPECT_EQ(vLus(), (Args{m_sScript, "x", "y z"}));
    // A program that itself ends with 255 cannot be told from one that could not start.
    setenv("ZV_EXIT_CODE", "255", 1);
    EXPECT_FALSE(CreateProcess(m_sScript.c_str(), "", nullptr, nullptr, &nCode));
    EXPECT_EQ(nCode, 255);
}

TEST(Process, ProgramThatDoesNotExistFails)
{
    pid_t nPid = 0;
    int bEncore = -1;
    int nCode = -1;
    EXPECT_FALSE(CreateProcess(nullptr, "/nonexistent/zv-no-such-program arg", &nPid, &bEncore, &nCode));
    EXPECT_EQ(bEncore, 0);
    EXPECT_EQ(nCode, 255);
    // PATH is not searched, and an empty line names no program.
    EXPECT_FALSE(CreateProcess(nullptr, "sh -c true", nullptr, nullptr, &nCode));
    EXPECT_FALSE(CreateProcess(nullptr, "   ", nullptr, nullptr, nullptr));
    EXPECT_FALSE(CreateProcess(nullptr, nullptr, nullptr, nullptr, nullptr));
}

TEST(Process, ChildThatOutlivesTheSecondIsLeftRunning)
{
    pid_t nPid = 0;
    int bEncore = -1;
    int nCode = -1;
    const auto debut = std::chrono::steady_clock::now();
    ASSERT_TRUE(CreateProcess(nullptr, "/bin/sh -c \"exec sleep 3\"", &nPid, &bEncore, &nCode));
    EXPECT_LT(std::chrono::steady_clock::now() - debut, std::chrono::milliseconds(2500));
    EXPECT_EQ(bEncore, 1);
    EXPECT_EQ(nCode, 0);
    ASSERT_GT(nPid, 0);
    int nStatus = 42;
    EXPECT_EQ(WaitPid(nPid, 0, &nStatus), 0);
    EXPECT_EQ(nStatus, 42); // still running: the status is left alone
    EXPECT_TRUE(TerminateProcess(nPid, 0));
    EXPECT_EQ(WaitPid(nPid, 2000, &nStatus), nPid);
    // Killed by SIGTERM: reported as 128 + 15, not as a clean exit.
    EXPECT_EQ(nStatus, 128 + SIGTERM);
    EXPECT_EQ(WaitPid(nPid, 0, &nStatus), -1); // already reaped
    EXPECT_EQ(nStatus, 128 + SIGTERM);
}

TEST(Process, ChildKilledBySignalReportsIt)
{
    int nCode = -1;
    EXPECT_TRUE(CreateProcess(nullptr, "/bin/sh -c \"kill -9 $$\"", nullptr, nullptr, &nCode));
    EXPECT_EQ(nCode, 128 + SIGKILL);
}

TEST(Process, TerminateRefusesGroupsAndEveryProcess)
{
    EXPECT_FALSE(TerminateProcess(0, 0));
    // A child leading its own group: its negative pid names that group, which must be refused.
    const pid_t nPid = fork();
    ASSERT_GE(nPid, 0);
    if (nPid == 0) {
        setpgid(0, 0);
        sleep(5);
        _exit(0);
    }
    setpgid(nPid, nPid);
    EXPECT_FALSE(TerminateProcess(-nPid, 0));
    EXPECT_EQ(kill(nPid, 0), 0);
    kill(nPid, SIGKILL);
    waitpid(nPid, nullptr, 0);
    EXPECT_FALSE(TerminateProcess(nPid, 0)); // gone
}

// Runs pfn in a child process and returns its wait status, killing it after nSecondes.
template <typename F>
int nDansUnFils(F pfn, int nSecondes)
{
    const pid_t nPid = fork();
    if (nPid == 0)
        _exit(pfn());
    int nStatus = 0;
    for (int i = 0; i < nSecondes * 10; ++i) {
        if (waitpid(nPid, &nStatus, WNOHANG) == nPid)
            return nStatus;
        usleep(100000);
    }
    kill(nPid, SIGKILL);
    waitpid(nPid, &nStatus, 0);
    return nStatus;
}

TEST(Process, WaitWithoutAlarmHandlerNeitherDiesNorHangs)
{
    for (void (*pfnAvant)(int) : {SIG_DFL, SIG_IGN}) {
        const int nStatus = nDansUnFils(
            [pfnAvant] {
                signal(SIGALRM, pfnAvant);
                const pid_t nFils = fork();
                if (nFils == 0) {
                    sleep(5);
                    _exit(0);
                }
                const pid_t n = WaitPid(nFils, 2000, nullptr);
                kill(nFils, SIGKILL);
                return n == 0 ? 7 : 1;
            },
            10);
        ASSERT_TRUE(WIFEXITED(nStatus)) << "the wait ended the process or hung";
        EXPECT_EQ(WEXITSTATUS(nStatus), 7);
    }
}

int gnAlarmes = 0;
void CompteAlarme(int)
{
    ++gnAlarmes;
}

TEST(Process, CallersAlarmHandlerIsKeptAndRunsOncePerSecond)
{
    InitAlarmHandler(CompteAlarme);
    const pid_t nFils = fork();
    if (nFils == 0) {
        sleep(5);
        _exit(0);
    }
    gnAlarmes = 0;
    EXPECT_EQ(WaitPid(nFils, 2000, nullptr), 0);
    EXPECT_EQ(gnAlarmes, 2);
    struct sigaction st;
    sigaction(SIGALRM, nullptr, &st);
    EXPECT_EQ(st.sa_handler, CompteAlarme);
    EXPECT_EQ(st.sa_flags & SA_RESTART, 0);
    kill(nFils, SIGKILL);
    EXPECT_EQ(WaitPid(nFils, 2000, nullptr), nFils);
    InitAlarmHandler(nullptr);
    sigaction(SIGALRM, nullptr, &st);
    EXPECT_EQ(st.sa_handler, DefaultAlarmHandler);
}

} // namespace
