#include "transfer/TYModemRX.h"

#include <algorithm>
#include <exception>
#include <string_view>
#include <utility>

#include "util/Errors.h"
#include "util/FileIo.h"
#include "util/Ticks.h"
#include "util/Trace.h"

namespace vaddex {
namespace {

// Unexpected first bytes tolerated in a row for one block; the next one ends the transfer.
constexpr int kMaxUnexpectedReplies = 5;
// Run of CAN bytes by which the receiver abandons a transfer.
constexpr std::size_t kReceiverCanCount = 4;
// Start requests of each CRC kind before the next kind (and at last the checksum) is asked.
constexpr int kAsksPerCrcKind = 3;
// The most reserved ahead for the received data; a larger object grows as it comes.
constexpr std::int64_t kMaxReserve = 16 << 20;

}  // namespace

TYModemRX::TYModemRX(CommLink& link, std::string name, std::int64_t expectedSize, ReportFn callback,
                     bool askCrc)
    : TransferThread(link, std::move(callback)),
      name_(std::move(name)),
      expectedSize_(expectedSize),
      askCrc_(askCrc) {
    Start();
}

TYModemRX::TYModemRX(CommLink& link, std::string name, std::int64_t expectedSize, ReportFn callback,
                     NoStart)
    : TransferThread(link, std::move(callback)),
      name_(std::move(name)),
      expectedSize_(expectedSize) {}

TYModemRX::~TYModemRX() {
    Stop();
}

void TYModemRX::Execute() {
    success_ = false;
    startTick_ = 0;
    bytesReceived_ = 0;
    mode_ = CheckMode::kChecksum;
    crcAsks_ = 0;
    blockSeen_ = false;
    modeSettled_ = false;
    asked_.clear();
    try {
        Trace("TX Receive begins for " + name_);
        received_.clear();
        // The object's size is known: one allocation instead of a dozen regrowths and copies.
        received_.reserve(static_cast<std::size_t>(std::clamp<std::int64_t>(
            expectedSize_ + static_cast<std::int64_t>(kLargeBlock), 0, kMaxReserve)));
        ReceiveAll();
    } catch (const std::exception& e) {
        CleanUpAfterFailure(e.what());
    }
}

void TYModemRX::ReceiveAll() {
    std::uint32_t expected = 0;
    if (!askCrc_ || !AskAgain()) {
        Ask(kNAK, CheckMode::kChecksum);  // asks the sender to start, in checksum mode
    }
    for (;;) {
        ++expected;
        if (ReceiveNext(expected)) {
            break;
        }
    }
    link_.WritePort(std::string(1, kACK));
    success_ = true;
}

bool TYModemRX::ReceiveNext(std::uint32_t expected) {
    int unexpected = 0;
    for (;;) {
        if (TerminationRequested()) {
            link_.WritePort(std::string(kReceiverCanCount, kCAN));
            link_.RaiseConnectionError();
        }
        char first = ReadByte();
        if (first == kSOH || first == kSTX) {
            blockSeen_ = true;
            if (ReceiveBlock(first == kSOH ? kSmallBlock : kLargeBlock, expected) ==
                BlockResult::kAccepted) {
                return false;
            }
            continue;  // a rejected or repeated block is no unexpected reply
        }
        if (first == kEOT) {
            return true;
        }
        if (first == kCAN) {
            link_.RaiseConnectionError();
        }
        link_.ClearInput();
        if (AskAgain()) {
            continue;  // the handshake's own requests are not counted as failures
        }
        link_.WritePort(std::string(1, kNAK));
        ++unexpected;
        Trace("Rx Error #" + std::to_string(unexpected) + " Reply was 0x" + HexByte(first));
        if (unexpected > kMaxUnexpectedReplies) {
            link_.RaiseConnectionError();
        }
    }
}

TYModemRX::BlockResult TYModemRX::ReceiveBlock(std::size_t dataSize, std::uint32_t expected) {
    std::size_t length = 2 + dataSize + CheckLength(mode_);
    if (startTick_ == 0) {
        startTick_ = TickMs();
    }
    if (expectedSize_ != 0) {
        Progress(bytesReceived_, expectedSize_, startTick_);
    } else {
        Progress(bytesReceived_, bytesReceived_ + static_cast<std::int64_t>(dataSize), startTick_);
    }

    std::string& block = block_;
    block.assign(length, '\0');
    bool whole = link_.ReadComm(block, kTransferReadWaitMs) == static_cast<int>(length);
    auto number = static_cast<unsigned char>(block[0]);
    auto complement = static_cast<unsigned char>(block[1]);
    CheckMode passed = mode_;
    bool sound = whole && complement == 255 - number &&
                 (PassesCheck(block, dataSize, passed) ||
                  (ReadCrcTail(block) && PassesCheck(block, dataSize, passed)));

    if (sound && number == (expected & 0xFF)) {
        if (!modeSettled_) {
            modeSettled_ = true;
            mode_ = passed;
        }
        received_.append(block, 2, dataSize);
        bytesReceived_ += static_cast<std::int64_t>(dataSize);
        link_.WritePort(std::string(1, kACK));
        return BlockResult::kAccepted;
    }
    if (sound && bytesReceived_ > 0 && number == ((expected - 1) & 0xFF)) {
        // Our ACK of that block was lost and the sender repeats it: it is acknowledged again
        // and dropped, instead of being refused until the sender gives up.
        Trace("Rx repeated block 0x" + HexByte(static_cast<char>(number)) + " skipped");
        link_.WritePort(std::string(1, kACK));
        return BlockResult::kRepeated;
    }
    Report(kConnectionErrorText, kReportMessage, 0, 0, 0);
    link_.ClearInput();
    link_.WritePort(std::string(1, kNAK));
    return BlockResult::kRejected;
}

void TYModemRX::Ask(char request, CheckMode mode) {
    mode_ = mode;
    if (std::find(asked_.begin(), asked_.end(), mode) == asked_.end()) {
        asked_.push_back(mode);
    }
    link_.WritePort(std::string(1, request));
}

bool TYModemRX::AskAgain() {
    if (!askCrc_ || blockSeen_ || crcAsks_ > 2 * kAsksPerCrcKind) {
        return false;
    }
    ++crcAsks_;
    if (crcAsks_ <= kAsksPerCrcKind) {
        Ask(kAskKermit, CheckMode::kKermit);
    } else if (crcAsks_ <= 2 * kAsksPerCrcKind) {
        Ask(kAskCrc16, CheckMode::kCrc16);
    } else {
        Trace("Rx no CRC block, asking for the checksum");
        Ask(kNAK, CheckMode::kChecksum);
    }
    return true;
}

bool TYModemRX::PassesCheck(std::string_view block, std::size_t dataSize, CheckMode& passed) const {
    std::string_view data = block.substr(2, dataSize);
    std::string_view check = block.substr(2 + dataSize);
    if (modeSettled_) {
        passed = mode_;
        return check == BlockCheck(mode_, data);
    }
    for (CheckMode mode : asked_) {
        if (check.size() == CheckLength(mode) && check == BlockCheck(mode, data)) {
            passed = mode;
            return true;
        }
    }
    return false;
}

bool TYModemRX::ReadCrcTail(std::string& block) {
    // Only after the fallback: a CRC request may have been taken late, while the calculator
    // was still busy.
    if (modeSettled_ || mode_ != CheckMode::kChecksum || asked_.size() < 2) {
        return false;
    }
    std::string tail(1, '\0');
    if (link_.ReadComm(tail, kTransferReadWaitMs) != 1) {
        return false;
    }
    block += tail;
    return true;
}

void TYModemRX::CleanUpAfterFailure(const std::string& message) {
    Trace("sending CAN");
    try {
        Report(message, kReportMessage, 0, 0, 0);
    } catch (const std::exception& e) {
        Trace(std::string("Failure report failed: ") + e.what());
    }
    // A port that went away has no calculator behind it to tell or to wait for.
    bool gone = link_.LostError() != 0;
    try {
        if (!gone) {
            link_.WritePort(std::string(kReceiverCanCount, kCAN));
            link_.ClearInput();
        }
    } catch (const std::exception& e) {
        Trace(std::string("CAN not sent: ") + e.what());
    }
    // No partial or stale file may stay behind under the target name.
    if (!name_.empty()) {
        DeleteFileIfExists(name_);
    }
    if (!gone) {
        Pause(link_.Timing().FailureDelay);
    }
}

}  // namespace vaddex
