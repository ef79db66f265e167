// CProxyDll: finds, loads, initialises and binds one component library of the runtime family.
#include "launcher/CProxyDll.h"

#include <dlfcn.h>

#include <cerrno>
#include <cstring>

#include "base/errors/CXError.h"
#include "base/files/CDiskFile.h"
#include "base/strings/CTString.h"
#include "base/strings/StrCopy.h"
#include "base/system/ModuleFileName.h"
#include "contract/RuntimeContract.h"

char CProxyDll::ms_szCheminLib[260] = "";

namespace {

// User error of a library that cannot be loaded; its insert is the candidate path.
constexpr unsigned int gnErreurChargement = 2;
constexpr const char gszDebugChargement[] = "DLL qui provoque le chargement : %1$s";
constexpr const char gszModuleChargeur[] = "ZVExe";

// pszRep, a "/" unless it is empty or already ends with one, then pszNom; backslashes become
// slashes. Not bounded: the callers refuse what does not fit in ZV_MAX_PATH characters.
CTString __clCandidat(const char* pszRep, const char* pszNom)
{
    CTString clCandidat(pszRep);
    CDiskFile::DirectoryWithEndSlash(clCandidat);
    clCandidat.Add(pszNom ? pszNom : "");
    CDiskFile::pszBackSlash2Slash(clCandidat);
    return clCandidat;
}

bool __bTientDansChemin(const CTString& clChemin)
{
    return static_cast<unsigned long>(clChemin.nTaille()) <= CDiskFile::ZV_MAX_PATH;
}

void* __pSymbole(HINSTANCE__* hLibrary, const char* pszNom)
{
    // A null handle would make dlsym search every global library: nothing to find then.
    return hLibrary ? dlsym(hLibrary, pszNom) : nullptr;
}

template <typename PFN>
PFN __pfnSymbole(HINSTANCE__* hLibrary, const char* pszNom)
{
    return reinterpret_cast<PFN>(__pSymbole(hLibrary, pszNom));
}

}  // namespace

CProxyDll::CProxyDll(HINSTANCE__* hLibrary, void* pQueryProxy)
    : m_hLibrary(hLibrary),
      m_pQueryProxy(pQueryProxy),
      m_pQueryProxyEx(nullptr),
      m_pfnDeclareProxy(&CProxyDll::DeclareProxy),
      m_pCommandeComposante(nullptr)
{
}

void CProxyDll::DeclareProxy(uint32_t* pdwPremier, uint16_t* pwSecond, uint32_t* pdwTroisieme, uint16_t* pwQuatrieme)
{
    if (pdwPremier)
        *pdwPremier = 0;
    if (pwSecond)
        *pwSecond = 0;
    if (pdwTroisieme)
        *pdwTroisieme = 0;
    if (pwQuatrieme)
        *pwQuatrieme = 0;
}

void CProxyDll::_InitErreurChargement(CXError* pclErreur, const char* pszTexteSysteme, const char* pszCandidat)
{
    pclErreur->SetUserError(gnErreurChargement, pszCandidat);
    // The user error's message may not show its insert (its message can be empty or absent),
    // and the loader's text does not always name the file: the candidate is kept as an item.
    pclErreur->AddInfo(EIT_SRCFILE, pszCandidat);
    // The loader's text names the file and may hold '%': it is an insert, never a format.
    if (pszTexteSysteme && *pszTexteSysteme)
        pclErreur->SetSystemErrorMessage("%1$s", pszTexteSysteme);
    pclErreur->AddDebugMessage(gszDebugChargement, gszModuleChargeur);
}

void CProxyDll::_AddErreurChargement(CXError* pclErreur, const char* pszTexteSysteme, const char* pszCandidat)
{
    if (!pclErreur)
        return;
    if (pclErreur->eGetErrorLevel() == EL_CLEAR) {
        _InitErreurChargement(pclErreur, pszTexteSysteme, pszCandidat);
        return;
    }
    CXError clSousErreur;
    _InitErreurChargement(&clSousErreur, pszTexteSysteme, pszCandidat);
    pclErreur->AddSubError(&clSousErreur);
}

