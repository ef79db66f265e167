// Search, loading and initialisation of the runtime library, and the table of the standard component libraries.
#pragma once

#include <cstdint>

#include "base/strings/CTString.h"

struct _stINFOEXE;

// Process-wide search state, built empty before main and released at exit. Not locked: the
// search runs once, on the launcher's thread, before the runtime starts any thread.
struct _stRECHERCHEFRAMEWORK {
    CTString clRepFramework;        // directory the runtime library was loaded from (output)
    CTString clRepExe;              // directory of the running executable
    const _stINFOEXE* pstInfoExe;   // the launcher's copy of the information block (flags)
};

_stRECHERCHEFRAMEWORK* pstRechercheFramework();

// Finds, loads (RTLD_NOW) and initialises the runtime library named pszNomVM: first the
// explicit path pszCheminExplicite when it names a loadable file, else beside the executable,
// in the common installation directory (only when the block allows it and the search is not
// restricted), and through the dynamic loader's own search; then the library's
// "bInitLibrary" must accept. Returns the loader handle, or null when the library was not
// found, did not load or refused. Candidate paths longer than 260 characters count as absent.
void* hTrouveEtChargeVM(const char* pszNomVM, const char* pszCheminExplicite);

// The search as the launcher runs it for the executable pszCheminExe: reads the explicit path
// (key "VMPATH" of section "FRAMEWORK" of its execution parameters, the ".ZX" file), then
// hTrouveEtChargeVM. The steps go to the start-up observer when one is set (EtapeDemarrage.h);
// watching changes nothing of what is loaded.
void* hTrouveVMPourExecutable(const char* pszCheminExe, const char* pszNomVM);

// Records the directory of the executable pszCheminExe, with its final separator, as the one
// the search looks in first.
void SetRepExeRecherche(const char* pszCheminExe);

// Common directory for a runtime name, into pszCommun (nTaille bytes): for the standard name
// "/usr/local/NORVELL/lib/15.0/"; for a custom name the "CHEMIN" value of section "FRAMEWORK"
// of the profile "<executable's directory>/<name without extension>.conf" (possibly empty).
// False when the result does not fit.
bool bConstruitCheminFrameworkCommun(char* pszCommun, unsigned nTaille, const char* pszNomVM);

// One descriptor of the standard component libraries of the runtime family. The flags belong to
// the runtime family; they are only kept here.
struct _stSTDDESC {
    const char* pszNomFichier;
    uint32_t nIdentifiant;
    uint32_t dwFlags;
};

// The descriptor whose identifier is nIdentifiant (main table, then the second one), or null.
const _stSTDDESC* pstGetStdDesc(int nIdentifiant);
