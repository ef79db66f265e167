// Tests of the Windows-1252 character helpers and the rectangle arithmetic.
#include "base/system/Emule.h"

#include <gtest/gtest.h>

#include <cstdint>

#include <cstring>

namespace {

TEST(Emule, AlphaNumericSetHas135Members)
{
    const unsigned char extra[] = {0x83, 0x8A, 0x8C, 0x8E, 0x9A, 0x9C, 0x9E, 0x9F, 0xB2, 0xB3, 0xB9};
    int count = 0;
    for (int c = 0; c < 256; ++c) {
        const bool expected = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                              std::memchr(extra, c, sizeof extra) != nullptr || (c >= 0xC0 && c <= 0xD6) ||
                              (c >= 0xD8 && c <= 0xF6) || c >= 0xF8;
        SCOPED_TRACE(c);
        EXPECT_EQ(bEmule_IsCharAlphaNumericA(static_cast<char>(c)), expected);
        count += expected;
    }
    EXPECT_EQ(count, 135);
}

TEST(Emule, CharUpperOfOneCharacter)
{
    const struct {
        unsigned in, out;
    } rows[] = {{'a', 'A'}, {'z', 'Z'}, {'A', 'A'}, {0xE9, 0xC9}, {0xFF, 0x9F}, {0xDF, 0xDF},
                {0xB5, 0xB5}, {0xF7, 0xF7}, {0x9A, 0x8A}, {'1', '1'}, {0x1E9, 0xC9}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.in);
        EXPECT_EQ(nEmule_CharUpperA(row.in), row.out);
    }
}

TEST(Emule, CharUpperOfATextWorksInPlace)
{
    char text[] = "\xE9t\xE9 \xFF!";
    const uintptr_t r = nEmule_CharUpperA(reinterpret_cast<uintptr_t>(text));
    EXPECT_EQ(r, reinterpret_cast<uintptr_t>(text));
    EXPECT_STREQ(text, "\xC9T\xC9 \x9F!");
}

TEST(Emule, RectangleEmptinessAndOffset)
{
    RECT r{0, 0, 10, 5};
    EXPECT_FALSE(bEmule_IsRectEmpty(&r));
    EXPECT_TRUE(bEmule_OffsetRect(&r, 3, -2));
    EXPECT_EQ(r.left, 3);
    EXPECT_EQ(r.right, 13);
    EXPECT_EQ(r.top, -2);
    EXPECT_EQ(r.bottom, 3);
    // At the edge of the 32-bit range the coordinates wrap around as OffsetRect's do (this
    // was a signed overflow, which the asan preset's checks stop on).
    RECT edge{INT32_MAX - 1, INT32_MIN, INT32_MAX, INT32_MIN + 1};
    EXPECT_TRUE(bEmule_OffsetRect(&edge, 2, -1));
    EXPECT_EQ(edge.left, INT32_MIN);
    EXPECT_EQ(edge.right, INT32_MIN + 1);
    EXPECT_EQ(edge.top, INT32_MAX);
    EXPECT_EQ(edge.bottom, INT32_MIN);
    const RECT flat{0, 0, 10, 0}, thin{4, 0, 4, 10}, inverted{5, 5, 1, 1};
    EXPECT_TRUE(bEmule_IsRectEmpty(&flat));
    EXPECT_TRUE(bEmule_IsRectEmpty(&thin));
    EXPECT_TRUE(bEmule_IsRectEmpty(&inverted));
}

TEST(Emule, Intersection)
{
    const struct {
        const char* name;
        RECT a, b, expected;
        bool overlap;
    } rows[] = {
        {"overlap", {0, 0, 10, 10}, {5, 5, 20, 20}, {5, 5, 10, 10}, true},
        {"contained", {0, 0, 10, 10}, {2, 3, 4, 5}, {2, 3, 4, 5}, true},
        {"touching edges", {0, 0, 10, 10}, {10, 0, 20, 10}, {0, 0, 0, 0}, false},
        {"touching corners", {0, 0, 10, 10}, {10, 10, 20, 20}, {0, 0, 0, 0}, false},
        {"apart", {0, 0, 1, 1}, {5, 5, 6, 6}, {0, 0, 0, 0}, false},
        {"empty operand", {0, 0, 0, 10}, {-5, -5, 5, 5}, {0, 0, 0, 0}, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        RECT dst{7, 7, 7, 7};
        EXPECT_EQ(bEmule_IntersectRect(&dst, &row.a, &row.b), row.overlap);
        EXPECT_EQ(std::memcmp(&dst, &row.expected, sizeof dst), 0);
    }
    // The destination may be one of the sources.
    RECT a{0, 0, 10, 10};
    const RECT b{5, 5, 20, 20};
    EXPECT_TRUE(bEmule_IntersectRect(&a, &a, &b));
    EXPECT_EQ(a.left, 5);
    EXPECT_EQ(a.right, 10);
}

TEST(Emule, LoadStringLoadsNothing)
{
    char buf[8];
    std::memset(buf, 'x', sizeof buf);
    EXPECT_EQ(nEmule_LoadStringA(nullptr, 1, buf, sizeof buf), 0);
    EXPECT_EQ(buf[0], '\0');
    EXPECT_EQ(buf[1], 'x');
}

} // namespace
