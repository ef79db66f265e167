// Search, loading and initialisation of the runtime library, and the table of the standard component libraries.
#include "launcher/RuntimeSearch.h"

#include <dlfcn.h>
#include <link.h>
#include <strings.h>

#include <cstring>

#include "base/files/CDiskFile.h"
#include "base/files/SondeFichier.h"
#include "base/settings/CParametreExecution.h"
#include "base/settings/Profile.h"
#include "base/strings/StrCopy.h"
#include "contract/RuntimeContract.h"
#include "launcher/EtapeDemarrage.h"
#include "launcher/InfoExe.h"

namespace {

_stRECHERCHEFRAMEWORK gstRecherche;

constexpr const char gszNomVMStandard[] = "zv150vm.so";
// Common installation directory of the runtime family, then the version directory.
constexpr const char gszRepCommunNRV[24] = "/usr/local/NORVELL/lib/";
constexpr const char gszVersionFramework[] = "15.0";
constexpr const char gszSectionFramework[] = "FRAMEWORK";
constexpr const char gszCleChemin[] = "CHEMIN";

constexpr _stSTDDESC gtabStdDesc[15] = {
    {"zv150com.so", 10, 0x1},         {"zv150cpl.so", 26, 0},   {"zv150img.so", 25, 0x1},
    {"zv150jav.so", 11, 0x1},         {"zv150mat.so", 3, 0x1},  {"zv150msql.so", 32, 0},
    {"zv150page.so", 31, 0x40000001}, {"zv150pdf.so", 37, 0},   {"zv150prn.so", 9, 0x1},
    {"zv150sql.so", 28, 0},           {"zv150std.so", 8, 0x1},  {"zv150trs.so", 14, 0},
    {"zv150vm.so", 0, 0x21},          {"zv150xml.so", 4, 0x1},  {"zv150zip.so", 42, 0x1},
};
constexpr _stSTDDESC gtabStdDesc2[2] = {
    {"obk1500as.so", 100, 0x1},
    {"obk1500as.so", 101, 0},
};

bool __bEstNomStandard(const char* pszNomVM)
{
    return strcasecmp(pszNomVM, gszNomVMStandard) == 0;
}

// pszDir, a "/" when pszDir is non-empty and lacks one, then pszNom, into a 261-byte buffer.
// False when the whole does not fit: a cut path could name another file.
bool __bJoinChemin(char* pszSortie, const char* pszDir, const char* pszNom)
{
    CTString clChemin(pszDir);
    CDiskFile::DirectoryWithEndSlash(clChemin);
    clChemin = clChemin + pszNom;
    if (static_cast<unsigned long>(clChemin.nTaille()) > CDiskFile::ZV_MAX_PATH)
        return false;
    STR_nCopy(pszSortie, CDiskFile::ZV_MAX_PATH + 1, clChemin.pszGet(), -1);
    return true;
}

bool __bFlag(size_t nOffset)
{
    const _stINFOEXE* pst = gstRecherche.pstInfoExe;
    if (!pst)
        return false;
    int32_t n;
    std::memcpy(&n, reinterpret_cast<const unsigned char*>(pst) + nOffset, sizeof(n));
    return n != 0;
}

// Loads with immediate binding. On failure *pclErreur (when given) gets the loader's text.
void* __hCharge(const char* pszChemin, CTString* pclErreur = nullptr)
{
    void* h = dlopen(pszChemin, RTLD_NOW);
    if (!h && pclErreur) {
        const char* psz = dlerror();
        *pclErreur = psz ? psz : "";
    }
    return h;
}

// The file the loader mapped for a handle ("" when it cannot say).
CTString __clFichierCharge(void* h)
{
    struct link_map* pstLien = nullptr;
    if (h && dlinfo(h, RTLD_DI_LINKMAP, &pstLien) == 0 && pstLien && pstLien->l_name)
        return CTString(pstLien->l_name);
    return CTString();
}

bool __bObserve()
{
    return pclObservateurDemarrage() != nullptr;
}

// Reports a candidate that the search tested as a file (bFichier: the test's answer), with the
// reason when it is not one and a warning when it is one this process may not read. The probes
// only describe: the search has already decided.
void __SignaleCandidat(eETAPEDEMARRAGE eEtape, const char* pszCandidat, bool bFichier)
{
    if (!__bObserve())
        return;
    if (bFichier) {
        const int nErr = nErrnoAcces(pszCandidat, gnAccesLecture);
        if (nErr)
            SignaleEtape(eEtape, eISSUE_ILLISIBLE, pszCandidat, std::strerror(nErr));
        else
            SignaleEtape(eEtape, eISSUE_TROUVE, pszCandidat);
        return;
    }
    const _stSONDEFICHIER st = stSondeFichier(pszCandidat);
    SignaleEtape(eEtape, eISSUE_PAS_UN_FICHIER, pszCandidat,
                 st.eGenre == eGENRE_INACCESSIBLE ? std::strerror(st.nErrno) : pszDecritGenre(st.eGenre));
}

// The directory part of a path, separator included.
CTString __clRepertoire(const char* pszChemin)
{
    char szDir[CDiskFile::ZV_MAX_PATH + 1] = "";
    if (std::strlen(pszChemin) <= CDiskFile::ZV_MAX_PATH)
        CDiskFile::SplitPath(pszChemin, szDir, nullptr);
    return CTString(szDir);
}

void* _hTrouveEtChargeVM_Prioritaire(const char* pszExplicite)
{
    if (!pszExplicite || !*pszExplicite) {
        SignaleEtape(eETAPE_EXPLICITE, eISSUE_AUCUN, "");
        return nullptr;
    }
    if (!CDiskFile::bIsAFile(pszExplicite)) {
        __SignaleCandidat(eETAPE_EXPLICITE, pszExplicite, false);
        return nullptr;
    }
    // A name without a slash would send the loader on its own search; the file just tested
    // lies in the current directory.
    CTString clChemin(pszExplicite);
    CDiskFile::pszBackSlash2Slash(clChemin);
    if (clChemin.nPos('/') < 0)
        clChemin = CTString("./") + clChemin;
    CTString clErreur;
    void* h = __hCharge(clChemin.pszGet(), &clErreur);
    if (h) {
        gstRecherche.clRepFramework = __clRepertoire(pszExplicite);
        SignaleEtape(eETAPE_EXPLICITE, eISSUE_CHARGE, pszExplicite, __bObserve() ? __clFichierCharge(h).pszGet() : "");
    } else {
        SignaleEtape(eETAPE_EXPLICITE, eISSUE_REFUSE, pszExplicite, clErreur.pszGet());
    }
    return h;
}

bool _bTrouveVM_1_FrameworkDansRepEXE(const char* pszNomVM)
{
    char szCandidat[CDiskFile::ZV_MAX_PATH + 1];
    if (!__bJoinChemin(szCandidat, gstRecherche.clRepExe.pszGet(), pszNomVM)) {
        SignaleEtape(eETAPE_REPEXE, eISSUE_TROP_LONG, (gstRecherche.clRepExe + pszNomVM).pszGet());
        return false;
    }
    const bool bFichier = CDiskFile::bIsAFile(szCandidat);
    __SignaleCandidat(eETAPE_REPEXE, szCandidat, bFichier);
    if (!bFichier)
        return false;
    gstRecherche.clRepFramework = gstRecherche.clRepExe;
    return true;
}

bool _bTrouveVM_2_FrameworkCommun(const char* pszNomVM)
{
    char szCommun[CDiskFile::ZV_MAX_PATH + 1];
    char szCandidat[CDiskFile::ZV_MAX_PATH + 1];
    if (!bConstruitCheminFrameworkCommun(szCommun, sizeof(szCommun), pszNomVM) ||
        !__bJoinChemin(szCandidat, szCommun, pszNomVM)) {
        SignaleEtape(eETAPE_COMMUN, eISSUE_TROP_LONG, pszNomVM);
        return false;
    }
    const bool bFichier = CDiskFile::bIsAFile(szCandidat);
    __SignaleCandidat(eETAPE_COMMUN, szCandidat, bFichier);
    if (!bFichier)
        return false;
    gstRecherche.clRepFramework = szCommun;
    return true;
}

// A development layout has no meaning here: the strategy only forgets an earlier directory.
bool _bTrouveVM_3_FrameworkDev(const char* pszNomVM)
{
    if (__bEstNomStandard(pszNomVM))
        gstRecherche.clRepFramework.Vide();
    SignaleEtape(eETAPE_DEV, eISSUE_IGNORE, "");
    return false;
}

// Loads the bare name so that the loader's own search applies, and records the directory of
// the file it chose. The handle is returned so that the caller keeps the library mapped until
// the load by full path has been made.
void* _hTrouveEtChargeVM_4_DansLePath(const char* pszNomVM)
{
    CTString clErreur;
    void* h = __hCharge(pszNomVM, &clErreur);
    if (!h) {
        SignaleEtape(eETAPE_PATH, eISSUE_REFUSE, pszNomVM, clErreur.pszGet());
        return nullptr;
    }
    const CTString clFichier = __clFichierCharge(h);
    if (!clFichier.bEstVide())
        gstRecherche.clRepFramework = __clRepertoire(clFichier.pszGet());
    SignaleEtape(eETAPE_PATH, eISSUE_CHARGE, pszNomVM, clFichier.pszGet());
    return h;
}

bool _czCheminCompletVM(char* pszSortie, const char* pszNomVM)
{
    return __bJoinChemin(pszSortie, gstRecherche.clRepFramework.pszGet(), pszNomVM);
}

bool _bInitLib(void* hFramework, const char* pszChemin)
{
    auto pfnInit = reinterpret_cast<PFN_bInitLibrary>(dlsym(hFramework, "bInitLibrary"));
    if (!pfnInit) {
        SignaleEtape(eETAPE_INIT, eISSUE_MANQUE, pszChemin);
        return false;
    }
    const bool bAccepte = pfnInit(hFramework) != 0;
    SignaleEtape(eETAPE_INIT, bAccepte ? eISSUE_ACCEPTE : eISSUE_REFUSE, pszChemin);
    return bAccepte;
}

// Reports the profile of a custom runtime name: missing, without the key, or its value. The
// second read tells an absent key from an empty value, which the search treats alike.
void __SignaleConf(const char* pszConf, const char* pszValeur)
{
    if (*pszValeur) {
        SignaleEtape(eETAPE_CONF, eISSUE_TROUVE, pszConf, pszValeur);
        return;
    }
    const _stSONDEFICHIER st = stSondeFichier(pszConf);
    if (st.eGenre != eGENRE_FICHIER) {
        SignaleEtape(eETAPE_CONF, eISSUE_PAS_UN_FICHIER, pszConf,
                     st.eGenre == eGENRE_INACCESSIBLE ? std::strerror(st.nErrno) : pszDecritGenre(st.eGenre));
        return;
    }
    SignaleEtape(eETAPE_CONF, eISSUE_MANQUE, pszConf);
}

}  // namespace

