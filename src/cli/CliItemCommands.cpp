// The commands that change the calculator's directories and run its command lines.

#include <algorithm>

#include "cli/CliCommands.h"
#include "cli/CliErrors.h"
#include "cli/CommandOutput.h"
#include "cli/OutcomeLine.h"
#include "objects/TextTranslation.h"
#include "session/StackCommands.h"

namespace vaddex::cli {
namespace {

// A list row with this icon is renamed as a directory too.
constexpr int kUnknownIconTypeCode = 0;

}  // namespace

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
        Outcome removed = commands_.DeleteItem(target.name, target.directory);
        MarkChanged();
        RequireDone(removed);
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
    Outcome made = commands_.MakeDirectory(name);
    if (made.IsDeclined()) {
        ui_.Notice(made.message);
        return kFailed;
    }
    RequireDone(made);
    MarkChanged();
    Reread();
    const TXPObject* directory = FindItem(name);
    if (directory == nullptr || !directory->IsDirectory()) {
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
    std::string from = item->Name;
    bool directory = item->IsDirectory() || item->TypeCode == kUnknownIconTypeCode;
    // The command line never replaces: a taken name is refused, as mv -n would.
    Outcome renamed = commands_.RenameItem(from, newName, directory);
    if (renamed.IsDeclined()) {
        ui_.Notice(renamed.message);
        return kFailed;
    }
    RequireDone(renamed);
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
    // The calculator's symbols may be typed as themselves or as the stack shows them (\->).
    std::string error;
    RequireDone(commands_.Stack().RunCheckedLine(TextToCalc(Utf8ToCalc(text), false), error));
    if (!error.empty()) {
        throw CommandFailed("the calculator: " + error);
    }
    return kSuccess;
}

int CliCommands::Stack() {
    Connect();
    std::vector<std::string> lines;
    RequireDone(commands_.ReadStack(lines));
    std::size_t hidden = 0;
    if (lines.size() >= kStackPictureLevels && (options_.all || !options_.json)) {
        StackCommands& stack = commands_.Stack();
        std::size_t depth = 0;
        RequireDone(stack.ReadDepth(depth));
        hidden = depth > lines.size() ? depth - lines.size() : 0;
        if (options_.all && hidden > 0) {
            RequireDone(stack.ReadWholeStack(depth, lines));
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
