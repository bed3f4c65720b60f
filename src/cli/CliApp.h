#pragma once

#include <string>
#include <vector>

namespace vaddex::cli {

// Exit statuses beside CliCommands' success and failure.
inline constexpr int kUsageStatus = 2;
inline constexpr int kInterruptedStatus = 130;
// SIGTERM and SIGHUP end the program with this plus the signal's number, as a shell reports.
inline constexpr int kSignalStatusBase = 128;

// The whole program behind main: reads the arguments (without the program name) and the
// stored settings, runs the command, and returns the exit status. Results go to standard
// output; prompts, progress and errors to standard error. Blocks until the command is done.
int RunCli(const std::vector<std::string>& arguments);

// An error as the window shows it, on one line: its lines joined, and a full stop after a
// text that ends in a letter or digit.
std::string ErrorLine(const std::string& message);

}  // namespace vaddex::cli
