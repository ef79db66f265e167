// Program entry of ZVExe: message access, command line, then the normal launch through CZVExe.
#include <cstdio>

#include "base/messages/AccesDllRes.h"
#include "launcher/CZVExe.h"
#include "launcher/CmdLine.h"

namespace {

constexpr const char gszMsgServiceAbsent[] =
    "Le mode service (--SERVICE) n'est pas disponible dans cette version.\r\n"
    "Service mode (--SERVICE) is not available in this build.";

}  // namespace

int main(int argc, char** argv)
{
    int nExit = 0;
    DLLRES_bInit(nullptr, 0);
    SetCommandLine(argc > 0 ? argc - 1 : 0, argc > 0 ? argv + 1 : argv);

    if (bSetOnCmdLine(argc, argv, "--SERVICE")) {
        std::fputs(gszMsgServiceAbsent, stderr);
        std::fputc('\n', stderr);
        return -1;
    }

    CZVExe clExe(nullptr, nullptr, GetCommandLine());
    if (!clExe.bInit(&nExit))
        return nExit;
    nExit = clExe.nRun();
    clExe.bTerm();
    return nExit;
}
