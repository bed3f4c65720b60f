#include "app/ListClicks.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QMouseEvent>
#include <QStyleHints>
#include <QTimer>

namespace vaddex::gui {

ListClicks::ListClicks(QAbstractItemView* view, std::function<void()> clearSelection)
    : QObject(view), view_(view), clearSelection_(std::move(clearSelection)) {
    // One click on a selected row would otherwise start the editor.
    view_->setEditTriggers(QAbstractItemView::EditKeyPressed);
    renameTimer_ = new QTimer(this);
    renameTimer_->setSingleShot(true);
    // A double click opens the item: the rename waits until one can no longer follow.
    renameTimer_->setInterval(QApplication::styleHints()->mouseDoubleClickInterval());
    connect(renameTimer_, &QTimer::timeout, this, [this] {
        if (toRename_.isValid() &&
            view_->selectionModel()->isRowSelected(toRename_.row(), toRename_.parent())) {
            view_->setCurrentIndex(toRename_);
            view_->edit(toRename_);
        }
        toRename_ = QPersistentModelIndex();
    });
    view_->viewport()->installEventFilter(this);
}

bool ListClicks::RenamePending() const {
    return renameTimer_->isActive();
}

void ListClicks::Press(QMouseEvent* mouse) {
    renameTimer_->stop();
    QModelIndex index = view_->indexAt(mouse->position().toPoint());
    if (!index.isValid()) {
        lastPressed_ = QPersistentModelIndex();
        if (mouse->modifiers() == Qt::NoModifier) {
            clearSelection_();
        }
        return;
    }
    QModelIndex row = index.siblingAtColumn(0);
    bool plain = mouse->button() == Qt::LeftButton && mouse->modifiers() == Qt::NoModifier;
    quint64 interval = QApplication::styleHints()->mouseDoubleClickInterval();
    secondPress_ = plain && lastPressed_.isValid() && QModelIndex(lastPressed_) == row &&
                   view_->selectionModel()->selectedRows().size() == 1 &&
                   view_->selectionModel()->isRowSelected(row.row(), row.parent()) &&
                   mouse->timestamp() >= lastPressTime_ + interval;
    lastPressed_ = plain ? QPersistentModelIndex(row) : QPersistentModelIndex();
    lastPressTime_ = mouse->timestamp();
}

void ListClicks::Release(QMouseEvent* mouse) {
    if (!secondPress_ || mouse->button() != Qt::LeftButton) {
        return;
    }
    secondPress_ = false;
    QModelIndex index = view_->indexAt(mouse->position().toPoint());
    if (index.isValid() && index.siblingAtColumn(0) == QModelIndex(lastPressed_)) {
        toRename_ = lastPressed_;
        renameTimer_->start();
    }
}

bool ListClicks::eventFilter(QObject* /*watched*/, QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseButtonPress:
            Press(static_cast<QMouseEvent*>(event));
            break;
        case QEvent::MouseButtonRelease:
            Release(static_cast<QMouseEvent*>(event));
            break;
        case QEvent::MouseButtonDblClick:
            renameTimer_->stop();
            secondPress_ = false;
            break;
        case QEvent::MouseMove:
            // A drag is no click.
            if (static_cast<QMouseEvent*>(event)->buttons() != Qt::NoButton) {
                secondPress_ = false;
            }
            break;
        default:
            break;
    }
    return false;
}

}  // namespace vaddex::gui
