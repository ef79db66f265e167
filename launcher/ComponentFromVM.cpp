// Start and stop of a component library on behalf of the runtime library ("InitDLLEx", "InitDLL", "TermDLL").
#include "launcher/ComponentFromVM.h"

#include <dlfcn.h>

#include "contract/ComponentContract.h"

namespace {

template <typename PFN>
PFN __pfnExport(HINSTANCE__* hDll, const char* pszNom)
{
    // dlsym on a null handle would search every global library instead of the component.
    return hDll ? reinterpret_cast<PFN>(dlsym(hDll, pszNom)) : nullptr;
}

}  // namespace

bool bInitDLLFromVM(HINSTANCE__* hDll, HINSTANCE__* hVM, unsigned int nFlags)
{
    auto pfnInitEx = __pfnExport<PFN_InitDLLEx>(hDll, "InitDLLEx");
    if (pfnInitEx)
        return pfnInitEx(hVM, nFlags, 0) != 0;
    return bInitDLLFromVM(hDll, hVM);
}

bool bInitDLLFromVM(HINSTANCE__* hDll, HINSTANCE__* hVM)
{
    auto pfnInit = __pfnExport<PFN_InitDLL>(hDll, "InitDLL");
    return pfnInit && pfnInit(hVM) != 0;
}

void TermDLLFromVM(HINSTANCE__* hDll, HINSTANCE__* hVM)
{
    auto pfnTerm = __pfnExport<PFN_TermDLL>(hDll, "TermDLL");
    if (pfnTerm)
        pfnTerm(hVM);
}
