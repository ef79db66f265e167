// The service run in the foreground (RunDebugMode): it ends by itself or on SIGTERM, cleanly and, under the sanitizers, without leaks.
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "service/ProcessusTest.h"
#include "support/Emulation.h"
#include "support/SignalDelivery.h"

namespace {

const int knDelai = 20000;

class ServiceDebugModeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ZVTEST_SKIP_UNLESS_CHILDREN_RUN();
        ASSERT_TRUE(m_dir.ok());
        m_sRep = m_dir.dir();
        m_sExe = m_sRep + "/zvprobe";
        ASSERT_TRUE(zvtest::bCopyExecutable(ZV_PROBE_PATH, m_sExe));
        ASSERT_TRUE(zvtest::bCopyExecutable(std::string(ZV_RUNTIME_DIR) + "zv150vm.so", m_sRep + "/zv150vm.so"));
    }
    zvtest::TempDir m_dir{"zvdbg"};
    std::string m_sRep, m_sExe;
};

TEST_F(ServiceDebugModeTest, ServiceEndingItselfEndsTheForegroundRun)
{
    zvtest::WriteFile(m_sExe + ".ZVL", "log 6 foreground\nsleep 50\nstopservice 0\nsleep 3600000\n");
    std::string sErreur;
    EXPECT_EQ(0, PT_nLance({m_sExe, "--foreground", "--SERVICE", "dbg"}, knDelai, {}, &sErreur)) << sErreur;
    EXPECT_EQ("", sErreur);
}

TEST_F(ServiceDebugModeTest, SigtermEndsTheForegroundRun)
{
    ZVTEST_SKIP_UNLESS_SIGNALS_RESUME_THEIR_THREAD();
    zvtest::WriteFile(m_sExe + ".ZVL", "print ready\nsleep 3600000\n");
    int afd[2];
    ASSERT_EQ(0, pipe(afd));
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        dup2(afd[1], 1);
        close(afd[0]);
        close(afd[1]);
        execl(m_sExe.c_str(), m_sExe.c_str(), "--foreground", "--SERVICE", "dbg", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(afd[1]);
    // The script prints once the service runs, handler in place.
    std::string sLu;
    char c;
    while (sLu.find('\n') == std::string::npos && read(afd[0], &c, 1) == 1)
        sLu += c;
    close(afd[0]);
    EXPECT_EQ("ready\n", sLu);
    ASSERT_EQ(0, kill(pid, SIGTERM));
    int nStatut = -1;
    if (!PT_bAttendFin(pid, knDelai, &nStatut)) {
        kill(pid, SIGKILL);
        PT_bAttendFin(pid, knDelai, nullptr);
        FAIL() << "the foreground run did not end on SIGTERM";
    }
    EXPECT_TRUE(WIFEXITED(nStatut) && WEXITSTATUS(nStatut) == 0) << "status " << nStatut;
}

// The probe behind the skips above must not hide a native run: a kernel resumes every thread.
TEST(SignalDeliveryProbe, NativeRunsResumeEveryThreadAfterAHandler)
{
    if (!zvtest::sEmulator().empty())
        GTEST_SKIP() << "runs under " << zvtest::sEmulator() << ", where the probe finds that signals "
                     << (zvtest::bSignalsResumeTheirThread() ? "resume their thread" : "resume the wrong thread");
    EXPECT_TRUE(zvtest::bSignalsResumeTheirThread());
}

} // namespace
