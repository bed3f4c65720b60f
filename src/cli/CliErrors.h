#pragma once

#include <stdexcept>

namespace vaddex::cli {

// A command line that cannot be carried out as written; the program ends with status 2.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A command that cannot go on (a missing file, an unknown variable); the program prints the
// text and ends with status 1.
class CommandFailed : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace vaddex::cli
