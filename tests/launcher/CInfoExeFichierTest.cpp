// Tests of the information-block tool's core: finding the block and the data-files field, and writing fields.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/FaultInjection.h"
#include "support/TempDir.h"
#include "tools/zvinfoexe/CInfoExeFichier.h"

#include <sys/stat.h>

namespace {

// Packed fields are read by value: a reference to them may be misaligned.
template <typename T>
T Valeur(T v)
{
    return v;
}

// An image of an executable: filler, the block with its template values, filler, the
// data-files field with its template, filler.
struct Image {
    std::vector<unsigned char> ab;
    size_t nInfo = 0, nRep = 0;

    Image()
    {
        ab.assign(300, 0x5A);
        nInfo = ab.size();
        std::vector<unsigned char> bloc(sizeof(_stINFOEXE), 0);
        std::memcpy(&bloc[8], "zv150vm.so", 10);
        std::memcpy(&bloc[530], "default.zvl", 11);
        bloc[831] = 1;
        std::memcpy(&bloc[835], "default.zvp", 11);
        std::memset(&bloc[1116], 0xFF, 4);
        ab.insert(ab.end(), bloc.begin(), bloc.end());
        ab.insert(ab.end(), 77, 0x11);
        nRep = ab.size();
        std::vector<unsigned char> rep(gnTailleRepFichiers, 0);
        std::memcpy(&rep[0], ".\0**** Rep. Fichiers ****", 25);
        ab.insert(ab.end(), rep.begin(), rep.end());
        ab.insert(ab.end(), 40, 0x22);
    }
};

bool Charge(CInfoExeFichier& cl, const std::vector<unsigned char>& ab, std::string* pErreur = nullptr)
{
    CTString clErreur;
    bool b = cl.bChargeOctets(ab.data(), static_cast<unsigned>(ab.size()), &clErreur);
    if (pErreur)
        *pErreur = clErreur.pszGet();
    return b;
}

std::vector<unsigned char> Octets(const CInfoExeFichier& cl)
{
    const unsigned char* p = static_cast<const unsigned char*>(cl.clGetOctets().pGetData());
    return std::vector<unsigned char>(p, p + cl.clGetOctets().dwGetSize());
}

TEST(CInfoExeFichierTest, FindsTheTemplateFields)
{
    Image img;
    CInfoExeFichier cl;
    ASSERT_TRUE(Charge(cl, img.ab));
    EXPECT_EQ(img.nInfo, cl.nGetPosInfo());
    EXPECT_EQ(img.nRep, cl.nGetPosRepFichiers());
    EXPECT_STREQ("zv150vm.so", cl.stGetInfo().szNomFramework);
    EXPECT_STREQ(".", cl.clGetRepFichiers().pszGet());
}

TEST(CInfoExeFichierTest, WritesEveryFieldAndFindsThemAgain)
{
    Image img;
    CInfoExeFichier cl;
    ASSERT_TRUE(Charge(cl, img.ab));
    const std::string sLong235(235, 'd');
    struct Row {
        eCHAMPINFOEXE eChamp;
        const char* pszValeur;
    } rows[] = {
        {eCHAMP_FRAMEWORK, "myvm.so"},  {eCHAMP_ZVL, "/opt/app/app.zvl"}, {eCHAMP_POSITION, "-0x10"},
        {eCHAMP_RESTREINT, "1"},        {eCHAMP_COMMUN, "2"},             {eCHAMP_PROJET, "projet"},
        {eCHAMP_VERSION, "-2147483648"}, {eCHAMP_REPFICHIERS, sLong235.c_str()},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.pszValeur);
        CTString clErreur;
        EXPECT_TRUE(cl.bSetChamp(row.eChamp, row.pszValeur, &clErreur)) << clErreur.pszGet();
    }
    // Everything outside the two fields is unchanged.
    std::vector<unsigned char> ab = Octets(cl);
    EXPECT_TRUE(std::equal(ab.begin(), ab.begin() + img.nInfo, img.ab.begin()));
    EXPECT_TRUE(std::equal(ab.begin() + img.nInfo + sizeof(_stINFOEXE), ab.begin() + img.nRep,
                           img.ab.begin() + img.nInfo + sizeof(_stINFOEXE)));
    EXPECT_TRUE(std::equal(ab.begin() + img.nRep + gnTailleRepFichiers, ab.end(),
                           img.ab.begin() + img.nRep + gnTailleRepFichiers));

