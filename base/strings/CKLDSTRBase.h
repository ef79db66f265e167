// CKLDSTRBase: the language's ANSI and Unicode string values, reference-counted blocks with copy on write.
#pragma once

#include "base/strings/StrMemBloc.h"

#include <cstdarg>

class CKLBINBase;

// A value is one pointer: null for the empty value, else the data area of a block (header in
// StrMemBloc.h). ANSI strings hold bytes, Unicode strings 4-byte wide characters, their length
// always counted in bytes; both keep a zero word after the used length.
//
// Sharing: copies share the block (count + 1); an operation that modifies a shared block first
// makes a private copy. A value object is used by one thread at a time, but the blocks it
// shares may be held by values of other threads: the count is changed atomically, so holders
// on different threads may release a shared block at any moment without a lock.
//
// Every operation that can fail returns eSTRMEM_MEMOIRE, eSTRMEM_CONVERSION or
// eSTRMEM_TROPGRAND and leaves the value as it was; eSTRMEM_OK otherwise. New blocks come from
// the current allocator (CStrMemAlloc::ms_pclAllocateur, set by bInit or the runtime): with
// none, allocations fail with eSTRMEM_MEMOIRE. Texts handed in may lie inside the value's own
// block.
class CKLDSTRBase {
public:
    CKLDSTRBase() : m_p(nullptr) {}
    CKLDSTRBase(const CKLDSTRBase& cl);
    CKLDSTRBase& operator=(const CKLDSTRBase& cl);
    ~CKLDSTRBase();

    // Makes the module's own allocator current (keeps it when it already is). False when it
    // cannot be created.
    static bool bInit();
    // Retires the current allocator unless it came from the runtime; none is current after.
    static void Term();

    // ---- Blocks -----------------------------------------------------------------------
    // A new ANSI block for nTaille bytes holding nLong bytes of pSrc (none when null); the
    // old block is released. nTaille 0 does nothing; nLong is cut to nTaille.
    int _nNew(unsigned nTaille, const char* pSrc, unsigned nLong);
    // Empty when pSrc is null or nLong is 0, else _nNew(nLong, pSrc, nLong).
    int nAssignInit(const char* pSrc, unsigned nLong);
    // Replaces the content by nLong bytes of pSrc (ANSI); null or 0 empties.
    int nAssign(const char* pSrc, unsigned nLong);
    int nAssign(const char* psz);
    // Appends nLong bytes of pSrc.
    int nConcat(const char* pSrc, unsigned nLong);
    int nConcat(const char* psz);
    // Room for nTaille bytes, the block made private (an empty value gets a block of length 0).
    int nSetLength(unsigned nTaille);
    // Sets the used length (at most the capacity) and the zero word after it; a shared block
    // is made private first. 0 with bFreeIfZero empties the value.
    int SetUtilLength(unsigned nLong, bool bFreeIfZero);
    // Cuts the value to nLong bytes when shorter than its length (negative: nothing).
    int Tronque(long nLong);
    // Shares the block of cl, then keeps its first nLong bytes (-1: all).
    int _Assign(const CKLDSTRBase& cl, long nLong);
    void Assign(const CKLDSTRBase& cl) { _Assign(cl, -1); }
    void Take(const CKLDSTRBase& cl) { _Assign(cl, -1); }
    // Releases the block: the value becomes empty.
    void Vide();
    // Drops one holder of the block at pData; the last one gives it back to its allocator.
    static void s_ReleaseStrMem(char* pData);

    // ---- Conversions ------------------------------------------------------------------
    // nLong bytes (-1: up to the NUL) of pSrc in nCodePage -> a Unicode value with room for
    // nExtra more characters. eSTRMEM_CONVERSION when the text does not convert.
    int nAffecteToUNICODE(const char* pSrc, int nLong, unsigned nCodePage, unsigned dwFlags, unsigned nExtra);
    // nLong bytes (-1: up to the NUL) of pSrc in nCodePage -> UTF-8 text (ANSI value).
    int nAffecteToUTF8(const char* pSrc, int nLong, unsigned nCodePage);
    // nNbCar wide characters (-1: up to the zero character) -> text in nCodePage.
    int nAffecteToANSI(const wchar_t* pwSrc, int nNbCar, unsigned nCodePage);
    // Another value: a Unicode one is converted, an ANSI one shared.
    int nAffecteToANSI(const CKLDSTRBase& cl, unsigned nCodePage);
    // A binary value whose bytes are wide characters.
    int nAffecteToANSI(const CKLBINBase& cl, unsigned nCodePage);
    // Heap copies (release with STR_Delete / STR_DeleteW): the ANSI text, or the wide text
    // (an ANSI value converted from Windows-1252). Null when the memory is short.
    char* pszCreateCSTR() const;
    wchar_t* pszCreateWSTR() const;

