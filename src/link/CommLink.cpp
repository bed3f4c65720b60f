#include "link/CommLink.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <exception>

#include "link/PortGoneError.h"
#include "link/PortNames.h"
#include "link/ReadCancelledError.h"
#include "link/SerialPort.h"
#include "link/UsbPipe.h"
#include "util/Errors.h"
#include "util/Ticks.h"
#include "util/Trace.h"

namespace vaddex {
namespace {

constexpr int kShortReadConstantMs = 100;
constexpr int kLongReadConstantMs = 3000;
constexpr int kReadMultiplierMs = 1;
constexpr int kWriteConstantMs = 100;
constexpr int kWriteMultiplierMs = 30;

constexpr int kDisconnectPauseMs = 100;  // between closing the send file and the focus
constexpr int kClearSerialQuietPasses = 2;
constexpr int kClearUsbQuietPasses = 4;
constexpr std::size_t kClearSerialRead = 6;
constexpr std::size_t kClearUsbRead = 300;
constexpr std::size_t kClearUsbQuietBytes = 6;  // only these must stay zero for a quiet pass
constexpr int kClearUsbWaitMs = 10;
constexpr int kNormalWaitMs = 2500;

constexpr std::size_t kMaxSerialPiece = 2038;  // the most one serial read asks for
// The longest the UI thread waits for a serial byte before it lets window events run.
constexpr std::int64_t kUiReadSliceMs = 20;
constexpr std::int64_t kSilenceLimitMs = 2500;  // USB silence that means the link is gone

std::string ErrorText(int error) {
    return std::strerror(error);
}

int UsbWriteTimeout(std::size_t count) {
    long long timeout = kWriteConstantMs + static_cast<long long>(count) * kWriteMultiplierMs;
    return static_cast<int>(std::min<long long>(timeout, INT_MAX));
}

bool AllZero(const std::string& bytes, std::size_t count) {
    return std::all_of(bytes.begin(), bytes.begin() + static_cast<long>(count),
                       [](char c) { return c == '\0'; });
}

// The calling transfer thread's termination request, which ends its reads early.
thread_local const std::atomic<bool>* tCancelFlag = nullptr;

}  // namespace

void Pause(int ms) {
    SleepMs(ms);
}

CommLink::CommLink(LinkUi& ui) : ui_(ui) {}

CommLink::~CommLink() {
    ClosePort();
    CloseSendFile();
}

void CommLink::CopyProfile(int index) {
    if (index < 0 || index > kLinkProfileUsb) {
        Trace("CopyProfile: no profile " + std::to_string(index));
        return;
    }
    timing_ = kLinkProfiles[index];
    profile_ = index;
}

void CommLink::ResetLink() {
    CloseReaderThread();
    hangUpWatch_.reset();
    ++*alive_;  // a hang-up of the port closed now is no news of the next one
    portName_.clear();
    lostError_ = 0;
    serial_.reset();
    usbRead_.reset();
    usbWrite_.reset();
    kind_ = kLinkSerial;
    ResetUsbBuffer();
}

void CommLink::ResetUsbBuffer() {
    reception_.Reset();
    silenceStart_ = 0;
}

bool CommLink::IsOpen() const {
    return serial_ || usbRead_ || usbWrite_;
}

void CommLink::SetPortListSeparator(const std::string& separator) {
    separator_ = separator;
}

std::string CommLink::ListPorts() {
    return ListOpenablePorts(separator_, usbIds_);
}

void CommLink::ChangeSpeed(int speed) {
    if (!serial_ || !serial_->SetSpeed(speed)) {
        RaiseConnectionError();
    }
}

void CommLink::SetSerialTimeouts(int readConstant) {
    if (kind_ == kLinkUsb) {
        return;
    }
    if (!serial_) {
        RaiseConnectionError();
    }
    SerialTimeouts timeouts = serial_->Timeouts();
    timeouts.readMultiplier = kReadMultiplierMs;
    timeouts.readConstant = readConstant;
    timeouts.writeMultiplier = kWriteMultiplierMs;
    timeouts.writeConstant = kWriteConstantMs;
    if (!serial_->SetTimeouts(timeouts)) {
        RaiseConnectionError();
    }
}

void CommLink::SetShortTimeouts() {
    SetSerialTimeouts(kShortReadConstantMs);
}

void CommLink::SetLongTimeouts() {
    SetSerialTimeouts(kLongReadConstantMs);
}

void CommLink::WritePort(std::string_view bytes) {
    if (bytes.empty()) {
        return;
    }
    UseScope inUse(calls_);
    long written = -1;
    if (kind_ == kLinkUsb && usbWrite_) {
        written = usbWrite_->Write(bytes.data(), bytes.size(), UsbWriteTimeout(bytes.size()));
    } else if (kind_ == kLinkSerial && serial_) {
        written = serial_->Write(bytes.data(), bytes.size());
    }
    if (written != static_cast<long>(bytes.size())) {
        // A short write would silently lose the rest of a block or packet.
        Trace("WritePort: " + std::to_string(written) + " of " + std::to_string(bytes.size()) +
              " bytes written");
        RaisePortFailure(written < 0 && serial_ && kind_ == kLinkSerial ? serial_->LostError() : 0);
    }
}

void CommLink::ClearInput() {
    if (kind_ == kLinkUsb) {
        ClearUsbInput();
    } else {
        ClearSerialInput();
    }
}

void CommLink::ClearSerialInput() {
    if (!serial_) {
        RaiseConnectionError();
    }
    SerialTimeouts kept = serial_->Timeouts();
    SetShortTimeouts();
    for (int quiet = 0; quiet < kClearSerialQuietPasses;) {
        if (!serial_->PurgeInput()) {
            Trace("ClearInput: purge failed (" + ErrorText(errno) + ")");
        }
        std::string bytes(kClearSerialRead, '\0');
        ReadComm(bytes, kNormalWaitMs);
        quiet = AllZero(bytes, bytes.size()) ? quiet + 1 : 0;
    }
    if (!serial_->SetTimeouts(kept)) {
        RaiseConnectionError();
    }
}

void CommLink::ClearUsbInput() {
    for (int quiet = 0; quiet < kClearUsbQuietPasses;) {
        reception_.Drop();
        std::string bytes(kClearUsbRead, '\0');
        ReadComm(bytes, kClearUsbWaitMs);
        quiet = AllZero(bytes, kClearUsbQuietBytes) ? quiet + 1 : 0;
    }
    reception_.Drop();
}

int CommLink::ReadComm(std::string& buffer, int maxWait) {
    UseScope inUse(calls_);
    int count = kind_ == kLinkUsb ? ReadUsb(buffer, maxWait) : ReadSerial(buffer);
    std::fill(buffer.begin() + count, buffer.end(), '\0');
    if (count > 0 && static_cast<std::size_t>(count) < buffer.size()) {
        Trace("**** ReadComm returning partial string");
    }
    char text[40];
    int length =
        std::snprintf(text, sizeof text, "ReadComm: Return of %02X", static_cast<unsigned>(count));
    Trace(std::string_view(text, static_cast<std::size_t>(length)));
    return count;
}

int CommLink::ReadSerial(std::string& buffer) {
    if (!serial_) {
        RaiseConnectionError();
    }
    std::size_t length = buffer.size();
    std::size_t position = 0;
    if (length > 0 && ui_.IsUiThread() && !WaitFirstSerialByte(length)) {
        return 0;
    }
    do {
        std::size_t piece = std::min(length - position, kMaxSerialPiece);
        long n = serial_->Read(buffer.data() + position, piece);
        if (n < 0) {
            RaisePortFailure(serial_->LostError());
        }
        if (static_cast<std::size_t>(n) < piece && CancelRequested()) {
            if (ui_.IsUiThread() && !tCancelFlag) {
                RaiseCancelled();
            }
            return static_cast<int>(position) + static_cast<int>(n);  // the thread looks itself
        }
        position += static_cast<std::size_t>(n);
        // A short piece means the read time-out passed: asking again would loop for ever on a
        // silent line. Requests of 2039 to 2047 bytes go on to a second piece too, or they
        // could never be filled.
        if (static_cast<std::size_t>(n) < piece) {
            break;
        }
    } while (position < length);
    return static_cast<int>(position);
}

bool CommLink::WaitFirstSerialByte(std::size_t length) {
    // A silent line would freeze the window for the whole read time-out (the waits for
    // answers that usually do not come): wait for the first byte in slices between which
    // window events run. The read itself then keeps its usual deadline.
    SerialTimeouts timeouts = serial_->Timeouts();
    std::int64_t deadline =
        TickMs() + timeouts.readConstant +
        static_cast<std::int64_t>(std::min(length, kMaxSerialPiece)) * timeouts.readMultiplier;
    for (;;) {
        std::int64_t remaining = deadline - TickMs();
        if (remaining <= 0) {
            return false;
        }
        if (serial_->WaitReadable(static_cast<int>(std::min(remaining, kUiReadSliceMs)))) {
            return true;
        }
        ui_.ProcessEvents();
        if (CancelRequested()) {
            RaiseCancelled();
        }
    }
}

int CommLink::ReadUsb(std::string& buffer, int maxWait) {
    std::size_t length = buffer.size();
    std::size_t position = 0;
    while (position < length) {
        while (reception_.UnreadCount() == 0) {
            bool onUiThread = ui_.IsUiThread() && !tCancelFlag;
            if (onUiThread) {
                ui_.ProcessEvents();
            }
            if (CancelRequested()) {
                if (onUiThread) {
                    RaiseCancelled();
                }
                return static_cast<int>(position);  // the transfer thread looks itself
            }
            SafeRd();
            if (reception_.HasChunk()) {
                silenceStart_ = 0;
                break;
            }
            if (MeasureSilence(maxWait)) {
                return static_cast<int>(position);
            }
        }
        position += reception_.Take(buffer.data() + position, length - position);
    }
    return static_cast<int>(position);
}

bool CommLink::MeasureSilence(int maxWait) {
    std::int64_t now = TickMs();
    if (silenceStart_ == 0) {
        silenceStart_ = now;
    }
    std::int64_t elapsed = now - silenceStart_;
    if (elapsed > 0) {
        Trace("No data, time count = " + std::to_string(elapsed));
    }
    if (elapsed >= kSilenceLimitMs) {
        Trace("ReadFile exceeded maximum time for reads of zero bytes");
        silenceStart_ = TickMs();
        if (!ui_.IsWorkingWindowVisible() && !ui_.IsPromptVisible()) {
            RaiseConnectionError();
        }
    }
    return elapsed >= maxWait;
}

bool CommLink::SafeRd() {
    reception_.Refill(usbRead_.get());
    return true;
}

void CommLink::RunUiSteps(const std::function<void()>& steps) {
    try {
        ui_.RunOnUiThread(steps);
    } catch (const std::exception& e) {
        Trace(std::string("RaiseConnectionError: a window step failed: ") + e.what());
    } catch (...) {
        Trace("RaiseConnectionError: a window step failed");
    }
}

void CommLink::Disconnecting() {
    Trace("Serious error, disconnecting");
    RunUiSteps([this] {
        ui_.SetConnected(false);
        ui_.CloseConnectStatus();
        ui_.ProcessEvents();
    });
    CloseSendFile();
    Pause(kDisconnectPauseMs);
    RunUiSteps([this] { ui_.FocusMainWindow(); });
}

void CommLink::RaiseConnectionError() {
    Disconnecting();
    throw ConnectionError();
}

void CommLink::RaisePortGone(int error) {
    lostError_ = error;
    Trace("The port " + portName_ + " is gone (" + ErrorText(error) + ")");
    Disconnecting();
    throw PortGoneError(portName_, error);
}

void CommLink::RaisePortFailure(int lostError) {
    if (lostError != 0) {
        RaisePortGone(lostError);
    }
    RaiseConnectionError();
}

void CommLink::RaiseCancelled() {
    Trace("Read cancelled");
    ui_.TakeCancel();
    Disconnecting();
    throw ReadCancelledError();
}

void CommLink::SetThreadCancelFlag(const std::atomic<bool>* flag) {
    tCancelFlag = flag;
}

bool CommLink::CancelRequested() const {
    if (tCancelFlag) {
        return tCancelFlag->load();
    }
    return ui_.IsUiThread() && ui_.IsCancelRequested();
}

}  // namespace vaddex
