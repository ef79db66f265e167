// The calling contract between the launcher and the runtime library: export names and types.
#pragma once

#include <cstdint>

class CXError;
class CSimpleBuffer;

// Error callback installed in the runtime's proxy interface. The error is read-only and stays
// owned by the runtime; the callback returns 0. It may be called from any runtime thread.
using PFN_CALLBACKERREURVM = int (*)(const CXError* pclError, unsigned long dwParam, unsigned int nParam);
// Stop callback of daemon mode: the runtime calls it with 0 when the service ends by itself.
using PFN_STOPSERVICE = void (*)(int);
// Callback of "KL_DonneFinInit".
using PFN_FININIT = void (*)(void* pContext, unsigned int nCode, unsigned long dwParam);

// The interface returned by "pQueryProxy"; it belongs to the runtime. Only slot 16 is used
// by the launcher: it takes the error callback and two zero words.
class IZVRuntimeProxy {
public:
    virtual int vSlot0() = 0;
    virtual int vSlot1() = 0;
    virtual int vSlot2() = 0;
    virtual int vSlot3() = 0;
    virtual int vSlot4() = 0;
    virtual int vSlot5() = 0;
    virtual int vSlot6() = 0;
    virtual int vSlot7() = 0;
    virtual int vSlot8() = 0;
    virtual int vSlot9() = 0;
    virtual int vSlot10() = 0;
    virtual int vSlot11() = 0;
    virtual int vSlot12() = 0;
    virtual int vSlot13() = 0;
    virtual int vSlot14() = 0;
    virtual int vSlot15() = 0;
    virtual int vSetCallBackErreur(PFN_CALLBACKERREURVM pfnCallBack, unsigned long dwZero1, unsigned long dwZero2) = 0;

protected:
    ~IZVRuntimeProxy() = default;
};

// Exports looked up by the launcher itself. Booleans are returned as int (non-zero: true).
using PFN_bInitLibrary = int (*)(void* hLibrary);        // "bInitLibrary": the library's own handle
using PFN_pQueryProxy = IZVRuntimeProxy* (*)(int nCode); // "pQueryProxy": called with 100
using PFN_TermLibrary = void (*)();                      // "TermLibrary"

// The entry table: exports bound by name, each optional.
using PFN_KL_Run_Res = int (*)(unsigned int nMode, const char* pszProject, const char* pszCmdLine, int* pnReturn);
using PFN_KL_Run_Service = int (*)(const char* pszProject, const char* pszCmdLine, PFN_STOPSERVICE pfnStop, int nZero);
using PFN_KL_Term_Service = int (*)(int nZero);
using PFN_KL_TestEx = int (*)(int nMode, const char* pszText, int nZero);
using PFN_KL_ListeDLL = int (*)(CSimpleBuffer* pclBuffer, const char* pszText);
using PFN_KL_DonneZVL = int (*)(const char* pszApplication, long long oPosition);
using PFN_KL_DonneREP = void (*)(const char* pszDataDirectory);
using PFN_KL_DonneKRV = void (*)(const char* pszFirst, const char* pszSecond);
using PFN_KL_DonneFinInit = void (*)(PFN_FININIT pfnCallBack, void* pContext);
using PFN_KL_InitGoRequete = void (*)(void* pContext);
using PFN_KL_ListeZVL = int (*)(CSimpleBuffer* pclBuffer, const char* pszText);
// One word of value: an integer or a pointer (pointer-sized on x86-64).
using PFN_KL_SetParam = int (*)(int nCode, intptr_t nValue);

// Names of the exports, in the order of the entry table.
inline constexpr const char* gapszRuntimeEntryNames[12] = {
    "KL_Run_Res",  "KL_Run_Service",  "KL_Term_Service", "KL_TestEx",        "KL_ListeDLL", "KL_DonneZVL",
    "KL_DonneREP", "KL_DonneKRV",     "KL_DonneFinInit", "KL_InitGoRequete", "KL_ListeZVL", "KL_SetParam",
};

// Parameter codes of "KL_SetParam".
enum : int {
    eSETPARAM_INITDLL = 1007,
    eSETPARAM_INITREGISTRE = 1009,
    eSETPARAM_TERMVM = 1012,
    eSETPARAM_INFORMATIONVM = 1014,
    eSETPARAM_MODEEXECUTION = 1021,
    eSETPARAM_VERSIONACTIVE = 1028,
    eSETPARAM_INFOLDAP = 1029,
    eSETPARAM_HISTOCONNEXION = 1030,
    eSETPARAM_LOGGER = 1031,
};

// Argument of "pQueryProxy" and the execution mode of a normal launch.
inline constexpr int gnQueryProxyCode = 100;
inline constexpr int gnModeVMNormal = 5;
