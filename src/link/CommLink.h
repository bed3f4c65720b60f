#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "link/HangUpWatch.h"
#include "link/LinkTiming.h"
#include "link/LinkUi.h"
#include "link/SendFileSlot.h"
#include "link/UsbReception.h"

namespace vaddex {

enum LinkKind : std::uint8_t { kLinkSerial = 0, kLinkUsb = 1 };

class SerialPort;
class UsbPipe;

// Suspends the calling thread for the given milliseconds (used with the LinkTiming entries).
void Pause(int ms);

// The one link to the calculator: a serial port (POSIX termios) or the USB device (libusb,
// or a FIFO pair under $VADDEX_USB_ROOT for tests and the simulator). Every operation runs
// on the caller's thread and blocks it; failures are raised (ConnectionError, OperationError),
// never returned. Only one calculator operation uses the link at a time.
class CommLink {
public:
    explicit CommLink(LinkUi& ui);
    ~CommLink();  // ClosePort
    CommLink(const CommLink&) = delete;
    CommLink& operator=(const CommLink&) = delete;

    LinkUi& Ui() const { return ui_; }

    // --- the link record ---------------------------------------------------------------
    LinkKind Kind() const { return kind_; }
    // The live timing profile: a copy of a stored one, or one a test set.
    const LinkTiming& Timing() const { return timing_; }
    void SetTiming(const LinkTiming& timing) { timing_ = timing; }
    // Index of the stored profile last copied into the live timing.
    int TimingProfile() const { return profile_; }
    void CopyProfile(int index);

    // --- the USB reception buffer: the chunk the last SafeRd took from the reader thread ---
    // The whole chunk, read or not.
    std::string_view BufferedChunk() const { return reception_.Chunk(); }
    // Bytes of the chunk that no read has taken yet.
    std::size_t UnreadCount() const { return reception_.UnreadCount(); }
    // True when the last SafeRd brought a chunk and it has not been dropped.
    bool HasBufferedBytes() const { return reception_.HasChunk(); }
    // Forgets what is left of the chunk: the next read waits for a new one.
    void DropBufferedBytes() { reception_.Drop(); }
    // Starts the count of silence afresh, so that the wait ahead is not charged with the
    // empty reads before it.
    void RestartSilence() { silenceStart_ = 0; }

    // Both handles none, serial kind, buffered count 0, next position 1, silence start 0.
    void ResetLink();
    bool IsOpen() const;

    // "Auto" and a line feed, then each openable serial port and USB device name, each
    // followed by the separator set with SetPortListSeparator.
    std::string ListPorts();
    void SetPortListSeparator(const std::string& separator);

    // Opens the link: a name containing "ZQX8G+" (any case) is the USB device, anything else
    // a serial device path. Calls SetConnected(true) on success.
    void OpenPort(const std::string& name, int speed);
    // Opens the link as a serial link on a port that is already open (another back end, a
    // test double): the same steps as OpenPort after the device was opened.
    void OpenPortOn(std::unique_ptr<SerialPort> port, int speed);
    // Opens the link as a USB link on two pipes that are already open (PIPE0, PIPE1).
    void OpenUsbOn(std::unique_ptr<UsbPipe> readPipe, std::unique_ptr<UsbPipe> writePipe);
    // The `UsbIds` setting: comma-separated "vvvv:pppp" ids of the USB calculator for the
    // libusb back end; $VADDEX_USB_IDS overrides it.
    void SetUsbIds(const std::string& ids) { usbIds_ = ids; }
    // Ends the reader thread, closes the handles once each and resets the record. Safe to call
    // when nothing is open.
    void ClosePort();
    void ChangeSpeed(int speed);
    // Serial read time-out 1 ms per byte plus 100 ms (short) or 3000 ms (long); no effect on USB.
    void SetShortTimeouts();
    void SetLongTimeouts();
    // Writes all the bytes; a failed or short write raises the connection error.
    void WritePort(std::string_view bytes);
    // Discards what the calculator has sent and nobody has read yet; blocks until two (serial)
    // or four (USB) reads in a row found the line quiet.
    void ClearInput();

    // Reads buffer.size() bytes. Returns the count received; fewer than asked means the
    // time-out (serial) or maxWait ms of silence (USB) passed. Bytes after the count are zero.
    int ReadComm(std::string& buffer, int maxWait);
    // USB: refills the reception buffer with the reader thread's next chunk, or leaves it empty
    // when none came within 80 ms. Always true.
    bool SafeRd();

