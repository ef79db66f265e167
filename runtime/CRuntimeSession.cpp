// CRuntimeSession: what the launcher has told the runtime, and the runs it asked for.
#include "runtime/CRuntimeSession.h"

#include <cstring>
#include <new>

#include "base/containers/CSimpleBuffer.h"
#include "base/errors/CXError.h"
#include "base/strings/StrCompare.h"
#include "runtime/CRuntimeProxy.h"
#include "runtime/CScriptRunner.h"
#include "runtime/ScriptPath.h"
#include "contract/ILogger.h"

namespace {

const char kszModule[] = "zv150vm.so";

// Reports a refusal of the runtime itself (not of a script line).
void SignaleRefus(const char* pszTexte)
{
    CXError clErreur;
    clErreur.InitInternalModName(kszModule);
    clErreur.InitModName(kszModule);
    clErreur.SetErrorLevel(EL_USERERROR);
    clErreur.AddUserMessage(pszTexte);
    CRuntimeProxy::s_pclGet()->SignaleErreur(clErreur);
}

} // namespace

CRuntimeSession* CRuntimeSession::s_pclGet()
{
    static CRuntimeSession s_cl;
    return &s_cl;
}

CRuntimeSession::CRuntimeSession()
    : m_hLibrary(nullptr), m_oPosition(0), m_pfnFinInit(nullptr), m_pContexteFinInit(nullptr),
      m_pContexteRequete(nullptr), m_nVersionActive(0), m_nModeExecution(0), m_nHistoConnexion(0),
      m_nLogger(0), m_bTermine(false), m_stService(), m_bServiceLance(false), m_pclServiceRunner(nullptr),
      m_pfnStop(nullptr)
{
}

// Runs when the library is unloaded: its code must not go on running on the service thread.
CRuntimeSession::~CRuntimeSession()
{
    bTermService();
}

void CRuntimeSession::_Oublie()
{
    bTermService();
    m_clZVL.Vide();
    m_oPosition = 0;
    m_clRepDonnees.Vide();
    m_clKRV1.Vide();
    m_clKRV2.Vide();
    m_pfnFinInit = nullptr;
    m_pContexteFinInit = nullptr;
    m_pContexteRequete = nullptr;
    m_nVersionActive = 0;
    m_nModeExecution = 0;
    m_nHistoConnexion = 0;
    m_nLogger = 0;
    m_bTermine = false;
}

void CRuntimeSession::Initialise(void* hLibrary)
{
    _Oublie();
    CRuntimeProxy::s_pclGet()->Reset();
    m_hLibrary = hLibrary;
}

void CRuntimeSession::Termine()
{
    bTermService();
    m_hLibrary = nullptr;
}

bool CRuntimeSession::bDonneZVL(const char* pszNom, long long oPosition)
{
    CTString clChemin;
    if (!RT_bCheminScript(pszNom, &clChemin) || !RT_bScriptLisible(clChemin.pszGet(), oPosition)) {
        m_clZVL.Vide();
        m_oPosition = 0;
        return false;
    }
    m_clZVL = clChemin;
    m_oPosition = oPosition;
    return true;
}

void CRuntimeSession::DonneKRV(const char* pszPremier, const char* pszSecond)
{
    m_clKRV1.Set(pszPremier);
    m_clKRV2.Set(pszSecond);
}

void CRuntimeSession::DonneFinInit(PFN_FININIT pfnCallBack, void* pContext)
{
    m_pfnFinInit = pfnCallBack;
    m_pContexteFinInit = pContext;
}

int CRuntimeSession::nSetParam(int nCode, intptr_t nValeur)
{
    switch (nCode) {
    case eSETPARAM_VERSIONACTIVE:
        m_nVersionActive = static_cast<int>(nValeur);
        return 1;
    case eSETPARAM_TERMVM:
        bTermService();
        m_bTermine = true;
        return 1;
    case eSETPARAM_MODEEXECUTION:
        m_nModeExecution = static_cast<int>(nValeur);
        return 0;
    case eSETPARAM_HISTOCONNEXION:
        m_nHistoConnexion = static_cast<int>(nValeur);
        return 0;
    case eSETPARAM_LOGGER:
        m_nLogger = nValeur;
        return 0;
    default:
        return 0;
    }
}

