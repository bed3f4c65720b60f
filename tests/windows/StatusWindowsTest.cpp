// The operator prompt, the progress and log windows, the put questions and window placement,
// and the window's UiBridge driving a real session against the simulated calculator.

#include <QApplication>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include "link/CommLink.h"
#include "placement/WindowFront.h"
#include "session/PromptTexts.h"
#include "session/TXModemServer.h"
#include "session/TXPObject.h"
#include "support/PatternText.h"
#include "support/SimFixture.h"
#include "util/Errors.h"
#include "util/FileIo.h"
#include "windows/DisplayText.h"
#include "windows/QtUiBridge.h"

using namespace vaddex;
using namespace vaddex::gui;

namespace {

// Runs `fn` from the event loop once `ready` holds (a modal window is up), looking every 10 ms.
// The look goes with `owner`.
void WhenReady(QObject* owner, std::function<bool()> ready, std::function<void()> fn) {
    auto* timer = new QTimer(owner);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, ready, fn] {
        if (ready()) {
            timer->stop();
            timer->deleteLater();
            fn();
        }
    });
    timer->start(10);
}

void WhenShown(QWidget* window, std::function<void()> fn) {
    WhenReady(
        window, [window] { return window->isVisible(); }, std::move(fn));
}

QString Expected(int kind, bool rpn) {
    return DisplayText(PromptText(kind, rpn)).chopped(1);  // the last line end is not shown
}

// The session side of a window, on the bridge, against a simulated calculator.
struct BridgeSession {
    explicit BridgeSession(test::SimFixture& sim) : ui(nullptr, sim.State()), link(ui) {
        session = std::make_unique<TXModemServer>(link, ui);
        session->SetSpeed("9600");
        root.MakeHome(*session);
    }
    ~BridgeSession() { root.ClearChildren(); }

    const TXPObject* Child(const std::string& name) const {
        for (const auto& child : root.Children) {
            if (child->Name == name) {
                return child.get();
            }
        }
        return nullptr;
    }

    QtUiBridge ui;
    CommLink link;
    std::unique_ptr<TXModemServer> session;
    TXPObject root;
};

test::SimFixtureOptions BigObjectCalculator(bool paced) {
    test::SimFixtureOptions options;
    options.connect = false;
    options.calculator.memoryBytes = 1024 * 1024;
    options.server.pacing = paced;
    return options;
}

}  // namespace

class StatusWindowsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void promptKinds_data();
    void promptKinds();
    void switchingWordingRelaysTheOpenPrompt();
    void textPromptHidesTheModeGroup();
    void progressWindowShowsReportsWithoutLoggingThem();
    void cancelClosesTheProgressWindowWithCancel();
    void threadReportsRunOnTheUiThread();
    void workingWindowCancelAndDisconnect();
    void replaceAndWrongFileQuestions();
    void enterGivesTheSafeAnswer_data();
    void enterGivesTheSafeAnswer();
    void directoryQuestionSaysWhatItHolds();
    void placementIsSavedAndRestored();
    void windowsOpenOverTheMainWindow_data();
    void windowsOpenOverTheMainWindow();
    void windowsComeBackOnScreen_data();
    void windowsComeBackOnScreen();
    void getThroughTheBridge_data();
    void getThroughTheBridge();
    void cancelOnTheProgressWindowEndsTheTransfer();

private:
    QTemporaryDir settingsDir_;
};

void StatusWindowsTest::initTestCase() {
    QVERIFY(settingsDir_.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir_.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir_.path());
}

