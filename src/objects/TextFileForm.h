#pragma once

#include <cstddef>
#include <string>

namespace vaddex {

struct TextFileResult {
    bool success = false;
    std::string text;     // the whole text file, bytes as they are to be written
    std::string message;  // why it failed
};

// Builds the text form of an object from the binary form of the string the calculator made
// of it: the printed list of flags -17, -18, -51 and its translation setting, followed by the
// object's text. `typeIndex` is the object's row of ObjectTypeTable; the translation settings
// are the PC's. Fails on a file that holds no complete string object.
TextFileResult MakeTextFile(std::string objectFile, int typeIndex, int transIO, bool trans031,
                            bool addCR);

struct ParsedTextFile {
    std::string body;  // calculator text to parse on the calculator
    // In stringMode, the string literal that carries body in the command line, as it is sent
    // (the packet's character translation still to come); empty otherwise
    std::string literal;
    // The text the calculator's OBJ\x8D parses: read back out of the bytes that are sent, the
    // way the calculator's reader reads them, so that a check of it is a check of what runs
    std::string objectText;
    std::string angle;     // "DEG ", "RAD ", "GRAD " or empty
    std::string fraction;  // "-51 SF ", "-51 CF " or empty
    // Short enough to travel inside a string literal, and free of NUL characters
    bool stringMode = false;
};

// Splits a text file into its header's mode commands and its body in calculator characters.
ParsedTextFile ParseTextFile(const std::string& content);

// A binary object file holding a string object with the given calculator text. Raises an
// OperationError when the text is too long for the string's length field.
std::string WrapAsStringObject(const std::string& text, const std::string& series);

// The text of the string object in a binary object file (header, prolog, length, characters),
// as far as the file holds it; empty when the file is too short to hold one.
std::string StringObjectText(const std::string& file);

// The character just before each of the first `count` decimal marks of a printed list
// ("{ 0. 1. 0. 3. }" gives "0103"); "0" for those not found.
std::string VersionDigits(const std::string& text, std::size_t count);

}  // namespace vaddex
