// CKleValeur: one value of the runtime's small language (NULL, boolean, integer, real, string or buffer).
#include "runtime/CKleValeur.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

CKleValeur CKleValeur::s_Booleen(bool b)
{
    CKleValeur cl;
    cl.m_eType = eBOOLEEN;
    cl.m_nEntier = b ? 1 : 0;
    cl.m_dReel = cl.m_nEntier;
    return cl;
}

CKleValeur CKleValeur::s_Entier(int64_t n)
{
    CKleValeur cl;
    cl.m_eType = eENTIER;
    cl.m_nEntier = n;
    cl.m_dReel = static_cast<double>(n);
    return cl;
}

CKleValeur CKleValeur::s_Reel(double d)
{
    CKleValeur cl;
    cl.m_eType = eREEL;
    cl.m_dReel = d;
    return cl;
}

CKleValeur CKleValeur::s_Chaine(std::string str)
{
    CKleValeur cl;
    cl.m_eType = eCHAINE;
    cl.m_str = std::move(str);
    return cl;
}

CKleValeur CKleValeur::s_Buffer(std::string str)
{
    CKleValeur cl;
    cl.m_eType = eBUFFER;
    cl.m_str = std::move(str);
    return cl;
}

bool CKleValeur::bVrai() const
{
    switch (m_eType) {
    case eBOOLEEN:
    case eENTIER:
        return m_nEntier != 0;
    case eREEL:
        return m_dReel != 0.0;
    case eCHAINE:
    case eBUFFER:
        return !m_str.empty();
    default:
        return false;
    }
}

std::string CKleValeur::strEnTexte() const
{
    char sz[64];
    switch (m_eType) {
    case eBOOLEEN:
        return m_nEntier ? "true" : "false";
    case eENTIER:
        std::snprintf(sz, sizeof sz, "%lld", static_cast<long long>(m_nEntier));
        return sz;
    case eREEL:
        std::snprintf(sz, sizeof sz, "%.15g", m_dReel);
        return sz;
    case eCHAINE:
    case eBUFFER:
        return m_str;
    default:
        return std::string();
    }
}

namespace {

// A whole text as a signed 64-bit decimal; blanks around it are not accepted.
bool __bLitEntier(const std::string& str, int64_t* pn)
{
    if (str.empty() || std::strlen(str.c_str()) != str.size())
        return false;
    char* pszFin = nullptr;
    errno = 0;
    long long n = std::strtoll(str.c_str(), &pszFin, 10);
    if (errno != 0 || *pszFin != '\0' || str[0] == ' ' || str[0] == '\t')
        return false;
    *pn = n;
    return true;
}

bool __bLitReel(const std::string& str, double* pd)
{
    if (str.empty() || std::strlen(str.c_str()) != str.size() || str[0] == ' ' || str[0] == '\t')
        return false;
    char* pszFin = nullptr;
    errno = 0;
    double d = std::strtod(str.c_str(), &pszFin);
    if (errno == ERANGE || *pszFin != '\0' || !std::isfinite(d))
        return false;
    *pd = d;
    return true;
}

// A real as an integer, when it lies in range (fraction dropped).
bool __bReelEnEntier(double d, int64_t* pn)
{
    if (!(d > -9223372036854775808.0 - 1.0 && d < 9223372036854775808.0))
        return false;
    *pn = static_cast<int64_t>(d);
    return true;
}

}  // namespace

bool CKleValeur::bConvertit(int nType, CKleValeur* pclResultat) const
{
    if (nType == m_eType) {
        *pclResultat = *this;
        return true;
    }
    if (m_eType == eVIDE)
        return false;
    int64_t n = 0;
    double d = 0.0;
    switch (nType) {
    case eBOOLEEN:
        *pclResultat = s_Booleen(bVrai());
        return true;
    case eENTIER:
        if (m_eType == eBOOLEEN)
            n = m_nEntier;
        else if (m_eType == eREEL) {
            if (!__bReelEnEntier(m_dReel, &n))
                return false;
        } else if (!__bLitEntier(m_str, &n))
            return false;
        *pclResultat = s_Entier(n);
        return true;
    case eREEL:
        if (m_eType == eBOOLEEN || m_eType == eENTIER)
            d = static_cast<double>(m_nEntier);
        else if (!__bLitReel(m_str, &d))
            return false;
        *pclResultat = s_Reel(d);
        return true;
    case eCHAINE:
        *pclResultat = s_Chaine(strEnTexte());
        return true;
    case eBUFFER:
        *pclResultat = s_Buffer(strEnTexte());
        return true;
    default:
        return false;
    }
}

