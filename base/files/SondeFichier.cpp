// Probes of paths for diagnostics: what a path names, whether this process may read, write or run it, and the path with its links resolved.
#include "base/files/SondeFichier.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

#include "base/system/AppelsSysteme.h"

_stSONDEFICHIER stSondeFichier(const char* pszChemin)
{
    _stSONDEFICHIER st = {eGENRE_ABSENT, ENOENT, 0, 0, 0, 0};
    if (!pszChemin || !*pszChemin)
        return st;
    struct stat64 stStat;
    if (!SYS_bStat(pszChemin, &stStat)) {
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
    // The real ids decide; the programs that ask are never set-user-id, so they are also the
    // effective ones that the open and the exec that follow will be checked against.
    if (SYS_bAccess(pszChemin, nMode ? nMode : F_OK))
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
    char szChemin[PATH_MAX];
    if (!SYS_pszRealPath(pszChemin, szChemin))
        return false;
    *pclChemin = szChemin;
    return true;
}

CTString clRepertoireCourant()
{
    char szChemin[PATH_MAX];
    return CTString(SYS_pszGetcwd(szChemin, sizeof(szChemin)) ? szChemin : "");
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
