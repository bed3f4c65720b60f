// Texts and names that would make the calculator do more than the user asked, through
// vaddex-cli against zqsim: refused before anything runs, and the calculator still answers.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/CliHarness.h"
#include "util/FileIo.h"

namespace vaddex::test {
namespace {

class CliHostileInputTest : public ::testing::Test {
protected:
    CliResult On(const ZqsimProcess& sim, std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), {"-p", sim.Port(), "--yes"});
        return cli_.Run(arguments);
    }

    CliHarness cli_;
};

// A lone CR after a backslash once made the check and the put read different bytes: the
// check saw an escaped quote, the calculator a closed string and the commands after it.
TEST_F(CliHostileInputTest, ATextThatWouldRunACommandIsNotSent) {
    const std::string header = "%%ZQ: T(3)A(R)F(.);\n";
    struct Row {
        std::string text;
        bool sent;
    } rows[] = {
        {"\"x\\\r\\\" 'GREETING' PURGE @\"", false},
        {header + "\"x\\\r\\\" 'GREETING' PURGE @\"", false},
        {header + "\"C:\\\r\\\" HOME 'GAMES' PGDIR @\"", false},
        {"\"C:\\\\\" HOME 'GAMES' PGDIR @\"", false},
        // Quotes and backslashes inside one string are still one object.
        {header + "\"a \\\"b\\\" c:\\\\ d\"", true},
    };
    ZqsimProcess sim;
    std::vector<std::string> commands = {"-t"};
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        std::string file = "t" + std::to_string(i) + ".txt";
        ASSERT_TRUE(WriteWholeFile(cli_.Work(file), rows[i].text));
        commands.insert(commands.end(), {"-e", "put " + file + ":T" + std::to_string(i)});
    }
    commands.insert(commands.end(), {"-e", "ls"});
    CliResult run = On(sim, commands);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("GREETING "), std::string::npos) << run.out << run.err;
    EXPECT_NE(run.out.find("GAMES "), std::string::npos) << run.out;
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(rows[i].text);
        std::string row = "\nT" + std::to_string(i) + " ";
        EXPECT_EQ(("\n" + run.out).find(row) != std::string::npos, rows[i].sent) << run.out;
    }
}

TEST_F(CliHostileInputTest, NamesTheCalculatorKeepsAreRefusedEverywhere) {
    ZqsimProcess sim;
    ASSERT_EQ(On(sim, {"get", "N", cli_.Work("N.zq")}).status, 0);
    // One session runs every refusal, so that the calculator must answer after each of them.
    std::vector<std::string> commands;
    int refusals = 0;
    for (const std::string name : {"STO", "PURGE", "DEPTH", "SWAP", "$$$t", "DUP"}) {
        for (const std::string& command : {"put N.zq:" + name, "mkdir " + name, "mv N " + name}) {
            commands.insert(commands.end(), {"-e", command});
            ++refusals;
        }
    }
    commands.insert(commands.end(), {"-e", "rm N", "-e", "ls"});
    CliResult run = On(sim, commands);
    EXPECT_EQ(run.status, 1);
    std::size_t found = 0;
    for (std::size_t at = run.err.find("cannot name a variable"); at != std::string::npos;
         at = run.err.find("cannot name a variable", at + 1)) {
        ++found;
    }
    EXPECT_EQ(found, static_cast<std::size_t>(refusals)) << run.err;
    EXPECT_NE(run.out.find("GREETING "), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("\nN "), std::string::npos) << run.out;
}

}  // namespace
}  // namespace vaddex::test
