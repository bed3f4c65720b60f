#pragma once

#include <string>

#include "session/TransferOptions.h"

namespace vaddex {

// The calculator state that the main window (or the command line) keeps and the session
// reads and writes. Owned by the front end.
struct CalculatorState {
    std::string series;     // "K7" or "K8", from identification
    std::string modelName;  // "K7", "K8", "K8G+" or "K7GII"
    std::string romVersion;
    std::string calculatorFlags = "00000000";  // '0'/'1' per reported calculator flag
    int captureSpeed = 0;                      // speed needed for backup and capture; 0 = none

    bool textMode = false;     // copies from the calculator produce text files
    TransferOptions transfer;  // the user's settings for copies

    // Calculator flag -36: a put asks before replacing a variable.
    bool OverwriteFlag() const { return !calculatorFlags.empty() && calculatorFlags[0] == '1'; }
    // Calculator flag -51: the comma is the decimal mark.
    char DecimalMark() const {
        return calculatorFlags.size() > 1 && calculatorFlags[1] == '1' ? ',' : '.';
    }

    // The series code; the model follows it until SetModel names another.
    void SetSeries(const std::string& text) {
        series = text;
        SetModel(text);
    }
    // The model text; an empty text falls back to the series code.
    void SetModel(const std::string& text) { modelName = text.empty() ? series : text; }
};

}  // namespace vaddex
