/* zvhost: a host program in C that drives the runtime library through the external call interface. */
#include <langinfo.h>
#include <locale.h>
#include <stdio.h>
#include <string.h>

#include "launcher/ZVExternal.h"

/* The runtime's texts are in the Windows-1252 code page. On a UTF-8 terminal they are
   converted as they are printed; elsewhere they go out as they are. */
static int gbUTF8 = 0;

/* Windows-1252 0x80-0x9F as Unicode (0 for the five unassigned bytes, printed as '?'). */
static const unsigned short gawCP1252[32] = {
    0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0, 0x017D, 0,
    0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178};

static void EcritTexte(FILE* pf, const char* psz)
{
    const unsigned char* p;
    if (!gbUTF8) {
        fputs(psz, pf);
        return;
    }
    for (p = (const unsigned char*)psz; *p; ++p) {
        unsigned w = *p;
        if (w < 0x80) {
            fputc((int)w, pf);
            continue;
        }
        if (w < 0xA0)
            w = gawCP1252[w - 0x80];
        if (w == 0)
            fputc('?', pf);
        else if (w < 0x800)
            fprintf(pf, "%c%c", 0xC0 | (w >> 6), 0x80 | (w & 0x3F));
        else
            fprintf(pf, "%c%c%c", 0xE0 | (w >> 12), 0x80 | ((w >> 6) & 0x3F), 0x80 | (w & 0x3F));
    }
}

static void Imprime(void* pUtilisateur, const char* pszTexte)
{
    (void)pUtilisateur;
    printf("  [runtime] ");
    EcritTexte(stdout, pszTexte);
    printf("\n");
}

/* Prints the value of the last call, by its type. */
static void AfficheValeur(const char* pszQuoi)
{
    printf("%s: ", pszQuoi);
    if (bZVValeurRetourNULL()) {
        printf("NULL\n");
        return;
    }
    switch (wZVGetTypeValeurRetour()) {
    case KLE_TYPE_BOOLEEN: printf("boolean %s\n", bZVGetValeurRetour() ? "true" : "false"); break;
    case KLE_TYPE_ENTIER: printf("integer %lld\n", (long long)i64ZVGetValeurRetour()); break;
    case KLE_TYPE_REEL: printf("real %g\n", dZVGetValeurRetour()); break;
    case KLE_TYPE_CHAINE:
        printf("string \"");
        EcritTexte(stdout, pszZVGetValeurRetour());
        printf("\" (%d bytes)\n", nZVLongueurValeurRetour());
        break;
    default: printf("type %u\n", (unsigned)wZVGetTypeValeurRetour()); break;
    }
}

int main(int argc, char** argv)
{
    const char* pszRuntime = argc > 1 ? argv[1] : "./zv150vm.so";
    const char* pszZVL = argc > 2 ? argv[2] : "facture.zvl";
    int32_t nResultat;
    setlocale(LC_CTYPE, "");
    gbUTF8 = strcmp(nl_langinfo(CODESET), "UTF-8") == 0;
    nResultat = nZVInitFromName(pszRuntime, 0);
    if (nResultat != ZV_OK) {
        fprintf(stderr, "zvhost: %s cannot be initialised (result %d)\n", pszRuntime, (int)nResultat);
        return 1;
    }
    nZVSetCallbackNext(Imprime, NULL);
    nResultat = nZVOuvreZVL(pszZVL);
    if (nResultat != ZV_OK) {
        fprintf(stderr, "zvhost: ");
        EcritTexte(stderr, pszZVGetLastError());
        fprintf(stderr, "\n");
        ZVTerm();
        return 1;
    }

    /* Code of the runtime's language, then an expression. */
    nZVExecute("taux = %d; print \"rate set to \" + str(taux)", 20);
    nZVEvalue("taux * 2 + 0.5");
    AfficheValeur("taux * 2 + 0.5");

    /* A procedure with one pushed parameter, then one without. */
    nZVEmpile(KLE_TYPE_ENTIER, 10);
    nZVAppelle(NULL, "Total", 1, 0);
    AfficheValeur("Total(10)");
    nZVAppelle(NULL, "Total", 0, 0);
    AfficheValeur("Total()");
    double d = 3.0;
    nZVEmpile(KLE_TYPE_ENTIER, 4);
    nZVEmpile(KLE_TYPE_REEL, (intptr_t)&d);
    nZVAppelle(NULL, "Moyenne", 2, 0);
    AfficheValeur("Moyenne(4, 3.0)");

    /* Element properties and a translated message. */
    nZVLitPropElem("Facture", "Client");
    AfficheValeur("Facture.Client");
    nZVEmpile(KLE_TYPE_CHAINE, (intptr_t)"Martin");
    nZVEcritPropElem("Facture", "Client");
    nZVLitPropElemInd("Facture", "Ligne", 2);
    AfficheValeur("Facture.Ligne[2]");
    nZVMessTraduit((intptr_t)"Total");
    AfficheValeur("message Total");

    /* An error raised by the application, then cleared. */
    nZVEmpile(KLE_TYPE_ENTIER, -5);
    nResultat = nZVAppelle(NULL, "Verifie", 1, 0);
    printf("Verifie(-5): result %d, error %d: ", (int)nResultat, (int)nZVGetLastError());
    EcritTexte(stdout, pszZVGetLastError());
    printf("\n");
    ZVRepriseErreur();
    printf("after ZVRepriseErreur: error %d\n", (int)nZVGetLastError());

    ZVTerm();
    return 0;
}
