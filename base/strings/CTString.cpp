// CTString: assignment, conversions, search, fields, editing and formatting of the counted string.
#include "base/strings/CTString.h"

#include "base/files/CDiskFile.h"
#include "base/messages/FormatMessage.h"

#include "base/strings/CodePage.h"
#include "base/strings/NumberText.h"
#include "base/strings/StrCompare.h"
#include "base/strings/StrCopy.h"
#include "base/strings/StrEdit.h"
#include "base/strings/StrMap.h"
#include "base/strings/StrSearch.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>

// A text handed to an operation of the string. When it lies in the string's own block it
// is replaced by a private copy, so that resizing or rewriting the block cannot pull it away.
class CTString::__CSource {
public:
    // nOctets: bytes the operation will read from psz. A copy holds nOctets + 1 bytes; what
    // would lie past the string's own text reads as NUL instead of past the block.
    __CSource(const CTString& clCible, const char* psz, std::size_t nOctets) : m_psz(psz), m_pCopie(nullptr)
    {
        if (!clCible.__bDansBloc(psz))
            return;
        const std::size_t nDispo = static_cast<std::size_t>(clCible.m_psz + std::strlen(clCible.m_psz) - psz);
        m_pCopie = static_cast<char*>(CTString::__pAlloue(nOctets + 1));
        std::memset(m_pCopie, 0, nOctets + 1);
        std::memcpy(m_pCopie, psz, std::min(nOctets, nDispo));
        m_psz = m_pCopie;
    }
    ~__CSource() { std::free(m_pCopie); }
    __CSource(const __CSource&) = delete;
    __CSource& operator=(const __CSource&) = delete;

    const char* pszGet() const { return m_psz; }

private:
    const char* m_psz;
    char* m_pCopie;
};

const char CTString::ms_szVide[1] = "";

// ---- Memory ---------------------------------------------------------------------------

void CTString::__PlusDeMemoire(std::size_t nOctets)
{
    std::fprintf(stderr, "CTString: out of memory (%zu bytes requested)\n", nOctets);
    std::abort();
}

void* CTString::__pAlloue(std::size_t nOctets)
{
    void* p = std::malloc(nOctets);
    if (!p)
        __PlusDeMemoire(nOctets);
    return p;
}

char* CTString::__pRealloue(char* p, std::size_t nOctets)
{
    char* pNouveau = static_cast<char*>(std::realloc(p, nOctets));
    if (!pNouveau)
        __PlusDeMemoire(nOctets);
    return pNouveau;
}

void CTString::_SetBufferSize(std::size_t n)
{
    if (n >= SIZE_MAX)
        __PlusDeMemoire(n);
    m_psz = m_psz ? __pRealloue(m_psz, n + 1) : static_cast<char*>(__pAlloue(n + 1));
    m_psz[n] = '\0';
}

void CTString::__Adopte(char* psz)
{
    if (psz != m_psz)
        std::free(m_psz);
    m_psz = psz;
}

bool CTString::__bDansBloc(const char* p) const
{
    if (!m_psz || !p)
        return false;
    // Compared as integers: the argument may point anywhere.
    const std::uintptr_t u = reinterpret_cast<std::uintptr_t>(p);
    const std::uintptr_t uDebut = reinterpret_cast<std::uintptr_t>(m_psz);
    return u >= uDebut && u <= uDebut + std::strlen(m_psz);
}

void CTString::__Affecte(const char* p, std::size_t n)
{
    if (!p) {
        Vide();
        return;
    }
    if (__bDansBloc(p)) {
        // A piece of the current text: bring it to the front, then trim the block.
        const std::size_t nDispo = static_cast<std::size_t>(m_psz + std::strlen(m_psz) - p);
        n = std::min(n, nDispo);
        std::memmove(m_psz, p, n);
        _SetBufferSize(n);
        return;
    }
    if (!m_psz || std::strlen(m_psz) != n)
        _SetBufferSize(n);
    if (n)
        std::memcpy(m_psz, p, n);
}

// ---- Construction and assignment ------------------------------------------------------

CTString::CTString(const char* psz) : m_psz(nullptr) { Set(psz); }

CTString::CTString(const char* psz, long n) : m_psz(nullptr)
{
    if (psz)
        __Affecte(psz, strnlen(psz, n < 0 ? SIZE_MAX : static_cast<std::size_t>(n)));
}

CTString::CTString(const CTString& cl) : m_psz(nullptr)
{
    if (cl.m_psz)
        __Affecte(cl.m_psz, std::strlen(cl.m_psz));
}

CTString::CTString(const wchar_t* pwsz) : m_psz(nullptr) { SetUNICODE(pwsz); }

CTString::~CTString() { std::free(m_psz); }

CTString& CTString::operator=(const CTString& cl)
{
    if (this != &cl) {
        if (cl.m_psz)
            __Affecte(cl.m_psz, std::strlen(cl.m_psz));
        else
            Vide();
    }
    return *this;
}

CTString& CTString::operator=(CTString&& cl) noexcept
{
    if (this != &cl) {
        std::free(m_psz);
        m_psz = cl.m_psz;
        cl.m_psz = nullptr;
    }
    return *this;
}

CTString& CTString::operator=(const char* psz)
{
    Set(psz);
    return *this;
}

CTString& CTString::operator=(char* psz)
{
    Set(psz);
    return *this;
}

CTString& CTString::operator=(char c)
{
    Set(c);
    return *this;
}

CTString& CTString::operator=(const wchar_t* pwsz)
{
    SetUNICODE(pwsz);
    return *this;
}

void CTString::Set(const char* psz)
{
    if (psz && psz == m_psz)
        return;
    if (!psz)
        Vide();
    else
        __Affecte(psz, std::strlen(psz));
}

void CTString::Set(const char* psz, unsigned n)
{
    if (!psz)
        Vide();
    else
        __Affecte(psz, strnlen(psz, n));
}

