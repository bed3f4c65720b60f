#include "sim/server/XModemSender.h"

#include <algorithm>
#include <random>

#include "sim/server/BlockCheck.h"

namespace zqsim {
namespace {

// The PC answers a block within its 2500 ms read, or repeats its NAK after that long.
constexpr int kBlockReplyMs = 10000;
constexpr int kMaxBlockTries = 10;
constexpr int kMaxEotTries = 10;

}  // namespace

XModemSender::XModemSender(SimContext& context, std::size_t blockSize)
    : context_(context), buffer_(blockSize == 128 ? 128 : 1024, '\0') {
    // Whatever the buffer held before the first object: reproducible, and rarely zero, so that
    // a receiver that keeps the padding shows it.
    std::mt19937_64 filler(context.options.seed);
    for (char& byte : buffer_) {
        byte = static_cast<char>(filler() & 0xFF);
    }
}

bool XModemSender::AwaitHandshake(int handshakeMs, CheckMode& mode, std::string& why) {
    for (;;) {
        auto byte = context_.link.ReadByte(handshakeMs);
        if (!byte) {
            why = "the receiver never asked for the object";
            return false;
        }
        if (*byte == kCan) {
            why = "the receiver cancelled";
            return false;
        }
        auto asked = ModeOfHandshake(*byte);
        if (asked && (*asked == CheckMode::Checksum || !context_.options.checksumOnly)) {
            mode = *asked;
            return true;
        }
    }
}

void XModemSender::Refuse(int handshakeMs) {
    CheckMode mode;
    std::string why;
    AwaitHandshake(handshakeMs, mode, why);
    context_.link.Write(std::string(3, static_cast<char>(kCan)));
}

bool XModemSender::SendBlock(const std::string& block, std::string& why) {
    for (int attempt = 0; attempt < kMaxBlockTries; ++attempt) {
        if (attempt > 0) {
            context_.stats.Update([](SimStats& s) { ++s.blockResends; });
        }
        context_.link.Write(block);
        for (;;) {
            auto reply = context_.link.ReadByte(kBlockReplyMs);
            if (!reply || *reply == kNak) {
                break;
            }
            if (*reply == kAck) {
                context_.stats.Update([](SimStats& s) { ++s.blocksSent; });
                return true;
            }
            if (*reply == kCan) {
                why = "the receiver cancelled";
                return false;
            }
        }
    }
    why = "a block was never acknowledged";
    context_.link.Write(std::string(3, static_cast<char>(kCan)));
    return false;
}

bool XModemSender::SendEot(std::string& why) {
    for (int attempt = 0; attempt < kMaxEotTries; ++attempt) {
        context_.link.Write(std::string(1, static_cast<char>(kEot)));
        auto reply = context_.link.ReadByte(kBlockReplyMs);
        if (reply && *reply == kAck) {
            return true;
        }
        if (reply && *reply == kCan) {
            why = "the receiver cancelled";
            return false;
        }
    }
    why = "EOT was never acknowledged";
    return false;
}

bool XModemSender::Send(const std::string& file, int handshakeMs, std::string& why) {
    CheckMode mode = CheckMode::Checksum;
    if (!AwaitHandshake(handshakeMs, mode, why)) {
        return false;
    }
    context_.link.Note(std::string("sending ") + std::to_string(file.size()) + " bytes, " +
                       CheckModeName(mode));
    std::uint8_t number = 1;
    for (std::size_t at = 0; at < file.size(); at += buffer_.size(), ++number) {
        std::size_t take = std::min(buffer_.size(), file.size() - at);
        std::copy_n(file.begin() + static_cast<std::ptrdiff_t>(at), take, buffer_.begin());
        std::string block;
        block += static_cast<char>(buffer_.size() == 128 ? kSoh : kStx);
        block += static_cast<char>(number);
        block += static_cast<char>(255 - number);
        block += buffer_;
        block += CheckBytes(mode, buffer_);
        if (!SendBlock(block, why)) {
            return false;
        }
    }
    if (!SendEot(why)) {
        return false;
    }
    context_.stats.Update([](SimStats& s) { ++s.objectsSent; });
    return true;
}

}  // namespace zqsim
