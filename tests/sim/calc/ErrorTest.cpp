// Errors end the command line and show on the display; IFERR catches them.
#include <gtest/gtest.h>

#include <random>

#include "SimTestHelpers.h"

namespace zqsim::test {
namespace {

class Errors : public ::testing::Test {
protected:
    ExecResult Run(const std::string& line) { return calc_.Execute(CalcBytes(line)); }
    std::vector<std::string> Stack() const { return calc_.StackTexts(); }
    std::vector<std::string> ErrorLines() const {
        auto lines = calc_.DisplayLines();
        return {lines.at(0), lines.at(1)};
    }

    SimCalculator calc_{Personality::K8, EmptyOptions()};
};

TEST_F(Errors, FailingWordEndsTheLineAndShowsItsMessage) {
    Run("1 'A' STO DROP 2 'B' STO");
    EXPECT_EQ(ErrorLines(), (std::vector<std::string>{"DROP Error:", "Too Few Arguments"}));
    EXPECT_TRUE(calc_.FindObject("HOME A"));
    EXPECT_FALSE(calc_.FindObject("HOME B"));
    EXPECT_TRUE(Stack().empty());
    // The next command line shows the stack again.
    Run("7");
    EXPECT_EQ(calc_.DisplayLines().back(), "1: 7.");
}

// A command word in quotes is that command to the reader, no name: nothing is stored under it.
TEST_F(Errors, ACommandWordIsNoName) {
    Run("1 'STO' STO");
    EXPECT_EQ(ErrorLines().at(1), "Invalid Syntax");
    EXPECT_FALSE(calc_.FindObject("HOME STO"));
}

TEST_F(Errors, ArgumentsComeBackUnlessFlag55IsSet) {
    Run("\"a\" 1 -");
    EXPECT_EQ(ErrorLines(), (std::vector<std::string>{"- Error:", "Bad Argument Type"}));
    EXPECT_EQ(Stack(), (std::vector<std::string>{"a", "1."}));
    Run("CLEAR -55 SF \"a\" 1 -");
    EXPECT_TRUE(Stack().empty());
}

TEST_F(Errors, IferrRunsItsThenClauseOnlyOnError) {
    Run("IFERR 1 0 / THEN \"caught\" ELSE \"fine\" END");
    EXPECT_EQ(Stack(), (std::vector<std::string>{"1.", "0.", "caught"}));
    Run("CLEAR IFERR 1 2 / THEN \"caught\" ELSE \"fine\" END");
    EXPECT_EQ(Stack(), (std::vector<std::string>{".5", "fine"}));
    Run("CLEAR -55 SF IFERR 1 0 / THEN \"caught\" END");
    EXPECT_EQ(Stack(), std::vector<std::string>{"caught"});
}

TEST_F(Errors, ErrorInsideAProgramRestoresOnlyTheFailingWordsArguments) {
    Run("« 5 \"x\" * » 'P' STO 9 P");
    EXPECT_EQ(ErrorLines(), (std::vector<std::string>{"* Error:", "Bad Argument Type"}));
    EXPECT_EQ(Stack(), (std::vector<std::string>{"9.", "5.", "x"}));
}

TEST_F(Errors, MemoryCommandsRefuseWhatWouldLoseData) {
    Run("'D' CRDIR D 1 'V' STO HOME 'D' PURGE");
    EXPECT_EQ(ErrorLines(), (std::vector<std::string>{"PURGE Error:", "Non-Empty Directory"}));
    EXPECT_TRUE(calc_.FindObject("HOME D V"));
    Run("CLEAR 5 'D' STO");
    EXPECT_EQ(ErrorLines()[1], "Directory Not Allowed");
    Run("CLEAR 'D' CRDIR");
    EXPECT_EQ(ErrorLines()[1], "Directory Not Allowed");
    Run("CLEAR 'NONE' RCL");
    EXPECT_EQ(ErrorLines()[1], "Undefined Name");
    EXPECT_TRUE(calc_.FindObject("HOME D V"));
}

TEST_F(Errors, StoreBeyondTheMemoryIsRefused) {
    SimCalculatorOptions options = EmptyOptions();
    options.memoryBytes = 100;
    SimCalculator small(Personality::K8, options);
    small.Execute("\"0123456789012345678901234567890123456789\" 'S' STO");
    EXPECT_TRUE(small.FindObject("HOME S"));
    small.Execute("\"0123456789012345678901234567890123456789\" 'T' STO");
    EXPECT_EQ(small.DisplayLines().at(1), "Insufficient Memory");
    EXPECT_FALSE(small.FindObject("HOME T"));
    // The refused string is back on the stack, past the memory: free memory reads 0.
    EXPECT_EQ(small.FreeMemoryText(), "0.");
}

TEST_F(Errors, OnlyTheSeriesOwnSysevalAddressIsHarmless) {
    Run("#26067h SYSEVAL");
    EXPECT_EQ(calc_.DisplayLines().at(0), "{ HOME }");
    Run("#141E5h SYSEVAL");
    EXPECT_EQ(ErrorLines(), (std::vector<std::string>{"SYSEVAL Error:", "Bad Argument Value"}));
}

TEST_F(Errors, LineThatDoesNotParseRunsNothing) {
    for (const char* line : {"1 { 2", "1 « 2", "1 \"open", "1 IF 2 END", "1 THEN", "1 2X", "1 }"}) {
        Run(line);
        EXPECT_EQ(ErrorLines()[1], "Invalid Syntax") << line;
        EXPECT_TRUE(Stack().empty()) << line;
    }
    Run("\"{ 1\" STR→");
    EXPECT_EQ(ErrorLines(), (std::vector<std::string>{CalcBytes("STR→ Error:"), "Invalid Syntax"}));
    EXPECT_EQ(Stack(), std::vector<std::string>{"{ 1"});
}

TEST_F(Errors, RunawayProgramsEndWithAnErrorNotACrash) {
    Run("« A » 'A' STO A");
    EXPECT_EQ(ErrorLines()[1], "Insufficient Memory");
    // Each level catches its callee's error and tries again: far too many steps.
    Run("CLEAR « IFERR B THEN END IFERR B THEN END » 'B' STO B");
    EXPECT_EQ(ErrorLines()[1], "Interrupted");
    Run("CLEAR 'C' 'C' STO C");  // a name that names itself
    EXPECT_EQ(ErrorLines()[1], "Insufficient Memory");
    Run("CLEAR 1 2 +");
    EXPECT_EQ(Stack(), std::vector<std::string>{"3."});
}

TEST_F(Errors, WaitAndDispReachTheResult) {
    ExecResult result = Run("CLLCD \"Hi\" 4 DISP 2.5 WAIT");
    EXPECT_EQ(result.busyMs, SimCalculatorOptions{}.busyMsPerCommand + 2500);
    auto lines = calc_.DisplayLines();
    EXPECT_EQ(lines, (std::vector<std::string>{"", "", "", "Hi", "", "", ""}));
}

// Random command lines and random received bytes: whatever comes, the calculator answers
// and stays consistent (the sanitizer build watches the memory accesses).
TEST(Robustness, GarbageNeverBreaksTheCalculator) {
    const char* tokens[] = {
        "{",       "}",       "«",    "»",     "\"s\"", "'X'",   "'X+1'",  "1",     "-2.5",
        "#5h",     ":T:",     "DUP",  "DROP",  "SWAP",  "+",     "-",      "*",     "/",
        "^",       "NEG",     "==",   "→LIST", "LIST→", "GET",   "→STR",   "STR→",  "OBJ→",
        "TYPE",    "SIZE",    "STO",  "RCL",   "PURGE", "PGDIR", "CRDIR",  "HOME",  "UPDIR",
        "EVAL",    "IF",      "THEN", "ELSE",  "END",   "IFERR", "DOSUBS", "DUPN",  "ROT",
        "OVER",    "DEPTH",   "RCLF", "STOF",  "X",     "Y",     "DISP",   "NEWOB", "ARCHIVE",
        "RESTORE", "VERSION", "SF",   "CF",    "STWS",  "0",     "3"};
    std::mt19937 random(7);
    SimCalculator calc(Personality::K8);
    for (int line = 0; line < 1500; ++line) {
        std::string text;
        for (int i = std::uniform_int_distribution<int>(1, 12)(random); i > 0; --i) {
            text += tokens[random() % std::size(tokens)];
            text += " ";
        }
        ExecResult result = calc.Execute(CalcBytes(text));
        EXPECT_GE(result.busyMs, 0);
        EXPECT_EQ(calc.DisplayLines().size(), 7u);
        if (line % 50 == 0) {
            calc.Execute("CLEAR HOME");
        }
    }
    for (int i = 0; i < 1500; ++i) {
        std::string bytes(std::uniform_int_distribution<int>(0, 40)(random), '\0');
        for (char& c : bytes) {
            c = static_cast<char>(random());
        }
        // Mostly well-formed starts, so that the decoder gets past the prolog.
        if (bytes.size() > 3 && i % 2 == 0) {
            const char* prologs[] = {"\x74\x2A", "\x9D\x2D", "\x96\x2A", "\x62\x2B", "\xFC\x2A"};
            std::string prolog = prologs[random() % 5];
            bytes.replace(0, 2, prolog);
            bytes[2] = static_cast<char>(bytes[2] & 0xF0);
        }
        if (calc.StoreObject("R", bytes)) {
            EXPECT_TRUE(calc.RecallFile("R"));
            calc.Execute("R →STR DROP");
        }
    }
    for (const SimVariableInfo& info : calc.Snapshot()) {
        std::string file = calc.FileHeader() + info.bytes;
        EXPECT_TRUE(ObjectOfFile(file)) << info.name;
    }
    EXPECT_FALSE(calc.Listing().empty());
}

}  // namespace
}  // namespace zqsim::test
