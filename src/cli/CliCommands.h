#pragma once

#include <functional>
#include <ostream>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "cli/CliCommandTable.h"
#include "cli/CliOptions.h"
#include "cli/ConsoleUiBridge.h"
#include "frontend/BuiltInCalculator.h"
#include "objects/ScreenPicture.h"
#include "session/SessionCommands.h"

namespace vaddex::cli {

using frontend::BuiltInCalculator;

// "get NAME -": the object goes to standard output.
inline constexpr const char* kStandardOutput = "-";

// Carries out the command of the command line on the session, through the operations the
// main window uses. UI thread only.
class CliCommands {
public:
    // Exit statuses.
    static constexpr int kSuccess = 0;
    static constexpr int kFailed = 1;

    // `calculator` is the built-in one with "-p sim", else null.
    CliCommands(const CliOptions& options, const PictureBorder& border, SessionCommands& commands,
                ConsoleUiBridge& ui, BuiltInCalculator* calculator, std::ostream& out);

    // What the commands run over one connection share: whether the calculator is connected
    // and whether it changed since its tree was last read.
    struct Connection {
        bool open = false;
        bool changed = false;
    };
    // Makes the command use a connection that outlives it (a session of several commands).
    void ShareConnection(Connection& connection) { connection_ = &connection; }
    // Where "ports" reads the port list from (the session stack's); set before Run.
    void ListPortsWith(std::function<std::vector<std::string>()> listPorts) {
        listPorts_ = std::move(listPorts);
    }

    // Runs the command; returns kSuccess or kFailed. Session errors are raised.
    int Run();

private:
    // The table names the handlers and the checks below.
    friend std::span<const CliCommandRow> CliCommandTable();

    // --- CliCommands.cpp: what is checked before connecting, by the command's table row
    static void CheckGetTarget(const CliOptions& options);
    static void CheckPutFiles(const CliOptions& options);
    static void CheckScreenFile(const CliOptions& options);
    // The first argument is a file that can be written (backup, xsend).
    static void CheckTargetFile(const CliOptions& options);
    // The first argument names an existing file (restore, xrecv, rom).
    static void CheckSourceFile(const CliOptions& options);
    // The mount point is an existing folder.
    static void CheckMountPoint(const CliOptions& options);

    // --- CliCommands.cpp: the server's directory commands
    int Ports();
    int Info();
    int List();
    // --- CliTransferCommands.cpp: copies between PC files and the calculator
    int Get();
    int Put();
    // --- CliItemCommands.cpp: changes to the directories, command lines
    int Remove();
    int MakeDirectory();
    int Move();
    int Eval();
    int Stack();
    // Connects and reads the tree unless the shared connection is open and unchanged, then
    // makes the -C directory current; throws when it is missing.
    void Connect();
    // The calculator changed: the next command reads the tree again.
    void MarkChanged() { connection_->changed = true; }
    TXPObject& Directory();
    // The item of the current directory with this display-form (or file-form) name.
    const TXPObject* FindItem(const std::string& name);
    // Gets the item whole into memory; a get that was not done is a CommandFailed saying
    // what came of it.
    std::string FetchWhole(const TXPObject& item);
    // Reads the tree again after a change, to tell whether it took effect.
    void Reread();

    // --- CliMountCommand.cpp: the calculator as a folder
    int Mount();

    // --- CliManualCommands.cpp: the whole calculator and the calculator's own transfers
    int Backup();
    int Restore();
    int XRecv();
    int XSend();
    int Screen();
    int Rom();
    // The calculator-form name the built-in calculator stores into or sends for a PC file.
    std::string SimVariableFor(const std::string& path) const;
    // Lets the built-in calculator play its side when a prompt asks for it.
    void PlayCalculatorSide(const std::string& path);

    const CliOptions& options_;
    PictureBorder border_;
    SessionCommands& commands_;
    ConsoleUiBridge& ui_;
    BuiltInCalculator* calculator_;
    std::ostream& out_;
    Connection ownConnection_;
    Connection* connection_ = &ownConnection_;
    std::function<std::vector<std::string>()> listPorts_;
};

// "FILE:NAME" of put as the file and the calculator name; a whole argument that names an
// existing file, or has no name after its last ':', is the file with "" for the name.
std::pair<std::string, std::string> SplitPutArgument(const std::string& argument);

// The path names a folder (or a link to one).
bool IsDirectoryPath(const std::string& path);

// "<n> bytes" for an existing file, "?" otherwise.
std::string FileSizeText(const std::string& path);

// Runs the check before connecting of the command's table row: what can be checked before the
// calculator is touched (files to send exist, files to write can be written, the picture
// format). Throws UsageError or CommandFailed.
void CheckCommandArguments(const CliOptions& options);
// Throws CommandFailed unless the path names an existing regular file.
void RequireFile(const std::string& path);
// Throws CommandFailed unless a file can be written at the path (its folder exists and takes
// files, the path is not a folder).
void RequireWritableTarget(const std::string& path);

}  // namespace vaddex::cli
