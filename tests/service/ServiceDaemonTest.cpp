// Daemon mode end to end: copies of ZVExe started and stopped by start-stop-daemon, their log read from /dev/log.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "service/CSysLogCapture.h"
#include "service/ProcessusTest.h"
#include "support/Emulation.h"
#include "support/SignalDelivery.h"
#include "support/TempDir.h"

namespace {

const char kszSSD[] = "/usr/sbin/start-stop-daemon";
const int knDelai = 20000; // ms: the limit of every wait; a working daemon needs far less

// Texts the daemon logs.
const std::string gsMsgNonDemarre = "The service could not be started.";
const std::string gsMsgLock = "Echec de la cr\xE9"
                              "ation du fichier de lock du demon";
// The stand-in runtime's own lines.
const std::string gsServiceDemarre = "zv150vm.so: the service of project default.zvp has started";
const std::string gsServiceArrete = "zv150vm.so: the service of project default.zvp has stopped";
const std::string gsMsgNom = "Nom de service invalide pour le fichier de lock du demon";
const std::string gsMsgVMIntrouvable =
    "Impossible de trouver la librairie zv150vm.so.\r\nVerifiez que les librairies n\xE9"
    "cessaires au fonctionnement de l'ex\xE9"
    "cutable soient accessibles par le PATH.\r\nUnable to find zv150vm.so librairie.\r\n"
    "Check whether librairies used to operate the executable can be accessed by PATH.";

// A service manager's end of the readiness protocol: a datagram socket, at a path or under an
// abstract name, whose messages carry their sender's pid.
class CEcouteNotify {
public:
    ~CEcouteNotify()
    {
        if (m_fd >= 0)
            close(m_fd);
        if (!m_sChemin.empty())
            unlink(m_sChemin.c_str());
    }
    // sNom: a path, or "@name" for an abstract socket. The value to put in NOTIFY_SOCKET.
    bool bOuvre(const std::string& sNom)
    {
        m_fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        if (m_fd < 0 || sNom.size() >= sizeof(sockaddr_un::sun_path))
            return false;
        const int nUn = 1;
        setsockopt(m_fd, SOL_SOCKET, SO_PASSCRED, &nUn, sizeof(nUn));
        sockaddr_un st = {};
        st.sun_family = AF_UNIX;
        std::memcpy(st.sun_path, sNom.data(), sNom.size());
        socklen_t n = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + sNom.size());
        if (sNom[0] == '@')
            st.sun_path[0] = '\0';
        else
            m_sChemin = sNom;
        return bind(m_fd, reinterpret_cast<sockaddr*>(&st), n) == 0;
    }
    struct stMessage {
        std::string sTexte;
        pid_t pid = 0;
    };
    // The next message within nMs milliseconds; false when none came.
    bool bRecoit(stMessage* pst, int nMs)
    {
        pollfd stPoll = {m_fd, POLLIN, 0};
        if (poll(&stPoll, 1, nMs) <= 0)
            return false;
        char ac[4096];
        iovec stIov = {ac, sizeof(ac)};
        alignas(cmsghdr) char acCtl[CMSG_SPACE(sizeof(ucred))];
        msghdr stMsg = {};
        stMsg.msg_iov = &stIov;
        stMsg.msg_iovlen = 1;
        stMsg.msg_control = acCtl;
        stMsg.msg_controllen = sizeof(acCtl);
        const ssize_t n = recvmsg(m_fd, &stMsg, 0);
        if (n < 0)
            return false;
        pst->sTexte.assign(ac, static_cast<size_t>(n));
        pst->pid = 0;
        for (cmsghdr* p = CMSG_FIRSTHDR(&stMsg); p != nullptr; p = CMSG_NXTHDR(&stMsg, p)) {
            if (p->cmsg_level == SOL_SOCKET && p->cmsg_type == SCM_CREDENTIALS) {
                ucred stCred;
                std::memcpy(&stCred, CMSG_DATA(p), sizeof(stCred));
                pst->pid = stCred.pid;
            }
        }
        return true;
    }
    // Every message until the sender has ended (pid reaped by PT_bAttendFin) and the queue is
    // empty; the status in *pnStatut.
    std::vector<stMessage> Jusqua(pid_t pid, int nMs, int* pnStatut, bool* pbFini)
    {
        std::vector<stMessage> ast;
        *pbFini = PT_bAttendFin(pid, nMs, pnStatut);
        stMessage st;
        while (bRecoit(&st, 0))
            ast.push_back(st);
        return ast;
    }

private:
    int m_fd = -1;
    std::string m_sChemin;
};

class ServiceDaemonTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ZVTEST_SKIP_UNLESS_CHILDREN_RUN();
        std::string sRaison;
        m_pclLog = CSysLogCapture::s_pclGet(&sRaison);
        if (m_pclLog == nullptr)
            GTEST_SKIP() << "daemon tests skipped: " << sRaison;
        if (access(kszSSD, X_OK) != 0)
            GTEST_SKIP() << "daemon tests skipped: " << kszSSD << " is not installed";
        m_bRecuperateur = PT_bDevientRecuperateur();
        ASSERT_TRUE(m_dir.ok());
        m_sRep = m_dir.dir();
        chmod(m_sRep.c_str(), 0755);
        m_sNom = "zvsvc" + std::to_string(getpid());
        m_sPid = "/var/run/" + m_sNom + ".pid";
        Installe(ZV_ZVEXE_PATH, "zvsvc");
        m_pclLog->Vide();
    }

    void TearDown() override
    {
        if (m_sRep.empty())
            return;
        // Whatever still runs from this case is ended, so that no case leaves a process behind,
        // whether it failed or not: every descendant (the daemons too, when this process is
        // their reaper), and every process of the programs installed here.
        PT_TueDescendants();
        for (const std::string& sExe : m_asExes) {
            for (pid_t pid : PT_ProcessusDe(sExe)) {
                kill(pid, SIGKILL);
                PT_bAttendFin(pid, 5000, nullptr);
            }
        }
        PT_Recolte();
        unlink(m_sPid.c_str());
    }

    // A copy of the program sSource named sNom, with the stand-in runtime beside it.
    void Installe(const std::string& sSource, const std::string& sNom, const char* pszRuntime = "zv150vm")
    {
        m_sExe = m_sRep + "/" + sNom;
        m_asExes.push_back(m_sExe);
        ASSERT_TRUE(zvtest::bCopyExecutable(sSource, m_sExe));
        if (pszRuntime != nullptr) {
            ASSERT_TRUE(zvtest::bCopyExecutable(std::string(ZV_RUNTIME_DIR) + pszRuntime + ".so", m_sRep + "/zv150vm.so"));
        }
    }

    // The application library of the installed program.
    void Script(const std::string& sTexte) { zvtest::WriteFile(m_sExe + ".ZVL", sTexte); }

    // How start-stop-daemon recognises the program: by its executable, as an operator would
    // say; under user-mode emulation /proc/PID/exe names the emulator, so by its name.
    std::vector<std::string> Reconnaissance(bool bLancement) const
    {
        if (zvtest::sEmulator().empty())
            return {"--exec", m_sExe};
        std::vector<std::string> as = {"--name", m_sExe.substr(m_sExe.rfind('/') + 1)};
        if (bLancement) {
            as.push_back("--startas");
            as.push_back(m_sExe);
        }
        return as;
    }

    int Start(const std::vector<std::string>& asPlus = {})
    {
        std::vector<std::string> as = {kszSSD, "--start", "--pidfile", m_sPid};
        const std::vector<std::string> asExe = Reconnaissance(true);
        as.insert(as.end(), asExe.begin(), asExe.end());
        as.insert(as.end(), {"--", "--SERVICE", m_sNom});
        as.insert(as.end(), asPlus.begin(), asPlus.end());
        return PT_nLance(as, knDelai);
    }

    int Stop()
    {
        std::vector<std::string> as = {kszSSD, "--stop", "--pidfile", m_sPid, "--retry", "TERM/5"};
        const std::vector<std::string> asExe = Reconnaissance(false);
        as.insert(as.end(), asExe.begin(), asExe.end());
        return PT_nLance(as, knDelai);
    }

    // The daemon ended with code 0. Its status reaches this process only as the reaper of
    // its orphans, which it cannot always be (qemu-user lacks PR_SET_CHILD_SUBREAPER): an
    // unknown status is then accepted, the end itself having been seen.
    ::testing::AssertionResult FinPropre(int nStatut) const
    {
        if (nStatut == knStatutInconnu && !m_bRecuperateur)
            return ::testing::AssertionSuccess();
        if (WIFEXITED(nStatut) && WEXITSTATUS(nStatut) == 0)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "status " << nStatut;
    }

    // The program itself, not through start-stop-daemon.
    int Direct(const std::vector<std::string>& asArgs)
    {
        std::vector<std::string> as = {m_sExe};
        as.insert(as.end(), asArgs.begin(), asArgs.end());
        return PT_nLance(as, knDelai);
    }

    // The identifier the pid file holds, 0 when there is none.
    pid_t PidEcrit()
    {
        const std::string s = zvtest::sReadFile(m_sPid);
        return s.empty() ? 0 : static_cast<pid_t>(std::atoi(s.c_str()));
    }

    bool bLog(const std::string& sTexte, int nPriorite, int nMs = knDelai)
    {
        return m_pclLog->bAttend([&](const stLIGNELOG& st) { return st.sTexte == sTexte && st.nPriorite == nPriorite; },
                                 nMs);
    }

    // True once no process runs the program (reaping as it goes): a daemon that reported a
    // failed start may still be ending when its caller has returned.
    bool bPlusAucunProcessus()
    {
        for (int i = 0; i < knDelai / 10; ++i) {
            PT_Recolte();
            if (PT_ProcessusDe(m_sExe).empty())
                return true;
            usleep(10000);
        }
        return false;
    }

    // The program started directly, as a service manager does, with NOTIFY_SOCKET set to
    // sSocket; standard streams on /dev/null. Its pid (it does not fork).
    pid_t LanceNotifie(const std::string& sSocket, const std::vector<std::string>& asArgs = {})
    {
        std::vector<std::string> asEnv;
        for (char** pp = environ; *pp != nullptr; ++pp) {
            if (std::strncmp(*pp, "NOTIFY_SOCKET=", 14) != 0)
                asEnv.push_back(*pp);
        }
        asEnv.push_back("NOTIFY_SOCKET=" + sSocket);
        std::vector<std::string> as = {m_sExe, "--SERVICE", m_sNom};
        as.insert(as.end(), asArgs.begin(), asArgs.end());
        std::vector<char*> apszArgs, apszEnv;
        for (std::string& s : as)
            apszArgs.push_back(&s[0]);
        apszArgs.push_back(nullptr);
        for (std::string& s : asEnv)
            apszEnv.push_back(&s[0]);
        apszEnv.push_back(nullptr);
        const pid_t pid = fork();
        if (pid == 0) {
            const int fd = open("/dev/null", O_RDWR);
            for (int i = 0; i < 3; ++i)
                dup2(fd, i);
            execve(apszArgs[0], apszArgs.data(), apszEnv.data());
            _exit(127);
        }
        return pid;
    }

    CSysLogCapture* m_pclLog = nullptr;
    bool m_bRecuperateur = false;
    zvtest::TempDir m_dir{"zvsvc"};
    std::string m_sRep, m_sExe, m_sNom, m_sPid;
    std::vector<std::string> m_asExes;
};

