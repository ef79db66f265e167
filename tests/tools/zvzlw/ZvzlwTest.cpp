// Tests of zvzlw: files and standard streams in both directions, several blocks, listing, block size and thread options, and clear failures on bad blocks.
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/compress/CCompresseur.h"
#include "support/CompressSamples.h"
#include "support/Emulation.h"
#include "support/FaultInjection.h"
#include "support/TempDir.h"
#include "tools/zvzlw/Zvzlw.h"

#include <fcntl.h>

namespace {

typedef std::vector<uint8_t> Octets;

struct Resultat {
    int nCode = -1;
    std::string strErreur;
};

class ZvzlwTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ZVTEST_SKIP_UNLESS_CHILDREN_RUN();
        ASSERT_TRUE(m_dir.ok());
        m_strRep = m_dir.dir();
    }
    // Runs a shell command in the test directory; "Z" in it stands for the program.
    Resultat Shell(const std::string& strCommande)
    {
        std::string strPleine;
        for (char c : strCommande) {
            if (c == 'Z')
                strPleine += "'" ZV_ZVZLW_PATH "'";
            else
                strPleine += c;
        }
        const std::string strErr = m_strRep + "/stderr.txt";
        const std::string strTout = "cd '" + m_strRep + "' && ( " + strPleine + " ) 2>'" + strErr + "'";
        Resultat r;
        const int nStatus = std::system(strTout.c_str());
        if (nStatus != -1 && WIFEXITED(nStatus))
            r.nCode = WEXITSTATUS(nStatus);
        Octets ab;
        zvtest::LitFichier(strErr, &ab);
        r.strErreur.assign(ab.begin(), ab.end());
        return r;
    }
    void Ecrit(const std::string& strNom, const Octets& ab)
    {
        FILE* f = std::fopen((m_strRep + "/" + strNom).c_str(), "wb");
        ASSERT_NE(f, nullptr);
        if (!ab.empty()) {
            ASSERT_EQ(std::fwrite(ab.data(), 1, ab.size(), f), ab.size());
        }
        std::fclose(f);
    }
    Octets Lit(const std::string& strNom)
    {
        Octets ab;
        zvtest::LitFichier(m_strRep + "/" + strNom, &ab);
        return ab;
    }
    bool Existe(const std::string& strNom) { return access((m_strRep + "/" + strNom).c_str(), F_OK) == 0; }
    zvtest::TempDir m_dir{"zvzlw-test"};
    std::string m_strRep;
};

TEST_F(ZvzlwTest, FichiersAllerRetour)
{
    const Octets abTexte = zvtest::TextePseudo(200000, 1);
    Ecrit("a.txt", abTexte);
    ASSERT_EQ(Shell("Z a.txt").nCode, 0);
    ASSERT_TRUE(Existe("a.txt.zlw"));
    EXPECT_TRUE(Lit("a.txt") == abTexte);  // the input is kept
    EXPECT_EQ(Lit("a.txt.zlw")[0], 4);
    EXPECT_LT(Lit("a.txt.zlw").size(), abTexte.size() / 2);

    // The output exists: refused without -f, replaced with it.
    const Resultat r = Shell("Z -d a.txt.zlw");
    EXPECT_EQ(r.nCode, 1);
    EXPECT_NE(r.strErreur.find("a.txt: already exists; use -f to overwrite"), std::string::npos) << r.strErreur;
    Ecrit("a.txt", {});
    ASSERT_EQ(Shell("Z -df a.txt.zlw").nCode, 0);
    EXPECT_TRUE(Lit("a.txt") == abTexte);

    EXPECT_EQ(Shell("Z -d a.txt").nCode, 1);  // no suffix to remove
    EXPECT_EQ(Shell("Z a.txt.zlw").nCode, 1); // already compressed
    EXPECT_EQ(Shell("Z -q a.txt").nCode, 2);  // unknown option
}

