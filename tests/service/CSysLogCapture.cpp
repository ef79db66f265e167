// CSysLogCapture: the system log of a test, read from a socket at /dev/log inside a private mount namespace.
#include "service/CSysLogCapture.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

const char kszRepPrive[] = "/var/run/zvtest-dev";

long long MsMonotone()
{
    timespec st;
    clock_gettime(CLOCK_MONOTONIC, &st);
    return st.tv_sec * 1000LL + st.tv_nsec / 1000000L;
}

std::string Erreur(const std::string& sQuoi)
{
    return sQuoi + ": " + std::strerror(errno);
}

// Fills sCible (an empty directory) with bind mounts of every entry of /dev but "log".
bool RepliqueDev(const std::string& sCible, std::string* psRaison)
{
    DIR* pDir = opendir("/dev");
    if (pDir == nullptr) {
        *psRaison = Erreur("opendir /dev");
        return false;
    }
    bool bOk = true;
    while (dirent* p = readdir(pDir)) {
        const std::string sNom = p->d_name;
        if (sNom == "." || sNom == ".." || sNom == "log")
            continue;
        const std::string sSource = "/dev/" + sNom, sDest = sCible + "/" + sNom;
        struct stat st;
        if (lstat(sSource.c_str(), &st) != 0)
            continue;
        if (S_ISLNK(st.st_mode)) {
            char szLien[4096];
            const ssize_t n = readlink(sSource.c_str(), szLien, sizeof(szLien) - 1);
            if (n < 0)
                continue;
            szLien[n] = '\0';
            bOk = symlink(szLien, sDest.c_str()) == 0;
        } else if (S_ISDIR(st.st_mode)) {
            bOk = mkdir(sDest.c_str(), 0755) == 0 &&
                  mount(sSource.c_str(), sDest.c_str(), nullptr, MS_BIND | MS_REC, nullptr) == 0;
        } else {
            const int fd = open(sDest.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0600);
            bOk = fd >= 0 && close(fd) == 0 &&
                  mount(sSource.c_str(), sDest.c_str(), nullptr, MS_BIND, nullptr) == 0;
        }
        if (!bOk) {
            *psRaison = Erreur("copy of " + sSource);
            break;
        }
    }
    closedir(pDir);
    return bOk;
}

} // namespace

CSysLogCapture* CSysLogCapture::s_pclGet(std::string* psRaison)
{
    static CSysLogCapture* s_pcl = nullptr;
    static std::string s_sRaison;
    static bool s_bEssaye = false;
    if (!s_bEssaye) {
        s_bEssaye = true;
        CSysLogCapture* pcl = new CSysLogCapture;
        if (pcl->_bPrepare(&s_sRaison))
            s_pcl = pcl;
        else
            delete pcl;
    }
    if (s_pcl == nullptr && psRaison != nullptr)
        *psRaison = s_sRaison;
    return s_pcl;
}

bool CSysLogCapture::_bPrepare(std::string* psRaison)
{
    if (geteuid() != 0) {
        *psRaison = "these tests need root (a private mount namespace, /var/run and /dev/log of their own)";
        return false;
    }
    if (unshare(CLONE_NEWNS) != 0) {
        *psRaison = Erreur("unshare(CLONE_NEWNS)");
        return false;
    }
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        *psRaison = Erreur("making / private");
        return false;
    }
    if (mount("zvtest-run", "/var/run", "tmpfs", 0, "mode=0755") != 0) {
        *psRaison = Erreur("tmpfs on /var/run");
        return false;
    }
    // The copy of /dev lives in the namespace's own /var/run: nothing is left on the machine.
    if (mkdir(kszRepPrive, 0755) != 0) {
        *psRaison = Erreur("mkdir");
        return false;
    }
    if (!RepliqueDev(kszRepPrive, psRaison))
        return false;

    m_fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_un stAdresse = {};
    stAdresse.sun_family = AF_UNIX;
    const std::string sSocket = std::string(kszRepPrive) + "/log";
    std::strncpy(stAdresse.sun_path, sSocket.c_str(), sizeof(stAdresse.sun_path) - 1);
    const int nUn = 1;
    if (m_fd < 0 || bind(m_fd, reinterpret_cast<sockaddr*>(&stAdresse), sizeof(stAdresse)) != 0 ||
        chmod(sSocket.c_str(), 0666) != 0 || setsockopt(m_fd, SOL_SOCKET, SO_PASSCRED, &nUn, sizeof(nUn)) != 0) {
        *psRaison = Erreur("the log socket");
        return false;
    }
    if (mount(kszRepPrive, "/dev", nullptr, MS_BIND | MS_REC, nullptr) != 0) {
        *psRaison = Erreur("bind mount on /dev");
        return false;
    }
    return true;
}

