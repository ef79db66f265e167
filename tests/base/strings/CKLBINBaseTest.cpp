// Tests of the language's binary values: bytes without terminator, copy on write, sizes, search.
#include "base/strings/CKLBINBase.h"

#include "base/strings/CKLDSTRBase.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

class KLBIN : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(CKLDSTRBase::bInit()); }
    void TearDown() override { CKLDSTRBase::Term(); }
};

TEST_F(KLBIN, BytesWithoutTerminatorAndCopyOnWrite)
{
    static const unsigned char ab[] = {1, 0, 2, 0xFF};
    CKLBINBase a;
    ASSERT_EQ(a.nAssign(ab, 4), eSTRMEM_OK);
    EXPECT_EQ(a.dwGetFlags(), unsigned(eSTRMEM_BINAIRE));
    // No zero word follows the bytes: the next byte is whatever the block held.
    char* p = const_cast<char*>(static_cast<const char*>(a.pGetData()));
    p[4] = 'Z';
    CKLBINBase b(a);
    ASSERT_EQ(b.nConcat("xy", 2), eSTRMEM_OK);
    EXPECT_EQ(a.nGetSize(), 4u);
    EXPECT_EQ(std::memcmp(a.pGetData(), ab, 4), 0);
    EXPECT_EQ(p[4], 'Z');
    ASSERT_EQ(b.nGetSize(), 6u);
    EXPECT_EQ(std::memcmp(b.pGetData(), "\x01\x00\x02\xFFxy", 6), 0);
    EXPECT_EQ(a.nGetRef(), 1);

    CKLBINBase c(a);
    ASSERT_EQ(c.SetUtilSize(2), eSTRMEM_OK);
    EXPECT_EQ(a.nGetSize(), 4u);
    EXPECT_EQ(c.nGetSize(), 2u);
    EXPECT_EQ(c.SetUtilSize(c.nGetCapacite() + 1), eSTRMEM_TROPGRAND);
}

TEST_F(KLBIN, SizesSearchAndCompare)
{
    CKLBINBase cl;
    ASSERT_EQ(cl.nSetSize(2000), eSTRMEM_OK);
    EXPECT_EQ(cl.nGetSize(), 2000u);
    EXPECT_EQ(cl.nGetCapacite(), 4000u);
    ASSERT_EQ(cl.nSetMemorySize(2100), eSTRMEM_OK);
    EXPECT_EQ(cl.nGetSize(), 2000u);
    EXPECT_EQ(cl.nGetCapacite(), 4000u);
    ASSERT_EQ(cl.nSetSize(0), eSTRMEM_OK);
    EXPECT_EQ(cl.pGetData(), nullptr);

    ASSERT_EQ(cl.nAssign("\0ab\0ab", 6), eSTRMEM_OK);
    EXPECT_EQ(cl.nPos("ab", 2), 1);
    EXPECT_EQ(cl.nPos("ab", 2, 2), 4);
    EXPECT_TRUE(cl.bCommencePar("\0a", 2));
    CKLBINBase clMilieu = cl.clMilieu(3, 10);
    ASSERT_EQ(clMilieu.nGetSize(), 3u);
    EXPECT_EQ(std::memcmp(clMilieu.pGetData(), "\0ab", 3), 0);
    ASSERT_EQ(cl.Tronque(3), eSTRMEM_OK);
    EXPECT_EQ(CKLBINBase::nCompare(cl, clMilieu), 0);
    CKLBINBase clCourt;
    ASSERT_EQ(clCourt.nAssign("\0a", 2), eSTRMEM_OK);
    EXPECT_EQ(CKLBINBase::nCompare(clCourt, cl), -1);
    EXPECT_EQ(CKLBINBase::nCompare(cl, CKLBINBase()), 1);
}

} // namespace
