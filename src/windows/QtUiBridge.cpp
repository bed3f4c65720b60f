#include "windows/QtUiBridge.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>
#include <QStatusBar>
#include <QThread>
#include <exception>
#include <utility>

#include "placement/WindowFront.h"
#include "util/Errors.h"
#include "util/ScopeExit.h"
#include "windows/DisplayText.h"

namespace vaddex::gui {
namespace {

// How long a plain wait sleeps between looks at its condition when no report arrives.
constexpr std::int64_t kPlainWaitSliceMs = 50;

}  // namespace

QtUiBridge::QtUiBridge(QWidget* mainWindow, CalculatorState& state)
    : mainWindow_(mainWindow), state_(state) {
    // Made in the order the program has always made them.
    prompt_ = std::make_unique<TFDownLd>();
    log_ = std::make_unique<TFLog>();
    status_ = std::make_unique<TFCmStatus>();
    working_ = std::make_unique<TFCmndStatus>();
    connectStatus_ = std::make_unique<TFCnctStatus>();
    replace_ = std::make_unique<TFReplaceFile>();
    badFile_ = std::make_unique<TFBadFile>();
    for (TCentredDialog* window :
         {static_cast<TCentredDialog*>(prompt_.get()), static_cast<TCentredDialog*>(status_.get()),
          static_cast<TCentredDialog*>(working_.get()),
          static_cast<TCentredDialog*>(connectStatus_.get()),
          static_cast<TCentredDialog*>(replace_.get()),
          static_cast<TCentredDialog*>(badFile_.get())}) {
        window->SetOwnerWindow(mainWindow);
    }
    if (mainWindow != nullptr) {
        // Opens over the main window and stays above it.
        WindowFront::Attach(log_.get(), mainWindow);
    }
    prompt_->OnShown = [this](int kind) {
        if (onPromptShown) {
            onPromptShown(kind);
        }
    };
    working_->OnShownChanged = [this](bool shown) {
        if (onWorkingChanged) {
            onWorkingChanged(shown);
        }
    };
}

QtUiBridge::~QtUiBridge() {
    // The windows' hooks point back here.
    prompt_->OnShown = nullptr;
    working_->OnShownChanged = nullptr;
}

void QtUiBridge::ProcessEvents() {
    if (plainWaits_) {
        plainCalls_.RunPending();
        return;
    }
    QCoreApplication::processEvents();
}

void QtUiBridge::BeginPlainWaits() {
    std::lock_guard<std::mutex> lock(plainMutex_);
    plainWaits_ = true;
}

std::string QtUiBridge::EndPlainWaits() {
    {
        std::lock_guard<std::mutex> lock(plainMutex_);
        plainWaits_ = false;
    }
    // A worker that chose the queue before the switch still waits for its report to run.
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(plainMutex_);
            if (plainCallers_ == 0) {
                break;
            }
        }
        plainCalls_.WaitAndRun(kPlainWaitSliceMs);
    }
    workingHidden_ = false;
    return std::exchange(heldMessages_, std::string());
}

bool QtUiBridge::IsUiThread() const {
    return QThread::currentThread() == thread();
}

void QtUiBridge::PostToUiThread(std::function<void()> fn) {
    QMetaObject::invokeMethod(this, std::move(fn), Qt::QueuedConnection);
}

void QtUiBridge::RunOnUiThread(const std::function<void()>& fn) {
    if (IsUiThread()) {
        fn();
        return;
    }
    bool plain = false;
    {
        std::lock_guard<std::mutex> lock(plainMutex_);
        plain = plainWaits_;
        plainCallers_ += plain ? 1 : 0;
    }
    if (plain) {
        ScopeExit returned([this] {
            std::lock_guard<std::mutex> lock(plainMutex_);
            --plainCallers_;
        });
        plainCalls_.RunOnUiThread(fn);
        return;
    }
    bool ran = false;
    std::exception_ptr error;
    // No exception may cross into Qt's event dispatch: it is carried back to this thread.
    bool posted = QMetaObject::invokeMethod(
        this,
        [&] {
            try {
                fn();
            } catch (...) {
                error = std::current_exception();
            }
            ran = true;
        },
        Qt::BlockingQueuedConnection);
    if (error) {
        std::rethrow_exception(error);
    }
    if (!posted || !ran) {
        throw ConnectionError();
    }
}

void QtUiBridge::SetConnected(bool connected) {
    connected_ = connected;
    if (!connected) {
        CloseWorking();
    }
    if (onConnectedChanged) {
        onConnectedChanged(connected);
    }
}

void QtUiBridge::FocusMainWindow() {
    if (mainWindow_ && !plainWaits_) {
        mainWindow_->activateWindow();
    }
}

QMessageBox::Icon QtUiBridge::MessageIcon(const std::string& caption) {
    // The session's captions name what happened; these are the ones that report a failure.
    static const char* const kErrorCaptions[] = {"Wrong Server", "Cannot Send File", "Vaddex"};
    static const char* const kWarningCaptions[] = {"Warning", "File Not Replaced"};
    if (caption.find("Error") != std::string::npos) {
        return QMessageBox::Critical;
    }
    for (const char* error : kErrorCaptions) {
        if (caption == error) {
            return QMessageBox::Critical;
        }
    }
    for (const char* warning : kWarningCaptions) {
        if (caption == warning) {
            return QMessageBox::Warning;
        }
    }
    return QMessageBox::Information;
}

