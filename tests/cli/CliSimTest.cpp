// vaddex-cli against its built-in calculator ("-p sim"), which starts with the demo memory
// for every command.

#include <gtest/gtest.h>

#include <QImage>
#include <QJsonArray>
#include <QJsonObject>
#include <algorithm>
#include <filesystem>
#include <string>

#include "cli/CliHarness.h"
#include "util/FileIo.h"

namespace vaddex::test {
namespace {

// GREETING of the demo memory as a binary object file: header, string prolog, length, text.
const std::string kGreetingFile = std::string("ZQZQK8-R,*\x90\x01\x00", 13) + "Hello, ZQ!";

class CliSimTest : public ::testing::Test {
protected:
    CliResult Sim(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), {"-p", "sim"});
        return cli_.Run(arguments);
    }
    void WriteWork(const std::string& name, const std::string& content) {
        ASSERT_TRUE(WriteWholeFile(cli_.Work(name), content));
    }

    CliHarness cli_;
};

TEST_F(CliSimTest, InfoAndListingOfTheDemoMemory) {
    CliResult info = Sim({"--trace", "trace.txt", "info"});
    ASSERT_EQ(info.status, 0) << info.err;
    EXPECT_NE(info.out.find("Series:      K8\n"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("Free memory: "), std::string::npos);
    EXPECT_NE(ReadFile(cli_.Work("trace.txt")).find("] send command = V\n"), std::string::npos);

    CliResult json = cli_.Run({"-p", "sim:K7", "info", "--json"});
    QJsonObject object = ParseJson(json.out).object();
    EXPECT_EQ(object["series"].toString(), "K7");
    EXPECT_EQ(object["model"].toString(), "K7");
    EXPECT_EQ(object["speed"].toInt(), 9600);
    EXPECT_TRUE(object["freeMemory"].isDouble());
    EXPECT_EQ(object["flags"].toString().size(), 2);

    CliResult list = Sim({"--verbose", "ls"});
    ASSERT_EQ(list.status, 0) << list.err;
    EXPECT_NE(list.err.find("Get list of files from device\n"), std::string::npos) << list.err;
    EXPECT_NE(list.out.find("GREETING  String      15\n"), std::string::npos) << list.out;
    EXPECT_NE(list.out.find("A\\->B "), std::string::npos) << "names in display form";

    CliResult tree = Sim({"ls", "-R", "--json", "-C", "MATHS"});
    QJsonArray entries = ParseJson(tree.out).array();
    QJsonObject deep;
    for (const auto& entry : entries) {
        if (entry.toObject()["name"] == "DEEP") {
            deep = entry.toObject();
        }
    }
    EXPECT_EQ(deep["path"].toString(), "HOME MATHS DEEP");
    EXPECT_EQ(deep["type"].toString(), "Directory");
    ASSERT_EQ(deep["children"].toArray().size(), 2);
    EXPECT_EQ(deep["children"].toArray()[0].toObject()["path"].toString(), "HOME MATHS DEEP NOTE");

    CliResult missing = Sim({"ls", "-C", "HOME NOPE"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("no directory HOME NOPE"), std::string::npos) << missing.err;
}

TEST_F(CliSimTest, GetWritesExactlyTheObject) {
    CliResult byDefault = Sim({"get", "GREETING"});
    ASSERT_EQ(byDefault.status, 0) << byDefault.err;
    EXPECT_EQ(ReadFile(cli_.Work("GREETING.zq")), kGreetingFile);

    std::filesystem::create_directories(cli_.Work("into"));
    ASSERT_EQ(Sim({"get", "GREETING", "into"}).status, 0);
    EXPECT_EQ(ReadFile(cli_.Work("into/GREETING.zq")), kGreetingFile);
    ASSERT_EQ(Sim({"get", "A\\->B", "arrow.bin"}).status, 0);
    EXPECT_EQ(ReadFile(cli_.Work("arrow.bin")).size(), 8u + 29u);

    CliResult text = Sim({"-t", "get", "LIST1"});
    ASSERT_EQ(text.status, 0) << text.err;
    std::string listText = ReadFile(cli_.Work("LIST1.txt"));
    EXPECT_EQ(listText.rfind("%%ZQ", 0), 0u) << listText;
    EXPECT_NE(listText.find("\"three\""), std::string::npos) << listText;

    CliResult missing = Sim({"get", "NOPE", "nope.zq"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("NOPE: no such variable in HOME"), std::string::npos);
    EXPECT_FALSE(FileExists(cli_.Work("nope.zq")));
    CliResult noFolder = Sim({"get", "X", "absent/x.zq"});
    EXPECT_EQ(noFolder.status, 1);
    EXPECT_NE(noFolder.err.find("absent/: no such folder"), std::string::npos) << noFolder.err;
}

TEST_F(CliSimTest, PutNamesFilesAsADropAndAsksBeforeReplacing) {
    WriteWork("NEWVAR.zq", kGreetingFile);
    WriteWork("GREETING.zq", kGreetingFile);
    CliResult put = Sim({"put", "NEWVAR.zq"});
    ASSERT_EQ(put.status, 0) << put.err;
    EXPECT_EQ(put.out, "Sent NEWVAR.zq as NEWVAR\n");

    // Without a terminal and without --yes / --no the question is answered Cancel.
    CliResult asked = Sim({"put", "GREETING.zq"});
    EXPECT_EQ(asked.status, 1);
    EXPECT_NE(asked.err.find("This folder already contains a file named GREETING."),
              std::string::npos);
    EXPECT_NE(asked.err.find("No terminal to answer on"), std::string::npos);
    // A "no" leaves the operation undone, so the command fails though the rest was sent.
    CliResult declined = Sim({"--no", "put", "GREETING.zq", "NEWVAR.zq"});
    EXPECT_EQ(declined.status, 1) << declined.err;
    EXPECT_NE(declined.err.find("GREETING: not replaced"), std::string::npos);
    EXPECT_EQ(declined.out, "Sent NEWVAR.zq as NEWVAR\n");
    EXPECT_EQ(Sim({"--yes", "put", "GREETING.zq"}).status, 0);

    WriteWork("memory.ZQBACKUP", kGreetingFile);
    CliResult archive = Sim({"put", "NEWVAR.zq", "memory.ZQBACKUP"});
    EXPECT_EQ(archive.status, 1);
    EXPECT_NE(archive.err.find("use restore"), std::string::npos);
    EXPECT_EQ(archive.out, "") << "nothing is sent when one file is refused";
}

TEST_F(CliSimTest, ImproperNameIsSentOnlyWhenAgreed) {
    WriteWork("1BAD.zq", kGreetingFile);
    CliResult refused = Sim({"put", "1BAD.zq"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("Improper Variable Name"), std::string::npos) << refused.err;
    EXPECT_EQ(refused.out, "");
    CliResult agreed = Sim({"--yes", "put", "1BAD.zq"});
    EXPECT_EQ(agreed.status, 0) << agreed.err;
    EXPECT_EQ(agreed.out, "Sent 1BAD.zq as 1BAD\n");
}

TEST_F(CliSimTest, VariableCommandsReportWhatTookEffect) {
    EXPECT_EQ(Sim({"rm", "X", "N"}).status, 0);
    EXPECT_EQ(Sim({"rm", "-C", "MATHS", "DEEP"}).status, 0);
    CliResult unknown = Sim({"rm", "X", "NOPE"});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_NE(unknown.err.find("NOPE: no such variable"), std::string::npos);
    EXPECT_EQ(Sim({"mkdir", "NEWDIR"}).status, 0);
    EXPECT_EQ(Sim({"mkdir", "GAMES"}).status, 1);
    EXPECT_EQ(Sim({"mv", "X", "Y"}).status, 0);
    EXPECT_EQ(Sim({"mv", "X", "N"}).status, 1);
    EXPECT_EQ(Sim({"eval", "1", "2", "+"}).status, 0);
    CliResult stack = Sim({"stack", "--json"});
    ASSERT_EQ(stack.status, 0) << stack.err;
    EXPECT_TRUE(ParseJson(stack.out).isArray());
}

TEST_F(CliSimTest, BackupAndRestoreOfTheWholeMemory) {
    CliResult backup = Sim({"backup", "memory.zqbackup"});
    ASSERT_EQ(backup.status, 0) << backup.err;
    std::string archive = ReadFile(cli_.Work("memory.zqbackup"));
    EXPECT_EQ(archive.rfind("ZQZQK8-", 0), 0u);
    EXPECT_GT(archive.size(), 300u);
    EXPECT_NE(archive.size() % 128, 0u) << "cut to the archive's own length";

    CliResult declined = Sim({"--no", "restore", "memory.zqbackup"});
    EXPECT_EQ(declined.status, 1);
    EXPECT_NE(declined.err.find("Erase Calculator?"), std::string::npos);
    CliResult restored = Sim({"--yes", "restore", "memory.zqbackup"});
    EXPECT_EQ(restored.status, 0) << restored.err;
    EXPECT_NE(restored.err.find("The Calculator memory has been restored"), std::string::npos);

    // One variable is no archive: refused before the question, nothing restored.
    WriteWork("GREETING.zq", kGreetingFile);
    CliResult variable = Sim({"--yes", "restore", "GREETING.zq"});
    EXPECT_EQ(variable.status, 1);
    EXPECT_NE(variable.err.find("GREETING.zq is not restored"), std::string::npos) << variable.err;
    EXPECT_EQ(variable.err.find("Erase Calculator?"), std::string::npos);
    EXPECT_EQ(variable.out.find("Restored"), std::string::npos);
}

TEST_F(CliSimTest, ManualTransfersArePlayedByTheBuiltInCalculator) {
    WriteWork("GREETING.zq", kGreetingFile);
    CliResult xrecv = Sim({"xrecv", "GREETING.zq"});
    ASSERT_EQ(xrecv.status, 0) << xrecv.err;
    EXPECT_NE(xrecv.err.find("Press XRECV"), std::string::npos);

    CliResult xsend = Sim({"--yes", "--sim-name", "X", "xsend", "x.zq"});
    ASSERT_EQ(xsend.status, 0) << xsend.err;
    EXPECT_EQ(ReadFile(cli_.Work("x.zq")).size(), 8u + 11u) << "the padding is cut off";
    EXPECT_EQ(Sim({"--no", "--sim-name", "X", "xsend", "y.zq"}).status, 1);
    EXPECT_FALSE(FileExists(cli_.Work("y.zq")));
    // Without --sim-name the variable named after the file is missing: said at once.
    CliResult missing = Sim({"--yes", "xsend", "OUT.zq"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("the built-in calculator has no variable OUT to send"),
              std::string::npos)
        << missing.err;
    EXPECT_EQ(missing.err.find("Set the Calculator"), std::string::npos);

    for (const char* name : {"shot.png", "shot.bmp", "shot.jpg"}) {
        CliResult screen = Sim({"screen", name});
        ASSERT_EQ(screen.status, 0) << screen.err;
        QImage image(QString::fromStdString(cli_.Work(name)));
        EXPECT_EQ(image.size(), QSize(137, 70)) << name;
    }
    cli_.WriteSettings("[ScreenCapture]\nBorderShow=0\n");
    ASSERT_EQ(Sim({"screen", "bare.png"}).status, 0);
    EXPECT_EQ(QImage(QString::fromStdString(cli_.Work("bare.png"))).size(), QSize(131, 64));

    WriteWork("rom.bin", std::string(5000, '\x5A'));
    CliResult rom = cli_.Run({"-p", "sim:K8G+", "--yes", "rom", "rom.bin"});
    EXPECT_EQ(rom.status, 0) << rom.err;
    CliResult serialRom = Sim({"--yes", "rom", "rom.bin"});
    EXPECT_EQ(serialRom.status, 1);
    EXPECT_NE(serialRom.err.find("USB calculator"), std::string::npos);
}

TEST_F(CliSimTest, BadInputEndsWithOneClearLine) {
    struct Row {
        std::vector<std::string> arguments;
        int status;
        const char* text;
    } rows[] = {
        {{"frobnicate"}, 2, "unknown command 'frobnicate'"},
        {{"ls", "--colour"}, 2, "unknown option --colour"},
        {{"-s", "1200", "info"}, 2, "--speed is one of"},
        {{"screen", "shot.gif"}, 2, "screen saves .png, .bmp or .jpg files"},
        {{"-p", "sim:K9", "info"}, 2, "unknown simulated calculator"},
        {{"put", "missing.zq"}, 1, "missing.zq: no such file"},
        {{"-p", "/dev/no-such-port", "info"}, 1, "unable to open communications"},
        {{"--trace", "no/such/folder/trace.txt", "info"}, 1, "cannot write the trace file"},
    };
    for (const Row& row : rows) {
        CliResult result = cli_.Run(row.arguments);
        EXPECT_EQ(result.status, row.status) << row.text;
        EXPECT_NE(result.err.find(row.text), std::string::npos) << result.err;
        std::size_t lines = std::count(result.err.begin(), result.err.end(), '\n');
        EXPECT_EQ(lines, row.status == 2 ? 2u : 1u) << result.err;
    }
    WriteWork("x.zq", kGreetingFile);
    CliResult manualAuto = cli_.Run({"-p", "auto", "xrecv", "x.zq"});
    EXPECT_EQ(manualAuto.status, 1);
    EXPECT_NE(manualAuto.err.find("Com port cannot be auto for this operation"), std::string::npos);
}

TEST_F(CliSimTest, HelpDocumentsEveryCommandAndOption) {
    CliResult help = cli_.Run({"--help"});
    ASSERT_EQ(help.status, 0);
    for (const char* word : {"ports",
                             "info",
                             "ls [-R]",
                             "get NAME [FILE]",
                             "put FILE[:NAME]...",
                             "rm NAME...",
                             "mkdir NAME",
                             "mv OLD NEW",
                             "eval TEXT",
                             "stack",
                             "backup FILE",
                             "restore FILE",
                             "xrecv FILE",
                             "xsend FILE",
                             "screen FILE",
                             "rom FILE",
                             "--port",
                             "--speed",
                             "--text",
                             "--transio",
                             "--no-cr",
                             "--no-trans031",
                             "--dir",
                             "--trace",
                             "--json",
                             "--help",
                             "--version",
                             "--yes",
                             "--no",
                             "--verbose",
                             "--sim-name",
                             "sim:K8G+",
                             "--crc",
                             "--execute",
                             "--stop-on-error",
                             "shell"}) {
        EXPECT_NE(help.out.find(word), std::string::npos) << word;
    }
    std::string version = cli_.Run({"--version"}).out;
    EXPECT_EQ(
        version.rfind("vaddex-cli 0.1.0\nLicense GPL-3.0-or-later: GNU GPL version 3 or later "
                      "<https://gnu.org/licenses/gpl.html>.\n",
                      0),
        0u)
        << version;
    EXPECT_EQ(help.out.find("below"), help.out.find("below it")) << "no window to point at";
    EXPECT_EQ(help.out.find("window"), std::string::npos);
}

TEST_F(CliSimTest, OperationsThatDidNothingFail) {
    // Text that is not one object: the calculator makes no variable of it.
    WriteWork("note.txt", "hello text");
    CliResult text = Sim({"--yes", "put", "note.txt"});
    EXPECT_EQ(text.status, 1) << text.err;
    EXPECT_EQ(text.out, "");
    EXPECT_NE(text.err.find("note.txt: not sent: the calculator made no variable note"),
              std::string::npos)
        << text.err;

    CliResult infinite = Sim({"eval", "1 0 /"});
    EXPECT_EQ(infinite.status, 1);
    EXPECT_NE(infinite.err.find("the calculator: Infinite Result"), std::string::npos)
        << infinite.err;
    CliResult syntax = Sim({"eval", "<< 1 2"});
    EXPECT_EQ(syntax.status, 1);
    EXPECT_NE(syntax.err.find("the calculator: Invalid Syntax"), std::string::npos) << syntax.err;
    CliResult unclosed = Sim({"eval", "\xAB 1 2"});
    EXPECT_EQ(unclosed.status, 1) << unclosed.err;

    CliResult improper = Sim({"--no", "mkdir", "1BAD"});
    EXPECT_EQ(improper.status, 1);
    EXPECT_NE(improper.err.find("1BAD: not made"), std::string::npos) << improper.err;

    // The text form of a string as long as the free memory cannot be made: the get fails
    // without blaming the user.
    WriteWork("BIG.txt", "\"" + std::string(30000, 'x') + "\"");
    CliResult full = Sim({"--yes", "-t", "-e", "put BIG.txt", "-e", "get BIG out.txt"});
    EXPECT_EQ(full.status, 1);
    EXPECT_NE(full.err.find("BIG: not copied"), std::string::npos) << full.err;
    EXPECT_EQ(full.err.find("Canceled by user"), std::string::npos) << full.err;
    EXPECT_FALSE(FileExists(cli_.Work("out.txt")));
}

TEST_F(CliSimTest, SessionRunsCommandsOverOneConnection) {
    // A successful line leaves its results on the stack as it would without the error check.
    CliResult session =
        Sim({"--trace", "trace.txt", "-e", "eval '1 0 /'", "-e", "eval 7 \"'NEW'\" STO 1 2", "-e",
             "ls", "-e", "get NEW new.zq", "-e", "stack"});
    EXPECT_EQ(session.status, 1) << "the first failure's status";
    EXPECT_NE(session.err.find("Infinite Result"), std::string::npos) << session.err;
    EXPECT_NE(session.out.find("NEW "), std::string::npos) << "eval's change is listed";
    EXPECT_NE(session.out.find("Wrote new.zq"), std::string::npos) << session.out;
    EXPECT_NE(session.out.find("2: 1.\n1: 2.\n"), std::string::npos) << session.out;
    std::string trace = ReadFile(cli_.Work("trace.txt"));
    auto count = [&](const std::string& text) {
        std::size_t n = 0;
        for (std::size_t at = trace.find(text); at != std::string::npos;
             at = trace.find(text, at + 1)) {
            ++n;
        }
        return n;
    };
    EXPECT_EQ(count("send command = V\n"), 1u) << "one identification";
    EXPECT_EQ(count("send command = l\n"), 3u) << "read again only after each change";

    // Symbols typed as themselves or as the stack shows them.
    CliResult symbols = Sim({"-e", "eval 2 3 \u2264 \"\\<< 4 \u221A \\>> EVAL\"", "-e", "stack"});
    EXPECT_EQ(symbols.out, "2: 1.\n1: 2.\n") << symbols.err;

    CliResult stopped = Sim({"--stop-on-error", "-e", "get NOPE", "-e", "ls"});
    EXPECT_EQ(stopped.status, 1);
    EXPECT_EQ(stopped.out, "");
    CliResult usage = Sim({"-e", "frobnicate", "-e", "ls -C MATHS"});
    EXPECT_EQ(usage.status, 2);
    EXPECT_NE(usage.out.find("DEEP"), std::string::npos) << "later commands still run";
    EXPECT_EQ(Sim({"-e", "ls", "info"}).status, 2);
}

TEST_F(CliSimTest, ShellReadsCommandsFromStandardInput) {
    auto shell = cli_.Start({"-p", "sim", "shell"});
    shell->WriteInput("# a comment\n\nls -C MATHS\nget \"A\\->B\" arrow.zq\nexit\nls\n");
    shell->CloseInput();
    ASSERT_EQ(shell->Wait(CliHarness::kRunTimeoutMs), 0) << shell->Err();
    EXPECT_EQ(shell->Out().find("EMPTY  Directory"), 0u) << shell->Out();
    EXPECT_NE(shell->Out().find("Wrote arrow.zq"), std::string::npos) << shell->Out();
    EXPECT_EQ(shell->Out().find("GREETING"), std::string::npos) << "nothing after exit";
}

TEST_F(CliSimTest, ObjectsGoToStandardOutputAndFilesTakeChosenNames) {
    WriteWork("note.zq", kGreetingFile);
    CliResult session = Sim({"-e", "get GREETING -", "-e", "put note.zq:MEMO", "-e",
                             "eval '1 2 3 4 5 6 7 8 9 \"s\"'", "-e", "stack", "-e", "ls", "-e",
                             "stack --all", "-e", "stack --all --json"});
    ASSERT_EQ(session.status, 0) << session.err;
    EXPECT_EQ(session.out.rfind(kGreetingFile, 0), 0u) << "the object first, exactly";
    EXPECT_NE(session.out.find("Sent note.zq as MEMO\n"), std::string::npos) << session.out;
    EXPECT_NE(session.out.find("(3 more levels not shown; stack --all shows them)\n7: 4.\n"),
              std::string::npos)
        << session.out;
    EXPECT_NE(session.out.find("10: 1.\n9: 2.\n8: 3.\n7: 4.\n6: 5.\n5: 6.\n4: 7.\n3: 8.\n"
                               "2: 9.\n1: \"s\"\n"),
              std::string::npos)
        << session.out;
    EXPECT_NE(session.out.find("\"10: 1.\""), std::string::npos) << "JSON has every level too";
    EXPECT_NE(session.out.find("MEMO "), std::string::npos);
    EXPECT_EQ(session.out.find("note "), std::string::npos);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(cli_.Work()),
                            std::filesystem::directory_iterator()),
              1)
        << "no file for the object, no renamed copy";

    CliResult missing = Sim({"get", "NOPE", "-"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "");
}

TEST_F(CliSimTest, PortsThatCannotBeOpenedSayWhy) {
    CliResult absent = cli_.Run({"-p", "/dev/nonexist", "info"});
    EXPECT_EQ(absent.status, 1);
    EXPECT_NE(absent.err.find("/dev/nonexist"), std::string::npos) << absent.err;
    EXPECT_NE(absent.err.find("No such file or directory"), std::string::npos) << absent.err;
    // A stored path is used as given, not searched for in the port list.
    cli_.WriteSettings("[General]\nPort=/dev/nonexist\n");
    CliResult stored = cli_.Run({"info"});
    EXPECT_NE(stored.err.find("/dev/nonexist (No such file or directory)"), std::string::npos)
        << stored.err;
}

}  // namespace
}  // namespace vaddex::test
