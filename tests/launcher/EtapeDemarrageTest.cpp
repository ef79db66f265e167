// Tests of the start-up steps: their observer, their text and their serialised form read back.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "launcher/EtapeDemarrage.h"

namespace {

struct Collecte final : IObservateurDemarrage {
    std::vector<std::string> as;
    void vEtape(const _stETAPEDEMARRAGE& st) override { as.push_back(clTexteEtape(st).pszGet()); }
};

TEST(EtapeDemarrageTest, StepsReachTheObserverOnlyWhileOneIsSet)
{
    SignaleEtape(eETAPE_DEV, eISSUE_IGNORE, "");  // nobody watches: nothing happens
    Collecte cl;
    SetObservateurDemarrage(&cl);
    SignaleEtape(eETAPE_EXPLICITE, eISSUE_AUCUN, nullptr, nullptr);
    SignaleEtape(eETAPE_REPEXE, eISSUE_PAS_UN_FICHIER, "/opt/app/zv150vm.so", "does not exist");
    SetObservateurDemarrage(nullptr);
    SignaleEtape(eETAPE_DEV, eISSUE_IGNORE, "");
    ASSERT_EQ(2u, cl.as.size());
    EXPECT_EQ("explicit path (VMPATH): none", cl.as[0]);
    EXPECT_EQ("1 executable directory: /opt/app/zv150vm.so: not a file (does not exist)", cl.as[1]);
}

TEST(EtapeDemarrageTest, TextsNameTheCause)
{
    struct Row {
        _stETAPEDEMARRAGE st;
        const char* pszTexte;
    } rows[] = {
        {{eETAPE_EXPLICITE, eISSUE_REFUSE, "/x/vm.so", "wrong ELF class: ELFCLASS32", 0, 0},
         "explicit path (VMPATH) /x/vm.so: refused by the loader: wrong ELF class: ELFCLASS32; ignored, the "
         "strategies follow"},
        {{eETAPE_DRAPEAUX, eISSUE_TROUVE, "", "", 1, 0}, "information block: restricted search 1, common directory 0"},
        {{eETAPE_COMMUN, eISSUE_IGNORE, "", "", 0, 0}, "2 common directory: skipped (its flag is 0)"},
        {{eETAPE_REPEXE, eISSUE_ILLISIBLE, "/a/zv150vm.so", "Permission denied", 0, 0},
         "1 executable directory: /a/zv150vm.so: found, but not readable by this user (Permission denied)"},
        {{eETAPE_CONF, eISSUE_MANQUE, "/a/myvm.conf", "", 0, 0},
         "custom runtime name: /a/myvm.conf has no CHEMIN in [FRAMEWORK]: the candidate is the bare name in the "
         "current directory"},
        {{eETAPE_CHARGEMENT, eISSUE_REFUSE, "zv150vm.so", "not found", 0, 0},
         "load zv150vm.so (bare name: the loader's search): refused by the loader: not found"},
        {{eETAPE_CHARGEMENT, eISSUE_CHARGE, "/a/zv150vm.so", "/b/zv150vm.so", 0, 0},
         "load /a/zv150vm.so: loaded (/b/zv150vm.so)"},
        {{eETAPE_INIT, eISSUE_REFUSE, "/a/zv150vm.so", "", 0, 0},
         "bInitLibrary of /a/zv150vm.so: refused (returned 0); the library is unloaded and counts as not found"},
        {{eETAPE_ENTREE, eISSUE_MANQUE, "KL_Run_Res", "", 1, 0},
         "entry point KL_Run_Res: missing (the start cannot do without it)"},
        {{eETAPE_ZVL, eISSUE_REFUSE, "app.ZVL", "", 42, 0}, "application library app.ZVL (position 42): refused by "
                                                           "the runtime"},
        {{eETAPE_RESULTAT, eISSUE_AUCUN, "", "", 0, 0}, "no runtime library: the search failed"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(row.pszTexte, std::string(clTexteEtape(row.st).pszGet()));
    // Every step and outcome has some text, even those no step uses together.
    for (int e = 0; e <= eETAPE_NOMBRE; ++e) {
        for (int i = 0; i <= eISSUE_NOMBRE; ++i) {
            const _stETAPEDEMARRAGE st = {static_cast<eETAPEDEMARRAGE>(e), static_cast<eISSUEETAPE>(i), nullptr,
                                          nullptr, 0, 0};
            EXPECT_FALSE(clTexteEtape(st).bEstVide());
        }
    }
}

TEST(EtapeDemarrageTest, SerialisedStepsComeBackWhole)
{
    const _stETAPEDEMARRAGE st = {eETAPE_PATH, eISSUE_REFUSE, "a\tb\\c\nd", "", -9223372036854775807LL - 1,
                                  9223372036854775807LL};
    const CTString clLigne = clSerialiseEtape(st);
    EXPECT_EQ(nullptr, std::strchr(clLigne.pszGet(), '\n'));
    _stETAPEDEMARRAGE stLu;
    CTString clChemin, clDetail;
    ASSERT_TRUE(bLitEtapeSerialisee(clLigne.pszGet(), static_cast<size_t>(clLigne.nTaille()), &stLu, &clChemin,
                                    &clDetail));
    EXPECT_EQ(st.eEtape, stLu.eEtape);
    EXPECT_EQ(st.eIssue, stLu.eIssue);
    EXPECT_EQ(st.n1, stLu.n1);
    EXPECT_EQ(st.n2, stLu.n2);
    EXPECT_STREQ(st.pszChemin, stLu.pszChemin);
    EXPECT_STREQ("", stLu.pszDetail);
}

// Its length is that of the array: a length written by hand read past its end.
constexpr char gszAvecNul[] = "ZVSTEP1\t4\t2\t0\t0\tpa\0th\tdetail";

TEST(EtapeDemarrageTest, LinesOfAnotherMakeAreRefused)
{
    const std::vector<std::string> as = {
        "",
        "ZVSTEP1\t4\t2\t0\t0\tpath",                  // a field short
        "ZVSTEP1\t4\t2\t0\t0\tpath\tdetail\textra",   // one too many
        "ZVSTEP2\t4\t2\t0\t0\tpath\tdetail",          // another format
        "ZVSTEP1\t99\t2\t0\t0\tpath\tdetail",         // no such step
        "ZVSTEP1\t4\t-1\t0\t0\tpath\tdetail",         // no such outcome
        "ZVSTEP1\t4\t2\t1x\t0\tpath\tdetail",         // not a number
        "ZVSTEP1\t4\t2\t99999999999999999999\t0\tp\td",  // out of range
        "ZVSTEP1\t4\t2\t\t0\tpath\tdetail",           // empty number
        "ZVSTEP1\t4\t2\t0\t0\tpa\\qh\tdetail",       // unknown escape
        "ZVSTEP1\t4\t2\t0\t0\tpath\tdetail\\",        // escape cut short
        std::string(gszAvecNul, sizeof(gszAvecNul) - 1),  // a NUL inside
    };
    for (const std::string& s : as) {
        SCOPED_TRACE(s);
        _stETAPEDEMARRAGE st;
        CTString clChemin, clDetail;
        EXPECT_FALSE(bLitEtapeSerialisee(s.data(), s.size(), &st, &clChemin, &clDetail));
    }
}

}  // namespace
