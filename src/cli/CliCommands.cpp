// The commands that talk to the calculator's server about its directories and variables.

#include "cli/CliCommands.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <charconv>

#include "cli/CliErrors.h"
#include "cli/CommandOutput.h"
#include "cli/ScreenFile.h"
#include "util/Errors.h"
#include "util/FileIo.h"

namespace vaddex::cli {
namespace {

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

}  // namespace

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

void RequireFolderFor(const std::string& path) {
    std::string folder = FolderOf(path);
    if (!folder.empty() && !IsDirectoryPath(folder)) {
        throw CommandFailed(folder + ": no such folder");
    }
    if (IsDirectoryPath(path)) {
        throw CommandFailed(path + ": is a folder");
    }
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

void CheckCommandArguments(const CliOptions& options) {
    const std::string& command = options.command;
    const std::vector<std::string>& arguments = options.arguments;
    if (command == "get" && arguments.size() == 2 && !IsDirectoryPath(arguments[1])) {
        RequireFolderFor(arguments[1]);
    } else if (command == "put") {
        for (const std::string& path : arguments) {
            RequireFile(path);
            if (IsArchiveFile(path)) {
                throw CommandFailed(path +
                                    ": a calculator backup is not sent by put (use restore)");
            }
        }
    } else if (command == "screen") {
        if (!IsScreenFileName(arguments[0])) {
            throw UsageError("screen saves .png, .bmp or .jpg files, not " +
                             FileNameOf(arguments[0]));
        }
        RequireFolderFor(arguments[0]);
    } else if (command == "backup" || command == "xsend") {
        RequireFolderFor(arguments[0]);
    } else if (command == "restore" || command == "xrecv" || command == "rom") {
        RequireFile(arguments[0]);
    }
}

int CliCommands::Run() {
    const std::string& command = options_.command;
    using Handler = int (CliCommands::*)();
    static const std::pair<const char*, Handler> kHandlers[] = {
        {"ports", &CliCommands::Ports},
        {"info", &CliCommands::Info},
        {"ls", &CliCommands::List},
        {"get", &CliCommands::Get},
        {"put", &CliCommands::Put},
        {"rm", &CliCommands::Remove},
        {"mkdir", &CliCommands::MakeDirectory},
        {"mv", &CliCommands::Move},
        {"eval", &CliCommands::Eval},
        {"stack", &CliCommands::Stack},
        {"backup", &CliCommands::Backup},
        {"restore", &CliCommands::Restore},
        {"xrecv", &CliCommands::XRecv},
        {"xsend", &CliCommands::XSend},
        {"screen", &CliCommands::Screen},
        {"rom", &CliCommands::Rom},
    };
    for (const auto& [name, handler] : kHandlers) {
        if (command == name) {
            return (this->*handler)();
        }
    }
    throw UsageError("unknown command '" + command + "'");
}

// --- connecting -------------------------------------------------------------------------

void CliCommands::Connect() {
    commands_.CurrentPath = options_.directory;
    commands_.ConnectToCalculator();
    // The reread falls back to the deepest directory that exists; a command must not act
    // on another directory than the one asked for.
    if (commands_.CurrentPath != options_.directory) {
        throw CommandFailed("no directory " + options_.directory + " on the calculator");
    }
}

void CliCommands::Reread() {
    commands_.Reread();
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
    CommLink& link = commands_.Session().Link();
    link.SetPortListSeparator("\n");
    out_ << link.ListPorts();
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
    std::string path;
    if (options_.arguments.size() == 1 || IsDirectoryPath(options_.arguments[1])) {
        std::string folder = options_.arguments.size() == 1 ? "" : options_.arguments[1];
        if (!folder.empty() && folder.back() != '/') {
            folder += '/';
        }
        path = commands_.CopyItems({item}, folder).front();
    } else {
        path = options_.arguments[1];
        commands_.FetchItemTo(*item, path);
    }
    out_ << "Wrote " << path << " (" << FileSizeText(path) << ")\n";
    return kSuccess;
}

int CliCommands::Put() {
    Connect();
    const std::vector<std::string>& paths = options_.arguments;
    std::size_t declined = ui_.NotReplaced().size();
    std::size_t sent = 0;
    bool all = commands_.PutFiles(paths, [&](const std::string& path) {
        std::string name = SessionCommands::ItemNameForFile(path);
        if (ui_.NotReplaced().size() > declined) {
            declined = ui_.NotReplaced().size();
            ui_.Notice(name + ": not replaced");
        } else {
            out_ << "Sent " << path << " as " << name << "\n";
        }
        ++sent;
    });
    if (!all) {
        throw CommandFailed(paths[sent] + ": not sent");
    }
    return kSuccess;
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
        return kFailed;
    }
    commands_.Session().MakeDir(name);
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
        return kFailed;
    }
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
    commands_.RunCalculatorCommand(text);
    return kSuccess;
}

int CliCommands::Stack() {
    Connect();
    std::vector<std::string> lines = commands_.ReadStack();
    out_ << (options_.json ? StackJson(lines) : StackText(lines));
    return kSuccess;
}

}  // namespace vaddex::cli
