// Tests of the file-name and path functions of CDiskFile.
#include "base/files/CDiskFile.h"

#include "base/strings/CTString.h"
#include "support/TempDir.h"
#include "support/Sentinel.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <pwd.h>
#include <string>
#include <unistd.h>

namespace {

// A temporary directory, made the current directory for the life of the object.
class TempCwd {
public:
    TempCwd() : m_dir("zvdisk")
    {
        char szOld[4096];
        m_sOld = getcwd(szOld, sizeof szOld) ? szOld : "/";
        EXPECT_EQ(chdir(m_dir.dir().c_str()), 0);
    }
    ~TempCwd() { EXPECT_EQ(chdir(m_sOld.c_str()), 0); }
    const std::string& dir() const { return m_dir.dir(); }

private:
    zvtest::TempDir m_dir; // removed after the directory was left
    std::string m_sOld;
};

TEST(CDiskFile, SplitPathTable)
{
    const struct {
        const char *path, *dir, *name, *ext;
    } rows[] = {
        {"/usr/lib/zv150vm.so", "/usr/lib/", "zv150vm", ".so"},
        {"C:\\dir\\app", "C:/dir/", "app", ""},
        {"/a", "/", "a", ""},
        {"name.tar.gz", "", "name.tar", ".gz"},
        {"dir.d/file", "dir.d/", "file", ""},
        {"/opt/app/", "/opt/app/", "", ""},
        {".profile", "", "", ".profile"},
        {"", "", "", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        char dir[261], name[261], ext[261], drive[261] = "X", nameExt[261];
        CDiskFile::SplitPath(row.path, dir, name, ext);
        EXPECT_STREQ(dir, row.dir);
        EXPECT_STREQ(name, row.name);
        EXPECT_STREQ(ext, row.ext);
        CDiskFile::SplitPath(row.path, drive, dir, name, ext);
        EXPECT_STREQ(drive, "");
        EXPECT_STREQ(name, row.name);
        CDiskFile::SplitPath(row.path, dir, nameExt);
        EXPECT_EQ(std::string(nameExt), std::string(row.name) + row.ext);
        // Every output may be left out.
        CDiskFile::SplitPath(row.path, nullptr, nullptr, nullptr);
    }
}

TEST(CDiskFile, SplitPathCutsOverlongPartsToTheBuffer)
{
    const std::string sLong = "/" + std::string(400, 'd') + "/" + std::string(400, 'n') + ".e";
    zvtest::SentinelBuffer<char> dir(261), name(261), ext(261);
    CDiskFile::SplitPath(sLong.c_str(), dir.data(), name.data(), ext.data());
    EXPECT_EQ(std::strlen(dir.data()), 260u);
    EXPECT_EQ(std::strlen(name.data()), 260u);
    EXPECT_STREQ(ext.data(), ".e");
    EXPECT_TRUE(dir.guardsIntact());
    EXPECT_TRUE(name.guardsIntact());
    EXPECT_TRUE(ext.guardsIntact());
}

TEST(CDiskFile, MakePathTable)
{
    const struct {
        const char *dir, *name, *ext, *out;
    } rows[] = {
        {"/opt/app", "run", "zvl", "/opt/app/run.zvl"},
        {"/opt/app", "run", ".zvl", "/opt/app/run.zvl"},
        {"/opt/app/", "run", "", "/opt/app/run"},
        {"\\opt\\app", "run", "zvl", "/opt/app/run.zvl"},
        {"", "run", "zvl", "run.zvl"},
        {"/opt/app", "", "zvl", "/opt/app/"},
        {"", "", "", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.dir) + "|" + row.name + "|" + row.ext);
        char out[261];
        CDiskFile::MakePath(out, row.dir, row.name, row.ext);
        EXPECT_STREQ(out, row.out);
    }
    // A result longer than the buffer is cut, not overflowed.
    zvtest::SentinelBuffer<char> out(261);
    const std::string sDir(300, 'd');
    CDiskFile::MakePath(out.data(), sDir.c_str(), "n", "e");
    EXPECT_EQ(std::strlen(out.data()), 260u);
    EXPECT_TRUE(out.guardsIntact());
}

TEST(CDiskFile, SlashesAndDirectoryEnds)
{
    char a[261] = "a\\b\\c";
    EXPECT_STREQ(CDiskFile::pszBackSlash2Slash(a), "a/b/c");
    EXPECT_STREQ(CDiskFile::pszSlash2BackSlash(a), "a\\b\\c");
    CTString str("x\\y");
    EXPECT_STREQ(CDiskFile::pszBackSlash2Slash(str), "x/y");

    const struct {
        const char *in, *with;
        unsigned len;
        const char* without;
    } rows[] = {
        {"dir", "dir/", 3, "dir"},   {"", "", 0, ""},       {"dir/", "dir/", 4, "dir"},
        {"d\\", "d/", 2, "d"},       {"dir///", "dir///", 6, "dir"}, {"/", "/", 1, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.in);
        char buf[261];
        std::strcpy(buf, row.in);
        EXPECT_EQ(CDiskFile::DirectoryWithEndSlash(buf), row.len);
        EXPECT_STREQ(buf, row.with);
        CTString cl(row.in);
        EXPECT_EQ(CDiskFile::DirectoryWithEndSlash(cl), row.len);
        EXPECT_STREQ(cl.pszGet(), row.with);
        std::strcpy(buf, row.in);
        CDiskFile::DirectoryWithoutEndSlash(buf);
        EXPECT_STREQ(buf, row.without);
    }
    // A full 261-byte buffer gets no slash appended past its end.
    zvtest::SentinelBuffer<char> full(261);
    std::memset(full.data(), 'x', 260);
    full[260] = '\0';
    EXPECT_EQ(CDiskFile::DirectoryWithEndSlash(full.data()), 260u);
    EXPECT_TRUE(full.guardsIntact());
}

TEST(CDiskFile, ExtensionsTable)
{
    const struct {
        const char *path, *ext, *changed, *deleted;
    } rows[] = {
        {"a.txt", "zvl", "a.zvl", "a"},
        {"a.txt", ".zvl", "a.zvl", "a"},
        {"a", "zvl", "a.zvl", "a"},
        {"a", ".zvl", "a.zvl", "a"},
        {"a.txt", "", "a.", "a"},
        {"a.", "zvl", "a.zvl", "a"},
        {"a.b/c", "x", "a.b/c.x", "a.b/c"},
        {"a/b.c.d", "x", "a/b.c.x", "a/b.c"},
        {"d\\f.e", "x", "d/f.x", "d/f"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.path) + " + " + row.ext);
        char buf[261];
        std::strcpy(buf, row.path);
        CDiskFile::ChangeExtension(buf, sizeof buf, row.ext);
        EXPECT_STREQ(buf, row.changed);
        std::strcpy(buf, row.path);
        CDiskFile::DelExtension(buf);
        EXPECT_STREQ(buf, row.deleted);
    }
}

