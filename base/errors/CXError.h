// CXError: the error object shared with the runtime library, its typed items, sub-errors and text report.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/containers/CTTableau.h"
#include "base/files/CZVUnknown.h"
#include "base/strings/CTString.h"

// Gravity of an error. Any 32-bit value is legal; the report names 1, 2, 3, 0x10001 to
// 0x10004, 0x20001, 0x40000004 and 0x40000008 and prints the others as numbers.
enum eERRORLEVEL : int32_t {
    EL_CLEAR = 1,      // state after construction and after every reset
    EL_USERERROR = 3,  // level of the predefined user errors and of an undefined one
};

// Type of an information item. Values above EIT_DSTFILEUNICODE are not item types.
enum eERRORINFOTYPE : int32_t {
    EIT_NONE = 0,
    EIT_SRCFILE = 1,
    EIT_DSTFILE = 2,
    EIT_USERNAME = 3,
    EIT_HELPFILE = 4,
    EIT_PATHZVD = 5,
    EIT_LOGICALTABLENAME = 6,
    EIT_ITEMNAME = 7,
    EIT_PATHFIC = 8,
    EIT_PATHNDX = 9,
    EIT_PATHMMO = 10,
    EIT_LINKNAME = 11,
    EIT_RECNUM = 12,           // 64-bit integer, inline
    EIT_ODBCCODE = 13,
    EIT_ODBCDESCRIPTION = 14,
    EIT_BASECODE = 15,         // 32-bit integer, inline
    EIT_NATIVECODE = 16,       // 32-bit integer, inline
    EIT_ADOCODE = 17,          // 32-bit integer, inline
    EIT_BASEMESSAGE = 18,
    EIT_NATIVEMESSAGE = 19,
    EIT_ADOMESSAGE = 20,
    EIT_DATAACCESS = 21,       // CZVUnknown*, one reference held
    EIT_INFOCLIENT = 22,
    EIT_INFOSERVEUR = 23,
    EIT_PILEKL = 24,
    EIT_DATEHEURE = 25,
    EIT_LOCKINFO = 26,
    EIT_CORRIGE_ETAT = 27,
    EIT_INFOCS = 28,
    EIT_POINTER = 29,          // pointer, not owned, never printed
    EIT_XINFO = 30,            // 32-bit flag set, inline
    EIT_COMPOSANT = 31,
    EIT_SERVEURCS = 32,
    EIT_PILEC = 33,
    EIT_SRCFILEUNICODE = 34,   // wide text (4-byte characters)
    EIT_DSTFILEUNICODE = 35,   // wide text (4-byte characters)
};
// Every other type in 1..35 is a single-byte text.

// Sections of the text report (StringDump).
enum eXERROR_INFO : uint32_t {
    XEI_MODULE = 0x1,
    XEI_CONTEXT = 0x2,
    XEI_LEVEL = 0x4,
    XEI_USERCODE = 0x8,
    XEI_USERCODE55 = 0x10,
    XEI_SYSTEMCODE = 0x20,
    XEI_SYSTEMMESSAGE = 0x40,
    XEI_USERMESSAGE = 0x80,
    XEI_DEBUGMESSAGE = 0x100,
    XEI_INFO = 0x200,
    XEI_DETAIL = 0x400,
    XEI_SUBERROR = 0x800,
    XEI_NOUSERTITLE = 0x40000000,
    XEI_FILLEDONLY = 0x80000000,  // leave out sections that have no value
    XEI_ALL = 0x80000FFF,
};

inline eXERROR_INFO operator|(eXERROR_INFO a, eXERROR_INFO b)
{
    return static_cast<eXERROR_INFO>(static_cast<uint32_t>(a) | static_cast<uint32_t>(b));
}

// One predefined user error: 16 bytes, four unsigned 32-bit fields.
struct _stERRORDEF {
    uint32_t nUserErrorCode;
    uint32_t nRessourceId;  // message identifier of the user message
    uint32_t nDetailId;
    uint32_t nLevel;        // an eERRORLEVEL
};
static_assert(sizeof(_stERRORDEF) == 16, "_stERRORDEF: four 32-bit fields");

// The predefined user errors, searched linearly on the user error code.
extern const _stERRORDEF gstErrorDef[3];

