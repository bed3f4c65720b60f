#include "cli/CliApp.h"

#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <memory>
#include <mutex>
#include <optional>

#include "cli/BackgroundStart.h"
#include "cli/CliCommands.h"
#include "cli/CommandWords.h"
#include "cli/ConsoleUiBridge.h"
#include "cli/HelpText.h"
#include "cli/InterruptWatcher.h"
#include "cli/SignalStop.h"
#include "cli/StandardOutput.h"
#include "cli/UsbRule.h"
#include "frontend/BuiltInCalculator.h"
#include "frontend/SessionStack.h"
#include "frontend/StoredSettings.h"
#include "session/SessionCommands.h"
#include "util/AppPaths.h"
#include "util/Errors.h"
#include "util/ReplacingWriter.h"
#include "util/ScopeExit.h"
#include "util/Ticks.h"
#include "util/Trace.h"
#include "util/VersionText.h"

namespace vaddex::cli {
namespace {

using frontend::BuiltInCalculator;
using frontend::StoredSettings;

constexpr const char* kProgram = "vaddex-cli";
constexpr int kDefaultColumns = 80;

// The simulated USB device's folder, set before the interrupt watcher starts and read by it.
std::string gUsbRootToRemove;

// SIGTERM or SIGHUP: the signal's number once the command has been cancelled; 0 before.
std::atomic<int> gEndSignal{0};

// A second Ctrl-C that found nothing to cancel, or a second SIGTERM: the private folders and
// the temporary files of unfinished writes go, then the process. Files are only ever replaced
// whole, so nothing half-written stays behind.
[[noreturn]] void EndAtOnce(int status) {
    static constexpr char kText[] = "\nvaddex-cli: interrupted\n";
    [[maybe_unused]] ssize_t ignored = ::write(STDERR_FILENO, kText, sizeof kText - 1);
    ReplacingWriter::AbandonUnfinished();
    std::error_code error;
    if (!gUsbRootToRemove.empty()) {
        std::filesystem::remove_all(gUsbRootToRemove, error);
    }
    try {
        std::filesystem::remove_all(TempFolder(), error);
    } catch (const std::exception&) {
        // No private folder could be made, so there is none to remove.
    }
    ::_exit(status);
}

// Ctrl-C is the Cancel button; SIGTERM and SIGHUP are Cancel and then the end of the program,
// which returns normally so that every temporary file and folder is removed on the way.
void OnSignal(ConsoleUiBridge& ui, int signal) {
    if (signal == SIGINT) {
        // A mount ends with its first Ctrl-C; the operation it serves is cancelled too.
        if (SignalStop::Call()) {
            ui.Interrupt();
            return;
        }
        if (!ui.Interrupt()) {
            EndAtOnce(kInterruptedStatus);
        }
        return;
    }
    if (gEndSignal.exchange(signal) != 0) {
        EndAtOnce(kSignalStatusBase + signal);
    }
    SignalStop::Call();
    ui.Terminate();
}

int TerminalColumns() {
    winsize size{};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) {
        return size.ws_col;
    }
    return kDefaultColumns;
}

// Trace lines with the milliseconds since the start, into a file.
class TraceFile {
public:
    explicit TraceFile(const std::string& path)
        : file_(path, std::ios::out | std::ios::trunc), path_(path) {
        if (!file_) {
            throw CommandFailed("cannot write the trace file " + path);
        }
        start_ = TickMs();
        sink_.emplace([this](std::string_view text) {
            std::lock_guard<std::mutex> lock(mutex_);
            file_ << '[' << TickMs() - start_ << "] " << text << '\n' << std::flush;
            if (!file_ && failure_ == 0) {
                failure_ = errno != 0 ? errno : EIO;
            }
        });
    }

