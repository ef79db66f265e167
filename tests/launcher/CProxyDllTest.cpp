// Tests of the component loader: where it looks, what it records of failed loads, binding, unloading and its path helpers.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/errors/CXError.h"
#include "base/files/CDiskFile.h"
#include "base/system/ModuleFileName.h"
#include "launcher/CProxyDll.h"
#include "support/MessageText.h"
#include "support/Sentinel.h"
#include "tests/launcher/ComponentTestDir.h"

namespace {

using zvtest::SentinelBuffer;

constexpr const char kszNom[] = "zvcomp.so";
constexpr const char kszDebugChargement[] = "DLL qui provoque le chargement : ZVExe";

std::string RepExe()
{
    char sz[CDiskFile::ZV_MAX_PATH + 1] = "";
    EXPECT_TRUE(GetModuleFileName(nullptr, sz, sizeof(sz)));
    char szRep[CDiskFile::ZV_MAX_PATH + 1] = "";
    CDiskFile::SplitPath(sz, szRep, nullptr);
    return szRep;
}

// What dlopen says of a path that cannot be loaded.
std::string TexteLoader(const std::string& sChemin)
{
    EXPECT_EQ(nullptr, dlopen(sChemin.c_str(), RTLD_NOW));
    const char* psz = dlerror();
    return psz ? psz : "";
}

// The debug message of a failed attempt: what user error 2 leaves there (its message may be
// missing from the table), then the loader's own line.
std::string DebugChargement()
{
    CXError cl;
    cl.SetUserError(2, "x");
    std::string s = cl.pszGetDebugMessage();
    return (s.empty() ? s : s + "\r\n") + kszDebugChargement;
}

// One failed attempt on sCandidat, as the loader describes it.
void VerifieErreurChargement(const CXError& cl, const std::string& sCandidat)
{
    EXPECT_EQ(EL_USERERROR, cl.eGetErrorLevel());
    EXPECT_EQ(2u, cl.nGetUserErrorCode());
    EXPECT_EQ(TexteLoader(sCandidat), cl.pszGetSystemErrorMessage());
    EXPECT_EQ(0u, cl.dwGetSystemErrorCode());
    EXPECT_EQ(DebugChargement(), cl.pszGetDebugMessage());
    const void* pValeur = nullptr;
    ASSERT_TRUE(cl.bGetInfo(EIT_SRCFILE, &pValeur));
    EXPECT_EQ(sCandidat, static_cast<const char*>(pValeur));
}

class CProxyDllTest : public zvtest::ComponentTestDir {};

TEST_F(CProxyDllTest, LoadsFromTheGivenDirectoryInitialisesAndBinds)
{
    const std::string sRep = Rep("lib");
    Copie("zvcomp", sRep + "/" + kszNom);
    // The directory with or without its final slash, and written with backslashes.
    std::string sRepBackslash = sRep;
    for (char& c : sRepBackslash)
        c = c == '/' ? '\\' : c;
    for (const std::string& sDonne : {sRep, sRep + "/", sRepBackslash}) {
        SCOPED_TRACE(sDonne);
        CProxyDll cl;
        CXError clErreur;
        SentinelBuffer<char> szChemin(CDiskFile::ZV_MAX_PATH + 1);
        ASSERT_TRUE(cl.bLoad(kszNom, &clErreur, sDonne.c_str(), szChemin.data()));
        const std::string sCharge = sRep + "/" + kszNom;
        EXPECT_EQ(sCharge, szChemin.data());
        EXPECT_TRUE(szChemin.guardsIntact());
        EXPECT_EQ(EL_CLEAR, clErreur.eGetErrorLevel());

        void* h = cl.hGetLibrary();
        ASSERT_NE(nullptr, h);
        EXPECT_EQ(std::vector<std::string>{sCharge + "|bInitLibrary " + P(h)}, Trace());
        EXPECT_EQ(dlsym(h, "pQueryProxy"), cl.pGetQueryProxy());
        EXPECT_EQ(dlsym(h, "pQueryProxyEx"), cl.pGetQueryProxyEx());
        EXPECT_EQ(dlsym(h, "CommandeComposante"), cl.pGetCommandeComposante());
        EXPECT_EQ(dlsym(h, "DeclareProxy"), reinterpret_cast<void*>(cl.pfnGetDeclareProxy()));

        cl.Unload();
        EXPECT_FALSE(bEstCharge(sCharge));
        Trace();
    }
}

TEST_F(CProxyDllTest, DirectoryWithoutTheLibraryFailsWithoutLookingElsewhere)
{
    // The library lies in the current directory, which must not be tried.
    const std::string sCourant = Rep("courant");
    Copie("zvcomp", sCourant + "/" + kszNom);
    ASSERT_EQ(0, chdir(sCourant.c_str()));
    const std::string sVide = Rep("vide");

    CProxyDll cl;
    CXError clErreur;
    SentinelBuffer<char> szChemin(CDiskFile::ZV_MAX_PATH + 1);
    EXPECT_FALSE(cl.bLoad(kszNom, &clErreur, sVide.c_str(), szChemin.data()));
    EXPECT_EQ(nullptr, cl.hGetLibrary());
    EXPECT_TRUE(szChemin.untouchedFrom(0));
    VerifieErreurChargement(clErreur, sVide + "/" + kszNom);
    EXPECT_EQ(0, clErreur.nGetNbSubError());
    EXPECT_TRUE(Trace().empty());
    EXPECT_FALSE(bEstCharge(sCourant + "/" + kszNom));
}

TEST_F(CProxyDllTest, WithoutDirectoryTheCurrentDirectoryIsTriedAfterTheExecutables)
{
    const std::string sCourant = Rep("courant");
    Copie("zvcomp", sCourant + "/" + kszNom);
    ASSERT_EQ(0, chdir(sCourant.c_str()));
    for (const char* pszRep : {static_cast<const char*>(nullptr), ""}) {
        SCOPED_TRACE(pszRep ? "empty directory" : "null directory");
        CProxyDll cl;
        CXError clErreur;
        char szChemin[CDiskFile::ZV_MAX_PATH + 1] = "";
        ASSERT_TRUE(cl.bLoad(kszNom, &clErreur, pszRep, szChemin));
        EXPECT_EQ(sCourant + "/" + kszNom, szChemin);
        // The error still tells of the attempt beside the executable.
        VerifieErreurChargement(clErreur, RepExe() + kszNom);
        EXPECT_EQ(0, clErreur.nGetNbSubError());
        cl.Unload();
        Trace();
    }
}

TEST_F(CProxyDllTest, TheExecutablesDirectoryComesFirst)
{
    // A copy under a name of its own beside this test program, and another in the current directory.
    const std::string sNom = "zvcomp_" + std::to_string(getpid()) + ".so";
    const std::string sBesideExe = RepExe() + sNom;
    Copie("zvcomp", sBesideExe);
    const std::string sCourant = Rep("courant");
    Copie("zvcomp", sCourant + "/" + sNom);
    ASSERT_EQ(0, chdir(sCourant.c_str()));

    CProxyDll cl;
    CXError clErreur;
    char szChemin[CDiskFile::ZV_MAX_PATH + 1] = "";
    const bool bCharge = cl.bLoad(sNom.c_str(), &clErreur, nullptr, szChemin);
    std::remove(sBesideExe.c_str());
    ASSERT_TRUE(bCharge);
    EXPECT_EQ(sBesideExe, szChemin);
    EXPECT_EQ(EL_CLEAR, clErreur.eGetErrorLevel());
    cl.Unload();
}

TEST_F(CProxyDllTest, ThreeFailedAttemptsMakeOneErrorWithTwoSubErrorsAndTheirReport)
{
    const std::string sVide = Rep("vide");
    ASSERT_EQ(0, chdir(sVide.c_str()));
    CProxyDll cl;
    CXError clErreur;
    EXPECT_FALSE(cl.bLoad(kszNom, &clErreur, sVide.c_str(), nullptr));
    EXPECT_FALSE(cl.bLoad(kszNom, &clErreur, nullptr, nullptr));

    const std::string asCandidats[3] = {sVide + "/" + kszNom, RepExe() + kszNom, sVide + "/" + kszNom};
    VerifieErreurChargement(clErreur, asCandidats[0]);
    ASSERT_EQ(2, clErreur.nGetNbSubError());
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        const CXError* pclSous = clErreur.pclGetSubError(i);
        ASSERT_NE(nullptr, pclSous);
        VerifieErreurChargement(*pclSous, asCandidats[i + 1]);
        EXPECT_EQ(0, pclSous->nGetNbSubError());
    }

