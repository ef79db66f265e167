// Environment and process information: getenv/setenv, uname, the standard descriptors.
#include "base/system/Environment.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/utsname.h>

DWORD GetEnvironmentVariable(const char* pszName, char* pszBuffer, DWORD nSize)
{
    if (!pszName)
        return 0;
    const char* pszValeur = std::getenv(pszName);
    if (!pszValeur)
        return 0;
    const std::size_t nLongueur = std::strlen(pszValeur);
    if (nSize == 0 || !pszBuffer)
        return static_cast<DWORD>(nLongueur);
    const std::size_t nCopie = nLongueur < nSize ? nLongueur : nSize;
    std::memcpy(pszBuffer, pszValeur, nCopie);
    pszBuffer[nCopie] = '\0';
    return static_cast<DWORD>(nCopie);
}

bool SetEnvironmentVariable(const char* pszName, const char* pszValue)
{
    if (!pszName || !*pszName || std::strchr(pszName, '='))
        return false;
    if (!pszValue)
        return unsetenv(pszName) == 0;
    return setenv(pszName, pszValue, 1) == 0;
}

bool GetVersionEx(OSVERSIONINFO* pstInfo)
{
    if (!pstInfo || pstInfo->dwOSVersionInfoSize < sizeof(OSVERSIONINFO))
        return false;
    utsname stNom{};
    const bool bOk = uname(&stNom) == 0;
    const DWORD dwTaille = pstInfo->dwOSVersionInfoSize;
    std::memset(pstInfo, 0, sizeof(OSVERSIONINFO));
    pstInfo->dwOSVersionInfoSize = dwTaille;
    pstInfo->dwPlatformId = VER_PLATFORM_ZORVAN_LINUX;
    return bOk;
}

WORD GetSystemDefaultLangID()
{
    return 0x0800;
}

int GetStdHandle(DWORD nStdHandle)
{
    switch (nStdHandle) {
    case STD_INPUT_HANDLE:
        return 0;
    case STD_OUTPUT_HANDLE:
        return 1;
    case STD_ERROR_HANDLE:
        return 2;
    default:
        return -1;
    }
}

void OutputDebugString(const char* pszText)
{
    if (pszText)
        std::fputs(pszText, stderr);
}
