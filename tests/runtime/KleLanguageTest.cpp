// The runtime's small language and its "nKLE" exports, driven through the external call interface.
#include <unistd.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "launcher/ZVExternal.h"

namespace {

class KleLanguageTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(0, nZVInitFromName(ZV_RUNTIME_DIR "zv150vm.so", 0)); }
    void TearDown() override
    {
        ZVTerm();
        for (const auto& str : m_vFichiers)
            unlink(str.c_str());
    }
    std::string Fichier(const std::string& strTexte)
    {
        char sz[] = "/tmp/zvkleXXXXXX";
        int fd = mkstemp(sz);
        EXPECT_GE(fd, 0);
        EXPECT_EQ(static_cast<ssize_t>(strTexte.size()), write(fd, strTexte.data(), strTexte.size()));
        close(fd);
        m_vFichiers.push_back(sz);
        return sz;
    }
    std::string Erreur() const { return pszZVGetLastError() ? pszZVGetLastError() : "(null)"; }

    std::vector<std::string> m_vFichiers;
};

TEST_F(KleLanguageTest, ExpressionsFillEveryFieldOfTheReturnRecord)
{
    const struct {
        const char* pszExpression;
        uint16_t wType;
        int32_t nValeur;
        int64_t i64Valeur;
        double dValeur;
        const char* pszTexte;
    } aCas[] = {
        {"1 + 2 * 3", KLE_TYPE_ENTIER, 7, 7, 7.0, "7"},
        {"(1 + 2) * 3", KLE_TYPE_ENTIER, 9, 9, 9.0, "9"},
        {"7 / 2", KLE_TYPE_ENTIER, 3, 3, 3.0, "3"},
        {"-7 % 3", KLE_TYPE_ENTIER, -1, -1, -1.0, "-1"},
        {"7 / 2.0", KLE_TYPE_REEL, 3, 3, 3.5, "3.5"},
        {"5000000000 * 2", KLE_TYPE_ENTIER, 1410065408, 10000000000LL, 1e10, "10000000000"},
        {"\"ab\" + 1", KLE_TYPE_CHAINE, 3, 0, 0.0, "ab1"},
        {"\"a\\\"b\\\\\"", KLE_TYPE_CHAINE, 4, 0, 0.0, "a\"b\\"},
        {"len(\"\xE9t\xE9\")", KLE_TYPE_ENTIER, 3, 3, 3.0, "3"},
        {"not true or 1 = 1.0", KLE_TYPE_BOOLEEN, 1, 1, 1.0, "true"},
        {"\"abc\" < \"abd\" and 2 >= 3", KLE_TYPE_BOOLEEN, 0, 0, 0.0, "false"},
        {"1 <> 2", KLE_TYPE_BOOLEEN, 1, 1, 1.0, "true"},
        {"int(\"-42\")", KLE_TYPE_ENTIER, -42, -42, -42.0, "-42"},
        {"real(\"2.5\") * 2", KLE_TYPE_REEL, 5, 5, 5.0, "5"},
        {"str(12) + str(true)", KLE_TYPE_CHAINE, 6, 0, 0.0, "12true"},
        {"isnull(null)", KLE_TYPE_BOOLEEN, 1, 1, 1.0, "true"},
        {"false or 0", KLE_TYPE_BOOLEEN, 0, 0, 0.0, "false"},
    };
    for (const auto& cas : aCas) {
        SCOPED_TRACE(cas.pszExpression);
        ASSERT_EQ(0, nZVEvalue(cas.pszExpression)) << Erreur();
        EXPECT_EQ(cas.wType, wZVGetTypeValeurRetour());
        EXPECT_EQ(cas.nValeur, nZVGetValeurRetour());
        EXPECT_EQ(cas.i64Valeur, i64ZVGetValeurRetour());
        EXPECT_DOUBLE_EQ(cas.dValeur, dZVGetValeurRetour());
        EXPECT_STREQ(cas.pszTexte, pszZVGetValeurRetour());
        EXPECT_EQ(0, bZVValeurRetourNULL());
        EXPECT_EQ(0, nZVGetLastError());
        EXPECT_STREQ("", pszZVGetLastError());
    }
    ASSERT_EQ(0, nZVEvalue("null"));
    EXPECT_EQ(KLE_TYPE_VIDE, wZVGetTypeValeurRetour());
    EXPECT_NE(0, bZVValeurRetourNULL());
    EXPECT_STREQ("", pszZVGetValeurRetour());
}

