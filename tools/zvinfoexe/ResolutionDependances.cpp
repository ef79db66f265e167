// Resolution of the libraries an ELF object needs, as the dynamic loader would find them: the object's search paths, LD_LIBRARY_PATH, the loader's cache, the system directories.
#include "tools/zvinfoexe/ResolutionDependances.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <deque>
#include <set>

#include "base/files/SondeFichier.h"
#include "base/system/AppelsSysteme.h"

namespace {

constexpr size_t gnMaxBibliotheques = 512;
// Libraries are read whole to follow their own needs; past this size one is only checked.
constexpr size_t gnMaxLecture = 512u * 1024u * 1024u;

std::string __sRepertoire(const std::string& sChemin)
{
    const size_t n = sChemin.rfind('/');
    if (n == std::string::npos)
        return ".";
    return n == 0 ? "/" : sChemin.substr(0, n);
}

void __Remplace(std::string& s, const std::string& sMot, const std::string& sValeur)
{
    for (const std::string& sForme : {"${" + sMot + "}", "$" + sMot}) {
        size_t n = 0;
        while ((n = s.find(sForme, n)) != std::string::npos) {
            s.replace(n, sForme.size(), sValeur);
            n += sValeur.size();
        }
    }
}

// The ABI of a candidate file, from its header; false when it is not an ELF file.
bool __bAbiFichier(const std::string& sChemin, unsigned* pnClasse, unsigned* pnMachine)
{
    std::vector<unsigned char> ab;
    if (!bLitDebutFichier(sChemin, 64, &ab) || ab.size() < 20 || ab[0] != 0x7F || ab[1] != 'E' || ab[2] != 'L' ||
        ab[3] != 'F')
        return false;
    *pnClasse = ab[4];
    *pnMachine = ab[5] == 2 ? (unsigned(ab[18]) << 8 | ab[19]) : (unsigned(ab[19]) << 8 | ab[18]);
    return true;
}

// Whether the file at sChemin is one the loader would take; a file of another ABI is noted.
bool __bCandidat(const std::string& sChemin, const _stCONTEXTECHARGEUR& stContexte, _stDEPENDANCE* pst)
{
    if (stSondeFichier(sChemin.c_str()).eGenre != eGENRE_FICHIER)
        return false;
    unsigned nClasse = 0, nMachine = 0;
    if (!__bAbiFichier(sChemin, &nClasse, &nMachine))
        return false;
    if (nClasse != stContexte.nClasse || nMachine != stContexte.nMachine) {
        if (pst->sIncompatible.empty())
            pst->sIncompatible = sChemin + " (" + CLecteurElf::s_sAbi(nClasse, nMachine) + ")";
        return false;
    }
    return true;
}

bool __bCherche(const std::vector<std::string>& asRep, const char* pszOrigine, const _stCONTEXTECHARGEUR& stContexte,
                _stDEPENDANCE* pst)
{
    for (const std::string& sRep : asRep) {
        const std::string sChemin = sRep.empty() ? pst->sNom : (sRep.back() == '/' ? sRep : sRep + "/") + pst->sNom;
        if (__bCandidat(sChemin, stContexte, pst)) {
            pst->sChemin = sChemin;
            pst->sOrigine = pszOrigine;
            return true;
        }
    }
    return false;
}

}  // namespace

bool bLitDebutFichier(const std::string& sChemin, size_t nMax, std::vector<unsigned char>* pab)
{
    pab->clear();
    const int nFd = SYS_nOpen(sChemin.c_str(), O_RDONLY | O_CLOEXEC);
    if (nFd < 0)
        return false;
    struct stat64 st;
    bool bOk = SYS_bFstat(nFd, &st, sChemin.c_str());
    if (bOk) {
        // The size stat gives, bounded; a file that changes meanwhile is read as far as it goes.
        const uint64_t nTaille = st.st_size > 0 ? static_cast<uint64_t>(st.st_size) : 0;
        pab->resize(static_cast<size_t>(std::min<uint64_t>(nTaille, nMax)));
        size_t nLu = 0;
        bOk = SYS_bReadAll(nFd, pab->data(), pab->size(), &nLu, sChemin.c_str());
        pab->resize(nLu);
    }
    const int nErrno = errno;
    SYS_bClose(nFd, sChemin.c_str());
    errno = nErrno;
    return bOk;
}

