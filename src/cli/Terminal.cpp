#include "cli/Terminal.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>

namespace vaddex::cli {

Terminal::Terminal() {
    if (::isatty(STDIN_FILENO) == 0 || ::isatty(STDERR_FILENO) == 0) {
        tty_ = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    }
    input_ = ::isatty(STDIN_FILENO) != 0 ? STDIN_FILENO : tty_;
    output_ = ::isatty(STDERR_FILENO) != 0 || tty_ < 0 ? STDERR_FILENO : tty_;
    if (::pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) {
        input_ = -1;  // without a way to interrupt it, a question could never be cancelled
    }
}

Terminal::~Terminal() {
    for (int fd : {tty_, wake_[0], wake_[1]}) {
        if (fd >= 0) {
            ::close(fd);
        }
    }
}

void Terminal::Write(const std::string& text) const {
    std::size_t done = 0;
    while (done < text.size()) {
        ssize_t n = ::write(output_, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return;
        }
        done += static_cast<std::size_t>(n);
    }
}

std::optional<std::string> Terminal::ReadLine(const std::string& question,
                                              const std::string& prompt) {
    if (input_ < 0) {
        return std::nullopt;
    }
    char drain[64];
    while (::read(wake_[0], drain, sizeof drain) > 0) {
        // An interrupt meant for an earlier question.
    }
    if (output_ != STDERR_FILENO) {
        Write(question);
    }
    Write(prompt);
    asking_ = true;
    std::string line;
    std::optional<std::string> result;
    for (;;) {
        pollfd fds[2] = {{input_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
        int n = ::poll(fds, 2, -1);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 || fds[1].revents != 0) {
            Write("\n");
            break;
        }
        char c = 0;
        ssize_t count = ::read(input_, &c, 1);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            break;
        }
        if (c == '\n') {
            result = line;
            break;
        }
        if (c != '\r') {
            line += c;
        }
    }
    asking_ = false;
    return result;
}

void Terminal::Interrupt() {
    char byte = 'i';
    [[maybe_unused]] ssize_t ignored = ::write(wake_[1], &byte, 1);
}

}  // namespace vaddex::cli
