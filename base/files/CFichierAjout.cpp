// CFichierAjout: a text sink that appends whole lines to a file or to standard error, one write per line.
#include "base/files/CFichierAjout.h"

#include <fcntl.h>

#include <cerrno>
#include <string>

#include "base/system/AppelsSysteme.h"

CFichierAjout::~CFichierAjout()
{
    Ferme();
}

bool CFichierAjout::bOuvre(const char* pszChemin)
{
    Ferme();
    if (!pszChemin || !*pszChemin) {
        errno = ENOENT;
        return false;
    }
    const int nFd = SYS_nOpen(pszChemin, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY, 0666);
    if (nFd < 0)
        return false;
    m_nFd = nFd;
    m_bPossede = true;
    return true;
}

void CFichierAjout::OuvreDescripteur(int nFd)
{
    Ferme();
    m_nFd = nFd;
    m_bPossede = false;
}

void CFichierAjout::Ferme()
{
    if (m_nFd >= 0 && m_bPossede)
        SYS_bClose(m_nFd);
    m_nFd = -1;
    m_bPossede = false;
}

void CFichierAjout::EcritLigne(const char* pszTexte)
{
    if (m_nFd < 0)
        return;
    std::string sLigne(pszTexte ? pszTexte : "");
    sLigne += '\n';
    // One write keeps the line whole in an O_APPEND file; a short write (a full disk, a pipe)
    // goes on with the rest, which may then interleave but is not lost. A failure is dropped.
    SYS_bWriteAll(m_nFd, sLigne.data(), sLigne.size());
}
