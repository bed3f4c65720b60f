// The main window's renaming in place: which caption is edited, and what the edited text does.

#include <QMessageBox>
#include <QTimer>
#include <QTreeView>

#include "app/ItemSortProxy.h"
#include "app/TFZQDir.h"
#include "session/SessionCommands.h"
#include "session/TXPObject.h"

namespace vaddex::gui {
namespace {

// An unknown type's icon: renamed like a directory, as it may be one.
constexpr int kUnknownIcon = 0;

std::string Bytes(const QString& text) {
    return text.toLatin1().toStdString();
}

}  // namespace

void TFZQDir::mnuRenameClick() {
    if (activePane_ == Pane::Tree) {
        if (tree_->currentIndex().isValid()) {
            tree_->edit(tree_->currentIndex());
        }
        return;
    }
    QList<int> rows = SelectedRows();
    if (rows.isEmpty()) {
        return;
    }
    // With several rows selected, the one clicked last is renamed, as file managers do.
    QModelIndex current = ListView()->currentIndex();
    QModelIndex edited = current.isValid() && rows.contains(current.row())
                             ? ProxyIndex(current.row())
                             : ProxyIndex(rows.front());
    ListView()->selectionModel()->setCurrentIndex(edited, QItemSelectionModel::NoUpdate);
    ListView()->edit(edited);
}

bool TFZQDir::AskReplaceName(const std::string& name) {
    QMessageBox box(QMessageBox::Question, "Confirm Rename",
                    "Replace " + QString::fromLatin1(name) + "?",
                    QMessageBox::Yes | QMessageBox::No, this);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

Outcome TFZQDir::RenameAsking(const std::string& oldName, const std::string& newName,
                              bool isDirectory) {
    Outcome outcome = commands_->RenameItem(oldName, newName, isDirectory);
    if (outcome.kind != Outcome::Kind::Exists) {
        return outcome;
    }
    // A directory in the way is never replaced: the session's refusal is shown as it is.
    const TXPObject* taken = commands_->FindDirectory(commands_->CurrentPath).FindChild(newName);
    if (taken == nullptr || taken->IsDirectory()) {
        return outcome;
    }
    if (!AskReplaceName(newName)) {
        return Outcome::Declined(oldName + ": not renamed");
    }
    return commands_->RenameItem(oldName, newName, isDirectory, true);
}

bool TFZQDir::ListView1Edited(int row, const QString& newText) {
    if (!ProxyIndex(row).isValid()) {
        return false;
    }
    ItemRef item = RowRef(row);
    bool renamed = false;
    // An unknown type may be a directory: renamed as one.
    bool directory =
        item.isDirectory || ProxyIndex(row).data(kTypeCodeRole).toInt() == kUnknownIcon;
    Outcome outcome = RenameAsking(item.name, Bytes(newText), directory);
    ShowOutcome(outcome);
    renamed = outcome.IsDone();
    if (renamed) {
        proxy_->setData(ProxyIndex(row), newText);
        selectedName_ = newText;
        if (!busy_) {
            refreshTimer_->start();
        }
    }
    return renamed;
}

bool TFZQDir::TreeView1Edited(const QModelIndex& node, const QString& newText) {
    if (!node.isValid() || !node.parent().isValid()) {
        return false;
    }
    std::string parentPath = NodePath(node.parent());
    std::string oldName = Bytes(node.data().toString());
    // The list shows the parent while its directory is renamed.
    tree_->setCurrentIndex(node.parent());
    bool renamed = false;
    commands_->CurrentPath = parentPath;
    Outcome outcome = RenameAsking(oldName, Bytes(newText), true);
    ShowOutcome(outcome);
    renamed = outcome.IsDone();
    if (renamed) {
        commands_->CurrentPath = parentPath + " " + Bytes(newText);
        ShowOutcome(commands_->ChangeToCurrentDir());
    }
    if (renamed) {
        refreshTimer_->start();
    }
    return renamed;
}

}  // namespace vaddex::gui
