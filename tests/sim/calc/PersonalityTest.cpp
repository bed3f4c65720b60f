// What the program learns from each calculator's identification.
#include <gtest/gtest.h>

#include "SimTestHelpers.h"

namespace zqsim::test {
namespace {

// The digit before each decimal mark of a printed flag list, as the program reads it.
std::string VersionDigits(std::string text, std::size_t count) {
    std::string digits(count, '0');
    text = text.substr(0, text.find('}'));
    std::size_t dot = text.find('.');
    std::size_t comma = text.find(',');
    char separator = dot == std::string::npos && comma == std::string::npos ? ' '
                     : dot < comma                                          ? '.'
                                                                            : ',';
    std::size_t open = text.find('{');
    text = open == std::string::npos ? text : text.substr(open + 1);
    for (std::size_t i = 0, at = text.find(separator); at != std::string::npos && at > 0;
         at = text.find(separator), ++i) {
        if (i < count) {
            digits[i] = text[at - 1];
        }
        text = text.substr(at + 1);
    }
    return digits;
}

struct Identity {
    std::string series;
    std::string flags;
    std::string rom;
    bool hasK8Mark;
};

Identity Identify(SimCalculator& calc) {
    calc.Execute(CalcBytes("-36 FS? -51 FS? 2 →LIST →STR VERSION DROP + '$$$t' STO"));
    std::string reply = calc.RecallFile("$$$t").value_or("");
    Identity id;
    id.series = reply.substr(4, 2);
    id.flags = VersionDigits(reply.substr(13, 20), 2);
    std::string text = StringOfFile(reply);
    id.hasK8Mark = text.find("#1.1") != std::string::npos;
    if (reply.rfind("ZQZQK7", 0) == 0) {
        std::size_t at = text.find("Revision #");
        id.rom = at == std::string::npos ? "" : text.substr(at + 10);
    } else {
        id.rom = reply.substr(7, 1);
    }
    calc.Execute("'$$$t' PURGE");
    return id;
}

TEST(Personalities, IdentificationReadsAsEachCalculator) {
    struct Row {
        Personality personality;
        const char* series;
        bool hasK8Mark;
    };
    for (const Row& row :
         {Row{Personality::K7, "K7", false}, Row{Personality::K8, "K8", true},
          Row{Personality::K7GII, "K8", false}, Row{Personality::K8GPlus, "K8", false}}) {
        SimCalculator calc(row.personality, EmptyOptions());
        Identity id = Identify(calc);
        EXPECT_EQ(id.series, row.series);
        EXPECT_EQ(calc.SeriesCode(), row.series);
        EXPECT_EQ(id.flags, "10");  // -36 set, -51 clear by default
        EXPECT_EQ(id.hasK8Mark, row.hasK8Mark);
        EXPECT_EQ(id.rom, calc.FileHeader().substr(7, 1));
        EXPECT_FALSE(calc.ServerVersion().empty());
        EXPECT_FALSE(calc.FindObject("HOME $$$t"));
    }
}

TEST(Personalities, FlagsOfTheIdentificationFollowTheCalculator) {
    SimCalculatorOptions options = EmptyOptions();
    options.flag36 = false;
    options.flag51 = true;
    SimCalculator calc(Personality::K8, options);
    EXPECT_EQ(Identify(calc).flags, "01");
    calc.SetFlag(-36, true);
    calc.SetFlag(-51, false);
    EXPECT_EQ(Identify(calc).flags, "10");
}

TEST(Personalities, FreeMemoryTextUsesTheDecimalMarkAndHalfBytes) {
    SimCalculatorOptions options = EmptyOptions();
    options.memoryBytes = 1000;
    SimCalculator calc(Personality::K8, options);
    // An empty HOME is 13 nibbles: 1000 - 6.5 bytes.
    EXPECT_EQ(calc.FreeMemoryText(), "993.5");
    calc.SetFlag(-51, true);
    EXPECT_EQ(calc.FreeMemoryText(), "993,5");
    calc.Execute("MEM");
    EXPECT_EQ(calc.StackTexts(), std::vector<std::string>{"993,5"});
}

}  // namespace
}  // namespace zqsim::test
