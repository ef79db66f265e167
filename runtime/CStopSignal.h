// CStopSignal: a request to stop, raised by one thread and awaited by another.
#pragma once

#include <pthread.h>

// A flag guarded by a mutex with a condition variable, so that a waiting thread wakes up as
// soon as the stop is requested instead of finishing its wait. Built on the POSIX calls so
// that nothing of the C++ library's templates ends up in the runtime's exported symbols.
class CStopSignal {
public:
    CStopSignal();
    ~CStopSignal();
    CStopSignal(const CStopSignal&) = delete;
    CStopSignal& operator=(const CStopSignal&) = delete;

    // Raises the flag and wakes every waiter.
    void Request();
    // Lowers the flag (before a new service starts).
    void Reset();
    bool bRequested();
    // Waits nMilliseconds or until the stop is requested; true when it was requested.
    bool bWait(unsigned int nMilliseconds);

private:
    pthread_mutex_t m_stMutex;
    pthread_cond_t m_stCond;  // on CLOCK_MONOTONIC, so that setting the clock does not shorten a wait
    bool m_bRequested;
};