void StatusWindowsTest::promptKinds_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("rpn");
    QTest::addColumn<QString>("caption");  // given by the caller
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("okText");  // empty: OK hidden (a notice that stays up)
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<bool>("okCentred");

    QTest::newRow("kind 1 waits with Cancel only") << 1 << true << ""
                                                   << "Set the Calculator"
                                                   << "" << true << false;
    QTest::newRow("kind 2 has only a centred OK") << 2 << true << ""
                                                  << "Set the Calculator"
                                                  << "OK" << false << true;
    QTest::newRow("kind 3 ALG keeps the one wording") << 3 << false << ""
                                                      << "Set the Calculator"
                                                      << "" << true << false;
    QTest::newRow("kind 4 ALG wording") << 4 << false << ""
                                        << "Set the Calculator"
                                        << "" << true << false;
    QTest::newRow("kind 5 has only a centred OK") << 5 << false << ""
                                                  << "Set the Calculator"
                                                  << "OK" << false << true;
    QTest::newRow("kind 6 RPN asks OK or Cancel") << 6 << true << ""
                                                  << "Set the Calculator"
                                                  << "OK" << true << false;
    QTest::newRow("kind 6 ALG wording") << 6 << false << ""
                                        << "Set the Calculator"
                                        << "OK" << true << false;
    QTest::newRow("kind 8 ALG adds then ENTER") << 8 << false << ""
                                                << "Set the Calculator"
                                                << "OK" << true << false;
    QTest::newRow("kind 9 offers Connect") << 9 << true << ""
                                           << "Wait for the Calculator"
                                           << "Connect" << true << false;
    QTest::newRow("kind 10 takes the caller's caption") << 10 << true << "Do Another Capture?"
                                                        << "Do Another Capture?"
                                                        << "" << true << false;
}

// Every kind's text, caption and buttons; a modal kind answers OK, a notice returns at once.
void StatusWindowsTest::promptKinds() {
    QFETCH(int, kind);
    QFETCH(bool, rpn);
    QFETCH(QString, caption);
    QFETCH(QString, title);
    QFETCH(QString, okText);
    QFETCH(bool, cancel);
    QFETCH(bool, okCentred);

    QWidget main;
    main.setGeometry(100, 100, 600, 400);
    TFDownLd prompt(rpn);
    prompt.SetOwnerWindow(&main);
    int shownKind = -1;
    prompt.OnShown = [&](int shown) { shownKind = shown; };
    bool checked = false;
    auto check = [&] {
        QCOMPARE(prompt.windowTitle(), title);
        QCOMPARE(prompt.Memo1->text(), Expected(kind, rpn));
        QVERIFY(prompt.grpPrompt->isVisible());
        QCOMPARE((rpn ? prompt.rbtnRPN : prompt.rbtnALG)->isChecked(), true);
        QCOMPARE(prompt.btnOK->isVisible(), !okText.isEmpty());
        QCOMPARE(prompt.btnCancel->isVisible(), cancel);
        if (!okText.isEmpty()) {
            QCOMPARE(prompt.btnOK->text(), okText);
        }
        if (okCentred) {
            QVERIFY(qAbs(prompt.btnOK->geometry().center().x() - prompt.width() / 2) <= 2);
        }
        // Centred over the main window.
        QVERIFY(qAbs(prompt.geometry().center().x() - main.geometry().center().x()) <= 2);
        checked = true;
    };
    if (okText.isEmpty()) {
        QCOMPARE(prompt.ShowPrompt(kind, caption.toStdString()), false);
        QVERIFY(prompt.isVisible());
        check();
    } else {
        WhenShown(&prompt, [&] {
            check();
            prompt.btnOK->click();
        });
        QCOMPARE(prompt.ShowPrompt(kind, caption.toStdString()), true);
        QVERIFY(!prompt.isVisible());
    }
    QVERIFY(checked);
    QCOMPARE(shownKind, kind);
    QCOMPARE(prompt.CurrentPromptKind(), kind);
}

void StatusWindowsTest::switchingWordingRelaysTheOpenPrompt() {
    TFDownLd prompt(true);
    prompt.ShowPrompt(kPromptXRecvBefore, "");
    int rpnHeight = prompt.height();
    prompt.rbtnALG->click();
    QCOMPARE(prompt.RPNPrompts(), false);
    QCOMPARE(prompt.Memo1->text(), Expected(kPromptXRecvBefore, false));
    QVERIFY(prompt.height() > rpnHeight);  // one more line
    QVERIFY(prompt.isVisible() && !prompt.isModal() && !prompt.btnOK->isVisible());
    prompt.btnCancel->click();  // Cancel hides a notice: the waiting caller sees it gone
    QVERIFY(!prompt.isVisible());
    prompt.HidePrompt(kPromptXRecvBefore);  // hiding what is already hidden changes nothing
    QVERIFY(!prompt.isVisible());
}

