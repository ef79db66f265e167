// The runtime's "nKLE" exports, through which the external call interface drives the small language.
#include "runtime/ExternalCallExports.h"

#include <mutex>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "runtime/CKleMachine.h"
#include "runtime/CRuntimeProxy.h"
#include "runtime/CRuntimeSession.h"

// Each export has exactly the type the interface binds it with.
#define ZV_MEME_TYPE_KLE(fn) \
    static_assert(std::is_same<decltype(&fn), PFN_##fn>::value, #fn " has the wrong type")

namespace {

// One call on one context: holds the machine's lock, finds the context's state, clears its
// records, and at the end writes the value and the error into them.
class _CAppel {
public:
    explicit _CAppel(_stKLECTX* pstCtx)
        : m_clMachine(*CKleMachine::s_pclGet()), m_clVerrou(m_clMachine.clVerrou())
    {
        if (!m_clMachine.bEstInitialise())
            m_nEtat = eERR_TERMINE;
        else if (!(m_pclCtx = m_clMachine.pclContexte(pstCtx)))
            m_nEtat = eERR_CONTEXTE;
        else {
            m_pclCtx->Commence();
            m_optLangage.emplace(m_clMachine, *m_pclCtx);
        }
    }

    bool bPret() const { return m_nEtat == 0; }
    int32_t nEtat() const { return m_nEtat; }
    CKleMachine& clMachine() { return m_clMachine; }
    CKleContexte& clCtx() { return *m_pclCtx; }
    CScriptLanguage& clLangage() { return *m_optLangage; }
    bool bFaute(int32_t nResultat, const std::string& str) { return m_optLangage->bFaute(nResultat, str); }

    int32_t nFin()
    {
        const int32_t nResultat = m_pclCtx->nTermine(*m_optLangage, clValeur);
        if (nResultat != 0)
            m_clMachine.SignaleErreur(m_optLangage->strGetMessage());
        return nResultat;
    }

    CKleValeur clValeur;

private:
    CKleMachine& m_clMachine;
    std::lock_guard<std::recursive_mutex> m_clVerrou;
    int32_t m_nEtat = 0;
    CKleContexte* m_pclCtx = nullptr;
    std::optional<CScriptLanguage> m_optLangage;
};

// The key of a property: ELEM.[SUB.]PROP, then [i] or [i,j] for nIndices 1 or 2.
bool __bCle(_CAppel& cl, const char* pszElement, const char* pszSous, const char* pszPropriete, int nIndices,
            int32_t nIndice1, int32_t nIndice2, std::string* pstrCle)
{
    if (!pszElement || !*pszElement || !pszPropriete || !*pszPropriete || (pszSous && !*pszSous))
        return cl.bFaute(eERR_ARGUMENT, "an element, sub-element or property name is missing.");
    std::string strElement = pszElement;
    if (strElement == "self") {
        strElement = cl.clCtx().strGetElement();
        if (strElement.empty())
            return cl.bFaute(eERR_INCONNU, "there is no current element.");
    }
    *pstrCle = strElement + "." + (pszSous ? std::string(pszSous) + "." : std::string()) + pszPropriete;
    if (nIndices == 1)
        *pstrCle += "[" + std::to_string(nIndice1) + "]";
    else if (nIndices == 2)
        *pstrCle += "[" + std::to_string(nIndice1) + "," + std::to_string(nIndice2) + "]";
    return true;
}

// Reads a value into the call's result, converted to nType unless it is 0.
int32_t __nLit(_CAppel& cl, bool bTrouve, const CKleValeur& clLu, const std::string& strNom, int32_t nType)
{
    if (!bTrouve)
        cl.bFaute(eERR_INCONNU, "unknown " + strNom + ".");
    else if (nType == 0)
        cl.clValeur = clLu;
    else if (!clLu.bConvertit(nType, &cl.clValeur))
        cl.bFaute(eERR_TYPE, strNom + " cannot be read as type " + std::to_string(nType) + ".");
    return cl.nFin();
}

int32_t __nLitPropriete(_stKLECTX* pstCtx, const char* pszElement, const char* pszSous, const char* pszPropriete,
                        int32_t nType, int nIndices, int32_t nIndice1, int32_t nIndice2)
{
    _CAppel cl(pstCtx);
    if (!cl.bPret())
        return cl.nEtat();
    std::string strCle;
    if (!__bCle(cl, pszElement, pszSous, pszPropriete, nIndices, nIndice1, nIndice2, &strCle))
        return cl.nFin();
    CKleValeur clLu;
    const bool bTrouve = cl.clMachine().bLitPropriete(strCle, &clLu);
    return __nLit(cl, bTrouve, clLu, "property " + strCle, nType);
}

// Writes the last pushed value (which is used up) into a property.
int32_t __nEcritPropriete(_stKLECTX* pstCtx, const char* pszElement, const char* pszSous,
                          const char* pszPropriete, int nIndices, int32_t nIndice1, int32_t nIndice2)
{
    _CAppel cl(pstCtx);
    if (!cl.bPret())
        return cl.nEtat();
    std::string strCle;
    std::vector<CKleValeur> v;
    if (__bCle(cl, pszElement, pszSous, pszPropriete, nIndices, nIndice1, nIndice2, &strCle)) {
        if (!cl.clCtx().bDepile(1, &v))
            cl.bFaute(eERR_PILE, "no value was pushed for the property " + strCle + ".");
        else
            cl.clMachine().EcritPropriete(strCle, v[0]);
    }
    return cl.nFin();
}

int32_t __nPose(void** pp, void* pValeur)
{
    if (!pp)
        return eERR_ARGUMENT;
    *pp = pValeur;
    return 0;
}

}  // namespace

#if !defined(ZV_RUNTIME_NO_INITEX)
ZV_MEME_TYPE_KLE(nKLEInitEx);

int32_t nKLEInitEx(_stKLECTX* pstCtx, _stKLEINIT* pstInit)
{
    CKleMachine* pclMachine = CKleMachine::s_pclGet();
    std::lock_guard<std::recursive_mutex> clVerrou(pclMachine->clVerrou());
    if (!pstCtx || !pstInit || pstInit->nVersion != KLE_VERSION ||
        pstInit->nTaille != static_cast<int32_t>(sizeof(_stKLEINIT)))
        return eERR_ARGUMENT;
    const int32_t nResultat = pclMachine->nInit(pstCtx, pstInit);
    if (nResultat == 0)
        pclMachine->pclContexte(pstCtx)->Commence();
    return nResultat;
}
#endif

#if !defined(ZV_RUNTIME_NO_OPMT)
ZV_MEME_TYPE_KLE(nKLEOPMT);

int32_t nKLEOPMT(_stKLECTX* pstCtx, int32_t nCode)
{
    CKleMachine* pclMachine = CKleMachine::s_pclGet();
    std::lock_guard<std::recursive_mutex> clVerrou(pclMachine->clVerrou());
    if (!pclMachine->bEstInitialise())
        return eERR_TERMINE;
    if (!pstCtx || !pstCtx->pstValeurRetour || !pstCtx->pstErreur)
        return eERR_ARGUMENT;
    if (nCode == KLE_OPMT_INIT) {
        if (!pclMachine->bAjouteContexte(pstCtx))
            return eERR_CONTEXTE;
        pclMachine->pclContexte(pstCtx)->Commence();
        return 0;
    }
    if (nCode == KLE_OPMT_TERM)
        return pclMachine->bRetireContexte(pstCtx) ? 0 : eERR_CONTEXTE;
    return eERR_ARGUMENT;
}
#endif

ZV_MEME_TYPE_KLE(KLETerm);
ZV_MEME_TYPE_KLE(KLEReprise);
ZV_MEME_TYPE_KLE(pKLEGetContexteElement);
ZV_MEME_TYPE_KLE(pKLEModifieContexteElement);
ZV_MEME_TYPE_KLE(pKLERestaureContexteElement);
ZV_MEME_TYPE_KLE(nKLEOuvreZVL);
ZV_MEME_TYPE_KLE(nKLEOuvreZVLNum);
ZV_MEME_TYPE_KLE(KLEFermeZVLNum);
ZV_MEME_TYPE_KLE(nKLEOuvreZVLRes);
ZV_MEME_TYPE_KLE(KLEFermeZVLRes);
ZV_MEME_TYPE_KLE(nKLEInitProjet);
ZV_MEME_TYPE_KLE(nKLESetCallback);
ZV_MEME_TYPE_KLE(nKLESetCallbackModule);
ZV_MEME_TYPE_KLE(nKLESetCompatible);
ZV_MEME_TYPE_KLE(nKLESetParent);
ZV_MEME_TYPE_KLE(nKLESetDQContext);
ZV_MEME_TYPE_KLE(nKLEExecute);
ZV_MEME_TYPE_KLE(nKLEEvalue);
ZV_MEME_TYPE_KLE(nKLECompile);
ZV_MEME_TYPE_KLE(nKLEEmpile);
ZV_MEME_TYPE_KLE(nKLEEmpileEx);
ZV_MEME_TYPE_KLE(nKLEAppelle);
ZV_MEME_TYPE_KLE(nKLELitVariableKL);
ZV_MEME_TYPE_KLE(nKLEEcritVariableKL);
ZV_MEME_TYPE_KLE(nKLELitPropElem);
ZV_MEME_TYPE_KLE(nKLELitPropElemAny);
ZV_MEME_TYPE_KLE(nKLELitPropElemInd);
ZV_MEME_TYPE_KLE(nKLELitPropElemAnyInd);
ZV_MEME_TYPE_KLE(nKLELitPropElemInd2);
ZV_MEME_TYPE_KLE(nKLELitPropElemAnyInd2);
ZV_MEME_TYPE_KLE(nKLEEcritPropElem);
ZV_MEME_TYPE_KLE(nKLEEcritPropElemInd);
ZV_MEME_TYPE_KLE(nKLEEcritPropElemInd2);
ZV_MEME_TYPE_KLE(nKLELitPropSousElem);
ZV_MEME_TYPE_KLE(nKLEEcritPropSousElem);
ZV_MEME_TYPE_KLE(nKLELitPropSousElemInd);
ZV_MEME_TYPE_KLE(nKLEEcritPropSousElemInd);
ZV_MEME_TYPE_KLE(nKLEChampExiste);
ZV_MEME_TYPE_KLE(nKLEGetDQContext);
ZV_MEME_TYPE_KLE(nKLEGetVMData);
ZV_MEME_TYPE_KLE(nKLEGetLibShop);
ZV_MEME_TYPE_KLE(nKLEGetIEXE);
ZV_MEME_TYPE_KLE(nKLEOperation);

void KLETerm(_stKLECTX*)
{
    CKleMachine* pclMachine = CKleMachine::s_pclGet();
    std::lock_guard<std::recursive_mutex> clVerrou(pclMachine->clVerrou());
    pclMachine->Termine();
}

void KLEReprise(_stKLECTX* pstCtx)
{
    CKleMachine* pclMachine = CKleMachine::s_pclGet();
    std::lock_guard<std::recursive_mutex> clVerrou(pclMachine->clVerrou());
    if (CKleContexte* pclCtx = pclMachine->pclContexte(pstCtx))
        pclCtx->Reprise();
}

void* pKLEGetContexteElement(_stKLECTX* pstCtx)
{
    _CAppel cl(pstCtx);
    if (!cl.bPret())
        return nullptr;
    cl.nFin();
    return const_cast<char*>(cl.clCtx().pszGarde(cl.clCtx().strGetElement()));
}

void* pKLEModifieContexteElement(_stKLECTX* pstCtx, const char* pszElement)
{
    _CAppel cl(pstCtx);
    if (!cl.bPret())
        return nullptr;
    cl.nFin();
    return cl.clCtx().pModifie(pszElement);
}

void* pKLERestaureContexteElement(_stKLECTX* pstCtx, void* pSauvegarde)
{
    _CAppel cl(pstCtx);
    if (!cl.bPret())
        return nullptr;
    if (!cl.clCtx().bRestaure(pSauvegarde)) {
        cl.bFaute(eERR_ARGUMENT, "the saved element state is unknown to this context.");
        cl.nFin();
        return nullptr;
    }
    cl.nFin();
    return const_cast<char*>(cl.clCtx().pszGarde(cl.clCtx().strGetElement()));
}

int32_t nKLEOuvreZVL(_stKLECTX* pstCtx, const char* pszZVL)
{
    return nKLEOuvreZVLNum(pstCtx, pszZVL, 0);
}

int32_t nKLEOuvreZVLNum(_stKLECTX* pstCtx, const char* pszZVL, int32_t nNumero)
{
    _CAppel cl(pstCtx);
    if (!cl.bPret())
        return cl.nEtat();
    cl.clMachine().bOuvre(cl.clLangage(), pszZVL, CKleMachine::s_strCleNumero(nNumero));
    return cl.nFin();
}

void KLEFermeZVLNum(_stKLECTX* pstCtx, int32_t nNumero)
{
    _CAppel cl(pstCtx);
    if (!cl.bPret())
        return;
    cl.clMachine().Ferme(CKleMachine::s_strCleNumero(nNumero));
    cl.nFin();
}

int32_t nKLEOuvreZVLRes(_stKLECTX* pstCtx, const char* pszZVL, const char* pszAlias)
{
    _CAppel cl(pstCtx);
    if (!cl.bPret())
        return cl.nEtat();
    if (!pszAlias || !*pszAlias)
        cl.bFaute(eERR_ARGUMENT, "a resource library needs an alias.");
    else
        cl.clMachine().bOuvre(cl.clLangage(), pszZVL, CKleMachine::s_strCleAlias(pszAlias));
    return cl.nFin();
}

void KLEFermeZVLRes(_stKLECTX* pstCtx, const char*, const char* pszAlias)
{
    _CAppel cl(pstCtx);
    if (!cl.bPret())
        return;
    if (pszAlias && *pszAlias)
        cl.clMachine().Ferme(CKleMachine::s_strCleAlias(pszAlias));
    cl.nFin();
}

int32_t nKLEInitProjet(_stKLECTX* pstCtx, const char* pszProjet)
{
    _CAppel cl(pstCtx);
    if (!cl.bPret())
        return cl.nEtat();
    if (!pszProjet) {
        cl.bFaute(eERR_ARGUMENT, "no project was named.");
        return cl.nFin();
    }
    cl.clMachine().SetProjet(pszProjet);
    // A library may prepare the project in a procedure of that name.
    if (const CKleProcedure* pclProc = cl.clMachine().pclProcedure(nullptr, "InitProjet"))
        cl.clLangage().bAppelle(*pclProc, {CKleValeur::s_Chaine(pszProjet)}, &cl.clValeur);
    return cl.nFin();
}

int32_t nKLESetCallback(_stKLECTX* pstCtx, PFN_KLECALLBACK pfnCallback, void* pUtilisateur)
{
    _CAppel cl(pstCtx);
    if (!cl.bPret())
        return cl.nEtat();
    cl.clMachine().SetCallback(pfnCallback, pUtilisateur);
    return cl.nFin();
}

int32_t nKLESetCallbackModule(_stKLECTX* pstCtx, PFN_KLECALLBACK pfnCallback, void* pUtilisateur)
{
    _CAppel cl(pstCtx);
    if (!cl.bPret())
        return cl.nEtat();
    cl.clMachine().SetCallbackModule(pfnCallback, pUtilisateur);
    return cl.nFin();
}

int32_t nKLESetCompatible(_stKLECTX* pstCtx, int32_t nCompatible, int32_t)
{
    _CAppel cl(pstCtx);
    if (!cl.bPret())
        return cl.nEtat();
    cl.clMachine().SetCompatible(nCompatible);
    return cl.nFin();
}

#if !defined(ZV_RUNTIME_NO_PECALLBACK)
ZV_MEME_TYPE_KLE(nKLESetPECallback);

int32_t nKLESetPECallback(_stKLECTX* pstCtx, PFN_KLECALLBACK pfnCallback, void* pUtilisateur)
{
    _CAppel cl(pstCtx);
    if (!cl.bPret())
        return cl.nEtat();
    cl.clMachine().SetPECallback(pfnCallback, pUtilisateur);
    return cl.nFin();
}
#endif

int32_t nKLESetParent(_stKLECTX* pstCtx, void* pParent)
{
    _CAppel cl(pstCtx);
    if (!cl.bPret())
        return cl.nEtat();
    cl.clMachine().SetParent(pParent);
    return cl.nFin();
}

int32_t nKLESetDQContext(_stKLECTX* pstCtx, void* pDQContext)
{
    _CAppel cl(pstCtx);
    if (!cl.bPret())
        return cl.nEtat();
    cl.clMachine().SetDQContext(pDQContext);
    return cl.nFin();
}

int32_t nKLEExecute(_stKLECTX* pstCtx, const char* pszCode)
{
    _CAppel cl(pstCtx);
    if (!cl.bPret())
        return cl.nEtat();
    if (!pszCode)
        cl.bFaute(eERR_ARGUMENT, "no code was given.");
    else
        cl.clLangage().bExecuteTexte(pszCode, "code", &cl.clValeur);
    return cl.nFin();
}

int32_t nKLEEvalue(_stKLECTX* pstCtx, const char* pszExpression)
{
    _CAppel cl(pstCtx);
    if (!cl.bPret())
        return cl.nEtat();
    if (!pszExpression)
        cl.bFaute(eERR_ARGUMENT, "no expression was given.");
    else
        cl.clLangage().bEvalue(pszExpression, &cl.clValeur);
    return cl.nFin();
}

int32_t nKLECompile(_stKLECTX* pstCtx, const char* pszCode, const char* pszProcedure)
{
    _CAppel cl(pstCtx);
    if (!cl.bPret())
        return cl.nEtat();
    // Without a name the code is only checked.
    const std::string strCle =
        pszProcedure && *pszProcedure ? CKleMachine::s_strCleAlias(pszProcedure) : std::string();
    cl.clMachine().bCompile(cl.clLangage(), pszCode, strCle);
    return cl.nFin();
}

int32_t nKLEEmpile(_stKLECTX* pstCtx, int32_t nType, intptr_t nValeur)
{
    _CAppel cl(pstCtx);
    if (!cl.bPret())
        return cl.nEtat();
    CKleValeur clValeur;
    if (!CKleValeur::s_bDepuisMot(nType, nValeur, &clValeur))
        cl.bFaute(eERR_ARGUMENT, "unknown type " + std::to_string(nType) + " or null address pushed.");
    else if (!cl.clCtx().bEmpile(clValeur))
        cl.bFaute(eERR_PILE, "too many values are pushed.");
    return cl.nFin();
}

int32_t nKLEEmpileEx(_stKLECTX* pstCtx, int32_t nType, const void* pValeur, int32_t nLongueur)
{
    _CAppel cl(pstCtx);
    if (!cl.bPret())
        return cl.nEtat();
    CKleValeur clValeur;
    if (!CKleValeur::s_bDepuisOctets(nType, pValeur, nLongueur, &clValeur))
        cl.bFaute(eERR_ARGUMENT, "unknown type " + std::to_string(nType) + ", null address or bad length pushed.");
    else if (!cl.clCtx().bEmpile(clValeur))
        cl.bFaute(eERR_PILE, "too many values are pushed.");
    return cl.nFin();
}

int32_t nKLEAppelle(_stKLECTX* pstCtx, const char* pszObjet, const char* pszProcedure, int32_t nNbParametres,
                    int32_t)
{
    _CAppel cl(pstCtx);
    if (!cl.bPret())
        return cl.nEtat();
    std::vector<CKleValeur> vArguments;
    if (!pszProcedure || !*pszProcedure || nNbParametres < 0)
        cl.bFaute(eERR_ARGUMENT, "no procedure was named, or a negative number of parameters.");
    else if (!cl.clCtx().bDepile(static_cast<std::size_t>(nNbParametres), &vArguments))
        cl.bFaute(eERR_PILE, std::string(pszProcedure) + ": " + std::to_string(nNbParametres) +
                                 " parameters asked, fewer were pushed.");
    else if (const CKleProcedure* pclProc = cl.clMachine().pclProcedure(pszObjet, pszProcedure))
        cl.clLangage().bAppelle(*pclProc, std::move(vArguments), &cl.clValeur);
    else
        cl.bFaute(eERR_INCONNU, std::string("unknown procedure ") + pszProcedure +
                                    (pszObjet && *pszObjet ? std::string(" in ") + pszObjet : std::string()) + ".");
    return cl.nFin();
}

int32_t nKLELitVariableKL(_stKLECTX* pstCtx, const char* pszVariable, int32_t nType, int32_t)
{
    _CAppel cl(pstCtx);
    if (!cl.bPret())
        return cl.nEtat();
    if (!pszVariable) {
        cl.bFaute(eERR_ARGUMENT, "no variable was named.");
        return cl.nFin();
    }
    CKleValeur clLu;
    const bool bTrouve = cl.clMachine().bLitVariable(pszVariable, &clLu);
    return __nLit(cl, bTrouve, clLu, std::string("variable ") + pszVariable, nType);
}

int32_t nKLEEcritVariableKL(_stKLECTX* pstCtx, const char* pszVariable, int32_t nType, intptr_t nValeur)
{
    _CAppel cl(pstCtx);
    if (!cl.bPret())
        return cl.nEtat();
    CKleValeur clValeur;
    if (!pszVariable || !*pszVariable)
        cl.bFaute(eERR_ARGUMENT, "no variable was named.");
    else if (!CKleValeur::s_bDepuisMot(nType, nValeur, &clValeur))
        cl.bFaute(eERR_ARGUMENT, "unknown type " + std::to_string(nType) + " or null address written.");
    else
        cl.clMachine().EcritVariable(pszVariable, clValeur);
    return cl.nFin();
}

int32_t nKLELitPropElem(_stKLECTX* pstCtx, const char* pszElement, const char* pszPropriete)
{
    return __nLitPropriete(pstCtx, pszElement, nullptr, pszPropriete, 0, 0, 0, 0);
}

int32_t nKLELitPropElemAny(_stKLECTX* pstCtx, const char* pszElement, const char* pszPropriete, int32_t nType)
{
    return __nLitPropriete(pstCtx, pszElement, nullptr, pszPropriete, nType, 0, 0, 0);
}

int32_t nKLELitPropElemInd(_stKLECTX* pstCtx, const char* pszElement, const char* pszPropriete, int32_t nIndice)
{
    return __nLitPropriete(pstCtx, pszElement, nullptr, pszPropriete, 0, 1, nIndice, 0);
}

int32_t nKLELitPropElemAnyInd(_stKLECTX* pstCtx, const char* pszElement, const char* pszPropriete, int32_t nType,
                              int32_t nIndice)
{
    return __nLitPropriete(pstCtx, pszElement, nullptr, pszPropriete, nType, 1, nIndice, 0);
}

int32_t nKLELitPropElemInd2(_stKLECTX* pstCtx, const char* pszElement, const char* pszPropriete, int32_t nIndice1,
                            int32_t nIndice2)
{
    return __nLitPropriete(pstCtx, pszElement, nullptr, pszPropriete, 0, 2, nIndice1, nIndice2);
}

int32_t nKLELitPropElemAnyInd2(_stKLECTX* pstCtx, const char* pszElement, const char* pszPropriete, int32_t nType,
                               int32_t nIndice1, int32_t nIndice2)
{
    return __nLitPropriete(pstCtx, pszElement, nullptr, pszPropriete, nType, 2, nIndice1, nIndice2);
}

int32_t nKLEEcritPropElem(_stKLECTX* pstCtx, const char* pszElement, const char* pszPropriete)
{
    return __nEcritPropriete(pstCtx, pszElement, nullptr, pszPropriete, 0, 0, 0);
}

int32_t nKLEEcritPropElemInd(_stKLECTX* pstCtx, const char* pszElement, const char* pszPropriete, int32_t nIndice)
{
    return __nEcritPropriete(pstCtx, pszElement, nullptr, pszPropriete, 1, nIndice, 0);
}

int32_t nKLEEcritPropElemInd2(_stKLECTX* pstCtx, const char* pszElement, const char* pszPropriete,
                              int32_t nIndice1, int32_t nIndice2)
{
    return __nEcritPropriete(pstCtx, pszElement, nullptr, pszPropriete, 2, nIndice1, nIndice2);
}

int32_t nKLELitPropSousElem(_stKLECTX* pstCtx, const char* pszElement, const char* pszSousElement,
                            const char* pszPropriete, int32_t nType)
{
    if (!pszSousElement)
        pszSousElement = "";
    return __nLitPropriete(pstCtx, pszElement, pszSousElement, pszPropriete, nType, 0, 0, 0);
}

int32_t nKLEEcritPropSousElem(_stKLECTX* pstCtx, const char* pszElement, const char* pszSousElement,
                              const char* pszPropriete, int32_t)
{
    if (!pszSousElement)
        pszSousElement = "";
    return __nEcritPropriete(pstCtx, pszElement, pszSousElement, pszPropriete, 0, 0, 0);
}

int32_t nKLELitPropSousElemInd(_stKLECTX* pstCtx, const char* pszElement, const char* pszSousElement,
                               const char* pszPropriete, int32_t nType, int32_t nIndice)
{
    if (!pszSousElement)
        pszSousElement = "";
    return __nLitPropriete(pstCtx, pszElement, pszSousElement, pszPropriete, nType, 1, nIndice, 0);
}

int32_t nKLEEcritPropSousElemInd(_stKLECTX* pstCtx, const char* pszElement, const char* pszSousElement,
                                 const char* pszPropriete, int32_t nIndice, int32_t)
{
    if (!pszSousElement)
        pszSousElement = "";
    return __nEcritPropriete(pstCtx, pszElement, pszSousElement, pszPropriete, 1, nIndice, 0);
}

int32_t nKLEChampExiste(_stKLECTX* pstCtx, const char* pszElement, const char* pszChamp)
{
    _CAppel cl(pstCtx);
    if (!cl.bPret())
        return cl.nEtat();
    if (!pszElement || !pszChamp)
        cl.bFaute(eERR_ARGUMENT, "an element or field name is missing.");
    else
        cl.clValeur = CKleValeur::s_Booleen(cl.clMachine().bProprieteExiste(pszElement, pszChamp));
    return cl.nFin();
}

int32_t nKLEGetDQContext(_stKLECTX* pstCtx, void** ppDQContext)
{
    _CAppel cl(pstCtx);
    if (!cl.bPret())
        return cl.nEtat();
    cl.nFin();
    return __nPose(ppDQContext, cl.clMachine().pGetDQContext());
}

int32_t nKLEGetVMData(_stKLECTX* pstCtx, void** ppData)
{
    static const char szData[] = "zv150vm.so 15.00";
    _CAppel cl(pstCtx);
    if (!cl.bPret())
        return cl.nEtat();
    cl.nFin();
    return __nPose(ppData, const_cast<char*>(szData));
}

#if !defined(ZV_RUNTIME_NO_GETVM)
ZV_MEME_TYPE_KLE(nKLEGetVM);

int32_t nKLEGetVM(_stKLECTX* pstCtx, void** ppVM)
{
    _CAppel cl(pstCtx);
    if (!cl.bPret())
        return cl.nEtat();
    cl.nFin();
    return __nPose(ppVM, CRuntimeSession::s_pclGet()->hGetLibrary());
}
#endif

int32_t nKLEGetLibShop(_stKLECTX* pstCtx, void** ppLibShop)
{
    _CAppel cl(pstCtx);
    if (!cl.bPret())
        return cl.nEtat();
    cl.nFin();
    return __nPose(ppLibShop, const_cast<char*>(cl.clCtx().pszGarde(cl.clMachine().strListeBibliotheques())));
}

int32_t nKLEGetIEXE(_stKLECTX* pstCtx, void** ppIEXE)
{
    _CAppel cl(pstCtx);
    if (!cl.bPret())
        return cl.nEtat();
    cl.nFin();
    return __nPose(ppIEXE, static_cast<IZVRuntimeProxy*>(CRuntimeProxy::s_pclGet()));
}

int32_t nKLEOperation(_stKLECTX* pstCtx, int32_t nOperation, intptr_t nValeur1, intptr_t nValeur2)
{
    _CAppel cl(pstCtx);
    if (!cl.bPret())
        return cl.nEtat();
    const char* psz1 = reinterpret_cast<const char*>(nValeur1);
    const char* psz2 = reinterpret_cast<const char*>(nValeur2);
    const bool bElement = nOperation == KLE_OP_MESSTRADUITELEMENT || nOperation == KLE_OP_EMPILEMESSTRADUITELEMENT;
    if (nOperation < KLE_OP_MESSTRADUIT || nOperation > KLE_OP_EMPILEMESSTRADUITELEMENT)
        cl.bFaute(eERR_ARGUMENT, "unknown operation " + std::to_string(nOperation) + ".");
    else if (!psz1 || (bElement && !psz2))
        cl.bFaute(eERR_ARGUMENT, "a message key is missing.");
    else {
        // An element's own translation ("ELEMENT:KEY") comes before the general one.
        std::string strTexte;
        if (bElement) {
            const std::string strPropre = std::string(psz1) + ":" + psz2;
            strTexte = cl.clMachine().strTraduit(strPropre);
            if (strTexte == strPropre)
                strTexte = cl.clMachine().strTraduit(psz2);
        } else
            strTexte = cl.clMachine().strTraduit(psz1);
        const CKleValeur clTexte = CKleValeur::s_Chaine(strTexte);
        if (nOperation == KLE_OP_MESSTRADUIT || nOperation == KLE_OP_MESSTRADUITELEMENT)
            cl.clValeur = clTexte;
        else if (!cl.clCtx().bEmpile(clTexte))
            cl.bFaute(eERR_PILE, "too many values are pushed.");
    }
    return cl.nFin();
}
