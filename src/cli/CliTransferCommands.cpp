// The commands that copy variables between PC files and the calculator.

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <memory>

#include "cli/CliCommands.h"
#include "cli/CliErrors.h"
#include "cli/OutcomeLine.h"
#include "util/AppPaths.h"
#include "util/FileIo.h"

namespace vaddex::cli {
namespace {

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
        std::string kept = SessionCommands::StripObjectExtension(file);
        std::string extension = kept.size() < file.size() ? file.substr(kept.size()) : "";
        copy_ = folder_.Path() + SessionCommands::FileNameForItem(name) + extension;
        std::error_code error;
        std::filesystem::copy_file(path, copy_, std::filesystem::copy_options::overwrite_existing,
                                   error);
        if (error) {
            // A sentence, not the library's "filesystem error: cannot copy file".
            throw CommandFailed(name + ": not sent: " +
                                (error == std::errc::filename_too_long
                                     ? "the name is too long for a PC file"
                                     : path + ": " + error.message()));
        }
    }
    RenamedCopy(const RenamedCopy&) = delete;
    RenamedCopy& operator=(const RenamedCopy&) = delete;
    const std::string& Path() const { return copy_; }

private:
    ScratchFolder folder_;
    std::string copy_;
};

}  // namespace

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
    // The transfer's own message has been printed; say what came of the command.
    RequireDone(commands_.GetItemTo(*item, path));
    ui_.SetTransferLabel("");
    out_ << "Wrote " << path << " (" << FileSizeText(path) << ")\n";
    return kSuccess;
}

std::string CliCommands::FetchWhole(const TXPObject& item) {
    // Whole into memory first, so that a failed get writes nothing.
    std::string object;
    RequireDone(commands_.FetchItemData(item, object));
    return object;
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
    std::size_t ended = 0;
    ui_.SetTransferLabel(SessionCommands::ItemNameForFile(paths.front()));
    std::vector<PutResult> results = commands_.PutFiles(paths, [&](const PutResult&) {
        ++ended;
        ui_.SetTransferLabel(ended < paths.size() ? SessionCommands::ItemNameForFile(paths[ended])
                                                  : "");
    });
    ui_.SetTransferLabel("");
    connection_->changed = false;  // the batch read the listing again
    bool failed = false;
    std::string endedBy;  // why the batch stopped before its end
    for (std::size_t i = 0; i < results.size(); ++i) {
        const Outcome& outcome = results[i].outcome;
        if (outcome) {
            out_ << "Sent " << shownPaths[i] << " as " << results[i].name << "\n";
        } else if (outcome.IsDeclined()) {
            ui_.Notice(outcome.message);
            failed = true;
        } else if (i + 1 == results.size()) {
            endedBy = shownPaths[i] + ": not sent: " + OutcomeLine(outcome);
        } else {
            ui_.Notice(shownPaths[i] + ": not sent: " + OutcomeLine(outcome));
            failed = true;
        }
    }
    if (!endedBy.empty()) {
        throw CommandFailed(endedBy);
    }
    return failed ? kFailed : kSuccess;
}

}  // namespace vaddex::cli
