// CXMath: small integer helpers of the containers (primality for the hash table's bucket counts).
#include "base/containers/CXMath.h"

bool CXMath::bEstPremier(unsigned n)
{
    if (n == 2)
        return true;
    if (n % 2 == 0)
        return false;
    if (n < 9)
        return true;
    if (n % 3 == 0)
        return false;
    for (unsigned nDiviseur = 5;; nDiviseur += 2) {
        const unsigned nQuotient = n / nDiviseur;
        if (nQuotient < nDiviseur)
            return true;
        if (nQuotient * nDiviseur == n)
            return false;
    }
}

unsigned CXMath::s_nPremierApres(unsigned n)
{
    for (;;) {
        if (bEstPremier(n))
            return n;
        if (n == 0xFFFFFFFFu)
            return 0;
        ++n;
    }
}