    // A trace asked for and lost fails the command: throws CommandFailed with the reason.
    void Check() {
        std::lock_guard<std::mutex> lock(mutex_);
        if (failure_ == 0 && !file_.flush()) {
            failure_ = errno != 0 ? errno : EIO;
        }
        if (failure_ != 0) {
            throw CommandFailed("the trace file " + path_ + ": " + std::strerror(failure_));
        }
    }

private:
    std::ofstream file_;
    std::string path_;
    int failure_ = 0;  // errno of the first write that failed
    std::mutex mutex_;
    std::int64_t start_ = 0;
    std::optional<ScopedTraceSink> sink_;
};

// Text mode, line ends and translation, as the options and the stored settings say.
void ApplyTransferOptions(const CliOptions& options, const StoredSettings& stored,
                          ConsoleUiBridge& ui, CalculatorState& state) {
    ui.SetTextMode(options.textMode);
    TransferOptions& transfer = state.transfer;
    transfer.addCR = stored.transfer.addCR && !options.noCR;
    transfer.trans031 = stored.transfer.trans031 && !options.noTrans031;
    transfer.transIO =
        frontend::AdjustTransIO(options.transIO.value_or(stored.transfer.transIO), transfer.addCR);
    // The CRC unless the checksum is forced, here or in the window's options.
    transfer.receiveCRC = options.crc || (!options.checksum && stored.transfer.receiveCRC);
}

using CommandRunner = std::function<int(const CliOptions&)>;

int RunSession(const CliOptions& options, const CommandRunner& run);

int RunCommand(const CliOptions& options, const StoredSettings& stored, StandardOutput& output) {
    std::unique_ptr<TraceFile> trace;
    if (!options.tracePath.empty()) {
        trace = std::make_unique<TraceFile>(options.tracePath);
    }
    Terminal terminal;
    // A mount in the background shares its terminal with whatever runs there later: its
    // transfers draw nothing.
    std::ostream nowhere(nullptr);
    bool quiet = options.command == "mount" && options.background;
    ProgressBar progress(quiet ? nowhere : std::cerr, ::isatty(STDERR_FILENO) != 0 && !quiet,
                         TerminalColumns(), &TickMs);
    CalculatorState state;
    // A mount has nobody at the terminal to ask: a question is answered No, and what it
    // asked about fails as a refused name.
    AnswerMode answers = options.command == "mount" && options.answers == AnswerMode::Ask
                             ? AnswerMode::No
                             : options.answers;
    ConsoleUiBridge::Settings settings{answers, options.verbose, options.textMode,
                                       stored.rpnPrompts, options.replaceDirectories};
    ConsoleUiBridge ui(state, settings, terminal, progress);

    std::unique_ptr<BuiltInCalculator> calculator;
    if (options.port && BuiltInCalculator::IsSimPort(*options.port)) {
        try {
            calculator = std::make_unique<BuiltInCalculator>(*options.port);
        } catch (const frontend::UnknownSimModel& e) {
            throw UsageError(e.what());
        }
        gUsbRootToRemove = calculator->UsbRoot();
    }
    InterruptWatcher watcher([&ui](int signal) { OnSignal(ui, signal); });

    frontend::SessionStack stack(ui, stored,
                                 [&ui](const std::string& text) { ui.ShowStatusText(text); });
    // Without a stored speed the command line keeps to the slow one every calculator takes.
    int speed =
        options.speed.value_or(stored.speedStored ? stored.speed : frontend::kFallbackSpeed);
    stack.SetSpeed(std::to_string(speed));
    ApplyTransferOptions(options, stored, ui, state);

    SessionCommands& commands = stack.Commands();
    commands.CurrentPath = options.directory;
    if (options.command != "ports") {
        // The -p port, else the stored one when it is a path (a pty or an unlisted device)
        // or the port list holds it now, else "Auto".
        if (calculator) {
            commands.SelectedPort = calculator->PortName();
        } else if (options.port) {
            commands.SelectedPort = *options.port;
        } else {
            commands.SelectedPort =
                stack.ChoosePort(stored.port, frontend::UnlistedPort::KeepAnyPath);
        }
        if (options.verbose) {
            ui.Notice("Port " + commands.SelectedPort + " at " + std::to_string(speed));
        }
    }

    // The commands of a session share one connection, so one identification and one listing.
    CliCommands::Connection connection;
    CommandRunner run = [&](const CliOptions& commandOptions) {
        ApplyTransferOptions(commandOptions, stored, ui, state);
        CliCommands cli(commandOptions, stored.border, commands, ui, calculator.get(), std::cout);
        cli.ShareConnection(connection);
        cli.ListPortsWith([&stack] { return stack.ListPorts(); });
        ScopeExit endOutput([&ui] { ui.EndOutput(); });
        int status = CliCommands::kFailed;
        try {
            status = cli.Run();
        } catch (...) {
            // The command's own failure is the one to report; a lost output of it is not
            // left to be blamed on the next command.
            output.TakeFailure();
            throw;
        }
        output.Check();
        return status;
    };
    int status = IsSession(options) ? RunSession(options, run) : run(options);
    if (trace) {
        trace->Check();
    }
    return status;
}

void PrintError(const std::string& text) {
    std::cerr << kProgram << ": " << text << '\n';
}

}  // namespace