// Standard streams, several blocks one after another, stored blocks and empty inputs.
TEST_F(ZvzlwTest, FluxStandardsEtBlocsSuccessifs)
{
    const Octets abTexte = zvtest::TextePseudo(100000, 2);
    const Octets abAlea = zvtest::Aleatoire(3000, 3);
    Ecrit("t", abTexte);
    Ecrit("r", abAlea);
    Ecrit("vide", {});
    ASSERT_EQ(Shell("Z -c < t > t.zlw && Z -c r > r.zlw && Z -0 -c < t > t0.zlw && Z -c < vide > vide.zlw").nCode, 0);
    EXPECT_EQ(Lit("r.zlw")[0], 0);  // random bytes are stored
    EXPECT_EQ(Lit("t0.zlw")[0], 0);
    EXPECT_EQ(Lit("vide.zlw").size(), 5u);
    ASSERT_EQ(Shell("cat t.zlw r.zlw vide.zlw t0.zlw | Z -dc > tout").nCode, 0);
    Octets abAttendu = abTexte;
    abAttendu.insert(abAttendu.end(), abAlea.begin(), abAlea.end());
    abAttendu.insert(abAttendu.end(), abTexte.begin(), abTexte.end());
    EXPECT_TRUE(Lit("tout") == abAttendu);

    ASSERT_EQ(Shell("cat t.zlw r.zlw | Z -l > liste").nCode, 0);
    const Octets abListe = Lit("liste");
    const std::string strListe(abListe.begin(), abListe.end());
    EXPECT_NE(strListe.find("(stdin): block 0 at offset 0: dictionary, "), std::string::npos) << strListe;
    EXPECT_NE(strListe.find("expands to 100000 bytes"), std::string::npos) << strListe;
    EXPECT_NE(strListe.find("(stdin): block 1 at offset "), std::string::npos) << strListe;
    EXPECT_NE(strListe.find(": stored, 3005 bytes, expands to 3000 bytes"), std::string::npos) << strListe;
    EXPECT_NE(strListe.find("(stdin): 2 blocks, "), std::string::npos) << strListe;
    EXPECT_NE(strListe.find("expand to 103000 bytes"), std::string::npos) << strListe;
}

// Bad blocks: a clear message naming the fault and its offset, a non-zero status, and no output
// file left behind.
TEST_F(ZvzlwTest, BlocsCorrompus)
{
    Ecrit("t", zvtest::TextePseudo(50000, 4));
    ASSERT_EQ(Shell("Z -c t > bon.zlw").nCode, 0);
    const Octets abBon = Lit("bon.zlw");
    ASSERT_EQ(abBon[0], 4);

    struct Cas {
        const char* pszNom;
        Octets ab;
        const char* pszMessage;
    };
    std::vector<Cas> cas;
    cas.push_back({"truncated", Octets(abBon.begin(), abBon.end() - 10), "truncated block at offset 0"});
    Octets abMethode = abBon;
    abMethode[0] = 9;
    cas.push_back({"method 9", abMethode, "not a compressed block at offset 0 (method byte 9)"});
    Octets abDonnees = abBon;
    for (size_t i = 20; i < 60; ++i)
        abDonnees[i] = 0xFF;
    cas.push_back({"damaged payload", abDonnees, "corrupt block at offset 0"});
    Octets abSuite = abBon;
    abSuite.push_back(4);
    abSuite.push_back(1);
    cas.push_back({"trailing bytes", abSuite, "truncated block header at offset"});
    Octets abMethode2 = abBon;
    abMethode2[0] = 2;
    cas.push_back({"method 2", abMethode2, "block at offset 0 uses method 2, which this program cannot expand"});
    cas.push_back({"empty", {}, "empty input: no block"});

    for (const Cas& c : cas) {
        SCOPED_TRACE(c.pszNom);
        Ecrit("x.zlw", c.ab);
        const Resultat r = Shell("Z -d x.zlw");
        EXPECT_EQ(r.nCode, 1);
        EXPECT_NE(r.strErreur.find(std::string("zvzlw: x.zlw: ") + c.pszMessage), std::string::npos) << r.strErreur;
        EXPECT_FALSE(Existe("x"));
        const Resultat rFlux = Shell("Z -dc < x.zlw > /dev/null");
        EXPECT_EQ(rFlux.nCode, 1);
        EXPECT_NE(rFlux.strErreur.find("zvzlw: (stdin): "), std::string::npos);
    }
}

