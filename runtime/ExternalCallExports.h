// The runtime's "nKLE" exports, through which the external call interface drives the small language.
#pragma once

#include "contract/KleContract.h"
#include "runtime/RuntimeExports.h"

// Builds lacking an export, each chosen by one compile definition:
//   ZV_RUNTIME_NO_INITEX      no "nKLEInitEx"
//   ZV_RUNTIME_NO_PECALLBACK  no "nKLESetPECallback" (a mandatory export)
//   ZV_RUNTIME_NO_GETVM       no "nKLEGetVM" (an optional export)
//   ZV_RUNTIME_NO_OPMT        no "nKLEOPMT" (no thread contexts)

#if !defined(ZV_RUNTIME_NO_INITEX)
ZV_RUNTIME_EXPORT int32_t nKLEInitEx(_stKLECTX* pstCtx, _stKLEINIT* pstInit);
#endif
#if !defined(ZV_RUNTIME_NO_OPMT)
ZV_RUNTIME_EXPORT int32_t nKLEOPMT(_stKLECTX* pstCtx, int32_t nCode);
#endif
ZV_RUNTIME_EXPORT void KLETerm(_stKLECTX* pstCtx);
ZV_RUNTIME_EXPORT void KLEReprise(_stKLECTX* pstCtx);
ZV_RUNTIME_EXPORT void* pKLEGetContexteElement(_stKLECTX* pstCtx);
ZV_RUNTIME_EXPORT void* pKLEModifieContexteElement(_stKLECTX* pstCtx, const char* pszElement);
ZV_RUNTIME_EXPORT void* pKLERestaureContexteElement(_stKLECTX* pstCtx, void* pSauvegarde);
ZV_RUNTIME_EXPORT int32_t nKLEOuvreZVL(_stKLECTX* pstCtx, const char* pszZVL);
ZV_RUNTIME_EXPORT int32_t nKLEOuvreZVLNum(_stKLECTX* pstCtx, const char* pszZVL, int32_t nNumero);
ZV_RUNTIME_EXPORT void KLEFermeZVLNum(_stKLECTX* pstCtx, int32_t nNumero);
ZV_RUNTIME_EXPORT int32_t nKLEOuvreZVLRes(_stKLECTX* pstCtx, const char* pszZVL, const char* pszAlias);
ZV_RUNTIME_EXPORT void KLEFermeZVLRes(_stKLECTX* pstCtx, const char* pszZVL, const char* pszAlias);
ZV_RUNTIME_EXPORT int32_t nKLEInitProjet(_stKLECTX* pstCtx, const char* pszProjet);
ZV_RUNTIME_EXPORT int32_t nKLESetCallback(_stKLECTX* pstCtx, PFN_KLECALLBACK pfnCallback, void* pUtilisateur);
ZV_RUNTIME_EXPORT int32_t nKLESetCallbackModule(_stKLECTX* pstCtx, PFN_KLECALLBACK pfnCallback, void* pUtilisateur);
ZV_RUNTIME_EXPORT int32_t nKLESetCompatible(_stKLECTX* pstCtx, int32_t nCompatible, int32_t nReserve);
#if !defined(ZV_RUNTIME_NO_PECALLBACK)
ZV_RUNTIME_EXPORT int32_t nKLESetPECallback(_stKLECTX* pstCtx, PFN_KLECALLBACK pfnCallback, void* pUtilisateur);
#endif
ZV_RUNTIME_EXPORT int32_t nKLESetParent(_stKLECTX* pstCtx, void* pParent);
ZV_RUNTIME_EXPORT int32_t nKLESetDQContext(_stKLECTX* pstCtx, void* pDQContext);
ZV_RUNTIME_EXPORT int32_t nKLEExecute(_stKLECTX* pstCtx, const char* pszCode);
ZV_RUNTIME_EXPORT int32_t nKLEEvalue(_stKLECTX* pstCtx, const char* pszExpression);
ZV_RUNTIME_EXPORT int32_t nKLECompile(_stKLECTX* pstCtx, const char* pszCode, const char* pszProcedure);
ZV_RUNTIME_EXPORT int32_t nKLEEmpile(_stKLECTX* pstCtx, int32_t nType, intptr_t nValeur);
ZV_RUNTIME_EXPORT int32_t nKLEEmpileEx(_stKLECTX* pstCtx, int32_t nType, const void* pValeur, int32_t nLongueur);
ZV_RUNTIME_EXPORT int32_t nKLEAppelle(_stKLECTX* pstCtx, const char* pszObjet, const char* pszProcedure,
                                      int32_t nNbParametres, int32_t nOptions);
