// Tests of the compact text encoder: every text must decode back byte for byte.
#include "tools/textpack/CTextPacker.h"

#include "base/compress/CDataCompressor.h"
#include "support/Sentinel.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Encodes, checks the stored form, decodes into a guarded buffer of exact size and
// returns what came back.
std::string AllerRetour(const std::string& strTexte, std::size_t* pnStocke = nullptr)
{
    std::string strStocke, strErreur;
    EXPECT_TRUE(CTextPacker::s_bEncode(strTexte, strStocke, &strErreur)) << strErreur;
    EXPECT_EQ(strStocke.find('\0'), std::string::npos) << "a 0 byte in the stored form";
    if (pnStocke != nullptr)
        *pnStocke = strStocke.size();
    zvtest::SentinelBuffer<char> buf(strTexte.size() + 1);
    int nTaille = int(buf.size());
    EXPECT_EQ(CDataCompressor::s_nDeCompress(buf.data(), &nTaille, strStocke.c_str()),
              CDataCompressor::eDECOMP_COMPLET);
    EXPECT_TRUE(buf.guardsIntact());
    EXPECT_EQ(nTaille, int(strTexte.size()));
    return std::string(buf.data(), std::size_t(nTaille < 0 ? 0 : nTaille));
}

std::string Octet(int c)
{
    return std::string(1, char(c));
}

TEST(CTextPacker, EveryByteValueAloneInContextAndTogether)
{
    std::string strTous;
    for (int c = 1; c < 256; ++c) {
        SCOPED_TRACE("byte " + std::to_string(c));
        strTous += char(c);
        EXPECT_EQ(AllerRetour(Octet(c)), Octet(c));
        const std::string strContexte = "a" + Octet(c) + "B" + Octet(c) + Octet(c) + "\xe9";
        EXPECT_EQ(AllerRetour(strContexte), strContexte);
        // After table 3 became current, where 38 and 39 are escapes.
        const std::string strApresTable3 = "\xe9\xe8" + Octet(c) + "\xe9" + Octet(c);
        EXPECT_EQ(AllerRetour(strApresTable3), strApresTable3);
    }
    EXPECT_EQ(AllerRetour(strTous), strTous);
    std::string strInverse(strTous.rbegin(), strTous.rend());
    EXPECT_EQ(AllerRetour(strInverse), strInverse);
}

TEST(CTextPacker, LongRunsAndEscapedRunsPastOneCount)
{
    struct Row {
        const char* pszNom;
        std::string strTexte;
    };
    const Row rows[] = {
        {"lower case", std::string(1000, 'e')},
        {"upper case", std::string(1000, 'E')},
        {"digits", std::string(999, '7')},
        {"in no table, 255", std::string(255, '\x01')},
        {"in no table, 256", std::string(256, '\x01')},
        {"in no table, 600", std::string(600, '\x81')},
        {"table 3 last entries", std::string(300, '\xfc')},
        {"escaped runs between letters", "ab" + std::string(511, '\x02') + "cd" + std::string(257, '\x03')},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.pszNom);
        EXPECT_EQ(AllerRetour(row.strTexte), row.strTexte);
    }
}

// The text may end on any digit of a pair, and right after an escape.
TEST(CTextPacker, TextsEndingOnEveryDigitPosition)
{
    for (int n = 0; n <= 12; ++n) {
        SCOPED_TRACE("length " + std::to_string(n));
        const std::string strMinuscules(std::size_t(n), 'r');
        EXPECT_EQ(AllerRetour(strMinuscules), strMinuscules);
        const std::string strMelange = std::string(std::size_t(n), 'x') + "Q";
        EXPECT_EQ(AllerRetour(strMelange), strMelange);
        const std::string strEchappe = std::string(std::size_t(n), 'k') + "\x01";
        EXPECT_EQ(AllerRetour(strEchappe), strEchappe);
        const std::string strApres = "\x01" + std::string(std::size_t(n), 'k');
        EXPECT_EQ(AllerRetour(strApres), strApres);
    }
}

TEST(CTextPacker, RealisticTextsCompact)
{
    const char* const apszTextes[] = {
        "The file %1$s cannot be opened.",
        "The service %1$s could not start: %2$s",
        "Cannot write the pid file \"%1$s\" (error %2$d).",
        "One error was found.\n\xa7\n%1$d errors were found.",
        "Error report\r\n\tLevel: %1$d\r\n\tCode: 0x%2$08X\r\n",
        "Impossible d'ouvrir le fichier \xab %1$s \xbb : acc\xe8s refus\xe9.",
        "ZORVAN runtime library %1$s not found in /usr/local/NORVELL/lib/",
        "Debug information: [%1$s] {%2$s} <%3$s> 100% ~ done | ^ `",
        "",
    };
    for (const char* psz : apszTextes) {
        SCOPED_TRACE(psz);
        std::size_t nStocke = 0;
        EXPECT_EQ(AllerRetour(psz, &nStocke), psz);
        // Plain English: about two bytes for three characters.
        const std::string strTexte = psz;
        if (strTexte.rfind("The ", 0) == 0) {
            EXPECT_LE(double(nStocke), 0.8 * double(strTexte.size())) << nStocke;
        }
    }
}

// Pseudo-random texts of every byte but 0, from a fixed seed.
TEST(CTextPacker, PseudoRandomTexts)
{
    unsigned nGraine = 12345;
    for (int nEssai = 0; nEssai < 300; ++nEssai) {
        nGraine = nGraine * 1103515245u + 12345u;
        const std::size_t nLongueur = (nGraine >> 16) % 200;
        std::string s;
        for (std::size_t i = 0; i < nLongueur; ++i) {
            nGraine = nGraine * 1103515245u + 12345u;
            // Mostly letters, with bursts from the whole byte range.
            const unsigned v = (nGraine >> 16) & 0xFFFF;
            s += v % 4 == 0 ? char(v / 4 % 255 + 1) : char('a' + v % 26 - (v & 32 ? 32 : 0));
        }
        SCOPED_TRACE("trial " + std::to_string(nEssai));
        EXPECT_EQ(AllerRetour(s), s);
    }
}

TEST(CTextPacker, RefusesAZeroByte)
{
    std::string strStocke, strErreur;
    EXPECT_FALSE(CTextPacker::s_bEncode(std::string("ab\0cd", 5), strStocke, &strErreur));
    EXPECT_NE(strErreur.find("0 byte"), std::string::npos);
}

} // namespace
