#include "support/PeerIo.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>

#include "link/FdIo.h"
#include "util/Ticks.h"

namespace vaddex::test {

bool PeerWrite(int fd, std::string_view bytes, int timeoutMs) {
    if (fd < 0) {
        return false;
    }
    long written = WriteUntil(fd, bytes.data(), bytes.size(), TickMs() + timeoutMs);
    return written == static_cast<long>(bytes.size());
}

std::string PeerRead(int fd, std::size_t count, int timeoutMs) {
    std::int64_t deadline = TickMs() + timeoutMs;
    std::string result;
    char chunk[4096];
    short revents = 0;
    while (result.size() < count && fd >= 0 && PollUntil(fd, POLLIN, deadline, revents) > 0) {
        std::size_t want = std::min(count - result.size(), sizeof chunk);
        ssize_t n = ::read(fd, chunk, want);
        if (n > 0) {
            result.append(chunk, static_cast<std::size_t>(n));
        } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
            break;
        }
    }
    return result;
}

}  // namespace vaddex::test
