// CDataCompressor: decoder of the compact text form of the built-in messages.
#pragma once

// The stored form: a NUL-terminated byte string. Every two stored bytes b0, b1 give the
// value v = (b0 - 1) × 255 + (b1 - 1), read as three base-40 digits (v / 1600,
// v / 40 mod 40, v mod 40). Digits 0-3 choose the table of the next character only,
// 4-7 make a table current, 8-39 are the character at index digit - 8 of the table in
// force. While table 3 is current, 38 and 39 are escapes: 38 outputs the next stored
// byte as it is, 39 outputs the c bytes that follow a count byte c. A last lone byte b
// is one more digit, (b - 1) AND 255.
class CDataCompressor {
public:
    // Outcomes of the decoding.
    enum {
        eDECOMP_COMPLET = 0,    // the whole text and its NUL are in the output
        eDECOMP_CORROMPU = 1,   // the stored text is not a valid compact text (or an
                                // argument is missing): what was decoded before the
                                // fault is in the output, NUL-terminated when room allows
        eDECOMP_COUPE = 2       // the output holds capacity - 1 characters and a NUL
    };

    // The four character tables, in ascending order (searched by bisection).
    // Table 0: space, the printf insert characters and lower case; table 1: line feed,
    // quotes, brackets and upper case; table 2: digits and symbols; table 3: typographic
    // punctuation and the accented letters of code page 1252, whose last two entries
    // can only be reached by a one-shot switch (38 and 39 are escapes while it is current).
    static constexpr unsigned char tabCharset1[32] = {
        0x20, 0x24, 0x25, 0x2C, 0x2E, 0x31, 0x61, 0x62, 0x63, 0x64, 0x65,
        0x66, 0x67, 0x68, 0x69, 0x6A, 0x6B, 0x6C, 0x6D, 0x6E, 0x6F, 0x70,
        0x71, 0x72, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7A};
    static constexpr unsigned char tabCharset2[32] = {
        0x0A, 0x27, 0x28, 0x29, 0x2D, 0x3A, 0x41, 0x42, 0x43, 0x44, 0x45,
        0x46, 0x47, 0x48, 0x49, 0x4A, 0x4B, 0x4C, 0x4D, 0x4E, 0x4F, 0x50,
        0x51, 0x52, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5A};
    static constexpr unsigned char tabCharset3[32] = {
        0x09, 0x0D, 0x21, 0x22, 0x23, 0x26, 0x2A, 0x2B, 0x2F, 0x30, 0x31,
        0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x3B, 0x3C, 0x3D,
        0x3E, 0x3F, 0x40, 0x5B, 0x5C, 0x5D, 0x5F, 0x7B, 0x7C, 0x7D};
    static constexpr unsigned char tabCharset4[32] = {
        0x5E, 0x60, 0x7E, 0x80, 0x85, 0x91, 0x92, 0x93, 0x94, 0x96, 0x97,
        0xA0, 0xA7, 0xAB, 0xB0, 0xBB, 0xC0, 0xC7, 0xC9, 0xE0, 0xE2, 0xE7,
        0xE8, 0xE9, 0xEA, 0xEB, 0xEE, 0xEF, 0xF4, 0xF9, 0xFB, 0xFC};

    // Table n (0 to 3); null for another number.
    static const unsigned char* pGetCharset(int nTable);

    CDataCompressor();

    // Decodes into a new buffer of trunc(length × 1.5 + 2) bytes, which the caller
    // frees with free(). Null when the memory cannot be obtained or the text did not
    // decode completely.
    static char* s_pszDeCompress(const char* pszStocke);
    // nDeCompress on a fresh decoder.
    static int s_nDeCompress(char* pszSortie, int* pnTaille, const char* pszStocke);
    // Decodes pszStocke (null: empty) into pszSortie, whose capacity in bytes is *pnTaille
    // on entry. Never writes past the capacity, nor reads past the stored terminator.
    // On return *pnTaille is the decoded length, counting the characters that did not
    // fit. Returns an eDECOMP_ outcome.
    int nDeCompress(char* pszSortie, int* pnTaille, const char* pszStocke);

    // Encoder-side helpers. The digit (index + 8) of byte c in table nTable, -1 when
    // absent or when the table does not exist.
    static int _nGetValue(unsigned char c, int nTable);
    // The digit that makes table nTable current (4 + table); 8 for an invalid table.
    static int _nGetCharsetSwitch(int nTable);
    // The table named by a switch digit: code AND 3 for 0 to 7, -1 otherwise.
    static int _nGetCharset(int nCode);

private:
    const unsigned char* m_pbyStocke;
    int m_nLongueurStocke;  // bytes before the terminator
    char* m_pszSortie;
    int m_nCapacite;        // bytes, NUL included
    int m_nProduit;         // characters decoded, stored or not
    int m_nTableCourante;   // 0 to 3
    int m_nTableUnique;     // table of the next character only; -1 for none

    // Applies one digit (not an escape); false for a digit that means nothing.
    bool __bAppliqueChiffre(int nChiffre);
    void __Sortie(unsigned char c);
};
