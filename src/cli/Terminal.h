#pragma once

#include <atomic>
#include <optional>
#include <string>

namespace vaddex::cli {

// The terminal that questions are asked on: standard input when it is one, else /dev/tty.
// Prompts go to standard error when that is the terminal, else to /dev/tty. Used on the UI
// thread; Interrupt may be called from any thread.
class Terminal {
public:
    Terminal();
    ~Terminal();
    Terminal(const Terminal&) = delete;
    Terminal& operator=(const Terminal&) = delete;

    // False when there is no terminal to read an answer from.
    bool Available() const { return input_ >= 0; }
    // True while ReadLine waits for the user.
    bool Asking() const { return asking_; }

    // Shows `question` on the terminal unless standard error already carries it, writes
    // `prompt`, and blocks until a line is typed. nullopt on end of input, a read error,
    // no terminal, or Interrupt. The line comes without its line end.
    std::optional<std::string> ReadLine(const std::string& question, const std::string& prompt);

    // Any thread (Ctrl-C): ends the ReadLine that is waiting.
    void Interrupt();

private:
    void Write(const std::string& text) const;

    int input_ = -1;
    int output_ = -1;
    int tty_ = -1;  // /dev/tty when it was opened
    int wake_[2] = {-1, -1};
    std::atomic<bool> asking_{false};
};

}  // namespace vaddex::cli
