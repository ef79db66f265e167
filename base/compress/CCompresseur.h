// CCompresseur: the front object through which callers compress and decompress blocks without knowing which compressor serves which method.
#pragma once

#include <cstdint>

#include "base/compress/CZLWCompresseur.h"

// The caller fills the four data fields (input, its length, output, its capacity) and calls
// dwCompression or dwDecompression. Every front object names the process-wide dictionary
// compressor ms_clCompresseurZLW (its size readers hold no state), but the operations run on
// the calling thread's own dictionary compressor, made on the thread's first operation and
// freed when the thread ends: threads compressing at once do not wait for each other, and
// the bytes are those of the shared instance. A front object itself belongs to one thread at
// a time.
class CCompresseur {
public:
    static constexpr uint8_t byMETHODE_AUCUNE = 255;

    // The shared compressor, built during static initialisation, destroyed at process exit.
    // Calling its own dwCompression or dwDecompression serialises the callers on its mutex.
    static CZLWCompresseur ms_clCompresseurZLW;

    // The calling thread's dictionary compressor, which serves the front objects' operations
    // on this thread: made on first use, freed at the thread's exit. Falls back to the shared
    // instance when it cannot be made, or while the thread's own one is being torn down.
    static CZLWCompresseur& s_clCompresseurDuThread();

    explicit CCompresseur(uint8_t byMethode);
    // Releases nothing: the compressor is shared.
    virtual ~CCompresseur();
    CCompresseur(const CCompresseur&) = delete;
    CCompresseur& operator=(const CCompresseur&) = delete;

    // Selects the method that compression writes: 4 (dictionary) for any method but 0;
    // 0 (stored) only while none has been chosen yet, after which choosing 0 changes nothing.
    void ChangeMethodeCompression(uint8_t byMethode);
    uint8_t byGetMethode() const { return m_byMethode; }
    const CCompresseurBase* pclGetCompresseur() const { return m_pclCompresseur; }

    // Compresses the input into the output with the current method: a method-4 block (or a
    // stored one when that is not smaller), or a stored block for method 0. Returns the block
    // length; 0 when the capacity is below the compressor's dwTailleBufferCompression.
    uint32_t dwCompression();
    // Decompresses the input block with the method named by its first byte, the current
    // method being kept. Returns the decompressed length, 0 for a corrupt or unknown block.
    // nType is not used (callers pass -1).
    uint32_t dwDecompression(int nType = -1);

    // Data fields, filled by the caller; the buffers stay the caller's.
    const void* m_pEntree;
    uint32_t m_dwEntree;
    void* m_pSortie;
    uint32_t m_dwSortie;

private:
    CCompresseurBase* m_pclCompresseur;  // not owned
    uint8_t m_byMethode;
};
