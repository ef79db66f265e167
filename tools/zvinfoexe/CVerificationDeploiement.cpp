// CVerificationDeploiement: checks a deployed ZVExe application without running it, one report line per check and a verdict.
#include "tools/zvinfoexe/CVerificationDeploiement.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "base/files/CFichierAjout.h"
#include "base/files/SondeFichier.h"
#include "base/settings/CParametreExecution.h"
#include "base/settings/VerifProfil.h"
#include "base/system/Environment.h"
#include "base/system/ProcessusEnfant.h"
#include "launcher/RuntimeEntry.h"
#include "launcher/RuntimeSearch.h"
#include "tools/zvinfoexe/CInfoExeFichier.h"
#include "tools/zvinfoexe/CLecteurElf.h"

namespace {

// The ABI of this build: the only one whose libraries its loader can load.
constexpr unsigned gnClassePropre = sizeof(void*) == 8 ? CLecteurElf::nCLASSE_64 : CLecteurElf::nCLASSE_32;
#if defined(__x86_64__)
constexpr unsigned gnMachinePropre = CLecteurElf::nMACHINE_X86_64;
#elif defined(__i386__)
constexpr unsigned gnMachinePropre = CLecteurElf::nMACHINE_I386;
#else
constexpr unsigned gnMachinePropre = 0;
#endif

// Bounds of what is read: programs and libraries whole (the loader maps them whole anyway),
// profiles and the child's messages within reason.
constexpr size_t gnMaxBinaire = 1024u * 1024u * 1024u;
constexpr size_t gnMaxProfil = 16u * 1024u * 1024u;
constexpr size_t gnMaxCanal = 1024u * 1024u;
constexpr size_t gnMaxSortie = 8192;
constexpr unsigned gnMaxLignesSortie = 10;

// Exports the start needs, and the others it looks up.
constexpr const char* gapszRequises[] = {"bInitLibrary", "pQueryProxy", "KL_DonneZVL", "KL_Run_Res"};

std::string __sBuild(unsigned nClasse, unsigned nMachine)
{
    if (nClasse == CLecteurElf::nCLASSE_32 && nMachine == CLecteurElf::nMACHINE_I386)
        return "the i386 build";
    if (nClasse == CLecteurElf::nCLASSE_64 && nMachine == CLecteurElf::nMACHINE_X86_64)
        return "the x86-64 build";
    return "a build for " + CLecteurElf::s_sAbi(nClasse, nMachine) + " (there is none)";
}

std::string __sMode(unsigned nMode)
{
    char sz[16];
    std::snprintf(sz, sizeof(sz), "%04o", nMode & 07777);
    return sz;
}

std::string __sRepertoire(const std::string& sChemin)
{
    const size_t n = sChemin.rfind('/');
    return n == std::string::npos ? "." : (n == 0 ? "/" : sChemin.substr(0, n));
}

std::string __sNomFichier(const std::string& sChemin)
{
    const size_t n = sChemin.rfind('/');
    return n == std::string::npos ? sChemin : sChemin.substr(n + 1);
}

std::string __sEnvironnement(const char* pszNom)
{
    const DWORD n = GetEnvironmentVariable(pszNom, nullptr, 0);
    if (n == 0)
        return std::string();
    std::string s(static_cast<size_t>(n) + 1, '\0');
    GetEnvironmentVariable(pszNom, &s[0], n);
    s.resize(std::strlen(s.c_str()));
    return s;
}

// The child: the launcher's own search for the program, its steps written to the channel.
struct _stCONTEXTEENFANT {
    const char* pszProgramme;
    _stINFOEXE stInfo;
};

class CObservateurCanal final : public IObservateurDemarrage {
public:
    explicit CObservateurCanal(int nFd) { m_clSortie.OuvreDescripteur(nFd); }
    void vEtape(const _stETAPEDEMARRAGE& stEtape) override { m_clSortie.EcritLigne(clSerialiseEtape(stEtape).pszGet()); }

private:
    CFichierAjout m_clSortie;
};

int __nEnfantRecherche(void* pContexte, int nFdCanal)
{
    _stCONTEXTEENFANT* pst = static_cast<_stCONTEXTEENFANT*>(pContexte);
    CObservateurCanal clObservateur(nFdCanal);
    SetObservateurDemarrage(&clObservateur);
    SetRepExeRecherche(pst->pszProgramme);
    pstRechercheFramework()->pstInfoExe = &pst->stInfo;
    void* hFramework = hTrouveVMPourExecutable(pst->pszProgramme, pst->stInfo.szNomFramework);
    if (!hFramework)
        return 3;
    bInitVM(hFramework);
    SignaleExportsVM(hFramework);
    pclQueryProxyVM(hFramework);
    // The runtime is not ended: the process ends here, without running anything more of it.
    return 0;
}

const char* __pszNiveau(CVerificationDeploiement::eNIVEAU eNiveau)
{
    switch (eNiveau) {
    case CVerificationDeploiement::eNIVEAU_OK:
        return "ok  ";
    case CVerificationDeploiement::eNIVEAU_INFO:
        return "info";
    case CVerificationDeploiement::eNIVEAU_ETAPE:
        return "step";
    case CVerificationDeploiement::eNIVEAU_ATTENTION:
        return "warn";
    case CVerificationDeploiement::eNIVEAU_ECHEC:
        break;
    }
    return "FAIL";
}

}  // namespace

