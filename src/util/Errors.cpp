#include "util/Errors.h"

namespace vaddex {

void RaiseError(const std::string& text, ErrorKind kind) {
    throw OperationError(text, kind);
}

}  // namespace vaddex
