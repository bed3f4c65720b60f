#include "session/SessionCommands.h"

#include <cctype>
#include <charconv>
#include <cstring>
#include <ctime>

#include "link/PortNames.h"
#include "objects/CalcNames.h"
#include "objects/ObjectSize.h"
#include "session/ArchiveCheck.h"
#include "session/DroppedFileCheck.h"
#include "session/PromptTexts.h"
#include "session/SessionPaths.h"
#include "util/Errors.h"
#include "util/FileIo.h"
#include "util/ScopeExit.h"
#include "util/Trace.h"

namespace vaddex {
namespace {

constexpr const char* kCanceledByUserText = "Canceled by user";
constexpr const char* kArchiveExtension = ".zqbackup";
constexpr const char* kCaptureAgainCaption = "Do Another Capture?";
constexpr const char* kNotReplacedCaption = "File Not Replaced";
constexpr int kSlowCaptureSpeed = 9600;
constexpr int kFastCaptureSpeed = 115200;
// Speeds up to this one are switched to the slow capture speed, faster ones to the fast one.
constexpr int kSlowCaptureLimit = 15601;

std::string Lower(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

// The extension of a file name, from its last "." on; empty when there is none.
std::string ExtensionOf(const std::string& fileName) {
    std::size_t dot = fileName.rfind('.');
    return dot == std::string::npos ? std::string() : fileName.substr(dot);
}

bool IsArchivePath(const std::string& path) {
    return Lower(ExtensionOf(FileNameOf(path))) == kArchiveExtension;
}

int SpeedNumber(const std::string& text) {
    int speed = 0;
    std::from_chars(text.data(), text.data() + text.size(), speed);
    return speed;
}

}  // namespace

SessionCommands::SessionCommands(TXModemServer& session, TXPObject& root)
    : session_(session), root_(root) {}

void SessionCommands::RequestRefresh() {
    if (OnRefreshRequested) {
        OnRefreshRequested();
    }
}

void SessionCommands::ChangeToCurrentDir() {
    session_.ChangeDir(CurrentPath);
}

bool SessionCommands::RenameItem(const std::string& oldName, const std::string& newName,
                                 bool isDirectory) {
    session_.RequireSafeName(oldName, false);  // before the questions, not after them
    session_.RequireSafeName(newName, true);
    if (!session_.CheckName(oldName) || !session_.CheckName(newName)) {
        return false;
    }
    ChangeToCurrentDir();
    session_.MoveVar(oldName, newName, isDirectory);
    return true;
}

// --- connecting and rereading -------------------------------------------------------------

void SessionCommands::ConnectToCalculator(const std::function<void()>& showTree) {
    UiBridge& ui = Ui();
    ui.SetBusy(true);
    ScopeExit notBusy([&] { ui.SetBusy(false); });
    root_.ClearChildren();
    ui.SetConnected(true);
    try {
        session_.Connect(SelectedPort);
    } catch (...) {
        ui.SetConnected(session_.IsConnected());
        throw;
    }
    ui.SetConnected(session_.IsConnected());
    if (session_.IsConnected()) {
        Reread(showTree);
    }
}

void SessionCommands::Reread(const std::function<void()>& showTree) {
    UiBridge& ui = Ui();
    if (!ui.Connected()) {
        ui.SetBusy(false);
        return;
    }
    ui.SetBusy(true);
    ScopeExit notBusy([&] { ui.SetBusy(false); });
    session_.ReadDirectoryTree(root_);
    CurrentPath = FindDirectory(CurrentPath).GetPath();
    if (showTree) {
        showTree();
    } else {
        ChangeToCurrentDir();
    }
    memoryStatus_ = session_.VersionText + "  Free Mem: " + session_.FreeMemory();
}

TXPObject& SessionCommands::FindDirectory(const std::string& path) {
    const std::string kHomePrefix = "HOME ";
    std::size_t position =
        path.compare(0, kHomePrefix.size(), kHomePrefix) == 0 ? kHomePrefix.size() : 0;
    TXPObject* directory = &root_;
    while (position < path.size()) {
        std::size_t blank = path.find(' ', position);
        std::size_t end = blank == std::string::npos ? path.size() : blank;
        std::string name = path.substr(position, end - position);
        TXPObject* found = nullptr;
        for (const auto& child : directory->Children) {
            if (child->IsDirectory() && child->Name == name) {
                found = child.get();
                break;
            }
        }
        if (found == nullptr) {
            break;
        }
        directory = found;
        position = end + 1;
    }
    return *directory;
}

// --- names ------------------------------------------------------------------------------

std::string SessionCommands::ObjectExtension() const {
    if (session_.State().textMode) {
        return ".txt";
    }
    return AddExtension ? ".zq" : "";
}

std::string SessionCommands::FileNameForItem(const std::string& itemName) {
    return CalcNameToPc(PcNameToCalc(itemName, false), true);
}

std::string SessionCommands::ItemNameForFile(const std::string& path) {
    std::string name = FileNameOf(path);
    std::string extension = Lower(ExtensionOf(name));
    if (extension == ".zq" || extension == ".txt" || extension == kArchiveExtension) {
        name.resize(name.size() - extension.size());
    }
    return CalcNameToPc(PcNameToCalc(name, true), false);
}

std::string SessionCommands::DefaultArchiveName(const std::string& series,
                                                std::chrono::year_month_day date) {
    static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    unsigned month = static_cast<unsigned>(date.month());
    std::string monthName = month >= 1 && month <= 12 ? kMonths[month - 1] : "";
    return series + "_" + std::to_string(static_cast<unsigned>(date.day())) + "-" + monthName +
           "-" + std::to_string(static_cast<int>(date.year())) + kArchiveExtension;
}

std::string SessionCommands::DefaultArchiveName() const {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::chrono::year_month_day today{std::chrono::year(local.tm_year + 1900),
                                      std::chrono::month(static_cast<unsigned>(local.tm_mon + 1)),
                                      std::chrono::day(static_cast<unsigned>(local.tm_mday))};
    return DefaultArchiveName(session_.State().series, today);
}

// --- copying between PC and calculator ----------------------------------------------------

std::string SessionCommands::FetchItem(const TXPObject& item, const std::string& folder) {
    std::string path = folder + FileNameForItem(item.Name) + ObjectExtension();
    FetchItemTo(item, path);
    return path;
}

void SessionCommands::FetchItemTo(const TXPObject& item, const std::string& path) {
    if (!GetItemTo(item, path)) {
        throw LinkError(kCanceledByUserText);
    }
}

bool SessionCommands::GetItemTo(const TXPObject& item, const std::string& path) {
    RequireWritable(path);
    return WritingUserFile(path, [&] {
        return session_.GetToFile(FileNameForItem(item.Name), path, item.GetSize(), item.TypeCode);
    });
}

bool SessionCommands::WritingUserFile(const std::string& path, const std::function<bool()>& write) {
    bool existed = IsRegularFile(path);
    bool ok = false;
    {
        ScopeExit notReplaced([&] {
            if (!ok && existed) {
                try {
                    Ui().ShowMessage(kNotReplacedCaption,
                                     path + "\r\n" + "was not replaced and is as it was.");
                } catch (const std::exception& e) {
                    Trace(std::string("Not-replaced message failed: ") + e.what());
                }
            }
        });
        ok = write();
    }
    return ok;
}

std::vector<std::string> SessionCommands::CopyItems(const std::vector<const TXPObject*>& items,
                                                    const std::string& folder) {
    UiBridge& ui = Ui();
    ui.SetBusy(true);
    ScopeExit notBusy([&] { ui.SetBusy(false); });
    ChangeToCurrentDir();
    std::vector<std::string> paths;
    for (const TXPObject* item : items) {
        paths.push_back(FetchItem(*item, folder));
    }
    return paths;
}

bool SessionCommands::PutDroppedFile(const std::string& path, bool& replaceAll, int fileCount) {
    // Nothing of a file that is not a readable object file of a possible size is sent; like a
    // refused file type, it ends the batch.
    if (std::string why = WhyNotSendable(path); !why.empty()) {
        Ui().ShowMessage("Cannot Send File", path + "\r\n\r\n" + why);
        return false;
    }
    std::string name = ItemNameForFile(path);
    if (!IsArchivePath(path)) {
        bool exists = false;
        for (const auto& child : FindDirectory(CurrentPath).Children) {
            exists = exists || child->Name == name;
        }
        return session_.PutFile(name, path, "", exists, replaceAll, fileCount);
    }
    if (ConfirmRestore(path)) {
        RestoreFromFile(path);
    }
    return false;  // nothing after an archive is sent
}

bool SessionCommands::ConfirmRestore(const std::string& path) {
    RequireArchiveFile(path, session_.State().series);
    UiBridge& ui = Ui();
    ui.Beep();
    std::string question = FileNameOf(path) + "\r\n\r\n" + "Is a Calculator Backup file.\r\n" +
                           "Continuing will erase the calculator's current contents.\r\n\r\n" +
                           "Continue the Restore operation?";
    return ui.ShowTextPrompt(question, "Erase Calculator?");
}

bool SessionCommands::PutFiles(const std::vector<std::string>& paths,
                               const std::function<void(const std::string& path)>& done) {
    UiBridge& ui = Ui();
    ui.SetBusy(true);
    bool all = true;
    {
        ScopeExit notBusy([&] { ui.SetBusy(false); });
        ChangeToCurrentDir();
        bool replaceAll = false;
        for (const std::string& path : paths) {
            if (!PutDroppedFile(path, replaceAll, static_cast<int>(paths.size()))) {
                all = false;
                break;
            }
            if (done) {
                done(path);
            }
        }
    }
    RequestRefresh();
    return all;
}

// --- whole calculator ---------------------------------------------------------------------

bool SessionCommands::WriteReceivedObject(const std::string& path) {
    if (session_.Data.empty()) {
        return false;
    }
    std::string object = session_.Data;
    bool measured = ObjectSize(object).success;
    const std::string& bytes = measured ? object : session_.Data;
    WriteUserFile(path, bytes);
    if (!measured) {
        Ui().ShowMessage("Decompile Error", path + "\r\n" + "Cannot decompile this file.\r\n" +
                                                "Length has been left with padding.\r\n" +
                                                "File may still be ok.");
    }
    return true;
}

bool SessionCommands::BackupToFile(const std::string& path) {
    UiBridge& ui = Ui();
    ScopeExit cleanUp([&] {
        session_.Data.clear();
        ui.SetBusy(false);
    });
    // Only what this backup receives may become the archive: bytes of an earlier get would
    // otherwise be written when the backup ends before its transfer.
    session_.Data.clear();
    RequireWritable(path);  // before the calculator sends a byte: nothing long is lost at its end
    return WritingUserFile(path, [&] {
        bool ok = session_.Backup(path, root_.GetSize());
        ui.SetBusy(false);
        return WriteReceivedObject(path) && ok;
    });
}

bool SessionCommands::RestoreFromFile(const std::string& path) {
    RequireArchiveFile(path, session_.State().series);
    UiBridge& ui = Ui();
    ui.ProcessEvents();
    ui.SetBusy(false);
    bool ok = session_.Restore(path);
    if (ok) {
        ui.SetConnected(false);
        if (ui.ShowPrompt(kPromptRestored, "")) {
            OnReconnectRequested ? OnReconnectRequested() : ConnectToCalculator();
        }
    } else if (ui.Connected()) {
        RequestRefresh();
    }
    return ok;
}

// --- manual transfers ---------------------------------------------------------------------

bool SessionCommands::ManualSend(const std::string& path, int promptBefore, int promptAfter) {
    UiBridge& ui = Ui();
    if (ui.Connected()) {
        session_.Disconnect();
    }
    if (!session_.OpenForManual(SelectedPort)) {
        return false;
    }
    bool ok = false;
    {
        ScopeExit disconnected([&] {
            ui.HidePrompt();
            ui.SetConnected(false);
        });
        ui.ShowPrompt(promptBefore, "");
        ui.ProcessEvents();
        ok = session_.SendToXRecv(path);
    }
    if (ok) {
        ui.ShowPrompt(promptAfter, "");
    }
    return ok;
}

bool SessionCommands::DownloadServer() {
    return ManualSend(ServerProgramPath(), kPromptServerBefore, kPromptServerAfter);
}

bool SessionCommands::UploadFile(const std::string& path) {
    RequireWritable(path);
    UiBridge& ui = Ui();
    ScopeExit cleanUp([&] { session_.Data.clear(); });
    if (!ui.ShowPrompt(kPromptXSend, "") || !session_.OpenForManual(SelectedPort)) {
        return false;
    }
    ScopeExit disconnected([&] {
        ui.SetConnected(false);
        ui.SetBusy(false);
    });
    ui.SetConnected(session_.IsConnected());
    ui.SetBusy(true);
    ui.ProcessEvents();
    session_.Data.clear();
    return WritingUserFile(path, [&] {
        bool ok = session_.ReceiveObject(path, 0);
        return WriteReceivedObject(path) && ok;
    });
}

int SessionCommands::CaptureSpeedFor(const std::string& port, int speed) {
    bool serial = !port.empty() && Lower(port) != "auto" && !IsUsbPortName(port);
    if (!serial || speed == kSlowCaptureSpeed || speed == kFastCaptureSpeed) {
        return 0;
    }
    return speed < kSlowCaptureLimit ? kSlowCaptureSpeed : kFastCaptureSpeed;
}

bool SessionCommands::PrepareCapture() {
    UiBridge& ui = Ui();
    if (ui.Connected()) {
        session_.Disconnect();
    }
    int captureSpeed = CaptureSpeedFor(SelectedPort, SpeedNumber(session_.Speed));
    session_.State().captureSpeed = captureSpeed;
    if (captureSpeed == 0) {
        return true;
    }
    ui.Beep();
    std::string question = "Screen Capture requires that the calculator operate at \r\n" +
                           std::to_string(captureSpeed) + " baud  (see IOPAR in VAR).\r\n\r\n" +
                           "May I change the speed temporarily for the Screen Capture?";
    return ui.ShowTextPrompt(question, "Set the Calculator");
}

std::string SessionCommands::CaptureOnce(bool firstRound) {
    UiBridge& ui = Ui();
    if (!session_.OpenForManual(SelectedPort)) {
        return {};
    }
    ScopeExit disconnected([&] {
        ui.HidePrompt();
        ui.SetConnected(false);
    });
    if (firstRound) {
        ui.ShowPrompt(kPromptCaptureFirst, "");
    } else {
        ui.ShowPrompt(kPromptCaptureAgain, kCaptureAgainCaption);
    }
    return session_.CaptureScreen();
}

bool SessionCommands::DownloadRom(const std::string& path) {
    UiBridge& ui = Ui();
    ScopeExit disconnected([&] {
        ui.SetConnected(false);
        ui.SetBusy(false);
    });
    if (ui.Connected()) {
        session_.Disconnect();
    }
    if (!ui.ShowPrompt(kPromptRom, "") || !session_.OpenForManual(SelectedPort)) {
        return false;
    }
    bool ok = session_.SendRom(path);
    if (!ok) {
        ui.ShowMessage("Download Error", "Download of ROM file \r\n" + path + "\r\n" + "failed.");
    }
    return ok;
}

// --- the command window -------------------------------------------------------------------

void SessionCommands::RunCalculatorCommand(const std::string& text) {
    session_.Execute(text, false, true);
}

std::vector<std::string> SessionCommands::ReadStack() {
    return session_.ReadStackLines();
}

}  // namespace vaddex
