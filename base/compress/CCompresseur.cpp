// CCompresseur: the front object through which callers compress and decompress blocks without knowing which compressor serves which method.
#include "base/compress/CCompresseur.h"

CZLWCompresseur CCompresseur::ms_clCompresseurZLW;

CCompresseur::CCompresseur(uint8_t byMethode)
    : m_pEntree(nullptr),
      m_dwEntree(0),
      m_pSortie(nullptr),
      m_dwSortie(0),
      m_pclCompresseur(nullptr),
      m_byMethode(byMETHODE_AUCUNE)
{
    ChangeMethodeCompression(byMethode);
}

CCompresseur::~CCompresseur() = default;

void CCompresseur::ChangeMethodeCompression(uint8_t byMethode)
{
    if (byMethode == m_byMethode && m_pclCompresseur)
        return;
    if (byMethode == CCompresseurBase::eCOMPRESSEUR_COPIE) {
        if (m_pclCompresseur)
            return;
        m_pclCompresseur = &ms_clCompresseurZLW;
        m_byMethode = CCompresseurBase::eCOMPRESSEUR_COPIE;
        return;
    }
    // No class serves method 2 or any other: the dictionary method takes their place.
    m_pclCompresseur = &ms_clCompresseurZLW;
    m_byMethode = CCompresseurBase::eCOMPRESSEUR_ZLW;
}

uint32_t CCompresseur::dwCompression()
{
    if (m_byMethode == CCompresseurBase::eCOMPRESSEUR_COPIE)
        return m_pclCompresseur->dwCompressionCopie(m_pEntree, m_dwEntree, m_pSortie, m_dwSortie);
    return m_pclCompresseur->dwCompression(m_pEntree, m_dwEntree, m_pSortie, m_dwSortie);
}

uint32_t CCompresseur::dwDecompression(int)
{
    if (!m_pEntree || m_dwEntree == 0)
        return 0;
    const uint8_t byGarde = m_byMethode;
    ChangeMethodeCompression(*static_cast<const uint8_t*>(m_pEntree));
    const uint32_t dwResultat = m_pclCompresseur->dwDecompression(m_pEntree, m_dwEntree, m_pSortie, m_dwSortie);
    m_byMethode = byGarde;
    return dwResultat;
}
