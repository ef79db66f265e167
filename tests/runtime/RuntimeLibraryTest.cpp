// The runtime library loaded with the dynamic loader and driven through its exports as the launcher drives it.
#include <dlfcn.h>
#include <fcntl.h>
#include <pthread.h>
#include <semaphore.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "base/containers/CSimpleBuffer.h"
#include "base/errors/CXError.h"
#include "contract/RuntimeContract.h"
#include "contract/ILogger.h"

namespace {

template <typename T>
T LitOctets(const void* pObjet, std::size_t nOffset)
{
    T v;
    std::memcpy(&v, static_cast<const unsigned char*>(pObjet) + nOffset, sizeof v);
    return v;
}

// Offset in the running ABI: i386 value, x86-64 value.
constexpr std::size_t O(std::size_t n32, std::size_t n64)
{
    return sizeof(void*) == 4 ? n32 : n64;
}

// What the test callback saw of one error, read while the error was alive.
struct Recu {
    int32_t nNiveau;        // by layout
    uint32_t nCode;         // by layout
    std::string strUser;    // by layout
    std::string strDebug;   // by layout
    std::string strCaption; // by layout: the project
    std::string strModule;  // internal module name, by layout
    std::string strRapport; // StringDump of every section, by this module's code
    int nInfos;
};
std::vector<Recu> gvRecus;

int CallBackTest(const CXError* pcl, unsigned long, unsigned int)
{
    auto Texte = [pcl](std::size_t nOffset) {
        const char* psz = LitOctets<const char*>(pcl, nOffset);
        return std::string(psz ? psz : "");
    };
    gvRecus.push_back({LitOctets<int32_t>(pcl, O(8, 12)), LitOctets<uint32_t>(pcl, O(12, 16)), Texte(O(16, 20)),
                       Texte(O(20, 28)), Texte(O(105, 149)), Texte(O(121, 177)),
                       pcl->StringDump(XEI_ALL).pszGet(), static_cast<int>(pcl->nNumInfo())});
    return 0;
}

std::string Lit(const std::string& strChemin)
{
    std::ifstream f(strChemin, std::ios::binary);
    std::ostringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

void Ecrit(const std::string& strChemin, const std::string& strContenu)
{
    std::ofstream(strChemin, std::ios::binary) << strContenu;
}

// One build of the library, loaded from the build's runtime directory.
class CRuntimeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.ok());
        m_strDir = m_dir.dir();
        gvRecus.clear();
    }
    void TearDown() override
    {
        if (m_h != nullptr)
            dlclose(m_h);
    }

    void Charge(const char* pszFichier)
    {
        m_strLib = std::string(ZV_RUNTIME_DIR) + pszFichier;
        m_h = dlopen(m_strLib.c_str(), RTLD_NOW);
        ASSERT_NE(m_h, nullptr) << dlerror();
    }
    template <typename PFN>
    PFN Export(const char* pszNom)
    {
        return reinterpret_cast<PFN>(dlsym(m_h, pszNom));
    }

    // Loads, initialises and installs the callback, as the launcher's start-up does.
    void Demarre(const char* pszFichier = "zv150vm.so")
    {
        Charge(pszFichier);
        auto pfnInit = Export<PFN_bInitLibrary>("bInitLibrary");
        ASSERT_NE(pfnInit, nullptr);
        ASSERT_EQ(pfnInit(m_h), 1);
        auto pfnProxy = Export<PFN_pQueryProxy>("pQueryProxy");
        ASSERT_NE(pfnProxy, nullptr);
        IZVRuntimeProxy* pclProxy = pfnProxy(gnQueryProxyCode);
        ASSERT_NE(pclProxy, nullptr);
        pclProxy->vSetCallBackErreur(CallBackTest, 0, 0);
    }

    // Writes the script into the temporary directory and hands it over; returns its path.
    std::string DonneScript(const std::string& strScript, int nAttendu = 1)
    {
        const std::string strChemin = m_strDir + "/app.zvl";
        Ecrit(strChemin, strScript);
        EXPECT_EQ(Export<PFN_KL_DonneZVL>("KL_DonneZVL")(strChemin.c_str(), 0), nAttendu);
        return strChemin;
    }

    // Calls "KL_Run_Res" with standard output sent to a file; returns what was printed.
    std::string Run(unsigned int nMode, int* pnResultat, int* pnRetour, const char* pszCmd = "-a \"x y\" ")
    {
        const std::string strSortie = m_strDir + "/stdout.txt";
        std::fflush(stdout);
        const int fdSauve = dup(STDOUT_FILENO);
        const int fd = open(strSortie.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(fd, STDOUT_FILENO);
        close(fd);
        *pnResultat = Export<PFN_KL_Run_Res>("KL_Run_Res")(nMode, "invoice.zvp", pszCmd, pnRetour);
        dup2(fdSauve, STDOUT_FILENO);
        close(fdSauve);
        return Lit(strSortie);
    }

    void* m_h = nullptr;
    std::string m_strLib;
    zvtest::TempDir m_dir{"zvruntime"};
    std::string m_strDir;
};