    // Puts the windows into the disconnected state (on the UI thread, also when called on
    // another thread), closes the send file, and throws ConnectionError on the calling thread.
    [[noreturn]] void RaiseConnectionError();
    // The same steps, ending in PortGoneError: the port itself went away with `error`.
    [[noreturn]] void RaisePortGone(int error);

    // The name the link was opened with ("" for a port handed over ready-made).
    const std::string& PortName() const { return portName_; }
    // The system error by which the open port went away, 0 while it is there (any thread).
    int LostError() const { return lostError_; }
    // UI thread: the open port hung up (an adapter pulled, the far end closed) with `error`,
    // seen while it lay open, whether or not an operation was using it. Called once per open.
    std::function<void(int error)> OnHangUp;
    // A read or write of the port is under way on some thread (the UI thread's included,
    // whose waits let events run).
    bool InUse() const { return calls_ > 0; }

    // Reads and waits of the calling thread end early once *flag is set (a transfer thread's
    // termination request): the read returns what came. nullptr: none. Per thread.
    static void SetThreadCancelFlag(const std::atomic<bool>* flag);
    // True when the operation under way is to stop: the calling thread's flag, or on the UI
    // thread the user's cancel.
    bool CancelRequested() const;

    // The send file slot: the PC file being sent by a transmit thread. OpenSendFile opens an
    // existing file for reading and keeps its descriptor in the slot; returns it, or -1 with
    // the system error code in *error.
    int OpenSendFile(const std::string& path, int* error = nullptr) {
        return sendFile_.Open(path, error);
    }
    void CloseSendFile() { sendFile_.Close(); }
    int SendFile() const { return sendFile_.Fd(); }

private:
    // Empties the reception buffer and the silence count: a link opened or reset anew.
    void ResetUsbBuffer();
    void OpenUsb(const std::string& name);
    void OpenSerial(const std::string& name, int speed);
    void SetSerialTimeouts(int readConstant);
    int ReadSerial(std::string& buffer);
    // UI thread: blocks until a byte can be read, letting window events run; false when the
    // read deadline for `length` bytes passed first.
    bool WaitFirstSerialByte(std::size_t length);
    int ReadUsb(std::string& buffer, int maxWait);
    // Silence on the USB link: counts it and raises the connection error after the limit
    // unless a window explains the wait. True when maxWait ms of silence have passed.
    bool MeasureSilence(int maxWait);
    void ClearSerialInput();
    void ClearUsbInput();
    void CloseReaderThread();
    // Watches the port's descriptor (none: -1) for a hang-up while it is open.
    void WatchHangUp(int fd);
    // Runs the disconnect steps on the UI thread; a failing step is traced, never raised.
    void RunUiSteps(const std::function<void()>& steps);

    // UI thread: a cancel ended a read; the operation ends as a cancelled wait does.
    [[noreturn]] void RaiseCancelled();
    // The disconnect steps shared by the raising functions.
    void Disconnecting();
    // A read or write of the port failed: gone, or a failure of another kind.
    [[noreturn]] void RaisePortFailure(int lostError);

    // Counts the reads and writes under way for InUse.
    struct UseScope {
        explicit UseScope(std::atomic<int>& calls) : calls_(calls) { ++calls_; }
        ~UseScope() { --calls_; }
        UseScope(const UseScope&) = delete;
        UseScope& operator=(const UseScope&) = delete;
        std::atomic<int>& calls_;
    };

    LinkUi& ui_;
    std::atomic<int> calls_{0};
    LinkKind kind_ = kLinkSerial;
    LinkTiming timing_ = kLinkProfiles[0];
    UsbReception reception_;
    std::int64_t silenceStart_ = 0;  // tick at which the current run of empty reads began
    std::string portName_;
    std::atomic<int> lostError_{0};
    int profile_ = 0;
    SendFileSlot sendFile_;
    std::string separator_;
    std::string usbIds_;
    std::unique_ptr<SerialPort> serial_;  // read and write handle of a serial link
    std::unique_ptr<UsbPipe> usbRead_;    // PIPE0
    std::unique_ptr<UsbPipe> usbWrite_;   // PIPE1
    // Declared after serial_: it ends before the descriptor it watches is closed.
    std::unique_ptr<HangUpWatch> hangUpWatch_;
    // What a hang-up posted to the UI thread checks: the link still there, the same open.
    std::shared_ptr<std::atomic<int>> alive_ = std::make_shared<std::atomic<int>>(0);
};

}  // namespace vaddex
