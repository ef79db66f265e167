// CTString: the counted heap string passed everywhere, one pointer to an exactly sized block.
#pragma once

#include <cstdarg>
#include <cstddef>

// Single-byte text (Windows-1252 unless said otherwise), NUL-terminated, owned by the object.
//
// Invariants:
// - The object is one pointer and nothing else, so a zero-filled CTString is a valid empty
//   string and arrays of CTString are arrays of pointers.
// - The pointer is null (empty) or a malloc block of exactly strlen + 1 bytes: no capacity
//   is kept, each change of length is one realloc to the new size. The exceptions are
//   SetFromBinary and Add(psz, n), which keep the bytes they are given even when these
//   contain a NUL; every later operation sees the text up to its first NUL.
// - Null and the one-byte block "" both count as empty; pszGet never returns null.
// - Operations that take a text may be handed a pointer into this string's own text; they
//   read it before the block moves (or from a private copy).
// - Out of memory ends the process with a message on standard error: the class has no
//   error channel and no caller could continue with a half-made string.
//
// Positions and lengths are in bytes. Searches return -1 when nothing is found.
class CTString {
public:
    CTString() : m_psz(nullptr) {}
    CTString(const char* psz);
    // At most n characters of psz; a negative n copies the whole text.
    CTString(const char* psz, long n);
    CTString(const CTString& cl);
    CTString(CTString&& cl) noexcept : m_psz(cl.m_psz) { cl.m_psz = nullptr; }
    // Windows-1252 form of a wide text (empty when a character has no Windows-1252 form).
    CTString(const wchar_t* pwsz);
    ~CTString();

    CTString& operator=(const CTString& cl);
    CTString& operator=(CTString&& cl) noexcept;
    CTString& operator=(const char* psz);
    CTString& operator=(char* psz);
    CTString& operator=(char c);
    CTString& operator=(const wchar_t* pwsz);

    // ---- Assignment -------------------------------------------------------------------
    // Null empties the string; the string's own pointer leaves it unchanged. A text of the
    // current length is written over the current block.
    void Set(const char* psz);
    // At most n characters (fewer when the text ends first); null empties.
    void Set(const char* psz, unsigned n);
    // Exactly n bytes followed by a NUL, whatever they hold; null empties.
    void SetFromBinary(const char* p, unsigned n);
    // a + b + c; each may be null.
    void Set(const char* pszA, const char* pszB, const char* pszC);
    // One character; the NUL character empties the string.
    void Set(char c);
    // Decimal text of n.
    void SetI4(int n);
    // Same as Set(psz): the text is taken as it is whatever the code page.
    void SetANSI(const char* psz, unsigned nCodePage);
    // Frees the current block and takes ownership of psz, which must come from malloc
    // (null empties). The block is then trimmed to strlen + 1 bytes, so psz must not be
    // used by the caller afterwards.
    void SetBuffer(char* psz);
    // Frees the block; the string becomes null.
    void Vide();
    // A fresh temporary file name in the directory of temporary files (TMPDIR when it names
    // a directory, otherwise /tmp) starting with the first five characters of the prefix.
    // No file of that name exists when it is returned. False, with the string emptied, when
    // no name could be made.
    bool FichierTemporaire(const char* pszPrefixe);

    // ---- Conversions ------------------------------------------------------------------
    // Each returns false, with the string emptied, when the text cannot be converted
    // (malformed input, a character the target lacks). A null text empties and succeeds.
    // Wide text -> code page nCodePage.
    bool SetWide(const wchar_t* pwsz, unsigned nCodePage);
    // Wide text -> Windows-1252.
    bool SetUNICODE(const wchar_t* pwsz);
    // UTF-8 text -> code page nCodePage.
    bool SetUTF8(const char* pszUTF8, unsigned nCodePage);
    // Stores the UTF-8 form of an ANSI text, first mapped with STR_nMapStringEx(nMapFlags,
    // upper case) when nMapFlags is non-zero.
    bool SetXUTF8(const char* pszAnsi, unsigned nMapFlags);
    // Wide Windows-1252 form into pwszBuf. *pnCount: room in pwszBuf (wide characters) on
    // entry. When pwszBuf is non-null and holds the text with its terminator, converts,
    // stores the characters written (terminator included) and returns true; otherwise
    // stores the count needed (0 when the text cannot be converted) and returns false.
    bool bGetWide(wchar_t* pwszBuf, int* pnCount) const;

    // ---- Access -----------------------------------------------------------------------
    // The text; an empty text (never null) for a null string. Valid until the next change.
    const char* pszGet() const { return m_psz ? m_psz : ms_szVide; }
    bool bEstVide() const { return !m_psz || !*m_psz; }
    long nTaille() const;
    // The byte at nIndex; 0 outside the text.
    char cGetChar(long nIndex) const;
    // Writes c at nIndex inside the text (outside: nothing). Writing NUL cuts the text there.
    void SetChar(long nIndex, char c);