TEST_F(CRuntimeTest, NormalLaunchPrintsReportsAndReturnsTheCode)
{
    Demarre();
    const std::string strScript = DonneScript("# greeting\n"
                                              "print Hello, 100% sure\r\n"
                                              "\n"
                                              "  printcmd\n"
                                              "printproject\n"
                                              "printdatadir\n"
                                              "printversion\n"
                                              "env ZV_RUNTIME_TEST_VAR\n"
                                              "error 4242 Disk full: %s %1$s\n"
                                              "exit -3\n"
                                              "print never\n");
    Export<PFN_KL_DonneREP>("KL_DonneREP")("/data/app");
    EXPECT_EQ(Export<PFN_KL_SetParam>("KL_SetParam")(eSETPARAM_VERSIONACTIVE, 27), 1);
    setenv("ZV_RUNTIME_TEST_VAR", "from the environment", 1);
    int nResultat = 0, nRetour = 0;
    EXPECT_EQ(Run(5, &nResultat, &nRetour),
              "Hello, 100% sure\n-a \"x y\" \ninvoice.zvp\n/data/app\n27\nfrom the environment\n");
    EXPECT_EQ(nResultat, 1);
    EXPECT_EQ(nRetour, -3);

    ASSERT_EQ(gvRecus.size(), 1u);
    const Recu& r = gvRecus[0];
    EXPECT_EQ(r.nNiveau, EL_USERERROR);
    EXPECT_EQ(r.nCode, 4242u);
    EXPECT_EQ(r.strUser, "Disk full: %s %1$s");
    EXPECT_EQ(r.strDebug, "Raised by the script " + strScript + ", line 9.");
    EXPECT_EQ(r.strCaption, "invoice.zvp");
    EXPECT_EQ(r.strModule, "zv150vm.so");
    EXPECT_EQ(r.nInfos, 2);
    EXPECT_NE(r.strRapport.find("Disk full: %s %1$s"), std::string::npos) << r.strRapport;
    EXPECT_NE(r.strRapport.find("EIT_SRCFILE : <" + strScript + ">"), std::string::npos) << r.strRapport;
    EXPECT_NE(r.strRapport.find("EIT_RECNUM : <9>"), std::string::npos) << r.strRapport;
    EXPECT_NE(r.strRapport.find("4242"), std::string::npos) << r.strRapport;

    EXPECT_EQ(Export<PFN_KL_SetParam>("KL_SetParam")(eSETPARAM_TERMVM, 0), 1);
    // Once ended, the runtime runs nothing more.
    EXPECT_EQ(Run(5, &nResultat, &nRetour), "");
    EXPECT_EQ(nResultat, 0);
    Export<PFN_TermLibrary>("TermLibrary")();
}

