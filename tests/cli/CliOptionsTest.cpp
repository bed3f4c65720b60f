#include "cli/CliCommands.h"
#include "cli/CliOptions.h"
#include "cli/CommandWords.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace vaddex::cli {
namespace {

CliOptions Parse(const std::vector<std::string>& words) {
    return ParseCliArguments(words);
}

TEST(CliArguments, OptionsMayStandOnEitherSideOfTheCommand) {
    CliOptions options = Parse({"-tR", "ls", "--port=/dev/pts/4", "-s38400", "-C", "A/B"});
    EXPECT_EQ(options.command, "ls");
    EXPECT_TRUE(options.textMode);
    EXPECT_TRUE(options.recursive);
    EXPECT_EQ(options.port, "/dev/pts/4");
    EXPECT_EQ(options.speed, 38400);
    EXPECT_EQ(options.directory, "HOME A B");

    options = Parse({"eval", "--", "-3", "ABS"});
    EXPECT_EQ(options.arguments, (std::vector<std::string>{"-3", "ABS"}));
}

TEST(CliArguments, DirectoryFormsMeanTheSamePath) {
    for (const char* form : {"HOME A B", "A B", "A/B", "/HOME/A/B/", "HOME/A B"}) {
        EXPECT_EQ(NormaliseDirectory(form), "HOME A B") << form;
    }
    EXPECT_EQ(NormaliseDirectory(""), "HOME");
    EXPECT_EQ(NormaliseDirectory("HOME"), "HOME");
}

TEST(CliArguments, MalformedCommandLinesAreUsageErrors) {
    const std::vector<std::vector<std::string>> rows = {
        {},                                 // no command
        {"frobnicate"},                     // unknown command
        {"ls", "--colour"},                 // unknown option
        {"ls", "-x"},                       // unknown short option
        {"info", "-s", "12345"},            // a speed the port cannot take
        {"info", "-s", "fast"},             // not a number
        {"info", "--transio", "4"},         // no such translation
        {"info", "-p"},                     // value missing
        {"info", "--json=1"},               // a flag with a value
        {"get"},                            // missing argument
        {"mv", "A", "B", "C"},              // too many
        {"get", "X", "-R"},                 // -R for ls only
        {"get", "X", "--json"},             // --json for info, ls, stack only
        {"info", "--yes", "--no"},          // contradicting answers
        {"ls", "--refresh", "5"},           // --refresh for mount only
        {"mount", "m", "--refresh", "-1"},  // no negative age
        {"ls", "--background"},             // --background for mount only
        {"ls", "-o", "ro"},                 // -o for mount only
    };
    for (const auto& row : rows) {
        std::string line;
        for (const std::string& word : row) {
            line += word + " ";
        }
        EXPECT_THROW(Parse(row), UsageError) << line;
    }
}

TEST(CliArguments, HelpAndVersionNeedNoCommand) {
    EXPECT_TRUE(Parse({"--help"}).help);
    EXPECT_TRUE(Parse({"-h"}).help);
    EXPECT_TRUE(Parse({"--version"}).version);
}

TEST(CliArguments, SessionCommandsKeepTheOtherOptionsForEachCommand) {
    CliOptions options =
        Parse({"-p", "sim", "-e", "get A", "--stop-on-error", "-t", "--execute=ls -R", "--yes"});
    EXPECT_EQ(options.sessionCommands, (std::vector<std::string>{"get A", "ls -R"}));
    EXPECT_TRUE(options.stopOnError);
    EXPECT_EQ(options.optionWords, (std::vector<std::string>{"-p", "sim", "-t", "--yes"}));
    EXPECT_TRUE(IsSession(options));
    EXPECT_TRUE(IsSession(Parse({"shell"})));
    EXPECT_THROW(Parse({"-e", "ls", "info"}), UsageError);
    EXPECT_THROW(Parse({"--stop-on-error", "ls"}), UsageError);
}

TEST(CliArguments, SessionLinesSplitAsAShellSplitsThem) {
    using Words = std::vector<std::string>;
    EXPECT_EQ(SplitCommandWords("  get  A\\\\->B   out.zq "), (Words{"get", "A\\->B", "out.zq"}))
        << "backslash outside quotes keeps the next character";
    EXPECT_EQ(SplitCommandWords("eval '1 \"x\" +' \"a\\\"b\\\\\""),
              (Words{"eval", "1 \"x\" +", "a\"b\\"}));
    EXPECT_EQ(SplitCommandWords("put ''"), (Words{"put", ""})) << "an empty quoted word stays";
    EXPECT_TRUE(SplitCommandWords(" \t ").empty());
    EXPECT_THROW(SplitCommandWords("eval 'open"), UsageError);
}

TEST(CliArguments, PutArgumentNamesTheVariableAfterTheLastColon) {
    using Split = std::pair<std::string, std::string>;
    EXPECT_EQ(SplitPutArgument("note.txt:MEMO"), (Split{"note.txt", "MEMO"}));
    EXPECT_EQ(SplitPutArgument("a:b/note.zq:X"), (Split{"a:b/note.zq", "X"}));
    EXPECT_EQ(SplitPutArgument("note.zq"), (Split{"note.zq", ""}));
    EXPECT_EQ(SplitPutArgument("note.zq:"), (Split{"note.zq:", ""})) << "no name: the whole path";
    EXPECT_EQ(SplitPutArgument(":X"), (Split{":X", ""}));
    // A file whose own name holds a colon is sent under its name, not cut.
    std::string path = ::testing::TempDir() + "has:colon.zq";
    { std::ofstream(path) << "x"; }
    EXPECT_EQ(SplitPutArgument(path), (Split{path, ""}));
    std::remove(path.c_str());
}

}  // namespace
}  // namespace vaddex::cli
