#include <cstdio>
#include <string>

#include "objects/CalcNames.h"
#include "session/TXModemServer.h"
#include "util/Errors.h"
#include "util/ScopeExit.h"
#include "util/Ticks.h"
#include "util/Trace.h"

namespace vaddex {
namespace {

constexpr char kAck = 0x06;
constexpr char kNak = 0x15;
constexpr char kCan = 0x18;
// The run that ends an XModem transfer at either end.
constexpr std::size_t kCanRun = 3;
// A wait of the pulse this long without an answer is shown to the user, and again each time
// it has doubled.
constexpr std::int64_t kFirstWaitNoticeMs = 10000;
// A command packet's length field is two bytes.
constexpr std::size_t kMaxPacketData = 65535;
// Writes of a rejected packet, and reads of a bad answer packet, before the link is given up.
constexpr int kPacketTries = 5;
// Reads of a length byte that may find the line silent within one attempt.
constexpr int kLengthByteMisses = 4;
// The longest silence one read of a packet waits out.
constexpr int kPacketReadWaitMs = 2500;
// Poll intervals of the waiting loop, by link kind.
constexpr std::int64_t kSerialPollMs = 210;
constexpr std::int64_t kUsbPollMs = 170;
// How much later the time limit starts while the "Calculator is Working" window is up.
constexpr std::int64_t kWorkingWindowGraceMs = 1000000;

std::string Hex2(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02X", value & 0xFFu);
    return text;
}

unsigned char Checksum(const std::string& data) {
    unsigned sum = 0;
    for (char c : data) {
        sum += static_cast<unsigned char>(c);
    }
    return static_cast<unsigned char>(sum & 0xFFu);
}

unsigned Byte(const std::string& bytes, std::size_t index) {
    return static_cast<unsigned char>(bytes[index]);
}

std::string NoAnswerText(int attempt) {
    return "No answer from the calculator (try " + std::to_string(attempt) + " of " +
           std::to_string(kPacketTries + 1) + ")...";
}

// The waiting loop: polls the busy calculator with "M" until its server answers, then
// swallows the answers. A calculator that answers with a damaged packet waits for the PC's
// verdict on it and hears only polls: it gets a NAK, as any bad packet does, and sends the
// answer again. One that stays silent past the usual limit (only the "Calculator is Working"
// window keeps the wait going) may have taken a damaged letter for a transfer and wait for
// its other end: a CAN run ends such a transfer, and its CANs in answer show that the
// command was not run.
class Pulse {
public:
    Pulse(TXModemServer& session, std::int64_t start, std::int64_t limitBase)
        : session_(session),
          link_(session.Link()),
          start_(start),
          nextPoll_(start),
          limitBase_(limitBase),
          nextCancelRun_(start + link_.Timing().PulseTimeLimit),
          nextNotice_(start + kFirstWaitNoticeMs) {}

    void OverSerial() {
        link_.SetShortTimeouts();
        std::string reply(2, '\0');
        for (bool first = true;; first = false) {
            if (!first) {
                reply.assign(2, '\0');
                link_.ReadComm(reply, kPacketReadWaitMs);
                if (reply != std::string(2, '\0')) {
                    if (reply[0] == '\0') {
                        break;  // the high length byte of an answer packet has come
                    }
                    RejectDamaged(reply);
                }
            }
            PollAndCheck(kSerialPollMs);
        }
        std::size_t n = Byte(reply, 1);
        std::string rest(n + 1, '\0');
        link_.ReadComm(rest, kPacketReadWaitMs);
        link_.WritePort(std::string(1, kAck));
        // The polls sent during the wait may have produced further answers of the same length.
        for (int extra = 0; extra < 2; ++extra) {
            std::string answer(n + 3, '\0');
            link_.ReadComm(answer, kPacketReadWaitMs);
            link_.WritePort(std::string(1, kAck));
        }
        link_.SetLongTimeouts();
    }

