// Processes and signals: child creation with a one-second wait, polling waits, termination, the process id.
#include "base/system/Process.h"

#include <cctype>
#include <csignal>
#include <cstring>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// Installs the do-nothing handler when SIGALRM would otherwise end the process (default
// action) or never wake a waiter (ignored). A handler of the caller's is kept.
void _AssureAlarmHandler()
{
    struct sigaction stActuel;
    if (sigaction(SIGALRM, nullptr, &stActuel) != 0)
        return;
    if ((stActuel.sa_flags & SA_SIGINFO) == 0 &&
        (stActuel.sa_handler == SIG_DFL || stActuel.sa_handler == SIG_IGN))
        InitAlarmHandler(nullptr);
}

// Sleeps until SIGALRM, one second from now. SIGALRM is blocked while the alarm is armed and
// unblocked atomically by sigsuspend, so an alarm that fires early cannot be lost (pause()
// would then wait for ever).
void _AttendUneSeconde()
{
    sigset_t stBloque;
    sigset_t stAncien;
    sigemptyset(&stBloque);
    sigaddset(&stBloque, SIGALRM);
    sigprocmask(SIG_BLOCK, &stBloque, &stAncien);
    alarm(1);
    sigset_t stAttente = stAncien;
    sigdelset(&stAttente, SIGALRM);
    sigsuspend(&stAttente);
    alarm(0);
    sigprocmask(SIG_SETMASK, &stAncien, nullptr);
}

// Exit code of a wait status: the code given to exit, or 128 + the signal that ended it.
int _nCodeSortie(int nStatus)
{
    if (WIFSIGNALED(nStatus))
        return 128 + WTERMSIG(nStatus);
    return WEXITSTATUS(nStatus);
}

} // namespace

std::size_t nDecoupeLigneCommande(const char* pszLigne, std::vector<std::string>* pvArguments)
{
    pvArguments->clear();
    if (!pszLigne)
        return 0;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(pszLigne);
    while (*p) {
        while (*p && std::isspace(*p))
            ++p;
        if (!*p)
            break;
        std::string sJeton;
        bool bEntreGuillemets = false;
        const unsigned char* pDebut = p;
        for (; *p; ++p) {
            const bool bGuillemet = *p == '"' && (p == pDebut || p[-1] != '\\');
            if (bGuillemet) {
                // Opens or closes a quoted part; the quote itself is not part of the token.
                bEntreGuillemets = !bEntreGuillemets;
                continue;
            }
            if (!bEntreGuillemets && std::isspace(*p))
                break;
            sJeton += static_cast<char>(*p);
        }
        while (!sJeton.empty() && std::isspace(static_cast<unsigned char>(sJeton.back())))
            sJeton.pop_back();
        if (!sJeton.empty())
            pvArguments->push_back(sJeton);
    }
    return pvArguments->size();
}

bool CreateProcess(const char* pszApplication, const char* pszCommandLine, pid_t* pnPid, int* pbStillRunning,
                   int* pnExitCode)
{
    if (pbStillRunning)
        *pbStillRunning = 0;
    if (pnExitCode)
        *pnExitCode = 255;

    // Everything the child needs is prepared here: between fork and execve only
    // async-signal-safe calls may run, since other threads may hold the allocator's locks.
    std::vector<std::string> vJetons;
    nDecoupeLigneCommande(pszCommandLine, &vJetons);
    std::vector<std::string> vArguments;
    if (pszApplication)
        vArguments.push_back(pszApplication);
    else if (vJetons.empty())
        vArguments.push_back(pszCommandLine ? pszCommandLine : "");
    vArguments.insert(vArguments.end(), vJetons.begin(), vJetons.end());
    std::vector<char*> vpszArguments;
    for (std::string& s : vArguments)
        vpszArguments.push_back(&s[0]);
    vpszArguments.push_back(nullptr);
    _AssureAlarmHandler();

    const pid_t nPid = fork();
    if (nPid < 0)
        return false;
    if (nPid == 0) {
        execve(vpszArguments[0], vpszArguments.data(), environ);
        _exit(255);
    }

    if (pnPid)
        *pnPid = nPid;
    int nCode = 0;
    const pid_t nResultat = WaitPid(nPid, 1000, &nCode);
    if (nResultat == nPid) {
        if (pnExitCode)
            *pnExitCode = nCode;
        return nCode != 255;
    }
    if (nResultat == 0) {
        if (pbStillRunning)
            *pbStillRunning = 1;
        if (pnExitCode)
            *pnExitCode = 0;
        return true;
    }
    return false;
}

pid_t WaitPid(pid_t nPid, unsigned nTimeoutMs, int* pnStatus)
{
    int nStatus = 0;
    pid_t nResultat = waitpid(nPid, &nStatus, WNOHANG);
    if (nResultat == 0 && nTimeoutMs != 0) {
        _AssureAlarmHandler();
        unsigned long nAttendu = 0;
        while (nResultat == 0 && nAttendu < nTimeoutMs) {
            _AttendUneSeconde();
            nAttendu += 1000;
            nResultat = waitpid(nPid, &nStatus, WNOHANG);
        }
    }
    if (nResultat > 0 && pnStatus)
        *pnStatus = _nCodeSortie(nStatus);
    return nResultat;
}

void DefaultAlarmHandler(int /*nSignal*/) {}

void InitAlarmHandler(void (*pfnHandler)(int))
{
    // sa_flags without SA_RESTART: the alarm interrupts blocking system calls.
    struct sigaction stAction;
    std::memset(&stAction, 0, sizeof stAction);
    stAction.sa_handler = pfnHandler ? pfnHandler : DefaultAlarmHandler;
    sigemptyset(&stAction.sa_mask);
    stAction.sa_flags = 0;
    sigaction(SIGALRM, &stAction, nullptr);
}

bool TerminateProcess(pid_t nPid, unsigned /*nExitCode*/)
{
    if (nPid <= 0)
        return false;
    return kill(nPid, SIGTERM) == 0;
}

unsigned long GetCurrentProcessId()
{
    return static_cast<unsigned long>(getpid());
}
