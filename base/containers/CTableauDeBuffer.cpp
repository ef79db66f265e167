// CTableauDeBuffer: growable array of fixed-size elements with a growth step.
#include "base/containers/CTableauDeBuffer.h"

#include "base/containers/XMalloc.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>

// The shared layout, checked in both ABIs. The class is not standard-layout (it has
// virtual functions), so offsetof is only conditionally supported; GCC computes it
// exactly for a class without virtual bases, which is what is checked here.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
struct CTableauDeBufferLayout {
    static constexpr std::size_t P = sizeof(void*);
    static_assert(sizeof(CTableauDeBuffer) == (sizeof(void*) == 4 ? 28 : 36),
                  "CTableauDeBuffer: vptr, five 32-bit fields and the data pointer, packed");
    static_assert(offsetof(CTableauDeBuffer, m_nTailleElement) == P, "element size");
    static_assert(offsetof(CTableauDeBuffer, m_nNombre) == P + 4, "count");
    static_assert(offsetof(CTableauDeBuffer, m_nCapacite) == P + 8, "capacity");
    static_assert(offsetof(CTableauDeBuffer, m_nPas) == P + 12, "growth step");
    static_assert(offsetof(CTableauDeBuffer, m_nSeuilCompactage) == P + 16, "threshold");
    static_assert(offsetof(CTableauDeBuffer, m_pData) == P + 20, "data pointer");
};
#pragma GCC diagnostic pop
static_assert(sizeof(_STBlocATrier) == 8, "_STBlocATrier: two 32-bit fields");

namespace {

// Bytes of n elements of nTaille bytes; false when it does not fit in size_t.
bool bTailleOctets(int n, int nTaille, std::size_t& nOctets)
{
    if (n < 0 || nTaille < 0)
        return false;
    if (nTaille != 0 && std::size_t(n) > SIZE_MAX / std::size_t(nTaille))
        return false;
    nOctets = std::size_t(n) * std::size_t(nTaille);
    return true;
}

} // namespace

CTableauDeBuffer::CTableauDeBuffer(int nTailleElement, int nPas, int nSeuilCompactage)
    : m_nTailleElement(nTailleElement > 0 ? nTailleElement : 0), m_nNombre(0), m_nCapacite(0),
      m_nPas(nPas > 0 ? nPas : 1), m_nSeuilCompactage(nSeuilCompactage > 0 ? nSeuilCompactage : 0),
      m_pData(nullptr)
{
}

CTableauDeBuffer::~CTableauDeBuffer()
{
    XMALLOC_Del_(m_pData);
}

bool CTableauDeBuffer::__bRealloue(int nCapacite)
{
    std::size_t nOctets;
    if (!bTailleOctets(nCapacite, m_nTailleElement, nOctets))
        return false;
    if (nOctets == 0) {
        XMALLOC_Del_(m_pData);
        m_pData = nullptr;
    } else {
        void* pNouveau = XMALLOC_pResize_(m_pData, nOctets);
        if (pNouveau == nullptr)
            return false;
        m_pData = static_cast<unsigned char*>(pNouveau);
    }
    m_nCapacite = nCapacite;
    return true;
}

int CTableauDeBuffer::Agrandir()
{
    if (m_nPas <= 0 || m_nPas > INT_MAX - m_nCapacite)
        return 0;
    return __bRealloue(m_nCapacite + m_nPas) ? m_nPas : 0;
}

bool CTableauDeBuffer::__bAgranditDe(int nDelta)
{
    const int nPas = m_nPas;
    m_nPas = nDelta;
    const int nAvant = m_nCapacite;
    const bool bOk = Agrandir() != 0;
    m_nPas = nPas;
    return bOk && m_nCapacite >= nAvant + nDelta;
}

std::ptrdiff_t CTableauDeBuffer::__nDecalageDans(const void* p) const
{
    if (m_pData == nullptr || p == nullptr)
        return -1;
    const std::uintptr_t nDebut = reinterpret_cast<std::uintptr_t>(m_pData);
    const std::uintptr_t nAdresse = reinterpret_cast<std::uintptr_t>(p);
    const std::uintptr_t nOctets = std::uintptr_t(m_nCapacite) * std::uintptr_t(m_nTailleElement);
    if (nAdresse < nDebut || nAdresse - nDebut >= nOctets)
        return -1;
    return std::ptrdiff_t(nAdresse - nDebut);
}

void* CTableauDeBuffer::pGetElem(int i) const
{
    if (i < 0 || i >= m_nNombre || m_pData == nullptr)
        return nullptr;
    return m_pData + std::size_t(i) * std::size_t(m_nTailleElement);
}

