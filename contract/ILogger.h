// ILogger: the logging interface handed to the runtime library; its slot order is shared with it.
#pragma once

#include <cstdint>

// Destination of a logger.
enum eMODE : int32_t {
    eMODE_AUCUN = 0,   // nothing is logged
    eMODE_SYSTEME = 1, // the system log
    eMODE_FICHIER = 2, // a log file (any value other than 0 and 1 means the same)
};

// Handed to the system log unchanged: the syslog levels, 0 emergency to 7 debug.
enum ePRIORITY : int32_t {
    ePRIORITY_EMERG = 0,
    ePRIORITY_ALERT = 1,
    ePRIORITY_CRIT = 2,   // failures of daemon mode
    ePRIORITY_ERR = 3,    // system errors
    ePRIORITY_WARNING = 4,
    ePRIORITY_NOTICE = 5,
    ePRIORITY_INFO = 6,
    ePRIORITY_DEBUG = 7,
};

// The runtime calls these four slots, in this order, through the pointer it was given; nothing
// may be inserted before them or between them. Formats are printf formats; the texts stay the
// caller's. The logger belongs to the launcher and outlives every call the runtime makes.
class ILogger {
public:
    // Selects the destination; a file mode takes the file path (const char*) as next argument.
    virtual int bSetMode(eMODE eMode, ...) = 0;
    virtual void AddLog(ePRIORITY ePriority, const char* pszFormat, ...) = 0;
    virtual void AddLogEvent(ePRIORITY ePriority, int nEvent, const char* pszFormat, ...) = 0;
    // Logs details[0] as a format whose only argument is nCount.
    virtual void AddLogDetail(ePRIORITY ePriority, int nEvent, const char** ppszDetails, int nCount) = 0;

protected:
    ~ILogger() = default;
};

static_assert(sizeof(ILogger) == sizeof(void*), "ILogger is a table pointer and nothing else");
