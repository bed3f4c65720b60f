#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "LinkDoubles.h"
#include "link/CommLink.h"
#include "support/FifoDevice.h"
#include "support/TempDir.h"
#include "support/TestLinkUi.h"
#include "support/TraceRecorder.h"
#include "util/Errors.h"
#include "util/Ticks.h"

namespace vaddex {
namespace {

using test::FifoDevice;
using test::ScriptedUsbPipe;
using test::TestLinkUi;
using test::TraceRecorder;

// A live FIFO-pair device "ZQx8G+" under a fresh $VADDEX_USB_ROOT.
class UsbLink : public ::testing::Test {
protected:
    void Open() {
        link.OpenPort("ZQX8G+", 9600);
        ui.ClearCalls();
    }

    test::TempDir root;
    test::ScopedEnv env{"VADDEX_USB_ROOT", root.Path()};
    FifoDevice device{root.Path(), "ZQx8G+"};
    TestLinkUi ui;
    CommLink link{ui};
};

TEST_F(UsbLink, UpperCaseNameOpensTheDeviceWithProfile3AndCarriesBytesBothWays) {
    link.OpenPort("ZQX8G+", 115200);
    EXPECT_EQ(link.Kind(), kLinkUsb);
    EXPECT_EQ(link.TimingProfile(), 3);
    EXPECT_EQ(ui.CallNames(), std::vector<std::string>{"SetConnected(true)"});
    link.WritePort("hello");
    EXPECT_EQ(device.Read(5, 2000), "hello");
    ASSERT_TRUE(device.Write("ok"));
    std::string buffer(2, '\0');
    EXPECT_EQ(link.ReadComm(buffer, 2500), 2);
    EXPECT_EQ(buffer, "ok");
}

TEST_F(UsbLink, ChunkBeyondTheRequestIsKeptForTheNextRead) {
    Open();
    std::string chunk(64, '\0');
    for (int i = 0; i < 64; ++i) {
        chunk[i] = static_cast<char>('A' + i % 26);
    }
    ASSERT_TRUE(device.Write(chunk));
    std::string first(3, '\0');
    EXPECT_EQ(link.ReadComm(first, 2500), 3);
    EXPECT_EQ(first, chunk.substr(0, 3));
    EXPECT_EQ(link.BufferedChunk().size(), 64u);
    EXPECT_EQ(link.UnreadCount(), 61u);
    std::string rest(61, '\0');
    EXPECT_EQ(link.ReadComm(rest, 2500), 61);
    EXPECT_EQ(rest, chunk.substr(3));
}

TEST_F(UsbLink, SteadySlowStreamOutlastsMaxWait) {
    Open();
    // Gaps of 20 ms against a maxWait of 1500 ms: a gap counts as silence only if the sender
    // is held up some 70 times its pace, which even a loaded machine does not do.
    const int kBytes = 100;
    std::string sent;
    for (int i = 0; i < kBytes; ++i) {
        sent += static_cast<char>('0' + i % 10);
    }
    std::int64_t start = TickMs();
    std::thread sender([&] {
        for (char c : sent) {
            device.Write(std::string(1, c));
            SleepMs(20);
        }
    });
    std::string buffer(kBytes, '\0');
    EXPECT_EQ(link.ReadComm(buffer, 1500), kBytes);
    EXPECT_GE(TickMs() - start, 1500) << "the stream did not outlast maxWait";
    sender.join();
    EXPECT_EQ(buffer, sent);
}

TEST_F(UsbLink, SilenceWithoutAnExplainingWindowRaisesTheConnectionError) {
    Open();
    TraceRecorder trace;
    std::string buffer(6, '\0');
    std::int64_t start = TickMs();
    EXPECT_THROW(link.ReadComm(buffer, 2500), ConnectionError);
    EXPECT_GE(TickMs() - start, 2500);
    EXPECT_TRUE(trace.Contains("ReadFile exceeded maximum time for reads of zero bytes"));
    EXPECT_TRUE(trace.Contains("No data, time count = "));
    EXPECT_TRUE(trace.Contains("SafeRd TimeOut"));
    EXPECT_EQ(ui.CallNames(), (std::vector<std::string>{"SetConnected(false)", "CloseConnectStatus",
                                                        "FocusMainWindow"}));
}

TEST_F(UsbLink, SilenceWhileTheWorkingWindowShowsReturnsAfterMaxWait) {
    Open();
    ui.SetWorkingWindowVisible(true);
    TraceRecorder trace;
    std::string buffer(6, 'x');
    std::int64_t start = TickMs();
    EXPECT_EQ(link.ReadComm(buffer, 2500), 0);
    EXPECT_GE(TickMs() - start, 2500);
    // The read ends at the first measurement that reaches maxWait, not one later.
    int pastMaxWait = 0;
    for (const std::string& line : trace.Lines()) {
        const std::string prefix = "No data, time count = ";
        if (line.rfind(prefix, 0) == 0 && std::stoll(line.substr(prefix.size())) >= 2500) {
            ++pastMaxWait;
        }
    }
    EXPECT_EQ(pastMaxWait, 1);
    EXPECT_EQ(buffer, std::string(6, '\0'));
    EXPECT_EQ(ui.Count("SetConnected(false)"), 0);
    EXPECT_GT(ui.ProcessEventsCount(), 0);  // the UI thread kept its events running
}

TEST_F(UsbLink, EventsAreProcessedOnlyOnTheUiThread) {
    Open();
    ui.SetPromptVisible(true);
    int count = -1;
    std::thread worker([&] {
        std::string buffer(6, '\0');
        count = link.ReadComm(buffer, 200);
    });
    worker.join();
    EXPECT_EQ(count, 0);
    EXPECT_EQ(ui.ProcessEventsOffUiThread(), 0);
}

TEST_F(UsbLink, ClosePortWakesAndJoinsTheBlockedReaderThread) {
    int fds = test::OpenFdCount();
    int threads = test::ThreadCount();
    Open();
    link.SafeRd();  // the thread now blocks in its read, which has no time limit of its own
    EXPECT_EQ(test::ThreadCount(), threads + 2);  // the reader and the hang-up watch
    link.ClosePort();                             // returns only if closing woke the read
    EXPECT_EQ(test::ThreadCount(), threads);
    EXPECT_EQ(test::OpenFdCount(), fds);
    EXPECT_FALSE(link.IsOpen());
}

TEST_F(UsbLink, DeviceGoneRaisesTheConnectionErrorOnWriteAndOnRead) {
    Open();
    device.Close();
    EXPECT_THROW(link.WritePort("abc"), ConnectionError);  // EPIPE, not a fatal SIGPIPE
    std::string buffer(6, '\0');
    EXPECT_THROW(link.ReadComm(buffer, 2500), ConnectionError);
    EXPECT_EQ(ui.Count("SetConnected(false)"), 2);
    EXPECT_EQ(ui.CallsOffUiThread(), 0);
}

TEST_F(UsbLink, DeadDeviceFailsToOpenAndLeavesNoHandleAfterClosePort) {
    device.Close();
    int fds = test::OpenFdCount();
    EXPECT_THROW(link.OpenPort("ZQX8G+", 9600), ConnectionError);
    link.ClosePort();  // the read pipe did open: the session's ClosePort closes it
    EXPECT_EQ(test::OpenFdCount(), fds);
}

TEST_F(UsbLink, ClearInputDropsWhatTheDeviceSent) {
    Open();
    ASSERT_TRUE(device.Write(std::string(200, 'n')));
    link.ClearInput();
    ASSERT_TRUE(device.Write("A"));
    std::string buffer(1, '\0');
    EXPECT_EQ(link.ReadComm(buffer, 2500), 1);
    EXPECT_EQ(buffer, "A");
}

// Through a pipe double: what the reader thread was asked to do.
class UsbDouble : public ::testing::Test {
protected:
    void Open(bool eofForever = false) {
        auto owned = std::make_unique<ScriptedUsbPipe>(eofForever);
        pipe = owned.get();
        link.OpenUsbOn(std::move(owned), std::make_unique<ScriptedUsbPipe>());
    }

