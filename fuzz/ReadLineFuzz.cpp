// Fuzz target of the line reading of the disk file (pszReadLine): line ends, separators,
// buffer capacities, lines gathered whole or handed out in pieces.
//
// Input: a byte choosing the capacity, a byte of options (low two bits: separator length, 0
// for the usual line ends; 0x04: pieces instead of whole lines; 0x08: the text repeated past
// the read-ahead block), the separator's bytes, then the file's text.
#include "base/files/CDiskFile.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "base/strings/CTString.h"
#include "fuzz/FuzzScratch.h"

namespace {

using zvfuzz::Verifie;

// The lines as the reader must cut them: at the separator, or at CR LF, CR or LF.
std::vector<std::string> vDecoupe(const std::string& s, const std::string& strSeparateur)
{
    std::vector<std::string> v;
    size_t i = 0;
    while (i < s.size()) {
        size_t nFin, nSuite;
        if (!strSeparateur.empty()) {
            nFin = s.find(strSeparateur, i);
            nSuite = nFin == std::string::npos ? s.size() : nFin + strSeparateur.size();
        } else {
            nFin = s.find_first_of("\r\n", i);
            nSuite = nFin == std::string::npos ? s.size()
                     : (s[nFin] == '\r' && nFin + 1 < s.size() && s[nFin + 1] == '\n') ? nFin + 2
                                                                                       : nFin + 1;
        }
        if (nFin == std::string::npos)
            nFin = s.size();
        v.push_back(s.substr(i, nFin - i));
        i = nSuite;
    }
    return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pbyData, size_t nSize)
{
    if (nSize < 2)
        return 0;
    static const unsigned anCapacites[] = {0, 1, 2, 3, 5, 16, 256, 70000};
    const unsigned nCapacite = anCapacites[pbyData[0] % 8];
    const uint8_t byOptions = pbyData[1];
    const size_t nSeparateur = byOptions & 3;
    if (nSize < 2 + nSeparateur)
        return 0;
    const std::string strSeparateur(reinterpret_cast<const char*>(pbyData + 2), nSeparateur);
    std::string strTexte(reinterpret_cast<const char*>(pbyData + 2 + nSeparateur), nSize - 2 - nSeparateur);
    // Past the block only when lines come whole or in pieces of some size: 64 KiB in pieces
    // of one character would be 64 Ki calls for a single input.
    if ((byOptions & 8) && !strTexte.empty() && (!(byOptions & 4) || nCapacite >= 256))
        while (strTexte.size() < CDiskFile::ZV_LINE_BLOCK + 100)
            strTexte += strTexte;
    const bool bMorceaux = (byOptions & 4) != 0;

    zvfuzz::CScratch& clScratch = zvfuzz::CScratch::s_clGet();
    const std::string strFichier = clScratch.strChemin("lines.txt");
    Verifie(clScratch.bEcrit(strFichier, reinterpret_cast<const uint8_t*>(strTexte.data()), strTexte.size()));

    CDiskFile clFichier;
    Verifie(clFichier.bOpen(strFichier.c_str(), eACCESS_READ, eSHARE_ALL, eCREATE_OPEN, eFLAG_NONE, nullptr) != 0);
    std::vector<char> vBuffer(nCapacite + 1, '\x5a');
    CTString clDebord;
    // A separator holding a NUL is cut there, as a C string is.
    const std::string strSepEffectif = strSeparateur.substr(0, std::strlen(strSeparateur.c_str()));
    std::vector<std::string> vLignes;
    size_t nTotal = 0;
    for (;;) {
        const char* psz = clFichier.pszReadLine(vBuffer.data(), nCapacite, bMorceaux ? nullptr : &clDebord,
                                                nSeparateur ? strSeparateur.c_str() : nullptr);
        if (!psz)
            break;
        Verifie(vBuffer[nCapacite] == '\x5a');  // never past the capacity
        const size_t nLongueur = std::strlen(psz);
        if (bMorceaux)
            Verifie(nLongueur + 1 <= nCapacite);
        nTotal += nLongueur;
        // Each call consumes at least one byte of the file, so that the loop ends.
        Verifie(nTotal <= strTexte.size() && vLignes.size() <= strTexte.size());
        vLignes.emplace_back(psz);
    }
    clFichier.Close();
    // Without pieces and without NUL in the text, the lines are exactly the reference's.
    if (!bMorceaux && strTexte.find('\0') == std::string::npos)
        Verifie(vLignes == vDecoupe(strTexte, strSepEffectif));
    return 0;
}
