// Windows-1252 character tables and the process-wide current character set.
#pragma once

// Class bits of pbyCharType_Latin1 (and of the class table of any character-set context).
enum : unsigned char {
    eCHARTYPE_DIGIT = 0x01,   // "0" to "9"
    eCHARTYPE_LOWER = 0x02,   // small letter
    eCHARTYPE_ACCENT = 0x04,  // letter carrying an accent
    eCHARTYPE_PUNCT = 0x08,   // punctuation, control or space
    eCHARTYPE_SPACE = 0x10,   // white space (always together with eCHARTYPE_PUNCT)
};

// Flag bit of the map, compare and sort functions that selects the current character set's
// tables instead of gstCharTab.
constexpr unsigned STR_FLAG_CURRENT_CHARSET = 0x10000000u;

// The tables of one character set, 256 entries each, indexed by the unsigned byte.
// The layout (five pointers in this order) is shared with the runtime.
struct _stCHARTAB {
    const unsigned char* pbyToUpper;
    const unsigned char* pbyToLower;
    const unsigned char* pbyToNoAccent;
    const unsigned char* pbyCharType;
    // Sort key of each byte; only the low byte of an entry is used.
    const unsigned short* pwCharOrder;
};

// Supplies the current character set when installed with STR_SetCtxInfoAlphabet.
// Implemented by the runtime; the order of the virtual operations is part of the contract
// (slot 1: character-set number, slot 3: tables), so nothing may be inserted before them.
class ICtxInfoAlphabet {
public:
    virtual void vReserved0() = 0;                  // slot 0, never called here
    virtual int nGetCharset() = 0;                  // slot 1
    virtual void vReserved2() = 0;                  // slot 2, never called here
    virtual const _stCHARTAB* pstGetCharTab() = 0;  // slot 3

protected:
    // Owned by the runtime: never deleted through this interface.
    ~ICtxInfoAlphabet() = default;
};

// Windows-1252 tables.
extern const unsigned char pToUpper_Latin1[256];
extern const unsigned char pToLower_Latin1[256];
extern const unsigned char pToNoAccent_Latin1[256];
// Upper case of the accent-free form: pToUpper_Latin1[pToNoAccent_Latin1[c]].
extern const unsigned char pToNoAccentUpper_Latin1[256];
extern const unsigned char pbyCharType_Latin1[256];
// A permutation of 0-255.
extern const unsigned short pwCharOrder_Latin1[256];
// Letters and digits, one bit per byte value: bit (c & 7) of byte c / 8.
extern const unsigned char gpbyIsChaAlphaNumeric_Latin1[32];

// The Windows-1252 tables grouped: upper, lower, accent removal, class, sort order.
extern const _stCHARTAB gstCharTab;

// Makes nCharset and its tables current. Null tables stand for gstCharTab.
void STR_ChangeAlphabet(int nCharset, const _stCHARTAB* pstTables);
// Installs (or, with null, removes) an interface that supplies the current set instead of
// the values stored by STR_ChangeAlphabet. The interface stays owned by the caller and must
// outlive its installation.
void STR_SetCtxInfoAlphabet(ICtxInfoAlphabet* pclCtx);
// Tables of the current character set; never null (gstCharTab when nothing else is known).
const _stCHARTAB* STR_pstGetCharTabLocal();
// Number of the current character set, 127 reported as 0.
int STR_nGetCurrentChangeCharset();
// Number of the current character set as stored.
int STR_nGetCurrentChangeCharsetInterne();

// Internal to the string library. The tables of the flags' character set: the current set's
// when nFlags carries STR_FLAG_CURRENT_CHARSET, else gstCharTab.
const _stCHARTAB* _STR_pstTablesOf(unsigned nFlags);
// One-lookup map of the case and accent steps of nSteps (bit 0 case, upper when bUpper, lower
// otherwise; bit 1 accent removal; both: accents removed first, then the case table) through
// pst. Returns a static table for gstCharTab; for other tables either one of pst's own tables
// or abyScratch, filled here.
const unsigned char* _STR_pbyMapTable(const _stCHARTAB* pst, unsigned nSteps, bool bUpper,
                                      unsigned char (&abyScratch)[256]);
