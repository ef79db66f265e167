// zvtextpack: writes C++ source holding texts in the compact form of the built-in messages.
//
//   zvtextpack --text NAME INPUT OUTPUT
//       the whole of INPUT (bytes as they are) as `extern const char NAME[]`
//   zvtextpack --messages INPUT OUTPUT [--block NAME] [--sizes NAME] [--names HEADER]
//       the message block and its size table from "identifier<TAB>text" lines
//       (defaults: gabyBlocRes and _tabTailleChaineRes); with --names, also a header
//       naming the identifiers of the lines that give a name ("identifier name<TAB>text")
#include "tools/textpack/CMessageBlock.h"
#include "tools/textpack/CTextPacker.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

int nUsage()
{
    std::fprintf(stderr,
                 "usage: zvtextpack --text NAME INPUT OUTPUT\n"
                 "       zvtextpack --messages INPUT OUTPUT [--block NAME] [--sizes NAME] [--names HEADER]\n");
    return 2;
}

bool bLitFichier(const std::string& strChemin, std::string& strContenu)
{
    std::ifstream clFichier(strChemin, std::ios::binary);
    if (!clFichier)
        return false;
    std::ostringstream clFlux;
    clFlux << clFichier.rdbuf();
    strContenu = clFlux.str();
    return !clFichier.bad();
}

// Writes only when the content changes, so that the build does not recompile for nothing.
bool bEcritFichier(const std::string& strChemin, const std::string& strContenu)
{
    std::string strAncien;
    if (bLitFichier(strChemin, strAncien) && strAncien == strContenu)
        return true;
    std::ofstream clFichier(strChemin, std::ios::binary | std::ios::trunc);
    clFichier << strContenu;
    clFichier.close();
    return bool(clFichier);
}

// The file name without its folders: the generated source names its origin the same way
// whatever the build folder.
std::string strNomFichier(const std::string& strChemin)
{
    const std::size_t n = strChemin.find_last_of('/');
    return n == std::string::npos ? strChemin : strChemin.substr(n + 1);
}

bool bIdentifiantCpp(const std::string& s)
{
    if (s.empty() || (s[0] >= '0' && s[0] <= '9'))
        return false;
    for (char c : s)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_'))
            return false;
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> vecArgs(argv + 1, argv + argc);
    if (vecArgs.empty())
        return nUsage();

    std::string strEntree, strSortie, strSource, strErreur;
    if (vecArgs[0] == "--text") {
        if (vecArgs.size() != 4 || !bIdentifiantCpp(vecArgs[1]))
            return nUsage();
        strEntree = vecArgs[2];
        strSortie = vecArgs[3];
        std::string strTexte;
        if (!bLitFichier(strEntree, strTexte)) {
            std::fprintf(stderr, "zvtextpack: cannot read %s\n", strEntree.c_str());
            return 1;
        }
        if (!CTextPacker::s_bSourceTexte(vecArgs[1], strTexte, strNomFichier(strEntree), strSource, &strErreur)) {
            std::fprintf(stderr, "zvtextpack: %s: %s\n", strEntree.c_str(), strErreur.c_str());
            return 1;
        }
    } else if (vecArgs[0] == "--messages") {
        if (vecArgs.size() < 3)
            return nUsage();
        strEntree = vecArgs[1];
        strSortie = vecArgs[2];
        std::string strNomBloc = "gabyBlocRes", strNomTailles = "_tabTailleChaineRes", strNoms;
        for (std::size_t i = 3; i < vecArgs.size(); i += 2) {
            if (i + 1 >= vecArgs.size())
                return nUsage();
            if (vecArgs[i] == "--names") {
                strNoms = vecArgs[i + 1];
                continue;
            }
            if (!bIdentifiantCpp(vecArgs[i + 1]))
                return nUsage();
            if (vecArgs[i] == "--block")
                strNomBloc = vecArgs[i + 1];
            else if (vecArgs[i] == "--sizes")
                strNomTailles = vecArgs[i + 1];
            else
                return nUsage();
        }
        std::string strTexte;
        if (!bLitFichier(strEntree, strTexte)) {
            std::fprintf(stderr, "zvtextpack: cannot read %s\n", strEntree.c_str());
            return 1;
        }
        std::vector<CMessageBlock::_stMessage> vecMessages;
        if (!CMessageBlock::s_bLitSource(strTexte, vecMessages, &strErreur) ||
            !CMessageBlock::s_bSource(vecMessages, strNomFichier(strEntree), strNomBloc, strNomTailles,
                                      strSource, &strErreur)) {
            std::fprintf(stderr, "zvtextpack: %s: %s\n", strEntree.c_str(), strErreur.c_str());
            return 1;
        }
        if (!strNoms.empty()) {
            std::string strEntete;
            CMessageBlock::s_Noms(vecMessages, strNomFichier(strEntree), strEntete);
            if (!bEcritFichier(strNoms, strEntete)) {
                std::fprintf(stderr, "zvtextpack: cannot write %s\n", strNoms.c_str());
                return 1;
            }
        }
    } else {
        return nUsage();
    }

    if (!bEcritFichier(strSortie, strSource)) {
        std::fprintf(stderr, "zvtextpack: cannot write %s\n", strSortie.c_str());
        return 1;
    }
    return 0;
}
