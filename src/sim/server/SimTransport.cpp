#include "sim/server/SimTransport.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

namespace zqsim {

SimTransport::~SimTransport() = default;

void SimTransport::Close() {
    out_.Reset();
    in_.Reset();
}

// Returns 1 when fd is ready, 0 on time-out, -1 when woken; revents tells what fd showed.
int SimTransport::PollOne(int fd, short events, int timeoutMs, short& revents) {
    pollfd fds[2] = {{wake_.ReadFd(), POLLIN, 0}, {fd, events, 0}};
    int n;
    do {
        n = ::poll(fds, fd >= 0 ? 2 : 1, timeoutMs);
    } while (n < 0 && errno == EINTR);
    revents = fds[1].revents;
    if (fds[0].revents != 0) {
        wake_.Drain();
        return -1;
    }
    return n > 0 ? 1 : 0;
}

IoStatus SimTransport::Read(char* buffer, std::size_t max, int timeoutMs, std::size_t& count) {
    count = 0;
    if (!in_.IsOpen()) {
        return IoStatus::Closed;
    }
    short revents = 0;
    int ready = PollOne(in_.Get(), POLLIN, timeoutMs, revents);
    if (ready < 0) {
        return IoStatus::Woken;
    }
    if (ready == 0) {
        return IoStatus::Timeout;
    }
    ssize_t n = ::read(in_.Get(), buffer, max);
    if (n > 0) {
        count = static_cast<std::size_t>(n);
        return IoStatus::Done;
    }
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
        return IoStatus::Timeout;
    }
    return IoStatus::Closed;
}

IoStatus SimTransport::Write(const char* data, std::size_t size, int timeoutMs,
                             std::size_t& written) {
    written = 0;
    while (written < size) {
        if (!in_.IsOpen()) {
            return IoStatus::Closed;
        }
        ssize_t n = ::write(OutFd(), data + written, size - written);
        if (n > 0) {
            written += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) {
            return IoStatus::Closed;
        }
        short revents = 0;
        int ready = PollOne(OutFd(), POLLOUT, timeoutMs, revents);
        if (ready < 0) {
            return IoStatus::Woken;
        }
        if (ready == 0) {
            return IoStatus::Timeout;
        }
        if ((revents & (POLLERR | POLLNVAL)) != 0) {
            return IoStatus::Closed;
        }
    }
    return IoStatus::Done;
}

IoStatus SimTransport::Sleep(int ms) {
    short revents = 0;
    return PollOne(-1, 0, ms, revents) < 0 ? IoStatus::Woken : IoStatus::Timeout;
}

void SimTransport::DiscardInput() {
    char buffer[512];
    while (in_.IsOpen() && ::read(in_.Get(), buffer, sizeof buffer) > 0) {
    }
}

}  // namespace zqsim