void StatusWindowsTest::textPromptHidesTheModeGroup() {
    TFDownLd prompt(true);
    WhenShown(&prompt, [&] {
        QVERIFY(!prompt.grpPrompt->isVisible());
        QCOMPARE(prompt.Memo1->y(), 8);
        QCOMPARE(prompt.Memo1->text(), QString("Rename?\nA\\->B"));
        QVERIFY(prompt.btnOK->isVisible() && prompt.btnCancel->isVisible());
        QCOMPARE(prompt.windowTitle(), QString("Improper Variable Name"));
        prompt.btnCancel->click();
    });
    QCOMPARE(prompt.ShowTextPrompt("Rename?\r\nA\\->B\r\n", "Improper Variable Name"), false);
}

void StatusWindowsTest::progressWindowShowsReportsWithoutLoggingThem() {
    TFCmStatus status;
    status.UpdateStatus("before", 1, 0, 0, 0);  // not showing: nothing shown
    WhenShown(&status, [&] {
        status.UpdateStatus("Copying /tmp/X.zq", 1, 0, 0, 0);
        QCOMPARE(status.Label1->text(), QString("Copying /tmp/X.zq"));
        status.UpdateStatus("1 KB of 10 KB\r\n120 B/s", 2, 10, 100, 0);
        QCOMPARE(status.ProgressBar2->maximum(), 100);
        QCOMPARE(status.ProgressBar2->value(), 10);
        status.UpdateStatus("", 3, 0, 0, 0);
    });
    QCOMPARE(status.RunStatus("Copying X", true), ModalResult::OK);
    QVERIFY(!status.isVisible());
    QCOMPARE(status.Label1->text(), QString("1 KB of 10 KB\n120 B/s"));  // kind 3 leaves it
    status.UpdateStatus("after", 0, 0, 0, 0);
    QCOMPARE(status.Label1->text(), QString("1 KB of 10 KB\n120 B/s"));
}

void StatusWindowsTest::cancelClosesTheProgressWindowWithCancel() {
    TFCmStatus status;
    WhenShown(&status, [&] {
        QVERIFY(status.BitBtn1->isVisible() && status.BitBtn1->isEnabled());
        QCOMPARE(status.Label1->text(), QString());
        status.BitBtn1->click();
    });
    QCOMPARE(status.RunStatus("Capturing Screen", true), ModalResult::Cancel);
    QCOMPARE(status.windowTitle(), QString("Capturing Screen"));
}

// A thread's reports are run on the UI thread while the progress window's modal loop runs,
// and an error raised there reaches the thread.
void StatusWindowsTest::threadReportsRunOnTheUiThread() {
    CalculatorState state;
    QtUiBridge ui(nullptr, state);
    std::atomic<bool> ranOnUi{true};
    std::atomic<bool> errorReachedThread{false};
    std::thread worker([&] {
        ui.RunOnUiThread([&] {
            ranOnUi = ranOnUi && ui.IsUiThread();
            ui.UpdateStatus("from the thread", 1, 0, 0, 0);
        });
        try {
            ui.RunOnUiThread([] { RaiseError("on the UI thread"); });
        } catch (const OperationError& e) {
            errorReachedThread = std::string(e.what()) == "Error (on the UI thread)";
        }
        ui.RunOnUiThread([&] { ui.UpdateStatus("", 3, 0, 0, 0); });
    });
    ModalResult result = ui.RunStatus("Copying", true);
    worker.join();
    QCOMPARE(result, ModalResult::OK);
    QVERIFY(ranOnUi);
    QVERIFY(errorReachedThread);
    // The operation that ran the transfer logs it, not the transfer's own reports.
    QCOMPARE(ui.LogWindow().Text(), QString());
}