void CVerificationDeploiement::_Ligne(eNIVEAU eNiveau, const std::string& sTexte)
{
    m_astLignes.push_back({eNiveau, sTexte});
}

size_t CVerificationDeploiement::nEchecs() const
{
    size_t n = 0;
    for (const _stLIGNE& st : m_astLignes)
        n += st.eNiveau == eNIVEAU_ECHEC ? 1 : 0;
    return n;
}

std::string CVerificationDeploiement::sRapport() const
{
    std::string s = m_sTitre + "\n";
    for (const _stLIGNE& st : m_astLignes)
        s += std::string(__pszNiveau(st.eNiveau)) + "  " + st.sTexte + "\n";
    const size_t nEchecs = this->nEchecs();
    if (nEchecs == 0)
        s += "verdict: the application would start\n";
    else
        s += "verdict: the application would not start (" + std::to_string(nEchecs) + " failed check" +
             (nEchecs > 1 ? "s" : "") + ")\n";
    return s;
}

const CVerificationDeploiement::_stETAPE* CVerificationDeploiement::_pstEtape(eETAPEDEMARRAGE eEtape) const
{
    for (const _stETAPE& st : m_astEtapes) {
        if (st.eEtape == eEtape)
            return &st;
    }
    return nullptr;
}

bool CVerificationDeploiement::bVerifie(const char* pszProgramme)
{
    m_astLignes.clear();
    m_sProgramme.clear();
    m_abProgramme.clear();
    m_nClasse = m_nMachine = 0;
    m_stInfo = _stINFOEXE{};
    m_sRepFichiers.clear();
    m_astEtapes.clear();
    m_bRechercheFaite = m_bCharge = false;
    m_stContexte = _stCONTEXTECHARGEUR();
    m_asAnalyses.clear();
    const char* psz = pszProgramme ? pszProgramme : "";
    m_sTitre = std::string("zvinfoexe --check ") + psz;
    if (bSuperUtilisateur())
        _Ligne(eNIVEAU_INFO, "the check runs as root, whom read and write permissions do not stop: files that other "
                             "users could not read are also pointed out");

    std::vector<unsigned char> abCache;
    m_bCache = bLitDebutFichier(m_sCacheLdSo, 64u * 1024u * 1024u, &abCache) &&
               m_clCache.bLit(abCache.data(), abCache.size());
    if (!_bVerifieProgramme(psz) || !_bVerifieBloc())
        return false;
    m_stContexte.nClasse = m_nClasse;
    m_stContexte.nMachine = m_nMachine;
    m_stContexte.sLdLibraryPath = __sEnvironnement("LD_LIBRARY_PATH");
    m_stContexte.pclCache = m_bCache ? &m_clCache : nullptr;

    CParametreExecution clParametres;
    if (clParametres.Initialise(m_sProgramme.c_str()) && clParametres.bDisponible())
        _VerifieProfil(clParametres.pszGetNomPhysiqueComplet(), "execution parameters");

    _RechercheDansEnfant();
    _ExpliqueRecherche();
    _VerifieApplication();
    _VerifieRepertoireDonnees();
    const _stETAPE* pstConf = _pstEtape(eETAPE_CONF);
    if (pstConf && stSondeFichier(pstConf->sChemin.c_str()).eGenre == eGENRE_FICHIER)
        _VerifieProfil(pstConf->sChemin, "runtime profile");
    return nEchecs() == 0;
}

