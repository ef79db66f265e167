// CRuntimeSession: what the launcher has told the runtime, and the runs it asked for.
#pragma once

#include <pthread.h>

#include <cstdint>

#include "base/strings/CTString.h"
#include "contract/RuntimeContract.h"
#include "runtime/CStopSignal.h"

class CScriptRunner;
class CSimpleBuffer;

// One per loaded library. Every operation is called from the launcher's thread; the only
// other thread is the service's, which works on its own copies (see CScriptRunner) and
// touches the session only through the stop signal.
class CRuntimeSession {
public:
    static CRuntimeSession* s_pclGet();

    // A new session begins ("bInitLibrary"): a running service is stopped, everything is forgotten.
    void Initialise(void* hLibrary);
    // "TermLibrary": stops a running service.
    void Termine();

    // Accepts the application library when it names a readable regular file at least
    // oPosition bytes long; a refusal forgets the previous one.
    bool bDonneZVL(const char* pszNom, long long oPosition);
    void DonneRepDQ(const char* pszRepertoire) { m_clRepDonnees.Set(pszRepertoire); }
    void DonneKRV(const char* pszPremier, const char* pszSecond);
    void DonneFinInit(PFN_FININIT pfnCallBack, void* pContext);
    void InitGoRequete(void* pContext) { m_pContexteRequete = pContext; }
    int nSetParam(int nCode, intptr_t nValeur);

    // Runs the script on the caller's thread; only mode 5 runs.
    bool bRunExec(unsigned int nMode, const char* pszProjet, const char* pszCmdLine, int* pnRetour);
    // Starts the script on a thread of its own and returns; when the script ends by itself,
    // pfnStop (when non-null) is called with 0 from that thread. False when no application
    // library was accepted, a service already runs, or the thread cannot be made.
    bool bRunService(const char* pszProjet, const char* pszCmdLine, PFN_STOPSERVICE pfnStop);
    // Asks the service to stop, waits for its thread and returns true; false when none ran.
    bool bTermService();
    bool bTest(int nMode, const char* pszTexte) const;
    bool bListeDLL(CSimpleBuffer* pclBuffer, const char* pszTexte) const;
    bool bListeZVL(CSimpleBuffer* pclBuffer, const char* pszTexte) const;

    const char* pszGetZVL() const { return m_clZVL.pszGet(); }
    void* hGetLibrary() const { return m_hLibrary; }
    int nGetVersionActive() const { return m_nVersionActive; }
    bool bEstTermine() const { return m_bTermine; }

private:
    CRuntimeSession();
    ~CRuntimeSession();
    CRuntimeSession(const CRuntimeSession&) = delete;
    CRuntimeSession& operator=(const CRuntimeSession&) = delete;

    void _Oublie();
    static void* s_pServiceThread(void* pSession);
    // Fills the buffer with the names, each followed by a NUL, and one more NUL at the end.
    static bool s_bRemplitListe(CSimpleBuffer* pclBuffer, const char* pszNom);

    void* m_hLibrary;             // the library's own loader handle, not owned
    CTString m_clZVL;             // path of the accepted application library; empty when none
    long long m_oPosition;        // byte of that file where the script starts
    CTString m_clRepDonnees;
    CTString m_clKRV1;
    CTString m_clKRV2;
    PFN_FININIT m_pfnFinInit;
    void* m_pContexteFinInit;
    void* m_pContexteRequete;
    int m_nVersionActive;
    int m_nModeExecution;
    int m_nHistoConnexion;
    intptr_t m_nLogger;           // the launcher's ILogger*, handed to the runs (not owned)
    bool m_bTermine;              // code 1012 was received: no more runs

    // The service: the thread exists exactly when m_bServiceLance is true.
    pthread_t m_stService;
    bool m_bServiceLance;
    CStopSignal m_clStop;
    CScriptRunner* m_pclServiceRunner;  // owned while the service runs
    CTString m_clProjetService;         // the project the service runs, for its log lines
    PFN_STOPSERVICE m_pfnStop;
};
