#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "objects/CalcNames.h"
#include "session/TXModemServer.h"
#include "support/SimFixture.h"

namespace vaddex::test {
namespace {

using zqsim::Personality;

// The directory commands against the demo memory, over the serial line and over USB.
class DirectoryTest : public ::testing::TestWithParam<Personality> {
protected:
    static SimFixtureOptions Options(Personality personality) {
        SimFixtureOptions options;
        options.personality = personality;
        return options;
    }

    // "path|name|type|size" of every variable on the calculator, depth first.
    std::vector<std::string> CalculatorItems() {
        std::vector<std::string> items;
        for (const zqsim::SimVariableInfo& info : sim.Snapshot()) {
            items.push_back(info.path + "|" + CalcNameToPc(info.name, false) + "|" + info.typeName +
                            "|" + std::to_string((info.nibbles.size() + 1) / 2));
        }
        return items;
    }
    // The same, as the session's listing shows it.
    std::vector<std::string> ListedItems() {
        sim.Session().ReadDirectoryTree(sim.Root());
        std::vector<std::string> items;
        Collect(sim.Root(), items);
        return items;
    }
    static void Collect(const TXPObject& node, std::vector<std::string>& out) {
        for (const auto& child : node.Children) {
            out.push_back(node.GetPath() + "|" + child->Name + "|" + child->TypeName + "|" +
                          std::to_string(child->Size));
            Collect(*child, out);
        }
    }
    bool Has(const std::string& path) { return sim.FindObject(path).has_value(); }
    int Executed() { return sim.Server().Stats().commandsExecuted; }
    std::vector<std::string> Stack() {
        std::vector<std::string> texts;
        sim.WithCalculator([&](zqsim::SimCalculator& c) { texts = c.StackTexts(); });
        return texts;
    }