bool CVerificationDeploiement::_bVerifieProgramme(const char* pszProgramme)
{
    CTString clReel;
    if (!bCheminReel(pszProgramme, &clReel)) {
        _Ligne(eNIVEAU_ECHEC, std::string("program ") + pszProgramme + ": " + std::strerror(errno));
        return false;
    }
    // The launcher knows itself by this path (links resolved), and searches beside it.
    m_sProgramme = clReel.pszGet();
    const _stSONDEFICHIER st = stSondeFichier(m_sProgramme.c_str());
    if (st.eGenre != eGENRE_FICHIER) {
        _Ligne(eNIVEAU_ECHEC, "program " + m_sProgramme + ": " + pszDecritGenre(st.eGenre));
        return false;
    }
    if (!bLitDebutFichier(m_sProgramme, gnMaxBinaire, &m_abProgramme)) {
        _Ligne(eNIVEAU_ECHEC, "program " + m_sProgramme + ": cannot be read: " + std::strerror(errno));
        return false;
    }
    CLecteurElf clElf;
    std::string sErreur;
    if (!clElf.bLit(m_abProgramme.data(), m_abProgramme.size(), &sErreur)) {
        _Ligne(eNIVEAU_ECHEC, "program " + m_sProgramme + ": " + sErreur + ", not a program ZVExe can be");
        return false;
    }
    m_nClasse = clElf.nClasse();
    m_nMachine = clElf.nMachine();
    std::string sTexte = "program " + m_sProgramme;
    if (m_sProgramme != pszProgramme)
        sTexte += std::string(" (given as ") + pszProgramme + ")";
    sTexte += ": " + clElf.sDescription();
    if (clElf.nType() != CLecteurElf::nTYPE_EXEC && clElf.nType() != CLecteurElf::nTYPE_DYN) {
        _Ligne(eNIVEAU_ECHEC, sTexte + ", not a program");
        return false;
    }
    const int nErreur = nErrnoAcces(m_sProgramme.c_str(), gnAccesExecution);
    if (nErreur)
        _Ligne(eNIVEAU_ECHEC, sTexte + ": not executable by this user (mode " + __sMode(st.nMode) +
                                  "): " + std::strerror(nErreur) + "; chmod +x makes it so");
    else
        _Ligne(eNIVEAU_OK, sTexte);
    if (!nErreur && bSuperUtilisateur() && !(st.nMode & 0001))
        _Ligne(eNIVEAU_ATTENTION, "program " + m_sProgramme + ": mode " + __sMode(st.nMode) + ", owner uid " +
                                      std::to_string(st.nUid) +
                                      ": users outside its owner and group cannot start it");
    return true;
}