    TestLinkUi ui;
    CommLink link{ui};
    ScriptedUsbPipe* pipe = nullptr;
};

TEST_F(UsbDouble, TimedOutSafeRdLeavesItsRequestForTheNextToCollect) {
    Open();
    TraceRecorder trace;
    link.SafeRd();
    EXPECT_EQ(link.BufferedChunk().size(), 0u);
    EXPECT_TRUE(trace.Contains("SafeRd TimeOut"));
    pipe->Feed("abc");
    link.SafeRd();
    EXPECT_EQ(link.BufferedChunk(), "abc");
    // No second request went out: give a stray one time to show in the count.
    SleepMs(100);
    EXPECT_EQ(pipe->Reads(), 1);
}

TEST_F(UsbDouble, ReaderPausesBetweenFailingReads) {
    Open(true);
    ui.SetWorkingWindowVisible(true);
    std::string buffer(6, '\0');
    std::int64_t start = TickMs();
    EXPECT_EQ(link.ReadComm(buffer, 400), 0);
    std::int64_t elapsed = TickMs() - start;
    EXPECT_LE(pipe->Reads(), elapsed / 20 + 2);  // one read per 20 ms pause, no spinning
    EXPECT_GE(pipe->Reads(), 2);                 // but it does keep trying
}

}  // namespace
}  // namespace vaddex
