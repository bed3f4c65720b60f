#pragma once

#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "session/UiBridge.h"
#include "util/UiCallQueue.h"
#include "windows/TFBadFile.h"
#include "windows/TFCmStatus.h"
#include "windows/TFCmndStatus.h"
#include "windows/TFCnctStatus.h"
#include "windows/TFDownLd.h"
#include "windows/TFLog.h"
#include "windows/TFReplaceFile.h"

namespace vaddex::gui {

// The window's UiBridge: the session's prompts, status and progress windows, questions and
// the main window's state, on Qt. Thread reports reach the UI thread through a blocking queued
// call; everything else runs on the UI thread.
class QtUiBridge : public QObject, public UiBridge {
public:
    // Made on the UI thread, after the QApplication; the status windows centre over mainWindow.
    QtUiBridge(QWidget* mainWindow, CalculatorState& state);
    ~QtUiBridge() override;

    // The main window's state hooks, called on the UI thread when the session changes them.
    std::function<void(bool)> onConnectedChanged, onBusyChanged, onTextModeChanged;
    std::function<void(const std::string&)> onSeriesChanged, onModelChanged;
    // "Calculator is Working" shown (true) or closed: the main window disables tree and list.
    std::function<void(bool)> onWorkingChanged;
    // A prompt of this kind went up (the built-in simulated calculator reacts to kinds 1, 3,
    // 4, 6, 7, 10). Modal kinds call it before their modal loop starts.
    std::function<void(int kind)> onPromptShown;

    // The icon of a session message by its caption: stop for errors, warning for warnings,
    // information for the rest.
    static QMessageBox::Icon MessageIcon(const std::string& caption);
    // An OK/Cancel question whose OK loses what the calculator holds: Enter answers Cancel.
    static bool IsDestructiveQuestion(const std::string& caption);

    bool Busy() const override { return busy_; }
    // The RPN wording of the prompts (else ALG); the main window stores it as "RPNPrompts".
    bool RpnPrompts() const { return prompt_->RPNPrompts(); }
    void SetRpnPrompts(bool rpn) { prompt_->SetRPNPrompts(rpn); }
    // A line for each operation and each message shown.
    TFLog& LogWindow() { return *log_; }

    // While on, the UI thread must run no Qt event loop: a drop target asked for a drag's
    // files inside the platform's drag loop, which a nested loop could end and free under the
    // request. Thread reports then run in a plain wait, the working and progress windows stay
    // hidden (the session still sees them up), questions get their safe answer and messages
    // are held for the caller (and logged). UI thread.
    void BeginPlainWaits();
    // Runs the reports still pending and ends plain waits; returns the texts of the messages
    // held meanwhile, one a line.
    std::string EndPlainWaits();
    bool PlainWaits() const { return plainWaits_; }

    TFDownLd& PromptWindow() { return *prompt_; }
    TFCnctStatus& ConnectStatusWindow() { return *connectStatus_; }
    TFCmndStatus& WorkingWindow() { return *working_; }
    TFCmStatus& StatusWindow() { return *status_; }
    TFReplaceFile& ReplaceWindow() { return *replace_; }
    TFBadFile& BadFileWindow() { return *badFile_; }

    // --- LinkUi
    void ProcessEvents() override;
    bool IsUiThread() const override;
    bool IsWorkingWindowVisible() const override { return working_->isVisible() || workingHidden_; }
    bool IsPromptVisible() const override { return prompt_->isVisible(); }
    void SetConnected(bool connected) override;
    void CloseConnectStatus() override { connectStatus_->hide(); }
    void FocusMainWindow() override;
    // Blocks the calling thread until fn has run on the UI thread; fn's exception is rethrown
    // here. Raises ConnectionError when the UI went away before fn could run.
    void RunOnUiThread(const std::function<void()>& fn) override;
    void PostToUiThread(std::function<void()> fn) override;
    void ShowMessage(const std::string& caption, const std::string& text) override;

    // --- UiBridge
    void ShowConnectStatus() override;
    bool IsConnectStatusVisible() const override { return connectStatus_->isVisible(); }
    bool TakeConnectCancel() override;
    void ShowWorking() override;
    void CloseWorking() override;
    void FocusWorking() override;
    bool IsWorkingCancelled() const override { return working_->Cancelled(); }
    void ClearCancel() override { working_->ClearCancel(); }
    bool ShowPrompt(int kind, const std::string& caption) override;
    bool ShowTextPrompt(const std::string& text, const std::string& caption) override;
    void HidePrompt() override { prompt_->hide(); }
    void FocusPrompt() override;
    ModalResult RunStatus(const std::string& caption, bool showCancel) override;
    void UpdateStatus(const std::string& text, int kind, std::int64_t position,
                      std::int64_t maximum, std::int64_t spare) override;
    ModalResult AskReplace(const std::string& name, int fileCount) override;
    ModalResult AskReplaceDirectory(const std::string& name, int itemCount) override;
    int AskWrongFile(const std::string& fileName, const std::string& kind,
                     bool offerChoice) override;
    void Beep() override;
    void OperationEnded(const std::string& what, const Outcome& outcome) override;
    bool Connected() const override { return connected_; }
    void SetBusy(bool busy) override;
    void SetTextMode(bool textMode) override;
    void SetSeries(const std::string& series) override;
    void SetModel(const std::string& model) override;
    CalculatorState& State() override { return state_; }
    // In the main window's status bar and below the "Calculator is Working" text.
    void ShowWaitNotice(const std::string& text) override;

private:
    QPointer<QWidget> mainWindow_;
    CalculatorState& state_;
    bool connected_ = false;
    bool busy_ = false;
    // Top-level windows of their own, owned here; they stay above the main window through it.
    std::unique_ptr<TFDownLd> prompt_;
    std::unique_ptr<TFLog> log_;
    std::unique_ptr<TFCmStatus> status_;
    std::unique_ptr<TFCmndStatus> working_;
    std::unique_ptr<TFCnctStatus> connectStatus_;
    std::unique_ptr<TFReplaceFile> replace_;
    std::unique_ptr<TFBadFile> badFile_;
    QString workingText_;  // the working window's own text, kept while a notice is added

    // Plain waits: the reports of worker threads queue here instead of in Qt's event loop.
    // plainWaits_ is written on the UI thread under the mutex; plainCallers_ counts the worker
    // calls that chose the queue and have not returned yet.
    UiCallQueue plainCalls_;
    std::mutex plainMutex_;
    bool plainWaits_ = false;
    int plainCallers_ = 0;
    std::string heldMessages_;
    bool workingHidden_ = false;  // "shown" while plain waits keep it off the screen
    bool statusHidden_ = false;   // the progress window's plain wait runs
    ModalResult hiddenStatusResult_ = ModalResult::None;
};

}  // namespace vaddex::gui
