// Daemon start-up and supervision: detaching, identity, pid file, SIGTERM and the main loop.
#include "service/ServiceMain.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <syslog.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "base/generated/NomsMessages.h"
#include "base/messages/AccesDllRes.h"
#include "base/strings/CTString.h"
#include "base/system/AppelsSysteme.h"
#include "service/CServerMain.h"
#include "service/NotifySystemd.h"
#include "service/PidFile.h"
#include "contract/ILogger.h"

CServerMain* gpclServerMain = nullptr;
CServiceImp* gpclServiceImp = nullptr;
std::atomic<pthread_t> hMainThread{0};
std::atomic<int> gbArretDemande{0};

// The SIGTERM handler touches these two atomics only.
static_assert(std::atomic<pthread_t>::is_always_lock_free, "hMainThread must be usable in a signal handler");
static_assert(std::atomic<int>::is_always_lock_free, "gbArretDemande must be usable in a signal handler");

namespace {

constexpr const char gszMsgFork[] = "Fork ne marche pas";
constexpr const char gszMsgLock[] = "Echec de la cr\xE9"
                                    "ation du fichier de lock du demon";
constexpr const char gszMsgNom[] = "Nom de service invalide pour le fichier de lock du demon";


// Bytes the daemon sends to the first process.
constexpr char gcPret = '0';
constexpr char gcEchec = '1';

void __Log(const char* pszTexte)
{
    ILogger* pclLogger = gpclServiceImp != nullptr ? gpclServiceImp->pclGetLogger() : nullptr;
    // Always as a text: a percent sign in a name or a path is not a conversion.
    if (pclLogger != nullptr)
        pclLogger->AddLog(ePRIORITY_CRIT, "%s", pszTexte);
}

void __LogMessage(unsigned nId, const char* pszInsert = nullptr)
{
    CTString clTexte;
    if (pszInsert != nullptr)
        DLLRES_bFormatMessage(nId, &clTexte, pszInsert);
    else
        DLLRES_bFormatMessage(nId, &clTexte);
    if (clTexte.bEstVide())
        clTexte.printf("message %u", nId);
    __Log(clTexte.pszGet());
}

// Tells the first process how the start went, once; nothing when there is no one waiting.
void __Signale(int* pfdPret, bool bPret)
{
    if (*pfdPret < 0)
        return;
    const char c = bPret ? gcPret : gcEchec;
    // MSG_NOSIGNAL: a first process that gave up waiting must not kill the daemon with SIGPIPE.
    while (send(*pfdPret, &c, 1, MSG_NOSIGNAL) < 0 && errno == EINTR) {
    }
    SYS_bClose(*pfdPret);
    *pfdPret = -1;
}

// In the first process: waits for the daemon's report; 0 when it runs, -1 otherwise.
int __nAttendDemon(int fdLecture, pid_t pidEnfant)
{
    timespec stDebut;
    clock_gettime(CLOCK_MONOTONIC, &stDebut);
    char c = gcEchec;
    bool bRecu = false;
    for (;;) {
        timespec stMaintenant;
        clock_gettime(CLOCK_MONOTONIC, &stMaintenant);
        const long long nEcoule = (stMaintenant.tv_sec - stDebut.tv_sec) * 1000LL +
                                  (stMaintenant.tv_nsec - stDebut.tv_nsec) / 1000000L;
        if (nEcoule >= gnAttenteDemonMs)
            break;
        pollfd stPoll = {fdLecture, POLLIN, 0};
        const int n = poll(&stPoll, 1, static_cast<int>(gnAttenteDemonMs - nEcoule));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        const ssize_t nLu = recv(fdLecture, &c, 1, 0);
        if (nLu < 0 && errno == EINTR)
            continue;
        bRecu = nLu == 1;
        break; // a byte, or the end: every copy of the other side is closed
    }
    // The intermediate process ends right after the second fork; reap it when it has.
    waitpid(pidEnfant, nullptr, WNOHANG);
    if (!bRecu) {
        __LogMessage(gnMsgServiceNonDemarre);
        return -1;
    }
    return c == gcPret ? 0 : -1;
}

// Signals that whoever started the process chose to ignore go back to their default action,
// and nothing stays blocked; handlers of this process (a sanitizer's) are kept.
void __RemetSignaux()
{
    for (int nSignal = 1; nSignal < NSIG; ++nSignal) {
        struct sigaction stAction;
        if (sigaction(nSignal, nullptr, &stAction) == 0 && stAction.sa_handler == SIG_IGN &&
            !(stAction.sa_flags & SA_SIGINFO))
            signal(nSignal, SIG_DFL);
    }
    sigset_t stMasque;
    sigemptyset(&stMasque);
    sigprocmask(SIG_SETMASK, &stMasque, nullptr);
}

// SIGTERM stays pending while the service starts: the threads the runtime creates inherit the
// block, so the signal can only reach the main thread once its handler is in place.
void __BloqueSIGTERM(bool bBloque)
{
    sigset_t stMasque;
    sigemptyset(&stMasque);
    sigaddset(&stMasque, SIGTERM);
    pthread_sigmask(bBloque ? SIG_BLOCK : SIG_UNBLOCK, &stMasque, nullptr);
}

// Closes every descriptor but nGarde (-1: none).
void __FermeDescripteurs(int nGarde)
{
    const int nMax = getdtablesize();
    const auto Ferme = [nMax](int nPremier, int nDernier) {
        if (nPremier > nDernier)
            return;
        if (close_range(static_cast<unsigned>(nPremier), static_cast<unsigned>(nDernier), 0) == 0)
            return;
        for (int fd = nDernier < nMax ? nDernier : nMax - 1; fd >= nPremier; --fd)
            SYS_bClose(fd);
    };
    if (nGarde < 0) {
        Ferme(0, nMax > 0 ? nMax - 1 : 0);
        Ferme(nMax, 0x7FFFFFFF);
        return;
    }
    Ferme(nGarde + 1, 0x7FFFFFFF);
    Ferme(0, nGarde - 1);
}

// Standard streams on /dev/null, file creation mask 022, working directory /tmp/.
void __NettoieEnvironnement(int nGarde)
{
    // The system log's socket is among the descriptors closed: let the C library forget it.
    closelog();
    __FermeDescripteurs(nGarde);
    const int fd = SYS_nOpen("/dev/null", O_RDWR);
    if (fd >= 0) {
        if (SYS_nDup(fd) < 0 || SYS_nDup(fd) < 0) {
            // Standard streams left short: writes to them fail instead of reaching a file.
        }
    }
    umask(022);
    if (chdir("/tmp/") != 0) {
        // Stays where it was started; nothing relies on the directory.
    }
}

// Runs a program with its arguments, no shell; standard output or error on /dev/null.
// True when it ran and ended with 0.
bool __bExecute(const std::vector<const char*>& apszArgs, int fdMuet)
{
    std::vector<char*> apsz;
    for (const char* psz : apszArgs)
        apsz.push_back(const_cast<char*>(psz));
    apsz.push_back(nullptr);
    const pid_t pid = fork();
    if (pid < 0)
        return false;
    if (pid == 0) {
        const int fd = SYS_nOpen("/dev/null", O_WRONLY);
        if (fd >= 0)
            SYS_bDup2(fd, fdMuet);
        execvp(apsz[0], apsz.data());
        _exit(127);
    }
    int nStatut = 0;
    while (waitpid(pid, &nStatut, 0) < 0) {
        if (errno != EINTR)
            return false;
    }
    return WIFEXITED(nStatut) && WEXITSTATUS(nStatut) == 0;
}

// The service's own directory goes to the user, and every directory in it becomes fully
// accessible to its owner. Each name is one argument of its own: blanks and shell characters
// in them are plain characters.
void __DonneRepertoire(const char* pszUser, const char* pszRep)
{
    CTString clProprietaire(pszUser);
    clProprietaire.Add(':');
    // A directory beginning with '-' would be read as an option or an expression.
    CTString clRep(pszRep[0] == '-' ? "./" : "");
    clRep.Add(pszRep);
    __bExecute({"chown", "-R", "--", clProprietaire.pszGet(), clRep.pszGet()}, STDOUT_FILENO);
    __bExecute({"find", clRep.pszGet(), "-type", "d", "-not", "-perm", "-u=rwx", "-exec", "chmod", "u+rwx", "{}",
                ";"},
               STDERR_FILENO);
}

// Tells the service manager, when one waits (NOTIFY_SOCKET), "STATUS=" and what goes before.
void __Notifie(const char* pszAvant, const char* pszStatut, const char* pszNom)
{
    if (!NOTIFY_bActif())
        return;
    CTString clMessage(pszAvant);
    clMessage.AddPrintf("STATUS=%s %s", pszStatut, pszNom != nullptr ? pszNom : "");
    NOTIFY_bEnvoie(clMessage.pszGet());
}

// The main loop, then the stop, on this thread: the SIGTERM handler only ends the wait, and
// the runtime may have ended it itself, leaving its launcher loaded.
void __Attend(CServiceImp* pclService, const char* pszNom)
{
    pclService->MainLoop();
    // From here on a SIGTERM has nothing left to do.
    hMainThread.store(0);
    __Notifie("STOPPING=1\n",
              gbArretDemande.load() != 0 ? "Stopping on SIGTERM: service" : "Stopping, ended by the runtime: service",
              pszNom);
    pclService->Stop();
}

} // namespace

