/* libhostio: hands out the standard streams and a line-per-entry copy of the environment. */
#include "hostio.h"

#include <limits.h>
#include <stdlib.h>
#include <string.h>

extern char** environ;

/* Invariant: env is null or a heap block of at least (last returned length + 1) bytes. */
char* env = NULL;

FILE* wrap_stdin(void) { return stdin; }
FILE* wrap_stdout(void) { return stdout; }
FILE* wrap_stderr(void) { return stderr; }

int environ_copy(void)
{
    /* First pass: the size of the block, an entry and its line feed each. */
    size_t total = 0;
    char** e;
    for (e = environ; e != NULL && *e != NULL; ++e) {
        size_t len = strlen(*e) + 1;
        if (len > (size_t)INT_MAX - total)
            return 0; /* cannot be reported through an int: keep what we had */
        total += len;
    }

    char* block = (char*)realloc(env, total + 1);
    if (block == NULL)
        return 0; /* realloc left the old block intact, and env still points at it */
    env = block;
    memset(block, 0, total + 1);

    /* Second pass: copy. The environment must not change between the two passes; should
     * it grow anyway, the copy stops at the block's end rather than overrun it. */
    char* out = block;
    size_t room = total;
    for (e = environ; e != NULL && *e != NULL; ++e) {
        size_t len = strlen(*e);
        if (len + 1 > room)
            break;
        room -= len + 1;
        memcpy(out, *e, len);
        out[len] = '\n';
        out += len + 1;
    }
    return (int)total;
}

char* environ_get(void) { return env; }

void environ_free(void)
{
    free(env);
    env = NULL;
}
