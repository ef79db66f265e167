// Tests of the profile-file calls: reading values and lists, writing in place, odd files.
#include "base/settings/Profile.h"

#include "support/TempDir.h"
#include "support/FaultInjection.h"
#include "support/Sentinel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <pwd.h>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// The shared temporary directory; files are named by absolute paths inside it.
class TempDir : public zvtest::TempDir {
public:
    TempDir() : zvtest::TempDir("zvprof") {}
    std::string path(const char* pszName) const { return zvtest::TempDir::path(pszName); }
    std::string write(const char* pszName, const std::string& sText) const
    {
        const std::string s = path(pszName);
        std::ofstream(s, std::ios::binary) << sText;
        return s;
    }
};

std::string sRead(const std::string& sPath)
{
    std::ifstream in(sPath, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::string sGet(const char* pszSection, const char* pszKey, const char* pszDefault, const std::string& sFile,
                 unsigned* pnResult = nullptr)
{
    char sz[256];
    const unsigned n = GetPrivateProfileString(pszSection, pszKey, pszDefault, sz, sizeof sz, sFile.c_str());
    if (pnResult)
        *pnResult = n;
    EXPECT_EQ(n, std::strlen(sz));
    return sz;
}

TEST(Profile, ReadValuesTable)
{
    TempDir dir;
    const std::string sFile = dir.write("a.ini",
                                        "[Framework]\n"
                                        " vmpath=  /opt/x  \n"
                                        "KEY=\n"
                                        "PATHX = 1\n"
                                        "PATH\t= 2\n"
                                        ": COMMENT = no\n"
                                        "; semi = yes\n"
                                        "NOEQ value\n"
                                        "NOEQ = later\n"
                                        "[broken header\n"
                                        "after = still in Framework\n"
                                        "dup = first\n"
                                        "dup = second\n"
                                        "\n"
                                        "  [Indented]\n"
                                        "crlf = v\r\n"
                                        "tabs\t =\t\tt v\t\n"
                                        "[sectionx]stuff\n"
                                        "k = x\n"
                                        "[Framework]\n"
                                        "only = second section\n"
                                        "[Last]\n"
                                        "end = no line feed");
    const struct {
        const char *section, *key, *def, *value;
    } rows[] = {
        {"FRAMEWORK", "VMPATH", "d", "/opt/x  "},
        {"Framework", "KEY", "d", ""},
        {"Framework", "PATH", "d", "2"},
        {"Framework", "COMMENT", "d", "d"},
        {"Framework", "; semi", "d", "yes"},
        {"Framework", "NOEQ", "d", "later"},
        {"Framework", "after", "d", "still in Framework"},
        {"Framework", "dup", "d", "first"},
        {"Framework", "k", "d", "d"},
        {"Framework", "only", "d", "d"},
        {"indented", "crlf", "d", "v"},
        {"Indented", "tabs", "d", "t v\t"},
        {"SectionX", "k", "d", "x"},
        {"Section", "k", "d", "d"},
        {"Last", "end", "d", "no line feed"},
        {"Missing", "k", "dflt", "dflt"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.section) + "/" + row.key);
        EXPECT_EQ(sGet(row.section, row.key, row.def, sFile), row.value);
    }
}

TEST(Profile, ListsOfKeysAndSections)
{
    TempDir dir;
    const std::string sFile = dir.write("l.ini", "[A]\nx = 1\ny=2\nnot a key\n: z = 3\n[B]\n[C]\nq=\n");
    const struct {
        unsigned size;
        const char* list;
    } rows[] = {{7, "x\r\ny\r\n"}, {64, "x\r\ny\r\n"}, {4, "x\r\n"}, {5, "x\r\ny"}, {2, "x"}, {1, ""}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.size);
        zvtest::SentinelBuffer<char> buf(row.size);
        EXPECT_EQ(GetPrivateProfileString("a", nullptr, "dflt", buf.data(), row.size, sFile.c_str()),
                  std::strlen(row.list));
        EXPECT_STREQ(buf.data(), row.list);
        EXPECT_TRUE(buf.untouchedFrom(std::strlen(row.list) + 1));
        EXPECT_TRUE(buf.guardsIntact());
    }
    EXPECT_EQ(sGet("A", "", nullptr, sFile), "x\r\ny\r\n");
    // An empty section lists nothing: the default stands in.
    EXPECT_EQ(sGet("B", nullptr, "dflt", sFile), "dflt");
    EXPECT_EQ(sGet(nullptr, nullptr, nullptr, sFile), "A\r\nB\r\nC\r\n");
    EXPECT_EQ(sGet("", "x", "dflt", sFile), "A\r\nB\r\nC\r\n");
    zvtest::SentinelBuffer<char> small(5);
    EXPECT_EQ(GetPrivateProfileString(nullptr, nullptr, nullptr, small.data(), 5, sFile.c_str()), 4u);
    EXPECT_STREQ(small.data(), "A\r\nB");
    EXPECT_TRUE(small.guardsIntact());
    const std::string sEmpty = dir.write("e.ini", "no sections\n");
    EXPECT_EQ(sGet(nullptr, nullptr, "dflt", sEmpty), "dflt");
}

