// CRemplacementAtomique: replaces the whole content of a file in one step, so that a failure or
// a crash leaves either the old content or the new one, never a cut or mixed file.
#pragma once

#include <cstddef>
#include <string>

// The new content is written to a new file in the same directory (".NAME.XXXXXX"), synced, and
// renamed over the file. What callers rely on is kept:
// - a symbolic link stays a link: its final target is what gets replaced (a dangling link gets
//   its target created);
// - an existing file keeps its permission bits and its owner and group; a new file gets
//   0666 less the creation mask. The temporary file is never more open than the file it
//   replaces: it is made 0600 until the old bits are put on it.
// The file is rewritten in place instead (the fallback) when the replacement could not keep
// what it must: the directory refuses a new file (EACCES, EPERM, ENOSPC, EDQUOT), the owner or
// group cannot be given to the new file (the caller may not set them), or the file has other
// hard links (they would keep the old content). In place, the final size is first reserved
// on the disk when it is known and larger than the file (a failure then changes nothing), then
// the content is written from the start and the file cut at its end: only an I/O error in
// the middle of that write can leave a mix, which the fallback cannot avoid.
// Something else than a regular file (a device, a pipe) is written directly, emptied first,
// unless eREGULIER_SEULEMENT refuses it (EINVAL).
//
// Extended attributes and access control lists of the old file are not carried over. A crash
// between creation and rename leaves the ".NAME.XXXXXX" file behind, the file itself intact.
// Every failure keeps errno and is recorded by the system-call layer with its path.
class CRemplacementAtomique {
public:
    enum : unsigned { eREGULIER_SEULEMENT = 1 };
    enum eMODE { eFERME, eATOMIQUE, eEN_PLACE, eDIRECT };

    CRemplacementAtomique() = default;
    // Abandons a replacement not validated: the file keeps its old content.
    ~CRemplacementAtomique();
    CRemplacementAtomique(const CRemplacementAtomique&) = delete;
    CRemplacementAtomique& operator=(const CRemplacementAtomique&) = delete;

    // Prepares the replacement of pszName (used as given: no separator conversion).
    // oTailleFinale is the size of the new content when known (-1 otherwise); the in-place
    // fallback needs it to reserve the space first. False (errno set, nothing changed) when the
    // file cannot be replaced.
    bool bOuvre(const char* pszName, long long oTailleFinale, unsigned nOptions = 0);
    // Appends to the new content.
    bool bEcrit(const void* p, std::size_t n);
    // Makes the new content the file's: sync, rename over (or cut in place), sync of the
    // directory. False when any step fails; the file then holds its old content, except after
    // the rename, when only the sync of the directory failed (the new content is in place but
    // may not survive a crash).
    bool bValide();
    // Drops the new content; the file keeps its old one.
    void Abandonne();

    // The descriptor the new content goes to (-1 when closed), for copies that write themselves.
    int nGetFd() const { return m_nFd; }
    // The name of the file the new content is written to (the temporary file, or the target).
    const char* pszGetEcrit() const { return m_sEcrit.c_str(); }
    // The file replaced (the final target of the links).
    const char* pszGetCible() const { return m_sCible.c_str(); }
    eMODE eGetMode() const { return m_eMode; }
    // The target did not exist: validating creates it.
    bool bCree() const { return m_bCree; }

private:
    bool _bResoutLiens(const char* pszName);
    bool _bOuvreTemporaire(bool& bRepli);
    bool _bOuvreEnPlace();
    bool _bOuvreDirect();
    void _Ferme();

    eMODE m_eMode = eFERME;
    int m_nFd = -1;
    std::string m_sCible;        // the file replaced
    std::string m_sEcrit;        // where the content goes
    long long m_oTailleFinale = -1;
    long long m_oTailleAvant = 0; // size of the target before (in place)
    bool m_bExiste = false;
    bool m_bCree = false;
    unsigned m_nMode = 0;   // permission bits of the old file
    unsigned m_nUid = 0, m_nGid = 0;
    unsigned long m_nLiens = 1;
};
