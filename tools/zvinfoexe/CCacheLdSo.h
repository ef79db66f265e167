// CCacheLdSo: the loader's cache of library paths (/etc/ld.so.cache), read from bytes held in memory and looked up by name and ABI.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The cache maps a library name to a path for each ABI. Files of the current format
// ("glibc-ld.so.cache1.1") are read, alone or behind the old one ("ld.so-1.7.0"), whose own
// entries are skipped as the loader skips them. Every count and offset is checked against the
// bytes held: a damaged cache yields false, never a read outside them.
class CCacheLdSo {
public:
    // False when the bytes hold no cache of the current format, or one whose tables lie outside
    // them; the reader is then empty.
    bool bLit(const unsigned char* p, size_t n);

    // The first entry for pszNom that the loader of the given ELF class and machine would take
    // (the entries of the plain library directories; those of the processor-specific
    // subdirectories only when no plain one exists). False when the cache has none or the ABI
    // is not one this reader knows.
    bool bCherche(const char* pszNom, unsigned nClasse, unsigned nMachine, std::string* psChemin) const;

    size_t nEntrees() const { return m_astEntrees.size(); }

private:
    struct _stENTREE {
        int32_t nDrapeaux;
        uint64_t nHwcap;
        std::string sNom, sChemin;
    };
    std::vector<_stENTREE> m_astEntrees;
};
