#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "link/CommLink.h"
#include "session/Outcome.h"
#include "session/TXPObject.h"
#include "session/UiBridge.h"

namespace vaddex {

class TYModemRX;

// The scratch variable the session's scripts store their answers in.
inline constexpr const char* kScratchVariable = "$$$t";

// The calculator server session: the program's whole conversation with the calculator's
// XModem server. Runs on the UI thread only and is never re-entered; every window, question
// and state change goes through the UiBridge. Link and packet failures are raised
// (ConnectionError, OperationError); operations that can end otherwise return their Outcome.
class TXModemServer {
public:
    // Resets the link record, empties PortName and puts the front end into binary mode.
    TXModemServer(CommLink& link, UiBridge& ui);
    // Connect("") closes the port.
    ~TXModemServer();
    TXModemServer(const TXModemServer&) = delete;
    TXModemServer& operator=(const TXModemServer&) = delete;

    std::string StatusText;   // the last text given to SetStatus
    std::string PortName;     // the connected port; empty when not connected
    std::string Speed;        // link speed in decimal, as the user chose it
    std::string VersionText;  // identification of the connected calculator
    std::string Data;         // bytes of the object last received
    std::function<void(TXModemServer& session, const std::string& text)> OnStatus;
    // Ports whose calculator answered a CRC request with the checksum only: receives there
    // ask for the checksum at once, so the wait of the fallback is paid once per port.
    std::vector<std::string> ChecksumPorts;
    // A receive fell back to the checksum on the port, which ChecksumPorts now holds.
    std::function<void(const std::string& port)> OnChecksumFallback;

    CommLink& Link() { return link_; }
    UiBridge& Ui() { return ui_; }
    CalculatorState& State() { return ui_.State(); }

    // --- command packets and execution -------------------------------------------------
    void SendCommandByte(char letter);
    // Returns once the calculator acknowledged the packet; the sixth rejection raises.
    void SendPacket(const std::string& text);
    // Receives, acknowledges and returns one packet from the calculator.
    std::string ReceivePacket();
    // Returns when the calculator's server answers again after a command (the pulse).
    void WaitReady();
    void Execute(const std::string& command, bool showWorking, bool wait);
    void CheckCancel();
    void SetStatus(const std::string& text);
    // The report callback handed to every transfer thread.
    void ForwardProgress(const std::string& text, int kind, std::int64_t position,
                         std::int64_t maximum, std::int64_t extra);
    // False too once the port itself went away.
    bool IsConnected() const {
        return !PortName.empty() && link_.IsOpen() && link_.LostError() == 0;
    }
    // The port itself went away (unplugged, its far end closed) on the last connection.
    bool PortLost() const { return link_.LostError() != 0; }
    void RequireConnected();
    // UI thread: the port hung up; at rest the session lets it go and says so.
    void PortHungUp(int error);

    // --- connecting and identifying ----------------------------------------------------
    // Returns when connected; raises otherwise. "AUTO" (any case) searches; "" only closes.
    void Connect(const std::string& port);
    void AutoConnect();
    void Disconnect();
    // Opens a port for a manual transfer without talking to the server; false for "AUTO".
    bool OpenForManual(const std::string& port);
    std::string GetSpeed() const;
    void SetSpeed(const std::string& text);
    // Waits for the calculator's first byte while the operator prompt is visible (one pass
    // when it is not); true when a byte came.
    bool WaitFirstByte(std::string& buffer);
    // Raises "Canceled by user" once the user has closed the "Looking for Calculator" window
    // that Connect showed; nothing otherwise. Called in the waits of connecting.
    void CheckConnectCancel();

    // --- directory listing and variable commands -----------------------------------------
    // Replaces the root's children with the calculator's current tree.
    void ReadDirectoryTree(TXPObject& root);
    // Fills `node` from the listing starting at 1-based `cursor`; never reads past the data.
    void ParseListing(TXPObject& node, const std::string& data, std::size_t& cursor);
    void ChangeDir(const std::string& path);
    // Declined when the improper-name question was answered No (nothing is sent).
    Outcome Purge(const std::string& name, bool isDirectory);
    void MakeDir(const std::string& name);
    void MoveVar(const std::string& oldName, const std::string& newName, bool isDirectory);
    std::string FreeMemory();

