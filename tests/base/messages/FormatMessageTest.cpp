// Tests of the printf and Win32-syntax message formatters.
#include "base/messages/FormatMessage.h"
#include "base/strings/CTString.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdarg>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "support/Sentinel.h"

namespace {

// Slots one 64-bit value spans: two on i386, one on x86-64.
constexpr int kn64 = static_cast<int>(sizeof(long long) / sizeof(void*));

unsigned int FormatA(unsigned int flags, const char* pszFormat, char* buffer, unsigned int size, ...)
{
    va_list ap;
    va_start(ap, size);
    const unsigned int n = FormatMessageA(flags, pszFormat, 0, 0, buffer, size, reinterpret_cast<char**>(&ap));
    va_end(ap);
    return n;
}

unsigned int FormatWin(unsigned int flags, const char* pszFormat, char* buffer, unsigned int size, ...)
{
    va_list ap;
    va_start(ap, size);
    const unsigned int n = FormatMessageWin(flags, pszFormat, 0, 0, buffer, size, reinterpret_cast<char**>(&ap));
    va_end(ap);
    return n;
}

// Formats twice from the same list: the formatter must leave the caller's list where it was.
std::string FormatWinDeuxFois(const char* pszFormat, ...)
{
    va_list ap;
    va_start(ap, pszFormat);
    std::string s;
    for (int i = 0; i < 2; ++i) {
        char* psz = nullptr;
        FormatMessageWin(0x500, pszFormat, 0, 0, reinterpret_cast<char*>(&psz), 0, reinterpret_cast<char**>(&ap));
        s += psz != nullptr ? psz : "<null>";
        s += '|';
        std::free(psz);
    }
    va_end(ap);
    return s;
}

// Allocating call with an argument array; "<null>" when nothing was delivered.
std::string WinTableau(const char* pszFormat, const std::vector<std::uintptr_t>& tabSlots)
{
    char* psz = nullptr;
    char** args = tabSlots.empty() ? nullptr : reinterpret_cast<char**>(const_cast<std::uintptr_t*>(tabSlots.data()));
    const unsigned int n = FormatMessageWin(0x2500, pszFormat, 0, 0, reinterpret_cast<char*>(&psz), 0, args);
    if (psz == nullptr)
        return "<null>";
    std::string s(psz);
    EXPECT_EQ(n, s.size());
    std::free(psz);
    return s;
}

std::uintptr_t Texte(const char* psz) { return reinterpret_cast<std::uintptr_t>(psz); }
std::uintptr_t Entier(int n) { return static_cast<std::uintptr_t>(static_cast<std::intptr_t>(n)); }

TEST(FormatMessageA, NumberedInsertsAllocated)
{
    char* psz = nullptr;
    EXPECT_EQ(3u, FormatA(0x500, "a%1$sb", reinterpret_cast<char*>(&psz), 0, "X"));
    ASSERT_NE(nullptr, psz);
    EXPECT_STREQ("aXb", psz);
    std::free(psz);

    psz = nullptr;
    EXPECT_EQ(3u, FormatA(0x500, "%2$u-%1$u", reinterpret_cast<char*>(&psz), 0, 1u, 2u));
    EXPECT_STREQ("2-1", psz);
    std::free(psz);
}

TEST(FormatMessageA, AllocatedBlockIsEnlargedToSize)
{
    char* psz = nullptr;
    EXPECT_EQ(3u, FormatA(0x500, "%1$s", reinterpret_cast<char*>(&psz), 64, "abc"));
    ASSERT_NE(nullptr, psz);
    EXPECT_STREQ("abc", psz);
    // The block must really hold 64 bytes (the sanitizer build catches a shorter one).
    for (int i = 4; i < 64; ++i)
        EXPECT_EQ(0, psz[i]);
    std::memset(psz, 'z', 64);
    std::free(psz);
}

TEST(FormatMessageA, CallerBufferSmallExactLarge)
{
    const char* const pszTexte = "0123456789";
    for (unsigned int nTaille : {0u, 1u, 4u, 10u, 11u, 40u}) {
        SCOPED_TRACE(nTaille);
        zvtest::SentinelBuffer<char> buf(nTaille);
        EXPECT_EQ(10u, FormatA(0x400, "%1$s", nTaille ? buf.data() : nullptr, nTaille, pszTexte));
        EXPECT_TRUE(buf.guardsIntact());
        if (nTaille == 0)
            continue;
        const std::size_t nGarde = nTaille - 1 < 10 ? nTaille - 1 : 10;
        EXPECT_EQ(std::string(pszTexte, nGarde), std::string(buf.data()));
        EXPECT_TRUE(buf.untouchedFrom(nGarde + 1));
    }
}

TEST(FormatMessageA, NullArgumentsAndSource)
{
    char* psz = reinterpret_cast<char*>(1);
    // No list: a format without conversions is still formatted ("%%" reads nothing).
    EXPECT_EQ(3u, FormatMessageA(0x500, "50%%", 0, 0, reinterpret_cast<char*>(&psz), 0, nullptr));
    EXPECT_STREQ("50%", psz);
    std::free(psz);
    // ... but a conversion would read an argument that is not there.
    psz = reinterpret_cast<char*>(1);
    EXPECT_EQ(0u, FormatMessageA(0x500, "a%1$sb", 0, 0, reinterpret_cast<char*>(&psz), 0, nullptr));
    EXPECT_EQ(nullptr, psz);
    EXPECT_EQ(0u, FormatA(0x500, nullptr, reinterpret_cast<char*>(&psz), 0));
    EXPECT_EQ(nullptr, psz);
    EXPECT_EQ(0u, FormatA(0x500, "x", nullptr, 0));
}

TEST(FormatMessageA, SystemErrorText)
{
    char* psz = nullptr;
    errno = ENOENT;
    const unsigned int n = FormatA(0x1100, nullptr, reinterpret_cast<char*>(&psz), 0);
    ASSERT_NE(nullptr, psz);
    EXPECT_STREQ(std::strerror(ENOENT), psz);
    EXPECT_EQ(std::strlen(psz), n);
    std::free(psz);
}

TEST(FormatMessageWin, SyntaxTable)
{
    static const char s_szLong[] = "a fairly long insert that, repeated, pushes the output past one hundred bytes";
    struct Ligne {
        const char* pszLibelle;
        const char* pszFormat;
        std::vector<std::uintptr_t> tabSlots;
        std::string sAttendu;
    };
    const std::vector<Ligne> tabLignes = {
        {"CR LF and %n", "Line1\r\nLine2%nEnd", {}, "Line1 Line2\r\nEnd"},
        {"%0 ends output", "%1!u! files%0 ignored", {7}, "7 files"},
        {"%% then bare insert", "100%% %1", {Texte("x")}, "100% x"},
        {"lone CR, lone LF, CR CR LF", "a\rb\nc\r\r\nd", {}, "a b\r\nc  d"},
        {"trailing %", "50%", {}, "50%"},
        {"% before other characters", "%.%!%%", {}, ".!%"},
        {"%0 first", "%0abc", {}, ""},
        {"two-digit insert", "%10-%1-%11",
         {Texte("a"), 0, 0, 0, 0, 0, 0, 0, 0, Texte("j"), Texte("k")}, "j-a-k"},
        {"third digit is text", "%123", {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, Texte("L")}, "L3"},
        {"conversion without closing !", "[%1!u", {42}, "[42"},
        {"signed and hex", "%1!d! %2!08X! %2!#x!", {Entier(-5), 0xBEEF}, "-5 0000BEEF 0xbeef"},
        {"width and left alignment", "|%1!5s!|%1!-5s!|", {Texte("ab")}, "|   ab|ab   |"},
        {"star width reads the slot before the value", "|%1!*u!|", {4, 7}, "|   7|"},
        {"character", "%1!c!%2!c!", {'O', 'K'}, "OK"},
        {"writing conversion refused", "a%1!n!b", {0}, "ab"},
        {"unknown and long double refused", "a%1!y!%1!Lf!%1!!b", {0}, "ab"},
        {"growth past 100 bytes", "<%1%1>", {Texte(s_szLong)}, std::string("<") + s_szLong + s_szLong + ">"},
    };
    for (const Ligne& l : tabLignes) {
        SCOPED_TRACE(l.pszLibelle);
        EXPECT_EQ(l.sAttendu, WinTableau(l.pszFormat, l.tabSlots));
    }
}

TEST(FormatMessageWin, NullArgumentsAndIgnoreInserts)
{
    char* psz = nullptr;
    EXPECT_EQ(10u, FormatMessageWin(0x500, "a%1!u!b%2c\n", 0, 0, reinterpret_cast<char*>(&psz), 0, nullptr));
    EXPECT_STREQ("a%1!u!bc\r\n", psz);
    std::free(psz);
    psz = nullptr;
    EXPECT_EQ(6u, FormatWin(0x700, "a%1\nb%", reinterpret_cast<char*>(&psz), 0, "never read"));
    EXPECT_STREQ("a%1\nb%", psz);
    std::free(psz);
}

TEST(FormatMessageWin, SixtyFourBitAndFloatingInserts)
{
    // A 64-bit value spans kn64 slots: the insert after it is numbered accordingly.
    std::vector<std::uintptr_t> tab(6, 0);
    const unsigned long long n = 0x123456789ULL;
    std::memcpy(tab.data(), &n, sizeof(n));
    tab[kn64] = Texte("s");
    const std::string sFormat = "%1!I64u! %1!llx! %" + std::to_string(kn64 + 1) + "!s!";
    EXPECT_EQ("4886718345 123456789 s", WinTableau(sFormat.c_str(), tab));

    // Through a va_list the same numbering holds.
    const std::string sListe =
        "%2!s! %1!d! %3!.1f! %" + std::to_string(3 + kn64) + "!I64d!";
    char* psz = nullptr;
    FormatWin(0x500, sListe.c_str(), reinterpret_cast<char*>(&psz), 0, 5, "two", 2.5, -(1LL << 40));
    ASSERT_NE(nullptr, psz);
    EXPECT_STREQ("two 5 2.5 -1099511627776", psz);
    std::free(psz);
}

TEST(FormatMessageWin, ListIsReadInOrderAndNotConsumed)
{
    // Insert 1 is not referenced: it is still skipped to reach insert 2.
    EXPECT_EQ("abc|abc|", FormatWinDeuxFois("%2!s!", 123, "abc"));
    EXPECT_EQ("wide W|wide W|", FormatWinDeuxFois("%1!ls! %2!S!", L"wide", L"W"));
    EXPECT_EQ("[(null)]|[(null)]|", FormatWinDeuxFois("[%1!ls!]", static_cast<wchar_t*>(nullptr)));
}

TEST(FormatMessageWin, CallerBufferIsCutToFit)
{
    for (unsigned int nTaille : {0u, 1u, 4u, 7u, 8u, 30u}) {
        SCOPED_TRACE(nTaille);
        zvtest::SentinelBuffer<char> buf(nTaille);
        const unsigned int n = FormatWin(0x400, "ab%1!s!f", buf.data(), nTaille, "cde");
        const unsigned int nAttendu = nTaille == 0 ? 0 : (nTaille - 1 < 6 ? nTaille - 1 : 6);
        EXPECT_EQ(nAttendu, n);
        EXPECT_TRUE(buf.guardsIntact());
        if (nTaille == 0) {
            EXPECT_TRUE(buf.untouchedFrom(0));
            continue;
        }
        EXPECT_EQ(std::string("abcdef", nAttendu), std::string(buf.data()));
        EXPECT_TRUE(buf.untouchedFrom(nAttendu + 1));
    }
}

TEST(FormatMessageWin, AllocatedBlockAndSystemText)
{
    char* psz = nullptr;
    EXPECT_EQ(2u, FormatWin(0x500, "ok", reinterpret_cast<char*>(&psz), 64));
    ASSERT_NE(nullptr, psz);
    std::memset(psz + 3, 'z', 61);   // the block holds at least 64 bytes
    std::free(psz);

    psz = nullptr;
    errno = EACCES;
    FormatWin(0x1100, nullptr, reinterpret_cast<char*>(&psz), 0);
    ASSERT_NE(nullptr, psz);
    EXPECT_STREQ(std::strerror(EACCES), psz);
    std::free(psz);
    EXPECT_EQ(0u, FormatWin(0x500, nullptr, reinterpret_cast<char*>(&psz), 0));
    EXPECT_EQ(nullptr, psz);
}

} // namespace

namespace {

TEST(CTStringFormatMembers, ReplaceTextOrKeepItOnFailure)
{
    CTString s("a%1$sb");
    // The format may be the string's own text.
    EXPECT_EQ(3, s.FormatMessageA(s.pszGet(), "X"));
    EXPECT_STREQ("aXb", s.pszGet());
    EXPECT_EQ(3, s.FormatMessageA("%2$s-%1$u", 7u, "x"));
    EXPECT_STREQ("x-7", s.pszGet());
    EXPECT_EQ(-1, s.FormatMessageA(nullptr));
    EXPECT_STREQ("x-7", s.pszGet());

    EXPECT_EQ(4, s.FormatMessageWin("%1!u!%n%2", 5, "y"));
    EXPECT_STREQ("5\r\ny", s.pszGet());
    EXPECT_EQ(-1, s.FormatMessageWin(nullptr));
    EXPECT_STREQ("5\r\ny", s.pszGet());
    EXPECT_EQ(0, s.FormatMessageWin("%0"));
    EXPECT_TRUE(s.bEstVide());
}

} // namespace
