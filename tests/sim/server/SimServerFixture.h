#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "FakeCalculator.h"
#include "PcPeer.h"
#include "sim/server/SimServer.h"
#include "support/TempDir.h"

namespace zqsim::test {

// A simulator on a fake calculator with the PC's end open, for byte-level exchanges.
class SimServerTest : public ::testing::Test {
protected:
    static SimServerOptions Quick() {
        SimServerOptions options;
        options.busyMs = 0;
        options.screenDelayMs = 0;
        return options;
    }

    void Serve(SimServerOptions options = Quick()) {
        if (options.transport == TransportKind::Fifo && options.usbRoot.empty()) {
            options.usbRoot = usbRoot.Path();
        }
        server = std::make_unique<SimServer>(calculator, options);
        server->Start();
        pc = options.transport == TransportKind::Fifo
                 ? PcPeer::OpenUsb(usbRoot.Path() + server->PortName())
                 : PcPeer::OpenPty(server->PortName());
    }

    // Reads one answer packet, checks its sum and returns its data.
    std::string ReadPacket() {
        std::string length = pc.Read(2);
        if (length.size() < 2) {
            ADD_FAILURE() << "no answer packet";
            return {};
        }
        std::size_t n =
            static_cast<unsigned char>(length[0]) * 256u + static_cast<unsigned char>(length[1]);
        std::string rest = pc.Read(n + 1);
        EXPECT_EQ(length + rest, PcPeer::Packet(rest.substr(0, n))) << "damaged packet";
        return rest.substr(0, n);
    }

    bool WaitFor(const std::function<bool(const SimStats&)>& condition, int ms = 5000) {
        return server->WaitFor(condition, ms);
    }

    void Send(char letter, const std::string& data) {
        pc.Write(std::string(1, letter) + PcPeer::Packet(data));
    }

    vaddex::test::TempDir usbRoot;
    FakeCalculator calculator;
    std::unique_ptr<SimServer> server;
    PcPeer pc;
};

inline constexpr char kAckByte = 0x06;
inline constexpr char kNakByte = 0x15;
inline constexpr char kCanByte = 0x18;
inline constexpr char kEotByte = 0x04;

}  // namespace zqsim::test