TEST(Profile, ValuesAndDefaultsAreCutToTheBuffer)
{
    TempDir dir;
    const std::string sFile = dir.write("c.ini", "[S]\nk = abcdef\n");
    for (unsigned nSize : {1u, 3u, 6u, 7u, 8u}) {
        SCOPED_TRACE(nSize);
        zvtest::SentinelBuffer<char> buf(nSize);
        const unsigned nExpect = nSize - 1 < 6 ? nSize - 1 : 6;
        EXPECT_EQ(GetPrivateProfileString("S", "k", nullptr, buf.data(), nSize, sFile.c_str()), nExpect);
        EXPECT_EQ(std::string(buf.data()), std::string("abcdef").substr(0, nExpect));
        EXPECT_TRUE(buf.guardsIntact());
        zvtest::SentinelBuffer<char> def(nSize);
        EXPECT_EQ(GetPrivateProfileString("S", "none", "abcdef", def.data(), nSize, sFile.c_str()), nExpect);
        EXPECT_TRUE(def.guardsIntact());
    }
    // Size 0: nothing written at all.
    zvtest::SentinelBuffer<char> none(1);
    EXPECT_EQ(GetPrivateProfileString("S", "k", "d", none.data(), 0, sFile.c_str()), 0u);
    EXPECT_TRUE(none.untouchedFrom(0));
    // A missing file without a default leaves the buffer as it was; a found section empties it.
    char sz[8] = "keep";
    EXPECT_EQ(GetPrivateProfileString("S", "k", nullptr, sz, sizeof sz, dir.path("none.ini").c_str()), 0u);
    EXPECT_STREQ(sz, "keep");
    EXPECT_EQ(GetPrivateProfileString("S", "none", nullptr, sz, sizeof sz, sFile.c_str()), 0u);
    EXPECT_STREQ(sz, "");
}

TEST(Profile, IntegersTable)
{
    TempDir dir;
    const std::string sFile = dir.write("i.ini",
                                        "[N]\na = 42\nb = -17\nc = abc\nd = 12abc\ne =   +8\n"
                                        "f = 99999999999999999999\ng = -99999999999\nh =\n");
    const struct {
        const char* key;
        int def, value;
    } rows[] = {{"a", 5, 42},          {"b", 5, -17}, {"c", 5, 0},  {"d", 5, 12},
                {"e", 5, 8},           {"f", 5, 2147483647},       {"g", 5, -2147483647 - 1},
                {"h", 5, 0},           {"missing", -3, -3},        {"missing", -2147483647 - 1, -2147483647 - 1}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.key);
        EXPECT_EQ(GetPrivateProfileInt("N", row.key, row.def, sFile.c_str()), row.value);
    }
    EXPECT_EQ(GetPrivateProfileInt("N", "a", 9, dir.path("none.ini").c_str()), 9);
}

