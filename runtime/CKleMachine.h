// CKleMachine: the state the runtime shares between every context (variables, properties, libraries, callbacks).
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "contract/KleContract.h"
#include "runtime/CKleContexte.h"
#include "runtime/CKleValeur.h"
#include "runtime/CScriptLanguage.h"

// One per loaded library. Every export takes the lock for the whole call, so calls from
// several threads run one after another, each on its own context's records. The lock is
// recursive: a callback of the host may call the runtime again from the same thread.
class CKleMachine {
public:
    static CKleMachine* s_pclGet();

    std::recursive_mutex& clVerrou() { return m_clVerrou; }

    // "nKLEInitEx": starts afresh (everything forgotten) with pstCtx as the local context.
    int32_t nInit(_stKLECTX* pstCtx, const _stKLEINIT* pstInit);
    // "KLETerm": forgets everything, every context included.
    void Termine();
    bool bEstInitialise() const { return m_bInitialise; }

    // Thread contexts ("nKLEOPMT").
    bool bAjouteContexte(_stKLECTX* pstCtx);
    bool bRetireContexte(_stKLECTX* pstCtx);
    // The state of a known context; null for an unknown one.
    CKleContexte* pclContexte(_stKLECTX* pstCtx);

    // Libraries: number 0 is the one of "nKLEOuvreZVL"; the others are numbered or aliased.
    // bOuvre reads the file, checks it and runs its opening statements with clLangage.
    bool bOuvre(CScriptLanguage& clLangage, const char* pszChemin, const std::string& strCle);
    bool bCompile(CScriptLanguage& clLangage, const char* pszCode, const std::string& strCle);
    void Ferme(const std::string& strCle);
    static std::string s_strCleNumero(int32_t nNumero);
    static std::string s_strCleAlias(const char* pszAlias);
    // A procedure by name, in the library named by pszObjet (alias, number or file name)
    // or, when it is null or empty, in every library (number 0 first).
    const CKleProcedure* pclProcedure(const char* pszObjet, const std::string& strNom) const;
    // The paths of the open libraries, each followed by a NUL, and one more NUL.
    std::string strListeBibliotheques() const;

    bool bLitVariable(const std::string& strNom, CKleValeur* pclValeur) const;
    void EcritVariable(const std::string& strNom, const CKleValeur& clValeur);
    bool bLitPropriete(const std::string& strCle, CKleValeur* pclValeur) const;
    void EcritPropriete(const std::string& strCle, const CKleValeur& clValeur);
    bool bProprieteExiste(const std::string& strElement, const std::string& strChamp) const;

    void DeclareMessage(const std::string& strCle, const std::string& strTexte);
    // The translation of a message key; the key itself when none was declared.
    std::string strTraduit(const std::string& strCle) const;

    // Hands a printed text to the print callback, or writes it and a line feed on standard output.
    void Imprime(const std::string& strTexte) const;
    // Tells the error callback (when installed) the message of a failed call.
    void SignaleErreur(const std::string& strMessage) const;

    void SetCallback(PFN_KLECALLBACK pfn, void* p) { m_pfnImprime = pfn; m_pImprime = p; }
    void SetCallbackModule(PFN_KLECALLBACK pfn, void* p) { m_pfnModule = pfn; m_pModule = p; }
    void SetPECallback(PFN_KLECALLBACK pfn, void* p) { m_pfnErreur = pfn; m_pErreur = p; }
    void SetCompatible(int32_t n) { m_nCompatible = n; }
    void SetParent(void* p) { m_pParent = p; }
    void SetDQContext(void* p) { m_pDQContext = p; }
    void* pGetDQContext() const { return m_pDQContext; }
    void SetProjet(const char* psz) { m_strProjet = psz ? psz : ""; }
    int32_t nGetValeurInit() const { return m_nValeurInit; }
    uint32_t dwGetOptions() const { return m_dwOptions; }

private:
    CKleMachine() = default;
    CKleMachine(const CKleMachine&) = delete;
    CKleMachine& operator=(const CKleMachine&) = delete;
    bool _bAjoute(CScriptLanguage& clLangage, const std::string& strTexte, const std::string& strSource,
                  const std::string& strChemin, const std::string& strCle);

    mutable std::recursive_mutex m_clVerrou;
    bool m_bInitialise = false;
    std::map<_stKLECTX*, std::unique_ptr<CKleContexte>> m_mapContextes;
    std::map<std::string, CKleBibliotheque> m_mapBibliotheques;  // by key: "#0", "#12", "@alias"
    std::map<std::string, CKleValeur> m_mapVariables;
    std::map<std::string, CKleValeur> m_mapProprietes;  // by "ELEM.PROP", "ELEM.SUB.PROP[1,2]"...
    std::map<std::string, std::string> m_mapMessages;
    PFN_KLECALLBACK m_pfnImprime = nullptr;
    void* m_pImprime = nullptr;
    PFN_KLECALLBACK m_pfnModule = nullptr;
    void* m_pModule = nullptr;
    PFN_KLECALLBACK m_pfnErreur = nullptr;
    void* m_pErreur = nullptr;
    int32_t m_nCompatible = 0;
    void* m_pParent = nullptr;
    void* m_pDQContext = nullptr;
    std::string m_strProjet;
    int32_t m_nValeurInit = 0;
    uint32_t m_dwOptions = 0;
};
