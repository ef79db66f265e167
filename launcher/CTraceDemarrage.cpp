// CTraceDemarrage: the start-up trace of ZVExe, one line per step of the runtime search and binding, switched on by ZVEXE_TRACE.
#include "launcher/CTraceDemarrage.h"

#include <cerrno>
#include <cstring>
#include <vector>

#include "base/system/Environment.h"
#include "base/system/Process.h"

bool CTraceDemarrage::bOuvreSelonEnvironnement()
{
    const DWORD nLongueur = GetEnvironmentVariable(pszVariable, nullptr, 0);
    if (nLongueur == 0)
        return bOuvre(nullptr);
    std::vector<char> ach(static_cast<size_t>(nLongueur) + 1, '\0');
    GetEnvironmentVariable(pszVariable, ach.data(), nLongueur);
    return bOuvre(ach.data());
}

bool CTraceDemarrage::bOuvre(const char* pszValeur)
{
    m_clSortie.Ferme();
    if (!pszValeur || !*pszValeur || std::strcmp(pszValeur, "0") == 0)
        return false;
    if (std::strcmp(pszValeur, "1") == 0) {
        m_clSortie.OuvreErreurStandard();
        return true;
    }
    if (!m_clSortie.bOuvre(pszValeur)) {
        const int nErrno = errno;
        m_clSortie.OuvreErreurStandard();
        CTString cl;
        cl.printf("%s=%s: cannot open the file: %s; tracing to standard error", pszVariable, pszValeur,
                  std::strerror(nErrno));
        Ligne(cl.pszGet());
    }
    return true;
}

void CTraceDemarrage::vEtape(const _stETAPEDEMARRAGE& stEtape)
{
    Ligne(clTexteEtape(stEtape).pszGet());
}

void CTraceDemarrage::Ligne(const char* pszTexte)
{
    if (!m_clSortie.bOuvert())
        return;
    CTString cl;
    cl.printf("ZVExe[%lu]: %s", GetCurrentProcessId(), pszTexte ? pszTexte : "");
    m_clSortie.EcritLigne(cl.pszGet());
}
