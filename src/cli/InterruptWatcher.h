#pragma once

#include <atomic>
#include <functional>
#include <thread>

namespace vaddex::cli {

// Turns Ctrl-C (SIGINT), SIGTERM and SIGHUP into calls of a routine on a small thread of its
// own, with the signal's number. The signal handler only writes one byte into a pipe, which is
// async-signal-safe; the thread reads the pipe and calls the routine once per signal. One
// watcher at a time per process.
class InterruptWatcher {
public:
    // Installs the handler and starts the thread; throws std::system_error when the pipe or
    // the thread cannot be had.
    explicit InterruptWatcher(std::function<void(int signal)> onSignal);
    // Puts the previous handlers back and joins the thread.
    ~InterruptWatcher();
    InterruptWatcher(const InterruptWatcher&) = delete;
    InterruptWatcher& operator=(const InterruptWatcher&) = delete;

private:
    void Run();

    std::function<void(int signal)> onSignal_;
    int pipe_[2] = {-1, -1};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace vaddex::cli
