// Checks of a profile file's text: each line that the profile reader would not take as its writer meant it, with the reason.
#include "base/settings/VerifProfil.h"

#include <cstring>
#include <map>
#include <string>

namespace {

constexpr size_t gnCoupe = 60;

bool __bBlanc(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::string __sMinuscules(std::string s)
{
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return s;
}

std::string __sCoupe(const char* p, size_t n)
{
    std::string s(p, n < gnCoupe ? n : gnCoupe);
    for (char& c : s) {
        if (c == '\0')
            c = '?';
    }
    if (n > gnCoupe)
        s += "...";
    return s;
}

}  // namespace

std::vector<_stREMARQUEPROFIL> vVerifieProfil(const char* p, size_t n, size_t nMax)
{
    std::vector<_stREMARQUEPROFIL> ast;
    if (!p)
        return ast;
    std::map<std::string, unsigned> aSections;      // lower-case name -> line of its first header
    std::map<std::string, unsigned> aCles;          // keys of the current section
    bool bSection = false;
    unsigned nLigne = 0;
    size_t nDebut = 0;
    auto Remarque = [&](eREMARQUEPROFIL e, const char* pLigne, size_t nLongueur, unsigned nAutre) {
        if (ast.size() < nMax)
            ast.push_back({nLigne, e, __sCoupe(pLigne, nLongueur), nAutre});
    };
    while (nDebut < n && ast.size() < nMax) {
        ++nLigne;
        const char* pFin = static_cast<const char*>(std::memchr(p + nDebut, '\n', n - nDebut));
        size_t nLongueur = pFin ? static_cast<size_t>(pFin - (p + nDebut)) : n - nDebut;
        const char* pLigne = p + nDebut;
        nDebut += nLongueur + 1;
        if (nLongueur && pLigne[nLongueur - 1] == '\r')
            --nLongueur;
        const char* pNul = static_cast<const char*>(std::memchr(pLigne, '\0', nLongueur));
        if (pNul) {
            Remarque(eREMARQUE_NUL, pLigne, nLongueur, 0);
            nLongueur = static_cast<size_t>(pNul - pLigne);
        }
        if (nLigne == 1 && nLongueur >= 3 && std::memcmp(pLigne, "\xEF\xBB\xBF", 3) == 0)
            Remarque(eREMARQUE_BOM, pLigne + 3, nLongueur - 3, 0);
        size_t i = 0;
        while (i < nLongueur && __bBlanc(pLigne[i]))
            ++i;
        const char* pTexte = pLigne + i;
        const size_t nTexte = nLongueur - i;
        if (nTexte == 0 || pTexte[0] == ':')
            continue;
        if (pTexte[0] == '[') {
            const char* pFerme = static_cast<const char*>(std::memchr(pTexte, ']', nTexte));
            if (!pFerme) {
                Remarque(eREMARQUE_ENTETE_OUVERTE, pTexte, nTexte, 0);
                continue;
            }
            const std::string sNom = __sMinuscules(std::string(pTexte + 1, pFerme));
            const auto it = aSections.find(sNom);
            if (it != aSections.end())
                Remarque(eREMARQUE_SECTION_DOUBLE, pTexte, nTexte, it->second);
            else
                aSections[sNom] = nLigne;
            bSection = true;
            aCles.clear();
            continue;
        }
        const char* pEgal = static_cast<const char*>(std::memchr(pTexte, '=', nTexte));
        if (!pEgal) {
            Remarque(pTexte[0] == ';' || pTexte[0] == '#' ? eREMARQUE_COMMENTAIRE : eREMARQUE_SANS_EGAL, pTexte, nTexte,
                     0);
            continue;
        }
        if (pTexte[0] == ';' || pTexte[0] == '#')
            continue;  // meant as a comment, and read as a key nobody asks for: harmless
        if (!bSection) {
            Remarque(eREMARQUE_HORS_SECTION, pTexte, nTexte, 0);
            continue;
        }
        size_t nCle = static_cast<size_t>(pEgal - pTexte);
        while (nCle && (pTexte[nCle - 1] == ' ' || pTexte[nCle - 1] == '\t'))
            --nCle;
        const std::string sCle = __sMinuscules(std::string(pTexte, nCle));
        const auto it = aCles.find(sCle);
        if (it != aCles.end())
            Remarque(eREMARQUE_CLE_DOUBLE, pTexte, nTexte, it->second);
        else
            aCles[sCle] = nLigne;
    }
    return ast;
}

std::string sTexteRemarque(const _stREMARQUEPROFIL& st)
{
    std::string s = "line " + std::to_string(st.nLigne) + ": '" + st.sLigne + "': ";
    switch (st.eRemarque) {
    case eREMARQUE_SANS_EGAL:
        return s + "neither a [section], a key = value line nor a ':' comment; ignored";
    case eREMARQUE_COMMENTAIRE:
        return s + "';' and '#' start no comment here (':' does); the line is ignored";
    case eREMARQUE_ENTETE_OUVERTE:
        return s + "a header without ']' is read as an ordinary line, not as a section";
    case eREMARQUE_HORS_SECTION:
        return s + "a key before any [section] is never read";
    case eREMARQUE_CLE_DOUBLE:
        return s + "the key again in its section; line " + std::to_string(st.nLigneAutre) + " is the one read";
    case eREMARQUE_SECTION_DOUBLE:
        return s + "the section again; only the one at line " + std::to_string(st.nLigneAutre) +
               " is read, the keys under this header never are";
    case eREMARQUE_NUL:
        return s + "holds a NUL byte; the reader's line ends there";
    case eREMARQUE_BOM:
        return s + "begins with a UTF-8 byte-order mark, so its first line is not read as written";
    }
    return s;
}
