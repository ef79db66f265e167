// The executable's information block _stINFOEXE, its template values and the data-files directory field.
#include "launcher/InfoExe.h"

#include <cstring>

#include "base/files/CDiskFile.h"
#include "base/strings/StrCopy.h"

namespace {

bool __bTousNuls(const unsigned char* pab, size_t n)
{
    for (size_t i = 0; i < n; ++i) {
        if (pab[i] != 0)
            return false;
    }
    return true;
}

bool __bEntier(const unsigned char* pab, int32_t nAttendu)
{
    uint32_t u = static_cast<uint32_t>(nAttendu);
    return pab[0] == (u & 0xFF) && pab[1] == ((u >> 8) & 0xFF) && pab[2] == ((u >> 16) & 0xFF) &&
           pab[3] == (u >> 24);
}

bool __bTermine(const unsigned char* pab, size_t n)
{
    return std::memchr(pab, 0, n) != nullptr;
}

}  // namespace

bool bFormeInfoExe(const unsigned char* pab)
{
    // Cheapest and most selective test first: the long zero run after the -1 word.
    return __bEntier(pab + offsetof(_stINFOEXE, nReserve4), gnInfoExeReserve4) &&
           __bTousNuls(pab + offsetof(_stINFOEXE, abReserve5), sizeof(_stINFOEXE::abReserve5)) &&
           __bEntier(pab + offsetof(_stINFOEXE, nReserve3), gnInfoExeReserve3) &&
           __bTousNuls(pab + offsetof(_stINFOEXE, abReserve0), sizeof(_stINFOEXE::abReserve0)) &&
           __bTousNuls(pab + offsetof(_stINFOEXE, abReserve1), sizeof(_stINFOEXE::abReserve1)) &&
           __bTousNuls(pab + offsetof(_stINFOEXE, abReserve2), sizeof(_stINFOEXE::abReserve2)) &&
           __bTousNuls(pab + offsetof(_stINFOEXE, abReserve6), sizeof(_stINFOEXE::abReserve6)) &&
           __bTermine(pab + offsetof(_stINFOEXE, szNomFramework), sizeof(_stINFOEXE::szNomFramework)) &&
           __bTermine(pab + offsetof(_stINFOEXE, szNomZVL), sizeof(_stINFOEXE::szNomZVL)) &&
           __bTermine(pab + offsetof(_stINFOEXE, szNomProjet), sizeof(_stINFOEXE::szNomProjet));
}

CTString clNomZVLTransmis(const char* pszNomBloc, const char* pszCheminExe)
{
    char szZVL[CDiskFile::ZV_MAX_PATH + 1] = "";
    if (!pszNomBloc || pszNomBloc[0] == '\0' || std::strcmp(pszNomBloc, gszInfoExeNomZVL) == 0) {
        // Only the file name reaches the runtime, so it is built from the executable's file
        // name alone.
        STR_nCopy(szZVL, sizeof(szZVL), CDiskFile::pszGetPtrToFileName(pszCheminExe ? pszCheminExe : ""), -1);
        CDiskFile::ChangeExtension(szZVL, sizeof(szZVL), ".ZVL");
    } else {
        STR_nCopy(szZVL, sizeof(szZVL), pszNomBloc, -1);
    }
    char szNomExt[CDiskFile::ZV_MAX_PATH + 1] = "";
    CDiskFile::SplitPath(szZVL, nullptr, szNomExt);
    return CTString(szNomExt);
}