    // --- getting and putting objects -----------------------------------------------------
    // Done when the object arrived into Data; cancelled or failed as its transfer ended.
    Outcome GetVariable(const std::string& name, const std::string& fileName, int size, int mode);
    // As GetVariable, into the file; declined when the improper-name question was answered No.
    Outcome GetToFile(const std::string& name, const std::string& fileName, int size, int typeCode);
    // As GetToFile, the file's bytes into `file` instead; `shownFile` names the get's window.
    Outcome GetObjectFile(const std::string& name, int size, int typeCode, std::string& file,
                          const std::string& shownFile = "");
    // Runs a script that stores its answer in kScratchVariable, gets the answer into Data and
    // purges the variable; a get that did not arrive leaves it. `fileName` names the get's
    // window, as for GetVariable.
    Outcome RunScratchScript(const std::string& script, bool showWorking = false,
                             const std::string& fileName = "");
    // Declined when the replace question was answered No (a batch goes on); cancelled by the
    // Cancel of the improper-name, wrong-file or replace question, or of the transfer.
    Outcome PutFile(const std::string& name, const std::string& fileName,
                    const std::string& altName, bool askReplace, bool& replaceAll, int fileCount);
    struct SendFileCheck {
        bool ok = false;
        bool isText = false;
    };
    SendFileCheck CheckSendFile(const std::string& fileName);
    bool PutText(const std::string& name, const std::string& fileName);
    static std::string DisplayName(const std::string& name, const std::string& fileName,
                                   const std::string& altName);
    // The improper-name question through the operator prompt; true when the command may go on.
    bool CheckName(const std::string& name);
    // Raises an error that says why when a display-form name cannot stand in a command line
    // (or, with makesVariable, is "HOME"); asks nothing, so no answer lets such a name through.
    void RequireSafeName(const std::string& name, bool makesVariable);
    // RequireSafeName for a name the user gives a new variable or directory, which may also
    // not be one the calculator or this program keeps for itself (a command word, "$$$...").
    void RequireUserName(const std::string& name);

    // --- backup and restore --------------------------------------------------------------
    // Declined when the speed question was answered No.
    Outcome Backup(const std::string& fileName, int size);
    Outcome Restore(const std::string& fileName);

    // --- manual transfers and screen capture ---------------------------------------------
    Outcome ReceiveObject(const std::string& fileName, int size);
    // Cancelled when the user closed the prompt before the calculator asked.
    Outcome SendToXRecv(const std::string& fileName);
    std::string CaptureScreen();
    Outcome SendRom(const std::string& fileName);

    // --- the stack picture ---------------------------------------------------------------
    // At most seven lines "n: text", level 7 (or the deepest) first, level 1 last.
    std::vector<std::string> ReadStackLines();

private:
    // The user's choice, unless the port is one of ChecksumPorts.
    bool ReceiveWithCrc() const;
    // After a receive that asked for the CRC: a calculator that answered with the checksum
    // puts its port into ChecksumPorts, and the user is told once.
    void NoteReceiveMode(bool askedCrc, const TYModemRX& receiver);

    // The protocol's delays: waits at least `ms`; on the UI thread in short slices that let
    // window events run, so a long delay does not freeze the window. Named apart from the
    // free Pause, which blocks outright.
    void ResponsivePause(int ms);
    // Raises when the object in Data does not measure whole or disagrees with its listed size
    // (0: unknown, only measured).
    void RequireWholeObject(const std::string& name, int size);
    // Raises, before anything is sent, when the file is larger than the calculator's free
    // memory, naming `shownFile`; blocks for the free-memory question.
    void RequireRoomFor(const std::string& fileName, const std::string& shownFile);

    CommLink& link_;
    UiBridge& ui_;
    bool lookingShown_ = false;    // Connect showed "Looking for Calculator" and waits
    bool lastReceiveCrc_ = false;  // the last receive's blocks passed a CRC
};

}  // namespace vaddex
