// Tests of formatting into a buffer of known room.
#include "base/strings/BoundedFormat.h"

#include "support/Sentinel.h"

#include <gtest/gtest.h>

TEST(BoundedFormat, CutsAtNAndTerminates)
{
    const struct { unsigned n; int nResult; const char* pszText; } aRows[] = {
        {3, -1, "123"}, {4, -1, "1234"}, {5, 5, "12345"}, {9, 5, "12345"}, {0, -1, ""}};
    for (const auto& r : aRows) {
        SCOPED_TRACE(r.n);
        zvtest::SentinelBuffer<char> cl(r.n + 1); // n characters and the terminator
        EXPECT_EQ(r.nResult, sznprintf(cl.data(), r.n, "%d", 12345));
        EXPECT_STREQ(r.pszText, cl.data());
        EXPECT_TRUE(cl.guardsIntact());
    }
    char sz[4];
    EXPECT_EQ(0, sznprintf(sz, 3, "%s", ""));
    EXPECT_EQ(-1, sznprintf(nullptr, 3, "%d", 1));
}

TEST(BoundedFormat, WideFormsAreNotProvided)
{
    zvtest::SentinelBuffer<wchar_t> cl(5);
    EXPECT_EQ(-1, sznwprintf(cl.data(), 4, L"%d", 12));
    EXPECT_EQ(0, cl[0]);
    EXPECT_EQ(0, cl[4]);
    EXPECT_TRUE(cl.guardsIntact());
    EXPECT_EQ(-1, sznwprintf(nullptr, 4, L"%d", 12));
}
