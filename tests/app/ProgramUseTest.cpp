// The whole program as a user drives it with mouse and keys: MainProgram with its settings file
// and real windows against zqsim, checked against what vaddex-cli gets from the same calculator.

#include <QApplication>
#include <QComboBox>
#include <QDropEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTreeView>
#include <QtTest>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "WindowHarness.h"
#include "app/ItemCommands.h"
#include "app/MainProgram.h"
#include "session/TXPObject.h"
#include "shell/TFileSource.h"
#include "support/ChildProcess.h"
#include "support/TempDir.h"
#include "support/ZqsimProcess.h"
#include "windows/TFRplCmd.h"

using namespace vaddex;
using namespace vaddex::gui;
using vaddex::gui::apptest::CollectErrors;
namespace fs = std::filesystem;

namespace {

constexpr int kCliTimeoutMs = 60000;

std::string Bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// A file manager's folder window as small as can be: it takes a drop and copies the files
// the drag carries at once, in the drop itself.
class DropWindow : public QWidget {
public:
    explicit DropWindow(fs::path folder) : folder_(std::move(folder)) {
        setAcceptDrops(true);
        resize(200, 200);
    }
    int drops = 0;
    bool modalDuringDrop = false;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override { event->acceptProposedAction(); }
    void dropEvent(QDropEvent* event) override {
        ++drops;
        modalDuringDrop = modalDuringDrop || QApplication::activeModalWidget() != nullptr;
        for (const QUrl& url : event->mimeData()->urls()) {
            fs::path from = url.toLocalFile().toStdString();
            fs::copy_file(from, folder_ / from.filename(), fs::copy_options::overwrite_existing);
        }
        event->acceptProposedAction();
    }

private:
    fs::path folder_;
};

// Counts how often the watched windows were shown.
class ShowCounter : public QObject {
public:
    int shown = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        shown += event->type() == QEvent::Show ? 1 : 0;
        return QObject::eventFilter(watched, event);
    }
};

// Plays the platform's drag loop: the pointer arrives over the drop window and lets go.
void DropInto(DropWindow& target, TFileSource& source) {
    std::unique_ptr<QMimeData> data(source.MakeDragData());
    QPoint middle(100, 100);
    QDragEnterEvent enter(middle, Qt::CopyAction, data.get(), Qt::LeftButton, {});
    QApplication::sendEvent(&target, &enter);
    QDropEvent drop(middle, Qt::CopyAction, data.get(), Qt::NoButton, {});
    QApplication::sendEvent(&target, &drop);
}

// A press on the row, a move of a few pixels and the release, as a quick hand does.
void QuickDrag(TFZQDir& window, int proxyRow) {
    QTreeView* list = window.List();
    QModelIndex row = window.ListIndex(proxyRow);
    list->setFocus();
    list->setCurrentIndex(row);
    QPoint on = list->visualRect(row).center();
    QWidget* viewport = list->viewport();
    QTest::mousePress(viewport, Qt::LeftButton, {}, on);
    for (int step = 1; step <= 3; ++step) {
        QMouseEvent move(QEvent::MouseMove, on + QPoint(2 * step, step),
                         viewport->mapToGlobal(on + QPoint(2 * step, step)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &move);
    }
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, on);
}

// What a question box showed, and whether No was its default.
struct Answered {
    QString title;
    QString text;
    bool noByDefault = false;
    int boxes = 0;
};

// Presses `button` in the next message box once it shows.
void AnswerNextBox(QMessageBox::StandardButton button, Answered& answered) {
    auto* poll = new QTimer;
    poll->setInterval(20);
    QObject::connect(poll, &QTimer::timeout, [poll, button, &answered] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            return;
        }
        poll->stop();
        poll->deleteLater();
        ++answered.boxes;
        answered.title = box->windowTitle();
        answered.text = box->text();
        answered.noByDefault = box->defaultButton() == box->button(QMessageBox::No);
        box->button(button)->click();
    });
    poll->start();
}

