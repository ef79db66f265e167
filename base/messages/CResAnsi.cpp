// CResAnsi: the built-in message block, its entry offsets and the look-up of an entry by identifier.
#include "base/messages/CResAnsi.h"

#include <cstdlib>

const unsigned char* const _pBlocRes = gabyBlocRes;

unsigned short CResAnsi::m_tabOffset[CResAnsi::knNbEntrees];
int CResAnsi::m_bTabOffsetComplete = 0;

namespace {

unsigned short __nLitOffset(const unsigned short* p) { return __atomic_load_n(p, __ATOMIC_RELAXED); }

} // namespace

void CResAnsi::__AssureTabOffset()
{
    if (__atomic_load_n(&m_bTabOffsetComplete, __ATOMIC_ACQUIRE) != 0)
        return;
    // Each entry takes its 2 key bytes, its text and its terminator. 16-bit arithmetic: the
    // build refuses a block of 64 KiB or more.
    unsigned short nOffset = 0;
    __atomic_store_n(&m_tabOffset[0], nOffset, __ATOMIC_RELAXED);
    for (int v = 1; v < knNbEntrees; ++v) {
        nOffset = static_cast<unsigned short>(nOffset + _tabTailleChaineRes[v] + 3);
        __atomic_store_n(&m_tabOffset[v], nOffset, __ATOMIC_RELAXED);
    }
    __atomic_store_n(&m_bTabOffsetComplete, 1, __ATOMIC_RELEASE);
}

int CResAnsi::nCompareResANSI(const void* pCle, const void* pOffset)
{
    const unsigned int k = *static_cast<const unsigned int*>(pCle) & 0xFFFFu;
    const unsigned char* pEntree = _pBlocRes + __nLitOffset(static_cast<const unsigned short*>(pOffset));
    const unsigned int e = (pEntree[0] * 255u + pEntree[1] - 256u) & 0xFFFFu;
    return static_cast<int>(k) - static_cast<int>(e);
}

int CResAnsi::s_nTrouveEntree(unsigned int nId)
{
    __AssureTabOffset();
    const void* p = std::bsearch(&nId, m_tabOffset, knNbEntrees, sizeof(m_tabOffset[0]), nCompareResANSI);
    if (p == nullptr)
        return -1;
    return static_cast<int>(static_cast<const unsigned short*>(p) - m_tabOffset);
}

unsigned int CResAnsi::s_nIdentifiantEntree(int nEntree)
{
    __AssureTabOffset();
    const unsigned char* pEntree = _pBlocRes + __nLitOffset(&m_tabOffset[nEntree]);
    return (pEntree[0] - 1u) * 255u + (pEntree[1] - 1u);
}

const char* CResAnsi::s_pszTexteEntree(int nEntree)
{
    __AssureTabOffset();
    return reinterpret_cast<const char*>(_pBlocRes + __nLitOffset(&m_tabOffset[nEntree]) + 2);
}
