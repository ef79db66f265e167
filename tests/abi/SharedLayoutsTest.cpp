// The records shared with the runtime keep their layout whatever file offset and time types
// the runtime was built with: none of them holds an off_t, a time_t or a struct stat.
#include "abi/SharedLayouts.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(SharedLayouts, SameWithAndWithout64BitFileOffsetsAndTimes)
{
    const std::vector<stLAYOUT> avec = LayoutsOfTheBuild();
    const std::vector<stLAYOUT> sans = LayoutsWithout64BitFileTypes();
    ASSERT_EQ(avec.size(), sans.size());
    for (size_t i = 0; i < avec.size(); ++i) {
        SCOPED_TRACE(avec[i].pszNom);
        EXPECT_STREQ(avec[i].pszNom, sans[i].pszNom);
        EXPECT_EQ(avec[i].nTaille, sans[i].nTaille);
        EXPECT_EQ(avec[i].nAlignement, sans[i].nAlignement);
    }
}

} // namespace
