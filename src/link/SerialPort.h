#pragma once

#include <cstddef>
#include <functional>
#include <utility>

namespace vaddex {

// Read and write time-outs of a serial port, as constant + count x multiplier milliseconds.
struct SerialTimeouts {
    int readMultiplier = 1;
    int readConstant = 3000;
    int writeMultiplier = 30;
    int writeConstant = 100;
};

// A configured serial port: the termios back end implements it, and a test double may.
// The link owns exactly one while a serial link is open; it serves as read and write handle.
class SerialPort {
public:
    virtual ~SerialPort() = default;

    // Raw 8N1 at `speed`: no parity check, no flow control of any kind, DTR and RTS held on,
    // no character replacement. False when the port refused the settings.
    virtual bool Configure(int speed) = 0;

    // Sets the bit rate and leaves every other setting as it is; false on failure.
    virtual bool SetSpeed(int speed) = 0;

    virtual SerialTimeouts Timeouts() const = 0;
    // False when the port refused them.
    virtual bool SetTimeouts(const SerialTimeouts& timeouts) = 0;

    // Blocks until `count` bytes came or the read deadline (readConstant + count x
    // readMultiplier ms) passed; returns the bytes read, or -1 when the port failed.
    virtual long Read(char* data, std::size_t count) = 0;

    // Blocks until a byte can be read or maxMs passed; true when one can (or when the port
    // cannot tell: the next Read then waits as usual).
    virtual bool WaitReadable(int maxMs) {
        (void)maxMs;
        return true;
    }

    // Blocks until every byte went out or the write deadline (writeConstant + count x
    // writeMultiplier ms) passed; returns the bytes written, or -1 when the port failed.
    virtual long Write(const char* data, std::size_t count) = 0;

    // Discards the receive queue; output already written is kept. False on failure.
    virtual bool PurgeInput() = 0;

    // The system error by which the port went away (EIO, ENXIO, a hang-up), once a Read or
    // Write failed for it; 0 while the port is there or a failure had another cause.
    virtual int LostError() const { return 0; }

    // The descriptor whose hang-up tells that the port went away, for a watch while nothing
    // reads it; -1 when the port has none.
    virtual int HangUpDescriptor() const { return -1; }

    // Reads end early, with what came, once `check` returns true; it is called from the
    // reading thread every few tens of milliseconds while a read waits.
    void SetCancelCheck(std::function<bool()> check) { cancelCheck_ = std::move(check); }

protected:
    bool CancelRequested() const { return cancelCheck_ && cancelCheck_(); }

private:
    std::function<bool()> cancelCheck_;
};

}  // namespace vaddex
