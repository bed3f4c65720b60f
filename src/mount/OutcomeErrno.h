#pragma once

#include "session/Outcome.h"

namespace vaddex::mount {

// The errno a file-system call returns for a session outcome: 0 when done. Every operation
// of the mount maps its outcome here, so one kind always reaches programs as one errno.
int ErrnoOf(Outcome::Kind kind);

}  // namespace vaddex::mount
