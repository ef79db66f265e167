// CInfoExeFichier: a built ZVExe executable held in memory, its information block and data-files field found, read and rewritten.
#include "tools/zvinfoexe/CInfoExeFichier.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cinttypes>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "base/compress/CCompresseur.h"
#include "base/files/CRemplacementAtomique.h"
#include "base/system/AppelsSysteme.h"
#include "launcher/InfoDll.h"

namespace {

constexpr size_t nLongMarque = sizeof(gszRepFichiersMarque) - 1;

bool __bZeros(const unsigned char* pab, size_t n)
{
    for (size_t i = 0; i < n; ++i) {
        if (pab[i])
            return false;
    }
    return true;
}

// Start of the data-files field whose marker lies at nMarque, or -1. Template: "." NUL marker
// NUL. Written by this tool: directory, NUL, zeros up to the marker at offset 237, NUL.
long __nDebutRepFichiers(const unsigned char* pab, size_t nTaille, size_t nMarque)
{
    if (nMarque < 2 || nMarque + nLongMarque >= nTaille || pab[nMarque + nLongMarque] != 0 || pab[nMarque - 1] != 0)
        return -1;
    if (pab[nMarque - 2] == '.') {
        size_t nDebut = nMarque - 2;
        return nDebut + gnTailleRepFichiers <= nTaille ? static_cast<long>(nDebut) : -1;
    }
    if (nMarque < CInfoExeFichier::nPosMarqueEcrite)
        return -1;
    size_t nDebut = nMarque - CInfoExeFichier::nPosMarqueEcrite;
    const unsigned char* pabFin = static_cast<const unsigned char*>(std::memchr(pab + nDebut, 0, nMarque - nDebut));
    if (!pabFin || !__bZeros(pabFin, static_cast<size_t>(pab + nMarque - pabFin)))
        return -1;
    return static_cast<long>(nDebut);
}

// Whether [nA, nA + nTailleA) and [nB, nB + nTailleB) share a byte.
bool __bChevauche(size_t nA, size_t nTailleA, size_t nB, size_t nTailleB)
{
    return nA < nB + nTailleB && nB < nA + nTailleA;
}

bool __bEntier(const char* psz, long long nMin, long long nMax, long long* pn)
{
    if (!psz || !*psz)
        return false;
    errno = 0;
    char* pszFin = nullptr;
    long long n = std::strtoll(psz, &pszFin, 0);
    if (errno || *pszFin || n < nMin || n > nMax)
        return false;
    *pn = n;
    return true;
}

void __Erreur(CTString* pcl, const char* psz)
{
    if (pcl)
        *pcl = psz;
}

// The system-call layer's account of the last failure ("cannot write /x: No space left...").
void __ErreurSysteme(CTString* pcl)
{
    if (!pcl)
        return;
    char sz[1200];
    SYS_nFormatLastError(sz, sizeof sz);
    *pcl = sz;
}

}  // namespace

bool CInfoExeFichier::bCharge(const char* pszFichier, CTString* pclErreur)
{
    const int fd = SYS_nOpen(pszFichier, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        __ErreurSysteme(pclErreur);
        return false;
    }
    CSimpleBuffer clLu;
    struct stat64 st;
    std::size_t nLu = 0;
    bool bOk = SYS_bFstat(fd, &st, pszFichier);
    if (bOk && (!S_ISREG(st.st_mode) || static_cast<unsigned long long>(st.st_size) >= UINT_MAX)) {
        if (pclErreur)
            pclErreur->printf("%s: not a regular file of less than 4 GB", pszFichier);
        SYS_bClose(fd, pszFichier);
        return false;
    }
    if (bOk && !clLu.SetSize(static_cast<unsigned>(st.st_size))) {
        SYS_bClose(fd, pszFichier);
        __Erreur(pclErreur, "out of memory");
        return false;
    }
    bOk = bOk && SYS_bReadAll(fd, clLu.pGetData(), clLu.dwGetSize(), &nLu, pszFichier);
    if (!bOk)
        __ErreurSysteme(pclErreur);
    SYS_bClose(fd, pszFichier);
    if (!bOk)
        return false;
    if (nLu != clLu.dwGetSize()) {
        if (pclErreur)
            pclErreur->printf("%s: the file shrank while it was read", pszFichier);
        return false;
    }
    return bChargeOctets(clLu.pGetData(), clLu.dwGetSize(), pclErreur);
}

bool CInfoExeFichier::bChargeOctets(const void* pOctets, unsigned nTaille, CTString* pclErreur)
{
    if (!m_clOctets.CopyBuffer(pOctets, nTaille)) {
        __Erreur(pclErreur, "out of memory");
        return false;
    }
    return _bTrouve(pclErreur, &m_nPosInfo, &m_nPosRep);
}

