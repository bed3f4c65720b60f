// Comparisons, logic, real functions, the string and list words and the loops, with their
// errors.
#include <gtest/gtest.h>

#include "SimTestHelpers.h"

namespace zqsim::test {
namespace {

using Texts = std::vector<std::string>;

class MathWords : public ::testing::Test {
protected:
    // The stack after the line, run on an empty stack.
    Texts After(const std::string& line) {
        calc_.Execute("CLEAR");
        calc_.Execute(CalcBytes(line));
        return calc_.StackTexts();
    }
    std::string ErrorOf(const std::string& line) {
        calc_.Execute("CLEAR");
        calc_.Execute(CalcBytes(line));
        return calc_.DisplayLines().at(1);
    }

    SimCalculator calc_{Personality::K8, EmptyOptions()};
};

TEST_F(MathWords, ComparisonsAndLogicGiveOneOrZero) {
    EXPECT_EQ(After("1 2 < 2 1 < 2 2 ≤ 3 2 ≥ 1 2 > 1 1 ≠"),
              (Texts{"1.", "0.", "1.", "1.", "0.", "0."}));
    EXPECT_EQ(After("\"abc\" \"abd\" < \"b\" \"a\" >"), (Texts{"1.", "1."}));
    EXPECT_EQ(After("1 0 AND 1 2 OR 0 NOT 3 NOT"), (Texts{"0.", "1.", "1.", "0."}));
    EXPECT_EQ(After("IF 3 2 > 1 1 == AND THEN \"yes\" END"), Texts{"yes"});
    EXPECT_EQ(ErrorOf("1 \"a\" <"), "Bad Argument Type");
    EXPECT_EQ(ErrorOf("1 <"), "Too Few Arguments");
}

TEST_F(MathWords, RealFunctionsAndTheirErrors) {
    EXPECT_EQ(After("-3 ABS 3 SQ 16 √ 4 INV"), (Texts{"3.", "9.", "4.", ".25"}));
    EXPECT_EQ(After("7 3 MOD -7 3 MOD 2.75 IP -2.75 FP"), (Texts{"1.", "2.", "2.", "-.75"}));
    EXPECT_EQ(After("2 5 MAX 2 5 MIN 0 EXP 1 LN"), (Texts{"5.", "2.", "1.", "0."}));
    EXPECT_EQ(After("DEG 90 SIN 0 COS 45 TAN RAD 0 SIN"), (Texts{"1.", "1.", "1.", "0."}));
    EXPECT_EQ(ErrorOf("0 INV"), "Infinite Result");
    EXPECT_EQ(ErrorOf("0 LN"), "Infinite Result");
    EXPECT_EQ(ErrorOf("-1 √"), "Bad Argument Value");
    EXPECT_EQ(ErrorOf("\"x\" ABS"), "Bad Argument Type");
    // The failing word's argument comes back.
    EXPECT_EQ(After("0 INV"), Texts{"0."});
}

TEST_F(MathWords, StringAndListWords) {
    EXPECT_EQ(After("\"HELLO\" 2 4 SUB \"HELLO\" 4 99 SUB \"HELLO\" 4 2 SUB"),
              (Texts{"ELL", "LO", ""}));
    EXPECT_EQ(After("{ 1 2 3 } 2 3 SUB SIZE"), Texts{"2."});
    EXPECT_EQ(After("\"HELLO\" \"LL\" POS \"HELLO\" \"Z\" POS { 5 6 7 } 6 POS"),
              (Texts{"3.", "0.", "2."}));
    EXPECT_EQ(After("\"abc\" HEAD \"abc\" TAIL { 1 2 } TAIL SIZE { 8 9 } HEAD"),
              (Texts{"a", "bc", "1.", "8."}));
    EXPECT_EQ(ErrorOf("\"\" HEAD"), "Bad Argument Value");
    EXPECT_EQ(ErrorOf("5 TAIL"), "Bad Argument Type");
}

TEST_F(MathWords, ErrmGivesTheCaughtMessageAndOperatorsMakeNoName) {
    EXPECT_EQ(After("IFERR 1 0 / THEN ERRM END"), (Texts{"1.", "0.", "Infinite Result"}));
    EXPECT_EQ(ErrorOf("<< 1 2"), "Invalid Syntax");
    EXPECT_EQ(ErrorOf("A<B"), "Invalid Syntax");
}

TEST_F(MathWords, LoopsCountTestAndNest) {
    EXPECT_EQ(After("0 1 5 FOR i i + NEXT"), Texts{"15."});
    EXPECT_EQ(After("1 10 FOR i i 3 STEP"), (Texts{"1.", "4.", "7.", "10."}));
    EXPECT_EQ(After("3 1 FOR k k -1 STEP"), (Texts{"3.", "2.", "1."}));
    EXPECT_EQ(After("5 1 START \"once\" NEXT"), Texts{"once"}) << "the body runs at least once";
    EXPECT_EQ(After("1 3 FOR i 1 2 FOR j i j * NEXT NEXT"),
              (Texts{"1.", "2.", "2.", "4.", "3.", "6."}));
    EXPECT_EQ(After("1 WHILE DUP 100 < REPEAT 2 * END"), Texts{"128."});
    EXPECT_EQ(After("0 DO 1 + UNTIL DUP 3 ≥ END"), Texts{"3."});
    EXPECT_EQ(After("« 1 4 FOR n IF n 2 MOD 0 == THEN n END NEXT » EVAL"), (Texts{"2.", "4."}));
    // The counter is gone after the loop: the name is unknown again.
    EXPECT_EQ(After("1 1 FOR z NEXT z"), Texts{"'z'"});

    EXPECT_EQ(ErrorOf("1 5 FOR i"), "Invalid Syntax");
    EXPECT_EQ(ErrorOf("1 WHILE 1 END"), "Invalid Syntax");
    EXPECT_EQ(ErrorOf("DO 1 NEXT"), "Invalid Syntax");
    EXPECT_EQ(ErrorOf("1 START 1 NEXT"), "Too Few Arguments");
    EXPECT_EQ(ErrorOf("1 WHILE 1 REPEAT END"), "Interrupted") << "a loop that never ends";
}

}  // namespace
}  // namespace zqsim::test