bool CSysLogCapture::_bLitUne(int nMs)
{
    pollfd stPoll = {m_fd, POLLIN, 0};
    if (poll(&stPoll, 1, nMs) <= 0)
        return false;
    char szTampon[8192];
    char abControle[CMSG_SPACE(sizeof(ucred))];
    iovec stIov = {szTampon, sizeof(szTampon) - 1};
    msghdr stMsg = {};
    stMsg.msg_iov = &stIov;
    stMsg.msg_iovlen = 1;
    stMsg.msg_control = abControle;
    stMsg.msg_controllen = sizeof(abControle);
    const ssize_t n = recvmsg(m_fd, &stMsg, MSG_DONTWAIT);
    if (n < 0)
        return false;
    stLIGNELOG st;
    for (cmsghdr* p = CMSG_FIRSTHDR(&stMsg); p != nullptr; p = CMSG_NXTHDR(&stMsg, p)) {
        if (p->cmsg_level == SOL_SOCKET && p->cmsg_type == SCM_CREDENTIALS) {
            ucred stCred;
            std::memcpy(&stCred, CMSG_DATA(p), sizeof(stCred));
            st.pid = stCred.pid;
        }
    }
    const std::string s(szTampon, static_cast<size_t>(n));
    const size_t nFinPri = s.find('>');
    if (s.size() > 0 && s[0] == '<' && nFinPri != std::string::npos) {
        const int nPri = std::atoi(s.substr(1, nFinPri - 1).c_str());
        st.nPriorite = nPri & 7;
        st.nFacilite = nPri >> 3;
        // Then a time stamp of 15 characters and a blank, then "TAG: ".
        const size_t nTag = nFinPri + 1 + 16;
        const size_t nSep = s.find(": ", nTag);
        if (nTag <= s.size() && nSep != std::string::npos) {
            st.sTag = s.substr(nTag, nSep - nTag);
            st.sTexte = s.substr(nSep + 2);
        } else {
            st.sTexte = s.substr(nFinPri + 1);
        }
    } else {
        st.sTexte = s;
    }
    m_astLignes.push_back(st);
    return true;
}

void CSysLogCapture::Releve()
{
    while (_bLitUne(0)) {
    }
}

bool CSysLogCapture::bAttend(const std::function<bool(const stLIGNELOG&)>& fn, int nMs)
{
    size_t nVu = 0;
    const long long nFin = MsMonotone() + nMs;
    for (;;) {
        for (; nVu < m_astLignes.size(); ++nVu) {
            if (fn(m_astLignes[nVu]))
                return true;
        }
        const long long nReste = nFin - MsMonotone();
        if (nReste <= 0)
            return false;
        _bLitUne(static_cast<int>(nReste));
    }
}

bool CSysLogCapture::bAttendTexte(const std::string& sTexte, int nMs)
{
    return bAttend([&](const stLIGNELOG& st) { return st.sTexte == sTexte; }, nMs);
}

std::vector<stLIGNELOG> CSysLogCapture::Trouve(const std::string& sTexte) const
{
    std::vector<stLIGNELOG> ast;
    for (const stLIGNELOG& st : m_astLignes) {
        if (st.sTexte == sTexte)
            ast.push_back(st);
    }
    return ast;
}

void CSysLogCapture::Vide()
{
    Releve();
    m_astLignes.clear();
}