bool CInfoExeFichier::_bTrouve(CTString* pclErreur, unsigned* pnPosInfo, unsigned* pnPosRep) const
{
    const unsigned char* pab = _pabOctets();
    const size_t nTaille = m_clOctets.dwGetSize();
    // Every place where each field could lie. Past a few, the file is ambiguous anyway; the
    // cap bounds the pairing below on a hostile file.
    constexpr size_t nMAX_CANDIDATS = 64;
    std::vector<size_t> tabInfos, tabReps;
    for (size_t i = 0; pab && i + sizeof(_stINFOEXE) <= nTaille && tabInfos.size() <= nMAX_CANDIDATS; ++i)
        if (bFormeInfoExe(pab + i))
            tabInfos.push_back(i);
    for (size_t i = 0; pab && i + nLongMarque <= nTaille && tabReps.size() <= nMAX_CANDIDATS; ++i) {
        const void* pTrouve = memmem(pab + i, nTaille - i, gszRepFichiersMarque, nLongMarque);
        if (!pTrouve)
            break;
        i = static_cast<size_t>(static_cast<const unsigned char*>(pTrouve) - pab);
        const long nDebut = __nDebutRepFichiers(pab, nTaille, i);
        if (nDebut >= 0)
            tabReps.push_back(static_cast<size_t>(nDebut));
    }
    // The two fields never share a byte: a candidate that overlaps every candidate of the other
    // field is not that field. So a text field of the block holding the marker is not the
    // data-files field, and zeros written into the data-files field that complete the shape of
    // a block around it do not make a second block.
    const auto Garde = [](const std::vector<size_t>& tab, size_t nLong, const std::vector<size_t>& tabAutres,
                          size_t nLongAutre) {
        std::vector<size_t> tabGardes;
        for (size_t n : tab)
            for (size_t nAutre : tabAutres)
                if (!__bChevauche(n, nLong, nAutre, nLongAutre)) {
                    tabGardes.push_back(n);
                    break;
                }
        return tabGardes;
    };
    const std::vector<size_t> tabInfosGardees =
        tabReps.empty() ? tabInfos : Garde(tabInfos, sizeof(_stINFOEXE), tabReps, gnTailleRepFichiers);
    const std::vector<size_t> tabRepsGardes =
        tabInfos.empty() ? tabReps : Garde(tabReps, gnTailleRepFichiers, tabInfos, sizeof(_stINFOEXE));
    if (tabInfosGardees.empty() && tabRepsGardes.empty() && !tabInfos.empty() && !tabReps.empty()) {
        // Every candidate overlaps one of the other field: the block's shape is the stricter
        // test, so the data-files field is the one missing.
        __Erreur(pclErreur, tabInfos.size() > 1 ? "the file holds more than one information block"
                                                : "the file holds no data-files directory field outside its "
                                                  "information block: not a ZVExe executable");
        return false;
    }
    if (tabInfosGardees.size() != 1) {
        __Erreur(pclErreur, tabInfosGardees.size() > 1 ? "the file holds more than one information block"
                                                       : "the file holds no information block: not a ZVExe executable");
        return false;
    }
    if (tabRepsGardes.size() != 1) {
        __Erreur(pclErreur, tabRepsGardes.size() > 1
                                ? "the file holds more than one data-files directory field"
                                : "the file holds no data-files directory field: not a ZVExe executable");
        return false;
    }
    *pnPosInfo = static_cast<unsigned>(tabInfosGardees[0]);
    *pnPosRep = static_cast<unsigned>(tabRepsGardes[0]);
    return true;
}

_stINFOEXE CInfoExeFichier::stGetInfo() const
{
    _stINFOEXE st;
    std::memcpy(&st, _pabOctets() + m_nPosInfo, sizeof(st));
    return st;
}

CTString CInfoExeFichier::clGetRepFichiers() const
{
    const char* psz = reinterpret_cast<const char*>(_pabOctets() + m_nPosRep);
    return CTString(psz, static_cast<long>(strnlen(psz, gnTailleRepFichiers - 1)));
}

bool CInfoExeFichier::_bSetTexte(size_t nOffset, size_t nTaille, const char* pszValeur, CTString* pclErreur)
{
    size_t nLong = std::strlen(pszValeur);
    if (nLong >= nTaille) {
        if (pclErreur)
            pclErreur->printf("value of %zu characters does not fit a field of %zu characters", nLong, nTaille - 1);
        return false;
    }
    unsigned char* pab = _pabOctets() + nOffset;
    std::memset(pab, 0, nTaille);
    std::memcpy(pab, pszValeur, nLong);
    return true;
}

