// CLogger: the logger of daemon mode, writing to the system log or to a log file.
#pragma once

#include <sys/types.h>

#include <mutex>

#include "contract/ILogger.h"

// Starts in system-log mode. The mode changes only in bSetMode; the logging calls only read
// it, so they may come from any thread as long as no one changes the mode meanwhile.
// No openlog is issued: the C library's default identity and facility apply.
//
// File mode (any mode but 0 and 1) appends one line per call to the file named in bSetMode:
//   2026-12-09T06:12:33.123+01:00 NAME[PID]: PRIORITY: TEXT
//   2026-12-09T06:12:33.123+01:00 NAME[PID]: PRIORITY [EVENT]: TEXT
// local time with its UTC offset, the program name and process, the priority's name ("crit",
// "err"...; the number when it has none), the event when the call gives one (AddLogEvent,
// AddLogDetail), the text with its control characters but TAB written "#ooo" (octal) so that
// one call stays one line. The file is opened append-only, close-on-exec, created with mode
// 0640; each line goes in one write, so lines of threads and processes never interleave.
// Before each line the logger checks that its path still names the open file: once a log
// rotated by renaming has a new file under its path, that one is opened (until then the lines
// go on to the renamed file); a file removed is created anew; a file truncated in place goes
// on at its new end. A line that cannot be written goes to the system log at its priority, after
// one line at priority 3 saying why (once until a line reaches the file again): no line is
// dropped.
class CLogger : public ILogger {
public:
    CLogger();
    virtual ~CLogger();
    CLogger(const CLogger&) = delete;
    CLogger& operator=(const CLogger&) = delete;

    // Frees the current path; mode 1 writes to the system log, mode 0 nothing, any other mode
    // keeps a copy of the path given as next argument (a null path stays null). Always true.
    int bSetMode(eMODE eMode, ...) override;
    void AddLog(ePRIORITY ePriority, const char* pszFormat, ...) override __attribute__((format(printf, 3, 4)));
    void AddLogEvent(ePRIORITY ePriority, int nEvent, const char* pszFormat, ...) override
        __attribute__((format(printf, 4, 5)));
    // Nothing is logged when ppszDetails is null or its first text is null.
    void AddLogDetail(ePRIORITY ePriority, int nEvent, const char** ppszDetails, int nCount) override;

    // The formatted text, then " , error N, " and the C library's text for the errno found on
    // entry, at priority 3.
    void AddLogSystemError(const char* pszFormat, ...) __attribute__((format(printf, 2, 3)));

    eMODE eGetMode() const { return m_eMode; }
    // The path of file mode; null in the other modes.
    const char* pszGetFichier() const { return m_pszFichier; }

    // The name of a syslog level ("emerg" to "debug"); null for any other value.
    static const char* s_pszNomPriorite(int nPriorite);

private:
    // Writers: ppArguments is the address of the caller's own va_list (see FormatMessage.h),
    // which is copied, never advanced.
    using PFN_ECRIT = void (CLogger::*)(ePRIORITY, int, const char*, char**, const char**, int);
    void __AddLogSystem(ePRIORITY ePriority, int nEvent, const char* pszFormat, char** ppArguments,
                        const char** ppszDetails, int nCount);
    void __AddLogFile(ePRIORITY ePriority, int nEvent, const char* pszFormat, char** ppArguments,
                      const char** ppszDetails, int nCount);
    void __CloseLogFile();
    // With m_clVerrou held: the file open on m_fd is the one the path names (reopened when it
    // is not); false with errno when it cannot be opened.
    bool __bFichierPret();
    void __FermeFichier();

    eMODE m_eMode;
    char* m_pszFichier; // owned (malloc), only in file mode
    PFN_ECRIT m_pfnEcrit;
    // File mode, under m_clVerrou: the open file (-1: none) and its identity when opened.
    std::mutex m_clVerrou;
    int m_fd = -1;
    unsigned long long m_nDev = 0;
    unsigned long long m_nIno = 0;
    bool m_bEchecSignale = false; // the system log has been told the file fails
};
