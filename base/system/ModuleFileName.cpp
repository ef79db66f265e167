// GetModuleFileName: the running executable's path from /proc.
#include "base/system/ModuleFileName.h"

#include "base/system/AppelsSysteme.h"

#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

// Copies n bytes and a NUL when they fit in nSize; false (nothing written) otherwise.
bool bStore(char* pszBuffer, unsigned nSize, const char* p, std::size_t n)
{
    if (n == 0 || n + 1 > nSize)
        return false;
    std::memcpy(pszBuffer, p, n);
    pszBuffer[n] = '\0';
    return true;
}

// The text from the first "/" of the first line of /proc/self/maps to the end of that line
// (lines read up to 359 characters).
bool bFromMaps(char* pszBuffer, unsigned nSize)
{
    char szLine[360];
    std::size_t nRead = 0;
    if (!SYS_bReadFile("/proc/self/maps", szLine, sizeof szLine - 1, &nRead) || nRead == 0)
        return false;
    szLine[nRead] = '\0';
    szLine[std::strcspn(szLine, "\n")] = '\0';
    const char* pSlash = std::strchr(szLine, '/');
    if (!pSlash)
        return false;
    return bStore(pszBuffer, nSize, pSlash, std::strcspn(pSlash, "\n"));
}

} // namespace

bool GetModuleFileName(void* /*hModule*/, char* pszBuffer, unsigned nSize)
{
    if (!pszBuffer || nSize == 0)
        return false;
    // A target that does not fit the buffer is refused by the layer rather than cut.
    char szLink[4097];
    const ssize_t n = SYS_nReadLink("/proc/self/exe", szLink, sizeof szLink);
    if (n > 0)
        return bStore(pszBuffer, nSize, szLink, static_cast<std::size_t>(n));
    return bFromMaps(pszBuffer, nSize);
}
