// The main window's rules as plain functions: enabling, sorting and finding a tree node; and
// the window's furniture against the simulated calculator: menu keys and captions, the help
// key, the columns and tool bar as the window is resized, the tree's order.

#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QToolBar>
#include <QTreeView>
#include <QtTest>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "WindowHarness.h"
#include "app/CalculatorItemModel.h"
#include "app/HelpSystem.h"
#include "app/HelpWindow.h"
#include "app/ItemSortProxy.h"
#include "app/ListSort.h"
#include "app/UnbrokenPaths.h"
#include "app/WindowRules.h"
#include "session/CalcPath.h"
#include "support/TempDir.h"
#include "windows/TFRplCmd.h"

using namespace vaddex::gui;
using vaddex::gui::apptest::Harness;

Q_DECLARE_METATYPE(WindowState)
Q_DECLARE_METATYPE(ActionId)

namespace {

// Listing entries as "PATH:d" for a directory, "PATH" for a variable.
std::vector<vaddex::CalcItem> Listing(const QStringList& entries) {
    std::vector<vaddex::CalcItem> items;
    for (const QString& entry : entries) {
        vaddex::CalcItem item;
        item.path = entry.section(':', 0, 0).toStdString();
        item.directory = vaddex::ParentPath(item.path);
        item.name = item.path.substr(item.path.rfind(' ') + 1);
        item.typeCode = entry.endsWith(":d") ? vaddex::kDirectoryTypeCode : 10;
        items.push_back(item);
    }
    return items;
}

// The paths a proxy shows below a node, depth first.
QStringList Shown(const QAbstractItemModel& model, const QModelIndex& node) {
    QStringList paths;
    for (int row = 0; row < model.rowCount(node); ++row) {
        QModelIndex child = model.index(row, 0, node);
        paths << child.data(kPathRole).toString() << Shown(model, child);
    }
    return paths;
}

WindowState Connected() {
    WindowState s;
    s.connected = true;
    s.listEnabled = s.treeEnabled = true;
    s.listSelected = 1;
    s.treeNodeSelected = true;
    return s;
}

ListRow Row(const char* name, int icon, const char* size, const char* type = "Real") {
    // Columns Files, Type, Size: sub-items type then size.
    return ListRow{name, icon, {type, size}};
}

std::vector<std::string> Sorted(std::vector<ListRow> rows, SortState sort, int tag) {
    std::stable_sort(rows.begin(), rows.end(), [&](const ListRow& a, const ListRow& b) {
        return ListView1Compare(a, b, sort, tag) < 0;
    });
    std::vector<std::string> names;
    for (const ListRow& row : rows) {
        names.push_back(row.caption);
    }
    return names;
}

struct Node {
    std::string caption;
    std::vector<Node> children;
};

Node* Child(Node* node, const std::string& name) {
    for (Node& child : node->children) {
        if (child.caption == name) {
            return &child;
        }
    }
    return nullptr;
}

}  // namespace

class WindowRulesTest : public QObject {
    Q_OBJECT

    vaddex::test::TempDir config_;

private slots:
    void initTestCase() {
        // Nothing here may touch the user's own settings.
        ::setenv("XDG_CONFIG_HOME", config_.Path().c_str(), 1);
    }