    // ---- Comparison and search (over the bytes) -----------------------------------------
    // Byte-wise over the shorter length, then the longer is greater: -1, 0 or 1.
    static int nCompare(const CKLDSTRBase& a, const CKLDSTRBase& b);
    // The same over at most n bytes of each.
    static int nCompare(const CKLDSTRBase& a, const CKLDSTRBase& b, unsigned n);
    // Case and accents ignored (mapping flags 3), then strcmp.
    static int nCompareSouple(const CKLDSTRBase& a, const CKLDSTRBase& b);
    // Case, accents and punctuation ignored (mapping flags 7), then strcmp.
    static int nCompareTresSouple(const CKLDSTRBase& a, const CKLDSTRBase& b);
    // Byte offset of the first occurrence of nLong bytes of p at or after nDebut; -1 if none
    // (also for an empty needle).
    long nPos(const char* p, unsigned nLong, unsigned nDebut = 0) const;
    // Byte offset of the last occurrence; -1 if none.
    long nPosFin(const char* p, unsigned nLong) const;
    // Non-overlapping occurrences.
    int nNbOcc(const char* p, unsigned nLong) const;
    bool bCommencePar(const char* p, unsigned nLong) const;

    // ---- Editing ----------------------------------------------------------------------
    int nAssignI4(int n);
    int nConcatI4(int n);
    // Removes white space (space, tab, CR, LF) at both ends / trailing spaces only.
    int Trim();
    int SansEspace();
    int Renverse();
    // This value becomes nNb bytes of cl from nDebut (cut at its end).
    int nMilieu(const CKLDSTRBase& cl, unsigned nDebut, unsigned nNb);
    CKLDSTRBase clMilieu(unsigned nDebut, unsigned nNb) const;
    // Formatted text (replacing / appended); eSTRMEM_TROPGRAND for a format error.
    int nPrintf(const char* pszFormat, ...) __attribute__((format(printf, 2, 3)));
    int nAddPrintf(const char* pszFormat, ...) __attribute__((format(printf, 2, 3)));

    // ---- Further operations ---------------------------------------------------------------
    // Positions and counts of the UNICODE forms are in characters (4-byte units), needles
    // are counted in characters; a needle only matches at character boundaries.
    long nPosUNICODE(const wchar_t* pw, unsigned nNbCar, unsigned nDebutCar = 0) const;
    long nPosFinUNICODE(const wchar_t* pw, unsigned nNbCar) const;
    int nNbOccUNICODE(const wchar_t* pw, unsigned nNbCar) const;
    // First byte at or after nDebut that belongs to the NUL-terminated set; -1 if none.
    long nPosParmi(const char* pszEnsemble, unsigned nDebut = 0) const;
    // This value against nLong bytes (characters for the UNICODE form) of p: -1, 0 or 1.
    int nCompareTo(const char* p, unsigned nLong) const;
    int nCompareToUNICODE(const wchar_t* pw, unsigned nNbCar) const;
    // Unicode values compared ignoring case and accents, character by character.
    static int nCompareSoupleUNICODE(const CKLDSTRBase& a, const CKLDSTRBase& b);
    // Makes the value exactly nLong bytes (nNbCar characters): padded with c or cut.
    int nComplete(unsigned nLong, char c);
    int nCompleteUNICODE(unsigned nNbCar, wchar_t c);
    // Removes white space (iswspace) at both ends of a Unicode value.
    int TrimUNICODE();
    int RenverseUNICODE() { return Renverse(); }
    // Maps the bytes in place with STR_nMapStringEx(nFlags, upper case); the text is cut
    // at its first NUL, and characters dropped by the mapping shorten it.
    int MapString(unsigned nFlags);
    // Replaces every non-overlapping occurrence of nS bytes of pS at or after nDebut by nR
    // bytes of pR (characters for the UNICODE form).
    int Remplace(const char* pS, unsigned nS, const char* pR, unsigned nR, unsigned nDebut = 0);
    int RemplaceUNICODE(const wchar_t* pS, unsigned nS, const wchar_t* pR, unsigned nR, unsigned nDebutCar = 0);
    // nMilieu / clMilieu in characters.
    int nMilieuUNICODE(const CKLDSTRBase& cl, unsigned nDebutCar, unsigned nNbCar);
    CKLDSTRBase clMilieuUNICODE(unsigned nDebutCar, unsigned nNbCar) const;
    // Field nNumero (from 0) of the value split at the separator text: start (in
    // characters) and length; false when there are fewer fields or the separator is empty.
    bool bExtraitChainePosUNICODE(unsigned nNumero, const wchar_t* pwSep, unsigned nSep, unsigned* pnDebut,
                                  unsigned* pnNbCar) const;
    bool bExtraitChaineUNICODE(unsigned nNumero, const wchar_t* pwSep, unsigned nSep, CKLDSTRBase* pcl) const;
    // Appends the separator (only when the value is not empty), then the text.
    int nConcatSeparateur(const char* pSep, unsigned nSep, const char* p, unsigned nLong);
    // nConcat that gives an empty value a block of exactly the text's size.
    int nConcatInit(const char* p, unsigned nLong);
    // The value becomes (nAssign) or is followed by (nConcat) the nNb NUL-terminated texts
    // of apsz (null entries count as empty), with a single allocation.
    int nAssignMultiple(const char* const* apsz, unsigned nNb);
    int nConcatMultiple(const char* const* apsz, unsigned nNb);
    // nNb UTF-16 units (-1: up to a zero unit) -> Unicode value; surrogate pairs become one
    // character, a lone surrogate is kept as it is.
    int nAssignUNICODE_UTF16(const unsigned short* pw, int nNb);
    // nAffecteToUNICODE from the code page of the current character set.
    int nAffecteToUNICODE_CurrentCharset(const char* pSrc, int nLong);
    // Takes over one reference to the block at pData that the caller held (count unchanged):
    // the value releases its old block and now owns that reference.
    int nRecupereInit(char* pData);

