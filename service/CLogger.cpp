// CLogger: the logger of daemon mode, writing to the system log or to a log file.
#include "service/CLogger.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <syslog.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstring>

#include "base/messages/FormatMessage.h"
#include "base/strings/CTString.h"
#include "base/system/AppelsSysteme.h"

CLogger::CLogger() : m_eMode(eMODE_SYSTEME), m_pszFichier(nullptr), m_pfnEcrit(&CLogger::__AddLogSystem)
{
}

CLogger::~CLogger()
{
    __CloseLogFile();
}

int CLogger::bSetMode(eMODE eMode, ...)
{
    std::lock_guard<std::mutex> clGarde(m_clVerrou);
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

const char* CLogger::s_pszNomPriorite(int nPriorite)
{
    static const char* const s_apsz[] = {"emerg", "alert", "crit", "err", "warning", "notice", "info", "debug"};
    return nPriorite >= 0 && nPriorite < 8 ? s_apsz[nPriorite] : nullptr;
}

namespace {

// "2026-12-09T06:12:33.123+01:00 NAME[PID]: " with the local time.
void __DebutLigne(CTString* pclLigne)
{
    timespec stMaintenant;
    clock_gettime(CLOCK_REALTIME, &stMaintenant);
    const time_t nSecondes = stMaintenant.tv_sec;
    struct tm stLocal;
    char szDate[32] = "";
    long nDecalage = 0;
    if (localtime_r(&nSecondes, &stLocal) != nullptr) {
        strftime(szDate, sizeof(szDate), "%Y-%m-%dT%H:%M:%S", &stLocal);
        nDecalage = stLocal.tm_gmtoff / 60;
    }
    const char cSigne = nDecalage < 0 ? '-' : '+';
    if (nDecalage < 0)
        nDecalage = -nDecalage;
    pclLigne->printf("%s.%03ld%c%02ld:%02ld %s[%d]: ", szDate, stMaintenant.tv_nsec / 1000000L, cSigne,
                     nDecalage / 60, nDecalage % 60, program_invocation_short_name, static_cast<int>(getpid()));
}

} // namespace

void CLogger::__AddLogFile(ePRIORITY ePriority, int nEvent, const char* pszFormat, char** ppArguments,
                           const char**, int)
{
    if (pszFormat == nullptr)
        return;
    CTString clTexte;
    {
        va_list ap;
        va_copy(ap, *reinterpret_cast<va_list*>(ppArguments));
        clTexte.FormatV(pszFormat, ap);
        va_end(ap);
    }
    CTString clLigne;
    __DebutLigne(&clLigne);
    const char* pszPriorite = s_pszNomPriorite(static_cast<int>(ePriority));
    if (pszPriorite != nullptr)
        clLigne.Add(pszPriorite);
    else
        clLigne.AddPrintf("priority %d", static_cast<int>(ePriority));
    if (nEvent != -1)
        clLigne.AddPrintf(" [%d]", nEvent);
    clLigne.Add(": ");
    const char* const pszTexte = clTexte.pszGet() != nullptr ? clTexte.pszGet() : "";
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(pszTexte); *p != 0; ++p) {
        if (*p < 0x20 && *p != '\t')
            clLigne.AddPrintf("#%03o", *p);
        else
            clLigne.Add(static_cast<char>(*p));
    }
    clLigne.Add('\n');

    int nErreur = 0;
    bool bSignale = true;
    {
        std::lock_guard<std::mutex> clGarde(m_clVerrou);
        if (__bFichierPret()) {
            if (SYS_bWriteAll(m_fd, clLigne.pszGet(), static_cast<size_t>(clLigne.nTaille()), nullptr, m_pszFichier)) {
                m_bEchecSignale = false;
                return;
            }
            nErreur = errno;
            // A file that refused a line is not trusted with the next one: it is opened anew.
            __FermeFichier();
        } else {
            nErreur = errno;
        }
        bSignale = m_bEchecSignale;
        m_bEchecSignale = true;
    }
    if (!bSignale) {
        char* pszSysteme = nullptr;
        FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM,
                       nullptr, static_cast<unsigned int>(nErreur), 0x400, reinterpret_cast<char*>(&pszSysteme), 0,
                       nullptr);
        syslog(LOG_ERR, "The log file %s cannot be written (error %d: %s); its lines go to the system log",
               m_pszFichier != nullptr ? m_pszFichier : "(none)", nErreur, pszSysteme != nullptr ? pszSysteme : "");
        std::free(pszSysteme);
    }
    syslog(static_cast<int>(ePriority), "%s", pszTexte);
}

bool CLogger::__bFichierPret()
{
    if (m_pszFichier == nullptr) {
        errno = EINVAL;
        return false;
    }
    struct stat64 st;
    if (m_fd >= 0) {
        if (SYS_bStat(m_pszFichier, &st)) {
            if (st.st_dev == m_nDev && st.st_ino == m_nIno)
                return true;
            // Rotated by renaming: the path names the new file.
        } else if (errno == ENOENT && SYS_bFstat(m_fd, &st, m_pszFichier) && st.st_nlink > 0) {
            // Renamed, and the new file is not there yet: the lines stay with the old one
            // rather than race the rotation tool creating it.
            return true;
        }
        __FermeFichier();
    }
    const int fd = SYS_nOpen(m_pszFichier, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY, 0640);
    if (fd < 0)
        return false;
    if (!SYS_bFstat(fd, &st, m_pszFichier)) {
        const int nErreur = errno;
        SYS_bClose(fd, m_pszFichier);
        errno = nErreur;
        return false;
    }
    m_fd = fd;
    m_nDev = st.st_dev;
    m_nIno = st.st_ino;
    return true;
}

void CLogger::__FermeFichier()
{
    if (m_fd >= 0)
        SYS_bClose(m_fd, m_pszFichier);
    m_fd = -1;
    m_nDev = 0;
    m_nIno = 0;
}

void CLogger::__CloseLogFile()
{
    __FermeFichier();
    m_bEchecSignale = false;
    std::free(m_pszFichier);
    m_pszFichier = nullptr;
}
