#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "session/Outcome.h"
#include "session/StackCommands.h"
#include "session/TXPObject.h"
#include "session/UiBridge.h"

namespace vaddex {

class TXModemServer;

// Every calculator operation a front end offers: connecting with the busy and connected
// states, rereading the tree, making, deleting and renaming items, the file names of items and
// the item names of files, copying to and from PC files, backup and restore to archive files,
// the manual transfers, one screen capture, the ROM download and the command line (its checked
// forms in Stack()). Windows (tree nodes, list rows, sorting, drag and drop, the capture
// viewer) stay with the front end. UI thread only; every call blocks until the calculator's
// side is done; an operation that can end otherwise returns its Outcome, and session errors
// are raised.
class SessionCommands {
public:
    // `root` is the item "HOME" whose children the listing replaces.
    SessionCommands(TXModemServer& session, TXPObject& root);

    // --- what the front end has chosen ---------------------------------------------------
    std::string SelectedPort = "Auto";  // the port as the user gave it
    bool AddExtension = true;           // binary object files get ".zq"
    std::string CurrentPath = "HOME";   // the directory the list shows: "HOME A B"
    // The deferred refresh: started by a command that changed the calculator, run by the
    // front end after the command has returned. Empty: no refresh.
    std::function<void()> OnRefreshRequested;
    // The "Connect" of the prompt after a restore: a front end that shows the items reconnects
    // as its own connect command does, so that nothing it shows outlives the old items.
    // Empty: ConnectToCalculator.
    std::function<void()> OnReconnectRequested;

    // For whoever builds the session stack; front ends use the calls below.
    TXModemServer& Session() { return session_; }
    TXPObject& Root() { return root_; }
    UiBridge& Ui();
    CalculatorState& State();
    // The command line's checked forms: the line's error, the stack's depth, the whole stack.
    StackCommands& Stack() { return stack_; }

    // --- the link and the calculator connected -------------------------------------------
    // The ports a user may choose, "Auto" first.
    std::vector<std::string> ListPorts();
    // The port name is the USB device's rather than a serial port's.
    static bool IsUsbPort(const std::string& port);
    // The connected port; empty when not connected.
    const std::string& PortName() const;
    // The port itself went away on the last connection, rather than the calculator falling
    // silent on it.
    bool PortLost() const;
    // The line's speed in decimal, as the user chose it (the USB link's own text on USB).
    std::string LinkSpeed() const;
    // Identification of the connected calculator.
    const std::string& VersionText() const;
    // The calculator's free memory in whole bytes, asked now.
    std::string FreeMemory();

    // --- connecting and rereading --------------------------------------------------------
    // Busy, then Connect on SelectedPort; the connected state follows the session's result,
    // and a connected session is reread. Raises the session's error after the states are set.
    // `showTree` as for Reread.
    void ConnectToCalculator(const std::function<void()>& showTree = {});
    // Reads the whole tree again and sets MemoryStatus; nothing when not connected. CurrentPath
    // falls back to its deepest existing directory. `showTree`, when given, shows the new tree
    // and makes CurrentPath the calculator's directory (the window selects its node); without
    // it the directory is changed here.
    void Reread(const std::function<void()>& showTree = {});
    // VersionText + "  Free Mem: " + the free memory, from the last Reread.
    const std::string& MemoryStatus() const { return memoryStatus_; }
    // The directory item of a path ("HOME A B"): the deepest one that exists, the root at least.
    TXPObject& FindDirectory(const std::string& path);
    // Blocks while the calculator changes to CurrentPath.
    void ChangeToCurrentDir();

    // --- making, deleting, renaming and evaluating items of the calculator's directory ----
    // Each asks the improper-name question first: declined (nothing sent) when answered No.
    // A name that cannot stand in a command line is raised before the question.
    Outcome MakeDirectory(const std::string& name);
    Outcome DeleteItem(const std::string& name, bool isDirectory);
    // Renames an item of CurrentPath once both names pass the question. Blocks until the
    // calculator has renamed it.
    Outcome RenameItem(const std::string& oldName, const std::string& newName, bool isDirectory);
    // The calculator changes to CurrentPath and evaluates the variable (no working window).
    Outcome EvaluateItem(const std::string& name);

    // --- names ---------------------------------------------------------------------------
    // ".txt" in text mode; in binary mode ".zq" with AddExtension, else nothing.
    std::string ObjectExtension() const;
    // The file form of an item's display-form name, without extension.
    static std::string FileNameForItem(const std::string& itemName);
    // The display-form item name of a PC file: ".zq", ".txt" and ".zqbackup" (any case) are
    // dropped, other extensions stay part of the name.
    static std::string ItemNameForFile(const std::string& path);
    // series + "_" + d-mmm-yyyy + ".zqbackup"; without a date, today's.
    static std::string DefaultArchiveName(const std::string& series,
                                          std::chrono::year_month_day date);
    std::string DefaultArchiveName() const;