bool CTableauDeBuffer::AlloueMemoire(int n)
{
    if (m_nCapacite >= n)
        return true;
    return __bAgranditDe(n - m_nCapacite);
}

bool CTableauDeBuffer::AgranditMemoire(int n)
{
    if (n < 0 || n > INT_MAX - m_nNombre)
        return false;
    const int nManque = m_nNombre + n - m_nCapacite;
    if (nManque <= 0)
        return true;
    const long long nArrondi = (static_cast<long long>(nManque) + m_nPas - 1) / m_nPas * m_nPas;
    if (nArrondi > INT_MAX - m_nCapacite)
        return false;
    return __bAgranditDe(static_cast<int>(nArrondi));
}

bool CTableauDeBuffer::Initialise(const void* pElement, int n)
{
    std::size_t nOctets;
    if (n < 0 || !bTailleOctets(n, m_nTailleElement, nOctets) ||
        (pElement == nullptr && m_nTailleElement != 0 && n != 0))
        return false;
    unsigned char* pNouveau = nullptr;
    if (nOctets != 0) {
        pNouveau = static_cast<unsigned char*>(XMALLOC_pNew_(nOctets));
        if (pNouveau == nullptr)
            return false;
        const std::size_t nTaille = std::size_t(m_nTailleElement);
        for (std::size_t nOff = 0; nOff < nOctets; nOff += nTaille)
            std::memcpy(pNouveau + nOff, pElement, nTaille);
    }
    // The element may lie in the old block: it is freed only now.
    XMALLOC_Del_(m_pData);
    m_pData = pNouveau;
    m_nNombre = m_nCapacite = n;
    return true;
}

bool CTableauDeBuffer::Ajoute(const void* pElement)
{
    if ((pElement == nullptr && m_nTailleElement != 0) || m_nNombre == INT_MAX)
        return false;
    const std::ptrdiff_t nDecalage = __nDecalageDans(pElement);
    if (m_nNombre >= m_nCapacite) {
        const int nAvant = m_nCapacite;
        if (Agrandir() == 0 || m_nCapacite <= nAvant || m_nCapacite <= m_nNombre)
            return false;
    }
    if (nDecalage >= 0)
        pElement = m_pData + nDecalage;
    const std::size_t nTaille = std::size_t(m_nTailleElement);
    if (nTaille != 0)
        std::memmove(m_pData + std::size_t(m_nNombre) * nTaille, pElement, nTaille);
    ++m_nNombre;
    return true;
}

bool CTableauDeBuffer::Insere(const void* pElement, int i)
{
    if (i < 0 || i > m_nNombre)
        return false;
    if (i == m_nNombre)
        return Ajoute(pElement);
    if ((pElement == nullptr && m_nTailleElement != 0) || m_nNombre == INT_MAX)
        return false;
    std::ptrdiff_t nDecalage = __nDecalageDans(pElement);
    if (m_nNombre >= m_nCapacite) {
        const int nAvant = m_nCapacite;
        if (Agrandir() == 0 || m_nCapacite <= nAvant || m_nCapacite <= m_nNombre)
            return false;
    }
    const std::size_t nTaille = std::size_t(m_nTailleElement);
    if (nTaille == 0) {
        ++m_nNombre;
        return true;
    }
    unsigned char* pPlace = m_pData + std::size_t(i) * nTaille;
    std::memmove(pPlace + nTaille, pPlace, std::size_t(m_nNombre - i) * nTaille);
    if (nDecalage >= 0) {
        // The source moved up with the elements it was among.
        if (nDecalage >= std::ptrdiff_t(std::size_t(i) * nTaille))
            nDecalage += std::ptrdiff_t(nTaille);
        pElement = m_pData + nDecalage;
    }
    std::memmove(pPlace, pElement, nTaille);
    ++m_nNombre;
    return true;
}

bool CTableauDeBuffer::SetAt(const void* pElement, int i)
{
    if (i < 0 || i >= m_nNombre || (pElement == nullptr && m_nTailleElement != 0))
        return false;
    if (m_nTailleElement != 0)
        std::memmove(pGetElem(i), pElement, std::size_t(m_nTailleElement));
    return true;
}

