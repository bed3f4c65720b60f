#include "support/ScriptedUiBridge.h"

#include "util/Ticks.h"

namespace vaddex::test {
namespace {

const char* Flag(bool value) {
    return value ? "true" : "false";
}

}  // namespace

ScriptedUiBridge::ScriptedUiBridge(CalculatorState& state) : HeadlessUiBridge(state) {}

void ScriptedUiBridge::CancelAfterMs(std::int64_t ms) {
    Locked([&] { cancelAtTick_ = TickMs() + ms; });
}

void ScriptedUiBridge::CancelWhenReportPasses(std::int64_t position) {
    Locked([&] { cancelAtPosition_ = position; });
}

void ScriptedUiBridge::CancelWhenPromptShown(int kind) {
    Locked([&] { cancelOnPromptKind_ = kind; });
}

void ScriptedUiBridge::CancelWhenWorkingShown() {
    Locked([&] { cancelOnWorking_ = true; });
}

void ScriptedUiBridge::ClearCancelScript() {
    Locked([&] {
        cancelAtTick_.reset();
        cancelAtPosition_.reset();
        cancelOnPromptKind_.reset();
        cancelOnWorking_ = false;
    });
}

void ScriptedUiBridge::RecordStatus(const std::string& text) {
    Locked([&] {
        statuses_.push_back(text);
        events_.push_back("Status(" + text + ")");
    });
}

void ScriptedUiBridge::Record(const std::string& event) {
    Locked([&] { events_.push_back(event); });
}

std::vector<std::string> ScriptedUiBridge::Events() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return events_;
}

std::vector<ScriptedUiBridge::Message> ScriptedUiBridge::Messages() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return messages_;
}

std::vector<ScriptedUiBridge::Prompt> ScriptedUiBridge::Prompts() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return prompts_;
}

std::vector<ScriptedUiBridge::Report> ScriptedUiBridge::Reports() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return reports_;
}

std::vector<std::string> ScriptedUiBridge::Statuses() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return statuses_;
}

int ScriptedUiBridge::BeepCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return beeps_;
}

int ScriptedUiBridge::Count(const std::string& prefix) const {
    std::lock_guard<std::mutex> lock(mutex_);
    int count = 0;
    for (const std::string& event : events_) {
        count += event.rfind(prefix, 0) == 0 ? 1 : 0;
    }
    return count;
}

