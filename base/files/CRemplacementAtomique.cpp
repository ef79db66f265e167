// CRemplacementAtomique: replaces the whole content of a file in one step, so that a failure or
// a crash leaves either the old content or the new one, never a cut or mixed file.
#include "base/files/CRemplacementAtomique.h"

#include "base/system/AppelsSysteme.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Links followed before giving up, as the kernel does.
constexpr int kMaxLiens = 40;
// Characters of the file's name kept in the temporary name, which must stay within NAME_MAX.
constexpr std::size_t kMaxNomTemporaire = 200;

std::string sRepertoireDe(const std::string& s)
{
    const std::size_t n = s.rfind('/');
    if (n == std::string::npos)
        return ".";
    return n == 0 ? "/" : s.substr(0, n);
}

std::string sNomDe(const std::string& s)
{
    const std::size_t n = s.rfind('/');
    return n == std::string::npos ? s : s.substr(n + 1);
}

// The directory's entries reach the disk: without it a crash could bring the old name back.
bool bSynchroniseRepertoire(const std::string& sRep)
{
    const int nFd = SYS_nOpen(sRep.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (nFd < 0)
        return false;
    bool bOk = SYS_bSync(nFd, sRep.c_str());
    // Some file systems cannot sync a directory; their renames are then as safe as they get.
    if (!bOk && (errno == EINVAL || errno == EROFS))
        bOk = true;
    const int nErr = errno;
    SYS_bClose(nFd, sRep.c_str());
    errno = nErr;
    return bOk;
}

} // namespace

CRemplacementAtomique::~CRemplacementAtomique()
{
    Abandonne();
}

bool CRemplacementAtomique::_bResoutLiens(const char* pszName)
{
    std::string s = pszName;
    for (int i = 0; i < kMaxLiens; ++i) {
        struct stat64 st;
        if (!SYS_bLstat(s.c_str(), &st)) {
            if (errno != ENOENT)
                return false;
            m_sCible = s;
            m_bExiste = false;
            return true;
        }
        if (!S_ISLNK(st.st_mode)) {
            m_sCible = s;
            m_bExiste = true;
            return true;
        }
        char szLien[PATH_MAX];
        if (SYS_nReadLink(s.c_str(), szLien, sizeof szLien) < 0)
            return false;
        s = szLien[0] == '/' ? std::string(szLien) : sRepertoireDe(s) + "/" + szLien;
    }
    errno = ELOOP;
    SYS_RecordError("resolve", pszName, ELOOP);
    return false;
}

bool CRemplacementAtomique::bOuvre(const char* pszName, long long oTailleFinale, unsigned nOptions)
{
    Abandonne();
    if (!pszName || !*pszName) {
        errno = pszName ? ENOENT : EINVAL;
        SYS_RecordError("open", pszName, errno);
        return false;
    }
    m_oTailleFinale = oTailleFinale;
    m_bCree = false;
    if (!_bResoutLiens(pszName))
        return false;
    if (m_bExiste) {
        struct stat64 st;
        if (!SYS_bStat(m_sCible.c_str(), &st))
            return false;
        if (!S_ISREG(st.st_mode)) {
            if (nOptions & eREGULIER_SEULEMENT) {
                errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
                SYS_RecordError("replace", m_sCible.c_str(), errno);
                return false;
            }
            return _bOuvreDirect();
        }
        m_nMode = st.st_mode & 07777;
        m_nUid = st.st_uid;
        m_nGid = st.st_gid;
        m_nLiens = st.st_nlink;
        m_oTailleAvant = st.st_size;
        if (m_nLiens > 1)
            return _bOuvreEnPlace();
    }
    bool bRepli = false;
    if (_bOuvreTemporaire(bRepli))
        return true;
    if (bRepli && m_bExiste)
        return _bOuvreEnPlace();
    return false;
}