TEST_F(CRuntimeTest, ScriptFaultsAreReportedAndFailTheRun)
{
    struct Cas {
        std::string strScript;
        const char* pszAttendu;  // in the user message
        const char* pszSortie;   // printed before the fault
    };
    const Cas acas[] = {
        {"print a\nfrobnicate now\nprint b\n", "line 2: unknown command \"frobnicate\"", "a\n"},
        {"exit\n", "line 1: \"exit\" needs a return code", ""},
        {"exit 4294967296\n", "line 1: \"exit\" needs a return code", ""},
        {"exit 12abc\n", "line 1: \"exit\" needs a return code", ""},
        {"sleep -1\n", "line 1: \"sleep\" needs a duration", ""},
        {"error x text\n", "line 1: \"error\" needs a code", ""},
        {"printcmd extra\n", "line 1: \"printcmd\" takes no argument", ""},
        {"print " + std::string(5000, 'x') + "\n", "line 1: the line is longer than 4096 characters", ""},
        {std::string("print a\0b\n", 10), "line 1: the line holds a NUL byte", ""},
        {"log\n", "line 1: \"log\" needs a priority from 0 to 7", ""},
        {"log 8 text\n", "line 1: \"log\" needs a priority from 0 to 7", ""},
        {"log -1 text\n", "line 1: \"log\" needs a priority from 0 to 7", ""},
        {"log high text\n", "line 1: \"log\" needs a priority from 0 to 7", ""},
        {"logevent 3\n", "line 1: \"logevent\" needs a priority from 0 to 7, an event", ""},
        {"logevent 3 2147483648 x\n", "line 1: \"logevent\" needs a priority from 0 to 7, an event", ""},
        {"stopservice\n", "line 1: \"stopservice\" needs a code", ""},
        {"stopservice zero\n", "line 1: \"stopservice\" needs a code", ""},
        {"busy 3600001\n", "line 1: \"busy\" needs a duration", ""},
    };
    Demarre();
    for (const Cas& c : acas) {
        SCOPED_TRACE(c.pszAttendu);
        gvRecus.clear();
        DonneScript(c.strScript);
        int nResultat = 7, nRetour = 99;
        EXPECT_EQ(Run(5, &nResultat, &nRetour), c.pszSortie);
        EXPECT_EQ(nResultat, 0);
        EXPECT_EQ(nRetour, 99);
        ASSERT_EQ(gvRecus.size(), 1u);
        EXPECT_NE(gvRecus[0].strUser.find(c.pszAttendu), std::string::npos) << gvRecus[0].strUser;
        EXPECT_EQ(gvRecus[0].nNiveau, EL_USERERROR);
    }
}

TEST_F(CRuntimeTest, FailModeAndVanishedScriptFailTheRun)
{
    Demarre();
    const std::string strScript = DonneScript("print before\nfail\nprint after\n");
    int nResultat = 0, nRetour = 99;
    EXPECT_EQ(Run(5, &nResultat, &nRetour), "before\n");
    EXPECT_EQ(nResultat, 0);
    EXPECT_EQ(nRetour, 99);
    EXPECT_TRUE(gvRecus.empty());  // `fail` is the project's own verdict, not a fault

    // Only the low byte reaches the runtime from the launcher; anything but 5 is refused.
    EXPECT_EQ(Run(6, &nResultat, &nRetour), "");
    EXPECT_EQ(nResultat, 0);
    ASSERT_EQ(gvRecus.size(), 1u);
    EXPECT_NE(gvRecus[0].strUser.find("execution mode 6"), std::string::npos);

    // The file accepted earlier has gone by the time the project runs.
    gvRecus.clear();
    unlink(strScript.c_str());
    EXPECT_EQ(Run(5, &nResultat, &nRetour), "");
    EXPECT_EQ(nResultat, 0);
    ASSERT_EQ(gvRecus.size(), 1u);
    EXPECT_NE(gvRecus[0].strUser.find("cannot be opened"), std::string::npos);
    EXPECT_NE(gvRecus[0].strRapport.find(std::strerror(ENOENT)), std::string::npos);

    // A null return-code address is not written through.
    DonneScript("exit 3\n");
    EXPECT_EQ(Run(5, &nResultat, nullptr), "");
    EXPECT_EQ(nResultat, 1);
}