void CTString::SetFromBinary(const char* p, unsigned n)
{
    if (!p) {
        Vide();
        return;
    }
    // Always a fresh block: p may lie in the current one.
    const __CSource src(*this, p, n);
    char* pNouveau = static_cast<char*>(__pAlloue(static_cast<std::size_t>(n) + 1));
    if (n)
        std::memcpy(pNouveau, src.pszGet(), n);
    pNouveau[n] = '\0';
    __Adopte(pNouveau);
}

void CTString::Set(const char* pszA, const char* pszB, const char* pszC)
{
    const char* apsz[3] = {pszA ? pszA : "", pszB ? pszB : "", pszC ? pszC : ""};
    std::size_t anLong[3];
    std::size_t nTotal = 0;
    bool bInterne = false;
    for (int i = 0; i < 3; ++i) {
        anLong[i] = std::strlen(apsz[i]);
        nTotal += anLong[i];
        bInterne = bInterne || __bDansBloc(apsz[i]);
    }
    char* pDest;
    if (!bInterne && m_psz && std::strlen(m_psz) == nTotal) {
        pDest = m_psz;
    } else {
        pDest = static_cast<char*>(__pAlloue(nTotal + 1));
    }
    char* q = pDest;
    for (int i = 0; i < 3; ++i) {
        std::memcpy(q, apsz[i], anLong[i]);
        q += anLong[i];
    }
    *q = '\0';
    __Adopte(pDest);
}

void CTString::Set(char c)
{
    if (!c) {
        Vide();
        return;
    }
    if (!m_psz || std::strlen(m_psz) != 1)
        _SetBufferSize(1);
    m_psz[0] = c;
}

void CTString::SetI4(int n)
{
    char sz[16];
    Set(itoa(n, sz, 10));
}

void CTString::SetANSI(const char* psz, unsigned /*nCodePage*/) { Set(psz); }

void CTString::SetBuffer(char* psz)
{
    if (psz == m_psz)
        return;
    __Adopte(psz);
    if (m_psz)
        _SetBufferSize(std::strlen(m_psz));
}

void CTString::Vide()
{
    std::free(m_psz);
    m_psz = nullptr;
}

bool CTString::FichierTemporaire(const char* pszPrefixe)
{
    // The name is reserved by creating the file, which is removed at once: the name is free
    // when it is returned, as before, but is never one that another process holds.
    char szPrefixe[6] = "";
    if (pszPrefixe)
        std::strncat(szPrefixe, pszPrefixe, 5);
    char szNom[CDiskFile::ZV_MAX_PATH + 1];
    if (!CDiskFile::bGetTempName(szNom, szPrefixe) || !CDiskFile::bDelete(szNom)) {
        Vide();
        return false;
    }
    Set(szNom);
    return !bEstVide();  // empty: the copy could not be allocated
}

// ---- Conversions ----------------------------------------------------------------------

bool CTString::SetWide(const wchar_t* pwsz, unsigned nCodePage)
{
    if (!pwsz) {
        Vide();
        return true;
    }
    // Bytes needed, terminator included.
    const int nBesoin = WideCharToMultiByte(nCodePage, 0, pwsz, -1, nullptr, 0, nullptr, nullptr);
    if (nBesoin <= 0) {
        Vide();
        return false;
    }
    char* pNouveau = static_cast<char*>(__pAlloue(static_cast<std::size_t>(nBesoin)));
    if (WideCharToMultiByte(nCodePage, 0, pwsz, -1, pNouveau, nBesoin, nullptr, nullptr) <= 0) {
        std::free(pNouveau);
        Vide();
        return false;
    }
    pNouveau[nBesoin - 1] = '\0';
    SetBuffer(pNouveau);
    return true;
}

bool CTString::SetUNICODE(const wchar_t* pwsz) { return SetWide(pwsz, 1252); }

bool CTString::SetUTF8(const char* pszUTF8, unsigned nCodePage)
{
    if (!pszUTF8) {
        Vide();
        return true;
    }
    // A single-byte or double-byte form is never longer than the UTF-8 one. Converted into a
    // fresh block: the source may be this string's own text.
    const std::size_t n = std::strlen(pszUTF8);
    char* pNouveau = static_cast<char*>(__pAlloue(n + 1));
    const unsigned nEcrits = UTF8ToMultiByte(nCodePage, pszUTF8, n + 1, pNouveau, n + 1, 0, nullptr, nullptr);
    if (nEcrits == 0 && n > 0) {
        std::free(pNouveau);
        Vide();
        return false;
    }
    pNouveau[n] = '\0';
    SetBuffer(pNouveau);
    return true;
}

bool CTString::SetXUTF8(const char* pszAnsi, unsigned nMapFlags)
{
    if (!pszAnsi) {
        Vide();
        return true;
    }
    std::size_t n = std::strlen(pszAnsi);
    if (n >= INT_MAX) {
        Vide();
        return false;
    }
    // Temporaries, so the text may be this string's own.
    char* pszMappe = nullptr;
    const char* pszTexte = pszAnsi;
    if (nMapFlags) {
        pszMappe = static_cast<char*>(__pAlloue(n + 1));
        n = STR_nMapStringEx(nMapFlags, pszMappe, static_cast<unsigned>(n + 1), pszAnsi, -1, 1);
        pszTexte = pszMappe;
    }
    wchar_t* pwsz = static_cast<wchar_t*>(__pAlloue((n + 1) * sizeof(wchar_t)));
    char* pNouveau = nullptr;
    int nBesoin = 0;
    if (MultiByteToWideChar(0, 0, pszTexte, -1, pwsz, static_cast<int>(n + 1)) > 0)
        nBesoin = WideCharToMultiByte(65001, 0, pwsz, -1, nullptr, 0, nullptr, nullptr);
    if (nBesoin > 0) {
        pNouveau = static_cast<char*>(__pAlloue(static_cast<std::size_t>(nBesoin)));
        if (WideCharToMultiByte(65001, 0, pwsz, -1, pNouveau, nBesoin, nullptr, nullptr) > 0) {
            pNouveau[nBesoin - 1] = '\0';
        } else {
            std::free(pNouveau);
            pNouveau = nullptr;
        }
    }
    std::free(pwsz);
    std::free(pszMappe);
    if (!pNouveau) {
        Vide();
        return false;
    }
    SetBuffer(pNouveau);
    return true;
}

