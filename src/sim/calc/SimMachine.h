#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/calc/CommandTable.h"
#include "sim/calc/FlagRegister.h"
#include "sim/calc/ObjectPrinter.h"
#include "sim/calc/PersonalityInfo.h"
#include "sim/calc/RealNumber.h"
#include "sim/calc/SimCalculator.h"
#include "sim/calc/SimMemory.h"
#include "sim/calc/SimObject.h"

namespace zqsim {

// Nested evaluations allowed before the calculator runs out of return stack.
inline constexpr int kMaxEvalDepth = 150;
// Objects one command line may step through before it is interrupted.
inline constexpr std::int64_t kStepBudget = 2'000'000;
inline constexpr int kDisplayLines = 7;

// The calculator's state and its RPL evaluator: stack, flags, memory, display. The words
// (Words.h) work on it through the public operations below.
class SimMachine {
public:
    SimMachine(Personality personality, const SimCalculatorOptions& options);

    // Evaluates one command line; errors end it and show on the display.
    ExecResult Execute(const std::string& commandLine);

    const PersonalityInfo& Info() const { return info_; }
    const SimCalculatorOptions& Options() const { return options_; }
    SimMemory& Memory() { return memory_; }
    const SimMemory& Memory() const { return memory_; }
    FlagRegister& Flags() { return flags_; }
    const FlagRegister& Flags() const { return flags_; }
    std::vector<ObjPtr>& Stack() { return stack_; }
    const std::vector<ObjPtr>& Stack() const { return stack_; }

    // --- arguments (level 1 is the top of the stack) ---
    void Need(std::size_t count) const;  // throws Too Few Arguments
    ObjPtr Pop();
    const SimObject& Peek(std::size_t level) const;
    void Push(ObjPtr object);
    RealNumber PopReal();
    // A real holding a whole number from `low` to `high`.
    std::int64_t PopInteger(std::int64_t low, std::int64_t high);
    // A global name (its characters).
    std::string PopName();

    // --- evaluation ---
    // EVAL: programs and algebraics run, names are looked up, other objects are pushed.
    void Evaluate(const ObjPtr& object);
    // Looks a name up through the current path: a directory is entered, a program,
    // name or algebraic evaluated, anything else pushed; an unknown name is pushed.
    void EvaluateName(const std::string& name);
    // Parses `text` and runs it (STR→).
    void EvaluateText(const std::string& text);
    // The message of the last error IFERR caught.
    const std::string& LastError() const { return lastError_; }

    // --- memory ---
    // Makes `home` the new HOME unless the objects would no longer fit (Insufficient Memory).
    void CommitHome(ObjPtr home);
    std::int64_t FreeNibbles() const;
    // Throws Insufficient Memory unless `nibbles` more would fit.
    void RequireRoom(std::size_t nibbles) const;
    // The binary object file of a Backup object of HOME.
    std::string BackupFile() const;
    // Replaces the memory by the Backup's HOME and starts afresh (ends the command line).
    [[noreturn]] void RestoreFrom(const SimObject& backup);

    // --- output ---
    PrintSettings Printing() const;
    char DecimalMark() const;
    std::string Text(const SimObject& object) const;  // →STR
    void ClearDisplay();
    void DisplayText(int line, const std::string& text);  // line 1..7
    std::vector<std::string> DisplayLines() const;
    void AddBusy(std::int64_t ms) { result_.busyMs += ms; }
    void Transmit(std::string objectFile) { result_.transmit = std::move(objectFile); }
    std::string FileHeader() const;

    // Back to the defaults with HOME as given.
    void Reset(ObjPtr home);

private:
    struct Frame;
    struct DepthGuard;

    void RunSequence(const std::vector<ObjPtr>& items, bool commandLine);
    void RunRange(const std::vector<ObjPtr>& items, std::size_t begin, std::size_t end,
                  bool commandLine);
    std::size_t RunIf(const std::vector<ObjPtr>& items, std::size_t at, bool commandLine);
    std::size_t RunIfErr(const std::vector<ObjPtr>& items, std::size_t at, bool commandLine);
    // SimLoops.cpp: START and FOR ... NEXT or STEP, WHILE ... REPEAT ... END and
    // DO ... UNTIL ... END; each returns the position of the loop's last word.
    std::size_t RunCounted(const std::vector<ObjPtr>& items, std::size_t at, bool commandLine,
                           bool named);
    std::size_t RunWhile(const std::vector<ObjPtr>& items, std::size_t at, bool commandLine);
    std::size_t RunDo(const std::vector<ObjPtr>& items, std::size_t at, bool commandLine);
    bool PopTest();
    void RunCommand(Cmd cmd, bool commandLine);
    void Step();
    void ShowError(const std::string& command, const std::string& message);
    std::vector<std::string> StackView() const;
    std::int64_t UsedNibbles(const SimObject& home) const;

    const PersonalityInfo& info_;
    SimCalculatorOptions options_;
    SimMemory memory_;
    FlagRegister flags_;
    std::vector<ObjPtr> stack_;
    std::vector<std::string> display_;
    bool customDisplay_ = false;
    std::string lastError_;
    ExecResult result_;
    std::vector<ObjPtr>* frame_ = nullptr;  // arguments the running word popped
    // The counters of the running FOR loops, innermost last; their names hide variables.
    std::vector<std::pair<std::string, ObjPtr>> locals_;
    int evalDepth_ = 0;
    std::int64_t steps_ = 0;
};

}  // namespace zqsim
