// CStopSignal: a request to stop, raised by one thread and awaited by another.
#include "runtime/CStopSignal.h"

#include <cerrno>
#include <ctime>

CStopSignal::CStopSignal() : m_bRequested(false)
{
    pthread_mutex_init(&m_stMutex, nullptr);
    pthread_condattr_t stAttr;
    pthread_condattr_init(&stAttr);
    pthread_condattr_setclock(&stAttr, CLOCK_MONOTONIC);
    pthread_cond_init(&m_stCond, &stAttr);
    pthread_condattr_destroy(&stAttr);
}

CStopSignal::~CStopSignal()
{
    pthread_cond_destroy(&m_stCond);
    pthread_mutex_destroy(&m_stMutex);
}

void CStopSignal::Request()
{
    pthread_mutex_lock(&m_stMutex);
    m_bRequested = true;
    pthread_cond_broadcast(&m_stCond);
    pthread_mutex_unlock(&m_stMutex);
}

void CStopSignal::Reset()
{
    pthread_mutex_lock(&m_stMutex);
    m_bRequested = false;
    pthread_mutex_unlock(&m_stMutex);
}

bool CStopSignal::bRequested()
{
    pthread_mutex_lock(&m_stMutex);
    const bool b = m_bRequested;
    pthread_mutex_unlock(&m_stMutex);
    return b;
}

bool CStopSignal::bWait(unsigned int nMilliseconds)
{
    timespec stFin;
    clock_gettime(CLOCK_MONOTONIC, &stFin);
    stFin.tv_sec += static_cast<time_t>(nMilliseconds / 1000);
    stFin.tv_nsec += static_cast<long>(nMilliseconds % 1000) * 1000000L;
    if (stFin.tv_nsec >= 1000000000L) {
        stFin.tv_nsec -= 1000000000L;
        ++stFin.tv_sec;
    }
    pthread_mutex_lock(&m_stMutex);
    while (!m_bRequested) {
        if (pthread_cond_timedwait(&m_stCond, &m_stMutex, &stFin) == ETIMEDOUT)
            break;
    }
    const bool b = m_bRequested;
    pthread_mutex_unlock(&m_stMutex);
    return b;
}
