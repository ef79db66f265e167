// CServerMain: the server object of daemon mode, owning the logger, the semaphore and the running launcher.
#include "service/CServerMain.h"

#include <new>

#include "launcher/CmdLine.h"
#include "service/CZVExeService.h"
#include "service/ServiceMain.h"

CServerMain::CServerMain() : m_pclLanceur(nullptr), m_clLogger(), m_clSem(0, 1)
{
}

CServerMain::~CServerMain()
{
    // A launcher that outlived its main loop would otherwise leave the runtime loaded and its
    // service thread unjoined until the process ends.
    if (m_pclLanceur != nullptr) {
        m_pclLanceur->bStopService();
        m_pclLanceur->bTerm();
        delete m_pclLanceur;
        m_pclLanceur = nullptr;
    }
}

void CServerMain::MainLoop()
{
    m_clSem.Wait();
}

ILogger* CServerMain::pclGetLogger()
{
    return &m_clLogger;
}

int CServerMain::bStart()
{
    int nExit = 0;
    m_pclLanceur = new (std::nothrow) CZVExeService(1, nullptr, nullptr, GetCommandLine(), &m_clLogger);
    if (m_pclLanceur == nullptr)
        return 0;
    if (!m_pclLanceur->bInit(&nExit)) {
        delete m_pclLanceur;
        m_pclLanceur = nullptr;
        return 0;
    }
    // A runtime that refuses to start the project has not started the service: the daemon
    // must not wait for a service that does not run.
    if (!m_pclLanceur->bRunService()) {
        m_pclLanceur->bTerm();
        delete m_pclLanceur;
        m_pclLanceur = nullptr;
        return 0;
    }
    return 1;
}

void CServerMain::Stop()
{
    if (m_pclLanceur != nullptr) {
        m_pclLanceur->bStopService();
        m_pclLanceur->bTerm();
        delete m_pclLanceur;
        m_pclLanceur = nullptr;
    }
    m_clSem.Post();
}

int CServerMain::vbLogStartOK()
{
    return 0;
}

void CServerMain::StopMainLoop()
{
    m_clSem.Post();
}

int CServerMain::nArretsEnAttente()
{
    int n = 0;
    return m_clSem.GetValue(&n) == eZVSEM_OK ? n : 0;
}

void StopMyService(int nCode)
{
    if (nCode == 0 && gpclServerMain != nullptr)
        gpclServerMain->StopMainLoop();
}
