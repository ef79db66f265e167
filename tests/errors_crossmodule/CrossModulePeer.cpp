// A peer module that builds an error object with its own copy of the base library and hands it over.
#include "base/errors/CXError.h"

#include <cstdint>

namespace {

// A data-access object of this module; counts its destructions in the caller's counter.
class CAccesPair : public CZVUnknown {
public:
    explicit CAccesPair(int* pnDetruits) : m_pnDetruits(pnDetruits) {}
    ~CAccesPair() override
    {
        if (m_pnDetruits != nullptr)
            ++*m_pnDetruits;
    }

private:
    int* m_pnDetruits;
};

} // namespace

// A new error built here, owned by the caller, who destroys it through its own deleting
// destructor (slot 1 of its table, code of this module). Its EIT_DATAACCESS object adds 1 to
// *pnDetruits when it is destroyed.
//
// Contents: internal module name "zvpeer.so"; user error 1 with the user message "peer user"
// added in front; debug "peer debug"; function "PeerFn" syntax 2; context "PeerCaption" /
// "PeerObject", line 10, thread 20; system error 5 "peer system"; detail 77; user code 55
// = 55; items EIT_SRCFILE "src.txt", EIT_DATAACCESS, EIT_SRCFILEUNICODE L"wide.txt",
// EIT_RECNUM 1 << 33, EIT_BASECODE -5; two sub-errors "peer sub 1" (itself holding
// "peer sub 1.1" and an EIT_DSTFILE "dst.txt") and "peer sub 2".
extern "C" __attribute__((visibility("default"))) CXError* ZVPeer_pclCreeErreur(int* pnDetruits)
{
    CXError* pcl = new CXError;
    pcl->InitInternalModName("zvpeer.so");
    pcl->SetUserErrorMessage(1, "peer user");
    pcl->AddDebugMessage("peer %1$s", "debug");
    pcl->SetFunctionName("PeerFn", 2);
    pcl->SetVMContext("PeerCaption", "PeerObject", 10, 20);
    pcl->SetSystemErrorMessage(5u, "peer system");
    pcl->SetDetailId(77);
    pcl->SetUserErrorCode55(55);

    pcl->AddInfo(EIT_SRCFILE, "src.txt");
    pcl->AddInfo(EIT_DATAACCESS, new CAccesPair(pnDetruits));
    pcl->AddInfo(EIT_SRCFILEUNICODE, L"wide.txt");
    const int64_t llRecNum = int64_t(1) << 33;
    pcl->AddInfo(EIT_RECNUM, &llRecNum);
    const int32_t nBase = -5;
    pcl->AddInfo(EIT_BASECODE, &nBase);

    CXError clPetit;
    clPetit.AddUserMessage("peer sub 1.1");
    CXError clSous1;
    clSous1.AddUserMessage("peer sub 1");
    clSous1.AddInfo(EIT_DSTFILE, "dst.txt");
    clSous1.AddSubErrorLightNoUserMessage(&clPetit);
    CXError clSous2;
    clSous2.AddUserMessage("peer sub 2");
    pcl->AddSubErrorLightNoUserMessage(&clSous1);
    pcl->AddSubErrorLightNoUserMessage(&clSous2);
    return pcl;
}
