// Zvzlw: the zvzlw program (compresses and expands files or standard streams in the block
// format, like gzip -c and gzip -dc, block after block in bounded memory, on several threads),
// callable in the process for the tests.
#include "tools/zvzlw/Zvzlw.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "base/compress/CCompresseur.h"
#include "base/files/CRemplacementAtomique.h"
#include "base/system/AppelsSysteme.h"
#include "base/system/GrandBloc.h"
#include "base/system/Processeurs.h"
#include "tools/zvzlw/CAtelierBlocs.h"
#include "tools/zvzlw/COctets.h"

namespace {

const char gszUsage[] =
    "usage: zvzlw [-c] [-d] [-f] [-l] [-0] [-B SIZE] [-T N] [FILE...]\n"
    "Compresses each FILE into FILE.zlw, or expands FILE.zlw into FILE (-d); the input is kept.\n"
    "Without FILE, or for \"-\", reads standard input and writes standard output.\n"
    "  -c       write to standard output (several inputs give one stream after another)\n"
    "  -d       expand; an input may hold any number of blocks one after another\n"
    "  -f       overwrite existing output files\n"
    "  -l       list the blocks of each input: offset, method, sizes, ratio\n"
    "  -0       store without compressing (method 0)\n"
    "  -B SIZE  compress in blocks of SIZE bytes (suffix K, M or G: KiB, MiB, GiB; default 2M)\n"
    "  -T N     work on N threads (0, the default: one per processor available)\n"
    "  -h       this help\n"
    "The output does not depend on -T. Memory: about (N + 2) x 2 x SIZE, plus 0.5 MiB per thread.\n"
    "Exit status: 0 success, 1 an input could not be read, expanded or written, 2 bad usage.\n";

constexpr const char gszSuffixe[] = ".zlw";
// Chosen from the corpus measurements in bench/README.md: from 2 MiB up a stream is within
// 0.5 % of one block of the whole input, and a 12 MB file still gives six blocks to share
// among the threads.
constexpr size_t nBLOC_DEFAUT = size_t(2) << 20;
constexpr unsigned nTHREADS_MAX = 256;
// Reads grow a buffer by at least this much, so that a block's declared length is only
// trusted as far as its bytes actually come. As large as a huge page: the buffers are then
// mapped on huge pages from the start (GrandBloc), where smaller ones would take a page fault
// every 4 KiB.
constexpr size_t nPAS_LECTURE = nSEUIL_GRAND_BLOC;

struct _stOPTIONS {
    bool bSortieStandard = false;
    bool bExpanse = false;
    bool bForce = false;
    bool bListe = false;
    bool bStocke = false;
    size_t nBloc = nBLOC_DEFAUT;
    unsigned nThreads = 0;  // 0: one per processor available
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

std::string __strFormate(const char* pszFormat, ...) __attribute__((format(printf, 1, 2)));
std::string __strFormate(const char* pszFormat, ...)
{
    char sz[512];
    va_list args;
    va_start(args, pszFormat);
    std::vsnprintf(sz, sizeof(sz), pszFormat, args);
    va_end(args);
    return sz;
}

// Reads up to nMax bytes into pab from offset nDeja on, the buffer growing as the bytes come
// (never beyond nDeja + nMax). Returns the bytes read: fewer than nMax at the end of the input
// or on a read error (*pbErreur, errno kept) or when the memory is not there (*pbMemoire).
size_t __nLit(int fd, const char* pszNom, COctets* pab, size_t nDeja, size_t nMax, bool* pbErreur, bool* pbMemoire)
{
    *pbErreur = false;
    *pbMemoire = false;
    size_t nLu = 0;
    while (nLu < nMax) {
        if (pab->capacite() <= nDeja + nLu) {
            const size_t nPas = std::max(nPAS_LECTURE, pab->capacite());
            if (!pab->bReserve(std::max(nPAS_LECTURE, nDeja + std::min(nMax, nLu + nPas)))) {
                *pbMemoire = true;
                break;
            }
        }
        const size_t nVeut = std::min(nMax - nLu, pab->capacite() - nDeja - nLu);
        size_t n = 0;
        *pbErreur = !SYS_bReadAll(fd, pab->data() + nDeja + nLu, nVeut, &n, pszNom);
        nLu += n;
        if (n < nVeut || *pbErreur)
            break;
    }
    return nLu;
}

// Reads and drops n bytes; returns those that were there.
uint64_t __qwSaute(int fd, const char* pszNom, uint64_t n, bool* pbErreur)
{
    uint8_t ab[65536];
    uint64_t qwSaute = 0;
    *pbErreur = false;
    while (qwSaute < n) {
        const size_t nVeut = size_t(std::min<uint64_t>(sizeof(ab), n - qwSaute));
        size_t nLu = 0;
        *pbErreur = !SYS_bReadAll(fd, ab, nVeut, &nLu, pszNom);
        qwSaute += nLu;
        if (nLu < nVeut || *pbErreur)
            break;
    }
    return qwSaute;
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

// A decimal number, with a binary unit suffix (K, M, G) when bUnite; false for anything else
// or beyond 2^40.
bool __bLitNombre(const char* psz, bool bUnite, uint64_t* pqw)
{
    uint64_t qw = 0;
    const char* p = psz;
    for (; *p >= '0' && *p <= '9'; ++p) {
        qw = qw * 10 + unsigned(*p - '0');
        if (qw > (uint64_t(1) << 40))
            return false;
    }
    if (p == psz)
        return false;
    if (bUnite && *p) {
        const char* const pszUnites = "KMG";
        const char* pU = std::strchr(pszUnites, *p & ~0x20);
        if (!pU || (*p & ~0x20) == 0)
            return false;
        qw <<= 10 * (pU - pszUnites + 1);
        ++p;
        if (*p == 'i' && p[1] == 'B')
            p += 2;
        else if (*p == 'B')
            ++p;
    }
    if (*p)
        return false;
    *pqw = qw;
    return true;
}

unsigned __nThreads(const _stOPTIONS& stOptions)
{
    return stOptions.nThreads ? stOptions.nThreads : std::min(nProcesseursDisponibles(), nTHREADS_MAX);
}

// Writes the oldest finished block, or reports its fault; false when the stream stops there.
bool __bSortBloc(const _stPOSTE& stPoste, const _stSORTIE& stSortie, const std::string& strNom)
{
    if (!stPoste.strErreur.empty()) {
        __Erreur(strNom, "%s", stPoste.strErreur.c_str());
        return false;
    }
    if (!__bEcrit(stSortie, stPoste.abSortie.data(), stPoste.nSortie)) {
        __Erreur(strNom, "write error: %s", std::strerror(errno));
        return false;
    }
    return true;
}

// Runs the blocks of an input through the workshop: this thread reads, fnLit filling each
// free slot (false when the input has ended, nothing being handed in; a slot whose strErreur it
// sets is reported in its turn), while a writer thread writes each block out as soon as it and
// those before it are done. Stops at the first fault, the blocks before it written.
bool __bFaitTourner(CAtelierBlocs* pclAtelier, const _stSORTIE& stSortie, const std::string& strNom,
                    const std::function<bool(_stPOSTE*)>& fnLit)
{
    bool bEcrit = true;
    std::thread thEcrivain;
    try {
        thEcrivain = std::thread([&] {
            while (_stPOSTE* pst = pclAtelier->pstTermine(true)) {
                if (!__bSortBloc(*pst, stSortie, strNom)) {
                    bEcrit = false;
                    pclAtelier->Abandonne();
                    return;
                }
                pclAtelier->Rend(pst);
            }
        });
    } catch (const std::system_error& e) {
        __Erreur(strNom, "cannot start a thread: %s", e.what());
        return false;
    }
    while (_stPOSTE* pst = pclAtelier->pstLibre(true)) {
        if (!fnLit(pst))
            break;
        // A fault found while reading ends the reading; the slot carries it out in its turn,
        // after the blocks before it.
        const bool bFaute = !pst->strErreur.empty();
        pclAtelier->Confie(pst, !bFaute);
        if (bFaute)
            break;
    }
    pclAtelier->Ferme();
    thEcrivain.join();
    return bEcrit;
}

// Compresses the input onto pfSortie in blocks of nBloc bytes; an empty input gives one empty
// block.
bool __bCompresse(int fdEntree, const _stSORTIE& stSortie, const _stOPTIONS& stOptions, const std::string& strNom)
{
    const uint8_t byMethode = stOptions.bStocke ? CCompresseurBase::eCOMPRESSEUR_COPIE : CCompresseurBase::eCOMPRESSEUR_ZLW;
    const unsigned nThreads = __nThreads(stOptions);
    CAtelierBlocs clAtelier(nThreads, nThreads + 2, [byMethode](_stPOSTE& stPoste) {
        const uint32_t dwEntree = uint32_t(stPoste.nEntree);
        const uint32_t dwCapacite = CCompresseur::ms_clCompresseurZLW.dwTailleBufferCompression(dwEntree);
        if (!stPoste.abSortie.bReserveVide(dwCapacite)) {
            stPoste.strErreur = __strFormate("out of memory for the block at offset %llu",
                                             static_cast<unsigned long long>(stPoste.qwPosition));
            return;
        }
        CCompresseur clCompresseur(byMethode);
        clCompresseur.m_pEntree = stPoste.abEntree.data();
        clCompresseur.m_dwEntree = dwEntree;
        clCompresseur.m_pSortie = stPoste.abSortie.data();
        clCompresseur.m_dwSortie = dwCapacite;
        stPoste.nSortie = clCompresseur.dwCompression();
        if (stPoste.nSortie == 0)
            stPoste.strErreur = "compression failed";
    });
    uint64_t qwPosition = 0;
    bool bPremier = true;
    bool bFin = false;
    return __bFaitTourner(&clAtelier, stSortie, strNom, [&](_stPOSTE* pst) {
        if (bFin)
            return false;
        bool bErreur, bMemoire;
        pst->nEntree = __nLit(fdEntree, strNom.c_str(), &pst->abEntree, 0, stOptions.nBloc, &bErreur, &bMemoire);
        pst->qwPosition = qwPosition;
        qwPosition += pst->nEntree;
        if (bErreur)
            pst->strErreur = __strFormate("read error: %s", std::strerror(errno));
        else if (bMemoire)
            pst->strErreur = "out of memory";
        bFin = pst->nEntree < stOptions.nBloc;
        if (pst->nEntree == 0 && !bPremier && pst->strErreur.empty())
            return false;
        bPremier = false;
        return true;
    });
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

// Reads the block at qwPosition: the whole block into pst->abEntree when bGarde, otherwise
// its header only, the payload skipped. Returns false at the end of the input (no byte left);
// a bad block sets pst->strErreur. *pbyMethode and *pqwBloc (the block's length) describe it.
bool __bLitBloc(int fd, const char* pszNom, _stPOSTE* pst, uint64_t qwPosition, bool bGarde, uint8_t* pbyMethode,
                uint64_t* pqwBloc)
{
    const unsigned long long qwOffset = qwPosition;
    pst->qwPosition = qwPosition;
    pst->nEntree = 0;
    *pqwBloc = 0;
    bool bErreur, bMemoire;
    const size_t nPremier = __nLit(fd, pszNom, &pst->abEntree, 0, 1, &bErreur, &bMemoire);
    if (nPremier == 0) {
        if (bErreur)
            pst->strErreur = __strFormate("read error at offset %llu: %s", qwOffset, std::strerror(errno));
        else if (bMemoire)
            pst->strErreur = "out of memory";
        return !pst->strErreur.empty();
    }
    const uint8_t byMethode = pst->abEntree.data()[0];
    *pbyMethode = byMethode;
    if (byMethode != CCompresseurBase::eCOMPRESSEUR_COPIE && byMethode != CCompresseurBase::eCOMPRESSEUR_ZLW &&
        byMethode != CCompresseurBase::eCOMPRESSEUR_INCONNU) {
        pst->strErreur = __strFormate("not a compressed block at offset %llu (method byte %u)", qwOffset, unsigned(byMethode));
        return true;
    }
    const size_t nEntete = byMethode == CCompresseurBase::eCOMPRESSEUR_COPIE ? CCompresseurBase::dwTAILLE_ENTETE_COPIE
                                                                             : CCompresseurBase::dwTAILLE_ENTETE_COMPRESSION;
    const size_t nSuite = __nLit(fd, pszNom, &pst->abEntree, 1, nEntete - 1, &bErreur, &bMemoire);
    if (nSuite < nEntete - 1) {
        pst->strErreur = bErreur ? __strFormate("read error at offset %llu: %s", qwOffset, std::strerror(errno))
                                 : __strFormate("truncated block header at offset %llu", qwOffset);
        return true;
    }
    const CCompresseurBase& clBase = CCompresseur::ms_clCompresseurZLW;
    const uint8_t* pbyEntete = pst->abEntree.data();
    // A payload length that puts the block past 32 bits counts as declared, and the block can
    // only be truncated.
    const uint32_t dwDonnees = uint32_t(pbyEntete[1]) | uint32_t(pbyEntete[2]) << 8 | uint32_t(pbyEntete[3]) << 16 |
                               uint32_t(pbyEntete[4]) << 24;
    const uint64_t qwBloc = uint64_t(dwDonnees) + nEntete;
    pst->dwAttendu = clBase.dwTailleDecompression(pbyEntete, uint32_t(nEntete));
    *pqwBloc = qwBloc;
    const uint64_t qwDonnees = qwBloc - nEntete;
    const uint64_t qwLus = bGarde ? __nLit(fd, pszNom, &pst->abEntree, nEntete, size_t(std::min<uint64_t>(qwDonnees, SIZE_MAX - nEntete)),
                                           &bErreur, &bMemoire)
                                  : __qwSaute(fd, pszNom, qwDonnees, &bErreur);
    if (bErreur) {
        pst->strErreur = __strFormate("read error in the block at offset %llu: %s", qwOffset, std::strerror(errno));
    } else if (bGarde && bMemoire) {
        pst->strErreur = __strFormate("out of memory for the %llu bytes of the block at offset %llu",
                                      static_cast<unsigned long long>(qwBloc), qwOffset);
    } else if (qwLus < qwDonnees || qwBloc > 0xFFFFFFFFu) {
        pst->strErreur = __strFormate("truncated block at offset %llu: %llu bytes declared, %llu present", qwOffset,
                                      static_cast<unsigned long long>(qwBloc),
                                      static_cast<unsigned long long>(qwLus + nEntete));
    }
    pst->nEntree = size_t(qwLus) + nEntete;
    return true;
}

// Lists the blocks of the input, then their totals. Reports the first bad block with its offset.
bool __bListe(int fdEntree, const std::string& strNom)
{
    _stPOSTE stPoste;
    uint64_t qwPosition = 0;
    uint64_t qwExpanse = 0;
    unsigned long long nBlocs = 0;
    for (;;) {
        uint8_t byMethode = 0;
        uint64_t qwBloc = 0;
        if (!__bLitBloc(fdEntree, strNom.c_str(), &stPoste, qwPosition, false, &byMethode, &qwBloc))
            break;
        if (!stPoste.strErreur.empty()) {
            __Erreur(strNom, "%s", stPoste.strErreur.c_str());
            return false;
        }
        const uint32_t dwTaille = stPoste.dwAttendu;
        std::printf("%s: block %llu at offset %llu: %s, %llu bytes, expands to %u bytes (%.1f%%)\n", strNom.c_str(),
                    nBlocs, static_cast<unsigned long long>(qwPosition), __pszMethode(byMethode),
                    static_cast<unsigned long long>(qwBloc), dwTaille,
                    dwTaille ? 100.0 * double(qwBloc) / double(dwTaille) : 100.0);
        qwPosition += qwBloc;
        qwExpanse += dwTaille;
        ++nBlocs;
    }
    if (nBlocs == 0) {
        __Erreur(strNom, "empty input: no block");
        return false;
    }
    std::printf("%s: %llu block%s, %llu bytes, expand to %llu bytes (%.1f%%)\n", strNom.c_str(), nBlocs,
                nBlocs == 1 ? "" : "s", static_cast<unsigned long long>(qwPosition),
                static_cast<unsigned long long>(qwExpanse),
                qwExpanse ? 100.0 * double(qwPosition) / double(qwExpanse) : 100.0);
    return true;
}

// Expands the blocks of the input onto pfSortie, several at once. Stops at the first bad block,
// reported with its offset, every block before it written.
bool __bExpanse(int fdEntree, const _stSORTIE& stSortie, const _stOPTIONS& stOptions, const std::string& strNom)
{
    const unsigned nThreads = __nThreads(stOptions);
    CAtelierBlocs clAtelier(nThreads, nThreads + 2, [](_stPOSTE& stPoste) {
        const unsigned long long qwOffset = stPoste.qwPosition;
        const uint32_t dwTaille = stPoste.dwAttendu;
        if (!stPoste.abSortie.bReserveVide(dwTaille ? dwTaille : 1)) {
            stPoste.strErreur =
                __strFormate("out of memory for the %u bytes of the block at offset %llu", dwTaille, qwOffset);
            return;
        }
        CCompresseur clCompresseur(CCompresseurBase::eCOMPRESSEUR_ZLW);
        clCompresseur.m_pEntree = stPoste.abEntree.data();
        clCompresseur.m_dwEntree = uint32_t(stPoste.nEntree);
        clCompresseur.m_pSortie = stPoste.abSortie.data();
        clCompresseur.m_dwSortie = dwTaille;
        if (clCompresseur.dwDecompression(-1) != dwTaille)
            stPoste.strErreur = __strFormate("corrupt block at offset %llu", qwOffset);
        else
            stPoste.nSortie = dwTaille;
    });
    uint64_t qwPosition = 0;
    bool bPremier = true;
    return __bFaitTourner(&clAtelier, stSortie, strNom, [&](_stPOSTE* pst) {
        uint8_t byMethode = 0;
        uint64_t qwBloc = 0;
        if (!__bLitBloc(fdEntree, strNom.c_str(), pst, qwPosition, true, &byMethode, &qwBloc)) {
            if (!bPremier)
                return false;
            pst->strErreur = "empty input: no block";
            return true;
        }
        bPremier = false;
        if (pst->strErreur.empty() && byMethode == CCompresseurBase::eCOMPRESSEUR_INCONNU)
            pst->strErreur = __strFormate("block at offset %llu uses method 2, which this program cannot expand",
                                          static_cast<unsigned long long>(qwPosition));
        qwPosition += qwBloc;
        return true;
    });
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

    const int fdEntree = bStandard ? STDIN_FILENO : SYS_nOpen(pszEntree, O_RDONLY | O_CLOEXEC);
    if (fdEntree < 0) {
        __Erreur(strNom, "cannot open: %s", std::strerror(errno));
        return false;
    }
    // The input stays open while its blocks go through, and is closed on every way out.
    struct CFerme {
        int fd;
        const char* pszNom;
        ~CFerme()
        {
            if (fd != STDIN_FILENO)
                SYS_bClose(fd, pszNom);
        }
    } clFermeEntree{fdEntree, pszEntree};

    if (stOptions.bListe)
        return __bListe(fdEntree, strNom);

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
    bool bOk = stOptions.bExpanse ? __bExpanse(fdEntree, stSortie, stOptions, strNom)
                                  : __bCompresse(fdEntree, stSortie, stOptions, strNom);
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
            if (*p == 'B' || *p == 'T') {
                // The value is the rest of the word, or the next word.
                const char cOption = *p;
                const char* pszValeur = p[1] ? p + 1 : (i + 1 < argc ? argv[++i] : nullptr);
                uint64_t qw = 0;
                if (!pszValeur || !__bLitNombre(pszValeur, cOption == 'B', &qw) ||
                    (cOption == 'B' && (qw == 0 || qw > CCompresseurBase::dwENTREE_MAX)) ||
                    (cOption == 'T' && qw > nTHREADS_MAX)) {
                    std::fprintf(stderr,
                                 cOption == 'B' ? "zvzlw: -B needs a block size from 1 byte to 4 GiB - 8\n%s"
                                                : "zvzlw: -T needs a number of threads from 0 to 256\n%s",
                                 gszUsage);
                    return 2;
                }
                if (cOption == 'B')
                    stOptions.nBloc = size_t(qw);
                else
                    stOptions.nThreads = unsigned(qw);
                break;
            }
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
