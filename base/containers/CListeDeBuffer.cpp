// CListeDeBuffer: doubly linked list of fixed-size elements with a built-in position.
#include "base/containers/CListeDeBuffer.h"

#include "base/containers/XMalloc.h"

#include <climits>
#include <cstring>

CListeDeBuffer::CListeDeBuffer(int nTailleElement)
    : m_pPremier(nullptr), m_pDernier(nullptr), m_pCourant(nullptr),
      m_nTailleElement(nTailleElement > 0 ? nTailleElement : 0), m_nNombre(0), m_nIndex(-1),
      m_bPosition(false)
{
}

CListeDeBuffer::CListeDeBuffer(const CListeDeBuffer& clAutre)
    : m_pPremier(clAutre.m_pPremier), m_pDernier(clAutre.m_pDernier),
      m_pCourant(clAutre.m_pCourant), m_nTailleElement(clAutre.m_nTailleElement),
      m_nNombre(clAutre.m_nNombre), m_nIndex(clAutre.m_nIndex), m_bPosition(true)
{
}

CListeDeBuffer& CListeDeBuffer::operator=(const CListeDeBuffer& clAutre)
{
    if (this == &clAutre)
        return *this;
    if (clAutre.m_pPremier == m_pPremier) {
        // A position over these very nodes: only the place is taken, so that an owner
        // can go back to a position saved earlier and keeps its nodes.
        m_pCourant = clAutre.m_pCourant;
        m_nIndex = clAutre.m_nIndex;
        if (m_bPosition) {
            m_pDernier = clAutre.m_pDernier;
            m_nNombre = clAutre.m_nNombre;
        }
        return *this;
    }
    SupprimeTout();
    m_pPremier = clAutre.m_pPremier;
    m_pDernier = clAutre.m_pDernier;
    m_pCourant = clAutre.m_pCourant;
    m_nTailleElement = clAutre.m_nTailleElement;
    m_nNombre = clAutre.m_nNombre;
    m_nIndex = clAutre.m_nIndex;
    m_bPosition = true;
    return *this;
}

CListeDeBuffer::~CListeDeBuffer()
{
    SupprimeTout();
}

void* CListeDeBuffer::pGetElem(const _stNoeud* pNoeud)
{
    if (pNoeud == nullptr)
        return nullptr;
    return const_cast<unsigned char*>(reinterpret_cast<const unsigned char*>(pNoeud)) +
           sizeof(_stNoeud);
}

bool CListeDeBuffer::Ajoute(const void* pElement, bool bAvant)
{
    if (m_bPosition || (pElement == nullptr && m_nTailleElement != 0) || m_nNombre == INT_MAX)
        return false;
    _stNoeud* pNoeud =
        static_cast<_stNoeud*>(XMALLOC_pNew_(sizeof(_stNoeud) + std::size_t(m_nTailleElement)));
    if (pNoeud == nullptr)
        return false;
    if (m_nTailleElement != 0)
        std::memcpy(pGetElem(pNoeud), pElement, std::size_t(m_nTailleElement));

    if (m_nNombre == 0) {
        pNoeud->pSuivant = pNoeud->pPrecedent = nullptr;
        m_pPremier = m_pDernier = pNoeud;
        m_nIndex = 0;
    } else if (m_pCourant == nullptr) {
        // Off the list: the node goes at the end the position lies beyond.
        if (m_nIndex < 0) {
            pNoeud->pPrecedent = nullptr;
            pNoeud->pSuivant = m_pPremier;
            m_pPremier->pPrecedent = pNoeud;
            m_pPremier = pNoeud;
            m_nIndex = 0;
        } else {
            pNoeud->pSuivant = nullptr;
            pNoeud->pPrecedent = m_pDernier;
            m_pDernier->pSuivant = pNoeud;
            m_pDernier = pNoeud;
            m_nIndex = m_nNombre;
        }
    } else if (bAvant) {
        pNoeud->pSuivant = m_pCourant;
        pNoeud->pPrecedent = m_pCourant->pPrecedent;
        if (m_pCourant->pPrecedent != nullptr)
            m_pCourant->pPrecedent->pSuivant = pNoeud;
        else
            m_pPremier = pNoeud;
        m_pCourant->pPrecedent = pNoeud;
    } else {
        pNoeud->pPrecedent = m_pCourant;
        pNoeud->pSuivant = m_pCourant->pSuivant;
        if (m_pCourant->pSuivant != nullptr)
            m_pCourant->pSuivant->pPrecedent = pNoeud;
        else
            m_pDernier = pNoeud;
        m_pCourant->pSuivant = pNoeud;
        ++m_nIndex;
    }
    m_pCourant = pNoeud;
    ++m_nNombre;
    return true;
}

