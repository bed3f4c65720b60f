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
// silence on USB). Whatever the busy time, the next command must meet a clean server.
class WaitReadyTest : public SimServerTest, public ::testing::WithParamInterface<TransportKind> {
protected:
    // Returns the ms from the command's ACK to the first answer, and what the swallowing
    // reads collected.
    std::int64_t PulseAfterCommand(std::string& swallowed) {
        Send('E', "1 WAIT");
        EXPECT_EQ(pc.Read(1), std::string(1, kAckByte));
        std::int64_t start = vaddex::TickMs();
        std::string head;
        int pollMs = GetParam() == TransportKind::Pty ? 210 : 170;
        std::int64_t nextPoll = start;
        while (head.empty() && vaddex::TickMs() - start < 9000) {
            if (vaddex::TickMs() >= nextPoll) {
                pc.Write("M");
                nextPoll += pollMs;
            }
            head = pc.Read(2, 100);
        }
        std::int64_t answeredAfter = vaddex::TickMs() - start;
        EXPECT_EQ(head.size(), 2u);
        std::size_t n = head.size() == 2 ? static_cast<unsigned char>(head[1]) : 0;
        pc.Read(n + 1, 200);
        pc.Write(std::string(1, kAckByte));
        if (GetParam() == TransportKind::Pty) {
            for (int i = 0; i < 2; ++i) {
                swallowed += pc.Read(n + 3, 100 + static_cast<int>(n) + 3);
                pc.Write(std::string(1, kAckByte));
            }
        } else {
            std::string chunk;
            do {
                chunk = pc.Read(64, 80);
                swallowed += chunk;
                pc.Write(std::string(1, kAckByte));
            } while (!chunk.empty());
        }
        return answeredAfter;
    }
};

TEST_P(WaitReadyTest, BusyCalculatorAnswersOnePollOnlyAfterItsWork) {
    SimServerOptions options = Quick();
    options.transport = GetParam();
    options.busyMs = 200;
    options.timeScale = 0.5;  // (200 + 1000 of WAIT) x 0.5
    Serve(options);
    std::string swallowed;
    EXPECT_GE(PulseAfterCommand(swallowed), 550);
    // At most the answer of a poll that crossed the first answer on the line.
    EXPECT_LE(swallowed.size(), std::string("\0\x07"
                                            "12345.5?",
                                            10)
                                    .size());
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