std::vector<std::string> vDecoupeChemins(const std::string& sChemins, const std::string& sOrigine, unsigned nClasse)
{
    std::vector<std::string> as;
    if (sChemins.empty())
        return as;
    size_t nDebut = 0;
    for (;;) {
        const size_t nFin = sChemins.find_first_of(":;", nDebut);
        std::string s = sChemins.substr(nDebut, nFin == std::string::npos ? std::string::npos : nFin - nDebut);
        __Remplace(s, "ORIGIN", sOrigine);
        __Remplace(s, "LIB", nClasse == CLecteurElf::nCLASSE_64 ? "lib/x86_64-linux-gnu" : "lib/i386-linux-gnu");
        __Remplace(s, "PLATFORM", nClasse == CLecteurElf::nCLASSE_64 ? "x86_64" : "i686");
        as.push_back(s.empty() ? "." : s);
        if (nFin == std::string::npos)
            break;
        nDebut = nFin + 1;
    }
    return as;
}

std::vector<std::string> vRepertoiresSysteme(unsigned nClasse, unsigned nMachine)
{
    if (nClasse == CLecteurElf::nCLASSE_64 && nMachine == CLecteurElf::nMACHINE_X86_64)
        return {"/lib/x86_64-linux-gnu", "/usr/lib/x86_64-linux-gnu", "/lib", "/usr/lib"};
    if (nClasse == CLecteurElf::nCLASSE_32 && nMachine == CLecteurElf::nMACHINE_I386)
        return {"/lib/i386-linux-gnu", "/usr/lib/i386-linux-gnu", "/lib", "/usr/lib"};
    return {"/lib", "/usr/lib"};
}

bool bTrouveBibliotheque(const std::string& sNom, const CLecteurElf* pclDemandeur, const std::string& sDemandeur,
                         const _stCONTEXTECHARGEUR& stContexte, _stDEPENDANCE* pst)
{
    *pst = _stDEPENDANCE();
    pst->sNom = sNom;
    pst->sDemandeur = sDemandeur;
    if (sNom.empty())
        return false;
    // A name with a slash is a path, taken as it is.
    if (sNom.find('/') != std::string::npos) {
        if (!__bCandidat(sNom, stContexte, pst))
            return false;
        pst->sChemin = sNom;
        pst->sOrigine = "path";
        return true;
    }
    const std::string sOrigine = __sRepertoire(sDemandeur);
    const unsigned nClasse = stContexte.nClasse;
    // RPATH counts only when the object has no RUNPATH.
    if (pclDemandeur && pclDemandeur->sRunpath().empty() &&
        __bCherche(vDecoupeChemins(pclDemandeur->sRpath(), sOrigine, nClasse), "RPATH", stContexte, pst))
        return true;
    if (__bCherche(vDecoupeChemins(stContexte.sLdLibraryPath, sOrigine, nClasse), "LD_LIBRARY_PATH", stContexte, pst))
        return true;
    if (pclDemandeur &&
        __bCherche(vDecoupeChemins(pclDemandeur->sRunpath(), sOrigine, nClasse), "RUNPATH", stContexte, pst))
        return true;
    std::string sCache;
    if (stContexte.pclCache && stContexte.pclCache->bCherche(sNom.c_str(), nClasse, stContexte.nMachine, &sCache) &&
        __bCandidat(sCache, stContexte, pst)) {
        pst->sChemin = sCache;
        pst->sOrigine = "ld.so.cache";
        return true;
    }
    return __bCherche(vRepertoiresSysteme(nClasse, stContexte.nMachine), "system directory", stContexte, pst);
}

std::vector<_stDEPENDANCE> vResoutDependances(const std::string& sObjet, const CLecteurElf& clObjet,
                                              const _stCONTEXTECHARGEUR& stContexte)
{
    std::vector<_stDEPENDANCE> ast;
    std::set<std::string> asVus;
    struct _stOBJET {
        std::string sChemin;
        CLecteurElf clElf;
    };
    std::deque<_stOBJET> aFile;
    aFile.push_back({sObjet, clObjet});
    while (!aFile.empty() && ast.size() < gnMaxBibliotheques) {
        const _stOBJET stObjet = std::move(aFile.front());
        aFile.pop_front();
        for (const std::string& sNom : stObjet.clElf.asDependances()) {
            if (!asVus.insert(sNom).second || ast.size() >= gnMaxBibliotheques)
                continue;
            _stDEPENDANCE st;
            if (bTrouveBibliotheque(sNom, &stObjet.clElf, stObjet.sChemin, stContexte, &st)) {
                std::vector<unsigned char> ab;
                _stOBJET stSuivant;
                stSuivant.sChemin = st.sChemin;
                if (bLitDebutFichier(st.sChemin, gnMaxLecture, &ab) &&
                    stSuivant.clElf.bLit(ab.data(), ab.size(), nullptr))
                    aFile.push_back(std::move(stSuivant));
            }
            ast.push_back(std::move(st));
        }
    }
    return ast;
}
