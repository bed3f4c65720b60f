#include "app/ItemSortProxy.h"

#include "app/IconSet.h"
#include "session/TXPObject.h"

namespace vaddex::gui {
namespace {

std::string Bytes(const QString& text) {
    return text.toLatin1().toStdString();
}

}  // namespace

void ItemSortProxy::SetSort(const SortState& sort, int sortColumnTag) {
    sort_ = sort;
    tag_ = sortColumnTag;
}

void ItemSortProxy::SetShownDirectory(std::optional<std::string> path) {
    shown_ = std::move(path);
    invalidateFilter();
}

ListRow ItemSortProxy::RowAt(const QModelIndex& sourceIndex) const {
    QModelIndex first = sourceIndex.siblingAtColumn(0);
    ListRow row;
    row.caption = Bytes(first.data(Qt::DisplayRole).toString());
    row.icon = first.data(kTypeCodeRole).toInt();
    for (int column = 1; column < sourceModel()->columnCount(); ++column) {
        row.subItems.push_back(
            first.siblingAtColumn(column).data(Qt::DisplayRole).toString().toStdString());
    }
    return row;
}

bool ItemSortProxy::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    return ListView1Compare(RowAt(left), RowAt(right), sort_, tag_) < 0;
}

bool ItemSortProxy::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const {
    if (!sourceParent.isValid()) {
        return true;  // HOME, the way down to every directory
    }
    if (!shown_) {
        return false;
    }
    std::string path =
        Bytes(sourceModel()->index(sourceRow, 0, sourceParent).data(kPathRole).toString());
    std::string holder = Bytes(sourceParent.data(kPathRole).toString());
    // An item of the shown directory, or a directory on the way down to it.
    return holder == *shown_ || shown_->rfind(path + " ", 0) == 0 || path == *shown_;
}

QVariant DirectoryTreeProxy::data(const QModelIndex& index, int role) const {
    if (role == Qt::DecorationRole && index.column() == 0) {
        return DirectoryNodeIcon();
    }
    return ItemSortProxy::data(index, role);
}

bool DirectoryTreeProxy::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const {
    QModelIndex item = sourceModel()->index(sourceRow, 0, sourceParent);
    return !sourceParent.isValid() || item.data(kTypeCodeRole).toInt() == kDirectoryTypeCode;
}

bool DirectoryTreeProxy::filterAcceptsColumn(int sourceColumn,
                                             const QModelIndex& /*sourceParent*/) const {
    return sourceColumn == 0;
}

}  // namespace vaddex::gui
