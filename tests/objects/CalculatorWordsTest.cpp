#include "objects/CalculatorWords.h"

#include <gtest/gtest.h>

#include "sim/calc/CommandTable.h"

namespace vaddex {
namespace {

TEST(ReservedNameReason, RefusesWhatTheCalculatorOrTheProgramKeeps) {
    struct Row {
        const char* name;
        const char* why;  // "" when the name may be taken
    } rows[] = {
        {"HOME", "top directory"},
        {"STO", "command"},
        {"PURGE", "command"},
        {"\x8DLIST", "command"},
        {"SIN", "command"},
        {"$$$t", "scratch"},
        {"$$$", "scratch"},
        {"STOX", ""},
        {"sto", ""},
        {"$$A", ""},
        {"GREETING", ""},
        {"A$$$", ""},
    };
    for (const Row& row : rows) {
        std::string why = ReservedNameReason(row.name);
        EXPECT_EQ(why.empty(), *row.why == '\0') << row.name << ": " << why;
        EXPECT_NE(why.find(row.why), std::string::npos) << row.name;
    }
}

// The simulated calculator stores nothing under its own words; the program must refuse each.
TEST(ReservedNameReason, KnowsEveryWordOfTheSimulatedCalculator) {
    for (std::size_t i = 1; i < static_cast<std::size_t>(zqsim::Cmd::Count); ++i) {
        std::string word = zqsim::CommandName(static_cast<zqsim::Cmd>(i));
        bool operatorWord = word.find_first_of("+-*/^<>=") != std::string::npos;
        EXPECT_TRUE(operatorWord || IsCalculatorWord(word)) << word;
    }
}

}  // namespace
}  // namespace vaddex
