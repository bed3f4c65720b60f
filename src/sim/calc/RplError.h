#pragma once

#include <stdexcept>
#include <string>

namespace zqsim {

// The calculator's error messages.
inline constexpr const char* kTooFewArguments = "Too Few Arguments";
inline constexpr const char* kBadArgumentType = "Bad Argument Type";
inline constexpr const char* kBadArgumentValue = "Bad Argument Value";
inline constexpr const char* kUndefinedName = "Undefined Name";
inline constexpr const char* kInvalidSyntax = "Invalid Syntax";
inline constexpr const char* kNonEmptyDirectory = "Non-Empty Directory";
inline constexpr const char* kDirectoryNotAllowed = "Directory Not Allowed";
inline constexpr const char* kInsufficientMemory = "Insufficient Memory";
inline constexpr const char* kInfiniteResult = "Infinite Result";
inline constexpr const char* kUndefinedResult = "Undefined Result";
inline constexpr const char* kInvalidName = "Invalid Name";

// An error that aborts a command line unless IFERR catches it.
class RplError : public std::runtime_error {
public:
    explicit RplError(const std::string& message) : std::runtime_error(message) {}

    // The word that failed ("" for the command line's own syntax).
    std::string command;
    // Set once the failing word's arguments have been dealt with, so that the words that
    // were evaluating it leave theirs alone.
    bool argumentsHandled = false;
};

// Ends the command line at once and cannot be caught by IFERR: the step budget ran out.
class RplInterrupt : public std::runtime_error {
public:
    RplInterrupt() : std::runtime_error("Interrupted") {}
};

// RESTORE replaced the memory: the calculator starts afresh and the command line ends.
class RplRestart : public std::runtime_error {
public:
    RplRestart() : std::runtime_error("Restart") {}
};

}  // namespace zqsim
