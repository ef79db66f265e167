// zvtestrun: runs one test of the suite so that it owns everything it starts.
//
//   zvtestrun [--limit SECONDS] [--emulator PROGRAM] COMMAND [ARGS...]
//       Runs COMMAND as the test, with a time limit (default 60 s); with --emulator, runs
//       PROGRAM COMMAND ARGS... and tells the test so (ZV_TEST_EMULATOR=PROGRAM).
//       zvtestrun is the reaper of every orphan below it (PR_SET_CHILD_SUBREAPER), so a daemon
//       detached by the test (double fork, setsid) stays its descendant. When the limit is
//       reached, or zvtestrun gets SIGINT, SIGTERM or SIGHUP, the test and all its descendants
//       are killed. When the test ends, any descendant still running a moment later is
//       listed, killed, and the run fails: a test must end what it starts.
//       Exit: the test's exit code (its signal is raised again when it was killed by one),
//       124 on the time limit, 125 when the test left processes behind, 126 when it could not
//       start.
//   zvtestrun --leftovers NAME=VALUE
//       Lists the processes whose environment holds NAME=VALUE (the suite gives its tests
//       ZV_TEST_BINARY_DIR=<build tree>), except itself, kills them and fails when there was
//       any: the suite's last test, which finds what escaped every other run.
//
// Runs on the build machine, built apart from the tests when they are made for another ABI.
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr int knLimiteDefaut = 60; // seconds, without --limit
constexpr int knGraceRestantsMs = 2000; // descendants still ending when the test has ended
constexpr int knCodeLimite = 124;
constexpr int knCodeRestants = 125;
constexpr int knCodeLancement = 126;

volatile sig_atomic_t gnSignalRecu = 0;

void OnSignal(int nSignal)
{
    gnSignalRecu = nSignal;
}

long long MsMonotone()
{
    timespec st;
    clock_gettime(CLOCK_MONOTONIC, &st);
    return st.tv_sec * 1000LL + st.tv_nsec / 1000000L;
}

std::string sLitFichier(const std::string& sChemin)
{
    std::string s;
    const int fd = open(sChemin.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return s;
    char ab[4096];
    ssize_t n;
    while ((n = read(fd, ab, sizeof(ab))) > 0)
        s.append(ab, static_cast<size_t>(n));
    close(fd);
    return s;
}

struct stPROCESSUS {
    pid_t pidParent;
    char cEtat;
};

// Every process /proc shows: its parent and its state.
std::map<pid_t, stPROCESSUS> Processus()
{
    std::map<pid_t, stPROCESSUS> map;
    DIR* pDir = opendir("/proc");
    if (pDir == nullptr)
        return map;
    while (dirent* p = readdir(pDir)) {
        char* pszFin = nullptr;
        const long n = std::strtol(p->d_name, &pszFin, 10);
        if (n <= 0 || *pszFin != '\0')
            continue;
        // "pid (comm) state ppid ...": the name may hold blanks and parentheses.
        const std::string s = sLitFichier(std::string("/proc/") + p->d_name + "/stat");
        const size_t nFerme = s.rfind(')');
        if (nFerme == std::string::npos || nFerme + 4 > s.size())
            continue;
        stPROCESSUS st;
        st.cEtat = s[nFerme + 2];
        st.pidParent = static_cast<pid_t>(std::atol(s.c_str() + nFerme + 4));
        map[static_cast<pid_t>(n)] = st;
    }
    closedir(pDir);
    return map;
}

// The live descendants of this process (zombies are only waiting to be reaped).
std::vector<pid_t> Descendants()
{
    const std::map<pid_t, stPROCESSUS> map = Processus();
    std::set<pid_t> setLignee = {getpid()};
    std::vector<pid_t> apid;
    // Parents may have larger identifiers than their children: repeat until nothing is added.
    for (bool bAjout = true; bAjout;) {
        bAjout = false;
        for (const auto& [pid, st] : map) {
            if (setLignee.count(pid) == 0 && setLignee.count(st.pidParent) != 0) {
                setLignee.insert(pid);
                if (st.cEtat != 'Z' && st.cEtat != 'X')
                    apid.push_back(pid);
                bAjout = true;
            }
        }
    }
    return apid;
}

// "pid name arguments" of a process, for the reports.
std::string sDecrit(pid_t pid)
{
    std::string sLigne = sLitFichier("/proc/" + std::to_string(pid) + "/cmdline");
    for (char& c : sLigne) {
        if (c == '\0')
            c = ' ';
    }
    while (!sLigne.empty() && sLigne.back() == ' ')
        sLigne.pop_back();
    if (sLigne.size() > 200)
        sLigne = sLigne.substr(0, 200) + "...";
    return std::to_string(pid) + " " + sLigne;
}

void Recolte()
{
    while (waitpid(-1, nullptr, WNOHANG) > 0) {
    }
}

// Kills every descendant, again until none is left (one may fork while the others die).
void TueDescendants()
{
    for (int i = 0; i < 100; ++i) {
        const std::vector<pid_t> apid = Descendants();
        if (apid.empty())
            return;
        for (pid_t pid : apid)
            kill(pid, SIGKILL);
        const timespec st = {0, 20 * 1000000L};
        nanosleep(&st, nullptr);
        Recolte();
    }
}

void Liste(const char* pszTitre, const std::vector<pid_t>& apid)
{
    std::fprintf(stderr, "zvtestrun: %s:\n", pszTitre);
    for (pid_t pid : apid)
        std::fprintf(stderr, "zvtestrun:   %s\n", sDecrit(pid).c_str());
}

int nLance(char** apszCommande, int nLimite, const char* pszEmulateur)
{
    if (prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0) != 0) {
        std::fprintf(stderr, "zvtestrun: cannot reap orphans (%s): detached processes are not followed\n",
                     std::strerror(errno));
    }
    struct sigaction stAction = {};
    stAction.sa_handler = OnSignal;
    sigemptyset(&stAction.sa_mask);
    sigaction(SIGINT, &stAction, nullptr);
    sigaction(SIGTERM, &stAction, nullptr);
    sigaction(SIGHUP, &stAction, nullptr);

    const long long nFin = MsMonotone() + nLimite * 1000LL;
    const pid_t pidTest = fork();
    if (pidTest < 0) {
        std::fprintf(stderr, "zvtestrun: fork: %s\n", std::strerror(errno));
        return knCodeLancement;
    }
    if (pidTest == 0) {
        signal(SIGINT, SIG_DFL);
        signal(SIGTERM, SIG_DFL);
        signal(SIGHUP, SIG_DFL);
        std::vector<char*> apsz;
        if (pszEmulateur != nullptr) {
            setenv("ZV_TEST_EMULATOR", pszEmulateur, 1);
            apsz.push_back(const_cast<char*>(pszEmulateur));
        }
        for (char** pp = apszCommande; *pp != nullptr; ++pp)
            apsz.push_back(*pp);
        apsz.push_back(nullptr);
        execvp(apsz[0], apsz.data());
        std::fprintf(stderr, "zvtestrun: cannot run %s: %s\n", apszCommande[0], std::strerror(errno));
        _exit(knCodeLancement);
    }

    int nStatut = 0;
    bool bFini = false;
    while (!bFini) {
        int n;
        while ((n = waitpid(-1, &nStatut, WNOHANG)) > 0) {
            if (n == pidTest) {
                bFini = true;
                break;
            }
        }
        if (bFini)
            break;
        if (gnSignalRecu != 0) {
            std::fprintf(stderr, "zvtestrun: signal %d: ending the test and everything it started\n",
                         static_cast<int>(gnSignalRecu));
            TueDescendants();
            signal(gnSignalRecu, SIG_DFL);
            raise(gnSignalRecu);
            return 128 + gnSignalRecu;
        }
        if (MsMonotone() >= nFin) {
            const std::vector<pid_t> apid = Descendants();
            std::fprintf(stderr, "zvtestrun: time limit of %d s reached\n", nLimite);
            Liste("ending the test and everything it started", apid);
            TueDescendants();
            return knCodeLimite;
        }
        // Woken early by SIGCHLD or a stop request.
        poll(nullptr, 0, 10);
    }

    // The test has ended: whatever it started must have ended too, or be ending.
    std::vector<pid_t> apid;
    const long long nGrace = MsMonotone() + knGraceRestantsMs;
    do {
        Recolte();
        apid = Descendants();
        if (apid.empty())
            break;
        poll(nullptr, 0, 20);
    } while (MsMonotone() < nGrace);
    int nCode = WIFEXITED(nStatut) ? WEXITSTATUS(nStatut) : 128 + WTERMSIG(nStatut);
    if (!apid.empty()) {
        Liste("the test left processes running; they are killed", apid);
        TueDescendants();
        if (nCode == 0)
            nCode = knCodeRestants;
    }
    if (WIFSIGNALED(nStatut)) {
        // Reported as the test's own death, without a core of this process.
        const rlimit stSansCore = {0, 0};
        setrlimit(RLIMIT_CORE, &stSansCore);
        signal(WTERMSIG(nStatut), SIG_DFL);
        raise(WTERMSIG(nStatut));
    }
    return nCode;
}

