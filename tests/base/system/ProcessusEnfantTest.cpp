// Tests of a function run in a child under a time limit: status, signal, time limit, what it sends, and nothing left behind.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "base/system/ProcessusEnfant.h"

namespace {

int Parle(void*, int nFd)
{
    const char szCanal[] = "step one\nstep two\n";
    if (write(nFd, szCanal, sizeof(szCanal) - 1) < 0)
        return 9;
    std::fputs("to stdout\n", stdout);
    std::fflush(stdout);
    std::fputs("to stderr\n", stderr);
    return 7;
}

int Tue(void*, int)
{
    raise(SIGTERM);
    return 0;
}

int Bavard(void*, int nFd)
{
    const std::string s(10000, 'x');
    return write(nFd, s.data(), s.size()) == static_cast<ssize_t>(s.size()) ? 0 : 1;
}

// Leaves a grandchild that holds the pipes and would live on: its pid goes to the channel.
int Abandonne(void* pContexte, int nFd)
{
    const bool bAttendre = pContexte != nullptr;
    const pid_t n = fork();
    if (n == 0) {
        for (;;)
            pause();
    }
    const std::string s = std::to_string(n) + "\n";
    if (write(nFd, s.data(), s.size()) < 0)
        return 9;
    if (bAttendre) {
        for (;;)
            pause();
    }
    return 0;
}

// Gone, or a zombie waiting for its new parent.
bool bDisparu(pid_t n)
{
    std::ifstream in("/proc/" + std::to_string(n) + "/stat");
    std::string sPid, sNom, sEtat;
    if (!(in >> sPid >> sNom >> sEtat))
        return true;
    return sEtat == "Z" || sEtat == "X";
}

bool bDisparaitBientot(pid_t n)
{
    for (int i = 0; i < 200 && !bDisparu(n); ++i)
        usleep(10000);
    return bDisparu(n);
}

TEST(ProcessusEnfantTest, StatusChannelAndOutput)
{
    _stRESULTATENFANT st;
    ASSERT_TRUE(bExecuteEnfant(Parle, nullptr, 10000, 1000, 1000, &st));
    EXPECT_TRUE(st.bSortie);
    EXPECT_EQ(7, st.nCode);
    EXPECT_EQ(0, st.nSignal);
    EXPECT_FALSE(st.bDelaiDepasse);
    EXPECT_EQ("step one\nstep two\n", st.sCanal);
    EXPECT_EQ("to stdout\nto stderr\n", st.sSortie);

    ASSERT_TRUE(bExecuteEnfant(Tue, nullptr, 10000, 1000, 1000, &st));
    EXPECT_FALSE(st.bSortie);
    EXPECT_EQ(-1, st.nCode);
    EXPECT_EQ(SIGTERM, st.nSignal);

    // Only the bytes asked for are kept, the rest is read and dropped.
    ASSERT_TRUE(bExecuteEnfant(Bavard, nullptr, 10000, 100, 1000, &st));
    EXPECT_EQ(std::string(100, 'x'), st.sCanal);
    EXPECT_TRUE(st.bCanalTronque);
    EXPECT_EQ(0, st.nCode);
}

TEST(ProcessusEnfantTest, TimeLimitEndsTheWholeGroup)
{
    _stRESULTATENFANT st;
    const auto t0 = std::chrono::steady_clock::now();
    ASSERT_TRUE(bExecuteEnfant(Abandonne, reinterpret_cast<void*>(1), 300, 1000, 1000, &st));
    const auto nMs =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
    EXPECT_TRUE(st.bDelaiDepasse);
    EXPECT_EQ(SIGKILL, st.nSignal);
    EXPECT_GE(nMs, 300);
    EXPECT_LT(nMs, 5000);
    const pid_t nPetit = static_cast<pid_t>(std::atoi(st.sCanal.c_str()));
    ASSERT_GT(nPetit, 0);
    EXPECT_TRUE(bDisparaitBientot(nPetit));
}

TEST(ProcessusEnfantTest, WhatAnEndedChildLeftBehindIsEnded)
{
    // The grandchild keeps the pipes open: the call must not wait for the limit.
    _stRESULTATENFANT st;
    const auto t0 = std::chrono::steady_clock::now();
    ASSERT_TRUE(bExecuteEnfant(Abandonne, nullptr, 20000, 1000, 1000, &st));
    const auto nMs =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
    EXPECT_FALSE(st.bDelaiDepasse);
    EXPECT_EQ(0, st.nCode);
    EXPECT_LT(nMs, 10000);
    const pid_t nPetit = static_cast<pid_t>(std::atoi(st.sCanal.c_str()));
    ASSERT_GT(nPetit, 0);
    EXPECT_TRUE(bDisparaitBientot(nPetit));
}

TEST(ProcessusEnfantTest, RefusesMissingArguments)
{
    _stRESULTATENFANT st;
    EXPECT_FALSE(bExecuteEnfant(nullptr, nullptr, 100, 10, 10, &st));
    EXPECT_FALSE(bExecuteEnfant(Parle, nullptr, 100, 10, 10, nullptr));
}

}  // namespace
