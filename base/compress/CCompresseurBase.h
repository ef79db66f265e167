// CCompresseurBase: the compressed block format, its header and the stored method, shared by every compression method.
#pragma once

#include <pthread.h>

#include <cstddef>
#include <cstdint>

// Headers of a block, little-endian, as stored in files. The first byte names the method.
#pragma pack(push, 1)
// Method 0: the payload is the input unchanged.
struct _stENTETECOPIE {
    uint8_t byMethode;       // 0
    uint32_t dwLongueur;     // payload length = input length
};
// Methods 2 and 4.
struct _stENTETECOMPRESSION {
    uint8_t byMethode;              // 2 or 4
    uint32_t dwLongueurDonnees;     // payload length (block length - 11)
    uint32_t dwLongueurDecompressee;
    uint16_t wReserve;              // written as 0
};
#pragma pack(pop)

static_assert(sizeof(_stENTETECOPIE) == 5, "stored block header: 5 bytes");
static_assert(offsetof(_stENTETECOPIE, dwLongueur) == 1, "stored block header layout");
static_assert(sizeof(_stENTETECOMPRESSION) == 11, "compressed block header: 11 bytes");
static_assert(offsetof(_stENTETECOMPRESSION, dwLongueurDonnees) == 1, "compressed block header layout");
static_assert(offsetof(_stENTETECOMPRESSION, dwLongueurDecompressee) == 5, "compressed block header layout");
static_assert(offsetof(_stENTETECOMPRESSION, wReserve) == 9, "compressed block header layout");

// The abstract compressor. One operation at a time per object: the public dwCompression and
// dwDecompression hold the object's recursive mutex for their whole run, and the working
// fields below are only meaningful under it.
//
// Lengths are unsigned 32-bit counts of bytes. Results: the block length for compression,
// the decompressed length for decompression, 0 for a failure.
class CCompresseurBase {
public:
    // Method byte, the first byte of every block.
    enum eCOMPRESSEURTYPE : uint8_t {
        eCOMPRESSEUR_COPIE = 0,      // stored
        eCOMPRESSEUR_INCONNU = 2,    // sizes readable, never decompressed here
        eCOMPRESSEUR_ZLW = 4,        // dictionary compression
    };
    static constexpr uint32_t dwTAILLE_ENTETE_COPIE = sizeof(_stENTETECOPIE);
    static constexpr uint32_t dwTAILLE_ENTETE_COMPRESSION = sizeof(_stENTETECOMPRESSION);
    // Returned by the size readers for a block of an unknown method (or too short to hold
    // its header).
    static constexpr uint32_t dwTAILLE_INCONNUE = 0xFFFFFFFFu;
    // Longest input that one block can carry: its stored form and the working margin of the
    // dictionary method must stay countable in 32 bits.
    static constexpr uint32_t dwENTREE_MAX = 0xFFFFFFFFu - 7;

    CCompresseurBase();
    CCompresseurBase(const CCompresseurBase&) = delete;
    CCompresseurBase& operator=(const CCompresseurBase&) = delete;

    // Virtual order is part of the object's contract: destructor, deleting destructor,
    // dwTailleEntree, dwTailleDecompression, dwTailleBufferCompression, _dwCompression,
    // _dwDecompression, _EcritEntete.
    virtual ~CCompresseurBase();

    // Total length of a block from its header: payload + 11 for methods 2 and 4, payload + 5
    // for method 0, dwTAILLE_INCONNUE for another method or a length that does not fit in 32
    // bits. The block must hold its header (11 bytes suffice for every method).
    virtual uint32_t dwTailleEntree(const void* pBloc) const;
    // Decompressed length from the header. dwLongueur is the number of readable bytes at
    // pBloc: a block shorter than its header gives dwTAILLE_INCONNUE, as does an unknown
    // method.
    virtual uint32_t dwTailleDecompression(const void* pBloc, uint32_t dwLongueur) const;
    // Output capacity that compressing n bytes needs: n + 7 (saturated at 0xFFFFFFFF).
    virtual uint32_t dwTailleBufferCompression(uint32_t n) const;

    // Compresses dwEntree bytes into a block at pSortie, whose capacity dwSortie must be at
    // least dwTailleBufferCompression(dwEntree) (n + 5 is enough below 20 bytes, which are
    // always stored). Returns the block length, or 0 (nothing written) when the capacity is
    // short, an argument is missing or the input is longer than dwENTREE_MAX.
    uint32_t dwCompression(const void* pEntree, uint32_t dwEntree, void* pSortie, uint32_t dwSortie);
    // Writes a stored block (method 0) under the same rules.
    uint32_t dwCompressionCopie(const void* pEntree, uint32_t dwEntree, void* pSortie, uint32_t dwSortie);
    // Decompresses the block of dwEntree readable bytes at pEntree into pSortie (capacity
    // dwSortie). Returns the decompressed length; 0 for a block that is corrupt, of another
    // method, longer than the input or than the capacity. Never writes past dwSortie.
    uint32_t dwDecompression(const void* pEntree, uint32_t dwEntree, void* pSortie, uint32_t dwSortie);

protected:
    // Method classes: compress or decompress the working fields' input into their output.
    virtual uint32_t _dwCompression() = 0;
    virtual uint32_t _dwDecompression() = 0;
    // Writes the header of the given method at the start of the output: for 2 and 4 the
    // payload length, the input length and the reserved zero; for 0 the input length; for
    // another method the method byte only.
    virtual void _EcritEntete(uint8_t byMethode, uint32_t dwLongueurDonnees);

    // Stored block of the input: returns input length + 5.
    uint32_t _dwCompresseCopie();
    // Copies the payload of a stored input block to the output; 0 (nothing written) when
    // the block is shorter than its header says or its length exceeds the capacity.
    uint32_t _dwDecompresseCopie();

    // Capacity that a compression of dwEntree bytes must be given.
    static uint32_t _dwCapaciteRequise(uint32_t dwEntree);

    // Working fields of the running operation.
    const uint8_t* m_pbyEntree;
    uint32_t m_dwEntree;
    uint8_t* m_pbySortie;
    uint32_t m_dwSortie;

private:
    // Runs one operation under the lock, with the working fields set for its duration.
    uint32_t _dwOpere(const void* pEntree, uint32_t dwEntree, void* pSortie, uint32_t dwSortie,
                      uint32_t (CCompresseurBase::*pfnOperation)());

    pthread_mutex_t m_stVerrou;  // recursive
};
