#include <gtest/gtest.h>

#include <vector>

#include "objects/CalcNames.h"
#include "objects/CharTranslationTable.h"

namespace vaddex {
namespace {

TEST(CharTranslation, LookupsAgreeWithTheTable) {
    int withMnemonic = 0;
    for (int c = 0; c < 256; ++c) {
        const CharTranslation* t = TranslationOfCode(static_cast<unsigned char>(c));
        if (t) {
            ++withMnemonic;
            EXPECT_EQ(t->code, c);
            EXPECT_EQ(CodeOfMnemonic(t->mnemonic[0], t->mnemonic[1]), c);
        }
    }
    EXPECT_EQ(withMnemonic, 40);
    EXPECT_EQ(CodeOfMnemonic('x', 'x'), 0);
    EXPECT_EQ(DecimalCode(7), "007");
    EXPECT_EQ(DecimalCode(255), "255");
}

TEST(CalcNameToPc, EscapesAsEachFormRequires) {
    EXPECT_EQ(CalcNameToPc("\xAB\\", false), "\\<<\\\\");
    EXPECT_EQ(CalcNameToPc("A/B", true), "A^047B");
    EXPECT_EQ(CalcNameToPc("A/B", false), "A/B");
    EXPECT_EQ(CalcNameToPc("^", true), "^094");
    EXPECT_EQ(CalcNameToPc("\x87", true), "^pi");
    EXPECT_EQ(CalcNameToPc("\x8D", true), "^141");  // "->" may not stand in a file name
    EXPECT_EQ(CalcNameToPc("\x8D", false), "\\->");
    EXPECT_EQ(CalcNameToPc(std::string("\x00\x7F", 2), false), "\\000\\127");
    EXPECT_EQ(CalcNameToPc("", true), "");
}

TEST(PcNameToCalc, DecodesOnlyCompleteEscapes) {
    EXPECT_EQ(PcNameToCalc("A^047B", true), "A/B");
    EXPECT_EQ(PcNameToCalc("^000", true), "000");  // no character 0, no mnemonic "00"
    EXPECT_EQ(PcNameToCalc("^300", true), ",");    // codes wrap at 256
    EXPECT_EQ(PcNameToCalc("^pi^12", true),
              "\x87"
              "12");
    EXPECT_EQ(PcNameToCalc("A^", true), "A^");
    EXPECT_EQ(PcNameToCalc("A^1", true), "A^1");
    EXPECT_EQ(PcNameToCalc("\\\\x", false), "\\x");
    EXPECT_EQ(PcNameToCalc("\\\\", false), "\\");  // a doubled last backslash is one
    EXPECT_EQ(PcNameToCalc("A\\", false), "A\\");  // a lone one stays
    EXPECT_EQ(PcNameToCalc("A^^", true), "A^^");
    EXPECT_EQ(PcNameToCalc("\\<<\\->", false), "\xAB\x8D");
    EXPECT_EQ(PcNameToCalc("^<<", true), "\xAB");
}

TEST(PcNameToCalc, UndoesCalcNameToPcInBothForms) {
    std::vector<std::string> names;
    for (int a = 1; a < 256; ++a) {
        names.push_back(std::string(1, static_cast<char>(a)) + "x");
        names.push_back(std::string(1, static_cast<char>(a)) + "\\");  // ends in a backslash
        for (int b : {int{'0'}, int{'\\'}, int{'^'}, int{'p'}, 0x87, 0xFF}) {
            names.push_back({static_cast<char>(a), static_cast<char>(b), '1', '2', '3'});
        }
    }
    for (const std::string& name : names) {
        EXPECT_EQ(PcNameToCalc(CalcNameToPc(name, true), true), name);
        EXPECT_EQ(PcNameToCalc(CalcNameToPc(name, false), false), name);
    }
}

struct Asked {
    int questions = 0;
    int beeps = 0;
    std::string text;
    std::string caption;
};

NameCheck Check(const std::string& name, Asked& asked, bool answer = true) {
    return CheckCalcName(
        name,
        [&asked, answer](const std::string& text, const std::string& caption) {
            ++asked.questions;
            asked.text = text;
            asked.caption = caption;
            return answer;
        },
        [&asked] { ++asked.beeps; });
}

TEST(CheckCalcName, ProperNamesAskNothing) {
    for (std::string name : {"X2", "", "\\->A", "Gd\xB5"}) {
        Asked asked;
        NameCheck check = Check(name, asked);
        EXPECT_TRUE(check.goOn && check.proper) << name;
        EXPECT_EQ(asked.questions + asked.beeps, 0) << name;
    }
}

TEST(CheckCalcName, ImproperNamesBeepAndLetTheUserDecide) {
    for (std::string name : {"2X", "A B", "A\x89", "\\<=", "a_b", "x!"}) {
        Asked asked;
        NameCheck check = Check(name, asked, false);
        EXPECT_FALSE(check.proper) << name;
        EXPECT_FALSE(check.goOn) << name;
        EXPECT_EQ(asked.questions, 1);
        EXPECT_EQ(asked.beeps, 1);
    }
    Asked asked;
    NameCheck check = Check("\\<<A", asked, true);
    EXPECT_TRUE(check.goOn);
    EXPECT_FALSE(check.proper);
    EXPECT_EQ(asked.caption, "Improper Variable Name");
    EXPECT_EQ(asked.text,
              "\\<<A\r\nis an improper variable name on the calculator.\r\n"
              "This may result in failure of the command or connection.\r\n\r\n"
              "Continue with the command?");
    EXPECT_FALSE(CheckCalcName("2X", nullptr).goOn);
}

// Inside the quotes of a command line only a name the parser reads whole is safe; anything that
// ends it early lets the rest run as commands.
// What a user types must reach the calculator as written: an escape that decodes to
// something else, or to nothing, is no name.
TEST(IncompleteEscapeReason, RefusesBackslashesThatStartNoEscape) {
    for (std::string name : {"X", "A\\\\", "A\\\\B", "\\<<A\\>>", "A\\065", "\\pi\\\\"}) {
        EXPECT_EQ(IncompleteEscapeReason(name), "") << name;
    }
    EXPECT_NE(IncompleteEscapeReason("A\\").find("ends in a backslash"), std::string::npos);
    EXPECT_NE(IncompleteEscapeReason("A\\qB").find("backslash before q starts no escape"),
              std::string::npos);
    EXPECT_NE(IncompleteEscapeReason("A\\000").find("before 0"), std::string::npos);
    EXPECT_NE(IncompleteEscapeReason("A\\p").find("before p"), std::string::npos);
}

TEST(UnsafeNameReason, RefusesWhatEndsANameAndAcceptsTheCalculatorsOwnCharacters) {
    for (std::string name : {"X",
                             "A\x8D"
                             "B",
                             "\x87", "$$$t", "N1", "a.b", "A\\B", "fLaG"}) {
        EXPECT_EQ(UnsafeNameReason(name), "") << name;
    }
    struct Row {
        std::string name;
        const char* why;
    } rows[] = {{"", "empty"},
                {"Q' 'N", "quote"},
                {"Q\"N", "quote"},
                {"A B", "blank"},
                {"A\nB", "line break"},
                {std::string("A\0B", 3), "control character"},
                {"P\xAB", "program delimiter"},
                {"\xBBP", "program delimiter"},
                {"L{", "ends a name"},
                {"T:X", "ends a name"},
                {"A+B", "ends a name"},
                {"V]", "ends a name"}};
    for (const Row& row : rows) {
        EXPECT_NE(UnsafeNameReason(row.name).find(row.why), std::string::npos) << row.name;
    }
    EXPECT_TRUE(IsReservedName("HOME"));
    EXPECT_FALSE(IsReservedName("HOMEX"));
    EXPECT_FALSE(IsReservedName("home"));
}

}  // namespace
}  // namespace vaddex
