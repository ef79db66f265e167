// CZLWCompresseur: the dictionary compression method (method 4) of the block format.
#include "base/compress/CZLWCompresseur.h"

#include <cstdlib>
#include <cstring>

#include "base/containers/XMalloc.h"

// The bit writer and reader move whole little-endian words between the accumulator and the
// stream; the least significant bit first order of the format is then the machine's order.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "the block coder assumes a little-endian machine");

namespace {

constexpr uint32_t dwCASE_AUCUNE = 0xFFFFFFFFu;

// The hash table in two parts, each slot holding the whole entry so that a probe is one read.
// An odd slot is only ever the first slot of a sequence, and the keys whose sequence starts
// there differ by their byte alone (slot / 2 = (byte × 256 + prefix) mod 65536), so an odd slot
// keeps its code and its entry's byte: 3 bytes. An even slot may be reached from any first
// slot, so it keeps the code, the prefix and the byte: 5 bytes. Code 0 marks an empty slot.
// Behind each part lie spare bytes for the 4- and 8-byte reads of its last slot.
constexpr size_t nTAILLE_IMPAIRE = 3;
constexpr size_t nTAILLE_PAIRE = 5;
constexpr size_t nDEBUT_PAIRES = (65536 * nTAILLE_IMPAIRE + 1 + 7) & ~size_t(7);
constexpr size_t nTAILLE_HASH = nDEBUT_PAIRES + 65536 * nTAILLE_PAIRE + 3;
constexpr uint32_t dwTAILLE_ENTETE = CCompresseurBase::dwTAILLE_ENTETE_COMPRESSION;

uint32_t __dwLit32(const uint8_t* p)
{
    uint32_t dw;
    std::memcpy(&dw, p, 4);
    return dw;
}

// The 256 single bytes, where the strings of codes 1 to 256 lie for the decoder, followed by
// room for its 16-byte reads.
struct _stOCTETS {
    uint8_t aby[256 + 16];
    constexpr _stOCTETS() : aby()
    {
        for (unsigned i = 0; i < 256; ++i)
            aby[i] = uint8_t(i);
    }
};
constexpr _stOCTETS gstOctets;

}  // namespace

CZLWCompresseur::CZLWCompresseur()
    : m_dwBits(dwBITS_MIN),
      m_dwSeuil(dwSEUIL_INITIAL),
      m_pbyHash(nullptr),
      m_dwCodeSuivant(dwPREMIER_CODE),
      m_dOctetsLus(0),
      m_dOctetsEcrits(0),
      m_dMeilleurGain(0),
      m_dwAccumulateur(0),
      m_wNbBits(0),
      m_dwPosFlux(0),
      m_dwPosSortie(0),
      m_pstChaines(nullptr),
      m_bCodeur(false)
{
}

CZLWCompresseur::~CZLWCompresseur()
{
    _Term();
}

void CZLWCompresseur::_Term()
{
    XMALLOC_Del_(m_pbyHash);
    m_pbyHash = nullptr;
    XMALLOC_Del_(m_pstChaines);
    m_pstChaines = nullptr;
}

bool CZLWCompresseur::_bInit(bool bAvecHash)
{
    // Memory left by an operation of the other kind (an encoding that fell back to a stored
    // block keeps its tables) is of no use to this one.
    if (m_bCodeur != bAvecHash)
        _Term();
    m_bCodeur = bAvecHash;
    m_dwPosFlux = 0;
    m_dwPosSortie = 0;
    m_dwAccumulateur = 0;
    m_wNbBits = 0;
    m_dOctetsLus = 0;
    m_dOctetsEcrits = 0;
    return _bReInit(bAvecHash);
}

bool CZLWCompresseur::_bReInit(bool bAvecHash)
{
    m_dwBits = dwBITS_MIN;
    m_dwSeuil = dwSEUIL_INITIAL;
    m_dwCodeSuivant = dwPREMIER_CODE;
    m_dMeilleurGain = 0;
    return _bRAZDico(bAvecHash);
}

