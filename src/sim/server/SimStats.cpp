#include "sim/server/SimStats.h"

namespace zqsim {

const char* ModeName(SimMode mode) {
    switch (mode) {
        case SimMode::Server:
            return "server";
        case SimMode::Idle:
            return "idle";
        case SimMode::XRecv:
            return "xrecv";
        case SimMode::XSend:
            return "xsend";
        case SimMode::Screen:
            return "screen";
        case SimMode::Rom:
            return "rom";
        case SimMode::Kermit:
            return "kermit";
        case SimMode::Pulled:
            return "pulled";
        case SimMode::Stopped:
            return "stopped";
    }
    return "?";
}

}  // namespace zqsim