TEST(CDiskFile, ChangeExtensionStaysWithinTheSize)
{
    for (unsigned nSize : {1u, 2u, 4u, 5u, 6u, 7u}) {
        SCOPED_TRACE(nSize);
        zvtest::SentinelBuffer<char> buf(nSize);
        std::strncpy(buf.data(), "abcd", nSize - 1);
        buf[nSize - 1] = '\0';
        CDiskFile::ChangeExtension(buf.data(), nSize, "zx");
        EXPECT_LT(std::strlen(buf.data()), nSize);
        EXPECT_TRUE(buf.guardsIntact());
    }
    // Exactly the room for 'ab.zx'.
    char exact[6] = "ab";
    CDiskFile::ChangeExtension(exact, sizeof exact, "zx");
    EXPECT_STREQ(exact, "ab.zx");
}

TEST(CDiskFile, KindsOfNames)
{
    EXPECT_TRUE(CDiskFile::bIsRelativePath("./x"));
    EXPECT_FALSE(CDiskFile::bIsRelativePath("x"));
    EXPECT_TRUE(CDiskFile::bIsRelativeFileName(""));
    EXPECT_TRUE(CDiskFile::bIsRelativeFileName("x/y"));
    EXPECT_FALSE(CDiskFile::bIsRelativeFileName("/x"));
    EXPECT_FALSE(CDiskFile::bIsRelativeFileName("\\x"));

    const struct {
        const char* name;
        bool relative;
    } win[] = {{"", true}, {"\\x", false}, {"C:x", false}, {"c:\\x", false}, {"x\\y", true}, {"LPT1:", false}};
    for (const auto& row : win) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(CDiskFile::bIsRelativeFileName_WIN32(row.name), row.relative);
    }

    EXPECT_TRUE(CDiskFile::bUNCName("\\\\server\\share"));
    EXPECT_FALSE(CDiskFile::bUNCName("\\\\server"));
    EXPECT_FALSE(CDiskFile::bUNCName("\\server\\share"));
    EXPECT_TRUE(CDiskFile::bIsAVirtualDirectory("."));
    EXPECT_TRUE(CDiskFile::bIsAVirtualDirectory(".."));
    EXPECT_FALSE(CDiskFile::bIsAVirtualDirectory("..."));
    EXPECT_FALSE(CDiskFile::bValidName("a:b"));
    EXPECT_FALSE(CDiskFile::bValidName("a|b"));
    EXPECT_TRUE(CDiskFile::bValidName("a b.c"));

    EXPECT_STREQ(CDiskFile::pszGetPtrToFileName("C:\\d\\f.x"), "f.x");
    EXPECT_STREQ(CDiskFile::pszGetPtrToFileName("C:f.x"), "f.x");
    EXPECT_STREQ(CDiskFile::pszGetPtrToFileName("/a/b/"), "");
    EXPECT_STREQ(CDiskFile::pszGetPtrToFileName("plain"), "plain");
}

