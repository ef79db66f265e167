// Classification of characters and texts.
#include "base/strings/StrClassify.h"

#include "base/strings/CharTables.h"

#include <cstring>
#include <strings.h>

namespace {

inline unsigned char byOf(char c) { return static_cast<unsigned char>(c); }

} // namespace

bool STR_bWhiteCharOrPunct(char c)
{
    return (pbyCharType_Latin1[byOf(c)] & eCHARTYPE_PUNCT) != 0;
}

bool STR_bContainSpace(const char* psz)
{
    return psz != nullptr && std::strchr(psz, ' ') != nullptr;
}

bool STR_bNeContientRienDeLisible(const char* psz)
{
    if (psz == nullptr)
        return true;
    return psz[std::strspn(psz, "\t\n\r ")] == '\0';
}

bool bEstUnChiffre(char c) { return c >= '0' && c <= '9'; }

bool bEstUnNombreEntierNaturel(const char* psz)
{
    if (psz == nullptr)
        return false;
    return psz[std::strspn(psz, "0123456789")] == '\0';
}

int nGetChiffre(char c) { return c - '0'; }
bool bExtendedASCII(char c) { return byOf(c) > 0x7F; }
bool bMajuscule(char c) { return c >= 'A' && c <= 'Z'; }
bool bMinuscule(char c) { return c >= 'a' && c <= 'z'; }
bool bUnprintable(char c) { return byOf(c) < 0x20; }

bool bPonctuation(char c)
{
    const unsigned char by = byOf(c);
    return (by >= 0x21 && by <= 0x2F) || (by >= 0x3A && by <= 0x40) || (by >= 0x5B && by <= 0x5F);
}

bool bEstDuTexteRTF(const char* psz)
{
    // strncasecmp stops at the text's terminator, so short texts are read safely.
    return psz != nullptr &&
           (strncasecmp(psz, "{\\rtf1", 6) == 0 || strncasecmp(psz, "{\\rtf{", 6) == 0);
}
