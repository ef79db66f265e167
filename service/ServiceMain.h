// Daemon start-up and supervision: detaching, identity, pid file, SIGTERM and the main loop.
#pragma once

#include <pthread.h>
#include <sys/types.h>

#include <atomic>

class CServerMain;
class CServiceImp;

// The one daemon object, seen as the server and through its service interface; both null
// unless daemon mode was chosen, both always the same object. Owned through these pointers.
extern CServerMain* gpclServerMain;
extern CServiceImp* gpclServiceImp;
// The thread that installed the SIGTERM handler; 0 once the handler has acted or the main
// loop has ended (a later SIGTERM then does nothing).
extern std::atomic<pthread_t> hMainThread;
// 1 once SIGTERM has asked for the stop.
extern std::atomic<int> gbArretDemande;

// Room of the pid file path, "/var/run/NAME.pid" and its NUL.
constexpr unsigned gnTailleCheminPid = 261;
// How long the first process waits for the daemon to report that it runs, in milliseconds.
constexpr int gnAttenteDemonMs = 60000;

// The whole life of the daemon for the service name (gpclServiceImp must be set). Returns the
// exit code of the calling process: in the first process, 0 once the daemon has written its
// pid file and -1 when its start failed (or was not reported in time); in the daemon, 0
// after its end (failures are in the log). A name that cannot make a pid file path (too
// long, or holding a '/') or settings the service refuses (vbVerifieParametres) are logged
// and give -1 before anything starts.
// With NOTIFY_SOCKET set the process does not fork (as under process 1): it stays the
// service manager's main process, tells it "READY=1" once the pid file is written, "STOPPING=1"
// when the stop begins and "STATUS=" lines on the way (NotifySystemd.h), and returns -1 when
// the start fails.
int ServiceMain(const char* pszNom);

// Takes on the identity of the user: permanently (real, effective and saved identifiers,
// supplementary groups) or for the effective identifiers only. fd (-1 for none) changes
// owner; as root, the service's own directory is handed over to the user. Failures are logged.
bool bChangeUser(int fd, const char* pszUser, int bPermanent);

// The user's identifiers from the password database (a long entry is read whole); false when
// the user does not exist. Either pointer may be null.
bool bTrouveUtilisateur(const char* pszUser, uid_t* puid, gid_t* pgid);
// Group, then user, effective identifiers back to the real ones.
bool bSetEffectiveIDToRealID();
// Lifts the core-file size limit and keeps the process dumpable; failure is logged.
void AllowCoreDump();
// Records the calling thread as the one that acts on SIGTERM and installs TermHandler.
void SetTermHandler();
// SIGTERM, once: records the request (gbArretDemande) and ends the main loop's wait with an
// async-signal-safe semaphore post; the main thread then stops the service. On any thread.
void TermHandler(int nSignal);
// Runs the service in the foreground: no fork, no pid file, no identity change. Returns when
// the service has been stopped (SIGTERM or the runtime's end of service).
void RunDebugMode();
// Destroys the daemon object, when there is one, and clears both pointers.
void Term();

// Builds "/var/run/NAME.pid" in pszChemin (gnTailleCheminPid bytes); false when the name holds
// a '/' or the path does not fit.
bool bCheminPid(const char* pszNom, char* pszChemin);
