#include <gtest/gtest.h>

#include "objects/TextTranslation.h"

namespace vaddex {
namespace {

TEST(TextFromCalc, ModeOneOnlyEscapesStringsAndLineEnds) {
    std::string text = "a\x9F\xAB\t\"\\\nb";
    EXPECT_EQ(TextFromCalc(text, 1, false, false, false), text);
    EXPECT_EQ(TextFromCalc(text, 0, false, false, false), text);
    EXPECT_EQ(TextFromCalc(text, 1, false, true, false), "a\x9F\xAB\t\\\"\\\\\nb");
    EXPECT_EQ(TextFromCalc("a\nb\n", 1, false, false, true), "a\r\nb\r\n");
}

TEST(TextFromCalc, ModesTwoAndThreeTranslateTheirRanges) {
    EXPECT_EQ(TextFromCalc("\x9F\xAB", 2, false, false, false), "\\oo\xAB");
    EXPECT_EQ(TextFromCalc("\x9F\xAB\xE9", 3, false, false, false), "\\oo\\<<\\233");
    EXPECT_EQ(TextFromCalc("\x80\x9F", 2, false, false, false), "\\<)\\oo");
}

TEST(TextFromCalc, Trans031EscapesControlsButNotTheLineFeed) {
    EXPECT_EQ(TextFromCalc("\t\n\x7F\x1F", 1, true, false, false), "\\009\n\\127\\031");
    EXPECT_EQ(TextFromCalc("\r\n", 1, true, false, true), "\\013\r\n");
}

TEST(TextToCalc, DecodesDigitsAndMnemonicsAndPassesTheRest) {
    EXPECT_EQ(TextToCalc("\\<<", false), "\xAB");
    EXPECT_EQ(TextToCalc("\\300", false), ",");
    EXPECT_EQ(TextToCalc("\\065", false), "A");
    EXPECT_EQ(TextToCalc("\\65A", false), "\\65A");
    EXPECT_EQ(TextToCalc("\\qq", false), "\\qq");
    EXPECT_EQ(TextToCalc("\\\\065", false), "\\\\065");
    EXPECT_EQ(TextToCalc("a\r\nb  \r\n\t", false), "a\nb");
    EXPECT_EQ(TextToCalc(" \t\r\n", false), "");
    EXPECT_EQ(TextToCalc("x\\", false), "x\\");
}

TEST(TextToCalc, StringModeMakesALiteralBody) {
    EXPECT_EQ(TextToCalc("say \"hi\"", true), "say \\\"hi\\\"");
    EXPECT_EQ(TextToCalc("\\x", true), "\\\\x");
    EXPECT_EQ(TextToCalc("\\\\", true), "\\\\\\\\");
    EXPECT_EQ(TextToCalc("\\\"", true), "\\\\\\\"");
    EXPECT_EQ(TextToCalc("\\->", true), "\x8D");
}

TEST(TextToCalc, StringModeNeverLetsAQuoteOrBackslashEndTheLiteral) {
    // A trailing backslash would escape the closing quote; decoded quotes would end it early.
    EXPECT_EQ(TextToCalc("x\\  ", true), "x\\\\");
    EXPECT_EQ(TextToCalc("\\034 DROP", true), "\\\" DROP");
    EXPECT_EQ(TextToCalc("\\092", true), "\\\\");
}

TEST(TextToCalc, UndoesTextFromCalcOfEveryCharacter) {
    std::string all;
    for (int c = 1; c < 256; ++c) {
        if (c != '\\') {
            all.push_back(static_cast<char>(c));
        }
    }
    all += "end";
    EXPECT_EQ(TextToCalc(TextFromCalc(all, 3, true, false, false), false), all);
    EXPECT_EQ(TextToCalc(TextFromCalc(all, 3, true, false, true), false), all);
}

TEST(Utf8ToCalc, TypedSymbolsBecomeTheCalculatorsCodes) {
    EXPECT_EQ(Utf8ToCalc("\u00AB 2 3 \u2264 \u2192 \u03C0 \u00E9 \u00BB"),
              "\xAB 2 3 \x89 \x8D \x87 \xE9 \xBB");
    // No UTF-8 (a Latin-1 terminal, a cut sequence, an over-long form) and characters the
    // calculator lacks pass unchanged.
    for (std::string same : {"caf\xE9", "x\xE2\x89", "\xC0\xAF", "\u2248", "\xF0\x9F\x99\x82"}) {
        EXPECT_EQ(Utf8ToCalc(same), same);
    }
}

// Names shown on the PC go back and forth: every code Utf8ToCalc makes comes back as it was.
TEST(CalcToUtf8, IsTheInverseOfUtf8ToCalc) {
    std::string codes;
    for (int code = 0x20; code <= 0xFF; ++code) {
        codes.push_back(static_cast<char>(code));
    }
    std::string shown = CalcToUtf8(codes);
    EXPECT_NE(shown.find("\u03C0"), std::string::npos);
    // Codes 128..159 without a symbol of their own stay bytes, which are no UTF-8.
    EXPECT_EQ(Utf8ToCalc(shown), codes);
}

}  // namespace
}  // namespace vaddex
