#include "link/FdIo.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

#include "util/Ticks.h"

namespace vaddex {

int PollUntil(int fd, short events, std::int64_t deadline, short& revents) {
    for (;;) {
        std::int64_t remaining = deadline - TickMs();
        if (remaining <= 0) {
            return 0;
        }
        pollfd entry{fd, events, 0};
        int result = ::poll(&entry, 1, static_cast<int>(remaining));
        if (result < 0 && errno == EINTR) {
            continue;
        }
        revents = entry.revents;
        return result;
    }
}

long WriteUntil(int fd, const char* data, std::size_t count, std::int64_t deadline) {
    std::size_t done = 0;
    while (done < count) {
        ssize_t n = ::write(fd, data + done, count - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && errno != EAGAIN) {
            return done > 0 ? static_cast<long>(done) : -1;  // EPIPE: the far end went away
        }
        short revents = 0;
        int ready = PollUntil(fd, POLLOUT, deadline, revents);
        if (ready == 0) {
            break;
        }
        if (ready < 0 || (revents & (POLLERR | POLLHUP | POLLNVAL))) {
            if (ready > 0) {
                errno = EIO;  // a hang-up leaves no error of its own
            }
            return done > 0 ? static_cast<long>(done) : -1;
        }
    }
    return static_cast<long>(done);
}

}  // namespace vaddex
