// CCacheLdSo: the loader's cache of library paths (/etc/ld.so.cache), read from bytes held in memory and looked up by name and ABI.
#include "tools/zvinfoexe/CCacheLdSo.h"

#include <cstring>

namespace {

constexpr char gszMagieNouvelle[] = "glibc-ld.so.cache1.1";  // 17 bytes of magic, 3 of version
constexpr char gszMagieAncienne[] = "ld.so-1.7.0";
constexpr size_t gnEnteteNouvelle = 48;
constexpr size_t gnEntreeNouvelle = 24;
constexpr size_t gnEnteteAncienne = 16;  // 11 bytes of magic, padding, the 32-bit count
constexpr size_t gnEntreeAncienne = 12;

// Flags of an entry: the library's kind in the low byte, the ABI it needs in the next one.
constexpr int32_t gnDrapeauElf = 1;                // any ELF library, accepted by every loader
constexpr int32_t gnDrapeauLibc6I386 = 0x0003;     // i386
constexpr int32_t gnDrapeauLibc6X8664 = 0x0303;    // x86-64

uint32_t __nLit32(const unsigned char* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// The NUL-terminated string at nOffset of the n bytes p; false when it does not end inside them.
bool __bChaine(const unsigned char* p, size_t n, uint64_t nOffset, std::string* ps)
{
    if (nOffset >= n)
        return false;
    const void* pNul = std::memchr(p + nOffset, 0, n - static_cast<size_t>(nOffset));
    if (!pNul)
        return false;
    ps->assign(reinterpret_cast<const char*>(p + nOffset), static_cast<const unsigned char*>(pNul) - (p + nOffset));
    return true;
}

}  // namespace

bool CCacheLdSo::bLit(const unsigned char* p, size_t n)
{
    m_astEntrees.clear();
    if (!p)
        return false;
    size_t nDebut = 0;
    // An old-format cache may carry the current one behind its entries, aligned on 8 bytes.
    if (n >= gnEnteteAncienne && std::memcmp(p, gszMagieAncienne, sizeof(gszMagieAncienne) - 1) == 0) {
        const uint64_t nAnciennes = __nLit32(p + 12);
        const uint64_t nFin = gnEnteteAncienne + nAnciennes * gnEntreeAncienne;
        if (nFin > n)
            return false;
        nDebut = static_cast<size_t>((nFin + 7) & ~uint64_t(7));
    }
    if (nDebut > n || n - nDebut < gnEnteteNouvelle ||
        std::memcmp(p + nDebut, gszMagieNouvelle, sizeof(gszMagieNouvelle) - 1) != 0)
        return false;
    // Offsets of names and paths count from the start of the current-format header.
    const unsigned char* pCache = p + nDebut;
    const size_t nCache = n - nDebut;
    const uint64_t nEntrees = __nLit32(pCache + 20);
    if (nEntrees > (nCache - gnEnteteNouvelle) / gnEntreeNouvelle)
        return false;
    m_astEntrees.reserve(static_cast<size_t>(nEntrees));
    for (uint64_t i = 0; i < nEntrees; ++i) {
        const unsigned char* pEntree = pCache + gnEnteteNouvelle + i * gnEntreeNouvelle;
        _stENTREE st;
        st.nDrapeaux = static_cast<int32_t>(__nLit32(pEntree));
        st.nHwcap = uint64_t(__nLit32(pEntree + 16)) | uint64_t(__nLit32(pEntree + 20)) << 32;
        if (!__bChaine(pCache, nCache, __nLit32(pEntree + 4), &st.sNom) ||
            !__bChaine(pCache, nCache, __nLit32(pEntree + 8), &st.sChemin)) {
            m_astEntrees.clear();
            return false;
        }
        m_astEntrees.push_back(std::move(st));
    }
    return true;
}

bool CCacheLdSo::bCherche(const char* pszNom, unsigned nClasse, unsigned nMachine, std::string* psChemin) const
{
    int32_t nAbi = 0;
    if (nClasse == 1 && nMachine == 3)
        nAbi = gnDrapeauLibc6I386;
    else if (nClasse == 2 && nMachine == 62)
        nAbi = gnDrapeauLibc6X8664;
    if (!pszNom || !psChemin || nAbi == 0)
        return false;
    const _stENTREE* pstAutre = nullptr;
    for (const _stENTREE& st : m_astEntrees) {
        if ((st.nDrapeaux != nAbi && st.nDrapeaux != gnDrapeauElf) || st.sNom != pszNom)
            continue;
        if (st.nHwcap == 0) {
            *psChemin = st.sChemin;
            return true;
        }
        if (!pstAutre)
            pstAutre = &st;
    }
    if (!pstAutre)
        return false;
    *psChemin = pstAutre->sChemin;
    return true;
}
