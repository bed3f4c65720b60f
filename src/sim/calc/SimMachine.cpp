#include "sim/calc/SimMachine.h"

#include <algorithm>
#include <new>
#include <stdexcept>

#include "sim/calc/NibbleFields.h"
#include "sim/calc/ObjectCodec.h"
#include "sim/calc/RplError.h"
#include "sim/calc/RplParser.h"
#include "sim/calc/Words.h"

namespace zqsim {

namespace {

constexpr int kCommaFlag = -51;
constexpr int kNoLastArgsFlag = -55;
constexpr std::size_t kStackViewLevels = kDisplayLines - 1;

bool IsCommand(const SimObject& object, Cmd cmd) {
    return object.kind == ObjKind::Command && object.number == CommandAddress(cmd);
}

struct Structure {
    std::size_t thenAt = 0;
    std::size_t elseAt = 0;  // 0: no ELSE
    std::size_t endAt = 0;
};

// The THEN, ELSE and END that belong to the IF or IFERR at `at`. Objects received from the
// PC were never checked by the parser, so a broken structure is a syntax error here.
Structure FindStructure(const std::vector<ObjPtr>& items, std::size_t at) {
    Structure s;
    int nesting = 0;
    for (std::size_t i = at + 1; i < items.size(); ++i) {
        const SimObject& item = *items[i];
        if (IsCommand(item, Cmd::If) || IsCommand(item, Cmd::IfErr) ||
            IsCommand(item, Cmd::While) || IsCommand(item, Cmd::Do)) {
            ++nesting;
        } else if (IsCommand(item, Cmd::End)) {
            if (nesting == 0) {
                s.endAt = i;
                if (s.thenAt == 0) {
                    break;
                }
                return s;
            }
            --nesting;
        } else if (nesting == 0 && IsCommand(item, Cmd::Then) && s.thenAt == 0) {
            s.thenAt = i;
        } else if (nesting == 0 && IsCommand(item, Cmd::Else) && s.thenAt != 0 && s.elseAt == 0) {
            s.elseAt = i;
        }
    }
    throw RplError(kInvalidSyntax);
}

bool IsTrue(const SimObject& flag) {
    if (flag.kind == ObjKind::Real) {
        return !flag.real.IsZero();
    }
    if (flag.kind == ObjKind::Binary) {
        return flag.number != 0;
    }
    throw RplError(kBadArgumentType);
}

}  // namespace

// Counts one level of nested evaluation for as long as it lives.
struct SimMachine::DepthGuard {
    explicit DepthGuard(SimMachine& machine) : machine_(machine) {
        if (++machine_.evalDepth_ > kMaxEvalDepth) {
            --machine_.evalDepth_;
            throw RplError(kInsufficientMemory);
        }
    }
    ~DepthGuard() { --machine_.evalDepth_; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;

    SimMachine& machine_;
};

SimMachine::SimMachine(Personality personality, const SimCalculatorOptions& options)
    : info_(InfoOf(personality)), options_(options) {
    Reset(SimObject::MakeDirectory({}));
}

void SimMachine::Reset(ObjPtr home) {
    memory_.SetHome(std::move(home));
    memory_.SetCurrent({});
    flags_.Reset();
    flags_.Set(-36, options_.flag36);
    flags_.Set(kCommaFlag, options_.flag51);
    stack_.clear();
    display_.clear();
    customDisplay_ = false;
    lastError_.clear();
}

ExecResult SimMachine::Execute(const std::string& commandLine) {
    result_ = ExecResult{};
    result_.busyMs = options_.busyMsPerCommand;
    customDisplay_ = false;
    steps_ = 0;
    evalDepth_ = 0;
    frame_ = nullptr;
    try {
        RunSequence(ParseCommandLine(commandLine, DecimalMark()), true);
    } catch (const RplError& e) {
        ShowError(e.command, e.what());
    } catch (const RplInterrupt& e) {
        ShowError("", e.what());
    } catch (const RplRestart&) {
        // The memory was replaced; the calculator shows its fresh stack.
    } catch (const std::bad_alloc&) {
        ShowError("", kInsufficientMemory);
    } catch (const std::length_error&) {
        ShowError("", kInsufficientMemory);
    }
    frame_ = nullptr;
    return result_;
}

void SimMachine::Step() {
    if (++steps_ > kStepBudget) {
        throw RplInterrupt();
    }
}

void SimMachine::RunSequence(const std::vector<ObjPtr>& items, bool commandLine) {
    RunRange(items, 0, items.size(), commandLine);
}

void SimMachine::RunRange(const std::vector<ObjPtr>& items, std::size_t begin, std::size_t end,
                          bool commandLine) {
    for (std::size_t i = begin; i < end; ++i) {
        Step();
        const ObjPtr& item = items[i];
        Cmd cmd;
        if (item->kind == ObjKind::Command && CommandAtAddress(item->number, cmd)) {
            switch (cmd) {
                case Cmd::If:
                    i = RunIf(items, i, commandLine);
                    continue;
                case Cmd::IfErr:
                    i = RunIfErr(items, i, commandLine);
                    continue;
                case Cmd::Start:
                case Cmd::For:
                    i = RunCounted(items, i, commandLine, cmd == Cmd::For);
                    continue;
                case Cmd::While:
                    i = RunWhile(items, i, commandLine);
                    continue;
                case Cmd::Do:
                    i = RunDo(items, i, commandLine);
                    continue;
                case Cmd::Next:
                case Cmd::Step:
                case Cmd::Repeat:
                case Cmd::Until:
                case Cmd::Then:
                case Cmd::Else:
                case Cmd::End:
                    throw RplError(kInvalidSyntax);
                case Cmd::Quote:
                    if (i + 1 < end) {
                        Push(items[++i]);
                    }
                    continue;
                default:
                    RunCommand(cmd, commandLine);
                    continue;
            }
        }
        if (item->kind == ObjKind::Global) {
            EvaluateName(item->text);
        } else {
            Push(item);
        }
    }
}

std::size_t SimMachine::RunIf(const std::vector<ObjPtr>& items, std::size_t at, bool commandLine) {
    Structure s = FindStructure(items, at);
    RunRange(items, at + 1, s.thenAt, commandLine);
    bool test = false;
    try {
        Need(1);
        ObjPtr flag = std::move(stack_.back());
        stack_.pop_back();
        test = IsTrue(*flag);
    } catch (RplError& e) {
        e.command = "THEN";
        throw;
    }
    std::size_t clauseEnd = s.elseAt ? s.elseAt : s.endAt;
    if (test) {
        RunRange(items, s.thenAt + 1, clauseEnd, commandLine);
    } else if (s.elseAt) {
        RunRange(items, s.elseAt + 1, s.endAt, commandLine);
    }
    return s.endAt;
}

std::size_t SimMachine::RunIfErr(const std::vector<ObjPtr>& items, std::size_t at,
                                 bool commandLine) {
    Structure s = FindStructure(items, at);
    bool failed = false;
    int depth = evalDepth_;
    try {
        RunRange(items, at + 1, s.thenAt, commandLine);
    } catch (const RplError& e) {
        failed = true;
        lastError_ = e.what();
        evalDepth_ = depth;
    }
    std::size_t clauseEnd = s.elseAt ? s.elseAt : s.endAt;
    if (failed) {
        RunRange(items, s.thenAt + 1, clauseEnd, commandLine);
    } else if (s.elseAt) {
        RunRange(items, s.elseAt + 1, s.endAt, commandLine);
    }
    return s.endAt;
}

void SimMachine::RunCommand(Cmd cmd, bool commandLine) {
    // Typed at the command line, a word's name finds a variable of that name first.
    if (commandLine && memory_.Lookup(CommandName(cmd))) {
        EvaluateName(CommandName(cmd));
        return;
    }
    WordFn word = WordFor(cmd);
    if (!word) {
        throw RplError(kInvalidSyntax);
    }
    std::vector<ObjPtr> popped;
    std::vector<ObjPtr>* outer = frame_;
    frame_ = &popped;
    try {
        word(*this);
    } catch (RplError& e) {
        frame_ = outer;
        if (!e.argumentsHandled) {
            e.argumentsHandled = true;
            e.command = CommandName(cmd);
            // With last arguments kept (flag -55 clear) the failed word's arguments return.
            if (!flags_.Get(kNoLastArgsFlag)) {
                for (auto it = popped.rbegin(); it != popped.rend(); ++it) {
                    stack_.push_back(*it);
                }
            }
        }
        throw;
    } catch (...) {
        frame_ = outer;
        throw;
    }
    frame_ = outer;
}

void SimMachine::Need(std::size_t count) const {
    if (stack_.size() < count) {
        throw RplError(kTooFewArguments);
    }
}

ObjPtr SimMachine::Pop() {
    Need(1);
    ObjPtr top = std::move(stack_.back());
    stack_.pop_back();
    if (frame_) {
        frame_->push_back(top);
    }
    return top;
}

const SimObject& SimMachine::Peek(std::size_t level) const {
    Need(level);
    return *stack_[stack_.size() - level];
}

void SimMachine::Push(ObjPtr object) {
    stack_.push_back(std::move(object));
}

RealNumber SimMachine::PopReal() {
    ObjPtr top = Pop();
    if (top->kind != ObjKind::Real) {
        throw RplError(kBadArgumentType);
    }
    return top->real;
}

std::int64_t SimMachine::PopInteger(std::int64_t low, std::int64_t high) {
    RealNumber value = PopReal();
    std::int64_t out = 0;
    if (!value.ToInteger(out) || out < low || out > high) {
        throw RplError(kBadArgumentValue);
    }
    return out;
}

std::string SimMachine::PopName() {
    ObjPtr top = Pop();
    if (top->kind != ObjKind::Global) {
        throw RplError(kBadArgumentType);
    }
    return top->text;
}

void SimMachine::Evaluate(const ObjPtr& object) {
    switch (object->kind) {
        case ObjKind::Program:
        case ObjKind::Algebraic: {
            DepthGuard guard(*this);
            RunSequence(object->items, false);
            return;
        }
        case ObjKind::Global:
            EvaluateName(object->text);
            return;
        case ObjKind::Tagged: {
            DepthGuard guard(*this);
            Evaluate(object->items.at(0));
            return;
        }
        case ObjKind::Command: {
            Cmd cmd;
            if (CommandAtAddress(object->number, cmd) && WordFor(cmd)) {
                RunCommand(cmd, false);
                return;
            }
            break;
        }
        default:
            break;
    }
    Push(object);
}

void SimMachine::EvaluateName(const std::string& name) {
    for (auto local = locals_.rbegin(); local != locals_.rend(); ++local) {
        if (local->first == name) {
            Push(local->second);
            return;
        }
    }
    DirPath where;
    ObjPtr object = memory_.Lookup(name, &where);
    if (!object) {
        Push(SimObject::MakeGlobal(name));
        return;
    }
    if (object->IsDirectory()) {
        where.push_back(name);
        memory_.SetCurrent(std::move(where));
        return;
    }
    DepthGuard guard(*this);
    Evaluate(object);
}

void SimMachine::EvaluateText(const std::string& text) {
    std::vector<ObjPtr> items = ParseCommandLine(text, DecimalMark());
    DepthGuard guard(*this);
    RunSequence(items, false);
}

std::int64_t SimMachine::UsedNibbles(const SimObject& home) const {
    auto used = static_cast<std::int64_t>(EncodeObject(home).size());
    for (const ObjPtr& object : stack_) {
        used += static_cast<std::int64_t>(EncodeObject(*object).size());
    }
    return used;
}

std::int64_t SimMachine::FreeNibbles() const {
    // Objects typed on the command line may overfill the memory; free memory is then none.
    return std::max<std::int64_t>(0, options_.memoryBytes * 2 - UsedNibbles(*memory_.Home()));
}

void SimMachine::RequireRoom(std::size_t nibbles) const {
    if (FreeNibbles() < static_cast<std::int64_t>(nibbles)) {
        throw RplError(kInsufficientMemory);
    }
}

void SimMachine::CommitHome(ObjPtr home) {
    std::int64_t used = UsedNibbles(*home);
    if (used > options_.memoryBytes * 2 && used > UsedNibbles(*memory_.Home())) {
        throw RplError(kInsufficientMemory);
    }
    memory_.SetHome(std::move(home));
}

std::string SimMachine::FileHeader() const {
    return std::string("ZQZQ") + info_.seriesCode + "-" + info_.headerLetter;
}

std::string SimMachine::BackupFile() const {
    ObjPtr backup = SimObject::MakeBackup(memory_.Home());
    return FileHeader() + NibblesToBytes(EncodeObject(*backup));
}

void SimMachine::RestoreFrom(const SimObject& backup) {
    memory_.SetHome(backup.items.at(0));
    memory_.SetCurrent({});
    stack_.clear();
    throw RplRestart();
}

char SimMachine::DecimalMark() const {
    return flags_.Get(kCommaFlag) ? ',' : '.';
}

PrintSettings SimMachine::Printing() const {
    return {DecimalMark(), flags_.WordSize()};
}

std::string SimMachine::Text(const SimObject& object) const {
    return ObjectToText(object, Printing());
}

void SimMachine::ClearDisplay() {
    display_.assign(kDisplayLines, "");
    customDisplay_ = true;
}

void SimMachine::DisplayText(int line, const std::string& text) {
    if (!customDisplay_) {
        display_ = StackView();
        customDisplay_ = true;
    }
    display_.at(static_cast<std::size_t>(line - 1)) = text;
}

void SimMachine::ShowError(const std::string& command, const std::string& message) {
    std::vector<std::string> stack = StackView();
    display_ = {command.empty() ? "Error:" : command + " Error:", message};
    display_.insert(display_.end(), stack.begin() + 2, stack.end());
    customDisplay_ = true;
}

std::vector<std::string> SimMachine::StackView() const {
    std::string path = "{ HOME ";
    for (const std::string& name : memory_.Current()) {
        path += name + " ";
    }
    std::vector<std::string> lines = {path + "}"};
    for (std::size_t level = kStackViewLevels; level >= 1; --level) {
        std::string line = std::to_string(level) + ":";
        if (level <= stack_.size()) {
            std::string text = ObjectToInnerText(*stack_[stack_.size() - level], Printing());
            for (char& c : text) {
                if (c == '\n') {
                    c = ' ';
                }
            }
            line += " " + text;
        }
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> SimMachine::DisplayLines() const {
    return customDisplay_ ? display_ : StackView();
}

}  // namespace zqsim
