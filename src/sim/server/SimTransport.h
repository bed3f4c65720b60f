#pragma once

#include <cstddef>
#include <string>

#include "sim/server/UniqueFd.h"
#include "sim/server/WakePipe.h"

namespace zqsim {

enum class IoStatus {
    Done,     // the bytes moved (a read: at least one byte)
    Timeout,  // nothing could move within the time
    Woken,    // Wake was called: the server thread has something else to do
    Closed,   // the stream is gone (cable pulled, descriptor closed)
};

// The calculator's end of one byte stream, as two non-blocking descriptors (one for a pty).
// Only the server thread reads and writes; Wake may be called from any thread.
class SimTransport {
public:
    virtual ~SimTransport();
    SimTransport(const SimTransport&) = delete;
    SimTransport& operator=(const SimTransport&) = delete;

    // Blocks until input is there, timeoutMs passed (negative: no limit) or Wake was called;
    // reads up to max bytes; `count` tells how many came (0 unless Done).
    IoStatus Read(char* buffer, std::size_t max, int timeoutMs, std::size_t& count);
    // Blocks until all bytes are written, the far end took nothing for timeoutMs, Wake was
    // called or the stream closed; `written` tells how many went out.
    IoStatus Write(const char* data, std::size_t size, int timeoutMs, std::size_t& written);
    // Blocks for ms unless Wake is called first (then Woken).
    IoStatus Sleep(int ms);
    // Drops the input that has arrived and not been read; never blocks.
    void DiscardInput();
    void Wake() { wake_.Wake(); }

    bool IsOpen() const { return in_.IsOpen(); }
    // What the PC opens: the pty slave path or the USB device name.
    virtual std::string PortName() const = 0;
    // The line speed the PC set, for pacing; 0 when the link has none.
    virtual int BitsPerSecond() const = 0;
    // Closes the stream and removes what was made for it, as a pulled cable does.
    virtual void Close();

protected:
    SimTransport() = default;
    int OutFd() const { return out_.IsOpen() ? out_.Get() : in_.Get(); }

    UniqueFd in_;
    UniqueFd out_;  // not open when in_ serves both ways

private:
    int PollOne(int fd, short events, int timeoutMs, short& revents);

    WakePipe wake_;
};

}  // namespace zqsim
