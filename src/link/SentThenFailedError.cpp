#include "link/SentThenFailedError.h"

namespace vaddex {

SentThenFailedError::SentThenFailedError(const std::string& what, const std::string& reason,
                                         bool stored)
    : ConnectionError(stored ? what + " was stored on the calculator, but then the line failed (" +
                                   reason + ")"
                             : "The line failed after " + what +
                                   " was sent; the calculator may hold it (" + reason + ")"),
      reason_(reason) {}

}  // namespace vaddex
