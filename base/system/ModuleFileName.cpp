// GetModuleFileName: the running executable's path from /proc.
#include "base/system/ModuleFileName.h"

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
    FILE* pFile = std::fopen("/proc/self/maps", "r");
    if (!pFile)
        return false;
    char szLine[360];
    const bool bRead = std::fgets(szLine, sizeof szLine, pFile) != nullptr;
    std::fclose(pFile);
    if (!bRead)
        return false;
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
    // A link target is not terminated and may be cut by readlink without notice: read it into
    // a buffer one byte larger than any path it may hold, so a full read means "too long".
    char szLink[4097];
    const ssize_t n = readlink("/proc/self/exe", szLink, sizeof szLink);
    if (n > 0 && static_cast<std::size_t>(n) < sizeof szLink)
        return bStore(pszBuffer, nSize, szLink, static_cast<std::size_t>(n));
    return bFromMaps(pszBuffer, nSize);
}
