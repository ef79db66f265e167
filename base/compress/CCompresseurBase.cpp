// CCompresseurBase: the compressed block format, its header and the stored method, shared by every compression method.
#include "base/compress/CCompresseurBase.h"

#include <cstring>

namespace {

uint32_t __dwLit32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void __Ecrit32(uint8_t* p, uint32_t dw)
{
    p[0] = uint8_t(dw);
    p[1] = uint8_t(dw >> 8);
    p[2] = uint8_t(dw >> 16);
    p[3] = uint8_t(dw >> 24);
}

// Holds a mutex for the lifetime of the guard.
class CVerrouille {
public:
    explicit CVerrouille(pthread_mutex_t* p) : m_p(p) { pthread_mutex_lock(m_p); }
    ~CVerrouille() { pthread_mutex_unlock(m_p); }
    CVerrouille(const CVerrouille&) = delete;
    CVerrouille& operator=(const CVerrouille&) = delete;

private:
    pthread_mutex_t* m_p;
};

}  // namespace

CCompresseurBase::CCompresseurBase()
    : m_pbyEntree(nullptr), m_dwEntree(0), m_pbySortie(nullptr), m_dwSortie(0)
{
    pthread_mutexattr_t stAttr;
    pthread_mutexattr_init(&stAttr);
    pthread_mutexattr_settype(&stAttr, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutex_init(&m_stVerrou, &stAttr);
    pthread_mutexattr_destroy(&stAttr);
}

CCompresseurBase::~CCompresseurBase()
{
    pthread_mutex_destroy(&m_stVerrou);
}

uint32_t CCompresseurBase::dwTailleEntree(const void* pBloc) const
{
    const uint8_t* pby = static_cast<const uint8_t*>(pBloc);
    if (!pby)
        return dwTAILLE_INCONNUE;
    // A payload length whose block length would not fit in 32 bits has no meaning.
    const uint32_t dwDonnees = __dwLit32(pby + 1);
    switch (pby[0]) {
    case eCOMPRESSEUR_INCONNU:
    case eCOMPRESSEUR_ZLW:
        return dwDonnees <= dwTAILLE_INCONNUE - 1 - dwTAILLE_ENTETE_COMPRESSION ? dwDonnees + dwTAILLE_ENTETE_COMPRESSION
                                                                                 : dwTAILLE_INCONNUE;
    case eCOMPRESSEUR_COPIE:
        return dwDonnees <= dwTAILLE_INCONNUE - 1 - dwTAILLE_ENTETE_COPIE ? dwDonnees + dwTAILLE_ENTETE_COPIE
                                                                           : dwTAILLE_INCONNUE;
    default:
        return dwTAILLE_INCONNUE;
    }
}

uint32_t CCompresseurBase::dwTailleDecompression(const void* pBloc, uint32_t dwLongueur) const
{
    const uint8_t* pby = static_cast<const uint8_t*>(pBloc);
    if (!pby || dwLongueur == 0)
        return dwTAILLE_INCONNUE;
    switch (pby[0]) {
    case eCOMPRESSEUR_INCONNU:
    case eCOMPRESSEUR_ZLW:
        return dwLongueur >= dwTAILLE_ENTETE_COMPRESSION ? __dwLit32(pby + 5) : dwTAILLE_INCONNUE;
    case eCOMPRESSEUR_COPIE:
        return dwLongueur >= dwTAILLE_ENTETE_COPIE ? __dwLit32(pby + 1) : dwTAILLE_INCONNUE;
    default:
        return dwTAILLE_INCONNUE;
    }
}

uint32_t CCompresseurBase::dwTailleBufferCompression(uint32_t n) const
{
    return n > 0xFFFFFFFFu - 7 ? 0xFFFFFFFFu : n + 7;
}

uint32_t CCompresseurBase::_dwCapaciteRequise(uint32_t dwEntree)
{
    // Inputs below 20 bytes are always stored; longer ones may pass input + 3 by one code
    // and one reset code before the dictionary method gives up.
    return dwEntree < 20 ? dwEntree + dwTAILLE_ENTETE_COPIE : dwEntree + 7;
}

uint32_t CCompresseurBase::_dwOpere(const void* pEntree, uint32_t dwEntree, void* pSortie, uint32_t dwSortie,
                                    uint32_t (CCompresseurBase::*pfnOperation)())
{
    CVerrouille clVerrou(&m_stVerrou);
    m_pbyEntree = static_cast<const uint8_t*>(pEntree);
    m_dwEntree = dwEntree;
    m_pbySortie = static_cast<uint8_t*>(pSortie);
    m_dwSortie = dwSortie;
    const uint32_t dwResultat = (this->*pfnOperation)();
    m_pbyEntree = nullptr;
    return dwResultat;
}

uint32_t CCompresseurBase::dwCompression(const void* pEntree, uint32_t dwEntree, void* pSortie, uint32_t dwSortie)
{
    if ((!pEntree && dwEntree) || !pSortie || dwEntree > dwENTREE_MAX || dwSortie < _dwCapaciteRequise(dwEntree))
        return 0;
    return _dwOpere(pEntree, dwEntree, pSortie, dwSortie, &CCompresseurBase::_dwCompression);
}

uint32_t CCompresseurBase::dwCompressionCopie(const void* pEntree, uint32_t dwEntree, void* pSortie, uint32_t dwSortie)
{
    if ((!pEntree && dwEntree) || !pSortie || dwEntree > dwENTREE_MAX ||
        dwSortie < dwEntree + dwTAILLE_ENTETE_COPIE)
        return 0;
    return _dwOpere(pEntree, dwEntree, pSortie, dwSortie, &CCompresseurBase::_dwCompresseCopie);
}

uint32_t CCompresseurBase::dwDecompression(const void* pEntree, uint32_t dwEntree, void* pSortie, uint32_t dwSortie)
{
    if (!pEntree || dwEntree == 0 || (!pSortie && dwSortie))
        return 0;
    return _dwOpere(pEntree, dwEntree, pSortie, dwSortie, &CCompresseurBase::_dwDecompression);
}

void CCompresseurBase::_EcritEntete(uint8_t byMethode, uint32_t dwLongueurDonnees)
{
    m_pbySortie[0] = byMethode;
    switch (byMethode) {
    case eCOMPRESSEUR_INCONNU:
    case eCOMPRESSEUR_ZLW:
        __Ecrit32(m_pbySortie + 1, dwLongueurDonnees);
        __Ecrit32(m_pbySortie + 5, m_dwEntree);
        m_pbySortie[9] = 0;
        m_pbySortie[10] = 0;
        break;
    case eCOMPRESSEUR_COPIE:
        __Ecrit32(m_pbySortie + 1, m_dwEntree);
        break;
    default:
        break;
    }
}

uint32_t CCompresseurBase::_dwCompresseCopie()
{
    _EcritEntete(eCOMPRESSEUR_COPIE, 0);
    if (m_dwEntree)
        std::memcpy(m_pbySortie + dwTAILLE_ENTETE_COPIE, m_pbyEntree, m_dwEntree);
    return m_dwEntree + dwTAILLE_ENTETE_COPIE;
}

uint32_t CCompresseurBase::_dwDecompresseCopie()
{
    if (m_dwEntree < dwTAILLE_ENTETE_COPIE)
        return 0;
    const uint32_t dwLongueur = __dwLit32(m_pbyEntree + 1);
    if (dwLongueur > m_dwSortie || dwLongueur > m_dwEntree - dwTAILLE_ENTETE_COPIE)
        return 0;
    if (dwLongueur)
        std::memcpy(m_pbySortie, m_pbyEntree + dwTAILLE_ENTETE_COPIE, dwLongueur);
    return dwLongueur;
}
