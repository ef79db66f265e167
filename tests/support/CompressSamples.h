// Sample inputs for the block coder tests: files of this machine (programs, headers, texts),
// chosen in a fixed order, and generated data of known shapes.
#pragma once

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace zvtest {

struct Sample {
    std::string strNom;
    std::vector<uint8_t> abOctets;
};

inline bool LitFichier(const std::string& strChemin, std::vector<uint8_t>* pab)
{
    FILE* f = std::fopen(strChemin.c_str(), "rb");
    if (!f)
        return false;
    pab->clear();
    uint8_t aby[65536];
    size_t n;
    while ((n = std::fread(aby, 1, sizeof(aby), f)) > 0)
        pab->insert(pab->end(), aby, aby + n);
    std::fclose(f);
    return true;
}

// Up to nMax regular files of dir (sorted by name) whose sizes lie in [nMin, nTailleMax],
// until their total reaches nTotal bytes.
inline void AjouteFichiers(const std::string& strRep, size_t nMax, size_t nMin, size_t nTailleMax, size_t nTotal,
                           std::vector<Sample>* pSamples)
{
    DIR* d = opendir(strRep.c_str());
    if (!d)
        return;
    std::vector<std::string> noms;
    while (dirent* e = readdir(d))
        noms.push_back(e->d_name);
    closedir(d);
    std::sort(noms.begin(), noms.end());
    size_t nPris = 0, nSomme = 0;
    for (const std::string& strNom : noms) {
        if (nPris >= nMax || nSomme >= nTotal)
            break;
        const std::string strChemin = strRep + "/" + strNom;
        struct stat st;
        if (stat(strChemin.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
            continue;
        if (size_t(st.st_size) < nMin || size_t(st.st_size) > nTailleMax)
            continue;
        Sample s;
        s.strNom = strChemin;
        if (!LitFichier(strChemin, &s.abOctets))
            continue;
        nSomme += s.abOctets.size();
        ++nPris;
        pSamples->push_back(std::move(s));
    }
}

// xorshift64*: the same sequence on every machine and ABI.
struct Alea {
    uint64_t q;
    explicit Alea(uint64_t graine) : q(graine ? graine : 1) {}
    uint64_t Suivant()
    {
        q ^= q >> 12;
        q ^= q << 25;
        q ^= q >> 27;
        return q * 0x2545F4914F6CDD1DULL;
    }
};

// Words drawn from a small vocabulary with a skewed distribution: compressible like text,
// with enough distinct strings to fill the dictionary.
inline std::vector<uint8_t> TextePseudo(size_t n, uint64_t graine)
{
    static const char* const mots[] = {"le ", "la ", "des ", "fichier ", "bloc ", "compresse ", "code ",
                                       "\r\n", "0x", "zorvan ", "(", ");\n", "int ", "return ", "if ",
                                       "Dictionnaire ", "{", "}\n", "    ", "== "};
    Alea a(graine);
    std::vector<uint8_t> v;
    v.reserve(n);
    while (v.size() < n) {
        const uint64_t r = a.Suivant();
        if ((r & 7) == 0) {
            // A number, so that the strings keep varying.
            char sz[24];
            std::snprintf(sz, sizeof(sz), "%u ", unsigned(r >> 40) % 100000u);
            for (const char* p = sz; *p && v.size() < n; ++p)
                v.push_back(uint8_t(*p));
            continue;
        }
        const char* m = mots[(r >> 8) % 20 < 10 ? (r >> 8) % 5 : (r >> 16) % 20];
        for (const char* p = m; *p && v.size() < n; ++p)
            v.push_back(uint8_t(*p));
    }
    return v;
}

inline std::vector<uint8_t> Aleatoire(size_t n, uint64_t graine)
{
    Alea a(graine);
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i)
        v[i] = uint8_t(a.Suivant() >> 33);
    return v;
}

// Files of the machine and generated data, a few megabytes in all.
inline std::vector<Sample> EchantillonsMachine()
{
    std::vector<Sample> samples;
    AjouteFichiers("/usr/bin", 12, 20000, 600000, 2500000, &samples);
    AjouteFichiers("/usr/include", 40, 2000, 200000, 800000, &samples);
    AjouteFichiers("/usr/include/c++/12/bits", 20, 5000, 300000, 600000, &samples);
    AjouteFichiers("/usr/share/common-licenses", 10, 1000, 100000, 300000, &samples);
    samples.push_back({"pseudo-text 1 MB", TextePseudo(1u << 20, 7)});
    samples.push_back({"random 200 KB", Aleatoire(200000, 11)});
    samples.push_back({"zeros 300 KB", std::vector<uint8_t>(300000, 0)});
    return samples;
}

}  // namespace zvtest