// Under injected faults, in this process: every call of a compression or an expansion to a
// file fails in turn. The output then holds its former content (absent for a new file) or the
// whole new one, and the input is never touched.
TEST_F(ZvzlwTest, SortiesFichiersSousPannesInjectees)
{
    const Octets abTexte = zvtest::TextePseudo(150000, 5);
    const Octets abAncien = {'o', 'l', 'd'};
    Ecrit("ref", abTexte);
    ASSERT_EQ(Shell("Z -c ref > ref.zlw").nCode, 0);
    const Octets abBloc = Lit("ref.zlw");
    // The messages of the failed runs go to /dev/null for the time of the sweeps.
    const int fdErreur = dup(STDERR_FILENO);
    const int fdNul = open("/dev/null", O_WRONLY);
    ASSERT_GE(fdErreur, 0);
    ASSERT_GE(fdNul, 0);
    dup2(fdNul, STDERR_FILENO);
    close(fdNul);
    struct Cas {
        const char* pszNom;
        std::vector<std::string> vArgs;
        std::string strEntree, strSortie;
        const Octets* pabEntree;
        const Octets* pabNouveau;
        bool bAncien; // the output exists before
    };
    const Cas aCas[] = {
        {"zvzlw FILE (new output)", {"zvzlw", "a"}, "a", "a.zlw", &abTexte, &abBloc, false},
        {"zvzlw -f FILE (over an output)", {"zvzlw", "-f", "a"}, "a", "a.zlw", &abTexte, &abBloc, true},
        {"zvzlw -d FILE (new output)", {"zvzlw", "-d", "b.zlw"}, "b.zlw", "b", &abBloc, &abTexte, false},
        {"zvzlw -df FILE (over an output)", {"zvzlw", "-df", "b.zlw"}, "b.zlw", "b", &abBloc, &abTexte, true},
    };
    for (const Cas& c : aCas) {
        zvtest::Sweep(
            c.pszNom,
            [&] {
                unlink((m_strRep + "/" + c.strSortie).c_str());
                Ecrit(c.strEntree, *c.pabEntree);
                if (c.bAncien)
                    Ecrit(c.strSortie, abAncien);
            },
            [&] {
                std::vector<std::string> vArgs = c.vArgs;
                vArgs.back() = m_strRep + "/" + vArgs.back();
                std::vector<char*> vArgv;
                for (std::string& s : vArgs)
                    vArgv.push_back(&s[0]);
                vArgv.push_back(nullptr);
                return ZVZLW_nMain(static_cast<int>(vArgs.size()), vArgv.data()) == 0;
            },
            [&](bool bOk, bool) {
                const bool bNouveau = Existe(c.strSortie) && Lit(c.strSortie) == *c.pabNouveau;
                const bool bAvant = c.bAncien ? Existe(c.strSortie) && Lit(c.strSortie) == abAncien : !Existe(c.strSortie);
                EXPECT_TRUE(bOk ? bNouveau : bNouveau || bAvant) << Lit(c.strSortie).size();
                EXPECT_TRUE(Lit(c.strEntree) == *c.pabEntree);
            });
    }
    dup2(fdErreur, STDERR_FILENO);
    close(fdErreur);
}

// Offsets of the blocks of a stream, walking their headers.
std::vector<size_t> OffsetsDesBlocs(const Octets& ab)
{
    std::vector<size_t> tab;
    size_t nPos = 0;
    while (nPos + 5 <= ab.size()) {
        tab.push_back(nPos);
        uint32_t dwDonnees;
        std::memcpy(&dwDonnees, ab.data() + nPos + 1, 4);
        nPos += dwDonnees + (ab[nPos] == 0 ? 5 : 11);
    }
    return tab;
}

// A fault in the middle of a stream: reported with the block's offset, status 1, every block
// before it written out, whatever the number of threads.
TEST_F(ZvzlwTest, BlocFautifAuMilieu)
{
    const Octets abTexte = zvtest::TextePseudo(7 * 65536 + 1000, 5);
    Ecrit("t", abTexte);
    ASSERT_EQ(Shell("Z -c -B 64K t > bon.zlw").nCode, 0);
    const Octets abBon = Lit("bon.zlw");
    const std::vector<size_t> tabBlocs = OffsetsDesBlocs(abBon);
    ASSERT_EQ(tabBlocs.size(), 8u);
    const size_t nFautif = tabBlocs[3];
    const std::string strOffset = std::to_string(nFautif);

    struct Cas {
        const char* pszNom;
        Octets ab;
        std::string strMessage;
    };
    std::vector<Cas> cas;
    Octets abDonnees = abBon;
    for (size_t i = nFautif + 30; i < nFautif + 80; ++i)
        abDonnees[i] = 0xFF;
    cas.push_back({"damaged payload", abDonnees, "corrupt block at offset " + strOffset});
    Octets abMethode = abBon;
    abMethode[nFautif] = 9;
    cas.push_back({"method 9", abMethode, "not a compressed block at offset " + strOffset + " (method byte 9)"});
    cas.push_back({"cut inside", Octets(abBon.begin(), abBon.begin() + nFautif + 100),
                   "truncated block at offset " + strOffset + ": "});
    Octets abLongueur = abBon;
    abLongueur[nFautif + 4] = 0x7F;  // a payload length of 2 GiB and more
    cas.push_back({"length beyond the input", abLongueur, "truncated block at offset " + strOffset + ": "});

    const Octets abAvant(abTexte.begin(), abTexte.begin() + 3 * 65536);
    for (const Cas& c : cas) {
        for (const char* pszThreads : {"1", "4"}) {
            SCOPED_TRACE(std::string(c.pszNom) + ", -T " + pszThreads);
            Ecrit("x.zlw", c.ab);
            const Resultat r = Shell(std::string("Z -dc -T ") + pszThreads + " < x.zlw > sortie");
            EXPECT_EQ(r.nCode, 1);
            EXPECT_NE(r.strErreur.find("zvzlw: (stdin): " + c.strMessage), std::string::npos) << r.strErreur;
            EXPECT_TRUE(Lit("sortie") == abAvant) << Lit("sortie").size() << " bytes written";
        }
    }
    // Expanding to a file, the partial output is not left behind.
    Ecrit("x.zlw", abDonnees);
    EXPECT_EQ(Shell("Z -d x.zlw").nCode, 1);
    EXPECT_FALSE(Existe("x"));
}

