// CTableauDeBuffer: growable array of fixed-size elements with a growth step.
#pragma once

#include <cstddef>

// A block of elements for PermuteMultiple.
struct _STBlocATrier {
    int nPremier;  // index of the block's first element
    int nNombre;   // elements in the block
};

// Elements are copied in and out byte for byte and never constructed nor destroyed.
// Indexes are the caller's obligation; an index out of range is nevertheless refused
// (the operation does nothing and reports failure where it has a result) rather than
// read or written.
//
// Memory: every growth that cannot be obtained (allocator failure, or a byte size that
// does not fit in size_t) leaves the array unchanged and reports false (0 for Agrandir).
//
// The object is embedded in layouts shared with the runtime: the virtual table pointer,
// then the five 32-bit fields, then the data pointer, packed (28 bytes in i386, 36 in
// x86-64). The virtual slots are, in order: Agrandir, destructor, deleting destructor,
// Initialise, Compacter. Do not reorder members.
#pragma pack(push, 1)
class CTableauDeBuffer {
public:
    // Criterion of the linear searches: 0 when the element matches the key.
    typedef int (*PFNCRITERE)(const void* pCle, const void* pElement);

    // Allocates nothing. A step below 1 is taken as 1; a negative size or threshold as 0.
    CTableauDeBuffer(int nTailleElement, int nPas, int nSeuilCompactage);
    // The array owns its data: no copies (Recupere and EchangeTableau move it).
    CTableauDeBuffer(const CTableauDeBuffer&) = delete;
    CTableauDeBuffer& operator=(const CTableauDeBuffer&) = delete;

    // Capacity += growth step, reallocating the data. Returns the step; 0 when the
    // memory cannot be obtained (nothing changes).
    virtual int Agrandir();
    virtual ~CTableauDeBuffer();
    // Exactly n copies of the element at pElement (which may lie in this array): count
    // and capacity n. n = 0 frees the data. False, unchanged, on failure or n < 0.
    virtual bool Initialise(const void* pElement, int n);
    // Reallocates to exactly the count (frees the data at 0); capacity = count. When the
    // allocator cannot shrink the block, the array is left as it was.
    virtual void Compacter();

    // Grows the capacity to exactly n when it is below n.
    bool AlloueMemoire(int n);
    // Makes room for n more elements, growing by whole growth steps.
    bool AgranditMemoire(int n);

    // The element pointer given to the adding operations may point into this array.
    bool Ajoute(const void* pElement);
    bool Insere(const void* pElement, int i);          // 0 <= i <= count
    bool SetAt(const void* pElement, int i);           // 0 <= i < count
    // Writes element i, first appending filler elements (zero bytes for a null filler)
    // from the count up to i - 1; beyond the capacity the array grows to i + step.
    bool Etend(int i, const void* pElement, const void* pRemplissage);

    void Supprime(int i, int n);
    // Drops the last n elements (all of them when n exceeds the count).
    void SupprimeDernier(int n);
    // Removes element i, then compacts when more than the threshold is free.
    void SupprimeCompacte(int i);
    void SupprimeToutEtLibere();

    // Moves element nDe to nVers, shifting the elements between by one place.
    void Deplace(int nDe, int nVers);
    void Swap(int i, int j);

    // For arrays of pointers (element size sizeof(void*)): the first element e with
    // pfnCritere(pCle, e) == 0, or null; its index, or -1. Other arrays find nothing.
    void* pRechercheLineaireCriterePointeur(const void* pCle, PFNCRITERE pfnCritere) const;
    int nRechercheLineaireCriterePointeur(const void* pCle, PFNCRITERE pfnCritere) const;

    // Rebuilds the array as elements 0 .. nPremiers - 1, then each block's elements in
    // block order; the positions past the copied total keep their elements. Returns
    // false, unchanged, when a block lies outside the array, when the copied total
    // exceeds the count, or when the memory cannot be obtained.
    bool PermuteMultiple(int nPremiers, const _STBlocATrier* pstBlocs, int nBlocs);

    // Frees the own data and takes clAutre's data, count and capacity; clAutre is left
    // empty. Refused (false) when the element sizes differ.
    bool _RecupereDonnees(CTableauDeBuffer& clAutre);
    // The same, taking every field (element size, step and threshold included).
    void Recupere(CTableauDeBuffer& clAutre);
    // Exchanges every field of two arrays.
    static void EchangeTableau(CTableauDeBuffer& clA, CTableauDeBuffer& clB);

    // Element i; null when i is not below the count.
    void* pGetElem(int i) const;
    void* pGetData() const { return m_pData; }
    int nGetTailleElement() const { return m_nTailleElement; }
    int nGetNombre() const { return m_nNombre; }
    int nGetCapacite() const { return m_nCapacite; }
    int nGetPas() const { return m_nPas; }
    int nGetSeuilCompactage() const { return m_nSeuilCompactage; }

protected:
    int m_nTailleElement;    // bytes
    int m_nNombre;           // elements in use
    int m_nCapacite;         // elements allocated
    int m_nPas;              // growth step, elements
    int m_nSeuilCompactage;  // free elements tolerated after SupprimeCompacte
    unsigned char* m_pData;  // owned; capacity × element size bytes

private:
    // Reallocates to nCapacite elements; false (unchanged) when it cannot.
    bool __bRealloue(int nCapacite);
    // Grows the capacity by nDelta through Agrandir (which may be overridden).
    bool __bAgranditDe(int nDelta);
    // The offset of p in the data when p points into it, else -1.
    std::ptrdiff_t __nDecalageDans(const void* p) const;

    friend struct CTableauDeBufferLayout;
};
#pragma pack(pop)
