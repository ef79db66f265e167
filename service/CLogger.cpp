// CLogger: the logger of daemon mode, writing to the system log.
#include "service/CLogger.h"

#include <syslog.h>

#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstring>

#include "base/messages/FormatMessage.h"
#include "base/strings/CTString.h"

CLogger::CLogger() : m_eMode(eMODE_SYSTEME), m_pszFichier(nullptr), m_pfnEcrit(&CLogger::__AddLogSystem)
{
}

CLogger::~CLogger()
{
    __CloseLogFile();
}

int CLogger::bSetMode(eMODE eMode, ...)
{
    __CloseLogFile();
    if (eMode == eMODE_SYSTEME) {
        m_pfnEcrit = &CLogger::__AddLogSystem;
    } else {
        m_pfnEcrit = &CLogger::__AddLogFile;
        va_list ap;
        va_start(ap, eMode);
        const char* pszChemin = va_arg(ap, const char*);
        va_end(ap);
        m_pszFichier = pszChemin != nullptr ? strdup(pszChemin) : nullptr;
    }
    m_eMode = eMode;
    return 1;
}

void CLogger::AddLog(ePRIORITY ePriority, const char* pszFormat, ...)
{
    if (m_eMode == eMODE_AUCUN)
        return;
    va_list ap;
    va_start(ap, pszFormat);
    (this->*m_pfnEcrit)(ePriority, -1, pszFormat, reinterpret_cast<char**>(&ap), nullptr, 0);
    va_end(ap);
}

void CLogger::AddLogEvent(ePRIORITY ePriority, int nEvent, const char* pszFormat, ...)
{
    if (m_eMode == eMODE_AUCUN)
        return;
    va_list ap;
    va_start(ap, pszFormat);
    (this->*m_pfnEcrit)(ePriority, nEvent, pszFormat, reinterpret_cast<char**>(&ap), nullptr, 0);
    va_end(ap);
}

void CLogger::AddLogDetail(ePRIORITY ePriority, int nEvent, const char** ppszDetails, int nCount)
{
    if (m_eMode == eMODE_AUCUN || ppszDetails == nullptr || ppszDetails[0] == nullptr)
        return;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#pragma GCC diagnostic ignored "-Wformat-security"
    AddLogEvent(ePriority, nEvent, ppszDetails[0], nCount);
#pragma GCC diagnostic pop
}

void CLogger::AddLogSystemError(const char* pszFormat, ...)
{
    const int nErreur = errno;
    CTString clTexte;
    va_list ap;
    va_start(ap, pszFormat);
    clTexte.FormatV(pszFormat, ap);
    va_end(ap);

    char* pszSysteme = nullptr;
    errno = nErreur;
    FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM,
                   nullptr, static_cast<unsigned int>(nErreur), 0x400, reinterpret_cast<char*>(&pszSysteme), 0,
                   nullptr);
    clTexte.AddPrintf(" , error %d, %s", nErreur, pszSysteme != nullptr ? pszSysteme : "");
    std::free(pszSysteme);
    // Logged as a text: a percent sign of the message or of the system text is not a conversion.
    AddLog(ePRIORITY_ERR, "%s", clTexte.pszGet());
}

void CLogger::__AddLogSystem(ePRIORITY ePriority, int, const char* pszFormat, char** ppArguments, const char**, int)
{
    if (pszFormat == nullptr)
        return;
    va_list ap;
    va_copy(ap, *reinterpret_cast<va_list*>(ppArguments));
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    vsyslog(static_cast<int>(ePriority), pszFormat, ap);
#pragma GCC diagnostic pop
    va_end(ap);
}

void CLogger::__AddLogFile(ePRIORITY, int, const char*, char**, const char**, int)
{
    // File mode records nothing: the path is only kept.
}

void CLogger::__CloseLogFile()
{
    std::free(m_pszFichier);
    m_pszFichier = nullptr;
}