TEST(Profile, WritingStepByStep)
{
    TempDir dir;
    const std::string sFile = dir.path("w.ini");
    const char* f = sFile.c_str();
    const struct {
        const char *section, *key, *value, *after;
    } steps[] = {
        {"S", "K", "V", "[S]\nK = V\n"},
        {"S", "L", "long value", "[S]\nK = V\nL = long value\n"},
        {"S", "K", "much longer", "[S]\nK = much longer\nL = long value\n"},
        {"S", "K", "v", "[S]\nK = v\nL = long value\n"},
        {"T", "A", "1", "[S]\nK = v\nL = long value\n[T]\nA = 1\n"},
        {"S", "M", "m", "[S]\nK = v\nL = long value\nM = m\n[T]\nA = 1\n"},
        {"S", "L", nullptr, "[S]\nK = v\nM = m\n[T]\nA = 1\n"},
        {"S", "k", "lower", "[S]\nK = v\nM = m\nk = lower\n[T]\nA = 1\n"},
        {"T", "K", "t", "[S]\nK = v\nM = m\nk = lower\n[T]\nA = 1\nK = t\n"},
        {"U", "X", nullptr, "[S]\nK = v\nM = m\nk = lower\n[T]\nA = 1\nK = t\n[U]\n"},
        {"S", nullptr, nullptr, "[T]\nA = 1\nK = t\n[U]\n"},
        {"Z", nullptr, nullptr, "[T]\nA = 1\nK = t\n[U]\n"},
        {"U", nullptr, nullptr, "[T]\nA = 1\nK = t\n"},
        {"", "E", "e", "[T]\nA = 1\nK = t\n[]\nE = e\n"},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(std::string(step.section) + "/" + (step.key ? step.key : "(none)") + "=" +
                     (step.value ? step.value : "(none)"));
        EXPECT_EQ(WritePrivateProfileString(step.section, step.key, step.value, f), 1);
        EXPECT_EQ(sRead(sFile), step.after);
    }
}