TEST(CDiskFile, WildcardTable)
{
    const struct {
        const char *name, *pattern;
        bool match;
    } rows[] = {
        {"report.txt", "*.t?t", true},   {"report.txt", "*.T?T", false}, {"report.txt", "*", true},
        {"", "*", true},                 {"", "?", false},               {"abc", "a*c", true},
        {"abc", "a*b", false},           {"aXbXc", "a*b*c", true},       {"abc", "abc*", true},
        {"abcd", "abc", false},          {"ab", "a??", false},           {"mississippi", "*sip*", true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.name) + " ~ " + row.pattern);
        EXPECT_EQ(CDiskFile::_bFiltreFileName(row.name, row.pattern), row.match);
    }
    // Many stars against a long near-miss must not take exponential time.
    const std::string sName(2000, 'a');
    EXPECT_FALSE(CDiskFile::_bFiltreFileName(sName.c_str(), "*a*a*a*a*a*a*a*a*a*a*b"));
}

TEST(CDiskFile, FindGoodFileFiltersNamesAndAttributes)
{
    _stXFINDDATA st{};
    std::strcpy(st.szPattern, "*.so");
    st.dwRequired = 0x8000;
    st.dwExcluded = 0x80000000u;
    EXPECT_TRUE(CDiskFile::_bFindGoodFile("a.so", 0x81A4, &st));
    EXPECT_FALSE(CDiskFile::_bFindGoodFile("a.txt", 0x81A4, &st));
    EXPECT_FALSE(CDiskFile::_bFindGoodFile("a.so", 0x41ED, &st));
    EXPECT_FALSE(CDiskFile::_bFindGoodFile(".x.so", 0x800081A4u, &st));
    std::strcpy(st.szPattern, "*");
    st.dwRequired = 0;
    EXPECT_FALSE(CDiskFile::_bFindGoodFile("..", 0x41ED, &st));
}

