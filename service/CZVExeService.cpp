// CZVExeService: the launcher object adapted to service mode, running the project through the runtime's service entry.
#include "service/CZVExeService.h"

#include "launcher/RuntimeEntry.h"
#include "service/CServerMain.h"
#include "contract/ILogger.h"

CZVExeService::CZVExeService(int bService, HINSTANCE__* hInstance, HINSTANCE__* hPrevInstance,
                             const char* pszCmdLine, ILogger* pclLogger)
    : CZVExe(hInstance, hPrevInstance, pszCmdLine), m_bService(bService), m_pclLogger(pclLogger)
{
    // A daemon's standard error leads nowhere: the runtime's reports go to the log as well.
    if (m_bService != 0 && m_pclLogger != nullptr)
        s_SetAfficheurErreurVM(this);
}

CZVExeService::~CZVExeService()
{
    if (m_bService != 0 && m_pclLogger != nullptr)
        s_SetAfficheurErreurVM(nullptr);
}

void CZVExeService::_vAfficheErreur(const char* pszMessage) const
{
    if (m_bService == 0 || m_pclLogger == nullptr) {
        CZVExe::_vAfficheErreur(pszMessage);
        return;
    }
    m_pclLogger->AddLog(ePRIORITY_CRIT, "%s", pszMessage != nullptr ? pszMessage : "");
}

bool CZVExeService::bRunService()
{
    SetLogger(m_pclLogger);
    return ::bRunService(stGetInfoExe().szNomProjet, pszGetCmdLine(), &StopMyService);
}

bool CZVExeService::bStopService()
{
    return bTermService();
}
