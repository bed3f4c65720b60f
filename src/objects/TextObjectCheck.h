#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vaddex {

// Reads a text the way the calculator's parser will before OBJ→ evaluates it, and tells
// whether it is exactly one object. The calculator runs what it parses: a word outside every
// object (PURGE, HOME, a variable's name) would run there, so only one object with nothing
// around it but blanks and comments may be sent. Known: numbers and units, strings (with the
// \" and \\ escapes), names and algebraics in quotes, programs « », lists { }, arrays [ ],
// complex numbers ( ), tagged objects :tag:obj, binary integers #..., graphics GROB w h hex
// and directories DIR name obj ... END; comments run from @ to the line's end or the next @.
// Inside an object nothing runs, so words there are let through.
class TextObjectCheck {
public:
    // `text` in calculator bytes (« is 0xAB, » 0xBB). `mark` is the calculator's decimal mark
    // while it parses ("." or ","); '\0' when it is not known, and then the text must be safe
    // with either.
    explicit TextObjectCheck(std::string_view text, char mark = '\0');

    bool IsOneObject() const { return problem_.empty(); }
    // Why the text is not one object, such as "PURGE would run on the calculator" (words in
    // display form); empty when it is one.
    const std::string& Problem() const { return problem_; }

private:
    enum class Item { Object, Word, Broken };

    Item TopLevelItem(std::string& word);
    // One object inside another (a tag's object, a directory entry): any word will do.
    bool InnerItem();
    // What follows the word GROB or DIR.
    bool Introduced(std::string_view word);
    bool Nested();
    bool String();
    bool Quoted();
    bool Tagged();
    bool Binary();
    bool Graphic();
    bool Directory();
    // A word that stands for numbers only, whichever decimal mark may be in force.
    bool IsNumbers(std::string_view word) const;
    bool WholeWord(std::string_view word);
    void SkipBlanksAndComments();
    std::string_view Word();
    bool AtEnd() const { return pos_ >= text_.size(); }
    bool Fail(const std::string& why);

    std::string_view text_;
    char mark_;
    std::size_t pos_ = 0;
    int depth_ = 0;
    std::string broken_;  // what broke the structure, when it broke
    std::string problem_;
};

}  // namespace vaddex
