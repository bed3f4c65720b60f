// When the line fails: a calculator that falls silent, one that answers the poll with a
// damaged packet or not at all, and a port that goes away. The test thread is the UI thread;
// the calculator is played byte by byte on the far end of a pseudo-terminal.

#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "link/PortGoneError.h"
#include "session/PtyCalculator.h"
#include "util/Errors.h"

namespace vaddex::test {
namespace {

class LineFailureTest : public PtyCalculatorTest {
protected:
    bool Noticed(const std::string& text) const { return ui.Find("WaitNotice(" + text + ")") >= 0; }
};

// The calculator rejects... nothing: it sends one damaged packet and then falls silent. The
// user sees which try the wait is in, and Cancel ends it at once instead of after six tries.
TEST_F(LineFailureTest, SilentCalculatorShowsTheTryAndCancelEndsTheWaitAtOnce) {
    PlayCalculator([&] { peer.Write(Packet("12345").substr(0, 7) + "\x01"); });
    std::int64_t cancelTick = 0;
    ui.SetOnIdle([&] {
        if (cancelTick == 0 && Noticed("No answer from the calculator (try 2 of 6)...")) {
            cancelTick = TickMs();
            ui.RequestCancel();
        }
    });
    EXPECT_THROW(session.ReceivePacket(), ConnectionError);
    ASSERT_NE(cancelTick, 0) << "no notice of the second try";
    EXPECT_LT(TickMs() - cancelTick, 1000) << "the cancel waited for the read's time-out";
    EXPECT_FALSE(Noticed("No answer from the calculator (try 1 of 6)..."))
        << "the first try was answered, if badly";
    EXPECT_EQ(ui.Events().back(), "WaitNotice()") << "the notice outlived the wait";
    EXPECT_FALSE(ui.Connected());
}

// The answer to a poll comes damaged: the calculator waits for the PC's verdict and would
// ignore the further polls for ever. A NAK makes it send the answer again.
TEST_F(LineFailureTest, DamagedAnswerToThePollIsRejectedAndSentAgain) {
    std::atomic<bool> nakHeard{false};
    std::atomic<bool> ackHeard{false};
    PlayCalculator([&] {
        if (!AwaitByte(peer, 'M', 5000)) {
            return;
        }
        std::string damaged = Packet("123456");
        damaged[0] = '\x40';
        peer.Write(damaged);
        nakHeard = AwaitByte(peer, kNak, 5000);
        peer.Write(Packet("123456"));
        ackHeard = AwaitByte(peer, kAck, 5000);
    });
    std::int64_t start = TickMs();
    EXPECT_NO_THROW(session.WaitReady());
    calculator.join();
    EXPECT_TRUE(nakHeard);
    EXPECT_TRUE(ackHeard);
    EXPECT_LT(TickMs() - start, 5000);
}

// A damaged letter made the calculator start a transfer that waits for its other end. While
// the "Calculator is Working" window keeps the wait going, a CAN run past the usual limit ends
// that transfer, and the CANs in answer show that the command never ran.
TEST_F(LineFailureTest, CalculatorStuckInATransferIsFreedAndTheCommandReportedNotRun) {
    LinkTiming timing = link.Timing();
    timing.PulseTimeLimit = 600;
    link.SetTiming(timing);
    std::atomic<bool> canRunHeard{false};
    PlayCalculator([&] {
        canRunHeard = AwaitByte(peer, kCan, 5000);
        peer.Write(std::string(3, kCan));  // the refused transfer's own CAN run
        if (AwaitByte(peer, 'M', 5000)) {
            peer.Write(Packet("123456"));
        }
    });
    ui.ShowWorking();
    try {
        session.WaitReady();
        ADD_FAILURE() << "a command that never ran was reported done";
    } catch (const OperationError& e) {
        EXPECT_NE(std::string(e.what()).find("did not run the command"), std::string::npos)
            << e.what();
    }
    ui.CloseWorking();
    calculator.join();
    EXPECT_TRUE(canRunHeard);
}

// The far end closes: the wait ends at once with the port's name and the system's reason,
// and the session is no longer connected.
TEST_F(LineFailureTest, PortThatGoesAwayEndsTheWaitWithItsReason) {
    std::int64_t closeTick = 0;
    PlayCalculator([&] {
        peer.Read(1, 500);  // the session's first read has begun
        closeTick = TickMs();
        peer.Close();
    });
    session.SendCommandByte('l');
    try {
        session.ReceivePacket();
        ADD_FAILURE() << "a packet from a closed port";
    } catch (const PortGoneError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "The calculator's port " + peer.SlavePath() + " is gone (Input/output error)");
    }
    calculator.join();
    EXPECT_LT(TickMs() - closeTick, 2000);
    EXPECT_FALSE(session.IsConnected());
    EXPECT_FALSE(ui.Connected());
    EXPECT_THROW(session.Execute("1", false, true), OperationError) << "still taken as connected";
}

TEST(PortInUse, ConnectSaysAnotherProgramHoldsThePort) {
    PtyPeer pty;
    CalculatorState state;
    ScriptedUiBridge ui(state);
    CommLink holder(ui);
    holder.OpenPort(pty.SlavePath(), 9600);
    CommLink link(ui);
    TXModemServer session(link, ui);
    session.SetSpeed("9600");
    try {
        session.Connect(pty.SlavePath());
        ADD_FAILURE() << "connected through a port another program holds";
    } catch (const ConnectionError& e) {
        EXPECT_EQ(std::string(e.what()), pty.SlavePath() + " is in use by another program");
    }
    EXPECT_FALSE(session.IsConnected());
}

}  // namespace
}  // namespace vaddex::test
