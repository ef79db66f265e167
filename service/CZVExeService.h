// CZVExeService: the launcher object adapted to service mode, running the project through the runtime's service entry.
#pragma once

#include "launcher/CZVExe.h"

class ILogger;

// Start and stop order: bInit, bRunService, then bStopService and bTerm, then destruction.
// The logger is not owned and must outlive the object. In service mode the object also
// receives the runtime's error reports (they go to the log) for as long as it exists.
class CZVExeService : public CZVExe {
public:
    CZVExeService(int bService, HINSTANCE__* hInstance, HINSTANCE__* hPrevInstance, const char* pszCmdLine,
                  ILogger* pclLogger);
    ~CZVExeService() override;

    // With the service flag set: the text goes to the log at priority 2, as a text. Otherwise
    // the launcher's error display.
    void _vAfficheErreur(const char* pszMessage) const override;

    // Hands the logger to the runtime, then starts the project on the runtime's service entry
    // with StopMyService as the end-of-service callback. The runtime's result.
    bool bRunService();
    // Asks the runtime to end the service (nothing when its entry is not bound).
    bool bStopService();

private:
    int32_t m_bService;
    ILogger* m_pclLogger; // not owned
};
