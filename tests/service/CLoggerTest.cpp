// CLogger: what each mode writes to the system log, read back from /dev/log.
#include <gtest/gtest.h>

#include <syslog.h>

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

#include "service/CLogger.h"
#include "service/CSysLogCapture.h"
#include "support/FaultInjection.h"
#include "support/TempDir.h"

namespace {

// Marks the end of what a case logged: whatever arrives before it is what the case wrote.
const char kszFin[] = "zvtest end of case";

class CLoggerSysLogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string sRaison;
        m_pcl = CSysLogCapture::s_pclGet(&sRaison);
        if (m_pcl == nullptr)
            GTEST_SKIP() << "system log tests skipped: " << sRaison;
        m_pcl->Vide();
    }

    // The lines logged before the end mark, which is sent now.
    std::vector<stLIGNELOG> Lignes()
    {
        syslog(LOG_INFO, "%s", kszFin);
        EXPECT_TRUE(m_pcl->bAttendTexte(kszFin, 10000));
        std::vector<stLIGNELOG> ast = m_pcl->Lignes();
        ast.pop_back();
        m_pcl->Vide();
        return ast;
    }

    CSysLogCapture* m_pcl = nullptr;
};

TEST_F(CLoggerSysLogTest, EachOperationWritesItsTextAtItsPriority)
{
    CLogger cl;
    cl.AddLog(ePRIORITY_CRIT, "x%d", 5);
    cl.AddLogEvent(ePRIORITY_WARNING, 12, "%s and %u", "text", 7u);
    const char* apszDetails[] = {"a", "b"};
    cl.AddLogDetail(ePRIORITY_ERR, 7, apszDetails, 2);
    const char* apszCompte[] = {"%d details"};
    cl.AddLogDetail(ePRIORITY_DEBUG, 7, apszCompte, 3);
    cl.AddLogDetail(ePRIORITY_DEBUG, 7, nullptr, 1);
    const char* apszNul[] = {nullptr};
    cl.AddLogDetail(ePRIORITY_DEBUG, 7, apszNul, 1);
    std::vector<stLIGNELOG> ast = Lignes();
    struct Attendu {
        int nPriorite;
        const char* pszTexte;
    } aAttendus[] = {{2, "x5"}, {4, "text and 7"}, {3, "a"}, {7, "3 details"}};
    ASSERT_EQ(sizeof(aAttendus) / sizeof(aAttendus[0]), ast.size());
    for (size_t i = 0; i < ast.size(); ++i) {
        EXPECT_EQ(aAttendus[i].nPriorite, ast[i].nPriorite) << i;
        EXPECT_EQ(aAttendus[i].pszTexte, ast[i].sTexte) << i;
        EXPECT_EQ(getpid(), ast[i].pid) << i;
        EXPECT_EQ(1, ast[i].nFacilite) << "no openlog: the user facility";
    }
}

TEST_F(CLoggerSysLogTest, SystemErrorAppendsTheErrorNumberAndItsText)
{
    CLogger cl;
    errno = ENOENT;
    cl.AddLogSystemError("open %s", "f");
    errno = EACCES;
    cl.AddLogSystemError("100%% %s", "%d%s%n");
    std::vector<stLIGNELOG> ast = Lignes();
    ASSERT_EQ(2u, ast.size());
    EXPECT_EQ(3, ast[0].nPriorite);
    EXPECT_EQ(std::string("open f , error 2, ") + std::strerror(ENOENT), ast[0].sTexte);
    // Percent signs of the formatted text stay text.
    EXPECT_EQ(std::string("100% %d%s%n , error 13, ") + std::strerror(EACCES), ast[1].sTexte);
}

TEST_F(CLoggerSysLogTest, FileModeWritesToItsFileAndModeZeroNowhere)
{
    zvtest::TempDir clRep;
    ASSERT_TRUE(clRep.ok());
    const std::string sFichier = clRep.path("a.log");
    CLogger cl;
    for (eMODE eMode : {eMODE_FICHIER, static_cast<eMODE>(9), eMODE_AUCUN}) {
        SCOPED_TRACE(static_cast<int>(eMode));
        unlink(sFichier.c_str());
        EXPECT_EQ(1, cl.bSetMode(eMode, sFichier.c_str()));
        cl.AddLog(ePRIORITY_CRIT, "x%d", 5);
        cl.AddLogEvent(ePRIORITY_CRIT, 1, "y");
        const char* apsz[] = {"z"};
        cl.AddLogDetail(ePRIORITY_CRIT, 1, apsz, 1);
        errno = ENOENT;
        cl.AddLogSystemError("w");
        EXPECT_TRUE(Lignes().empty());
        const std::string sTexte = zvtest::sReadFile(sFichier);
        EXPECT_EQ(eMode == eMODE_AUCUN ? 0 : 4, std::count(sTexte.begin(), sTexte.end(), '\n')) << sTexte;
    }
    EXPECT_EQ(1, cl.bSetMode(eMODE_SYSTEME));
    cl.AddLog(ePRIORITY_CRIT, "back");
    std::vector<stLIGNELOG> ast = Lignes();
    ASSERT_EQ(1u, ast.size());
    EXPECT_EQ("back", ast[0].sTexte);
}

