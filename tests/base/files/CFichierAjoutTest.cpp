// Tests of the line sink: appends whole lines, from several writers, and reports a file it cannot open.
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>

#include <cerrno>

#include "base/files/CFichierAjout.h"

namespace {

TEST(CFichierAjoutTest, WritersShareOneFileLineByLine)
{
    zvtest::TempDir clRep;
    ASSERT_TRUE(clRep.ok());
    const std::string sFichier = clRep.path("trace.log");
    zvtest::WriteFile(sFichier, "before\n");
    {
        CFichierAjout cl1, cl2;
        ASSERT_TRUE(cl1.bOuvre(sFichier.c_str()));
        ASSERT_TRUE(cl2.bOuvre(sFichier.c_str()));
        cl1.EcritLigne("one");
        cl2.EcritLigne("two");
        cl1.EcritLigne(nullptr);
        cl2.EcritLigne(std::string(100000, 'x').c_str());
    }
    EXPECT_EQ("before\none\ntwo\n\n" + std::string(100000, 'x') + "\n", zvtest::sReadFile(sFichier));
}

TEST(CFichierAjoutTest, FailuresAndClosedSinks)
{
    CFichierAjout cl;
    EXPECT_FALSE(cl.bOuvert());
    cl.EcritLigne("nowhere");  // a closed sink writes nothing and does not fail
    errno = 0;
    EXPECT_FALSE(cl.bOuvre("/nonexistent-dir/trace.log"));
    EXPECT_EQ(ENOENT, errno);
    EXPECT_FALSE(cl.bOuvert());
    EXPECT_FALSE(cl.bOuvre(""));
    cl.OuvreErreurStandard();
    EXPECT_TRUE(cl.bOuvert());
    cl.Ferme();  // standard error stays open: it is not this object's
    EXPECT_FALSE(cl.bOuvert());
    EXPECT_GE(fcntl(2, F_GETFD), 0);
}

}  // namespace
