// CStrMemAlloc: allocator of the language's value blocks, with free lists and per-thread recyclers.
#include "base/strings/CStrMemAlloc.h"

#include "base/system/ThreadKey.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

CStrMemAlloc* CStrMemAlloc::ms_pclAllocateur = nullptr;
bool CStrMemAlloc::ms_bAllocateurExterne = false;
int* gpbMTEnCours = nullptr;
unsigned gdwIndexRecycleur = 0;
bool gbTLSOk = false;

namespace {
// The key in gdwIndexRecycleur was made by s_bCreeCleRecycleurs: recyclers are created here.
bool gbCleRecycleursInterne = false;
// The module's own key, once made (a key is never deleted: threads may still hold recyclers).
bool gbCleInterneCreee = false;
unsigned gdwCleInterne = 0;

void DetruitRecycleur(void* p)
{
    delete static_cast<CStrMemCache*>(p);
}
} // namespace

CStrMemAlloc::CStrMemAlloc(const char* pszModule)
    : m_pszModule(pszModule), m_nVie(1), m_bRetire(false)
{
}

CStrMemAlloc::~CStrMemAlloc()
{
    vSupprimeTout();
}

int CStrMemAlloc::vnGetVersion()
{
    return 1;
}

unsigned CStrMemAlloc::s_nCapacite(unsigned n)
{
    if (n <= STRMEM_PETIT)
        return STRMEM_PETIT;
    if (n <= STRMEM_MOYEN)
        return STRMEM_MOYEN;
    const std::uint64_t nDouble = 2 * std::uint64_t(n);
    return nDouble > STRMEM_CAPACITE_MAX ? STRMEM_CAPACITE_MAX : unsigned(nDouble);
}

unsigned CStrMemAlloc::s_nCapaciteAgrandie(unsigned c, unsigned n)
{
    if (n <= c)
        return c;
    if (n <= STRMEM_MOYEN)
        return s_nCapacite(n);
    const std::uint64_t d = n - c;
    std::uint64_t nCapacite;
    if (d < c / 10)
        nCapacite = std::uint64_t(c) + c / 5;
    else if (d < c / 5)
        nCapacite = std::uint64_t(c) + c / 2;
    else if (d < c / 2)
        nCapacite = 2 * std::uint64_t(c);
    else
        nCapacite = 2 * std::uint64_t(n);
    if (nCapacite > STRMEM_CAPACITE_MAX)
        nCapacite = STRMEM_CAPACITE_MAX;
    return nCapacite < n ? n : unsigned(nCapacite);
}

CStrMemCache* CStrMemAlloc::__pclRecycleur()
{
    if (gpbMTEnCours == nullptr)
        return nullptr;
    if (__atomic_load_n(gpbMTEnCours, __ATOMIC_RELAXED) == 0)
        return m_bRetire.load(std::memory_order_relaxed) ? nullptr : this;
    if (!gbTLSOk)
        return nullptr;
    CStrMemCache* pcl = static_cast<CStrMemCache*>(TLS_pGetValeur(gdwIndexRecycleur));
    if (pcl == nullptr && gbCleRecycleursInterne) {
        pcl = new (std::nothrow) CStrMemCache;
        if (pcl != nullptr && !TLS_bSetValeur(gdwIndexRecycleur, pcl)) {
            delete pcl;
            pcl = nullptr;
        }
    }
    return pcl;
}

int CStrMemAlloc::vnAllocStrMem(char** ppData, unsigned n)
{
    if (ppData == nullptr || n > STRMEM_TAILLE_MAX)
        return eSTRMEM_TROPGRAND;
    const unsigned nCapacite = s_nCapacite(n);
    _stSTRMEMBLOC* pBloc = nullptr;
    if (CStrMemCache* pclRecycleur = __pclRecycleur())
        pBloc = pclRecycleur->vpRecupere(nCapacite);
    if (pBloc == nullptr) {
        pBloc = static_cast<_stSTRMEMBLOC*>(std::malloc(STRMEM_nTailleBloc(nCapacite)));
        if (pBloc == nullptr)
            return eSTRMEM_MEMOIRE;
        m_nVie.fetch_add(1, std::memory_order_relaxed);
        pBloc->pAllocateur = this;
        pBloc->nCapacite = nCapacite;
    }
    // A recycled block keeps the allocator that made it: its release and its freeing go back there.
    pBloc->dwFlags = 0;
    pBloc->nRef = 1;
    pBloc->nLongueur = 0;
    STRMEM_MotZero(pBloc, 0);
    STRMEM_MotZero(pBloc, pBloc->nCapacite);
    *ppData = STRMEM_pData(pBloc);
    return eSTRMEM_OK;
}

