// Probes of paths for diagnostics: what a path names, whether this process may read, write or run it, and the path with its links resolved.
#pragma once

#include "base/strings/CTString.h"

// What a path names, following symbolic links.
enum eGENREFICHIER : int {
    eGENRE_ABSENT,      // nothing there (ENOENT or ENOTDIR on the way)
    eGENRE_FICHIER,     // a regular file
    eGENRE_REPERTOIRE,  // a directory
    eGENRE_AUTRE,       // a device, a pipe, a socket
    eGENRE_INACCESSIBLE // stat failed otherwise (a directory on the way not searchable, a loop...)
};

struct _stSONDEFICHIER {
    eGENREFICHIER eGenre;
    int nErrno;              // errno of stat when the kind is absent or inaccessible, else 0
    unsigned nMode;          // permission bits (07777), 0 when stat failed
    unsigned nUid, nGid;     // owner, 0 when stat failed
    long long oTaille;       // size in bytes, 0 when stat failed
};

// stat of the path (links followed). Never fails: a path that cannot be examined is reported
// as absent or inaccessible with its errno. A null or empty path is absent (ENOENT).
_stSONDEFICHIER stSondeFichier(const char* pszChemin);

// Rights asked of nAcces: an or of these.
constexpr int gnAccesLecture = 4;
constexpr int gnAccesEcriture = 2;
constexpr int gnAccesExecution = 1;

// 0 when this process, with its user and groups, is granted every right of nAcces on the path;
// otherwise the errno the system gives (EACCES, ENOENT...). The super-user is granted
// reading and writing whatever the mode bits say, and execution when any execute bit is set.
int nErrnoAcces(const char* pszChemin, int nAcces);

// True when the effective user is the super-user, for whom the permission bits do not apply.
bool bSuperUtilisateur();

// The absolute path with every symbolic link, "." and ".." resolved, as the kernel names a
// running program. False (pclChemin untouched) when the path cannot be resolved; errno is kept.
bool bCheminReel(const char* pszChemin, CTString* pclChemin);

// The current working directory; empty when it cannot be obtained.
CTString clRepertoireCourant();

// A short English description of a kind, for messages: "a regular file", "a directory"...
const char* pszDecritGenre(eGENREFICHIER eGenre);
