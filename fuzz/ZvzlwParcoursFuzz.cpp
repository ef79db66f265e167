// Fuzz target of zvzlw's walk over a stream of compressed blocks: the listing (-l), the
// expansion to standard output (-dc), and the round trip of the input compressed twice (-c).
//
// Input: the stream's bytes. Standard output and standard error go to files of the target's
// own while zvzlw runs (set ZV_FUZZ_VERBOSE to keep standard error, for a reproduction).
#include "tools/zvzlw/Zvzlw.h"

#include <fcntl.h>
#include <unistd.h>

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/FuzzScratch.h"

namespace {

using zvfuzz::Verifie;

std::string strLitFichier(const std::string& strChemin)
{
    std::ifstream in(strChemin, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// zvzlw on these arguments, standard output into strSortie; the exit status.
int nLance(std::vector<const char*> vArguments, const std::string& strSortie)
{
    static const bool bVerbeux = std::getenv("ZV_FUZZ_VERBOSE") != nullptr;
    zvfuzz::CScratch& clScratch = zvfuzz::CScratch::s_clGet();
    std::fflush(stdout);
    std::fflush(stderr);
    const int fdSortie = ::open(strSortie.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const int fdBruit = ::open(clScratch.strChemin("stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const int fdStdout = ::dup(STDOUT_FILENO);
    const int fdStderr = ::dup(STDERR_FILENO);
    Verifie(fdSortie >= 0 && fdBruit >= 0 && fdStdout >= 0 && fdStderr >= 0);
    Verifie(::dup2(fdSortie, STDOUT_FILENO) >= 0 && (bVerbeux || ::dup2(fdBruit, STDERR_FILENO) >= 0));
    vArguments.insert(vArguments.begin(), "zvzlw");
    vArguments.push_back(nullptr);
    const int nCode = ZVZLW_nMain(int(vArguments.size() - 1), const_cast<char**>(vArguments.data()));
    std::fflush(stdout);
    std::fflush(stderr);
    Verifie(::dup2(fdStdout, STDOUT_FILENO) >= 0 && ::dup2(fdStderr, STDERR_FILENO) >= 0);
    ::close(fdStdout);
    ::close(fdStderr);
    ::close(fdSortie);
    ::close(fdBruit);
    return nCode;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pbyData, size_t nSize)
{
    zvfuzz::CScratch& clScratch = zvfuzz::CScratch::s_clGet();
    const std::string strEntree = clScratch.strChemin("in.zlw");
    const std::string strListe = clScratch.strChemin("list");
    const std::string strExpanse = clScratch.strChemin("out");
    Verifie(clScratch.bEcrit(strEntree, pbyData, nSize));

    // The listing: blocks follow one another from offset 0 and never reach past the input.
    const int nListe = nLance({"-l", strEntree.c_str()}, strListe);
    Verifie(nListe == 0 || nListe == 1);
    const std::string strTexte = strLitFichier(strListe);
    uint64_t qwPosition = 0, qwExpanse = 0, qwBlocs = 0;
    bool bMethode2 = false, bTotal = false;
    for (size_t nDebut = 0; nDebut < strTexte.size();) {
        size_t nFin = strTexte.find('\n', nDebut);
        Verifie(nFin != std::string::npos && !bTotal);
        const std::string strLigne = strTexte.substr(nDebut, nFin - nDebut);
        nDebut = nFin + 1;
        const size_t nBloc = strLigne.find(": block ");
        if (nBloc == std::string::npos) {
            // The last line of a listing that succeeds: the totals of the lines before it.
            unsigned long long qwN = 0, qwOctets = 0, qwTaille = 0;
            const size_t nDeux = strLigne.rfind(": ");
            Verifie(nDeux != std::string::npos);
            Verifie(std::sscanf(strLigne.c_str() + nDeux, ": %llu block%*[s], %llu bytes, expand to %llu", &qwN, &qwOctets,
                                &qwTaille) == 3 ||
                    std::sscanf(strLigne.c_str() + nDeux, ": %llu block, %llu bytes, expand to %llu", &qwN, &qwOctets,
                                &qwTaille) == 3);
            Verifie(qwN == qwBlocs && qwOctets == qwPosition && qwTaille == qwExpanse);
            bTotal = true;
            continue;
        }
        unsigned nNumero = 0;
        unsigned long long qwOffset = 0, qwOctets = 0, qwTaille = 0;
        char szMethode[32] = {};
        Verifie(std::sscanf(strLigne.c_str() + nBloc, ": block %u at offset %llu: %31[^,], %llu bytes, expands to %llu",
                            &nNumero, &qwOffset, szMethode, &qwOctets, &qwTaille) == 5);
        Verifie(qwOffset == qwPosition && qwOctets > 0 && qwOffset + qwOctets <= nSize);
        bMethode2 = bMethode2 || std::strcmp(szMethode, "method 2") == 0;
        qwPosition += qwOctets;
        qwExpanse += qwTaille;
        ++qwBlocs;
    }
    // A listing that succeeds has walked the whole input, and only it ends with the totals.
    Verifie(bTotal == (nListe == 0));
    if (nListe == 0)
        Verifie(qwPosition == nSize && nSize > 0);

    // The expansion walks the same blocks: it succeeds only where the listing did, and then
    // gives exactly the sizes the listing announced.
    const int nExpanse = nLance({"-dc", strEntree.c_str()}, strExpanse);
    Verifie(nExpanse == 0 || nExpanse == 1);
    if (nExpanse == 0) {
        Verifie(nListe == 0 && !bMethode2);
        std::string strSortie = strLitFichier(strExpanse);
        Verifie(strSortie.size() == qwExpanse);

        // Compressed again, twice into one stream, it expands back to the same bytes twice.
        if (strSortie.size() <= 4096) {
            const std::string strClair = clScratch.strChemin("plain");
            const std::string strDouble = clScratch.strChemin("twice.zlw");
            Verifie(clScratch.bEcrit(strClair, reinterpret_cast<const uint8_t*>(strSortie.data()), strSortie.size()));
            Verifie(nLance({"-c", strClair.c_str(), strClair.c_str()}, strDouble) == 0);
            Verifie(nLance({"-dc", strDouble.c_str()}, strExpanse) == 0);
            Verifie(strLitFichier(strExpanse) == strSortie + strSortie);

            // Cut into small blocks, the stream's bytes do not depend on the number of threads,
            // and it expands back on any number of them.
            const std::string strUn = clScratch.strChemin("t1.zlw");
            const std::string strTrois = clScratch.strChemin("t3.zlw");
            Verifie(nLance({"-c", "-B", "509", "-T", "1", strClair.c_str()}, strUn) == 0);
            Verifie(nLance({"-c", "-B", "509", "-T", "3", strClair.c_str()}, strTrois) == 0);
            Verifie(strLitFichier(strUn) == strLitFichier(strTrois));
            Verifie(nLance({"-dc", "-T", "2", strTrois.c_str()}, strExpanse) == 0);
            Verifie(strLitFichier(strExpanse) == strSortie);
        }
    }
    return 0;
}
