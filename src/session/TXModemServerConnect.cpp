#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "link/PortGoneError.h"
#include "link/PortInUseError.h"
#include "link/ReadCancelledError.h"
#include "objects/TextFileForm.h"
#include "session/Outcome.h"
#include "session/TXModemServer.h"
#include "util/Errors.h"
#include "util/ScopeExit.h"
#include "util/Trace.h"

namespace vaddex {
namespace {

constexpr char kKermitStart = 0x01;
constexpr const char* kWrongServerCaption = "Wrong Server";
constexpr const char* kWrongServerText =
    "Calculator is using the Kermit Server.\n\r\n\rStop the calculator.\n\rBe sure to release "
    "the right-shift before pressing right-arrow.";
constexpr const char* kUnableToOpenText = "The Vaddex is unable to open communications to: ";
constexpr const char* kNoDeviceDetectedText =
    "No device detected. Check the cable connections and the calculator.";
constexpr const char* kComSettingCaption = "Com Setting Error";
constexpr const char* kComSettingText = "Com port cannot be auto for this operation";
constexpr const char* kUsbSpeedText = "130000";
// The wait for the calculator's first byte: a pause, then a short read, per pass.
constexpr int kFirstBytePollMs = 100;
constexpr int kFirstByteReadWaitMs = 500;

// The identification script: the states of flags -36 and -51 as a listed text, then the first
// VERSION text, stored in $$$t (0x8D is the calculator's arrow).
constexpr const char* kIdentifyScript =
    "-36 FS? -51 FS? 2 \x8DLIST \x8DSTR VERSION DROP + '$$$t' STO";

// Profiles chosen after identification.
constexpr int kSecondSeriesProfile = 0;
constexpr int kFirstSeriesSlowProfile = 1;
constexpr int kFirstSeriesFastProfile = 2;
constexpr int kSlowSpeedLimit = 9600;
// Above this a second-series calculator on a serial line without "#1.1" is a K7GII.
constexpr int kK7GIISpeedFloor = 16000;

// Bytes of the identification reply: the 8-byte file header, the string's prolog and length
// field, then its characters.
constexpr std::size_t kReplyTextStart = 13;
constexpr std::size_t kFlagListLength = 20;
constexpr std::size_t kFlagCount = 2;

// How far a connect got before it failed: its message tells the user which of them it was.
enum class ConnectStage { Opening, Opened, Kermit, Answered };

// The text inside "Error (...)", or the whole message of any other error.
std::string ReasonOf(const std::string& message) {
    const std::string kWrap = "Error (";
    if (message.rfind(kWrap, 0) == 0 && message.size() > kWrap.size() && message.back() == ')') {
        return message.substr(kWrap.size(), message.size() - kWrap.size() - 1);
    }
    return message == kConnectionErrorText ? std::string() : message;
}

// Why a port did not open, when the link says more than that the connection failed.
std::string OpenFailureReason(const std::string& message) {
    return ReasonOf(message);
}

std::string ConnectFailureText(ConnectStage stage, const std::string& port,
                               const std::string& message) {
    switch (stage) {
        case ConnectStage::Opening: {
            std::string reason = OpenFailureReason(message);
            return kUnableToOpenText + port + (reason.empty() ? "" : " (" + reason + ")");
        }
        case ConnectStage::Opened:
            return "no calculator answered on " + port;
        case ConnectStage::Kermit:
            return "the calculator on " + port + " runs its Kermit server, not the XModem server";
        case ConnectStage::Answered:
            break;
    }
    std::string reason = ReasonOf(message);
    return "the calculator on " + port + " answered but could not be identified" +
           (reason.empty() ? "" : " (" + reason + ")");
}

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

bool IsAuto(const std::string& port) {
    return Upper(port) == "AUTO";
}

// Port names are kept as the user gave them (device paths are case-sensitive); only these
// tests ignore case.
bool ContainsNoCase(const std::string& text, const std::string& part) {
    return Upper(text).find(Upper(part)) != std::string::npos;
}

// The whole text as a decimal number; throws when it is none, so a bad speed fails the open.
int ParseSpeed(const std::string& text) {
    int value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        RaiseError("Speed is not a number: " + text);
    }
    return value;
}

unsigned Byte(const std::string& bytes, std::size_t index) {
    return static_cast<unsigned char>(bytes[index]);
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t begin = 0;
    while (begin < text.size()) {
        std::size_t end = text.find('\n', begin);
        if (end == std::string::npos) {
            end = text.size();
        }
        lines.push_back(text.substr(begin, end - begin));
        begin = end + 1;
    }
    return lines;
}

// Steps 13 to 19 of identifying: series, flags, model, ROM version, timing and capture speed
// from the reply in $$$t.
void ApplyIdentification(TXModemServer& session, std::string reply) {
    CommLink& link = session.Link();
    UiBridge& ui = session.Ui();
    if (reply.size() < kReplyTextStart) {
        // Too short to hold a string object: nothing identifies the calculator.
        Trace("Identification reply too short: " + std::to_string(reply.size()) + " bytes");
        link.RaiseConnectionError();
    }
    CalculatorState& state = session.State();
    ui.SetSeries(reply.substr(4, 2));
    state.calculatorFlags =
        VersionDigits(reply.substr(kReplyTextStart, kFlagListLength), kFlagCount);
    bool usb = link.Kind() == kLinkUsb;
    if (ContainsNoCase(session.PortName, "ZQx8G+")) {
        ui.SetModel("K8G+");
    }
    if (state.series == "K8" && reply.find("#1.1") == std::string::npos && !usb &&
        ParseSpeed(session.GetSpeed()) > kK7GIISpeedFloor) {
        ui.SetModel("K7GII");
    }
    if (reply.rfind("ZQZQK7", 0) == 0) {
        // The first three nibbles of the length field: the high half of byte 11, then byte 12.
        long length =
            (Byte(reply, 10) >> 4) + 16 * (Byte(reply, 11) & 0x0F) + 256 * (Byte(reply, 11) >> 4);
        long cut = static_cast<long>(kReplyTextStart) + (length - 5) / 2;
        if (cut >= 0 && static_cast<std::size_t>(cut) < reply.size()) {
            reply.resize(static_cast<std::size_t>(cut));
        }
        std::size_t revision = reply.find("Revision #");
        state.romVersion =
            revision == std::string::npos ? std::string() : reply.substr(revision + 10);
        Trace("Version info = " + state.romVersion);
        if (!usb) {
            link.CopyProfile(ParseSpeed(session.GetSpeed()) <= kSlowSpeedLimit
                                 ? kFirstSeriesSlowProfile
                                 : kFirstSeriesFastProfile);
        }
    } else {
        state.romVersion = reply.substr(7, 1);
        link.CopyProfile(kSecondSeriesProfile);
    }
    state.captureSpeed = 0;
    if (!usb) {
        if (state.modelName == "K7GII") {
            state.captureSpeed = session.Speed == "115200" ? 0 : 115200;
        } else {
            state.captureSpeed = session.Speed == "9600" ? 0 : 9600;
        }
    }
}

}  // namespace

