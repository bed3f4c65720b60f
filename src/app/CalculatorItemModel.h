#pragma once

#include <QAbstractItemModel>
#include <QVariant>
#include <map>
#include <string>
#include <vector>

#include "session/CalcItem.h"

namespace vaddex::gui {

// The calculator's listing as one tree for the window's panes: HOME with every item below it,
// made from the session's snapshot of values. Column 0 is the name; columns 1 and 2 show the
// type and the size in the order the column tags give. The tree and the list each see it
// through their own proxy.
class CalculatorItemModel : public QAbstractItemModel {
    Q_OBJECT

public:
    explicit CalculatorItemModel(QObject* parent = nullptr);

    // Replaces the listing (a model reset); HOME stays, shown with `rootCaption`.
    void Reset(const std::vector<CalcItem>& items);
    void SetRootCaption(const QString& caption);
    // What columns 1 and 2 show: kTagType or kTagSize each.
    void SetColumnTags(int column1, int column2);
    // The index of the item of a path; invalid when the listing holds none.
    QModelIndex IndexOfPath(const std::string& path) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // The name (a rename the calculator has done), and the drop highlight's colours.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

private:
    struct Node {
        CalcItem item;
        int parent = -1;
        int row = 0;
        std::vector<int> children;
        QVariant background;
        QVariant foreground;
    };

    const Node* NodeOf(const QModelIndex& index) const;
    QVariant CellText(const Node& node, int column) const;

    std::vector<Node> nodes_;  // nodes_[0] is HOME
    std::map<std::string, int> byPath_;
    QString rootCaption_ = "ZQ ?";
    int tags_[3];
};

}  // namespace vaddex::gui