    // The report: the first attempt, then each sub-error framed and numbered from 1.
    const std::string sRapport = clErreur.StringDump(XEI_ALL).pszGet();
    auto Fichier = [](const std::string& sCandidat) { return "EIT_SRCFILE : <" + sCandidat + ">"; };
    const std::vector<std::string> tabDansLOrdre = {
        TexteLoader(asCandidats[0]),
        kszDebugChargement,
        Fichier(asCandidats[0]),
        "\r\n----- " + zvtest::MsgF(28865, 1u) + " -----\r\n\r\n",
        TexteLoader(asCandidats[1]),
        kszDebugChargement,
        Fichier(asCandidats[1]),
        "\r\n----- " + zvtest::MsgF(28865, 2u) + " -----\r\n\r\n",
        TexteLoader(asCandidats[2]),
        kszDebugChargement,
        Fichier(asCandidats[2]),
    };
    std::string::size_type nPos = 0;
    for (const std::string& s : tabDansLOrdre) {
        const std::string::size_type nTrouve = sRapport.find(s, nPos);
        ASSERT_NE(std::string::npos, nTrouve) << "'" << s << "' after " << nPos << " in:\n" << sRapport;
        nPos = nTrouve + s.size();
    }
    EXPECT_EQ(std::string::npos, sRapport.find(kszDebugChargement, nPos));
}

