// CLecteurElf: what the loader would see of an ELF file held in memory: class, machine, type, needed libraries, search paths and exported symbols.
#include "tools/zvinfoexe/CLecteurElf.h"

#include <algorithm>
#include <cstring>

namespace {

// Values of the ELF format used here.
constexpr uint64_t PT_LOAD = 1;
constexpr uint64_t PT_DYNAMIC = 2;
constexpr uint64_t PT_INTERP = 3;
constexpr uint64_t PN_XNUM = 0xFFFF;
constexpr uint64_t SHT_DYNSYM = 11;
constexpr uint64_t DT_NULL = 0;
constexpr uint64_t DT_NEEDED = 1;
constexpr uint64_t DT_HASH = 4;
constexpr uint64_t DT_STRTAB = 5;
constexpr uint64_t DT_SYMTAB = 6;
constexpr uint64_t DT_STRSZ = 10;
constexpr uint64_t DT_SYMENT = 11;
constexpr uint64_t DT_SONAME = 14;
constexpr uint64_t DT_RPATH = 15;
constexpr uint64_t DT_RUNPATH = 29;
constexpr uint64_t DT_GNU_HASH = 0x6FFFFEF5;
constexpr unsigned STB_GLOBAL = 1, STB_WEAK = 2, STB_GNU_UNIQUE = 10;
constexpr unsigned STT_SECTION = 3, STT_FILE = 4;
constexpr unsigned STV_HIDDEN = 2, STV_INTERNAL = 1;
enum { eDYN_STRTAB, eDYN_STRSZ, eDYN_SYMTAB, eDYN_SYMENT };

// A dynamic section holds few entries; a table of needed libraries beyond this is not a file a
// loader would take, and the bound keeps a hostile one from costing more than it is worth.
constexpr size_t gnMaxDependances = 4096;

}  // namespace

bool CLecteurElf::_bPlage(uint64_t o, uint64_t n) const
{
    return o <= m_n && n <= m_n - o;
}

bool CLecteurElf::_bLit16(uint64_t o, uint64_t* pn) const
{
    if (!_bPlage(o, 2))
        return false;
    const unsigned char* p = m_p + o;
    *pn = m_bGrosBoutiste ? (uint64_t(p[0]) << 8 | p[1]) : (uint64_t(p[1]) << 8 | p[0]);
    return true;
}

bool CLecteurElf::_bLit32(uint64_t o, uint64_t* pn) const
{
    if (!_bPlage(o, 4))
        return false;
    uint64_t n = 0;
    for (int i = 0; i < 4; ++i)
        n |= uint64_t(m_p[o + (m_bGrosBoutiste ? 3 - i : i)]) << (8 * i);
    *pn = n;
    return true;
}

bool CLecteurElf::_bLit64(uint64_t o, uint64_t* pn) const
{
    if (!_bPlage(o, 8))
        return false;
    uint64_t n = 0;
    for (int i = 0; i < 8; ++i)
        n |= uint64_t(m_p[o + (m_bGrosBoutiste ? 7 - i : i)]) << (8 * i);
    *pn = n;
    return true;
}

bool CLecteurElf::_bLitMot(uint64_t o, uint64_t* pn) const
{
    return m_nClasse == nCLASSE_64 ? _bLit64(o, pn) : _bLit32(o, pn);
}

bool CLecteurElf::_bAdresseVersOffset(uint64_t oAdresse, uint64_t* poOffset) const
{
    for (const _stSEGMENT& st : m_astCharge) {
        if (oAdresse >= st.oAdresse && oAdresse - st.oAdresse < st.oTaille) {
            *poOffset = st.oOffset + (oAdresse - st.oAdresse);
            return *poOffset <= m_n;
        }
    }
    return false;
}

bool CLecteurElf::_bChaine(uint64_t oTable, uint64_t nTaille, uint64_t nIndex, std::string* ps) const
{
    if (!_bPlage(oTable, nTaille) || nIndex >= nTaille)
        return false;
    const unsigned char* pDebut = m_p + oTable + nIndex;
    const void* pNul = std::memchr(pDebut, 0, static_cast<size_t>(nTaille - nIndex));
    if (!pNul)
        return false;
    ps->assign(reinterpret_cast<const char*>(pDebut), static_cast<const unsigned char*>(pNul) - pDebut);
    return true;
}

