// Fuzz target of the splitting of a child's command line into arguments.
//
// The input, up to its first NUL, is the command line, in a block of exactly its length plus a
// terminator.
#include "base/system/Process.h"

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

void Verifie(bool b)
{
    if (!b)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pbyData, size_t nSize)
{
    std::vector<char> vLigne(pbyData, pbyData + nSize);
    vLigne.push_back('\0');
    const size_t nLongueur = std::strlen(vLigne.data());
    const bool bGuillemets = std::memchr(vLigne.data(), '"', nLongueur) != nullptr;

    std::vector<std::string> vArguments;
    const size_t n = nDecoupeLigneCommande(vLigne.data(), &vArguments);
    Verifie(n == vArguments.size());
    size_t nTotal = 0;
    for (const std::string& s : vArguments) {
        // Tokens are never empty, never end with white space, hold white space only through
        // quotes, and are made of the line's own characters in order.
        Verifie(!s.empty());
        Verifie(!std::isspace(static_cast<unsigned char>(s.back())));
        Verifie(s.find('\0') == std::string::npos);
        if (!bGuillemets)
            for (char c : s)
                Verifie(!std::isspace(static_cast<unsigned char>(c)));
        nTotal += s.size() + 1;
    }
    Verifie(nTotal <= nLongueur + 1);
    // Without quotes the split is the plain white-space split.
    if (!bGuillemets) {
        std::vector<std::string> vSimple;
        std::string sCourant;
        for (size_t i = 0; i <= nLongueur; ++i) {
            const unsigned char c = static_cast<unsigned char>(vLigne[i]);
            if (c == '\0' || std::isspace(c)) {
                if (!sCourant.empty())
                    vSimple.push_back(sCourant);
                sCourant.clear();
            } else {
                sCourant += static_cast<char>(c);
            }
        }
        Verifie(vSimple == vArguments);
    }
    // Splitting is stable: a token without quotes or white space splits into itself.
    for (const std::string& s : vArguments) {
        if (s.find('"') != std::string::npos)
            continue;
        std::vector<std::string> v;
        nDecoupeLigneCommande(s.c_str(), &v);
        bool bBlanc = false;
        for (char c : s)
            bBlanc = bBlanc || std::isspace(static_cast<unsigned char>(c));
        if (!bBlanc)
            Verifie(v.size() == 1 && v[0] == s);
    }
    return 0;
}
