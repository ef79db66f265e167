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

// The hash table in two parts. An odd slot is only ever the first slot of a sequence, and the
// keys whose sequence starts there differ by their byte alone (slot / 2 = (byte × 256 + prefix)
// mod 65536), so an odd slot keeps its code and its entry's byte side by side in 3 bytes: a
// lookup that hits there needs no other read. Even slots keep the code alone, checked against
// the entry array. Behind the odd part lies one spare byte, for 4-byte reads of its last slot.
constexpr size_t nTAILLE_IMPAIRES = 65536 * 3 + 1;
constexpr size_t nDEBUT_PAIRES = (nTAILLE_IMPAIRES + 3) & ~size_t(3);
constexpr size_t nTAILLE_HASH = nDEBUT_PAIRES + 65536 * 2;
constexpr uint32_t dwDICO_INITIAL = 512;  // entries allocated on first use
constexpr uint32_t dwTAILLE_ENTETE = CCompresseurBase::dwTAILLE_ENTETE_COMPRESSION;

uint32_t __dwLit32(const uint8_t* p)
{
    uint32_t dw;
    std::memcpy(&dw, p, 4);
    return dw;
}

// An entry (prefix, byte) as the 32-bit word it is stored as.
inline uint32_t __dwCle(uint32_t dwPrefixe, uint32_t byOctet)
{
    return dwPrefixe | byOctet << 16;
}

// Copies a code's string from where it already lies in the output. pbySource + nLongueur never
// passes pbyCible. Short strings move as one 16-byte block, loaded whole before it is stored,
// when the output has room for it: the bytes stored past the string are rewritten by the
// strings that follow.
inline void __CopieChaine(uint8_t* pbyCible, const uint8_t* pbySource, uint32_t nLongueur, const uint8_t* pbyFin)
{
    if (nLongueur <= 16 && pbyCible + 16 <= pbyFin) {
        uint8_t aby[16];
        std::memcpy(aby, pbySource, 16);
        std::memcpy(pbyCible, aby, 16);
    } else {
        std::memcpy(pbyCible, pbySource, nLongueur);
    }
}

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
      m_pstDico(nullptr),
      m_dwDicoUtilise(0),
      m_dwDicoAlloue(0),
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
    XMALLOC_Del_(m_pstDico);
    m_pstDico = nullptr;
    XMALLOC_Del_(m_pstChaines);
    m_pstChaines = nullptr;
    m_dwDicoUtilise = 0;
    m_dwDicoAlloue = 0;
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
    }
    m_dwDicoUtilise = 0;
    if (!_bAgrandirDicoAuBesoin(256))
        return false;
    if (bAvecHash) {
        // The encoder keeps (prefix, byte) entries; the single bytes have prefix 0.
        for (uint32_t c = 1; c <= 256; ++c)
            m_pstDico[c] = _stENTREEDICO{0, uint8_t(c - 1), 0};
        m_pstDico[0] = _stENTREEDICO{0, 0, 0};
    }
    return true;
}

