#pragma once

#include <functional>
#include <string>

namespace vaddex {

inline constexpr const char* kImproperNameCaption = "Improper Variable Name";

// Calculator form -> display form (`fileForm` false, backslash escapes) or file form
// (`fileForm` true, caret escapes, never a character a PC file name may not hold).
std::string CalcNameToPc(const std::string& name, bool fileForm);

// Display form (`fileForm` false) or file form (`fileForm` true) -> calculator form.
std::string PcNameToCalc(const std::string& name, bool fileForm);

// Asks an OK/Cancel question with the given text and caption; true for OK. Blocks until the
// user answers.
using AskOkCancel = std::function<bool(const std::string& text, const std::string& caption)>;

// Why a calculator-form name cannot stand inside the quotes of an RPL command line (nor as a
// word of a directory path): the calculator's parser would end the name early and read the
// rest as other objects or commands. Empty when it can stand there.
std::string UnsafeNameReason(const std::string& calcName);

// Why a display-form name holds a backslash that starts no complete escape (one at the end,
// or one followed by neither a backslash, three digits for a code other than 000 nor a
// two-letter code): the name would not reach the calculator as written. Empty when none.
std::string IncompleteEscapeReason(const std::string& displayName);

// True for a name the calculator keeps for itself ("HOME"), which no variable may take.
bool IsReservedName(const std::string& calcName);

struct NameCheck {
    bool goOn = true;    // the command may go on
    bool proper = true;  // the calculator accepts the name as a variable name
};

// Checks a display-form name. An improper one sounds `beep` (when given) and asks through
// `ask` whether to go on; without `ask` there is no-one to agree, so the command does not go
// on. Blocks while the question is open.
NameCheck CheckCalcName(const std::string& name, const AskOkCancel& ask,
                        const std::function<void()>& beep = nullptr);

}  // namespace vaddex
