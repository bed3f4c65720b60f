#pragma once

#include <string>
#include <vector>

namespace vaddex::cli {

// The words of one command of a session, split as a POSIX shell splits them: blanks separate,
// '...' keeps everything, "..." keeps all but \" and \\, and a backslash outside quotes keeps
// the next character. Throws UsageError on an unclosed quote.
std::vector<std::string> SplitCommandWords(const std::string& line);

}  // namespace vaddex::cli
