// The exported entry points of the runtime library, with C linkage and default visibility.
#pragma once

#include <cstdint>

#include "contract/RuntimeContract.h"

// Everything else in the library is hidden: only what carries this mark is exported.
#define ZV_RUNTIME_EXPORT extern "C" __attribute__((visibility("default")))

// Builds of the library that lack an export or refuse a step, each chosen by one compile
// definition (several may be combined):
//   ZV_RUNTIME_NO_INITLIBRARY       no "bInitLibrary"
//   ZV_RUNTIME_INITLIBRARY_REFUSES  "bInitLibrary" returns 0
//   ZV_RUNTIME_NO_QUERYPROXY        no "pQueryProxy"
//   ZV_RUNTIME_QUERYPROXY_NULL      "pQueryProxy" returns null
//   ZV_RUNTIME_NO_ENTRIES           none of the twelve "KL_" exports
//   ZV_RUNTIME_REFUSES_ZVL          "KL_DonneZVL" refuses every application library

#if !defined(ZV_RUNTIME_NO_INITLIBRARY)
// Keeps the handle and starts a new session (a running service is stopped). Returns 1.
ZV_RUNTIME_EXPORT int bInitLibrary(void* hLibrary);
#endif
#if !defined(ZV_RUNTIME_NO_QUERYPROXY)
// The static proxy interface for code 100; null for any other code.
ZV_RUNTIME_EXPORT IZVRuntimeProxy* pQueryProxy(int nCode);
#endif
// Stops a running service before the library is unloaded.
ZV_RUNTIME_EXPORT void TermLibrary();

#if !defined(ZV_RUNTIME_NO_ENTRIES)
ZV_RUNTIME_EXPORT int KL_Run_Res(unsigned int nMode, const char* pszProject, const char* pszCmdLine, int* pnReturn);
ZV_RUNTIME_EXPORT int KL_Run_Service(const char* pszProject, const char* pszCmdLine, PFN_STOPSERVICE pfnStop,
                                     int nZero);
ZV_RUNTIME_EXPORT int KL_Term_Service(int nZero);
ZV_RUNTIME_EXPORT int KL_TestEx(int nMode, const char* pszText, int nZero);
ZV_RUNTIME_EXPORT int KL_ListeDLL(CSimpleBuffer* pclBuffer, const char* pszText);
ZV_RUNTIME_EXPORT int KL_DonneZVL(const char* pszApplication, long long oPosition);
ZV_RUNTIME_EXPORT void KL_DonneREP(const char* pszDataDirectory);
ZV_RUNTIME_EXPORT void KL_DonneKRV(const char* pszFirst, const char* pszSecond);
ZV_RUNTIME_EXPORT void KL_DonneFinInit(PFN_FININIT pfnCallBack, void* pContext);
ZV_RUNTIME_EXPORT void KL_InitGoRequete(void* pContext);
ZV_RUNTIME_EXPORT int KL_ListeZVL(CSimpleBuffer* pclBuffer, const char* pszText);
ZV_RUNTIME_EXPORT int KL_SetParam(int nCode, intptr_t nValue);
#endif
