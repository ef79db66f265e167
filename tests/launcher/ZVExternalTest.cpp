// The external call interface driven against the stand-in runtime and its failure builds.
#include <dlfcn.h>
#include <stdlib.h>
#include <unistd.h>

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "launcher/ZVExternal.h"

namespace {

std::string Runtime(const char* pszNom)
{
    return std::string(ZV_RUNTIME_DIR) + pszNom + ".so";
}

// Every test starts and ends with the interface uninitialised and the local context current.
class ZVExternalTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        ZVTerm();
        pZVSetContexte(nullptr);
    }
};

TEST_F(ZVExternalTest, EveryOperationAnswersNineBeforeInitialisation)
{
    void* p = &p;
    EXPECT_EQ(9, nZVOuvreZVL("x"));
    EXPECT_EQ(9, nZVOuvreZVLNum("x", 1));
    EXPECT_EQ(9, nZVOuvreZVLRes("x", "a"));
    EXPECT_EQ(9, nZVInitProjet("p"));
    EXPECT_EQ(9, nZVSetCallbackNext(nullptr, nullptr));
    EXPECT_EQ(9, nZVSetCallbackModule(nullptr, nullptr));
    EXPECT_EQ(9, nZVSetCallbackCompatible(1, 0));
    EXPECT_EQ(9, nZVSetPECallback(nullptr, nullptr));
    EXPECT_EQ(9, nZVSetParentNext(nullptr));
    EXPECT_EQ(9, nZVSetDQContextNext(nullptr));
    EXPECT_EQ(9, nZVExecuteEx("x = 1"));
    EXPECT_EQ(9, nZVExecute("x = %d", 1));
    EXPECT_EQ(9, nZVEvalue("1"));
    EXPECT_EQ(9, nZVCompile("", nullptr));
    EXPECT_EQ(9, nZVEmpile(KLE_TYPE_ENTIER, 1));
    EXPECT_EQ(9, nZVEmpileEx(KLE_TYPE_CHAINE, "a", 1));
    EXPECT_EQ(9, nZVAppelle(nullptr, "P", 0, 0));
    EXPECT_EQ(9, nZVLitVariableKL("x", 0, 0));
    EXPECT_EQ(9, nZVEcritVariableKL("x", KLE_TYPE_ENTIER, 1));
    EXPECT_EQ(9, nZVLitPropElem("e", "p"));
    EXPECT_EQ(9, nZVLitPropElemAny("e", "p", 0));
    EXPECT_EQ(9, nZVLitPropElemInd("e", "p", 1));
    EXPECT_EQ(9, nZVLitPropElemAnyInd("e", "p", 0, 1));
    EXPECT_EQ(9, nZVLitPropElemInd2("e", "p", 1, 2));
    EXPECT_EQ(9, nZVLitPropElemAnyInd2("e", "p", 0, 1, 2));
    EXPECT_EQ(9, nZVEcritPropElem("e", "p"));
    EXPECT_EQ(9, nZVEcritPropElemInd("e", "p", 1));
    EXPECT_EQ(9, nZVEcritPropElemInd2("e", "p", 1, 2));
    EXPECT_EQ(9, nZVLitPropSousElem("e", "s", "p", 0));
    EXPECT_EQ(9, nZVEcritPropSousElem("e", "s", "p", 0));
    EXPECT_EQ(9, nZVLitPropSousElemInd("e", "s", "p", 0, 1));
    EXPECT_EQ(9, nZVEcritPropSousElemInd("e", "s", "p", 1, 0));
    EXPECT_EQ(9, nZVChampExiste("e", "p"));
    EXPECT_EQ(9, nZVGetDQContext(&p));
    EXPECT_EQ(9, nZVGetVMData(&p));
    EXPECT_EQ(9, nZVGetVM(&p));
    EXPECT_EQ(9, nZVGetLibShop(&p));
    EXPECT_EQ(9, nZVGetIEXE(&p));
    EXPECT_EQ(9, nZVMessTraduit(0));
    EXPECT_EQ(9, nZVEmpileMessTraduitElement(0, 0));
    EXPECT_EQ(&p, p) << "an out-parameter was written";
    EXPECT_EQ(nullptr, pZVGetContexteElement());
    EXPECT_EQ(nullptr, pZVModifieContexteElement("e"));
    EXPECT_EQ(nullptr, pZVRestaureContexteElement(nullptr));
    EXPECT_EQ(nullptr, pZVMTInitThread());
    EXPECT_EQ(9, nZVMTAppelle(nullptr, nullptr, "P", 0, 0));
    ZVFermeZVLNum(1);
    ZVFermeZVLRes("x", "a");
    ZVRepriseErreur();
    ZVMTTermThread(nullptr);
    // The accessors read the local records, valid before any initialisation.
    EXPECT_EQ(0, wZVGetTypeValeurRetour());
    EXPECT_EQ(0, nZVGetLastError());
}

