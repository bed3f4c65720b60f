#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "objects/ObjectTypeTable.h"
#include "util/Ticks.h"

namespace vaddex {

inline constexpr const char* kDecompTimeOutText = "Decomp TimeOut";
inline constexpr const char* kObjectPastEndText = "Object runs past the end of the data";

// The wall-clock budget of one measurement.
inline constexpr std::int64_t kMeasureTimeLimitMs = 3000;

// The first nibble of the object in a binary object file, behind its 8-byte header.
inline constexpr std::size_t kObjectStartNibble = 16;

// A millisecond clock; tests substitute their own.
using TickSource = std::int64_t (*)();

struct MeasureLimits {
    int rowCount = kObjectTypeCount;  // rows of ObjectTypeTable known to the series
    std::int64_t startMs = TickMs();  // when the measurement began, on `clock`
    TickSource clock = &TickMs;
};

struct MeasureResult {
    bool success = false;
    std::string message;          // why it failed: kDecompTimeOutText or kObjectPastEndText
    std::size_t objectCount = 0;  // objects stepped over, the measured one included
};

// Advances `position` (a nibble index into `data`, low half of each byte first) from an
// object's prolog to just past the object. Never reads outside `data`; an object that would
// end past it fails. On failure `position` means nothing.
MeasureResult MeasureObject(std::string_view data, std::size_t& position,
                            const MeasureLimits& limits);

struct ObjectSizeResult {
    bool success = false;
    bool odd = false;     // the object ends in the middle of its last byte
    std::string message;  // why it failed
};

// Cuts a received binary object file (header, object, padding) to the object's exact length
// and clears the unused high half of an odd last byte. On failure the file is left untouched.
ObjectSizeResult ObjectSize(std::string& objectFile);

// The same, with the time limit counted from `startMs` on `clock`.
ObjectSizeResult ObjectSize(std::string& objectFile, std::int64_t startMs,
                            TickSource clock = &TickMs);

}  // namespace vaddex
