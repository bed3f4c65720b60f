// Archive files: a restore refuses a file that is no complete archive of the connected series
// before the calculator is touched; a backup that cannot write its file says why.

#include <gtest/gtest.h>

#include <string>

#include "session/ArchiveCheck.h"
#include "session/SessionBTestSupport.h"
#include "session/SessionCommands.h"
#include "util/Errors.h"

namespace vaddex::test {
namespace {

class SessionArchiveFilesTest : public ::testing::Test {
protected:
    SessionArchiveFilesTest() : commands(sim.Session(), sim.Root()) {
        commands.SelectedPort = sim.PortName();
        sim.Session().ReadDirectoryTree(sim.Root());
    }

    // A real archive of the simulated memory, as the backup writes it.
    std::string Archive() {
        std::string path = sim.Files().File("good.zqbackup");
        EXPECT_TRUE(commands.BackupToFile(path));
        return FileBytes(path);
    }

    // The bytes of GREETING as a get writes them: a valid K8 file, but one variable.
    std::string VariableFile() {
        const TXPObject* item = FindChild(sim.Root(), "GREETING");
        EXPECT_NE(item, nullptr);
        EXPECT_TRUE(sim.Session().GetVariable("GREETING", "", item->Size, 0));
        std::string bytes = sim.Session().Data;
        sim.Session().Data.clear();
        return bytes;
    }

    SimFixture sim;
    SessionCommands commands;
};

TEST_F(SessionArchiveFilesTest, RefusedFilesLeaveTheCalculatorUntouched) {
    std::string archive = Archive();
    ASSERT_GT(archive.size(), 100u);
    std::string otherSeries = archive;
    otherSeries[5] = '7';
    struct Row {
        const char* fault;
        std::string bytes;
        const char* reason;
    } rows[] = {
        {"empty file", "", "the file is empty"},
        {"one variable", VariableFile(), "not a backup of the calculator's memory"},
        {"truncated archive", archive.substr(0, archive.size() - 40), "incomplete or damaged"},
        {"header cut short", archive.substr(0, 6), "not a calculator file"},
        {"text file", "hello text\n", "not a calculator file"},
        {"other series", otherSeries, "made by a K7 calculator, not a K8"},
    };
    const auto before = sim.Snapshot();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.fault);
        std::string path = sim.Files().File("bad.zqbackup");
        PutFileBytes(path, row.bytes);
        sim.Ui().ClearRecords();
        const zqsim::SimStats stats = sim.Server().Stats();

        Outcome restored = commands.RestoreFromFile(path);
        EXPECT_TRUE(restored.IsFailed());
        EXPECT_NE(restored.message.find(row.reason), std::string::npos) << restored.message;
        EXPECT_NE(restored.message.find("bad.zqbackup is not restored"), std::string::npos);
        EXPECT_TRUE(commands.ConfirmRestore(path).IsFailed());
        EXPECT_TRUE(sim.Ui().Prompts().empty()) << "no question about a file that is refused";
        EXPECT_EQ(sim.Server().Stats().packetsReceived, stats.packetsReceived);
        EXPECT_EQ(sim.Server().Stats().blocksReceived, stats.blocksReceived);
    }
    EXPECT_EQ(sim.Snapshot().size(), before.size());
    for (std::size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(sim.Snapshot()[i].bytes, before[i].bytes) << before[i].name;
    }
}

TEST_F(SessionArchiveFilesTest, ArchiveWithPaddingIsAccepted) {
    // An archive whose length could not be measured keeps the transfer's padding.
    std::string padded = Archive() + std::string(100, '\x1A');
    std::string path = sim.Files().File("padded.zqbackup");
    PutFileBytes(path, padded);
    EXPECT_TRUE(CheckArchiveFile(path, "K8").Restorable());
    EXPECT_FALSE(CheckArchiveFile(path, "K7").Restorable());
    EXPECT_FALSE(CheckArchiveFile(sim.Files().File("missing.zqbackup"), "K8").Restorable());
}

TEST_F(SessionArchiveFilesTest, BackupIntoAPlaceThatCannotHoldAFileSaysWhy) {
    std::string notAFolder = sim.Files().File("plain");
    PutFileBytes(notAFolder, "x");
    std::string path = notAFolder + "/memory.zqbackup";
    int commandsBefore = sim.Server().Stats().commandsExecuted;
    Outcome written = commands.BackupToFile(path);
    EXPECT_EQ(written.kind, Outcome::Kind::FileError);
    EXPECT_EQ(written.message, "Error (Unable to write file " + path + ": Not a directory)");
    EXPECT_TRUE(sim.Session().Data.empty());
    EXPECT_EQ(sim.Server().Stats().commandsExecuted, commandsBefore) << "checked before the backup";
}

}  // namespace
}  // namespace vaddex::test
