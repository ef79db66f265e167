// Tests of the UTF-8 inspection functions, on exact-size blocks so that over-reads are caught.
#include "base/strings/Utf8.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The bytes and a terminator in a block of exactly that size.
std::vector<char> Block(const std::string& sBytes)
{
    std::vector<char> v(sBytes.begin(), sBytes.end());
    v.push_back('\0');
    return v;
}

} // namespace

TEST(Utf8, NextStepsAndStopsAtNonContinuation)
{
    const struct { const char* pszTrace; std::string sBytes; int nStep; } aRows[] = {
        {"ascii", "ab", 1},
        {"two bytes", "\xC3\xA9z", 2},
        {"lead then ascii", "\xC3" "a", 1},
        {"three bytes", "\xE2\x82\xAC", 3},
        {"four bytes", "\xF0\x9F\x98\x80", 4},
        {"five-byte lead", "\xF8\x80\x80\x80\x80\x80", 5},
        {"six-byte lead", "\xFC\x80\x80\x80\x80\x80\x80", 6},
        {"stray continuation alone", "\x80" "a", 1},
        {"stray continuations", "\x80\x80\x80\x80\x80\x80\x80\x80", 6},
        {"truncated at the terminator", "\xE2\x82", 2},
        {"lead at the terminator", "\xF0", 1},
        {"stray continuation at the terminator", "\xBF", 1},
        {"terminator", "", 1}};
    for (const auto& r : aRows) {
        SCOPED_TRACE(r.pszTrace);
        std::vector<char> v = Block(r.sBytes);
        EXPECT_EQ(v.data() + r.nStep, UTF8next(v.data()));
        EXPECT_EQ(r.nStep, UTF8Len(v.data()));
    }
    EXPECT_EQ(nullptr, UTF8next(static_cast<char*>(nullptr)));
    EXPECT_EQ(0, UTF8Len(nullptr));
}

TEST(Utf8, FirstCharDecodes)
{
    const struct { const char* pszTrace; std::string sBytes; int nIn; int nCode; int nOut; } aRows[] = {
        {"ascii", "A", 1, 'A', 1},
        {"euro", "\xE2\x82\xAC", 3, 0x20AC, 3},
        {"euro cut to 2 bytes", "\xE2\x82\xAC", 2, -1, 0},
        {"e acute", "\xC3\xA9", 5, 0xE9, 2},
        {"emoji", "\xF0\x9F\x98\x80", 4, 0x1F600, 4},
        {"overlong accepted", "\xC0\x80", 2, 0, 2},
        {"surrogate accepted", "\xED\xA0\x80", 3, 0xD800, 3},
        {"second byte not a continuation", "\xC3(", 2, -1, 0},
        {"third byte is the terminator", "\xE2\x82", 3, -1, 0},
        {"lead 0xF8", "\xF8\x80\x80\x80", 4, -1, 0},
        {"four bytes, fourth missing", "\xF0\x9F\x98", 4, -1, 0},
        {"n is 0", "A", 0, -1, 0}};
    for (const auto& r : aRows) {
        SCOPED_TRACE(r.pszTrace);
        std::vector<char> v = Block(r.sBytes);
        int n = r.nIn;
        EXPECT_EQ(r.nCode, UTF8FirstChar(v.data(), n));
        EXPECT_EQ(r.nOut, n);
    }
    int n = 4;
    EXPECT_EQ(-1, UTF8FirstChar(nullptr, n));
    EXPECT_EQ(0, n);
}

TEST(Utf8, Valide)
{
    const struct { const char* pszTrace; std::string sBytes; long n; int bValid; } aRows[] = {
        {"accent", "\xC3\xA9", -1, 1},
        {"bad continuation", "\xC3\x28", -1, 0},
        {"empty", "", -1, 1},
        {"mixed", "a\xE2\x82\xAC" "b\xF0\x9F\x98\x80", -1, 1},
        {"lone continuation", "a\x80", -1, 0},
        {"lead 0xF8", "\xF8\x80\x80\x80\x80", -1, 0},
        {"truncated at the terminator", "a\xE2\x82", -1, 0},
        {"cut by n", "a\xC3\xA9", 2, 0},
        {"n stops before the bad byte", "ab\xFF", 2, 1},
        {"NUL ends the walk", std::string("a\0\xFF", 3), 3, 1},
        {"n 0", "\xFF", 0, 1},
        {"n negative", "\xFF", -7, 1},
        {"overlong accepted", "\xC0\x80", -1, 1}};
    for (const auto& r : aRows) {
        SCOPED_TRACE(r.pszTrace);
        std::vector<char> v = Block(r.sBytes);
        EXPECT_EQ(r.bValid, UTF8Valide(v.data(), r.n));
    }
    EXPECT_EQ(1, UTF8Valide(nullptr, 0));
    EXPECT_EQ(0, UTF8Valide(nullptr, -1));
    EXPECT_EQ(0, UTF8Valide(nullptr, 4));
}
