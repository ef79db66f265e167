// CScriptRunner: reads an application script and runs its commands one line after another.
#include "runtime/CScriptRunner.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "base/containers/CSimpleBuffer.h"
#include "base/errors/CXError.h"
#include "runtime/CRuntimeProxy.h"
#include "runtime/CStopSignal.h"
#include "contract/ILogger.h"

namespace {

const char kszModule[] = "zv150vm.so";
const char kszVersion[] = "15.0";

bool EstBlanc(char c)
{
    return c == ' ' || c == '\t';
}

const char* SauteBlancs(const char* p)
{
    while (EstBlanc(*p))
        ++p;
    return p;
}

// Decimal integer filling the whole text, within [nMin, nMax].
bool LitEntier(const char* psz, long long nMin, long long nMax, long long* pn)
{
    if (*psz == '\0')
        return false;
    errno = 0;
    char* pszFin = nullptr;
    const long long n = std::strtoll(psz, &pszFin, 10);
    if (errno != 0 || pszFin == psz || *pszFin != '\0' || n < nMin || n > nMax)
        return false;
    *pn = n;
    return true;
}

} // namespace

CScriptRunner::CScriptRunner(const char* pszScript, long long oPosition, const char* pszProjet,
                             const char* pszCmdLine, const char* pszRepDonnees, int nVersion,
                             unsigned short wThread, CStopSignal* pclStop, ILogger* pclLogger,
                             PFN_STOPSERVICE pfnStop)
    : m_clScript(pszScript), m_oPosition(oPosition), m_clProjet(pszProjet), m_clCmdLine(pszCmdLine),
      m_clRepDonnees(pszRepDonnees), m_nVersion(nVersion), m_wThread(wThread), m_pclStop(pclStop),
      m_pclLogger(pclLogger), m_pfnStop(pfnStop)
{
}

bool CScriptRunner::bRun(int* pnRetour)
{
    CSimpleBuffer clContenu;
    if (!_bLitScript(&clContenu))
        return false;

    const char* p = static_cast<const char*>(clContenu.pGetData());
    const char* const pFin = p + clContenu.dwGetSize();
    int nCode = 0;
    unsigned int nLigne = 0;
    CTString clLigne;
    while (p != nullptr && p < pFin) {
        ++nLigne;
        const char* pFinLigne = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(pFin - p)));
        if (pFinLigne == nullptr)
            pFinLigne = pFin;
        size_t nTaille = static_cast<size_t>(pFinLigne - p);
        if (nTaille > 0 && p[nTaille - 1] == '\r')
            --nTaille;
        if (m_pclStop != nullptr && m_pclStop->bRequested())
            break;
        if (nTaille > ms_nLigneMax) {
            CTString clTexte;
            clTexte.printf("the line is longer than %u characters", ms_nLigneMax);
            _eErreurScript(nLigne, clTexte.pszGet(), nullptr);
            return false;
        }
        if (std::memchr(p, '\0', nTaille) != nullptr) {
            _eErreurScript(nLigne, "the line holds a NUL byte", nullptr);
            return false;
        }
        clLigne.Set(p, static_cast<unsigned>(nTaille));
        const eSUITE eSuite = _eExecuteLigne(clLigne.pszGet(), nLigne, &nCode);
        if (eSuite == eSUITE_ECHEC)
            return false;
        if (eSuite == eSUITE_FIN)
            break;
        p = pFinLigne + 1;
    }
    if (pnRetour != nullptr)
        *pnRetour = nCode;
    return true;
}

