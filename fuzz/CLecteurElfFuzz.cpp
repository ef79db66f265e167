// Fuzz target of the ELF reader of zvinfoexe --check, a parser of files it did not make.
//
// The input is read as it is, then used to damage a well-formed image built here: its first
// byte picks the class, the byte order, whether section headers are kept and which hash table
// sizes the symbols; each following group of three bytes writes one byte (two bytes of offset
// into the image, then the value). Random inputs so reach the tables behind the header instead
// of stopping at the magic. Every image is read from a heap block of exactly its size, so that
// a read past the end is caught by the address sanitizer.
#include "tools/zvinfoexe/CLecteurElf.h"

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

// A little image writer of either class and byte order.
class CImage {
public:
    CImage(bool b64, bool bGros) : m_b64(b64), m_bGros(bGros) {}
    size_t nMot() const { return m_b64 ? 8 : 4; }
    void Ecrit(size_t o, uint64_t n, size_t nOctets)
    {
        if (m_ab.size() < o + nOctets)
            m_ab.resize(o + nOctets, 0);
        for (size_t i = 0; i < nOctets; ++i)
            m_ab[o + (m_bGros ? nOctets - 1 - i : i)] = static_cast<uint8_t>(n >> (8 * i));
    }
    void Mot(size_t o, uint64_t n) { Ecrit(o, n, nMot()); }
    size_t Ajoute(const void* p, size_t n)
    {
        const size_t o = m_ab.size();
        m_ab.insert(m_ab.end(), static_cast<const uint8_t*>(p), static_cast<const uint8_t*>(p) + n);
        return o;
    }
    void Aligne()
    {
        while (m_ab.size() % 8)
            m_ab.push_back(0);
    }
    size_t nTaille() const { return m_ab.size(); }
    std::vector<uint8_t>& ab() { return m_ab; }

private:
    bool m_b64, m_bGros;
    std::vector<uint8_t> m_ab;
};

const char gszChaines[] = "\0libzvfuzz.so\0libc.so.6\0$ORIGIN/lib\0libself.so\0bInitLibrary\0pQueryProxy\0cache\0";
enum { eNEEDED1 = 1, eNEEDED2 = 14, eRUNPATH = 24, eSONAME = 36, eINIT = 47, eQUERY = 60, eCACHE = 72 };

