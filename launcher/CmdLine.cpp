// Command-line services of ZVExe: option tests and the process-wide rebuilt command line.
#include "launcher/CmdLine.h"

#include <cstring>

#include "base/strings/CTString.h"
#include "base/strings/StrCopy.h"

char tabCmdLine[gnTailleCmdLine];

namespace {

// ASCII case folding only: option names are plain ASCII and arguments are not decoded.
char __cMinusculeAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool __bEgalSansCasse(const char* pszA, const char* pszB)
{
    if (!pszA || !pszB)
        return false;
    for (; *pszA && *pszB; ++pszA, ++pszB) {
        if (__cMinusculeAscii(*pszA) != __cMinusculeAscii(*pszB))
            return false;
    }
    return *pszA == *pszB;
}

// Index of the first argument from 1 on equal to the option, or -1.
int __nChercheOption(int nArgc, char** ppszArgv, const char* pszOption)
{
    if (nArgc < 2 || !ppszArgv)
        return -1;
    for (int i = 1; i < nArgc; ++i) {
        if (__bEgalSansCasse(ppszArgv[i], pszOption))
            return i;
    }
    return -1;
}

void __Ajoute(const char* psz, long n = -1)
{
    STR_nCat(tabCmdLine, gnTailleCmdLine, psz, n);
}

}  // namespace

bool bSetOnCmdLine(int nArgc, char** ppszArgv, const char* pszOption)
{
    return __nChercheOption(nArgc, ppszArgv, pszOption) >= 0;
}

bool bGetCmdLineValue(int nArgc, char** ppszArgv, const char* pszOption, CTString* pclValeur)
{
    int i = __nChercheOption(nArgc, ppszArgv, pszOption);
    if (i < 0)
        return false;
    // Past the last argument the vector holds its terminating null: an empty value.
    if (pclValeur)
        pclValeur->SetANSI(i + 1 < nArgc ? ppszArgv[i + 1] : nullptr, 1252);
    return true;
}

void SetCommandLine(int nArgc, char** ppszArgv)
{
    tabCmdLine[0] = '\0';
    for (int i = 0; i < nArgc && ppszArgv; ++i) {
        const char* pszArg = ppszArgv[i] ? ppszArgv[i] : "";
        const char* pszBlanc = std::strchr(pszArg, ' ');
        const char* pszEgal = std::strchr(pszArg, '=');
        if (!pszBlanc) {
            __Ajoute(pszArg);
        } else if (pszEgal && pszEgal < pszBlanc) {
            __Ajoute(pszArg, static_cast<long>(pszEgal - pszArg) + 1);
            __Ajoute("\"");
            __Ajoute(pszEgal + 1);
            __Ajoute("\"");
        } else {
            __Ajoute("\"");
            __Ajoute(pszArg);
            __Ajoute("\"");
        }
        __Ajoute(" ");
    }
}

const char* GetCommandLine()
{
    return tabCmdLine;
}
