// The runtime's entry table: binding of its "KL_" exports by name and the forwarders that call them.
#include "launcher/RuntimeEntry.h"

#include <dlfcn.h>

#include <cstdint>
#include <cstring>
#include <initializer_list>

#include "base/strings/CTString.h"
#include "launcher/EtapeDemarrage.h"

namespace {

// Binding state: one runtime library per process, bound on the launcher's thread before any
// forwarder runs and only read afterwards.
struct _stLIAISONVM {
    void* hFramework;
    PFN_KL_Run_Res pfnRunRes;
    PFN_KL_Run_Service pfnRunService;
    PFN_KL_Term_Service pfnTermService;
    PFN_KL_TestEx pfnTestEx;
    PFN_KL_ListeDLL pfnListeDLL;
    PFN_KL_DonneZVL pfnDonneZVL;
    PFN_KL_DonneREP pfnDonneREP;
    PFN_KL_DonneKRV pfnDonneKRV;
    PFN_KL_DonneFinInit pfnDonneFinInit;
    PFN_KL_InitGoRequete pfnInitGoRequete;
    PFN_KL_ListeZVL pfnListeZVL;
    PFN_KL_SetParam pfnSetParam;
};

_stLIAISONVM gstLiaison;

// The exports a start cannot do without: a runtime without them is refused or cannot run the
// project (the KL_ ones make bDonneZVL and bRunExec fail).
bool __bEntreeRequise(const char* pszNom)
{
    return std::strcmp(pszNom, "KL_DonneZVL") == 0 || std::strcmp(pszNom, "KL_Run_Res") == 0 ||
           std::strcmp(pszNom, "pQueryProxy") == 0 || std::strcmp(pszNom, "bInitLibrary") == 0;
}

template <typename PFN>
void __Lie(PFN* ppfn, void* hFramework, int nIndex)
{
    *ppfn = reinterpret_cast<PFN>(dlsym(hFramework, gapszRuntimeEntryNames[nIndex]));
    const char* pszNom = gapszRuntimeEntryNames[nIndex];
    SignaleEtape(eETAPE_ENTREE, *ppfn ? eISSUE_TROUVE : eISSUE_MANQUE, pszNom, "", __bEntreeRequise(pszNom) ? 1 : 0);
}

int __nSetParam(int nCode, intptr_t nValeur)
{
    return gstLiaison.pfnSetParam ? gstLiaison.pfnSetParam(nCode, nValeur) : 0;
}

}  // namespace

bool bInitVM(void* hFramework)
{
    gstLiaison = _stLIAISONVM{};
    gstLiaison.hFramework = hFramework;
    if (!hFramework)
        return true;
    __Lie(&gstLiaison.pfnRunRes, hFramework, 0);
    __Lie(&gstLiaison.pfnRunService, hFramework, 1);
    __Lie(&gstLiaison.pfnTermService, hFramework, 2);
    __Lie(&gstLiaison.pfnTestEx, hFramework, 3);
    __Lie(&gstLiaison.pfnListeDLL, hFramework, 4);
    __Lie(&gstLiaison.pfnDonneZVL, hFramework, 5);
    __Lie(&gstLiaison.pfnDonneREP, hFramework, 6);
    __Lie(&gstLiaison.pfnDonneKRV, hFramework, 7);
    __Lie(&gstLiaison.pfnDonneFinInit, hFramework, 8);
    __Lie(&gstLiaison.pfnInitGoRequete, hFramework, 9);
    __Lie(&gstLiaison.pfnListeZVL, hFramework, 10);
    __Lie(&gstLiaison.pfnSetParam, hFramework, 11);
    return true;
}

int TermVM(int bDecharge)
{
    if (!gstLiaison.hFramework)
        return 0;
    int nResultat = __nSetParam(eSETPARAM_TERMVM, 0);
    if (bDecharge)
        return dlclose(gstLiaison.hFramework);
    return nResultat;
}

bool bRunExec(eMODEVM eMode, const char* pszProjet, const char* pszCmdLine, int* pnRetour)
{
    if (!gstLiaison.pfnRunRes)
        return false;
    return gstLiaison.pfnRunRes(static_cast<unsigned int>(eMode) & 0xFFu, pszProjet, pszCmdLine, pnRetour) != 0;
}

bool bRunService(const char* pszProjet, const char* pszCmdLine, PFN_STOPSERVICE pfnStop)
{
    return gstLiaison.pfnRunService && gstLiaison.pfnRunService(pszProjet, pszCmdLine, pfnStop, 0) != 0;
}

bool bTermService()
{
    return gstLiaison.pfnTermService && gstLiaison.pfnTermService(0) != 0;
}

