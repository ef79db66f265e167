// Tests of MulDiv, makepath, _strset, _strnset and the letter-or-digit table.
#include "base/system/Win32Api.h"

#include "support/Sentinel.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>

namespace {

TEST(Win32Helpers, MulDivRoundsHalfAwayFromZeroAndRefusesOverflow)
{
    const struct {
        int a, b, c, result;
    } rows[] = {
        {7, 1, 2, 4},
        {-7, 1, 2, -4},
        {7, -1, 2, -4},
        {-7, -1, 2, 4},
        {7, 1, -2, -4},
        {-7, 1, -2, 4},
        {5, 3, 0, -1},
        {6, 1, 4, 2},  // 1.5 rounds to 2
        {5, 1, 4, 1},  // 1.25
        {-6, 1, 4, -2},
        {1, 1, 3, 0},
        {2, 1, 3, 1},
        {0, 5, 7, 0},
        {100000, 100000, 100000, 100000}, // the product needs 64 bits
        {INT_MAX, INT_MAX, INT_MAX, INT_MAX},
        {INT_MIN, 1, 1, INT_MIN},
        {INT_MIN, 1, -1, -1},  // 2^31 does not fit
        {INT_MAX, 2, 1, -1},
        {INT_MIN, INT_MIN, INT_MIN, INT_MIN},
        {INT_MAX, INT_MAX, 1, -1},
        {1, 1, INT_MIN, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.a << " * " << row.b << " / " << row.c);
        EXPECT_EQ(MulDiv(row.a, row.b, row.c), row.result);
    }
}

TEST(Win32Helpers, MakePathTable)
{
    const struct {
        const char *dir, *name, *ext, *result;
    } rows[] = {
        {"/opt/app", "prog", "cfg", "/opt/app/prog.cfg"},
        {"/opt/app", "prog", ".cfg", "/opt/app/prog.cfg"},
        {"/opt/app/", "prog", "", "/opt/app/prog"},
        {"/opt/app", nullptr, "cfg", "/opt/app/"},
        {"/opt/app", "", nullptr, "/opt/app/"},
        {nullptr, "prog", "cfg", "prog.cfg"},
        {"", "prog", nullptr, "prog"},
        {nullptr, nullptr, nullptr, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.result);
        zvtest::SentinelBuffer<char> path(261);
        makepath(path.data(), "C:", row.dir, row.name, row.ext);
        EXPECT_STREQ(path.data(), row.result);
        EXPECT_TRUE(path.untouchedFrom(std::strlen(row.result) + 1));
        EXPECT_TRUE(path.guardsIntact());
    }
}

TEST(Win32Helpers, MakePathCutsToTheBuffer)
{
    const std::string sDir(250, 'd');
    zvtest::SentinelBuffer<char> path(261);
    makepath(path.data(), nullptr, sDir.c_str(), "a-long-name", "ext");
    EXPECT_EQ(std::strlen(path.data()), 260u);
    EXPECT_EQ(std::string(path.data()).substr(0, 252), sDir + "/a");
    EXPECT_TRUE(path.guardsIntact());
}

TEST(Win32Helpers, StrsetAndStrnset)
{
    char text[] = "abcdef";
    EXPECT_EQ(_strset(text, '*'), text);
    EXPECT_STREQ(text, "******");
    EXPECT_EQ(_strset(nullptr, '*'), nullptr);

    const struct {
        const char* in;
        size_t n;
        const char* out;
        size_t after; // position returned, from the start
    } rows[] = {
        {"abcdef", 3, "xxxdef", 3},
        {"abc", 10, "xxx", 3},
        {"abc", 3, "xxx", 3},
        {"abc", 0, "abc", 0},
        {"", 4, "", 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.in << " " << row.n);
        char buffer[16];
        std::strcpy(buffer, row.in);
        EXPECT_EQ(_strnset(buffer, 'x', row.n), buffer + row.after);
        EXPECT_STREQ(buffer, row.out);
    }
    EXPECT_EQ(_strnset(nullptr, 'x', 4), nullptr);
}

TEST(Win32Helpers, LetterOrDigitTableHas135Members)
{
    const unsigned char extra[] = {0x83, 0x8A, 0x8C, 0x8E, 0x9A, 0x9C, 0x9E, 0x9F, 0xB2, 0xB3, 0xB9};
    int count = 0;
    for (int c = 0; c < 256; ++c) {
        const bool expected = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                              std::memchr(extra, c, sizeof extra) != nullptr || (c >= 0xC0 && c <= 0xD6) ||
                              (c >= 0xD8 && c <= 0xF6) || c >= 0xF8;
        SCOPED_TRACE(c);
        EXPECT_EQ(LinuxIsCharAlphaNumericA(static_cast<char>(c)) != 0, expected);
        EXPECT_EQ(((pbyIsCharAlphaNumeric[c / 8] >> (c & 7)) & 1) != 0, expected);
        count += expected;
    }
    EXPECT_EQ(count, 135);
}

} // namespace
