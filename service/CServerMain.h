// CServerMain: the server object of daemon mode, owning the logger, the semaphore and the running launcher.
#pragma once

#include "base/system/CZVSem.h"
#include "service/CLogger.h"
#include "service/CServiceImp.h"

class CZVExeService;

// One per process, created by main in daemon mode. bStart, Stop and MainLoop run on the main
// thread; StopMainLoop may come from any thread, SignalStopMainLoop from a signal handler.
class CServerMain : public CServiceImp {
public:
    CServerMain();
    // Destroys the semaphore, then the logger. A launcher still running is ended first.
    virtual ~CServerMain();

    // Waits on the semaphore; a signal does not end the wait.
    void MainLoop() override;
    ILogger* pclGetLogger() override;
    // Builds the service launcher on the process's command line, initialises it and starts
    // the project; false (and no launcher) when the initialisation fails or the runtime does
    // not start the project.
    int bStart() override;
    // Ends the service and the launcher when one runs, then posts the semaphore in any case.
    void Stop() override;
    int vbLogStartOK() override;
    // Section [SERVICE] of the execution parameters (the executable's path with ".ZX"): USER,
    // the service user; DIRECTORY, the service's own directory (absolute); COREDUMP, 0 or 1.
    // A key that is absent or empty keeps the default (no user, no directory, no core dumps).
    int vbWithCoreDump() override;
    int vbGetServiceUser(char* pszUser) override;
    int vbGetOwnDirectory(char* pszDirectory) override;
    // False, after logging the key, the value, the file and the fault, when a key of [SERVICE]
    // is unusable: unknown user, relative directory, a value too long for its buffer,
    // COREDUMP neither 0 nor 1.
    int vbVerifieParametres() override;

    // Ends the main loop (posts the semaphore); may be called from any thread.
    void StopMainLoop();
    // The same from a signal handler: sem_post alone, which is async-signal-safe.
    void SignalStopMainLoop();

    CLogger* pclGetCLogger() { return &m_clLogger; }
    // Stop requests not yet taken by the main loop (the semaphore's count).
    int nArretsEnAttente();
    bool bLanceurActif() const { return m_pclLanceur != nullptr; }

protected:
    // Reads [SERVICE] from the parameter file of the executable at pszExe (tests name another
    // one); done once, on the first use of the settings, from the running executable's path.
    void LitParametres(const char* pszExe);

private:
    bool __bParametresLus();

    CZVExeService* m_pclLanceur; // owned, null when none
    CLogger m_clLogger;
    CZVSem m_clSem;

    // [SERVICE] as read; values that do not fit are kept cut, and m_bValide is false.
    bool m_bLus = false;
    bool m_bValide = true;
    bool m_bCoreDump = false;
    char m_szUser[gnTailleUtilisateurService] = "";
    char m_szRep[gnTailleRepService] = "";
};

// End-of-service callback handed to the runtime: code 0 ends the main loop of the process-wide
// service object; any other code does nothing. Called on a runtime thread.
void StopMyService(int nCode);
