// CRuntimeProxy: the interface that "pQueryProxy" hands out, holding the installed error callback.
#pragma once

#include <atomic>

#include "contract/RuntimeContract.h"

class CXError;

// One static instance per loaded library. The launcher only uses slot 16, which installs the
// error callback; the other slots do nothing and return 0. The callback is read by the
// service thread as well, hence the atomic.
class CRuntimeProxy final : public IZVRuntimeProxy {
public:
    static CRuntimeProxy* s_pclGet();

    int vSlot0() override { return 0; }
    int vSlot1() override { return 0; }
    int vSlot2() override { return 0; }
    int vSlot3() override { return 0; }
    int vSlot4() override { return 0; }
    int vSlot5() override { return 0; }
    int vSlot6() override { return 0; }
    int vSlot7() override { return 0; }
    int vSlot8() override { return 0; }
    int vSlot9() override { return 0; }
    int vSlot10() override { return 0; }
    int vSlot11() override { return 0; }
    int vSlot12() override { return 0; }
    int vSlot13() override { return 0; }
    int vSlot14() override { return 0; }
    int vSlot15() override { return 0; }
    // Stores the callback (null uninstalls it); the two words are ignored. Returns 1.
    int vSetCallBackErreur(PFN_CALLBACKERREURVM pfnCallBack, unsigned long dwZero1, unsigned long dwZero2) override;

    // Forgets the callback (a new session of the library begins).
    void Reset() { m_pfnCallBack.store(nullptr); }
    PFN_CALLBACKERREURVM pfnGetCallBack() const { return m_pfnCallBack.load(); }

    // Hands the error to the installed callback; without one, writes its report to the
    // standard error stream so that nothing is lost. The error stays owned by the caller.
    void SignaleErreur(const CXError& clErreur) const;

private:
    CRuntimeProxy() = default;
    ~CRuntimeProxy() = default;

    std::atomic<PFN_CALLBACKERREURVM> m_pfnCallBack{nullptr};
};
