// CMessageBlock: the built-in message block built from a readable message source.
#include "tools/textpack/CMessageBlock.h"

#include "tools/textpack/CTextPacker.h"

#include <cstdio>

namespace {

void Erreur(std::string* pstrErreur, const std::string& strTexte)
{
    if (pstrErreur != nullptr)
        *pstrErreur = strTexte;
}

int nHex(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

void AjouteCle(std::string& strBloc, unsigned nIdentifiant)
{
    strBloc += char(nIdentifiant / 255 + 1);
    strBloc += char(nIdentifiant % 255 + 1);
}

} // namespace

bool CMessageBlock::s_bResoutEchappements(const std::string& strChamp, std::string& strTexte,
                                          std::string* pstrErreur)
{
    strTexte.clear();
    for (std::size_t i = 0; i < strChamp.size(); ++i) {
        const char c = strChamp[i];
        if (c == '\0') {
            Erreur(pstrErreur, "a 0 byte in the text");
            return false;
        }
        if (c != '\\') {
            strTexte += c;
            continue;
        }
        if (++i == strChamp.size()) {
            Erreur(pstrErreur, "a lone backslash at the end of the text");
            return false;
        }
        switch (strChamp[i]) {
        case 'n': strTexte += '\n'; break;
        case 'r': strTexte += '\r'; break;
        case 't': strTexte += '\t'; break;
        case '\\': strTexte += '\\'; break;
        case 'x': {
            const int nFort = i + 1 < strChamp.size() ? nHex(strChamp[i + 1]) : -1;
            const int nFaible = i + 2 < strChamp.size() ? nHex(strChamp[i + 2]) : -1;
            if (nFort < 0 || nFaible < 0) {
                Erreur(pstrErreur, "\\x needs two hexadecimal digits");
                return false;
            }
            if (nFort == 0 && nFaible == 0) {
                Erreur(pstrErreur, "\\x00: a message text cannot hold a 0 byte");
                return false;
            }
            strTexte += char(nFort * 16 + nFaible);
            i += 2;
            break;
        }
        default:
            Erreur(pstrErreur, std::string("unknown escape \\") + strChamp[i]);
            return false;
        }
    }
    return true;
}

bool CMessageBlock::s_bLitSource(const std::string& strSource,
                                 std::vector<_stMessage>& vecMessages, std::string* pstrErreur)
{
    vecMessages.clear();
    std::size_t nDebut = 0;
    int nLigne = 0;
    while (nDebut < strSource.size()) {
        std::size_t nFin = strSource.find('\n', nDebut);
        if (nFin == std::string::npos)
            nFin = strSource.size();
        std::string strLigne = strSource.substr(nDebut, nFin - nDebut);
        nDebut = nFin + 1;
        ++nLigne;
        if (!strLigne.empty() && strLigne.back() == '\r')
            strLigne.pop_back();
        if (strLigne.empty() || strLigne[0] == '#')
            continue;

        const std::string strOu = "line " + std::to_string(nLigne) + ": ";
        const std::size_t nTab = strLigne.find('\t');
        if (nTab == std::string::npos || nTab == 0) {
            Erreur(pstrErreur, strOu + "expected \"identifier<TAB>text\"");
            return false;
        }
        // "identifier" or "identifier name".
        const std::size_t nEspace = strLigne.find(' ');
        const std::size_t nFinNumero = nEspace < nTab ? nEspace : nTab;
        std::string strNom;
        if (nEspace < nTab) {
            strNom = strLigne.substr(nEspace + 1, nTab - nEspace - 1);
            bool bNomCpp = !strNom.empty() && !(strNom[0] >= '0' && strNom[0] <= '9');
            for (char c : strNom)
                bNomCpp = bNomCpp && ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_');
            if (!bNomCpp) {
                Erreur(pstrErreur, strOu + "the name \"" + strNom + "\" is not a C++ identifier");
                return false;
            }
            for (const _stMessage& st : vecMessages) {
                if (st.strNom == strNom) {
                    Erreur(pstrErreur, strOu + "the name " + strNom + " is already given on line " + std::to_string(st.nLigne));
                    return false;
                }
            }
        }
        if (nFinNumero == 0) {
            Erreur(pstrErreur, strOu + "the identifier is not a decimal number");
            return false;
        }
        unsigned long nIdentifiant = 0;
        for (std::size_t i = 0; i < nFinNumero; ++i) {
            const char c = strLigne[i];
            if (c < '0' || c > '9' || nIdentifiant > 65535) {
                Erreur(pstrErreur, strOu + "the identifier is not a decimal number");
                return false;
            }
            nIdentifiant = nIdentifiant * 10 + unsigned(c - '0');
        }
        if (nIdentifiant == 0 || nIdentifiant >= s_nIdentifiantFin) {
            Erreur(pstrErreur, strOu + "identifiers go from 1 to 65023 (0 and 65024 are the markers)");
            return false;
        }
        if (!vecMessages.empty() && nIdentifiant <= vecMessages.back().nIdentifiant) {
            Erreur(pstrErreur, strOu + "identifier " + std::to_string(nIdentifiant) +
                                   " does not follow " +
                                   std::to_string(vecMessages.back().nIdentifiant));
            return false;
        }
        _stMessage stMessage;
        stMessage.nIdentifiant = unsigned(nIdentifiant);
        stMessage.nLigne = nLigne;
        stMessage.strNom = strNom;
        std::string strRaison;
        if (!s_bResoutEchappements(strLigne.substr(nTab + 1), stMessage.strTexte, &strRaison)) {
            Erreur(pstrErreur, strOu + strRaison);
            return false;
        }
        vecMessages.push_back(stMessage);
    }
    return true;
}

bool CMessageBlock::s_bConstruit(const std::vector<_stMessage>& vecMessages, std::string& strBloc,
                                 std::vector<unsigned short>& vecTailles, std::string* pstrErreur)
{
    strBloc.clear();
    vecTailles.assign(1, 0);
    const std::string strDebut = s_pszMarqueurDebut;
    AjouteCle(strBloc, 0);
    strBloc += strDebut;
    strBloc += '\0';
    vecTailles.push_back(static_cast<unsigned short>(strDebut.size()));

    for (const _stMessage& stMessage : vecMessages) {
        std::string strStocke, strRaison;
        if (!CTextPacker::s_bEncode(stMessage.strTexte, strStocke, &strRaison)) {
            Erreur(pstrErreur, "line " + std::to_string(stMessage.nLigne) + ": " + strRaison);
            return false;
        }
        if (strStocke.size() > 65535) {
            Erreur(pstrErreur, "line " + std::to_string(stMessage.nLigne) + ": text too long");
            return false;
        }
        AjouteCle(strBloc, stMessage.nIdentifiant);
        strBloc += strStocke;
        strBloc += '\0';
        vecTailles.push_back(static_cast<unsigned short>(strStocke.size()));
    }

    AjouteCle(strBloc, s_nIdentifiantFin);
    strBloc += s_pszMarqueurFin;
    strBloc += '\0';
    if (strBloc.size() > 65535) {
        Erreur(pstrErreur, "the block exceeds 65535 bytes: its offsets are 16-bit");
        return false;
    }
    return true;
}

void CMessageBlock::s_Noms(const std::vector<_stMessage>& vecMessages, const std::string& strOrigine,
                           std::string& strSource)
{
    strSource = "// Names of the built-in messages, generated by zvtextpack from " + strOrigine + ": do not edit.\n"
                "#pragma once\n\n";
    for (const _stMessage& st : vecMessages)
        if (!st.strNom.empty())
            strSource += "constexpr unsigned " + st.strNom + " = " + std::to_string(st.nIdentifiant) + ";\n";
}

bool CMessageBlock::s_bSource(const std::vector<_stMessage>& vecMessages,
                              const std::string& strOrigine, const std::string& strNomBloc,
                              const std::string& strNomTailles, std::string& strSource,
                              std::string* pstrErreur)
{
    std::string strBloc;
    std::vector<unsigned short> vecTailles;
    if (!s_bConstruit(vecMessages, strBloc, vecTailles, pstrErreur))
        return false;
    char szTampon[16];
    strSource = "// Built-in message table generated by zvtextpack from " + strOrigine +
                ": do not edit.\n";
    strSource += "// " + std::to_string(vecTailles.size()) + " entries: the start marker, " +
                 std::to_string(vecMessages.size()) + " messages, the stop marker.\n\n";
    strSource += "extern const unsigned char " + strNomBloc + "[];\n";
    strSource += "extern const unsigned char " + strNomBloc + "[" +
                 std::to_string(strBloc.size()) + "] = {";
    for (std::size_t i = 0; i < strBloc.size(); ++i) {
        std::snprintf(szTampon, sizeof(szTampon), "0x%02X,", unsigned(static_cast<unsigned char>(strBloc[i])));
        strSource += i % 12 == 0 ? "\n    " : " ";
        strSource += szTampon;
    }
    strSource += "\n};\n\n";
    strSource += "extern const unsigned short " + strNomTailles + "[];\n";
    strSource += "extern const unsigned short " + strNomTailles + "[" +
                 std::to_string(vecTailles.size()) + "] = {";
    for (std::size_t i = 0; i < vecTailles.size(); ++i) {
        strSource += i % 10 == 0 ? "\n    " : " ";
        strSource += std::to_string(vecTailles[i]) + ",";
    }
    strSource += "\n};\n";
    return true;
}
