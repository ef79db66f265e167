// The steps of a start-up (runtime search, binding, hand-over) as records, their observer, their text and their serialised form.
#pragma once

#include "base/strings/CTString.h"

// Which step. The order is the order of a start-up.
enum eETAPEDEMARRAGE : int {
    eETAPE_PROGRAMME,   // chemin: the executable; detail: the runtime library name of its block
    eETAPE_PARAMETRES,  // chemin: the ".ZX" file; detail: its VMPATH value
    eETAPE_EXPLICITE,   // chemin: the explicit path (VMPATH)
    eETAPE_DRAPEAUX,    // n1: restricted-search flag, n2: common-directory flag
    eETAPE_REPEXE,      // strategy 1, chemin: the candidate beside the executable
    eETAPE_RESTREINTE,  // the restricted-search flag ends the strategies
    eETAPE_CONF,        // custom runtime name, chemin: its ".conf"; detail: its CHEMIN value
    eETAPE_COMMUN,      // strategy 2, chemin: the candidate in the common directory
    eETAPE_DEV,         // strategy 3 (nothing to try on this platform)
    eETAPE_PATH,        // strategy 4, chemin: the bare name; detail: the file loaded or the loader's text
    eETAPE_CHARGEMENT,  // the final load, chemin: the full path; detail: the file loaded or the loader's text
    eETAPE_INIT,        // "bInitLibrary", chemin: the library
    eETAPE_RESULTAT,    // chemin: the directory the runtime was loaded from (empty: the bare name)
    eETAPE_ENTREE,      // chemin: an export; n1: 1 when a start cannot do without it
    eETAPE_PROXY,       // "pQueryProxy"(100)
    eETAPE_ZVL,         // chemin: the application library handed over; n1: its position
    eETAPE_DONNEES,     // chemin: the data-files directory handed over; n1: the active version
    eETAPE_NOMBRE
};

// What came of it. Each step uses the few that apply to it.
enum eISSUEETAPE : int {
    eISSUE_AUCUN,          // nothing to try (no explicit path, no ".ZX", no value)
    eISSUE_PAS_UN_FICHIER, // detail: what the path is instead ("does not exist", "a directory")
    eISSUE_TROP_LONG,      // the path passes 260 characters
    eISSUE_TROUVE,         // a regular file, or a value or export that is there
    eISSUE_ILLISIBLE,      // a regular file this process may not read; detail: the system's text
    eISSUE_CHARGE,         // the loader loaded it; detail: the file it chose
    eISSUE_REFUSE,         // the loader refused it (detail: its text), or the runtime answered no
    eISSUE_IGNORE,         // not tried (its flag is 0, or a step without use here)
    eISSUE_MANQUE,         // an export or a key that is missing
    eISSUE_ACCEPTE,        // the runtime answered yes
    eISSUE_NOMBRE
};

struct _stETAPEDEMARRAGE {
    eETAPEDEMARRAGE eEtape;
    eISSUEETAPE eIssue;
    const char* pszChemin;  // never null once reported
    const char* pszDetail;  // never null once reported
    long long n1, n2;
};

// Receives the steps as they happen, on the thread that starts the runtime. The texts of a
// record live only for the call.
class IObservateurDemarrage {
public:
    virtual void vEtape(const _stETAPEDEMARRAGE& stEtape) = 0;

protected:
    ~IObservateurDemarrage() = default;
};

// The process-wide observer (null: nobody watches, and no step does any work to describe
// itself). Set and read on the launcher's thread only; the observer must outlive its setting.
void SetObservateurDemarrage(IObservateurDemarrage* pclObservateur);
IObservateurDemarrage* pclObservateurDemarrage();

// Hands one step to the observer, if any; null texts become empty.
void SignaleEtape(eETAPEDEMARRAGE eEtape, eISSUEETAPE eIssue, const char* pszChemin, const char* pszDetail = "",
                  long long n1 = 0, long long n2 = 0);

// One line of English for a person, without line end:
// "1 executable directory: /opt/app/zv150vm.so: not a file (does not exist)".
CTString clTexteEtape(const _stETAPEDEMARRAGE& stEtape);

// The record as one line without line end, the texts escaped ("\\", "\t", "\n" as \\ \t \n),
// for a child process to hand its steps to its parent through a pipe.
CTString clSerialiseEtape(const _stETAPEDEMARRAGE& stEtape);

// A serialised step read back into *pstEtape, whose texts then point into *pclChemin and
// *pclDetail. Any line not made by clSerialiseEtape (unknown step or issue, wrong field count,
// bad escape, a number out of range) is refused, so a library that writes into the pipe can
// forge no more than well-formed records.
bool bLitEtapeSerialisee(const char* pLigne, size_t nLongueur, _stETAPEDEMARRAGE* pstEtape, CTString* pclChemin,
                         CTString* pclDetail);
