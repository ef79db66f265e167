// Tests of the owned byte buffer.
#include "base/containers/CSimpleBuffer.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(CSimpleBuffer, SetSizeKeepsContentOnlyForTheSameSize)
{
    CSimpleBuffer buf("abcdef", 6);
    ASSERT_EQ(buf.dwGetSize(), 6u);
    const void* pAvant = buf.pGetData();
    EXPECT_TRUE(buf.SetSize(6));
    EXPECT_EQ(buf.pGetData(), pAvant);
    EXPECT_EQ(std::memcmp(buf.pGetData(), "abcdef", 6), 0);
    EXPECT_TRUE(buf.SetSize(3));
    EXPECT_EQ(buf.dwGetSize(), 3u);
    EXPECT_TRUE(buf.SetSize(0));
    EXPECT_EQ(buf.pGetData(), nullptr);
    EXPECT_EQ(buf.dwGetSize(), 0u);
}

TEST(CSimpleBuffer, CopiesAreIndependent)
{
    CSimpleBuffer a("xyz", 3);
    CSimpleBuffer b(a);
    ASSERT_EQ(b.dwGetSize(), 3u);
    EXPECT_NE(b.pGetData(), a.pGetData());
    static_cast<char*>(b.pGetData())[0] = 'Q';
    EXPECT_EQ(std::memcmp(a.pGetData(), "xyz", 3), 0);
    CSimpleBuffer c(10);
    c = a;
    EXPECT_EQ(c.dwGetSize(), 3u);
    EXPECT_EQ(std::memcmp(c.pGetData(), "xyz", 3), 0);
    c = c;
    EXPECT_EQ(std::memcmp(c.pGetData(), "xyz", 3), 0);
}

// A source inside the buffer itself: the bytes must be read before the old block goes.
TEST(CSimpleBuffer, CopyFromItsOwnBytes)
{
    CSimpleBuffer buf("0123456789", 10);
    EXPECT_TRUE(buf.CopyBuffer(static_cast<char*>(buf.pGetData()) + 4, 3));
    ASSERT_EQ(buf.dwGetSize(), 3u);
    EXPECT_EQ(std::memcmp(buf.pGetData(), "456", 3), 0);
    EXPECT_TRUE(buf.CopyBuffer(buf.pGetData(), 3));
    EXPECT_EQ(std::memcmp(buf.pGetData(), "456", 3), 0);
    EXPECT_FALSE(buf.CopyBuffer(nullptr, 4));
    EXPECT_EQ(buf.dwGetSize(), 0u);
}

} // namespace
