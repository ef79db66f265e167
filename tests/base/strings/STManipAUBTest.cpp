// Tests of the value view STManipAUB and the type codes of value blocks.
#include "base/strings/STManipAUB.h"

#include "base/strings/CKLBINBase.h"
#include "base/strings/CKLDSTRBase.h"

#include <gtest/gtest.h>

namespace {

class ManipAUB : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(CKLDSTRBase::bInit()); }
    void TearDown() override { CKLDSTRBase::Term(); }
};

TEST_F(ManipAUB, TypeCodesAndViews)
{
    CKLDSTRBase clAnsi, clUni;
    CKLBINBase clBin;
    ASSERT_EQ(clAnsi.nAssign("a"), eSTRMEM_OK);
    ASSERT_EQ(clUni.nAffecteToUNICODE("a", -1, 1252, 0, 0), eSTRMEM_OK);
    ASSERT_EQ(clBin.nAssign("a", 1), eSTRMEM_OK);
    EXPECT_EQ(STManipAUB::s_nGetTypeAUB(nullptr), 19);
    EXPECT_EQ(STManipAUB::s_nGetTypeAUB(clAnsi.pGetData()), 19);
    EXPECT_EQ(STManipAUB::s_nGetTypeAUB(clUni.pGetData()), 16);
    EXPECT_EQ(STManipAUB::s_nGetTypeAUB(clBin.pGetData()), 28);
    STRMEM_pBloc(clAnsi.pGetData())->dwFlags = 0;
    EXPECT_EQ(STManipAUB::s_nGetTypeAUB(clAnsi.pGetData()), 19);

    STManipAUB::s_VerifieTypeAUB(clAnsi.pGetData(), 16);
    EXPECT_EQ(clAnsi.dwGetFlags(), unsigned(eSTRMEM_UNICODE));
    STManipAUB::s_VerifieTypeAUB(clAnsi.pGetData(), 5);   // unknown code: unchanged
    EXPECT_EQ(clAnsi.dwGetFlags(), unsigned(eSTRMEM_UNICODE));
    STRMEM_pBloc(clAnsi.pGetData())->dwFlags |= eSTRMEM_MARQUEUR;
    STManipAUB::s_VerifieTypeAUB(clAnsi.pGetData(), 28);
    EXPECT_EQ(clAnsi.dwGetFlags(), unsigned(eSTRMEM_BINAIRE | eSTRMEM_MARQUEUR));
    STManipAUB::s_VerifieTypeAUB(nullptr, 19);

    const STManipAUB stRien;
    EXPECT_STREQ(stRien.pszGetString(), "");
    const CKLDSTRBase clVide;
    const STManipAUB stVide(&clVide);
    EXPECT_EQ(stVide.pszGetString(), CKLDSTRBase::ms_szVide);
    const STManipAUB stUni(&clUni);
    EXPECT_TRUE(stUni.bEstUNICODE());
    EXPECT_EQ(stUni.pszGetString(), clUni.pGetData());
    const STManipAUB stBin(&clBin);
    EXPECT_EQ(stBin.wType, 28);
    EXPECT_FALSE(stBin.bEstUNICODE());
}

} // namespace