void TXModemServer::Connect(const std::string& port) {
    link_.ClosePort();
    PortName = port;
    if (IsAuto(PortName)) {
        AutoConnect();
        return;
    }
    if (PortName.empty() || Speed.empty()) {
        return;
    }
    ConnectStage stage = ConnectStage::Opening;
    ScopeExit notLooking([this] { lookingShown_ = false; });
    auto closeAll = [&] {
        lookingShown_ = false;
        link_.ClosePort();
        PortName.clear();
        SetStatus("");
        ui_.CloseConnectStatus();
    };
    try {
        ui_.ClearCancel();
        link_.OpenPort(PortName, ParseSpeed(Speed));
        stage = ConnectStage::Opened;
        std::string first(1, '\0');
        WaitFirstByte(first);
        char hex[8];
        std::snprintf(hex, sizeof hex, "%02X", Byte(first, 0));
        Trace(std::string("First = ") + hex);
        if (first[0] == kKermitStart) {
            stage = ConnectStage::Kermit;
            ui_.ShowMessage(kWrongServerCaption, kWrongServerText);
            ui_.SetConnected(false);
            link_.RaiseConnectionError();
        }
        link_.ClearInput();
        ui_.ShowConnectStatus();
        lookingShown_ = true;
        ui_.ProcessEvents();
        CheckConnectCancel();
        SetStatus("Begin dialog on port: " + PortName);
        Trace("Serial speed = " + Speed);
        SendCommandByte('V');
        link_.SetShortTimeouts();
        VersionText = ReceivePacket();
        stage = ConnectStage::Answered;
        link_.SetLongTimeouts();
        CheckConnectCancel();
        ui_.SetSeries("");
        State().romVersion.clear();
        SetStatus("Device connected on " + PortName);
        Execute(kIdentifyScript, true, true);
        CheckConnectCancel();
        if (!GetVariable("$$$t", "", 0, 0)) {
            link_.RaiseConnectionError();
        }
        ApplyIdentification(*this, Data);
        Purge("$$$t", false);
        VersionText += "   ROM: " + State().romVersion;
        lookingShown_ = false;
        ui_.CloseConnectStatus();
    } catch (const CancelledError&) {
        Trace("Connect canceled by the user");
        closeAll();
        throw;
    } catch (const ReadCancelledError&) {
        // Ctrl-C, or a Cancel while a read waited: no other port is tried either.
        Trace("Connect canceled by the user during a read");
        closeAll();
        throw CancelledError();
    } catch (const std::exception& e) {
        Trace(std::string("Connect failed: ") + e.what());
        int lost = link_.LostError();
        closeAll();
        if (dynamic_cast<const PortInUseError*>(&e) || dynamic_cast<const PortGoneError*>(&e)) {
            throw;  // its own text says why, where "unable to open" would not
        }
        if (lost != 0) {
            throw PortGoneError(port, lost);  // it went while the calculator was identified
        }
        RaiseError(ConnectFailureText(stage, port, e.what()), stage == ConnectStage::Opening
                                                                  ? ErrorKind::PortUnavailable
                                                                  : ErrorKind::NoCalculator);
    }
}

