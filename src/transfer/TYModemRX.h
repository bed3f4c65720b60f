#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "transfer/BlockCheck.h"
#include "transfer/TransferThread.h"

namespace vaddex {

// Receives one object in XModem blocks into memory. `name` is the PC file the data is meant
// for: it names the trace and is deleted when the receive fails. `expectedSize` (object size
// plus the 8-byte file header, or 0 when unknown) serves the progress display. Checksum mode,
// unless `askCrc` is set: then it asks for the calculator's CRC ("D") three times, the CRC-16
// ("C") three times, and falls back to the checksum (NAK) when no block has come.
class TYModemRX : public TransferThread {
public:
    TYModemRX(CommLink& link, std::string name, std::int64_t expectedSize, ReportFn callback,
              bool askCrc = false);
    ~TYModemRX() override;

    // Data bytes of all accepted blocks, padding of the last block included. Read after the
    // thread has ended; meaningful only on success.
    const std::string& ReceivedData() const { return received_; }
    // The check the accepted blocks passed; after the fallback of a CRC request, the
    // checksum. Read after the thread has ended.
    CheckMode Mode() const { return mode_; }

protected:
    // For TSRX: checksum mode, and the thread is not started.
    struct NoStart {};
    TYModemRX(CommLink& link, std::string name, std::int64_t expectedSize, ReportFn callback,
              NoStart);
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
    // Writes the next start request of the handshake and records the mode it asks for.
    void Ask(char request, CheckMode mode);
    // True when a silence or stray byte before any block is answered by the next CRC request
    // (written here) instead of a counted NAK.
    bool AskAgain();
    // The mode whose check the block (number, complement, data, check) passes; a block may
    // still be in any mode asked for until the first one is accepted.
    bool PassesCheck(std::string_view block, std::size_t dataSize, CheckMode& passed) const;
    // Until the mode is settled, a block read at checksum length that fails may be a CRC block
    // one byte longer: blocks for that byte, then tells whether it came.
    bool ReadCrcTail(std::string& block);

    bool askCrc_ = false;
    int crcAsks_ = 0;               // start requests of the CRC handshake written so far
    bool blockSeen_ = false;        // an SOH or STX came: the sender has chosen its mode
    bool modeSettled_ = false;      // a block was accepted: only its mode counts from now on
    std::vector<CheckMode> asked_;  // the modes asked for so far, oldest first
    CheckMode mode_ = CheckMode::kChecksum;  // the mode of the latest request
    std::int64_t startTick_ = 0;
    std::int64_t bytesReceived_ = 0;
    std::string block_;  // the block being read, kept so that no block allocates anew
};

}  // namespace vaddex
