#pragma once

#include <cstdint>
#include <string>

#include "sim/server/SimContext.h"

namespace zqsim {

// The calculator receiving one object file in XModem blocks, checked in the mode it asks
// for. A repeated block (its ACK was lost) is acknowledged and discarded.
class XModemReceiver {
public:
    XModemReceiver(SimContext& context, CheckMode mode) : context_(context), mode_(mode) {}

    // Sends the request byte, again every repeatMs until the first block starts (giving up
    // after giveUpMs; negative: never), then blocks receiving until EOT. True with `data`
    // holding every accepted block, padding included; otherwise `why` tells what went wrong.
    bool Receive(int repeatMs, int giveUpMs, std::string& data, std::string& why);

private:
    // Blocks for the first byte of the transfer, repeating the request.
    bool AwaitFirstBlock(int repeatMs, int giveUpMs, std::uint8_t& first, std::string& why);
    // Reads the rest of a block; 1 accepted, 0 repeated, -1 damaged, -2 out of sequence.
    int ReadBlock(std::uint8_t header, std::uint8_t expected, std::string& data);
    void Cancel();

    SimContext& context_;
    CheckMode mode_;
};

}  // namespace zqsim
