// The steps of a start-up (runtime search, binding, hand-over) as records, their observer, their text and their serialised form.
#include "launcher/EtapeDemarrage.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

IObservateurDemarrage* gpclObservateur = nullptr;

// First field of every serialised line: a format mark, so that a line of another origin is
// refused at once.
constexpr const char gszMarque[] = "ZVSTEP1";
constexpr unsigned gnChamps = 7;

const char* __pszStrategie(eETAPEDEMARRAGE eEtape)
{
    switch (eEtape) {
    case eETAPE_EXPLICITE:
        return "explicit path (VMPATH)";
    case eETAPE_REPEXE:
        return "1 executable directory";
    case eETAPE_COMMUN:
        return "2 common directory";
    default:
        return "";
    }
}

// The outcome of a candidate tried as a file: found, or why not.
void __AjouteIssueFichier(CTString& cl, const _stETAPEDEMARRAGE& st)
{
    switch (st.eIssue) {
    case eISSUE_TROUVE:
        cl.Add("found");
        break;
    case eISSUE_ILLISIBLE:
        cl.AddPrintf("found, but not readable by this user (%s)", st.pszDetail);
        break;
    case eISSUE_PAS_UN_FICHIER:
        cl.AddPrintf("not a file (%s)", st.pszDetail);
        break;
    case eISSUE_TROP_LONG:
        cl.Add("longer than 260 characters, counts as absent");
        break;
    case eISSUE_CHARGE:
        cl.Add("loaded");
        break;
    case eISSUE_REFUSE:
        cl.AddPrintf("refused by the loader: %s", st.pszDetail);
        break;
    case eISSUE_IGNORE:
        cl.Add("skipped");
        break;
    default:
        cl.AddPrintf("outcome %d", static_cast<int>(st.eIssue));
        break;
    }
}

void __Echappe(std::string& s, const char* psz)
{
    for (const char* p = psz ? psz : ""; *p; ++p) {
        switch (*p) {
        case '\\':
            s += "\\\\";
            break;
        case '\t':
            s += "\\t";
            break;
        case '\n':
            s += "\\n";
            break;
        default:
            s += *p;
            break;
        }
    }
}

bool __bDesechappe(const char* p, size_t n, CTString* pcl)
{
    std::string s;
    for (size_t i = 0; i < n; ++i) {
        if (p[i] == '\0')
            return false;
        if (p[i] != '\\') {
            s += p[i];
            continue;
        }
        if (++i >= n)
            return false;
        switch (p[i]) {
        case '\\':
            s += '\\';
            break;
        case 't':
            s += '\t';
            break;
        case 'n':
            s += '\n';
            break;
        default:
            return false;
        }
    }
    *pcl = s.c_str();
    return true;
}

// A decimal number of the field, "-" allowed, nothing else; false when out of range.
bool __bLitNombre(const char* p, size_t n, long long nMin, long long nMax, long long* pn)
{
    if (n == 0 || n > 20)
        return false;
    char sz[24];
    std::memcpy(sz, p, n);
    sz[n] = '\0';
    for (size_t i = 0; i < n; ++i) {
        if (!(sz[i] >= '0' && sz[i] <= '9') && !(i == 0 && sz[i] == '-' && n > 1))
            return false;
    }
    errno = 0;
    char* pFin = nullptr;
    const long long v = std::strtoll(sz, &pFin, 10);
    if (errno != 0 || pFin != sz + n || v < nMin || v > nMax)
        return false;
    *pn = v;
    return true;
}

}  // namespace

void SetObservateurDemarrage(IObservateurDemarrage* pclObservateur)
{
    gpclObservateur = pclObservateur;
}

IObservateurDemarrage* pclObservateurDemarrage()
{
    return gpclObservateur;
}

void SignaleEtape(eETAPEDEMARRAGE eEtape, eISSUEETAPE eIssue, const char* pszChemin, const char* pszDetail,
                  long long n1, long long n2)
{
    if (!gpclObservateur)
        return;
    const _stETAPEDEMARRAGE st = {eEtape, eIssue, pszChemin ? pszChemin : "", pszDetail ? pszDetail : "", n1, n2};
    gpclObservateur->vEtape(st);
}

