// Message boxes on the terminal: prompt on standard error, one word read from standard input.
#include "base/system/MessageBox.h"

#include <cctype>
#include <climits>
#include <cstring>
#include <cwchar>

namespace {

struct _stJeuBoutons {
    const char* pszInvite;
    int nSansReponse; // the button given when no answer can be read
};

const _stJeuBoutons gstTabJeuxBoutons[] = {
    {"Appuyez sur ENTREE pour continuer : \n", IDOK},
    {"Entrez votre choix (o = OK, c = CANCEL) pour continuer (exemple : o + ENTREE) : \n", IDCANCEL},
    {"Entrez votre choix (r = RETRY, a = ABORT, i = IGNORE) pour continuer (exemple : r + ENTREE) : \n", IDABORT},
    {"Entrez votre choix (y = YES, n = NO, c = CANCEL) pour continuer (exemple : y + ENTREE) : \n", IDCANCEL},
    {"Entrez votre choix (y = YES, n = NO) pour continuer (exemple : y + ENTREE) : \n", IDNO},
    {"Entrez votre choix (r = RETRY, c = CANCEL) pour continuer (exemple : r + ENTREE) : \n", IDCANCEL},
};

const char gszAideRetry[] =
    "Dans Anjuta, utiliser la Stack Trace pour voir la fonction en cours et F7 pour reprendre l'execution\n";

// Writes a 16-bit text character by character in the locale's multibyte form; surrogate pairs
// are joined into one character.
void _EcritTexte16(FILE* pSortie, const unsigned short* pwsz)
{
    if (!pwsz)
        return;
    std::mbstate_t stEtat{};
    for (; *pwsz; ++pwsz) {
        wchar_t wc = static_cast<wchar_t>(*pwsz);
        if (*pwsz >= 0xD800 && *pwsz < 0xDC00 && pwsz[1] >= 0xDC00 && pwsz[1] < 0xE000) {
            wc = static_cast<wchar_t>(0x10000 + ((*pwsz - 0xD800) << 10) + (pwsz[1] - 0xDC00));
            ++pwsz;
        }
        char szMulti[MB_LEN_MAX];
        const std::size_t n = std::wcrtomb(szMulti, wc, &stEtat);
        if (n == static_cast<std::size_t>(-1)) {
            stEtat = std::mbstate_t{};
            std::fputc('?', pSortie);
        } else {
            std::fwrite(szMulti, 1, n, pSortie);
        }
    }
}

// Skips white space, keeps the first character of the next word and reads the rest of the word
// without storing it. EOF when the input ends before a word.
int _nLitPremierCaractere(FILE* pEntree)
{
    int c = std::fgetc(pEntree);
    while (c != EOF && std::isspace(c))
        c = std::fgetc(pEntree);
    if (c == EOF)
        return EOF;
    const int nPremier = c;
    do
        c = std::fgetc(pEntree);
    while (c != EOF && !std::isspace(c));
    if (c != EOF)
        std::ungetc(c, pEntree);
    return nPremier;
}

} // namespace

int _nMessageBoxFlux(FILE* pEntree, FILE* pSortie, const void* pText, const char* pszCaption, UINT nType,
                     bool bWideText)
{
    const _stJeuBoutons& stJeu = nType <= MB_RETRYCANCEL ? gstTabJeuxBoutons[nType] : gstTabJeuxBoutons[MB_ABORTRETRYIGNORE];
    std::fprintf(pSortie, "%s\n", pszCaption ? pszCaption : "");
    if (bWideText)
        _EcritTexte16(pSortie, static_cast<const unsigned short*>(pText));
    else
        std::fputs(pText ? static_cast<const char*>(pText) : "", pSortie);
    std::fputc('\n', pSortie);
    std::fputs(stJeu.pszInvite, pSortie);
    std::fflush(pSortie);

    switch (_nLitPremierCaractere(pEntree)) {
    case EOF:
        return stJeu.nSansReponse;
    case 'a':
        return IDABORT;
    case 'c':
        return IDCANCEL;
    case 'i':
        return IDIGNORE;
    case 'n':
        return IDNO;
    case 'r':
        std::fputs(gszAideRetry, pSortie);
        std::fflush(pSortie);
        return IDRETRY;
    case 'y':
        return IDYES;
    default:
        return IDOK;
    }
}

int _MessageBox_NO_GUI(const void* pText, const char* pszCaption, UINT nType, bool bWideText)
{
    return _nMessageBoxFlux(stdin, stderr, pText, pszCaption, nType, bWideText);
}

int MessageBox(void* /*hWnd*/, const char* pszText, const char* pszCaption, UINT nType)
{
    return _MessageBox_NO_GUI(pszText, pszCaption, nType, false);
}

int MessageBoxW(void* /*hWnd*/, const unsigned short* pwszText, const char* pszCaption, UINT nType)
{
    return _MessageBox_NO_GUI(pwszText, pszCaption, nType, true);
}
