// Tests of the file-system operations of CDiskFile: removals, searches, copies, times.
#include "base/files/CDiskFile.h"

#include "base/strings/CKLBINBase.h"
#include "base/strings/CKLDSTRBase.h"

#include "support/TempDir.h"
#include "support/FaultInjection.h"
#include "support/Sentinel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <set>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

// The shared temporary directory, its names written "t / name".
class TempDir : public zvtest::TempDir {
public:
    TempDir() : zvtest::TempDir("zvops") {}
    std::string operator/(const std::string& sName) const { return zvtest::TempDir::path(sName); }
    const std::string& path() const { return dir(); }
};

void writeFile(const std::string& sPath, const std::string& sContent, mode_t nMode = 0644)
{
    FILE* f = std::fopen(sPath.c_str(), "wb");
    ASSERT_NE(f, nullptr) << sPath;
    ASSERT_EQ(std::fwrite(sContent.data(), 1, sContent.size(), f), sContent.size());
    std::fclose(f);
    ASSERT_EQ(chmod(sPath.c_str(), nMode), 0);
}

std::string readFile(const std::string& sPath)
{
    FILE* f = std::fopen(sPath.c_str(), "rb");
    if (!f)
        return "<missing>";
    std::string s;
    char buf[4096];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;)
        s.append(buf, n);
    std::fclose(f);
    return s;
}

bool exists(const std::string& sPath)
{
    struct stat st;
    return lstat(sPath.c_str(), &st) == 0;
}

std::string pattern(size_t n)
{
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i)
        s[i] = static_cast<char>('a' + (i * 7 + i / 251) % 26);
    return s;
}

// ---- Tree removals --------------------------------------------------------------------------

// A tree with files, a nested directory, a read-only file and links that lead out of it.
void buildTree(const TempDir& t, const std::string& sOutside)
{
    ASSERT_EQ(mkdir((t / "tree").c_str(), 0755), 0);
    ASSERT_EQ(mkdir((t / "tree/sub").c_str(), 0755), 0);
    ASSERT_EQ(mkdir((t / "tree/sub/deeper").c_str(), 0755), 0);
    writeFile(t / "tree/a.txt", "a");
    writeFile(t / "tree/sub/b.txt", "b");
    writeFile(t / "tree/sub/deeper/c.txt", "c");
    writeFile(t / "tree/sub/readonly.txt", "r", 0444);
    ASSERT_EQ(symlink(sOutside.c_str(), (t / "tree/sub/to-outside-dir").c_str()), 0);
    ASSERT_EQ(symlink((sOutside + "/keep.txt").c_str(), (t / "tree/to-outside-file").c_str()), 0);
    ASSERT_EQ(symlink("/nonexistent/target", (t / "tree/dangling").c_str()), 0);
}

void buildOutside(const TempDir& t)
{
    ASSERT_EQ(mkdir((t / "outside").c_str(), 0755), 0);
    ASSERT_EQ(mkdir((t / "outside/inner").c_str(), 0755), 0);
    writeFile(t / "outside/keep.txt", "precious");
    writeFile(t / "outside/inner/keep.tmp", "precious too");
}

void expectOutsideIntact(const TempDir& t)
{
    EXPECT_EQ(readFile(t / "outside/keep.txt"), "precious");
    EXPECT_EQ(readFile(t / "outside/inner/keep.tmp"), "precious too");
}

