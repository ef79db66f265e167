// Processes of the daemon tests: runs with a time limit, reaping of orphans, what /proc says.
#include "service/ProcessusTest.h"

#include "support/Emulation.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <dirent.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>

extern char** environ;

namespace {

std::map<pid_t, int> gmapStatuts;

long long MsMonotone()
{
    timespec st;
    clock_gettime(CLOCK_MONOTONIC, &st);
    return st.tv_sec * 1000LL + st.tv_nsec / 1000000L;
}

void Pause()
{
    timespec st = {0, 2 * 1000000L};
    nanosleep(&st, nullptr);
}

// The parent of pid as /proc shows it, and its state ('\0' when there is no such process).
pid_t PidParent(pid_t pid, char* pcEtat)
{
    const std::string s = zvtest::sReadFile("/proc/" + std::to_string(pid) + "/stat");
    const size_t n = s.rfind(')');
    if (n == std::string::npos || n + 4 > s.size()) {
        *pcEtat = '\0';
        return 0;
    }
    *pcEtat = s[n + 2];
    return static_cast<pid_t>(std::atol(s.c_str() + n + 4));
}

// Every process /proc shows, with its parent.
std::map<pid_t, pid_t> Parents()
{
    std::map<pid_t, pid_t> map;
    DIR* pDir = opendir("/proc");
    if (pDir == nullptr)
        return map;
    while (dirent* p = readdir(pDir)) {
        const pid_t pid = static_cast<pid_t>(std::atoi(p->d_name));
        char cEtat;
        if (pid > 0) {
            const pid_t pidParent = PidParent(pid, &cEtat);
            if (cEtat != '\0')
                map[pid] = pidParent;
        }
    }
    closedir(pDir);
    return map;
}

} // namespace

bool PT_bDevientRecuperateur()
{
    return prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0) == 0;
}

void PT_Recolte()
{
    int nStatut = 0;
    pid_t pid;
    while ((pid = waitpid(-1, &nStatut, WNOHANG)) > 0)
        gmapStatuts[pid] = nStatut;
}

bool PT_bAttendFin(pid_t pid, int nMs, int* pnStatut)
{
    const long long nFin = MsMonotone() + nMs;
    for (;;) {
        PT_Recolte();
        auto it = gmapStatuts.find(pid);
        if (it != gmapStatuts.end()) {
            if (pnStatut != nullptr)
                *pnStatut = it->second;
            gmapStatuts.erase(it);
            return true;
        }
        char cEtat;
        const pid_t pidParent = PidParent(pid, &cEtat);
        if (pidParent != getpid() && (cEtat == '\0' || cEtat == 'Z' || cEtat == 'X')) {
            // Not this process's to reap; a last look, should it have been reaped meanwhile.
            PT_Recolte();
            it = gmapStatuts.find(pid);
            if (pnStatut != nullptr)
                *pnStatut = it != gmapStatuts.end() ? it->second : knStatutInconnu;
            if (it != gmapStatuts.end())
                gmapStatuts.erase(it);
            return true;
        }
        if (MsMonotone() >= nFin)
            return false;
        Pause();
    }
}

void PT_TueDescendants()
{
    // Killing a process may hand its children to this one: again until none is left.
    for (int i = 0; i < 50; ++i) {
        const std::map<pid_t, pid_t> map = Parents();
        std::vector<pid_t> apid;
        std::vector<pid_t> apidLignee = {getpid()};
        for (size_t n = 0; n < apidLignee.size(); ++n) {
            for (const auto& [pid, pidParent] : map) {
                if (pidParent == apidLignee[n]) {
                    apidLignee.push_back(pid);
                    if (PT_bVivant(pid))
                        apid.push_back(pid);
                }
            }
        }
        if (apid.empty())
            break;
        for (pid_t pid : apid)
            kill(pid, SIGKILL);
        for (pid_t pid : apid)
            PT_bAttendFin(pid, 2000, nullptr);
    }
    PT_Recolte();
}

