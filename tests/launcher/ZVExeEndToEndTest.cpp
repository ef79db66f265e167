// Whole launches of the real ZVExe: one patched copy per case, stand-in runtimes and scripts placed around it.
#include "support/Emulation.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

// Start-up messages, as the launcher writes them (ISO 8859-1, CR LF inside, a final LF).
const std::string gsNoProxy =
    "La librairie zv150vm.so ne fournit pas l'interface du lanceur (pQueryProxy).\r\n"
    "The library zv150vm.so does not provide the launcher's interface (pQueryProxy).\n";
// Also when the runtime has no entry to take it.
const std::string gsRefusZVL = "La librairie zv150vm.so refuse la librairie d'application invoice.ZVL.\r\n"
                               "The library zv150vm.so refuses the application library invoice.ZVL.\n";
const std::string gsNotFound =
    "Impossible de trouver la librairie zv150vm.so.\r\n"
    "Verifiez que les librairies n\xE9"
    "cessaires au fonctionnement de l'ex\xE9"
    "cutable soient accessibles par le PATH.\r\n"
    "Unable to find zv150vm.so librairie.\r\n"
    "Check whether librairies used to operate the executable can be accessed by PATH.\n";

struct Resultat {
    int nCode = -1000;  // exit status, or -1000 when the child did not exit normally
    std::string sOut, sErr;
};

// Runs argv with the current environment less LD_LIBRARY_PATH, plus asEnv; the outputs go to
// files of sRep.
Resultat Lance(const std::vector<std::string>& asArgs, const std::string& sRep,
               const std::vector<std::string>& asEnv = {})
{
    std::vector<std::string> asEnvComplet;
    for (char** pp = environ; *pp; ++pp) {
        if (std::strncmp(*pp, "LD_LIBRARY_PATH=", 16) != 0)
            asEnvComplet.push_back(*pp);
    }
    asEnvComplet.insert(asEnvComplet.end(), asEnv.begin(), asEnv.end());
    std::vector<char*> apszArgs, apszEnv;
    for (const std::string& s : asArgs)
        apszArgs.push_back(const_cast<char*>(s.c_str()));
    apszArgs.push_back(nullptr);
    for (const std::string& s : asEnvComplet)
        apszEnv.push_back(const_cast<char*>(s.c_str()));
    apszEnv.push_back(nullptr);

    const std::string sOut = sRep + "/stdout.txt", sErr = sRep + "/stderr.txt";
    Resultat r;
    pid_t pid = fork();
    if (pid == 0) {
        int fdOut = open(sOut.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int fdErr = open(sErr.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fdOut < 0 || fdErr < 0 || dup2(fdOut, 1) < 0 || dup2(fdErr, 2) < 0 || chdir(sRep.c_str()) != 0)
            _exit(127);
        execve(apszArgs[0], apszArgs.data(), apszEnv.data());
        _exit(127);
    }
    int nStatus = 0;
    if (pid > 0 && waitpid(pid, &nStatus, 0) == pid && WIFEXITED(nStatus))
        r.nCode = WEXITSTATUS(nStatus);
    r.sOut = zvtest::sReadFile(sOut);
    r.sErr = zvtest::sReadFile(sErr);
    return r;
}

std::string Runtime(const char* pszVariante)
{
    return std::string(ZV_RUNTIME_DIR) + pszVariante + ".so";
}

class ZVExeEndToEndTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ZVTEST_SKIP_UNLESS_CHILDREN_RUN();
        ASSERT_TRUE(m_dir.ok());
        m_sRacine = m_dir.dir();
        m_sApp = m_sRacine + "/app";
        m_sAutre = m_sRacine + "/other";
        ASSERT_EQ(0, mkdir(m_sApp.c_str(), 0755));
        ASSERT_EQ(0, mkdir(m_sAutre.c_str(), 0755));
        m_sExe = m_sApp + "/invoice";
        ASSERT_TRUE(zvtest::bCopyExecutable(ZV_ZVEXE_PATH, m_sExe));
    }



    // Patches the copy with the information-block tool: pairs of option and value.
    void Patche(const std::vector<std::string>& asOptions)
    {
        std::vector<std::string> asArgs = {ZV_ZVINFOEXE_PATH, m_sExe};
        asArgs.insert(asArgs.end(), asOptions.begin(), asOptions.end());
        Resultat r = Lance(asArgs, m_sRacine);
        ASSERT_EQ(0, r.nCode) << r.sErr;
    }

    void Place(const char* pszVariante, const std::string& sRep, const char* pszNom = "zv150vm.so")
    {
        ASSERT_TRUE(zvtest::bCopyExecutable(Runtime(pszVariante), sRep + "/" + pszNom));
    }

    // The application library named after the executable.
    void Script(const std::string& sTexte) { zvtest::WriteFile(m_sApp + "/invoice.ZVL", sTexte); }

    Resultat Demarre(const std::vector<std::string>& asArgs = {}, const std::vector<std::string>& asEnv = {})
    {
        std::vector<std::string> as = {m_sExe};
        as.insert(as.end(), asArgs.begin(), asArgs.end());
        return Lance(as, m_sRacine, asEnv);
    }

    zvtest::TempDir m_dir{"zvexe-e2e"};
    std::string m_sRacine, m_sApp, m_sAutre, m_sExe;
};

