#include "link/PortInUseError.h"

namespace vaddex {

PortInUseError::PortInUseError(const std::string& port)
    : ConnectionError(port + " is in use by another program") {}

}  // namespace vaddex