    CInfoExeFichier clRelu;
    ASSERT_TRUE(Charge(clRelu, ab));
    _stINFOEXE st = clRelu.stGetInfo();
    EXPECT_STREQ("myvm.so", st.szNomFramework);
    EXPECT_STREQ("/opt/app/app.zvl", st.szNomZVL);
    EXPECT_EQ(-16, Valeur(st.oPositionZVL));
    EXPECT_EQ(1, Valeur(st.bRechercheRestreinte));
    EXPECT_EQ(2, Valeur(st.bFrameworkCommun));
    EXPECT_STREQ("projet", st.szNomProjet);
    EXPECT_EQ(INT32_MIN, Valeur(st.nVersionActive));
    EXPECT_EQ(sLong235, clRelu.clGetRepFichiers().pszGet());

    // A shorter value written later replaces the whole text.
    ASSERT_TRUE(clRelu.bSetChamp(eCHAMP_REPFICHIERS, "/d", nullptr));
    ASSERT_TRUE(clRelu.bSetChamp(eCHAMP_FRAMEWORK, "v.so", nullptr));
    CInfoExeFichier clTroisieme;
    ASSERT_TRUE(Charge(clTroisieme, Octets(clRelu)));
    EXPECT_STREQ("/d", clTroisieme.clGetRepFichiers().pszGet());
    EXPECT_STREQ("v.so", clTroisieme.stGetInfo().szNomFramework);
    EXPECT_EQ(0, clTroisieme.stGetInfo().szNomFramework[6]);
}

TEST(CInfoExeFichierTest, RefusesValuesThatDoNotFit)
{
    Image img;
    CInfoExeFichier cl;
    ASSERT_TRUE(Charge(cl, img.ab));
    const std::string s236(236, 'x'), s261(261, 'x'), s281(281, 'x'), s522(522, 'x');
    const std::string s260(260, 'x'), s280(280, 'x'), s521(521, 'x');
    struct Row {
        const char* label;
        eCHAMPINFOEXE eChamp;
        std::string valeur;
        bool accepte;
    } rows[] = {
        {"runtime name of 521", eCHAMP_FRAMEWORK, s521, true},
        {"runtime name of 522", eCHAMP_FRAMEWORK, s522, false},
        {"application library of 260", eCHAMP_ZVL, s260, true},
        {"application library of 261", eCHAMP_ZVL, s261, false},
        {"project of 280", eCHAMP_PROJET, s280, true},
        {"project of 281", eCHAMP_PROJET, s281, false},
        {"data directory of 236", eCHAMP_REPFICHIERS, s236, false},
        {"empty project", eCHAMP_PROJET, "", false},
        {"version beyond 32 bits", eCHAMP_VERSION, "2147483648", false},
        {"flag not a number", eCHAMP_RESTREINT, "yes", false},
        {"position with junk", eCHAMP_POSITION, "12abc", false},
        {"position beyond 64 bits", eCHAMP_POSITION, "9223372036854775808", false},
        {"empty number", eCHAMP_COMMUN, "", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        std::vector<unsigned char> avant = Octets(cl);
        CTString clErreur;
        EXPECT_EQ(row.accepte, cl.bSetChamp(row.eChamp, row.valeur.c_str(), &clErreur));
        if (!row.accepte) {
            EXPECT_FALSE(clErreur.bEstVide());
            EXPECT_TRUE(avant == Octets(cl));
        }
    }
}

TEST(CInfoExeFichierTest, RefusesFilesWithoutExactlyOneOfEachField)
{
    Image img;
    struct Row {
        const char* label;
        std::vector<unsigned char> ab;
        const char* message;
    };
    std::vector<Row> rows;
    rows.push_back({"empty file", {}, "no information block"});
    rows.push_back({"filler only", std::vector<unsigned char>(5000, 0x5A), "no information block"});
    {
        std::vector<unsigned char> ab = img.ab;
        ab.insert(ab.end(), img.ab.begin() + img.nInfo, img.ab.begin() + img.nInfo + sizeof(_stINFOEXE));
        rows.push_back({"two blocks", ab, "more than one information block"});
    }
    {
        std::vector<unsigned char> ab = img.ab;
        ab[img.nRep + 5] = '-';
        rows.push_back({"marker damaged", ab, "no data-files directory field"});
    }
    {
        std::vector<unsigned char> ab = img.ab;
        ab.insert(ab.end(), img.ab.begin() + img.nRep, img.ab.begin() + img.nRep + gnTailleRepFichiers);
        rows.push_back({"two data fields", ab, "more than one data-files directory field"});
    }
    {
        std::vector<unsigned char> ab(img.ab.begin(), img.ab.begin() + img.nRep + 100);
        rows.push_back({"data field cut by the end of the file", ab, "no data-files directory field"});
    }
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        CInfoExeFichier cl;
        std::string sErreur;
        EXPECT_FALSE(Charge(cl, row.ab, &sErreur));
        EXPECT_NE(std::string::npos, sErreur.find(row.message)) << sErreur;
    }
}