    SimFixture sim{Options(GetParam())};
};

TEST_P(DirectoryTest, ListingShowsTheWholeTree) {
    std::vector<std::string> listed = ListedItems();
    EXPECT_EQ(listed, CalculatorItems());
    EXPECT_GT(listed.size(), 15u);
    EXPECT_EQ(sim.Session().StatusText, "");
    // A second listing replaces the first rather than adding to it.
    EXPECT_EQ(ListedItems(), listed);
}

TEST_P(DirectoryTest, ChangeDirEntersThePathAndAnEmptyPathOnlyWaits) {
    sim.Session().ChangeDir("HOME MATHS DEEP");
    std::string current;
    sim.WithCalculator([&](zqsim::SimCalculator& c) { current = c.CurrentPath(); });
    EXPECT_EQ(current, "HOME MATHS DEEP");
    EXPECT_EQ(sim.Ui().Count("Status(Change current dir to HOME MATHS DEEP)"), 1);
    EXPECT_EQ(sim.Ui().Count("Working(true)"), 0);
    int executed = Executed();
    sim.Session().ChangeDir("");
    EXPECT_EQ(Executed(), executed);
}

TEST_P(DirectoryTest, PurgeDeletesAVariableOrADirectoryWithItsContent) {
    sim.Session().Purge("A\\->B", false);  // display form: the name holds the arrow
    EXPECT_FALSE(
        Has("HOME A\x8D"
            "B"));
    sim.Session().Purge("MATHS", true);
    EXPECT_FALSE(Has("HOME MATHS"));
    EXPECT_FALSE(Has("HOME MATHS DEEP NOTE"));
    EXPECT_TRUE(Has("HOME GAMES"));
    EXPECT_EQ(sim.Ui().Count("Working(true)"), 2);
}

TEST_P(DirectoryTest, ImproperNameAsksFirstAndRefusalSendsNothing) {
    sim.Ui().QueuePromptAnswer(false);
    int executed = Executed();
    sim.Session().Purge("2X", false);
    EXPECT_EQ(Executed(), executed);
    std::vector<ScriptedUiBridge::Prompt> prompts = sim.Ui().Prompts();
    ASSERT_EQ(prompts.size(), 1u);
    EXPECT_EQ(prompts[0].caption, "Improper Variable Name");
    EXPECT_EQ(prompts[0].text,
              "2X\r\nis an improper variable name on the calculator.\r\nThis may result in "
              "failure of the command or connection.\r\n\r\nContinue with the command?");
    EXPECT_EQ(sim.Ui().BeepCount(), 1);

    sim.Ui().QueuePromptAnswer(true);
    sim.Session().Purge("2X", false);
    EXPECT_EQ(Executed(), executed + 1);
    EXPECT_EQ(sim.Server().Stats().lastCommandLine, "'2X' PURGE");
}

TEST_P(DirectoryTest, MakeDirCreatesAnEmptyDirectoryInTheCurrentOne) {
    sim.Session().ChangeDir("HOME GAMES");
    sim.Session().MakeDir("New");
    EXPECT_TRUE(Has("HOME GAMES New"));
    EXPECT_EQ(sim.Server().Stats().lastCommandLine, "'New' CRDIR");
    EXPECT_EQ(ListedItems(), CalculatorItems());
}

TEST_P(DirectoryTest, MoveVarRenamesAndKeepsTheObject) {
    std::optional<std::string> x = sim.FindObject("HOME X");
    std::optional<std::string> hiscore = sim.FindObject("HOME GAMES HISCORE");
    ASSERT_TRUE(x && hiscore);
    sim.Session().MoveVar("X", "Y", false);
    sim.Session().MoveVar("GAMES", "PLAY", true);
    EXPECT_FALSE(Has("HOME X"));
    EXPECT_EQ(sim.FindObject("HOME Y"), x);
    EXPECT_FALSE(Has("HOME GAMES"));
    EXPECT_EQ(sim.FindObject("HOME PLAY HISCORE"), hiscore);
    EXPECT_EQ(sim.Server().Stats().lastCommandLine, "'GAMES' DUP RCL SWAP PGDIR 'PLAY' STO ");
}

TEST_P(DirectoryTest, FreeMemoryIsTheCalculatorsFigureInWholeBytes) {
    std::string text;
    sim.WithCalculator([&](zqsim::SimCalculator& c) { text = c.FreeMemoryText(); });
    std::string whole = text.substr(0, text.find('.'));
    EXPECT_EQ(sim.Session().FreeMemory(), whole);
    EXPECT_FALSE(whole.empty());
}

TEST_P(DirectoryTest, StackLinesOfAnEmptyStackAreNone) {
    EXPECT_TRUE(sim.Session().ReadStackLines().empty());
    EXPECT_FALSE(Has("HOME $$$t"));
    EXPECT_TRUE(Stack().empty());
}

TEST_P(DirectoryTest, StackLinesShowTheLowestSevenLevelsWithStringsQuoted) {
    sim.Session().Execute(
        "1 2 3 4 5 6 7 \"a\x87"
        "b\" 9 \"\"",
        false, true);
    std::vector<std::string> before = Stack();
    ASSERT_EQ(before.size(), 10u);
    std::vector<std::string> lines = sim.Session().ReadStackLines();
    EXPECT_EQ(lines, (std::vector<std::string>{"7: 4.", "6: 5.", "5: 6.", "4: 7.", "3: \"a\\pib\"",
                                               "2: 9.", "1: \"\""}));
    EXPECT_EQ(Stack(), before) << "reading the stack leaves it as it was";
    EXPECT_FALSE(Has("HOME $$$t"));
}

INSTANTIATE_TEST_SUITE_P(OverPtyAndFifo, DirectoryTest,
                         ::testing::Values(Personality::K8, Personality::K8GPlus),
                         [](const auto& info) {
                             return info.param == Personality::K8 ? "Pty" : "Fifo";
                         });

TEST(DirectoryK7Test, FirstSeriesListingShowsTheWholeTree) {
    SimFixtureOptions options;
    options.personality = Personality::K7;
    SimFixture sim(options);
    sim.Session().ReadDirectoryTree(sim.Root());
    std::size_t count = 0;
    for (const zqsim::SimVariableInfo& info : sim.Snapshot()) {
        count += info.path == "HOME" ? 1 : 0;
    }
    EXPECT_EQ(sim.Root().Children.size(), count);
    EXPECT_GT(sim.Root().GetSize(), 100);
}

}  // namespace
}  // namespace vaddex::test
