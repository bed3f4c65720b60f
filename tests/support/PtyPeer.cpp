#include "support/PtyPeer.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>

#include "util/Ticks.h"

namespace vaddex::test {
namespace {

// Waits for `events` on fd until the deadline tick; true when ready.
bool WaitReady(int fd, short events, std::int64_t deadline) {
    for (;;) {
        std::int64_t remaining = deadline - TickMs();
        if (remaining <= 0) {
            return false;
        }
        pollfd entry{fd, events, 0};
        int result = ::poll(&entry, 1, static_cast<int>(remaining));
        if (result > 0) {
            return true;
        }
        if (result < 0 && errno != EINTR) {
            return false;
        }
    }
}

}  // namespace

PtyPeer::PtyPeer() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
        Close();
        throw std::runtime_error("no pseudo-terminal");
    }
    char name[128];
    if (::ptsname_r(master_, name, sizeof name) != 0) {
        Close();
        throw std::runtime_error("no pseudo-terminal name");
    }
    slavePath_ = name;
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios settings{};
    if (slave_ < 0 || ::tcgetattr(master_, &settings) != 0) {
        Close();
        throw std::runtime_error("cannot open the pseudo-terminal slave");
    }
    ::cfmakeraw(&settings);
    ::tcsetattr(master_, TCSANOW, &settings);
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
}

PtyPeer::~PtyPeer() {
    Close();
}

bool PtyPeer::Write(std::string_view bytes, int timeoutMs) {
    std::int64_t deadline = TickMs() + timeoutMs;
    std::size_t done = 0;
    while (done < bytes.size() && master_ >= 0) {
        ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && errno != EAGAIN) {
            return false;
        } else if (!WaitReady(master_, POLLOUT, deadline)) {
            return false;
        }
    }
    return done == bytes.size();
}

std::string PtyPeer::Read(std::size_t count, int timeoutMs) {
    std::int64_t deadline = TickMs() + timeoutMs;
    std::string result;
    char chunk[4096];
    while (result.size() < count && master_ >= 0 && WaitReady(master_, POLLIN, deadline)) {
        std::size_t want = std::min(count - result.size(), sizeof chunk);
        ssize_t n = ::read(master_, chunk, want);
        if (n > 0) {
            result.append(chunk, static_cast<std::size_t>(n));
        } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
            break;
        }
    }
    return result;
}

void PtyPeer::Close() {
    if (master_ >= 0) {
        ::close(master_);
        master_ = -1;
    }
    if (slave_ >= 0) {
        ::close(slave_);
        slave_ = -1;
    }
}

}  // namespace vaddex::test