bool CLecteurElf::bLit(const unsigned char* p, size_t n, std::string* psErreur)
{
    *this = CLecteurElf();
    std::string sErreur;
    std::string& s = psErreur ? *psErreur : sErreur;
    s.clear();
    m_p = p;
    m_n = p ? n : 0;
    const bool bOk = _bLitTables(&s);
    m_p = nullptr;
    m_n = 0;
    return bOk;
}

bool CLecteurElf::_bLitTables(std::string* psErreur)
{
    if (m_n < 16 || std::memcmp(m_p, "\x7F" "ELF", 4) != 0) {
        *psErreur = "not an ELF file";
        return false;
    }
    m_nClasse = m_p[4];
    if (m_nClasse != nCLASSE_32 && m_nClasse != nCLASSE_64) {
        *psErreur = "unknown ELF class " + std::to_string(m_nClasse);
        m_nClasse = 0;
        return false;
    }
    if (m_p[5] != 1 && m_p[5] != 2) {
        *psErreur = "unknown ELF byte order " + std::to_string(m_p[5]);
        return false;
    }
    m_bGrosBoutiste = m_p[5] == 2;
    const bool b64 = m_nClasse == nCLASSE_64;
    const uint64_t nTailleEntete = b64 ? 64 : 52;
    uint64_t nType = 0, nMachine = 0, oPhoff = 0, nPhentsize = 0, nPhnum = 0, nShstr = 0;
    if (!_bPlage(0, nTailleEntete) || !_bLit16(16, &nType) || !_bLit16(18, &nMachine)) {
        *psErreur = "truncated ELF header";
        return false;
    }
    m_nType = static_cast<unsigned>(nType);
    m_nMachine = static_cast<unsigned>(nMachine);
    if (!_bLitMot(b64 ? 32 : 28, &oPhoff) || !_bLitMot(b64 ? 40 : 32, &m_oShoff) ||
        !_bLit16(b64 ? 54 : 42, &nPhentsize) || !_bLit16(b64 ? 56 : 44, &nPhnum) ||
        !_bLit16(b64 ? 58 : 46, &m_nShentsize) || !_bLit16(b64 ? 60 : 48, &m_nShnum) ||
        !_bLit16(b64 ? 62 : 50, &nShstr)) {
        *psErreur = "truncated ELF header";
        return false;
    }

    // Section headers: only their count and place are kept; the table is checked when used.
    const uint64_t nTailleSection = b64 ? 64 : 40;
    if (m_oShoff != 0) {
        if (m_nShentsize != nTailleSection) {
            *psErreur = "section header entries of an unexpected size";
            return false;
        }
        // Counts beyond 16 bits live in the first section header.
        if (m_nShnum == 0 && !_bLitMot(m_oShoff + (b64 ? 32 : 20), &m_nShnum)) {
            *psErreur = "section header table outside the file";
            return false;
        }
        if (nPhnum == PN_XNUM && !_bLit32(m_oShoff + (b64 ? 44 : 28), &nPhnum)) {
            *psErreur = "section header table outside the file";
            return false;
        }
        if (m_nShnum > (m_n / nTailleSection) || !_bPlage(m_oShoff, m_nShnum * nTailleSection)) {
            *psErreur = "section header table outside the file";
            return false;
        }
    } else {
        m_nShnum = 0;
    }

    // Program headers: the loadable segments, then the dynamic segment.
    const uint64_t nTailleProgramme = b64 ? 56 : 32;
    if (nPhnum != 0) {
        if (nPhentsize != nTailleProgramme) {
            *psErreur = "program header entries of an unexpected size";
            return false;
        }
        if (nPhnum > m_n / nTailleProgramme || !_bPlage(oPhoff, nPhnum * nTailleProgramme)) {
            *psErreur = "program header table outside the file";
            return false;
        }
    }
    uint64_t oDyn = 0, nDyn = 0;
    for (uint64_t i = 0; i < nPhnum; ++i) {
        const uint64_t o = oPhoff + i * nTailleProgramme;
        uint64_t nPType = 0, oOffset = 0, oAdresse = 0, oTaille = 0;
        if (!_bLit32(o, &nPType) || !_bLitMot(o + (b64 ? 8 : 4), &oOffset) || !_bLitMot(o + (b64 ? 16 : 8), &oAdresse) ||
            !_bLitMot(o + (b64 ? 32 : 16), &oTaille)) {
            *psErreur = "program header table outside the file";
            return false;
        }
        if (nPType == PT_LOAD) {
            // Only the part of a segment that the file holds can be read.
            if (oOffset > m_n)
                continue;
            m_astCharge.push_back({oOffset, oAdresse, std::min<uint64_t>(oTaille, m_n - oOffset)});
        } else if (nPType == PT_INTERP) {
            m_bInterpreteur = true;
        } else if (nPType == PT_DYNAMIC && !m_bDynamique) {
            m_bDynamique = true;
            oDyn = oOffset;
            nDyn = oTaille;
        }
    }
    if (m_bDynamique && !_bLitDynamique(oDyn, nDyn, psErreur))
        return false;
    return _bLitSymboles(psErreur);
}

