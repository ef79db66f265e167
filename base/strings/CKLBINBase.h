// CKLBINBase: the language's binary buffer values, reference-counted blocks with copy on write.
#pragma once

#include "base/strings/StrMemBloc.h"

// The same block layout and sharing rules as CKLDSTRBase, with type bit eSTRMEM_BINAIRE and no
// zero word after the used length (the bytes may hold anything). Result codes as there.
class CKLBINBase {
public:
    CKLBINBase() : m_p(nullptr) {}
    CKLBINBase(const CKLBINBase& cl);
    CKLBINBase& operator=(const CKLBINBase& cl);
    ~CKLBINBase();

    // A new block for nTaille bytes holding nLong bytes of pSrc; nTaille 0 does nothing.
    int _nNew(unsigned nTaille, const void* pSrc, unsigned nLong);
    // Empty when pSrc is null or nLong is 0, else _nNew(nLong, pSrc, nLong).
    int nAssignInit(const void* pSrc, unsigned nLong);
    int nAssign(const void* pSrc, unsigned nLong);
    int nConcat(const void* pSrc, unsigned nLong);
    // Capacity and length both nTaille (new bytes undefined); 0 empties.
    int nSetSize(unsigned nTaille);
    // Capacity for nTaille bytes, the length kept; the block made private.
    int nSetMemorySize(unsigned nTaille);
    // Sets the used length (at most the capacity); a shared block is made private first.
    int SetUtilSize(unsigned nLong);
    // Keeps the first nLong bytes when shorter (negative: nothing).
    int Tronque(long nLong);
    // Shares the block of cl, then keeps its first nLong bytes (-1: all).
    int _Assign(const CKLBINBase& cl, long nLong);
    void Assign(const CKLBINBase& cl) { _Assign(cl, -1); }
    void Take(const CKLBINBase& cl) { _Assign(cl, -1); }
    void Vide();

    // This value becomes nNb bytes of cl from nDebut (cut at its end).
    int nMilieu(const CKLBINBase& cl, unsigned nDebut, unsigned nNb);
    CKLBINBase clMilieu(unsigned nDebut, unsigned nNb) const;
    // Offset of the first occurrence of nLong bytes at or after nDebut; -1 if none.
    long nPos(const void* p, unsigned nLong, unsigned nDebut = 0) const;
    bool bCommencePar(const void* p, unsigned nLong) const;
    // Byte-wise over the shorter size, then the shorter first: -1, 0 or 1.
    static int nCompare(const CKLBINBase& a, const CKLBINBase& b);

    const void* pGetData() const { return m_p; }
    unsigned nGetSize() const { return m_p != nullptr ? STRMEM_pBloc(m_p)->nLongueur : 0; }
    unsigned nGetCapacite() const { return m_p != nullptr ? STRMEM_pBloc(m_p)->nCapacite : 0; }
    int nGetRef() const { return m_p != nullptr ? STRMEM_nGetRef(STRMEM_pBloc(m_p)) : 0; }
    unsigned dwGetFlags() const { return m_p != nullptr ? STRMEM_pBloc(m_p)->dwFlags : 0; }

private:
    char* m_p;

    int __nPrepareModification(unsigned nTaille);
};

static_assert(sizeof(CKLBINBase) == sizeof(void*), "a value is one pointer");
