// CZVSem: an unnamed POSIX counting semaphore shared by the threads of one process.
#include "base/system/CZVSem.h"

#include <cerrno>
#include <ctime>
#include <sched.h>
#include <sys/time.h>

// Invariant: m_stSem is touched only while m_bInit is non-zero. Operations on a semaphore
// that was never created report a failure instead of using an uninitialised sem_t.

CZVSem::CZVSem() : m_stSem(), m_bInit(0) {}

CZVSem::CZVSem(unsigned nInitialValue, unsigned nMaximum) : m_stSem(), m_bInit(0)
{
    Init(nInitialValue, nMaximum);
}

CZVSem::~CZVSem()
{
    if (m_bInit)
        sem_destroy(&m_stSem);
}

int CZVSem::Init(unsigned nInitialValue, unsigned /*nMaximum*/)
{
    // Creating anew: the old semaphore is destroyed first, so that nothing leaks. The owner
    // makes sure nobody waits on it meanwhile.
    if (m_bInit) {
        sem_destroy(&m_stSem);
        m_bInit = 0;
    }
    const int nRes = sem_init(&m_stSem, 0, nInitialValue);
    if (nRes == 0)
        m_bInit = 1;
    return nRes;
}

int CZVSem::PostNoYield()
{
    if (!m_bInit || sem_post(&m_stSem) != 0)
        return eZVSEM_FAILURE;
    return eZVSEM_OK;
}

int CZVSem::Post()
{
    const int nRes = PostNoYield();
    if (nRes == eZVSEM_OK)
        sched_yield();
    return nRes;
}

int CZVSem::Wait()
{
    if (!m_bInit)
        return eZVSEM_FAILURE;
    while (sem_wait(&m_stSem) != 0) {
        if (errno != EINTR)
            return eZVSEM_FAILURE;
    }
    return eZVSEM_OK;
}

int CZVSem::TryWait()
{
    if (!m_bInit)
        return eZVSEM_FAILURE;
    while (sem_trywait(&m_stSem) != 0) {
        if (errno == EAGAIN)
            return eZVSEM_NOTAVAILABLE;
        if (errno != EINTR)
            return eZVSEM_FAILURE;
    }
    return eZVSEM_OK;
}

int CZVSem::WaitTimeout(uint32_t dwMilliseconds)
{
    if (dwMilliseconds == 0xFFFFFFFFu)
        return Wait();
    if (!m_bInit)
        return eZVSEM_FAILURE;
    // Absolute deadline on the clock sem_timedwait measures (CLOCK_REALTIME).
    struct timeval stNow;
    gettimeofday(&stNow, nullptr);
    long long nMicro = static_cast<long long>(stNow.tv_usec) + static_cast<long long>(dwMilliseconds % 1000) * 1000;
    struct timespec stDeadline;
    stDeadline.tv_sec = stNow.tv_sec + static_cast<time_t>(dwMilliseconds / 1000) + static_cast<time_t>(nMicro / 1000000);
    stDeadline.tv_nsec = static_cast<long>((nMicro % 1000000) * 1000);
    for (;;) {
        errno = 0;
        const int nRes = sem_timedwait(&m_stSem, &stDeadline);
        if (nRes == 0)
            return eZVSEM_OK;
        const int nErr = errno != 0 ? errno : nRes;
        if (nErr == EINTR)
            continue;
        return nErr == ETIMEDOUT ? eZVSEM_TIMEOUT : eZVSEM_FAILURE;
    }
}

int CZVSem::GetValue(int* pnValue)
{
    if (!m_bInit || pnValue == nullptr || sem_getvalue(&m_stSem, pnValue) != 0)
        return eZVSEM_FAILURE;
    return eZVSEM_OK;
}
