// Tests of the line checks of profile files: which lines the reader would not take as written, and why.
#include <gtest/gtest.h>

#include <string>

#include "base/settings/VerifProfil.h"

namespace {

std::vector<_stREMARQUEPROFIL> Verifie(const std::string& s, size_t nMax = 100)
{
    return vVerifieProfil(s.data(), s.size(), nMax);
}

TEST(VerifProfilTest, LinesTheReaderTakesRaiseNothing)
{
    EXPECT_TRUE(Verifie("").empty());
    EXPECT_TRUE(Verifie("[FRAMEWORK]\r\nVMPATH = /opt/vm\r\n  : comment\n\n   [Other]\nKEY\t=\n").empty());
    EXPECT_TRUE(Verifie("[A]\nx=1\n[B]\nx=2\n").empty());  // one key in two sections
    EXPECT_TRUE(Verifie("[A]\n;x=1\n;x=2\n").empty());     // meant as comments, harmless as keys
}

TEST(VerifProfilTest, EachKindOfLineTheReaderMisreads)
{
    struct Row {
        const char* pszTexte;
        unsigned nLigne;
        eREMARQUEPROFIL eRemarque;
        unsigned nAutre;
    } rows[] = {
        {"[FRAMEWORK]\nVMPATH /opt/vm\n", 2, eREMARQUE_SANS_EGAL, 0},
        {"[FRAMEWORK]\n# VMPATH is below\n", 2, eREMARQUE_COMMENTAIRE, 0},
        {"[FRAMEWORK\nVMPATH=/x\n", 1, eREMARQUE_ENTETE_OUVERTE, 0},
        {"VMPATH=/x\n[FRAMEWORK]\n", 1, eREMARQUE_HORS_SECTION, 0},
        {"[F]\nvmpath=/x\nVMPATH =/y\n", 3, eREMARQUE_CLE_DOUBLE, 2},
        {"[F]\nA=1\n\n[f]\nB=2\n", 4, eREMARQUE_SECTION_DOUBLE, 1},
        {"[F]\nA=1\0hidden\n", 2, eREMARQUE_NUL, 0},
        {"\xEF\xBB\xBF[FRAMEWORK]\nVMPATH=/x\n", 1, eREMARQUE_BOM, 0},
    };
    for (const Row& row : rows) {
        // The texts hold NUL bytes: their length is that of the literal.
        std::string s(row.pszTexte);
        if (row.eRemarque == eREMARQUE_NUL)
            s = std::string("[F]\nA=1\0hidden\n", 15);
        SCOPED_TRACE(s);
        const auto ast = Verifie(s);
        ASSERT_FALSE(ast.empty());
        EXPECT_EQ(row.nLigne, ast[0].nLigne);
        EXPECT_EQ(row.eRemarque, ast[0].eRemarque);
        EXPECT_EQ(row.nAutre, ast[0].nLigneAutre);
        EXPECT_NE(std::string::npos, sTexteRemarque(ast[0]).find("line " + std::to_string(row.nLigne) + ": '"));
    }
    // The byte-order mark also hides the header it precedes: its key is then outside a section.
    const auto ast = Verifie("\xEF\xBB\xBF[FRAMEWORK]\nVMPATH=/x\n");
    ASSERT_EQ(3u, ast.size());
    EXPECT_EQ(eREMARQUE_HORS_SECTION, ast[2].eRemarque);
}

TEST(VerifProfilTest, LongLinesAreCutAndRemarksBounded)
{
    const std::string sLongue(500, 'x');
    auto ast = Verifie("[A]\n" + sLongue + "\n");
    ASSERT_EQ(1u, ast.size());
    EXPECT_EQ(std::string(60, 'x') + "...", ast[0].sLigne);
    std::string s = "[A]\n";
    for (int i = 0; i < 10; ++i)
        s += "no equals sign\n";
    EXPECT_EQ(4u, Verifie(s, 4).size());
    EXPECT_TRUE(vVerifieProfil(nullptr, 5).empty());
}

}  // namespace
