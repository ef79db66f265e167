// Tests of the runtime search run in this process: candidates, flags, long paths, initialisation, the component table.
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <string>

#include "launcher/InfoExe.h"
#include "launcher/RuntimeSearch.h"

namespace {

void Copie(const std::string& sSource, const std::string& sCible)
{
    std::ifstream in(sSource, std::ios::binary);
    std::ofstream out(sCible, std::ios::binary | std::ios::trunc);
    out << in.rdbuf();
    ASSERT_TRUE(in.good() && out.good()) << sSource;
}

class RuntimeSearchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.ok());
        m_sRacine = m_dir.dir();
        std::memset(&m_stInfo, 0, sizeof(m_stInfo));
        _stRECHERCHEFRAMEWORK* pst = pstRechercheFramework();
        pst->pstInfoExe = &m_stInfo;
        pst->clRepExe = (m_sRacine + "/").c_str();
        pst->clRepFramework.Vide();
    }

    void TearDown() override
    {
        pstRechercheFramework()->pstInfoExe = nullptr;
        pstRechercheFramework()->clRepExe.Vide();
        pstRechercheFramework()->clRepFramework.Vide();
    }

    zvtest::TempDir m_dir{"zvexe-search"};
    std::string m_sRacine;
    _stINFOEXE m_stInfo;
};

TEST_F(RuntimeSearchTest, FindsTheLibraryBesideTheExecutableAndRecordsItsDirectory)
{
    Copie(std::string(ZV_RUNTIME_DIR) + "zv150vm.so", m_sRacine + "/zv150vm.so");
    m_stInfo.bRechercheRestreinte = 1;
    void* h = hTrouveEtChargeVM("zv150vm.so", "");
    ASSERT_NE(nullptr, h);
    EXPECT_EQ(m_sRacine + "/", pstRechercheFramework()->clRepFramework.pszGet());
    dlclose(h);
}

TEST_F(RuntimeSearchTest, LibraryThatRefusesOrLacksItsInitialisationIsNotFound)
{
    for (const char* pszVariante : {"zv150vm_noinit", "zv150vm_initfails"}) {
        SCOPED_TRACE(pszVariante);
        Copie(std::string(ZV_RUNTIME_DIR) + pszVariante + ".so", m_sRacine + "/zv150vm.so");
        EXPECT_EQ(nullptr, hTrouveEtChargeVM("zv150vm.so", (m_sRacine + "/zv150vm.so").c_str()));
        EXPECT_TRUE(pstRechercheFramework()->clRepFramework.bEstVide());
    }
}

TEST_F(RuntimeSearchTest, CandidatesLongerThan260CharactersCountAsAbsent)
{
    // A directory whose path with "/zv150vm.so" makes 261 characters, holding the library.
    std::string sRep = m_sRacine + "/";
    sRep += std::string(261 - sRep.size() - std::strlen("/zv150vm.so"), 'd');
    ASSERT_EQ(0, mkdir(sRep.c_str(), 0755));
    Copie(std::string(ZV_RUNTIME_DIR) + "zv150vm.so", sRep + "/zv150vm.so");
    pstRechercheFramework()->clRepExe = (sRep + "/").c_str();
    m_stInfo.bRechercheRestreinte = 1;
    EXPECT_EQ(nullptr, hTrouveEtChargeVM("zv150vm.so", ""));

    // One character less fits.
    std::string sCourt = sRep.substr(0, sRep.size() - 1);
    ASSERT_EQ(0, rename(sRep.c_str(), sCourt.c_str()));
    pstRechercheFramework()->clRepExe = (sCourt + "/").c_str();
    void* h = hTrouveEtChargeVM("zv150vm.so", "");
    EXPECT_NE(nullptr, h);
    if (h)
        dlclose(h);
}

TEST_F(RuntimeSearchTest, CommonDirectoryOfTheStandardAndOfACustomName)
{
    char sz[261];
    ASSERT_TRUE(bConstruitCheminFrameworkCommun(sz, sizeof(sz), "ZV150VM.SO"));
    EXPECT_STREQ("/usr/local/NORVELL/lib/15.0/", sz);
    EXPECT_FALSE(bConstruitCheminFrameworkCommun(sz, 20, "zv150vm.so"));

    std::ofstream(m_sRacine + "/myvm.conf") << "[FRAMEWORK]\nCHEMIN=/opt/vm\n";
    ASSERT_TRUE(bConstruitCheminFrameworkCommun(sz, sizeof(sz), "myvm.so"));
    EXPECT_STREQ("/opt/vm", sz);
    ASSERT_TRUE(bConstruitCheminFrameworkCommun(sz, sizeof(sz), "other.so"));
    EXPECT_STREQ("", sz);
}

TEST(RuntimeStdDescTest, LooksUpTheComponentTables)
{
    struct Row {
        int nId;
        const char* pszNom;
        uint32_t dwFlags;
    } rows[] = {
        {0, "zv150vm.so", 0x21},   {10, "zv150com.so", 0x1}, {31, "zv150page.so", 0x40000001},
        {42, "zv150zip.so", 0x1}, {100, "obk1500as.so", 0x1}, {101, "obk1500as.so", 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.nId);
        const _stSTDDESC* pst = pstGetStdDesc(row.nId);
        ASSERT_NE(nullptr, pst);
        EXPECT_STREQ(row.pszNom, pst->pszNomFichier);
        EXPECT_EQ(row.dwFlags, pst->dwFlags);
    }
    EXPECT_EQ(nullptr, pstGetStdDesc(7));
    EXPECT_EQ(nullptr, pstGetStdDesc(-1));
}

}  // namespace
