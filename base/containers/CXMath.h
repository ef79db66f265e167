// CXMath: small integer helpers of the containers (primality for the hash table's bucket counts).
#pragma once

class CXMath {
public:
    // Primality by trial division: 2 is prime, other even numbers are not, 1, 3, 5 and 7
    // are, multiples of 3 are not, then odd divisors from 5 until the quotient falls below
    // the divisor. 0 is not prime; 1 counts as prime (a one-bucket table is allowed).
    static bool bEstPremier(unsigned n);
    // The smallest number from n upwards for which bEstPremier holds; 0 when there is none
    // below 2^32.
    static unsigned s_nPremierApres(unsigned n);
};
