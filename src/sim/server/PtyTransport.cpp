#include "sim/server/PtyTransport.h"

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace zqsim {
namespace {

[[noreturn]] void Fail(const char* what) {
    throw std::system_error(errno, std::generic_category(), what);
}

int SpeedToBits(speed_t speed) {
    switch (speed) {
        case B1200:
            return 1200;
        case B2400:
            return 2400;
        case B4800:
            return 4800;
        case B9600:
            return 9600;
        case B19200:
            return 19200;
        case B38400:
            return 38400;
        case B57600:
            return 57600;
        case B115200:
            return 115200;
        case B230400:
            return 230400;
        default:
            return 0;
    }
}

}  // namespace

PtyTransport::PtyTransport(const std::string& linkPath) {
    in_.Reset(::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK));
    if (!in_.IsOpen()) {
        Fail("posix_openpt");
    }
    ::fcntl(in_.Get(), F_SETFD, FD_CLOEXEC);
    if (::grantpt(in_.Get()) != 0 || ::unlockpt(in_.Get()) != 0) {
        Fail("grantpt/unlockpt");
    }
    char name[128];
    if (::ptsname_r(in_.Get(), name, sizeof name) != 0) {
        Fail("ptsname_r");
    }
    slavePath_ = name;
    slave_.Reset(::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (!slave_.IsOpen()) {
        Fail("open pty slave");
    }
    // Raw until the PC sets its own mode: no echo, no line editing, no translation.
    termios settings{};
    if (::tcgetattr(slave_.Get(), &settings) == 0) {
        ::cfmakeraw(&settings);
        ::cfsetispeed(&settings, B9600);
        ::cfsetospeed(&settings, B9600);
        settings.c_cflag |= CLOCAL | CREAD;
        ::tcsetattr(slave_.Get(), TCSANOW, &settings);
    }
    if (!linkPath.empty()) {
        ::unlink(linkPath.c_str());
        if (::symlink(slavePath_.c_str(), linkPath.c_str()) != 0) {
            Fail("symlink");
        }
        linkPath_ = linkPath;
    }
}

PtyTransport::~PtyTransport() {
    Close();
}

int PtyTransport::BitsPerSecond() const {
    // The master reports the termios that the PC set on the slave.
    termios settings{};
    if (!in_.IsOpen() || ::tcgetattr(in_.Get(), &settings) != 0) {
        return 0;
    }
    return SpeedToBits(::cfgetospeed(&settings));
}

void PtyTransport::Close() {
    SimTransport::Close();
    slave_.Reset();
    if (!linkPath_.empty()) {
        ::unlink(linkPath_.c_str());
        linkPath_.clear();
    }
}

}  // namespace zqsim