bool CTString::bGetWide(wchar_t* pwszBuf, int* pnCount) const
{
    if (!pnCount)
        return false;
    const int nBesoin = MultiByteToWideChar(1252, 0, pszGet(), -1, nullptr, 0);
    if (nBesoin <= 0) {
        *pnCount = 0;
        return false;
    }
    if (pwszBuf && nBesoin <= *pnCount) {
        const int nEcrits = MultiByteToWideChar(1252, 0, pszGet(), -1, pwszBuf, nBesoin);
        *pnCount = nEcrits;
        return nEcrits != 0;
    }
    *pnCount = nBesoin;
    return false;
}

// ---- Access ---------------------------------------------------------------------------

long CTString::nTaille() const { return m_psz ? static_cast<long>(std::strlen(m_psz)) : 0; }

char CTString::cGetChar(long nIndex) const
{
    if (!m_psz || nIndex < 0 || static_cast<std::size_t>(nIndex) >= std::strlen(m_psz))
        return '\0';
    return m_psz[nIndex];
}

void CTString::SetChar(long nIndex, char c)
{
    if (!m_psz || nIndex < 0 || static_cast<std::size_t>(nIndex) >= std::strlen(m_psz))
        return;
    if (c)
        m_psz[nIndex] = c;
    else
        Tronque(nIndex);
}

// ---- Search ---------------------------------------------------------------------------

long CTString::nPos(char c, long nDebut) const
{
    if (bEstVide() || !c)
        return -1;
    const std::size_t n = std::strlen(m_psz);
    const std::size_t nDepart = nDebut < 0 ? 0 : static_cast<std::size_t>(nDebut);
    if (nDepart >= n)
        return -1;
    const void* p = std::memchr(m_psz + nDepart, c, n - nDepart);
    return p ? static_cast<const char*>(p) - m_psz : -1;
}

long CTString::nPos(const char* psz, long nDebut) const
{
    if (bEstVide() || !psz)
        return -1;
    const std::size_t nDepart = nDebut < 0 ? 0 : static_cast<std::size_t>(nDebut);
    if (nDepart > std::strlen(m_psz))
        return -1;
    const char* p = std::strstr(m_psz + nDepart, psz);
    return p ? p - m_psz : -1;
}

long CTString::nRPos(char c) const
{
    if (bEstVide() || !c)
        return -1;
    const char* p = std::strrchr(m_psz, c);
    return p ? p - m_psz : -1;
}

long CTString::nRPos(const char* psz) const
{
    if (bEstVide() || !psz || !*psz)
        return -1;
    long nDernier = -1;
    for (const char* p = std::strstr(m_psz, psz); p; p = std::strstr(p + 1, psz))
        nDernier = p - m_psz;
    return nDernier;
}

long CTString::nUpPos(const char* psz, long nDebut) const
{
    if (bEstVide() || !psz || !*psz)
        return -1;
    const std::size_t n = std::strlen(m_psz);
    const std::size_t m = std::strlen(psz);
    const std::size_t nDepart = nDebut < 0 ? 0 : static_cast<std::size_t>(nDebut);
    if (nDepart > n || n - nDepart < m)
        return -1;
    for (std::size_t i = nDepart; i + m <= n; ++i) {
        std::size_t k = 0;
        while (k < m && std::toupper(static_cast<unsigned char>(m_psz[i + k])) ==
                            std::toupper(static_cast<unsigned char>(psz[k])))
            ++k;
        if (k == m)
            return static_cast<long>(i);
    }
    return -1;
}

long CTString::nPosParmi(const char* pszEnsemble) const
{
    if (bEstVide() || !pszEnsemble)
        return -1;
    const char* p = std::strpbrk(m_psz, pszEnsemble);
    return p ? p - m_psz : -1;
}

long CTString::nNbOcc(const char* psz) const
{
    if (bEstVide() || !psz || !*psz)
        return 0;
    const std::size_t m = std::strlen(psz);
    long nOcc = 0;
    for (const char* p = std::strstr(m_psz, psz); p; p = std::strstr(p + m, psz))
        ++nOcc;
    return nOcc;
}

// ---- Comparison -----------------------------------------------------------------------

bool CTString::bEstEgal(const char* psz) const { return std::strcmp(pszGet(), psz ? psz : "") == 0; }

bool CTString::operator==(const CTString& cl) const { return std::strcmp(pszGet(), cl.pszGet()) == 0; }

bool CTString::bCommencePar(const char* psz) const
{
    if (!psz)
        return true;
    return std::strncmp(pszGet(), psz, std::strlen(psz)) == 0;
}

bool CTString::bTerminePar(const char* psz) const
{
    if (!psz)
        return true;
    const std::size_t n = std::strlen(pszGet());
    const std::size_t m = std::strlen(psz);
    return m <= n && std::memcmp(pszGet() + n - m, psz, m) == 0;
}

bool CTString::bEstEgalI(const char* psz) const
{
    // Flags 2 with the ignore-case bit STR_nUpCompare adds: case and accents ignored.
    return STR_nUpCompare(pszGet(), psz ? psz : "", 2) == 0;
}

bool CTString::bEstEgalI(const CTString& cl) const { return bEstEgalI(cl.pszGet()); }

bool CTString::bCommenceParI(const char* psz) const
{
    if (!psz)
        return true;
    const long m = static_cast<long>(std::strlen(psz));
    return m <= nTaille() && clGauche(m).bEstEgalI(psz);
}

bool CTString::bTermineParI(const char* psz) const
{
    if (!psz)
        return true;
    const long m = static_cast<long>(std::strlen(psz));
    return m <= nTaille() && clDroite(m).bEstEgalI(psz);
}

// ---- Extraction -----------------------------------------------------------------------