bool CZLWCompresseur::_bRAZDico(bool bAvecHash)
{
    if (bAvecHash) {
        if (!m_pbyHash)
            m_pbyHash = static_cast<uint8_t*>(XMALLOC_pNew_(nTAILLE_HASH));
        if (!m_pbyHash)
            return false;
        std::memset(m_pbyHash, 0, nTAILLE_HASH);
        return true;
    }
    if (!m_pstChaines) {
        m_pstChaines = static_cast<_stCHAINE*>(XMALLOC_pNew_(size_t(dwDICO_PLEIN) * sizeof(_stCHAINE)));
        if (!m_pstChaines)
            return false;
    }
    // The single bytes, which never change.
    for (uint32_t c = 1; c <= 256; ++c)
        m_pstChaines[c] = _stCHAINE{c - 1, 1};
    return true;
}

bool CZLWCompresseur::_bVerifieDicoPlein(uint32_t dwLus, uint32_t dwEcrits)
{
    m_dOctetsLus = dwLus;
    m_dOctetsEcrits = dwEcrits;
    const double dGain = (1.0 - m_dOctetsEcrits / m_dOctetsLus) * 100.0;
    if (dGain > m_dMeilleurGain)
        m_dMeilleurGain = dGain;
    const double dRatio = (100.0 - m_dMeilleurGain) / 100.0;
    const double dTolerance = dRatio < 0.2 ? 0.2 : 0.0;
    return m_dMeilleurGain > dGain + dTolerance;
}

