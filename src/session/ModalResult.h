#pragma once

namespace vaddex {

// Results of dialogs and of the progress window's modal run.
enum class ModalResult : int {
    None = 0,
    OK = 1,
    Cancel = 2,
    Abort = 3,
    Retry = 4,
    Ignore = 5,
    Yes = 6,
    No = 7,
    All = 8,
};

// OK, Yes and All count as positive answers.
inline bool IsPositive(ModalResult result) {
    return result == ModalResult::OK || result == ModalResult::Yes || result == ModalResult::All;
}

// Choices of the wrong-file-type question beside the modal results.
inline constexpr int kWrongFileText = -1;
inline constexpr int kWrongFileBinary = -2;

}  // namespace vaddex