int PT_nLance(const std::vector<std::string>& asArgs, int nMs, const std::vector<std::string>& asEnv,
              std::string* psErreur)
{
    std::vector<std::string> asEnvComplet;
    for (char** pp = environ; *pp; ++pp)
        asEnvComplet.push_back(*pp);
    asEnvComplet.insert(asEnvComplet.end(), asEnv.begin(), asEnv.end());
    std::vector<char*> apszArgs, apszEnv;
    for (const std::string& s : asArgs)
        apszArgs.push_back(const_cast<char*>(s.c_str()));
    apszArgs.push_back(nullptr);
    for (const std::string& s : asEnvComplet)
        apszEnv.push_back(const_cast<char*>(s.c_str()));
    apszEnv.push_back(nullptr);

    char szErreur[] = "/tmp/zvtest-stderr-XXXXXX";
    const int fdErreur = psErreur != nullptr ? mkstemp(szErreur) : -1;
    const pid_t pid = fork();
    if (pid == 0) {
        const int fd = open("/dev/null", O_RDWR);
        dup2(fd, 0);
        dup2(fd, 1);
        dup2(fdErreur >= 0 ? fdErreur : fd, 2);
        execve(apszArgs[0], apszArgs.data(), apszEnv.data());
        _exit(127);
    }
    int nStatut = 0;
    int nCode = -1000;
    if (pid > 0) {
        if (PT_bAttendFin(pid, nMs, &nStatut)) {
            if (WIFEXITED(nStatut))
                nCode = WEXITSTATUS(nStatut);
        } else {
            kill(pid, SIGKILL);
            PT_bAttendFin(pid, 5000, nullptr);
        }
    }
    if (fdErreur >= 0) {
        *psErreur = zvtest::sReadFile(szErreur);
        close(fdErreur);
        unlink(szErreur);
    }
    return nCode;
}

bool PT_bVivant(pid_t pid)
{
    const std::string s = zvtest::sReadFile("/proc/" + std::to_string(pid) + "/stat");
    const size_t n = s.rfind(')');
    return n != std::string::npos && n + 2 < s.size() && s[n + 2] != 'Z' && s[n + 2] != 'X';
}

std::vector<pid_t> PT_ProcessusDe(const std::string& sChemin)
{
    std::vector<pid_t> apid;
    const std::string& sEmulateur = zvtest::sEmulator();
    DIR* pDir = opendir("/proc");
    if (pDir == nullptr)
        return apid;
    while (dirent* p = readdir(pDir)) {
        const pid_t pid = static_cast<pid_t>(std::atoi(p->d_name));
        if (pid <= 0)
            continue;
        char szLien[4096];
        const std::string sExe = "/proc/" + std::to_string(pid) + "/exe";
        const ssize_t n = readlink(sExe.c_str(), szLien, sizeof(szLien) - 1);
        if (n <= 0)
            continue;
        szLien[n] = '\0';
        bool bTrouve = sChemin == szLien;
        if (!bTrouve && !sEmulateur.empty() && sEmulateur == szLien) {
            // "emulator program arguments...": the program is the second word.
            const std::string sLigne = zvtest::sReadFile("/proc/" + std::to_string(pid) + "/cmdline");
            const size_t nPremier = sLigne.find('\0');
            bTrouve = nPremier != std::string::npos && sLigne.compare(nPremier + 1, sChemin.size() + 1,
                                                                      sChemin.c_str(), sChemin.size() + 1) == 0;
        }
        if (bTrouve && PT_bVivant(pid))
            apid.push_back(pid);
    }
    closedir(pDir);
    return apid;
}

std::string PT_Statut(pid_t pid, const std::string& sCle)
{
    std::istringstream is(zvtest::sReadFile("/proc/" + std::to_string(pid) + "/status"));
    std::string sLigne;
    while (std::getline(is, sLigne)) {
        if (sLigne.compare(0, sCle.size() + 1, sCle + ":") == 0) {
            size_t n = sCle.size() + 1;
            while (n < sLigne.size() && (sLigne[n] == ' ' || sLigne[n] == '\t'))
                ++n;
            return sLigne.substr(n);
        }
    }
    return "";
}

bool PT_bExiste(const std::string& sChemin)
{
    struct stat st;
    return lstat(sChemin.c_str(), &st) == 0;
}

