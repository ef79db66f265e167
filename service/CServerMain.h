// CServerMain: the server object of daemon mode, owning the logger, the semaphore and the running launcher.
#pragma once

#include "base/system/CZVSem.h"
#include "service/CLogger.h"
#include "service/CServiceImp.h"

class CZVExeService;

// One per process, created by main in daemon mode. bStart, Stop and MainLoop run on the main
// thread (Stop also from the SIGTERM handler, which runs on that thread); StopMainLoop may
// come from any thread.
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

    // Ends the main loop (posts the semaphore); may be called from any thread.
    void StopMainLoop();

    CLogger* pclGetCLogger() { return &m_clLogger; }
    // Stop requests not yet taken by the main loop (the semaphore's count).
    int nArretsEnAttente();
    bool bLanceurActif() const { return m_pclLanceur != nullptr; }

private:
    CZVExeService* m_pclLanceur; // owned, null when none
    CLogger m_clLogger;
    CZVSem m_clSem;
};

// End-of-service callback handed to the runtime: code 0 ends the main loop of the process-wide
// service object; any other code does nothing. Called on a runtime thread.
void StopMyService(int nCode);
