// Backup into an archive file and restore from it, against the simulated calculator.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <tuple>

#include "objects/ObjectSize.h"
#include "session/SessionBTestSupport.h"
#include "session/SessionCommands.h"
#include "util/Errors.h"

namespace vaddex::test {
namespace {

const char* const kRestoreLine = "$$$t '$$$t' PURGE RESTORE";

// What a memory comparison looks at: every variable's place, name and exact bytes.
using MemoryImage = std::vector<std::tuple<std::string, std::string, std::string>>;

MemoryImage ImageOf(const std::vector<zqsim::SimVariableInfo>& snapshot) {
    MemoryImage image;
    for (const auto& variable : snapshot) {
        image.emplace_back(variable.path, variable.name, variable.bytes);
    }
    return image;
}

// The bit rate the pty's line is set to now, as its other end sees it.
speed_t LineSpeed(const std::string& ptyPath) {
    int fd = ::open(ptyPath.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        return 0;
    }
    termios settings{};
    speed_t speed = ::tcgetattr(fd, &settings) == 0 ? ::cfgetospeed(&settings) : 0;
    ::close(fd);
    return speed;
}

class SessionBackupTest : public ::testing::Test {
protected:
    explicit SessionBackupTest(int speed = 9600)
        : sim(Options(speed)), commands(sim.Session(), sim.Root()) {
        commands.SelectedPort = sim.PortName();
        sim.Session().ReadDirectoryTree(sim.Root());
    }

    static SimFixtureOptions Options(int speed) {
        SimFixtureOptions options;
        options.speed = speed;
        return options;
    }

    MemoryImage Memory() { return ImageOf(sim.Snapshot()); }
    // The memory without the flag program the backup leaves in every archive.
    MemoryImage MemoryWithoutFlagProgram() {
        MemoryImage image = Memory();
        std::erase_if(image, [](const auto& v) { return std::get<1>(v) == "fLaG"; });
        return image;
    }

