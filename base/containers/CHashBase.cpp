// CHashBase: abstract hash table of (key, value) words in bucket lists that grow and shrink through primes.
#include "base/containers/CHashBase.h"

#include "base/containers/CXMath.h"
#include "base/containers/XMalloc.h"

#include <cctype>
#include <climits>
#include <cstdint>
#include <new>

CHashBase::CHashBase(int nNbBuckets)
    : m_nNiveauAgrandir(3), m_nNiveauReduire(1), m_nNbBuckets(0), m_pBuckets(nullptr), m_nNbElements(0)
{
    if (nNbBuckets > 0) {
        m_pBuckets = __pCreeBuckets(nNbBuckets);
        if (m_pBuckets != nullptr)
            m_nNbBuckets = nNbBuckets;
    }
}

CHashBase::~CHashBase()
{
    __DetruitBuckets(m_pBuckets, m_nNbBuckets);
}

CListeDeBuffer* CHashBase::__pCreeBuckets(int nNb)
{
    if (nNb <= 0 || std::size_t(nNb) > SIZE_MAX / sizeof(CListeDeBuffer))
        return nullptr;
    void* p = XMALLOC_pNew_(std::size_t(nNb) * sizeof(CListeDeBuffer));
    if (p == nullptr)
        return nullptr;
    CListeDeBuffer* pBuckets = static_cast<CListeDeBuffer*>(p);
    for (int i = 0; i < nNb; ++i)
        new (&pBuckets[i]) CListeDeBuffer(int(sizeof(_stELEMENTHASH)));
    return pBuckets;
}

void CHashBase::__DetruitBuckets(CListeDeBuffer* pBuckets, int nNb)
{
    if (pBuckets == nullptr)
        return;
    for (int i = 0; i < nNb; ++i)
        pBuckets[i].~CListeDeBuffer();
    XMALLOC_Del_(pBuckets);
}

CListeDeBuffer& CHashBase::__clBucket(std::uintptr_t nCle) const
{
    return m_pBuckets[dwHashCle(nCle) % unsigned(m_nNbBuckets)];
}

void CHashBase::SetNiveau(int nNiveauAgrandir, int nNiveauReduire)
{
    m_nNiveauAgrandir = nNiveauAgrandir;
    m_nNiveauReduire = nNiveauReduire;
}

bool CHashBase::AjouteDYN(std::uintptr_t nCle, std::uintptr_t nValeur)
{
    if (std::int64_t(m_nNbElements) >= std::int64_t(m_nNbBuckets) * m_nNiveauAgrandir) {
        // A growth that cannot be had (no prime in range, no memory) leaves the table as
        // it is: the insertion still works, only the chains get longer.
        const std::uint64_t nDouble = 2 * std::uint64_t(m_nNbBuckets);
        if (nDouble <= std::uint64_t(INT_MAX)) {
            const unsigned nNouveau = CXMath::s_nPremierApres(unsigned(nDouble));
            if (nNouveau != 0 && nNouveau <= unsigned(INT_MAX))
                RedimensionneTable(int(nNouveau));
        }
    }
    if (m_nNbBuckets == 0 || m_nNbElements == INT_MAX)
        return false;
    const _stELEMENTHASH stElement = {nCle, nValeur};
    if (!__clBucket(nCle).Ajoute(&stElement, true))
        return false;
    ++m_nNbElements;
    return true;
}

bool CHashBase::bRecherche(std::uintptr_t nCle, std::uintptr_t* pnValeur, std::uintptr_t* pnCleStockee)
{
    if (m_nNbBuckets == 0)
        return false;
    CListeDeBuffer& clBucket = __clBucket(nCle);
    for (void* p = clBucket.pVaSurNumero(0); p != nullptr; p = clBucket.pVaSuivant()) {
        const _stELEMENTHASH* pElement = static_cast<const _stELEMENTHASH*>(p);
        if (bCleEgale(pElement->nCle, nCle)) {
            if (pnValeur != nullptr)
                *pnValeur = pElement->nValeur;
            if (pnCleStockee != nullptr)
                *pnCleStockee = pElement->nCle;
            return true;
        }
    }
    return false;
}

bool CHashBase::bRechercheConst(std::uintptr_t nCle, std::uintptr_t* pnValeur,
                                std::uintptr_t* pnCleStockee) const
{
    if (m_nNbBuckets == 0)
        return false;
    // Walking the nodes directly is the same as walking a copy of the bucket's position.
    const CListeDeBuffer& clBucket = __clBucket(nCle);
    for (const CListeDeBuffer::_stNoeud* pNoeud = clBucket.pGetPremier(); pNoeud != nullptr;
         pNoeud = pNoeud->pSuivant) {
        const _stELEMENTHASH* pElement = static_cast<const _stELEMENTHASH*>(CListeDeBuffer::pGetElem(pNoeud));
        if (bCleEgale(pElement->nCle, nCle)) {
            if (pnValeur != nullptr)
                *pnValeur = pElement->nValeur;
            if (pnCleStockee != nullptr)
                *pnCleStockee = pElement->nCle;
            return true;
        }
    }
    return false;
}

