// CInfoExeFichier: a built ZVExe executable held in memory, its information block and data-files field found, read and rewritten.
#pragma once

#include <cstdint>

#include "base/containers/CSimpleBuffer.h"
#include "base/strings/CTString.h"
#include "launcher/InfoExe.h"

// Fields that the tool shows and writes.
enum eCHAMPINFOEXE : int {
    eCHAMP_FRAMEWORK,        // runtime library file name
    eCHAMP_ZVL,              // application library
    eCHAMP_POSITION,         // signed 64-bit position of the application library
    eCHAMP_RESTREINT,        // restricted-search flag (32-bit)
    eCHAMP_COMMUN,           // common-directory flag (32-bit)
    eCHAMP_PROJET,           // project name
    eCHAMP_VERSION,          // active version (signed 32-bit)
    eCHAMP_REPFICHIERS,      // data-files directory
};

// The information block is found by its reserved bytes, which keep their template values in
// every built executable. The data-files field is found by its marker text: right behind the
// "." of the template, or, once this tool has written the field, at the end of the field
// (offset 237), the directory coming first and zeros between. Writing keeps the marker, so a
// directory has at most 235 characters. A file must hold exactly one of each.
class CInfoExeFichier {
public:
    static constexpr unsigned nMaxRepFichiers = 235;
    static constexpr unsigned nPosMarqueEcrite = 237;

    // Reads the whole file and finds both fields. False, with a message, otherwise.
    bool bCharge(const char* pszFichier, CTString* pclErreur);
    // The same on bytes already in memory.
    bool bChargeOctets(const void* pOctets, unsigned nTaille, CTString* pclErreur);

    // Replaces one field by the text form of its value (integers in decimal or with 0x).
    // False, nothing changed, with a message, when the value does not fit the field, or when
    // the bytes written would make the file hold a second block or field, or move them.
    bool bSetChamp(eCHAMPINFOEXE eChamp, const char* pszValeur, CTString* pclErreur);

    // Writes all the bytes to pszFichier, replacing the file as a whole (CRemplacementAtomique:
    // a failure leaves the former file); with pszModeDe, it takes that file's permission bits.
    bool bEcrit(const char* pszFichier, const char* pszModeDe, CTString* pclErreur) const;

    // Appends behind the bytes held an embedded library: a descriptor (_stINFODLL) holding
    // pszNom and the block's length, then the library's compressed block (the dictionary
    // method, or stored when that does not pay). *pnPosDescripteur gets the descriptor's offset,
    // *pnBloc the block's length, *pbyMethode its method. False, nothing changed, with a
    // message, when the name is too long or the file would pass 4 GB.
    bool bAjouteDLL(const void* pBibliotheque, unsigned nTaille, const char* pszNom, unsigned* pnPosDescripteur,
                    unsigned* pnBloc, unsigned char* pbyMethode, CTString* pclErreur);

    // One line per field, "name: value".
    CTString clAffiche() const;

    _stINFOEXE stGetInfo() const;
    CTString clGetRepFichiers() const;
    unsigned nGetPosInfo() const { return m_nPosInfo; }
    unsigned nGetPosRepFichiers() const { return m_nPosRep; }
    const CSimpleBuffer& clGetOctets() const { return m_clOctets; }

private:
    unsigned char* _pabOctets() { return static_cast<unsigned char*>(m_clOctets.pGetData()); }
    const unsigned char* _pabOctets() const { return static_cast<const unsigned char*>(m_clOctets.pGetData()); }
    // Finds both fields; sets *pnPosInfo and *pnPosRep only on success.
    bool _bTrouve(CTString* pclErreur, unsigned* pnPosInfo, unsigned* pnPosRep) const;
    bool _bEcritChamp(eCHAMPINFOEXE eChamp, const char* pszValeur, CTString* pclErreur);
    bool _bSetTexte(size_t nOffset, size_t nTaille, const char* pszValeur, CTString* pclErreur);

    CSimpleBuffer m_clOctets;
    unsigned m_nPosInfo = 0;
    unsigned m_nPosRep = 0;
};
