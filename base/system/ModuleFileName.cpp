// GetModuleFileName: the running executable's path from /proc.
#include "base/system/ModuleFileName.h"

#include "base/system/AppelsSysteme.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
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

// The path of the first mapping of /proc/self/maps that names a file: the executable, mapped
// first. Anonymous mappings placed below it (an address sanitizer's shadow memory) name no
// file and are passed over. Only the first 64 KiB of the list are read.
bool bFromMaps(char* pszBuffer, unsigned nSize)
{
    static constexpr std::size_t nMAX = 65536;
    std::unique_ptr<char[]> pTexte(new (std::nothrow) char[nMAX + 1]);
    std::size_t nRead = 0;
    if (!pTexte || !SYS_bReadFile("/proc/self/maps", pTexte.get(), nMAX, &nRead) || nRead == 0)
        return false;
    pTexte[nRead] = '\0';
    for (const char* pLigne = pTexte.get(); *pLigne != '\0';) {
        const std::size_t nLigne = std::strcspn(pLigne, "\n");
        const char* pSlash = static_cast<const char*>(std::memchr(pLigne, '/', nLigne));
        if (pSlash)
            return bStore(pszBuffer, nSize, pSlash, static_cast<std::size_t>(pLigne + nLigne - pSlash));
        pLigne += nLigne;
        if (*pLigne == '\n')
            ++pLigne;
    }
    return false;
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
