// Tests of the message block built by zvtextpack: the generated and compiled sample
// block is walked as the message access walks it and every text is decoded back.
#include "tools/textpack/CMessageBlock.h"

#include "base/compress/CDataCompressor.h"
#include "tools/textpack/CTextPacker.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

// Generated at build time from tests/tools/data by the tool itself.
extern const unsigned char gabySampleBloc[];
extern const unsigned short gtabSampleTailles[];
extern const char gszSampleText[];

namespace {

std::string Lit(const std::string& strNom)
{
    std::ifstream f(std::string(ZV_TEXTPACK_SAMPLES) + "/" + strNom, std::ios::binary);
    std::ostringstream o;
    o << f.rdbuf();
    return o.str();
}

std::string Decode(const char* pszStocke)
{
    char* psz = CDataCompressor::s_pszDeCompress(pszStocke);
    EXPECT_NE(psz, nullptr);
    std::string s = psz != nullptr ? psz : "";
    std::free(psz);
    return s;
}

TEST(CMessageBlock, CompiledSampleBlockDecodesToItsSource)
{
    std::vector<CMessageBlock::_stMessage> vecMessages;
    std::string strErreur;
    ASSERT_TRUE(CMessageBlock::s_bLitSource(Lit("SampleMessages.txt"), vecMessages, &strErreur))
        << strErreur;
    ASSERT_EQ(vecMessages.size(), 8u);
    EXPECT_EQ(vecMessages[3].strTexte, "One file was skipped.\n\xa7\n%1$d files were skipped.");
    EXPECT_EQ(vecMessages[5].strTexte, "");
    EXPECT_EQ(vecMessages[6].strTexte, "Backslash \\ and raw bytes \x01\x02\x7f end");

    // The offsets as the message access computes them: 2 key bytes, text, terminator.
    const std::size_t nEntrees = vecMessages.size() + 2;
    std::vector<unsigned> vecOffsets(nEntrees, 0);
    EXPECT_EQ(gtabSampleTailles[0], 0);
    for (std::size_t v = 1; v < nEntrees; ++v)
        vecOffsets[v] = (vecOffsets[v - 1] + gtabSampleTailles[v] + 3) & 0xFFFF;

    auto Cle = [](unsigned nOffset) {
        return unsigned(gabySampleBloc[nOffset] * 255 + gabySampleBloc[nOffset + 1] - 256) & 0xFFFF;
    };
    auto Texte = [](unsigned nOffset) {
        return reinterpret_cast<const char*>(gabySampleBloc + nOffset + 2);
    };
    EXPECT_EQ(gabySampleBloc[0], 1);
    EXPECT_EQ(gabySampleBloc[1], 1);
    EXPECT_STREQ(Texte(0), "ZORVAN RES BLOC START");
    const unsigned nFin = vecOffsets[nEntrees - 1];
    EXPECT_EQ(gabySampleBloc[nFin], 0xFF);
    EXPECT_EQ(gabySampleBloc[nFin + 1], 0xFF);
    EXPECT_EQ(Cle(nFin), 65024u);
    EXPECT_STREQ(Texte(nFin), "ZORVAN RES BLOC STOP");

    for (std::size_t i = 0; i < vecMessages.size(); ++i) {
        SCOPED_TRACE("message " + std::to_string(vecMessages[i].nIdentifiant));
        const unsigned nOffset = vecOffsets[i + 1];
        EXPECT_EQ(Cle(nOffset), vecMessages[i].nIdentifiant);
        EXPECT_EQ(std::strlen(Texte(nOffset)), gtabSampleTailles[i + 2 < nEntrees ? i + 2 : 0])
            << "size table";
        EXPECT_EQ(Decode(Texte(nOffset)), vecMessages[i].strTexte);
    }

    // The compiled block is the one built in-process.
    std::string strBloc;
    std::vector<unsigned short> vecTailles;
    ASSERT_TRUE(CMessageBlock::s_bConstruit(vecMessages, strBloc, vecTailles, &strErreur));
    EXPECT_EQ(std::memcmp(strBloc.data(), gabySampleBloc, strBloc.size()), 0);
    EXPECT_EQ(std::memcmp(vecTailles.data(), gtabSampleTailles, vecTailles.size() * 2), 0);
}

TEST(CMessageBlock, CompiledSampleTextDecodesToTheFile)
{
    EXPECT_EQ(Decode(gszSampleText), Lit("SampleText.txt"));
}

TEST(CMessageBlock, SourceErrorsNameTheirLine)
{
    struct Row {
        const char* pszNom;
        std::string strSource;
        const char* pszErreur;
    };
    const Row rows[] = {
        {"no tab", "12 text\n", "line 1: expected"},
        {"not a number", "# c\n1a\ttext\n", "line 2: the identifier"},
        {"identifier 0", "0\tstart\n", "line 1: identifiers go"},
        {"stop marker identifier", "65024\tstop\n", "line 1: identifiers go"},
        {"too large", "9999999\tx\n", "line 1: the identifier"},
        {"not ascending", "5\ta\n\n5\tb\n", "line 3: identifier 5 does not follow 5"},
        {"unknown escape", "5\ta\\qb\n", "line 1: unknown escape"},
        {"short hex escape", "5\ta\\x4\n", "line 1: \\x needs"},
        {"zero byte escape", "5\ta\\x00\n", "line 1: \\x00"},
        {"lone backslash", "5\tab\\\n", "line 1: a lone backslash"},
        {"name not an identifier", "5 9lives\ta\n", "line 1: the name \"9lives\""},
        {"name with a dash", "5 a-b\ta\n", "line 1: the name \"a-b\""},
        {"empty name", "5 \ta\n", "line 1: the name \"\""},
        {"name given twice", "5 gnA\ta\n6 gnA\tb\n", "line 2: the name gnA is already given on line 1"},
        {"no identifier before the name", " gnA\ta\n", "line 1: the identifier"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.pszNom);
        std::vector<CMessageBlock::_stMessage> vec;
        std::string strErreur;
        EXPECT_FALSE(CMessageBlock::s_bLitSource(row.strSource, vec, &strErreur));
        EXPECT_EQ(strErreur.rfind(row.pszErreur, 0), 0u) << strErreur;
    }
}

TEST(CMessageBlock, NamedIdentifiersMakeAHeaderOfConstants)
{
    std::vector<CMessageBlock::_stMessage> vec;
    std::string strErreur;
    ASSERT_TRUE(CMessageBlock::s_bLitSource("4\tunnamed\n5689 gnMsgServiceNonDemarre\tThe service could not be started.\n"
                                            "28842 gnMsgModule\tModule: %1$s\n",
                                            vec, &strErreur))
        << strErreur;
    ASSERT_EQ(vec.size(), 3u);
    EXPECT_EQ(vec[1].nIdentifiant, 5689u);
    EXPECT_EQ(vec[1].strNom, "gnMsgServiceNonDemarre");
    EXPECT_EQ(vec[1].strTexte, "The service could not be started.");
    std::string strEntete;
    CMessageBlock::s_Noms(vec, "m.txt", strEntete);
    EXPECT_EQ(strEntete, "// Names of the built-in messages, generated by zvtextpack from m.txt: do not edit.\n"
                         "#pragma once\n\n"
                         "constexpr unsigned gnMsgServiceNonDemarre = 5689;\n"
                         "constexpr unsigned gnMsgModule = 28842;\n");
}

TEST(CMessageBlock, BlockOverSixteenBitOffsetsIsRefused)
{
    std::vector<CMessageBlock::_stMessage> vec;
    for (unsigned n = 1; n <= 40; ++n)
        vec.push_back({n, std::string(2000, '\x01'), int(n), std::string()});
    std::string strBloc, strErreur;
    std::vector<unsigned short> vecTailles;
    EXPECT_FALSE(CMessageBlock::s_bConstruit(vec, strBloc, vecTailles, &strErreur));
    EXPECT_NE(strErreur.find("65535"), std::string::npos);
}

} // namespace
