// Copying, drag and drop and the item commands of the main window, against the simulator.

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QMimeData>
#include <QTreeView>
#include <QtTest>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "WindowHarness.h"
#include "app/CopyController.h"
#include "app/ItemCommands.h"
#include "app/ItemSortProxy.h"
#include "session/ModalResult.h"
#include "session/SessionCommands.h"
#include "shell/FileListMime.h"
#include "shell/TFileSource.h"
#include "support/TempDir.h"
#include "util/FileIo.h"

using namespace vaddex;
using namespace vaddex::gui;
using namespace vaddex::gui::apptest;
namespace fs = std::filesystem;

namespace {

using Commands = CommandsHarness;

std::string Content(const std::string& path) {
    std::string bytes;
    ReadWholeFile(path, bytes);
    return bytes;
}

std::string FileName(const std::string& path) {
    return fs::path(path).filename().string();
}

}  // namespace

class CopyCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { ::setenv("XDG_CONFIG_HOME", config_.Path().c_str(), 1); }

    void CopyingNamesTheFileByModeAndExtension() {
        Commands h;
        h.SelectRows({"X"});
        h.Trigger(ActionId::mnuCopy);
        std::vector<std::string> files = FileListMime::ClipboardFiles();
        QCOMPARE(files.size(), std::size_t{1});
        QCOMPARE(FileName(files[0]), std::string("X.zq"));
        QCOMPARE(h.copy->LastCopiedFile(), files[0]);
        QVERIFY(Content(files[0]).size() > 8);

        h.items->ApplyOptions([&] {
            FileOptions options = h.items->CurrentOptions();
            options.addExtension = false;
            return options;
        }());
        h.Trigger(ActionId::mnuCopy);
        QCOMPARE(FileName(FileListMime::ClipboardFiles().at(0)), std::string("X"));

        // Copy as Text File gives the text form and leaves the window in binary mode.
        h.Trigger(ActionId::mnuCopyAsText);
        QCOMPARE(FileName(FileListMime::ClipboardFiles().at(0)), std::string("X.txt"));
        QVERIFY(!h.window.State().textMode);
        h.Trigger(ActionId::tbtnXferMode);
        QVERIFY(h.window.State().textMode);
        h.Trigger(ActionId::mnuCopy);
        QCOMPARE(FileName(FileListMime::ClipboardFiles().at(0)), std::string("X.txt"));

        // EVAL puts the variable's value on the stack the command window shows.
        h.Trigger(ActionId::mnuEval);
        std::vector<std::string> stack;
        QVERIFY(h.window.Commands().ReadStack(stack));
        QVERIFY(!stack.empty());
        QCOMPARE(QString::fromStdString(stack.back()), QString("1: 12.5"));
        QVERIFY2(h.errors.isEmpty(), qPrintable(h.errors.join('\n')));
    }

    void PasteAndDropSendFilesByTheirNames() {
        Commands h;
        std::string a = h.FileOf("X", "a.zq", false);
        std::string b = h.FileOf("GREETING", "b.txt", true);
        std::string doc = h.FileOf("N", "notes.doc", false);
        auto data = new QMimeData;
        FileListMime::PutCopiedFiles(*data, {a, b});
        QGuiApplication::clipboard()->setMimeData(data);
        h.window.UpdateControls();
        QVERIFY(h.window.Action(ActionId::mnuPaste)->isEnabled());
        h.Trigger(ActionId::mnuPaste);
        QVERIFY(h.OnCalculator("HOME a") && h.OnCalculator("HOME b"));
        QCOMPARE(*h.fixture->FindObject("HOME a"), *h.fixture->FindObject("HOME X"));

        h.Drop(h.window.List(), {doc}, h.BelowRows());
        QTRY_VERIFY(h.OnCalculator("HOME notes.doc"));

        // Two files onto a directory row: both go there, and the list then shows it.
        QTRY_VERIFY(h.Row("GAMES") >= 0);
        QRect games = h.window.List()->visualRect(h.window.ListIndex(h.Row("GAMES")));
        h.Drop(h.window.List(), {a, b}, games.center());
        QTRY_VERIFY(h.OnCalculator("HOME GAMES a") && h.OnCalculator("HOME GAMES b"));
        QTRY_COMPARE(h.window.CurrentPath(), std::string("HOME GAMES"));

        // Over a tree node: the node is marked as the target until the drag leaves; dropped
        // there, the files go into its directory.
        QTreeView* tree = h.window.Tree();
        QPoint maths = tree->visualRect(h.Node("HOME MATHS")).center();
        QMimeData files;
        files.setData(FileListMime::kUriList, FileListMime::UriList({a}));
        QDragEnterEvent enter(maths, Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(tree->viewport(), &enter);
        QDragMoveEvent move(maths, Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(tree->viewport(), &move);
        auto marked = [&h] { return h.Node("HOME MATHS").data(Qt::BackgroundRole).isValid(); };
        QVERIFY(marked());
        QDragLeaveEvent leave;
        QApplication::sendEvent(tree->viewport(), &leave);
        QVERIFY(!marked());
        h.Drop(tree, {a}, maths);
        QTRY_VERIFY(h.OnCalculator("HOME MATHS a"));
        QVERIFY2(h.errors.isEmpty(), qPrintable(h.errors.join('\n')));
    }

    // A text that is not one object is refused before it is sent: the window says why.
    void TextThatMadeNoVariableIsReported() {
        Commands h;
        h.Trigger(ActionId::tbtnXferMode);
        h.bridge->SetDefaultWrongFileAnswer(kWrongFileText);
        std::string note = h.fixture->Files().File("note.txt");
        QVERIFY(WriteWholeFile(note, "Hello from a text file"));
        std::string b = h.FileOf("GREETING", "b.txt", true);
        auto data = new QMimeData;
        FileListMime::PutCopiedFiles(*data, {b, note});
        QGuiApplication::clipboard()->setMimeData(data);
        h.window.UpdateControls();
        h.Trigger(ActionId::mnuPaste);
        QVERIFY(h.OnCalculator("HOME b"));
        QTRY_COMPARE(h.errors.size(), 1);
        QCOMPARE(h.errors.front(), QString("Error (note: not sent: the text is not one object; "
                                           "Hello would run on the calculator)"));
        // The next refresh has nothing to report.
        h.Trigger(ActionId::mnuRefresh);
        QCOMPARE(h.errors.size(), 1);
    }

    void AnArchiveEndsTheBatchAndTheReplaceQuestion() {
        Commands h;
        std::string archive = h.fixture->Files().File("K8_1-Jan-2026.zqbackup");
        QVERIFY(h.window.Commands().BackupToFile(archive));
        std::string c = h.FileOf("X", "c.zq", false);
        h.bridge->QueuePromptAnswer(false);
        h.Drop(h.window.List(), {archive, c}, h.BelowRows());
        QTRY_COMPARE(h.bridge->Count("Prompt(0|Erase Calculator?)"), 1);
        QTest::qWait(50);
        QVERIFY(!h.OnCalculator("HOME c"));

        // All answers for the rest of the batch; a single file is not offered All.
        std::string x = h.FileOf("N", "X.zq", false);
        std::string sqr = h.FileOf("N", "SQR.zq", false);
        h.bridge->QueueReplaceAnswer(ModalResult::All);
        h.Drop(h.window.List(), {x, sqr}, h.BelowRows());
        QTRY_COMPARE(*h.fixture->FindObject("HOME SQR"), *h.fixture->FindObject("HOME N"));
        QCOMPARE(*h.fixture->FindObject("HOME X"), *h.fixture->FindObject("HOME N"));
        QCOMPARE(h.bridge->Count("AskReplace("), 1);
        QCOMPARE(h.bridge->Count("AskReplace(X|2)"), 1);
        std::string greeting = h.FileOf("X", "GREETING.zq", false);
        std::string before = *h.fixture->FindObject("HOME GREETING");
        h.bridge->QueueReplaceAnswer(ModalResult::No);
        h.Drop(h.window.List(), {greeting}, h.BelowRows());
        QTRY_COMPARE(h.bridge->Count("AskReplace(GREETING|1)"), 1);
        QCOMPARE(*h.fixture->FindObject("HOME GREETING"), before);
    }

    void DragOutFetchesWhenTheTargetAsks() {
        Commands h;
        h.SelectRows({"X", "GREETING"});
        TFileSource* source = h.copy->PrepareDrag(Pane::List);
        QVERIFY(source != nullptr);
        // The drag starts at once; the target's request gets the list complete.
        std::unique_ptr<TFileSourceData> data(source->MakeDragData());
        QCOMPARE(data->FetchCount(), 0);
        QList<QUrl> urls = data->urls();
        QCOMPARE(urls.size(), 2);
        QCOMPARE(data->FetchCount(), 1);
        std::string x = FileListMime::QStringToPath(urls[1].toLocalFile());
        QCOMPARE(FileName(x), std::string("X.zq"));  // in list order, after GREETING
        QVERIFY(Content(x).size() > 8);

        // A press on a selected row and a move of two pixels drag the whole selection.
        std::vector<std::string> dragged;
        h.copy->runDrag = [&](TFileSource& from, QWidget*) { dragged = from.Files; };
        QWidget* viewport = h.window.List()->viewport();
        QPoint onX = h.window.List()->visualRect(h.window.ListIndex(h.Row("X"))).center();
        QTest::mousePress(viewport, Qt::LeftButton, {}, onX);
        QMouseEvent move(QEvent::MouseMove, onX + QPoint(2, 0), viewport->mapToGlobal(onX),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &move);
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, onX);
        QCOMPARE(dragged.size(), std::size_t{2});
        QCOMPARE(FileName(dragged[1]), std::string("X"));  // announced; the get adds ".zq"

        // The whole calculator dragged from the tree becomes an archive named for the date.
        h.SelectNode("HOME");
        source = h.copy->PrepareDrag(Pane::Tree);
        data.reset(source->MakeDragData());
        urls = data->urls();
        QCOMPARE(urls.size(), 1);
        std::string archive = FileName(urls[0].toLocalFile().toStdString());
        QCOMPARE(archive, h.window.Commands().DefaultArchiveName());

        // While the whole calculator is dragged out, the window's own panes take no drop.
        bool acceptedDuring = true;
        h.copy->runDrag = [&](TFileSource&, QWidget*) {
            acceptedDuring = h.copy->PanesAcceptDrops();
        };
        h.copy->StartDrag(Pane::Tree);
        QVERIFY(!acceptedDuring);
        QVERIFY(h.copy->PanesAcceptDrops());
        QVERIFY2(h.errors.isEmpty(), qPrintable(h.errors.join('\n')));
    }

    void DeleteNewFolderPropertiesAndOptions() {
        Commands h;
        h.SelectRows({"X", "N", "SQR"});
        h.Trigger(ActionId::mnuDelete);
        QVERIFY(!h.OnCalculator("HOME X") && !h.OnCalculator("HOME N"));
        QVERIFY(!h.OnCalculator("HOME SQR"));
        QCOMPARE(h.bridge->Prompts().size(), std::size_t{0});
        QTRY_VERIFY(h.Row("X") < 0);  // the refresh

        h.SelectNode("HOME MATHS DEEP");
        h.Trigger(ActionId::mnuNewFolder);

        QVERIFY(h.OnCalculator("HOME MATHS New"));
        QTRY_COMPARE(h.window.CurrentPath(), std::string("HOME MATHS New"));

        // The root at 115200 bits a second: the estimate is doubled for a whole calculator.
        h.SelectNode("HOME");
        h.Trigger(ActionId::mnuProperties);
        std::int64_t total = h.window.Commands().Root().GetSize();
        QCOMPARE(h.seconds, total * 125 / 1152000 * 2);
        QVERIFY(h.shownNames.ends_with("\n"));

        FileOptions options = h.items->CurrentOptions();
        options.transfer.receiveCRC = true;
        options.transfer.transIO = 2;
        h.items->ApplyOptions(options);
        h.window.close();
        QVERIFY(h.saved.transfer.receiveCRC);
        QCOMPARE(h.saved.transfer.transIO, 2);
    }

    void EditAsTextSendsOnlyAChangedFile() {
        Commands h;
        std::string script = h.fixture->Files().File("edit.sh");
        std::ofstream(script) << "#!/bin/sh\nsed -i 's/Hello/Howdy/' \"$1\"\n";
        fs::permissions(script, fs::perms::owner_all);
        FileOptions options = h.items->CurrentOptions();
        options.editor = script;
        h.items->ApplyOptions(options);
        h.SelectRows({"GREETING"});
        h.Trigger(ActionId::mnuEditAsText);
        QVERIFY2(h.errors.isEmpty(), qPrintable(h.errors.join('\n')));
        QVERIFY(h.fixture->FindObject("HOME GREETING")->find("Howdy") != std::string::npos);
        QVERIFY(!fs::exists(h.copy->LastCopiedFile()));
        QVERIFY(!h.window.State().textMode);

        // An editor that returns at once: nothing goes back until the user saves a change.
        options.editor = "true";
        h.items->ApplyOptions(options);
        h.bridge->ClearRecords();
        QTRY_VERIFY(h.Row("GREETING") >= 0);
        h.SelectRows({"GREETING"});
        h.Trigger(ActionId::mnuEditAsText);
        QVERIFY(fs::exists(h.copy->LastCopiedFile()));
        QCOMPARE(h.bridge->Count("Message("), 0);
        // The get's progress window shown and closed, and no put after it.
        QCOMPARE(h.bridge->Count("StatusWindow("), 2);
    }

private:
    vaddex::test::TempDir config_;
};

QTEST_MAIN(CopyCommandsTest)
#include "CopyCommandsTest.moc"
