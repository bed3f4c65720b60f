// Text puts against the simulated calculator: only one object is sent, and what the
// calculator cannot make one object of leaves its stack as it was.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "objects/CalcNames.h"
#include "session/SessionBTestSupport.h"
#include "util/Errors.h"

namespace vaddex::test {
namespace {

const std::string kHeader = "%%ZQ: T(3)A(D)F(.);\r\n";

class SessionTextPutTest : public ::testing::Test {
protected:
    SessionTextPutTest() { sim.Session().ReadDirectoryTree(sim.Root()); }

    bool Put(const std::string& name, const std::string& bytes) {
        std::string path = sim.Files().File(name + ".txt");
        PutFileBytes(path, bytes);
        bool replaceAll = false;
        return sim.Session().PutFile(name, path, "", false, replaceAll, 1).IsDone();
    }

    // The message of the error the put raises, or "" when it raises none.
    std::string PutError(const std::string& name, const std::string& bytes) {
        try {
            Put(name, bytes);
        } catch (const LinkError& e) {
            return e.what();
        }
        return "";
    }

    std::string Home(const std::string& name) {
        return sim.FindObject("HOME " + name).value_or("");
    }

    std::vector<std::string> Stack() {
        std::vector<std::string> texts;
        sim.WithCalculator([&](zqsim::SimCalculator& calc) { texts = calc.StackTexts(); });
        return texts;
    }

    SimFixture sim;
};

// --- what would run is never sent --------------------------------------------------------

struct RefusedRow {
    const char* behaviour;
    std::string body;
    const char* runs;  // the word the message names
};

class RefusedTextTest : public SessionTextPutTest,
                        public ::testing::WithParamInterface<RefusedRow> {};

TEST_P(RefusedTextTest, NothingIsSentAndTheWordIsNamed) {
    const RefusedRow& row = GetParam();
    std::string greeting = Home("GREETING");
    std::string games = Home("GAMES");
    zqsim::SimStats before = sim.Server().Stats();

    EXPECT_EQ(PutError("H1", kHeader + row.body + "\r\n"),
              std::string("Error (H1: not sent: the text is not one object; ") + row.runs +
                  " would run on the calculator)");

    zqsim::SimStats after = sim.Server().Stats();
    EXPECT_EQ(after.letters['E'], before.letters['E']);
    EXPECT_EQ(after.letters['P'], before.letters['P']);
    EXPECT_EQ(Home("GREETING"), greeting);
    EXPECT_EQ(Home("GAMES"), games);
    EXPECT_FALSE(sim.FindObject("HOME H1").has_value());
    EXPECT_EQ(sim.Ui().Count("AskReplace("), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, RefusedTextTest,
    ::testing::Values(RefusedRow{"purge_of_a_variable", "'GREETING' PURGE 7", "PURGE"},
                      RefusedRow{"folder_deleted", "HOME 'GAMES' PGDIR 7", "HOME"},
                      RefusedRow{"purge_then_no_single_object", "'GREETING' PURGE 1 2", "PURGE"},
                      RefusedRow{"long_text_sent_as_a_variable",
                                 "\"" + std::string(400, 'x') + "\" 'GREETING' PURGE", "PURGE"},
                      RefusedRow{"escaped_arrow_is_a_word", "7 \\->STR", "\\->STR"}),
    [](const auto& info) { return std::string(info.param.behaviour); });

// --- every object the simulator prints comes back from its text file -----------------------

struct RoundTripRow {
    const char* behaviour;
    std::string object;  // as typed on the calculator
};

class TextRoundTripTest : public SessionTextPutTest,
                          public ::testing::WithParamInterface<RoundTripRow> {};

TEST_P(TextRoundTripTest, TextGetThenTextPutStoresTheSameObject) {
    sim.Session().Execute(GetParam().object + " 'ORIG' STO", false, true);
    ASSERT_TRUE(sim.FindObject("HOME ORIG").has_value());
    sim.Session().ReadDirectoryTree(sim.Root());
    const TXPObject* item = FindChild(sim.Root(), "ORIG");
    ASSERT_NE(item, nullptr);
    sim.State().textMode = true;
    std::string path = sim.Files().File("ORIG.txt");
    ASSERT_TRUE(sim.Session().GetToFile("ORIG", path, item->Size, item->TypeCode));

    ASSERT_TRUE(Put("BACK", FileBytes(path))) << FileBytes(path);
    EXPECT_EQ(Home("BACK"), Home("ORIG")) << FileBytes(path);
}

INSTANTIATE_TEST_SUITE_P(
    Objects, TextRoundTripTest,
    ::testing::Values(RoundTripRow{"real", "-12.5"}, RoundTripRow{"string", "\"a \xAB } b\""},
                      RoundTripRow{"name", "'GREETING'"}, RoundTripRow{"algebraic", "'X^2+1'"},
                      RoundTripRow{"program_holding_purge", "\xAB 'GREETING' PURGE HOME \xBB"},
                      RoundTripRow{"nested_lists", "{ 1 { \"}\" { \xAB DROP \xBB } } }"},
                      RoundTripRow{"tagged", ":Speed:9600"}, RoundTripRow{"binary", "#FFh"},
                      RoundTripRow{"directory", "DIR A 1 B \xAB PURGE \xBB END"}),
    [](const auto& info) { return std::string(info.param.behaviour); });

// --- a text the calculator still cannot make one object of -----------------------------------

struct FailingRow {
    const char* behaviour;
    std::string body;
};

class FailedTextPutTest : public SessionTextPutTest,
                          public ::testing::WithParamInterface<FailingRow> {};

TEST_P(FailedTextPutTest, LeavesTheStackAndTheFlagsAsTheyWere) {
    sim.Session().Execute("'Hello' 'from' 3 -55 SF", false, true);
    std::vector<std::string> stack = Stack();
    ASSERT_EQ(stack.size(), 3u);

    EXPECT_TRUE(Put("F", kHeader + GetParam().body + "\r\n"));

    EXPECT_EQ(Stack(), stack);
    EXPECT_FALSE(sim.FindObject("HOME F").has_value());
    EXPECT_FALSE(sim.FindObject("HOME $$$a").has_value());
    sim.WithCalculator([](zqsim::SimCalculator& calc) {
        EXPECT_TRUE(calc.Flag(-55)) << "the flags the parse changed are restored";
        EXPECT_FALSE(calc.Flag(-51));
    });
}

INSTANTIATE_TEST_SUITE_P(
    Texts, FailedTextPutTest,
    ::testing::Values(
        // The simulated calculator knows no arrays and no units: it cannot parse them.
        FailingRow{"does_not_parse_inline", "[ 1 2 ]"},
        FailingRow{"does_not_parse_as_a_variable", "5_m @" + std::string(400, '-') + "@"},
        // With "." as the mark the comma separates: two numbers.
        FailingRow{"makes_two_objects", "1,5"}),
    [](const auto& info) { return std::string(info.param.behaviour); });

TEST_F(SessionTextPutTest, SuccessfulPutKeepsTheStack) {
    sim.Session().Execute("'Hello' 'from' 3", false, true);
    std::vector<std::string> stack = Stack();
    ASSERT_TRUE(Put("S", kHeader + "{ 7 }\r\n"));
    EXPECT_EQ(Stack(), stack);
    sim.Session().Execute("'S' RCL { 7 } == 'OK' STO", false, true);
    EXPECT_TRUE(sim.FindObject("HOME OK").has_value());
}

}  // namespace
}  // namespace vaddex::test
