// STManipAUB: a view of one language value (ANSI string, Unicode string or binary) with its type code.
#include "base/strings/STManipAUB.h"

#include "base/strings/CKLBINBase.h"
#include "base/strings/CKLDSTRBase.h"

#include <cstdint>

STManipAUB::STManipAUB(const CKLDSTRBase* pcl)
    : pValeur(pcl), wType(pcl != nullptr ? s_nGetTypeAUB(pcl->pGetData()) : static_cast<unsigned short>(eAUB_ANSI))
{
}

STManipAUB::STManipAUB(const CKLBINBase* pcl) : pValeur(pcl), wType(eAUB_BINAIRE)
{
}

const char* STManipAUB::pszGetString() const
{
    if (pValeur == nullptr)
        return "";
    const char* pData = *static_cast<const char* const*>(pValeur);
    return pData != nullptr ? pData : CKLDSTRBase::ms_szVide;
}

unsigned short STManipAUB::s_nGetTypeAUB(const void* pData)
{
    if (pData == nullptr)
        return eAUB_ANSI;
    const std::uint32_t dwFlags = STRMEM_pBloc(pData)->dwFlags;
    if (dwFlags & eSTRMEM_ANSI)
        return eAUB_ANSI;
    if (dwFlags & eSTRMEM_UNICODE)
        return eAUB_UNICODE;
    if (dwFlags & eSTRMEM_BINAIRE)
        return eAUB_BINAIRE;
    return eAUB_ANSI;
}

void STManipAUB::s_VerifieTypeAUB(void* pData, unsigned nCode)
{
    if (pData == nullptr)
        return;
    std::uint32_t dwType;
    switch (nCode) {
    case eAUB_ANSI: dwType = eSTRMEM_ANSI; break;
    case eAUB_UNICODE: dwType = eSTRMEM_UNICODE; break;
    case eAUB_BINAIRE: dwType = eSTRMEM_BINAIRE; break;
    default: return;
    }
    _stSTRMEMBLOC* pBloc = STRMEM_pBloc(pData);
    pBloc->dwFlags = (pBloc->dwFlags & ~std::uint32_t(eSTRMEM_MASQUE_TYPE)) | dwType;
}