TEST_F(ZVExeEndToEndTest, RuntimeSeesCommandLineProjectDataDirectoryAndVersion)
{
    Place("zv150vm", m_sApp);
    Patche({"--project", "facture.zvp", "--version", "7", "--datadir", "/srv/donnees"});
    Script("printcmd\nprintproject\nprintdatadir\nprintversion\nexit 3\n");
    struct Row {
        const char* label;
        std::vector<std::string> args;
        std::string cmd;
    } rows[] = {
        {"no arguments", {}, ""},
        {"blanks and '='", {"-a", "KEY=two words", "x y"}, "-a KEY=\"two words\" \"x y\" "},
        {"blank before '='", {"a b=c"}, "\"a b=c\" "},
        {"cut at 1024 characters", {std::string(1030, 'z')}, std::string(1024, 'z')},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        Resultat r = Demarre(row.args);
        EXPECT_EQ(3, r.nCode) << r.sErr;
        EXPECT_EQ(row.cmd + "\nfacture.zvp\n/srv/donnees\n7\n", r.sOut);
        EXPECT_EQ("", r.sErr);
    }
}

TEST_F(ZVExeEndToEndTest, ExplicitPathWinsOverTheExecutableDirectory)
{
    Place("zv150vm_initfails", m_sApp);
    Place("zv150vm", m_sAutre);
    zvtest::WriteFile(m_sApp + "/invoice.ZX", "[FRAMEWORK]\r\nVMPATH=" + m_sAutre + "/zv150vm.so\r\n");
    Script("print explicit\n");
    Resultat r = Demarre();
    EXPECT_EQ(0, r.nCode) << r.sErr;
    EXPECT_EQ("explicit\n", r.sOut);
}

TEST_F(ZVExeEndToEndTest, UnusableExplicitPathIsIgnored)
{
    Place("zv150vm", m_sApp);
    zvtest::WriteFile(m_sAutre + "/notalib.so", "plain text\n");
    Script("print beside\n");
    for (const std::string& sVMPath : {m_sAutre, m_sAutre + "/notalib.so", m_sAutre + "/absent.so", std::string()}) {
        SCOPED_TRACE(sVMPath);
        zvtest::WriteFile(m_sApp + "/invoice.ZX", "[FRAMEWORK]\nVMPATH=" + sVMPath + "\n");
        Resultat r = Demarre();
        EXPECT_EQ(0, r.nCode) << r.sErr;
        EXPECT_EQ("beside\n", r.sOut);
    }
}

TEST_F(ZVExeEndToEndTest, ExplicitBareNameIsTheFileOfTheCurrentDirectory)
{
    // The launch runs in the root of the case: its runtime is the good one, the one beside the
    // executable refuses. A bare name must not be handed to the loader's own search.
    Place("zv150vm", m_sRacine);
    Place("zv150vm_initfails", m_sApp);
    zvtest::WriteFile(m_sApp + "/invoice.ZX", "[FRAMEWORK]\nVMPATH=zv150vm.so\n");
    Script("print current\n");
    Resultat r = Demarre();
    EXPECT_EQ(0, r.nCode) << r.sErr;
    EXPECT_EQ("current\n", r.sOut);
}

