// The two message formatters with the Win32 FormatMessage signature: printf syntax and Win32 insert syntax.
#include "base/messages/FormatMessage.h"

#include <cerrno>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <type_traits>

namespace {

// On i386 a va_list is a plain pointer into the caller's stack of 4-byte slots and can be
// read at random; on x86-64 it is a register-save structure that only va_arg can walk.
constexpr bool kbVaListEstPile = std::is_same<va_list, char*>::value;

// Size of one argument slot: that of a pointer (4 bytes on i386, 8 on x86-64).
typedef std::uintptr_t SLOT;

// Highest insert number, and the most slots one insert can read: two '*' values and a
// value that spans up to two slots on i386.
constexpr int knInsertMax = 99;
constexpr int knSlotsMax = knInsertMax + 4;

// Text of an errno value, in pszTampon or in static storage.
const char* __pszTexteErreur(int nErrno, char* pszTampon, std::size_t nTaille)
{
    return strerror_r(nErrno, pszTampon, nTaille);
}

// ---------------------------------------------------------------------------------------
// FormatMessageA helpers

// True when a printf format holds a conversion other than "%%", i.e. would read arguments.
bool __bLitDesArguments(const char* pszFormat)
{
    for (const char* p = pszFormat; *p != '\0'; ++p) {
        if (*p != '%')
            continue;
        if (p[1] != '%')
            return true;
        ++p;
    }
    return false;
}

// vasprintf and vsnprintf with an empty argument list; only for formats that read no argument.
int __nAsprintfSansArgument(char** ppsz, const char* pszFormat, ...)
{
    va_list ap;
    va_start(ap, pszFormat);
    const int n = vasprintf(ppsz, pszFormat, ap);
    va_end(ap);
    return n;
}

int __nVsnprintfSansArgument(char* psz, std::size_t nTaille, const char* pszFormat, ...)
{
    va_list ap;
    va_start(ap, pszFormat);
    const int n = vsnprintf(psz, nTaille, pszFormat, ap);
    va_end(ap);
    return n;
}

// ---------------------------------------------------------------------------------------
// FormatMessageWin helpers

// Type of the value an insert's conversion reads. "j" reads a long long and "z", "t" and
// "I" a long: the sizes of intmax_t, size_t and ptrdiff_t on both ABIs.
static_assert(sizeof(intmax_t) == sizeof(long long), "intmax_t is long long");
static_assert(sizeof(std::size_t) == sizeof(long) && sizeof(std::ptrdiff_t) == sizeof(long),
              "size_t and ptrdiff_t are long-sized");
enum eTYPEARG { TA_AUCUN, TA_INT, TA_LONG, TA_LONGLONG, TA_PSZ, TA_PWSZ, TA_PTR, TA_DOUBLE };

// One conversion of an insert, checked and rebuilt for the C library.
struct _stCONVERSION {
    bool bValide = false;
    int nEtoiles = 0;            // '*' width and precision: each reads one int before the value
    eTYPEARG eType = TA_AUCUN;   // type of the value
    bool bTexteLarge = false;    // exactly "ls" (or "S"): converted with wcstombs
    char szFormat[64] = {};      // the printf format with its '%'
};

bool __bChiffre(char c) { return c >= '0' && c <= '9'; }

// Parses a conversion written without its '%' ("u", "08lX", "I64d", "*s", "ls").
_stCONVERSION __stLitConversion(const char* psz, std::size_t nLg)
{
    _stCONVERSION st;
    const char* p = psz;
    const char* const pFin = psz + nLg;
    // Longest sensible conversion; also keeps szFormat within bounds.
    if (nLg == 0 || nLg > 40)
        return st;

    std::size_t nOut = 0;
    st.szFormat[nOut++] = '%';
    auto copie = [&](const char* pDeb, const char* pStop) {
        while (pDeb < pStop)
            st.szFormat[nOut++] = *pDeb++;
    };

    const char* pDeb = p;
    while (p < pFin && std::strchr("-+ #0'", *p) != nullptr)
        ++p;
    if (p < pFin && *p == '*') {
        ++st.nEtoiles;
        ++p;
    } else {
        while (p < pFin && __bChiffre(*p))
            ++p;
    }
    if (p < pFin && *p == '.') {
        ++p;
        if (p < pFin && *p == '*') {
            ++st.nEtoiles;
            ++p;
        } else {
            while (p < pFin && __bChiffre(*p))
                ++p;
        }
    }
    copie(pDeb, p);
    const bool bSansOption = (p == pDeb);

    // Length modifier, Microsoft forms mapped to the C library's.
    enum { L_AUCUN, L_H, L_L, L_LL, L_Z, L_J, L_T, L_I32, L_LD } eLg = L_AUCUN;
    const char* pszLg = "";
    auto commencePar = [&](const char* pszMot) {
        const std::size_t n = std::strlen(pszMot);
        return static_cast<std::size_t>(pFin - p) >= n && std::memcmp(p, pszMot, n) == 0;
    };
    if (commencePar("hh")) { eLg = L_H; pszLg = "hh"; p += 2; }
    else if (commencePar("h")) { eLg = L_H; pszLg = "h"; p += 1; }
    else if (commencePar("ll")) { eLg = L_LL; pszLg = "ll"; p += 2; }
    else if (commencePar("l")) { eLg = L_L; pszLg = "l"; p += 1; }
    else if (commencePar("w")) { eLg = L_L; pszLg = "l"; p += 1; }
    else if (commencePar("q")) { eLg = L_LL; pszLg = "ll"; p += 1; }
    else if (commencePar("I64")) { eLg = L_LL; pszLg = "ll"; p += 3; }
    else if (commencePar("I32")) { eLg = L_I32; pszLg = ""; p += 3; }
    else if (commencePar("I")) { eLg = L_Z; pszLg = "z"; p += 1; }
    else if (commencePar("z")) { eLg = L_Z; pszLg = "z"; p += 1; }
    else if (commencePar("j")) { eLg = L_J; pszLg = "j"; p += 1; }
    else if (commencePar("t")) { eLg = L_T; pszLg = "t"; p += 1; }
    else if (commencePar("L")) { eLg = L_LD; p += 1; }

    // Exactly one conversion letter must remain.
    if (p + 1 != pFin)
        return st;
    const char cConv = *p;
    switch (cConv) {
    case 'd': case 'i': case 'o': case 'u': case 'x': case 'X':
        switch (eLg) {
        case L_AUCUN: case L_H: case L_I32: st.eType = TA_INT; break;
        case L_L: case L_Z: case L_T: st.eType = TA_LONG; break;
        case L_LL: case L_J: st.eType = TA_LONGLONG; break;
        default: return st;
        }
        break;
    case 'c':
        if (eLg != L_AUCUN && eLg != L_H && eLg != L_L)
            return st;
        st.eType = TA_INT;   // char promoted to int, or wint_t (4 bytes on both ABIs)
        break;
    case 'C':
        if (eLg != L_AUCUN)
            return st;
        st.eType = TA_INT;
        break;
    case 's':
        if (eLg == L_AUCUN || eLg == L_H)
            st.eType = TA_PSZ;
        else if (eLg == L_L)
            st.eType = TA_PWSZ;
        else
            return st;
        break;
    case 'S':
        if (eLg != L_AUCUN)
            return st;
        st.eType = TA_PWSZ;
        break;
    case 'p':
        if (eLg != L_AUCUN)
            return st;
        st.eType = TA_PTR;
        break;
    case 'e': case 'E': case 'f': case 'F': case 'g': case 'G': case 'a': case 'A':
        // long double is refused: its size differs between the ABIs and no caller needs it.
        if (eLg != L_AUCUN && eLg != L_L)
            return st;
        st.eType = TA_DOUBLE;
        pszLg = "";
        break;
    default:
        // 'n' would write through an argument; anything else is not a conversion.
        return st;
    }
    // "hs", "hc" and "hhc" mean the narrow forms, which the C library spells without a prefix.
    if ((cConv == 's' || cConv == 'c') && eLg == L_H)
        pszLg = "";
    st.bTexteLarge = (st.eType == TA_PWSZ && bSansOption);
    for (const char* q = pszLg; *q != '\0'; ++q)
        st.szFormat[nOut++] = *q;
    st.szFormat[nOut++] = cConv;
    st.szFormat[nOut] = '\0';
    st.bValide = true;
    return st;
}

// An insert as written in the text: "%k" or "%k!conversion!".
struct _stINSERT {
    int nNumero = 0;                  // 1 to 99
    bool bConversion = false;         // written with '!...!'
    const char* pszConversion = "s";  // the conversion text, not NUL-terminated
    std::size_t nLgConversion = 1;
};

// Reads the insert whose first digit is at p (a digit 1 to 9); returns the position after it.
const char* __pszLitInsert(const char* p, _stINSERT& st)
{
    st.nNumero = *p++ - '0';
    if (__bChiffre(*p))
        st.nNumero = st.nNumero * 10 + (*p++ - '0');
    if (*p == '!') {
        const char* pDeb = p + 1;
        const char* pFin = std::strchr(pDeb, '!');
        if (pFin == nullptr)
            pFin = pDeb + std::strlen(pDeb);
        st.bConversion = true;
        st.pszConversion = pDeb;
        st.nLgConversion = static_cast<std::size_t>(pFin - pDeb);
        p = (*pFin == '!') ? pFin + 1 : pFin;
    }
    return p;
}

// Calls the scanner's visitor for every insert of the text that the formatting reaches (the
// scan stops at "%0" as the output does).
template <typename VISITEUR>
void __ParcourtInserts(const char* pszTexte, VISITEUR visiteur)
{
    const char* p = pszTexte;
    while (*p != '\0') {
        if (*p != '%') {
            ++p;
            continue;
        }
        const char c = p[1];
        if (c == '\0' || c == '0')
            return;
        if (c < '1' || c > '9') {
            p += 2;
            continue;
        }
        _stINSERT st;
        p = __pszLitInsert(p + 1, st);
        visiteur(st);
    }
}

// Growing output: starts at 100 bytes and doubles whenever full. Owns its block.
class COutput {
public:
    COutput() : m_psz(static_cast<char*>(std::malloc(100))), m_nTaille(100)
    {
        m_bErreur = (m_psz == nullptr);
        if (m_psz != nullptr)
            m_psz[0] = '\0';
    }
    ~COutput() { std::free(m_psz); }
    COutput(const COutput&) = delete;
    COutput& operator=(const COutput&) = delete;

