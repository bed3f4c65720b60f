#pragma once

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>

namespace vaddex::cli {

// The progress window on standard error: while a transfer runs it shows its caption, a bar,
// the bytes done of the total, the percentage and the rate. On a terminal the line is drawn
// again in place; when the transfer ends it stays at 100% if the transfer worked and is
// removed otherwise (the command says what came of it). Elsewhere (a file, a pipe) a line is
// written once a second from the first second on, and the last state (100% when it worked)
// at the end. UI thread only.
class ProgressBar {
public:
    using Clock = std::function<std::int64_t()>;

    // `columns`: the terminal's width (ignored when not on a terminal).
    ProgressBar(std::ostream& out, bool terminal, int columns, Clock clock);

    // A transfer begins; one of the program's own $$$t exchanges shows nothing.
    void Begin(const std::string& caption);
    // One progress report: the position of the maximum, in bytes. The report's statistics
    // text is not shown: the figures are the bar's own, in one unit.
    void Update(const std::string& text, std::int64_t position, std::int64_t maximum);
    // The transfer has carried every byte: the bar ends at 100% instead of being removed.
    void Worked();
    // A block was sent or received again: counted after the figures, "(3 retries)".
    void Retried();
    // A line of its own (a message of the transfer, a status text); the bar follows it again.
    void Message(const std::string& text);
    void End();

    // The figures shown after the bar: done/total bytes, the percentage, and the rate over
    // the time since `startTick`.
    static std::string Figures(std::int64_t position, std::int64_t maximum, std::int64_t startTick,
                               std::int64_t nowTick);
    // The bar of `width` characters for position of maximum.
    static std::string Bar(std::int64_t position, std::int64_t maximum, int width);

private:
    // Writes the state for position of maximum (off a terminal, when a line is due or final).
    void Show(std::int64_t position, std::int64_t maximum, bool final);
    void Draw(const std::string& line);
    void ClearLine();

    std::ostream& out_;
    bool terminal_;
    int columns_;
    Clock clock_;
    bool active_ = false;
    bool worked_ = false;
    std::int64_t maximum_ = 0;   // the total of the last report
    std::int64_t position_ = 0;  // the position of the last report
    int retries_ = 0;
    std::string caption_;
    std::string lastLine_;         // the state last reported
    bool lastShown_ = true;        // whether lastLine_ has been written (not on a terminal)
    std::size_t drawnLength_ = 0;  // characters of the bar line now on the terminal
    std::int64_t lastWriteTick_ = 0;
    std::int64_t beginTick_ = 0;
};

// Line ends of the calculator's texts (CR LF, or LF CR) as single line feeds, without a
// trailing one.
std::string ConsoleText(const std::string& text);

}  // namespace vaddex::cli
