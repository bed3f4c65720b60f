#include "link/CommLink.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <exception>

#include "link/FifoPipe.h"
#include "link/LibUsbDevice.h"
#include "link/LibUsbPipe.h"
#include "link/PortGoneError.h"
#include "link/PortInUseError.h"
#include "link/PortNames.h"
#include "link/PortOpenError.h"
#include "link/ReadCancelledError.h"
#include "link/SerialPort.h"
#include "link/TermiosPort.h"
#include "link/UsbPipe.h"
#include "util/Errors.h"
#include "util/Ticks.h"
#include "util/Trace.h"

namespace vaddex {
namespace {

constexpr int kProfileSlowSerial = 0;
constexpr int kProfileFastSerial = 2;
constexpr int kProfileUsb = 3;
constexpr int kSlowSerialSpeed = 9600;  // profile 0 up to here, profile 2 above

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
    if (index < 0 || index > kProfileUsb) {
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

void CommLink::OpenPort(const std::string& name, int speed) {
    if (IsOpen() || reception_.HasReader()) {
        ClosePort();  // a second open would lose the handles of the first
    }
    if (IsUsbPortName(name)) {
        OpenUsb(name);
    } else {
        OpenSerial(name, speed);
    }
    portName_ = name;
}

void CommLink::OpenUsb(const std::string& name) {
    std::unique_ptr<UsbPipe> readPipe;
    std::unique_ptr<UsbPipe> writePipe;
    int index = UsbNameIndex(name);
    std::string root = UsbRoot();
    if (!root.empty()) {
        std::string folder = root + "/" + (index >= 0 ? kUsbDeviceNames[index] : name);
        int error = 0;
        readPipe = FifoPipe::OpenForReading(folder + "/PIPE0", &error);
        if (!readPipe) {
            Trace("OpenPort: cannot open " + folder + "/PIPE0 (" + ErrorText(error) + ")");
        }
        int readError = error;
        writePipe = FifoPipe::OpenForWriting(folder + "/PIPE1", &error);
        if (!writePipe) {
            Trace("OpenPort: cannot open " + folder + "/PIPE1 (" + ErrorText(error) + ")");
        }
        if (!readPipe || !writePipe) {
            Disconnecting();
            throw PortOpenError(name, !readPipe ? readError : error);
        }
    } else if (index >= 0) {
        if (auto device = LibUsbDevice::Open(index, EffectiveUsbIds(usbIds_))) {
            readPipe = std::make_unique<LibUsbPipe>(device, LibUsbPipe::kIn);
            writePipe = std::make_unique<LibUsbPipe>(device, LibUsbPipe::kOut);
        }
    } else {
        Trace("OpenPort: no USB device is named " + name);
    }
    OpenUsbOn(std::move(readPipe), std::move(writePipe));
}

void CommLink::OpenUsbOn(std::unique_ptr<UsbPipe> readPipe, std::unique_ptr<UsbPipe> writePipe) {
    if (IsOpen() || reception_.HasReader()) {
        ClosePort();
    }
    CopyProfile(kProfileUsb);
    ResetUsbBuffer();
    kind_ = kLinkUsb;
    // Whatever was obtained is recorded, so that ClosePort closes it after a failure.
    usbRead_ = std::move(readPipe);
    usbWrite_ = std::move(writePipe);
    if (!usbRead_ || !usbWrite_) {
        RaiseConnectionError();
    }
    WatchHangUp(usbRead_->HangUpDescriptor());
    ui_.RunOnUiThread([this] { ui_.SetConnected(true); });
}

void CommLink::OpenSerial(const std::string& name, int speed) {
    int error = 0;
    std::unique_ptr<SerialPort> port = TermiosPort::Open(name, &error);
    if (!port) {
        Trace("OpenPort: cannot open " + name + " (" + ErrorText(error) + ")");
        Disconnecting();
        if (error == EBUSY) {
            throw PortInUseError(name);  // the lock of another program: retrying cannot help
        }
        throw PortOpenError(name, error);
    }
    OpenPortOn(std::move(port), speed);
}

void CommLink::OpenPortOn(std::unique_ptr<SerialPort> port, int speed) {
    if (IsOpen() || reception_.HasReader()) {
        ClosePort();
    }
    if (!port) {
        RaiseConnectionError();
    }
    CopyProfile(speed > kSlowSerialSpeed ? kProfileFastSerial : kProfileSlowSerial);
    kind_ = kLinkSerial;
    serial_ = std::move(port);  // recorded at once, so that ClosePort closes it after a failure
    serial_->SetCancelCheck([this] { return CancelRequested(); });
    if (!serial_->Configure(speed)) {
        Trace("OpenPort: the port refused its settings at " + std::to_string(speed));
        RaiseConnectionError();
    }
    // Queues of 2048 bytes: the driver's own queues are larger, and reads are cut to 2038.
    SetLongTimeouts();
    WatchHangUp(serial_->HangUpDescriptor());
    ui_.RunOnUiThread([this] { ui_.SetConnected(true); });
}

void CommLink::WatchHangUp(int fd) {
    if (fd < 0) {
        return;
    }
    std::weak_ptr<std::atomic<int>> alive = alive_;
    int open = *alive_;
    hangUpWatch_ = std::make_unique<HangUpWatch>(fd, [this, alive, open](int error) {
        ui_.PostToUiThread([this, alive, open, error] {
            std::shared_ptr<std::atomic<int>> still = alive.lock();
            if (still && *still == open && OnHangUp) {
                OnHangUp(error);
            }
        });
    });
}

void CommLink::CloseReaderThread() {
    reception_.StopReader();
}

void CommLink::ClosePort() {
    CloseReaderThread();
    if (!serial_ && !usbRead_) {
        usbWrite_.reset();  // a write pipe whose read pipe failed to open is closed too
        return;
    }
    ResetLink();
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
