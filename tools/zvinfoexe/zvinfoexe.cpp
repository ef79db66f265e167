// zvinfoexe: shows and writes the information block and data-files directory of a built ZVExe executable.
#include <cstdio>
#include <cstring>

#include "tools/zvinfoexe/CInfoExeFichier.h"

namespace {

struct _stOPTION {
    const char* pszNom;
    eCHAMPINFOEXE eChamp;
};

constexpr _stOPTION gtabOptions[] = {
    {"--vm", eCHAMP_FRAMEWORK},      {"--zvl", eCHAMP_ZVL},         {"--position", eCHAMP_POSITION},
    {"--restricted", eCHAMP_RESTREINT}, {"--common", eCHAMP_COMMUN}, {"--project", eCHAMP_PROJET},
    {"--version", eCHAMP_VERSION},   {"--datadir", eCHAMP_REPFICHIERS},
};

int Usage()
{
    std::fputs("usage: zvinfoexe EXECUTABLE [-o OUTPUT] [--vm NAME] [--zvl NAME] [--position N]\n"
               "                 [--restricted N] [--common N] [--project NAME] [--version N] [--datadir DIR]\n"
               "Without a field option, shows the fields. With one, writes them into EXECUTABLE,\n"
               "or into a copy named OUTPUT.\n",
               stderr);
    return 2;
}

int Echec(const CTString& clErreur)
{
    std::fprintf(stderr, "zvinfoexe: %s\n", clErreur.pszGet());
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || argv[1][0] == '-')
        return Usage();
    const char* pszFichier = argv[1];
    const char* pszSortie = nullptr;

    CInfoExeFichier clFichier;
    CTString clErreur;
    if (!clFichier.bCharge(pszFichier, &clErreur))
        return Echec(clErreur);

    bool bModifie = false;
    for (int i = 2; i < argc; ++i) {
        if (i + 1 >= argc)
            return Usage();
        if (std::strcmp(argv[i], "-o") == 0 || std::strcmp(argv[i], "--output") == 0) {
            pszSortie = argv[++i];
            continue;
        }
        const _stOPTION* pstOption = nullptr;
        for (const _stOPTION& st : gtabOptions) {
            if (std::strcmp(argv[i], st.pszNom) == 0)
                pstOption = &st;
        }
        if (!pstOption)
            return Usage();
        if (!clFichier.bSetChamp(pstOption->eChamp, argv[++i], &clErreur)) {
            clErreur = CTString(pstOption->pszNom) + ": " + clErreur;
            return Echec(clErreur);
        }
        bModifie = true;
    }

    if (bModifie || pszSortie) {
        if (!clFichier.bEcrit(pszSortie ? pszSortie : pszFichier, pszSortie ? pszFichier : nullptr, &clErreur))
            return Echec(clErreur);
    } else {
        std::fputs(clFichier.clAffiche().pszGet(), stdout);
    }
    return 0;
}