bool CVerificationDeploiement::_bVerifieBloc()
{
    CInfoExeFichier clFichier;
    CTString clErreur;
    if (!clFichier.bChargeOctets(m_abProgramme.data(), static_cast<unsigned>(m_abProgramme.size()), &clErreur)) {
        _Ligne(eNIVEAU_ECHEC, std::string("information block: ") + clErreur.pszGet() +
                                  ": not a ZVExe program, or a damaged copy of one");
        return false;
    }
    m_stInfo = clFichier.stGetInfo();
    m_sRepFichiers = clFichier.clGetRepFichiers().pszGet();
    char sz[1024];
    std::snprintf(sz, sizeof(sz), "information block at offset %u: runtime library %s, project %s, active version %d",
                  clFichier.nGetPosInfo(), m_stInfo.szNomFramework, m_stInfo.szNomProjet,
                  static_cast<int>(m_stInfo.nVersionActive));
    _Ligne(eNIVEAU_OK, sz);
    std::snprintf(sz, sizeof(sz),
                  "application library %s (handed over as %s), position %lld; data-files directory %s; restricted "
                  "search %d; common directory %d",
                  m_stInfo.szNomZVL, clNomZVLTransmis(m_stInfo.szNomZVL, m_sProgramme.c_str()).pszGet(),
                  static_cast<long long>(m_stInfo.oPositionZVL), m_sRepFichiers.c_str(),
                  static_cast<int>(m_stInfo.bRechercheRestreinte), static_cast<int>(m_stInfo.bFrameworkCommun));
    _Ligne(eNIVEAU_INFO, sz);
    if (m_stInfo.szNomFramework[0] == '\0') {
        _Ligne(eNIVEAU_ECHEC, "information block: the runtime library name is empty; zvinfoexe PROGRAM --vm "
                              "zv150vm.so sets it");
        return false;
    }
    return true;
}

void CVerificationDeploiement::_VerifieProfil(const std::string& sChemin, const char* pszRole)
{
    std::vector<unsigned char> ab;
    if (!bLitDebutFichier(sChemin, gnMaxProfil, &ab)) {
        _Ligne(eNIVEAU_ECHEC, std::string(pszRole) + " " + sChemin + ": cannot be read: " + std::strerror(errno) +
                                  "; the launcher then reads no value from it");
        return;
    }
    const std::vector<_stREMARQUEPROFIL> ast = vVerifieProfil(reinterpret_cast<const char*>(ab.data()), ab.size());
    if (ast.empty())
        _Ligne(eNIVEAU_OK, std::string(pszRole) + " " + sChemin + ": every line reads as a profile line");
    for (const _stREMARQUEPROFIL& st : ast)
        _Ligne(eNIVEAU_ATTENTION, std::string(pszRole) + " " + sChemin + ", " + sTexteRemarque(st));
    _VerifieLisible(sChemin, pszRole, eNIVEAU_ATTENTION);
}

void CVerificationDeploiement::_VerifieLisible(const std::string& sChemin, const char* pszRole, eNIVEAU eNiveau)
{
    const _stSONDEFICHIER st = stSondeFichier(sChemin.c_str());
    if (st.eGenre != eGENRE_FICHIER)
        return;
    const int nErreur = nErrnoAcces(sChemin.c_str(), gnAccesLecture);
    if (nErreur)
        _Ligne(eNiveau, std::string(pszRole) + " " + sChemin + ": not readable by this user (mode " +
                            __sMode(st.nMode) + ", owner uid " + std::to_string(st.nUid) +
                            "): " + std::strerror(nErreur));
    else if (bSuperUtilisateur() && !(st.nMode & 0004))
        _Ligne(eNIVEAU_ATTENTION, std::string(pszRole) + " " + sChemin + ": mode " + __sMode(st.nMode) +
                                      ", owner uid " + std::to_string(st.nUid) +
                                      ": users outside its owner and group cannot read it");
}

