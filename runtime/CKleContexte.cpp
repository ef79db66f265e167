// CKleContexte: what the runtime keeps for one calling context (pushed values, results, current element).
#include "runtime/CKleContexte.h"

#include <cstring>

#include "runtime/CScriptLanguage.h"

void CKleContexte::Commence()
{
    m_clRetour = CKleValeur();
    m_strTexteRetour.clear();
    m_strErreur.clear();
    if (m_pstCtx->pstValeurRetour)
        m_clRetour.Ecrit(m_pstCtx->pstValeurRetour, m_strTexteRetour);
    if (m_pstCtx->pstErreur) {
        m_pstCtx->pstErreur->nCode = 0;
        m_pstCtx->pstErreur->pszMessage = m_strErreur.c_str();
    }
}

int32_t CKleContexte::nTermine(const CScriptLanguage& clLangage, const CKleValeur& clValeur)
{
    int32_t nResultat = clLangage.nGetResultat();
    m_clRetour = nResultat == 0 ? clValeur : CKleValeur();
    m_strTexteRetour = m_clRetour.eGetType() == CKleValeur::eBUFFER ? std::string() : m_clRetour.strEnTexte();
    m_strErreur = clLangage.strGetMessage();
    if (m_pstCtx->pstValeurRetour)
        m_clRetour.Ecrit(m_pstCtx->pstValeurRetour, m_strTexteRetour);
    if (m_pstCtx->pstErreur) {
        m_pstCtx->pstErreur->nCode = nResultat == 0 ? 0 : clLangage.nGetCodeErreur();
        m_pstCtx->pstErreur->pszMessage = m_strErreur.c_str();
    }
    return nResultat;
}

void CKleContexte::Reprise()
{
    m_vPile.clear();
    m_strErreur.clear();
    if (m_pstCtx->pstErreur) {
        m_pstCtx->pstErreur->nCode = 0;
        m_pstCtx->pstErreur->pszMessage = m_strErreur.c_str();
    }
}

bool CKleContexte::bEmpile(const CKleValeur& clValeur)
{
    if (m_vPile.size() >= ms_nPileMax)
        return false;
    m_vPile.push_back(clValeur);
    return true;
}

bool CKleContexte::bDepile(std::size_t nNombre, std::vector<CKleValeur>* pvValeurs)
{
    if (nNombre > m_vPile.size())
        return false;
    auto itDebut = m_vPile.end() - static_cast<std::ptrdiff_t>(nNombre);
    pvValeurs->assign(itDebut, m_vPile.end());
    m_vPile.erase(itDebut, m_vPile.end());
    return true;
}

void* CKleContexte::pModifie(const char* pszElement)
{
    m_vSauvegardes.push_back(std::make_unique<std::string>(m_strElement));
    m_strElement = pszElement ? pszElement : "";
    return m_vSauvegardes.back().get();
}

bool CKleContexte::bRestaure(void* pSauvegarde)
{
    for (auto it = m_vSauvegardes.begin(); it != m_vSauvegardes.end(); ++it) {
        if (it->get() == pSauvegarde) {
            m_strElement = **it;
            m_vSauvegardes.erase(it);
            return true;
        }
    }
    return false;
}

const char* CKleContexte::pszGarde(std::string str)
{
    m_strGarde = std::move(str);
    return m_strGarde.c_str();
}