// A stream of one large block, as earlier versions wrote every input, still expands, alone or
// followed by blocks of the current size.
TEST_F(ZvzlwTest, AncienFluxDUnSeulBloc)
{
    const Octets abTexte = zvtest::TextePseudo(5 << 20, 6);
    Octets abBloc(abTexte.size() + 7);
    CCompresseur cl(CCompresseurBase::eCOMPRESSEUR_ZLW);
    cl.m_pEntree = abTexte.data();
    cl.m_dwEntree = uint32_t(abTexte.size());
    cl.m_pSortie = abBloc.data();
    cl.m_dwSortie = uint32_t(abBloc.size());
    const uint32_t dwBloc = cl.dwCompression();
    ASSERT_GT(dwBloc, 0u);
    abBloc.resize(dwBloc);
    Ecrit("ancien.zlw", abBloc);
    ASSERT_EQ(Shell("Z -dc ancien.zlw > sortie").nCode, 0);
    EXPECT_TRUE(Lit("sortie") == abTexte);

    Ecrit("t", abTexte);
    ASSERT_EQ(Shell("Z -c t > nouveau.zlw && cat ancien.zlw nouveau.zlw > mixte.zlw && Z -d -T 3 mixte.zlw").nCode, 0);
    Octets abDeux = abTexte;
    abDeux.insert(abDeux.end(), abTexte.begin(), abTexte.end());
    EXPECT_TRUE(Lit("mixte") == abDeux);
    EXPECT_EQ(OffsetsDesBlocs(Lit("nouveau.zlw")).size(), 3u);  // 2 MiB blocks by default
}

// Block sizes and thread counts on the command line: the forms accepted, the block count they
// give, and the values refused as bad usage.
TEST_F(ZvzlwTest, OptionsTailleDeBlocEtThreads)
{
    const Octets abTexte = zvtest::TextePseudo(300000, 8);
    Ecrit("t", abTexte);
    struct Cas {
        const char* pszOptions;
        size_t nBlocs;
    };
    const Cas cas[] = {{"-B 100000", 3}, {"-B100000", 3}, {"-B 64K", 5}, {"-B64k -T1", 5}, {"-cB 1M -T 2", 1},
                       {"-B 1KiB -T2", 293}, {"-T 0", 1}, {"-T4 -B 299999", 2}};
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.pszOptions);
        ASSERT_EQ(Shell(std::string("Z -c ") + c.pszOptions + " t > t.zlw").nCode, 0);
        EXPECT_EQ(OffsetsDesBlocs(Lit("t.zlw")).size(), c.nBlocs);
        ASSERT_EQ(Shell("Z -dc t.zlw > sortie").nCode, 0);
        EXPECT_TRUE(Lit("sortie") == abTexte);
    }
    for (const char* pszMauvais : {"-B 0", "-B", "-B 5X", "-B 4G", "-B -1", "-T 257", "-T x", "-T"}) {
        SCOPED_TRACE(pszMauvais);
        const Resultat r = Shell(std::string("Z -c ") + pszMauvais + " < t > /dev/null");
        EXPECT_EQ(r.nCode, 2);
        EXPECT_NE(r.strErreur.find("usage: zvzlw"), std::string::npos) << r.strErreur;
    }
}

}  // namespace
