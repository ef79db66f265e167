// Tests of the compact text decoder: digits, switches, escapes, capacity and corrupt input.
#include "base/compress/CDataCompressor.h"

#include "support/Sentinel.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

typedef CDataCompressor CDC;

// The two stored bytes of three digits.
std::string Paire(int d0, int d1, int d2)
{
    const int v = d0 * 1600 + d1 * 40 + d2;
    return std::string{char(v / 255 + 1), char(v % 255 + 1)};
}

// The stored text in a heap block of exactly its size, so that AddressSanitizer
// catches a read past the terminator.
std::unique_ptr<char[]> Exact(const std::string& s)
{
    std::unique_ptr<char[]> p(new char[s.size() + 1]);
    std::memcpy(p.get(), s.c_str(), s.size() + 1);
    return p;
}

struct Decode {
    int nResultat;
    int nTaille;
    std::string strTexte;
    bool bGardes;
};

// Decodes into a guarded buffer of the given capacity.
Decode Decompresse(const std::string& strStocke, int nCapacite)
{
    zvtest::SentinelBuffer<char> buf(std::size_t(nCapacite > 0 ? nCapacite : 0));
    auto pStocke = Exact(strStocke);
    int nTaille = nCapacite;
    Decode d;
    d.nResultat = CDC::s_nDeCompress(buf.data(), &nTaille, pStocke.get());
    d.nTaille = nTaille;
    if (nCapacite > 0) {
        const void* pNul = std::memchr(buf.data(), 0, std::size_t(nCapacite));
        EXPECT_NE(pNul, nullptr) << "no NUL inside the capacity";
        if (pNul != nullptr) {
            const std::size_t nLongueur = std::size_t(static_cast<const char*>(pNul) - buf.data());
            d.strTexte.assign(buf.data(), nLongueur);
            EXPECT_TRUE(buf.untouchedFrom(nLongueur + 1)) << "written past the NUL";
        }
    }
    d.bGardes = buf.guardsIntact();
    return d;
}

std::string Table(int t, int nDebut, int n)
{
    return std::string(reinterpret_cast<const char*>(CDC::pGetCharset(t)) + nDebut, std::size_t(n));
}

TEST(CDataCompressor, DigitsSwitchesAndOneShots)
{
    struct Row {
        const char* pszNom;
        std::string strStocke;
        std::string strAttendu;
    };
    const Row rows[] = {
        {"empty", "", ""},
        {"switch to table 0, two characters (bytes 27 100)", std::string("\x1b\x64"), Table(0, 0, 2)},
        {"one-shot then character", Paire(1, 8, 9), Table(1, 0, 1) + Table(0, 1, 1)},
        {"switch cancels the one-shot", Paire(1, 6, 8), Table(2, 0, 1)},
        {"switch persists across pairs", Paire(7, 8, 9) + Paire(10, 11, 12), Table(3, 0, 5)},
        {"lone last byte is one more digit", Paire(5, 10, 11) + char(12 + 1), Table(1, 2, 3)},
        {"one-shot into table 3 reaches its last entries", Paire(3, 39, 3) + Paire(38, 0, 0),
         Table(3, 31, 1) + Table(3, 30, 1)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.pszNom);
        const Decode d = Decompresse(row.strStocke, 64);
        EXPECT_EQ(d.nResultat, CDC::eDECOMP_COMPLET);
        EXPECT_EQ(d.strTexte, row.strAttendu);
        EXPECT_EQ(d.nTaille, int(row.strAttendu.size()));
        EXPECT_TRUE(d.bGardes);
    }
}

TEST(CDataCompressor, EscapesCopyStoredBytes)
{
    struct Row {
        const char* pszNom;
        std::string strStocke;
        std::string strAttendu;
    };
    const Row rows[] = {
        {"escape 38 in the first digit", Paire(7, 8, 0) + Paire(38, 0, 0) + "\x01" + Paire(4, 9, 0),
         Table(3, 0, 1) + "\x01" + Table(0, 1, 1)},
        {"escape 38 in the last digit", Paire(7, 8, 38) + "\x90", Table(3, 0, 1) + "\x90"},
        {"escape 39 with a count", Paire(7, 39, 5) + "\x03\x01\x02\x03" + Paire(9, 0, 0),
         std::string("\x01\x02\x03") + Table(3, 1, 1)},
        {"escape 39 of 255 bytes", Paire(7, 39, 0) + "\xff" + std::string(255, '\x81'),
         std::string(255, '\x81')},
        {"38 is a character outside table 3", Paire(4, 38, 39), Table(0, 30, 2)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.pszNom);
        const Decode d = Decompresse(row.strStocke, 300);
        EXPECT_EQ(d.nResultat, CDC::eDECOMP_COMPLET);
        EXPECT_EQ(d.strTexte, row.strAttendu);
        EXPECT_TRUE(d.bGardes);
    }
}

