// Tests of the path probes: kinds, rights as the effective user sees them, resolved paths.
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "base/files/SondeFichier.h"

namespace {

TEST(SondeFichierTest, TellsWhatAPathNames)
{
    zvtest::TempDir clRep;
    ASSERT_TRUE(clRep.ok());
    zvtest::WriteFile(clRep.path("f"), "12345");
    ASSERT_EQ(0, chmod(clRep.path("f").c_str(), 0640));
    ASSERT_EQ(0, symlink("f", clRep.path("lien").c_str()));
    struct Row {
        std::string sChemin;
        eGENREFICHIER eGenre;
        int nErrno;
    } rows[] = {
        {clRep.path("f"), eGENRE_FICHIER, 0},
        {clRep.path("lien"), eGENRE_FICHIER, 0},
        {clRep.dir(), eGENRE_REPERTOIRE, 0},
        {"/dev/null", eGENRE_AUTRE, 0},
        {clRep.path("absent"), eGENRE_ABSENT, ENOENT},
        {clRep.path("f/sous"), eGENRE_ABSENT, ENOTDIR},
        {"", eGENRE_ABSENT, ENOENT},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.sChemin);
        const _stSONDEFICHIER st = stSondeFichier(row.sChemin.c_str());
        EXPECT_EQ(row.eGenre, st.eGenre);
        EXPECT_EQ(row.nErrno, st.nErrno);
    }
    const _stSONDEFICHIER st = stSondeFichier(clRep.path("f").c_str());
    EXPECT_EQ(0640u, st.nMode);
    EXPECT_EQ(5, st.oTaille);
    EXPECT_EQ(static_cast<unsigned>(geteuid()), st.nUid);
}

TEST(SondeFichierTest, RightsOfTheEffectiveUser)
{
    zvtest::TempDir clRep;
    ASSERT_TRUE(clRep.ok());
    const std::string sFichier = clRep.path("f");
    zvtest::WriteFile(sFichier, "x");
    ASSERT_EQ(0, chmod(sFichier.c_str(), 0));
    EXPECT_EQ(ENOENT, nErrnoAcces(clRep.path("absent").c_str(), gnAccesLecture));
    // Execution needs an execute bit whoever asks.
    EXPECT_EQ(EACCES, nErrnoAcces(sFichier.c_str(), gnAccesExecution));
    if (bSuperUtilisateur()) {
        std::printf("running as root: reading a mode-0 file is granted\n");
        EXPECT_EQ(0, nErrnoAcces(sFichier.c_str(), gnAccesLecture | gnAccesEcriture));
    } else {
        EXPECT_EQ(EACCES, nErrnoAcces(sFichier.c_str(), gnAccesLecture));
    }
    ASSERT_EQ(0, chmod(sFichier.c_str(), 0700));
    EXPECT_EQ(0, nErrnoAcces(sFichier.c_str(), gnAccesLecture | gnAccesEcriture | gnAccesExecution));
}

TEST(SondeFichierTest, ResolvedPathsAndTheCurrentDirectory)
{
    zvtest::TempDir clRep;
    ASSERT_TRUE(clRep.ok());
    zvtest::WriteFile(clRep.path("f"), "x");
    ASSERT_EQ(0, mkdir(clRep.path("d").c_str(), 0755));
    ASSERT_EQ(0, symlink(clRep.path("f").c_str(), clRep.path("d/lien").c_str()));
    CTString cl("untouched");
    CTString clAttendu;
    ASSERT_TRUE(bCheminReel(clRep.path("f").c_str(), &clAttendu));
    ASSERT_TRUE(bCheminReel((clRep.path("d") + "/../d/lien").c_str(), &cl));
    EXPECT_STREQ(clAttendu.pszGet(), cl.pszGet());
    cl = "untouched";
    EXPECT_FALSE(bCheminReel(clRep.path("absent").c_str(), &cl));
    EXPECT_EQ(ENOENT, errno);
    EXPECT_STREQ("untouched", cl.pszGet());
    EXPECT_FALSE(clRepertoireCourant().bEstVide());
}

}  // namespace
