/* libhostio: the C library's standard streams and a copy of the environment, as plain calls. */
#ifndef ZV_HOSTIO_H
#define ZV_HOSTIO_H

#include <stdio.h>

#ifdef __cplusplus
extern "C" {
#endif

#define HOSTIO_API __attribute__((visibility("default")))

/* The environment block of the last environ_copy(): each "NAME=value" entry followed by
 * a line feed, the whole followed by one NUL. Null until the first copy and after
 * environ_free(). Owned by the library. */
extern HOSTIO_API char* env;

HOSTIO_API FILE* wrap_stdin(void);
HOSTIO_API FILE* wrap_stdout(void);
HOSTIO_API FILE* wrap_stderr(void);

/* Rebuilds the block from the current environment and returns its length without the
 * final NUL. When memory runs out the previous block (and env) is kept and 0 is returned. */
HOSTIO_API int environ_copy(void);
/* The block of the last environ_copy(), or null. */
HOSTIO_API char* environ_get(void);
/* Releases the block; env becomes null. */
HOSTIO_API void environ_free(void);

#ifdef __cplusplus
}
#endif

#endif