    void EnablingByState_data() {
        QTest::addColumn<WindowState>("state");
        QTest::addColumn<bool>("panes");
        QTest::addColumn<bool>("port");
        QTest::addColumn<bool>("connectButton");
        QTest::addColumn<bool>("mode");
        QTest::addColumn<bool>("refresh");
        QTest::addColumn<bool>("fileMenu");
        QTest::addColumn<bool>("editMenu");
        WindowState off;
        WindowState busy = Connected();
        busy.busy = true;
        WindowState prompt = Connected();
        prompt.promptVisible = true;
        WindowState looking;
        looking.connectStatusVisible = true;
        QTest::newRow("disconnected: port free, panes kept but disabled")
            << off << false << true << true << false << false << true << true;
        QTest::newRow("connected idle: panes on, port fixed")
            << Connected() << true << false << true << true << true << true << true;
        QTest::newRow("busy: nothing may start")
            << busy << false << false << false << false << false << false << false;
        QTest::newRow("operator prompt up: only the File menu")
            << prompt << false << false << false << false << false << true << false;
        QTest::newRow("looking for the calculator blocks the port")
            << looking << false << false << false << false << false << true << false;
    }
    void EnablingByState() {
        QFETCH(WindowState, state);
        QFETCH(bool, panes);
        QFETCH(bool, port);
        QFETCH(bool, connectButton);
        QFETCH(bool, mode);
        QFETCH(bool, refresh);
        QFETCH(bool, fileMenu);
        QFETCH(bool, editMenu);
        ControlRules controls = UpdateControls(state);
        MenuRules menus = PopupMenu1Popup(state);
        QCOMPARE(controls.panesEnabled, panes);
        QCOMPARE(controls.portEnabled, port);
        QCOMPARE(controls.speedEnabled, port);
        QCOMPARE(controls.connectEnabled, connectButton);
        QCOMPARE(controls.transferModeEnabled, mode);
        QCOMPARE(menus.refresh, refresh);
        QCOMPARE(menus.fileMenu, fileMenu);
        QCOMPARE(menus.editMenu, editMenu);
        QCOMPARE(menus.viewMenu, editMenu);
        QCOMPARE(menus.helpMenu, editMenu);
    }

    void DisconnectedNeverStaysBusy() {
        WindowState s;
        s.busy = true;
        QVERIFY(UpdateControls(s).forceNotBusy);
        QVERIFY(!UpdateControls(Connected()).forceNotBusy);
        QCOMPARE(UpdateControls(s).connectImage, kImageDisconnected);
        QCOMPARE(UpdateControls(Connected()).connectImage, kImageConnected);
    }

    void SelectionRules() {
        WindowState tree = Connected();
        tree.activePane = Pane::Tree;
        tree.treeRootSelected = true;
        MenuRules root = PopupMenu1Popup(tree);
        QVERIFY(!root.copy && !root.cut && !root.remove && !root.rename && !root.copyAsText);
        QVERIFY(root.properties);
        QVERIFY(!root.eval);  // EVAL is for list rows only

        WindowState two = Connected();
        two.listSelected = 2;
        MenuRules many = PopupMenu1Popup(two);
        QVERIFY(many.copy && many.remove && many.properties);
        QVERIFY(!many.eval && !many.copyAsText && !many.editAsText);

        WindowState text = Connected();
        text.textMode = true;
        QCOMPARE(PopupMenu1Popup(text).copyCaption, std::string("Copy (Text)"));
        QCOMPARE(UpdateControls(text).transferModeImage, kImageTextMode);
        QCOMPARE(PopupMenu1Popup(Connected()).copyCaption, std::string("Copy (Binary)"));
    }

    void FileAndRomMenus() {
        WindowState off;
        MenuRules m = PopupMenu1Popup(off);
        QCOMPARE(m.connectCaption, std::string("Connect..."));
        QVERIFY(m.manualTransfers && !m.romDownload && !m.romMenu);
        QVERIFY(!m.putProjectVisible && !m.getProjectVisible);  // standalone: no host hooks
        off.portText = "ZQx8G+";
        QVERIFY(PopupMenu1Popup(off).romDownload);
        QVERIFY(!UpdateControls(off).speedEnabled);  // USB ignores the speed
        MenuRules on = PopupMenu1Popup(Connected());
        QCOMPARE(on.connectCaption, std::string("Disconnect"));
        QVERIFY(!on.manualTransfers);
        WindowState paste = Connected();
        QVERIFY(!PopupMenu1Popup(paste).paste);
        paste.clipboardHasFiles = true;
        QVERIFY(PopupMenu1Popup(paste).paste);
    }

