// Sample component library: every export the component loader knows, each recording its call in the trace.
//
// Builds that lack exports or refuse a step, each chosen by one compile definition:
//   ZV_COMPOSANT_NO_INITLIBRARY       no "bInitLibrary"
//   ZV_COMPOSANT_INITLIBRARY_REFUSES  "bInitLibrary" returns 0
//   ZV_COMPOSANT_NO_INITDLLEX         no "InitDLLEx" (only "InitDLL")
//   ZV_COMPOSANT_EXECUTION_REFUSES    "Execution" refuses the start code
//   ZV_COMPOSANT_MINIMAL              "bInitLibrary" alone
#include <cstdint>
#include <type_traits>

#include "contract/ComponentContract.h"
#include "contract/RuntimeContract.h"
#include "runtime/components/ComponentTrace.h"

#define ZV_COMPOSANT_EXPORT extern "C" __attribute__((visibility("default")))
// Each export has exactly the type the loader calls it with.
#define ZV_MEME_TYPE(fn, pfn) static_assert(std::is_same<decltype(&fn), pfn>::value, #fn " has the wrong type")

#if !defined(ZV_COMPOSANT_NO_INITLIBRARY)
ZV_COMPOSANT_EXPORT int bInitLibrary(void* hLibrary);
ZV_MEME_TYPE(bInitLibrary, PFN_bInitLibrary);

int bInitLibrary(void* hLibrary)
{
    TraceComposante("bInitLibrary %p", hLibrary);
#if defined(ZV_COMPOSANT_INITLIBRARY_REFUSES)
    return 0;
#else
    return 1;
#endif
}
#endif

#if !defined(ZV_COMPOSANT_MINIMAL)

namespace {
// What "pQueryProxy" and "pQueryProxyEx" hand out: addresses the tests can recognise.
int gnProxy = 0;
int gnProxyEx = 0;
}  // namespace

ZV_COMPOSANT_EXPORT void TermLibrary();
ZV_MEME_TYPE(TermLibrary, PFN_TermLibrary);

void TermLibrary()
{
    TraceComposante("TermLibrary");
}

// Accepts a non-null runtime handle.
ZV_COMPOSANT_EXPORT int InitDLL(void* hVM);
ZV_MEME_TYPE(InitDLL, PFN_InitDLL);

int InitDLL(void* hVM)
{
    TraceComposante("InitDLL %p", hVM);
    return hVM != nullptr;
}

#if !defined(ZV_COMPOSANT_NO_INITDLLEX)
// Accepts a non-null runtime handle and a third argument of 0.
ZV_COMPOSANT_EXPORT int InitDLLEx(void* hVM, unsigned int nFlags, int nZero);
ZV_MEME_TYPE(InitDLLEx, PFN_InitDLLEx);

int InitDLLEx(void* hVM, unsigned int nFlags, int nZero)
{
    TraceComposante("InitDLLEx %p %u %d", hVM, nFlags, nZero);
    return hVM != nullptr && nZero == 0;
}
#endif

ZV_COMPOSANT_EXPORT void TermDLL(void* hVM);
ZV_MEME_TYPE(TermDLL, PFN_TermDLL);

void TermDLL(void* hVM)
{
    TraceComposante("TermDLL %p", hVM);
}

// The start code records the four fields of the start-up record it is handed, then scribbles
// on it (a loader must not reuse it); other codes record their parameter.
ZV_COMPOSANT_EXPORT int Execution(int nCode, void* pParametre);
ZV_MEME_TYPE(Execution, PFN_Execution);

int Execution(int nCode, void* pParametre)
{
    if (nCode == eEXECUTION_INIT && pParametre) {
        auto* pst = static_cast<_stINITEXECUTION*>(pParametre);
        TraceComposante("Execution %d %u %u %u %u", nCode, pst->dwTaille, pst->dwChamp1, pst->dwChamp2,
                        pst->dwChamp3);
        pst->dwTaille = 0xDEADBEEF;
#if defined(ZV_COMPOSANT_EXECUTION_REFUSES)
        return 0;
#else
        return 1;
#endif
    }
    TraceComposante("Execution %d %p", nCode, pParametre);
    return 1;
}

ZV_COMPOSANT_EXPORT void* pQueryProxy(int nCode);
ZV_COMPOSANT_EXPORT void* pQueryProxyEx(int nCode);

void* pQueryProxy(int nCode)
{
    TraceComposante("pQueryProxy %d", nCode);
    return &gnProxy;
}

void* pQueryProxyEx(int nCode)
{
    TraceComposante("pQueryProxyEx %d", nCode);
    return &gnProxyEx;
}

// Declares one proxy: 11, 12, 13, 14.
ZV_COMPOSANT_EXPORT void DeclareProxy(uint32_t* pdwPremier, uint16_t* pwSecond, uint32_t* pdwTroisieme,
                                      uint16_t* pwQuatrieme);
ZV_MEME_TYPE(DeclareProxy, PFN_DeclareProxy);

void DeclareProxy(uint32_t* pdwPremier, uint16_t* pwSecond, uint32_t* pdwTroisieme, uint16_t* pwQuatrieme)
{
    TraceComposante("DeclareProxy");
    *pdwPremier = 11;
    *pwSecond = 12;
    *pdwTroisieme = 13;
    *pwQuatrieme = 14;
}

// Returns its code.
ZV_COMPOSANT_EXPORT int CommandeComposante(int nCode, void* pParametre);

int CommandeComposante(int nCode, void* pParametre)
{
    TraceComposante("CommandeComposante %d %p", nCode, pParametre);
    return nCode;
}

#endif  // !ZV_COMPOSANT_MINIMAL