TEST_F(CRuntimeTest, ApplicationLibraryIsFoundOrRefused)
{
    Demarre();
    auto pfnZVL = Export<PFN_KL_DonneZVL>("KL_DonneZVL");
    const std::string strScript = DonneScript("exit 5\n");
    EXPECT_EQ(pfnZVL((m_strDir + "/missing.zvl").c_str(), 0), 0);
    EXPECT_EQ(pfnZVL(m_strDir.c_str(), 0), 0);  // a directory
    EXPECT_EQ(pfnZVL(nullptr, 0), 0);
    EXPECT_EQ(pfnZVL("", 0), 0);
    EXPECT_EQ(pfnZVL(strScript.c_str(), -1), 0);
    EXPECT_EQ(pfnZVL(strScript.c_str(), 8), 0);  // past the end of the 7-byte file
    // A refusal forgets the library accepted before.
    int nResultat = 1, nRetour = 0;
    EXPECT_EQ(Run(5, &nResultat, &nRetour), "");
    EXPECT_EQ(nResultat, 0);

    // A bare name lies next to the running executable.
    char szExe[4097] = {};
    ASSERT_GT(readlink("/proc/self/exe", szExe, sizeof szExe - 1), 0);
    const std::string strNom = "zvruntime_" + std::to_string(getpid()) + ".zvl";
    const std::string strVoisin = std::string(szExe).substr(0, std::string(szExe).rfind('/') + 1) + strNom;
    Ecrit(strVoisin, "exit 11\n");
    EXPECT_EQ(pfnZVL(strNom.c_str(), 0), 1);
    EXPECT_EQ(Run(5, &nResultat, &nRetour), "");
    unlink(strVoisin.c_str());
    EXPECT_EQ(nResultat, 1);
    EXPECT_EQ(nRetour, 11);

    // The position is the byte where the script starts inside the file.
    Ecrit(m_strDir + "/packed.zvl", "\x7f" "ELF junk\nexit 9\n");
    EXPECT_EQ(pfnZVL((m_strDir + "\\packed.zvl").c_str(), 9), 1);
    EXPECT_EQ(Run(5, &nResultat, &nRetour), "");
    EXPECT_EQ(nRetour, 9);
}

TEST_F(CRuntimeTest, ListsAndQueries)
{
    Demarre();
    EXPECT_EQ(Export<PFN_pQueryProxy>("pQueryProxy")(99), nullptr);
    auto pfnDLL = Export<PFN_KL_ListeDLL>("KL_ListeDLL");
    auto pfnZVL = Export<PFN_KL_ListeZVL>("KL_ListeZVL");
    CSimpleBuffer cl;
    EXPECT_EQ(pfnZVL(&cl, nullptr), 0);  // nothing accepted yet
    EXPECT_EQ(pfnDLL(nullptr, "ZV150VM.SO"), 1);
    EXPECT_EQ(pfnDLL(nullptr, "zv150sql.so"), 0);
    ASSERT_EQ(pfnDLL(&cl, ""), 1);
    EXPECT_EQ(std::string(static_cast<const char*>(cl.pGetData()), cl.dwGetSize()), std::string("zv150vm.so\0", 12));
    const std::string strScript = DonneScript("exit 0\n");
    ASSERT_EQ(pfnZVL(&cl, nullptr), 1);
    EXPECT_EQ(std::string(static_cast<const char*>(cl.pGetData()), cl.dwGetSize()), strScript + std::string(2, '\0'));
    EXPECT_EQ(Export<PFN_KL_TestEx>("KL_TestEx")(5, "invoice.zvp", 0), 1);
    EXPECT_EQ(Export<PFN_KL_SetParam>("KL_SetParam")(eSETPARAM_INFOLDAP, 0), 0);
}

