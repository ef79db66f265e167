// PidFile: the daemon's pid file, created or taken over, locked for the life of the service.
#pragma once

// The file holds the daemon's identifier in decimal and a line feed ("PID\n"), mode 0644
// (start-stop-daemon refuses a pid file that others may write). The lock (lockf on the whole
// file) is held by the descriptor PID_eCree hands back and goes with it: while the daemon runs,
// a second instance is refused and leaves the file as it found it.

enum ePIDFILE {
    ePID_OK,        // created or taken over, locked and written
    ePID_OUVERTURE, // the file cannot be opened or created
    ePID_VERROU,    // another process holds the lock: the file is left exactly as it was
    ePID_ECRITURE,  // locked but the identifier could not be written: the file is removed again
};

// Opens (creating it when missing) and locks pszChemin, then writes the calling process's
// identifier. *pfd gets the descriptor on success, -1 otherwise. Failures keep errno and are
// recorded by the system-call layer.
ePIDFILE PID_eCree(const char* pszChemin, int* pfd);

// Writes "PID\n" over the file open on fd. The new text goes first, then the file is cut to
// it: a reader never finds it empty, and one that reads the first line reads the new
// identifier even before the cut. False when either step fails.
bool PID_bEcrit(int fd, const char* pszChemin);

// Removes the pid file of this instance (fd holds its lock), then closes fd. When the directory
// refuses the removal (the service now runs as another user), the file is emptied so that no
// stale identifier stays in it.
void PID_Retire(const char* pszChemin, int fd);