TEST_F(ServiceDaemonTest, StartsDetachedWritesPidFileLogsAndStopsOnSigterm)
{
    ZVTEST_SKIP_UNLESS_SIGNALS_RESUME_THEIR_THREAD();
    Script("log 6 up %s %d\nlogevent 3 42 second line\nsleep 3600000\n");
    ASSERT_EQ(0, Start());
    // start-stop-daemon has returned: the pid file is already there, with the daemon's identifier.
    const pid_t pid = PidEcrit();
    ASSERT_GT(pid, 0);
    EXPECT_EQ(std::to_string(pid) + "\n", zvtest::sReadFile(m_sPid));
    struct stat st;
    ASSERT_EQ(0, stat(m_sPid.c_str(), &st));
    EXPECT_EQ(0644u, st.st_mode & 0777);
    EXPECT_TRUE(PT_bVivant(pid));
    EXPECT_EQ(std::vector<pid_t>{pid}, PT_ProcessusDe(m_sExe));

    // Detached: a session apart from its caller's that it does not lead (so it can never
    // take a terminal again), standard streams on /dev/null, mask 022, in /tmp.
    EXPECT_NE(getsid(0), getsid(pid));
    EXPECT_NE(pid, getsid(pid));
    for (int fd : {0, 1, 2}) {
        char sz[256] = "";
        const std::string sLien = "/proc/" + std::to_string(pid) + "/fd/" + std::to_string(fd);
        ASSERT_GT(readlink(sLien.c_str(), sz, sizeof(sz) - 1), 0) << sLien;
        EXPECT_STREQ("/dev/null", sz) << sLien;
    }
    EXPECT_EQ("0022", PT_Statut(pid, "Umask"));
    char szCwd[256] = "";
    ASSERT_GT(readlink(("/proc/" + std::to_string(pid) + "/cwd").c_str(), szCwd, sizeof(szCwd) - 1), 0);
    EXPECT_STREQ("/tmp", szCwd);

    // The runtime's own lines, at their priorities, percent signs kept as text.
    ASSERT_TRUE(bLog(gsServiceDemarre, 6));
    ASSERT_TRUE(bLog("up %s %d", 6));
    ASSERT_TRUE(bLog("event 42: second line", 3));
    for (const stLIGNELOG& stLigne : m_pclLog->Lignes()) {
        EXPECT_EQ("zvsvc", stLigne.sTag);
        EXPECT_EQ(1, stLigne.nFacilite); // LOG_USER: no openlog
        EXPECT_EQ(pid, stLigne.pid);
    }

    ASSERT_EQ(0, Stop());
    int nStatut = -1;
    ASSERT_TRUE(PT_bAttendFin(pid, knDelai, &nStatut));
    EXPECT_TRUE(FinPropre(nStatut));
    EXPECT_FALSE(PT_bExiste(m_sPid));
    EXPECT_TRUE(bLog(gsServiceArrete, 6));
}

TEST_F(ServiceDaemonTest, RuntimeErrorReportsGoToTheLog)
{
    Script("error 1001 The printer is offline\nfrobnicate\n");
    ASSERT_EQ(0, Start());
    for (const char* psz : {"The printer is offline", "line 2: unknown command \"frobnicate\""}) {
        EXPECT_TRUE(m_pclLog->bAttend(
            [&](const stLIGNELOG& st) { return st.nPriorite == 2 && st.sTexte.find(psz) != std::string::npos; },
            knDelai))
            << psz;
    }
    // The failed script ends the service by itself.
    ASSERT_TRUE(bLog(gsServiceArrete, 6));
    PT_Recolte();
    const long long nFin = knDelai / 10;
    for (long long i = 0; i < nFin && !PT_ProcessusDe(m_sExe).empty(); ++i)
        usleep(10000);
    EXPECT_TRUE(PT_ProcessusDe(m_sExe).empty());
    EXPECT_FALSE(PT_bExiste(m_sPid));
}

