#pragma once

#include <cstdint>
#include <string>

#include "transfer/BlockCheck.h"
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

private:
    enum class BlockResult { kAccepted, kRepeated, kRejected };

    void ReceiveAll();
    // Blocks until the next block has been accepted (false) or the sender's EOT came (true).
    bool ReceiveNext(std::uint32_t expected);
    // Blocks while the block after its SOH or STX is read, then answers it with ACK or NAK.
    BlockResult ReceiveBlock(std::size_t dataSize, std::uint32_t expected);
    void CleanUpAfterFailure(const std::string& message);

    CheckMode mode_ = CheckMode::kChecksum;
    std::int64_t startTick_ = 0;
    std::int64_t bytesReceived_ = 0;
};

}  // namespace vaddex
