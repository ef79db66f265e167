// CKleValeur: one value of the runtime's small language (NULL, boolean, integer, real, string or buffer).
#pragma once

#include <cstdint>
#include <string>

#include "contract/KleContract.h"

struct _stKLEVALEURRETOUR;

class CKleValeur {
public:
    // The type codes are those of the return-value record (KLE_TYPE_*); VIDE is NULL.
    enum eTYPE : uint16_t {
        eVIDE = KLE_TYPE_VIDE,
        eBOOLEEN = KLE_TYPE_BOOLEEN,
        eENTIER = KLE_TYPE_ENTIER,
        eREEL = KLE_TYPE_REEL,
        eCHAINE = KLE_TYPE_CHAINE,
        eBUFFER = KLE_TYPE_BUFFER,
    };

    CKleValeur() = default;
    static CKleValeur s_Booleen(bool b);
    static CKleValeur s_Entier(int64_t n);
    static CKleValeur s_Reel(double d);
    static CKleValeur s_Chaine(std::string str);
    static CKleValeur s_Buffer(std::string str);

    eTYPE eGetType() const { return m_eType; }
    bool bEstNULL() const { return m_eType == eVIDE; }
    bool bEstNombre() const { return m_eType == eBOOLEEN || m_eType == eENTIER || m_eType == eREEL; }
    int64_t nGetEntier() const { return m_nEntier; }
    double dGetReel() const { return m_dReel; }
    // The bytes of a string or buffer.
    const std::string& strGetOctets() const { return m_str; }

    // Truth of a condition: NULL and zero are false, a string is true when not empty.
    bool bVrai() const;
    // The text form: "true"/"false", decimal integers, reals with up to 15 significant digits.
    std::string strEnTexte() const;
    // Converts to the given type; false when the value cannot be read as that type (a text
    // that is not a number, a real out of the integer range, NULL to anything but NULL).
    bool bConvertit(int nType, CKleValeur* pclResultat) const;
    bool bEgal(const CKleValeur& cl) const;

    // Reads a value handed over by the host as a type code and one word (see KleContract.h).
    static bool s_bDepuisMot(int nType, intptr_t nMot, CKleValeur* pclResultat);
    // Reads a value handed over as an address and a length in bytes.
    static bool s_bDepuisOctets(int nType, const void* pValeur, int32_t nLongueur, CKleValeur* pclResultat);

    // Fills a return-value record from this value. pszTexte must stay alive as long as the
    // record is read: it becomes the string address (the text form for every type but a buffer).
    void Ecrit(_stKLEVALEURRETOUR* pst, const std::string& strTexte) const;

private:
    eTYPE m_eType = eVIDE;
    int64_t m_nEntier = 0;  // boolean (0 or 1) or integer
    double m_dReel = 0.0;
    std::string m_str;      // string or buffer bytes
};
