#include <cmath>

#include "sim/calc/RplError.h"
#include "sim/calc/SimMachine.h"
#include "sim/calc/Words.h"

namespace zqsim {

namespace {

constexpr int kAngleFlagA = -17;  // set: radians
constexpr int kAngleFlagB = -18;  // set: grads
constexpr int kFormatFlagA = -49;
constexpr int kFormatFlagB = -50;
// The key code the simulated user presses when a program waits for a key (ENTER).
constexpr std::int64_t kEnterKeyCode = 51;
constexpr std::int64_t kMaxWaitSeconds = 3600;

int PopFlagNumber(SimMachine& m) {
    return static_cast<int>(m.PopInteger(-64, 64));
}

int CheckedFlag(SimMachine& m) {
    m.Need(1);
    int number = PopFlagNumber(m);
    if (!FlagRegister::IsValid(number)) {
        throw RplError(kBadArgumentValue);
    }
    return number;
}

void SetAngle(SimMachine& m, bool a, bool b) {
    m.Flags().Set(kAngleFlagA, a);
    m.Flags().Set(kAngleFlagB, b);
}

}  // namespace

void WordRclf(SimMachine& m) {
    std::vector<ObjPtr> pieces;
    for (int i = 0; i < FlagRegister::kPieces; ++i) {
        pieces.push_back(SimObject::MakeBinary(m.Flags().Piece(i)));
    }
    m.Push(SimObject::MakeComposite(ObjKind::List, std::move(pieces)));
}

// Takes what RCLF gave: a list of up to eight pieces (system flags first), or one binary
// integer for the first piece.
void WordStof(SimMachine& m) {
    ObjPtr flags = m.Pop();
    std::vector<ObjPtr> pieces;
    if (flags->kind == ObjKind::Binary) {
        pieces.push_back(flags);
    } else if (flags->kind == ObjKind::List) {
        pieces = flags->items;
    } else {
        throw RplError(kBadArgumentType);
    }
    if (pieces.size() > FlagRegister::kPieces) {
        throw RplError(kBadArgumentValue);
    }
    for (const ObjPtr& piece : pieces) {
        if (piece->kind != ObjKind::Binary) {
            throw RplError(kBadArgumentType);
        }
    }
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        m.Flags().SetPiece(static_cast<int>(i), pieces[i]->number);
    }
}

void WordSf(SimMachine& m) {
    m.Flags().Set(CheckedFlag(m), true);
}
void WordCf(SimMachine& m) {
    m.Flags().Set(CheckedFlag(m), false);
}

void WordFsQ(SimMachine& m) {
    m.Push(SimObject::MakeReal(m.Flags().Get(CheckedFlag(m)) ? 1 : 0));
}

void WordFcQ(SimMachine& m) {
    m.Push(SimObject::MakeReal(m.Flags().Get(CheckedFlag(m)) ? 0 : 1));
}

void WordStws(SimMachine& m) {
    RealNumber bits = m.PopReal();
    long double value = std::floor(bits.ToLongDouble());
    m.Flags().SetWordSize(value < 1 ? 1 : value > 64 ? 64 : static_cast<int>(value));
}

void WordRcws(SimMachine& m) {
    m.Push(SimObject::MakeReal(m.Flags().WordSize()));
}

void WordStd(SimMachine& m) {
    m.Flags().Set(kFormatFlagA, false);
    m.Flags().Set(kFormatFlagB, false);
}

void WordDeg(SimMachine& m) {
    SetAngle(m, false, false);
}
void WordRad(SimMachine& m) {
    SetAngle(m, true, false);
}
void WordGrad(SimMachine& m) {
    SetAngle(m, false, true);
}

void WordIoPar(SimMachine& m) {
    std::vector<ObjPtr> values;
    for (int value : m.Options().ioParameters) {
        values.push_back(SimObject::MakeReal(value));
    }
    m.Push(SimObject::MakeComposite(ObjKind::List, std::move(values)));
}

void WordVersion(SimMachine& m) {
    m.Push(SimObject::MakeString(m.Info().versionText));
    m.Push(SimObject::MakeString(m.Info().copyrightText));
}

// Only the series' own error-display address is safe to call; any other address would run
// arbitrary ROM code on a real calculator.
void WordSysEval(SimMachine& m) {
    ObjPtr address = m.Pop();
    if (address->kind != ObjKind::Binary) {
        throw RplError(kBadArgumentType);
    }
    if (address->number != m.Info().errorCleanupAddress) {
        throw RplError(kBadArgumentValue);
    }
}

void WordClLcd(SimMachine& m) {
    m.ClearDisplay();
}

void WordDisp(SimMachine& m) {
    m.Need(2);
    std::int64_t line = m.PopInteger(-1000000, 1000000);
    ObjPtr object = m.Pop();
    line = line < 1 ? 1 : line > kDisplayLines ? kDisplayLines : line;
    m.DisplayText(static_cast<int>(line), m.Text(*object));
}

// Waiting costs calculator time only; 0 waits for a key, which the simulated user presses.
void WordWait(SimMachine& m) {
    long double seconds = m.PopReal().ToLongDouble();
    if (seconds < 0) {
        throw RplError(kBadArgumentValue);
    }
    if (seconds == 0) {
        m.Push(SimObject::MakeReal(kEnterKeyCode));
        return;
    }
    if (seconds > kMaxWaitSeconds) {
        seconds = kMaxWaitSeconds;
    }
    m.AddBusy(static_cast<std::int64_t>(std::llround(seconds * 1000)));
}

// The message of the last error an IFERR caught, "" before the first.
void WordErrm(SimMachine& m) {
    m.Push(SimObject::MakeString(m.LastError()));
}

}  // namespace zqsim