    // --- copying between PC and calculator -----------------------------------------------
    // Gets one item of the current directory into folder + its file name + ObjectExtension;
    // returns the path. A get that is not done raises kCanceledByUserText.
    std::string FetchItem(const TXPObject& item, const std::string& folder);
    // The same into a path the user chose; size and type still come from the listing. A target
    // that cannot be written is raised before the calculator sends anything, here and in
    // GetItemTo, BackupToFile and UploadFile.
    void FetchItemTo(const TXPObject& item, const std::string& path);
    // The same, with its outcome (the target is as it was unless done): "NAME: not copied"
    // when declined or failed.
    Outcome GetItemTo(const TXPObject& item, const std::string& path);
    // Busy; the calculator changes to CurrentPath; each item is fetched in order. Returns the
    // paths; the first get that is not done raises kCanceledByUserText and ends the copy.
    std::vector<std::string> CopyItems(const std::vector<const TXPObject*>& items,
                                       const std::string& folder);
    // Sends one dropped or pasted file into the calculator's current directory; an archive
    // asks "Erase Calculator?" and restores (the restore's outcome). Declined when the replace
    // question was answered No. Failed for a folder, device, unreadable, empty or oversized
    // file (with a message); cancelled by a refused file type or name, or a cancelled replace
    // question; as the transfer ended otherwise.
    Outcome PutDroppedFile(const std::string& path, bool& replaceAll, int fileCount);
    // Busy; the calculator changes to CurrentPath; the files go one batch with one replace-all
    // answer while each goes on (`done` hears of each file that went, sent or declined); an
    // archive ends the batch. Then the refresh is requested. True when every file went.
    bool PutFiles(
        const std::vector<std::string>& paths,
        const std::function<void(const std::string& path, const Outcome& outcome)>& done = {});

    // --- whole calculator ----------------------------------------------------------------
    // Archives the calculator into the file: the archive cut to its exact length, or, when
    // that cannot be worked out, as received with the "Decompile Error" message. Nothing is
    // written when the backup received nothing. Done when the archive was written; otherwise
    // "the backup was not written to PATH".
    Outcome BackupToFile(const std::string& path);
    // The "Erase Calculator?" question before an archive is restored; done to go on. A file
    // that is no complete archive of the connected series is refused (raised) before asking.
    Outcome ConfirmRestore(const std::string& path);
    // Restores the calculator from an archive; on success the window is disconnected and
    // prompt 9 offers to connect again. Done when the archive was sent. A file that is no
    // complete archive of the connected series is raised before anything is sent.
    Outcome RestoreFromFile(const std::string& path);

    // --- manual transfers ----------------------------------------------------------------
    // Sends a file to the calculator's XRECV: the prompt of kind promptBefore stays up until
    // the calculator asks or the user closes it (cancelled); promptAfter follows a transfer
    // that worked.
    Outcome ManualSend(const std::string& path, int promptBefore, int promptAfter);
    // The server program to a first-series calculator (prompts 1 and 2).
    Outcome DownloadServer();
    // Receives what the calculator's XSEND sends into the file, its length fixed as for the
    // backup. Declined when the user cancelled prompt 6; "nothing was received into PATH"
    // when nothing arrived (then the file is left alone).
    Outcome UploadFile(const std::string& path);
    // The bytes the last backup or XSEND receive wrote: a device or FIFO written to keeps no
    // size to read back.
    std::size_t LastWrittenSize() const { return lastWrittenSize_; }
    // The speed the calculator must be switched to for a capture: 0 on the USB device or
    // "Auto", and at 9600 or 115200; else 9600 below 15601, 115200 above.
    static int CaptureSpeedFor(const std::string& port, int speed);
    // Disconnects, sets captureSpeed and asks to change it; declined when the user said No.
    Outcome PrepareCapture();
    // Blocks until one screen has been captured into `image` (prompt 3 on the first round,
    // prompt 10 "Do Another Capture?" after it) or the user closed the prompt (cancelled).
    Outcome CaptureOnce(bool firstRound, std::string& image);
    // Prompt 7 (declined when cancelled), then the ROM file to the USB calculator;
    // "Download Error" when it fails.
    Outcome DownloadRom(const std::string& path);

    // --- the command window --------------------------------------------------------------
    // Blocks until the calculator has run the command line (no working window).
    void RunCalculatorCommand(const std::string& text);
    // The stack picture: at most seven lines, level 1 last.
    std::vector<std::string> ReadStack();

private:
    void RequestRefresh();
    // Writes the session's Data to the file, cut to the object's length when it can be
    // measured; else as received, with the "Decompile Error" message. Nothing when empty.
    // Returns `received`, the receive's outcome, or failed when it was done but left nothing.
    Outcome WriteReceivedObject(const std::string& path, const Outcome& received);
    // Runs `write`, which makes or replaces the user's file at path; when it is not done or
    // raises and a file was there, the user is told that it was not replaced. Returns its
    // outcome.
    Outcome WritingUserFile(const std::string& path, const std::function<Outcome()>& write);

    TXModemServer& session_;
    TXPObject& root_;
    StackCommands stack_;
    std::string memoryStatus_;
    std::size_t lastWrittenSize_ = 0;
};

}  // namespace vaddex
