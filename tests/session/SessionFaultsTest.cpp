// Link faults injected by the simulator during gets and puts. Every plan names its seed, so
// the bytes hit are the same on every run.

#include <gtest/gtest.h>

#include <filesystem>

#include "link/SentThenFailedError.h"
#include "session/SessionBTestSupport.h"
#include "session/SessionPaths.h"
#include "util/Errors.h"
#include "util/Ticks.h"

namespace vaddex::test {
namespace {

using zqsim::FaultPlan;
using zqsim::TransportKind;

constexpr std::size_t kBigText = 100 * 1000;

class SessionFaultsTest : public ::testing::TestWithParam<TransportKind> {
protected:
    SessionFaultsTest() : sim(Options()) {
        bigText = PatternText(kBigText);
        EXPECT_TRUE(sim.StoreAt("HOME BIG", PackedString(bigText)));
        sim.Session().ReadDirectoryTree(sim.Root());
        big = FindChild(sim.Root(), "BIG");
        EXPECT_NE(big, nullptr);
    }

    static SimFixtureOptions Options() {
        SimFixtureOptions options = RoomyCalculator(GetParam());
        if (GetParam() == TransportKind::Fifo) {
            options.personality = zqsim::Personality::K8GPlus;
        }
        return options;
    }

    static FaultPlan Corrupt(std::uint64_t seed, double rate) {
        FaultPlan plan;
        plan.seed = seed;
        plan.corruptIn = rate;
        plan.corruptOut = rate;
        return plan;
    }

    // The get as the front end makes it: true when the file is there.
    bool GetBig(const std::string& path) {
        return sim.Session().GetToFile("BIG", path, big->Size, big->TypeCode).IsDone();
    }

    bool PutBig(const std::string& name, const std::string& path) {
        bool replaceAll = false;
        return sim.Session().PutFile(name, path, "", false, replaceAll, 1).IsDone();
    }

    // Runs a transfer that must fail on its thread: the thread reports the connection error
    // in the progress window and the operation returns false, raising nothing.
    void ExpectConnectionFailure(const std::function<bool()>& operation) {
        sim.Ui().ClearRecords();
        bool result = true;
        EXPECT_NO_THROW(result = operation());
        EXPECT_FALSE(result);
        bool reported = false;
        for (const auto& report : sim.Ui().Reports()) {
            reported = reported || (report.kind == 0 && report.text == kConnectionErrorText);
        }
        EXPECT_TRUE(reported) << "the progress window showed no connection error";
        EXPECT_FALSE(sim.Ui().Connected());
    }

    // The cable is pulled during the operation: it ends within a short time of the pull, the
    // progress window names the port and the reason, and the session is disconnected.
    void ExpectPortGone(const std::function<bool()>& operation) {
        sim.Ui().ClearRecords();
        std::int64_t pullTick = 0;
        sim.Ui().SetOnIdle([&] {
            if (pullTick == 0 && sim.Server().Stats().mode == zqsim::SimMode::Pulled) {
                pullTick = TickMs();
            }
        });
        bool result = true;
        EXPECT_NO_THROW(result = operation());
        std::int64_t endTick = TickMs();
        sim.Ui().SetOnIdle({});
        EXPECT_FALSE(result);
        ASSERT_NE(pullTick, 0) << "the cable was not pulled during the operation";
        EXPECT_LT(endTick - pullTick, 4000) << "the loss was not seen at once";
        RecordProperty("msFromPullToFailure", static_cast<int>(endTick - pullTick));
        std::string gone = "The calculator's port " + sim.PortName() + " is gone (";
        bool reported = false;
        for (const auto& report : sim.Ui().Reports()) {
            reported = reported || (report.kind == 0 && report.text.rfind(gone, 0) == 0);
        }
        EXPECT_TRUE(reported) << "the progress window did not say the port is gone";
        EXPECT_FALSE(sim.Ui().Connected());
        EXPECT_FALSE(sim.Session().IsConnected());
    }