int CStrMemAlloc::vnReallocStrMem(char** ppData, unsigned n)
{
    if (ppData == nullptr || *ppData == nullptr || n > STRMEM_TAILLE_MAX)
        return eSTRMEM_TROPGRAND;
    _stSTRMEMBLOC* pAncien = STRMEM_pBloc(*ppData);
    if (n <= pAncien->nCapacite)
        return eSTRMEM_OK;
    const unsigned nCapacite = s_nCapaciteAgrandie(pAncien->nCapacite, n);
    if (CStrMemCache* pclRecycleur = __pclRecycleur()) {
        if (_stSTRMEMBLOC* pBloc = pclRecycleur->vpRecupere(nCapacite)) {
            pBloc->dwFlags = pAncien->dwFlags;
            pBloc->nRef = 1;
            pBloc->nLongueur = pAncien->nLongueur;
            std::memcpy(STRMEM_pData(pBloc), STRMEM_pData(pAncien), pAncien->nLongueur);
            STRMEM_MotZero(pBloc, pBloc->nLongueur);
            STRMEM_MotZero(pBloc, pBloc->nCapacite);
            pAncien->nRef = 0;
            pAncien->pAllocateur->vReleaseStrMem(*ppData);
            *ppData = STRMEM_pData(pBloc);
            return eSTRMEM_OK;
        }
    }
    void* p = std::realloc(pAncien, STRMEM_nTailleBloc(nCapacite));
    if (p == nullptr)
        return eSTRMEM_MEMOIRE;
    _stSTRMEMBLOC* pBloc = static_cast<_stSTRMEMBLOC*>(p);
    pBloc->nCapacite = nCapacite;
    STRMEM_MotZero(pBloc, nCapacite);
    *ppData = STRMEM_pData(pBloc);
    return eSTRMEM_OK;
}

void CStrMemAlloc::vReleaseStrMem(char* pData)
{
    if (pData == nullptr)
        return;
    _stSTRMEMBLOC* pBloc = STRMEM_pBloc(pData);
    CStrMemCache* pclRecycleur = __pclRecycleur();
    if (pclRecycleur != nullptr && pclRecycleur->vbAjoute(pBloc))
        return;
    vFreeCacheStrMem(pBloc);
}

void CStrMemAlloc::vFreeCacheStrMem(_stSTRMEMBLOC* pBloc)
{
    if (pBloc == nullptr)
        return;
    std::free(pBloc);
    __LacheVie();
}

void CStrMemAlloc::__LacheVie()
{
    // The last of the blocks and of the service unit destroys a retired allocator.
    if (m_nVie.fetch_sub(1, std::memory_order_acq_rel) == 1)
        delete this;
}

void CStrMemAlloc::s_Retire(CStrMemAlloc* pcl)
{
    if (pcl == nullptr || pcl->m_bRetire.exchange(true))
        return;
    pcl->vSupprimeTout();
    pcl->__LacheVie();
}

bool CStrMemAlloc::s_bCreeCleRecycleurs()
{
    if (!gbCleInterneCreee) {
        if (!TLS_bCreeCle(&gdwCleInterne, DetruitRecycleur))
            return false;
        gbCleInterneCreee = true;
    }
    gdwIndexRecycleur = gdwCleInterne;
    gbTLSOk = true;
    gbCleRecycleursInterne = true;
    return true;
}

void CStrMemAlloc::s_SetCleRecycleurs(unsigned dwCle)
{
    gdwIndexRecycleur = dwCle;
    gbTLSOk = true;
    gbCleRecycleursInterne = false;
}

void CStrMemAlloc::s_LibereRecycleurThread()
{
    if (!gbTLSOk || !gbCleRecycleursInterne)
        return;
    CStrMemCache* pcl = static_cast<CStrMemCache*>(TLS_pGetValeur(gdwIndexRecycleur));
    if (pcl == nullptr)
        return;
    TLS_bSetValeur(gdwIndexRecycleur, nullptr);
    delete pcl;
}
