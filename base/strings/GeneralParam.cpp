// GeneralParam: settings that the runtime hands to the module's language values (recyclers, threads, allocator).
#include "base/strings/GeneralParam.h"

#include "base/strings/CStrMemAlloc.h"

bool GeneralParam(unsigned nCode, std::uintptr_t nValeur)
{
    switch (nCode) {
    case eGP_CLE_RECYCLEURS:
        CStrMemAlloc::s_SetCleRecycleurs(static_cast<unsigned>(nValeur));
        return true;
    case eGP_FLAG_MT:
        if (nValeur == 0)
            return false;
        gpbMTEnCours = reinterpret_cast<int*>(nValeur);
        return true;
    case eGP_ALLOCATEUR: {
        CStrMemAlloc* pcl = reinterpret_cast<CStrMemAlloc*>(nValeur);
        if (pcl == nullptr)
            return false;
        if (pcl == CStrMemAlloc::ms_pclAllocateur) {
            CStrMemAlloc::ms_bAllocateurExterne = true;
            return true;
        }
        if (CStrMemAlloc::ms_pclAllocateur != nullptr && !CStrMemAlloc::ms_bAllocateurExterne)
            CStrMemAlloc::s_Retire(CStrMemAlloc::ms_pclAllocateur);
        CStrMemAlloc::ms_pclAllocateur = pcl;
        CStrMemAlloc::ms_bAllocateurExterne = true;
        return true;
    }
    default:
        return false;
    }
}
