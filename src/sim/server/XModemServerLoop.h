#pragma once

#include <cstdint>
#include <string>

#include "sim/server/SimContext.h"

namespace zqsim {

// The calculator's XModem server: one command letter at a time, with its packets, transfers
// and busy times. Bytes that are no letter (the PC's extra ACKs, late polls) are ignored.
class XModemServerLoop {
public:
    explicit XModemServerLoop(SimContext& context) : context_(context) {}

    // Blocks serving letters; throws Interrupted on a mode switch. Returns only when "Q"
    // leaves the server (SimServerOptions::quitLeavesServer).
    void Run();
    // Serves one letter that has just been read.
    void Serve(std::uint8_t letter);

private:
    void Execute();
    void Get();
    void Put();
    void Answer(const std::string& data);
    // The calculator works for calculatorMs (scaled) answering nothing, then clears the input
    // that piled up meanwhile, as the real server does, unless keepInput.
    void BeBusy(std::int64_t calculatorMs, bool keepInput);
    void Failed(const std::string& why);

    SimContext& context_;
    bool quit_ = false;
};

}  // namespace zqsim
