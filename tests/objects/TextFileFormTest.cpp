#include <gtest/gtest.h>

#include "objects/ClassifyFile.h"
#include "objects/ObjectBuilder.h"
#include "objects/ObjectSize.h"
#include "objects/TextFileForm.h"
#include "support/TempDir.h"
#include "util/Errors.h"
#include "util/FileIo.h"

namespace vaddex {
namespace {

TEST(VersionDigits, TakesTheCharacterBeforeEachMark) {
    EXPECT_EQ(VersionDigits("{ 0. 1. 0. 3. }", 4), "0103");
    EXPECT_EQ(VersionDigits("{ 1, 0, 1, 2, }", 2), "10");
    EXPECT_EQ(VersionDigits("{ 1. }", 3), "100");
    EXPECT_EQ(VersionDigits("{ 1 0 1 }", 3), "101");  // no mark: the blanks separate
    EXPECT_EQ(VersionDigits("{ 1. 1. } 1. 1.", 4), "1100");
    EXPECT_EQ(VersionDigits("{ .1. }", 2), "01");
    EXPECT_EQ(VersionDigits("", 2), "00");
}

TEST(ParseTextFile, HeaderGivesTheModesAndTheBodyFollows) {
    ParsedTextFile p = ParseTextFile("%%ZQ: T(3)A(R)F(,);\r\n  'X\\->Y'\r\n");
    EXPECT_EQ(p.angle, "RAD ");
    EXPECT_EQ(p.fraction, "-51 SF ");
    EXPECT_EQ(p.body, "'X\x8DY'");
    EXPECT_TRUE(p.stringMode);

    p = ParseTextFile("%%ZQ: T(1)A(G)F(.);\n\"a\"");
    EXPECT_EQ(p.angle + p.fraction, "GRAD -51 CF ");
    EXPECT_EQ(p.body, "\\\"a\\\"");
    EXPECT_EQ(ParseTextFile("%%ZQ: T(1)A(D)F(x);\n1").angle, "DEG ");
    EXPECT_EQ(ParseTextFile("%%ZQ: T(1)A(D)F(x);\n1").fraction, "");
}

TEST(ParseTextFile, WithoutAHeaderTheWholeContentIsTheBody) {
    ParsedTextFile p = ParseTextFile("123456789012345678901; A(R)");
    EXPECT_EQ(p.body, "123456789012345678901; A(R)");
    EXPECT_EQ(p.angle + p.fraction, "");
    EXPECT_EQ(ParseTextFile("A;").body, "");
    EXPECT_TRUE(ParseTextFile(std::string(300, 'x')).stringMode);
    EXPECT_FALSE(ParseTextFile(std::string(301, 'x')).stringMode);
    // Only a short file's quotes are escaped for the string literal it travels in.
    EXPECT_EQ(ParseTextFile(std::string(289, 'x') + "\"1234567890").body.size(), 301u);
    EXPECT_EQ(ParseTextFile(std::string(290, 'x') + "\"1234567890").body.size(), 301u);
}

// A NUL would not survive the command line: such a short text goes the long way, parsed as
// a long one (no string-mode escapes added).
TEST(ParseTextFile, ShortTextHoldingANulIsNoInlineString) {
    for (std::string body : {std::string("\"a\0b\"", 5), std::string("\"a\\000b\"")}) {
        ParsedTextFile parsed = ParseTextFile(body);
        EXPECT_FALSE(parsed.stringMode);
        EXPECT_EQ(parsed.body, std::string("\"a\0b\"", 5));
    }
    EXPECT_TRUE(ParseTextFile("\"a\\001b\"").stringMode);
}

TEST(WrapAsStringObject, BuildsAMeasurableStringFile) {
    std::string file = WrapAsStringObject("AB", "K8");
    EXPECT_EQ(file, std::string("ZQZQK8-C,*\x90\x00\x00"
                                "AB",
                                15));
    std::string longText(70000, 'q');
    std::string big = WrapAsStringObject(longText, "K7");
    std::string measured = big + "padding";
    ASSERT_TRUE(ObjectSize(measured).success);
    EXPECT_EQ(measured, big);
    EXPECT_EQ(StringObjectText(measured), longText) << "read back without the padding";
    EXPECT_EQ(StringObjectText(big.substr(0, 20)), std::string(7, 'q')) << "as far as it goes";
    EXPECT_NO_THROW(WrapAsStringObject(std::string(524285, 'x'), "K8"));
    EXPECT_THROW(WrapAsStringObject(std::string(524286, 'x'), "K8"), OperationError);
}

std::string FetchedText(const std::string& flags, const std::string& text) {
    return WrapAsStringObject(flags + text, "K8") + std::string(37, '\x5A');
}

TEST(MakeTextFile, ReadsTheFlagsAndQuotesByType) {
    TextFileResult alg = MakeTextFile(FetchedText("{ 0. 1. 0. 3. }", "X+1"), 26, 3, true, true);
    ASSERT_TRUE(alg.success);
    EXPECT_EQ(alg.text, "%%ZQ: T(3)A(G)F(.);\r\n'X+1'\r\n");
    EXPECT_EQ(MakeTextFile(FetchedText("{ 1. 0. 1. 3. }", "'X'"), 26, 2, false, false).text,
              "%%ZQ: T(2)A(R)F(,);\n'X'\n");
    TextFileResult str =
        MakeTextFile(FetchedText("{ 1. 1. 0. 0. }", "a\"\x8D\n"), 8, 3, false, true);
    EXPECT_EQ(str.text, "%%ZQ: T(3)A(D)F(.);\r\n\"a\\\"\\->\r\n\"\r\n");
    EXPECT_EQ(MakeTextFile(FetchedText("{ 0. 0. 0. 0. }", "{ 1 }"), 21, 1, false, false).text,
              "%%ZQ: T(1)A(D)F(.);\n{ 1 }\n");
}

TEST(MakeTextFile, RefusesWhatIsNoCompleteString) {
    EXPECT_FALSE(MakeTextFile("ZQZQK8-C", 8, 3, false, false).success);
    EXPECT_FALSE(MakeTextFile(test::ObjectFile(test::Real()), 8, 3, false, false).success);
    std::string cut = WrapAsStringObject("{ 0. 0. 0. 0. }abcdef", "K8");
    cut.resize(cut.size() - 2);
    TextFileResult result = MakeTextFile(cut, 8, 3, false, false);
    EXPECT_FALSE(result.success);
    EXPECT_EQ(result.message, kObjectPastEndText);
}

class ClassifyFileTest : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const std::string& content) {
        std::string path = dir_.File(name);
        EXPECT_TRUE(WriteWholeFile(path, content));
        return path;
    }
    test::TempDir dir_;
};