std::vector<uint8_t> Construit(uint8_t byChoix)
{
    const bool b64 = byChoix & 1, bGros = byChoix & 2, bSections = !(byChoix & 4), bGnu = byChoix & 8;
    CImage cl(b64, bGros);
    const size_t nEntete = b64 ? 64 : 52, nPh = b64 ? 56 : 32, nDyn = b64 ? 16 : 8, nSym = b64 ? 24 : 16,
                 nSh = b64 ? 64 : 40, w = cl.nMot();
    cl.ab().assign(nEntete + 2 * nPh, 0);
    cl.Aligne();
    const size_t oDyn = cl.nTaille();
    const size_t nEntreesDyn = 11;
    cl.ab().resize(oDyn + nEntreesDyn * nDyn, 0);
    const size_t oChaines = cl.Ajoute(gszChaines, sizeof(gszChaines));
    cl.Aligne();
    const size_t oSym = cl.nTaille();
    cl.ab().resize(oSym + 4 * nSym, 0);
    const uint32_t anNoms[4] = {0, eINIT, eQUERY, eCACHE};
    for (size_t i = 1; i < 4; ++i) {
        const size_t o = oSym + i * nSym;
        cl.Ecrit(o, anNoms[i], 4);
        const uint8_t byInfo = (1 << 4) | 2;  // global function
        const uint8_t byAutre = i == 3 ? 2 : 0; // the last one hidden
        cl.Ecrit(o + (b64 ? 4 : 12), byInfo, 1);
        cl.Ecrit(o + (b64 ? 5 : 13), byAutre, 1);
        cl.Ecrit(o + (b64 ? 6 : 14), 7, 2);
    }
    cl.Aligne();
    const size_t oHash = cl.nTaille();
    if (bGnu) {
        cl.Ecrit(oHash, 1, 4);       // buckets
        cl.Ecrit(oHash + 4, 1, 4);   // first symbol hashed
        cl.Ecrit(oHash + 8, 1, 4);   // bloom words
        cl.Ecrit(oHash + 12, 0, 4);  // shift
        cl.Mot(oHash + 16, ~uint64_t(0));
        cl.Ecrit(oHash + 16 + w, 1, 4);       // the bucket starts at symbol 1
        cl.Ecrit(oHash + 20 + w, 2, 4);       // chain: 1, 2, then 3 ends it
        cl.Ecrit(oHash + 24 + w, 4, 4);
        cl.Ecrit(oHash + 28 + w, 7, 4);
    } else {
        cl.Ecrit(oHash, 1, 4);
        cl.Ecrit(oHash + 4, 4, 4);
        cl.Ecrit(oHash + 8, 1, 4);
        for (size_t i = 0; i < 4; ++i)
            cl.Ecrit(oHash + 12 + 4 * i, i < 3 ? i + 1 : 0, 4);
    }
    cl.Aligne();
    const size_t oSh = bSections ? cl.nTaille() : 0;
    if (bSections) {
        cl.ab().resize(oSh + 3 * nSh, 0);
        const size_t oSym1 = oSh + nSh, oStr = oSh + 2 * nSh;
        cl.Ecrit(oSym1 + 4, 11, 4);  // SHT_DYNSYM
        cl.Mot(oSym1 + (b64 ? 24 : 16), oSym);
        cl.Mot(oSym1 + (b64 ? 32 : 20), 4 * nSym);
        cl.Ecrit(oSym1 + (b64 ? 40 : 24), 2, 4);
        cl.Mot(oSym1 + (b64 ? 56 : 36), nSym);
        cl.Ecrit(oStr + 4, 3, 4);  // SHT_STRTAB
        cl.Mot(oStr + (b64 ? 24 : 16), oChaines);
        cl.Mot(oStr + (b64 ? 32 : 20), sizeof(gszChaines));
    }
    const size_t nTotal = cl.nTaille();

    // Header.
    std::memcpy(cl.ab().data(), "\x7F" "ELF", 4);
    cl.ab()[4] = b64 ? 2 : 1;
    cl.ab()[5] = bGros ? 2 : 1;
    cl.ab()[6] = 1;
    cl.Ecrit(16, 3, 2);
    cl.Ecrit(18, b64 ? 62 : 3, 2);
    cl.Mot(b64 ? 32 : 28, nEntete);
    cl.Mot(b64 ? 40 : 32, oSh);
    cl.Ecrit(b64 ? 54 : 42, nPh, 2);
    cl.Ecrit(b64 ? 56 : 44, 2, 2);
    cl.Ecrit(b64 ? 58 : 46, nSh, 2);
    cl.Ecrit(b64 ? 60 : 48, bSections ? 3 : 0, 2);
    // Program headers: one load segment over the whole file at address 0, then the dynamic one.
    const size_t oPh = nEntete;
    cl.Ecrit(oPh, 1, 4);
    cl.Mot(oPh + (b64 ? 32 : 16), nTotal);
    cl.Ecrit(oPh + nPh, 2, 4);
    cl.Mot(oPh + nPh + (b64 ? 8 : 4), oDyn);
    cl.Mot(oPh + nPh + (b64 ? 16 : 8), oDyn);
    cl.Mot(oPh + nPh + (b64 ? 32 : 16), nEntreesDyn * nDyn);
    // Dynamic section.
    const uint64_t aEntrees[][2] = {
        {1, eNEEDED1}, {1, eNEEDED2}, {29, eRUNPATH}, {14, eSONAME}, {5, oChaines},
        {10, sizeof(gszChaines)}, {6, oSym}, {11, nSym}, {bGnu ? 0x6FFFFEF5u : 4u, oHash}, {0, 0},
    };
    for (size_t i = 0; i < sizeof(aEntrees) / sizeof(aEntrees[0]); ++i) {
        cl.Mot(oDyn + i * nDyn, aEntrees[i][0]);
        cl.Mot(oDyn + i * nDyn + w, aEntrees[i][1]);
    }
    return cl.ab();
}

void Lit(const std::vector<uint8_t>& ab, CLecteurElf* pcl, bool* pbOk)
{
    uint8_t* p = static_cast<uint8_t*>(std::malloc(ab.size() ? ab.size() : 1));
    if (!ab.empty())
        std::memcpy(p, ab.data(), ab.size());
    std::string sErreur;
    *pbOk = pcl->bLit(p, ab.size(), &sErreur);
    std::free(p);
    Verifie(*pbOk == sErreur.empty());
    if (*pbOk)
        Verifie(pcl->nClasse() == 1 || pcl->nClasse() == 2);
    (void)pcl->sDescription();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pbyData, size_t nSize)
{
    CLecteurElf cl;
    bool bOk = false;
    Lit(std::vector<uint8_t>(pbyData, pbyData + nSize), &cl, &bOk);

    const uint8_t byChoix = nSize ? pbyData[0] : 0;
    std::vector<uint8_t> ab = Construit(byChoix);
    // The intact image reads as built: the test of the builder as much as of the reader.
    Lit(ab, &cl, &bOk);
    Verifie(bOk && cl.asDependances().size() == 2 && cl.asDependances()[1] == "libc.so.6" &&
            cl.sRunpath() == "$ORIGIN/lib" && cl.sSoname() == "libself.so" && cl.bExporte("bInitLibrary") &&
            cl.bExporte("pQueryProxy") && !cl.bExporte("cache") && cl.bDynamique());
    for (size_t i = 1; i + 3 <= nSize; i += 3) {
        const size_t o = (size_t(pbyData[i]) << 8 | pbyData[i + 1]) % ab.size();
        ab[o] = pbyData[i + 2];
    }
    Lit(ab, &cl, &bOk);
    // Cut short at a place the input chooses.
    if (nSize >= 2) {
        ab.resize((size_t(pbyData[nSize - 1]) << 8 | pbyData[nSize - 2]) % (ab.size() + 1));
        Lit(ab, &cl, &bOk);
    }
    return 0;
}
