// Tests of the counting semaphore: counts, time-outs, posts from other threads, signals.
#include "base/system/CZVSem.h"

#include "support/Emulation.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <pthread.h>
#include <thread>

namespace {

TEST(CZVSem, TryWaitTakesWhatWasPosted)
{
    CZVSem sem(0, 1);
    ASSERT_TRUE(sem.bIsInitialised());
    EXPECT_EQ(sem.TryWait(), eZVSEM_NOTAVAILABLE);
    EXPECT_EQ(sem.Post(), eZVSEM_OK);
    EXPECT_EQ(sem.PostNoYield(), eZVSEM_OK);
    int n = -1;
    EXPECT_EQ(sem.GetValue(&n), eZVSEM_OK);
    EXPECT_EQ(n, 2);
    EXPECT_EQ(sem.TryWait(), eZVSEM_OK);
    EXPECT_EQ(sem.Wait(), eZVSEM_OK);
    EXPECT_EQ(sem.TryWait(), eZVSEM_NOTAVAILABLE);
}

TEST(CZVSem, UncreatedSemaphoreFailsWithoutBeingTouched)
{
    CZVSem sem;
    EXPECT_FALSE(sem.bIsInitialised());
    int n = 7;
    EXPECT_EQ(sem.Post(), eZVSEM_FAILURE);
    EXPECT_EQ(sem.Wait(), eZVSEM_FAILURE);
    EXPECT_EQ(sem.TryWait(), eZVSEM_FAILURE);
    EXPECT_EQ(sem.WaitTimeout(10), eZVSEM_FAILURE);
    EXPECT_EQ(sem.GetValue(&n), eZVSEM_FAILURE);
    EXPECT_EQ(n, 7);
    EXPECT_EQ(sem.Init(3, 10), 0);
    EXPECT_EQ(sem.GetValue(&n), eZVSEM_OK);
    EXPECT_EQ(n, 3);
    // Creating anew starts from the new count.
    EXPECT_EQ(sem.Init(1, 10), 0);
    EXPECT_EQ(sem.GetValue(&n), eZVSEM_OK);
    EXPECT_EQ(n, 1);
}

TEST(CZVSem, WaitTimeoutReachesItsDeadline)
{
    CZVSem sem(0, 1);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(sem.WaitTimeout(300), eZVSEM_TIMEOUT);
    // The wait lasted at least its limit (the deadline carries milliseconds into seconds).
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(290));
    EXPECT_EQ(sem.WaitTimeout(0), eZVSEM_TIMEOUT);
}

TEST(CZVSem, PostFromAnotherThreadEndsTheWait)
{
    CZVSem sem(0, 1);
    std::thread poster([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        sem.Post();
    });
    EXPECT_EQ(sem.WaitTimeout(10000), eZVSEM_OK);
    poster.join();
    std::thread again([&] { sem.Post(); });
    EXPECT_EQ(sem.WaitTimeout(0xFFFFFFFFu), eZVSEM_OK);
    again.join();
}

void OnSignal(int) {}

TEST(CZVSem, SignalsDoNotEndAWait)
{
    ZVTEST_SKIP_UNDER_EMULATION("under qemu-i386 a signal sent to a thread blocked in sem_wait makes the "
                                "later pthread_join of the sending thread fail (EDEADLK)");
    // A handler without SA_RESTART makes sem_wait return EINTR: the wait must go on.
    struct sigaction stAction = {};
    stAction.sa_handler = OnSignal;
    sigaction(SIGUSR1, &stAction, nullptr);
    CZVSem sem(0, 1);
    const pthread_t waiter = pthread_self();
    std::thread other([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        pthread_kill(waiter, SIGUSR1);
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        pthread_kill(waiter, SIGUSR1);
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        sem.Post();
    });
    EXPECT_EQ(sem.Wait(), eZVSEM_OK);
    other.join();
    std::thread late([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        pthread_kill(waiter, SIGUSR1);
    });
    EXPECT_EQ(sem.WaitTimeout(200), eZVSEM_TIMEOUT);
    late.join();
}

} // namespace
