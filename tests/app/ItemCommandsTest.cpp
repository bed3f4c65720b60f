// The commands on the calculator's items: which row each acts on after refreshes and clicks,
// Delete's questions, Edit as Text's write-back and watch, and the commands that stay when no
// folder for desktop files can be made.

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QStyleHints>
#include <QtTest>
#include <filesystem>
#include <fstream>

#include "WindowHarness.h"
#include "app/ListClicks.h"
#include "app/MainProgram.h"
#include "support/FlagRows.h"
#include "support/TempDir.h"
#include "util/FileIo.h"
#include "windows/ExternalEditor.h"
#include "windows/TFEditWatch.h"

using namespace vaddex;
using namespace vaddex::gui;
using namespace vaddex::gui::apptest;
namespace fs = std::filesystem;

namespace {

QStringList SelectedCaptions(const TFZQDir& window) {
    QStringList captions;
    for (const QModelIndex& index : window.List()->selectionModel()->selectedRows()) {
        captions << index.data().toString();
    }
    return captions;
}

QPoint RowPoint(CommandsHarness& h, const QString& caption) {
    return h.window.List()->visualRect(h.window.ListIndex(h.Row(caption))).center();
}

QLineEdit* RenameEditor(const TFZQDir& window) {  // the one the view opened, if any
    return window.List()->viewport()->findChild<QLineEdit*>();
}

void TypeNewName(const TFZQDir& window, const QString& name) {
    QLineEdit* editor = RenameEditor(window);
    QVERIFY(editor != nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, name);
    QTest::keyClick(editor, Qt::Key_Return);
}

// The editor setting made a script with this body, run with the file as $1.
void UseEditor(CommandsHarness& h, const std::string& body) {
    std::string script = h.fixture->Files().File("editor.sh");
    std::ofstream(script) << "#!/bin/sh\n" << body << "\n";
    fs::permissions(script, fs::perms::owner_all);
    FileOptions options = h.items->CurrentOptions();
    options.editor = script;
    h.items->ApplyOptions(options);
}

QWidget* Keyboard(CommandsHarness& h) {
    QWidget* focus = h.window.focusWidget();
    return focus != nullptr ? focus : &h.window;
}

TFEditWatch* OpenWatch() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* watch = qobject_cast<TFEditWatch*>(widget); watch && watch->isVisible()) {
            return watch;
        }
    }
    return nullptr;
}

}  // namespace

class ItemCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { ::setenv("XDG_CONFIG_HOME", config_.Path().c_str(), 1); }

    // New Folder, Rename, F5 and Delete each act on the row the user had or made; the keys go
    // where the keyboard is, as a user's do (after a command it must still be in the list).
    void EveryRefreshKeepsTheRowActedOn() {
        CommandsHarness h;
        h.SelectRows({"GREETING"});
        QTest::keyClick(Keyboard(h), Qt::Key_F5);
        QCOMPARE(SelectedCaptions(h.window), QStringList{"GREETING"});
        QTest::keyClick(Keyboard(h), Qt::Key_Delete);
        QVERIFY(!h.OnCalculator("HOME GREETING"));
        QVERIFY(h.OnCalculator("HOME X"));

        h.SelectRows({"N"});
        h.Trigger(ActionId::mnuNewFolder);
        QVERIFY(h.OnCalculator("HOME New"));
        QTRY_COMPARE(SelectedCaptions(h.window), QStringList{"New"});

        QTest::keyClick(Keyboard(h), Qt::Key_F2);
        TypeNewName(h.window, "TOOLS");
        // The view commits the edit once its Return has been handled.
        QTRY_VERIFY(h.OnCalculator("HOME TOOLS"));
        QTRY_VERIFY(h.Row("New") < 0);
        QCOMPARE(SelectedCaptions(h.window), QStringList{"TOOLS"});

        h.Trigger(ActionId::mnuRefresh);
        QCOMPARE(SelectedCaptions(h.window), QStringList{"TOOLS"});
        QTest::keyClick(Keyboard(h), Qt::Key_Delete);
        QTRY_VERIFY(h.Row("TOOLS") < 0);
        QVERIFY(!h.OnCalculator("HOME TOOLS"));
        QVERIFY(h.OnCalculator("HOME N") && h.OnCalculator("HOME X"));
        QVERIFY2(h.errors.isEmpty(), qPrintable(h.errors.join('\n')));
    }

    void PressOnEmptySpaceChoosesNothing_data() {
        vaddex::test::FlagRows("right", "left click", "right click offers no Delete");
    }
    void PressOnEmptySpaceChoosesNothing() {
        QFETCH(bool, right);
        CommandsHarness h;
        h.SelectRows({"GREETING"});
        QVERIFY(h.window.Action(ActionId::mnuDelete)->isEnabled());
        QTest::mouseClick(h.window.List()->viewport(), right ? Qt::RightButton : Qt::LeftButton, {},
                          h.BelowRows());
        QVERIFY(SelectedCaptions(h.window).isEmpty());
        QVERIFY(!h.window.Action(ActionId::mnuDelete)->isEnabled());
        // Nothing to bring back after a refresh either: the list's first row is chosen.
        h.Trigger(ActionId::mnuRefresh);
        QCOMPARE(SelectedCaptions(h.window), QStringList{h.window.ListCaptions().front()});
    }

    void OnlyASlowSecondClickRenames() {
        CommandsHarness h;
        auto* clicks = h.window.List()->findChild<ListClicks*>();
        QVERIFY(clicks != nullptr);
        int slow = QApplication::styleHints()->mouseDoubleClickInterval() + 50;
        // Selected by the program, clicked once: no editor.
        h.SelectRows({"X"});
        QTest::mouseClick(h.window.List()->viewport(), Qt::LeftButton, {}, RowPoint(h, "X"));
        QVERIFY(!clicks->RenamePending());
        QVERIFY(RenameEditor(h.window) == nullptr);
        // Clicked again after a pause: the editor opens, once a double click is ruled out.
        QTest::mouseClick(h.window.List()->viewport(), Qt::LeftButton, {}, RowPoint(h, "X"), slow);
        QVERIFY(clicks->RenamePending());
        QTRY_VERIFY(RenameEditor(h.window) != nullptr);
        QTest::keyClick(RenameEditor(h.window), Qt::Key_Escape);
        QVERIFY(h.OnCalculator("HOME X"));
    }

    void RenameWithSeveralRowsEditsTheFirst() {
        CommandsHarness h;
        h.SelectRows({"X", "N"});
        // First in the list's order, whatever the order of selecting.
        QString first = h.Row("N") < h.Row("X") ? "N" : "X";
        h.Trigger(ActionId::mnuRename);
        TypeNewName(h.window, "RENAMED");
        QTRY_VERIFY(h.OnCalculator("HOME RENAMED"));
        QVERIFY(!h.OnCalculator("HOME " + first.toStdString()));
        QTRY_COMPARE(SelectedCaptions(h.window), QStringList{"RENAMED"});
    }

    // Rows name list rows; a path with a space is the tree's node. Yes deletes, and so does
    // no question at all.
    void DeleteAsksBeforeErasingATree_data() {
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<bool>("askAlways");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QString>("question");
        const QString games = "Delete the directory GAMES and the 2 items it holds?";
        QTest::newRow("a variable goes unasked") << QStringList{"X"} << false << false << "";
        QTest::newRow("a directory with items asks; No keeps it")
            << QStringList{"GAMES"} << false << false << games;
        QTest::newRow("Yes deletes the directory")
            << QStringList{"GAMES"} << false << true << games;
        QTest::newRow("nested items are counted")
            << QStringList{"MATHS", "X"} << false << false
            << "Delete the directory MATHS and the 7 items it holds?";
        QTest::newRow("a tree node asks too")
            << QStringList{"HOME MATHS DEEP"} << false << false
            << "Delete the directory DEEP and the 2 items it holds?";
        QTest::newRow("the option asks for a variable")
            << QStringList{"X"} << true << false << "Delete X?";
        QTest::newRow("the option asks for several")
            << QStringList{"X", "N"} << true << true << "Delete the 2 items selected?";
    }
    void DeleteAsksBeforeErasingATree() {
        QFETCH(QStringList, rows);
        QFETCH(bool, askAlways);
        QFETCH(bool, yes);
        QFETCH(QString, question);
        CommandsHarness h;
        QStringList asked;
        h.items->askDelete = [&](const std::string& text) {
            asked << QString::fromStdString(text);
            return yes;
        };
        h.window.SetConfirmDelete(askAlways);
        std::string first = rows.front().toStdString();
        if (first.find(' ') != std::string::npos) {
            h.SelectNode(first.c_str());
        } else {
            h.SelectRows(rows);
            first = "HOME " + first;
        }
        h.Trigger(ActionId::mnuDelete);
        QCOMPARE(asked, question.isEmpty() ? QStringList() : QStringList{question});
        QCOMPARE(h.OnCalculator(first), !question.isEmpty() && !yes);
    }

    // B inside A goes back beside itself in A, not into B.
    void EditedDirectoryGoesBackWhereItCameFrom() {
        CommandsHarness h;
        UseEditor(h, "printf '\\n' >> \"$1\"");
        h.SelectNode("HOME MATHS DEEP");
        h.Trigger(ActionId::mnuEditAsText);
        QVERIFY2(h.errors.isEmpty(), qPrintable(h.errors.join('\n')));
        QVERIFY(h.OnCalculator("HOME MATHS DEEP NOTE"));
        QVERIFY(!h.OnCalculator("HOME MATHS DEEP DEEP"));
        QVERIFY(!fs::exists(h.copy->LastCopiedFile()));
    }

    // An editor that hands the file to a running instance returns at once: a watch sends
    // each save until it is closed.
    void EditorThatReturnsAtOnceLeavesAWatch() {
        CommandsHarness h;
        UseEditor(h, "true");
        h.SelectRows({"GREETING"});
        h.Trigger(ActionId::mnuEditAsText);
        TFEditWatch* watch = OpenWatch();
        QVERIFY(watch != nullptr);
        std::string file = watch->File();
        QCOMPARE(h.bridge->Count("Message("), 0);

        std::string text;
        QVERIFY(ReadWholeFile(file, text));
        std::size_t at = text.find("Hello");
        QVERIFY(at != std::string::npos);
        QVERIFY(WriteWholeFile(file, text.replace(at, 5, "Howdy")));
        QTRY_VERIFY(h.fixture->FindObject("HOME GREETING")->find("Howdy") != std::string::npos);
        QCOMPARE(watch->Sent(), 1);

        watch->close();
        QTRY_VERIFY(OpenWatch() == nullptr);
        QTRY_VERIFY(!fs::exists(file));
        QVERIFY2(h.errors.isEmpty(), qPrintable(h.errors.join('\n')));
    }

    void KnownEditorsAreToldToWait_data() {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("gedit waits with --wait") << "gedit" << QStringList{"--wait"};
        QTest::newRow("gvim stays in the foreground") << "/usr/bin/gvim" << QStringList{"-f"};
        QTest::newRow("an option already given is not repeated")
            << "subl -w -n" << QStringList{"-w", "-n"};
        QTest::newRow("the user's own options follow")
            << "code --new-window" << QStringList{"--wait", "--new-window"};
        QTest::newRow("an editor not known is run as given")
            << "\"/opt/my editor/ed\" -x" << QStringList{"-x"};
    }
    void KnownEditorsAreToldToWait() {
        QFETCH(QString, setting);
        QFETCH(QStringList, arguments);
        ExternalEditor editor = ExternalEditor::Resolve(setting, QProcessEnvironment());
        QCOMPARE(editor.arguments, arguments);
        QCOMPARE(editor.commandLine, setting);
    }

    void NoDesktopFolderKeepsTheOtherCommands() {
        // A folder others may read is refused as the place for desktop files.
        vaddex::test::TempDir temp;
        std::string taken = temp.File("vaddex-desktop-" + std::to_string(::getuid()));
        fs::create_directory(taken);
        fs::permissions(taken,
                        fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
        const QByteArray kept = qgetenv("TMPDIR");
        qputenv("TMPDIR", temp.Path().c_str());
        {
            QStringList errors;
            MainProgram program(ParseProgramArguments({}));
            CollectErrors(program.Window(), errors);
            QVERIFY(program.Items() != nullptr);
            QTRY_COMPARE(errors.size(), 1);
            QVERIFY(errors.front().contains("folder for desktop files could not be made"));
            QVERIFY(program.Window().Action(ActionId::mnuOptions)->isEnabled());
            auto tip = [&](ActionId id) { return program.Window().Action(id)->statusTip(); };
            QVERIFY(tip(ActionId::mnuCopy).contains("no folder for desktop files"));
            // Paste only reads the desktop's files.
            for (ActionId id : {ActionId::mnuNewFolder, ActionId::mnuDelete, ActionId::mnuEval,
                                ActionId::mnuPaste}) {
                QVERIFY2(!tip(id).contains("not avail") && !tip(id).contains("no folder"),
                         qPrintable(tip(id)));
            }
        }
        kept.isNull() ? qunsetenv("TMPDIR") : qputenv("TMPDIR", kept);
    }

private:
    vaddex::test::TempDir config_;
};

QTEST_MAIN(ItemCommandsTest)
#include "ItemCommandsTest.moc"
