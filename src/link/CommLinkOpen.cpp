// Opening and closing the port, and the watch that sees it go while it is open.

#include <cstring>

#include "link/CommLink.h"
#include "link/FifoPipe.h"
#include "link/LibUsbDevice.h"
#include "link/LibUsbPipe.h"
#include "link/PortInUseError.h"
#include "link/PortNames.h"
#include "link/PortOpenError.h"
#include "link/SerialPort.h"
#include "link/TermiosPort.h"
#include "link/UsbPipe.h"
#include "util/Trace.h"

namespace vaddex {
namespace {

constexpr int kSlowSerialSpeed = 9600;  // profile 0 up to here, profile 2 above

}  // namespace

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
            Trace("OpenPort: cannot open " + folder + "/PIPE0 (" + std::strerror(error) + ")");
        }
        int readError = error;
        writePipe = FifoPipe::OpenForWriting(folder + "/PIPE1", &error);
        if (!writePipe) {
            Trace("OpenPort: cannot open " + folder + "/PIPE1 (" + std::strerror(error) + ")");
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
    CopyProfile(kLinkProfileUsb);
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
        Trace("OpenPort: cannot open " + name + " (" + std::strerror(error) + ")");
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
    CopyProfile(speed > kSlowSerialSpeed ? kLinkProfileFastSerial : kLinkProfileSlowSerial);
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

}  // namespace vaddex
