#pragma once

#include <string>
#include <utility>

#include "util/Errors.h"

namespace vaddex {

// How a session operation ended. The session turns its own failures into one of these
// reasons, so every front end learns what happened from the outcome alone and maps it once
// (the window to a message box, the command line to its status, the mount to an errno).
struct Outcome {
    enum class Kind {
        Done,
        // A question was answered No: the item is passed over, and a batch goes on.
        Declined,
        // The user's Cancel: of a transfer, of a window waiting for the calculator, or the
        // Cancel of a question that ends the batch.
        Cancelled,
        NotConnected,     // no calculator is connected
        PortGone,         // the port itself went away (unplugged, its far end closed)
        PortInUse,        // another program holds the port
        PortUnavailable,  // the port cannot be opened; the message gives the system's reason
        NoCalculator,     // the port opened, but no calculator answered or it was not known
        BadName,          // a name the calculator cannot take
        Exists,           // the name is taken
        NoRoom,           // larger than the calculator's free memory
        Refused,          // the calculator did not do it (no variable made, not one object)
        LinkFailed,       // the line failed during the operation
        FileError,        // a PC file could not be read or written
    };

    Kind kind = Kind::Done;
    std::string message;  // what came of it, as a front end may say it; empty when done

    static Outcome Done() { return {}; }
    static Outcome Declined(std::string text) { return {Kind::Declined, std::move(text)}; }
    static Outcome Cancelled() { return {Kind::Cancelled, kCanceledByUserText}; }
    static Outcome Fail(Kind kind, std::string text) { return {kind, std::move(text)}; }
    // Done, or failed with the kind and the text.
    static Outcome DoneOr(bool done, Kind kind, std::string failure) {
        return done ? Done() : Fail(kind, std::move(failure));
    }

    bool IsDone() const { return kind == Kind::Done; }
    bool IsDeclined() const { return kind == Kind::Declined; }
    bool IsCancelled() const { return kind == Kind::Cancelled; }
    // Neither done, declined nor cancelled: it failed for the reason its kind names.
    bool IsFailed() const { return !IsDone() && !IsDeclined() && !IsCancelled(); }
    // A batch passes over a declined item; a cancel or a failure ends it.
    bool GoesOn() const { return IsDone() || IsDeclined(); }
    explicit operator bool() const { return IsDone(); }

    // The same outcome told with another text; the user's Cancel keeps its own.
    Outcome Saying(std::string text) const {
        return IsDone() || IsCancelled() ? *this : Outcome{kind, std::move(text)};
    }
    // The same outcome with a text in front of its own ("GREETING: " + message).
    Outcome Prefixed(const std::string& prefix) const {
        return IsDone() || IsCancelled() ? *this : Outcome{kind, prefix + message};
    }
};

// The kind's name as a front end may print it ("port gone"), for logs and tests.
const char* KindName(Outcome::Kind kind);

}  // namespace vaddex
