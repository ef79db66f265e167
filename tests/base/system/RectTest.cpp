// Tests of the rectangle arithmetic with the Win32 names.
#include "base/system/Win32Api.h"

#include <gtest/gtest.h>

#include <climits>
#include <ostream>

// Global, beside RECT, so that the test macros find them.
static bool operator==(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

static std::ostream& operator<<(std::ostream& os, const RECT& r)
{
    return os << "(" << r.left << "," << r.top << "," << r.right << "," << r.bottom << ")";
}

namespace {

constexpr RECT kJunk = {7, 7, 7, 7};
constexpr RECT kZero = {0, 0, 0, 0};

TEST(Rect, IntersectTable)
{
    const struct {
        RECT a, b;
        bool result;
        RECT out;
    } rows[] = {
        {{0, 0, 10, 10}, {5, 5, 15, 15}, true, {5, 5, 10, 10}},
        {{0, 0, 10, 10}, {20, 0, 30, 10}, false, kZero},  // wholly right
        {{0, 0, 10, 10}, {10, 0, 20, 10}, false, kZero},  // touching edges
        {{0, 0, 10, 10}, {0, 10, 10, 20}, false, kZero},  // touching below
        {{0, 0, 10, 10}, {2, 2, 4, 4}, true, {2, 2, 4, 4}}, // inside
        {{0, 0, 10, 10}, {3, 3, 3, 8}, false, kZero},     // zero width
        {{0, 0, 10, 10}, {3, 3, 8, 3}, false, kZero},     // zero height
        {{0, 0, 10, 10}, {8, 8, 2, 2}, false, kZero},     // inverted
        {{-5, -5, 5, 5}, {-10, 0, 0, 10}, true, {-5, 0, 0, 5}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.a << " " << row.b);
        RECT out = kJunk;
        EXPECT_EQ(IntersectRect(&out, &row.a, &row.b), row.result);
        EXPECT_EQ(out, row.out);
        // Symmetric, and the destination may be a source.
        RECT b = row.b;
        EXPECT_EQ(IntersectRect(&b, &row.a, &b), row.result);
        EXPECT_EQ(b, row.out);
    }
}

TEST(Rect, UnionTable)
{
    const struct {
        RECT a, b;
        bool result;
        RECT out;
    } rows[] = {
        {kZero, {1, 2, 3, 4}, true, {1, 2, 3, 4}},
        {{1, 2, 3, 4}, {5, 5, 5, 9}, true, {1, 2, 3, 4}}, // b has no width
        {kZero, {5, 5, 1, 1}, false, kZero},
        {{0, 0, 1, 1}, {5, 6, 7, 8}, true, {0, 0, 7, 8}},
        {{-3, 4, 0, 9}, {-1, -2, 2, 5}, true, {-3, -2, 2, 9}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.a << " " << row.b);
        RECT out = kJunk;
        EXPECT_EQ(UnionRect(&out, &row.a, &row.b), row.result);
        EXPECT_EQ(out, row.out);
        RECT a = row.a;
        EXPECT_EQ(UnionRect(&a, &a, &row.b), row.result);
        EXPECT_EQ(a, row.out);
    }
}

TEST(Rect, SubtractTable)
{
    const RECT a = {0, 0, 10, 10};
    const struct {
        RECT a, b;
        bool result;
        RECT out;
    } rows[] = {
        {a, {20, 20, 30, 30}, true, a},          // apart
        {a, {10, 0, 20, 10}, true, a},           // touching
        {a, {-5, -5, 15, 15}, false, kZero},     // covers a
        {a, {0, 0, 10, 10}, false, kZero},       // equal
        {a, {-1, -1, 4, 11}, true, {4, 0, 10, 10}},  // full height, left edge
        {a, {6, -1, 12, 11}, true, {0, 0, 6, 10}},   // full height, right edge
        {a, {-1, -1, 11, 3}, true, {0, 3, 10, 10}},  // full width, top edge
        {a, {-1, 7, 11, 12}, true, {0, 0, 10, 7}},   // full width, bottom edge
        {a, {3, -1, 6, 11}, true, a},            // full height, in the middle: a stays
        {a, {2, 2, 4, 4}, true, a},              // a hole: a stays
        {kZero, {1, 1, 2, 2}, false, kZero},     // a empty
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.a << " " << row.b);
        RECT out = kJunk;
        EXPECT_EQ(SubtractRect(&out, &row.a, &row.b), row.result);
        EXPECT_EQ(out, row.out);
    }
}

TEST(Rect, EmptinessAndPoints)
{
    const struct {
        RECT r;
        bool empty;
    } rows[] = {
        {{0, 0, 1, 1}, false}, {{0, 0, 0, 5}, true}, {{0, 0, 5, 0}, true},
        {{5, 5, 1, 9}, true},  {{INT_MIN, INT_MIN, INT_MAX, INT_MAX}, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.r);
        EXPECT_EQ(IsRectEmpty(&row.r), row.empty);
    }
    EXPECT_TRUE(IsRectEmpty(nullptr));

    const RECT r = {1, 2, 4, 6};
    EXPECT_TRUE(PtInRect(&r, POINT{1, 2}));
    EXPECT_TRUE(PtInRect(&r, POINT{3, 5}));
    EXPECT_FALSE(PtInRect(&r, POINT{4, 3})); // right edge excluded
    EXPECT_FALSE(PtInRect(&r, POINT{2, 6})); // bottom edge excluded
    EXPECT_FALSE(PtInRect(&r, POINT{0, 3}));
    EXPECT_FALSE(PtInRect(nullptr, POINT{0, 0}));
}

TEST(Rect, SettersAndMoves)
{
    RECT r = kJunk;
    EXPECT_FALSE(SetRect(nullptr, 1, 2, 3, 4));
    EXPECT_TRUE(SetRect(&r, 1, 2, 3, 4));
    EXPECT_EQ(r, (RECT{1, 2, 3, 4}));
    RECT c = kJunk;
    EXPECT_TRUE(CopyRect(&c, &r));
    EXPECT_TRUE(EqualRect(&c, &r));
    EXPECT_FALSE(CopyRect(nullptr, &r));
    EXPECT_TRUE(InflateRect(&r, 2, -1));
    EXPECT_EQ(r, (RECT{-1, 3, 5, 3}));
    EXPECT_TRUE(OffsetRect(&r, 10, -3));
    EXPECT_EQ(r, (RECT{9, 0, 15, 0}));
    EXPECT_FALSE(EqualRect(&c, &r));
    EXPECT_TRUE(SetRectEmpty(&r));
    EXPECT_EQ(r, kZero);
    // Moves past the 32-bit range wrap instead of being undefined.
    RECT big = {INT_MAX - 1, 0, INT_MAX, 1};
    EXPECT_TRUE(OffsetRect(&big, 2, 0));
    EXPECT_EQ(big.left, INT_MIN);
    EXPECT_FALSE(InflateRect(nullptr, 1, 1));
    EXPECT_FALSE(OffsetRect(nullptr, 1, 1));
}

} // namespace
