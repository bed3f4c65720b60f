#include "sim/calc/RplError.h"
#include "sim/calc/SimMachine.h"
#include "sim/calc/Words.h"

namespace zqsim {

void WordDup(SimMachine& m) {
    m.Need(1);
    m.Push(m.Stack().back());
}

void WordDrop(SimMachine& m) {
    m.Pop();
}

void WordSwap(SimMachine& m) {
    m.Need(2);
    ObjPtr first = m.Pop();
    ObjPtr second = m.Pop();
    m.Push(first);
    m.Push(second);
}

void WordOver(SimMachine& m) {
    m.Need(2);
    m.Push(m.Stack()[m.Stack().size() - 2]);
}

void WordRot(SimMachine& m) {
    m.Need(3);
    ObjPtr first = m.Pop();
    ObjPtr second = m.Pop();
    ObjPtr third = m.Pop();
    m.Push(second);
    m.Push(first);
    m.Push(third);
}

void WordDepth(SimMachine& m) {
    m.Push(SimObject::MakeReal(static_cast<std::int64_t>(m.Stack().size())));
}

void WordDupN(SimMachine& m) {
    m.Need(1);
    auto count = static_cast<std::size_t>(m.PopInteger(0, 1 << 20));
    if (m.Stack().size() < count) {
        throw RplError(kTooFewArguments);
    }
    std::vector<ObjPtr>& stack = m.Stack();
    std::size_t first = stack.size() - count;
    stack.reserve(stack.size() + count);
    for (std::size_t i = 0; i < count; ++i) {
        stack.push_back(stack[first + i]);
    }
}

void WordClear(SimMachine& m) {
    m.Stack().clear();
}

}  // namespace zqsim
