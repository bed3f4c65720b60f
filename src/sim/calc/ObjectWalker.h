#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "sim/calc/PrologTable.h"

namespace zqsim {

// Deepest nesting of composites the walker follows; deeper objects count as unmeasurable.
inline constexpr int kMaxObjectDepth = 200;

// The nibble position just past the object whose prolog is at `pos`, by the size rules of
// the prolog table's first `rowCount` rows (unknown prologs are 5-nibble pointers).
// nullopt when the object does not end inside `nibbles` or is malformed.
std::optional<std::size_t> MeasureObjectAt(std::string_view nibbles, std::size_t pos,
                                           int rowCount = kAllRows);

// The directory's entries are found through the offset at p+8; an empty one is 13 nibbles.
inline constexpr std::size_t kEmptyDirectorySize = 13;

}  // namespace zqsim
