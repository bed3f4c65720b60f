#include "mount/OutcomeErrno.h"

#include <cerrno>

namespace vaddex::mount {

int ErrnoOf(Outcome::Kind kind) {
    using Kind = Outcome::Kind;
    switch (kind) {
        case Kind::Done:
            return 0;
        // The mount answers every question No, and its questions are about names: a declined
        // operation is one whose name the calculator would not take as it stands.
        case Kind::Declined:
        case Kind::BadName:
            return EINVAL;
        case Kind::Cancelled:
            return EINTR;
        case Kind::Exists:
            return EEXIST;
        case Kind::NoRoom:
            return ENOSPC;
        case Kind::PortInUse:
            return EBUSY;
        case Kind::NotConnected:
        case Kind::PortGone:
        case Kind::PortUnavailable:
        case Kind::NoCalculator:
        case Kind::LinkFailed:
        case Kind::FileError:
        // The calculator took the bytes and kept no such variable: the data, not its name, was
        // wrong, which only an I/O error says to a writing program.
        case Kind::Refused:
            return EIO;
    }
    return EIO;
}

}  // namespace vaddex::mount