ZV_RUNTIME_EXPORT int32_t nKLELitVariableKL(_stKLECTX* pstCtx, const char* pszVariable, int32_t nType,
                                            int32_t nReserve);
ZV_RUNTIME_EXPORT int32_t nKLEEcritVariableKL(_stKLECTX* pstCtx, const char* pszVariable, int32_t nType,
                                              intptr_t nValeur);
ZV_RUNTIME_EXPORT int32_t nKLELitPropElem(_stKLECTX* pstCtx, const char* pszElement, const char* pszPropriete);
ZV_RUNTIME_EXPORT int32_t nKLELitPropElemAny(_stKLECTX* pstCtx, const char* pszElement, const char* pszPropriete,
                                             int32_t nType);
ZV_RUNTIME_EXPORT int32_t nKLELitPropElemInd(_stKLECTX* pstCtx, const char* pszElement, const char* pszPropriete,
                                             int32_t nIndice);
ZV_RUNTIME_EXPORT int32_t nKLELitPropElemAnyInd(_stKLECTX* pstCtx, const char* pszElement,
                                                const char* pszPropriete, int32_t nType, int32_t nIndice);
ZV_RUNTIME_EXPORT int32_t nKLELitPropElemInd2(_stKLECTX* pstCtx, const char* pszElement, const char* pszPropriete,
                                              int32_t nIndice1, int32_t nIndice2);
ZV_RUNTIME_EXPORT int32_t nKLELitPropElemAnyInd2(_stKLECTX* pstCtx, const char* pszElement,
                                                 const char* pszPropriete, int32_t nType, int32_t nIndice1,
                                                 int32_t nIndice2);
ZV_RUNTIME_EXPORT int32_t nKLEEcritPropElem(_stKLECTX* pstCtx, const char* pszElement, const char* pszPropriete);
ZV_RUNTIME_EXPORT int32_t nKLEEcritPropElemInd(_stKLECTX* pstCtx, const char* pszElement, const char* pszPropriete,
                                               int32_t nIndice);
ZV_RUNTIME_EXPORT int32_t nKLEEcritPropElemInd2(_stKLECTX* pstCtx, const char* pszElement,
                                                const char* pszPropriete, int32_t nIndice1, int32_t nIndice2);
ZV_RUNTIME_EXPORT int32_t nKLELitPropSousElem(_stKLECTX* pstCtx, const char* pszElement, const char* pszSousElement,
                                              const char* pszPropriete, int32_t nType);
ZV_RUNTIME_EXPORT int32_t nKLEEcritPropSousElem(_stKLECTX* pstCtx, const char* pszElement,
                                                const char* pszSousElement, const char* pszPropriete,
                                                int32_t nReserve);
ZV_RUNTIME_EXPORT int32_t nKLELitPropSousElemInd(_stKLECTX* pstCtx, const char* pszElement,
                                                 const char* pszSousElement, const char* pszPropriete,
                                                 int32_t nType, int32_t nIndice);
ZV_RUNTIME_EXPORT int32_t nKLEEcritPropSousElemInd(_stKLECTX* pstCtx, const char* pszElement,
                                                   const char* pszSousElement, const char* pszPropriete,
                                                   int32_t nIndice, int32_t nReserve);
ZV_RUNTIME_EXPORT int32_t nKLEChampExiste(_stKLECTX* pstCtx, const char* pszElement, const char* pszChamp);
ZV_RUNTIME_EXPORT int32_t nKLEGetDQContext(_stKLECTX* pstCtx, void** ppDQContext);
ZV_RUNTIME_EXPORT int32_t nKLEGetVMData(_stKLECTX* pstCtx, void** ppData);
#if !defined(ZV_RUNTIME_NO_GETVM)
ZV_RUNTIME_EXPORT int32_t nKLEGetVM(_stKLECTX* pstCtx, void** ppVM);
#endif
ZV_RUNTIME_EXPORT int32_t nKLEGetLibShop(_stKLECTX* pstCtx, void** ppLibShop);
ZV_RUNTIME_EXPORT int32_t nKLEGetIEXE(_stKLECTX* pstCtx, void** ppIEXE);
ZV_RUNTIME_EXPORT int32_t nKLEOperation(_stKLECTX* pstCtx, int32_t nOperation, intptr_t nValeur1, intptr_t nValeur2);