TEST_F(KleLanguageTest, FaultsGiveTheirCodeAMessageAndANullValue)
{
    const std::string strProfond = std::string(300, '(') + "1" + std::string(300, ')');
    const struct {
        std::string strExpression;
        int32_t nCode;
        const char* pszMessage;
    } aCas[] = {
        {"1 / 0", 105, "expression, line 1: division by zero."},
        {"1.5 / 0", 105, "expression, line 1: division by zero."},
        {"9223372036854775807 + 1", 102, "expression, line 1: integer overflow."},
        {"-9223372036854775807 - 2", 102, "expression, line 1: integer overflow."},
        {"99999999999999999999", 102, "expression, line 1: the integer 99999999999999999999 is too large."},
        {"inconnue", 101, "expression, line 1: unknown variable inconnue."},
        {"Elem.Prop", 101, "expression, line 1: unknown property Elem.Prop."},
        {"Proc(1)", 101, "expression, line 1: unknown procedure Proc."},
        {"\"a\" < 1", 102, "expression, line 1: '<' compares two numbers or two strings."},
        {"\"a\" - 1", 102, "expression, line 1: '-' needs numbers."},
        {"int(\"12a\")", 102, "expression, line 1: int() cannot convert this value."},
        {"(1", 100, "expression, line 1: ')' expected before end of statement."},
        {"1 2", 100, "expression, line 1: unexpected number."},
        {"\"abc", 100, "expression, line 1: a string is not closed."},
        {"1 $ 2", 100, "expression, line 1: unexpected '$'."},
        {"", 100, "expression, line 1: an expression is missing."},
        {strProfond, 108, "expression, line 1: the expression is nested too deeply."},
    };
    for (const auto& cas : aCas) {
        SCOPED_TRACE(cas.strExpression.substr(0, 40));
        ASSERT_EQ(0, nZVEvalue("41 + 1"));
        EXPECT_EQ(cas.nCode, nZVEvalue(cas.strExpression.c_str()));
        EXPECT_EQ(cas.nCode, nZVGetLastError());
        EXPECT_EQ(cas.pszMessage, Erreur());
        EXPECT_NE(0, bZVValeurRetourNULL()) << "the value of the previous call is gone";
        EXPECT_EQ(KLE_TYPE_VIDE, wZVGetTypeValeurRetour());
    }
    EXPECT_EQ(106, nZVEvalue(nullptr));
    EXPECT_EQ(106, nZVExecuteEx(nullptr));
}