bool bCheminPid(const char* pszNom, char* pszChemin)
{
    pszChemin[0] = '\0';
    if (pszNom == nullptr || std::strchr(pszNom, '/') != nullptr)
        return false;
    const int n = std::snprintf(pszChemin, gnTailleCheminPid, "/var/run/%s.pid", pszNom);
    if (n < 0 || n >= static_cast<int>(gnTailleCheminPid)) {
        pszChemin[0] = '\0';
        return false;
    }
    return true;
}

int ServiceMain(const char* pszNom)
{
    CServiceImp* const pclService = gpclServiceImp;
    if (pclService == nullptr)
        return -1;
    gbArretDemande.store(0);
    // Under a service manager that waits for readiness the process stays its main process: no
    // fork, and a failed start is the process's own exit code.
    const bool bNotifie = NOTIFY_bInit();
    const int nEchec = bNotifie ? -1 : 0;
    __Notifie("", "Starting service", pszNom);
    char szPid[gnTailleCheminPid];
    if (!bCheminPid(pszNom, szPid)) {
        __Log(gszMsgNom);
        __Notifie("", "Failed to start: invalid service name", pszNom);
        return -1;
    }
    if (!pclService->vbVerifieParametres()) {
        __Notifie("", "Failed to start: invalid settings of service", pszNom);
        return -1;
    }
    __RemetSignaux();

    int fdPret = -1; // in the daemon: where it reports to the first process
    bool bNettoie = true;
    if (getppid() != 1 && !bNotifie) {
        int afd[2];
        if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, afd) != 0) {
            __Log(gszMsgFork);
            return -1;
        }
        pid_t pid = fork();
        if (pid < 0) {
            __Log(gszMsgFork);
            SYS_bClose(afd[0]);
            SYS_bClose(afd[1]);
            return -1;
        }
        if (pid > 0) {
            SYS_bClose(afd[1]);
            const int nCode = __nAttendDemon(afd[0], pid);
            SYS_bClose(afd[0]);
            return nCode;
        }
        SYS_bClose(afd[0]);
        fdPret = afd[1];
        setsid();
        struct sigaction stIgnore;
        std::memset(&stIgnore, 0, sizeof(stIgnore));
        stIgnore.sa_handler = SIG_IGN;
        sigemptyset(&stIgnore.sa_mask);
        if (sigaction(SIGHUP, &stIgnore, nullptr) == 0) {
            pid = fork();
            if (pid < 0) {
                __Log(gszMsgFork);
                __Signale(&fdPret, false);
                return -1;
            }
            if (pid > 0)
                _exit(0); // nothing of this process may run again: no destructors, no buffers
        } else {
            bNettoie = false;
        }
    }
    if (bNettoie)
        __NettoieEnvironnement(fdPret);
    __BloqueSIGTERM(true);

    const bool bCoreDump = pclService->vbWithCoreDump() != 0;
    if (bCoreDump)
        AllowCoreDump();

    char szUser[gnTailleUtilisateurService] = "";
    const bool bUser = pclService->vbGetServiceUser(szUser) != 0;
    szUser[sizeof(szUser) - 1] = '\0';
    if (bUser) {
        const bool bChange = bChangeUser(-1, szUser, 0);
        if (bCoreDump)
            AllowCoreDump();
        if (!bChange) {
            __Notifie("", "Failed to start: the service user cannot be taken on by service", pszNom);
            __Signale(&fdPret, false);
            return nEchec;
        }
    }

    if (!pclService->bStart()) {
        __LogMessage(gnMsgServiceNonDemarre);
        __Notifie("", "Failed to start: the runtime did not start service", pszNom);
        __Signale(&fdPret, false);
        return nEchec;
    }
    if (bUser)
        bSetEffectiveIDToRealID();

    int fd = -1;
    const ePIDFILE ePid = PID_eCree(szPid, &fd);
    if (ePid != ePID_OK) {
        // Refused by the lock: another instance runs, and its file is left as it is.
        if (ePid != ePID_VERROU)
            __Log(gszMsgLock);
        __Notifie("",
                  ePid == ePID_VERROU ? "Failed to start: another instance holds the pid file of service"
                                      : "Failed to start: the pid file cannot be written for service",
                  pszNom);
        pclService->Stop();
        __Signale(&fdPret, false);
        return nEchec;
    }
    if (bUser && !bChangeUser(fd, szUser, 1)) {
        // Going on would leave the service running with the start-up identity.
        __Notifie("", "Failed to start: the service user cannot be taken on by service", pszNom);
        pclService->Stop();
        PID_Retire(szPid, fd);
        __Signale(&fdPret, false);
        return nEchec;
    }

    SetTermHandler();
    if (bNotifie) {
        CTString clPret;
        clPret.printf("READY=1\nSTATUS=Running service %s\nMAINPID=%d", pszNom, static_cast<int>(getpid()));
        NOTIFY_bEnvoie(clPret.pszGet());
    }
    __Signale(&fdPret, true);
    __BloqueSIGTERM(false);
    __Attend(pclService, pszNom);
    PID_Retire(szPid, fd);
    __Notifie("", "Stopped service", pszNom);
    return 0;
}

