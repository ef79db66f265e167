// Tests of the launcher's embedded blocks: reads of its own file, and libraries embedded by zvinfoexe then expanded by the launcher object.
#include "launcher/CZVExe.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <iterator>
#include <vector>

#include "base/containers/CSimpleBuffer.h"
#include "support/TempDir.h"
#include "support/CompressSamples.h"
#include "support/Emulation.h"
#include "support/Sentinel.h"

namespace {

typedef std::vector<uint8_t> Octets;

struct Resultat {
    int nCode = -1;
    std::string strSortie;
};

// Runs argv, standard output into a string.
Resultat Lance(const std::vector<std::string>& tabArgs)
{
    Resultat r;
    int afd[2];
    if (pipe(afd) != 0)
        return r;
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(afd[1], 1);
        close(afd[0]);
        close(afd[1]);
        std::vector<char*> tab;
        for (const std::string& s : tabArgs)
            tab.push_back(const_cast<char*>(s.c_str()));
        tab.push_back(nullptr);
        execv(tab[0], tab.data());
        _exit(127);
    }
    close(afd[1]);
    char sz[4096];
    ssize_t n;
    while ((n = read(afd[0], sz, sizeof(sz))) > 0)
        r.strSortie.append(sz, size_t(n));
    close(afd[0]);
    int nStatus = 0;
    if (waitpid(pid, &nStatus, 0) == pid && WIFEXITED(nStatus))
        r.nCode = WEXITSTATUS(nStatus);
    return r;
}

bool Ecrit(const std::string& strChemin, const Octets& ab)
{
    FILE* f = std::fopen(strChemin.c_str(), "wb");
    if (!f)
        return false;
    const bool bOk = ab.empty() || std::fwrite(ab.data(), 1, ab.size(), f) == ab.size();
    return std::fclose(f) == 0 && bOk;
}

Octets Lit(const std::string& strChemin)
{
    Octets ab;
    zvtest::LitFichier(strChemin, &ab);
    return ab;
}

class EmbeddedBlockTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ZVTEST_SKIP_UNLESS_CHILDREN_RUN();
        ASSERT_TRUE(m_dir.ok());
        m_strRep = m_dir.dir();
    }
    zvtest::TempDir m_dir{"zvexe-embed"};
    std::string m_strRep;
};

// The test program's own file, read through a launcher object built in it.
TEST_F(EmbeddedBlockTest, LectureDuFichierExecutable)
{
    CZVExe clExe(nullptr, nullptr, "");
    struct stat st;
    ASSERT_EQ(stat(clExe.pszGetCheminExe(), &st), 0);
    const long long oTaille = st.st_size;

    zvtest::SentinelBuffer<uint8_t> buf(8);
    EXPECT_TRUE(clExe.bChargeBlock(0, 4, buf.data()));
    EXPECT_EQ(std::memcmp(buf.data(), "\x7f" "ELF", 4), 0);
    EXPECT_TRUE(buf.untouchedFrom(4));

    struct Cas {
        long long oPosition;
        unsigned nLongueur;
        bool bAttendu;
    };
    const Cas cas[] = {
        {0, 0, true},                  // nothing to read
        {oTaille + 1000, 0, true},     // nothing to read, anywhere
        {oTaille - 8, 8, true},        // the last bytes
        {oTaille - 4, 8, false},       // cut short by the end of the file
        {oTaille, 1, false},           // past the end
        {-1, 4, false},                // before the start
    };
    for (const Cas& c : cas) {
        zvtest::SentinelBuffer<uint8_t> b(8);
        EXPECT_EQ(clExe.bChargeBlock(c.oPosition, c.nLongueur, b.data()), c.bAttendu) << c.oPosition;
        EXPECT_TRUE(b.guardsIntact());
        if (c.nLongueur == 0) {
            EXPECT_TRUE(b.untouchedFrom(0)) << c.oPosition;
        }
    }

    // A descriptor beyond the end: false, the buffer and the length untouched.
    _stINFODLL stInfo = {};
    stInfo.dwLongueurCompressee = 100;
    CSimpleBuffer clSortie(3);
    std::memcpy(clSortie.pGetData(), "abc", 3);
    unsigned nSortie = 77;
    EXPECT_FALSE(clExe.__bDecompresseDLL(oTaille, stInfo, &clSortie, &nSortie));
    EXPECT_EQ(nSortie, 77u);
    ASSERT_EQ(clSortie.dwGetSize(), 3u);
    EXPECT_EQ(std::memcmp(clSortie.pGetData(), "abc", 3), 0);
}

