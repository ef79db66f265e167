// CTStringFormatMessage: a CTString that holds a message format with its numbered inserts from its construction.
#pragma once

#include "base/strings/CTString.h"

// Same single-pointer representation as CTString; only the constructor is added.
class CTStringFormatMessage : public CTString {
public:
    // The text is pszFormat formatted by DLLRES_dwFormatMessage (printf syntax, numbered
    // inserts such as "%2$s"); empty on failure.
    CTStringFormatMessage(const char* pszFormat, ...);
};

static_assert(sizeof(CTStringFormatMessage) == sizeof(CTString), "CTStringFormatMessage is a CTString");
