// The log window: one line per operation with its time, what it did and how it ended, read
// only, saved as a text file; and the lines a real session leaves in it through the bridge.

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "link/CommLink.h"
#include "objects/TextFileForm.h"
#include "session/SessionCommands.h"
#include "session/TXModemServer.h"
#include "session/TXPObject.h"
#include "support/PatternText.h"
#include "support/SimFixture.h"
#include "util/FileIo.h"
#include "windows/QtUiBridge.h"
#include "windows/TFLog.h"

using namespace vaddex;
using namespace vaddex::gui;

Q_DECLARE_METATYPE(vaddex::Outcome)

class LogWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void operationLines_data();
    void operationLines();
    void aFailureToldTwiceIsLoggedOnce();
    void theLogIsReadOnlyAndSaves();
    void aSessionLeavesOneLinePerOperation();
};

void LogWindowTest::operationLines_data() {
    QTest::addColumn<QString>("what");
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<QString>("line");
    using K = Outcome::Kind;
    QTest::newRow("done") << "deleted GREETING" << Outcome::Done() << "deleted GREETING: done";
    QTest::newRow("taken name names the reason")
        << "renamed N to NOTES" << Outcome::Fail(K::Exists, "NOTES: already exists in HOME")
        << "renamed N to NOTES: failed, NOTES: already exists in HOME";
    QTest::newRow("a two-line message stays on one line")
        << "connected on /dev/ttyS0"
        << Outcome::Fail(K::NoCalculator, "Connection Error.\r\nPlease check your connections.")
        << "connected on /dev/ttyS0: failed, Connection Error. Please check your connections.";
    QTest::newRow("a failure without text names its kind")
        << "sent /tmp/HELLO.zq" << Outcome::Fail(K::LinkFailed, "")
        << "sent /tmp/HELLO.zq: failed, " + QString(KindName(K::LinkFailed));
    QTest::newRow("a question answered No is no failure")
        << "made directory A\\->B" << Outcome::Declined("A\\->B: not made")
        << "made directory A\\->B: not done, A\\->B: not made";
    QTest::newRow("the user's Cancel")
        << "backed up the calculator to /tmp/K8.zqbackup" << Outcome::Cancelled()
        << "backed up the calculator to /tmp/K8.zqbackup: cancelled";
    QTest::newRow("a calculator byte shows as itself")
        << QString::fromLatin1("deleted A\xAB") << Outcome::Done()
        << QString::fromLatin1("deleted A\xAB: done");
}

void LogWindowTest::operationLines() {
    QFETCH(QString, what);
    QFETCH(Outcome, outcome);
    QFETCH(QString, line);
    QCOMPARE(TFLog::OperationLine(what.toLatin1().toStdString(), outcome), line);
    TFLog log;
    log.Operation(what.toLatin1().toStdString(), outcome);
    QRegularExpression timed("^\\d\\d:\\d\\d:\\d\\d " + QRegularExpression::escape(line) + "$");
    QVERIFY2(timed.match(log.Text()).hasMatch(), qPrintable(log.Text()));
}

// The message box that shows an operation's failure would otherwise add its text again.
void LogWindowTest::aFailureToldTwiceIsLoggedOnce() {
    TFLog log;
    log.Operation("deleted X", Outcome::Fail(Outcome::Kind::NotConnected, "no calculator"));
    log.Note("no calculator.");
    log.Note("no calculator.");  // a second message of the same text is a new one
    QCOMPARE(log.Text().count('\n'), 1);
    QVERIFY(log.Text().endsWith(" no calculator."));
}

void LogWindowTest::theLogIsReadOnlyAndSaves() {
    TFLog log;
    QVERIFY(log.Memo1->isReadOnly());
    log.Operation("deleted GREETING", Outcome::Done());
    log.Note("Decompile Error: /tmp/A.zq\r\nCannot decompile this file.");
    QTemporaryDir dir;
    QString path = dir.filePath("log.txt");
    QString error;
    QVERIFY(log.SaveTo(path, error));
    QFile saved(path);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(saved.readAll()), log.Text() + "\n");
    QCOMPARE(log.Text().count('\n'), 1);  // two lines, the message on one of them

    QVERIFY(!log.SaveTo(dir.filePath("no/such/folder/log.txt"), error));
    QVERIFY(!error.isEmpty());
    log.btnClear->click();
    QCOMPARE(log.Text(), QString());
}

// Connect, make, rename, put, delete and a refused name through the window's bridge: the log
// holds what each did, and none of the steps, figures or scratch names the user never asked for.
void LogWindowTest::aSessionLeavesOneLinePerOperation() {
    test::SimFixtureOptions options;
    options.connect = false;
    test::SimFixture sim(options);
    QVERIFY(sim.StoreAt("HOME N", test::PackedString("notes")));
    QtUiBridge ui(nullptr, sim.State());
    CommLink link(ui);
    TXModemServer session(link, ui);
    session.SetSpeed("9600");
    TXPObject root;
    root.MakeHome(session);
    SessionCommands commands(session, root);
    commands.SelectedPort = sim.PortName();

    QVERIFY(commands.ConnectToCalculator());
    QVERIFY(commands.MakeDirectory("WORK"));
    QVERIFY(commands.Reread());
    QVERIFY(commands.RenameItem("N", "NOTES", false));
    QCOMPARE(commands.MakeDirectory("WORK").kind, Outcome::Kind::Exists);
    std::string hello = sim.Files().File("HELLO.zq");
    QVERIFY(WriteWholeFile(hello, WrapAsStringObject(test::PatternText(3000), "K8")));
    std::vector<PutResult> put = commands.PutFiles({hello});
    QVERIFY(put.size() == 1 && put[0].outcome);
    QVERIFY(commands.DeleteItem("NOTES", false));

    QStringList lines = ui.LogWindow().Text().split('\n');
    const QString port = QString::fromStdString(sim.PortName());
    const QStringList expected = {"connected on " + port + ": done",
                                  "made directory WORK: done",
                                  "renamed N to NOTES: done",
                                  "made directory WORK: failed, WORK: already exists in HOME",
                                  "sent " + QString::fromStdString(hello) + ": done",
                                  "deleted NOTES: done"};
    QCOMPARE(lines.size(), expected.size());
    for (int i = 0; i < lines.size(); ++i) {
        QCOMPARE(lines[i].mid(9), expected[i]);
    }
    for (const char* noise : {"$$$t", "Kbytes", "Change current dir", "ended"}) {
        QVERIFY2(!ui.LogWindow().Text().contains(noise), noise);
    }
    root.ClearChildren();
}

QTEST_MAIN(LogWindowTest)
#include "LogWindowTest.moc"
