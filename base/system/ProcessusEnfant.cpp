// A function run in a child process under a time limit, its messages and its output collected: a faulty library it loads cannot take the caller down.
#include "base/system/ProcessusEnfant.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

#include "base/system/AppelsSysteme.h"

namespace {

long long __nMaintenantMs()
{
    struct timespec st;
    clock_gettime(CLOCK_MONOTONIC, &st);
    return static_cast<long long>(st.tv_sec) * 1000 + st.tv_nsec / 1000000;
}

void __Ferme(int& nFd)
{
    if (nFd >= 0)
        SYS_bClose(nFd);
    nFd = -1;
}

// Reads what is there; false at the end of the stream or on an error (the descriptor is closed).
void __Lit(int& nFd, std::string& s, size_t nMax, bool& bTronque)
{
    char ab[4096];
    const ssize_t n = SYS_nReadSome(nFd, ab, sizeof(ab));
    if (n < 0 && errno == EAGAIN)
        return;
    if (n <= 0) {
        __Ferme(nFd);
        return;
    }
    const size_t nPlace = s.size() < nMax ? nMax - s.size() : 0;
    s.append(ab, static_cast<size_t>(n) < nPlace ? static_cast<size_t>(n) : nPlace);
    if (static_cast<size_t>(n) > nPlace)
        bTronque = true;
}

// In the child: never returns.
[[noreturn]] void __Enfant(PFNENFANT pfn, void* pContexte, int nFdCanal, int nFdSortie)
{
    setpgid(0, 0);
    const int nFdNul = SYS_nOpen("/dev/null", O_RDONLY);
    if (nFdNul >= 0) {
        SYS_bDup2(nFdNul, STDIN_FILENO);
        if (nFdNul != STDIN_FILENO)
            SYS_bClose(nFdNul);
    }
    SYS_bDup2(nFdSortie, STDOUT_FILENO);
    SYS_bDup2(nFdSortie, STDERR_FILENO);
    if (nFdSortie != STDOUT_FILENO && nFdSortie != STDERR_FILENO)
        SYS_bClose(nFdSortie);
    _exit(pfn(pContexte, nFdCanal));
}

}  // namespace

bool bExecuteEnfant(PFNENFANT pfn, void* pContexte, unsigned nDelaiMs, size_t nMaxCanal, size_t nMaxSortie,
                    _stRESULTATENFANT* pstResultat)
{
    if (!pfn || !pstResultat) {
        errno = EINVAL;
        return false;
    }
    *pstResultat = _stRESULTATENFANT();
    int anCanal[2], anSortie[2];
    if (pipe2(anCanal, O_CLOEXEC) != 0)
        return false;
    if (pipe2(anSortie, O_CLOEXEC) != 0) {
        const int nErrno = errno;
        SYS_bClose(anCanal[0]);
        SYS_bClose(anCanal[1]);
        errno = nErrno;
        return false;
    }
    const pid_t nPid = fork();
    if (nPid < 0) {
        const int nErrno = errno;
        for (int n : {anCanal[0], anCanal[1], anSortie[0], anSortie[1]})
            SYS_bClose(n);
        errno = nErrno;
        return false;
    }
    if (nPid == 0) {
        SYS_bClose(anCanal[0]);
        SYS_bClose(anSortie[0]);
        __Enfant(pfn, pContexte, anCanal[1], anSortie[1]);
    }
    // Both sides set the group, so that it exists before the parent may have to kill it.
    setpgid(nPid, nPid);
    SYS_bClose(anCanal[1]);
    SYS_bClose(anSortie[1]);
    int nFdCanal = anCanal[0], nFdSortie = anSortie[0];
    const long long nLimite = __nMaintenantMs() + nDelaiMs;
    bool bFini = false;
    siginfo_t stInfo;
    for (;;) {
        // Ended (kept as a zombie, so that its pid and group id cannot be reused meanwhile)?
        stInfo.si_pid = 0;
        if (!bFini && waitid(P_PID, static_cast<id_t>(nPid), &stInfo, WEXITED | WNOHANG | WNOWAIT) == 0 &&
            stInfo.si_pid == nPid)
            bFini = true;
        if (bFini && nFdCanal < 0 && nFdSortie < 0)
            break;
        const long long nReste = nLimite - __nMaintenantMs();
        if (nReste <= 0) {
            pstResultat->bDelaiDepasse = !bFini;
            break;
        }
        struct pollfd astFd[2] = {{nFdCanal, POLLIN, 0}, {nFdSortie, POLLIN, 0}};
        // Once the child has ended, what its group still holds open gets a short grace only.
        const int nAttente = static_cast<int>(nReste < 50 ? nReste : 50);
        const int n = poll(astFd, 2, nAttente);
        if (n < 0 && errno != EINTR)
            break;
        if (n > 0) {
            if (nFdCanal >= 0 && (astFd[0].revents & (POLLIN | POLLHUP | POLLERR)))
                __Lit(nFdCanal, pstResultat->sCanal, nMaxCanal, pstResultat->bCanalTronque);
            if (nFdSortie >= 0 && (astFd[1].revents & (POLLIN | POLLHUP | POLLERR)))
                __Lit(nFdSortie, pstResultat->sSortie, nMaxSortie, pstResultat->bSortieTronquee);
        } else if (bFini) {
            break;  // ended, and nothing more came for a while: what is left is its group's
        }
    }
    // The group goes, the child itself included when the limit ran out; then it is reaped.
    kill(-nPid, SIGKILL);
    if (!bFini)
        kill(nPid, SIGKILL);
    __Ferme(nFdCanal);
    __Ferme(nFdSortie);
    int nStatus = 0;
    while (waitpid(nPid, &nStatus, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(nStatus)) {
        pstResultat->bSortie = true;
        pstResultat->nCode = WEXITSTATUS(nStatus);
    } else if (WIFSIGNALED(nStatus)) {
        pstResultat->nSignal = WTERMSIG(nStatus);
    }
    return true;
}
