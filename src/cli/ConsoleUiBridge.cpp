#include "cli/ConsoleUiBridge.h"

#include <cctype>

#include "session/PromptTexts.h"
#include "util/Errors.h"

namespace vaddex::cli {
namespace {

// The window's instructions in the command line's words: there is no button below.
std::string ConsolePromptText(int kind, bool rpn) {
    static const std::pair<const char*, const char*> kWording[] = {
        {"Press OK below", "Press Enter here"},
        {"Press the \"Connect\" button below.", "Answer y here to connect."},
        {"Otherwise, press CANCEL.", "Otherwise, answer n."},
    };
    std::string text = PromptText(kind, rpn);
    for (const auto& [window, console] : kWording) {
        for (std::size_t at = text.find(window); at != std::string::npos;
             at = text.find(window, at)) {
            text.replace(at, std::string(window).size(), console);
        }
    }
    return text;
}

constexpr int kAskAgain = -1;
constexpr int kOk = 1;
constexpr int kCancel = 0;

std::string Trimmed(const std::string& text) {
    std::size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos) {
        return {};
    }
    std::size_t end = text.find_last_not_of(" \t");
    return text.substr(begin, end - begin + 1);
}

std::string Titled(const std::string& caption, const std::string& text) {
    return caption.empty() ? ConsoleText(text) : caption + ":\n" + ConsoleText(text);
}

}  // namespace

ConsoleUiBridge::ConsoleUiBridge(CalculatorState& state, const Settings& settings,
                                 Terminal& terminal, ProgressBar& progress)
    : HeadlessUiBridge(state), settings_(settings), terminal_(terminal), progress_(progress) {}

void ConsoleUiBridge::Print(const std::string& text) {
    progress_.Message(text);
}

void ConsoleUiBridge::ShowStatusText(const std::string& text) {
    if (settings_.verbose && !text.empty()) {
        Print(text);
    }
}

void ConsoleUiBridge::ShowConnectStatus() {
    HeadlessUiBridge::ShowConnectStatus();
    if (settings_.verbose) {
        Print("Looking for Calculator");
    }
}

void ConsoleUiBridge::ShowWaitNotice(const std::string& text) {
    if (!text.empty()) {
        Print(text);
    }
}

bool ConsoleUiBridge::Interrupt() {
    if (terminal_.Asking()) {
        terminal_.Interrupt();
        return true;
    }
    if (cancelPending_.exchange(true)) {
        return false;
    }
    RequestCancel();
    return true;
}

void ConsoleUiBridge::Terminate() {
    terminating_ = true;
    terminal_.Interrupt();
    RequestCancel();
}

// The headless bridge acts on a pending cancel right after this call, and only while one of
// its windows shows: a cancel that finds one is taken.
void ConsoleUiBridge::OnIdle() {
    if (terminating_) {
        RequestCancel();
        return;
    }
    if (cancelPending_ && (IsStatusVisible() || IsWorkingWindowVisible() || IsPromptVisible())) {
        cancelPending_ = false;
    }
}

void ConsoleUiBridge::OnCancelTaken() {
    cancelPending_ = false;
}

int ConsoleUiBridge::Ask(const std::string& question, const std::string& prompt,
                         const std::vector<Choice>& choices, int yes, int no, int noAnswer,
                         int fallback) {
    Print(question);
    if (terminating_) {
        return noAnswer;
    }
    if (settings_.answers == AnswerMode::Yes) {
        return yes;
    }
    if (settings_.answers == AnswerMode::No) {
        return no;
    }
    if (!terminal_.Available()) {
        Print("No terminal to answer on: answered No/Cancel (use --yes or --no).");
        return noAnswer;
    }
    for (;;) {
        std::optional<std::string> line = terminal_.ReadLine(question + "\n", prompt);
        if (!line) {
            return noAnswer;  // Ctrl-C or end of input
        }
        std::string answer = Trimmed(*line);
        if (answer.empty() && fallback != kAskAgain) {
            return fallback;
        }
        char key = answer.empty() ? '\0' : static_cast<char>(std::tolower(answer[0]));
        for (const Choice& choice : choices) {
            if (choice.key == key) {
                return choice.value;
            }
        }
    }
}

bool ConsoleUiBridge::AnswerPrompt(int kind, const std::string& caption, const std::string& text) {
    if (OnCalculatorPrompt) {
        OnCalculatorPrompt(kind);
    }
    std::string shownText =
        kind == kPromptText ? text : ConsolePromptText(kind, settings_.rpnPrompts);
    std::string question = Titled(caption, shownText);
    if (!PromptHasCancel(kind)) {
        Print(question);
        return true;
    }
    std::vector<Choice> choices = {{'y', kOk}, {'o', kOk}, {'n', kCancel}, {'c', kCancel}};
    if (kind == kPromptText) {
        // A question: only a typed yes goes on.
        return Ask(question, "OK? [y/N] ", choices, kOk, kCancel, kCancel, kCancel) == kOk;
    }
    // Instructions for the calculator's user: Enter when done.
    std::string prompt = kind == kPromptRestored ? "Connect? [Y/n] " : "OK? [Y/n] ";
    return Ask(question, prompt, choices, kOk, kCancel, kCancel, kOk) == kOk;
}