_stRECHERCHEFRAMEWORK* pstRechercheFramework()
{
    return &gstRecherche;
}

bool bConstruitCheminFrameworkCommun(char* pszCommun, unsigned nTaille, const char* pszNomVM)
{
    if (!pszCommun || nTaille == 0)
        return false;
    pszCommun[0] = '\0';
    if (__bEstNomStandard(pszNomVM)) {
        CTString clCommun;
        clCommun.Set(gszRepCommunNRV, gszVersionFramework, "/");
        if (static_cast<unsigned long>(clCommun.nTaille()) >= nTaille)
            return false;
        STR_nCopy(pszCommun, nTaille, clCommun.pszGet(), -1);
        return true;
    }
    // Custom runtime name: its ".conf" profile lies beside the executable and is named after
    // the library without extension ('/opt/app/myvm.conf' for 'myvm.so').
    char szNom[CDiskFile::ZV_MAX_PATH + 1] = "";
    if (std::strlen(pszNomVM) > CDiskFile::ZV_MAX_PATH)
        return false;
    CDiskFile::SplitPath(pszNomVM, nullptr, szNom, nullptr);
    CTString clRepExe(gstRecherche.clRepExe);
    while (clRepExe.nTaille() > 0 && clRepExe.cGetChar(clRepExe.nTaille() - 1) == '/')
        clRepExe.Tronque(clRepExe.nTaille() - 1);
    CTString clConf;
    if (clConf.printf("%s/%s.conf", clRepExe.pszGet(), szNom) < 0 ||
        static_cast<unsigned long>(clConf.nTaille()) > CDiskFile::ZV_MAX_PATH) {
        SignaleEtape(eETAPE_CONF, eISSUE_TROP_LONG, clConf.pszGet());
        return false;
    }
    char szValeur[CDiskFile::ZV_MAX_PATH + 1] = "";
    GetPrivateProfileString(gszSectionFramework, gszCleChemin, "", szValeur, sizeof(szValeur), clConf.pszGet());
    if (std::strlen(szValeur) >= nTaille) {
        SignaleEtape(eETAPE_CONF, eISSUE_TROP_LONG, clConf.pszGet(), szValeur);
        return false;
    }
    STR_nCopy(pszCommun, nTaille, szValeur, -1);
    if (__bObserve())
        __SignaleConf(clConf.pszGet(), szValeur);
    return true;
}

