// CServerMain: the server object of daemon mode, owning the logger, the semaphore and the running launcher.
#include "service/CServerMain.h"


#include <cerrno>
#include <cstring>
#include <new>
#include <vector>

#include "base/settings/CParametreExecution.h"
#include "base/strings/CTString.h"
#include "base/system/ModuleFileName.h"
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

void CServerMain::SignalStopMainLoop()
{
    m_clSem.PostNoYield();
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

namespace {

constexpr const char gszSectionService[] = "SERVICE";
// Room to read a value: more than any buffer it goes to, so that a value too long is seen.
constexpr int gnTailleLecture = 4096;

} // namespace

void CServerMain::LitParametres(const char* pszExe)
{
    m_bLus = true;
    m_bValide = true;
    m_bCoreDump = false;
    m_szUser[0] = '\0';
    m_szRep[0] = '\0';
    CParametreExecution clParametres;
    if (pszExe == nullptr || !clParametres.Initialise(pszExe))
        return;
    const auto Refuse = [&](const char* pszCle, const char* pszValeur, const char* pszRaison) {
        m_clLogger.AddLog(ePRIORITY_CRIT,
                          "Parametre de service invalide / invalid service setting in %s: [SERVICE] %s=\"%s\": %s",
                          clParametres.pszGetNomPhysiqueComplet(), pszCle, pszValeur, pszRaison);
        m_bValide = false;
    };
    std::vector<char> ac(gnTailleLecture);
    char* const psz = ac.data();

    clParametres.nLitChaineSection(gszSectionService, "USER", "", psz, gnTailleLecture);
    if (psz[0] != '\0') {
        if (std::strlen(psz) >= sizeof(m_szUser))
            Refuse("USER", psz, "too long");
        else if (!bTrouveUtilisateur(psz, nullptr, nullptr))
            Refuse("USER", psz, "no such user");
        else
            std::strcpy(m_szUser, psz);
    }
    clParametres.nLitChaineSection(gszSectionService, "DIRECTORY", "", psz, gnTailleLecture);
    if (psz[0] != '\0') {
        if (std::strlen(psz) >= sizeof(m_szRep))
            Refuse("DIRECTORY", psz, "too long");
        else if (psz[0] != '/')
            Refuse("DIRECTORY", psz, "not an absolute path");
        else
            std::strcpy(m_szRep, psz);
    }
    clParametres.nLitChaineSection(gszSectionService, "COREDUMP", "", psz, gnTailleLecture);
    if (psz[0] != '\0') {
        if (std::strcmp(psz, "0") != 0 && std::strcmp(psz, "1") != 0)
            Refuse("COREDUMP", psz, "0 or 1 expected");
        else
            m_bCoreDump = psz[0] == '1';
    }
}

bool CServerMain::__bParametresLus()
{
    if (!m_bLus) {
        char szModule[4097] = "";
        LitParametres(GetModuleFileName(nullptr, szModule, sizeof(szModule)) ? szModule : nullptr);
    }
    return m_bValide;
}

int CServerMain::vbWithCoreDump()
{
    return __bParametresLus() && m_bCoreDump ? 1 : 0;
}

int CServerMain::vbGetServiceUser(char* pszUser)
{
    if (!__bParametresLus() || m_szUser[0] == '\0' || pszUser == nullptr)
        return 0;
    std::memcpy(pszUser, m_szUser, sizeof(m_szUser));
    return 1;
}

int CServerMain::vbGetOwnDirectory(char* pszDirectory)
{
    if (!__bParametresLus() || m_szRep[0] == '\0' || pszDirectory == nullptr)
        return 0;
    std::memcpy(pszDirectory, m_szRep, sizeof(m_szRep));
    return 1;
}

int CServerMain::vbVerifieParametres()
{
    return __bParametresLus() ? 1 : 0;
}