CTString CTString::clMilieu(long nDebut, long nNombre) const
{
    CTString cl;
    if (bEstVide())
        return cl;
    const std::size_t n = std::strlen(m_psz);
    const std::size_t nDepart = nDebut < 0 ? 0 : static_cast<std::size_t>(nDebut);
    if (nDepart > n)
        return cl;
    const std::size_t nVoulu = nNombre < 0 ? 0 : static_cast<std::size_t>(nNombre);
    cl.__Affecte(m_psz + nDepart, std::min(nVoulu, n - nDepart));
    return cl;
}

CTString CTString::clMilieu(long nDebut) const
{
    CTString cl;
    if (bEstVide())
        return cl;
    const std::size_t n = std::strlen(m_psz);
    const std::size_t nDepart = nDebut < 0 ? 0 : static_cast<std::size_t>(nDebut);
    if (nDepart <= n)
        cl.__Affecte(m_psz + nDepart, n - nDepart);
    return cl;
}

CTString CTString::clGauche(long n) const { return clMilieu(0, n); }

CTString CTString::clDroite(long n) const
{
    CTString cl;
    const std::size_t nLong = std::strlen(pszGet());
    const std::size_t nVoulu = n < 0 ? 0 : std::min(static_cast<std::size_t>(n), nLong);
    cl.__Affecte(pszGet() + nLong - nVoulu, nVoulu);
    return cl;
}

CTString CTString::clExclu(const char* pszEnsemble) const
{
    CTString cl;
    cl.__Affecte(pszGet(), pszEnsemble ? std::strcspn(pszGet(), pszEnsemble) : std::strlen(pszGet()));
    return cl;
}

CTString CTString::clContientUniquement(const char* pszEnsemble) const
{
    CTString cl;
    cl.__Affecte(pszGet(), pszEnsemble ? std::strspn(pszGet(), pszEnsemble) : 0);
    return cl;
}

CTString CTString::operator+(const char* psz) const
{
    CTString cl(*this);
    if (cl.m_psz)
        cl.Add(psz);
    else
        cl.__Affecte(psz ? psz : "", psz ? std::strlen(psz) : 0);
    return cl;
}

CTString CTString::operator+(const CTString& cl) const { return *this + cl.pszGet(); }

// ---- Fields ---------------------------------------------------------------------------

bool CTString::bExtraitChainePos(unsigned long n, char cSep, const char** ppszChamp, long* pnTaille) const
{
    // A NUL separator would be found at the terminator: it separates nothing.
    const char* p = pszGet();
    for (unsigned long i = 0; i < n; ++i) {
        const char* q = cSep ? std::strchr(p, cSep) : nullptr;
        if (!q)
            return false;
        p = q + 1;
    }
    const char* q = cSep ? std::strchr(p, cSep) : nullptr;
    if (ppszChamp)
        *ppszChamp = p;
    if (pnTaille)
        *pnTaille = q ? q - p : static_cast<long>(std::strlen(p));
    return true;
}

bool CTString::bExtraitChainePos(long n, const char* pszSep, const char** ppszChamp, long* pnTaille) const
{
    if (!m_psz)
        return false;
    // An empty separator would be found everywhere: it separates nothing.
    const std::size_t m = pszSep ? std::strlen(pszSep) : 0;
    const char* p = m_psz;
    for (long i = 0; i < n; ++i) {
        const char* q = m ? std::strstr(p, pszSep) : nullptr;
        if (!q)
            return false;
        p = q + m;
    }
    const char* q = m ? std::strstr(p, pszSep) : nullptr;
    if (ppszChamp)
        *ppszChamp = p;
    if (pnTaille)
        *pnTaille = q ? q - p : static_cast<long>(std::strlen(p));
    return true;
}

bool CTString::bExtraitPosTailleChaine(long n, const char* pszSep, int* pnPos, long* pnTaille) const
{
    const char* p = nullptr;
    if (!bExtraitChainePos(n, pszSep, &p, pnTaille))
        return false;
    if (pnPos)
        *pnPos = static_cast<int>(p - m_psz);
    return true;
}

bool CTString::bExtraitChaine(unsigned long n, char cSep, CTString* pclChamp) const
{
    const char* p = nullptr;
    long nTailleChamp = 0;
    if (bEstVide() || !pclChamp || !bExtraitChainePos(n, cSep, &p, &nTailleChamp))
        return false;
    pclChamp->__Affecte(p, static_cast<std::size_t>(nTailleChamp));
    return true;
}

bool CTString::bExtraitChaine(long n, const char* pszSep, CTString* pclChamp) const
{
    const char* p = nullptr;
    long nTailleChamp = 0;
    if (bEstVide() || !pclChamp || !bExtraitChainePos(n, pszSep, &p, &nTailleChamp))
        return false;
    pclChamp->__Affecte(p, static_cast<std::size_t>(nTailleChamp));
    return true;
}

bool CTString::bExtraitChaineTok(long n, const char* pszDelim, CTString* pclChamp) const
{
    if (!m_psz || !pclChamp)
        return false;
    // strtok_r on a private copy: no process-wide position is left pointing at freed memory.
    const std::size_t nLong = std::strlen(m_psz);
    char* pCopie = static_cast<char*>(__pAlloue(nLong + 1));
    std::memcpy(pCopie, m_psz, nLong + 1);
    const char* pszSep = pszDelim ? pszDelim : "";
    char* pSuite = nullptr;
    const char* pszJeton = strtok_r(pCopie, pszSep, &pSuite);
    for (long i = 0; pszJeton && i < n; ++i)
        pszJeton = strtok_r(nullptr, pszSep, &pSuite);
    if (pszJeton)
        pclChamp->Set(pszJeton);
    std::free(pCopie);
    return pszJeton != nullptr;
}

bool CTString::bExtraitEtRemplaceChaine(long n, const char* pszSep, const char* pszRemplace)
{
    const char* p = nullptr;
    long nTailleChamp = 0;
    if (!bExtraitChainePos(n, pszSep, &p, &nTailleChamp))
        return false;
    const long nPosChamp = static_cast<long>(p - m_psz);
    if (nPosChamp >= nTaille())
        Add(pszRemplace);
    else
        Remplace(nPosChamp, nTailleChamp, pszRemplace);
    return true;
}

// ---- Split at a character -------------------------------------------------------------

