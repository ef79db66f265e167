// Demonstration of the base library: texts converted between code pages, compared
// naturally and mapped, as the launcher's strings are handled.
#include "base/zvbase.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Windows-1252 text shown on a UTF-8 terminal.
std::string utf8(const char* psz1252)
{
    std::vector<char> out(std::strlen(psz1252) * 3 + 1);
    const int n = MultiByteToUTF8(1252, psz1252, std::strlen(psz1252), out.data(), out.size(), 0);
    return std::string(out.data(), n > 0 ? static_cast<size_t>(n) : 0);
}

void showConversions(const char* psz1252)
{
    std::printf("Code pages\n  Windows-1252 text   : %s (%zu bytes)\n", utf8(psz1252).c_str(), std::strlen(psz1252));

    const int nWide = MultiByteToWideChar(1252, 0, psz1252, -1, nullptr, 0);
    std::printf("  as wide characters  : %d, terminator included\n", nWide);

    char sz1250[256];
    const unsigned n1250 = MultiByteToMultiByte(1252, psz1252, static_cast<unsigned>(-1), 1250, sz1250, sizeof sz1250);
    if (n1250)
        std::printf("  into Windows-1250   : %u bytes, identical bytes: %s\n", n1250,
                    std::memcmp(sz1250, psz1252, n1250) == 0 ? "yes" : "no (other positions)");
    else
        std::printf("  into Windows-1250   : refused (a character has no place there)\n");

    char sz1251[256];
    const unsigned n1251 = MultiByteToMultiByte(1252, psz1252, static_cast<unsigned>(-1), 1251, sz1251, sizeof sz1251);
    std::printf("  into Windows-1251   : %s\n", n1251 ? "converted" : "refused (accented Latin letters are not Cyrillic)");

    // Cyrillic stored in Windows-1251, shown through UTF-8.
    const char szRusse[] = "\xcf\xf0\xe8\xe2\xe5\xf2, \xec\xe8\xf0";  // "Привет, мир"
    char szUtf8[64];
    const int nUtf8 = MultiByteToUTF8(1251, szRusse, sizeof szRusse - 1, szUtf8, sizeof szUtf8, 0);
    std::printf("  Windows-1251 bytes  : %.*s (%zu bytes become %d in UTF-8)\n\n", nUtf8, szUtf8, sizeof szRusse - 1, nUtf8);
}

void showNaturalOrder()
{
    std::vector<const char*> names = {"chapitre10.txt", "Chapitre2.txt", "chapitre1.txt", "chapitre02.txt", "annexe.txt"};
    std::vector<const char*> byBytes = names;
    std::sort(byBytes.begin(), byBytes.end(), [](const char* a, const char* b) { return std::strcmp(a, b) < 0; });
    std::sort(names.begin(), names.end(), [](const char* a, const char* b) {
        // Sort keys instead of bytes: case only breaks ties, digits compare by value.
        return STR_nCompareRespecteNumerique(a, std::strlen(a), b, std::strlen(b), 0x20000000) < 0;
    });
    std::printf("Ordering\n  %-16s  %s\n", "by bytes", "natural, by sort key");
    for (size_t i = 0; i < names.size(); ++i)
        std::printf("  %-16s  %s\n", byBytes[i], names[i]);
    std::printf("\n");
}

void showMapping(const char* psz1252)
{
    char szOut[256];
    std::printf("Mapping\n");
    const struct {
        unsigned flags;
        const char* label;
    } rows[] = {{1, "upper case"}, {3, "upper case, no accents"}, {7, "upper case, no accents, letters only"}};
    for (const auto& row : rows) {
        STR_nMapStringEx(row.flags, szOut, sizeof szOut, psz1252, -1, 1);
        std::printf("  %-38s: %s\n", row.label, utf8(szOut).c_str());
    }
    std::printf("  equal ignoring case and accents to \"ELEVE A L'ECOLE\": %s\n\n",
                STR_nCompare(psz1252, "ELEVE A L'ECOLE", 3) == 0 ? "yes" : "no");
}

void showCountedString(const char* psz1252)
{
    CTString s(psz1252);
    std::printf("Counted string\n");
    std::printf("  length %ld, first word \"%s\", last 6 characters \"%s\"\n", static_cast<long>(s.nTaille()),
                utf8(s.clGauche(s.nPos(' ', 0)).pszGet()).c_str(), utf8(s.clDroite(6).pszGet()).c_str());
    s.Remplace("\xe9", "e", 0);
    std::printf("  every '%s' replaced by 'e': %s\n", utf8("\xe9").c_str(), utf8(s.pszGet()).c_str());
    CTString fields("nom;pr\xe9nom;ville");
    CTString field;
    fields.bExtraitChaine(1ul, ';', &field);
    std::printf("  field 1 of \"%s\": \"%s\"\n", utf8(fields.pszGet()).c_str(), utf8(field.pszGet()).c_str());
}

} // namespace

int main(int argc, char** argv)
{
    // The text is Windows-1252, as the launcher's strings are; a UTF-8 argument is converted.
    CTString text("\xc9l\xe8ve \xe0 l'\xe9\x63ole");
    if (argc > 1)
        text.SetUTF8(argv[1], 1252);
    showConversions(text.pszGet());
    showNaturalOrder();
    showMapping(text.pszGet());
    showCountedString(text.pszGet());
    return 0;
}
