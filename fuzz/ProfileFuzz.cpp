// Fuzz target of the profile files: the reader and the writer given a hostile file, and a
// sequence of writes on a fresh file checked against a model.
//
// Input: the file's text, then, after NUL bytes, a section, a key and a value (names taken
// from the file itself when absent); the bytes after the first NUL also drive the sequence of
// writes.
#include "base/settings/Profile.h"

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "base/system/AppelsSysteme.h"
#include "fuzz/FuzzScratch.h"

namespace {

using zvfuzz::Verifie;

// Every read of the reader in buffers of several sizes: the result is what lies in the buffer,
// and a smaller buffer gets a prefix of what a larger one gets.
// The default is copied when nothing is found: lists compared with each other take "".
std::string strLit(const char* pszSection, const char* pszCle, const std::string& strFichier,
                   const char* pszDefaut = "dft")
{
    static const unsigned anTailles[] = {1, 2, 7, 300, 70000};
    std::string strGrand;
    std::vector<char> vBuffer;
    for (int i = 4; i >= 0; --i) {
        const unsigned nTaille = anTailles[i];
        vBuffer.assign(nTaille + 1, '\x5a');
        const unsigned n = GetPrivateProfileString(pszSection, pszCle, pszDefaut, vBuffer.data(), nTaille,
                                                   strFichier.c_str());
        Verifie(n < nTaille || (nTaille == 0 && n == 0));
        Verifie(vBuffer[n] == '\0' && std::strlen(vBuffer.data()) == n);
        Verifie(vBuffer[nTaille] == '\x5a');  // nothing written past the buffer
        if (i == 4)
            strGrand.assign(vBuffer.data(), n);
        else
            Verifie(strGrand.compare(0, n, vBuffer.data(), n) == 0);
    }
    GetPrivateProfileInt(pszSection, pszCle, 7, strFichier.c_str());
    return strGrand;
}

// A name made of lower-case letters and digits only, so that the writer's exact comparison and
// the reader's case-insensitive one agree; empty when the input gives nothing usable.
std::string strNomPropre(const std::string& str)
{
    std::string strNom;
    for (char c : str)
        if (std::isalnum(static_cast<unsigned char>(c)))
            strNom += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return strNom.substr(0, 40);
}

// A value that the reader gives back as written: no line end or NUL, no leading blank.
std::string strValeurPropre(const std::string& str)
{
    std::string strValeur;
    for (char c : str)
        if (c != '\n' && c != '\r' && c != '\0')
            strValeur += c;
    while (!strValeur.empty() && (strValeur[0] == ' ' || strValeur[0] == '\t'))
        strValeur.erase(0, 1);
    return strValeur.substr(0, 200);
}

// Does any line, blanks skipped as the reader skips them (the C locale's white space, so a
// vertical tab too), begin with "[" and the name, whatever the letter case?
bool bSectionPresente(const std::string& strTexte, const std::string& strSection)
{
    const std::string strMotif = "[" + strSection;
    size_t nDebut = 0;
    while (nDebut <= strTexte.size()) {
        size_t nFin = strTexte.find('\n', nDebut);
        if (nFin == std::string::npos)
            nFin = strTexte.size();
        size_t i = nDebut;
        while (i < nFin && std::strchr(" \t\v\f\r", strTexte[i]) != nullptr && strTexte[i] != '\0')
            ++i;
        if (nFin - i >= strMotif.size()) {
            bool bEgal = true;
            for (size_t j = 0; j < strMotif.size() && bEgal; ++j)
                bEgal = std::tolower(static_cast<unsigned char>(strTexte[i + j])) ==
                        std::tolower(static_cast<unsigned char>(strMotif[j]));
            if (bEgal)
                return true;
        }
        nDebut = nFin + 1;
    }
    return false;
}

// Writes on a fresh file driven by the bytes, each checked against a model of the sections.
void SuiteSurFichierNeuf(const uint8_t* p, size_t n, const std::string& strFichier)
{
    std::map<std::string, std::map<std::string, std::string>> mapModele;
    for (size_t i = 0; i + 3 <= n && i < 3 * 40; i += 3) {
        const std::string strSection = std::string("s") + char('a' + p[i] % 3);
        const std::string strCle = std::string("k") + char('a' + p[i + 1] % 4);
        const std::string strValeur = "v" + std::to_string(p[i + 2]) + (p[i + 2] & 1 ? " x " : "");
        switch (p[i] >> 6) {
        case 0:  // removes the key
            Verifie(WritePrivateProfileString(strSection.c_str(), strCle.c_str(), nullptr, strFichier.c_str()) == 1);
            if (mapModele.count(strSection))
                mapModele[strSection].erase(strCle);
            break;
        case 1:  // removes the section
            Verifie(WritePrivateProfileString(strSection.c_str(), nullptr, nullptr, strFichier.c_str()) == 1);
            mapModele.erase(strSection);
            break;
        default:
            Verifie(WritePrivateProfileString(strSection.c_str(), strCle.c_str(), strValeur.c_str(),
                                              strFichier.c_str()) == 1);
            mapModele[strSection][strCle] = strValeur;
            break;
        }
    }
    for (const char* pszSection : {"sa", "sb", "sc"}) {
        for (const char* pszCle : {"ka", "kb", "kc", "kd"}) {
            char sz[300];
            const unsigned nLu = GetPrivateProfileString(pszSection, pszCle, "", sz, sizeof sz, strFichier.c_str());
            const auto itSection = mapModele.find(pszSection);
            const bool bAttendu = itSection != mapModele.end() && itSection->second.count(pszCle) != 0;
            Verifie(bAttendu ? std::string(sz, nLu) == itSection->second.at(pszCle) : nLu == 0);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pbyData, size_t nSize)
{
    // The files live for one input and their durability is not what is checked: without this,
    // the writer's syncs took nine tenths of the target's time.
    static const bool bSansSync = [] {
        gstAppelsSysteme.pfnFsync.store(+[](int) { return 0; });
        return true;
    }();
    (void)bSansSync;
    zvfuzz::CScratch& clScratch = zvfuzz::CScratch::s_clGet();
    const std::string strFichier = clScratch.strChemin("hostile.ini");
    const std::string strTexte = zvfuzz::strChamp(pbyData, nSize, 0, "");
    Verifie(clScratch.bEcrit(strFichier, reinterpret_cast<const uint8_t*>(strTexte.data()), strTexte.size()));

    // The reader over the hostile file: lists of sections, keys of each listed section (up
    // to a few) and one value.
    const std::string strSections = strLit(nullptr, nullptr, strFichier, "");
    std::vector<std::string> vSections;
    for (size_t nDebut = 0; nDebut < strSections.size() && vSections.size() < 4;) {
        const size_t nFin = strSections.find("\r\n", nDebut);
        if (nFin == std::string::npos)
            break;
        vSections.push_back(strSections.substr(nDebut, nFin - nDebut));
        nDebut = nFin + 2;
    }
    for (const std::string& strSection : vSections)
        strLit(strSection.c_str(), nullptr, strFichier);
    std::string strSection = zvfuzz::strChamp(pbyData, nSize, 1, vSections.empty() ? "main" : vSections[0].c_str());
    std::string strCle = zvfuzz::strChamp(pbyData, nSize, 2, "key");
    const std::string strValeur = zvfuzz::strChamp(pbyData, nSize, 3, "value");
    strLit(strSection.c_str(), strCle.c_str(), strFichier);

    // The writer over the same file: with names it accepts the write succeeds; when nothing in
    // the file resembles the section, the new section is added and reads back as written,
    // and every section read before is still there.
    strSection = strNomPropre(strSection);
    strCle = strNomPropre(strCle);
    if (!strSection.empty() && !strCle.empty() && strTexte.find('\0') == std::string::npos) {
        const std::string strPropre = strValeurPropre(strValeur);
        const bool bNouvelle = !bSectionPresente(strTexte, strSection);
        Verifie(WritePrivateProfileString(strSection.c_str(), strCle.c_str(), strPropre.c_str(),
                                          strFichier.c_str()) == 1);
        if (bNouvelle) {
            Verifie(strLit(strSection.c_str(), strCle.c_str(), strFichier) == strPropre);
            const std::string strApres = strLit(nullptr, nullptr, strFichier, "");
            if (strApres.compare(0, strSections.size(), strSections) != 0)
                std::fprintf(stderr, "sections before [%s] was added: \"%s\"; after: \"%s\"\n", strSection.c_str(),
                             strSections.c_str(), strApres.c_str());
            Verifie(strApres.compare(0, strSections.size(), strSections) == 0);
        }
        // Removing the section again leaves no value behind.
        Verifie(WritePrivateProfileString(strSection.c_str(), nullptr, nullptr, strFichier.c_str()) == 1);
        if (bNouvelle) {
            char sz[8];
            Verifie(GetPrivateProfileString(strSection.c_str(), strCle.c_str(), "", sz, sizeof sz,
                                            strFichier.c_str()) == 0);
        }
    }

    // A sequence of writes on a fresh file, against the model.
    const std::string strNeuf = clScratch.strChemin("fresh.ini");
    ::unlink(strNeuf.c_str());
    const void* pNul = std::memchr(pbyData, 0, nSize);
    if (pNul) {
        const size_t nDebut = size_t(static_cast<const uint8_t*>(pNul) - pbyData) + 1;
        SuiteSurFichierNeuf(pbyData + nDebut, nSize - nDebut, strNeuf);
    }
    return 0;
}