bool CLecteurElf::_bLitDynamique(uint64_t oOffset, uint64_t oTaille, std::string* psErreur)
{
    if (!_bPlage(oOffset, oTaille)) {
        *psErreur = "dynamic segment outside the file";
        return false;
    }
    const uint64_t nEntree = m_nClasse == nCLASSE_64 ? 16 : 8;
    std::vector<uint64_t> anNeeded;
    uint64_t nRunpath = 0, nRpath = 0, nSoname = 0;
    bool bRunpath = false, bRpath = false, bSoname = false;
    for (uint64_t o = oOffset; oTaille - (o - oOffset) >= nEntree; o += nEntree) {
        uint64_t nTag = 0, nVal = 0;
        if (!_bLitMot(o, &nTag) || !_bLitMot(o + nEntree / 2, &nVal))
            break;
        if (nTag == DT_NULL)
            break;
        switch (nTag) {
        case DT_NEEDED:
            if (anNeeded.size() >= gnMaxDependances) {
                *psErreur = "too many needed libraries";
                return false;
            }
            anNeeded.push_back(nVal);
            break;
        case DT_STRTAB:
            m_aoDyn[eDYN_STRTAB] = nVal;
            break;
        case DT_STRSZ:
            m_aoDyn[eDYN_STRSZ] = nVal;
            break;
        case DT_SYMTAB:
            m_aoDyn[eDYN_SYMTAB] = nVal;
            break;
        case DT_SYMENT:
            m_aoDyn[eDYN_SYMENT] = nVal;
            break;
        case DT_HASH:
            m_bHash = true;
            m_oHash = nVal;
            break;
        case DT_GNU_HASH:
            m_bGnuHash = true;
            m_oGnuHash = nVal;
            break;
        case DT_RUNPATH:
            bRunpath = true;
            nRunpath = nVal;
            break;
        case DT_RPATH:
            bRpath = true;
            nRpath = nVal;
            break;
        case DT_SONAME:
            bSoname = true;
            nSoname = nVal;
            break;
        default:
            break;
        }
    }
    if (anNeeded.empty() && !bRunpath && !bRpath && !bSoname)
        return true;
    uint64_t oChaines = 0;
    if (!_bAdresseVersOffset(m_aoDyn[eDYN_STRTAB], &oChaines) || !_bPlage(oChaines, m_aoDyn[eDYN_STRSZ])) {
        *psErreur = "dynamic string table outside the file";
        return false;
    }
    const uint64_t nChaines = m_aoDyn[eDYN_STRSZ];
    for (uint64_t nIndex : anNeeded) {
        std::string s;
        if (!_bChaine(oChaines, nChaines, nIndex, &s)) {
            *psErreur = "a needed library's name lies outside the string table";
            return false;
        }
        m_asDependances.push_back(s);
    }
    if ((bRunpath && !_bChaine(oChaines, nChaines, nRunpath, &m_sRunpath)) ||
        (bRpath && !_bChaine(oChaines, nChaines, nRpath, &m_sRpath)) ||
        (bSoname && !_bChaine(oChaines, nChaines, nSoname, &m_sSoname))) {
        *psErreur = "a search path or the soname lies outside the string table";
        return false;
    }
    return true;
}

