#pragma once

#include <optional>
#include <string>

#include "sim/server/SimContext.h"

namespace zqsim {

// The calculator's side of the command packets: two length bytes (high first), the data and
// the sum of the data bytes, acknowledged with ACK or rejected with NAK.
class CommandPackets {
public:
    explicit CommandPackets(SimContext& context) : context_(context) {}

    // Blocks for a packet from the PC, rejecting damaged ones; nullopt when the PC stopped
    // sending or gave up.
    std::optional<std::string> Receive();
    // Sends an answer packet and blocks until the PC acknowledges it, sending it again after
    // each NAK; false when the PC never acknowledged.
    bool Send(const std::string& data);

private:
    void Reject(const char* why);

    SimContext& context_;
};

}  // namespace zqsim
