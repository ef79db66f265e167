// PidFile: the daemon's pid file, created or taken over, locked for the life of the service.
#include "service/PidFile.h"

#include "base/system/AppelsSysteme.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

ePIDFILE PID_eCree(const char* pszChemin, int* pfd)
{
    *pfd = -1;
    const int fd = SYS_nOpen(pszChemin, O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return ePID_OUVERTURE;
    if (!SYS_bLockf(fd, F_TLOCK, 0, pszChemin)) {
        const int nErr = errno;
        SYS_bClose(fd, pszChemin);
        errno = nErr;
        return ePID_VERROU;
    }
    if (!PID_bEcrit(fd, pszChemin)) {
        const int nErr = errno;
        PID_Retire(pszChemin, fd);
        errno = nErr;
        return ePID_ECRITURE;
    }
    *pfd = fd;
    return ePID_OK;
}

bool PID_bEcrit(int fd, const char* pszChemin)
{
    char szPid[16];
    const int n = std::snprintf(szPid, sizeof(szPid), "%d\n", static_cast<int>(getpid()));
    if (n <= 0 || n >= static_cast<int>(sizeof(szPid))) {
        errno = EOVERFLOW;
        return false;
    }
    // A file created by an older start may be more open than the daemon's own mode; a failure
    // here is no reason to refuse the start.
    SYS_bFchmod(fd, 0644, pszChemin);
    return SYS_bPwriteAll(fd, szPid, static_cast<size_t>(n), 0, nullptr, pszChemin) &&
           SYS_bTruncate(fd, n, pszChemin);
}

void PID_Retire(const char* pszChemin, int fd)
{
    if (!SYS_bUnlink(pszChemin)) {
        if (!SYS_bTruncate(fd, 0, pszChemin)) {
            // Nothing more can be done; the lock still goes with the descriptor.
        }
    }
    SYS_bClose(fd, pszChemin);
}