    void OverUsb() {
        link_.RestartSilence();
        std::string reply(2, '\0');
        for (bool first = true;; first = false) {
            if (!first) {
                link_.SafeRd();
                if (link_.HasBufferedBytes()) {
                    reply.assign(2, '\0');
                    link_.ReadComm(reply, kPacketReadWaitMs);
                    if (reply[0] == '\0') {
                        break;
                    }
                    RejectDamaged(reply);
                }
            }
            PollAndCheck(kUsbPollMs);
        }
        std::string rest(Byte(reply, 1) + 1, '\0');
        link_.ReadComm(rest, kPacketReadWaitMs);
        link_.WritePort(std::string(1, kAck));
        do {
            link_.SafeRd();
            link_.WritePort(std::string(1, kAck));
        } while (link_.HasBufferedBytes());
        link_.DropBufferedBytes();
    }

    // True when the calculator answered the CAN run with CANs of its own: it had been in a
    // transfer, not running the command.
    bool EndedATransfer() const { return endedTransfer_; }

private:
    void RejectDamaged(const std::string& reply) {
        if (cancelRunSent_ && reply.find(kCan) != std::string::npos) {
            endedTransfer_ = true;
        }
        Trace("Pulse: damaged answer 0x" + Hex2(Byte(reply, 0)) + ", NAK");
        link_.ClearInput();
        link_.WritePort(std::string(1, kNak));
    }

    void PollAndCheck(std::int64_t interval) {
        std::int64_t now = TickMs();
        if (now >= nextPoll_) {
            nextPoll_ += interval;
            session_.SendCommandByte('M');
        }
        if (now >= nextCancelRun_) {
            nextCancelRun_ += link_.Timing().PulseTimeLimit;
            cancelRunSent_ = true;
            Trace("Pulse: no answer, CAN run");
            link_.WritePort(std::string(kCanRun, kCan));
        }
        if (now >= nextNotice_) {
            session_.Ui().ShowWaitNotice("Waiting for the calculator to answer (" +
                                         std::to_string((now - start_) / 1000) + " s)...");
            nextNotice_ = start_ + 2 * (now - start_);
        }
        session_.CheckCancel();
        if (TickMs() - limitBase_ > link_.Timing().PulseTimeLimit) {
            link_.RaiseConnectionError();
        }
    }

