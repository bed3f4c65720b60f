#include "sim/calc/Words.h"

#include <array>
#include <utility>

namespace zqsim {

namespace {

constexpr std::pair<Cmd, WordFn> kWords[] = {
    {Cmd::Add, WordAdd},
    {Cmd::Subtract, WordSubtract},
    {Cmd::Multiply, WordMultiply},
    {Cmd::Divide, WordDivide},
    {Cmd::Power, WordPower},
    {Cmd::Negate, WordNegate},
    {Cmd::Equal, WordEqual},
    {Cmd::Dup, WordDup},
    {Cmd::Drop, WordDrop},
    {Cmd::Swap, WordSwap},
    {Cmd::Over, WordOver},
    {Cmd::Rot, WordRot},
    {Cmd::Depth, WordDepth},
    {Cmd::DupN, WordDupN},
    {Cmd::Clear, WordClear},
    {Cmd::ToList, WordToList},
    {Cmd::FromList, WordFromList},
    {Cmd::Get, WordGet},
    {Cmd::ToStr, WordToStr},
    {Cmd::StrTo, WordStrTo},
    {Cmd::ObjTo, WordObjTo},
    {Cmd::Type, WordType},
    {Cmd::Size, WordSize},
    {Cmd::Sto, WordSto},
    {Cmd::Rcl, WordRcl},
    {Cmd::Purge, WordPurge},
    {Cmd::PgDir, WordPgDir},
    {Cmd::CrDir, WordCrDir},
    {Cmd::Home, WordHome},
    {Cmd::UpDir, WordUpDir},
    {Cmd::Path, WordPath},
    {Cmd::Vars, WordVars},
    {Cmd::Eval, WordEval},
    {Cmd::Mem, WordMem},
    {Cmd::NewOb, WordNewOb},
    {Cmd::Rclf, WordRclf},
    {Cmd::Stof, WordStof},
    {Cmd::Sf, WordSf},
    {Cmd::Cf, WordCf},
    {Cmd::FsQ, WordFsQ},
    {Cmd::FcQ, WordFcQ},
    {Cmd::Stws, WordStws},
    {Cmd::Rcws, WordRcws},
    {Cmd::Std, WordStd},
    {Cmd::Deg, WordDeg},
    {Cmd::Rad, WordRad},
    {Cmd::Grad, WordGrad},
    {Cmd::IoPar, WordIoPar},
    {Cmd::Version, WordVersion},
    {Cmd::SysEval, WordSysEval},
    {Cmd::ClLcd, WordClLcd},
    {Cmd::Disp, WordDisp},
    {Cmd::Wait, WordWait},
    {Cmd::DoSubs, WordDoSubs},
    {Cmd::Archive, WordArchive},
    {Cmd::Restore, WordRestore},
    {Cmd::Errm, WordErrm},
    {Cmd::Less, WordLess},
    {Cmd::Greater, WordGreater},
    {Cmd::LessEqual, WordLessEqual},
    {Cmd::GreaterEqual, WordGreaterEqual},
    {Cmd::NotEqual, WordNotEqual},
    {Cmd::And, WordAnd},
    {Cmd::Or, WordOr},
    {Cmd::Not, WordNot},
    {Cmd::Abs, WordAbs},
    {Cmd::Sq, WordSq},
    {Cmd::Sqrt, WordSqrt},
    {Cmd::Inv, WordInv},
    {Cmd::Mod, WordMod},
    {Cmd::Ip, WordIp},
    {Cmd::Fp, WordFp},
    {Cmd::Sin, WordSin},
    {Cmd::Cos, WordCos},
    {Cmd::Tan, WordTan},
    {Cmd::Ln, WordLn},
    {Cmd::Exp, WordExp},
    {Cmd::Max, WordMax},
    {Cmd::Min, WordMin},
    {Cmd::Sub, WordSub},
    {Cmd::Pos, WordPos},
    {Cmd::Head, WordHead},
    {Cmd::Tail, WordTail},
};

// Every word but the six structure words of IF and IFERR and the eight of the loops, which
// the evaluator runs itself, has its implementation.
static_assert(std::size(kWords) == static_cast<std::size_t>(Cmd::Count) - 14);

std::array<WordFn, static_cast<std::size_t>(Cmd::Count)> MakeIndex() {
    std::array<WordFn, static_cast<std::size_t>(Cmd::Count)> index{};
    for (const auto& [cmd, word] : kWords) {
        index[static_cast<std::size_t>(cmd)] = word;
    }
    return index;
}

}  // namespace

WordFn WordFor(Cmd cmd) {
    static const auto kIndex = MakeIndex();
    auto at = static_cast<std::size_t>(cmd);
    return at < kIndex.size() ? kIndex[at] : nullptr;
}

}  // namespace zqsim