int nRestants(const char* pszMarque)
{
    const std::string sMarque = pszMarque;
    const pid_t pidMoi = getpid();
    std::vector<pid_t> apid;
    for (const auto& [pid, st] : Processus()) {
        if (pid == pidMoi || st.cEtat == 'Z' || st.cEtat == 'X')
            continue;
        const std::string sEnv = sLitFichier("/proc/" + std::to_string(pid) + "/environ");
        for (size_t nDebut = 0; nDebut < sEnv.size();) {
            size_t nFin = sEnv.find('\0', nDebut);
            if (nFin == std::string::npos)
                nFin = sEnv.size();
            if (sEnv.compare(nDebut, nFin - nDebut, sMarque) == 0) {
                apid.push_back(pid);
                break;
            }
            nDebut = nFin + 1;
        }
    }
    if (apid.empty()) {
        std::printf("zvtestrun: no process of the suite (%s) is left\n", pszMarque);
        return 0;
    }
    Liste("processes of the suite still running; they are killed", apid);
    for (pid_t pid : apid)
        kill(pid, SIGKILL);
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--leftovers") == 0 && std::strchr(argv[2], '=') != nullptr)
        return nRestants(argv[2]);
    int nLimite = knLimiteDefaut;
    const char* pszEmulateur = nullptr;
    int i = 1;
    for (; i + 1 < argc && argv[i][0] == '-'; i += 2) {
        if (std::strcmp(argv[i], "--limit") == 0) {
            char* pszFin = nullptr;
            const long n = std::strtol(argv[i + 1], &pszFin, 10);
            if (*pszFin != '\0' || n <= 0 || n > 24 * 3600)
                break;
            nLimite = static_cast<int>(n);
        } else if (std::strcmp(argv[i], "--emulator") == 0 && argv[i + 1][0] != '\0') {
            pszEmulateur = argv[i + 1];
        } else {
            break;
        }
    }
    if (i >= argc || argv[i][0] == '-') {
        std::fprintf(stderr, "usage: zvtestrun [--limit SECONDS] [--emulator PROGRAM] COMMAND [ARGS...]\n"
                             "       zvtestrun --leftovers NAME=VALUE\n");
        return 2;
    }
    return nLance(argv + i, nLimite, pszEmulateur);
}