void QtUiBridge::ShowMessage(const std::string& caption, const std::string& text) {
    log_->Note(caption + ": " + text);
    if (plainWaits_) {
        // A message box is a modal loop: whoever turned plain waits on shows the text.
        heldMessages_ += (heldMessages_.empty() ? "" : "\r\n") + text;
        return;
    }
    QMessageBox box(MessageIcon(caption), DisplayText(caption), DisplayText(text), QMessageBox::Ok,
                    mainWindow_);
    box.exec();
}

void QtUiBridge::ShowConnectStatus() {
    if (plainWaits_) {
        return;
    }
    connectStatus_->show();
    // Once, so that the notice is painted before the port search blocks.
    QCoreApplication::processEvents();
}

void QtUiBridge::ShowWorking() {
    if (plainWaits_) {
        workingHidden_ = true;
        return;
    }
    working_->show();
}

void QtUiBridge::CloseWorking() {
    workingHidden_ = false;
    working_->hide();
}

void QtUiBridge::ShowWaitNotice(const std::string& text) {
    QString notice = QString::fromStdString(text);
    if (auto* window = qobject_cast<QMainWindow*>(mainWindow_.data())) {
        if (notice.isEmpty()) {
            window->statusBar()->clearMessage();
        } else {
            window->statusBar()->showMessage(notice);
        }
    }
    if (workingText_.isEmpty()) {
        workingText_ = working_->memPrompt->text();
    }
    working_->memPrompt->setText(notice.isEmpty() ? workingText_ : workingText_ + "\n\n" + notice);
}

void QtUiBridge::FocusWorking() {
    if (plainWaits_) {
        return;
    }
    working_->activateWindow();
    working_->BitBtn1->setFocus();
}

// Under plain waits nobody can answer: every prompt and question gets its negative answer.
bool QtUiBridge::ShowPrompt(int kind, const std::string& caption) {
    return plainWaits_ ? false : prompt_->ShowPrompt(kind, caption);
}

bool QtUiBridge::ShowTextPrompt(const std::string& text, const std::string& caption) {
    return plainWaits_ ? false
                       : prompt_->ShowTextPrompt(text, caption, IsDestructiveQuestion(caption));
}

void QtUiBridge::FocusPrompt() {
    if (!plainWaits_) {
        prompt_->activateWindow();
    }
}

ModalResult QtUiBridge::RunStatus(const std::string& caption, bool showCancel) {
    if (!plainWaits_) {
        // The operation that runs the transfer tells the log how it ended.
        return status_->RunStatus(caption, showCancel);
    }
    statusHidden_ = true;
    hiddenStatusResult_ = ModalResult::None;
    ScopeExit closed([this] { statusHidden_ = false; });
    while (hiddenStatusResult_ == ModalResult::None) {
        plainCalls_.WaitAndRun(kPlainWaitSliceMs);
    }
    return hiddenStatusResult_;
}

void QtUiBridge::UpdateStatus(const std::string& text, int kind, std::int64_t position,
                              std::int64_t maximum, std::int64_t spare) {
    if (statusHidden_) {
        if (kind == 3) {
            hiddenStatusResult_ = ModalResult::OK;
        }
        return;
    }
    status_->UpdateStatus(text, kind, position, maximum, spare);
}

ModalResult QtUiBridge::AskReplace(const std::string& name, int fileCount) {
    return plainWaits_ ? ModalResult::Cancel : replace_->AskReplace(name, fileCount);
}

ModalResult QtUiBridge::AskReplaceDirectory(const std::string& name, int itemCount) {
    return plainWaits_ ? ModalResult::No : replace_->AskReplaceDirectory(name, itemCount);
}

bool QtUiBridge::IsDestructiveQuestion(const std::string& caption) {
    return caption == "Erase Calculator?";
}

int QtUiBridge::AskWrongFile(const std::string& fileName, const std::string& kind,
                             bool offerChoice) {
    if (plainWaits_) {
        return static_cast<int>(ModalResult::Cancel);
    }
    return badFile_->AskWrongFile(fileName, kind, offerChoice);
}

void QtUiBridge::OperationEnded(const std::string& what, const Outcome& outcome) {
    log_->Operation(what, outcome);
}

void QtUiBridge::Beep() {
    QApplication::beep();
}

void QtUiBridge::SetBusy(bool busy) {
    if (busy == busy_) {
        return;
    }
    busy_ = busy;
    if (onBusyChanged) {
        onBusyChanged(busy);
    }
}

void QtUiBridge::SetTextMode(bool textMode) {
    state_.textMode = textMode;
    if (onTextModeChanged) {
        onTextModeChanged(textMode);
    }
}

void QtUiBridge::SetSeries(const std::string& series) {
    state_.SetSeries(series);
    if (onSeriesChanged) {
        onSeriesChanged(state_.series);
    }
    if (onModelChanged) {
        onModelChanged(state_.modelName);
    }
}

void QtUiBridge::SetModel(const std::string& model) {
    state_.SetModel(model);
    if (onModelChanged) {
        onModelChanged(state_.modelName);
    }
}

bool QtUiBridge::TakeConnectCancel() {
    return connectStatus_->TakeCancelled();
}

}  // namespace vaddex::gui
