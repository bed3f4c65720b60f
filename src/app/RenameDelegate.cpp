#include "app/RenameDelegate.h"

#include <QLineEdit>

namespace vaddex::gui {

RenameDelegate::RenameDelegate(Handler handler, QObject* parent)
    : QStyledItemDelegate(parent), handler_(std::move(handler)) {}

QWidget* RenameDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                      const QModelIndex& index) const {
    ++editing_;
    return QStyledItemDelegate::createEditor(parent, option, index);
}

void RenameDelegate::destroyEditor(QWidget* editor, const QModelIndex& index) const {
    --editing_;
    QStyledItemDelegate::destroyEditor(editor, index);
}

void RenameDelegate::setModelData(QWidget* editor, QAbstractItemModel* /*model*/,
                                  const QModelIndex& index) const {
    auto* line = qobject_cast<QLineEdit*>(editor);
    if (line == nullptr || line->text() == index.data(Qt::DisplayRole).toString()) {
        return;
    }
    handler_(index, line->text());
}

}  // namespace vaddex::gui