    TXModemServer& session_;
    CommLink& link_;
    std::int64_t start_;
    std::int64_t nextPoll_;
    std::int64_t limitBase_;
    std::int64_t nextCancelRun_;
    std::int64_t nextNotice_;
    bool cancelRunSent_ = false;
    bool endedTransfer_ = false;
};

}  // namespace

void TXModemServer::SendCommandByte(char letter) {
    Trace(std::string("send command = ") + letter);
    link_.WritePort(std::string(1, letter));
    ResponsivePause(link_.Timing().CmdByteDelay);
}

void TXModemServer::SendPacket(const std::string& text) {
    std::string data = PcNameToCalc(text, false);
    Trace("command packet = '" + data + "'");
    if (data.size() > kMaxPacketData) {
        // The length field would wrap and the calculator would read a different command.
        RaiseError("Command too long: " + std::to_string(data.size()) + " bytes");
    }
    std::string packet;
    packet += static_cast<char>(data.size() >> 8);
    packet += static_cast<char>(data.size() & 0xFF);
    packet += data;
    packet += static_cast<char>(Checksum(data));

    ScopeExit endNotice([this] { ui_.ShowWaitNotice(""); });
    for (int failures = 0;;) {
        link_.WritePort(packet);
        ResponsivePause(link_.Timing().PacketWriteDelay);
        std::string reply(1, '\0');
        int count = link_.ReadComm(reply, kPacketReadWaitMs);
        if (count == 1 && reply[0] == '\0') {
            link_.ReadComm(reply, kPacketReadWaitMs);  // one leading zero byte is skipped
        }
        if (reply[0] == kAck) {
            break;
        }
        ++failures;
        Trace("Tx Cmnd Packet Error. Rcvd len=" + std::to_string(count) + " c=0x" +
              Hex2(Byte(reply, 0)) + " #" + std::to_string(failures));
        if (failures > kPacketTries) {
            link_.RaiseConnectionError();
        }
        SetStatus(kConnectionErrorText);
        if (count == 0) {
            ui_.ShowWaitNotice(NoAnswerText(failures + 1));
        }
        link_.ClearInput();
    }
    ResponsivePause(link_.Timing().PacketAckDelay);
}

std::string TXModemServer::ReceivePacket() {
    std::string data;
    ScopeExit endNotice([this] { ui_.ShowWaitNotice(""); });
    for (int failures = 0;;) {
        int misses = 0;
        auto readLengthByte = [&]() -> unsigned {
            std::string byte(1, '\0');
            while (link_.ReadComm(byte, kPacketReadWaitMs) != 1) {
                CheckConnectCancel();  // a connect the user gave up waits no longer
                if (misses == 0) {
                    // A silent calculator would otherwise keep the user waiting unawares.
                    ui_.ShowWaitNotice(NoAnswerText(failures + 1));
                }
                if (++misses >= kLengthByteMisses) {
                    break;
                }
            }
            return Byte(byte, 0);
        };
        unsigned high = readLengthByte();
        unsigned low = readLengthByte();  // tried at least once, with the same miss count
        bool good = false;
        if (misses >= kLengthByteMisses) {
            Trace("cannot get the command packet size");
        } else {
            std::size_t n = high * 256 + low;
            Trace("got command packet size = " + std::to_string(n));
            data.assign(n, '\0');
            if (n > 0 && static_cast<std::size_t>(link_.ReadComm(data, kPacketReadWaitMs)) < n) {
                Trace("cannot get the command packet");
            } else {
                Trace("got command packet (" + std::to_string(n) + ")");
                std::string sum(1, '\0');
                good = link_.ReadComm(sum, kPacketReadWaitMs) == 1 &&
                       static_cast<unsigned char>(sum[0]) == Checksum(data);
                Trace(good ? "CRC ok " : "CRC problem ");
            }
        }
        if (good) {
            break;
        }
        link_.ClearInput();
        ++failures;
        Trace("Rx Cmnd Packet Error #" + std::to_string(failures));
        link_.WritePort(std::string(1, kNak));
        if (failures > kPacketTries) {
            link_.RaiseConnectionError();
        }
    }
    link_.WritePort(std::string(1, kAck));
    ResponsivePause(link_.Timing().ReplyAckDelay);
    return data;
}

void TXModemServer::WaitReady() {
    std::int64_t start = TickMs();
    // With the "Calculator is Working" window up the limit counts from much later: the user,
    // who can press Cancel, may wait for a long calculator command.
    Pulse pulse(*this, start, ui_.IsWorkingWindowVisible() ? start + kWorkingWindowGraceMs : start);
    Trace("Begin pulse  {");
    {
        ScopeExit endNotice([this] { ui_.ShowWaitNotice(""); });
        if (link_.Kind() == kLinkSerial) {
            pulse.OverSerial();
        } else if (link_.Kind() == kLinkUsb) {
            pulse.OverUsb();
        }
    }
    Trace("}  End pulse");
    ResponsivePause(link_.Timing().PulseEndDelay);
    if (pulse.EndedATransfer()) {
        RaiseError("the calculator did not run the command: the line damaged it",
                   ErrorKind::LinkFailed);
    }
}

void TXModemServer::Execute(const std::string& command, bool showWorking, bool wait) {
    RequireConnected();
    ui_.ProcessEvents();
    ui_.ClearCancel();  // one left from an earlier wait would end this command's packet
    if (!command.empty()) {
        SendCommandByte('E');
        SendPacket(command);
    }
    ui_.ClearCancel();
    if (showWorking) {
        wait = true;
        if (!ui_.IsConnectStatusVisible()) {
            ui_.ShowWorking();
        }
    }
    try {
        if (wait) {
            WaitReady();
        }
    } catch (...) {
        ui_.CloseWorking();
        throw;
    }
    ui_.CloseWorking();
}

void TXModemServer::CheckCancel() {
    ui_.ProcessEvents();
    if (ui_.IsWorkingWindowVisible()) {
        ui_.FocusWorking();
    }
    ui_.ProcessEvents();
    if (ui_.IsWorkingCancelled()) {
        ui_.ClearCancel();
        ui_.SetConnected(false);
        link_.RaiseConnectionError();
    }
}

}  // namespace vaddex
