// Getting and putting single objects against the simulated calculator.

#include <gtest/gtest.h>

#include <unistd.h>

#include "objects/CalcNames.h"
#include "session/SessionBTestSupport.h"
#include "session/SessionPaths.h"
#include "util/AppPaths.h"
#include "util/Errors.h"

namespace vaddex::test {
namespace {

using zqsim::TransportKind;

class SessionTransferTest : public ::testing::Test {
protected:
    explicit SessionTransferTest(SimFixtureOptions options = {}) : sim(std::move(options)) {
        sim.Session().ReadDirectoryTree(sim.Root());
    }

    const TXPObject& Item(const std::string& name) {
        const TXPObject* item = FindChild(sim.Root(), name);
        EXPECT_NE(item, nullptr) << name;
        return *item;
    }

    // Gets a HOME variable by its listing entry into a file and returns the file's bytes.
    std::string Get(const std::string& name, const std::string& file) {
        const TXPObject& item = Item(name);
        std::string path = sim.Files().File(file);
        EXPECT_TRUE(sim.Session().GetToFile(CalcNameToPc(PcNameToCalc(name, false), true), path,
                                            item.Size, item.TypeCode));
        return FileBytes(path);
    }

    bool Put(const std::string& name, const std::string& file, const std::string& bytes,
             bool askReplace = false) {
        std::string path = sim.Files().File(file);
        PutFileBytes(path, bytes);
        bool replaceAll = false;
        return sim.Session().PutFile(name, path, "", askReplace, replaceAll, 1).IsDone();
    }

    std::string Home(const std::string& name) {
        return sim.FindObject("HOME " + name).value_or("");
    }

