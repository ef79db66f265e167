// Program entry of ZVExe: message access, command line, then daemon mode or the normal launch through CZVExe.
#include <new>

#include "base/messages/AccesDllRes.h"
#include "base/strings/CTString.h"
#include "launcher/CZVExe.h"
#include "launcher/CmdLine.h"
#include "service/CServerMain.h"
#include "service/ServiceMain.h"

int main(int argc, char** argv)
{
    int nExit = 0;
    DLLRES_bInit(nullptr, 0);
    SetCommandLine(argc > 0 ? argc - 1 : 0, argc > 0 ? argv + 1 : argv);

    if (bSetOnCmdLine(argc, argv, "--SERVICE")) {
        gpclServerMain = new (std::nothrow) CServerMain;
        if (gpclServerMain == nullptr)
            return -1;
        gpclServiceImp = gpclServerMain;
        CTString clNom;
        bGetCmdLineValue(argc, argv, "--SERVICE", &clNom);
        nExit = ServiceMain(clNom.pszGet());
        Term();
        return nExit;
    }

    CZVExe clExe(nullptr, nullptr, GetCommandLine());
    if (!clExe.bInit(&nExit))
        return nExit;
    nExit = clExe.nRun();
    clExe.bTerm();
    Term();
    return nExit;
}
