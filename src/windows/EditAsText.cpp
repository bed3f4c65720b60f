#include "windows/EditAsText.h"

#include <sys/stat.h>

#include <QFile>

#include "session/ScopeExit.h"
#include "session/SessionCommands.h"
#include "util/FileIo.h"

namespace vaddex::gui {
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
                                    const ExternalEditor& editor) {
    UiBridge& ui = commands.Session().Ui();
    FileStamp before = StampOf(file);
    ui.SetBusy(true);
    ScopeExit notBusy([&] { ui.SetBusy(false); });
    if (!before.exists || !editor.RunAndWait(QFile::decodeName(QByteArray::fromStdString(file)))) {
        std::string command = editor.commandLine.toLocal8Bit().toStdString();
        ui.ShowMessage("Edit Error", "Cannot start the editor (" + command +
                                         ")\r\n\r\nor the file, " + file + "\r\n\r\nis missing.");
        DeleteFileIfExists(file);
        return Outcome::EditorNotStarted;
    }
    ScopeExit removeFile([&] { DeleteFileIfExists(file); });
    FileStamp after = StampOf(file);
    if (!after.exists || after == before) {
        return Outcome::Unchanged;
    }
    commands.ChangeToCurrentDir();
    bool replaceAll = true;  // the user asked for this very variable to change
    if (!commands.PutDroppedFile(file, replaceAll, 1)) {
        ui.ShowMessage("Write Error", "Cannot write changes to the calculator.");
        return Outcome::NotWritten;
    }
    return Outcome::Written;
}

}  // namespace vaddex::gui
