// CAtelierBlocs: blocks handed in one after another, worked on by a pool of threads, handed
// back in the order they came.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tools/zvzlw/COctets.h"

// One block on its way: what was read, what the work made of it. The buffers are kept from
// one block to the next, so the memory of the workshop is that of its slots, whatever the
// length of the stream.
struct _stPOSTE {
    COctets abEntree;
    size_t nEntree = 0;        // bytes of abEntree that belong to the block
    COctets abSortie;
    size_t nSortie = 0;        // bytes of abSortie to write out
    uint64_t qwPosition = 0;   // offset of the block in its input
    uint32_t dwAttendu = 0;    // for the work's use (the expanded length of a block)
    std::string strErreur;     // set when the block went wrong: the reason, ready to show
};

// One thread reads, one writes; the workers only run the work on a block. The reader takes a
// free slot (pstLibre), fills it and hands it in (Confie), and says when the input has ended
// (Ferme); the writer takes the oldest slot handed in once its work is done (pstTermine),
// writes it out and gives it back (Rend). At most nPostes blocks are in hand at once: the
// reader waits for the writer when none is free. Abandonne stops both sides (the writer
// failed): pstLibre and pstTermine then give null.
//
// The work runs on any worker and may touch nothing but its slot. Whatever the number of
// workers, the blocks come back in the order they were handed in, so the output does not
// depend on it.
class CAtelierBlocs {
public:
    typedef std::function<void(_stPOSTE&)> FNTRAVAIL;

    // Starts up to nOuvriers workers (at least one is asked for); when no thread can be
    // started, the work runs on the caller's thread as each block is handed in.
    CAtelierBlocs(unsigned nOuvriers, unsigned nPostes, FNTRAVAIL fnTravail);
    // Stops the workers: they finish the block in hand and take no other.
    ~CAtelierBlocs();
    CAtelierBlocs(const CAtelierBlocs&) = delete;
    CAtelierBlocs& operator=(const CAtelierBlocs&) = delete;

    unsigned nOuvriers() const { return unsigned(m_tabOuvriers.size()); }

    // The next slot to fill, emptied of its last block's results. When every slot holds a block
    // not yet given back: waits for one when bAttend, otherwise null. Null once abandoned.
    _stPOSTE* pstLibre(bool bAttend);
    // Hands in the slot of pstLibre: its work runs when bTravail, otherwise it comes back as
    // it is (a block whose fault is already known, to be reported in its turn).
    void Confie(_stPOSTE* pst, bool bTravail = true);
    // The oldest block handed in and not given back, once its work is done. When it is not done,
    // or none is in hand while the input goes on: waits when bAttend, otherwise null. Null once
    // every block is given back after Ferme, or once abandoned.
    _stPOSTE* pstTermine(bool bAttend);
    // Gives back the slot of pstTermine.
    void Rend(_stPOSTE* pst);
    // No block will be handed in any more.
    void Ferme();
    // Stops the exchange: the threads waiting in pstLibre or pstTermine get null.
    void Abandonne();

private:
    struct _stPLACE {
        _stPOSTE stPoste;
        bool bTravail = false;
        bool bFait = false;
    };
    _stPLACE& _Place(uint64_t qwNumero) { return *m_tabPlaces[size_t(qwNumero % m_tabPlaces.size())]; }
    void _Ouvrier();

    FNTRAVAIL m_fnTravail;
    std::vector<std::unique_ptr<_stPLACE>> m_tabPlaces;
    std::vector<std::thread> m_tabOuvriers;
    std::mutex m_mtx;
    std::condition_variable m_cvTravail;  // a block to work on, or the end
    std::condition_variable m_cvFait;     // a block is done or handed in, the input closed, or abandon
    std::condition_variable m_cvLibre;    // a slot is given back, or abandon
    // Blocks are numbered in the order they are handed in: those below m_qwRendus are given
    // back, those below m_qwPris are taken by a worker, those below m_qwConfies are handed in.
    uint64_t m_qwRendus = 0;
    uint64_t m_qwPris = 0;
    uint64_t m_qwConfies = 0;
    bool m_bArret = false;
    bool m_bFerme = false;
    bool m_bAbandon = false;
};