TEST_F(ZVExeEndToEndTest, ExecutableDirectoryWhateverTheFlags)
{
    Place("zv150vm", m_sApp);
    Script("exit 4\n");
    for (const char* pszFlags : {"00", "10", "01", "11"}) {
        SCOPED_TRACE(pszFlags);
        Patche({"--restricted", std::string(1, pszFlags[0]), "--common", std::string(1, pszFlags[1])});
        Resultat r = Demarre();
        EXPECT_EQ(4, r.nCode) << r.sErr;
    }
}

TEST_F(ZVExeEndToEndTest, RestrictedSearchFallsBackOnTheLoadersPath)
{
    Place("zv150vm", m_sAutre);
    Patche({"--restricted", "1"});
    Script("print found\n");
    Resultat r = Demarre({}, {"LD_LIBRARY_PATH=" + m_sAutre});
    EXPECT_EQ(0, r.nCode) << r.sErr;
    EXPECT_EQ("found\n", r.sOut);

    r = Demarre();
    EXPECT_EQ(255, r.nCode);
    EXPECT_EQ("", r.sOut);
    EXPECT_EQ(gsNotFound, r.sErr);
}

TEST_F(ZVExeEndToEndTest, CustomRuntimeNameFoundThroughItsConf)
{
    Place("zv150vm", m_sAutre, "myvm.so");
    Patche({"--vm", "myvm.so", "--common", "1"});
    zvtest::WriteFile(m_sApp + "/myvm.conf", "[FRAMEWORK]\nCHEMIN=" + m_sAutre + "\n");
    Script("print custom\n");
    Resultat r = Demarre();
    EXPECT_EQ(0, r.nCode) << r.sErr;
    EXPECT_EQ("custom\n", r.sOut);

    // Without the common-directory flag the ".conf" is not read.
    Patche({"--common", "0"});
    r = Demarre();
    EXPECT_EQ(255, r.nCode);
    EXPECT_EQ(gsNotFound, r.sErr);
}

TEST_F(ZVExeEndToEndTest, ApplicationLibraryGivenAsAFullPathIsHandedByFileName)
{
    Place("zv150vm", m_sApp);
    // Patched into a copy: the original keeps its template and names its library after itself.
    const std::string sCopie = m_sApp + "/copy";
    Patche({"-o", sCopie, "--zvl", "/nowhere/at/all/app.zvl"});
    zvtest::WriteFile(m_sApp + "/app.zvl", "print by name\n");
    Resultat r = Lance({sCopie}, m_sRacine);
    EXPECT_EQ(0, r.nCode) << r.sErr;
    EXPECT_EQ("by name\n", r.sOut);

    Script("print by default\n");
    r = Demarre();
    EXPECT_EQ(0, r.nCode) << r.sErr;
    EXPECT_EQ("by default\n", r.sOut);
}

TEST_F(ZVExeEndToEndTest, FailingStartsAndRuns)
{
    Script("fail\n");
    struct Row {
        const char* variante;  // null: no runtime anywhere
        std::string err;
    } rows[] = {
        {nullptr, gsNotFound},
        {"zv150vm_noinit", gsNotFound},
        {"zv150vm_initfails", gsNotFound},
        {"zv150vm_noproxy", gsNoProxy},
        {"zv150vm_nullproxy", gsNoProxy},
        {"zv150vm_noentries", gsRefusZVL},
        {"zv150vm_refusezvl", gsRefusZVL},
        {"zv150vm", "<facture.zvp> execution failed, return code = 0\n"},
    };
    Patche({"--project", "facture.zvp"});
    for (const Row& row : rows) {
        SCOPED_TRACE(row.variante ? row.variante : "no runtime");
        unlink((m_sApp + "/zv150vm.so").c_str());
        if (row.variante)
            Place(row.variante, m_sApp);
        Resultat r = Demarre();
        EXPECT_EQ(255, r.nCode);
        EXPECT_EQ("", r.sOut);
        EXPECT_EQ(row.err, r.sErr);
    }
}

