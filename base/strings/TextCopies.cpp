// Heap copies between narrow and wide text, and wtof.
#include "base/strings/TextCopies.h"

#include "base/strings/CodePage.h"
#include "base/strings/StrCopy.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <cwchar>

wchar_t* pszXSTR2WSTR(const char* pszText, long n)
{
    if (pszText == nullptr || n < -1)
        return nullptr;
    const std::size_t nCount = n == -1 ? std::strlen(pszText) : strnlen(pszText, static_cast<std::size_t>(n));
    if (nCount > static_cast<std::size_t>(INT_MAX))
        return nullptr;
    wchar_t* pwszCopy = STR_pszCreateW(static_cast<unsigned long>(nCount));
    if (pwszCopy == nullptr)
        return nullptr;
    // Windows-1252 gives one wide character per byte.
    if (nCount != 0 &&
        MultiByteToWideChar(1252, 0, pszText, static_cast<int>(nCount), pwszCopy, static_cast<int>(nCount)) !=
            static_cast<int>(nCount)) {
        STR_DeleteW(pwszCopy);
        return nullptr;
    }
    pwszCopy[nCount] = 0;
    return pwszCopy;
}

char* pszWSTR2XSTR(const wchar_t* pwszText, long n, int nCodePage)
{
    if (pwszText == nullptr || n < -1)
        return nullptr;
    const std::size_t nCount = n == -1 ? std::wcslen(pwszText) : wcsnlen(pwszText, static_cast<std::size_t>(n));
    if (nCount > static_cast<std::size_t>(INT_MAX))
        return nullptr;
    const unsigned nCp = static_cast<unsigned>(nCodePage);
    int nBytes = 0;
    if (nCount != 0) {
        nBytes = WideCharToMultiByte(nCp, 0, pwszText, static_cast<int>(nCount), nullptr, 0, nullptr, nullptr);
        if (nBytes <= 0)
            return nullptr;
    }
    char* pszCopy = STR_pszCreate(static_cast<unsigned>(nBytes));
    if (pszCopy == nullptr)
        return nullptr;
    if (nBytes != 0 &&
        WideCharToMultiByte(nCp, 0, pwszText, static_cast<int>(nCount), pszCopy, nBytes, nullptr, nullptr) != nBytes) {
        STR_Delete(pszCopy);
        return nullptr;
    }
    pszCopy[nBytes] = '\0';
    return pszCopy;
}

char* pszCSTR2XSTR(const char* pszText)
{
    return STR_pszCreate(pszText);
}

char* pszXSTR2CSTR(const char* pszText, long n)
{
    if (pszText == nullptr || n < -1)
        return nullptr;
    if (n == -1)
        return STR_pszCreate(pszText);
    const std::size_t nCount = strnlen(pszText, static_cast<std::size_t>(n));
    if (nCount > UINT_MAX - 1u)
        return nullptr;
    return STR_pszCreate(static_cast<unsigned>(nCount), pszText);
}

double wtof(const wchar_t* pwszText)
{
    if (pwszText == nullptr)
        return 0.0;
    char szNumber[100];
    const std::size_t nLen = wcsnlen(pwszText, sizeof szNumber - 1);
    int nBytes = 0;
    if (nLen != 0)
        nBytes = WideCharToMultiByte(1252, 0, pwszText, static_cast<int>(nLen), szNumber, sizeof szNumber - 1,
                                     nullptr, nullptr);
    if (nBytes <= 0 && nLen != 0) {
        // Some character has no Windows-1252 form: read the part before the first such one.
        // Every byte atof can use is ASCII, so the ASCII prefix reads the same.
        std::size_t i = 0;
        while (i < nLen && pwszText[i] > 0 && pwszText[i] < 0x80) {
            szNumber[i] = static_cast<char>(pwszText[i]);
            ++i;
        }
        nBytes = static_cast<int>(i);
    }
    szNumber[nBytes] = '\0';
    return std::atof(szNumber);
}
