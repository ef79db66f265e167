// CRuntimeProxy: the interface that "pQueryProxy" hands out, holding the installed error callback.
#include "runtime/CRuntimeProxy.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/errors/CXError.h"

CRuntimeProxy* CRuntimeProxy::s_pclGet()
{
    static CRuntimeProxy s_cl;
    return &s_cl;
}

int CRuntimeProxy::vSetCallBackErreur(PFN_CALLBACKERREURVM pfnCallBack, unsigned long, unsigned long)
{
    m_pfnCallBack.store(pfnCallBack);
    return 1;
}

void CRuntimeProxy::SignaleErreur(const CXError& clErreur) const
{
    const PFN_CALLBACKERREURVM pfn = m_pfnCallBack.load();
    if (pfn != nullptr) {
        pfn(&clErreur, 0, 0);
        return;
    }
    CTString clTexte = clErreur.StringDump(XEI_ALL);
    clTexte.Add('\n');
    const char* p = clTexte.pszGet();
    size_t n = std::strlen(p);
    while (n > 0) {
        const ssize_t nEcrit = write(STDERR_FILENO, p, n);
        if (nEcrit < 0 && errno == EINTR)
            continue;
        if (nEcrit <= 0)
            break;
        p += nEcrit;
        n -= static_cast<size_t>(nEcrit);
    }
}
