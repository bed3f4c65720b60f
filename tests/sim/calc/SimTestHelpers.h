#pragma once

#include <string>

#include "sim/calc/NibbleFields.h"
#include "sim/calc/ObjectCodec.h"
#include "sim/calc/ObjectWalker.h"
#include "sim/calc/SimCalculator.h"

namespace zqsim::test {

// Command lines are written with →, « and » (UTF-8 in the source); the calculator gets its
// own bytes 0x8D, 0xAB and 0xBB.
inline std::string CalcBytes(std::string text) {
    const std::pair<std::string, char> codes[] = {{"→", '\x8D'}, {"«", '\xAB'}, {"»", '\xBB'},
                                                  {"π", '\x87'}, {"≤", '\x89'}, {"≥", '\x8A'},
                                                  {"≠", '\x8B'}, {"√", '\x83'}};
    for (const auto& [utf8, byte] : codes) {
        for (std::size_t at = text.find(utf8); at != std::string::npos;
             at = text.find(utf8, at + 1)) {
            text.replace(at, utf8.size(), 1, byte);
        }
    }
    return text;
}

// The characters of a string object file, read the way the program reads $$$t: the
// 8-byte header, the prolog and length field, then (length - 5) / 2 characters.
inline std::string StringOfFile(const std::string& file) {
    std::string nibbles = BytesToNibbles(file.substr(8));
    auto length = ReadField(nibbles, 5, 5).value_or(5);
    return ReadBytes(nibbles, 10, (length - 5) / 2).value_or("<not a string>");
}

// The object of a binary object file, padding cut; nullptr when there is none.
inline ObjPtr ObjectOfFile(const std::string& file) {
    std::string nibbles = BytesToNibbles(file.substr(8));
    auto end = MeasureObjectAt(nibbles, 0);
    return end ? DecodeObject(nibbles.substr(0, *end)) : nullptr;
}

// A calculator with an empty memory unless a test asks for the demo.
inline SimCalculatorOptions EmptyOptions() {
    SimCalculatorOptions options;
    options.demoMemory = false;
    return options;
}

}  // namespace zqsim::test
