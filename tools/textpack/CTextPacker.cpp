// CTextPacker: encoder of the compact text form that CDataCompressor decodes.
#include "tools/textpack/CTextPacker.h"

#include "base/compress/CDataCompressor.h"

#include <vector>

namespace {

constexpr int kESCAPE_OCTET = 38;
constexpr int kESCAPE_SUITE = 39;
constexpr int kTABLE_ECHAPPEMENTS = 3;

} // namespace

// Groups digits three by three into pairs of stored bytes, and places escapes.
class CTextPacker::__CSortie {
public:
    explicit __CSortie(std::string& strStocke) : m_strStocke(strStocke) {}

    void Chiffre(int nChiffre)
    {
        m_anGroupe[m_nDansGroupe++] = nChiffre;
        if (m_nDansGroupe == 3)
            __VideGroupe();
    }

    // An escape digit ends its pair (the decoder ignores the rest of it); the raw bytes
    // follow the pair.
    void Echappement(const unsigned char* pby, int n)
    {
        m_anGroupe[m_nDansGroupe++] = n == 1 ? kESCAPE_OCTET : kESCAPE_SUITE;
        while (m_nDansGroupe < 3)
            m_anGroupe[m_nDansGroupe++] = 0;
        __VideGroupe();
        if (n != 1)
            m_strStocke += char(n);
        m_strStocke.append(reinterpret_cast<const char*>(pby), std::size_t(n));
    }

    // A lone digit becomes the single last byte; two are completed by a one-shot
    // switch, which produces nothing.
    void Termine()
    {
        if (m_nDansGroupe == 1) {
            m_strStocke += char(m_anGroupe[0] + 1);
            m_nDansGroupe = 0;
        } else if (m_nDansGroupe == 2) {
            Chiffre(0);
        }
    }

private:
    std::string& m_strStocke;
    int m_anGroupe[3] = {0, 0, 0};
    int m_nDansGroupe = 0;

    void __VideGroupe()
    {
        const int v = m_anGroupe[0] * 1600 + m_anGroupe[1] * 40 + m_anGroupe[2];
        m_strStocke += char(v / 255 + 1);
        m_strStocke += char(v % 255 + 1);
        m_nDansGroupe = 0;
    }
};

namespace {

// The character digit of c in table nTable when it can be emitted while nCourante is
// the current table (38 and 39 are escapes while table 3 is current); -1 otherwise.
int nChiffreUtilisable(unsigned char c, int nTable, int nCourante)
{
    const int nChiffre = CDataCompressor::_nGetValue(c, nTable);
    if (nChiffre < 0 || (nCourante == kTABLE_ECHAPPEMENTS && nChiffre >= kESCAPE_OCTET))
        return -1;
    return nChiffre;
}

bool bDansUneTable(unsigned char c)
{
    for (int t = 0; t < 4; ++t)
        if (CDataCompressor::_nGetValue(c, t) >= 0)
            return true;
    return false;
}

// How many bytes from nDebut on table nTable could carry as the current table.
std::size_t nSuiteDansTable(const std::string& s, std::size_t nDebut, int nTable)
{
    std::size_t n = 0;
    while (nDebut + n < s.size() &&
           nChiffreUtilisable(static_cast<unsigned char>(s[nDebut + n]), nTable, nTable) >= 0)
        ++n;
    return n;
}

} // namespace