// The error object.
//
// Its bytes and its table of virtual operations are shared with the runtime library: an
// object built there is read here with this very layout, and the other way round. Hence:
// - the layout is packed, fields in this order, pointers 4 bytes in i386 and 8 in x86-64;
// - text members are NUL-terminated single-byte strings, null when absent, allocated,
//   grown and freed only through the virtual string operations of the object that owns
//   them, so each module frees with the allocator it allocated with;
// - every module allocates texts with the C allocator (malloc, realloc, free): a light
//   copy takes over the blocks of an error built by another module and frees them later;
// - members may sit at unaligned addresses: the string operations receive the address of
//   a member and never dereference it as an aligned pointer;
// - an EIT_DATAACCESS item (an object of the module that built the error) is carried to
//   another error only when both were built by the same module (internal module name).
//
// Multi-line texts use CR LF between lines. No operation throws; when memory cannot be
// obtained the text concerned stays null and the getters yield "".
#pragma pack(push, 1)
class CXError : public CZVUnknown {
public:
    // One information item, 12 bytes: the type, then 8 value bytes holding a pointer (first
    // 4 bytes in i386, all 8 in x86-64), a 32-bit integer (first 4 bytes) or a 64-bit integer.
    struct _stERRORINFO {
        eERRORINFOTYPE eType;
        union {
            void* p;
            int32_t n;
            int64_t ll;
            unsigned char ab[8];
        } uValeur;
    };

    // ---- Construction ------------------------------------------------------------------
    CXError();
    // SetUserErrorList(nCode, args): args is the address of the caller's va_list.
    CXError(unsigned int nCode, ...);
    CXError(unsigned int nCode, char** args);
    // SetUserErrorList(nCode, args), then the debug text pszDebug (formatted, no inserts).
    CXError(const char* pszDebug, unsigned int nCode, ...);
    CXError(const char* pszDebug, unsigned int nCode, char** args);
    // Deep copy.
    CXError(const CXError& clSource);
    // Light copy (the source is emptied) when bLight is non-zero, deep copy otherwise.
    CXError(CXError& clSource, int bLight);
    CXError(CXError* pclSource, int bLight);
    // Shallow assignment would share owned texts: use Copy or LightCopy.
    CXError& operator=(const CXError&) = delete;

    // Slots 0 and 1 (complete and deleting destructor); slot 2 is dwRelease.
    ~CXError() override;

    // ---- String primitives (slots 3 to 7, then 10 and 11) -------------------------------
    // pm is the address of a text member (or of any char* owned by this object).
    // *pm = a new copy of psz; the old block is not freed. Null on failure.
    virtual char* __vpszAllocString(char** pm, const char* psz);
    // *pm = psz, reusing the block; psz may point into *pm. Null psz frees *pm. On failure
    // *pm is freed and becomes null. Returns *pm.
    virtual char* __vpszReallocString(char** pm, const char* psz);
    // Resizes *pm to n + 1 bytes, byte n being a terminator. On failure as above.
    virtual char* __vpszReallocString(char** pm, unsigned int n);
    // Appends psz (which may point into *pm); copies it when *pm is null. On failure *pm
    // is freed and becomes null, and the result is null.
    virtual char* __vpszConcatString(char** pm, const char* psz);
    // Frees *pm and sets it to null.
    virtual void __vDeleteString(char** pm);
    // Slot 8: appends a heap copy of pclSource (light: pclSource is emptied) to the
    // sub-errors; unless bNoUserMessage, the first sub-error's user message is appended
    // to this one's.
    virtual void __AddSubError(CXError* pclSource, int bLight, int bNoUserMessage);
    // Slot 9: destroys every sub-error through its own deleting destructor.
    virtual void __DeleteAllSubError();
    // Wide texts, 4-byte characters: a copy of (count + 1) × 4 bytes.
    virtual wchar_t* __vpszAllocStringW(wchar_t** pm, const wchar_t* pwsz);
    virtual void __vDeleteStringW(wchar_t** pm);

    void TraceDump() const {}

    // ---- Module identity -----------------------------------------------------------------
    // Module "ZVExe.exe", version "15.00Ab": always when bForce, else only when no module
    // name is set.
    void InitModInfo(int bForce);
    void InitModName(const char* psz);
    void InitModVersion(const char* psz);
    const char* pszGetModName() const { return __pszOuVide(m_pszModName); }
    const char* pszGetModVersion() const { return __pszOuVide(m_pszModVersion); }

