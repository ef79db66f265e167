// The exported entry points of the runtime library, with C linkage and default visibility.
#include "runtime/RuntimeExports.h"

#include <type_traits>

#include "runtime/CRuntimeProxy.h"
#include "runtime/CRuntimeSession.h"

// Each export has exactly the type the launcher binds it with.
#define ZV_MEME_TYPE(fn, pfn) static_assert(std::is_same<decltype(&fn), pfn>::value, #fn " has the wrong type")

#if defined(ZV_RUNTIME_NEEDS_EXTRA)
extern "C" int zvvm_extra_pret(void);
#endif

#if !defined(ZV_RUNTIME_NO_INITLIBRARY)
ZV_MEME_TYPE(bInitLibrary, PFN_bInitLibrary);

int bInitLibrary(void* hLibrary)
{
#if defined(ZV_RUNTIME_INITLIBRARY_REFUSES)
    (void)hLibrary;
    return 0;
#else
#if defined(ZV_RUNTIME_NEEDS_EXTRA)
    if (!zvvm_extra_pret())
        return 0;
#endif
    CRuntimeSession::s_pclGet()->Initialise(hLibrary);
    return 1;
#endif
}
#endif

#if !defined(ZV_RUNTIME_NO_QUERYPROXY)
ZV_MEME_TYPE(pQueryProxy, PFN_pQueryProxy);

IZVRuntimeProxy* pQueryProxy(int nCode)
{
#if defined(ZV_RUNTIME_QUERYPROXY_NULL)
    (void)nCode;
    return nullptr;
#else
    return nCode == gnQueryProxyCode ? CRuntimeProxy::s_pclGet() : nullptr;
#endif
}
#endif

ZV_MEME_TYPE(TermLibrary, PFN_TermLibrary);

void TermLibrary()
{
    CRuntimeSession::s_pclGet()->Termine();
}

#if !defined(ZV_RUNTIME_NO_ENTRIES)
ZV_MEME_TYPE(KL_Run_Res, PFN_KL_Run_Res);
ZV_MEME_TYPE(KL_Run_Service, PFN_KL_Run_Service);
ZV_MEME_TYPE(KL_Term_Service, PFN_KL_Term_Service);
ZV_MEME_TYPE(KL_TestEx, PFN_KL_TestEx);
ZV_MEME_TYPE(KL_ListeDLL, PFN_KL_ListeDLL);
ZV_MEME_TYPE(KL_DonneZVL, PFN_KL_DonneZVL);
ZV_MEME_TYPE(KL_DonneREP, PFN_KL_DonneREP);
ZV_MEME_TYPE(KL_DonneKRV, PFN_KL_DonneKRV);
ZV_MEME_TYPE(KL_DonneFinInit, PFN_KL_DonneFinInit);
ZV_MEME_TYPE(KL_InitGoRequete, PFN_KL_InitGoRequete);
ZV_MEME_TYPE(KL_ListeZVL, PFN_KL_ListeZVL);
ZV_MEME_TYPE(KL_SetParam, PFN_KL_SetParam);

int KL_Run_Res(unsigned int nMode, const char* pszProject, const char* pszCmdLine, int* pnReturn)
{
    return CRuntimeSession::s_pclGet()->bRunExec(nMode, pszProject, pszCmdLine, pnReturn) ? 1 : 0;
}

int KL_Run_Service(const char* pszProject, const char* pszCmdLine, PFN_STOPSERVICE pfnStop, int)
{
#if defined(ZV_RUNTIME_REFUSES_SERVICE)
    (void)pszProject;
    (void)pszCmdLine;
    (void)pfnStop;
    return 0;
#endif
    return CRuntimeSession::s_pclGet()->bRunService(pszProject, pszCmdLine, pfnStop) ? 1 : 0;
}

int KL_Term_Service(int)
{
    return CRuntimeSession::s_pclGet()->bTermService() ? 1 : 0;
}

int KL_TestEx(int nMode, const char* pszText, int)
{
    return CRuntimeSession::s_pclGet()->bTest(nMode, pszText) ? 1 : 0;
}

int KL_ListeDLL(CSimpleBuffer* pclBuffer, const char* pszText)
{
    return CRuntimeSession::s_pclGet()->bListeDLL(pclBuffer, pszText) ? 1 : 0;
}

int KL_DonneZVL(const char* pszApplication, long long oPosition)
{
#if defined(ZV_RUNTIME_REFUSES_ZVL)
    (void)pszApplication;
    (void)oPosition;
    return 0;
#else
    return CRuntimeSession::s_pclGet()->bDonneZVL(pszApplication, oPosition) ? 1 : 0;
#endif
}

void KL_DonneREP(const char* pszDataDirectory)
{
    CRuntimeSession::s_pclGet()->DonneRepDQ(pszDataDirectory);
}

void KL_DonneKRV(const char* pszFirst, const char* pszSecond)
{
    CRuntimeSession::s_pclGet()->DonneKRV(pszFirst, pszSecond);
}

void KL_DonneFinInit(PFN_FININIT pfnCallBack, void* pContext)
{
    CRuntimeSession::s_pclGet()->DonneFinInit(pfnCallBack, pContext);
}

void KL_InitGoRequete(void* pContext)
{
    CRuntimeSession::s_pclGet()->InitGoRequete(pContext);
}

int KL_ListeZVL(CSimpleBuffer* pclBuffer, const char* pszText)
{
    return CRuntimeSession::s_pclGet()->bListeZVL(pclBuffer, pszText) ? 1 : 0;
}

int KL_SetParam(int nCode, intptr_t nValue)
{
    return CRuntimeSession::s_pclGet()->nSetParam(nCode, nValue);
}
#endif