sem_t gstFin;
void StopTest(int)
{
    sem_post(&gstFin);
}

TEST_F(CRuntimeTest, ServiceRunsOnItsOwnThreadAndStops)
{
    Demarre();
    ASSERT_EQ(sem_init(&gstFin, 0, 0), 0);
    auto pfnRun = Export<PFN_KL_Run_Service>("KL_Run_Service");
    auto pfnTerm = Export<PFN_KL_Term_Service>("KL_Term_Service");
    EXPECT_EQ(pfnRun("svc", "", StopTest, 0), 0);  // no application library yet

    // Ending by itself, it calls the stop callback.
    DonneScript("exit 0\n");
    ASSERT_EQ(pfnRun("svc", "", StopTest, 0), 1);
    EXPECT_EQ(sem_wait(&gstFin), 0);
    EXPECT_EQ(pfnTerm(0), 1);
    EXPECT_EQ(pfnTerm(0), 0);

    // Told to stop during an hour-long wait, it ends at once and does not call back.
    DonneScript("sleep 3600000\nprint never\n");
    ASSERT_EQ(pfnRun("svc", "", StopTest, 0), 1);
    EXPECT_EQ(pfnRun("svc", "", StopTest, 0), 0);  // one service at a time
    EXPECT_EQ(pfnTerm(0), 1);
    EXPECT_EQ(sem_trywait(&gstFin), -1);

    // Left running, it is stopped by TermLibrary before the library goes away.
    ASSERT_EQ(pfnRun("svc", "", StopTest, 0), 1);
    Export<PFN_TermLibrary>("TermLibrary")();
    EXPECT_EQ(pfnTerm(0), 0);
    sem_destroy(&gstFin);
}

TEST_F(CRuntimeTest, VariantsLackOrRefuse)
{
    Charge("zv150vm_noinit.so");
    EXPECT_EQ(Export<void*>("bInitLibrary"), nullptr);
    EXPECT_NE(Export<void*>("pQueryProxy"), nullptr);
    dlclose(m_h);

    Charge("zv150vm_initfails.so");
    ASSERT_NE(Export<PFN_bInitLibrary>("bInitLibrary"), nullptr);
    EXPECT_EQ(Export<PFN_bInitLibrary>("bInitLibrary")(m_h), 0);
    dlclose(m_h);

    Charge("zv150vm_noproxy.so");
    EXPECT_EQ(Export<void*>("pQueryProxy"), nullptr);
    EXPECT_NE(Export<void*>("KL_Run_Res"), nullptr);
    dlclose(m_h);

    Charge("zv150vm_nullproxy.so");
    ASSERT_NE(Export<PFN_pQueryProxy>("pQueryProxy"), nullptr);
    EXPECT_EQ(Export<PFN_pQueryProxy>("pQueryProxy")(gnQueryProxyCode), nullptr);
    dlclose(m_h);

    Charge("zv150vm_noentries.so");
    for (const char* psz : gapszRuntimeEntryNames)
        EXPECT_EQ(Export<void*>(psz), nullptr) << psz;
    EXPECT_NE(Export<void*>("TermLibrary"), nullptr);
    dlclose(m_h);

    m_h = nullptr;
    Demarre("zv150vm_refusezvl.so");
    DonneScript("exit 0\n", 0);
    dlclose(m_h);

    m_h = nullptr;
    Demarre("zv150vm_refuseservice.so");
    DonneScript("exit 0\n");
    EXPECT_EQ(Export<PFN_KL_Run_Service>("KL_Run_Service")("svc", "", StopTest, 0), 0);
    int nResultat = 0, nRetour = 9;
    Run(5, &nResultat, &nRetour);
    EXPECT_EQ(nResultat, 1);
    EXPECT_EQ(nRetour, 0);
}

