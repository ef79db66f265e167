// Every header that declares a record of ZV_SHARED_LAYOUTS, and the list of them.
#pragma once

#include "base/compress/CCompresseurBase.h"
#include "base/errors/CXError.h"
#include "base/files/CDiskFile.h"
#include "base/files/CXFile.h"
#include "base/files/CZVUnknown.h"
#include "base/files/IXStream.h"
#include "base/files/XFileTime.h"
#include "base/files/XFindData.h"
#include "base/strings/CKLBINBase.h"
#include "base/strings/CKLDSTRBase.h"
#include "base/strings/CTString.h"
#include "base/strings/StrMemBloc.h"
#include "base/system/Win32Api.h"
#include "contract/ComponentContract.h"
#include "contract/ILogger.h"
#include "contract/KleContract.h"
#include "launcher/CProxyDll.h"
#include "launcher/InfoDll.h"
#include "launcher/InfoExe.h"

#include "abi/SharedLayouts.h"

#define ZV_LAYOUT_ENTRY(T) {#T, sizeof(T), alignof(T)},
