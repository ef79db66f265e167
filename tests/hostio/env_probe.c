/* Child process of the libhostio tests: prints environ_copy()'s result, then the block. */
#include "hostio.h"

#include <stdio.h>

int main(void)
{
    int n = environ_copy();
    printf("%d\n", n);
    fputs(environ_get() ? environ_get() : "(null)", stdout);
    environ_free();
    return environ_get() == NULL ? 0 : 1;
}
