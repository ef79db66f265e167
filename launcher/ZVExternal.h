/* The external call interface: C functions through which a host program drives the runtime library. */
#ifndef ZV_ZVEXTERNAL_H
#define ZV_ZVEXTERNAL_H

#include <stdint.h>

#include "contract/KleContract.h"

#ifdef __cplusplus
extern "C" {
#endif

#define ZV_EXTERNAL_API __attribute__((visibility("default")))

/* Threads. The interface's process-wide state (the loaded library and its bound exports, the
 * options, the local context and which context is current) is written by the nZVInit forms,
 * ZVActiveOption, ZVSetModule, pZVSetContexte and ZVTerm, which are not locked: a host calls
 * them while no other thread uses the interface (at its start and end). In between, that
 * state is only read, from any thread. The operations without a context argument act on the
 * current context, one for the process: threads that call the runtime at the same time each
 * use a context of their own through the ZVMT forms. pZVMTInitThread and ZVMTTermThread may be
 * called from any thread at any time between initialisation and end (they are locked). */

/* Initialisation and end. Each nZVInit form returns 0 at once when the interface is already
 * initialised; otherwise 0 on success, 1 when a mandatory export is missing or the library's
 * own initialisation ("bInitLibrary") refuses, 2 when there is no library, or the runtime's
 * own result of "nKLEInitEx". A library loaded here stays loaded after a failure; ZVTerm
 * unloads it once the interface has been initialised. */
ZV_EXTERNAL_API int32_t nZVInit(int32_t nValeur);                                /* "./zv150vm.so" */
ZV_EXTERNAL_API int32_t nZVInitFromName(const char* pszChemin, int32_t nValeur);
ZV_EXTERNAL_API int32_t nZVInitFromInstance(void* hInstance, int32_t nValeur);   /* the caller keeps the handle */
ZV_EXTERNAL_API int32_t nZVInitFromInstanceEx(void* hInstance, int32_t nValeur, uint32_t dwOptions);
/* Ends the interface. Thread contexts must be ended first with ZVMTTermThread; one still alive
 * is no longer usable (its operations answer 9) and ZVMTTermThread then only frees it. */
ZV_EXTERNAL_API void ZVTerm(void);
ZV_EXTERNAL_API void ZVActiveOption(uint32_t dwOptions);   /* or-ed in, used by the next initialisation */
ZV_EXTERNAL_API void ZVSetModule(intptr_t nModule);        /* stored in the local context */
ZV_EXTERNAL_API _stKLECTX* pZVGetContexte(void);
/* Makes pstCtx current (null: the local context) and returns the context that was current. */
ZV_EXTERNAL_API _stKLECTX* pZVSetContexte(_stKLECTX* pstCtx);

/* Forwarding operations on the current context: 9 when the interface is not initialised
 * (null for the context-element operations), otherwise the export's result. */
ZV_EXTERNAL_API void* pZVGetContexteElement(void);
ZV_EXTERNAL_API void* pZVModifieContexteElement(const char* pszElement);
ZV_EXTERNAL_API void* pZVRestaureContexteElement(void* pSauvegarde);
ZV_EXTERNAL_API int32_t nZVOuvreZVL(const char* pszZVL);
ZV_EXTERNAL_API int32_t nZVOuvreZVLNum(const char* pszZVL, int32_t nNumero);
ZV_EXTERNAL_API void ZVFermeZVLNum(int32_t nNumero);
ZV_EXTERNAL_API int32_t nZVOuvreZVLRes(const char* pszZVL, const char* pszAlias);
ZV_EXTERNAL_API void ZVFermeZVLRes(const char* pszZVL, const char* pszAlias);
ZV_EXTERNAL_API int32_t nZVInitProjet(const char* pszProjet);
ZV_EXTERNAL_API int32_t nZVSetCallbackNext(PFN_KLECALLBACK pfnCallback, void* pUtilisateur);
ZV_EXTERNAL_API int32_t nZVSetCallbackModule(PFN_KLECALLBACK pfnCallback, void* pUtilisateur);
ZV_EXTERNAL_API int32_t nZVSetCallbackCompatible(int32_t nCompatible, int32_t nReserve);
ZV_EXTERNAL_API int32_t nZVSetPECallback(PFN_KLECALLBACK pfnCallback, void* pUtilisateur);
ZV_EXTERNAL_API int32_t nZVSetParentNext(void* pParent);
ZV_EXTERNAL_API int32_t nZVSetDQContextNext(void* pDQContext);
ZV_EXTERNAL_API int32_t nZVExecuteEx(const char* pszCode);
ZV_EXTERNAL_API int32_t nZVEvalue(const char* pszExpression);
ZV_EXTERNAL_API int32_t nZVCompile(const char* pszCode, const char* pszProcedure);
ZV_EXTERNAL_API int32_t nZVEmpile(int32_t nType, intptr_t nValeur);
ZV_EXTERNAL_API int32_t nZVEmpileEx(int32_t nType, const void* pValeur, int32_t nLongueur);
ZV_EXTERNAL_API int32_t nZVAppelle(const char* pszObjet, const char* pszProcedure, int32_t nNbParametres,
                                   int32_t nOptions);
ZV_EXTERNAL_API int32_t nZVLitVariableKL(const char* pszVariable, int32_t nType, int32_t nReserve);
ZV_EXTERNAL_API int32_t nZVEcritVariableKL(const char* pszVariable, int32_t nType, intptr_t nValeur);
ZV_EXTERNAL_API int32_t nZVLitPropElem(const char* pszElement, const char* pszPropriete);
ZV_EXTERNAL_API int32_t nZVLitPropElemAny(const char* pszElement, const char* pszPropriete, int32_t nType);
ZV_EXTERNAL_API int32_t nZVLitPropElemInd(const char* pszElement, const char* pszPropriete, int32_t nIndice);
ZV_EXTERNAL_API int32_t nZVLitPropElemAnyInd(const char* pszElement, const char* pszPropriete, int32_t nType,
                                             int32_t nIndice);
ZV_EXTERNAL_API int32_t nZVLitPropElemInd2(const char* pszElement, const char* pszPropriete, int32_t nIndice1,
                                           int32_t nIndice2);
ZV_EXTERNAL_API int32_t nZVLitPropElemAnyInd2(const char* pszElement, const char* pszPropriete, int32_t nType,
                                              int32_t nIndice1, int32_t nIndice2);
ZV_EXTERNAL_API int32_t nZVEcritPropElem(const char* pszElement, const char* pszPropriete);
ZV_EXTERNAL_API int32_t nZVEcritPropElemInd(const char* pszElement, const char* pszPropriete, int32_t nIndice);
ZV_EXTERNAL_API int32_t nZVEcritPropElemInd2(const char* pszElement, const char* pszPropriete, int32_t nIndice1,
                                             int32_t nIndice2);
/* Optional exports: 9 when the runtime lacks them. */
ZV_EXTERNAL_API int32_t nZVLitPropSousElem(const char* pszElement, const char* pszSousElement,
                                           const char* pszPropriete, int32_t nType);
ZV_EXTERNAL_API int32_t nZVEcritPropSousElem(const char* pszElement, const char* pszSousElement,
                                             const char* pszPropriete, int32_t nReserve);
ZV_EXTERNAL_API int32_t nZVLitPropSousElemInd(const char* pszElement, const char* pszSousElement,
                                              const char* pszPropriete, int32_t nType, int32_t nIndice);
ZV_EXTERNAL_API int32_t nZVEcritPropSousElemInd(const char* pszElement, const char* pszSousElement,
                                                const char* pszPropriete, int32_t nIndice, int32_t nReserve);
ZV_EXTERNAL_API int32_t nZVChampExiste(const char* pszElement, const char* pszChamp);
ZV_EXTERNAL_API int32_t nZVGetDQContext(void** ppDQContext);
ZV_EXTERNAL_API int32_t nZVGetVMData(void** ppData);
ZV_EXTERNAL_API int32_t nZVGetVM(void** ppVM);   /* 1 when the runtime lacks "nKLEGetVM" */
ZV_EXTERNAL_API int32_t nZVGetLibShop(void** ppLibShop);
ZV_EXTERNAL_API int32_t nZVGetIEXE(void** ppIEXE);

/* Translated messages, through the optional "nKLEOperation" (1 when the runtime lacks it). */
ZV_EXTERNAL_API int32_t nZVMessTraduit(intptr_t nMessage);
ZV_EXTERNAL_API int32_t nZVMessTraduitElement(intptr_t nElement, intptr_t nMessage);
ZV_EXTERNAL_API int32_t nZVEmpileMessTraduit(intptr_t nMessage);
ZV_EXTERNAL_API int32_t nZVEmpileMessTraduitElement(intptr_t nElement, intptr_t nMessage);

/* Formats the code printf-style into 10240 bytes (longer text is cut to 10239 characters) and
 * runs it: 9 when not initialised, 12 when the formatting gives no character or fails. */
ZV_EXTERNAL_API int32_t nZVExecute(const char* pszFormat, ...) __attribute__((format(printf, 1, 2)));
/* Clears the error state of the current context after an error ("KLEReprise"). */
ZV_EXTERNAL_API void ZVRepriseErreur(void);

/* Accessors of the current context's records; they never call the runtime. Addresses point
 * into the runtime's memory and stay valid until the next call on the same context. */
ZV_EXTERNAL_API uint16_t wZVGetTypeValeurRetour(void);
ZV_EXTERNAL_API int32_t bZVGetValeurRetour(void);
ZV_EXTERNAL_API int32_t nZVGetValeurRetour(void);
ZV_EXTERNAL_API int32_t nZVLongueurValeurRetour(void);
ZV_EXTERNAL_API int64_t i64ZVGetValeurRetour(void);
ZV_EXTERNAL_API double dZVGetValeurRetour(void);
ZV_EXTERNAL_API const char* pszZVGetValeurRetour(void);
ZV_EXTERNAL_API const void* pbyZVGetValeurRetour(void);
ZV_EXTERNAL_API int32_t bZVValeurRetourNULL(void);
ZV_EXTERNAL_API int32_t nZVGetLastError(void);
ZV_EXTERNAL_API const char* pszZVGetLastError(void);

/* Thread contexts: each thread that calls the runtime concurrently uses one of its own with
 * the explicit-context forms below, where a null context means the current one. */
ZV_EXTERNAL_API _stKLECTX* pZVMTInitThread(void);   /* null when not initialised or refused */
ZV_EXTERNAL_API void ZVMTTermThread(_stKLECTX* pstCtx);
ZV_EXTERNAL_API int32_t nZVMTEmpile(_stKLECTX* pstCtx, int32_t nType, intptr_t nValeur);
ZV_EXTERNAL_API int32_t nZVMTAppelle(_stKLECTX* pstCtx, const char* pszObjet, const char* pszProcedure,
                                     int32_t nNbParametres, int32_t nOptions);
ZV_EXTERNAL_API int32_t nZVMTLitVariableKL(_stKLECTX* pstCtx, const char* pszVariable, int32_t nType,
                                           int32_t nReserve);
ZV_EXTERNAL_API int32_t nZVMTEcritVariableKL(_stKLECTX* pstCtx, const char* pszVariable, int32_t nType,
                                             intptr_t nValeur);
ZV_EXTERNAL_API void ZVMTRepriseErreur(_stKLECTX* pstCtx);
ZV_EXTERNAL_API uint16_t wZVMTGetTypeValeurRetour(_stKLECTX* pstCtx);
ZV_EXTERNAL_API int32_t bZVMTGetValeurRetour(_stKLECTX* pstCtx);
ZV_EXTERNAL_API int32_t nZVMTGetValeurRetour(_stKLECTX* pstCtx);
ZV_EXTERNAL_API int32_t nZVMTLongueurValeurRetour(_stKLECTX* pstCtx);
ZV_EXTERNAL_API int64_t i64ZVMTGetValeurRetour(_stKLECTX* pstCtx);
ZV_EXTERNAL_API double dZVMTGetValeurRetour(_stKLECTX* pstCtx);
ZV_EXTERNAL_API const char* pszZVMTGetValeurRetour(_stKLECTX* pstCtx);
ZV_EXTERNAL_API const void* pbyZVMTGetValeurRetour(_stKLECTX* pstCtx);
ZV_EXTERNAL_API int32_t bZVMTValeurRetourNULL(_stKLECTX* pstCtx);
ZV_EXTERNAL_API int32_t nZVMTGetLastError(_stKLECTX* pstCtx);
ZV_EXTERNAL_API const char* pszZVMTGetLastError(_stKLECTX* pstCtx);

#ifdef __cplusplus
}
#endif

#endif /* ZV_ZVEXTERNAL_H */
