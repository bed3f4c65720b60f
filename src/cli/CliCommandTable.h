#pragma once

#include <climits>
#include <span>
#include <string>

namespace vaddex::cli {

class CliCommands;
struct CliOptions;

// A command's maxArguments when it takes any number.
inline constexpr int kAnyArgumentCount = INT_MAX;

// One command of vaddex-cli. The parser, the checks before connecting, the dispatch and the
// help text all read it; the man page and the bash completion are tested against it.
struct CliCommandRow {
    const char* name;
    int minArguments;
    int maxArguments;        // kAnyArgumentCount: any number
    const char* usageWords;  // what the help shows after the name: "NAME [FILE]", "[-R]"
    // Checks what can be checked before the calculator is touched (throws UsageError or
    // CommandFailed); null: nothing to check.
    void (*checkBeforeConnecting)(const CliOptions& options);
    // Carries the command out; null for the commands the program runs itself (usb-rule,
    // shell).
    int (CliCommands::*run)();
    // The help line; each '\n' starts a continuation line.
    const char* help;
};

// Every command, in the order the help lists them.
std::span<const CliCommandRow> CliCommandTable();

// The row of the command; null for an unknown name.
const CliCommandRow* FindCliCommand(const std::string& name);

// The "Commands:" lines of the help: the usage padded to the help's column, then the help
// line and its continuation lines, indented to that column.
std::string CommandHelpLines();

}  // namespace vaddex::cli
