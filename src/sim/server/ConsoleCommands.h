#pragma once

#include <ostream>
#include <string>

#include "sim/server/SimServer.h"

namespace zqsim {

// zqsim's standard-input commands, one a line, carried out on a running server.
class ConsoleCommands {
public:
    ConsoleCommands(SimServer& server, std::ostream& out) : server_(server), out_(out) {}

    // Carries out one line and writes its answer; false when the line asks zqsim to end.
    bool Run(const std::string& line);

    static std::string HelpText();

private:
    // Mode switches and the cable; false when the command is none of them.
    bool RunModeCommand(const std::string& command, const std::string& rest);
    void PrintTree();
    void PrintStats();
    void Execute(const std::string& commandLine);

    SimServer& server_;
    std::ostream& out_;
};

// The directory listing of the "l" answer as indented lines: name, prolog, size in bytes.
std::string DescribeListing(const std::string& listing);

}  // namespace zqsim
