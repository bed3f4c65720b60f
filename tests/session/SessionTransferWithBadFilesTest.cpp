// Gets and puts whose PC file fails them: a target that cannot be written after the transfer
// worked, a text that cannot be made, a file that is gone or sent as binary on the user's
// word, and a temporary file that cannot be written.

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>

#include "session/SessionBTestSupport.h"
#include "session/SessionPaths.h"
#include "support/TraceRecorder.h"
#include "util/Errors.h"

namespace vaddex::test {
namespace {

class SessionBadFileTest : public ::testing::Test {
protected:
    SessionBadFileTest() { sim.Session().ReadDirectoryTree(sim.Root()); }

    const TXPObject& Item(const std::string& name) {
        const TXPObject* item = FindChild(sim.Root(), name);
        EXPECT_NE(item, nullptr) << name;
        return *item;
    }

    // The message of the error `operation` raises, or "" when it raises none.
    template <typename Operation>
    static std::string ErrorOf(Operation operation) {
        try {
            operation();
        } catch (const LinkError& e) {
            return e.what();
        }
        return "";
    }

    int Letters(char letter) { return sim.Server().Stats().letters[letter]; }

    SimFixture sim;
};

TEST_F(SessionBadFileTest, GetWhoseTargetCannotBeWrittenRaisesAfterTheTransferAndStaysConnected) {
    std::string plain = sim.Files().File("plain");
    PutFileBytes(plain, "a file, not a folder");
    std::string target = plain + "/X.zq";  // not even root can write here
    const TXPObject& x = Item("X");
    int sentBefore = sim.Server().Stats().objectsSent;
    EXPECT_EQ(ErrorOf([&] { sim.Session().GetToFile("X", target, x.Size, x.TypeCode); }),
              "Error (Unable to write file " + target + ": " + std::strerror(ENOTDIR) + ")");
    EXPECT_EQ(sim.Server().Stats().objectsSent, sentBefore + 1);
    EXPECT_TRUE(sim.Ui().Connected()) << "the link did not fail";
    EXPECT_EQ(FileBytes(plain), "a file, not a folder");
    std::string good = sim.Files().File("X.zq");
    ASSERT_TRUE(sim.Session().GetToFile("X", good, x.Size, x.TypeCode));
    EXPECT_EQ(FileBytes(good).substr(8), sim.FindObject("HOME X").value_or("?"));
}

// The calculator's text of a variable comes back in $$$t; when what arrives there is not the
// string the script stores, no text file can be made of it and the user is told.
TEST_F(SessionBadFileTest, TextGetWhoseTextCannotBeMadeRaisesKeepsTheFileAndPurgesItsVariable) {
    std::string path = sim.Files().File("GREETING.txt");
    PutFileBytes(path, "an older copy");
    std::string real = sim.FindObject("HOME X").value_or("");
    ASSERT_FALSE(real.empty());
    int packetsBefore = sim.Server().Stats().packetsReceived;
    int executedBefore = sim.Server().Stats().commandsExecuted;
    bool replaced = false;
    // Once the text script has run on the calculator, $$$t is made a real number.
    sim.Ui().SetOnIdle([&] {
        if (replaced || sim.Server().Stats().packetsReceived == packetsBefore) {
            return;
        }
        ASSERT_TRUE(sim.Server().WaitFor(
            [&](const zqsim::SimStats& s) { return s.commandsExecuted > executedBefore; }, 5000));
        ASSERT_TRUE(sim.StoreAt("HOME $$$t", real));
        replaced = true;
    });
    TraceRecorder trace;
    sim.State().textMode = true;
    const TXPObject& greeting = Item("GREETING");
    EXPECT_EQ(ErrorOf([&] {
                  sim.Session().GetToFile("GREETING", path, greeting.Size, greeting.TypeCode);
              }),
              "Error (the text of GREETING did not arrive whole (Not a string object); nothing was "
              "written)");
    sim.Ui().SetOnIdle({});
    ASSERT_TRUE(replaced);
    EXPECT_TRUE(trace.Contains("Text form of GREETING failed: Not a string object"));
    EXPECT_EQ(FileBytes(path), "an older copy");
    EXPECT_FALSE(sim.FindObject("HOME $$$t").has_value());
    EXPECT_TRUE(sim.Ui().Connected());
}

TEST_F(SessionBadFileTest, SendAsBinaryAnswerSendsTheFileAsItIs) {
    std::string path = sim.Files().File("plain.doc");
    std::string bytes = "no header, but the user says it is binary";
    PutFileBytes(path, bytes);
    sim.Ui().QueueWrongFileAnswer(kWrongFileBinary);
    int puts = Letters('P');
    int commands = Letters('E');
    bool replaceAll = false;
    EXPECT_TRUE(sim.Session().PutFile("PLAIN", path, "", false, replaceAll, 1));
    EXPECT_EQ(sim.Ui().Count("AskWrongFile(" + path + "|doc|true)"), 1);
    EXPECT_EQ(Letters('P'), puts + 1);
    EXPECT_EQ(Letters('E'), commands) << "a text put would have sent its script";
    // The simulated calculator finds no object file in what arrived and stores nothing.
    EXPECT_EQ(sim.Server().Stats().lastOutcome, "not an object: PLAIN");
    EXPECT_FALSE(sim.FindObject("HOME PLAIN").has_value());
}

TEST_F(SessionBadFileTest, TextPutOfAFileGoneWhileTheQuestionShowedRaisesAndSendsNothing) {
    std::string path = sim.Files().File("notes.doc");
    PutFileBytes(path, "\"a short text\"");
    sim.Ui().QueueWrongFileAnswer(kWrongFileText);
    sim.Ui().SetOnIdle([&] {
        if (sim.Ui().Count("AskWrongFile(") > 0) {
            DeleteFileIfExists(path);
        }
    });
    int puts = Letters('P');
    int commands = Letters('E');
    bool replaceAll = false;
    EXPECT_EQ(ErrorOf([&] { sim.Session().PutFile("NOTES", path, "", false, replaceAll, 1); }),
              "Error (Unable to open file " + path + " " + std::to_string(ENOENT) + ")");
    sim.Ui().SetOnIdle({});
    EXPECT_EQ(Letters('P'), puts);
    EXPECT_EQ(Letters('E'), commands);
    EXPECT_TRUE(sim.Ui().Connected());
}

// A folder where the temporary file of a long text must go: the temporary file is written
// beside it and cannot take its place.
TEST_F(SessionBadFileTest, LongTextWhoseTemporaryFileCannotBeWrittenRaisesAndSendsNothing) {
    std::string tempPath = LongTextTempPath(sim.Session().PortName);
    ASSERT_TRUE(std::filesystem::create_directory(tempPath));
    PutFileBytes(tempPath + "/inside", "keeps the folder non-empty");
    struct RemoveFolder {
        std::string path;
        ~RemoveFolder() { std::filesystem::remove_all(path); }
    } removeFolder{tempPath};
    std::string path = sim.Files().File("long.txt");
    PutFileBytes(path, "%%ZQ: T(3)A(D)F(.);\r\n\"" + PatternText(400) + "\"\r\n");
    int puts = Letters('P');
    int commands = Letters('E');
    bool replaceAll = false;
    EXPECT_EQ(ErrorOf([&] { sim.Session().PutFile("LONG", path, "", false, replaceAll, 1); }),
              "Error (Unable to open file " + tempPath + " " + std::to_string(EISDIR) + ")");
    EXPECT_EQ(Letters('P'), puts);
    EXPECT_EQ(Letters('E'), commands);
    EXPECT_FALSE(sim.FindObject("HOME LONG").has_value());
    int leftovers = 0;
    for (const auto& entry : std::filesystem::directory_iterator(FolderOf(tempPath))) {
        leftovers += entry.path().string().rfind(tempPath + ".", 0) == 0 ? 1 : 0;
    }
    EXPECT_EQ(leftovers, 0) << "a temporary file of the write stayed behind";
}

}  // namespace
}  // namespace vaddex::test