    // ---- Search (offsets from the start; -1 when absent or when the string is empty) ----
    // A negative start counts as 0; a start beyond the text finds nothing.
    long nPos(char c, long nDebut = 0) const;
    long nPos(const char* psz, long nDebut = 0) const;
    long nRPos(char c) const;
    // Start of the last occurrence, overlapping ones included; -1 for an empty search text.
    long nRPos(const char* psz) const;
    // First occurrence comparing through the C library's toupper; -1 for an empty search text.
    long nUpPos(const char* psz, long nDebut = 0) const;
    // First byte that belongs to pszEnsemble.
    long nPosParmi(const char* pszEnsemble) const;
    // Non-overlapping occurrences; 0 for an empty search text.
    long nNbOcc(const char* psz) const;

    // ---- Comparison (a null argument counts as the empty text) --------------------------
    bool bEstEgal(const char* psz) const;
    bool operator==(const CTString& cl) const;
    bool operator!=(const CTString& cl) const { return !(*this == cl); }
    // Equality ignoring case and accents (Windows-1252 tables).
    bool bEstEgalI(const char* psz) const;
    bool bEstEgalI(const CTString& cl) const;
    bool bCommencePar(const char* psz) const;
    bool bTerminePar(const char* psz) const;
    bool bCommenceParI(const char* psz) const;
    bool bTermineParI(const char* psz) const;

    // ---- Extraction (new strings; this one is unchanged) -------------------------------
    // At most nNombre characters from nDebut (a negative nDebut counts as 0); empty when
    // nDebut is beyond the text.
    CTString clMilieu(long nDebut, long nNombre) const;
    CTString clMilieu(long nDebut) const;
    CTString clGauche(long n) const;
    CTString clDroite(long n) const;
    // Leading run of characters not in / only in pszEnsemble.
    CTString clExclu(const char* pszEnsemble) const;
    CTString clContientUniquement(const char* pszEnsemble) const;
    CTString operator+(const char* psz) const;
    CTString operator+(const CTString& cl) const;

    // ---- Fields (numbered from 0; the last one runs to the end of the text) ------------
    // Start and length of field n split at cSep (a NUL separator leaves one field).
    // False when there are fewer than n + 1 fields.
    bool bExtraitChainePos(unsigned long n, char cSep, const char** ppszChamp, long* pnTaille) const;
    // The same with a separator text (a negative n counts as 0; a null or empty separator
    // leaves one field); false also for a null string.
    bool bExtraitChainePos(long n, const char* pszSep, const char** ppszChamp, long* pnTaille) const;
    // The same giving the field's offset.
    bool bExtraitPosTailleChaine(long n, const char* pszSep, int* pnPos, long* pnTaille) const;
    // Copies field n into *pclChamp (which may be this string); false for an empty string
    // or a missing field.
    bool bExtraitChaine(unsigned long n, char cSep, CTString* pclChamp) const;
    bool bExtraitChaine(long n, const char* pszSep, CTString* pclChamp) const;
    // Token n of the text split at any of the delimiter characters; runs of delimiters count
    // as one and leading ones are skipped. False when there are fewer tokens.
    bool bExtraitChaineTok(long n, const char* pszDelim, CTString* pclChamp) const;
    // Replaces field n (separator text) by pszRemplace, or appends it when the field starts
    // at the end of the text. False for a null string or a missing field.
    bool bExtraitEtRemplaceChaine(long n, const char* pszSep, const char* pszRemplace);

    // ---- Split at a character ----------------------------------------------------------
    // Each sets this string from psz and returns a pointer into psz (see the table below).
    // Premier uses the first c, Dernier the last.
    //   Debut...:          found: this = part before c, returns the byte after c;
    //                      absent: this = psz, returns null.
    //   Debut...Existant:  found: as above; absent: this = empty, returns psz.
    //   Fin...:            found: this = part after c, returns the byte after c;
    //                      absent: this = psz, returns null.
    //   Fin...Existant:    found: as above; absent: this = empty, returns psz.
    // When psz lies in this string's own text, the old block is gone on return: a non-null
    // result is then this string's new text (Fin forms, found) or an empty text.
    const char* pszSetDebutPremier(const char* psz, char c);
    const char* pszSetDebutDernier(const char* psz, char c);
    const char* pszSetDebutPremierExistant(const char* psz, char c);
    const char* pszSetDebutDernierExistant(const char* psz, char c);
    const char* pszSetFinPremier(const char* psz, char c);
    const char* pszSetFinDernier(const char* psz, char c);
    const char* pszSetFinPremierExistant(const char* psz, char c);
    const char* pszSetFinDernierExistant(const char* psz, char c);

