#pragma once

#include <functional>

namespace vaddex::cli {

// A routine that ends a command which serves until it is stopped (mount): while one is
// registered, Ctrl-C and SIGTERM call it instead of ending the program at once, so that the
// command unwinds and cleans up. One at a time per process.
class SignalStop {
public:
    explicit SignalStop(std::function<void()> stop);
    ~SignalStop();
    SignalStop(const SignalStop&) = delete;
    SignalStop& operator=(const SignalStop&) = delete;

    // Any thread: calls the registered routine; false when there is none.
    static bool Call();
};

}  // namespace vaddex::cli