void CVerificationDeploiement::_RechercheDansEnfant()
{
    if (m_nClasse != gnClassePropre || m_nMachine != gnMachinePropre) {
        _Ligne(eNIVEAU_ECHEC, "runtime search: not run: the program is " +
                                  CLecteurElf::s_sAbi(m_nClasse, m_nMachine) + " and this zvinfoexe is " +
                                  CLecteurElf::s_sAbi(gnClassePropre, gnMachinePropre) +
                                  "; a loader loads libraries of its own ABI only, so check this program with " +
                                  __sBuild(m_nClasse, m_nMachine) + " of zvinfoexe");
        return;
    }
    _stCONTEXTEENFANT stContexte = {m_sProgramme.c_str(), m_stInfo};
    _stRESULTATENFANT stResultat;
    if (!bExecuteEnfant(__nEnfantRecherche, &stContexte, m_nDelaiMs, gnMaxCanal, gnMaxSortie, &stResultat)) {
        _Ligne(eNIVEAU_ECHEC, std::string("runtime search: cannot start the child process: ") + std::strerror(errno));
        return;
    }
    // The steps, as the launcher reported them; a line that is not a step is passed over.
    std::vector<std::string> asBornes;
    unsigned nEntrees = 0;
    std::string sManquantes, sRequisesManquantes;
    size_t nDebut = 0;
    while (nDebut < stResultat.sCanal.size()) {
        size_t nFin = stResultat.sCanal.find('\n', nDebut);
        if (nFin == std::string::npos)
            nFin = stResultat.sCanal.size();
        _stETAPEDEMARRAGE st;
        CTString clChemin, clDetail;
        if (bLitEtapeSerialisee(stResultat.sCanal.data() + nDebut, nFin - nDebut, &st, &clChemin, &clDetail)) {
            m_astEtapes.push_back({st.eEtape, st.eIssue, st.pszChemin, st.pszDetail, st.n1, st.n2});
            if (st.eEtape == eETAPE_ENTREE) {
                ++nEntrees;
                std::string& s = st.n1 ? sRequisesManquantes : sManquantes;
                if (st.eIssue != eISSUE_TROUVE)
                    s += (s.empty() ? "" : ", ") + std::string(st.pszChemin);
            } else if (st.eEtape == eETAPE_PROXY) {
                _Ligne(st.eIssue == eISSUE_ACCEPTE ? eNIVEAU_OK : eNIVEAU_ECHEC,
                       clTexteEtape(st).pszGet() +
                           std::string(st.eIssue == eISSUE_ACCEPTE ? "" : ": the start ends there, exit code 255"));
            } else {
                _Ligne(eNIVEAU_ETAPE, clTexteEtape(st).pszGet());
            }
            if (st.eEtape == eETAPE_RESULTAT) {
                m_bRechercheFaite = true;
                m_bCharge = st.eIssue == eISSUE_TROUVE;
            }
        }
        nDebut = nFin + 1;
    }
    if (nEntrees) {
        if (!sRequisesManquantes.empty())
            _Ligne(eNIVEAU_ECHEC, "entry points missing that the start cannot do without: " + sRequisesManquantes);
        _Ligne(sRequisesManquantes.empty() ? eNIVEAU_OK : eNIVEAU_INFO,
               std::to_string(nEntrees) + " entry points looked up" +
                   (sManquantes.empty() ? std::string(", all bound") : ", missing but optional: " + sManquantes));
    }
    if (stResultat.bDelaiDepasse) {
        _Ligne(eNIVEAU_ECHEC, "runtime search: not finished within " + std::to_string(m_nDelaiMs / 1000) +
                                  " s: loading or initialising the runtime hangs (the child was killed)");
    } else if (stResultat.nSignal) {
        const char* pszSignal = strsignal(stResultat.nSignal);
        _Ligne(eNIVEAU_ECHEC, "runtime search: the child process was killed by signal " +
                                  std::to_string(stResultat.nSignal) + " (" + (pszSignal ? pszSignal : "?") +
                                  (m_astEtapes.empty() ? std::string(") before its first step")
                                                       : std::string(") after the last step above")) +
                                  ": the library loaded then crashes ZVExe the same way");
    } else if (!m_bRechercheFaite) {
        _Ligne(eNIVEAU_ECHEC, "runtime search: the child process ended (status " + std::to_string(stResultat.nCode) +
                                  ") before the search did: a library loaded then ends the process");
    }
    if (!stResultat.sSortie.empty()) {
        _Ligne(eNIVEAU_INFO, "output of the loaded libraries during the search:");
        unsigned nLignes = 0;
        size_t n = 0;
        while (n < stResultat.sSortie.size() && nLignes < gnMaxLignesSortie) {
            size_t nFin = stResultat.sSortie.find('\n', n);
            if (nFin == std::string::npos)
                nFin = stResultat.sSortie.size();
            _Ligne(eNIVEAU_INFO, "| " + stResultat.sSortie.substr(n, nFin - n));
            ++nLignes;
            n = nFin + 1;
        }
        if (n < stResultat.sSortie.size() || stResultat.bSortieTronquee)
            _Ligne(eNIVEAU_INFO, "| ...");
    }
}

