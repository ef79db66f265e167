// CKLBINBase: the language's binary buffer values, reference-counted blocks with copy on write.
#pragma once

#include "base/strings/StrMemBloc.h"

class CKLDSTRBase;

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
    // nConcat that gives an empty value a block of exactly the bytes' size.
    int nConcatInit(const void* pSrc, unsigned nLong);
    // Appends the separator (only when the value is not empty), then the bytes; all or nothing.
    int nConcatSeparateur(const void* pSep, unsigned nSep, const void* pSrc, unsigned nLong);
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
    // The same over the bytes mapped to upper case without accents (and, for TresSouple,
    // without punctuation, controls and spaces) as text in Windows-1252. NUL bytes take part
    // like any other.
    static int nCompareSouple(const CKLBINBase& a, const CKLBINBase& b);
    static int nCompareTresSouple(const CKLBINBase& a, const CKLBINBase& b);

    // ---- Conversions (the type stays binary; failures leave the value as it was) --------
    // nLong bytes (-1: up to the NUL) of pSrc in nCodePage -> the 4-byte wide characters, with
    // room for nExtra more characters. eSTRMEM_CONVERSION when the text does not convert.
    int nAffecteToUNICODE(const char* pSrc, int nLong, unsigned nCodePage, unsigned dwFlags, unsigned nExtra);
    // A string value as wide characters: an ANSI one converted from nCodePage, a Unicode one copied.
    int nAffecteToUNICODE(const CKLDSTRBase& cl, unsigned nCodePage);
    // nNbCar wide characters (-1: up to the zero character) -> their text in nCodePage.
    int nAffecteToANSI(const wchar_t* pwSrc, int nNbCar, unsigned nCodePage);
    // A string value as text: a Unicode one converted to nCodePage, an ANSI one copied.
    int nAffecteToANSI(const CKLDSTRBase& cl, unsigned nCodePage);
    // Takes over one reference to the block at pData that the caller held (count unchanged):
    // the value releases its old block and now owns that reference.
    int nRecupereInit(char* pData);

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
