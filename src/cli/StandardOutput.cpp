#include "cli/StandardOutput.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>

#include "cli/CliErrors.h"

namespace vaddex::cli {
namespace {

bool IsOpen(int fd) {
    return ::fcntl(fd, F_GETFD) != -1 || errno != EBADF;
}

// Opens /dev/null on a standard descriptor that is not open.
void TakeDescriptor(int fd) {
    int null = ::open("/dev/null", O_RDWR);
    if (null >= 0 && null != fd) {
        ::dup2(null, fd);
        ::close(null);
    }
}

}  // namespace

StandardOutput::StandardOutput() {
    for (int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        if (!IsOpen(fd)) {
            closedAtStart_ = closedAtStart_ || fd == STDOUT_FILENO;
            TakeDescriptor(fd);
        }
    }
    setp(buffer_.data(), buffer_.data() + buffer_.size());
    previous_ = std::cout.rdbuf(this);
}

StandardOutput::~StandardOutput() {
    Drain();
    std::cout.rdbuf(previous_);
}

bool StandardOutput::WriteAll(const char* data, std::size_t size) {
    if (closedAtStart_ || closed_) {
        failure_ = failure_ != 0 ? failure_ : EBADF;
        return size == 0;
    }
    while (size > 0) {
        ssize_t n = ::write(STDOUT_FILENO, data, size);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            // A write that takes nothing would repeat for ever; count it as a full device.
            failure_ = failure_ != 0 ? failure_ : (n < 0 ? errno : ENOSPC);
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool StandardOutput::Drain() {
    bool ok = WriteAll(pbase(), static_cast<std::size_t>(pptr() - pbase()));
    setp(buffer_.data(), buffer_.data() + buffer_.size());
    return ok;
}

StandardOutput::int_type StandardOutput::overflow(int_type c) {
    if (!Drain()) {
        return traits_type::eof();
    }
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(c);
        pbump(1);
    }
    return traits_type::not_eof(c);
}

int StandardOutput::sync() {
    return Drain() ? 0 : -1;
}

std::streamsize StandardOutput::xsputn(const char_type* data, std::streamsize count) {
    auto size = static_cast<std::size_t>(count);
    if (size <= static_cast<std::size_t>(epptr() - pptr())) {
        std::memcpy(pptr(), data, size);
        pbump(static_cast<int>(size));
        return count;
    }
    // Larger than the room left: what is buffered goes first, then the data unbuffered.
    if (!Drain() || !WriteAll(data, size)) {
        return 0;
    }
    return count;
}

std::string StandardOutput::TakeFailure() {
    std::cout.flush();
    Drain();
    // A failed write leaves the stream refusing every later one; the next command writes anew.
    std::cout.clear();
    int failure = failure_;
    failure_ = 0;
    return failure == 0 ? "" : std::strerror(failure);
}

void StandardOutput::Check() {
    if (std::string reason = TakeFailure(); !reason.empty()) {
        throw CommandFailed("standard output: " + reason);
    }
}

std::string StandardOutput::Close() {
    std::string reason = TakeFailure();
    if (!closed_ && !closedAtStart_ && ::close(STDOUT_FILENO) != 0 && reason.empty() &&
        errno != EINTR) {
        reason = std::strerror(errno);
    }
    closed_ = true;
    return reason;
}

}  // namespace vaddex::cli