bool CHashBase::bSupprime(std::uintptr_t nCle)
{
    if (!bRecherche(nCle))
        return false;
    __clBucket(nCle).SupprimeCourant();
    --m_nNbElements;
    return true;
}

bool CHashBase::bSupprimeDYN(std::uintptr_t nCle)
{
    if (!bSupprime(nCle))
        return false;
    if (std::int64_t(m_nNbElements) < std::int64_t(m_nNbBuckets) * m_nNiveauReduire) {
        unsigned nNouveau = CXMath::s_nPremierApres(unsigned(m_nNbBuckets / 2));
        if (nNouveau < unsigned(ms_nMinBucketsReduire))
            nNouveau = ms_nMinBucketsReduire;
        // Shrinking never adds buckets: a small table (fewer than the minimum) stays as it is.
        if (nNouveau < unsigned(m_nNbBuckets))
            RedimensionneTable(int(nNouveau));
    }
    return true;
}

bool CHashBase::SupprimeCourant(int* pnBucket, std::uintptr_t* pnValeur, std::uintptr_t* pnCle)
{
    int nBucket = pnBucket != nullptr ? *pnBucket : 0;
    if (nBucket < 0)
        nBucket = 0;
    for (; nBucket < m_nNbBuckets; ++nBucket) {
        CListeDeBuffer& clBucket = m_pBuckets[nBucket];
        const void* p = clBucket.pVaSurNumero(0);
        if (p == nullptr)
            continue;
        const _stELEMENTHASH stElement = *static_cast<const _stELEMENTHASH*>(p);
        clBucket.SupprimeCourant();
        --m_nNbElements;
        if (pnBucket != nullptr)
            *pnBucket = nBucket;
        if (pnValeur != nullptr)
            *pnValeur = stElement.nValeur;
        if (pnCle != nullptr)
            *pnCle = stElement.nCle;
        return true;
    }
    if (pnValeur != nullptr)
        *pnValeur = 0;
    return false;
}

void CHashBase::SupprimeTout()
{
    if (m_nNbElements == 0)
        return;
    for (int i = 0; i < m_nNbBuckets; ++i)
        m_pBuckets[i].SupprimeTout();
    m_nNbElements = 0;
}

bool CHashBase::RedimensionneTable(int nNbBuckets)
{
    if (nNbBuckets < 1 || nNbBuckets == m_nNbBuckets)
        return true;
    CListeDeBuffer* pNouveaux = __pCreeBuckets(nNbBuckets);
    if (pNouveaux == nullptr)
        return false;
    // Every element is copied into the new buckets before the old ones go, so that a
    // failed allocation half-way loses nothing: the new array is dropped and the table
    // stays as it was.
    for (int i = 0; i < m_nNbBuckets; ++i) {
        for (const CListeDeBuffer::_stNoeud* pNoeud = m_pBuckets[i].pGetPremier(); pNoeud != nullptr;
             pNoeud = pNoeud->pSuivant) {
            const _stELEMENTHASH* pElement =
                static_cast<const _stELEMENTHASH*>(CListeDeBuffer::pGetElem(pNoeud));
            CListeDeBuffer& clCible = pNouveaux[dwHashCle(pElement->nCle) % unsigned(nNbBuckets)];
            if (!clCible.Ajoute(pElement, true)) {
                __DetruitBuckets(pNouveaux, nNbBuckets);
                return false;
            }
        }
    }
    __DetruitBuckets(m_pBuckets, m_nNbBuckets);
    m_pBuckets = pNouveaux;
    m_nNbBuckets = nNbBuckets;
    return true;
}

unsigned dwHashValT(const char* psz)
{
    unsigned dwSomme = 0;
    if (psz == nullptr)
        return 0;
    for (; *psz != '\0'; ++psz)
        dwSomme += unsigned(int(static_cast<signed char>(*psz)));
    return dwSomme;
}

unsigned dwHashValTi(const char* psz)
{
    unsigned dwSomme = 0;
    if (psz == nullptr)
        return 0;
    for (; *psz != '\0'; ++psz) {
        // toupper is defined only for unsigned char values: the byte goes in as such and
        // the result is taken back as a signed byte, as the sum counts bytes.
        const int nMaj = std::toupper(static_cast<unsigned char>(*psz));
        dwSomme += unsigned(int(static_cast<signed char>(static_cast<unsigned char>(nMaj))));
    }
    return dwSomme;
}
