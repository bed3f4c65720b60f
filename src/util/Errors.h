#pragma once

#include <stdexcept>
#include <string>

namespace vaddex {

// The message of every abandoned link operation.
inline constexpr const char* kConnectionErrorText =
    "Connection Error.\r\nPlease check your connections.";

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
    explicit OperationError(const std::string& text) : LinkError("Error (" + text + ")") {}
};

// Abandons an operation with the message "Error (" + text + ")".
[[noreturn]] void RaiseError(const std::string& text);

}  // namespace vaddex
