#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace vaddex {

// An event that releases exactly one waiter per Set and then resets itself.
class AutoResetEvent {
public:
    void Set();
    // Waits until the event is set or timeoutMs passed (negative: no limit).
    // Returns true when the event was set; the event is then reset.
    bool Wait(std::int64_t timeoutMs = -1);

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    bool signalled_ = false;
};

}  // namespace vaddex
