#include "session/Outcome.h"

namespace vaddex {

const char* KindName(Outcome::Kind kind) {
    using Kind = Outcome::Kind;
    switch (kind) {
        case Kind::Done:
            return "done";
        case Kind::Declined:
            return "declined";
        case Kind::Cancelled:
            return "cancelled";
        case Kind::NotConnected:
            return "not connected";
        case Kind::PortGone:
            return "port gone";
        case Kind::PortInUse:
            return "port in use";
        case Kind::PortUnavailable:
            return "port unavailable";
        case Kind::NoCalculator:
            return "no calculator answered";
        case Kind::BadName:
            return "bad name";
        case Kind::Exists:
            return "exists";
        case Kind::NoRoom:
            return "no room";
        case Kind::Refused:
            return "refused by the calculator";
        case Kind::LinkFailed:
            return "link failed";
        case Kind::FileError:
            return "file error";
    }
    return "unknown";
}

}  // namespace vaddex