// A line the file cannot take is never dropped: it goes to the system log, after one line that
// says why, once per run of failures. A file that refused a line is opened anew for the next.
TEST_F(CLoggerSysLogTest, LinesTheFileCannotTakeGoToTheSystemLogAfterOneLineSayingWhy)
{
    zvtest::TempDir clRep;
    ASSERT_TRUE(clRep.ok());
    const auto Verifie = [&](const std::vector<stLIGNELOG>& ast, const std::string& sFichier, int nErreur,
                             const std::vector<std::string>& asTextes) {
        ASSERT_EQ(asTextes.size() + 1, ast.size());
        EXPECT_EQ(LOG_ERR, ast[0].nPriorite);
        const std::string sDebut = "The log file " + sFichier + " cannot be written (error " + std::to_string(nErreur) + ": ";
        EXPECT_EQ(0u, ast[0].sTexte.rfind(sDebut, 0)) << ast[0].sTexte;
        for (size_t i = 0; i < asTextes.size(); ++i) {
            EXPECT_EQ(asTextes[i], ast[i + 1].sTexte);
            EXPECT_EQ(LOG_WARNING, ast[i + 1].nPriorite);
        }
    };

    // A path that cannot be opened (its folder does not exist).
    const std::string sAbsent = clRep.path("absent/app.log");
    CLogger cl;
    ASSERT_EQ(1, cl.bSetMode(eMODE_FICHIER, sAbsent.c_str()));
    cl.AddLog(ePRIORITY_WARNING, "one");
    cl.AddLog(ePRIORITY_WARNING, "two %d", 2);
    cl.AddLogEvent(ePRIORITY_WARNING, 5, "three");
    Verifie(Lignes(), sAbsent, ENOENT, {"one", "two 2", "three"});

    // A file that refuses its writes (a full disk), then takes them again.
    const std::string sFichier = clRep.path("app.log");
    ASSERT_EQ(1, cl.bSetMode(eMODE_FICHIER, sFichier.c_str()));
    cl.AddLog(ePRIORITY_WARNING, "before");
    {
        zvtest::FaultInjector clFautes;
        clFautes.Arm(zvtest::PlanForCalls(eSYS_WRITE, ENOSPC, true));
        cl.AddLog(ePRIORITY_WARNING, "full 1");
        cl.AddLog(ePRIORITY_WARNING, "full 2");
        EXPECT_GE(clFautes.nFired(), 2u);
    }
    Verifie(Lignes(), sFichier, ENOSPC, {"full 1", "full 2"});
    cl.AddLog(ePRIORITY_WARNING, "after");
    EXPECT_TRUE(Lignes().empty());
    const std::string sTexte = zvtest::sReadFile(sFichier);
    EXPECT_EQ(2, std::count(sTexte.begin(), sTexte.end(), '\n')) << sTexte;
    EXPECT_NE(std::string::npos, sTexte.find(": warning: before\n")) << sTexte;
    EXPECT_NE(std::string::npos, sTexte.find(": warning: after\n")) << sTexte;

    // A new run of failures says why again.
    ASSERT_EQ(1, cl.bSetMode(eMODE_FICHIER, sAbsent.c_str()));
    cl.AddLog(ePRIORITY_WARNING, "again");
    Verifie(Lignes(), sAbsent, ENOENT, {"again"});
}

TEST(CLoggerTest, ModeAndPathOwnership)
{
    CLogger cl;
    EXPECT_EQ(eMODE_SYSTEME, cl.eGetMode());
    EXPECT_EQ(nullptr, cl.pszGetFichier());

    char szChemin[] = "/tmp/a.log";
    EXPECT_EQ(1, cl.bSetMode(eMODE_FICHIER, szChemin));
    EXPECT_EQ(eMODE_FICHIER, cl.eGetMode());
    ASSERT_NE(nullptr, cl.pszGetFichier());
    EXPECT_NE(szChemin, cl.pszGetFichier()) << "a copy is kept";
    szChemin[1] = 'X';
    EXPECT_STREQ("/tmp/a.log", cl.pszGetFichier());

    EXPECT_EQ(1, cl.bSetMode(eMODE_FICHIER, static_cast<const char*>(nullptr)));
    EXPECT_EQ(nullptr, cl.pszGetFichier());
    EXPECT_EQ(1, cl.bSetMode(eMODE_AUCUN, "/tmp/b.log"));
    EXPECT_EQ(eMODE_AUCUN, cl.eGetMode());
    EXPECT_STREQ("/tmp/b.log", cl.pszGetFichier());
    EXPECT_EQ(1, cl.bSetMode(eMODE_SYSTEME));
    EXPECT_EQ(nullptr, cl.pszGetFichier());
}

TEST(CLoggerTest, InterfaceSlotOrderSeenByTheRuntime)
{
    // The runtime calls through the table: slot 0 bSetMode, 1 AddLog, 2 AddLogEvent, 3 AddLogDetail.
    CLogger cl;
    ILogger* pcl = &cl;
    using PFN_SETMODE = int (*)(ILogger*, eMODE, ...);
    void** ppTable = *reinterpret_cast<void***>(pcl);
    auto pfnSetMode = reinterpret_cast<PFN_SETMODE>(ppTable[0]);
    EXPECT_EQ(1, pfnSetMode(pcl, eMODE_FICHIER, "/tmp/slot.log"));
    EXPECT_STREQ("/tmp/slot.log", cl.pszGetFichier());
    EXPECT_EQ(1, pfnSetMode(pcl, eMODE_SYSTEME));
    EXPECT_EQ(nullptr, cl.pszGetFichier());
}

} // namespace
