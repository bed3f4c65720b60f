#include "windows/TFCnctStatus.h"

#include <QFrame>
#include <QVBoxLayout>

namespace vaddex::gui {

TFCnctStatus::TFCnctStatus(QWidget* parent)
    : TCentredDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    setWindowTitle("Looking for Calculator");
    // Without a title bar nothing else tells the window from what lies behind it.
    auto* frame = new QFrame(this);
    frame->setFrameShape(QFrame::Box);
    Animate1 = new QProgressBar(frame);
    Animate1->setTextVisible(false);
    Animate1->setRange(0, 1);
    lblLooking = new QLabel("Looking for Calculator", frame);
    lblLooking->setAlignment(Qt::AlignCenter);
    auto* inner = new QVBoxLayout(frame);
    inner->addStretch();
    inner->addWidget(Animate1);
    inner->addWidget(lblLooking);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(frame);
    setFixedSize(201, 88);
}

void TFCnctStatus::showEvent(QShowEvent* event) {
    Animate1->setRange(0, 0);  // runs while shown
    TCentredDialog::showEvent(event);
    setFocus();
}

void TFCnctStatus::hideEvent(QHideEvent* event) {
    Animate1->setRange(0, 1);
    TCentredDialog::hideEvent(event);
}

}  // namespace vaddex::gui
