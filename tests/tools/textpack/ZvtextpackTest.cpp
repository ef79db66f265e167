// The zvtextpack program as the build runs it: its usage and failure statuses, and an output
// left untouched when its content does not change (the build then recompiles nothing).
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "support/TempDir.h"

extern char** environ;

namespace {

struct Resultat {
    int nStatut = -1;
    std::string strErreur; // standard error
};

// zvtextpack on these arguments, its standard error captured in a file of the test.
Resultat Lance(const zvtest::TempDir& clRep, const std::vector<std::string>& vArgs)
{
    Resultat r;
    const std::string strErr = clRep.path("stderr.txt");
    std::vector<std::string> vTous = {ZV_ZVTEXTPACK_PATH};
    vTous.insert(vTous.end(), vArgs.begin(), vArgs.end());
    std::vector<char*> vArgv;
    for (std::string& s : vTous)
        vArgv.push_back(&s[0]);
    vArgv.push_back(nullptr);
    posix_spawn_file_actions_t stActions;
    posix_spawn_file_actions_init(&stActions);
    posix_spawn_file_actions_addopen(&stActions, 2, strErr.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = 0;
    const int nErr = posix_spawn(&pid, vArgv[0], &stActions, nullptr, vArgv.data(), environ);
    posix_spawn_file_actions_destroy(&stActions);
    if (nErr != 0)
        return r;
    int nStatus = 0;
    while (waitpid(pid, &nStatus, 0) < 0) {
    }
    r.nStatut = WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : -1;
    r.strErreur = zvtest::sReadFile(strErr);
    return r;
}

class ZvtextpackTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_clRep.ok());
        zvtest::WriteFile(m_clRep.path("texte.txt"), "caf\xE9\r\nline two\n");
        zvtest::WriteFile(m_clRep.path("messages.txt"), "# sample\n4\tunnamed\n5689 gnMsgArret\tStopped: %1$s\n");
        zvtest::WriteFile(m_clRep.path("faux.txt"), "4\tok\n4\tagain\n");
    }
    std::string P(const char* psz) const { return m_clRep.path(psz); }
    zvtest::TempDir m_clRep{"zvtextpack"};
};

TEST_F(ZvtextpackTest, BadUsageEndsWithStatusTwoAndTheUsage)
{
    const std::vector<std::vector<std::string>> tab = {
        {},
        {"--other"},
        {"--text", "gszNom", P("texte.txt")},
        {"--text", "1nom", P("texte.txt"), P("out.cpp")},
        {"--text", "gsz-nom", P("texte.txt"), P("out.cpp")},
        {"--messages", P("messages.txt")},
        {"--messages", P("messages.txt"), P("out.cpp"), "--block"},
        {"--messages", P("messages.txt"), P("out.cpp"), "--block", "9bloc"},
        {"--messages", P("messages.txt"), P("out.cpp"), "--other", "nom"},
    };
    for (const std::vector<std::string>& vArgs : tab) {
        std::string strTrace;
        for (const std::string& s : vArgs)
            strTrace += s + " ";
        SCOPED_TRACE(strTrace);
        const Resultat r = Lance(m_clRep, vArgs);
        EXPECT_EQ(2, r.nStatut);
        EXPECT_EQ(0u, r.strErreur.rfind("usage: zvtextpack", 0)) << r.strErreur;
    }
    struct stat st;
    EXPECT_NE(0, stat(P("out.cpp").c_str(), &st)) << "a refused command wrote its output";
}

TEST_F(ZvtextpackTest, FailuresEndWithStatusOneAndSayWhy)
{
    const std::string strAbsent = P("absent/out.cpp");
    const struct {
        std::vector<std::string> vArgs;
        std::string strMessage;
    } tab[] = {
        {{"--text", "gszNom", P("manque.txt"), P("out.cpp")}, "zvtextpack: cannot read " + P("manque.txt")},
        {{"--messages", P("manque.txt"), P("out.cpp")}, "zvtextpack: cannot read " + P("manque.txt")},
        {{"--messages", P("faux.txt"), P("out.cpp")}, "zvtextpack: " + P("faux.txt") + ": line 2: identifier 4"},
        {{"--text", "gszNom", P("texte.txt"), strAbsent}, "zvtextpack: cannot write " + strAbsent},
        {{"--messages", P("messages.txt"), P("out.cpp"), "--names", strAbsent}, "zvtextpack: cannot write " + strAbsent},
    };
    for (const auto& ligne : tab) {
        SCOPED_TRACE(ligne.strMessage);
        const Resultat r = Lance(m_clRep, ligne.vArgs);
        EXPECT_EQ(1, r.nStatut);
        EXPECT_EQ(0u, r.strErreur.rfind(ligne.strMessage, 0)) << r.strErreur;
    }
}

TEST_F(ZvtextpackTest, WritesSourcesAndLeavesAnUnchangedOutputAlone)
{
    ASSERT_EQ(0, Lance(m_clRep, {"--text", "gszNom", P("texte.txt"), P("texte.cpp")}).nStatut);
    ASSERT_EQ(0, Lance(m_clRep, {"--messages", P("messages.txt"), P("messages.cpp"), "--block", "gabyBloc", "--sizes",
                                 "gtabTailles", "--names", P("noms.h")})
                     .nStatut);
    const std::string strTexte = zvtest::sReadFile(P("texte.cpp"));
    EXPECT_NE(std::string::npos, strTexte.find("gszNom")) << strTexte;
    EXPECT_NE(std::string::npos, strTexte.find("texte.txt")) << "the source names its origin by file name";
    EXPECT_EQ(std::string::npos, strTexte.find(m_clRep.dir())) << "the build folder leaked into the source";
    const std::string strMessages = zvtest::sReadFile(P("messages.cpp"));
    EXPECT_NE(std::string::npos, strMessages.find("gabyBloc"));
    EXPECT_NE(std::string::npos, strMessages.find("gtabTailles"));
    EXPECT_NE(std::string::npos, zvtest::sReadFile(P("noms.h")).find("constexpr unsigned gnMsgArret = 5689;"));

    // Dated in the past, then generated again from the same input: the files keep their date.
    const struct timespec at[2] = {{1000000000, 0}, {1000000000, 0}};
    for (const char* psz : {"texte.cpp", "messages.cpp", "noms.h"})
        ASSERT_EQ(0, utimensat(AT_FDCWD, P(psz).c_str(), at, 0));
    ASSERT_EQ(0, Lance(m_clRep, {"--text", "gszNom", P("texte.txt"), P("texte.cpp")}).nStatut);
    ASSERT_EQ(0, Lance(m_clRep, {"--messages", P("messages.txt"), P("messages.cpp"), "--block", "gabyBloc", "--sizes",
                                 "gtabTailles", "--names", P("noms.h")})
                     .nStatut);
    for (const char* psz : {"texte.cpp", "messages.cpp", "noms.h"}) {
        struct stat st;
        ASSERT_EQ(0, stat(P(psz).c_str(), &st));
        EXPECT_EQ(1000000000, st.st_mtim.tv_sec) << psz << " was rewritten with the same content";
    }
    // A change of input is written.
    zvtest::WriteFile(P("texte.txt"), "other\n");
    ASSERT_EQ(0, Lance(m_clRep, {"--text", "gszNom", P("texte.txt"), P("texte.cpp")}).nStatut);
    EXPECT_NE(strTexte, zvtest::sReadFile(P("texte.cpp")));
}

} // namespace