const char* CTString::__pszSepare(const char* psz, char c, bool bDernier, bool bDebut, bool bExistant)
{
    // A NUL c would be found at the terminator: it is never found.
    const char* pTrouve = (psz && c) ? (bDernier ? std::strrchr(psz, c) : std::strchr(psz, c)) : nullptr;
    // psz in the own block is gone once the block changes: hand back only pointers that stay valid.
    const bool bInterne = __bDansBloc(psz);
    if (!pTrouve) {
        if (bExistant) {
            Vide();
            return bInterne ? "" : psz;
        }
        Set(psz);
        return nullptr;
    }
    if (bDebut)
        __Affecte(psz, static_cast<std::size_t>(pTrouve - psz));
    else
        Set(pTrouve + 1);
    if (!bInterne)
        return pTrouve + 1;
    return bDebut ? "" : pszGet();
}

const char* CTString::pszSetDebutPremier(const char* psz, char c) { return __pszSepare(psz, c, false, true, false); }
const char* CTString::pszSetDebutDernier(const char* psz, char c) { return __pszSepare(psz, c, true, true, false); }
const char* CTString::pszSetDebutPremierExistant(const char* psz, char c) { return __pszSepare(psz, c, false, true, true); }
const char* CTString::pszSetDebutDernierExistant(const char* psz, char c) { return __pszSepare(psz, c, true, true, true); }
const char* CTString::pszSetFinPremier(const char* psz, char c) { return __pszSepare(psz, c, false, false, false); }
const char* CTString::pszSetFinDernier(const char* psz, char c) { return __pszSepare(psz, c, true, false, false); }
const char* CTString::pszSetFinPremierExistant(const char* psz, char c) { return __pszSepare(psz, c, false, false, true); }
const char* CTString::pszSetFinDernierExistant(const char* psz, char c) { return __pszSepare(psz, c, true, false, true); }

// ---- Modification in place ------------------------------------------------------------

void CTString::Add(const char* psz)
{
    if (!psz || !*psz)
        return;
    const std::size_t m = std::strlen(psz);
    const __CSource src(*this, psz, m);
    const std::size_t n = std::strlen(pszGet());
    _SetBufferSize(n + m);
    std::memcpy(m_psz + n, src.pszGet(), m);
}

void CTString::Add(const char* psz, long n)
{
    if (!psz || n <= 0)
        return;
    if (psz[n - 1] == '\0')
        --n;
    // An empty string takes exactly these bytes, as SetFromBinary would.
    const bool bVide = bEstVide();
    if (n == 0 && !bVide)
        return;
    const std::size_t m = static_cast<std::size_t>(n);
    const __CSource src(*this, psz, m);
    const std::size_t nLong = bVide ? 0 : std::strlen(m_psz);
    _SetBufferSize(nLong + m);
    if (m)
        std::memcpy(m_psz + nLong, src.pszGet(), m);
}

void CTString::Add(char c)
{
    if (!c)
        return;
    if (bEstVide()) {
        Set(c);
        return;
    }
    const std::size_t n = std::strlen(m_psz);
    _SetBufferSize(n + 1);
    m_psz[n] = c;
}

void CTString::Insert(char c)
{
    if (!c)
        return;
    if (bEstVide()) {
        Set(c);
        return;
    }
    const std::size_t n = std::strlen(m_psz);
    _SetBufferSize(n + 1);
    std::memmove(m_psz + 1, m_psz, n);
    m_psz[0] = c;
}

void CTString::Insert(const char* psz)
{
    if (!psz || !*psz)
        return;
    if (bEstVide()) {
        Set(psz);
        return;
    }
    const std::size_t m = std::strlen(psz);
    const __CSource src(*this, psz, m);
    const std::size_t n = std::strlen(m_psz);
    _SetBufferSize(n + m);
    std::memmove(m_psz + m, m_psz, n);
    std::memcpy(m_psz, src.pszGet(), m);
}

void CTString::Tronque(long n)
{
    if (!m_psz || n < 0)
        return;
    const std::size_t nLong = std::strlen(m_psz);
    if (static_cast<std::size_t>(n) < nLong)
        _SetBufferSize(static_cast<std::size_t>(n));
}

void CTString::TronqueDebut(long n)
{
    if (!m_psz || n <= 0)
        return;
    const std::size_t nLong = std::strlen(m_psz);
    const std::size_t nOte = std::min(static_cast<std::size_t>(n), nLong);
    std::memmove(m_psz, m_psz + nOte, nLong - nOte);
    _SetBufferSize(nLong - nOte);
}

void CTString::Coupe(long nPos, long nNombre)
{
    if (!m_psz || nPos < 0 || nNombre <= 0)
        return;
    const std::size_t nLong = std::strlen(m_psz);
    const std::size_t nDepart = static_cast<std::size_t>(nPos);
    if (nDepart > nLong)
        return;
    const std::size_t nOte = static_cast<std::size_t>(nNombre);
    if (nOte >= nLong - nDepart) {
        Tronque(nPos);
        return;
    }
    std::memmove(m_psz + nDepart, m_psz + nDepart + nOte, nLong - nDepart - nOte);
    _SetBufferSize(nLong - nOte);
}

void CTString::Complete(long n, char c)
{
    const std::size_t nVoulu = n < 0 ? 0 : static_cast<std::size_t>(n);
    const std::size_t nLong = std::strlen(pszGet());
    if (nVoulu < nLong) {
        _SetBufferSize(nVoulu);
    } else if (nVoulu > nLong && c) {
        _SetBufferSize(nVoulu);
        std::memset(m_psz + nLong, c, nVoulu - nLong);
    }
}

void CTString::Renverse()
{
    if (m_psz)
        std::reverse(m_psz, m_psz + std::strlen(m_psz));
}

