// STManipAUB: a view of one language value (ANSI string, Unicode string or binary) with its type code.
#pragma once

class CKLDSTRBase;
class CKLBINBase;

// Type codes as the language sees them.
enum : unsigned short {
    eAUB_UNICODE = 16,
    eAUB_ANSI = 19,
    eAUB_BINAIRE = 28,
};

// The view does not own the value; the value must outlive it.
struct STManipAUB {
    const void* pValeur;   // the value object (one pointer to a data area), or null
    unsigned short wType;  // eAUB_ code

    STManipAUB() : pValeur(nullptr), wType(eAUB_ANSI) {}
    explicit STManipAUB(const CKLDSTRBase* pcl);
    explicit STManipAUB(const CKLBINBase* pcl);

    bool bEstUNICODE() const { return wType == eAUB_UNICODE; }
    // The value's data; the static empty text for an empty value; "" when the view holds nothing.
    const char* pszGetString() const;

    // Type code of the data area pData: null or the ANSI bit: 19; Unicode: 16; binary: 28;
    // anything else 19.
    static unsigned short s_nGetTypeAUB(const void* pData);
    // Sets the type bits of the block at pData from a type code; other codes (and null) are
    // left alone.
    static void s_VerifieTypeAUB(void* pData, unsigned nCode);
};