    void Ajoute(const char* p, std::size_t n)
    {
        if (m_bErreur)
            return;
        // Room for the text and its terminator.
        std::size_t nBesoin = m_nLongueur + n + 1;
        if (nBesoin < m_nLongueur) {
            m_bErreur = true;
            return;
        }
        if (nBesoin > m_nTaille) {
            std::size_t nNouvelle = m_nTaille;
            while (nNouvelle < nBesoin) {
                if (nNouvelle > SIZE_MAX / 2) {
                    m_bErreur = true;
                    return;
                }
                nNouvelle *= 2;
            }
            char* pNouveau = static_cast<char*>(std::realloc(m_psz, nNouvelle));
            if (pNouveau == nullptr) {
                m_bErreur = true;
                return;
            }
            m_psz = pNouveau;
            m_nTaille = nNouvelle;
        }
        std::memcpy(m_psz + m_nLongueur, p, n);
        m_nLongueur += n;
        m_psz[m_nLongueur] = '\0';
    }
    void Ajoute(char c) { Ajoute(&c, 1); }
    void Ajoute(const char* psz) { Ajoute(psz, std::strlen(psz)); }

    bool bErreur() const { return m_bErreur; }
    const char* psz() const { return m_psz; }
    std::size_t nLongueur() const { return m_nLongueur; }

private:
    char* m_psz;
    std::size_t m_nTaille;
    std::size_t m_nLongueur = 0;
    bool m_bErreur = false;
};

// The argument slots of one call, seen as a contiguous array whatever their origin.
class CSlots {
public:
    // Reads a value of type T starting at slot nIndice (0-based); spans several slots when
    // T is wider than a slot (64-bit values on i386). Little-endian: the first slot holds
    // the low part, as the stack and Win32 argument arrays lay it out.
    template <typename T>
    T tLit(int nIndice) const
    {
        T t;
        std::memcpy(&t, m_pSlots + nIndice, sizeof(T));
        return t;
    }