void* CListeDeBuffer::pCourant() const
{
    return pGetElem(m_pCourant);
}

void CListeDeBuffer::VaSuivant()
{
    if (m_pCourant != nullptr) {
        m_pCourant = m_pCourant->pSuivant;
        ++m_nIndex;
    } else if (m_nIndex < 0 && m_pPremier != nullptr) {
        m_pCourant = m_pPremier;
        m_nIndex = 0;
    }
}

void CListeDeBuffer::VaPrecedent()
{
    if (m_pCourant != nullptr) {
        m_pCourant = m_pCourant->pPrecedent;
        --m_nIndex;
    } else if (m_nIndex >= m_nNombre && m_pDernier != nullptr) {
        m_pCourant = m_pDernier;
        m_nIndex = m_nNombre - 1;
    }
}

void* CListeDeBuffer::pVaSuivant()
{
    if (m_pCourant == nullptr || m_pCourant->pSuivant == nullptr)
        return nullptr;
    m_pCourant = m_pCourant->pSuivant;
    ++m_nIndex;
    return pGetElem(m_pCourant);
}

void* CListeDeBuffer::pVaPrecedent()
{
    if (m_pCourant == nullptr || m_pCourant->pPrecedent == nullptr)
        return nullptr;
    m_pCourant = m_pCourant->pPrecedent;
    --m_nIndex;
    return pGetElem(m_pCourant);
}

void* CListeDeBuffer::pVaSurNumero(int n)
{
    if (n < 0 || n >= m_nNombre)
        return nullptr;
    const int nDepuisPremier = n;
    const int nDepuisDernier = m_nNombre - 1 - n;
    // Off the list there is no node to walk from.
    const int nDepuisCourant =
        m_pCourant != nullptr ? (n > m_nIndex ? n - m_nIndex : m_nIndex - n) : INT_MAX;

    _stNoeud* pNoeud;
    if (nDepuisPremier <= nDepuisDernier && nDepuisPremier <= nDepuisCourant) {
        pNoeud = m_pPremier;
        for (int i = 0; i < nDepuisPremier; ++i)
            pNoeud = pNoeud->pSuivant;
    } else if (nDepuisDernier <= nDepuisCourant) {
        pNoeud = m_pDernier;
        for (int i = 0; i < nDepuisDernier; ++i)
            pNoeud = pNoeud->pPrecedent;
    } else {
        pNoeud = m_pCourant;
        for (int i = m_nIndex; i < n; ++i)
            pNoeud = pNoeud->pSuivant;
        for (int i = m_nIndex; i > n; --i)
            pNoeud = pNoeud->pPrecedent;
    }
    m_pCourant = pNoeud;
    m_nIndex = n;
    return pGetElem(pNoeud);
}

void CListeDeBuffer::SupprimeCourant()
{
    if (m_bPosition || m_pCourant == nullptr)
        return;
    _stNoeud* pNoeud = m_pCourant;
    if (pNoeud->pPrecedent != nullptr)
        pNoeud->pPrecedent->pSuivant = pNoeud->pSuivant;
    else
        m_pPremier = pNoeud->pSuivant;
    if (pNoeud->pSuivant != nullptr)
        pNoeud->pSuivant->pPrecedent = pNoeud->pPrecedent;
    else
        m_pDernier = pNoeud->pPrecedent;
    --m_nNombre;

    if (pNoeud->pPrecedent != nullptr) {
        m_pCourant = pNoeud->pPrecedent;
        --m_nIndex;
    } else {
        m_pCourant = m_pPremier;
        if (m_pCourant == nullptr)
            m_nIndex = -1;
    }
    XMALLOC_Del_(pNoeud);
}

