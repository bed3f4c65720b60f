#pragma once

#include <cstdint>
#include <string>

#include "transfer/TransferThread.h"

namespace vaddex {

// Receives one object in XModem blocks (checksum mode) into memory. `name` is the PC file the
// data is meant for: it names the trace and is deleted when the receive fails. `expectedSize`
// (object size plus the 8-byte file header, or 0 when unknown) serves the progress display.
class TYModemRX : public TransferThread {
public:
    TYModemRX(CommLink& link, std::string name, std::int64_t expectedSize, ReportFn callback);
    ~TYModemRX() override;

    // Data bytes of all accepted blocks, padding of the last block included. Read after the
    // thread has ended; meaningful only on success.
    const std::string& ReceivedData() const { return received_; }

protected:
    // For TSRX: does not start the thread.
    TYModemRX(CommLink& link, std::string name, std::int64_t expectedSize, ReportFn callback,
              bool startNow);
    void Execute() override;

    std::string name_;
    std::int64_t expectedSize_;
    std::string received_;
};

}  // namespace vaddex
