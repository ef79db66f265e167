// CParametreExecution: the execution-parameter file beside the executable (its path with ".ZX").
#pragma once

#include "base/settings/IParametreExecution.h"

// Reads and writes the parameter file through the profile-file calls. Initialise names the
// file; until it has succeeded every read returns 0 and leaves the caller's buffer alone.
// The write operations (slots 19 to 22) belong to this class only.
class CParametreExecution : public IParametreExecution {
public:
    static constexpr unsigned ZV_PATH_SIZE = 261;  // 260 characters and the NUL
    static constexpr unsigned ZV_CLE_SIZE = 33;    // encryption key: 32 characters and the NUL
    // Value no stored integer is expected to hold: a first ML entry that reads as it counts
    // as absent.
    static constexpr int ZV_ENTIER_ABSENT = -1886417009;  // 0x8F8F8F8F

    CParametreExecution();
    CParametreExecution(const CParametreExecution&) = default;
    CParametreExecution& operator=(const CParametreExecution&) = default;
    ~CParametreExecution() = default;

    // pszPath is the executable's full path. The parameter file is that path with its
    // extension changed to ".ZX"; the standard name is its file name without directory and
    // extension; the application name is the standard name mapped with STR_nMapStringEx
    // flags 7 (upper case, no accents, no punctuation). False, with the object left unset,
    // for a null path or one whose parameter-file name would not fit in 260 characters.
    bool Initialise(const char* pszPath);

    int nGetVersion() override { return 4; }
    int nGetCompatSince() override { return 1; }
    int nGetDllNum() override { return 0; }
    const char* pszGetNomApplication() override { return m_szNomApplication; }
    const char* pszGetNomPhysiqueComplet() override { return m_szFichier; }
    // True when the parameter file exists and is a regular file.
    bool bDisponible() override;
    // Without a section: the section name is "" (a read then lists the file's sections).
    int nLitChaine(const char* pszKey, const char* pszDefault, char* pszBuffer, int nSize) override;
    int nLitChaineSection(const char* pszSection, const char* pszKey, const char* pszDefault, char* pszBuffer,
                          int nSize) override;
    int nLitEntier(const char* pszKey, int nDefault) override;
    int nLitEntierSection(const char* pszSection, const char* pszKey, int nDefault) override;
    const char* pszGetCleCryptage() override { return m_szCleCryptage; }
    // First (section1, key1) without a default; when it gives no character, (section2, key2)
    // with the caller's default.
    int nLitChaineML(const char* pszKey1, const char* pszKey2, const char* pszDefault, char* pszBuffer,
                     int nSize) override;
    int nLitChaineSectionML(const char* pszSection1, const char* pszKey1, const char* pszSection2,
                            const char* pszKey2, const char* pszDefault, char* pszBuffer, int nSize) override;
    // First (section1, key1) with ZV_ENTIER_ABSENT as default; when that comes back,
    // (section2, key2) with the caller's default.
    int nLitEntierML(const char* pszKey1, const char* pszKey2, int nDefault) override;
    int nLitEntierSectionML(const char* pszSection1, const char* pszKey1, const char* pszSection2,
                            const char* pszKey2, int nDefault) override;
    const char* pszGetNomStandardApplication() override { return m_szNomStandard; }

    // Writes through WritePrivateProfileString; true when it succeeded.
    virtual bool bEcritChaine(const char* pszKey, const char* pszValue);
    virtual bool bEcritChaineSection(const char* pszSection, const char* pszKey, const char* pszValue);
    virtual bool bEcritEntier(const char* pszKey, int nValue);
    virtual bool bEcritEntierSection(const char* pszSection, const char* pszKey, int nValue);

private:
    char m_szFichier[ZV_PATH_SIZE];
    char m_szNomStandard[ZV_PATH_SIZE];
    char m_szNomApplication[ZV_PATH_SIZE];
    char m_szCleCryptage[ZV_CLE_SIZE];  // nothing fills it: always empty
};