void TXModemServer::CheckConnectCancel() {
    if (lookingShown_ && !ui_.IsConnectStatusVisible()) {
        lookingShown_ = false;
        throw CancelledError();
    }
}

void TXModemServer::AutoConnect() {
    link_.SetPortListSeparator("\n");
    std::vector<std::string> lines = SplitLines(link_.ListPorts());
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line.empty() || IsAuto(line)) {
            continue;  // trying "Auto" again would start the search over for ever
        }
        SetStatus("Trying " + line);
        ui_.SetConnected(true);
        try {
            Connect(line);
            return;
        } catch (const CancelledError&) {
            // The user ended the search: no further port is tried.
            PortName.clear();
            ui_.SetConnected(false);
            SetStatus("");
            throw;
        } catch (const std::exception& e) {
            Trace(std::string("AutoConnect: ") + line + ": " + e.what());
        }
    }
    PortName.clear();
    ui_.SetConnected(false);
    SetStatus(kNoDeviceDetectedText);
    RaiseError(kNoDeviceDetectedText, ErrorKind::NoCalculator);
}

void TXModemServer::Disconnect() {
    try {
        SendCommandByte('Q');
    } catch (...) {
        // The port is closed whether or not the calculator heard the letter.
        link_.ClosePort();
        ui_.SetConnected(false);
        throw;
    }
    link_.ClosePort();
    ui_.SetConnected(false);
}

bool TXModemServer::OpenForManual(const std::string& port) {
    link_.ClosePort();
    PortName = port;
    if (IsAuto(PortName)) {
        ui_.ShowMessage(kComSettingCaption, kComSettingText);
        return false;
    }
    if (PortName.empty() || Speed.empty()) {
        return true;
    }
    try {
        SetStatus("Opening Comm " + PortName);
        link_.OpenPort(PortName, ParseSpeed(Speed));
        link_.ClearInput();
        SetStatus("Device connected on " + PortName);
        return true;
    } catch (const std::exception& e) {
        Trace(std::string("OpenForManual failed: ") + e.what());
        link_.ClosePort();  // whatever handles the failed open obtained
        PortName.clear();
        SetStatus("");
        RaiseError(ConnectFailureText(ConnectStage::Opening, port, e.what()),
                   ErrorKind::PortUnavailable);
    }
}

std::string TXModemServer::GetSpeed() const {
    return link_.Kind() == kLinkUsb ? kUsbSpeedText : Speed;
}

void TXModemServer::SetSpeed(const std::string& text) {
    if (Speed != text) {
        Speed = text;
    }
}

bool TXModemServer::WaitFirstByte(std::string& buffer) {
    buffer.assign(1, '\0');
    link_.SetShortTimeouts();
    do {
        ui_.ProcessEvents();
        ResponsivePause(kFirstBytePollMs);
        try {
            if (link_.ReadComm(buffer, kFirstByteReadWaitMs) > 0) {
                link_.SetLongTimeouts();
                return true;
            }
        } catch (const LinkError& e) {
            Trace(std::string("WaitFirstByte: read failed: ") + e.what());
        }
    } while (ui_.IsPromptVisible());
    buffer.assign(1, '\0');
    link_.SetLongTimeouts();
    return false;
}

}  // namespace vaddex
