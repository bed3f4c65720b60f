#pragma once

#include <cstddef>
#include <string>

#include "objects/TextFileForm.h"

namespace vaddex::test {

// Text of `size` bytes that repeats a numbered pattern, so a shifted or damaged block shows.
inline std::string PatternText(std::size_t size) {
    std::string text;
    for (std::size_t i = 0; text.size() < size; ++i) {
        text += "block " + std::to_string(i) + ";";
    }
    text.resize(size);
    return text;
}

// A string object in the calculator's packed form (no file header).
inline std::string PackedString(const std::string& text) {
    return WrapAsStringObject(text, "K8").substr(8);
}

}  // namespace vaddex::test
