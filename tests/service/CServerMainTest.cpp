// CServerMain, CZVExeService and StopMyService in the test process: the semaphore, a start that fails, errors to the log.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "launcher/CmdLine.h"
#include "service/CServerMain.h"
#include "service/CSysLogCapture.h"
#include "service/CZVExeService.h"
#include "service/ServiceMain.h"

namespace {

// The launcher's message when no runtime is found; the test program has none beside it.
const std::string gsMsgVMIntrouvable =
    "Impossible de trouver la librairie zv150vm.so.\r\nVerifiez que les librairies n\xE9"
    "cessaires au fonctionnement de l'ex\xE9"
    "cutable soient accessibles par le PATH.\r\nUnable to find zv150vm.so librairie.\r\n"
    "Check whether librairies used to operate the executable can be accessed by PATH.";

class CServerMainTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        gpclServerMain = new CServerMain;
        gpclServiceImp = gpclServerMain;
    }
    void TearDown() override
    {
        Term();
        EXPECT_EQ(nullptr, gpclServerMain);
        EXPECT_EQ(nullptr, gpclServiceImp);
    }
};

TEST_F(CServerMainTest, StopWithoutLauncherStillEndsTheMainLoop)
{
    EXPECT_FALSE(gpclServerMain->bLanceurActif());
    gpclServerMain->Stop();
    EXPECT_EQ(1, gpclServerMain->nArretsEnAttente());
    gpclServerMain->MainLoop(); // returns at once
    EXPECT_EQ(0, gpclServerMain->nArretsEnAttente());
}

TEST_F(CServerMainTest, OnlyStopCodeZeroEndsTheMainLoop)
{
    StopMyService(1);
    StopMyService(-1);
    EXPECT_EQ(0, gpclServerMain->nArretsEnAttente());
    StopMyService(0);
    EXPECT_EQ(1, gpclServerMain->nArretsEnAttente());
    gpclServerMain->MainLoop();
    EXPECT_EQ(0, gpclServerMain->nArretsEnAttente());
}

TEST_F(CServerMainTest, FailedStartLeavesNoLauncherAndPostsNothing)
{
    std::string sRaison;
    CSysLogCapture* pclLog = CSysLogCapture::s_pclGet(&sRaison);
    if (pclLog != nullptr)
        pclLog->Vide();
    EXPECT_EQ(0, gpclServerMain->bStart());
    EXPECT_FALSE(gpclServerMain->bLanceurActif());
    EXPECT_EQ(0, gpclServerMain->nArretsEnAttente());
    if (pclLog == nullptr)
        GTEST_SKIP() << "the logged error was not checked: " << sRaison;
    // The launcher's error went to the log at priority 2, as its text.
    EXPECT_TRUE(pclLog->bAttend(
        [](const stLIGNELOG& st) { return st.sTexte == gsMsgVMIntrouvable && st.nPriorite == 2; }, 10000));
}

TEST(CZVExeServiceTest, ErrorsGoToTheLogAsTextInServiceMode)
{
    std::string sRaison;
    CSysLogCapture* pclLog = CSysLogCapture::s_pclGet(&sRaison);
    if (pclLog == nullptr)
        GTEST_SKIP() << "system log tests skipped: " << sRaison;
    pclLog->Vide();
    CLogger clLogger;
    CZVExeService cl(1, nullptr, nullptr, "", &clLogger);
    // Percent signs of a message are no conversions.
    cl._vAfficheErreur("100% sure: %s%s%n");
    EXPECT_TRUE(pclLog->bAttend(
        [](const stLIGNELOG& st) { return st.sTexte == "100% sure: %s%s%n" && st.nPriorite == 2; }, 10000));
}

TEST(CZVExeServiceTest, WithoutTheServiceFlagErrorsGoToStandardError)
{
    CLogger clLogger;
    CZVExeService cl(0, nullptr, nullptr, "", &clLogger);
    testing::internal::CaptureStderr();
    cl._vAfficheErreur("interactive %s");
    EXPECT_EQ("interactive %s\n", testing::internal::GetCapturedStderr());
}

TEST(ServicePidPathTest, NamesThatFitAndNamesThatDoNot)
{
    struct Cas {
        std::string sNom;
        bool bOk;
        std::string sChemin;
    } acas[] = {
        {"abc", true, "/var/run/abc.pid"},
        {"", true, "/var/run/.pid"},
        {"two words", true, "/var/run/two words.pid"},
        {std::string(247, 'n'), true, "/var/run/" + std::string(247, 'n') + ".pid"},
        {std::string(248, 'n'), false, ""},
        {"../etc/passwd", false, ""},
        {"a/b", false, ""},
    };
    for (const Cas& cas : acas) {
        SCOPED_TRACE(cas.sNom);
        char szChemin[gnTailleCheminPid + 8];
        std::memset(szChemin, '#', sizeof(szChemin));
        EXPECT_EQ(cas.bOk, bCheminPid(cas.sNom.c_str(), szChemin));
        EXPECT_EQ(cas.sChemin, std::string(szChemin));
        for (size_t i = gnTailleCheminPid; i < sizeof(szChemin); ++i)
            EXPECT_EQ('#', szChemin[i]) << "written past the end at " << i;
    }
    EXPECT_EQ(260u, std::string("/var/run/" + std::string(247, 'n') + ".pid").size());
}

} // namespace
