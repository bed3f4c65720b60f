#include <gtest/gtest.h>

#include <string>

#include "objects/TextObjectCheck.h"

namespace vaddex {
namespace {

struct TextRow {
    const char* behaviour;
    std::string text;     // calculator bytes: « is \xAB, » is \xBB
    std::string problem;  // "" when the text is one object
};

class TextObjectCheckTest : public ::testing::TestWithParam<TextRow> {};

TEST_P(TextObjectCheckTest, TellsOneObjectFromWhatWouldRun) {
    const TextRow& row = GetParam();
    TextObjectCheck check(row.text);
    EXPECT_EQ(check.Problem(), row.problem) << row.text;
    EXPECT_EQ(check.IsOneObject(), row.problem.empty());
}

// Every kind of the object table whose text form can be typed back passes.
INSTANTIATE_TEST_SUITE_P(
    Texts, TextObjectCheckTest,
    ::testing::Values(
        TextRow{"real", "7", ""}, TextRow{"real_with_exponent", "-1.5E-3", ""},
        TextRow{"real_with_comma_mark", "1,5", ""}, TextRow{"integer", "123456789012345", ""},
        TextRow{"long_real", "1.23456789012345E499", ""}, TextRow{"complex", "(1.,2.)", ""},
        TextRow{"long_complex", "( 1,5 ; 2 )", ""},
        TextRow{"string_with_escapes_and_brackets", "\"a \xAB \\\" } @ b\\\\\"", ""},
        TextRow{"global_name", "'GREETING'", ""}, TextRow{"local_name", "'x'", ""},
        TextRow{"algebraic", "'X^2.+1.'", ""},
        TextRow{"program_holding_purge", "\xAB 'A' PURGE HOME \xBB", ""},
        TextRow{"program_holding_strings_with_delimiters", "\xAB \"\xBB\" \"\\\"{\" \xBB", ""},
        TextRow{"nested_lists", "{ 1 { 2 { \xAB PURGE \xBB } } \"}\" }", ""},
        TextRow{"array", "[ 1 2 3 ]", ""}, TextRow{"matrix", "[[ 1 2 ][ 3 4 ]]", ""},
        TextRow{"complex_array", "[ (1,2) (3,4) ]", ""}, TextRow{"tagged", ":Len:7", ""},
        TextRow{"tagged_program", ":P:\xAB 1 \xBB", ""}, TextRow{"tagged_twice", ":A::B:'X'", ""},
        TextRow{"binary", "#FFh", ""}, TextRow{"binary_with_blank", "# 1010b", ""},
        TextRow{"unit", "9.8_m/s^2", ""}, TextRow{"graphic", "GROB 8 2 FF00", ""},
        TextRow{"directory", "DIR\n  A 1\n  B \xAB PURGE \xBB\n  C DIR D 2 END\nEND", ""},
        TextRow{"blanks_and_comments_around", "@ note @\n  7 @ to the end\n", ""},
        TextRow{"comment_holding_a_quote", "7 @ \" ' \xAB @", ""},
        // Anything else is refused, naming the first word that would run or what breaks it.
        TextRow{"purge_after_a_name", "'GREETING' PURGE 7", "PURGE would run on the calculator"},
        TextRow{"folder_deleted", "HOME 'GAMES' PGDIR 7", "HOME would run on the calculator"},
        TextRow{"bare_words", "hello text", "hello would run on the calculator"},
        TextRow{"word_after_a_comment_ends", "7 @ x @ PURGE", "PURGE would run on the calculator"},
        TextRow{"word_after_a_string_holding_quotes", "\"\xAB\\\"\" DROP",
                "DROP would run on the calculator"},
        TextRow{"library_command", "XLIB 1234 5", "XLIB would run on the calculator"},
        TextRow{"calculator_characters_shown_escaped", "'A' \x8DSTR",
                "\\->STR would run on the calculator"},
        TextRow{"two_objects", "1 2", "it holds 2 objects"},
        TextRow{"only_comments", "@ nothing here @", "it holds nothing but blanks and comments"},
        TextRow{"open_list", "{ 1 2", "its { has no }"},
        TextRow{"open_program", "\xAB 1 \"\xBB\"", "its \\<< has no \\>>"},
        TextRow{"crossed_brackets", "{ 1 ]", "its { is closed by ]"},
        TextRow{"stray_closer", "} 'A' PURGE", "} closes nothing"},
        TextRow{"open_string", "\"abc", "a string has no closing \""},
        TextRow{"open_quote", "'A PURGE", "its ' has no closing '"},
        TextRow{"tag_without_object", ":T: 7", "the tag :T: holds no object"},
        TextRow{"hash_without_digits", "# PURGE", "its # is followed by no binary integer"},
        TextRow{"directory_without_end", "DIR A 1", "its DIR has no END"},
        TextRow{"tag_name_in_a_list_holding_its_closer", "{:1 } @:1 } PURGE",
                "PURGE would run on the calculator"},
        TextRow{"tag_whose_word_a_separator_splits", ":D,P:D,P",
                "its D,P may be read as more than one word"},
        TextRow{"directory_ended_early_by_a_separator", "DIR A B,END PURGE C END",
                "its B,END may be read as more than one word"},
        TextRow{"graphic_without_picture", "GROB 8 2",
                "its GROB lacks its width, height or hexadecimal picture"}),
    [](const auto& info) { return std::string(info.param.behaviour); });

// The mark not in force separates: a sign or a word may then stand alone and run.
TEST(TextObjectCheck, NumbersMustBeNumbersWithTheMarkInForce) {
    EXPECT_TRUE(TextObjectCheck("-.5", '.').IsOneObject());
    EXPECT_EQ(TextObjectCheck("-.5", ',').Problem(), "-.5 would run on the calculator");
    EXPECT_EQ(TextObjectCheck("-.5").Problem(), "-.5 would run on the calculator");
    EXPECT_EQ(TextObjectCheck("-,2").Problem(), "-,2 would run on the calculator");
    EXPECT_EQ(TextObjectCheck("1_m,PURGE").Problem(), "1_m,PURGE would run on the calculator");
    EXPECT_TRUE(TextObjectCheck("1,5").IsOneObject());
    EXPECT_TRUE(TextObjectCheck("2.5E-3", '.').IsOneObject());
    EXPECT_EQ(TextObjectCheck(",", '.').Problem(), ", would run on the calculator");
}

TEST(TextObjectCheck, DeepNestingNeedsNoRecursion) {
    std::string deep = std::string(200000, '{') + std::string(200000, '}');
    EXPECT_TRUE(TextObjectCheck(deep).IsOneObject());
    std::string tags;
    for (int i = 0; i < 100000; ++i) {
        tags += ":t:";
    }
    EXPECT_TRUE(TextObjectCheck(tags + "1").IsOneObject());
    std::string folders;
    for (int i = 0; i < 100000; ++i) {
        folders += "DIR A :t:";
    }
    EXPECT_EQ(TextObjectCheck(folders).Problem(), "its objects nest too deeply");
}

}  // namespace
}  // namespace vaddex
