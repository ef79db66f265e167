// CZLWCompresseur: the dictionary compression method (method 4) of the block format.
#pragma once

#include <cstdint>

#include "base/compress/CCompresseurBase.h"

// A dictionary coder of the LZW family. Codes are 9 to 16 bits wide, packed least
// significant bit first after the 11-byte header:
//   0          reset: both sides return to the 256 single bytes and 9-bit codes
//   1 to 256   the single byte code - 1
//   257        end of data
//   258 and up strings added while coding (up to 65535)
// The encoder adds the string (match, next byte) after every code it emits; the decoder adds
// each entry one code later and so widens its codes one code earlier (after assigning 511
// where the encoder widens after 512). The encoder finds entries through a hash table of
// 131072 slots, one code each, probed in a fixed sequence; an entry is stored only in the first 11
// slots of its sequence, and when all 11 are taken the encoder emits a reset instead. Once
// the dictionary is full it keeps it while the overall saving holds up, and resets it when
// the saving falls below the best reached since it filled.
//
// Both sides must stay in step code for code with any other implementation of the format;
// the tests pin the exact bytes of known inputs.
//
// Work memory (the encoder's 512 KB hash table, the decoder's 512 KB string table) is taken by
// the operation that needs it and released at the end of every method-4 encoding and
// decoding. When it cannot be obtained, compression falls back to a stored block and
// decompression returns 0.
class CZLWCompresseur : public CCompresseurBase {
public:
    static constexpr uint32_t dwCODE_RAZ = 0;
    static constexpr uint32_t dwCODE_FIN = 257;
    static constexpr uint32_t dwPREMIER_CODE = 258;
    static constexpr uint32_t dwDICO_PLEIN = 65536;   // next code once every code is assigned
    static constexpr uint32_t dwBITS_MIN = 9;
    static constexpr uint32_t dwBITS_MAX = 16;
    static constexpr uint32_t dwSEUIL_INITIAL = 512;
    static constexpr uint32_t dwNB_CASES_HASH = 131072;
    static constexpr unsigned nSONDES_INSERTION = 11; // slots an insertion may try
    static constexpr uint32_t dwTAILLE_MIN_COMPRESSEE = 20; // shorter inputs are stored

    // Probe sequence shared by lookup and insertion: the first slot of (prefix, byte), then
    // the slot after probe number k (from 0) that landed on slot h.
    static uint32_t s_dwPremiereCase(uint32_t dwPrefixe, uint32_t byOctet)
    {
        return (byOctet * 512 + dwPrefixe * 2 + 1) & 0x1FFFF;
    }
    static uint32_t s_dwCaseSuivante(uint32_t k, uint32_t h) { return ((k + h + 1019) & 0xFFFF) * 2; }

    CZLWCompresseur();
    ~CZLWCompresseur() override;

protected:
    uint32_t _dwCompression() override;
    uint32_t _dwDecompression() override;

private:
    // Decoder: where a code's string already lies (in the output, or in the table of the 256
    // single bytes for codes 1 to 256), and its length.
    struct _stCHAINE {
        uint32_t dwPosition;
        uint32_t dwLongueur;
    };

    bool _bInit(bool bAvecHash);
    bool _bReInit(bool bAvecHash);
    bool _bRAZDico(bool bAvecHash);
    // Whether a full dictionary should be reset, given the input consumed and the payload
    // bytes emitted so far; updates the best saving.
    bool _bVerifieDicoPlein(uint32_t dwLus, uint32_t dwEcrits);
    uint32_t _dwDecompressionZLW();
    void _Term();

    uint32_t m_dwBits;           // code width, 9 to 16
    uint32_t m_dwSeuil;          // width threshold: 512, doubled at every width step
    uint8_t* m_pbyHash;          // dwNB_CASES_HASH slots of entries, code 0 = empty; encoder
                                 // only (laid out as the .cpp describes)
    uint32_t m_dwCodeSuivant;    // next code to assign; dwDICO_PLEIN when full
    double m_dOctetsLus;         // encoder statistics, kept since the start of the operation
    double m_dOctetsEcrits;      // payload bytes flushed, the last partial byte excluded
    double m_dMeilleurGain;      // best saving since the last reset, in percent
    uint32_t m_dwAccumulateur;   // bits not yet flushed, as left by the last operation
    uint16_t m_wNbBits;
    uint32_t m_dwPosFlux;        // next output byte (encoding) or input byte (decoding)
    uint32_t m_dwPosSortie;      // decoder output position
    _stCHAINE* m_pstChaines;     // decoder, one per code (65536)
    bool m_bCodeur;              // the tables in place are the encoder's
};
