// The commands that talk to the calculator's server about its directories and variables.

#include "cli/CliCommands.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <filesystem>
#include <memory>

#include "cli/CliApp.h"
#include "cli/CliCommandTable.h"
#include "cli/CliErrors.h"
#include "cli/CommandOutput.h"
#include "cli/ScreenFile.h"
#include "objects/TextTranslation.h"
#include "session/StackCommands.h"
#include "util/AppPaths.h"
#include "util/Errors.h"
#include "util/FileIo.h"
#include "util/ReplacingWriter.h"

namespace vaddex::cli {
namespace {

// "get NAME -": the object goes to standard output.
constexpr const char* kStandardOutput = "-";

// A list row with this icon is renamed as a directory too.
constexpr int kUnknownIconTypeCode = 0;

bool IsDirectoryPath(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsArchiveFile(const std::string& path) {
    std::string name = FileNameOf(path);
    std::size_t dot = name.rfind('.');
    std::string extension = dot == std::string::npos ? "" : name.substr(dot);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".zqbackup";
}

int SpeedOf(const std::string& text) {
    int speed = 0;
    std::from_chars(text.data(), text.data() + text.size(), speed);
    return speed;
}

// What came of an operation that was not done, as the command's failure says it.
std::string FailureText(const Outcome& outcome) {
    return outcome.IsCancelled() ? outcome.message + "." : outcome.message;
}

// A folder in the run's private temporary folder, removed with its content when it goes.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& name) : path_(TempFolder() + name + "/") {
        std::filesystem::create_directories(path_);
    }
    ~ScratchFolder() {
        std::error_code error;
        std::filesystem::remove_all(path_, error);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// A put file renamed for the calculator: a copy named so that the file's name gives the
// variable's, removed with the object.
class RenamedCopy {
public:
    RenamedCopy(const std::string& path, const std::string& name, int index)
        : folder_("put-" + std::to_string(index)) {
        std::string file = FileNameOf(path);
        std::string lower = file;
        std::transform(lower.begin(), lower.end(), lower.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        std::size_t dot = lower.rfind('.');
        std::string extension = dot == std::string::npos ? "" : file.substr(dot);
        bool dropped =
            dot != std::string::npos && (lower.substr(dot) == ".zq" || lower.substr(dot) == ".txt");
        copy_ =
            folder_.Path() + SessionCommands::FileNameForItem(name) + (dropped ? extension : "");
        std::filesystem::copy_file(path, copy_, std::filesystem::copy_options::overwrite_existing);
    }
    RenamedCopy(const RenamedCopy&) = delete;
    RenamedCopy& operator=(const RenamedCopy&) = delete;
    const std::string& Path() const { return copy_; }

private:
    ScratchFolder folder_;
    std::string copy_;
};

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
        if (IsArchiveFile(path)) {
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
        ConnectWithReason();
        connection_->open = true;
        connection_->changed = false;
        connection_->directory = commands_.CurrentPath;
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
    if (connection_->directory != options_.directory) {
        commands_.ChangeToCurrentDir();
        connection_->directory = options_.directory;
    }
}

void CliCommands::ConnectWithReason() {
    try {
        commands_.ConnectToCalculator();
    } catch (const std::exception& e) {
        // A device path that cannot be opened: the system's reason says why.
        const std::string& port = commands_.SelectedPort;
        if (port.find('/') == std::string::npos) {
            throw;
        }
        int fd = ::open(port.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0) {
            ::close(fd);
            throw;
        }
        throw CommandFailed(ErrorLine(e.what()) + ": " + std::strerror(errno) + ".");
    }
}

void CliCommands::Reread() {
    commands_.Reread();
    connection_->changed = false;
    connection_->directory = commands_.CurrentPath;
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

int CliCommands::Get() {
    Connect();
    const std::string& name = options_.arguments[0];
    const TXPObject* item = FindItem(name);
    if (item == nullptr) {
        throw CommandFailed(name + ": no such variable in " + commands_.CurrentPath);
    }
    ui_.SetTransferLabel(item->Name);
    if (options_.arguments.size() == 2 && options_.arguments[1] == kStandardOutput) {
        out_ << FetchWhole(*item) << std::flush;
        return kSuccess;
    }
    std::string path = options_.arguments.size() == 2 ? options_.arguments[1] : "";
    if (path.empty() || IsDirectoryPath(path)) {
        if (!path.empty() && path.back() != '/') {
            path += '/';
        }
        path += SessionCommands::FileNameForItem(item->Name) + commands_.ObjectExtension();
    }
    if (FileExists(path) && !IsRegularFile(path)) {
        // A device or FIFO (perhaps behind a link) keeps no size to read back afterwards.
        std::string object = FetchWhole(*item);
        WriteUserFile(path, object);
        ui_.SetTransferLabel("");
        out_ << "Wrote " << path << " (" << object.size() << " bytes)\n";
        return kSuccess;
    }
    FetchOrFail(*item, path);
    ui_.SetTransferLabel("");
    out_ << "Wrote " << path << " (" << FileSizeText(path) << ")\n";
    return kSuccess;
}

std::string CliCommands::FetchWhole(const TXPObject& item) {
    // Fetched whole into a private file first, so that a failed get writes nothing.
    ScratchFolder folder("get");
    std::string path = folder.Path() + "object";
    FetchOrFail(item, path);
    std::string object;
    if (!ReadWholeFile(path, object)) {
        throw CommandFailed(item.Name + ": nothing was received");
    }
    return object;
}

void CliCommands::FetchOrFail(const TXPObject& item, const std::string& path) {
    // The transfer's own message has been printed; say what came of the command.
    if (Outcome got = commands_.GetItemTo(item, path); !got) {
        throw CommandFailed(FailureText(got));
    }
}

int CliCommands::Put() {
    Connect();
    std::vector<std::string> paths;
    std::vector<std::string> shownPaths;  // as the user wrote them
    std::vector<std::unique_ptr<RenamedCopy>> copies;
    for (const std::string& argument : options_.arguments) {
        auto [path, name] = SplitPutArgument(argument);
        shownPaths.push_back(path);
        if (name.empty()) {
            paths.push_back(path);
        } else {
            copies.push_back(
                std::make_unique<RenamedCopy>(path, name, static_cast<int>(copies.size())));
            paths.push_back(copies.back()->Path());
        }
    }
    std::size_t sent = 0;
    std::vector<std::pair<std::string, std::string>> delivered;  // path, calculator name
    bool anyDeclined = false;
    ui_.SetTransferLabel(SessionCommands::ItemNameForFile(paths.front()));
    bool all = commands_.PutFiles(paths, [&](const std::string& sentPath, const Outcome& put) {
        if (put.IsDeclined()) {
            ui_.Notice(put.message);
            anyDeclined = true;
        } else {
            delivered.emplace_back(shownPaths[sent], SessionCommands::ItemNameForFile(sentPath));
        }
        ++sent;
        ui_.SetTransferLabel(sent < paths.size() ? SessionCommands::ItemNameForFile(paths[sent])
                                                 : "");
    });
    ui_.SetTransferLabel("");
    if (sent > 0) {
        MarkChanged();
    }
    // A text the calculator could not read as one object leaves pieces on its stack and no
    // variable: only the directory tells whether the file arrived.
    Reread();
    bool missing = false;
    for (const auto& [path, name] : delivered) {
        if (FindItem(name) == nullptr) {
            ui_.Notice(path + ": not sent: the calculator made no variable " + name +
                       " of it (not one object)");
            missing = true;
        } else {
            out_ << "Sent " << path << " as " << name << "\n";
        }
    }
    if (!all) {
        throw CommandFailed(shownPaths[sent] + ": not sent");
    }
    return missing || anyDeclined ? kFailed : kSuccess;
}

int CliCommands::Remove() {
    Connect();
    struct Target {
        std::string name;
        bool directory;
    };
    std::vector<Target> targets;
    for (const std::string& name : options_.arguments) {
        const TXPObject* item = FindItem(name);
        if (item == nullptr) {
            throw CommandFailed(name + ": no such variable in " + commands_.CurrentPath);
        }
        bool listed = std::any_of(targets.begin(), targets.end(),
                                  [&](const Target& t) { return t.name == item->Name; });
        if (!listed) {
            targets.push_back({item->Name, item->IsDirectory()});
        }
    }
    for (const Target& target : targets) {
        commands_.DeleteItem(target.name, target.directory);
    }
    MarkChanged();
    Reread();
    for (const Target& target : targets) {
        if (FindItem(target.name) != nullptr) {
            throw CommandFailed(target.name + ": not removed");
        }
    }
    return kSuccess;
}

int CliCommands::MakeDirectory() {
    Connect();
    const std::string& name = options_.arguments[0];
    if (FindItem(name) != nullptr) {
        throw CommandFailed(name + ": already exists in " + commands_.CurrentPath);
    }
    if (Outcome made = commands_.MakeDirectory(name); !made) {
        ui_.Notice(made.message);
        return kFailed;
    }
    MarkChanged();
    Reread();
    const TXPObject* made = FindItem(name);
    if (made == nullptr || !made->IsDirectory()) {
        throw CommandFailed(name + ": the directory was not made");
    }
    return kSuccess;
}

int CliCommands::Move() {
    Connect();
    const std::string& oldName = options_.arguments[0];
    const std::string& newName = options_.arguments[1];
    const TXPObject* item = FindItem(oldName);
    if (item == nullptr) {
        throw CommandFailed(oldName + ": no such variable in " + commands_.CurrentPath);
    }
    if (FindItem(newName) != nullptr) {
        throw CommandFailed(newName + ": already exists in " + commands_.CurrentPath);
    }
    std::string from = item->Name;
    bool directory = item->IsDirectory() || item->TypeCode == kUnknownIconTypeCode;
    if (Outcome renamed = commands_.RenameItem(from, newName, directory); !renamed) {
        ui_.Notice(renamed.message);
        return kFailed;
    }
    MarkChanged();
    Reread();
    if (FindItem(newName) == nullptr || FindItem(from) != nullptr) {
        throw CommandFailed(from + ": not renamed");
    }
    return kSuccess;
}

int CliCommands::Eval() {
    Connect();
    std::string text;
    for (const std::string& word : options_.arguments) {
        text += (text.empty() ? "" : " ") + word;
    }
    MarkChanged();
    connection_->directory.clear();  // the line may have changed it
    // The calculator's symbols may be typed as themselves or as the stack shows them (\->).
    std::string error;
    if (Outcome ran = commands_.Stack().RunCheckedLine(TextToCalc(Utf8ToCalc(text), false), error);
        !ran) {
        throw CommandFailed(ran.message);
    }
    if (!error.empty()) {
        throw CommandFailed("the calculator: " + error);
    }
    return kSuccess;
}

int CliCommands::Stack() {
    Connect();
    std::vector<std::string> lines = commands_.ReadStack();
    std::size_t hidden = 0;
    if (lines.size() >= kStackPictureLevels && (options_.all || !options_.json)) {
        StackCommands& stack = commands_.Stack();
        std::size_t depth = 0;
        if (Outcome read = stack.ReadDepth(depth); !read) {
            throw CommandFailed(read.message);
        }
        hidden = depth > lines.size() ? depth - lines.size() : 0;
        if (options_.all && hidden > 0) {
            if (Outcome read = stack.ReadWholeStack(depth, lines); !read) {
                throw CommandFailed(read.message);
            }
            hidden = 0;
        }
    }
    if (hidden > 0) {
        out_ << "(" << hidden << (hidden == 1 ? " more level" : " more levels")
             << " not shown; stack --all shows them)\n";
    }
    out_ << (options_.json ? StackJson(lines) : StackText(lines));
    return kSuccess;
}

}  // namespace vaddex::cli
