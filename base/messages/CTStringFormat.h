// CTStringFormat: a CTString that holds a printf-formatted text from its construction.
#pragma once

#include "base/strings/CTString.h"

// Same single-pointer representation as CTString; only the constructor is added.
class CTStringFormat : public CTString {
public:
    // The text is FormatV(pszFormat, the arguments); empty when the C library cannot format it.
    CTStringFormat(const char* pszFormat, ...) __attribute__((format(printf, 2, 3)));
};

static_assert(sizeof(CTStringFormat) == sizeof(CTString), "CTStringFormat is a CTString");