    void SetTableau(const SLOT* pSlots) { m_pSlots = pSlots; }

    // Fetches slots 0 .. nNb-1 from a va_list in order, each with its type (see header).
    void Remplit(va_list ap, const eTYPEARG* tabType, int nNb)
    {
        for (int i = 0; i < nNb; ++i) {
            SLOT s = 0;
            switch (tabType[i]) {
            case TA_INT: {
                const unsigned int n = va_arg(ap, unsigned int);
                std::memcpy(&s, &n, sizeof(n));
                break;
            }
            case TA_LONG: s = static_cast<SLOT>(va_arg(ap, unsigned long)); break;
            case TA_LONGLONG: {
                const unsigned long long n = va_arg(ap, unsigned long long);
                static_assert(sizeof(n) <= sizeof(SLOT) || kbVaListEstPile, "one slot per value");
                std::memcpy(&s, &n, sizeof(s) < sizeof(n) ? sizeof(s) : sizeof(n));
                break;
            }
            case TA_PSZ: case TA_PWSZ: case TA_PTR:
                s = reinterpret_cast<SLOT>(va_arg(ap, void*));
                break;
            case TA_DOUBLE: {
                const double d = va_arg(ap, double);
                std::memcpy(&s, &d, sizeof(s) < sizeof(d) ? sizeof(s) : sizeof(d));
                break;
            }
            case TA_AUCUN:
            default:
                // Not referenced by any insert: taken as a pointer-sized integer.
                s = va_arg(ap, SLOT);
                break;
            }
            m_tabCopie[i] = s;
        }
        m_pSlots = m_tabCopie;
    }

private:
    const SLOT* m_pSlots = nullptr;
    SLOT m_tabCopie[knSlotsMax + 2] = {};
};

template <typename T>
int __nSnprintf(char* psz, std::size_t n, const char* pszFormat, int nEtoiles, const int* tabEtoiles, T t)
{
    switch (nEtoiles) {
    case 0: return std::snprintf(psz, n, pszFormat, t);
    case 1: return std::snprintf(psz, n, pszFormat, tabEtoiles[0], t);
    default: return std::snprintf(psz, n, pszFormat, tabEtoiles[0], tabEtoiles[1], t);
    }
}

// Formats a value with the C library: 100 bytes first, then exactly the size needed.
template <typename T>
void __FormateValeur(COutput& out, const _stCONVERSION& st, const int* tabEtoiles, T t)
{
    char szCourt[100];
    const int n = __nSnprintf(szCourt, sizeof(szCourt), st.szFormat, st.nEtoiles, tabEtoiles, t);
    if (n < 0)
        return;
    if (static_cast<std::size_t>(n) < sizeof(szCourt)) {
        out.Ajoute(szCourt, static_cast<std::size_t>(n));
        return;
    }
    char* pszLong = static_cast<char*>(std::malloc(static_cast<std::size_t>(n) + 1));
    if (pszLong == nullptr)
        return;
    const int n2 = __nSnprintf(pszLong, static_cast<std::size_t>(n) + 1, st.szFormat, st.nEtoiles, tabEtoiles, t);
    if (n2 >= 0 && n2 <= n)
        out.Ajoute(pszLong, static_cast<std::size_t>(n2));
    std::free(pszLong);
}

// Converts a wide text to multibyte (current C locale); an unconvertible text gives nothing.
void __AjouteTexteLarge(COutput& out, const wchar_t* pwsz)
{
    if (pwsz == nullptr) {
        out.Ajoute("(null)");
        return;
    }
    const std::size_t n = std::wcstombs(nullptr, pwsz, 0);
    if (n == static_cast<std::size_t>(-1))
        return;
    char* psz = static_cast<char*>(std::malloc(n + 1));
    if (psz == nullptr)
        return;
    const std::size_t n2 = std::wcstombs(psz, pwsz, n + 1);
    if (n2 != static_cast<std::size_t>(-1) && n2 <= n)
        out.Ajoute(psz, n2);
    std::free(psz);
}

// Writes insert st, whose values start at slot nNumero - 1.
void __FormateInsert(COutput& out, const _stINSERT& stInsert, const _stCONVERSION& st, const CSlots& slots)
{
    int nSlot = stInsert.nNumero - 1;
    int tabEtoiles[2] = {0, 0};
    for (int i = 0; i < st.nEtoiles; ++i)
        tabEtoiles[i] = slots.tLit<int>(nSlot++);

    switch (st.eType) {
    case TA_INT: __FormateValeur(out, st, tabEtoiles, slots.tLit<int>(nSlot)); break;
    case TA_LONG: __FormateValeur(out, st, tabEtoiles, slots.tLit<long>(nSlot)); break;
    case TA_LONGLONG: __FormateValeur(out, st, tabEtoiles, slots.tLit<long long>(nSlot)); break;
    case TA_PSZ: __FormateValeur(out, st, tabEtoiles, slots.tLit<const char*>(nSlot)); break;
    case TA_PTR: __FormateValeur(out, st, tabEtoiles, slots.tLit<void*>(nSlot)); break;
    case TA_DOUBLE: __FormateValeur(out, st, tabEtoiles, slots.tLit<double>(nSlot)); break;
    case TA_PWSZ:
        if (st.bTexteLarge)
            __AjouteTexteLarge(out, slots.tLit<const wchar_t*>(nSlot));
        else
            __FormateValeur(out, st, tabEtoiles, slots.tLit<const wchar_t*>(nSlot));
        break;
    case TA_AUCUN:
        break;
    }
}

// Scans the Win32 syntax of pszTexte into out.
void __FormateWin(COutput& out, const char* pszTexte, const CSlots* pSlots)
{
    const char* p = pszTexte;
    while (*p != '\0' && !out.bErreur()) {
        const char c = *p;
        if (c == '\r') {
            out.Ajoute(' ');
            p += (p[1] == '\n') ? 2 : 1;
            continue;
        }
        if (c == '\n') {
            out.Ajoute("\r\n", 2);
            ++p;
            continue;
        }
        if (c != '%') {
            out.Ajoute(c);
            ++p;
            continue;
        }
        const char cSuivant = p[1];
        if (cSuivant == '\0') {
            out.Ajoute('%');
            ++p;
            continue;
        }
        if (cSuivant == '0')
            return;
        if (cSuivant == 'n') {
            out.Ajoute("\r\n", 2);
            p += 2;
            continue;
        }
        if (cSuivant < '1' || cSuivant > '9') {
            out.Ajoute(cSuivant);
            p += 2;
            continue;
        }
        const char* pDebut = p;
        _stINSERT stInsert;
        p = __pszLitInsert(p + 1, stInsert);
        if (pSlots == nullptr) {
            if (stInsert.bConversion)
                out.Ajoute(pDebut, static_cast<std::size_t>(p - pDebut));
            continue;
        }
        const _stCONVERSION st = __stLitConversion(stInsert.pszConversion, stInsert.nLgConversion);
        if (st.bValide)
            __FormateInsert(out, stInsert, st, *pSlots);
    }
}

// Formats with the argument list that args designates (see header).
void __FormateWinAvecListe(COutput& out, const char* pszTexte, char** args)
{
    CSlots slots;
    if constexpr (kbVaListEstPile) {
        // i386: the va_list is the address of the first 4-byte slot.
        slots.SetTableau(reinterpret_cast<const SLOT*>(*args));
        __FormateWin(out, pszTexte, &slots);
    } else {
        // No random access: fetch slots 1..highest in order, typed by the first conversion
        // that reads each one.
        eTYPEARG tabType[knSlotsMax] = {};
        int nNb = 0;
        __ParcourtInserts(pszTexte, [&](const _stINSERT& stInsert) {
            const _stCONVERSION st = __stLitConversion(stInsert.pszConversion, stInsert.nLgConversion);
            if (!st.bValide)
                return;
            int nSlot = stInsert.nNumero - 1;
            for (int i = 0; i < st.nEtoiles; ++i, ++nSlot)
                if (tabType[nSlot] == TA_AUCUN)
                    tabType[nSlot] = TA_INT;
            if (tabType[nSlot] == TA_AUCUN)
                tabType[nSlot] = st.eType;
            if (nSlot + 1 > nNb)
                nNb = nSlot + 1;
        });
        va_list ap;
        va_copy(ap, *reinterpret_cast<va_list*>(args));
        slots.Remplit(ap, tabType, nNb);
        va_end(ap);
        __FormateWin(out, pszTexte, &slots);
    }
}

} // namespace

