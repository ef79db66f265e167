// Stand-in runtime for the entry-table tests: a few "KL_" exports that record what they receive.
#include <cstdint>
#include <cstring>

#include "tests/launcher/FakeRuntimeTrace.h"

namespace {
_stTRACEVM gstTrace;
}

extern "C" {

__attribute__((visibility("default"))) _stTRACEVM* pstTraceVM()
{
    return &gstTrace;
}

__attribute__((visibility("default"))) int KL_Run_Res(unsigned int nMode, const char*, const char*, int* pnRetour)
{
    gstTrace.nModeRecu = nMode;
    if (pnRetour)
        *pnRetour = 7;
    return 1;
}

__attribute__((visibility("default"))) int KL_ListeDLL(void*, const char* pszTexte)
{
    ++gstTrace.nAppelsListeDLL;
    return pszTexte && std::strcmp(pszTexte, "connue.so") == 0;
}

__attribute__((visibility("default"))) int KL_SetParam(int nCode, intptr_t nValeur)
{
    ++gstTrace.nAppelsSetParam;
    gstTrace.nDernierCode = nCode;
    gstTrace.nDerniereValeur = static_cast<int64_t>(nValeur);
    if (nCode == 1009 && nValeur) {
        std::strncpy(gstTrace.szTexte, reinterpret_cast<const char*>(nValeur), sizeof(gstTrace.szTexte) - 1);
        return 1;
    }
    if (nCode == 1007)
        return 1234;
    if (nCode == 1012)
        return 55;
    return 0;
}
}
