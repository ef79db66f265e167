// CHashBase: abstract hash table of (key, value) words in bucket lists that grow and shrink through primes.
#pragma once

#include "base/containers/CListeDeBuffer.h"

#include <cstdint>

// Keys and values are machine words (32 bits in the i386 build, 64 in the x86-64 one):
// integers or pointers that the table stores and hands back but never owns. A derived
// class supplies the hash of a key and the equality of a stored key with a searched one.
//
// Invariants:
// - An element lives in bucket dwHashCle(key) % bucket count.
// - The bucket array holds m_nNbBuckets lists, or is null exactly when m_nNbBuckets is 0.
// - m_nNbElements is the number of elements over all buckets.
//
// Equal keys are not merged: inserting a key twice stores two elements, and a search finds
// whichever comes first in the bucket.
class CHashBase {
public:
    // One element as stored in a bucket list.
    struct _stELEMENTHASH {
        std::uintptr_t nCle;
        std::uintptr_t nValeur;
    };
    static_assert(sizeof(_stELEMENTHASH) == 2 * sizeof(void*), "an element is two words");

    // nNbBuckets empty buckets (none for 0 or less); grow level 3, shrink level 1. When the
    // array cannot be allocated the table starts with 0 buckets.
    explicit CHashBase(int nNbBuckets);
    virtual ~CHashBase();
    CHashBase(const CHashBase&) = delete;
    CHashBase& operator=(const CHashBase&) = delete;

    // Hash value of a key.
    virtual unsigned dwHashCle(std::uintptr_t nCle) const = 0;
    // Whether the stored key nCleStockee matches the searched key nCle.
    virtual bool bCleEgale(std::uintptr_t nCleStockee, std::uintptr_t nCle) const = 0;

    // The table grows before an insertion when elements >= buckets x grow level, and
    // shrinks after a bSupprimeDYN when elements < buckets x shrink level.
    void SetNiveau(int nNiveauAgrandir, int nNiveauReduire);

    // Grows when due, then inserts (key, value) in its bucket before the bucket's current
    // position. Returns false, table unchanged, when the element's memory cannot be had.
    bool AjouteDYN(std::uintptr_t nCle, std::uintptr_t nValeur);

    // First element of the key's bucket whose stored key matches nCle: true and, for the
    // pointers given, its value and stored key; the bucket's current position is left on
    // it. False (outputs untouched) when absent or when the table has no bucket.
    bool bRecherche(std::uintptr_t nCle, std::uintptr_t* pnValeur = nullptr,
                    std::uintptr_t* pnCleStockee = nullptr);
    // The same search without touching the table.
    bool bRechercheConst(std::uintptr_t nCle, std::uintptr_t* pnValeur = nullptr,
                         std::uintptr_t* pnCleStockee = nullptr) const;

    // Removes the element bRecherche finds; false when there is none.
    bool bSupprime(std::uintptr_t nCle);
    // bSupprime, then shrinks when due.
    bool bSupprimeDYN(std::uintptr_t nCle);

    // Takes one element out: the first element of the first non-empty bucket from
    // *pnBucket on (*pnBucket is updated to it; null starts at 0). Returns true with its
    // value and, when pnCle is given, its key; false with *pnValeur set to 0 when every
    // bucket from there on is empty. Repeated calls drain the table bucket by bucket.
    bool SupprimeCourant(int* pnBucket, std::uintptr_t* pnValeur, std::uintptr_t* pnCle = nullptr);
    // Removes every element.
    void SupprimeTout();

    // Moves every element into nNbBuckets new buckets. Nothing when nNbBuckets < 1 or equal
    // to the current count. False, table unchanged, when the memory cannot be obtained.
    bool RedimensionneTable(int nNbBuckets);

    int nGetNbBuckets() const { return m_nNbBuckets; }
    int nGetNbElements() const { return m_nNbElements; }
    int nGetNiveauAgrandir() const { return m_nNiveauAgrandir; }
    int nGetNiveauReduire() const { return m_nNiveauReduire; }

    // Fewest buckets the shrink rule leaves.
    static constexpr int ms_nMinBucketsReduire = 43;

private:
    int m_nNiveauAgrandir;
    int m_nNiveauReduire;
    int m_nNbBuckets;
    CListeDeBuffer* m_pBuckets;   // m_nNbBuckets lists of _stELEMENTHASH; owned
    int m_nNbElements;

    // nNb empty lists, or null when they cannot be allocated.
    static CListeDeBuffer* __pCreeBuckets(int nNb);
    static void __DetruitBuckets(CListeDeBuffer* pBuckets, int nNb);
    CListeDeBuffer& __clBucket(std::uintptr_t nCle) const;
};

// Sum of the text's bytes taken as signed 8-bit values (0 for null or empty text).
unsigned dwHashValT(const char* psz);
// The same sum over the upper-case form (C library toupper) of each byte, for keys compared
// without letter case.
unsigned dwHashValTi(const char* psz);