TEST_F(ZVExternalTest, InitialisationResultOfEachRuntimeBuild)
{
    const struct {
        const char* pszRuntime;
        int32_t nAttendu;
    } aCas[] = {
        {"zv150vm", 0},
        {"zv150vm_nogetvm", 0},           // an optional export may be missing
        {"zv150vm_noopmt", 0},            // looked up only for thread contexts
        {"zv150vm_noinitex", 1},
        {"zv150vm_nopecallback", 1},      // the last mandatory export
        {"zv150vm_noinit", 1},            // no "bInitLibrary": never a success
        {"zv150vm_initfails", 1},         // "bInitLibrary" refuses: never a success
        {"no_such_runtime", 2},
    };
    for (const auto& cas : aCas) {
        SCOPED_TRACE(cas.pszRuntime);
        EXPECT_EQ(cas.nAttendu, nZVInitFromName(Runtime(cas.pszRuntime).c_str(), 0));
        // Initialised exactly when it succeeded.
        EXPECT_EQ(cas.nAttendu == 0 ? 0 : 9, nZVExecuteEx("x = 1"));
        EXPECT_EQ(cas.nAttendu == 0, pZVGetContexte()->wMarqueDebut == KLE_MARQUE_DEBUT);
        ZVTerm();
    }
    EXPECT_EQ(2, nZVInitFromName(nullptr, 0));
    EXPECT_EQ(2, nZVInitFromInstance(nullptr, 0));
}

TEST_F(ZVExternalTest, MissingOptionalExportsAnswerAsDocumented)
{
    ASSERT_EQ(0, nZVInitFromName(Runtime("zv150vm_nogetvm").c_str(), 0));
    void* p = &p;
    EXPECT_EQ(1, nZVGetVM(&p));
    EXPECT_EQ(&p, p);
    ZVTerm();
    ASSERT_EQ(0, nZVInitFromName(Runtime("zv150vm").c_str(), 0));
    EXPECT_EQ(0, nZVGetVM(&p));
    EXPECT_NE(nullptr, p);
}

TEST_F(ZVExternalTest, InitFromTheCurrentDirectoryAndSecondInitLoadsNothing)
{
    zvtest::TempDir dir("zvexterne");
    ASSERT_TRUE(dir.ok());
    char szAncien[4096];
    ASSERT_NE(nullptr, getcwd(szAncien, sizeof szAncien));
    ASSERT_EQ(0, chdir(dir.dir().c_str()));
    EXPECT_EQ(2, nZVInit(0)) << "no zv150vm.so in the current directory";
    {
        std::ifstream clSource(Runtime("zv150vm"), std::ios::binary);
        std::ofstream clCopie("zv150vm.so", std::ios::binary);
        clCopie << clSource.rdbuf();
    }
    EXPECT_EQ(0, nZVInit(0));
    void* hPremier = nullptr;
    EXPECT_EQ(0, nZVGetVM(&hPremier));
    // Already initialised: nothing is loaded, even from a path that does not exist.
    EXPECT_EQ(0, nZVInit(0));
    EXPECT_EQ(0, nZVInitFromName("/no/such/zv150vm.so", 0));
    void* hSecond = nullptr;
    EXPECT_EQ(0, nZVGetVM(&hSecond));
    EXPECT_EQ(hPremier, hSecond);
    ZVTerm();
    EXPECT_EQ(9, nZVExecuteEx("x = 1"));
    EXPECT_EQ(0, pZVGetContexte()->wMarqueDebut) << "the local context is no longer marked ready";
    ASSERT_EQ(0, chdir(szAncien));
}

