// Trace of the calls a sample component or image library receives, appended to a file the tests read.
#include "runtime/components/ComponentTrace.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

void TraceComposante(const char* pszFormat, ...)
{
    const char* pszFichier = std::getenv("ZV_TRACE_COMPOSANTE");
    if (!pszFichier || !*pszFichier)
        return;
    Dl_info stInfo = {};
    const char* pszLibrary = "?";
    if (dladdr(reinterpret_cast<void*>(&TraceComposante), &stInfo) && stInfo.dli_fname)
        pszLibrary = stInfo.dli_fname;

    char szTexte[512];
    va_list ap;
    va_start(ap, pszFormat);
    std::vsnprintf(szTexte, sizeof(szTexte), pszFormat, ap);
    va_end(ap);
    char szLigne[1024];
    const int n = std::snprintf(szLigne, sizeof(szLigne), "%s|%s\n", pszLibrary, szTexte);
    if (n <= 0)
        return;
    const size_t nTaille = static_cast<size_t>(n) < sizeof(szLigne) ? static_cast<size_t>(n) : sizeof(szLigne) - 1;

    const int fd = open(pszFichier, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    // One write per line: O_APPEND keeps lines whole.
    const ssize_t nEcrit = write(fd, szLigne, nTaille);
    (void)nEcrit;
    close(fd);
}
