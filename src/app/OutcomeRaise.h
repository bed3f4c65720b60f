#pragma once

#include "session/Outcome.h"
#include "util/Errors.h"

namespace vaddex::gui {

// A step of a window command that did not go on ends the command: its reason is raised, for
// Guarded to show; a declined step goes on.
inline void RaiseUnlessGoesOn(const Outcome& outcome) {
    if (!outcome.GoesOn()) {
        throw LinkError(outcome.message);
    }
}

}  // namespace vaddex::gui