ModalResult ConsoleUiBridge::AnswerReplace(const std::string& name, int fileCount) {
    std::string text = "\r\nThis folder already contains a file named " + name + ".\r\n\r\n" +
                       "Would you like to replace the existing file?\r\n\r\n";
    std::vector<Choice> choices = {{'y', static_cast<int>(ModalResult::Yes)},
                                   {'n', static_cast<int>(ModalResult::No)},
                                   {'c', static_cast<int>(ModalResult::Cancel)}};
    std::string prompt = "[y]es, [n]o, [c]ancel? ";
    if (fileCount >= 2) {
        choices.push_back({'a', static_cast<int>(ModalResult::All)});
        prompt = "[y]es, [a]ll, [n]o, [c]ancel? ";
    }
    return static_cast<ModalResult>(Ask(
        Titled("Confirm File Replace", text), prompt, choices, static_cast<int>(ModalResult::Yes),
        static_cast<int>(ModalResult::No), static_cast<int>(ModalResult::Cancel), kAskAgain));
}

ModalResult ConsoleUiBridge::AnswerReplaceDirectory(const std::string& name, int itemCount) {
    std::string text = "\r\n" + name + " is a directory holding " + std::to_string(itemCount) +
                       (itemCount == 1 ? " item" : " items") +
                       ".\r\n\r\nReplace it and everything in it?\r\n\r\n";
    const int yes = static_cast<int>(ModalResult::Yes);
    const int no = static_cast<int>(ModalResult::No);
    std::string question = Titled("Replace Directory?", text);
    if (settings_.answers == AnswerMode::Yes && !settings_.replaceDirectories) {
        // A collision of names must not erase a tree unasked: --yes alone says no here.
        Print(question + "No (--yes replaces no directory; add --replace-directories)");
        return ModalResult::No;
    }
    return static_cast<ModalResult>(
        Ask(question, "[y/N] ", {{'y', yes}, {'n', no}}, yes, no, no, no));
}

int ConsoleUiBridge::AnswerWrongFile(const std::string& fileName, const std::string& kind,
                                     bool offerChoice) {
    std::string text = fileName + "\r\n\r\nis a " + kind +
                       " file and does not match the calculator.\r\n" +
                       "This may damage the calculator contents.\r\n\r\n" +
                       (offerChoice ? "How should this file be sent?" : "Do you wish to continue?");
    std::string question = Titled("Wrong File Type?", text);
    const int cancel = static_cast<int>(ModalResult::Cancel);
    if (offerChoice) {
        int yes = settings_.textMode ? kWrongFileText : kWrongFileBinary;
        return Ask(question, "[t]ext, [b]inary, [c]ancel? ",
                   {{'t', kWrongFileText}, {'b', kWrongFileBinary}, {'c', cancel}}, yes, cancel,
                   cancel, kAskAgain);
    }
    const int ok = static_cast<int>(ModalResult::OK);
    return Ask(question, "Continue? [y/N] ", {{'y', ok}, {'n', cancel}}, ok, cancel, cancel,
               cancel);
}

void ConsoleUiBridge::OnPromptShown(int kind, const std::string& caption,
                                    const std::string& /*text*/) {
    Print(Titled(caption, ConsolePromptText(kind, settings_.rpnPrompts)));
    Print("Waiting for the calculator (Ctrl-C cancels) ...");
    if (OnCalculatorPrompt) {
        OnCalculatorPrompt(kind);
    }
}

void ConsoleUiBridge::OnMessage(const std::string& caption, const std::string& text) {
    Print(Titled(caption, text));
}

void ConsoleUiBridge::OnReport(const std::string& text, int kind, std::int64_t position,
                               std::int64_t maximum) {
    if (kind == 2) {
        progress_.Update(text, position, maximum);
    } else if (kind == 3) {
        if (position == 1) {
            progress_.Worked();
        } else if (!heldFailure_.empty()) {
            Print(heldFailure_);  // the last retry's text was also why the transfer failed
        }
        heldFailure_.clear();
    } else if (kind == 0 && text == kConnectionErrorText) {
        // A block sent again is no failed command: counted on the progress line, and said
        // only if the transfer ends on it.
        progress_.Retried();
        heldFailure_ = text;
    } else if (kind == 0 || (kind == 1 && settings_.verbose)) {
        if (kind == 0) {
            heldFailure_.clear();
        }
        Print(text);
    }
}

void ConsoleUiBridge::OnStatusWindow(const std::string& caption, bool shown) {
    if (shown) {
        // "Copying /home/u/x.zq" becomes "Copying X": the object, as the calculator names it.
        std::size_t blank = caption.find(' ');
        bool internal = caption.find("$$$") != std::string::npos;
        progress_.Begin(transferLabel_.empty() || blank == std::string::npos || internal
                            ? caption
                            : caption.substr(0, blank + 1) + transferLabel_);
    } else {
        progress_.End();
    }
}

void ConsoleUiBridge::OnWorking(bool shown) {
    if (shown && settings_.verbose) {
        Print("Calculator is Working");
    }
}

}  // namespace vaddex::cli
