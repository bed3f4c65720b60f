// The receiver against a sender that misbehaves before a block, and against a port that
// refuses the CAN bytes of its clean-up.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "link/LinkDoubles.h"
#include "transfer/TYModemRX.h"
#include "transfer/TransferHarness.h"
#include "util/Errors.h"
#include "util/FileIo.h"

namespace vaddex::test {
namespace {

using ReceiverFaultTest = PtyLinkTest;

// A burst of garbage where a block should begin is one unexpected reply: it is answered by
// one NAK, after the rest of the burst was cleared from the line.
TEST_F(ReceiverFaultTest, GarbageFirstByteIsClearedAndAnsweredWithOneNak) {
    std::string data = Pattern(128, 21);
    PeerScript calculator([&] {
        EXPECT_EQ(peer_.Read(1, 5000), kNak);
        peer_.Write(std::string("Z\xA5\x00 junk\x01", 10));
        EXPECT_EQ(peer_.Read(1, 10000), kNak);
        peer_.Write(ChecksumBlock(1, data));
        EXPECT_EQ(peer_.Read(1, 5000), kAck) << "a second NAK answered the burst";
        peer_.Write(kEot);
        EXPECT_EQ(peer_.Read(1, 5000), kAck);
    });
    TYModemRX rx(link_, "", 0, log_.Callback());
    RunLikeSession(ui_, rx, log_, 30000);
    EXPECT_TRUE(rx.Success());
    EXPECT_EQ(rx.ReceivedData(), data);
    EXPECT_EQ(traces_.Count("Rx Error #"), 1);
    EXPECT_TRUE(traces_.Contains("Rx Error #1 Reply was 0x5A"));
    EXPECT_EQ(log_.Count(kReportMessage), 0);
    ExpectWellFormed(log_);
}

// The sender cancels, and the port then refuses the receiver's own CAN bytes: the failure is
// traced, and the clean-up still deletes the target and ends with the finishing report.
TEST(ReceiverCleanUp, CanBytesThatCannotBeWrittenStillEndTheTransferCleanly) {
    TempDir dir;
    std::string target = dir.File("target.zq");
    ASSERT_TRUE(WriteWholeFile(target, "stale"));
    TestLinkUi ui;
    CommLink link(ui);
    auto owned = std::make_unique<ScriptedSerialPort>();
    ScriptedSerialPort& port = *owned;
    link.OpenPortOn(std::move(owned), 115200);
    port.input = std::string(1, kTestCAN);
    port.writesAccepted = 1;  // the opening NAK goes out, nothing after it
    TraceRecorder traces;
    ReportLog log;
    TYModemRX rx(link, target, 0, log.Callback());
    RunLikeSession(ui, rx, log, 20000);
    EXPECT_FALSE(rx.Success());
    EXPECT_EQ(port.written, kNak);
    EXPECT_TRUE(traces.Contains("CAN not sent: " + std::string(kConnectionErrorText)));
    EXPECT_FALSE(FileExists(target));
    EXPECT_EQ(log.CountText(kReportMessage, kConnectionErrorText), 1);
    EXPECT_EQ(ui.CallsOffUiThread(), 0);
    ExpectWellFormed(log);
}

}  // namespace
}  // namespace vaddex::test
