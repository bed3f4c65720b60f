// The operations both front ends run around a session call.

#include <gtest/gtest.h>

#include <thread>

#include "session/SessionBTestSupport.h"
#include "session/SessionCommands.h"
#include "support/FifoDevice.h"
#include "support/OneByteSum.h"
#include "util/Errors.h"

namespace vaddex::test {
namespace {

using namespace std::chrono;

// --- names and numbers, no calculator needed ----------------------------------------------

TEST(SessionCommandNames, ItemNameBecomesFileFormAndFileNameComesBack) {
    EXPECT_EQ(SessionCommands::FileNameForItem("A/B"), "A^047B");
    EXPECT_EQ(SessionCommands::FileNameForItem("A\\->B"), "A^141B");
    EXPECT_EQ(SessionCommands::FileNameForItem("\\pi"), "^pi");
    EXPECT_EQ(SessionCommands::ItemNameForFile("/tmp/x/A^047B.zq"), "A/B");
    EXPECT_EQ(SessionCommands::ItemNameForFile("/tmp/x/A^141B.zq"), "A\\->B");
    EXPECT_EQ(SessionCommands::ItemNameForFile("/tmp/x/b.TXT"), "b");
    EXPECT_EQ(SessionCommands::ItemNameForFile("/tmp/x/K8_1-Jan-2026.ZQBackup"), "K8_1-Jan-2026");
    EXPECT_EQ(SessionCommands::ItemNameForFile("/tmp/x/notes.doc"), "notes.doc");
    EXPECT_EQ(SessionCommands::ItemNameForFile("/tmp/x/plain"), "plain");
}

TEST(SessionCommandNames, DefaultArchiveNameIsSeriesAndShortDate) {
    EXPECT_EQ(SessionCommands::DefaultArchiveName("K8", 2026y / December / 7),
              "K8_7-Dec-2026.zqbackup");
    EXPECT_EQ(SessionCommands::DefaultArchiveName("K7", 2025y / January / 31),
              "K7_31-Jan-2025.zqbackup");
}

struct CaptureSpeedRow {
    const char* fault;
    const char* port;
    int speed;
    int expected;
};

class SessionCaptureSpeedRule : public ::testing::TestWithParam<CaptureSpeedRow> {};

TEST_P(SessionCaptureSpeedRule, SwitchesOnlySerialLinesAtOtherSpeeds) {
    EXPECT_EQ(SessionCommands::CaptureSpeedFor(GetParam().port, GetParam().speed),
              GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SessionCaptureSpeedRule,
    ::testing::Values(CaptureSpeedRow{"serial_57600_needs_115200", "/dev/ttyS0", 57600, 115200},
                      CaptureSpeedRow{"serial_14400_needs_9600", "/dev/ttyS0", 14400, 9600},
                      CaptureSpeedRow{"limit_15600_is_slow", "/dev/pts/3", 15600, 9600},
                      CaptureSpeedRow{"limit_15601_is_fast", "/dev/pts/3", 15601, 115200},
                      CaptureSpeedRow{"serial_at_9600_needs_none", "/dev/ttyS0", 9600, 0},
                      CaptureSpeedRow{"serial_at_115200_needs_none", "/dev/ttyS0", 115200, 0},
                      CaptureSpeedRow{"usb_device_needs_none", "zqx8g+_1", 57600, 0},
                      CaptureSpeedRow{"auto_needs_none", "Auto", 57600, 0}),
    [](const auto& info) { return std::string(info.param.fault); });

// --- against the simulator ------------------------------------------------------------------

class SessionCommandsTest : public ::testing::Test {
protected:
    SessionCommandsTest() : sim(Unconnected()), commands(sim.Session(), sim.Root()) {
        commands.SelectedPort = sim.PortName();
        commands.OnRefreshRequested = [this] { ++refreshes; };
    }

    static SimFixtureOptions Unconnected() {
        SimFixtureOptions options;
        options.connect = false;
        return options;
    }

    std::string Home(const std::string& name) {
        return sim.FindObject("HOME " + name).value_or("");
    }

    SimFixture sim;
    SessionCommands commands;
    int refreshes = 0;
};

TEST_F(SessionCommandsTest, ConnectReadsTreeAndMemoryStatusAndEndsIdle) {
    commands.ConnectToCalculator();
    EXPECT_TRUE(sim.Ui().Connected());
    EXPECT_FALSE(sim.Ui().Busy());
    EXPECT_NE(FindChild(sim.Root(), "GREETING"), nullptr);
    std::string prefix = sim.Session().VersionText + "  Free Mem: ";
    ASSERT_EQ(commands.MemoryStatus().rfind(prefix, 0), 0u) << commands.MemoryStatus();
    std::string memory = commands.MemoryStatus().substr(prefix.size());
    EXPECT_FALSE(memory.empty());
    EXPECT_EQ(memory.find_first_not_of("0123456789"), std::string::npos) << memory;
}

TEST_F(SessionCommandsTest, FailedConnectEndsDisconnectedAndNotBusy) {
    commands.SelectedPort = sim.Files().File("no-such-port");
    EXPECT_EQ(commands.ConnectToCalculator().kind, Outcome::Kind::PortUnavailable);
    EXPECT_FALSE(sim.Ui().Connected());
    EXPECT_FALSE(sim.Ui().Busy());
    EXPECT_TRUE(sim.Root().Children.empty());
}

TEST_F(SessionCommandsTest, RereadFallsBackToDeepestDirectoryThatStillExists) {
    commands.ConnectToCalculator();
    commands.CurrentPath = "HOME MATHS DEEP";
    sim.Session().Execute("HOME MATHS 'DEEP' PGDIR HOME", false, true);
    commands.Reread();
    EXPECT_EQ(commands.CurrentPath, "HOME MATHS");
    std::string current;
    sim.WithCalculator([&](zqsim::SimCalculator& calc) { current = calc.CurrentPath(); });
    EXPECT_EQ(current, "HOME MATHS");
}

TEST_F(SessionCommandsTest, CopyWritesEachItemUnderItsFileNameAndExtension) {
    commands.ConnectToCalculator();
    std::vector<const TXPObject*> items = {FindChild(sim.Root(), "X"),
                                           FindChild(sim.Root(), "A\\->B")};
    ASSERT_NE(items[0], nullptr);
    ASSERT_NE(items[1], nullptr);
    std::string folder = sim.Files().Path();

    std::vector<std::string> paths;
    ASSERT_TRUE(commands.CopyItems(items, folder, paths));
    ASSERT_EQ(paths, (std::vector<std::string>{folder + "X.zq", folder + "A^141B.zq"}));
    EXPECT_EQ(FileBytes(paths[1]).substr(8), Home("A\x8D"
                                                  "B"));

    commands.AddExtension = false;
    EXPECT_TRUE(commands.CopyItems({items[0]}, folder, paths));
    EXPECT_EQ(paths, std::vector<std::string>{folder + "X"});
    sim.State().textMode = true;
    EXPECT_TRUE(commands.CopyItems({items[0]}, folder, paths));
    EXPECT_EQ(paths, std::vector<std::string>{folder + "X.txt"});
    EXPECT_FALSE(sim.Ui().Busy());
}

// The copy fails with its own reason, not as a Cancel the user never gave.
TEST_F(SessionCommandsTest, CopyOfItemGoneFromCalculatorFailsWithoutAFile) {
    commands.ConnectToCalculator();
    const TXPObject* x = FindChild(sim.Root(), "X");
    ASSERT_NE(x, nullptr);
    sim.Session().Execute("'X' PURGE", false, true);
    std::vector<std::string> paths;
    Outcome copied = commands.CopyItems({x}, sim.Files().Path(), paths);
    EXPECT_TRUE(copied.IsFailed()) << copied.message;
    EXPECT_TRUE(paths.empty());
    EXPECT_FALSE(FileExists(sim.Files().File("X.zq")));
    EXPECT_FALSE(sim.Ui().Busy());
}

TEST_F(SessionCommandsTest, DroppedFilesBecomeVariablesNamedAfterThem) {
    commands.ConnectToCalculator();
    std::string object = "ZQZQK8-C" + Home("X");
    PutFileBytes(sim.Files().File("a.zq"), object);
    PutFileBytes(sim.Files().File("b.txt"), "%%ZQ: T(3)A(D)F(.);\r\n\"bee\"\r\n");
    PutFileBytes(sim.Files().File("notes.doc"), "\"doc\"");
    sim.Ui().QueueWrongFileAnswer(kWrongFileText);

    commands.PutFiles(
        {sim.Files().File("a.zq"), sim.Files().File("b.txt"), sim.Files().File("notes.doc")});
    EXPECT_EQ(Home("a"), Home("X"));
    EXPECT_EQ(Home("b"), PackedString("bee"));
    EXPECT_EQ(Home("notes.doc"), PackedString("doc"));
    EXPECT_EQ(refreshes, 1);
    EXPECT_FALSE(sim.Ui().Busy());
}

TEST_F(SessionCommandsTest, DroppedFileOverExistingVariableAsksToReplace) {
    commands.ConnectToCalculator();
    std::string path = sim.Files().File("N.zq");
    PutFileBytes(path, "ZQZQK8-C" + Home("X"));
    std::string before = Home("N");
    sim.Ui().QueueReplaceAnswer(ModalResult::Cancel);
    bool replaceAll = false;
    EXPECT_FALSE(commands.PutDroppedFile(path, replaceAll, 1));
    EXPECT_EQ(sim.Ui().Count("AskReplace(N|1)"), 1);
    EXPECT_EQ(Home("N"), before);
}

TEST_F(SessionCommandsTest, ArchiveInABatchAsksEraseAndStopsTheBatch) {
    commands.ConnectToCalculator();
    std::string archive = sim.Files().File("K8_7-Dec-2026.zqbackup");
    ASSERT_TRUE(commands.BackupToFile(archive));
    PutFileBytes(sim.Files().File("after.zq"), "ZQZQK8-C" + Home("X"));
    sim.Ui().ClearRecords();
    sim.Ui().QueuePromptAnswer(false);

    commands.PutFiles({archive, sim.Files().File("after.zq")});
    ASSERT_EQ(sim.Ui().Prompts().size(), 1u);
    EXPECT_EQ(sim.Ui().Prompts()[0].caption, "Erase Calculator?");
    EXPECT_EQ(sim.Ui().Prompts()[0].text,
              "K8_7-Dec-2026.zqbackup\r\n\r\nIs a Calculator Backup file.\r\n"
              "Continuing will erase the calculator's current contents.\r\n\r\n"
              "Continue the Restore operation?");
    EXPECT_FALSE(sim.FindObject("HOME after").has_value());
    EXPECT_FALSE(sim.FindObject("HOME $$$t").has_value());
    EXPECT_TRUE(sim.Ui().Connected());
}

TEST_F(SessionCommandsTest, AutoPortIsRefusedForManualOperations) {
    commands.SelectedPort = "Auto";
    std::string path = sim.Files().File("x.zq");
    PutFileBytes(path, "ZQZQK8-C" + PackedString("x"));
    EXPECT_FALSE(commands.ManualSend(path, 4, 5));
    ASSERT_TRUE(commands.PrepareCapture()) << "no speed question for Auto";
    std::string image;
    commands.CaptureOnce(true, image);
    EXPECT_TRUE(image.empty());
    ASSERT_EQ(sim.Ui().Messages().size(), 2u);
    for (const auto& message : sim.Ui().Messages()) {
        EXPECT_EQ(message.caption, "Com Setting Error");
        EXPECT_EQ(message.text, "Com port cannot be auto for this operation");
    }
    EXPECT_TRUE(sim.Ui().Prompts().empty());
}

TEST_F(SessionCommandsTest, CommandLineRunsAndStackComesBackLevelOneLast) {
    commands.ConnectToCalculator();
    commands.RunCalculatorCommand("CLEAR 1 2 + \"s\"");
    std::vector<std::string> lines;
    EXPECT_TRUE(commands.ReadStack(lines));
    EXPECT_EQ(lines, (std::vector<std::string>{"2: 3.", "1: \"s\""}));
}

// An upload whose object cannot be measured keeps the padded bytes and says so.
TEST_F(SessionCommandsTest, UnmeasurableUploadKeepsPaddedFileWithDecompileError) {
    FifoDevice device(sim.UsbRoot(), "ZQx8G+_3");
    commands.SelectedPort = "ZQx8G+_3";
    sim.State().transfer.receiveCRC = false;  // the device below answers the checksum's NAK
    // A string whose length field claims far more than the block holds.
    std::string block = std::string("ZQZQK8-C") + ",*" + std::string("\xF0\xFF\xFF", 3);
    block.resize(128, 'p');
    std::thread calculator([&] {
        if (device.Read(1, 10000) != "\x15") {
            return;
        }
        device.Write(std::string("\x01\x01\xFE") + block + OneByteSum(block));
        device.Read(1, 5000);
        device.Write("\x04");
        device.Read(1, 5000);
    });
    std::string path = sim.Files().File("up.zq");
    bool ok = commands.UploadFile(path).IsDone();
    calculator.join();

    EXPECT_TRUE(ok);
    EXPECT_EQ(FileBytes(path), block);
    ASSERT_EQ(sim.Ui().Messages().size(), 1u);
    EXPECT_EQ(sim.Ui().Messages()[0].caption, "Decompile Error");
    EXPECT_EQ(sim.Ui().Messages()[0].text,
              path +
                  "\r\nCannot decompile this file.\r\nLength has been left with padding.\r\n"
                  "File may still be ok.");
    EXPECT_TRUE(sim.Session().Data.empty());
}

}  // namespace
}  // namespace vaddex::test
