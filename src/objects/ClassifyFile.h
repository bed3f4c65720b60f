#pragma once

#include <string>

namespace vaddex {

enum class FileForm { Binary, Text, Neither };

// The kind of a ".zq" file that holds text without the text form's header: the questions
// read "is a header-less text file".
inline constexpr const char* kHeaderlessTextKind = "header-less text";

struct FileClass {
    FileForm form = FileForm::Neither;
    // What the wrong-file question calls the file: the four characters from its third byte
    // for a binary file of another series, else its extension, else "unknown"; a ".zq" file
    // holding text is kHeaderlessTextKind.
    std::string kind;
    bool beginsWithZqzq = false;  // a binary head, whatever the series
};

// Tells from its first 8 bytes whether a file is a binary object file of `series` ("K7" or
// "K8"), a text object file, or neither. Raises an OperationError when the file cannot be
// opened or read.
FileClass ClassifyFile(const std::string& path, const std::string& series);

}  // namespace vaddex