// A text field of the information block may hold the data-files marker (a name patched in
// by hand, a hostile file). That copy is not the field: taking it made the two fields share
// bytes, so that setting the directory rewrote the runtime's name.
TEST(CInfoExeFichierTest, MarkerInsideTheInformationBlockIsNotTheDataField)
{
    Image img;
    const size_t nDansBloc = img.nInfo + 20; // in the runtime name's field, after its NUL
    static const char kszModele[] = ".\0**** Rep. Fichiers ****";
    std::vector<unsigned char> abDeux = img.ab;
    std::memcpy(&abDeux[nDansBloc], kszModele, sizeof(kszModele));
    CInfoExeFichier cl;
    std::string sErreur;
    ASSERT_TRUE(Charge(cl, abDeux, &sErreur)) << sErreur;
    EXPECT_EQ(img.nRep, cl.nGetPosRepFichiers());
    CTString clErreur;
    ASSERT_TRUE(cl.bSetChamp(eCHAMP_REPFICHIERS, "/srv/data", &clErreur)) << clErreur.pszGet();
    EXPECT_STREQ("zv150vm.so", cl.stGetInfo().szNomFramework);
    const std::vector<unsigned char> ab = Octets(cl);
    EXPECT_TRUE(std::equal(ab.begin(), ab.begin() + img.nRep, abDeux.begin()));

    // Without the real field, the copy in the block does not stand in for it.
    std::vector<unsigned char> abSeul(abDeux.begin(), abDeux.begin() + img.nRep);
    abSeul.insert(abSeul.end(), 300, 0x22);
    CInfoExeFichier clSeul;
    EXPECT_FALSE(Charge(clSeul, abSeul, &sErreur));
    EXPECT_NE(std::string::npos, sErreur.find("no data-files directory field")) << sErreur;
}

