#pragma once

#include <string>
#include <vector>

namespace vaddex {

// The pieces of `text` between any of the `separators` bytes; empty pieces (doubled,
// leading or trailing separators) are left out.
std::vector<std::string> SplitSkippingEmpty(const std::string& text, const std::string& separators);

}  // namespace vaddex
