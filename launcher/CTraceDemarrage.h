// CTraceDemarrage: the start-up trace of ZVExe, one line per step of the runtime search and binding, switched on by ZVEXE_TRACE.
#pragma once

#include "base/files/CFichierAjout.h"
#include "launcher/EtapeDemarrage.h"

// ZVEXE_TRACE unset, empty or "0": no trace. "1": standard error. Anything else: a file that
// the lines are appended to (created when needed; relative to the current directory). Every
// line reads "ZVExe[PID]: " and the step's text, so that the starts of several processes
// sharing one file can be told apart. A file that cannot be opened makes the trace go to
// standard error, after one line that says why. Tracing only writes: it never changes what the
// start loads or does.
class CTraceDemarrage final : public IObservateurDemarrage {
public:
    static constexpr const char* pszVariable = "ZVEXE_TRACE";

    CTraceDemarrage() = default;
    ~CTraceDemarrage() = default;
    CTraceDemarrage(const CTraceDemarrage&) = delete;
    CTraceDemarrage& operator=(const CTraceDemarrage&) = delete;

    // Reads the variable and opens the destination; true when the trace is on.
    bool bOuvreSelonEnvironnement();
    // The same with the value given (null: off).
    bool bOuvre(const char* pszValeur);
    bool bActive() const { return m_clSortie.bOuvert(); }

    void vEtape(const _stETAPEDEMARRAGE& stEtape) override;
    // One line of free text, with the prefix.
    void Ligne(const char* pszTexte);

private:
    CFichierAjout m_clSortie;
};
