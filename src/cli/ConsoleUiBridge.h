#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "cli/CliOptions.h"
#include "cli/ProgressBar.h"
#include "cli/Terminal.h"
#include "session/HeadlessUiBridge.h"

namespace vaddex::cli {

// The console's windows: prompts, questions and messages are printed on standard error,
// answers come from --yes / --no or the terminal, transfers show a ProgressBar, and Ctrl-C is
// the Cancel button of whatever window would be showing. The constructing thread is the UI
// thread.
class ConsoleUiBridge : public HeadlessUiBridge {
public:
    struct Settings {
        AnswerMode answers = AnswerMode::Ask;
        bool verbose = false;
        // What --yes chooses for a file without any header: text or binary.
        bool textMode = false;
        bool rpnPrompts = true;  // the RPN wording of the prompts, else the ALG one
        // --yes replaces a directory by a file of its name too; without it, that one
        // question is answered No even with --yes.
        bool replaceDirectories = false;
    };

    ConsoleUiBridge(CalculatorState& state, const Settings& settings, Terminal& terminal,
                    ProgressBar& progress);

    // Runs on the UI thread when a prompt asks the calculator's user to start something
    // (XRECV, XSEND, screen sending, the ROM loader): the built-in calculator plays it here.
    std::function<void(int kind)> OnCalculatorPrompt;

    // The session's status texts (TXModemServer::OnStatus); shown with --verbose.
    void ShowStatusText(const std::string& text);

    // Any thread, for Ctrl-C: cancels the question being asked, else presses Cancel on the
    // window showing (or the next one to show). False when an earlier Ctrl-C is still waiting
    // for a window to cancel: there is nothing to cancel.
    bool Interrupt();
    // Any thread, for SIGTERM and SIGHUP: from now on every window is cancelled as it shows
    // and every question is answered No/Cancel, so the command unwinds to a clean end.
    void Terminate();
    // A line on standard error, below the progress bar if one shows.
    void Notice(const std::string& text) { Print(text); }
    // The progress bar's line is ended, so that a last message starts on a line of its own.
    void EndOutput() { progress_.End(); }

    // The calculator name the next transfers' bars are labelled with, instead of the file's;
    // "" for the caption as the transfer gives it.
    void SetTransferLabel(const std::string& name) { transferLabel_ = name; }

    void ShowConnectStatus() override;
    void ShowWaitNotice(const std::string& text) override;

protected:
    bool AnswerPrompt(int kind, const std::string& caption, const std::string& text) override;
    ModalResult AnswerReplace(const std::string& name, int fileCount) override;
    ModalResult AnswerReplaceDirectory(const std::string& name, int itemCount) override;
    int AnswerWrongFile(const std::string& fileName, const std::string& kind,
                        bool offerChoice) override;
    void OnPromptShown(int kind, const std::string& caption, const std::string& text) override;
    void OnMessage(const std::string& caption, const std::string& text) override;
    void OnReport(const std::string& text, int kind, std::int64_t position,
                  std::int64_t maximum) override;
    void OnStatusWindow(const std::string& caption, bool shown) override;
    void OnWorking(bool shown) override;
    void OnIdle() override;
    void OnCancelTaken() override;

private:
    struct Choice {
        char key;  // the letter that picks it
        int value;
    };
    // Prints the question, then the answer: from --yes / --no, from the terminal, or
    // `noAnswer` when there is none. `fallback` answers an empty line (-1: ask again).
    int Ask(const std::string& question, const std::string& prompt,
            const std::vector<Choice>& choices, int yes, int no, int noAnswer, int fallback);
    void Print(const std::string& text);

    Settings settings_;
    Terminal& terminal_;
    ProgressBar& progress_;
    std::atomic<bool> cancelPending_{false};
    std::atomic<bool> terminating_{false};
    std::string transferLabel_;
    std::string heldFailure_;  // a retry's message, shown only if the transfer fails on it
};

}  // namespace vaddex::cli
