#include "objects/TextObjectCheck.h"

#include <vector>

#include "objects/CalcNames.h"

namespace vaddex {
namespace {

constexpr char kOpenProgram = static_cast<char>(0xAB);
constexpr char kCloseProgram = static_cast<char>(0xBB);
// A word named in a message is cut to this length.
constexpr std::size_t kShownWordLength = 32;
// Directories and graphics inside directories and tags, one in another.
constexpr int kMaxDepth = 64;

bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

char CloserOf(char open) {
    switch (open) {
        case '{':
            return '}';
        case '[':
            return ']';
        case '(':
            return ')';
        default:
            return kCloseProgram;
    }
}

bool IsOpener(char c) {
    return c == '{' || c == '[' || c == '(' || c == kOpenProgram;
}

bool IsCloser(char c) {
    return c == '}' || c == ']' || c == ')' || c == kCloseProgram;
}

// What ends a word besides a blank: the brackets, quotes, tags and comments.
bool EndsWord(char c) {
    return IsBlank(c) || IsOpener(c) || IsCloser(c) || c == '"' || c == '\'' || c == ':' ||
           c == '@';
}

std::string Shown(std::string_view word) {
    std::string shown = CalcNameToPc(std::string(word.substr(0, kShownWordLength)), false);
    return word.size() > kShownWordLength ? shown + "..." : shown;
}

std::string ShownChar(char c) {
    return Shown(std::string_view(&c, 1));
}

// Digits with at most one decimal mark, an optional sign and exponent.
bool IsNumber(std::string_view word, char mark) {
    std::size_t i = 0;
    auto digits = [&] {
        std::size_t start = i;
        while (i < word.size() && IsDigit(word[i])) {
            ++i;
        }
        return i - start;
    };
    if (i < word.size() && (word[i] == '+' || word[i] == '-')) {
        ++i;
    }
    std::size_t mantissa = digits();
    if (i < word.size() && word[i] == mark) {
        ++i;
        mantissa += digits();
    }
    if (mantissa == 0) {
        return false;
    }
    if (i < word.size() && (word[i] == 'E' || word[i] == 'e')) {
        ++i;
        if (i < word.size() && (word[i] == '+' || word[i] == '-')) {
            ++i;
        }
        if (digits() == 0) {
            return false;
        }
    }
    return i == word.size();
}

// A number, or a number with a unit after "_" (5_m, 9.8_m/s^2).
bool IsNumberOrUnit(std::string_view word, char mark) {
    std::size_t underscore = word.find('_');
    if (underscore == std::string_view::npos) {
        return IsNumber(word, mark);
    }
    return underscore + 1 < word.size() && IsNumber(word.substr(0, underscore), mark);
}

// Numbers only, with the decimal mark `mark`: the other of "." and "," separates like a blank,
// so each piece between separators must be a number ("1,5" is 1 and 5 with the full stop;
// "-,2" would be the command - and 2).
bool IsNumbersWithMark(std::string_view word, char mark) {
    const char separator = mark == ',' ? '.' : ',';
    while (!word.empty()) {
        std::size_t end = word.find(separator);
        std::string_view piece = word.substr(0, end);
        if (!piece.empty() && !IsNumberOrUnit(piece, mark)) {
            return false;
        }
        word = end == std::string_view::npos ? std::string_view() : word.substr(end + 1);
    }
    return true;
}

bool IsCount(std::string_view word) {
    if (word.empty()) {
        return false;
    }
    for (char c : word) {
        if (!IsDigit(c)) {
            return false;
        }
    }
    return true;
}

bool IsHexDigits(std::string_view word) {
    if (word.empty()) {
        return false;
    }
    for (char c : word) {
        if (!IsDigit(c) && !(c >= 'A' && c <= 'F') && !(c >= 'a' && c <= 'f')) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool TextObjectCheck::IsNumbers(std::string_view word) const {
    bool asFullStop = mark_ == ',' || IsNumbersWithMark(word, '.');
    bool asComma = mark_ == '.' || IsNumbersWithMark(word, ',');
    bool someDigit = word.find_first_of("0123456789") != std::string_view::npos;
    return someDigit && asFullStop && asComma;
}

TextObjectCheck::TextObjectCheck(std::string_view text, char mark) : text_(text), mark_(mark) {
    std::size_t objects = 0;
    std::string running;
    SkipBlanksAndComments();
    while (!AtEnd()) {
        std::string word;
        Item item = TopLevelItem(word);
        if (item == Item::Broken) {
            // The calculator cannot parse such a text at all; what broke it says most.
            problem_ = broken_.empty() ? "it cannot be read as an object" : broken_;
            return;
        }
        if (item == Item::Word && running.empty()) {
            running = word;
        }
        ++objects;
        SkipBlanksAndComments();
    }
    if (!running.empty()) {
        problem_ = running + " would run on the calculator";
    } else if (objects == 0) {
        problem_ = "it holds nothing but blanks and comments";
    } else if (objects > 1) {
        problem_ = "it holds " + std::to_string(objects) + " objects";
    }
}

bool TextObjectCheck::Fail(const std::string& why) {
    if (broken_.empty()) {
        broken_ = why;
    }
    return false;
}

void TextObjectCheck::SkipBlanksAndComments() {
    while (!AtEnd()) {
        if (IsBlank(text_[pos_])) {
            ++pos_;
        } else if (text_[pos_] == '@') {
            std::size_t end = text_.find_first_of("\n@", pos_ + 1);
            pos_ = end == std::string_view::npos ? text_.size() : end + 1;
        } else {
            return;
        }
    }
}

std::string_view TextObjectCheck::Word() {
    std::size_t start = pos_;
    while (!AtEnd() && !EndsWord(text_[pos_])) {
        ++pos_;
    }
    return text_.substr(start, pos_ - start);
}

TextObjectCheck::Item TextObjectCheck::TopLevelItem(std::string& word) {
    char c = text_[pos_];
    bool whole = true;
    if (IsOpener(c)) {
        whole = Nested();
    } else if (IsCloser(c)) {
        whole = Fail(ShownChar(c) + " closes nothing");
    } else if (c == '"') {
        whole = String();
    } else if (c == '\'') {
        whole = Quoted();
    } else if (c == ':') {
        whole = Tagged();
    } else if (c == '#') {
        whole = Binary();
    } else {
        std::string_view found = Word();
        if (found == "GROB" || found == "DIR") {
            whole = Introduced(found);
        } else if (!IsNumbers(found)) {
            word = Shown(found);
            return Item::Word;
        }
    }
    return whole ? Item::Object : Item::Broken;
}

bool TextObjectCheck::Introduced(std::string_view word) {
    // Directories and tags may hold each other: the depth is bounded, not the stack.
    if (depth_ >= kMaxDepth) {
        return Fail("its objects nest too deeply");
    }
    ++depth_;
    bool whole = word == "GROB" ? Graphic() : Directory();
    --depth_;
    return whole;
}

bool TextObjectCheck::InnerItem() {
    if (AtEnd()) {
        return false;
    }
    char c = text_[pos_];
    if (IsOpener(c)) {
        return Nested();
    }
    if (c == '"') {
        return String();
    }
    if (c == '\'') {
        return Quoted();
    }
    if (c == ':') {
        return Tagged();
    }
    std::string_view word = Word();
    if (word == "GROB" || word == "DIR") {
        return Introduced(word);
    }
    return !word.empty() && WholeWord(word);
}

// Outside brackets a "." or "," may separate like a blank and let the rest of the word out of
// its tag or directory: such a word passes only when every piece is a number.
bool TextObjectCheck::WholeWord(std::string_view word) {
    if (word.find_first_of(".,") == std::string_view::npos || IsNumbers(word)) {
        return true;
    }
    return Fail("its " + Shown(word) + " may be read as more than one word");
}

// Brackets of every kind, nested in any depth without recursion; strings, quotes and
// comments inside are skipped whole, so a » in a string closes nothing.
bool TextObjectCheck::Nested() {
    std::vector<char> open{text_[pos_++]};
    while (!open.empty()) {
        SkipBlanksAndComments();
        if (AtEnd()) {
            return Fail("its " + ShownChar(open.back()) + " has no " +
                        ShownChar(CloserOf(open.back())));
        }
        char c = text_[pos_];
        if (IsOpener(c)) {
            open.push_back(c);
            ++pos_;
        } else if (IsCloser(c)) {
            if (c != CloserOf(open.back())) {
                return Fail("its " + ShownChar(open.back()) + " is closed by " + ShownChar(c));
            }
            open.pop_back();
            ++pos_;
        } else if (c == '"') {
            if (!String()) {
                return false;
            }
        } else if (c == '\'') {
            if (!Quoted()) {
                return false;
            }
        } else if (c == ':') {
            // A tag's name runs raw to the next ":", brackets and "@" in it included.
            std::size_t end = text_.find(':', pos_ + 1);
            if (end == std::string_view::npos) {
                return Fail("its : starts no tag");
            }
            pos_ = end + 1;
        } else if (Word().empty()) {
            ++pos_;  // guards the loop: every character that ends a word is handled above
        }
    }
    return true;
}

bool TextObjectCheck::String() {
    for (++pos_; !AtEnd(); ++pos_) {
        char c = text_[pos_];
        if (c == '"') {
            ++pos_;
            return true;
        }
        if (c == '\\' && pos_ + 1 < text_.size() &&
            (text_[pos_ + 1] == '"' || text_[pos_ + 1] == '\\')) {
            ++pos_;
        }
    }
    return Fail("a string has no closing \"");
}

bool TextObjectCheck::Quoted() {
    std::size_t end = text_.find('\'', pos_ + 1);
    if (end == std::string_view::npos) {
        return Fail("its ' has no closing '");
    }
    pos_ = end + 1;
    return true;
}

// :tag:object, where the object may itself be tagged; iterative, so any depth is safe.
bool TextObjectCheck::Tagged() {
    while (!AtEnd() && text_[pos_] == ':') {
        std::size_t end = text_.find(':', pos_ + 1);
        if (end == std::string_view::npos || end == pos_ + 1) {
            return Fail("its : starts no tag");
        }
        std::string_view tag = text_.substr(pos_ + 1, end - pos_ - 1);
        pos_ = end + 1;
        if (AtEnd() || IsBlank(text_[pos_]) || text_[pos_] == '@' || IsCloser(text_[pos_])) {
            return Fail("the tag :" + Shown(tag) + ": holds no object");
        }
        if (text_[pos_] != ':') {
            return InnerItem() || Fail("the tag :" + Shown(tag) + ": holds no object");
        }
    }
    return true;
}

// # and the digits, with or without a blank between, and the base letter.
bool TextObjectCheck::Binary() {
    ++pos_;
    while (!AtEnd() && IsBlank(text_[pos_])) {
        ++pos_;
    }
    std::string_view digits = Word();
    if (!digits.empty() && (digits.back() == 'h' || digits.back() == 'd' || digits.back() == 'o' ||
                            digits.back() == 'b')) {
        digits.remove_suffix(1);
    }
    return IsHexDigits(digits) || Fail("its # is followed by no binary integer");
}

bool TextObjectCheck::Graphic() {
    SkipBlanksAndComments();
    bool width = IsCount(Word());
    SkipBlanksAndComments();
    bool height = IsCount(Word());
    SkipBlanksAndComments();
    return (width && height && IsHexDigits(Word())) ||
           Fail("its GROB lacks its width, height or hexadecimal picture");
}

bool TextObjectCheck::Directory() {
    while (true) {
        SkipBlanksAndComments();
        if (AtEnd()) {
            return Fail("its DIR has no END");
        }
        std::string_view name = Word();
        if (name.empty()) {
            return Fail("its DIR holds an object without a name");
        }
        if (name == "END") {
            return true;
        }
        if (!WholeWord(name)) {
            return false;
        }
        SkipBlanksAndComments();
        if (!InnerItem()) {
            return Fail(AtEnd() ? "its DIR has no END"
                                : "its DIR holds no object for " + Shown(name));
        }
    }
}

}  // namespace vaddex