// Cancel abandons the PC side: the flag stays for the session's wait to find; a disconnect
// closes the window too, and the main window hears of each change.
void StatusWindowsTest::workingWindowCancelAndDisconnect() {
    CalculatorState state;
    QtUiBridge ui(nullptr, state);
    std::vector<bool> heard;
    ui.onWorkingChanged = [&](bool shown) { heard.push_back(shown); };
    ui.ShowWorking();
    ui.WorkingWindow().BitBtn1->click();
    QVERIFY(!ui.IsWorkingWindowVisible());
    QVERIFY(ui.IsWorkingCancelled());
    ui.ClearCancel();
    QVERIFY(!ui.IsWorkingCancelled());
    ui.SetConnected(true);
    ui.ShowWorking();
    ui.SetConnected(false);
    QVERIFY(!ui.IsWorkingWindowVisible());
    QVERIFY(!ui.IsWorkingCancelled());
    QCOMPARE(heard, (std::vector<bool>{true, false, true, false}));

    // A PC path keeps its UTF-8; a calculator byte shows as itself.
    QCOMPARE(DisplayText("/home/jos\xC3\xA9/a.zq"), QString::fromUtf8("/home/jos\u00E9/a.zq"));
    QCOMPARE(DisplayText("A\xAB"
                         "B\r\nC"),
             QString::fromLatin1("A\xAB"
                                 "B\nC"));
}

void StatusWindowsTest::replaceAndWrongFileQuestions() {
    TFReplaceFile replace;
    WhenShown(&replace, [&] {
        QVERIFY(!replace.btnAll->isVisible());
        QVERIFY(replace.Memo1->text().contains("already contains a file named A\\->B."));
        replace.btnYes->click();
    });
    QCOMPARE(replace.AskReplace("A\\->B", 1), ModalResult::Yes);
    WhenShown(&replace, [&] { replace.btnAll->click(); });
    QCOMPARE(replace.AskReplace("X", 2), ModalResult::All);
    WhenShown(&replace, [&] { QTest::keyClick(&replace, Qt::Key_Escape); });
    QCOMPARE(replace.AskReplace("X", 2), ModalResult::Cancel);

    TFBadFile bad;
    WhenShown(&bad, [&] {
        QVERIFY(bad.btnText->isVisible() && !bad.btnYes->isVisible());
        QVERIFY(bad.Memo1->text().endsWith("How should this file be sent?"));
        bad.btnText->click();
    });
    QCOMPARE(bad.AskWrongFile("/tmp/a.doc", "doc", true), kWrongFileText);
    WhenShown(&bad, [&] { bad.btnBinary->click(); });
    QCOMPARE(bad.AskWrongFile("/tmp/a.doc", "doc", true), kWrongFileBinary);
    WhenShown(&bad, [&] { QTest::keyClick(&bad, Qt::Key_Escape); });
    QCOMPARE(bad.AskWrongFile("/tmp/a.doc", "doc", true), int(ModalResult::Cancel));
    WhenShown(&bad, [&] {
        QVERIFY(bad.Memo1->text().contains("is a K7 file and does not match"));
        QVERIFY(!bad.btnText->isVisible() && bad.btnYes->isVisible());
        bad.btnYes->click();
    });
    QCOMPARE(bad.AskWrongFile("/tmp/a.zq", "K7", false), int(ModalResult::OK));
}

void StatusWindowsTest::enterGivesTheSafeAnswer_data() {
    QTest::addColumn<QString>("question");
    QTest::addColumn<QString>("enter");  // the answer Enter gives
    QTest::newRow("erasing the calculator is cancelled") << "Erase Calculator?"
                                                         << "Cancel";
    QTest::newRow("a speed change goes ahead") << "Set the Calculator"
                                               << "OK";
    QTest::newRow("replacing a variable is answered No") << "Confirm File Replace"
                                                         << "No";
    QTest::newRow("replacing a directory is answered No") << "Confirm Directory Replace"
                                                          << "No";
}

