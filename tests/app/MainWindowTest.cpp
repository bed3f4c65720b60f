// The main window driven against the simulated calculator through a scripted bridge.

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTreeView>
#include <QtTest>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>

#include "WindowHarness.h"
#include "app/ConnectErrorText.h"
#include "app/HelpSystem.h"
#include "app/ItemSortProxy.h"
#include "app/TFZQDir.h"
#include "frontend/StoredSettings.h"
#include "objects/TextFileForm.h"
#include "session/PromptTexts.h"
#include "session/SessionCommands.h"
#include "support/FlagRows.h"
#include "support/SimFixture.h"
#include "support/TempDir.h"

using namespace vaddex;
using namespace vaddex::gui;
using namespace vaddex::gui::apptest;

namespace {

bool MenuEnabled(TFZQDir& window, const QString& title) {
    for (QAction* action : window.menuBar()->actions()) {
        if (action->text() == title) {
            return action->isEnabled();
        }
    }
    return false;
}

// The user's way to a port: typed into the port box, then Enter.
void TypePort(QComboBox* selector, const QString& port) {
    selector->setFocus();
    selector->lineEdit()->selectAll();
    QTest::keyClicks(selector->lineEdit(), port);
    QTest::keyClick(selector->lineEdit(), Qt::Key_Return);
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        // Nothing here may touch the user's own settings.
        ::setenv("XDG_CONFIG_HOME", config_.Path().c_str(), 1);
    }

