/* Outside host in C of the installed external call interface: typed results and errors. */
#include <stdio.h>
#include <string.h>

#include <launcher/ZVExternal.h>

int main(int argc, char** argv)
{
    double d = 0.5;
    if (argc < 2 || nZVInitFromName(argv[1], 0) != ZV_OK)
        return 1;
    if (nZVCompile("procedure Prix(n, remise)\n"
                   "  if n < 0 then error 77, \"negative\"\n"
                   "  return n * 10 - remise\n"
                   "end\n", "lib") != ZV_OK)
        return 2;
    nZVEmpile(KLE_TYPE_ENTIER, 3);
    nZVEmpile(KLE_TYPE_REEL, (intptr_t)&d);
    if (nZVAppelle(NULL, "Prix", 2, 0) != ZV_OK || wZVGetTypeValeurRetour() != KLE_TYPE_REEL ||
        dZVGetValeurRetour() != 29.5)
        return 3;
    nZVEmpile(KLE_TYPE_ENTIER, -1);
    if (nZVAppelle(NULL, "Prix", 1, 0) == ZV_OK || nZVGetLastError() != 77 ||
        strcmp(pszZVGetLastError(), "negative") != 0)
        return 4;
    if (nZVExecute("s = \"%s\" + str(%d)", "n", 5) != ZV_OK || nZVLitVariableKL("s", 0, 0) != ZV_OK ||
        strcmp(pszZVGetValeurRetour(), "n5") != 0 || nZVLongueurValeurRetour() != 2)
        return 5;
    ZVTerm();
    if (nZVEvalue("1") != ZV_ERR_NON_INIT)
        return 6;
    puts("host ok");
    return 0;
}
