// What the session refuses so that no command line is hijacked by a name, no wrong object is
// written as good, and no put is started that cannot fit.

#include <gtest/gtest.h>

#include "session/SessionBTestSupport.h"
#include "util/Errors.h"

namespace vaddex::test {
namespace {

class SessionDataSafetyTest : public ::testing::Test {
protected:
    SessionDataSafetyTest() {
        sim.Session().ReadDirectoryTree(sim.Root());
        // Whoever answers the improper-name question says go on: the refusal must not rest
        // on that answer.
        sim.Ui().SetDefaultPromptAnswer(true);
    }

    std::string Home(const std::string& name) {
        return sim.FindObject("HOME " + name).value_or("");
    }

    // Runs the operation, which must raise an OperationError whose text holds `why`.
    static void ExpectRefused(const std::function<void()>& operation, const std::string& why) {
        try {
            operation();
            ADD_FAILURE() << "not refused";
        } catch (const OperationError& e) {
            EXPECT_NE(std::string(e.what()).find(why), std::string::npos) << e.what();
        }
    }

    bool PutFile(const std::string& name, const std::string& file, const std::string& bytes) {
        std::string path = sim.Files().File(file);
        PutFileBytes(path, bytes);
        bool replaceAll = false;
        return sim.Session().PutFile(name, path, "", false, replaceAll, 1).IsDone();
    }

