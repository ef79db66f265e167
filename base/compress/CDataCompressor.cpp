// CDataCompressor: decoder of the compact text form of the built-in messages.
#include "base/compress/CDataCompressor.h"

#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

constexpr bool bStrictementCroissante(const unsigned char* pTable)
{
    for (int i = 1; i < 32; ++i)
        if (pTable[i - 1] >= pTable[i])
            return false;
    return pTable[0] != 0;
}

static_assert(bStrictementCroissante(CDataCompressor::tabCharset1), "table 0 must ascend");
static_assert(bStrictementCroissante(CDataCompressor::tabCharset2), "table 1 must ascend");
static_assert(bStrictementCroissante(CDataCompressor::tabCharset3), "table 2 must ascend");
static_assert(bStrictementCroissante(CDataCompressor::tabCharset4), "table 3 must ascend");

constexpr int kESCAPE_OCTET = 38;  // table 3 current: the next stored byte as it is
constexpr int kESCAPE_SUITE = 39;  // table 3 current: a count byte, then that many bytes

} // namespace

const unsigned char* CDataCompressor::pGetCharset(int nTable)
{
    switch (nTable) {
    case 0: return tabCharset1;
    case 1: return tabCharset2;
    case 2: return tabCharset3;
    case 3: return tabCharset4;
    default: return nullptr;
    }
}

CDataCompressor::CDataCompressor()
    : m_pbyStocke(nullptr), m_nLongueurStocke(0), m_pszSortie(nullptr), m_nCapacite(0),
      m_nProduit(0), m_nTableCourante(0), m_nTableUnique(-1)
{
}

char* CDataCompressor::s_pszDeCompress(const char* pszStocke)
{
    const std::size_t nLongueur = pszStocke != nullptr ? std::strlen(pszStocke) : 0;
    // Three characters for two bytes at most, one for a lone last byte, then the NUL.
    if (nLongueur > std::size_t(INT_MAX / 2 - 2))
        return nullptr;
    int nTaille = int(nLongueur + nLongueur / 2 + 2);
    char* pszSortie = static_cast<char*>(std::malloc(std::size_t(nTaille)));
    if (pszSortie == nullptr)
        return nullptr;
    if (s_nDeCompress(pszSortie, &nTaille, pszStocke) != eDECOMP_COMPLET) {
        std::free(pszSortie);
        return nullptr;
    }
    return pszSortie;
}

int CDataCompressor::s_nDeCompress(char* pszSortie, int* pnTaille, const char* pszStocke)
{
    CDataCompressor clDecodeur;
    return clDecodeur.nDeCompress(pszSortie, pnTaille, pszStocke);
}

void CDataCompressor::__Sortie(unsigned char c)
{
    if (m_nProduit < m_nCapacite - 1)
        m_pszSortie[m_nProduit] = static_cast<char>(c);
    if (m_nProduit < INT_MAX)
        ++m_nProduit;
}

bool CDataCompressor::__bAppliqueChiffre(int nChiffre)
{
    if (nChiffre < 0 || nChiffre > 39)
        return false;
    if (nChiffre < 4) {
        m_nTableUnique = nChiffre;
    } else if (nChiffre < 8) {
        m_nTableCourante = nChiffre - 4;
        m_nTableUnique = -1;
    } else {
        const int nTable = m_nTableUnique >= 0 ? m_nTableUnique : m_nTableCourante;
        m_nTableUnique = -1;
        __Sortie(pGetCharset(nTable)[nChiffre - 8]);
    }
    return true;
}

