// Search, loading and initialisation of the runtime library, and the table of the standard component libraries.
#include "launcher/RuntimeSearch.h"

#include <dlfcn.h>
#include <link.h>
#include <strings.h>

#include <cstring>

#include "base/files/CDiskFile.h"
#include "base/settings/Profile.h"
#include "base/strings/StrCopy.h"
#include "launcher/InfoExe.h"
#include "contract/RuntimeContract.h"

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

void* __hCharge(const char* pszChemin)
{
    return dlopen(pszChemin, RTLD_NOW);
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
    if (!pszExplicite || !*pszExplicite || !CDiskFile::bIsAFile(pszExplicite))
        return nullptr;
    // A name without a slash would send the loader on its own search; the file just tested
    // lies in the current directory.
    CTString clChemin(pszExplicite);
    CDiskFile::pszBackSlash2Slash(clChemin);
    if (clChemin.nPos('/') < 0)
        clChemin = CTString("./") + clChemin;
    void* h = __hCharge(clChemin.pszGet());
    if (h)
        gstRecherche.clRepFramework = __clRepertoire(pszExplicite);
    return h;
}

bool _bTrouveVM_1_FrameworkDansRepEXE(const char* pszNomVM)
{
    char szCandidat[CDiskFile::ZV_MAX_PATH + 1];
    if (!__bJoinChemin(szCandidat, gstRecherche.clRepExe.pszGet(), pszNomVM) || !CDiskFile::bIsAFile(szCandidat))
        return false;
    gstRecherche.clRepFramework = gstRecherche.clRepExe;
    return true;
}

bool _bTrouveVM_2_FrameworkCommun(const char* pszNomVM)
{
    char szCommun[CDiskFile::ZV_MAX_PATH + 1];
    char szCandidat[CDiskFile::ZV_MAX_PATH + 1];
    if (!bConstruitCheminFrameworkCommun(szCommun, sizeof(szCommun), pszNomVM) ||
        !__bJoinChemin(szCandidat, szCommun, pszNomVM) || !CDiskFile::bIsAFile(szCandidat))
        return false;
    gstRecherche.clRepFramework = szCommun;
    return true;
}

// A development layout has no meaning here: the strategy only forgets an earlier directory.
bool _bTrouveVM_3_FrameworkDev(const char* pszNomVM)
{
    if (__bEstNomStandard(pszNomVM))
        gstRecherche.clRepFramework.Vide();
    return false;
}

// Loads the bare name so that the loader's own search applies, and records the directory of
// the file it chose. The handle is returned so that the caller keeps the library mapped until
// the load by full path has been made.
void* _hTrouveEtChargeVM_4_DansLePath(const char* pszNomVM)
{
    void* h = __hCharge(pszNomVM);
    if (!h)
        return nullptr;
    struct link_map* pstLien = nullptr;
    if (dlinfo(h, RTLD_DI_LINKMAP, &pstLien) == 0 && pstLien && pstLien->l_name)
        gstRecherche.clRepFramework = __clRepertoire(pstLien->l_name);
    return h;
}

bool _czCheminCompletVM(char* pszSortie, const char* pszNomVM)
{
    return __bJoinChemin(pszSortie, gstRecherche.clRepFramework.pszGet(), pszNomVM);
}

bool _bInitLib(void* hFramework)
{
    auto pfnInit = reinterpret_cast<PFN_bInitLibrary>(dlsym(hFramework, "bInitLibrary"));
    return pfnInit && pfnInit(hFramework) != 0;
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
        static_cast<unsigned long>(clConf.nTaille()) > CDiskFile::ZV_MAX_PATH)
        return false;
    char szValeur[CDiskFile::ZV_MAX_PATH + 1] = "";
    GetPrivateProfileString(gszSectionFramework, gszCleChemin, "", szValeur, sizeof(szValeur), clConf.pszGet());
    if (std::strlen(szValeur) >= nTaille)
        return false;
    STR_nCopy(pszCommun, nTaille, szValeur, -1);
    return true;
}

void* hTrouveEtChargeVM(const char* pszNomVM, const char* pszCheminExplicite)
{
    if (!pszNomVM || !*pszNomVM)
        return nullptr;
    void* hFramework = _hTrouveEtChargeVM_Prioritaire(pszCheminExplicite);
    if (!hFramework) {
        void* hRecherche = nullptr;
        if (!_bTrouveVM_1_FrameworkDansRepEXE(pszNomVM) &&
            !__bFlag(offsetof(_stINFOEXE, bRechercheRestreinte))) {
            bool bTrouve = __bFlag(offsetof(_stINFOEXE, bFrameworkCommun)) && _bTrouveVM_2_FrameworkCommun(pszNomVM);
            if (!bTrouve && !_bTrouveVM_3_FrameworkDev(pszNomVM))
                hRecherche = _hTrouveEtChargeVM_4_DansLePath(pszNomVM);
        }
        char szComplet[CDiskFile::ZV_MAX_PATH + 1];
        if (_czCheminCompletVM(szComplet, pszNomVM))
            hFramework = __hCharge(szComplet);
        // The library stays mapped through the load above; this reference is not needed past it.
        if (hRecherche)
            dlclose(hRecherche);
        if (!hFramework)
            return nullptr;
    }
    if (!_bInitLib(hFramework)) {
        dlclose(hFramework);
        gstRecherche.clRepFramework.Vide();
        return nullptr;
    }
    return hFramework;
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
