// NotifySystemd: the readiness protocol of a service manager, one datagram per message to NOTIFY_SOCKET.
#include "service/NotifySystemd.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "base/system/AppelsSysteme.h"

namespace {

bool gbActif = false;
bool gbAdresse = false; // the address below is usable
sockaddr_un gstAdresse;
socklen_t gnAdresse = 0;

} // namespace

bool NOTIFY_bInit()
{
    NOTIFY_Oublie();
    const char* pszSocket = std::getenv("NOTIFY_SOCKET");
    if (pszSocket == nullptr || pszSocket[0] == '\0')
        return false;
    gbActif = true;
    const size_t n = std::strlen(pszSocket);
    // An abstract name is not NUL-terminated; a path is.
    const bool bAbstrait = pszSocket[0] == '@';
    if ((pszSocket[0] == '/' || bAbstrait) && n >= 2 && n + (bAbstrait ? 0 : 1) <= sizeof(gstAdresse.sun_path)) {
        std::memset(&gstAdresse, 0, sizeof(gstAdresse));
        gstAdresse.sun_family = AF_UNIX;
        std::memcpy(gstAdresse.sun_path, pszSocket, n);
        if (bAbstrait)
            gstAdresse.sun_path[0] = '\0';
        gnAdresse = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + n + (bAbstrait ? 0 : 1));
        gbAdresse = true;
    }
    unsetenv("NOTIFY_SOCKET");
    return true;
}

bool NOTIFY_bActif()
{
    return gbActif;
}

bool NOTIFY_bEnvoie(const char* pszMessage)
{
    if (!gbActif || !gbAdresse || pszMessage == nullptr)
        return false;
    const int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const size_t n = std::strlen(pszMessage);
    ssize_t nEnvoye;
    do {
        nEnvoye = sendto(fd, pszMessage, n, MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&gstAdresse), gnAdresse);
    } while (nEnvoye < 0 && errno == EINTR);
    SYS_bClose(fd);
    return nEnvoye == static_cast<ssize_t>(n);
}

void NOTIFY_Oublie()
{
    gbActif = false;
    gbAdresse = false;
    gnAdresse = 0;
}
