// CParametreExecution: names the ".ZX" parameter file and reads and writes it as a profile file.
#include "base/settings/CParametreExecution.h"

#include "base/files/CDiskFile.h"
#include "base/settings/Profile.h"
#include "base/strings/StrMap.h"

#include <cstdio>
#include <cstring>

CParametreExecution::CParametreExecution()
{
    m_szFichier[0] = '\0';
    m_szNomStandard[0] = '\0';
    m_szNomApplication[0] = '\0';
    m_szCleCryptage[0] = '\0';
}

bool CParametreExecution::Initialise(const char* pszPath)
{
    m_szFichier[0] = '\0';
    m_szNomStandard[0] = '\0';
    m_szNomApplication[0] = '\0';
    if (!pszPath)
        return false;
    const std::size_t nLen = std::strlen(pszPath);
    if (nLen + 1 > ZV_PATH_SIZE)
        return false;
    char szFichier[ZV_PATH_SIZE];
    std::memcpy(szFichier, pszPath, nLen + 1);
    CDiskFile::ChangeExtension(szFichier, ZV_PATH_SIZE, ".ZX");
    // ChangeExtension cuts what does not fit: a cut name would be another file.
    const std::size_t nNew = std::strlen(szFichier);
    if (nNew < 3 || std::strcmp(szFichier + nNew - 3, ".ZX") != 0)
        return false;
    std::memcpy(m_szFichier, szFichier, nNew + 1);
    CDiskFile::SplitPath(pszPath, nullptr, m_szNomStandard, nullptr);
    STR_nMapStringEx(STR_MAP_CASE | STR_MAP_NOACCENT | STR_MAP_NOPUNCT, m_szNomApplication, ZV_PATH_SIZE,
                     m_szNomStandard, -1, 1);
    return true;
}

bool CParametreExecution::bDisponible()
{
    return m_szFichier[0] && CDiskFile::bIsAFile(m_szFichier);
}

int CParametreExecution::nLitChaine(const char* pszKey, const char* pszDefault, char* pszBuffer, int nSize)
{
    return nLitChaineSection("", pszKey, pszDefault, pszBuffer, nSize);
}

int CParametreExecution::nLitChaineSection(const char* pszSection, const char* pszKey, const char* pszDefault,
                                           char* pszBuffer, int nSize)
{
    if (!m_szFichier[0])
        return 0;
    return static_cast<int>(GetPrivateProfileString(pszSection, pszKey, pszDefault, pszBuffer,
                                                    nSize > 0 ? static_cast<unsigned>(nSize) : 0u, m_szFichier));
}

int CParametreExecution::nLitEntier(const char* pszKey, int nDefault)
{
    return nLitEntierSection("", pszKey, nDefault);
}

int CParametreExecution::nLitEntierSection(const char* pszSection, const char* pszKey, int nDefault)
{
    if (!m_szFichier[0])
        return 0;
    return GetPrivateProfileInt(pszSection, pszKey, nDefault, m_szFichier);
}

int CParametreExecution::nLitChaineML(const char* pszKey1, const char* pszKey2, const char* pszDefault,
                                      char* pszBuffer, int nSize)
{
    return nLitChaineSectionML("", pszKey1, "", pszKey2, pszDefault, pszBuffer, nSize);
}

int CParametreExecution::nLitChaineSectionML(const char* pszSection1, const char* pszKey1, const char* pszSection2,
                                             const char* pszKey2, const char* pszDefault, char* pszBuffer,
                                             int nSize)
{
    const int n = nLitChaineSection(pszSection1, pszKey1, nullptr, pszBuffer, nSize);
    if (n > 0)
        return n;
    return nLitChaineSection(pszSection2, pszKey2, pszDefault, pszBuffer, nSize);
}

int CParametreExecution::nLitEntierML(const char* pszKey1, const char* pszKey2, int nDefault)
{
    return nLitEntierSectionML("", pszKey1, "", pszKey2, nDefault);
}

int CParametreExecution::nLitEntierSectionML(const char* pszSection1, const char* pszKey1, const char* pszSection2,
                                             const char* pszKey2, int nDefault)
{
    const int n = nLitEntierSection(pszSection1, pszKey1, ZV_ENTIER_ABSENT);
    if (n != ZV_ENTIER_ABSENT)
        return n;
    return nLitEntierSection(pszSection2, pszKey2, nDefault);
}

bool CParametreExecution::bEcritChaine(const char* pszKey, const char* pszValue)
{
    return bEcritChaineSection("", pszKey, pszValue);
}

bool CParametreExecution::bEcritChaineSection(const char* pszSection, const char* pszKey, const char* pszValue)
{
    return WritePrivateProfileString(pszSection, pszKey, pszValue, m_szFichier) != 0;
}

bool CParametreExecution::bEcritEntier(const char* pszKey, int nValue)
{
    return bEcritEntierSection("", pszKey, nValue);
}

bool CParametreExecution::bEcritEntierSection(const char* pszSection, const char* pszKey, int nValue)
{
    char szValue[16];
    std::snprintf(szValue, sizeof szValue, "%d", nValue);
    return bEcritChaineSection(pszSection, pszKey, szValue);
}