// The program on the built-in simulated calculator, shown, active and connected.
struct SimProgram {
    SimProgram() : program(Arguments()), window(program.Window()) {
        CollectErrors(window, errors);
        program.Show();
    }
    static ProgramArguments Arguments() {
        ProgramArguments arguments;
        arguments.sim = "sim";
        return arguments;
    }
    bool Ready() {
        return QTest::qWaitFor([this] { return window.Connected() && !window.Busy(); }, 20000);
    }
    int Row(const QString& caption) { return window.ListCaptions().indexOf(caption); }
    // The item's bytes as the calculator holds them, or "" when it holds no such item.
    std::string Held(const std::string& directory, const std::string& name) {
        SessionCommands& commands = window.Commands();
        const TXPObject* item = commands.FindDirectory(directory).FindChild(name);
        std::string bytes;
        if (item == nullptr || !commands.FetchItemData(*item, bytes)) {
            return "";
        }
        return bytes;
    }
    // F2 on the row, the new name typed over the old, and Enter.
    void RenameRow(const QString& caption, const QString& name) {
        QTreeView* list = window.List();
        list->setFocus();
        list->setCurrentIndex(window.ListIndex(Row(caption)));
        QTest::keyClick(list, Qt::Key_F2);
        QLineEdit* editor = list->findChild<QLineEdit*>();
        QVERIFY(editor != nullptr);
        editor->selectAll();
        QTest::keyClicks(editor, name);
        QTest::keyClick(editor, Qt::Key_Return);
    }

    MainProgram program;
    TFZQDir& window;
    QStringList errors;
};

}  // namespace

class ProgramUseTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { ::setenv("XDG_CONFIG_HOME", config_.Path().c_str(), 1); }

    void QuickDragsOutDeliverWhatTheCliGets() {
        test::ZqsimProcess zqsim;
        test::TempDir dropped;
        test::TempDir got;
        const std::vector<std::string> names = {"LIST1", "GREETING", "X"};
        {
            ProgramArguments arguments;
            arguments.port = QString::fromStdString(zqsim.Port());
            MainProgram program(arguments);
            TFZQDir& window = program.Window();
            QStringList errors;
            CollectErrors(window, errors);
            program.Show();
            QTRY_VERIFY_WITH_TIMEOUT(window.Connected(), 20000);
            DropWindow target(dropped.Path());
            target.show();
            program.Window().activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&window));
            // Inside a drag no window of the transfer may come up: it would run Qt's loop.
            ShowCounter windows;
            program.Bridge().StatusWindow().installEventFilter(&windows);
            program.Bridge().WorkingWindow().installEventFilter(&windows);
            int drags = 0;
            int gotBeforeDrop = 0;
            std::vector<std::string> dragged;
            std::function<void()> beforeDrop = [] {};
            // Offscreen has no drag loop of its own: the test plays it into its drop window.
            program.Copy()->runDrag = [&](TFileSource& source, QWidget*) {
                ++drags;
                dragged.insert(dragged.end(), source.Files.begin(), source.Files.end());
                // The drag starts at once: nothing is got until the target asks.
                fs::path batch = fs::path(source.Files.front()).parent_path();
                gotBeforeDrop += fs::is_empty(batch) ? 0 : 1;
                beforeDrop();
                DropInto(target, source);
            };
            for (const std::string& name : names) {
                QuickDrag(window, window.ListCaptions().indexOf(QString::fromStdString(name)));
            }
            QCOMPARE(drags, 3);
            QCOMPARE(gotBeforeDrop, 0);
            QCOMPARE(target.drops, 3);
            QVERIFY(!target.modalDuringDrop);
            QCOMPARE(windows.shown, 0);
            QVERIFY2(errors.isEmpty(), qPrintable(errors.join('\n')));
            QVERIFY(window.isVisible());
            QCOMPARE(dragged.size(), names.size());

            // A get that fails inside the drag gives the drop nothing and one message after.
            beforeDrop = [&] {
                zqsim.Console("exec 'N' PURGE");
                zqsim.Console("fault", "fault plan:");
            };
            QuickDrag(window, window.ListCaptions().indexOf("N"));
            QCOMPARE(drags, 4);
            QCOMPARE(target.drops, 4);
            QTRY_COMPARE(errors.size(), 1);
            QVERIFY(!fs::exists(fs::path(dropped.Path()) / "N.zq"));
            QVERIFY2(errors.front().startsWith("N:"), qPrintable(errors.front()));
            QVERIFY(!program.Bridge().PlainWaits());
            window.Disconnect();
            window.close();
        }
        for (const std::string& name : names) {
            test::ChildOptions cli;
            cli.argv = {VADDEX_CLI_PATH, "-p", zqsim.Port(), "get", name};
            cli.folder = got.Path();
            cli.environment = {{"XDG_CONFIG_HOME", config_.Path()}};
            test::ChildProcess run(cli);
            QCOMPARE(run.Wait(kCliTimeoutMs), 0);
        }
        std::size_t compared = 0;
        for (const auto& entry : fs::directory_iterator(got.Path())) {
            fs::path same = fs::path(dropped.Path()) / entry.path().filename();
            QVERIFY2(fs::exists(same), qPrintable(QString::fromStdString(same.string())));
            QCOMPARE(Bytes(same), Bytes(entry.path()));
            ++compared;
        }
        QCOMPARE(compared, names.size());
    }

    // N renamed to X, which exists: the question comes before anything is sent.
    void RenameOntoATakenNameAsksFirst() {
        SimProgram p;
        QVERIFY(p.Ready());
        const std::string x = p.Held("HOME", "X");
        const std::string n = p.Held("HOME", "N");
        QVERIFY(!x.empty() && !n.empty() && x != n);

        Answered no;
        AnswerNextBox(QMessageBox::No, no);
        p.RenameRow("N", "X");
        QTRY_COMPARE(no.boxes, 1);
        QCOMPARE(no.text, QString("Replace X?"));
        QVERIFY(no.noByDefault);
        QVERIFY(p.Ready());
        QCOMPARE(p.Held("HOME", "X"), x);
        QCOMPARE(p.Held("HOME", "N"), n);
        QVERIFY(p.window.ListCaptions().contains("N"));

        Answered yes;
        AnswerNextBox(QMessageBox::Yes, yes);
        QSignalSpy reread(&p.window, &TFZQDir::RereadDone);
        p.RenameRow("N", "X");
        QTRY_COMPARE(yes.boxes, 1);
        QTRY_VERIFY(!reread.isEmpty());
        QVERIFY(!p.window.ListCaptions().contains("N"));
        QVERIFY(p.Ready());
        QCOMPARE(p.Held("HOME", "N"), std::string());
        QCOMPARE(p.Held("HOME", "X"), n);
        QVERIFY2(p.errors.isEmpty(), qPrintable(p.errors.join('\n')));
        p.window.close();
    }

    // The row a command leaves selected, from keys on the real program's list.
    void EachCommandLeavesTheExpectedRow_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("expected");  // "+1": the row after the one acted on
        QTest::newRow("Delete selects the next row") << "delete GREETING"
                                                     << "+1";
        QTest::newRow("Delete of the last row selects the one before") << "delete last"
                                                                       << "-1";
        QTest::newRow("Paste selects the pasted item") << "paste"
                                                       << "GREETING";
        QTest::newRow("Rename with several rows edits the current one") << "rename"
                                                                        << "RENAMED";
        QTest::newRow("Backspace selects the directory the user came from") << "up"
                                                                            << "MATHS";
        // The list's row stays as it was: the tree's node is what is edited.
        QTest::newRow("Ctrl+E on the tree edits its directory") << "edit tree"
                                                                << "";
        QTest::newRow("F5 in the command window refreshes and keeps the keyboard there")
            << "command window F5"
            << "GREETING";
    }
    void EachCommandLeavesTheExpectedRow() {
        QFETCH(QString, action);
        QFETCH(QString, expected);
        SimProgram p;
        QVERIFY(p.Ready());
        QTreeView* list = p.window.List();
        auto select = [&](const QString& caption) {
            list->setFocus();
            // That row alone, whatever modifier an earlier key left pressed.
            list->selectionModel()->setCurrentIndex(
                p.window.ListIndex(p.Row(caption)),
                QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        };
        auto key = [&](Qt::Key k, Qt::KeyboardModifiers modifiers = {}) {
            QSignalSpy reread(&p.window, &TFZQDir::RereadDone);
            QTest::keyClick(list, k, modifiers);
            QTRY_VERIFY(!reread.isEmpty() || !p.window.Busy());
            QVERIFY(p.Ready());
        };
        QStringList before = p.window.ListCaptions();
        if (action.startsWith("delete")) {
            // Variables only: a directory with items would ask first.
            int acted = action == "delete last" ? int(before.size()) - 1 : p.Row("GREETING");
            expected = before.at(acted + expected.toInt());
            select(before.at(acted));
            key(Qt::Key_Delete);
            QTRY_VERIFY(!p.window.ListCaptions().contains(before.at(acted)));
        } else if (action == "paste") {
            select("GREETING");
            p.window.Action(ActionId::mnuCopy)->trigger();
            p.window.SelectDirectory("HOME MATHS");
            QTRY_COMPARE(p.window.CurrentPath(), std::string("HOME MATHS"));
            QVERIFY(p.Ready());
            select(p.window.ListCaptions().front());
            p.window.Action(ActionId::mnuPaste)->trigger();
            QTRY_VERIFY(p.window.ListCaptions().contains("GREETING"));
        } else if (action == "rename") {
            // X, then N added with Ctrl: N is the current row.
            select("X");
            QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                              list->visualRect(p.window.ListIndex(p.Row("N"))).center());
            QCOMPARE(list->currentIndex().data().toString(), QString("N"));
            QTest::keyClick(list, Qt::Key_F2);
            QLineEdit* editor = list->findChild<QLineEdit*>();
            QVERIFY(editor != nullptr);
            editor->selectAll();
            QTest::keyClicks(editor, "RENAMED");
            QTest::keyClick(editor, Qt::Key_Return);
            QTRY_VERIFY(p.window.ListCaptions().contains("RENAMED"));
            QVERIFY(p.window.ListCaptions().contains("X"));
            QVERIFY(!p.window.ListCaptions().contains("N"));
        } else if (action == "up") {
            select("MATHS");
            key(Qt::Key_Return);
            QTRY_COMPARE(p.window.CurrentPath(), std::string("HOME MATHS"));
            key(Qt::Key_Backspace);
            QTRY_COMPARE(p.window.CurrentPath(), std::string("HOME"));
        } else if (action == "edit tree") {
            // The editor keeps a copy of what it was given.
            test::TempDir edits;
            fs::path script = fs::path(edits.Path()) / "editor.sh";
            std::ofstream(script) << "#!/bin/sh\ncp \"$1\" " << edits.Path() << "/edited\n";
            fs::permissions(script, fs::perms::owner_all);
            FileOptions options = p.program.Items()->CurrentOptions();
            options.editor = script.string();
            p.program.Items()->ApplyOptions(options);
            select("GREETING");
            p.window.SelectDirectory("HOME MATHS");
            QTRY_COMPARE(p.window.CurrentPath(), std::string("HOME MATHS"));
            QVERIFY(p.Ready());
            // Two rows chosen in the list: its Edit as Text is off until the tree takes over.
            p.window.activateWindow();  // a shortcut needs the active window
            QVERIFY(QTest::qWaitForWindowActive(&p.window));
            list->setFocus();
            QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
            QVERIFY(list->selectionModel()->selectedRows().size() > 1);
            expected = list->currentIndex().data().toString();
            p.window.Tree()->setFocus();
            QTest::keyClick(p.window.Tree(), Qt::Key_E, Qt::ControlModifier);
            fs::path edited = fs::path(edits.Path()) / "edited";
            QTRY_VERIFY(fs::exists(edited));
            QVERIFY(p.Ready());
            // The directory's text form names what it holds.
            const std::string text = Bytes(edited);
            for (const QString& row : p.window.ListCaptions()) {
                QVERIFY2(text.find(row.toStdString()) != std::string::npos, qPrintable(row));
            }
            select(expected);  // one row again, for the checks that every row makes
        } else if (action == "command window F5") {
            select("GREETING");
            p.window.Action(ActionId::mnuRPL)->trigger();
            TFRplCmd& commandWindow = p.program.Items()->CommandWindow();
            QVERIFY(QTest::qWaitForWindowActive(&commandWindow));
            auto* commandBox = commandWindow.findChild<QComboBox*>();
            QVERIFY(commandBox != nullptr);
            QTRY_COMPARE(QApplication::focusWidget(), commandBox);
            QSignalSpy reread(&p.window, &TFZQDir::RereadDone);
            QTest::keyClick(commandBox->lineEdit(), Qt::Key_F5);
            QTRY_VERIFY(!reread.isEmpty());
            QVERIFY(p.Ready());
            QTRY_COMPARE(QApplication::focusWidget(), commandBox);
            QCOMPARE(QApplication::activeWindow(), &commandWindow);
            commandWindow.close();
        }
        QVERIFY(p.Ready());
        QTRY_COMPARE(list->currentIndex().data().toString(), expected);
        QTRY_COMPARE(list->selectionModel()->selectedRows().size(), 1);
        QCOMPARE(list->selectionModel()->selectedRows().front().data().toString(), expected);
        QVERIFY2(p.errors.isEmpty(), qPrintable(p.errors.join('\n')));
        p.window.close();
    }

private:
    test::TempDir config_;
};

QTEST_MAIN(ProgramUseTest)
#include "ProgramUseTest.moc"
