// Fuzz target of the runtime's "nKLE" exports as a host drives them through the external call
// interface: the records it hands in (the initialisation record, contexts with or without
// their result records), the values it pushes and the code it has run.
//
// Input: a sequence of calls, each an operation byte, then the words and NUL-terminated texts
// that operation takes (missing bytes read as zeros and empty texts).
#include "runtime/ExternalCallExports.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/FuzzScratch.h"
#include "runtime/CScriptLanguage.h"

namespace {

using zvfuzz::Verifie;

// Reads the input as the operations consume it.
class CLecteur {
public:
    CLecteur(const uint8_t* p, size_t n) : m_p(p), m_n(n) {}
    bool bFini() const { return m_i >= m_n; }
    uint8_t byLit() { return m_i < m_n ? m_p[m_i++] : 0; }
    int32_t nLit()
    {
        uint32_t dw = 0;
        for (int i = 0; i < 4; ++i)
            dw |= uint32_t(byLit()) << (8 * i);
        return int32_t(dw);
    }
    std::string strLit()
    {
        const size_t nDebut = m_i;
        while (m_i < m_n && m_p[m_i] != 0)
            ++m_i;
        std::string str(reinterpret_cast<const char*>(m_p + nDebut), m_i - nDebut);
        if (m_i < m_n)
            ++m_i;
        return str;
    }

private:
    const uint8_t* m_p;
    size_t m_n;
    size_t m_i = 0;
};

// A context as a host lays it out, with or without its result records.
struct _stHOTE {
    _stKLECTX stCtx{};
    _stKLEVALEURRETOUR stValeur{};
    _stKLEERREUR stErreur{};
    void Prepare(bool bRecords)
    {
        std::memset(&stCtx, 0, sizeof stCtx);
        stCtx.wMarqueDebut = KLE_MARQUE_DEBUT;
        stCtx.wVersion = KLE_VERSION;
        stCtx.wMarqueFin = KLE_MARQUE_FIN;
        stCtx.pstValeurRetour = bRecords ? &stValeur : nullptr;
        stCtx.pstErreur = bRecords ? &stErreur : nullptr;
    }
};

// What the runtime wrote in the records after a call that returned nResultat.
void ControleRecords(const _stHOTE& st, int32_t nResultat)
{
    if (st.stCtx.pstErreur) {
        if (nResultat == 0)
            Verifie(st.stErreur.nCode == 0);
        if (st.stErreur.pszMessage)
            (void)std::strlen(st.stErreur.pszMessage);
    }
    if (st.stCtx.pstValeurRetour && st.stValeur.wType == KLE_TYPE_CHAINE) {
        Verifie(st.stValeur.pszValeur != nullptr && st.stValeur.nValeur >= 0);
        Verifie(st.stValeur.pszValeur[st.stValeur.nValeur] == '\0');
    }
}

int gnMarqueImprime;  // the user word handed with the print callback

void Imprime(void* pUtilisateur, const char* pszTexte)
{
    Verifie(pUtilisateur == &gnMarqueImprime && pszTexte != nullptr);
    (void)std::strlen(pszTexte);
}

// The word of a value in the convention of "nKLEEmpile" and "nKLEEcritVariableKL".
intptr_t nMot(int32_t nType, int32_t nEntier, const std::string& str, double* pd)
{
    switch (nType) {
    case KLE_TYPE_REEL:
        *pd = double(nEntier) / 8.0;
        return reinterpret_cast<intptr_t>(pd);
    case KLE_TYPE_CHAINE:
        return reinterpret_cast<intptr_t>(str.c_str());
    default:
        return nEntier;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pbyData, size_t nSize)
{
    static _stHOTE astHotes[2];
    static std::string strBib = zvfuzz::CScratch::s_clGet().strChemin("lib.zvl");
    astHotes[0].Prepare(true);
    astHotes[1].Prepare(false);
    _stHOTE* pstHote = &astHotes[0];
    _stKLEINIT stInit{};
    stInit.nVersion = KLE_VERSION;
    stInit.nTaille = sizeof stInit;
    Verifie(nKLEInitEx(&pstHote->stCtx, &stInit) == 0);

    CLecteur cl(pbyData, nSize);
    std::vector<void*> vSauvegardes;
    for (unsigned nAppels = 0; !cl.bFini() && nAppels < 64; ++nAppels) {
        const uint8_t byOp = cl.byLit();
        // The records hold, after a call, only what that call wrote: addresses left by an
        // earlier call may be gone (the host may not read them any more).
        std::memset(&pstHote->stValeur, 0, sizeof pstHote->stValeur);
        std::memset(&pstHote->stErreur, 0, sizeof pstHote->stErreur);
        int32_t nResultat = 0;
        bool bControle = true;
        double d = 0;
        switch (byOp % 16) {
        case 0: {
            // A new initialisation with a record as the host filled it: its version and size
            // may be wrong, its text need not be terminated.
            std::memset(&stInit, 0, sizeof stInit);
            const uint8_t byDefauts = cl.byLit();
            stInit.nVersion = (byDefauts & 1) ? cl.nLit() : KLE_VERSION;
            stInit.nTaille = (byDefauts & 2) ? cl.nLit() : int32_t(sizeof stInit);
            stInit.nValeurInit = cl.nLit();
            std::memset(stInit.szTexte, (byDefauts & 4) ? 'x' : 0, sizeof stInit.szTexte);
            stInit.dwOptions = uint32_t(cl.nLit());
            nResultat = nKLEInitEx(&pstHote->stCtx, &stInit);
            if (stInit.nVersion != KLE_VERSION || stInit.nTaille != int32_t(sizeof stInit))
                Verifie(nResultat == eERR_ARGUMENT);
            break;
        }
        case 1: nResultat = nKLEExecute(&pstHote->stCtx, cl.strLit().c_str()); break;
        case 2: nResultat = nKLEEvalue(&pstHote->stCtx, cl.strLit().c_str()); break;
        case 3: {
            const std::string strCode = cl.strLit();
            const std::string strNom = cl.strLit();
            nResultat = nKLECompile(&pstHote->stCtx, strCode.c_str(), strNom.c_str());
            break;
        }
        case 4: {
            const int32_t nType = cl.byLit() % 7;
            const int32_t n = cl.nLit();
            const std::string str = cl.strLit();
            nResultat = nKLEEmpile(&pstHote->stCtx, nType, nMot(nType, n, str, &d));
            break;
        }
        case 5: {
            // The length never exceeds what the host's buffer holds; a negative one is a fault.
            const int32_t nType = cl.byLit() % 7;
            const std::string str = cl.strLit() + std::string(8, '\0');
            const int32_t nLong = cl.byLit() % 2 ? -1 : int32_t(cl.byLit() % (str.size() + 1));
            nResultat = nKLEEmpileEx(&pstHote->stCtx, nType, str.data(), nLong);
            break;
        }
        case 6: {
            const std::string strObjet = cl.strLit();
            const std::string strProc = cl.strLit();
            const int32_t nParametres = int8_t(cl.byLit());
            nResultat = nKLEAppelle(&pstHote->stCtx, strObjet.empty() ? nullptr : strObjet.c_str(), strProc.c_str(),
                                    nParametres, cl.nLit());
            break;
        }
        case 7: {
            const std::string strNom = cl.strLit();
            nResultat = nKLELitVariableKL(&pstHote->stCtx, strNom.c_str(), cl.byLit() % 7, 0);
            break;
        }
        case 8: {
            const std::string strNom = cl.strLit();
            const int32_t nType = cl.byLit() % 7;
            const int32_t n = cl.nLit();
            const std::string str = cl.strLit();
            nResultat = nKLEEcritVariableKL(&pstHote->stCtx, strNom.c_str(), nType, nMot(nType, n, str, &d));
            break;
        }
        case 9: {
            const std::string strElem = cl.strLit();
            const std::string strProp = cl.strLit();
            const int32_t nType = cl.byLit() % 7;
            const int32_t i = int8_t(cl.byLit());
            nResultat = nKLELitPropElemAnyInd2(&pstHote->stCtx, strElem.c_str(), strProp.c_str(), nType, i,
                                               int8_t(cl.byLit()));
            break;
        }
        case 10: {
            const std::string strElem = cl.strLit();
            const std::string strProp = cl.strLit();
            nResultat = nKLEEcritPropElemInd(&pstHote->stCtx, strElem.c_str(), strProp.c_str(), int8_t(cl.byLit()));
            break;
        }
        case 11: {
            bControle = false;
            const uint8_t by = cl.byLit();
            if (by & 1) {
                const std::string strElem = cl.strLit();
                if (void* p = pKLEModifieContexteElement(&pstHote->stCtx, strElem.c_str()))
                    vSauvegardes.push_back(p);
            } else {
                // A saved state given back once, twice, or one never handed out.
                void* p = vSauvegardes.empty() || (by & 2) ? static_cast<void*>(&d) : vSauvegardes[by % vSauvegardes.size()];
                pKLERestaureContexteElement(&pstHote->stCtx, p);
            }
            break;
        }
        case 12: {
            // The second context joins or leaves, and becomes the current one or not.
            bControle = false;
            const uint8_t by = cl.byLit();
            nResultat = nKLEOPMT(&astHotes[by & 1].stCtx, (by & 2) ? KLE_OPMT_TERM : KLE_OPMT_INIT);
            if ((by & 1) && (astHotes[1].stCtx.pstValeurRetour == nullptr))
                Verifie(nResultat == eERR_ARGUMENT || nResultat == eERR_TERMINE);
            pstHote = &astHotes[(by >> 2) & 1];
            nResultat = 0;
            break;
        }
        case 13:
            bControle = false;
            if (cl.byLit() & 1)
                KLETerm(&pstHote->stCtx);
            else
                KLEReprise(&pstHote->stCtx);
            break;
        case 14: {
            // An application library read from a file.
            const std::string strTexte = cl.strLit();
            zvfuzz::CScratch& clScratch = zvfuzz::CScratch::s_clGet();
            Verifie(clScratch.bEcrit(strBib, reinterpret_cast<const uint8_t*>(strTexte.data()), strTexte.size()));
            nResultat = nKLEOuvreZVL(&pstHote->stCtx, strBib.c_str());
            break;
        }
        default:
            nResultat = nKLESetCallback(&pstHote->stCtx, cl.byLit() & 1 ? Imprime : nullptr,
                                        &gnMarqueImprime);
            break;
        }
        if (bControle)
            ControleRecords(*pstHote, nResultat);
    }
    for (void* p : vSauvegardes)
        pKLERestaureContexteElement(&astHotes[0].stCtx, p);
    KLETerm(&astHotes[0].stCtx);
    return 0;
}
