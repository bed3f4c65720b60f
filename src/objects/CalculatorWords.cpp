#include "objects/CalculatorWords.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "objects/CalcNames.h"

namespace vaddex {

namespace {

// The words of the calculator's command table that a name could collide with: the program
// structure words, the stack, memory, flag, display and mathematics commands and the functions.
// Sorted, for the binary search.
constexpr auto kWords = [] {
    auto words = std::to_array<std::string_view>({
        "\x83",    "\x89",    "\x8A",   "\x8B",    "\x8DLIST", "\x8DSTR", "ABS",   "ACOS",
        "AND",     "ARCHIVE", "ASIN",   "ATAN",    "BEEP",     "CASE",    "CF",    "CHR",
        "CLEAR",   "CLLCD",   "COS",    "CRDIR",   "DEG",      "DEPTH",   "DISP",  "DO",
        "DOSUBS",  "DROP",    "DROP2",  "DROPN",   "DUP",      "DUP2",    "DUPN",  "ELSE",
        "END",     "ERRM",    "ERRN",   "EVAL",    "EXP",      "FC?",     "FIX",   "FOR",
        "FP",      "FREEZE",  "FS?",    "GET",     "GETI",     "GRAD",    "HALT",  "HEAD",
        "HOME",    "IF",      "IFERR",  "INV",     "IOPAR",    "IP",      "KILL",  "LIST\x8D",
        "LN",      "LOG",     "MAX",    "MEM",     "MIN",      "MOD",     "NEG",   "NEWOB",
        "NEXT",    "NOT",     "NUM",    "OBJ\x8D", "OR",       "ORDER",   "OVER",  "PATH",
        "PGDIR",   "PICK",    "POS",    "PURGE",   "PUT",      "PUTI",    "RAD",   "RCL",
        "RCLF",    "RCWS",    "REPEAT", "RESTORE", "ROLL",     "ROLLD",   "ROT",   "SF",
        "SIN",     "SIZE",    "SQ",     "START",   "STD",      "STEP",    "STO",   "STOF",
        "STR\x8D", "STWS",    "SUB",    "SWAP",    "SYSEVAL",  "TAIL",    "TAN",   "THEN",
        "TYPE",    "UNTIL",   "UPDIR",  "VARS",    "VERSION",  "WAIT",    "WHILE",
    });
    std::sort(words.begin(), words.end());
    return words;
}();

constexpr std::string_view kScratchPrefix = "$$$";

}  // namespace

bool IsCalculatorWord(const std::string& calcName) {
    return std::binary_search(kWords.begin(), kWords.end(), std::string_view(calcName));
}

std::string ReservedNameReason(const std::string& calcName) {
    if (IsReservedName(calcName)) {
        return "it is the calculator's top directory";
    }
    if (IsCalculatorWord(calcName)) {
        return "it is a command of the calculator";
    }
    if (calcName.compare(0, kScratchPrefix.size(), kScratchPrefix) == 0) {
        return "names beginning with $$$ are kept for this program's scratch variables";
    }
    return "";
}

}  // namespace vaddex
