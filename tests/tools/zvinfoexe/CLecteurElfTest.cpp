// Tests of the ELF reader: the build's own files, both ABIs, and every cut and damage of a real library.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tools/zvinfoexe/CLecteurElf.h"
#include "tools/zvinfoexe/ResolutionDependances.h"

namespace {

std::vector<unsigned char> Fichier(const std::string& s)
{
    std::vector<unsigned char> ab;
    EXPECT_TRUE(bLitDebutFichier(s, 1u << 30, &ab)) << s;
    return ab;
}

constexpr unsigned gnClasse = sizeof(void*) == 8 ? 2 : 1;
constexpr unsigned gnMachine = sizeof(void*) == 8 ? 62 : 3;

TEST(CLecteurElfTest, ReadsTheBuildsOwnFiles)
{
    CLecteurElf cl;
    std::string sErreur;
    // The stand-in runtime build that needs a library of its own, found beside it.
    std::vector<unsigned char> ab = Fichier(ZV_TEST_RUNTIME_EXTRA);
    ASSERT_TRUE(cl.bLit(ab.data(), ab.size(), &sErreur)) << sErreur;
    EXPECT_EQ(gnClasse, cl.nClasse());
    EXPECT_EQ(gnMachine, cl.nMachine());
    EXPECT_EQ(CLecteurElf::nTYPE_DYN, cl.nType());
    EXPECT_FALSE(cl.bInterpreteur());
    EXPECT_EQ("$ORIGIN", cl.sRunpath().empty() ? cl.sRpath() : cl.sRunpath());
    const auto& as = cl.asDependances();
    EXPECT_NE(as.end(), std::find(as.begin(), as.end(), "libzvvmextra.so"));
    for (const char* psz : {"bInitLibrary", "pQueryProxy", "TermLibrary", "KL_Run_Res", "KL_DonneZVL", "nKLEInitEx"})
        EXPECT_TRUE(cl.bExporte(psz)) << psz;
    // Only the entry points are exported: nothing of the private base library.
    EXPECT_FALSE(cl.bExporte("zvvm_extra_pret"));  // defined in the other library
    EXPECT_FALSE(cl.bExporte("_ZN8CTString3SetEPKc"));
    EXPECT_FALSE(cl.bExporte(""));

    ab = Fichier(ZV_TEST_ZVEXE);
    ASSERT_TRUE(cl.bLit(ab.data(), ab.size(), &sErreur)) << sErreur;
    EXPECT_TRUE(cl.bInterpreteur());
    EXPECT_NE(std::string::npos, cl.sDescription().find("program")) << cl.sDescription();
}

TEST(CLecteurElfTest, ReadsTheOtherClassAndByteOrderAsWell)
{
    // The committed seeds of the fuzz target: one library of each x86 ABI.
    for (const char* psz : {"libzvvmextra-i386.so", "libzvvmextra-x86_64.so"}) {
        SCOPED_TRACE(psz);
        const std::vector<unsigned char> ab = Fichier(std::string(ZV_TEST_ELF_SEEDS) + psz);
        CLecteurElf cl;
        std::string sErreur;
        ASSERT_TRUE(cl.bLit(ab.data(), ab.size(), &sErreur)) << sErreur;
        const bool b32 = std::string(psz).find("i386") != std::string::npos;
        EXPECT_EQ(b32 ? "32-bit i386" : "64-bit x86-64", cl.sAbi());
        EXPECT_EQ("libzvvmextra.so", cl.sSoname());
        EXPECT_TRUE(cl.bExporte("zvvm_extra_pret"));
        EXPECT_EQ("ELF " + cl.sAbi() + " shared object", cl.sDescription());
    }
    EXPECT_EQ("64-bit machine 4242", CLecteurElf::s_sAbi(2, 4242));
    EXPECT_EQ("32-bit AArch64", CLecteurElf::s_sAbi(1, 183));
}

TEST(CLecteurElfTest, EveryCutOfALibraryIsReadSafely)
{
    const std::vector<unsigned char> ab = Fichier(std::string(ZV_TEST_ELF_SEEDS) + "libzvvmextra-x86_64.so");
    CLecteurElf cl;
    std::string sErreur;
    size_t nRefusees = 0;
    for (size_t n = 0; n < ab.size(); n += (n < 128 ? 1 : 61)) {
        // A block of exactly n bytes, so that the address sanitizer sees a read past it.
        std::vector<unsigned char> abCoupe(ab.begin(), ab.begin() + static_cast<long>(n));
        const bool bOk = cl.bLit(abCoupe.data(), abCoupe.size(), &sErreur);
        EXPECT_EQ(bOk, sErreur.empty());
        nRefusees += bOk ? 0 : 1;
    }
    EXPECT_GT(nRefusees, 100u);
    EXPECT_FALSE(cl.bLit(nullptr, 100, &sErreur));
    EXPECT_EQ("not an ELF file", sErreur);
}

TEST(CLecteurElfTest, DamagedTablesAreNamed)
{
    const std::vector<unsigned char> abOrigine = Fichier(std::string(ZV_TEST_ELF_SEEDS) + "libzvvmextra-x86_64.so");
    struct Row {
        size_t nOffset;
        std::vector<unsigned char> abValeur;
        const char* pszErreur;
    } rows[] = {
        {4, {3}, "unknown ELF class 3"},
        {5, {0}, "unknown ELF byte order 0"},
        {32, {0xF0, 0xFF, 0xFF, 0x7F}, "program header table outside the file"},  // e_phoff
        {54, {55}, "program header entries of an unexpected size"},
        {40, {0xF0, 0xFF, 0xFF, 0x7F}, "section header table outside the file"},  // e_shoff
        {58, {63}, "section header entries of an unexpected size"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.pszErreur);
        std::vector<unsigned char> ab = abOrigine;
        std::copy(row.abValeur.begin(), row.abValeur.end(), ab.begin() + static_cast<long>(row.nOffset));
        CLecteurElf cl;
        std::string sErreur;
        EXPECT_FALSE(cl.bLit(ab.data(), ab.size(), &sErreur));
        EXPECT_EQ(row.pszErreur, sErreur);
    }
}

}  // namespace
