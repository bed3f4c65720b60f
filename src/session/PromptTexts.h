#pragma once

#include <string>

namespace vaddex {

// Prompt kinds of the "Set the Calculator" window: 0 is a caller-given text, 1 to 10 the
// fixed instructions below.
enum PromptKind : int {
    kPromptText = 0,
    kPromptServerBefore = 1,
    kPromptServerAfter = 2,
    kPromptCaptureFirst = 3,
    kPromptXRecvBefore = 4,
    kPromptXRecvAfter = 5,
    kPromptXSend = 6,
    kPromptRom = 7,
    kPromptConnect = 8,
    kPromptRestored = 9,
    kPromptCaptureAgain = 10,
};

// The instruction text of a kind (lines joined by CR LF, ending with CR LF); the ALG wording
// where the kind has one and rpn is false. Empty for kind 0 and kinds outside 1 to 10.
std::string PromptText(int kind, bool rpn);

// The caption a kind shows unless the caller gives one.
std::string PromptCaption(int kind);

// Kinds 1, 3, 4 and 10 stay up without a modal loop while the program waits for the calculator.
bool IsNonModalPrompt(int kind);

// Whether the kind shows a Cancel button (all but 2 and 5).
bool PromptHasCancel(int kind);

}  // namespace vaddex