void* hTrouveEtChargeVM(const char* pszNomVM, const char* pszCheminExplicite)
{
    if (!pszNomVM || !*pszNomVM)
        return nullptr;
    void* hFramework = _hTrouveEtChargeVM_Prioritaire(pszCheminExplicite);
    CTString clCharge(pszCheminExplicite);
    if (!hFramework) {
        const bool bRestreint = __bFlag(offsetof(_stINFOEXE, bRechercheRestreinte));
        const bool bCommun = __bFlag(offsetof(_stINFOEXE, bFrameworkCommun));
        SignaleEtape(eETAPE_DRAPEAUX, eISSUE_TROUVE, "", "", bRestreint ? 1 : 0, bCommun ? 1 : 0);
        void* hRecherche = nullptr;
        if (!_bTrouveVM_1_FrameworkDansRepEXE(pszNomVM)) {
            if (bRestreint) {
                SignaleEtape(eETAPE_RESTREINTE, eISSUE_IGNORE, "");
            } else {
                bool bTrouve = false;
                if (bCommun)
                    bTrouve = _bTrouveVM_2_FrameworkCommun(pszNomVM);
                else
                    SignaleEtape(eETAPE_COMMUN, eISSUE_IGNORE, "");
                if (!bTrouve && !_bTrouveVM_3_FrameworkDev(pszNomVM))
                    hRecherche = _hTrouveEtChargeVM_4_DansLePath(pszNomVM);
            }
        }
        char szComplet[CDiskFile::ZV_MAX_PATH + 1];
        if (_czCheminCompletVM(szComplet, pszNomVM)) {
            CTString clErreur;
            hFramework = __hCharge(szComplet, &clErreur);
            clCharge = szComplet;
            if (hFramework)
                SignaleEtape(eETAPE_CHARGEMENT, eISSUE_CHARGE, szComplet,
                             __bObserve() ? __clFichierCharge(hFramework).pszGet() : "");
            else
                SignaleEtape(eETAPE_CHARGEMENT, eISSUE_REFUSE, szComplet, clErreur.pszGet());
        } else {
            SignaleEtape(eETAPE_CHARGEMENT, eISSUE_TROP_LONG, pszNomVM);
        }
        // The library stays mapped through the load above; this reference is not needed past it.
        if (hRecherche)
            dlclose(hRecherche);
        if (!hFramework) {
            SignaleEtape(eETAPE_RESULTAT, eISSUE_AUCUN, "");
            return nullptr;
        }
    }
    if (!_bInitLib(hFramework, clCharge.pszGet())) {
        dlclose(hFramework);
        gstRecherche.clRepFramework.Vide();
        SignaleEtape(eETAPE_RESULTAT, eISSUE_AUCUN, "");
        return nullptr;
    }
    SignaleEtape(eETAPE_RESULTAT, eISSUE_TROUVE, gstRecherche.clRepFramework.pszGet());
    return hFramework;
}