// Enter, pressed before the text was read, never loses what the calculator holds.
void StatusWindowsTest::enterGivesTheSafeAnswer() {
    QFETCH(QString, question);
    QFETCH(QString, enter);
    CalculatorState state;
    QtUiBridge ui(nullptr, state);
    auto pressEnter = [](QWidget* window) {
        WhenShown(window, [window] {
            QTest::keyClick(window->focusWidget() ? window->focusWidget() : window, Qt::Key_Return);
        });
    };
    QString answer;
    if (question == "Confirm File Replace") {
        pressEnter(&ui.ReplaceWindow());
        answer = ui.AskReplace("X", 2) == ModalResult::No ? "No" : "other";
    } else if (question == "Confirm Directory Replace") {
        pressEnter(&ui.ReplaceWindow());
        answer = ui.AskReplaceDirectory("X", 3) == ModalResult::No ? "No" : "Yes";
    } else {
        pressEnter(&ui.PromptWindow());
        answer = ui.ShowTextPrompt("Continue?", question.toStdString()) ? "OK" : "Cancel";
    }
    QCOMPARE(answer, enter);
}

void StatusWindowsTest::directoryQuestionSaysWhatItHolds() {
    QCOMPARE(TFReplaceFile::DirectoryQuestion("NOTES", 3),
             std::string("\r\nNOTES on the calculator is a directory, not a file; it holds 3 "
                         "items.\r\n\r\nWould you like to replace the directory and everything "
                         "in it by the file?\r\n\r\n"));
    QVERIFY(TFReplaceFile::DirectoryQuestion("D", 1).find("holds 1 item.") != std::string::npos);
    QVERIFY(TFReplaceFile::DirectoryQuestion("D", 0).find("is empty") != std::string::npos);

    TFReplaceFile replace;
    WhenShown(&replace, [&] {
        QVERIFY(!replace.btnAll->isVisible() && !replace.btnCancel->isVisible());
        QCOMPARE(replace.windowTitle(), QString("Confirm Directory Replace"));
        replace.btnYes->click();
    });
    QCOMPARE(replace.AskReplaceDirectory("NOTES", 3), ModalResult::Yes);
    WhenShown(&replace, [&] { QTest::keyClick(&replace, Qt::Key_Escape); });
    QCOMPARE(replace.AskReplaceDirectory("NOTES", 3), ModalResult::No);
    // The file question that follows has its own title and buttons again.
    WhenShown(&replace, [&] {
        QVERIFY(replace.btnCancel->isVisible());
        QCOMPARE(replace.windowTitle(), QString("Confirm File Replace"));
        replace.btnCancel->click();
    });
    QCOMPARE(replace.AskReplace("X", 1), ModalResult::Cancel);
}

void StatusWindowsTest::placementIsSavedAndRestored() {
    {
        QWidget sizeable;
        sizeable.setGeometry(40, 50, 300, 200);
        auto* list = new QWidget(&sizeable);
        list->setObjectName("ListView1");
        list->setGeometry(3, 4, 50, 60);
        QWidget fixed;
        fixed.setFixedSize(120, 80);
        fixed.move(70, 90);
        TWindowPosSave saver(&sizeable, "Sizeable");
        saver.SetImportantComponents({"listview1"});  // names compare ignoring case
        saver.Save();
        TWindowPosSave(&fixed, "Fixed").Save();
    }
    QSettings settings("Zenquist", "Vaddex");
    QCOMPARE(settings.value("Sizeable/Width").toString(), QString("300"));
    QCOMPARE(settings.value("Sizeable/Visible").toString(), QString("0"));
    QVERIFY(!settings.contains("Fixed/Width"));  // a fixed border keeps only its place
    QCOMPARE(settings.value("Sizeable/ListView1Height").toString(), QString("60"));

    // A place on no screen (a monitor since removed) is not taken.
    settings.setValue("Fixed/Left", "-30000");
    settings.sync();
    QWidget offScreen;
    offScreen.setFixedSize(120, 80);
    offScreen.move(10, 20);
    TWindowPosSave(&offScreen, "Fixed").Restore();
    QCOMPARE(offScreen.pos(), QPoint(10, 20));

    settings.setValue("Sizeable/Top", "12px");  // not an integer: the current value stays
    settings.sync();
    QWidget restored;
    restored.setGeometry(5, 7, 50, 60);
    TWindowPosSave(&restored, "Sizeable").Restore();
    QCOMPARE(restored.pos(), QPoint(40, 7));
    QCOMPARE(restored.size(), QSize(300, 200));

    // The log window stores its place when closed and takes it back when made again.
    {
        TFLog log;
        log.show();
        log.move(33, 44);
        log.resize(400, 300);
        log.close();
    }
    TFLog again;
    QCOMPARE(again.pos(), QPoint(33, 44));
    QCOMPARE(again.size(), QSize(400, 300));
    QVERIFY(again.isVisible());  // it was visible when closed
    again.close();
}

