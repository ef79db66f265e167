// FuzzScratch: a private directory for the fuzz targets that must hand their input over as a
// file, emptied and removed when the process ends normally.
#pragma once
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace zvfuzz {

class CScratch {
public:
    // The process-wide directory, made on first use under $TMPDIR (else /tmp).
    static CScratch& s_clGet()
    {
        static CScratch cl;
        return cl;
    }
    const std::string& strDir() const { return m_strDir; }
    std::string strChemin(const char* pszNom) const { return m_strDir + "/" + pszNom; }
    // Replaces the file with exactly these bytes; false (and a message) when that fails,
    // which the targets treat as a broken machine rather than a finding.
    bool bEcrit(const std::string& strChemin, const uint8_t* p, size_t n) const
    {
        const int fd = ::open(strChemin.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (fd < 0)
            return false;
        size_t nFait = 0;
        while (nFait < n) {
            const ssize_t r = ::write(fd, p + nFait, n - nFait);
            if (r <= 0) {
                ::close(fd);
                return false;
            }
            nFait += size_t(r);
        }
        return ::close(fd) == 0;
    }
    // Removes every file of the directory (it holds no sub-directory).
    void Vide() const
    {
        if (m_strDir.empty())
            return;
        if (DIR* pDir = ::opendir(m_strDir.c_str())) {
            while (const dirent* pst = ::readdir(pDir))
                if (std::strcmp(pst->d_name, ".") != 0 && std::strcmp(pst->d_name, "..") != 0)
                    ::unlink(strChemin(pst->d_name).c_str());
            ::closedir(pDir);
        }
    }
    CScratch(const CScratch&) = delete;
    CScratch& operator=(const CScratch&) = delete;

private:
    CScratch()
    {
        const char* pszBase = std::getenv("TMPDIR");
        std::string strModele = std::string(pszBase && *pszBase ? pszBase : "/tmp") + "/zvfuzzXXXXXX";
        if (::mkdtemp(&strModele[0]))
            m_strDir = strModele;
        else
            std::abort();
    }
    ~CScratch()
    {
        Vide();
        ::rmdir(m_strDir.c_str());
    }
    std::string m_strDir;
};

// Aborts (a finding) when a property does not hold, naming the check that failed (the
// standalone driver has no stack trace to show).
inline void Verifie(bool b, const char* pszFichier = __builtin_FILE(), int nLigne = __builtin_LINE())
{
    if (!b) {
        std::fprintf(stderr, "property does not hold: %s:%d\n", pszFichier, nLigne);
        std::abort();
    }
}

// The input cut at its NUL bytes: field i, or the fallback when there are fewer fields. An
// empty input may come as a null pointer, which memchr must never be handed, even for no bytes.
inline std::string strChamp(const uint8_t* p, size_t n, unsigned nIndice, const char* pszDefaut)
{
    const auto pNul = [p, n](size_t nDebut) -> const uint8_t* {
        return nDebut < n ? static_cast<const uint8_t*>(std::memchr(p + nDebut, 0, n - nDebut)) : nullptr;
    };
    size_t nDebut = 0;
    for (unsigned i = 0; i < nIndice; ++i) {
        const uint8_t* pFin = pNul(nDebut);
        if (!pFin)
            return pszDefaut;
        nDebut = size_t(pFin - p) + 1;
    }
    const uint8_t* pFin = pNul(nDebut);
    const size_t nFin = pFin ? size_t(pFin - p) : n;
    return nFin > nDebut ? std::string(reinterpret_cast<const char*>(p + nDebut), nFin - nDebut) : std::string();
}

}  // namespace zvfuzz
