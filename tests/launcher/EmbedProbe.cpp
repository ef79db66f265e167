// Test helper: a program built on the launcher object that expands the library embedded in its own file.
//
// Usage: zvtest_embedprobe POSITION OUTPUT. Reads the descriptor at POSITION of its own executable
// file, expands the library behind it with the launcher's own code and writes the expanded bytes
// to OUTPUT. Prints "<reported length> <buffer size>". Exit status: 0 when the expansion ran,
// 2 when the descriptor cannot be read, 3 when the expansion reports failure, 4 on a write error.
#include <cstdio>
#include <cstdlib>

#include "base/containers/CSimpleBuffer.h"
#include "launcher/CZVExe.h"

int main(int argc, char** argv)
{
    if (argc != 3)
        return 1;
    const long long oPosition = std::strtoll(argv[1], nullptr, 10);
    CZVExe clExe(nullptr, nullptr, "");
    _stINFODLL stInfo;
    if (!clExe.bChargeBlock(oPosition, sizeof(stInfo), &stInfo))
        return 2;
    CSimpleBuffer clSortie;
    unsigned int nSortie = 0;
    if (!clExe.__bDecompresseDLL(oPosition, stInfo, &clSortie, &nSortie))
        return 3;
    std::printf("%u %u\n", nSortie, clSortie.dwGetSize());
    FILE* pf = std::fopen(argv[2], "wb");
    if (!pf)
        return 4;
    const bool bOk = nSortie == 0 || std::fwrite(clSortie.pGetData(), 1, nSortie, pf) == nSortie;
    return std::fclose(pf) == 0 && bOk ? 0 : 4;
}
