// CStrMemAlloc: allocator of the language's value blocks, with free lists and per-thread recyclers.
#pragma once

#include "base/strings/CStrMemCache.h"

#include <atomic>

// Blocks come from malloc with the header of StrMemBloc.h. The two common capacities (104 and
// 1,000 bytes) are recycled: in the allocator's own lists while the runtime runs one thread,
// in the calling thread's recycler while it runs several; nothing is recycled before the
// runtime has given the address of its multithreading flag.
//
// Lifetime: an allocator that is retired (s_Retire: replaced through GeneralParam, or at
// CKLDSTRBase::Term) empties its lists at once but lives on until the last block it made has
// been freed, since every block releases through its own allocator. Blocks kept by other
// recyclers keep it alive the same way.
//
// Virtual slots 5-9 follow CStrMemCache's 0-4; the order is shared with the runtime.
class CStrMemAlloc : public CStrMemCache {
public:
    explicit CStrMemAlloc(const char* pszModule = "ZVExe");
    ~CStrMemAlloc() override;

    // Interface version: 1.
    virtual int vnGetVersion();
    // A new block of at least n bytes (length 0, count 1, type bits clear); *ppData gets
    // its data area. 108 when n > STRMEM_TAILLE_MAX or ppData is null, 100 when the memory
    // cannot be obtained; *ppData is then unchanged.
    virtual int vnAllocStrMem(char** ppData, unsigned n);
    // Grows the private block at *ppData (made by this allocator) to hold n bytes by the
    // growth rule, keeping its used bytes, flags and length; nothing when it holds n already.
    // 108 / 100 as above, the block then unchanged.
    virtual int vnReallocStrMem(char** ppData, unsigned n);
    // Takes back the block at pData whose count has fallen to 0: into a recycler when one
    // keeps it, otherwise freed.
    virtual void vReleaseStrMem(char* pData);
    // Frees a block of this allocator.
    virtual void vFreeCacheStrMem(_stSTRMEMBLOC* pBloc);

    const char* pszGetModule() const { return m_pszModule; }

    // Capacity of a new block for n bytes: 104 up to 104, 1,000 up to 1,000, else 2 x n.
    static unsigned s_nCapacite(unsigned n);
    // Capacity of a block of capacity c grown to n bytes (n > c).
    static unsigned s_nCapaciteAgrandie(unsigned c, unsigned n);

    // Retires an allocator of this module: its lists are emptied and it is destroyed once no
    // block of it remains. The pointer must not be used afterwards.
    static void s_Retire(CStrMemAlloc* pcl);

    // A key of per-thread recyclers owned by this module (for use without the runtime): each
    // thread's recycler is made at its first use and destroyed, with the blocks it keeps, at
    // the thread's exit. Makes the key current (as GeneralParam 2005 does).
    static bool s_bCreeCleRecycleurs();
    // Makes dwCle, a key whose recyclers the runtime makes and destroys, current.
    static void s_SetCleRecycleurs(unsigned dwCle);
    // Destroys the calling thread's recycler under the module's own key now (the main thread
    // has no exit hook).
    static void s_LibereRecycleurThread();

    static CStrMemAlloc* ms_pclAllocateur;   // current allocator of new values
    static bool ms_bAllocateurExterne;      // it came from the runtime: never destroyed here

protected:
    // The recycler for this thread now: the runtime's flag unknown: none; clear: this
    // allocator (none once retired); set: the thread's recycler under the key, if any.
    CStrMemCache* __pclRecycleur();

private:
    const char* m_pszModule;
    // Blocks made and not yet freed, plus 1 while the allocator is in service.
    std::atomic<long> m_nVie;
    std::atomic<bool> m_bRetire;

    void __LacheVie();
};

// Threads. ms_pclAllocateur, ms_bAllocateurExterne and the three globals below are written at
// initialisation and end (GeneralParam, CKLDSTRBase::Init and Term, s_bCreeCleRecycleurs) while
// the process runs one thread, and only read in between. The runtime sets its flag before it
// starts a second thread and clears it after the others have ended, so the allocator's own
// lists (unlocked) only ever serve one thread, and every other thread recycles into its own
// recycler. Lifetimes (m_nVie, m_bRetire) are atomic: a block may be freed on any thread.

// Address of the runtime's flag telling that several threads run (null: not given).
extern int* gpbMTEnCours;
// Thread-specific key of the per-thread recyclers, valid when gbTLSOk.
extern unsigned gdwIndexRecycleur;
extern bool gbTLSOk;
