// Character-set, code-page and language tables, and the locale switch built on them.
#include "base/system/Locale.h"

#include <clocale>
#include <cstdio>

unsigned dwGetCodePageFromCharset(int nCharset)
{
    switch (nCharset) {
    case 0:
    case 255: return 1252;
    case 128: return 932;
    case 129: return 949;
    case 130: return 1361;
    case 134: return 936;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177: return 1255;
    case 178: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    case 65001: return 65001;
    default: return 0;
    }
}

unsigned short wGetLanguageID(int nCharset)
{
    switch (nCharset) {
    case 128: return 0x0011;
    case 129:
    case 130: return 0x0012;
    case 134: return 0x0804;
    case 136: return 0x0404;
    case 161: return 0x0008;
    case 162: return 0x001F;
    case 163: return 0x002A;
    case 177: return 0x000D;
    case 178: return 0x0001;
    case 186: return 0x0025;
    case 204: return 0x0419;
    case 222: return 0x001E;
    case 238: return 0x0015;
    default: return 0;
    }
}

int nGetCharsetFromLanguage(unsigned nLanguage)
{
    const unsigned nPrimary = nLanguage & 0x3FF;
    const unsigned nSub = nLanguage >> 10;
    switch (nPrimary) {
    case 1: return 178;
    case 2: case 25: case 34: case 35: return 204;
    case 4: return nSub == 1 ? 136 : 134;
    case 5: case 14: case 21: case 24: case 27: case 28: case 36: case 47: return 238;
    case 8: return 161;
    case 13: return 177;
    case 17: return 128;
    case 18: return 129;
    case 26: return nSub == 3 ? 204 : 238;
    case 30: return 222;
    case 31: return 162;
    case 37: case 38: case 39: return 186;
    case 42: return 163;
    case 43: case 55: return 65001;
    case 67: return nSub == 2 ? 204 : 238;
    default: return 0;
    }
}

unsigned char GetCharSetFromLanguageID(unsigned nLanguage)
{
    return static_cast<unsigned char>(nGetCharsetFromLanguage(nLanguage) & 0xFF);
}

bool bNomLocaleCharset(int nCharset, char* pszBuffer, std::size_t nSize)
{
    if (pszBuffer && nSize)
        pszBuffer[0] = '\0';
    const unsigned nCodePage = dwGetCodePageFromCharset(nCharset);
    if (nCodePage == 0 || nCharset < 161 || nCharset > 204)
        return false;
    const char* pszName;
    switch (nCharset) {
    case 161: pszName = "greek_greece"; break;
    case 162: pszName = "turkey_turkish"; break;
    case 204: pszName = "russian_russia"; break;
    case 177:
    case 178: pszName = ""; break;
    default: return false;
    }
    if (!pszBuffer)
        return false;
    const int n = std::snprintf(pszBuffer, nSize, "%s.%u", pszName, nCodePage);
    if (n < 0 || static_cast<std::size_t>(n) >= nSize) {
        if (nSize)
            pszBuffer[0] = '\0';
        return false;
    }
    return true;
}

unsigned ChangeLocale(int nCharset)
{
    const unsigned nCodePage = dwGetCodePageFromCharset(nCharset);
    char szName[64];
    if (!bNomLocaleCharset(nCharset, szName, sizeof szName))
        return nCodePage;
    // The code page is reported only when the C library accepted the locale.
    return std::setlocale(LC_ALL, szName) ? nCodePage : 0;
}

const char* pszSetLocale(int nCategory, const char* pszName) { return std::setlocale(nCategory, pszName); }
void UnsetLocale(int nCategory) { std::setlocale(nCategory, "C"); }
const char* pszSetSystemLocale(int nCategory) { return std::setlocale(nCategory, ""); }
const char* pszGetLocale(int nCategory) { return std::setlocale(nCategory, nullptr); }