TEST(Profile, WritingAroundEmptyLinesIndentsAndUnfinishedLines)
{
    TempDir dir;
    const struct {
        const char *before, *section, *key, *value, *after;
    } rows[] = {
        {"[S]\na = 1\n\n[T]\n", "S", "K", "V", "[S]\na = 1\nK = V\n\n[T]\n"},
        {"[S]\n\na = 1\n", "S", "a", "2", "[S]\n\na = 2\n"},
        {"[S]\nCHEMIN = x\n", "S", "chemin", "y", "[S]\nCHEMIN = x\nchemin = y\n"},
        {"  [A]\nk = 1\n", "A", "k", "2", "  [A]\nk = 1\n[A]\nk = 2\n"},
        {"[S]\nk = 1", "S", "j", "2", "[S]\nk = 1\nj = 2\n"},
        {"[S]\nk = 1", "T", "j", "2", "[S]\nk = 1\n[T]\nj = 2\n"},
        {"[S]\nk = 1", "S", "k", "22", "[S]\nk = 22\n"},
        {"[S]\r\nk = 1\r\n\r\n", "S", "j", "2", "[S]\r\nk = 1\r\nj = 2\n\r\n"},
        {"[S]\nk = 1\n[T]\nk = 2\n", "T", "k", nullptr, "[S]\nk = 1\n[T]\n"},
        {"[S]\nk\n[T]\n", "S", "k", "v", "[S]\nk\nk = v\n[T]\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.before);
        const std::string sFile = dir.write("r.ini", row.before);
        EXPECT_EQ(WritePrivateProfileString(row.section, row.key, row.value, sFile.c_str()), 1);
        EXPECT_EQ(sRead(sFile), row.after);
    }
}

TEST(Profile, WriteFailuresAreReported)
{
    TempDir dir;
    EXPECT_EQ(WritePrivateProfileString("S", "K", "V", dir.path("no/such/dir.ini").c_str()), 0);
    EXPECT_EQ(WritePrivateProfileString(nullptr, "K", "V", dir.path("n.ini").c_str()), 0);
    EXPECT_EQ(WritePrivateProfileString("S", "K", "V", nullptr), 0);
    // An empty key is refused rather than taken for the first indented line.
    const std::string sIndented = dir.write("k.ini", "[S]\n  kept = 1\n");
    EXPECT_EQ(WritePrivateProfileString("S", "", "V", sIndented.c_str()), 0);
    EXPECT_EQ(sRead(sIndented), "[S]\n  kept = 1\n");
    const std::string sLong = dir.path(std::string(300, 'x').c_str());
    EXPECT_EQ(WritePrivateProfileString("S", "K", "V", sLong.c_str()), 0);
    EXPECT_EQ(sGet("S", "K", "dflt", sLong), "dflt");
    // Devices are not profile files: /dev/zero would feed an endless line.
    EXPECT_EQ(WritePrivateProfileString("S", "K", "V", "/dev/zero"), 0);
    EXPECT_EQ(sGet("S", "K", "dflt", "/dev/zero"), "dflt");
    // A directory cannot be opened for update.
    EXPECT_EQ(WritePrivateProfileString("S", "K", "V", dir.path("").c_str()), 0);
}

TEST(Profile, ReplacingARangeKeepsTheTailByteForByte)
{
    TempDir dir;
    const std::string sTail("tail\0with NUL\n", 14);
    const std::string sFile = dir.write("b.bin", "head\nold line\n" + sTail);
    FILE* pFile = std::fopen(sFile.c_str(), "r+");
    ASSERT_NE(pFile, nullptr);
    EXPECT_TRUE(bWriteKey(pFile, 5, 14, "new", "x"));
    EXPECT_TRUE(bWriteKey(pFile, 0, 0, "first", nullptr));
    EXPECT_FALSE(bWriteKey(pFile, 10, 5, "k", "v"));
    EXPECT_FALSE(bWriteKey(pFile, 0, 1000, "k", "v"));
    std::fclose(pFile);
    EXPECT_EQ(sRead(sFile), "head\nnew = x\n" + sTail);
}

TEST(Profile, RelativeNamesReadFromHomeWrittenInWorkingDirectory)
{
    const passwd* pw = getpwuid(getuid());
    ASSERT_NE(pw, nullptr);
    TempDir cwd;
    char szOld[4096];
    ASSERT_NE(getcwd(szOld, sizeof szOld), nullptr);
    ASSERT_EQ(chdir(cwd.path("").c_str()), 0);
    const std::string sName = "zvprof-" + std::to_string(getpid()) + ".conf";
    const std::string sHomeFile = std::string(pw->pw_dir) + "/" + sName;
    std::ofstream(sHomeFile) << "[S]\nK = home\n";

    EXPECT_EQ(WritePrivateProfileString("S", "K", "cwd", sName.c_str()), 1);
    EXPECT_EQ(sRead(cwd.path(sName.c_str())), "[S]\nK = cwd\n");
    EXPECT_EQ(sGet("S", "K", "d", sName), "home");
    EXPECT_EQ(sGet("S", "K", "d", "./" + sName), "cwd");

    std::remove(sHomeFile.c_str());
    ASSERT_EQ(chdir(szOld), 0);
}

TEST(Profile, UserSettingsFilePath)
{
    const passwd* pw = getpwuid(getuid());
    ASSERT_NE(pw, nullptr);
    zvtest::SentinelBuffer<char> buf(261);
    ASSERT_TRUE(bGetNRVCONFPath(buf.data()));
    EXPECT_EQ(std::string(buf.data()), std::string(pw->pw_dir) + "/.NRV.conf");
    EXPECT_TRUE(buf.guardsIntact());
}

TEST(Profile, MalformedFilesNeverCrash)
{
    TempDir dir;
    const std::string sBig(3 * 1024 * 1024, 'v');
    std::string sBinary;
    for (int i = 0; i < 4096; ++i)
        sBinary += static_cast<char>((i * 131) & 0xFF);
    const struct {
        const char* label;
        std::string text;
        const char* value;
    } rows[] = {
        {"header without bracket", "[S\nk = 1\n[S]\nk = 2\n", "2"},
        {"only brackets", "[\n]\n[]\n[S]\nk=3", "3"},
        {"huge value", "[S]\nk = " + sBig + "\n", nullptr},
        {"huge line before", "[X]\n" + sBig + "\n[S]\nk = 4\n", "4"},
        {"binary", sBinary + "\n[S]\nk = 5\n", "5"},
        {"empty file", "", "dflt"},
        {"only CR", "[S]\rk = 6\r", "dflt"},
        {"NUL in line", std::string("[S]\nk = a\0b\n", 12), "a"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        const std::string sFile = dir.write("m.ini", row.text);
        zvtest::SentinelBuffer<char> buf(64);
        const unsigned n = GetPrivateProfileString("S", "k", "dflt", buf.data(), 64, sFile.c_str());
        EXPECT_TRUE(buf.guardsIntact());
        if (row.value) {
            EXPECT_STREQ(buf.data(), row.value);
        } else {
            EXPECT_EQ(n, 63u);
        }
        GetPrivateProfileString(nullptr, nullptr, nullptr, buf.data(), 64, sFile.c_str());
        GetPrivateProfileString("S", nullptr, nullptr, buf.data(), 64, sFile.c_str());
        EXPECT_TRUE(buf.guardsIntact());
        EXPECT_EQ(WritePrivateProfileString("S", "new", "v", sFile.c_str()), 1);
        EXPECT_EQ(sGet("S", "new", "d", sFile), "v");
    }
}

// Files written here read back with Python's configparser, where the two syntaxes agree
// (plain names and values, no ";" or "#" at line starts, keys compared in lower case).
TEST(Profile, WrittenFilesReadBackByConfigParser)
{
    if (std::system("python3 -c 'import configparser' >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "python3 with configparser is not available: outside reader not checked";
    TempDir dir;
    const std::string sFile = dir.path("cp.ini");
    const char* f = sFile.c_str();
    WritePrivateProfileString("Framework", "VMPATH", "/opt/zv/zv150vm.so", f);
    WritePrivateProfileString("Framework", "Lang", "fr", f);
    WritePrivateProfileString("Window", "Width", "800", f);
    WritePrivateProfileString("Framework", "Lang", "en-GB", f);
    WritePrivateProfileString("Window", "Height", "600", f);
    WritePrivateProfileString("Gone", "x", "1", f);
    WritePrivateProfileString("Window", "Width", nullptr, f);
    WritePrivateProfileString("Gone", nullptr, nullptr, f);
    WritePrivateProfileString("Empty", "blank", "", f);

    const std::string sScript = dir.write("read.py",
                                          "import configparser, sys\n"
                                          "c = configparser.ConfigParser(interpolation=None)\n"
                                          "c.read(sys.argv[1])\n"
                                          "for s in c.sections():\n"
                                          "    for k, v in c.items(s):\n"
                                          "        print(f'{s}|{k}|{v}')\n");
    const std::string sCmd = "python3 '" + sScript + "' '" + sFile + "'";
    FILE* pPipe = popen(sCmd.c_str(), "r");
    ASSERT_NE(pPipe, nullptr);
    std::string sOut;
    char sz[256];
    while (std::fgets(sz, sizeof sz, pPipe))
        sOut += sz;
    EXPECT_EQ(pclose(pPipe), 0);
    EXPECT_EQ(sOut, "Framework|vmpath|/opt/zv/zv150vm.so\n"
                    "Framework|lang|en-GB\n"
                    "Window|height|600\n"
                    "Empty|blank|\n");
}

// ---- Under injected faults --------------------------------------------------------------

// Names in a directory, "." and ".." left out.
std::string sEntries(const std::string& sDir)
{
    std::string s;
    if (DIR* p = opendir(sDir.c_str())) {
        std::vector<std::string> v;
        while (const dirent* e = readdir(p))
            if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
                v.push_back(e->d_name);
        closedir(p);
        std::sort(v.begin(), v.end());
        for (const std::string& sName : v)
            s += sName + ";";
    }
    return s;
}

// A profile whose first key is followed by a long tail of settings: the tail the in-place
// rewrite used to hold in memory and write back.
std::string sLongProfile()
{
    std::string s = "[Framework]\nVMPATH = /opt/zv/zv150vm.so\n";
    for (int nSection = 0; nSection < 40; ++nSection) {
        s += "[Section" + std::to_string(nSection) + "]\n";
        for (int nKey = 0; nKey < 100; ++nKey)
            s += "Key" + std::to_string(nKey) + " = value " + std::to_string(nSection * 100 + nKey) + "\n";
    }
    return s;
}

// The data loss of the in-place writer: a changed key made the whole tail be written again, and
// a failure in that rewrite cut the file there. Every call failing in turn, and a disk that
// stays full, must leave the old file whole.
TEST(Profile, TailRewriteFailingAtEveryCallLeavesTheOldFile)
{
    TempDir dir;
    const std::string sFile = dir.path("app.ini");
    const std::string sOld = sLongProfile();
    std::string sNew = sOld;
    sNew.replace(sNew.find("/opt/zv/zv150vm.so"), 18, "/usr/local/NORVELL/lib/zv150vm-longer.so");
    const zvtest::SweepStats st = zvtest::Sweep(
        "WritePrivateProfileString (changed key, long tail)", [&] { dir.write("app.ini", sOld); },
        [&] { return WritePrivateProfileString("Framework", "VMPATH", "/usr/local/NORVELL/lib/zv150vm-longer.so",
                                               sFile.c_str()) == 1; },
        [&](bool bOk, bool) {
            const std::string s = sRead(sFile);
            EXPECT_TRUE(s == sNew || (!bOk && s == sOld)) << "a file of " << s.size() << " bytes";
            EXPECT_EQ(sEntries(dir.path("")), "app.ini;");
        });
    EXPECT_GT(st.nFailed, 0u);

    // The disk full from the first write on.
    dir.write("app.ini", sOld);
    zvtest::FaultInjector injector;
    zvtest::FaultPlan plan;
    plan.nNth = 1;
    plan.nErrno = ENOSPC;
    plan.bPersistent = true;
    plan.calls.reset();
    plan.calls.set(eSYS_WRITE);
    plan.calls.set(eSYS_PWRITE);
    injector.Arm(plan);
    EXPECT_EQ(WritePrivateProfileString("Framework", "VMPATH", "x", sFile.c_str()), 0);
    injector.Disarm();
    EXPECT_TRUE(sRead(sFile) == sOld);
    EXPECT_EQ(sEntries(dir.path("")), "app.ini;");
    char sz[600];
    SYS_nFormatLastError(sz, sizeof sz);
    EXPECT_NE(std::string(sz).find("No space left on device"), std::string::npos) << sz;
}

TEST(Profile, EveryKindOfWriteUnderInjectedFaults)
{
    TempDir dir;
    const std::string sFile = dir.path("w.ini");
    const std::string sOld = "[S]\nK = v\nL = long value\n\n[T]\nA = 1\n";
    const struct {
        const char *pszName, *section, *key, *value, *after;
    } cases[] = {
        {"WritePrivateProfileString (new key)", "S", "M", "m", "[S]\nK = v\nL = long value\nM = m\n\n[T]\nA = 1\n"},
        {"WritePrivateProfileString (changed key)", "S", "K", "changed", "[S]\nK = changed\nL = long value\n\n[T]\nA = 1\n"},
        {"WritePrivateProfileString (deleted key)", "S", "L", nullptr, "[S]\nK = v\n\n[T]\nA = 1\n"},
        {"WritePrivateProfileString (new section)", "U", "X", "x", "[S]\nK = v\nL = long value\n\n[T]\nA = 1\n[U]\nX = x\n"},
        {"WritePrivateProfileString (deleted section)", "T", nullptr, nullptr, "[S]\nK = v\nL = long value\n\n"},
    };
    for (const auto& c : cases) {
        zvtest::Sweep(
            c.pszName, [&] { dir.write("w.ini", sOld); },
            [&] { return WritePrivateProfileString(c.section, c.key, c.value, sFile.c_str()) == 1; },
            [&](bool bOk, bool) {
                const std::string s = sRead(sFile);
                EXPECT_TRUE(s == c.after || (!bOk && s == sOld)) << s;
                EXPECT_EQ(sEntries(dir.path("")), "w.ini;");
            });
    }
    // A new file: absent or whole.
    zvtest::Sweep(
        "WritePrivateProfileString (new file)", [&] { std::remove(sFile.c_str()); },
        [&] { return WritePrivateProfileString("S", "K", "v", sFile.c_str()) == 1; },
        [&](bool bOk, bool) {
            const std::string sNames = sEntries(dir.path(""));
            EXPECT_TRUE(sNames == "w.ini;" || (!bOk && sNames.empty())) << sNames;
            if (!sNames.empty()) {
                EXPECT_EQ(sRead(sFile), "[S]\nK = v\n");
            }
        });
}

TEST(Profile, WritesKeepLinksModeAndLeaveUnchangedFilesAlone)
{
    TempDir dir;
    const std::string sTarget = dir.write("real.ini", "[S]\nK = 1\n");
    ASSERT_EQ(chmod(sTarget.c_str(), 0600), 0);
    const std::string sLink = dir.path("link.ini");
    ASSERT_EQ(symlink("real.ini", sLink.c_str()), 0);
    EXPECT_EQ(WritePrivateProfileString("S", "K", "2", sLink.c_str()), 1);
    struct stat st;
    ASSERT_EQ(lstat(sLink.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(sRead(sTarget), "[S]\nK = 2\n");
    ASSERT_EQ(stat(sTarget.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    // Removing what is not there changes nothing, not even the file's times.
    const ino_t nInode = st.st_ino;
    EXPECT_EQ(WritePrivateProfileString("S", "absent", nullptr, sTarget.c_str()), 1);
    ASSERT_EQ(stat(sTarget.c_str(), &st), 0);
    EXPECT_EQ(st.st_ino, nInode);
    EXPECT_EQ(sRead(sTarget), "[S]\nK = 2\n");
}

} // namespace
