#include "frontend/SessionStack.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "session/SessionCommands.h"
#include "session/TXModemServer.h"
#include "session/TXPObject.h"
#include "support/ScriptedUiBridge.h"

namespace vaddex::frontend {
namespace {

const std::vector<std::string> kListed = {"Auto", "/dev/ttyS0", "/dev/ttyUSB0", "ZQx8G+_1"};

struct RememberedRow {
    const char* behaviour;
    const char* remembered;
    UnlistedPort unlisted;
    const char* chosen;
    bool listRead;  // whether the rule had to read the port list
};

const RememberedRow kRememberedRows[] = {
    {"auto in any case is Auto, without reading the list", "aUTO", UnlistedPort::KeepAnyPath,
     "Auto", false},
    {"a listed name takes the list's spelling", "zqx8g+_1", UnlistedPort::ToAuto, "ZQx8G+_1", true},
    {"a name the list lacks falls back to Auto", "COM3", UnlistedPort::KeepAnyPath, "Auto", true},
    {"an empty name is Auto", "", UnlistedPort::KeepAbsolute, "Auto", true},
    {"the window at start selects a listed path", "/dev/ttyS0", UnlistedPort::ToAuto, "/dev/ttyS0",
     true},
    {"the window at start drops a path the list lacks", "/dev/pts/9", UnlistedPort::ToAuto, "Auto",
     true},
    {"the selector keeps a typed absolute path as typed", "/dev/pts/9", UnlistedPort::KeepAbsolute,
     "/dev/pts/9", false},
    {"the selector drops a relative path the list lacks", "dev/pts/9", UnlistedPort::KeepAbsolute,
     "Auto", true},
    {"the command line opens a stored relative path as given", "dev/pts/9",
     UnlistedPort::KeepAnyPath, "dev/pts/9", false},
    {"the command line keeps a stored path's own spelling", "/DEV/TTYS0", UnlistedPort::KeepAnyPath,
     "/DEV/TTYS0", false},
};

TEST(RememberedPort, ChoosesAsEachFrontEndDid) {
    for (const RememberedRow& row : kRememberedRows) {
        bool listRead = false;
        std::string chosen = ChooseRememberedPort(row.remembered, row.unlisted, [&listRead] {
            listRead = true;
            return kListed;
        });
        EXPECT_EQ(chosen, row.chosen) << row.behaviour;
        EXPECT_EQ(listRead, row.listRead) << row.behaviour;
    }
}

class SessionStackTest : public ::testing::Test {
protected:
    CalculatorState state;
    test::ScriptedUiBridge ui{state};
};

TEST_F(SessionStackTest, BuildsTheStackFromTheSettings) {
    StoredSettings settings;
    settings.addExtension = false;
    std::vector<std::string> statusTexts;
    SessionStack stack(ui, settings,
                       [&statusTexts](const std::string& text) { statusTexts.push_back(text); });
    EXPECT_EQ(stack.Root().Name, "HOME");
    EXPECT_EQ(stack.Root().TypeName, "Directory");
    EXPECT_TRUE(stack.Root().IsDirectory());
    EXPECT_NE(stack.Root().Server, nullptr);
    EXPECT_EQ(&stack.Commands().Root(), &stack.Root());
    EXPECT_FALSE(stack.Commands().AddExtension);

    // The session's status texts reach the front end; a port that does not open says why.
    stack.SetSpeed("9600");
    stack.Commands().SelectedPort = "/dev/vaddex-test-no-such-port";
    Outcome connected = stack.Commands().ConnectToCalculator();
    EXPECT_EQ(connected.kind, Outcome::Kind::PortUnavailable) << connected.message;
    EXPECT_NE(connected.message.find("No such file or directory"), std::string::npos)
        << connected.message;
    EXPECT_FALSE(statusTexts.empty());

    stack.SetSpeed("38400");
    EXPECT_EQ(stack.Commands().LinkSpeed(), "38400");
}

TEST_F(SessionStackTest, KeptDevicePathsJoinEveryList) {
    SessionStack stack(ui, StoredSettings{}, {});
    std::vector<std::string> before = stack.ListPorts();
    ASSERT_FALSE(before.empty());
    EXPECT_EQ(before.front(), "Auto");

    const std::string path = "/dev/vaddex-test-no-such-port";
    EXPECT_TRUE(stack.KeepPort(path));
    EXPECT_TRUE(stack.KeepPort(path));
    EXPECT_FALSE(stack.KeepPort("ZQx8G+_1")) << "a listed name comes back by itself";
    EXPECT_FALSE(stack.KeepPort("dev/pts/9")) << "only a device path is kept";
    std::vector<std::string> after = stack.ListPorts();
    EXPECT_EQ(std::count(after.begin(), after.end(), path), 1);
    EXPECT_EQ(after.back(), path);
    EXPECT_EQ(stack.ChoosePort(path, UnlistedPort::ToAuto), path) << "a kept path is listed";
}

}  // namespace
}  // namespace vaddex::frontend
