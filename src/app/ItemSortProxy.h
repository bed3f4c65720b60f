#pragma once

#include <QSortFilterProxyModel>
#include <functional>
#include <optional>
#include <string>

#include "app/ListSort.h"

namespace vaddex::gui {

// Item roles of the item model's column 0.
inline constexpr int kTypeCodeRole = Qt::UserRole + 1;
inline constexpr int kPathRole = Qt::UserRole + 2;  // the item's path, its identity
inline constexpr int kSizeRole = Qt::UserRole + 3;

// Orders the item list by ListView1Compare; always sorted "ascending", since the comparison
// itself carries the reverse order (so that directories go last). Keeps only the items of the
// directory the list shows, and the way down to it, so the list views show its index as root.
class ItemSortProxy : public QSortFilterProxyModel {
    Q_OBJECT

public:
    explicit ItemSortProxy(QObject* parent = nullptr) : QSortFilterProxyModel(parent) {}

    // The sort state and the tag of each column, read at every comparison.
    void SetSort(const SortState& sort, int sortColumnTag);
    // The directory whose items pass; none: no item does.
    void SetShownDirectory(std::optional<std::string> path);

protected:
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    ListRow RowAt(const QModelIndex& sourceIndex) const;

    SortState sort_;
    int tag_ = kTagFiles;
    std::optional<std::string> shown_;
};

// The tree pane's view of the item model: directories only, in the list's order.
class DirectoryTreeProxy : public ItemSortProxy {
    Q_OBJECT

public:
    using ItemSortProxy::ItemSortProxy;

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
    bool filterAcceptsColumn(int sourceColumn, const QModelIndex& sourceParent) const override;
};

}  // namespace vaddex::gui
