#include "session/HeadlessUiBridge.h"

#include "session/PromptTexts.h"

namespace vaddex {
namespace {

// How long the progress window's loop sleeps between looks at a pending cancel.
constexpr std::int64_t kStatusLoopSliceMs = 50;

}  // namespace

HeadlessUiBridge::HeadlessUiBridge(CalculatorState& state) : state_(state) {}

void HeadlessUiBridge::ProcessEvents() {
    queue_.RunPending();
    OnIdle();
    HandleCancel();
}

void HeadlessUiBridge::SetConnected(bool connected) {
    connected_ = connected;
    if (!connected) {
        CloseWorking();
        busy_ = false;
    }
}

void HeadlessUiBridge::ShowMessage(const std::string& caption, const std::string& text) {
    OnMessage(caption, text);
}

void HeadlessUiBridge::ShowWorking() {
    workingVisible_ = true;
    OnWorking(true);
}

void HeadlessUiBridge::CloseWorking() {
    if (workingVisible_) {
        workingVisible_ = false;
        OnWorking(false);
    }
}

bool HeadlessUiBridge::ShowPrompt(int kind, const std::string& caption) {
    promptKind_ = kind;
    std::string shownCaption = caption.empty() ? PromptCaption(kind) : caption;
    std::string text = PromptText(kind, true);
    if (IsNonModalPrompt(kind)) {
        promptVisible_ = true;
        OnPromptShown(kind, shownCaption, text);
        return false;
    }
    promptVisible_ = true;
    bool answer = AnswerPrompt(kind, shownCaption, text);
    promptVisible_ = false;
    return answer;
}

bool HeadlessUiBridge::ShowTextPrompt(const std::string& text, const std::string& caption) {
    promptKind_ = kPromptText;
    promptVisible_ = true;
    bool answer = AnswerPrompt(kPromptText, caption, text);
    promptVisible_ = false;
    return answer;
}

void HeadlessUiBridge::HidePrompt() {
    if (promptVisible_) {
        promptVisible_ = false;
        OnPromptHidden();
    }
}

ModalResult HeadlessUiBridge::RunStatus(const std::string& caption, bool /*showCancel*/) {
    statusVisible_ = true;
    statusResult_ = ModalResult::None;
    OnStatusWindow(caption, true);
    while (statusResult_ == ModalResult::None) {
        queue_.WaitAndRun(kStatusLoopSliceMs);
        OnIdle();
        HandleCancel();
    }
    statusVisible_ = false;
    OnStatusWindow(caption, false);
    return statusResult_;
}

void HeadlessUiBridge::UpdateStatus(const std::string& text, int kind, std::int64_t position,
                                    std::int64_t maximum, std::int64_t /*spare*/) {
    if (!statusVisible_) {
        return;
    }
    OnReport(text, kind, position, maximum);
    if (kind == 3 && statusResult_ == ModalResult::None) {
        statusResult_ = ModalResult::OK;
    }
}

ModalResult HeadlessUiBridge::AskReplace(const std::string& name, int fileCount) {
    return AnswerReplace(name, fileCount);
}

int HeadlessUiBridge::AskWrongFile(const std::string& fileName, const std::string& kind,
                                   bool offerChoice) {
    OnBeep();
    return AnswerWrongFile(fileName, kind, offerChoice);
}

void HeadlessUiBridge::RequestCancel() {
    cancelRequested_ = true;
    queue_.Wake();
}

void HeadlessUiBridge::TakeCancel() {
    cancelRequested_ = false;
    workingCancelled_ = false;
    CloseWorking();
    OnCancelTaken();
}

// The Cancel button of whichever window is showing: the progress window first (it is modal
// over the others), then the working window, then a waiting prompt. A cancel that arrives
// while none shows stays pending for the next one, so the operation still stops.
void HeadlessUiBridge::HandleCancel() {
    if (!cancelRequested_ || !(statusVisible_ || workingVisible_ || promptVisible_)) {
        return;
    }
    cancelRequested_ = false;
    if (statusVisible_) {
        if (statusResult_ == ModalResult::None) {
            statusResult_ = ModalResult::Cancel;
        }
    } else if (workingVisible_) {
        workingCancelled_ = true;
        CloseWorking();
    } else if (promptVisible_) {
        HidePrompt();
    }
}

}  // namespace vaddex
