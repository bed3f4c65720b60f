#include "support/TestLinkUi.h"

#include <algorithm>

#include "util/Ticks.h"

namespace vaddex::test {
namespace {

// Longest sleep between two looks at a PumpUntil condition that no posted routine changes.
constexpr std::int64_t kPumpSliceMs = 10;

}  // namespace

std::vector<TestLinkUi::Call> TestLinkUi::Calls() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return calls_;
}

std::vector<std::string> TestLinkUi::CallNames() const {
    std::vector<std::string> names;
    for (const Call& call : Calls()) {
        names.push_back(call.what);
    }
    return names;
}

int TestLinkUi::Count(const std::string& what) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int>(std::count_if(calls_.begin(), calls_.end(),
                                          [&](const Call& call) { return call.what == what; }));
}

int TestLinkUi::CallsOffUiThread() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int>(std::count_if(calls_.begin(), calls_.end(),
                                          [](const Call& call) { return !call.onUiThread; }));
}

void TestLinkUi::ClearCalls() {
    std::lock_guard<std::mutex> lock(mutex_);
    calls_.clear();
}

bool TestLinkUi::PumpUntil(const std::function<bool()>& done, std::int64_t timeoutMs) {
    std::int64_t deadline = TickMs() + timeoutMs;
    for (;;) {
        queue_.RunPending();
        if (done()) {
            return true;
        }
        std::int64_t remaining = deadline - TickMs();
        if (remaining <= 0) {
            return done();
        }
        queue_.WaitAndRun(std::min(remaining, kPumpSliceMs));
    }
}

void TestLinkUi::ProcessEvents() {
    if (!queue_.IsUiThread()) {
        ++processEventsOffUi_;
        return;
    }
    ++processEvents_;
    queue_.RunPending();
}

void TestLinkUi::SetConnected(bool connected) {
    Record(connected ? "SetConnected(true)" : "SetConnected(false)");
}

void TestLinkUi::CloseConnectStatus() {
    Record("CloseConnectStatus");
}

void TestLinkUi::FocusMainWindow() {
    Record("FocusMainWindow");
}

void TestLinkUi::ShowMessage(const std::string& caption, const std::string& text) {
    Record("ShowMessage(" + caption + "|" + text + ")");
}

void TestLinkUi::Record(const std::string& what) {
    std::lock_guard<std::mutex> lock(mutex_);
    calls_.push_back({what, queue_.IsUiThread()});
}

}  // namespace vaddex::test
