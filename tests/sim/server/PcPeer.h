#pragma once

#include <cstdint>
#include <string>

#include "sim/server/UniqueFd.h"

namespace zqsim::test {

// The PC's end of the link, driven byte by byte by the tests: the pty slave opened raw, or
// the USB device's two FIFOs.
class PcPeer {
public:
    // A pty slave path, or with usbFolder the device folder holding PIPE0 and PIPE1.
    static PcPeer OpenPty(const std::string& path);
    static PcPeer OpenUsb(const std::string& folder);

    void Write(const std::string& bytes);
    void WriteByte(std::uint8_t byte) { Write(std::string(1, static_cast<char>(byte))); }
    // Blocks until n bytes came or timeoutMs of silence passed; returns what came.
    std::string Read(std::size_t n, int timeoutMs = 3000);
    // Blocks until timeoutMs of silence passed; returns everything that came.
    std::string ReadUntilQuiet(int timeoutMs);
    // Blocks at most timeoutMs for the read side to fail or hang up (a pulled cable).
    bool WaitHangUp(int timeoutMs);
    void Close();
    // Sets the line speed (a termios Bnnnn constant) as the PC's port settings do.
    void SetSpeed(unsigned speed);

    // A command packet as the PC builds it: length high, low, data, sum of the data.
    static std::string Packet(const std::string& data);
    // One block: header, number, complement, data padded to size, check in wire order.
    static std::string Block(std::uint8_t number, const std::string& data, std::size_t size,
                             char mode);

private:
    UniqueFd in_;
    UniqueFd out_;
};

}  // namespace zqsim::test
