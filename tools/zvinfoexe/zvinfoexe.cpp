// zvinfoexe: shows and writes the information block and data-files directory of a built ZVExe executable.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <fcntl.h>

#include "base/system/AppelsSysteme.h"
#include "tools/zvinfoexe/CInfoExeFichier.h"
#include "tools/zvinfoexe/CVerificationDeploiement.h"

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
               "                 [--embed LIBRARY]...\n"
               "Without a field option, shows the fields. With one, writes them into EXECUTABLE,\n"
               "or into a copy named OUTPUT.\n"
               "--embed appends LIBRARY, compressed, behind the executable: a 526-byte descriptor\n"
               "(the library's name, then the block's length at offset 522) followed by the block;\n"
               "the descriptor's position is printed.\n"
               "       zvinfoexe --check PROGRAM [--timeout SECONDS]\n"
               "checks a deployed application without running it: one line per check and a verdict;\n"
               "exit status 0 when it would start, 1 otherwise. The runtime is loaded in a child\n"
               "process, ended after SECONDS (default 10).\n",
               stderr);
    return 2;
}

// The whole file; false with a message.
bool __bLitFichier(const char* pszFichier, std::vector<unsigned char>* pab, CTString* pclErreur)
{
    const int fd = SYS_nOpen(pszFichier, O_RDONLY | O_CLOEXEC);
    bool bOk = fd >= 0;
    unsigned char aby[65536];
    while (bOk) {
        const ssize_t n = SYS_nReadSome(fd, aby, sizeof(aby), pszFichier);
        if (n <= 0) {
            bOk = n == 0;
            break;
        }
        if (pab->size() + static_cast<size_t>(n) > 0xFFFFFFF0u) {
            SYS_bClose(fd, pszFichier);
            pclErreur->printf("%s: too large", pszFichier);
            return false;
        }
        pab->insert(pab->end(), aby, aby + n);
    }
    if (!bOk) {
        char sz[1200];
        SYS_nFormatLastError(sz, sizeof sz);
        *pclErreur = sz;
    }
    SYS_bClose(fd, pszFichier);
    return bOk;
}

int Echec(const CTString& clErreur)
{
    std::fprintf(stderr, "zvinfoexe: %s\n", clErreur.pszGet());
    return 1;
}

// zvinfoexe --check PROGRAM [--timeout SECONDS]
int Verifie(int argc, char** argv)
{
    if (argc != 3 && argc != 5)
        return Usage();
    CVerificationDeploiement clVerification;
    if (argc == 5) {
        char* pszFin = nullptr;
        errno = 0;
        const long nSecondes = std::strtol(argv[4], &pszFin, 10);
        if (std::strcmp(argv[3], "--timeout") != 0 || errno || !pszFin || *pszFin || nSecondes < 1 || nSecondes > 3600)
            return Usage();
        clVerification.SetDelai(static_cast<unsigned>(nSecondes) * 1000u);
    }
    const bool bDemarrerait = clVerification.bVerifie(argv[2]);
    std::fputs(clVerification.sRapport().c_str(), stdout);
    std::fflush(stdout);
    return bDemarrerait ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc >= 2 && std::strcmp(argv[1], "--check") == 0)
        return Verifie(argc, argv);
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
        if (std::strcmp(argv[i], "--embed") == 0) {
            const char* pszBibliotheque = argv[++i];
            std::vector<unsigned char> abBibliotheque;
            if (!__bLitFichier(pszBibliotheque, &abBibliotheque, &clErreur))
                return Echec(clErreur);
            const char* pszNom = std::strrchr(pszBibliotheque, '/');
            pszNom = pszNom ? pszNom + 1 : pszBibliotheque;
            unsigned nPos = 0, nBloc = 0;
            unsigned char byMethode = 0;
            if (!clFichier.bAjouteDLL(abBibliotheque.data(), static_cast<unsigned>(abBibliotheque.size()), pszNom,
                                      &nPos, &nBloc, &byMethode, &clErreur)) {
                clErreur = CTString(pszBibliotheque) + ": " + clErreur;
                return Echec(clErreur);
            }
            std::printf("embedded %s: descriptor at offset %u, block of %u bytes (method %u) at offset %u, "
                        "expands to %zu bytes\n",
                        pszNom, nPos, nBloc, unsigned(byMethode), nPos + 526u, abBibliotheque.size());
            bModifie = true;
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
