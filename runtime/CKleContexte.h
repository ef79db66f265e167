// CKleContexte: what the runtime keeps for one calling context (pushed values, results, current element).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "contract/KleContract.h"
#include "runtime/CKleValeur.h"

class CScriptLanguage;

// One per context record known to the runtime; used only under the machine's lock. The texts
// whose addresses go into the records live here until the next call on the same context.
class CKleContexte {
public:
    static constexpr std::size_t ms_nPileMax = 1024;  // values pushed and not yet used

    explicit CKleContexte(_stKLECTX* pstCtx) : m_pstCtx(pstCtx) {}

    // Start of a call: the records say "no value, no error".
    void Commence();
    // End of a call: the value (NULL after a failure) and the fault of the interpreter, if any.
    // Returns the call's result.
    int32_t nTermine(const CScriptLanguage& clLangage, const CKleValeur& clValeur);
    // Clears the pushed values and the error record.
    void Reprise();

    bool bEmpile(const CKleValeur& clValeur);
    // Takes the last nNombre pushed values, in the order they were pushed.
    bool bDepile(std::size_t nNombre, std::vector<CKleValeur>* pvValeurs);

    const std::string& strGetElement() const { return m_strElement; }
    // Makes pszElement current; returns the saved state to hand to pRestaure.
    void* pModifie(const char* pszElement);
    // Restores a state saved by pModifie on this context (and frees it); null for any other.
    bool bRestaure(void* pSauvegarde);
    // Keeps a text whose address is handed out until the next call.
    const char* pszGarde(std::string str);

private:
    _stKLECTX* m_pstCtx;  // the caller's record, not owned
    std::vector<CKleValeur> m_vPile;
    CKleValeur m_clRetour;
    std::string m_strTexteRetour;
    std::string m_strErreur;
    std::string m_strGarde;
    std::string m_strElement;
    std::vector<std::unique_ptr<std::string>> m_vSauvegardes;
};
