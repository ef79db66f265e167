// Tests of the terminal message box: prompts by button set, answers by first letter, the end
// of input, long answers, 16-bit texts, and the real standard streams.
#include "base/system/MessageBox.h"

#include <gtest/gtest.h>

#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const char kOk[] = "Appuyez sur ENTREE pour continuer : \n";
const char kOkCancel[] = "Entrez votre choix (o = OK, c = CANCEL) pour continuer (exemple : o + ENTREE) : \n";
const char kAri[] =
    "Entrez votre choix (r = RETRY, a = ABORT, i = IGNORE) pour continuer (exemple : r + ENTREE) : \n";
const char kYnc[] = "Entrez votre choix (y = YES, n = NO, c = CANCEL) pour continuer (exemple : y + ENTREE) : \n";
const char kYn[] = "Entrez votre choix (y = YES, n = NO) pour continuer (exemple : y + ENTREE) : \n";
const char kRc[] = "Entrez votre choix (r = RETRY, c = CANCEL) pour continuer (exemple : r + ENTREE) : \n";
const char kAide[] =
    "Dans Anjuta, utiliser la Stack Trace pour voir la fonction en cours et F7 pour reprendre l'execution\n";

// One dialogue over in-memory streams: the result, what was written, and what input is left.
struct Dialogue {
    int nResultat;
    std::string sSortie;
    std::string sReste;
};

Dialogue stDialogue(const std::string& sEntree, const void* pTexte, const char* pszTitre, UINT nType, bool bLarge)
{
    FILE* pEntree = fmemopen(const_cast<char*>(sEntree.data()), sEntree.size(), "r");
    if (sEntree.empty())
        pEntree = fopen("/dev/null", "r");
    char* pTampon = nullptr;
    size_t nTaille = 0;
    FILE* pSortie = open_memstream(&pTampon, &nTaille);
    Dialogue d;
    d.nResultat = _nMessageBoxFlux(pEntree, pSortie, pTexte, pszTitre, nType, bLarge);
    for (int c; (c = std::fgetc(pEntree)) != EOF;)
        d.sReste += static_cast<char>(c);
    std::fclose(pEntree);
    std::fclose(pSortie);
    d.sSortie.assign(pTampon, nTaille);
    std::free(pTampon);
    return d;
}

TEST(MessageBox, PromptByButtonSet)
{
    const struct {
        UINT nType;
        const char* pszInvite;
    } tab[] = {{MB_OK, kOk},         {MB_OKCANCEL, kOkCancel}, {MB_ABORTRETRYIGNORE, kAri}, {MB_YESNOCANCEL, kYnc},
               {MB_YESNO, kYn},      {MB_RETRYCANCEL, kRc},    {6, kAri},                   {0x10, kAri},
               {0x24, kAri},         {0xFFFFFFFF, kAri}};
    for (const auto& c : tab) {
        SCOPED_TRACE(c.nType);
        const Dialogue d = stDialogue("o\n", "Le texte", "Le titre", c.nType, false);
        // The caption line comes first, then the text, then the prompt.
        EXPECT_EQ(d.sSortie, std::string("Le titre\nLe texte\n") + c.pszInvite);
        EXPECT_EQ(d.nResultat, IDOK);
    }
}

TEST(MessageBox, AnswerByFirstCharacterWhateverTheSet)
{
    const struct {
        UINT nType;
        const char* pszEntree;
        int nResultat;
    } tab[] = {
        {MB_OK, "x\n", IDOK},           {MB_YESNO, "yes\n", IDYES},   {MB_YESNO, "Yes\n", IDOK},
        {MB_YESNO, "n\n", IDNO},        {MB_OKCANCEL, "y\n", IDYES},  {MB_OKCANCEL, "c\n", IDCANCEL},
        {MB_ABORTRETRYIGNORE, "a", IDABORT}, {MB_ABORTRETRYIGNORE, "ignore\n", IDIGNORE},
        {MB_OK, "\n\n   \t c\n", IDCANCEL}, // blank lines are skipped, even after the ENTREE prompt
        {MB_OK, "7\n", IDOK},           {MB_OK, "\xe9t\xe9\n", IDOK}, {MB_OK, "A\n", IDOK},
    };
    for (const auto& c : tab) {
        SCOPED_TRACE(c.pszEntree);
        const Dialogue d = stDialogue(c.pszEntree, "t", "c", c.nType, false);
        EXPECT_EQ(d.nResultat, c.nResultat);
        EXPECT_EQ(d.sSortie.find(kAide), std::string::npos);
    }
    const Dialogue d = stDialogue("r\n", "t", "c", MB_RETRYCANCEL, false);
    EXPECT_EQ(d.nResultat, IDRETRY);
    EXPECT_EQ(d.sSortie, std::string("c\nt\n") + kRc + kAide);
}

