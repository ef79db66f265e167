// The process-wide image library and its factory object ("pclQueryIMGFactory").
#include "launcher/ImageLibrary.h"

#include <dlfcn.h>

#include "contract/ComponentContract.h"

namespace {

// Not locked: set and cleared by the code that starts and stops the image component.
void* ghImage = nullptr;
IZVImgFactory* gpclImgFactory = nullptr;

}  // namespace

bool IMG_bInit(void* hImage)
{
    IMG_bRelease();
    if (!hImage)
        return false;
    ghImage = hImage;
    auto pfnQuery = reinterpret_cast<PFN_pclQueryIMGFactory>(dlsym(hImage, "pclQueryIMGFactory"));
    if (!pfnQuery) {
        dlclose(hImage);
        ghImage = nullptr;
        return false;
    }
    gpclImgFactory = pfnQuery();
    return true;
}

bool IMG_bRelease()
{
    if (gpclImgFactory) {
        IZVImgFactory* pcl = gpclImgFactory;
        gpclImgFactory = nullptr;
        pcl->vRelease();
    }
    if (!ghImage)
        return true;
    if (dlclose(ghImage) != 0)
        return false;
    ghImage = nullptr;
    return true;
}
