#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "session/CalcItem.h"
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
// One file of a put batch: the variable it was sent as and how its put ended.
struct PutResult {
    std::string path;
    std::string name;  // the variable's display-form name
    Outcome outcome;
};

// Every calculator operation a front end offers: connecting with the busy and connected
// states, rereading the tree, making, deleting and renaming items, the file names of items and
// the item names of files, copying to and from PC files, backup and restore to archive files,
// the manual transfers, one screen capture, the ROM download and the command line (its checked
// forms in Stack()). Windows (tree nodes, list rows, sorting, drag and drop, the capture
// viewer) stay with the front end. UI thread only; every call blocks until the calculator's
// side is done. Every operation ends in an Outcome that says why it was not done; none raises,
// and none leaves its caller to read the connected state back to learn what happened.
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
    // A calculator is connected and its port is still there.
    bool IsConnected() const;
    // The line's speed in decimal, as the user chose it (the USB link's own text on USB).
    std::string LinkSpeed() const;
    // Identification of the connected calculator.
    const std::string& VersionText() const;
    // The calculator's free memory in whole bytes, asked now: the text the calculator gave,
    // and the number; nullopt when it could not be asked or read.
    std::string FreeMemory();
    std::optional<std::int64_t> FreeBytes();
    // The free memory the last Reread read; nullopt before one.
    std::optional<std::int64_t> LastFreeBytes() const { return lastFreeBytes_; }

    // --- connecting and rereading --------------------------------------------------------
    // Busy, then Connect on SelectedPort; the connected state follows the session's result,
    // and a connected session is reread. `showTree` as for Reread.
    Outcome ConnectToCalculator(const std::function<void()>& showTree = {});
    // Reads the whole tree again and sets MemoryStatus; not connected when there is no
    // calculator. CurrentPath falls back to its deepest existing directory. `showTree`, when
    // given, shows the new tree and makes CurrentPath the calculator's directory (the window
    // selects its node); without it the directory is changed here.
    Outcome Reread(const std::function<void()>& showTree = {});
    // VersionText + "  Free Mem: " + the free memory, from the last Reread.
    const std::string& MemoryStatus() const { return memoryStatus_; }
    // The directory item of a path ("HOME A B"): the deepest one that exists, the root at least.
    TXPObject& FindDirectory(const std::string& path);
    // Every item of the listing as values, depth first in listing order, the root left out.
    std::vector<CalcItem> Snapshot() const;
    // Blocks while the calculator changes to CurrentPath; sends nothing when it is there.
    Outcome ChangeToCurrentDir();
    // The directory the calculator is in, as far as the session knows; empty when it does
    // not (after a command line of the user's, which may change it).
    const std::string& CalculatorDirectory() const { return calculatorDirectory_; }

    // --- making, deleting, renaming and evaluating items of the calculator's directory ----
    // Each asks the improper-name question first: declined (nothing sent) when answered No.
    // A name that cannot stand in a command line is a bad name before the question.
    // A name CurrentPath already holds is Exists.
    Outcome MakeDirectory(const std::string& name);
    Outcome DeleteItem(const std::string& name, bool isDirectory);
    // Renames an item of CurrentPath once both names pass the question. A new name that
    // CurrentPath holds is Exists unless `replace`; a directory is never replaced, since the
    // calculator would drop the renamed item instead. Blocks until the calculator is done.
    Outcome RenameItem(const std::string& oldName, const std::string& newName, bool isDirectory,
                       bool replace = false);
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
    // A file name without the extension ItemNameForFile drops; other extensions stay.
    static std::string StripObjectExtension(const std::string& fileName);
    // The file is a calculator backup archive (".zqbackup" in any case).
    static bool IsArchiveFile(const std::string& path);
    // series + "_" + d-mmm-yyyy + ".zqbackup"; without a date, today's.
    static std::string DefaultArchiveName(const std::string& series,
                                          std::chrono::year_month_day date);
    std::string DefaultArchiveName() const;

    // --- copying between PC and calculator -----------------------------------------------
    // Gets one item of the current directory into folder + its file name + ObjectExtension;
    // `path` is where it went.
    Outcome FetchItem(const TXPObject& item, const std::string& folder, std::string& path);
    // The same into a path the user chose (the target is as it was unless done); size and
    // type still come from the listing. A target that cannot be written is a file error
    // before the calculator sends anything, here and in BackupToFile and UploadFile.
    Outcome GetItemTo(const TXPObject& item, const std::string& path);
    // The item's file form (binary or text as the mode says) into memory, nothing on disk.
    Outcome FetchItemData(const TXPObject& item, std::string& bytes);
    // Busy; the calculator changes to CurrentPath; each item is fetched in order into the
    // folder, `paths` in order; the first get that is not done ends the copy.
    Outcome CopyItems(const std::vector<const TXPObject*>& items, const std::string& folder,
                      std::vector<std::string>& paths);
    // Sends one dropped or pasted file into the calculator's current directory; an archive
    // asks "Erase Calculator?" and restores (the restore's outcome). Declined when the replace
    // question was answered No. Failed for a folder, device, unreadable, empty or oversized
    // file (with a message); cancelled by a refused file type or name, or a cancelled replace
    // question; as the transfer ended otherwise. A file onto a directory's name asks the
    // directory question first (declined on No).
    Outcome PutDroppedFile(const std::string& path, bool& replaceAll, int fileCount);
    // Busy; the calculator changes to CurrentPath; the files go one batch with one replace-all
    // answer while each goes on (`progress` hears of each file as its transfer ends); an
    // archive ends the batch. Then the listing is read again, and a put counts as done only
    // when it holds a variable of that name (and, for a binary file, of the type sent). One
    // result per file tried, in order: the last one that does not go on ended the batch. The
    // refresh is requested. With `replace`, a variable of the same name is replaced unasked.
    std::vector<PutResult> PutFiles(
        const std::vector<std::string>& paths,
        const std::function<void(const PutResult& result)>& progress = {}, bool replace = false);

    // --- whole calculator ----------------------------------------------------------------
    // Archives the calculator into the file: the archive cut to its exact length. One that
    // cannot be measured is written as received with the "Decompile Error" message only where
    // no file was; a file already there is not replaced by it. Nothing is written when the
    // backup received nothing. Done when the archive was written; otherwise "the backup was
    // not written to PATH".
    Outcome BackupToFile(const std::string& path);
    // The "Erase Calculator?" question before an archive is restored; done to go on. A file
    // that is no complete archive of the connected series is refused before asking.
    Outcome ConfirmRestore(const std::string& path);
    // Restores the calculator from an archive; on success the window is disconnected and
    // prompt 9 offers to connect again. Done when the archive was sent. A file that is no
    // complete archive of the connected series is refused before anything is sent.
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
    Outcome RunCalculatorCommand(const std::string& text);
    // The stack picture: at most seven lines, level 1 last.
    Outcome ReadStack(std::vector<std::string>& lines);

    // Tells the calculator's server that the session ends and closes the port.
    Outcome Disconnect();

