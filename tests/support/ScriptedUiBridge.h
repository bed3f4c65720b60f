#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "session/HeadlessUiBridge.h"

namespace vaddex::test {

// A HeadlessUiBridge for the session tests: every question is answered from a script (queues
// with a default behind them), everything shown is recorded in order, and Cancel can be
// pressed on whatever window shows at a scripted moment. The constructing thread is the UI
// thread; the records may be read from any thread.
class ScriptedUiBridge : public HeadlessUiBridge {
public:
    struct Message {
        std::string caption;
        std::string text;
    };
    struct Prompt {
        int kind = 0;  // 0 for ShowTextPrompt
        std::string caption;
        std::string text;
        bool modal = true;
        bool answer = false;  // what the script answered (false for a non-modal prompt)
    };
    struct Report {
        std::string text;
        int kind = 0;
        std::int64_t position = 0;
        std::int64_t maximum = 0;
    };

    explicit ScriptedUiBridge(CalculatorState& state);

    // --- answers: each question takes the front of its queue, or the default when empty ---
    void QueuePromptAnswer(bool ok) {
        Locked([&] { promptAnswers_.push_back(ok); });
    }
    void SetDefaultPromptAnswer(bool ok) {
        Locked([&] { defaultPrompt_ = ok; });
    }
    void QueueReplaceAnswer(ModalResult answer) {
        Locked([&] { replaceAnswers_.push_back(answer); });
    }
    void SetDefaultReplaceAnswer(ModalResult answer) {
        Locked([&] { defaultReplace_ = answer; });
    }
    // kWrongFileText, kWrongFileBinary or a ModalResult as int.
    void QueueWrongFileAnswer(int answer) {
        Locked([&] { wrongFileAnswers_.push_back(answer); });
    }
    void SetDefaultWrongFileAnswer(int answer) {
        Locked([&] { defaultWrongFile_ = answer; });
    }

    // --- Cancel at a scripted moment (each fires once; the press waits for a window) ---
    // The user presses Cancel this long from now.
    void CancelAfterMs(std::int64_t ms);
    // ... when a progress report (kind 2) reaches this position.
    void CancelWhenReportPasses(std::int64_t position);
    // ... when a non-modal prompt of this kind appears (-1: any kind).
    void CancelWhenPromptShown(int kind = -1);
    // ... as soon as the "Calculator is Working" window appears.
    void CancelWhenWorkingShown();
    // Drops every pending scripted cancel.
    void ClearCancelScript();

    // --- hooks, run on the UI thread ---
    // When a non-modal prompt appears (a test starts the calculator's side from here).
    void SetOnPromptShown(std::function<void(int kind)> hook) { onPromptShown_ = std::move(hook); }
    // On every pass of a wait.
    void SetOnIdle(std::function<void()> hook) { onIdle_ = std::move(hook); }

    // The session's status texts: hand this to TXModemServer::OnStatus.
    void RecordStatus(const std::string& text);

    // --- records ---
    // Everything in order, one line each: "Message(caption|text)", "Prompt(kind|caption)",
    // "PromptHidden", "Report(kind|position/maximum|text)", "Status(text)", "Beep",
    // "StatusWindow(caption|shown)", "Working(shown)", "ConnectStatus(shown)",
    // "SetConnected(b)", "SetBusy(b)", "SetTextMode(b)", "SetSeries(s)", "SetModel(m)".
    std::vector<std::string> Events() const;
    std::vector<Message> Messages() const;
    std::vector<Prompt> Prompts() const;
    std::vector<Report> Reports() const;
    std::vector<std::string> Statuses() const;
    int BeepCount() const;
    // Number of recorded events that begin with `prefix`.
    int Count(const std::string& prefix) const;
    // Index of the first event at or after `from` that begins with `prefix`, or -1.
    int Find(const std::string& prefix, int from = 0) const;
    void ClearRecords();

    // --- state changes are recorded, then handled as the headless bridge does ---
    void SetConnected(bool connected) override;
    void SetBusy(bool busy) override;
    void SetTextMode(bool textMode) override;
    void SetSeries(const std::string& series) override;
    void SetModel(const std::string& model) override;
    void ShowConnectStatus() override;
    void CloseConnectStatus() override;
    // Recorded as "WaitNotice(text)".
    void ShowWaitNotice(const std::string& text) override;

protected:
    bool AnswerPrompt(int kind, const std::string& caption, const std::string& text) override;
    ModalResult AnswerReplace(const std::string& name, int fileCount) override;
    int AnswerWrongFile(const std::string& fileName, const std::string& kind,
                        bool offerChoice) override;
    void OnPromptShown(int kind, const std::string& caption, const std::string& text) override;
    void OnPromptHidden() override;
    void OnMessage(const std::string& caption, const std::string& text) override;
    void OnReport(const std::string& text, int kind, std::int64_t position,
                  std::int64_t maximum) override;
    void OnStatusWindow(const std::string& caption, bool shown) override;
    void OnWorking(bool shown) override;
    void OnBeep() override;
    void OnIdle() override;

private:
    template <typename Fn>
    void Locked(Fn fn) {
        std::lock_guard<std::mutex> lock(mutex_);
        fn();
    }
    void Record(const std::string& event);

    mutable std::mutex mutex_;
    std::deque<bool> promptAnswers_;
    bool defaultPrompt_ = true;
    std::deque<ModalResult> replaceAnswers_;
    ModalResult defaultReplace_ = ModalResult::Yes;
    std::deque<int> wrongFileAnswers_;
    int defaultWrongFile_ = static_cast<int>(ModalResult::Cancel);

    std::optional<std::int64_t> cancelAtTick_;
    std::optional<std::int64_t> cancelAtPosition_;
    std::optional<int> cancelOnPromptKind_;
    bool cancelOnWorking_ = false;
    std::function<void(int)> onPromptShown_;
    std::function<void()> onIdle_;

    std::vector<std::string> events_;
    std::vector<Message> messages_;
    std::vector<Prompt> prompts_;
    std::vector<Report> reports_;
    std::vector<std::string> statuses_;
    int beeps_ = 0;
};

}  // namespace vaddex::test