    void Sorting() {
        std::vector<ListRow> rows = {Row("b", 23, "10"), Row("DIR", 34, "50", "Directory"),
                                     Row("a", 23, "9"), Row("C", 17, "100", "String")};
        using Names = std::vector<std::string>;
        // Size is column 2 in the order Files, Type, Size.
        QCOMPARE(Sorted(rows, {2, false}, kTagSize), (Names{"DIR", "a", "b", "C"}));
        QCOMPARE(Sorted(rows, {2, true}, kTagSize), (Names{"C", "b", "a", "DIR"}));
        QCOMPARE(Sorted(rows, {0, false}, kTagFiles), (Names{"DIR", "a", "b", "C"}));
        QCOMPARE(Sorted(rows, {1, false}, kTagType), (Names{"DIR", "b", "a", "C"}));
        QCOMPARE(CompareTextNoCase("abc", "ABC"), 0);
        // Bytes above 127 are compared as bytes, after ASCII.
        QCOMPARE(CompareTextNoCase("\xAB", "z"), 1);
    }

    void ColumnClicks() {
        SortState sort;
        sort = ListView1ColumnClick(sort, 0);
        QCOMPARE(sort.reverse, true);
        sort = ListView1ColumnClick(sort, 1);
        QCOMPARE(sort.column, 1);
        QCOMPARE(sort.reverse, false);
    }

    void FindNodeFallsBackToTheDeepestExisting() {
        Node root{"HOME", {{"A", {{"B", {}}}}, {"C", {}}}};
        auto find = [&root](const std::string& path) {
            return vaddex::FindNodeByPath(&root, path, &Child)->caption;
        };
        QCOMPARE(find("HOME A B"), std::string("B"));
        QCOMPARE(find("HOME A GONE"), std::string("A"));  // B deleted: its parent
        QCOMPARE(find("HOME a"), std::string("HOME"));    // names are case-sensitive
        QCOMPARE(find("A B"), std::string("B"));          // "HOME " may be left out
        QCOMPARE(find("HOME"), std::string("HOME"));
    }

    void PathsStayWholeInMessages_data() {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("shown");
        QTest::newRow("a path is kept whole, the words around it wrap")
            << "cannot open /dev/ttyUSB0: No such file"
            << "cannot open <nobr>/dev/ttyUSB0:</nobr> No such file";
        QTest::newRow("markup characters are shown as they are") << "a<b & c"
                                                                 << "a&lt;b &amp; c";
        QTest::newRow("CR LF and lone CR end lines") << "one\r\ntwo\rthree"
                                                     << "one<br>two<br>three";
    }
    void PathsStayWholeInMessages() {
        QFETCH(QString, message);
        QFETCH(QString, shown);
        QCOMPARE(UnbrokenPathsText(message.toStdString()), shown);
    }

    void MenuKeysAndCaptions_data() {
        QTest::addColumn<ActionId>("id");
        QTest::addColumn<bool>("connected");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("keys");
        QTest::newRow("Delete shows its key") << ActionId::mnuDelete << true << "&Delete"
                                              << "Del";
        QTest::newRow("Rename shows F2") << ActionId::mnuRename << true << "Rena&me"
                                         << "F2";
        QTest::newRow("Refresh shows F5") << ActionId::mnuRefresh << true << "&Refresh"
                                          << "F5";
        QTest::newRow("Disconnect shows Ctrl+K") << ActionId::mnuConnect << true << "Disconnect"
                                                 << "Ctrl+K";
        QTest::newRow("Connect has no key of its own")
            << ActionId::mnuConnect << false << "Connect..."
            << "";
    }
    void MenuKeysAndCaptions() {
        QFETCH(ActionId, id);
        QFETCH(bool, connected);
        QFETCH(QString, caption);
        QFETCH(QString, keys);
        Harness h;
        if (connected) {
            h.Connect();
            QVERIFY(h.window.Connected());
        }
        QCOMPARE(h.window.Action(id)->text(), caption);
        QCOMPARE(h.window.Action(id)->shortcut().toString(QKeySequence::PortableText), keys);
    }

