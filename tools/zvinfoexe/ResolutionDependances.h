// Resolution of the libraries an ELF object needs, as the dynamic loader would find them: the object's search paths, LD_LIBRARY_PATH, the loader's cache, the system directories.
#pragma once

#include <string>
#include <vector>

#include "tools/zvinfoexe/CCacheLdSo.h"
#include "tools/zvinfoexe/CLecteurElf.h"

// What the loader of one ABI is given to search with.
struct _stCONTEXTECHARGEUR {
    unsigned nClasse = 0, nMachine = 0;  // the ABI of the program that loads (class, machine)
    std::string sLdLibraryPath;          // the value of LD_LIBRARY_PATH ("" when unset)
    const CCacheLdSo* pclCache = nullptr; // the loader's cache, null when it could not be read
};

// One library looked for.
struct _stDEPENDANCE {
    std::string sNom;          // as the needing object names it
    std::string sDemandeur;    // the object that needs it
    std::string sChemin;       // the file the loader would take; empty when none
    std::string sOrigine;      // where that file was found: "RPATH", "LD_LIBRARY_PATH", "RUNPATH",
                               // "ld.so.cache", "system directory", "path" (a name holding a "/")
    std::string sIncompatible; // a file of that name passed over, with its ABI, when one was seen
};

// Finds the library sNom for an object (pclDemandeur, whose file is sDemandeur; null for a
// program without search paths of its own, which is how the launcher asks for its runtime).
// Candidates of another ABI are passed over, as the loader passes them over. False when none is
// found; *pst is filled either way.
bool bTrouveBibliotheque(const std::string& sNom, const CLecteurElf* pclDemandeur, const std::string& sDemandeur,
                         const _stCONTEXTECHARGEUR& stContexte, _stDEPENDANCE* pst);

// Every library that loading the object sObjet would bring in, breadth first, each name once
// (the first object that needs it), its own needs followed through the files found. At most
// 512 libraries are followed.
std::vector<_stDEPENDANCE> vResoutDependances(const std::string& sObjet, const CLecteurElf& clObjet,
                                              const _stCONTEXTECHARGEUR& stContexte);

// The directories of a search path (":" or ";" between them) with $ORIGIN, $LIB and $PLATFORM
// replaced; an empty element is the current directory, as for the loader.
std::vector<std::string> vDecoupeChemins(const std::string& sChemins, const std::string& sOrigine,
                                         unsigned nClasse);

// The system directories the loader of that ABI searches last.
std::vector<std::string> vRepertoiresSysteme(unsigned nClasse, unsigned nMachine);

// Reads at most nMax bytes of a file; false when it cannot be opened or read.
bool bLitDebutFichier(const std::string& sChemin, size_t nMax, std::vector<unsigned char>* pab);
