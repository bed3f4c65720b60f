#pragma once

#include <cstdint>
#include <string>

namespace zqsim {

// The built-in words. Inside programs and algebraics a word is a 5-nibble pointer,
// kCommandBase + its number here; the numbers are stored in objects, so new words go at
// the end and none is ever renumbered.
enum class Cmd : std::uint16_t {
    Quote,  // internal: pushes the next object of a program unevaluated ('X' in a program)
    If,
    Then,
    Else,
    End,
    IfErr,
    Add,
    Subtract,
    Multiply,
    Divide,
    Power,
    Negate,
    Equal,
    Dup,
    Drop,
    Swap,
    Over,
    Rot,
    Depth,
    DupN,
    Clear,
    ToList,
    FromList,
    Get,
    ToStr,
    StrTo,
    ObjTo,
    Type,
    Size,
    Sto,
    Rcl,
    Purge,
    PgDir,
    CrDir,
    Home,
    UpDir,
    Path,
    Vars,
    Eval,
    Mem,
    NewOb,
    Rclf,
    Stof,
    Sf,
    Cf,
    FsQ,
    FcQ,
    Stws,
    Rcws,
    Std,
    Deg,
    Rad,
    Grad,
    IoPar,
    Version,
    SysEval,
    ClLcd,
    Disp,
    Wait,
    DoSubs,
    Archive,
    Restore,
    Errm,
    Less,
    Greater,
    LessEqual,
    GreaterEqual,
    NotEqual,
    And,
    Or,
    Not,
    Abs,
    Sq,
    Sqrt,
    Inv,
    Mod,
    Ip,
    Fp,
    Sin,
    Cos,
    Tan,
    Ln,
    Exp,
    Max,
    Min,
    Sub,
    Pos,
    Head,
    Tail,
    Start,
    For,
    Next,
    Step,
    While,
    Repeat,
    Do,
    Until,
    Count  // not a word
};

inline constexpr std::uint32_t kCommandBase = 0x40000;

inline std::uint32_t CommandAddress(Cmd cmd) {
    return kCommandBase + static_cast<std::uint32_t>(cmd);
}

// The word's name in calculator bytes (→ is 0x8D).
const char* CommandName(Cmd cmd);
// The word named `name`; false when there is none (the internal Quote has no name).
bool FindCommand(const std::string& name, Cmd& out);
// The word at a pointer value; false when the value is no word.
bool CommandAtAddress(std::uint32_t address, Cmd& out);
// Functions (+ - * / ^ NEG) as opposed to commands: they may stand inside algebraics.
bool IsFunction(Cmd cmd);

}  // namespace zqsim
