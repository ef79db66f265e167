// Tests of the error object: shared layout and table, texts, user errors, items, copies, sub-errors, report.
#include "base/errors/CXError.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "base/messages/AccesDllRes.h"
#include "support/MessageText.h"

namespace {

// ---- Helpers ---------------------------------------------------------------------------------

using zvtest::Msg;
using zvtest::MsgF;

std::string Ligne(const std::string& str)
{
    return str + "\r\n";
}

std::string Dump(const CXError& cl, uint32_t nFlags)
{
    return cl.StringDump(static_cast<eXERROR_INFO>(nFlags)).pszGet();
}

// A reference-counted object that records its destruction.
class CCompte : public CZVUnknown {
public:
    explicit CCompte(int* pnDetruits) : m_pnDetruits(pnDetruits) {}
    ~CCompte() override { ++*m_pnDetruits; }

private:
    int* m_pnDetruits;
};

template <typename T>
T LitOctets(const void* pObjet, std::size_t nOffset)
{
    T v;
    std::memcpy(&v, static_cast<const unsigned char*>(pObjet) + nOffset, sizeof v);
    return v;
}

constexpr std::size_t P = sizeof(void*);

// ---- Shared layout and table -----------------------------------------------------------------

// Offset in the running ABI: i386 value, x86-64 value.
constexpr std::size_t O(std::size_t n32, std::size_t n64)
{
    return P == 4 ? n32 : n64;
}

TEST(CXError, LayoutReadBackThroughRawBytes)
{
    CXError cl;
    cl.SetUserErrorCode(0x11111111);
    cl.SetErrorLevel(static_cast<eERRORLEVEL>(0x22222222));
    cl.AddUserMessage("user");
    cl.AddDebugMessageNoFormat("debug");
    cl.SetFunctionName("func", 0x33);
    cl.InitModName("mod");
    cl.InitModVersion("ver");
    cl.SetDetailId(0x44444444);
    cl.SetSystemErrorMessage(0x55555555u, "sys");
    cl.SetVMContext("caption", "object", 0x6666, 0x7777);
    cl.SetUserErrorCode55(0x88888888);
    CXError clSous;
    cl.AddSubErrorLightNoUserMessage(&clSous);
    const int nBase = 0x99;
    cl.AddInfo(EIT_BASECODE, &nBase);

    EXPECT_EQ(sizeof(CXError), O(129, 189));
    struct { const char* pszNom; std::size_t nOffset; const char* pszTexte; } aTextes[] = {
        {"user message", O(16, 20), "user"},
        {"debug message", O(20, 28), "debug"},
        {"function name", O(24, 36), "func"},
        {"module name", O(28, 44), "mod"},
        {"module version", O(32, 52), "ver"},
        {"system message", O(101, 141), "sys"},
        {"caption", O(105, 149), "caption"},
        {"object name", O(117, 169), "object"},
        {"internal module name", O(121, 177), "ZVExe.exe"},
    };
    for (const auto& st : aTextes) {
        SCOPED_TRACE(st.pszNom);
        EXPECT_STREQ(LitOctets<const char*>(&cl, st.nOffset), st.pszTexte);
    }
    struct { const char* pszNom; std::size_t nOffset; std::size_t nTaille; uint32_t nValeur; } aNombres[] = {
        {"reference count", O(4, 8), 4, 0},
        {"level", O(8, 12), 4, 0x22222222},
        {"user error code", O(12, 16), 4, 0x11111111},
        {"function syntax", O(36, 60), 1, 0x33},
        {"detail identifier", O(37, 61), 4, 0x44444444},
        {"system error code", O(97, 137), 4, 0x55555555},
        {"processing line", O(109, 157), 2, 0x6666},
        {"processing thread", O(111, 159), 2, 0x7777},
        {"user error code 55", O(125, 185), 4, 0x88888888},
        {"error identifiers: element size", O(41, 65) + P, 4, 4},
        {"information items: element size", O(69, 101) + P, 4, 12},
        {"information items: count", O(69, 101) + P + 4, 4, 1},
    };
    for (const auto& st : aNombres) {
        SCOPED_TRACE(st.pszNom);
        uint32_t n = 0;
        std::memcpy(&n, reinterpret_cast<const unsigned char*>(&cl) + st.nOffset, st.nTaille);
        EXPECT_EQ(n, st.nValeur);
    }

    // An item: type at 0, value at 4, in the block the array object points to (offset P + 20).
    const unsigned char* pInfo = LitOctets<const unsigned char*>(&cl, O(69, 101) + P + 20);
    EXPECT_EQ(LitOctets<int32_t>(pInfo, 0), EIT_BASECODE);
    EXPECT_EQ(LitOctets<int32_t>(pInfo, 4), 0x99);

    // Sub-errors: a pointer to an array object of CXError pointers.
    const unsigned char* pTab = LitOctets<const unsigned char*>(&cl, O(113, 161));
    ASSERT_NE(pTab, nullptr);
    EXPECT_EQ(LitOctets<int32_t>(pTab, P + 4), 1);
    EXPECT_EQ(LitOctets<CXError*>(LitOctets<const unsigned char*>(pTab, P + 20), 0), cl.pclGetSubError(0));
}

TEST(CXError, VirtualOperationsInTableOrder)
{
    typedef char* (*PFNALLOC)(CXError*, char**, const char*);
    typedef char* (*PFNREALLOCN)(CXError*, char**, unsigned int);
    typedef void (*PFNDELETE)(CXError*, char**);
    typedef void (*PFNADDSUB)(CXError*, CXError*, int, int);
    typedef void (*PFNDELALL)(CXError*);
    typedef wchar_t* (*PFNALLOCW)(CXError*, wchar_t**, const wchar_t*);
    typedef void (*PFNDELETEW)(CXError*, wchar_t**);
    typedef uint32_t (*PFNRELEASE)(CXError*);
    typedef void (*PFNDTOR)(CXError*);

    CXError* pcl = new CXError;
    void** ppTable = LitOctets<void**>(pcl, 0);
    char* psz = nullptr;
    EXPECT_STREQ(reinterpret_cast<PFNALLOC>(ppTable[3])(pcl, &psz, "ab"), "ab");
    EXPECT_STREQ(reinterpret_cast<PFNALLOC>(ppTable[4])(pcl, &psz, "abcdef"), "abcdef");
    EXPECT_STREQ(reinterpret_cast<PFNREALLOCN>(ppTable[5])(pcl, &psz, 3), "abc");
    EXPECT_STREQ(reinterpret_cast<PFNALLOC>(ppTable[6])(pcl, &psz, "xy"), "abcxy");
    reinterpret_cast<PFNDELETE>(ppTable[7])(pcl, &psz);
    EXPECT_EQ(psz, nullptr);

    CXError clSource;
    clSource.AddUserMessage("sub");
    reinterpret_cast<PFNADDSUB>(ppTable[8])(pcl, &clSource, 0, 0);
    EXPECT_EQ(pcl->nGetNbSubError(), 1);
    EXPECT_STREQ(pcl->pszGetUserMessage(), "sub");
    reinterpret_cast<PFNDELALL>(ppTable[9])(pcl);
    EXPECT_EQ(pcl->nGetNbSubError(), 0);

    wchar_t* pwsz = nullptr;
    EXPECT_STREQ(reinterpret_cast<PFNALLOCW>(ppTable[10])(pcl, &pwsz, L"w\u00e9"), L"w\u00e9");
    reinterpret_cast<PFNDELETEW>(ppTable[11])(pcl, &pwsz);
    EXPECT_EQ(pwsz, nullptr);

    // Slot 2 releases, and at 0 destroys through slot 1 (the sanitizer checks the free).
    pcl->AddRefDirect();
    EXPECT_EQ(reinterpret_cast<PFNRELEASE>(ppTable[2])(pcl), 0u);

    // Slot 0 destroys without freeing.
    alignas(8) unsigned char abPlace[sizeof(CXError)];
    CXError* pclPlace = new (abPlace) CXError;
    pclPlace->AddUserMessage("freed by the destructor");
    reinterpret_cast<PFNDTOR>(LitOctets<void**>(pclPlace, 0)[0])(pclPlace);
}

// ---- String primitives, state and texts ----------------------------------------------------------

TEST(CXError, StringPrimitivesAcceptTextsFromTheirOwnBlock)
{
    CXError cl;
    char* psz = nullptr;
    cl.__vpszAllocString(&psz, "hello world");
    EXPECT_STREQ(cl.__vpszReallocString(&psz, psz + 6), "world");
    EXPECT_STREQ(cl.__vpszConcatString(&psz, psz), "worldworld");
    EXPECT_STREQ(cl.__vpszReallocString(&psz, static_cast<const char*>(nullptr)), nullptr);
    EXPECT_STREQ(cl.__vpszConcatString(&psz, "new"), "new");
    cl.__vDeleteString(&psz);

    cl.AddUserMessage("A");
    cl.AddUserMessage(cl.pszGetUserMessage());
    EXPECT_STREQ(cl.pszGetUserMessage(), "A\r\nA");
    cl.AddUserMessageFirst(cl.pszGetUserMessage() + 3);
    EXPECT_STREQ(cl.pszGetUserMessage(), "A\r\nA\r\nA");
}

TEST(CXError, NewErrorIsClear)
{
    CXError cl;
    EXPECT_EQ(cl.eGetErrorLevel(), EL_CLEAR);
    EXPECT_EQ(cl.nGetRefCount(), 0);
    for (const char* psz : {cl.pszGetUserMessage(), cl.pszGetDebugMessage(), cl.pszGetFunctionName(),
                            cl.pszGetModName(), cl.pszGetModVersion(), cl.pszGetTraitmentCaption(),
                            cl.pszGetObjectName(), cl.pszGetSystemErrorMessage()})
        EXPECT_STREQ(psz, "");
    EXPECT_EQ(cl.nNumInfo(), 0u);
    EXPECT_EQ(cl.nGetNbSubError(), 0);
    EXPECT_STREQ(cl.pszGetInternalModName(), "ZVExe.exe");

    cl.AddUserMessage(28851u, 7u);
    EXPECT_STREQ(cl.pszGetModName(), "ZVExe.exe");
    EXPECT_STREQ(cl.pszGetModVersion(), "15.00Ab");
    EXPECT_EQ(cl.pszGetUserMessage(), MsgF(28851, 7u));
    ASSERT_EQ(cl.nNumErrorId(), 1u);
    EXPECT_EQ(cl.nGetErrorId(0), 28851u);
    EXPECT_EQ(cl.nGetErrorId(1), 0u);
}

TEST(CXError, UserErrorsFromTheTable)
{
    CXError clIndefini;
    clIndefini.SetUserErrorCode(9);
    clIndefini.SetUserError(5);
    EXPECT_EQ(clIndefini.eGetErrorLevel(), EL_USERERROR);
    EXPECT_EQ(clIndefini.nGetUserErrorCode(), 0u);
    EXPECT_STREQ(clIndefini.pszGetDebugMessage(), "##(CXError)-Erreur <5> non d\xE9" "finie dans gstErrorDef##");

    CXError cl(2u);
    EXPECT_EQ(cl.nGetUserErrorCode(), 2u);
    EXPECT_EQ(cl.eGetErrorLevel(), EL_USERERROR);
    EXPECT_EQ(cl.nGetDetailId(), 0u);
    // The row names message 0; whether the table lends that identifier a text is the table's
    // business: either the text is the user message or the fall-back names the identifier.
    const unsigned int nId = CXError::nGetRessourceIdFromUserErrorCode(2);
    CTString clTexte;
    if (DLLRES_bLoadString(nId, &clTexte)) {
        EXPECT_STREQ(cl.pszGetUserMessage(), clTexte.pszGet());
    } else {
        EXPECT_STREQ(cl.pszGetUserMessage(), "");
        EXPECT_STREQ(cl.pszGetDebugMessage(), "##(CXError)-Ressource <0> non charg\xE9" "e##");
    }
    EXPECT_EQ(cl.nNumErrorId(), 1u);
    EXPECT_STREQ(cl.pszGetModName(), "ZVExe.exe");

    cl.SetUserErrorMessage(3, "literal");
    EXPECT_STREQ(cl.pszGetUserMessage(), "literal");
    EXPECT_EQ(cl.nGetUserErrorCode(), 3u);
    EXPECT_EQ(cl.nNumErrorId(), 0u);
}

TEST(CXError, UserAndDebugMessagesAccumulate)
{
    CXError cl;
    cl.AddUserMessage("A");
    cl.AddUserMessage("B");
    EXPECT_STREQ(cl.pszGetUserMessage(), "A\r\nB");
    cl.AddUserMessageFirst("X");
    EXPECT_STREQ(cl.pszGetUserMessage(), "X\r\nA\r\nB");
    cl.AddUserMessageNoFormat("");
    cl.AddUserMessage(static_cast<const char*>(nullptr));
    EXPECT_STREQ(cl.pszGetUserMessage(), "X\r\nA\r\nB");

    cl.AddDebugMessage("n=%1$u s=%2$s", 4u, "t");
    cl.AddDebugMessageFirst("first");
    EXPECT_STREQ(cl.pszGetDebugMessage(), "first\r\nn=4 s=t");
    cl.AddDebugMessage(0xFFFFFFFFu);
    cl.AddDebugMessage(28853u, 3u);
    EXPECT_EQ(cl.pszGetDebugMessage(), "first\r\nn=4 s=t\r\n" + MsgF(28853, 3u));
    EXPECT_EQ(cl.nNumErrorId(), 0u);

    // A format that cannot be formatted is kept on a line of its own.
    CXError clNonFormate;
    clNonFormate.AddDebugMessageList("x %1$s", nullptr);
    EXPECT_STREQ(clNonFormate.pszGetDebugMessage(), "\r\n##(CXError)-Message non format\xE9 : <x %1$s>##");
}

TEST(CXError, MissingMessagesLeaveAFallBack)
{
    const unsigned int nAbsent = 28866;
    CXError cl;
    cl.AddUserMessage(nAbsent, 1u);
    EXPECT_STREQ(cl.pszGetUserMessage(), "");
    EXPECT_STREQ(cl.pszGetDebugMessage(), "##(CXError)-Ressource <28866> non charg\xE9" "e##");
    EXPECT_EQ(cl.nGetErrorId(0), nAbsent);

    cl.SetSystemErrorMessage(nAbsent, 1u);
    EXPECT_STREQ(cl.pszGetSystemErrorMessage(), "##(CXError)-Ressource <28866> non charg\xE9" "e##");
    cl.SetSystemErrorMessage(28853u, 12u);
    EXPECT_EQ(cl.pszGetSystemErrorMessage(), MsgF(28853, 12u));
}

TEST(CXError, SystemErrors)
{
    CXError cl;
    errno = ENOENT;
    cl.SetSystemError(2);
    EXPECT_EQ(cl.dwGetSystemErrorCode(), 2u);
    EXPECT_STREQ(cl.pszGetSystemErrorMessage(), std::strerror(ENOENT));
    cl.SetSystemError(0);
    EXPECT_STREQ(cl.pszGetSystemErrorMessage(), "");
    cl.SetSystemErrorMessage(7u, "code %1$d", -1);
    EXPECT_EQ(cl.dwGetSystemErrorCode(), 7u);
    EXPECT_STREQ(cl.pszGetSystemErrorMessage(), "code -1");
}

TEST(CXError, SetErrorLevelOneClearsEverythingButTheBuilder)
{
    int nDetruits = 0;
    CCompte* pclObjet = new CCompte(&nDetruits);
    CXError cl;
    cl.AddUserMessage("u");  // still level 1: clearing must not depend on the level
    cl.SetFunctionName("f", 2);
    cl.SetVMContext("c", "o", 1, 2);
    cl.AddInfo(EIT_DATAACCESS, pclObjet);
    CXError clSous;
    cl.AddSubError(&clSous);
    cl.SetErrorLevel(EL_CLEAR);
    EXPECT_EQ(nDetruits, 1);
    EXPECT_STREQ(cl.pszGetUserMessage(), "");
    EXPECT_STREQ(cl.pszGetFunctionName(), "");
    EXPECT_EQ(cl.nGetFunctionSyntax(), 0);
    EXPECT_EQ(cl.wGetTraitmentThread(), 0);
    EXPECT_EQ(cl.nNumInfo(), 0u);
    EXPECT_EQ(cl.nGetNbSubError(), 0);
    EXPECT_STREQ(cl.pszGetInternalModName(), "ZVExe.exe");

    cl.SetErrorLevel(static_cast<eERRORLEVEL>(2));
    EXPECT_EQ(cl.eGetErrorLevel(), 2);
}

// ---- Information items ----------------------------------------------------------------------

TEST(CXError, AddInfoStoresReplacesAndOwns)
{
    CXError cl;
    char szA[] = "a";
    EXPECT_TRUE(cl.AddInfo(EIT_SRCFILE, szA));
    szA[0] = 'z';  // the item holds a copy
    EXPECT_TRUE(cl.AddInfo(EIT_SRCFILE, "b"));
    const void* pv = nullptr;
    EXPECT_TRUE(cl.bGetInfo(EIT_SRCFILE, &pv));
    EXPECT_STREQ(static_cast<const char*>(pv), "b");
    EXPECT_TRUE(cl.AddInfo(EIT_SRCFILE, pv));  // its own text again
    EXPECT_EQ(cl.nNumInfo(), 1u);

    const int n = -42;
    cl.AddInfo(EIT_BASECODE, &n);
    EXPECT_FALSE(cl.AddInfo(EIT_NATIVECODE, nullptr));
    EXPECT_TRUE(cl.AddInfo(EIT_BASECODE, nullptr));
    EXPECT_FALSE(cl.AddInfo(static_cast<eERRORINFOTYPE>(36), "x"));
    EXPECT_TRUE(cl.bGetInfo(EIT_BASECODE, &pv));
    EXPECT_EQ(static_cast<int>(reinterpret_cast<intptr_t>(pv)), -42);

    const int64_t ll = 1LL << 40;
    cl.AddInfo(EIT_RECNUM, &ll);
    int64_t llLu = 0;
    pv = &llLu;
    EXPECT_TRUE(cl.bGetInfo(EIT_RECNUM, &pv));
    EXPECT_EQ(llLu, ll);

    wchar_t wszFichier[] = L"f\u00e9";
    cl.AddInfo(EIT_SRCFILEUNICODE, wszFichier);
    wszFichier[0] = L'x';
    EXPECT_TRUE(cl.bGetInfo(EIT_SRCFILEUNICODE, &pv));
    EXPECT_STREQ(static_cast<const wchar_t*>(pv), L"f\u00e9");

    int nPasAMoi = 0;  // never freed: the sanitizer would report a free of the stack
    cl.AddInfo(EIT_POINTER, &nPasAMoi);
    EXPECT_EQ(cl.nNumInfo(), 5u);

    eERRORINFOTYPE eType = EIT_SRCFILE;
    pv = &n;
    cl.GetInfo(99, &eType, &pv);
    EXPECT_EQ(eType, EIT_NONE);
    EXPECT_EQ(pv, &n);

    cl.DeleteInfo(EIT_SRCFILE);
    cl.DeleteInfo(EIT_DSTFILE);
    EXPECT_EQ(cl.nNumInfo(), 4u);
    cl.GetInfo(0, &eType, &pv);
    EXPECT_EQ(eType, EIT_BASECODE);
}

TEST(CXError, DataAccessItemsHoldOneReference)
{
    int nDetruits = 0;
    CCompte* pclA = new CCompte(&nDetruits);
    CCompte* pclB = new CCompte(&nDetruits);
    pclB->AddRefDirect();  // the test's own reference
    {
        CXError cl;
        cl.AddInfo(EIT_DATAACCESS, pclA);
        cl.AddInfo(EIT_DATAACCESS, pclA);
        EXPECT_EQ(pclA->nGetRefCount(), 1);
        cl.AddInfo(EIT_DATAACCESS, pclB);  // releases A, the last holder
        EXPECT_EQ(nDetruits, 1);
        EXPECT_EQ(pclB->nGetRefCount(), 2);

        CXError clCopie(cl);  // same builder: shares the object
        EXPECT_EQ(pclB->nGetRefCount(), 3);
        clCopie.DeleteInfo(EIT_DATAACCESS);
        EXPECT_EQ(pclB->nGetRefCount(), 2);
    }
    EXPECT_EQ(pclB->nGetRefCount(), 1);
    pclB->dwRelease();
    EXPECT_EQ(nDetruits, 2);
}

TEST(CXError, XInfoFlags)
{
    CXError cl;
    cl.__SetXInfo(4, 1);
    cl.__SetXInfo(1, 1);
    const void* pv = nullptr;
    ASSERT_TRUE(cl.bGetInfo(EIT_XINFO, &pv));
    EXPECT_EQ(reinterpret_cast<intptr_t>(pv), 5);
    cl.__SetXInfo(4, 0);
    EXPECT_FALSE(cl.__bGetXInfo(4));
    EXPECT_TRUE(cl.__bGetXInfo(1 | 2));
    EXPECT_EQ(cl.nNumInfo(), 1u);
}

TEST(CXError, DumpInfoLines)
{
    CXError cl;
    const int64_t llRecNum = 1LL << 32;
    struct {
        const char* pszCas;
        eERRORINFOTYPE eType;
        const void* pValue;
        int bPrintEmpty;
        const char* pszAttendu;
    } aCas[] = {
        {"text", EIT_SRCFILE, "a.txt", 0, "EIT_SRCFILE : <a.txt>"},
        {"empty text left out", EIT_PATHFIC, "", 0, ""},
        {"empty text printed", EIT_PATHFIC, "", 1, "EIT_PATHFIC : <>"},
        {"null text printed as empty", EIT_USERNAME, nullptr, 1, "EIT_USERNAME : <>"},
        {"stack", EIT_PILEKL, "l1\r\nl2", 0, "EIT_PILEKL :\r\nl1\r\nl2"},
        {"date", EIT_DATEHEURE, "d", 0, "EIT_DATEHEURE : d"},
        {"64-bit", EIT_RECNUM, &llRecNum, 0, "EIT_RECNUM : <4294967296>"},
        {"32-bit", EIT_NATIVECODE, reinterpret_cast<const void*>(intptr_t(-3)), 0, "EIT_NATIVECODE : <-3>"},
        {"wide", EIT_DSTFILEUNICODE, L"w", 0, "EIT_DSTFILEUNICODE : <w>"},
        {"wide beyond the locale", EIT_SRCFILEUNICODE, L"f\u00e9", 0, "EIT_SRCFILEUNICODE : <f\xE9>"},
        {"pointer never printed", EIT_POINTER, &llRecNum, 1, ""},
        {"unknown type", static_cast<eERRORINFOTYPE>(40), "x", 1, ""},
    };
    for (const auto& st : aCas) {
        SCOPED_TRACE(st.pszCas);
        CTString clLigne("previous");
        cl.__DumpInfo(st.eType, st.pValue, clLigne, st.bPrintEmpty);
        EXPECT_STREQ(clLigne.pszGet(), st.pszAttendu);
    }
    CTString clOut("> ");
    cl.DumpInfo(EIT_ITEMNAME, "", &clOut);
    EXPECT_STREQ(clOut.pszGet(), "> EIT_ITEMNAME : <>");
}

// ---- Copies and sub-errors ------------------------------------------------------------------

TEST(CXError, DeepCopyAcrossBuilders)
{
    int nDetruits = 0;
    CCompte* pclObjet = new CCompte(&nDetruits);
    CXError clSource;
    clSource.InitInternalModName("other.so");
    clSource.SetUserErrorMessage(1, "m");
    clSource.SetSystemErrorMessage(3u, "s");
    clSource.SetVMContext("c", "o", 5, 6);
    clSource.AddInfo(EIT_DATAACCESS, pclObjet);
    clSource.AddInfo(EIT_SRCFILE, "f");
    clSource.AddUserMessage(28851u, 1u);
    CXError clSous;
    clSource.AddSubErrorLightNoUserMessage(&clSous);

    CXError clCible;
    clCible.AddSubError(&clSous);
    clCible.Copy(clSource);
    EXPECT_STREQ(clCible.pszGetInternalModName(), "ZVExe.exe");
    EXPECT_STREQ(clCible.pszGetUserMessage(), clSource.pszGetUserMessage());
    EXPECT_STREQ(clCible.pszGetSystemErrorMessage(), "s");
    EXPECT_EQ(clCible.dwGetSystemErrorCode(), 3u);
    EXPECT_EQ(clCible.wGetTraitmentThread(), 6);
    EXPECT_EQ(clCible.nGetUserErrorCode(), 1u);
    EXPECT_EQ(clCible.nNumErrorId(), 1u);
    EXPECT_EQ(clCible.nNumInfo(), 1u);  // the other builder's object is left out
    EXPECT_FALSE(clCible.bGetInfo(EIT_DATAACCESS, nullptr));
    EXPECT_EQ(pclObjet->nGetRefCount(), 1);
    EXPECT_EQ(clCible.nGetNbSubError(), 2);  // its own, then the copy

    clCible.Copy(clCible);  // onto itself: nothing
    EXPECT_EQ(clCible.nNumInfo(), 1u);
}

TEST(CXError, LightCopyMovesEverything)
{
    int nDetruits = 0;
    CCompte* pclObjet = new CCompte(&nDetruits);
    CXError clSource;
    clSource.SetUserErrorMessage(1, "m");
    clSource.AddInfo(EIT_DATAACCESS, pclObjet);
    clSource.AddInfo(EIT_SRCFILE, "f");
    CXError clSous;
    clSource.AddSubError(&clSous);

    CXError clCible(clSource, 1);
    EXPECT_STREQ(clCible.pszGetUserMessage(), "m");
    EXPECT_EQ(clCible.nNumInfo(), 2u);
    EXPECT_EQ(clCible.nGetNbSubError(), 1);
    EXPECT_EQ(pclObjet->nGetRefCount(), 1);
    EXPECT_EQ(clSource.eGetErrorLevel(), EL_CLEAR);
    EXPECT_STREQ(clSource.pszGetUserMessage(), "");
    EXPECT_EQ(clSource.nNumInfo(), 0u);
    EXPECT_EQ(clSource.nGetNbSubError(), 0);

    // An object of another builder cannot follow: the source keeps it and its reference.
    CXError clAutre;
    clAutre.InitInternalModName("other.so");
    clAutre.LightCopy(&clCible);
    EXPECT_EQ(clAutre.nNumInfo(), 1u);
    EXPECT_EQ(clCible.nNumInfo(), 1u);
    clCible.RAZ();
    EXPECT_EQ(nDetruits, 1);

    // Taking over the sub-errors of one of its own sub-errors.
    CXError clPetit;
    clPetit.AddUserMessage("petit");
    CXError clParent;
    clParent.AddSubError(&clSous);
    clParent.pclGetSubError(0)->AddSubError(&clPetit);
    clParent.LightCopy(clParent.pclGetSubError(0));
    ASSERT_EQ(clParent.nGetNbSubError(), 1);
    EXPECT_STREQ(clParent.pclGetSubError(0)->pszGetUserMessage(), "petit");
}

TEST(CXError, SubErrorsNestAndLendTheFirstUserMessage)
{
    CXError clFeuille;
    clFeuille.AddUserMessage("leaf");
    CXError clMilieu;
    clMilieu.AddSubError(&clFeuille);
    EXPECT_STREQ(clMilieu.pszGetUserMessage(), "leaf");
    CXError clSecond;
    clSecond.AddUserMessage("second");
    clMilieu.AddSubError(&clSecond);
    EXPECT_STREQ(clMilieu.pszGetUserMessage(), "leaf");

    CXError clRacine;
    clRacine.AddSubError(&clMilieu);
    CXError clCopie(clRacine);
    ASSERT_EQ(clCopie.nGetNbSubError(), 1);
    const CXError* pclMilieu = clCopie.pclGetSubError(0);
    ASSERT_EQ(pclMilieu->nGetNbSubError(), 2);
    EXPECT_STREQ(pclMilieu->pclGetSubError(1)->pszGetUserMessage(), "second");
    EXPECT_EQ(clCopie.pclGetSubError(1), nullptr);
    EXPECT_EQ(clCopie.pclGetSubError(-1), nullptr);
    EXPECT_STREQ(clCopie.pszGetUserMessage(), "leaf");

    // An error lent to itself: its former content, sub-errors included, becomes its sub-error.
    clCopie.AddSubErrorLight(&clCopie);
    ASSERT_EQ(clCopie.nGetNbSubError(), 1);
    EXPECT_EQ(clCopie.pclGetSubError(0)->nGetNbSubError(), 1);
    EXPECT_STREQ(clCopie.pszGetUserMessage(), "leaf");
}

// ---- Report ---------------------------------------------------------------------------------

TEST(CXError, ReportOfAFreshError)
{
    CXError cl;
    EXPECT_EQ(Dump(cl, XEI_ALL), Ligne(MsgF(28851, 0u)) + Ligne(Msg(28847)));
    EXPECT_EQ(Dump(cl, 0x0FFF), Ligne(Msg(28858)) + "\r\n" + Ligne(MsgF(28851, 0u)) + Ligne(Msg(28847)) +
                                    Ligne(MsgF(28852, 0u)) + "\r\n" + Ligne(Msg(28854)) + Ligne(Msg(28856)) +
                                    "\r\n" + Ligne(Msg(28843)) + Ligne(Msg(28864)) + Ligne(Msg(28860)) +
                                    Ligne(Msg(28862)));
    CTString clOut("kept:");
    cl.StringDump(clOut, XEI_LEVEL);
    EXPECT_EQ(std::string(clOut.pszGet()), "kept:" + Ligne(Msg(28847)));
}

TEST(CXError, ReportSections)
{
    CXError clDeuxLignes;
    clDeuxLignes.AddUserMessage("one");
    clDeuxLignes.AddUserMessage("two");

    CXError clContexte;
    clContexte.SetVMContext("cap", "obj", 12, 3);
    clContexte.SetFunctionName("fn", 4);
    clContexte.AddUserMessage("u");

    CXError clSansObjet;
    clSansObjet.SetVMContext("cap", nullptr, 1, 2);

    CXError clSysteme;
    clSysteme.SetSystemErrorMessage(5u, "sys");
    clSysteme.SetDetailId(9);
    clSysteme.InitModName("m");

    CXError clInfosVides;
    clInfosVides.AddInfo(EIT_SRCFILE, "");
    clInfosVides.AddInfo(EIT_DSTFILE, "");
    clInfosVides.AddUserMessage("u");

    CXError clInfos;
    const int64_t ll = 1LL << 32;
    clInfos.AddInfo(EIT_RECNUM, &ll);
    clInfos.AddInfo(EIT_SRCFILE, "");
    clInfos.AddInfo(EIT_DSTFILE, "d");
    clInfos.AddDebugMessageNoFormat("dbg");

    CXError clNiveau;
    clNiveau.SetErrorLevel(static_cast<eERRORLEVEL>(0x10003));

    struct {
        const char* pszCas;
        const CXError& cl;
        uint32_t nFlags;
        std::string strAttendu;
    } aCas[] = {
        {"two-line user message without title", clDeuxLignes, XEI_USERMESSAGE | XEI_NOUSERTITLE, "one\r\ntwo\r\n"},
        {"context, then user message after an empty line", clContexte, XEI_CONTEXT | XEI_USERMESSAGE,
         Ligne(Msg(28844)) + Ligne(MsgF(28845, "cap", " (obj)", 12u, 3u)) + Ligne(MsgF(28846, "fn", 4u)) + "\r\n" +
             Ligne(Msg(28857)) + Ligne("u")},
        {"context without object", clSansObjet, XEI_CONTEXT,
         Ligne(Msg(28844)) + Ligne(MsgF(28845, "cap", "", 1u, 2u))},
        {"system message without line end, module group", clSysteme, XEI_ALL,
         Ligne(MsgF(28851, 0u)) + Ligne(Msg(28847)) + "\r\n" + Ligne(MsgF(28853, 5u)) + Ligne(Msg(28855)) + "sys" +
             "\r\n" + Ligne(MsgF(28842, "m", "")) + Ligne(MsgF(28863, 9u))},
        {"items that all print nothing", clInfosVides, XEI_USERMESSAGE | XEI_INFO | XEI_FILLEDONLY,
         Ligne(Msg(28857)) + Ligne("u") + "\r\n" + Msg(28861)},
        {"items after the debug message", clInfos, XEI_DEBUGMESSAGE | XEI_INFO | XEI_LEVEL,
         Ligne(Msg(28847)) + "\r\n" + Ligne(Msg(28859)) + Ligne("dbg") + Msg(28861) +
             "\r\nEIT_RECNUM : <4294967296>\r\nEIT_DSTFILE : <d>"},
        {"internal level", clNiveau, XEI_LEVEL, Ligne(Msg(25311))},
    };
    for (const auto& st : aCas) {
        SCOPED_TRACE(st.pszCas);
        EXPECT_EQ(Dump(st.cl, st.nFlags), st.strAttendu);
    }
}

TEST(CXError, ReportLevels)
{
    struct { int32_t nLevel; unsigned int nId; } aCas[] = {
        {1, 28847}, {2, 28848}, {3, 28849}, {0x40000004, 28849}, {0x40000008, 28849},
        {0x10001, 25311}, {0x10004, 25311}, {0x20001, 25311},
    };
    for (const auto& st : aCas) {
        SCOPED_TRACE(st.nLevel);
        CXError cl;
        cl.SetErrorLevel(static_cast<eERRORLEVEL>(st.nLevel));
        EXPECT_EQ(Dump(cl, XEI_LEVEL), Ligne(Msg(st.nId)));
    }
    CXError cl;
    cl.SetErrorLevel(static_cast<eERRORLEVEL>(-7));
    EXPECT_EQ(Dump(cl, XEI_LEVEL), Ligne(MsgF(28850, 0xFFFFFFF9u)));
}

TEST(CXError, ReportOfSubErrorsIsFramedAndNested)
{
    CXError clFeuille;
    clFeuille.AddUserMessage("leaf");
    CXError clMilieu;
    clMilieu.AddUserMessage("mid");
    clMilieu.AddSubErrorLightNoUserMessage(&clFeuille);
    CXError clAutre;
    clAutre.AddUserMessage("other");
    CXError clRacine;
    clRacine.AddSubErrorLightNoUserMessage(&clMilieu);
    clRacine.AddSubErrorLightNoUserMessage(&clAutre);

    const uint32_t nFlags = XEI_USERMESSAGE | XEI_SUBERROR | XEI_NOUSERTITLE | XEI_FILLEDONLY;
    const std::string strFeuille = "leaf\r\n";
    const std::string strMilieu = "mid\r\n\r\n\r\n----- " + MsgF(28865, 1u) + " -----\r\n\r\n" + strFeuille + "\r\n";
    EXPECT_EQ(Dump(clRacine, nFlags), "\r\n----- " + MsgF(28865, 1u) + " -----\r\n\r\n" + strMilieu + "\r\n" +
                                          "\r\n----- " + MsgF(28865, 2u) + " -----\r\n\r\n" + "other\r\n" + "\r\n");
}

} // namespace
