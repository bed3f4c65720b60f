#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "session/TXModemServer.h"
#include "session/TXPObject.h"
#include "session/UiBridge.h"

namespace vaddex {

// The main window's operations around a session call that every front end needs: connecting
// with the busy and connected states, rereading the tree, the file names of items and the
// item names of files, copying to and from PC files, backup and restore to archive files,
// the manual transfers, one screen capture and the ROM download. Windows (tree nodes, list
// rows, sorting, drag and drop, the capture viewer) stay with the front end. UI thread only;
// every call blocks until the calculator's side is done, and session errors are raised.
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

    TXModemServer& Session() { return session_; }
    TXPObject& Root() { return root_; }

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
    // Renames an item of CurrentPath once both names pass the improper-name question; false
    // (and nothing sent) when the user declined. Blocks until the calculator has renamed it.
    bool RenameItem(const std::string& oldName, const std::string& newName, bool isDirectory);

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
    // returns the path. A get that fails raises "Canceled by user".
    std::string FetchItem(const TXPObject& item, const std::string& folder);
    // The same into a path the user chose; size and type still come from the listing. A target
    // that cannot be written is raised before the calculator sends anything, here and in
    // GetItemTo, BackupToFile and UploadFile.
    void FetchItemTo(const TXPObject& item, const std::string& path);
    // The same, false when the get failed or was cancelled (the target is as it was).
    bool GetItemTo(const TXPObject& item, const std::string& path);
    // Busy; the calculator changes to CurrentPath; each item is fetched in order. Returns the
    // paths; the first failed get raises "Canceled by user" and ends the copy.
    std::vector<std::string> CopyItems(const std::vector<const TXPObject*>& items,
                                       const std::string& folder);
    // Sends one dropped or pasted file into the calculator's current directory; an archive
    // asks "Erase Calculator?" and restores. False ends the batch: an archive, a folder, device,
    // unreadable, empty or oversized file (with a message), a refused file type, a cancelled
    // replace question, a failed transfer.
    bool PutDroppedFile(const std::string& path, bool& replaceAll, int fileCount);
    // Busy; the calculator changes to CurrentPath; the files go one batch with one replace-all
    // answer until PutDroppedFile says stop (`done` hears of each file that went); then the
    // refresh is requested. True when every file went.
    bool PutFiles(const std::vector<std::string>& paths,
                  const std::function<void(const std::string& path)>& done = {});

    // --- whole calculator ----------------------------------------------------------------
    // Archives the calculator into the file: the archive cut to its exact length, or, when
    // that cannot be worked out, as received with the "Decompile Error" message. Nothing is
    // written when the backup received nothing. True when the archive was written.
    bool BackupToFile(const std::string& path);
    // The "Erase Calculator?" question before an archive is restored; true to go on. A file
    // that is no complete archive of the connected series is refused (raised) before asking.
    bool ConfirmRestore(const std::string& path);
    // Restores the calculator from an archive; on success the window is disconnected and
    // prompt 9 offers to connect again. True when the archive was sent. A file that is no
    // complete archive of the connected series is raised before anything is sent.
    bool RestoreFromFile(const std::string& path);

    // --- manual transfers ----------------------------------------------------------------
    // Sends a file to the calculator's XRECV: the prompt of kind promptBefore stays up until
    // the calculator asks or the user closes it; promptAfter follows a transfer that worked.
    bool ManualSend(const std::string& path, int promptBefore, int promptAfter);
    // The server program to a first-series calculator (prompts 1 and 2).
    bool DownloadServer();
    // Receives what the calculator's XSEND sends into the file, its length fixed as for the
    // backup. False when the user cancelled prompt 6 or nothing arrived (then the file is
    // left alone).
    bool UploadFile(const std::string& path);
    // The speed the calculator must be switched to for a capture: 0 on the USB device or
    // "Auto", and at 9600 or 115200; else 9600 below 15601, 115200 above.
    static int CaptureSpeedFor(const std::string& port, int speed);
    // Disconnects, sets captureSpeed and asks to change it; false when the user declined.
    bool PrepareCapture();
    // Blocks until one screen has been captured (prompt 3 on the first round, prompt 10
    // "Do Another Capture?" after it) or the user closed the prompt; empty then.
    std::string CaptureOnce(bool firstRound);
    // Prompt 7, then the ROM file to the USB calculator; "Download Error" when it fails.
    bool DownloadRom(const std::string& path);

    // --- the command window --------------------------------------------------------------
    // Blocks until the calculator has run the command line (no working window).
    void RunCalculatorCommand(const std::string& text);
    // The stack picture: at most seven lines, level 1 last.
    std::vector<std::string> ReadStack();

private:
    UiBridge& Ui() { return session_.Ui(); }
    void RequestRefresh();
    // Writes the session's Data to the file, cut to the object's length when it can be
    // measured; else as received, with the "Decompile Error" message. Nothing when empty;
    // true when the file was written.
    bool WriteReceivedObject(const std::string& path);
    // Runs `write`, which makes or replaces the user's file at path; when it fails or raises
    // and a file was there, the user is told that it was not replaced. Returns its result.
    bool WritingUserFile(const std::string& path, const std::function<bool()>& write);

    TXModemServer& session_;
    TXPObject& root_;
    std::string memoryStatus_;
};

}  // namespace vaddex