// A logger as the launcher hands it over: every call is kept, its text formatted.
struct Ligne {
    int nPriorite;
    int nEvent;
    std::string strTexte;
    bool operator==(const Ligne& o) const
    {
        return nPriorite == o.nPriorite && nEvent == o.nEvent && strTexte == o.strTexte;
    }
};

class CLoggerTest : public ILogger {
public:
    int bSetMode(eMODE, ...) override { return 1; }
    void AddLog(ePRIORITY ePriority, const char* pszFormat, ...) override
    {
        va_list ap;
        va_start(ap, pszFormat);
        Garde(ePriority, -1, Formate(pszFormat, ap));
        va_end(ap);
    }
    void AddLogEvent(ePRIORITY ePriority, int nEvent, const char* pszFormat, ...) override
    {
        va_list ap;
        va_start(ap, pszFormat);
        Garde(ePriority, nEvent, Formate(pszFormat, ap));
        va_end(ap);
    }
    void AddLogDetail(ePRIORITY ePriority, int nEvent, const char**, int) override { Garde(ePriority, nEvent, ""); }

    std::vector<Ligne> Lignes()
    {
        pthread_mutex_lock(&m_stMutex);
        std::vector<Ligne> v = m_vLignes;
        pthread_mutex_unlock(&m_stMutex);
        return v;
    }

private:
    // The service thread and the test's thread both log.
    static std::string Formate(const char* pszFormat, va_list ap)
    {
        char sz[512] = "";
        vsnprintf(sz, sizeof sz, pszFormat, ap);
        return sz;
    }
    void Garde(ePRIORITY ePriority, int nEvent, const std::string& strTexte)
    {
        pthread_mutex_lock(&m_stMutex);
        m_vLignes.push_back({static_cast<int>(ePriority), nEvent, strTexte});
        pthread_mutex_unlock(&m_stMutex);
    }
    pthread_mutex_t m_stMutex = PTHREAD_MUTEX_INITIALIZER;
    std::vector<Ligne> m_vLignes;
};

TEST_F(CRuntimeTest, ScriptLogsThroughTheLoggerItWasHanded)
{
    Demarre();
    DonneScript("log 2 crit %d %s text\nlogevent 6 -5 an event\nlog 0   \nstopservice 0\nbusy 1\nexit 4\n");
    int nResultat = 0, nRetour = 0;
    // Without a logger the lines log nothing; stopservice outside a service does nothing.
    EXPECT_EQ(Run(5, &nResultat, &nRetour), "");
    EXPECT_EQ(nResultat, 1);
    EXPECT_EQ(nRetour, 4);

    CLoggerTest clLogger;
    EXPECT_EQ(Export<PFN_KL_SetParam>("KL_SetParam")(eSETPARAM_LOGGER, reinterpret_cast<intptr_t>(static_cast<ILogger*>(&clLogger))), 0);
    EXPECT_EQ(Run(5, &nResultat, &nRetour), "");
    EXPECT_EQ(nRetour, 4);
    const std::vector<Ligne> vAttendu = {{2, -1, "crit %d %s text"}, {6, -5, "event -5: an event"}, {0, -1, ""}};
    EXPECT_EQ(clLogger.Lignes(), vAttendu);
    EXPECT_TRUE(gvRecus.empty());
}

std::vector<int> gvCodesStop;
sem_t gstCodes;
void StopCode(int nCode)
{
    gvCodesStop.push_back(nCode);
    sem_post(&gstCodes);
}

