// Tests of the component start and stop made for the runtime and of the image library hook, against the sample libraries.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <string>
#include <vector>

#include "launcher/ComponentFromVM.h"
#include "launcher/ImageLibrary.h"
#include "tests/launcher/ComponentTestDir.h"

namespace {

class ComponentHooksTest : public zvtest::ComponentTestDir {
protected:
    // Loads a copy of the sample library sVariante; its path in m_sChemin.
    HINSTANCE__* Charge(const std::string& sVariante, int nMode = RTLD_NOW)
    {
        m_sChemin = Rep(sVariante + "_" + std::to_string(++m_nCopies)) + "/lib.so";
        Copie(sVariante, m_sChemin);
        void* h = dlopen(m_sChemin.c_str(), nMode);
        EXPECT_NE(nullptr, h) << dlerror();
        return static_cast<HINSTANCE__*>(h);
    }

    std::string Ligne(const std::string& sAppel) const { return m_sChemin + "|" + sAppel; }

    // Stands for the runtime library's handle: the components only hand it on.
    HINSTANCE__* const m_hVM = reinterpret_cast<HINSTANCE__*>(&m_nCopies);
    std::string m_sChemin;
    int m_nCopies = 0;
};

TEST_F(ComponentHooksTest, InitPrefersInitDLLExAndFallsBackToInitDLL)
{
    const std::string sVM = P(m_hVM);
    struct Cas {
        const char* pszVariante;
        HINSTANCE__* hVM;
        bool bResultat;
        std::string sAppel;  // empty: nothing called
    } tabCas[] = {
        {"zvcomp", m_hVM, true, "InitDLLEx " + sVM + " 7 0"},
        // The component's refusal is handed back; "InitDLL" is not tried then.
        {"zvcomp", nullptr, false, "InitDLLEx " + P(nullptr) + " 7 0"},
        {"zvcomp_initdll", m_hVM, true, "InitDLL " + sVM},
        {"zvcomp_initdll", nullptr, false, "InitDLL " + P(nullptr)},
        {"zvcomp_minimal", m_hVM, false, ""},
    };
    for (const Cas& cas : tabCas) {
        SCOPED_TRACE(std::string(cas.pszVariante) + (cas.hVM ? "" : " (null runtime)"));
        HINSTANCE__* h = Charge(cas.pszVariante);
        Trace();
        EXPECT_EQ(cas.bResultat, bInitDLLFromVM(h, cas.hVM, 7));
        std::vector<std::string> tabAttendu;
        if (!cas.sAppel.empty())
            tabAttendu.push_back(Ligne(cas.sAppel));
        EXPECT_EQ(tabAttendu, Trace());
        dlclose(h);
    }

    // The two-handle form goes to "InitDLL" even when "InitDLLEx" exists.
    HINSTANCE__* h = Charge("zvcomp");
    Trace();
    EXPECT_TRUE(bInitDLLFromVM(h, m_hVM));
    EXPECT_EQ(std::vector<std::string>{Ligne("InitDLL " + sVM)}, Trace());
    dlclose(h);
}

TEST_F(ComponentHooksTest, TermDLLIsCalledWhenExported)
{
    HINSTANCE__* h = Charge("zvcomp");
    Trace();
    TermDLLFromVM(h, m_hVM);
    EXPECT_EQ(std::vector<std::string>{Ligne("TermDLL " + P(m_hVM))}, Trace());
    dlclose(h);

    h = Charge("zvcomp_minimal");
    Trace();
    TermDLLFromVM(h, m_hVM);
    EXPECT_TRUE(Trace().empty());
    dlclose(h);
}

TEST_F(ComponentHooksTest, ANullComponentHandleReachesNoGlobalLibrary)
{
    HINSTANCE__* hGlobal = Charge("zvcomp", RTLD_NOW | RTLD_GLOBAL);
    Trace();
    EXPECT_FALSE(bInitDLLFromVM(nullptr, m_hVM, 7));
    EXPECT_FALSE(bInitDLLFromVM(nullptr, m_hVM));
    TermDLLFromVM(nullptr, m_hVM);
    EXPECT_TRUE(Trace().empty());
    dlclose(hGlobal);
}

TEST_F(ComponentHooksTest, ImageLibraryKeepsItsFactoryUntilReleased)
{
    void* h = Charge("zvimg");  // the hook takes this reference over
    const std::string sChemin = m_sChemin;
    Trace();
    ASSERT_TRUE(IMG_bInit(h));
    const std::vector<std::string> tabInit = Trace();
    ASSERT_EQ(1u, tabInit.size());
    const std::string sPrefixe = Ligne("pclQueryIMGFactory ");
    ASSERT_EQ(0u, tabInit[0].rfind(sPrefixe, 0)) << tabInit[0];
    const std::string sFactory = tabInit[0].substr(sPrefixe.size());
    EXPECT_TRUE(bEstCharge(sChemin));

    EXPECT_TRUE(IMG_bRelease());
    EXPECT_EQ(std::vector<std::string>{Ligne("Factory release " + sFactory)}, Trace());
    EXPECT_FALSE(bEstCharge(sChemin));
    // Nothing held any more.
    EXPECT_TRUE(IMG_bRelease());
    EXPECT_TRUE(Trace().empty());
}

TEST_F(ComponentHooksTest, ImageLibraryWithoutFactoryIsUnloaded)
{
    void* h = Charge("zvimg_nofactory");
    EXPECT_FALSE(IMG_bInit(h));
    EXPECT_FALSE(bEstCharge(m_sChemin));
    EXPECT_TRUE(IMG_bRelease());
    EXPECT_FALSE(IMG_bInit(nullptr));
}

TEST_F(ComponentHooksTest, ASecondImageLibraryReleasesTheFirst)
{
    void* hA = Charge("zvimg");
    const std::string sA = m_sChemin;
    void* hB = Charge("zvimg");
    const std::string sB = m_sChemin;
    ASSERT_TRUE(IMG_bInit(hA));
    Trace();
    ASSERT_TRUE(IMG_bInit(hB));
    const std::vector<std::string> tab = Trace();
    ASSERT_EQ(2u, tab.size());
    EXPECT_EQ(0u, tab[0].rfind(sA + "|Factory release ", 0)) << tab[0];
    EXPECT_EQ(0u, tab[1].rfind(sB + "|pclQueryIMGFactory ", 0)) << tab[1];
    EXPECT_FALSE(bEstCharge(sA));
    EXPECT_TRUE(IMG_bRelease());
    EXPECT_FALSE(bEstCharge(sB));
}

}  // namespace