TEST_F(ClassifyFileTest, RecognisesTheBinaryAndTextHeads) {
    EXPECT_EQ(ClassifyFile(Write("a.zq", "ZQZQK8-C123"), "K8").form, FileForm::Binary);
    EXPECT_EQ(ClassifyFile(Write("b.zq", "%%ZQ: T(3)"), "K8").form, FileForm::Text);
    EXPECT_EQ(ClassifyFile(Write("c", "%ZQZQ: x"), "K7").form, FileForm::Text);
}

TEST_F(ClassifyFileTest, NamesTheKindOfAnythingElse) {
    FileClass other = ClassifyFile(Write("a.zq", "ZQZQK7-C123"), "K8");
    EXPECT_EQ(other.form, FileForm::Neither);
    EXPECT_TRUE(other.beginsWithZqzq);
    EXPECT_EQ(other.kind, "ZQK7");
    FileClass txt = ClassifyFile(Write("notes.txt", "hello"), "K8");
    EXPECT_FALSE(txt.beginsWithZqzq);
    EXPECT_EQ(txt.kind, "txt");
    EXPECT_EQ(ClassifyFile(Write("h1.zq", "'A' 7\r\n"), "K8").kind, "header-less text");
    EXPECT_EQ(ClassifyFile(Write("H2.ZQ", "\xAB 1 \xBB"), "K8").kind, "header-less text");
    EXPECT_EQ(ClassifyFile(Write("junk.zq", std::string("\x02\x9A\0", 3)), "K8").kind, "zq");
    EXPECT_EQ(ClassifyFile(Write("short", "ZQ"), "K8").kind, "unknown");
    EXPECT_EQ(ClassifyFile(Write("empty.", ""), "K8").kind, "unknown");
}

TEST_F(ClassifyFileTest, FilesThatCannotBeReadRaiseTheirErrors) {
    std::string missing = dir_.File("missing.zq");
    try {
        ClassifyFile(missing, "K8");
        ADD_FAILURE() << "no error raised";
    } catch (const OperationError& e) {
        EXPECT_EQ(std::string(e.what()), "Error (Unable to open file " + missing + " 2)");
    }
    std::string folder = dir_.Path();
    try {
        ClassifyFile(folder, "K8");
        ADD_FAILURE() << "no error raised";
    } catch (const OperationError& e) {
        EXPECT_EQ(std::string(e.what()), "Error (Cannot read from file " + folder + "21)");
    }
}

}  // namespace
}  // namespace vaddex
