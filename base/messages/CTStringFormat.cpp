// CTStringFormat: a CTString that holds a printf-formatted text from its construction.
#include "base/messages/CTStringFormat.h"

#include <cstdarg>

CTStringFormat::CTStringFormat(const char* pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    FormatV(pszFormat, args);
    va_end(args);
}