TEST_F(CProxyDllTest, FailuresWithoutErrorObjectAndLoaderTextsHoldingPercentSigns)
{
    // A directory whose name holds printf conversions: the loader's text is kept as it is.
    const std::string sRep = m_sRacine + "/%s%n%1$s";
    CProxyDll cl;
    EXPECT_FALSE(cl.bLoad(kszNom, nullptr, sRep.c_str(), nullptr));
    CXError clErreur;
    EXPECT_FALSE(cl.bLoad(kszNom, &clErreur, sRep.c_str(), nullptr));
    EXPECT_EQ(TexteLoader(sRep + "/" + kszNom), clErreur.pszGetSystemErrorMessage());
}

TEST_F(CProxyDllTest, CandidatesLongerThan260CharactersAreNotLoaded)
{
    // The directory and the name make 261 characters; the library sits there.
    std::string sRep = m_sRacine + "/";
    sRep += std::string(261 - sRep.size() - 1 - std::strlen(kszNom), 'd');
    ASSERT_EQ(0, mkdir(sRep.c_str(), 0755));
    Copie("zvcomp", sRep + "/" + kszNom);
    CProxyDll cl;
    CXError clErreur;
    EXPECT_FALSE(cl.bLoad(kszNom, &clErreur, sRep.c_str(), nullptr));
    EXPECT_EQ(2u, clErreur.nGetUserErrorCode());
    EXPECT_STREQ(std::strerror(ENAMETOOLONG), clErreur.pszGetSystemErrorMessage());
    const void* pValeur = nullptr;
    ASSERT_TRUE(clErreur.bGetInfo(EIT_SRCFILE, &pValeur));
    EXPECT_EQ(sRep + "/" + kszNom, static_cast<const char*>(pValeur));
    EXPECT_EQ(nullptr, cl.hGetLibrary());
}

TEST_F(CProxyDllTest, ACurrentDirectoryTooLongToReadEndsTheSearch)
{
    // A current directory of more than 260 characters, holding the library.
    std::string sRep = m_sRacine;
    while (sRep.size() <= CDiskFile::ZV_MAX_PATH) {
        sRep += "/" + std::string(60, 'p');
        ASSERT_EQ(0, mkdir(sRep.c_str(), 0755));
    }
    Copie("zvcomp", sRep + "/" + kszNom);
    ASSERT_EQ(0, chdir(sRep.c_str()));
    CProxyDll cl;
    CXError clErreur;
    EXPECT_FALSE(cl.bLoad(kszNom, &clErreur, nullptr, nullptr));
    EXPECT_EQ(nullptr, cl.hGetLibrary());
    ASSERT_EQ(1, clErreur.nGetNbSubError());
    const CXError* pclSous = clErreur.pclGetSubError(0);
    EXPECT_EQ(2u, pclSous->nGetUserErrorCode());
    EXPECT_STREQ(std::strerror(ERANGE), pclSous->pszGetSystemErrorMessage());
    const void* pValeur = nullptr;
    ASSERT_TRUE(pclSous->bGetInfo(EIT_SRCFILE, &pValeur));
    EXPECT_STREQ(kszNom, static_cast<const char*>(pValeur));
}