    void FirstRunLayoutAndWrittenSettings() {
        Harness h;
        QCOMPARE(h.window.PortSelector()->currentText(), QString("Auto"));
        QCOMPARE(h.window.SpeedSelector()->currentText(), QString("115200"));
        QAbstractItemModel* model = h.window.ListModel();
        QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), QString("Type"));
        QCOMPARE(model->headerData(2, Qt::Horizontal).toString(), QString("Size"));
        frontend::StoredSettings s = h.window.CurrentSettings();
        QCOMPARE(s.dirColSize, frontend::kColumnsTypeFirst);
        QCOMPARE(s.dirWidthFiles, 160);
        QCOMPARE(s.dirWidthSize, 60);
        QCOMPARE(s.dirWidthType, 80);
        QCOMPARE(s.dirViewStyle, 3);
        QCOMPARE(s.speed, 115200);
        QVERIFY(s.addExtension && s.transfer.addCR && s.transfer.trans031);
        QVERIFY(!h.window.State().textMode);

        // Stored values come back at close, including the column order.
        frontend::StoredSettings stored;
        stored.dirColSize = frontend::kColumnsSizeFirst;
        stored.dirWidthSize = 71;
        stored.speed = 38400;
        stored.dirSortCol = 2;
        stored.dirSortReverse = true;
        stored.transfer.receiveCRC = true;
        Harness again(stored);
        QCOMPARE(again.window.ListModel()->headerData(1, Qt::Horizontal).toString(),
                 QString("Size"));
        QVERIFY(again.window.State().transfer.receiveCRC);
        again.window.close();
        QCOMPARE(again.saved.dirColSize, frontend::kColumnsSizeFirst);
        QCOMPARE(again.saved.dirWidthSize, 71);
        QCOMPARE(again.saved.speed, 38400);
        QCOMPARE(again.saved.dirSortCol, 2);
        QVERIFY(again.saved.dirSortReverse);
        QVERIFY(again.saved.transfer.receiveCRC);
    }

    void ConnectingFillsTreeAndList() {
        Harness h;
        QVERIFY(!h.window.Tree()->isEnabled());
        QVERIFY(h.window.PortSelector()->isEnabled());
        h.Connect();
        QVERIFY2(h.errors.isEmpty(), qPrintable(h.errors.join('\n')));
        QVERIFY(h.window.Connected());
        QVERIFY(!h.window.Busy());
        QModelIndex root = h.window.Tree()->model()->index(0, 0);
        QCOMPARE(root.data().toString(), QString("HOME (ZQ-K8)"));
        QVERIFY(h.Node("HOME GAMES") != root && h.Node("HOME MATHS DEEP") != root);
        QVERIFY(h.window.ListCaptions().contains("GREETING"));
        QVERIFY(h.window.ListCaptions().contains("A\\->B"));
        QVERIFY(h.window.StatusPanel(1).contains("Free Mem: "));
        QVERIFY(h.window.Tree()->isEnabled());
        QVERIFY(!h.window.PortSelector()->isEnabled());
        QVERIFY(h.window.Action(ActionId::mnuRefresh)->isEnabled());
    }

    void SortingTheList() {
        Harness h;
        h.Connect();
        h.window.ListView1ColumnClick(2);  // Size
        QStringList rows = h.window.ListCaptions();
        QCOMPARE(rows.mid(0, 2), (QStringList{"GAMES", "MATHS"}));
        QCOMPARE(rows.mid(2, 2), (QStringList{"SQR", "N"}));  // 10 bytes before 11
        QCOMPARE(rows.last(), QString("LIST1"));              // 47, the largest
        h.window.ListView1ColumnClick(2);
        rows = h.window.ListCaptions();
        QCOMPARE(rows.first(), QString("LIST1"));
        QCOMPARE(rows.mid(rows.size() - 2), (QStringList{"MATHS", "GAMES"}));
    }

    void EveryViewShowsAndSelectsTheShownDirectoryOnly_data() {
        QTest::addColumn<int>("view");
        QTest::newRow("details") << static_cast<int>(ActionId::mnuDetails);
        QTest::newRow("large icons") << static_cast<int>(ActionId::mnuLargeIcons);
        QTest::newRow("list") << static_cast<int>(ActionId::mnuList);
    }

    void EveryViewShowsAndSelectsTheShownDirectoryOnly() {
        QFETCH(int, view);
        Harness h;
        h.Connect();
        h.window.Action(static_cast<ActionId>(view))->trigger();
        h.window.Tree()->setCurrentIndex(h.Node("HOME MATHS"));
        QVERIFY(h.window.ListCaptions().size() > 1);
        QAbstractItemView* shown = h.window.ListView();
        QModelIndex first = h.window.ListIndex(0);
        QCOMPARE(shown->indexAt(shown->visualRect(first).center()), first);
        auto selected = [&h] {
            QStringList paths;
            for (const ItemRef& item : h.window.Selection(Pane::List)) {
                paths << QString::fromStdString(item.path);
            }
            return paths;
        };
        h.window.Action(ActionId::mnuSelectAll)->trigger();
        QCOMPARE(selected().size(), h.window.ListCaptions().size());
        QVERIFY(selected().filter(QRegularExpression("^HOME MATHS \\S+$")).size() ==
                selected().size());
        // Inverting the first row alone leaves every other row of the directory.
        shown->selectionModel()->select(
            first, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        h.window.Action(ActionId::mnuInvertSelection)->trigger();
        QCOMPARE(selected().size(), h.window.ListCaptions().size() - 1);
        QVERIFY(!selected().contains(first.data(kPathRole).toString()));
    }

    void RereadFallsBackWhenTheDirectoryWentAway() {
        Harness h;
        h.Connect();
        h.window.Tree()->setCurrentIndex(h.Node("HOME MATHS DEEP"));
        h.window.Tree()->expand(h.Node("HOME GAMES"));
        QCOMPARE(h.window.CurrentPath(), std::string("HOME MATHS DEEP"));
        QVERIFY(h.window.ListCaptions().contains("NOTE"));
        h.fixture->WithCalculator([](zqsim::SimCalculator& calculator) {
            calculator.Execute("HOME MATHS 'DEEP' PGDIR HOME");
        });
        QVERIFY(!h.OnCalculator("HOME MATHS DEEP"));
        h.window.Reread();
        QVERIFY2(h.errors.isEmpty(), qPrintable(h.errors.join('\n')));
        QCOMPARE(h.window.CurrentPath(), std::string("HOME MATHS"));
        QCOMPARE(h.window.Tree()->currentIndex(), h.Node("HOME MATHS"));
        QVERIFY(h.window.ListCaptions().contains("AREA"));
        // The new listing keeps the nodes the user had open.
        QVERIFY(h.window.Tree()->isExpanded(h.Node("HOME GAMES")));
    }

    void RenameInPlace() {
        Harness h;
        h.Connect();
        // Declined improper name: nothing is sent and the caption stays.
        h.bridge->QueuePromptAnswer(false);
        QVERIFY(!h.window.ListView1Edited(h.Row("X"), "1X"));
        QVERIFY(h.window.ListCaptions().contains("X"));
        QVERIFY(h.OnCalculator("HOME X"));
        QVERIFY(!h.OnCalculator("HOME 1X"));
        QCOMPARE(h.bridge->Prompts().size(), std::size_t{1});

        std::string before = *h.fixture->FindObject("HOME X");
        QVERIFY(h.window.ListView1Edited(h.Row("X"), "XNEW"));
        QCOMPARE(*h.fixture->FindObject("HOME XNEW"), before);
        QVERIFY(!h.OnCalculator("HOME X"));
        QTRY_VERIFY(h.window.ListCaptions().contains("XNEW"));
        QCOMPARE(h.window.SelectedName(), QString("XNEW"));

        // Through the list's own caption editing: F2, the new name, Enter.
        QTreeView* list = h.window.List();
        list->setFocus();
        list->setCurrentIndex(h.window.ListIndex(h.Row("N")));
        QTest::keyClick(list, Qt::Key_F2);
        QLineEdit* editor = list->findChild<QLineEdit*>();
        QVERIFY(editor != nullptr);
        editor->selectAll();
        QTest::keyClicks(editor, "COUNT");
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_VERIFY(h.OnCalculator("HOME COUNT"));
        QVERIFY(!h.OnCalculator("HOME N"));
        QTRY_VERIFY(h.window.ListCaptions().contains("COUNT"));

        // A directory renamed in the tree ends selected under its new name.
        QVERIFY(h.window.TreeView1Edited(h.Node("HOME GAMES"), "PLAY"));
        QTRY_COMPARE(h.window.CurrentPath(), std::string("HOME PLAY"));
        QVERIFY(h.OnCalculator("HOME PLAY HISCORE"));
        QVERIFY2(h.errors.isEmpty(), qPrintable(h.errors.join('\n')));
    }

    void ControlsInEachState() {
        Harness h;
        QVERIFY(!MenuEnabled(h.window, "&Edit") ||
                !h.window.Action(ActionId::mnuRefresh)->isEnabled());
        h.Connect();
        QVERIFY(MenuEnabled(h.window, "&Edit"));
        QVERIFY(h.window.Action(ActionId::mnuRename)->isEnabled());

        h.window.SetBusy(true);
        QVERIFY(!h.window.Tree()->isEnabled());
        QVERIFY(!h.window.Action(ActionId::tbtnConnect)->isEnabled());
        QVERIFY(!MenuEnabled(h.window, "&File"));
        h.window.SetBusy(false);

        // A non-modal prompt up: only the File menu stays.
        h.bridge->ShowPrompt(kPromptServerBefore, "");
        h.window.UpdateControls();
        QVERIFY(!h.window.Tree()->isEnabled());
        QVERIFY(MenuEnabled(h.window, "&File"));
        QVERIFY(!MenuEnabled(h.window, "&Edit") && !MenuEnabled(h.window, "&Help"));
        h.bridge->HidePrompt();
        h.window.UpdateControls();
        QVERIFY(h.window.Tree()->isEnabled());

        // Commands that are not part of this window yet say so and stay off.
        QAction* backup = h.window.Action(ActionId::mnuBackup);
        QVERIFY(!backup->isEnabled());
        QVERIFY(backup->statusTip().contains("not available"));
        bool ran = false;
        h.window.SetCommandHandler(Command::Backup, [&ran] { ran = true; });
        QVERIFY(backup->isEnabled());
        backup->trigger();
        QVERIFY(ran);
    }

    void CalculatorDisappearsWhileConnected() {
        Harness h;
        h.Connect();
        QVERIFY(h.window.Connected());
        h.fixture->Server().PullCable();
        h.window.Reread();
        QCOMPARE(h.errors.size(), 1);
        QVERIFY2(h.errors.first().startsWith("The calculator's port "),
                 qPrintable(h.errors.first()));
        QVERIFY(!h.window.Connected());
        QVERIFY(!h.window.Busy());
        QVERIFY(h.window.PortSelector()->isEnabled());
        QCOMPARE(h.window.StatusPanel(1), QString());  // no server, no free memory

        h.fixture->Server().Start();
        h.errors.clear();
        h.Connect();
        QVERIFY2(h.errors.isEmpty(), qPrintable(h.errors.join('\n')));
        QVERIFY(h.window.Connected());
        QVERIFY(h.window.ListCaptions().contains("GREETING"));
    }

    void ClosingDuringATransferCancelsItFirst() {
        Harness h;
        const std::string bigText(120000, 'z');
        QVERIFY(h.fixture->StoreAt("HOME BIG", WrapAsStringObject(bigText, "K8").substr(8)));
        h.Connect();
        h.window.Tree()->setCurrentIndex(h.Node("HOME"));
        int row = h.Row("BIG");
        QVERIFY(row >= 0);
        const TXPObject* item = nullptr;
        for (const auto& child : h.window.Commands().Root().Children) {
            item = child->Name == "BIG" ? child.get() : item;
        }
        QVERIFY(item != nullptr);
        std::string folder = h.fixture->Files().Path();
        bool failed = false;
        // A copy command as the copying part of the program will install it.
        h.window.SetCommandHandler(Command::Copy, [&] {
            std::vector<std::string> paths;
            failed = !h.window.Commands().CopyItems({item}, folder, paths);
        });
        bool closeAsked = false;
        h.window.cancelRunning = [&h] { h.bridge->RequestCancel(); };
        h.bridge->SetOnIdle([&] {
            if (h.bridge->IsStatusVisible() && !closeAsked) {
                closeAsked = true;
                h.window.close();
            }
        });
        bool closed = false;
        h.window.onClosing = [&closed] { closed = true; };
        h.window.Action(ActionId::mnuCopy)->trigger();
        QVERIFY(closeAsked);
        QVERIFY(failed);
        QVERIFY(!closed);  // not while the transfer ran
        QTRY_VERIFY(closed);
        QVERIFY(!h.window.Connected());
        QVERIFY(!std::filesystem::exists(folder + "BIG.zq"));
    }

    void KeysAndTheCommandLinePort() {
        Harness h;
        h.window.ConnectFromCommandLine("/dev/nonexistent-port");  // a path is tried as given
        QCOMPARE(h.errors.size(), 1);
        QVERIFY2(h.errors[0].contains("/dev/nonexistent-port"), qPrintable(h.errors[0]));
        QVERIFY(!h.window.Connected());
        h.window.ConnectFromCommandLine("COM7");  // named nothing the list holds: a beep
        QCOMPARE(h.bridge->BeepCount(), 1);
        QCOMPARE(h.errors.size(), 1);

        h.Connect();
        QTreeView* list = h.window.List();
        list->setFocus();
        list->setCurrentIndex(h.window.ListIndex(h.Row("MATHS")));
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(h.window.CurrentPath(), std::string("HOME MATHS"));
        QVERIFY(h.window.ListCaptions().contains("AREA"));
        QTest::keyClick(list, Qt::Key_Backspace);
        QCOMPARE(h.window.CurrentPath(), std::string("HOME"));
        QTest::keyClick(list, Qt::Key_K, Qt::ControlModifier);
        QVERIFY(!h.window.Connected());
        // Disconnecting keeps what was shown, disabled.
        QVERIFY(h.window.ListCaptions().contains("GREETING"));
        QVERIFY(!h.window.Tree()->isEnabled());
    }

    void PortsGivenOrTypedStayListed_data() {
        vaddex::test::FlagRows("typed", "command-line path", "typed path, Enter connects");
    }
    void PortsGivenOrTypedStayListed() {
        QFETCH(bool, typed);
        Harness h;
        QString port = QString::fromStdString(h.fixture->PortName());
        QComboBox* selector = h.window.PortSelector();
        if (typed) {
            TypePort(selector, port);
        } else {
            h.Connect();
        }
        QVERIFY2(h.errors.isEmpty(), qPrintable(h.errors.join('\n')));
        QVERIFY(h.window.Connected());
        QCOMPARE(selector->currentText(), port);

        h.window.tbtnConnectClick();  // disconnects
        QCOMPARE(h.window.StatusPanel(0), QString(kDisconnectedText));
        QCOMPARE(h.window.StatusPanel(1), QString());  // the server and free memory went too
        selector->setCurrentIndex(0);
        h.window.RefreshPortList();
        QVERIFY(selector->findText(port) > 0);
        QCOMPARE(selector->count(), selector->findText(port) + 1);  // listed once
    }

    void ConnectErrorsCarryTheReason_data() {
        QTest::addColumn<QString>("reason");
        QTest::addColumn<bool>("hint");
        QTest::newRow("permission denied adds the dialout hint")
            << "Error (The Vaddex is unable to open communications to: /dev/ttyS0: "
               "Permission denied)"
            << true;
        QTest::newRow("the system's own wording of it too")
            << QString("cannot open /dev/ttyUSB0: ") + std::strerror(EACCES) << true;
        QTest::newRow("a silent port keeps its reason alone")
            << "Error (no calculator answered on /dev/pts/9)" << false;
        QTest::newRow("a missing device keeps its reason alone")
            << "Error (/dev/ttyUSB3: No such file or directory)" << false;
    }
    void ConnectErrorsCarryTheReason() {
        QFETCH(QString, reason);
        QFETCH(bool, hint);
        QString text = QString::fromStdString(ConnectErrorText(reason.toStdString()));
        QVERIFY(text.startsWith(reason));
        QCOMPARE(text.contains("sudo usermod -aG dialout $USER"), hint);
    }

    // Standard keys and access keys a user reaches for, and a first start with room.
    void StandardKeysAndFirstSize() {
        Harness h;
        QCOMPARE(h.window.Action(ActionId::mnuExit)->shortcut(), QKeySequence(QKeySequence::Quit));
        QCOMPARE(h.window.Action(ActionId::mnuBackup)->text(), QString("&Backup..."));
        QCOMPARE(h.window.Action(ActionId::mnuRestore)->text(), QString("Re&store..."));
        QStringList menus;
        for (QAction* menu : h.window.menuBar()->actions()) {
            menus << menu->text();
        }
        QVERIFY2(menus.contains("&ROM"), qPrintable(menus.join(' ')));
        QVERIFY(h.window.width() >= 900 && h.window.height() >= 600);
    }

    // A device path that cannot be opened: the system's reason, and the path leaves the list.
    void ABadPortNamesTheReasonAndIsNotKept_data() {
        vaddex::test::FlagRows("typed", "command-line path", "typed path, Enter connects");
    }
    void ABadPortNamesTheReasonAndIsNotKept() {
        QFETCH(bool, typed);
        Harness h;
        const QString port = "/dev/vaddex-no-such-port";
        QComboBox* selector = h.window.PortSelector();
        if (typed) {
            TypePort(selector, port);
        } else {
            h.window.ConnectFromCommandLine(port);
        }
        QVERIFY(!h.window.Connected());
        QVERIFY2(h.errors.size() == 1, qPrintable(h.errors.join("\n")));
        QVERIFY2(
            h.errors.front().contains(port) && h.errors.front().contains(std::strerror(ENOENT)),
            qPrintable(h.errors.front()));
        QCOMPARE(selector->findText(port), -1);
        h.window.RefreshPortList();
        QCOMPARE(selector->findText(port), -1);
    }

    void UnusableSettingsAreLoggedAndHintsMarkedOnce() {
        frontend::StoredSettings settings =
            frontend::InterpretSettings([](const std::string& key) -> std::optional<std::string> {
                if (key == "DirWidthSplit") {
                    return "wide";
                }
                return std::nullopt;
            });
        QStringList logged;
        {
            Harness h(settings, [&logged](const std::string& text) {
                logged << QString::fromStdString(text);
            });
            QCOMPARE(h.window.CurrentSettings().dirWidthSplit, 150);

            MarkHelpHints(&h.window);
            MarkHelpHints(&h.window);
            QCOMPARE(h.window.PortSelector()->toolTip(),
                     QString("?* Select a communications port"));
            QCOMPARE(h.window.statusBar()->toolTip(), QString("?* Last command"));
            QCOMPARE(h.window.PortSelector()->statusTip(), QString("Select a communications port"));
            QWidget popup;
            popup.setProperty("helpContext", 145);
            popup.setToolTip("Send the line");
            MarkHelpHints(&popup);
            QCOMPARE(popup.toolTip(), QString("? Send the line"));
        }
        QCOMPARE(logged.size(), 1);
        QVERIFY(logged.first().contains("DirWidthSplit"));
    }

private:
    test::TempDir config_;
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