void CVerificationDeploiement::_ExpliqueRecherche()
{
    const _stETAPE* pstExplicite = _pstEtape(eETAPE_EXPLICITE);
    const _stETAPE* pstParametres = _pstEtape(eETAPE_PARAMETRES);
    if (pstExplicite && (pstExplicite->eIssue == eISSUE_PAS_UN_FICHIER || pstExplicite->eIssue == eISSUE_REFUSE)) {
        std::string s = "VMPATH " + pstExplicite->sChemin;
        if (pstParametres)
            s += " (in " + pstParametres->sChemin + ")";
        s += pstExplicite->eIssue == eISSUE_PAS_UN_FICHIER ? " is not a file (" + pstExplicite->sDetail + ")"
                                                           : " does not load";
        s += m_bCharge ? ": ignored, the runtime came from the strategies" : ": ignored";
        s += "; VMPATH must name the runtime library file itself";
        _Ligne(m_bCharge ? eNIVEAU_ATTENTION : eNIVEAU_ECHEC, s);
        if (pstExplicite->eIssue == eISSUE_REFUSE)
            _AnalyseRuntime(pstExplicite->sChemin, "VMPATH library");
    }
    if (!m_bRechercheFaite)
        return;
    const _stETAPE* pstChargement = _pstEtape(eETAPE_CHARGEMENT);
    if (m_bCharge) {
        // The file loaded: what the loader mapped, else the path it was given.
        const _stETAPE* pst = pstChargement ? pstChargement : pstExplicite;
        if (pst)
            _AnalyseRuntime(pst->sDetail.empty() ? pst->sChemin : pst->sDetail, "runtime");
        return;
    }
    const std::string sNom = m_stInfo.szNomFramework;
    if (const _stETAPE* pstInit = _pstEtape(eETAPE_INIT)) {
        if (pstInit->eIssue == eISSUE_MANQUE)
            _Ligne(eNIVEAU_ECHEC, "runtime " + pstInit->sChemin +
                                      " exports no bInitLibrary: not a runtime library, or one built without its "
                                      "entry points");
        else
            _Ligne(eNIVEAU_ECHEC, "runtime " + pstInit->sChemin +
                                      ": its bInitLibrary refused to start (returned 0); its own messages, if any, "
                                      "say why");
        _AnalyseRuntime(pstInit->sChemin, "runtime");
        return;
    }
    if (pstChargement && pstChargement->eIssue == eISSUE_REFUSE) {
        if (pstChargement->sChemin.find('/') != std::string::npos) {
            _Ligne(eNIVEAU_ECHEC, "runtime " + pstChargement->sChemin + " does not load: " + pstChargement->sDetail);
            _AnalyseRuntime(pstChargement->sChemin, "runtime");
        } else {
            _AnalyseNomNu(pstChargement->sChemin);
        }
    } else if (pstChargement && pstChargement->eIssue == eISSUE_TROP_LONG) {
        _Ligne(eNIVEAU_ECHEC, "runtime " + sNom + ": the path of the directory found and the name passes 260 "
                                                  "characters");
    }
    if (_pstEtape(eETAPE_RESTREINTE))
        _Ligne(eNIVEAU_ECHEC, "the information block's restricted-search flag is set: besides VMPATH, only the "
                              "program's directory and the loader's search by name are tried; place the runtime "
                              "beside the program, or lift the flag with zvinfoexe PROGRAM --restricted 0");
    if (const _stETAPE* pstConf = _pstEtape(eETAPE_CONF)) {
        if (pstConf->eIssue == eISSUE_MANQUE || pstConf->eIssue == eISSUE_PAS_UN_FICHIER)
            _Ligne(eNIVEAU_ECHEC, "the runtime has the custom name " + sNom + " and its profile " + pstConf->sChemin +
                                      (pstConf->eIssue == eISSUE_MANQUE ? " has no CHEMIN in [FRAMEWORK]"
                                                                        : " is missing") +
                                      ", so its common directory is the current one; add [FRAMEWORK] CHEMIN = the "
                                      "directory that holds " + sNom);
    }
}