TEST_F(CProxyDllTest, AMissingOrRefusingInitialisationFailsWithoutErrorAndKeepsTheLibrary)
{
    for (const char* pszVariante : {"zvcomp_noinit", "zvcomp_initfails"}) {
        SCOPED_TRACE(pszVariante);
        const std::string sRep = Rep(pszVariante);
        const std::string sChemin = sRep + "/" + kszNom;
        Copie(pszVariante, sChemin);
        CProxyDll cl;
        CXError clErreur;
        char szChemin[CDiskFile::ZV_MAX_PATH + 1] = "";
        EXPECT_FALSE(cl.bLoad(kszNom, &clErreur, sRep.c_str(), szChemin));
        EXPECT_EQ(EL_CLEAR, clErreur.eGetErrorLevel());
        EXPECT_EQ(sChemin, szChemin);
        ASSERT_NE(nullptr, cl.hGetLibrary());
        EXPECT_TRUE(bEstCharge(sChemin));
        EXPECT_EQ(nullptr, cl.pGetQueryProxy());
        Trace();

        cl.Unload();
        EXPECT_EQ(std::vector<std::string>{sChemin + "|TermLibrary"}, Trace());
        EXPECT_FALSE(bEstCharge(sChemin));
    }
}

TEST_F(CProxyDllTest, ALoadedLibraryIsInitialisedAgainAndThePathLeftAlone)
{
    const std::string sRep = Rep("lib");
    const std::string sChemin = sRep + "/" + kszNom;
    Copie("zvcomp", sChemin);
    CProxyDll cl;
    ASSERT_TRUE(cl.bLoad(kszNom, nullptr, sRep.c_str(), nullptr));
    void* h = cl.hGetLibrary();
    Trace();

    // Even with the current directory holding nothing, no directory means: the same library.
    ASSERT_EQ(0, chdir(Rep("vide").c_str()));
    CXError clErreur;
    char szChemin[CDiskFile::ZV_MAX_PATH + 1] = "avant";
    EXPECT_TRUE(cl.bLoad(kszNom, &clErreur, nullptr, szChemin));
    EXPECT_STREQ("avant", szChemin);
    EXPECT_EQ(h, cl.hGetLibrary());
    EXPECT_EQ(EL_CLEAR, clErreur.eGetErrorLevel());
    EXPECT_EQ(std::vector<std::string>{sChemin + "|bInitLibrary " + P(h)}, Trace());
    cl.Unload();
    EXPECT_FALSE(bEstCharge(sChemin));
}

TEST_F(CProxyDllTest, ALibraryLoadedFromADirectoryReplacesTheOneBefore)
{
    const std::string sA = Rep("a") + "/" + kszNom;
    const std::string sB = Rep("b") + "/" + kszNom;
    Copie("zvcomp", sA);
    Copie("zvcomp", sB);
    CProxyDll cl;
    ASSERT_TRUE(cl.bLoad(kszNom, nullptr, (m_sRacine + "/a").c_str(), nullptr));
    // The same file twice: still one reference.
    ASSERT_TRUE(cl.bLoad(kszNom, nullptr, (m_sRacine + "/a").c_str(), nullptr));
    Trace();

    // A failed load keeps the library in place.
    EXPECT_FALSE(cl.bLoad(kszNom, nullptr, (m_sRacine + "/absent").c_str(), nullptr));
    EXPECT_TRUE(bEstCharge(sA));
    EXPECT_TRUE(Trace().empty());

    ASSERT_TRUE(cl.bLoad(kszNom, nullptr, (m_sRacine + "/b").c_str(), nullptr));
    EXPECT_FALSE(bEstCharge(sA));
    const std::vector<std::string> tabAttendu = {sA + "|TermLibrary", sB + "|bInitLibrary " + P(cl.hGetLibrary())};
    EXPECT_EQ(tabAttendu, Trace());
    cl.Unload();
    EXPECT_FALSE(bEstCharge(sB));
}

TEST_F(CProxyDllTest, UnloadEndsTheLibraryAndClearsTheEntries)
{
    const std::string sRep = Rep("lib");
    const std::string sChemin = sRep + "/" + kszNom;
    Copie("zvcomp", sChemin);
    CProxyDll cl;
    ASSERT_TRUE(cl.bLoad(kszNom, nullptr, sRep.c_str(), nullptr));
    Trace();
    cl.Unload();
    EXPECT_EQ(std::vector<std::string>{sChemin + "|TermLibrary"}, Trace());
    EXPECT_FALSE(bEstCharge(sChemin));
    EXPECT_EQ(nullptr, cl.hGetLibrary());
    EXPECT_EQ(nullptr, cl.pGetQueryProxy());
    EXPECT_EQ(nullptr, cl.pGetQueryProxyEx());
    EXPECT_EQ(nullptr, cl.pGetCommandeComposante());
    EXPECT_EQ(&CProxyDll::DeclareProxy, cl.pfnGetDeclareProxy());
    cl.Unload();
    EXPECT_TRUE(Trace().empty());
}

