// Locating and checking the application library (the script) named to the runtime.
#include "runtime/ScriptPath.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

bool RT_bRepertoireExe(CTString* pclRepertoire)
{
    pclRepertoire->Vide();
    char szExe[4097];
    const ssize_t n = readlink("/proc/self/exe", szExe, sizeof szExe - 1);
    if (n <= 0 || static_cast<size_t>(n) >= sizeof szExe - 1)
        return false;  // unreadable, or possibly cut off
    szExe[n] = '\0';
    char* pszSlash = std::strrchr(szExe, '/');
    if (pszSlash == nullptr)
        return false;
    // The root directory keeps its slash.
    pszSlash[pszSlash == szExe ? 1 : 0] = '\0';
    pclRepertoire->Set(szExe);
    return true;
}

bool RT_bCheminScript(const char* pszNom, CTString* pclChemin)
{
    pclChemin->Vide();
    if (pszNom == nullptr || *pszNom == '\0')
        return false;
    CTString clNom(pszNom);
    clNom.Remplace('\\', '/');
    if (clNom.nPos('/') >= 0) {
        *pclChemin = clNom;
        return true;
    }
    CTString clRepertoire;
    if (!RT_bRepertoireExe(&clRepertoire))
        return false;
    if (!clRepertoire.bTerminePar("/"))
        clRepertoire.Add('/');
    clRepertoire.Add(clNom.pszGet());
    *pclChemin = clRepertoire;
    return true;
}

bool RT_bScriptLisible(const char* pszChemin, long long oPosition)
{
    if (pszChemin == nullptr || *pszChemin == '\0' || oPosition < 0)
        return false;
    const int fd = open(pszChemin, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat64 st;
    const bool bOk = fstat64(fd, &st) == 0 && S_ISREG(st.st_mode) && oPosition <= static_cast<long long>(st.st_size);
    close(fd);
    return bOk;
}
