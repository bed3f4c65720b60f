#include "sim/server/XModemReceiver.h"

#include "sim/server/BlockCheck.h"
#include "util/Ticks.h"

namespace zqsim {
namespace {

// Longer than the PC's 2500 ms read plus its 800 ms pause, so that the PC's own repeat of a
// block whose ACK was lost comes before our NAK.
constexpr int kNextBlockMs = 5000;
constexpr int kBlockByteMs = 1000;
constexpr int kQuietMs = 50;
constexpr int kMaxErrors = 10;

}  // namespace

void XModemReceiver::Cancel() {
    context_.link.Write(std::string(3, static_cast<char>(kCan)));
}

bool XModemReceiver::AwaitFirstBlock(int repeatMs, int giveUpMs, std::uint8_t& first,
                                     std::string& why) {
    std::int64_t start = vaddex::TickMs();
    const std::string request(1, static_cast<char>(HandshakeByte(mode_)));
    for (;;) {
        context_.link.Write(request);
        std::int64_t asked = vaddex::TickMs();
        for (;;) {
            int left = static_cast<int>(repeatMs - (vaddex::TickMs() - asked));
            if (left <= 0) {
                break;
            }
            auto byte = context_.link.ReadByte(left);
            if (!byte) {
                break;
            }
            if (*byte == kSoh || *byte == kStx || *byte == kEot || *byte == kCan) {
                first = *byte;
                return true;
            }
        }
        if (giveUpMs >= 0 && vaddex::TickMs() - start >= giveUpMs) {
            why = "the sender never started";
            return false;
        }
    }
}

int XModemReceiver::ReadBlock(std::uint8_t header, std::uint8_t expected, std::string& data) {
    std::size_t size = header == kSoh ? 128 : 1024;
    std::string rest = context_.link.ReadBytes(2 + size + CheckLength(mode_), kBlockByteMs);
    if (rest.size() < 2 + size + CheckLength(mode_)) {
        return -1;
    }
    auto number = static_cast<std::uint8_t>(rest[0]);
    auto complement = static_cast<std::uint8_t>(rest[1]);
    std::string_view payload = std::string_view(rest).substr(2, size);
    if (complement != 255 - number || rest.substr(2 + size) != CheckBytes(mode_, payload)) {
        return -1;
    }
    if (number == expected) {
        data.append(payload);
        return 1;
    }
    return number == static_cast<std::uint8_t>(expected - 1) ? 0 : -2;
}

bool XModemReceiver::Receive(int repeatMs, int giveUpMs, std::string& data, std::string& why) {
    data.clear();
    std::uint8_t first = 0;
    if (!AwaitFirstBlock(repeatMs, giveUpMs, first, why)) {
        return false;
    }
    SimLink& link = context_.link;
    link.Note(std::string("receiving, ") + CheckModeName(mode_));
    int ordinal = 0;
    int errors = 0;
    std::optional<std::uint8_t> next = first;
    for (;;) {
        if (!next) {
            if (++errors > kMaxErrors) {
                why = "the sender fell silent";
                Cancel();
                return false;
            }
            link.Write(std::string(1, static_cast<char>(kNak)));
        } else if (*next == kEot) {
            link.Write(std::string(1, static_cast<char>(kAck)));
            return true;
        } else if (*next == kCan) {
            why = "the sender cancelled";
            return false;
        } else if (*next == kSoh || *next == kStx) {
            int verdict = ReadBlock(*next, static_cast<std::uint8_t>(ordinal + 1), data);
            if (verdict == -2) {
                why = "a block out of sequence";
                Cancel();
                return false;
            }
            if (verdict < 0) {
                context_.stats.Update([](SimStats& s) { ++s.blocksRejected; });
                if (++errors > kMaxErrors) {
                    why = "too many damaged blocks";
                    Cancel();
                    return false;
                }
                link.DiscardUntilQuiet(kQuietMs);
                link.Write(std::string(1, static_cast<char>(kNak)));
            } else {
                errors = 0;
                if (verdict == 1) {
                    ++ordinal;
                }
                context_.stats.Update(
                    [&](SimStats& s) { ++(verdict == 1 ? s.blocksReceived : s.duplicateBlocks); });
                if (verdict == 1 && context_.faults.TakeLostAck(ordinal)) {
                    link.Note("fault plan: ACK of block " + std::to_string(ordinal) + " lost");
                } else {
                    link.Write(std::string(1, static_cast<char>(kAck)));
                }
            }
        }
        // Any other byte is line noise between blocks.
        next = link.ReadByte(kNextBlockMs);
    }
}

}  // namespace zqsim
