// Umbrella header of the base library: includes its whole public interface.
#pragma once

// compress
#include "base/compress/CCompresseur.h"
#include "base/compress/CCompresseurBase.h"
#include "base/compress/CDataCompressor.h"
#include "base/compress/CZLWCompresseur.h"

// containers
#include "base/containers/CHashBase.h"
#include "base/containers/CListeDeBuffer.h"
#include "base/containers/CObjet.h"
#include "base/containers/CSimpleBuffer.h"
#include "base/containers/CTTableau.h"
#include "base/containers/CTableauDeBuffer.h"
#include "base/containers/CXMath.h"
#include "base/containers/XMalloc.h"

// datetime
#include "base/datetime/Calendrier.h"
#include "base/datetime/DateHeure.h"

// errors
#include "base/errors/CXError.h"

// files
#include "base/files/CDiskFile.h"
#include "base/files/CFichierAjout.h"
#include "base/files/CRemplacementAtomique.h"
#include "base/files/CXFile.h"
#include "base/files/CZVUnknown.h"
#include "base/files/IXStream.h"
#include "base/files/SondeFichier.h"
#include "base/files/XFileTime.h"
#include "base/files/XFindData.h"

// messages
#include "base/messages/AccesDllRes.h"
#include "base/messages/CResAnsi.h"
#include "base/messages/CTStringFormat.h"
#include "base/messages/CTStringFormatMessage.h"
#include "base/messages/FormatMessage.h"

// settings
#include "base/settings/CParametreExecution.h"
#include "base/settings/IParametreExecution.h"
#include "base/settings/IStdVersion.h"
#include "base/settings/Profile.h"
#include "base/settings/VerifProfil.h"

// strings
#include "base/strings/BoundedFormat.h"
#include "base/strings/CKLBINBase.h"
#include "base/strings/CKLDSTRBase.h"
#include "base/strings/CStrMemAlloc.h"
#include "base/strings/CStrMemCache.h"
#include "base/strings/CTString.h"
#include "base/strings/CharTables.h"
#include "base/strings/CodePage.h"
#include "base/strings/GeneralParam.h"
#include "base/strings/NumberText.h"
#include "base/strings/STManipAUB.h"
#include "base/strings/StrClassify.h"
#include "base/strings/StrCompare.h"
#include "base/strings/StrCopy.h"
#include "base/strings/StrEdit.h"
#include "base/strings/StrMap.h"
#include "base/strings/StrMemBloc.h"
#include "base/strings/StrSearch.h"
#include "base/strings/StrWide.h"
#include "base/strings/TextCopies.h"
#include "base/strings/TextMisc.h"
#include "base/strings/Utf16.h"
#include "base/strings/Utf8.h"

// system
#include "base/system/AppelsSysteme.h"
#include "base/system/Atom.h"
#include "base/system/CZVSem.h"
#include "base/system/Emule.h"
#include "base/system/Environment.h"
#include "base/system/GlobalMemory.h"
#include "base/system/GrandBloc.h"
#include "base/system/Locale.h"
#include "base/system/MessageBox.h"
#include "base/system/ModuleFileName.h"
#include "base/system/Process.h"
#include "base/system/Processeurs.h"
#include "base/system/ProcessusEnfant.h"
#include "base/system/Rect.h"
#include "base/system/ThreadKey.h"
#include "base/system/Threads.h"
#include "base/system/TimeServices.h"
#include "base/system/Uuid.h"
#include "base/system/Win32Api.h"
#include "base/system/Win32Helpers.h"
