#include "sim/calc/AlgebraicParser.h"

#include "sim/calc/CommandTable.h"
#include "sim/calc/RplError.h"

namespace zqsim {

namespace {

constexpr int kMaxNesting = 100;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsOperator(char c) {
    return c == '+' || c == '-' || c == '*' || c == '/' || c == '^' || c == '(' || c == ')';
}

bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

class Parser {
public:
    Parser(std::string_view text, char mark) : text_(text), mark_(mark) {}

    std::vector<ObjPtr> Run() {
        std::vector<ObjPtr> out;
        Expression(out, 0);
        SkipBlanks();
        if (pos_ != text_.size()) {
            Fail();
        }
        return out;
    }

private:
    [[noreturn]] void Fail() { throw RplError(kInvalidSyntax); }

    void SkipBlanks() {
        while (pos_ < text_.size() && IsBlank(text_[pos_])) {
            ++pos_;
        }
    }

    bool Accept(char c) {
        SkipBlanks();
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }

    static void Emit(std::vector<ObjPtr>& out, Cmd cmd) {
        out.push_back(SimObject::MakeCommand(CommandAddress(cmd)));
    }

    void Expression(std::vector<ObjPtr>& out, int depth) {
        Term(out, depth);
        while (true) {
            if (Accept('+')) {
                Term(out, depth);
                Emit(out, Cmd::Add);
            } else if (Accept('-')) {
                Term(out, depth);
                Emit(out, Cmd::Subtract);
            } else {
                return;
            }
        }
    }

    void Term(std::vector<ObjPtr>& out, int depth) {
        Unary(out, depth);
        while (true) {
            if (Accept('*')) {
                Unary(out, depth);
                Emit(out, Cmd::Multiply);
            } else if (Accept('/')) {
                Unary(out, depth);
                Emit(out, Cmd::Divide);
            } else {
                return;
            }
        }
    }

    void Unary(std::vector<ObjPtr>& out, int depth) {
        if (depth > kMaxNesting) {
            Fail();
        }
        if (!Accept('-')) {
            Power(out, depth);
            return;
        }
        std::vector<ObjPtr> operand;
        Unary(operand, depth + 1);
        // A minus before a plain number is part of the number.
        if (operand.size() == 1 && operand[0]->kind == ObjKind::Real) {
            out.push_back(SimObject::MakeReal(operand[0]->real.Negated()));
            return;
        }
        out.insert(out.end(), operand.begin(), operand.end());
        Emit(out, Cmd::Negate);
    }

    void Power(std::vector<ObjPtr>& out, int depth) {
        Primary(out, depth);
        if (Accept('^')) {
            Unary(out, depth + 1);
            Emit(out, Cmd::Power);
        }
    }

    void Primary(std::vector<ObjPtr>& out, int depth) {
        SkipBlanks();
        if (pos_ == text_.size()) {
            Fail();
        }
        if (Accept('(')) {
            Expression(out, depth + 1);
            if (!Accept(')')) {
                Fail();
            }
            return;
        }
        char c = text_[pos_];
        if (IsOperator(c)) {
            Fail();
        }
        if (IsDigit(c) || c == mark_) {
            out.push_back(Number());
            return;
        }
        std::size_t start = pos_;
        while (pos_ < text_.size() && !IsOperator(text_[pos_]) && !IsBlank(text_[pos_])) {
            ++pos_;
        }
        out.push_back(SimObject::MakeGlobal(std::string(text_.substr(start, pos_ - start))));
    }

    ObjPtr Number() {
        std::size_t start = pos_;
        while (pos_ < text_.size() && (IsDigit(text_[pos_]) || text_[pos_] == mark_)) {
            ++pos_;
        }
        if (pos_ < text_.size() && (text_[pos_] == 'E' || text_[pos_] == 'e')) {
            ++pos_;
            if (pos_ < text_.size() && (text_[pos_] == '-' || text_[pos_] == '+')) {
                ++pos_;
            }
            while (pos_ < text_.size() && IsDigit(text_[pos_])) {
                ++pos_;
            }
        }
        auto value = RealNumber::Parse(text_.substr(start, pos_ - start), mark_);
        if (!value) {
            Fail();
        }
        return SimObject::MakeReal(*value);
    }

    std::string_view text_;
    char mark_;
    std::size_t pos_ = 0;
};

}  // namespace

std::vector<ObjPtr> ParseAlgebraic(std::string_view text, char mark) {
    return Parser(text, mark).Run();
}

}  // namespace zqsim
