#pragma once

#include <cstdint>
#include <string>

namespace zqsim {

// Faults to inject, reproducibly: the same plan and seed hit the same bytes of the same stream.
struct FaultPlan {
    std::uint64_t seed = 0;  // 0: the server's own seed
    double corruptIn = 0;    // chance per byte from the PC of being damaged
    double corruptOut = 0;   // chance per byte to the PC of being damaged
    double dropIn = 0;       // chance per byte from the PC of being lost
    double dropOut = 0;      // chance per byte to the PC of being lost
    // The receiver withholds the ACK of this block of the next transfer (1 = first block),
    // once; 0: none.
    int loseAckBlock = 0;
    // The next answer packets go out with a wrong checksum this many times in all.
    int badPacketChecksums = 0;
    // Output stops for good after this many more bytes; negative: never.
    std::int64_t silenceAfterBytes = -1;
    // The cable is pulled after this many more bytes went out; negative: never.
    std::int64_t pullAfterBytes = -1;

    bool operator==(const FaultPlan&) const = default;
};

// Reads blank-separated key=value words: seed, corrupt-in, corrupt-out, corrupt (both),
// drop-in, drop-out, drop (both), lose-ack, bad-packet, silence-after, pull-after; "none"
// or an empty text is the empty plan. Throws std::invalid_argument naming a bad word.
FaultPlan ParseFaultPlan(const std::string& text);

// The plan in the words ParseFaultPlan reads ("none" for the empty plan).
std::string DescribeFaultPlan(const FaultPlan& plan);

}  // namespace zqsim