bool bTrouveUtilisateur(const char* pszUser, uid_t* puid, gid_t* pgid)
{
    struct passwd stPasswd;
    struct passwd* pstPasswd = nullptr;
    std::vector<char> abTampon(16384);
    while (getpwnam_r(pszUser, &stPasswd, abTampon.data(), abTampon.size(), &pstPasswd) == ERANGE &&
           abTampon.size() < 1048576)
        abTampon.resize(abTampon.size() * 2);
    if (pstPasswd == nullptr)
        return false;
    if (puid != nullptr)
        *puid = pstPasswd->pw_uid;
    if (pgid != nullptr)
        *pgid = pstPasswd->pw_gid;
    return true;
}

bool bChangeUser(int fd, const char* pszUser, int bPermanent)
{
    uid_t uid = 0;
    gid_t gid = 0;
    if (!bTrouveUtilisateur(pszUser, &uid, &gid)) {
        __LogMessage(gnMsgUtilisateurInconnu, pszUser);
        return false;
    }
    if (fd >= 0 && !SYS_bFchown(fd, uid, gid)) {
        // The file keeps its owner; the service can still run.
    }
    char szRep[gnTailleRepService] = "";
    if ((geteuid() == 0 || getuid() == 0) && gpclServiceImp != nullptr && gpclServiceImp->vbGetOwnDirectory(szRep)) {
        szRep[sizeof(szRep) - 1] = '\0';
        if (szRep[0] != '\0')
            __DonneRepertoire(pszUser, szRep);
    }
    bool bOk;
    if (bPermanent) {
        // Root's supplementary groups must not stay with the service user.
        bOk = (geteuid() != 0 || initgroups(pszUser, gid) == 0) && setregid(gid, gid) == 0 && setreuid(uid, uid) == 0;
    } else {
        bOk = setegid(gid) == 0 && seteuid(uid) == 0;
    }
    if (!bOk) {
        __LogMessage(gnMsgIdentite, pszUser);
        return false;
    }
    return true;
}

