#include "sim/server/WakePipe.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace zqsim {

WakePipe::WakePipe() {
    int fds[2];
    if (::pipe(fds) != 0) {
        throw std::system_error(errno, std::generic_category(), "pipe");
    }
    readEnd_.Reset(fds[0]);
    writeEnd_.Reset(fds[1]);
    for (int fd : fds) {
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
}

void WakePipe::Wake() {
    char byte = 1;
    // A full pipe already wakes the reader, so a failed write loses nothing.
    [[maybe_unused]] ssize_t n = ::write(writeEnd_.Get(), &byte, 1);
}

void WakePipe::Drain() {
    char buffer[64];
    while (::read(readEnd_.Get(), buffer, sizeof buffer) > 0) {
    }
}

}  // namespace zqsim
