// CZVExe: the launcher object that finds and starts the runtime, hands it the application and runs the project.
#include "launcher/CZVExe.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

#include <cstdio>
#include <cstring>

#include "base/compress/CCompresseur.h"
#include "base/containers/CSimpleBuffer.h"
#include "base/errors/CXError.h"
#include "base/files/CDiskFile.h"
#include "base/strings/StrCopy.h"
#include "base/system/AppelsSysteme.h"
#include "base/system/ModuleFileName.h"
#include "launcher/EtapeDemarrage.h"
#include "launcher/RuntimeEntry.h"
#include "launcher/RuntimeSearch.h"

// The template values. 'used' and the volatile copy in s_bChargeInfoExe keep both objects, with
// their bytes, in the initialised data of the program whatever the optimiser concludes.
__attribute__((used)) _stINFOEXE gstInfoExe = {
    {},
    "zv150vm.so",
    "default.zvl",
    0,
    {},
    0,
    {},
    gnInfoExeReserve3,
    "default.zvp",
    gnInfoExeReserve4,
    0,
    {},
    0,
    {},
};
__attribute__((used)) char gszFilePath[gnTailleRepFichiers] = ".\0**** Rep. Fichiers ****";

namespace {

// Start-up messages, French then English, bytes in ISO 8859-1.
constexpr const char gszMsgInfoExe[] =
    "Le fichier ex\xE9"
    "cutable n'est pas valide.\r\nLes informations sont erron\xE9"
    "e.\r\nInvalid program file.\r\nBad information.";
constexpr const char gszMsgVMIntrouvable[] =
    "Impossible de trouver la librairie zv150vm.so.\r\nVerifiez que les librairies n\xE9"
    "cessaires au fonctionnement de l'ex\xE9"
    "cutable soient accessibles par le PATH.\r\nUnable to find zv150vm.so librairie.\r\n"
    "Check whether librairies used to operate the executable can be accessed by PATH.";
constexpr const char gszMsgInitVM[] =
    "Echec lors de l'initialisation de la DLL zv150vm.so.\r\nFailure initializing zv150vm.so.";
// Inserts: the runtime library's file name, twice.
constexpr const char gszMsgProxy[] =
    "La librairie %s ne fournit pas l'interface du lanceur (pQueryProxy).\r\n"
    "The library %s does not provide the launcher's interface (pQueryProxy).";
// Inserts: the runtime library's file name, the application library's, then both again.
constexpr const char gszMsgZVL[] =
    "La librairie %s refuse la librairie d'application %s.\r\n"
    "The library %s refuses the application library %s.";

constexpr unsigned gnTailleCheminModule = 4097;
constexpr int gnCodeEchec = -1;

void __StockeCode(int* pnExit, int nCode)
{
    if (pnExit)
        *pnExit = nCode;
}

// Whole bytes to standard error, percent signs and NULs of the text included up to its length.
void __EcritErreur(const char* psz, size_t n)
{
    if (n)
        std::fwrite(psz, 1, n, stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

}  // namespace

CZVExe::CZVExe(HINSTANCE__* hInstance, HINSTANCE__* hPrevInstance, const char* pszCmdLine)
    : m_hInstance(hInstance),
      m_hPrevInstance(hPrevInstance),
      m_clCmdLine(pszCmdLine),
      m_stInfoExe(),
      m_bVMInit(0),
      m_hFramework(nullptr),
      m_pfnTermLibrary(nullptr)
{
    _stRECHERCHEFRAMEWORK* pstRecherche = pstRechercheFramework();
    pstRecherche->pstInfoExe = &m_stInfoExe;

    char szModule[gnTailleCheminModule] = "";
    if (GetModuleFileName(nullptr, szModule, sizeof(szModule)))
        m_clCheminExe = szModule;
    SetRepExeRecherche(szModule);

    if (m_clTrace.bOuvreSelonEnvironnement())
        SetObservateurDemarrage(&m_clTrace);
}

CZVExe::~CZVExe()
{
    if (pstRechercheFramework()->pstInfoExe == &m_stInfoExe)
        pstRechercheFramework()->pstInfoExe = nullptr;
    if (pclObservateurDemarrage() == &m_clTrace)
        SetObservateurDemarrage(nullptr);
}

void CZVExe::_vAfficheErreur(const char* pszMessage) const
{
    const char* psz = pszMessage ? pszMessage : "";
    __EcritErreur(psz, std::strlen(psz));
}

bool CZVExe::s_bChargeInfoExe(HINSTANCE__*, _stINFOEXE* pstInfoExe)
{
    if (!pstInfoExe)
        return false;
    // Byte by byte through a volatile view: the block is read from the data as patched in the
    // file, never from what the compiler knows of its initialiser.
    const volatile unsigned char* pabSource = reinterpret_cast<const volatile unsigned char*>(&gstInfoExe);
    unsigned char* pabCible = reinterpret_cast<unsigned char*>(pstInfoExe);
    for (size_t i = 0; i < sizeof(_stINFOEXE); ++i)
        pabCible[i] = pabSource[i];
    // A patched block whose texts lack their terminator would be read past its areas.
    return std::memchr(pstInfoExe->szNomFramework, 0, sizeof(pstInfoExe->szNomFramework)) &&
           std::memchr(pstInfoExe->szNomZVL, 0, sizeof(pstInfoExe->szNomZVL)) &&
           std::memchr(pstInfoExe->szNomProjet, 0, sizeof(pstInfoExe->szNomProjet));
}

std::atomic<const CZVExe*> CZVExe::ms_pclAfficheurVM{nullptr};

void CZVExe::s_SetAfficheurErreurVM(const CZVExe* pclAfficheur)
{
    ms_pclAfficheurVM.store(pclAfficheur);
}

int CZVExe::_CallBackErreurVM(const CXError* pclError, unsigned long, unsigned int)
{
    if (!pclError)
        return 0;
    CTString clRapport = pclError->StringDump(XEI_ALL);
    if (const CZVExe* pclAfficheur = ms_pclAfficheurVM.load()) {
        pclAfficheur->_vAfficheErreur(clRapport.pszGet());
        return 0;
    }
    __EcritErreur(clRapport.pszGet(), static_cast<size_t>(clRapport.nTaille()));
    return 0;
}

bool CZVExe::bInit(int* pnExit)
{
    m_bVMInit = 0;
    if (!_bChargeInfoExe(pnExit))
        return false;
    if (!_bCheckMonoInstance(pnExit))
        return false;
    if (!_bInitFramework(pnExit)) {
        bTerm();
        return false;
    }
    if (!_bVerifMajReseau(pnExit))
        return false;
    if (!_bInitZVL(pnExit)) {
        bTerm();
        return false;
    }
    _InitParamDQ();
    SetVersionActive(m_stInfoExe.nVersionActive);
    return true;
}

bool CZVExe::_bChargeInfoExe(int* pnExit)
{
    if (s_bChargeInfoExe(m_hInstance, &m_stInfoExe))
        return true;
    _vAfficheErreur(gszMsgInfoExe);
    __StockeCode(pnExit, gnCodeEchec);
    return false;
}

bool CZVExe::_bInitFramework(int* pnExit)
{
    m_hFramework = hTrouveVMPourExecutable(m_clCheminExe.pszGet(), m_stInfoExe.szNomFramework);
    if (!m_hFramework) {
        _vAfficheErreur(gszMsgVMIntrouvable);
        __StockeCode(pnExit, gnCodeEchec);
        return false;
    }

    m_bVMInit = bInitVM(m_hFramework) ? 1 : 0;
    if (!m_bVMInit) {
        _vAfficheErreur(gszMsgInitVM);
        __StockeCode(pnExit, gnCodeEchec);
        return false;
    }
    SignaleExportsVM(m_hFramework);

    IZVRuntimeProxy* pclProxy = pclQueryProxyVM(m_hFramework);
    if (!pclProxy) {
        CTString clMessage;
        clMessage.printf(gszMsgProxy, m_stInfoExe.szNomFramework, m_stInfoExe.szNomFramework);
        _vAfficheErreur(clMessage.pszGet());
        __StockeCode(pnExit, gnCodeEchec);
        return false;
    }
    pclProxy->vSetCallBackErreur(&CZVExe::_CallBackErreurVM, 0, 0);

    m_pfnTermLibrary = reinterpret_cast<PFN_TermLibrary>(dlsym(m_hFramework, "TermLibrary"));
    return true;
}

bool CZVExe::_bInitZVL(int* pnExit)
{
    if (m_stInfoExe.szNomZVL[0] == '\0' || std::strcmp(m_stInfoExe.szNomZVL, gszInfoExeNomZVL) == 0) {
        const CTString clNom = clNomZVLTransmis(m_stInfoExe.szNomZVL, m_clCheminExe.pszGet());
        STR_nCopy(m_stInfoExe.szNomZVL, sizeof(m_stInfoExe.szNomZVL), clNom.pszGet(), -1);
    }
    const CTString clNomExt = clNomZVLTransmis(m_stInfoExe.szNomZVL, m_clCheminExe.pszGet());
    const char* szNomExt = clNomExt.pszGet();
    const bool bAccepte = bDonneZVL(szNomExt, m_stInfoExe.oPositionZVL);
    SignaleEtape(eETAPE_ZVL, bAccepte ? eISSUE_ACCEPTE : eISSUE_REFUSE, szNomExt, "", m_stInfoExe.oPositionZVL);
    if (!bAccepte) {
        CTString clMessage;
        clMessage.printf(gszMsgZVL, m_stInfoExe.szNomFramework, szNomExt, m_stInfoExe.szNomFramework, szNomExt);
        _vAfficheErreur(clMessage.pszGet());
        __StockeCode(pnExit, gnCodeEchec);
        return false;
    }
    return true;
}

void CZVExe::_InitParamDQ()
{
    // The field as patched in the file, read through a volatile view for the same reason as
    // the block; a field without terminator is cut at its last byte.
    char szRep[gnTailleRepFichiers];
    const volatile char* pszSource = gszFilePath;
    for (unsigned i = 0; i < gnTailleRepFichiers; ++i)
        szRep[i] = pszSource[i];
    szRep[gnTailleRepFichiers - 1] = '\0';
    DonneRepDQ(szRep);
    SignaleEtape(eETAPE_DONNEES, eISSUE_TROUVE, szRep, "", m_stInfoExe.nVersionActive);
}

int CZVExe::nRun()
{
    int nRetour = 0;
    if (bRunExec(eMODEVM_NORMAL, m_stInfoExe.szNomProjet, m_clCmdLine.pszGet(), &nRetour))
        return nRetour;
    CTString clMessage;
    clMessage.printf("<%s> execution failed, return code = %d", m_stInfoExe.szNomProjet, nRetour);
    _vAfficheErreur(clMessage.pszGet());
    return gnCodeEchec;
}

bool CZVExe::bTerm()
{
    if (m_bVMInit) {
        TermVM(0);
        m_bVMInit = 0;
    }
    if (m_hFramework) {
        if (m_pfnTermLibrary)
            m_pfnTermLibrary();
        dlclose(m_hFramework);
        m_hFramework = nullptr;
        m_pfnTermLibrary = nullptr;
        // The entry points lived in the unloaded library: forget them.
        bInitVM(nullptr);
    }
    return true;
}

bool CZVExe::bChargeBlock(long long oPosition, unsigned int nLongueur, void* pDestination) const
{
    const char* pszChemin = m_clCheminExe.pszGet();
    const int hFichier = SYS_nOpen(pszChemin, O_RDONLY | O_CLOEXEC);
    if (hFichier < 0)
        return false;
    bool bOk = nLongueur == 0;
    if (!bOk && oPosition >= 0 && pDestination) {
        // The whole length or failure: a file that ends first is a failure too.
        std::size_t nLu = 0;
        bOk = SYS_bPreadAll(hFichier, pDestination, nLongueur, static_cast<off64_t>(oPosition), &nLu, pszChemin) &&
              nLu == nLongueur;
    }
    SYS_bClose(hFichier, pszChemin);
    return bOk;
}

long long CZVExe::_oTailleExe() const
{
    const char* pszChemin = m_clCheminExe.pszGet();
    const int hFichier = SYS_nOpen(pszChemin, O_RDONLY | O_CLOEXEC);
    if (hFichier < 0)
        return -1;
    struct stat64 st;
    const bool bOk = SYS_bFstat(hFichier, &st, pszChemin);
    SYS_bClose(hFichier, pszChemin);
    return bOk ? static_cast<long long>(st.st_size) : -1;
}

bool CZVExe::__bDecompresseDLL(long long oPosition, const _stINFODLL& stInfoDll, CSimpleBuffer* pclSortie,
                               unsigned int* pnSortie) const
{
    if (!pclSortie || oPosition < 0 || oPosition > LLONG_MAX - static_cast<long long>(sizeof(_stINFODLL)))
        return false;
    const unsigned int nCompresse = stInfoDll.dwLongueurCompressee;
    // A damaged descriptor may declare up to 4 GB: the file must hold the block before memory
    // is taken for it.
    const long long oTaille = _oTailleExe();
    const long long oBloc = oPosition + static_cast<long long>(sizeof(_stINFODLL));
    if (oTaille < 0 || oBloc > oTaille || static_cast<long long>(nCompresse) > oTaille - oBloc)
        return false;
    CSimpleBuffer clCompresse;
    if (!clCompresse.SetSize(nCompresse))
        return false;
    if (!bChargeBlock(oPosition + static_cast<long long>(sizeof(_stINFODLL)), nCompresse, clCompresse.pGetData()))
        return false;

    CCompresseur clCompresseur(CCompresseurBase::eCOMPRESSEUR_ZLW);
    const uint32_t nTaille = CCompresseur::ms_clCompresseurZLW.dwTailleDecompression(clCompresse.pGetData(), nCompresse);
    unsigned int nResultat = 0;
    // Every code of the dictionary method takes at least 9 bits and stands for fewer than 65536
    // bytes (a stored block expands to less than itself): a larger size is a damaged header,
    // which must not make the launcher take gigabytes.
    const bool bPossible = static_cast<unsigned long long>(nTaille) <= static_cast<unsigned long long>(nCompresse) * 65536u;
    if (nTaille == CCompresseurBase::dwTAILLE_INCONNUE || !bPossible) {
        // Too short for a header, an unknown method or an impossible size: nothing to expand.
        pclSortie->SetSize(0);
    } else {
        if (!pclSortie->SetSize(nTaille))
            return false;
        clCompresseur.m_pEntree = clCompresse.pGetData();
        clCompresseur.m_dwEntree = nCompresse;
        clCompresseur.m_pSortie = pclSortie->pGetData();
        clCompresseur.m_dwSortie = nTaille;
        nResultat = clCompresseur.dwDecompression(-1);
    }
    if (pnSortie)
        *pnSortie = nResultat;
    return true;
}
