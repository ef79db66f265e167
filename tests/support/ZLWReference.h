// Plain coder of the method-4 block format for tests: every step written out the simple way
// (byte-at-a-time bit writer and reader, unbounded hash lookup, strings rebuilt from their
// prefix chains), so that the library's coder can be checked against it code for code.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace zvtest {

class ZLWReference {
public:
    // Statistics of the last decoding.
    unsigned nRazLues = 0;          // reset codes read
    unsigned nRazPlein = 0;         // of which read with the dictionary full
    uint32_t dwCodeSuivantMax = 0;  // highest "next code" reached

    // The whole block: method 4, or the stored block when the attempt does not pay.
    std::vector<uint8_t> Compresse(const std::vector<uint8_t>& in)
    {
        const uint32_t n = uint32_t(in.size());
        out.assign(size_t(n) + 7, 0xEE);
        if (n < 20)
            return Copie(in);
        Init();
        pos = 11;
        uint32_t p = 0;
        while (p < n) {
            uint32_t code = in[p] + 1u;
            if (pos >= n + 3)
                return Copie(in);
            // Longest match.
            for (;;) {
                ++p;
                ++lus;
                if (p >= n)
                    break;
                const uint16_t c = Recherche(code, in[p]);
                if (!c)
                    break;
                code = c;
            }
            Ecrit(code);
            Ajoute(code, p < n ? in[p] : 15);
        }
        if (pos >= n + 3)
            return Copie(in);
        Ecrit(257);
        if (nb) {
            out[pos++] = uint8_t(acc);
            acc = 0;
            nb = 0;
        }
        out[0] = 4;
        Put32(1, pos - 11);
        Put32(5, n);
        out[9] = out[10] = 0;
        out.resize(pos);
        return out;
    }

    // The decompressed bytes; ok false for a block that this coder cannot decode.
    std::vector<uint8_t> Decompresse(const std::vector<uint8_t>& bloc, bool* ok)
    {
        *ok = false;
        nRazLues = 0;
        nRazPlein = 0;
        std::vector<uint8_t> res;
        if (bloc.size() < 11 || bloc[0] != 4)
            return res;
        const uint32_t total = Get32(bloc, 5);
        dico.assign(65536, {0, 0});
        for (uint32_t c = 1; c <= 256; ++c)
            dico[c] = {0, uint8_t(c - 1)};
        bits = 9;
        seuil = 512;
        suivant = 258;
        dwCodeSuivantMax = suivant;
        rpos = 11;
        acc = 0;
        nb = 0;
        uint32_t prev = 0;
        bool premier = true;
        while (premier || res.size() < total) {
            uint32_t code;
            if (!Lit(bloc, &code))
                return res;
            if (code == 257) {
                *ok = res.size() == total;
                return res;
            }
            if (code == 0) {
                ++nRazLues;
                if (suivant == 65536)
                    ++nRazPlein;
                bits = 9;
                seuil = 512;
                suivant = 258;
                premier = true;
                continue;
            }
            if (premier) {
                if (code > 256)
                    return res;
                res.push_back(uint8_t(code - 1));
                prev = code;
                premier = false;
                continue;
            }
            uint8_t f;
            if (code < suivant) {
                f = Extrait(code, &res);
            } else if (code == suivant) {
                f = Extrait(prev, &res);
                res.push_back(f);
            } else {
                return res;
            }
            if (suivant <= 65535) {
                dico[suivant] = {uint16_t(prev), f};
                ++suivant;
                if (bits <= 15 && suivant >= seuil) {
                    ++bits;
                    seuil *= 2;
                }
            }
            if (suivant > dwCodeSuivantMax)
                dwCodeSuivantMax = suivant;
            prev = code;
            if (res.size() > total)
                return res;
        }
        *ok = res.size() == total;
        return res;
    }

private:
    struct Entree {
        uint16_t prefixe;
        uint8_t octet;
    };
    std::vector<uint8_t> out;
    std::vector<Entree> dico;
    std::vector<uint16_t> hash;
    uint32_t bits = 9, seuil = 512, suivant = 258, pos = 0, rpos = 0, nb = 0, emis = 0, lus = 0;
    uint64_t acc = 0;
    double meilleur = 0;

