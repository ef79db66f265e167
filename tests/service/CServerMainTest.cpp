// CServerMain, CZVExeService and StopMyService in the test process: the semaphore, a start that fails, errors to the log.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "launcher/CmdLine.h"
#include "service/CServerMain.h"
#include "service/CSysLogCapture.h"
#include "service/CZVExeService.h"
#include "service/ServiceMain.h"
#include "support/TempDir.h"

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

TEST_F(CServerMainTest, SigtermHandlerOnlyRecordsTheRequestAndWakesTheMainLoopOnce)
{
    // Whatever runs, the handler leaves it to the main thread: it only posts the semaphore.
    gbArretDemande.store(0);
    SetTermHandler();
    signal(SIGTERM, SIG_DFL); // nothing else of this process may receive it
    TermHandler(SIGTERM);
    EXPECT_EQ(1, gbArretDemande.load());
    EXPECT_EQ(0u, static_cast<unsigned long>(hMainThread.load()));
    EXPECT_EQ(1, gpclServerMain->nArretsEnAttente());
    TermHandler(SIGTERM); // a second SIGTERM does nothing
    EXPECT_EQ(1, gpclServerMain->nArretsEnAttente());
    gpclServerMain->MainLoop();
    gbArretDemande.store(0);
}

// [SERVICE] of the execution parameters, as a test subclass reads it from a file of its own.
class CServeurParametres : public CServerMain {
public:
    using CServerMain::LitParametres;
};

TEST(CServerMainSettingsTest, ServiceSectionIsReadAndChecked)
{
    zvtest::TempDir clRep;
    ASSERT_TRUE(clRep.ok());
    const std::string sExe = clRep.path("app");
    struct Cas {
        const char* pszTexte; // the .ZX file; null: none
        bool bValide;
        const char* pszUser;  // "" when none
        const char* pszRep;
        int nCore;
    } acas[] = {
        {nullptr, true, "", "", 0},
        {"[FRAMEWORK]\nVMPATH=/x\n", true, "", "", 0},
        {"[service]\nuser=root\ndirectory=/var/lib/app\ncoredump=1\n", true, "root", "/var/lib/app", 1},
        {"[SERVICE]\nUSER=\nDIRECTORY=\nCOREDUMP=0\n", true, "", "", 0},
        {"[SERVICE]\nUSER=zv no such user\n", false, "", "", 0},
        {"[SERVICE]\nDIRECTORY=relative\n", false, "", "", 0},
        {"[SERVICE]\nCOREDUMP=2\n", false, "", "", 0},
    };
    for (const Cas& cas : acas) {
        SCOPED_TRACE(cas.pszTexte != nullptr ? cas.pszTexte : "no file");
        unlink((sExe + ".ZX").c_str());
        if (cas.pszTexte != nullptr)
            zvtest::WriteFile(sExe + ".ZX", cas.pszTexte);
        CServeurParametres cl;
        cl.pclGetCLogger()->bSetMode(eMODE_AUCUN, nullptr);
        cl.LitParametres(sExe.c_str());
        EXPECT_EQ(cas.bValide ? 1 : 0, cl.vbVerifieParametres());
        char szUser[gnTailleUtilisateurService] = "";
        char szRep[gnTailleRepService] = "";
        EXPECT_EQ(cas.pszUser[0] != '\0' ? 1 : 0, cl.vbGetServiceUser(szUser));
        EXPECT_STREQ(cas.pszUser, szUser);
        EXPECT_EQ(cas.pszRep[0] != '\0' ? 1 : 0, cl.vbGetOwnDirectory(szRep));
        EXPECT_STREQ(cas.pszRep, szRep);
        EXPECT_EQ(cas.nCore, cl.vbWithCoreDump());
    }
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
