#include <fcntl.h>
#include <sys/stat.h>

#include "SimServerFixture.h"

namespace zqsim::test {
namespace {

TEST_F(SimServerTest, PcClosingAndReopeningThePtyKeepsTheServer) {
    Serve();
    pc.Close();
    pc = PcPeer::OpenPty(server->PortName());
    pc.Write("V");
    EXPECT_EQ(ReadPacket(), "FAKE SERVER 1.0");
}

TEST_F(SimServerTest, UsbDeviceIsPresentExactlyWhileServed) {
    SimServerOptions options = Quick();
    options.transport = TransportKind::Fifo;
    options.usbRoot = usbRoot.Path();
    Serve(options);
    EXPECT_EQ(server->PortName(), "ZQx8G+");
    std::string pipe1 = usbRoot.Path() + "ZQx8G+/PIPE1";
    UniqueFd probe(::open(pipe1.c_str(), O_WRONLY | O_NONBLOCK));
    EXPECT_TRUE(probe.IsOpen()) << "the PC's presence test";
    probe.Reset();

    // A second simulator takes the next device name.
    FakeCalculator other;
    SimServer second(other, options);
    second.Start();
    EXPECT_EQ(second.PortName(), "ZQx8G+_1");
    second.Stop();

    pc.Close();
    server->Stop();
    struct stat info {};
    EXPECT_NE(::stat(pipe1.c_str(), &info), 0) << "the FIFOs are removed at the end";
}

TEST(SimServerSetupTest, ModelOfAnotherPersonalityIsRefused) {
    FakeCalculator k7(Personality::K7);
    SimServerOptions options;
    options.personality = Personality::K8;
    EXPECT_THROW(SimServer(k7, options), std::invalid_argument);
}

}  // namespace
}  // namespace zqsim::test
