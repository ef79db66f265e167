// Tests of the message access: the generated block against its source texts, look-up, loading and formatting.
#include "base/messages/AccesDllRes.h"

#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "base/messages/CResAnsi.h"
#include "base/messages/CTStringFormatMessage.h"
#include "support/Sentinel.h"

namespace {

// The message texts beside the sources: tests/base/messages/ -> base/messages/messages.txt.
std::string CheminTextes()
{
    std::string s = __FILE__;
    s.erase(s.rfind("tests/base/messages/"));
    return s + "base/messages/messages.txt";
}

int Hexa(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Reads the "identifier[ name]<TAB>text" lines with their escapes, independently of the build's tool.
std::vector<std::pair<unsigned int, std::string>> LitTextes()
{
    std::vector<std::pair<unsigned int, std::string>> tab;
    std::ifstream f(CheminTextes(), std::ios::binary);
    EXPECT_TRUE(f.good()) << CheminTextes();
    std::string sLigne;
    while (std::getline(f, sLigne)) {
        if (sLigne.empty() || sLigne[0] == '#')
            continue;
        const std::size_t nTab = sLigne.find('\t');
        EXPECT_NE(std::string::npos, nTab) << sLigne;
        if (nTab == std::string::npos)
            continue;
        std::string sTexte;
        for (std::size_t i = nTab + 1; i < sLigne.size(); ++i) {
            if (sLigne[i] != '\\' || i + 1 >= sLigne.size()) {
                sTexte += sLigne[i];
                continue;
            }
            const char c = sLigne[++i];
            if (c == 'n') sTexte += '\n';
            else if (c == 'r') sTexte += '\r';
            else if (c == 't') sTexte += '\t';
            else if (c == 'x' && i + 2 < sLigne.size() && Hexa(sLigne[i + 1]) >= 0 && Hexa(sLigne[i + 2]) >= 0) {
                sTexte += static_cast<char>(Hexa(sLigne[i + 1]) * 16 + Hexa(sLigne[i + 2]));
                i += 2;
            } else sTexte += c;
        }
        tab.emplace_back(static_cast<unsigned int>(std::stoul(sLigne.substr(0, nTab))), sTexte);
    }
    return tab;
}

bool FormatList(unsigned int nId, CTString* pcl, ...)
{
    va_list ap;
    va_start(ap, pcl);
    const bool b = DLLRES_bFormatMessageList(nId, pcl, reinterpret_cast<char**>(&ap));
    va_end(ap);
    return b;
}

TEST(AccesDllRes, EveryEntryOfTheBlockMatchesItsSource)
{
    const auto tabTextes = LitTextes();
    ASSERT_EQ(static_cast<std::size_t>(CResAnsi::knNbEntrees - 2), tabTextes.size());

    struct { int nEntree; unsigned int nId; const char* psz; } tabMarqueurs[] = {
        {0, 0, "ZORVAN RES BLOC START"}, {CResAnsi::knNbEntrees - 1, 65024, "ZORVAN RES BLOC STOP"}};
    for (const auto& m : tabMarqueurs) {
        SCOPED_TRACE(m.psz);
        EXPECT_EQ(m.nId, CResAnsi::s_nIdentifiantEntree(m.nEntree));
        EXPECT_STREQ(m.psz, CResAnsi::s_pszTexteEntree(m.nEntree));
        EXPECT_EQ(m.nEntree, CResAnsi::s_nTrouveEntree(m.nId));
    }
    EXPECT_EQ(0u, _tabTailleChaineRes[0]);
    EXPECT_EQ(21u, _tabTailleChaineRes[1]);

    for (std::size_t i = 0; i < tabTextes.size(); ++i) {
        const int nEntree = static_cast<int>(i) + 1;
        const unsigned int nId = tabTextes[i].first;
        SCOPED_TRACE("message " + std::to_string(nId));
        EXPECT_EQ(nId, CResAnsi::s_nIdentifiantEntree(nEntree));
        EXPECT_EQ(nEntree, CResAnsi::s_nTrouveEntree(nId));
        // The size table gives the stored size; the text is followed by its terminator.
        EXPECT_EQ(std::strlen(CResAnsi::s_pszTexteEntree(nEntree)), _tabTailleChaineRes[nEntree + 1]);
        CTString s;
        ASSERT_TRUE(DLLRES_bLoadString(nId, &s));
        EXPECT_EQ(tabTextes[i].second, std::string(s.pszGet()));
    }
}

// Inserts a message text reads, by number: 's' for a text, 'u' for a 32-bit number, '?'
// for anything else or a number left out. Unnumbered conversions also give '?'.
std::string SignatureInserts(const std::string& sTexte)
{
    std::string sSignature;
    for (std::size_t i = 0; i < sTexte.size(); ++i) {
        if (sTexte[i] != '%')
            continue;
        if (i + 1 < sTexte.size() && sTexte[i + 1] == '%') {
            ++i;
            continue;
        }
        std::size_t j = i + 1;
        unsigned int n = 0;
        while (j < sTexte.size() && sTexte[j] >= '0' && sTexte[j] <= '9')
            n = n * 10 + static_cast<unsigned int>(sTexte[j++] - '0');
        if (n == 0 || j >= sTexte.size() || sTexte[j] != '$')
            return "?";
        while (j < sTexte.size() && std::strchr("$-+ #0123456789.", sTexte[j]) != nullptr)
            ++j;
        const char c = j < sTexte.size() ? sTexte[j] : '\0';
        const char cType = c == 's' ? 's' : (std::strchr("diouxX", c) != nullptr && c != '\0' ? 'u' : '?');
        if (sSignature.size() < n)
            sSignature.resize(n, '?');
        if (sSignature[n - 1] != '?' && sSignature[n - 1] != cType)
            return "?";
        sSignature[n - 1] = cType;
        i = j;
    }
    return sSignature;
}

TEST(AccesDllRes, MessagesTakeTheirCallersInserts)
{
    // The inserts that the daemon and the error report pass, in order.
    const std::pair<unsigned int, const char*> tabMessages[] = {
        {5689, ""}, {25304, ""}, {25305, "s"}, {25306, "s"}, {25311, ""},
        {28842, "ss"}, {28843, ""}, {28844, ""}, {28845, "ssuu"}, {28846, "su"},
        {28847, ""}, {28848, ""}, {28849, ""}, {28850, "u"}, {28851, "u"},
        {28852, "u"}, {28853, "u"}, {28854, ""}, {28855, ""}, {28856, ""},
        {28857, ""}, {28858, ""}, {28859, ""}, {28860, ""}, {28861, ""},
        {28862, ""}, {28863, "u"}, {28864, ""}, {28865, "u"}};
    for (const auto& m : tabMessages) {
        SCOPED_TRACE("message " + std::to_string(m.first));
        CTString s;
        ASSERT_TRUE(DLLRES_bLoadString(m.first, &s));
        EXPECT_FALSE(s.bEstVide());
        EXPECT_EQ(m.second, SignatureInserts(s.pszGet()));
    }
}

TEST(AccesDllRes, LookUp)
{
    struct Ligne { const char* pszLibelle; unsigned int nId; int nEntree; };
    const Ligne tabLignes[] = {
        {"context title", 28844, 13},
        {"identifiers count modulo 65536", 65536u + 28844u, 13},
        {"first message", 4981, 1},
        {"last message", 28909, 41},
        {"between two messages", 28866, -1},
        {"below the first message", 1, -1},
        {"above the stop marker", 65535, -1},
    };
    for (const Ligne& l : tabLignes) {
        SCOPED_TRACE(l.pszLibelle);
        EXPECT_EQ(l.nEntree, CResAnsi::s_nTrouveEntree(l.nId));
    }
}

TEST(AccesDllRes, LoadStringFailureLeavesOutputUnchanged)
{
    CTString s("before");
    for (unsigned int nId : {28866u, 0u, 65024u}) {
        SCOPED_TRACE(nId);
        EXPECT_FALSE(DLLRES_bLoadString(nId, &s));
        EXPECT_STREQ("before", s.pszGet());
    }
    CTString s1, s2;
    EXPECT_TRUE(DLLRES_bLoadString(28844, &s1));
    EXPECT_TRUE(DLLRES_bLoadString(65536u + 28844u, &s2));
    EXPECT_FALSE(s1.bEstVide());
    EXPECT_TRUE(s1 == s2);
}

TEST(AccesDllRes, SingularAndPlural)
{
    CTString sTout, sSingulier, sPluriel;
    ASSERT_TRUE(DLLRES_bLoadString(4981, &sTout));
    const std::string s(sTout.pszGet());
    const std::size_t nSep = s.find("\n\xA7\n");
    ASSERT_NE(std::string::npos, nSep);
    ASSERT_TRUE(__bLoadStringSingulierPluriel(0, 4981, sSingulier));
    ASSERT_TRUE(__bLoadStringSingulierPluriel(1, 4981, sPluriel));
    EXPECT_EQ(s.substr(0, nSep), sSingulier.pszGet());
    EXPECT_EQ(s.substr(nSep + 3), sPluriel.pszGet());

    // Without the separator both forms are the whole text.
    CTString sContexte, sForme;
    ASSERT_TRUE(DLLRES_bLoadString(28844, &sContexte));
    for (int bPluriel : {0, 1}) {
        ASSERT_TRUE(__bLoadStringSingulierPluriel(bPluriel, 28844, sForme));
        EXPECT_TRUE(sForme == sContexte);
    }
    CTString sInchange("kept");
    EXPECT_FALSE(__bLoadStringSingulierPluriel(1, 28866, sInchange));
    EXPECT_STREQ("kept", sInchange.pszGet());

    CTString s1, sN;
    EXPECT_TRUE(DLLRES_bFormatMessageSingulierPluriel(0, 4981, &s1, 1u));
    EXPECT_TRUE(DLLRES_bFormatMessageSingulierPluriel(1, 4981, &sN, 3u));
    CTString sAttendu1, sAttenduN;
    sAttendu1.printf(sSingulier.pszGet(), 1u);
    sAttenduN.printf(sPluriel.pszGet(), 3u);
    EXPECT_TRUE(s1 == sAttendu1);
    EXPECT_TRUE(sN == sAttenduN);
    EXPECT_NE(nullptr, std::strstr(sN.pszGet(), "3"));
}

TEST(AccesDllRes, FormatMessageByIdentifier)
{
    // Every insert of the processing line, in order, through the three entry points.
    CTString sGabarit, sAttendu;
    ASSERT_TRUE(DLLRES_bLoadString(28845, &sGabarit));
    sAttendu.printf(sGabarit.pszGet(), "Load", " (obj)", 12u, 3u);

    CTString s;
    EXPECT_TRUE(DLLRES_bFormatMessage(28845, &s, "Load", " (obj)", 12u, 3u));
    EXPECT_TRUE(s == sAttendu) << s.pszGet();
    CTString sListe;
    EXPECT_TRUE(FormatList(28845, &sListe, "Load", " (obj)", 12u, 3u));
    EXPECT_TRUE(sListe == sAttendu);
    char* psz = reinterpret_cast<char*>(1);
    EXPECT_EQ(static_cast<int>(sAttendu.nTaille()), DLLRES_nFormatMessage(28845, &psz, "Load", " (obj)", 12u, 3u));
    ASSERT_NE(nullptr, psz);
    EXPECT_STREQ(sAttendu.pszGet(), psz);
    std::free(psz);

    // Absent message: false / 0, the CTString unchanged and the pointer null.
    CTString sInchange("kept");
    EXPECT_FALSE(DLLRES_bFormatMessage(28866, &sInchange, 1u));
    EXPECT_STREQ("kept", sInchange.pszGet());
    psz = reinterpret_cast<char*>(1);
    EXPECT_EQ(0, DLLRES_nFormatMessage(28866, &psz));
    EXPECT_EQ(nullptr, psz);
}

TEST(AccesDllRes, FormatMessageFromText)
{
    CTString s("old");
    EXPECT_EQ(0u, DLLRES_dwFormatMessage("%2$s-%1$s", &s, nullptr));   // needs inserts: fails
    EXPECT_TRUE(s.bEstVide());
    const CTStringFormatMessage sMsg("%2$s-%1$s", "a", "b");
    EXPECT_STREQ("b-a", sMsg.pszGet());
    EXPECT_STREQ("no inserts", CTStringFormatMessage("no inserts").pszGet());
}

TEST(AccesDllRes, NLoadStringIntoGuardedBuffers)
{
    CTString s;
    ASSERT_TRUE(DLLRES_bLoadString(28844, &s));
    const int nLg = static_cast<int>(s.nTaille());
    for (int nTaille : {0, 1, 4, nLg, nLg + 1, 200}) {
        SCOPED_TRACE(nTaille);
        zvtest::SentinelBuffer<char> buf(static_cast<std::size_t>(nTaille));
        const int n = DLLRES_nLoadString(28844, buf.data(), nTaille);
        EXPECT_TRUE(buf.guardsIntact());
        if (nTaille == 0) {
            EXPECT_EQ(0, n);
            continue;
        }
        const int nAttendu = nTaille > nLg ? nLg : nTaille - 1;
        EXPECT_EQ(nAttendu, n);
        EXPECT_EQ(std::string(s.pszGet(), static_cast<std::size_t>(nAttendu)), std::string(buf.data()));
        EXPECT_TRUE(buf.untouchedFrom(static_cast<std::size_t>(nAttendu) + 1));
    }
    zvtest::SentinelBuffer<char> buf(16);
    EXPECT_EQ(0, DLLRES_nLoadString(28866, buf.data(), 16));
    EXPECT_EQ(0, DLLRES_nLoadString(0, buf.data(), 16));
    EXPECT_TRUE(buf.untouchedFrom(0));
}

TEST(AccesDllRes, CommandeComposante)
{
    char szBuffer[64];
    std::memset(szBuffer, 'x', sizeof(szBuffer));
    _stCOMMANDECOMPOSANTE st = {7, 28844, szBuffer, static_cast<std::int32_t>(sizeof(szBuffer)), -12345};
    CommandeComposante(2, &st);
    EXPECT_EQ(-12345, st.nResultat);
    EXPECT_EQ('x', szBuffer[0]);
    CommandeComposante(3, nullptr);

    CommandeComposante(3, &st);
    CTString s;
    ASSERT_TRUE(DLLRES_bLoadString(28844, &s));
    EXPECT_EQ(s.nTaille(), st.nResultat);
    EXPECT_STREQ(s.pszGet(), szBuffer);
}

} // namespace
