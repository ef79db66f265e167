// Fuzz target of the launcher's reading of a library embedded in its own executable: the
// descriptor and the compressed block behind it, read from the file and expanded.
//
// Input: the bytes that follow the executable's code, the descriptor first. The launcher
// reads its own file; while the target runs, opening that file opens the input instead
// (through the replaceable table of system calls).
#include "launcher/CZVExe.h"

#include <fcntl.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "base/containers/CSimpleBuffer.h"
#include "base/system/AppelsSysteme.h"
#include "fuzz/FuzzScratch.h"
#include "launcher/InfoDll.h"

namespace {

using zvfuzz::Verifie;

std::string gstrExe;     // the executable's path as the launcher object holds it
std::string gstrEntree;  // the file that stands for it

int nOpenDetourne(const char* psz, int nFlags, mode_t nMode)
{
    if (psz && gstrExe == psz)
        psz = gstrEntree.c_str();
    return gstAppelsDefaut.pfnOpen(psz, nFlags, nMode);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pbyData, size_t nSize)
{
    zvfuzz::CScratch& clScratch = zvfuzz::CScratch::s_clGet();
    static CZVExe clExe(nullptr, nullptr, "");
    if (gstrEntree.empty()) {
        gstrEntree = clScratch.strChemin("exe");
        gstrExe = clExe.pszGetCheminExe();
        Verifie(!gstrExe.empty());
    }
    Verifie(clScratch.bEcrit(gstrEntree, pbyData, nSize));
    gstAppelsSysteme.pfnOpen.store(nOpenDetourne);

    _stINFODLL stInfo;
    const bool bDescripteur = clExe.bChargeBlock(0, sizeof stInfo, &stInfo);
    Verifie(bDescripteur == (nSize >= sizeof stInfo));
    // Reads never succeed past the end of the file, nor from a negative position.
    unsigned char ab[4];
    Verifie(clExe.bChargeBlock(static_cast<long long>(nSize) - 3, 4, ab) == false);
    Verifie(clExe.bChargeBlock(-1, 1, ab) == false);
    Verifie(clExe.bChargeBlock(static_cast<long long>(nSize), 0, ab));
    if (bDescripteur) {
        CSimpleBuffer clSortie;
        unsigned nSortie = 0xDEADu;
        const bool bLu = clExe.__bDecompresseDLL(0, stInfo, &clSortie, &nSortie);
        const uint64_t qwFin = uint64_t(sizeof stInfo) + stInfo.dwLongueurCompressee;
        if (qwFin > nSize) {
            // A block longer than what the file holds cannot be read.
            Verifie(!bLu && nSortie == 0xDEADu);
        } else if (bLu) {
            // The length reported fits in the buffer; 0 stands for a corrupt block.
            Verifie(nSortie <= clSortie.dwGetSize());
        }
        // A descriptor placed anywhere else than where it was read reads another block.
        CSimpleBuffer clAutre;
        Verifie(!clExe.__bDecompresseDLL(-1, stInfo, &clAutre, nullptr));
        Verifie(!clExe.__bDecompresseDLL(0, stInfo, nullptr, nullptr));
    }
    SYS_RestoreCalls();
    return 0;
}
