// Fuzz target of the Win32-syntax message formatter: arbitrary texts, with and without arguments, several buffer sizes.
//
// With arguments, every slot points to one small wide text, which is safe to read whatever
// the conversion: as a narrow text, a wide text, a number or a pointer. Inputs with a '*'
// or a run of more than four digits are skipped: they ask, legitimately, for outputs of
// any size. The caller's buffer is allocated at exactly its size, so that AddressSanitizer
// stops on a write past it, and the outcomes must agree with one another.
#include "base/messages/FormatMessage.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void Verifie(bool b)
{
    if (!b)
        std::abort();
}

const wchar_t kwszValeur[] = L"ab";

bool bAccepte(const char* psz)
{
    int nChiffres = 0;
    for (const char* p = psz; *p != '\0'; ++p) {
        if (*p == '*')
            return false;
        nChiffres = (*p >= '0' && *p <= '9') ? nChiffres + 1 : 0;
        if (nChiffres > 4)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pbyDonnees, size_t nTaille)
{
    if (nTaille == 0)
        return 0;
    // First byte: flags; the rest, up to its first 0 byte: the text.
    const unsigned int nFlags = (pbyDonnees[0] & 1u ? FORMAT_MESSAGE_IGNORE_INSERTS : 0u);
    const bool bAvecArguments = (pbyDonnees[0] & 2u) != 0;
    std::string strTexte(reinterpret_cast<const char*>(pbyDonnees + 1), nTaille - 1);
    strTexte.resize(std::strlen(strTexte.c_str()));
    if (!bAccepte(strTexte.c_str()))
        return 0;

    std::uintptr_t tabSlots[110];
    for (std::uintptr_t& s : tabSlots)
        s = reinterpret_cast<std::uintptr_t>(kwszValeur);
    char** args = bAvecArguments ? reinterpret_cast<char**>(tabSlots) : nullptr;
    const unsigned int nFlagsTableau = nFlags | FORMAT_MESSAGE_ARGUMENT_ARRAY | FORMAT_MESSAGE_FROM_STRING;

    char* pszReference = nullptr;
    const unsigned int nReference = FormatMessageWin(nFlagsTableau | FORMAT_MESSAGE_ALLOCATE_BUFFER, strTexte.c_str(),
                                                     0, 0, reinterpret_cast<char*>(&pszReference), 0, args);
    Verifie(pszReference != nullptr);
    // A "%c" insert may legitimately put a 0 byte inside the text: compare lengths, not strlen.
    Verifie(pszReference[nReference] == '\0');

    const unsigned int tabTailles[] = {0, 1, 2, 7, nReference, nReference + 1, nReference + 9};
    for (unsigned int nBuffer : tabTailles) {
        char* pszBuffer = static_cast<char*>(std::malloc(nBuffer > 0 ? nBuffer : 1));
        const unsigned int n = FormatMessageWin(nFlagsTableau, strTexte.c_str(), 0, 0, pszBuffer, nBuffer, args);
        if (nBuffer == 0) {
            Verifie(n == 0);
        } else {
            Verifie(n == (nReference < nBuffer - 1 ? nReference : nBuffer - 1));
            Verifie(pszBuffer[n] == '\0');
            Verifie(std::memcmp(pszBuffer, pszReference, n) == 0);
        }
        std::free(pszBuffer);
    }
    std::free(pszReference);
    return 0;
}