    SimFixture sim;
};

TEST_F(SessionDataSafetyTest, NamesThatWouldRunCommandsAreRefusedBeforeAnythingIsSent) {
    const std::string kText = "%%ZQ: T(3)A(D)F(.);\r\n\"text\"\r\n";
    const std::string kBinary = "ZQZQK8-C" + Home("X");
    std::vector<zqsim::SimVariableInfo> before = sim.Snapshot();
    zqsim::SimStats statsBefore = sim.Server().Stats();
    TXModemServer& session = sim.Session();

    ExpectRefused([&] { session.Purge("Q' 'N", false); }, "holds a quote");
    ExpectRefused([&] { session.MoveVar("X", "Y' 'N", false); }, "holds a quote");
    ExpectRefused([&] { session.MoveVar("X' 'N", "Y", false); }, "holds a quote");
    ExpectRefused([&] { session.MakeDir("D N"); }, "blank");
    ExpectRefused([&] { session.ChangeDir("HOME X' 'N"); }, "holds a quote");
    ExpectRefused([&] { PutFile("Z' 'X", "z.txt", kText); }, "holds a quote");
    ExpectRefused([&] { PutFile("A\\010B", "nl.zq", kBinary); }, "line break");
    ExpectRefused([&] { PutFile("P\\<<N PURGE\\>>", "p.zq", kBinary); }, "program delimiter");
    ExpectRefused([&] { PutFile("A}B", "b.zq", kBinary); }, "ends a name");
    ExpectRefused([&] { PutFile("HOME", "HOME.zq", kBinary); }, "top directory");
    ExpectRefused([&] { session.MakeDir("HOME"); }, "top directory");
    sim.State().textMode = true;
    ExpectRefused([&] { session.GetToFile("X^039 ^039N", sim.Files().File("t.txt"), 10, 32); },
                  "holds a quote");

    zqsim::SimStats statsAfter = sim.Server().Stats();
    EXPECT_EQ(statsAfter.commandsExecuted, statsBefore.commandsExecuted);
    EXPECT_EQ(statsAfter.letters['P'], statsBefore.letters['P']);
    EXPECT_EQ(sim.Snapshot().size(), before.size());
    EXPECT_TRUE(sim.Ui().Connected());
}

// The listing shows a calculator name that ends in a backslash with two: a put of that name
// must make that very variable, so that the put can be checked against the listing.
TEST_F(SessionDataSafetyTest, NameEndingInABackslashReachesTheCalculatorAsListed) {
    const std::string kBinary = "ZQZQK8-C" + Home("X");
    ASSERT_TRUE(PutFile("A\\\\", "a.zq", kBinary));
    EXPECT_EQ(Home("A\\"), Home("X"));
    EXPECT_FALSE(sim.FindObject("HOME A\\\\").has_value());
    sim.Session().ReadDirectoryTree(sim.Root());
    EXPECT_NE(FindChild(sim.Root(), "A\\\\"), nullptr);
    sim.Session().Purge("A\\\\", false);
    EXPECT_FALSE(sim.FindObject("HOME A\\").has_value());
}

TEST_F(SessionDataSafetyTest, NamesWithIncompleteEscapesAreRefusedBeforeAnythingIsSent) {
    const std::string kBinary = "ZQZQK8-C" + Home("X");
    zqsim::SimStats before = sim.Server().Stats();
    TXModemServer& session = sim.Session();
    ExpectRefused([&] { PutFile("A\\", "a.zq", kBinary); },
                  "the name A\\ cannot be sent: it ends in a backslash that escapes nothing");
    ExpectRefused([&] { PutFile("A\\qB", "q.zq", kBinary); }, "backslash before q");
    ExpectRefused([&] { session.MakeDir("D\\"); }, "ends in a backslash");
    ExpectRefused([&] { session.MoveVar("X", "Y\\z", false); }, "backslash before z");
    zqsim::SimStats after = sim.Server().Stats();
    EXPECT_EQ(after.commandsExecuted, before.commandsExecuted);
    EXPECT_EQ(after.letters['P'], before.letters['P']);
}

TEST_F(SessionDataSafetyTest, ShortTextHoldingANulArrivesWhole) {
    std::string body("a\0b\\000c", 8);
    ASSERT_TRUE(PutFile("NUL", "nul.txt", "%%ZQ: T(3)A(D)F(.);\r\n\"" + body + "\"\r\n"));
    EXPECT_EQ(Home("NUL"), PackedString(std::string("a\0b\0c", 5)));
}

TEST_F(SessionDataSafetyTest, PutLargerThanTheFreeMemoryIsRefusedWithBothSizes) {
    std::string file = WrapAsStringObject(PatternText(40000), "K8");
    std::string free = sim.Session().FreeMemory();
    int putsBefore = sim.Server().Stats().letters['P'];
    ExpectRefused([&] { PutFile("HUGE", "huge.zq", file); },
                  "holds " + std::to_string(file.size()) + " bytes but the calculator has only " +
                      free + " bytes free");
    EXPECT_EQ(sim.Server().Stats().letters['P'], putsBefore);
    EXPECT_TRUE(sim.Ui().Connected());
}

// With the one-byte checksum a damaged object can pass every block check: what does not
// measure as the listing says is no file.
TEST_F(SessionDataSafetyTest, ChecksumGetThatDisagreesWithTheListingWritesNoFile) {
    sim.State().transfer.receiveCRC = false;
    const TXPObject* greeting = FindChild(sim.Root(), "GREETING");
    ASSERT_NE(greeting, nullptr);
    std::string path = sim.Files().File("GREETING.zq");
    ExpectRefused(
        [&] { sim.Session().GetToFile("GREETING", path, greeting->Size + 3, greeting->TypeCode); },
        "listing gives " + std::to_string(greeting->Size + 3 + 8));
    EXPECT_FALSE(FileExists(path));

    // Cut shorter than the object, it cannot be measured.
    ExpectRefused(
        [&] { sim.Session().GetToFile("GREETING", path, greeting->Size - 3, greeting->TypeCode); },
        "cannot be measured");
    EXPECT_FALSE(FileExists(path));

    ASSERT_TRUE(sim.Session().GetToFile("GREETING", path, greeting->Size, greeting->TypeCode));
    EXPECT_EQ(FileBytes(path).substr(8), Home("GREETING"));
}

}  // namespace
}  // namespace vaddex::test
