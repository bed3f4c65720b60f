// Which row a command acts on: after every refresh, after clicks, and for Rename.

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QStyleHints>
#include <QtTest>

#include "WindowHarness.h"
#include "app/ListClicks.h"
#include "support/TempDir.h"

using namespace vaddex;
using namespace vaddex::gui;
using namespace vaddex::gui::apptest;

namespace {

QStringList SelectedCaptions(const TFZQDir& window) {
    QStringList captions;
    for (const QModelIndex& index : window.List()->selectionModel()->selectedRows()) {
        captions << index.data().toString();
    }
    return captions;
}

QPoint RowPoint(CommandsHarness& h, const QString& caption) {
    return h.window.List()->visualRect(h.window.ListProxy()->index(h.Row(caption), 0)).center();
}

// The editor the view opened for a rename, if any.
QLineEdit* RenameEditor(const TFZQDir& window) {
    return window.List()->viewport()->findChild<QLineEdit*>();
}

void TypeNewName(const TFZQDir& window, const QString& name) {
    QLineEdit* editor = RenameEditor(window);
    QVERIFY(editor != nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, name);
    QTest::keyClick(editor, Qt::Key_Return);
}

}  // namespace

class SelectionTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { ::setenv("XDG_CONFIG_HOME", config_.Path().c_str(), 1); }

    // New Folder, Rename, F5 and Delete each act on the row the user had or made.
    void EveryRefreshKeepsTheRowActedOn() {
        CommandsHarness h;
        h.SelectRows({"GREETING"});
        QTest::keyClick(h.window.List(), Qt::Key_F5);
        QCOMPARE(SelectedCaptions(h.window), QStringList{"GREETING"});
        QTest::keyClick(h.window.List(), Qt::Key_Delete);
        QVERIFY(!h.OnCalculator("HOME GREETING"));
        QVERIFY(h.OnCalculator("HOME X"));

        h.SelectRows({"N"});
        h.Trigger(ActionId::mnuNewFolder);
        QVERIFY(h.OnCalculator("HOME New"));
        QTRY_COMPARE(SelectedCaptions(h.window), QStringList{"New"});

        QTest::keyClick(h.window.List(), Qt::Key_F2);
        TypeNewName(h.window, "TOOLS");
        // The view commits the edit once its Return has been handled.
        QTRY_VERIFY(h.OnCalculator("HOME TOOLS"));
        QTRY_VERIFY(h.Row("New") < 0);
        QCOMPARE(SelectedCaptions(h.window), QStringList{"TOOLS"});

        h.Trigger(ActionId::mnuRefresh);
        QCOMPARE(SelectedCaptions(h.window), QStringList{"TOOLS"});
        QTest::keyClick(h.window.List(), Qt::Key_Delete);
        QTRY_VERIFY(h.Row("TOOLS") < 0);
        QVERIFY(!h.OnCalculator("HOME TOOLS"));
        QVERIFY(h.OnCalculator("HOME N") && h.OnCalculator("HOME X"));
        QVERIFY2(h.errors.isEmpty(), qPrintable(h.errors.join('\n')));
    }

    void PressOnEmptySpaceChoosesNothing_data() {
        QTest::addColumn<int>("button");
        QTest::newRow("left click") << int(Qt::LeftButton);
        QTest::newRow("right click offers no Delete") << int(Qt::RightButton);
    }

    void PressOnEmptySpaceChoosesNothing() {
        QFETCH(int, button);
        CommandsHarness h;
        h.SelectRows({"GREETING"});
        QVERIFY(h.window.Action(ActionId::mnuDelete)->isEnabled());
        QTest::mouseClick(h.window.List()->viewport(), Qt::MouseButton(button), {}, h.BelowRows());
        QVERIFY(SelectedCaptions(h.window).isEmpty());
        QVERIFY(!h.window.Action(ActionId::mnuDelete)->isEnabled());
        // Nothing to bring back after a refresh either: the list's first row is chosen.
        h.Trigger(ActionId::mnuRefresh);
        QCOMPARE(SelectedCaptions(h.window).size(), 1);
        QCOMPARE(SelectedCaptions(h.window).front(), h.window.ListCaptions().front());
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
        QVERIFY(RenameEditor(h.window) != nullptr);
        TypeNewName(h.window, "RENAMED");
        QTRY_VERIFY(h.OnCalculator("HOME RENAMED"));
        QVERIFY(!h.OnCalculator("HOME " + first.toStdString()));
        QTRY_COMPARE(SelectedCaptions(h.window), QStringList{"RENAMED"});
    }

private:
    vaddex::test::TempDir config_;
};

QTEST_MAIN(SelectionTest)
#include "SelectionTest.moc"
