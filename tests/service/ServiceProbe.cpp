// A daemon built like ZVExe's daemon branch, around a server object whose service user, own directory and core-dump choice come from the command line.
//
//   ServiceProbe [--user NAME] [--dir PATH] [--core] [--foreground] --SERVICE NAME [arguments...]
//
// --foreground runs the service with RunDebugMode instead of ServiceMain.
#include <cstdio>
#include <cstring>
#include <string>

#include "base/messages/AccesDllRes.h"
#include "base/strings/CTString.h"
#include "launcher/CmdLine.h"
#include "service/CServerMain.h"
#include "service/ServiceMain.h"

namespace {

class CServeurSonde : public CServerMain {
public:
    std::string m_sUser, m_sRep;
    bool m_bCore = false;

    int vbWithCoreDump() override { return m_bCore ? 1 : 0; }
    int vbGetServiceUser(char* pszUser) override
    {
        if (m_sUser.empty())
            return 0;
        std::snprintf(pszUser, gnTailleUtilisateurService, "%s", m_sUser.c_str());
        return 1;
    }
    int vbGetOwnDirectory(char* pszRep) override
    {
        if (m_sRep.empty())
            return 0;
        std::snprintf(pszRep, gnTailleRepService, "%s", m_sRep.c_str());
        return 1;
    }
};

} // namespace

int main(int argc, char** argv)
{
    DLLRES_bInit(nullptr, 0);
    SetCommandLine(argc > 0 ? argc - 1 : 0, argc > 0 ? argv + 1 : argv);

    CServeurSonde* pcl = new CServeurSonde;
    bool bPremierPlan = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--user") == 0 && i + 1 < argc)
            pcl->m_sUser = argv[++i];
        else if (std::strcmp(argv[i], "--dir") == 0 && i + 1 < argc)
            pcl->m_sRep = argv[++i];
        else if (std::strcmp(argv[i], "--core") == 0)
            pcl->m_bCore = true;
        else if (std::strcmp(argv[i], "--foreground") == 0)
            bPremierPlan = true;
    }
    gpclServerMain = pcl;
    gpclServiceImp = pcl;
    int nExit = 0;
    if (bPremierPlan) {
        RunDebugMode();
    } else {
        CTString clNom;
        bGetCmdLineValue(argc, argv, "--SERVICE", &clNom);
        nExit = ServiceMain(clNom.pszGet());
    }
    Term();
    return nExit;
}