    // ---- Codes, context and level --------------------------------------------------------
    void SetUserErrorCode(unsigned int n) { m_nUserErrorCode = n; }
    unsigned int nGetUserErrorCode() const { return m_nUserErrorCode; }
    void SetUserErrorCode55(unsigned int n) { m_nUserErrorCode55 = n; }
    unsigned int nGetUserErrorCode55() const { return m_nUserErrorCode55; }
    void SetDetailId(unsigned int n) { m_nDetailId = n; }
    unsigned int nGetDetailId() const { return m_nDetailId; }
    // The syntax is stored only when the name was.
    void SetFunctionName(const char* pszName, unsigned char nSyntax);
    const char* pszGetFunctionName() const { return __pszOuVide(m_pszFunctionName); }
    unsigned char nGetFunctionSyntax() const { return m_nFunctionSyntax; }
    // Caption, then object name, then line and thread; stops at the first text that cannot
    // be stored. A null text clears the member.
    void SetVMContext(const char* pszCaption, const char* pszObjectName, unsigned short wLine,
                      unsigned short wThread);
    const char* pszGetTraitmentCaption() const { return __pszOuVide(m_pszTraitmentCaption); }
    const char* pszGetObjectName() const { return __pszOuVide(m_pszObjectName); }
    unsigned short wGetTraitmentLine() const { return m_wTraitmentLine; }
    unsigned short wGetTraitmentThread() const { return m_wTraitmentThread; }
    // Level 1 resets the whole error (RAZ); any other level is stored.
    void SetErrorLevel(eERRORLEVEL eLevel);
    eERRORLEVEL eGetErrorLevel() const { return m_eLevel; }

    // ---- User errors of gstErrorDef ------------------------------------------------------
    // Accumulating forms: the row's message (formatted with the inserts) goes in front of
    // the user message, and the row's code, detail and level are applied. An undefined code
    // gives level 3 and a debug text naming it.
    void ChangeUserError(unsigned int nCode, ...);
    void ChangeUserErrorList(unsigned int nCode, char** args);
    // The same, starting from a reset.
    void SetUserError(unsigned int nCode, ...);
    void SetUserErrorList(unsigned int nCode, char** args);
    // Reset, then as above with the literal text instead of the row's message.
    void SetUserErrorMessage(unsigned int nCode, const char* pszText);
    // The row's message identifier, 0 when the code has no row.
    static unsigned int nGetRessourceIdFromUserErrorCode(unsigned int nCode);

    // ---- User message --------------------------------------------------------------------
    // Appends, CR LF first when a user message exists. A null text adds nothing.
    void AddUserMessage(const char* pszText);
    // The same, ignoring null or empty texts.
    void AddUserMessageNoFormat(const char* pszText);
    // Records nId among the error identifiers and appends message nId formatted with the
    // inserts; a missing or empty message leaves a "##(CXError)-" text in the debug message.
    void AddUserMessage(unsigned int nId, ...);
    void AddUserMessageList(unsigned int nId, char** args);
    // Text + CR LF + old message (the text alone when there was none); an empty text counts.
    void AddUserMessageFirst(const char* pszText);
    // As the appending forms, nId going first among the identifiers and the text in front.
    void AddUserMessageFirst(unsigned int nId, ...);
    void AddUserMessageListFirst(unsigned int nId, char** args);
    void RAZUserMessage();
    const char* pszGetUserMessage() const { return __pszOuVide(m_pszUserMessage); }

    // ---- Debug message -------------------------------------------------------------------
    // Appends the formatted text (printf syntax with numbered inserts), CR LF first when a
    // debug message exists; a format that cannot be formatted is kept, framed by
    // "##(CXError)-Message non formaté : <" and ">##", on a line of its own.
    void AddDebugMessage(const char* pszFormat, ...);
    void AddDebugMessageList(const char* pszFormat, char** args);
    // Message nId formatted and appended (nothing for 0xFFFFFFFF); missing or empty
    // messages leave a "##(CXError)-" text instead. The identifier is not recorded.
    void AddDebugMessage(unsigned int nId, ...);
    void AddDebugMessageList(unsigned int nId, char** args);
    // Appends / puts in front (text + CR LF + old; the text alone when there was none),
    // ignoring null or empty texts.
    void AddDebugMessageNoFormat(const char* pszText);
    void AddDebugMessageFirst(const char* pszText);
    const char* pszGetDebugMessage() const { return __pszOuVide(m_pszDebugMessage); }