    SimFixture sim;
};

// --- binary form, over both kinds of link ------------------------------------------------

class SessionBinaryTransferTest : public SessionTransferTest,
                                  public ::testing::WithParamInterface<TransportKind> {
protected:
    static SimFixtureOptions Options() {
        SimFixtureOptions options;
        if (GetParam() == TransportKind::Fifo) {
            options.personality = zqsim::Personality::K8GPlus;
        }
        return options;
    }
    SessionBinaryTransferTest() : SessionTransferTest(Options()) {}
};

TEST_P(SessionBinaryTransferTest, GetWritesHeaderAndExactObjectAndPutStoresItBack) {
    for (const std::string name : {"X", "GREETING", "LIST1", "SQR", "SPEED"}) {
        SCOPED_TRACE(name);
        std::string file = Get(name, name + ".zq");
        EXPECT_EQ(file.substr(0, 6), "ZQZQK8");
        EXPECT_EQ(file.substr(8), Home(name));
        ASSERT_TRUE(Put("COPY", "copy.zq", file));
        EXPECT_EQ(Home("COPY"), Home(name));
    }
    EXPECT_TRUE(sim.Ui().Connected());
}

TEST_P(SessionBinaryTransferTest, NameWithCalculatorCharactersTravelsInItsFileForm) {
    std::string file = Get("A\\->B", "A^141B.zq");
    EXPECT_EQ(file.substr(8), Home("A\x8D"
                                   "B"));
    ASSERT_TRUE(Put("\\pi", "pi.zq", file));
    EXPECT_EQ(Home("\x87"), Home("A\x8D"
                                 "B"));
}

INSTANTIATE_TEST_SUITE_P(Links, SessionBinaryTransferTest,
                         ::testing::Values(TransportKind::Pty, TransportKind::Fifo),
                         [](const auto& info) {
                             return info.param == TransportKind::Pty ? "Pty" : "Fifo";
                         });

// --- text form ---------------------------------------------------------------------------

TEST_F(SessionTransferTest, TextGetOfStringQuotesBodyAndWritesHeaderOfCalculatorModes) {
    sim.State().textMode = true;
    std::string text = Get("GREETING", "GREETING.txt");
    EXPECT_EQ(text, "%%ZQ: T(3)A(D)F(.);\r\n\"Hello, ZQ!\"\r\n");

    sim.WithCalculator([](zqsim::SimCalculator& calc) {
        calc.SetFlag(-17, true);  // radians
        calc.SetFlag(-51, true);  // comma as decimal mark
    });
    sim.State().transfer.addCR = false;
    text = Get("GREETING", "GREETING.txt");
    EXPECT_EQ(text, "%%ZQ: T(3)A(R)F(,);\n\"Hello, ZQ!\"\n");
}

TEST_F(SessionTransferTest, TextGetOfAlgebraicQuotesItOnce) {
    sim.State().textMode = true;
    EXPECT_EQ(Get("EXPR", "EXPR.txt"), "%%ZQ: T(3)A(D)F(.);\r\n'X^2.+1.'\r\n");
}

struct TranslationRow {
    const char* fault;
    int transIO;
    bool trans031;
    const char* expected;
};

class SessionTextTranslationTest : public SessionTransferTest,
                                   public ::testing::WithParamInterface<TranslationRow> {};

TEST_P(SessionTextTranslationTest, TextGetTranslatesAsTheModeSays) {
    const TranslationRow& row = GetParam();
    ASSERT_TRUE(sim.StoreAt("HOME T", PackedString("a\x8D\x87\xAB\xE9\tb")));
    sim.Session().ReadDirectoryTree(sim.Root());
    sim.State().textMode = true;
    sim.State().transfer.transIO = row.transIO;
    sim.State().transfer.trans031 = row.trans031;
    sim.State().transfer.addCR = false;
    std::string header = "%%ZQ: T(" + std::to_string(row.transIO) + ")A(D)F(.);\n";
    EXPECT_EQ(Get("T", "T.txt"), header + "\"" + row.expected + "\"\n");
}

INSTANTIATE_TEST_SUITE_P(
    Modes, SessionTextTranslationTest,
    ::testing::Values(
        TranslationRow{"mode_1_changes_nothing", 1, false, "a\x8D\x87\xAB\xE9\tb"},
        TranslationRow{"mode_2_leaves_codes_above_159", 2, false, "a\\->\\pi\xAB\xE9\tb"},
        TranslationRow{"mode_3_translates_up_to_255", 3, false, "a\\->\\pi\\<<\\233\tb"},
        TranslationRow{"trans031_escapes_the_tab", 1, true, "a\x8D\x87\xAB\xE9\\009b"}),
    [](const auto& info) { return std::string(info.param.fault); });

TEST_F(SessionTransferTest, TextPutOfGetRestoresTheObjectInEveryMode) {
    sim.State().textMode = true;
    for (int mode : {1, 2, 3}) {
        SCOPED_TRACE(mode);
        sim.State().transfer.transIO = mode;
        std::string text = Get("A\\->B", "AB.txt");
        ASSERT_TRUE(Put("BACK", "back.txt", text));
        EXPECT_EQ(Home("BACK"), Home("A\x8D"
                                     "B"));
    }
}

// The text's length decides whether it travels inside the command line or as $$$a.
TEST_F(SessionTransferTest, TextOf300BytesTravelsInlineAndOf301BytesAsTemporaryVariable) {
    const std::string head = "%%ZQ: T(3)A(D)F(.);\r\n\"";
    const std::string tail = "\"\r\n";
    std::string tempPath = LongTextTempPath(sim.Session().PortName);
    for (std::size_t size : {300u, 301u}) {
        SCOPED_TRACE(size);
        std::string body = PatternText(size - head.size() - tail.size());
        int storedBefore = sim.Server().Stats().objectsStored;
        bool tempSeen = false;
        sim.Ui().SetOnIdle([&] { tempSeen = tempSeen || FileExists(tempPath); });
        ASSERT_TRUE(Put("LONG", "long.txt", head + body + tail));
        sim.Ui().SetOnIdle({});

        EXPECT_EQ(Home("LONG"), PackedString(body));
        zqsim::SimStats stats = sim.Server().Stats();
        bool viaVariable = size == 301;
        EXPECT_EQ(stats.objectsStored - storedBefore, viaVariable ? 1 : 0);
        EXPECT_EQ(tempSeen, viaVariable);
        EXPECT_EQ(stats.lastCommandLine.find(body) != std::string::npos, !viaVariable);
        EXPECT_FALSE(sim.FindObject("HOME $$$a").has_value());
    }
    // The temporary file lived in the private folder under a name that cannot leave it.
    EXPECT_EQ(FolderOf(tempPath), TempFolder());
    EXPECT_EQ(FileNameOf(tempPath).find_first_not_of(
                  "$abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_"),
              std::string::npos);
    EXPECT_FALSE(FileExists(tempPath));
    EXPECT_FALSE(FileExists("$$$a" + sim.Session().PortName));
}

TEST_F(SessionTransferTest, TextHeaderSetsAngleAndDecimalMarkOnlyWhileParsing) {
    ASSERT_TRUE(Put("V", "v.txt", "%%ZQ: T(3)A(R)F(,);\r\n1,5\r\n"));
    EXPECT_NE(sim.Server().Stats().lastCommandLine.find("'V' RCLF RAD -51 SF -55 CF \"1,5\" "),
              std::string::npos);
    sim.WithCalculator([&](zqsim::SimCalculator& calc) {
        EXPECT_FALSE(calc.Flag(-51)) << "the flags are restored after the parse";
    });
    sim.Session().Execute("'V' RCL 1.5 == 'OK' STO", false, true);
    EXPECT_TRUE(sim.FindObject("HOME OK").has_value());
}

TEST_F(SessionTransferTest, TextThatDoesNotParseIsRefusedAndStoresNothing) {
    try {
        Put("BAD", "bad.txt", "%%ZQ: T(3)A(D)F(.);\r\n{ 1 2\r\n");
        ADD_FAILURE() << "no error raised";
    } catch (const OperationError& e) {
        EXPECT_STREQ(e.what(), "Error (BAD: not sent: the text is not one object; its { has no })");
    }
    EXPECT_FALSE(sim.FindObject("HOME BAD").has_value());
}

TEST_F(SessionTransferTest, TextWhoseBodyIsEmptyIsRefusedWithTheWarning) {
    EXPECT_FALSE(Put("EMPTY", "empty.txt", "%%ZQ: T(3)A(D)F(.);\r\n   \r\n"));
    ASSERT_EQ(sim.Ui().Messages().size(), 1u);
    EXPECT_EQ(sim.Ui().Messages()[0].caption, "Warning");
    EXPECT_EQ(sim.Ui().Messages()[0].text,
              "EMPTY\r\n\r\nis not a valid text file and cannot be properly sent.\r\n");
}

TEST_F(SessionTransferTest, TextModeGetOfNameContainingHomeIsRefusedAndSendsNothing) {
    std::string path = sim.Files().File("MYHOME.txt");
    PutFileBytes(path, "the user's own file");
    sim.State().textMode = true;
    zqsim::SimStats before = sim.Server().Stats();
    EXPECT_FALSE(sim.Session().GetToFile("MYHOME", path, 10, 32));
    zqsim::SimStats after = sim.Server().Stats();
    EXPECT_EQ(after.letters['E'], before.letters['E']);
    EXPECT_EQ(after.letters['G'], before.letters['G']);
    EXPECT_EQ(FileBytes(path), "the user's own file");
}

TEST_F(SessionTransferTest, FailedGetLeavesTheTargetAsItWas) {
    for (bool text : {false, true}) {
        SCOPED_TRACE(text);
        std::string path = sim.Files().File("KEPT");
        PutFileBytes(path, "an older copy");
        sim.State().textMode = text;
        EXPECT_FALSE(sim.Session().GetToFile("NOSUCH", path, 10, 32));
        EXPECT_EQ(FileBytes(path), "an older copy");
        sim.Connect();
        std::string absent = sim.Files().File("ABSENT");
        EXPECT_FALSE(sim.Session().GetToFile("NOSUCH", absent, 10, 32));
        EXPECT_FALSE(FileExists(absent));
        sim.Connect();
    }
}

// --- what the file's head decides --------------------------------------------------------

TEST_F(SessionTransferTest, OtherSeriesBinaryAsksYesNoAndSendsAsBinaryOnYes) {
    std::string other = "ZQZQK7-C" + Home("X");
    sim.Ui().QueueWrongFileAnswer(static_cast<int>(ModalResult::Cancel));
    EXPECT_FALSE(Put("K7X", "k7x.zq", other));
    EXPECT_FALSE(sim.FindObject("HOME K7X").has_value());

    sim.Ui().QueueWrongFileAnswer(static_cast<int>(ModalResult::OK));
    EXPECT_TRUE(Put("K7X", "k7x.zq", other));
    EXPECT_EQ(Home("K7X"), Home("X"));
    EXPECT_EQ(sim.Ui().Count("AskWrongFile(" + sim.Files().File("k7x.zq") + "|ZQK7|false)"), 2);
}

TEST_F(SessionTransferTest, FileWithoutHeaderOffersTextOrBinary) {
    sim.Ui().QueueWrongFileAnswer(kWrongFileText);
    EXPECT_TRUE(Put("PLAIN", "plain.doc", "\"plain text\""));
    EXPECT_EQ(Home("PLAIN"), PackedString("plain text"));
    EXPECT_EQ(sim.Ui().Count("AskWrongFile(" + sim.Files().File("plain.doc") + "|doc|true)"), 1);
}

// A plain ".txt" the user wrote is what text mode sends; in binary mode it is still asked about.
TEST_F(SessionTransferTest, PlainTxtInTextModeIsSentAsTextUnasked) {
    sim.State().textMode = true;
    EXPECT_TRUE(Put("NOTE", "note.TXT", "\"plain text\"\n"));
    EXPECT_EQ(Home("NOTE"), PackedString("plain text"));
    EXPECT_EQ(sim.Ui().Count("AskWrongFile"), 0);

    sim.State().textMode = false;
    EXPECT_FALSE(Put("NOTE2", "note2.txt", "\"plain text\"\n"));  // the default answer: Cancel
    EXPECT_EQ(sim.Ui().Count("AskWrongFile(" + sim.Files().File("note2.txt") + "|txt|true)"), 1);
}

TEST_F(SessionTransferTest, TextWithoutHeaderUnderBinaryExtensionIsCalledWhatItIs) {
    sim.Ui().QueueWrongFileAnswer(kWrongFileText);
    EXPECT_TRUE(Put("H1", "h1.zq", "\"plain text\"\n"));
    EXPECT_EQ(Home("H1"), PackedString("plain text"));
    EXPECT_EQ(
        sim.Ui().Count("AskWrongFile(" + sim.Files().File("h1.zq") + "|header-less text|true)"), 1);
}

TEST_F(SessionTransferTest, TextHeadIsSentAsTextEvenUnderBinaryExtension) {
    EXPECT_TRUE(Put("T", "t.zq", "%%ZQ: T(3)A(D)F(.);\r\n42.\r\n"));
    EXPECT_EQ(sim.Ui().Count("AskWrongFile"), 0);
    sim.Session().Execute("'T' RCL 42 == 'OK' STO", false, true);
    EXPECT_TRUE(sim.FindObject("HOME OK").has_value());
}

// --- replacing -----------------------------------------------------------------------------

TEST_F(SessionTransferTest, AllAnswersTheReplaceQuestionForTheRestOfTheBatch) {
    std::string file = Get("X", "x.zq");
    std::string path = sim.Files().File("x.zq");
    bool replaceAll = false;
    sim.Ui().QueueReplaceAnswer(ModalResult::All);
    for (const std::string name : {"N", "GREETING", "EXPR"}) {
        EXPECT_TRUE(sim.Session().PutFile(name, path, "", true, replaceAll, 3));
        EXPECT_EQ(Home(name), Home("X"));
    }
    EXPECT_TRUE(replaceAll);
    EXPECT_EQ(sim.Ui().Count("AskReplace("), 1);
    EXPECT_EQ(sim.Ui().Count("AskReplace(N|3)"), 1);
}

TEST_F(SessionTransferTest, NoSkipsTheFileAndCancelEndsTheBatch) {
    std::string file = Get("X", "x.zq");
    std::string path = sim.Files().File("x.zq");
    std::string before = Home("N");
    bool replaceAll = false;
    sim.Ui().QueueReplaceAnswer(ModalResult::No);
    EXPECT_TRUE(sim.Session().PutFile("N", path, "", true, replaceAll, 2).GoesOn());
    sim.Ui().QueueReplaceAnswer(ModalResult::Cancel);
    EXPECT_FALSE(sim.Session().PutFile("N", path, "", true, replaceAll, 2).GoesOn());
    EXPECT_EQ(Home("N"), before);
}

TEST_F(SessionTransferTest, WithoutOverwriteFlagOnlyTextPutsAsk) {
    sim.State().calculatorFlags = "00000000";
    std::string file = Get("X", "x.zq");
    EXPECT_TRUE(Put("N", "x.zq", file, true));
    EXPECT_EQ(sim.Ui().Count("AskReplace("), 0);
    EXPECT_TRUE(Put("N", "n.txt", "%%ZQ: T(3)A(D)F(.);\r\n7.\r\n", true));
    EXPECT_EQ(sim.Ui().Count("AskReplace(N|1)"), 1);
}

// --- names -------------------------------------------------------------------------------

TEST(SessionDisplayName, ShowsLastComponentWithoutExactBinaryOrTextExtension) {
    EXPECT_EQ(TXModemServer::DisplayName("A", "/dir/A.zq", ""), "A");
    EXPECT_EQ(TXModemServer::DisplayName("A", "/dir/A.ZQ", ""), "A.ZQ");
    EXPECT_EQ(TXModemServer::DisplayName("A", "/dir/A.txt", ""), "A");
    EXPECT_EQ(TXModemServer::DisplayName("A", "", ""), "A");
    EXPECT_EQ(TXModemServer::DisplayName("$$$a", "/tmp/x/$$$a_dev_pts_3", "/home/u/notes.txt"),
              "notes");
}

}  // namespace
}  // namespace vaddex::test