long CTString::Remplace(char cA, char cB, long nDebut)
{
    if (!m_psz)
        return 0;
    const std::size_t nLong = std::strlen(m_psz);
    const std::size_t nDepart = nDebut < 0 ? 0 : static_cast<std::size_t>(nDebut);
    if (!cA || nDepart >= nLong)
        return static_cast<long>(nLong);
    if (!cB) {
        // Writing NUL would hide the rest of the text inside the block: cut there instead.
        const void* p = std::memchr(m_psz + nDepart, cA, nLong - nDepart);
        if (p)
            Tronque(static_cast<const char*>(p) - m_psz);
        return nTaille();
    }
    for (char* p = m_psz + nDepart; *p; ++p)
        if (*p == cA)
            *p = cB;
    return static_cast<long>(nLong);
}

void CTString::Remplace(long nPos, long nNombre, const char* pszRemplace)
{
    if (bEstVide() || nPos < 0)
        return;
    const std::size_t nLong = std::strlen(m_psz);
    const std::size_t nDepart = static_cast<std::size_t>(nPos);
    if (nDepart > nLong)
        return;
    const std::size_t nOte = std::min(nNombre < 0 ? 0 : static_cast<std::size_t>(nNombre), nLong - nDepart);
    const char* pszR = pszRemplace ? pszRemplace : "";
    const std::size_t nNouveau = nLong - nOte + std::strlen(pszR);
    if (nNouveau >= UINT_MAX)
        __PlusDeMemoire(nNouveau);
    // Built apart from the block, so pszRemplace may be this string's own text.
    char* pTemp = STR_pszCreate(static_cast<unsigned>(nNouveau));
    if (!pTemp)
        __PlusDeMemoire(nNouveau + 1);
    STR_nCopy(pTemp, nNouveau + 1, m_psz, nPos);
    STR_nCat(pTemp, nNouveau + 1, pszR, -1);
    STR_nCat(pTemp, nNouveau + 1, m_psz + nDepart + nOte, -1);
    Set(pTemp);
    STR_Delete(pTemp);
}

void CTString::Remplace(const char* pszCherche, const char* pszRemplace, long nDebut)
{
    __RemplaceTexte(pszCherche, pszRemplace, nDebut,
                    [](const char* psz, const char* pszSous) -> const char* { return std::strstr(psz, pszSous); });
}

void CTString::RemplaceI(const char* pszCherche, const char* pszRemplace, long nDebut)
{
    __RemplaceTexte(pszCherche, pszRemplace, nDebut,
                    static_cast<const char* (*)(const char*, const char*)>(&STR_pszUpStrstr));
}

void CTString::Insecable()
{
    if (!m_psz)
        return;
    for (char* p = m_psz; *p; ++p)
        if (*p == ' ')
            *p = '\xA0';
}

void CTString::SansEspace()
{
    if (!m_psz)
        return;
    std::size_t n = std::strlen(m_psz);
    const std::size_t nLong = n;
    while (n > 0 && m_psz[n - 1] == ' ')
        --n;
    if (n != nLong)
        _SetBufferSize(n);
}

void CTString::Trim()
{
    if (!m_psz)
        return;
    const std::size_t nLong = std::strlen(m_psz);
    STR_SuppressRightSpaces(m_psz);
    STR_SuppressLeftSpaces(m_psz);
    const std::size_t n = std::strlen(m_psz);
    if (n != nLong)
        _SetBufferSize(n);
}

void CTString::Trim(char c)
{
    if (!m_psz || !c)
        return;
    const std::size_t nLong = std::strlen(m_psz);
    STR_SuppressRightCar(m_psz, c);
    STR_SuppressLeftCar(m_psz, c);
    const std::size_t n = std::strlen(m_psz);
    if (n != nLong)
        _SetBufferSize(n);
}

void CTString::LTrim(char c)
{
    if (!m_psz || !c)
        return;
    const std::size_t nLong = std::strlen(m_psz);
    STR_SuppressLeftCar(m_psz, c);
    const std::size_t n = std::strlen(m_psz);
    if (n != nLong)
        _SetBufferSize(n);
}

void CTString::Majuscule() { STR_ToUpper(m_psz); }

void CTString::Minuscule() { STR_ToLower(m_psz); }

void CTString::SansAccent()
{
    if (!m_psz)
        return;
    for (char* p = m_psz; *p; ++p) {
        char c;
        if (STR_nMapCharEx(STR_MAP_NOACCENT, &c, *p, 1))
            *p = c;
    }
}

void CTString::MapStringEx(unsigned nFlags)
{
    if (!m_psz)
        return;
    const std::size_t nLong = std::strlen(m_psz);
    if (nLong >= UINT_MAX)
        return;
    // Mapping never lengthens the text; dropped characters shorten it.
    const std::size_t n = STR_nMapStringEx(nFlags, m_psz, static_cast<unsigned>(nLong + 1), m_psz, -1, 1);
    if (n != nLong)
        _SetBufferSize(n);
}

void CTString::SetStandard(const char* psz)
{
    if (!psz) {
        Vide();
        return;
    }
    if (psz == m_psz) {
        MapStringEx(STR_MAP_CASE | STR_MAP_NOACCENT);
        return;
    }
    const std::size_t n = std::strlen(psz);
    if (n >= UINT_MAX)
        __PlusDeMemoire(n);
    const __CSource src(*this, psz, n);
    if (!m_psz || std::strlen(m_psz) != n)
        _SetBufferSize(n);
    // Upper case without accents keeps the length.
    STR_nMapStringEx(STR_MAP_CASE | STR_MAP_NOACCENT, m_psz, static_cast<unsigned>(n + 1), src.pszGet(), -1, 1);
}

unsigned long long CTString::nVal(int nBase, int nDebut, int nNombre) const
{
    if (bEstVide())
        return 0;
    const std::size_t nLong = std::strlen(m_psz);
    const std::size_t nDepart = nDebut < 0 ? 0 : static_cast<std::size_t>(nDebut);
    if (nDepart > nLong)
        return 0;
    const std::size_t nFin =
        nNombre < 0 ? nLong : nDepart + std::min(static_cast<std::size_t>(nNombre), nLong - nDepart);
    unsigned long long nValeur = 0;
    for (std::size_t i = nDepart; i < nFin; ++i) {
        const unsigned char c = static_cast<unsigned char>(m_psz[i]);
        int nChiffre;
        if (c >= '0' && c <= '9')
            nChiffre = c - '0';
        else if (c >= 'a' && c <= 'z')
            nChiffre = c - 'a' + 10;
        else if (c >= 'A' && c <= 'Z')
            nChiffre = c - 'A' + 10;
        else
            break;
        if (nChiffre >= nBase)
            break;
        nValeur = nValeur * static_cast<unsigned long long>(nBase) + static_cast<unsigned long long>(nChiffre);
    }
    return nValeur;
}

