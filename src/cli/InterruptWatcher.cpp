#include "cli/InterruptWatcher.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "link/Trace.h"

namespace vaddex::cli {
namespace {

// The write end of the watcher's pipe, for the signal handler; -1 while no watcher lives.
std::atomic<int> gSignalFd{-1};
struct sigaction gPrevious {};

extern "C" void OnInterruptSignal(int) {
    int savedErrno = errno;
    int fd = gSignalFd.load();
    if (fd >= 0) {
        char byte = 'i';
        [[maybe_unused]] ssize_t ignored = ::write(fd, &byte, 1);
    }
    errno = savedErrno;
}

}  // namespace

InterruptWatcher::InterruptWatcher(std::function<void()> onInterrupt)
    : onInterrupt_(std::move(onInterrupt)) {
    if (::pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0) {
        throw std::system_error(errno, std::generic_category(), "pipe");
    }
    gSignalFd = pipe_[1];
    struct sigaction action {};
    action.sa_handler = OnInterruptSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, &gPrevious);
    thread_ = std::thread([this] { Run(); });
}

InterruptWatcher::~InterruptWatcher() {
    ::sigaction(SIGINT, &gPrevious, nullptr);
    gSignalFd = -1;
    stop_ = true;
    char byte = 's';
    [[maybe_unused]] ssize_t ignored = ::write(pipe_[1], &byte, 1);
    if (thread_.joinable()) {
        thread_.join();
    }
    ::close(pipe_[0]);
    ::close(pipe_[1]);
}

void InterruptWatcher::Run() {
    while (!stop_) {
        pollfd fd{pipe_[0], POLLIN, 0};
        if (::poll(&fd, 1, -1) < 0 && errno != EINTR) {
            return;
        }
        char bytes[16];
        ssize_t count = ::read(pipe_[0], bytes, sizeof bytes);
        for (ssize_t i = 0; i < count && !stop_; ++i) {
            if (bytes[i] == 'i' && onInterrupt_) {
                try {
                    onInterrupt_();
                } catch (...) {
                    Trace("Interrupt handler failed");  // none may end the thread
                }
            }
        }
    }
}

}  // namespace vaddex::cli
