#include "session/SessionCommands.h"

#include <cctype>
#include <cstring>
#include <ctime>

#include "link/PortNames.h"
#include "objects/CalcNames.h"
#include "objects/ObjectSize.h"
#include "session/ArchiveCheck.h"
#include "session/DroppedFileCheck.h"
#include "session/PromptTexts.h"
#include "session/SessionPaths.h"
#include "session/TXModemServer.h"
#include "util/Errors.h"
#include "util/FileIo.h"
#include "util/ScopeExit.h"
#include "util/Trace.h"

namespace vaddex {
namespace {

constexpr const char* kArchiveExtension = ".zqbackup";
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

}  // namespace

SessionCommands::SessionCommands(TXModemServer& session, TXPObject& root)
    : session_(session), root_(root), stack_(session) {}

UiBridge& SessionCommands::Ui() {
    return session_.Ui();
}

CalculatorState& SessionCommands::State() {
    return session_.State();
}

// --- the link and the calculator connected ------------------------------------------------

std::vector<std::string> SessionCommands::ListPorts() {
    CommLink& link = session_.Link();
    link.SetPortListSeparator("\n");
    std::vector<std::string> ports;
    std::string list = link.ListPorts();
    for (std::size_t start = 0, end; start < list.size(); start = end + 1) {
        end = list.find('\n', start);
        if (end == std::string::npos) {
            end = list.size();
        }
        if (end > start) {
            ports.push_back(list.substr(start, end - start));
        }
    }
    return ports;
}

bool SessionCommands::IsUsbPort(const std::string& port) {
    return IsUsbPortName(port);
}

const std::string& SessionCommands::PortName() const {
    return session_.PortName;
}

bool SessionCommands::PortLost() const {
    return session_.PortLost();
}

std::string SessionCommands::LinkSpeed() const {
    return session_.GetSpeed();
}

const std::string& SessionCommands::VersionText() const {
    return session_.VersionText;
}

std::string SessionCommands::FreeMemory() {
    return session_.FreeMemory();
}

void SessionCommands::RequestRefresh() {
    if (OnRefreshRequested) {
        OnRefreshRequested();
    }
}

void SessionCommands::ChangeToCurrentDir() {
    session_.ChangeDir(CurrentPath);
}

// --- making, deleting, renaming and evaluating items ----------------------------------------

Outcome SessionCommands::MakeDirectory(const std::string& name) {
    session_.RequireSafeName(name, true);  // before the question, not after it
    if (!session_.CheckName(name)) {
        return Outcome::Declined(name + ": not made (its improper name was declined)");
    }
    session_.MakeDir(name);
    return Outcome::Done();
}

Outcome SessionCommands::DeleteItem(const std::string& name, bool isDirectory) {
    return session_.Purge(name, isDirectory);
}

Outcome SessionCommands::RenameItem(const std::string& oldName, const std::string& newName,
                                    bool isDirectory) {
    session_.RequireSafeName(oldName, false);  // before the questions, not after them
    session_.RequireSafeName(newName, true);
    if (!session_.CheckName(oldName) || !session_.CheckName(newName)) {
        return Outcome::Declined(oldName + ": not renamed");
    }
    ChangeToCurrentDir();
    session_.MoveVar(oldName, newName, isDirectory);
    return Outcome::Done();
}

Outcome SessionCommands::EvaluateItem(const std::string& name) {
    if (!session_.CheckName(name)) {
        return Outcome::Declined(name + ": not evaluated (its improper name was declined)");
    }
    ChangeToCurrentDir();
    RunCalculatorCommand(name);
    return Outcome::Done();
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
        TXPObject* found = directory->FindChild(path.substr(position, end - position));
        if (found == nullptr || !found->IsDirectory()) {
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

Outcome SessionCommands::GetItemTo(const TXPObject& item, const std::string& path) {
    RequireWritable(path);
    Outcome got = WritingUserFile(path, [&] {
        return session_.GetToFile(FileNameForItem(item.Name), path, item.GetSize(), item.TypeCode);
    });
    return got.Saying(item.Name + ": not copied");
}

Outcome SessionCommands::WritingUserFile(const std::string& path,
                                         const std::function<Outcome()>& write) {
    bool existed = IsRegularFile(path);
    Outcome written = Outcome::Failed("");
    {
        ScopeExit notReplaced([&] {
            if (!written && existed) {
                try {
                    Ui().ShowMessage(kNotReplacedCaption,
                                     path + "\r\n" + "was not replaced and is as it was.");
                } catch (const std::exception& e) {
                    Trace(std::string("Not-replaced message failed: ") + e.what());
                }
            }
        });
        written = write();
    }
    return written;
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

Outcome SessionCommands::PutDroppedFile(const std::string& path, bool& replaceAll, int fileCount) {
    // Nothing of a file that is not a readable object file of a possible size is sent; like a
    // refused file type, it ends the batch.
    if (std::string why = WhyNotSendable(path); !why.empty()) {
        Ui().ShowMessage("Cannot Send File", path + "\r\n\r\n" + why);
        return Outcome::Failed(why);
    }
    std::string name = ItemNameForFile(path);
    if (!IsArchivePath(path)) {
        bool exists = FindDirectory(CurrentPath).FindChild(name) != nullptr;
        return session_.PutFile(name, path, "", exists, replaceAll, fileCount);
    }
    Outcome confirmed = ConfirmRestore(path);
    return confirmed ? RestoreFromFile(path) : confirmed;
}

Outcome SessionCommands::ConfirmRestore(const std::string& path) {
    RequireArchiveFile(path, session_.State().series);
    UiBridge& ui = Ui();
    ui.Beep();
    std::string question = FileNameOf(path) + "\r\n\r\n" + "Is a Calculator Backup file.\r\n" +
                           "Continuing will erase the calculator's current contents.\r\n\r\n" +
                           "Continue the Restore operation?";
    if (!ui.ShowTextPrompt(question, "Erase Calculator?")) {
        return Outcome::Declined(FileNameOf(path) + ": not restored");
    }
    return Outcome::Done();
}

bool SessionCommands::PutFiles(
    const std::vector<std::string>& paths,
    const std::function<void(const std::string& path, const Outcome& outcome)>& done) {
    UiBridge& ui = Ui();
    ui.SetBusy(true);
    bool all = true;
    {
        ScopeExit notBusy([&] { ui.SetBusy(false); });
        ChangeToCurrentDir();
        bool replaceAll = false;
        for (const std::string& path : paths) {
            Outcome put = PutDroppedFile(path, replaceAll, static_cast<int>(paths.size()));
            if (!put.GoesOn() || IsArchivePath(path)) {  // nothing after an archive is sent
                all = false;
                break;
            }
            if (done) {
                done(path, put);
            }
        }
    }
    RequestRefresh();
    return all;
}

// --- whole calculator ---------------------------------------------------------------------

Outcome SessionCommands::WriteReceivedObject(const std::string& path, const Outcome& received) {
    if (session_.Data.empty()) {
        return received ? Outcome::Failed("") : received;
    }
    std::string object = session_.Data;
    bool measured = ObjectSize(object).success;
    const std::string& bytes = measured ? object : session_.Data;
    WriteUserFile(path, bytes);
    lastWrittenSize_ = bytes.size();
    if (!measured) {
        Ui().ShowMessage("Decompile Error", path + "\r\n" + "Cannot decompile this file.\r\n" +
                                                "Length has been left with padding.\r\n" +
                                                "File may still be ok.");
    }
    return received;
}

Outcome SessionCommands::BackupToFile(const std::string& path) {
    UiBridge& ui = Ui();
    ScopeExit cleanUp([&] {
        session_.Data.clear();
        ui.SetBusy(false);
    });
    // Only what this backup receives may become the archive: bytes of an earlier get would
    // otherwise be written when the backup ends before its transfer.
    session_.Data.clear();
    RequireWritable(path);  // before the calculator sends a byte: nothing long is lost at its end
    Outcome written = WritingUserFile(path, [&] {
        Outcome received = session_.Backup(path, root_.GetSize());
        ui.SetBusy(false);
        return WriteReceivedObject(path, received);
    });
    return written.Saying("the backup was not written to " + path);
}

Outcome SessionCommands::RestoreFromFile(const std::string& path) {
    RequireArchiveFile(path, session_.State().series);
    UiBridge& ui = Ui();
    ui.ProcessEvents();
    ui.SetBusy(false);
    Outcome restored = session_.Restore(path);
    if (restored) {
        ui.SetConnected(false);
        if (ui.ShowPrompt(kPromptRestored, "")) {
            OnReconnectRequested ? OnReconnectRequested() : ConnectToCalculator();
        }
    } else if (ui.Connected()) {
        RequestRefresh();
    }
    return restored.Saying(FileNameOf(path) + ": not restored");
}

int SessionCommands::CaptureSpeedFor(const std::string& port, int speed) {
    bool serial = !port.empty() && Lower(port) != "auto" && !IsUsbPortName(port);
    if (!serial || speed == kSlowCaptureSpeed || speed == kFastCaptureSpeed) {
        return 0;
    }
    return speed < kSlowCaptureLimit ? kSlowCaptureSpeed : kFastCaptureSpeed;
}

// --- the command window -------------------------------------------------------------------

void SessionCommands::RunCalculatorCommand(const std::string& text) {
    session_.Execute(text, false, true);
}

std::vector<std::string> SessionCommands::ReadStack() {
    return session_.ReadStackLines();
}

}  // namespace vaddex
