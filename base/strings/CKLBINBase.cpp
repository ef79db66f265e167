// CKLBINBase: the language's binary buffer values, reference-counted blocks with copy on write.
#include "base/strings/CKLBINBase.h"

#include "base/strings/CKLDSTRBase.h"
#include "base/strings/CStrMemAlloc.h"
#include "base/strings/StrMap.h"

#include <cstdint>
#include <cstring>

CKLBINBase::CKLBINBase(const CKLBINBase& cl) : m_p(nullptr)
{
    CKLDSTRBase::_s_Partage(&m_p, cl.m_p);
}

CKLBINBase& CKLBINBase::operator=(const CKLBINBase& cl)
{
    CKLDSTRBase::_s_Partage(&m_p, cl.m_p);
    return *this;
}

CKLBINBase::~CKLBINBase()
{
    CKLDSTRBase::s_ReleaseStrMem(m_p);
}

void CKLBINBase::Vide()
{
    char* p = m_p;
    m_p = nullptr;
    CKLDSTRBase::s_ReleaseStrMem(p);
}

int CKLBINBase::_nNew(unsigned nTaille, const void* pSrc, unsigned nLong)
{
    if (nTaille == 0)
        return eSTRMEM_OK;
    return CKLDSTRBase::_s_nNouveau(&m_p, nTaille, pSrc, nLong, eSTRMEM_BINAIRE, false);
}

int CKLBINBase::nAssignInit(const void* pSrc, unsigned nLong)
{
    if (pSrc == nullptr || nLong == 0) {
        Vide();
        return eSTRMEM_OK;
    }
    return _nNew(nLong, pSrc, nLong);
}

int CKLBINBase::nAssign(const void* pSrc, unsigned nLong)
{
    if (pSrc == nullptr || nLong == 0) {
        Vide();
        return eSTRMEM_OK;
    }
    return CKLDSTRBase::_s_nAffecte(&m_p, pSrc, nLong, eSTRMEM_BINAIRE, false);
}

int CKLBINBase::__nPrepareModification(unsigned nTaille)
{
    const int nRes = CKLDSTRBase::_s_nPrepare(&m_p, nTaille, eSTRMEM_BINAIRE, false);
    if (nRes == eSTRMEM_OK && m_p != nullptr)
        STRMEM_pBloc(m_p)->dwFlags &= ~std::uint32_t(eSTRMEM_MARQUEUR);
    return nRes;
}

int CKLBINBase::nConcat(const void* pSrc, unsigned nLong)
{
    if (pSrc == nullptr || nLong == 0)
        return eSTRMEM_OK;
    if (nGetSize() == 0)
        return nAssign(pSrc, nLong);
    const unsigned nAvant = nGetSize();
    if (std::uint64_t(nAvant) + nLong > STRMEM_TAILLE_MAX)
        return eSTRMEM_TROPGRAND;
    const bool bInterne = CKLDSTRBase::_s_bDansBloc(m_p, pSrc);
    const std::size_t nOffset = bInterne ? std::size_t(static_cast<const char*>(pSrc) - m_p) : 0;
    const int nRes = __nPrepareModification(nAvant + nLong);
    if (nRes != eSTRMEM_OK)
        return nRes;
    if (bInterne)
        pSrc = m_p + nOffset;
    std::memmove(m_p + nAvant, pSrc, nLong);
    STRMEM_pBloc(m_p)->nLongueur = nAvant + nLong;
    return eSTRMEM_OK;
}

int CKLBINBase::nSetSize(unsigned nTaille)
{
    if (nTaille == 0) {
        Vide();
        return eSTRMEM_OK;
    }
    const int nRes = nSetMemorySize(nTaille);
    if (nRes != eSTRMEM_OK)
        return nRes;
    STRMEM_pBloc(m_p)->nLongueur = nTaille;
    return eSTRMEM_OK;
}

int CKLBINBase::nSetMemorySize(unsigned nTaille)
{
    return __nPrepareModification(nTaille);
}

int CKLBINBase::SetUtilSize(unsigned nLong)
{
    if (m_p == nullptr)
        return nLong == 0 ? eSTRMEM_OK : eSTRMEM_TROPGRAND;
    if (nLong > STRMEM_pBloc(m_p)->nCapacite)
        return eSTRMEM_TROPGRAND;
    const int nRes = __nPrepareModification(nLong);
    if (nRes != eSTRMEM_OK)
        return nRes;
    STRMEM_pBloc(m_p)->nLongueur = nLong;
    return eSTRMEM_OK;
}

int CKLBINBase::Tronque(long nLong)
{
    return m_p ? CKLDSTRBase::_s_nTronque(&m_p, nGetSize(), nLong, false) : eSTRMEM_OK;
}

int CKLBINBase::_Assign(const CKLBINBase& cl, long nLong)
{
    if (nLong >= 0 && cl.m_p != nullptr && static_cast<unsigned long>(nLong) < cl.nGetSize() && cl.m_p != m_p) {
        if (nLong == 0) {
            Vide();
            return eSTRMEM_OK;
        }
        const std::uint32_t dwFlags = STRMEM_pBloc(cl.m_p)->dwFlags & ~std::uint32_t(eSTRMEM_MARQUEUR);
        return CKLDSTRBase::_s_nNouveau(&m_p, unsigned(nLong), cl.m_p, unsigned(nLong), dwFlags, false);
    }
    CKLDSTRBase::_s_Partage(&m_p, cl.m_p);
    return Tronque(nLong);
}

