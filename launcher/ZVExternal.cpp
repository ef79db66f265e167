// The external call interface: binding of the runtime's "nKLE" exports and the C functions that forward to them.
#include "launcher/ZVExternal.h"

#include <dlfcn.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>

#include "contract/RuntimeContract.h"

namespace {

// Room for the text of nZVExecute, terminating NUL included.
constexpr std::size_t gnTailleExecute = 10240;

// One pointer per export; written by initialisation on the controlling thread, read after.
struct _stLIAISONKLE {
    PFN_nKLEOuvreZVL pfnOuvreZVL;
    PFN_nKLEOuvreZVLNum pfnOuvreZVLNum;
    PFN_KLEFermeZVLNum pfnFermeZVLNum;
    PFN_nKLEOuvreZVLRes pfnOuvreZVLRes;
    PFN_KLEFermeZVLRes pfnFermeZVLRes;
    PFN_nKLEInitProjet pfnInitProjet;
    PFN_nKLESetCallback pfnSetCallback;
    PFN_nKLESetCompatible pfnSetCompatible;
    PFN_nKLESetParent pfnSetParent;
    PFN_nKLEExecute pfnExecute;
    PFN_nKLEEvalue pfnEvalue;
    PFN_nKLECompile pfnCompile;
    PFN_nKLEEmpile pfnEmpile;
    PFN_nKLEEmpileEx pfnEmpileEx;
    PFN_nKLEAppelle pfnAppelle;
    PFN_nKLELitVariableKL pfnLitVariableKL;
    PFN_nKLEEcritVariableKL pfnEcritVariableKL;
    PFN_nKLELitPropElem pfnLitPropElem;
    PFN_nKLELitPropElemAny pfnLitPropElemAny;
    PFN_nKLELitPropElemInd pfnLitPropElemInd;
    PFN_nKLELitPropElemAnyInd pfnLitPropElemAnyInd;
    PFN_nKLELitPropElemInd2 pfnLitPropElemInd2;
    PFN_nKLELitPropElemAnyInd2 pfnLitPropElemAnyInd2;
    PFN_nKLEEcritPropElem pfnEcritPropElem;
    PFN_nKLEEcritPropElemInd pfnEcritPropElemInd;
    PFN_nKLEEcritPropElemInd2 pfnEcritPropElemInd2;
    PFN_nKLEChampExiste pfnChampExiste;
    PFN_KLETerm pfnTerm;
    PFN_KLEReprise pfnReprise;
    PFN_nKLEGetDQContext pfnGetDQContext;
    PFN_nKLEGetVMData pfnGetVMData;
    PFN_nKLEGetLibShop pfnGetLibShop;
    PFN_nKLEGetIEXE pfnGetIEXE;
    PFN_nKLESetDQContext pfnSetDQContext;
    PFN_nKLESetCallbackModule pfnSetCallbackModule;
    PFN_pKLEGetContexteElement pfnGetContexteElement;
    PFN_pKLEModifieContexteElement pfnModifieContexteElement;
    PFN_pKLERestaureContexteElement pfnRestaureContexteElement;
    PFN_nKLESetPECallback pfnSetPECallback;
    // Optional.
    PFN_nKLEOperation pfnOperation;
    PFN_nKLEGetVM pfnGetVM;
    PFN_nKLELitPropSousElem pfnLitPropSousElem;
    PFN_nKLEEcritPropSousElem pfnEcritPropSousElem;
    PFN_nKLELitPropSousElemInd pfnLitPropSousElemInd;
    PFN_nKLEEcritPropSousElemInd pfnEcritPropSousElemInd;
};

_stKLEVALEURRETOUR gstKLELocalValeurRetour;
_stKLEERREUR gstKLELocalErreur;
// The record addresses are set here too, so that the accessors read valid records even
// before the first initialisation.
_stKLECTX gstKLELocalCtx = {0, 0, nullptr, &gstKLELocalValeurRetour, &gstKLELocalErreur, 0, {}, 0};
_stKLECTX* gpstKLECtx = &gstKLELocalCtx;
void* ghDLLVM = nullptr;
bool gbDLLVM = false;
uint32_t gdwOptionInit = 0;
_stLIAISONKLE gstLiaison;

// Thread contexts are made and ended from any thread: the lazy binding of "nKLEOPMT" and the
// set of live contexts are guarded. Only contexts found in the set are ever freed.
std::mutex gclVerrouThreads;
PFN_nKLEOPMT gpfnOPMT = nullptr;
std::set<_stKLECTX*>* gpsetContextesThread = nullptr;  // allocated on first use, never freed

std::set<_stKLECTX*>& __setContextes()
{
    if (!gpsetContextesThread)
        gpsetContextesThread = new std::set<_stKLECTX*>;
    return *gpsetContextesThread;
}

bool __bInitialise()
{
    return ghDLLVM != nullptr;
}

template <typename PFN>
bool __bLie(PFN* ppfn, void* hDLL, const char* pszNom)
{
    *ppfn = reinterpret_cast<PFN>(dlsym(hDLL, pszNom));
    return *ppfn != nullptr;
}

// The markers say "ready": written on success, cleared when the context stops being usable.
void __EffaceMarques(_stKLECTX* pstCtx)
{
    pstCtx->wMarqueDebut = 0;
    pstCtx->wVersion = 0;
    pstCtx->wMarqueFin = 0;
}

void __MarqueContexte(_stKLECTX* pstCtx)
{
    pstCtx->wMarqueDebut = KLE_MARQUE_DEBUT;
    pstCtx->wVersion = KLE_VERSION;
    pstCtx->wMarqueFin = KLE_MARQUE_FIN;
}

// Binds the mandatory exports in their fixed order; false at the first one missing.
bool __bLieObligatoires(void* h, _stLIAISONKLE* pst)
{
    return __bLie(&pst->pfnOuvreZVL, h, "nKLEOuvreZVL") && __bLie(&pst->pfnOuvreZVLNum, h, "nKLEOuvreZVLNum") &&
           __bLie(&pst->pfnFermeZVLNum, h, "KLEFermeZVLNum") && __bLie(&pst->pfnOuvreZVLRes, h, "nKLEOuvreZVLRes") &&
           __bLie(&pst->pfnFermeZVLRes, h, "KLEFermeZVLRes") && __bLie(&pst->pfnInitProjet, h, "nKLEInitProjet") &&
           __bLie(&pst->pfnSetCallback, h, "nKLESetCallback") &&
           __bLie(&pst->pfnSetCompatible, h, "nKLESetCompatible") && __bLie(&pst->pfnSetParent, h, "nKLESetParent") &&
           __bLie(&pst->pfnExecute, h, "nKLEExecute") && __bLie(&pst->pfnEvalue, h, "nKLEEvalue") &&
           __bLie(&pst->pfnCompile, h, "nKLECompile") && __bLie(&pst->pfnEmpile, h, "nKLEEmpile") &&
           __bLie(&pst->pfnEmpileEx, h, "nKLEEmpileEx") && __bLie(&pst->pfnAppelle, h, "nKLEAppelle") &&
           __bLie(&pst->pfnLitVariableKL, h, "nKLELitVariableKL") &&
           __bLie(&pst->pfnEcritVariableKL, h, "nKLEEcritVariableKL") &&
           __bLie(&pst->pfnLitPropElem, h, "nKLELitPropElem") &&
           __bLie(&pst->pfnLitPropElemAny, h, "nKLELitPropElemAny") &&
           __bLie(&pst->pfnLitPropElemInd, h, "nKLELitPropElemInd") &&
           __bLie(&pst->pfnLitPropElemAnyInd, h, "nKLELitPropElemAnyInd") &&
           __bLie(&pst->pfnLitPropElemInd2, h, "nKLELitPropElemInd2") &&
           __bLie(&pst->pfnLitPropElemAnyInd2, h, "nKLELitPropElemAnyInd2") &&
           __bLie(&pst->pfnEcritPropElem, h, "nKLEEcritPropElem") &&
           __bLie(&pst->pfnEcritPropElemInd, h, "nKLEEcritPropElemInd") &&
           __bLie(&pst->pfnEcritPropElemInd2, h, "nKLEEcritPropElemInd2") &&
           __bLie(&pst->pfnChampExiste, h, "nKLEChampExiste") && __bLie(&pst->pfnTerm, h, "KLETerm") &&
           __bLie(&pst->pfnReprise, h, "KLEReprise") && __bLie(&pst->pfnGetDQContext, h, "nKLEGetDQContext") &&
           __bLie(&pst->pfnGetVMData, h, "nKLEGetVMData") && __bLie(&pst->pfnGetLibShop, h, "nKLEGetLibShop") &&
           __bLie(&pst->pfnGetIEXE, h, "nKLEGetIEXE") && __bLie(&pst->pfnSetDQContext, h, "nKLESetDQContext") &&
           __bLie(&pst->pfnSetCallbackModule, h, "nKLESetCallbackModule") &&
           __bLie(&pst->pfnGetContexteElement, h, "pKLEGetContexteElement") &&
           __bLie(&pst->pfnModifieContexteElement, h, "pKLEModifieContexteElement") &&
           __bLie(&pst->pfnRestaureContexteElement, h, "pKLERestaureContexteElement") &&
           __bLie(&pst->pfnSetPECallback, h, "nKLESetPECallback");
}

void __LieOptionnels(void* h, _stLIAISONKLE* pst)
{
    __bLie(&pst->pfnOperation, h, "nKLEOperation");
    __bLie(&pst->pfnGetVM, h, "nKLEGetVM");
    __bLie(&pst->pfnLitPropSousElem, h, "nKLELitPropSousElem");
    __bLie(&pst->pfnEcritPropSousElem, h, "nKLEEcritPropSousElem");
    __bLie(&pst->pfnLitPropSousElemInd, h, "nKLELitPropSousElemInd");
    __bLie(&pst->pfnEcritPropSousElemInd, h, "nKLEEcritPropSousElemInd");
}

int32_t __nZVInitVM(void* hDLL, int32_t nValeur, uint32_t dwOptions)
{
    gstKLELocalCtx.pstValeurRetour = &gstKLELocalValeurRetour;
    gstKLELocalCtx.pstErreur = &gstKLELocalErreur;
    gpstKLECtx = &gstKLELocalCtx;
    __EffaceMarques(&gstKLELocalCtx);
    if (!hDLL)
        return ZV_ERR_PAS_DE_VM;
    PFN_nKLEInitEx pfnInitEx = nullptr;
    if (!__bLie(&pfnInitEx, hDLL, "nKLEInitEx"))
        return ZV_ERR_EXPORT;

    _stKLEINIT stInit;
    std::memset(&stInit, 0, sizeof stInit);
    stInit.nVersion = KLE_VERSION;
    stInit.nTaille = static_cast<int32_t>(sizeof stInit);
    stInit.nValeurInit = nValeur;
    stInit.dwOptions = dwOptions;

    // A library that refuses its own initialisation is a failure, never a success that
    // leaves the interface unusable.
    PFN_bInitLibrary pfnInitLibrary = nullptr;
    if (!__bLie(&pfnInitLibrary, hDLL, "bInitLibrary") || !pfnInitLibrary(hDLL))
        return ZV_ERR_EXPORT;

    int32_t nResultat = pfnInitEx(&gstKLELocalCtx, &stInit);
    if (nResultat != 0)
        return nResultat;

    _stLIAISONKLE stLiaison{};
    if (!__bLieObligatoires(hDLL, &stLiaison))
        return ZV_ERR_EXPORT;
    __LieOptionnels(hDLL, &stLiaison);
    gstLiaison = stLiaison;
    __MarqueContexte(&gstKLELocalCtx);
    ghDLLVM = hDLL;
    return ZV_OK;
}

int32_t __nInitDepuisNom(const char* pszChemin, int32_t nValeur)
{
    if (__bInitialise())
        return ZV_OK;
    void* hDLL = pszChemin ? dlopen(pszChemin, RTLD_NOW) : nullptr;
    int32_t nResultat = __nZVInitVM(hDLL, nValeur, gdwOptionInit);
    // The interface owns what it loaded only once it is initialised; a library that failed
    // stays loaded (the runtime may hold state in it).
    gbDLLVM = nResultat == ZV_OK;
    return nResultat;
}

_stKLECTX* __pCtx(_stKLECTX* pstCtx)
{
    return pstCtx ? pstCtx : gpstKLECtx;
}

// The records of a context; those of a context without records read as empty.
const _stKLEVALEURRETOUR* __pValeur(_stKLECTX* pstCtx)
{
    static const _stKLEVALEURRETOUR stVide = {};
    const _stKLEVALEURRETOUR* pst = __pCtx(pstCtx)->pstValeurRetour;
    return pst ? pst : &stVide;
}

const _stKLEERREUR* __pErreur(_stKLECTX* pstCtx)
{
    static const _stKLEERREUR stVide = {};
    const _stKLEERREUR* pst = __pCtx(pstCtx)->pstErreur;
    return pst ? pst : &stVide;
}

void __LibereContexte(_stKLECTX* pstCtx)
{
    std::free(pstCtx->pstErreur);
    std::free(pstCtx->pstValeurRetour);
    std::free(pstCtx);
}

}  // namespace