bool CRemplacementAtomique::_bOuvreTemporaire(bool& bRepli)
{
    std::string sNom = sNomDe(m_sCible);
    if (sNom.size() > kMaxNomTemporaire)
        sNom.resize(kMaxNomTemporaire);
    std::string sTemp = sRepertoireDe(m_sCible) + "/." + sNom + ".XXXXXX";
    m_nFd = SYS_nCreateUnique(&sTemp[0], O_WRONLY | O_CLOEXEC, m_bExiste ? 0600 : 0666);
    if (m_nFd < 0) {
        bRepli = errno == EACCES || errno == EPERM || errno == ENOSPC || errno == EDQUOT;
        return false;
    }
    m_sEcrit = sTemp;
    m_eMode = eATOMIQUE;
    m_bCree = !m_bExiste;
    if (!m_bExiste)
        return true;
    // The owner first: a change of owner drops the set-user and set-group bits.
    struct stat64 st;
    if (!SYS_bFstat(m_nFd, &st, m_sEcrit.c_str())) {
        Abandonne();
        return false;
    }
    if ((st.st_uid != m_nUid || st.st_gid != m_nGid) && !SYS_bFchown(m_nFd, m_nUid, m_nGid, m_sEcrit.c_str())) {
        bRepli = errno == EPERM;
        Abandonne();
        return false;
    }
    if ((st.st_mode & 07777) != m_nMode && !SYS_bFchmod(m_nFd, m_nMode, m_sEcrit.c_str())) {
        Abandonne();
        return false;
    }
    return true;
}

bool CRemplacementAtomique::_bOuvreEnPlace()
{
    m_nFd = SYS_nOpen(m_sCible.c_str(), O_WRONLY | O_CLOEXEC);
    if (m_nFd < 0)
        return false;
    m_sEcrit = m_sCible;
    m_eMode = eEN_PLACE;
    if (m_oTailleFinale > m_oTailleAvant && !SYS_bAllocate(m_nFd, 0, m_oTailleFinale, m_sEcrit.c_str())) {
        // The reservation may have grown the file before it failed: its old size comes back.
        const int nErr = errno;
        SYS_bTruncate(m_nFd, m_oTailleAvant, m_sEcrit.c_str());
        errno = nErr;
        _Ferme();
        return false;
    }
    return true;
}

bool CRemplacementAtomique::_bOuvreDirect()
{
    m_nFd = SYS_nOpen(m_sCible.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (m_nFd < 0)
        return false;
    m_sEcrit = m_sCible;
    m_eMode = eDIRECT;
    return true;
}

bool CRemplacementAtomique::bEcrit(const void* p, std::size_t n)
{
    if (m_nFd < 0) {
        errno = EBADF;
        return false;
    }
    return SYS_bWriteAll(m_nFd, p, n, nullptr, m_sEcrit.c_str());
}

void CRemplacementAtomique::_Ferme()
{
    const int nErr = errno;
    SYS_bClose(m_nFd, m_sEcrit.c_str());
    errno = nErr;
    m_nFd = -1;
    m_eMode = eFERME;
}

bool CRemplacementAtomique::bValide()
{
    if (m_nFd < 0) {
        errno = EBADF;
        return false;
    }
    const int nFd = m_nFd;
    const eMODE eMode = m_eMode;
    m_nFd = -1;
    m_eMode = eFERME;
    bool bOk = true;
    if (eMode == eEN_PLACE) {
        // Cut where the new content ends (its writers may have used the descriptor directly).
        const off64_t oFin = SYS_oSeek(nFd, 0, SEEK_CUR, m_sEcrit.c_str());
        bOk = oFin >= 0 && SYS_bTruncate(nFd, oFin, m_sEcrit.c_str());
    }
    if (bOk && eMode != eDIRECT)
        bOk = SYS_bSync(nFd, m_sEcrit.c_str());
    const int nErr = errno;
    const bool bFerme = SYS_bClose(nFd, m_sEcrit.c_str());
    if (!bOk)
        errno = nErr;
    bOk = bOk && bFerme;
    if (eMode != eATOMIQUE)
        return bOk;
    if (!bOk || !SYS_bRename(m_sEcrit.c_str(), m_sCible.c_str())) {
        const int nErreur = errno;
        SYS_bUnlink(m_sEcrit.c_str());
        errno = nErreur;
        return false;
    }
    return bSynchroniseRepertoire(sRepertoireDe(m_sCible));
}

void CRemplacementAtomique::Abandonne()
{
    if (m_nFd < 0)
        return;
    const int nErr = errno;
    const eMODE eMode = m_eMode;
    SYS_bClose(m_nFd, m_sEcrit.c_str());
    m_nFd = -1;
    m_eMode = eFERME;
    if (eMode == eATOMIQUE)
        SYS_bUnlink(m_sEcrit.c_str());
    errno = nErr;
}
