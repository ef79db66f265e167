// CScriptRunner: reads an application script and runs its commands one line after another.
#pragma once

#include "base/strings/CTString.h"
#include "contract/RuntimeContract.h"

class CSimpleBuffer;
class ILogger;
class CStopSignal;
class CXError;

// One run of a script. Everything the commands may print is copied in at construction, so
// a run on the service thread shares nothing with the launcher's thread but the error
// callback and the stop signal.
//
// Script language: one command per line, the command word first, then its argument after
// blanks or tabs. Blank lines and lines whose first non-blank character is '#' are skipped;
// a CR before the line feed is dropped.
//   print TEXT       TEXT (the bytes after the blank that follows the word) and a line feed
//   printcmd         the command line handed to the run
//   printproject     the project name
//   printdatadir     the data-files directory
//   printversion     the active version, in decimal
//   env NAME         the value of the environment variable NAME (empty when unset)
//   exit N           ends the run with return code N (signed 32-bit)
//   fail             ends the run, reported as failed
//   error CODE TEXT  reports an error with user code CODE (unsigned 32-bit) and message
//                    TEXT through the error callback, then goes on
//   sleep MS         waits MS milliseconds (at most 3600000); a stop request cuts it short
//   busy MS          keeps the thread busy MS milliseconds (at most 3600000), deaf to stop requests
//   log P TEXT       logs TEXT at priority P (0 to 7) through the logger handed by the launcher
//   logevent P E TEXT  logs "event E: TEXT" at priority P as event E (signed 32-bit)
//   stopservice N    calls the launcher's stop callback with N (signed 32-bit), then goes on
// Without a logger the log commands do nothing; without a stop callback (a run that is not
// a service) stopservice does nothing.
// A run that reaches the end of the script returns 0. Anything else (unknown command, bad
// argument, a line longer than ms_nLigneMax, a NUL byte, an unreadable file) is reported
// through the error callback and fails the run.
class CScriptRunner {
public:
    static constexpr unsigned int ms_nLigneMax = 4096;             // characters, line feed excluded
    static constexpr long long ms_oScriptMax = 1024LL * 1024LL;    // bytes read from the start position
    static constexpr unsigned int ms_nSleepMax = 3600000;         // milliseconds
    static constexpr int ms_nPrioriteMax = 7;                     // syslog levels 0 to 7

    // pclStop may be null (no one can stop the run early); wThread is the thread number
    // given in the context of the errors raised (0 for the launcher's thread).
    // pclLogger (the launcher's, not owned) and pfnStop may be null.
    CScriptRunner(const char* pszScript, long long oPosition, const char* pszProjet, const char* pszCmdLine,
                  const char* pszRepDonnees, int nVersion, unsigned short wThread, CStopSignal* pclStop,
                  ILogger* pclLogger = nullptr, PFN_STOPSERVICE pfnStop = nullptr);

    // Runs the script. True when it reached its end, an `exit`, or a stop request; then
    // *pnRetour (when non-null) receives the return code. False otherwise, *pnRetour untouched.
    bool bRun(int* pnRetour);

private:
    enum eSUITE { eSUITE_CONTINUE, eSUITE_FIN, eSUITE_ECHEC };

    // Reads the script from its start position; reports and returns false on failure.
    bool _bLitScript(CSimpleBuffer* pclContenu);
    eSUITE _eExecuteLigne(const char* pszLigne, unsigned int nLigne, int* pnCode);
    // Reports a fault of the script (or of its file) and returns eSUITE_ECHEC.
    eSUITE _eErreurScript(unsigned int nLigne, const char* pszTexte, const char* pszDetail);
    void _PrepareErreur(CXError* pclErreur, unsigned int nLigne) const;
    static bool s_bEcrit(const char* pszTexte);
    static bool s_bEcritLigne(const char* pszTexte);

    CTString m_clScript;
    long long m_oPosition;
    CTString m_clProjet;
    CTString m_clCmdLine;
    CTString m_clRepDonnees;
    int m_nVersion;
    unsigned short m_wThread;
    CStopSignal* m_pclStop;  // not owned
    ILogger* m_pclLogger;    // not owned
    PFN_STOPSERVICE m_pfnStop;
};