TEST_F(CProxyDllTest, ALibraryWithoutProxyEntriesKeepsTheDefaultDeclaration)
{
    const std::string sRep = Rep("lib");
    Copie("zvcomp_minimal", sRep + "/" + kszNom);
    CProxyDll cl(nullptr, &cl);
    EXPECT_EQ(static_cast<void*>(&cl), cl.pGetQueryProxy());
    ASSERT_TRUE(cl.bLoad(kszNom, nullptr, sRep.c_str(), nullptr));
    EXPECT_EQ(nullptr, cl.pGetQueryProxy());
    EXPECT_EQ(nullptr, cl.pGetQueryProxyEx());
    EXPECT_EQ(nullptr, cl.pGetCommandeComposante());
    ASSERT_EQ(&CProxyDll::DeclareProxy, cl.pfnGetDeclareProxy());
    cl.Unload();
}

TEST(CProxyDllDeclareProxy, DefaultAndLibraryDeclarationsWriteTheirFourOutputsOnly)
{
    // Each output followed by guard bytes: the 16-bit outputs must not spill into them.
#pragma pack(push, 1)
    struct Sorties {
        uint32_t dw1;
        uint16_t w2;
        uint16_t wGarde2;
        uint32_t dw3;
        uint16_t w4;
        uint16_t wGarde4;
    };
#pragma pack(pop)
    Sorties st;
    std::memset(&st, 0xA5, sizeof(st));
    CProxyDll cl;
    cl.pfnGetDeclareProxy()(&st.dw1, &st.w2, &st.dw3, &st.w4);
    EXPECT_EQ(0u, st.dw1);
    EXPECT_EQ(0u, st.w2);
    EXPECT_EQ(0u, st.dw3);
    EXPECT_EQ(0u, st.w4);
    EXPECT_EQ(0xA5A5u, st.wGarde2);
    EXPECT_EQ(0xA5A5u, st.wGarde4);

    void* h = dlopen(ZV_COMPONENT_DIR "zvcomp.so", RTLD_NOW);
    ASSERT_NE(nullptr, h);
    CProxyDll clLie(static_cast<HINSTANCE__*>(h), nullptr);
    clLie.Link();
    std::memset(&st, 0xA5, sizeof(st));
    clLie.pfnGetDeclareProxy()(&st.dw1, &st.w2, &st.dw3, &st.w4);
    EXPECT_EQ(11u, st.dw1);
    EXPECT_EQ(12u, st.w2);
    EXPECT_EQ(13u, st.dw3);
    EXPECT_EQ(14u, st.w4);
    EXPECT_EQ(0xA5A5u, st.wGarde2);
    clLie.Unload();
}

TEST_F(CProxyDllTest, ExecutionStartAndStop)
{
    struct Cas {
        const char* pszVariante;
        bool bInit;
        bool bTrace;  // the library has "Execution"
    } tabCas[] = {
        {"zvcomp", true, true},
        {"zvcomp_execfails", false, true},
        {"zvcomp_minimal", true, false},
    };
    for (const Cas& cas : tabCas) {
        SCOPED_TRACE(cas.pszVariante);
        const std::string sRep = Rep(cas.pszVariante);
        const std::string sChemin = sRep + "/" + kszNom;
        Copie(cas.pszVariante, sChemin);
        CProxyDll cl;
        ASSERT_TRUE(cl.bLoad(kszNom, nullptr, sRep.c_str(), nullptr));
        Trace();
        // Twice: the library writes into the record, each call gets a fresh one.
        EXPECT_EQ(cas.bInit, cl.bInitDLLExecution());
        EXPECT_EQ(cas.bInit, cl.bInitDLLExecution());
        cl.TermDLLExecution();
        std::vector<std::string> tabAttendu;
        if (cas.bTrace) {
            tabAttendu = {sChemin + "|Execution 3985 16 0 4 0", sChemin + "|Execution 3985 16 0 4 0",
                          sChemin + "|Execution 4875 " + P(nullptr)};
        }
        EXPECT_EQ(tabAttendu, Trace());
        cl.Unload();
    }
}

