// Fault injection for tests: makes the N-th call of the system-call layer fail with a chosen
// errno, or return a short count, and sweeps an operation over every call it makes.
#pragma once

#include "base/system/AppelsSysteme.h"

#include <gtest/gtest.h>

#include <atomic>
#include <bitset>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <string>
#include <type_traits>
#include <vector>

namespace zvtest {

using CallSet = std::bitset<eSYS_NOMBRE>;

inline CallSet AllCalls()
{
    CallSet s;
    s.set();
    return s;
}

// The calls that move data, the only ones a short count applies to.
inline CallSet DataCalls()
{
    CallSet s;
    s.set(eSYS_READ);
    s.set(eSYS_WRITE);
    s.set(eSYS_PREAD);
    s.set(eSYS_PWRITE);
    return s;
}

struct FaultPlan {
    unsigned long nNth = 0;   // the call (from 1, counting only calls of the set) that fails; 0: none
    int nErrno = EIO;         // its errno
    bool bShort = false;      // a short count (half the bytes asked) instead of a failure
    bool bPersistent = false; // every later call of the set fails too (a disk that stays full)
    CallSet calls = AllCalls();
};

// Calls of one kind fail from the first one on with nErrno: only the first, or every one while
// the plan holds (a disk that stays full).
inline FaultPlan PlanForCalls(eAPPELSYSTEME eKind, int nErrno, bool bPersistent = false)
{
    FaultPlan plan;
    plan.calls.reset();
    plan.calls.set(eKind);
    plan.nNth = 1;
    plan.nErrno = nErrno;
    plan.bPersistent = bPersistent;
    return plan;
}

namespace fault_detail {

struct State {
    std::atomic<unsigned long> nCount{0};
    std::atomic<unsigned long> nFired{0};
    std::atomic<bool> bActive{false};
    FaultPlan plan;
};

inline State& g()
{
    static State s;
    return s;
}

enum Decision { ePass, eFail, eShorten };

inline Decision Decide(eAPPELSYSTEME eKind)
{
    State& s = g();
    if (!s.bActive.load(std::memory_order_acquire) || !s.plan.calls.test(eKind))
        return ePass;
    const unsigned long n = s.nCount.fetch_add(1) + 1;
    if (s.plan.nNth == 0 || n < s.plan.nNth || (n > s.plan.nNth && !s.plan.bPersistent))
        return ePass;
    s.nFired.fetch_add(1);
    return s.plan.bShort ? eShorten : eFail;
}

template <typename R>
R Failure()
{
    if constexpr (std::is_pointer_v<R>)
        return nullptr;
    else
        return static_cast<R>(-1);
}

// Halves the count of the data calls; the other calls are left as they are.
template <typename... A>
void Shorten(A&...)
{
}
inline void Shorten(int&, void*&, size_t& n) { n = n > 1 ? n / 2 : n; }
inline void Shorten(int&, const void*&, size_t& n) { n = n > 1 ? n / 2 : n; }
inline void Shorten(int&, void*&, size_t& n, off64_t&) { n = n > 1 ? n / 2 : n; }
inline void Shorten(int&, const void*&, size_t& n, off64_t&) { n = n > 1 ? n / 2 : n; }

#define ZV_X(kind, member, result, params, args)                  \
    inline result Fault##member params                            \
    {                                                             \
        switch (Decide(eSYS_##kind)) {                            \
        case eFail:                                               \
            if constexpr (eSYS_##kind == eSYS_CLOSE ||            \
                          eSYS_##kind == eSYS_CLOSEDIR)           \
                gstAppelsDefaut.pfn##member args; /* released */  \
            errno = g().plan.nErrno;                              \
            return Failure<result>();                             \
        case eShorten:                                            \
            Shorten args;                                         \
            break;                                                \
        case ePass:                                               \
            break;                                                \
        }                                                         \
        return gstAppelsDefaut.pfn##member args;                  \
    }
ZV_APPELS_SYSTEME(ZV_X)
#undef ZV_X

} // namespace fault_detail

// Installs the counting wrappers in the layer's table for its life, then puts the C library's
// calls back. One at a time; the calls may come from any thread. A failed close still releases
// the descriptor, as Linux does.
class FaultInjector {
public:
    FaultInjector()
    {
        fault_detail::g().bActive.store(false);
#define ZV_X(kind, member, result, params, args) gstAppelsSysteme.pfn##member.store(&fault_detail::Fault##member);
        ZV_APPELS_SYSTEME(ZV_X)
#undef ZV_X
    }
    ~FaultInjector()
    {
        fault_detail::g().bActive.store(false);
        SYS_RestoreCalls();
    }
    FaultInjector(const FaultInjector&) = delete;
    FaultInjector& operator=(const FaultInjector&) = delete;

    // Starts counting from zero under a new plan (nNth 0: count only).
    void Arm(const FaultPlan& plan)
    {
        fault_detail::State& s = fault_detail::g();
        s.bActive.store(false);
        s.plan = plan;
        s.nCount.store(0);
        s.nFired.store(0);
        s.bActive.store(true, std::memory_order_release);
    }
    void Disarm() { fault_detail::g().bActive.store(false); }
    // Calls of the plan's set since Arm.
    unsigned long nCalls() const { return fault_detail::g().nCount.load(); }
    // Faults injected since Arm.
    unsigned long nFired() const { return fault_detail::g().nFired.load(); }
};

// Descriptors open in this process (listed without the layer, so never failed).
inline int nOpenDescriptors()
{
    DIR* p = opendir("/proc/self/fd");
    if (!p)
        return -1;
    int n = 0;
    while (const dirent* pEnt = readdir(p))
        n += pEnt->d_name[0] != '.';
    closedir(p);
    return n;
}

inline const char* pszErrnoName(int nErrno)
{
    switch (nErrno) {
    case EIO: return "EIO";
    case ENOSPC: return "ENOSPC";
    case EINTR: return "EINTR";
    case EAGAIN: return "EAGAIN";
    default: return "errno";
    }
}

// What a sweep did: the calls of one clean run and the runs with a fault.
struct SweepStats {
    unsigned long nCalls = 0;    // calls of the set in the clean run
    unsigned long nInjected = 0; // runs in which a fault was injected
    unsigned long nFailed = 0;   // of those, runs that reported failure
};

// The fault loop: setup() prepares the files, op() runs the operation and returns whether it
// reported success, check(bOk, bMustSucceed) tests the files it touched (gtest assertions).
// A clean run counts the calls; then, for each errno and for a short count, one run per call
// with that call failing. EINTR and short counts must end in success; the others may succeed
// or fail. Every run must close what it opened. The figures are printed for the record.
template <typename Setup, typename Op, typename Check>
SweepStats Sweep(const char* pszName, Setup setup, Op op, Check check, const CallSet& calls = AllCalls(),
                 const std::vector<int>& vErrnos = {EIO, ENOSPC, EINTR, EAGAIN})
{
    SweepStats st;
    FaultInjector injector;
    setup();
    injector.Arm(FaultPlan{0, 0, false, false, calls});
    const int nFdsBefore = nOpenDescriptors();
    const bool bClean = op();
    injector.Disarm();
    EXPECT_TRUE(bClean) << pszName << ": the run without faults failed";
    EXPECT_EQ(nOpenDescriptors(), nFdsBefore) << pszName << ": descriptors left open by the clean run";
    check(bClean, true);
    st.nCalls = injector.nCalls();
    EXPECT_GT(st.nCalls, 0u) << pszName << ": no call went through the layer";

    std::vector<FaultPlan> vPlans;
    for (int nErrno : vErrnos)
        vPlans.push_back(FaultPlan{0, nErrno, false, false, calls});
    vPlans.push_back(FaultPlan{0, 0, true, false, calls & DataCalls()});
    for (FaultPlan plan : vPlans) {
        const bool bMustSucceed = plan.bShort || plan.nErrno == EINTR;
        for (unsigned long n = 1; n <= st.nCalls; ++n) {
            setup();
            plan.nNth = n;
            const int nFds = nOpenDescriptors();
            injector.Arm(plan);
            const bool bOk = op();
            const unsigned long nFired = injector.nFired();
            injector.Disarm();
            if (nFired == 0)
                break; // this run made fewer calls of the set: the sweep of this fault is done
            ++st.nInjected;
            st.nFailed += !bOk;
            const std::string sWhat = std::string(pszName) + ": call " + std::to_string(n) + " " +
                                      (plan.bShort ? "short" : pszErrnoName(plan.nErrno));
            SCOPED_TRACE(sWhat);
            if (bMustSucceed) {
                EXPECT_TRUE(bOk) << "interruptions and short counts must end in success";
            }
            EXPECT_EQ(nOpenDescriptors(), nFds) << "descriptors left open";
            check(bOk, bMustSucceed);
            if (::testing::Test::HasFailure())
                return st;
        }
    }
    std::printf("[ sweep    ] %s: %lu calls, %lu runs with an injected fault, %lu reported failure, "
                "no file left mixed\n",
                pszName, st.nCalls, st.nInjected, st.nFailed);
    return st;
}

} // namespace zvtest