int CKLBINBase::nMilieu(const CKLBINBase& cl, unsigned nDebut, unsigned nNb)
{
    const unsigned nTaille = cl.nGetSize();
    if (nDebut >= nTaille || nNb == 0) {
        Vide();
        return eSTRMEM_OK;
    }
    if (nNb > nTaille - nDebut)
        nNb = nTaille - nDebut;
    if (nDebut == 0)
        return _Assign(cl, long(nNb));
    return CKLDSTRBase::_s_nNouveau(&m_p, nNb, cl.m_p + nDebut, nNb, eSTRMEM_BINAIRE, false);
}

CKLBINBase CKLBINBase::clMilieu(unsigned nDebut, unsigned nNb) const
{
    CKLBINBase cl;
    cl.nMilieu(*this, nDebut, nNb);
    return cl;
}

long CKLBINBase::nPos(const void* p, unsigned nLong, unsigned nDebut) const
{
    const unsigned nTaille = nGetSize();
    if (p == nullptr || nLong == 0 || nDebut > nTaille || nLong > nTaille - nDebut)
        return -1;
    for (unsigned i = nDebut; i + nLong <= nTaille; ++i)
        if (std::memcmp(m_p + i, p, nLong) == 0)
            return long(i);
    return -1;
}

bool CKLBINBase::bCommencePar(const void* p, unsigned nLong) const
{
    if (p == nullptr || nLong > nGetSize())
        return false;
    return nLong == 0 || std::memcmp(m_p, p, nLong) == 0;
}

int CKLBINBase::nCompare(const CKLBINBase& a, const CKLBINBase& b)
{
    const unsigned nA = a.nGetSize(), nB = b.nGetSize();
    const int n = nA == 0 || nB == 0 ? 0 : std::memcmp(a.m_p, b.m_p, nA < nB ? nA : nB);
    if (n != 0)
        return n < 0 ? -1 : 1;
    return nA < nB ? -1 : (nA > nB ? 1 : 0);
}

int CKLBINBase::nCompareSouple(const CKLBINBase& a, const CKLBINBase& b)
{
    return CKLDSTRBase::_s_nCompareMappe(a.m_p, a.nGetSize(), b.m_p, b.nGetSize(), STR_MAP_CASE | STR_MAP_NOACCENT);
}

int CKLBINBase::nCompareTresSouple(const CKLBINBase& a, const CKLBINBase& b)
{
    return CKLDSTRBase::_s_nCompareMappe(a.m_p, a.nGetSize(), b.m_p, b.nGetSize(),
                                         STR_MAP_CASE | STR_MAP_NOACCENT | STR_MAP_NOPUNCT);
}

int CKLBINBase::nConcatInit(const void* pSrc, unsigned nLong)
{
    if (m_p == nullptr)
        return nAssignInit(pSrc, nLong);
    return nConcat(pSrc, nLong);
}

int CKLBINBase::nConcatSeparateur(const void* pSep, unsigned nSep, const void* pSrc, unsigned nLong)
{
    if (nGetSize() == 0 || pSep == nullptr || nSep == 0)
        return nConcat(pSrc, nLong);
    if (pSrc == nullptr)
        nLong = 0;
    if (std::uint64_t(nGetSize()) + nSep + nLong > STRMEM_TAILLE_MAX)
        return eSTRMEM_TROPGRAND;
    // Separator and bytes are gathered first (either may lie in this value), so that a
    // failure leaves the value as it was.
    CKLBINBase clSuite;
    int nRes = clSuite._nNew(nSep + nLong, pSep, nSep);
    if (nRes == eSTRMEM_OK)
        nRes = clSuite.nConcat(pSrc, nLong);
    if (nRes == eSTRMEM_OK)
        nRes = nConcat(clSuite.m_p, clSuite.nGetSize());
    return nRes;
}

int CKLBINBase::nAffecteToUNICODE(const char* pSrc, int nLong, unsigned nCodePage, unsigned dwFlags, unsigned nExtra)
{
    return CKLDSTRBase::_s_nVersUNICODE(&m_p, pSrc, nLong, nCodePage, dwFlags, nExtra, eSTRMEM_BINAIRE, false);
}

int CKLBINBase::nAffecteToUNICODE(const CKLDSTRBase& cl, unsigned nCodePage)
{
    // The string's block stays alive through this copy whatever happens to this value.
    const CKLDSTRBase clSource(cl);
    if (clSource.bEstUNICODE())
        return nAssign(clSource.pGetData(),
                       clSource.nGetLength() / unsigned(sizeof(wchar_t)) * unsigned(sizeof(wchar_t)));
    return nAffecteToUNICODE(clSource.pszGet(), int(clSource.nGetLength()), nCodePage, 0, 0);
}

int CKLBINBase::nAffecteToANSI(const wchar_t* pwSrc, int nNbCar, unsigned nCodePage)
{
    return CKLDSTRBase::_s_nVersANSI(&m_p, pwSrc, nNbCar, nCodePage, eSTRMEM_BINAIRE, false);
}

int CKLBINBase::nAffecteToANSI(const CKLDSTRBase& cl, unsigned nCodePage)
{
    const CKLDSTRBase clSource(cl);
    if (!clSource.bEstUNICODE())
        return nAssign(clSource.pGetData(), clSource.nGetLength());
    return nAffecteToANSI(reinterpret_cast<const wchar_t*>(clSource.pszGet()),
                          int(clSource.nGetLength() / sizeof(wchar_t)), nCodePage);
}

int CKLBINBase::nRecupereInit(char* pData)
{
    CKLDSTRBase::_s_Recupere(&m_p, pData);
    return eSTRMEM_OK;
}
