// CVerificationDeploiement: checks a deployed ZVExe application without running it, one report line per check and a verdict.
#pragma once

#include <string>
#include <vector>

#include "launcher/EtapeDemarrage.h"
#include "launcher/InfoExe.h"
#include "tools/zvinfoexe/CCacheLdSo.h"
#include "tools/zvinfoexe/ResolutionDependances.h"

// The checks, in order: the program file, its information block, its execution parameters,
// the runtime search exactly as ZVExe runs it (the launcher's own search code, run in a child
// process under a time limit, so that a faulty runtime cannot take the check down), the ELF
// class, machine, dependencies and exports of each runtime file the search handed to the loader,
// the application library, the data-files directory and the runtime's ".conf". Relative paths
// are taken from the current directory, as ZVExe takes them from the directory it is started
// in; the environment (LD_LIBRARY_PATH) is the caller's.
//
// The search can only be run by a build of the same ABI as the program (a loader loads
// libraries of its own ABI only); for a program of the other ABI the search is reported as not
// run, with the build of zvinfoexe to use, and counts as a failure.
class CVerificationDeploiement {
public:
    enum eNIVEAU : int {
        eNIVEAU_OK,
        eNIVEAU_INFO,
        eNIVEAU_ETAPE,      // a step of the runtime search
        eNIVEAU_ATTENTION,  // worth a look, does not stop the start
        eNIVEAU_ECHEC,      // stops the start
    };
    struct _stLIGNE {
        eNIVEAU eNiveau;
        std::string sTexte;
    };

    CVerificationDeploiement() = default;
    CVerificationDeploiement(const CVerificationDeploiement&) = delete;
    CVerificationDeploiement& operator=(const CVerificationDeploiement&) = delete;

    // Time limit of the child that loads the runtime, in milliseconds (default 10 s).
    void SetDelai(unsigned nDelaiMs) { m_nDelaiMs = nDelaiMs; }
    // The loader's cache to consult (default "/etc/ld.so.cache"; an unreadable one is skipped).
    void SetCacheLdSo(const std::string& sChemin) { m_sCacheLdSo = sChemin; }

    // Runs every check on the program. True when the application would start: no line failed.
    bool bVerifie(const char* pszProgramme);

    const std::vector<_stLIGNE>& astLignes() const { return m_astLignes; }
    size_t nEchecs() const;
    // The report: a title, one line per check ("ok", "info", "step", "warn", "FAIL", then the
    // text) and the verdict.
    std::string sRapport() const;

private:
    struct _stETAPE {
        eETAPEDEMARRAGE eEtape;
        eISSUEETAPE eIssue;
        std::string sChemin, sDetail;
        long long n1, n2;
    };

    void _Ligne(eNIVEAU eNiveau, const std::string& sTexte);
    bool _bVerifieProgramme(const char* pszProgramme);
    bool _bVerifieBloc();
    void _VerifieProfil(const std::string& sChemin, const char* pszRole);
    void _RechercheDansEnfant();
    void _ExpliqueRecherche();
    void _AnalyseRuntime(const std::string& sChemin, const char* pszRole);
    void _AnalyseNomNu(const std::string& sNom);
    void _VerifieApplication();
    void _VerifieRepertoireDonnees();
    void _VerifieLisible(const std::string& sChemin, const char* pszRole, eNIVEAU eNiveau);
    const _stETAPE* _pstEtape(eETAPEDEMARRAGE eEtape) const;

    unsigned m_nDelaiMs = 10000;
    std::string m_sCacheLdSo = "/etc/ld.so.cache";
    std::vector<_stLIGNE> m_astLignes;
    std::string m_sTitre;
    std::string m_sProgramme;             // resolved, as the running program would see itself
    std::vector<unsigned char> m_abProgramme;
    unsigned m_nClasse = 0, m_nMachine = 0;  // the launcher's ABI
    _stINFOEXE m_stInfo{};
    std::string m_sRepFichiers;
    std::vector<_stETAPE> m_astEtapes;    // what the child reported
    bool m_bRechercheFaite = false;       // the child ran the search to its end
    bool m_bCharge = false;               // the runtime was loaded and accepted
    CCacheLdSo m_clCache;
    bool m_bCache = false;
    _stCONTEXTECHARGEUR m_stContexte;
    std::vector<std::string> m_asAnalyses;  // runtime files already analysed
};