private:
    void RequestRefresh();
    // Tells the front end what the operation did and how it ended; returns the outcome.
    Outcome Logged(const std::string& what, const Outcome& outcome);
    // Runs the operation and turns what it raises into the outcome that says why.
    Outcome Guarded(const std::function<Outcome()>& operation);
    Outcome Connect(const std::function<void()>& showTree);
    Outcome PutOne(const std::string& path, bool& replaceAll, int fileCount);
    // The manual operations, unguarded.
    Outcome SendManually(const std::string& path, int promptBefore, int promptAfter);
    Outcome ReceiveManually(const std::string& path);
    Outcome CaptureManually(bool firstRound, std::string& image);
    Outcome SendRomManually(const std::string& path);
    // A put onto a directory's name: the question, then the directory goes. Declined on No.
    Outcome ReplaceDirectory(const TXPObject& directory);
    // After a batch: the listing holds a variable of the name and type that was sent.
    Outcome CheckStored(const PutResult& put, const std::string& sentPath);
    // Writes the session's Data to the file, cut to the object's length when it can be
    // measured; else as received, with the "Decompile Error" message, where no file was.
    // Nothing when empty. Returns `received`, the receive's outcome, or failed when it was
    // done but left nothing.
    // `keepUnmeasured`: what cannot be measured does not replace a file already there.
    Outcome WriteReceivedObject(const std::string& path, const Outcome& received,
                                bool keepUnmeasured);
    // Runs `write`, which makes or replaces the user's file at path; when it is not done or
    // raises and a file was there, the user is told that it was not replaced. Returns its
    // outcome.
    Outcome WritingUserFile(const std::string& path, const std::function<Outcome()>& write);

    TXModemServer& session_;
    TXPObject& root_;
    StackCommands stack_;
    std::string memoryStatus_;
    std::optional<std::int64_t> lastFreeBytes_;
    std::string calculatorDirectory_;
    std::size_t lastWrittenSize_ = 0;
};

}  // namespace vaddex
