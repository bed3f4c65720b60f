#include "util/UiCallQueue.h"

#include <chrono>

namespace vaddex {

UiCallQueue::UiCallQueue() : uiThread_(std::this_thread::get_id()) {}

void UiCallQueue::RunOnUiThread(const std::function<void()>& fn) {
    if (IsUiThread()) {
        fn();
        return;
    }
    auto call = std::make_shared<Call>();
    call->fn = &fn;
    std::unique_lock<std::mutex> lock(mutex_);
    calls_.push_back(call);
    posted_.notify_all();
    finished_.wait(lock, [&] { return call->done; });
    if (call->error) {
        std::rethrow_exception(call->error);
    }
}

void UiCallQueue::Post(std::function<void()> fn) {
    auto call = std::make_shared<Call>();
    call->owned = std::move(fn);
    call->fn = &call->owned;
    std::lock_guard<std::mutex> lock(mutex_);
    calls_.push_back(call);
    posted_.notify_all();
}

int UiCallQueue::RunPending() {
    int count = 0;
    for (;;) {
        std::shared_ptr<Call> call;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (calls_.empty()) {
                return count;
            }
            call = calls_.front();
            calls_.pop_front();
        }
        try {
            (*call->fn)();
        } catch (...) {
            call->error = std::current_exception();
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            call->done = true;
        }
        finished_.notify_all();
        ++count;
    }
}

int UiCallQueue::WaitAndRun(std::int64_t timeoutMs) {
    {
        std::unique_lock<std::mutex> lock(mutex_);
        posted_.wait_for(lock, std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs),
                         [this] { return !calls_.empty() || woken_; });
        woken_ = false;
    }
    return RunPending();
}

void UiCallQueue::Wake() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        woken_ = true;
    }
    posted_.notify_all();
}

}  // namespace vaddex