TEST_F(KleLanguageTest, ProceduresOfALibraryWithPushedParameters)
{
    const std::string strZVL = Fichier("# a library\r\n"
                                       "compteur = 10\r\n"
                                       "procedure Ajoute(a, b)\r\n"
                                       "  somme = a + b   # local\r\n"
                                       "  global derniere = somme\r\n"
                                       "  return somme\r\n"
                                       "end\r\n"
                                       "procedure Fact(n)\r\n"
                                       "  if n <= 1 then return 1\r\n"
                                       "  return n * Fact(n - 1)\r\n"
                                       "end\r\n"
                                       "procedure Sans()\n"
                                       "  x = 1\n"
                                       "end\n"
                                       "procedure Boucle(n)\n"
                                       "  return Boucle(n + 1)\n"
                                       "end\n"
                                       "procedure Refuse(m)\n"
                                       "  error 4242, \"refused: \" + m\n"
                                       "end\n");
    ASSERT_EQ(0, nZVOuvreZVL(strZVL.c_str())) << Erreur();
    ASSERT_EQ(0, nZVLitVariableKL("compteur", 0, 0)) << "the opening statements ran";
    EXPECT_EQ(10, nZVGetValeurRetour());

    EXPECT_EQ(0, nZVEmpile(KLE_TYPE_ENTIER, 40));
    EXPECT_EQ(0, nZVEmpile(KLE_TYPE_ENTIER, 2));
    EXPECT_EQ(0, nZVAppelle(nullptr, "Ajoute", 2, 0)) << Erreur();
    EXPECT_EQ(42, nZVGetValeurRetour());
    EXPECT_EQ(101, nZVLitVariableKL("somme", 0, 0)) << "locals stay in the procedure";
    EXPECT_EQ(0, nZVLitVariableKL("derniere", 0, 0));
    EXPECT_EQ(42, nZVGetValeurRetour());

    EXPECT_EQ(0, nZVEmpile(KLE_TYPE_ENTIER, 20));
    EXPECT_EQ(0, nZVAppelle(nullptr, "Fact", 1, 0)) << Erreur();
    EXPECT_EQ(2432902008176640000LL, i64ZVGetValeurRetour());
    EXPECT_EQ(0, nZVAppelle(nullptr, "Sans", 0, 0));
    EXPECT_NE(0, bZVValeurRetourNULL());

    // Too few pushed values: nothing is used up. Too many arguments, unknown names, depth.
    EXPECT_EQ(0, nZVEmpile(KLE_TYPE_ENTIER, 1));
    EXPECT_EQ(103, nZVAppelle(nullptr, "Ajoute", 2, 0));
    EXPECT_EQ(0, nZVEmpile(KLE_TYPE_ENTIER, 2));
    EXPECT_EQ(0, nZVAppelle(nullptr, "Ajoute", 2, 0));
    EXPECT_EQ(3, nZVGetValeurRetour());
    EXPECT_EQ(0, nZVEmpile(KLE_TYPE_ENTIER, 1));
    EXPECT_EQ(103, nZVAppelle(nullptr, "Sans", 1, 0));
    EXPECT_EQ(101, nZVAppelle(nullptr, "Absente", 0, 0));
    EXPECT_EQ(101, nZVAppelle("autre", "Ajoute", 0, 0));
    EXPECT_EQ(106, nZVAppelle(nullptr, nullptr, 0, 0));
    EXPECT_EQ(106, nZVAppelle(nullptr, "Sans", -1, 0));
    EXPECT_EQ(0, nZVEmpile(KLE_TYPE_ENTIER, 0));
    EXPECT_EQ(108, nZVAppelle(nullptr, "Boucle", 1, 0));
    EXPECT_NE(std::string::npos, Erreur().find("nested too deeply")) << Erreur();

    // The application's own error: result 107, its code and message in the error record.
    EXPECT_EQ(0, nZVEmpile(KLE_TYPE_CHAINE, reinterpret_cast<intptr_t>("no stock")));
    EXPECT_EQ(107, nZVAppelle(nullptr, "Refuse", 1, 0));
    EXPECT_EQ(4242, nZVGetLastError());
    EXPECT_STREQ("refused: no stock", pszZVGetLastError());
    EXPECT_EQ(0, nZVEvalue("1"));
    EXPECT_EQ(0, nZVGetLastError()) << "each call starts without error";
}