uint32_t CZLWCompresseur::_dwCompression()
{
    const uint32_t n = m_dwEntree;
    if (n < dwTAILLE_MIN_COMPRESSEE || !_bInit(true))
        return _dwCompresseCopie();

    const uint8_t* const pbyEntree = m_pbyEntree;
    uint8_t* const pbySortie = m_pbySortie;
    uint8_t* const pbyImpaires = m_pbyHash;
    uint8_t* const pbyPaires = m_pbyHash + nDEBUT_PAIRES;
    const uint32_t dwLimite = n + 3;  // an output reaching this is not worth keeping

    // Coding state in locals for the loop; the members get their final values at the end.
    // The accumulator holds fewer than 32 pending bits between codes; whole 32-bit words go
    // out as soon as they are complete, so the stream position of the format (bytes flushed
    // one at a time) is dwFlux + nNbBits / 8.
    uint64_t qwAcc = 0;
    uint32_t nNbBits = 0;
    uint32_t dwFlux = dwTAILLE_ENTETE;
    uint32_t dwBits = dwBITS_MIN;
    uint32_t dwSeuil = dwSEUIL_INITIAL;
    uint32_t dwSuivant = dwPREMIER_CODE;

    auto Emet = [&](uint32_t dwCode) {
        qwAcc |= uint64_t(dwCode) << nNbBits;
        nNbBits += dwBits;
        if (nNbBits >= 32) {
            const uint32_t dwMot = uint32_t(qwAcc);
            std::memcpy(pbySortie + dwFlux, &dwMot, 4);
            dwFlux += 4;
            qwAcc >>= 32;
            nNbBits -= 32;
        }
    };
    auto Position = [&]() { return dwFlux + (nNbBits >> 3); };
    auto Raz = [&]() {
        std::memset(pbyImpaires, 0, nTAILLE_HASH);
        dwBits = dwBITS_MIN;
        dwSeuil = dwSEUIL_INITIAL;
        dwSuivant = dwPREMIER_CODE;
        m_dMeilleurGain = 0;
    };

    uint32_t dwPos = 0;
    while (dwPos < n) {
        if (Position() >= dwLimite)
            return _dwCompresseCopie();

        // Longest match. A lookup that misses stops on the first empty slot of the sequence,
        // which is where the insertion that follows stores its entry, or after the 11 slots
        // that an entry may occupy (no entry lies further on), which makes that insertion fail.
        // Each step waits for the slot read of the step before (its address holds the code just
        // found), so the common case, a hit on the first slot, is kept to one read and a few
        // operations: the odd slot number is (byte × 256 + code) mod 65536.
        uint32_t dwCode = pbyEntree[dwPos] + 1u;
        ++dwPos;
        uint32_t dwCaseLibre = dwCASE_AUCUNE;
        while (dwPos < n) {
            const uint32_t byOctet = pbyEntree[dwPos];
            const uint32_t dwImpaire = ((byOctet << 8) + dwCode) & 0xFFFF;
            uint32_t dwMot;
            std::memcpy(&dwMot, pbyImpaires + dwImpaire * nTAILLE_IMPAIRE, 4);
            uint32_t dwTrouve = 0;
            if ((dwMot & 0xFFFF) == 0) {
                dwCaseLibre = dwImpaire * 2 + 1;
            } else if (__builtin_expect(((dwMot >> 16) & 0xFF) == byOctet, 1)) {
                dwTrouve = dwMot & 0xFFFF;
            } else {
                // Even slots: code, then the key (prefix, byte) in the next 3 bytes.
                const uint64_t qwCle = uint64_t(dwCode | byOctet << 16) << 16;
                uint32_t h = dwImpaire * 2 + 1;
                for (uint32_t k = 1; k < nSONDES_INSERTION; ++k) {
                    h = s_dwCaseSuivante(k - 1, h);
                    uint64_t qwCase;
                    std::memcpy(&qwCase, pbyPaires + (h >> 1) * nTAILLE_PAIRE, 8);
                    if ((qwCase & 0xFFFF) == 0) {
                        dwCaseLibre = h;
                        break;
                    }
                    if ((qwCase & 0xFFFFFF0000ull) == qwCle) {
                        dwTrouve = uint32_t(qwCase & 0xFFFF);
                        break;
                    }
                }
            }
            if (!dwTrouve)
                break;
            dwCode = dwTrouve;
            ++dwPos;
        }
        Emet(dwCode);

        // Insertion of (match, next byte), or (match, 15) at the end of the input, which keeps
        // both sides' width steps in line before the end code.
        if (dwSuivant == dwDICO_PLEIN) {
            if (_bVerifieDicoPlein(dwPos, Position() - dwTAILLE_ENTETE)) {
                Emet(dwCODE_RAZ);
                Raz();
            }
            continue;
        }
        uint32_t byOctet = 15;
        if (dwPos < n) {
            byOctet = pbyEntree[dwPos];
        } else {
            uint32_t h = s_dwPremiereCase(dwCode, byOctet);
            for (uint32_t k = 0; k < nSONDES_INSERTION; ++k) {
                const uint8_t* pby = (h & 1) ? pbyImpaires + (h >> 1) * nTAILLE_IMPAIRE
                                             : pbyPaires + (h >> 1) * nTAILLE_PAIRE;
                if ((pby[0] | pby[1]) == 0) {
                    dwCaseLibre = h;
                    break;
                }
                h = s_dwCaseSuivante(k, h);
            }
        }
        if (dwCaseLibre != dwCASE_AUCUNE) {
            if (dwCaseLibre & 1) {
                uint8_t* pby = pbyImpaires + (dwCaseLibre >> 1) * nTAILLE_IMPAIRE;
                pby[0] = uint8_t(dwSuivant);
                pby[1] = uint8_t(dwSuivant >> 8);
                pby[2] = uint8_t(byOctet);
            } else {
                uint8_t* pby = pbyPaires + (dwCaseLibre >> 1) * nTAILLE_PAIRE;
                pby[0] = uint8_t(dwSuivant);
                pby[1] = uint8_t(dwSuivant >> 8);
                pby[2] = uint8_t(dwCode);
                pby[3] = uint8_t(dwCode >> 8);
                pby[4] = uint8_t(byOctet);
            }
            ++dwSuivant;
            if (dwBits <= 15 && dwSuivant > dwSeuil) {
                ++dwBits;
                dwSeuil *= 2;
            }
        } else {
            // The reset code goes out at the width the decoder reads it with: it widens one
            // code earlier.
            if (dwBits <= 15 && dwSuivant == dwSeuil)
                ++dwBits;
            Emet(dwCODE_RAZ);
            Raz();
        }
    }
    if (Position() >= dwLimite)
        return _dwCompresseCopie();

    Emet(dwCODE_FIN);
    while (nNbBits >= 8) {
        pbySortie[dwFlux++] = uint8_t(qwAcc);
        qwAcc >>= 8;
        nNbBits -= 8;
    }
    m_dOctetsLus = n;
    m_dOctetsEcrits = dwFlux - dwTAILLE_ENTETE;
    if (nNbBits) {
        pbySortie[dwFlux++] = uint8_t(qwAcc);
        nNbBits = 0;
    }
    m_dwBits = dwBits;
    m_dwSeuil = dwSeuil;
    m_dwCodeSuivant = dwSuivant;
    m_dwAccumulateur = 0;
    m_wNbBits = 0;
    m_dwPosFlux = dwFlux;
    _EcritEntete(eCOMPRESSEUR_ZLW, dwFlux - dwTAILLE_ENTETE);
    _Term();
    return dwFlux;
}