bool CRuntimeSession::bRunExec(unsigned int nMode, const char* pszProjet, const char* pszCmdLine, int* pnRetour)
{
    if (m_bTermine) {
        SignaleRefus("zv150vm.so: the runtime has been ended; no project can run any more.");
        return false;
    }
    if (nMode != static_cast<unsigned int>(gnModeVMNormal)) {
        CTString clTexte;
        clTexte.printf("zv150vm.so: execution mode %u is not supported; projects run in mode 5.", nMode);
        SignaleRefus(clTexte.pszGet());
        return false;
    }
    if (m_clZVL.bEstVide()) {
        SignaleRefus("zv150vm.so: no application library was accepted; the project cannot run.");
        return false;
    }
    CScriptRunner clRunner(m_clZVL.pszGet(), m_oPosition, pszProjet, pszCmdLine, m_clRepDonnees.pszGet(),
                           m_nVersionActive, 0, nullptr, reinterpret_cast<ILogger*>(m_nLogger));
    return clRunner.bRun(pnRetour);
}

bool CRuntimeSession::bRunService(const char* pszProjet, const char* pszCmdLine, PFN_STOPSERVICE pfnStop)
{
    if (m_bTermine || m_bServiceLance || m_clZVL.bEstVide())
        return false;
    m_pclServiceRunner = new (std::nothrow) CScriptRunner(m_clZVL.pszGet(), m_oPosition, pszProjet, pszCmdLine,
                                                         m_clRepDonnees.pszGet(), m_nVersionActive, 1, &m_clStop,
                                                         reinterpret_cast<ILogger*>(m_nLogger), pfnStop);
    if (m_pclServiceRunner == nullptr)
        return false;
    m_pfnStop = pfnStop;
    m_clStop.Reset();
    m_clProjetService.Set(pszProjet);
    if (pthread_create(&m_stService, nullptr, s_pServiceThread, this) != 0) {
        delete m_pclServiceRunner;
        m_pclServiceRunner = nullptr;
        return false;
    }
    m_bServiceLance = true;
    return true;
}

void* CRuntimeSession::s_pServiceThread(void* pSession)
{
    CRuntimeSession* pcl = static_cast<CRuntimeSession*>(pSession);
    int nRetour = 0;
    // Logged here rather than by the starting call, so that it comes before any line the script logs.
    if (ILogger* pclLogger = reinterpret_cast<ILogger*>(pcl->m_nLogger))
        pclLogger->AddLog(ePRIORITY_INFO, "zv150vm.so: the service of project %s has started",
                          pcl->m_clProjetService.pszGet());
    pcl->m_pclServiceRunner->bRun(&nRetour);
    // The end is reported only when the service ended by itself, not when it was told to
    // stop: the launcher is then already tearing the service down.
    if (!pcl->m_clStop.bRequested() && pcl->m_pfnStop != nullptr)
        pcl->m_pfnStop(0);
    return nullptr;
}

bool CRuntimeSession::bTermService()
{
    if (!m_bServiceLance)
        return false;
    m_clStop.Request();
    pthread_join(m_stService, nullptr);
    m_bServiceLance = false;
    delete m_pclServiceRunner;
    m_pclServiceRunner = nullptr;
    m_pfnStop = nullptr;
    if (ILogger* pclLogger = reinterpret_cast<ILogger*>(m_nLogger))
        pclLogger->AddLog(ePRIORITY_INFO, "zv150vm.so: the service of project %s has stopped", m_clProjetService.pszGet());
    return true;
}

bool CRuntimeSession::bTest(int nMode, const char* pszTexte) const
{
    return !m_bTermine && nMode == gnModeVMNormal && pszTexte != nullptr && !m_clZVL.bEstVide() &&
           RT_bScriptLisible(m_clZVL.pszGet(), m_oPosition);
}

bool CRuntimeSession::bListeDLL(CSimpleBuffer* pclBuffer, const char* pszTexte) const
{
    // The only library of the family that this runtime provides is itself. A text names
    // the library asked about (letter case ignored); null or empty asks for all.
    if (pszTexte != nullptr && *pszTexte != '\0' && STR_nUpCompare(pszTexte, kszModule) != 0)
        return false;
    return pclBuffer == nullptr || s_bRemplitListe(pclBuffer, kszModule);
}

bool CRuntimeSession::bListeZVL(CSimpleBuffer* pclBuffer, const char*) const
{
    if (m_clZVL.bEstVide())
        return false;
    return pclBuffer == nullptr || s_bRemplitListe(pclBuffer, m_clZVL.pszGet());
}

bool CRuntimeSession::s_bRemplitListe(CSimpleBuffer* pclBuffer, const char* pszNom)
{
    // The buffer belongs to the caller's module: it is sized through its own virtual SetSize,
    // so that its block is allocated by the code that will free it.
    const size_t nTaille = std::strlen(pszNom) + 2;
    if (!pclBuffer->SetSize(static_cast<unsigned>(nTaille)) || pclBuffer->pGetData() == nullptr)
        return false;
    char* p = static_cast<char*>(pclBuffer->pGetData());
    std::memcpy(p, pszNom, nTaille - 1);
    p[nTaille - 1] = '\0';
    return true;
}
