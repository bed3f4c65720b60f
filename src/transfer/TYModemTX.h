#pragma once

#include <cstdint>
#include <string>

#include "transfer/BlockCheck.h"
#include "transfer/TransferThread.h"

namespace vaddex {

// Sends one PC file in XModem blocks, in the check mode the calculator asks for (NAK: one-byte
// sum, "C": CRC-16/ARC, "D": CRC-16/KERMIT). `firstReply` is the calculator's request byte when
// the caller has already read it, else 0. `smallBlocksOnly` forces 128-byte blocks.
class TYModemTX : public TransferThread {
public:
    TYModemTX(CommLink& link, std::string name, bool smallBlocksOnly, char firstReply,
              ReportFn callback);
    ~TYModemTX() override;

protected:
    // For TSTX: does not start the thread.
    TYModemTX(CommLink& link, std::string name, bool smallBlocksOnly, char firstReply,
              ReportFn callback, bool startNow);
    void Execute() override;

    std::string name_;
    bool smallBlocksOnly_;
    char firstReply_;

private:
    // Blocks until the calculator's request byte has chosen the check mode.
    void Handshake();
    // Opens the send file; returns its size in bytes.
    std::int64_t OpenFile();
    void SendBlocks(std::int64_t fileSize);
    // Blocks until the calculator has acknowledged the block, repeating it as needed.
    // Sends the frame until it is acknowledged. False when `mayShrink` and it was rejected
    // often enough that the rest should go in small blocks.
    bool SendBlock(const std::string& frame, bool mayShrink);
    // Blocks until the calculator has acknowledged EOT, or raises after five tries.
    void SendEndOfFile();
    void CleanUpAfterFailure(const std::string& message);

    CheckMode mode_ = CheckMode::kChecksum;
};

}  // namespace vaddex
