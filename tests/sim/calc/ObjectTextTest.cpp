// →STR texts, which the program reads back.
#include <gtest/gtest.h>

#include "SimTestHelpers.h"

namespace zqsim::test {
namespace {

class ObjectText : public ::testing::Test {
protected:
    // The text →STR makes of the object the input leaves on the stack.
    std::string TextOf(const std::string& input) {
        calc_.Execute(CalcBytes(input + " →STR 'T' STO"));
        auto file = calc_.RecallFile("T");
        return file ? StringOfFile(*file) : "<nothing stored>";
    }

    SimCalculator calc_{Personality::K8, EmptyOptions()};
};

TEST_F(ObjectText, RealsInStandardFormat) {
    const std::pair<const char*, const char*> rows[] = {
        {"1", "1."},
        {"0", "0."},
        {"-3", "-3."},
        {"12345.5", "12345.5"},
        {"2.", "2."},
        {".5", ".5"},
        {"1E12", "1.E12"},
        {"1.5E-7", "1.5E-7"},
        {"123456789012", "123456789012."},
        {"1234567890123", "1.23456789012E12"},  // 12 significant digits, rounded
        {"0.0001", ".0001"},
        {"-1.25E-300", "-1.25E-300"},
        {"1 3 /", ".333333333333"},
        {"2 3 /", ".666666666667"},
    };
    for (const auto& [input, expected] : rows) {
        EXPECT_EQ(TextOf(input), expected) << input;
    }
}

TEST_F(ObjectText, DecimalMarkFollowsFlag51) {
    calc_.SetFlag(-51, true);
    EXPECT_EQ(TextOf("12345,5"), "12345,5");
    EXPECT_EQ(TextOf("{ 1 0 }"), "{ 1, 0, }");
    // With the comma as mark, the full stop separates.
    EXPECT_EQ(TextOf("1.5 +"), "6,");
}

TEST_F(ObjectText, CompositesAndNames) {
    EXPECT_EQ(TextOf("{ 1 0 }"), "{ 1. 0. }");
    EXPECT_EQ(TextOf("{ }"), "{ }");
    EXPECT_EQ(TextOf("{ \"a\" X { 2 } }"), "{ \"a\" X { 2. } }");
    EXPECT_EQ(TextOf("'X'"), "'X'");
    EXPECT_EQ(TextOf("« 1 2 + »"), CalcBytes("« 1. 2. + »"));
    EXPECT_EQ(TextOf("« 'X' STO »"), CalcBytes("« 'X' STO »"));
    EXPECT_EQ(TextOf("#1Fh"), "#1Fh");
    EXPECT_EQ(TextOf(":IO:BACKUP"), ":IO:BACKUP");
}

TEST_F(ObjectText, StringIsItselfButQuotedInsideAList) {
    EXPECT_EQ(TextOf("\"say \\\"hi\\\" \\\\ \\n\""), "say \"hi\" \\ \\n");
    EXPECT_EQ(TextOf("{ \"a\\\"b\" }"), "{ \"a\\\"b\" }");
}

TEST_F(ObjectText, AlgebraicsKeepTheirMeaningWhenPrinted) {
    const std::pair<const char*, const char*> rows[] = {
        {"'X+1'", "'X+1.'"},           {"'(X+1)*2'", "'(X+1.)*2.'"}, {"'X-(Y-Z)'", "'X-(Y-Z)'"},
        {"'-X^2'", "'-X^2.'"},         {"'(-X)^2'", "'(-X)^2.'"},    {"'2^3^4'", "'2.^3.^4.'"},
        {"'(2^3)^4'", "'(2.^3.)^4.'"}, {"'A/-B'", "'A/-B'"},         {"'X' 1 +", "'X+1.'"},
    };
    for (const auto& [input, expected] : rows) {
        EXPECT_EQ(TextOf(input), expected) << input;
    }
}

TEST_F(ObjectText, PrintedTextParsesBackToTheSameObject) {
    for (const char* input :
         {"'(X+1)*-Y/Z^2'", "{ 1.5 \"q\\\"\" #5h :T:3 « IF 1 THEN 2 END » }", "'X-(Y-Z)'"}) {
        calc_.Execute(CalcBytes(std::string(input) + " DUP →STR STR→ =="));
        EXPECT_EQ(calc_.StackTexts(), std::vector<std::string>{"1."}) << input;
        calc_.Execute("CLEAR");
    }
}

}  // namespace
}  // namespace zqsim::test
