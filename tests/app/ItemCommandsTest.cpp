// Delete's questions, Edit as Text's write-back and watch, and the commands that stay when no
// folder for desktop files can be made.

#include <QAction>
#include <QApplication>
#include <QtTest>
#include <filesystem>
#include <fstream>

#include "WindowHarness.h"
#include "app/MainProgram.h"
#include "session/SessionCommands.h"
#include "support/TempDir.h"
#include "util/FileIo.h"
#include "windows/ExternalEditor.h"
#include "windows/TFEditWatch.h"

using namespace vaddex;
using namespace vaddex::gui;
using namespace vaddex::gui::apptest;
namespace fs = std::filesystem;

namespace {

// The harness whose Delete questions are recorded and answered.
struct Deleting : CommandsHarness {
    Deleting() {
        items->askDelete = [this](const std::string& question) {
            questions << QString::fromStdString(question);
            return answer;
        };
    }
    QStringList questions;
    bool answer = false;
};

std::string EditorScript(CommandsHarness& h, const std::string& body) {
    std::string script = h.fixture->Files().File("editor.sh");
    std::ofstream(script) << "#!/bin/sh\n" << body << "\n";
    fs::permissions(script, fs::perms::owner_all);
    return script;
}

void UseEditor(CommandsHarness& h, const std::string& command) {
    FileOptions options = h.items->CurrentOptions();
    options.editor = command;
    h.items->ApplyOptions(options);
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

    void DeleteAsksBeforeErasingATree_data() {
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<bool>("askAlways");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<QString>("question");
        QTest::addColumn<bool>("deleted");
        QTest::newRow("a variable goes unasked")
            << QStringList{"X"} << false << false << "" << true;
        QTest::newRow("a directory with items asks; No keeps it")
            << QStringList{"GAMES"} << false << false
            << "Delete the directory GAMES and the 2 items it holds?" << false;
        QTest::newRow("Yes deletes the directory")
            << QStringList{"GAMES"} << false << true
            << "Delete the directory GAMES and the 2 items it holds?" << true;
        QTest::newRow("nested items are counted")
            << QStringList{"MATHS", "X"} << false << false
            << "Delete the directory MATHS and the 7 items it holds?" << false;
        QTest::newRow("the option asks for a variable")
            << QStringList{"X"} << true << false << "Delete X?" << false;
        QTest::newRow("the option asks for several")
            << QStringList{"X", "N"} << true << true << "Delete the 2 items selected?" << true;
    }

    void DeleteAsksBeforeErasingATree() {
        QFETCH(QStringList, rows);
        QFETCH(bool, askAlways);
        QFETCH(bool, answer);
        QFETCH(QString, question);
        QFETCH(bool, deleted);
        Deleting h;
        h.window.SetConfirmDelete(askAlways);
        h.answer = answer;
        h.SelectRows(rows);
        h.Trigger(ActionId::mnuDelete);
        QCOMPARE(h.questions, question.isEmpty() ? QStringList() : QStringList{question});
        QCOMPARE(h.OnCalculator("HOME " + rows.front().toStdString()), !deleted);
    }

    void DeleteOfATreeNodeAsksToo() {
        Deleting h;
        h.SelectNode("HOME MATHS DEEP");
        h.Trigger(ActionId::mnuDelete);
        QCOMPARE(h.questions, QStringList{"Delete the directory DEEP and the 2 items it holds?"});
        QVERIFY(h.OnCalculator("HOME MATHS DEEP"));
        h.window.close();
        QVERIFY(!h.saved.confirmDelete);
    }

    // B inside A goes back beside itself in A, not into B.
    void EditedDirectoryGoesBackWhereItCameFrom() {
        CommandsHarness h;
        UseEditor(h, EditorScript(h, "printf '\\n' >> \"$1\""));
        h.SelectNode("HOME MATHS DEEP");
        h.Trigger(ActionId::mnuEditAsText);
        QVERIFY2(h.errors.isEmpty(), qPrintable(h.errors.join('\n')));
        QVERIFY(h.OnCalculator("HOME MATHS DEEP NOTE"));
        QVERIFY(!h.OnCalculator("HOME MATHS DEEP DEEP"));
        QVERIFY(!fs::exists(h.copy->LastCopiedFile()));
    }

    // An editor that hands the file to a running instance returns at once.
    void EditorThatReturnsAtOnceLeavesAWatch() {
        CommandsHarness h;
        UseEditor(h, "true");
        h.SelectRows({"GREETING"});
        h.Trigger(ActionId::mnuEditAsText);
        TFEditWatch* watch = OpenWatch();
        QVERIFY(watch != nullptr);
        QCOMPARE(watch->windowTitle(), QString("Editing GREETING"));
        std::string file = watch->File();
        QVERIFY(fs::exists(file));
        QCOMPARE(h.bridge->Count("Message("), 0);

        std::string text;
        QVERIFY(ReadWholeFile(file, text));
        std::size_t at = text.find("Hello");
        QVERIFY(at != std::string::npos);
        text.replace(at, 5, "Howdy");
        QVERIFY(WriteWholeFile(file, text));
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
        fs::create_directory(temp.File("vaddex-desktop-" + std::to_string(::getuid())));
        fs::permissions(temp.File("vaddex-desktop-" + std::to_string(::getuid())),
                        fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
        const char* oldTemp = ::getenv("TMPDIR");
        std::string kept = oldTemp != nullptr ? oldTemp : "";
        ::setenv("TMPDIR", temp.Path().c_str(), 1);
        QStringList errors;
        {
            MainProgram program(ParseProgramArguments({}));
            program.Window().errorHandler = [&](const std::string& text) {
                errors << QString::fromStdString(text);
            };
            QVERIFY(program.Items() != nullptr);
            QTRY_COMPARE(errors.size(), 1);
            QVERIFY(errors.front().contains("folder for desktop files could not be made"));
            QVERIFY(program.Window().Action(ActionId::mnuOptions)->isEnabled());
            QVERIFY(program.Window().Action(ActionId::mnuCopy)->statusTip().contains(
                "no folder for desktop files"));
            QVERIFY(!program.Window().Action(ActionId::mnuNewFolder)->statusTip().contains("not avail"));
            QVERIFY(!program.Window().Action(ActionId::mnuDelete)->statusTip().contains("not avail"));
            QVERIFY(!program.Window().Action(ActionId::mnuEval)->statusTip().contains("not avail"));
            // Paste only reads the desktop's files.
            QString paste = program.Window().Action(ActionId::mnuPaste)->statusTip();
            QVERIFY(!paste.contains("not avail") && !paste.contains("no folder"));
        }
        kept.empty() ? ::unsetenv("TMPDIR") : ::setenv("TMPDIR", kept.c_str(), 1);
    }

private:
    vaddex::test::TempDir config_;
};

QTEST_MAIN(ItemCommandsTest)
#include "ItemCommandsTest.moc"
