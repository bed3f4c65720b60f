// Comparisons, logic, the common real functions, and the words that take strings and lists
// apart.

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>

#include "sim/calc/RplError.h"
#include "sim/calc/SimMachine.h"
#include "sim/calc/Words.h"

namespace zqsim {

namespace {

constexpr int kRadiansFlag = -17;
constexpr int kGradsFlag = -18;

long double PopValue(SimMachine& m) {
    return m.PopReal().ToLongDouble();
}

void PushReal(SimMachine& m, long double value) {
    if (std::isnan(value)) {
        throw RplError(kUndefinedResult);
    }
    if (std::isinf(value)) {
        throw RplError(kInfiniteResult);
    }
    auto real = RealNumber::FromLongDouble(value);
    if (!real) {
        throw RplError(kInfiniteResult);
    }
    m.Push(SimObject::MakeReal(*real));
}

void PushTruth(SimMachine& m, bool value) {
    m.Push(SimObject::MakeReal(value ? 1 : 0));
}

// Both levels checked before either is taken, so that a wrong type leaves the stack as it was.
template <typename Op>
void RealPair(SimMachine& m, Op op) {
    m.Need(2);
    if (m.Peek(1).kind != ObjKind::Real || m.Peek(2).kind != ObjKind::Real) {
        throw RplError(kBadArgumentType);
    }
    long double b = PopValue(m);
    long double a = PopValue(m);
    op(a, b);
}

// Reals compare by value, strings by their character codes.
void Compare(SimMachine& m, bool (*holds)(int order)) {
    m.Need(2);
    const SimObject& a = m.Peek(2);
    const SimObject& b = m.Peek(1);
    int order = 0;
    if (a.kind == ObjKind::Real && b.kind == ObjKind::Real) {
        long double x = a.real.ToLongDouble();
        long double y = b.real.ToLongDouble();
        order = x < y ? -1 : (x > y ? 1 : 0);
    } else if (a.kind == ObjKind::String && b.kind == ObjKind::String) {
        int c = a.text.compare(b.text);
        order = c < 0 ? -1 : (c > 0 ? 1 : 0);
    } else {
        throw RplError(kBadArgumentType);
    }
    m.Pop();
    m.Pop();
    PushTruth(m, holds(order));
}

bool PopTruth(SimMachine& m) {
    ObjPtr flag = m.Pop();
    if (flag->kind != ObjKind::Real) {
        throw RplError(kBadArgumentType);
    }
    return !flag->real.IsZero();
}

long double AngleToRadians(const SimMachine& m, long double angle) {
    if (m.Flags().Get(kRadiansFlag)) {
        return angle;
    }
    long double full = m.Flags().Get(kGradsFlag) ? 400 : 360;
    return angle * 2 * std::numbers::pi_v<long double> / full;
}

template <typename Fn>
void RealFunction(SimMachine& m, Fn fn) {
    m.Need(1);
    if (m.Peek(1).kind != ObjKind::Real) {
        throw RplError(kBadArgumentType);
    }
    long double x = PopValue(m);
    PushReal(m, fn(x));
}

// A 1-based character or element position from a real.
std::int64_t Position(const SimObject& object) {
    if (object.kind != ObjKind::Real) {
        throw RplError(kBadArgumentType);
    }
    return static_cast<std::int64_t>(std::floor(object.real.ToLongDouble()));
}

}  // namespace

void WordLess(SimMachine& m) {
    Compare(m, [](int order) { return order < 0; });
}
void WordGreater(SimMachine& m) {
    Compare(m, [](int order) { return order > 0; });
}
void WordLessEqual(SimMachine& m) {
    Compare(m, [](int order) { return order <= 0; });
}
void WordGreaterEqual(SimMachine& m) {
    Compare(m, [](int order) { return order >= 0; });
}
void WordNotEqual(SimMachine& m) {
    WordEqual(m);
    PushTruth(m, !PopTruth(m));
}

void WordAnd(SimMachine& m) {
    RealPair(m, [&](long double a, long double b) { PushTruth(m, a != 0 && b != 0); });
}
void WordOr(SimMachine& m) {
    RealPair(m, [&](long double a, long double b) { PushTruth(m, a != 0 || b != 0); });
}
void WordNot(SimMachine& m) {
    m.Need(1);
    PushTruth(m, !PopTruth(m));
}

void WordAbs(SimMachine& m) {
    RealFunction(m, [](long double x) { return std::fabs(x); });
}
void WordSq(SimMachine& m) {
    RealFunction(m, [](long double x) { return x * x; });
}
void WordSqrt(SimMachine& m) {
    RealFunction(m, [](long double x) {
        if (x < 0) {
            throw RplError(kBadArgumentValue);  // complex results are not simulated
        }
        return std::sqrt(x);
    });
}
void WordInv(SimMachine& m) {
    RealFunction(m, [](long double x) {
        if (x == 0) {
            throw RplError(kInfiniteResult);
        }
        return 1 / x;
    });
}
void WordIp(SimMachine& m) {
    RealFunction(m, [](long double x) { return std::trunc(x); });
}
void WordFp(SimMachine& m) {
    RealFunction(m, [](long double x) { return x - std::trunc(x); });
}
void WordSin(SimMachine& m) {
    RealFunction(m, [&](long double x) { return std::sin(AngleToRadians(m, x)); });
}
void WordCos(SimMachine& m) {
    RealFunction(m, [&](long double x) { return std::cos(AngleToRadians(m, x)); });
}
void WordTan(SimMachine& m) {
    RealFunction(m, [&](long double x) { return std::tan(AngleToRadians(m, x)); });
}
void WordLn(SimMachine& m) {
    RealFunction(m, [](long double x) {
        if (x == 0) {
            throw RplError(kInfiniteResult);
        }
        if (x < 0) {
            throw RplError(kBadArgumentValue);
        }
        return std::log(x);
    });
}
void WordExp(SimMachine& m) {
    RealFunction(m, [](long double x) { return std::exp(x); });
}
void WordMod(SimMachine& m) {
    RealPair(m, [&](long double a, long double b) {
        // The sign of the divisor, as a floor division leaves it; x MOD 0 is x.
        PushReal(m, b == 0 ? a : a - b * std::floor(a / b));
    });
}
void WordMax(SimMachine& m) {
    RealPair(m, [&](long double a, long double b) { PushReal(m, std::max(a, b)); });
}
void WordMin(SimMachine& m) {
    RealPair(m, [&](long double a, long double b) { PushReal(m, std::min(a, b)); });
}

// object start end SUB: the characters or elements from start to end, clamped to the object.
void WordSub(SimMachine& m) {
    m.Need(3);
    const SimObject& object = m.Peek(3);
    if (object.kind != ObjKind::String && object.kind != ObjKind::List) {
        throw RplError(kBadArgumentType);
    }
    std::int64_t last = Position(m.Peek(1));
    std::int64_t first = Position(m.Peek(2));
    bool text = object.kind == ObjKind::String;
    auto size = static_cast<std::int64_t>(text ? object.text.size() : object.items.size());
    first = std::max<std::int64_t>(first, 1);
    last = std::min(last, size);
    auto begin = static_cast<std::size_t>(first - 1);
    auto count = static_cast<std::size_t>(std::max<std::int64_t>(last - first + 1, 0));
    ObjPtr result;
    if (text) {
        result = SimObject::MakeString(count == 0 ? "" : object.text.substr(begin, count));
    } else {
        std::vector<ObjPtr> items;
        for (std::size_t i = 0; i < count; ++i) {
            items.push_back(object.items[begin + i]);
        }
        result = SimObject::MakeComposite(ObjKind::List, std::move(items));
    }
    m.Pop();
    m.Pop();
    m.Pop();
    m.Push(result);
}

// object part POS: where the substring or element first stands (1-based), 0 when nowhere.
void WordPos(SimMachine& m) {
    m.Need(2);
    const SimObject& object = m.Peek(2);
    const SimObject& part = m.Peek(1);
    std::int64_t at = 0;
    if (object.kind == ObjKind::String && part.kind == ObjKind::String) {
        std::size_t found = object.text.find(part.text);
        at = found == std::string::npos ? 0 : static_cast<std::int64_t>(found) + 1;
    } else if (object.kind == ObjKind::List) {
        for (std::size_t i = 0; i < object.items.size() && at == 0; ++i) {
            const SimObject& item = *object.items[i];
            bool same = item.kind == part.kind && item.text == part.text &&
                        item.real == part.real && item.number == part.number &&
                        item.items.empty() && part.items.empty();
            at = same ? static_cast<std::int64_t>(i) + 1 : 0;
        }
    } else {
        throw RplError(kBadArgumentType);
    }
    m.Pop();
    m.Pop();
    m.Push(SimObject::MakeReal(at));
}

namespace {

// Level 1, a string or list that is not empty, replaced by what `part` makes of its text or
// its elements; anything else is a Bad Argument Type, an empty one a Bad Argument Value.
void ReplaceBySequencePart(SimMachine& m,
                           const std::function<ObjPtr(const std::string&)>& stringPart,
                           const std::function<ObjPtr(const std::vector<ObjPtr>&)>& listPart) {
    m.Need(1);
    const SimObject& object = m.Peek(1);
    bool sequence = object.kind == ObjKind::String || object.kind == ObjKind::List;
    if (!sequence) {
        throw RplError(kBadArgumentType);
    }
    if (object.kind == ObjKind::String ? object.text.empty() : object.items.empty()) {
        throw RplError(kBadArgumentValue);
    }
    ObjPtr part = object.kind == ObjKind::String ? stringPart(object.text) : listPart(object.items);
    m.Pop();
    m.Push(part);
}

}  // namespace

// The first character or element; TAIL: all but it.
void WordHead(SimMachine& m) {
    ReplaceBySequencePart(
        m, [](const std::string& text) { return SimObject::MakeString(text.substr(0, 1)); },
        [](const std::vector<ObjPtr>& items) { return items.front(); });
}
void WordTail(SimMachine& m) {
    ReplaceBySequencePart(
        m, [](const std::string& text) { return SimObject::MakeString(text.substr(1)); },
        [](const std::vector<ObjPtr>& items) {
            return SimObject::MakeComposite(ObjKind::List,
                                            std::vector<ObjPtr>(items.begin() + 1, items.end()));
        });
}

}  // namespace zqsim
