// CLecteurElf: what the loader would see of an ELF file held in memory: class, machine, type, needed libraries, search paths and exported symbols.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A reader of untrusted bytes: every offset, size and count read from the file is checked
// against the bytes held before it is used, in 64-bit arithmetic, so that no input makes it
// read outside them or loop without end. It reads the ELF header, the program headers (the
// loadable segments and the dynamic segment, which are what the loader uses), the dynamic
// section, and the dynamic symbol table: from its section header when there is one, otherwise
// from the dynamic section's DT_SYMTAB sized by DT_HASH or DT_GNU_HASH. Both byte orders and
// both classes are read, whatever the build.
class CLecteurElf {
public:
    static constexpr unsigned nCLASSE_32 = 1;
    static constexpr unsigned nCLASSE_64 = 2;
    static constexpr unsigned nMACHINE_I386 = 3;
    static constexpr unsigned nMACHINE_X86_64 = 62;
    static constexpr unsigned nTYPE_EXEC = 2;
    static constexpr unsigned nTYPE_DYN = 3;

    // Reads n bytes; the bytes need not outlive the call. False, with a message in *psErreur
    // (when given), when they are not an ELF file or one of its structures lies outside them;
    // what was read before the fault stays available.
    bool bLit(const unsigned char* p, size_t n, std::string* psErreur);

    unsigned nClasse() const { return m_nClasse; }
    unsigned nMachine() const { return m_nMachine; }
    unsigned nType() const { return m_nType; }
    bool bDynamique() const { return m_bDynamique; }
    // A program interpreter is named (PT_INTERP): a program, position-independent or not.
    bool bInterpreteur() const { return m_bInterpreteur; }
    // DT_NEEDED, in file order.
    const std::vector<std::string>& asDependances() const { return m_asDependances; }
    const std::string& sRunpath() const { return m_sRunpath; }
    const std::string& sRpath() const { return m_sRpath; }
    const std::string& sSoname() const { return m_sSoname; }
    // True when the dynamic symbol table defines pszNom for other objects (global or weak, not
    // hidden, not undefined), as dlsym would find it.
    bool bExporte(const char* pszNom) const;
    size_t nExports() const { return m_asExports.size(); }

    // "ELF 64-bit x86-64 shared object".
    std::string sDescription() const;
    // "32-bit i386", "64-bit x86-64": the class and machine.
    std::string sAbi() const;
    static std::string s_sAbi(unsigned nClasse, unsigned nMachine);
    static const char* s_pszMachine(unsigned nMachine);

private:
    struct _stSEGMENT {
        uint64_t oOffset, oAdresse, oTaille;
    };

    bool _bLitTables(std::string* psErreur);
    bool _bLitDynamique(uint64_t oOffset, uint64_t oTaille, std::string* psErreur);
    bool _bLitSymboles(std::string* psErreur);
    bool _bLitSymbolesDe(uint64_t oTable, uint64_t nNombre, uint64_t nTailleEntree, uint64_t oChaines,
                         uint64_t nTailleChaines, std::string* psErreur);
    bool _bNombreSymbolesHash(uint64_t* pnNombre) const;
    bool _bNombreSymbolesGnuHash(uint64_t* pnNombre) const;

    // Bounds-checked reads at an offset; false when the bytes are not all there.
    bool _bPlage(uint64_t o, uint64_t n) const;
    bool _bLit16(uint64_t o, uint64_t* pn) const;
    bool _bLit32(uint64_t o, uint64_t* pn) const;
    bool _bLit64(uint64_t o, uint64_t* pn) const;
    // A word of the class: 4 or 8 bytes.
    bool _bLitMot(uint64_t o, uint64_t* pn) const;
    // The file offset of a virtual address inside a loadable segment's file bytes.
    bool _bAdresseVersOffset(uint64_t oAdresse, uint64_t* poOffset) const;
    // The NUL-terminated string at index nIndex of a string table.
    bool _bChaine(uint64_t oTable, uint64_t nTaille, uint64_t nIndex, std::string* ps) const;

    const unsigned char* m_p = nullptr;
    size_t m_n = 0;
    bool m_bGrosBoutiste = false;
    unsigned m_nClasse = 0, m_nMachine = 0, m_nType = 0;
    bool m_bDynamique = false;
    bool m_bInterpreteur = false;
    std::vector<_stSEGMENT> m_astCharge;
    uint64_t m_oShoff = 0, m_nShnum = 0, m_nShentsize = 0;
    uint64_t m_aoDyn[4] = {};  // DT_STRTAB, DT_STRSZ, DT_SYMTAB, DT_SYMENT values (0: absent)
    uint64_t m_oHash = 0, m_oGnuHash = 0;
    bool m_bHash = false, m_bGnuHash = false;
    std::vector<std::string> m_asDependances;
    std::string m_sRunpath, m_sRpath, m_sSoname;
    std::vector<std::string> m_asExports;  // sorted
};
