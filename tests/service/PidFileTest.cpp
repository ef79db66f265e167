// Tests of the daemon's pid file: its text and mode, the lock that refuses a second instance,
// its removal, and every call of its creation failing in turn.
#include "service/PidFile.h"

#include "support/FaultInjection.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using zvtest::sReadFile;
using zvtest::TempDir;
using zvtest::WriteFile;

const std::string gsPid = std::to_string(getpid()) + "\n";

unsigned Mode(const std::string& sPath)
{
    struct stat st;
    return stat(sPath.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

TEST(PidFile, WritesTheIdentifierOverAStaleOneAndRemovesItAtTheEnd)
{
    TempDir dir;
    ASSERT_TRUE(dir.ok());
    const std::string sPath = dir.path("svc.pid");
    WriteFile(sPath, "1234567890123\nmore\n");
    ASSERT_EQ(chmod(sPath.c_str(), 0666), 0);
    int fd = -1;
    ASSERT_EQ(PID_eCree(sPath.c_str(), &fd), ePID_OK);
    ASSERT_GE(fd, 0);

    // Another process is refused and leaves the file as it is. (The file is read there: closing
    // any descriptor of it here would drop this process's lock.)
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        int fdAutre = -1;
        const bool bRefuse = PID_eCree(sPath.c_str(), &fdAutre) == ePID_VERROU && fdAutre == -1;
        _exit(bRefuse && sReadFile(sPath) == gsPid && Mode(sPath) == 0644u ? 0 : 1);
    }
    int nStatus = 0;
    ASSERT_EQ(waitpid(pid, &nStatus, 0), pid);
    EXPECT_TRUE(WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == 0);
    EXPECT_EQ(sReadFile(sPath), gsPid);

    PID_Retire(sPath.c_str(), fd);
    EXPECT_NE(access(sPath.c_str(), F_OK), 0);

    int fdAbsent = 5;
    EXPECT_EQ(PID_eCree(dir.path("no/such/dir.pid").c_str(), &fdAbsent), ePID_OUVERTURE);
    EXPECT_EQ(fdAbsent, -1);
}

TEST(PidFile, CreationUnderInjectedFaults)
{
    TempDir dir;
    ASSERT_TRUE(dir.ok());
    const std::string sPath = dir.path("svc.pid");
    const std::string sStale = "99999999\n";
    std::string sLu;
    zvtest::Sweep(
        "pid file creation", [&] { WriteFile(sPath, sStale); },
        [&] {
            int fd = -1;
            const bool bOk = PID_eCree(sPath.c_str(), &fd) == ePID_OK;
            sLu = sReadFile(sPath);
            if (fd >= 0)
                close(fd); // the lock goes with it
            return bOk;
        },
        [&](bool bOk, bool) {
            if (bOk) {
                EXPECT_EQ(sLu, gsPid);
            } else {
                // Refused before the lock: as it was. Failed after it: removed again.
                const bool bAbsent = access(sPath.c_str(), F_OK) != 0;
                EXPECT_TRUE(bAbsent || sReadFile(sPath) == sStale) << sReadFile(sPath);
            }
        });
}

} // namespace
