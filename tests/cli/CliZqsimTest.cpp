// vaddex-cli against zqsim on a pseudo-terminal: the calculator keeps its memory between
// commands, talks at the line's pace when asked to, and does nothing by itself.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <QJsonArray>
#include <QJsonObject>
#include <chrono>
#include <filesystem>
#include <string>

#include "cli/CliHarness.h"
#include "support/PtyPeer.h"
#include "support/TempDir.h"
#include "util/FileIo.h"

namespace vaddex::test {
namespace {

const std::string kGreetingFile = std::string("ZQZQK8-R,*\x90\x01\x00", 13) + "Hello, ZQ!";
constexpr int kPromptMs = 30000;

class CliZqsimTest : public ::testing::Test {
protected:
    CliResult On(const ZqsimProcess& sim, std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), {"-p", sim.Port()});
        return cli_.Run(arguments);
    }

    CliHarness cli_;
};

TEST_F(CliZqsimTest, ChangesLastFromOneCommandToTheNext) {
    ZqsimProcess sim;
    ASSERT_TRUE(WriteWholeFile(cli_.Work("NEWVAR.zq"), kGreetingFile));
    ASSERT_EQ(On(sim, {"put", "NEWVAR.zq"}).status, 0);
    EXPECT_NE(On(sim, {"ls"}).out.find("NEWVAR"), std::string::npos);

    ASSERT_EQ(On(sim, {"eval", "1 2 + \"abc\""}).status, 0);
    EXPECT_EQ(On(sim, {"stack"}).out, "2: 3.\n1: \"abc\"\n");
    QJsonArray lines = ParseJson(On(sim, {"stack", "--json"}).out).array();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[1].toString(), "1: \"abc\"");

    ASSERT_EQ(On(sim, {"mkdir", "D"}).status, 0);
    ASSERT_EQ(On(sim, {"mv", "D", "E"}).status, 0);
    ASSERT_EQ(On(sim, {"rm", "NEWVAR"}).status, 0);
    CliResult tree = On(sim, {"ls", "-R"});
    EXPECT_NE(tree.out.find("\nHOME E:\n"), std::string::npos) << tree.out;
    EXPECT_EQ(tree.out.find("NEWVAR"), std::string::npos);

    ASSERT_EQ(On(sim, {"backup", "memory.zqbackup"}).status, 0);
    ASSERT_EQ(On(sim, {"rm", "GREETING"}).status, 0);
    CliResult restored = On(sim, {"--yes", "restore", "memory.zqbackup"});
    ASSERT_EQ(restored.status, 0) << restored.err;
    EXPECT_NE(On(sim, {"ls"}).out.find("GREETING"), std::string::npos);
}

// --crc asks for a CRC first; a calculator that knows only the checksum is served after the
// fallback, with the same file.
TEST_F(CliZqsimTest, CrcGetFromAChecksumOnlyCalculatorFallsBackAndSucceeds) {
    ZqsimProcess sim({"--checksum-only"});
    CliResult got = On(sim, {"--crc", "--trace", "trace.txt", "get", "GREETING"});
    ASSERT_EQ(got.status, 0) << got.err;
    EXPECT_EQ(ReadFile(cli_.Work("GREETING.zq")), kGreetingFile);
    EXPECT_NE(ReadFile(cli_.Work("trace.txt")).find("Rx no CRC block, asking for the checksum"),
              std::string::npos);
}

