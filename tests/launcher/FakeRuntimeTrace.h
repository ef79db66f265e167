// What the recording stand-in runtime saw, read by the entry-table tests through "pstTraceVM".
#pragma once

#include <cstdint>

struct _stTRACEVM {
    unsigned int nModeRecu;
    int nAppelsListeDLL;
    int nAppelsSetParam;
    int nDernierCode;
    int64_t nDerniereValeur;
    char szTexte[64];
};

using PFN_pstTraceVM = _stTRACEVM* (*)();
