// CFichierAjout: a text sink that appends whole lines to a file or to standard error, one write per line.
#pragma once

#include "base/strings/CTString.h"

// Lines from several processes sharing one file never mix: the file is opened with O_APPEND and
// each line goes out in a single write. Not locked: one thread writes through one object.
// Failures after the open are ignored, as a diagnostic sink must never stop its caller.
class CFichierAjout {
public:
    CFichierAjout() = default;
    ~CFichierAjout();
    CFichierAjout(const CFichierAjout&) = delete;
    CFichierAjout& operator=(const CFichierAjout&) = delete;

    // Opens (creates with mode 0666 less the umask) pszChemin for appending; an open sink is
    // closed first. False, errno kept and the sink closed, when the file cannot be opened.
    bool bOuvre(const char* pszChemin);
    // Writes to the process's standard error (descriptor 2), which is not closed at the end.
    void OuvreErreurStandard() { OuvreDescripteur(2); }
    // Writes to a descriptor the caller keeps and closes.
    void OuvreDescripteur(int nFd);
    void Ferme();
    bool bOuvert() const { return m_nFd >= 0; }

    // The text and a line feed, in one write; the text is cut at its first NUL.
    void EcritLigne(const char* pszTexte);

private:
    int m_nFd = -1;
    bool m_bPossede = false;  // the descriptor was opened here and is closed here
};
