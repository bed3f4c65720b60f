#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/CliErrors.h"
#include "frontend/StoredSettings.h"

namespace vaddex::cli {

// How questions are answered: on the terminal, or all by --yes or --no.
enum class AnswerMode { Ask, Yes, No };

// Everything the command line says. Unset optionals fall back to the stored settings.
struct CliOptions {
    std::optional<std::string> port;        // -p
    std::optional<int> speed;               // -s
    bool textMode = false;                  // -t
    std::optional<int> transIO;             // --transio
    bool noCR = false;                      // --no-cr
    bool noTrans031 = false;                // --no-trans031
    bool crc = false;                       // --crc: receive with a CRC (the default)
    bool checksum = false;                  // --checksum: receive with the one-byte checksum
    bool replaceDirectories = false;        // --replace-directories: --yes replaces them too
    std::string directory = "HOME";         // -C, as "HOME A B"
    std::string tracePath;                  // --trace
    bool json = false;                      // --json
    bool verbose = false;                   // --verbose
    bool recursive = false;                 // ls -R
    bool all = false;                       // stack --all
    std::optional<int> refreshSeconds;      // mount --refresh
    bool background = false;                // mount --background
    std::vector<std::string> mountOptions;  // mount -o, as given
    AnswerMode answers = AnswerMode::Ask;
    std::string simName;  // --sim-name: the variable the built-in calculator sends or stores
    std::vector<std::string> sessionCommands;  // -e, in order
    bool stopOnError = false;                  // --stop-on-error
    // The options as written (each with its value), without -e and --stop-on-error: every
    // command of a session is read as if they stood before it.
    std::vector<std::string> optionWords;
    bool help = false;
    bool version = false;

    std::string command;
    std::vector<std::string> arguments;
};

using frontend::kSpeeds;

// Reads the arguments (without the program name). Options may stand before or after the
// command; "--" ends them. Throws UsageError naming what is wrong.
CliOptions ParseCliArguments(const std::vector<std::string>& arguments);

// A session: commands given with -e, or the "shell" command.
bool IsSession(const CliOptions& options);

// A calculator directory written as "HOME A B", "A B", "A/B" or "/HOME/A/B", as "HOME A B".
std::string NormaliseDirectory(const std::string& text);

}  // namespace vaddex::cli