bool bRunTest(eMODEVM eMode, const char* pszTexte)
{
    return gstLiaison.pfnTestEx && gstLiaison.pfnTestEx(eMode, pszTexte, 0) != 0;
}

bool bListeDLL(CSimpleBuffer* pclBuffer, const char* pszTexte)
{
    return gstLiaison.pfnListeDLL && gstLiaison.pfnListeDLL(pclBuffer, pszTexte) != 0;
}

bool bDonneZVL(const char* pszZVL, long long oPosition)
{
    return gstLiaison.pfnDonneZVL && gstLiaison.pfnDonneZVL(pszZVL, oPosition) != 0;
}

void DonneRepDQ(const char* pszRepertoire)
{
    if (gstLiaison.pfnDonneREP)
        gstLiaison.pfnDonneREP(pszRepertoire);
}

void DonneRepKRV(const char* pszPremier, const char* pszSecond)
{
    if (gstLiaison.pfnDonneKRV)
        gstLiaison.pfnDonneKRV(pszPremier, pszSecond);
}

void DonneFinInit(PFN_FININIT pfnCallBack, void* pContexte)
{
    if (gstLiaison.pfnDonneFinInit)
        gstLiaison.pfnDonneFinInit(pfnCallBack, pContexte);
}

void InitGoRequete(void* pContexte)
{
    if (gstLiaison.pfnInitGoRequete)
        gstLiaison.pfnInitGoRequete(pContexte);
}

bool bListeZVL(CSimpleBuffer* pclBuffer, const char* pszTexte)
{
    return gstLiaison.pfnListeZVL && gstLiaison.pfnListeZVL(pclBuffer, pszTexte) != 0;
}

int* piInitDLL(const char* pszDLL)
{
    if (!gstLiaison.pfnSetParam || !bListeDLL(nullptr, pszDLL))
        return nullptr;
    // The runtime answers with an address carried in its integer result.
    return reinterpret_cast<int*>(static_cast<intptr_t>(__nSetParam(eSETPARAM_INITDLL, 0)));
}

int bInitRegistre(const char* pszPremier, const char* pszSecond)
{
    if (!gstLiaison.pfnSetParam)
        return 0;
    CTString clCle;
    clCle.Set(pszPremier, "\\", pszSecond);
    return __nSetParam(eSETPARAM_INITREGISTRE, reinterpret_cast<intptr_t>(clCle.pszGet()));
}

unsigned int dwGetInformationVM(unsigned int nCode)
{
    return static_cast<unsigned int>(__nSetParam(eSETPARAM_INFORMATIONVM, static_cast<intptr_t>(nCode)));
}

int SetModeExecution(int nMode)
{
    return __nSetParam(eSETPARAM_MODEEXECUTION, nMode);
}

int SetVersionActive(int nVersion)
{
    return __nSetParam(eSETPARAM_VERSIONACTIVE, nVersion);
}

int SetInfoLDAP(const char* pszTexte)
{
    return __nSetParam(eSETPARAM_INFOLDAP, reinterpret_cast<intptr_t>(pszTexte));
}

int DonneHistoConnexion(int nValeur)
{
    return __nSetParam(eSETPARAM_HISTOCONNEXION, nValeur);
}

int SetLogger(ILogger* pclLogger)
{
    return __nSetParam(eSETPARAM_LOGGER, reinterpret_cast<intptr_t>(pclLogger));
}

void SignaleExportsVM(void* hFramework)
{
    if (!hFramework || !pclObservateurDemarrage())
        return;
    for (const char* pszNom : {"bInitLibrary", "pQueryProxy", "TermLibrary"}) {
        SignaleEtape(eETAPE_ENTREE, dlsym(hFramework, pszNom) ? eISSUE_TROUVE : eISSUE_MANQUE, pszNom, "",
                     __bEntreeRequise(pszNom) ? 1 : 0);
    }
}

IZVRuntimeProxy* pclQueryProxyVM(void* hFramework)
{
    auto pfnQueryProxy = hFramework ? reinterpret_cast<PFN_pQueryProxy>(dlsym(hFramework, "pQueryProxy")) : nullptr;
    if (!pfnQueryProxy) {
        SignaleEtape(eETAPE_PROXY, eISSUE_MANQUE, "pQueryProxy");
        return nullptr;
    }
    IZVRuntimeProxy* pclProxy = pfnQueryProxy(gnQueryProxyCode);
    SignaleEtape(eETAPE_PROXY, pclProxy ? eISSUE_ACCEPTE : eISSUE_REFUSE, "pQueryProxy");
    return pclProxy;
}