TEST_F(ZVExeEndToEndTest, ErrorReportWithPercentSignsIsWrittenUnchanged)
{
    Place("zv150vm", m_sApp);
    Script("error 1001 Stock at 100% %s %d %n\nexit 0\n");
    Resultat r = Demarre();
    EXPECT_EQ(0, r.nCode);
    EXPECT_NE(std::string::npos, r.sErr.find("Stock at 100% %s %d %n")) << r.sErr;
    ASSERT_FALSE(r.sErr.empty());
    EXPECT_EQ('\n', r.sErr.back());
}

TEST_F(ZVExeEndToEndTest, BlockWithAnUnterminatedTextIsRefused)
{
    Place("zv150vm", m_sApp);
    Script("print never\n");
    Resultat rInfo = Lance({ZV_ZVINFOEXE_PATH, m_sExe}, m_sRacine);
    ASSERT_EQ(0, rInfo.nCode) << rInfo.sErr;
    unsigned long nBloc = 0;
    ASSERT_EQ(1, std::sscanf(rInfo.sOut.c_str(), "information block at offset %lu", &nBloc)) << rInfo.sOut;
    // The whole project area (offset 835, 281 bytes) without a terminator.
    {
        std::fstream f(m_sExe, std::ios::binary | std::ios::in | std::ios::out);
        f.seekp(static_cast<std::streamoff>(nBloc + 835));
        f << std::string(281, 'p');
        ASSERT_TRUE(f.good());
    }
    Resultat r = Demarre();
    EXPECT_EQ(255, r.nCode);
    EXPECT_EQ("", r.sOut);
    EXPECT_EQ("Le fichier ex\xE9"
              "cutable n'est pas valide.\r\nLes informations sont erron\xE9"
              "e.\r\nInvalid program file.\r\nBad information.\n",
              r.sErr);
}

TEST_F(ZVExeEndToEndTest, ServiceOptionSelectsDaemonModeInAnyLetterCase)
{
    Place("zv150vm", m_sApp);
    Script("print normal launch\n");
    // A name holding a '/' makes no pid file path: daemon mode ends at once with 255, before
    // detaching or touching /var/run, and says so only in the system log.
    for (const char* pszOption : {"--SERVICE", "--service", "--Service"}) {
        SCOPED_TRACE(pszOption);
        Resultat r = Demarre({"-x", pszOption, "no/such"});
        EXPECT_EQ(255, r.nCode);
        EXPECT_EQ("", r.sOut);
        EXPECT_EQ("", r.sErr);
    }
    // Only the whole argument counts.
    Resultat r = Demarre({"--SERVICE=no/such"});
    EXPECT_EQ(0, r.nCode);
    EXPECT_EQ("normal launch\n", r.sOut);
}

// The common installation directory lies under /usr/local: tried inside a private mount
// namespace with a tmpfs over /usr/local, which needs root.
TEST_F(ZVExeEndToEndTest, CommonDirectoryOnlyWhenItsFlagIsSet)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to mount a tmpfs over /usr/local in a private mount namespace";
    Resultat rSonde = Lance({"/usr/bin/unshare", "-m", "/bin/true"}, m_sRacine);
    if (rSonde.nCode != 0)
        GTEST_SKIP() << "unshare -m is not permitted here: " << rSonde.sErr;

    const std::string sShell = m_sRacine + "/common.sh";
    zvtest::WriteFile(sShell,
          "set -e\n"
          "mount --make-rprivate /\n"
          "mount -t tmpfs tmpfs /usr/local\n"
          "mkdir -p /usr/local/NORVELL/lib/15.0\n"
          "cp \"$1\" /usr/local/NORVELL/lib/15.0/zv150vm.so\n"
          "shift\n"
          "exec \"$@\"\n");
    Script("print common\n");
    for (int nFlag : {1, 0}) {
        SCOPED_TRACE(nFlag);
        Patche({"--common", std::to_string(nFlag)});
        Resultat r = Lance({"/usr/bin/unshare", "-m", "/bin/sh", sShell, Runtime("zv150vm"), m_sExe}, m_sRacine);
        if (nFlag) {
            EXPECT_EQ(0, r.nCode) << r.sErr;
            EXPECT_EQ("common\n", r.sOut);
        } else {
            EXPECT_EQ(255, r.nCode);
            EXPECT_EQ(gsNotFound, r.sErr);
        }
    }
}

}  // namespace