CTString clTexteEtape(const _stETAPEDEMARRAGE& stEtape)
{
    const _stETAPEDEMARRAGE& st = stEtape;
    const char* pszChemin = st.pszChemin ? st.pszChemin : "";
    _stETAPEDEMARRAGE stSur = st;
    stSur.pszDetail = st.pszDetail ? st.pszDetail : "";
    CTString cl;
    switch (st.eEtape) {
    case eETAPE_PROGRAMME:
        cl.printf("program %s, runtime library %s", pszChemin, stSur.pszDetail);
        break;
    case eETAPE_PARAMETRES:
        if (st.eIssue == eISSUE_TROUVE)
            cl.printf("execution parameters %s: VMPATH=%s", pszChemin, stSur.pszDetail);
        else if (st.eIssue == eISSUE_MANQUE)
            cl.printf("execution parameters %s: no VMPATH in [FRAMEWORK]", pszChemin);
        else if (st.eIssue == eISSUE_TROP_LONG)
            cl.printf("execution parameters: the path of the .ZX file passes 260 characters, not read");
        else
            cl.printf("execution parameters %s: absent", pszChemin);
        break;
    case eETAPE_EXPLICITE:
        if (st.eIssue == eISSUE_AUCUN) {
            cl.printf("%s: none", __pszStrategie(st.eEtape));
        } else {
            cl.printf("%s %s: ", __pszStrategie(st.eEtape), pszChemin);
            __AjouteIssueFichier(cl, stSur);
            if (st.eIssue != eISSUE_CHARGE)
                cl.Add("; ignored, the strategies follow");
        }
        break;
    case eETAPE_DRAPEAUX:
        cl.printf("information block: restricted search %lld, common directory %lld", st.n1, st.n2);
        break;
    case eETAPE_REPEXE:
    case eETAPE_COMMUN:
        if (st.eIssue == eISSUE_IGNORE) {
            cl.printf("%s: skipped (its flag is 0)", __pszStrategie(st.eEtape));
        } else {
            cl.printf("%s: %s: ", __pszStrategie(st.eEtape), pszChemin);
            __AjouteIssueFichier(cl, stSur);
        }
        break;
    case eETAPE_RESTREINTE:
        cl = "restricted search: strategies 2 to 4 skipped; the final load uses what was found so far";
        break;
    case eETAPE_CONF:
        if (st.eIssue == eISSUE_TROUVE)
            cl.printf("custom runtime name: %s: CHEMIN=%s", pszChemin, stSur.pszDetail);
        else if (st.eIssue == eISSUE_TROP_LONG)
            cl.printf("custom runtime name: %s: the path or its CHEMIN passes 260 characters", pszChemin);
        else if (st.eIssue == eISSUE_PAS_UN_FICHIER)
            cl.printf("custom runtime name: %s: not a file (%s), so no CHEMIN: the candidate is the bare name "
                      "in the current directory",
                      pszChemin, stSur.pszDetail);
        else
            cl.printf("custom runtime name: %s has no CHEMIN in [FRAMEWORK]: the candidate is the bare name in "
                      "the current directory",
                      pszChemin);
        break;
    case eETAPE_DEV:
        cl = "3 development directory: not used on this platform";
        break;
    case eETAPE_PATH:
        if (st.eIssue == eISSUE_CHARGE)
            cl.printf("4 loader's search by name %s: found %s", pszChemin, stSur.pszDetail);
        else
            cl.printf("4 loader's search by name %s: refused by the loader: %s", pszChemin, stSur.pszDetail);
        break;
    case eETAPE_CHARGEMENT:
        if (st.eIssue == eISSUE_TROP_LONG) {
            cl = "load: the directory and the name pass 260 characters, nothing loaded";
        } else {
            cl.printf("load %s%s: ", pszChemin, std::strchr(pszChemin, '/') ? "" : " (bare name: the loader's search)");
            __AjouteIssueFichier(cl, stSur);
            if (st.eIssue == eISSUE_CHARGE && *stSur.pszDetail && std::strcmp(stSur.pszDetail, pszChemin) != 0)
                cl.AddPrintf(" (%s)", stSur.pszDetail);
        }
        break;
    case eETAPE_INIT:
        if (st.eIssue == eISSUE_ACCEPTE)
            cl.printf("bInitLibrary of %s: accepted", pszChemin);
        else if (st.eIssue == eISSUE_MANQUE)
            cl.printf("bInitLibrary of %s: missing; the library is unloaded and counts as not found", pszChemin);
        else
            cl.printf("bInitLibrary of %s: refused (returned 0); the library is unloaded and counts as not found",
                      pszChemin);
        break;
    case eETAPE_RESULTAT:
        if (st.eIssue == eISSUE_TROUVE)
            cl.printf("runtime directory: %s", *pszChemin ? pszChemin : "(none: the loader's search by name)");
        else
            cl = "no runtime library: the search failed";
        break;
    case eETAPE_ENTREE:
        cl.printf("entry point %s: %s%s", pszChemin, st.eIssue == eISSUE_TROUVE ? "bound" : "missing",
                  st.eIssue != eISSUE_TROUVE && st.n1 ? " (the start cannot do without it)" : "");
        break;
    case eETAPE_PROXY:
        if (st.eIssue == eISSUE_ACCEPTE)
            cl = "pQueryProxy(100): an interface";
        else if (st.eIssue == eISSUE_MANQUE)
            cl = "pQueryProxy: missing";
        else
            cl = "pQueryProxy(100): null";
        break;
    case eETAPE_ZVL:
        cl.printf("application library %s (position %lld): %s", pszChemin, st.n1,
                  st.eIssue == eISSUE_ACCEPTE ? "accepted by the runtime" : "refused by the runtime");
        break;
    case eETAPE_DONNEES:
        cl.printf("data-files directory %s and active version %lld handed to the runtime", pszChemin, st.n1);
        break;
    case eETAPE_NOMBRE:
        break;
    }
    if (cl.bEstVide())
        cl.printf("step %d: outcome %d", static_cast<int>(st.eEtape), static_cast<int>(st.eIssue));
    return cl;
}

