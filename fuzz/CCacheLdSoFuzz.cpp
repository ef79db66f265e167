// Fuzz target of the reader of the loader's cache used by zvinfoexe --check.
//
// The input is read as it is, then used to damage a well-formed cache built here (optionally
// behind an old-format prefix): each group of three bytes writes one byte (two bytes of offset,
// then the value). Every cache is read from a heap block of exactly its size.
#include "tools/zvinfoexe/CCacheLdSo.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

void Verifie(bool b)
{
    if (!b)
        std::abort();
}

void Ecrit32(std::vector<uint8_t>& ab, size_t o, uint32_t n)
{
    for (int i = 0; i < 4; ++i)
        ab[o + i] = static_cast<uint8_t>(n >> (8 * i));
}

std::vector<uint8_t> Construit(bool bAncien)
{
    std::vector<uint8_t> ab;
    if (bAncien) {
        ab.assign(16 + 12, 0);  // one old entry, skipped
        std::memcpy(ab.data(), "ld.so-1.7.0", 11);
        Ecrit32(ab, 12, 1);
        ab.resize(32, 0);
    }
    const size_t oNouveau = ab.size();
    const char szChaines[] = "libz.so.1\0/lib/x86_64-linux-gnu/libz.so.1\0/lib/i386-linux-gnu/libz.so.1";
    const size_t nEntete = 48, nEntrees = 2;
    ab.resize(oNouveau + nEntete + nEntrees * 24, 0);
    std::memcpy(ab.data() + oNouveau, "glibc-ld.so.cache1.1", 20);
    Ecrit32(ab, oNouveau + 20, nEntrees);
    Ecrit32(ab, oNouveau + 24, sizeof(szChaines));
    const uint32_t oChaines = static_cast<uint32_t>(ab.size() - oNouveau);
    ab.insert(ab.end(), szChaines, szChaines + sizeof(szChaines));
    const uint32_t aDrapeaux[2] = {0x0303, 0x0003};
    const uint32_t aChemins[2] = {oChaines + 10, oChaines + 42};
    for (size_t i = 0; i < nEntrees; ++i) {
        const size_t o = oNouveau + nEntete + i * 24;
        Ecrit32(ab, o, aDrapeaux[i]);
        Ecrit32(ab, o + 4, oChaines);
        Ecrit32(ab, o + 8, aChemins[i]);
    }
    return ab;
}

void Lit(const std::vector<uint8_t>& ab)
{
    uint8_t* p = static_cast<uint8_t*>(std::malloc(ab.size() ? ab.size() : 1));
    if (!ab.empty())
        std::memcpy(p, ab.data(), ab.size());
    CCacheLdSo cl;
    const bool bOk = cl.bLit(p, ab.size());
    std::free(p);
    Verifie(bOk || cl.nEntrees() == 0);
    std::string s;
    for (unsigned nClasse : {1u, 2u}) {
        if (cl.bCherche("libz.so.1", nClasse, nClasse == 1 ? 3 : 62, &s))
            Verifie(bOk);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pbyData, size_t nSize)
{
    Lit(std::vector<uint8_t>(pbyData, pbyData + nSize));
    std::vector<uint8_t> ab = Construit(nSize && (pbyData[0] & 1));
    {
        CCacheLdSo cl;
        std::string s64, s32;
        Verifie(cl.bLit(ab.data(), ab.size()) && cl.bCherche("libz.so.1", 2, 62, &s64) &&
                cl.bCherche("libz.so.1", 1, 3, &s32) && s64 == "/lib/x86_64-linux-gnu/libz.so.1" &&
                s32 == "/lib/i386-linux-gnu/libz.so.1");
    }
    for (size_t i = 1; i + 3 <= nSize; i += 3)
        ab[(size_t(pbyData[i]) << 8 | pbyData[i + 1]) % ab.size()] = pbyData[i + 2];
    Lit(ab);
    if (nSize >= 2) {
        ab.resize(pbyData[nSize - 1] % (ab.size() + 1));
        Lit(ab);
    }
    return 0;
}
