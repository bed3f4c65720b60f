#pragma once

#include <utility>

namespace vaddex {

// Runs a routine when the scope is left, on the normal path and when an exception passes;
// Dismiss cancels it. The routine must not throw.
template <typename Fn>
class ScopeExit {
public:
    explicit ScopeExit(Fn fn) : fn_(std::move(fn)) {}
    ~ScopeExit() {
        if (armed_) {
            fn_();
        }
    }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;

    void Dismiss() { armed_ = false; }

private:
    Fn fn_;
    bool armed_ = true;
};

}  // namespace vaddex