void StatusWindowsTest::windowsOpenOverTheMainWindow_data() {
    QTest::addColumn<QString>("stored");  // "Left,Top" under "Placed", or nothing
    QTest::addColumn<bool>("centred");
    QTest::newRow("no place of its own: centred over the main window") << "" << true;
    QTest::newRow("a stored place is kept") << "30,40" << false;
    QTest::newRow("a stored place that is no integer counts as none") << "x,y" << true;
}

// A secondary window opens where the user looks, not at the corner of the screen.
void StatusWindowsTest::windowsOpenOverTheMainWindow() {
    QFETCH(QString, stored);
    QFETCH(bool, centred);
    QSettings settings("Zenquist", "Vaddex");
    settings.remove("Placed");
    if (!stored.isEmpty()) {
        settings.setValue("Placed/Left", stored.section(',', 0, 0));
        settings.setValue("Placed/Top", stored.section(',', 1, 1));
    }
    settings.sync();
    QWidget main;
    main.setGeometry(300, 200, 500, 400);
    main.show();
    QWidget window;
    window.resize(200, 100);
    TWindowPosSave(&window, "Placed").Restore();
    WindowFront::Attach(&window, &main);
    window.show();
    const QPoint middle = main.frameGeometry().center() - QPoint(100, 50);
    if (centred) {
        QVERIFY((window.frameGeometry().topLeft() - middle).manhattanLength() <= 2);
    } else {
        QCOMPARE(window.pos(), QPoint(30, 40));
    }
    // Shown again after the user moved it, it stays where it was put.
    window.hide();
    window.move(60, 70);
    window.show();
    QCOMPARE(window.pos(), QPoint(60, 70));

    // The log, made by the window's bridge, is one of them.
    settings.remove("LogForm");
    settings.sync();
    CalculatorState state;
    QtUiBridge ui(&main, state);
    ui.LogWindow().show();
    QVERIFY(main.frameGeometry().contains(ui.LogWindow().frameGeometry().center()));
    ui.LogWindow().hide();
}

void StatusWindowsTest::windowsComeBackOnScreen_data() {
    QTest::addColumn<QRect>("frame");
    QTest::addColumn<QPoint>("placed");
    // On an 800 x 600 screen with a panel 24 pixels high along the top.
    QTest::newRow("title bar above the top comes down")
        << QRect(-1, -20, 300, 200) << QPoint(0, 24);
    QTest::newRow("past the right edge moves left")
        << QRect(700, 100, 300, 200) << QPoint(500, 100);
    QTest::newRow("below the bottom moves up") << QRect(10, 500, 300, 200) << QPoint(10, 400);
    QTest::newRow("larger than the screen: top left") << QRect(50, 50, 900, 700) << QPoint(0, 24);
    QTest::newRow("on the screen stays") << QRect(40, 60, 300, 200) << QPoint(40, 60);
}

