/* zvhost: a host program in C that drives the runtime library through the external call interface. */
#include <stdio.h>
#include <string.h>

#include "launcher/ZVExternal.h"

static void Imprime(void* pUtilisateur, const char* pszTexte)
{
    (void)pUtilisateur;
    printf("  [runtime] %s\n", pszTexte);
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
    case KLE_TYPE_CHAINE: printf("string \"%s\" (%d bytes)\n", pszZVGetValeurRetour(), nZVLongueurValeurRetour()); break;
    default: printf("type %u\n", (unsigned)wZVGetTypeValeurRetour()); break;
    }
}

int main(int argc, char** argv)
{
    const char* pszRuntime = argc > 1 ? argv[1] : "./zv150vm.so";
    const char* pszZVL = argc > 2 ? argv[2] : "facture.zvl";
    int32_t nResultat = nZVInitFromName(pszRuntime, 0);
    if (nResultat != ZV_OK) {
        fprintf(stderr, "zvhost: %s cannot be initialised (result %d)\n", pszRuntime, (int)nResultat);
        return 1;
    }
    nZVSetCallbackNext(Imprime, NULL);
    nResultat = nZVOuvreZVL(pszZVL);
    if (nResultat != ZV_OK) {
        fprintf(stderr, "zvhost: %s\n", pszZVGetLastError());
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
    printf("Verifie(-5): result %d, error %d: %s\n", (int)nResultat, (int)nZVGetLastError(), pszZVGetLastError());
    ZVRepriseErreur();
    printf("after ZVRepriseErreur: error %d\n", (int)nZVGetLastError());

    ZVTerm();
    return 0;
}