std::string ErrorLine(const std::string& message) {
    std::string line = ConsoleText(message);
    std::replace(line.begin(), line.end(), '\n', ' ');
    if (!line.empty() && std::isalnum(static_cast<unsigned char>(line.back()))) {
        line += '.';
    }
    return line;
}

namespace {

// Reports a command's failure and gives its exit status; a usage error may point to --help.
int FailureStatus(const std::exception_ptr& error, bool suggestHelp) {
    try {
        std::rethrow_exception(error);
    } catch (const UsageError& e) {
        PrintError(e.what());
        if (suggestHelp) {
            std::cerr << "Try '" << kProgram << " --help'.\n";
        }
        return kUsageStatus;
    } catch (const CommandFailed& e) {
        PrintError(e.what());
    } catch (const std::exception& e) {
        PrintError(ErrorLine(e.what()));
    }
    return CliCommands::kFailed;
}

// Runs one command of a session; its failure is reported and becomes its status.
int RunSessionCommand(const CliOptions& options, const std::string& line,
                      const CommandRunner& run) {
    try {
        std::vector<std::string> words = options.optionWords;
        for (std::string& word : SplitCommandWords(line)) {
            words.push_back(std::move(word));
        }
        CliOptions commandOptions = ParseCliArguments(words);
        if (commandOptions.help || commandOptions.version || IsSession(commandOptions)) {
            throw UsageError("a session runs commands, not --help, --version, -e or shell");
        }
        if (commandOptions.background) {
            throw UsageError("a session cannot go to the background; mount --background alone");
        }
        CheckCommandArguments(commandOptions);
        return run(commandOptions);
    } catch (const std::exception&) {
        return FailureStatus(std::current_exception(), false);
    }
}

// The next command of the session: the next -e, else the next line of standard input that
// is neither blank nor a # comment. False at the end, or at "exit" / "quit".
bool NextSessionCommand(const CliOptions& options, std::size_t& index, std::string& line) {
    if (!options.sessionCommands.empty()) {
        if (index >= options.sessionCommands.size()) {
            return false;
        }
        line = options.sessionCommands[index++];
        return true;
    }
    bool prompt = ::isatty(STDIN_FILENO) != 0;
    while (true) {
        if (prompt) {
            std::cerr << "vaddex> " << std::flush;
        }
        if (!std::getline(std::cin, line)) {
            if (prompt) {
                std::cerr << '\n';
            }
            return false;
        }
        std::size_t first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos || line[first] == '#') {
            continue;
        }
        std::string word = line.substr(first, line.find_last_not_of(" \t\r") + 1 - first);
        return word != "exit" && word != "quit";
    }
}

int RunSession(const CliOptions& options, const CommandRunner& run) {
    int firstFailure = CliCommands::kSuccess;
    std::size_t index = 0;
    std::string line;
    while (gEndSignal.load() == 0 && NextSessionCommand(options, index, line)) {
        int status = RunSessionCommand(options, line, run);
        if (status != CliCommands::kSuccess) {
            firstFailure = firstFailure == CliCommands::kSuccess ? status : firstFailure;
            if (options.stopOnError) {
                break;
            }
        }
    }
    return firstFailure;
}

int RunCliCommand(const std::vector<std::string>& arguments, StandardOutput& output) {
    CliOptions options;
    try {
        options = ParseCliArguments(arguments);
        if (options.help || options.version || options.command == "usb-rule") {
            if (options.help) {
                std::cout << HelpText();
            } else if (options.version) {
                std::cout << VersionNotice(kProgram, VADDEX_VERSION);
            } else {
                std::cout << UsbRuleText(options.arguments[0]);
            }
            output.Check();
            return CliCommands::kSuccess;
        }
        if (!IsSession(options)) {
            CheckCommandArguments(options);
        }
        if (options.background) {
            if (std::optional<int> status = BackgroundStart::Fork()) {
                return *status;
            }
        }
        return RunCommand(options, frontend::ReadStoredSettings(), output);
    } catch (const std::exception&) {
        return FailureStatus(std::current_exception(), true);
    }
}

}  // namespace

int RunCli(const std::vector<std::string>& arguments) {
    StandardOutput output;
    int status = RunCliCommand(arguments, output);
    // Some file systems report a lost write only when the file is closed.
    if (std::string reason = output.Close(); !reason.empty() && status == CliCommands::kSuccess) {
        PrintError("standard output: " + reason);
        status = CliCommands::kFailed;
    }
    if (int signal = gEndSignal.load(); signal != 0) {
        PrintError("ended by signal " + std::to_string(signal));
        return kSignalStatusBase + signal;
    }
    return status;
}

}  // namespace vaddex::cli
