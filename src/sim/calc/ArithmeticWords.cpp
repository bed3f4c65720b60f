#include <cmath>
#include <limits>

#include "sim/calc/ObjectCodec.h"
#include "sim/calc/RplError.h"
#include "sim/calc/SimMachine.h"
#include "sim/calc/Words.h"

namespace zqsim {

namespace {

bool IsSymbolic(const SimObject& object) {
    return object.kind == ObjKind::Global || object.kind == ObjKind::Algebraic;
}

bool CanJoinSymbolic(const SimObject& object) {
    return IsSymbolic(object) || object.kind == ObjKind::Real;
}

// The postfix items an operand contributes to an algebraic.
void AppendTerm(std::vector<ObjPtr>& items, const ObjPtr& operand) {
    if (operand->kind == ObjKind::Algebraic) {
        items.insert(items.end(), operand->items.begin(), operand->items.end());
    } else {
        items.push_back(operand);
    }
}

ObjPtr Symbolic(const ObjPtr& a, const ObjPtr* b, Cmd cmd) {
    std::vector<ObjPtr> items;
    AppendTerm(items, a);
    if (b) {
        AppendTerm(items, *b);
    }
    items.push_back(SimObject::MakeCommand(CommandAddress(cmd)));
    return SimObject::MakeComposite(ObjKind::Algebraic, std::move(items));
}

ObjPtr RealResult(long double value) {
    if (std::isnan(value)) {
        throw RplError(kUndefinedResult);
    }
    if (std::isinf(value)) {
        // Past the largest real the result saturates, as the calculator does by default.
        long double largest = std::numeric_limits<long double>::max();
        value = value > 0 ? largest : -largest;
    }
    auto real = RealNumber::FromLongDouble(value);
    if (!real) {
        throw RplError(kUndefinedResult);
    }
    return SimObject::MakeReal(*real);
}

ObjPtr RealArithmetic(Cmd cmd, long double a, long double b) {
    switch (cmd) {
        case Cmd::Add:
            return RealResult(a + b);
        case Cmd::Subtract:
            return RealResult(a - b);
        case Cmd::Multiply:
            return RealResult(a * b);
        case Cmd::Divide:
            if (b == 0) {
                throw RplError(a == 0 ? kUndefinedResult : kInfiniteResult);
            }
            return RealResult(a / b);
        default:
            if (a == 0 && b < 0) {
                throw RplError(kInfiniteResult);
            }
            if (a < 0 && std::floor(b) != b) {
                throw RplError(kBadArgumentValue);  // the result would be complex
            }
            return RealResult(std::pow(a, b));
    }
}

std::uint32_t WordMask(const SimMachine& m) {
    int bits = m.Flags().WordSize();
    return bits >= 20 ? kBinaryMask : (1u << bits) - 1;
}

std::uint32_t AsBinary(const SimObject& object) {
    if (object.kind == ObjKind::Binary) {
        return object.number;
    }
    long double value = object.real.ToLongDouble();
    if (value < 0) {
        throw RplError(kBadArgumentValue);
    }
    return value >= kBinaryMask ? kBinaryMask : static_cast<std::uint32_t>(value);
}

ObjPtr BinaryArithmetic(const SimMachine& m, Cmd cmd, std::uint32_t a, std::uint32_t b) {
    std::uint64_t result = 0;
    switch (cmd) {
        case Cmd::Add:
            result = std::uint64_t{a} + b;
            break;
        case Cmd::Subtract:
            result = std::uint64_t{a} - b;
            break;
        case Cmd::Multiply:
            result = std::uint64_t{a} * b;
            break;
        case Cmd::Divide:
            if (b == 0) {
                throw RplError(kInfiniteResult);
            }
            result = a / b;
            break;
        default:
            throw RplError(kBadArgumentType);
    }
    return SimObject::MakeBinary(static_cast<std::uint32_t>(result) & WordMask(m));
}

// Joins strings with anything (shown as →STR shows it) and lists with anything.
ObjPtr Concatenation(SimMachine& m, const ObjPtr& a, const ObjPtr& b) {
    if (a->kind == ObjKind::String || b->kind == ObjKind::String) {
        std::string text = m.Text(*a) + m.Text(*b);
        m.RequireRoom(2 * text.size());
        return SimObject::MakeString(std::move(text));
    }
    std::vector<ObjPtr> items;
    for (const ObjPtr& part : {a, b}) {
        if (part->kind == ObjKind::List) {
            items.insert(items.end(), part->items.begin(), part->items.end());
        } else {
            items.push_back(part);
        }
    }
    m.RequireRoom(5 * items.size());
    return SimObject::MakeComposite(ObjKind::List, std::move(items));
}

void Arithmetic(SimMachine& m, Cmd cmd) {
    m.Need(2);
    ObjPtr b = m.Pop();
    ObjPtr a = m.Pop();
    ObjKind ka = a->kind;
    ObjKind kb = b->kind;
    if (ka == ObjKind::Real && kb == ObjKind::Real) {
        m.Push(RealArithmetic(cmd, a->real.ToLongDouble(), b->real.ToLongDouble()));
    } else if (cmd == Cmd::Add && (ka == ObjKind::String || kb == ObjKind::String ||
                                   ka == ObjKind::List || kb == ObjKind::List)) {
        m.Push(Concatenation(m, a, b));
    } else if ((ka == ObjKind::Binary || kb == ObjKind::Binary) &&
               (ka == ObjKind::Binary || ka == ObjKind::Real) &&
               (kb == ObjKind::Binary || kb == ObjKind::Real)) {
        m.Push(BinaryArithmetic(m, cmd, AsBinary(*a), AsBinary(*b)));
    } else if ((IsSymbolic(*a) || IsSymbolic(*b)) && CanJoinSymbolic(*a) && CanJoinSymbolic(*b)) {
        m.Push(Symbolic(a, &b, cmd));
    } else {
        throw RplError(kBadArgumentType);
    }
}

}  // namespace

void WordAdd(SimMachine& m) {
    Arithmetic(m, Cmd::Add);
}
void WordSubtract(SimMachine& m) {
    Arithmetic(m, Cmd::Subtract);
}
void WordMultiply(SimMachine& m) {
    Arithmetic(m, Cmd::Multiply);
}
void WordDivide(SimMachine& m) {
    Arithmetic(m, Cmd::Divide);
}
void WordPower(SimMachine& m) {
    Arithmetic(m, Cmd::Power);
}

void WordNegate(SimMachine& m) {
    ObjPtr a = m.Pop();
    if (a->kind == ObjKind::Real) {
        m.Push(SimObject::MakeReal(a->real.Negated()));
    } else if (a->kind == ObjKind::Binary) {
        m.Push(SimObject::MakeBinary((0u - a->number) & WordMask(m)));
    } else if (IsSymbolic(*a)) {
        m.Push(Symbolic(a, nullptr, Cmd::Negate));
    } else {
        throw RplError(kBadArgumentType);
    }
}

void WordEqual(SimMachine& m) {
    m.Need(2);
    ObjPtr b = m.Pop();
    ObjPtr a = m.Pop();
    bool same = a->kind == b->kind && EncodeObject(*a) == EncodeObject(*b);
    m.Push(SimObject::MakeReal(same ? 1 : 0));
}

}  // namespace zqsim
