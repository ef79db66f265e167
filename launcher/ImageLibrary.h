// The process-wide image library and its factory object ("pclQueryIMGFactory").
#pragma once

// Takes over one loader reference on hImage, an image library already loaded, and asks its
// "pclQueryIMGFactory" for the factory object, which is kept: true. When the library lacks
// that export it is unloaded and false returned. An image library taken before is given back
// first (IMG_bRelease). A null handle is refused (false).
bool IMG_bInit(void* hImage);

// Gives the factory object back (slot 2 of its table) when one is held, then unloads the
// library: true when nothing was held or the unload succeeded; false, the handle being kept,
// when the loader refuses to unload it.
bool IMG_bRelease();
