#pragma once

#include <string>

#include "util/Errors.h"

namespace vaddex {

// The line failed after the calculator had taken all the data of a put or restore: unlike a
// failed transfer, the calculator may now hold what was sent.
class SentThenFailedError : public ConnectionError {
public:
    // "The line failed after WHAT was sent; the calculator may hold it (REASON)", or, when
    // the calculator acknowledged that it `stored` what was sent, "WHAT was stored on the
    // calculator, but then the line failed (REASON)".
    SentThenFailedError(const std::string& what, const std::string& reason, bool stored = false);

    const std::string& Reason() const { return reason_; }

private:
    std::string reason_;
};

}  // namespace vaddex
