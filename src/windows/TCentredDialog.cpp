#include "windows/TCentredDialog.h"

#include <QShowEvent>
#include <QWindow>

namespace vaddex::gui {

TCentredDialog::TCentredDialog(QWidget* parent, Qt::WindowFlags flags) : QDialog(parent, flags) {}

void TCentredDialog::showEvent(QShowEvent* event) {
    if (owner_ && !event->spontaneous()) {
        QWidget* owner = owner_->window();
        // Integer division truncates toward zero, as the placement rule wants.
        QPoint at(owner->x() + (owner->width() - width()) / 2,
                  owner->y() + (owner->height() - height()) / 2);
        move(at + CentreOffset());
        // A window without a parent widget is kept above the main window by the window
        // manager only when it knows whom it belongs to.
        if (parentWidget() == nullptr && windowHandle() && owner->windowHandle()) {
            windowHandle()->setTransientParent(owner->windowHandle());
        }
    }
    QDialog::showEvent(event);
}

}  // namespace vaddex::gui
