#include "link/HangUpWatch.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>

#include "util/Trace.h"

namespace vaddex {

HangUpWatch::HangUpWatch(int fd, std::function<void(int error)> onHangUp)
    : onHangUp_(std::move(onHangUp)) {
    int wake[2];
    if (::pipe2(wake, O_CLOEXEC) != 0) {
        throw std::runtime_error(std::string("no pipe for the port's watch: ") +
                                 std::strerror(errno));
    }
    wakeRead_ = wake[0];
    wakeWrite_ = wake[1];
    try {
        thread_ = std::thread([this, fd] { Run(fd); });
    } catch (...) {
        ::close(wakeRead_);
        ::close(wakeWrite_);
        throw;
    }
}

HangUpWatch::~HangUpWatch() {
    char byte = 1;
    while (::write(wakeWrite_, &byte, 1) < 0 && errno == EINTR) {
    }
    thread_.join();
    ::close(wakeRead_);
    ::close(wakeWrite_);
}

void HangUpWatch::Run(int fd) {
    // No events asked of the port: poll reports a hang-up or an error whatever is asked, and
    // bytes that come while nothing reads them must not wake the watch again and again.
    pollfd watched[2] = {{fd, 0, 0}, {wakeRead_, POLLIN, 0}};
    for (;;) {
        int ready = ::poll(watched, 2, -1);
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready < 0 || watched[1].revents != 0) {
            return;
        }
        if (watched[0].revents & (POLLHUP | POLLERR | POLLNVAL)) {
            try {
                onHangUp_(watched[0].revents & POLLNVAL ? EBADF : EIO);
            } catch (const std::exception& e) {
                Trace(std::string("the port's watch: ") + e.what());
            } catch (...) {
                Trace("the port's watch failed");
            }
            return;
        }
    }
}

}  // namespace vaddex
