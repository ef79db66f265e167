// Small text helpers: in-place case change, wide fills, module version comparison, OS probes.
#include "base/strings/TextMisc.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

char* my_strupr(char* pszText)
{
    if (pszText != nullptr)
        for (char* p = pszText; *p != '\0'; ++p)
            *p = static_cast<char>(std::toupper(static_cast<unsigned char>(*p)));
    return pszText;
}

char* my_strlwr(char* pszText)
{
    if (pszText != nullptr)
        for (char* p = pszText; *p != '\0'; ++p)
            *p = static_cast<char>(std::tolower(static_cast<unsigned char>(*p)));
    return pszText;
}

wchar_t* wcsset(wchar_t* pwszText, wchar_t wc)
{
    if (pwszText != nullptr)
        for (wchar_t* p = pwszText; *p != 0; ++p)
            *p = wc;
    return pwszText;
}

wchar_t* wcsnset(wchar_t* pwszText, wchar_t wc, unsigned n)
{
    if (pwszText != nullptr)
        for (unsigned i = 0; i < n && pwszText[i] != 0; ++i)
            pwszText[i] = wc;
    return pwszText;
}

int nCompareVersionModule(const char* pszVersionA, const char* pszVersionB)
{
    const char* pszA = pszVersionA != nullptr ? pszVersionA : "";
    const char* pszB = pszVersionB != nullptr ? pszVersionB : "";
    const int nMajorA = std::atoi(pszA);
    const int nMajorB = std::atoi(pszB);
    if (nMajorA != nMajorB)
        return nMajorA > nMajorB ? 1 : -1;
    const char* pszRestA = std::strchr(pszA, '.');
    const char* pszRestB = std::strchr(pszB, '.');
    const int nCmp = std::strcmp(pszRestA != nullptr ? pszRestA + 1 : "", pszRestB != nullptr ? pszRestB + 1 : "");
    return nCmp > 0 ? 1 : (nCmp < 0 ? -1 : 0);
}

bool bWindowsSeven() { return false; }
bool bWindowsNT() { return false; }
bool bWindowsVista() { return false; }
bool bWindowsXP() { return false; }
bool bWindows2000() { return false; }
bool bWindowsSmartphone() { return false; }
bool bWindowsCE2002() { return false; }