void* CProxyDll::__hChargeCandidat(const CTString& clCandidat, CXError* pclErreur)
{
    if (!__bTientDansChemin(clCandidat)) {
        _AddErreurChargement(pclErreur, std::strerror(ENAMETOOLONG), clCandidat.pszGet());
        return nullptr;
    }
    // Every candidate holds a slash, so the loader never runs its own search for it.
    void* h = dlopen(clCandidat.pszGet(), RTLD_NOW);
    if (!h) {
        const char* pszLoader = dlerror();
        const CTString clTexte(pszLoader);
        _AddErreurChargement(pclErreur, clTexte.pszGet(), clCandidat.pszGet());
    }
    return h;
}

bool CProxyDll::bLoad(const char* pszNom, CXError* pclErreur, const char* pszRep, char* pszChemin)
{
    CTString clCharge;
    void* hNouveau = nullptr;
    if (pszRep && *pszRep) {
        clCharge = __clCandidat(pszRep, pszNom);
        hNouveau = __hChargeCandidat(clCharge, pclErreur);
        if (!hNouveau)
            return false;
    } else if (!m_hLibrary) {
        char szModule[CDiskFile::ZV_MAX_PATH + 1] = "";
        if (GetModuleFileName(nullptr, szModule, sizeof(szModule))) {
            char szRepExe[CDiskFile::ZV_MAX_PATH + 1] = "";
            CDiskFile::SplitPath(szModule, szRepExe, nullptr);
            clCharge = __clCandidat(szRepExe, pszNom);
            hNouveau = __hChargeCandidat(clCharge, pclErreur);
        } else {
            // Without the executable's directory the candidate would be the bare name, which
            // the loader would look for in its own places: the attempt fails instead.
            _AddErreurChargement(pclErreur, nullptr, pszNom ? pszNom : "");
        }
        if (!hNouveau) {
            char szCourant[CDiskFile::ZV_MAX_PATH + 1] = "";
            if (!CDiskFile::bGetCurrentDirectory(szCourant)) {
                const int nErreur = errno;
                _AddErreurChargement(pclErreur, std::strerror(nErreur), pszNom ? pszNom : "");
                return false;
            }
            clCharge = __clCandidat(szCourant, pszNom);
            hNouveau = __hChargeCandidat(clCharge, pclErreur);
            if (!hNouveau)
                return false;
        }
    }

    if (hNouveau) {
        HINSTANCE__* h = static_cast<HINSTANCE__*>(hNouveau);
        if (h == m_hLibrary)
            dlclose(hNouveau);  // the same file again: the proxy keeps one reference
        else if (m_hLibrary)
            Unload();  // another library replaces the one loaded before
        m_hLibrary = h;
        if (pszChemin)
            STR_nCopy(pszChemin, CDiskFile::ZV_MAX_PATH + 1, clCharge.pszGet(), -1);
    }

    auto pfnInit = __pfnSymbole<PFN_bInitLibrary>(m_hLibrary, "bInitLibrary");
    if (!pfnInit || pfnInit(m_hLibrary) == 0)
        return false;
    Link();
    return true;
}

void CProxyDll::Link()
{
    m_pQueryProxy = __pSymbole(m_hLibrary, "pQueryProxy");
    m_pQueryProxyEx = __pSymbole(m_hLibrary, "pQueryProxyEx");
    // Callers call the declaration without testing it: a library without one declares nothing.
    m_pfnDeclareProxy = __pfnSymbole<PFN_DeclareProxy>(m_hLibrary, "DeclareProxy");
    if (!m_pfnDeclareProxy)
        m_pfnDeclareProxy = &CProxyDll::DeclareProxy;
    InitCommande();
}