TEST_F(CProxyDllTest, ExecutionWithoutLibraryCallsNothing)
{
    // A library of the process that exports "Execution" to everyone must not be reached.
    const std::string sChemin = Rep("global") + "/" + kszNom;
    Copie("zvcomp", sChemin);
    void* hGlobal = dlopen(sChemin.c_str(), RTLD_NOW | RTLD_GLOBAL);
    ASSERT_NE(nullptr, hGlobal);
    CProxyDll cl;
    EXPECT_FALSE(cl.bInitDLLExecution());
    cl.TermDLLExecution();
    EXPECT_TRUE(Trace().empty());
    dlclose(hGlobal);
}

TEST_F(CProxyDllTest, BuildsTheCandidatePathFromTheSecondDirectoryThenTheFirst)
{
    const std::string sAvec = Rep("avec");
    const std::string sSans = Rep("sans");
    Copie("zvcomp", sAvec + "/" + kszNom);
    const std::string sAvecBackslash = sAvec.substr(0, sAvec.size() - 5) + "\\avec\\";
    const std::string sLong(CDiskFile::ZV_MAX_PATH, 'x');
    struct Cas {
        std::string sRep1, sRep2;
        bool bResultat;
        std::string sChemin;
    } tabCas[] = {
        {sSans, sAvec, true, sAvec + "/" + kszNom},
        {sAvec, sSans, true, sAvec + "/" + kszNom},
        {sSans, sSans, false, sSans + "/" + kszNom},
        {sAvec, "", true, sAvec + "/" + kszNom},
        {"", sSans, false, sSans + "/" + kszNom},
        {"", "", false, kszNom},
        {"", sAvec + "/", true, sAvec + "/" + kszNom},
        {"", sAvecBackslash, true, sAvec + "/" + kszNom},
        // Too long to be a path: nothing is left, whatever lies on the disk.
        {sLong, "", false, ""},
        {sAvec, sLong, true, sAvec + "/" + kszNom},
    };
    for (const Cas& cas : tabCas) {
        SCOPED_TRACE("'" + cas.sRep1 + "' '" + cas.sRep2 + "'");
        SentinelBuffer<char> szChemin(CDiskFile::ZV_MAX_PATH + 1);
        EXPECT_EQ(cas.bResultat, CProxyDll::s_bConstruitCheminDLL(szChemin.data(), kszNom, cas.sRep1.c_str(),
                                                                  cas.sRep2.c_str()));
        EXPECT_EQ(cas.sChemin, szChemin.data());
        EXPECT_TRUE(szChemin.guardsIntact());
    }
    SentinelBuffer<char> szChemin(CDiskFile::ZV_MAX_PATH + 1);
    const std::string sNomLong(CDiskFile::ZV_MAX_PATH + 1, 'n');
    EXPECT_FALSE(CProxyDll::s_bConstruitCheminDLL(szChemin.data(), sNomLong.c_str(), "", nullptr));
    EXPECT_STREQ("", szChemin.data());
    EXPECT_TRUE(szChemin.guardsIntact());
}

TEST(CProxyDllCheminLib, KeepsOneDirectoryWithItsFinalSlash)
{
    const std::string s258(258, 'a'), s259(259, 'b'), s300(300, 'c');
    const std::string s258Slash = std::string(258, 'd') + "/";
    struct Cas {
        const char* psz;
        std::string sAttendu;
    } tabCas[] = {
        {"  /opt/lib", "/opt/lib/"},
        {"\t /opt/lib", "/opt/lib/"},
        {"/opt/lib\n", "/opt/lib/"},
        {"/opt/lib/\n", "/opt/lib/"},
        {"/opt/lib/", "/opt/lib/"},
        {"/opt/lib\n\n", "/opt/lib\n/"},
        {"", ""},
        {"   ", ""},
        {"\n", ""},
        {nullptr, ""},
        {s258.c_str(), s258 + "/"},
        // Too long to take the slash: cut so that it fits.
        {s259.c_str(), std::string(258, 'b') + "/"},
        {s300.c_str(), std::string(258, 'c') + "/"},
        {s258Slash.c_str(), s258Slash},
    };
    for (const Cas& cas : tabCas) {
        SCOPED_TRACE(cas.psz ? cas.psz : "(null)");
        std::memset(CProxyDll::ms_szCheminLib, 'Z', sizeof(CProxyDll::ms_szCheminLib));
        CProxyDll::SetCheminLib(cas.psz);
        ASSERT_NE(nullptr, std::memchr(CProxyDll::ms_szCheminLib, '\0', sizeof(CProxyDll::ms_szCheminLib)));
        EXPECT_EQ(cas.sAttendu, CProxyDll::ms_szCheminLib);
    }
}

}  // namespace