bool CTableauDeBuffer::Etend(int i, const void* pElement, const void* pRemplissage)
{
    if (i < 0 || (pElement == nullptr && m_nTailleElement != 0))
        return false;
    if (i < m_nNombre)
        return SetAt(pElement, i);
    if (i == m_nNombre)
        return Ajoute(pElement);
    const std::ptrdiff_t nDecalageElement = __nDecalageDans(pElement);
    const std::ptrdiff_t nDecalageRemplissage = __nDecalageDans(pRemplissage);
    if (i >= m_nCapacite) {
        if (m_nPas > INT_MAX - i || !__bAgranditDe(i + m_nPas - m_nCapacite))
            return false;
    }
    if (nDecalageElement >= 0)
        pElement = m_pData + nDecalageElement;
    if (nDecalageRemplissage >= 0)
        pRemplissage = m_pData + nDecalageRemplissage;
    const std::size_t nTaille = std::size_t(m_nTailleElement);
    if (nTaille != 0) {
        for (int j = m_nNombre; j < i; ++j) {
            unsigned char* pPlace = m_pData + std::size_t(j) * nTaille;
            if (pRemplissage != nullptr)
                std::memmove(pPlace, pRemplissage, nTaille);
            else
                std::memset(pPlace, 0, nTaille);
        }
        std::memmove(m_pData + std::size_t(i) * nTaille, pElement, nTaille);
    }
    m_nNombre = i + 1;
    return true;
}

void CTableauDeBuffer::Supprime(int i, int n)
{
    if (i < 0 || n <= 0 || i > m_nNombre - n)
        return;
    const std::size_t nTaille = std::size_t(m_nTailleElement);
    if (nTaille != 0)
        std::memmove(m_pData + std::size_t(i) * nTaille, m_pData + std::size_t(i + n) * nTaille,
                     std::size_t(m_nNombre - i - n) * nTaille);
    m_nNombre -= n;
}

void CTableauDeBuffer::SupprimeDernier(int n)
{
    if (n <= 0)
        return;
    m_nNombre -= std::min(n, m_nNombre);
}

void CTableauDeBuffer::SupprimeCompacte(int i)
{
    if (i < 0 || i >= m_nNombre)
        return;
    Supprime(i, 1);
    if (m_nCapacite - m_nNombre > m_nSeuilCompactage)
        Compacter();
}

void CTableauDeBuffer::Compacter()
{
    if (m_nCapacite != m_nNombre)
        __bRealloue(m_nNombre);
}

void CTableauDeBuffer::SupprimeToutEtLibere()
{
    XMALLOC_Del_(m_pData);
    m_pData = nullptr;
    m_nNombre = m_nCapacite = 0;
}

void CTableauDeBuffer::Deplace(int nDe, int nVers)
{
    if (nDe < 0 || nDe >= m_nNombre || nVers < 0 || nVers >= m_nNombre || nDe == nVers ||
        m_nTailleElement == 0)
        return;
    // A rotation by one element of the span between the two places: no buffer needed.
    const std::size_t nTaille = std::size_t(m_nTailleElement);
    if (nDe < nVers) {
        unsigned char* pDebut = m_pData + std::size_t(nDe) * nTaille;
        unsigned char* pFin = m_pData + std::size_t(nVers + 1) * nTaille;
        std::rotate(pDebut, pDebut + nTaille, pFin);
    } else {
        unsigned char* pDebut = m_pData + std::size_t(nVers) * nTaille;
        unsigned char* pFin = m_pData + std::size_t(nDe + 1) * nTaille;
        std::rotate(pDebut, pFin - nTaille, pFin);
    }
}

void CTableauDeBuffer::Swap(int i, int j)
{
    if (i < 0 || i >= m_nNombre || j < 0 || j >= m_nNombre || i == j)
        return;
    const std::size_t nTaille = std::size_t(m_nTailleElement);
    std::swap_ranges(m_pData + std::size_t(i) * nTaille, m_pData + std::size_t(i + 1) * nTaille,
                     m_pData + std::size_t(j) * nTaille);
}

int CTableauDeBuffer::nRechercheLineaireCriterePointeur(const void* pCle,
                                                        PFNCRITERE pfnCritere) const
{
    if (pfnCritere == nullptr || m_nTailleElement != int(sizeof(void*)))
        return -1;
    for (int i = 0; i < m_nNombre; ++i) {
        void* pElement;
        std::memcpy(&pElement, m_pData + std::size_t(i) * sizeof(void*), sizeof(void*));
        if (pfnCritere(pCle, pElement) == 0)
            return i;
    }
    return -1;
}