bool CTextPacker::s_bEncode(const std::string& strTexte, std::string& strStocke,
                            std::string* pstrErreur)
{
    strStocke.clear();
    if (strTexte.find('\0') != std::string::npos) {
        if (pstrErreur != nullptr)
            *pstrErreur = "the text holds a 0 byte";
        return false;
    }
    __CSortie clSortie(strStocke);
    int nCourante = 0;
    const std::size_t nTaille = strTexte.size();
    const unsigned char* pby = reinterpret_cast<const unsigned char*>(strTexte.data());
    std::size_t i = 0;
    while (i < nTaille) {
        const unsigned char c = pby[i];
        int nChiffre = nChiffreUtilisable(c, nCourante, nCourante);
        if (nChiffre >= 0) {
            clSortie.Chiffre(nChiffre);
            ++i;
            continue;
        }
        if (bDansUneTable(c)) {
            // The table that carries the longest run from here; switch to it when the
            // next byte needs it too, else use it for this byte only.
            int nMeilleure = -1;
            std::size_t nMeilleureSuite = 0;
            for (int t = 0; t < 4; ++t) {
                // The current table qualifies only for its entries 30 and 31 when it
                // is table 3, through the fall-back below.
                if (CDataCompressor::_nGetValue(c, t) < 0)
                    continue;
                const std::size_t nSuite = nSuiteDansTable(strTexte, i, t);
                if (nMeilleure < 0 || nSuite > nMeilleureSuite) {
                    nMeilleure = t;
                    nMeilleureSuite = nSuite;
                }
            }
            const bool bSuivantAussi =
                i + 1 < nTaille && nMeilleureSuite >= 2 &&
                nChiffreUtilisable(pby[i + 1], nCourante, nCourante) < 0;
            const int nUnique = nChiffreUtilisable(c, nMeilleure, nCourante);
            if (!bSuivantAussi && nUnique >= 0) {
                clSortie.Chiffre(nMeilleure);
                clSortie.Chiffre(nUnique);
                ++i;
                continue;
            }
            const int nPermanent = nChiffreUtilisable(c, nMeilleure, nMeilleure);
            if (nPermanent >= 0) {
                clSortie.Chiffre(CDataCompressor::_nGetCharsetSwitch(nMeilleure));
                nCourante = nMeilleure;
                clSortie.Chiffre(nPermanent);
                ++i;
                continue;
            }
            // Entry 30 or 31 of table 3 while it is current: leave it for table 0 and
            // come back for this byte only.
            if (nMeilleure == kTABLE_ECHAPPEMENTS) {
                clSortie.Chiffre(CDataCompressor::_nGetCharsetSwitch(0));
                nCourante = 0;
                clSortie.Chiffre(kTABLE_ECHAPPEMENTS);
                clSortie.Chiffre(CDataCompressor::_nGetValue(c, kTABLE_ECHAPPEMENTS));
                ++i;
                continue;
            }
        }
        // A run of bytes that no table holds (at most 255: the count is one byte).
        std::size_t n = 1;
        while (n < 255 && i + n < nTaille && !bDansUneTable(pby[i + n]))
            ++n;
        if (nCourante != kTABLE_ECHAPPEMENTS) {
            clSortie.Chiffre(CDataCompressor::_nGetCharsetSwitch(kTABLE_ECHAPPEMENTS));
            nCourante = kTABLE_ECHAPPEMENTS;
        }
        clSortie.Echappement(pby + i, int(n));
        i += n;
    }
    clSortie.Termine();

    // The decoder is the reference: what it gives back must be the text.
    std::vector<char> vecDecode(nTaille + 1);
    int nDecode = int(vecDecode.size());
    const int nResultat =
        CDataCompressor::s_nDeCompress(vecDecode.data(), &nDecode, strStocke.c_str());
    if (nResultat != CDataCompressor::eDECOMP_COMPLET || std::size_t(nDecode) != nTaille ||
        strTexte.compare(0, nTaille, vecDecode.data(), nTaille) != 0) {
        if (pstrErreur != nullptr)
            *pstrErreur = "internal error: the encoded text does not decode to the text";
        return false;
    }
    return true;
}

std::string CTextPacker::s_strLitteral(const std::string& strOctets)
{
    static const char kOctal[] = "01234567";
    std::string s;
    for (unsigned char c : strOctets) {
        if (c >= 0x20 && c < 0x7F && c != '\\' && c != '"' && c != '?') {
            s += char(c);
        } else {
            s += '\\';
            s += kOctal[(c >> 6) & 7];
            s += kOctal[(c >> 3) & 7];
            s += kOctal[c & 7];
        }
    }
    return s;
}

bool CTextPacker::s_bSourceTexte(const std::string& strNom, const std::string& strTexte,
                                 const std::string& strOrigine, std::string& strSource,
                                 std::string* pstrErreur)
{
    std::string strStocke;
    if (!s_bEncode(strTexte, strStocke, pstrErreur))
        return false;
    strSource = "// Compact text generated by zvtextpack from " + strOrigine + ": do not edit.\n";
    strSource += "extern const char " + strNom + "[];\n";
    strSource += "extern const char " + strNom + "[] =\n";
    // Lines of at most 64 source bytes of the literal.
    const std::size_t kPARLIGNE = 48;
    if (strStocke.empty())
        strSource += "    \"\"";
    for (std::size_t i = 0; i < strStocke.size(); i += kPARLIGNE) {
        if (i != 0)
            strSource += "\n";
        strSource += "    \"" + s_strLitteral(strStocke.substr(i, kPARLIGNE)) + "\"";
    }
    strSource += ";\n";
    return true;
}
