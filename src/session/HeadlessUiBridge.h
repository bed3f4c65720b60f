#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "session/UiBridge.h"
#include "util/UiCallQueue.h"

namespace vaddex {

// A UiBridge without windows, for the command line and the tests. It keeps the state of the
// windows a desktop front end would show (connect status, "Calculator is Working", the
// operator prompt, the progress window) as flags, runs the progress window's modal loop on a
// UiCallQueue so transfer threads can report, and leaves output and answers to subclasses.
// The constructing thread is the UI thread.
class HeadlessUiBridge : public UiBridge {
public:
    explicit HeadlessUiBridge(CalculatorState& state);

    // --- LinkUi
    void ProcessEvents() override;
    bool IsUiThread() const override { return queue_.IsUiThread(); }
    bool IsWorkingWindowVisible() const override { return workingVisible_; }
    bool IsPromptVisible() const override { return promptVisible_; }
    void SetConnected(bool connected) override;
    void CloseConnectStatus() override { connectStatusVisible_ = false; }
    void FocusMainWindow() override {}
    void RunOnUiThread(const std::function<void()>& fn) override { queue_.RunOnUiThread(fn); }
    // Run at the UI thread's next ProcessEvents: without an event loop, not before.
    void PostToUiThread(std::function<void()> fn) override { queue_.Post(std::move(fn)); }
    void ShowMessage(const std::string& caption, const std::string& text) override;

    // --- UiBridge
    void ShowConnectStatus() override { connectStatusVisible_ = true; }
    bool IsConnectStatusVisible() const override { return connectStatusVisible_; }
    void ShowWorking() override;
    void CloseWorking() override;
    void FocusWorking() override {}
    bool IsWorkingCancelled() const override { return workingCancelled_; }
    void ClearCancel() override { workingCancelled_ = false; }
    // A cancel that no window has taken yet ends the link's wait too.
    bool IsCancelRequested() const override { return cancelRequested_ || workingCancelled_; }
    void TakeCancel() override;
    bool ShowPrompt(int kind, const std::string& caption) override;
    bool ShowTextPrompt(const std::string& text, const std::string& caption) override;
    void HidePrompt() override;
    void FocusPrompt() override {}
    // Runs until a kind-3 report closes the window (OK) or a cancel arrives (Cancel).
    ModalResult RunStatus(const std::string& caption, bool showCancel) override;
    void UpdateStatus(const std::string& text, int kind, std::int64_t position,
                      std::int64_t maximum, std::int64_t spare) override;
    ModalResult AskReplace(const std::string& name, int fileCount) override;
    ModalResult AskReplaceDirectory(const std::string& name, int itemCount) override {
        return AnswerReplaceDirectory(name, itemCount);
    }
    int AskWrongFile(const std::string& fileName, const std::string& kind,
                     bool offerChoice) override;
    void Beep() override { OnBeep(); }
    void SetBusy(bool busy) override { busy_ = busy; }
    void SetTextMode(bool textMode) override { state_.textMode = textMode; }
    void SetSeries(const std::string& series) override { state_.SetSeries(series); }
    void SetModel(const std::string& model) override { state_.SetModel(model); }
    CalculatorState& State() override { return state_; }

    bool Connected() const override { return connected_; }
    bool Busy() const override { return busy_; }
    bool IsStatusVisible() const { return statusVisible_; }
    int CurrentPromptKind() const { return promptKind_; }

    // Any thread (a signal handler's helper thread, a test): the user pressed Cancel on
    // whatever window is showing. Acted on by the UI thread at its next ProcessEvents or in
    // the progress window's loop.
    void RequestCancel();

protected:
    // --- what subclasses show and answer
    // A modal prompt or OK/Cancel question (kind 0 for a caller-given text); true for OK.
    virtual bool AnswerPrompt(int kind, const std::string& caption, const std::string& text) = 0;
    virtual ModalResult AnswerReplace(const std::string& name, int fileCount) = 0;
    // Nobody to ask: a directory stays.
    virtual ModalResult AnswerReplaceDirectory(const std::string& /*name*/, int /*itemCount*/) {
        return ModalResult::No;
    }
    // kWrongFileText, kWrongFileBinary, or a ModalResult as int (OK, Cancel).
    virtual int AnswerWrongFile(const std::string& fileName, const std::string& kind,
                                bool offerChoice) = 0;
    // A non-modal prompt appeared (the program now waits for the calculator) or went away.
    virtual void OnPromptShown(int /*kind*/, const std::string& /*caption*/,
                               const std::string& /*text*/) {}
    virtual void OnPromptHidden() {}
    virtual void OnMessage(const std::string& caption, const std::string& text) = 0;
    // A report that the progress window shows (it also goes to the log).
    virtual void OnReport(const std::string& /*text*/, int /*kind*/, std::int64_t /*position*/,
                          std::int64_t /*maximum*/) {}
    virtual void OnStatusWindow(const std::string& /*caption*/, bool /*shown*/) {}
    virtual void OnWorking(bool /*shown*/) {}
    virtual void OnBeep() {}
    // Called on every pass of a wait; a subclass may call RequestCancel from here.
    virtual void OnIdle() {}
    // A cancel ended a wait of the link (no window took it).
    virtual void OnCancelTaken() {}

    UiCallQueue& Queue() { return queue_; }

private:
    void HandleCancel();

    CalculatorState& state_;
    UiCallQueue queue_;
    std::atomic<bool> cancelRequested_{false};
    bool connected_ = false;
    bool busy_ = false;
    bool connectStatusVisible_ = false;
    bool workingVisible_ = false;
    bool workingCancelled_ = false;
    bool promptVisible_ = false;
    int promptKind_ = 0;
    bool statusVisible_ = false;
    ModalResult statusResult_ = ModalResult::None;
};

}  // namespace vaddex
