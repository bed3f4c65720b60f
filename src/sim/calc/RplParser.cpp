#include "sim/calc/RplParser.h"

#include "sim/calc/AlgebraicParser.h"
#include "sim/calc/CommandTable.h"
#include "sim/calc/NibbleFields.h"
#include "sim/calc/PrologTable.h"
#include "sim/calc/RplError.h"

namespace zqsim {

namespace {

constexpr char kOpenProgram = static_cast<char>(0xAB);
constexpr char kCloseProgram = static_cast<char>(0xBB);
constexpr int kMaxNesting = 100;
constexpr std::size_t kMaxNameLength = 255;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

[[noreturn]] void Fail() {
    throw RplError(kInvalidSyntax);
}

bool IsCommandObject(const SimObject& object, Cmd cmd) {
    return object.kind == ObjKind::Command && object.number == CommandAddress(cmd);
}

// IF test THEN clause [ELSE clause] END, IFERR clause THEN clause [ELSE clause] END,
// START or FOR ... NEXT or STEP, WHILE ... REPEAT ... END and DO ... UNTIL ... END must nest
// properly inside one sequence.
void CheckStructures(const std::vector<ObjPtr>& items) {
    enum class Part { Test, Then, Else, Counted, WhileTest, WhileBody, DoBody, DoTest };
    // A word that moves the innermost structure from one part to the next.
    struct Move {
        Cmd word;
        Part from;
        Part to;
    };
    static constexpr Move kMoves[] = {{Cmd::Then, Part::Test, Part::Then},
                                      {Cmd::Else, Part::Then, Part::Else},
                                      {Cmd::Repeat, Part::WhileTest, Part::WhileBody},
                                      {Cmd::Until, Part::DoBody, Part::DoTest}};
    std::vector<Part> open;
    for (const ObjPtr& item : items) {
        const SimObject& object = *item;
        if (IsCommandObject(object, Cmd::If) || IsCommandObject(object, Cmd::IfErr)) {
            open.push_back(Part::Test);
        } else if (IsCommandObject(object, Cmd::Start) || IsCommandObject(object, Cmd::For)) {
            open.push_back(Part::Counted);
        } else if (IsCommandObject(object, Cmd::While)) {
            open.push_back(Part::WhileTest);
        } else if (IsCommandObject(object, Cmd::Do)) {
            open.push_back(Part::DoBody);
        } else if (IsCommandObject(object, Cmd::Next) || IsCommandObject(object, Cmd::Step)) {
            if (open.empty() || open.back() != Part::Counted) {
                Fail();
            }
            open.pop_back();
        } else if (IsCommandObject(object, Cmd::End)) {
            if (open.empty() || open.back() == Part::Test || open.back() == Part::Counted ||
                open.back() == Part::WhileTest || open.back() == Part::DoBody) {
                Fail();
            }
            open.pop_back();
        } else {
            for (const Move& move : kMoves) {
                if (IsCommandObject(object, move.word)) {
                    if (open.empty() || open.back() != move.from) {
                        Fail();
                    }
                    open.back() = move.to;
                }
            }
        }
    }
    if (!open.empty()) {
        Fail();
    }
}

class Parser {
public:
    Parser(std::string_view text, char mark)
        : text_(text), mark_(mark), separator_(mark == ',' ? '.' : ',') {}

    std::vector<ObjPtr> Run() {
        std::vector<ObjPtr> items = Sequence('\0', 0, true);
        CheckStructures(items);
        return items;
    }

private:
    bool IsSeparator(char c) const {
        return static_cast<unsigned char>(c) <= ' ' || c == separator_;
    }

    bool IsDelimiter(char c) const {
        return IsSeparator(c) || c == '{' || c == '}' || c == kOpenProgram || c == kCloseProgram ||
               c == '"' || c == '\'' || c == ':' || c == '[' || c == ']' || c == '(' || c == ')' ||
               c == '@';
    }

    // Separators and comments: "@" starts one, the line's end or the next "@" ends it.
    void SkipSeparators() {
        while (pos_ < text_.size()) {
            if (IsSeparator(text_[pos_])) {
                ++pos_;
            } else if (text_[pos_] == '@') {
                std::size_t end = text_.find_first_of("\n@", pos_ + 1);
                pos_ = end == std::string_view::npos ? text_.size() : end + 1;
            } else {
                return;
            }
        }
    }

