/* The records and export types shared by the external call interface and the runtime library (C and C++). */
#ifndef ZV_KLECONTRACT_H
#define ZV_KLECONTRACT_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
#define ZV_KLE_STATIC_ASSERT(cond, msg) static_assert(cond, msg)
#else
#define ZV_KLE_STATIC_ASSERT(cond, msg) _Static_assert(cond, msg)
#endif

/* Values written in the records once they are ready. */
#define KLE_MARQUE_DEBUT 0xDEDE
#define KLE_MARQUE_FIN 0xF1F1
#define KLE_VERSION 14
#define KLE_TAILLE_TEXTE_INIT 4098

/* Result codes of the interface's own (any other value is the runtime's). */
#define ZV_OK 0
#define ZV_ERR_EXPORT 1        /* an optional export is missing, or a mandatory one at initialisation */
#define ZV_ERR_PAS_DE_VM 2     /* no runtime library */
#define ZV_ERR_NON_INIT 9      /* the interface is not initialised */
#define ZV_ERR_TEXTE_VIDE 12   /* nZVExecute produced no text */

/* Type codes of values, the runtime's. With "nKLEEmpile" and "nKLEEcritVariableKL" the word
 * holds the value itself for VIDE (pushes NULL), BOOLEEN and ENTIER, the address of a double
 * for REEL and the address of a NUL-terminated text for CHAINE; "nKLEEmpileEx" takes an address
 * and a length in bytes (ENTIER: 4 or 8, REEL: 8, CHAINE and BUFFER: any). */
#define KLE_TYPE_VIDE 0
#define KLE_TYPE_BOOLEEN 1
#define KLE_TYPE_ENTIER 2
#define KLE_TYPE_REEL 3
#define KLE_TYPE_CHAINE 4
#define KLE_TYPE_BUFFER 5

/* Codes handed to "nKLEOPMT". */
#define KLE_OPMT_INIT 1
#define KLE_OPMT_TERM ((int32_t)0x80000000)

/* Codes handed to "nKLEOperation" by the translated-message operations. */
#define KLE_OP_MESSTRADUIT 1
#define KLE_OP_MESSTRADUITELEMENT 2
#define KLE_OP_EMPILEMESSTRADUIT 3
#define KLE_OP_EMPILEMESSTRADUITELEMENT 4

#pragma pack(push, 1)

/* The value of the last call, written by the runtime; addresses stay the runtime's and are
 * valid until the next call on the same context. */
typedef struct _stKLEVALEURRETOUR {
    uint16_t wType;        /* type code, the runtime's */
    int32_t nValeur;       /* boolean or 32-bit integer; the length of a string or buffer */
    int64_t i64Valeur;
    double dValeur;
    const char* pszValeur; /* NUL-terminated string value */
    const void* pbyValeur; /* buffer value */
    int32_t bNULL;         /* non-zero: the value is NULL */
    uint8_t abyRuntime[20];
} _stKLEVALEURRETOUR;

/* The error of the last call, written by the runtime. */
typedef struct _stKLEERREUR {
    int32_t nCode;            /* 0: no error */
    const char* pszMessage;   /* message text, owned by the runtime */
    uint8_t abyRuntime[24];
} _stKLEERREUR;

/* A calling context: which records receive the results of the calls made with it. */
typedef struct _stKLECTX {
    uint16_t wMarqueDebut;                /* KLE_MARQUE_DEBUT once ready */
    uint16_t wVersion;                    /* KLE_VERSION once ready */
    void* pRuntime;                       /* owned by the runtime */
    _stKLEVALEURRETOUR* pstValeurRetour;
    _stKLEERREUR* pstErreur;
    intptr_t nModule;                     /* value given by ZVSetModule */
    uint8_t abyRuntime[16];
    uint16_t wMarqueFin;                  /* KLE_MARQUE_FIN once ready */
} _stKLECTX;

/* Handed once to "nKLEInitEx". */
typedef struct _stKLEINIT {
    int32_t nVersion;                     /* KLE_VERSION */
    int32_t nTaille;                      /* the record's size in bytes */
    int32_t nValeurInit;                  /* the caller's initialisation value */
    char szTexte[KLE_TAILLE_TEXTE_INIT];  /* empty */
    uint32_t dwOptions;                   /* option bits */
} _stKLEINIT;

#pragma pack(pop)

