#pragma once

#include <functional>
#include <string>

namespace vaddex {

// What the link and transfer layers need from whoever shows windows. The session's
// UiBridge extends it; front ends and tests implement it.
class LinkUi {
public:
    virtual ~LinkUi() = default;

    // Lets pending user-interface events run. Called on the UI thread only.
    virtual void ProcessEvents() = 0;
    // True when the calling thread is the UI thread.
    virtual bool IsUiThread() const = 0;

    // Visibility of the "Calculator is Working" window.
    virtual bool IsWorkingWindowVisible() const = 0;
    // Visibility of the "Set the Calculator" operator prompt window.
    virtual bool IsPromptVisible() const = 0;

    // The main window's connected state; false also closes the "Calculator is Working" window.
    virtual void SetConnected(bool connected) = 0;
    // Closes the "Looking for Calculator" connect status window.
    virtual void CloseConnectStatus() = 0;
    // Gives the main window the input focus.
    virtual void FocusMainWindow() = 0;

    // Runs fn on the UI thread and returns once it has run (at once when called on the UI
    // thread). An exception thrown by fn reaches the caller.
    virtual void RunOnUiThread(const std::function<void()>& fn) = 0;

    // UI thread: true when the user asked to stop the operation under way (a Cancel button,
    // Ctrl-C, a signal). The link's waits end at once when it is set.
    virtual bool IsCancelRequested() const { return false; }
    // UI thread: a wait of the link ended on that request, which is thereby used up.
    virtual void TakeCancel() {}

    // Any thread: runs fn on the UI thread later, without waiting for it. A front end without
    // an event loop may drop it: what it would tell is then found by the next operation.
    virtual void PostToUiThread(std::function<void()> fn) { (void)fn; }

    // A message box with an OK button. UI thread only.
    virtual void ShowMessage(const std::string& caption, const std::string& text) = 0;
};

}  // namespace vaddex