void SetRepExeRecherche(const char* pszCheminExe)
{
    const char* psz = pszCheminExe ? pszCheminExe : "";
    // The directory keeps its final separator. A path too long to split still yields its whole
    // directory, so that no candidate built on it is mistaken for a shorter one.
    if (std::strlen(psz) <= CDiskFile::ZV_MAX_PATH) {
        char szDir[CDiskFile::ZV_MAX_PATH + 1] = "";
        CDiskFile::SplitPath(psz, szDir, nullptr);
        gstRecherche.clRepExe = szDir;
    } else {
        const char* pszSlash = std::strrchr(psz, '/');
        gstRecherche.clRepExe.Set(psz, pszSlash ? static_cast<unsigned>(pszSlash - psz + 1) : 0u);
    }
}

void* hTrouveVMPourExecutable(const char* pszCheminExe, const char* pszNomVM)
{
    SignaleEtape(eETAPE_PROGRAMME, eISSUE_TROUVE, pszCheminExe, pszNomVM);
    char szVMPath[CDiskFile::ZV_MAX_PATH + 1] = "";
    {
        CParametreExecution clParametres;
        const bool bNomme = clParametres.Initialise(pszCheminExe);
        clParametres.nLitChaineSection(gszSectionFramework, "VMPATH", "", szVMPath, sizeof(szVMPath));
        if (__bObserve()) {
            const char* pszZX = clParametres.pszGetNomPhysiqueComplet();
            if (!bNomme) {
                SignaleEtape(eETAPE_PARAMETRES, eISSUE_TROP_LONG, pszZX);
            } else if (!clParametres.bDisponible()) {
                SignaleEtape(eETAPE_PARAMETRES, eISSUE_AUCUN, pszZX);
            } else {
                // An absent key and an empty value both leave the explicit path empty.
                char szSonde[2] = "";
                const bool bCle = szVMPath[0] || clParametres.nLitChaineSection(gszSectionFramework, "VMPATH", "\x01",
                                                                                 szSonde, sizeof(szSonde)) == 0;
                SignaleEtape(eETAPE_PARAMETRES, bCle ? eISSUE_TROUVE : eISSUE_MANQUE, pszZX, szVMPath);
            }
        }
    }
    return hTrouveEtChargeVM(pszNomVM, szVMPath);
}

const _stSTDDESC* pstGetStdDesc(int nIdentifiant)
{
    for (const _stSTDDESC& st : gtabStdDesc) {
        if (static_cast<int>(st.nIdentifiant) == nIdentifiant)
            return &st;
    }
    for (const _stSTDDESC& st : gtabStdDesc2) {
        if (static_cast<int>(st.nIdentifiant) == nIdentifiant)
            return &st;
    }
    return nullptr;
}