bool CScriptRunner::_bLitScript(CSimpleBuffer* pclContenu)
{
    const int fd = open(m_clScript.pszGet(), O_RDONLY | O_CLOEXEC);
    struct stat64 st;
    int nErreur = 0;
    const char* pszTexte = nullptr;
    if (fd < 0) {
        nErreur = errno;
        pszTexte = "the application library cannot be opened";
    } else if (fstat64(fd, &st) != 0) {
        nErreur = errno;
        pszTexte = "the application library cannot be examined";
    } else if (!S_ISREG(st.st_mode)) {
        pszTexte = "the application library is not a regular file";
    } else if (m_oPosition < 0 || m_oPosition > static_cast<long long>(st.st_size)) {
        pszTexte = "the script's start position lies outside the application library";
    } else if (static_cast<long long>(st.st_size) - m_oPosition > ms_oScriptMax) {
        pszTexte = "the script is larger than 1 MiB";
    } else if (lseek64(fd, m_oPosition, SEEK_SET) < 0) {
        nErreur = errno;
        pszTexte = "the application library cannot be positioned";
    } else {
        // Read to the end of the file, whatever size fstat reported: the file may change.
        const unsigned nMax = static_cast<unsigned>(ms_oScriptMax);
        if (!pclContenu->SetSize(nMax + 1)) {
            pszTexte = "not enough memory to read the application library";
        } else {
            char* pOctets = static_cast<char*>(pclContenu->pGetData());
            unsigned nLu = 0;
            while (nLu <= nMax) {
                const ssize_t n = read(fd, pOctets + nLu, nMax + 1 - nLu);
                if (n < 0 && errno == EINTR)
                    continue;
                if (n < 0) {
                    nErreur = errno;
                    pszTexte = "the application library cannot be read";
                    break;
                }
                if (n == 0)
                    break;
                nLu += static_cast<unsigned>(n);
            }
            if (pszTexte == nullptr && nLu > nMax)
                pszTexte = "the script is larger than 1 MiB";
            if (pszTexte == nullptr) {
                CSimpleBuffer clExact(pOctets, nLu);
                if (nLu != 0 && clExact.dwGetSize() != nLu)
                    pszTexte = "not enough memory to read the application library";
                else
                    *pclContenu = clExact;
            }
        }
    }
    if (fd >= 0)
        close(fd);
    if (pszTexte == nullptr)
        return true;

    CXError clErreur;
    _PrepareErreur(&clErreur, 0);
    CTString clMessage;
    clMessage.printf("%s: %s.", m_clScript.pszGet(), pszTexte);
    clErreur.AddUserMessage(clMessage.pszGet());
    if (nErreur != 0) {
        // strerror_r: the service thread may report at the same time as the launcher's.
        char szSysteme[256];
        clErreur.SetSystemErrorMessage(static_cast<unsigned int>(nErreur), "%s",
                                       strerror_r(nErreur, szSysteme, sizeof szSysteme));
    }
    CRuntimeProxy::s_pclGet()->SignaleErreur(clErreur);
    return false;
}

