// CKleMachine: the state the runtime shares between every context (variables, properties, libraries, callbacks).
#include "runtime/CKleMachine.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

constexpr long gnTailleBibliothequeMax = 1024L * 1024L;  // bytes of one application library

// The whole file, at most gnTailleBibliothequeMax bytes; false with a reason otherwise.
bool __bLitFichier(const char* pszChemin, std::string* pstrTexte, std::string* pstrRaison)
{
    std::FILE* pf = std::fopen(pszChemin, "rb");
    if (!pf) {
        *pstrRaison = std::strerror(errno);
        return false;
    }
    pstrTexte->clear();
    char sz[4096];
    bool bOk = true;
    for (;;) {
        std::size_t n = std::fread(sz, 1, sizeof sz, pf);
        pstrTexte->append(sz, n);
        if (static_cast<long>(pstrTexte->size()) > gnTailleBibliothequeMax) {
            *pstrRaison = "the file is larger than 1 MiB";
            bOk = false;
            break;
        }
        if (n < sizeof sz) {
            if (std::ferror(pf)) {
                *pstrRaison = std::strerror(errno);
                bOk = false;
            }
            break;
        }
    }
    std::fclose(pf);
    return bOk;
}

std::string __strNomDeBase(const std::string& strChemin)
{
    std::size_t nDebut = strChemin.find_last_of("/\\");
    nDebut = nDebut == std::string::npos ? 0 : nDebut + 1;
    std::size_t nPoint = strChemin.find('.', nDebut);
    return strChemin.substr(nDebut, nPoint == std::string::npos ? std::string::npos : nPoint - nDebut);
}

}  // namespace

CKleMachine* CKleMachine::s_pclGet()
{
    static CKleMachine clMachine;
    return &clMachine;
}

int32_t CKleMachine::nInit(_stKLECTX* pstCtx, const _stKLEINIT* pstInit)
{
    Termine();
    m_nValeurInit = pstInit->nValeurInit;
    m_dwOptions = pstInit->dwOptions;
    m_mapContextes[pstCtx] = std::make_unique<CKleContexte>(pstCtx);
    m_bInitialise = true;
    return 0;
}

void CKleMachine::Termine()
{
    m_bInitialise = false;
    m_mapContextes.clear();
    m_mapBibliotheques.clear();
    m_mapVariables.clear();
    m_mapProprietes.clear();
    m_mapMessages.clear();
    m_pfnImprime = m_pfnModule = m_pfnErreur = nullptr;
    m_pImprime = m_pModule = m_pErreur = nullptr;
    m_nCompatible = 0;
    m_pParent = m_pDQContext = nullptr;
    m_strProjet.clear();
    m_nValeurInit = 0;
    m_dwOptions = 0;
}

bool CKleMachine::bAjouteContexte(_stKLECTX* pstCtx)
{
    return m_mapContextes.emplace(pstCtx, std::make_unique<CKleContexte>(pstCtx)).second;
}

bool CKleMachine::bRetireContexte(_stKLECTX* pstCtx)
{
    return m_mapContextes.erase(pstCtx) != 0;
}

CKleContexte* CKleMachine::pclContexte(_stKLECTX* pstCtx)
{
    auto it = m_mapContextes.find(pstCtx);
    return it == m_mapContextes.end() ? nullptr : it->second.get();
}

bool CKleMachine::bOuvre(CScriptLanguage& clLangage, const char* pszChemin, const std::string& strCle)
{
    if (!pszChemin || !*pszChemin)
        return clLangage.bFaute(eERR_ARGUMENT, "no application library was named.");
    std::string strTexte, strRaison;
    if (!__bLitFichier(pszChemin, &strTexte, &strRaison))
        return clLangage.bFaute(eERR_ZVL, std::string(pszChemin) + ": the application library cannot be read (" +
                                              strRaison + ").");
    if (!_bAjoute(clLangage, strTexte, pszChemin, pszChemin, strCle))
        return false;
    if (m_pfnModule)
        m_pfnModule(m_pModule, pszChemin);
    return true;
}

bool CKleMachine::bCompile(CScriptLanguage& clLangage, const char* pszCode, const std::string& strCle)
{
    if (!pszCode)
        return clLangage.bFaute(eERR_ARGUMENT, "no code was given.");
    return _bAjoute(clLangage, pszCode, "code", std::string(), strCle);
}

bool CKleMachine::_bAjoute(CScriptLanguage& clLangage, const std::string& strTexte, const std::string& strSource,
                           const std::string& strChemin, const std::string& strCle)
{
    CKleBibliotheque clBib;
    if (!clLangage.bLitBibliotheque(strTexte, strSource, &clBib))
        return false;
    clBib.strChemin = strChemin;
    // Checking only (no key): nothing is kept and nothing runs.
    if (strCle.empty())
        return true;
    std::vector<KleLigne> vInit = clBib.vInit;
    m_mapBibliotheques[strCle] = std::move(clBib);
    CKleValeur clIgnore;
    return clLangage.bExecute(vInit, strSource, &clIgnore);
}

