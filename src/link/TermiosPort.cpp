#include "link/TermiosPort.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include "link/FdIo.h"
#include "link/TermiosSpeed.h"
#include "util/Ticks.h"
#include "util/Trace.h"

namespace vaddex {
namespace {

struct SpeedCode {
    int speed;
    speed_t code;
};

constexpr SpeedCode kSpeedCodes[] = {
    {300, B300},         {600, B600},         {1200, B1200},       {1800, B1800},
    {2400, B2400},       {4800, B4800},       {9600, B9600},       {19200, B19200},
    {38400, B38400},     {57600, B57600},     {115200, B115200},   {230400, B230400},
    {460800, B460800},   {500000, B500000},   {576000, B576000},   {921600, B921600},
    {1000000, B1000000}, {1152000, B1152000}, {1500000, B1500000}, {2000000, B2000000},
};

// The longest a read waits before it looks whether it was cancelled.
constexpr std::int64_t kCancelSliceMs = 50;

bool FindSpeedCode(int speed, speed_t& code) {
    for (const auto& entry : kSpeedCodes) {
        if (entry.speed == speed) {
            code = entry.code;
            return true;
        }
    }
    return false;
}

}  // namespace

std::unique_ptr<TermiosPort> TermiosPort::Open(const std::string& path, int* error) {
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    int failure = fd < 0 ? errno : 0;
    termios settings{};
    if (fd >= 0 && ::tcgetattr(fd, &settings) != 0) {
        failure = errno;
    } else if (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        failure = errno == EWOULDBLOCK ? EBUSY : errno;
    }
    if (failure != 0) {
        if (fd >= 0) {
            ::close(fd);
        }
        if (error) {
            *error = failure;
        }
        return nullptr;
    }
    return std::unique_ptr<TermiosPort>(new TermiosPort(fd, path));
}

TermiosPort::~TermiosPort() {
    ::close(fd_);
}

bool TermiosPort::Configure(int speed) {
    termios settings{};
    if (::tcgetattr(fd_, &settings) != 0) {
        return false;
    }
    ::cfmakeraw(&settings);
    settings.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK | IGNPAR | PARMRK | ISTRIP);
    settings.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
    settings.c_cflag |= CS8 | CLOCAL | CREAD;
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
    if (::tcsetattr(fd_, TCSANOW, &settings) != 0) {
        return false;
    }
    if (!SetSpeed(speed)) {
        return false;
    }
    RaiseModemLines();
    return true;
}

void TermiosPort::RaiseModemLines() {
    int lines = TIOCM_DTR | TIOCM_RTS;
    if (::ioctl(fd_, TIOCMBIS, &lines) != 0) {
        // A pseudo-terminal has no modem lines; nothing depends on them being there.
        Trace("Serial port " + path_ + ": modem lines not set (" + std::strerror(errno) + ")");
    }
}

bool TermiosPort::SetSpeed(int speed) {
    termios settings{};
    if (speed <= 0 || ::tcgetattr(fd_, &settings) != 0) {
        return false;
    }
    speed_t code = B0;
    if (!FindSpeedCode(speed, code)) {
        return SetCustomSpeed(fd_, speed);
    }
    return ::cfsetispeed(&settings, code) == 0 && ::cfsetospeed(&settings, code) == 0 &&
           ::tcsetattr(fd_, TCSANOW, &settings) == 0;
}

bool TermiosPort::SetTimeouts(const SerialTimeouts& timeouts) {
    if (timeouts.readMultiplier < 0 || timeouts.readConstant < 0 || timeouts.writeMultiplier < 0 ||
        timeouts.writeConstant < 0) {
        return false;
    }
    timeouts_ = timeouts;
    return true;
}

std::size_t TermiosPort::TakeAhead(char* data, std::size_t count) {
    std::size_t n = std::min(count, aheadEnd_ - aheadStart_);
    std::memcpy(data, ahead_ + aheadStart_, n);
    aheadStart_ += n;
    if (aheadStart_ == aheadEnd_) {
        aheadStart_ = aheadEnd_ = 0;
    }
    return n;
}

long TermiosPort::Read(char* data, std::size_t count) {
    std::size_t got = TakeAhead(data, count);
    if (got == count) {
        return static_cast<long>(got);
    }
    std::int64_t deadline = TickMs() + timeouts_.readConstant +
                            static_cast<std::int64_t>(count) * timeouts_.readMultiplier;
    while (got < count) {
        // Waited for in slices, so that a cancel ends the wait without the whole deadline.
        short revents = 0;
        int ready = PollUntil(fd_, POLLIN, std::min(deadline, TickMs() + kCancelSliceMs), revents);
        if (ready == 0) {
            if (TickMs() >= deadline || CancelRequested()) {
                break;
            }
            continue;
        }
        // A small request reads into the look-ahead, a large one straight to the caller.
        bool direct = count - got >= kAheadSize;
        ssize_t n = -1;
        if (ready > 0) {
            n = direct ? ::read(fd_, data + got, count - got) : ::read(fd_, ahead_, kAheadSize);
        }
        if (n > 0) {
            if (direct) {
                got += static_cast<std::size_t>(n);
            } else {
                aheadEnd_ = static_cast<std::size_t>(n);
                got += TakeAhead(data + got, count - got);
            }
            continue;
        }
        int error = n < 0 ? errno : 0;
        if (n < 0 && (error == EAGAIN || error == EINTR)) {
            continue;
        }
        // Ready but nothing to read is a hang-up: the far end went away. What came before it
        // is still returned; the next read reports the failure.
        NoteFailure(error != 0 ? error : EIO);
        return got > 0 ? static_cast<long>(got) : -1;
    }
    return static_cast<long>(got);
}

bool TermiosPort::WaitReadable(int maxMs) {
    if (aheadEnd_ > aheadStart_) {
        return true;
    }
    short revents = 0;
    // An error or hang-up counts as readable: the Read that follows reports it.
    return PollUntil(fd_, POLLIN, TickMs() + maxMs, revents) != 0;
}

long TermiosPort::Write(const char* data, std::size_t count) {
    std::int64_t deadline = TickMs() + timeouts_.writeConstant +
                            static_cast<std::int64_t>(count) * timeouts_.writeMultiplier;
    long written = WriteUntil(fd_, data, count, deadline);
    if (written < 0) {
        NoteFailure(errno);
    }
    return written;
}

void TermiosPort::NoteFailure(int error) {
    // The errors of a device that is no longer there; anything else may pass.
    if (error == EIO || error == ENXIO || error == ENODEV || error == EPIPE) {
        lost_ = error;
    }
}

bool TermiosPort::PurgeInput() {
    aheadStart_ = aheadEnd_ = 0;  // read already, but not by anyone: discarded as well
    return ::tcflush(fd_, TCIFLUSH) == 0;
}

}  // namespace vaddex