// ---- Substring replacement ------------------------------------------------------------

void CTString::__RemplaceTexte(const char* pszCherche, const char* pszRemplace, long nDebut,
                              const char* (*pfnCherche)(const char*, const char*))
{
    if (bEstVide() || !pszCherche || !*pszCherche)
        return;
    const std::size_t nLong = std::strlen(m_psz);
    const std::size_t nDepart = nDebut < 0 ? 0 : static_cast<std::size_t>(nDebut);
    if (nDepart > nLong)
        return;
    const char* pszR = pszRemplace ? pszRemplace : "";
    const std::size_t m = std::strlen(pszCherche);
    const std::size_t k = std::strlen(pszR);
    // One matcher for the count and for the build: the scratch buffer is sized by the count.
    auto pTrouve = [&](const char* p) { return pfnCherche(p, pszCherche); };

    std::size_t nOcc = 0;
    for (const char* p = pTrouve(m_psz + nDepart); p; p = pTrouve(p + m))
        ++nOcc;
    if (nOcc == 0)
        return;
    const std::size_t nNouveau = nLong - nOcc * m + nOcc * k;

    // pszCherche and pszRemplace may lie in the block: it is not touched until the result
    // is complete.
    char szPile[1025];
    char* pTravail = nNouveau < sizeof szPile ? szPile : static_cast<char*>(__pAlloue(nNouveau + 1));
    std::memcpy(pTravail, m_psz, nDepart);
    char* q = pTravail + nDepart;
    const char* p = m_psz + nDepart;
    for (const char* pHit = pTrouve(p); pHit; pHit = pTrouve(p)) {
        std::memcpy(q, p, static_cast<std::size_t>(pHit - p));
        q += pHit - p;
        std::memcpy(q, pszR, k);
        q += k;
        p = pHit + m;
    }
    const std::size_t nReste = std::strlen(p);
    std::memcpy(q, p, nReste);
    q[nReste] = '\0';
    __Affecte(pTravail, nNouveau);
    if (pTravail != szPile)
        std::free(pTravail);
}

// ---- Formatting -----------------------------------------------------------------------

namespace {

// Size prefix of a conversion.
enum class ePrefixe { Aucun, Court, Long, LongLong, I64, I32, Ignore, LongDouble };

// Reads a decimal number at p (advancing p), saturated at INT_MAX.
long long nLitNombre(const char*& p)
{
    long long n = 0;
    while (*p >= '0' && *p <= '9') {
        n = std::min<long long>(n * 10 + (*p - '0'), INT_MAX);
        ++p;
    }
    return n;
}

} // namespace

int CTString::s_nEstimeTailleFormat(const char* pszFormat, va_list args, bool* pbSuffisant)
{
    bool bSuffisant = true;
    long long nTotal = 0;
    va_list a;
    va_copy(a, args);
    const char* p = pszFormat ? pszFormat : "";
    while (*p) {
        if (*p != '%') {
            nTotal += 2;
            ++p;
            continue;
        }
        ++p;
        if (*p == '%') {
            nTotal += 2;
            ++p;
            continue;
        }
        for (;; ++p) {
            if (*p == '-' || *p == '+' || *p == '0' || *p == ' ')
                continue;
            if (*p == '#') {
                nTotal += 2;
                continue;
            }
            break;
        }
        long long nLargeur = 0;
        if (*p == '*') {
            // A negative width means left alignment with its magnitude.
            const int n = va_arg(a, int);
            nLargeur = n < 0 ? -static_cast<long long>(n) : n;
            ++p;
        } else {
            nLargeur = nLitNombre(p);
        }
        long long nPrecision = 0;
        bool bPrecision = false;
        if (*p == '.') {
            ++p;
            bPrecision = true;
            if (*p == '*') {
                // A negative precision counts as none.
                const int n = va_arg(a, int);
                ++p;
                bPrecision = n >= 0;
                nPrecision = n < 0 ? 0 : n;
            } else {
                nPrecision = nLitNombre(p);
            }
        }
        ePrefixe e = ePrefixe::Aucun;
        if (*p == 'h') {
            e = ePrefixe::Court;
            while (*p == 'h')
                ++p;
        } else if (*p == 'l') {
            ++p;
            e = ePrefixe::Long;
            if (*p == 'l') {
                ++p;
                e = ePrefixe::LongLong;
            }
        } else if (p[0] == 'I' && p[1] == '6' && p[2] == '4') {
            e = ePrefixe::I64;
            p += 3;
        } else if (p[0] == 'I' && p[1] == '3' && p[2] == '2') {
            e = ePrefixe::I32;
            p += 3;
        } else if (*p == 'F' || *p == 'N') {
            e = ePrefixe::Ignore;
            ++p;
        } else if (*p == 'L') {
            e = ePrefixe::LongDouble;
            ++p;
        }
        // The C library reads these prefixes differently (or not at all): its output may be
        // longer than counted here.
        if (e == ePrefixe::I64 || e == ePrefixe::I32 || e == ePrefixe::Ignore)
            bSuffisant = false;
        const char cConv = *p;
        // Past this point an argument of unknown size would misalign every later read, and a
        // later string conversion would dereference garbage: stop.
        if (!cConv || e == ePrefixe::LongDouble) {
            bSuffisant = false;
            break;
        }
        ++p;
        bool bPerdu = false;
        switch (cConv) {
        case 'c':
        case 'C':
            (void)va_arg(a, int);
            nTotal += 2;
            if (cConv == 'C' || e != ePrefixe::Aucun || nLargeur > 1)
                bSuffisant = false;
            break;
        case 's':
        case 'S': {
            if (e == ePrefixe::LongLong || e == ePrefixe::I64 || e == ePrefixe::I32) {
                bPerdu = true;
                break;
            }
            const bool bLarge = (cConv == 'S' && e != ePrefixe::Court) || (cConv == 's' && e == ePrefixe::Long);
            long long nLong;
            if (bLarge) {
                // Multibyte output of wide text may be longer than its count of characters.
                bSuffisant = false;
                const wchar_t* pwsz = va_arg(a, const wchar_t*);
                if (!pwsz)
                    nLong = 6;
                else
                    nLong = static_cast<long long>(bPrecision ? wcsnlen(pwsz, static_cast<std::size_t>(nPrecision))
                                                              : std::wcslen(pwsz));
            } else {
                if (e != ePrefixe::Aucun)
                    bSuffisant = false;
                const char* psz = va_arg(a, const char*);
                // With a precision the argument need not be terminated.
                if (!psz)
                    nLong = 6;
                else
                    nLong = static_cast<long long>(bPrecision ? strnlen(psz, static_cast<std::size_t>(nPrecision))
                                                              : std::strlen(psz));
            }
            nLong = std::max(nLong, 1LL);
            if (bPrecision)
                nLong = std::min(nLong, nPrecision);
            nTotal += std::max(nLong, nLargeur);
            break;
        }
        case 'e':
        case 'E':
        case 'f':
        case 'g':
        case 'G':
            (void)va_arg(a, double);
            nTotal += std::max(nLargeur + nPrecision, 512LL);
            // A large precision on a large value prints more than 512 characters.
            if (bPrecision)
                bSuffisant = false;
            break;
        case 'd':
        case 'i':
        case 'o':
        case 'u':
        case 'x':
        case 'X':
        case 'p':
            if (cConv == 'p')
                (void)va_arg(a, void*);
            else if (e == ePrefixe::LongLong || e == ePrefixe::I64)
                (void)va_arg(a, long long);
            else if (e == ePrefixe::Long)
                (void)va_arg(a, long);
            else
                (void)va_arg(a, int);
            nTotal += std::max(nLargeur + nPrecision, 32LL);
            // The sign comes on top of the precision's digits.
            if (nLargeur == 0 && nPrecision >= 32)
                bSuffisant = false;
            break;
        case 'n':
            (void)va_arg(a, void*);
            break;
        default:
            bPerdu = true;
            break;
        }
        if (nTotal > INT_MAX) {
            nTotal = INT_MAX;
            bSuffisant = false;
            break;
        }
        if (bPerdu) {
            bSuffisant = false;
            break;
        }
    }
    va_end(a);
    if (pbSuffisant)
        *pbSuffisant = bSuffisant;
    return static_cast<int>(std::min<long long>(nTotal, INT_MAX));
}