bool CInfoExeFichier::bSetChamp(eCHAMPINFOEXE eChamp, const char* pszValeur, CTString* pclErreur)
{
    if (!pszValeur || !_pabOctets()) {
        __Erreur(pclErreur, "no value");
        return false;
    }
    // A write only touches the block or the data-files field; both are kept so that a value
    // which would leave the file unreadable by this tool is undone.
    unsigned char abInfo[sizeof(_stINFOEXE)];
    unsigned char abRep[gnTailleRepFichiers];
    std::memcpy(abInfo, _pabOctets() + m_nPosInfo, sizeof abInfo);
    std::memcpy(abRep, _pabOctets() + m_nPosRep, sizeof abRep);
    if (!_bEcritChamp(eChamp, pszValeur, pclErreur))
        return false;
    // Zeros or text written into one field can complete the shape of a block or of a field
    // elsewhere (around the one written, or across filler): the file would then hold two of
    // them, or its fields would be found in other places, and the next run of the tool would
    // refuse it or patch the wrong bytes.
    unsigned nPosInfo = 0, nPosRep = 0;
    CTString clPourquoi;
    if (_bTrouve(&clPourquoi, &nPosInfo, &nPosRep) && nPosInfo == m_nPosInfo && nPosRep == m_nPosRep)
        return true;
    std::memcpy(_pabOctets() + m_nPosRep, abRep, sizeof abRep);
    std::memcpy(_pabOctets() + m_nPosInfo, abInfo, sizeof abInfo);
    if (pclErreur) {
        if (clPourquoi.bEstVide())
            clPourquoi.printf("its fields would be found at offsets %u and %u", nPosInfo, nPosRep);
        pclErreur->printf("this value would leave the file ambiguous (%s); nothing was changed", clPourquoi.pszGet());
    }
    return false;
}

bool CInfoExeFichier::_bEcritChamp(eCHAMPINFOEXE eChamp, const char* pszValeur, CTString* pclErreur)
{
    const size_t nInfo = m_nPosInfo;
    long long n = 0;
    switch (eChamp) {
    case eCHAMP_FRAMEWORK:
    case eCHAMP_ZVL:
    case eCHAMP_PROJET: {
        if (!*pszValeur) {
            __Erreur(pclErreur, "a name cannot be empty");
            return false;
        }
        size_t nOffset = eChamp == eCHAMP_FRAMEWORK ? offsetof(_stINFOEXE, szNomFramework)
                       : eChamp == eCHAMP_ZVL       ? offsetof(_stINFOEXE, szNomZVL)
                                                    : offsetof(_stINFOEXE, szNomProjet);
        size_t nTaille = eChamp == eCHAMP_FRAMEWORK ? sizeof(_stINFOEXE::szNomFramework)
                       : eChamp == eCHAMP_ZVL       ? sizeof(_stINFOEXE::szNomZVL)
                                                    : sizeof(_stINFOEXE::szNomProjet);
        return _bSetTexte(nInfo + nOffset, nTaille, pszValeur, pclErreur);
    }
    case eCHAMP_REPFICHIERS: {
        // The marker stays at the end of the field so that the field is found again.
        if (std::strlen(pszValeur) > nMaxRepFichiers) {
            if (pclErreur)
                pclErreur->printf("a data-files directory has at most %u characters", nMaxRepFichiers);
            return false;
        }
        if (!_bSetTexte(m_nPosRep, gnTailleRepFichiers, pszValeur, pclErreur))
            return false;
        std::memcpy(_pabOctets() + m_nPosRep + nPosMarqueEcrite, gszRepFichiersMarque, nLongMarque);
        return true;
    }
    case eCHAMP_POSITION:
        if (!__bEntier(pszValeur, LLONG_MIN, LLONG_MAX, &n)) {
            __Erreur(pclErreur, "the position must be a signed 64-bit integer");
            return false;
        }
        {
            int64_t o = n;
            std::memcpy(_pabOctets() + nInfo + offsetof(_stINFOEXE, oPositionZVL), &o, sizeof(o));
        }
        return true;
    case eCHAMP_RESTREINT:
    case eCHAMP_COMMUN:
    case eCHAMP_VERSION: {
        if (!__bEntier(pszValeur, INT32_MIN, INT32_MAX, &n)) {
            __Erreur(pclErreur, "the value must be a signed 32-bit integer");
            return false;
        }
        int32_t n32 = static_cast<int32_t>(n);
        size_t nOffset = eChamp == eCHAMP_RESTREINT ? offsetof(_stINFOEXE, bRechercheRestreinte)
                       : eChamp == eCHAMP_COMMUN    ? offsetof(_stINFOEXE, bFrameworkCommun)
                                                    : offsetof(_stINFOEXE, nVersionActive);
        std::memcpy(_pabOctets() + nInfo + nOffset, &n32, sizeof(n32));
        return true;
    }
    }
    __Erreur(pclErreur, "unknown field");
    return false;
}

