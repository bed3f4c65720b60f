#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "session/Outcome.h"

namespace vaddex {

class TXModemServer;

// The lines in a stack picture: ReadStackLines gives at most this many levels.
inline constexpr std::size_t kStackPictureLevels = 7;

// The command line's checked operations on the calculator: a line run with its error read
// back, the stack's depth and every level of it. Each runs a script that stores its answer in
// the scratch variable and gets it back; an answer that did not arrive (failed or cancelled)
// is Failed with a text that says which. UI thread only; nothing is raised.
class StackCommands {
public:
    explicit StackCommands(TXModemServer& session);

    // Runs before every checked line: the line may change the calculator's directory.
    std::function<void()> OnLineRun;

    // Runs the line inside IFERR; `error` is the calculator's error message, "" when the line
    // worked (its results stay on the stack as they would).
    Outcome RunCheckedLine(const std::string& line, std::string& error);
    // The number of stack levels.
    Outcome ReadDepth(std::size_t& depth);
    // Every level of a stack of `depth` levels, "n: text", level 1 last.
    Outcome ReadWholeStack(std::size_t depth, std::vector<std::string>& lines);

private:
    Outcome Guarded(const std::function<Outcome()>& operation);
    Outcome ReadLevels(std::size_t depth, std::vector<std::string>& lines);
    // RunScratchScript, its answer as a string object's text; Failed with `failure`.
    Outcome ReadString(const std::string& script, const std::string& failure, std::string& text);

    TXModemServer& session_;
};

}  // namespace vaddex