ZV_KLE_STATIC_ASSERT(offsetof(_stKLEVALEURRETOUR, nValeur) == 2, "_stKLEVALEURRETOUR layout");
ZV_KLE_STATIC_ASSERT(offsetof(_stKLEVALEURRETOUR, i64Valeur) == 6, "_stKLEVALEURRETOUR layout");
ZV_KLE_STATIC_ASSERT(offsetof(_stKLEVALEURRETOUR, dValeur) == 14, "_stKLEVALEURRETOUR layout");
ZV_KLE_STATIC_ASSERT(offsetof(_stKLEVALEURRETOUR, pszValeur) == 22, "_stKLEVALEURRETOUR layout");
ZV_KLE_STATIC_ASSERT(offsetof(_stKLEVALEURRETOUR, pbyValeur) == 22 + sizeof(void*), "_stKLEVALEURRETOUR layout");
ZV_KLE_STATIC_ASSERT(offsetof(_stKLEVALEURRETOUR, bNULL) == 22 + 2 * sizeof(void*), "_stKLEVALEURRETOUR layout");
ZV_KLE_STATIC_ASSERT(sizeof(_stKLEVALEURRETOUR) == 46 + 2 * sizeof(void*), "_stKLEVALEURRETOUR size");
ZV_KLE_STATIC_ASSERT(offsetof(_stKLEERREUR, pszMessage) == 4, "_stKLEERREUR layout");
ZV_KLE_STATIC_ASSERT(sizeof(_stKLEERREUR) == 28 + sizeof(void*), "_stKLEERREUR size");
ZV_KLE_STATIC_ASSERT(offsetof(_stKLECTX, pRuntime) == 4, "_stKLECTX layout");
ZV_KLE_STATIC_ASSERT(offsetof(_stKLECTX, pstValeurRetour) == 4 + sizeof(void*), "_stKLECTX layout");
ZV_KLE_STATIC_ASSERT(offsetof(_stKLECTX, pstErreur) == 4 + 2 * sizeof(void*), "_stKLECTX layout");
ZV_KLE_STATIC_ASSERT(offsetof(_stKLECTX, nModule) == 4 + 3 * sizeof(void*), "_stKLECTX layout");
ZV_KLE_STATIC_ASSERT(offsetof(_stKLECTX, wMarqueFin) == 20 + 4 * sizeof(void*), "_stKLECTX layout");
ZV_KLE_STATIC_ASSERT(sizeof(_stKLECTX) == 22 + 4 * sizeof(void*), "_stKLECTX size");
ZV_KLE_STATIC_ASSERT(offsetof(_stKLEINIT, szTexte) == 12, "_stKLEINIT layout");
ZV_KLE_STATIC_ASSERT(offsetof(_stKLEINIT, dwOptions) == 4110, "_stKLEINIT layout");
ZV_KLE_STATIC_ASSERT(sizeof(_stKLEINIT) == 4114, "_stKLEINIT size");
#if INTPTR_MAX == INT32_MAX
/* The reference ABI: the exact sizes the runtime was built against. */
ZV_KLE_STATIC_ASSERT(sizeof(_stKLECTX) == 38, "_stKLECTX is 38 bytes");
ZV_KLE_STATIC_ASSERT(sizeof(_stKLEVALEURRETOUR) == 54, "_stKLEVALEURRETOUR is 54 bytes");
ZV_KLE_STATIC_ASSERT(sizeof(_stKLEERREUR) == 32, "_stKLEERREUR is 32 bytes");
#endif

/* Exports of the runtime library. Every "nKLE" export takes the context first; words are
 * integers or addresses, pointer-sized where they may hold an address. Results are 0 for
 * success, otherwise the runtime's error code (also written in the context's error record). */
typedef int32_t (*PFN_nKLEInitEx)(_stKLECTX* pstCtx, _stKLEINIT* pstInit);
typedef int32_t (*PFN_nKLEOPMT)(_stKLECTX* pstCtx, int32_t nCode);
typedef void (*PFN_KLETerm)(_stKLECTX* pstCtx);
typedef void (*PFN_KLEReprise)(_stKLECTX* pstCtx);

typedef void* (*PFN_pKLEGetContexteElement)(_stKLECTX* pstCtx);
typedef void* (*PFN_pKLEModifieContexteElement)(_stKLECTX* pstCtx, const char* pszElement);
typedef void* (*PFN_pKLERestaureContexteElement)(_stKLECTX* pstCtx, void* pSauvegarde);

typedef int32_t (*PFN_nKLEOuvreZVL)(_stKLECTX* pstCtx, const char* pszZVL);
typedef int32_t (*PFN_nKLEOuvreZVLNum)(_stKLECTX* pstCtx, const char* pszZVL, int32_t nNumero);
typedef void (*PFN_KLEFermeZVLNum)(_stKLECTX* pstCtx, int32_t nNumero);
typedef int32_t (*PFN_nKLEOuvreZVLRes)(_stKLECTX* pstCtx, const char* pszZVL, const char* pszAlias);
typedef void (*PFN_KLEFermeZVLRes)(_stKLECTX* pstCtx, const char* pszZVL, const char* pszAlias);
typedef int32_t (*PFN_nKLEInitProjet)(_stKLECTX* pstCtx, const char* pszProjet);

/* Callback of "nKLESetCallback": receives each text the code prints. */
typedef void (*PFN_KLECALLBACK)(void* pUtilisateur, const char* pszTexte);
typedef int32_t (*PFN_nKLESetCallback)(_stKLECTX* pstCtx, PFN_KLECALLBACK pfnCallback, void* pUtilisateur);
typedef int32_t (*PFN_nKLESetCallbackModule)(_stKLECTX* pstCtx, PFN_KLECALLBACK pfnCallback, void* pUtilisateur);
typedef int32_t (*PFN_nKLESetCompatible)(_stKLECTX* pstCtx, int32_t nCompatible, int32_t nReserve);
typedef int32_t (*PFN_nKLESetPECallback)(_stKLECTX* pstCtx, PFN_KLECALLBACK pfnCallback, void* pUtilisateur);
typedef int32_t (*PFN_nKLESetParent)(_stKLECTX* pstCtx, void* pParent);
typedef int32_t (*PFN_nKLESetDQContext)(_stKLECTX* pstCtx, void* pDQContext);

