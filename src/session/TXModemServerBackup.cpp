// Backup and restore of the whole calculator memory through the archive program.

#include <charconv>
#include <exception>
#include <string>

#include "link/SentThenFailedError.h"
#include "session/SessionPaths.h"
#include "session/TXModemServer.h"
#include "util/FileIo.h"
#include "util/ScopeExit.h"
#include "util/Trace.h"

namespace vaddex {
namespace {

// Archives arrive in whole 128-byte blocks at least.
constexpr int kArchiveBlock = 128;

// Moves the archive program from $$$r onto the stack, leaves in HOME a program fLaG that
// restores the current flags and purges itself, puts the flags under the archive program,
// sets flag -55, collects garbage and makes the program a fresh object. 157 bytes; 0x8D is
// the arrow, 0xAB and 0xBB the program delimiters.
constexpr const char* kBackupPrepareScript =
    "'fLaG' PURGE '$$$r' DUP RCL SWAP PURGE HOME \" \xAB 'fLaG' PURGE \" RCLF DUP 64 STWS "
    "\x8DSTR SWAP STOF + \" STOF \xBB\" + STR\x8D 'fLaG' STO RCLF -55 SF SWAP MEM DROP NEWOB ";

int SpeedNumber(const std::string& text) {
    int speed = 0;
    std::from_chars(text.data(), text.data() + text.size(), speed);
    return speed;
}

}  // namespace

Outcome TXModemServer::Backup(const std::string& fileName, int size) {
    CalculatorState& state = State();
    const int captureSpeed = state.captureSpeed;
    if (captureSpeed != 0) {
        ui_.Beep();
        std::string question = "Backup requires that the ZQ" + state.modelName +
                               " operate at \r\n" + std::to_string(captureSpeed) +
                               " baud  (see IOPAR in VAR).\r\n\r\n" +
                               "May I change the speed temporarily for the backup operation?";
        if (!ui_.ShowTextPrompt(question, "Set the Calculator")) {
            return Outcome::Declined("the speed was not changed for the backup");
        }
    }
    int expected = size > 0 ? (size + kArchiveBlock - 1) / kArchiveBlock * kArchiveBlock : 0;

    SetStatus("send archive program");
    ChangeDir("");
    bool replaceAll = false;
    // Without the archive program in $$$r the scripts below would evaluate whatever lies on
    // the calculator's stack and store it as the flags.
    if (Outcome sent = PutFile("$$$r", ArchiveProgramPath(state.series), "", false, replaceAll, 1);
        !sent) {
        return sent;
    }
    Execute(kBackupPrepareScript, true, true);
    SetStatus("Get backup data from device");
    Execute("EVAL STOF", false, false);

    Outcome received;
    {
        // The line goes back to the user's speed however the transfer ends.
        ScopeExit restoreSpeed([&] {
            if (captureSpeed != 0 && link_.IsOpen()) {
                try {
                    link_.ChangeSpeed(SpeedNumber(Speed));
                } catch (const std::exception& e) {
                    // The transfer's own error is the one the user must see.
                    Trace(std::string("Backup: the speed was not changed back: ") + e.what());
                } catch (...) {
                    Trace("Backup: the speed was not changed back");
                }
            }
        });
        if (captureSpeed != 0) {
            link_.ChangeSpeed(captureSpeed);
        }
        ResponsivePause(link_.Timing().SpeedChangeDelay);
        received = ReceiveObject(fileName, expected);
        restoreSpeed.Dismiss();
        if (captureSpeed != 0) {
            link_.ChangeSpeed(SpeedNumber(Speed));
        }
    }
    if (received) {
        Execute("", true, true);
        Execute("'fLaG' PURGE ", true, true);
    }
    return received;
}

Outcome TXModemServer::Restore(const std::string& fileName) {
    ScopeExit notBusy([&] { ui_.SetBusy(false); });
    Purge(kScratchVariable, false);
    bool replaceAll = false;
    std::string archive = "the archive " + FileNameOf(fileName);
    Outcome sent;
    try {
        sent = PutFile(kScratchVariable, fileName, "", false, replaceAll, 1);
    } catch (const SentThenFailedError& e) {
        throw SentThenFailedError(archive, e.Reason());  // named as the user knows it
    }
    if (sent) {
        ui_.SetBusy(true);
        ui_.ClearCancel();
        try {
            WaitReady();
            SetStatus("Restoring from " + FileNameOf(fileName));
            Execute("$$$t '$$$t' PURGE RESTORE", false, false);
        } catch (const ConnectionError& e) {
            throw SentThenFailedError(archive, e.what());
        }
    }
    return sent;
}

}  // namespace vaddex
