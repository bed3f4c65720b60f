#include "sim/server/CommandPackets.h"

#include "sim/server/BlockCheck.h"

namespace zqsim {
namespace {

// The PC sends its packet right after the letter, and again after its input clearing.
constexpr int kPacketStartMs = 3000;
constexpr int kPacketByteMs = 1000;
// The PC acknowledges within its own read time-out; it clears its input before a NAK.
constexpr int kReplyMs = 5000;
// Quiet time that ends what is left of a damaged packet.
constexpr int kQuietMs = 50;
// The PC gives up after six rejections; a few more keep a late PC from being cut off.
constexpr int kMaxTries = 10;

}  // namespace

void CommandPackets::Reject(const char* why) {
    context_.link.Note(std::string("packet rejected: ") + why);
    context_.link.DiscardUntilQuiet(kQuietMs);
    context_.link.Write(std::string(1, static_cast<char>(kNak)));
    context_.stats.Update([](SimStats& s) { ++s.packetsRejected; });
}

std::optional<std::string> CommandPackets::Receive() {
    SimLink& link = context_.link;
    for (int attempt = 0; attempt < kMaxTries; ++attempt) {
        auto high = link.ReadByte(kPacketStartMs);
        if (!high) {
            link.Note("no command packet came");
            return std::nullopt;
        }
        auto low = link.ReadByte(kPacketByteMs);
        if (!low) {
            Reject("no length");
            continue;
        }
        std::size_t length = static_cast<std::size_t>(*high) * 256 + *low;
        std::string data = link.ReadBytes(length, kPacketByteMs);
        auto sum = link.ReadByte(kPacketByteMs);
        if (data.size() < length || !sum) {
            Reject("short");
            continue;
        }
        if (*sum != ByteSum(data)) {
            Reject("checksum");
            continue;
        }
        link.Write(std::string(1, static_cast<char>(kAck)));
        context_.stats.Update([](SimStats& s) { ++s.packetsReceived; });
        return data;
    }
    return std::nullopt;
}

bool CommandPackets::Send(const std::string& data) {
    SimLink& link = context_.link;
    std::string packet;
    packet += static_cast<char>((data.size() >> 8) & 0xFF);
    packet += static_cast<char>(data.size() & 0xFF);
    packet += data;
    for (int attempt = 0; attempt < kMaxTries; ++attempt) {
        std::uint8_t sum = ByteSum(data);
        if (context_.faults.TakeBadChecksum()) {
            link.Note("fault plan: wrong packet checksum");
            sum = static_cast<std::uint8_t>(sum ^ 0x5A);
        }
        link.Write(packet + static_cast<char>(sum));
        for (;;) {
            auto reply = link.ReadByte(kReplyMs);
            if (!reply) {
                link.Note("answer packet not acknowledged");
                return false;
            }
            if (*reply == kAck) {
                context_.stats.Update([](SimStats& s) { ++s.packetsSent; });
                return true;
            }
            if (*reply == kNak) {
                context_.stats.Update([](SimStats& s) { ++s.packetResends; });
                break;
            }
            // A late poll or other stray byte is no answer to the packet.
        }
    }
    return false;
}

}  // namespace zqsim
