// Every failure the core raises becomes the outcome kind a front end maps, so that none has
// to read a message to learn what happened.

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <system_error>

#include "link/PortGoneError.h"
#include "link/PortInUseError.h"
#include "link/PortOpenError.h"
#include "link/ReadCancelledError.h"
#include "link/SentThenFailedError.h"
#include "session/ErrorOutcome.h"
#include "util/Errors.h"

namespace vaddex::test {
namespace {

using Kind = Outcome::Kind;

Outcome Raising(const std::function<void()>& raise, bool portLost = false) {
    return GuardedOutcome(
        [&] {
            raise();
            return Outcome::Done();
        },
        [portLost] { return portLost; });
}

TEST(ErrorOutcome, EachFailureHasItsKind) {
    namespace fs = std::filesystem;
    struct Row {
        const char* failure;
        std::function<void()> raise;
        bool portLost;
        Kind kind;
        const char* message;  // null: not compared
    } rows[] = {
        {"the user's Cancel", [] { throw CancelledError(); }, false, Kind::Cancelled,
         "Canceled by user"},
        {"Ctrl-C during a read is a Cancel, not a connection error",
         [] { throw ReadCancelledError(); }, false, Kind::Cancelled, "Canceled by user"},
        {"a port gone", [] { throw PortGoneError("/dev/ttyUSB0", EIO); }, false, Kind::PortGone,
         nullptr},
        {"a port in use", [] { throw PortInUseError("/dev/ttyS0"); }, false, Kind::PortInUse,
         "/dev/ttyS0 is in use by another program"},
        {"a port that does not open says why", [] { throw PortOpenError("/dev/x", ENOENT); }, false,
         Kind::PortUnavailable, "/dev/x: No such file or directory"},
        {"a failed line", [] { throw ConnectionError(); }, false, Kind::LinkFailed, nullptr},
        {"a failed line whose port went", [] { throw ConnectionError(); }, true, Kind::PortGone,
         nullptr},
        {"a line that failed after the object was stored",
         [] { throw SentThenFailedError("X", "gone", true); }, false, Kind::LinkFailed,
         "X was stored on the calculator, but then the line failed (gone)"},
        {"a bad name", [] { RaiseError("no", ErrorKind::BadName); }, false, Kind::BadName,
         "Error (no)"},
        {"no room", [] { RaiseError("big", ErrorKind::NoRoom); }, false, Kind::NoRoom, nullptr},
        {"a file", [] { RaiseError("disk", ErrorKind::FileError); }, false, Kind::FileError,
         nullptr},
        {"anything else the calculator did not do", [] { RaiseError("odd"); }, false, Kind::Refused,
         nullptr},
        {"a name too long is a sentence",
         [] {
             throw fs::filesystem_error("cannot copy file", fs::path("/tmp/a"),
                                        std::make_error_code(std::errc::filename_too_long));
         },
         false, Kind::FileError, "/tmp/a: the name is too long for the file system"},
    };
    for (const Row& row : rows) {
        Outcome outcome = Raising(row.raise, row.portLost);
        EXPECT_EQ(outcome.kind, row.kind) << row.failure << ": " << KindName(outcome.kind);
        if (row.message != nullptr) {
            EXPECT_EQ(outcome.message, row.message) << row.failure;
        }
    }
}

}  // namespace
}  // namespace vaddex::test