    // The item keeps its caption and is checked while transfers are binary.
    void TransferModeIsACheckedItem() {
        Harness h;
        h.Connect();
        QAction* mode = h.window.Action(ActionId::mnuXferMode);
        QVERIFY(mode->isCheckable() && mode->isChecked());
        mode->trigger();
        QVERIFY(h.window.State().textMode);
        QVERIFY(!mode->isChecked());
        QCOMPARE(mode->text(), QString("Binary Transfer Mode"));
    }

    void CtrlKDisconnectsWhereverTheFocusIs() {
        Harness h;
        h.Connect();
        QVERIFY(h.ShowActive(640));
        // Neither pane has the focus: the key still reaches the window's command.
        h.window.statusBar()->setFocus();
        QTest::keyClick(h.window.statusBar(), Qt::Key_K, Qt::ControlModifier);
        QVERIFY(!h.window.Connected());
    }

    void F1OnAControlOpensItsTopic() {
        HelpHandler help;
        qApp->installEventFilter(&help);
        Harness h;
        h.Connect();
        QVERIFY(h.ShowActive(640));
        h.window.List()->setFocus();
        QTest::keyClick(h.window.List(), Qt::Key_F1);
        auto* window = h.window.findChild<HelpWindow*>();
        QVERIFY(window != nullptr);
        QCOMPARE(window->Page(), QString("125000.html"));  // the panes' page, not the index
        window->close();
        qApp->removeEventFilter(&help);
    }