    static std::size_t FilesIn(const std::string& folder) {
        std::size_t count = 0;
        for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) {
            ++count;
        }
        return count;
    }

    std::string Home(const std::string& name) {
        return sim.FindObject("HOME " + name).value_or("");
    }

    SimFixture sim;
    std::string bigText;
    const TXPObject* big = nullptr;
};

TEST_P(SessionFaultsTest, RareDamageBothWaysIsRetriedAndTheDataArriveExact) {
    std::string path = sim.Files().File("BIG.zq");
    sim.Server().SetFaultPlan(Corrupt(7, 1e-4));
    ASSERT_TRUE(GetBig(path));
    EXPECT_EQ(FileBytes(path).substr(8), Home("BIG"));
    zqsim::SimStats afterGet = sim.Server().Stats();

    sim.Server().SetFaultPlan(Corrupt(11, 1e-4));
    ASSERT_TRUE(PutBig("BIG2", path));
    EXPECT_EQ(Home("BIG2"), PackedString(bigText));
    zqsim::SimStats afterPut = sim.Server().Stats();
    EXPECT_GT(afterGet.blockResends + afterPut.blocksRejected, 0) << "the plan damaged nothing";
}

TEST_P(SessionFaultsTest, FrequentDamageFailsTheGetCleanlyKeepingTheOlderFile) {
    std::string path = sim.Files().File("BIG.zq");
    PutFileBytes(path, "an older copy");
    sim.Server().SetFaultPlan(Corrupt(3, 1e-2));
    ExpectConnectionFailure([&] { return GetBig(path); });
    EXPECT_EQ(FileBytes(path), "an older copy");
}

TEST_P(SessionFaultsTest, FrequentDamageFailsThePutCleanlyWithoutPartialVariable) {
    std::string path = sim.Files().File("big.zq");
    PutFileBytes(path, "ZQZQK8-C" + PackedString(bigText));
    sim.Server().SetFaultPlan(Corrupt(5, 1e-2));
    ExpectConnectionFailure([&] { return PutBig("BIG3", path); });
    sim.Server().SetFaultPlan({});
    EXPECT_FALSE(sim.FindObject("HOME BIG3").has_value());
}

// On the serial line the silence is waited out and the block sent again; on the USB device
// 2500 ms of silence with no window explaining it is a lost link, so the put fails cleanly.
TEST_P(SessionFaultsTest, LostAckOfABlockIsRepeatedOnSerialAndEndsTheUsbLink) {
    std::string path = sim.Files().File("big.zq");
    PutFileBytes(path, "ZQZQK8-C" + PackedString(bigText));
    FaultPlan plan;
    plan.seed = 1;
    plan.loseAckBlock = 3;
    sim.Server().SetFaultPlan(plan);
    if (GetParam() == TransportKind::Pty) {
        ASSERT_TRUE(PutBig("BIG4", path));
        EXPECT_EQ(Home("BIG4"), PackedString(bigText));
        EXPECT_EQ(sim.Server().Stats().duplicateBlocks, 1);
    } else {
        ExpectConnectionFailure([&] { return PutBig("BIG4", path); });
        EXPECT_FALSE(sim.FindObject("HOME BIG4").has_value());
    }
}

TEST_P(SessionFaultsTest, CablePulledDuringGetKeepsTheOlderFile) {
    std::string path = sim.Files().File("BIG.zq");
    PutFileBytes(path, "an older copy");
    FaultPlan plan;
    plan.seed = 1;
    plan.pullAfterBytes = 50000;
    sim.Server().SetFaultPlan(plan);
    if (GetParam() == TransportKind::Pty) {
        ExpectPortGone([&] { return GetBig(path); });
    } else {
        ExpectConnectionFailure([&] { return GetBig(path); });
    }
    EXPECT_EQ(FileBytes(path), "an older copy");
    EXPECT_EQ(FilesIn(sim.Files().Path()), 1u) << "a temporary file stayed behind";
}

TEST_P(SessionFaultsTest, CablePulledDuringPutLeavesNoVariable) {
    if (GetParam() != TransportKind::Pty) {
        GTEST_SKIP() << "a FIFO pair has no hang-up to see";
    }
    std::string path = sim.Files().File("big.zq");
    std::string file = "ZQZQK8-C" + PackedString(bigText);
    PutFileBytes(path, file);
    FaultPlan plan;
    plan.seed = 1;
    plan.pullAfterBytes = 40;  // a few block acknowledgements into the transfer
    sim.Server().SetFaultPlan(plan);
    ExpectPortGone([&] { return PutBig("BIG5", path); });
    EXPECT_FALSE(sim.FindObject("HOME BIG5").has_value());
    EXPECT_EQ(FileBytes(path), file);
}

// The calculator took the whole object, then the cable went: the put is not called a failure
// to open anything, but one after the object was stored.
TEST_P(SessionFaultsTest, CablePulledAfterThePutsDataSaysTheObjectWasStored) {
    if (GetParam() != TransportKind::Pty) {
        GTEST_SKIP() << "a FIFO pair has no hang-up to see";
    }
    std::string path = sim.Files().File("big.zq");
    PutFileBytes(path, "ZQZQK8-C" + PackedString(bigText));
    bool transferSeen = false;
    bool pulled = false;
    sim.Ui().SetOnIdle([&] {
        transferSeen = transferSeen || sim.Ui().IsStatusVisible();
        if (transferSeen && !pulled && !sim.Ui().IsStatusVisible()) {
            pulled = true;
            sim.Server().PullCable();
        }
    });
    try {
        PutBig("BIG6", path);
        ADD_FAILURE() << "the lost line went unnoticed";
    } catch (const SentThenFailedError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("BIG6 was stored on the calculator, but then the "
                                              "line failed (The calculator's port ",
                                              0),
                  0u)
            << e.what();
    }
    sim.Ui().SetOnIdle({});
    EXPECT_TRUE(pulled);
    EXPECT_TRUE(sim.FindObject("HOME BIG6").has_value()) << "the message would be wrong";
}