bool CLecteurElf::_bLitSymboles(std::string* psErreur)
{
    const bool b64 = m_nClasse == nCLASSE_64;
    const uint64_t nTailleSymbole = b64 ? 24 : 16;
    const uint64_t nTailleSection = b64 ? 64 : 40;
    // The section header of the dynamic symbol table, when the file keeps section headers.
    for (uint64_t i = 0; i < m_nShnum; ++i) {
        const uint64_t o = m_oShoff + i * nTailleSection;
        uint64_t nShType = 0;
        if (!_bLit32(o + 4, &nShType) || nShType != SHT_DYNSYM)
            continue;
        uint64_t oTable = 0, nTaille = 0, nLien = 0, nTailleEntree = 0;
        if (!_bLitMot(o + (b64 ? 24 : 16), &oTable) || !_bLitMot(o + (b64 ? 32 : 20), &nTaille) ||
            !_bLit32(o + (b64 ? 40 : 24), &nLien) || !_bLitMot(o + (b64 ? 56 : 36), &nTailleEntree)) {
            *psErreur = "section header table outside the file";
            return false;
        }
        if (nTailleEntree == 0)
            nTailleEntree = nTailleSymbole;
        if (nLien >= m_nShnum) {
            *psErreur = "the dynamic symbol table names no string table";
            return false;
        }
        const uint64_t oLien = m_oShoff + nLien * nTailleSection;
        uint64_t oChaines = 0, nChaines = 0;
        if (!_bLitMot(oLien + (b64 ? 24 : 16), &oChaines) || !_bLitMot(oLien + (b64 ? 32 : 20), &nChaines)) {
            *psErreur = "section header table outside the file";
            return false;
        }
        return _bLitSymbolesDe(oTable, nTaille / nTailleEntree, nTailleEntree, oChaines, nChaines, psErreur);
    }
    // Without section headers: the table the dynamic section points to, sized by a hash table.
    if (!m_bDynamique || m_aoDyn[eDYN_SYMTAB] == 0)
        return true;
    uint64_t oTable = 0, oChaines = 0, nNombre = 0;
    if (!_bAdresseVersOffset(m_aoDyn[eDYN_SYMTAB], &oTable) ||
        !_bAdresseVersOffset(m_aoDyn[eDYN_STRTAB], &oChaines)) {
        *psErreur = "dynamic symbol table outside the file";
        return false;
    }
    if (!(m_bHash && _bNombreSymbolesHash(&nNombre)) && !(m_bGnuHash && _bNombreSymbolesGnuHash(&nNombre))) {
        *psErreur = "the dynamic symbol table has no readable hash table to size it";
        return false;
    }
    const uint64_t nTailleEntree = m_aoDyn[eDYN_SYMENT] ? m_aoDyn[eDYN_SYMENT] : nTailleSymbole;
    return _bLitSymbolesDe(oTable, nNombre, nTailleEntree, oChaines, m_aoDyn[eDYN_STRSZ], psErreur);
}

bool CLecteurElf::_bNombreSymbolesHash(uint64_t* pnNombre) const
{
    uint64_t oHash = 0;
    return _bAdresseVersOffset(m_oHash, &oHash) && _bLit32(oHash + 4, pnNombre);
}

// The GNU hash table gives no count: the highest symbol a bucket starts at, then its chain up to
// the entry whose low bit ends it.
bool CLecteurElf::_bNombreSymbolesGnuHash(uint64_t* pnNombre) const
{
    uint64_t o = 0, nBuckets = 0, nPremier = 0, nBloom = 0;
    if (!_bAdresseVersOffset(m_oGnuHash, &o) || !_bLit32(o, &nBuckets) || !_bLit32(o + 4, &nPremier) ||
        !_bLit32(o + 8, &nBloom))
        return false;
    const uint64_t nMot = m_nClasse == nCLASSE_64 ? 8 : 4;
    const uint64_t oBuckets = o + 16 + nBloom * nMot;
    if (!_bPlage(oBuckets, nBuckets * 4))
        return false;
    uint64_t nMax = 0;
    for (uint64_t i = 0; i < nBuckets; ++i) {
        uint64_t n = 0;
        if (!_bLit32(oBuckets + 4 * i, &n))
            return false;
        nMax = std::max(nMax, n);
    }
    if (nMax < nPremier) {
        *pnNombre = nPremier;
        return true;
    }
    const uint64_t oChaines = oBuckets + nBuckets * 4;
    for (uint64_t i = nMax;; ++i) {
        uint64_t nHash = 0;
        if (!_bLit32(oChaines + 4 * (i - nPremier), &nHash))
            return false;
        if (nHash & 1) {
            *pnNombre = i + 1;
            return true;
        }
    }
}