extern "C" {

int32_t nZVInit(int32_t nValeur)
{
    return __nInitDepuisNom("./zv150vm.so", nValeur);
}

int32_t nZVInitFromName(const char* pszChemin, int32_t nValeur)
{
    return __nInitDepuisNom(pszChemin, nValeur);
}

int32_t nZVInitFromInstance(void* hInstance, int32_t nValeur)
{
    return nZVInitFromInstanceEx(hInstance, nValeur, gdwOptionInit);
}

int32_t nZVInitFromInstanceEx(void* hInstance, int32_t nValeur, uint32_t dwOptions)
{
    if (__bInitialise())
        return ZV_OK;
    gbDLLVM = false;
    return __nZVInitVM(hInstance, nValeur, dwOptions);
}

void ZVTerm(void)
{
    if (!__bInitialise())
        return;
    gstLiaison.pfnTerm(&gstKLELocalCtx);
    PFN_TermLibrary pfnTermLibrary = nullptr;
    if (__bLie(&pfnTermLibrary, ghDLLVM, "TermLibrary"))
        pfnTermLibrary();
    if (gbDLLVM)
        dlclose(ghDLLVM);
    ghDLLVM = nullptr;
    gbDLLVM = false;
    gstLiaison = _stLIAISONKLE{};
    __EffaceMarques(&gstKLELocalCtx);
    std::lock_guard<std::mutex> clVerrou(gclVerrouThreads);
    gpfnOPMT = nullptr;
}

void ZVActiveOption(uint32_t dwOptions)
{
    gdwOptionInit |= dwOptions;
}

void ZVSetModule(intptr_t nModule)
{
    gstKLELocalCtx.nModule = nModule;
}

_stKLECTX* pZVGetContexte(void)
{
    return gpstKLECtx;
}

_stKLECTX* pZVSetContexte(_stKLECTX* pstCtx)
{
    _stKLECTX* pstAncien = gpstKLECtx;
    gpstKLECtx = pstCtx ? pstCtx : &gstKLELocalCtx;
    return pstAncien;
}

// Every forwarder: 9 (or null, or nothing) when not initialised, else the export's result.
#define ZV_FORWARD(pfn, ...) return __bInitialise() ? gstLiaison.pfn(gpstKLECtx, ##__VA_ARGS__) : ZV_ERR_NON_INIT
#define ZV_FORWARD_PTR(pfn, ...) return __bInitialise() ? gstLiaison.pfn(gpstKLECtx, ##__VA_ARGS__) : nullptr
#define ZV_FORWARD_VOID(pfn, ...)                     \
    do {                                              \
        if (__bInitialise())                          \
            gstLiaison.pfn(gpstKLECtx, ##__VA_ARGS__); \
    } while (0)
// Optional exports: 9 when absent too.
#define ZV_FORWARD_OPT(pfn, ...) \
    return __bInitialise() && gstLiaison.pfn ? gstLiaison.pfn(gpstKLECtx, ##__VA_ARGS__) : ZV_ERR_NON_INIT

void* pZVGetContexteElement(void)
{
    ZV_FORWARD_PTR(pfnGetContexteElement);
}

void* pZVModifieContexteElement(const char* pszElement)
{
    ZV_FORWARD_PTR(pfnModifieContexteElement, pszElement);
}

void* pZVRestaureContexteElement(void* pSauvegarde)
{
    ZV_FORWARD_PTR(pfnRestaureContexteElement, pSauvegarde);
}

int32_t nZVOuvreZVL(const char* pszZVL)
{
    ZV_FORWARD(pfnOuvreZVL, pszZVL);
}

int32_t nZVOuvreZVLNum(const char* pszZVL, int32_t nNumero)
{
    ZV_FORWARD(pfnOuvreZVLNum, pszZVL, nNumero);
}

void ZVFermeZVLNum(int32_t nNumero)
{
    ZV_FORWARD_VOID(pfnFermeZVLNum, nNumero);
}

int32_t nZVOuvreZVLRes(const char* pszZVL, const char* pszAlias)
{
    ZV_FORWARD(pfnOuvreZVLRes, pszZVL, pszAlias);
}

void ZVFermeZVLRes(const char* pszZVL, const char* pszAlias)
{
    ZV_FORWARD_VOID(pfnFermeZVLRes, pszZVL, pszAlias);
}

int32_t nZVInitProjet(const char* pszProjet)
{
    ZV_FORWARD(pfnInitProjet, pszProjet);
}

int32_t nZVSetCallbackNext(PFN_KLECALLBACK pfnCallback, void* pUtilisateur)
{
    ZV_FORWARD(pfnSetCallback, pfnCallback, pUtilisateur);
}

int32_t nZVSetCallbackModule(PFN_KLECALLBACK pfnCallback, void* pUtilisateur)
{
    ZV_FORWARD(pfnSetCallbackModule, pfnCallback, pUtilisateur);
}

int32_t nZVSetCallbackCompatible(int32_t nCompatible, int32_t nReserve)
{
    ZV_FORWARD(pfnSetCompatible, nCompatible, nReserve);
}

int32_t nZVSetPECallback(PFN_KLECALLBACK pfnCallback, void* pUtilisateur)
{
    ZV_FORWARD(pfnSetPECallback, pfnCallback, pUtilisateur);
}

int32_t nZVSetParentNext(void* pParent)
{
    ZV_FORWARD(pfnSetParent, pParent);
}

int32_t nZVSetDQContextNext(void* pDQContext)
{
    ZV_FORWARD(pfnSetDQContext, pDQContext);
}

int32_t nZVExecuteEx(const char* pszCode)
{
    ZV_FORWARD(pfnExecute, pszCode);
}

int32_t nZVEvalue(const char* pszExpression)
{
    ZV_FORWARD(pfnEvalue, pszExpression);
}

int32_t nZVCompile(const char* pszCode, const char* pszProcedure)
{
    ZV_FORWARD(pfnCompile, pszCode, pszProcedure);
}

int32_t nZVEmpile(int32_t nType, intptr_t nValeur)
{
    ZV_FORWARD(pfnEmpile, nType, nValeur);
}

int32_t nZVEmpileEx(int32_t nType, const void* pValeur, int32_t nLongueur)
{
    ZV_FORWARD(pfnEmpileEx, nType, pValeur, nLongueur);
}

int32_t nZVAppelle(const char* pszObjet, const char* pszProcedure, int32_t nNbParametres, int32_t nOptions)
{
    ZV_FORWARD(pfnAppelle, pszObjet, pszProcedure, nNbParametres, nOptions);
}

int32_t nZVLitVariableKL(const char* pszVariable, int32_t nType, int32_t nReserve)
{
    ZV_FORWARD(pfnLitVariableKL, pszVariable, nType, nReserve);
}

int32_t nZVEcritVariableKL(const char* pszVariable, int32_t nType, intptr_t nValeur)
{
    ZV_FORWARD(pfnEcritVariableKL, pszVariable, nType, nValeur);
}

int32_t nZVLitPropElem(const char* pszElement, const char* pszPropriete)
{
    ZV_FORWARD(pfnLitPropElem, pszElement, pszPropriete);
}

int32_t nZVLitPropElemAny(const char* pszElement, const char* pszPropriete, int32_t nType)
{
    ZV_FORWARD(pfnLitPropElemAny, pszElement, pszPropriete, nType);
}

int32_t nZVLitPropElemInd(const char* pszElement, const char* pszPropriete, int32_t nIndice)
{
    ZV_FORWARD(pfnLitPropElemInd, pszElement, pszPropriete, nIndice);
}

int32_t nZVLitPropElemAnyInd(const char* pszElement, const char* pszPropriete, int32_t nType, int32_t nIndice)
{
    ZV_FORWARD(pfnLitPropElemAnyInd, pszElement, pszPropriete, nType, nIndice);
}

int32_t nZVLitPropElemInd2(const char* pszElement, const char* pszPropriete, int32_t nIndice1, int32_t nIndice2)
{
    ZV_FORWARD(pfnLitPropElemInd2, pszElement, pszPropriete, nIndice1, nIndice2);
}

int32_t nZVLitPropElemAnyInd2(const char* pszElement, const char* pszPropriete, int32_t nType, int32_t nIndice1,
                              int32_t nIndice2)
{
    ZV_FORWARD(pfnLitPropElemAnyInd2, pszElement, pszPropriete, nType, nIndice1, nIndice2);
}

int32_t nZVEcritPropElem(const char* pszElement, const char* pszPropriete)
{
    ZV_FORWARD(pfnEcritPropElem, pszElement, pszPropriete);
}

int32_t nZVEcritPropElemInd(const char* pszElement, const char* pszPropriete, int32_t nIndice)
{
    ZV_FORWARD(pfnEcritPropElemInd, pszElement, pszPropriete, nIndice);
}

int32_t nZVEcritPropElemInd2(const char* pszElement, const char* pszPropriete, int32_t nIndice1, int32_t nIndice2)
{
    ZV_FORWARD(pfnEcritPropElemInd2, pszElement, pszPropriete, nIndice1, nIndice2);
}

int32_t nZVLitPropSousElem(const char* pszElement, const char* pszSousElement, const char* pszPropriete,
                           int32_t nType)
{
    ZV_FORWARD_OPT(pfnLitPropSousElem, pszElement, pszSousElement, pszPropriete, nType);
}

int32_t nZVEcritPropSousElem(const char* pszElement, const char* pszSousElement, const char* pszPropriete,
                             int32_t nReserve)
{
    ZV_FORWARD_OPT(pfnEcritPropSousElem, pszElement, pszSousElement, pszPropriete, nReserve);
}

int32_t nZVLitPropSousElemInd(const char* pszElement, const char* pszSousElement, const char* pszPropriete,
                              int32_t nType, int32_t nIndice)
{
    ZV_FORWARD_OPT(pfnLitPropSousElemInd, pszElement, pszSousElement, pszPropriete, nType, nIndice);
}

int32_t nZVEcritPropSousElemInd(const char* pszElement, const char* pszSousElement, const char* pszPropriete,
                                int32_t nIndice, int32_t nReserve)
{
    ZV_FORWARD_OPT(pfnEcritPropSousElemInd, pszElement, pszSousElement, pszPropriete, nIndice, nReserve);
}

int32_t nZVChampExiste(const char* pszElement, const char* pszChamp)
{
    ZV_FORWARD(pfnChampExiste, pszElement, pszChamp);
}

int32_t nZVGetDQContext(void** ppDQContext)
{
    ZV_FORWARD(pfnGetDQContext, ppDQContext);
}

int32_t nZVGetVMData(void** ppData)
{
    ZV_FORWARD(pfnGetVMData, ppData);
}

int32_t nZVGetVM(void** ppVM)
{
    if (!__bInitialise())
        return ZV_ERR_NON_INIT;
    return gstLiaison.pfnGetVM ? gstLiaison.pfnGetVM(gpstKLECtx, ppVM) : ZV_ERR_EXPORT;
}

int32_t nZVGetLibShop(void** ppLibShop)
{
    ZV_FORWARD(pfnGetLibShop, ppLibShop);
}

int32_t nZVGetIEXE(void** ppIEXE)
{
    ZV_FORWARD(pfnGetIEXE, ppIEXE);
}

static int32_t s_nOperation(int32_t nCode, intptr_t nValeur1, intptr_t nValeur2)
{
    if (!__bInitialise())
        return ZV_ERR_NON_INIT;
    return gstLiaison.pfnOperation ? gstLiaison.pfnOperation(gpstKLECtx, nCode, nValeur1, nValeur2) : ZV_ERR_EXPORT;
}

int32_t nZVMessTraduit(intptr_t nMessage)
{
    return s_nOperation(KLE_OP_MESSTRADUIT, nMessage, 0);
}

int32_t nZVMessTraduitElement(intptr_t nElement, intptr_t nMessage)
{
    return s_nOperation(KLE_OP_MESSTRADUITELEMENT, nElement, nMessage);
}

int32_t nZVEmpileMessTraduit(intptr_t nMessage)
{
    return s_nOperation(KLE_OP_EMPILEMESSTRADUIT, nMessage, 0);
}

int32_t nZVEmpileMessTraduitElement(intptr_t nElement, intptr_t nMessage)
{
    return s_nOperation(KLE_OP_EMPILEMESSTRADUITELEMENT, nElement, nMessage);
}

int32_t nZVExecute(const char* pszFormat, ...)
{
    if (!__bInitialise())
        return ZV_ERR_NON_INIT;
    if (!pszFormat)
        return ZV_ERR_TEXTE_VIDE;
    // On the heap: host threads may have small stacks.
    char* pszCode = static_cast<char*>(std::malloc(gnTailleExecute));
    if (!pszCode)
        return ZV_ERR_TEXTE_VIDE;
    va_list args;
    va_start(args, pszFormat);
    int nLongueur = std::vsnprintf(pszCode, gnTailleExecute, pszFormat, args);
    va_end(args);
    int32_t nResultat = ZV_ERR_TEXTE_VIDE;
    if (nLongueur > 0)
        nResultat = gstLiaison.pfnExecute(gpstKLECtx, pszCode);
    std::free(pszCode);
    return nResultat;
}

void ZVRepriseErreur(void)
{
    ZV_FORWARD_VOID(pfnReprise);
}

uint16_t wZVGetTypeValeurRetour(void) { return wZVMTGetTypeValeurRetour(nullptr); }
int32_t bZVGetValeurRetour(void) { return bZVMTGetValeurRetour(nullptr); }
int32_t nZVGetValeurRetour(void) { return nZVMTGetValeurRetour(nullptr); }
int32_t nZVLongueurValeurRetour(void) { return nZVMTLongueurValeurRetour(nullptr); }
int64_t i64ZVGetValeurRetour(void) { return i64ZVMTGetValeurRetour(nullptr); }
double dZVGetValeurRetour(void) { return dZVMTGetValeurRetour(nullptr); }
const char* pszZVGetValeurRetour(void) { return pszZVMTGetValeurRetour(nullptr); }
const void* pbyZVGetValeurRetour(void) { return pbyZVMTGetValeurRetour(nullptr); }
int32_t bZVValeurRetourNULL(void) { return bZVMTValeurRetourNULL(nullptr); }
int32_t nZVGetLastError(void) { return nZVMTGetLastError(nullptr); }
const char* pszZVGetLastError(void) { return pszZVMTGetLastError(nullptr); }

_stKLECTX* pZVMTInitThread(void)
{
    if (!__bInitialise())
        return nullptr;
    auto* pstCtx = static_cast<_stKLECTX*>(std::calloc(1, sizeof(_stKLECTX)));
    auto* pstValeur = static_cast<_stKLEVALEURRETOUR*>(std::calloc(1, sizeof(_stKLEVALEURRETOUR)));
    auto* pstErreur = static_cast<_stKLEERREUR*>(std::calloc(1, sizeof(_stKLEERREUR)));
    if (!pstCtx || !pstValeur || !pstErreur) {
        std::free(pstErreur);
        std::free(pstValeur);
        std::free(pstCtx);
        return nullptr;
    }
    pstCtx->pstValeurRetour = pstValeur;
    pstCtx->pstErreur = pstErreur;
    pstCtx->nModule = gstKLELocalCtx.nModule;

    std::lock_guard<std::mutex> clVerrou(gclVerrouThreads);
    if (!gpfnOPMT)
        __bLie(&gpfnOPMT, ghDLLVM, "nKLEOPMT");
    if (!gpfnOPMT || gpfnOPMT(pstCtx, KLE_OPMT_INIT) != 0) {
        __LibereContexte(pstCtx);
        return nullptr;
    }
    __MarqueContexte(pstCtx);
    __setContextes().insert(pstCtx);
    return pstCtx;
}

void ZVMTTermThread(_stKLECTX* pstCtx)
{
    if (!pstCtx)
        return;
    std::lock_guard<std::mutex> clVerrou(gclVerrouThreads);
    // Only a context made by pZVMTInitThread and not yet ended: anything else (an unknown
    // address, a second end) is left alone rather than freed twice.
    if (!__setContextes().erase(pstCtx))
        return;
    // After ZVTerm the runtime has forgotten the context: only its blocks remain to free.
    if (__bInitialise() && gpfnOPMT)
        gpfnOPMT(pstCtx, KLE_OPMT_TERM);
    // The current context must never point at freed records.
    if (gpstKLECtx == pstCtx)
        gpstKLECtx = &gstKLELocalCtx;
    __LibereContexte(pstCtx);
}

int32_t nZVMTEmpile(_stKLECTX* pstCtx, int32_t nType, intptr_t nValeur)
{
    return __bInitialise() ? gstLiaison.pfnEmpile(__pCtx(pstCtx), nType, nValeur) : ZV_ERR_NON_INIT;
}

int32_t nZVMTAppelle(_stKLECTX* pstCtx, const char* pszObjet, const char* pszProcedure, int32_t nNbParametres,
                     int32_t nOptions)
{
    return __bInitialise() ? gstLiaison.pfnAppelle(__pCtx(pstCtx), pszObjet, pszProcedure, nNbParametres, nOptions)
                           : ZV_ERR_NON_INIT;
}

int32_t nZVMTLitVariableKL(_stKLECTX* pstCtx, const char* pszVariable, int32_t nType, int32_t nReserve)
{
    return __bInitialise() ? gstLiaison.pfnLitVariableKL(__pCtx(pstCtx), pszVariable, nType, nReserve)
                           : ZV_ERR_NON_INIT;
}

int32_t nZVMTEcritVariableKL(_stKLECTX* pstCtx, const char* pszVariable, int32_t nType, intptr_t nValeur)
{
    return __bInitialise() ? gstLiaison.pfnEcritVariableKL(__pCtx(pstCtx), pszVariable, nType, nValeur)
                           : ZV_ERR_NON_INIT;
}

void ZVMTRepriseErreur(_stKLECTX* pstCtx)
{
    if (__bInitialise())
        gstLiaison.pfnReprise(__pCtx(pstCtx));
}

uint16_t wZVMTGetTypeValeurRetour(_stKLECTX* pstCtx) { return __pValeur(pstCtx)->wType; }
int32_t bZVMTGetValeurRetour(_stKLECTX* pstCtx) { return __pValeur(pstCtx)->nValeur; }
int32_t nZVMTGetValeurRetour(_stKLECTX* pstCtx) { return __pValeur(pstCtx)->nValeur; }
int32_t nZVMTLongueurValeurRetour(_stKLECTX* pstCtx) { return __pValeur(pstCtx)->nValeur; }
int64_t i64ZVMTGetValeurRetour(_stKLECTX* pstCtx) { return __pValeur(pstCtx)->i64Valeur; }
double dZVMTGetValeurRetour(_stKLECTX* pstCtx) { return __pValeur(pstCtx)->dValeur; }
const char* pszZVMTGetValeurRetour(_stKLECTX* pstCtx) { return __pValeur(pstCtx)->pszValeur; }
const void* pbyZVMTGetValeurRetour(_stKLECTX* pstCtx) { return __pValeur(pstCtx)->pbyValeur; }
int32_t bZVMTValeurRetourNULL(_stKLECTX* pstCtx) { return __pValeur(pstCtx)->bNULL; }
int32_t nZVMTGetLastError(_stKLECTX* pstCtx) { return __pErreur(pstCtx)->nCode; }
const char* pszZVMTGetLastError(_stKLECTX* pstCtx) { return __pErreur(pstCtx)->pszMessage; }

}  // extern "C"
