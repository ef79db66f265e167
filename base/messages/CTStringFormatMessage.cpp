// CTStringFormatMessage: a CTString that holds a message format with its numbered inserts from its construction.
#include "base/messages/CTStringFormatMessage.h"

#include <cstdarg>

#include "base/messages/AccesDllRes.h"

CTStringFormatMessage::CTStringFormatMessage(const char* pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    DLLRES_dwFormatMessage(pszFormat, this, reinterpret_cast<char**>(&args));
    va_end(args);
}
