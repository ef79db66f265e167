// Tests of CTStringFormat, the CTString formatted at construction.
#include "base/messages/CTStringFormat.h"

#include <gtest/gtest.h>

namespace {

TEST(CTStringFormat, HoldsTheFormattedText)
{
    const CTStringFormat s("%d-%s-%05.1f", -5, "x", 2.25);
    EXPECT_STREQ("-5-x-002.2", s.pszGet());
    const CTString& cl = s;   // usable wherever a CTString is expected
    EXPECT_EQ(10, cl.nTaille());
    EXPECT_TRUE(CTStringFormat("%s", "").bEstVide());
}

} // namespace