    // ---- System error --------------------------------------------------------------------
    // Stores the code; 0 deletes the message, any other code stores strerror(errno).
    void SetSystemError(unsigned int nCode);
    // Stores the code and hstrerror(h_errno).
    void SetSystemErrorForGetHostBy(unsigned int nCode);
    // Stores the code and the formatted text (empty when it cannot be formatted).
    void SetSystemErrorMessage(unsigned int nCode, const char* pszFormat, ...);
    // Code 0 and the formatted text (empty when it cannot be formatted).
    void SetSystemErrorMessage(const char* pszFormat, ...);
    // Code 0 and message nId formatted with the inserts; a missing or empty message stores
    // a "##(CXError)-" text instead. The List form lets text inserts through, which the
    // variadic form cannot tell from the (code, format) form above.
    void SetSystemErrorMessage(unsigned int nId, ...);
    void SetSystemErrorMessageList(unsigned int nId, char** args);
    unsigned int dwGetSystemErrorCode() const { return m_dwSystemErrorCode; }
    const char* pszGetSystemErrorMessage() const { return __pszOuVide(m_pszSystemErrorMessage); }

    // ---- Error identifiers ---------------------------------------------------------------
    unsigned int nNumErrorId() const;
    // 0 when nIndex is not below nNumErrorId().
    unsigned int nGetErrorId(unsigned int nIndex) const;

    // ---- Information items ---------------------------------------------------------------
    // Stores or replaces the item of that type (at most one per type). pValue: the text for
    // text and wide types (copied), the address of the integer for inline types, the object
    // for EIT_DATAACCESS (one reference taken, the replaced one released), the pointer itself
    // for EIT_POINTER (never freed). A null value changes nothing and answers whether an
    // item exists. False when a text cannot be copied (an item being replaced is then kept).
    bool AddInfo(eERRORINFOTYPE eType, const void* pValue);
    // False when there is no item of that type; otherwise GetInfo on its index.
    bool bGetInfo(eERRORINFOTYPE eType, const void** ppValue) const;
    // *peType = the item's type; *ppValue = the stored pointer, or the 32-bit value itself
    // for inline 32-bit items. For EIT_RECNUM *ppValue must hold, on entry, the address of an
    // 8-byte buffer, which receives the value. Unknown types and indexes out of range give
    // *peType = EIT_NONE and leave *ppValue alone.
    void GetInfo(unsigned int nIndex, eERRORINFOTYPE* peType, const void** ppValue) const;
    unsigned int nNumInfo() const;
    // Frees the item's value (releases an EIT_DATAACCESS object) and removes it.
    void DeleteInfo(eERRORINFOTYPE eType);
    // Appends the item's report line to *pclOut, printing text items even when empty (a
    // null text prints as empty). pValue is what GetInfo gives for the item.
    void DumpInfo(eERRORINFOTYPE eType, const void* pValue, CTString* pclOut) const;
    // Sets (bSet non-zero) or clears the bits of nMask in the EIT_XINFO flag set.
    void __SetXInfo(int nMask, int bSet);
    bool __bGetXInfo(int nMask) const;

    // ---- Sub-errors ----------------------------------------------------------------------
    void AddSubError(CXError* pclSource) { __AddSubError(pclSource, 0, 0); }
    void AddSubErrorLight(CXError* pclSource) { __AddSubError(pclSource, 1, 0); }
    void AddSubErrorLightNoUserMessage(CXError* pclSource) { __AddSubError(pclSource, 1, 1); }
    void DeleteAllSubError() { __DeleteAllSubError(); }
    // Null when nIndex is outside 0 .. count - 1.
    CXError* pclGetSubError(int nIndex) const;
    int nGetNbSubError() const;