int CDataCompressor::nDeCompress(char* pszSortie, int* pnTaille, const char* pszStocke)
{
    if (pnTaille == nullptr)
        return eDECOMP_CORROMPU;
    const std::size_t nLongueur = pszStocke != nullptr ? std::strlen(pszStocke) : 0;
    if (nLongueur > std::size_t(INT_MAX / 2)) {
        *pnTaille = 0;
        return eDECOMP_CORROMPU;
    }
    m_pbyStocke = reinterpret_cast<const unsigned char*>(pszStocke);
    m_nLongueurStocke = int(nLongueur);
    m_pszSortie = pszSortie;
    m_nCapacite = pszSortie != nullptr && *pnTaille > 0 ? *pnTaille : 0;
    m_nProduit = 0;
    m_nTableCourante = 0;
    m_nTableUnique = -1;

    const unsigned char* pby = m_pbyStocke;
    const int n = m_nLongueurStocke;
    int nPos = 0;
    bool bCorrompu = false;
    while (!bCorrompu && nPos < n - 1) {
        const int v = (pby[nPos] - 1) * 255 + (pby[nPos + 1] - 1);
        const int anChiffres[3] = {v / 1600, v % 1600 / 40, v % 40};
        int nEchappement = 0;
        for (int nChiffre : anChiffres) {
            if (m_nTableCourante == 3 &&
                (nChiffre == kESCAPE_OCTET || nChiffre == kESCAPE_SUITE)) {
                nEchappement = nChiffre;
                break;
            }
            if (!__bAppliqueChiffre(nChiffre)) {
                bCorrompu = true;
                break;
            }
        }
        if (bCorrompu)
            break;
        if (nEchappement == 0) {
            nPos += 2;
            continue;
        }
        // The escape's bytes must lie before the terminator; a stored text that ends
        // inside an escape is corrupt and its decoding stops at the terminator.
        if (nPos + 2 >= n) {
            bCorrompu = true;
            break;
        }
        if (nEchappement == kESCAPE_OCTET) {
            __Sortie(pby[nPos + 2]);
            nPos += 3;
        } else {
            const int nCompte = pby[nPos + 2];
            const int nDisponibles = n - (nPos + 3);
            const int nCopies = nCompte < nDisponibles ? nCompte : nDisponibles;
            for (int i = 0; i < nCopies; ++i)
                __Sortie(pby[nPos + 3 + i]);
            if (nCompte > nDisponibles) {
                bCorrompu = true;
                break;
            }
            nPos += 3 + nCompte;
        }
    }
    if (!bCorrompu && nPos == n - 1) {
        const int nChiffre = (pby[nPos] - 1) & 255;
        if (m_nTableCourante == 3 && (nChiffre == kESCAPE_OCTET || nChiffre == kESCAPE_SUITE))
            bCorrompu = true;  // an escape with nothing after it
        else if (!__bAppliqueChiffre(nChiffre))
            bCorrompu = true;
    }

    *pnTaille = m_nProduit;
    int nResultat;
    if (m_nCapacite == 0) {
        nResultat = eDECOMP_COUPE;  // not even the NUL fits
    } else if (m_nProduit < m_nCapacite) {
        m_pszSortie[m_nProduit] = 0;
        nResultat = eDECOMP_COMPLET;
    } else {
        m_pszSortie[m_nCapacite - 1] = 0;
        nResultat = eDECOMP_COUPE;
    }
    return bCorrompu ? int(eDECOMP_CORROMPU) : nResultat;
}

int CDataCompressor::_nGetValue(unsigned char c, int nTable)
{
    const unsigned char* pTable = pGetCharset(nTable);
    if (pTable == nullptr)
        return -1;
    int nBas = 0, nHaut = 31;
    while (nBas <= nHaut) {
        const int nMilieu = (nBas + nHaut) / 2;
        if (pTable[nMilieu] == c)
            return nMilieu + 8;
        if (pTable[nMilieu] < c)
            nBas = nMilieu + 1;
        else
            nHaut = nMilieu - 1;
    }
    return -1;
}

int CDataCompressor::_nGetCharsetSwitch(int nTable)
{
    return nTable >= 0 && nTable <= 3 ? 4 + nTable : 8;
}

int CDataCompressor::_nGetCharset(int nCode)
{
    return nCode >= 0 && nCode <= 7 ? (nCode & 3) : -1;
}