void CListeDeBuffer::SupprimeTout()
{
    if (m_bPosition)
        return;
    _stNoeud* pNoeud = m_pPremier;
    while (pNoeud != nullptr) {
        _stNoeud* pSuivant = pNoeud->pSuivant;
        XMALLOC_Del_(pNoeud);
        pNoeud = pSuivant;
    }
    m_pPremier = m_pDernier = m_pCourant = nullptr;
    m_nNombre = 0;
    m_nIndex = -1;
}

void CListeDeBuffer::__CorrigeApresExtraction(_stNoeud* pApres, int nDebut, int nLongueur)
{
    m_nNombre -= nLongueur;
    if (m_nNombre == 0) {
        m_pPremier = m_pDernier = m_pCourant = nullptr;
        m_nIndex = -1;
        return;
    }
    if (m_nIndex >= nDebut && m_nIndex < nDebut + nLongueur) {
        m_pCourant = pApres;
        m_nIndex = nDebut;
    } else if (m_nIndex >= nDebut + nLongueur) {
        m_nIndex -= nLongueur;
    }
}

int CListeDeBuffer::ExtraitListe(CListeDeBuffer& clSource, CListeDeBuffer& clDe,
                                 CListeDeBuffer& clA)
{
    if (m_bPosition || m_nNombre != 0 || clSource.m_bPosition || this == &clSource ||
        &clDe == this || &clA == this || clDe.m_pCourant == nullptr ||
        clSource.m_nTailleElement != m_nTailleElement)
        return 0;

    // The true index of the first node, and a check that it belongs to clSource.
    _stNoeud* pDebut = clDe.m_pCourant;
    int nDebut = 0;
    const _stNoeud* pTete = pDebut;
    while (pTete->pPrecedent != nullptr) {
        pTete = pTete->pPrecedent;
        ++nDebut;
    }
    if (pTete != clSource.m_pPremier)
        return 0;

    // The run's length, and a check that clA's node follows (or is absent).
    _stNoeud* pApres = clA.m_pCourant;
    _stNoeud* pFin = pDebut;
    int nLongueur = 1;
    while (pFin->pSuivant != pApres) {
        if (pFin->pSuivant == nullptr)
            return 0;
        pFin = pFin->pSuivant;
        ++nLongueur;
    }

    _stNoeud* pAvant = pDebut->pPrecedent;
    if (pAvant != nullptr)
        pAvant->pSuivant = pApres;
    else
        clSource.m_pPremier = pApres;
    if (pApres != nullptr)
        pApres->pPrecedent = pAvant;
    else
        clSource.m_pDernier = pAvant;
    pDebut->pPrecedent = nullptr;
    pFin->pSuivant = nullptr;

    m_pPremier = m_pCourant = pDebut;
    m_pDernier = pFin;
    m_nNombre = nLongueur;
    m_nIndex = 0;

    // The three headers may be one object: each is corrected once. A position's count
    // and ends are its snapshot of the source's: they are replaced by the source's.
    _stNoeud* const pPremierSource = clSource.m_pPremier;
    _stNoeud* const pDernierSource = clSource.m_pDernier;
    const int nNombreAvant = clSource.m_nNombre;
    CListeDeBuffer* apclEntetes[3] = {&clSource, &clDe, &clA};
    for (int i = 0; i < 3; ++i) {
        bool bDejaFait = false;
        for (int j = 0; j < i; ++j)
            bDejaFait = bDejaFait || apclEntetes[j] == apclEntetes[i];
        if (bDejaFait)
            continue;
        CListeDeBuffer& clEntete = *apclEntetes[i];
        clEntete.m_nNombre = nNombreAvant;
        clEntete.m_pPremier = pPremierSource;
        clEntete.m_pDernier = pDernierSource;
        clEntete.__CorrigeApresExtraction(pApres, nDebut, nLongueur);
    }
    return nLongueur;
}
