#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "link/LinkUi.h"
#include "util/UiCallQueue.h"

namespace vaddex::test {

// A LinkUi for tests. The thread that constructs it is the UI thread. Visibility of the two
// explanatory windows is scripted; every window call is recorded together with whether it
// ran on the UI thread. RunOnUiThread from another thread blocks until the test thread pumps
// (PumpUntil, Pump) or the code under test calls ProcessEvents on the UI thread.
class TestLinkUi : public LinkUi {
public:
    // One recorded window call: "SetConnected(true)", "SetConnected(false)",
    // "CloseConnectStatus", "FocusMainWindow" or "ShowMessage(<caption>|<text>)".
    struct Call {
        std::string what;
        bool onUiThread;
    };

    void SetWorkingWindowVisible(bool visible) { working_ = visible; }
    void SetPromptVisible(bool visible) { prompt_ = visible; }

    std::vector<Call> Calls() const;
    // The recorded calls' names alone, in order.
    std::vector<std::string> CallNames() const;
    int Count(const std::string& what) const;
    // Calls made off the UI thread: each is a fault of the code under test.
    int CallsOffUiThread() const;
    // How often ProcessEvents ran, and how often it was called off the UI thread.
    int ProcessEventsCount() const { return processEvents_; }
    int ProcessEventsOffUiThread() const { return processEventsOffUi_; }
    void ClearCalls();

    // UI thread: runs posted routines until `done` holds or timeoutMs passed; returns `done`'s
    // last value. Sleeps between checks, waking at once when a routine is posted.
    bool PumpUntil(const std::function<bool()>& done, std::int64_t timeoutMs);
    // UI thread: runs what is posted now.
    int Pump() { return queue_.RunPending(); }

    // LinkUi
    void ProcessEvents() override;
    bool IsUiThread() const override { return queue_.IsUiThread(); }
    bool IsWorkingWindowVisible() const override { return working_; }
    bool IsPromptVisible() const override { return prompt_; }
    void SetConnected(bool connected) override;
    void CloseConnectStatus() override;
    void FocusMainWindow() override;
    void RunOnUiThread(const std::function<void()>& fn) override { queue_.RunOnUiThread(fn); }
    void ShowMessage(const std::string& caption, const std::string& text) override;

private:
    void Record(const std::string& what);

    UiCallQueue queue_;
    std::atomic<bool> working_{false};
    std::atomic<bool> prompt_{false};
    std::atomic<int> processEvents_{0};
    std::atomic<int> processEventsOffUi_{0};
    mutable std::mutex mutex_;
    std::vector<Call> calls_;
};

}  // namespace vaddex::test
