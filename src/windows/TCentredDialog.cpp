#include "windows/TCentredDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>
#include <QWindow>

#include "placement/WindowFront.h"

namespace vaddex::gui {

TCentredDialog::TCentredDialog(QWidget* parent, Qt::WindowFlags flags) : QDialog(parent, flags) {}

void TCentredDialog::showEvent(QShowEvent* event) {
    if (owner_ && !event->spontaneous()) {
        QWidget* owner = owner_->window();
        // Integer division truncates toward zero, as the placement rule wants.
        QPoint at(owner->x() + (owner->width() - width()) / 2,
                  owner->y() + (owner->height() - height()) / 2);
        // Centred over a main window that hangs off the screen, it still shows whole.
        const QRect frame(at + CentreOffset(), frameGeometry().size());
        move(WindowFront::OnScreen(frame, WindowFront::AvailableAreaFor(frame)));
        // A window without a parent widget is kept above the main window by the window
        // manager only when it knows whom it belongs to.
        if (parentWidget() == nullptr && windowHandle() && owner->windowHandle()) {
            windowHandle()->setTransientParent(owner->windowHandle());
        }
    }
    QDialog::showEvent(event);
}

void TCentredDialog::LayOutQuestion(QLabel* text, std::initializer_list<QPushButton*> buttons) {
    text->setTextFormat(Qt::PlainText);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* row = new QHBoxLayout;
    row->addStretch();
    for (QPushButton* button : buttons) {
        row->addWidget(button);
    }
    row->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addLayout(row);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace vaddex::gui
