#include "app/ItemSortProxy.h"

namespace vaddex::gui {

void ItemSortProxy::SetSort(const SortState& sort, int sortColumnTag) {
    sort_ = sort;
    tag_ = sortColumnTag;
}

ListRow ItemSortProxy::RowAt(int sourceRow) const {
    QAbstractItemModel* model = sourceModel();
    ListRow row;
    QModelIndex first = model->index(sourceRow, 0);
    row.caption = first.data(Qt::DisplayRole).toString().toLatin1().toStdString();
    row.icon = first.data(kTypeCodeRole).toInt();
    for (int column = 1; column < model->columnCount(); ++column) {
        row.subItems.push_back(
            model->index(sourceRow, column).data(Qt::DisplayRole).toString().toStdString());
    }
    return row;
}

bool ItemSortProxy::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    return ListView1Compare(RowAt(left.row()), RowAt(right.row()), sort_, tag_) < 0;
}

}  // namespace vaddex::gui
