// Getting and putting single objects: "G" and "P" with XModem, and the text forms that the
// calculator itself converts.

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <memory>

#include "link/SentThenFailedError.h"
#include "objects/CalcNames.h"
#include "objects/ClassifyFile.h"
#include "objects/ObjectSize.h"
#include "objects/TextFileForm.h"
#include "objects/TextObjectCheck.h"
#include "session/SessionPaths.h"
#include "session/TXModemServer.h"
#include "session/TransferRun.h"
#include "transfer/TYModemRX.h"
#include "transfer/TYModemTX.h"
#include "util/Errors.h"
#include "util/FileIo.h"
#include "util/ScopeExit.h"
#include "util/Trace.h"

namespace vaddex {
namespace {

// A ".txt" without the text form's header, sent in text mode: a plain text the user wrote,
// which is what text mode sends, not a file of the wrong type.
bool IsPlainTextFile(const FileClass& file, bool textMode) {
    std::string kind = file.kind;
    for (char& c : kind) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return textMode && !file.beginsWithZqzq && kind == "txt";
}

// The eight header bytes of the binary file form in front of every object received.
constexpr int kFileHeaderSize = 8;
// After the wrong-file question, before the next step talks to the calculator.
constexpr int kAfterQuestionPauseMs = 100;

// Turns the object into text on the calculator: flags -17, -18, -51 and IOPAR's translation
// setting in front, then the object's text, stored in $$$t (0x8D is the arrow).
std::string TextGetScript(const std::string& name) {
    return "RCLF 64 STWS STD -17 FS? -18 FS? -51 FS? IOPAR 6 GET 4 \x8DLIST \x8DSTR '" + name +
           "' RCL \x8DSTR + '$$$t' STO STOF";
}

// What the calculator runs when OBJ\x8D cannot parse a text: "Syntax Error" for 5 seconds.
std::string SyntaxErrorScript(const std::string& series) {
    std::string beep = series == "K8" ? "#26067h SYSEVAL " : "#141E5h SYSEVAL ";
    return beep + "CLLCD \"Syntax Error\" 4 DISP 5 WAIT ";
}

// Parses the text with OBJ\x8D and stores the one object it makes under the name. The user's
// stack is kept aside in a list meanwhile, so that whatever a failed parse leaves (the text,
// pieces of it, the name and the saved flags) goes and the stack is as it was, also when the
// text makes no object or several.
std::string TextPutScript(const std::string& name, const std::string& modes,
                          const std::string& objText, const std::string& err) {
    // Above the stack's list, the name and the saved flags: what the parse left, as a list.
    const std::string collect = "DEPTH 3 - \x8DLIST ";
    const std::string restoreStack = "LIST\x8D DROP ";
    return "DEPTH \x8DLIST '" + name + "' RCLF " + modes + "-55 CF " + objText +
           "IFERR OBJ\x8D THEN " + collect + "DROP STOF DROP " + restoreStack + err + "ELSE " +
           collect + "SWAP STOF IF DUP SIZE 1 == THEN 1 GET " + "OVER IFERR PURGE THEN PGDIR END " +
           "SWAP STO " + restoreStack + "ELSE DROP DROP " + restoreStack + err + "END END ";
}

ParsedTextFile ReadTextFile(const std::string& fileName) {
    std::string content;
    int error = 0;
    if (!ReadWholeFile(fileName, content, &error)) {
        RaiseError("Unable to open file " + fileName + " " + std::to_string(error),
                   ErrorKind::FileError);
    }
    return ParseTextFile(content);
}

// OBJ\x8D runs every word of the text that stands outside an object: a text is sent only when
// it is one object. An empty body is left to the "not a valid text" warning.
void RequireOneObject(const std::string& name, const ParsedTextFile& parsed) {
    if (parsed.body.empty()) {
        return;
    }
    char mark = parsed.fraction == "-51 SF " ? ',' : parsed.fraction == "-51 CF " ? '.' : '\0';
    TextObjectCheck check(parsed.objectText, mark);
    if (!check.IsOneObject()) {
        RaiseError(name + ": not sent: the text is not one object; " + check.Problem());
    }
}

// Bytes of the free-memory answer that are digits; -1 when it holds none.
long long FreeBytes(const std::string& text) {
    long long value = -1;
    for (char c : text) {
        if (c < '0' || c > '9') {
            break;
        }
        value = (value < 0 ? 0 : value * 10) + (c - '0');
    }
    return value;
}

}  // namespace

std::string TXModemServer::DisplayName(const std::string& name, const std::string& fileName,
                                       const std::string& altName) {
    std::string shown = FileNameOf(!altName.empty()    ? altName
                                   : !fileName.empty() ? fileName
                                                       : name);
    for (const std::string ext : {".zq", ".txt"}) {
        if (shown.size() >= ext.size() &&
            shown.compare(shown.size() - ext.size(), ext.size(), ext) == 0) {
            return shown.substr(0, shown.size() - ext.size());
        }
    }
    return shown;
}

bool TXModemServer::ReceiveWithCrc() const {
    return ui_.State().transfer.receiveCRC &&
           std::find(ChecksumPorts.begin(), ChecksumPorts.end(), PortName) == ChecksumPorts.end();
}

void TXModemServer::NoteReceiveMode(bool askedCrc, const TYModemRX& receiver) {
    lastReceiveCrc_ = receiver.Mode() != CheckMode::kChecksum;
    Trace(lastReceiveCrc_ ? "Received with a CRC" : "Received with the checksum");
    if (!askedCrc || lastReceiveCrc_ || PortName.empty()) {
        return;
    }
    ChecksumPorts.push_back(PortName);
    Trace("The calculator on " + PortName + " answered the CRC request with the checksum");
    ui_.ShowMessage("Receive with Checksum",
                    "The calculator on " + PortName +
                        " answered only with the one-byte checksum, which may let damaged "
                        "data pass.\r\nReceives on this port now ask for the checksum at once.");
    if (OnChecksumFallback) {
        OnChecksumFallback(PortName);
    }
}

Outcome TXModemServer::GetVariable(const std::string& name, const std::string& fileName, int size,
                                   int mode) {
    RequireConnected();
    Data.clear();
    SendCommandByte('G');
    SendPacket(name);
    std::string display = DisplayName(name, fileName, "");
    SetStatus("Copying " + display);
    std::int64_t expected = size != 0 ? static_cast<std::int64_t>(size) + kFileHeaderSize : 0;
    ResponsivePause(link_.Timing().RxStartDelay);

    // The receiver deletes the file it is named after when it fails; the user's file is the
    // writer's to keep or replace, so the receiver gets no name.
    Trace("Receive for " + fileName);
    bool askCrc = ReceiveWithCrc();
    auto receiver = std::make_unique<TYModemRX>(link_, "", expected, SessionReports(*this), askCrc);
    bool success = false;
    // Data is set however the operation ends, also while an error is on its way out.
    ScopeExit keepData([&] {
        if (success && mode == 0) {
            const std::string& received = receiver->ReceivedData();
            Data =
                expected != 0 ? received.substr(0, static_cast<std::size_t>(expected)) : received;
        } else {
            Data.clear();
        }
    });
    ModalResult answer = RunTransfer(ui_, *receiver, "Copying " + display);
    ResponsivePause(link_.Timing().RxEndDelay);
    success = receiver->Success();
    if (success) {
        NoteReceiveMode(askCrc, *receiver);
        Execute("", true, true);
    } else {
        ui_.SetConnected(false);
    }
    SetStatus("");
    return TransferOutcome(answer, success);
}

Outcome TXModemServer::RunScratchScript(const std::string& script, bool showWorking,
                                        const std::string& fileName) {
    Execute(script, showWorking, true);
    Outcome got = GetVariable(kScratchVariable, fileName, 0, 0);
    if (got) {
        Purge(kScratchVariable, false);
    }
    return got;
}

Outcome TXModemServer::GetToFile(const std::string& name, const std::string& fileName, int size,
                                 int typeCode) {
    std::string file;
    Outcome got = GetObjectFile(name, size, typeCode, file, fileName);
    if (got) {
        WriteUserFile(fileName, file);
    }
    return got;
}

Outcome TXModemServer::GetObjectFile(const std::string& name, int size, int typeCode,
                                     std::string& file, const std::string& shownFile) {
    file.clear();
    std::string calcName = CalcNameToPc(PcNameToCalc(name, true), false);
    CalculatorState& state = State();
    if (state.textMode) {
        RequireSafeName(calcName, false);  // it stands in the text script
    }
    if (!CheckName(calcName)) {
        return Outcome::Declined(calcName + ": its improper name was declined");
    }
    if (state.textMode && calcName.find("HOME") != std::string::npos) {
        return Outcome::Fail(Outcome::Kind::BadName,
                             calcName + ": a name with HOME has no text form");
    }
    RequireConnected();

    if (!state.textMode) {
        if (Outcome got = GetVariable(calcName, shownFile, size, 0); !got) {
            return got;
        }
        if (!lastReceiveCrc_) {
            RequireWholeObject(calcName, size);
        }
        file = Data;
        return Outcome::Done();
    }

    if (Outcome got = RunScratchScript(TextGetScript(calcName), true, shownFile); !got) {
        return got;
    }
    TextFileResult text = MakeTextFile(Data, typeCode - 9, state.transfer.transIO,
                                       state.transfer.trans031, state.transfer.addCR);
    if (!text.success) {
        Trace("Text form of " + calcName + " failed: " + text.message);
        SetStatus("");
        RaiseError("the text of " + calcName + " did not arrive whole (" + text.message +
                       "); nothing was written",
                   ErrorKind::LinkFailed);
    }
    file = std::move(text.text);
    return Outcome::Done();
}

// The one-byte checksum lets two damaged bytes of a block cancel: without a CRC the object
// must at least measure whole and match its listed size before it may become a file.
void TXModemServer::RequireWholeObject(const std::string& name, int size) {
    std::string measured = Data;
    ObjectSizeResult sized = ObjectSize(measured);
    if (!sized.success) {
        RaiseError(name + " arrived damaged or incomplete: its object cannot be measured (" +
                       sized.message + "); nothing was written",
                   ErrorKind::LinkFailed);
    }
    std::size_t listed = static_cast<std::size_t>(size) + kFileHeaderSize;
    if (size > 0 && measured.size() != listed) {
        RaiseError(name + " did not arrive as listed: it measures " +
                       std::to_string(measured.size()) + " bytes where the listing gives " +
                       std::to_string(listed) + "; nothing was written",
                   ErrorKind::LinkFailed);
    }
}

TXModemServer::SendFileCheck TXModemServer::CheckSendFile(const std::string& fileName) {
    SendFileCheck check;
    FileClass file = ClassifyFile(fileName, State().series);
    if (file.form == FileForm::Binary) {
        check.ok = true;
    } else if (file.form == FileForm::Text || IsPlainTextFile(file, State().textMode)) {
        check.ok = true;
        check.isText = true;
    } else {
        ui_.Beep();
        int choice = ui_.AskWrongFile(fileName, file.kind, !file.beginsWithZqzq);
        if (choice == kWrongFileText) {
            check.ok = true;
            check.isText = true;
        } else if (choice == kWrongFileBinary || choice == static_cast<int>(ModalResult::OK)) {
            check.ok = true;
        }
        ui_.ProcessEvents();
        ResponsivePause(kAfterQuestionPauseMs);
    }
    return check;
}

Outcome TXModemServer::PutFile(const std::string& name, const std::string& fileName,
                               const std::string& altName, bool askReplace, bool& replaceAll,
                               int fileCount) {
    RequireConnected();
    RequireSafeName(name, true);
    // The Cancel of these questions ends a batch, so it is no decline.
    if (!CheckName(name)) {
        return Outcome::Cancelled();
    }
    SendFileCheck check = CheckSendFile(fileName);
    if (!check.ok) {
        return Outcome::Cancelled();
    }
    if (check.isText) {
        RequireOneObject(name, ReadTextFile(fileName));  // before the replace question
    }
    if (askReplace && !replaceAll && (check.isText || State().OverwriteFlag())) {
        ModalResult answer = ui_.AskReplace(name, fileCount);
        if (answer == ModalResult::No) {
            return Outcome::Declined(name + ": not replaced");
        }
        if (answer == ModalResult::All) {
            replaceAll = true;
        } else if (answer != ModalResult::Yes) {
            return Outcome::Cancelled();  // Cancel, or the window closed without an answer
        }
    }

    if (check.isText) {
        bool result = PutText(name, fileName);
        if (!result) {
            ui_.Beep();
            ui_.ShowMessage("Warning", name + "\r\n\r\nis not a valid text" +
                                           " file and cannot be properly sent.\r\n");
            ui_.ProcessEvents();
            ResponsivePause(kAfterQuestionPauseMs);
        }
        return Outcome::DoneOr(result, Outcome::Kind::Refused, name + ": not a valid text file");
    }

    // Named as the user knows it: a long text goes through a temporary file.
    RequireRoomFor(fileName, altName.empty() ? fileName : altName);
    SetStatus("Sending PUT command");
    SendCommandByte('P');
    SendPacket(name);
    std::string display = DisplayName(name, fileName, altName);
    SetStatus("Copying " + display);
    auto sender = std::make_unique<TYModemTX>(link_, fileName, false, '\0', SessionReports(*this));
    ModalResult answer = RunTransfer(ui_, *sender, "Copying " + display);
    bool result = sender->Success();
    ResponsivePause(link_.Timing().TxEndDelay);
    if (result) {
        try {
            Execute("", true, true);
        } catch (const ConnectionError& e) {
            // Every block and the end were acknowledged: the calculator holds the object.
            throw SentThenFailedError(name, e.what(), true);
        }
    } else {
        ui_.SetConnected(false);
    }
    SetStatus("");
    return TransferOutcome(answer, result);
}

void TXModemServer::RequireRoomFor(const std::string& fileName, const std::string& shownFile) {
    struct stat st {};
    if (::stat(fileName.c_str(), &st) != 0) {
        RaiseError("Unable to open file " + fileName + " " + std::to_string(errno),
                   ErrorKind::FileError);
    }
    long long size = static_cast<long long>(st.st_size);
    long long free = FreeBytes(FreeMemory());
    if (free >= 0 && size > free) {
        RaiseError(FileNameOf(shownFile) + " holds " + std::to_string(size) +
                       " bytes but the calculator has only " + std::to_string(free) +
                       " bytes free; nothing was sent",
                   ErrorKind::NoRoom);
    }
}

bool TXModemServer::PutText(const std::string& name, const std::string& fileName) {
    RequireSafeName(name, true);
    const std::string& series = State().series;
    std::string err = SyntaxErrorScript(series);
    ParsedTextFile parsed = ReadTextFile(fileName);
    if (parsed.body.empty()) {
        return false;
    }
    RequireOneObject(name, parsed);
    std::string modes = parsed.angle + parsed.fraction;

    std::string objText;
    if (parsed.stringMode) {
        objText = parsed.literal + " ";
    } else {
        std::string tempFile = LongTextTempPath(PortName);
        std::string wrapped = WrapAsStringObject(parsed.body, series);
        int error = 0;
        if (!WriteWholeFile(tempFile, wrapped, &error)) {
            RaiseError("Unable to open file " + tempFile + " " + std::to_string(error),
                       ErrorKind::FileError);
        }
        ScopeExit removeTemp([&] { DeleteFileIfExists(tempFile); });
        Purge("$$$a", false);
        bool replaceAll = true;
        // The script below would parse whatever $$$a then held: a text that did not arrive
        // must not be reported as sent.
        if (!PutFile("$$$a", tempFile, fileName, false, replaceAll, 1)) {
            link_.RaiseConnectionError();
        }
        objText = "$$$a '$$$a' PURGE ";
    }

    Execute(TextPutScript(name, modes, objText, err), true, true);
    ResponsivePause(link_.Timing().TxEndDelay);
    SetStatus("");
    return true;
}

}  // namespace vaddex