// Libraries embedded by zvinfoexe behind a copy of a program built on the launcher object, then
// expanded by that program: byte for byte, whatever the method of their block.
TEST_F(EmbeddedBlockTest, AllerRetourParZvinfoexe)
{
    struct Bibliotheque {
        std::string strNom;
        Octets ab;
        unsigned nMethode;
    };
    std::vector<Bibliotheque> tab = {
        {"libvmtrace.so", Lit(ZV_TEST_VMTRACE), 4},
        {"pseudo.txt", zvtest::TextePseudo(300000, 3), 4},
        {"random.bin", zvtest::Aleatoire(5000, 4), 0},
        {"empty.bin", {}, 0},
    };
    ASSERT_GT(tab[0].ab.size(), 1000u);
    const std::string strExe = m_strRep + "/probe";
    std::vector<std::string> tabArgs = {ZV_ZVINFOEXE_PATH, ZV_EMBEDPROBE_PATH, "-o", strExe};
    for (const Bibliotheque& b : tab) {
        ASSERT_TRUE(Ecrit(m_strRep + "/" + b.strNom, b.ab));
        tabArgs.push_back("--embed");
        tabArgs.push_back(m_strRep + "/" + b.strNom);
    }
    const Resultat r = Lance(tabArgs);
    ASSERT_EQ(r.nCode, 0) << r.strSortie;

    // "embedded NAME: descriptor at offset P, block of N bytes (method M) at offset Q, ..."
    const Octets abExe = Lit(strExe);
    size_t nLigne = 0;
    for (const Bibliotheque& b : tab) {
        SCOPED_TRACE(b.strNom);
        const size_t nFin = r.strSortie.find('\n', nLigne);
        ASSERT_NE(nFin, std::string::npos);
        const std::string strLigne = r.strSortie.substr(nLigne, nFin - nLigne);
        nLigne = nFin + 1;
        char szNom[64] = "";
        unsigned nPos = 0, nBloc = 0, nMethode = 9, nPosBloc = 0;
        size_t nTaille = 0;
        ASSERT_EQ(std::sscanf(strLigne.c_str(),
                              "embedded %63[^:]: descriptor at offset %u, block of %u bytes (method %u) at offset %u, "
                              "expands to %zu bytes",
                              szNom, &nPos, &nBloc, &nMethode, &nPosBloc, &nTaille),
                  6)
            << strLigne;
        EXPECT_EQ(szNom, b.strNom);
        EXPECT_EQ(nMethode, b.nMethode);
        EXPECT_EQ(nPosBloc, nPos + 526);
        EXPECT_EQ(nTaille, b.ab.size());
        ASSERT_LE(size_t(nPosBloc) + nBloc, abExe.size());
        uint32_t dwDescripteur;
        std::memcpy(&dwDescripteur, &abExe[nPos + 522], 4);
        EXPECT_EQ(dwDescripteur, nBloc);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(&abExe[nPos])), b.strNom);

        const std::string strSortie = m_strRep + "/" + b.strNom + ".out";
        const Resultat rSonde = Lance({strExe, std::to_string(nPos), strSortie});
        ASSERT_EQ(rSonde.nCode, 0);
        EXPECT_EQ(rSonde.strSortie, std::to_string(b.ab.size()) + " " + std::to_string(b.ab.size()) + "\n");
        EXPECT_TRUE(Lit(strSortie) == b.ab);
    }
}

// A damaged block is not detected by the expansion itself: it succeeds and reports 0.
TEST_F(EmbeddedBlockTest, BlocEndommage)
{
    const std::string strExe = m_strRep + "/probe";
    ASSERT_TRUE(Ecrit(m_strRep + "/lib.txt", zvtest::TextePseudo(100000, 5)));
    const Resultat r = Lance({ZV_ZVINFOEXE_PATH, ZV_EMBEDPROBE_PATH, "-o", strExe, "--embed", m_strRep + "/lib.txt"});
    ASSERT_EQ(r.nCode, 0);
    unsigned nPos = 0, nBloc = 0;
    ASSERT_EQ(std::sscanf(r.strSortie.c_str(), "embedded lib.txt: descriptor at offset %u, block of %u", &nPos, &nBloc), 2);

    struct Cas {
        const char* pszNom;
        size_t nDecalage;  // from the start of the block
        uint8_t byValeur;
        const char* pszAttendu;
    };
    const Cas cas[] = {
        {"payload cut by a wrong length", 1, 0x10, "0 100000\n"},
        {"unknown method", 0, 7, "0 0\n"},
        {"decompressed length beyond the payload", 8, 0x01, "0 16877216\n"},
    };
    std::vector<Cas> vCas(std::begin(cas), std::end(cas));
    // A header claiming more than any block of this length can expand to (here 0xFF0186A0
    // bytes): refused before the launcher takes gigabytes for it.
    if (uint64_t(nBloc) * 65536u < 0xFF0186A0u)
        vCas.push_back({"decompressed length no block of this size reaches", 8, 0xFF, "0 0\n"});
    for (const Cas& c : vCas) {
        SCOPED_TRACE(c.pszNom);
        Octets ab = Lit(strExe);
        ab[nPos + 526 + c.nDecalage] = c.byValeur;
        const std::string strCopie = m_strRep + "/damaged";
        ASSERT_TRUE(Ecrit(strCopie, ab));
        ASSERT_EQ(chmod(strCopie.c_str(), 0755), 0);
        const Resultat rSonde = Lance({strCopie, std::to_string(nPos), m_strRep + "/out"});
        EXPECT_EQ(rSonde.nCode, 0);
        EXPECT_EQ(rSonde.strSortie, c.pszAttendu);
    }
    // A descriptor whose block passes the end of the file: the read fails.
    Octets ab = Lit(strExe);
    const uint32_t dwTrop = nBloc + 1;
    std::memcpy(&ab[nPos + 522], &dwTrop, 4);
    ASSERT_TRUE(Ecrit(m_strRep + "/long", ab));
    ASSERT_EQ(chmod((m_strRep + "/long").c_str(), 0755), 0);
    EXPECT_EQ(Lance({m_strRep + "/long", std::to_string(nPos), m_strRep + "/out"}).nCode, 3);
    // Nor when it declares nearly 4 GB: the file's size is checked before any memory is taken.
    const uint32_t dwEnorme = 0xFFFFFFF0u;
    std::memcpy(&ab[nPos + 522], &dwEnorme, 4);
    ASSERT_TRUE(Ecrit(m_strRep + "/long", ab));
    EXPECT_EQ(Lance({m_strRep + "/long", std::to_string(nPos), m_strRep + "/out"}).nCode, 3);
}

}  // namespace
