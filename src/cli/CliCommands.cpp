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
#include "objects/TextFileForm.h"
#include "objects/TextTranslation.h"
#include "session/StackLines.h"
#include "util/AppPaths.h"
#include "util/Errors.h"
#include "util/FileIo.h"
#include "util/ReplacingWriter.h"

namespace vaddex::cli {
namespace {

// "get NAME -": the object goes to standard output.
constexpr const char* kStandardOutput = "-";

// The stack picture's lines; a deeper stack gets a note of the levels left out.
constexpr std::size_t kStackLinesShown = 7;

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

// What a calculator that cannot parse a command line says.
constexpr const char* kSyntaxErrorText = "Invalid Syntax";

int SpeedOf(const std::string& text) {
    int speed = 0;
    std::from_chars(text.data(), text.data() + text.size(), speed);
    return speed;
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
        commands_.Session().ChangeDir(options_.directory);
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
    for (const auto& item : directory.Children) {
        if (item->Name == name) {
            return item.get();
        }
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
    TXModemServer& session = commands_.Session();
    const CalculatorState& state = session.State();
    CalculatorInfo info{session.PortName,      SpeedOf(session.GetSpeed()),
                        session.VersionText,   state.series,
                        state.modelName,       state.romVersion,
                        state.calculatorFlags, session.FreeMemory()};
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
    int cancels = ui_.CancelsTaken();
    if (!commands_.GetItemTo(item, path)) {
        // The transfer's own message has been printed; say what came of the command, and do
        // not call a failure the user's cancel.
        throw CommandFailed(ui_.CancelsTaken() != cancels ? "Canceled by user."
                                                          : item.Name + ": not copied");
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
    std::size_t declined = ui_.NotReplaced().size();
    std::size_t sent = 0;
    std::vector<std::pair<std::string, std::string>> delivered;  // path, calculator name
    bool anyDeclined = false;
    ui_.SetTransferLabel(SessionCommands::ItemNameForFile(paths.front()));
    bool all = commands_.PutFiles(paths, [&](const std::string& sentPath) {
        std::string name = SessionCommands::ItemNameForFile(sentPath);
        const std::string& path = shownPaths[sent];
        if (ui_.NotReplaced().size() > declined) {
            declined = ui_.NotReplaced().size();
            ui_.Notice(name + ": not replaced");
            anyDeclined = true;
        } else {
            delivered.emplace_back(path, name);
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
        commands_.Session().Purge(target.name, target.directory);
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
    commands_.Session().RequireSafeName(name, true);  // before the question, not after it
    if (!commands_.Session().CheckName(name)) {
        ui_.Notice(name + ": not made (its improper name was declined)");
        return kFailed;
    }
    commands_.Session().MakeDir(name);
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
    if (!commands_.RenameItem(from, newName, directory)) {
        ui_.Notice(from + ": not renamed");
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
    std::string error = RunCheckedLine(TextToCalc(Utf8ToCalc(text), false));
    if (!error.empty()) {
        throw CommandFailed("the calculator: " + error);
    }
    return kSuccess;
}

// The line runs inside IFERR; its error message, or "" for none, is stored where the line
// ends and read back. A line the calculator cannot parse never runs, so the marker stored
// beforehand stays. The results of a successful line stay on the stack as they would.
std::string CliCommands::RunCheckedLine(const std::string& line) {
    TXModemServer& session = commands_.Session();
    session.Execute("\"" + std::string(kSyntaxErrorText) + "\" '$$$t' STO", false, true);
    session.Execute("'$$$t' PURGE IFERR " + line + " THEN ERRM ELSE \"\" END '$$$t' STO", false,
                    true);
    if (!session.GetVariable("$$$t", "", 0, 0)) {
        throw CommandFailed("the calculator's answer to the line could not be read");
    }
    std::string error = StringObjectText(session.Data);
    session.Purge("$$$t", false);
    return error;
}

int CliCommands::Stack() {
    Connect();
    std::vector<std::string> lines = commands_.ReadStack();
    std::size_t hidden = 0;
    if (lines.size() >= kStackLinesShown && (options_.all || !options_.json)) {
        std::size_t depth = StackDepth();
        hidden = depth > lines.size() ? depth - lines.size() : 0;
        if (options_.all && hidden > 0) {
            lines = WholeStack(depth);
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

std::vector<std::string> CliCommands::WholeStack(std::size_t depth) {
    TXModemServer& session = commands_.Session();
    std::vector<std::string> lines;
    // The picture is read a few levels at a time: the calculator lists every level, deepest
    // first, and keeps the part asked for.
    for (std::size_t first = 1; first <= depth; first += kStackLinesShown) {
        std::size_t last = std::min(depth, first + kStackLinesShown - 1);
        session.Execute("DEPTH DUPN DEPTH 2. / \x8DLIST " + std::to_string(first) + ". " +
                            std::to_string(last) + ". SUB 1. \xAB IF DUP TYPE 2. == THEN \"" +
                            kStackStringMarker + "\" SWAP + END \x8DSTR \xBB DOSUBS '$$$t' STO",
                        false, true);
        if (!session.GetVariable("$$$t", "", 0, 0)) {
            throw CommandFailed("the calculator's stack could not be read");
        }
        std::vector<std::string> part = StackLinesFromList(session.Data);
        session.Purge("$$$t", false);
        for (std::size_t i = 0; i < part.size(); ++i) {
            std::size_t colon = part[i].find(':');
            lines.push_back(std::to_string(depth - (first - 1 + i)) +
                            part[i].substr(colon == std::string::npos ? 0 : colon));
        }
    }
    return lines;
}

std::size_t CliCommands::StackDepth() {
    TXModemServer& session = commands_.Session();
    session.Execute("DEPTH \x8DSTR '$$$t' STO", false, true);
    if (!session.GetVariable("$$$t", "", 0, 0)) {
        throw CommandFailed("the calculator's stack depth could not be read");
    }
    std::string text = StringObjectText(session.Data);
    session.Purge("$$$t", false);
    std::size_t depth = 0;
    std::from_chars(text.data(), text.data() + text.size(), depth);
    return depth;
}

}  // namespace vaddex::cli
