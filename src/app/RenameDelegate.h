#pragma once

#include <QStyledItemDelegate>
#include <functional>

namespace vaddex::gui {

// Caption editing in the tree and the list: the edited text goes to a handler instead of the
// model, so that the caption changes only when the calculator renamed the item.
class RenameDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    using Handler = std::function<void(const QModelIndex& index, const QString& newText)>;
    RenameDelegate(Handler handler, QObject* parent);

    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;
    bool Editing() const { return editing_ > 0; }

protected:
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void destroyEditor(QWidget* editor, const QModelIndex& index) const override;

private:
    Handler handler_;
    mutable int editing_ = 0;
};

}  // namespace vaddex::gui