CScriptRunner::eSUITE CScriptRunner::_eExecuteLigne(const char* pszLigne, unsigned int nLigne, int* pnCode)
{
    const char* pszMot = SauteBlancs(pszLigne);
    if (*pszMot == '\0' || *pszMot == '#')
        return eSUITE_CONTINUE;
    const char* pszFinMot = pszMot;
    while (*pszFinMot != '\0' && !EstBlanc(*pszFinMot))
        ++pszFinMot;
    const CTString clMot(pszMot, static_cast<long>(pszFinMot - pszMot));
    const char* pszMotCle = clMot.pszGet();

    // `print` keeps its text byte for byte after the one separating blank.
    if (std::strcmp(pszMotCle, "print") == 0)
        return s_bEcritLigne(*pszFinMot != '\0' ? pszFinMot + 1 : pszFinMot)
                   ? eSUITE_CONTINUE
                   : _eErreurScript(nLigne, "the standard output cannot be written", nullptr);

    // Every other command takes its argument trimmed of blanks on both sides.
    CTString clArgument(SauteBlancs(pszFinMot));
    while (clArgument.nTaille() > 0 && EstBlanc(clArgument.cGetChar(clArgument.nTaille() - 1)))
        clArgument.Tronque(clArgument.nTaille() - 1);
    const char* pszArg = clArgument.pszGet();
    const bool bSansArgument = *pszArg == '\0';

    const char* pszSortie = nullptr;
    CTString clVersion;
    if (std::strcmp(pszMotCle, "printcmd") == 0) {
        pszSortie = m_clCmdLine.pszGet();
    } else if (std::strcmp(pszMotCle, "printproject") == 0) {
        pszSortie = m_clProjet.pszGet();
    } else if (std::strcmp(pszMotCle, "printdatadir") == 0) {
        pszSortie = m_clRepDonnees.pszGet();
    } else if (std::strcmp(pszMotCle, "printversion") == 0) {
        clVersion.SetI4(m_nVersion);
        pszSortie = clVersion.pszGet();
    } else if (std::strcmp(pszMotCle, "fail") == 0) {
        if (!bSansArgument)
            return _eErreurScript(nLigne, "\"fail\" takes no argument", pszLigne);
        return eSUITE_ECHEC;
    } else if (std::strcmp(pszMotCle, "env") == 0) {
        if (bSansArgument)
            return _eErreurScript(nLigne, "\"env\" needs the name of a variable", pszLigne);
        const char* pszValeur = std::getenv(pszArg);
        return s_bEcritLigne(pszValeur != nullptr ? pszValeur : "")
                   ? eSUITE_CONTINUE
                   : _eErreurScript(nLigne, "the standard output cannot be written", nullptr);
    } else if (std::strcmp(pszMotCle, "exit") == 0) {
        long long n = 0;
        if (!LitEntier(pszArg, INT_MIN, INT_MAX, &n))
            return _eErreurScript(nLigne, "\"exit\" needs a return code, a signed 32-bit decimal number", pszLigne);
        *pnCode = static_cast<int>(n);
        return eSUITE_FIN;
    } else if (std::strcmp(pszMotCle, "sleep") == 0) {
        long long n = 0;
        if (!LitEntier(pszArg, 0, ms_nSleepMax, &n))
            return _eErreurScript(nLigne, "\"sleep\" needs a duration in milliseconds, from 0 to 3600000", pszLigne);
        if (m_pclStop != nullptr)
            return m_pclStop->bWait(static_cast<unsigned int>(n)) ? eSUITE_FIN : eSUITE_CONTINUE;
        timespec stReste = {static_cast<time_t>(n / 1000), static_cast<long>(n % 1000) * 1000000L};
        while (nanosleep(&stReste, &stReste) != 0 && errno == EINTR) {
        }
        return eSUITE_CONTINUE;
    } else if (std::strcmp(pszMotCle, "busy") == 0) {
        long long n = 0;
        if (!LitEntier(pszArg, 0, ms_nSleepMax, &n))
            return _eErreurScript(nLigne, "\"busy\" needs a duration in milliseconds, from 0 to 3600000", pszLigne);
        timespec stDebut, stMaintenant;
        clock_gettime(CLOCK_MONOTONIC, &stDebut);
        do {
            clock_gettime(CLOCK_MONOTONIC, &stMaintenant);
        } while ((stMaintenant.tv_sec - stDebut.tv_sec) * 1000LL + (stMaintenant.tv_nsec - stDebut.tv_nsec) / 1000000L <
                 n);
        return eSUITE_CONTINUE;
    } else if (std::strcmp(pszMotCle, "log") == 0 || std::strcmp(pszMotCle, "logevent") == 0) {
        const bool bEvent = pszMotCle[3] != '\0';
        // Priority, then (logevent) the event, each a word of its own; the rest is the text.
        long long anValeurs[2] = {0, 0};
        const char* p = pszArg;
        for (int i = 0; i < (bEvent ? 2 : 1); ++i) {
            const char* pFin = p;
            while (*pFin != '\0' && !EstBlanc(*pFin))
                ++pFin;
            const CTString clMot(p, static_cast<long>(pFin - p));
            const bool bOk = i == 0 ? LitEntier(clMot.pszGet(), 0, ms_nPrioriteMax, &anValeurs[i])
                                    : LitEntier(clMot.pszGet(), INT_MIN, INT_MAX, &anValeurs[i]);
            if (!bOk)
                return _eErreurScript(nLigne,
                                      bEvent ? "\"logevent\" needs a priority from 0 to 7, an event (signed 32-bit), "
                                               "then a text"
                                             : "\"log\" needs a priority from 0 to 7, then a text",
                                      pszLigne);
            p = SauteBlancs(pFin);
        }
        if (m_pclLogger != nullptr) {
            const ePRIORITY ePriorite = static_cast<ePRIORITY>(anValeurs[0]);
            if (bEvent) {
                const int nEvent = static_cast<int>(anValeurs[1]);
                m_pclLogger->AddLogEvent(ePriorite, nEvent, "event %d: %s", nEvent, p);
            } else {
                m_pclLogger->AddLog(ePriorite, "%s", p);
            }
        }
        return eSUITE_CONTINUE;
    } else if (std::strcmp(pszMotCle, "stopservice") == 0) {
        long long n = 0;
        if (!LitEntier(pszArg, INT_MIN, INT_MAX, &n))
            return _eErreurScript(nLigne, "\"stopservice\" needs a code, a signed 32-bit decimal number", pszLigne);
        if (m_pfnStop != nullptr)
            m_pfnStop(static_cast<int>(n));
        return eSUITE_CONTINUE;
    } else if (std::strcmp(pszMotCle, "error") == 0) {
        const char* pszFinCode = pszArg;
        while (*pszFinCode != '\0' && !EstBlanc(*pszFinCode))
            ++pszFinCode;
        const CTString clCode(pszArg, static_cast<long>(pszFinCode - pszArg));
        long long nCodeErreur = 0;
        if (!LitEntier(clCode.pszGet(), 0, UINT_MAX, &nCodeErreur))
            return _eErreurScript(nLigne, "\"error\" needs a code, an unsigned 32-bit decimal number, then a text",
                                  pszLigne);
        CXError clErreur;
        _PrepareErreur(&clErreur, nLigne);
        clErreur.SetUserErrorCode(static_cast<unsigned int>(nCodeErreur));
        clErreur.AddUserMessage(SauteBlancs(pszFinCode));
        CTString clDebug;
        clDebug.printf("Raised by the script %s, line %u.", m_clScript.pszGet(), nLigne);
        clErreur.AddDebugMessageNoFormat(clDebug.pszGet());
        clErreur.SetFunctionName("error", 2);
        CRuntimeProxy::s_pclGet()->SignaleErreur(clErreur);
        return eSUITE_CONTINUE;
    } else {
        CTString clTexte;
        clTexte.printf("unknown command \"%s\"", pszMotCle);
        return _eErreurScript(nLigne, clTexte.pszGet(), pszLigne);
    }

    // The printing commands without argument.
    if (!bSansArgument) {
        CTString clTexte;
        clTexte.printf("\"%s\" takes no argument", pszMotCle);
        return _eErreurScript(nLigne, clTexte.pszGet(), pszLigne);
    }
    return s_bEcritLigne(pszSortie) ? eSUITE_CONTINUE
                                    : _eErreurScript(nLigne, "the standard output cannot be written", nullptr);
}

