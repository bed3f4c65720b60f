#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <thread>

#include "LinkDoubles.h"
#include "link/CommLink.h"
#include "link/PortNames.h"
#include "link/UsbIds.h"
#include "support/FifoDevice.h"
#include "support/PtyPeer.h"
#include "support/TempDir.h"
#include "support/TestLinkUi.h"
#include "support/TraceRecorder.h"
#include "util/Errors.h"
#include "util/FileIo.h"

namespace vaddex {
namespace {

using test::FifoDevice;
using test::PtyPeer;
using test::ScopedEnv;
using test::TestLinkUi;
using test::TraceRecorder;

const std::vector<std::string> kDisconnectSteps = {"SetConnected(false)", "CloseConnectStatus",
                                                   "FocusMainWindow"};

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

TEST(ListPorts, ListsLiveFifoDevicesAndExtraPortsThatOpenNow) {
    test::TempDir root;
    FifoDevice live(root.Path(), "ZQx8G+_1");
    FifoDevice::MakeDeadFolder(root.Path(), "ZQx8G+");
    PtyPeer pty;
    ScopedEnv usbRoot("VADDEX_USB_ROOT", root.Path());
    ScopedEnv extra("VADDEX_EXTRA_PORTS", pty.SlavePath() + ":/dev/no-such-port");
    TestLinkUi ui;
    CommLink link(ui);
    link.SetPortListSeparator("\n");
    std::string list = link.ListPorts();
    EXPECT_EQ(list.rfind("Auto\n", 0), 0u) << list;
    EXPECT_TRUE(EndsWith(list, "\n" + pty.SlavePath() + "\nZQx8G+_1\n")) << list;
    EXPECT_EQ(list.find("no-such-port"), std::string::npos) << list;
    EXPECT_EQ(list.find("\nZQx8G+\n"), std::string::npos) << list;  // the dead folder

    link.SetPortListSeparator("");
    EXPECT_TRUE(EndsWith(link.ListPorts(), pty.SlavePath() + "ZQx8G+_1")) << list;
}

TEST(ListPorts, WithoutAFifoRootOrAUsbBusListsNoUsbDevice) {
    ScopedEnv ids("VADDEX_USB_IDS", "ffff:fffe");
    ::unsetenv("VADDEX_USB_ROOT");
    TestLinkUi ui;
    CommLink link(ui);
    link.SetPortListSeparator("\n");
    std::string list = link.ListPorts();
    EXPECT_EQ(list.rfind("Auto\n", 0), 0u);
    EXPECT_EQ(list.find("ZQx8G+"), std::string::npos) << list;
}

TEST(PortNames, UsbNamesMatchInAnyCase) {
    EXPECT_TRUE(IsUsbPortName("ZQX8G+_2"));
    EXPECT_TRUE(IsUsbPortName("zqx8g+"));
    EXPECT_FALSE(IsUsbPortName("/dev/ttyUSB0"));
    EXPECT_EQ(UsbNameIndex("ZQX8G+_2"), 2);
    EXPECT_EQ(UsbNameIndex("ZQX8G+"), 0);
    EXPECT_EQ(UsbNameIndex("ZQX8G+_5"), -1);
}

TEST(PortNames, NumbersInNamesCompareAsNumbers) {
    std::vector<std::string> names = {"/dev/ttyS10", "/dev/ttyUSB0", "/dev/ttyS2", "/dev/ttyACM1",
                                      "/dev/ttyS1"};
    std::sort(names.begin(), names.end(), NaturalPortLess);
    EXPECT_EQ(names, (std::vector<std::string>{"/dev/ttyACM1", "/dev/ttyS1", "/dev/ttyS2",
                                               "/dev/ttyS10", "/dev/ttyUSB0"}));
}

TEST(UsbIds, ParsesTheSettingAndSkipsMalformedEntries) {
    EXPECT_EQ(ParseUsbIds(" 04d8:E207 ,bad, 12345:1,1a2b:0001,"),
              (std::vector<UsbId>{{0x04d8, 0xe207}, {0x1a2b, 0x0001}}));
    ScopedEnv env("VADDEX_USB_IDS", "0001:0002");
    EXPECT_EQ(EffectiveUsbIds("04d8:e207"), (std::vector<UsbId>{{1, 2}}));
}

TEST(OpenPort, PortThatCannotBeOpenedRaisesAfterTheDisconnectSteps) {
    TestLinkUi ui;
    CommLink link(ui);
    TraceRecorder trace;
    int fds = test::OpenFdCount();
    try {
        link.OpenPort("/dev/no-such-port", 9600);
        FAIL() << "opened a port that does not exist";
    } catch (const ConnectionError& e) {
        EXPECT_STREQ(e.what(), std::strerror(ENOENT)) << "the system's reason, not a general text";
    }
    EXPECT_EQ(ui.CallNames(), kDisconnectSteps);
    EXPECT_TRUE(trace.Contains("Serious error, disconnecting"));
    link.ClosePort();
    EXPECT_EQ(test::OpenFdCount(), fds);
}

TEST(OpenPort, PortHeldByAnotherLinkDoesNotOpenTwice) {
    PtyPeer pty;
    TestLinkUi ui;
    CommLink first(ui);
    CommLink second(ui);
    first.OpenPort(pty.SlavePath(), 9600);
    try {
        second.OpenPort(pty.SlavePath(), 9600);
        ADD_FAILURE() << "opened twice";
    } catch (const ConnectionError& e) {
        EXPECT_EQ(std::string(e.what()), pty.SlavePath() + " is in use by another program");
    }
}

TEST(ClosePort, NeverOpenedLinkReturnsQuietly) {
    TestLinkUi ui;
    CommLink link(ui);
    link.ClosePort();
    EXPECT_FALSE(link.IsOpen());
    EXPECT_TRUE(ui.Calls().empty());
}

TEST(RaiseConnectionError, FromAnotherThreadRunsTheWindowStepsOnTheUiThread) {
    test::TempDir dir;
    ASSERT_TRUE(WriteWholeFile(dir.File("send.zq"), "data"));
    TestLinkUi ui;
    CommLink link(ui);
    ASSERT_GE(link.OpenSendFile(dir.File("send.zq")), 0);
    std::atomic<bool> caughtThere{false};
    std::atomic<bool> done{false};
    std::thread worker([&] {
        try {
            link.RaiseConnectionError();
        } catch (const ConnectionError&) {
            caughtThere = true;
        }
        done = true;
    });
    EXPECT_TRUE(ui.PumpUntil([&] { return done.load(); }, 5000));
    worker.join();
    EXPECT_TRUE(caughtThere);
    EXPECT_EQ(ui.CallNames(), kDisconnectSteps);
    EXPECT_EQ(ui.CallsOffUiThread(), 0);
    EXPECT_EQ(link.SendFile(), -1);  // closed on the way
}

TEST(SendFile, MissingFileOrFolderGivesNoHandle) {
    test::TempDir dir;
    TestLinkUi ui;
    CommLink link(ui);
    int error = 0;
    EXPECT_EQ(link.OpenSendFile(dir.File("missing.zq"), &error), -1);
    EXPECT_EQ(error, ENOENT);
    EXPECT_EQ(link.OpenSendFile(dir.Path(), &error), -1);
    EXPECT_EQ(error, EISDIR);
    EXPECT_EQ(link.SendFile(), -1);
}

}  // namespace
}  // namespace vaddex
