// Tests of the thread calls: detached and joinable threads, results, identifiers, stack sizes
// and priorities.
#include "base/system/Threads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <thread>

namespace {

std::atomic<int> gnVu{0};

void Detache(void* p)
{
    gnVu += *static_cast<int*>(p);
}

unsigned Joignable(void* p)
{
    return *static_cast<unsigned*>(p) * 2;
}

TEST(Threads, DetachedThreadRunsItsEntry)
{
    for (unsigned nPile : {0u, 1u, 256u * 1024u}) {
        SCOPED_TRACE(nPile);
        gnVu = 0;
        int nArgument = 5;
        const uintptr_t nId = _beginthread(Detache, nPile, &nArgument);
        ASSERT_NE(nId, static_cast<uintptr_t>(-1));
        for (int i = 0; i < 500 && gnVu == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        EXPECT_EQ(gnVu, 5);
    }
    errno = 0;
    EXPECT_EQ(_beginthread(nullptr, 0, nullptr), static_cast<uintptr_t>(-1));
    EXPECT_EQ(errno, EINVAL);
}

TEST(Threads, JoinableThreadsGiveTheirIdentifierAndResult)
{
    for (auto pfn : {_beginthreadex, CreateThread}) {
        unsigned nArgument = 21;
        uintptr_t nId = 0;
        const uintptr_t nThread = pfn(nullptr, 0, Joignable, &nArgument, 0, &nId);
        ASSERT_NE(nThread, 0u);
        EXPECT_EQ(nId, nThread);
        void* pResultat = nullptr;
        ASSERT_EQ(pthread_join(static_cast<pthread_t>(nThread), &pResultat), 0);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(pResultat), 42u);
        const uintptr_t nSansId = pfn(nullptr, 0, Joignable, &nArgument, 0, nullptr); // threadId is optional
        ASSERT_NE(nSansId, 0u);
        pthread_join(static_cast<pthread_t>(nSansId), nullptr);
        uintptr_t nRien = 7;
        EXPECT_EQ(pfn(nullptr, 0, nullptr, nullptr, 0, &nRien), 0u);
        EXPECT_EQ(nRien, 7u);
    }
}

TEST(Threads, PriorityUnderTheOrdinaryPolicy)
{
    const uintptr_t nSoi = static_cast<uintptr_t>(pthread_self());
    EXPECT_TRUE(SetThreadPriority(nSoi, 0));
    errno = 0;
    EXPECT_FALSE(SetThreadPriority(nSoi, 5));
    EXPECT_EQ(errno, EINVAL);
}

} // namespace
