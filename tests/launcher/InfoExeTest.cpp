// Tests of the information block: its byte layout and the shape by which a block is recognised.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "launcher/InfoExe.h"

namespace {

// Packed fields are read by value: a reference to them may be misaligned.
template <typename T>
T Valeur(T v)
{
    return v;
}

// A block with its template values, written byte by byte at the offsets of the format.
std::vector<unsigned char> ModeleOctets()
{
    std::vector<unsigned char> ab(2234, 0);
    std::memcpy(&ab[8], "zv150vm.so", 10);
    std::memcpy(&ab[530], "default.zvl", 11);
    ab[831] = 1;
    std::memcpy(&ab[835], "default.zvp", 11);
    ab[1116] = ab[1117] = ab[1118] = ab[1119] = 0xFF;
    return ab;
}

TEST(InfoExeTest, StructFieldsLieAtTheFormatOffsets)
{
    std::vector<unsigned char> ab = ModeleOctets();
    // Patched values, little-endian, at their offsets.
    const unsigned char abPosition[8] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x88};
    std::memcpy(&ab[791], abPosition, 8);
    ab[811] = 1;
    ab[1120] = 2;
    ab[2226] = 0xFE, ab[2227] = 0xFF, ab[2228] = 0xFF, ab[2229] = 0xFF;

    _stINFOEXE st;
    std::memcpy(&st, ab.data(), sizeof(st));
    EXPECT_STREQ("zv150vm.so", st.szNomFramework);
    EXPECT_STREQ("default.zvl", st.szNomZVL);
    EXPECT_STREQ("default.zvp", st.szNomProjet);
    EXPECT_EQ(static_cast<int64_t>(0x8807060504030201ull), Valeur(st.oPositionZVL));
    EXPECT_EQ(1, Valeur(st.bRechercheRestreinte));
    EXPECT_EQ(2, Valeur(st.bFrameworkCommun));
    EXPECT_EQ(-2, Valeur(st.nVersionActive));
    EXPECT_EQ(1, Valeur(st.nReserve3));
    EXPECT_EQ(-1, Valeur(st.nReserve4));
}

TEST(InfoExeTest, RecognisesBlocksByTheirReservedBytes)
{
    EXPECT_TRUE(bFormeInfoExe(ModeleOctets().data()));

    struct Row {
        const char* label;
        size_t nOffset;
        unsigned char c;
        bool recognised;
    } rows[] = {
        {"patched runtime name", 8, 'x', true},
        {"patched flags", 811, 1, true},
        {"patched version", 2229, 0x80, true},
        {"leading reserved byte", 0, 1, false},
        {"reserved bytes after the position", 805, 1, false},
        {"reserved bytes after the restricted flag", 830, 1, false},
        {"the word holding 1", 831, 2, false},
        {"the word holding -1", 1119, 0x7F, false},
        {"first byte of the long zero run", 1124, 1, false},
        {"last byte of the long zero run", 2225, 1, false},
        {"trailing reserved bytes", 2233, 1, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        std::vector<unsigned char> ab = ModeleOctets();
        ab[row.nOffset] = row.c;
        EXPECT_EQ(row.recognised, bFormeInfoExe(ab.data()));
    }
}

TEST(InfoExeTest, TextAreasWithoutTerminatorAreNotABlock)
{
    struct Row {
        const char* label;
        size_t nDebut, nTaille;
    } rows[] = {
        {"runtime name", 8, 522},
        {"application library", 530, 261},
        {"project", 835, 281},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        std::vector<unsigned char> ab = ModeleOctets();
        std::memset(&ab[row.nDebut], 'a', row.nTaille);
        EXPECT_FALSE(bFormeInfoExe(ab.data()));
        ab[row.nDebut + row.nTaille - 1] = 0;
        EXPECT_TRUE(bFormeInfoExe(ab.data()));
    }
}

}  // namespace
