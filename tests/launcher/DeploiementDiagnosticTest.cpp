// Deployment mistakes diagnosed twice: by the start-up trace of ZVExe (ZVEXE_TRACE) and by zvinfoexe --check, each deployment built in a test-owned directory.
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "base/system/ProcessusEnfant.h"

extern char** environ;

namespace {

const std::string gsNotFound =
    "Impossible de trouver la librairie zv150vm.so.\r\n"
    "Verifiez que les librairies n\xE9"
    "cessaires au fonctionnement de l'ex\xE9"
    "cutable soient accessibles par le PATH.\r\n"
    "Unable to find zv150vm.so librairie.\r\n"
    "Check whether librairies used to operate the executable can be accessed by PATH.\n";

// Every program run here ends within this limit or is killed with its whole process group.
constexpr unsigned gnDelaiMs = 30000;

struct Resultat {
    int nCode = -1000;  // exit status; -1000 when the program did not exit by itself
    std::string sOut, sErr;
};

struct Lancement {
    std::vector<std::string> asArgs, asEnv;
    std::string sRep;
    uid_t nUid = 0;  // when non-zero: the identity the program runs under (set by root)
    gid_t nGid = 0;
};

int LanceDansEnfant(void* pContexte, int nFdCanal)
{
    const Lancement* pst = static_cast<const Lancement*>(pContexte);
    std::vector<char*> apszArgs, apszEnv;
    for (const std::string& s : pst->asArgs)
        apszArgs.push_back(const_cast<char*>(s.c_str()));
    apszArgs.push_back(nullptr);
    for (const std::string& s : pst->asEnv)
        apszEnv.push_back(const_cast<char*>(s.c_str()));
    apszEnv.push_back(nullptr);
    if (dup2(nFdCanal, STDOUT_FILENO) < 0 || chdir(pst->sRep.c_str()) != 0)
        return 126;
    if (pst->nUid && (setgroups(0, nullptr) != 0 || setgid(pst->nGid) != 0 || setuid(pst->nUid) != 0))
        return 125;
    execve(apszArgs[0], apszArgs.data(), apszEnv.data());
    return 127;
}

// Runs a program with the environment less LD_LIBRARY_PATH and any ZVEXE_TRACE, plus asEnv.
Resultat Lance(Lancement st)
{
    std::vector<std::string> asEnv;
    for (char** pp = environ; *pp; ++pp) {
        if (std::strncmp(*pp, "LD_LIBRARY_PATH=", 16) != 0 && std::strncmp(*pp, "ZVEXE_TRACE=", 12) != 0)
            asEnv.push_back(*pp);
    }
    asEnv.insert(asEnv.end(), st.asEnv.begin(), st.asEnv.end());
    st.asEnv = asEnv;
    _stRESULTATENFANT stResultat;
    Resultat r;
    if (!bExecuteEnfant(LanceDansEnfant, &st, gnDelaiMs, 1u << 20, 1u << 20, &stResultat))
        return r;
    if (stResultat.bSortie)
        r.nCode = stResultat.nCode;
    r.sOut = stResultat.sCanal;
    r.sErr = stResultat.sSortie;
    return r;
}

std::string Runtime(const char* pszVariante)
{
    return std::string(ZV_RUNTIME_DIR) + pszVariante + ".so";
}

// The build of the other ABI and the name of its build, when the compiler could make one.
const char* const gpszAutreAbi = ZV_TEST_VM_AUTRE_ABI;
const char* const gpszNomAutreBuild = sizeof(void*) == 8 ? "the i386 build" : "the x86-64 build";

// Public members: the cases of the table below prepare their deployment through them.
class DeploiementDiagnosticTest : public ::testing::Test {
public:
    void SetUp() override
    {
        ASSERT_TRUE(m_clRacine.ok());
        m_sRacine = m_clRacine.dir();
        m_sApp = m_sRacine + "/app";
        m_sAutre = m_sRacine + "/other";
        // Searchable by everyone: some cases run as an unprivileged user.
        ASSERT_EQ(0, chmod(m_sRacine.c_str(), 0755));
        ASSERT_EQ(0, mkdir(m_sApp.c_str(), 0755));
        ASSERT_EQ(0, mkdir(m_sAutre.c_str(), 0755));
        m_sExe = m_sApp + "/invoice";
        ASSERT_TRUE(zvtest::bCopyExecutable(ZV_ZVEXE_PATH, m_sExe));
        zvtest::WriteFile(m_sApp + "/invoice.ZVL", "print started\nexit 3\n");
    }

