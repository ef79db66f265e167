// Tests of the loader's cache reader and of the resolution of needed libraries as the loader would do it.
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tools/zvinfoexe/CCacheLdSo.h"
#include "tools/zvinfoexe/ResolutionDependances.h"

namespace {

constexpr unsigned gnClasse = sizeof(void*) == 8 ? 2 : 1;
constexpr unsigned gnMachine = sizeof(void*) == 8 ? 62 : 3;

void Ecrit32(std::vector<unsigned char>& ab, size_t o, uint32_t n)
{
    for (int i = 0; i < 4; ++i)
        ab[o + i] = static_cast<unsigned char>(n >> (8 * i));
}

// A cache of the current format: (name, path, flags, hwcap) entries.
std::vector<unsigned char> Cache(const std::vector<std::vector<std::string>>& aEntrees, const std::vector<uint32_t>& anDrapeaux,
                                 const std::vector<uint32_t>& anHwcap)
{
    std::vector<unsigned char> ab(48 + 24 * aEntrees.size(), 0);
    std::memcpy(ab.data(), "glibc-ld.so.cache1.1", 20);
    Ecrit32(ab, 20, static_cast<uint32_t>(aEntrees.size()));
    for (size_t i = 0; i < aEntrees.size(); ++i) {
        const size_t o = 48 + 24 * i;
        Ecrit32(ab, o, anDrapeaux[i]);
        Ecrit32(ab, o + 4, static_cast<uint32_t>(ab.size()));
        ab.insert(ab.end(), aEntrees[i][0].begin(), aEntrees[i][0].end());
        ab.push_back(0);
        Ecrit32(ab, o + 8, static_cast<uint32_t>(ab.size()));
        ab.insert(ab.end(), aEntrees[i][1].begin(), aEntrees[i][1].end());
        ab.push_back(0);
        Ecrit32(ab, o + 16, anHwcap[i]);
    }
    return ab;
}

TEST(CCacheLdSoTest, LooksUpByNameAndAbi)
{
    const auto ab = Cache({{"libz.so.1", "/hw/libz.so.1"}, {"libz.so.1", "/lib64/libz.so.1"},
                           {"libz.so.1", "/lib32/libz.so.1"}, {"libold.so", "/any/libold.so"}},
                          {0x0303, 0x0303, 0x0003, 1}, {1, 0, 0, 0});
    CCacheLdSo cl;
    ASSERT_TRUE(cl.bLit(ab.data(), ab.size()));
    EXPECT_EQ(4u, cl.nEntrees());
    std::string s;
    // The plain entry before the processor-specific one; each ABI its own; flag 1 for all.
    ASSERT_TRUE(cl.bCherche("libz.so.1", 2, 62, &s));
    EXPECT_EQ("/lib64/libz.so.1", s);
    ASSERT_TRUE(cl.bCherche("libz.so.1", 1, 3, &s));
    EXPECT_EQ("/lib32/libz.so.1", s);
    ASSERT_TRUE(cl.bCherche("libold.so", 1, 3, &s));
    EXPECT_FALSE(cl.bCherche("libz.so", 2, 62, &s));
    EXPECT_FALSE(cl.bCherche("libz.so.1", 2, 183, &s));  // an ABI the reader does not know

    // Behind an old-format cache, 8-byte aligned.
    std::vector<unsigned char> abAncien(16 + 12 * 2, 0);
    std::memcpy(abAncien.data(), "ld.so-1.7.0", 11);
    Ecrit32(abAncien, 12, 2);
    abAncien.resize(40, 0);
    abAncien.insert(abAncien.end(), ab.begin(), ab.end());
    ASSERT_TRUE(cl.bLit(abAncien.data(), abAncien.size()));
    ASSERT_TRUE(cl.bCherche("libz.so.1", 2, 62, &s));
    EXPECT_EQ("/lib64/libz.so.1", s);
}

TEST(CCacheLdSoTest, DamagedCachesAreRefusedWhole)
{
    const auto ab = Cache({{"libz.so.1", "/lib64/libz.so.1"}}, {0x0303}, {0});
    CCacheLdSo cl;
    for (size_t n = 0; n < ab.size(); ++n) {
        std::vector<unsigned char> abCoupe(ab.begin(), ab.begin() + static_cast<long>(n));
        EXPECT_FALSE(cl.bLit(abCoupe.data(), abCoupe.size())) << n;
        EXPECT_EQ(0u, cl.nEntrees());
    }
    auto abFaux = ab;
    Ecrit32(abFaux, 20, 0x10000000);  // more entries than bytes
    EXPECT_FALSE(cl.bLit(abFaux.data(), abFaux.size()));
    abFaux = ab;
    Ecrit32(abFaux, 48 + 8, 0xFFFFFF00);  // a path outside
    EXPECT_FALSE(cl.bLit(abFaux.data(), abFaux.size()));
    EXPECT_FALSE(cl.bLit(nullptr, 0));
}

TEST(ResolutionDependancesTest, SearchPathsAreSplitAndExpandedAsTheLoaderDoes)
{
    struct Row {
        const char* pszChemins;
        std::vector<std::string> as;
    } rows[] = {
        {"", {}},
        {"$ORIGIN", {"/opt/app"}},
        {"${ORIGIN}/lib:/usr/x", {"/opt/app/lib", "/usr/x"}},
        {"/a;/b::", {"/a", "/b", ".", "."}},
        {"$ORIGIN/../$LIB", {gnClasse == 2 ? "/opt/app/../lib/x86_64-linux-gnu" : "/opt/app/../lib/i386-linux-gnu"}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(row.as, vDecoupeChemins(row.pszChemins, "/opt/app", gnClasse)) << row.pszChemins;
}

TEST(ResolutionDependancesTest, FindsWhatTheLoaderWouldAndPassesOverTheOtherAbi)
{
    zvtest::TempDir clRep;
    ASSERT_TRUE(clRep.ok());
    // The runtime build that needs libzvvmextra.so, with RUNPATH $ORIGIN, and the library
    // itself in a directory of LD_LIBRARY_PATH and beside the runtime.
    std::vector<unsigned char> ab;
    ASSERT_TRUE(bLitDebutFichier(ZV_TEST_RUNTIME_EXTRA, 1u << 30, &ab));
    CLecteurElf clRuntime;
    ASSERT_TRUE(clRuntime.bLit(ab.data(), ab.size(), nullptr));
    ASSERT_EQ(0, system(("mkdir -p '" + clRep.path("app") + "' '" + clRep.path("ld") + "' '" + clRep.path("autre") + "'").c_str()));
    const std::string sRuntime = clRep.path("app/zv150vm.so");
    _stCONTEXTECHARGEUR stContexte;
    stContexte.nClasse = gnClasse;
    stContexte.nMachine = gnMachine;

    _stDEPENDANCE st;
    EXPECT_FALSE(bTrouveBibliotheque("libzvvmextra.so", &clRuntime, sRuntime, stContexte, &st));
    EXPECT_EQ("", st.sChemin);
    EXPECT_EQ(sRuntime, st.sDemandeur);

    // Only a library of the other ABI on LD_LIBRARY_PATH: passed over, and said so.
    const std::string sAutre = std::string(ZV_TEST_ELF_SEEDS) +
                               (gnClasse == 2 ? "libzvvmextra-i386.so" : "libzvvmextra-x86_64.so");
    ASSERT_TRUE(zvtest::bCopyExecutable(sAutre, clRep.path("autre/libzvvmextra.so")));
    stContexte.sLdLibraryPath = clRep.path("autre");
    EXPECT_FALSE(bTrouveBibliotheque("libzvvmextra.so", &clRuntime, sRuntime, stContexte, &st));
    EXPECT_NE(std::string::npos, st.sIncompatible.find(clRep.path("autre/libzvvmextra.so") + " (" +
                                                       (gnClasse == 2 ? "32-bit i386" : "64-bit x86-64") + ")"))
        << st.sIncompatible;

    // LD_LIBRARY_PATH comes before RUNPATH.
    ASSERT_TRUE(zvtest::bCopyExecutable(ZV_TEST_EXTRA, clRep.path("ld/libzvvmextra.so")));
    ASSERT_TRUE(zvtest::bCopyExecutable(ZV_TEST_EXTRA, clRep.path("app/libzvvmextra.so")));
    stContexte.sLdLibraryPath = clRep.path("autre") + ":" + clRep.path("ld");
    ASSERT_TRUE(bTrouveBibliotheque("libzvvmextra.so", &clRuntime, sRuntime, stContexte, &st));
    EXPECT_EQ(clRep.path("ld") + "/libzvvmextra.so", st.sChemin);
    EXPECT_EQ("LD_LIBRARY_PATH", st.sOrigine);
    stContexte.sLdLibraryPath.clear();
    ASSERT_TRUE(bTrouveBibliotheque("libzvvmextra.so", &clRuntime, sRuntime, stContexte, &st));
    EXPECT_EQ(clRep.path("app") + "/libzvvmextra.so", st.sChemin);
    EXPECT_EQ("RUNPATH", st.sOrigine);

    // The whole tree, the C library included, through the loader's cache or its directories.
    std::vector<unsigned char> abCache;
    CCacheLdSo clCache;
    if (bLitDebutFichier("/etc/ld.so.cache", 1u << 26, &abCache) && clCache.bLit(abCache.data(), abCache.size()))
        stContexte.pclCache = &clCache;
    else
        std::printf("no readable /etc/ld.so.cache here: the system directories alone are searched\n");
    const auto ast = vResoutDependances(sRuntime, clRuntime, stContexte);
    bool bLibc = false;
    for (const _stDEPENDANCE& stDep : ast) {
        EXPECT_FALSE(stDep.sChemin.empty()) << stDep.sNom;
        bLibc = bLibc || stDep.sNom == "libc.so.6";
    }
    EXPECT_TRUE(bLibc);
    // A name with a slash is a path, taken as it is.
    EXPECT_TRUE(bTrouveBibliotheque(clRep.path("app/libzvvmextra.so"), nullptr, "", stContexte, &st));
    EXPECT_EQ("path", st.sOrigine);
    EXPECT_FALSE(bTrouveBibliotheque("", nullptr, "", stContexte, &st));
}

}  // namespace
