#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "session/PtyCalculator.h"
#include "support/SimFixture.h"
#include "util/Errors.h"
#include "util/Ticks.h"

namespace vaddex::test {
namespace {

class PacketTest : public PtyCalculatorTest {
protected:
    PacketTest() {
        session.OnStatus = [this](TXModemServer&, const std::string& text) {
            ui.RecordStatus(text);
        };
    }
};

TEST_F(PacketTest, SentPacketCarriesBigEndianLengthDataAndSum) {
    std::string got;
    std::string gotEmpty;
    PlayCalculator([&] {
        got = peer.Read(6, 5000);
        peer.Write(std::string(1, kAck));
        gotEmpty = peer.Read(3, 5000);
        peer.Write(std::string(1, kAck));
    });
    session.SendPacket("abc");
    session.SendPacket("");
    Join();
    EXPECT_EQ(got, std::string("\x00\x03"
                               "abc\x26",
                               6));
    EXPECT_EQ(gotEmpty, std::string(3, '\0'));
}

TEST_F(PacketTest, BackslashEscapesReachTheCalculatorAsItsOwnBytes) {
    std::string got;
    PlayCalculator([&] {
        got = peer.Read(7, 5000);
        peer.Write(std::string(1, kAck));
    });
    session.SendPacket("A\\->B\\065");
    Join();
    EXPECT_EQ(got, Packet("A\x8D"
                          "BA"));
}

TEST_F(PacketTest, LeadingZeroBeforeAckIsSkipped) {
    PlayCalculator([&] {
        peer.Read(6, 5000);
        peer.Write(std::string("\x00\x06", 2));
    });
    session.SendPacket("abc");
    Join();
    EXPECT_EQ(peer.Read(1, 300), "") << "an accepted packet is not written again";
}

TEST_F(PacketTest, RejectedPacketIsWrittenAgainAfterTheInputWasCleared) {
    int writes = 0;
    PlayCalculator([&] {
        // 00 00, then a stray NAK, then an unknown byte: three failures, then ACK.
        for (const std::string& reply :
             {std::string(2, '\0'), std::string(1, kNak), std::string("x"), std::string(1, kAck)}) {
            if (peer.Read(6, 8000) == Packet("abc")) {
                ++writes;
                peer.Write(reply);
            }
        }
    });
    session.SendPacket("abc");
    Join();
    EXPECT_EQ(writes, 4);
    EXPECT_EQ(ui.Count("Status(Connection Error.\r\nPlease check your connections.)"), 3);
}

TEST_F(PacketTest, SixRejectionsRaiseTheConnectionErrorAfterTheSixthWrite) {
    int writes = 0;
    PlayCalculator([&] {
        for (int i = 0; i < 6; ++i) {
            if (peer.Read(6, 8000) == Packet("abc")) {
                ++writes;
                peer.Write(std::string(1, kNak));
            }
        }
    });
    EXPECT_THROW(session.SendPacket("abc"), ConnectionError);
    Join();
    EXPECT_EQ(writes, 6);
    EXPECT_EQ(peer.Read(1, 500), "") << "nothing is written after the sixth rejection";
    EXPECT_EQ(ui.Count("SetConnected(false)"), 1);
}

TEST_F(PacketTest, FiveRejectionsThenAckSucceed) {
    int writes = 0;
    PlayCalculator([&] {
        for (int i = 0; i < 6; ++i) {
            if (peer.Read(6, 8000) == Packet("abc")) {
                ++writes;
                peer.Write(std::string(1, i < 5 ? kNak : kAck));
            }
        }
    });
    EXPECT_NO_THROW(session.SendPacket("abc"));
    Join();
    EXPECT_EQ(writes, 6);
}

TEST_F(PacketTest, ReceivedPacketWithBadSumIsRefusedAndReadAgain) {
    std::string answers;
    PlayCalculator([&] {
        std::string bad = Packet("12345");
        bad.back() = static_cast<char>(bad.back() + 1);
        peer.Write(bad);
        answers += peer.Read(1, 8000);
        peer.Write(Packet("12345"));
        answers += peer.Read(1, 8000);
    });
    EXPECT_EQ(session.ReceivePacket(), "12345");
    Join();
    EXPECT_EQ(answers, (std::string{kNak, kAck}));
}

TEST_F(PacketTest, SixBadReceivedPacketsRaiseTheConnectionError) {
    int naks = 0;
    PlayCalculator([&] {
        std::string bad = Packet("x");
        bad.back() = 0;
        for (int i = 0; i < 6; ++i) {
            peer.Write(bad);
            naks += peer.Read(1, 8000) == std::string(1, kNak) ? 1 : 0;
        }
    });
    EXPECT_THROW(session.ReceivePacket(), ConnectionError);
    Join();
    EXPECT_EQ(naks, 6);
}

TEST_F(PacketTest, SilentCalculatorGetsANakAndSendsAgain) {
    std::string answers;
    PlayCalculator([&] {
        answers += peer.Read(1, 8000);  // nothing is sent until the PC gives up on the size
        peer.Write(Packet("V1"));
        answers += peer.Read(1, 8000);
    });
    link.SetShortTimeouts();  // as while connecting, so four misses take well under a second
    EXPECT_EQ(session.ReceivePacket(), "V1");
    Join();
    EXPECT_EQ(answers, (std::string{kNak, kAck}));
}

TEST_F(PacketTest, EmptyAnswerPacketIsReceivedAndAcknowledged) {
    std::string answer;
    PlayCalculator([&] {
        peer.Write(std::string(3, '\0'));
        answer = peer.Read(1, 5000);
    });
    EXPECT_EQ(session.ReceivePacket(), "");
    Join();
    EXPECT_EQ(answer, std::string(1, kAck));
}

TEST_F(PacketTest, FreeMemoryIsCutAtTheCalculatorsDecimalMark) {
    struct Row {
        const char* flags;
        const char* answer;
        const char* expected;
    };
    for (const Row& row : {Row{"10", "12345.5", "12345"}, Row{"11", "12345,5", "12345"},
                           Row{"11", "12345.5", "12345.5"}}) {
        state.calculatorFlags = row.flags;
        PlayCalculator([&] {
            if (peer.Read(1, 5000) == "M") {
                peer.Write(Packet(row.answer));
                peer.Read(1, 5000);
            }
        });
        EXPECT_EQ(session.FreeMemory(), row.expected) << row.answer << " with flags " << row.flags;
        Join();
    }
}

// --- the waiting loop against the simulator -------------------------------------------------

// A WAIT that keeps the simulated calculator busy for about `seconds` of real time.
std::string BusyFor(const SimFixture& sim, double seconds) {
    return std::to_string(static_cast<int>(seconds / sim.Options().server.timeScale)) + " WAIT";
}

int Letters(SimFixture& sim, char letter) {
    return sim.Server().Stats().letters[static_cast<unsigned char>(letter)];
}

class WaitTest : public ::testing::TestWithParam<zqsim::Personality> {
protected:
    static SimFixtureOptions Options(zqsim::Personality personality) {
        SimFixtureOptions options;
        options.personality = personality;
        return options;
    }
    SimFixture sim{Options(GetParam())};
};

TEST_P(WaitTest, EmptyCommandSendsNoLetterEButStillPolls) {
    int executed = Letters(sim, 'E');
    int polls = Letters(sim, 'M');
    sim.Session().Execute("", false, true);
    EXPECT_EQ(Letters(sim, 'E'), executed);
    EXPECT_GT(Letters(sim, 'M'), polls);
}

TEST_P(WaitTest, ExecuteWaitsUntilTheCalculatorIsDone) {
    sim.Session().Execute("1 2 +", false, true);
    std::vector<std::string> stack;
    sim.WithCalculator([&](zqsim::SimCalculator& calculator) { stack = calculator.StackTexts(); });
    ASSERT_EQ(stack.size(), 1u);
    EXPECT_EQ(stack[0], "3.");
    EXPECT_FALSE(sim.Server().Stats().busy);
}

TEST_P(WaitTest, WorkingWindowIsSkippedWhileConnecting) {
    sim.Ui().ShowConnectStatus();
    sim.Session().Execute("1 DROP", true, true);
    EXPECT_EQ(sim.Ui().Count("Working(true)"), 0);
    EXPECT_EQ(Letters(sim, 'E'), 3);  // identification, purge of $$$t, this one
}

TEST_P(WaitTest, CancelInTheWorkingWindowEndsTheWaitDisconnected) {
    sim.Ui().CancelAfterMs(300);
    std::int64_t start = TickMs();
    try {
        sim.Session().Execute(BusyFor(sim, 30), true, true);
        ADD_FAILURE() << "the wait was not cancelled";
    } catch (const ConnectionError& e) {
        EXPECT_STREQ(e.what(), "Connection Error.\r\nPlease check your connections.");
    }
    EXPECT_LT(TickMs() - start, 5000);
    EXPECT_FALSE(sim.Ui().Connected());
    EXPECT_FALSE(sim.Ui().IsWorkingWindowVisible());
    EXPECT_TRUE(sim.Link().IsOpen()) << "the port stays open until the next connect";
}

INSTANTIATE_TEST_SUITE_P(OverPtyAndFifo, WaitTest,
                         ::testing::Values(zqsim::Personality::K8, zqsim::Personality::K8GPlus),
                         [](const auto& info) {
                             return info.param == zqsim::Personality::K8 ? "Pty" : "Fifo";
                         });

TEST(WaitLimitTest, WithoutTheWorkingWindowTheWaitEndsAfterAboutNineSeconds) {
    SimFixture sim;
    std::int64_t start = TickMs();
    EXPECT_THROW(sim.Session().Execute(BusyFor(sim, 30), false, true), ConnectionError);
    std::int64_t elapsed = TickMs() - start;
    EXPECT_GE(elapsed, 9000);
    EXPECT_LT(elapsed, 13000);
}

TEST(WaitLimitTest, WithTheWorkingWindowTheWaitOutlastsTwentySeconds) {
    SimFixture sim;
    std::int64_t start = TickMs();
    EXPECT_NO_THROW(sim.Session().Execute(BusyFor(sim, 21), true, true));
    EXPECT_GE(TickMs() - start, 20000);
    EXPECT_TRUE(sim.Ui().Connected());
    EXPECT_EQ(sim.Ui().Count("Working(true)"), 1);
    EXPECT_FALSE(sim.Ui().IsWorkingWindowVisible());
}

}  // namespace
}  // namespace vaddex::test
