#include "sim/calc/ObjectPrinter.h"

#include <cstdio>
#include <utility>
#include <vector>

#include "sim/calc/CommandTable.h"
#include "sim/calc/PrologTable.h"

namespace zqsim {

namespace {

constexpr char kOpenProgram = static_cast<char>(0xAB);
constexpr char kCloseProgram = static_cast<char>(0xBB);

// Binding strengths of algebraic terms; a sub-term binding less than its operator needs
// parentheses.
constexpr int kSumPrec = 1;
constexpr int kProductPrec = 2;
constexpr int kNegatePrec = 3;
constexpr int kPowerPrec = 4;
constexpr int kAtomPrec = 5;

std::string QuotedString(const std::string& chars) {
    std::string out = "\"";
    for (char c : chars) {
        if (c == '"' || c == '\\') {
            out.push_back('\\');
        }
        out.push_back(c);
    }
    return out + "\"";
}

std::string BinaryText(std::uint32_t value, int wordSize) {
    if (wordSize < 32) {
        value &= (1u << wordSize) - 1;
    }
    char text[16];
    std::snprintf(text, sizeof text, "#%Xh", static_cast<unsigned>(value));
    return text;
}

bool IsCommand(const SimObject& object, Cmd cmd) {
    return object.kind == ObjKind::Command && object.number == CommandAddress(cmd);
}

std::string SequenceText(const std::vector<ObjPtr>& items, const PrintSettings& settings) {
    std::string out;
    for (std::size_t i = 0; i < items.size(); ++i) {
        std::string text;
        if (IsCommand(*items[i], Cmd::Quote) && i + 1 < items.size()) {
            text = "'" + ObjectToInnerText(*items[++i], settings) + "'";
        } else {
            text = ObjectToInnerText(*items[i], settings);
        }
        out += " " + text;
    }
    return out + " ";
}

struct Term {
    std::string text;
    int prec;
};

std::string Wrap(const Term& term, bool parenthesize) {
    return parenthesize ? "(" + term.text + ")" : term.text;
}

// Infix text of an algebraic's postfix items; false when they do not form one expression.
bool InfixText(const SimObject& algebraic, const PrintSettings& settings, std::string& out) {
    std::vector<Term> terms;
    for (const ObjPtr& item : algebraic.items) {
        Cmd cmd;
        if (item->kind == ObjKind::Command && CommandAtAddress(item->number, cmd) &&
            IsFunction(cmd)) {
            if (cmd == Cmd::Negate) {
                if (terms.empty()) {
                    return false;
                }
                Term& operand = terms.back();
                operand = {"-" + Wrap(operand, operand.prec < kNegatePrec), kNegatePrec};
                continue;
            }
            if (terms.size() < 2) {
                return false;
            }
            Term right = terms.back();
            terms.pop_back();
            Term left = terms.back();
            int prec = cmd == Cmd::Power                         ? kPowerPrec
                       : cmd == Cmd::Add || cmd == Cmd::Subtract ? kSumPrec
                                                                 : kProductPrec;
            bool leftParens = left.prec < prec || (left.prec == prec && cmd == Cmd::Power);
            bool rightParens = right.prec < prec || (right.prec == prec && cmd != Cmd::Power);
            terms.back() = {Wrap(left, leftParens) + CommandName(cmd) + Wrap(right, rightParens),
                            prec};
            continue;
        }
        int prec = item->kind == ObjKind::Real && item->real.IsNegative() ? kNegatePrec : kAtomPrec;
        terms.push_back({ObjectToInnerText(*item, settings), prec});
    }
    if (terms.size() != 1) {
        return false;
    }
    out = terms[0].text;
    return true;
}

std::string DirectoryText(const SimObject& dir, const PrintSettings& settings) {
    std::string out = "DIR\n";
    for (const DirEntry& entry : dir.entries) {
        out += "  " + entry.name + " " + ObjectToInnerText(*entry.object, settings) + "\n";
    }
    return out + "END";
}

std::string RawText(const SimObject& object) {
    std::string name = PrologTypeName(object.Prolog());
    return name.empty() ? "External" : name;
}

}  // namespace

std::string ObjectToInnerText(const SimObject& object, const PrintSettings& settings) {
    switch (object.kind) {
        case ObjKind::Real:
            return object.real.ToText(settings.mark);
        case ObjKind::String:
            return QuotedString(object.text);
        case ObjKind::Global:
            return object.text;
        case ObjKind::Binary:
            return BinaryText(object.number, settings.wordSize);
        case ObjKind::List:
            return "{" + SequenceText(object.items, settings) + "}";
        case ObjKind::Program:
            return kOpenProgram + SequenceText(object.items, settings) + kCloseProgram;
        case ObjKind::Algebraic: {
            std::string infix;
            if (!InfixText(object, settings, infix)) {
                infix = SequenceText(object.items, settings);
            }
            return "'" + infix + "'";
        }
        case ObjKind::Tagged:
            return ":" + object.text + ":" + ObjectToInnerText(*object.items.at(0), settings);
        case ObjKind::Directory:
            return DirectoryText(object, settings);
        case ObjKind::Backup:
            return "Backup HOMEDIR";
        case ObjKind::Command: {
            Cmd cmd;
            if (CommandAtAddress(object.number, cmd)) {
                return cmd == Cmd::Quote ? "'" : CommandName(cmd);
            }
            return "External";
        }
        case ObjKind::Raw:
            return RawText(object);
    }
    return "";
}

std::string ObjectToText(const SimObject& object, const PrintSettings& settings) {
    switch (object.kind) {
        case ObjKind::String:
            return object.text;
        case ObjKind::Global:
            return "'" + object.text + "'";
        default:
            return ObjectToInnerText(object, settings);
    }
}

}  // namespace zqsim