uint32_t CZLWCompresseur::_dwDecompression()
{
    switch (m_pbyEntree[0]) {
    case eCOMPRESSEUR_COPIE:
        return _dwDecompresseCopie();
    case eCOMPRESSEUR_ZLW:
        return _dwDecompressionZLW();
    default:
        return 0;
    }
}

uint32_t CZLWCompresseur::_dwDecompressionZLW()
{
    if (m_dwEntree < dwTAILLE_ENTETE)
        return 0;
    const uint8_t* const pbyEntree = m_pbyEntree;
    const uint32_t dwTotal = dwTailleDecompression(pbyEntree, m_dwEntree);
    if (dwTotal > m_dwSortie)
        return 0;
    // Bits are read up to the end of the payload or of the input, whichever comes first.
    const uint32_t dwDonnees = __dwLit32(pbyEntree + 1);
    const uint32_t dwFin = dwDonnees <= m_dwEntree - dwTAILLE_ENTETE ? dwDonnees + dwTAILLE_ENTETE : m_dwEntree;
    if (_bInit(false) == false) {
        _Term();
        return 0;
    }

    uint8_t* const pbySortie = m_pbySortie;
    _stCHAINE* const pstChaines = m_pstChaines;

    uint64_t qwAcc = 0;
    uint32_t nNbBits = 0;
    uint32_t dwFlux = dwTAILLE_ENTETE;
    uint32_t dwBits = dwBITS_MIN;
    uint32_t dwSeuil = dwSEUIL_INITIAL;
    uint32_t dwSuivant = dwPREMIER_CODE;

    // Reads one code; false when the input ends inside it. A refill loads 8 bytes at once and
    // counts the whole bytes that fitted; the bits of the partly loaded byte are loaded again,
    // at the same place, by the next refill.
    auto bLit = [&](uint32_t* pdwCode) {
        if (nNbBits < dwBits) {
            if (dwFlux + 8 <= dwFin) {
                uint64_t qw;
                std::memcpy(&qw, pbyEntree + dwFlux, 8);
                qwAcc |= qw << nNbBits;
                dwFlux += (63 - nNbBits) >> 3;
                nNbBits |= 56;
            } else {
                while (nNbBits <= 56 && dwFlux < dwFin) {
                    qwAcc |= uint64_t(pbyEntree[dwFlux++]) << nNbBits;
                    nNbBits += 8;
                }
                if (nNbBits < dwBits)
                    return false;
            }
        }
        *pdwCode = uint32_t(qwAcc) & ((1u << dwBits) - 1);
        qwAcc >>= dwBits;
        nNbBits -= dwBits;
        return true;
    };

    uint32_t dwSortie = 0;
    uint32_t dwPosPrec = 0;   // where the previous code's string lies, and its length
    uint32_t dwLongPrec = 0;
    bool bValide = false;
    // Adds the entry of the code just expanded: the previous string followed by this one's
    // first byte, which lies right behind it in the output.
    auto Ajoute = [&]() {
        if (dwSuivant < dwDICO_PLEIN) {
            pstChaines[dwSuivant] = _stCHAINE{dwPosPrec, dwLongPrec + 1};
            ++dwSuivant;
            if (dwBits <= 15 && dwSuivant >= dwSeuil) {
                ++dwBits;
                dwSeuil *= 2;
            }
        }
    };
    // The first code of the block or after a reset: resets may follow one another, the end
    // code may come, otherwise a single byte; no entry is added for it. False ends the
    // decoding (bValide tells how).
    auto bPremierCode = [&]() __attribute__((always_inline)) {
        for (;;) {
            uint32_t c;
            if (!bLit(&c))
                return false;
            if (c == dwCODE_FIN) {
                // A well-formed block is complete before its end code is read.
                bValide = dwSortie == dwTotal;
                return false;
            }
            if (c == dwCODE_RAZ)
                continue;
            if (c > 256 || dwSortie >= dwTotal)
                return false;
            pbySortie[dwSortie] = uint8_t(c - 1);
            dwPosPrec = dwSortie;
            dwLongPrec = 1;
            ++dwSortie;
            return true;
        }
    };

    if (bPremierCode()) {
        for (;;) {
            if (dwSortie >= dwTotal) {
                bValide = true;
                break;
            }
            uint32_t c;
            if (!bLit(&c))
                break;
            // Everything but a known code (reset, end, the code being defined, a code not yet
            // defined) takes the branch below; one unsigned comparison sorts out 0 and the codes
            // from dwSuivant on.
            if (__builtin_expect(c - 1u >= dwSuivant - 1u || c == dwCODE_FIN, 0)) {
                if (c == dwCODE_FIN) {
                    bValide = dwSortie == dwTotal;
                    break;
                }
                if (c == dwCODE_RAZ) {
                    dwBits = dwBITS_MIN;
                    dwSeuil = dwSEUIL_INITIAL;
                    dwSuivant = dwPREMIER_CODE;
                    if (!bPremierCode())
                        break;
                    continue;
                }
                if (c != dwSuivant)
                    break;
                // The code being defined: the previous string and its own first byte.
                const uint32_t dwLongueur = dwLongPrec + 1;
                if (dwLongueur > dwTotal - dwSortie)
                    break;
                std::memcpy(pbySortie + dwSortie, pbySortie + dwPosPrec, dwLongPrec);
                pbySortie[dwSortie + dwLongPrec] = pbySortie[dwPosPrec];
                Ajoute();
                dwPosPrec = dwSortie;
                dwLongPrec = dwLongueur;
                dwSortie += dwLongueur;
                continue;
            }
            // A known code: its string lies in the output (codes from 258) or in the table of
            // single bytes (1 to 256), before the place it is copied to. Short strings move as
            // one 16-byte block, loaded whole before it is stored, when the output has room for
            // it: the bytes stored past the string are rewritten by the strings that follow.
            const _stCHAINE stChaine = pstChaines[c];
            const uint8_t* const pbySource = (c <= 256 ? gstOctets.aby : pbySortie) + stChaine.dwPosition;
            const uint32_t dwLongueur = stChaine.dwLongueur;
            if (__builtin_expect(dwLongueur <= 16 && dwTotal - dwSortie >= 16, 1)) {
                uint8_t aby[16];
                std::memcpy(aby, pbySource, 16);
                std::memcpy(pbySortie + dwSortie, aby, 16);
            } else {
                if (dwLongueur > dwTotal - dwSortie)
                    break;
                std::memcpy(pbySortie + dwSortie, pbySource, dwLongueur);
            }
            Ajoute();
            dwPosPrec = dwSortie;
            dwLongPrec = dwLongueur;
            dwSortie += dwLongueur;
        }
    }
    m_dwBits = dwBits;
    m_dwSeuil = dwSeuil;
    m_dwCodeSuivant = dwSuivant;
    m_dwPosFlux = dwFlux;
    m_dwPosSortie = dwSortie;
    _Term();
    return bValide ? dwTotal : 0;
}