bool CLecteurElf::_bLitSymbolesDe(uint64_t oTable, uint64_t nNombre, uint64_t nTailleEntree, uint64_t oChaines,
                                  uint64_t nTailleChaines, std::string* psErreur)
{
    const bool b64 = m_nClasse == nCLASSE_64;
    if (nTailleEntree < (b64 ? 24u : 16u) || nNombre > m_n / nTailleEntree || !_bPlage(oTable, nNombre * nTailleEntree) ||
        !_bPlage(oChaines, nTailleChaines)) {
        *psErreur = "dynamic symbol table outside the file";
        return false;
    }
    for (uint64_t i = 1; i < nNombre; ++i) {  // entry 0 is the null symbol
        const uint64_t o = oTable + i * nTailleEntree;
        uint64_t nNom = 0, nShndx = 0;
        if (!_bLit32(o, &nNom) || !_bLit16(o + (b64 ? 6 : 14), &nShndx))
            return false;
        const unsigned nInfo = m_p[o + (b64 ? 4 : 12)];
        const unsigned nAutre = m_p[o + (b64 ? 5 : 13)];
        const unsigned nLien = nInfo >> 4, nGenre = nInfo & 0xF, nVisibilite = nAutre & 3;
        if (nShndx == 0 || (nLien != STB_GLOBAL && nLien != STB_WEAK && nLien != STB_GNU_UNIQUE) ||
            nGenre == STT_SECTION || nGenre == STT_FILE || nVisibilite == STV_HIDDEN || nVisibilite == STV_INTERNAL)
            continue;
        std::string s;
        if (!_bChaine(oChaines, nTailleChaines, nNom, &s)) {
            *psErreur = "a symbol's name lies outside the string table";
            return false;
        }
        m_asExports.push_back(s);
    }
    std::sort(m_asExports.begin(), m_asExports.end());
    return true;
}

bool CLecteurElf::bExporte(const char* pszNom) const
{
    return pszNom && std::binary_search(m_asExports.begin(), m_asExports.end(), std::string(pszNom));
}

const char* CLecteurElf::s_pszMachine(unsigned nMachine)
{
    switch (nMachine) {
    case 3:
        return "i386";
    case 62:
        return "x86-64";
    case 40:
        return "ARM";
    case 183:
        return "AArch64";
    case 8:
        return "MIPS";
    case 20:
        return "PowerPC";
    case 21:
        return "PowerPC64";
    case 22:
        return "S/390";
    case 43:
        return "SPARC V9";
    case 243:
        return "RISC-V";
    default:
        return nullptr;
    }
}

std::string CLecteurElf::s_sAbi(unsigned nClasse, unsigned nMachine)
{
    std::string s = nClasse == nCLASSE_64 ? "64-bit " : nClasse == nCLASSE_32 ? "32-bit " : "";
    const char* psz = s_pszMachine(nMachine);
    s += psz ? psz : "machine " + std::to_string(nMachine);
    return s;
}

std::string CLecteurElf::sAbi() const
{
    return s_sAbi(m_nClasse, m_nMachine);
}

std::string CLecteurElf::sDescription() const
{
    std::string s = "ELF " + sAbi();
    switch (m_nType) {
    case 1:
        return s + " relocatable object";
    case 2:
        return s + " program";
    case 3:
        return s + (m_bInterpreteur ? " program (position-independent)" : " shared object");
    case 4:
        return s + " core file";
    default:
        return s + " file of type " + std::to_string(m_nType);
    }
}