bool bSetEffectiveIDToRealID()
{
    const bool bGroupe = setregid(getgid(), getgid()) == 0;
    const bool bUser = setreuid(getuid(), getuid()) == 0;
    return bGroupe && bUser;
}

void AllowCoreDump()
{
    struct rlimit64 stLimite;
    stLimite.rlim_cur = RLIM64_INFINITY;
    stLimite.rlim_max = RLIM64_INFINITY;
    if (setrlimit64(RLIMIT_CORE, &stLimite) != 0) {
        __LogMessage(gnMsgCoreDump);
        return;
    }
    // A change of identity makes the process undumpable whatever the limit.
    prctl(PR_SET_DUMPABLE, 1, 0, 0, 0);
}

void SetTermHandler()
{
    hMainThread.store(pthread_self());
    signal(SIGTERM, TermHandler);
}

void TermHandler(int)
{
    // Only async-signal-safe work here: the stop itself (ending the runtime's service, joining
    // its threads, unloading it) runs on the main thread once its wait has ended.
    const int nErrno = errno;
    pthread_t hAttendu = hMainThread.load();
    if (hAttendu != 0 && hMainThread.compare_exchange_strong(hAttendu, 0)) {
        gbArretDemande.store(1);
        if (gpclServerMain != nullptr)
            gpclServerMain->SignalStopMainLoop();
    }
    errno = nErrno;
}

void RunDebugMode()
{
    CServiceImp* const pclService = gpclServiceImp;
    if (pclService == nullptr)
        return;
    __BloqueSIGTERM(true);
    if (!pclService->bStart()) {
        __BloqueSIGTERM(false);
        return;
    }
    SetTermHandler();
    __BloqueSIGTERM(false);
    __Attend(pclService, nullptr);
}

void Term()
{
    delete gpclServerMain;
    gpclServerMain = nullptr;
    gpclServiceImp = nullptr;
}