    // ---- Copies and reset ----------------------------------------------------------------
    // Deep copy: texts duplicated, items re-added (objects of another module left out),
    // deep copies of the sub-errors appended after this error's own. The internal module
    // name is never copied. Copying an error onto itself does nothing.
    void Copy(const CXError& clSource);
    void Copy(const CXError* pclSource);
    // Moves everything out of pclSource, which is left clear (EIT_DATAACCESS items of another
    // module stay with it, as they cannot be carried).
    void LightCopy(CXError* pclSource);
    // Back to the state after construction; the internal module name is kept.
    void RAZ();

    // ---- Report --------------------------------------------------------------------------
    // Appends the report of the chosen sections to clOut (not emptied first).
    void StringDump(CTString& clOut, eXERROR_INFO eFlags) const;
    CTString StringDump(eXERROR_INFO eFlags) const;
    // clOut = the item's report line; text items only when non-empty or when bPrintEmpty;
    // nothing for EIT_NONE, EIT_POINTER and unknown types.
    void __DumpInfo(eERRORINFOTYPE eType, const void* pValue, CTString& clOut, int bPrintEmpty) const;

    // Name of the module that built this object.
    const char* pszGetInternalModName() const { return __pszOuVide(m_pszInternalModName); }
    // Renames the building module: only for libraries that build errors handed to others.
    void InitInternalModName(const char* psz);

private:
    static const char* __pszOuVide(const char* psz) { return psz ? psz : ""; }
    void __Initialise();
    void __AddUserMessageIdList(unsigned int nId, char** args, bool bFirst);
    // Appends pszText to *pm, CR LF first when *pm exists; pszText may point into *pm.
    void __AjouteTexte(char** pm, const char* pszText);
    // *pm = pszText + CR LF + old text (pszText alone when there was none).
    void __InsereTexte(char** pm, const char* pszText);
    // *pm = a copy of psz, or freed when psz is null.
    void __CopieTexte(char** pm, const char* psz);
    void __SetSystemErrorFormatList(unsigned int nCode, const char* pszFormat, char** args);
    void __LibereValeurInfo(_stERRORINFO& stInfo);
    void __SupprimeToutesInfos();
    bool __bMemeModule(const CXError& clAutre) const;
    int __nIndexInfo(eERRORINFOTYPE eType) const;
    void __DumpSousErreurs(CTString& clOut, eXERROR_INFO eFlags) const;

    friend struct CXErrorLayout;

protected:
    // ---- Layout shared with the runtime (do not reorder, do not add members) -------------
    eERRORLEVEL m_eLevel;
    uint32_t m_nUserErrorCode;
    char* m_pszUserMessage;
    char* m_pszDebugMessage;
    char* m_pszFunctionName;
    char* m_pszModName;
    char* m_pszModVersion;
    uint8_t m_nFunctionSyntax;
    uint32_t m_nDetailId;
    CTTableau<unsigned int> m_tabErrorId;           // message identifiers, in message order
    CTTableau<_stERRORINFO> m_tabInfo;              // insertion order, at most one per type
    uint32_t m_dwSystemErrorCode;
    char* m_pszSystemErrorMessage;
    char* m_pszTraitmentCaption;
    uint16_t m_wTraitmentLine;
    uint16_t m_wTraitmentThread;
    CTTableau<CXError*>* m_ptabSubError;            // owned, with the sub-errors; null until the first
    char* m_pszObjectName;
    char* m_pszInternalModName;                     // "ZVExe.exe" unless renamed
    uint32_t m_nUserErrorCode55;
};
#pragma pack(pop)

static_assert(sizeof(wchar_t) == 4, "wide texts hold 4-byte characters");
static_assert(sizeof(CXError::_stERRORINFO) == 12, "_stERRORINFO: type then 8 value bytes, packed");

