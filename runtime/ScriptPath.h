// Locating and checking the application library (the script) named to the runtime.
#pragma once

#include "base/strings/CTString.h"

// Directory of the running executable, from /proc/self/exe, without a final slash. False
// (the string emptied) when the link cannot be read.
bool RT_bRepertoireExe(CTString* pclRepertoire);

// The path of the script named pszNom: a name holding a slash is a path (relative names
// against the current directory); a bare name lies in the directory of the running
// executable. Backslashes count as slashes. False for a null or empty name, or when the
// executable's directory is needed and cannot be found.
bool RT_bCheminScript(const char* pszNom, CTString* pclChemin);

// True when pszChemin names a regular file that this process can open for reading and whose
// size is at least oPosition (the byte where the script starts; negative is refused).
bool RT_bScriptLisible(const char* pszChemin, long long oPosition);
