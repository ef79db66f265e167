// Tests of the environment and process-information calls: copies into sized buffers, setting
// and removing variables, the version record and the standard descriptors.
#include "base/system/Environment.h"

#include "support/Sentinel.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

TEST(Environment, CopiesAtMostSizeCharactersAndATerminator)
{
    ASSERT_TRUE(SetEnvironmentVariable("ZV_TEST_VAR", "abcdef"));
    EXPECT_EQ(GetEnvironmentVariable("ZV_TEST_VAR", nullptr, 0), 6u);
    const struct {
        DWORD nTaille;
        DWORD nRetour;
        const char* pszAttendu;
    } tab[] = {{1, 1, "a"}, {5, 5, "abcde"}, {6, 6, "abcdef"}, {40, 6, "abcdef"}};
    for (const auto& c : tab) {
        SCOPED_TRACE(c.nTaille);
        // The buffer holds nTaille + 1 bytes.
        zvtest::SentinelBuffer<char> buf(c.nTaille + 1);
        EXPECT_EQ(GetEnvironmentVariable("ZV_TEST_VAR", buf.data(), c.nTaille), c.nRetour);
        EXPECT_STREQ(buf.data(), c.pszAttendu);
        EXPECT_TRUE(buf.untouchedFrom(c.nRetour + 1));
        EXPECT_TRUE(buf.guardsIntact());
    }
    zvtest::SentinelBuffer<char> buf(8);
    EXPECT_EQ(GetEnvironmentVariable("ZV_TEST_VAR", buf.data(), 0), 6u);
    EXPECT_TRUE(buf.untouchedFrom(0));
    EXPECT_EQ(GetEnvironmentVariable("ZV_TEST_VAR_UNSET", buf.data(), 7), 0u);
    EXPECT_TRUE(buf.untouchedFrom(0));
    EXPECT_EQ(GetEnvironmentVariable(nullptr, buf.data(), 7), 0u);
}

TEST(Environment, SetsReplacesAndRemovesVariables)
{
    EXPECT_TRUE(SetEnvironmentVariable("ZV_TEST_SET", "one"));
    EXPECT_TRUE(SetEnvironmentVariable("ZV_TEST_SET", "two words"));
    EXPECT_STREQ(std::getenv("ZV_TEST_SET"), "two words");
    EXPECT_TRUE(SetEnvironmentVariable("ZV_TEST_SET", ""));
    EXPECT_STREQ(std::getenv("ZV_TEST_SET"), "");
    EXPECT_EQ(GetEnvironmentVariable("ZV_TEST_SET", nullptr, 0), 0u);
    EXPECT_TRUE(SetEnvironmentVariable("ZV_TEST_SET", nullptr));
    EXPECT_EQ(std::getenv("ZV_TEST_SET"), nullptr);
    EXPECT_TRUE(SetEnvironmentVariable("ZV_TEST_SET", nullptr)); // already gone
    for (const char* pszNom : {"", "A=B", static_cast<const char*>(nullptr)}) {
        EXPECT_FALSE(SetEnvironmentVariable(pszNom, "x"));
        EXPECT_FALSE(SetEnvironmentVariable(pszNom, nullptr));
    }
}

TEST(Environment, VersionRecordKeepsItsSizeAndNamesThePlatform)
{
    OSVERSIONINFO st;
    std::memset(&st, 0x5A, sizeof st);
    st.dwOSVersionInfoSize = sizeof st;
    ASSERT_TRUE(GetVersionEx(&st));
    EXPECT_EQ(st.dwOSVersionInfoSize, sizeof st);
    EXPECT_EQ(st.dwMajorVersion, 0u);
    EXPECT_EQ(st.dwMinorVersion, 0u);
    EXPECT_EQ(st.dwBuildNumber, 0u);
    EXPECT_EQ(st.dwPlatformId, VER_PLATFORM_ZORVAN_LINUX);
    EXPECT_EQ(std::string(st.szCSDVersion, sizeof st.szCSDVersion), std::string(sizeof st.szCSDVersion, '\0'));
    // A record that says it is smaller is not written past its size.
    std::memset(&st, 0x5A, sizeof st);
    st.dwOSVersionInfoSize = 20;
    EXPECT_FALSE(GetVersionEx(&st));
    EXPECT_EQ(st.dwPlatformId, 0x5A5A5A5Au);
    EXPECT_FALSE(GetVersionEx(nullptr));
}

TEST(Environment, StandardHandlesLanguageAndDebugOutput)
{
    EXPECT_EQ(GetStdHandle(STD_INPUT_HANDLE), 0);
    EXPECT_EQ(GetStdHandle(STD_OUTPUT_HANDLE), 1);
    EXPECT_EQ(GetStdHandle(STD_ERROR_HANDLE), 2);
    for (DWORD dw : {0u, 1u, 2u, static_cast<DWORD>(-13), static_cast<DWORD>(-9)})
        EXPECT_EQ(GetStdHandle(dw), -1) << dw;
    EXPECT_EQ(GetSystemDefaultLangID(), 0x0800);
    testing::internal::CaptureStderr();
    OutputDebugString("trace 1\n");
    OutputDebugString(nullptr);
    OutputDebugString("trace 2");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "trace 1\ntrace 2");
}

} // namespace
