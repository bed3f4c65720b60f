#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "sim/CalculatorModel.h"
#include "sim/server/BlockCheck.h"

namespace zqsim {

enum class TransportKind {
    Pty,   // a pseudo-terminal: the serial line
    Fifo,  // a FIFO pair under $VADDEX_USB_ROOT: the USB device
};

// How a simulator run is set up.
struct SimServerOptions {
    Personality personality = Personality::K8;  // must be the model's
    TransportKind transport = TransportKind::Pty;
    std::string deviceName;  // FIFO: empty picks the first free "ZQx8G+" name
    std::string usbRoot;     // FIFO: empty uses $VADDEX_USB_ROOT
    std::string ptyLink;     // pty: a symbolic link to the slave made here, when not empty
    int blockSize = 1024;    // data bytes of the blocks the calculator sends: 128 or 1024
    CheckMode receiveCheck = CheckMode::Kermit;  // what the calculator's receiver asks for
    // The calculator's sender knows only the checksum: it ignores "C" and "D" and waits for NAK.
    bool checksumOnly = false;
    std::int64_t busyMs = 300;  // busy time after each evaluated command line and transfer
    double timeScale = 1.0;     // factor on busy times (and so on WAIT)
    bool pacing = false;        // both ways at the line's speed (baud / 10 bytes per second)
    std::uint64_t seed = 1;     // for fault plans that name none, and the block filler
    // Screen mode starts sending this long after it is entered; negative: on TriggerScreen.
    std::int64_t screenDelayMs = 1500;
    // "Q" leaves the server (the stack is shown) instead of waiting for the next connection.
    bool quitLeavesServer = false;
    // Receives one line per chunk of bytes each way ("<" from the PC, ">" to it) and per
    // event ("*"); called from the server thread. Empty: no trace.
    std::function<void(const std::string&)> trace;
};

}  // namespace zqsim