unsigned int FormatMessageA(unsigned int flags, const void* source, unsigned int /*messageId*/,
                            unsigned int /*languageId*/, char* buffer, unsigned int size, char** args)
{
    const int nErrno = errno;
    const bool bAlloue = (flags & FORMAT_MESSAGE_ALLOCATE_BUFFER) != 0;
    char** ppszSortie = reinterpret_cast<char**>(buffer);
    if (bAlloue) {
        if (ppszSortie == nullptr)
            return 0;
        *ppszSortie = nullptr;
    } else if (buffer == nullptr && size != 0) {
        return 0;
    }

    char szErreur[256];
    const char* pszFormat = (flags & FORMAT_MESSAGE_FROM_SYSTEM) != 0
                                ? __pszTexteErreur(nErrno, szErreur, sizeof(szErreur))
                                : static_cast<const char*>(source);
    if (pszFormat == nullptr)
        return 0;
    // Without a list, only a format that reads nothing can be formatted.
    if (args == nullptr && __bLitDesArguments(pszFormat))
        return 0;

    if (bAlloue) {
        char* psz = nullptr;
        int n;
        if (args != nullptr) {
            va_list ap;
            va_copy(ap, *reinterpret_cast<va_list*>(args));
            n = vasprintf(&psz, pszFormat, ap);
            va_end(ap);
        } else {
            n = __nAsprintfSansArgument(&psz, pszFormat);
        }
        if (n < 0)
            return 0;   // vasprintf leaves its pointer undefined: ours stays null
        const std::size_t nLongueur = static_cast<std::size_t>(n);
        if (size > nLongueur + 1) {
            // Caller asked for at least size bytes; a failed enlargement keeps the text.
            char* pGrand = static_cast<char*>(std::realloc(psz, size));
            if (pGrand != nullptr) {
                std::memset(pGrand + nLongueur + 1, 0, size - nLongueur - 1);
                psz = pGrand;
            }
        }
        *ppszSortie = psz;
        return static_cast<unsigned int>(n);
    }

    int n;
    if (args != nullptr) {
        va_list ap;
        va_copy(ap, *reinterpret_cast<va_list*>(args));
        n = vsnprintf(buffer, size, pszFormat, ap);
        va_end(ap);
    } else {
        n = __nVsnprintfSansArgument(buffer, size, pszFormat);
    }
    return n < 0 ? 0 : static_cast<unsigned int>(n);
}