    // ---- Modification in place ---------------------------------------------------------
    void Add(const char* psz);
    // Appends n bytes of psz (n - 1 when psz[n - 1] is NUL); nothing for null or n <= 0.
    void Add(const char* psz, long n);
    // Appends c; the NUL character appends nothing.
    void Add(char c);
    // Prepends; the NUL character inserts nothing.
    void Insert(char c);
    void Insert(const char* psz);
    // Appends the formatted text; returns the characters appended, -1 when the C library
    // cannot format it (the text is then unchanged).
    int AddPrintf(const char* pszFormat, ...) __attribute__((format(printf, 2, 3)));
    // Replaces the text by the formatted output; returns its length, or -1 when the C
    // library cannot format it (the text is then unchanged). A null format gives "".
    // The block is sized from s_nEstimeTailleFormat when that is known to be enough, else
    // from a measuring pass; either way nothing is written past it and it ends exactly
    // length + 1 bytes. The arguments may point into this string's own text.
    int printf(const char* pszFormat, ...) __attribute__((format(printf, 2, 3)));
    int FormatV(const char* pszFormat, va_list args);
    // Replaces the text by pszFormat formatted with the message formatters: printf syntax
    // with numbered inserts ("%2$s", ::FormatMessageA) or Win32 inserts ("%1", "%2!u!",
    // ::FormatMessageWin). Returns the new length, or -1 on failure (the text is then
    // unchanged).
    int FormatMessageA(const char* pszFormat, ...);
    int FormatMessageWin(const char* pszFormat, ...);
    // Over-estimate of the output length of pszFormat with args, in characters, by one walk
    // over the format (args is not consumed). *pbSuffisant (when given) tells whether the
    // estimate is known to be enough; it is not when the format holds conversions or
    // prefixes the walk does not fully understand (wide texts, floating precisions, widths
    // on characters, positional or C99 size prefixes...). The walk stops reading arguments
    // at the first conversion whose argument type it cannot tell.
    static int s_nEstimeTailleFormat(const char* pszFormat, va_list args, bool* pbSuffisant = nullptr);

    // Cuts to n characters when 0 <= n <= length.
    void Tronque(long n);
    // Removes the first n characters (all of them when n is beyond the length).
    void TronqueDebut(long n);
    // Removes nNombre characters at nPos (up to the end when they run past it); nothing when
    // nPos is beyond the text or either value is negative.
    void Coupe(long nPos, long nNombre);
    // Exactly n characters: pads with c or cuts (padding with NUL pads nothing).
    void Complete(long n, char c);
    void Renverse();
    // Replaces every cA from nDebut on by cB; returns the length. cB NUL cuts the text at
    // the first cA found.
    long Remplace(char cA, char cB, long nDebut = 0);
    // Replaces nNombre characters at nPos by pszRemplace (null: removes them); nothing for
    // an empty string or nPos beyond the text. The count is cut at the end of the text.
    void Remplace(long nPos, long nNombre, const char* pszRemplace);
    // Replaces every occurrence of pszCherche starting at or after nDebut by pszRemplace
    // (null: removes), exactly or ignoring case (Windows-1252 upper-case table).
    void Remplace(const char* pszCherche, const char* pszRemplace, long nDebut = 0);
    void RemplaceI(const char* pszCherche, const char* pszRemplace, long nDebut = 0);
    // Spaces become non-breaking spaces (0xA0).
    void Insecable();
    // Removes trailing spaces (0x20 only).
    void SansEspace();
    // Removes leading and trailing white space.
    void Trim();
    // Removes c at both ends / at the start.
    void Trim(char c);
    void LTrim(char c);
    void Majuscule();
    void Minuscule();
    void SansAccent();
    // Maps the text with STR_nMapStringEx(nFlags, upper case).
    void MapStringEx(unsigned nFlags);
    // Text becomes psz in upper case without accents; null empties.
    void SetStandard(const char* psz);

    // clMilieu(nDebut, nNombre) (nNombre negative: to the end) read as an unsigned number in
    // nBase: digits 0-9 then a-z / A-Z worth 10 to 35; stops at the first byte that is not a
    // digit below nBase. Accumulated modulo 2^64; 0 when no digit is read.
    unsigned long long nVal(int nBase = 10, int nDebut = 0, int nNombre = -1) const;

private:
    class __CSource;

    // The empty text pszGet gives for a null string. Declared without its size so that the
    // compiler does not take pszGet() + n for an access past a one-byte array.
    static const char ms_szVide[];

    // Makes the block exactly n + 1 bytes (keeping its first bytes) and terminates it at n.
    void _SetBufferSize(std::size_t n);
    // Writes the n bytes at p as the new text; p may lie in the current block.
    void __Affecte(const char* p, std::size_t n);
    // Frees the current block and takes psz.
    void __Adopte(char* psz);
    // True when p points into the current text (terminator included).
    bool __bDansBloc(const char* p) const;
    const char* __pszSepare(const char* psz, char c, bool bDernier, bool bDebut, bool bExistant);
    // pfnCherche: first occurrence of its second argument in its first, or null.
    void __RemplaceTexte(const char* pszCherche, const char* pszRemplace, long nDebut,
                         const char* (*pfnCherche)(const char*, const char*));

    // malloc / realloc that end the process when memory is exhausted.
    static void* __pAlloue(std::size_t nOctets);
    static char* __pRealloue(char* p, std::size_t nOctets);
    [[noreturn]] static void __PlusDeMemoire(std::size_t nOctets);

    char* m_psz;
};

static_assert(sizeof(CTString) == sizeof(char*), "CTString must stay one pointer");
