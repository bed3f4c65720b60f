#pragma once

#include "sim/calc/CommandTable.h"

namespace zqsim {

class SimMachine;

using WordFn = void (*)(SimMachine&);

// The implementation of a built-in word; nullptr for the structure words (IF THEN ELSE END
// IFERR, the loops and the internal Quote), which the evaluator runs itself.
WordFn WordFor(Cmd cmd);

// The words, by group (StackWords.cpp, ArithmeticWords.cpp, ObjectWords.cpp,
// MemoryWords.cpp, SystemWords.cpp).
void WordDup(SimMachine& m);
void WordDrop(SimMachine& m);
void WordSwap(SimMachine& m);
void WordOver(SimMachine& m);
void WordRot(SimMachine& m);
void WordDepth(SimMachine& m);
void WordDupN(SimMachine& m);
void WordClear(SimMachine& m);

void WordAdd(SimMachine& m);
void WordSubtract(SimMachine& m);
void WordMultiply(SimMachine& m);
void WordDivide(SimMachine& m);
void WordPower(SimMachine& m);
void WordNegate(SimMachine& m);
void WordEqual(SimMachine& m);

void WordToList(SimMachine& m);
void WordFromList(SimMachine& m);
void WordGet(SimMachine& m);
void WordToStr(SimMachine& m);
void WordStrTo(SimMachine& m);
void WordObjTo(SimMachine& m);
void WordType(SimMachine& m);
void WordSize(SimMachine& m);
void WordEval(SimMachine& m);
void WordNewOb(SimMachine& m);
void WordDoSubs(SimMachine& m);

void WordSto(SimMachine& m);
void WordRcl(SimMachine& m);
void WordPurge(SimMachine& m);
void WordPgDir(SimMachine& m);
void WordCrDir(SimMachine& m);
void WordHome(SimMachine& m);
void WordUpDir(SimMachine& m);
void WordPath(SimMachine& m);
void WordVars(SimMachine& m);
void WordMem(SimMachine& m);
void WordArchive(SimMachine& m);
void WordRestore(SimMachine& m);

void WordRclf(SimMachine& m);
void WordStof(SimMachine& m);
void WordSf(SimMachine& m);
void WordCf(SimMachine& m);
void WordFsQ(SimMachine& m);
void WordFcQ(SimMachine& m);
void WordStws(SimMachine& m);
void WordRcws(SimMachine& m);
void WordStd(SimMachine& m);
void WordDeg(SimMachine& m);
void WordRad(SimMachine& m);
void WordGrad(SimMachine& m);
void WordIoPar(SimMachine& m);
void WordVersion(SimMachine& m);
void WordSysEval(SimMachine& m);
void WordClLcd(SimMachine& m);
void WordDisp(SimMachine& m);
void WordWait(SimMachine& m);
void WordErrm(SimMachine& m);

// MathWords.cpp
void WordLess(SimMachine& m);
void WordGreater(SimMachine& m);
void WordLessEqual(SimMachine& m);
void WordGreaterEqual(SimMachine& m);
void WordNotEqual(SimMachine& m);
void WordAnd(SimMachine& m);
void WordOr(SimMachine& m);
void WordNot(SimMachine& m);
void WordAbs(SimMachine& m);
void WordSq(SimMachine& m);
void WordSqrt(SimMachine& m);
void WordInv(SimMachine& m);
void WordMod(SimMachine& m);
void WordIp(SimMachine& m);
void WordFp(SimMachine& m);
void WordSin(SimMachine& m);
void WordCos(SimMachine& m);
void WordTan(SimMachine& m);
void WordLn(SimMachine& m);
void WordExp(SimMachine& m);
void WordMax(SimMachine& m);
void WordMin(SimMachine& m);
void WordSub(SimMachine& m);
void WordPos(SimMachine& m);
void WordHead(SimMachine& m);
void WordTail(SimMachine& m);

}  // namespace zqsim