void CKleMachine::Ferme(const std::string& strCle)
{
    m_mapBibliotheques.erase(strCle);
}

std::string CKleMachine::s_strCleNumero(int32_t nNumero)
{
    return "#" + std::to_string(nNumero);
}

std::string CKleMachine::s_strCleAlias(const char* pszAlias)
{
    return std::string("@") + (pszAlias ? pszAlias : "");
}

const CKleProcedure* CKleMachine::pclProcedure(const char* pszObjet, const std::string& strNom) const
{
    auto Cherche = [&strNom](const CKleBibliotheque& clBib) -> const CKleProcedure* {
        auto it = clBib.mapProcedures.find(strNom);
        return it == clBib.mapProcedures.end() ? nullptr : &it->second;
    };
    if (!pszObjet || !*pszObjet) {
        auto itPrincipale = m_mapBibliotheques.find(s_strCleNumero(0));
        if (itPrincipale != m_mapBibliotheques.end())
            if (const CKleProcedure* p = Cherche(itPrincipale->second))
                return p;
        for (const auto& paire : m_mapBibliotheques)
            if (const CKleProcedure* p = Cherche(paire.second))
                return p;
        return nullptr;
    }
    std::string strObjet = pszObjet;
    for (const auto& cle : {s_strCleAlias(pszObjet), "#" + strObjet}) {
        auto it = m_mapBibliotheques.find(cle);
        if (it != m_mapBibliotheques.end())
            return Cherche(it->second);
    }
    for (const auto& paire : m_mapBibliotheques)
        if (!paire.second.strChemin.empty() && __strNomDeBase(paire.second.strChemin) == strObjet)
            return Cherche(paire.second);
    return nullptr;
}

std::string CKleMachine::strListeBibliotheques() const
{
    std::string str;
    for (const auto& paire : m_mapBibliotheques) {
        str += paire.second.strChemin.empty() ? paire.first : paire.second.strChemin;
        str += '\0';
    }
    str += '\0';
    return str;
}

bool CKleMachine::bLitVariable(const std::string& strNom, CKleValeur* pclValeur) const
{
    auto it = m_mapVariables.find(strNom);
    if (it == m_mapVariables.end())
        return false;
    *pclValeur = it->second;
    return true;
}

void CKleMachine::EcritVariable(const std::string& strNom, const CKleValeur& clValeur)
{
    m_mapVariables[strNom] = clValeur;
}

bool CKleMachine::bLitPropriete(const std::string& strCle, CKleValeur* pclValeur) const
{
    auto it = m_mapProprietes.find(strCle);
    if (it == m_mapProprietes.end())
        return false;
    *pclValeur = it->second;
    return true;
}

void CKleMachine::EcritPropriete(const std::string& strCle, const CKleValeur& clValeur)
{
    m_mapProprietes[strCle] = clValeur;
}

bool CKleMachine::bProprieteExiste(const std::string& strElement, const std::string& strChamp) const
{
    // The field itself, or any indexed or sub-element form of it.
    const std::string strCle = strElement + "." + strChamp;
    if (m_mapProprietes.count(strCle))
        return true;
    for (const char* pszSuite : {".", "["}) {
        const std::string strPrefixe = strCle + pszSuite;
        auto it = m_mapProprietes.lower_bound(strPrefixe);
        if (it != m_mapProprietes.end() && it->first.compare(0, strPrefixe.size(), strPrefixe) == 0)
            return true;
    }
    return false;
}

void CKleMachine::DeclareMessage(const std::string& strCle, const std::string& strTexte)
{
    m_mapMessages[strCle] = strTexte;
}

std::string CKleMachine::strTraduit(const std::string& strCle) const
{
    auto it = m_mapMessages.find(strCle);
    return it == m_mapMessages.end() ? strCle : it->second;
}

void CKleMachine::Imprime(const std::string& strTexte) const
{
    if (m_pfnImprime) {
        m_pfnImprime(m_pImprime, strTexte.c_str());
        return;
    }
    std::string strLigne = strTexte + "\n";
    const char* p = strLigne.data();
    std::size_t n = strLigne.size();
    while (n > 0) {
        ssize_t nEcrit = write(STDOUT_FILENO, p, n);
        if (nEcrit < 0 && errno == EINTR)
            continue;
        if (nEcrit <= 0)
            return;
        p += nEcrit;
        n -= static_cast<std::size_t>(nEcrit);
    }
}

void CKleMachine::SignaleErreur(const std::string& strMessage) const
{
    if (m_pfnErreur)
        m_pfnErreur(m_pErreur, strMessage.c_str());
}
