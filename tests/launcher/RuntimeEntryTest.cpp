// Tests of the entry table: binding by name, forwarders and the parameter operations.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include "launcher/RuntimeEntry.h"
#include "tests/launcher/FakeRuntimeTrace.h"

namespace {

class RuntimeEntryTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        bInitVM(nullptr);
        if (m_h)
            dlclose(m_h);
    }

    _stTRACEVM* Bind(const char* pszLib)
    {
        m_h = dlopen(pszLib, RTLD_NOW);
        EXPECT_NE(nullptr, m_h) << dlerror();
        if (!m_h)
            return nullptr;
        EXPECT_TRUE(bInitVM(m_h));
        auto pfn = reinterpret_cast<PFN_pstTraceVM>(dlsym(m_h, "pstTraceVM"));
        return pfn ? pfn() : nullptr;
    }

    void* m_h = nullptr;
};

TEST_F(RuntimeEntryTest, BeforeBindingEverythingIsInert)
{
    bInitVM(nullptr);
    EXPECT_EQ(0, TermVM(0));
    EXPECT_EQ(0, TermVM(1));
    int nRetour = -5;
    EXPECT_FALSE(bRunExec(eMODEVM_NORMAL, "p", "", &nRetour));
    EXPECT_EQ(-5, nRetour);
    EXPECT_EQ(nullptr, piInitDLL("connue.so"));
    EXPECT_EQ(0, SetVersionActive(3));
}

TEST_F(RuntimeEntryTest, RuntimeWithoutExportsBindsAndRefusesEverything)
{
    Bind(ZV_TEST_VMVIDE);
    int nRetour = 0;
    EXPECT_FALSE(bRunExec(eMODEVM_NORMAL, "p", "", &nRetour));
    EXPECT_FALSE(bDonneZVL("app.zvl", 0));
    EXPECT_FALSE(bRunService("p", "", nullptr));
    EXPECT_FALSE(bListeZVL(nullptr, "x"));
    EXPECT_EQ(0, bInitRegistre("Software", "App"));
    EXPECT_EQ(0u, dwGetInformationVM(1));
    DonneRepDQ(".");  // no export: nothing happens
    EXPECT_EQ(0, TermVM(0));
}

TEST_F(RuntimeEntryTest, RunPassesOnlyTheLowByteOfTheMode)
{
    _stTRACEVM* pst = Bind(ZV_TEST_VMTRACE);
    ASSERT_NE(nullptr, pst);
    int nRetour = 0;
    EXPECT_TRUE(bRunExec(static_cast<eMODEVM>(261), "p", "", &nRetour));
    EXPECT_EQ(5u, pst->nModeRecu);
    EXPECT_EQ(7, nRetour);
}

TEST_F(RuntimeEntryTest, ParameterOperations)
{
    _stTRACEVM* pst = Bind(ZV_TEST_VMTRACE);
    ASSERT_NE(nullptr, pst);

    EXPECT_EQ(1, bInitRegistre("Software", "App"));
    EXPECT_EQ(1009, pst->nDernierCode);
    EXPECT_STREQ("Software\\App", pst->szTexte);

    // Refused by bListeDLL: "KL_SetParam" is not called.
    int nAvant = pst->nAppelsSetParam;
    EXPECT_EQ(nullptr, piInitDLL("inconnue.so"));
    EXPECT_EQ(1, pst->nAppelsListeDLL);
    EXPECT_EQ(nAvant, pst->nAppelsSetParam);
    // Accepted: code 1007 with 0, its result handed back as an address.
    EXPECT_EQ(reinterpret_cast<int*>(1234), piInitDLL("connue.so"));
    EXPECT_EQ(1007, pst->nDernierCode);
    EXPECT_EQ(0, pst->nDerniereValeur);

    SetVersionActive(-3);
    EXPECT_EQ(1028, pst->nDernierCode);
    EXPECT_EQ(-3, pst->nDerniereValeur);

    // TermVM(0): code 1012 with 0, its result returned, the library left loaded.
    EXPECT_EQ(55, TermVM(0));
    EXPECT_EQ(1012, pst->nDernierCode);
    EXPECT_EQ(0, pst->nDerniereValeur);
    EXPECT_EQ(pst, reinterpret_cast<PFN_pstTraceVM>(dlsym(m_h, "pstTraceVM"))());
}

}  // namespace