void CVerificationDeploiement::_AnalyseNomNu(const std::string& sNom)
{
    _stDEPENDANCE st;
    if (bTrouveBibliotheque(sNom, nullptr, m_sProgramme, m_stContexte, &st)) {
        _Ligne(eNIVEAU_ECHEC, "runtime " + sNom + ": the loader's search by name finds " + st.sChemin + " (" +
                                  st.sOrigine + "), which does not load");
        _AnalyseRuntime(st.sChemin, "runtime");
        return;
    }
    if (!st.sIncompatible.empty()) {
        _Ligne(eNIVEAU_ECHEC, "runtime " + sNom + ": the loader's search by name finds only " + st.sIncompatible +
                                  ", while the program is " + CLecteurElf::s_sAbi(m_nClasse, m_nMachine) +
                                  ": install the runtime built for " + CLecteurElf::s_sAbi(m_nClasse, m_nMachine) +
                                  ", or run it with the other build of ZVExe");
        return;
    }
    _Ligne(eNIVEAU_ECHEC, "runtime " + sNom + ": not found beside the program (" + __sRepertoire(m_sProgramme) +
                              "/) nor by the loader's search by name (LD_LIBRARY_PATH, the loader's cache, the "
                              "system directories); place it beside the program, or name it with VMPATH in section "
                              "[FRAMEWORK] of the program's .ZX file");
}

void CVerificationDeploiement::_AnalyseRuntime(const std::string& sChemin, const char* pszRole)
{
    for (const std::string& s : m_asAnalyses) {
        if (s == sChemin)
            return;
    }
    m_asAnalyses.push_back(sChemin);
    const std::string sRole = std::string(pszRole) + " " + sChemin;
    const _stSONDEFICHIER stSonde = stSondeFichier(sChemin.c_str());
    if (stSonde.eGenre != eGENRE_FICHIER) {
        _Ligne(eNIVEAU_ECHEC, sRole + ": " + pszDecritGenre(stSonde.eGenre));
        return;
    }
    const size_t nAvant = nEchecs();
    _VerifieLisible(sChemin, pszRole, eNIVEAU_ECHEC);
    if (nEchecs() != nAvant)
        return;
    std::vector<unsigned char> ab;
    CLecteurElf clElf;
    std::string sErreur;
    if (!bLitDebutFichier(sChemin, gnMaxBinaire, &ab)) {
        _Ligne(eNIVEAU_ECHEC, sRole + ": cannot be read: " + std::strerror(errno));
        return;
    }
    if (!clElf.bLit(ab.data(), ab.size(), &sErreur)) {
        _Ligne(eNIVEAU_ECHEC, sRole + ": " + sErreur + ", not a library the loader takes");
        return;
    }
    if (clElf.nClasse() != m_nClasse || clElf.nMachine() != m_nMachine) {
        _Ligne(eNIVEAU_ECHEC, sRole + ": " + clElf.sDescription() + ", but the program is " +
                                  CLecteurElf::s_sAbi(m_nClasse, m_nMachine) + ": use " +
                                  __sBuild(clElf.nClasse(), clElf.nMachine()) +
                                  " of ZVExe with this runtime, or the runtime built for " +
                                  CLecteurElf::s_sAbi(m_nClasse, m_nMachine));
        return;
    }
    _Ligne(eNIVEAU_OK, sRole + ": " + clElf.sDescription() + ", as the program");

    const std::vector<_stDEPENDANCE> astDependances = vResoutDependances(sChemin, clElf, m_stContexte);
    std::string sTrouvees;
    unsigned nTrouvees = 0;
    for (const _stDEPENDANCE& st : astDependances) {
        if (!st.sChemin.empty()) {
            ++nTrouvees;
            continue;
        }
        std::string s = "library " + st.sNom + ", needed by " + st.sDemandeur + ", is not found";
        if (!st.sIncompatible.empty())
            s += " (only " + st.sIncompatible + ", of another ABI)";
        s += "; the loader searched " + std::string(m_stContexte.sLdLibraryPath.empty() ? "" : "LD_LIBRARY_PATH, ") +
             "the needing library's RUNPATH or RPATH, the loader's cache and the system directories; ship it "
             "beside the runtime (with RUNPATH $ORIGIN) or install it";
        _Ligne(eNIVEAU_ECHEC, s);
    }
    for (const std::string& s : clElf.asDependances())
        sTrouvees += (sTrouvees.empty() ? "" : ", ") + s;
    if (nTrouvees == astDependances.size())
        _Ligne(eNIVEAU_OK, "libraries needed by " + __sNomFichier(sChemin) + ": " +
                               (sTrouvees.empty() ? std::string("none") : sTrouvees) + "; " +
                               std::to_string(nTrouvees) + " in all with theirs, every one found");

    // Exports: the child's binding says it when the runtime was loaded (dlsym also sees what
    // the library's own dependencies define); otherwise its symbol table.
    if (m_bCharge)
        return;
    std::string sManquantes;
    for (const char* psz : gapszRequises) {
        if (!clElf.bExporte(psz))
            sManquantes += (sManquantes.empty() ? "" : ", ") + std::string(psz);
    }
    if (sManquantes.empty())
        _Ligne(eNIVEAU_OK, sRole + ": exports bInitLibrary, pQueryProxy, KL_DonneZVL and KL_Run_Res");
    else
        _Ligne(eNIVEAU_ECHEC, sRole + ": exports no " + sManquantes + ", which the start cannot do without");
}

