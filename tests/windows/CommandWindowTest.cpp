// The calculator command window against the simulated calculator.

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSettings>
#include <QWindow>
#include <QtTest>
#include <memory>

#include "session/SessionCommands.h"
#include "support/SimFixture.h"
#include "support/TempDir.h"
#include "windows/TFRplCmd.h"

namespace vaddex::test {

using gui::TFRplCmd;

class CommandWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TempDir> settingsDir_;
    std::unique_ptr<SimFixture> sim_;
    std::unique_ptr<SessionCommands> commands_;
    std::unique_ptr<TFRplCmd> window_;

    QComboBox& Command() { return *window_->findChild<QComboBox*>("cmboCmd"); }
    QString Memo() { return window_->findChild<QPlainTextEdit*>("Memo1")->toPlainText(); }
    QCheckBox& AutoBox() { return *window_->findChild<QCheckBox*>("chbAutoUpdate"); }
    QStringList History() {
        QStringList items;
        for (int i = 0; i < Command().count(); ++i) {
            items << Command().itemText(i);
        }
        return items;
    }
    // Types the line and presses Enter, as the user does.
    void Enter(const QString& text) {
        Command().lineEdit()->setText(text);
        QTest::keyClick(Command().lineEdit(), Qt::Key_Return);
    }

private slots:
    void initTestCase() {
        settingsDir_ = std::make_unique<TempDir>();
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QString::fromStdString(settingsDir_->Path()));
        sim_ = std::make_unique<SimFixture>();
        commands_ = std::make_unique<SessionCommands>(sim_->Session(), sim_->Root());
    }

    void init() {
        window_ = std::make_unique<TFRplCmd>(*commands_);
        window_->FormCreate();
        window_->EnableCommands(true, false);
        commands_->RunCalculatorCommand("CLEAR");
        sim_->Ui().ClearRecords();
    }

    void cleanupTestCase() {
        window_.reset();
        commands_.reset();
        sim_.reset();
    }

    void historyKeepsOneEntryPerTextIgnoringCaseMostRecentFirst() {
        Enter("1 2");
        Enter("3");
        QCOMPARE(Memo(), QString("3: 1.\n2: 2.\n1: 3."));  // each line ran on the calculator
        Enter("DROP");
        Enter("drop");
        QCOMPARE(History(), (QStringList{"drop", "3", "1 2"}));
        QVERIFY(Command().currentText().isEmpty());
    }

    void emptyEnterRefreshesStackAndAddsNoHistory() {
        AutoBox().setChecked(false);
        commands_->RunCalculatorCommand("5 \"five\"");
        QVERIFY(Memo().contains("WARNING"));
        Enter("");
        QCOMPARE(Memo(), QString("2: 5.\n1: \"five\""));
        QVERIFY(History().isEmpty());
    }

    void stackPictureShowsSevenLevelsLevelOneLast() {
        Enter("1 2 3 4 5 6 7 8 9 10");
        QCOMPARE(Memo(), QString("7: 4.\n6: 5.\n5: 6.\n4: 7.\n3: 8.\n2: 9.\n1: 10."));
        Enter("CLEAR");
        QCOMPARE(Memo(), QString());
    }

    void withoutAutoUpdateThePictureStays() {
        Enter("42");
        QCOMPARE(Memo(), QString("1: 42."));
        AutoBox().setChecked(false);
        Enter("43");
        QCOMPARE(Memo(), QString("1: 42."));
        window_->btnStackClick();
        QCOMPARE(Memo(), QString("2: 42.\n1: 43."));
    }

    void disabledWindowRefusesWithBeepAndRunsNothing() {
        window_->EnableCommands(true, true);
        window_->btnSendClick();
        window_->btnStackClick();
        QCOMPARE(sim_->Ui().BeepCount(), 2);
        QVERIFY(Memo().contains("WARNING"));
        QCOMPARE(sim_->Ui().Count("SetBusy"), 0);
    }

    void pasteTakesAtMostNinetyNineCharacters() {
        QGuiApplication::clipboard()->setText(QString(150, 'x'));
        Command().lineEdit()->setFocus();
        QTest::keySequence(Command().lineEdit(), QKeySequence::Paste);
        QCOMPARE(Command().currentText(), QString(TFRplCmd::kMaxPasteChars, 'x'));
    }

    void autoStackSettingSurvivesClose() {
        AutoBox().setChecked(false);
        window_->FormClose();
        QVERIFY(!window_->isVisible());
        QCOMPARE(QSettings("Zenquist", "Vaddex").value("RplCmd/AutoStack").toString(),
                 QString("0"));
        TFRplCmd again(*commands_);
        again.FormCreate();
        QVERIFY(!again.AutoUpdate());
        AutoBox().setChecked(true);
        window_->FormClose();
    }

    void opensWithTheWarningWholeInFrontOfItsOwner() {
        QWidget owner;
        owner.show();
        TFRplCmd window(*commands_, &owner);
        window.FormCreate();
        window.EnableCommands(true, false);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* memo = window.findChild<QPlainTextEdit*>("Memo1");
        QVERIFY(memo->toPlainText().contains("WARNING"));
        QVERIFY(!memo->horizontalScrollBar()->isVisible());
        QVERIFY(!memo->verticalScrollBar()->isVisible());
        // What the user types goes into the command box, not onto the check box.
        auto* command = window.findChild<QComboBox*>("cmboCmd");
        QVERIFY(window.focusWidget() == command || window.focusWidget() == command->lineEdit());
        // Enter sends from there, as a keyboard delivers it to the focused control.
        command->lineEdit()->setText("4 5 +");
        QTest::keyClick(window.focusWidget(), Qt::Key_Return);
        QTRY_COMPARE(memo->toPlainText(), QString("1: 9."));
        // A dialog window of the owner's: the window manager keeps it in front of it.
        QCOMPARE(window.windowType(), Qt::Dialog);
        QCOMPARE(window.windowHandle()->transientParent(), owner.windowHandle());
        window.FormClose();
    }

    void busyIsClearedWhenTheCommandFails() {
        // Last: it leaves the session disconnected under the window, so the command raises.
        sim_->Session().Disconnect();
        Enter("1");
        QCOMPARE(sim_->Ui().Count("SetBusy(true)"), 1);
        QVERIFY(sim_->Ui().Find("SetBusy(false)") > sim_->Ui().Find("SetBusy(true)"));
        QCOMPARE(sim_->Ui().Messages().size(), std::size_t{1});
    }
};

}  // namespace vaddex::test

QTEST_MAIN(vaddex::test::CommandWindowTest)
#include "CommandWindowTest.moc"
