#include "windows/QtUiBridge.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>
#include <QStatusBar>
#include <QThread>
#include <exception>

#include "placement/WindowFront.h"
#include "util/Errors.h"
#include "windows/DisplayText.h"

namespace vaddex::gui {

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
    QCoreApplication::processEvents();
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
    if (mainWindow_) {
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
    QMessageBox box(MessageIcon(caption), DisplayText(caption), DisplayText(text), QMessageBox::Ok,
                    mainWindow_);
    box.exec();
}

void QtUiBridge::ShowConnectStatus() {
    connectStatus_->show();
    // Once, so that the notice is painted before the port search blocks.
    QCoreApplication::processEvents();
}

void QtUiBridge::ShowWorking() {
    working_->show();
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
    working_->activateWindow();
    working_->BitBtn1->setFocus();
}

bool QtUiBridge::ShowPrompt(int kind, const std::string& caption) {
    return prompt_->ShowPrompt(kind, caption);
}

bool QtUiBridge::ShowTextPrompt(const std::string& text, const std::string& caption) {
    return prompt_->ShowTextPrompt(text, caption, IsDestructiveQuestion(caption));
}

void QtUiBridge::FocusPrompt() {
    prompt_->activateWindow();
}

ModalResult QtUiBridge::RunStatus(const std::string& caption, bool showCancel) {
    // The operation that runs the transfer tells the log how it ended.
    return status_->RunStatus(caption, showCancel);
}

void QtUiBridge::UpdateStatus(const std::string& text, int kind, std::int64_t position,
                              std::int64_t maximum, std::int64_t spare) {
    status_->UpdateStatus(text, kind, position, maximum, spare);
}

ModalResult QtUiBridge::AskReplace(const std::string& name, int fileCount) {
    return replace_->AskReplace(name, fileCount);
}

ModalResult QtUiBridge::AskReplaceDirectory(const std::string& name, int itemCount) {
    return replace_->AskReplaceDirectory(name, itemCount);
}

bool QtUiBridge::IsDestructiveQuestion(const std::string& caption) {
    return caption == "Erase Calculator?";
}

int QtUiBridge::AskWrongFile(const std::string& fileName, const std::string& kind,
                             bool offerChoice) {
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
