#include <chrono>

#include "SimServerFixture.h"
#include "util/Ticks.h"

namespace zqsim::test {
namespace {

TEST_F(SimServerTest, AnswerLettersSendTheModelsPacketsAndWaitForAck) {
    Serve();
    calculator.variables["AB"] = "xyz";
    pc.Write("V");
    EXPECT_EQ(ReadPacket(), "FAKE SERVER 1.0");
    pc.Write(std::string(1, kAckByte) + "M");
    EXPECT_EQ(ReadPacket(), "12345.5");
    pc.Write(std::string(1, kAckByte) + "l");
    EXPECT_EQ(ReadPacket(), std::string("\x02"
                                        "AB\x2C\x2A\x06\0\0\0\0",
                                        10));
    pc.Write(std::string(1, kAckByte));
    EXPECT_TRUE(WaitFor([](const SimStats& s) { return s.packetsSent == 3; }));
}

TEST_F(SimServerTest, NakedAnswerPacketIsSentAgain) {
    Serve();
    pc.Write("V");
    std::string first = ReadPacket();
    pc.Write(std::string(1, kNakByte));
    EXPECT_EQ(ReadPacket(), first);
    pc.Write(std::string(1, kAckByte));
    EXPECT_TRUE(
        WaitFor([](const SimStats& s) { return s.packetsSent == 1 && s.packetResends == 1; }));
}

TEST_F(SimServerTest, CommandLineIsAcknowledgedThenEvaluated) {
    Serve();
    Send('E', "1 2 +");
    EXPECT_EQ(pc.Read(1), std::string(1, kAckByte));
    ASSERT_TRUE(WaitFor([](const SimStats& s) { return s.commandsExecuted == 1; }));
    server->WithCalculator([&](CalculatorModel&) {
        EXPECT_EQ(calculator.executed, std::vector<std::string>{"1 2 +"});
    });
}

TEST_F(SimServerTest, DamagedCommandPacketIsRejectedUntilItComesWhole) {
    Serve();
    std::string bad = PcPeer::Packet("DROP");
    bad.back() = static_cast<char>(bad.back() + 1);
    pc.Write("E" + bad);
    EXPECT_EQ(pc.Read(1), std::string(1, kNakByte));
    pc.Write(PcPeer::Packet("DROP"));
    EXPECT_EQ(pc.Read(1), std::string(1, kAckByte));
    EXPECT_TRUE(WaitFor(
        [](const SimStats& s) { return s.packetsRejected == 1 && s.lastCommandLine == "DROP"; }));
}

TEST_F(SimServerTest, StrayBytesWhileIdleDoNotDerailTheServer) {
    Serve();
    pc.Write(std::string("\x06\x06\x00\x15", 4));
    pc.Write("V");
    EXPECT_EQ(ReadPacket(), "FAKE SERVER 1.0");
    pc.Write(std::string(1, kAckByte));
    EXPECT_TRUE(WaitFor([](const SimStats& s) { return s.strayBytes == 4 && s.packetsSent == 1; }));
}

TEST_F(SimServerTest, GetOfAnUnknownNameIsRefusedWithCan) {
    Serve();
    Send('G', "NOPE");
    EXPECT_EQ(pc.Read(1), std::string(1, kAckByte));
    pc.Write(std::string(1, kNakByte));
    EXPECT_EQ(pc.Read(3), std::string(3, kCanByte));
    EXPECT_TRUE(WaitFor([](const SimStats& s) { return s.transfersRefused == 1; }));
}

TEST_F(SimServerTest, QuitKeepsServingUnlessToldToLeaveTheServer) {
    Serve();
    pc.Write("QV");
    EXPECT_EQ(ReadPacket(), "FAKE SERVER 1.0");
    pc.Write(std::string(1, kAckByte));
    server->Stop();
    SimServerOptions options = Quick();
    options.quitLeavesServer = true;
    Serve(options);
    pc.Write("Q");
    ASSERT_TRUE(WaitFor([](const SimStats& s) { return s.mode == SimMode::Idle; }));
    pc.Write("V");
    EXPECT_EQ(pc.Read(1, 500), "");
}

// The PC's waiting loop after a command, byte for byte: polls "M" while the calculator is
// busy, ACKs the first answer, then swallows further answers (two on the serial link, until
// silence on USB). Whatever the busy time, the next command must meet a clean server. The
// PC's own reads of further answers wait about 110 ms; here they wait a second, so that a
// simulator held up by a loaded machine is not taken for a wrong one.
class WaitReadyTest : public SimServerTest, public ::testing::WithParamInterface<TransportKind> {
protected:
    static constexpr int kSwallowWaitMs = 1000;

