#include "windows/EditAsText.h"

#include <sys/stat.h>

#include <QFile>
#include <chrono>

#include "session/SessionCommands.h"
#include "util/FileIo.h"
#include "util/ScopeExit.h"

namespace vaddex::gui {

namespace {

// A step that did not go on ends the operation with its reason.
void RaiseIfNotGoingOn(const vaddex::Outcome& outcome) {
    if (!outcome.GoesOn()) {
        throw vaddex::LinkError(outcome.message);
    }
}

}  // namespace
namespace {

struct FileStamp {
    bool exists = false;
    timespec modified{};
    std::string content;

    bool operator==(const FileStamp& other) const {
        return exists == other.exists && modified.tv_sec == other.modified.tv_sec &&
               modified.tv_nsec == other.modified.tv_nsec && content == other.content;
    }
};

// The time alone misses an edit saved within the file system's time resolution.
FileStamp StampOf(const std::string& path) {
    FileStamp stamp;
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && ReadWholeFile(path, stamp.content)) {
        stamp.exists = true;
        stamp.modified = info.st_mtim;
    }
    return stamp;
}

}  // namespace

EditAsText::Outcome EditAsText::Run(SessionCommands& commands, const std::string& file,
                                    const std::string& directory, const ExternalEditor& editor) {
    UiBridge& ui = commands.Ui();
    FileStamp before = StampOf(file);
    ui.SetBusy(true);
    ScopeExit notBusy([&] { ui.SetBusy(false); });
    auto started = std::chrono::steady_clock::now();
    if (!before.exists || !editor.RunAndWait(QFile::decodeName(QByteArray::fromStdString(file)))) {
        std::string command = editor.commandLine.toLocal8Bit().toStdString();
        ui.ShowMessage("Edit Error", "Cannot start the editor (" + command +
                                         ")\r\n\r\nor the file, " + file + "\r\n\r\nis missing.");
        DeleteFileIfExists(file);
        return Outcome::EditorNotStarted;
    }
    auto took = std::chrono::steady_clock::now() - started;
    FileStamp after = StampOf(file);
    if (after == before && took < std::chrono::milliseconds(kQuickReturnMs)) {
        return Outcome::ReturnedAtOnce;
    }
    ScopeExit removeFile([&] { DeleteFileIfExists(file); });
    if (!after.exists || after == before) {
        return Outcome::Unchanged;
    }
    return SendBack(commands, file, directory) ? Outcome::Written : Outcome::NotWritten;
}

bool EditAsText::SendBack(SessionCommands& commands, const std::string& file,
                          const std::string& directory) {
    UiBridge& ui = commands.Ui();
    ui.SetBusy(true);
    ScopeExit notBusy([&] { ui.SetBusy(false); });
    // A directory got from the tree belongs beside itself, not inside: the list's directory
    // is the directory itself then.
    std::string shown = commands.CurrentPath;
    ScopeExit restore([&] { commands.CurrentPath = shown; });
    commands.CurrentPath = directory;
    RaiseIfNotGoingOn(commands.ChangeToCurrentDir());
    bool replaceAll = true;  // the user asked for this very variable to change
    if (!commands.PutDroppedFile(file, replaceAll, 1)) {
        ui.ShowMessage("Write Error", "Cannot write changes to the calculator.");
        return false;
    }
    return true;
}

}  // namespace vaddex::gui