void* CTableauDeBuffer::pRechercheLineaireCriterePointeur(const void* pCle,
                                                          PFNCRITERE pfnCritere) const
{
    const int i = nRechercheLineaireCriterePointeur(pCle, pfnCritere);
    if (i < 0)
        return nullptr;
    void* pElement;
    std::memcpy(&pElement, m_pData + std::size_t(i) * sizeof(void*), sizeof(void*));
    return pElement;
}

bool CTableauDeBuffer::PermuteMultiple(int nPremiers, const _STBlocATrier* pstBlocs, int nBlocs)
{
    if (nPremiers < 0 || nPremiers > m_nNombre || nBlocs < 0 ||
        (nBlocs > 0 && pstBlocs == nullptr))
        return false;
    long long nTotal = nPremiers;
    for (int b = 0; b < nBlocs; ++b) {
        const _STBlocATrier& stBloc = pstBlocs[b];
        if (stBloc.nPremier < 0 || stBloc.nNombre < 0 || stBloc.nPremier > m_nNombre - stBloc.nNombre)
            return false;
        nTotal += stBloc.nNombre;
    }
    if (nTotal > m_nNombre)
        return false;

    std::size_t nOctets;
    if (!bTailleOctets(m_nCapacite, m_nTailleElement, nOctets))
        return false;
    if (nOctets == 0 || m_nNombre == 0)
        return true;
    unsigned char* pNouveau = static_cast<unsigned char*>(XMALLOC_pNew_(nOctets));
    if (pNouveau == nullptr)
        return false;

    const std::size_t nTaille = std::size_t(m_nTailleElement);
    std::size_t nCopie = std::size_t(nPremiers) * nTaille;
    std::memcpy(pNouveau, m_pData, nCopie);
    for (int b = 0; b < nBlocs; ++b) {
        const std::size_t nLongueur = std::size_t(pstBlocs[b].nNombre) * nTaille;
        std::memcpy(pNouveau + nCopie, m_pData + std::size_t(pstBlocs[b].nPremier) * nTaille,
                    nLongueur);
        nCopie += nLongueur;
    }
    const std::size_t nUtilise = std::size_t(m_nNombre) * nTaille;
    std::memcpy(pNouveau + nCopie, m_pData + nCopie, nUtilise - nCopie);
    XMALLOC_Del_(m_pData);
    m_pData = pNouveau;
    return true;
}

bool CTableauDeBuffer::_RecupereDonnees(CTableauDeBuffer& clAutre)
{
    if (&clAutre == this)
        return true;
    if (clAutre.m_nTailleElement != m_nTailleElement)
        return false;
    XMALLOC_Del_(m_pData);
    m_pData = clAutre.m_pData;
    m_nNombre = clAutre.m_nNombre;
    m_nCapacite = clAutre.m_nCapacite;
    clAutre.m_pData = nullptr;
    clAutre.m_nNombre = clAutre.m_nCapacite = 0;
    return true;
}

void CTableauDeBuffer::Recupere(CTableauDeBuffer& clAutre)
{
    if (&clAutre == this)
        return;
    m_nTailleElement = clAutre.m_nTailleElement;
    m_nPas = clAutre.m_nPas;
    m_nSeuilCompactage = clAutre.m_nSeuilCompactage;
    XMALLOC_Del_(m_pData);
    m_pData = clAutre.m_pData;
    m_nNombre = clAutre.m_nNombre;
    m_nCapacite = clAutre.m_nCapacite;
    clAutre.m_pData = nullptr;
    clAutre.m_nNombre = clAutre.m_nCapacite = 0;
}

void CTableauDeBuffer::EchangeTableau(CTableauDeBuffer& clA, CTableauDeBuffer& clB)
{
    // Packed fields cannot bind to references: exchanged through locals.
    const int nTaille = clA.m_nTailleElement, nNombre = clA.m_nNombre,
              nCapacite = clA.m_nCapacite, nPas = clA.m_nPas, nSeuil = clA.m_nSeuilCompactage;
    unsigned char* const pData = clA.m_pData;
    clA.m_nTailleElement = clB.m_nTailleElement;
    clA.m_nNombre = clB.m_nNombre;
    clA.m_nCapacite = clB.m_nCapacite;
    clA.m_nPas = clB.m_nPas;
    clA.m_nSeuilCompactage = clB.m_nSeuilCompactage;
    clA.m_pData = clB.m_pData;
    clB.m_nTailleElement = nTaille;
    clB.m_nNombre = nNombre;
    clB.m_nCapacite = nCapacite;
    clB.m_nPas = nPas;
    clB.m_nSeuilCompactage = nSeuil;
    clB.m_pData = pData;
}
