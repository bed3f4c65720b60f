#pragma once

#include <string>
#include <utility>

namespace vaddex {

// The text of the user's Cancel, wherever it is shown or raised.
inline constexpr const char* kCanceledByUserText = "Canceled by user";

// How a session operation ended that did not raise (link and file failures are still raised,
// as the two error types the front ends show). True only when it was done.
struct Outcome {
    enum class Kind {
        Done,
        // A question was answered No: the item is passed over, and a batch goes on.
        Declined,
        // The user's Cancel: of a transfer, of a window waiting for the calculator, or the
        // Cancel of a question that ends the batch.
        Cancelled,
        // It did not happen for another reason (a transfer that failed, nothing received).
        Failed,
    };

    Kind kind = Kind::Done;
    std::string message;  // what came of it, as a front end may say it; empty when done

    static Outcome Done() { return {}; }
    static Outcome Declined(std::string text) { return {Kind::Declined, std::move(text)}; }
    static Outcome Cancelled() { return {Kind::Cancelled, kCanceledByUserText}; }
    static Outcome Failed(std::string text) { return {Kind::Failed, std::move(text)}; }
    // Done, or failed with the text.
    static Outcome DoneOr(bool done, std::string failure) {
        return done ? Done() : Failed(std::move(failure));
    }

    bool IsDone() const { return kind == Kind::Done; }
    bool IsDeclined() const { return kind == Kind::Declined; }
    bool IsCancelled() const { return kind == Kind::Cancelled; }
    bool IsFailed() const { return kind == Kind::Failed; }
    // A batch passes over a declined item; a cancel or a failure ends it.
    bool GoesOn() const { return IsDone() || IsDeclined(); }
    explicit operator bool() const { return IsDone(); }

    // The same outcome told with another text; the user's Cancel keeps its own.
    Outcome Saying(std::string text) const {
        return IsDone() || IsCancelled() ? *this : Outcome{kind, std::move(text)};
    }
};

}  // namespace vaddex