    void ColumnsAndToolBarFollowTheWidth() {
        Harness h;
        h.Connect();
        QVERIFY(h.ShowActive(1270));
        QTreeView* list = h.window.List();
        QTRY_COMPARE(list->header()->length(), list->viewport()->width());  // no empty space right
        QVERIFY(list->columnWidth(0) > 600);

        // At the smallest width the connect button and both status panels are still there.
        h.window.resize(h.window.minimumWidth(), 420);
        QTRY_COMPARE(h.window.width(), 400);
        QToolBar* bar = h.window.findChild<QToolBar*>("ToolBar1");
        for (ActionId id :
             {ActionId::tbtnConnect, ActionId::tbtnScrnCapture, ActionId::tbtnXferMode}) {
            QWidget* button = bar->widgetForAction(h.window.Action(id));
            QVERIFY2(button != nullptr && button->isVisible(), ActionName(id));
            QVERIFY2(bar->rect().contains(button->geometry()), ActionName(id));
        }
        // The speed shows whole: a cut "115200" reads as another speed.
        QComboBox* speed = h.window.SpeedSelector();
        QStyleOptionComboBox option;
        option.initFrom(speed);
        QRect field = speed->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                     QStyle::SC_ComboBoxEditField, speed);
        QVERIFY(field.width() >= speed->fontMetrics().horizontalAdvance("115200"));
        QStatusBar* status = h.window.statusBar();
        QVERIFY(status->isVisible());
        for (QWidget* panel : status->findChildren<QLabel*>()) {
            QVERIFY(status->rect().contains(panel->geometry()));
        }
    }

    void F5InTheCommandWindowRefreshesTheMainWindow() {
        Harness h;
        h.Connect();
        QVERIFY(h.ShowActive(640));
        TFRplCmd command(h.window.Commands(), &h.window);
        command.show();
        command.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&command));
        h.fixture->WithCalculator(
            [](zqsim::SimCalculator& calculator) { calculator.Execute("HOME 'FRESH' CRDIR"); });
        QTest::keyClick(&command, Qt::Key_F5);
        QTRY_VERIFY(h.window.ListCaptions().contains("FRESH"));
        QVERIFY(command.isVisible());
    }

    void ItemModelShowsEachPaneItsPart_data() {
        QTest::addColumn<QStringList>("listing");
        QTest::addColumn<QString>("shown");  // the list's directory; empty for none
        QTest::addColumn<QStringList>("tree");
        QTest::addColumn<QStringList>("list");
        const QStringList listing{"HOME A:d", "HOME A B:d", "HOME A Y", "HOME X", "HOME C:d"};
        QTest::newRow("the tree holds directories only")
            << listing << "HOME" << QStringList{"HOME A", "HOME A B", "HOME C"}
            << QStringList{"HOME A", "HOME C", "HOME X"};
        QTest::newRow("the list holds the shown directory's items only")
            << listing << "HOME A" << QStringList{"HOME A", "HOME A B", "HOME C"}
            << QStringList{"HOME A B", "HOME A Y"};
        QTest::newRow("no shown directory lists nothing")
            << listing << "" << QStringList{"HOME A", "HOME A B", "HOME C"} << QStringList{};
        QTest::newRow("a variable named like the way down is not taken for it")
            << QStringList{"HOME A:d", "HOME A B:d", "HOME A B Z", "HOME AB"} << "HOME A B"
            << QStringList{"HOME A", "HOME A B"} << QStringList{"HOME A B Z"};
        QTest::newRow("an item whose directory is not listed is left out")
            << QStringList{"HOME A Z", "HOME X"} << "HOME" << QStringList{}
            << QStringList{"HOME X"};
    }

    void ItemModelShowsEachPaneItsPart() {
        QFETCH(QStringList, listing);
        QFETCH(QString, shown);
        QFETCH(QStringList, tree);
        QFETCH(QStringList, list);
        CalculatorItemModel model;
        model.Reset(Listing({"HOME OLD:d"}));
        DirectoryTreeProxy treeProxy;
        treeProxy.setSourceModel(&model);
        ItemSortProxy listProxy;
        listProxy.setSourceModel(&model);
        listProxy.SetShownDirectory(shown.isEmpty() ? std::nullopt
                                                    : std::optional(shown.toStdString()));
        // A refresh replaces the listing; HOME itself stays.
        model.Reset(Listing(listing));
        treeProxy.sort(0);
        listProxy.sort(0);
        QCOMPARE(Shown(treeProxy, treeProxy.index(0, 0)), tree);
        QModelIndex listRoot = listProxy.mapFromSource(
            model.IndexOfPath(shown.isEmpty() ? "HOME" : shown.toStdString()));
        QCOMPARE(Shown(listProxy, listRoot), list);
        QVERIFY(!model.IndexOfPath("HOME OLD").isValid());
    }

    void TreeListsDirectoriesInTheListsOrder() {
        Harness h;
        h.fixture->WithCalculator([](zqsim::SimCalculator& calculator) {
            calculator.Execute("HOME 'zeta' CRDIR 'Alpha' CRDIR");
        });
        h.Connect();
        QAbstractItemModel* nodes = h.window.Tree()->model();
        QPersistentModelIndex root = nodes->index(0, 0);
        auto tree = [nodes, root] {
            QStringList captions;
            for (int i = 0; i < nodes->rowCount(root); ++i) {
                captions << nodes->index(i, 0, root).data().toString();
            }
            return captions;
        };
        const QStringList ascending{"Alpha", "GAMES", "MATHS", "zeta"};
        QCOMPARE(tree(), ascending);
        QCOMPARE(h.window.ListCaptions().mid(0, 4), ascending);
        h.window.ListView1ColumnClick(0);  // descending: directories last, Z to A
        const QStringList descending{"zeta", "MATHS", "GAMES", "Alpha"};
        QCOMPARE(tree(), descending);
        QCOMPARE(h.window.ListCaptions().mid(h.window.ListCaptions().size() - 4), descending);
        QCOMPARE(h.window.Tree()->currentIndex(),
                 QModelIndex(root));  // reordering keeps the selection
    }
};

QTEST_MAIN(WindowRulesTest)
#include "WindowRulesTest.moc"
