#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "LinkDoubles.h"
#include "link/CommLink.h"
#include "support/PtyPeer.h"
#include "support/TestLinkUi.h"
#include "support/TraceRecorder.h"
#include "util/Errors.h"
#include "util/Ticks.h"

namespace vaddex {
namespace {

using test::PtyPeer;
using test::ScriptedSerialPort;
using test::TestLinkUi;
using test::TraceRecorder;

const std::vector<std::string> kDisconnectSteps = {"SetConnected(false)", "CloseConnectStatus",
                                                   "FocusMainWindow"};

class SerialLink : public ::testing::Test {
protected:
    void OpenPty(int speed = 9600) {
        link.OpenPort(peer.SlavePath(), speed);
        ui.ClearCalls();
    }

    TestLinkUi ui;
    CommLink link{ui};
    PtyPeer peer;
};

TEST_F(SerialLink, PartialReadZeroesTheRestAndSaysSo) {
    OpenPty();
    link.SetShortTimeouts();
    TraceRecorder trace;
    ASSERT_TRUE(peer.Write("\x01\x02\x03\x04"));
    std::string buffer = "xxxxxx";
    EXPECT_EQ(link.ReadComm(buffer, 2500), 4);
    EXPECT_EQ(buffer, std::string("\x01\x02\x03\x04\0\0", 6));
    EXPECT_TRUE(trace.Contains("**** ReadComm returning partial string"));
    EXPECT_TRUE(trace.Contains("ReadComm: Return of 04"));
}

// One system read may bring more than was asked: the rest must reach the reads after it in
// order, and a clear of the input must drop it with the driver's queue.
TEST_F(SerialLink, BytesReadBeyondARequestGoToTheNextReadsUntilPurged) {
    OpenPty();
    link.SetShortTimeouts();
    ASSERT_TRUE(peer.Write("\x02" + std::string(1027, 'b') + "\x04"));
    Pause(50);  // all of it in the driver, so that the first read takes it at once
    struct Step {
        std::size_t length;
        std::string expected;
    };
    const Step steps[] = {{1, "\x02"}, {1027, std::string(1027, 'b')}, {1, "\x04"}};
    for (const Step& step : steps) {
        std::string buffer(step.length, 'x');
        EXPECT_EQ(link.ReadComm(buffer, 2500), static_cast<int>(step.length));
        EXPECT_EQ(buffer, step.expected);
    }
    ASSERT_TRUE(peer.Write("stale"));
    Pause(50);
    std::string one(1, 'x');
    ASSERT_EQ(link.ReadComm(one, 2500), 1);  // "tale" now waits in the look-ahead
    link.ClearInput();
    ASSERT_TRUE(peer.Write("N"));
    EXPECT_EQ(link.ReadComm(one, 2500), 1);
    EXPECT_EQ(one, "N");
}

TEST_F(SerialLink, NothingReadGivesZeroWithinTheShortTimeout) {
    OpenPty();
    link.SetShortTimeouts();
    TraceRecorder trace;
    std::string buffer = "xxxxxx";
    std::int64_t start = TickMs();
    EXPECT_EQ(link.ReadComm(buffer, 2500), 0);
    std::int64_t elapsed = TickMs() - start;
    EXPECT_GE(elapsed, 100);   // 100 ms + 6 x 1 ms
    EXPECT_LT(elapsed, 3000);  // the short time-out, not the long one of 3000 ms
    EXPECT_EQ(buffer, std::string(6, '\0'));
    EXPECT_FALSE(trace.Contains("**** ReadComm returning partial string"));
    EXPECT_TRUE(trace.Contains("ReadComm: Return of 00"));
}

TEST_F(SerialLink, LargeRequestOverThePtyArrivesWhole) {
    OpenPty(115200);
    std::string sent(5000, '\0');
    for (std::size_t i = 0; i < sent.size(); ++i) {
        sent[i] = static_cast<char>(i * 7);
    }
    std::thread writer([&] { peer.Write(sent); });
    std::string buffer(sent.size(), 'x');
    EXPECT_EQ(link.ReadComm(buffer, 2500), 5000);
    writer.join();
    EXPECT_EQ(buffer, sent);
}

TEST_F(SerialLink, ProfileFollowsTheSpeed) {
    link.OpenPort(peer.SlavePath(), 9600);
    EXPECT_EQ(link.TimingProfile(), 0);
    EXPECT_EQ(link.Timing().PacketAckDelay, 400);
    link.ClosePort();
    link.OpenPort(peer.SlavePath(), 9601);
    EXPECT_EQ(link.TimingProfile(), 2);
    EXPECT_EQ(link.Timing().PacketAckDelay, 100);
    link.ClosePort();
    link.OpenPort(peer.SlavePath(), 14400);  // a rate without a termios constant
    EXPECT_EQ(link.Kind(), kLinkSerial);
    EXPECT_EQ(ui.Count("SetConnected(true)"), 3);
}

TEST_F(SerialLink, OneHandleIsClosedOnce) {
    int before = test::OpenFdCount();
    OpenPty();
    EXPECT_EQ(test::OpenFdCount(), before + 3);  // the port and its hang-up watch's pipe
    link.ClosePort();
    EXPECT_EQ(test::OpenFdCount(), before);
    EXPECT_FALSE(link.IsOpen());
    link.ClosePort();
    EXPECT_EQ(test::OpenFdCount(), before);
}

TEST_F(SerialLink, ClearInputDrainsANoisyLineAndKeepsOutput) {
    OpenPty();
    ASSERT_TRUE(peer.Write("noise before"));
    std::atomic<bool> stop{false};
    std::thread noise([&] {
        for (int i = 0; i < 10 && !stop; ++i) {
            peer.Write("#!");
            SleepMs(30);
        }
    });
    link.WritePort("\x18\x18\x18\x18");
    link.ClearInput();
    stop = true;
    noise.join();
    link.ClearInput();  // the burst may still have been under way at the end of the first
    EXPECT_EQ(peer.Read(4, 2000), "\x18\x18\x18\x18");  // the purge kept our output
    ASSERT_TRUE(peer.Write("OK"));
    std::string buffer(2, '\0');
    EXPECT_EQ(link.ReadComm(buffer, 2500), 2);
    EXPECT_EQ(buffer, "OK");
}

TEST_F(SerialLink, PulledCableRaisesTheConnectionErrorOnWriteAndRead) {
    OpenPty();
    int fds = test::OpenFdCount();
    peer.Close();
    TraceRecorder trace;
    EXPECT_THROW(link.WritePort("abc"), ConnectionError);
    std::string buffer(6, '\0');
    EXPECT_THROW(link.ReadComm(buffer, 2500), ConnectionError);
    EXPECT_TRUE(trace.Contains("Serious error, disconnecting"));
    std::vector<std::string> twice = kDisconnectSteps;
    twice.insert(twice.end(), kDisconnectSteps.begin(), kDisconnectSteps.end());
    EXPECT_EQ(ui.CallNames(), twice);
    EXPECT_EQ(ui.CallsOffUiThread(), 0);
    link.ClosePort();
    // The port, its hang-up watch's pipe, and the peer's master and slave.
    EXPECT_EQ(test::OpenFdCount(), fds - 5);
}

// Through a port double: reads of a large request and the write count.
class SerialDouble : public ::testing::Test {
protected:
    void SetUp() override {
        auto owned = std::make_unique<ScriptedSerialPort>();
        port = owned.get();
        link.OpenPortOn(std::move(owned), 9600);
    }

