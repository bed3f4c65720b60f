#include "sim/calc/CommandTable.h"

#include <array>

namespace zqsim {

namespace {

constexpr std::size_t kCount = static_cast<std::size_t>(Cmd::Count);

constexpr std::array<const char*, kCount> kNames = {
    "",        "IF",      "THEN",    "ELSE",   "END",     "IFERR",    "+",        "-",
    "*",       "/",       "^",       "NEG",    "==",      "DUP",      "DROP",     "SWAP",
    "OVER",    "ROT",     "DEPTH",   "DUPN",   "CLEAR",   "\x8DLIST", "LIST\x8D", "GET",
    "\x8DSTR", "STR\x8D", "OBJ\x8D", "TYPE",   "SIZE",    "STO",      "RCL",      "PURGE",
    "PGDIR",   "CRDIR",   "HOME",    "UPDIR",  "PATH",    "VARS",     "EVAL",     "MEM",
    "NEWOB",   "RCLF",    "STOF",    "SF",     "CF",      "FS?",      "FC?",      "STWS",
    "RCWS",    "STD",     "DEG",     "RAD",    "GRAD",    "IOPAR",    "VERSION",  "SYSEVAL",
    "CLLCD",   "DISP",    "WAIT",    "DOSUBS", "ARCHIVE", "RESTORE",  "ERRM",     "<",
    ">",       "\x89",    "\x8A",    "\x8B",   "AND",     "OR",       "NOT",      "ABS",
    "SQ",      "\x83",    "INV",     "MOD",    "IP",      "FP",       "SIN",      "COS",
    "TAN",     "LN",      "EXP",     "MAX",    "MIN",     "SUB",      "POS",      "HEAD",
    "TAIL",    "START",   "FOR",     "NEXT",   "STEP",    "WHILE",    "REPEAT",   "DO",
    "UNTIL",
};

static_assert(kNames[kCount - 1] != nullptr, "every word needs its name");

}  // namespace

const char* CommandName(Cmd cmd) {
    return kNames[static_cast<std::size_t>(cmd)];
}

bool FindCommand(const std::string& name, Cmd& out) {
    for (std::size_t i = 1; i < kCount; ++i) {
        if (name == kNames[i]) {
            out = static_cast<Cmd>(i);
            return true;
        }
    }
    return false;
}

bool CommandAtAddress(std::uint32_t address, Cmd& out) {
    if (address < kCommandBase || address >= kCommandBase + kCount) {
        return false;
    }
    out = static_cast<Cmd>(address - kCommandBase);
    return true;
}

bool IsFunction(Cmd cmd) {
    switch (cmd) {
        case Cmd::Add:
        case Cmd::Subtract:
        case Cmd::Multiply:
        case Cmd::Divide:
        case Cmd::Power:
        case Cmd::Negate:
            return true;
        default:
            return false;
    }
}

}  // namespace zqsim
