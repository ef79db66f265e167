// Tests of the dictionary method: known blocks, width steps, resets, full dictionary, round trips and corrupt blocks.
#include "base/compress/CZLWCompresseur.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "support/CompressSamples.h"
#include "support/Sentinel.h"
#include "support/ZLWReference.h"

namespace {

typedef std::vector<uint8_t> Octets;

// Block of an input through a fresh compressor, with a capacity of exactly
// dwTailleBufferCompression and a guard behind it.
Octets Compresse(const Octets& in)
{
    CZLWCompresseur cl;
    const uint32_t dwCapacite = cl.dwTailleBufferCompression(uint32_t(in.size()));
    zvtest::SentinelBuffer<uint8_t> buf(dwCapacite);
    const uint32_t n = cl.dwCompression(in.data(), uint32_t(in.size()), buf.data(), dwCapacite);
    EXPECT_TRUE(buf.guardsIntact());
    EXPECT_NE(n, 0u);
    EXPECT_LE(n, in.size() + 5);
    return Octets(buf.data(), buf.data() + n);
}

// Decompressed bytes into a guarded output of the given capacity; the result of the call.
uint32_t Decompresse(const Octets& bloc, uint32_t dwCapacite, Octets* pRes, bool* pbGardes)
{
    CZLWCompresseur cl;
    zvtest::SentinelBuffer<uint8_t> buf(dwCapacite);
    // The block in a heap area of exactly its size: a read past it is caught by ASan.
    std::vector<uint8_t> copie(bloc);
    const uint32_t n = cl.dwDecompression(copie.data(), uint32_t(copie.size()), buf.data(), dwCapacite);
    *pbGardes = buf.guardsIntact();
    pRes->assign(buf.data(), buf.data() + (n <= dwCapacite ? n : dwCapacite));
    return n;
}

// Codes packed least significant bit first behind a method-4 header.
struct Paquet {
    Octets ab = Octets(11, 0);
    uint64_t acc = 0;
    unsigned nb = 0;
    void Code(uint32_t c, unsigned nBits)
    {
        acc |= uint64_t(c) << nb;
        nb += nBits;
        while (nb >= 8) {
            ab.push_back(uint8_t(acc));
            acc >>= 8;
            nb -= 8;
        }
    }
    Octets Bloc(uint32_t dwTotal)
    {
        Octets r = ab;
        if (nb)
            r.push_back(uint8_t(acc));
        r[0] = 4;
        const uint32_t dwDonnees = uint32_t(r.size() - 11);
        std::memcpy(&r[1], &dwDonnees, 4);
        std::memcpy(&r[5], &dwTotal, 4);
        return r;
    }
};

// A sequence whose adjacent pairs are all distinct, bytes below nAlphabet.
Octets PairesDistinctes(size_t n, unsigned nAlphabet, uint64_t graine)
{
    zvtest::Alea a(graine);
    std::set<unsigned> vues;
    Octets v{uint8_t(a.Suivant() % nAlphabet)};
    while (v.size() < n) {
        const uint8_t b = uint8_t(a.Suivant() % nAlphabet);
        if (vues.insert(unsigned(v.back()) << 8 | b).second)
            v.push_back(b);
    }
    return v;
}

void VerifieAllerRetour(const Octets& in, const std::string& strNom)
{
    SCOPED_TRACE(strNom + ", " + std::to_string(in.size()) + " bytes");
    zvtest::ZLWReference ref;
    const Octets bloc = Compresse(in);
    // Code for code with the plain coder.
    ASSERT_EQ(bloc, ref.Compresse(in));
    Octets res;
    bool bGardes = false;
    ASSERT_EQ(Decompresse(bloc, uint32_t(in.size()), &res, &bGardes), in.size());
    EXPECT_TRUE(bGardes);
    ASSERT_TRUE(res == in);
}

TEST(CZLWCompresseur, VingtOctetsA)
{
    const Octets in(20, 'a');
    const Octets attendu = {0x04, 0x08, 0x00, 0x00, 0x00, 0x14, 0x00, 0x00, 0x00, 0x00,
                            0x00, 0x62, 0x04, 0x0E, 0x24, 0x58, 0xB0, 0x60, 0x40};
    EXPECT_EQ(Compresse(in), attendu);
    Octets res;
    bool bGardes = false;
    EXPECT_EQ(Decompresse(attendu, 20, &res, &bGardes), 20u);
    EXPECT_EQ(res, in);
    EXPECT_TRUE(bGardes);
}

TEST(CZLWCompresseur, EntreesCourtesStockees)
{
    for (uint32_t n : {0u, 1u, 5u, 19u}) {
        const Octets in(n, 'a');
        const Octets bloc = Compresse(in);
        ASSERT_EQ(bloc.size(), n + 5u);
        EXPECT_EQ(bloc[0], 0);
        uint32_t dw;
        std::memcpy(&dw, &bloc[1], 4);
        EXPECT_EQ(dw, n);
        EXPECT_TRUE(std::equal(in.begin(), in.end(), bloc.begin() + 5));
        Octets res;
        bool bGardes = false;
        EXPECT_EQ(Decompresse(bloc, n, &res, &bGardes), n);
        EXPECT_EQ(res, in);
    }
}

TEST(CZLWCompresseur, DonneesIncompressiblesStockees)
{
    for (size_t n : {20u, 21u, 100u, 4096u, 100000u}) {
        const Octets in = zvtest::Aleatoire(n, n);
        const Octets bloc = Compresse(in);
        ASSERT_EQ(bloc.size(), n + 5) << n;
        EXPECT_EQ(bloc[0], 0);
        EXPECT_TRUE(std::equal(in.begin(), in.end(), bloc.begin() + 5));
    }
}

// 300 literals whose pairs never repeat, then a run of one byte (so that the whole pays):
// codes 1 to 255 go out with 9 bits, the rest with 10 (the encoder widens right after it
// assigns 512, the decoder after it assigns 511). The run comes out as the strings of 1, 2,
// ... 60 bytes: the single byte, then codes 558 (300 entries after 258), 559, ...
TEST(CZLWCompresseur, PassageA10Bits)
{
    Octets in = PairesDistinctes(300, 200, 3);
    Paquet p;
    for (size_t i = 0; i < in.size(); ++i)
        p.Code(in[i] + 1u, i < 255 ? 9 : 10);
    p.Code(250 + 1, 10);
    for (uint32_t nLong = 2; nLong <= 60; ++nLong)
        p.Code(558 + nLong - 2, 10);
    p.Code(257, 10);
    in.insert(in.end(), 60 * 61 / 2, 250);
    const uint32_t n = uint32_t(in.size());
    const Octets attendu = p.Bloc(n);
    EXPECT_EQ(Compresse(in), attendu);
    Octets res;
    bool bGardes = false;
    EXPECT_EQ(Decompresse(attendu, n, &res, &bGardes), n);
    EXPECT_TRUE(res == in);

    // A decoder that widened one code late would read garbage from code 256 on.
    Paquet tard;
    for (size_t i = 0; i < 300; ++i)
        tard.Code(in[i] + 1u, i < 256 ? 9 : 10);
    tard.Code(257, 10);
    Octets resTard;
    const Octets debut(in.begin(), in.begin() + 300);
    EXPECT_TRUE(Decompresse(tard.Bloc(300), 300, &resTard, &bGardes) == 0 || resTard != debut);
}

// Hand-made streams: the code being defined (KwKwK), a reset and its return to 9 bits.
TEST(CZLWCompresseur, DecodageCodeSuivantEtRaz)
{
    Paquet p;
    p.Code('x' + 1, 9);   // x
    p.Code(258, 9);       // the code being defined: xx (258 = x x)
    p.Code(259, 9);       // 259 = xx x -> xxx
    p.Code(0, 9);         // reset
    p.Code('y' + 1, 9);   // y
    p.Code(258, 9);       // 258 redefined after the reset: yy
    p.Code(257, 9);
    Octets res;
    bool bGardes = false;
    EXPECT_EQ(Decompresse(p.Bloc(9), 9, &res, &bGardes), 9u);
    EXPECT_EQ(std::string(res.begin(), res.end()), "xxxxxxyyy");
    EXPECT_TRUE(bGardes);
}

// Resets wherever a code may stand: first, in a row, right before the end code; and the codes
// that must end the decoding after one.
TEST(CZLWCompresseur, DecodageSuitesDeRaz)
{
    struct Cas {
        const char* pszNom;
        std::vector<uint32_t> codes;  // all 9 bits wide: no width step is reached
        uint32_t dwDeclare;
        const char* pszAttendu;       // null: the block is refused
    };
    const Cas aCas[] = {
        {"reset first", {0, 'x' + 1, 'y' + 1, 257}, 2, "xy"},
        {"resets in a row", {'x' + 1, 0, 0, 0, 'y' + 1, 258, 257}, 4, "xyyy"},
        {"reset before the end code", {'x' + 1, 'y' + 1, 0, 257}, 2, "xy"},
        {"output complete: what follows is not read", {'x' + 1, 0, 258, 257}, 1, "x"},
        {"reset, then a string code", {'x' + 1, 0, 258, 257}, 3, nullptr},
        {"reset, then the end code early", {'x' + 1, 0, 257}, 2, nullptr},
        {"only resets and the end code, bytes declared", {0, 0, 257}, 1, nullptr},
    };
    for (const Cas& c : aCas) {
        Paquet p;
        for (uint32_t dwCode : c.codes)
            p.Code(dwCode, 9);
        Octets res;
        bool bGardes = false;
        const uint32_t dwLu = Decompresse(p.Bloc(c.dwDeclare), 64, &res, &bGardes);
        EXPECT_TRUE(bGardes) << c.pszNom;
        if (c.pszAttendu) {
            EXPECT_EQ(dwLu, c.dwDeclare) << c.pszNom;
            EXPECT_EQ(std::string(res.begin(), res.begin() + dwLu), c.pszAttendu) << c.pszNom;
        } else {
            EXPECT_EQ(dwLu, 0u) << c.pszNom;
        }
    }
}

// Insertions whose keys share one probe sequence: (q + 256 m, b - m) all start at the same
// slot. Codes q are two-byte strings made by a first run of literals with distinct pairs; the
// twelfth such insertion finds its 11 slots taken, and the encoder emits a reset.
TEST(CZLWCompresseur, RazApres11Collisions)
{
    Octets in = PairesDistinctes(3000, 200, 5);
    const Octets debut = in;
    in.push_back(255);  // separator: keeps the next string from extending the last literal
    const uint32_t j0 = 10;
    for (uint32_t m = 0; m < 12; ++m) {
        const uint32_t j = j0 + 256 * m;  // code 258 + j is the pair (x_j, x_j+1)
        in.push_back(debut[j]);
        in.push_back(debut[j + 1]);
        in.push_back(uint8_t(240 - m));
    }
    for (char c : std::string("the end of the input, after the reset"))
        in.push_back(uint8_t(c));
    // A run that makes the whole worth compressing.
    in.insert(in.end(), 20000, 250);

    const Octets bloc = Compresse(in);
    ASSERT_EQ(bloc[0], 4);
    zvtest::ZLWReference ref;
    bool ok = false;
    EXPECT_EQ(ref.Decompresse(bloc, &ok), in);
    EXPECT_TRUE(ok);
    EXPECT_EQ(ref.nRazLues, 1u);
    VerifieAllerRetour(in, "collisions");
}

// More than 65000 strings: bytes 0 and 1 at random fill the dictionary without a collision
// reset; it stays in use while the saving holds, and a stretch of random bytes, whose saving
// falls below the best, makes the encoder reset it.
TEST(CZLWCompresseur, DictionnairePlein)
{
    zvtest::Alea a(3);
    Octets in;
    for (size_t i = 0; i < (1u << 20); ++i)
        in.push_back(uint8_t(a.Suivant() & 1));
    {
        const Octets bloc = Compresse(in);
        ASSERT_EQ(bloc[0], 4);
        zvtest::ZLWReference ref;
        bool ok = false;
        EXPECT_TRUE(ref.Decompresse(bloc, &ok) == in);
        EXPECT_TRUE(ok);
        EXPECT_EQ(ref.dwCodeSuivantMax, 65536u);
        EXPECT_EQ(ref.nRazLues, 0u);
        VerifieAllerRetour(in, "full dictionary");
    }
    const Octets bruit = zvtest::Aleatoire(20000, 5);
    in.insert(in.end(), bruit.begin(), bruit.end());
    for (size_t i = 0; i < (1u << 18); ++i)
        in.push_back(uint8_t(a.Suivant() & 1));
    const Octets bloc = Compresse(in);
    zvtest::ZLWReference ref;
    bool ok = false;
    EXPECT_TRUE(ref.Decompresse(bloc, &ok) == in);
    EXPECT_TRUE(ok);
    EXPECT_GE(ref.nRazPlein, 1u);
    VerifieAllerRetour(in, "full dictionary, then noise");
}

TEST(CZLWCompresseur, AllerRetourFichiersDeLaMachine)
{
    const std::vector<zvtest::Sample> samples = zvtest::EchantillonsMachine();
    ASSERT_GE(samples.size(), 5u);
    for (const zvtest::Sample& s : samples)
        VerifieAllerRetour(s.abOctets, s.strNom);
}

TEST(CZLWCompresseur, AllerRetourToutesLongueurs)
{
    for (uint32_t n = 0; n < 600; ++n) {
        VerifieAllerRetour(zvtest::Aleatoire(n, n + 1), "random");
        // Four symbols: compressible, so method 4 from 20 bytes on.
        Octets v = zvtest::Aleatoire(n, n + 1000);
        for (uint8_t& b : v)
            b &= 3;
        VerifieAllerRetour(v, "four symbols");
    }
    for (uint32_t n : {1023u, 4096u, 65535u, 65536u, 65537u, 300001u})
        VerifieAllerRetour(zvtest::TextePseudo(n, n), "pseudo-text");
}

TEST(CZLWCompresseur, CapaciteDeSortie)
{
    const Octets in = zvtest::TextePseudo(5000, 9);
    const Octets bloc = Compresse(in);
    // Decompression: short, exact and larger capacities.
    for (uint32_t dwCapacite : {0u, 1u, 4999u, 5000u, 5001u, 8000u}) {
        Octets res;
        bool bGardes = false;
        const uint32_t n = Decompresse(bloc, dwCapacite, &res, &bGardes);
        EXPECT_TRUE(bGardes) << dwCapacite;
        if (dwCapacite < 5000) {
            EXPECT_EQ(n, 0u) << dwCapacite;
        } else {
            EXPECT_EQ(n, 5000u);
            EXPECT_TRUE(res == in);
        }
    }
    // Compression: a capacity below input + 7 is refused without a write.
    CZLWCompresseur cl;
    zvtest::SentinelBuffer<uint8_t> buf(5006);
    EXPECT_EQ(cl.dwCompression(in.data(), 5000, buf.data(), 5006), 0u);
    EXPECT_TRUE(buf.untouchedFrom(0));
    EXPECT_TRUE(buf.guardsIntact());
}

// Corrupt method-4 blocks: 0, and nothing written past the output.
TEST(CZLWCompresseur, BlocsCorrompus)
{
    const Octets in = zvtest::TextePseudo(20000, 4);
    const Octets bon = Compresse(in);
    ASSERT_EQ(bon[0], 4);

    struct Cas {
        const char* pszNom;
        Octets bloc;
    };
    std::vector<Cas> cas;
    // The input ends before the declared length (payload field kept, then made to agree).
    Octets tronque(bon.begin(), bon.begin() + long(bon.size() / 2));
    cas.push_back({"truncated input", tronque});
    Octets tronque2 = tronque;
    const uint32_t dwDonnees = uint32_t(tronque2.size() - 11);
    std::memcpy(&tronque2[1], &dwDonnees, 4);
    cas.push_back({"truncated payload", tronque2});
    cas.push_back({"header only", Octets(bon.begin(), bon.begin() + 11)});
    cas.push_back({"shorter than a header", Octets(bon.begin(), bon.begin() + 7)});
    // A code above the next code right after the first one.
    Paquet p;
    p.Code('a' + 1, 9);
    p.Code(300, 9);
    p.Code(257, 9);
    cas.push_back({"unknown code", p.Bloc(10)});
    // A first code that is not a single byte.
    Paquet p2;
    p2.Code(258, 9);
    p2.Code(257, 9);
    cas.push_back({"first code not a byte", p2.Bloc(2)});
    // The end code before the declared length.
    Paquet p3;
    p3.Code('a' + 1, 9);
    p3.Code('b' + 1, 9);
    p3.Code(257, 9);
    cas.push_back({"early end code", p3.Bloc(3)});
    // A string that would pass the declared length.
    Paquet p4;
    p4.Code('a' + 1, 9);
    p4.Code(258, 9);
    p4.Code(257, 9);
    cas.push_back({"string past the length", p4.Bloc(2)});
    Octets methode2 = bon;
    methode2[0] = 2;
    cas.push_back({"method 2", methode2});
    Octets methode7 = bon;
    methode7[0] = 7;
    cas.push_back({"method 7", methode7});
    // A stored block whose length passes its input.
    Octets copie = {0, 200, 0, 0, 0, 'a', 'b'};
    cas.push_back({"stored, short input", copie});

    for (const Cas& c : cas) {
        Octets res;
        bool bGardes = false;
        EXPECT_EQ(Decompresse(c.bloc, 20000, &res, &bGardes), 0u) << c.pszNom;
        EXPECT_TRUE(bGardes) << c.pszNom;
    }
}

TEST(CZLWCompresseur, BlocStockeCapaciteCourte)
{
    const Octets bloc = {0, 4, 0, 0, 0, 'a', 'b', 'c', 'd'};
    CZLWCompresseur cl;
    zvtest::SentinelBuffer<uint8_t> buf(3);
    EXPECT_EQ(cl.dwDecompression(bloc.data(), 9, buf.data(), 3), 0u);
    EXPECT_TRUE(buf.untouchedFrom(0));
    EXPECT_TRUE(buf.guardsIntact());
    zvtest::SentinelBuffer<uint8_t> juste(4);
    EXPECT_EQ(cl.dwDecompression(bloc.data(), 9, juste.data(), 4), 4u);
    EXPECT_EQ(std::memcmp(juste.data(), "abcd", 4), 0);
    EXPECT_TRUE(juste.guardsIntact());
}

TEST(CZLWCompresseur, TaillesLuesDansLEntete)
{
    CZLWCompresseur cl;
    struct Cas {
        Octets bloc;
        uint32_t dwEntree, dwDecompression;
    };
    const Cas cas[] = {
        {{4, 100, 0, 0, 0, 0x10, 0x27, 0, 0, 0, 0}, 111, 10000},
        {{2, 100, 0, 0, 0, 0x10, 0x27, 0, 0, 0, 0}, 111, 10000},
        {{0, 100, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 105, 100},
        {{7, 100, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 0xFFFFFFFF, 0xFFFFFFFF},
        // A payload length whose block length would wrap around 32 bits.
        {{4, 0xF8, 0xFF, 0xFF, 0xFF, 1, 0, 0, 0, 0, 0}, 0xFFFFFFFF, 1},
        {{0, 0xFC, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0}, 0xFFFFFFFF, 0xFFFFFFFC},
    };
    for (const Cas& c : cas) {
        EXPECT_EQ(cl.dwTailleEntree(c.bloc.data()), c.dwEntree);
        EXPECT_EQ(cl.dwTailleDecompression(c.bloc.data(), 11), c.dwDecompression);
    }
    // A block too short for its header has no size to give.
    const uint8_t abCourt[] = {4, 1, 0, 0, 0, 9};
    EXPECT_EQ(cl.dwTailleDecompression(abCourt, sizeof(abCourt)), 0xFFFFFFFFu);
    EXPECT_EQ(cl.dwTailleDecompression(abCourt, 0), 0xFFFFFFFFu);
    EXPECT_EQ(cl.dwTailleBufferCompression(100), 107u);
    EXPECT_EQ(cl.dwTailleBufferCompression(0xFFFFFFFFu), 0xFFFFFFFFu);
}

// One object used for encodings and decodings in turn keeps no state between them, whether
// the encoding ended as a stored block or not.
TEST(CZLWCompresseur, OperationsSuccessivesSurUnObjet)
{
    CZLWCompresseur cl;
    const Octets tab[] = {zvtest::Aleatoire(3000, 1), zvtest::TextePseudo(70000, 2), Octets(30, 'z'),
                          zvtest::Aleatoire(25, 3)};
    for (int tour = 0; tour < 2; ++tour) {
        for (const Octets& in : tab) {
            Octets bloc(in.size() + 7);
            const uint32_t n = cl.dwCompression(in.data(), uint32_t(in.size()), bloc.data(), uint32_t(bloc.size()));
            ASSERT_NE(n, 0u);
            bloc.resize(n);
            Octets res(in.size());
            ASSERT_EQ(cl.dwDecompression(bloc.data(), n, res.data(), uint32_t(res.size())), in.size());
            EXPECT_TRUE(res == in);
        }
    }
}

}  // namespace
