#pragma once

#include <string>

namespace vaddex {

// Calculator text -> PC text. `mode` is the TRANSIO setting (2: escape codes 128..159,
// 3: escape 128..255, anything else: none); `trans031` also escapes 0..31 (but the line feed)
// and 127; `stringMode` escapes the quotes and backslashes of a string object's body;
// `addCR` writes every line feed as CR LF.
std::string TextFromCalc(const std::string& text, int mode, bool trans031, bool stringMode,
                         bool addCR);

// PC text -> calculator text, decoding backslash escapes (three decimal digits or a
// mnemonic). With `stringMode` the result is the body of a calculator string literal whose
// value is the decoded text: every quote and backslash that stands for itself is escaped.
std::string TextToCalc(const std::string& text, bool stringMode);

// Text typed on a UTF-8 terminal or window -> calculator characters: the calculator's own
// symbols (such as the arrow, the comparison signs, the program brackets and the Greek
// letters) and the Latin-1 characters become their codes. Bytes that are no UTF-8 (typed on
// a Latin-1 terminal) and characters the calculator lacks stay as they are.
std::string Utf8ToCalc(const std::string& text);

// Calculator characters -> UTF-8, the inverse of Utf8ToCalc for the codes 128..255 it makes;
// the others stay as they are.
std::string CalcToUtf8(const std::string& text);

}  // namespace vaddex
