// CStrMemCache: recycler of value blocks, two small free lists of the 104- and 1,000-byte capacities.
#include "base/strings/CStrMemCache.h"

#include "base/strings/CStrMemAlloc.h"

#include <initializer_list>

CStrMemCache::CStrMemCache() : m_pPetits(nullptr), m_pMoyens(nullptr), m_nNbPetits(0), m_nNbMoyens(0)
{
}

CStrMemCache::~CStrMemCache()
{
    CStrMemCache::vSupprimeTout();
}

_stSTRMEMBLOC* CStrMemCache::vpRecupere(unsigned nCapacite)
{
    _stSTRMEMBLOC** ppTete;
    int* pnNb;
    if (nCapacite == STRMEM_PETIT) {
        ppTete = &m_pPetits;
        pnNb = &m_nNbPetits;
    } else if (nCapacite == STRMEM_MOYEN) {
        ppTete = &m_pMoyens;
        pnNb = &m_nNbMoyens;
    } else {
        return nullptr;
    }
    _stSTRMEMBLOC* pBloc = *ppTete;
    if (pBloc == nullptr)
        return nullptr;
    *ppTete = pBloc->pLibreSuivant;
    --*pnNb;
    return pBloc;
}

bool CStrMemCache::vbAjoute(_stSTRMEMBLOC* pBloc)
{
    if (pBloc == nullptr)
        return false;
    _stSTRMEMBLOC** ppTete;
    int* pnNb;
    if (pBloc->nCapacite == STRMEM_PETIT) {
        ppTete = &m_pPetits;
        pnNb = &m_nNbPetits;
    } else if (pBloc->nCapacite == STRMEM_MOYEN) {
        ppTete = &m_pMoyens;
        pnNb = &m_nNbMoyens;
    } else {
        return false;
    }
    if (*pnNb >= ms_nMaxParListe)
        return false;
    pBloc->pLibreSuivant = *ppTete;
    *ppTete = pBloc;
    ++*pnNb;
    return true;
}

void CStrMemCache::vSupprimeTout()
{
    for (_stSTRMEMBLOC** ppTete : {&m_pPetits, &m_pMoyens}) {
        while (*ppTete != nullptr) {
            _stSTRMEMBLOC* pBloc = *ppTete;
            *ppTete = pBloc->pLibreSuivant;
            pBloc->pAllocateur->vFreeCacheStrMem(pBloc);
        }
    }
    m_nNbPetits = 0;
    m_nNbMoyens = 0;
}
