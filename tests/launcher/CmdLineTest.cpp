// Tests of the command-line services: option tests and the rebuilt command line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/strings/CTString.h"
#include "launcher/CmdLine.h"

namespace {

// argv-style vector (program name first, terminating null) over owned strings.
struct Argv {
    explicit Argv(std::vector<std::string> args) : m_args(std::move(args))
    {
        for (std::string& s : m_args)
            m_ptrs.push_back(s.data());
        m_ptrs.push_back(nullptr);
    }
    int argc() const { return static_cast<int>(m_args.size()); }
    char** argv() { return m_ptrs.data(); }

    std::vector<std::string> m_args;
    std::vector<char*> m_ptrs;
};

std::string Rebuild(std::vector<std::string> args)
{
    args.insert(args.begin(), "ZVExe");
    Argv a(args);
    SetCommandLine(a.argc() - 1, a.argv() + 1);
    return GetCommandLine();
}

TEST(CmdLineTest, RebuildsArguments)
{
    struct Row {
        const char* label;
        std::vector<std::string> args;
        std::string expected;
    } rows[] = {
        {"no arguments", {}, ""},
        {"plain arguments each followed by a blank", {"-a", "b"}, "-a b "},
        {"key=value with blanks, then a quoted whole", {"-a", "KEY=two words", "x y"},
         "-a KEY=\"two words\" \"x y\" "},
        {"blank before the '=' quotes the whole", {"a b=c"}, "\"a b=c\" "},
        {"tab is not a blank", {"a\tb"}, "a\tb "},
        {"empty argument", {""}, " "},
        {"quotes are not escaped", {"say \"hi\""}, "\"say \"hi\"\" "},
        {"'=' first, nothing after it", {"K= "}, "K=\" \" "},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        EXPECT_EQ(row.expected, Rebuild(row.args));
    }
    EXPECT_EQ(25u, Rebuild({"-a", "KEY=two words", "x y"}).size());
}

TEST(CmdLineTest, OverlongLineIsCutAt1024Characters)
{
    std::string big(1000, 'x');
    std::string line = Rebuild({big, "KEY=a b c d e f g h i j k l m n o p q r s t u v w x y z"});
    ASSERT_EQ(1024u, line.size());
    EXPECT_EQ(big + " KEY=\"a b c d e f g h i", line.substr(0, 1023));
    // A rebuild after a long one starts afresh.
    EXPECT_EQ("short ", Rebuild({"short"}));
}

TEST(CmdLineTest, FindsOptionsAsWholeArgumentsIgnoringCase)
{
    struct Row {
        const char* label;
        std::vector<std::string> args;
        bool found;
        const char* value;  // expected value when found
    } rows[] = {
        {"upper case", {"ZVExe", "--SERVICE", "svc"}, true, "svc"},
        {"lower case", {"ZVExe", "--service", "svc"}, true, "svc"},
        {"mixed case", {"ZVExe", "x", "--Service", "svc"}, true, "svc"},
        {"option=value is not the option", {"ZVExe", "--SERVICE=name"}, false, nullptr},
        {"twice: value after the first", {"ZVExe", "--SERVICE", "a", "--SERVICE", "b"}, true, "a"},
        {"last argument: empty value", {"ZVExe", "--SERVICE"}, true, ""},
        {"in place of the program name", {"--SERVICE", "x"}, false, nullptr},
        {"no arguments", {"ZVExe"}, false, nullptr},
        {"prefix only", {"ZVExe", "--SERV"}, false, nullptr},
    };
    for (Row& row : rows) {
        SCOPED_TRACE(row.label);
        Argv a(row.args);
        EXPECT_EQ(row.found, bSetOnCmdLine(a.argc(), a.argv(), "--SERVICE"));
        CTString clValeur("untouched");
        EXPECT_EQ(row.found, bGetCmdLineValue(a.argc(), a.argv(), "--SERVICE", &clValeur));
        EXPECT_STREQ(row.found ? row.value : "untouched", clValeur.pszGet());
    }
}

}  // namespace
