// CStrMemCache: recycler of value blocks, two small free lists of the 104- and 1,000-byte capacities.
#pragma once

#include "base/strings/StrMemBloc.h"

// Used as the allocator's own lists and as the per-thread recyclers. The lists have no lock:
// one recycler serves one thread at a time. A block in a list belongs to the allocator named
// in its header, which frees it when the recycler lets it go.
//
// The virtual order (vpRecupere, vbAjoute, vSupprimeTout, destructors) is shared with the
// runtime.
class CStrMemCache {
public:
    CStrMemCache();
    CStrMemCache(const CStrMemCache&) = delete;
    CStrMemCache& operator=(const CStrMemCache&) = delete;

    // Pops the block most recently added with exactly this capacity; null when none.
    virtual _stSTRMEMBLOC* vpRecupere(unsigned nCapacite);
    // Keeps a released block of capacity 104 or 1,000 while its list holds fewer than
    // ms_nMaxParListe blocks; false (the caller frees it) otherwise.
    virtual bool vbAjoute(_stSTRMEMBLOC* pBloc);
    // Frees every kept block through its own allocator and empties both lists.
    virtual void vSupprimeTout();
    virtual ~CStrMemCache();

    int nGetNbPetits() const { return m_nNbPetits; }
    int nGetNbMoyens() const { return m_nNbMoyens; }

    static constexpr int ms_nMaxParListe = 20;

protected:
    _stSTRMEMBLOC* m_pPetits;   // free blocks of STRMEM_PETIT bytes, linked through nRef
    _stSTRMEMBLOC* m_pMoyens;   // free blocks of STRMEM_MOYEN bytes
    int m_nNbPetits;
    int m_nNbMoyens;
};