    struct Pulse {
        std::int64_t answeredAfterMs = 0;  // from the command's ACK to the first answer
        int polls = 0;                     // "M" letters written
        int furtherAnswers = 0;            // answers the swallowing reads collected
        std::size_t strayBytes = 0;        // bytes they collected that make no whole answer
    };

    Pulse PulseAfterCommand() {
        Pulse pulse;
        Send('E', "1 WAIT");
        EXPECT_EQ(pc.Read(1), std::string(1, kAckByte));
        std::int64_t start = vaddex::TickMs();
        std::string head;
        int pollMs = GetParam() == TransportKind::Pty ? 210 : 170;
        std::int64_t nextPoll = start;
        while (head.empty() && vaddex::TickMs() - start < 9000) {
            if (vaddex::TickMs() >= nextPoll) {
                pc.Write("M");
                ++pulse.polls;
                nextPoll += pollMs;
            }
            head = pc.Read(2, 100);
        }
        pulse.answeredAfterMs = vaddex::TickMs() - start;
        EXPECT_EQ(head.size(), 2u);
        std::size_t n = head.size() == 2 ? static_cast<unsigned char>(head[1]) : 0;
        pc.Read(n + 1);
        pc.Write(std::string(1, kAckByte));
        std::string swallowed;
        if (GetParam() == TransportKind::Pty) {
            for (int i = 0; i < 2; ++i) {
                swallowed += pc.Read(n + 3, kSwallowWaitMs);
                pc.Write(std::string(1, kAckByte));
            }
        } else {
            std::string chunk;
            do {
                chunk = pc.Read(64, kSwallowWaitMs);
                swallowed += chunk;
                pc.Write(std::string(1, kAckByte));
            } while (!chunk.empty());
        }
        pulse.furtherAnswers = static_cast<int>(swallowed.size() / (n + 3));
        pulse.strayBytes = swallowed.size() % (n + 3);
        return pulse;
    }
};

TEST_P(WaitReadyTest, BusyCalculatorAnswersOnePollOnlyAfterItsWork) {
    SimServerOptions options = Quick();
    options.transport = GetParam();
    options.busyMs = 200;
    options.timeScale = 0.5;  // (200 + 1000 of WAIT) x 0.5
    Serve(options);
    Pulse pulse = PulseAfterCommand();
    EXPECT_GE(pulse.answeredAfterMs, 550);
    // The first poll went out while the calculator was busy and must be dropped: only polls
    // that crossed the first answer on the line may still be answered.
    EXPECT_LT(1 + pulse.furtherAnswers, pulse.polls);
    EXPECT_EQ(pulse.strayBytes, 0u);
    pc.Write("V");
    EXPECT_EQ(ReadPacket(), "FAKE SERVER 1.0") << "a stale answer came before the version";
}

INSTANTIATE_TEST_SUITE_P(BothLinks, WaitReadyTest,
                         ::testing::Values(TransportKind::Pty, TransportKind::Fifo),
                         [](const auto& info) {
                             return info.param == TransportKind::Pty ? "Serial" : "Usb";
                         });

}  // namespace
}  // namespace zqsim::test
