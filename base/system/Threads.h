// Threads as the Win32 calls _beginthread, _beginthreadex, CreateThread and SetThreadPriority, over POSIX threads.
#pragma once

#include <cstdint>
#include <pthread.h>

// A detached thread running pfnStart(pArgument) with the given stack size (a size the thread
// library refuses, 0 for one, leaves its default). Returns the thread's identifier, or
// (uintptr_t)-1 with errno set to the error.
uintptr_t _beginthread(void (*pfnStart)(void*), unsigned nStackSize, void* pArgument);

// A joinable thread running pfnStart(pArgument); pthread_join gives its result as a pointer-sized
// value. The identifier is stored through pnThreadId when given and returned; 0 on failure.
// Security and flags are not used.
uintptr_t _beginthreadex(void* pSecurity, unsigned nStackSize, unsigned (*pfnStart)(void*), void* pArgument,
                         unsigned nFlags, uintptr_t* pnThreadId);
uintptr_t CreateThread(void* pSecurity, unsigned nStackSize, unsigned (*pfnStart)(void*), void* pArgument,
                       unsigned nFlags, uintptr_t* pnThreadId);

// Scheduling priority under SCHED_OTHER (which admits only 0); true on success, otherwise
// false with errno set to the error.
bool SetThreadPriority(uintptr_t nThread, int nPriority);