    void Patche(const std::vector<std::string>& asOptions)
    {
        Lancement st;
        st.asArgs = {ZV_ZVINFOEXE_PATH, m_sExe};
        st.asArgs.insert(st.asArgs.end(), asOptions.begin(), asOptions.end());
        st.sRep = m_sRacine;
        const Resultat r = Lance(st);
        ASSERT_EQ(0, r.nCode) << r.sErr;
    }

    void Place(const std::string& sSource, const std::string& sRep, const char* pszNom = "zv150vm.so")
    {
        ASSERT_TRUE(zvtest::bCopyExecutable(sSource, sRep + "/" + pszNom)) << sSource;
    }

    Resultat Demarre(const std::vector<std::string>& asEnv = {}) const
    {
        Lancement st;
        st.asArgs = {m_sExe};
        st.asEnv = asEnv;
        st.sRep = m_sRacine;
        st.nUid = m_nUid;
        st.nGid = m_nGid;
        return Lance(st);
    }

    Resultat Verifie() const
    {
        Lancement st;
        st.asArgs = {ZV_ZVINFOEXE_PATH, "--check", m_sExe};
        st.sRep = m_sRacine;
        st.nUid = m_nUid;
        st.nGid = m_nGid;
        return Lance(st);
    }

    // As root, permissions stop nobody: the programs then run as the unprivileged user "nobody".
    // False when that cannot be arranged, with the cause in *psCause.
    bool bSansPrivilege(std::string* psCause)
    {
        if (geteuid() != 0)
            return true;
        const struct passwd* pst = getpwnam("nobody");
        if (!pst || pst->pw_uid == 0) {
            *psCause = "running as root and there is no user 'nobody' to drop to";
            return false;
        }
        m_nUid = pst->pw_uid;
        m_nGid = pst->pw_gid;
        std::printf("running as root: this case runs ZVExe and zvinfoexe as 'nobody' (uid %u)\n",
                    static_cast<unsigned>(m_nUid));
        return true;
    }

    // Empties the deployment: a fresh program and application library, nothing else.
    void Reinitialise()
    {
        const std::string sCommande = "rm -rf '" + m_sApp + "' '" + m_sAutre + "'";
        ASSERT_EQ(0, std::system(sCommande.c_str()));
        m_nUid = 0;
        m_nGid = 0;
        SetUp();
    }