TEST_F(ZVExternalTest, LibraryOfTheCallerStaysLoadedAfterTerm)
{
    void* h = dlopen(Runtime("zv150vm").c_str(), RTLD_NOW);
    ASSERT_NE(nullptr, h);
    ZVActiveOption(0x4);
    EXPECT_EQ(0, nZVInitFromInstanceEx(h, 7, 0x10));
    void* hVM = nullptr;
    EXPECT_EQ(0, nZVGetVM(&hVM));
    EXPECT_EQ(h, hVM);
    ZVTerm();
    EXPECT_EQ(9, nZVExecuteEx("x = 1"));
    void* hEncore = dlopen(Runtime("zv150vm").c_str(), RTLD_NOW | RTLD_NOLOAD);
    EXPECT_EQ(h, hEncore);
    if (hEncore)
        dlclose(hEncore);
    // Initialised again from the same handle: a fresh runtime, earlier state forgotten.
    EXPECT_EQ(0, nZVInitFromInstance(h, 0));
    EXPECT_EQ(0, nZVExecuteEx("v = 5"));
    ZVTerm();
    EXPECT_EQ(0, nZVInitFromInstance(h, 0));
    EXPECT_EQ(101, nZVLitVariableKL("v", 0, 0));
    ZVTerm();
    dlclose(h);
}

TEST_F(ZVExternalTest, ContextMarkersAndTheCurrentContext)
{
    ASSERT_EQ(0, nZVInitFromName(Runtime("zv150vm").c_str(), 0));
    _stKLECTX* pstLocal = pZVGetContexte();
    EXPECT_EQ(KLE_MARQUE_DEBUT, pstLocal->wMarqueDebut);
    EXPECT_EQ(KLE_VERSION, pstLocal->wVersion);
    EXPECT_EQ(KLE_MARQUE_FIN, pstLocal->wMarqueFin);
    ZVSetModule(1234);
    EXPECT_EQ(1234, +pstLocal->nModule); // a copy: the packed field may be misaligned

    _stKLECTX* pstThread = pZVMTInitThread();
    ASSERT_NE(nullptr, pstThread);
    EXPECT_EQ(KLE_MARQUE_DEBUT, pstThread->wMarqueDebut);
    EXPECT_EQ(KLE_VERSION, pstThread->wVersion);
    EXPECT_EQ(KLE_MARQUE_FIN, pstThread->wMarqueFin);
    EXPECT_EQ(1234, +pstThread->nModule) << "the module value is copied from the local context";
    _stKLEVALEURRETOUR* const pstRetourLocal = pstLocal->pstValeurRetour; // copies: packed fields
    _stKLEVALEURRETOUR* const pstRetourThread = pstThread->pstValeurRetour;
    EXPECT_NE(pstRetourLocal, pstRetourThread);

    // Operations without a context use the current one; null selects the local context again.
    EXPECT_EQ(pstLocal, pZVSetContexte(pstThread));
    EXPECT_EQ(0, nZVEvalue("6 * 7"));
    EXPECT_EQ(42, nZVMTGetValeurRetour(pstThread));
    EXPECT_EQ(42, nZVGetValeurRetour());
    EXPECT_EQ(pstThread, pZVSetContexte(nullptr));
    EXPECT_EQ(pstLocal, pZVGetContexte());
    EXPECT_EQ(0, nZVEvalue("1"));
    EXPECT_EQ(42, nZVMTGetValeurRetour(pstThread)) << "the thread context's record was left alone";
    // An explicit-context operation given null uses the current context.
    EXPECT_EQ(0, nZVMTEmpile(nullptr, KLE_TYPE_ENTIER, 3));
    EXPECT_EQ(0, nZVCompile("procedure Id(x)\nreturn x\nend", "lib"));
    EXPECT_EQ(0, nZVMTAppelle(nullptr, nullptr, "Id", 1, 0));
    EXPECT_EQ(3, nZVMTGetValeurRetour(nullptr));
    ZVMTTermThread(pstThread);
}

