#pragma once

#include <stdexcept>
#include <string>

namespace vaddex {

// The message of every abandoned link operation.
inline constexpr const char* kConnectionErrorText =
    "Connection Error.\r\nPlease check your connections.";

// The text of the user's Cancel, wherever it is shown or raised.
inline constexpr const char* kCanceledByUserText = "Canceled by user";

// What an abandoned operation was stopped by, so that whoever reports it can say which kind
// of failure it was without reading its text.
enum class ErrorKind {
    General,       // the operation could not be done (the calculator did not do it)
    NotConnected,  // no calculator is connected
    NoCalculator,  // the port opened but no calculator answered, or it was not known
    PortUnavailable,
    BadName,     // a name the calculator cannot take
    NoRoom,      // larger than the calculator's free memory
    LinkFailed,  // what arrived was damaged or incomplete
    FileError,   // a PC file could not be read or written
};

// Base of the two failures that link, file, transfer and session operations raise.
class LinkError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The link failed: a port call, a time-out or a retry limit.
class ConnectionError : public LinkError {
public:
    ConnectionError() : LinkError(kConnectionErrorText) {}

protected:
    // A link failure that knows its reason says so instead of the general text.
    explicit ConnectionError(const std::string& text) : LinkError(text) {}
};

// An operation abandoned with a text of its own; the message reads "Error (" + text + ")".
class OperationError : public LinkError {
public:
    explicit OperationError(const std::string& text, ErrorKind kind = ErrorKind::General)
        : LinkError("Error (" + text + ")"), kind_(kind) {}

    ErrorKind Kind() const { return kind_; }

private:
    ErrorKind kind_;
};

// The user's Cancel ended the operation; its message is kCanceledByUserText.
class CancelledError : public LinkError {
public:
    CancelledError() : LinkError(kCanceledByUserText) {}
};

// Abandons an operation with the message "Error (" + text + ")".
[[noreturn]] void RaiseError(const std::string& text, ErrorKind kind = ErrorKind::General);

}  // namespace vaddex