TEST_F(KleLanguageTest, LibrariesByNumberAliasAndCompiledText)
{
    const std::string strA = Fichier("procedure Nom()\nreturn \"A\"\nend\n");
    const std::string strB = Fichier("procedure Nom()\nreturn \"B\"\nend\nprocedure SeulB()\nreturn 2\nend\n");
    std::vector<std::string> vModules;
    auto Module = [](void* p, const char* psz) { static_cast<std::vector<std::string>*>(p)->push_back(psz); };
    EXPECT_EQ(0, nZVSetCallbackModule(Module, &vModules));
    ASSERT_EQ(0, nZVOuvreZVLNum(strA.c_str(), 3));
    ASSERT_EQ(0, nZVOuvreZVLRes(strB.c_str(), "res"));
    EXPECT_EQ((std::vector<std::string>{strA, strB}), vModules);
    EXPECT_EQ(0, nZVAppelle("3", "Nom", 0, 0));
    EXPECT_STREQ("A", pszZVGetValeurRetour());
    EXPECT_EQ(0, nZVAppelle("res", "Nom", 0, 0));
    EXPECT_STREQ("B", pszZVGetValeurRetour());
    EXPECT_EQ(0, nZVAppelle(nullptr, "SeulB", 0, 0));
    ZVFermeZVLRes(strB.c_str(), "res");
    EXPECT_EQ(101, nZVAppelle(nullptr, "SeulB", 0, 0));
    ZVFermeZVLNum(3);
    EXPECT_EQ(101, nZVAppelle(nullptr, "Nom", 0, 0));

    // Compiled from text: checked as a whole, kept under its name only when well formed.
    EXPECT_EQ(0, nZVCompile("procedure Double(x)\nreturn x * 2\nend", nullptr));
    EXPECT_EQ(101, nZVAppelle(nullptr, "Double", 0, 0)) << "without a name the code is only checked";
    const struct {
        const char* pszCode;
        const char* pszMessage;
    } aMauvais[] = {
        {"procedure P(\nend", "code, line 1: malformed parameter list."},
        {"procedure P(a, a)\nend", "code, line 1: the parameter a is named twice."},
        {"procedure P()\nprocedure Q()\nend\nend", "code, line 2: a procedure inside a procedure."},
        {"end", "code, line 1: 'end' without 'procedure'."},
        {"procedure P()\nx = 1", "code, line 1: the procedure P has no 'end'."},
        {"procedure P()\nend\nprocedure P()\nend", "code, line 3: the procedure P is defined twice."},
        {"procedure P()\n  x = (1 +\nend", "code, line 2: a value expected before end of statement."},
        {"if 1 then", "code, line 1: a statement is missing after 'then'."},
        {"x = \"a\\q\"", "code, line 1: unknown escape \\q."},
    };
    for (const auto& cas : aMauvais) {
        SCOPED_TRACE(cas.pszCode);
        EXPECT_EQ(100, nZVCompile(cas.pszCode, "lib"));
        EXPECT_EQ(cas.pszMessage, Erreur());
    }
    EXPECT_EQ(0, nZVCompile("procedure Double(x)\nreturn x * 2\nend", "lib"));
    EXPECT_EQ(0, nZVEmpile(KLE_TYPE_ENTIER, 21));
    EXPECT_EQ(0, nZVAppelle("lib", "Double", 1, 0));
    EXPECT_EQ(42, nZVGetValeurRetour());

    EXPECT_EQ(104, nZVOuvreZVL("/no/such/library.zvl"));
    EXPECT_EQ(104, nZVOuvreZVL("/tmp"));
    EXPECT_EQ(106, nZVOuvreZVL(nullptr));
    EXPECT_EQ(106, nZVOuvreZVLRes(strA.c_str(), ""));
    void* pListe = nullptr;
    EXPECT_EQ(0, nZVGetLibShop(&pListe));
    ASSERT_NE(nullptr, pListe);
    EXPECT_EQ(std::string("@lib\0\0", 6), std::string(static_cast<const char*>(pListe), 6));
}

TEST_F(KleLanguageTest, PushedValuesOfEveryTypeAndBuffersWithNulBytes)
{
    ASSERT_EQ(0, nZVCompile("procedure Id(x)\nreturn x\nend", "lib"));
    const double d = 2.25;
    const int64_t i64 = -5000000000LL;
    const int32_t n32 = -7;
    const char abyBuffer[] = {'a', '\0', 'b', '\xFF'};
    ASSERT_EQ(0, nZVEmpile(KLE_TYPE_REEL, reinterpret_cast<intptr_t>(&d)));
    ASSERT_EQ(0, nZVAppelle(nullptr, "Id", 1, 0));
    EXPECT_EQ(KLE_TYPE_REEL, wZVGetTypeValeurRetour());
    EXPECT_DOUBLE_EQ(2.25, dZVGetValeurRetour());
    ASSERT_EQ(0, nZVEmpileEx(KLE_TYPE_ENTIER, &i64, 8));
    ASSERT_EQ(0, nZVAppelle(nullptr, "Id", 1, 0));
    EXPECT_EQ(i64, i64ZVGetValeurRetour());
    ASSERT_EQ(0, nZVEmpileEx(KLE_TYPE_ENTIER, &n32, 4));
    ASSERT_EQ(0, nZVAppelle(nullptr, "Id", 1, 0));
    EXPECT_EQ(-7, nZVGetValeurRetour());
    ASSERT_EQ(0, nZVEmpile(KLE_TYPE_BOOLEEN, 5));
    ASSERT_EQ(0, nZVAppelle(nullptr, "Id", 1, 0));
    EXPECT_EQ(KLE_TYPE_BOOLEEN, wZVGetTypeValeurRetour());
    EXPECT_EQ(1, bZVGetValeurRetour());
    ASSERT_EQ(0, nZVEmpile(KLE_TYPE_VIDE, 0));
    ASSERT_EQ(0, nZVAppelle(nullptr, "Id", 1, 0));
    EXPECT_NE(0, bZVValeurRetourNULL());

    // A buffer comes back whole, NUL and high bytes included; a string of a given length too.
    ASSERT_EQ(0, nZVEmpileEx(KLE_TYPE_BUFFER, abyBuffer, 4));
    ASSERT_EQ(0, nZVAppelle(nullptr, "Id", 1, 0));
    EXPECT_EQ(KLE_TYPE_BUFFER, wZVGetTypeValeurRetour());
    ASSERT_EQ(4, nZVLongueurValeurRetour());
    EXPECT_EQ(0, std::memcmp(abyBuffer, pbyZVGetValeurRetour(), 4));
    ASSERT_EQ(0, nZVEmpileEx(KLE_TYPE_CHAINE, "abcdef", 3));
    ASSERT_EQ(0, nZVAppelle(nullptr, "Id", 1, 0));
    EXPECT_STREQ("abc", pszZVGetValeurRetour());
    EXPECT_EQ(3, nZVLongueurValeurRetour());

    // Malformed pushes are refused and push nothing.
    EXPECT_EQ(106, nZVEmpile(KLE_TYPE_CHAINE, 0));
    EXPECT_EQ(106, nZVEmpile(KLE_TYPE_REEL, 0));
    EXPECT_EQ(106, nZVEmpile(99, 1));
    EXPECT_EQ(106, nZVEmpileEx(KLE_TYPE_ENTIER, &n32, 3));
    EXPECT_EQ(106, nZVEmpileEx(KLE_TYPE_BUFFER, nullptr, 2));
    EXPECT_EQ(106, nZVEmpileEx(KLE_TYPE_BUFFER, abyBuffer, -1));
    EXPECT_EQ(103, nZVAppelle(nullptr, "Id", 1, 0));

    // The stack is bounded; ZVRepriseErreur empties it.
    int32_t nResultat = 0;
    for (int i = 0; i < 2000 && nResultat == 0; ++i)
        nResultat = nZVEmpile(KLE_TYPE_ENTIER, i);
    EXPECT_EQ(103, nResultat);
    ZVRepriseErreur();
    EXPECT_EQ(0, nZVGetLastError());
    EXPECT_EQ(103, nZVAppelle(nullptr, "Id", 1, 0));
}

