// The main window's panes: rereading the tree, filling and sorting the list,
// keys, and renaming in place.

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QStackedWidget>
#include <QTimer>
#include <QTreeView>
#include <algorithm>

#include "app/CalculatorItemModel.h"
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

std::string TFZQDir::NodePath(const QModelIndex& node) {
    return node.isValid() ? Bytes(node.data(kPathRole).toString()) : std::string();
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
        QModelIndex node = tree_->currentIndex();
        if (node.isValid() && tree_->selectionModel()->isSelected(node)) {
            ItemRef ref;
            ref.path = NodePath(node);
            ref.isDirectory = true;
            if (const TXPObject* item = ref.In(*root_)) {
                ref = ItemRef::Of(*item);
            } else {
                ref.name = Bytes(node.data().toString());
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

QAbstractItemView* TFZQDir::TreeView() const {
    return tree_;
}

QString TFZQDir::RootCaption() const {
    return TreeRoot().data().toString();
}

QAbstractItemModel* TFZQDir::ListModel() const {
    return model_;
}

QModelIndex TFZQDir::TreeRoot() const {
    return treeProxy_->index(0, 0);
}

bool TFZQDir::ListEnabled() const {
    return listStack_->isEnabled();
}

bool TFZQDir::TreeEnabled() const {
    return tree_->isEnabled();
}

void TFZQDir::SelectDirectory(const std::string& path) {
    tree_->setCurrentIndex(FindNodeByPath(path));
}

void TFZQDir::StartRefresh() {
    refreshTimer_->start();
}

QModelIndex TFZQDir::ProxyIndex(int row) const {
    return proxy_->index(row, 0, details_->rootIndex());
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
    for (int row = 0; row < proxy_->rowCount(details_->rootIndex()); ++row) {
        captions << ProxyIndex(row).data().toString();
    }
    return captions;
}

const std::string& TFZQDir::CurrentPath() const {
    return commands_->CurrentPath;
}

QModelIndex TFZQDir::FindNodeByPath(const std::string& path) const {
    // The deepest directory of the path that the listing holds; HOME at least.
    std::string reached = kHomePath;
    for (const std::string& name : PathNames(path)) {
        std::string child = ChildPath(reached, name);
        QModelIndex found = model_->IndexOfPath(child);
        if (!found.isValid() || found.data(kTypeCodeRole).toInt() != kDirectoryTypeCode) {
            break;
        }
        reached = child;
    }
    return treeProxy_->mapFromSource(model_->IndexOfPath(reached));
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
    filling_ = true;
    ShowListOf(std::nullopt);
    model_->Reset({});
    filling_ = false;
}

void TFZQDir::ClearListRows() {
    ShowListOf(std::nullopt);
}

void TFZQDir::ShowListOf(const std::optional<std::string>& path) {
    details_->selectionModel()->clear();
    proxy_->SetShownDirectory(path);
    QModelIndex root = proxy_->mapFromSource(model_->IndexOfPath(path.value_or(kHomePath)));
    details_->setRootIndex(root);
    icons_->setRootIndex(root);
}

void TFZQDir::ShowTree() {
    // The nodes the user had open stay open in the new listing.
    std::vector<CalcItem> listing = commands_->Snapshot();
    std::vector<std::string> expanded;
    for (const CalcItem& item : listing) {
        if (item.IsDirectory()) {
            QModelIndex node = treeProxy_->mapFromSource(model_->IndexOfPath(item.path));
            if (node.isValid() && tree_->isExpanded(node)) {
                expanded.push_back(item.path);
            }
        }
    }
    bool rootOpen = tree_->isExpanded(TreeRoot());
    filling_ = true;
    ShowListOf(std::nullopt);
    model_->Reset(listing);
    SortList();
    tree_->setExpanded(TreeRoot(), rootOpen);
    for (const std::string& path : expanded) {
        tree_->expand(treeProxy_->mapFromSource(model_->IndexOfPath(path)));
    }
    QModelIndex node = FindNodeByPath(commands_->CurrentPath);
    tree_->setCurrentIndex(node);
    filling_ = false;
    TreeView1Change(node);
    tree_->expand(node);
}

void TFZQDir::TreeView1Change(const QModelIndex& node) {
    bool wasBusy = busy_;
    SetBusy(true);
    ui_->ProcessEvents();
    ScopeExit finish([this, wasBusy] {
        SetBusy(wasBusy);
        SortList();
        if (details_->selectionModel()->selectedIndexes().isEmpty() && ProxyIndex(0).isValid()) {
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
    if (!node.isValid()) {
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
    ShowListOf(item->GetPath());
}

void TFZQDir::SortList() {
    int column = std::clamp(sort_.column, 0, 2);
    proxy_->SetSort(sort_, columnTag_[column]);
    proxy_->sort(-1);
    proxy_->sort(column, Qt::AscendingOrder);
    // The tree orders its directories as the list does.
    treeProxy_->SetSort(sort_, columnTag_[column]);
    treeProxy_->sort(-1);
    treeProxy_->sort(0, Qt::AscendingOrder);
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
    for (int row = 0; ProxyIndex(row).isValid(); ++row) {
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
    QModelIndex node = tree_->currentIndex();
    if (node.isValid() && node.parent().isValid()) {
        // The list of the parent shows the directory the user came from selected.
        QString cameFrom = node.data().toString();
        tree_->setCurrentIndex(node.parent());
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
    for (int row = rows.back() + 1; ProxyIndex(row).isValid(); ++row) {
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