TEST(MessageBox, EndOfInputGivesTheSetsCancelLikeButton)
{
    const struct {
        UINT nType;
        int nResultat;
    } tab[] = {{MB_OK, IDOK},        {MB_OKCANCEL, IDCANCEL}, {MB_ABORTRETRYIGNORE, IDABORT},
               {MB_YESNOCANCEL, IDCANCEL}, {MB_YESNO, IDNO},     {MB_RETRYCANCEL, IDCANCEL},
               {0x30, IDABORT}};
    for (const auto& c : tab) {
        SCOPED_TRACE(c.nType);
        EXPECT_EQ(stDialogue("", "t", "c", c.nType, false).nResultat, c.nResultat);
        EXPECT_EQ(stDialogue(" \n\n\t", "t", "c", c.nType, false).nResultat, c.nResultat);
    }
}

TEST(MessageBox, LongAnswerIsReadWholeAndOnlyItsFirstLetterCounts)
{
    // The whole word is consumed, however long: the next box reads the next word.
    const std::string sEntree = "n" + std::string(100000, 'x') + " y\n";
    const Dialogue d = stDialogue(sEntree, "t", "c", MB_YESNO, false);
    EXPECT_EQ(d.nResultat, IDNO);
    EXPECT_EQ(d.sReste, " y\n");
}

TEST(MessageBox, NullTextsAndWideTextInTheTerminalsForm)
{
    EXPECT_EQ(stDialogue("o", nullptr, nullptr, MB_OK, false).sSortie, std::string("\n\n") + kOk);
    EXPECT_EQ(stDialogue("o", nullptr, nullptr, MB_OK, true).sSortie, std::string("\n\n") + kOk);

    // "é€" and U+1F600 as a surrogate pair, then an unpaired surrogate.
    const unsigned short wsz[] = {0x00E9, 0x20AC, 0xD83D, 0xDE00, 0x0041, 0xD800, 0x0042, 0};
    const std::string sAvant = std::setlocale(LC_CTYPE, nullptr);
    if (std::setlocale(LC_CTYPE, "C.UTF-8")) {
        EXPECT_EQ(stDialogue("o", wsz, "c", MB_OK, true).sSortie,
                  std::string("c\n\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80" "A?B\n") + kOk);
    }
    // The "C" locale shows ASCII only.
    std::setlocale(LC_CTYPE, "C");
    EXPECT_EQ(stDialogue("o", wsz, "c", MB_OK, true).sSortie, std::string("c\n??\?A?B\n") + kOk);
    std::setlocale(LC_CTYPE, sAvant.c_str());
}

TEST(MessageBox, DialogueRunsOnTheProcessStandardStreams)
{
    int nEntree[2];
    int nErreur[2];
    ASSERT_EQ(pipe(nEntree), 0);
    ASSERT_EQ(pipe(nErreur), 0);
    const pid_t nPid = fork();
    ASSERT_GE(nPid, 0);
    if (nPid == 0) {
        dup2(nEntree[0], 0);
        dup2(nErreur[1], 2);
        close(nEntree[1]);
        close(nErreur[0]);
        alarm(10); // never outlives a broken test
        const int a = MessageBox(nullptr, "Texte", "Titre", MB_YESNOCANCEL);
        const unsigned short wsz[] = {'W', 0};
        const int b = MessageBoxW(nullptr, wsz, "Titre", MB_YESNO);
        _exit(a * 10 + b);
    }
    close(nEntree[0]);
    close(nErreur[1]);
    ASSERT_EQ(write(nEntree[1], "n\n", 2), 2);
    close(nEntree[1]); // the second box meets the end of input
    std::string sSortie;
    char sz[512];
    for (ssize_t n; (n = read(nErreur[0], sz, sizeof sz)) > 0;)
        sSortie.append(sz, static_cast<size_t>(n));
    close(nErreur[0]);
    int nStatus = 0;
    ASSERT_EQ(waitpid(nPid, &nStatus, 0), nPid);
    ASSERT_TRUE(WIFEXITED(nStatus));
    EXPECT_EQ(WEXITSTATUS(nStatus), IDNO * 10 + IDNO);
    EXPECT_EQ(sSortie, std::string("Titre\nTexte\n") + kYnc + "Titre\nW\n" + kYn);
}

} // namespace
