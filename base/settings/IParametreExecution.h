// IParametreExecution: the interface of the execution parameters read beside the executable.
#pragma once

#include "base/settings/IStdVersion.h"

// Slots 6 to 18 follow those of IStdVersion in this order. Strings are NUL-terminated bytes,
// sizes in bytes with the NUL, integers signed 32-bit. The "ML" reads try a first (specific)
// entry and fall back on a second (general) one.
class IParametreExecution : public IStdVersion {
public:
    virtual const char* pszGetNomApplication() = 0;
    virtual const char* pszGetNomPhysiqueComplet() = 0;
    virtual bool bDisponible() = 0;
    virtual int nLitChaine(const char* pszKey, const char* pszDefault, char* pszBuffer, int nSize) = 0;
    virtual int nLitChaineSection(const char* pszSection, const char* pszKey, const char* pszDefault,
                                  char* pszBuffer, int nSize) = 0;
    virtual int nLitEntier(const char* pszKey, int nDefault) = 0;
    virtual int nLitEntierSection(const char* pszSection, const char* pszKey, int nDefault) = 0;
    virtual const char* pszGetCleCryptage() = 0;
    virtual int nLitChaineML(const char* pszKey1, const char* pszKey2, const char* pszDefault, char* pszBuffer,
                             int nSize) = 0;
    virtual int nLitChaineSectionML(const char* pszSection1, const char* pszKey1, const char* pszSection2,
                                    const char* pszKey2, const char* pszDefault, char* pszBuffer, int nSize) = 0;
    virtual int nLitEntierML(const char* pszKey1, const char* pszKey2, int nDefault) = 0;
    virtual int nLitEntierSectionML(const char* pszSection1, const char* pszKey1, const char* pszSection2,
                                    const char* pszKey2, int nDefault) = 0;
    virtual const char* pszGetNomStandardApplication() = 0;

protected:
    IParametreExecution() = default;
    IParametreExecution(const IParametreExecution&) = default;
    IParametreExecution& operator=(const IParametreExecution&) = default;
    ~IParametreExecution() = default;
};
