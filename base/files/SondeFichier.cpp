// Probes of paths for diagnostics: what a path names, whether this process may read, write or run it, and the path with its links resolved.
#include "base/files/SondeFichier.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

_stSONDEFICHIER stSondeFichier(const char* pszChemin)
{
    _stSONDEFICHIER st = {eGENRE_ABSENT, ENOENT, 0, 0, 0, 0};
    if (!pszChemin || !*pszChemin)
        return st;
    struct stat stStat;
    if (stat(pszChemin, &stStat) != 0) {
        st.nErrno = errno;
        st.eGenre = (errno == ENOENT || errno == ENOTDIR) ? eGENRE_ABSENT : eGENRE_INACCESSIBLE;
        return st;
    }
    st.nErrno = 0;
    st.eGenre = S_ISREG(stStat.st_mode)   ? eGENRE_FICHIER
                : S_ISDIR(stStat.st_mode) ? eGENRE_REPERTOIRE
                                          : eGENRE_AUTRE;
    st.nMode = static_cast<unsigned>(stStat.st_mode & 07777);
    st.nUid = static_cast<unsigned>(stStat.st_uid);
    st.nGid = static_cast<unsigned>(stStat.st_gid);
    st.oTaille = static_cast<long long>(stStat.st_size);
    return st;
}

int nErrnoAcces(const char* pszChemin, int nAcces)
{
    if (!pszChemin || !*pszChemin)
        return ENOENT;
    int nMode = 0;
    if (nAcces & gnAccesLecture)
        nMode |= R_OK;
    if (nAcces & gnAccesEcriture)
        nMode |= W_OK;
    if (nAcces & gnAccesExecution)
        nMode |= X_OK;
    // The effective ids decide, as they do for the open and the exec that follow.
    if (faccessat(AT_FDCWD, pszChemin, nMode ? nMode : F_OK, AT_EACCESS) == 0)
        return 0;
    return errno ? errno : EACCES;
}

bool bSuperUtilisateur()
{
    return geteuid() == 0;
}

bool bCheminReel(const char* pszChemin, CTString* pclChemin)
{
    if (!pszChemin || !*pszChemin || !pclChemin) {
        errno = ENOENT;
        return false;
    }
    char* psz = realpath(pszChemin, nullptr);
    if (!psz)
        return false;
    *pclChemin = psz;
    std::free(psz);
    return true;
}

CTString clRepertoireCourant()
{
    char* psz = getcwd(nullptr, 0);
    CTString cl(psz ? psz : "");
    std::free(psz);
    return cl;
}

const char* pszDecritGenre(eGENREFICHIER eGenre)
{
    switch (eGenre) {
    case eGENRE_ABSENT:
        return "does not exist";
    case eGENRE_FICHIER:
        return "a regular file";
    case eGENRE_REPERTOIRE:
        return "a directory";
    case eGENRE_AUTRE:
        return "not a regular file";
    case eGENRE_INACCESSIBLE:
        break;
    }
    return "cannot be examined";
}