    // ---- Access -----------------------------------------------------------------------
    // The text; a static empty text (4 zero bytes) for the empty value.
    const char* pszGet() const { return m_p != nullptr ? m_p : ms_szVide; }
    char* pGetData() const { return m_p; }
    unsigned nGetLength() const { return m_p != nullptr ? STRMEM_pBloc(m_p)->nLongueur : 0; }
    unsigned nGetCapacite() const { return m_p != nullptr ? STRMEM_pBloc(m_p)->nCapacite : 0; }
    int nGetRef() const { return m_p != nullptr ? STRMEM_nGetRef(STRMEM_pBloc(m_p)) : 0; }
    unsigned dwGetFlags() const { return m_p != nullptr ? STRMEM_pBloc(m_p)->dwFlags : 0; }
    bool bEstVide() const { return nGetLength() == 0; }
    bool bEstUNICODE() const { return (dwGetFlags() & eSTRMEM_UNICODE) != 0; }

    static const char ms_szVide[4];

    // ---- Shared with the binary values --------------------------------------------------
    // A new block (current allocator) of nTaille bytes with nLong bytes of pSrc, type dwType;
    // bChaine writes the zero word after the length. On success the old block of *pp is
    // released and *pp replaced.
    static int _s_nNouveau(char** pp, unsigned nTaille, const void* pSrc, unsigned nLong, unsigned dwType,
                           bool bChaine);
    // Assignment of nLong bytes (1 to STRMEM_TAILLE_MAX; more gives eSTRMEM_TROPGRAND) of pSrc,
    // which may lie in *pp's own block: a private block is reused, grown through its own
    // allocator when needed; a shared one is left to its other owners for a new block.
    static int _s_nAffecte(char** pp, const void* pSrc, unsigned nLong, unsigned dwType, bool bChaine);
    // Cuts *pp, of nActuelle bytes, to nLong bytes (nothing to do when nLong is negative or
    // not shorter); a shared block is left to its other owners for a new one, 0 bytes of a
    // shared block release it.
    static int _s_nTronque(char** pp, unsigned nActuelle, long nLong, bool bChaine);
    // Copy on write: makes *pp private with room for nTaille bytes (a new empty block of type
    // dwType when *pp is null).
    static int _s_nPrepare(char** pp, unsigned nTaille, unsigned dwType, bool bChaine);
    // Shares src into *pp, releasing the old block (safe when they are the same).
    static void _s_Partage(char** pp, char* pSrc);
    // Whether p lies in the data area (or final zero word) of the block at pData.
    static bool _s_bDansBloc(const char* pData, const void* p);
    // nLong bytes (-1: up to the NUL) of pSrc in nCodePage -> a new block of type dwType
    // holding the wide characters, with room for nExtra more; replaces *pp on success.
    static int _s_nVersUNICODE(char** pp, const char* pSrc, int nLong, unsigned nCodePage, unsigned dwFlags,
                               unsigned nExtra, unsigned dwType, bool bChaine);
    // nNbCar wide characters (-1: up to the zero character) -> a new block of type dwType
    // holding the text in nCodePage; replaces *pp on success.
    static int _s_nVersANSI(char** pp, const wchar_t* pwSrc, int nNbCar, unsigned nCodePage, unsigned dwType,
                            bool bChaine);
    // nA bytes of pA against nB bytes of pB, each byte mapped with STR_nMapStringEx(nFlags,
    // upper case) and the dropped ones left out; NULs are bytes like the others. Then
    // byte-wise, the shorter first: -1, 0 or 1.
    static int _s_nCompareMappe(const char* pA, unsigned nA, const char* pB, unsigned nB, unsigned nFlags);
    // *pp takes over the caller's reference to the block at pData (see nRecupereInit).
    static void _s_Recupere(char** pp, char* pData);

private:
    char* m_p;

    int __nPrepareModification(unsigned nTaille);
    int __nAffecteFormat(bool bAjoute, const char* pszFormat, va_list args);
};

static_assert(sizeof(CKLDSTRBase) == sizeof(void*), "a value is one pointer");
