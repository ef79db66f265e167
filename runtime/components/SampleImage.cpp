// Sample image library: "pclQueryIMGFactory" hands out a factory object whose give-back is recorded in the trace.
//
// Built with ZV_IMAGE_NO_FACTORY it lacks that export.
#include <type_traits>

#include "contract/ComponentContract.h"
#include "runtime/components/ComponentTrace.h"

#if !defined(ZV_IMAGE_NO_FACTORY)

namespace {

class CImgFactory final : public IZVImgFactory {
public:
    int vSlot0() override
    {
        TraceComposante("Factory slot 0");
        return 0;
    }
    int vSlot1() override
    {
        TraceComposante("Factory slot 1");
        return 0;
    }
    void vRelease() override { TraceComposante("Factory release %p", static_cast<void*>(this)); }
};

CImgFactory gclFactory;

}  // namespace

extern "C" __attribute__((visibility("default"))) IZVImgFactory* pclQueryIMGFactory();
static_assert(std::is_same<decltype(&pclQueryIMGFactory), PFN_pclQueryIMGFactory>::value,
              "pclQueryIMGFactory has the wrong type");

IZVImgFactory* pclQueryIMGFactory()
{
    TraceComposante("pclQueryIMGFactory %p", static_cast<void*>(&gclFactory));
    return &gclFactory;
}

#endif
