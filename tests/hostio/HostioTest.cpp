// Tests of libhostio linked directly and run in child processes with controlled environments.
#include "hostio.h"

#include "support/Emulation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

struct ProbeResult {
    int status = -1;
    std::string output;
};

// Runs the probe with exactly the given environment and collects what it prints.
ProbeResult runProbe(const std::vector<std::string>& environment)
{
    ProbeResult result;
    int fds[2];
    if (pipe(fds) != 0)
        return result;
    pid_t pid = fork();
    if (pid == 0) {
        std::vector<char*> envp;
        for (const std::string& e : environment)
            envp.push_back(const_cast<char*>(e.c_str()));
        envp.push_back(nullptr);
        char* argv[] = {const_cast<char*>(ZV_HOSTIO_PROBE), nullptr};
        dup2(fds[1], 1);
        close(fds[0]);
        close(fds[1]);
        execve(ZV_HOSTIO_PROBE, argv, envp.data());
        _exit(127);
    }
    close(fds[1]);
    char buf[4096];
    ssize_t n;
    while ((n = read(fds[0], buf, sizeof buf)) > 0)
        result.output.append(buf, static_cast<size_t>(n));
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

// The probe's output holds the entries in some order (their order is a test of its own): true
// when it is the count line then the entries in one of their orders.
bool bEntreesDansUnOrdre(const std::string& sSortie, const std::string& sCompte, std::vector<std::string> asEntrees)
{
    std::sort(asEntrees.begin(), asEntrees.end());
    do {
        std::string s = sCompte + "\n";
        for (const std::string& sEntree : asEntrees)
            s += sEntree + "\n";
        if (s == sSortie)
            return true;
    } while (std::next_permutation(asEntrees.begin(), asEntrees.end()));
    return false;
}

// The probe prints its whole environment: an instrumented one finds an entry of the coverage
// profile's runtime in it.
#if defined(ZV_COVERAGE)
#define ZV_SKIP_UNDER_COVERAGE()                                                                          \
    GTEST_SKIP() << "skipped in the coverage build: the profile runtime adds __LLVM_PROFILE_RT_INIT_ONCE to " \
                    "the environment of every instrumented process"
#else
#define ZV_SKIP_UNDER_COVERAGE() static_cast<void>(0)
#endif

TEST(HostioChild, TwoEntriesGiveEightCharacters)
{
    ZV_SKIP_UNDER_COVERAGE();
    ZVTEST_SKIP_UNLESS_CHILDREN_RUN();
    ProbeResult r = runProbe({"A=1", "B=2"});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(bEntreesDansUnOrdre(r.output, "8", {"A=1", "B=2"})) << r.output;
}

TEST(HostioChild, EmptyEnvironmentGivesEmptyBlock)
{
    ZV_SKIP_UNDER_COVERAGE();
    ZVTEST_SKIP_UNLESS_CHILDREN_RUN();
    ProbeResult r = runProbe({});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.output, "0\n");
}

TEST(HostioChild, LineFeedInsideValueIsCopiedUnchanged)
{
    ZV_SKIP_UNDER_COVERAGE();
    ZVTEST_SKIP_UNLESS_CHILDREN_RUN();
    ProbeResult r = runProbe({"X=a\nb", "Y="});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(bEntreesDansUnOrdre(r.output, "9", {"X=a\nb", "Y="})) << r.output;
}

TEST(HostioChild, OrderOfTheEnvironmentIsKept)
{
    ZV_SKIP_UNDER_COVERAGE();
    ZVTEST_SKIP_UNLESS_CHILDREN_RUN();
    ZVTEST_SKIP_UNDER_EMULATION("qemu-user hands the environment to the program in reverse order");
    ProbeResult r = runProbe({"ZED=last?", "ALPHA=first?"});
    EXPECT_EQ(r.output, "23\nZED=last?\nALPHA=first?\n");
}

TEST(Hostio, NoBlockBeforeFirstCopyNorAfterFree)
{
    EXPECT_EQ(environ_get(), nullptr);
    EXPECT_EQ(env, nullptr);
    environ_free(); // nothing to release: must be harmless
    EXPECT_GT(environ_copy(), 0);
    EXPECT_NE(environ_get(), nullptr);
    EXPECT_EQ(environ_get(), env);
    environ_free();
    EXPECT_EQ(environ_get(), nullptr);
    EXPECT_EQ(env, nullptr);
}

TEST(Hostio, BlockMatchesEnvironmentAndLengthExcludesNul)
{
    ASSERT_EQ(setenv("ZV_HOSTIO_TEST", "value", 1), 0);
    int n = environ_copy();
    ASSERT_NE(env, nullptr);
    EXPECT_EQ(static_cast<size_t>(n), std::strlen(env));
    EXPECT_NE(std::strstr(env, "ZV_HOSTIO_TEST=value\n"), nullptr);
    size_t lines = 0;
    for (const char* p = env; *p; ++p)
        lines += *p == '\n';
    size_t entries = 0;
    for (char** e = environ; *e; ++e)
        ++entries;
    EXPECT_EQ(lines, entries);
    environ_free();
}

TEST(Hostio, RepeatedCopiesAgreeAndFollowChanges)
{
    int first = environ_copy();
    int second = environ_copy();
    EXPECT_EQ(first, second);
    ASSERT_EQ(setenv("ZV_HOSTIO_GROW", "0123456789", 1), 0);
    int grown = environ_copy();
    EXPECT_EQ(grown, first + static_cast<int>(std::strlen("ZV_HOSTIO_GROW=0123456789\n")));
    ASSERT_EQ(unsetenv("ZV_HOSTIO_GROW"), 0);
    EXPECT_EQ(environ_copy(), first);
    EXPECT_EQ(std::strstr(env, "ZV_HOSTIO_GROW"), nullptr);
    environ_free();
}

TEST(Hostio, StreamsAreTheCurrentStandardStreams)
{
    EXPECT_EQ(wrap_stdin(), stdin);
    EXPECT_EQ(wrap_stdout(), stdout);
    EXPECT_EQ(wrap_stderr(), stderr);
}

} // namespace
