// Thread-specific keys: one pointer per thread under a process-wide key (POSIX thread keys).
#include "base/system/ThreadKey.h"

#include <pthread.h>

static_assert(sizeof(pthread_key_t) <= sizeof(unsigned), "a key fits an unsigned word");

bool TLS_bCreeCle(unsigned* pdwCle, void (*pfnDetruit)(void*))
{
    if (pdwCle == nullptr)
        return false;
    pthread_key_t cle;
    if (pthread_key_create(&cle, pfnDetruit) != 0)
        return false;
    *pdwCle = static_cast<unsigned>(cle);
    return true;
}

void TLS_SupprimeCle(unsigned dwCle)
{
    pthread_key_delete(static_cast<pthread_key_t>(dwCle));
}

void* TLS_pGetValeur(unsigned dwCle)
{
    return pthread_getspecific(static_cast<pthread_key_t>(dwCle));
}

bool TLS_bSetValeur(unsigned dwCle, void* p)
{
    return pthread_setspecific(static_cast<pthread_key_t>(dwCle), p) == 0;
}