    std::string_view Word() {
        std::size_t start = pos_;
        while (pos_ < text_.size() && !IsDelimiter(text_[pos_])) {
            ++pos_;
        }
        return text_.substr(start, pos_ - start);
    }

    // Objects up to `close` (or the end of the text when it is '\0'). In a program body
    // (`body`), a quoted name becomes Quote + name.
    std::vector<ObjPtr> Sequence(char close, int depth, bool body) {
        if (depth > kMaxNesting) {
            Fail();
        }
        std::vector<ObjPtr> items;
        while (true) {
            SkipSeparators();
            if (pos_ == text_.size()) {
                if (close != '\0') {
                    Fail();
                }
                return items;
            }
            if (text_[pos_] == close) {
                ++pos_;
                return items;
            }
            ObjPtr object = Object(depth, body, items);
            if (object) {
                items.push_back(std::move(object));
            }
        }
    }

    // One object; a quoted name in a body adds its Quote to `items` first.
    ObjPtr Object(int depth, bool body, std::vector<ObjPtr>& items) {
        char c = text_[pos_];
        if (c == '{') {
            ++pos_;
            return SimObject::MakeComposite(ObjKind::List, Sequence('}', depth + 1, false));
        }
        if (c == kOpenProgram) {
            ++pos_;
            std::vector<ObjPtr> inner = Sequence(kCloseProgram, depth + 1, true);
            CheckStructures(inner);
            return SimObject::MakeComposite(ObjKind::Program, std::move(inner));
        }
        if (c == '"') {
            return String();
        }
        if (c == '\'') {
            ObjPtr quoted = Quoted();
            if (body && quoted->kind == ObjKind::Global) {
                items.push_back(SimObject::MakeCommand(CommandAddress(Cmd::Quote)));
            }
            return quoted;
        }
        if (c == ':') {
            return Tagged(depth);
        }
        if (c == '#') {
            return Binary();
        }
        std::string_view word = Word();
        if (word.empty()) {
            Fail();  // a stray delimiter such as "}" or "["
        }
        if (word == "DIR") {
            return Directory(depth);
        }
        if (word == "GROB") {
            return Graphic();
        }
        return WordObject(word);
    }

    ObjPtr WordObject(std::string_view word) {
        if (auto value = RealNumber::Parse(word, mark_)) {
            return SimObject::MakeReal(*value);
        }
        // What starts as a number (a sign and a digit too) and is none, such as a unit the
        // simulator does not know, is no name either.
        bool signedNumber = (word[0] == '-' || word[0] == '+') && word.size() > 1 &&
                            (IsDigit(word[1]) || word[1] == mark_);
        if (IsDigit(word[0]) || word[0] == mark_ || signedNumber || word.size() > kMaxNameLength) {
            Fail();
        }
        Cmd cmd;
        if (FindCommand(std::string(word), cmd)) {
            return SimObject::MakeCommand(CommandAddress(cmd));
        }
        // Operator characters end a name on the calculator, so "<<" or "A<B" is no name.
        if (word.find_first_of("+*/^<>=") != std::string_view::npos) {
            Fail();
        }
        return SimObject::MakeGlobal(std::string(word));
    }

    ObjPtr String() {
        ++pos_;
        std::string chars;
        while (true) {
            if (pos_ == text_.size()) {
                Fail();
            }
            char c = text_[pos_++];
            if (c == '"') {
                return SimObject::MakeString(std::move(chars));
            }
            if (c == '\\' && pos_ < text_.size() && (text_[pos_] == '"' || text_[pos_] == '\\')) {
                c = text_[pos_++];
            }
            chars.push_back(c);
        }
    }

    ObjPtr Quoted() {
        ++pos_;
        std::size_t end = text_.find('\'', pos_);
        if (end == std::string_view::npos) {
            Fail();
        }
        std::string_view inner = text_.substr(pos_, end - pos_);
        pos_ = end + 1;
        std::vector<ObjPtr> items = ParseAlgebraic(inner, mark_);
        if (items.size() == 1 && items[0]->kind == ObjKind::Global) {
            Cmd word;
            // A command word in quotes is that command, not a name: nothing is stored under it.
            if (items[0]->text.size() > kMaxNameLength || FindCommand(items[0]->text, word)) {
                Fail();
            }
            return items[0];
        }
        if (items.size() == 1 && items[0]->kind == ObjKind::Real) {
            return items[0];
        }
        return SimObject::MakeComposite(ObjKind::Algebraic, std::move(items));
    }

