#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "sim/server/ScreenStream.h"
#include "sim/server/SimContext.h"

namespace zqsim {

// The calculator's own transfer commands, run without its server. Each blocks until done
// and throws Interrupted when the control side switches modes meanwhile.
class ManualModes {
public:
    explicit ManualModes(SimContext& context) : context_(context) {}

    // XRECV: asks about once a second until the PC sends, receives, stores under the name.
    void XRecv(const std::string& name);
    // XSEND: waits for the PC's request, then sends the variable.
    void XSend(const std::string& name);
    // Sends the screen delayMs after the start, or once `trigger` is set when delayMs < 0.
    void Screen(ScreenVariant variant, std::int64_t delayMs, const std::atomic<bool>& trigger);
    // The ROM loader: a 4-byte little-endian length, then that many bytes.
    void Rom();
    // The Kermit server: a packet about every 300 ms, no XModem letter answered; until
    // interrupted.
    [[noreturn]] void Kermit();

private:
    void Ended(const std::string& outcome);

    SimContext& context_;
};

// The Kermit server's idle packet with sequence number seq (0 to 63).
std::string KermitNakPacket(int seq);

}  // namespace zqsim
