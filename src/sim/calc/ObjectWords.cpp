#include <utility>

#include "sim/calc/CommandTable.h"
#include "sim/calc/ObjectCodec.h"
#include "sim/calc/PrologTable.h"
#include "sim/calc/RplError.h"
#include "sim/calc/SimMachine.h"
#include "sim/calc/Words.h"

namespace zqsim {

namespace {

constexpr std::int64_t kMaxCount = 1 << 20;

// The calculator's TYPE numbers of the objects the simulator only keeps.
int RawTypeNumber(std::uint32_t prolog) {
    constexpr std::pair<std::uint32_t, int> kTypes[] = {
        {0x02977, 1},  {0x029E8, 3},         {0x02E6D, 7},  {0x02B1E, 11}, {0x02ADA, 13},
        {0x02E92, 14}, {kPrologLibrary, 16}, {0x02911, 20}, {0x02955, 21}, {0x0299D, 22},
        {0x02A0A, 23}, {0x029BF, 24},        {0x02DCC, 25}, {0x02B88, 26},
    };
    for (const auto& [code, type] : kTypes) {
        if (code == prolog) {
            return type;
        }
    }
    return 27;  // external
}

int TypeNumber(const SimObject& object) {
    switch (object.kind) {
        case ObjKind::Real:
            return 0;
        case ObjKind::String:
            return 2;
        case ObjKind::List:
            return 5;
        case ObjKind::Global:
            return 6;
        case ObjKind::Program:
            return 8;
        case ObjKind::Algebraic:
            return 9;
        case ObjKind::Binary:
            return 10;
        case ObjKind::Tagged:
            return 12;
        case ObjKind::Directory:
            return 15;
        case ObjKind::Backup:
            return 17;
        case ObjKind::Command: {
            Cmd cmd;
            return CommandAtAddress(object.number, cmd) && IsFunction(cmd) ? 18 : 19;
        }
        case ObjKind::Raw:
            break;
    }
    return RawTypeNumber(object.Prolog());
}

void PushItems(SimMachine& m, const std::vector<ObjPtr>& items) {
    for (const ObjPtr& item : items) {
        m.Push(item);
    }
    m.Push(SimObject::MakeReal(static_cast<std::int64_t>(items.size())));
}

}  // namespace

void WordToList(SimMachine& m) {
    m.Need(1);
    auto count = static_cast<std::size_t>(m.PopInteger(0, kMaxCount));
    if (m.Stack().size() < count) {
        throw RplError(kTooFewArguments);
    }
    std::vector<ObjPtr> items(count);
    for (std::size_t i = count; i > 0; --i) {
        items[i - 1] = m.Pop();
    }
    m.Push(SimObject::MakeComposite(ObjKind::List, std::move(items)));
}

void WordFromList(SimMachine& m) {
    ObjPtr list = m.Pop();
    if (list->kind != ObjKind::List) {
        throw RplError(kBadArgumentType);
    }
    PushItems(m, list->items);
}

void WordGet(SimMachine& m) {
    m.Need(2);
    ObjPtr indexObject = m.Pop();
    ObjPtr list = m.Pop();
    if (list->kind != ObjKind::List || indexObject->kind != ObjKind::Real) {
        throw RplError(kBadArgumentType);
    }
    std::int64_t index = 0;
    if (!indexObject->real.ToInteger(index) || index < 1 ||
        index > static_cast<std::int64_t>(list->items.size())) {
        throw RplError(kBadArgumentValue);
    }
    m.Push(list->items[static_cast<std::size_t>(index - 1)]);
}

void WordToStr(SimMachine& m) {
    ObjPtr object = m.Pop();
    std::string text = m.Text(*object);
    m.RequireRoom(2 * text.size());
    m.Push(SimObject::MakeString(std::move(text)));
}

void WordStrTo(SimMachine& m) {
    ObjPtr text = m.Pop();
    if (text->kind != ObjKind::String) {
        throw RplError(kBadArgumentType);
    }
    m.EvaluateText(text->text);
}

void WordObjTo(SimMachine& m) {
    m.Need(1);
    const SimObject& top = m.Peek(1);
    switch (top.kind) {
        case ObjKind::String:
            WordStrTo(m);
            return;
        case ObjKind::List:
        case ObjKind::Program:
            PushItems(m, m.Pop()->items);
            return;
        case ObjKind::Tagged: {
            ObjPtr tagged = m.Pop();
            m.Push(tagged->items.at(0));
            m.Push(SimObject::MakeString(tagged->text));
            return;
        }
        default:
            m.Pop();
            throw RplError(kBadArgumentType);
    }
}

void WordType(SimMachine& m) {
    ObjPtr object = m.Pop();
    m.Push(SimObject::MakeReal(TypeNumber(*object)));
}

void WordSize(SimMachine& m) {
    ObjPtr object = m.Pop();
    switch (object->kind) {
        case ObjKind::String:
            m.Push(SimObject::MakeReal(static_cast<std::int64_t>(object->text.size())));
            return;
        case ObjKind::List:
        case ObjKind::Program:
        case ObjKind::Algebraic:
            m.Push(SimObject::MakeReal(static_cast<std::int64_t>(object->items.size())));
            return;
        default:
            m.Push(SimObject::MakeReal(1));
    }
}

void WordEval(SimMachine& m) {
    m.Evaluate(m.Pop());
}

void WordNewOb(SimMachine& m) {
    ObjPtr object = m.Pop();
    m.Push(std::make_shared<SimObject>(*object));
}

// list n program DOSUBS: the program runs on every run of n neighbouring elements, and
// whatever each run leaves is collected into a new list.
void WordDoSubs(SimMachine& m) {
    m.Need(3);
    ObjPtr program = m.Pop();
    std::int64_t n = m.PopInteger(1, kMaxCount);
    ObjPtr list = m.Pop();
    if (list->kind != ObjKind::List ||
        (program->kind != ObjKind::Program && program->kind != ObjKind::Global)) {
        throw RplError(kBadArgumentType);
    }
    const std::vector<ObjPtr>& items = list->items;
    auto count = static_cast<std::size_t>(n);
    if (count > items.size() && !items.empty()) {
        throw RplError(kBadArgumentValue);
    }
    std::vector<ObjPtr> results;
    for (std::size_t start = 0; start + count <= items.size(); ++start) {
        std::size_t base = m.Stack().size();
        for (std::size_t i = 0; i < count; ++i) {
            m.Push(items[start + i]);
        }
        m.Evaluate(program);
        if (m.Stack().size() < base) {
            throw RplError(kBadArgumentValue);
        }
        results.insert(results.end(), m.Stack().begin() + static_cast<std::ptrdiff_t>(base),
                       m.Stack().end());
        m.Stack().resize(base);
    }
    m.Push(SimObject::MakeComposite(ObjKind::List, std::move(results)));
}

}  // namespace zqsim
