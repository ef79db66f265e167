// Processeurs: how many processors this process may run on.
#include "base/system/Processeurs.h"

#include <sched.h>
#include <unistd.h>

unsigned nProcesseursDisponibles()
{
    cpu_set_t stMasque;
    CPU_ZERO(&stMasque);
    if (sched_getaffinity(0, sizeof(stMasque), &stMasque) == 0) {
        const int n = CPU_COUNT(&stMasque);
        if (n > 0)
            return unsigned(n);
    }
    const long n = sysconf(_SC_NPROCESSORS_ONLN);
    return n > 0 ? unsigned(n) : 1u;
}