int ScriptedUiBridge::Find(const std::string& prefix, int from) const {
    std::lock_guard<std::mutex> lock(mutex_);
    for (std::size_t i = from < 0 ? 0 : static_cast<std::size_t>(from); i < events_.size(); ++i) {
        if (events_[i].rfind(prefix, 0) == 0) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void ScriptedUiBridge::ClearRecords() {
    Locked([&] {
        events_.clear();
        messages_.clear();
        prompts_.clear();
        reports_.clear();
        statuses_.clear();
        beeps_ = 0;
    });
}

void ScriptedUiBridge::SetConnected(bool connected) {
    Record(std::string("SetConnected(") + Flag(connected) + ")");
    HeadlessUiBridge::SetConnected(connected);
}

void ScriptedUiBridge::SetBusy(bool busy) {
    Record(std::string("SetBusy(") + Flag(busy) + ")");
    HeadlessUiBridge::SetBusy(busy);
}

void ScriptedUiBridge::SetTextMode(bool textMode) {
    Record(std::string("SetTextMode(") + Flag(textMode) + ")");
    HeadlessUiBridge::SetTextMode(textMode);
}

void ScriptedUiBridge::SetSeries(const std::string& series) {
    Record("SetSeries(" + series + ")");
    HeadlessUiBridge::SetSeries(series);
}

void ScriptedUiBridge::SetModel(const std::string& model) {
    Record("SetModel(" + model + ")");
    HeadlessUiBridge::SetModel(model);
}

void ScriptedUiBridge::ShowWaitNotice(const std::string& text) {
    Record("WaitNotice(" + text + ")");
}

void ScriptedUiBridge::ShowConnectStatus() {
    Record("ConnectStatus(true)");
    HeadlessUiBridge::ShowConnectStatus();
}

void ScriptedUiBridge::CloseConnectStatus() {
    if (IsConnectStatusVisible()) {
        Record("ConnectStatus(false)");
    }
    HeadlessUiBridge::CloseConnectStatus();
}

bool ScriptedUiBridge::AnswerPrompt(int kind, const std::string& caption, const std::string& text) {
    bool answer = false;
    Locked([&] {
        answer = defaultPrompt_;
        if (!promptAnswers_.empty()) {
            answer = promptAnswers_.front();
            promptAnswers_.pop_front();
        }
        prompts_.push_back({kind, caption, text, true, answer});
        events_.push_back("Prompt(" + std::to_string(kind) + "|" + caption + ")");
    });
    return answer;
}

ModalResult ScriptedUiBridge::AnswerReplace(const std::string& name, int fileCount) {
    ModalResult answer = ModalResult::None;
    Locked([&] {
        answer = defaultReplace_;
        if (!replaceAnswers_.empty()) {
            answer = replaceAnswers_.front();
            replaceAnswers_.pop_front();
        }
        events_.push_back("AskReplace(" + name + "|" + std::to_string(fileCount) + ")");
    });
    return answer;
}

int ScriptedUiBridge::AnswerWrongFile(const std::string& fileName, const std::string& kind,
                                      bool offerChoice) {
    int answer = 0;
    Locked([&] {
        answer = defaultWrongFile_;
        if (!wrongFileAnswers_.empty()) {
            answer = wrongFileAnswers_.front();
            wrongFileAnswers_.pop_front();
        }
        events_.push_back("AskWrongFile(" + fileName + "|" + kind + "|" + Flag(offerChoice) + ")");
    });
    return answer;
}

void ScriptedUiBridge::OnPromptShown(int kind, const std::string& caption,
                                     const std::string& text) {
    bool cancel = false;
    Locked([&] {
        prompts_.push_back({kind, caption, text, false, false});
        events_.push_back("Prompt(" + std::to_string(kind) + "|" + caption + ")");
        if (cancelOnPromptKind_ && (*cancelOnPromptKind_ < 0 || *cancelOnPromptKind_ == kind)) {
            cancelOnPromptKind_.reset();
            cancel = true;
        }
    });
    if (onPromptShown_) {
        onPromptShown_(kind);
    }
    if (cancel) {
        RequestCancel();
    }
}

void ScriptedUiBridge::OnPromptHidden() {
    Record("PromptHidden");
}

void ScriptedUiBridge::OnMessage(const std::string& caption, const std::string& text) {
    Locked([&] {
        messages_.push_back({caption, text});
        events_.push_back("Message(" + caption + "|" + text + ")");
    });
}

void ScriptedUiBridge::OnReport(const std::string& text, int kind, std::int64_t position,
                                std::int64_t maximum) {
    bool cancel = false;
    Locked([&] {
        reports_.push_back({text, kind, position, maximum});
        events_.push_back("Report(" + std::to_string(kind) + "|" + std::to_string(position) + "/" +
                          std::to_string(maximum) + "|" + text + ")");
        if (kind == 2 && cancelAtPosition_ && position >= *cancelAtPosition_) {
            cancelAtPosition_.reset();
            cancel = true;
        }
    });
    if (cancel) {
        RequestCancel();
    }
}

void ScriptedUiBridge::OnStatusWindow(const std::string& caption, bool shown) {
    Record("StatusWindow(" + caption + "|" + Flag(shown) + ")");
}

void ScriptedUiBridge::OnWorking(bool shown) {
    bool cancel = false;
    Locked([&] {
        events_.push_back(std::string("Working(") + Flag(shown) + ")");
        if (shown && cancelOnWorking_) {
            cancelOnWorking_ = false;
            cancel = true;
        }
    });
    if (cancel) {
        RequestCancel();
    }
}

void ScriptedUiBridge::OnBeep() {
    Locked([&] {
        ++beeps_;
        events_.push_back("Beep");
    });
}

void ScriptedUiBridge::OnIdle() {
    bool cancel = false;
    Locked([&] {
        if (cancelAtTick_ && TickMs() >= *cancelAtTick_) {
            cancelAtTick_.reset();
            cancel = true;
        }
    });
    if (cancel) {
        RequestCancel();
    }
    if (onIdle_) {
        onIdle_();
    }
}

}  // namespace vaddex::test
