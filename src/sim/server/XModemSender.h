#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "sim/server/SimContext.h"

namespace zqsim {

// The calculator sending one object file in XModem blocks, in the check mode the PC's first
// byte asks for. The block buffer is reused from block to block and never cleared, so the
// rest of the last block holds what the buffer held before.
class XModemSender {
public:
    XModemSender(SimContext& context, std::size_t blockSize);

    // Blocks for the receiver's request (at most handshakeMs; negative: no limit; a request
    // already waiting in the input counts), then sends the file and EOT. True when the EOT was
    // acknowledged; otherwise `why` tells what went wrong.
    bool Send(const std::string& file, int handshakeMs, std::string& why);
    // Blocks for the receiver's request (at most handshakeMs) and answers it with CAN.
    void Refuse(int handshakeMs);

private:
    bool AwaitHandshake(int handshakeMs, CheckMode& mode, std::string& why);
    // Sends one block until acknowledged; false when the receiver cancelled or never did.
    bool SendBlock(const std::string& block, std::string& why);
    bool SendEot(std::string& why);

    SimContext& context_;
    std::string buffer_;
};

}  // namespace zqsim