    TestLinkUi ui;
    CommLink link{ui};
    ScriptedSerialPort* port = nullptr;
};

TEST_F(SerialDouble, LargeRequestIsReadInPiecesOfAtMost2038) {
    port->input.assign(4096, 'a');
    std::string buffer(4096, '\0');
    EXPECT_EQ(link.ReadComm(buffer, 2500), 4096);
    EXPECT_EQ(port->readSizes, (std::vector<std::size_t>{2038, 2038, 20}));
}

TEST_F(SerialDouble, SilentSenderEndsALargeRequestShort) {
    port->input.assign(3000, 'a');
    std::string buffer(4096, 'x');
    EXPECT_EQ(link.ReadComm(buffer, 2500), 3000);
    EXPECT_EQ(port->readSizes, (std::vector<std::size_t>{2038, 2038}));
    EXPECT_EQ(buffer.substr(3000), std::string(1096, '\0'));
}

TEST_F(SerialDouble, SmallRequestIsOneRead) {
    port->input.assign(50, 'a');
    std::string buffer(100, '\0');
    EXPECT_EQ(link.ReadComm(buffer, 2500), 50);
    EXPECT_EQ(port->readSizes, (std::vector<std::size_t>{100}));
}

TEST_F(SerialDouble, RequestOf2039To2047BytesCanBeFilled) {
    port->input.assign(2047, 'a');
    std::string buffer(2047, '\0');
    EXPECT_EQ(link.ReadComm(buffer, 2500), 2047);
    EXPECT_EQ(port->readSizes, (std::vector<std::size_t>{2038, 9}));
}

TEST_F(SerialDouble, ShortWriteRaisesTheConnectionError) {
    port->writeLimit = 3;
    EXPECT_THROW(link.WritePort("abcdef"), ConnectionError);
    EXPECT_EQ(ui.Count("SetConnected(false)"), 1);
}

TEST_F(SerialDouble, TimeoutsAreOneMsPerByteAndClearInputRestoresThem) {
    link.SetShortTimeouts();
    EXPECT_EQ(port->timeouts.readConstant, 100);
    link.SetLongTimeouts();
    SerialTimeouts t = port->timeouts;
    EXPECT_EQ(t.readConstant, 3000);
    EXPECT_EQ(t.readMultiplier, 1);
    EXPECT_EQ(t.writeMultiplier, 30);
    EXPECT_EQ(t.writeConstant, 100);
    port->input = "stale";
    link.ClearInput();
    EXPECT_EQ(port->timeouts.readConstant, 3000);
    EXPECT_EQ(port->input, "");
}

}  // namespace
}  // namespace vaddex
