// The stack machine itself: arithmetic, structures, names and the control API.
#include <gtest/gtest.h>

#include "SimTestHelpers.h"

namespace zqsim::test {
namespace {

class Interpreter : public ::testing::Test {
protected:
    std::vector<std::string> Run(const std::string& line) {
        calc_.Execute("CLEAR");
        calc_.Execute(CalcBytes(line));
        return calc_.StackTexts();
    }
    using Texts = std::vector<std::string>;

    SimCalculator calc_{Personality::K8};  // the demo memory
};

TEST_F(Interpreter, RealArithmeticRoundsAndSaturatesLikeTheCalculator) {
    EXPECT_EQ(Run("1 2 + 3 4 *"), (Texts{"3.", "12."}));
    EXPECT_EQ(Run("2 10 ^ 1 -"), Texts{"1023."});
    EXPECT_EQ(Run("1E499 10 *"), Texts{"9.99999999999E499"});
    EXPECT_EQ(Run("1E-499 1E-10 *"), Texts{"0."});
    EXPECT_EQ(Run("1E500"), Texts{"9.99999999999E499"});
    EXPECT_EQ(Run(".1 .2 +"), Texts{".3"});
    EXPECT_EQ(Run("-2 .5 ^"), (Texts{"-2.", ".5"}));  // complex result refused
    EXPECT_EQ(calc_.DisplayLines().at(1), "Bad Argument Value");
}

TEST_F(Interpreter, BinaryIntegersFollowTheWordSize) {
    EXPECT_EQ(Run("#FFh #1h +"), Texts{"#100h"});
    EXPECT_EQ(Run("8 STWS #FFh #1h + 64 STWS"), Texts{"#0h"});
    EXPECT_EQ(Run("#10h 3 *"), Texts{"#30h"});
    EXPECT_EQ(Run("#255d #11b #17o"), (Texts{"#FFh", "#3h", "#Fh"}));
}

TEST_F(Interpreter, StringsAndListsJoinWithPlus) {
    EXPECT_EQ(Run("\"a\" 1 + { 1 } 2 + 0 { 1 } +"), (Texts{"a1.", "{ 1. 2. }", "{ 0. 1. }"}));
    EXPECT_EQ(Run("{ 1 2 3 } 2 GET { 4 5 } LIST→"), (Texts{"2.", "4.", "5.", "2."}));
    EXPECT_EQ(Run(":T:5 OBJ→"), (Texts{"5.", "T"}));
    EXPECT_EQ(Run("{ 1 2 3 } 2 « + » DOSUBS"), Texts{"{ 3. 5. }"});
    EXPECT_EQ(Run("1 2 3 3 DUPN DEPTH"), (Texts{"1.", "2.", "3.", "1.", "2.", "3.", "6."}));
    EXPECT_EQ(Run("1 2 3 ROT"), (Texts{"2.", "3.", "1."}));
    EXPECT_EQ(Run("1 2 OVER SWAP"), (Texts{"1.", "1.", "2."}));
}

TEST_F(Interpreter, StructuresNestAndTestRealsOrBinaries) {
    EXPECT_EQ(Run("1 IF 0 THEN 2 ELSE IF #1h THEN 3 END END"), (Texts{"1.", "3."}));
    EXPECT_EQ(Run("« IF DUP 0 == THEN DROP \"zero\" END » 'Z' STO 0 Z 5 Z"), (Texts{"zero", "5."}));
    EXPECT_EQ(Run("IF \"s\" THEN 1 END"), Texts{});
    EXPECT_EQ(calc_.DisplayLines().at(0), "THEN Error:");
}

TEST_F(Interpreter, ReceivedProgramWithBrokenStructureFailsWhenRun) {
    // « THEN 1 » built by hand: the parser would never make it.
    std::string program;
    AppendField(program, 0x02D9D, 5);
    AppendField(program, 0x40002, 5);  // THEN
    program += EncodeObject(*SimObject::MakeReal(1));
    AppendField(program, 0x0312B, 5);
    ASSERT_TRUE(calc_.StoreObject("BROKEN", NibblesToBytes(program)));
    calc_.Execute("BROKEN");
    EXPECT_EQ(calc_.DisplayLines().at(1), "Invalid Syntax");
}

TEST_F(Interpreter, NamesAreLookedUpThroughThePath) {
    calc_.Execute("HOME MATHS DEEP");
    EXPECT_EQ(Run("X R"), (Texts{"12.5", "2."}));  // found in HOME and in MATHS
    calc_.Execute("GAMES");                        // a directory of HOME, entered from below
    EXPECT_EQ(calc_.CurrentPath(), "HOME GAMES");
    EXPECT_EQ(Run("NOSUCH 'X' PATH"), (Texts{"'NOSUCH'", "'X'", "{ HOME GAMES }"}));
    calc_.Execute("UPDIR");
    EXPECT_EQ(calc_.CurrentPath(), "HOME");
    EXPECT_EQ(Run("'GREETING' RCL"), Texts{"Hello, ZQ!"});
}

// A variable named like a word could never be recalled or purged again, so a put under such
// a name stores nothing and the word keeps its meaning everywhere.
TEST_F(Interpreter, APutUnderACommandWordStoresNothing) {
    EXPECT_FALSE(calc_.StoreObject("DUP", NibblesToBytes(EncodeObject(*SimObject::MakeReal(7)))));
    EXPECT_EQ(Run("1 DUP"), (Texts{"1.", "1."}));
    EXPECT_EQ(Run("1 « DUP » EVAL"), (Texts{"1.", "1."}));
}

TEST_F(Interpreter, PurgeTakesAListAndVarsListsNewestFirst) {
    SimCalculator calc(Personality::K8, EmptyOptions());
    calc.Execute("1 'A' STO 2 'B' STO 3 'C' STO 9 'A' STO { A C NONE } PURGE VARS");
    EXPECT_EQ(calc.StackTexts(), Texts{"{ B }"});
    calc.Execute("CLEAR 4 'D' STO VARS");
    EXPECT_EQ(calc.StackTexts(), Texts{"{ D B }"});
}

TEST_F(Interpreter, DemoMemoryUsesCalculatorCharactersInNames) {
    std::vector<std::string> names;
    for (const SimVariableInfo& info : calc_.Snapshot()) {
        names.push_back(info.path + " " + info.name);
    }
    EXPECT_NE(std::find(names.begin(), names.end(), CalcBytes("HOME A→B")), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), CalcBytes("HOME MATHS π")), names.end());
    EXPECT_NE(calc_.Listing().find(CalcBytes("\x03"
                                             "A→B")),
              std::string::npos);
}

TEST_F(Interpreter, ControlApiStoresFindsAndResets) {
    std::string real = NibblesToBytes(EncodeObject(*SimObject::MakeReal(42)));
    EXPECT_TRUE(calc_.StoreAt("HOME MATHS DEEP V", real));
    EXPECT_EQ(calc_.FindObject("HOME MATHS DEEP V"), real);
    EXPECT_FALSE(calc_.StoreAt("HOME NOSUCH V", real));
    EXPECT_FALSE(calc_.StoreAt("MATHS V", real));
    EXPECT_FALSE(calc_.StoreObject("MATHS", real));  // a directory is not overwritten
    calc_.Execute("HOME MATHS 5");
    calc_.ResetToEmpty();
    EXPECT_TRUE(calc_.Snapshot().empty());
    EXPECT_TRUE(calc_.StackTexts().empty());
    EXPECT_EQ(calc_.CurrentPath(), "HOME");
    calc_.ResetToDemo();
    EXPECT_TRUE(calc_.FindObject("HOME MATHS R"));
    EXPECT_FALSE(calc_.FindObject("HOME MATHS DEEP V"));
}

}  // namespace
}  // namespace zqsim::test
