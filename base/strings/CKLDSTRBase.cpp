// CKLDSTRBase: the language's ANSI and Unicode string values, reference-counted blocks with copy on write.
#include "base/strings/CKLDSTRBase.h"

#include "base/strings/CKLBINBase.h"
#include "base/strings/CStrMemAlloc.h"
#include "base/strings/CharTables.h"
#include "base/strings/CodePage.h"
#include "base/strings/StrCompare.h"
#include "base/strings/StrCopy.h"
#include "base/strings/StrMap.h"
#include "base/system/Locale.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <type_traits>
#include <new>
#include <utility>

const char CKLDSTRBase::ms_szVide[4] = {0, 0, 0, 0};

namespace {

unsigned TypeDe(const char* p)
{
    return p != nullptr ? STRMEM_pBloc(p)->dwFlags & eSTRMEM_MASQUE_TYPE : eSTRMEM_ANSI;
}

// Maps n bytes of p into pDst (room for n + 1 bytes) for the loose comparisons; returns the
// mapped length. The string library's mapping ends at a NUL, so each run between NULs is
// mapped on its own and the NULs themselves go through the one-character mapping.
std::size_t MappeOctets(unsigned nFlags, char* pDst, const char* p, std::size_t n)
{
    std::size_t nLu = 0, nEcrit = 0;
    while (nLu < n) {
        if (p[nLu] == '\0') {
            char c = 0;
            if (STR_nMapCharEx(nFlags, &c, '\0', 1) != 0)
                pDst[nEcrit++] = c;
            ++nLu;
            continue;
        }
        const char* pNul = static_cast<const char*>(std::memchr(p + nLu, 0, n - nLu));
        const std::size_t nRun = (pNul != nullptr ? std::size_t(pNul - p) : n) - nLu;
        nEcrit += STR_nMapStringEx(nFlags, pDst + nEcrit, unsigned(nRun + 1), p + nLu, long(nRun), 1);
        nLu += nRun;
    }
    return nEcrit;
}

int CompareOctets(const char* pA, std::size_t nA, const char* pB, std::size_t nB)
{
    const int n = nA == 0 || nB == 0 ? 0 : std::memcmp(pA, pB, nA < nB ? nA : nB);
    if (n != 0)
        return n < 0 ? -1 : 1;
    return nA < nB ? -1 : (nA > nB ? 1 : 0);
}

bool EstBlanc(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

} // namespace

// ---- Shared block operations -----------------------------------------------------------

bool CKLDSTRBase::_s_bDansBloc(const char* pData, const void* p)
{
    if (pData == nullptr || p == nullptr)
        return false;
    const std::uintptr_t n = reinterpret_cast<std::uintptr_t>(p);
    const std::uintptr_t nDebut = reinterpret_cast<std::uintptr_t>(pData);
    return n >= nDebut && n < nDebut + STRMEM_pBloc(pData)->nCapacite + 4;
}

void CKLDSTRBase::s_ReleaseStrMem(char* pData)
{
    if (pData == nullptr)
        return;
    _stSTRMEMBLOC* pBloc = STRMEM_pBloc(pData);
    if (__atomic_sub_fetch(STRMEM_pnRef(pBloc), 1, __ATOMIC_ACQ_REL) == 0)
        pBloc->pAllocateur->vReleaseStrMem(pData);
}

void CKLDSTRBase::_s_Partage(char** pp, char* pSrc)
{
    if (pSrc != nullptr)
        __atomic_add_fetch(STRMEM_pnRef(STRMEM_pBloc(pSrc)), 1, __ATOMIC_RELAXED);
    char* pAncien = *pp;
    *pp = pSrc;
    s_ReleaseStrMem(pAncien);
}

int CKLDSTRBase::_s_nNouveau(char** pp, unsigned nTaille, const void* pSrc, unsigned nLong, unsigned dwType,
                             bool bChaine)
{
    if (nTaille > STRMEM_TAILLE_MAX)
        return eSTRMEM_TROPGRAND;
    CStrMemAlloc* pclAllocateur = CStrMemAlloc::ms_pclAllocateur;
    if (pclAllocateur == nullptr)
        return eSTRMEM_MEMOIRE;
    char* p = nullptr;
    const int nRes = pclAllocateur->vnAllocStrMem(&p, nTaille);
    if (nRes != eSTRMEM_OK)
        return nRes;
    _stSTRMEMBLOC* pBloc = STRMEM_pBloc(p);
    if (nLong > nTaille)
        nLong = nTaille;
    if (pSrc == nullptr)
        nLong = 0;
    if (nLong != 0)
        std::memcpy(p, pSrc, nLong);
    pBloc->nLongueur = nLong;
    pBloc->dwFlags = dwType;
    if (bChaine)
        STRMEM_MotZero(pBloc, nLong);
    // The source may have been the old block itself: it goes only now.
    char* pAncien = *pp;
    *pp = p;
    s_ReleaseStrMem(pAncien);
    return eSTRMEM_OK;
}

int CKLDSTRBase::_s_nPrepare(char** pp, unsigned nTaille, unsigned dwType, bool bChaine)
{
    if (nTaille > STRMEM_TAILLE_MAX)
        return eSTRMEM_TROPGRAND;
    if (*pp == nullptr)
        return _s_nNouveau(pp, nTaille != 0 ? nTaille : 1, nullptr, 0, dwType, bChaine);
    _stSTRMEMBLOC* pBloc = STRMEM_pBloc(*pp);
    if (STRMEM_nGetRef(pBloc) < 2) {
        if (pBloc->nCapacite >= nTaille)
            return eSTRMEM_OK;
        return pBloc->pAllocateur->vnReallocStrMem(pp, nTaille);
    }
    // Shared: a private copy of the content, length and flags.
    const unsigned nLong = pBloc->nLongueur;
    char* p = nullptr;
    const int nRes = _s_nNouveau(&p, nTaille > nLong ? nTaille : nLong, *pp, nLong, pBloc->dwFlags, bChaine);
    if (nRes != eSTRMEM_OK)
        return nRes;
    char* pAncien = *pp;
    *pp = p;
    s_ReleaseStrMem(pAncien);
    return eSTRMEM_OK;
}

// ---- Life ------------------------------------------------------------------------------

CKLDSTRBase::CKLDSTRBase(const CKLDSTRBase& cl) : m_p(nullptr)
{
    _s_Partage(&m_p, cl.m_p);
}

CKLDSTRBase& CKLDSTRBase::operator=(const CKLDSTRBase& cl)
{
    _s_Partage(&m_p, cl.m_p);
    return *this;
}

CKLDSTRBase::~CKLDSTRBase()
{
    s_ReleaseStrMem(m_p);
}

bool CKLDSTRBase::bInit()
{
    if (CStrMemAlloc::ms_pclAllocateur != nullptr && !CStrMemAlloc::ms_bAllocateurExterne)
        return true;
    CStrMemAlloc* pcl = new (std::nothrow) CStrMemAlloc("ZVExe");
    if (pcl == nullptr)
        return false;
    CStrMemAlloc::ms_pclAllocateur = pcl;
    CStrMemAlloc::ms_bAllocateurExterne = false;
    return true;
}

void CKLDSTRBase::Term()
{
    if (CStrMemAlloc::ms_pclAllocateur != nullptr && !CStrMemAlloc::ms_bAllocateurExterne)
        CStrMemAlloc::s_Retire(CStrMemAlloc::ms_pclAllocateur);
    CStrMemAlloc::ms_pclAllocateur = nullptr;
    CStrMemAlloc::ms_bAllocateurExterne = false;
}

void CKLDSTRBase::Vide()
{
    char* p = m_p;
    m_p = nullptr;
    s_ReleaseStrMem(p);
}

// ---- Assignment ------------------------------------------------------------------------

int CKLDSTRBase::_nNew(unsigned nTaille, const char* pSrc, unsigned nLong)
{
    if (nTaille == 0)
        return eSTRMEM_OK;
    return _s_nNouveau(&m_p, nTaille, pSrc, nLong, eSTRMEM_ANSI, true);
}

int CKLDSTRBase::nAssignInit(const char* pSrc, unsigned nLong)
{
    if (pSrc == nullptr || nLong == 0) {
        Vide();
        return eSTRMEM_OK;
    }
    return _nNew(nLong, pSrc, nLong);
}

int CKLDSTRBase::_s_nAffecte(char** pp, const void* pSrc, unsigned nLong, unsigned dwType, bool bChaine)
{
    if (nLong > STRMEM_TAILLE_MAX)
        return eSTRMEM_TROPGRAND;
    char* p = *pp;
    if (p == nullptr || STRMEM_nGetRef(STRMEM_pBloc(p)) >= 2 ||
        (STRMEM_pBloc(p)->nCapacite < nLong && _s_bDansBloc(p, pSrc)))
        return _s_nNouveau(pp, nLong, pSrc, nLong, dwType, bChaine);
    if (STRMEM_pBloc(p)->nCapacite < nLong) {
        const int nRes = STRMEM_pBloc(p)->pAllocateur->vnReallocStrMem(pp, nLong);
        if (nRes != eSTRMEM_OK)
            return nRes;
    }
    _stSTRMEMBLOC* pBloc = STRMEM_pBloc(*pp);
    std::memmove(*pp, pSrc, nLong);
    pBloc->nLongueur = nLong;
    pBloc->dwFlags = dwType;
    if (bChaine)
        STRMEM_MotZero(pBloc, nLong);
    return eSTRMEM_OK;
}

int CKLDSTRBase::nAssign(const char* pSrc, unsigned nLong)
{
    if (pSrc == nullptr || nLong == 0) {
        Vide();
        return eSTRMEM_OK;
    }
    return _s_nAffecte(&m_p, pSrc, nLong, eSTRMEM_ANSI, true);
}

int CKLDSTRBase::nAssign(const char* psz)
{
    return nAssign(psz, psz != nullptr ? unsigned(std::strlen(psz)) : 0);
}

int CKLDSTRBase::nConcat(const char* pSrc, unsigned nLong)
{
    if (pSrc == nullptr || nLong == 0)
        return eSTRMEM_OK;
    if (m_p == nullptr || nGetLength() == 0)
        return nAssign(pSrc, nLong);
    const unsigned nAvant = nGetLength();
    if (std::uint64_t(nAvant) + nLong > STRMEM_TAILLE_MAX)
        return eSTRMEM_TROPGRAND;
    // A source inside the block is found again by its offset once the block has moved.
    const bool bInterne = _s_bDansBloc(m_p, pSrc);
    const std::size_t nOffset = bInterne ? std::size_t(pSrc - m_p) : 0;
    const int nRes = __nPrepareModification(nAvant + nLong);
    if (nRes != eSTRMEM_OK)
        return nRes;
    if (bInterne)
        pSrc = m_p + nOffset;
    _stSTRMEMBLOC* pBloc = STRMEM_pBloc(m_p);
    std::memmove(m_p + nAvant, pSrc, nLong);
    pBloc->nLongueur = nAvant + nLong;
    STRMEM_MotZero(pBloc, pBloc->nLongueur);
    return eSTRMEM_OK;
}

int CKLDSTRBase::nConcat(const char* psz)
{
    return nConcat(psz, psz != nullptr ? unsigned(std::strlen(psz)) : 0);
}

int CKLDSTRBase::__nPrepareModification(unsigned nTaille)
{
    const int nRes = _s_nPrepare(&m_p, nTaille, TypeDe(m_p), true);
    if (nRes == eSTRMEM_OK && m_p != nullptr)
        STRMEM_pBloc(m_p)->dwFlags &= ~std::uint32_t(eSTRMEM_MARQUEUR);
    return nRes;
}

int CKLDSTRBase::nSetLength(unsigned nTaille)
{
    if (m_p == nullptr)
        return _s_nNouveau(&m_p, nTaille != 0 ? nTaille : 1, nullptr, 0, eSTRMEM_ANSI, true);
    return __nPrepareModification(nTaille);
}

int CKLDSTRBase::SetUtilLength(unsigned nLong, bool bFreeIfZero)
{
    if (nLong == 0 && bFreeIfZero) {
        Vide();
        return eSTRMEM_OK;
    }
    if (m_p == nullptr)
        return nLong == 0 ? eSTRMEM_OK : eSTRMEM_TROPGRAND;
    if (nLong > STRMEM_pBloc(m_p)->nCapacite)
        return eSTRMEM_TROPGRAND;
    // The block may be shared: the other holders keep their length.
    const int nRes = __nPrepareModification(nLong);
    if (nRes != eSTRMEM_OK)
        return nRes;
    _stSTRMEMBLOC* pBloc = STRMEM_pBloc(m_p);
    pBloc->nLongueur = nLong;
    STRMEM_MotZero(pBloc, nLong);
    return eSTRMEM_OK;
}

int CKLDSTRBase::_s_nTronque(char** pp, unsigned nActuelle, long nLong, bool bChaine)
{
    if (nLong < 0 || *pp == nullptr || static_cast<unsigned long>(nLong) >= nActuelle)
        return eSTRMEM_OK;
    _stSTRMEMBLOC* pBloc = STRMEM_pBloc(*pp);
    if (STRMEM_nGetRef(pBloc) >= 2) {
        if (nLong == 0) {
            char* p = *pp;
            *pp = nullptr;
            s_ReleaseStrMem(p);
            return eSTRMEM_OK;
        }
        const std::uint32_t dwFlags = pBloc->dwFlags & ~std::uint32_t(eSTRMEM_MARQUEUR);
        return _s_nNouveau(pp, unsigned(nLong), *pp, unsigned(nLong), dwFlags, bChaine);
    }
    pBloc->dwFlags &= ~std::uint32_t(eSTRMEM_MARQUEUR);
    pBloc->nLongueur = unsigned(nLong);
    if (bChaine)
        STRMEM_MotZero(pBloc, unsigned(nLong));
    return eSTRMEM_OK;
}

int CKLDSTRBase::Tronque(long nLong)
{
    return m_p ? _s_nTronque(&m_p, nGetLength(), nLong, true) : eSTRMEM_OK;
}

int CKLDSTRBase::_Assign(const CKLDSTRBase& cl, long nLong)
{
    if (nLong >= 0 && cl.m_p != nullptr && static_cast<unsigned long>(nLong) < cl.nGetLength() && cl.m_p != m_p) {
        // Sharing then cutting would copy anyway: the private copy is made directly, so that
        // a failure leaves this value as it was.
        if (nLong == 0) {
            Vide();
            return eSTRMEM_OK;
        }
        const std::uint32_t dwFlags = STRMEM_pBloc(cl.m_p)->dwFlags & ~std::uint32_t(eSTRMEM_MARQUEUR);
        return _s_nNouveau(&m_p, unsigned(nLong), cl.m_p, unsigned(nLong), dwFlags, true);
    }
    _s_Partage(&m_p, cl.m_p);
    return Tronque(nLong);
}

// ---- Conversions -----------------------------------------------------------------------

int CKLDSTRBase::nAffecteToUNICODE(const char* pSrc, int nLong, unsigned nCodePage, unsigned dwFlags,
                                   unsigned nExtra)
{
    return _s_nVersUNICODE(&m_p, pSrc, nLong, nCodePage, dwFlags, nExtra, eSTRMEM_UNICODE, true);
}

void CKLDSTRBase::_s_Recupere(char** pp, char* pData)
{
    if (pData == *pp) {
        // The caller's reference and ours are two: one of them goes.
        s_ReleaseStrMem(pData);
        return;
    }
    char* pAncien = *pp;
    *pp = pData;
    s_ReleaseStrMem(pAncien);
}

int CKLDSTRBase::_s_nVersUNICODE(char** pp, const char* pSrc, int nLong, unsigned nCodePage, unsigned dwFlags,
                                 unsigned nExtra, unsigned dwType, bool bChaine)
{
    if (pSrc != nullptr && nLong < 0)
        nLong = int(std::strlen(pSrc));
    if (pSrc == nullptr || nLong == 0) {
        char* pAncien = *pp;
        *pp = nullptr;
        s_ReleaseStrMem(pAncien);
        return eSTRMEM_OK;
    }
    const int nCar = MultiByteToWideChar(nCodePage, dwFlags, pSrc, nLong, nullptr, 0);
    if (nCar <= 0)
        return eSTRMEM_CONVERSION;
    const std::uint64_t nOctets = (std::uint64_t(unsigned(nCar)) + nExtra) * sizeof(wchar_t);
    if (nOctets > STRMEM_TAILLE_MAX)
        return eSTRMEM_TROPGRAND;
    char* p = nullptr;
    int nRes = _s_nNouveau(&p, unsigned(nOctets), nullptr, 0, dwType, bChaine);
    if (nRes != eSTRMEM_OK)
        return nRes;
    const int nEcrits = MultiByteToWideChar(nCodePage, dwFlags, pSrc, nLong, reinterpret_cast<wchar_t*>(p), nCar);
    if (nEcrits <= 0) {
        s_ReleaseStrMem(p);
        return eSTRMEM_CONVERSION;
    }
    _stSTRMEMBLOC* pBloc = STRMEM_pBloc(p);
    pBloc->nLongueur = unsigned(nEcrits) * unsigned(sizeof(wchar_t));
    if (bChaine)
        STRMEM_MotZero(pBloc, pBloc->nLongueur);
    char* pAncien = *pp;
    *pp = p;
    s_ReleaseStrMem(pAncien);
    return eSTRMEM_OK;
}

int CKLDSTRBase::nAffecteToUTF8(const char* pSrc, int nLong, unsigned nCodePage)
{
    if (pSrc != nullptr && nLong < 0)
        nLong = int(std::strlen(pSrc));
    if (nCodePage == 65001 || pSrc == nullptr || nLong == 0)
        return nAssign(pSrc, pSrc != nullptr ? unsigned(nLong) : 0);
    const std::uint64_t nReserve = std::uint64_t(unsigned(nLong)) * 4 + 4;
    if (nReserve > STRMEM_TAILLE_MAX)
        return eSTRMEM_TROPGRAND;
    char* p = nullptr;
    int nRes = _s_nNouveau(&p, unsigned(nReserve), nullptr, 0, eSTRMEM_ANSI, true);
    if (nRes != eSTRMEM_OK)
        return nRes;
    const int nEcrits = MultiByteToUTF8(nCodePage, pSrc, unsigned(nLong), p, unsigned(nReserve), 0);
    if (nEcrits <= 0) {
        s_ReleaseStrMem(p);
        return eSTRMEM_CONVERSION;
    }
    _stSTRMEMBLOC* pBloc = STRMEM_pBloc(p);
    pBloc->nLongueur = unsigned(nEcrits);
    STRMEM_MotZero(pBloc, pBloc->nLongueur);
    char* pAncien = m_p;
    m_p = p;
    s_ReleaseStrMem(pAncien);
    return eSTRMEM_OK;
}

int CKLDSTRBase::nAffecteToANSI(const wchar_t* pwSrc, int nNbCar, unsigned nCodePage)
{
    return _s_nVersANSI(&m_p, pwSrc, nNbCar, nCodePage, eSTRMEM_ANSI, true);
}

int CKLDSTRBase::_s_nVersANSI(char** pp, const wchar_t* pwSrc, int nNbCar, unsigned nCodePage, unsigned dwType,
                              bool bChaine)
{
    if (pwSrc != nullptr && nNbCar < 0)
        nNbCar = int(std::wcslen(pwSrc));
    if (pwSrc == nullptr || nNbCar == 0) {
        char* pAncien = *pp;
        *pp = nullptr;
        s_ReleaseStrMem(pAncien);
        return eSTRMEM_OK;
    }
    const int nOctets = WideCharToMultiByte(nCodePage, 0, pwSrc, nNbCar, nullptr, 0, nullptr, nullptr);
    if (nOctets <= 0)
        return eSTRMEM_CONVERSION;
    char* p = nullptr;
    int nRes = _s_nNouveau(&p, unsigned(nOctets), nullptr, 0, dwType, bChaine);
    if (nRes != eSTRMEM_OK)
        return nRes;
    const int nEcrits = WideCharToMultiByte(nCodePage, 0, pwSrc, nNbCar, p, nOctets, nullptr, nullptr);
    if (nEcrits <= 0) {
        s_ReleaseStrMem(p);
        return eSTRMEM_CONVERSION;
    }
    _stSTRMEMBLOC* pBloc = STRMEM_pBloc(p);
    pBloc->nLongueur = unsigned(nEcrits);
    if (bChaine)
        STRMEM_MotZero(pBloc, pBloc->nLongueur);
    char* pAncien = *pp;
    *pp = p;
    s_ReleaseStrMem(pAncien);
    return eSTRMEM_OK;
}

int CKLDSTRBase::nAffecteToANSI(const CKLDSTRBase& cl, unsigned nCodePage)
{
    if (!cl.bEstUNICODE())
        return _Assign(cl, -1);
    // The source may be this very value: it stays alive through its own reference.
    CKLDSTRBase clSource(cl);
    return nAffecteToANSI(reinterpret_cast<const wchar_t*>(clSource.pszGet()),
                          int(clSource.nGetLength() / sizeof(wchar_t)), nCodePage);
}

int CKLDSTRBase::nAffecteToANSI(const CKLBINBase& cl, unsigned nCodePage)
{
    CKLBINBase clSource(cl);
    const unsigned nNbCar = clSource.nGetSize() / unsigned(sizeof(wchar_t));
    if (nNbCar == 0) {
        Vide();
        return eSTRMEM_OK;
    }
    // The data area of a block is 4-aligned: it can be read as wide characters.
    return nAffecteToANSI(reinterpret_cast<const wchar_t*>(clSource.pGetData()), int(nNbCar), nCodePage);
}

char* CKLDSTRBase::pszCreateCSTR() const
{
    const unsigned nLong = nGetLength();
    char* psz = static_cast<char*>(std::malloc(std::size_t(nLong) + 1));
    if (psz == nullptr)
        return nullptr;
    std::memcpy(psz, pszGet(), nLong);
    psz[nLong] = '\0';
    return psz;
}

wchar_t* CKLDSTRBase::pszCreateWSTR() const
{
    if (bEstUNICODE()) {
        const std::size_t nCar = nGetLength() / sizeof(wchar_t);
        wchar_t* pwsz = static_cast<wchar_t*>(std::malloc((nCar + 1) * sizeof(wchar_t)));
        if (pwsz == nullptr)
            return nullptr;
        std::memcpy(pwsz, m_p, nCar * sizeof(wchar_t));
        pwsz[nCar] = L'\0';
        return pwsz;
    }
    const int nLong = int(nGetLength());
    const int nCar = nLong == 0 ? 0 : MultiByteToWideChar(1252, 0, pszGet(), nLong, nullptr, 0);
    wchar_t* pwsz = static_cast<wchar_t*>(std::malloc((std::size_t(nCar) + 1) * sizeof(wchar_t)));
    if (pwsz == nullptr)
        return nullptr;
    const int nEcrits = nCar > 0 ? MultiByteToWideChar(1252, 0, pszGet(), nLong, pwsz, nCar) : 0;
    pwsz[nEcrits > 0 ? nEcrits : 0] = L'\0';
    return pwsz;
}

// ---- Comparison and search -------------------------------------------------------------

int CKLDSTRBase::nCompare(const CKLDSTRBase& a, const CKLDSTRBase& b)
{
    return CompareOctets(a.m_p, a.nGetLength(), b.m_p, b.nGetLength());
}

int CKLDSTRBase::nCompare(const CKLDSTRBase& a, const CKLDSTRBase& b, unsigned n)
{
    unsigned nA = a.nGetLength(), nB = b.nGetLength();
    nA = nA < n ? nA : n;
    nB = nB < n ? nB : n;
    const int nRes = nA == 0 || nB == 0 ? 0 : std::memcmp(a.m_p, b.m_p, nA < nB ? nA : nB);
    if (nRes != 0)
        return nRes < 0 ? -1 : 1;
    return nA < nB ? -1 : (nA > nB ? 1 : 0);
}

int CKLDSTRBase::_s_nCompareMappe(const char* pA, unsigned nA, const char* pB, unsigned nB, unsigned nFlags)
{
    if (pA == nullptr)
        nA = 0;
    if (pB == nullptr)
        nB = 0;
    char* pMA = static_cast<char*>(std::malloc(std::size_t(nA) + 1));
    char* pMB = static_cast<char*>(std::malloc(std::size_t(nB) + 1));
    int n;
    if (pMA == nullptr || pMB == nullptr)
        n = CompareOctets(pA, nA, pB, nB);   // no memory for the mapped forms: compare the bytes
    else
        n = CompareOctets(pMA, MappeOctets(nFlags, pMA, pA, nA), pMB, MappeOctets(nFlags, pMB, pB, nB));
    std::free(pMA);
    std::free(pMB);
    return n;
}

int CKLDSTRBase::nCompareSouple(const CKLDSTRBase& a, const CKLDSTRBase& b)
{
    return _s_nCompareMappe(a.pszGet(), a.nGetLength(), b.pszGet(), b.nGetLength(),
                            STR_MAP_CASE | STR_MAP_NOACCENT);
}

int CKLDSTRBase::nCompareTresSouple(const CKLDSTRBase& a, const CKLDSTRBase& b)
{
    return _s_nCompareMappe(a.pszGet(), a.nGetLength(), b.pszGet(), b.nGetLength(),
                            STR_MAP_CASE | STR_MAP_NOACCENT | STR_MAP_NOPUNCT);
}

long CKLDSTRBase::nPos(const char* p, unsigned nLong, unsigned nDebut) const
{
    const unsigned nTaille = nGetLength();
    if (p == nullptr || nLong == 0 || nDebut > nTaille || nLong > nTaille - nDebut)
        return -1;
    for (unsigned i = nDebut; i + nLong <= nTaille; ++i)
        if (std::memcmp(m_p + i, p, nLong) == 0)
            return long(i);
    return -1;
}

long CKLDSTRBase::nPosFin(const char* p, unsigned nLong) const
{
    const unsigned nTaille = nGetLength();
    if (p == nullptr || nLong == 0 || nLong > nTaille)
        return -1;
    for (unsigned i = nTaille - nLong + 1; i-- > 0;)
        if (std::memcmp(m_p + i, p, nLong) == 0)
            return long(i);
    return -1;
}

int CKLDSTRBase::nNbOcc(const char* p, unsigned nLong) const
{
    int nNb = 0;
    for (long n = nPos(p, nLong, 0); n >= 0; n = nPos(p, nLong, unsigned(n) + nLong))
        ++nNb;
    return nNb;
}

bool CKLDSTRBase::bCommencePar(const char* p, unsigned nLong) const
{
    if (p == nullptr || nLong > nGetLength())
        return false;
    return nLong == 0 || std::memcmp(m_p, p, nLong) == 0;
}

// ---- Editing ---------------------------------------------------------------------------

int CKLDSTRBase::nAssignI4(int n)
{
    char sz[16];
    const int nLong = std::snprintf(sz, sizeof(sz), "%d", n);
    return nAssign(sz, unsigned(nLong));
}

int CKLDSTRBase::nConcatI4(int n)
{
    char sz[16];
    const int nLong = std::snprintf(sz, sizeof(sz), "%d", n);
    return nConcat(sz, unsigned(nLong));
}

int CKLDSTRBase::Trim()
{
    const unsigned nTaille = nGetLength();
    unsigned nDebut = 0, nFin = nTaille;
    while (nDebut < nFin && EstBlanc(m_p[nDebut]))
        ++nDebut;
    while (nFin > nDebut && EstBlanc(m_p[nFin - 1]))
        --nFin;
    if (nDebut == 0 && nFin == nTaille)
        return eSTRMEM_OK;
    if (nDebut == nFin) {
        Vide();
        return eSTRMEM_OK;
    }
    if (nDebut == 0)
        return Tronque(long(nFin));
    const int nRes = __nPrepareModification(nTaille);
    if (nRes != eSTRMEM_OK)
        return nRes;
    std::memmove(m_p, m_p + nDebut, nFin - nDebut);
    return SetUtilLength(nFin - nDebut, false);
}

int CKLDSTRBase::SansEspace()
{
    unsigned nFin = nGetLength();
    while (nFin > 0 && m_p[nFin - 1] == ' ')
        --nFin;
    return Tronque(long(nFin));
}

int CKLDSTRBase::Renverse()
{
    const unsigned nTaille = nGetLength();
    if (nTaille < 2)
        return eSTRMEM_OK;
    const int nRes = __nPrepareModification(nTaille);
    if (nRes != eSTRMEM_OK)
        return nRes;
    if (bEstUNICODE()) {
        wchar_t* pw = reinterpret_cast<wchar_t*>(m_p);
        for (std::size_t i = 0, j = nTaille / sizeof(wchar_t); i + 1 < j; ++i, --j)
            std::swap(pw[i], pw[j - 1]);
    } else {
        for (unsigned i = 0, j = nTaille; i + 1 < j; ++i, --j)
            std::swap(m_p[i], m_p[j - 1]);
    }
    return eSTRMEM_OK;
}

int CKLDSTRBase::nMilieu(const CKLDSTRBase& cl, unsigned nDebut, unsigned nNb)
{
    const unsigned nTaille = cl.nGetLength();
    if (nDebut >= nTaille || nNb == 0) {
        Vide();
        return eSTRMEM_OK;
    }
    if (nNb > nTaille - nDebut)
        nNb = nTaille - nDebut;
    if (nDebut == 0)
        return _Assign(cl, long(nNb));
    const std::uint32_t dwType = TypeDe(cl.m_p);
    return _s_nNouveau(&m_p, nNb, cl.m_p + nDebut, nNb, dwType, true);
}

CKLDSTRBase CKLDSTRBase::clMilieu(unsigned nDebut, unsigned nNb) const
{
    CKLDSTRBase cl;
    cl.nMilieu(*this, nDebut, nNb);
    return cl;
}

int CKLDSTRBase::__nAffecteFormat(bool bAjoute, const char* pszFormat, va_list args)
{
    if (pszFormat == nullptr)
        return eSTRMEM_TROPGRAND;
    // The exact size is measured first, so the block is never overrun.
    va_list argsMesure;
    va_copy(argsMesure, args);
    const int nLong = std::vsnprintf(nullptr, 0, pszFormat, argsMesure);
    va_end(argsMesure);
    if (nLong < 0)
        return eSTRMEM_TROPGRAND;
    if (nLong == 0) {
        if (!bAjoute)
            Vide();
        return eSTRMEM_OK;
    }
    // Arguments may point into this value: the text is formatted in a block of its own.
    CKLDSTRBase clTexte;
    const int nRes = clTexte._nNew(unsigned(nLong) + 1, nullptr, 0);
    if (nRes != eSTRMEM_OK)
        return nRes;
    std::vsnprintf(clTexte.m_p, std::size_t(nLong) + 1, pszFormat, args);
    clTexte.SetUtilLength(unsigned(nLong), false);
    if (bAjoute && !bEstVide())
        return nConcat(clTexte.m_p, unsigned(nLong));
    Assign(clTexte);
    return eSTRMEM_OK;
}

int CKLDSTRBase::nPrintf(const char* pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    const int nRes = __nAffecteFormat(false, pszFormat, args);
    va_end(args);
    return nRes;
}

int CKLDSTRBase::nAddPrintf(const char* pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    const int nRes = __nAffecteFormat(true, pszFormat, args);
    va_end(args);
    return nRes;
}

// ---- Further operations ------------------------------------------------------------------

namespace {

// First occurrence of nAiguille units at or after unit nDebut in nTaille units; -1 if none.
template <typename T>
long PosUnites(const T* p, std::size_t nTaille, const T* pAiguille, std::size_t nAiguille, std::size_t nDebut)
{
    if (pAiguille == nullptr || nAiguille == 0 || nDebut > nTaille || nAiguille > nTaille - nDebut)
        return -1;
    for (std::size_t i = nDebut; i + nAiguille <= nTaille; ++i)
        if (std::memcmp(p + i, pAiguille, nAiguille * sizeof(T)) == 0)
            return long(i);
    return -1;
}

template <typename T>
long PosFinUnites(const T* p, std::size_t nTaille, const T* pAiguille, std::size_t nAiguille)
{
    if (pAiguille == nullptr || nAiguille == 0 || nAiguille > nTaille)
        return -1;
    for (std::size_t i = nTaille - nAiguille + 1; i-- > 0;)
        if (std::memcmp(p + i, pAiguille, nAiguille * sizeof(T)) == 0)
            return long(i);
    return -1;
}

template <typename T>
int CompareUnites(const T* pA, std::size_t nA, const T* pB, std::size_t nB)
{
    const std::size_t n = nA < nB ? nA : nB;
    for (std::size_t i = 0; i < n; ++i) {
        // Compared as unsigned units, like memcmp over bytes.
        const auto a = static_cast<std::make_unsigned_t<T>>(pA[i]);
        const auto b = static_cast<std::make_unsigned_t<T>>(pB[i]);
        if (a != b)
            return a < b ? -1 : 1;
    }
    return nA < nB ? -1 : (nA > nB ? 1 : 0);
}

} // namespace

long CKLDSTRBase::nPosUNICODE(const wchar_t* pw, unsigned nNbCar, unsigned nDebutCar) const
{
    return PosUnites(reinterpret_cast<const wchar_t*>(pszGet()), nGetLength() / sizeof(wchar_t), pw, nNbCar,
                     nDebutCar);
}

long CKLDSTRBase::nPosFinUNICODE(const wchar_t* pw, unsigned nNbCar) const
{
    return PosFinUnites(reinterpret_cast<const wchar_t*>(pszGet()), nGetLength() / sizeof(wchar_t), pw, nNbCar);
}

int CKLDSTRBase::nNbOccUNICODE(const wchar_t* pw, unsigned nNbCar) const
{
    int nNb = 0;
    for (long n = nPosUNICODE(pw, nNbCar, 0); n >= 0; n = nPosUNICODE(pw, nNbCar, unsigned(n) + nNbCar))
        ++nNb;
    return nNb;
}

long CKLDSTRBase::nPosParmi(const char* pszEnsemble, unsigned nDebut) const
{
    if (pszEnsemble == nullptr || *pszEnsemble == '\0')
        return -1;
    for (unsigned i = nDebut; i < nGetLength(); ++i)
        if (m_p[i] != '\0' && std::strchr(pszEnsemble, m_p[i]) != nullptr)
            return long(i);
    return -1;
}

int CKLDSTRBase::nCompareTo(const char* p, unsigned nLong) const
{
    return CompareUnites(pszGet(), nGetLength(), p != nullptr ? p : ms_szVide, p != nullptr ? nLong : 0);
}

int CKLDSTRBase::nCompareToUNICODE(const wchar_t* pw, unsigned nNbCar) const
{
    return CompareUnites(reinterpret_cast<const wchar_t*>(pszGet()), nGetLength() / sizeof(wchar_t),
                         pw != nullptr ? pw : L"", pw != nullptr ? nNbCar : 0);
}

int CKLDSTRBase::nCompareSoupleUNICODE(const CKLDSTRBase& a, const CKLDSTRBase& b)
{
    const wchar_t* pA = reinterpret_cast<const wchar_t*>(a.pszGet());
    const wchar_t* pB = reinterpret_cast<const wchar_t*>(b.pszGet());
    const std::size_t nA = a.nGetLength() / sizeof(wchar_t), nB = b.nGetLength() / sizeof(wchar_t);
    // Characters of Latin-1 (the code points Windows-1252 shares with Unicode) are compared by
    // their upper-case accent-free forms; the others by code point.
    auto souple = [](wchar_t c) -> unsigned {
        const unsigned u = static_cast<unsigned>(c);
        if (u >= 0x100 || (u >= 0x80 && u < 0xA0))
            return u;
        char cSortie = 0;
        STR_nMapCharIgnoreCaseAccent(&cSortie, static_cast<char>(static_cast<unsigned char>(u)));
        return static_cast<unsigned char>(cSortie);
    };
    for (std::size_t i = 0; i < nA && i < nB; ++i) {
        const unsigned a = souple(pA[i]), b = souple(pB[i]);
        if (a != b)
            return a < b ? -1 : 1;
    }
    return nA < nB ? -1 : (nA > nB ? 1 : 0);
}

int CKLDSTRBase::nComplete(unsigned nLong, char c)
{
    const unsigned nAvant = nGetLength();
    if (nLong <= nAvant)
        return nLong == 0 ? (Vide(), eSTRMEM_OK) : Tronque(long(nLong));
    const int nRes = nSetLength(nLong);
    if (nRes != eSTRMEM_OK)
        return nRes;
    std::memset(m_p + nAvant, static_cast<unsigned char>(c), nLong - nAvant);
    return SetUtilLength(nLong, false);
}

int CKLDSTRBase::nCompleteUNICODE(unsigned nNbCar, wchar_t c)
{
    if (std::uint64_t(nNbCar) * sizeof(wchar_t) > STRMEM_TAILLE_MAX)
        return eSTRMEM_TROPGRAND;
    const unsigned nLong = nNbCar * unsigned(sizeof(wchar_t));
    const unsigned nAvant = nGetLength() / unsigned(sizeof(wchar_t)) * unsigned(sizeof(wchar_t));
    if (nLong <= nAvant)
        return nLong == 0 ? (Vide(), eSTRMEM_OK) : Tronque(long(nLong));
    const bool bNeuf = m_p == nullptr;
    const int nRes = nSetLength(nLong);
    if (nRes != eSTRMEM_OK)
        return nRes;
    if (bNeuf)
        STRMEM_pBloc(m_p)->dwFlags = eSTRMEM_UNICODE;
    wchar_t* pw = reinterpret_cast<wchar_t*>(m_p);
    for (std::size_t i = nAvant / sizeof(wchar_t); i < nNbCar; ++i)
        pw[i] = c;
    return SetUtilLength(nLong, false);
}

int CKLDSTRBase::TrimUNICODE()
{
    const std::size_t nCar = nGetLength() / sizeof(wchar_t);
    const wchar_t* pw = reinterpret_cast<const wchar_t*>(pszGet());
    std::size_t nDebut = 0, nFin = nCar;
    while (nDebut < nFin && std::iswspace(static_cast<wint_t>(pw[nDebut])))
        ++nDebut;
    while (nFin > nDebut && std::iswspace(static_cast<wint_t>(pw[nFin - 1])))
        --nFin;
    if (nDebut == 0 && nFin == nCar)
        return eSTRMEM_OK;
    return nMilieuUNICODE(*this, unsigned(nDebut), unsigned(nFin - nDebut));
}

int CKLDSTRBase::MapString(unsigned nFlags)
{
    const unsigned nLong = nGetLength();
    if (nLong == 0)
        return eSTRMEM_OK;
    const int nRes = __nPrepareModification(nLong);
    if (nRes != eSTRMEM_OK)
        return nRes;
    // The output is never longer than the input: the mapping works in place.
    const unsigned nSortie = STR_nMapStringEx(nFlags, m_p, nLong + 1, m_p, long(nLong), 1);
    return SetUtilLength(nSortie, false);
}

namespace {

// The replacement over units of T, built in a new block of the value's type.
template <typename T>
int RemplaceUnites(char** pp, const T* pS, std::size_t nS, const T* pR, std::size_t nR, std::size_t nDebut,
                   unsigned dwType)
{
    if (*pp == nullptr || pS == nullptr || nS == 0 || (pR == nullptr && nR != 0))
        return eSTRMEM_OK;
    const T* p = reinterpret_cast<const T*>(*pp);
    const std::size_t nTaille = STRMEM_pBloc(*pp)->nLongueur / sizeof(T);
    std::uint64_t nNouveau = nTaille;
    std::size_t nNb = 0;
    for (long n = PosUnites(p, nTaille, pS, nS, nDebut); n >= 0; n = PosUnites(p, nTaille, pS, nS, std::size_t(n) + nS)) {
        nNouveau = nNouveau - nS + nR;
        ++nNb;
    }
    if (nNb == 0)
        return eSTRMEM_OK;
    if (nNouveau * sizeof(T) > STRMEM_TAILLE_MAX)
        return eSTRMEM_TROPGRAND;
    if (nNouveau == 0) {
        char* pAncien = *pp;
        *pp = nullptr;
        CKLDSTRBase::s_ReleaseStrMem(pAncien);
        return eSTRMEM_OK;
    }
    char* pNeuf = nullptr;
    const int nRes = CKLDSTRBase::_s_nNouveau(&pNeuf, unsigned(nNouveau * sizeof(T)), nullptr, 0, dwType, true);
    if (nRes != eSTRMEM_OK)
        return nRes;
    T* pDst = reinterpret_cast<T*>(pNeuf);
    std::size_t nLu = 0;
    for (long n = PosUnites(p, nTaille, pS, nS, nDebut); n >= 0; n = PosUnites(p, nTaille, pS, nS, nLu)) {
        std::memcpy(pDst, p + nLu, (std::size_t(n) - nLu) * sizeof(T));
        pDst += std::size_t(n) - nLu;
        if (nR != 0)
            std::memcpy(pDst, pR, nR * sizeof(T));
        pDst += nR;
        nLu = std::size_t(n) + nS;
    }
    std::memcpy(pDst, p + nLu, (nTaille - nLu) * sizeof(T));
    _stSTRMEMBLOC* pBloc = STRMEM_pBloc(pNeuf);
    pBloc->nLongueur = unsigned(nNouveau * sizeof(T));
    STRMEM_MotZero(pBloc, pBloc->nLongueur);
    char* pAncien = *pp;
    *pp = pNeuf;
    CKLDSTRBase::s_ReleaseStrMem(pAncien);
    return eSTRMEM_OK;
}

} // namespace

int CKLDSTRBase::Remplace(const char* pS, unsigned nS, const char* pR, unsigned nR, unsigned nDebut)
{
    return RemplaceUnites(&m_p, pS, nS, pR, nR, nDebut, TypeDe(m_p));
}

int CKLDSTRBase::RemplaceUNICODE(const wchar_t* pS, unsigned nS, const wchar_t* pR, unsigned nR, unsigned nDebutCar)
{
    return RemplaceUnites(&m_p, pS, nS, pR, nR, nDebutCar, TypeDe(m_p));
}

int CKLDSTRBase::nMilieuUNICODE(const CKLDSTRBase& cl, unsigned nDebutCar, unsigned nNbCar)
{
    const unsigned nCar = cl.nGetLength() / unsigned(sizeof(wchar_t));
    if (nDebutCar >= nCar || nNbCar == 0) {
        Vide();
        return eSTRMEM_OK;
    }
    if (nNbCar > nCar - nDebutCar)
        nNbCar = nCar - nDebutCar;
    const unsigned nLong = nNbCar * unsigned(sizeof(wchar_t));
    return _s_nNouveau(&m_p, nLong, cl.m_p + nDebutCar * sizeof(wchar_t), nLong, eSTRMEM_UNICODE, true);
}

CKLDSTRBase CKLDSTRBase::clMilieuUNICODE(unsigned nDebutCar, unsigned nNbCar) const
{
    CKLDSTRBase cl;
    cl.nMilieuUNICODE(*this, nDebutCar, nNbCar);
    return cl;
}

bool CKLDSTRBase::bExtraitChainePosUNICODE(unsigned nNumero, const wchar_t* pwSep, unsigned nSep,
                                           unsigned* pnDebut, unsigned* pnNbCar) const
{
    if (pwSep == nullptr || nSep == 0)
        return false;
    const wchar_t* pw = reinterpret_cast<const wchar_t*>(pszGet());
    const std::size_t nCar = nGetLength() / sizeof(wchar_t);
    std::size_t nDebut = 0;
    for (unsigned i = 0; i < nNumero; ++i) {
        const long n = PosUnites(pw, nCar, pwSep, nSep, nDebut);
        if (n < 0)
            return false;
        nDebut = std::size_t(n) + nSep;
    }
    const long nFin = PosUnites(pw, nCar, pwSep, nSep, nDebut);
    if (pnDebut != nullptr)
        *pnDebut = unsigned(nDebut);
    if (pnNbCar != nullptr)
        *pnNbCar = unsigned((nFin < 0 ? nCar : std::size_t(nFin)) - nDebut);
    return true;
}

bool CKLDSTRBase::bExtraitChaineUNICODE(unsigned nNumero, const wchar_t* pwSep, unsigned nSep,
                                        CKLDSTRBase* pcl) const
{
    unsigned nDebut = 0, nNbCar = 0;
    if (pcl == nullptr || !bExtraitChainePosUNICODE(nNumero, pwSep, nSep, &nDebut, &nNbCar))
        return false;
    if (nNbCar == 0) {
        pcl->Vide();
        return true;
    }
    return pcl->nMilieuUNICODE(*this, nDebut, nNbCar) == eSTRMEM_OK;
}

int CKLDSTRBase::nConcatSeparateur(const char* pSep, unsigned nSep, const char* p, unsigned nLong)
{
    if (bEstVide() || pSep == nullptr || nSep == 0)
        return nConcat(p, nLong);
    // Room for both first, so that a failure leaves the value as it was.
    if (std::uint64_t(nGetLength()) + nSep + (p != nullptr ? nLong : 0) > STRMEM_TAILLE_MAX)
        return eSTRMEM_TROPGRAND;
    CKLDSTRBase clSuite;
    int nRes = clSuite._nNew(nSep + (p != nullptr ? nLong : 0), pSep, nSep);
    if (nRes == eSTRMEM_OK)
        nRes = clSuite.nConcat(p, nLong);
    if (nRes == eSTRMEM_OK)
        nRes = nConcat(clSuite.m_p, clSuite.nGetLength());
    return nRes;
}

int CKLDSTRBase::nConcatInit(const char* p, unsigned nLong)
{
    if (m_p == nullptr)
        return nAssignInit(p, nLong);
    return nConcat(p, nLong);
}

int CKLDSTRBase::nAssignMultiple(const char* const* apsz, unsigned nNb)
{
    CKLDSTRBase clNeuf;
    const int nRes = clNeuf.nConcatMultiple(apsz, nNb);
    if (nRes == eSTRMEM_OK)
        Take(clNeuf);
    return nRes;
}

int CKLDSTRBase::nConcatMultiple(const char* const* apsz, unsigned nNb)
{
    if (apsz == nullptr || nNb == 0)
        return eSTRMEM_OK;
    std::uint64_t nTotal = nGetLength();
    for (unsigned i = 0; i < nNb; ++i)
        if (apsz[i] != nullptr)
            nTotal += std::strlen(apsz[i]);
    if (nTotal > STRMEM_TAILLE_MAX)
        return eSTRMEM_TROPGRAND;
    if (nTotal == 0)
        return eSTRMEM_OK;
    // The texts may lie in this value: the result is built in a block of its own.
    CKLDSTRBase clNeuf;
    int nRes = clNeuf._nNew(unsigned(nTotal), pszGet(), nGetLength());
    for (unsigned i = 0; i < nNb && nRes == eSTRMEM_OK; ++i)
        nRes = clNeuf.nConcat(apsz[i]);
    if (nRes == eSTRMEM_OK)
        Take(clNeuf);
    return nRes;
}

int CKLDSTRBase::nAssignUNICODE_UTF16(const unsigned short* pw, int nNb)
{
    if (pw != nullptr && nNb < 0)
        for (nNb = 0; pw[nNb] != 0; ++nNb) {
        }
    if (pw == nullptr || nNb == 0) {
        Vide();
        return eSTRMEM_OK;
    }
    if (std::uint64_t(unsigned(nNb)) * sizeof(wchar_t) > STRMEM_TAILLE_MAX)
        return eSTRMEM_TROPGRAND;
    char* p = nullptr;
    const int nRes = _s_nNouveau(&p, unsigned(nNb) * unsigned(sizeof(wchar_t)), nullptr, 0, eSTRMEM_UNICODE, true);
    if (nRes != eSTRMEM_OK)
        return nRes;
    wchar_t* pDst = reinterpret_cast<wchar_t*>(p);
    std::size_t nCar = 0;
    for (int i = 0; i < nNb; ++i) {
        const unsigned u = pw[i];
        if (u >= 0xD800 && u < 0xDC00 && i + 1 < nNb && pw[i + 1] >= 0xDC00 && pw[i + 1] < 0xE000) {
            pDst[nCar++] = wchar_t(0x10000 + ((u - 0xD800) << 10) + (pw[i + 1] - 0xDC00u));
            ++i;
        } else {
            pDst[nCar++] = wchar_t(u);
        }
    }
    _stSTRMEMBLOC* pBloc = STRMEM_pBloc(p);
    pBloc->nLongueur = unsigned(nCar * sizeof(wchar_t));
    STRMEM_MotZero(pBloc, pBloc->nLongueur);
    char* pAncien = m_p;
    m_p = p;
    s_ReleaseStrMem(pAncien);
    return eSTRMEM_OK;
}

int CKLDSTRBase::nAffecteToUNICODE_CurrentCharset(const char* pSrc, int nLong)
{
    return nAffecteToUNICODE(pSrc, nLong, dwGetCodePageFromCharset(STR_nGetCurrentChangeCharset()), 0, 0);
}

int CKLDSTRBase::nRecupereInit(char* pData)
{
    _s_Recupere(&m_p, pData);
    return eSTRMEM_OK;
}
