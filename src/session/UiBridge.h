#pragma once

#include <cstdint>
#include <string>

#include "link/LinkUi.h"
#include "session/CalculatorState.h"
#include "session/ModalResult.h"
#include "session/Outcome.h"

namespace vaddex {

// Everything the session needs from whoever shows windows: the GUI implements it with Qt,
// the command line on the console, tests with scripted answers. All calls are made on the
// UI thread, except RunOnUiThread, which exists to get there.
class UiBridge : public LinkUi {
public:
    // --- "Looking for Calculator" connect status window (CloseConnectStatus in LinkUi) ---
    virtual void ShowConnectStatus() = 0;
    virtual bool IsConnectStatusVisible() const = 0;
    // True once after the user cancelled the connect status window, so that a connect whose
    // answer came before the Cancel was seen still ends cancelled; false where it cannot be.
    virtual bool TakeConnectCancel() { return false; }

    // --- "Calculator is Working" window (IsWorkingWindowVisible in LinkUi) ---
    // Shows it without making it modal and disables the main window's tree and list.
    virtual void ShowWorking() = 0;
    virtual void CloseWorking() = 0;
    virtual void FocusWorking() = 0;
    // Set when the user pressed its Cancel button; cleared by ClearCancel.
    virtual bool IsWorkingCancelled() const = 0;
    virtual void ClearCancel() = 0;
    // The link's waits end on the working window's Cancel.
    bool IsCancelRequested() const override { return IsWorkingCancelled(); }
    void TakeCancel() override { ClearCancel(); }

    // What the program waits for while the calculator says nothing, such as "No answer from
    // the calculator (try 2 of 6)..."; shown in the status bar and the "Calculator is
    // Working" window. An empty text ends the notice.
    virtual void ShowWaitNotice(const std::string& /*text*/) {}

    // --- "Set the Calculator" operator prompt (IsPromptVisible in LinkUi) ---
    // Kinds 1, 3, 4 and 10 stay up without a modal loop and return false at once; the other
    // kinds run modally and return true for a positive answer.
    virtual bool ShowPrompt(int kind, const std::string& caption) = 0;
    // The OK/Cancel question for long texts (prompt kind 0).
    virtual bool ShowTextPrompt(const std::string& text, const std::string& caption) = 0;
    virtual void HidePrompt() = 0;
    virtual void FocusPrompt() = 0;

    // --- transfer progress window ---
    // Runs modally until a kind-3 status closes it (OK) or the user cancels (Cancel),
    // running the reports that transfer threads post meanwhile.
    virtual ModalResult RunStatus(const std::string& caption, bool showCancel) = 0;
    // One report of a transfer thread; ignored while the window is not showing.
    virtual void UpdateStatus(const std::string& text, int kind, std::int64_t position,
                              std::int64_t maximum, std::int64_t spare) = 0;

    // --- questions ---
    // Replace an existing variable? Yes, All (offered from two files on), No or Cancel.
    virtual ModalResult AskReplace(const std::string& name, int fileCount) = 0;
    // Replace a directory, and everything in it, by a file of its name? Yes or No; asked
    // apart from AskReplace, since a collision of names must not erase a tree unasked, and
    // No when nobody can answer.
    virtual ModalResult AskReplaceDirectory(const std::string& /*name*/, int /*itemCount*/) {
        return ModalResult::No;
    }
    // A file that does not match the calculator: with offerChoice, kWrongFileText,
    // kWrongFileBinary or Cancel; without, OK or Cancel (as int).
    virtual int AskWrongFile(const std::string& fileName, const std::string& kind,
                             bool offerChoice) = 0;
    virtual void Beep() = 0;

    // An operation the user asked for has ended: what it did, in the past tense ("deleted
    // GREETING", "sent /home/u/HELLO.zq"), and how it ended. The window keeps a log line of
    // each; a front end that keeps none ignores it.
    virtual void OperationEnded(const std::string& /*what*/, const Outcome& /*outcome*/) {}

    // --- main window state (SetConnected in LinkUi) ---
    // The connected state as SetConnected last set it.
    virtual bool Connected() const = 0;
    virtual void SetBusy(bool busy) = 0;
    // An operation holds the link (as SetBusy last set it).
    virtual bool Busy() const = 0;
    virtual void SetTextMode(bool textMode) = 0;
    virtual void SetSeries(const std::string& series) = 0;
    virtual void SetModel(const std::string& model) = 0;

    // The state record the session reads and writes.
    virtual CalculatorState& State() = 0;
};

}  // namespace vaddex