unsigned int FormatMessageWin(unsigned int flags, const void* source, unsigned int /*messageId*/,
                              unsigned int /*languageId*/, char* buffer, unsigned int size, char** args)
{
    const int nErrno = errno;
    const bool bAlloue = (flags & FORMAT_MESSAGE_ALLOCATE_BUFFER) != 0;
    char** ppszSortie = reinterpret_cast<char**>(buffer);
    if (bAlloue) {
        if (ppszSortie == nullptr)
            return 0;
        *ppszSortie = nullptr;
    }

    char szErreur[256];
    const char* pszTexte = (flags & FORMAT_MESSAGE_FROM_SYSTEM) != 0
                               ? __pszTexteErreur(nErrno, szErreur, sizeof(szErreur))
                               : static_cast<const char*>(source);
    if (pszTexte == nullptr)
        return 0;

    COutput out;
    if ((flags & FORMAT_MESSAGE_IGNORE_INSERTS) != 0) {
        out.Ajoute(pszTexte);
    } else if (args == nullptr) {
        __FormateWin(out, pszTexte, nullptr);
    } else if ((flags & FORMAT_MESSAGE_ARGUMENT_ARRAY) != 0) {
        CSlots slots;
        slots.SetTableau(reinterpret_cast<const SLOT*>(args));
        __FormateWin(out, pszTexte, &slots);
    } else {
        __FormateWinAvecListe(out, pszTexte, args);
    }
    if (out.bErreur())
        return 0;

    const std::size_t nLongueur = out.nLongueur();
    if (bAlloue) {
        // The block holds the text and its terminator, or size bytes when that is more.
        const std::size_t nBloc = (size > nLongueur + 1) ? size : nLongueur + 1;
        char* psz = static_cast<char*>(std::calloc(nBloc, 1));
        if (psz == nullptr)
            return 0;
        std::memcpy(psz, out.psz(), nLongueur + 1);
        *ppszSortie = psz;
        return static_cast<unsigned int>(nLongueur);
    }
    if (buffer == nullptr || size == 0)
        return 0;
    const std::size_t nCopie = nLongueur < size - 1u ? nLongueur : size - 1u;
    std::memcpy(buffer, out.psz(), nCopie);
    buffer[nCopie] = '\0';
    return static_cast<unsigned int>(nCopie);
}
