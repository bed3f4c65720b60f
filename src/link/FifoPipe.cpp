#include "link/FifoPipe.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <mutex>

#include "link/FdIo.h"
#include "util/Ticks.h"

namespace vaddex {
namespace {

void IgnoreSigPipe() {
    static std::once_flag once;
    std::call_once(once, [] { std::signal(SIGPIPE, SIG_IGN); });
}

}  // namespace

int FifoPipe::OpenFifo(const std::string& path, int flags, int* error) {
    int fd = ::open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC);
    int failure = fd < 0 ? errno : 0;
    struct stat info {};
    if (fd >= 0 && (::fstat(fd, &info) != 0 || !S_ISFIFO(info.st_mode))) {
        failure = EINVAL;
        ::close(fd);
        fd = -1;
    }
    if (fd < 0 && error) {
        *error = failure;
    }
    return fd;
}

std::unique_ptr<FifoPipe> FifoPipe::OpenForReading(const std::string& path, int* error) {
    int fd = OpenFifo(path, O_RDONLY, error);
    if (fd < 0) {
        return nullptr;
    }
    int wake[2];
    if (::pipe2(wake, O_CLOEXEC | O_NONBLOCK) != 0) {
        if (error) {
            *error = errno;
        }
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<FifoPipe>(new FifoPipe(fd, wake[0], wake[1]));
}

std::unique_ptr<FifoPipe> FifoPipe::OpenForWriting(const std::string& path, int* error) {
    IgnoreSigPipe();
    int fd = OpenFifo(path, O_WRONLY, error);
    if (fd < 0) {
        return nullptr;
    }
    return std::unique_ptr<FifoPipe>(new FifoPipe(fd, -1, -1));
}

FifoPipe::~FifoPipe() {
    ::close(fd_);
    if (wakeRead_ >= 0) {
        ::close(wakeRead_);
        ::close(wakeWrite_);
    }
}

long FifoPipe::ReadChunk(char* data, std::size_t count) {
    if (wakeRead_ < 0) {
        return -1;
    }
    for (;;) {
        if (cancelled_) {
            return 0;
        }
        pollfd entries[2] = {{fd_, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
        if (::poll(entries, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return -1;
        }
        if (entries[1].revents != 0) {
            return 0;
        }
        ssize_t n = ::read(fd_, data, count);
        if (n >= 0) {
            return static_cast<long>(n);  // 0: no device holds the FIFO open for writing
        }
        if (errno != EAGAIN && errno != EINTR) {
            return -1;
        }
    }
}

void FifoPipe::CancelRead() {
    cancelled_ = true;
    if (wakeWrite_ >= 0) {
        char byte = 1;
        // A full wake-up pipe already wakes the reader; nothing else can fail here.
        [[maybe_unused]] ssize_t ignored = ::write(wakeWrite_, &byte, 1);
    }
}

long FifoPipe::Write(const char* data, std::size_t count, int timeoutMs) {
    return WriteUntil(fd_, data, count, TickMs() + timeoutMs);
}

}  // namespace vaddex