    ObjPtr Tagged(int depth) {
        ++pos_;
        std::size_t end = text_.find(':', pos_);
        if (end == std::string_view::npos || end == pos_ || end - pos_ > kMaxNameLength) {
            Fail();
        }
        std::string tag(text_.substr(pos_, end - pos_));
        pos_ = end + 1;
        if (pos_ == text_.size() || IsSeparator(text_[pos_])) {
            Fail();
        }
        std::vector<ObjPtr> ignoredQuote;
        ObjPtr inner = Object(depth + 1, false, ignoredQuote);
        return SimObject::MakeTagged(std::move(tag), std::move(inner));
    }

    ObjPtr Binary() {
        ++pos_;
        std::string_view digits = Word();
        if (digits.empty()) {
            Fail();
        }
        int base = 16;
        switch (digits.back()) {
            case 'h':
                base = 16;
                break;
            case 'd':
                base = 10;
                break;
            case 'o':
                base = 8;
                break;
            case 'b':
                base = 2;
                break;
            default:
                base = 0;
                break;
        }
        if (base == 0) {
            base = 16;  // no suffix: the hexadecimal base the calculator is in
        } else {
            digits.remove_suffix(1);
        }
        if (digits.empty()) {
            Fail();
        }
        std::uint64_t value = 0;
        for (char c : digits) {
            int digit = IsDigit(c) ? c - '0' : (c >= 'A' && c <= 'F') ? c - 'A' + 10 : 99;
            if (digit >= base) {
                Fail();
            }
            // Wider values keep their low bits, as a narrow word size does.
            value = (value * base + digit) & 0xFFFFFFFFull;
        }
        return SimObject::MakeBinary(static_cast<std::uint32_t>(value));
    }

    // GROB width height hex: the picture's rows as hexadecimal digits, one nibble each.
    ObjPtr Graphic() {
        auto count = [&] {
            SkipSeparators();
            std::string_view digits = Word();
            std::uint32_t value = 0;
            if (digits.empty() || digits.size() > 5) {
                Fail();
            }
            for (char c : digits) {
                if (!IsDigit(c)) {
                    Fail();
                }
                value = value * 10 + static_cast<std::uint32_t>(c - '0');
            }
            return value;
        };
        std::uint32_t width = count();
        std::uint32_t height = count();
        SkipSeparators();
        std::string_view hex = Word();
        if (hex.empty() || hex.size() > 0xFFFFF - 15) {
            Fail();
        }
        std::string nibbles;
        AppendField(nibbles, kPrologGraphic, 5);
        AppendField(nibbles, static_cast<std::uint32_t>(15 + hex.size()), 5);
        AppendField(nibbles, height, 5);
        AppendField(nibbles, width, 5);
        for (char c : hex) {
            int digit = IsDigit(c) ? c - '0' : (c >= 'A' && c <= 'F') ? c - 'A' + 10 : -1;
            if (digit < 0) {
                Fail();
            }
            nibbles.push_back(static_cast<char>(digit));
        }
        return SimObject::MakeRaw(std::move(nibbles));
    }

    // DIR name object ... END
    ObjPtr Directory(int depth) {
        std::vector<DirEntry> entries;
        while (true) {
            SkipSeparators();
            std::string_view name = Word();
            if (name.empty()) {
                Fail();
            }
            if (name == "END") {
                return SimObject::MakeDirectory(std::move(entries));
            }
            if (IsDigit(name[0]) || name.size() > kMaxNameLength) {
                Fail();
            }
            SkipSeparators();
            if (pos_ == text_.size()) {
                Fail();
            }
            std::vector<ObjPtr> ignoredQuote;
            ObjPtr object = Object(depth + 1, false, ignoredQuote);
            for (DirEntry& entry : entries) {
                if (entry.name == name) {
                    Fail();
                }
            }
            entries.push_back({std::string(name), std::move(object)});
        }
    }

    std::string_view text_;
    char mark_;
    char separator_;
    std::size_t pos_ = 0;
};

}  // namespace

std::vector<ObjPtr> ParseCommandLine(std::string_view text, char mark) {
    return Parser(text, mark).Run();
}

}  // namespace zqsim
