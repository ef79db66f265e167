// Tests of the Windows-1252 character tables and of the current character set.
#include "base/strings/CharTables.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

namespace {

std::string Hex(int c)
{
    char sz[8];
    std::snprintf(sz, sizeof(sz), "0x%02X", c);
    return sz;
}

std::vector<int> Range(int nFirst, int nLast)
{
    std::vector<int> v;
    for (int c = nFirst; c <= nLast; ++c)
        v.push_back(c);
    return v;
}

std::vector<int> Join(std::initializer_list<std::vector<int>> parts)
{
    std::vector<int> v;
    for (const auto& part : parts)
        v.insert(v.end(), part.begin(), part.end());
    return v;
}

// Expected values built from the rules one range at a time; bytes not named are identity.
std::vector<int> Identity()
{
    return Range(0, 255);
}

TEST(CharTables, UpperAndLowerFollowTheirRules)
{
    std::vector<int> up = Identity();
    for (int c = 'a'; c <= 'z'; ++c) up[c] = c - 0x20;
    up[0x9A] = 0x8A; up[0x9C] = 0x8C; up[0x9E] = 0x8E; up[0xFF] = 0x9F;
    for (int c = 0xE0; c <= 0xFE; ++c) if (c != 0xF7) up[c] = c - 0x20;

    std::vector<int> lo = Identity();
    for (int c = 'A'; c <= 'Z'; ++c) lo[c] = c + 0x20;
    lo[0x8A] = 0x9A; lo[0x8C] = 0x9C; lo[0x8E] = 0x9E; lo[0x9F] = 0xFF;
    for (int c = 0xC0; c <= 0xDE; ++c) if (c != 0xD7) lo[c] = c + 0x20;

    for (int c = 0; c < 256; ++c) {
        SCOPED_TRACE(Hex(c));
        EXPECT_EQ(pToUpper_Latin1[c], up[c]);
        EXPECT_EQ(pToLower_Latin1[c], lo[c]);
    }
    // The signs that have no other case stay.
    for (int c : {0xDF, 0xB5, 0xF7, 0xD7}) {
        SCOPED_TRACE(Hex(c));
        EXPECT_EQ(pToUpper_Latin1[c], c);
        EXPECT_EQ(pToLower_Latin1[c], c);
    }
}

struct AccentRow {
    const char* pszLabel;
    std::vector<int> bytes;
    char cPlain;
};

TEST(CharTables, AccentMapRows)
{
    const AccentRow rows[] = {
        {"S caron", {0x8A}, 'S'},           {"Z caron", {0x8E}, 'Z'},
        {"s caron", {0x9A}, 's'},           {"z caron", {0x9E}, 'z'},
        {"Y diaeresis", {0x9F}, 'Y'},       {"capital A", Range(0xC0, 0xC5), 'A'},
        {"C cedilla", {0xC7}, 'C'},         {"capital E", Range(0xC8, 0xCB), 'E'},
        {"capital I", Range(0xCC, 0xCF), 'I'}, {"N tilde", {0xD1}, 'N'},
        {"capital O", Join({Range(0xD2, 0xD6), {0xD8}}), 'O'},
        {"capital U", Range(0xD9, 0xDC), 'U'}, {"Y acute", {0xDD}, 'Y'},
        {"small a", Range(0xE0, 0xE5), 'a'}, {"c cedilla", {0xE7}, 'c'},
        {"small e", Range(0xE8, 0xEB), 'e'}, {"small i", Range(0xEC, 0xEF), 'i'},
        {"n tilde", {0xF1}, 'n'},           {"small o", Join({Range(0xF2, 0xF6), {0xF8}}), 'o'},
        {"small u", Range(0xF9, 0xFC), 'u'}, {"small y", {0xFD, 0xFF}, 'y'},
    };
    std::set<int> mapped;
    for (const AccentRow& row : rows) {
        for (int c : row.bytes) {
            SCOPED_TRACE(std::string(row.pszLabel) + " " + Hex(c));
            EXPECT_EQ(pToNoAccent_Latin1[c], static_cast<unsigned char>(row.cPlain));
            mapped.insert(c);
        }
    }
    for (int c = 0; c < 256; ++c) {
        if (mapped.count(c) == 0) {
            SCOPED_TRACE("unmapped " + Hex(c));
            EXPECT_EQ(pToNoAccent_Latin1[c], c);
        }
    }
}

TEST(CharTables, AccentFreeUpperIsUpperOfAccentFree)
{
    for (int c = 0; c < 256; ++c) {
        SCOPED_TRACE(Hex(c));
        EXPECT_EQ(pToNoAccentUpper_Latin1[c], pToUpper_Latin1[pToNoAccent_Latin1[c]]);
    }
    EXPECT_EQ(pToNoAccentUpper_Latin1[0xE9], 'E');  // é
    EXPECT_EQ(pToNoAccentUpper_Latin1[0xFF], 'Y');  // ÿ
}

struct ClassRow {
    unsigned char byClass;
    std::vector<int> bytes;
};

TEST(CharTables, ClassRows)
{
    const ClassRow rows[] = {
        {0x00, Join({Range('A', 'Z'), {0x00, 0x83, 0x8C, 0x99, 0xAA, 0xB2, 0xB3, 0xB9, 0xBA, 0xBC,
                                       0xBD, 0xBE, 0xC6, 0xD0, 0xDE, 0xDF}})},
        {0x01, Range('0', '9')},
        {0x02, Join({Range('a', 'z'), {0x9C, 0xE6, 0xF0, 0xFE}})},
        {0x04, Join({{0x8A, 0x8E, 0x9F}, Range(0xC0, 0xC5), Range(0xC7, 0xCF), Range(0xD1, 0xD6),
                     Range(0xD8, 0xDD)})},
        {0x06, Join({{0x9A, 0x9E}, Range(0xE0, 0xE5), Range(0xE7, 0xEF), Range(0xF1, 0xF6),
                     Range(0xF8, 0xFD), {0xFF}})},
        {0x18, {0x09, 0x0A, 0x0D, 0x20, 0xA0}},
    };
    std::set<int> named;
    for (const ClassRow& row : rows) {
        for (int c : row.bytes) {
            SCOPED_TRACE("class " + Hex(row.byClass) + " byte " + Hex(c));
            EXPECT_EQ(pbyCharType_Latin1[c], row.byClass);
            EXPECT_TRUE(named.insert(c).second) << "byte listed twice";
        }
    }
    for (int c = 0; c < 256; ++c) {
        if (named.count(c) == 0) {
            SCOPED_TRACE("class 0x08 byte " + Hex(c));
            EXPECT_EQ(pbyCharType_Latin1[c], 0x08);
        }
    }
}

TEST(CharTables, ClassBitsAgreeWithTheCaseAndAccentTables)
{
    for (int c = 0; c < 256; ++c) {
        SCOPED_TRACE(Hex(c));
        const unsigned char byClass = pbyCharType_Latin1[c];
        const unsigned char byUpper = pToUpper_Latin1[c];
        const unsigned char byPlain = pToNoAccent_Latin1[c];
        if (byClass == 0x06) {
            EXPECT_EQ(pbyCharType_Latin1[byUpper], 0x04);   // accented small -> accented capital
            EXPECT_EQ(pToLower_Latin1[byUpper], c);
        }
        if (byClass == 0x02) {
            EXPECT_EQ(pbyCharType_Latin1[byUpper], 0x00);
        }
        if (byClass == 0x04) {
            EXPECT_EQ(pToUpper_Latin1[pToLower_Latin1[c]], c);  // capitals come back
        }
        // Only accented letters lose their accent, and they become ASCII letters of the same
        // case.
        if (byClass & eCHARTYPE_ACCENT) {
            EXPECT_TRUE((byPlain >= 'A' && byPlain <= 'Z') || (byPlain >= 'a' && byPlain <= 'z'));
            EXPECT_EQ(pbyCharType_Latin1[byPlain], byClass & eCHARTYPE_LOWER);
        } else {
            EXPECT_EQ(byPlain, c);
        }
        // Letters that change case are letters, never punctuation or digits.
        if (byUpper != c || pToLower_Latin1[c] != c) {
            EXPECT_EQ(byClass & (eCHARTYPE_PUNCT | eCHARTYPE_DIGIT), 0);
        }
        // White space is always punctuation too.
        if (byClass & eCHARTYPE_SPACE) {
            EXPECT_TRUE(byClass & eCHARTYPE_PUNCT);
        }
    }
}

TEST(CharTables, SortOrderIsThePermutationGiven)
{
    const unsigned char byOrder[256] = {
        0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x0E, 0x0F, 0x10, 0x11, 0x12, 0x13, 0x14,
        0x15, 0x16, 0x17, 0x18, 0x19, 0x1A, 0x1B, 0x1C, 0x1D, 0x1E, 0x1F, 0x7F, 0x81, 0x8D, 0x8F, 0x90,
        0x9D, 0x27, 0x2D, 0xAD, 0x96, 0x97, 0x20, 0xA0, 0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x21, 0x22, 0x23,
        0x24, 0x25, 0x26, 0x28, 0x29, 0x2A, 0x2C, 0x2E, 0x2F, 0x3A, 0x3B, 0x3F, 0x40, 0x5B, 0x5C, 0x5D,
        0x5E, 0x88, 0x5F, 0x60, 0x7B, 0x7C, 0x7D, 0x7E, 0xA1, 0xA6, 0xA8, 0xAF, 0xB4, 0xB8, 0xBF, 0x98,
        0x91, 0x92, 0x82, 0x93, 0x94, 0x84, 0x8B, 0x9B, 0x2B, 0x3C, 0x3D, 0x3E, 0xB1, 0xAB, 0xBB, 0xD7,
        0xF7, 0xA2, 0xA3, 0xA4, 0xA5, 0xA7, 0xA9, 0xAC, 0xAE, 0xB0, 0xB5, 0xB6, 0xB7, 0x86, 0x87, 0x95,
        0x85, 0x89, 0x80, 0x30, 0xBC, 0xBD, 0xBE, 0x31, 0xB9, 0x32, 0xB2, 0x33, 0xB3, 0x34, 0x35, 0x36,
        0x37, 0x38, 0x39, 0x61, 0x41, 0xAA, 0xE1, 0xC1, 0xE0, 0xC0, 0xE2, 0xC2, 0xE4, 0xC4, 0xE3, 0xC3,
        0xE5, 0xC5, 0xE6, 0xC6, 0x62, 0x42, 0x63, 0x43, 0xE7, 0xC7, 0x64, 0x44, 0xF0, 0xD0, 0x65, 0x45,
        0xE9, 0xC9, 0xE8, 0xC8, 0xEA, 0xCA, 0xEB, 0xCB, 0x66, 0x46, 0x83, 0x67, 0x47, 0x68, 0x48, 0x69,
        0x49, 0xED, 0xCD, 0xEC, 0xCC, 0xEE, 0xCE, 0xEF, 0xCF, 0x6A, 0x4A, 0x6B, 0x4B, 0x6C, 0x4C, 0x6D,
        0x4D, 0x6E, 0x4E, 0xF1, 0xD1, 0x6F, 0x4F, 0xBA, 0xF3, 0xD3, 0xF2, 0xD2, 0xF4, 0xD4, 0xF6, 0xD6,
        0xF5, 0xD5, 0xF8, 0xD8, 0x9C, 0x8C, 0x70, 0x50, 0x71, 0x51, 0x72, 0x52, 0x73, 0x53, 0x9A, 0x8A,
        0xDF, 0x74, 0x54, 0xFE, 0xDE, 0x99, 0x75, 0x55, 0xFA, 0xDA, 0xF9, 0xD9, 0xFB, 0xDB, 0xFC, 0xDC,
        0x76, 0x56, 0x77, 0x57, 0x78, 0x58, 0x79, 0x59, 0xFD, 0xDD, 0x9F, 0x7A, 0x5A, 0x9E, 0x8E, 0xFF,
    };
    std::set<int> keys;
    for (int i = 0; i < 256; ++i) {
        SCOPED_TRACE("position " + std::to_string(i) + " byte " + Hex(byOrder[i]));
        EXPECT_EQ(pwCharOrder_Latin1[byOrder[i]], i);
        keys.insert(pwCharOrder_Latin1[i] & 0xFF);
    }
    EXPECT_EQ(keys.size(), 256u);  // a permutation: every key used once
    // Each small letter sorts just before its capital.
    for (int c = 'a'; c <= 'z'; ++c) {
        SCOPED_TRACE(std::string(1, static_cast<char>(c)));
        EXPECT_EQ(pwCharOrder_Latin1[c] + 1, pwCharOrder_Latin1[c - 0x20]);
    }
}

TEST(CharTables, AlphaNumericBitmapHoldsTheLettersAndDigits)
{
    const std::vector<int> set = Join({Range('0', '9'), Range('A', 'Z'), Range('a', 'z'),
                                       {0x83, 0x8A, 0x8C, 0x8E, 0x9A, 0x9C, 0x9E, 0x9F, 0xB2, 0xB3,
                                        0xB9},
                                       Range(0xC0, 0xD6), Range(0xD8, 0xF6), Range(0xF8, 0xFF)});
    ASSERT_EQ(set.size(), 135u);
    const std::set<int> members(set.begin(), set.end());
    for (int c = 0; c < 256; ++c) {
        SCOPED_TRACE(Hex(c));
        const bool bSet = (gpbyIsChaAlphaNumeric_Latin1[c / 8] >> (c & 7)) & 1;
        EXPECT_EQ(bSet, members.count(c) == 1);
    }
}

TEST(CharTables, GroupedTablesInTheirOrder)
{
    EXPECT_EQ(gstCharTab.pbyToUpper, pToUpper_Latin1);
    EXPECT_EQ(gstCharTab.pbyToLower, pToLower_Latin1);
    EXPECT_EQ(gstCharTab.pbyToNoAccent, pToNoAccent_Latin1);
    EXPECT_EQ(gstCharTab.pbyCharType, pbyCharType_Latin1);
    EXPECT_EQ(gstCharTab.pwCharOrder, pwCharOrder_Latin1);
    EXPECT_EQ(sizeof(_stCHARTAB), 5 * sizeof(void*));
}

TEST(CharTables, CurrentSetStartsAsWindows1252)
{
    EXPECT_EQ(STR_pstGetCharTabLocal(), &gstCharTab);
    EXPECT_EQ(STR_nGetCurrentChangeCharset(), 0);
}

TEST(CharTables, ChangeAlphabetStoresNumberAndTables)
{
    unsigned char byUpper[256];
    for (int c = 0; c < 256; ++c) byUpper[c] = static_cast<unsigned char>(c);
    const _stCHARTAB st = {byUpper, pToLower_Latin1, pToNoAccent_Latin1, pbyCharType_Latin1,
                           pwCharOrder_Latin1};
    STR_ChangeAlphabet(204, &st);
    EXPECT_EQ(STR_pstGetCharTabLocal(), &st);
    EXPECT_EQ(STR_nGetCurrentChangeCharset(), 204);

    // 127 is reported as 0 except by the internal query.
    STR_ChangeAlphabet(127, &st);
    EXPECT_EQ(STR_nGetCurrentChangeCharset(), 0);
    EXPECT_EQ(STR_nGetCurrentChangeCharsetInterne(), 127);

    // Missing or incomplete tables stand for Windows-1252, so nothing indexes a null table.
    STR_ChangeAlphabet(238, nullptr);
    EXPECT_EQ(STR_pstGetCharTabLocal(), &gstCharTab);
    const _stCHARTAB stHoles = {byUpper, nullptr, pToNoAccent_Latin1, pbyCharType_Latin1,
                                pwCharOrder_Latin1};
    STR_ChangeAlphabet(238, &stHoles);
    EXPECT_EQ(STR_pstGetCharTabLocal(), &gstCharTab);
    EXPECT_EQ(STR_nGetCurrentChangeCharset(), 238);
}

class FakeCtx : public ICtxInfoAlphabet {
public:
    FakeCtx(int nCharset, const _stCHARTAB* pst) : m_nCharset(nCharset), m_pst(pst) {}
    void vReserved0() override { ++m_nOtherCalls; }
    int nGetCharset() override { return m_nCharset; }
    void vReserved2() override { ++m_nOtherCalls; }
    const _stCHARTAB* pstGetCharTab() override { return m_pst; }

