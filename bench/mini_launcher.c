/* The least a launcher can do: load the runtime beside itself, bind two entries and run the
 * project. The start-up benchmark measures ZVExe against this. */
#include <dlfcn.h>
#include <stdio.h>
#include <string.h>

typedef int (*PFN_DONNEZVL)(const char*, long long);
typedef int (*PFN_RUNRES)(unsigned int, const char*, const char*, int*);

int main(int argc, char** argv)
{
    (void)argc;
    char dir[4096];
    strncpy(dir, argv[0], sizeof dir - 32);
    dir[sizeof dir - 32] = '\0';
    char* slash = strrchr(dir, '/');
    if (slash)
        slash[1] = '\0';
    else
        strcpy(dir, "./");
    char lib[4096];
    snprintf(lib, sizeof lib, "%szv150vm.so", dir);
    void* h = dlopen(lib, RTLD_NOW);
    if (!h)
        return 100;
    PFN_DONNEZVL donne = (PFN_DONNEZVL)dlsym(h, "KL_DonneZVL");
    PFN_RUNRES run = (PFN_RUNRES)dlsym(h, "KL_Run_Res");
    if (!donne || !run || !donne("quick.ZVL", 0))
        return 101;
    int code = 0;
    if (!run(5, "default.zvp", "", &code))
        return 102;
    dlclose(h);
    return code;
}