// Capacities below, at and above the decoded length; the length is reported in full.
TEST(CDataCompressor, CapacityBoundsEveryWrite)
{
    // Twelve characters: six from table 0, then three escaped bytes (38 twice, 39 once).
    const std::string strStocke = Paire(8, 9, 10) + Paire(11, 12, 13) + Paire(7, 38, 0) + "\x01" +
                                  Paire(38, 0, 0) + "\x02" + Paire(39, 0, 0) + "\x04\x03\x04\x05\x06";
    const std::string strComplet = Table(0, 0, 6) + "\x01\x02\x03\x04\x05\x06";
    ASSERT_EQ(strComplet.size(), 12u);
    for (int nCapacite : {0, 1, 2, 6, 7, 8, 11, 12, 13, 14, 40}) {
        SCOPED_TRACE("capacity " + std::to_string(nCapacite));
        const Decode d = Decompresse(strStocke, nCapacite);
        EXPECT_TRUE(d.bGardes);
        EXPECT_EQ(d.nTaille, 12);
        if (nCapacite > 12) {
            EXPECT_EQ(d.nResultat, CDC::eDECOMP_COMPLET);
            EXPECT_EQ(d.strTexte, strComplet);
        } else {
            EXPECT_EQ(d.nResultat, CDC::eDECOMP_COUPE);
            if (nCapacite > 0) {
                EXPECT_EQ(d.strTexte, strComplet.substr(0, std::size_t(nCapacite - 1)));
            }
        }
    }
    int nTaille = 5;
    EXPECT_EQ(CDC::s_nDeCompress(nullptr, &nTaille, strStocke.c_str()), CDC::eDECOMP_COUPE);
    EXPECT_EQ(nTaille, 12);
    EXPECT_EQ(CDC::s_nDeCompress(nullptr, nullptr, strStocke.c_str()), CDC::eDECOMP_CORROMPU);
}

// A corrupt stored text stops at its terminator with the outcome "corrupt"; what was
// decoded before the fault is kept.
TEST(CDataCompressor, CorruptTextsStopAtTheirEnd)
{
    struct Row {
        const char* pszNom;
        std::string strStocke;
        std::string strAvant;
    };
    const Row rows[] = {
        {"escape 38 without its byte", Paire(7, 8, 38), Table(3, 0, 1)},
        {"escape 39 without its count", Paire(7, 39, 0), ""},
        {"escape 39 counting past the end", Paire(7, 39, 0) + "\x05\x41\x42", "AB"},
        {"first digit 40", Paire(4, 8, 9) + "\xfc\xfb", Table(0, 0, 2)},
        {"lone last byte above 39", Paire(4, 8, 9) + "\x2a", Table(0, 0, 2)},
        {"lone last byte: escape with nothing after", Paire(7, 8, 9) + char(38 + 1), Table(3, 0, 2)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.pszNom);
        for (int nCapacite : {1, 2, 64}) {
            SCOPED_TRACE("capacity " + std::to_string(nCapacite));
            const Decode d = Decompresse(row.strStocke, nCapacite);
            EXPECT_EQ(d.nResultat, CDC::eDECOMP_CORROMPU);
            EXPECT_EQ(d.nTaille, int(row.strAvant.size()));
            EXPECT_EQ(d.strTexte, row.strAvant.substr(0, std::size_t(nCapacite - 1)));
            EXPECT_TRUE(d.bGardes);
        }
        auto pStocke = Exact(row.strStocke);
        EXPECT_EQ(CDC::s_pszDeCompress(pStocke.get()), nullptr);
    }
}

TEST(CDataCompressor, AllocatingDecoderFitsTheLargestExpansion)
{
    // Ten stored bytes, three characters each pair: 15 characters and the NUL.
    std::string strStocke;
    for (int i = 0; i < 5; ++i)
        strStocke += Paire(8 + i, 9 + i, 10 + i);
    ASSERT_EQ(strStocke.size(), 10u);
    auto pStocke = Exact(strStocke);
    char* psz = CDC::s_pszDeCompress(pStocke.get());
    ASSERT_NE(psz, nullptr);
    EXPECT_EQ(std::strlen(psz), 15u);
    std::free(psz);
    // Eleven: the lone byte adds one.
    pStocke = Exact(strStocke + char(20 + 1));
    psz = CDC::s_pszDeCompress(pStocke.get());
    ASSERT_NE(psz, nullptr);
    EXPECT_EQ(std::strlen(psz), 16u);
    std::free(psz);
    psz = CDC::s_pszDeCompress(nullptr);
    ASSERT_NE(psz, nullptr);
    EXPECT_STREQ(psz, "");
    std::free(psz);
}

TEST(CDataCompressor, EncoderHelpers)
{
    for (int t = 0; t < 4; ++t) {
        SCOPED_TRACE("table " + std::to_string(t));
        const unsigned char* pTable = CDC::pGetCharset(t);
        for (int i = 0; i < 32; ++i)
            EXPECT_EQ(CDC::_nGetValue(pTable[i], t), i + 8);
        int nAbsents = 0;
        for (int c = 0; c < 256; ++c)
            nAbsents += CDC::_nGetValue(static_cast<unsigned char>(c), t) < 0;
        EXPECT_EQ(nAbsents, 256 - 32);
    }
    EXPECT_EQ(CDC::_nGetValue('a', 4), -1);
    EXPECT_EQ(CDC::_nGetValue('a', -1), -1);

    const int anSwitch[][2] = {{0, 4}, {1, 5}, {2, 6}, {3, 7}, {4, 8}, {-1, 8}};
    for (const auto& row : anSwitch)
        EXPECT_EQ(CDC::_nGetCharsetSwitch(row[0]), row[1]) << row[0];
    const int anCharset[][2] = {{0, 0}, {3, 3}, {4, 0}, {6, 2}, {7, 3}, {8, -1}, {-1, -1}, {39, -1}};
    for (const auto& row : anCharset)
        EXPECT_EQ(CDC::_nGetCharset(row[0]), row[1]) << row[0];
}

} // namespace
