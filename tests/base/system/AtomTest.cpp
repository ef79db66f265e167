// Tests of the process-wide atom table.
#include "base/system/Win32Api.h"

#include "support/Sentinel.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

TEST(Atom, SameNameInAnyCaseSharesOneNumberAndCountsReferences)
{
    const ATOM a = AddAtom("abc");
    ASSERT_NE(a, 0);
    EXPECT_EQ(AddAtom("ABC"), a);
    EXPECT_EQ(AddAtom("aBc"), a);
    EXPECT_EQ(FindAtom("Abc"), a);
    // Three references: two deletions keep it, the third removes it.
    EXPECT_EQ(DeleteAtom(a), 0);
    EXPECT_EQ(DeleteAtom(a), 0);
    EXPECT_EQ(FindAtom("abc"), a);
    EXPECT_EQ(DeleteAtom(a), 0);
    EXPECT_EQ(FindAtom("abc"), 0);
    // Gone: deleting again reports the number back.
    EXPECT_EQ(DeleteAtom(a), a);
}

TEST(Atom, NumbersAreNeverReused)
{
    const ATOM a = AddAtom("first-of-two");
    const ATOM b = AddAtom("second-of-two");
    ASSERT_NE(a, 0);
    EXPECT_EQ(b, a + 1);
    EXPECT_EQ(DeleteAtom(a), 0);
    const ATOM c = AddAtom("first-of-two");
    EXPECT_GT(c, b);
    EXPECT_EQ(DeleteAtom(b), 0);
    EXPECT_EQ(DeleteAtom(c), 0);
}

TEST(Atom, OnlyAsciiLettersFoldCase)
{
    // 0xE9 and 0xC9 are é and É in Windows-1252: distinct names for the table.
    const ATOM a = AddAtom("\xE9t\xE9");
    const ATOM b = AddAtom("\xC9t\xC9");
    EXPECT_NE(a, b);
    DeleteAtom(a);
    DeleteAtom(b);
}

TEST(Atom, NullAndUnknown)
{
    EXPECT_EQ(AddAtom(nullptr), 0);
    EXPECT_EQ(FindAtom(nullptr), 0);
    EXPECT_EQ(FindAtom("never-added"), 0);
    EXPECT_EQ(DeleteAtom(0xFFF0), 0xFFF0);
    char buffer[8] = "xxxxxxx";
    EXPECT_EQ(GetAtomName(0xFFF0, buffer, sizeof buffer), 0u);
    EXPECT_STREQ(buffer, "xxxxxxx");
}

TEST(Atom, GetAtomNameFollowsStrncpyWithinTheSize)
{
    const ATOM a = AddAtom("hello");
    ASSERT_NE(a, 0);
    const struct {
        int size;
        unsigned result;
        const char* expected; // bytes written, the terminator included when there is one
        std::size_t written;
    } rows[] = {
        {1, 1, "h", 1},           // too small: cut, no terminator
        {5, 5, "hello", 5},       // the name fills it: no terminator
        {6, 5, "hello", 6},       // exact
        {9, 5, "hello\0\0\0", 9}, // larger: strncpy pads with NULs
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.size);
        zvtest::SentinelBuffer<char> buffer(16);
        EXPECT_EQ(GetAtomName(a, buffer.data(), row.size), row.result);
        EXPECT_EQ(std::memcmp(buffer.data(), row.expected, row.written), 0);
        EXPECT_TRUE(buffer.untouchedFrom(row.written));
        EXPECT_TRUE(buffer.guardsIntact());
    }
    zvtest::SentinelBuffer<char> buffer(4);
    EXPECT_EQ(GetAtomName(a, buffer.data(), 0), 0u);
    EXPECT_EQ(GetAtomName(a, buffer.data(), -3), 0u);
    EXPECT_EQ(GetAtomName(a, nullptr, 10), 0u);
    EXPECT_TRUE(buffer.untouchedFrom(0));
    DeleteAtom(a);
}

TEST(Atom, NamesAreCopied)
{
    std::string sName = "copied-name";
    const ATOM a = AddAtom(sName.c_str());
    sName[0] = 'X';
    char buffer[32];
    EXPECT_EQ(GetAtomName(a, buffer, sizeof buffer), 11u);
    EXPECT_STREQ(buffer, "copied-name");
    DeleteAtom(a);
}

// The table is shared: threads adding, finding and deleting at once keep it consistent.
// Each thread has names of its own and all of them share one, so both paths of AddAtom (new
// entry, one more reference) and of DeleteAtom (one reference fewer, entry removed) race.
TEST(Atom, ThreadsUsingTheTableAtOnceKeepItConsistent)
{
    constexpr int knThreads = 4, knRounds = 300;
    const ATOM nShared = AddAtom("shared-by-threads");
    ASSERT_NE(nShared, 0);
    std::vector<int> vErrors(knThreads, 0);
    std::vector<std::thread> vThreads;
    for (int t = 0; t < knThreads; ++t) {
        vThreads.emplace_back([&vErrors, nShared, t] {
            for (int i = 0; i < knRounds; ++i) {
                const std::string strName = "thread" + std::to_string(t) + "-" + std::to_string(i % 7);
                const ATOM a = AddAtom(strName.c_str());
                vErrors[t] += a == 0 || FindAtom(strName.c_str()) != a;
                char sz[32];
                vErrors[t] += GetAtomName(a, sz, sizeof sz) != strName.size() || strName != sz;
                vErrors[t] += AddAtom("SHARED-by-threads") != nShared;
                vErrors[t] += DeleteAtom(nShared) != 0;
                vErrors[t] += DeleteAtom(a) != 0;
            }
        });
    }
    for (std::thread& th : vThreads)
        th.join();
    for (int t = 0; t < knThreads; ++t)
        EXPECT_EQ(vErrors[t], 0) << "thread " << t;
    // Only the first reference of the shared name is left, and no name of a thread.
    EXPECT_EQ(FindAtom("shared-by-threads"), nShared);
    EXPECT_EQ(DeleteAtom(nShared), 0);
    EXPECT_EQ(FindAtom("shared-by-threads"), 0);
    EXPECT_EQ(FindAtom("thread0-0"), 0);
}

// Last in the file: it uses up the atom numbers of the process.
TEST(Atom, ExhaustedNumbersAreRefusedNotWrapped)
{
    CAtom::gnId = 0xFFFF;
    const ATOM last = AddAtom("the-last-number");
    EXPECT_EQ(last, 0xFFFF);
    EXPECT_EQ(AddAtom("one-too-many"), 0);
    EXPECT_EQ(FindAtom("one-too-many"), 0);
    // Existing names still gain references.
    EXPECT_EQ(AddAtom("THE-LAST-NUMBER"), last);
    EXPECT_EQ(DeleteAtom(last), 0);
    EXPECT_EQ(DeleteAtom(last), 0);
    EXPECT_EQ(AddAtom("the-last-number"), 0);
}

} // namespace
