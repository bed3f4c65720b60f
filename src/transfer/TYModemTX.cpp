#include "transfer/TYModemTX.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <exception>
#include <utility>

#include "util/Errors.h"
#include "util/Ticks.h"
#include "util/Trace.h"

namespace vaddex {
namespace {

// Unsuitable handshake bytes tolerated in a row; the next one ends the transfer.
constexpr int kMaxHandshakeReplies = 5;
// NAKs and silences tolerated for one block, counted together.
constexpr int kMaxBlockRetries = 5;
// EOTs written before the transfer is given up.
constexpr int kMaxEotAttempts = 5;
// Pause after a silence before the block is sent again.
constexpr int kSilencePauseMs = 800;
// Files this small go as 128-byte blocks from the start.
constexpr std::int64_t kSmallFileLimit = 896;
// Rejections of a large block after which the rest of the transfer goes in small blocks: on a
// noisy line most large blocks are hit, and the retry limit would end the transfer.
constexpr int kLargeBlockRejections = 2;
// Run of CAN bytes by which the transmitter abandons a transfer.
constexpr std::size_t kTransmitterCanCount = 3;

// Reads up to buffer.size() bytes; returns the count (0 at the end of the file) or -1.
long ReadChunk(int fd, std::string& buffer) {
    std::size_t done = 0;
    while (done < buffer.size()) {
        ssize_t got = ::read(fd, buffer.data() + done, buffer.size() - done);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return -1;
        }
        if (got == 0) {
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    return static_cast<long>(done);
}

}  // namespace

TYModemTX::TYModemTX(CommLink& link, std::string name, bool smallBlocksOnly, char firstReply,
                     ReportFn callback)
    : TYModemTX(link, std::move(name), smallBlocksOnly, firstReply, std::move(callback), true) {}

TYModemTX::TYModemTX(CommLink& link, std::string name, bool smallBlocksOnly, char firstReply,
                     ReportFn callback, bool startNow)
    : TransferThread(link, std::move(callback)),
      name_(std::move(name)),
      smallBlocksOnly_(smallBlocksOnly),
      firstReply_(firstReply) {
    if (startNow) {
        Start();
    }
}

TYModemTX::~TYModemTX() {
    Stop();
}

void TYModemTX::Execute() {
    success_ = false;
    try {
        Pause(link_.Timing().TxStartDelay);
        Handshake();
        std::int64_t fileSize = OpenFile();
        SendBlocks(fileSize);
        SendEndOfFile();
        success_ = true;
        link_.CloseSendFile();
    } catch (const std::exception& e) {
        CleanUpAfterFailure(e.what());
    }
}

void TYModemTX::Handshake() {
    char reply = firstReply_;
    int count = 0;
    for (;;) {
        if (reply == 0) {
            reply = ReadByte();
        }
        switch (reply) {
            case kNAK:
                mode_ = CheckMode::kChecksum;
                return;
            case kAskCrc16:
                mode_ = CheckMode::kCrc16;
                return;
            case kAskKermit:
                mode_ = CheckMode::kKermit;
                return;
            case kCAN:
                link_.RaiseConnectionError();
            default:
                break;
        }
        reply = 0;
        ++count;
        Trace("Tx needs CRC Flag #" + std::to_string(count));
        if (count > kMaxHandshakeReplies || TerminationRequested()) {
            link_.RaiseConnectionError();
        }
    }
}

std::int64_t TYModemTX::OpenFile() {
    int error = 0;
    int fd = link_.OpenSendFile(name_, &error);
    if (fd < 0) {
        RaiseError("Unable to open file " + name_ + " " + std::to_string(error));
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        RaiseError("Cannot read from file " + std::to_string(errno));
    }
    return static_cast<std::int64_t>(info.st_size);
}

void TYModemTX::SendBlocks(std::int64_t fileSize) {
    std::int64_t startTick = TickMs();
    std::int64_t bytesSent = 0;
    std::string buffer(kLargeBlock, '\0');
    if (smallBlocksOnly_ || fileSize < kSmallFileLimit) {
        buffer.resize(kSmallBlock);
    }
    Report("Copying " + name_, kReportStatus, 0, 0, 0);

    for (std::uint32_t counter = 1;;) {
        // Once the rest is under a large block it goes in small ones; it stays small.
        if (fileSize - bytesSent < static_cast<std::int64_t>(kLargeBlock)) {
            buffer.resize(kSmallBlock);
        }
        long got = ReadChunk(link_.SendFile(), buffer);
        if (got < 0) {
            RaiseError("Cannot read from file " + std::to_string(errno));
        }
        if (got == 0) {
            return;
        }
        Progress(bytesSent, fileSize, startTick);
        if (!SendBlock(MakeBlock(mode_, counter, buffer), buffer.size() == kLargeBlock)) {
            // The same block number again, with the first small part of the same data.
            Trace("Tx large block " + std::to_string(counter) + " rejected, small blocks now");
            if (::lseek(link_.SendFile(), bytesSent, SEEK_SET) != bytesSent) {
                RaiseError("Cannot read from file " + std::to_string(errno));
            }
            buffer.resize(kSmallBlock);
            continue;
        }
        bytesSent += static_cast<std::int64_t>(buffer.size());
        ++counter;
    }
}

bool TYModemTX::SendBlock(const std::string& frame, bool mayShrink) {
    int retries = 0;
    for (;;) {
        link_.WritePort(frame);
        char reply = ReadByte();
        if (TerminationRequested()) {
            link_.RaiseConnectionError();
        }
        if (reply == kACK) {
            return true;
        }
        if (reply == 0) {
            if (++retries > kMaxBlockRetries) {
                link_.RaiseConnectionError();
            }
            Pause(kSilencePauseMs);
        } else if (reply == kNAK) {
            if (++retries > kMaxBlockRetries) {
                link_.RaiseConnectionError();
            }
        } else if (reply == kCAN) {
            link_.RaiseConnectionError();
        } else {
            link_.ClearInput();  // noise: discarded, and not counted as a retry
        }
        Report(kConnectionErrorText, kReportMessage, 0, 0, 0);
        if (mayShrink && retries >= kLargeBlockRejections) {
            return false;
        }
    }
}

void TYModemTX::SendEndOfFile() {
    for (int attempts = 1;; ++attempts) {
        if (TerminationRequested()) {
            link_.RaiseConnectionError();
        }
        if (attempts > 1) {
            Trace("Tx No ACK for EOT error #" + std::to_string(attempts));
        }
        if (attempts > kMaxEotAttempts) {
            link_.RaiseConnectionError();
        }
        link_.WritePort(std::string(1, kEOT));
        if (ReadByte() == kACK) {
            return;
        }
    }
}

void TYModemTX::CleanUpAfterFailure(const std::string& message) {
    try {
        Report(message, kReportMessage, 0, 0, 0);
    } catch (const std::exception& e) {
        Trace(std::string("Failure report failed: ") + e.what());
    }
    // A port that went away has no calculator behind it to tell or to wait for.
    bool gone = link_.LostError() != 0;
    try {
        if (!gone) {
            link_.WritePort(std::string(kTransmitterCanCount, kCAN));
        }
    } catch (const std::exception& e) {
        Trace(std::string("CAN not sent: ") + e.what());
    }
    link_.CloseSendFile();
    if (!gone) {
        Pause(link_.Timing().FailureDelay);
    }
}

}  // namespace vaddex
