#include "session/ErrorOutcome.h"

#include <filesystem>
#include <new>
#include <system_error>

#include "link/PortGoneError.h"
#include "link/PortInUseError.h"
#include "link/PortOpenError.h"
#include "link/ReadCancelledError.h"
#include "link/SentThenFailedError.h"
#include "util/Errors.h"
#include "util/Trace.h"

namespace vaddex {
namespace {

using Kind = Outcome::Kind;

Kind KindOf(ErrorKind kind) {
    switch (kind) {
        case ErrorKind::NotConnected:
            return Kind::NotConnected;
        case ErrorKind::NoCalculator:
            return Kind::NoCalculator;
        case ErrorKind::PortUnavailable:
            return Kind::PortUnavailable;
        case ErrorKind::BadName:
            return Kind::BadName;
        case ErrorKind::NoRoom:
            return Kind::NoRoom;
        case ErrorKind::LinkFailed:
            return Kind::LinkFailed;
        case ErrorKind::FileError:
            return Kind::FileError;
        case ErrorKind::General:
            break;
    }
    return Kind::Refused;
}

// A file system error as a sentence: the path and the system's reason, never the library's
// "filesystem error: cannot copy file" wording.
std::string FileSystemSentence(const std::filesystem::filesystem_error& e) {
    std::string path = e.path1().string();
    std::string reason = e.code() == std::errc::filename_too_long
                             ? "the name is too long for the file system"
                             : e.code().message();
    return (path.empty() ? std::string() : path + ": ") + reason;
}

}  // namespace

Outcome OutcomeOfError(const std::exception_ptr& error, bool portLost) {
    try {
        std::rethrow_exception(error);
    } catch (const CancelledError&) {
        return Outcome::Cancelled();
    } catch (const ReadCancelledError&) {
        return Outcome::Cancelled();
    } catch (const PortGoneError& e) {
        return Outcome::Fail(Kind::PortGone, e.what());
    } catch (const PortInUseError& e) {
        return Outcome::Fail(Kind::PortInUse, e.what());
    } catch (const PortOpenError& e) {
        return Outcome::Fail(Kind::PortUnavailable, e.Port() + ": " + e.what());
    } catch (const SentThenFailedError& e) {
        return Outcome::Fail(portLost ? Kind::PortGone : Kind::LinkFailed, e.what());
    } catch (const ConnectionError& e) {
        return Outcome::Fail(portLost ? Kind::PortGone : Kind::LinkFailed, e.what());
    } catch (const OperationError& e) {
        return Outcome::Fail(KindOf(e.Kind()), e.what());
    } catch (const LinkError& e) {
        return Outcome::Fail(Kind::Refused, e.what());
    } catch (const std::filesystem::filesystem_error& e) {
        return Outcome::Fail(Kind::FileError, FileSystemSentence(e));
    } catch (const std::bad_alloc&) {
        return Outcome::Fail(Kind::NoRoom, "not enough memory on the PC");
    } catch (const std::exception& e) {
        Trace(std::string("Unexpected failure: ") + e.what());
        return Outcome::Fail(Kind::Refused, e.what());
    }
}

Outcome GuardedOutcome(const std::function<Outcome()>& operation,
                       const std::function<bool()>& portLost) {
    Outcome outcome;
    try {
        outcome = operation();
    } catch (...) {
        outcome = OutcomeOfError(std::current_exception(), portLost());
        Trace(std::string("Outcome: ") + KindName(outcome.kind) + ": " + outcome.message);
    }
    if (outcome.kind == Outcome::Kind::LinkFailed && portLost()) {
        outcome.kind = Outcome::Kind::PortGone;
    }
    return outcome;
}

}  // namespace vaddex
