// The command lines the program sends, each with the effect it relies on.
#include <gtest/gtest.h>

#include "SimTestHelpers.h"
#include "sim/calc/DataFiles.h"
#include "sim/calc/ObjectCodec.h"

namespace zqsim::test {
namespace {

const std::string kK8Err = "#26067h SYSEVAL CLLCD \"Syntax Error\" 4 DISP 5 WAIT ";

// The text put script, as the session builds it for a name, modes and object text.
std::string PutScript(const std::string& name, const std::string& modes, const std::string& objText,
                      const std::string& err = kK8Err) {
    return CalcBytes("'" + name + "' RCLF " + modes + "-55 CF " + objText +
                     "IFERR OBJ→ THEN SWAP STOF " + err + "ELSE SWAP STOF " +
                     "OVER IFERR PURGE THEN PGDIR END " + "SWAP STO END ");
}

// The string object file the session writes for a long text.
std::string WrappedString(const std::string& text) {
    ObjPtr object = SimObject::MakeString(text);
    return "ZQZQK8-C" + NibblesToBytes(EncodeObject(*object));
}

class Scripts : public ::testing::Test {
protected:
    ExecResult Run(const std::string& line) { return calc_.Execute(CalcBytes(line)); }
    std::string TextAt(const std::string& path) {
        auto bytes = calc_.FindObject(path);
        return bytes ? StringOfFile("ZQZQK8-C" + *bytes) : "<missing>";
    }
    bool Exists(const std::string& path) { return calc_.FindObject(path).has_value(); }
    std::string TypeAt(const std::string& dir, const std::string& name) {
        for (const SimVariableInfo& info : calc_.Snapshot()) {
            if (info.path == dir && info.name == name) {
                return info.typeName;
            }
        }
        return "<missing>";
    }