typedef int32_t (*PFN_nKLEExecute)(_stKLECTX* pstCtx, const char* pszCode);
typedef int32_t (*PFN_nKLEEvalue)(_stKLECTX* pstCtx, const char* pszExpression);
typedef int32_t (*PFN_nKLECompile)(_stKLECTX* pstCtx, const char* pszCode, const char* pszProcedure);
typedef int32_t (*PFN_nKLEEmpile)(_stKLECTX* pstCtx, int32_t nType, intptr_t nValeur);
typedef int32_t (*PFN_nKLEEmpileEx)(_stKLECTX* pstCtx, int32_t nType, const void* pValeur, int32_t nLongueur);
typedef int32_t (*PFN_nKLEAppelle)(_stKLECTX* pstCtx, const char* pszObjet, const char* pszProcedure,
                                   int32_t nNbParametres, int32_t nOptions);
typedef int32_t (*PFN_nKLELitVariableKL)(_stKLECTX* pstCtx, const char* pszVariable, int32_t nType, int32_t nReserve);
typedef int32_t (*PFN_nKLEEcritVariableKL)(_stKLECTX* pstCtx, const char* pszVariable, int32_t nType, intptr_t nValeur);

typedef int32_t (*PFN_nKLELitPropElem)(_stKLECTX* pstCtx, const char* pszElement, const char* pszPropriete);
typedef int32_t (*PFN_nKLELitPropElemAny)(_stKLECTX* pstCtx, const char* pszElement, const char* pszPropriete,
                                          int32_t nType);
typedef int32_t (*PFN_nKLELitPropElemInd)(_stKLECTX* pstCtx, const char* pszElement, const char* pszPropriete,
                                          int32_t nIndice);
typedef int32_t (*PFN_nKLELitPropElemAnyInd)(_stKLECTX* pstCtx, const char* pszElement, const char* pszPropriete,
                                             int32_t nType, int32_t nIndice);
typedef int32_t (*PFN_nKLELitPropElemInd2)(_stKLECTX* pstCtx, const char* pszElement, const char* pszPropriete,
                                           int32_t nIndice1, int32_t nIndice2);
typedef int32_t (*PFN_nKLELitPropElemAnyInd2)(_stKLECTX* pstCtx, const char* pszElement, const char* pszPropriete,
                                              int32_t nType, int32_t nIndice1, int32_t nIndice2);
typedef int32_t (*PFN_nKLEEcritPropElem)(_stKLECTX* pstCtx, const char* pszElement, const char* pszPropriete);
typedef int32_t (*PFN_nKLEEcritPropElemInd)(_stKLECTX* pstCtx, const char* pszElement, const char* pszPropriete,
                                            int32_t nIndice);
typedef int32_t (*PFN_nKLEEcritPropElemInd2)(_stKLECTX* pstCtx, const char* pszElement, const char* pszPropriete,
                                             int32_t nIndice1, int32_t nIndice2);
typedef int32_t (*PFN_nKLELitPropSousElem)(_stKLECTX* pstCtx, const char* pszElement, const char* pszSousElement,
                                           const char* pszPropriete, int32_t nType);
typedef int32_t (*PFN_nKLEEcritPropSousElem)(_stKLECTX* pstCtx, const char* pszElement, const char* pszSousElement,
                                             const char* pszPropriete, int32_t nReserve);
typedef int32_t (*PFN_nKLELitPropSousElemInd)(_stKLECTX* pstCtx, const char* pszElement, const char* pszSousElement,
                                              const char* pszPropriete, int32_t nType, int32_t nIndice);
typedef int32_t (*PFN_nKLEEcritPropSousElemInd)(_stKLECTX* pstCtx, const char* pszElement,
                                                const char* pszSousElement, const char* pszPropriete,
                                                int32_t nIndice, int32_t nReserve);
typedef int32_t (*PFN_nKLEChampExiste)(_stKLECTX* pstCtx, const char* pszElement, const char* pszChamp);

typedef int32_t (*PFN_nKLEGetDQContext)(_stKLECTX* pstCtx, void** ppDQContext);
typedef int32_t (*PFN_nKLEGetVMData)(_stKLECTX* pstCtx, void** ppData);
typedef int32_t (*PFN_nKLEGetVM)(_stKLECTX* pstCtx, void** ppVM);
typedef int32_t (*PFN_nKLEGetLibShop)(_stKLECTX* pstCtx, void** ppLibShop);
typedef int32_t (*PFN_nKLEGetIEXE)(_stKLECTX* pstCtx, void** ppIEXE);
typedef int32_t (*PFN_nKLEOperation)(_stKLECTX* pstCtx, int32_t nOperation, intptr_t nValeur1, intptr_t nValeur2);

#endif /* ZV_KLECONTRACT_H */
