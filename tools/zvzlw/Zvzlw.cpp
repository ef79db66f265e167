// Zvzlw: the zvzlw program (compresses and expands files or standard streams in the block
// format, like gzip -c and gzip -dc), callable in the process for the tests.
#include "tools/zvzlw/Zvzlw.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/compress/CCompresseur.h"
#include "base/files/CRemplacementAtomique.h"
#include "base/system/AppelsSysteme.h"
#include "base/system/GrandBloc.h"

namespace {

const char gszUsage[] =
    "usage: zvzlw [-c] [-d] [-f] [-l] [-0] [FILE...]\n"
    "Compresses each FILE into FILE.zlw, or expands FILE.zlw into FILE (-d); the input is kept.\n"
    "Without FILE, or for \"-\", reads standard input and writes standard output.\n"
    "  -c  write to standard output (several inputs give one block after another)\n"
    "  -d  expand; an input may hold several blocks one after another\n"
    "  -f  overwrite existing output files\n"
    "  -l  list the blocks of each input: method, sizes, ratio\n"
    "  -0  store without compressing (method 0)\n"
    "  -h  this help\n"
    "Exit status: 0 success, 1 an input could not be read, expanded or written, 2 bad usage.\n";

constexpr const char gszSuffixe[] = ".zlw";

struct _stOPTIONS {
    bool bSortieStandard = false;
    bool bExpanse = false;
    bool bForce = false;
    bool bListe = false;
    bool bStocke = false;
};

void __Erreur(const std::string& strNom, const char* pszFormat, ...) __attribute__((format(printf, 2, 3)));
void __Erreur(const std::string& strNom, const char* pszFormat, ...)
{
    std::fprintf(stderr, "zvzlw: %s: ", strNom.c_str());
    va_list args;
    va_start(args, pszFormat);
    std::vfprintf(stderr, pszFormat, args);
    va_end(args);
    std::fputc('\n', stderr);
}

// Bytes without initialisation (the buffers are filled at once by a read or a coder). Whole
// files and expanded blocks run to megabytes: large blocks fault in huge pages.
class COctets {
public:
    COctets() = default;
    ~COctets() { LibereGrandBloc(m_p, m_nCapacite); }
    COctets(const COctets&) = delete;
    COctets& operator=(const COctets&) = delete;
    // Room for n bytes, the first min(n, size) kept; false when the memory is not there.
    bool bReserve(size_t n)
    {
        if (n <= m_nCapacite)
            return true;
        void* p = pvRedimensionneGrandBloc(m_p, m_nCapacite, n);
        if (!p)
            return false;
        m_p = static_cast<uint8_t*>(p);
        m_nCapacite = n;
        return true;
    }
    uint8_t* data() { return m_p; }
    const uint8_t* data() const { return m_p; }
    size_t size() const { return m_nTaille; }
    bool empty() const { return m_nTaille == 0; }
    void SetTaille(size_t n) { m_nTaille = n; }

private:
    uint8_t* m_p = nullptr;
    size_t m_nTaille = 0;
    size_t m_nCapacite = 0;
};

// Reads the whole input open on fd, sized at once when it is a regular file. False on a read
// error (errno kept) or when the memory is not there (errno ENOMEM).
bool __bLitTout(int fd, const char* pszNom, COctets* pab)
{
    size_t nCapacite = 1 << 20;
    struct stat64 st;
    if (SYS_bFstat(fd, &st, pszNom) && S_ISREG(st.st_mode) && static_cast<unsigned long long>(st.st_size) < SIZE_MAX)
        nCapacite = size_t(st.st_size) + 1; // + 1: the end of file is seen without a regrowth
    size_t nLu = 0;
    for (;;) {
        if (!pab->bReserve(nCapacite)) {
            errno = ENOMEM;
            return false;
        }
        size_t n = 0;
        if (!SYS_bReadAll(fd, pab->data() + nLu, nCapacite - nLu, &n, pszNom))
            return false;
        nLu += n;
        if (nLu < nCapacite)
            break; // the end of the input
        nCapacite *= 2;
    }
    pab->SetTaille(nLu);
    return true;
}

// Where the output goes: standard output, a new file, or a file replaced as a whole.
struct _stSORTIE {
    int fd = STDOUT_FILENO;
    const char* pszNom = "(stdout)";
    CRemplacementAtomique* pclRemplacement = nullptr;
};

bool __bEcrit(const _stSORTIE& stSortie, const void* p, size_t n)
{
    return n == 0 || SYS_bWriteAll(stSortie.fd, p, n, nullptr, stSortie.pszNom);
}

// One block of the whole input onto the output.
bool __bCompresse(const COctets& abEntree, const _stSORTIE& stSortie, const _stOPTIONS& stOptions,
                  const std::string& strNom)
{
    if (abEntree.size() > CCompresseurBase::dwENTREE_MAX) {
        __Erreur(strNom, "too large for one block (at most %u bytes)", unsigned(CCompresseurBase::dwENTREE_MAX));
        return false;
    }
    const uint32_t dwEntree = uint32_t(abEntree.size());
    CCompresseur clCompresseur(stOptions.bStocke ? CCompresseurBase::eCOMPRESSEUR_COPIE
                                                 : CCompresseurBase::eCOMPRESSEUR_ZLW);
    COctets abBloc;
    const uint32_t dwCapacite = CCompresseur::ms_clCompresseurZLW.dwTailleBufferCompression(dwEntree);
    if (!abBloc.bReserve(dwCapacite)) {
        __Erreur(strNom, "out of memory");
        return false;
    }
    clCompresseur.m_pEntree = abEntree.data();
    clCompresseur.m_dwEntree = dwEntree;
    clCompresseur.m_pSortie = abBloc.data();
    clCompresseur.m_dwSortie = dwCapacite;
    const uint32_t dwBloc = clCompresseur.dwCompression();
    if (dwBloc == 0) {
        __Erreur(strNom, "compression failed");
        return false;
    }
    if (!__bEcrit(stSortie, abBloc.data(), dwBloc)) {
        __Erreur(strNom, "write error: %s", std::strerror(errno));
        return false;
    }
    return true;
}

const char* __pszMethode(uint8_t by)
{
    switch (by) {
    case CCompresseurBase::eCOMPRESSEUR_COPIE: return "stored";
    case CCompresseurBase::eCOMPRESSEUR_ZLW: return "dictionary";
    case CCompresseurBase::eCOMPRESSEUR_INCONNU: return "method 2";
    default: return "unknown";
    }
}

// Walks the blocks of the input: expands each onto the output, or lists it (no output).
// Reports the first bad block with its offset.
bool __bParcourtBlocs(const COctets& abEntree, const _stSORTIE* pstSortie, const std::string& strNom)
{
    const CCompresseurBase& clBase = CCompresseur::ms_clCompresseurZLW;
    size_t nPos = 0;
    unsigned nBloc = 0;
    if (abEntree.empty()) {
        __Erreur(strNom, "empty input: no block");
        return false;
    }
    COctets abSortie;
    while (nPos < abEntree.size()) {
        const uint8_t* pbyBloc = abEntree.data() + nPos;
        const size_t nReste = abEntree.size() - nPos;
        const uint8_t byMethode = pbyBloc[0];
        const size_t nEntete = byMethode == CCompresseurBase::eCOMPRESSEUR_COPIE
                                   ? CCompresseurBase::dwTAILLE_ENTETE_COPIE
                                   : CCompresseurBase::dwTAILLE_ENTETE_COMPRESSION;
        if (byMethode != CCompresseurBase::eCOMPRESSEUR_COPIE && byMethode != CCompresseurBase::eCOMPRESSEUR_ZLW &&
            byMethode != CCompresseurBase::eCOMPRESSEUR_INCONNU) {
            __Erreur(strNom, "not a compressed block at offset %zu (method byte %u)", nPos, unsigned(byMethode));
            return false;
        }
        if (nReste < nEntete) {
            __Erreur(strNom, "truncated block header at offset %zu", nPos);
            return false;
        }
        const uint64_t qwBloc = uint64_t(clBase.dwTailleEntree(pbyBloc));
        const uint32_t dwTaille = clBase.dwTailleDecompression(pbyBloc, uint32_t(nEntete));
        if (qwBloc > nReste || qwBloc > 0xFFFFFFFFu) {
            __Erreur(strNom, "truncated block at offset %zu: %llu bytes declared, %zu present", nPos,
                     static_cast<unsigned long long>(qwBloc), nReste);
            return false;
        }
        if (!pstSortie) {
            std::printf("%s: block %u at offset %zu: %s, %llu bytes, expands to %u bytes (%.1f%%)\n",
                        strNom.c_str(), nBloc, nPos, __pszMethode(byMethode),
                        static_cast<unsigned long long>(qwBloc), dwTaille,
                        dwTaille ? 100.0 * double(qwBloc) / double(dwTaille) : 100.0);
        } else {
            if (byMethode == CCompresseurBase::eCOMPRESSEUR_INCONNU) {
                __Erreur(strNom, "block at offset %zu uses method 2, which this program cannot expand", nPos);
                return false;
            }
            if (!abSortie.bReserve(dwTaille ? dwTaille : 1)) {
                __Erreur(strNom, "out of memory for the %u bytes of the block at offset %zu", dwTaille, nPos);
                return false;
            }
            CCompresseur clCompresseur(CCompresseurBase::eCOMPRESSEUR_ZLW);
            clCompresseur.m_pEntree = pbyBloc;
            clCompresseur.m_dwEntree = uint32_t(qwBloc);
            clCompresseur.m_pSortie = abSortie.data();
            clCompresseur.m_dwSortie = dwTaille;
            if (clCompresseur.dwDecompression(-1) != dwTaille) {
                __Erreur(strNom, "corrupt block at offset %zu", nPos);
                return false;
            }
            if (!__bEcrit(*pstSortie, abSortie.data(), dwTaille)) {
                __Erreur(strNom, "write error: %s", std::strerror(errno));
                return false;
            }
        }
        nPos += size_t(qwBloc);
        ++nBloc;
    }
    return true;
}

// Whole treatment of one input, "-" being standard input.
bool __bTraite(const char* pszEntree, const _stOPTIONS& stOptions)
{
    const bool bStandard = std::strcmp(pszEntree, "-") == 0;
    const std::string strNom = bStandard ? "(stdin)" : pszEntree;
    std::string strSortie;
    if (!bStandard && !stOptions.bSortieStandard && !stOptions.bListe) {
        const size_t n = std::strlen(pszEntree);
        if (stOptions.bExpanse) {
            if (n <= sizeof(gszSuffixe) - 1 || std::strcmp(pszEntree + n - (sizeof(gszSuffixe) - 1), gszSuffixe) != 0) {
                __Erreur(strNom, "unknown suffix (expected %s); use -c to expand to standard output", gszSuffixe);
                return false;
            }
            strSortie.assign(pszEntree, n - (sizeof(gszSuffixe) - 1));
        } else {
            if (n > sizeof(gszSuffixe) - 1 && std::strcmp(pszEntree + n - (sizeof(gszSuffixe) - 1), gszSuffixe) == 0) {
                __Erreur(strNom, "already has the %s suffix", gszSuffixe);
                return false;
            }
            strSortie = std::string(pszEntree) + gszSuffixe;
        }
    }

    COctets abEntree;
    const int fdEntree = bStandard ? STDIN_FILENO : SYS_nOpen(pszEntree, O_RDONLY | O_CLOEXEC);
    if (fdEntree < 0) {
        __Erreur(strNom, "cannot open: %s", std::strerror(errno));
        return false;
    }
    const bool bLu = __bLitTout(fdEntree, strNom.c_str(), &abEntree);
    const int nErreurLecture = errno;
    if (!bStandard)
        SYS_bClose(fdEntree, pszEntree);
    if (!bLu) {
        __Erreur(strNom, "read error: %s", std::strerror(nErreurLecture));
        return false;
    }

    if (stOptions.bListe)
        return __bParcourtBlocs(abEntree, nullptr, strNom);

    // Without -f an existing file is never replaced: the output is created only when absent,
    // and removed again on failure. With -f it replaces the file as a whole, so that a failure
    // leaves the former file as it was.
    _stSORTIE stSortie;
    CRemplacementAtomique clRemplacement;
    if (!strSortie.empty()) {
        stSortie.pszNom = strSortie.c_str();
        if (stOptions.bForce) {
            if (!clRemplacement.bOuvre(strSortie.c_str(), -1)) {
                __Erreur(strSortie, "cannot create: %s", std::strerror(errno));
                return false;
            }
            stSortie.fd = clRemplacement.nGetFd();
            stSortie.pclRemplacement = &clRemplacement;
        } else {
            stSortie.fd = SYS_nOpen(strSortie.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (stSortie.fd < 0) {
                __Erreur(strSortie, errno == EEXIST ? "already exists; use -f to overwrite" : "cannot create: %s",
                         std::strerror(errno));
                return false;
            }
        }
    }
    bool bOk = stOptions.bExpanse ? __bParcourtBlocs(abEntree, &stSortie, strNom)
                                  : __bCompresse(abEntree, stSortie, stOptions, strNom);
    if (stSortie.pclRemplacement) {
        if (bOk && !clRemplacement.bValide()) {
            __Erreur(strSortie, "write error: %s", std::strerror(errno));
            bOk = false;
        }
        // Not validated: the destructor drops the new content.
    } else if (stSortie.fd != STDOUT_FILENO) {
        // Closed in every case; a sync or a close that fails is a failed write.
        bool bEcrit = !bOk || SYS_bSync(stSortie.fd, stSortie.pszNom);
        const int nErreur = errno;
        bEcrit = SYS_bClose(stSortie.fd, stSortie.pszNom) && bEcrit;
        if (bOk && !bEcrit) {
            __Erreur(strSortie, "write error: %s", std::strerror(errno ? errno : nErreur));
            bOk = false;
        }
        if (!bOk)
            SYS_bUnlink(strSortie.c_str());
    }
    return bOk;
}

}  // namespace

int ZVZLW_nMain(int argc, char** argv)
{
    _stOPTIONS stOptions;
    std::vector<const char*> tabEntrees;
    bool bFinOptions = false;
    for (int i = 1; i < argc; ++i) {
        const char* psz = argv[i];
        if (bFinOptions || psz[0] != '-' || psz[1] == 0) {
            tabEntrees.push_back(psz);
            continue;
        }
        if (std::strcmp(psz, "--") == 0) {
            bFinOptions = true;
            continue;
        }
        for (const char* p = psz + 1; *p; ++p) {
            switch (*p) {
            case 'c': stOptions.bSortieStandard = true; break;
            case 'd': stOptions.bExpanse = true; break;
            case 'f': stOptions.bForce = true; break;
            case 'l': stOptions.bListe = true; break;
            case '0': stOptions.bStocke = true; break;
            case 'h': std::fputs(gszUsage, stdout); return 0;
            default:
                std::fprintf(stderr, "zvzlw: unknown option -%c\n%s", *p, gszUsage);
                return 2;
            }
        }
    }
    if (tabEntrees.empty())
        tabEntrees.push_back("-");
    int nStandard = 0;
    for (const char* psz : tabEntrees)
        nStandard += std::strcmp(psz, "-") == 0;
    if (nStandard > 1) {
        std::fputs("zvzlw: standard input named more than once\n", stderr);
        return 2;
    }
    int nCode = 0;
    for (const char* psz : tabEntrees) {
        if (!__bTraite(psz, stOptions))
            nCode = 1;
    }
    // The listing goes through the C library's buffer.
    if (std::fflush(stdout) != 0 && nCode == 0) {
        std::fprintf(stderr, "zvzlw: (stdout): write error: %s\n", std::strerror(errno));
        nCode = 1;
    }
    return nCode;
}
