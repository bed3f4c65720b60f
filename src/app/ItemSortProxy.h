#pragma once

#include <QSortFilterProxyModel>
#include <functional>

#include "app/ListSort.h"

namespace vaddex::gui {

// Item roles of the list model's column 0.
inline constexpr int kTypeCodeRole = Qt::UserRole + 1;
inline constexpr int kPathRole = Qt::UserRole + 2;  // the item's path, its identity
inline constexpr int kSizeRole = Qt::UserRole + 3;

// Orders the item list by ListView1Compare; always sorted "ascending", since the comparison
// itself carries the reverse order (so that directories go last).
class ItemSortProxy : public QSortFilterProxyModel {
    Q_OBJECT

public:
    explicit ItemSortProxy(QObject* parent = nullptr) : QSortFilterProxyModel(parent) {}

    // The sort state and the tag of each column, read at every comparison.
    void SetSort(const SortState& sort, int sortColumnTag);

protected:
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    ListRow RowAt(int sourceRow) const;

    SortState sort_;
    int tag_ = kTagFiles;
};

}  // namespace vaddex::gui