TEST_F(CliZqsimTest, StoredSettingsChooseThePortAndSpeed) {
    ZqsimProcess sim;
    cli_.SetEnvironment("VADDEX_EXTRA_PORTS", sim.Port());
    cli_.WriteSettings("[General]\nPort=" + sim.Port() + "\nSpeed=130000\n");
    CliResult usbSpeed = cli_.Run({"info", "--json"});
    ASSERT_EQ(usbSpeed.status, 0) << usbSpeed.err;
    QJsonObject info = ParseJson(usbSpeed.out).object();
    EXPECT_EQ(info["port"].toString().toStdString(), sim.Port());
    EXPECT_EQ(info["speed"].toInt(), 9600);

    cli_.WriteSettings("[General]\nPort=" + sim.Port() + "\nSpeed=38400\n");
    EXPECT_EQ(ParseJson(cli_.Run({"info", "--json"}).out).object()["speed"].toInt(), 38400);
    EXPECT_EQ(ParseJson(cli_.Run({"-s", "19200", "info", "--json"}).out).object()["speed"].toInt(),
              19200);
}

TEST_F(CliZqsimTest, TerminalAnswersTheReplaceQuestion) {
    ZqsimProcess sim;
    ASSERT_TRUE(WriteWholeFile(cli_.Work("GREETING.zq"), kGreetingFile));
    struct Row {
        const char* typed;
        int status;
        const char* text;
    } rows[] = {{"n\n", 1, "GREETING: not replaced"},
                {"y\n", 0, "Sent GREETING.zq"},
                {"c\n", 1, "GREETING.zq: not sent"}};
    for (const Row& row : rows) {
        PtyPeer terminal;
        int input = ::open(terminal.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        ASSERT_GE(input, 0);
        auto child = cli_.Start({"-p", sim.Port(), "put", "GREETING.zq"}, input);
        ::close(input);
        ASSERT_TRUE(child->WaitForErr("[y]es, [n]o, [c]ancel? ", kPromptMs)) << child->Err();
        ASSERT_TRUE(terminal.Write(row.typed));
        EXPECT_EQ(child->Wait(CliHarness::kRunTimeoutMs), row.status) << row.typed;
        EXPECT_NE((child->Out() + child->Err()).find(row.text), std::string::npos) << child->Err();
    }
}

TEST_F(CliZqsimTest, LongTransferShowsProgressAndCtrlCLeavesNoFile) {
    // At 9600 bit/s a 6000-character string takes about six seconds.
    ZqsimProcess sim({"--pace"});
    sim.Console("exec \"" + std::string(6000, 'A') + "\" 'BIG' STO");
    sim.Console("tree", "BIG");
    auto child = cli_.Start({"-p", sim.Port(), "get", "BIG"});
    child->CloseInput();
    ASSERT_TRUE(child->WaitForErr("Copying BIG: ", kPromptMs)) << child->Err();
    ASSERT_TRUE(child->WaitForErr(" bytes/s\n", kPromptMs)) << child->Err();
    std::string line = child->Err().substr(child->Err().find("Copying BIG: "));
    EXPECT_NE(line.find(" bytes ("), std::string::npos) << line;
    EXPECT_NE(line.find("%) "), std::string::npos) << line;
    child->Signal(SIGINT);
    EXPECT_EQ(child->Wait(CliHarness::kRunTimeoutMs), 1);
    EXPECT_NE(child->Err().find("Canceled by user."), std::string::npos) << child->Err();
    EXPECT_FALSE(FileExists(cli_.Work("BIG.zq")));
}

// SIGTERM and SIGHUP are a Cancel and then the end: the file already at the target stays as
// it was, and the private folder with its copy of a long text goes.
TEST_F(CliZqsimTest, TermAndHangUpCancelAndEndLeavingNothingBehind) {
    ZqsimProcess sim({"--pace"});
    sim.Console("exec \"" + std::string(6000, 'A') + "\" 'BIG' STO");
    sim.Console("tree", "BIG");
    TempDir temp;
    cli_.SetEnvironment("TMPDIR", temp.Path());
    ASSERT_TRUE(WriteWholeFile(cli_.Work("BIG.zq"), "an older copy"));
    ASSERT_TRUE(WriteWholeFile(cli_.Work("long.txt"),
                               "%%ZQ: T(3)A(D)F(.);\n\"" + std::string(6000, 'B') + "\"\n"));
    struct Row {
        int signal;
        std::vector<std::string> command;
    } rows[] = {{SIGTERM, {"get", "BIG"}}, {SIGHUP, {"put", "long.txt"}}};
    for (const Row& row : rows) {
        std::vector<std::string> arguments = {"-p", sim.Port()};
        arguments.insert(arguments.end(), row.command.begin(), row.command.end());
        auto child = cli_.Start(arguments);
        child->CloseInput();
        ASSERT_TRUE(child->WaitForErr(" bytes/s\n", kPromptMs)) << child->Err();
        child->Signal(row.signal);
        EXPECT_EQ(child->Wait(CliHarness::kRunTimeoutMs), 128 + row.signal) << child->Err();
        EXPECT_NE(child->Err().find("ended by signal"), std::string::npos) << "not a clean end";
        EXPECT_TRUE(std::filesystem::is_empty(temp.Path())) << row.command[0];
    }
    EXPECT_EQ(ReadFile(cli_.Work("BIG.zq")), "an older copy");
}

TEST_F(CliZqsimTest, CtrlCClosesTheWaitForTheCalculator) {
    ZqsimProcess sim;
    ASSERT_TRUE(WriteWholeFile(cli_.Work("x.zq"), kGreetingFile));
    auto child = cli_.Start({"-p", sim.Port(), "xrecv", "x.zq"});
    child->CloseInput();
    ASSERT_TRUE(child->WaitForErr("Waiting for the calculator", kPromptMs)) << child->Err();
    child->Signal(SIGINT);
    EXPECT_EQ(child->Wait(CliHarness::kRunTimeoutMs), 1);
    EXPECT_NE(child->Err().find("vaddex-cli: Canceled by user."), std::string::npos)
        << child->Err();
    EXPECT_EQ(child->Err().find("Connection Error"), std::string::npos) << child->Err();
}

// A port on which no calculator answers: the retries are shown as they go, and Ctrl-C or
// SIGTERM ends the wait at once instead of after all six tries. In a search over every port
// (Auto) no further port is tried.
TEST_F(CliZqsimTest, SignalDuringTheSilentRetriesEndsTheWaitAtOnce) {
    struct Row {
        int signal;
        int status;
        bool search;
    } rows[] = {{SIGINT, 1, false}, {SIGTERM, 128 + SIGTERM, false}, {SIGINT, 1, true}};
    for (const Row& row : rows) {
        PtyPeer silent;
        PtyPeer second;
        PtyPeer third;
        std::vector<std::string> arguments = {"-p", silent.SlavePath(), "info"};
        if (row.search) {
            cli_.SetEnvironment(
                "VADDEX_EXTRA_PORTS",
                silent.SlavePath() + ":" + second.SlavePath() + ":" + third.SlavePath());
            arguments = {"-p", "Auto", "info"};
        }
        auto child = cli_.Start(arguments);
        child->CloseInput();
        ASSERT_TRUE(child->WaitForErr("No answer from the calculator (try 1 of 6)...", kPromptMs))
            << child->Err();
        auto signalled = std::chrono::steady_clock::now();
        child->Signal(row.signal);
        EXPECT_EQ(child->Wait(CliHarness::kRunTimeoutMs), row.status) << child->Err();
        auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::steady_clock::now() - signalled)
                      .count();
        EXPECT_LT(ms, 3000) << "signal " << row.signal << " waited for the retries";
        RecordProperty("msFromSignal" + std::to_string(row.signal) + "ToExit",
                       static_cast<int>(ms));
        EXPECT_EQ(child->Err().find("(try 2 of 6)"), std::string::npos) << child->Err();
        EXPECT_EQ(child->Err().find("(try 1 of 6)"), child->Err().rfind("(try 1 of 6)"))
            << "one port only: " << child->Err();
        if (row.signal == SIGINT) {
            EXPECT_NE(child->Err().find("Canceled by user."), std::string::npos) << child->Err();
        }
    }
}

}  // namespace
}  // namespace vaddex::test