    int m_nCharset;
    const _stCHARTAB* m_pst;
    int m_nOtherCalls = 0;
};

TEST(CharTables, InstalledInterfaceTakesPrecedence)
{
    const _stCHARTAB st = gstCharTab;
    STR_ChangeAlphabet(204, nullptr);
    FakeCtx ctx(127, &st);
    STR_SetCtxInfoAlphabet(&ctx);
    EXPECT_EQ(STR_pstGetCharTabLocal(), &st);
    EXPECT_EQ(STR_nGetCurrentChangeCharset(), 0);
    EXPECT_EQ(STR_nGetCurrentChangeCharsetInterne(), 127);
    EXPECT_EQ(ctx.m_nOtherCalls, 0);

    ctx.m_pst = nullptr;  // an interface without tables does not hand out null
    EXPECT_EQ(STR_pstGetCharTabLocal(), &gstCharTab);

    STR_SetCtxInfoAlphabet(nullptr);
    EXPECT_EQ(STR_nGetCurrentChangeCharset(), 204);
}

// The runtime calls through the virtual table by slot number.
TEST(CharTables, InterfaceSlotsAreInTheirPlaces)
{
    const _stCHARTAB st = gstCharTab;
    FakeCtx ctx(161, &st);
    ICtxInfoAlphabet* pCtx = &ctx;
    void** pVtbl = *reinterpret_cast<void***>(pCtx);
    using FnCharset = int (*)(ICtxInfoAlphabet*);
    using FnTables = const _stCHARTAB* (*)(ICtxInfoAlphabet*);
    EXPECT_EQ(reinterpret_cast<FnCharset>(pVtbl[1])(pCtx), 161);
    EXPECT_EQ(reinterpret_cast<FnTables>(pVtbl[3])(pCtx), &st);
}

} // namespace