    SimCalculator calc_{Personality::K8};  // with the demo memory
};

TEST_F(Scripts, TextGetScriptStoresFlagListAndObjectText) {
    Run("RAD -51 CF 16 STWS");
    ExecResult result =
        Run("RCLF 64 STWS STD -17 FS? -18 FS? -51 FS? IOPAR 6 GET 4 →LIST →STR 'SQR' RCL →STR"
            " + '$$$t' STO STOF");
    EXPECT_EQ(TextAt("HOME $$$t"), CalcBytes("{ 1. 0. 0. 1. }« DUP * »"));
    EXPECT_GE(result.busyMs, SimCalculatorOptions{}.busyMsPerCommand);
    // STOF gave the word size back, which lives among the flags.
    Run("RCWS");
    EXPECT_EQ(calc_.StackTexts(), std::vector<std::string>{"16."});
}

TEST_F(Scripts, TextPutInlineStoresParsedObjectOverAVariableOrADirectory) {
    Run(PutScript("X", "", "\"{ 1 \\\"two\\\" } \" "));
    EXPECT_EQ(calc_.StackTexts().size(), 0u);
    Run("X →STR 'T' STO");
    EXPECT_EQ(TextAt("HOME T"), "{ 1. \"two\" }");
    // A non-empty directory of that name makes PURGE fail; PGDIR then removes it.
    Run(PutScript("MATHS", "", "\"« 1 + »\" "));
    EXPECT_EQ(TypeAt("HOME", "MATHS"), "RPL");
    EXPECT_FALSE(Exists("HOME MATHS R"));
}

TEST_F(Scripts, TextPutSetsTheFileModesOnlyWhileParsing) {
    Run(PutScript("V", "RAD -51 SF ", "\"1,5\" "));
    Run("V 2 * →STR 'T' STO");
    EXPECT_EQ(TextAt("HOME T"), "3.");
    EXPECT_FALSE(calc_.Flag(-51));
    EXPECT_FALSE(calc_.Flag(-17));
}

TEST_F(Scripts, TextPutOfBadTextShowsSyntaxErrorAndStoresNothing) {
    auto before = calc_.FindObject("HOME X");
    std::size_t count = calc_.Snapshot().size();
    ExecResult result = Run(PutScript("X", "", "\"{ 1 2 \" "));
    bool shown = false;
    for (const std::string& line : calc_.DisplayLines()) {
        shown = shown || line == "Syntax Error";
    }
    EXPECT_TRUE(shown);
    EXPECT_GE(result.busyMs, 5000);
    EXPECT_EQ(calc_.Snapshot().size(), count);
    EXPECT_EQ(calc_.FindObject("HOME X"), before);
    EXPECT_FALSE(calc_.Flag(-55));
}

TEST_F(Scripts, TextPutOfLongTextGoesThroughTheVariableA) {
    std::string text(400, ' ');
    text.replace(0, 9, "{ 1 2 3 }");
    ASSERT_TRUE(calc_.StoreObject("$$$a", WrappedString(text).substr(8)));
    Run(PutScript("LONG", "", "$$$a '$$$a' PURGE "));
    EXPECT_FALSE(Exists("HOME $$$a"));
    Run("LONG SIZE →STR 'T' STO");
    EXPECT_EQ(TextAt("HOME T"), "3.");
}

TEST_F(Scripts, FirstSeriesPutUsesItsOwnSysevalAddress) {
    SimCalculator k7(Personality::K7, EmptyOptions());
    k7.Execute(
        PutScript("X", "", "\"{ \" ", "#141E5h SYSEVAL CLLCD \"Syntax Error\" 4 DISP 5 WAIT "));
    EXPECT_EQ(k7.DisplayLines().at(3), "Syntax Error");
    // The second series' address would be wrong on this calculator.
    k7.Execute(PutScript("X", "", "\"{ \" ", kK8Err));
    EXPECT_NE(k7.DisplayLines().at(3), "Syntax Error");
}

TEST_F(Scripts, ChangeDirectoryPurgeCrdirAndPgdir) {
    Run("HOME MATHS DEEP");
    EXPECT_EQ(calc_.CurrentPath(), "HOME MATHS DEEP");
    Run("HOME");
    EXPECT_EQ(calc_.CurrentPath(), "HOME");
    Run("'X' PURGE");
    EXPECT_FALSE(Exists("HOME X"));
    Run("'NOSUCH' PURGE");  // does nothing, raises nothing
    EXPECT_EQ(calc_.DisplayLines().at(0), "{ HOME }");
    Run("HOME MATHS 'EMPTY' PURGE");
    EXPECT_FALSE(Exists("HOME MATHS EMPTY"));
    Run("HOME 'GAMES' PGDIR");
    EXPECT_FALSE(Exists("HOME GAMES"));
    Run("'New' CRDIR");
    auto snapshot = calc_.Snapshot();
    EXPECT_EQ(snapshot.front().name, "New");
    EXPECT_EQ(snapshot.front().typeName, "Directory");
    EXPECT_EQ(snapshot.front().nibbles.size(), 13u);
}

TEST_F(Scripts, RenameKeepsTheObjectExactly) {
    auto list = calc_.FindObject("HOME LIST1");
    Run("'LIST1' DUP RCL SWAP PURGE 'L2' STO ");
    EXPECT_FALSE(Exists("HOME LIST1"));
    EXPECT_EQ(calc_.FindObject("HOME L2"), list);
    auto maths = calc_.FindObject("HOME MATHS");
    Run("'MATHS' DUP RCL SWAP PGDIR 'M2' STO ");
    EXPECT_FALSE(Exists("HOME MATHS"));
    EXPECT_EQ(calc_.FindObject("HOME M2"), maths);
    EXPECT_TRUE(Exists("HOME M2 DEEP Z"));
}

TEST_F(Scripts, EvaluatingAVariableByName) {
    Run("3 SQR");
    EXPECT_EQ(calc_.StackTexts(), std::vector<std::string>{"9."});
    Run("CLEAR EXPR");  // 'X^2+1' with X = 12.5
    EXPECT_EQ(calc_.StackTexts(), std::vector<std::string>{"157.25"});
    Run("CLEAR MATHS AREA");
    EXPECT_EQ(calc_.StackTexts(), std::vector<std::string>{"12.5663706144"});
}

// Runs the backup the session runs and returns what the calculator sent.
std::optional<std::string> Backup(SimCalculator& calc, const std::string& archiveFile) {
    if (!calc.StoreObject("$$$r", archiveFile.substr(8))) {
        return std::nullopt;
    }
    std::string script = CalcBytes(
        "'fLaG' PURGE '$$$r' DUP RCL SWAP PURGE HOME \" « 'fLaG' PURGE \" RCLF DUP 64 STWS →STR"
        " SWAP STOF + \" STOF »\" + STR→ 'fLaG' STO RCLF -55 SF SWAP MEM DROP NEWOB ");
    EXPECT_EQ(script.size(), 157u);
    calc.Execute(script);
    return calc.Execute("EVAL STOF").transmit;
}

TEST_F(Scripts, BackupSendsHomeAndRestoresTheFlags) {
    Run("HOME GAMES");
    auto sent = Backup(calc_, ArchiveProgramFile("K8"));
    ASSERT_TRUE(sent);
    EXPECT_EQ(sent->substr(0, 8), calc_.FileHeader());
    ObjPtr backup = ObjectOfFile(*sent);
    ASSERT_TRUE(backup);
    ASSERT_EQ(backup->kind, ObjKind::Backup);
    const SimObject& home = *backup->items.at(0);
    EXPECT_TRUE(home.FindEntry("fLaG"));
    EXPECT_TRUE(home.FindEntry("MATHS"));
    EXPECT_FALSE(home.FindEntry("$$$r"));
    EXPECT_FALSE(calc_.Flag(-55));  // STOF gave the saved flags back
    EXPECT_TRUE(calc_.StackTexts().empty());
    Run("'fLaG' PURGE ");
    EXPECT_FALSE(Exists("HOME fLaG"));
}

TEST_F(Scripts, FlagProgramLeftByAFailedBackupRestoresTheFlags) {
    calc_.SetFlag(-51, true);
    Backup(calc_, ArchiveProgramFile("K8"));
    calc_.SetFlag(-51, false);
    Run("fLaG");
    EXPECT_TRUE(calc_.Flag(-51));
    EXPECT_FALSE(Exists("HOME fLaG"));
}

TEST_F(Scripts, RestoreBringsBackTheArchivedMemory) {
    auto sent = Backup(calc_, ArchiveProgramFile("K8"));
    ASSERT_TRUE(sent);
    Run("'fLaG' PURGE ");
    auto before = calc_.Snapshot();
    Run("'X' PURGE 'GAMES' PGDIR 42 'NEW' STO HOME MATHS");
    ASSERT_TRUE(calc_.StoreObject("$$$t", sent->substr(8)));
    Run("$$$t '$$$t' PURGE RESTORE");
    EXPECT_EQ(calc_.CurrentPath(), "HOME");
    auto after = calc_.Snapshot();
    // The archive held fLaG, which the successful backup then purged.
    ASSERT_EQ(after.size(), before.size() + 1);
    EXPECT_EQ(after.at(0).name, "fLaG");
    for (std::size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(after[i + 1].name, before[i].name);
        EXPECT_EQ(after[i + 1].nibbles, before[i].nibbles);
    }
}

// The program's reading of the stack script's $$$t (the command window's stack picture).
std::vector<std::string> StackLines(const std::string& file) {
    std::string units = BytesToNibbles(file);
    if (units.size() < 26) {
        return {};
    }
    std::string kept = NibblesToBytes(units.substr(21, 2 * (units.size() - 26)));
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (kept.size() - pos >= 6 && kept[pos] == ',' && kept[pos + 1] == '*') {
        auto b = [&](std::size_t i) { return static_cast<unsigned char>(kept[pos + i]); };
        std::size_t length = (b(2) >> 4) + 16 * b(3) + 4096 * b(4);
        std::size_t count = (length - 5) / 2;
        std::string text = kept.substr(pos + 5, count);
        if (text.substr(0, 3) == "\x01\x03\x02") {
            text = "\"" + text.substr(3) + "\"";
        }
        lines.push_back(": " + text);
        pos += count + 5;
    }
    return lines;
}

TEST_F(Scripts, StackScriptListsEveryLevelAndKeepsTheStack) {
    const std::string script = CalcBytes(
        "DEPTH IF 0. == THEN { } ELSE DEPTH DUPN DEPTH 2. / →LIST 1. « IF DUP TYPE 2. == THEN "
        "\"\x01\x03\x02\" SWAP + END →STR » DOSUBS END '$$$t' STO");
    calc_.Execute(script);
    EXPECT_TRUE(StackLines(*calc_.RecallFile("$$$t")).empty());
    Run("1 \"two\" { 3 } 'X+1'");
    calc_.Execute(script);
    EXPECT_EQ(StackLines(*calc_.RecallFile("$$$t")),
              (std::vector<std::string>{": 1.", ": \"two\"", ": { 3. }", ": 'X+1.'"}));
    EXPECT_EQ(calc_.StackTexts().size(), 4u);
}

}  // namespace
}  // namespace zqsim::test
