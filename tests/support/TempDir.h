// A temporary directory for tests that touch files, removed with its content at the end.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <sys/stat.h>

namespace zvtest {

class TempDir {
public:
    TempDir()
    {
        char szTemplate[] = "/tmp/zvtestXXXXXX";
        const char* psz = mkdtemp(szTemplate);
        m_sDir = psz ? psz : "";
    }
    ~TempDir()
    {
        if (!m_sDir.empty()) {
            const std::string sCmd = "rm -rf '" + m_sDir + "'";
            if (std::system(sCmd.c_str()) != 0)
                std::fprintf(stderr, "could not remove %s\n", m_sDir.c_str());
        }
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    bool ok() const { return !m_sDir.empty(); }
    const std::string& dir() const { return m_sDir; }
    std::string path(const std::string& sName) const { return m_sDir + "/" + sName; }

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
