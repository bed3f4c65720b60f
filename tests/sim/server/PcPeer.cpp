#include "PcPeer.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <stdexcept>

#include "sim/server/BlockCheck.h"
#include "support/OneByteSum.h"

namespace zqsim::test {

PcPeer PcPeer::OpenPty(const std::string& path) {
    PcPeer peer;
    peer.in_.Reset(::open(path.c_str(), O_RDWR | O_NOCTTY));
    if (!peer.in_.IsOpen()) {
        throw std::runtime_error("cannot open " + path);
    }
    termios settings{};
    ::tcgetattr(peer.in_.Get(), &settings);
    ::cfmakeraw(&settings);
    ::tcsetattr(peer.in_.Get(), TCSANOW, &settings);
    return peer;
}

PcPeer PcPeer::OpenUsb(const std::string& folder) {
    PcPeer peer;
    peer.out_.Reset(::open((folder + "/PIPE1").c_str(), O_WRONLY | O_NONBLOCK));
    peer.in_.Reset(::open((folder + "/PIPE0").c_str(), O_RDONLY | O_NONBLOCK));
    if (!peer.in_.IsOpen() || !peer.out_.IsOpen()) {
        throw std::runtime_error("no USB device at " + folder);
    }
    return peer;
}

void PcPeer::Write(const std::string& bytes) {
    int fd = out_.IsOpen() ? out_.Get() : in_.Get();
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else {
            pollfd p{fd, POLLOUT, 0};
            if (::poll(&p, 1, 3000) <= 0) {
                throw std::runtime_error("write to the simulator stalled");
            }
        }
    }
}

std::string PcPeer::Read(std::size_t n, int timeoutMs) {
    std::string out;
    while (out.size() < n) {
        pollfd p{in_.Get(), POLLIN, 0};
        if (::poll(&p, 1, timeoutMs) <= 0) {
            break;
        }
        char buffer[2048];
        std::size_t want = std::min(sizeof buffer, n - out.size());
        ssize_t got = ::read(in_.Get(), buffer, want);
        if (got <= 0) {
            break;
        }
        out.append(buffer, static_cast<std::size_t>(got));
    }
    return out;
}

std::string PcPeer::ReadUntilQuiet(int timeoutMs) {
    return Read(1 << 20, timeoutMs);
}

bool PcPeer::WaitHangUp(int timeoutMs) {
    pollfd p{in_.Get(), POLLIN, 0};
    if (::poll(&p, 1, timeoutMs) <= 0) {
        return false;
    }
    char byte;
    return (p.revents & (POLLHUP | POLLERR)) != 0 || ::read(in_.Get(), &byte, 1) <= 0;
}

void PcPeer::SetSpeed(unsigned speed) {
    termios settings{};
    ::tcgetattr(in_.Get(), &settings);
    ::cfsetispeed(&settings, static_cast<speed_t>(speed));
    ::cfsetospeed(&settings, static_cast<speed_t>(speed));
    ::tcsetattr(in_.Get(), TCSANOW, &settings);
}

void PcPeer::Close() {
    in_.Reset();
    out_.Reset();
}

std::string PcPeer::Packet(const std::string& data) {
    return std::string{static_cast<char>(data.size() >> 8), static_cast<char>(data.size() & 0xFF)} +
           data + vaddex::test::OneByteSum(data);
}

std::string PcPeer::Block(std::uint8_t number, const std::string& data, std::size_t size,
                          char mode) {
    std::string payload = data;
    payload.resize(size, '\x1A');
    CheckMode check = mode == 'C'   ? CheckMode::Crc16
                      : mode == 'D' ? CheckMode::Kermit
                                    : CheckMode::Checksum;
    return std::string{static_cast<char>(size == 128 ? kSoh : kStx), static_cast<char>(number),
                       static_cast<char>(255 - number)} +
           payload + CheckBytes(check, payload);
}

}  // namespace zqsim::test