void CProxyDll::InitCommande()
{
    m_pCommandeComposante = __pSymbole(m_hLibrary, "CommandeComposante");
}

void CProxyDll::Unload()
{
    if (!m_hLibrary)
        return;
    auto pfnTerm = __pfnSymbole<PFN_TermLibrary>(m_hLibrary, "TermLibrary");
    if (pfnTerm)
        pfnTerm();
    dlclose(m_hLibrary);
    m_hLibrary = nullptr;
    m_pQueryProxy = nullptr;
    m_pQueryProxyEx = nullptr;
    m_pfnDeclareProxy = &CProxyDll::DeclareProxy;
    m_pCommandeComposante = nullptr;
}

bool CProxyDll::bInitDLLExecution()
{
    if (!m_hLibrary)
        return false;
    auto pfnExecution = __pfnSymbole<PFN_Execution>(m_hLibrary, "Execution");
    if (!pfnExecution)
        return true;
    // A fresh record for each call: the library may write into what it is handed.
    _stINITEXECUTION stInit = {sizeof(_stINITEXECUTION), 0, 4, 0};
    return pfnExecution(eEXECUTION_INIT, &stInit) != 0;
}

void CProxyDll::TermDLLExecution()
{
    auto pfnExecution = __pfnSymbole<PFN_Execution>(m_hLibrary, "Execution");
    if (pfnExecution)
        pfnExecution(eEXECUTION_TERM, nullptr);
}

bool CProxyDll::bDLLDisponible(const char*, const char*, const char*)
{
    return true;
}

bool CProxyDll::s_bConstruitCheminDLL(char* pszChemin, const char* pszNom, const char* pszRep1, const char* pszRep2)
{
    if (!pszChemin)
        return false;
    pszChemin[0] = '\0';
    const char* pszNomSur = pszNom ? pszNom : "";

    // The candidate in pszRep, left in pszChemin when it fits; whether it is a file.
    auto bEssaie = [&](const char* pszRep) {
        const CTString clCandidat = __clCandidat(pszRep, pszNomSur);
        if (!__bTientDansChemin(clCandidat)) {
            pszChemin[0] = '\0';
            return false;
        }
        STR_nCopy(pszChemin, CDiskFile::ZV_MAX_PATH + 1, clCandidat.pszGet(), -1);
        return CDiskFile::bIsAFile(pszChemin);
    };

    const bool bRep2 = pszRep2 && *pszRep2;
    const bool bRep1 = pszRep1 && *pszRep1;
    if (bRep2 && bEssaie(pszRep2))
        return true;
    if (bRep1)
        return bEssaie(pszRep1);
    if (!bRep2 && std::strlen(pszNomSur) <= CDiskFile::ZV_MAX_PATH)
        STR_nCopy(pszChemin, CDiskFile::ZV_MAX_PATH + 1, pszNomSur, -1);
    return false;
}

void CProxyDll::SetCheminLib(const char* pszChemin)
{
    constexpr unsigned long nMaxTexte = sizeof(ms_szCheminLib) - 1;
    const char* psz = pszChemin ? pszChemin : "";
    while (*psz == ' ' || *psz == '\t')
        ++psz;
    STR_nCopy(ms_szCheminLib, sizeof(ms_szCheminLib), psz, static_cast<long>(nMaxTexte));
    unsigned long nLen = std::strlen(ms_szCheminLib);
    if (nLen > 0 && ms_szCheminLib[nLen - 1] == '\n')
        ms_szCheminLib[--nLen] = '\0';
    if (nLen == 0 || ms_szCheminLib[nLen - 1] == '/')
        return;
    // Room for the slash and the NUL, cutting the text when it has to.
    if (nLen > nMaxTexte - 1)
        nLen = nMaxTexte - 1;
    ms_szCheminLib[nLen] = '/';
    ms_szCheminLib[nLen + 1] = '\0';
}
