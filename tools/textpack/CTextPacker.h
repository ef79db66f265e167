// CTextPacker: encoder of the compact text form that CDataCompressor decodes.
#pragma once

#include <cstddef>
#include <string>

class CTextPacker {
public:
    // Encodes the bytes of a text (without its terminator) into the stored form
    // (without terminator; never holds a 0 byte). Fails, with a reason in *pstrErreur
    // when given, for a text holding a 0 byte, which the stored form cannot carry.
    // The result is checked by decoding it again.
    static bool s_bEncode(const std::string& strTexte, std::string& strStocke,
                          std::string* pstrErreur = nullptr);

    // C++ source of a byte string: the body of a string literal (without quotes),
    // printable ASCII as it is and every other byte as a three-digit octal escape.
    static std::string s_strLitteral(const std::string& strOctets);

    // C++ source defining `extern const char pszNom[]` as the stored form of strTexte.
    static bool s_bSourceTexte(const std::string& strNom, const std::string& strTexte,
                               const std::string& strOrigine, std::string& strSource,
                               std::string* pstrErreur = nullptr);

private:
    // The digits and escapes being assembled into stored bytes.
    class __CSortie;
};
