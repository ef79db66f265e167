// CProxyDll: finds, loads, initialises and binds one component library of the runtime family.
#pragma once

#include "contract/ComponentContract.h"

struct HINSTANCE__;
class CXError;
class CTString;

// One component library: its dynamic-loader handle and the proxy entries it exports.
//
// The proxy owns one reference on the library from a successful load (or from a load whose
// "bInitLibrary" refused) until Unload; it does not unload in its destructor, so that a copy
// made by a caller never closes a library twice. A proxy is used by one thread at a time.
class CProxyDll {
public:
    // Stores the handle and the "pQueryProxy" entry; "pQueryProxyEx" is cleared, "DeclareProxy"
    // is the default one (declares nothing) and "CommandeComposante" is left for Link.
    CProxyDll(HINSTANCE__* hLibrary = nullptr, void* pQueryProxy = nullptr);

    // Finds, loads (RTLD_NOW), initialises and binds the library pszNom:
    // - with a non-empty pszRep, only from that directory;
    // - otherwise, when nothing is loaded yet, from the executable's directory, then from the
    //   current directory;
    // - otherwise the library already loaded is initialised and bound again.
    // Each failed attempt is described in pclErreur (may be null): the first one fills it when
    // it is clear, each later one is added as a sub-error. pszChemin (may be null; 261 bytes)
    // receives the path that was loaded; it is left as it was when the loaded library is
    // reused. A library loaded from a directory replaces the one loaded before, which is
    // unloaded first (loading the same file again keeps a single reference).
    // Then "bInitLibrary" must accept (it receives the library's handle): when it is missing or
    // refuses the result is false, nothing is recorded and the library stays loaded until
    // Unload. True when the library is loaded, accepted and bound.
    bool bLoad(const char* pszNom, CXError* pclErreur, const char* pszRep, char* pszChemin);

    // Binds "pQueryProxy", "pQueryProxyEx" and "DeclareProxy" (the default one when the library
    // has none), then "CommandeComposante" (InitCommande). Absent entries are null.
    void Link();
    void InitCommande();

    // Calls "TermLibrary" when the library exports it, unloads the library and clears the
    // handle and the entries ("DeclareProxy" becomes the default one). Nothing when unloaded.
    void Unload();

    // "Execution" with the start code and a start-up record {16, 0, 4, 0}: its result; true
    // when the library has no "Execution". False when no library is loaded.
    bool bInitDLLExecution();
    // "Execution" with the stop code and 0, when the library exports it.
    void TermDLLExecution();

    // Every component library counts as available on this platform.
    static bool bDLLDisponible(const char* pszNom, const char* pszRep1, const char* pszRep2);

    // Candidate path of pszNom into pszChemin (261 bytes): pszRep2, a "/" unless it ends with
    // one, and the name, true when that is a file; otherwise the same with pszRep1, its result
    // being whether that is a file; with both directories empty, the bare name and false.
    // The last candidate formed is left in pszChemin; one longer than 260 characters counts
    // as absent and leaves pszChemin empty (a cut path could name another file).
    static bool s_bConstruitCheminDLL(char* pszChemin, const char* pszNom, const char* pszRep1,
                                      const char* pszRep2);

    // Library directory into ms_szCheminLib: leading blanks skipped, at most 259 characters,
    // one trailing line feed removed, and a final "/" unless there is one. A text too long to
    // take the slash is cut so that the slash and the NUL fit; an empty text leaves the
    // buffer empty.
    static void SetCheminLib(const char* pszChemin);
    static char ms_szCheminLib[260];

    HINSTANCE__* hGetLibrary() const { return m_hLibrary; }
    void* pGetQueryProxy() const { return m_pQueryProxy; }
    void* pGetQueryProxyEx() const { return m_pQueryProxyEx; }
    PFN_DeclareProxy pfnGetDeclareProxy() const { return m_pfnDeclareProxy; }
    void* pGetCommandeComposante() const { return m_pCommandeComposante; }

    // The default "DeclareProxy": stores 0 into each output (null outputs are skipped).
    static void DeclareProxy(uint32_t* pdwPremier, uint16_t* pwSecond, uint32_t* pdwTroisieme,
                             uint16_t* pwQuatrieme);

private:
    // Loads one candidate; on failure records the loader's text for it.
    void* __hChargeCandidat(const CTString& clCandidat, CXError* pclErreur);
    // Describes a failed attempt on pszCandidat: fills pclErreur when it is clear, else adds a
    // sub-error. pszTexteSysteme is the loader's text (may be null or empty).
    static void _AddErreurChargement(CXError* pclErreur, const char* pszTexteSysteme, const char* pszCandidat);
    static void _InitErreurChargement(CXError* pclErreur, const char* pszTexteSysteme, const char* pszCandidat);

    HINSTANCE__* m_hLibrary;
    void* m_pQueryProxy;
    void* m_pQueryProxyEx;
    PFN_DeclareProxy m_pfnDeclareProxy;
    void* m_pCommandeComposante;
};

static_assert(sizeof(CProxyDll) == 5 * sizeof(void*), "CProxyDll: the handle, then four entries");