TEST(CDiskFile, FullPathNames)
{
    TempCwd cwd;
    char out[261];
    EXPECT_EQ(CDiskFile::GetFullPathName("/a/b/../c/./d", sizeof out, out, nullptr), 6u);
    EXPECT_STREQ(out, "/a/c/d");
    EXPECT_EQ(CDiskFile::GetFullPathName("\\a\\..\\..\\b", sizeof out, out, nullptr), 2u);
    EXPECT_STREQ(out, "/b");
    EXPECT_EQ(CDiskFile::GetFullPathName("/a/b/..", sizeof out, out, nullptr), 7u);

    std::string sExpected = cwd.dir() + "/x";
    EXPECT_EQ(CDiskFile::GetFullPathName("x", sizeof out, out, nullptr), sExpected.size());
    EXPECT_EQ(std::string(out), sExpected);

    const passwd* pw = getpwuid(getuid());
    ASSERT_NE(pw, nullptr);
    sExpected = std::string(pw->pw_dir) + "/x";
    EXPECT_EQ(CDiskFile::GetFullPathName("~/x", sizeof out, out, nullptr), sExpected.size());
    EXPECT_EQ(std::string(out), sExpected);

    EXPECT_EQ(CDiskFile::GetFullPathName("", sizeof out, out, nullptr), 0u);
    EXPECT_EQ(CDiskFile::GetFullPathName(nullptr, sizeof out, out, nullptr), 0u);
}

