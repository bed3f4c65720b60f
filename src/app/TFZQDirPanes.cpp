// The main window's panes: rereading the tree, filling and sorting the list,
// keys, and renaming in place.

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>
#include <algorithm>

#include "app/IconSet.h"
#include "app/ItemSortProxy.h"
#include "app/PortComboBox.h"
#include "app/RenameDelegate.h"
#include "app/TFZQDir.h"
#include "session/CalcPath.h"
#include "session/PromptTexts.h"
#include "session/SessionCommands.h"
#include "session/TXPObject.h"
#include "session/UiBridge.h"
#include "util/ScopeExit.h"

namespace vaddex::gui {
namespace {

QString Latin(const std::string& text) {
    return QString::fromLatin1(text);
}

std::string Bytes(const QString& text) {
    return text.toLatin1().toStdString();
}

}  // namespace

std::string TFZQDir::NodePath(const QTreeWidgetItem* node) {
    return node == nullptr ? std::string() : Bytes(node->data(0, Qt::UserRole).toString());
}

ItemRef TFZQDir::RowRef(int row) const {
    QModelIndex index = ProxyIndex(row);
    ItemRef ref;
    if (!index.isValid()) {
        return ref;
    }
    ref.path = Bytes(index.data(kPathRole).toString());
    ref.name = Bytes(index.data().toString());
    ref.isDirectory = index.data(kTypeCodeRole).toInt() == kDirectoryTypeCode;
    ref.size = index.data(kSizeRole).toLongLong();
    return ref;
}

std::vector<ItemRef> TFZQDir::Selection(Pane pane) const {
    std::vector<ItemRef> items;
    if (pane == Pane::List) {
        for (int row : SelectedRows()) {
            items.push_back(RowRef(row));
        }
    } else if (pane == Pane::Tree) {
        QTreeWidgetItem* node = tree_->currentItem();
        if (node != nullptr && node->isSelected()) {
            ItemRef ref;
            ref.path = NodePath(node);
            ref.isDirectory = true;
            if (const TXPObject* item = ref.In(*root_)) {
                ref = ItemRef::Of(*item);
            } else {
                ref.name = Bytes(node->text(0));
            }
            items.push_back(ref);
        }
    }
    return items;
}

std::optional<ItemRef> TFZQDir::ListItemAt(QPoint viewportPoint) const {
    QModelIndex index = ListView()->indexAt(viewportPoint);
    if (!index.isValid()) {
        return std::nullopt;
    }
    return RowRef(index.row());
}

QAbstractItemView* TFZQDir::ListView() const {
    return static_cast<QAbstractItemView*>(listStack_->currentWidget());
}

QList<QAbstractItemView*> TFZQDir::ListViews() const {
    return {details_, icons_};
}

bool TFZQDir::ListEnabled() const {
    return listStack_->isEnabled();
}

bool TFZQDir::TreeEnabled() const {
    return tree_->isEnabled();
}

void TFZQDir::SelectDirectory(const std::string& path) {
    tree_->setCurrentItem(FindNodeByPath(path));
}

void TFZQDir::StartRefresh() {
    refreshTimer_->start();
}

QModelIndex TFZQDir::ProxyIndex(int row) const {
    return proxy_->index(row, 0);
}

QList<int> TFZQDir::SelectedRows() const {
    QList<int> rows;
    for (const QModelIndex& index : details_->selectionModel()->selectedIndexes()) {
        if (!rows.contains(index.row())) {
            rows << index.row();
        }
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

QStringList TFZQDir::ListCaptions() const {
    QStringList captions;
    for (int row = 0; row < proxy_->rowCount(); ++row) {
        captions << ProxyIndex(row).data().toString();
    }
    return captions;
}

const std::string& TFZQDir::CurrentPath() const {
    return commands_->CurrentPath;
}

QTreeWidgetItem* TFZQDir::FindNodeByPath(const std::string& path) const {
    QTreeWidgetItem* root = tree_->topLevelItem(0);
    // The root itself, even when HOME holds a directory named HOME.
    if (path == "HOME") {
        return root;
    }
    return vaddex::FindNodeByPath(root, path, [](QTreeWidgetItem* node, const std::string& name) {
        for (int i = 0; i < node->childCount(); ++i) {
            if (Bytes(node->child(i)->text(0)) == name) {
                return node->child(i);
            }
        }
        return static_cast<QTreeWidgetItem*>(nullptr);
    });
}

// --- rereading -----------------------------------------------------------------------------------

void TFZQDir::Reread() {
    if (!ui_->Connected()) {
        SetBusy(false);
        return;
    }
    Pane remembered = activePane_;
    bool listed = false;
    ScopeExit restore([this, remembered, &listed] {
        SetBusy(false);
        if (remembered == Pane::Tree) {
            tree_->setFocus();
        }
        emit RereadDone(listed);
    });
    // The list fill selects its first row, which would overwrite the name the user had.
    QString wanted = selectedName_;
    Guarded([this, remembered, wanted, &listed] {
        if (!ShowOutcome(commands_->Reread([this] { ShowTree(); }))) {
            return;
        }
        listed = true;
        if (remembered == Pane::List) {
            listStack_->currentWidget()->setFocus();
            activePane_ = Pane::List;
            SelectRowNamed(wanted);
        }
        statusPanel1_->setText(Latin(commands_->MemoryStatus()));
    });
}

void TFZQDir::ClearTreeNodes() {
    ClearListRows();
    if (QTreeWidgetItem* root = tree_->topLevelItem(0)) {
        filling_ = true;
        tree_->setCurrentItem(nullptr);
        qDeleteAll(root->takeChildren());
        filling_ = false;
    }
}

void TFZQDir::ClearListRows() {
    listModel_->removeRows(0, listModel_->rowCount());
}

void TFZQDir::AddDirectoryNodes(QTreeWidgetItem* node, TXPObject& item) {
    for (const auto& child : item.Children) {
        if (child->IsDirectory()) {
            auto* childNode = new QTreeWidgetItem(node, QStringList(Latin(child->Name)));
            childNode->setIcon(0, DirectoryNodeIcon());
            childNode->setFlags(childNode->flags() | Qt::ItemIsEditable);
            childNode->setData(0, Qt::UserRole, Latin(child->GetPath()));
            AddDirectoryNodes(childNode, *child);
        }
    }
}

void TFZQDir::ShowTree() {
    QTreeWidgetItem* root = tree_->topLevelItem(0);
    filling_ = true;
    tree_->setCurrentItem(nullptr);
    qDeleteAll(root->takeChildren());
    AddDirectoryNodes(root, *root_);
    QTreeWidgetItem* node = FindNodeByPath(commands_->CurrentPath);
    tree_->setCurrentItem(node);
    filling_ = false;
    TreeView1Change(node);
    node->setExpanded(true);
}

void TFZQDir::TreeView1Change(QTreeWidgetItem* node) {
    bool wasBusy = busy_;
    SetBusy(true);
    ui_->ProcessEvents();
    ScopeExit finish([this, wasBusy] {
        SetBusy(wasBusy);
        SortList();
        if (details_->selectionModel()->selectedIndexes().isEmpty() && proxy_->rowCount() > 0) {
            details_->selectionModel()->select(
                ProxyIndex(0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            details_->selectionModel()->setCurrentIndex(ProxyIndex(0),
                                                        QItemSelectionModel::NoUpdate);
        }
        QWidget* pane =
            activePane_ == Pane::Tree ? static_cast<QWidget*>(tree_) : listStack_->currentWidget();
        if (pane->isEnabled()) {
            pane->setFocus();
        }
    });
    ClearListRows();
    if (node == nullptr) {
        return;
    }
    // The listing the node was made from is the one held now: the tree is rebuilt with it.
    TXPObject* item = &commands_->FindDirectory(NodePath(node));
    if (NodePath(node) == ItemRef::kRootPath) {
        item = root_;
    }
    commands_->CurrentPath = item->GetPath();
    if (!ShowOutcome(commands_->ChangeToCurrentDir())) {
        return;
    }
    listModel_->setRowCount(0);
    for (const auto& child : item->Children) {
        AddListRow(*child);
    }
}

void TFZQDir::AddListRow(const TXPObject& item) {
    QList<QStandardItem*> row;
    auto* name = new QStandardItem(ImageIcon(item.TypeCode), Latin(item.Name));
    name->setData(item.TypeCode, kTypeCodeRole);
    name->setData(Latin(item.GetPath()), kPathRole);
    name->setData(static_cast<qlonglong>(item.GetSize()), kSizeRole);
    row << name;
    for (int column = 1; column < 3; ++column) {
        auto* cell = new QStandardItem;
        if (columnTag_[column] == kTagSize) {
            cell->setText(QString::number(item.GetSize()));
            cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        } else {
            cell->setText(Latin(item.TypeName));
        }
        cell->setEditable(false);
        row << cell;
    }
    listModel_->appendRow(row);
}

void TFZQDir::SortList() {
    int column = std::clamp(sort_.column, 0, 2);
    proxy_->SetSort(sort_, columnTag_[column]);
    proxy_->sort(-1);
    proxy_->sort(column, Qt::AscendingOrder);
    details_->header()->setSortIndicator(column,
                                         sort_.reverse ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void TFZQDir::ListView1ColumnClick(int column) {
    sort_ = gui::ListView1ColumnClick(sort_, column);
    SortList();
}

void TFZQDir::SelectRowNamed(const QString& name) {
    // The named row alone, so that Delete acts on it and not also on the first row that the
    // fill selected.
    for (int row = 0; row < proxy_->rowCount(); ++row) {
        if (ProxyIndex(row).data().toString().compare(name, Qt::CaseInsensitive) == 0) {
            details_->selectionModel()->select(
                ProxyIndex(row), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            details_->selectionModel()->setCurrentIndex(ProxyIndex(row),
                                                        QItemSelectionModel::NoUpdate);
            details_->scrollTo(ProxyIndex(row));
            return;
        }
    }
}

void TFZQDir::ListView1SelectItem() {
    QList<int> rows = SelectedRows();
    if (!rows.isEmpty()) {
        selectedName_ = ProxyIndex(rows.front()).data().toString();
    }
}

void TFZQDir::ClearListSelection() {
    details_->selectionModel()->clearSelection();
    details_->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    selectedName_.clear();
}

// --- keys and focus ---------------------------------------------------------------------------

bool TFZQDir::Editing() const {
    auto editing = [](QAbstractItemView* view) {
        auto* delegate = qobject_cast<RenameDelegate*>(view->itemDelegate());
        return delegate != nullptr && delegate->Editing();
    };
    return editing(tree_) || editing(details_) || editing(icons_);
}

void TFZQDir::SetShortCuts() {
    // While a caption is edited, Ctrl+X, Ctrl+C and Ctrl+V belong to the edit field.
    bool editing = Editing();
    Action(ActionId::mnuCut)->setShortcut(editing ? QKeySequence() : QKeySequence("Ctrl+X"));
    Action(ActionId::mnuCopy)->setShortcut(editing ? QKeySequence() : QKeySequence("Ctrl+C"));
    Action(ActionId::mnuPaste)->setShortcut(editing ? QKeySequence() : QKeySequence("Ctrl+V"));
}

void TFZQDir::SelectParentNode() {
    QTreeWidgetItem* node = tree_->currentItem();
    if (node != nullptr && node->parent() != nullptr) {
        // The list of the parent shows the directory the user came from selected.
        QString cameFrom = node->text(0);
        tree_->setCurrentItem(node->parent());
        SelectRowNamed(cameFrom);
        selectedName_ = cameFrom;
    }
}

QString TFZQDir::RowBesideSelection() const {
    QList<int> rows = SelectedRows();
    if (rows.isEmpty()) {
        return {};
    }
    std::sort(rows.begin(), rows.end());
    for (int row = rows.back() + 1; row < proxy_->rowCount(); ++row) {
        if (!rows.contains(row)) {
            return ProxyIndex(row).data().toString();
        }
    }
    for (int row = rows.front() - 1; row >= 0; --row) {
        if (!rows.contains(row)) {
            return ProxyIndex(row).data().toString();
        }
    }
    return {};
}

bool TFZQDir::PaneKeyPress(QObject* watched, QKeyEvent* key) {
    SetShortCuts();
    if (key->key() == Qt::Key_K && key->modifiers() == Qt::ControlModifier) {
        Disconnect();
        return true;
    }
    if (Editing() || busy_) {
        return false;
    }
    bool inList = watched != tree_;
    if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && inList) {
        if (QList<int> rows = SelectedRows(); !rows.isEmpty()) {
            OpenItem(rows.front());
        }
        return true;
    }
    if (key->key() == Qt::Key_Backspace) {
        if (inList) {
            SelectParentNode();
        }
        return true;
    }
    if (key->key() == Qt::Key_Delete) {
        QAction* remove = Action(ActionId::mnuDelete);
        if (remove->isEnabled()) {
            remove->trigger();
        }
        return true;
    }
    return false;
}

bool TFZQDir::eventFilter(QObject* watched, QEvent* event) {
    bool pane = watched == tree_ || watched == details_ || watched == icons_;
    // While busy the panes are disabled and Qt moves the focus on by itself: that is no choice
    // of the user's, and must not make the other pane the active one.
    bool chosen =
        event->type() == QEvent::MouseButtonPress || (event->type() == QEvent::FocusIn && !busy_);
    if (pane && chosen) {
        Pane chosenPane = watched == tree_ ? Pane::Tree : Pane::List;
        if (chosenPane != activePane_) {
            activePane_ = chosenPane;
            ApplyRules();  // the commands' keys act on this pane's selection from now on
        }
    }
    if (pane && event->type() == QEvent::KeyPress) {
        return PaneKeyPress(watched, static_cast<QKeyEvent*>(event));
    }
    if (cmboPort_ != nullptr && watched == cmboPort_->lineEdit() &&
        event->type() == QEvent::KeyPress) {
        int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            cmboPortReturnPressed();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// --- opening and renaming -------------------------------------------------------------------

void TFZQDir::OpenItem(int row) {
    if (ProxyIndex(row).isValid()) {
        OpenItem(RowRef(row));
    }
}

void TFZQDir::OpenItem(const ItemRef& item) {
    if (!item.isDirectory) {
        RunHandler(Command::EditAsText);
        return;
    }
    SetBusy(true);
    ScopeExit notBusy([this] { SetBusy(false); });
    commands_->CurrentPath = item.path;
    if (ShowOutcome(commands_->ChangeToCurrentDir())) {
        Reread();
    }
}

}  // namespace vaddex::gui