    zvtest::TempDir m_clRacine;
    std::string m_sRacine, m_sApp, m_sAutre, m_sExe;
    uid_t m_nUid = 0;
    gid_t m_nGid = 0;
};

// One deployment mistake: how to make it, what the trace and the check must say about it.
struct Erreur {
    const char* pszNom;
    std::function<void(DeploiementDiagnosticTest&)> pfnPrepare;
    std::vector<std::string> asTrace;   // lines or parts of lines the trace must hold
    std::vector<std::string> asCheck;   // the same for the check's report
    bool bMessageIntrouvable;           // the start-up message of a runtime not found follows
};

void VerifieErreur(DeploiementDiagnosticTest& cl, const Erreur& e, const Resultat& rSans, const Resultat& rTrace,
                   const Resultat& rCheck)
{
    SCOPED_TRACE(e.pszNom);
    EXPECT_EQ(255, rSans.nCode) << rSans.sErr;
    EXPECT_EQ(255, rTrace.nCode) << rTrace.sErr;
    if (e.bMessageIntrouvable) {
        // Without the trace the message is byte for byte what it always was; with it, the same
        // message follows the trace.
        EXPECT_EQ(gsNotFound, rSans.sErr);
        ASSERT_GE(rTrace.sErr.size(), gsNotFound.size());
        EXPECT_EQ(gsNotFound, rTrace.sErr.substr(rTrace.sErr.size() - gsNotFound.size()));
    }
    EXPECT_EQ(rSans.sOut, rTrace.sOut);
    for (const std::string& s : e.asTrace)
        EXPECT_NE(std::string::npos, rTrace.sErr.find(s)) << "trace lacks: " << s << "\n" << rTrace.sErr;
    EXPECT_EQ(1, rCheck.nCode) << rCheck.sOut << rCheck.sErr;
    for (const std::string& s : e.asCheck)
        EXPECT_NE(std::string::npos, rCheck.sOut.find(s)) << "report lacks: " << s << "\n" << rCheck.sOut;
    EXPECT_NE(std::string::npos, rCheck.sOut.find("verdict: the application would not start")) << rCheck.sOut;
    (void)cl;
}

TEST_F(DeploiementDiagnosticTest, CorrectDeploymentStartsAndPasses)
{
    Place(Runtime("zv150vm"), m_sApp);
    const Resultat rSans = Demarre(), rTrace = Demarre({"ZVEXE_TRACE=1"}), rCheck = Verifie();
    EXPECT_EQ(3, rSans.nCode);
    EXPECT_EQ("started\n", rSans.sOut);
    EXPECT_EQ("", rSans.sErr);
    // The trace changes nothing but standard error.
    EXPECT_EQ(3, rTrace.nCode);
    EXPECT_EQ(rSans.sOut, rTrace.sOut);
    const std::vector<std::string> asTrace = {
         "ZVExe[", "]: program " + m_sExe + ", runtime library zv150vm.so",
          "execution parameters " + m_sApp + "/invoice.ZX: absent", "explicit path (VMPATH): none",
          "information block: restricted search 0, common directory 0",
          "1 executable directory: " + m_sApp + "/zv150vm.so: found", "load " + m_sApp + "/zv150vm.so: loaded",
          "bInitLibrary of " + m_sApp + "/zv150vm.so: accepted", "runtime directory: " + m_sApp + "/",
          std::string("entry point KL_Run_Res: bound"), std::string("entry point TermLibrary: bound"),
          std::string("pQueryProxy(100): an interface"),
          std::string("application library invoice.ZVL (position 0): accepted by the runtime"),
          std::string("data-files directory . and active version 0 handed to the runtime")};
    for (const std::string& s : asTrace)
        EXPECT_NE(std::string::npos, rTrace.sErr.find(s)) << s << "\n" << rTrace.sErr;
    EXPECT_EQ(0, rCheck.nCode) << rCheck.sOut << rCheck.sErr;
    const std::vector<std::string> asCheck = {
         "ok    program " + m_sExe + ": ELF ", "ok    information block at offset",
          "step  1 executable directory: " + m_sApp + "/zv150vm.so: found",
          std::string("ok    pQueryProxy(100): an interface"), std::string("entry points looked up, all bound"),
          "ok    runtime " + m_sApp + "/zv150vm.so: ELF ", "ok    application library " + m_sApp + "/invoice.ZVL",
          std::string("verdict: the application would start\n")};
    for (const std::string& s : asCheck)
        EXPECT_NE(std::string::npos, rCheck.sOut.find(s)) << s << "\n" << rCheck.sOut;
    EXPECT_EQ(std::string::npos, rCheck.sOut.find("FAIL")) << rCheck.sOut;
}

TEST_F(DeploiementDiagnosticTest, EachMistakeIsNamedByTheTraceAndTheCheck)
{
    const std::string sApp = m_sApp, sAutre = m_sAutre;
    const std::vector<Erreur> aErreurs = {
        {"runtime missing",
         [](DeploiementDiagnosticTest&) {},
         {"1 executable directory: " + sApp + "/zv150vm.so: not a file (does not exist)",
          "4 loader's search by name zv150vm.so: refused by the loader: zv150vm.so: cannot open shared object file",
          "no runtime library: the search failed"},
         {"FAIL  runtime zv150vm.so: not found beside the program (" + sApp + "/)"},
         true},
        {"a library the runtime needs is not shipped",
         [](DeploiementDiagnosticTest& cl) { cl.Place(Runtime("zv150vm_needsextra"), cl.m_sApp); },
         {"load " + sApp + "/zv150vm.so: refused by the loader: libzvvmextra.so: cannot open shared object file"},
         {"FAIL  library libzvvmextra.so, needed by " + sApp + "/zv150vm.so, is not found"},
         true},
        {"VMPATH names a directory",
         [](DeploiementDiagnosticTest& cl) {
             cl.Place(Runtime("zv150vm"), cl.m_sAutre);
             zvtest::WriteFile(cl.m_sApp + "/invoice.ZX", "[FRAMEWORK]\nVMPATH=" + cl.m_sAutre + "\n");
         },
         {"execution parameters " + sApp + "/invoice.ZX: VMPATH=" + sAutre,
          "explicit path (VMPATH) " + sAutre + ": not a file (a directory); ignored"},
         {"FAIL  VMPATH " + sAutre + " (in " + sApp + "/invoice.ZX) is not a file (a directory): ignored"},
         true},
        {"custom runtime name whose .conf has no CHEMIN",
         [](DeploiementDiagnosticTest& cl) {
             cl.Patche({"--vm", "myvm.so", "--common", "1"});
             cl.Place(Runtime("zv150vm"), cl.m_sAutre, "myvm.so");
             zvtest::WriteFile(cl.m_sApp + "/myvm.conf", "[FRAMEWORK]\nPATH = " + cl.m_sAutre + "\n");
         },
         {"custom runtime name: " + sApp + "/myvm.conf has no CHEMIN in [FRAMEWORK]"},
         {"FAIL  the runtime has the custom name myvm.so and its profile " + sApp +
          "/myvm.conf has no CHEMIN in [FRAMEWORK]"},
         true},
        {"restricted-search flag set",
         [](DeploiementDiagnosticTest& cl) {
             cl.Patche({"--vm", "myvm.so", "--common", "1", "--restricted", "1"});
             cl.Place(Runtime("zv150vm"), cl.m_sAutre, "myvm.so");
             zvtest::WriteFile(cl.m_sApp + "/myvm.conf", "[FRAMEWORK]\nCHEMIN = " + cl.m_sAutre + "\n");
         },
         {"information block: restricted search 1, common directory 1",
          "restricted search: strategies 2 to 4 skipped"},
         {"FAIL  the information block's restricted-search flag is set"},
         true},
        {"runtime without bInitLibrary",
         [](DeploiementDiagnosticTest& cl) { cl.Place(Runtime("zv150vm_noinit"), cl.m_sApp); },
         {"bInitLibrary of " + sApp + "/zv150vm.so: missing"},
         {"FAIL  runtime " + sApp + "/zv150vm.so exports no bInitLibrary",
          "FAIL  runtime " + sApp + "/zv150vm.so: exports no bInitLibrary"},
         true},
        {"runtime whose bInitLibrary refuses",
         [](DeploiementDiagnosticTest& cl) { cl.Place(Runtime("zv150vm_initfails"), cl.m_sApp); },
         {"bInitLibrary of " + sApp + "/zv150vm.so: refused (returned 0)"},
         {"FAIL  runtime " + sApp + "/zv150vm.so: its bInitLibrary refused to start"},
         true},
        {"runtime whose pQueryProxy answers null",
         [](DeploiementDiagnosticTest& cl) { cl.Place(Runtime("zv150vm_nullproxy"), cl.m_sApp); },
         {"pQueryProxy(100): null"},
         {"FAIL  pQueryProxy(100): null"},
         false},
        {"application library missing",
         [](DeploiementDiagnosticTest& cl) {
             cl.Place(Runtime("zv150vm"), cl.m_sApp);
             std::remove((cl.m_sApp + "/invoice.ZVL").c_str());
         },
         {"application library invoice.ZVL (position 0): refused by the runtime"},
         {"FAIL  application library " + sApp + "/invoice.ZVL: does not exist"},
         false},
    };
    for (const Erreur& e : aErreurs) {
        SCOPED_TRACE(e.pszNom);
        // Each mistake in a deployment of its own.
        Reinitialise();
        e.pfnPrepare(*this);
        VerifieErreur(*this, e, Demarre(), Demarre({"ZVEXE_TRACE=1"}), Verifie());
    }
}

TEST_F(DeploiementDiagnosticTest, RuntimeOfTheOtherAbi)
{
    if (gpszAutreAbi[0] == '\0')
        GTEST_SKIP() << "the compiler cannot build a library for the other ABI here (no multilib support found "
                        "at configure time)";
    Place(gpszAutreAbi, m_sApp);
    const Erreur e = {"runtime of the other ABI",
                      nullptr,
                      {"load " + m_sApp + "/zv150vm.so: refused by the loader: " + m_sApp +
                       "/zv150vm.so: wrong ELF class: ELFCLASS"},
                      {std::string("use ") + gpszNomAutreBuild + " of ZVExe with this runtime"},
                      true};
    VerifieErreur(*this, e, Demarre(), Demarre({"ZVEXE_TRACE=1"}), Verifie());
}

TEST_F(DeploiementDiagnosticTest, UnreadableRuntime)
{
    std::string sCause;
    if (!bSansPrivilege(&sCause))
        GTEST_SKIP() << sCause;
    Place(Runtime("zv150vm"), m_sApp);
    ASSERT_EQ(0, chmod((m_sApp + "/zv150vm.so").c_str(), 0));
    const Erreur e = {"unreadable runtime",
                      nullptr,
                      {"1 executable directory: " + m_sApp + "/zv150vm.so: found, but not readable by this user",
                       "load " + m_sApp + "/zv150vm.so: refused by the loader:"},
                      {"FAIL  runtime " + m_sApp + "/zv150vm.so: not readable by this user (mode 0000"},
                      true};
    VerifieErreur(*this, e, Demarre(), Demarre({"ZVEXE_TRACE=1"}), Verifie());
}

TEST_F(DeploiementDiagnosticTest, ProgramThatCannotBeRun)
{
    // Execution needs an execute bit even for root, so this case runs as whoever runs the test.
    Place(Runtime("zv150vm"), m_sApp);
    ASSERT_EQ(0, chmod(m_sExe.c_str(), 0644));
    const Resultat r = Verifie();
    EXPECT_EQ(1, r.nCode) << r.sOut;
    EXPECT_NE(std::string::npos, r.sOut.find("FAIL  program " + m_sExe + ": ELF ")) << r.sOut;
    EXPECT_NE(std::string::npos, r.sOut.find(": not executable by this user (mode 0644)")) << r.sOut;
}

TEST_F(DeploiementDiagnosticTest, MistakesThatDoNotStopTheStartAreWarnings)
{
    // VMPATH naming a directory while the runtime lies beside the program; a .ZX line the reader
    // ignores; the runtime's own library shipped beside it.
    Place(Runtime("zv150vm_needsextra"), m_sApp);
    ASSERT_TRUE(zvtest::bCopyExecutable(std::string(ZV_RUNTIME_DIR) + "libzvvmextra.so", m_sApp + "/libzvvmextra.so"));
    zvtest::WriteFile(m_sApp + "/invoice.ZX", "[FRAMEWORK]\nVMPATH=" + m_sAutre + "\n# VMPATH " + m_sApp + "\n");
    const Resultat rTrace = Demarre({"ZVEXE_TRACE=1"}), rCheck = Verifie();
    EXPECT_EQ(3, rTrace.nCode) << rTrace.sErr;
    EXPECT_EQ(0, rCheck.nCode) << rCheck.sOut;
    const std::vector<std::string> asCheck = {
         "warn  VMPATH " + m_sAutre + " (in " + m_sApp + "/invoice.ZX) is not a file (a directory): ignored, the "
          "runtime came from the strategies",
          "warn  execution parameters " + m_sApp + "/invoice.ZX, line 3: '# VMPATH",
          // The sanitizers' own libraries come first in an instrumented build.
          std::string("ok    libraries needed by zv150vm.so: "),
          std::string("libzvvmextra.so, "),
          std::string("verdict: the application would start")};
    for (const std::string& s : asCheck)
        EXPECT_NE(std::string::npos, rCheck.sOut.find(s)) << s << "\n" << rCheck.sOut;
}

TEST_F(DeploiementDiagnosticTest, TraceAppendsToAFileAndSaysWhenItCannot)
{
    Place(Runtime("zv150vm"), m_sApp);
    const std::string sFichier = m_sRacine + "/trace.log";
    for (int i = 0; i < 2; ++i) {
        const Resultat r = Demarre({"ZVEXE_TRACE=" + sFichier});
        EXPECT_EQ(3, r.nCode);
        EXPECT_EQ("", r.sErr);
    }
    const std::string sTrace = zvtest::sReadFile(sFichier);
    size_t nProgrammes = 0;
    for (size_t n = 0; (n = sTrace.find("]: program ", n)) != std::string::npos; ++n)
        ++nProgrammes;
    EXPECT_EQ(2u, nProgrammes) << sTrace;
    EXPECT_EQ(0u, sTrace.find("ZVExe[")) << sTrace;

    // Off: unset, empty or 0 — nothing written anywhere.
    for (const char* psz : {"ZVEXE_TRACE=", "ZVEXE_TRACE=0"}) {
        const Resultat r = Demarre({psz});
        EXPECT_EQ("", r.sErr) << psz;
    }
    // A file that cannot be made: one line says so and the trace goes to standard error.
    const Resultat r = Demarre({"ZVEXE_TRACE=" + m_sRacine + "/no/such/dir/trace.log"});
    EXPECT_EQ(3, r.nCode);
    EXPECT_NE(std::string::npos, r.sErr.find("ZVEXE_TRACE=" + m_sRacine + "/no/such/dir/trace.log: cannot open the "
                                             "file: No such file or directory; tracing to standard error"))
        << r.sErr;
    EXPECT_NE(std::string::npos, r.sErr.find("runtime directory: " + m_sApp + "/")) << r.sErr;
}

TEST(ZvinfoexeCheckTest, RefusesWhatIsNotAProgramAndBadUsage)
{
    zvtest::TempDir clRep;
    ASSERT_TRUE(clRep.ok());
    zvtest::WriteFile(clRep.path("texte"), "not a program\n");
    struct Cas {
        std::vector<std::string> asArgs;
        int nCode;
        const char* pszSortie;
    } aCas[] = {
        {{"--check", clRep.path("absent")}, 1, "FAIL  program "},
        {{"--check", clRep.path("texte")}, 1, "not an ELF file, not a program ZVExe can be"},
        {{"--check", clRep.dir()}, 1, ": a directory"},
        {{"--check", ZV_ZVINFOEXE_PATH}, 1, "FAIL  information block: "},
        {{"--check"}, 2, ""},
        {{"--check", ZV_ZVEXE_PATH, "--timeout", "0"}, 2, ""},
        {{"--check", ZV_ZVEXE_PATH, "--timeout", "x"}, 2, ""},
    };
    for (const Cas& c : aCas) {
        Lancement st;
        st.asArgs = {ZV_ZVINFOEXE_PATH};
        st.asArgs.insert(st.asArgs.end(), c.asArgs.begin(), c.asArgs.end());
        st.sRep = clRep.dir();
        const Resultat r = Lance(st);
        SCOPED_TRACE(c.asArgs.back());
        EXPECT_EQ(c.nCode, r.nCode) << r.sOut << r.sErr;
        EXPECT_NE(std::string::npos, r.sOut.find(c.pszSortie)) << r.sOut;
    }
}

}  // namespace
