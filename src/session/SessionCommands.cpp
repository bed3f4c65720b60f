#include "session/SessionCommands.h"

#include <cctype>
#include <cstring>
#include <ctime>

#include "link/PortNames.h"
#include "objects/CalcNames.h"
#include "session/CalcPath.h"
#include "session/ErrorOutcome.h"
#include "session/SessionPaths.h"
#include "session/TXModemServer.h"
#include "util/Errors.h"
#include "util/FileIo.h"
#include "util/ScopeExit.h"
#include "util/Trace.h"

namespace vaddex {
namespace {

constexpr const char* kArchiveExtension = ".zqbackup";
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

// The digits at the front of the calculator's free-memory answer; nullopt for none.
std::optional<std::int64_t> LeadingNumber(const std::string& text) {
    std::optional<std::int64_t> value;
    for (char c : text) {
        if (c < '0' || c > '9') {
            break;
        }
        value = value.value_or(0) * 10 + (c - '0');
    }
    return value;
}

void AddItems(const TXPObject& directory, std::vector<CalcItem>& items) {
    std::string path = directory.GetPath();
    for (const auto& child : directory.Children) {
        items.push_back(CalcItem{ChildPath(path, child->Name), path, child->Name, child->TypeName,
                                 child->TypeCode, child->Size});
        if (child->IsDirectory()) {
            AddItems(*child, items);
        }
    }
}

}  // namespace

SessionCommands::SessionCommands(TXModemServer& session, TXPObject& root)
    : session_(session), root_(root), stack_(session) {
    stack_.OnLineRun = [this] { calculatorDirectory_.clear(); };
}

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

bool SessionCommands::IsConnected() const {
    return session_.IsConnected();
}

std::string SessionCommands::FreeMemory() {
    try {
        return session_.FreeMemory();
    } catch (const std::exception& e) {
        Trace(std::string("Free memory not read: ") + e.what());
        return "";
    }
}

std::optional<std::int64_t> SessionCommands::FreeBytes() {
    return LeadingNumber(FreeMemory());
}

Outcome SessionCommands::Guarded(const std::function<Outcome()>& operation) {
    return GuardedOutcome(operation, [this] { return session_.PortLost(); });
}

Outcome SessionCommands::Logged(const std::string& what, const Outcome& outcome) {
    Ui().OperationEnded(what, outcome);
    return outcome;
}

void SessionCommands::RequestRefresh() {
    if (OnRefreshRequested) {
        OnRefreshRequested();
    }
}

Outcome SessionCommands::ChangeToCurrentDir() {
    return Guarded([&] {
        if (calculatorDirectory_ != CurrentPath) {
            calculatorDirectory_.clear();  // unknown, should the change fail half-way
            session_.ChangeDir(CurrentPath);
            calculatorDirectory_ = CurrentPath;
        }
        return Outcome::Done();
    });
}

// --- making, deleting, renaming and evaluating items ----------------------------------------

Outcome SessionCommands::MakeDirectory(const std::string& name) {
    Outcome made = Guarded([&] {
        session_.RequireUserName(name);  // before the question, not after it
        if (FindDirectory(CurrentPath).FindChild(name) != nullptr) {
            return Outcome::Fail(Outcome::Kind::Exists,
                                 name + ": already exists in " + CurrentPath);
        }
        if (!session_.CheckName(name)) {
            return Outcome::Declined(name + ": not made (its improper name was declined)");
        }
        if (Outcome there = ChangeToCurrentDir(); !there) {
            return there;
        }
        session_.MakeDir(name);
        return Outcome::Done();
    });
    return Logged("made directory " + name, made);
}

Outcome SessionCommands::DeleteItem(const std::string& name, bool isDirectory) {
    return Logged("deleted " + name, Guarded([&] { return session_.Purge(name, isDirectory); }));
}

Outcome SessionCommands::RenameItem(const std::string& oldName, const std::string& newName,
                                    bool isDirectory, bool replace) {
    Outcome renamed = Guarded([&] {
        session_.RequireSafeName(oldName, false);  // before the questions, not after them
        session_.RequireUserName(newName);
        if (const TXPObject* taken = FindDirectory(CurrentPath).FindChild(newName);
            taken != nullptr && newName != oldName) {
            // The calculator purges the old name before it stores the new one: a directory
            // in the way would lose the renamed item.
            if (!replace || taken->IsDirectory()) {
                return Outcome::Fail(Outcome::Kind::Exists,
                                     newName + ": already exists in " + CurrentPath);
            }
        }
        if (!session_.CheckName(oldName) || !session_.CheckName(newName)) {
            return Outcome::Declined(oldName + ": not renamed");
        }
        if (Outcome there = ChangeToCurrentDir(); !there) {
            return there;
        }
        session_.MoveVar(oldName, newName, isDirectory);
        return Outcome::Done();
    });
    return Logged("renamed " + oldName + " to " + newName, renamed);
}

Outcome SessionCommands::EvaluateItem(const std::string& name) {
    Outcome evaluated = Guarded([&] {
        if (!session_.CheckName(name)) {
            return Outcome::Declined(name + ": not evaluated (its improper name was declined)");
        }
        if (Outcome there = ChangeToCurrentDir(); !there) {
            return there;
        }
        return RunCalculatorCommand(name);
    });
    return Logged("evaluated " + name, evaluated);
}

// --- connecting and rereading -------------------------------------------------------------

Outcome SessionCommands::ConnectToCalculator(const std::function<void()>& showTree) {
    UiBridge& ui = Ui();
    ui.SetBusy(true);
    ScopeExit notBusy([&] { ui.SetBusy(false); });
    Outcome connected = Guarded([&] { return Connect(showTree); });
    ui.SetConnected(session_.IsConnected());
    return Logged("connected on " + (PortName().empty() ? SelectedPort : PortName()), connected);
}

Outcome SessionCommands::Connect(const std::function<void()>& showTree) {
    root_.ClearChildren();
    calculatorDirectory_.clear();
    lastFreeBytes_.reset();
    memoryStatus_.clear();
    UiBridge& ui = Ui();
    ui.TakeConnectCancel();  // a Cancel of an earlier connect does not count for this one
    ui.SetConnected(true);
    session_.Connect(SelectedPort);
    if (session_.IsConnected() && ui.TakeConnectCancel()) {
        // The answer came before the search saw the Cancel: the user still asked for none.
        // The port is let go without a word to the server, so that it still answers later.
        session_.Connect("");
        return Outcome::Cancelled();
    }
    if (!session_.IsConnected()) {
        return Outcome::Fail(Outcome::Kind::NotConnected, "no port was chosen to connect on");
    }
    return Reread(showTree);
}

Outcome SessionCommands::Reread(const std::function<void()>& showTree) {
    UiBridge& ui = Ui();
    if (!ui.Connected() || !session_.IsConnected()) {
        ui.SetBusy(false);
        return Outcome::Fail(Outcome::Kind::NotConnected, "no calculator is connected");
    }
    ui.SetBusy(true);
    ScopeExit notBusy([&] { ui.SetBusy(false); });
    return Guarded([&] {
        session_.ReadDirectoryTree(root_);
        CurrentPath = FindDirectory(CurrentPath).GetPath();
        if (showTree) {
            // The window selects the node, which changes the calculator's directory.
            calculatorDirectory_.clear();
            showTree();
        } else if (Outcome there = ChangeToCurrentDir(); !there) {
            return there;
        }
        std::string free = session_.FreeMemory();
        lastFreeBytes_ = LeadingNumber(free);
        memoryStatus_ = session_.VersionText + "  Free Mem: " + free;
        return Outcome::Done();
    });
}

TXPObject& SessionCommands::FindDirectory(const std::string& path) {
    return *FindNodeByPath(&root_, path, [](TXPObject* node, const std::string& name) {
        TXPObject* found = node->FindChild(name);
        return found != nullptr && found->IsDirectory() ? found : nullptr;
    });
}

std::vector<CalcItem> SessionCommands::Snapshot() const {
    std::vector<CalcItem> items;
    AddItems(root_, items);
    return items;
}

Outcome SessionCommands::Disconnect() {
    calculatorDirectory_.clear();
    Outcome left = Guarded([&] {
        session_.Disconnect();
        return Outcome::Done();
    });
    return Logged("disconnected", left);
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

std::string SessionCommands::StripObjectExtension(const std::string& fileName) {
    std::string extension = Lower(ExtensionOf(fileName));
    if (extension == ".zq" || extension == ".txt" || extension == kArchiveExtension) {
        return fileName.substr(0, fileName.size() - extension.size());
    }
    return fileName;
}

bool SessionCommands::IsArchiveFile(const std::string& path) {
    return Lower(ExtensionOf(FileNameOf(path))) == kArchiveExtension;
}

std::string SessionCommands::ItemNameForFile(const std::string& path) {
    return CalcNameToPc(PcNameToCalc(StripObjectExtension(FileNameOf(path)), true), false);
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

int SessionCommands::CaptureSpeedFor(const std::string& port, int speed) {
    bool serial = !port.empty() && Lower(port) != "auto" && !IsUsbPortName(port);
    if (!serial || speed == kSlowCaptureSpeed || speed == kFastCaptureSpeed) {
        return 0;
    }
    return speed < kSlowCaptureLimit ? kSlowCaptureSpeed : kFastCaptureSpeed;
}

// --- the command window -------------------------------------------------------------------

Outcome SessionCommands::RunCalculatorCommand(const std::string& text) {
    calculatorDirectory_.clear();  // the line may change it
    return Guarded([&] {
        session_.Execute(text, false, true);
        return Outcome::Done();
    });
}

Outcome SessionCommands::ReadStack(std::vector<std::string>& lines) {
    lines.clear();
    return Guarded([&] {
        lines = session_.ReadStackLines();
        return Outcome::Done();
    });
}

}  // namespace vaddex