TEST_F(KleLanguageTest, VariablesAndElementPropertiesAsNamedValues)
{
    const double d = 1.5;
    EXPECT_EQ(0, nZVEcritVariableKL("r", KLE_TYPE_REEL, reinterpret_cast<intptr_t>(&d)));
    EXPECT_EQ(0, nZVEcritVariableKL("s", KLE_TYPE_CHAINE, reinterpret_cast<intptr_t>("12")));
    EXPECT_EQ(0, nZVLitVariableKL("s", KLE_TYPE_ENTIER, 0));
    EXPECT_EQ(KLE_TYPE_ENTIER, wZVGetTypeValeurRetour());
    EXPECT_EQ(12, nZVGetValeurRetour());
    EXPECT_EQ(0, nZVLitVariableKL("r", KLE_TYPE_ENTIER, 0));
    EXPECT_EQ(1, nZVGetValeurRetour()) << "a real converts to an integer without its fraction";
    EXPECT_EQ(0, nZVEcritVariableKL("t", KLE_TYPE_CHAINE, reinterpret_cast<intptr_t>("douze")));
    EXPECT_EQ(102, nZVLitVariableKL("t", KLE_TYPE_ENTIER, 0));
    EXPECT_EQ(0, nZVEvalue("r * 2 + int(s)"));
    EXPECT_DOUBLE_EQ(15.0, dZVGetValeurRetour());
    EXPECT_EQ(106, nZVEcritVariableKL(nullptr, KLE_TYPE_ENTIER, 1));
    EXPECT_EQ(106, nZVLitVariableKL(nullptr, 0, 0));

    ASSERT_EQ(0, nZVExecuteEx("Client.Nom = \"Dupont\"; Client.Tel[2] = 33; Grille.Case[1, 2] = \"x\"\n"
                              "Client.Adresse.Ville = \"Lyon\"; Client.Adresse.Code[1] = 69000"));
    EXPECT_EQ(0, nZVLitPropElem("Client", "Nom"));
    EXPECT_STREQ("Dupont", pszZVGetValeurRetour());
    EXPECT_EQ(0, nZVLitPropElemInd("Client", "Tel", 2));
    EXPECT_EQ(33, nZVGetValeurRetour());
    EXPECT_EQ(0, nZVLitPropElemAnyInd("Client", "Tel", KLE_TYPE_CHAINE, 2));
    EXPECT_STREQ("33", pszZVGetValeurRetour());
    EXPECT_EQ(0, nZVLitPropElemInd2("Grille", "Case", 1, 2));
    EXPECT_STREQ("x", pszZVGetValeurRetour());
    EXPECT_EQ(102, nZVLitPropElemAnyInd2("Grille", "Case", KLE_TYPE_ENTIER, 1, 2));
    EXPECT_EQ(0, nZVLitPropSousElem("Client", "Adresse", "Ville", 0));
    EXPECT_STREQ("Lyon", pszZVGetValeurRetour());
    EXPECT_EQ(0, nZVLitPropSousElemInd("Client", "Adresse", "Code", KLE_TYPE_REEL, 1));
    EXPECT_DOUBLE_EQ(69000.0, dZVGetValeurRetour());
    EXPECT_EQ(101, nZVLitPropElemInd("Client", "Tel", 3));
    EXPECT_EQ(106, nZVLitPropElem(nullptr, "Nom"));
    EXPECT_EQ(106, nZVLitPropElem("Client", ""));

    // Writing takes the last pushed value.
    EXPECT_EQ(103, nZVEcritPropElem("Client", "Age"));
    EXPECT_EQ(0, nZVEmpile(KLE_TYPE_ENTIER, 41));
    EXPECT_EQ(0, nZVEcritPropElem("Client", "Age"));
    EXPECT_EQ(0, nZVEmpile(KLE_TYPE_ENTIER, 5));
    EXPECT_EQ(0, nZVEcritPropElemInd("Client", "Tel", 3));
    EXPECT_EQ(0, nZVEmpile(KLE_TYPE_ENTIER, 6));
    EXPECT_EQ(0, nZVEcritPropElemInd2("Grille", "Case", 2, 2));
    EXPECT_EQ(0, nZVEmpile(KLE_TYPE_CHAINE, reinterpret_cast<intptr_t>("Paris")));
    EXPECT_EQ(0, nZVEcritPropSousElem("Client", "Adresse", "Ville", 0));
    EXPECT_EQ(0, nZVEmpile(KLE_TYPE_ENTIER, 75000));
    EXPECT_EQ(0, nZVEcritPropSousElemInd("Client", "Adresse", "Code", 1, 0));
    EXPECT_EQ(0, nZVEvalue("str(Client.Age) + Client.Tel[3] + Grille.Case[2, 2] + Client.Adresse.Ville + "
                           "Client.Adresse.Code[1]"));
    EXPECT_STREQ("4156Paris75000", pszZVGetValeurRetour());

    const struct {
        const char* pszElement;
        const char* pszChamp;
        bool bExiste;
    } aChamps[] = {{"Client", "Nom", true},    {"Client", "Tel", true},      {"Client", "Adresse", true},
                   {"Client", "No", false},    {"Client", "NomX", false},    {"Grille", "Case", true},
                   {"Autre", "Nom", false}};
    for (const auto& cas : aChamps) {
        SCOPED_TRACE(cas.pszChamp);
        EXPECT_EQ(0, nZVChampExiste(cas.pszElement, cas.pszChamp));
        EXPECT_EQ(KLE_TYPE_BOOLEEN, wZVGetTypeValeurRetour());
        EXPECT_EQ(cas.bExiste ? 1 : 0, bZVGetValeurRetour());
    }
}

