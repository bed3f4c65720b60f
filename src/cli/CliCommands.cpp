// The commands that talk to the calculator's server about its directories and variables.

#include "cli/CliCommands.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include <algorithm>
#include <cctype>
#include <charconv>

#include "cli/CliApp.h"
#include "cli/CliCommandTable.h"
#include "cli/CliErrors.h"
#include "cli/CommandOutput.h"
#include "cli/OutcomeLine.h"
#include "cli/ScreenFile.h"
#include "util/FileIo.h"
#include "util/ReplacingWriter.h"

namespace vaddex::cli {
namespace {

int SpeedOf(const std::string& text) {
    int speed = 0;
    std::from_chars(text.data(), text.data() + text.size(), speed);
    return speed;
}

}  // namespace

std::pair<std::string, std::string> SplitPutArgument(const std::string& argument) {
    std::size_t colon = argument.rfind(':');
    struct stat st {};
    if (colon == std::string::npos || colon == 0 || colon + 1 == argument.size() ||
        ::stat(argument.c_str(), &st) == 0) {
        return {argument, ""};
    }
    return {argument.substr(0, colon), argument.substr(colon + 1)};
}

std::string FileSizeText(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? std::to_string(st.st_size) + " bytes" : "?";
}

void RequireFile(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        throw CommandFailed(path + ": no such file");
    }
    if (!S_ISREG(st.st_mode)) {
        throw CommandFailed(path + ": not a file");
    }
}

// Checked before connecting, with the writer's own test, so a command that cannot keep what
// it receives does not wait for the calculator first.
void RequireWritableTarget(const std::string& path) {
    ReplacingWriter target(path);
    if (target.CanWrite()) {
        return;
    }
    if (target.ErrorCode() == ENOENT) {
        throw CommandFailed(FolderOf(path) + ": no such folder");
    }
    throw CommandFailed(
        path + ": " +
        (target.Refusal().empty() ? std::strerror(target.ErrorCode()) : target.Refusal()));
}

CliCommands::CliCommands(const CliOptions& options, const PictureBorder& border,
                         SessionCommands& commands, ConsoleUiBridge& ui,
                         BuiltInCalculator* calculator, std::ostream& out)
    : options_(options),
      border_(border),
      commands_(commands),
      ui_(ui),
      calculator_(calculator),
      out_(out) {}

bool IsDirectoryPath(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void CliCommands::CheckGetTarget(const CliOptions& options) {
    const std::vector<std::string>& arguments = options.arguments;
    if (arguments.size() == 2 && arguments[1] != kStandardOutput &&
        !IsDirectoryPath(arguments[1])) {
        RequireWritableTarget(arguments[1]);
    }
}

void CliCommands::CheckPutFiles(const CliOptions& options) {
    for (const std::string& argument : options.arguments) {
        std::string path = SplitPutArgument(argument).first;
        RequireFile(path);
        if (SessionCommands::IsArchiveFile(path)) {
            throw CommandFailed(path + ": a calculator backup is not sent by put (use restore)");
        }
    }
}

void CliCommands::CheckScreenFile(const CliOptions& options) {
    const std::string& path = options.arguments[0];
    if (!IsScreenFileName(path)) {
        throw UsageError("screen saves .png, .bmp or .jpg files, not " + FileNameOf(path));
    }
    RequireWritableTarget(path);
}

void CliCommands::CheckTargetFile(const CliOptions& options) {
    RequireWritableTarget(options.arguments[0]);
}

void CliCommands::CheckSourceFile(const CliOptions& options) {
    RequireFile(options.arguments[0]);
}

void CheckCommandArguments(const CliOptions& options) {
    const CliCommandRow* row = FindCliCommand(options.command);
    if (row != nullptr && row->checkBeforeConnecting != nullptr) {
        row->checkBeforeConnecting(options);
    }
}

int CliCommands::Run() {
    ui_.SetTransferLabel("");  // none left by an earlier command of the session that failed
    const CliCommandRow* row = FindCliCommand(options_.command);
    if (row != nullptr && row->run != nullptr) {
        return (this->*row->run)();
    }
    throw UsageError("unknown command '" + options_.command + "'");
}

// --- connecting -------------------------------------------------------------------------

void CliCommands::Connect() {
    commands_.CurrentPath = options_.directory;
    if (!connection_->open) {
        RequireDone(commands_.ConnectToCalculator());
        connection_->open = true;
        connection_->changed = false;
    } else if (connection_->changed) {
        Reread();
    }
    // The reread falls back to the deepest directory that exists; a command must not act
    // on another directory than the one asked for.
    if (commands_.CurrentPath != options_.directory ||
        Directory().GetPath() != options_.directory) {
        throw CommandFailed("no directory " + options_.directory + " on the calculator");
    }
    // The calculator stays where the previous command of a session left it.
    RequireDone(commands_.ChangeToCurrentDir());
}

void CliCommands::Reread() {
    RequireDone(commands_.Reread());
    connection_->changed = false;
}

TXPObject& CliCommands::Directory() {
    return commands_.FindDirectory(commands_.CurrentPath);
}

const TXPObject* CliCommands::FindItem(const std::string& name) {
    const TXPObject& directory = Directory();
    if (const TXPObject* item = directory.FindChild(name)) {
        return item;
    }
    for (const auto& item : directory.Children) {
        if (SessionCommands::FileNameForItem(item->Name) == name) {
            return item.get();
        }
    }
    return nullptr;
}

// --- the commands -----------------------------------------------------------------------

int CliCommands::Ports() {
    for (const std::string& port : listPorts_()) {
        out_ << port << '\n';
    }
    return kSuccess;
}

int CliCommands::Info() {
    Connect();
    const CalculatorState& state = commands_.State();
    CalculatorInfo info{commands_.PortName(),    SpeedOf(commands_.LinkSpeed()),
                        commands_.VersionText(), state.series,
                        state.modelName,         state.romVersion,
                        state.calculatorFlags,   commands_.FreeMemory()};
    out_ << (options_.json ? InfoJson(info) : InfoText(info));
    return kSuccess;
}

int CliCommands::List() {
    Connect();
    const TXPObject& directory = Directory();
    out_ << (options_.json ? ListingJson(directory, options_.recursive)
                           : ListingText(directory, options_.recursive));
    return kSuccess;
}

}  // namespace vaddex::cli
