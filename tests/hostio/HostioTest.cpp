// Tests of libhostio linked directly and run in child processes with controlled environments.
#include "hostio.h"

#include <gtest/gtest.h>

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

TEST(HostioChild, TwoEntriesGiveEightCharacters)
{
    ProbeResult r = runProbe({"A=1", "B=2"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.output, "8\nA=1\nB=2\n");
}

TEST(HostioChild, EmptyEnvironmentGivesEmptyBlock)
{
    ProbeResult r = runProbe({});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.output, "0\n");
}

TEST(HostioChild, LineFeedInsideValueIsCopiedUnchanged)
{
    ProbeResult r = runProbe({"X=a\nb", "Y="});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.output, "9\nX=a\nb\nY=\n");
}

TEST(HostioChild, OrderOfTheEnvironmentIsKept)
{
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
