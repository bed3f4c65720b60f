#pragma once

#include <string>

#include "util/Errors.h"

namespace vaddex {

// The port is there but another program holds it (its lock was taken).
class PortInUseError : public ConnectionError {
public:
    // "PORT is in use by another program".
    explicit PortInUseError(const std::string& port);
};

}  // namespace vaddex