TEST(CDiskFile, FullPathNameTooSmallWritesNothingAndGivesTheSizeNeeded)
{
    TempCwd cwd;
    const struct {
        const char* name;
        unsigned need;
    } rows[] = {
        {"/abcdef", 8},
        // The current directory itself does not fit: twice the size offered, to retry with.
        {"rel", 10},
        {"~/x", static_cast<unsigned>(std::strlen(getpwuid(getuid())->pw_dir) + 2 + 3)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        zvtest::SentinelBuffer<char> small(5);
        EXPECT_EQ(CDiskFile::GetFullPathName(row.name, 5, small.data(), nullptr), row.need);
        EXPECT_TRUE(small.untouchedFrom(0));
        EXPECT_TRUE(small.guardsIntact());
        unsigned nLen = 0;
        EXPECT_FALSE(CDiskFile::bGetFullPath(small.data(), 5, row.name, &nLen));
        EXPECT_EQ(nLen, row.need);
    }
    // Exact fit of an absolute name: 7 characters and the NUL.
    zvtest::SentinelBuffer<char> exact(8);
    unsigned nLen = 0;
    EXPECT_TRUE(CDiskFile::bGetFullPath(exact.data(), 8, "/abcdef", &nLen));
    EXPECT_EQ(nLen, 8u);
    EXPECT_STREQ(exact.data(), "/abcdef");
    EXPECT_TRUE(exact.guardsIntact());
    EXPECT_FALSE(CDiskFile::bStandardizeExistingFileName(exact.data(), 8, "/abcdefg"));
    EXPECT_FALSE(CDiskFile::bStandardizeExistingFileName(exact.data(), 8, "x"));
    char full[261];
    EXPECT_TRUE(CDiskFile::bStandardizeExistingFileName(full, sizeof full, "x"));
    EXPECT_EQ(std::string(full), cwd.dir() + "/x");
    // The current directory fits but not the name joined to it: cwd + name + 2.
    const unsigned nCwd = static_cast<unsigned>(cwd.dir().size());
    EXPECT_EQ(CDiskFile::GetFullPathName("name", nCwd + 3, full, nullptr), nCwd + 6);
}

TEST(CDiskFile, ExistenceTests)
{
    TempCwd cwd;
    FILE* f = std::fopen("file", "w");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    ASSERT_EQ(mkdir("sub", 0700), 0);
    EXPECT_TRUE(CDiskFile::bExist("file"));
    EXPECT_TRUE(CDiskFile::bIsAFile((cwd.dir() + "\\file").c_str()));
    EXPECT_FALSE(CDiskFile::bIsAFile("sub"));
    EXPECT_TRUE(CDiskFile::bIsADirectory("sub"));
    EXPECT_FALSE(CDiskFile::bIsADirectory("file"));
    EXPECT_FALSE(CDiskFile::bExist("none"));
    EXPECT_FALSE(CDiskFile::bIsAFile(nullptr));
    // Over-long names are not found, whatever the file system would say.
    const std::string sLong = "./" + std::string(300, '/') + "file";
    EXPECT_FALSE(CDiskFile::bExist(sLong.c_str()));
}

TEST(CDiskFile, Comparisons)
{
    EXPECT_TRUE(CDiskFile::bSameFileName("a\\b ", "a/b"));
    EXPECT_FALSE(CDiskFile::bSameFileName("a/B", "a/b"));
    EXPECT_TRUE(CDiskFile::bSameDirectoryName("a/b/", "a\\b"));
    EXPECT_FALSE(CDiskFile::bSameDirectoryName("a/b//", "a/b"));
    TempCwd cwd;
    EXPECT_TRUE(CDiskFile::bSameDirectoryNameEx("sub/", true, (cwd.dir() + "/sub").c_str(), false));
    EXPECT_FALSE(CDiskFile::bSameDirectoryNameEx("sub/", false, (cwd.dir() + "/sub").c_str(), false));

    char out[261];
    ASSERT_TRUE(CDiskFile::bGetCurrentDirectory(out));
    EXPECT_EQ(std::string(out), cwd.dir());
    EXPECT_TRUE(CDiskFile::bGetLongPathName(out, sizeof out, "a\\b"));
    EXPECT_STREQ(out, "a/b");
    EXPECT_FALSE(CDiskFile::bGetLongPathName(out, 3, "a\\b"));
}

TEST(CDiskFile, RelativeToFullTable)
{
    const struct {
        const char *rel, *base, *out;
    } rows[] = {
        {"../x", "/a/b/", "/a/x"},   {"./x", "/a/b/", "/a/b/x"}, {".", "/a/b/", "/a/b/"},
        {"x/y", "/a/", "x/y"},       {"../../x", "/a/b/c", "/a/x"}, {"..\\x", "/a/b", "/a/x"},
        {"..", "/a/b/", "/a/"},      {"..x", "/a/", "/a/..x"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.rel) + " in " + row.base);
        char out[261];
        ASSERT_TRUE(CDiskFile::bRelativeToFullPath(out, row.rel, row.base));
        EXPECT_STREQ(out, row.out);
    }
    // "./x" against a long base fits in no 261-byte buffer: refused, nothing written.
    zvtest::SentinelBuffer<char> out(261);
    const std::string sBase = "/" + std::string(300, 'b');
    EXPECT_FALSE(CDiskFile::bRelativeToFullPath(out.data(), "./x", sBase.c_str()));
    EXPECT_FALSE(CDiskFile::bRelativeToFullPath(out.data(), "../x", (sBase + "/c/").c_str()));
    EXPECT_TRUE(out.untouchedFrom(0));
    EXPECT_TRUE(out.guardsIntact());
}

TEST(CDiskFile, RelativePathToTable)
{
    const struct {
        const char *path, *base;
        int fail;
        bool ok;
        const char* out;
    } rows[] = {
        {"/a/b/c", "/a/d", 0, true, "../b/c"},
        {"/a/b/c", "/a/b", 0, true, "./c"},
        {"/a/b/c", "/a/b/", 0, true, "./c"},
        {"/a/b/c", "/x/y", 0, true, "../../a/b/c"},
        {"/a/b/c", "", 0, true, "/a/b/c"},
        {"a/b", "x/", 1, false, ""},
        {"\\a\\b\\c", "/a", 0, true, "./b/c"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.path) + " from " + row.base);
        char out[261] = "";
        EXPECT_EQ(CDiskFile::bPathRelativePathTo(out, row.path, row.base, row.fail), row.ok);
        if (row.ok) {
            EXPECT_STREQ(out, row.out);
        }
    }
    char out[261];
    const std::string sPath = "/a/" + std::string(259, 'p');
    EXPECT_FALSE(CDiskFile::bPathRelativePathTo(out, sPath.c_str(), "/a/", 0));
}

} // namespace
