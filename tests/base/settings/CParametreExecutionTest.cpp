// Tests of the execution parameters: naming the ".ZX" file, fallback reads, writes, refusals.
#include "base/settings/CParametreExecution.h"

#include "base/strings/StrMap.h"
#include "support/TempDir.h"
#include "support/Sentinel.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class ParametreExecution : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.ok());
        m_sDir = m_dir.dir();
        m_sExe = m_sDir + "/MyApp";
        ASSERT_TRUE(m_cl.Initialise(m_sExe.c_str()));
    }
    void WriteZX(const std::string& sText) { std::ofstream(m_sExe + ".ZX", std::ios::binary) << sText; }

    zvtest::TempDir m_dir{"zvparam"};
    std::string m_sDir, m_sExe;
    CParametreExecution m_cl;
};

TEST_F(ParametreExecution, InitialiseNamesTheFiles)
{
    CParametreExecution cl;
    ASSERT_TRUE(cl.Initialise("/opt/app/My-App.exe"));
    EXPECT_STREQ(cl.pszGetNomPhysiqueComplet(), "/opt/app/My-App.ZX");
    EXPECT_STREQ(cl.pszGetNomStandardApplication(), "My-App");
    char szMapped[261];
    STR_nMapStringEx(7, szMapped, sizeof szMapped, "My-App", -1, 1);
    EXPECT_STREQ(cl.pszGetNomApplication(), szMapped);
    EXPECT_STREQ(cl.pszGetNomApplication(), "MYAPP");
    EXPECT_STREQ(cl.pszGetCleCryptage(), "");
    EXPECT_EQ(cl.nGetVersion(), 4);
    EXPECT_EQ(cl.nGetCompatSince(), 1);
    EXPECT_EQ(cl.nGetDllNum(), 0);

    EXPECT_STREQ(m_cl.pszGetNomPhysiqueComplet(), (m_sExe + ".ZX").c_str());
    EXPECT_STREQ(m_cl.pszGetNomStandardApplication(), "MyApp");
}

TEST_F(ParametreExecution, MissingFileGivesDefaultsAndDirectoryIsNotAvailable)
{
    char sz[260] = "junk";
    EXPECT_EQ(m_cl.nLitChaineSection("FRAMEWORK", "VMPATH", "", sz, 260), 0);
    EXPECT_STREQ(sz, "");
    EXPECT_EQ(m_cl.nLitEntierSection("FRAMEWORK", "N", 7), 7);
    EXPECT_FALSE(m_cl.bDisponible());
    ASSERT_EQ(mkdir((m_sExe + ".ZX").c_str(), 0700), 0);
    EXPECT_FALSE(m_cl.bDisponible());
}

TEST_F(ParametreExecution, ReadsWithFallback)
{
    WriteZX("[FRAMEWORK]\nVMPATH = /opt/zv/zv150vm.so\n"
            "[LANG_FR]\nKEY1=\nN1 = 7\nM1 = -1886417009\n"
            "[GENERAL]\nKEY2 = general\nN2 = 9\n");
    EXPECT_TRUE(m_cl.bDisponible());
    char sz[64];
    EXPECT_EQ(m_cl.nLitChaineSection("FRAMEWORK", "VMPATH", "", sz, sizeof sz), 18);
    EXPECT_STREQ(sz, "/opt/zv/zv150vm.so");

    const struct {
        const char *s1, *k1;
        int expect;
        const char* text;
    } strings[] = {
        {"LANG_FR", "KEY1", 7, "general"},      // present but empty: falls back
        {"LANG_FR", "NONE", 7, "general"},      // absent: falls back
        {"FRAMEWORK", "VMPATH", 18, "/opt/zv/zv150vm.so"},
    };
    for (const auto& row : strings) {
        SCOPED_TRACE(row.k1);
        EXPECT_EQ(m_cl.nLitChaineSectionML(row.s1, row.k1, "GENERAL", "KEY2", "dflt", sz, sizeof sz), row.expect);
        EXPECT_STREQ(sz, row.text);
    }
    EXPECT_EQ(m_cl.nLitChaineSectionML("X", "A", "Y", "B", "dflt", sz, sizeof sz), 4);
    EXPECT_STREQ(sz, "dflt");

    const struct {
        const char* k1;
        int expect;
    } ints[] = {{"N1", 7}, {"NONE", 9}, {"M1", 9}};
    for (const auto& row : ints) {
        SCOPED_TRACE(row.k1);
        EXPECT_EQ(m_cl.nLitEntierSectionML("LANG_FR", row.k1, "GENERAL", "N2", 5), row.expect);
    }
    EXPECT_EQ(m_cl.nLitEntierSectionML("LANG_FR", "NONE", "GENERAL", "NONE", 5), 5);

    // Without sections the empty section name applies: a read lists the section names.
    EXPECT_EQ(m_cl.nLitChaine("KEY2", "", sz, sizeof sz), 29);
    EXPECT_STREQ(sz, "FRAMEWORK\r\nLANG_FR\r\nGENERAL\r\n");
}