int CTString::FormatV(const char* pszFormat, va_list args)
{
    if (!pszFormat || !*pszFormat) {
        __Affecte("", 0);
        return 0;
    }
    // The output goes to a fresh block: the arguments may point into the current one.
    bool bSuffisant = false;
    const int nEstime = s_nEstimeTailleFormat(pszFormat, args, &bSuffisant);
    char* pNouveau = nullptr;
    int n;
    va_list a;
    if (bSuffisant) {
        const std::size_t nBloc = static_cast<std::size_t>(nEstime) + 1;
        pNouveau = static_cast<char*>(__pAlloue(nBloc));
        va_copy(a, args);
        n = std::vsnprintf(pNouveau, nBloc, pszFormat, a);
        va_end(a);
        if (n < 0 || static_cast<std::size_t>(n) >= nBloc) {
            std::free(pNouveau);
            pNouveau = nullptr;
        }
    } else {
        va_copy(a, args);
        n = std::vsnprintf(nullptr, 0, pszFormat, a);
        va_end(a);
    }
    if (n < 0)
        return -1;
    if (!pNouveau) {
        const std::size_t nBloc = static_cast<std::size_t>(n) + 1;
        pNouveau = static_cast<char*>(__pAlloue(nBloc));
        va_copy(a, args);
        const int nEcrits = std::vsnprintf(pNouveau, nBloc, pszFormat, a);
        va_end(a);
        if (nEcrits < 0) {
            std::free(pNouveau);
            return -1;
        }
    }
    // Exact block; a NUL written by "%c" ends the text.
    const std::size_t nTexte = std::strlen(pNouveau);
    __Adopte(__pRealloue(pNouveau, nTexte + 1));
    return static_cast<int>(nTexte);
}

int CTString::printf(const char* pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    const int n = FormatV(pszFormat, args);
    va_end(args);
    return n;
}

int CTString::AddPrintf(const char* pszFormat, ...)
{
    CTString cl;
    va_list args;
    va_start(args, pszFormat);
    const int n = cl.FormatV(pszFormat, args);
    va_end(args);
    if (n > 0)
        Add(cl.pszGet());
    return n;
}

namespace {

using PFN_FORMATEUR = unsigned int (*)(unsigned int, const void*, unsigned int, unsigned int, char*, unsigned int,
                                       char**);

// Formats with one of the message formatters into a block it allocates; the block is
// handed to the string, whose text is left unchanged on failure (null block).
int nFormateAlloue(CTString& cl, PFN_FORMATEUR pfn, const char* pszFormat, va_list* pArgs)
{
    char* psz = nullptr;
    const unsigned int n = pfn(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_STRING, pszFormat, 0, 0,
                               reinterpret_cast<char*>(&psz), 0, reinterpret_cast<char**>(pArgs));
    if (psz == nullptr)
        return -1;
    cl.SetBuffer(psz);
    return static_cast<int>(n);
}

} // namespace

int CTString::FormatMessageA(const char* pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    const int n = nFormateAlloue(*this, ::FormatMessageA, pszFormat, &args);
    va_end(args);
    return n;
}

int CTString::FormatMessageWin(const char* pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    const int n = nFormateAlloue(*this, ::FormatMessageWin, pszFormat, &args);
    va_end(args);
    return n;
}
