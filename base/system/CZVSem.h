// CZVSem: an unnamed POSIX counting semaphore shared by the threads of one process.
#pragma once

#include <cstdint>
#include <semaphore.h>

// Status codes of the operations.
enum : int {
    eZVSEM_OK = 0,
    eZVSEM_NOTAVAILABLE = 2, // TryWait: the count was 0
    eZVSEM_TIMEOUT = 3,      // WaitTimeout: the deadline passed
    eZVSEM_FAILURE = 5,      // the semaphore call failed (or the semaphore was never created)
};

class CZVSem {
public:
    // Leaves the semaphore uncreated: Init must follow.
    CZVSem();
    // Creates the semaphore with the initial count; the maximum is accepted and not used.
    CZVSem(unsigned nInitialValue, unsigned nMaximum);
    ~CZVSem();
    CZVSem(const CZVSem&) = delete;
    CZVSem& operator=(const CZVSem&) = delete;

    // Creates (or creates anew) the semaphore; returns sem_init's result (0 on success).
    int Init(unsigned nInitialValue, unsigned nMaximum);

    // Adds one to the count, then yields the processor so that a waiter can run at once.
    int Post();
    int PostNoYield();
    // Takes one from the count, waiting as long as it is 0 (signals do not end the wait).
    int Wait();
    // Takes one from the count when it is not 0; eZVSEM_NOTAVAILABLE otherwise.
    int TryWait();
    // Wait with a limit in milliseconds; 0xFFFFFFFF means no limit.
    int WaitTimeout(uint32_t dwMilliseconds);
    int GetValue(int* pnValue);

    bool bIsInitialised() const { return m_bInit != 0; }

private:
    sem_t m_stSem;
    int32_t m_bInit; // 0 until the semaphore is created
};