bool CKleValeur::bEgal(const CKleValeur& cl) const
{
    if (bEstNULL() || cl.bEstNULL())
        return bEstNULL() && cl.bEstNULL();
    if (bEstNombre() && cl.bEstNombre()) {
        if (m_eType == eREEL || cl.m_eType == eREEL)
            return m_dReel == cl.m_dReel;
        return m_nEntier == cl.m_nEntier;
    }
    return strEnTexte() == cl.strEnTexte();
}

bool CKleValeur::s_bDepuisMot(int nType, intptr_t nMot, CKleValeur* pclResultat)
{
    switch (nType) {
    case eVIDE:
        *pclResultat = CKleValeur();
        return true;
    case eBOOLEEN:
        *pclResultat = s_Booleen(nMot != 0);
        return true;
    case eENTIER:
        *pclResultat = s_Entier(static_cast<int32_t>(nMot));
        return true;
    case eREEL: {
        const double* pd = reinterpret_cast<const double*>(nMot);
        if (!pd)
            return false;
        double d;
        std::memcpy(&d, pd, sizeof d);
        *pclResultat = s_Reel(d);
        return true;
    }
    case eCHAINE: {
        const char* psz = reinterpret_cast<const char*>(nMot);
        if (!psz)
            return false;
        *pclResultat = s_Chaine(psz);
        return true;
    }
    default:
        return false;
    }
}

bool CKleValeur::s_bDepuisOctets(int nType, const void* pValeur, int32_t nLongueur, CKleValeur* pclResultat)
{
    if (nType == eVIDE) {
        *pclResultat = CKleValeur();
        return true;
    }
    if (!pValeur || nLongueur < 0)
        return false;
    const auto* pby = static_cast<const char*>(pValeur);
    switch (nType) {
    case eBOOLEEN:
    case eENTIER: {
        int64_t n = 0;
        if (nLongueur == 4) {
            int32_t n32;
            std::memcpy(&n32, pby, 4);
            n = n32;
        } else if (nLongueur == 8)
            std::memcpy(&n, pby, 8);
        else
            return false;
        *pclResultat = nType == eBOOLEEN ? s_Booleen(n != 0) : s_Entier(n);
        return true;
    }
    case eREEL: {
        if (nLongueur != 8)
            return false;
        double d;
        std::memcpy(&d, pby, 8);
        *pclResultat = s_Reel(d);
        return true;
    }
    case eCHAINE:
        *pclResultat = s_Chaine(std::string(pby, static_cast<std::size_t>(nLongueur)));
        return true;
    case eBUFFER:
        *pclResultat = s_Buffer(std::string(pby, static_cast<std::size_t>(nLongueur)));
        return true;
    default:
        return false;
    }
}

void CKleValeur::Ecrit(_stKLEVALEURRETOUR* pst, const std::string& strTexte) const
{
    std::memset(pst, 0, sizeof *pst);
    pst->wType = m_eType;
    pst->bNULL = m_eType == eVIDE ? 1 : 0;
    pst->pszValeur = strTexte.c_str();
    int64_t n = 0;
    switch (m_eType) {
    case eBOOLEEN:
    case eENTIER:
        pst->nValeur = static_cast<int32_t>(m_nEntier);
        pst->i64Valeur = m_nEntier;
        pst->dValeur = static_cast<double>(m_nEntier);
        break;
    case eREEL:
        if (__bReelEnEntier(m_dReel, &n)) {
            pst->i64Valeur = n;
            pst->nValeur = static_cast<int32_t>(n);
        }
        pst->dValeur = m_dReel;
        break;
    case eCHAINE:
        pst->nValeur = static_cast<int32_t>(m_str.size());
        pst->pbyValeur = strTexte.data();
        break;
    case eBUFFER:
        pst->nValeur = static_cast<int32_t>(m_str.size());
        pst->pbyValeur = m_str.data();
        break;
    default:
        break;
    }
}