TEST_F(CRuntimeTest, ServiceCallsTheStopCallbackWithTheScriptsCodesAndLogsItsLife)
{
    Demarre();
    ASSERT_EQ(sem_init(&gstCodes, 0, 0), 0);
    gvCodesStop.clear();
    CLoggerTest clLogger;
    Export<PFN_KL_SetParam>("KL_SetParam")(eSETPARAM_LOGGER, reinterpret_cast<intptr_t>(static_cast<ILogger*>(&clLogger)));
    DonneScript("stopservice 7\nstopservice 0\nlog 5 waiting\nsleep 3600000\n");
    ASSERT_EQ(Export<PFN_KL_Run_Service>("KL_Run_Service")("svc.zvp", "", StopCode, 0), 1);
    EXPECT_EQ(sem_wait(&gstCodes), 0);
    EXPECT_EQ(sem_wait(&gstCodes), 0);
    EXPECT_EQ(Export<PFN_KL_Term_Service>("KL_Term_Service")(0), 1);
    // Stopped from outside: no further call.
    EXPECT_EQ(gvCodesStop, (std::vector<int>{7, 0}));
    const std::vector<Ligne> vLignes = clLogger.Lignes();
    ASSERT_FALSE(vLignes.empty());
    EXPECT_EQ(vLignes.front(), (Ligne{6, -1, "zv150vm.so: the service of project svc.zvp has started"}));
    EXPECT_EQ(vLignes.back(), (Ligne{6, -1, "zv150vm.so: the service of project svc.zvp has stopped"}));
    sem_destroy(&gstCodes);
}

// Defined dynamic symbols of a library, as nm reports them.
std::vector<std::string> Exports(const std::string& strLib)
{
    std::vector<std::string> v;
    FILE* pf = popen(("nm -D --defined-only --format=posix '" + strLib + "'").c_str(), "r");
    if (pf == nullptr)
        return v;
    char sz[1024];
    while (std::fgets(sz, sizeof sz, pf) != nullptr)
        v.push_back(std::string(sz).substr(0, std::string(sz).find(' ')));
    pclose(pf);
    return v;
}

TEST(RuntimeExports, OnlyTheEntryPointsAreExported)
{
    const std::vector<std::string> vEntrees(std::begin(gapszRuntimeEntryNames), std::end(gapszRuntimeEntryNames));
    struct Cas {
        const char* pszFichier;
        bool bInit, bProxy, bEntrees;
    };
    const Cas acas[] = {
        {"zv150vm.so", true, true, true},          {"zv150vm_noinit.so", false, true, true},
        {"zv150vm_initfails.so", true, true, true}, {"zv150vm_noproxy.so", true, false, true},
        {"zv150vm_nullproxy.so", true, true, true}, {"zv150vm_noentries.so", true, true, false},
        {"zv150vm_refusezvl.so", true, true, true},
    };
    for (const Cas& c : acas) {
        std::vector<std::string> vAttendu = {"TermLibrary"};
        if (c.bInit)
            vAttendu.push_back("bInitLibrary");
        if (c.bProxy)
            vAttendu.push_back("pQueryProxy");
        if (c.bEntrees)
            vAttendu.insert(vAttendu.end(), vEntrees.begin(), vEntrees.end());
        std::sort(vAttendu.begin(), vAttendu.end());
        // The external call exports ("nKLE...", "KLE...", "pKLE...") are checked apart: every
        // build keeps all of them, and nothing else may leak (C++ library instantiations).
        std::vector<std::string> vTrouve, vKle;
        for (const std::string& str : Exports(std::string(ZV_RUNTIME_DIR) + c.pszFichier)) {
            const size_t n = str.find("KLE");
            const bool bKle = (n == 0 || (n == 1 && (str[0] == 'n' || str[0] == 'p')));
            (bKle ? vKle : vTrouve).push_back(str);
        }
        std::sort(vTrouve.begin(), vTrouve.end());
        EXPECT_EQ(vTrouve, vAttendu) << c.pszFichier;
        for (const char* psz : {"nKLEInitEx", "nKLEOPMT", "nKLESetPECallback", "nKLEGetVM", "KLETerm"})
            EXPECT_NE(std::find(vKle.begin(), vKle.end(), psz), vKle.end()) << c.pszFichier << ": " << psz;
        EXPECT_EQ(vKle.size(), 47u) << c.pszFichier;
    }
}

} // namespace