    SimFixture sim;
    SessionCommands commands;
};

TEST_F(SessionBackupTest, RestoreBringsBackExactlyTheMemoryThatWasBackedUp) {
    MemoryImage before = Memory();
    std::string archive = sim.Files().File("K8.zqbackup");
    sim.Ui().ClearRecords();
    commands.BackupToFile(archive);

    std::string file = FileBytes(archive);
    ASSERT_GT(file.size(), 8u);
    EXPECT_EQ(file.substr(0, 6), "ZQZQK8");
    std::string trimmed = file;
    ASSERT_TRUE(ObjectSize(trimmed).success);
    EXPECT_EQ(trimmed, file) << "the archive is cut to the object's exact length";
    EXPECT_EQ(Memory(), before) << "fLaG is purged and $$$r gone after a successful backup";
    EXPECT_TRUE(sim.Session().Data.empty());
    // The receive expects the listing's total rounded up to whole 128-byte blocks.
    std::int64_t expected = (sim.Root().GetSize() + 127) / 128 * 128;
    int receiveReports = 0;
    for (const auto& report : sim.Ui().Reports()) {
        receiveReports += report.kind == 2 && report.maximum == expected;
    }
    EXPECT_GT(receiveReports, 0);

    sim.Session().Execute("'X' PURGE 'MATHS' PGDIR 99 'NEW' STO", false, true);
    ASSERT_NE(Memory(), before);
    sim.Ui().QueuePromptAnswer(false);  // prompt 9: do not connect again
    EXPECT_TRUE(commands.RestoreFromFile(archive));
    EXPECT_FALSE(sim.Ui().Connected());
    ASSERT_FALSE(sim.Ui().Prompts().empty());
    EXPECT_EQ(sim.Ui().Prompts().back().kind, 9);
    ASSERT_TRUE(sim.Server().WaitFor(
        [](const zqsim::SimStats& s) { return s.lastCommandLine == kRestoreLine && !s.busy; },
        10000));
    EXPECT_EQ(MemoryWithoutFlagProgram(), before);
    EXPECT_TRUE(sim.FindObject("HOME fLaG").has_value()) << "the flags travel in the archive";
}

TEST_F(SessionBackupTest, ConnectOnRestoredPromptConnectsAgain) {
    std::string archive = sim.Files().File("a.zqbackup");
    commands.BackupToFile(archive);
    sim.Ui().QueuePromptAnswer(true);  // prompt 9: "Connect"
    EXPECT_TRUE(commands.RestoreFromFile(archive));
    EXPECT_TRUE(sim.Ui().Connected());
    EXPECT_NE(FindChild(sim.Root(), "GREETING"), nullptr) << "reread after connecting";
}

TEST_F(SessionBackupTest, DeclinedSpeedQuestionSendsNothingAndWritesNoStaleData) {
    const TXPObject* x = FindChild(sim.Root(), "X");
    ASSERT_NE(x, nullptr);
    ASSERT_TRUE(sim.Session().GetVariable("X", "", x->Size, 0));
    ASSERT_FALSE(sim.Session().Data.empty());
    sim.State().captureSpeed = 9600;
    sim.State().modelName = "K8";
    sim.Ui().QueuePromptAnswer(false);
    zqsim::SimStats before = sim.Server().Stats();

    std::string archive = sim.Files().File("declined.zqbackup");
    commands.BackupToFile(archive);
    ASSERT_EQ(sim.Ui().Prompts().size(), 1u);
    EXPECT_EQ(sim.Ui().Prompts()[0].caption, "Set the Calculator");
    EXPECT_EQ(sim.Ui().Prompts()[0].text,
              "Backup requires that the ZQK8 operate at \r\n9600 baud  (see IOPAR in VAR).\r\n\r\n"
              "May I change the speed temporarily for the backup operation?");
    EXPECT_EQ(sim.Server().Stats().bytesIn, before.bytesIn);
    EXPECT_FALSE(FileExists(archive)) << "the bytes of the earlier get are no archive";
}

TEST_F(SessionBackupTest, CancelledBackupKeepsTheLastGoodArchiveAndSaysSo) {
    ASSERT_TRUE(sim.StoreAt("HOME BIG", PackedString(PatternText(16000))));
    sim.Session().ReadDirectoryTree(sim.Root());
    std::string archive = sim.Files().File("last.zqbackup");
    ASSERT_TRUE(commands.BackupToFile(archive));
    std::string good = FileBytes(archive);
    sim.Ui().ClearRecords();
    sim.Ui().CancelWhenReportPasses(4096);  // past the archive program, inside the archive
    EXPECT_FALSE(commands.BackupToFile(archive));
    EXPECT_EQ(FileBytes(archive), good);
    ASSERT_EQ(sim.Ui().Messages().size(), 1u);
    EXPECT_EQ(sim.Ui().Messages()[0].caption, "File Not Replaced");
    EXPECT_EQ(sim.Ui().Messages()[0].text, archive + "\r\nwas not replaced and is as it was.");
}

TEST_F(SessionBackupTest, MissingArchiveProgramEndsWithTheOpenError) {
    TempDir empty;
    const char* old = std::getenv("VADDEX_DATA_DIR");
    std::string saved = old ? old : "";
    ::setenv("VADDEX_DATA_DIR", empty.Path().c_str(), 1);
    try {
        sim.Session().Backup(sim.Files().File("b.zqbackup"), 1000);
        ADD_FAILURE() << "no error";
    } catch (const OperationError& e) {
        EXPECT_EQ(std::string(e.what()).rfind(
                      "Error (Unable to open file " + empty.Path() + "ArchK8.zq ", 0),
                  0u)
            << e.what();
        EXPECT_NE(std::string(e.what()).find("looked in " + empty.Path()), std::string::npos);
    }
    old ? ::setenv("VADDEX_DATA_DIR", saved.c_str(), 1) : ::unsetenv("VADDEX_DATA_DIR");
    EXPECT_FALSE(sim.FindObject("HOME fLaG").has_value()) << "no script ran";
}

TEST_F(SessionBackupTest, ArchiveProgramThatDidNotArriveRunsNoScript) {
    auto damage = DamageFirstTransfer(sim, 4);
    int commandsBefore = sim.Server().Stats().commandsExecuted;
    EXPECT_FALSE(sim.Session().Backup(sim.Files().File("c.zqbackup"), 1000));
    sim.Ui().SetOnIdle({});
    EXPECT_TRUE(damage->done);
    EXPECT_EQ(sim.Server().Stats().commandsExecuted, commandsBefore) << "a script was run";
    EXPECT_FALSE(sim.FindObject("HOME fLaG").has_value());
}

// A K8 on a serial line at 38400 must be switched to 9600 for the backup transfer only.
class SessionBackupSpeedTest : public SessionBackupTest {
protected:
    SessionBackupSpeedTest() : SessionBackupTest(38400) {}
};

TEST_F(SessionBackupSpeedTest, TransferRunsAtCaptureSpeedAndLineGoesBackAfterwards) {
    ASSERT_EQ(sim.State().captureSpeed, 9600);
    MemoryImage before = Memory();
    speed_t duringTransfer = 0;
    sim.Ui().SetOnIdle([&] {
        if (sim.Ui().IsStatusVisible() && sim.Session().StatusText.rfind("Copying ", 0) == 0) {
            duringTransfer = LineSpeed(sim.PortName());
        }
    });
    std::string archive = sim.Files().File("fast.zqbackup");
    commands.BackupToFile(archive);
    sim.Ui().SetOnIdle({});

    ASSERT_EQ(sim.Ui().Prompts().size(), 1u);
    EXPECT_EQ(sim.Ui().Prompts()[0].text.rfind(
                  "Backup requires that the ZQK8 operate at \r\n9600 baud", 0),
              0u);
    EXPECT_EQ(duringTransfer, B9600);
    EXPECT_EQ(LineSpeed(sim.PortName()), B38400);
    EXPECT_EQ(Memory(), before);

    sim.Session().Execute("'X' PURGE", false, true);
    sim.Ui().QueuePromptAnswer(false);
    EXPECT_TRUE(commands.RestoreFromFile(archive));
    ASSERT_TRUE(sim.Server().WaitFor(
        [](const zqsim::SimStats& s) { return s.lastCommandLine == kRestoreLine && !s.busy; },
        10000));
    EXPECT_EQ(MemoryWithoutFlagProgram(), before);
}

}  // namespace
}  // namespace vaddex::test