void StatusWindowsTest::windowsComeBackOnScreen() {
    QFETCH(QRect, frame);
    QFETCH(QPoint, placed);
    QCOMPARE(WindowFront::OnScreen(frame, QRect(0, 24, 800, 576)), placed);

    // A stored place half off the screen is taken back onto it, size and all.
    QSettings settings("Zenquist", "Vaddex");
    settings.setValue("Partly/Left", QString::number(frame.left()));
    settings.setValue("Partly/Top", QString::number(frame.top()));
    settings.sync();
    QWidget window;
    window.move(5, 5);
    TWindowPosSave(&window, "Partly").Restore();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QVERIFY(screen.contains(QRect(window.pos(), window.size())));
}

// A connect and a get of a multi-block object through the bridge: the transfer thread's
// reports reach the progress window while its modal loop runs.
void StatusWindowsTest::getThroughTheBridge_data() {
    QTest::addColumn<bool>("plain");
    QTest::newRow("with the progress window") << false;
    // As inside a drag loop: no window comes up and no Qt event runs until the get is over.
    QTest::newRow("in plain waits") << true;
}

void StatusWindowsTest::getThroughTheBridge() {
    QFETCH(bool, plain);
    test::SimFixture sim(BigObjectCalculator(false));
    const std::string object = test::PackedString(test::PatternText(6000));
    QVERIFY(sim.StoreAt("HOME BIG", object));
    BridgeSession side(sim);
    std::vector<bool> working;
    side.ui.onWorkingChanged = [&](bool shown) { working.push_back(shown); };
    side.session->Connect(sim.PortName());
    QVERIFY(side.ui.Connected());
    QVERIFY(!side.ui.IsConnectStatusVisible());
    side.session->ReadDirectoryTree(side.root);
    const TXPObject* big = side.Child("BIG");
    QVERIFY(big != nullptr);

    bool eventRan = false;
    QTimer::singleShot(0, [&] { eventRan = true; });
    if (plain) {
        side.ui.BeginPlainWaits();
    }
    std::string path = sim.Files().File("BIG.zq");
    QVERIFY(side.session->GetToFile("BIG", path, big->Size, big->TypeCode));
    QCOMPARE(eventRan, !plain);
    if (plain) {
        QCOMPARE(side.ui.EndPlainWaits(), std::string());
        QVERIFY(working.empty());
        QCOMPARE(side.ui.StatusWindow().ProgressBar2->value(), 0);
        QTRY_VERIFY(eventRan);
    } else {
        QVERIFY(side.ui.StatusWindow().ProgressBar2->value() > 0);
        QVERIFY(!working.empty() && !working.back());  // the working window came and went
    }
    std::string bytes;
    QVERIFY(ReadWholeFile(path, bytes));
    QVERIFY(bytes.size() > object.size());
    QCOMPARE(bytes.substr(bytes.size() - object.size()), object);
    QVERIFY(!side.ui.StatusWindow().isVisible());
    QVERIFY(!side.ui.LogWindow().Text().contains("Kbytes"));
}

void StatusWindowsTest::cancelOnTheProgressWindowEndsTheTransfer() {
    test::SimFixture sim(BigObjectCalculator(true));
    QVERIFY(sim.StoreAt("HOME BIG",
                        test::PackedString(test::PatternText(40000))));  // about 40 s at 9600 baud
    BridgeSession side(sim);
    side.session->Connect(sim.PortName());
    side.session->ReadDirectoryTree(side.root);
    const TXPObject* big = side.Child("BIG");
    QVERIFY(big != nullptr);

    TFCmStatus& status = side.ui.StatusWindow();
    WhenReady(
        &status, [&] { return status.isVisible() && status.ProgressBar2->value() > 0; },
        [&] { status.BitBtn1->click(); });
    std::string path = sim.Files().File("BIG.zq");
    // Uncancelled, the paced get would end with the file written and true.
    QVERIFY(!side.session->GetToFile("BIG", path, big->Size, big->TypeCode));
    QVERIFY(!status.isVisible());
}

QTEST_MAIN(StatusWindowsTest)
#include "StatusWindowsTest.moc"