    void Put32(size_t at, uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            out[at + i] = uint8_t(v >> (8 * i));
    }
    static uint32_t Get32(const std::vector<uint8_t>& b, size_t at)
    {
        return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
    }
    std::vector<uint8_t> Copie(const std::vector<uint8_t>& in)
    {
        std::vector<uint8_t> r(5 + in.size());
        r[0] = 0;
        const uint32_t n = uint32_t(in.size());
        std::memcpy(&r[1], &n, 4);
        if (!in.empty())
            std::memcpy(&r[5], in.data(), in.size());
        return r;
    }
    void Init()
    {
        acc = 0;
        nb = 0;
        emis = 0;
        lus = 0;
        ReInit();
    }
    void ReInit()
    {
        hash.assign(131072, 0);
        dico.assign(65536, {0, 0});
        for (uint32_t c = 1; c <= 256; ++c)
            dico[c] = {0, uint8_t(c - 1)};
        bits = 9;
        seuil = 512;
        suivant = 258;
        meilleur = 0;
    }
    uint16_t Recherche(uint32_t p, uint32_t b) const
    {
        uint32_t h = (b * 512 + p * 2 + 1) & 0x1FFFF;
        for (uint32_t k = 0;; ++k) {
            const uint16_t c = hash[h];
            if (c == 0)
                return 0;
            if (dico[c].prefixe == p && dico[c].octet == b)
                return c;
            h = ((k + h + 1019) & 0xFFFF) * 2;
        }
    }
    void Ajoute(uint32_t p, uint32_t b)
    {
        if (suivant == 65536) {
            const double gain = (1.0 - double(emis) / double(lus)) * 100.0;
            if (gain > meilleur)
                meilleur = gain;
            const double ratio = (100.0 - meilleur) / 100.0;
            const double tol = ratio < 0.2 ? 0.2 : 0.0;
            if (meilleur > gain + tol) {
                Ecrit(0);
                ReInit();
            }
            return;
        }
        uint32_t h = (b * 512 + p * 2 + 1) & 0x1FFFF;
        for (uint32_t k = 0; k < 11; ++k) {
            if (hash[h] == 0) {
                hash[h] = uint16_t(suivant);
                dico[suivant] = {uint16_t(p), uint8_t(b)};
                ++suivant;
                if (bits <= 15 && suivant > seuil) {
                    ++bits;
                    seuil *= 2;
                }
                return;
            }
            h = ((k + h + 1019) & 0xFFFF) * 2;
        }
        if (bits <= 15 && suivant == seuil)
            ++bits;
        Ecrit(0);
        ReInit();
    }
    void Ecrit(uint32_t code)
    {
        acc |= uint64_t(code) << nb;
        nb += bits;
        while (nb > 7) {
            out[pos++] = uint8_t(acc);
            ++emis;
            acc >>= 8;
            nb -= 8;
        }
    }
    bool Lit(const std::vector<uint8_t>& b, uint32_t* code)
    {
        while (nb <= 23 && rpos < b.size()) {
            acc |= uint64_t(b[rpos++]) << nb;
            nb += 8;
        }
        if (nb < bits)
            return false;
        *code = uint32_t(acc & ((1u << bits) - 1));
        acc >>= bits;
        nb -= bits;
        return true;
    }
    uint8_t Extrait(uint32_t code, std::vector<uint8_t>* res)
    {
        const size_t debut = res->size();
        while (code) {
            res->push_back(dico[code].octet);
            code = dico[code].prefixe;
        }
        std::reverse(res->begin() + long(debut), res->end());
        return (*res)[debut];
    }
};

}  // namespace zvtest
