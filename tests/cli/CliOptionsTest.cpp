#include "cli/CliOptions.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "cli/CliSettings.h"

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
        {},                          // no command
        {"frobnicate"},              // unknown command
        {"ls", "--colour"},          // unknown option
        {"ls", "-x"},                // unknown short option
        {"info", "-s", "12345"},     // a speed the port cannot take
        {"info", "-s", "fast"},      // not a number
        {"info", "--transio", "4"},  // no such translation
        {"info", "-p"},              // value missing
        {"info", "--json=1"},        // a flag with a value
        {"get"},                     // missing argument
        {"mv", "A", "B", "C"},       // too many
        {"get", "X", "-R"},          // -R for ls only
        {"get", "X", "--json"},      // --json for info, ls, stack only
        {"info", "--yes", "--no"},   // contradicting answers
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

SettingLookup From(const std::map<std::string, std::string>& values) {
    return [values](const std::string& key) -> std::optional<std::string> {
        auto found = values.find(key);
        return found == values.end() ? std::nullopt : std::optional<std::string>(found->second);
    };
}

TEST(CliStoredSettings, FirstRunGivesTheDefaults) {
    StoredSettings settings = InterpretSettings(From({}));
    EXPECT_EQ(settings.port, "Auto");
    EXPECT_EQ(settings.speed, 9600);
    EXPECT_TRUE(settings.addExtension);
    EXPECT_TRUE(settings.addCR);
    EXPECT_TRUE(settings.trans031);
    EXPECT_EQ(settings.transIO, 3);
    EXPECT_TRUE(settings.border.show);
    EXPECT_EQ(settings.border.space, 1);
    EXPECT_EQ(settings.border.frame, 2);
}

TEST(CliStoredSettings, ReadRulesOfTheWindow) {
    // The USB device leaves "130000" behind; it reads back as 9600.
    EXPECT_EQ(InterpretSettings(From({{"Speed", "130000"}})).speed, 9600);
    EXPECT_EQ(InterpretSettings(From({{"Speed", "38400"}})).speed, 38400);
    // Any integer but 0 is true; a text that is no integer gives the default.
    EXPECT_TRUE(InterpretSettings(From({{"AddExtension", "5"}})).addExtension);
    EXPECT_FALSE(InterpretSettings(From({{"AddExtension", "0"}})).addExtension);
    EXPECT_TRUE(InterpretSettings(From({{"AddExtension", "no"}})).addExtension);
    EXPECT_FALSE(InterpretSettings(From({{"TRANS031", "0"}})).trans031);
}

TEST(CliStoredSettings, TransIOFollowsTheLineEnds) {
    EXPECT_EQ(InterpretSettings(From({{"TRANSIO", "0"}, {"AddCR", "1"}})).transIO, 1);
    EXPECT_EQ(InterpretSettings(From({{"TRANSIO", "1"}, {"AddCR", "0"}})).transIO, 0);
    EXPECT_EQ(InterpretSettings(From({{"TRANSIO", "2"}, {"AddCR", "0"}})).transIO, 2);
    EXPECT_EQ(InterpretSettings(From({{"TRANSIO", "9"}})).transIO, 3);
    EXPECT_EQ(AdjustTransIO(0, true), 1);
    EXPECT_EQ(AdjustTransIO(3, false), 3);
}

TEST(CliStoredSettings, CaptureBorderOutsideItsRangeIsIgnored) {
    StoredSettings settings = InterpretSettings(From({{"ScreenCapture/BorderShow", "0"},
                                                      {"ScreenCapture/BorderSpace", "12"},
                                                      {"ScreenCapture/BorderFrame", "-1"}}));
    EXPECT_FALSE(settings.border.show);
    EXPECT_EQ(settings.border.space, 4);
    EXPECT_EQ(settings.border.frame, 2);
    settings = InterpretSettings(
        From({{"ScreenCapture/BorderSpace", "0"}, {"ScreenCapture/BorderFrame", "9"}}));
    EXPECT_EQ(settings.border.space, 0);
    EXPECT_EQ(settings.border.frame, 9);
}

}  // namespace
}  // namespace vaddex::cli