TEST_F(ServiceDaemonTest, StartedByProcessOneItDoesNotForkButStillCleansUp)
{
    ZVTEST_SKIP_UNLESS_SIGNALS_RESUME_THEIR_THREAD();
    if (access("/usr/bin/unshare", X_OK) != 0)
        GTEST_SKIP() << "/usr/bin/unshare is not installed";
    Script("log 6 application started\nsleep 3600000\n");
    // In a PID namespace of its own the shell is process 1 and stays the program's parent.
    const pid_t pidUnshare = fork();
    ASSERT_GE(pidUnshare, 0);
    if (pidUnshare == 0) {
        // Nothing of the test's output stays open in the namespace: its reader waits for none.
        const int fdNul = open("/dev/null", O_RDWR);
        for (int fd = 0; fd < 3; ++fd)
            dup2(fdNul, fd);
        const std::string sCommande = "'" + m_sExe + "' --SERVICE " + m_sNom + "; exit $?";
        execl("/usr/bin/unshare", "unshare", "--pid", "--fork", "/bin/sh", "-c", sCommande.c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    ASSERT_TRUE(bLog("application started", 6));
    // No first process reports the start here: the pid file is watched for.
    for (int i = 0; i < knDelai / 10 && PidEcrit() == 0; ++i)
        usleep(10000);
    ASSERT_GT(PidEcrit(), 0);
    const std::vector<pid_t> apid = PT_ProcessusDe(m_sExe);
    ASSERT_EQ(1u, apid.size());
    const pid_t pid = apid[0];
    // The same process wrote the file, with its identifier in its own namespace.
    const std::string sNSpid = PT_Statut(pid, "NSpid");
    EXPECT_EQ(sNSpid.substr(sNSpid.find_last_of(" \t") + 1) + "\n", zvtest::sReadFile(m_sPid));
    for (int fd : {0, 1, 2}) {
        char sz[256] = "";
        const std::string sLien = "/proc/" + std::to_string(pid) + "/fd/" + std::to_string(fd);
        ASSERT_GT(readlink(sLien.c_str(), sz, sizeof(sz) - 1), 0) << sLien;
        EXPECT_STREQ("/dev/null", sz) << sLien;
    }
    EXPECT_EQ("0022", PT_Statut(pid, "Umask"));
    char szCwd[256] = "";
    ASSERT_GT(readlink(("/proc/" + std::to_string(pid) + "/cwd").c_str(), szCwd, sizeof(szCwd) - 1), 0);
    EXPECT_STREQ("/tmp", szCwd);

    ASSERT_EQ(0, kill(pid, SIGTERM));
    int nStatut = -1;
    ASSERT_TRUE(PT_bAttendFin(pidUnshare, knDelai, &nStatut));
    EXPECT_TRUE(WIFEXITED(nStatut) && WEXITSTATUS(nStatut) == 0) << "status " << nStatut;
    EXPECT_FALSE(PT_bExiste(m_sPid));
}

TEST_F(ServiceDaemonTest, FiftyStartStopCyclesLeaveNothingBehind)
{
    ZVTEST_SKIP_UNLESS_SIGNALS_RESUME_THEIR_THREAD();
    Script("log 6 cycle\nsleep 3600000\n");
    for (int i = 0; i < 50; ++i) {
        SCOPED_TRACE("cycle " + std::to_string(i));
        ASSERT_EQ(0, Start());
        const pid_t pid = PidEcrit();
        ASSERT_GT(pid, 0);
        ASSERT_TRUE(PT_bVivant(pid));
        ASSERT_EQ(0, Stop());
        int nStatut = -1;
        ASSERT_TRUE(PT_bAttendFin(pid, knDelai, &nStatut));
        ASSERT_TRUE(FinPropre(nStatut));
        ASSERT_FALSE(PT_bExiste(m_sPid));
        m_pclLog->Vide();
    }
    PT_Recolte();
    EXPECT_TRUE(PT_ProcessusDe(m_sExe).empty());
    // Every descendant has been reaped: no zombie is left.
    EXPECT_EQ(-1, waitpid(-1, nullptr, WNOHANG));
    EXPECT_EQ(ECHILD, errno);
}

TEST_F(ServiceDaemonTest, FreshStartAfterSigkillTakesOverTheStalePidFile)
{
    ZVTEST_SKIP_UNLESS_SIGNALS_RESUME_THEIR_THREAD();
    Script("sleep 3600000\n");
    ASSERT_EQ(0, Start());
    const pid_t pidAncien = PidEcrit();
    ASSERT_GT(pidAncien, 0);
    ASSERT_EQ(0, kill(pidAncien, SIGKILL));
    ASSERT_TRUE(PT_bAttendFin(pidAncien, knDelai, nullptr));
    // A stale file longer than any identifier: nothing of it may remain.
    zvtest::WriteFile(m_sPid, "123456789012\nstale\n");

    ASSERT_EQ(0, Start());
    const pid_t pid = PidEcrit();
    ASSERT_GT(pid, 0);
    EXPECT_NE(pidAncien, pid);
    EXPECT_EQ(std::to_string(pid) + "\n", zvtest::sReadFile(m_sPid));
    ASSERT_EQ(0, Stop());
    ASSERT_TRUE(PT_bAttendFin(pid, knDelai, nullptr));
    EXPECT_FALSE(PT_bExiste(m_sPid));
}

TEST_F(ServiceDaemonTest, SecondInstanceStartsAndStopsItsApplicationAndLeavesTheFirstAlone)
{
    ZVTEST_SKIP_UNLESS_SIGNALS_RESUME_THEIR_THREAD();
    Script("log 6 application started\nsleep 3600000\n");
    ASSERT_EQ(0, Start());
    const pid_t pid = PidEcrit();
    ASSERT_GT(pid, 0);
    ASSERT_TRUE(bLog("application started", 6));
    struct stat stAvant;
    ASSERT_EQ(0, stat(m_sPid.c_str(), &stAvant));
    const std::string sAvant = zvtest::sReadFile(m_sPid);
    m_pclLog->Vide();

    // Run directly: start-stop-daemon itself would refuse, seeing the first one running.
    EXPECT_EQ(255, Direct({"--SERVICE", m_sNom}));
    ASSERT_TRUE(bLog(gsServiceDemarre, 6));
    const pid_t pidSecond = m_pclLog->Trouve(gsServiceDemarre).at(0).pid;
    EXPECT_NE(pid, pidSecond);
    ASSERT_TRUE(m_pclLog->bAttend(
        [&](const stLIGNELOG& st) { return st.sTexte == gsServiceArrete && st.pid == pidSecond; }, knDelai));
    // Its application was stopped again: the second daemon has ended, cleanly.
    int nStatut = -1;
    ASSERT_TRUE(PT_bAttendFin(pidSecond, knDelai, &nStatut));
    EXPECT_TRUE(FinPropre(nStatut));
    // Nothing logged about the lock.
    m_pclLog->Releve();
    EXPECT_TRUE(m_pclLog->Trouve(gsMsgLock).empty());

    EXPECT_TRUE(PT_bVivant(pid));
    struct stat stApres;
    ASSERT_EQ(0, stat(m_sPid.c_str(), &stApres));
    EXPECT_EQ(stAvant.st_ino, stApres.st_ino);
    EXPECT_EQ(stAvant.st_mtim.tv_sec, stApres.st_mtim.tv_sec);
    EXPECT_EQ(stAvant.st_mtim.tv_nsec, stApres.st_mtim.tv_nsec);
    EXPECT_EQ(sAvant, zvtest::sReadFile(m_sPid));

    ASSERT_EQ(0, Stop());
    ASSERT_TRUE(PT_bAttendFin(pid, knDelai, nullptr));
    EXPECT_FALSE(PT_bExiste(m_sPid));
}

TEST_F(ServiceDaemonTest, ServiceEndingItselfThroughTheStopCallback)
{
    // Code 1 is no end of service; 0 is.
    Script("log 6 begin\nstopservice 1\nlog 6 still running\nstopservice 0\nsleep 3600000\n");
    ASSERT_EQ(0, Start());
    // The daemon may already be gone: its identifier is taken from its first log line.
    ASSERT_TRUE(bLog("begin", 6));
    const pid_t pid = m_pclLog->Trouve("begin").at(0).pid;
    int nStatut = -1;
    ASSERT_TRUE(PT_bAttendFin(pid, knDelai, &nStatut));
    EXPECT_TRUE(FinPropre(nStatut));
    EXPECT_FALSE(PT_bExiste(m_sPid));
    EXPECT_TRUE(bLog("still running", 6));
    // The launcher ended the runtime's service before the process ended.
    EXPECT_TRUE(bLog(gsServiceArrete, 6));
}

TEST_F(ServiceDaemonTest, SigtermWhileTheRuntimeThreadIsBusy)
{
    ZVTEST_SKIP_UNLESS_SIGNALS_RESUME_THEIR_THREAD();
    Script("log 6 busy\nbusy 1500\nlog 6 after busy\nsleep 3600000\n");
    ASSERT_EQ(0, Start());
    const pid_t pid = PidEcrit();
    ASSERT_GT(pid, 0);
    ASSERT_TRUE(bLog("busy", 6));
    // Sent to the process: the kernel may pick any thread that does not block it.
    ASSERT_EQ(0, Stop());
    int nStatut = -1;
    ASSERT_TRUE(PT_bAttendFin(pid, knDelai, &nStatut));
    EXPECT_TRUE(FinPropre(nStatut));
    EXPECT_FALSE(PT_bExiste(m_sPid));
    // The stop request was seen once the busy line had ended: the script went no further.
    m_pclLog->Releve();
    EXPECT_TRUE(m_pclLog->Trouve("after busy").empty());
}

TEST_F(ServiceDaemonTest, FailedStartsAreLoggedAndReportedToTheCaller)
{
    struct Cas {
        const char* pszLabel;
        const char* pszRuntime; // null: none beside the program
        std::vector<std::string> asMessages; // logged at priority 2, in this order
    } acas[] = {
        {"no runtime", nullptr, {gsMsgVMIntrouvable, gsMsgNonDemarre}},
        {"service entry refuses", "zv150vm_refuseservice", {gsMsgNonDemarre}},
        {"no launcher interface", "zv150vm_noproxy",
         {"La librairie zv150vm.so ne fournit pas l'interface du lanceur (pQueryProxy).\r\n"
          "The library zv150vm.so does not provide the launcher's interface (pQueryProxy).",
          gsMsgNonDemarre}},
        {"application library refused", "zv150vm_refusezvl",
         {"La librairie zv150vm.so refuse la librairie d'application zvsvc.ZVL.\r\n"
          "The library zv150vm.so refuses the application library zvsvc.ZVL.",
          gsMsgNonDemarre}},
    };
    Script("log 6 application started\nsleep 3600000\n");
    for (const Cas& cas : acas) {
        SCOPED_TRACE(cas.pszLabel);
        unlink((m_sRep + "/zv150vm.so").c_str());
        if (cas.pszRuntime != nullptr) {
            ASSERT_TRUE(zvtest::bCopyExecutable(std::string(ZV_RUNTIME_DIR) + cas.pszRuntime + ".so", m_sRep + "/zv150vm.so"));
        }
        m_pclLog->Vide();
        EXPECT_EQ(255, Start());
        for (const std::string& s : cas.asMessages)
            EXPECT_TRUE(bLog(s, 2)) << s;
        EXPECT_FALSE(PT_bExiste(m_sPid));
        EXPECT_TRUE(bPlusAucunProcessus());
        m_pclLog->Releve();
        EXPECT_TRUE(m_pclLog->Trouve("application started").empty());
    }
}

TEST_F(ServiceDaemonTest, ServiceNamesThatCannotMakeAPidPath)
{
    ZVTEST_SKIP_UNLESS_SIGNALS_RESUME_THEIR_THREAD();
    Script("log 6 application started\nsleep 3600000\n");
    // "/var/run/" + name + ".pid" must fit in 260 characters: 247 do, 248 do not.
    for (const std::string& sNom : {std::string(248, 'n'), std::string("../etc/zvsvc"), std::string("a/b")}) {
        SCOPED_TRACE(sNom);
        m_pclLog->Vide();
        EXPECT_EQ(255, Direct({"--SERVICE", sNom}));
        EXPECT_TRUE(bLog(gsMsgNom, 2));
        m_pclLog->Releve();
        EXPECT_TRUE(m_pclLog->Trouve("application started").empty());
    }
    EXPECT_FALSE(PT_bExiste("/etc/zvsvc.pid"));

    const std::string sLong(247, 'n');
    m_sPid = "/var/run/" + sLong + ".pid";
    m_sNom = sLong;
    ASSERT_EQ(0, Start());
    const pid_t pid = PidEcrit();
    ASSERT_GT(pid, 0);
    ASSERT_EQ(0, Stop());
    ASSERT_TRUE(PT_bAttendFin(pid, knDelai, nullptr));
    EXPECT_FALSE(PT_bExiste(m_sPid));
}

// The same daemon around a server object that names a service user and an own directory.
TEST_F(ServiceDaemonTest, UnknownServiceUserIsLoggedAndNothingStarts)
{
    Installe(ZV_PROBE_PATH, "zvprobe");
    Script("log 6 application started\nsleep 3600000\n");
    EXPECT_EQ(255, Start({"--user", "zv no such user"}));
    EXPECT_TRUE(bLog("The service user \"zv no such user\" does not exist.", 2));
    EXPECT_FALSE(PT_bExiste(m_sPid));
    m_pclLog->Releve();
    EXPECT_TRUE(m_pclLog->Trouve("application started").empty());
    EXPECT_TRUE(bPlusAucunProcessus());
}

TEST_F(ServiceDaemonTest, ServiceUserTakesOverTheProcessThePidFileAndTheOwnDirectory)
{
    ZVTEST_SKIP_UNLESS_SIGNALS_RESUME_THEIR_THREAD();
    if (getpwnam("nobody") == nullptr)
        GTEST_SKIP() << "no user nobody on this machine";
    Installe(ZV_PROBE_PATH, "zvprobe");
    Script("log 6 application started\nsleep 3600000\n");
    // Blanks and shell characters in the directory are plain characters of its name.
    const std::string sPropre = m_sRep + "/own dir; touch INJECTED; $(touch INJECTED2)";
    ASSERT_EQ(0, mkdir(sPropre.c_str(), 0755));
    ASSERT_EQ(0, mkdir((sPropre + "/locked").c_str(), 0500));

    ASSERT_EQ(0, Start({"--user", "nobody", "--dir", sPropre, "--core"}));
    const pid_t pid = PidEcrit();
    ASSERT_GT(pid, 0);
    ASSERT_TRUE(bLog("application started", 6));
    const passwd* pstNobody = getpwnam("nobody");
    const std::string sUid = std::to_string(pstNobody->pw_uid);
    EXPECT_EQ(sUid + "\t" + sUid + "\t" + sUid + "\t" + sUid, PT_Statut(pid, "Uid"));
    // Root's supplementary groups are gone.
    EXPECT_EQ(std::string::npos, (" " + PT_Statut(pid, "Groups") + " ").find(" 0 "));
    EXPECT_NE(std::string::npos, zvtest::sReadFile("/proc/" + std::to_string(pid) + "/limits").find("Max core file size        unlimited            unlimited"));

    struct stat st;
    ASSERT_EQ(0, stat(m_sPid.c_str(), &st));
    EXPECT_EQ(pstNobody->pw_uid, st.st_uid);
    EXPECT_EQ(0644u, st.st_mode & 0777);
    for (const std::string& s : {sPropre, sPropre + "/locked"}) {
        ASSERT_EQ(0, stat(s.c_str(), &st)) << s;
        EXPECT_EQ(pstNobody->pw_uid, st.st_uid) << s;
        EXPECT_EQ(0700u, st.st_mode & 0700) << s;
    }
    for (const char* psz : {"INJECTED", "INJECTED2"}) {
        EXPECT_FALSE(PT_bExiste(std::string("/tmp/") + psz));
        EXPECT_FALSE(PT_bExiste(m_sRep + "/" + psz));
    }

    ASSERT_EQ(0, Stop());
    int nStatut = -1;
    ASSERT_TRUE(PT_bAttendFin(pid, knDelai, &nStatut));
    EXPECT_TRUE(FinPropre(nStatut));
    // The service user may not remove a file of /var/run: it empties it instead.
    EXPECT_EQ("", zvtest::sReadFile(m_sPid));
}

// Under a service manager that waits for readiness (NOTIFY_SOCKET): no fork, and the
// messages in order from the service's own pid, for each way a service starts and ends.
TEST_F(ServiceDaemonTest, ServiceManagerIsToldWhenTheServiceIsReadyStopsOrFails)
{
    ZVTEST_SKIP_UNLESS_SIGNALS_RESUME_THEIR_THREAD();
    const std::string sNom = m_sNom;
    struct Cas {
        const char* pszLabel;
        const char* pszSocket; // "@" prefix: abstract name
        const char* pszScript;
        const char* pszRuntime;
        bool bSigterm;   // sent once ready
        bool bDeuxieme;  // a first instance runs already
        int nCode;       // exit code
        std::vector<std::string> asMessages;
    } acas[] = {
        {"started then stopped, path socket", "path", "log 6 up\nsleep 3600000\n", "zv150vm", true, false, 0,
         {"STATUS=Starting service NAME", "READY=1\nSTATUS=Running service NAME\nMAINPID={PID}",
          "STOPPING=1\nSTATUS=Stopping on SIGTERM: service NAME", "STATUS=Stopped service NAME"}},
        {"started then stopped, abstract socket", "@", "log 6 up\nsleep 3600000\n", "zv150vm", true, false, 0,
         {"STATUS=Starting service NAME", "READY=1\nSTATUS=Running service NAME\nMAINPID={PID}",
          "STOPPING=1\nSTATUS=Stopping on SIGTERM: service NAME", "STATUS=Stopped service NAME"}},
        {"service ending itself", "path", "log 6 up\nsleep 200\nstopservice 0\nsleep 3600000\n", "zv150vm", false,
         false, 0,
         {"STATUS=Starting service NAME", "READY=1\nSTATUS=Running service NAME\nMAINPID={PID}",
          "STOPPING=1\nSTATUS=Stopping, ended by the runtime: service NAME", "STATUS=Stopped service NAME"}},
        {"failed start", "@", "log 6 up\nsleep 3600000\n", "zv150vm_refuseservice", false, false, 255,
         {"STATUS=Starting service NAME", "STATUS=Failed to start: the runtime did not start service NAME"}},
        {"second instance", "path", "log 6 up\nsleep 3600000\n", "zv150vm", false, true, 255,
         {"STATUS=Starting service NAME",
          "STATUS=Failed to start: another instance holds the pid file of service NAME"}},
    };
    for (const Cas& cas : acas) {
        SCOPED_TRACE(cas.pszLabel);
        // The capture's queue holds few datagrams (net.unix.max_dgram_qlen): read it, or the
        // daemons' syslog calls block.
        m_pclLog->Vide();
        Script(cas.pszScript);
        ASSERT_TRUE(zvtest::bCopyExecutable(std::string(ZV_RUNTIME_DIR) + cas.pszRuntime + ".so", m_sRep + "/zv150vm.so"));
        pid_t pidPremier = 0;
        if (cas.bDeuxieme) {
            ASSERT_EQ(0, Start());
            pidPremier = PidEcrit();
            ASSERT_GT(pidPremier, 0);
        }
        CEcouteNotify clEcoute;
        const std::string sSocket = std::string(cas.pszSocket) == "@"
                                        ? "@zvnotify-" + std::to_string(getpid())
                                        : m_sRep + "/notify";
        ASSERT_TRUE(clEcoute.bOuvre(sSocket)) << sSocket;
        const pid_t pid = LanceNotifie(sSocket);
        ASSERT_GT(pid, 0);
        std::vector<CEcouteNotify::stMessage> ast;
        if (cas.bSigterm) {
            CEcouteNotify::stMessage st;
            while (clEcoute.bRecoit(&st, knDelai)) {
                ast.push_back(st);
                if (st.sTexte.compare(0, 8, "READY=1\n") == 0)
                    break;
            }
            ASSERT_FALSE(ast.empty());
            ASSERT_EQ(0, ast.back().sTexte.compare(0, 8, "READY=1\n")) << ast.back().sTexte;
            // Ready means the pid file is there, naming the process started: no fork.
            EXPECT_EQ(pid, PidEcrit());
            ASSERT_EQ(0, kill(pid, SIGTERM));
        }
        int nStatut = -1;
        bool bFini = false;
        const std::vector<CEcouteNotify::stMessage> astFin = clEcoute.Jusqua(pid, knDelai, &nStatut, &bFini);
        ast.insert(ast.end(), astFin.begin(), astFin.end());
        ASSERT_TRUE(bFini) << "the service did not end";
        EXPECT_TRUE(WIFEXITED(nStatut) && WEXITSTATUS(nStatut) == cas.nCode) << "status " << nStatut;
        std::vector<std::string> asAttendus;
        for (std::string sAttendu : cas.asMessages) {
            const size_t nNom = sAttendu.find("NAME");
            sAttendu.replace(nNom, 4, sNom);
            const size_t nPid = sAttendu.find("{PID}");
            if (nPid != std::string::npos)
                sAttendu.replace(nPid, 5, std::to_string(pid));
            asAttendus.push_back(sAttendu);
        }
        std::vector<std::string> asRecus;
        for (const CEcouteNotify::stMessage& st : ast) {
            asRecus.push_back(st.sTexte);
            EXPECT_EQ(pid, st.pid) << st.sTexte;
        }
        EXPECT_EQ(asAttendus, asRecus);
        if (cas.bDeuxieme) {
            EXPECT_TRUE(PT_bVivant(pidPremier));
            EXPECT_EQ(std::to_string(pidPremier) + "\n", zvtest::sReadFile(m_sPid));
            ASSERT_EQ(0, Stop());
            ASSERT_TRUE(PT_bAttendFin(pidPremier, knDelai, nullptr));
        }
        EXPECT_FALSE(PT_bExiste(m_sPid));
    }
}

// SIGTERM at random moments of the start and of a busy runtime thread: the handler only wakes
// the main thread, which stops the service. No hang, no crash, no pid file left.
TEST_F(ServiceDaemonTest, SigtermAtRandomMomentsNeverHangsCrashesOrLeavesThePidFile)
{
    ZVTEST_SKIP_UNLESS_SIGNALS_RESUME_THEIR_THREAD();
    Script("log 6 up\nbusy 20\nsleep 10\nbusy 20\nsleep 3600000\n");
    CEcouteNotify clEcoute;
    ASSERT_TRUE(clEcoute.bOuvre(m_sRep + "/notify"));
    const auto Vide = [&] {
        CEcouteNotify::stMessage st;
        while (clEcoute.bRecoit(&st, 0)) {
        }
        // The system log is read too: a full queue would block the daemons' syslog calls.
        m_pclLog->Vide();
    };
    // How long a start takes here, to spread the signals over it and a little after.
    const auto tDebut = std::chrono::steady_clock::now();
    pid_t pid = LanceNotifie(m_sRep + "/notify");
    ASSERT_GT(pid, 0);
    CEcouteNotify::stMessage st;
    while (clEcoute.bRecoit(&st, knDelai) && st.sTexte.compare(0, 8, "READY=1\n") != 0) {
    }
    ASSERT_EQ(0, st.sTexte.compare(0, 8, "READY=1\n"));
    const long long nDemarrageUs =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - tDebut).count();
    ASSERT_EQ(0, kill(pid, SIGTERM));
    ASSERT_TRUE(PT_bAttendFin(pid, knDelai, nullptr));
    Vide();

    // Each round costs a start: under user-mode emulation a start is some ten times slower, and
    // the sanitizers' start-up costs some five times more.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    constexpr bool bInstrumente = true;
#else
    constexpr bool bInstrumente = false;
#endif
    const int nTours = !zvtest::sEmulator().empty() ? 40 : bInstrumente ? 50 : 200;
    const unsigned nGraine = static_cast<unsigned>(time(nullptr));
    std::mt19937 clAlea(nGraine);
    std::uniform_int_distribution<long long> clDelai(0, nDemarrageUs + nDemarrageUs / 2 + 40000);
    int nAvantGestionnaire = 0, nArretes = 0;
    for (int i = 0; i < nTours; ++i) {
        SCOPED_TRACE("round " + std::to_string(i) + ", seed " + std::to_string(nGraine));
        pid = LanceNotifie(m_sRep + "/notify");
        ASSERT_GT(pid, 0);
        const long long nUs = clDelai(clAlea);
        timespec stAttente = {static_cast<time_t>(nUs / 1000000), static_cast<long>(nUs % 1000000) * 1000L};
        while (nanosleep(&stAttente, &stAttente) != 0 && errno == EINTR) {
        }
        ASSERT_EQ(0, kill(pid, SIGTERM));
        int nStatut = -1;
        if (!PT_bAttendFin(pid, knDelai, &nStatut)) {
            kill(pid, SIGKILL);
            PT_bAttendFin(pid, knDelai, nullptr);
            FAIL() << "hung after SIGTERM " << nUs << " us after its start";
        }
        // Before the daemon code has SIGTERM in hand (the C library's start, message access),
        // the default action ends the process; from then on the stop is clean.
        if (WIFSIGNALED(nStatut) && WTERMSIG(nStatut) == SIGTERM) {
            ++nAvantGestionnaire;
        } else {
            ASSERT_TRUE(WIFEXITED(nStatut) && WEXITSTATUS(nStatut) == 0)
                << "status " << nStatut << " after SIGTERM " << nUs << " us after its start";
            ++nArretes;
        }
        ASSERT_FALSE(PT_bExiste(m_sPid)) << "pid file left, SIGTERM " << nUs << " us after its start";
        Vide();
    }
    std::printf("%d rounds (start %lld us): %d ended by SIGTERM's default action before the daemon code ran, "
                "%d stopped cleanly\n",
                nTours, nDemarrageUs, nAvantGestionnaire, nArretes);
    EXPECT_GT(nArretes, 0);
}

// [SERVICE] of the execution parameters beside the program: the service user, its directory
// and core dumps, end to end as root.
TEST_F(ServiceDaemonTest, ServiceSectionOfTheParametersRunsTheServiceAsItsUser)
{
    ZVTEST_SKIP_UNLESS_SIGNALS_RESUME_THEIR_THREAD();
    const passwd* pstUser = getpwnam("nobody");
    if (pstUser == nullptr)
        GTEST_SKIP() << "no user nobody on this machine";
    const uid_t uid = pstUser->pw_uid;
    const gid_t gid = pstUser->pw_gid;
    std::vector<gid_t> anGroupes(64);
    int nGroupes = static_cast<int>(anGroupes.size());
    ASSERT_GE(getgrouplist("nobody", gid, anGroupes.data(), &nGroupes), 0);
    anGroupes.resize(static_cast<size_t>(nGroupes));

    Script("log 6 application started\nsleep 3600000\n");
    const std::string sPropre = m_sRep + "/data";
    ASSERT_EQ(0, mkdir(sPropre.c_str(), 0755));
    ASSERT_EQ(0, mkdir((sPropre + "/locked").c_str(), 0500));
    zvtest::WriteFile(sPropre + "/state", "x");
    zvtest::WriteFile(m_sExe + ".ZX", "[SERVICE]\r\nUSER=nobody\r\nDIRECTORY=" + sPropre + "\r\nCOREDUMP=1\r\n");

    ASSERT_EQ(0, Start());
    const pid_t pid = PidEcrit();
    ASSERT_GT(pid, 0);
    ASSERT_TRUE(bLog("application started", 6));
    const std::string sUid = std::to_string(uid), sGid = std::to_string(gid);
    EXPECT_EQ(sUid + "\t" + sUid + "\t" + sUid + "\t" + sUid, PT_Statut(pid, "Uid"));
    EXPECT_EQ(sGid + "\t" + sGid + "\t" + sGid + "\t" + sGid, PT_Statut(pid, "Gid"));
    // No group of root's left: only the user's own.
    const std::string sGroupes = PT_Statut(pid, "Groups");
    size_t nPos = 0;
    while (nPos < sGroupes.size()) {
        const size_t nFin = sGroupes.find(' ', nPos);
        const std::string sGroupe = sGroupes.substr(nPos, nFin == std::string::npos ? std::string::npos : nFin - nPos);
        if (!sGroupe.empty()) {
            const gid_t g = static_cast<gid_t>(std::stoul(sGroupe));
            EXPECT_NE(anGroupes.end(), std::find(anGroupes.begin(), anGroupes.end(), g)) << "group " << g;
        }
        nPos = nFin == std::string::npos ? sGroupes.size() : nFin + 1;
    }
    EXPECT_NE(std::string::npos, zvtest::sReadFile("/proc/" + std::to_string(pid) + "/limits")
                                     .find("Max core file size        unlimited            unlimited"));
    struct stat st;
    ASSERT_EQ(0, stat(m_sPid.c_str(), &st));
    EXPECT_EQ(uid, st.st_uid);
    for (const std::string& sChemin : {sPropre, sPropre + "/locked", sPropre + "/state"}) {
        ASSERT_EQ(0, stat(sChemin.c_str(), &st)) << sChemin;
        EXPECT_EQ(uid, st.st_uid) << sChemin;
    }
    ASSERT_EQ(0, stat((sPropre + "/locked").c_str(), &st));
    EXPECT_EQ(0700u, st.st_mode & 0700);

    ASSERT_EQ(0, Stop());
    int nStatut = -1;
    ASSERT_TRUE(PT_bAttendFin(pid, knDelai, &nStatut));
    EXPECT_TRUE(FinPropre(nStatut));
    EXPECT_EQ("", zvtest::sReadFile(m_sPid));
}

TEST_F(ServiceDaemonTest, UnusableServiceSettingsAreLoggedAndNothingStarts)
{
    ZVTEST_SKIP_UNLESS_SIGNALS_RESUME_THEIR_THREAD();
    Script("log 6 application started\nsleep 3600000\n");
    const std::string sLongUser(300, 'u');
    const std::string sLongRep = "/" + std::string(260, 'd');
    struct Cas {
        std::string sLigne;  // in [SERVICE]
        std::string sCle, sValeur, sRaison;
    } acas[] = {
        {"USER=zv no such user", "USER", "zv no such user", "no such user"},
        {"USER=" + sLongUser, "USER", sLongUser, "too long"},
        {"DIRECTORY=var/lib/app", "DIRECTORY", "var/lib/app", "not an absolute path"},
        {"DIRECTORY=" + sLongRep, "DIRECTORY", sLongRep, "too long"},
        {"COREDUMP=yes", "COREDUMP", "yes", "0 or 1 expected"},
    };
    for (const Cas& cas : acas) {
        SCOPED_TRACE(cas.sLigne.substr(0, 40));
        zvtest::WriteFile(m_sExe + ".ZX", "[SERVICE]\n" + cas.sLigne + "\n");
        m_pclLog->Vide();
        EXPECT_EQ(255, Direct({"--SERVICE", m_sNom}));
        EXPECT_TRUE(bLog("Parametre de service invalide / invalid service setting in " + m_sExe + ".ZX: [SERVICE] " +
                             cas.sCle + "=\"" + cas.sValeur + "\": " + cas.sRaison,
                         2));
        EXPECT_FALSE(PT_bExiste(m_sPid));
        m_pclLog->Releve();
        EXPECT_TRUE(m_pclLog->Trouve("application started").empty());
    }
    // Empty values keep the defaults.
    zvtest::WriteFile(m_sExe + ".ZX", "[SERVICE]\nUSER=\nDIRECTORY=\nCOREDUMP=\n");
    ASSERT_EQ(0, Start());
    const pid_t pid = PidEcrit();
    ASSERT_GT(pid, 0);
    EXPECT_EQ("0\t0\t0\t0", PT_Statut(pid, "Uid"));
    ASSERT_EQ(0, Stop());
    ASSERT_TRUE(PT_bAttendFin(pid, knDelai, nullptr));
}

// The example unit of the operator's guide is the deployment the notification tests prove:
// Type=notify, the program itself in ExecStart=, no shell around it.
TEST(ServiceExampleUnitTest, IsAPlainNotifyUnitStartingTheProgramItself)
{
    const std::string sUnite = zvtest::sReadFile(ZV_EXAMPLE_UNIT);
    ASSERT_FALSE(sUnite.empty()) << ZV_EXAMPLE_UNIT;
    EXPECT_NE(std::string::npos, sUnite.find("\nType=notify\n"));
    const size_t nExec = sUnite.find("\nExecStart=");
    ASSERT_NE(std::string::npos, nExec);
    const size_t nDebut = nExec + 11;
    const std::string sCommande = sUnite.substr(nDebut, sUnite.find('\n', nDebut) - nDebut);
    std::vector<std::string> asMots;
    for (size_t n = 0; n < sCommande.size();) {
        const size_t nFin = sCommande.find(' ', n);
        asMots.push_back(sCommande.substr(n, nFin == std::string::npos ? std::string::npos : nFin - n));
        n = nFin == std::string::npos ? sCommande.size() : nFin + 1;
    }
    ASSERT_EQ(3u, asMots.size()) << sCommande;
    EXPECT_EQ('/', asMots[0][0]);
    EXPECT_EQ(std::string::npos, asMots[0].find("sh")) << "a shell in ExecStart=";
    EXPECT_EQ("--SERVICE", asMots[1]);
    EXPECT_EQ(std::string::npos, sUnite.find("\nPIDFile=")) << "a notify unit needs no pid file";
}

} // namespace