CScriptRunner::eSUITE CScriptRunner::_eErreurScript(unsigned int nLigne, const char* pszTexte, const char* pszDetail)
{
    CXError clErreur;
    _PrepareErreur(&clErreur, nLigne);
    CTString clMessage;
    clMessage.printf("%s, line %u: %s.", m_clScript.pszGet(), nLigne, pszTexte);
    clErreur.AddUserMessage(clMessage.pszGet());
    if (pszDetail != nullptr) {
        CTString clDebug("Line: ");
        clDebug.Add(pszDetail);
        clErreur.AddDebugMessageNoFormat(clDebug.pszGet());
    }
    CRuntimeProxy::s_pclGet()->SignaleErreur(clErreur);
    return eSUITE_ECHEC;
}

void CScriptRunner::_PrepareErreur(CXError* pclErreur, unsigned int nLigne) const
{
    pclErreur->InitInternalModName(kszModule);
    pclErreur->InitModName(kszModule);
    pclErreur->InitModVersion(kszVersion);
    pclErreur->SetErrorLevel(EL_USERERROR);
    pclErreur->SetVMContext(m_clProjet.pszGet(), m_clScript.pszGet(),
                            static_cast<unsigned short>(nLigne > USHRT_MAX ? USHRT_MAX : nLigne), m_wThread);
    pclErreur->AddInfo(EIT_SRCFILE, m_clScript.pszGet());
    const int64_t llLigne = nLigne;
    pclErreur->AddInfo(EIT_RECNUM, &llLigne);
}

bool CScriptRunner::s_bEcrit(const char* pszTexte)
{
    size_t n = std::strlen(pszTexte);
    while (n > 0) {
        const ssize_t nEcrit = write(STDOUT_FILENO, pszTexte, n);
        if (nEcrit < 0 && errno == EINTR)
            continue;
        if (nEcrit <= 0)
            return false;
        pszTexte += nEcrit;
        n -= static_cast<size_t>(nEcrit);
    }
    return true;
}

bool CScriptRunner::s_bEcritLigne(const char* pszTexte)
{
    // One write per line when it can be put together, so that lines of two threads do not mix.
    CTString clLigne(pszTexte);
    clLigne.Add('\n');
    return s_bEcrit(clLigne.pszGet());
}
