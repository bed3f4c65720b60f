#include "cli/InterruptWatcher.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "util/Trace.h"

namespace vaddex::cli {
namespace {

constexpr int kWatchedSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int kWatchedCount = sizeof kWatchedSignals / sizeof kWatchedSignals[0];
// The byte that tells the thread to end; signal numbers are never 0.
constexpr char kStopByte = 0;

// The write end of the watcher's pipe, for the signal handler; -1 while no watcher lives.
std::atomic<int> gSignalFd{-1};
struct sigaction gPrevious[kWatchedCount] {};

extern "C" void OnInterruptSignal(int signal) {
    int savedErrno = errno;
    int fd = gSignalFd.load();
    if (fd >= 0) {
        char byte = static_cast<char>(signal);
        [[maybe_unused]] ssize_t ignored = ::write(fd, &byte, 1);
    }
    errno = savedErrno;
}

}  // namespace

InterruptWatcher::InterruptWatcher(std::function<void(int signal)> onSignal)
    : onSignal_(std::move(onSignal)) {
    if (::pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0) {
        throw std::system_error(errno, std::generic_category(), "pipe");
    }
    gSignalFd = pipe_[1];
    struct sigaction action {};
    action.sa_handler = OnInterruptSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int i = 0; i < kWatchedCount; ++i) {
        ::sigaction(kWatchedSignals[i], &action, &gPrevious[i]);
    }
    thread_ = std::thread([this] { Run(); });
}

InterruptWatcher::~InterruptWatcher() {
    for (int i = 0; i < kWatchedCount; ++i) {
        ::sigaction(kWatchedSignals[i], &gPrevious[i], nullptr);
    }
    gSignalFd = -1;
    stop_ = true;
    char byte = kStopByte;
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
            if (bytes[i] != kStopByte && onSignal_) {
                try {
                    onSignal_(bytes[i]);
                } catch (...) {
                    Trace("Interrupt handler failed");  // none may end the thread
                }
            }
        }
    }
}

}  // namespace vaddex::cli
