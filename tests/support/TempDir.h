// A temporary directory for tests that touch files, removed with its content at the end.
#pragma once

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zvtest {

// The directory is /tmp/PREFIX-XXXXXX (the prefix tells which test left a directory behind
// after a crash). Everything in it goes at the end, also what a test made read-only.
class TempDir {
public:
    explicit TempDir(const char* pszPrefix = "zvtest")
    {
        std::string sTemplate = std::string("/tmp/") + pszPrefix + "-XXXXXX";
        const char* psz = mkdtemp(&sTemplate[0]);
        m_sDir = psz ? psz : "";
    }
    ~TempDir()
    {
        if (!m_sDir.empty() && !bRemoveTree(m_sDir))
            std::fprintf(stderr, "could not remove %s\n", m_sDir.c_str());
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    bool ok() const { return !m_sDir.empty(); }
    const std::string& dir() const { return m_sDir; }
    std::string path(const std::string& sName) const { return m_sDir + "/" + sName; }

    // Removes a tree in this process (no shell: the tests that cannot start programs under an
    // emulator clean up too). Directories are opened up first; links are removed, not followed.
    static bool bRemoveTree(const std::string& sPath)
    {
        struct stat st;
        if (lstat(sPath.c_str(), &st) != 0)
            return errno == ENOENT;
        if (!S_ISDIR(st.st_mode))
            return unlink(sPath.c_str()) == 0;
        chmod(sPath.c_str(), 0700);
        bool bOk = true;
        if (DIR* pDir = opendir(sPath.c_str())) {
            while (const dirent* pEntree = readdir(pDir)) {
                const std::string sNom = pEntree->d_name;
                if (sNom != "." && sNom != "..")
                    bOk = bRemoveTree(sPath + "/" + sNom) && bOk;
            }
            closedir(pDir);
        }
        return rmdir(sPath.c_str()) == 0 && bOk;
    }

private:
    std::string m_sDir;
};

// The whole content of a file ("" when it cannot be read).
inline std::string sReadFile(const std::string& sPath)
{
    std::ifstream in(sPath, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

inline void WriteFile(const std::string& sPath, const std::string& sContent)
{
    std::ofstream out(sPath, std::ios::binary | std::ios::trunc);
    out.write(sContent.data(), static_cast<std::streamsize>(sContent.size()));
}

// Copies a program and makes the copy executable (0755); false when any step failed.
inline bool bCopyExecutable(const std::string& sSource, const std::string& sTarget)
{
    std::ifstream in(sSource, std::ios::binary);
    std::ofstream out(sTarget, std::ios::binary | std::ios::trunc);
    out << in.rdbuf();
    out.close();
    return in.good() && out.good() && chmod(sTarget.c_str(), 0755) == 0;
}

} // namespace zvtest
