// What the link does when the port refuses a call: the connection error after the disconnect
// steps, and a record that still holds what was obtained, so that ClosePort can close it.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>

#include "LinkDoubles.h"
#include "link/CommLink.h"
#include "support/TempDir.h"
#include "support/TestLinkUi.h"
#include "support/TraceRecorder.h"
#include "util/Errors.h"

namespace vaddex {
namespace {

using test::ScopedEnv;
using test::ScriptedSerialPort;
using test::TestLinkUi;
using test::TraceRecorder;

const std::vector<std::string> kDisconnectSteps = {"SetConnected(false)", "CloseConnectStatus",
                                                   "FocusMainWindow"};

struct RefusedAtOpen {
    const char* fault;
    std::function<void(ScriptedSerialPort&)> refuse;
    const char* trace;  // the line that names the cause, or "" when the failure names none
};

void PrintTo(const RefusedAtOpen& row, std::ostream* os) {
    *os << row.fault;
}

class RefusedAtOpenTest : public ::testing::TestWithParam<RefusedAtOpen> {};

TEST_P(RefusedAtOpenTest, RaisesWithoutConnectingAndClosePortClosesTheHandle) {
    TestLinkUi ui;
    CommLink link(ui);
    TraceRecorder trace;
    bool closed = false;
    auto port = std::make_unique<ScriptedSerialPort>();
    port->closed = &closed;
    GetParam().refuse(*port);
    EXPECT_THROW(link.OpenPortOn(std::move(port), 9600), ConnectionError);
    EXPECT_EQ(ui.CallNames(), kDisconnectSteps);  // and never SetConnected(true)
    if (*GetParam().trace != '\0') {
        EXPECT_TRUE(trace.Contains(GetParam().trace));
    }
    // The session's handler closes the link; until then the record holds the port.
    EXPECT_TRUE(link.IsOpen());
    EXPECT_FALSE(closed);
    link.ClosePort();
    EXPECT_TRUE(closed);
    EXPECT_FALSE(link.IsOpen());
}

INSTANTIATE_TEST_SUITE_P(
    Port, RefusedAtOpenTest,
    ::testing::Values(RefusedAtOpen{"settings", [](auto& p) { p.refuseSettings = true; },
                                    "OpenPort: the port refused its settings at 9600"},
                      RefusedAtOpen{"timeouts", [](auto& p) { p.timeoutsAccepted = 0; }, ""}),
    [](const auto& info) { return std::string(info.param.fault); });

class RefusingPort : public ::testing::Test {
protected:
    void SetUp() override {
        auto owned = std::make_unique<ScriptedSerialPort>();
        port = owned.get();
        port->closed = &closed;
        link.OpenPortOn(std::move(owned), 9600);
        ui.ClearCalls();
    }

    TestLinkUi ui;
    CommLink link{ui};
    ScriptedSerialPort* port = nullptr;
    bool closed = false;
};

TEST_F(RefusingPort, RefusedSpeedChangeRaisesAndLeavesThePortOpen) {
    link.ChangeSpeed(19200);
    port->refuseSpeed = true;
    EXPECT_THROW(link.ChangeSpeed(57600), ConnectionError);
    EXPECT_EQ(port->speeds, (std::vector<int>{9600, 19200}));
    EXPECT_EQ(ui.CallNames(), kDisconnectSteps);
    EXPECT_TRUE(link.IsOpen());  // the session closes it when it handles the error
    EXPECT_FALSE(closed);
}

TEST_F(RefusingPort, RefusedPurgeIsTracedAndTheReadsStillDrainTheLine) {
    TraceRecorder trace;
    port->refusePurge = true;
    port->input = "noise that only the reads can take";
    link.ClearInput();
    EXPECT_TRUE(trace.Contains("ClearInput: purge failed ("));
    EXPECT_EQ(port->input, "");
    EXPECT_EQ(port->timeouts.readConstant, 3000);  // the long time-outs are back
    EXPECT_TRUE(ui.Calls().empty());
}

TEST_F(RefusingPort, TimeoutsThatCannotBeRestoredAfterClearInputRaise) {
    port->timeoutsAccepted = 1;  // the short ones are taken, the restore is refused
    port->input = "stale";
    EXPECT_THROW(link.ClearInput(), ConnectionError);
    EXPECT_EQ(port->timeouts.readConstant, 100);
    EXPECT_EQ(ui.CallNames(), kDisconnectSteps);
}

struct MissingUsbDevice {
    const char* fault;
    bool fifoRoot;     // devices are FIFO pairs under $VADDEX_USB_ROOT, else on the USB bus
    const char* name;  // as the user typed it
    const char* trace;
};

void PrintTo(const MissingUsbDevice& row, std::ostream* os) {
    *os << row.fault;
}

class MissingUsbDeviceTest : public ::testing::TestWithParam<MissingUsbDevice> {};

TEST_P(MissingUsbDeviceTest, RaisesAndLeavesNothingOpen) {
    const MissingUsbDevice& row = GetParam();
    test::TempDir root;
    ScopedEnv usbRoot("VADDEX_USB_ROOT", row.fifoRoot ? root.Path() : "");
    ScopedEnv ids("VADDEX_USB_IDS", "ffff:fffe");  // no device on any bus has this id
    TestLinkUi ui;
    CommLink link(ui);
    TraceRecorder trace;
    int fds = test::OpenFdCount();
    EXPECT_THROW(link.OpenPort(row.name, 9600), ConnectionError);
    EXPECT_EQ(ui.CallNames(), kDisconnectSteps);
    EXPECT_TRUE(trace.Contains(row.trace)) << row.trace;
    link.ClosePort();
    EXPECT_FALSE(link.IsOpen());
    EXPECT_EQ(test::OpenFdCount(), fds);
}

INSTANTIATE_TEST_SUITE_P(
    Names, MissingUsbDeviceTest,
    ::testing::Values(MissingUsbDevice{"no_folder_for_the_name", true, "ZQX8G+_3",
                                       "OpenPort: cannot open "},
                      MissingUsbDevice{"suffix_past_the_fourth_under_fifo_root", true, "ZQX8G+_9",
                                       "OpenPort: cannot open "},
                      MissingUsbDevice{"suffix_past_the_fourth_on_the_bus", false, "ZQX8G+_9",
                                       "OpenPort: no USB device is named ZQX8G+_9"},
                      MissingUsbDevice{"no_device_with_the_ids_on_the_bus", false, "ZQX8G+",
                                       "Serious error, disconnecting"}),
    [](const auto& info) { return std::string(info.param.fault); });

}  // namespace
}  // namespace vaddex
