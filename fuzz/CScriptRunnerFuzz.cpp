// Fuzz target of the stand-in runtime's script reader, which every end-to-end test drives:
// lines, command words, their numeric arguments and the texts handed to the logger and to the
// error callback.
//
// Input: the script. Scripts that would wait ("sleep", "busy") are left out: their waits are
// real time. Standard output goes to /dev/null while the script runs.
#include "runtime/CScriptRunner.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "base/errors/CXError.h"
#include "contract/ILogger.h"
#include "fuzz/FuzzScratch.h"
#include "runtime/CRuntimeProxy.h"

namespace {

using zvfuzz::Verifie;

std::string gstrScript;
unsigned gnErreurs = 0;
unsigned gnArrets = 0;

// Logs nothing; checks what it is handed.
class CLoggerControle final : public ILogger {
public:
    int bSetMode(eMODE, ...) override { return 1; }
    void AddLog(ePRIORITY ePriorite, const char* pszFormat, ...) override
    {
        va_list va;
        va_start(va, pszFormat);
        Controle(ePriorite, pszFormat, va);
        va_end(va);
    }
    void AddLogEvent(ePRIORITY ePriorite, int, const char* pszFormat, ...) override
    {
        va_list va;
        va_start(va, pszFormat);
        Controle(ePriorite, pszFormat, va);
        va_end(va);
    }
    void AddLogDetail(ePRIORITY ePriorite, int, const char**, int) override
    {
        Verifie(ePriorite >= ePRIORITY_EMERG && ePriorite <= ePRIORITY_DEBUG);
    }

private:
    static void Controle(ePRIORITY ePriorite, const char* pszFormat, va_list va)
    {
        Verifie(ePriorite >= ePRIORITY_EMERG && ePriorite <= ePRIORITY_DEBUG);
        char sz[8192];
        const int n = std::vsnprintf(sz, sizeof sz, pszFormat, va);
        // A logged text comes from one line of the script, never longer than a line.
        Verifie(n >= 0 && unsigned(n) <= CScriptRunner::ms_nLigneMax + 32);
    }
};

int nRappelErreur(const CXError* pclErreur, unsigned long, unsigned int)
{
    Verifie(pclErreur != nullptr);
    ++gnErreurs;
    return 0;
}

void Arret(int) { ++gnArrets; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pbyData, size_t nSize)
{
    const std::string strTexte(reinterpret_cast<const char*>(pbyData), nSize);
    if (strTexte.find("sleep") != std::string::npos || strTexte.find("busy") != std::string::npos)
        return 0;
    zvfuzz::CScratch& clScratch = zvfuzz::CScratch::s_clGet();
    if (gstrScript.empty())
        gstrScript = clScratch.strChemin("app.zvl");
    Verifie(clScratch.bEcrit(gstrScript, pbyData, nSize));
    CRuntimeProxy::s_pclGet()->vSetCallBackErreur(nRappelErreur, 0, 0);

    CLoggerControle clLogger;
    gnErreurs = 0;
    gnArrets = 0;
    // The whole script from offset 0, then from an offset inside it.
    const long long aoPositions[] = {0, static_cast<long long>(nSize / 2)};
    for (long long oPosition : aoPositions) {
        std::fflush(stdout);
        const int fdStdout = ::dup(STDOUT_FILENO);
        const int fdNul = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        Verifie(fdStdout >= 0 && fdNul >= 0 && ::dup2(fdNul, STDOUT_FILENO) >= 0);
        CScriptRunner clRunner(gstrScript.c_str(), oPosition, "projet.zvp", "a b c", "/tmp/", 3, 0, nullptr,
                               &clLogger, Arret);
        const unsigned nErreursAvant = gnErreurs;
        int nRetour = 0x5eed;
        const bool bOk = clRunner.bRun(&nRetour);
        std::fflush(stdout);
        Verifie(::dup2(fdStdout, STDOUT_FILENO) >= 0);
        ::close(fdStdout);
        ::close(fdNul);
        // A failed run has said why through the callback and left the code alone; a run that
        // reached its end without "exit" returns 0.
        // ("fail" ends a run as failed without an error of its own.)
        if (!bOk)
            Verifie((gnErreurs > nErreursAvant || strTexte.find("fail") != std::string::npos) && nRetour == 0x5eed);
        else if (strTexte.find("exit") == std::string::npos)
            Verifie(nRetour == 0);
    }
    // A start position outside the file is refused.
    CScriptRunner clDehors(gstrScript.c_str(), static_cast<long long>(nSize) + 1, "p", "", "", 0, 0, nullptr);
    const unsigned nErreursAvant = gnErreurs;
    Verifie(!clDehors.bRun(nullptr) && gnErreurs == nErreursAvant + 1);
    CRuntimeProxy::s_pclGet()->vSetCallBackErreur(nullptr, 0, 0);
    return 0;
}
