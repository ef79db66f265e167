// CCompresseur: the front object through which callers compress and decompress blocks without knowing which compressor serves which method.
#include "base/compress/CCompresseur.h"

#include <new>

CZLWCompresseur CCompresseur::ms_clCompresseurZLW;

namespace {

// The thread's compressor, and whether its owner below has already run its destructor (at
// thread exit, or for the main thread during exit()). Both are trivially destructible, so they
// stay readable until the thread is gone, after the owner's destructor has run.
thread_local CZLWCompresseur* tl_pclCompresseur = nullptr;
thread_local bool tl_bTermine = false;

// Frees the thread's compressor when the thread ends. Its first use registers that destructor.
struct CProprietaireDuThread {
    bool m_bInscrit = false;
    ~CProprietaireDuThread()
    {
        delete tl_pclCompresseur;
        tl_pclCompresseur = nullptr;
        tl_bTermine = true;
    }
};
thread_local CProprietaireDuThread tl_clProprietaire;

}  // namespace

CZLWCompresseur& CCompresseur::s_clCompresseurDuThread()
{
    if (tl_pclCompresseur)
        return *tl_pclCompresseur;
    if (tl_bTermine)
        return ms_clCompresseurZLW;
    CZLWCompresseur* pcl = new (std::nothrow) CZLWCompresseur;
    if (!pcl)
        return ms_clCompresseurZLW;
    tl_clProprietaire.m_bInscrit = true;
    tl_pclCompresseur = pcl;
    return *pcl;
}

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
    CCompresseurBase& cl = s_clCompresseurDuThread();
    if (m_byMethode == CCompresseurBase::eCOMPRESSEUR_COPIE)
        return cl.dwCompressionCopie(m_pEntree, m_dwEntree, m_pSortie, m_dwSortie);
    return cl.dwCompression(m_pEntree, m_dwEntree, m_pSortie, m_dwSortie);
}

uint32_t CCompresseur::dwDecompression(int)
{
    if (!m_pEntree || m_dwEntree == 0)
        return 0;
    const uint8_t byGarde = m_byMethode;
    ChangeMethodeCompression(*static_cast<const uint8_t*>(m_pEntree));
    const uint32_t dwResultat =
        s_clCompresseurDuThread().dwDecompression(m_pEntree, m_dwEntree, m_pSortie, m_dwSortie);
    m_byMethode = byGarde;
    return dwResultat;
}