TEST(CDiskFileOps, TreeRemovalsNeverFollowLinksOutOfTheTree)
{
    const struct {
        const char* name;
        bool (*fn)(const char*);
        bool keepsRoot;
        bool removesReadOnly;
    } rows[] = {
        {"bDeleteTree", CDiskFile::bDeleteTree, false, false},
        {"bDeleteTreeEvenReadOnly", CDiskFile::bDeleteTreeEvenReadOnly, false, true},
        {"bForceDeleteTree", CDiskFile::bForceDeleteTree, false, true},
        {"bPurgeTree", CDiskFile::bPurgeTree, true, false},
        {"bForcePurgeTree", CDiskFile::bForcePurgeTree, true, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TempDir t;
        buildOutside(t);
        buildTree(t, t / "outside");
        // Backslashes are accepted like everywhere else.
        std::string sName = t / "tree";
        std::replace(sName.begin(), sName.end(), '/', '\\');
        const bool bResult = row.fn(sName.c_str());
        expectOutsideIntact(t);
        if (row.removesReadOnly) {
            EXPECT_TRUE(bResult);
            EXPECT_EQ(exists(t / "tree"), row.keepsRoot);
            if (row.keepsRoot) {
                EXPECT_EQ(std::system(("test -z \"$(ls -A '" + t / "tree" + "')\"").c_str()), 0);
            }
        } else {
            // The read-only file stops the removal and stays, with its directory.
            EXPECT_FALSE(bResult);
            EXPECT_EQ(errno, EACCES);
            EXPECT_EQ(readFile(t / "tree/sub/readonly.txt"), "r");
        }
    }
}

TEST(CDiskFileOps, TreeRemovalsWithoutReadOnlyFilesCompleteAndRootLinksAreNotFollowed)
{
    TempDir t;
    buildOutside(t);
    ASSERT_EQ(mkdir((t / "tree").c_str(), 0755), 0);
    writeFile(t / "tree/x", "x");
    ASSERT_EQ(symlink((t / "outside").c_str(), (t / "tree/out").c_str()), 0);
    EXPECT_TRUE(CDiskFile::bDeleteTree((t / "tree/").c_str()));
    EXPECT_FALSE(exists(t / "tree"));
    expectOutsideIntact(t);

    // A root that is a link: removing removes the link, purging refuses.
    ASSERT_EQ(symlink((t / "outside").c_str(), (t / "rootlink").c_str()), 0);
    errno = 0;
    EXPECT_FALSE(CDiskFile::bPurgeTree((t / "rootlink").c_str()));
    EXPECT_EQ(errno, ENOTDIR);
    EXPECT_FALSE(CDiskFile::bForcePurgeTree((t / "rootlink").c_str()));
    expectOutsideIntact(t);
    EXPECT_TRUE(CDiskFile::bForceDeleteTree((t / "rootlink").c_str()));
    EXPECT_FALSE(exists(t / "rootlink"));
    expectOutsideIntact(t);

    // Not a directory, or missing.
    EXPECT_FALSE(CDiskFile::bDeleteTree((t / "outside/keep.txt").c_str()));
    EXPECT_EQ(errno, ENOTDIR);
    EXPECT_FALSE(CDiskFile::bDeleteTree((t / "missing").c_str()));
    EXPECT_EQ(errno, ENOENT);
    expectOutsideIntact(t);
}

// Runs fn in a child process under an ordinary user id when the tests run as root, so that
// permission bits are enforced; the tree is handed to that user first. fn's result is returned.
bool runAsOrdinaryUser(const std::string& sTree, bool (*fn)(const char*))
{
    if (getuid() != 0)
        return fn(sTree.c_str());
    if (std::system(("chown -R 65534:65534 '" + sTree + "'").c_str()) != 0)
        return false;
    const pid_t pid = fork();
    if (pid == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0)
            _exit(3);
        _exit(fn(sTree.c_str()) ? 0 : 1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(CDiskFileOps, ForceRemovalOpensUpLockedDirectories)
{
    TempDir t;
    ASSERT_EQ(chmod(t.path().c_str(), 0777), 0);
    for (bool bForce : {false, true}) {
        SCOPED_TRACE(bForce);
        ASSERT_EQ(mkdir((t / "tree").c_str(), 0755), 0);
        ASSERT_EQ(mkdir((t / "tree/locked").c_str(), 0755), 0);
        ASSERT_EQ(mkdir((t / "tree/unwritable").c_str(), 0755), 0);
        writeFile(t / "tree/locked/f", "f", 0444);
        writeFile(t / "tree/unwritable/g", "g");
        ASSERT_EQ(chmod((t / "tree/locked").c_str(), 0), 0);
        ASSERT_EQ(chmod((t / "tree/unwritable").c_str(), 0555), 0);
        const bool b = runAsOrdinaryUser(t / "tree", bForce ? CDiskFile::bForceDeleteTree
                                                              : CDiskFile::bDeleteTreeEvenReadOnly);
        EXPECT_EQ(b, bForce);
        EXPECT_EQ(exists(t / "tree"), !bForce);
        EXPECT_EQ(std::system(("chmod -R u+rwx '" + t / "tree" + "' 2>/dev/null; rm -rf '" + t / "tree" + "'").c_str()), 0);
    }
}

TEST(CDiskFileOps, ForceDeleteOnFileTreeRemovesMatchingFilesOnlyInsideTheTree)
{
    TempDir t;
    buildOutside(t);
    ASSERT_EQ(mkdir((t / "tree").c_str(), 0755), 0);
    ASSERT_EQ(mkdir((t / "tree/sub").c_str(), 0755), 0);
    ASSERT_EQ(mkdir((t / "tree/dir.tmp").c_str(), 0755), 0);
    writeFile(t / "tree/a.tmp", "a", 0444);
    writeFile(t / "tree/a.txt", "a");
    writeFile(t / "tree/sub/b.tmp", "b");
    ASSERT_EQ(symlink((t / "outside/inner").c_str(), (t / "tree/sub/inner-link").c_str()), 0);

    EXPECT_TRUE(CDiskFile::bForceDeleteOnFileTree((t / "tree").c_str(), "*.tmp", false));
    EXPECT_FALSE(exists(t / "tree/a.tmp"));
    EXPECT_TRUE(exists(t / "tree/sub/b.tmp"));
    EXPECT_TRUE(CDiskFile::bForceDeleteOnFileTree((t / "tree").c_str(), "*.tmp", true));
    EXPECT_FALSE(exists(t / "tree/sub/b.tmp"));
    EXPECT_TRUE(exists(t / "tree/a.txt"));
    EXPECT_TRUE(exists(t / "tree/dir.tmp"));
    EXPECT_TRUE(exists(t / "tree/sub/inner-link"));
    expectOutsideIntact(t);
}

// ---- Walks ------------------------------------------------------------------------------------

int collect(const char* pszPath, long lParam)
{
    reinterpret_cast<std::vector<std::string>*>(lParam)->push_back(pszPath);
    return 1;
}

int stopAtSecond(const char*, long lParam)
{
    return ++*reinterpret_cast<int*>(lParam) < 2;
}

TEST(CDiskFileOps, WalksReportFilesAndDirectoriesByPattern)
{
    TempDir t;
    buildOutside(t);
    ASSERT_EQ(mkdir((t / "w").c_str(), 0755), 0);
    ASSERT_EQ(mkdir((t / "w/d1.txt").c_str(), 0755), 0);
    ASSERT_EQ(mkdir((t / "w/d1.txt/d2").c_str(), 0755), 0);
    writeFile(t / "w/f1.txt", "");
    writeFile(t / "w/f2.log", "");
    writeFile(t / "w/d1.txt/f3.txt", "");
    writeFile(t / "w/d1.txt/d2/f4.txt", "");
    ASSERT_EQ(symlink((t / "outside").c_str(), (t / "w/out.txt").c_str()), 0);
    const std::string w = t / "w/";

    const struct {
        const char* pattern;
        int withDirs, recursive, dirsOnly;
        std::set<std::string> expected;
    } rows[] = {
        {"*.txt", 0, 0, 0, {"f1.txt"}},
        {"*.txt", 1, 0, 0, {"f1.txt", "d1.txt", "out.txt"}},
        {"*.txt", 0, 1, 0, {"f1.txt", "d1.txt/f3.txt", "d1.txt/d2/f4.txt"}},
        {nullptr, 0, 1, 0, {"f1.txt", "f2.log", "d1.txt/f3.txt", "d1.txt/d2/f4.txt"}},
        {"*", 0, 1, 1, {"d1.txt", "d1.txt/d2", "out.txt"}},
        {"d?", 0, 1, 1, {"d1.txt/d2"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << (row.pattern ? row.pattern : "null") << row.withDirs << row.recursive
                                        << row.dirsOnly);
        std::vector<std::string> seen;
        const bool b = row.dirsOnly ? CDiskFile::bDoOnDirectoryTree(w.c_str(), row.pattern, collect,
                                                                    reinterpret_cast<long>(&seen), row.recursive)
                                    : CDiskFile::bDoOnFileTree(w.c_str(), row.pattern, collect,
                                                               reinterpret_cast<long>(&seen), row.withDirs,
                                                               row.recursive);
        EXPECT_TRUE(b);
        std::set<std::string> got;
        for (const auto& s : seen) {
            ASSERT_EQ(s.compare(0, w.size(), w), 0) << s;
            got.insert(s.substr(w.size()));
        }
        EXPECT_EQ(got, row.expected);
        EXPECT_EQ(got.size(), seen.size()) << "an entry was reported twice";
    }
    int calls = 0;
    EXPECT_FALSE(CDiskFile::bDoOnFileTree(w.c_str(), "*", stopAtSecond, reinterpret_cast<long>(&calls), 1, 1));
    EXPECT_EQ(calls, 2);
    EXPECT_FALSE(CDiskFile::bDoOnFileTree((t / "missing").c_str(), "*", collect, 0, 0, 0));
    EXPECT_FALSE(CDiskFile::bDoOnFileTree(w.c_str(), "*", nullptr, 0, 0, 0));
}

TEST(CDiskFileOps, WalkStopsCleanlyAtPathsOverTheLimit)
{
    TempDir t;
    std::string sDir = t.path();
    while (sDir.size() < 250) {
        sDir += "/dddddddddddddddddddd";
        ASSERT_EQ(mkdir(sDir.c_str(), 0755), 0);
    }
    writeFile(sDir + "/a-file-name-that-crosses-the-limit", "");
    std::vector<std::string> seen;
    errno = 0;
    EXPECT_FALSE(CDiskFile::bDoOnFileTree(t.path().c_str(), "*", collect, reinterpret_cast<long>(&seen), 0, 1));
    EXPECT_EQ(errno, ENAMETOOLONG);
    EXPECT_TRUE(seen.empty());
}

// ---- Searches ---------------------------------------------------------------------------------

TEST(CDiskFileOps, FindWithPatternsAndAttributeMasks)
{
    TempDir t;
    writeFile(t / "a.txt", "12345");
    writeFile(t / "b.txt", "");
    writeFile(t / "c.log", "");
    writeFile(t / ".hidden.txt", "");
    ASSERT_EQ(mkdir((t / "sub.txt").c_str(), 0755), 0);
    const unsigned dir = CDiskFile::ZV_ATTR_DIRECTORY, hidden = CDiskFile::ZV_ATTR_HIDDEN;
    const struct {
        const char* pattern;
        unsigned required, excluded;
        std::set<std::string> expected;
    } rows[] = {
        {"*.txt", 0, dir, {"a.txt", "b.txt", ".hidden.txt"}},
        {"*.txt", dir, 0, {"sub.txt"}},
        {"*.txt", 0, dir | hidden, {"a.txt", "b.txt"}},
        {"*", hidden, 0, {".hidden.txt"}},
        {"?.*", 0x8000, 0, {"a.txt", "b.txt", "c.log"}},
        {"*", 0, 0, {"a.txt", "b.txt", "c.log", ".hidden.txt", "sub.txt"}},
        {"*.T?T", 0, 0, {}},
        {"*.txt", 0, 0x1FF, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.pattern << " " << row.required << " " << row.excluded);
        _stXFINDDATA find;
        std::set<std::string> got;
        errno = 0;
        for (bool b = CDiskFile::bFindFirst((t / row.pattern).c_str(), &find, row.required, row.excluded); b;
             b = CDiskFile::bFindNext(&find)) {
            EXPECT_TRUE(got.insert(find.szName).second);
            EXPECT_EQ(find.dwReserved, 0u);
            if (std::string(find.szName) == "a.txt") {
                EXPECT_EQ(find.oSize, 5u);
                EXPECT_EQ(find.dwAttributes, 0x8000u | 0644u);
            }
        }
        EXPECT_EQ(errno, ENOENT);
        EXPECT_EQ(find.pDir, nullptr); // closed at the end
        EXPECT_TRUE(CDiskFile::bFindClose(&find));
        EXPECT_EQ(got, row.expected);
    }
}

TEST(CDiskFileOps, FindInTheCurrentDirectoryAndEarlyClose)
{
    TempDir t;
    writeFile(t / "one.cfg", "");
    writeFile(t / "two.cfg", "");
    char szOld[4096];
    ASSERT_NE(getcwd(szOld, sizeof szOld), nullptr);
    ASSERT_EQ(chdir(t.path().c_str()), 0);
    _stXFINDDATA find;
    ASSERT_TRUE(CDiskFile::bFindFirst("*.cfg", &find, 0, 0));
    EXPECT_STREQ(find.szDirectory, "./");
    EXPECT_STREQ(find.szPattern, "*.cfg");
    EXPECT_TRUE(CDiskFile::bFindClose(&find));
    EXPECT_TRUE(CDiskFile::bFindClose(&find));
    EXPECT_FALSE(CDiskFile::bFindNext(&find));
    EXPECT_FALSE(CDiskFile::bFindFirst("missing-dir/*", &find, 0, 0));
    EXPECT_EQ(find.pDir, nullptr);
    ASSERT_EQ(chdir(szOld), 0);
}

// ---- Attributes and directories ------------------------------------------------------------

TEST(CDiskFileOps, AttributesSizesAndHiddenNames)
{
    TempDir t;
    writeFile(t / ".cfg", "abc", 0640);
    writeFile(t / "plain", std::string(123, 'x'), 0600);
    ASSERT_EQ(mkdir((t / ".d").c_str(), 0750), 0);
    const struct {
        std::string name;
        int attributes;
        long long size;
    } rows[] = {
        {".cfg", static_cast<int>(0x80000000u | 0x8000 | 0640), 3},
        {"plain", 0x8000 | 0600, 123},
        {".d/", static_cast<int>(0x80000000u | 0x4000 | 0750), -1},
        {".", 0x4000 | 0700, -1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        int attributes = 0;
        EXPECT_TRUE(CDiskFile::bGetFileAttributes(&attributes, (t / row.name).c_str()));
        EXPECT_EQ(attributes, row.attributes);
        EXPECT_EQ(CDiskFile::oGetSize((t / row.name).c_str()), row.size);
    }
    EXPECT_EQ(CDiskFile::oGetSize((t / "missing").c_str()), -1);
    int attributes = 7;
    EXPECT_FALSE(CDiskFile::bGetFileAttributes(&attributes, (t / "missing").c_str()));
    EXPECT_EQ(attributes, 7);
    struct stat st;
    EXPECT_TRUE(CDiskFile::bGetFileStatus((t / "plain").c_str(), &st));
    EXPECT_EQ(st.st_size, 123);
    EXPECT_FALSE(CDiskFile::bGetFileStatus((t / "missing").c_str(), &st));
}

TEST(CDiskFileOps, SetFileAttributesMapsReadOnlyAndKeepsDirectoriesEnterable)
{
    TempDir t;
    writeFile(t / "f", "");
    ASSERT_EQ(mkdir((t / "d").c_str(), 0700), 0);
    const struct {
        const char* name;
        int attributes;
        unsigned mode;
    } rows[] = {
        {"f", -1, 0444}, {"f", -2, 0444}, {"f", 0x20, 0666}, {"f", 0, 0666}, {"f", -3, 0666},
        {"d", -1, 0555}, {"d", 0x10, 0777},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.name << " " << row.attributes);
        EXPECT_TRUE(CDiskFile::bSetFileAttributes((t / row.name).c_str(), row.attributes));
        struct stat st;
        ASSERT_EQ(stat((t / row.name).c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, row.mode);
    }
    EXPECT_FALSE(CDiskFile::bSetFileAttributes((t / "missing").c_str(), 0));
}

TEST(CDiskFileOps, CreateDirectoryMakesEveryLevel)
{
    TempDir t;
    EXPECT_TRUE(CDiskFile::bCreateDirectory((t / "a\\b/c").c_str()));
    EXPECT_TRUE(CDiskFile::bIsADirectory((t / "a/b/c").c_str()));
    EXPECT_TRUE(CDiskFile::bCreateDirectory((t / "a/b/c/").c_str()));
    writeFile(t / "file", "");
    EXPECT_FALSE(CDiskFile::bCreateDirectory((t / "file").c_str()));
    EXPECT_FALSE(CDiskFile::bCreateDirectory((t / "file/below").c_str()));
    EXPECT_FALSE(CDiskFile::bDeleteDirectory((t / "a/b").c_str()));
    EXPECT_TRUE(CDiskFile::bDeleteDirectory((t / "a/b/c").c_str()));
    EXPECT_FALSE(exists(t / "a/b/c"));
}

// ---- Renames, moves, copies ----------------------------------------------------------------

TEST(CDiskFileOps, RenameNeverReplaces)
{
    TempDir t;
    writeFile(t / "old", "old");
    writeFile(t / "new", "new");
    errno = 0;
    EXPECT_FALSE(CDiskFile::bRename((t / "new").c_str(), (t / "old").c_str()));
    EXPECT_EQ(errno, EEXIST);
    EXPECT_EQ(readFile(t / "old"), "old");
    EXPECT_EQ(readFile(t / "new"), "new");
    // A dangling link is an existing name too.
    ASSERT_EQ(symlink("/nonexistent", (t / "link").c_str()), 0);
    EXPECT_FALSE(CDiskFile::bRename((t / "link").c_str(), (t / "old").c_str()));
    EXPECT_EQ(errno, EEXIST);
    EXPECT_TRUE(CDiskFile::bRename((t / "fresh").c_str(), (t / "old").c_str()));
    EXPECT_EQ(readFile(t / "fresh"), "old");
    EXPECT_FALSE(exists(t / "old"));
}

TEST(CDiskFileOps, MoveNeverLosesTheSource)
{
    TempDir t;
    writeFile(t / "f", "data");
    // The same entry, spelt in several ways.
    for (const std::string& sOther : {t / "f", t / "./f", t.path() + "//f", t / "..\\" + t.path().substr(5) + "/f"}) {
        SCOPED_TRACE(sOther);
        EXPECT_TRUE(CDiskFile::bMove(sOther.c_str(), (t / "f").c_str()));
        EXPECT_EQ(readFile(t / "f"), "data");
    }
    // A missing source leaves the destination alone.
    writeFile(t / "dst", "keep");
    errno = 0;
    EXPECT_FALSE(CDiskFile::bMove((t / "dst").c_str(), (t / "missing").c_str()));
    EXPECT_EQ(errno, ENOENT);
    EXPECT_EQ(readFile(t / "dst"), "keep");
    // A move replaces an existing file.
    EXPECT_TRUE(CDiskFile::bMove((t / "dst").c_str(), (t / "f").c_str()));
    EXPECT_EQ(readFile(t / "dst"), "data");
    EXPECT_FALSE(exists(t / "f"));
    // Hard links of one file are two entries: the move drops the source name.
    ASSERT_EQ(link((t / "dst").c_str(), (t / "hard").c_str()), 0);
    EXPECT_TRUE(CDiskFile::bMove((t / "moved").c_str(), (t / "hard").c_str()));
    EXPECT_FALSE(exists(t / "hard"));
    EXPECT_EQ(readFile(t / "moved"), "data");
}

TEST(CDiskFileOps, CopyReplacesTheDestinationExactly)
{
    TempDir t;
    for (size_t n : {size_t(0), size_t(1), size_t(1023), size_t(1024), size_t(65535), size_t(65536),
                     size_t(65537), size_t(200000)}) {
        SCOPED_TRACE(n);
        const std::string sContent = pattern(n);
        writeFile(t / "src", sContent);
        // A longer destination: nothing of it may remain past the copy.
        writeFile(t / "dst", std::string(n + 5000, 'Z'));
        EXPECT_TRUE(CDiskFile::bCopy((t / "dst").c_str(), (t / "src").c_str()));
        EXPECT_EQ(readFile(t / "dst"), sContent);
        EXPECT_EQ(readFile(t / "src"), sContent);
    }
}

TEST(CDiskFileOps, CopyFailuresLeaveTheDestinationUntouched)
{
    TempDir t;
    writeFile(t / "dst", "keep");
    ASSERT_EQ(mkdir((t / "dir").c_str(), 0755), 0);
    const std::string sources[] = {t / "missing", t / "dir", t / "dst"};
    for (const auto& sSrc : sources) {
        SCOPED_TRACE(sSrc);
        EXPECT_FALSE(CDiskFile::bCopy((t / "dst").c_str(), sSrc.c_str()));
        EXPECT_EQ(readFile(t / "dst"), "keep");
    }
    EXPECT_FALSE(CDiskFile::bCopy((t / "new").c_str(), (t / "missing").c_str()));
    EXPECT_FALSE(exists(t / "new"));
    // A write that fails is a failed copy.
    writeFile(t / "src", "some bytes");
    errno = 0;
    EXPECT_FALSE(CDiskFile::bCopy("/dev/full", (t / "src").c_str()));
    EXPECT_EQ(errno, ENOSPC);
}

TEST(CDiskFileOps, ConcatAppendsWhatTheSourceHeld)
{
    TempDir t;
    writeFile(t / "dst", "head-");
    writeFile(t / "src", pattern(70000));
    EXPECT_TRUE(CDiskFile::bConcat((t / "dst").c_str(), (t / "src").c_str()));
    EXPECT_EQ(readFile(t / "dst"), "head-" + pattern(70000));
    EXPECT_TRUE(CDiskFile::bConcat((t / "created").c_str(), (t / "src").c_str()));
    EXPECT_EQ(readFile(t / "created"), pattern(70000));
    // Onto itself: doubled once, not endlessly.
    writeFile(t / "self", "abc");
    EXPECT_TRUE(CDiskFile::bConcat((t / "self").c_str(), (t / "self").c_str()));
    EXPECT_EQ(readFile(t / "self"), "abcabc");
}

TEST(CDiskFileOps, ConcatFailuresLeaveTheDestinationAtItsFormerSize)
{
    TempDir t;
    writeFile(t / "dst", "former");
    ASSERT_EQ(mkdir((t / "dir").c_str(), 0755), 0);
    // A source that cannot be read; a missing one is not created.
    EXPECT_FALSE(CDiskFile::bConcat((t / "dst").c_str(), (t / "dir").c_str()));
    EXPECT_EQ(readFile(t / "dst"), "former");
    EXPECT_FALSE(CDiskFile::bConcat((t / "dst").c_str(), (t / "missing").c_str()));
    EXPECT_FALSE(exists(t / "missing"));
    EXPECT_EQ(readFile(t / "dst"), "former");
    EXPECT_FALSE(CDiskFile::bConcat((t / "new").c_str(), (t / "dir").c_str()));
    EXPECT_FALSE(exists(t / "new"));

    // A write that fails half-way (file size limit), in a child process.
    writeFile(t / "big", pattern(300000));
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit lim = {100000, 100000};
        setrlimit(RLIMIT_FSIZE, &lim);
        const bool b = CDiskFile::bConcat((t / "dst").c_str(), (t / "big").c_str());
        _exit(b ? 1 : errno == EFBIG ? 0 : 2);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(readFile(t / "dst"), "former");
}

TEST(CDiskFileOps, ExtractCopiesARange)
{
    TempDir t;
    const std::string sContent = pattern(100000);
    writeFile(t / "src", sContent);
    const struct {
        long long start, count;
        size_t from, length;
    } rows[] = {
        {0, -1, 0, 100000}, {10, 5, 10, 5}, {99997, 10, 99997, 3}, {100005, 4, 0, 0},
        {0, 0, 0, 0},       {65530, 70000, 65530, 34470},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.start << " " << row.count);
        writeFile(t / "dst", std::string(200000, 'Z'));
        EXPECT_TRUE(CDiskFile::bExtract((t / "src").c_str(), (t / "dst").c_str(), row.start, row.count));
        EXPECT_EQ(readFile(t / "dst"), sContent.substr(row.from, row.length));
    }
    EXPECT_FALSE(CDiskFile::bExtract((t / "src").c_str(), (t / "dst").c_str(), -1, 4));
    EXPECT_FALSE(CDiskFile::bExtract((t / "src").c_str(), (t / "src").c_str(), 0, 4));
    EXPECT_EQ(readFile(t / "src"), sContent);
    EXPECT_FALSE(CDiskFile::bExtract((t / "missing").c_str(), (t / "dst2").c_str(), 0, 4));
    EXPECT_FALSE(exists(t / "dst2"));
}

// ---- Temporary names and disk space --------------------------------------------------------

TEST(CDiskFileOps, TemporaryNamesCreateDistinctFiles)
{
    TempDir t;
    char a[261], b[261];
    ASSERT_TRUE(CDiskFile::bGetTempName(a, t.path().c_str(), "zv"));
    ASSERT_TRUE(CDiskFile::bGetTempName(b, (t.path() + "/").c_str(), "zv"));
    EXPECT_STRNE(a, b);
    EXPECT_EQ(std::string(a).substr(0, t.path().size() + 3), t.path() + "/zv");
    EXPECT_EQ(std::strlen(a), t.path().size() + 9);
    EXPECT_TRUE(CDiskFile::bIsAFile(a));
    EXPECT_EQ(CDiskFile::oGetSize(b), 0);

    // The temporary directory follows TMPDIR when it names a directory.
    const char* pszOld = std::getenv("TMPDIR");
    const std::string sOld = pszOld ? pszOld : "";
    setenv("TMPDIR", (t.path() + "//").c_str(), 1);
    char dir[261];
    EXPECT_TRUE(CDiskFile::bGetTempDirectory(dir));
    EXPECT_EQ(std::string(dir), t.path() + "/");
    char c[261];
    EXPECT_TRUE(CDiskFile::bGetTempName(c, "pre"));
    EXPECT_EQ(std::string(c).substr(0, t.path().size() + 4), t.path() + "/pre");
    setenv("TMPDIR", "/nonexistent-dir", 1);
    EXPECT_TRUE(CDiskFile::bGetTempDirectory(dir));
    EXPECT_STREQ(dir, "/tmp/");
    if (pszOld)
        setenv("TMPDIR", sOld.c_str(), 1);
    else
        unsetenv("TMPDIR");

    // Too long, or in a missing directory: false and the output untouched.
    zvtest::SentinelBuffer<char> out(261);
    EXPECT_FALSE(CDiskFile::bGetTempName(out.data(), t.path().c_str(), std::string(260, 'p').c_str()));
    EXPECT_EQ(errno, ENAMETOOLONG);
    EXPECT_FALSE(CDiskFile::bGetTempName(out.data(), (t / "missing").c_str(), "x"));
    EXPECT_TRUE(out.untouchedFrom(0));
    EXPECT_TRUE(out.guardsIntact());
}

TEST(CDiskFileOps, DiskSpace)
{
    TempDir t;
    unsigned long long total = 0, free = 0, free2 = 0;
    EXPECT_TRUE(CDiskFile::bGetDiskSpace(t.path().c_str(), &total, &free));
    EXPECT_GT(total, 0u);
    EXPECT_LE(free, total);
    EXPECT_TRUE(CDiskFile::bGetDiskFreeSpace(nullptr, &free2));
    EXPECT_TRUE(CDiskFile::bGetDiskSpace(t.path().c_str(), nullptr, nullptr));
    EXPECT_FALSE(CDiskFile::bGetDiskSpace((t / "missing").c_str(), &total, &free));
}

// ---- Times ------------------------------------------------------------------------------------

// Runs with a fixed time zone, restored afterwards.
class TimeZone {
public:
    explicit TimeZone(const char* pszTz)
    {
        const char* psz = std::getenv("TZ");
        m_bHad = psz != nullptr;
        m_sOld = psz ? psz : "";
        setenv("TZ", pszTz, 1);
        tzset();
    }
    ~TimeZone()
    {
        if (m_bHad)
            setenv("TZ", m_sOld.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    bool m_bHad;
    std::string m_sOld;
};

_stXFILETIME xt(int y, int mo, int d, int h, int mi, int s, int ms)
{
    _stXFILETIME st;
    st.wYear = static_cast<uint16_t>(y);
    st.wMonth = static_cast<uint16_t>(mo);
    st.wDay = static_cast<uint16_t>(d);
    st.wHour = static_cast<uint16_t>(h);
    st.wMinute = static_cast<uint16_t>(mi);
    st.wSecond = static_cast<uint16_t>(s);
    st.wMilliseconds = static_cast<uint16_t>(ms);
    return st;
}

TEST(CDiskFileOps, DosTimesPackAndUnpack)
{
    const struct {
        _stXFILETIME time;
        unsigned dos;
    } rows[] = {
        {xt(2010, 3, 15, 13, 45, 30, 0), 0x3C6F6DAFu},
        {xt(1980, 1, 1, 0, 0, 0, 0), 0x00210000u},
        {xt(2107, 12, 31, 23, 59, 58, 0), 0xFF9FBF7Du},
        {xt(2000, 2, 29, 12, 0, 0, 0), 0x285D6000u},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.dos);
        unsigned dos = 0;
        EXPECT_TRUE(CDiskFile::bSystemTimeToDosFileTime(&row.time, &dos));
        EXPECT_EQ(dos, row.dos);
        _stXFILETIME back = xt(1, 1, 1, 1, 1, 1, 1);
        EXPECT_TRUE(CDiskFile::bDosFileTimeToSystemTime(dos, &back));
        EXPECT_EQ(nCompareSystemTime(&back, &row.time), 0);
    }
    // Seconds keep their even part; milliseconds are dropped.
    const _stXFILETIME odd = xt(2010, 3, 15, 13, 45, 31, 500);
    unsigned dos = 0;
    EXPECT_TRUE(CDiskFile::bSystemTimeToDosFileTime(&odd, &dos));
    EXPECT_EQ(dos, 0x3C6F6DAFu);

    // Dates the format cannot hold, or that do not exist.
    const _stXFILETIME bad[] = {xt(1979, 12, 31, 0, 0, 0, 0), xt(2108, 1, 1, 0, 0, 0, 0),
                                xt(2010, 13, 1, 0, 0, 0, 0),  xt(2010, 0, 1, 0, 0, 0, 0),
                                xt(2010, 2, 29, 0, 0, 0, 0),  xt(2010, 4, 31, 0, 0, 0, 0),
                                xt(2010, 1, 1, 24, 0, 0, 0),  xt(2010, 1, 1, 0, 60, 0, 0),
                                xt(2010, 1, 1, 0, 0, 60, 0)};
    for (const auto& b : bad) {
        SCOPED_TRACE(testing::Message() << b.wYear << "-" << b.wMonth << "-" << b.wDay << " " << b.wHour << ":"
                                        << b.wMinute << ":" << b.wSecond);
        unsigned out = 0xDEADBEEF;
        EXPECT_FALSE(CDiskFile::bSystemTimeToDosFileTime(&b, &out));
        EXPECT_EQ(out, 0xDEADBEEFu);
    }
    _stXFILETIME st;
    EXPECT_FALSE(CDiskFile::bDosFileTimeToSystemTime(0, &st));          // month 0, day 0
    EXPECT_FALSE(CDiskFile::bDosFileTimeToSystemTime(0x3C6FC000u, &st)); // hour 24
}

TEST(CDiskFileOps, FileTimesRoundTripThroughLocalTime)
{
    const struct {
        const char* tz;
        _stXFILETIME local;
        unsigned long long fileTime;
    } rows[] = {
        {"UTC0", xt(2010, 3, 15, 13, 45, 30, 250), 1268660730ULL * 10000000 + 2500000 + 116444736000000000ULL},
        {"UTC0", xt(1970, 1, 1, 0, 0, 0, 0), 116444736000000000ULL},
        {"UTC0", xt(1969, 12, 31, 23, 59, 59, 999), 116444736000000000ULL - 10000},
        {"UTC0", xt(1601, 1, 1, 0, 0, 0, 0), 0},
        {"CET-1CEST,M3.5.0,M10.5.0/3", xt(2010, 7, 1, 12, 0, 0, 7),
         1277978400ULL * 10000000 + 70000 + 116444736000000000ULL},
        {"CET-1CEST,M3.5.0,M10.5.0/3", xt(2010, 1, 1, 1, 0, 0, 0), 1262304000ULL * 10000000 + 116444736000000000ULL},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.tz << " " << row.fileTime);
        if (sizeof(time_t) < 8 && row.local.wYear < 1902)
            continue; // outside a 32-bit clock
        TimeZone tz(row.tz);
        FILETIME ft = {1, 1};
        EXPECT_TRUE(CDiskFile::bSystemTimeToFileTime(&row.local, &ft));
        EXPECT_EQ((unsigned long long)ft.dwHighDateTime << 32 | ft.dwLowDateTime, row.fileTime);
        const FILETIME in = {static_cast<uint32_t>(row.fileTime), static_cast<uint32_t>(row.fileTime >> 32)};
        _stXFILETIME back = xt(1, 1, 1, 1, 1, 1, 1);
        EXPECT_TRUE(CDiskFile::bFileTimeToSystemTime(&in, &back));
        EXPECT_EQ(nCompareSystemTime(&back, &row.local), 0);
    }
    TimeZone tz("UTC0");
    const _stXFILETIME bad[] = {xt(1600, 12, 31, 0, 0, 0, 0), xt(2010, 2, 30, 0, 0, 0, 0), xt(2010, 1, 1, 0, 0, 0, 1000)};
    for (const auto& b : bad) {
        FILETIME ft = {1, 2};
        EXPECT_FALSE(CDiskFile::bSystemTimeToFileTime(&b, &ft));
        EXPECT_EQ(ft.dwLowDateTime, 1u);
        EXPECT_EQ(ft.dwHighDateTime, 2u);
    }
    const FILETIME huge = {0xFFFFFFFFu, 0xFFFFFFFFu};
    _stXFILETIME st;
    EXPECT_FALSE(CDiskFile::bFileTimeToSystemTime(&huge, &st));
}

TEST(CDiskFileOps, LastModificationTime)
{
    TimeZone tz("UTC0");
    TempDir t;
    writeFile(t / "f", "");
    const timeval times[2] = {{1268660730, 0}, {1268660730, 125000}};
    ASSERT_EQ(utimes((t / "f").c_str(), times), 0);
    _stXFILETIME st;
    ASSERT_TRUE(CDiskFile::bGetLastModificationTime((t / "f").c_str(), &st));
    const _stXFILETIME expected = xt(2010, 3, 15, 13, 45, 30, 125);
    EXPECT_EQ(nCompareSystemTime(&st, &expected), 0);
    EXPECT_FALSE(CDiskFile::bGetLastModificationTime((t / "missing").c_str(), &st));
}

TEST(CDiskFileOps, CompareSystemTimeGivesTheFirstDifference)
{
    const _stXFILETIME a = xt(2010, 3, 15, 13, 45, 30, 250);
    const struct {
        _stXFILETIME b;
        int result;
    } rows[] = {
        {a, 0},
        {xt(2012, 1, 1, 0, 0, 0, 0), 2},
        {xt(2010, 1, 31, 23, 59, 59, 999), -2},
        {xt(2010, 3, 15, 13, 45, 30, 300), 50},
        {xt(2010, 3, 15, 13, 40, 59, 0), -5},
    };
    for (const auto& row : rows)
        EXPECT_EQ(nCompareSystemTime(&a, &row.b), row.result);
}

// ---- Names over the path limit ------------------------------------------------------------

TEST(CDiskFileOps, NamesOverThePathLimitAreRefusedCleanly)
{
    TempDir t;
    writeFile(t / "ok", "ok");
    const std::string sLong = t.path() + "/" + std::string(300, 'n');
    const std::string sOk = t / "ok";
    const char* l = sLong.c_str();
    const char* o = sOk.c_str();
    int attributes = 0;
    struct stat st;
    _stXFILETIME xft;
    _stXFINDDATA find;
    unsigned long long n = 0;
    const struct {
        const char* name;
        bool result;
    } rows[] = {
        {"bCreateDirectory", CDiskFile::bCreateDirectory(l)},
        {"bDeleteDirectory", CDiskFile::bDeleteDirectory(l)},
        {"bDeleteTree", CDiskFile::bDeleteTree(l)},
        {"bForcePurgeTree", CDiskFile::bForcePurgeTree(l)},
        {"bDelete", CDiskFile::bDelete(l)},
        {"bRename to", CDiskFile::bRename(l, o)},
        {"bRename from", CDiskFile::bRename(o, l)},
        {"bMove", CDiskFile::bMove(l, o)},
        {"bCopy", CDiskFile::bCopy(l, o)},
        {"bConcat", CDiskFile::bConcat(l, o)},
        {"bExtract", CDiskFile::bExtract(o, l, 0, -1)},
        {"bGetFileAttributes", CDiskFile::bGetFileAttributes(&attributes, l)},
        {"bSetFileAttributes", CDiskFile::bSetFileAttributes(l, -1)},
        {"bGetFileStatus", CDiskFile::bGetFileStatus(l, &st)},
        {"bGetLastModificationTime", CDiskFile::bGetLastModificationTime(l, &xft)},
        {"bFindFirst", CDiskFile::bFindFirst(l, &find, 0, 0)},
        {"bGetDiskSpace", CDiskFile::bGetDiskSpace(l, &n, &n)},
        {"bDoOnFileTree", CDiskFile::bDoOnFileTree(l, "*", collect, 0, 1, 1)},
    };
    for (const auto& row : rows)
        EXPECT_FALSE(row.result) << row.name;
    errno = 0;
    EXPECT_FALSE(CDiskFile::bCopy(l, o));
    EXPECT_EQ(errno, ENAMETOOLONG);
    EXPECT_EQ(CDiskFile::oGetSize(l), -1);
    EXPECT_EQ(readFile(sOk), "ok");
    // Nothing was made in the directory but the one file.
    EXPECT_EQ(std::system(("test \"$(ls -A '" + t.path() + "')\" = ok").c_str()), 0);
    EXPECT_FALSE(CDiskFile::bCreateDirectory(nullptr));
    EXPECT_EQ(errno, EINVAL);
}

// ---- Under injected faults ------------------------------------------------------------------
// Every call an operation makes fails in turn (or is interrupted, or cut short): the operation
// reports success or failure, and each file it touched holds its old content or its new one.

// The entries of a directory ("name;" in name order; with bContent "name=content;");
// directories appear as "name/(...)" holding their own entries.
std::string treeState(const std::string& sDir, bool bContent = true)
{
    std::vector<std::string> vs;
    if (DIR* p = opendir(sDir.c_str())) {
        while (const dirent* e = readdir(p))
            if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
                vs.push_back(e->d_name);
        closedir(p);
    }
    std::sort(vs.begin(), vs.end());
    std::string s;
    for (const std::string& sName : vs) {
        struct stat st;
        const std::string sPath = sDir + "/" + sName;
        if (lstat(sPath.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
            s += sName + "/(" + treeState(sPath, bContent) + ")";
        else
            s += sName + (bContent ? "=" + readFile(sPath) : "") + ";";
    }
    return s;
}

TEST(CDiskFileOps, CopyUnderFaultsLeavesTheOldDestinationOrTheNewOne)
{
    TempDir t;
    const std::string sNew = pattern(150000), sOld = "old destination";
    for (bool bExisting : {true, false}) {
        const std::string sDst = t / (bExisting ? "dst" : "created");
        zvtest::Sweep(
            bExisting ? "bCopy over a file" : "bCopy to a new file",
            [&] {
                writeFile(t / "src", sNew);
                unlink((t / "dst").c_str());
                unlink((t / "created").c_str());
                if (bExisting)
                    writeFile(sDst, sOld, 0640);
            },
            [&] { return CDiskFile::bCopy(sDst.c_str(), (t / "src").c_str()); },
            [&](bool bOk, bool) {
                const std::string s = readFile(sDst);
                EXPECT_TRUE(s == sNew || (!bOk && s == (bExisting ? sOld : "<missing>"))) << s.size();
                EXPECT_TRUE(readFile(t / "src") == sNew);
                // No temporary file is left beside it.
                EXPECT_EQ(treeState(t.path(), false), s == "<missing>" ? "src;" : bExisting ? "dst;src;" : "created;src;");
            });
    }
}

TEST(CDiskFileOps, MoveConcatAndExtractUnderFaults)
{
    TempDir t;
    const std::string sSrc = pattern(140000), sOld = "former content of the destination";
    zvtest::Sweep(
        "bMove", [&] { writeFile(t / "src", sSrc); writeFile(t / "dst", sOld); },
        [&] { return CDiskFile::bMove((t / "dst").c_str(), (t / "src").c_str()); },
        [&](bool bOk, bool) {
            const bool bMoved = !exists(t / "src") && readFile(t / "dst") == sSrc;
            const bool bStayed = readFile(t / "src") == sSrc && readFile(t / "dst") == sOld;
            EXPECT_TRUE(bOk ? bMoved : (bMoved || bStayed));
        });
    zvtest::Sweep(
        "bConcat", [&] { writeFile(t / "src", sSrc); writeFile(t / "dst", sOld); },
        [&] { return CDiskFile::bConcat((t / "dst").c_str(), (t / "src").c_str()); },
        [&](bool bOk, bool) {
            const std::string s = readFile(t / "dst");
            if (bOk) {
                EXPECT_EQ(s, sOld + sSrc);
            } else {
                EXPECT_TRUE(s == sOld || s == sOld + sSrc) << s.size();
            }
        });
    zvtest::Sweep(
        "bExtract", [&] { writeFile(t / "src", sSrc); writeFile(t / "dst", sOld); },
        [&] { return CDiskFile::bExtract((t / "src").c_str(), (t / "dst").c_str(), 1000, 130000); },
        [&](bool bOk, bool) {
            const std::string s = readFile(t / "dst");
            if (bOk) {
                EXPECT_EQ(s, sSrc.substr(1000, 130000));
            } else {
                EXPECT_TRUE(s == sOld || s == sSrc.substr(1000, 130000)) << s.size();
            }
            EXPECT_EQ(treeState(t.path(), false), "dst;src;");
        });
}

TEST(CDiskFileOps, TreeRemovalsUnderFaultsStopCleanly)
{
    TempDir t;
    // The files and their contents: whatever a failed removal leaves must be intact.
    const std::vector<std::pair<std::string, std::string>> files = {
        {"tree/a.txt", "a"}, {"tree/sub/b.txt", "bb"}, {"tree/sub/deeper/c.txt", "ccc"}, {"tree/z.txt", "z"}};
    const auto build = [&] {
        CDiskFile::bForceDeleteTree((t / "tree").c_str());
        ASSERT_EQ(mkdir((t / "tree").c_str(), 0755), 0);
        ASSERT_EQ(mkdir((t / "tree/sub").c_str(), 0755), 0);
        ASSERT_EQ(mkdir((t / "tree/sub/deeper").c_str(), 0755), 0);
        for (const auto& f : files)
            writeFile(t / f.first, f.second);
    };
    const auto check = [&](bool bOk, bool bKeepRoot) {
        if (bOk) {
            EXPECT_EQ(exists(t / "tree"), bKeepRoot);
            EXPECT_EQ(treeState(t / "tree"), "");
            return;
        }
        for (const auto& f : files) {
            if (exists(t / f.first)) {
                EXPECT_EQ(readFile(t / f.first), f.second) << f.first;
            }
        }
        // What is left can still be removed.
        EXPECT_TRUE(CDiskFile::bForceDeleteTree((t / "tree").c_str()));
    };
    zvtest::Sweep("bDeleteTree", build, [&] { return CDiskFile::bDeleteTree((t / "tree").c_str()); },
                  [&](bool bOk, bool) { check(bOk, false); });
    zvtest::Sweep("bForceDeleteTree", build, [&] { return CDiskFile::bForceDeleteTree((t / "tree").c_str()); },
                  [&](bool bOk, bool) { check(bOk, false); });
    zvtest::Sweep("bPurgeTree", build, [&] { return CDiskFile::bPurgeTree((t / "tree").c_str()); },
                  [&](bool bOk, bool) { check(bOk, true); });
}

// The binary values need the module's allocator for as long as a test runs.
class ChargeFichier : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(CKLDSTRBase::bInit()); }
    void TearDown() override { CKLDSTRBase::Term(); }
};

TEST_F(ChargeFichier, ReadsWholeFilesByteForByte)
{
    TempDir t;
    for (const std::size_t nTaille : {std::size_t(0), std::size_t(1), std::size_t(70000)}) {
        std::string sContenu(nTaille, '\0');
        for (std::size_t i = 0; i < nTaille; ++i)
            sContenu[i] = static_cast<char>((i * 131 + 7) % 256);   // every byte value, NULs too
        const std::string sNom = t / ("f" + std::to_string(nTaille));
        writeFile(sNom, sContenu);
        CKLBINBase cl;
        ASSERT_EQ(cl.nAssign("old", 3), eSTRMEM_OK);
        ASSERT_TRUE(CDiskFile::bChargeFichier(cl, sNom.c_str())) << nTaille;
        ASSERT_EQ(cl.nGetSize(), nTaille);
        if (nTaille != 0) {
            EXPECT_EQ(cl.dwGetFlags() & eSTRMEM_MASQUE_TYPE, unsigned(eSTRMEM_BINAIRE));
            EXPECT_EQ(std::memcmp(cl.pGetData(), sContenu.data(), nTaille), 0) << nTaille;
        }
        EXPECT_EQ(cl.nGetRef(), nTaille != 0 ? 1 : 0);
    }
    // A backslashed name is the same file; a value shared with another keeps the other's bytes.
    writeFile(t / "b", "abc");
    CKLBINBase cl, clAutre;
    ASSERT_EQ(cl.nAssign("xyz", 3), eSTRMEM_OK);
    clAutre = cl;
    std::string sNom = t / "b";
    std::replace(sNom.begin(), sNom.end(), '/', '\\');
    ASSERT_TRUE(CDiskFile::bChargeFichier(cl, sNom.c_str()));
    ASSERT_EQ(cl.nGetSize(), 3u);
    EXPECT_EQ(std::memcmp(cl.pGetData(), "abc", 3), 0);
    ASSERT_EQ(clAutre.nGetSize(), 3u);
    EXPECT_EQ(std::memcmp(clAutre.pGetData(), "xyz", 3), 0);
}

TEST_F(ChargeFichier, FailuresLeaveTheValueUnchanged)
{
    TempDir t;
    writeFile(t / "secret", "s", 0000);
    struct {
        const char* pszCas;
        std::string sNom;
        bool bNull;
    } const aCas[] = {
        {"missing", t / "missing", false},
        {"directory", t.path(), false},
        {"device", "/dev/null", false},
        {"null name", "", true},
        {"empty name", "", false},
        {"over the path limit", t / std::string(300, 'x'), false},
        {"unreadable", geteuid() != 0 ? t / "secret" : t / "missing", false},
    };
    for (const auto& c : aCas) {
        CKLBINBase cl;
        ASSERT_EQ(cl.nAssign("keep\0", 5), eSTRMEM_OK);
        const void* pAvant = cl.pGetData();
        EXPECT_FALSE(CDiskFile::bChargeFichier(cl, c.bNull ? nullptr : c.sNom.c_str())) << c.pszCas;
        EXPECT_EQ(cl.pGetData(), pAvant) << c.pszCas;
        ASSERT_EQ(cl.nGetSize(), 5u) << c.pszCas;
        EXPECT_EQ(std::memcmp(cl.pGetData(), "keep\0", 5), 0) << c.pszCas;
    }
    CKLBINBase cl;
    errno = 0;
    EXPECT_FALSE(CDiskFile::bChargeFichier(cl, t.path().c_str()));
    EXPECT_EQ(errno, EISDIR);
    EXPECT_EQ(cl.pGetData(), nullptr);
}

} // namespace