// The layout checks, in a friend so that they see the protected members.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
struct CXErrorLayout {
#if defined(__x86_64__)
    static_assert(sizeof(CXError) == 189, "CXError layout (x86-64)");
    static_assert(offsetof(CXError, m_nRefCount) == 8, "CXError layout (x86-64)");
    static_assert(offsetof(CXError, m_eLevel) == 12, "CXError layout (x86-64)");
    static_assert(offsetof(CXError, m_nUserErrorCode) == 16, "CXError layout (x86-64)");
    static_assert(offsetof(CXError, m_pszUserMessage) == 20, "CXError layout (x86-64)");
    static_assert(offsetof(CXError, m_pszDebugMessage) == 28, "CXError layout (x86-64)");
    static_assert(offsetof(CXError, m_pszFunctionName) == 36, "CXError layout (x86-64)");
    static_assert(offsetof(CXError, m_pszModName) == 44, "CXError layout (x86-64)");
    static_assert(offsetof(CXError, m_pszModVersion) == 52, "CXError layout (x86-64)");
    static_assert(offsetof(CXError, m_nFunctionSyntax) == 60, "CXError layout (x86-64)");
    static_assert(offsetof(CXError, m_nDetailId) == 61, "CXError layout (x86-64)");
    static_assert(offsetof(CXError, m_tabErrorId) == 65, "CXError layout (x86-64)");
    static_assert(offsetof(CXError, m_tabInfo) == 101, "CXError layout (x86-64)");
    static_assert(offsetof(CXError, m_dwSystemErrorCode) == 137, "CXError layout (x86-64)");
    static_assert(offsetof(CXError, m_pszSystemErrorMessage) == 141, "CXError layout (x86-64)");
    static_assert(offsetof(CXError, m_pszTraitmentCaption) == 149, "CXError layout (x86-64)");
    static_assert(offsetof(CXError, m_wTraitmentLine) == 157, "CXError layout (x86-64)");
    static_assert(offsetof(CXError, m_wTraitmentThread) == 159, "CXError layout (x86-64)");
    static_assert(offsetof(CXError, m_ptabSubError) == 161, "CXError layout (x86-64)");
    static_assert(offsetof(CXError, m_pszObjectName) == 169, "CXError layout (x86-64)");
    static_assert(offsetof(CXError, m_pszInternalModName) == 177, "CXError layout (x86-64)");
    static_assert(offsetof(CXError, m_nUserErrorCode55) == 185, "CXError layout (x86-64)");
#elif defined(__i386__)
    static_assert(sizeof(CXError) == 129, "CXError layout (i386)");
    static_assert(offsetof(CXError, m_nRefCount) == 4, "CXError layout (i386)");
    static_assert(offsetof(CXError, m_eLevel) == 8, "CXError layout (i386)");
    static_assert(offsetof(CXError, m_nUserErrorCode) == 12, "CXError layout (i386)");
    static_assert(offsetof(CXError, m_pszUserMessage) == 16, "CXError layout (i386)");
    static_assert(offsetof(CXError, m_pszDebugMessage) == 20, "CXError layout (i386)");
    static_assert(offsetof(CXError, m_pszFunctionName) == 24, "CXError layout (i386)");
    static_assert(offsetof(CXError, m_pszModName) == 28, "CXError layout (i386)");
    static_assert(offsetof(CXError, m_pszModVersion) == 32, "CXError layout (i386)");
    static_assert(offsetof(CXError, m_nFunctionSyntax) == 36, "CXError layout (i386)");
    static_assert(offsetof(CXError, m_nDetailId) == 37, "CXError layout (i386)");
    static_assert(offsetof(CXError, m_tabErrorId) == 41, "CXError layout (i386)");
    static_assert(offsetof(CXError, m_tabInfo) == 69, "CXError layout (i386)");
    static_assert(offsetof(CXError, m_dwSystemErrorCode) == 97, "CXError layout (i386)");
    static_assert(offsetof(CXError, m_pszSystemErrorMessage) == 101, "CXError layout (i386)");
    static_assert(offsetof(CXError, m_pszTraitmentCaption) == 105, "CXError layout (i386)");
    static_assert(offsetof(CXError, m_wTraitmentLine) == 109, "CXError layout (i386)");
    static_assert(offsetof(CXError, m_wTraitmentThread) == 111, "CXError layout (i386)");
    static_assert(offsetof(CXError, m_ptabSubError) == 113, "CXError layout (i386)");
    static_assert(offsetof(CXError, m_pszObjectName) == 117, "CXError layout (i386)");
    static_assert(offsetof(CXError, m_pszInternalModName) == 121, "CXError layout (i386)");
    static_assert(offsetof(CXError, m_nUserErrorCode55) == 125, "CXError layout (i386)");
#endif
    static_assert(offsetof(CXError::_stERRORINFO, uValeur) == 4, "_stERRORINFO: value at offset 4");
};
#pragma GCC diagnostic pop
