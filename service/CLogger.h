// CLogger: the logger of daemon mode, writing to the system log.
#pragma once

#include "contract/ILogger.h"

// Starts in system-log mode. The state changes only in bSetMode; the logging calls only read
// it, so they may come from any thread as long as no one changes the mode meanwhile.
// No openlog is issued: the C library's default identity and facility apply.
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

private:
    // Writers: ppArguments is the address of the caller's own va_list (see FormatMessage.h),
    // which is copied, never advanced.
    using PFN_ECRIT = void (CLogger::*)(ePRIORITY, int, const char*, char**, const char**, int);
    void __AddLogSystem(ePRIORITY ePriority, int nEvent, const char* pszFormat, char** ppArguments,
                        const char** ppszDetails, int nCount);
    void __AddLogFile(ePRIORITY ePriority, int nEvent, const char* pszFormat, char** ppArguments,
                      const char** ppszDetails, int nCount);
    void __CloseLogFile();

    eMODE m_eMode;
    char* m_pszFichier; // owned (malloc), only in file mode
    PFN_ECRIT m_pfnEcrit;
};
