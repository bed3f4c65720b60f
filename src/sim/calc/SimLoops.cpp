// The loops of the evaluator. Every pass goes through RunRange, whose step budget ends a
// loop that never finishes.

#include <optional>

#include "sim/calc/RplError.h"
#include "sim/calc/SimMachine.h"

namespace zqsim {

namespace {

bool IsWord(const SimObject& object, Cmd cmd) {
    return object.kind == ObjKind::Command && object.number == CommandAddress(cmd);
}

bool OpensStructure(const SimObject& object) {
    for (Cmd cmd : {Cmd::If, Cmd::IfErr, Cmd::While, Cmd::Do, Cmd::Start, Cmd::For}) {
        if (IsWord(object, cmd)) {
            return true;
        }
    }
    return false;
}

bool ClosesStructure(const SimObject& object) {
    return IsWord(object, Cmd::End) || IsWord(object, Cmd::Next) || IsWord(object, Cmd::Step);
}

struct LoopShape {
    std::size_t middleAt = 0;  // REPEAT or UNTIL; 0 for a counted loop
    std::size_t endAt = 0;     // END, NEXT or STEP
};

// The middle word (when `middle` is given) and the closing word of the loop at `at`.
// Programs received from the PC were never checked by the parser, so a broken loop is a
// syntax error here.
LoopShape FindLoop(const std::vector<ObjPtr>& items, std::size_t at, const Cmd* middle) {
    LoopShape shape;
    int nesting = 0;
    for (std::size_t i = at + 1; i < items.size(); ++i) {
        const SimObject& item = *items[i];
        if (OpensStructure(item)) {
            ++nesting;
        } else if (ClosesStructure(item) && nesting > 0) {
            --nesting;
        } else if (ClosesStructure(item)) {
            bool counted = middle == nullptr;
            bool fits = counted ? !IsWord(item, Cmd::End) : IsWord(item, Cmd::End);
            if (!fits || (!counted && shape.middleAt == 0)) {
                break;
            }
            shape.endAt = i;
            return shape;
        } else if (nesting == 0 && middle != nullptr && IsWord(item, *middle) &&
                   shape.middleAt == 0) {
            shape.middleAt = i;
        }
    }
    throw RplError(kInvalidSyntax);
}

// Takes a FOR counter off the list of locals however the loop ends.
struct LocalGuard {
    explicit LocalGuard(std::vector<std::pair<std::string, ObjPtr>>& locals) : locals_(locals) {}
    ~LocalGuard() { locals_.pop_back(); }
    LocalGuard(const LocalGuard&) = delete;
    LocalGuard& operator=(const LocalGuard&) = delete;
    std::vector<std::pair<std::string, ObjPtr>>& locals_;
};

}  // namespace

bool SimMachine::PopTest() {
    Need(1);
    ObjPtr flag = Pop();
    if (flag->kind == ObjKind::Real) {
        return !flag->real.IsZero();
    }
    if (flag->kind == ObjKind::Binary) {
        return flag->number != 0;
    }
    throw RplError(kBadArgumentType);
}

// start finish START body NEXT (or: increment STEP); FOR takes the name of its counter.
// The body runs at least once, as on the calculator.
std::size_t SimMachine::RunCounted(const std::vector<ObjPtr>& items, std::size_t at,
                                   bool commandLine, bool named) {
    LoopShape shape = FindLoop(items, at, nullptr);
    std::size_t bodyAt = at + 1;
    std::string name;
    if (named) {
        if (bodyAt >= shape.endAt || items[bodyAt]->kind != ObjKind::Global) {
            throw RplError(kInvalidSyntax);
        }
        name = items[bodyAt++]->text;
    }
    Need(2);
    if (Peek(1).kind != ObjKind::Real || Peek(2).kind != ObjKind::Real) {
        throw RplError(kBadArgumentType);
    }
    long double finish = PopReal().ToLongDouble();
    long double counter = PopReal().ToLongDouble();
    bool stepped = IsWord(*items[shape.endAt], Cmd::Step);
    if (named) {
        locals_.emplace_back(name, nullptr);
    }
    std::optional<LocalGuard> local;
    if (named) {
        local.emplace(locals_);
    }
    while (true) {
        if (named) {
            auto value = RealNumber::FromLongDouble(counter);
            locals_.back().second = SimObject::MakeReal(value ? *value : RealNumber());
        }
        RunRange(items, bodyAt, shape.endAt, commandLine);
        long double increment = stepped ? PopReal().ToLongDouble() : 1;
        counter += increment;
        if (increment >= 0 ? counter > finish : counter < finish) {
            return shape.endAt;
        }
    }
}

std::size_t SimMachine::RunWhile(const std::vector<ObjPtr>& items, std::size_t at,
                                 bool commandLine) {
    const Cmd repeat = Cmd::Repeat;
    LoopShape shape = FindLoop(items, at, &repeat);
    while (true) {
        RunRange(items, at + 1, shape.middleAt, commandLine);
        if (!PopTest()) {
            return shape.endAt;
        }
        RunRange(items, shape.middleAt + 1, shape.endAt, commandLine);
    }
}

std::size_t SimMachine::RunDo(const std::vector<ObjPtr>& items, std::size_t at, bool commandLine) {
    const Cmd until = Cmd::Until;
    LoopShape shape = FindLoop(items, at, &until);
    while (true) {
        RunRange(items, at + 1, shape.middleAt, commandLine);
        RunRange(items, shape.middleAt + 1, shape.endAt, commandLine);
        if (PopTest()) {
            return shape.endAt;
        }
    }
}

}  // namespace zqsim