// A long text whose temporary variable does not arrive must not be parsed and reported sent.
TEST_P(SessionFaultsTest, LongTextWhoseVariableFailedToArriveRaisesTheConnectionError) {
    std::string path = sim.Files().File("long.txt");
    PutFileBytes(path, "%%ZQ: T(3)A(D)F(.);\r\n\"" + PatternText(5000) + "\"\r\n");
    auto damage = DamageFirstTransfer(sim, 9);
    bool replaceAll = false;
    EXPECT_THROW(sim.Session().PutFile("LONG", path, "", false, replaceAll, 1), ConnectionError);
    sim.Ui().SetOnIdle({});
    EXPECT_TRUE(damage->done);
    EXPECT_FALSE(sim.FindObject("HOME LONG").has_value());
    EXPECT_FALSE(FileExists(LongTextTempPath(sim.Session().PortName)));
}

// Pulled while nothing runs: the windows show the port gone within 2 s, without waiting for
// the user's next command to find out.
TEST_P(SessionFaultsTest, ACablePulledAtRestIsNoticed) {
    ASSERT_TRUE(sim.Session().IsConnected());
    sim.Ui().ClearRecords();
    sim.Server().PullCable();
    std::int64_t start = TickMs();
    while (sim.Ui().Connected() && TickMs() - start < 2000) {
        Pause(20);
        sim.Ui().ProcessEvents();
    }
    EXPECT_FALSE(sim.Ui().Connected());
    const auto& messages = sim.Ui().Messages();
    ASSERT_EQ(messages.size(), 1U);
    EXPECT_EQ(messages[0].text.rfind("The calculator's port " + sim.PortName() + " is gone", 0), 0U)
        << messages[0].text;
}

INSTANTIATE_TEST_SUITE_P(Links, SessionFaultsTest,
                         ::testing::Values(TransportKind::Pty, TransportKind::Fifo),
                         [](const auto& info) {
                             return info.param == TransportKind::Pty ? "Pty" : "Fifo";
                         });

}  // namespace
}  // namespace vaddex::test