bool CZLWCompresseur::_bAgrandirDicoAuBesoin(uint32_t dwCode)
{
    if (dwCode < m_dwDicoUtilise)
        return true;
    if (dwCode >= m_dwDicoAlloue) {
        uint32_t dwNouveau = m_dwDicoAlloue ? m_dwDicoAlloue * 2 : dwDICO_INITIAL;
        while (dwNouveau <= dwCode)
            dwNouveau *= 2;
        // The encoder grows its entries, the decoder its string table.
        if (m_bCodeur) {
            void* p = XMALLOC_pResize_(m_pstDico, dwNouveau * sizeof(_stENTREEDICO));
            if (!p)
                return false;
            m_pstDico = static_cast<_stENTREEDICO*>(p);
        } else {
            void* p = XMALLOC_pResize_(m_pstChaines, dwNouveau * sizeof(_stCHAINE));
            if (!p)
                return false;
            m_pstChaines = static_cast<_stCHAINE*>(p);
        }
        m_dwDicoAlloue = dwNouveau;
    }
    m_dwDicoUtilise = dwCode + 1;
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
    uint16_t* const pwPaires = reinterpret_cast<uint16_t*>(m_pbyHash + nDEBUT_PAIRES);
    _stENTREEDICO* pstDico = m_pstDico;
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
        uint32_t dwCode = pbyEntree[dwPos] + 1u;
        ++dwPos;
        uint32_t dwCaseLibre = dwCASE_AUCUNE;
        while (dwPos < n) {
            const uint32_t byOctet = pbyEntree[dwPos];
            const uint32_t dwCle = __dwCle(dwCode, byOctet);
            uint32_t h = s_dwPremiereCase(dwCode, byOctet);
            uint32_t dwTrouve = 0;
            uint32_t dwImpaire;
            std::memcpy(&dwImpaire, pbyImpaires + (h >> 1) * 3, 4);
            if ((dwImpaire & 0xFFFF) == 0) {
                dwCaseLibre = h;
            } else if (((dwImpaire >> 16) & 0xFF) == byOctet) {
                dwTrouve = dwImpaire & 0xFFFF;
            } else {
                for (uint32_t k = 1; k < nSONDES_INSERTION; ++k) {
                    h = s_dwCaseSuivante(k - 1, h);
                    const uint32_t c = pwPaires[h >> 1];
                    if (c == 0) {
                        dwCaseLibre = h;
                        break;
                    }
                    uint32_t dwEntree;
                    std::memcpy(&dwEntree, &pstDico[c], 4);
                    if (dwEntree == dwCle) {
                        dwTrouve = c;
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
                const bool bLibre = (h & 1) ? (pbyImpaires[(h >> 1) * 3] | pbyImpaires[(h >> 1) * 3 + 1]) == 0
                                            : pwPaires[h >> 1] == 0;
                if (bLibre) {
                    dwCaseLibre = h;
                    break;
                }
                h = s_dwCaseSuivante(k, h);
            }
        }
        if (dwCaseLibre != dwCASE_AUCUNE) {
            if (dwSuivant >= m_dwDicoAlloue) {
                if (!_bAgrandirDicoAuBesoin(dwSuivant))
                    return _dwCompresseCopie();
                pstDico = m_pstDico;
            }
            if (dwCaseLibre & 1) {
                uint8_t* pby = pbyImpaires + (dwCaseLibre >> 1) * 3;
                pby[0] = uint8_t(dwSuivant);
                pby[1] = uint8_t(dwSuivant >> 8);
                pby[2] = uint8_t(byOctet);
            } else {
                pwPaires[dwCaseLibre >> 1] = uint16_t(dwSuivant);
            }
            pstDico[dwSuivant] = _stENTREEDICO{uint16_t(dwCode), uint8_t(byOctet), 0};
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
    const uint8_t* const pbyFinSortie = pbySortie + dwTotal;
    _stCHAINE* pstChaines = m_pstChaines;
    uint32_t dwAlloue = m_dwDicoAlloue;

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
    bool bPremier = true;     // no previous code: start of the block or after a reset
    bool bValide = false;
    for (;;) {
        if (!bPremier && dwSortie >= dwTotal) {
            bValide = true;
            break;
        }
        uint32_t c;
        if (!bLit(&c))
            break;
        if (c == dwCODE_FIN) {
            // A well-formed block is complete before its end code is read.
            bValide = dwSortie == dwTotal;
            break;
        }
        if (c == dwCODE_RAZ) {
            dwBits = dwBITS_MIN;
            dwSeuil = dwSEUIL_INITIAL;
            dwSuivant = dwPREMIER_CODE;
            bPremier = true;
            continue;
        }
        if (bPremier) {
            if (c > 256 || dwSortie >= dwTotal)
                break;
            pbySortie[dwSortie] = uint8_t(c - 1);
            dwPosPrec = dwSortie;
            dwLongPrec = 1;
            ++dwSortie;
            bPremier = false;
            continue;
        }
        uint32_t dwLongueur;
        if (c <= 256) {
            pbySortie[dwSortie] = uint8_t(c - 1);
            dwLongueur = 1;
        } else if (c < dwSuivant) {
            const _stCHAINE stChaine = pstChaines[c];
            dwLongueur = stChaine.dwLongueur;
            if (dwLongueur > dwTotal - dwSortie)
                break;
            __CopieChaine(pbySortie + dwSortie, pbySortie + stChaine.dwPosition, dwLongueur, pbyFinSortie);
        } else if (c == dwSuivant) {
            // The code being defined: the previous string and its own first byte.
            dwLongueur = dwLongPrec + 1;
            if (dwLongueur > dwTotal - dwSortie)
                break;
            __CopieChaine(pbySortie + dwSortie, pbySortie + dwPosPrec, dwLongPrec, pbyFinSortie);
            pbySortie[dwSortie + dwLongPrec] = pbySortie[dwPosPrec];
        } else {
            break;
        }
        if (dwSuivant < dwDICO_PLEIN) {
            if (dwSuivant >= dwAlloue) {
                if (!_bAgrandirDicoAuBesoin(dwSuivant))
                    break;
                pstChaines = m_pstChaines;
                dwAlloue = m_dwDicoAlloue;
            }
            // The previous string followed by this one's first byte, which lies right behind it.
            pstChaines[dwSuivant] = _stCHAINE{dwPosPrec, dwLongPrec + 1};
            ++dwSuivant;
            if (dwBits <= 15 && dwSuivant >= dwSeuil) {
                ++dwBits;
                dwSeuil *= 2;
            }
        }
        dwPosPrec = dwSortie;
        dwLongPrec = dwLongueur;
        dwSortie += dwLongueur;
    }
    m_dwBits = dwBits;
    m_dwSeuil = dwSeuil;
    m_dwCodeSuivant = dwSuivant;
    m_dwPosFlux = dwFlux;
    m_dwPosSortie = dwSortie;
    _Term();
    return bValide ? dwTotal : 0;
}
