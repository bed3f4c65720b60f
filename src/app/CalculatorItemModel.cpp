#include "app/CalculatorItemModel.h"

#include <QBrush>

#include "app/IconSet.h"
#include "app/ItemSortProxy.h"
#include "app/ListSort.h"
#include "session/CalcPath.h"

namespace vaddex::gui {
namespace {

constexpr int kColumns = 3;

QString Latin(const std::string& text) {
    return QString::fromLatin1(text);
}

CalcItem HomeItem() {
    CalcItem home;
    home.path = kHomePath;
    home.name = kHomePath;
    home.typeCode = kDirectoryTypeCode;
    return home;
}

}  // namespace

CalculatorItemModel::CalculatorItemModel(QObject* parent)
    : QAbstractItemModel(parent), tags_{kTagFiles, kTagType, kTagSize} {
    nodes_.push_back(Node{HomeItem(), -1, 0, {}, {}, {}});
    byPath_[kHomePath] = 0;
}

void CalculatorItemModel::Reset(const std::vector<CalcItem>& items) {
    beginResetModel();
    nodes_.resize(1);
    nodes_[0].children.clear();
    byPath_.clear();
    byPath_[kHomePath] = 0;
    // The snapshot is depth first, so a directory always comes before what it holds.
    for (const CalcItem& item : items) {
        auto holder = byPath_.find(item.directory);
        if (holder == byPath_.end()) {
            continue;
        }
        int id = static_cast<int>(nodes_.size());
        Node& parent = nodes_[holder->second];
        int row = static_cast<int>(parent.children.size());
        parent.children.push_back(id);
        nodes_.push_back(Node{item, holder->second, row, {}, {}, {}});
        byPath_.emplace(item.path, id);
    }
    endResetModel();
}

void CalculatorItemModel::SetRootCaption(const QString& caption) {
    if (caption == rootCaption_) {
        return;
    }
    rootCaption_ = caption;
    QModelIndex root = index(0, 0);
    emit dataChanged(root, root, {Qt::DisplayRole});
}

void CalculatorItemModel::SetColumnTags(int column1, int column2) {
    tags_[1] = column1;
    tags_[2] = column2;
    emit headerDataChanged(Qt::Horizontal, 0, kColumns - 1);
    if (nodes_.size() > 1) {
        emit layoutAboutToBeChanged();
        emit layoutChanged();
    }
}

QModelIndex CalculatorItemModel::IndexOfPath(const std::string& path) const {
    auto found = byPath_.find(path);
    if (found == byPath_.end()) {
        return {};
    }
    return createIndex(nodes_[found->second].row, 0, static_cast<quintptr>(found->second));
}

const CalculatorItemModel::Node* CalculatorItemModel::NodeOf(const QModelIndex& index) const {
    if (!index.isValid() || index.internalId() >= nodes_.size()) {
        return nullptr;
    }
    return &nodes_[index.internalId()];
}

QModelIndex CalculatorItemModel::index(int row, int column, const QModelIndex& parent) const {
    if (row < 0 || column < 0 || column >= kColumns) {
        return {};
    }
    if (!parent.isValid()) {
        return row == 0 ? createIndex(0, column, quintptr(0)) : QModelIndex();
    }
    const Node* holder = parent.column() == 0 ? NodeOf(parent) : nullptr;
    if (holder == nullptr || row >= static_cast<int>(holder->children.size())) {
        return {};
    }
    return createIndex(row, column, static_cast<quintptr>(holder->children[row]));
}

QModelIndex CalculatorItemModel::parent(const QModelIndex& child) const {
    const Node* node = NodeOf(child);
    if (node == nullptr || node->parent < 0) {
        return {};
    }
    return createIndex(nodes_[node->parent].row, 0, static_cast<quintptr>(node->parent));
}

int CalculatorItemModel::rowCount(const QModelIndex& parent) const {
    if (!parent.isValid()) {
        return 1;
    }
    const Node* node = parent.column() == 0 ? NodeOf(parent) : nullptr;
    return node == nullptr ? 0 : static_cast<int>(node->children.size());
}

int CalculatorItemModel::columnCount(const QModelIndex& /*parent*/) const {
    return kColumns;
}

QVariant CalculatorItemModel::CellText(const Node& node, int column) const {
    if (column == 0) {
        return node.parent < 0 ? rootCaption_ : Latin(node.item.name);
    }
    if (tags_[column] == kTagSize) {
        return QString::number(node.item.size);
    }
    return Latin(node.item.typeName);
}

QVariant CalculatorItemModel::data(const QModelIndex& index, int role) const {
    const Node* node = NodeOf(index);
    if (node == nullptr) {
        return {};
    }
    switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            return CellText(*node, index.column());
        case Qt::DecorationRole:
            if (index.column() != 0) {
                return {};
            }
            return node->parent < 0 ? DirectoryNodeIcon() : ImageIcon(node->item.typeCode);
        case Qt::TextAlignmentRole:
            if (index.column() > 0 && tags_[index.column()] == kTagSize) {
                return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
            }
            return {};
        case Qt::BackgroundRole:
            return index.column() == 0 ? node->background : QVariant();
        case Qt::ForegroundRole:
            return index.column() == 0 ? node->foreground : QVariant();
        case kTypeCodeRole:
            return node->item.typeCode;
        case kPathRole:
            return Latin(node->item.path);
        case kSizeRole:
            return static_cast<qlonglong>(node->item.size);
        default:
            return {};
    }
}

QVariant CalculatorItemModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumns) {
        return {};
    }
    int tag = tags_[section];
    if (role == Qt::DisplayRole) {
        return tag == kTagFiles ? "Files" : tag == kTagSize ? "Size" : "Type";
    }
    if (role == Qt::TextAlignmentRole) {
        Qt::Alignment align = tag == kTagSize ? Qt::AlignRight : Qt::AlignLeft;
        return QVariant::fromValue(align | Qt::AlignVCenter);
    }
    return {};
}

Qt::ItemFlags CalculatorItemModel::flags(const QModelIndex& index) const {
    const Node* node = NodeOf(index);
    if (node == nullptr) {
        return Qt::NoItemFlags;
    }
    Qt::ItemFlags flags =
        Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
    // HOME is never renamed; type and size are the calculator's.
    if (index.column() == 0 && node->parent >= 0) {
        flags |= Qt::ItemIsEditable;
    }
    return flags;
}

bool CalculatorItemModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    const Node* found = NodeOf(index);
    if (found == nullptr || index.column() != 0) {
        return false;
    }
    Node& node = nodes_[index.internalId()];
    if (role == Qt::EditRole || role == Qt::DisplayRole) {
        if (node.parent < 0) {
            return false;
        }
        node.item.name = value.toString().toLatin1().toStdString();
    } else if (role == Qt::BackgroundRole) {
        node.background = value;
    } else if (role == Qt::ForegroundRole) {
        node.foreground = value;
    } else {
        return false;
    }
    emit dataChanged(index, index, {role});
    return true;
}

}  // namespace vaddex::gui
