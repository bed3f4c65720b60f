#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace vaddex {

// Runs routines on one designated thread (the "UI thread" of a window-less front end) on
// behalf of other threads, which block until their routine has run. The UI thread runs
// them whenever it calls RunPending or WaitAndRun.
class UiCallQueue {
public:
    // The constructing thread becomes the UI thread.
    UiCallQueue();

    bool IsUiThread() const { return std::this_thread::get_id() == uiThread_; }

    // Runs fn on the UI thread and returns once it has run; on the UI thread it runs at once.
    // An exception thrown by fn is rethrown to the caller.
    void RunOnUiThread(const std::function<void()>& fn);

    // Any thread: queues fn for the UI thread without waiting for it to run; an exception it
    // throws is dropped.
    void Post(std::function<void()> fn);

    // UI thread: runs every routine posted so far; returns how many ran.
    int RunPending();

    // UI thread: sleeps until a routine is posted, Wake is called or timeoutMs passed,
    // then runs what is pending; returns how many ran.
    int WaitAndRun(std::int64_t timeoutMs);

    // Any thread: ends a WaitAndRun early.
    void Wake();

private:
    struct Call {
        const std::function<void()>* fn;
        std::function<void()> owned;  // a posted routine, which fn then points to
        bool done = false;
        std::exception_ptr error;
    };

    std::thread::id uiThread_;
    std::mutex mutex_;
    std::condition_variable posted_;
    std::condition_variable finished_;
    std::deque<std::shared_ptr<Call>> calls_;
    bool woken_ = false;
};

}  // namespace vaddex