CTString clSerialiseEtape(const _stETAPEDEMARRAGE& stEtape)
{
    std::string s(gszMarque);
    s += '\t';
    s += std::to_string(static_cast<int>(stEtape.eEtape));
    s += '\t';
    s += std::to_string(static_cast<int>(stEtape.eIssue));
    s += '\t';
    s += std::to_string(stEtape.n1);
    s += '\t';
    s += std::to_string(stEtape.n2);
    s += '\t';
    __Echappe(s, stEtape.pszChemin);
    s += '\t';
    __Echappe(s, stEtape.pszDetail);
    return CTString(s.c_str());
}

bool bLitEtapeSerialisee(const char* pLigne, size_t nLongueur, _stETAPEDEMARRAGE* pstEtape, CTString* pclChemin,
                         CTString* pclDetail)
{
    if (!pLigne || !pstEtape || !pclChemin || !pclDetail)
        return false;
    const char* apDebut[gnChamps];
    size_t anLongueur[gnChamps];
    unsigned nChamp = 0;
    size_t nDebut = 0;
    for (size_t i = 0; i <= nLongueur; ++i) {
        if (i < nLongueur && pLigne[i] != '\t')
            continue;
        if (nChamp == gnChamps)
            return false;
        apDebut[nChamp] = pLigne + nDebut;
        anLongueur[nChamp] = i - nDebut;
        ++nChamp;
        nDebut = i + 1;
    }
    if (nChamp != gnChamps || anLongueur[0] != sizeof(gszMarque) - 1 ||
        std::memcmp(apDebut[0], gszMarque, anLongueur[0]) != 0)
        return false;
    long long nEtape = 0, nIssue = 0, n1 = 0, n2 = 0;
    const long long nMax = 0x7FFFFFFFFFFFFFFFLL;
    if (!__bLitNombre(apDebut[1], anLongueur[1], 0, eETAPE_NOMBRE - 1, &nEtape) ||
        !__bLitNombre(apDebut[2], anLongueur[2], 0, eISSUE_NOMBRE - 1, &nIssue) ||
        !__bLitNombre(apDebut[3], anLongueur[3], -nMax - 1, nMax, &n1) ||
        !__bLitNombre(apDebut[4], anLongueur[4], -nMax - 1, nMax, &n2) ||
        !__bDesechappe(apDebut[5], anLongueur[5], pclChemin) || !__bDesechappe(apDebut[6], anLongueur[6], pclDetail))
        return false;
    pstEtape->eEtape = static_cast<eETAPEDEMARRAGE>(nEtape);
    pstEtape->eIssue = static_cast<eISSUEETAPE>(nIssue);
    pstEtape->n1 = n1;
    pstEtape->n2 = n2;
    pstEtape->pszChemin = pclChemin->pszGet();
    pstEtape->pszDetail = pclDetail->pszGet();
    return true;
}
