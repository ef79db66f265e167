// Threads over POSIX threads: a start record carries the Win32-style entry to the new thread.
#include "base/system/Threads.h"

#include <cerrno>
#include <new>
#include <sched.h>

namespace {

// Owned by the new thread once pthread_create succeeded, by the creator otherwise.
struct _stDemarrage {
    void (*pfnSansResultat)(void*);
    unsigned (*pfnAvecResultat)(void*);
    void* pArgument;
};

void* _pLanceThread(void* p)
{
    const _stDemarrage st = *static_cast<_stDemarrage*>(p);
    delete static_cast<_stDemarrage*>(p);
    if (st.pfnSansResultat) {
        st.pfnSansResultat(st.pArgument);
        return nullptr;
    }
    return reinterpret_cast<void*>(static_cast<uintptr_t>(st.pfnAvecResultat(st.pArgument)));
}

// 0 on success, the error number otherwise.
int _nCree(const _stDemarrage& stDemarrage, unsigned nStackSize, bool bDetache, pthread_t* pnThread)
{
    _stDemarrage* pst = new (std::nothrow) _stDemarrage(stDemarrage);
    if (!pst)
        return ENOMEM;
    pthread_attr_t stAttr;
    int nErreur = pthread_attr_init(&stAttr);
    if (nErreur != 0) {
        delete pst;
        return nErreur;
    }
    // A refused size (0, below the minimum) keeps the library's default.
    pthread_attr_setstacksize(&stAttr, nStackSize);
    pthread_attr_setdetachstate(&stAttr, bDetache ? PTHREAD_CREATE_DETACHED : PTHREAD_CREATE_JOINABLE);
    nErreur = pthread_create(pnThread, &stAttr, _pLanceThread, pst);
    pthread_attr_destroy(&stAttr);
    if (nErreur != 0)
        delete pst;
    return nErreur;
}

} // namespace

uintptr_t _beginthread(void (*pfnStart)(void*), unsigned nStackSize, void* pArgument)
{
    if (!pfnStart) {
        errno = EINVAL;
        return static_cast<uintptr_t>(-1);
    }
    pthread_t nThread{};
    const int nErreur = _nCree(_stDemarrage{pfnStart, nullptr, pArgument}, nStackSize, true, &nThread);
    if (nErreur != 0) {
        errno = nErreur;
        return static_cast<uintptr_t>(-1);
    }
    return static_cast<uintptr_t>(nThread);
}

uintptr_t _beginthreadex(void* /*pSecurity*/, unsigned nStackSize, unsigned (*pfnStart)(void*), void* pArgument,
                         unsigned /*nFlags*/, uintptr_t* pnThreadId)
{
    if (!pfnStart)
        return 0;
    pthread_t nThread{};
    if (_nCree(_stDemarrage{nullptr, pfnStart, pArgument}, nStackSize, false, &nThread) != 0)
        return 0;
    if (pnThreadId)
        *pnThreadId = static_cast<uintptr_t>(nThread);
    return static_cast<uintptr_t>(nThread);
}

uintptr_t CreateThread(void* pSecurity, unsigned nStackSize, unsigned (*pfnStart)(void*), void* pArgument,
                       unsigned nFlags, uintptr_t* pnThreadId)
{
    return _beginthreadex(pSecurity, nStackSize, pfnStart, pArgument, nFlags, pnThreadId);
}

bool SetThreadPriority(uintptr_t nThread, int nPriority)
{
    sched_param stParam{};
    stParam.sched_priority = nPriority;
    const int nErreur = pthread_setschedparam(static_cast<pthread_t>(nThread), SCHED_OTHER, &stParam);
    if (nErreur != 0) {
        errno = nErreur;
        return false;
    }
    return true;
}