TEST_F(ZVExternalTest, ExecuteFormatsCutsAndRefusesEmptyText)
{
    ASSERT_EQ(0, nZVInitFromName(Runtime("zv150vm").c_str(), 0));
    EXPECT_EQ(12, nZVExecute("%s", ""));
    EXPECT_EQ(12, nZVExecute(nullptr));
    EXPECT_EQ(0, nZVExecute("a = %d + %d; s = \"%s\"", 40, 2, "txt"));
    EXPECT_EQ(0, nZVLitVariableKL("a", 0, 0));
    EXPECT_EQ(42, nZVGetValeurRetour());
    // "v = 000...0123" of 10241 characters: cut to 10239 it leaves "v = 000...01".
    const std::string strZeros(10241 - 4 - 3, '0');
    EXPECT_EQ(0, nZVExecute("v = %s123", strZeros.c_str()));
    EXPECT_EQ(0, nZVLitVariableKL("v", 0, 0));
    EXPECT_EQ(1, i64ZVGetValeurRetour());
    // One character shorter: nothing is cut.
    EXPECT_EQ(0, nZVExecute("v = %s123", strZeros.substr(2).c_str()));
    EXPECT_EQ(0, nZVLitVariableKL("v", 0, 0));
    EXPECT_EQ(123, i64ZVGetValeurRetour());
}

TEST_F(ZVExternalTest, MissingThreadExportGivesNoContext)
{
    ASSERT_EQ(0, nZVInitFromName(Runtime("zv150vm_noopmt").c_str(), 0));
    EXPECT_EQ(nullptr, pZVMTInitThread());
    EXPECT_EQ(nullptr, pZVMTInitThread());
}

TEST_F(ZVExternalTest, ThreadContextEndedTwiceOrAfterTermIsHarmless)
{
    ASSERT_EQ(0, nZVInitFromName(Runtime("zv150vm").c_str(), 0));
    _stKLECTX* pst1 = pZVMTInitThread();
    _stKLECTX* pst2 = pZVMTInitThread();
    ASSERT_NE(nullptr, pst1);
    ASSERT_NE(nullptr, pst2);
    ZVMTTermThread(pst1);
    ZVMTTermThread(pst1);  // already ended: left alone, not freed twice
    _stKLECTX stInconnu{};
    ZVMTTermThread(&stInconnu);
    // Ending the current context makes the local one current again.
    _stKLECTX* pstCourant = pZVMTInitThread();
    ASSERT_NE(nullptr, pstCourant);
    pZVSetContexte(pstCourant);
    ZVMTTermThread(pstCourant);
    _stKLECTX* pstApres = pZVGetContexte();
    EXPECT_NE(pstCourant, pstApres);
    EXPECT_EQ(KLE_MARQUE_DEBUT, pstApres->wMarqueDebut) << "the local context";
    EXPECT_EQ(0, nZVEvalue("2"));
    EXPECT_EQ(2, nZVGetValeurRetour());
    // pst2 outlives the interface: unusable afterwards, then freed without calling the runtime.
    ZVTerm();
    EXPECT_EQ(9, nZVMTAppelle(pst2, nullptr, "P", 0, 0));
    ZVMTTermThread(pst2);
    // A new runtime does not know a context of the previous one.
    ASSERT_EQ(0, nZVInitFromName(Runtime("zv150vm").c_str(), 0));
    _stKLECTX* pst3 = pZVMTInitThread();
    ASSERT_NE(nullptr, pst3);
    EXPECT_EQ(0, nZVMTEcritVariableKL(pst3, "x", KLE_TYPE_ENTIER, 5));
    ZVMTTermThread(pst3);
}