TEST_F(ParametreExecution, WritesGoToTheParameterFile)
{
    EXPECT_TRUE(m_cl.bEcritChaineSection("FRAMEWORK", "VMPATH", "/x"));
    EXPECT_TRUE(m_cl.bEcritEntierSection("FRAMEWORK", "N", -12));
    EXPECT_TRUE(m_cl.bEcritChaine("K", "v"));
    EXPECT_TRUE(m_cl.bEcritEntier("I", 3));
    std::ifstream in(m_sExe + ".ZX");
    const std::string sText((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(sText, "[FRAMEWORK]\nVMPATH = /x\nN = -12\n[]\nK = v\nI = 3\n");
    EXPECT_EQ(m_cl.nLitEntierSection("FRAMEWORK", "N", 0), -12);
}

TEST_F(ParametreExecution, UnsetOrRefusedObjectReadsNothing)
{
    const std::string sLong = "/" + std::string(258, 'p');  // 259 characters: ".ZX" would not fit
    const std::string sTooLong = "/" + std::string(300, 'p');
    for (const char* pszPath : {static_cast<const char*>(nullptr), sLong.c_str(), sTooLong.c_str()}) {
        SCOPED_TRACE(pszPath ? std::strlen(pszPath) : 0);
        CParametreExecution cl;
        EXPECT_FALSE(cl.Initialise(pszPath));
        EXPECT_STREQ(cl.pszGetNomPhysiqueComplet(), "");
        zvtest::SentinelBuffer<char> buf(16);
        EXPECT_EQ(cl.nLitChaineSection("S", "K", "dflt", buf.data(), 16), 0);
        EXPECT_EQ(cl.nLitChaineSectionML("S", "K", "T", "L", "dflt", buf.data(), 16), 0);
        EXPECT_TRUE(buf.untouchedFrom(0));
        EXPECT_TRUE(buf.guardsIntact());
        EXPECT_EQ(cl.nLitEntierSection("S", "K", 5), 0);
        EXPECT_EQ(cl.nLitEntierSectionML("S", "K", "T", "L", 5), 0);
        EXPECT_FALSE(cl.bDisponible());
        EXPECT_FALSE(cl.bEcritChaineSection("S", "K", "V"));
    }
    // A re-initialisation that is refused unsets an object that was set.
    EXPECT_FALSE(m_cl.Initialise(sTooLong.c_str()));
    EXPECT_STREQ(m_cl.pszGetNomPhysiqueComplet(), "");
    // 257 characters: the ".ZX" name has exactly 260.
    CParametreExecution cl;
    const std::string sFits = "/" + std::string(256, 'p');
    EXPECT_TRUE(cl.Initialise(sFits.c_str()));
    EXPECT_EQ(std::strlen(cl.pszGetNomPhysiqueComplet()), 260u);
}

} // namespace