bool CInfoExeFichier::bEcrit(const char* pszFichier, const char* pszModeDe, CTString* pclErreur) const
{
    // Replaced as a whole: a failure leaves the former file (a running executable too, which
    // could not be written in place).
    struct stat64 stSource;
    if (pszModeDe && !SYS_bStat(pszModeDe, &stSource)) {
        __ErreurSysteme(pclErreur);
        return false;
    }
    CRemplacementAtomique clSortie;
    const std::size_t n = m_clOctets.dwGetSize();
    bool bOk = clSortie.bOuvre(pszFichier, static_cast<long long>(n)) && clSortie.bEcrit(m_clOctets.pGetData(), n);
    if (bOk && pszModeDe)
        bOk = SYS_bFchmod(clSortie.nGetFd(), stSource.st_mode & 07777, clSortie.pszGetEcrit());
    bOk = bOk && clSortie.bValide();
    if (!bOk)
        __ErreurSysteme(pclErreur);
    return bOk;
}

bool CInfoExeFichier::bAjouteDLL(const void* pBibliotheque, unsigned nTaille, const char* pszNom,
                                 unsigned* pnPosDescripteur, unsigned* pnBloc, unsigned char* pbyMethode,
                                 CTString* pclErreur)
{
    _stINFODLL stInfo = {};
    const size_t nNom = pszNom ? std::strlen(pszNom) : 0;
    if (nNom >= sizeof(stInfo.szNom)) {
        __Erreur(pclErreur, "library name too long for the descriptor");
        return false;
    }
    if (nNom)
        std::memcpy(stInfo.szNom, pszNom, nNom);
    if ((!pBibliotheque && nTaille) || nTaille > CCompresseurBase::dwENTREE_MAX) {
        __Erreur(pclErreur, "library too large for one block");
        return false;
    }

    const uint32_t dwCapacite = CCompresseur::ms_clCompresseurZLW.dwTailleBufferCompression(nTaille);
    CSimpleBuffer clBloc(dwCapacite);
    if (clBloc.dwGetSize() != dwCapacite) {
        __Erreur(pclErreur, "out of memory");
        return false;
    }
    CCompresseur clCompresseur(CCompresseurBase::eCOMPRESSEUR_ZLW);
    clCompresseur.m_pEntree = pBibliotheque;
    clCompresseur.m_dwEntree = nTaille;
    clCompresseur.m_pSortie = clBloc.pGetData();
    clCompresseur.m_dwSortie = dwCapacite;
    const uint32_t dwBloc = clCompresseur.dwCompression();
    if (dwBloc == 0) {
        __Erreur(pclErreur, "compression failed");
        return false;
    }
    stInfo.dwLongueurCompressee = dwBloc;

    const uint64_t qwTotal = uint64_t(m_clOctets.dwGetSize()) + sizeof(_stINFODLL) + dwBloc;
    if (qwTotal > UINT_MAX - 1) {
        __Erreur(pclErreur, "the file would pass 4 GB");
        return false;
    }
    CSimpleBuffer clNouveau(static_cast<unsigned>(qwTotal));
    if (clNouveau.dwGetSize() != qwTotal) {
        __Erreur(pclErreur, "out of memory");
        return false;
    }
    unsigned char* pab = static_cast<unsigned char*>(clNouveau.pGetData());
    const unsigned nPos = m_clOctets.dwGetSize();
    if (nPos)
        std::memcpy(pab, m_clOctets.pGetData(), nPos);
    std::memcpy(pab + nPos, &stInfo, sizeof(stInfo));
    std::memcpy(pab + nPos + sizeof(stInfo), clBloc.pGetData(), dwBloc);
    m_clOctets = clNouveau;
    if (pnPosDescripteur)
        *pnPosDescripteur = nPos;
    if (pnBloc)
        *pnBloc = dwBloc;
    if (pbyMethode)
        *pbyMethode = static_cast<const unsigned char*>(clBloc.pGetData())[0];
    return true;
}

CTString CInfoExeFichier::clAffiche() const
{
    _stINFOEXE st = stGetInfo();
    CTString cl;
    cl.printf("information block at offset %u\n"
              "runtime library: %s\n"
              "application library: %s\n"
              "position: %" PRId64 "\n"
              "restricted search: %d\n"
              "common directory: %d\n"
              "project: %s\n"
              "active version: %d\n"
              "data-files directory at offset %u\n"
              "data-files directory: %s\n",
              m_nPosInfo, st.szNomFramework, st.szNomZVL, st.oPositionZVL, st.bRechercheRestreinte,
              st.bFrameworkCommun, st.szNomProjet, st.nVersionActive, m_nPosRep, clGetRepFichiers().pszGet());
    return cl;
}
