#pragma once

#include <string>

namespace vaddex::cli {

// The text of "vaddex-cli --help": every command and option.
std::string HelpText();

}  // namespace vaddex::cli
