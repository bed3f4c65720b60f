#include "cli/OutcomeLine.h"

#include "cli/CliApp.h"
#include "cli/CliErrors.h"

namespace vaddex::cli {

std::string OutcomeLine(const Outcome& outcome) {
    if (outcome.IsCancelled()) {
        return std::string(kCanceledByUserText) + ".";
    }
    if (outcome.message.empty()) {
        return std::string(KindName(outcome.kind)) + ".";
    }
    return ErrorLine(outcome.message);
}

void RequireDone(const Outcome& outcome) {
    if (!outcome) {
        throw CommandFailed(OutcomeLine(outcome));
    }
}

}  // namespace vaddex::cli