// Eight threads with a context each call procedures at the same time; every result read
// must be the one of the thread's own call.
TEST_F(ZVExternalTest, EightThreadsWithTheirOwnContextsNeverSeeEachOthersResults)
{
    ASSERT_EQ(0, nZVInitFromName(Runtime("zv150vm").c_str(), 0));
    ASSERT_EQ(0, nZVCompile("procedure Etiquette(t, n)\n"
                            "  return \"T\" + str(t) + \"-\" + str(n * n)\n"
                            "end\n"
                            "procedure Somme(a, b)\n"
                            "  if b = 0 then error 500 + a, \"thread \" + str(a)\n"
                            "  return a + b\n"
                            "end\n",
                            "calc"));
    constexpr int nThreads = 8;
    constexpr int nTours = 300;
    std::atomic<int> nErreurs{0};
    std::vector<std::thread> vThreads;
    for (int t = 0; t < nThreads; ++t) {
        vThreads.emplace_back([t, &nErreurs] {
            _stKLECTX* pst = pZVMTInitThread();
            if (!pst) {
                ++nErreurs;
                return;
            }
            for (int n = 0; n < nTours; ++n) {
                nZVMTEmpile(pst, KLE_TYPE_ENTIER, t);
                nZVMTEmpile(pst, KLE_TYPE_ENTIER, n);
                if (nZVMTAppelle(pst, "calc", "Etiquette", 2, 0) != 0) {
                    ++nErreurs;
                    continue;
                }
                std::this_thread::yield();
                const std::string strAttendu = "T" + std::to_string(t) + "-" + std::to_string(n * n);
                if (pszZVMTGetValeurRetour(pst) != strAttendu ||
                    nZVMTLongueurValeurRetour(pst) != static_cast<int32_t>(strAttendu.size()))
                    ++nErreurs;
                // Every third call fails on purpose, with the thread's own error.
                nZVMTEmpile(pst, KLE_TYPE_ENTIER, t);
                nZVMTEmpile(pst, KLE_TYPE_ENTIER, n % 3 == 0 ? 0 : n);
                const int32_t nResultat = nZVMTAppelle(pst, nullptr, "Somme", 2, 0);
                if (n % 3 == 0) {
                    if (nResultat != 107 || nZVMTGetLastError(pst) != 500 + t ||
                        std::string(pszZVMTGetLastError(pst)) != "thread " + std::to_string(t) ||
                        !bZVMTValeurRetourNULL(pst))
                        ++nErreurs;
                    ZVMTRepriseErreur(pst);
                    if (nZVMTGetLastError(pst) != 0)
                        ++nErreurs;
                } else if (nResultat != 0 || i64ZVMTGetValeurRetour(pst) != t + n || nZVMTGetLastError(pst) != 0) {
                    ++nErreurs;
                }
                nZVMTEcritVariableKL(pst, ("v" + std::to_string(t)).c_str(), KLE_TYPE_ENTIER, n);
                if (nZVMTLitVariableKL(pst, ("v" + std::to_string(t)).c_str(), 0, 0) != 0 ||
                    nZVMTGetValeurRetour(pst) != n)
                    ++nErreurs;
            }
            ZVMTTermThread(pst);
        });
    }
    for (auto& cl : vThreads)
        cl.join();
    EXPECT_EQ(0, nErreurs.load());
}

}  // namespace