TEST_F(KleLanguageTest, CurrentElementTranslationsAndCallbacks)
{
    ASSERT_EQ(0, nZVExecuteEx("Client.Nom = \"Dupont\"; Fournisseur.Nom = \"Durand\""));
    EXPECT_STREQ("", static_cast<const char*>(pZVGetContexteElement()));
    EXPECT_EQ(101, nZVEvalue("self.Nom"));
    void* pSauve1 = pZVModifieContexteElement("Client");
    ASSERT_NE(nullptr, pSauve1);
    EXPECT_STREQ("Client", static_cast<const char*>(pZVGetContexteElement()));
    EXPECT_EQ(0, nZVEvalue("self.Nom"));
    EXPECT_STREQ("Dupont", pszZVGetValeurRetour());
    void* pSauve2 = pZVModifieContexteElement("Fournisseur");
    EXPECT_EQ(0, nZVLitPropElem("self", "Nom"));
    EXPECT_STREQ("Durand", pszZVGetValeurRetour());
    EXPECT_STREQ("Client", static_cast<const char*>(pZVRestaureContexteElement(pSauve2)));
    EXPECT_EQ(nullptr, pZVRestaureContexteElement(pSauve2)) << "a saved state is restored once";
    EXPECT_STREQ("", static_cast<const char*>(pZVRestaureContexteElement(pSauve1)));

    ASSERT_EQ(0, nZVExecuteEx("message \"Bonjour\", \"Hello\"; message \"Client:Bonjour\", \"Dear customer\""));
    EXPECT_EQ(0, nZVMessTraduit(reinterpret_cast<intptr_t>("Bonjour")));
    EXPECT_STREQ("Hello", pszZVGetValeurRetour());
    EXPECT_EQ(0, nZVMessTraduit(reinterpret_cast<intptr_t>("Inconnu")));
    EXPECT_STREQ("Inconnu", pszZVGetValeurRetour());
    EXPECT_EQ(0, nZVMessTraduitElement(reinterpret_cast<intptr_t>("Client"), reinterpret_cast<intptr_t>("Bonjour")));
    EXPECT_STREQ("Dear customer", pszZVGetValeurRetour());
    EXPECT_EQ(0, nZVMessTraduitElement(reinterpret_cast<intptr_t>("Autre"), reinterpret_cast<intptr_t>("Bonjour")));
    EXPECT_STREQ("Hello", pszZVGetValeurRetour());
    EXPECT_EQ(106, nZVMessTraduit(0));
    ASSERT_EQ(0, nZVCompile("procedure Id(x)\nreturn x\nend", "lib"));
    EXPECT_EQ(0, nZVEmpileMessTraduit(reinterpret_cast<intptr_t>("Bonjour")));
    EXPECT_EQ(0, nZVEmpileMessTraduitElement(reinterpret_cast<intptr_t>("Client"),
                                             reinterpret_cast<intptr_t>("Bonjour")));
    EXPECT_EQ(0, nZVAppelle(nullptr, "Id", 1, 0));
    EXPECT_STREQ("Dear customer", pszZVGetValeurRetour());
    EXPECT_EQ(0, nZVAppelle(nullptr, "Id", 1, 0));
    EXPECT_STREQ("Hello", pszZVGetValeurRetour());

    std::vector<std::string> vImprime, vErreurs;
    auto Ajoute = [](void* p, const char* psz) { static_cast<std::vector<std::string>*>(p)->push_back(psz); };
    EXPECT_EQ(0, nZVSetCallbackNext(Ajoute, &vImprime));
    EXPECT_EQ(0, nZVSetPECallback(Ajoute, &vErreurs));
    EXPECT_EQ(0, nZVExecuteEx("print 1 + 1; print \"ligne\"; if false then print \"jamais\""));
    EXPECT_EQ((std::vector<std::string>{"2", "ligne"}), vImprime);
    EXPECT_EQ(101, nZVExecuteEx("print 1\nprint absente\nprint 3"));
    EXPECT_EQ((std::vector<std::string>{"2", "ligne", "1"}), vImprime) << "the run stops at the fault";
    EXPECT_EQ((std::vector<std::string>{"code, line 2: unknown variable absente."}), vErreurs);

    void* p = nullptr;
    int nDQ = 0;
    EXPECT_EQ(0, nZVSetDQContextNext(&nDQ));
    EXPECT_EQ(0, nZVGetDQContext(&p));
    EXPECT_EQ(&nDQ, p);
    EXPECT_EQ(0, nZVGetVMData(&p));
    EXPECT_STREQ("zv150vm.so 15.00", static_cast<const char*>(p));
    EXPECT_EQ(0, nZVGetIEXE(&p));
    EXPECT_NE(nullptr, p);
    EXPECT_EQ(106, nZVGetIEXE(nullptr));
}

TEST_F(KleLanguageTest, ProjectInitialisationRunsTheLibrarysProcedure)
{
    EXPECT_EQ(0, nZVInitProjet("Compta")) << "no InitProjet procedure: nothing to run";
    EXPECT_NE(0, bZVValeurRetourNULL());
    ASSERT_EQ(0, nZVCompile("procedure InitProjet(p)\nglobal projet = p\nreturn \"ready: \" + p\nend", "lib"));
    EXPECT_EQ(0, nZVInitProjet("Compta"));
    EXPECT_STREQ("ready: Compta", pszZVGetValeurRetour());
    EXPECT_EQ(106, nZVInitProjet(nullptr));
}

}  // namespace
