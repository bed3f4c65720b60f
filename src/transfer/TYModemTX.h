#pragma once

#include <string>

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
};

}  // namespace vaddex
