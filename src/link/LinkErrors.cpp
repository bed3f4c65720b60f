#include "link/LinkErrors.h"

namespace vaddex {

void RaiseError(const std::string& text) {
    throw OperationError(text);
}

}  // namespace vaddex
