// Whether the test runs under user-mode emulation (qemu-user), and the skips that follow.
//
// An i386 build may run on a host that executes 64-bit programs only: the kernel then hands
// every i386 program to an emulator registered with binfmt_misc, or the harness runs the test
// through the emulator itself (zvtestrun --emulator, which sets ZV_TEST_EMULATOR). A few
// behaviours of the emulator differ from a native process; the tests that meet them skip
// under emulation only, naming the cause, and keep running natively (x86_64 and asan presets).
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <dirent.h>
#include <string>
#include <vector>

namespace zvtest {

namespace detail {

inline std::string sReadAll(const std::string& sPath, size_t nMax = 1 << 16)
{
    std::string s;
    const int fd = open(sPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return s;
    char ab[4096];
    ssize_t n;
    while (s.size() < nMax && (n = read(fd, ab, sizeof(ab))) > 0)
        s.append(ab, static_cast<size_t>(n));
    close(fd);
    return s;
}

// "7f454c46..." -> bytes; empty on a malformed text.
inline std::vector<unsigned char> Hex(const std::string& s)
{
    std::vector<unsigned char> ab;
    if (s.size() % 2 != 0)
        return {};
    for (size_t i = 0; i < s.size(); i += 2) {
        const std::string sOctet = s.substr(i, 2);
        char* pszFin = nullptr;
        const unsigned long n = std::strtoul(sOctet.c_str(), &pszFin, 16);
        if (*pszFin != '\0')
            return {};
        ab.push_back(static_cast<unsigned char>(n));
    }
    return ab;
}

// The value of "key value" in a binfmt_misc entry, "" when absent.
inline std::string sChamp(const std::string& sEntree, const std::string& sCle)
{
    size_t n = 0;
    while (n < sEntree.size()) {
        size_t nFin = sEntree.find('\n', n);
        if (nFin == std::string::npos)
            nFin = sEntree.size();
        const std::string sLigne = sEntree.substr(n, nFin - n);
        if (sLigne.compare(0, sCle.size() + 1, sCle + " ") == 0)
            return sLigne.substr(sCle.size() + 1);
        n = nFin + 1;
    }
    return "";
}

// The interpreter of the enabled binfmt_misc entry that matches this program's first bytes.
inline std::string sInterpreteBinfmt()
{
    const std::string sRep = "/proc/sys/fs/binfmt_misc/";
    if (sReadAll(sRep + "status").compare(0, 7, "enabled") != 0)
        return "";
    // Under qemu-user, /proc/self/exe is the emulated program, as wanted here.
    const std::string sEntete = sReadAll("/proc/self/exe", 256);
    std::string sTrouve;
    DIR* pDir = opendir(sRep.c_str());
    if (pDir == nullptr)
        return "";
    while (dirent* p = readdir(pDir)) {
        const std::string sNom = p->d_name;
        if (sNom == "." || sNom == ".." || sNom == "status" || sNom == "register")
            continue;
        const std::string sEntree = sReadAll(sRep + sNom);
        if (sEntree.compare(0, 8, "enabled\n") != 0)
            continue;
        const std::vector<unsigned char> abMagie = Hex(sChamp(sEntree, "magic"));
        std::vector<unsigned char> abMasque = Hex(sChamp(sEntree, "mask"));
        const size_t nDecalage = static_cast<size_t>(std::atol(sChamp(sEntree, "offset").c_str()));
        if (abMagie.empty() || nDecalage + abMagie.size() > sEntete.size())
            continue;
        if (abMasque.size() != abMagie.size())
            abMasque.assign(abMagie.size(), 0xFF);
        bool bEgal = true;
        for (size_t i = 0; i < abMagie.size() && bEgal; ++i) {
            const unsigned char c = static_cast<unsigned char>(sEntete[nDecalage + i]);
            bEgal = (c & abMasque[i]) == (abMagie[i] & abMasque[i]);
        }
        if (bEgal) {
            sTrouve = sChamp(sEntree, "interpreter");
            break;
        }
    }
    closedir(pDir);
    return sTrouve;
}

} // namespace detail

// The emulator that runs this process; "" when it runs natively.
inline const std::string& sEmulator()
{
    static const std::string s = [] {
        const char* psz = std::getenv("ZV_TEST_EMULATOR");
        return psz != nullptr && *psz != '\0' ? std::string(psz) : detail::sInterpreteBinfmt();
    }();
    return s;
}

// Programs of this build that the test starts can run: natively, or handed to the emulator
// by the kernel. Not so when only the harness runs the test through the emulator.
inline bool bChildrenCanRun()
{
    const char* psz = std::getenv("ZV_TEST_EMULATOR");
    return psz == nullptr || *psz == '\0';
}

} // namespace zvtest

// Skips the current test when it runs under user-mode emulation; the cause is said.
// (For test sources: they include GoogleTest before.)
#define ZVTEST_SKIP_UNDER_EMULATION(cause)                                                               \
    do {                                                                                                 \
        if (!zvtest::sEmulator().empty())                                                                \
            GTEST_SKIP() << "skipped under user-mode emulation (" << zvtest::sEmulator() << "): " << cause \
                         << "; covered by the native runs";                                              \
    } while (0)

// Skips the current test when programs of this build that it starts cannot be executed.
#define ZVTEST_SKIP_UNLESS_CHILDREN_RUN()                                                                 \
    do {                                                                                                  \
        if (!zvtest::bChildrenCanRun())                                                                   \
            GTEST_SKIP() << "skipped: the test runs through " << zvtest::sEmulator()                      \
                         << " but this host cannot execute the programs it starts (64-bit programs only, " \
                         << "no binfmt_misc registration: run scripts/setup-deps as root)";               \
    } while (0)