void CVerificationDeploiement::_VerifieApplication()
{
    const std::string sNom = clNomZVLTransmis(m_stInfo.szNomZVL, m_sProgramme.c_str()).pszGet();
    const std::string sChemin = __sRepertoire(m_sProgramme) + "/" + sNom;
    const std::string sRole = "application library " + sChemin;
    const _stSONDEFICHIER st = stSondeFichier(sChemin.c_str());
    if (st.eGenre != eGENRE_FICHIER) {
        _Ligne(eNIVEAU_ECHEC, sRole + ": " + pszDecritGenre(st.eGenre) +
                                  " (the runtime is handed its file name and looks for it beside the program)");
        return;
    }
    const size_t nAvant = nEchecs();
    _VerifieLisible(sChemin, "application library", eNIVEAU_ECHEC);
    if (nEchecs() != nAvant)
        return;
    _Ligne(eNIVEAU_OK, sRole + ": readable, " + std::to_string(st.oTaille) + " bytes");
    if (m_stInfo.oPositionZVL < 0 || m_stInfo.oPositionZVL > st.oTaille)
        _Ligne(eNIVEAU_ATTENTION, sRole + ": the position " + std::to_string(m_stInfo.oPositionZVL) +
                                      " of the information block lies outside its " + std::to_string(st.oTaille) +
                                      " bytes");
}

void CVerificationDeploiement::_VerifieRepertoireDonnees()
{
    std::string sRep = m_sRepFichiers;
    std::string sNote;
    if (!sRep.empty() && sRep[0] != '/') {
        const CTString clCourant = clRepertoireCourant();
        sNote = std::string(" (relative: taken from the directory ZVExe is started in; here ") + clCourant.pszGet() +
                ")";
    }
    const std::string sRole = "data-files directory " + sRep + sNote;
    const _stSONDEFICHIER st = stSondeFichier(sRep.c_str());
    if (st.eGenre != eGENRE_REPERTOIRE) {
        _Ligne(eNIVEAU_ATTENTION, sRole + ": " + pszDecritGenre(st.eGenre) + "; the runtime keeps its data files there");
        return;
    }
    const int nErreur = nErrnoAcces(sRep.c_str(), gnAccesLecture | gnAccesEcriture | gnAccesExecution);
    if (nErreur)
        _Ligne(eNIVEAU_ATTENTION, sRole + ": this user may not write in it (mode " + __sMode(st.nMode) +
                                      "): " + std::strerror(nErreur) + "; the runtime writes its data files there");
    else
        _Ligne(eNIVEAU_OK, sRole + ": a directory this user may write in");
}
