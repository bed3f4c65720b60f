#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "PcPeer.h"
#include "support/TempDir.h"
#include "support/ZqsimProcess.h"

namespace zqsim::test {
namespace {

using vaddex::test::ZqsimProcess;

TEST(ZqsimTest, HelpListsEveryOption) {
    ZqsimProcess zqsim({"--help"});
    ASSERT_TRUE(zqsim.Process().Ended(5000));
    const std::string& help = zqsim.Process().Out();
    for (const char* option : {"--usb", "--device", "--model", "--block", "--check", "--busy",
                               "--time-scale", "--pace", "--seed", "--fault", "--trace"}) {
        EXPECT_NE(help.find(option), std::string::npos) << option;
    }
}

TEST(ZqsimTest, PrintsItsPtyAndAnswersOnIt) {
    ZqsimProcess zqsim({"--busy", "0"});
    const std::string& port = zqsim.Port();
    ASSERT_EQ(port.rfind("/dev/pts/", 0), 0u) << port;
    PcPeer pc = PcPeer::OpenPty(port);
    pc.Write("V");
    std::string length = pc.Read(2);
    ASSERT_EQ(length.size(), 2u);
    EXPECT_EQ(length[0], '\0');
    std::string version = pc.Read(static_cast<unsigned char>(length[1]) + 1u);
    EXPECT_EQ(version.size(), static_cast<unsigned char>(length[1]) + 1u);
    pc.Write("\x06");
    // A command on standard input switches the calculator to its Kermit server.
    zqsim.Console("kermit");
    EXPECT_EQ(pc.Read(1), "\x01");
    zqsim.Process().Signal(SIGTERM);
    EXPECT_EQ(zqsim.Process().Wait(5000), 0);
}

TEST(ZqsimTest, UsbDeviceIsRemovedWhenInterrupted) {
    vaddex::test::TempDir root;
    ZqsimProcess zqsim({"--usb"}, {{"VADDEX_USB_ROOT", root.Path()}});
    ASSERT_EQ(zqsim.Port(), "ZQx8G+");
    struct stat info {};
    EXPECT_EQ(::stat((root.Path() + "ZQx8G+/PIPE0").c_str(), &info), 0);
    zqsim.Process().Signal(SIGINT);
    EXPECT_EQ(zqsim.Process().Wait(5000), 0);
    EXPECT_NE(::stat((root.Path() + "ZQx8G+").c_str(), &info), 0);
}

}  // namespace
}  // namespace zqsim::test