// Zeros written into the data-files field can complete the shape of a block that the former
// directory broke. Written, the file would hold two blocks, and the tool would refuse the file
// it had just written; the value is refused instead, and nothing changes.
TEST(CInfoExeFichierTest, RefusesAValueThatWouldMakeASecondBlock)
{
    // The data-files field first, as this tool writes it: a 230-character directory, zeros,
    // the marker at the end.
    std::vector<unsigned char> ab(gnTailleRepFichiers, 0);
    std::memset(&ab[0], 'd', 230);
    std::memcpy(&ab[CInfoExeFichier::nPosMarqueEcrite], gszRepFichiersMarque, sizeof(gszRepFichiersMarque) - 1);
    // Behind it, zeros and the block's two reserved words as a block at offset 225 would hold
    // them: only the directory's last five characters keep that place from being a block.
    const size_t nOmbre = 225;
    ab.resize(nOmbre + sizeof(_stINFOEXE), 0);
    const int32_t n1 = gnInfoExeReserve3, nMoins1 = gnInfoExeReserve4;
    std::memcpy(&ab[nOmbre + offsetof(_stINFOEXE, nReserve3)], &n1, 4);
    std::memcpy(&ab[nOmbre + offsetof(_stINFOEXE, nReserve4)], &nMoins1, 4);
    ab.insert(ab.end(), 41, 0x33);
    // The real block, whose runtime name's field holds, behind its NUL, a copy of the field's
    // template: a second data-files candidate, which lies inside the block and so is ignored.
    Image img;
    const size_t nInfo = ab.size();
    ab.insert(ab.end(), img.ab.begin() + img.nInfo, img.ab.begin() + img.nInfo + sizeof(_stINFOEXE));
    static const char kszModele[] = ".\0**** Rep. Fichiers ****";
    std::memcpy(&ab[nInfo + 20], kszModele, sizeof(kszModele));
    ab.insert(ab.end(), 40, 0x22);

    CInfoExeFichier cl;
    std::string sErreur;
    ASSERT_TRUE(Charge(cl, ab, &sErreur)) << sErreur;
    ASSERT_EQ(nInfo, cl.nGetPosInfo());
    ASSERT_EQ(0u, cl.nGetPosRepFichiers());

    for (const char* pszValeur : {"", "/srv/data"}) {
        SCOPED_TRACE(pszValeur);
        CTString clErreur;
        EXPECT_FALSE(cl.bSetChamp(eCHAMP_REPFICHIERS, pszValeur, &clErreur));
        EXPECT_NE(nullptr, std::strstr(clErreur.pszGet(), "ambiguous")) << clErreur.pszGet();
        EXPECT_NE(nullptr, std::strstr(clErreur.pszGet(), "more than one information block")) << clErreur.pszGet();
        EXPECT_EQ(ab, Octets(cl));
        EXPECT_EQ(nInfo, cl.nGetPosInfo());
    }

    // A directory long enough to keep the place broken is written, and found again.
    const std::string strLong(228, 'e');
    CTString clErreur;
    ASSERT_TRUE(cl.bSetChamp(eCHAMP_REPFICHIERS, strLong.c_str(), &clErreur)) << clErreur.pszGet();
    CInfoExeFichier clRelu;
    ASSERT_TRUE(Charge(clRelu, Octets(cl), &sErreur)) << sErreur;
    EXPECT_EQ(nInfo, clRelu.nGetPosInfo());
    EXPECT_EQ(strLong, clRelu.clGetRepFichiers().pszGet());
}

// Patching a file in place, every call failing in turn: the executable keeps its former bytes
// and mode, or holds the patched ones, never a mix; a failure comes with a message.
TEST(CInfoExeFichierTest, PatchingUnderInjectedFaults)
{
    zvtest::TempDir dir;
    ASSERT_TRUE(dir.ok());
    const std::string sExe = dir.path("app");
    Image image;
    image.ab.insert(image.ab.end(), 100000, 0x33); // code after the fields, as in a real program
    const std::string sAvant(image.ab.begin(), image.ab.end());
    std::string sApres;
    {
        CInfoExeFichier cl;
        ASSERT_TRUE(Charge(cl, image.ab));
        ASSERT_TRUE(cl.bSetChamp(eCHAMP_PROJET, "facture.zvp", nullptr));
        const std::vector<unsigned char> ab = Octets(cl);
        sApres.assign(ab.begin(), ab.end());
    }
    zvtest::Sweep(
        "zvinfoexe patching in place",
        [&] {
            zvtest::WriteFile(sExe, sAvant);
            chmod(sExe.c_str(), 0751);
        },
        [&] {
            CInfoExeFichier cl;
            CTString clErreur;
            const bool bOk = cl.bCharge(sExe.c_str(), &clErreur) && cl.bSetChamp(eCHAMP_PROJET, "facture.zvp", &clErreur) &&
                             cl.bEcrit(sExe.c_str(), nullptr, &clErreur);
            if (!bOk) {
                EXPECT_FALSE(clErreur.bEstVide());
            }
            return bOk;
        },
        [&](bool bOk, bool) {
            const std::string s = zvtest::sReadFile(sExe);
            EXPECT_TRUE(s == sApres || (!bOk && s == sAvant)) << s.size();
            struct stat st;
            ASSERT_EQ(stat(sExe.c_str(), &st), 0);
            EXPECT_EQ(st.st_mode & 07777, 0751u);
        });
}

}  // namespace
