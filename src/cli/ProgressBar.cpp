#include "cli/ProgressBar.h"

#include <algorithm>

#include "util/FileIo.h"

namespace vaddex::cli {
namespace {

// Without a terminal a new line is written at most this often.
constexpr std::int64_t kLineIntervalMs = 1000;
constexpr int kBarWidth = 24;
constexpr const char* kInternalVariable = "$$$t";

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
}

// "Copying /home/u/x.zq" shows as "Copying x.zq".
std::string ShortCaption(const std::string& caption) {
    std::size_t blank = caption.find(' ');
    if (blank == std::string::npos || caption.find('/', blank) == std::string::npos) {
        return caption;
    }
    return caption.substr(0, blank + 1) + FileNameOf(caption.substr(blank + 1));
}

}  // namespace

std::string ConsoleText(const std::string& text) {
    std::string out = text;
    ReplaceAll(out, "\r\n", "\n");
    ReplaceAll(out, "\n\r", "\n");
    std::replace(out.begin(), out.end(), '\r', '\n');
    while (!out.empty() && out.back() == '\n') {
        out.pop_back();
    }
    return out;
}

ProgressBar::ProgressBar(std::ostream& out, bool terminal, int columns, Clock clock)
    : out_(out), terminal_(terminal), columns_(std::max(columns, 20)), clock_(std::move(clock)) {}

std::string ProgressBar::Figures(std::int64_t position, std::int64_t maximum,
                                 std::int64_t startTick, std::int64_t nowTick) {
    std::int64_t percent = maximum > 0 ? position * 100 / maximum : 0;
    std::string figures = std::to_string(position) + "/" + std::to_string(maximum) + " bytes (" +
                          std::to_string(percent) + "%)";
    std::int64_t elapsed = nowTick - startTick;
    if (elapsed > 0) {
        figures += " " + std::to_string(position * 1000 / elapsed) + " bytes/s";
    }
    return figures;
}

std::string ProgressBar::Bar(std::int64_t position, std::int64_t maximum, int width) {
    std::int64_t filled = maximum > 0 ? position * width / maximum : 0;
    filled = std::clamp<std::int64_t>(filled, 0, width);
    return "[" + std::string(static_cast<std::size_t>(filled), '#') +
           std::string(static_cast<std::size_t>(width - filled), '-') + "]";
}

void ProgressBar::Begin(const std::string& caption) {
    // The program's own small exchanges (identification, stack, error checks) go through
    // $$$t: nothing the user asked for, so no bar.
    if (caption.find(kInternalVariable) != std::string::npos) {
        return;
    }
    active_ = true;
    worked_ = false;
    maximum_ = 0;
    position_ = 0;
    retries_ = 0;
    caption_ = ShortCaption(caption);
    lastLine_.clear();
    lastShown_ = true;
    drawnLength_ = 0;
    lastWriteTick_ = 0;
    beginTick_ = clock_();
}

void ProgressBar::Update(const std::string& /*text*/, std::int64_t position, std::int64_t maximum) {
    if (!active_) {
        return;
    }
    maximum_ = maximum;
    position_ = position;
    Show(position, maximum, false);
}

void ProgressBar::Worked() {
    worked_ = active_;
}

void ProgressBar::Retried() {
    if (!active_) {
        return;
    }
    ++retries_;
    if (terminal_ && maximum_ > 0) {
        Show(position_, maximum_, false);  // the count shows at once on the drawn line
    }
}

void ProgressBar::Show(std::int64_t position, std::int64_t maximum, bool final) {
    std::int64_t now = clock_();
    // Bytes throughout, and the rate over the whole transfer: the report's own text changes
    // its unit on a fast link and starts its clock late.
    std::string figures = Figures(position, maximum, beginTick_, now);
    if (retries_ > 0) {
        figures += " (" + std::to_string(retries_) + (retries_ == 1 ? " retry)" : " retries)");
    }
    if (terminal_) {
        std::string line = caption_ + " " + Bar(position, maximum, kBarWidth) + " " + figures;
        line.resize(std::min(line.size(), static_cast<std::size_t>(columns_ - 1)));
        lastLine_ = line;
        Draw(line);
        return;
    }
    lastLine_ = caption_ + ": " + figures;
    std::int64_t since = lastWriteTick_ != 0 ? lastWriteTick_ : beginTick_;
    lastShown_ = final || now - since >= kLineIntervalMs;
    if (lastShown_) {
        out_ << lastLine_ << '\n' << std::flush;
        lastWriteTick_ = now;
    }
}

void ProgressBar::Message(const std::string& text) {
    std::string shown = ConsoleText(text);
    if (shown.empty()) {
        return;
    }
    if (terminal_ && drawnLength_ > 0) {
        ClearLine();
        out_ << shown << '\n';
        Draw(lastLine_);
        return;
    }
    out_ << shown << '\n' << std::flush;
}

void ProgressBar::End() {
    if (!active_) {
        return;
    }
    active_ = false;
    // Reports come before each block, so the last one is short of the total: a transfer that
    // worked is shown whole. Off a terminal a transfer too short to have written a line
    // still writes none.
    bool shown = terminal_ ? drawnLength_ > 0 : lastWriteTick_ != 0;
    if (worked_ && maximum_ > 0 && shown) {
        Show(maximum_, maximum_, true);
        if (terminal_) {
            out_ << '\n';
            drawnLength_ = 0;
        }
    } else if (terminal_ && drawnLength_ > 0) {
        ClearLine();  // the command says what came of it
    } else if (!terminal_ && lastWriteTick_ != 0 && !lastShown_) {
        out_ << lastLine_ << '\n';
    }
    out_ << std::flush;
}

void ProgressBar::Draw(const std::string& line) {
    out_ << '\r' << line;
    if (line.size() < drawnLength_) {
        out_ << std::string(drawnLength_ - line.size(), ' ');
    }
    drawnLength_ = line.size();
    out_ << std::flush;
}

void ProgressBar::ClearLine() {
    out_ << '\r' << std::string(drawnLength_, ' ') << '\r';
    drawnLength_ = 0;
}

}  // namespace vaddex::cli
